#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// An .xlsx package read back as a spreadsheet program would, independently of
// the writer: the parts unzipped (libzip), the workbook, the shared strings,
// the styles' number formats and each sheet's cells and panes parsed with
// QXmlStreamReader. Any XML error makes the whole read fail.
struct ReadXlsx
{
    struct Cell
    {
        QString type;  // "n" (a number), "s" (a shared text), "inlineStr", "str" (a formula's text) ...
        QString text;  // the shared or inline text with its _xHHHH_ escapes undone, or the number as written
        double number = 0;
        bool formula = false;
        QString numberFormat; // the format code of the cell's style ("dd.mm.yyyy"), empty for General
    };
    struct Sheet
    {
        QString name;
        QHash<QString, Cell> cells; // by reference "A1"
        int frozenRows = 0;         // ySplit of a frozen pane
        int frozenCols = 0;         // xSplit
        QList<double> colWidths;    // <col> widths in characters, by column from 0 (0 where none)
        const Cell *at(int col, int row) const; // from 0; nullptr for an empty cell
    };
    bool ok = false;
    QString error;
    QList<Sheet> sheets;
    const Sheet *sheet(const QString &name) const;
};

ReadXlsx readXlsx(const QByteArray &package);
ReadXlsx readXlsxFile(const QString &path);
// "A1" for column 0, row 0.
QString xlsxCellName(int col, int row);
