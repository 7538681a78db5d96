#pragma once
// The video compression dialog: the codecs that can take the output picture, their quality, key
// frame interval, data rate and speed preset. It only edits a TCompressOptions record.
#include <QDialog>
#include <string>

#include "shared/compress_options.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class TDIB;
class TVideoWriter;

class TCompressionDialog : public QDialog {
  Q_OBJECT

 public:
  // Offers the codecs that accept a width x height picture (all of them when width is 0).
  TCompressionDialog(const TCompressOptions& options, int width, int height,
                     QWidget* parent = nullptr);
  // The options as the controls show them; fields the dialog does not edit are kept.
  TCompressOptions Options() const;

 private:
  void BuildControls();
  void LayOut();
  void LoadOptions();
  void CodecChanged();

  TCompressOptions options_;
  int width_, height_;
  QComboBox* CodecBox = nullptr;
  QLabel* CodecInfo = nullptr;
  QSlider* QualitySlider = nullptr;
  QLabel* QualityLabel = nullptr;
  QCheckBox* KeyFrameCheck = nullptr;
  QSpinBox* KeyFrameEdit = nullptr;
  QCheckBox* DataRateCheck = nullptr;
  QSpinBox* DataRateEdit = nullptr;
  QComboBox* PresetBox = nullptr;
};

// The steps of an animation dialog's "Com&pression" button: open a temporary "~TMP1.AVI" in the
// system's temporary folder with the picture, show the compression dialog, close and delete the
// file. Returns the codec name for the dialog's codec label.
std::string CompressionButtonSteps(TVideoWriter& writer, const TDIB* picture);
