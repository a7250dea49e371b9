#include "docxreader.h"

#include "journal/errors.h"
#include "reports/docxdocument.h"
#include "reports/docxwriter.h"
#include "reports/recordingdocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A small document with both kinds of blocks: heading, a bordered 2 × 3
// table with widths, a line after it, and a second table without borders.
template<class Doc>
void buildSample(Doc &doc)
{
    doc.StartReport();
    doc.SetDocumentFontSize(8);
    doc.SetLeftMargin(50);
    doc.AppendText(u"Накопленный рейтинг"_s);
    doc.AppendText(u"     На 08.12.2026   Папка  Inf  "_s);
    doc.AppendParagraphBreak();
    doc.AppendText(u"Группа "_s);
    doc.AddTableAtEnd(2, 3);
    doc.AppendText(u" "_s);
    doc.EnableTableBorders();
    doc.SetColumnWidth(1, 23);
    doc.SetColumnWidth(2, 100);
    doc.SetColumnWidth(3, 35);
    doc.SetCellText(1, 1, u"№ "_s);
    doc.SetCellText(2, 3, u"  Ёжик  в тумане "_s);
    doc.AppendParagraphBreak();
    doc.AppendText(u"Успеваемость=90  Качество=50"_s);
    doc.AddTableAtEnd(1, 2);
    doc.SetCellText(1, 2, u"<  55 & \"кавычки\""_s);
}

} // namespace

