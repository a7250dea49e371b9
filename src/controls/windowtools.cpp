#include "controls/windowtools.h"

#include "controls/gridview.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

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
    // A caption is never cut, however narrow the window's row.
    b->setMinimumSize(std::max(30, text.isEmpty() ? 0 : b->sizeHint().width()), 28);
    return b;
}

void setShortcutHint(QAbstractButton *button, const QKeySequence &shortcut, Qt::ShortcutContext context)
{
    if (context == Qt::WindowShortcut) {
        button->setShortcut(shortcut);
    } else {
        auto *keys = new QShortcut(shortcut, button, nullptr, nullptr, context);
        QObject::connect(keys, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->animateClick();
        });
    }
    const QString shown = shortcut.toString(QKeySequence::NativeText);
    for (auto [get, set] : {std::pair{&QWidget::toolTip, &QWidget::setToolTip}, std::pair{&QWidget::statusTip, &QWidget::setStatusTip}}) {
        const QString hint = (button->*get)();
        (button->*set)(hint.isEmpty() ? shown : QStringLiteral("%1 (%2)").arg(hint, shown));
    }
}

namespace {
void appendCaptionedTo(QGridLayout *row, QWidget *labelParent, const QString &caption, const QList<QWidget *> &controls)
{
    const int column = row->count() == 0 ? 0 : row->columnCount();
    if (!caption.isEmpty()) {
        auto *label = new QLabel(caption, labelParent);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        row->addWidget(label, 0, column, 1, int(controls.size()));
    }
    for (int i = 0; i < controls.size(); ++i) {
        // A hidden control keeps its place under its caption: the others do not move.
        QSizePolicy policy = controls.at(i)->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        controls.at(i)->setSizePolicy(policy);
        // A control that does not widen stands in the middle of its column.
        const bool widens = controls.at(i)->sizePolicy().horizontalPolicy() & QSizePolicy::GrowFlag;
        row->addWidget(controls.at(i), 1, column + i, widens ? Qt::Alignment() : Qt::AlignHCenter);
    }
}

} // namespace

void appendCaptioned(QGridLayout *row, const QString &caption, const QList<QWidget *> &controls)
{
    appendCaptionedTo(row, row->parentWidget(), caption, controls);
}

QGridLayout *captionedRow(QWidget *parent, const QList<CaptionedControls> &groups)
{
    auto *row = new QGridLayout;
    row->setHorizontalSpacing(3);
    row->setVerticalSpacing(0);
    for (const CaptionedControls &group : groups)
        appendCaptionedTo(row, parent, group.caption, group.controls);
    return row;
}

namespace {
// Tab in a grid goes from cell to cell; where the grid would start over, the
// keyboard goes on to the next control of the window instead.
class TabLeavesAtTheEnd : public QObject
{
public:
    explicit TabLeavesAtTheEnd(QAbstractItemView *view) : QObject(view), m_view(view)
    {
        setObjectName(QStringLiteral("TabLeavesAtTheEnd"));
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_view || event->type() != QEvent::KeyPress || m_busy || !m_view->tabKeyNavigation())
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        const bool backward = key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
        if ((!forward && !backward) || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        m_busy = true;
        const QPersistentModelIndex before = m_view->currentIndex();
        QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(m_view, &again);
        const QModelIndex after = m_view->currentIndex();
        const auto order = [](const QModelIndex &i) { return std::pair{i.row(), i.column()}; };
        const bool startedOver = before.isValid() && after.isValid() && m_view->hasFocus()
                                 && (forward ? order(after) <= order(before) : order(after) >= order(before));
        if (startedOver) {
            m_view->setCurrentIndex(before);
            m_view->setTabKeyNavigation(false);
            QKeyEvent leave(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(m_view, &leave);
            m_view->setTabKeyNavigation(true);
        }
        m_busy = false;
        return true;
    }

private:
    QAbstractItemView *m_view;
    bool m_busy = false;
};
} // namespace

void setTabChain(const QList<QWidget *> &controls)
{
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls.at(i - 1), controls.at(i));
    for (QWidget *control : controls) {
        auto *view = qobject_cast<QAbstractItemView *>(control);
        if (view && !view->findChild<TabLeavesAtTheEnd *>(QStringLiteral("TabLeavesAtTheEnd"), Qt::FindDirectChildrenOnly))
            new TabLeavesAtTheEnd(view);
    }
}

