#include "journal/journaledits.h"

#include "journal/grid.h"
#include "journal/gridops.h"
#include "journal/journallayout.h"

#include <algorithm>

namespace JournalEdits {

namespace {

// Rows from..to of a column turned one place down: row `to` comes to `from`.
void turnDown(std::vector<QString> &cells, int from, int to)
{
    std::rotate(cells.begin() + from, cells.begin() + to, cells.begin() + to + 1);
}

// Undo gives a fixed count back only when the operation took it (a count
// that dropped below the fixed rows); a switch made since stays.
void restoreFixedRows(Grid &grid, int before, int after)
{
    if (before != after && grid.fixedRows() == after)
        grid.setFixedRows(before);
}

void restoreFixedCols(Grid &grid, int before, int after)
{
    if (before != after && grid.fixedCols() == after)
        grid.setFixedCols(before);
}

class RowInsertion : public JournalEdit
{
public:
    RowInsertion(Grid &journal, int selected)
        : JournalEdit(QStringLiteral("Вставка строки")), m_journal(journal), m_selected(selected)
    {
    }
    void redo() override
    {
        m_rowsBefore = m_journal.rowCount();
        m_inRange = GridOps::insertRowBelow(m_journal, m_selected, JournalLayout::kStudentNumberOffset);
    }
    void undo() override
    {
        // The inserted row turns back to the end and goes with the new last number.
        if (m_inRange)
            GridOps::deleteRow(m_journal, m_selected + 1);
        else
            m_journal.setRowCount(m_rowsBefore);
    }

private:
    Grid &m_journal;
    int m_selected;
    int m_rowsBefore = 0;
    bool m_inRange = false;
};

class RowDeletion : public JournalEdit
{
public:
    RowDeletion(Grid &journal, int selected)
        : JournalEdit(QStringLiteral("Удаление строки")), m_journal(journal), m_selected(selected)
    {
    }
    // True when a row went.
    bool run()
    {
        const int last = m_journal.rowCount() - 1;
        if (m_selected < 1 || m_selected > last)
            return false;
        // The number column stays by position: the last row's number goes;
        // of the other columns the selected row's cells.
        m_cells.assign(size_t(m_journal.colCount()), QString());
        m_cells[0] = m_journal.cell(0, last);
        for (int c = 1; c < m_journal.colCount(); ++c)
            m_cells[size_t(c)] = m_journal.cell(c, m_selected);
        m_fixedBefore = m_journal.fixedRows();
        GridOps::deleteRow(m_journal, m_selected);
        m_fixedAfter = m_journal.fixedRows();
        return true;
    }
    void redo() override { run(); }
    void undo() override
    {
        const int last = m_journal.rowCount();
        m_journal.setRowCount(last + 1);
        m_journal.column(0)[size_t(last)] = m_cells[0];
        for (int c = 1; c < m_journal.colCount() && size_t(c) < m_cells.size(); ++c) {
            auto &cells = m_journal.column(c);
            turnDown(cells, m_selected, last);
            cells[size_t(m_selected)] = std::move(m_cells[size_t(c)]);
        }
        m_cells.clear();
        restoreFixedRows(m_journal, m_fixedBefore, m_fixedAfter);
    }

private:
    Grid &m_journal;
    int m_selected;
    std::vector<QString> m_cells;
    int m_fixedBefore = 0;
    int m_fixedAfter = 0;
};

class RowsCut : public JournalEdit
{
public:
    RowsCut(Grid &journal, int selected)
        : JournalEdit(QStringLiteral("Удаление строк снизу")), m_journal(journal), m_selected(selected)
    {
    }
    bool run()
    {
        m_rowsBefore = m_journal.rowCount();
        m_fixedBefore = m_journal.fixedRows();
        const qint64 keep = std::max<qint64>(qint64(m_selected) + 1, 1);
        m_tails.clear();
        if (keep < m_rowsBefore) {
            // The rows that go, column by column, handed over rather than copied.
            m_tails.resize(size_t(m_journal.colCount()));
            for (int c = 0; c < m_journal.colCount(); ++c) {
                auto &cells = m_journal.column(c);
                m_tails[size_t(c)].assign(std::make_move_iterator(cells.begin() + keep),
                                          std::make_move_iterator(cells.end()));
            }
        }
        GridOps::deleteRowsBelow(m_journal, m_selected);
        m_fixedAfter = m_journal.fixedRows();
        return m_journal.rowCount() != m_rowsBefore;
    }
    void redo() override { run(); }
    void undo() override
    {
        const int kept = m_journal.rowCount();
        m_journal.setRowCount(m_rowsBefore);
        for (size_t c = 0; c < m_tails.size() && int(c) < m_journal.colCount(); ++c)
            std::move(m_tails[c].begin(), m_tails[c].end(), m_journal.column(int(c)).begin() + kept);
        m_tails.clear();
        restoreFixedRows(m_journal, m_fixedBefore, m_fixedAfter);
    }

private:
    Grid &m_journal;
    int m_selected;
    int m_rowsBefore = 0;
    int m_fixedBefore = 0;
    int m_fixedAfter = 0;
    std::vector<std::vector<QString>> m_tails;
};

// Every column operation ends with the dynamics grid as wide as the journal.
class ColumnEdit : public JournalEdit
{
public:
    ColumnEdit(const QString &name, Grid &journal, Grid &summi, int selected)
        : JournalEdit(name), m_journal(journal), m_summi(summi), m_selected(selected)
    {
    }

protected:
    void matchSummi() { m_summi.setColCount(m_journal.colCount()); }
    Grid &m_journal;
    Grid &m_summi;
    int m_selected;
};

class ColumnInsertion : public ColumnEdit
{
public:
    ColumnInsertion(Grid &journal, Grid &summi, int selected)
        : ColumnEdit(QStringLiteral("Вставка столбца"), journal, summi, selected)
    {
    }
    void redo() override
    {
        m_colsBefore = m_journal.colCount();
        m_inRange = GridOps::insertLessonColumn(m_journal, m_selected);
        matchSummi();
    }
    void undo() override
    {
        if (m_inRange)
            GridOps::deleteColumn(m_journal, m_selected + 1);
        else
            m_journal.setColCount(m_colsBefore);
        matchSummi();
    }

private:
    int m_colsBefore = 0;
    bool m_inRange = false;
};

class ColumnDeletion : public ColumnEdit
{
public:
    ColumnDeletion(Grid &journal, Grid &summi, int selected)
        : ColumnEdit(QStringLiteral("Удаление столбца"), journal, summi, selected)
    {
    }
    bool run()
    {
        const int last = m_journal.colCount() - 1;
        if (m_selected < 1 || m_selected > last) {
            matchSummi();
            return false;
        }
        // Widths stay by position: the last width goes with the last column.
        m_cells = m_journal.column(m_selected);
        m_lastWidth = m_journal.colWidth(last);
        m_fixedBefore = m_journal.fixedCols();
        GridOps::deleteColumn(m_journal, m_selected);
        m_fixedAfter = m_journal.fixedCols();
        matchSummi();
        return true;
    }
    void redo() override { run(); }
    void undo() override
    {
        const int last = m_journal.colCount();
        m_journal.setColCount(last + 1);
        m_journal.setColWidth(last, m_lastWidth);
        m_journal.column(last).swap(m_cells);
        for (int j = last; j > m_selected; --j)
            m_journal.column(j).swap(m_journal.column(j - 1));
        m_cells.clear();
        restoreFixedCols(m_journal, m_fixedBefore, m_fixedAfter);
        matchSummi();
    }

private:
    std::vector<QString> m_cells;
    int m_lastWidth = 0;
    int m_fixedBefore = 0;
    int m_fixedAfter = 0;
};

class ColumnsCut : public ColumnEdit
{
public:
    ColumnsCut(Grid &journal, Grid &summi, int selected)
        : ColumnEdit(QStringLiteral("Удаление столбцов справа"), journal, summi, selected)
    {
    }
    bool run()
    {
        m_colsBefore = m_journal.colCount();
        m_fixedBefore = m_journal.fixedCols();
        const qint64 keep = std::max<qint64>(qint64(m_selected) + 1, 1);
        m_columns.clear();
        m_widths.clear();
        for (qint64 c = keep; c < m_colsBefore; ++c) {
            m_columns.push_back(std::move(m_journal.column(int(c))));
            m_widths.push_back(m_journal.colWidth(int(c)));
        }
        try {
            GridOps::deleteColumnsRight(m_journal, m_selected);
        } catch (...) {
            undoCut(); // too large a grid: nothing was changed
            throw;
        }
        m_fixedAfter = m_journal.fixedCols();
        matchSummi();
        return m_journal.colCount() != m_colsBefore;
    }
    void redo() override { run(); }
    void undo() override
    {
        undoCut();
        restoreFixedCols(m_journal, m_fixedBefore, m_fixedAfter);
        matchSummi();
    }

private:
    void undoCut()
    {
        const int kept = std::min(m_journal.colCount(), m_colsBefore);
        m_journal.setColCount(m_colsBefore);
        for (size_t i = 0; i < m_columns.size(); ++i) {
            m_journal.column(kept + int(i)) = std::move(m_columns[i]);
            m_journal.setColWidth(kept + int(i), m_widths[i]);
        }
        m_columns.clear();
        m_widths.clear();
    }

