#include "journal/catalogue.h"
#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/gridops.h"
#include "journal/journaledits.h"
#include "journal/journalhistory.h"
#include "journal/journalsession.h"
#include "journal/journalversions.h"
#include "smalltmpfs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <sys/statvfs.h>

using namespace Qt::StringLiterals;

using SessionEdit = std::function<void(JournalSession &)>;
Q_DECLARE_METATYPE(SessionEdit)

// The history and the kept versions of a journal, through the session's save:
// the lines each kind of edit leaves, hostile texts, the limit of the file, a
// full disk, the thirty versions and the links the archive refuses.
class TestJournalHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;

    void write(const QString &relative, const QByteArray &bytes)
    {
        QFile f(QDir(m_root).filePath(relative));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    QByteArray bytes(const QString &relative) const
    {
        QFile f(QDir(m_root).filePath(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QByteArray gridFile(const QList<QStringList> &columns)
    {
        QByteArray out = QByteArray::number(columns.size()) + "\r\n" + QByteArray::number(columns.value(0).size()) + "\r\n";
        for (const QStringList &col : columns)
            for (const QString &cell : col)
                out += *Cp1251::encode(cell) + "\r\n";
        return out;
    }
    // A data root with the journal G1/A: three students, three lessons.
    void makeRoot(const QString &root)
    {
        m_root = root;
        QDir(m_root).mkpath(u"Baza"_s);
        QDir(m_root).mkpath(u"G1/A"_s);
        write(u"Baza/Pasport.txt"_s, "55\r\n75\r\n90\r\n");
        write(u"Baza/Gurnali.txt"_s, gridFile({{u"№"_s, u"1"_s}, {u"Папка"_s, u"A"_s}, {u"Группа"_s, u"G1"_s},
                                                {u"Семестр"_s, u"1"_s}, {u"Предмет"_s, u"Информатика"_s},
                                                {u"Преподаватель"_s, u""_s}, {u"Год"_s, u""_s}, {u"Комментарий"_s, u""_s}}));
        write(u"G1/A/SpStud.txt"_s,
              gridFile({{u"№"_s, u""_s, u""_s, u""_s, u"1"_s, u"2"_s, u"3"_s},
                        {u"ФИО"_s, u"Дата"_s, u"Код"_s, u"Вес"_s, u"Андреев Антон"_s, u"Борисова Вера"_s, u"Волков Иван"_s},
                        {u""_s, u"01.09"_s, u"Т1"_s, u"1"_s, u"5"_s, u"4"_s, u"3"_s},
                        {u""_s, u"08.09"_s, u"Т2"_s, u"1"_s, u"4"_s, u""_s, u"5"_s},
                        {u""_s, u"15.09"_s, u"Т3"_s, u"2"_s, u"3"_s, u"5"_s, u""_s}}));
        write(u"G1/A/SpTem.txt"_s, gridFile({{u"№"_s, u"1"_s}, {u"Код"_s, u"Т1"_s}, {u"Вес"_s, u"1"_s}, {u"Тема"_s, u"Циклы"_s}}));
    }
    static JournalIdentity identity()
    {
        return {u"G1"_s, u"Информатика"_s, u"A"_s, u"1"_s, u""_s, QString()};
    }
    static void save(JournalSession &s)
    {
        s.prepareSave(identity());
        s.claimForSave(identity());
        s.saveJournal(identity());
    }
    static QString saveError(JournalSession &s)
    {
        try {
            save(s);
        } catch (const ZError &e) {
            return e.message();
        }
        return {};
    }
    // The lines of the history: operation, student, lesson, old text, new text.
    QStringList historyLines() const
    {
        QStringList lines;
        if (!QFile::exists(QDir(m_root).filePath(u"G1/A/История.txt"_s)))
            return lines;
        for (const JournalHistory::Entry &e : JournalHistory::parse(bytes(u"G1/A/История.txt"_s)))
            lines << QStringList{e.operation, e.student, e.lessonNumber, e.oldText, e.newText}.join(u'|');
        return lines;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        makeRoot(m_dir->path());
    }

    void historyRecordsEachChange_data()
    {
        QTest::addColumn<SessionEdit>("edit");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("typed cells") << SessionEdit([](JournalSession &s) {
            s.journal().setCell(2, 5, u"5"_s);
            s.journal().setCell(4, 6, u"4,5"_s);
        }) << QStringList{u"Изменение|Борисова Вера|1|4|5"_s, u"Изменение|Волков Иван|3||4,5"_s};
        QTest::newRow("weight and name") << SessionEdit([](JournalSession &s) {
            s.journal().setCell(3, 3, u"1,5"_s);
            s.journal().setCell(1, 4, u"Андреев Антоний"_s);
        }) << QStringList{u"Изменение|Вес|2|1|1,5"_s, u"Изменение|Андреев Антоний||Андреев Антон|Андреев Антоний"_s};
        QTest::newRow("row inserted and typed") << SessionEdit([](JournalSession &s) {
            JournalEdits::insertRow(s.journal(), 4);
            s.journal().setCell(1, 5, u"Белов Пётр"_s);
            s.journal().setCell(3, 5, u"4"_s);
        }) << QStringList{u"Вставка строки|Белов Пётр|||"_s, u"Изменение|Белов Пётр|2||4"_s};
        QTest::newRow("row deleted") << SessionEdit([](JournalSession &s) { JournalEdits::deleteRow(s.journal(), 5); })
                                     << QStringList{u"Удаление строки|Борисова Вера|||"_s};
        QTest::newRow("row moved") << SessionEdit([](JournalSession &s) {
            GridOps::moveRow(s.journal(), 6, 4);
            JournalEdits::renumberAfterMove(s.journal(), 6, 4);
        }) << QStringList{u"Перемещение строки|Волков Иван||3|1"_s};
        QTest::newRow("lesson inserted") << SessionEdit([](JournalSession &s) {
            JournalEdits::insertColumn(s.journal(), s.summi(), 2);
            s.journal().setCell(3, 4, u"2"_s);
        }) << QStringList{u"Вставка урока||2||"_s, u"Изменение|Андреев Антон|2||2"_s};
        QTest::newRow("lesson deleted") << SessionEdit([](JournalSession &s) {
            JournalEdits::deleteColumn(s.journal(), s.summi(), 3);
        }) << QStringList{u"Удаление урока||2||"_s};
        QTest::newRow("hostile text") << SessionEdit([](JournalSession &s) {
            s.journal().setCell(2, 4, u"a\tb\\n\u0000c\\"_s);
        }) << QStringList{u"Изменение|Андреев Антон|1|5|a\tb\\n\u0000c\\"_s};
        QTest::newRow("nothing changed") << SessionEdit([](JournalSession &) {}) << QStringList();
    }
    void historyRecordsEachChange()
    {
        QFETCH(SessionEdit, edit);
        QFETCH(QStringList, lines);
        JournalSession s(m_root);
        s.setUserCode(u"уч1"_s);
        s.load(identity());
        edit(s);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QCOMPARE(saveError(s), QString());
        QCOMPARE(historyLines(), lines);
        const QByteArray file = bytes(u"G1/A/История.txt"_s);
        if (lines.isEmpty()) {
            QCOMPARE(file, QByteArray("<missing>"));
            return;
        }
        // One line a change, each with its CR LF and nine fields, whatever the texts held.
        QCOMPARE(file.count("\r\n"), lines.size());
        QCOMPARE(file.count('\n'), lines.size());
        QVERIFY(!file.contains('\0'));
        for (const QByteArray &line : file.split('\n').mid(0, lines.size()))
            QCOMPARE(line.count('\t'), 8);
        const JournalHistory::Entry first = JournalHistory::parse(file).first();
        QCOMPARE(first.user, u"уч1"_s);
        const QDateTime when = QDateTime::fromString(first.when, u"dd.MM.yyyy HH:mm:ss"_s);
        QVERIFY(when >= before && when <= QDateTime::currentDateTime());
        // The next save appends only its own change.
        s.journal().setCell(2, 4, u"2"_s);
        save(s);
        QCOMPARE(historyLines().size(), lines.size() + 1);
        QCOMPARE(historyLines().mid(0, lines.size()), lines);
    }

    // The file keeps its last lines; a hand-edited or cut file is read as it comes.
    void historyFileIsBoundedAndReadRobustly()
    {
        Grid before(3, 5, 2, 4, 30);
        Grid after = before;
        for (int i = 0; i < 3; ++i)
            after.setCell(2, 4, QString::number(i));
        const std::vector<JournalHistory::Change> one = JournalHistory::changes(before, after);
        QCOMPARE(one.size(), size_t(1));
        const QByteArray existing = "l1\r\nl2\r\nl3\r\nl4 cut";
        const QDateTime when(QDate(2026, 12, 9), QTime(1, 2, 3));
        QByteArray out = JournalHistory::appended(existing, one, before, after, when, u"u"_s, 3);
        QCOMPARE(out, QByteArray("l3\r\nl4 cut\r\n09.12.2026 01:02:03\tu\t") + *Cp1251::encode(u"Изменение"_s)
                          + "\t1\t\t1\t\t\t2\r\n");
        out = JournalHistory::appended(existing, one, before, after, when, u"u"_s, 1);
        QVERIFY(out.startsWith("09.12.2026"));
        QCOMPARE(out.count('\n'), 1);
        // Lines of other shapes: fields missing, too many, unknown escapes, a NUL byte.
        const QList<JournalHistory::Entry> read =
            JournalHistory::parse(QByteArray("a\tb\r\n\r\n1\t2\t3\t4\t5\t6\t7\t8\t9\t10\n\\q\\x4\\x41\t\0z", 40));
        QCOMPARE(read.size(), 3);
        QCOMPARE(read[0].user, u"b"_s);
        QCOMPARE(read[0].newText, QString());
        QCOMPARE(read[1].newText, u"9"_s);
        QCOMPARE(read[2].when, u"\\q\\x4A"_s);
        QCOMPARE(read[2].user, u"\u0000z"_s);
        // A file of any size is read into bounded memory: a field of megabytes is cut,
        // and only the last lines a save keeps are read, blank lines not counted.
        const QList<JournalHistory::Entry> huge =
            JournalHistory::parse(QByteArray(8 << 20, 'x') + "\t" + QByteArray(8 << 20, '\\') + "\tnew");
        QCOMPARE(huge.size(), 1);
        QCOMPARE(huge[0].when, QString(JournalHistory::kMaxReadField, u'x') + u'…');
        QCOMPARE(huge[0].user, QString(JournalHistory::kMaxReadField / 2, u'\\') + u'…');
        QCOMPARE(huge[0].operation, u"new"_s);
        QByteArray many;
        for (int i = 0; i < JournalHistory::kMaxLines + 5; ++i)
            many += QByteArray::number(i) + "\r\n\r\n";
        const QList<JournalHistory::Entry> last = JournalHistory::parse(many + "\n\n");
        QCOMPARE(last.size(), JournalHistory::kMaxLines);
        QCOMPARE(last.first().when, u"5"_s);
        QCOMPARE(last.last().when, QString::number(JournalHistory::kMaxLines + 4));
    }

    // No room on the disk: the save stops, the journal and its history stay as they were.
    void fullDiskLeavesJournalAndHistory_data()
    {
        QTest::addColumn<int>("freePages"); // left free: the version's three files fit in three
        QTest::addColumn<QString>("named");
        QTest::newRow("no room for the journal") << 3 << u"SpStud.txt"_s;
        QTest::newRow("no room for the version") << 0 << u"Архив"_s;
    }
    void fullDiskLeavesJournalAndHistory()
    {
        QFETCH(int, freePages);
        QFETCH(QString, named);
        const SmallTmpfs disk;
        if (!disk.mounted())
            QSKIP("no tmpfs can be mounted here");
        makeRoot(disk.path());
        JournalSession s(m_root);
        s.load(identity());
        s.journal().setCell(2, 4, u"1"_s);
        save(s); // a history and a first version
        const QByteArray journal = bytes(u"G1/A/SpStud.txt"_s), history = bytes(u"G1/A/История.txt"_s);
        QFile fill(disk.filePath(u"filler"_s));
        QVERIFY(fill.open(QIODevice::WriteOnly));
        struct statvfs fs;
        QCOMPARE(statvfs(QFile::encodeName(disk.path()).constData(), &fs), 0);
        fill.write(QByteArray(qsizetype(fs.f_bavail * fs.f_frsize) - freePages * 4096, 'x'));
        fill.close();
        s.journal().setCell(3, 4, QString(6000, u'5'));
        const QString error = saveError(s);
        QVERIFY2(error.contains(u"нет места"_s) && error.contains(named), qPrintable(error));
        QCOMPARE(bytes(u"G1/A/SpStud.txt"_s), journal);
        QCOMPARE(bytes(u"G1/A/История.txt"_s), history);
        QVERIFY(s.journalModified());
    }

    // Each save keeps the files it replaces; thirty versions stay, newest first.
    void versionsAreKeptAndLimited()
    {
        JournalSession s(m_root);
        s.load(identity());
        QByteArray previous = bytes(u"G1/A/SpStud.txt"_s);
        save(s); // nothing changed: no version
        QCOMPARE(s.versions().size(), 0);
        for (int i = 1; i <= JournalVersions::kKept + 3; ++i) {
            s.journal().setCell(2, 4, QString::number(i));
            save(s);
            const QList<JournalVersions::Version> versions = s.versions();
            QCOMPARE(versions.size(), std::min(i, JournalVersions::kKept));
            const QString newest = JournalVersions::archivePath(u"G1"_s, u"A"_s) + u'/' + versions.first().name;
            QCOMPARE(bytes(newest + u"/SpStud.txt"_s), previous);
            QCOMPARE(bytes(newest + u"/SpTem.txt"_s), bytes(u"G1/A/SpTem.txt"_s));
            QCOMPARE(s.versionJournal(versions.first().name).cell(2, 4), i == 1 ? u"5"_s : QString::number(i - 1));
            previous = bytes(u"G1/A/SpStud.txt"_s);
        }
        // The oldest went: the version of the first change's state is gone, the newest 30 stay.
        const QList<JournalVersions::Version> versions = s.versions();
        QCOMPARE(s.versionJournal(versions.last().name).cell(2, 4), u"3"_s);
        QCOMPARE(QDir(QDir(m_root).filePath(JournalVersions::archivePath(u"G1"_s, u"A"_s)))
                     .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                     .size(),
                 JournalVersions::kKept);
        // Versions named later than now (a clock set back): the one a save keeps stays, the oldest others go.
        for (int i = 0; i < JournalVersions::kKept; ++i)
            QVERIFY(QDir(m_root).mkpath(JournalVersions::archivePath(u"G1"_s, u"A"_s)
                                        + u"/01.01.2099 10-00-%1"_s.arg(i, 2, 10, QChar(u'0'))));
        s.journal().setCell(2, 4, u"x"_s);
        save(s);
        const QList<JournalVersions::Version> later = s.versions();
        QCOMPARE(later.size(), JournalVersions::kKept);
        QCOMPARE(later.first().name, u"01.01.2099 10-00-29"_s);
        QCOMPARE(s.versionJournal(later.last().name).cell(2, 4), QString::number(JournalVersions::kKept + 3));
        // A second that has a version " (9999)" takes no more: such a save is refused.
        const QString archive = QDir(m_root).filePath(JournalVersions::archivePath(u"G1"_s, u"A"_s));
        QStringList full;
        for (int t = 0; t < 3; ++t)
            full << archive + QDateTime::currentDateTime().addSecs(t).toString(u"/dd.MM.yyyy HH-mm-ss (9999)"_s);
        for (const QString &path : full)
            QVERIFY(QDir().mkpath(path));
        const QByteArray before = bytes(u"G1/A/SpStud.txt"_s);
        s.journal().setCell(2, 4, u"z"_s);
        const QString refused = saveError(s);
        QVERIFY2(refused.contains(u" (9999)»"_s), qPrintable(refused));
        QCOMPARE(bytes(u"G1/A/SpStud.txt"_s), before);
        for (const QString &path : full)
            QVERIFY(QDir().rmdir(path));
        // A save stopped after the journal took its place (a mount stands on the
        // widths file, which no rename replaces) keeps the version of what it replaced.
        const QByteArray replaced = bytes(u"G1/A/SpStud.txt"_s);
        const QByteArray widths = QFile::encodeName(QDir(m_root).filePath(u"G1/A/ColSpStud.txt"_s));
        if (geteuid() != 0 || mount(widths.constData(), widths.constData(), nullptr, MS_BIND, nullptr) != 0)
            QSKIP("no bind mount can be made here");
        s.journal().setCell(2, 4, u"y"_s);
        const QString error = saveError(s);
        umount2(widths.constData(), MNT_DETACH);
        QVERIFY2(error.contains(u"ColSpStud.txt"_s), qPrintable(error));
        QVERIFY(bytes(u"G1/A/SpStud.txt"_s) != replaced);
        const QString kept = JournalVersions::archivePath(u"G1"_s, u"A"_s) + u'/' + s.versions().last().name;
        QCOMPARE(bytes(kept + u"/SpStud.txt"_s), replaced);
    }

    // A restore keeps the state it replaces as a version, and can be undone by restoring that.
    void restoreKeepsTheStateBefore()
    {
        JournalSession s(m_root);
        s.load(identity());
        s.journal().setCell(2, 4, u"1"_s);
        save(s);
        s.journal().setCell(2, 4, u"2"_s);
        save(s);
        const QByteArray current = bytes(u"G1/A/SpStud.txt"_s);
        const QString oldest = s.versions().last().name; // the journal as it was at first
        s.restoreVersion(oldest);
        QCOMPARE(s.journal().cell(2, 4), u"5"_s);
        QVERIFY(!s.journalModified());
        QCOMPARE(s.versions().size(), 3);
        QCOMPARE(s.versionJournal(s.versions().first().name).cell(2, 4), u"2"_s);
        QCOMPARE(historyLines().last(), u"Изменение|Андреев Антон|1|2|5"_s);
        s.restoreVersion(s.versions().first().name);
        QCOMPARE(bytes(u"G1/A/SpStud.txt"_s), current);
    }

    // The archive is reached through real folders only; its name is no group's.
    void archiveLinksAreRefused_data()
    {
        QTest::addColumn<QString>("link"); // made a link to a folder outside the root
        QTest::addColumn<QString>("named");
        QTest::newRow("archive") << u"Архив"_s << u"Архив"_s;
        QTest::newRow("group") << u"Архив/G1"_s << u"Архив/G1"_s;
        QTest::newRow("journal") << u"Архив/G1/A"_s << u"Архив/G1/A"_s;
        QTest::newRow("version") << u"Архив/G1/A/01.01.2020 10-00-00"_s << u"01.01.2020 10-00-00"_s;
    }
    void archiveLinksAreRefused()
    {
        QFETCH(QString, link);
        QFETCH(QString, named);
        QTemporaryDir outside;
        const QString at = QDir(m_root).filePath(link);
        QDir().mkpath(QFileInfo(at).absolutePath());
        QVERIFY(QFile::link(outside.path(), at));
        JournalSession s(m_root);
        s.load(identity());
        const QByteArray journal = bytes(u"G1/A/SpStud.txt"_s);
        s.journal().setCell(2, 4, u"1"_s);
        const QString error = saveError(s);
        QVERIFY2(error.contains(u"ссылка"_s) && error.contains(named), qPrintable(error));
        QCOMPARE(bytes(u"G1/A/SpStud.txt"_s), journal);
        QCOMPARE(QDir(outside.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        JournalIdentity archive = identity();
        archive.group = u" Архив "_s;
        QVERIFY_THROWS_EXCEPTION(ZError, s.prepareSave(archive));
    }

    // The deletion of a journal takes its history with it.
    void deletionRemovesTheHistory()
    {
        JournalSession s(m_root);
        s.load(identity());
        s.journal().setCell(2, 4, u"1"_s);
        save(s);
        QVERIFY(QFile::exists(QDir(m_root).filePath(u"G1/A/История.txt"_s)));
        const QStringList names = Catalogue::listFolder(m_root, u"G1/A"_s);
        const Catalogue::Deletion deletion = Catalogue::deleteJournalFiles(m_root, u"G1"_s, u"A"_s, QString(), names);
        QVERIFY(deletion.failed.isEmpty());
        QVERIFY(deletion.folderRemoved);
        QVERIFY(!QFileInfo::exists(QDir(m_root).filePath(u"G1/A"_s)));
    }
};

QTEST_GUILESS_MAIN(TestJournalHistory)
#include "test_journalhistory.moc"
