#pragma once

#include <QString>
#include <Qt>

class GridView;
class QLineEdit;

// A teacher's hand on the journal grid: a click on a cell, the cell editor
// that typing opened, a text typed into a cell and closed by Enter. A failed
// step is reported by QTest as the caller's failure.
void clickGridCell(GridView *view, int col, int row, Qt::MouseButton button = Qt::LeftButton);
QLineEdit *visibleCellEditor(const GridView *view);
void typeIntoCell(GridView *view, int col, int row, const QString &text);
