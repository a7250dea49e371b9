#include "reports/docxdocument.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "reports/docxwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

DocxDocument::DocxDocument(const QString &dataRoot, const QString &reportName, const QDateTime &when, Opener open)
    : m_dataRoot(dataRoot), m_reportName(reportName), m_when(when), m_open(std::move(open))
{
}

DocxDocument::DocxDocument(const QString &filePath) : m_filePath(filePath) {}

void DocxDocument::StartReport()
{
    m_content.start();
}

void DocxDocument::SetDocumentFontSize(int points)
{
    m_content.setFontSize(points);
}

void DocxDocument::SetLeftMargin(int points)
{
    m_content.setLeftMargin(points);
}

void DocxDocument::AppendText(const QString &text)
{
    m_content.appendText(text);
}

void DocxDocument::AppendParagraphBreak()
{
    m_content.appendParagraphBreak();
}

void DocxDocument::AddTableAtEnd(int rows, int columns)
{
    m_content.addTableAtEnd(rows, columns);
}

void DocxDocument::EnableTableBorders()
{
    m_content.enableBorders();
}

void DocxDocument::SetColumnWidth(int column, int points)
{
    m_content.setColumnWidth(column, points);
}

void DocxDocument::SetCellText(int row, int column, const QString &text)
{
    m_content.setCellText(row, column, text);
}

QString DocxDocument::reportsFolder(const QString &dataRoot)
{
    return QDir(dataRoot).filePath(QStringLiteral("Отчёты"));
}

QString DocxDocument::safeFileName(const QString &name)
{
    QString out;
    out.reserve(std::min<qsizetype>(name.size(), 100));
    for (QChar ch : name) {
        if (out.size() >= 100)
            break;
        const char16_t u = ch.unicode();
        const bool unsafe = u < 0x20 || u == 0x7F || QStringView(u"/\\:*?\"<>|").contains(ch) || ch.isSurrogate();
        out += unsafe ? QChar(u'_') : ch;
    }
    while (!out.isEmpty() && (out.back() == u' ' || out.back() == u'.'))
        out.chop(1);
    while (!out.isEmpty() && out.front() == u'.')
        out.remove(0, 1);
    return out.isEmpty() ? QStringLiteral("Отчёт") : out;
}

QString DocxDocument::fileBaseName(const QString &reportName, const QDateTime &when)
{
    return safeFileName(reportName) + u' ' + when.toString(QStringLiteral("dd.MM.yyyy HH-mm-ss"));
}

void DocxDocument::ShowReport()
{
    if (!m_content.started())
        throw ZError(QStringLiteral("Отчёт не составлен: документ ещё не начат."));
    const QByteArray bytes = Docx::package(m_content);
    if (!m_filePath.isEmpty()) {
        writeFile(bytes);
        return;
    }
    writeIntoReportsFolder(bytes);
    if (m_open && !m_open(m_written))
        throw ReportNotOpened(QStringLiteral("Отчёт записан в файл %1, но открыть его не удалось: "
                                    "нет программы, которая открывает документы .docx.")
                                  .arg(quotedPath(m_written)),
                              m_written);
}

void DocxDocument::writeFile(const QByteArray &bytes)
{
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(QStringLiteral("Не удалось записать отчёт в файл %1: %2.").arg(quotedPath(m_filePath), file.errorString()));
    m_written = QFileInfo(m_filePath).absoluteFilePath();
}

void DocxDocument::writeIntoReportsFolder(const QByteArray &bytes)
{
    const QString folder = reportsFolder(m_dataRoot);
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        throw FileError(QStringLiteral("Отчёт не записан: %1 не папка.").arg(quotedPath(folder)));
    if (!info.exists() && !QDir().mkpath(folder))
        throw FileError(QStringLiteral("Отчёт не записан: не удалось создать папку %1.").arg(quotedPath(folder)));
    const QString base = QDir(folder).filePath(fileBaseName(m_reportName, m_when));
    for (int n = 1; n <= 1000; ++n) {
        const QString path = n == 1 ? base + QStringLiteral(".docx") : base + QStringLiteral(" (%1).docx").arg(n);
        QFile file(path);
        // NewOnly: a file that is there, or one made meanwhile, is never replaced.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
                continue;
            throw FileError(QStringLiteral("Не удалось записать отчёт в файл %1: %2.").arg(quotedPath(path), file.errorString()));
        }
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            const QString why = file.errorString();
            file.close();
            file.remove();
            throw FileError(QStringLiteral("Не удалось записать отчёт в файл %1: %2.").arg(quotedPath(path), why));
        }
        file.close();
        m_written = QFileInfo(path).absoluteFilePath();
        return;
    }
    throw FileError(QStringLiteral("Отчёт не записан: в папке %1 уже слишком много отчётов с именем %2.")
                        .arg(quotedPath(folder), quotedExcerpt(fileBaseName(m_reportName, m_when))));
}
