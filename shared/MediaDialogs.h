#pragma once
// File dialogs with a media preview: beside the file list, the selected picture, or the first
// frame, size and length of the selected AVI file. Qt's own (non-native) dialog, so the preview
// pane can join it everywhere.
#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;

// Filter in the "Text|patterns|Text|patterns" form of the animation dialogs, as Qt name filters.
QStringList NameFiltersOf(const QString& filter);

// The extension of a Qt name filter's first pattern ("JPEG files (*.jpg)" gives "jpg"), or
// `fallback` when it has none ("All files (*)").
QString SuffixOfFilter(const QString& nameFilter, const QString& fallback);

// The preview of one file; false (and nothing shown) for files that are neither.
bool MediaPreviewOf(const QString& path, QImage& image, QString& info);

class TMediaPreview : public QWidget {
  Q_OBJECT

 public:
  explicit TMediaPreview(QWidget* parent = nullptr);
  void ShowFile(const QString& path);
  QString InfoText() const;
  bool HasImage() const;

 private:
  QLabel* PreviewImage;
  QLabel* PreviewInfo;
};

class TMediaFileDialog {
 public:
  enum TOption { ofOverwritePrompt = 1, ofHideReadOnly = 2, ofOldStyleDialog = 4 };

  QString Title;
  QString Filter;
  int FilterIndex = 1;  // 1-based, as in the filter text
  QString DefaultExt;
  QString InitialDir;
  QString FileName;
  int Options = ofHideReadOnly;

  virtual ~TMediaFileDialog() = default;
  // Shows the dialog modally; true with FileName set when the user chose a file.
  bool Execute(QWidget* parent = nullptr);

 protected:
  virtual bool Saving() const = 0;
};

class TMediaOpenDialog : public TMediaFileDialog {
 protected:
  bool Saving() const override { return false; }
};

class TMediaSaveDialog : public TMediaFileDialog {
 protected:
  bool Saving() const override { return true; }
};
