#pragma once

#include <QString>

// The document a report is built in: the ten operations of the word processor's
// automation interface, called in the order each report gives them. Rows and
// columns of a table count from 1, row first. An operation that cannot be done
// (a cell outside the table, a table of no rows) throws a ZError.
class ReportDocument
{
public:
    virtual ~ReportDocument() = default;

    // A new document: one empty paragraph.
    virtual void StartReport() = 0;
    // The default text size, in points.
    virtual void SetDocumentFontSize(int points) = 0;
    // The left page margin, in points.
    virtual void SetLeftMargin(int points) = 0;
    // Appends the text to the last paragraph.
    virtual void AppendText(const QString &text) = 0;
    // Starts a new empty paragraph.
    virtual void AppendParagraphBreak() = 0;
    // A table of empty cells after the last paragraph, then an empty paragraph;
    // the new table is the current one.
    virtual void AddTableAtEnd(int rows, int columns) = 0;
    // Single borders on every cell of the current table.
    virtual void EnableTableBorders() = 0;
    // The width of a column of the current table, in points.
    virtual void SetColumnWidth(int column, int points) = 0;
    virtual void SetCellText(int row, int column, const QString &text) = 0;
    // The document is complete: it is shown to the user.
    virtual void ShowReport() = 0;
};
