#include "controls/framegeometry.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

QMargins g_knownMargins;

// The frame margins of a shown window that the window manager has framed.
QMargins framedWindowMargins();

// Keeps one window's frame on its rule until the window manager's margins for
// it are known and applied.
class FramePlacer : public QObject
{
public:
    FramePlacer(QWidget *window, const FrameRule &rule) : QObject(window), rule(rule), m_window(window)
    {
        setObjectName(QStringLiteral("FramePlacer"));
        window->installEventFilter(this);
    }

    void apply(const QRect &area, const QMargins &margins)
    {
        m_applied = margins;
        m_placed = true;
        const QRect frame = frameRect(rule, area);
        const QRect inner = frame.marginsRemoved(margins);
        m_window->setGeometry(inner);
    }

    void applyOnScreen()
    {
        const QScreen *screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        apply(screen->availableGeometry(), currentMargins());
    }

    FrameRule rule;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            if (!m_settled && ownMargins().isNull() && g_knownMargins.isNull()) {
                // Another window framed already (the login window) tells the
                // margins, so that the window appears in its place at once.
                g_knownMargins = framedWindowMargins();
                if (!g_knownMargins.isNull())
                    applyOnScreen();
            }
            // Placed at its creation with the margins known then; placed again
            // now, before it appears, when other margins are known since.
            if (!m_placed || (!m_settled && !currentMargins().isNull() && currentMargins() != m_applied))
                applyOnScreen();
            if (!m_settled) {
                // The window manager frames a window a moment after it is shown.
                for (int delay : {0, 50, 200, 600, 1500})
                    QTimer::singleShot(delay, this, [this] { checkMargins(); });
            }
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (!m_settled && m_window->isVisible())
                checkMargins();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QMargins ownMargins() const
    {
        const QWindow *handle = m_window->windowHandle();
        return handle ? handle->frameMargins() : QMargins();
    }
    QMargins currentMargins() const
    {
        const QMargins own = ownMargins();
        return own.isNull() ? g_knownMargins : own;
    }
    void checkMargins()
    {
        if (m_settled || !m_window->isVisible())
            return;
        const QMargins own = ownMargins();
        if (own.isNull())
            return;
        g_knownMargins = own;
        m_settled = true;
        if (own != m_applied)
            applyOnScreen();
    }

    QPointer<QWidget> m_window;
    QMargins m_applied;
    bool m_placed = false;
    bool m_settled = false;
};

QMargins framedWindowMargins()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        const QWindow *handle = w->isVisible() ? w->windowHandle() : nullptr;
        if (handle && !handle->frameMargins().isNull())
            return handle->frameMargins();
    }
    return QMargins();
}

FramePlacer *placerOf(const QWidget *window)
{
    return window ? window->findChild<FramePlacer *>(QStringLiteral("FramePlacer"), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace

QRect frameRect(const FrameRule &rule, const QRect &workArea)
{
    const int areaW = workArea.width();
    const int areaH = workArea.height();
    int w = rule.design.width();
    int h = rule.design.height();
    int x = rule.design.left();
    int y = rule.design.top();
    // The right edge (exclusive) that stretching reaches and clamping keeps:
    // one pixel short of the area, or where the right-hand neighbour starts.
    const int split = std::max(areaW - 1 - rule.reserveRight, rule.leftShareMin);
    const int stretchLimit = rule.reserveRight > 0 ? split : areaW - 1;
    const int rightLimit = rule.reserveRight > 0 ? stretchLimit : areaW;
    if (rule.alignRight) {
        w = std::min(w, areaW - 1);
        x = std::max(areaW - 1 - w, rule.leftShareMin);
        w = std::max(1, areaW - 1 - x);
    } else if (rule.stretchWidth && x + w < stretchLimit) {
        w = stretchLimit - x;
    }
    if (rule.stretchHeight && y + h < areaH)
        h = areaH - y - 1;
    // Inside the work area, whatever the design says: a window that starts
    // inside keeps its corner and gives up size; one that starts outside is
    // moved in.
    const int maxRight = rule.alignRight ? areaW : rightLimit;
    w = std::clamp(w, 1, std::max(1, maxRight));
    h = std::clamp(h, 1, std::max(1, areaH));
    if (x < 0 || x >= maxRight)
        x = std::max(0, maxRight - w);
    if (y < 0 || y >= areaH)
        y = std::max(0, areaH - h);
    w = std::min(w, std::max(1, maxRight - x));
    h = std::min(h, std::max(1, areaH - y));
    return QRect(workArea.left() + x, workArea.top() + y, w, h);
}

void placeFrame(QWidget *window, const FrameRule &rule)
{
    FramePlacer *placer = placerOf(window);
    if (placer)
        placer->rule = rule;
    else
        placer = new FramePlacer(window, rule);
    placer->applyOnScreen();
}

FrameRule frameRuleOf(const QWidget *window)
{
    const FramePlacer *placer = placerOf(window);
    return placer ? placer->rule : FrameRule{};
}

void applyFrameRule(QWidget *window, const QRect &workArea, const QMargins &margins)
{
    if (FramePlacer *placer = placerOf(window))
        placer->apply(workArea, margins);
}

QMargins knownFrameMargins()
{
    return g_knownMargins;
}

void learnFrameMargins()
{
    if (g_knownMargins.isNull())
        g_knownMargins = framedWindowMargins();
}

void setKnownFrameMargins(const QMargins &margins)
{
    g_knownMargins = margins;
}
