#pragma once

#include "reports/documentcontent.h"

#include <QByteArray>
#include <QPageLayout>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QTextDocument;

// A report's content laid out for print preview and PDF as the .docx lays it
// out: A4 with the .docx's margins, Times New Roman at the document's size,
// tables of fixed column widths with single borders whose first row repeats
// atop each page, and "Стр. N из M" at the foot of each page.
class ReportPrint
{
public:
    explicit ReportPrint(const DocumentContent &content);
    ~ReportPrint();

    // The whole sheet; margins are drawn by paint(), so the layout has none.
    QPageLayout pageLayout() const;
    int pageCount() const;
    const QTextDocument &document() const { return *m_document; }

    // Draws every page on the device, whose page layout is pageLayout() and
    // whose painting starts at the sheet's corner. False when it cannot be painted.
    bool paint(QPagedPaintDevice *device) const;
    // The document as a PDF file's bytes, titled `title`. ZError when it cannot be made.
    QByteArray pdf(const QString &title) const;

    // The footer of page `page` of `pages`.
    static QString footerText(int page, int pages);

private:
    std::unique_ptr<QTextDocument> m_document;
    double m_leftMargin = 0; // points
    int m_fontPoints = 0;
};