    int m_colsBefore = 0;
    int m_fixedBefore = 0;
    int m_fixedAfter = 0;
    std::vector<std::vector<QString>> m_columns;
    std::vector<int> m_widths;
};

class RowMove : public JournalEdit
{
public:
    RowMove(Grid &journal, int from, int to)
        : JournalEdit(QStringLiteral("Перемещение строки")), m_journal(journal), m_from(from), m_to(to)
    {
    }
    // After the move: the numbers it carried along, then the new numbering.
    void renumber()
    {
        m_numbers = m_journal.column(JournalLayout::kNumberCol);
        GridOps::renumberStudents(m_journal);
    }
    void redo() override
    {
        GridOps::moveRow(m_journal, m_from, m_to);
        renumber();
    }
    void undo() override
    {
        if (m_numbers.size() == size_t(m_journal.rowCount()))
            m_journal.column(JournalLayout::kNumberCol).swap(m_numbers);
        GridOps::moveRow(m_journal, m_to, m_from);
    }

private:
    Grid &m_journal;
    int m_from;
    int m_to;
    std::vector<QString> m_numbers;
};

class CellText : public JournalEdit
{
public:
    CellText(Grid &grid, int col, int row, QString before, QString after)
        : JournalEdit(QStringLiteral("Ввод в ячейку")), m_grid(grid), m_col(col), m_row(row),
          m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { m_grid.setCell(m_col, m_row, m_after); }
    void undo() override { m_grid.setCell(m_col, m_row, m_before); }

private:
    Grid &m_grid;
    int m_col;
    int m_row;
    QString m_before;
    QString m_after;
};

struct ResultsState
{
    Grid itog;
    Grid uspev;
    Grid summi;
    Indicators indicators;

