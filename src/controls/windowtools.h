#pragma once

#include "controls/gridfont.h" // the windows take the grid font with their other tools

#include <QString>
#include <QStyle>

class QToolButton;

class QAbstractButton;
class QWidget;
class GridView;

// Window creation sizing: when the window ends short of the screen's work area,
// it is stretched to one pixel short of it (width, and height when asked).
void fitToWorkArea(QWidget *window, bool width, bool height);

// The "Ж" switch: a grid in exactly bold type becomes regular and the button's
// caption bold; otherwise the grid becomes bold and the caption regular.
void toggleGridBold(GridView *view, QAbstractButton *button);

// Gives a control its name, hint (tool tip and status bar text) and hint time.
void setHint(QWidget *widget, const QString &name, const QString &hint);

// A window background colour given as RGB.
void setBackground(QWidget *widget, int r, int g, int b);

// A small button with a picture (a standard icon) or, without one, a short
// caption, its name and its hint.
QToolButton *makeToolButton(QWidget *parent, const QString &name, const QString &hint, const QString &text,
                            QStyle::StandardPixmap icon = QStyle::SP_CustomBase);
