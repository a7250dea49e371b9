#include "reports/docxwriter.h"

#include "journal/errors.h"

#include <QXmlStreamWriter>

#include <zip.h>

#include <memory>

namespace Docx {

namespace {

const QString kW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kR = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

int twips(int points)
{
    return points * 20;
}

void attr(QXmlStreamWriter &x, const char *name, const QString &value)
{
    x.writeAttribute(kW, QLatin1String(name), value);
}

void attr(QXmlStreamWriter &x, const char *name, int value)
{
    attr(x, name, QString::number(value));
}

// <w:NAME w:val="VALUE"/>
void valueElement(QXmlStreamWriter &x, const char *name, const QString &value)
{
    x.writeEmptyElement(kW, QLatin1String(name));
    attr(x, "val", value);
}

// The runs of one paragraph: tabs and line breaks as their own elements,
// the rest as text whose blanks are kept.
void writeRuns(QXmlStreamWriter &x, const QString &text)
{
    if (text.isEmpty())
        return;
    x.writeStartElement(kW, QStringLiteral("r"));
    QString pending;
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        x.writeStartElement(kW, QStringLiteral("t"));
        x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x.writeCharacters(pending);
        x.writeEndElement();
        pending.clear();
    };
    const QString safe = xmlSafe(text);
    for (qsizetype i = 0; i < safe.size(); ++i) {
        const QChar ch = safe.at(i);
        if (ch == u'\t') {
            flush();
            x.writeEmptyElement(kW, QStringLiteral("tab"));
        } else if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < safe.size() && safe.at(i + 1) == u'\n')
                ++i;
            flush();
            x.writeEmptyElement(kW, QStringLiteral("br"));
        } else {
            pending += ch;
        }
    }
    flush();
    x.writeEndElement();
}

void writeParagraph(QXmlStreamWriter &x, const QString &text)
{
    x.writeStartElement(kW, QStringLiteral("p"));
    writeRuns(x, text);
    x.writeEndElement();
}

void writeBorders(QXmlStreamWriter &x, const char *element)
{
    x.writeStartElement(kW, QLatin1String(element));
    for (const char *side : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
        x.writeEmptyElement(kW, QLatin1String(side));
        attr(x, "val", QStringLiteral("single"));
        attr(x, "sz", 4);
        attr(x, "space", 0);
        attr(x, "color", QStringLiteral("000000"));
    }
    x.writeEndElement();
}

int textWidthTwips(const DocumentContent &content)
{
    const int left = content.leftMargin() >= 0 ? twips(content.leftMargin()) : kMarginTwips;
    return kPageWidthTwips - left - kMarginTwips;
}

void writeTable(QXmlStreamWriter &x, const DocumentContent::Table &t, int textWidth)
{
    // A column never given a width takes an equal share of the text width, as
    // a new table spreads over the page.
    QList<int> widths;
    int total = 0;
    for (int w : t.widths) {
        widths << (w > 0 ? twips(w) : std::max(1, textWidth / t.columns));
        total += widths.last();
    }
    x.writeStartElement(kW, QStringLiteral("tbl"));
    x.writeStartElement(kW, QStringLiteral("tblPr"));
    x.writeEmptyElement(kW, QStringLiteral("tblW"));
    attr(x, "w", total);
    attr(x, "type", QStringLiteral("dxa"));
    if (t.borders)
        writeBorders(x, "tblBorders");
    x.writeEmptyElement(kW, QStringLiteral("tblLayout"));
    attr(x, "type", QStringLiteral("fixed"));
    x.writeEmptyElement(kW, QStringLiteral("tblLook"));
    attr(x, "val", QStringLiteral("0000"));
    x.writeEndElement(); // tblPr
    x.writeStartElement(kW, QStringLiteral("tblGrid"));
    for (int w : widths) {
        x.writeEmptyElement(kW, QStringLiteral("gridCol"));
        attr(x, "w", w);
    }
    x.writeEndElement();
    for (int r = 0; r < t.rows; ++r) {
        x.writeStartElement(kW, QStringLiteral("tr"));
        // A row is never cut by a page end; the first row of every report
        // table holds the column titles and stands again atop each page.
        x.writeStartElement(kW, QStringLiteral("trPr"));
        x.writeEmptyElement(kW, QStringLiteral("cantSplit"));
        if (r == 0)
            x.writeEmptyElement(kW, QStringLiteral("tblHeader"));
        x.writeEndElement(); // trPr
        for (int c = 0; c < t.columns; ++c) {
            x.writeStartElement(kW, QStringLiteral("tc"));
            x.writeStartElement(kW, QStringLiteral("tcPr"));
            x.writeEmptyElement(kW, QStringLiteral("tcW"));
            attr(x, "w", widths.at(c));
            attr(x, "type", QStringLiteral("dxa"));
            x.writeEndElement();
            writeParagraph(x, t.cells.at(r).at(c));
            x.writeEndElement(); // tc
        }
        x.writeEndElement(); // tr
    }
    x.writeEndElement(); // tbl
}

