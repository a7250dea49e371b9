#pragma once

#include <QString>
#include <QStringView>

class Grid;

// How the recalculation takes the text of a journal score cell (a student row
// of a lesson column): the score test and the conversion of the recalculation,
// told apart so that a window can show a cell that the results leave out.
namespace ScoreCell {

enum class Kind {
    Empty,    // nothing or blanks: an absence in a lesson column (one whose code lacks "кт")
    Score,    // digits and at most one comma, a number: counted in the sums
    NoNumber, // digits and commas but no number ("1,2,3", ",", beyond the range): the recalculation stops at it
    Absent,   // "н": read as no absence, for only an empty cell is one; left out
    Text,     // any other text ("4.5", "abc", "-"): neither a score nor an absence; left out
};

// The kind of a cell text; no allocation for the usual texts.
Kind classify(QStringView text);

// Whether the recalculation leaves a cell of that kind out of the results.
inline bool leftOut(Kind kind)
{
    return kind == Kind::Absent || kind == Kind::Text || kind == Kind::NoNumber;
}

// Why a cell of that kind is left out, as its hint shows it; empty for the
// kinds that count.
const QString &reason(Kind kind);

// The score cells of a journal that the results leave out: every student row
// of every lesson column.
int leftOutCells(const Grid &journal);

} // namespace ScoreCell
