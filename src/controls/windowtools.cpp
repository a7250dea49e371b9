#include "controls/windowtools.h"

#include "controls/gridview.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

void fitToWorkArea(QWidget *window, bool width, bool height)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->geometry();
    if (width && frame.left() + frame.width() < area.width())
        window->resize(area.width() - frame.left() - 1, window->height());
    if (height && frame.top() + frame.height() < area.height())
        window->resize(window->width(), area.height() - frame.top() - 1);
}

void toggleGridBold(GridView *view, QAbstractButton *button)
{
    QFont font = view->gridFont();
    QFont caption = button->font();
    const bool exactlyBold = font.weight() == QFont::Bold && !font.italic() && !font.underline() && !font.strikeOut();
    font.setBold(!exactlyBold);
    caption.setBold(exactlyBold);
    view->setGridFont(font);
    button->setFont(caption);
}

void setHint(QWidget *widget, const QString &name, const QString &hint)
{
    if (!name.isEmpty())
        widget->setObjectName(name);
    if (!hint.isEmpty()) {
        widget->setToolTip(hint);
        widget->setStatusTip(hint);
        widget->setToolTipDuration(5000);
    }
}

void setBackground(QWidget *widget, int r, int g, int b)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, QColor(r, g, b));
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

QToolButton *makeToolButton(QWidget *parent, const QString &name, const QString &hint, const QString &text,
                            QStyle::StandardPixmap icon)
{
    auto *b = new QToolButton(parent);
    setHint(b, name, hint);
    if (icon != QStyle::SP_CustomBase) {
        b->setIcon(parent->style()->standardIcon(icon));
        b->setIconSize(QSize(20, 20));
    } else {
        b->setText(text);
    }
    b->setMinimumSize(30, 28);
    return b;
}
