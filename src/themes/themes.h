#pragma once

#include <QString>

class Grid;

// The thematic plan `TemiSpisok`: row 0 the headers, themes from row 1 with
// number, code, weight and name; the code links a theme to the journal's
// lesson columns, which carry it in their code row (row 2).
namespace Themes {

enum Column { NumberCol = 0, CodeCol = 1, WeightCol = 2, NameCol = 3 };

// The grid of a fresh plan window: 4 columns, 5 rows, the header row fixed, the
// design widths and the headers.
Grid makeGrid();

// The first theme row r >= 1 whose trimmed code equals the trimmed key (exact,
// case-sensitive), or -1. Every place that needs a column's theme uses this.
int findTheme(const Grid &themes, const QString &key);
// The name (column 3) of the theme with that code; a null text when none has it.
QString themeName(const Grid &themes, const QString &key);

// The first lesson column c >= 2 of the journal grid whose trimmed code-row text
// equals the trimmed code, or -1.
int findLessonColumn(const Grid &journal, const QString &code);

} // namespace Themes
