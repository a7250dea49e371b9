#include "access/accessfile.h"
#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"
#include "journal/journalsession.h"
#include "rating/gradingscale.h"
#include "reports/docxdocument.h"
#include "smalltmpfs.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// A writer of the program, run on a data root; it is to throw.
using Writer = std::function<void(const QString &root)>;
Q_DECLARE_METATYPE(Writer)

namespace {

using Files = QMap<QString, QByteArray>;

// Every file and folder under a root, hidden ones too: a folder as "<folder>".
Files snapshot(const QString &root)
{
    Files files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        QFile f(path);
        files[relative] = it.fileInfo().isDir() ? QByteArray("<folder>") : f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    return files;
}

QByteArray gridBytes(const QList<QStringList> &columns)
{
    QByteArray out = QByteArray::number(columns.size()) + "\r\n" + QByteArray::number(columns.value(0).size()) + "\r\n";
    for (const QStringList &col : columns)
        for (const QString &cell : col)
            out += *Cp1251::encode(cell) + "\r\n";
    return out;
}

QByteArray accessBytes()
{
    QByteArray out;
    for (const AccessRecord &r : AccessFile::defaultRecords(QDate(2026, 3, 1)))
        out += AccessLayout::encode(r);
    return out;
}

void smallReport(ReportDocument &doc)
{
    doc.StartReport();
    doc.AppendText(u"Список Предметов / Папка"_s);
    doc.AddTableAtEnd(2, 2);
    doc.SetCellText(1, 1, u"Информатика"_s);
}

} // namespace

