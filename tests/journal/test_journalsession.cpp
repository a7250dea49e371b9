#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/journalsession.h"
#include "rating/dynamics.h"
#include "rating/resultgrids.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;

// An edit made on the session's grids between a load and the check.
using SessionEdit = std::function<void(JournalSession &)>;
Q_DECLARE_METATYPE(SessionEdit)

// The journal session on a data root in a temporary folder: what a load reads
// and in which order, what it leaves of the journal before, and whether the
// grids differ from what was last loaded or saved.
class TestJournalSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    void write(const QString &relative, const QByteArray &bytes)
    {
        QFile f(m_dir->filePath(relative));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray gridFile(const QList<QStringList> &columns)
    {
        QByteArray out = QByteArray::number(columns.size()) + "\r\n" + QByteArray::number(columns.value(0).size()) + "\r\n";
        for (const QStringList &col : columns)
            for (const QString &cell : col)
                out += *Cp1251::encode(cell) + "\r\n";
        return out;
    }
    // A journal of one lesson of weight `weight` and two students with the scores given.
    void writeJournal(const QString &folder, const QString &weight, const QStringList &names, const QStringList &scores)
    {
        QDir(m_dir->path()).mkpath(folder);
        write(folder + u"/SpStud.txt"_s,
              gridFile({QStringList{u"№"_s, u""_s, u""_s, u""_s, u"1"_s, u"2"_s},
                        QStringList{u"ФИО"_s, u"Дата"_s, u"Код"_s, u"Вес"_s} + names,
                        QStringList{u""_s, u"03.09"_s, u"Т1"_s, weight} + scores}));
        write(folder + u"/SpTem.txt"_s, gridFile({{u"№"_s, u"1"_s}, {u"Код"_s, u"Т1"_s}, {u"Вес"_s, u"1"_s}, {u"Тема"_s, u"Циклы"_s}}));
    }
    static JournalIdentity identity(const QString &folder)
    {
        return {u"G1"_s, u"Информатика"_s, folder, u"1"_s, u"2026"_s, QString()};
    }
    static QString loadError(JournalSession &s, const QString &folder)
    {
        try {
            s.load(identity(folder));
        } catch (const ZError &e) {
            return e.message();
        }
        return {};
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir(m_dir->path()).mkpath(u"Baza"_s);
        write(u"Baza/Pasport.txt"_s, "55\r\n75\r\n90\r\n");
        write(u"Baza/Gurnali.txt"_s, gridFile({{u"№"_s, u"1"_s}, {u"Папка"_s, u"A"_s}, {u"Группа"_s, u"G1"_s}, {u"Семестр"_s, u"1"_s},
                                                {u"Предмет"_s, u"Информатика"_s}, {u"Преподаватель"_s, u""_s}, {u"Год"_s, u""_s},
                                                {u"Комментарий"_s, u""_s}}));
        writeJournal(u"G1/A"_s, u"1"_s, {u"Андреев Антон"_s, u"Борисова Вера"_s}, {u"100"_s, u"52"_s});
        writeJournal(u"G1/B"_s, u"1"_s, {u"Волков Иван"_s, u"Громова Анна"_s}, {u"10"_s, u"7"_s});
    }

    // The grades a load shows follow the scale file it reads: 52 % is a 3 with
    // the threshold 50 that stands before, a 2 with the file's 55.
    void gradesOfALoadFollowTheScaleItReads()
    {
        JournalSession s(m_dir->path());
        QCOMPARE(s.thresholds().t3, u"50"_s);
        QStringList order;
        connect(&s, &JournalSession::thresholdsRead, this, [&] { order << u"scale"_s; });
        connect(&s, &JournalSession::journalLoaded, this, [&] { order << u"results "_s + s.itog().cell(ResultGrids::FivePointCol, 2); });
        s.load(identity(u"A"_s));
        QCOMPARE(s.thresholds().t3, u"55"_s);
        QCOMPARE(order, (QStringList{u"scale"_s, u"results  2"_s}));
        QCOMPARE(s.itog().cell(ResultGrids::FivePointCol, 2), u" 2"_s);
        QCOMPARE(s.uspev().cell(4, 1), u"1"_s); // one grade 2
    }

    // A scale file that cannot be read: the journal is still open and
    // recalculated with the thresholds as they stand, and the load reports it.
    void unreadableScaleStillShowsTheJournal()
    {
        JournalSession s(m_dir->path());
        QFile::remove(m_dir->filePath(u"Baza/Pasport.txt"_s));
        const QString error = loadError(s, u"A"_s);
        QVERIFY2(error.contains(u"Pasport.txt"_s), qPrintable(error));
        QCOMPARE(s.folderPath(), u"G1/A"_s);
        QCOMPARE(s.thresholds().t3, u"50"_s);
        QCOMPARE(s.itog().cell(ResultGrids::NameCol, 2), u"Борисова Вера"_s);
        QCOMPARE(s.itog().cell(ResultGrids::FivePointCol, 2), u" 3"_s);
    }

    // Another journal whose recalculation fails shows nothing of the one before:
    // no results, no student in the dynamics grid.
    void aSwitchLeavesNothingOfThePreviousJournal()
    {
        JournalSession s(m_dir->path());
        s.load(identity(u"A"_s));
        QVERIFY(Dynamics::fillDynamics(s.journal(), u"Андреев Антон"_s, s.summi()));
        QCOMPARE(s.summi().cell(1, ResultGrids::StudentRow), u"Андреев Антон"_s);
        writeJournal(u"G1/B"_s, u"тяжёлый"_s, {u"Волков Иван"_s, u"Громова Анна"_s}, {u"10"_s, u"7"_s});
        const QString error = loadError(s, u"B"_s);
        QVERIFY2(error.contains(u"вес урока 1 от «03.09»"_s) && error.contains(u"«тяжёлый»"_s), qPrintable(error));
        QCOMPARE(s.itog().rowCount(), 2);
        QCOMPARE(s.itog().cell(ResultGrids::NameCol, 1), QString());
        QCOMPARE(s.itog().cell(ResultGrids::SumCol, 1), QString());
        QCOMPARE(s.uspev().cell(1, 1), u"0"_s);
        QCOMPARE(s.uspev().cell(4, 2), u"0"_s);
        QCOMPARE(s.indicators().ka4, u"0"_s);
        QCOMPARE(s.summi().cell(1, ResultGrids::StudentRow), QString());
        QCOMPARE(s.summi().cell(2, ResultGrids::StudentAccumulatedRow), QString());
        QCOMPARE(s.summi().cell(2, ResultGrids::AverageRow), QString());
        QCOMPARE(s.summi().cell(2, ResultGrids::CodesRow), u"Т1"_s);
    }

    void changesSinceTheLoadOrSave_data()
    {
        QTest::addColumn<SessionEdit>("edit");
        QTest::addColumn<bool>("modified");
        using Edit = SessionEdit;
        QTest::newRow("a score typed") << Edit([](JournalSession &s) { s.journal().setCell(2, 5, u"53"_s); }) << true;
        QTest::newRow("the same score typed again") << Edit([](JournalSession &s) { s.journal().setCell(2, 5, u"52"_s); }) << false;
        QTest::newRow("a row added") << Edit([](JournalSession &s) { s.journal().setRowCount(7); }) << true;
        QTest::newRow("a column resized") << Edit([](JournalSession &s) { s.journal().setColWidth(2, 77); }) << true;
        QTest::newRow("a theme edited") << Edit([](JournalSession &s) { s.themes().setCell(3, 1, u"Массивы"_s); }) << true;
        QTest::newRow("headers made editable") << Edit([](JournalSession &s) { s.journal().setFixedRows(0); }) << false;
        QTest::newRow("results ranked") << Edit([](JournalSession &s) { s.itog().setCell(1, 1, u"другой"_s); }) << false;
        QTest::newRow("catalogue edited") << Edit([](JournalSession &s) { s.catalogue().setCell(7, 1, u"x"_s); }) << false;
    }
    void changesSinceTheLoadOrSave()
    {
        QFETCH(SessionEdit, edit);
        QFETCH(bool, modified);
        JournalSession s(m_dir->path());
        s.load(identity(u"A"_s));
        QVERIFY(!s.journalModified());
        edit(s);
        QCOMPARE(s.journalModified(), modified);
        // A save makes the state on screen the unchanged one.
        s.prepareSave(identity(u"A"_s));
        s.writeJournal(identity(u"A"_s));
        QVERIFY(!s.journalModified());
        // So does a load, of the same journal or another.
        edit(s);
        s.reload();
        QVERIFY(!s.journalModified());
        edit(s);
        s.load(identity(u"B"_s));
        QVERIFY(!s.journalModified());
        // A widths file that cannot be read leaves the journal as read: unchanged.
        edit(s);
        write(u"G1/A/ColSpStud.txt"_s, "22\r\nширокий\r\n");
        QVERIFY_THROWS_EXCEPTION(ZError, s.load(identity(u"A"_s)));
        QVERIFY(!s.journalModified());
    }

    void catalogueChangesSinceTheReadOrSave()
    {
        JournalSession s(m_dir->path());
        s.readCatalogue();
        QVERIFY(!s.catalogueModified());
        s.catalogue().setCell(6, 1, u"2027"_s);
        QVERIFY(s.catalogueModified());
        s.saveCatalogue();
        QVERIFY(!s.catalogueModified());
        s.catalogue().setRowCount(3);
        QVERIFY(s.catalogueModified());
        // A new entry made by the journal save is saved at once.
        s.readCatalogue();
        s.load(identity(u"A"_s));
        s.addToCatalogue(identity(u"C"_s));
        QVERIFY(!s.catalogueModified());
    }

    // A journal cell the file cannot hold is named by its student and lesson.
    void saveNamesTheCellItCannotWrite()
    {
        JournalSession s(m_dir->path());
        s.load(identity(u"A"_s));
        s.journal().setCell(2, 5, u"5\n4"_s);
        try {
            s.prepareSave(identity(u"A"_s));
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(u"ученик 2 «Борисова Вера», урок 1 от «03.09»"_s), qPrintable(e.message()));
            QVERIFY2(e.message().contains(u"«5\\n4»"_s), qPrintable(e.message()));
        }
        // The themes are named as before, by column and row.
        s.journal().setCell(2, 5, u"5"_s);
        s.themes().setCell(3, 1, u"Ω"_s);
        try {
            s.prepareSave(identity(u"A"_s));
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(u"столбец 3, строка 1"_s), qPrintable(e.message()));
        }
    }

    // A save writes the three files of a journal or none of them: a file that
    // cannot be replaced stops it before the first byte, and the message names it.
    void aSaveIsAllOrNothing_data()
    {
        QTest::addColumn<SessionEdit>("damage"); // done to the folder after the load
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("reason");
        const auto folder = [this] { return m_dir->filePath(u"G1/A"_s); };
        QTest::newRow("read-only widths file") << SessionEdit([folder](JournalSession &) {
            QVERIFY(QFile::setPermissions(folder() + u"/ColSpStud.txt"_s, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        }) << u"ColSpStud.txt"_s << u"только для чтения"_s;
        QTest::newRow("theme file replaced by a link") << SessionEdit([this, folder](JournalSession &) {
            QVERIFY(QFile::rename(folder() + u"/SpTem.txt"_s, m_dir->filePath(u"elsewhere.txt"_s)));
            QVERIFY(QFile::link(m_dir->filePath(u"elsewhere.txt"_s), folder() + u"/SpTem.txt"_s));
        }) << u"SpTem.txt"_s << u"символическая ссылка"_s;
        QTest::newRow("widths file replaced by a folder") << SessionEdit([folder](JournalSession &) {
            QVERIFY(QFile::remove(folder() + u"/ColSpStud.txt"_s));
            QVERIFY(QDir(folder()).mkdir(u"ColSpStud.txt"_s));
        }) << u"ColSpStud.txt"_s << u"это папка"_s;
    }
    void aSaveIsAllOrNothing()
    {
        QFETCH(SessionEdit, damage);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        write(u"G1/A/ColSpStud.txt"_s, "22\r\n130\r\n40\r\n");
        JournalSession s(m_dir->path());
        s.load(identity(u"A"_s));
        damage(s);
        // What the root holds, byte for byte, hidden files too.
        const auto files = [this] {
            QMap<QString, QByteArray> all;
            QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                all[it.filePath()] = it.fileInfo().isSymLink() ? "<link>" : f.open(QIODevice::ReadOnly) ? f.readAll() : "<folder>";
            }
            return all;
        };
        const auto before = files();
        s.journal().setCell(2, 4, u"99"_s);
        s.journal().setColWidth(1, 200);
        s.themes().setCell(3, 1, u"Ветвления"_s);
        try {
            s.prepareSave(identity(u"A"_s));
            s.writeJournal(identity(u"A"_s));
            QFAIL("saved");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(named) && e.message().contains(reason), qPrintable(e.message()));
        }
        QCOMPARE(files(), before);
    }
};

QTEST_GUILESS_MAIN(TestJournalSession)
#include "test_journalsession.moc"
