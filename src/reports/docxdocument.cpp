#include "reports/docxdocument.h"

#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/journalfolder.h"
#include "reports/docxwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

DocxDocument::DocxDocument(const QString &dataRoot, const QString &reportName, const QDateTime &when, Opener open)
    : m_dataRoot(dataRoot), m_reportName(reportName), m_title(reportName), m_when(when), m_open(std::move(open))
{
}

DocxDocument::DocxDocument(const QString &filePath, const QString &dataRoot) : m_dataRoot(dataRoot), m_filePath(filePath) {}

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
    const QByteArray bytes = m_encode ? m_encode(m_content, m_title) : Docx::package(m_content, m_title);
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

namespace {

// The names of the data root's own files: a report never takes one of them
// inside the root, where it would stand in for a journal, the catalogue, the
// scale or the access table.
bool isDataFileName(const QString &name)
{
    for (const char *data : {"SpStud.txt", "ColSpStud.txt", "SpTem.txt", "Gurnali.txt", "Pasport.txt", "Dostup.dat"})
        if (name.compare(QLatin1String(data), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isRealFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

bool isInside(const QString &path, const QString &folder)
{
    return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

} // namespace

QString DocxDocument::checkedOutputFile() const
{
    // Checked on the canonical folder, so that no link on the way hides where
    // the file lands; the file itself must be a regular file or nothing.
    const QFileInfo given(m_filePath);
    const QString folder = QFileInfo(given.absolutePath()).canonicalFilePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw FileError(QStringLiteral("Отчёт не записан в %1: нет папки %2.")
                            .arg(quotedPath(m_filePath), quotedPath(given.absolutePath())));
    const QString target = folder == u'/' ? u'/' + given.fileName() : folder + u'/' + given.fileName();
    bool exists = false;
    const QString special = DurableFile::notRegularFile(target, &exists);
    if (!special.isEmpty() || given.fileName().isEmpty())
        throw FileError(QStringLiteral("Отчёт не записан в %1: %2.")
                            .arg(quotedPath(m_filePath), special.isEmpty() ? QStringLiteral("это папка, а не файл") : special));
    // Inside the data root a report may replace only a file of its reports
    // folder: any other file there may be data the program lives on.
    const QString root = m_dataRoot.isEmpty() ? QString() : QFileInfo(m_dataRoot).canonicalFilePath();
    if (!root.isEmpty() && isInside(target, root)) {
        const QString reports = reportsFolder(root);
        const bool inReports = isRealFolder(reports) && isInside(target, reports);
        if (!inReports && exists)
            throw FileError(QStringLiteral("Отчёт не записан в %1: этот файл лежит в папке данных %2, а там отчёт "
                                           "заменяет только файлы папки «Отчёты». Укажите другое имя.")
                                .arg(quotedPath(m_filePath), quotedPath(root)));
        if (!inReports && isDataFileName(given.fileName()))
            throw FileError(QStringLiteral("Отчёт не записан в %1: %2 — имя файла данных, а файл лежит в папке данных %3. "
                                           "Укажите другое имя.")
                                .arg(quotedPath(m_filePath), quotedExcerpt(given.fileName()), quotedPath(root)));
    }
    DurableFile::checkReplaceable(target);
    return target;
}

void DocxDocument::writeFile(const QByteArray &bytes)
{
    // Written whole beside the target, then renamed over it: whatever stood
    // there is replaced, never written through.
    DurableFile::StagedFile file(checkedOutputFile(), DurableFile::Permissions::Kept);
    file.write(bytes);
    file.replaceTarget();
    m_written = QFileInfo(m_filePath).absoluteFilePath();
}

void DocxDocument::writeIntoReportsFolder(const QByteArray &bytes)
{
    // A real folder of the data root, made when missing: a link there would
    // send the report out of the root.
    QString folder;
    try {
        folder = JournalFolder::createdDataFolder(m_dataRoot, QStringLiteral("Отчёты"));
    } catch (const ZError &e) {
        throw FileError(QStringLiteral("Отчёт не записан. %1").arg(e.message()));
    }
    const QString base = QDir(folder).filePath(fileBaseName(m_reportName, m_when));
    // Written whole under a temporary name first, then named: a report cut
    // short never stands under a report's name, and no report there is replaced.
    DurableFile::StagedFile file(base + QStringLiteral(".docx"), DurableFile::Permissions::New);
    file.write(bytes);
    for (int n = 1; n <= 1000; ++n) {
        const QString path = n == 1 ? base + QStringLiteral(".docx") : base + QStringLiteral(" (%1).docx").arg(n);
        if (file.takeNameIfFree(path)) {
            m_written = QFileInfo(path).absoluteFilePath();
            return;
        }
    }
    throw FileError(QStringLiteral("Отчёт не записан: в папке %1 уже слишком много отчётов с именем %2.")
                        .arg(quotedPath(folder), quotedExcerpt(fileBaseName(m_reportName, m_when))));
}