// The document operations, their .docx form and where ShowReport writes it.
class TestDocx : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Text goes into the last paragraph; a table goes after it with an empty
    // paragraph of its own behind; later cell operations act on the newest table.
    void operationsBuildParagraphsAndTables()
    {
        RecordingDocument doc;
        doc.StartReport();
        QCOMPARE(doc.content().paragraphs(), QStringList{QString()});
        buildSample(doc);
        const DocumentContent &c = doc.content();
        QStringList blocks;
        for (const DocumentContent::Block &b : c.blocks())
            blocks << (b.isTable() ? u"[table %1]"_s.arg(b.table) : b.text);
        QCOMPARE(blocks, (QStringList{u"Накопленный рейтинг     На 08.12.2026   Папка  Inf  "_s, u"Группа "_s, u"[table 0]"_s,
                                      u" "_s, u"Успеваемость=90  Качество=50"_s, u"[table 1]"_s, QString()}));
        QCOMPARE(c.tables().size(), 2);
        QCOMPARE(c.tables()[0].cells, (QList<QStringList>{{u"№ "_s, u""_s, u""_s}, {u""_s, u""_s, u"  Ёжик  в тумане "_s}}));
        QCOMPARE(c.tables()[0].widths, (QList<int>{23, 100, 35}));
        QVERIFY(c.tables()[0].borders);
        QVERIFY(!c.tables()[1].borders);
        QCOMPARE(c.tables()[1].cells, (QList<QStringList>{{u""_s, u"<  55 & \"кавычки\""_s}}));
        QCOMPARE(c.fontSize(), 8);
        QCOMPARE(c.leftMargin(), 50);
        QCOMPARE(doc.calls().mid(1, 5), (QStringList{u"StartReport"_s, u"SetDocumentFontSize 8"_s, u"SetLeftMargin 50"_s,
                                                     u"AppendText \"Накопленный рейтинг\""_s,
                                                     u"AppendText \"     На 08.12.2026   Папка  Inf  \""_s}));
        QVERIFY(doc.calls().contains(u"SetCellText 2 3 \"  Ёжик  в тумане \""_s));
    }

    // What the word processor would refuse stops the report with a message.
    void impossibleOperationsAreRefused_data()
    {
        QTest::addColumn<int>("step");
        QTest::newRow("cell before any table") << 0;
        QTest::newRow("row beyond the table") << 1;
        QTest::newRow("column 0") << 2;
        QTest::newRow("width of a column beyond") << 3;
        QTest::newRow("table of no rows") << 4;
        QTest::newRow("text before the start") << 5;
        QTest::newRow("absurd font size") << 6;
    }
    void impossibleOperationsAreRefused()
    {
        QFETCH(int, step);
        RecordingDocument doc;
        if (step != 5)
            doc.StartReport();
        if (step != 0 && step != 4 && step != 5 && step != 6)
            doc.AddTableAtEnd(2, 2);
        try {
            switch (step) {
            case 0: doc.SetCellText(1, 1, u"x"_s); break;
            case 1: doc.SetCellText(3, 1, u"x"_s); break;
            case 2: doc.SetCellText(1, 0, u"x"_s); break;
            case 3: doc.SetColumnWidth(3, 20); break;
            case 4: doc.AddTableAtEnd(0, 4); break;
            case 5: doc.AppendText(u"x"_s); break;
            case 6: doc.SetDocumentFontSize(0); break;
            }
            QFAIL("not refused");
        } catch (const ZError &e) {
            QVERIFY2(e.message().startsWith(u"Отчёт не составлен"_s), qPrintable(e.message()));
        }
    }

    // The package as a word processor reads it: every part there, widths in
    // twips, the size in half-points, the margins, borders, blanks and Cyrillic.
    void packageReadsBack()
    {
        DocxDocument doc(u"unused.docx"_s);
        buildSample(doc);
        const ReadDocx d = readDocx(Docx::package(doc.content()));
        QVERIFY2(d.ok, qPrintable(d.error));
        QVERIFY(d.partNames.contains(u"[Content_Types].xml"_s));
        QVERIFY(d.partNames.contains(u"_rels/.rels"_s));
        QVERIFY(d.partNames.contains(u"word/_rels/document.xml.rels"_s));
        QCOMPARE(d.fontHalfPoints, 16);
        QCOMPARE(d.fontName, u"Times New Roman"_s);
        QCOMPARE(d.leftMarginTwips, 1000);
        QCOMPARE(d.rightMarginTwips, 1134);
        QCOMPARE(d.pageWidthTwips, 11906);
        QCOMPARE(d.pageHeightTwips, 16838);
        QCOMPARE(d.blocks, (QStringList{u"Накопленный рейтинг     На 08.12.2026   Папка  Inf  "_s, u"Группа "_s,
                                        u"[table 0]"_s, u" "_s, u"Успеваемость=90  Качество=50"_s, u"[table 1]"_s, QString()}));
        QVERIFY(d.everyTextPreserved);
        const ReadDocx::Table &t = d.tables.at(0);
        QCOMPARE(t.gridTwips, (QList<int>{460, 2000, 700}));
        QCOMPARE(t.cellTwips, (QList<QList<int>>{{460, 2000, 700}, {460, 2000, 700}}));
        QVERIFY(t.fixedLayout);
        QCOMPARE(t.borders, (QStringList{u"top=single"_s, u"left=single"_s, u"bottom=single"_s, u"right=single"_s,
                                         u"insideH=single"_s, u"insideV=single"_s}));
        QCOMPARE(t.cells, (QList<QStringList>{{u"№ "_s, u""_s, u""_s}, {u""_s, u""_s, u"  Ёжик  в тумане "_s}}));
        // Unset widths share the text width: (11906 - 1000 - 1134) / 2.
        QCOMPARE(d.tables.at(1).gridTwips, (QList<int>{4886, 4886}));
        QVERIFY(d.tables.at(1).borders.isEmpty());
        QCOMPARE(d.tables.at(1).cells.at(0).at(1), u"<  55 & \"кавычки\""_s);
    }

    // What makes a report fit to hand out: every part well-formed and named in
    // the content types and relationships, the footer "Стр. N из M" of PAGE and
    // NUMPAGES fields referenced first in the section, the title, the settings
    // that keep the word processor out of compatibility mode, the title row
    // repeated on each page and no row split over a page end.
    void handOutParts()
    {
        DocxDocument doc(u"unused.docx"_s);
        buildSample(doc);
        const QString title = u"Досье <Ли> & Со"_s;
        const ReadDocx d = readDocx(Docx::package(doc.content(), title));
        QVERIFY2(d.ok, qPrintable(d.error));
        for (const QString &name : d.partNames) {
            QXmlStreamReader x(d.parts.value(name));
            while (!x.atEnd())
                x.readNext();
            QVERIFY2(!x.hasError(), qPrintable(name + u": "_s + x.errorString()));
        }
        // Relationship targets by type, and content types by part.
        auto relations = [&d](const QString &part) {
            QHash<QString, QString> out; // type's last word -> "Id Target"
            QXmlStreamReader x(d.parts.value(part));
            while (!x.atEnd())
                if (x.readNext() == QXmlStreamReader::StartElement && x.name() == "Relationship"_L1) {
                    const QXmlStreamAttributes a = x.attributes();
                    out.insert(a.value("Type"_L1).toString().section(u'/', -1),
                               a.value("Id"_L1).toString() + u' ' + a.value("Target"_L1).toString());
                }
            return out;
        };
        QCOMPARE(relations(u"_rels/.rels"_s).value(u"core-properties"_s).section(u' ', 1), u"docProps/core.xml"_s);
        const QHash<QString, QString> docRels = relations(u"word/_rels/document.xml.rels"_s);
        QCOMPARE(docRels.value(u"settings"_s).section(u' ', 1), u"settings.xml"_s);
        QCOMPARE(docRels.value(u"footer"_s).section(u' ', 1), u"footer1.xml"_s);
        QCOMPARE(docRels.size(), 3);
        QCOMPARE(QSet<QString>(docRels.keyBegin(), docRels.keyEnd()).size(), 3);
        const QByteArray types = d.parts.value(u"[Content_Types].xml"_s);
        for (const char *override : {"\"/word/settings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"",
                                     "\"/word/footer1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml\"",
                                     "\"/docProps/core.xml\" ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\""})
            QVERIFY2(types.contains(QByteArray("PartName=") + override), override);

        // The footer is referenced before the page size, by the footer's relationship id.
        QCOMPARE(d.sectionElements, (QStringList{u"footerReference"_s, u"pgSz"_s, u"pgMar"_s}));
        QXmlStreamReader body(d.documentXml);
        QString footerId;
        while (!body.atEnd())
            if (body.readNext() == QXmlStreamReader::StartElement && body.name() == "footerReference"_L1)
                footerId = body.attributes().value(u"http://schemas.openxmlformats.org/officeDocument/2006/relationships"_s, u"id"_s).toString();
        QCOMPARE(footerId, docRels.value(u"footer"_s).section(u' ', 0, 0));

        auto texts = [&d](const QString &part, const char *element) {
            QString out;
            QXmlStreamReader x(d.parts.value(part));
            while (!x.atEnd())
                if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String(element))
                    out += x.readElementText();
            return out;
        };
        QCOMPARE(texts(u"word/footer1.xml"_s, "t"), u"Стр. 1 из 1"_s);
        QCOMPARE(texts(u"word/footer1.xml"_s, "instrText").simplified(), u"PAGE NUMPAGES"_s);
        QCOMPARE(texts(u"docProps/core.xml"_s, "title"), title);
        QXmlStreamReader settings(d.parts.value(u"word/settings.xml"_s));
        QString mode;
        while (!settings.atEnd())
            if (settings.readNext() == QXmlStreamReader::StartElement && settings.name() == "compatSetting"_L1
                && settings.attributes().value(u"w:name"_s) == "compatibilityMode"_L1)
                mode = settings.attributes().value(u"w:val"_s).toString();
        QCOMPARE(mode, u"15"_s);

        for (const ReadDocx::Table &t : d.tables) {
            QCOMPARE(t.rowProperties.size(), t.cells.size());
            QCOMPARE(t.rowProperties.first(), (QStringList{u"cantSplit"_s, u"tblHeader"_s}));
            for (qsizetype r = 1; r < t.rowProperties.size(); ++r)
                QCOMPARE(t.rowProperties.at(r), QStringList{u"cantSplit"_s});
        }
    }

    // Without SetLeftMargin and SetDocumentFontSize the page keeps 2 cm and 12 points.
    void defaultsWhenNotSet()
    {
        DocxDocument doc(u"unused.docx"_s);
        doc.StartReport();
        const ReadDocx d = readDocx(Docx::package(doc.content()));
        QVERIFY2(d.ok, qPrintable(d.error));
        QCOMPARE(d.leftMarginTwips, 1134);
        QCOMPARE(d.fontHalfPoints, 24);
        QCOMPARE(d.blocks, QStringList{QString()});
    }

    // A hostile cell text never spoils the XML: control characters and a lone
    // surrogate become U+FFFD, a tab and a line break their own elements.
    void hostileTextStaysWellFormed()
    {
        DocxDocument doc(u"unused.docx"_s);
        doc.StartReport();
        doc.AppendText(u"a"_s + QChar(0) + u"b"_s + QChar(0x1b) + u"c\td\r\ne"_s + QChar(0xD800) + u"f😀"_s);
        const ReadDocx d = readDocx(Docx::package(doc.content()));
        QVERIFY2(d.ok, qPrintable(d.error));
        QCOMPARE(d.blocks.at(0), u"a\uFFFDb\uFFFDc\td\ne\uFFFDf😀"_s);
    }

    // Written into "Отчёты" (made when missing) under the report's name and the
    // moment; a second document of the same name and moment gets " (2)".
    void showReportWritesWithoutOverwriting()
    {
        QTemporaryDir root;
        const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
        QStringList opened;
        auto open = [&opened](const QString &path) {
            opened << path;
            return true;
        };
        const QString folder = root.filePath(u"Отчёты"_s);
        for (int i = 0; i < 3; ++i) {
            DocxDocument doc(root.path(), u"Досье Петров/Пётр: «2»"_s, when, open);
            buildSample(doc);
            doc.ShowReport();
            QCOMPARE(doc.writtenPath(), opened.last());
            QVERIFY(readDocxFile(doc.writtenPath()).ok);
        }
        QCOMPARE(opened, (QStringList{folder + u"/Досье Петров_Пётр_ «2» 08.12.2026 09-05-07.docx"_s,
                                      folder + u"/Досье Петров_Пётр_ «2» 08.12.2026 09-05-07 (2).docx"_s,
                                      folder + u"/Досье Петров_Пётр_ «2» 08.12.2026 09-05-07 (3).docx"_s}));
    }

    // A file or a link that is there under a report's name is never replaced
    // nor written through, and the written report leaves no temporary file.
    void anExistingReportIsNeverReplaced()
    {
        QTemporaryDir root;
        const QString folder = root.filePath(u"Отчёты"_s);
        QVERIFY(QDir().mkpath(folder));
        const QString first = folder + u"/Билет Ли 08.12.2026 09-05-07.docx"_s;
        QFile foreign(first);
        QVERIFY(foreign.open(QIODevice::WriteOnly) && foreign.write("чужой документ") > 0);
        foreign.close();
        const QString missing = root.filePath(u"нет такого"_s);
        QVERIFY(QFile::link(missing, folder + u"/Билет Ли 08.12.2026 09-05-07 (2).docx"_s));

        DocxDocument doc(root.path(), u"Билет Ли"_s, QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)), [](const QString &) { return true; });
        buildSample(doc);
        doc.ShowReport();
        QCOMPARE(doc.writtenPath(), folder + u"/Билет Ли 08.12.2026 09-05-07 (3).docx"_s);
        QVERIFY(readDocxFile(doc.writtenPath()).ok);
        QVERIFY(foreign.open(QIODevice::ReadOnly));
        QCOMPARE(foreign.readAll(), QByteArray("чужой документ"));
        QVERIFY(!QFileInfo::exists(missing));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 3);
    }

    // A report that stops before ShowReport writes nothing at all.
    void nothingWrittenBeforeShowReport()
    {
        QTemporaryDir root;
        {
            DocxDocument doc(root.path(), u"Накопленный рейтинг"_s, QDateTime::currentDateTime(), [](const QString &) { return true; });
            buildSample(doc);
        }
        QVERIFY(!QFileInfo::exists(root.filePath(u"Отчёты"_s)));
    }

    // Nothing opens the document: the message names it, and the file stays.
    void unopenedDocumentStaysAndIsNamed()
    {
        QTemporaryDir root;
        DocxDocument doc(root.path(), u"Список журналов"_s, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)),
                         [](const QString &) { return false; });
        buildSample(doc);
        try {
            doc.ShowReport();
            QFAIL("no message");
        } catch (const ReportNotOpened &e) {
            QVERIFY2(e.message().contains(u"Список журналов 02.01.2026 03-04-05.docx"_s), qPrintable(e.message()));
            QVERIFY(QFileInfo(e.path()).isFile());
        }
    }

    // A reports folder that cannot be made, or -o into a missing folder: a message naming it.
    void unwritableTargetIsNamed()
    {
        QTemporaryDir root;
        QFile blocker(root.filePath(u"Отчёты"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        DocxDocument doc(root.path(), u"Темы выполнено"_s, QDateTime::currentDateTime(), [](const QString &) { return true; });
        buildSample(doc);
        try {
            doc.ShowReport();
            QFAIL("no message");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(u"Отчёты"_s), qPrintable(e.message()));
        }
        DocxDocument out(root.filePath(u"нет/такой/папки.docx"_s));
        buildSample(out);
        QVERIFY_THROWS_EXCEPTION(FileError, out.ShowReport());
    }

    void safeFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << u"Досье Иванов Иван"_s << u"Досье Иванов Иван"_s;
        QTest::newRow("path characters") << u"Билет ../../etc/x"_s << u"Билет .._.._etc_x"_s;
        QTest::newRow("windows characters") << u"a:b*c?d\"e<f>g|h\\i"_s << u"a_b_c_d_e_f_g_h_i"_s;
        QTest::newRow("control characters") << u"a\nb\tc"_s << u"a_b_c"_s;
        QTest::newRow("trailing dots and blanks") << u"Досье Ли. . "_s << u"Досье Ли"_s;
        QTest::newRow("only dots") << u"..."_s << u"Отчёт"_s;
        QTest::newRow("long") << QString(300, u'я') << QString(100, u'я');
    }
    void safeFileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(DocxDocument::safeFileName(name), safe);
    }
};

QTEST_GUILESS_MAIN(TestDocx)
#include "test_docx.moc"
