#include "reports/documentcontent.h"

#include "journal/errors.h"

namespace {

ZError refused(const char *operation, const QString &why)
{
    return ZError(QStringLiteral("Отчёт не составлен: операция %1 невозможна: %2.").arg(QLatin1String(operation), why));
}

} // namespace

void DocumentContent::needStarted(const char *operation) const
{
    if (!m_started)
        throw refused(operation, QStringLiteral("документ ещё не начат"));
}

void DocumentContent::start()
{
    m_started = true;
    m_fontSize = 0;
    m_leftMargin = -1;
    m_blocks = {Block{}};
    m_tables.clear();
    m_current = -1;
}

void DocumentContent::setFontSize(int points)
{
    needStarted("SetDocumentFontSize");
    if (points < 1 || points > 1638)
        throw refused("SetDocumentFontSize", QStringLiteral("размер шрифта %1 вне пределов 1–1638").arg(points));
    m_fontSize = points;
}

void DocumentContent::setLeftMargin(int points)
{
    needStarted("SetLeftMargin");
    // An A4 page is 595 points wide; the text keeps at least an inch.
    if (points < 0 || points > 450)
        throw refused("SetLeftMargin", QStringLiteral("левое поле %1 вне пределов 0–450").arg(points));
    m_leftMargin = points;
}

void DocumentContent::appendText(const QString &text)
{
    needStarted("AppendText");
    m_blocks.last().text += text;
}

void DocumentContent::appendParagraphBreak()
{
    needStarted("AppendParagraphBreak");
    m_blocks.append(Block{});
}

void DocumentContent::addTableAtEnd(int rows, int columns)
{
    needStarted("AddTableAtEnd");
    if (rows < 1 || rows > kMaxTableRows)
        throw refused("AddTableAtEnd", QStringLiteral("число строк таблицы %1 вне пределов 1–%2").arg(rows).arg(kMaxTableRows));
    if (columns < 1 || columns > kMaxTableColumns)
        throw refused("AddTableAtEnd",
                      QStringLiteral("число столбцов таблицы %1 вне пределов 1–%2").arg(columns).arg(kMaxTableColumns));
    qint64 cells = qint64(rows) * columns;
    for (const Table &t : std::as_const(m_tables))
        cells += qint64(t.rows) * t.columns;
    if (cells > kMaxTableCells)
        throw refused("AddTableAtEnd", QStringLiteral("в таблицах отчёта больше %1 ячеек").arg(kMaxTableCells));
    Table table;
    table.rows = rows;
    table.columns = columns;
    table.widths = QList<int>(columns, 0);
    table.cells = QList<QStringList>(rows, QStringList(columns, QString()));
    m_tables.append(table);
    m_current = int(m_tables.size()) - 1;
    m_blocks.append(Block{QString(), m_current});
    m_blocks.append(Block{});
}

DocumentContent::Table &DocumentContent::currentTable(const char *operation)
{
    needStarted(operation);
    if (m_current < 0)
        throw refused(operation, QStringLiteral("в документе нет таблицы"));
    return m_tables[m_current];
}

void DocumentContent::enableBorders()
{
    currentTable("EnableTableBorders").borders = true;
}

void DocumentContent::setColumnWidth(int column, int points)
{
    Table &t = currentTable("SetColumnWidth");
    if (column < 1 || column > t.columns)
        throw refused("SetColumnWidth", QStringLiteral("столбца %1 нет в таблице из %2 столбцов").arg(column).arg(t.columns));
    if (points < 1 || points > 1584)
        throw refused("SetColumnWidth", QStringLiteral("ширина столбца %1 вне пределов 1–1584").arg(points));
    t.widths[column - 1] = points;
}

void DocumentContent::setCellText(int row, int column, const QString &text)
{
    Table &t = currentTable("SetCellText");
    if (row < 1 || row > t.rows || column < 1 || column > t.columns)
        throw refused("SetCellText", QStringLiteral("ячейки (%1, %2) нет в таблице %3 × %4")
                                         .arg(row)
                                         .arg(column)
                                         .arg(t.rows)
                                         .arg(t.columns));
    t.cells[row - 1][column - 1] = text;
}

QStringList DocumentContent::paragraphs() const
{
    QStringList out;
    for (const Block &b : m_blocks)
        if (!b.isTable())
            out << b.text;
    return out;
}
