#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class Grid;

// The grid text file: line 1 the column count, line 2 the row count, then every
// cell on a line of its own, column by column; cp1251, CR LF on write.

// Fills the grid from the file. FileError when it cannot be read, ConversionError
// when a count line is not an integer or promises an impossible size (the cells
// are then untouched).
void ReadGridFile(const QString &path, Grid &grid);
// How a write's message names a cell: "столбец 3, строка 4" unless the grid's
// owner knows better (the journal names the student and the lesson).
using CellNamer = std::function<QString(int col, int row)>;

// Writes the whole grid. The previous file stays intact when anything fails; a
// cell that cp1251 cannot hold stops the write with a message naming the cell.
void WriteGridFile(const QString &path, const Grid &grid, const CellNamer &namer = {});

// The column widths file: one width in pixels per line, column by column.
// Missing file: nothing changes. The widths go into the grid and, column by
// column, into the companion grid (the dynamics grid), when it is given.
void ReadColumnWidths(const QString &path, Grid &grid, Grid *companion);
// The same for the file's bytes (path only names the file in messages).
void parseColumnWidths(const QString &path, const QByteArray &bytes, Grid &grid, Grid *companion);
void WriteColumnWidths(const QString &path, const Grid &grid);
// The widths file's bytes, for a save that writes several files as one.
QByteArray columnWidthsBytes(const Grid &grid);

// The grid file's bytes and their parse, for callers that hold the bytes already.
QByteArray gridFileBytes(const QString &path, const Grid &grid, const CellNamer &namer = {});
void parseGridFile(const QString &path, const QByteArray &bytes, Grid &grid);

// Reads a whole file (FileError naming it) and writes one through DurableFile::write:
// every byte on the disk before it replaces the old file, which stays intact otherwise.
QByteArray readWholeFile(const QString &path);
// The same for a file that may hold at most maxSize bytes: a larger one is
// refused with tooBigMessage, by the size of the opened file, before a byte is read.
QByteArray readWholeFile(const QString &path, qint64 maxSize, const QString &tooBigMessage);
void writeWholeFile(const QString &path, const QByteArray &bytes);

// The lines of a small cp1251 text file (LF or CR LF; lone CRs dropped).
QStringList readTextLines(const QString &path);
// The lines of a buffer by the same rule; at most maxLines of them when it is
// not negative (the rest is not decoded).
QStringList splitTextLines(const QByteArray &bytes, qsizetype maxLines = -1);
// Writes lines in cp1251 with CR LF; a text cp1251 cannot hold is an error naming it.
void writeTextLines(const QString &path, const QStringList &lines);
