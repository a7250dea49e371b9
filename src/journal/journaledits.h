#pragma once

#include "rating/recalculation.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class Grid;

// One edit of the journal or its results that can be taken back and done
// again: what the operation removed or overwrote is kept, never the whole
// journal (a big journal would cost megabytes a step). undo() expects the
// grids as the edit left them, redo() as undo() left them.
class JournalEdit
{
public:
    explicit JournalEdit(QString name) : m_name(std::move(name)) {}
    virtual ~JournalEdit() = default;
    JournalEdit(const JournalEdit &) = delete;
    JournalEdit &operator=(const JournalEdit &) = delete;

    // What the teacher did, for the menu: "Удаление строки", "Ввод в ячейку".
    const QString &name() const { return m_name; }
    virtual void undo() = 0;
    virtual void redo() = 0;

private:
    QString m_name;
};

using JournalEditPtr = std::unique_ptr<JournalEdit>;

// The journal's operations, each run here and returned as the edit that
// reverses it (nullptr when the operation changed nothing). A ZError of the
// operation leaves the grids unchanged and returns nothing. The column
// operations give the dynamics grid the journal's column count, forth and back.
namespace JournalEdits {

// GridOps::insertRowBelow with the journal's numbering.
JournalEditPtr insertRow(Grid &journal, int selected);
JournalEditPtr deleteRow(Grid &journal, int selected);
JournalEditPtr deleteRowsBelow(Grid &journal, int selected);
JournalEditPtr insertColumn(Grid &journal, Grid &summi, int selected);
JournalEditPtr deleteColumn(Grid &journal, Grid &summi, int selected);
JournalEditPtr deleteColumnsRight(Grid &journal, Grid &summi, int selected);

// A row was dragged from `from` to `to` (GridOps::moveRow, done by the view):
// renumbers the students; the edit takes back the numbers and the move.
JournalEditPtr renumberAfterMove(Grid &journal, int from, int to);

// A text typed into a cell, already in the grid: the edit puts `before` back.
JournalEditPtr cellTyped(Grid &grid, int col, int row, const QString &before, const QString &after);

// An edit of the journal (a paste that adds columns) after which the dynamics
// grid takes the journal's column count whenever that count changed, forth
// and back, as after the column operations.
JournalEditPtr followedBySummi(JournalEditPtr edit, Grid &journal, Grid &summi);

// The result grids and indicators that the ranking, the average student and
// the sum column rewrite; small, so kept whole.
struct Results
{
    Grid &itog;
    Grid &uspev;
    Grid &summi;
    Indicators &indicators;
};

// Runs an operation on the results (and, with `journal`, one that appends
// columns to the journal) and gives `record` the edit of what it changed,
// also when the operation fails midway: what was done stays done, and can be
// taken back. The failure then goes on to the caller.
void resultsOperation(const QString &name, const Results &results, Grid *journal, const std::function<void()> &operation,
                      const std::function<void(JournalEditPtr)> &record);

} // namespace JournalEdits