    explicit ResultsState(const Results &r) : itog(r.itog), uspev(r.uspev), summi(r.summi), indicators(r.indicators) {}
    bool operator==(const ResultsState &o) const
    {
        return itog == o.itog && uspev == o.uspev && summi == o.summi && indicators.uspewa == o.indicators.uspewa
            && indicators.ka4 == o.indicators.ka4 && indicators.obu4 == o.indicators.obu4;
    }
    void restoreInto(const Results &r) const
    {
        r.itog = itog;
        r.uspev = uspev;
        r.summi = summi;
        r.indicators = indicators;
    }
};

class ResultsChange : public JournalEdit
{
public:
    ResultsChange(const QString &name, const Results &results, Grid *journal, ResultsState before, ResultsState after,
                  int journalColsBefore)
        : JournalEdit(name), m_results(results), m_journal(journal), m_before(std::move(before)),
          m_after(std::move(after)), m_journalColsBefore(journalColsBefore)
    {
        // The columns the operation appended to the journal, for the redo.
        if (m_journal) {
            for (int c = journalColsBefore; c < m_journal->colCount(); ++c) {
                m_appended.push_back(m_journal->column(c));
                m_widths.push_back(m_journal->colWidth(c));
            }
        }
    }
    void undo() override
    {
        m_before.restoreInto(m_results);
        if (m_journal)
            m_journal->setColCount(m_journalColsBefore);
    }
    void redo() override
    {
        m_after.restoreInto(m_results);
        if (!m_journal)
            return;
        const int start = m_journal->colCount();
        m_journal->setColCount(start + int(m_appended.size()));
        for (size_t i = 0; i < m_appended.size(); ++i) {
            m_journal->column(start + int(i)) = m_appended[i];
            m_journal->setColWidth(start + int(i), m_widths[i]);
        }
    }

private:
    Results m_results;
    Grid *m_journal;
    ResultsState m_before;
    ResultsState m_after;
    int m_journalColsBefore;
    std::vector<std::vector<QString>> m_appended;
    std::vector<int> m_widths;
};

class SummiFollows : public JournalEdit
{
public:
    SummiFollows(JournalEditPtr edit, Grid &journal, Grid &summi)
        : JournalEdit(edit->name()), m_edit(std::move(edit)), m_journal(journal), m_summi(summi)
    {
    }
    void undo() override { follow([this] { m_edit->undo(); }); }
    void redo() override { follow([this] { m_edit->redo(); }); }

private:
    template <class Step>
    void follow(Step step)
    {
        const int before = m_journal.colCount();
        step();
        if (m_journal.colCount() != before)
            m_summi.setColCount(m_journal.colCount());
    }
    JournalEditPtr m_edit;
    Grid &m_journal;
    Grid &m_summi;
};

template <class Edit>
JournalEditPtr ranWhenChanged(std::unique_ptr<Edit> edit)
{
    if (!edit->run())
        return nullptr;
    return edit;
}

} // namespace

JournalEditPtr insertRow(Grid &journal, int selected)
{
    auto edit = std::make_unique<RowInsertion>(journal, selected);
    edit->redo();
    return edit;
}

JournalEditPtr deleteRow(Grid &journal, int selected)
{
    return ranWhenChanged(std::make_unique<RowDeletion>(journal, selected));
}

JournalEditPtr deleteRowsBelow(Grid &journal, int selected)
{
    return ranWhenChanged(std::make_unique<RowsCut>(journal, selected));
}

JournalEditPtr insertColumn(Grid &journal, Grid &summi, int selected)
{
    auto edit = std::make_unique<ColumnInsertion>(journal, summi, selected);
    edit->redo();
    return edit;
}

JournalEditPtr deleteColumn(Grid &journal, Grid &summi, int selected)
{
    return ranWhenChanged(std::make_unique<ColumnDeletion>(journal, summi, selected));
}

JournalEditPtr deleteColumnsRight(Grid &journal, Grid &summi, int selected)
{
    return ranWhenChanged(std::make_unique<ColumnsCut>(journal, summi, selected));
}

JournalEditPtr renumberAfterMove(Grid &journal, int from, int to)
{
    auto edit = std::make_unique<RowMove>(journal, from, to);
    edit->renumber();
    return edit;
}

JournalEditPtr cellTyped(Grid &grid, int col, int row, const QString &before, const QString &after)
{
    if (before == after || !grid.contains(col, row))
        return nullptr;
    return std::make_unique<CellText>(grid, col, row, before, after);
}

JournalEditPtr followedBySummi(JournalEditPtr edit, Grid &journal, Grid &summi)
{
    if (!edit)
        return nullptr;
    return std::make_unique<SummiFollows>(std::move(edit), journal, summi);
}

void resultsOperation(const QString &name, const Results &results, Grid *journal, const std::function<void()> &operation,
                      const std::function<void(JournalEditPtr)> &record)
{
    ResultsState before(results);
    const int journalCols = journal ? journal->colCount() : 0;
    const auto recordChange = [&] {
        ResultsState after(results);
        const bool journalGrew = journal && journal->colCount() > journalCols;
        if (journalGrew || !(after == before))
            record(std::make_unique<ResultsChange>(name, results, journal, std::move(before), std::move(after), journalCols));
    };
    try {
        operation();
    } catch (...) {
        recordChange();
        throw;
    }
    recordChange();
}

} // namespace JournalEdits