namespace {
// Gives the keyboard back to the control that had it before the menu bar took
// it, once the bar has no highlighted item any more.
class MenuBarKeyboard : public QObject
{
public:
    explicit MenuBarKeyboard(QMenuBar *bar) : QObject(bar), m_bar(bar)
    {
        setObjectName(QStringLiteral("MenuBarKeyboard"));
        bar->installEventFilter(this);
        connect(bar, &QMenuBar::triggered, this, [this] { giveBack(); });
    }
    void take()
    {
        QWidget *focus = QApplication::focusWidget();
        if (focus != m_bar)
            m_previous = focus;
        m_bar->setFocus(Qt::MenuBarFocusReason);
        m_bar->setActiveAction(m_bar->actions().value(0));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_bar && event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            QTimer::singleShot(0, this, [this] {
                if (!m_bar->activeAction())
                    giveBack();
            });
        return false;
    }

private:
    void giveBack()
    {
        if (m_previous && m_bar->hasFocus())
            m_previous->setFocus(Qt::MenuBarFocusReason);
        m_previous = nullptr;
    }
    QMenuBar *m_bar;
    QPointer<QWidget> m_previous;
};
} // namespace

void activateMenuBar(QMenuBar *bar)
{
    if (!bar || bar->actions().isEmpty())
        return;
    auto *keyboard = bar->findChild<MenuBarKeyboard *>(QStringLiteral("MenuBarKeyboard"), Qt::FindDirectChildrenOnly);
    if (!keyboard)
        keyboard = new MenuBarKeyboard(bar);
    keyboard->take();
}

namespace {
// The Russian letters in the order of the Latin keys that carry them.
constexpr char16_t kRussian[] = u"йцукенгшщзхъфывапролджэячсмитьбю";
constexpr char kLatin[] = "qwertyuiop[]asdfghjkl;'zxcvbnm,.";
static_assert(sizeof(kRussian) / sizeof(kRussian[0]) == sizeof(kLatin));

QChar russianOnKey(QChar latin)
{
    const char16_t l = QChar(latin).toLower().unicode();
    for (size_t i = 0; i + 1 < sizeof(kLatin); ++i)
        if (char16_t(kLatin[i]) == l)
            return QChar(kRussian[i]);
    return QChar();
}

// The mnemonic letter of a caption (after a single "&"), in lower case.
QChar mnemonicOf(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) != u'&')
            return caption.at(i + 1).toLower();
        ++i;
    }
    return QChar();
}

// In the menu bar and its open menus, a Latin key that carries a menu letter
// on the Russian layout is taken as that letter.
class LatinMenuKeys : public QObject
{
public:
    explicit LatinMenuKeys(QObject *parent) : QObject(parent) { setObjectName(QStringLiteral("LatinMenuKeys")); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (key->text().size() != 1 || (mods != Qt::NoModifier && mods != Qt::ShiftModifier))
            return false;
        const QChar russian = russianOnKey(key->text().at(0));
        if (russian.isNull())
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        bool named = false;
        for (QAction *a : widget->actions())
            named = named || mnemonicOf(a->text()) == russian;
        if (!named)
            return false;
        QKeyEvent translated(QEvent::KeyPress, Qt::Key(russian.toUpper().unicode()), key->modifiers(), QString(russian));
        QCoreApplication::sendEvent(watched, &translated);
        return true;
    }
};
} // namespace

QChar latinKeyOf(QChar cyrillic)
{
    const char16_t r = cyrillic.toLower().unicode();
    for (size_t i = 0; i + 1 < sizeof(kLatin); ++i)
        if (kRussian[i] == r)
            return QChar(char16_t(kLatin[i]));
    return QChar();
}

void addLatinMnemonics(QMenuBar *bar)
{
    auto *keys = new LatinMenuKeys(bar);
    bar->installEventFilter(keys);
    for (QAction *item : bar->actions()) {
        if (QMenu *menu = item->menu())
            menu->installEventFilter(keys);
        const QChar latin = latinKeyOf(mnemonicOf(item->text()));
        if (latin.isNull())
            continue;
        const QKeySequence alt(QKeyCombination(Qt::AltModifier, Qt::Key(latin.toUpper().unicode())));
        auto *shortcut = new QShortcut(alt, bar->window());
        shortcut->setObjectName(QStringLiteral("LatinMnemonic"));
        auto open = [bar, item] {
            if (!item->isEnabled() || !item->isVisible())
                return;
            if (item->menu())
                bar->setActiveAction(item);
            else
                item->trigger();
        };
        // With the Russian layout the same key is also the letter's own
        // mnemonic; whichever of the two receives it opens the item.
        QObject::connect(shortcut, &QShortcut::activated, bar, open);
        QObject::connect(shortcut, &QShortcut::activatedAmbiguously, bar, open);
    }
}
