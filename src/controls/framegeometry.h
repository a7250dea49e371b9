#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// Where a top-level window stands. Positions and sizes are those of its frame,
// title bar and border included, counted from the top left corner of the
// screen's work area.
struct FrameRule
{
    QRect design;               // the frame's designed position and size
    bool stretchWidth = false;  // ending short of the work area's right edge, it is widened to one pixel short of it
    bool stretchHeight = false; // ending short of the work area's bottom, it is made one pixel short of it
    int reserveRight = 0;       // pixels kept free at the right edge (for a neighbour window)
    bool alignRight = false;    // it stands at the right edge, one pixel short of it
    // With reserveRight or alignRight, of two windows side by side: the one on
    // the left keeps at least this frame width, the one on the right gives way
    // (on a narrow screen neither stands over the other).
    int leftShareMin = 0;
};

// The frame rectangle of a rule in a work area: stretched as the rule asks and
// kept inside the area, never wider or higher than it.
QRect frameRect(const FrameRule &rule, const QRect &workArea);

// Keeps a window's frame on its rule: at once, with the frame margins known so
// far, and again as soon as the window manager has framed it and its own
// margins are known. What the teacher does to the window later stays.
void placeFrame(QWidget *window, const FrameRule &rule);

// The rule placeFrame() gave the window, or a null design when none.
FrameRule frameRuleOf(const QWidget *window);

// Places the window's frame by its rule in the given work area with the given
// frame margins (what placeFrame does once it knows them).
void applyFrameRule(QWidget *window, const QRect &workArea, const QMargins &margins);

// The frame margins (title bar and borders) of the last framed window; zero
// until a window manager has framed one. New windows are placed with them.
QMargins knownFrameMargins();
void setKnownFrameMargins(const QMargins &margins);
// Takes the frame margins from a window the window manager has framed and that
// is shown now, if none are known yet: the next window appears in its place
// at once, even when this one is hidden before it is shown.
void learnFrameMargins();

// The lower band of the screen, below the main window: the thematic plan on
// the left, the dynamics window on the right, side by side.
namespace ScreenTiling {
inline constexpr int kMainHeight = 515;  // the main window's frame height
inline constexpr int kLowerTop = 514;    // where the plan and the dynamics windows start
inline constexpr int kDynamicsWidth = 677;
inline constexpr int kPlanMinWidth = 440; // the plan's narrowest frame: its button row whole

} // namespace ScreenTiling