QByteArray finished(QXmlStreamWriter &x, const QByteArray &bytes, const char *part)
{
    if (x.hasError())
        throw ZError(QStringLiteral("Отчёт не составлен: не удалось записать часть документа %1.").arg(QLatin1String(part)));
    return bytes;
}

QByteArray contentTypesXml()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "<Override PartName=\"/word/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
        "<Override PartName=\"/word/settings.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
        "<Override PartName=\"/word/footer1.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml\"/>"
        "<Override PartName=\"/docProps/core.xml\" "
        "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
        "</Types>");
}

QByteArray packageRelsXml()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/>"
        "<Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" "
        "Target=\"docProps/core.xml\"/>"
        "</Relationships>");
}

QByteArray documentRelsXml()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
        "Target=\"styles.xml\"/>"
        "<Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" "
        "Target=\"settings.xml\"/>"
        "<Relationship Id=\"rId3\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer\" "
        "Target=\"footer1.xml\"/>"
        "</Relationships>");
}

struct ZipDeleter
{
    void operator()(zip_t *z) const { zip_discard(z); }
};
struct SourceDeleter
{
    void operator()(zip_source_t *s) const { zip_source_free(s); }
};

ZError zipFailure(zip_error_t *error)
{
    return ZError(QStringLiteral("Отчёт не составлен: не удалось упаковать документ (%1).")
                      .arg(QString::fromLocal8Bit(zip_error_strerror(error))));
}

} // namespace

QString xmlSafe(const QString &text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t u = out.at(i).unicode();
        const bool control = u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r';
        bool bad = control || u == 0xFFFE || u == 0xFFFF;
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 < out.size() && QChar::isLowSurrogate(out.at(i + 1).unicode())) {
                ++i;
                continue;
            }
            bad = true;
        } else if (QChar::isLowSurrogate(u)) {
            bad = true;
        }
        if (bad)
            out[i] = QChar(0xFFFD);
    }
    return out;
}

QByteArray documentXml(const DocumentContent &content)
{
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(kW, QStringLiteral("w"));
    x.writeNamespace(kR, QStringLiteral("r"));
    x.writeStartElement(kW, QStringLiteral("document"));
    x.writeStartElement(kW, QStringLiteral("body"));
    const int textWidth = textWidthTwips(content);
    for (const DocumentContent::Block &b : content.blocks()) {
        if (b.isTable())
            writeTable(x, content.tables().at(b.table), textWidth);
        else
            writeParagraph(x, b.text);
    }
    x.writeStartElement(kW, QStringLiteral("sectPr"));
    x.writeEmptyElement(kW, QStringLiteral("footerReference"));
    attr(x, "type", QStringLiteral("default"));
    x.writeAttribute(kR, QStringLiteral("id"), QStringLiteral("rId3"));
    x.writeEmptyElement(kW, QStringLiteral("pgSz"));
    attr(x, "w", kPageWidthTwips);
    attr(x, "h", kPageHeightTwips);
    x.writeEmptyElement(kW, QStringLiteral("pgMar"));
    attr(x, "top", kMarginTwips);
    attr(x, "right", kMarginTwips);
    attr(x, "bottom", kMarginTwips);
    attr(x, "left", content.leftMargin() >= 0 ? twips(content.leftMargin()) : kMarginTwips);
    attr(x, "header", 708);
    attr(x, "footer", 708);
    attr(x, "gutter", 0);
    x.writeEndElement(); // sectPr
    x.writeEndElement(); // body
    x.writeEndElement(); // document
    x.writeEndDocument();
    return finished(x, bytes, "word/document.xml");
}

QByteArray stylesXml(const DocumentContent &content)
{
    const QString halfPoints = QString::number(2 * (content.fontSize() > 0 ? content.fontSize() : kDefaultFontPoints));
    const QString font = QStringLiteral("Times New Roman");
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(kW, QStringLiteral("w"));
    x.writeStartElement(kW, QStringLiteral("styles"));
    x.writeStartElement(kW, QStringLiteral("docDefaults"));
    x.writeStartElement(kW, QStringLiteral("rPrDefault"));
    x.writeStartElement(kW, QStringLiteral("rPr"));
    x.writeEmptyElement(kW, QStringLiteral("rFonts"));
    for (const char *a : {"ascii", "hAnsi", "cs", "eastAsia"})
        attr(x, a, font);
    valueElement(x, "sz", halfPoints);
    valueElement(x, "szCs", halfPoints);
    x.writeEmptyElement(kW, QStringLiteral("lang"));
    attr(x, "val", QStringLiteral("ru-RU"));
    attr(x, "eastAsia", QStringLiteral("ru-RU"));
    attr(x, "bidi", QStringLiteral("ar-SA"));
    x.writeEndElement(); // rPr
    x.writeEndElement(); // rPrDefault
    x.writeStartElement(kW, QStringLiteral("pPrDefault"));
    x.writeStartElement(kW, QStringLiteral("pPr"));
    x.writeEmptyElement(kW, QStringLiteral("spacing"));
    attr(x, "after", 0);
    attr(x, "line", 240);
    attr(x, "lineRule", QStringLiteral("auto"));
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndElement(); // docDefaults
    x.writeStartElement(kW, QStringLiteral("style"));
    attr(x, "type", QStringLiteral("paragraph"));
    attr(x, "default", QStringLiteral("1"));
    attr(x, "styleId", QStringLiteral("Normal"));
    valueElement(x, "name", QStringLiteral("Normal"));
    x.writeEndElement();
    x.writeEndElement(); // styles
    x.writeEndDocument();
    return finished(x, bytes, "word/styles.xml");
}

