#pragma once
// The pictures of the main window's tool buttons, drawn by the program itself: a normal 16 x 16
// picture per button and a disabled one made from it the classic way (grey, embossed). Nothing is
// cached: the pictures are made on each call, so no pixmap outlives the QApplication.
#include <QIcon>
#include <QPixmap>
#include <QString>

// The picture of a tool button by its object name (SpMask, SpText, SpSave, btnPrint, SpExport,
// BlendButton, SpOptions, SPWizard, SpRnd, SpRun, SpFull, SpHelp, SpExit): the icon holds the
// normal picture for QIcon::Normal and the disabled one for QIcon::Disabled. Unknown name: null
// icon.
QIcon ToolGlyph(const QString& buttonName);
// One of the two pictures; a null pixmap for an unknown name.
QPixmap ToolGlyphPixmap(const QString& buttonName, bool disabled);
