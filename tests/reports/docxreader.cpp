#include "docxreader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zip.h>

namespace {

const QString kW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");

QByteArray part(zip_t *z, const char *name, bool *found)
{
    zip_stat_t st;
    *found = zip_stat(z, name, 0, &st) == 0;
    if (!*found)
        return {};
    zip_file_t *f = zip_fopen(z, name, 0);
    if (!f) {
        *found = false;
        return {};
    }
    QByteArray out(qsizetype(st.size), '\0');
    const zip_int64_t n = zip_fread(f, out.data(), st.size);
    zip_fclose(f);
    if (n != zip_int64_t(st.size))
        *found = false;
    return out;
}

int intAttr(const QXmlStreamReader &x, const char *name)
{
    return x.attributes().value(kW, QLatin1String(name)).toInt();
}

// The text of one paragraph: runs' texts, tabs and breaks, up to its end.
QString paragraphText(QXmlStreamReader &x, bool &preserved)
{
    QString text;
    while (x.readNextStartElement()) {
        if (x.name() == QLatin1String("r")) {
            while (x.readNextStartElement()) {
                if (x.name() == QLatin1String("t")) {
                    if (x.attributes().value(QStringLiteral("xml:space")) != QLatin1String("preserve"))
                        preserved = false;
                    text += x.readElementText();
                } else if (x.name() == QLatin1String("tab")) {
                    text += u'\t';
                    x.skipCurrentElement();
                } else if (x.name() == QLatin1String("br")) {
                    text += u'\n';
                    x.skipCurrentElement();
                } else {
                    x.skipCurrentElement();
                }
            }
        } else {
            x.skipCurrentElement();
        }
    }
    return text;
}

ReadDocx::Table readTable(QXmlStreamReader &x, bool &preserved)
{
    ReadDocx::Table t;
    while (x.readNextStartElement()) {
        if (x.name() == QLatin1String("tblPr")) {
            while (x.readNextStartElement()) {
                if (x.name() == QLatin1String("tblLayout")) {
                    t.fixedLayout = x.attributes().value(kW, QStringLiteral("type")) == QLatin1String("fixed");
                    x.skipCurrentElement();
                } else if (x.name() == QLatin1String("tblBorders")) {
                    while (x.readNextStartElement()) {
                        t.borders << x.name().toString() + u'=' + x.attributes().value(kW, QStringLiteral("val")).toString();
                        x.skipCurrentElement();
                    }
                } else {
                    x.skipCurrentElement();
                }
            }
        } else if (x.name() == QLatin1String("tblGrid")) {
            while (x.readNextStartElement()) {
                t.gridTwips << intAttr(x, "w");
                x.skipCurrentElement();
            }
        } else if (x.name() == QLatin1String("tr")) {
            QStringList row;
            QList<int> widths;
            QStringList properties;
            while (x.readNextStartElement()) {
                if (x.name() == QLatin1String("trPr")) {
                    while (x.readNextStartElement()) {
                        properties << x.name().toString();
                        x.skipCurrentElement();
                    }
                    continue;
                }
                if (x.name() != QLatin1String("tc")) {
                    x.skipCurrentElement();
                    continue;
                }
                QStringList paragraphs;
                int width = 0;
                while (x.readNextStartElement()) {
                    if (x.name() == QLatin1String("tcPr")) {
                        while (x.readNextStartElement()) {
                            if (x.name() == QLatin1String("tcW"))
                                width = intAttr(x, "w");
                            x.skipCurrentElement();
                        }
                    } else if (x.name() == QLatin1String("p")) {
                        paragraphs << paragraphText(x, preserved);
                    } else {
                        x.skipCurrentElement();
                    }
                }
                row << paragraphs.join(u'\n');
                widths << width;
            }
            t.cells << row;
            t.cellTwips << widths;
            t.rowProperties << properties;
        } else {
            x.skipCurrentElement();
        }
    }
    return t;
}

} // namespace

ReadDocx readDocx(const QByteArray &package)
{
    ReadDocx d;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *src = zip_source_buffer_create(package.constData(), zip_uint64_t(package.size()), 0, &error);
    zip_t *z = src ? zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (!z) {
        d.error = QStringLiteral("not a zip: ") + QString::fromLocal8Bit(zip_error_strerror(&error));
        if (src)
            zip_source_free(src);
        return d;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i)
        d.partNames << QString::fromUtf8(zip_get_name(z, zip_uint64_t(i), 0));
    for (const QString &name : std::as_const(d.partNames)) {
        bool found = false;
        d.parts.insert(name, part(z, name.toUtf8().constData(), &found));
    }
    bool foundDoc = false, foundStyles = false, foundTypes = false;
    d.documentXml = part(z, "word/document.xml", &foundDoc);
    const QByteArray styles = part(z, "word/styles.xml", &foundStyles);
    part(z, "[Content_Types].xml", &foundTypes);
    zip_close(z);
    if (!foundDoc || !foundStyles || !foundTypes) {
        d.error = QStringLiteral("a part is missing");
        return d;
    }

    QXmlStreamReader s(styles);
    while (!s.atEnd()) {
        if (s.readNext() == QXmlStreamReader::StartElement) {
            if (s.name() == QLatin1String("sz") && d.fontHalfPoints == 0)
                d.fontHalfPoints = s.attributes().value(kW, QStringLiteral("val")).toInt();
            if (s.name() == QLatin1String("rFonts") && d.fontName.isEmpty())
                d.fontName = s.attributes().value(kW, QStringLiteral("ascii")).toString();
        }
    }
    if (s.hasError()) {
        d.error = QStringLiteral("styles.xml: ") + s.errorString();
        return d;
    }

    QXmlStreamReader x(d.documentXml);
    if (!x.readNextStartElement() || x.name() != QLatin1String("document") || x.namespaceUri() != kW
        || !x.readNextStartElement() || x.name() != QLatin1String("body")) {
        d.error = QStringLiteral("no w:document/w:body");
        return d;
    }
    while (x.readNextStartElement()) {
        if (x.name() == QLatin1String("p")) {
            d.blocks << paragraphText(x, d.everyTextPreserved);
        } else if (x.name() == QLatin1String("tbl")) {
            d.blocks << QStringLiteral("[table %1]").arg(d.tables.size());
            d.tables << readTable(x, d.everyTextPreserved);
        } else if (x.name() == QLatin1String("sectPr")) {
            while (x.readNextStartElement()) {
                d.sectionElements << x.name().toString();
                if (x.name() == QLatin1String("pgSz")) {
                    d.pageWidthTwips = intAttr(x, "w");
                    d.pageHeightTwips = intAttr(x, "h");
                } else if (x.name() == QLatin1String("pgMar")) {
                    d.leftMarginTwips = intAttr(x, "left");
                    d.rightMarginTwips = intAttr(x, "right");
                }
                x.skipCurrentElement();
            }
        } else {
            x.skipCurrentElement();
        }
    }
    if (x.hasError()) {
        d.error = QStringLiteral("document.xml: ") + x.errorString();
        return d;
    }
    d.ok = true;
    return d;
}

ReadDocx readDocxFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ReadDocx d;
        d.error = QStringLiteral("cannot open ") + path;
        return d;
    }
    return readDocx(f.readAll());
}
