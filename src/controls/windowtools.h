#pragma once

#include "controls/gridfont.h" // the windows take the grid font with their other tools

#include <QString>
#include <QStyle>

class QToolButton;

class QAbstractButton;
class QGridLayout;
class QKeySequence;
class QMenuBar;
class QWidget;
class GridView;

// The "Ж" switch: a grid in exactly bold type becomes regular and the button's
// caption bold; otherwise the grid becomes bold and the caption regular.
void toggleGridBold(GridView *view, QAbstractButton *button);

// Gives a control its name, hint (tool tip and status bar text) and hint time.
void setHint(QWidget *widget, const QString &name, const QString &hint);

// Gives a control a keyboard shortcut and shows it in the control's hint. With
// Qt::ApplicationShortcut the keys work in every window of the program that
// no modal window blocks.
void setShortcutHint(QAbstractButton *button, const QKeySequence &shortcut,
                     Qt::ShortcutContext context = Qt::WindowShortcut);

// The controls that one caption names; an empty caption names nothing.
struct CaptionedControls
{
    QString caption;
    QList<QWidget *> controls;
};

// A row of controls with their captions over them: the controls in line 1 of
// the grid, each caption in line 0 centred over the controls it names. A
// hidden control keeps its place.
QGridLayout *captionedRow(QWidget *parent, const QList<CaptionedControls> &groups);
// Appends controls with their caption to the right end of a captioned row.
void appendCaptioned(QGridLayout *row, const QString &caption, const QList<QWidget *> &controls);

// The menu bar takes the keyboard with its first item highlighted, as after a
// lone Alt: arrows move, Enter opens, Escape gives the keyboard back to the
// control that had it (the F10 key).
void activateMenuBar(QMenuBar *bar);

// The menu's Cyrillic mnemonics from the Latin keyboard layout as well: Alt
// with the key that carries the letter on the Russian layout (Alt+G for
// "&Помощь") opens the item, and in an open menu the key alone does.
void addLatinMnemonics(QMenuBar *bar);
// The Latin character on the key of a Russian letter (й → q, ж → ;), a null
// character for any other.
QChar latinKeyOf(QChar cyrillic);

// The Tab key walks the controls in this order (reading order). In a grid of
// the chain Tab moves from cell to cell and, from its last cell, on to the next
// control (Shift+Tab from the first cell back to the previous one) instead of
// starting the grid over.
void setTabChain(const QList<QWidget *> &controls);

// A window background colour given as RGB.
void setBackground(QWidget *widget, int r, int g, int b);

// A small button with a picture (a standard icon) or, without one, a short
// caption, its name and its hint.
QToolButton *makeToolButton(QWidget *parent, const QString &name, const QString &hint, const QString &text,
                            QStyle::StandardPixmap icon = QStyle::SP_CustomBase);
