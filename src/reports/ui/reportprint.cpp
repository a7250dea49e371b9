#include "reports/ui/reportprint.h"

#include "journal/errors.h"
#include "reports/docxwriter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace {

// The layout counts in quarter points: fine enough that text measured at
// whole pixel sizes is measured as it prints, whatever the screen.
constexpr double kUnits = 4.0;
constexpr double kTwipPoints = 1.0 / 20.0;
constexpr double kCellPaddingPoints = 5.4; // the word processor's 108 twips left and right
constexpr double kFooterFromEdgePoints = 708 * kTwipPoints;

double pageWidthPoints()
{
    return Docx::kPageWidthTwips * kTwipPoints;
}
double pageHeightPoints()
{
    return Docx::kPageHeightTwips * kTwipPoints;
}
double marginPoints()
{
    return Docx::kMarginTwips * kTwipPoints;
}

QFont reportFont(int points)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(int(points * kUnits));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Line breaks inside a text stay line breaks of its paragraph, as in the
// .docx; what XML cannot hold is shown as there.
QString printable(const QString &text)
{
    QString out = Docx::xmlSafe(text);
    out.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    out.replace(u'\r', QChar::LineSeparator);
    out.replace(u'\n', QChar::LineSeparator);
    return out;
}

void insertTable(QTextCursor &cursor, const DocumentContent::Table &t, double textWidth)
{
    QTextTableFormat format;
    QList<QTextLength> widths;
    double total = 0;
    for (int w : t.widths) {
        // A column never given a width takes an equal share, as in the .docx.
        const double units = w > 0 ? w * kUnits : std::max(1.0, textWidth / t.columns);
        widths << QTextLength(QTextLength::FixedLength, units);
        total += units;
    }
    format.setColumnWidthConstraints(widths);
    format.setWidth(QTextLength(QTextLength::FixedLength, total));
    format.setAlignment(Qt::AlignLeft);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    format.setMargin(0);
    format.setBorderCollapse(true);
    format.setBorder(t.borders ? 0.5 * kUnits : 0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(Qt::black);
    format.setHeaderRowCount(t.rows > 1 ? 1 : 0);
    QTextTable *table = cursor.insertTable(t.rows, t.columns, format);
    QTextTableCellFormat cellFormat;
    cellFormat.setLeftPadding(kCellPaddingPoints * kUnits);
    cellFormat.setRightPadding(kCellPaddingPoints * kUnits);
    cellFormat.setTopPadding(0);
    cellFormat.setBottomPadding(0);
    for (int r = 0; r < t.rows; ++r)
        for (int c = 0; c < t.columns; ++c) {
            QTextTableCell cell = table->cellAt(r, c);
            cell.setFormat(cellFormat);
            const QString &text = t.cells.at(r).at(c);
            if (!text.isEmpty())
                cell.firstCursorPosition().insertText(printable(text));
        }
}

} // namespace

ReportPrint::ReportPrint(const DocumentContent &content) : m_document(std::make_unique<QTextDocument>())
{
    m_fontPoints = content.fontSize() > 0 ? content.fontSize() : Docx::kDefaultFontPoints;
    m_leftMargin = content.leftMargin() >= 0 ? content.leftMargin() : marginPoints();
    const double textWidth = (pageWidthPoints() - m_leftMargin - marginPoints()) * kUnits;
    const double textHeight = (pageHeightPoints() - 2 * marginPoints()) * kUnits;

    QTextDocument &doc = *m_document;
    doc.setUndoRedoEnabled(false);
    doc.setDocumentMargin(0);
    doc.setDefaultFont(reportFont(m_fontPoints));
    doc.setPageSize(QSizeF(textWidth, textHeight));

    // A table takes the place of an empty paragraph it is put in, and the
    // empty paragraph it leaves behind takes no room: an empty paragraph
    // beside a table gets a line of its own, as in the word processor.
    QTextCursor cursor(&doc);
    bool first = true;
    bool afterTable = false;
    bool lastEmpty = false;
    for (const DocumentContent::Block &b : content.blocks()) {
        cursor.movePosition(QTextCursor::End);
        if (b.isTable()) {
            if (lastEmpty && !afterTable)
                cursor.insertBlock();
            insertTable(cursor, content.tables().at(b.table), textWidth);
            afterTable = true;
        } else {
            if (afterTable && b.text.isEmpty())
                cursor.insertBlock();
            else if (!first && !afterTable)
                cursor.insertBlock();
            cursor.insertText(printable(b.text));
            afterTable = false;
        }
        lastEmpty = !b.isTable() && b.text.isEmpty();
        first = false;
    }
}

ReportPrint::~ReportPrint() = default;

QPageLayout ReportPrint::pageLayout() const
{
    return QPageLayout(QPageSize(QSizeF(pageWidthPoints(), pageHeightPoints()), QPageSize::Point,
                                 QStringLiteral("A4"), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

int ReportPrint::pageCount() const
{
    return std::max(1, m_document->pageCount());
}

QString ReportPrint::footerText(int page, int pages)
{
    return QStringLiteral("Стр. %1 из %2").arg(page).arg(pages);
}

bool ReportPrint::paint(QPagedPaintDevice *device) const
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    const double scale = device->logicalDpiX() / (72.0 * kUnits);
    const QSizeF body = m_document->pageSize();
    const int pages = pageCount();
    const QFont footerFont = reportFont(m_fontPoints);
    const double sheetWidth = pageWidthPoints() * kUnits;
    const double footerTop = (pageHeightPoints() - kFooterFromEdgePoints) * kUnits;
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device->newPage())
            return false;
        painter.save();
        painter.scale(scale, scale);
        painter.save();
        painter.translate(m_leftMargin * kUnits, marginPoints() * kUnits - page * body.height());
        // The page's band of the document, across the whole sheet: a table
        // wider than the text runs into the right margin, as in the .docx.
        const QRectF shown(-m_leftMargin * kUnits, page * body.height(), sheetWidth, body.height());
        painter.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown;
        context.palette.setColor(QPalette::Text, Qt::black);
        m_document->documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(footerFont);
        painter.setPen(Qt::black);
        const double lineHeight = m_fontPoints * kUnits * 1.5;
        painter.drawText(QRectF(0, footerTop, sheetWidth, lineHeight), Qt::AlignHCenter | Qt::AlignTop,
                         footerText(page + 1, pages));
        painter.restore();
    }
    return painter.end();
}

QByteArray ReportPrint::pdf(const QString &title) const
{
    if (QFontDatabase::families().isEmpty())
        throw ZError(QStringLiteral("Отчёт в PDF не составлен: в системе не найдено ни одного шрифта, "
                                    "текст отчёта нечем написать."));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setPageLayout(pageLayout());
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("zhurnal"));
        if (!paint(&writer))
            throw ZError(QStringLiteral("Отчёт в PDF не составлен: не удалось нарисовать его страницы."));
    }
    if (buffer.data().isEmpty())
        throw ZError(QStringLiteral("Отчёт в PDF не составлен: документ PDF пуст."));
    return buffer.data();
}
