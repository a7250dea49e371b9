#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class Grid;

// The properties that the readers of data files keep for every input, damaged
// or not. Each check runs one reader on one input and returns a description of
// the first property that does not hold, or an empty string. The fuzz targets
// abort on a description; the regression test of saved inputs fails with it.
namespace ReaderInvariants {

// The longest message a reader may throw, whatever the length of its input.
inline constexpr qsizetype kMaxMessageLength = 400;

// The file name the checks give the readers (messages name it).
inline constexpr char kFileName[] = "SpStud.txt";

// A grid of the given counts with texts in its first row, its first column and
// on its diagonal, one fixed column and row, and a width of its own per column:
// contents that a reader must keep when it refuses a file.
Grid knownGrid(int cols, int rows);

// parseGridFile into `grid`, which holds what the grid held before:
// - success only for two integer count lines whose shape a journal may have;
//   the counts are those of the lines (a count below 1 is 1), the cells are the
//   lines that follow, column by column, and none holds CR or LF; the grid
//   written by gridFileBytes reads back into a fresh grid as the same counts
//   and cells;
// - otherwise a ConversionError or FileError with a short message, and the grid
//   as it was, except that a line 2 that is no integer leaves the column count
//   of a valid line 1 in force when that shape is allowed (rows and the cells
//   that remain unchanged, new cells empty);
// - every outcome leaves a grid of an allowed size.
QString checkGridFile(const QByteArray &bytes, Grid &grid);

// parseColumnWidths into `grid` and `companion` (may be null):
// - only the project's errors, with short messages; counts and cells never change;
// - on success every column of the grid has the width on its line (blank lines
//   skipped, the rest of a line ignored; 0 when the file has no line for it; a
//   negative width 0, one beyond 10000 pixels 10000) and so has the same column
//   of the companion; on a refusal, a width that is not an integer was there,
//   and the columns from it on keep their widths.
QString checkColumnWidths(const QByteArray &bytes, Grid &grid, Grid *companion);

// GradingScale::parse, then GradingScale::convert:
// - the texts are the first three lines of the file (empty when missing), without
//   CR or LF, or the project's error with a short message;
// - convert succeeds exactly when all three texts are numbers, with their values,
//   or throws a ConversionError with a short message;
// - the five-point grade never falls as the percentage rises.
QString checkGradingScale(const QByteArray &bytes);

// Decimal4::fromText and the texts of numbers:
// - fromText succeeds exactly when parse says Ok, with the same value; otherwise
//   a ConversionError with a short message, never another exception;
// - toString gives the shortest text (no trailing zero after the comma, no "-0")
//   and fromText of it gives the same value;
// - the lenient conversion (Str4islo) gives 0 for a text that fails the score
//   test and the strict value, or the strict error, for one that passes it.
QString checkDecimal4(QStringView text);

} // namespace ReaderInvariants
