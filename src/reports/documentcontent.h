#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a report document holds once its operations ran: paragraphs and tables
// in document order, the default text size and the left margin. Both the .docx
// document and the recording document keep one, so that the operations have
// one meaning.
class DocumentContent
{
public:
    struct Table
    {
        int rows = 0;
        int columns = 0;
        bool borders = false;
        QList<int> widths;        // points per column; 0 for a column never set
        QList<QStringList> cells; // cells[row][column], both from 0
    };
    // A paragraph (table < 0) or a table (its index in tables()).
    struct Block
    {
        QString text;
        int table = -1;
        bool isTable() const { return table >= 0; }
    };

    // Limits on what a report may ask for: far beyond any journal, small
    // enough that a damaged grid cannot exhaust memory.
    static constexpr int kMaxTableRows = 100000;
    static constexpr int kMaxTableColumns = 63;
    static constexpr qint64 kMaxTableCells = 2000000;

    // One empty paragraph, no table, the word processor's size and margin.
    void start();
    bool started() const { return m_started; }
    void setFontSize(int points);
    void setLeftMargin(int points);
    void appendText(const QString &text);
    void appendParagraphBreak();
    void addTableAtEnd(int rows, int columns);
    void enableBorders();
    void setColumnWidth(int column, int points);
    void setCellText(int row, int column, const QString &text);

    int fontSize() const { return m_fontSize; }     // 0 when never set
    int leftMargin() const { return m_leftMargin; } // -1 when never set
    const QList<Block> &blocks() const { return m_blocks; }
    const QList<Table> &tables() const { return m_tables; }
    // The texts of the paragraphs, in order, tables left out.
    QStringList paragraphs() const;

private:
    void needStarted(const char *operation) const;
    Table &currentTable(const char *operation);

    bool m_started = false;
    int m_fontSize = 0;
    int m_leftMargin = -1;
    QList<Block> m_blocks;
    QList<Table> m_tables;
    int m_current = -1;
};