// Every writer of data files and reports on a full disk: each file is small
// enough to sit in a write buffer, so only a write that checks every byte
// notices that the disk took none of them.
class TestDurableFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullDiskKeepsEveryFile_data()
    {
        QTest::addColumn<Files>("before");  // the data root's files before the write
        QTest::addColumn<QString>("named"); // the file the message names
        QTest::addColumn<Writer>("writer");
        const QByteArray journal = gridBytes({{u"№"_s, u""_s, u""_s, u""_s, u"1"_s}, {u"ФИО"_s, u"Дата"_s, u"Код"_s, u"Вес"_s, u"Андреев"_s},
                                              {u""_s, u"03.09"_s, u"Т1"_s, u"1"_s, u"5"_s}});
        const QByteArray themes = gridBytes({{u"№"_s, u"1"_s}, {u"Код"_s, u"Т1"_s}, {u"Вес"_s, u"1"_s}, {u"Тема"_s, u"Циклы"_s}});
        const QByteArray catalogue = gridBytes({{u"№"_s, u"1"_s}, {u"Папка"_s, u"Inf"_s}, {u"Группа"_s, u"G1"_s}, {u"Семестр"_s, u"1"_s},
                                                {u"Предмет"_s, u"Информатика"_s}, {u"Преподаватель"_s, u""_s}, {u"Год"_s, u""_s},
                                                {u"Комментарий"_s, u""_s}});
        const Files journalFiles{{u"G1/Inf/SpStud.txt"_s, journal}, {u"G1/Inf/ColSpStud.txt"_s, "22\r\n130\r\n40\r\n"},
                                 {u"G1/Inf/SpTem.txt"_s, themes}, {u"Baza/Gurnali.txt"_s, catalogue},
                                 {u"Baza/Pasport.txt"_s, "55\r\n75\r\n90\r\n"}};

        QTest::newRow("journal grid") << journalFiles << u"SpStud.txt"_s << Writer([](const QString &root) {
            Grid g(3, 5, 1, 4);
            g.setCell(2, 4, u"4"_s);
            WriteGridFile(root + u"/G1/Inf/SpStud.txt"_s, g);
        });
        QTest::newRow("column widths") << journalFiles << u"ColSpStud.txt"_s << Writer([](const QString &root) {
            WriteColumnWidths(root + u"/G1/Inf/ColSpStud.txt"_s, Grid(3, 5, 1, 4, 50));
        });
        QTest::newRow("grading scale") << journalFiles << u"Pasport.txt"_s << Writer([](const QString &root) {
            GradingScale::writeFile(root + u"/Baza/Pasport.txt"_s, Thresholds{u"50"_s, u"70"_s, u"85"_s});
        });
        QTest::newRow("catalogue") << journalFiles << u"Gurnali.txt"_s << Writer([](const QString &root) {
            JournalSession session(root);
            session.readCatalogue();
            session.catalogue().setCell(1, 1, u"Math"_s);
            session.saveCatalogue();
        });
        QTest::newRow("journal save") << journalFiles << u"G1/Inf/SpStud.txt"_s << Writer([](const QString &root) {
            JournalSession session(root);
            const JournalIdentity id{u"G1"_s, u"Информатика"_s, u"Inf"_s, u"1"_s, u""_s, u""_s};
            session.load(id);
            session.journal().setCell(2, 4, u"10"_s);
            session.prepareSave(id);
            session.writeJournal(id);
        });
        QTest::newRow("access table") << Files{{u"Dostup.dat"_s, accessBytes()}} << u"Dostup.dat"_s << Writer([](const QString &root) {
            AccessRows::save(root + u"/Dostup.dat"_s, {{u"01"_s, u"01.01.2026"_s, u"Администратор"_s, u"1"_s, u"Z"_s}});
        });
        // The first start makes no access file at all: an empty one would lock
        // everybody out after the disk is freed.
        QTest::newRow("access table at first start") << Files{} << u"Dostup.dat"_s << Writer([](const QString &root) {
            try {
                AccessFile::openOrCreate(root + u"/Dostup.dat"_s, QDate(2026, 3, 1));
            } catch (const FileError &e) {
                QVERIFY2(e.message().contains(u"Таблица доступа не создана"_s), qPrintable(e.message()));
                throw;
            }
        });
        QTest::newRow("report into a file") << Files{{u"out.docx"_s, "old report"}} << u"out.docx"_s << Writer([](const QString &root) {
            DocxDocument doc(root + u"/out.docx"_s);
            smallReport(doc);
            doc.ShowReport();
        });
        QTest::newRow("report into the reports folder") << Files{{u"Отчёты/старый.docx"_s, "old report"}}
                                                        << u"Отчёты/Список журналов 02.01.2026 03-04-05.docx"_s << Writer([](const QString &root) {
            DocxDocument doc(root, u"Список журналов"_s, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), [](const QString &) { return true; });
            smallReport(doc);
            doc.ShowReport();
        });
    }
    void fullDiskKeepsEveryFile()
    {
        QFETCH(Files, before);
        QFETCH(QString, named);
        QFETCH(Writer, writer);
        const SmallTmpfs mountPoint;
        if (!mountPoint.mounted())
            QSKIP("no tmpfs can be mounted here");
        const QString root = mountPoint.path();
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            QVERIFY(QDir(root).mkpath(QFileInfo(it.key()).path()));
            QFile f(QDir(root).filePath(it.key()));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(it.value()) == it.value().size() && f.flush());
        }
        // Every page of the disk taken, to the last byte a write can get.
        const int fill = ::open(QFile::encodeName(root + u"/filler"_s).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fill >= 0);
        const QByteArray page(4096, 'x');
        while (::write(fill, page.constData(), size_t(page.size())) > 0) {
        }
        while (::write(fill, "x", 1) > 0) {
        }
        ::close(fill);
        const Files full = snapshot(root);

        try {
            writer(root);
            QFAIL("the write succeeded on a full disk");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(named) && e.message().contains(u"нет места"_s), qPrintable(e.message()));
        }
        // The old bytes stay, and no file is made or left behind.
        QCOMPARE(snapshot(root), full);
    }
};

QTEST_GUILESS_MAIN(TestDurableFile)
#include "test_durablefile.moc"
