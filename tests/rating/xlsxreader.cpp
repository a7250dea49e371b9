#include "xlsxreader.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <zip.h>

namespace {

QByteArray part(zip_t *z, const QString &name, bool *found)
{
    const QByteArray n = name.toUtf8();
    zip_stat_t st;
    *found = zip_stat(z, n.constData(), 0, &st) == 0;
    if (!*found)
        return {};
    zip_file_t *f = zip_fopen(z, n.constData(), 0);
    if (!f) {
        *found = false;
        return {};
    }
    QByteArray out(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(f, out.data(), st.size);
    zip_fclose(f);
    if (got != zip_int64_t(st.size))
        *found = false;
    return out;
}

// "_x0001_" stands for the character U+0001 in a sheet's text.
QString unescaped(const QString &text)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

// The text of an <si> or <is>: every <t> inside, concatenated.
QString richText(QXmlStreamReader &x, QStringView end)
{
    QString text;
    while (x.readNext() != QXmlStreamReader::Invalid) {
        if (x.isStartElement() && x.name() == u"t")
            text += x.readElementText();
        if (x.isEndElement() && x.name() == end)
            break;
    }
    return unescaped(text);
}

} // namespace

QString xlsxCellName(int col, int row)
{
    QString letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters + QString::number(row + 1);
}

const ReadXlsx::Cell *ReadXlsx::Sheet::at(int col, int row) const
{
    const auto it = cells.constFind(xlsxCellName(col, row));
    return it == cells.constEnd() ? nullptr : &*it;
}

const ReadXlsx::Sheet *ReadXlsx::sheet(const QString &name) const
{
    for (const Sheet &s : sheets)
        if (s.name == name)
            return &s;
    return nullptr;
}

ReadXlsx readXlsxFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ReadXlsx r;
        r.error = QStringLiteral("cannot open ") + path;
        return r;
    }
    return readXlsx(f.readAll());
}

ReadXlsx readXlsx(const QByteArray &package)
{
    ReadXlsx r;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *src = zip_source_buffer_create(package.constData(), zip_uint64_t(package.size()), 0, &error);
    zip_t *z = src ? zip_open_from_source(src, ZIP_RDONLY, &error) : nullptr;
    if (!z) {
        if (src)
            zip_source_free(src);
        r.error = QStringLiteral("not a zip package");
        return r;
    }
    auto fail = [&](const QString &why) {
        r.error = why;
        zip_close(z);
        return r;
    };
    bool found = false;
    auto xmlError = [](const QXmlStreamReader &x, const QString &partName) {
        return QStringLiteral("%1: %2 at line %3").arg(partName, x.errorString()).arg(x.lineNumber());
    };

    // Workbook: sheet names and their relationship ids; the rels give the paths.
    QList<std::pair<QString, QString>> sheetIds;
    {
        QXmlStreamReader x(part(z, QStringLiteral("xl/workbook.xml"), &found));
        if (!found)
            return fail(QStringLiteral("no xl/workbook.xml"));
        while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd())
            if (x.isStartElement() && x.name() == u"sheet")
                sheetIds.append({x.attributes().value(QLatin1String("name")).toString(), x.attributes().value(QLatin1String("r:id")).toString()});
        if (x.hasError())
            return fail(xmlError(x, QStringLiteral("workbook.xml")));
    }
    QHash<QString, QString> targets;
    {
        QXmlStreamReader x(part(z, QStringLiteral("xl/_rels/workbook.xml.rels"), &found));
        while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd())
            if (x.isStartElement() && x.name() == u"Relationship")
                targets.insert(x.attributes().value(QLatin1String("Id")).toString(), x.attributes().value(QLatin1String("Target")).toString());
        if (x.hasError())
            return fail(xmlError(x, QStringLiteral("workbook.xml.rels")));
    }
    QStringList shared;
    {
        const QByteArray sst = part(z, QStringLiteral("xl/sharedStrings.xml"), &found);
        if (found) {
            QXmlStreamReader x(sst);
            while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd())
                if (x.isStartElement() && x.name() == u"si")
                    shared << richText(x, u"si");
            if (x.hasError())
                return fail(xmlError(x, QStringLiteral("sharedStrings.xml")));
        }
    }
    // Styles: the number format code of each cell style.
    QStringList styleFormats;
    {
        QHash<int, QString> codes;
        QXmlStreamReader x(part(z, QStringLiteral("xl/styles.xml"), &found));
        bool inCellXfs = false;
        while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd()) {
            if (x.isStartElement() && x.name() == u"numFmt")
                codes.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(), x.attributes().value(QLatin1String("formatCode")).toString());
            if (x.isStartElement() && x.name() == u"cellXfs")
                inCellXfs = true;
            if (x.isEndElement() && x.name() == u"cellXfs")
                inCellXfs = false;
            if (inCellXfs && x.isStartElement() && x.name() == u"xf")
                styleFormats << codes.value(x.attributes().value(QLatin1String("numFmtId")).toInt());
        }
        if (x.hasError())
            return fail(xmlError(x, QStringLiteral("styles.xml")));
    }

    for (const auto &[name, id] : sheetIds) {
        ReadXlsx::Sheet sheet;
        sheet.name = name;
        const QString path = QStringLiteral("xl/") + targets.value(id);
        QXmlStreamReader x(part(z, path, &found));
        if (!found)
            return fail(QStringLiteral("no ") + path);
        QString ref;
        ReadXlsx::Cell cell;
        while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd()) {
            if (x.isStartElement() && x.name() == u"pane" && x.attributes().value(QLatin1String("state")) == u"frozen") {
                sheet.frozenRows = x.attributes().value(QLatin1String("ySplit")).toInt();
                sheet.frozenCols = x.attributes().value(QLatin1String("xSplit")).toInt();
            } else if (x.isStartElement() && x.name() == u"col") {
                const int min = x.attributes().value(QLatin1String("min")).toInt(), max = x.attributes().value(QLatin1String("max")).toInt();
                for (int c = min; c <= max && c <= 20000; ++c) {
                    while (sheet.colWidths.size() < c)
                        sheet.colWidths << 0;
                    sheet.colWidths[c - 1] = x.attributes().value(QLatin1String("width")).toDouble();
                }
            } else if (x.isStartElement() && x.name() == u"c") {
                ref = x.attributes().value(QLatin1String("r")).toString();
                cell = {};
                cell.type = x.attributes().hasAttribute(QLatin1String("t")) ? x.attributes().value(QLatin1String("t")).toString() : QStringLiteral("n");
                const int style = x.attributes().value(QLatin1String("s")).toInt();
                cell.numberFormat = styleFormats.value(style);
            } else if (x.isStartElement() && x.name() == u"f") {
                cell.formula = true;
            } else if (x.isStartElement() && x.name() == u"v") {
                const QString v = x.readElementText();
                if (cell.type == u"s")
                    cell.text = shared.value(v.toInt());
                else {
                    cell.text = v;
                    cell.number = v.toDouble();
                }
            } else if (x.isStartElement() && x.name() == u"is") {
                cell.text = richText(x, u"is");
            } else if (x.isEndElement() && x.name() == u"c") {
                sheet.cells.insert(ref, cell);
            }
        }
        if (x.hasError())
            return fail(xmlError(x, path));
        r.sheets << sheet;
    }
    zip_close(z);
    r.ok = true;
    return r;
}
