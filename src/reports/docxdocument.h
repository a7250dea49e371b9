#pragma once

#include "journal/errors.h"
#include "reports/documentcontent.h"
#include "reports/reportdocument.h"

#include <QDateTime>
#include <QString>

#include <functional>

// The document was written but nothing opened it; the message names the file.
class ReportNotOpened : public ZError
{
public:
    ReportNotOpened(const QString &message, const QString &path) : ZError(message), m_path(path) {}
    const QString &path() const { return m_path; }

private:
    QString m_path;
};

// A report document written as a .docx file. It is built in memory; only
// ShowReport writes it, so a report that stops with an error writes nothing.
class DocxDocument : public ReportDocument
{
public:
    // Opens a written file in the user's word processor; false when nothing did.
    using Opener = std::function<bool(const QString &path)>;
    // The bytes of the file ShowReport writes, from the content and the title.
    using Encoder = std::function<QByteArray(const DocumentContent &content, const QString &title)>;

    // ShowReport writes into the data root's folder "Отчёты" (made when
    // missing; refused when it is a link or lies out of the root) as "NAME ДД.ММ.ГГГГ ЧЧ-ММ-СС.docx" for the moment `when`, never
    // over a file that is there (the next one gets " (2)", " (3)" ...), then
    // opens it with `open`.
    DocxDocument(const QString &dataRoot, const QString &reportName, const QDateTime &when, Opener open);
    // ShowReport writes exactly this file and opens nothing. It replaces a
    // regular file there (not a link, a device or a pipe); inside the data
    // root `dataRoot`, when given, it replaces only files of the reports
    // folder and never takes the name of a data file.
    explicit DocxDocument(const QString &filePath, const QString &dataRoot = QString());

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

    const DocumentContent &content() const { return m_content; }
    // The document's title property; the report's name unless set.
    void setTitle(const QString &title) { m_title = title; }
    const QString &title() const { return m_title; }
    // ShowReport writes what `encode` makes (a PDF) instead of the .docx package.
    void setEncoder(Encoder encode) { m_encode = std::move(encode); }
    // The file ShowReport wrote; empty before.
    const QString &writtenPath() const { return m_written; }

    // The reports folder inside a data root.
    static QString reportsFolder(const QString &dataRoot);
    // A report name fit for a file name: characters that file systems refuse
    // or that would make a path ("/", "\", ":", "*", "?", quotes, "<", ">",
    // "|", control characters) become "_"; blanks and dots at the end go; at
    // most 100 characters.
    static QString safeFileName(const QString &name);
    // "NAME ДД.ММ.ГГГГ ЧЧ-ММ-СС" of the safe name and the moment.
    static QString fileBaseName(const QString &reportName, const QDateTime &when);

private:
    void writeIntoReportsFolder(const QByteArray &bytes);
    void writeFile(const QByteArray &bytes);
    // The -o file's canonical path, FileError naming it when it may not be written.
    QString checkedOutputFile() const;

    DocumentContent m_content;
    QString m_dataRoot;
    QString m_reportName;
    QString m_title;
    Encoder m_encode;
    QDateTime m_when;
    Opener m_open;
    QString m_filePath; // the -o file, when given
    QString m_written;
};
