// Dotweave: the stereogram generator's window.
#include <QApplication>

#include "dotweave/main_form.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Dotweave"));
  TMainForm form(QCoreApplication::applicationDirPath());
  form.ShowAtPlacement();
  return QApplication::exec();
}
