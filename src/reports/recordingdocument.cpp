#include "reports/recordingdocument.h"

namespace {
QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

void RecordingDocument::StartReport()
{
    m_calls << QStringLiteral("StartReport");
    m_content.start();
    m_shown = false;
}

void RecordingDocument::SetDocumentFontSize(int points)
{
    m_calls << QStringLiteral("SetDocumentFontSize %1").arg(points);
    m_content.setFontSize(points);
}

void RecordingDocument::SetLeftMargin(int points)
{
    m_calls << QStringLiteral("SetLeftMargin %1").arg(points);
    m_content.setLeftMargin(points);
}

void RecordingDocument::AppendText(const QString &text)
{
    m_calls << QStringLiteral("AppendText ") + quoted(text);
    m_content.appendText(text);
}

void RecordingDocument::AppendParagraphBreak()
{
    m_calls << QStringLiteral("AppendParagraphBreak");
    m_content.appendParagraphBreak();
}

void RecordingDocument::AddTableAtEnd(int rows, int columns)
{
    m_calls << QStringLiteral("AddTableAtEnd %1 %2").arg(rows).arg(columns);
    m_content.addTableAtEnd(rows, columns);
}

void RecordingDocument::EnableTableBorders()
{
    m_calls << QStringLiteral("EnableTableBorders");
    m_content.enableBorders();
}

void RecordingDocument::SetColumnWidth(int column, int points)
{
    m_calls << QStringLiteral("SetColumnWidth %1 %2").arg(column).arg(points);
    m_content.setColumnWidth(column, points);
}

void RecordingDocument::SetCellText(int row, int column, const QString &text)
{
    m_calls << QStringLiteral("SetCellText %1 %2 ").arg(row).arg(column) + quoted(text);
    m_content.setCellText(row, column, text);
}

void RecordingDocument::ShowReport()
{
    m_calls << QStringLiteral("ShowReport");
    m_shown = true;
}