QByteArray settingsXml()
{
    // Mode 15: the word processor opens the document as one of its own
    // version, not in compatibility mode.
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(kW, QStringLiteral("w"));
    x.writeStartElement(kW, QStringLiteral("settings"));
    x.writeStartElement(kW, QStringLiteral("compat"));
    x.writeEmptyElement(kW, QStringLiteral("compatSetting"));
    attr(x, "name", QStringLiteral("compatibilityMode"));
    attr(x, "uri", QStringLiteral("http://schemas.microsoft.com/office/word"));
    attr(x, "val", QStringLiteral("15"));
    x.writeEndElement(); // compat
    x.writeEndElement(); // settings
    x.writeEndDocument();
    return finished(x, bytes, "word/settings.xml");
}

namespace {

void writeField(QXmlStreamWriter &x, const QString &instruction, const QString &shown)
{
    auto fieldChar = [&x](const char *type) {
        x.writeStartElement(kW, QStringLiteral("r"));
        x.writeEmptyElement(kW, QStringLiteral("fldChar"));
        attr(x, "fldCharType", QLatin1String(type));
        x.writeEndElement();
    };
    fieldChar("begin");
    x.writeStartElement(kW, QStringLiteral("r"));
    x.writeStartElement(kW, QStringLiteral("instrText"));
    x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    x.writeCharacters(u' ' + instruction + u' ');
    x.writeEndElement();
    x.writeEndElement();
    fieldChar("separate");
    writeRuns(x, shown);
    fieldChar("end");
}

} // namespace

QByteArray footerXml()
{
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(kW, QStringLiteral("w"));
    x.writeStartElement(kW, QStringLiteral("ftr"));
    x.writeStartElement(kW, QStringLiteral("p"));
    x.writeStartElement(kW, QStringLiteral("pPr"));
    valueElement(x, "jc", QStringLiteral("center"));
    x.writeEndElement();
    writeRuns(x, QStringLiteral("Стр. "));
    writeField(x, QStringLiteral("PAGE"), QStringLiteral("1"));
    writeRuns(x, QStringLiteral(" из "));
    writeField(x, QStringLiteral("NUMPAGES"), QStringLiteral("1"));
    x.writeEndElement(); // p
    x.writeEndElement(); // ftr
    x.writeEndDocument();
    return finished(x, bytes, "word/footer1.xml");
}

QByteArray coreXml(const QString &title)
{
    const QString cp = QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
    const QString dc = QStringLiteral("http://purl.org/dc/elements/1.1/");
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(cp, QStringLiteral("cp"));
    x.writeNamespace(dc, QStringLiteral("dc"));
    x.writeStartElement(cp, QStringLiteral("coreProperties"));
    x.writeTextElement(dc, QStringLiteral("title"), xmlSafe(title));
    x.writeEndElement();
    x.writeEndDocument();
    return finished(x, bytes, "docProps/core.xml");
}

QByteArray package(const DocumentContent &content, const QString &title)
{
    const QList<std::pair<const char *, QByteArray>> parts = {
        {"[Content_Types].xml", contentTypesXml()},
        {"_rels/.rels", packageRelsXml()},
        {"docProps/core.xml", coreXml(title)},
        {"word/_rels/document.xml.rels", documentRelsXml()},
        {"word/document.xml", documentXml(content)},
        {"word/styles.xml", stylesXml(content)},
        {"word/settings.xml", settingsXml()},
        {"word/footer1.xml", footerXml()},
    };

    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceDeleter> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer)
        throw zipFailure(&error);
    std::unique_ptr<zip_t, ZipDeleter> archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
    if (!archive)
        throw zipFailure(&error);
    // The archive owns the source from here; one reference more keeps the bytes after zip_close.
    zip_source_keep(buffer.get());
    for (const auto &[name, data] : parts) {
        zip_source_t *source = zip_source_buffer(archive.get(), data.constData(), zip_uint64_t(data.size()), 0);
        if (!source)
            throw zipFailure(zip_get_error(archive.get()));
        if (zip_file_add(archive.get(), name, source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            throw zipFailure(zip_get_error(archive.get()));
        }
    }
    if (zip_close(archive.get()) < 0)
        throw zipFailure(zip_get_error(archive.get()));
    archive.release(); // closed: freed by zip_close

    zip_source_t *src = buffer.get();
    if (zip_source_open(src) < 0)
        throw zipFailure(zip_source_error(src));
    QByteArray out;
    char chunk[65536];
    zip_int64_t n = 0;
    while ((n = zip_source_read(src, chunk, sizeof chunk)) > 0)
        out.append(chunk, qsizetype(n));
    const bool failed = n < 0;
    zip_source_close(src);
    if (failed)
        throw zipFailure(zip_source_error(src));
    return out;
}

} // namespace Docx
