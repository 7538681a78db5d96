#include "shared/compression_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>

#include "shared/avi_video.h"
#include "shared/video_codecs.h"

namespace {

constexpr int kDefaultQuality = 75;  // percent, when the options leave it to the encoder

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

TCompressionDialog::TCompressionDialog(const TCompressOptions& options, int width, int height,
                                       QWidget* parent)
    : QDialog(parent), options_(options), width_(width), height_(height) {
  setObjectName(QStringLiteral("CompressionDialog"));
  setWindowTitle(tr("Video Compression"));
  BuildControls();
  LoadOptions();
}

void TCompressionDialog::BuildControls() {
  CodecBox = Named(new QComboBox, "CodecBox");
  CodecBox->addItem(tr("Full Frames (Uncompressed)"), 0u);
  for (const TVideoCodec* codec : AvailableCodecs(width_, height_))
    CodecBox->addItem(QString::fromLatin1(codec->shortName), codec->fourcc);
  CodecInfo = Named(new QLabel, "CodecInfo");
  QualitySlider = Named(new QSlider(Qt::Horizontal), "QualitySlider");
  QualitySlider->setRange(1, 100);
  QualityLabel = Named(new QLabel, "QualityLabel");
  KeyFrameCheck = Named(new QCheckBox(tr("&Key Frame Every")), "KeyFrameCheck");
  KeyFrameEdit = Named(new QSpinBox, "KeyFrameEdit");
  KeyFrameEdit->setRange(1, 9999);
  KeyFrameEdit->setSuffix(tr(" frames"));
  DataRateCheck = Named(new QCheckBox(tr("&Data Rate")), "DataRateCheck");
  DataRateEdit = Named(new QSpinBox, "DataRateEdit");
  DataRateEdit->setRange(1, 2000000);
  DataRateEdit->setSuffix(tr(" KB/sec"));
  PresetBox = Named(new QComboBox, "PresetBox");
  for (const std::string& preset : EncoderPresets())
    PresetBox->addItem(preset.empty() ? tr("Default") : QString::fromStdString(preset));
  LayOut();
}

void TCompressionDialog::LayOut() {
  auto* form = new QFormLayout;
  form->addRow(tr("&Compressor:"), CodecBox);
  form->addRow(QString(), CodecInfo);
  auto* quality = new QHBoxLayout;
  quality->addWidget(QualitySlider);
  quality->addWidget(QualityLabel);
  // A row of a layout gets no buddy by itself; without one the access key shows as "&".
  auto* qualityCaption = new QLabel(tr("Compression &Quality:"));
  qualityCaption->setBuddy(QualitySlider);
  form->addRow(qualityCaption, quality);
  form->addRow(KeyFrameCheck, KeyFrameEdit);
  form->addRow(DataRateCheck, DataRateEdit);
  form->addRow(tr("&Speed:"), PresetBox);
  auto* buttons =
      Named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel), "ButtonBox");
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(CodecBox, &QComboBox::currentIndexChanged, this, &TCompressionDialog::CodecChanged);
  connect(QualitySlider, &QSlider::valueChanged, this,
          [this](int value) { QualityLabel->setText(QString::number(value)); });
  connect(KeyFrameCheck, &QCheckBox::toggled, this, &TCompressionDialog::CodecChanged);
  connect(DataRateCheck, &QCheckBox::toggled, this, &TCompressionDialog::CodecChanged);
}

void TCompressionDialog::LoadOptions() {
  const int index = CodecBox->findData(options_.fccHandler);
  CodecBox->setCurrentIndex(index < 0 ? 0 : index);
  const int quality = options_.dwQuality / 100;
  QualitySlider->setValue(quality > 0 ? quality : kDefaultQuality);
  QualityLabel->setText(QString::number(QualitySlider->value()));
  KeyFrameCheck->setChecked(options_.dwFlags & kCompressKeyFrames);
  KeyFrameEdit->setValue(options_.dwKeyFrameEvery > 0 ? options_.dwKeyFrameEvery : 15);
  DataRateCheck->setChecked(options_.dwFlags & kCompressDataRate);
  DataRateEdit->setValue(options_.dwBytesPerSecond > 0 ? options_.dwBytesPerSecond / 1024 : 300);
  PresetBox->setCurrentIndex(PresetFromParms(options_.parms, options_.fccHandler));
  CodecChanged();
}

// Each choice is open only where the chosen codec has a use for it.
void TCompressionDialog::CodecChanged() {
  const TVideoCodec* codec = FindAvailableCodec(CodecBox->currentData().toUInt());
  const bool lossy = codec && codec->kind == TCodecKind::kLossy;
  CodecInfo->setText(codec ? QString::fromLatin1(codec->description) : QString());
  QualitySlider->setEnabled(lossy && !DataRateCheck->isChecked());
  KeyFrameCheck->setEnabled(codec && codec->interFrames);
  KeyFrameEdit->setEnabled(KeyFrameCheck->isEnabled() && KeyFrameCheck->isChecked());
  DataRateCheck->setEnabled(lossy);
  DataRateEdit->setEnabled(lossy && DataRateCheck->isChecked());
  PresetBox->setEnabled(codec && codec->hasPreset);
}

TCompressOptions TCompressionDialog::Options() const {
  TCompressOptions o = options_;
  o.fccHandler = CodecBox->currentData().toUInt();
  o.dwQuality = QualitySlider->value() * 100;
  o.dwKeyFrameEvery = KeyFrameEdit->value();
  o.dwBytesPerSecond = DataRateEdit->value() * 1024;
  o.dwFlags = kCompressValid | (KeyFrameCheck->isChecked() ? kCompressKeyFrames : 0) |
              (DataRateCheck->isChecked() ? kCompressDataRate : 0);
  o.format.clear();
  o.parms.clear();
  if (o.fccHandler != 0) {
    o.format = MakeCodecFormat(o.fccHandler, width_, height_);
    o.parms = MakeCodecParms(o.fccHandler, PresetBox->currentIndex());
  }
  return o;
}

int TVideoWriter::ChooseCompression() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return -1;
  try {
    TCompressionDialog dialog(options_, outWidth_, outHeight_);
    if (dialog.exec() != QDialog::Accepted) return 0;
    SetCompressOptions(dialog.Options());
    return 1;
  } catch (const std::exception&) {
    return -1;
  }
}

std::string CompressionButtonSteps(TVideoWriter& writer, const TDIB* picture) {
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec) / "~TMP1.AVI";
  writer.OpenOutput(picture, temp.string());
  writer.ChooseCompression();
  writer.CloseOutput();
  std::filesystem::remove(temp, ec);
  std::string name;
  writer.CodecName(name);
  return name;
}
