#pragma once

#include <functional>

class QWidget;

// Runs the body of a window's handler: a project error ends it with the error box
// (what was done before stays done), and afterwards every grid on screen shows
// the data as they now stand.
bool runHandler(QWidget *parent, const std::function<void()> &body);

// Brings every grid view of the program up to date with its grid.
void refreshAllGrids();
