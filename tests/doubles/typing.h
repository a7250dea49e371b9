#pragma once

#include <QString>

class QWidget;

// Key presses carrying the characters, as a keyboard layout delivers them:
// Cyrillic and other texts that QTest::keyClicks cannot map to keys.
void typeText(QWidget *w, const QString &text);
