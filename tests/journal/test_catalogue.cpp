#include "journal/catalogue.h"
#include "journal/errors.h"
#include "journal/grid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

Grid catalogueOf(const QList<QStringList> &entries)
{
    Grid g = Catalogue::makeGrid();
    g.setRowCount(int(entries.size()) + 1);
    for (int r = 0; r < entries.size(); ++r)
        for (int c = 0; c < entries[r].size(); ++c)
            g.setCell(c, r + 1, entries[r][c]);
    return g;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_tmp;
    QString m_root; // the data root of one test
    QString m_outside;

    QString at(const QString &relative) const { return QDir(m_root).filePath(relative); }
    void makeDir(const QString &relative) { QVERIFY(QDir(m_root).mkpath(relative)); }
    void makeFile(const QString &relative, const QByteArray &bytes = "x")
    {
        QFile f(at(relative));
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(relative));
        f.write(bytes);
    }
    void link(const QString &target, const QString &relative)
    {
        QVERIFY2(QFile::link(target, at(relative)), qPrintable(relative));
    }
    bool exists(const QString &relative) const
    {
        const QFileInfo info(at(relative));
        return info.exists() || info.isSymLink();
    }

private Q_SLOTS:
    void init()
    {
        m_tmp.reset(new QTemporaryDir);
        QVERIFY(m_tmp->isValid());
        m_root = m_tmp->filePath(QStringLiteral("root"));
        m_outside = m_tmp->filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(m_root));
        QVERIFY(QDir().mkpath(m_outside));
        makeDir(QStringLiteral("Baza"));
        makeFile(QStringLiteral("Baza/Gurnali.txt"));
        makeDir(QStringLiteral("11А"));
        makeFile(QStringLiteral("11А/note.txt"));
        QFile keep(QDir(m_outside).filePath(QStringLiteral("keep.txt")));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("keep");
    }

    void paths()
    {
        const Grid g = catalogueOf({{"1", "  Алг ", " 11А ", "1"}, {"2", "Физ", "10Б"}});
        QCOMPARE(Catalogue::entryFolderPath(g, 1), QStringLiteral("11А/Алг"));
        // Opening trims the whole path: the folder name keeps its leading blanks.
        QCOMPARE(Catalogue::openingPath(g, 1), QStringLiteral("11А/  Алг"));
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("10Б/Физ")), 2);
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("11А/Алг")), 1);
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("10б/Физ")), -1); // case-sensitive
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("Группа/Папка")), -1); // never the header row
    }

    void addEntryAtTop()
    {
        Grid g = catalogueOf({{"1", "Алг", "11А", "1", "Алгебра", "Иванова", "2024", "осн"},
                              {"2", "Физ", "10Б", "2", "Физика", "Петров", "2023", ""}});
        Catalogue::addEntryAtTop(g, QStringLiteral(" Гео"), QStringLiteral("9В "), QStringLiteral("1"),
                                 QStringLiteral("География"));
        QCOMPARE(g.rowCount(), 4);
        const QStringList numbers{g.cell(0, 1), g.cell(0, 2), g.cell(0, 3)};
        QCOMPARE(numbers, (QStringList{"1", "2", "3"}));
        QStringList top;
        for (int c = 1; c < 8; ++c)
            top << g.cell(c, 1);
        QCOMPARE(top, (QStringList{" Гео", "9В ", "1", "География", "Иванова", "2024", "осн"}));
        QCOMPARE(g.cell(1, 2), QStringLiteral("Алг"));
        QCOMPARE(g.cell(7, 2), QStringLiteral("осн"));
        QCOMPARE(g.cell(5, 3), QStringLiteral("Петров"));

        Grid empty = Catalogue::makeGrid();
        empty.setRowCount(1);
        Catalogue::addEntryAtTop(empty, QStringLiteral("Алг"), QStringLiteral("11А"), {}, {});
        QCOMPARE(empty.rowCount(), 2);
        QCOMPARE(empty.cell(0, 1), QStringLiteral("1"));
        QCOMPARE(Catalogue::entryFolderPath(empty, 1), QStringLiteral("11А/Алг"));
    }

    void folderNames_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("ordinary") << "11А" << "Алгебра 2024" << true;
        QTest::newRow("blanks around") << " 11А " << "  Алг" << true;
        QTest::newRow("both empty") << "" << "" << false;
        QTest::newRow("blank folder") << "11А" << "   " << false;
        QTest::newRow("dot folder") << "11А" << "." << false;
        QTest::newRow("dot-dot group") << " .. " << "Алг" << false;
        QTest::newRow("slash") << "11А" << "a/b" << false;
        QTest::newRow("backslash") << "11А\\x" << "Алг" << false;
        QTest::newRow("absolute") << "/etc" << "Алг" << false;
    }
    void folderNames()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        QFETCH(bool, allowed);
        QCOMPARE(Catalogue::folderNamesProblem(group, folder).isEmpty(), allowed);
        if (allowed) {
            Catalogue::checkFolderNames(group, folder);
        } else {
            QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::checkFolderNames(group, folder));
            QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::checkDeletableFolder(m_root, group, folder));
            QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::deleteJournalFiles(m_root, group, folder,
                                                                           {group + "/" + folder + "/x"}));
        }
    }

    void deletesAFolderOfFiles()
    {
        makeDir(QStringLiteral("11А/Алг"));
        makeFile(QStringLiteral("11А/Алг/SpStud.txt"));
        makeFile(QStringLiteral("11А/Алг/SpTem.txt"));
        makeFile(QStringLiteral("11А/Алг/.hidden"));
        int calls = 0;
        const QString folder = Catalogue::checkDeletableFolder(m_root, QStringLiteral(" 11А"), QStringLiteral("Алг "));
        QCOMPARE(folder, QStringLiteral("11А/Алг"));
        const QStringList names = Catalogue::listFolder(m_root, folder, [&] { ++calls; });
        QCOMPARE(names, (QStringList{"11А/Алг/.hidden", "11А/Алг/SpStud.txt", "11А/Алг/SpTem.txt"}));
        QCOMPARE(calls, 3);

        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral(" 11А"), QStringLiteral("Алг "), names);
        QCOMPARE(result.deleted, names);
        QVERIFY(result.failed.isEmpty());
        QVERIFY(result.folderRemoved);
        QVERIFY(!exists(QStringLiteral("11А/Алг")));
        QVERIFY(exists(QStringLiteral("11А/note.txt")));
        QVERIFY(Catalogue::deletionFailureMessage(result).isEmpty());
    }

    void keepsSubfolders()
    {
        makeDir(QStringLiteral("11А/Алг/старое/глубже"));
        makeFile(QStringLiteral("11А/Алг/SpStud.txt"));
        makeFile(QStringLiteral("11А/Алг/старое/a.txt"));
        makeFile(QStringLiteral("11А/Алг/старое/глубже/b.txt"));
        const QStringList names = Catalogue::listFolder(m_root, QStringLiteral("11А/Алг"));
        QCOMPARE(names, (QStringList{"11А/Алг/SpStud.txt", "11А/Алг/старое/", "11А/Алг/старое/a.txt",
                                     "11А/Алг/старое/глубже/", "11А/Алг/старое/глубже/b.txt"}));
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), names);
        QCOMPARE(result.deleted.size(), 3);
        QVERIFY(result.failed.isEmpty());
        QVERIFY(!result.folderRemoved);
        QVERIFY(exists(QStringLiteral("11А/Алг/старое/глубже")));
        QVERIFY(!exists(QStringLiteral("11А/Алг/старое/глубже/b.txt")));
        QVERIFY(!exists(QStringLiteral("11А/Алг/SpStud.txt")));
    }

    void deletesExactNames()
    {
        makeDir(QStringLiteral("11А/Алг"));
        makeFile(QStringLiteral("11А/Алг/a.txt"));
        makeFile(QStringLiteral("11А/Алг/a.txt "));
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"),
                                                          {QStringLiteral("11А/Алг/a.txt ")});
        QCOMPARE(result.deleted, QStringList{"11А/Алг/a.txt "});
        QVERIFY(exists(QStringLiteral("11А/Алг/a.txt")));
        QVERIFY(!exists(QStringLiteral("11А/Алг/a.txt ")));
    }

    void linksAreDeletedAsLinks()
    {
        makeDir(QStringLiteral("11А/Алг"));
        link(m_outside, QStringLiteral("11А/Алг/dirlink"));
        link(QDir(m_outside).filePath(QStringLiteral("keep.txt")), QStringLiteral("11А/Алг/filelink"));
        link(QStringLiteral("nowhere"), QStringLiteral("11А/Алг/dangling"));
        const QStringList names = Catalogue::listFolder(m_root, QStringLiteral("11А/Алг"));
        QCOMPARE(names, (QStringList{"11А/Алг/dangling", "11А/Алг/dirlink", "11А/Алг/filelink"}));
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), names);
        QCOMPARE(result.deleted, names);
        QVERIFY(result.folderRemoved);
        QVERIFY(QFileInfo::exists(QDir(m_outside).filePath(QStringLiteral("keep.txt"))));
        QFile kept(QDir(m_outside).filePath(QStringLiteral("keep.txt")));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep"));
    }

    void refusesFoldersOutsideAJournal_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("linkTarget"); // where "group/folder" (or group) points, "" for none
        QTest::addColumn<bool>("groupIsLink");
        QTest::newRow("journal folder is a link outside") << "11А" << "Алг" << "outside" << false;
        QTest::newRow("journal folder is a link to the root") << "11А" << "Алг" << "root" << false;
        QTest::newRow("group folder is a link to the root, folder Baza") << "Г" << "Baza" << "root" << true;
        QTest::newRow("group folder is a link outside") << "Г" << "x" << "outside" << true;
    }
    void refusesFoldersOutsideAJournal()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        QFETCH(QString, linkTarget);
        QFETCH(bool, groupIsLink);
        const QString target = linkTarget == QLatin1String("root") ? m_root : m_outside;
        if (groupIsLink) {
            link(target, group);
            if (linkTarget == QLatin1String("outside"))
                QVERIFY(QDir(m_outside).mkpath(folder));
        } else {
            link(target, group + "/" + folder);
        }
        QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::checkDeletableFolder(m_root, group, folder));
        // Even a list made by hand deletes nothing.
        const QStringList names{group + "/" + folder + "/keep.txt", group + "/" + folder + "/Gurnali.txt",
                                group + "/" + folder + "/note.txt"};
        QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::deleteJournalFiles(m_root, group, folder, names));
        QVERIFY(QFileInfo::exists(QDir(m_outside).filePath(QStringLiteral("keep.txt"))));
        QVERIFY(exists(QStringLiteral("Baza/Gurnali.txt")));
        QVERIFY(exists(QStringLiteral("11А/note.txt")));
    }

    void refusalMessageNamesTheFolder()
    {
        try {
            Catalogue::checkDeletableFolder(m_root, QStringLiteral(""), QStringLiteral(""));
            QFAIL("no refusal");
        } catch (const ZError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("«/»")), qPrintable(e.message()));
        }
    }

    void removesOnlyNamesInsideTheFolder()
    {
        makeDir(QStringLiteral("11А/Алг"));
        makeFile(QStringLiteral("11А/Алг/SpStud.txt"));
        const QStringList names{"11А/note.txt", "11А/Алг/../note.txt", "Baza/Gurnali.txt", "11А/Алг/SpStud.txt"};
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), names);
        QCOMPARE(result.deleted, QStringList{"11А/Алг/SpStud.txt"});
        QCOMPARE(result.failed, names.mid(0, 3));
        QVERIFY(exists(QStringLiteral("11А/note.txt")));
        QVERIFY(exists(QStringLiteral("Baza/Gurnali.txt")));
        QVERIFY(Catalogue::deletionFailureMessage(result).contains(QStringLiteral("Baza/Gurnali.txt")));
    }

    void subfolderReplacedByALinkIsNotFollowed()
    {
        makeDir(QStringLiteral("11А/Алг/sub"));
        makeFile(QStringLiteral("11А/Алг/sub/keep.txt"));
        const QStringList names = Catalogue::listFolder(m_root, QStringLiteral("11А/Алг"));
        QVERIFY(QDir(at(QStringLiteral("11А/Алг/sub"))).removeRecursively());
        link(m_outside, QStringLiteral("11А/Алг/sub"));
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), names);
        QCOMPARE(result.failed, QStringList{"11А/Алг/sub/keep.txt"});
        QVERIFY(QFileInfo::exists(QDir(m_outside).filePath(QStringLiteral("keep.txt"))));
    }

    void missingFolderDeletesNothing()
    {
        QCOMPARE(Catalogue::checkDeletableFolder(m_root, QStringLiteral("Нет"), QStringLiteral("Алг")),
                 QStringLiteral("Нет/Алг"));
        QVERIFY(Catalogue::listFolder(m_root, QStringLiteral("Нет/Алг")).isEmpty());
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {});
        QVERIFY(result.deleted.isEmpty());
        QVERIFY(result.failed.isEmpty());
        QVERIFY(!result.folderRemoved);
    }

    void failureIsReported()
    {
        makeDir(QStringLiteral("11А/Алг/sub"));
        makeFile(QStringLiteral("11А/Алг/sub/a.txt"));
        // A name listed as a file that is now a folder with content cannot be removed.
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"),
                                                          {QStringLiteral("11А/Алг/sub")});
        QCOMPARE(result.failed, QStringList{"11А/Алг/sub"});
        QVERIFY(exists(QStringLiteral("11А/Алг/sub/a.txt")));
        const QString message = Catalogue::deletionFailureMessage(result);
        QVERIFY(message.startsWith(QStringLiteral("Не удалось удалить")));
        QVERIFY(message.contains(QStringLiteral("11А/Алг/sub")));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
