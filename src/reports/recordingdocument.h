#pragma once

#include "reports/documentcontent.h"
#include "reports/reportdocument.h"

#include <QStringList>

// A document that keeps what a report did: every operation as a line of text
// (texts in double quotes, blanks kept: `AppendText "Группа G1"`,
// `SetCellText 1 9 "Оценка"`) and the paragraphs and tables that result.
// Nothing is written or shown.
class RecordingDocument : public ReportDocument
{
public:
    void StartReport() override;
    void SetDocumentFontSize(int points) override;
    void SetLeftMargin(int points) override;
    void AppendText(const QString &text) override;
    void AppendParagraphBreak() override;
    void AddTableAtEnd(int rows, int columns) override;
    void EnableTableBorders() override;
    void SetColumnWidth(int column, int points) override;
    void SetCellText(int row, int column, const QString &text) override;
    void ShowReport() override;

    const QStringList &calls() const { return m_calls; }
    const DocumentContent &content() const { return m_content; }
    bool shown() const { return m_shown; }

private:
    QStringList m_calls;
    DocumentContent m_content;
    bool m_shown = false;
};
