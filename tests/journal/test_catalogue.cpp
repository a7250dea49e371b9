#include "journal/catalogue.h"
#include "journal/journalfolder.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

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
        const Grid g = catalogueOf({{u"1"_s, u"  Алг "_s, u" 11А "_s, u"1"_s}, {u"2"_s, u"Физ"_s, u"10Б"_s}});
        QCOMPARE(Catalogue::entryFolderPath(g, 1), QStringLiteral("11А/Алг"));
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("10Б/Физ")), 2);
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("11А/Алг")), 1);
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("10б/Физ")), -1); // case-sensitive
        QCOMPARE(Catalogue::findEntry(g, QStringLiteral("Группа/Папка")), -1); // never the header row
    }

    void addEntryAtTop()
    {
        Grid g = catalogueOf({{u"1"_s, u"Алг"_s, u"11А"_s, u"1"_s, u"Алгебра"_s, u"Иванова"_s, u"2024"_s, u"осн"_s},
                              {u"2"_s, u"Физ"_s, u"10Б"_s, u"2"_s, u"Физика"_s, u"Петров"_s, u"2023"_s, u""_s}});
        Catalogue::addEntryAtTop(g, QStringLiteral(" Гео"), QStringLiteral("9В "), QStringLiteral("1"),
                                 QStringLiteral("География"));
        QCOMPARE(g.rowCount(), 4);
        const QStringList numbers{g.cell(0, 1), g.cell(0, 2), g.cell(0, 3)};
        QCOMPARE(numbers, (QStringList{u"1"_s, u"2"_s, u"3"_s}));
        QStringList top;
        for (int c = 1; c < 8; ++c)
            top << g.cell(c, 1);
        QCOMPARE(top, (QStringList{u" Гео"_s, u"9В "_s, u"1"_s, u"География"_s, u"Иванова"_s, u"2024"_s, u"осн"_s}));
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
        QTest::newRow("NUL after dot-dot") << "11А" << QString(QStringLiteral("..") + QChar(0) + QStringLiteral("x")) << false;
        QTest::newRow("line break in group") << "11\nА" << "Алг" << false;
        QTest::newRow("tab inside folder") << "11А" << "Ал\tг" << false;
        QTest::newRow("DEL") << "11А" << "Алг\x7f" << false;
        QTest::newRow("long name with a control character")
            << "11А" << QString(QStringLiteral("я").repeated(500) + QChar(1)) << false;
    }
    void folderNames()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        QFETCH(bool, allowed);
        QCOMPARE(JournalFolder::namesProblem(group, folder).isEmpty(), allowed);
        if (allowed) {
            JournalFolder::checkNames(group, folder);
        } else {
            try {
                JournalFolder::checkNames(group, folder);
                QFAIL("no refusal");
            } catch (const ZError &e) {
                // The message quotes the names, escaped and cut short.
                QVERIFY2(!hasControlCharacter(e.message()) && e.message().size() < 250, qPrintable(e.message()));
            }
            QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::checkDeletableFolder(m_root, group, folder, {}));
            QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::deleteJournalFiles(m_root, group, folder, {},
                                                                           {group + u"/"_s + folder + u"/x"_s}));
        }
    }

    void deletesAFolderOfFiles()
    {
        makeDir(QStringLiteral("11А/Алг"));
        makeFile(QStringLiteral("11А/Алг/SpStud.txt"));
        makeFile(QStringLiteral("11А/Алг/SpTem.txt"));
        makeFile(QStringLiteral("11А/Алг/.hidden"));
        int calls = 0;
        const QString folder = Catalogue::checkDeletableFolder(m_root, QStringLiteral(" 11А"), QStringLiteral("Алг "), {});
        QCOMPARE(folder, QStringLiteral("11А/Алг"));
        const QStringList names = Catalogue::listFolder(m_root, folder, [&] { ++calls; });
        QCOMPARE(names, (QStringList{u"11А/Алг/.hidden"_s, u"11А/Алг/SpStud.txt"_s, u"11А/Алг/SpTem.txt"_s}));
        QCOMPARE(calls, 3);

        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral(" 11А"), QStringLiteral("Алг "), {}, names);
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
        QCOMPARE(names, (QStringList{u"11А/Алг/SpStud.txt"_s, u"11А/Алг/старое/"_s, u"11А/Алг/старое/a.txt"_s,
                                     u"11А/Алг/старое/глубже/"_s, u"11А/Алг/старое/глубже/b.txt"_s}));
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {}, names);
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
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {},
                                                          {QStringLiteral("11А/Алг/a.txt ")});
        QCOMPARE(result.deleted, QStringList{u"11А/Алг/a.txt "_s});
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
        QCOMPARE(names, (QStringList{u"11А/Алг/dangling"_s, u"11А/Алг/dirlink"_s, u"11А/Алг/filelink"_s}));
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {}, names);
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
        QTest::newRow("group folder is a link to another group") << "Г" << "Физ" << "group" << true;
    }
    void refusesFoldersOutsideAJournal()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        QFETCH(QString, linkTarget);
        QFETCH(bool, groupIsLink);
        makeDir(QStringLiteral("11А/Физ"));
        makeFile(QStringLiteral("11А/Физ/SpStud.txt"));
        const QString target = linkTarget == QLatin1String("root")    ? m_root
                               : linkTarget == QLatin1String("group") ? at(QStringLiteral("11А"))
                                                                      : m_outside;
        if (groupIsLink) {
            link(target, group);
            if (linkTarget == QLatin1String("outside"))
                QVERIFY(QDir(m_outside).mkpath(folder));
        } else {
            link(target, group + u"/"_s + folder);
        }
        QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::checkDeletableFolder(m_root, group, folder, {}));
        // Even a list made by hand deletes nothing.
        const QStringList names{group + u"/"_s + folder + u"/keep.txt"_s, group + u"/"_s + folder + u"/Gurnali.txt"_s,
                                group + u"/"_s + folder + u"/note.txt"_s, group + u"/"_s + folder + u"/SpStud.txt"_s};
        QVERIFY_THROWS_EXCEPTION(ZError, Catalogue::deleteJournalFiles(m_root, group, folder, {}, names));
        QVERIFY(QFileInfo::exists(QDir(m_outside).filePath(QStringLiteral("keep.txt"))));
        QVERIFY(exists(QStringLiteral("Baza/Gurnali.txt")));
        QVERIFY(exists(QStringLiteral("11А/note.txt")));
        QVERIFY(exists(QStringLiteral("11А/Физ/SpStud.txt")));
    }

    void refusesTheOpenJournal_data()
    {
        QTest::addColumn<QString>("openFolder");
        QTest::addColumn<bool>("refused");
        QTest::newRow("same path") << "11А/Алг" << true;
        QTest::newRow("spelled with a dot") << "11А/./Алг" << true;
        QTest::newRow("spelled with a double slash") << "11А//Алг" << true;
        QTest::newRow("through a link") << "Ссылка/Алг" << true;
        QTest::newRow("another journal") << "11А/Физ" << false;
        QTest::newRow("no open journal") << "" << false;
    }
    void refusesTheOpenJournal()
    {
        QFETCH(QString, openFolder);
        QFETCH(bool, refused);
        makeDir(QStringLiteral("11А/Алг"));
        makeDir(QStringLiteral("11А/Физ"));
        makeFile(QStringLiteral("11А/Алг/SpStud.txt"));
        link(QStringLiteral("11А"), QStringLiteral("Ссылка"));
        const QStringList names{QStringLiteral("11А/Алг/SpStud.txt")};
        if (!refused) {
            QCOMPARE(Catalogue::checkDeletableFolder(m_root, QStringLiteral("11А"), QStringLiteral(" Алг"), openFolder),
                     QStringLiteral("11А/Алг"));
            QCOMPARE(Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral(" Алг"), openFolder, names)
                         .deleted,
                     names);
            return;
        }
        try {
            Catalogue::checkDeletableFolder(m_root, QStringLiteral("11А"), QStringLiteral(" Алг"), openFolder);
            QFAIL("no refusal");
        } catch (const ZError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("«11А/Алг»")) && e.message().contains(QStringLiteral("открытый")),
                     qPrintable(e.message()));
        }
        QVERIFY_THROWS_EXCEPTION(
            ZError, Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral(" Алг"), openFolder, names));
        QVERIFY(exists(QStringLiteral("11А/Алг/SpStud.txt")));
    }

    void walkIsBounded_data()
    {
        QTest::addColumn<int>("depth"); // levels of subfolders, a file in the deepest
        QTest::addColumn<bool>("refused");
        QTest::newRow("at the depth bound") << 8 << false;
        QTest::newRow("past the depth bound") << 9 << true;
        QTest::newRow("far past the depth bound") << 40 << true;
    }
    void walkIsBounded()
    {
        QFETCH(int, depth);
        QFETCH(bool, refused);
        QString deepest = QStringLiteral("11А/Алг");
        for (int level = 1; level <= depth; ++level)
            deepest += QStringLiteral("/%1").arg(level);
        makeDir(deepest);
        makeFile(deepest + QStringLiteral("/f"));
        if (!refused) {
            QCOMPARE(Catalogue::listFolder(m_root, QStringLiteral("11А/Алг")).size(), depth + 1);
            return;
        }
        try {
            Catalogue::listFolder(m_root, QStringLiteral("11А/Алг"));
            QFAIL("no refusal");
        } catch (const ZError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("«11А/Алг»")) && e.message().contains(QStringLiteral("8 уровней")),
                     qPrintable(e.message()));
        }
    }

    void walkStopsAtTheEntryBound()
    {
        // Files and subfolders count alike; one past the bound lists nothing.
        makeDir(QStringLiteral("11А/Алг/sub"));
        for (int i = 1; i < Catalogue::kMaxDeletedEntries; ++i)
            makeFile(QStringLiteral("11А/Алг/%1%2").arg(i % 2 ? QStringLiteral("sub/") : QString()).arg(i));
        QCOMPARE(Catalogue::listFolder(m_root, QStringLiteral("11А/Алг")).size(), Catalogue::kMaxDeletedEntries);
        makeFile(QStringLiteral("11А/Алг/sub/one more"));
        try {
            Catalogue::listFolder(m_root, QStringLiteral("11А/Алг"));
            QFAIL("no refusal");
        } catch (const ZError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("«11А/Алг»")) && e.message().contains(QStringLiteral("10000")),
                     qPrintable(e.message()));
        }
    }

    void refusalMessageNamesTheFolder()
    {
        try {
            Catalogue::checkDeletableFolder(m_root, QStringLiteral(""), QStringLiteral(""), {});
            QFAIL("no refusal");
        } catch (const ZError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("«/»")), qPrintable(e.message()));
        }
    }

    void removesOnlyNamesInsideTheFolder()
    {
        makeDir(QStringLiteral("11А/Алг"));
        makeFile(QStringLiteral("11А/Алг/SpStud.txt"));
        const QStringList names{u"11А/note.txt"_s, u"11А/Алг/../note.txt"_s, u"Baza/Gurnali.txt"_s, u"11А/Алг/SpStud.txt"_s};
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {}, names);
        QCOMPARE(result.deleted, QStringList{u"11А/Алг/SpStud.txt"_s});
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
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {}, names);
        QCOMPARE(result.failed, QStringList{u"11А/Алг/sub/keep.txt"_s});
        QVERIFY(QFileInfo::exists(QDir(m_outside).filePath(QStringLiteral("keep.txt"))));
    }

    void missingFolderDeletesNothing()
    {
        QCOMPARE(Catalogue::checkDeletableFolder(m_root, QStringLiteral("Нет"), QStringLiteral("Алг"), {}),
                 QStringLiteral("Нет/Алг"));
        QVERIFY(Catalogue::listFolder(m_root, QStringLiteral("Нет/Алг")).isEmpty());
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {}, {});
        QVERIFY(result.deleted.isEmpty());
        QVERIFY(result.failed.isEmpty());
        QVERIFY(!result.folderRemoved);
    }

    void failureIsReported()
    {
        makeDir(QStringLiteral("11А/Алг/sub"));
        makeFile(QStringLiteral("11А/Алг/sub/a.txt"));
        // A name listed as a file that is now a folder with content cannot be removed.
        const auto result = Catalogue::deleteJournalFiles(m_root, QStringLiteral("11А"), QStringLiteral("Алг"), {},
                                                          {QStringLiteral("11А/Алг/sub")});
        QCOMPARE(result.failed, QStringList{u"11А/Алг/sub"_s});
        QVERIFY(exists(QStringLiteral("11А/Алг/sub/a.txt")));
        const QString message = Catalogue::deletionFailureMessage(result);
        QVERIFY(message.startsWith(QStringLiteral("Не удалось удалить")));
        QVERIFY(message.contains(QStringLiteral("11А/Алг/sub")));
    }

    void failureMessageQuotesNamesAndStaysShort()
    {
        Catalogue::Deletion deletion;
        deletion.failed << QStringLiteral("11А/Алг/две\nстроки");
        for (int i = 0; i < 25; ++i)
            deletion.failed << QStringLiteral("11А/Алг/f%1").arg(i);
        const QStringList lines = Catalogue::deletionFailureMessage(deletion).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 1 + 20 + 1);
        QCOMPARE(lines.at(1), QStringLiteral("11А/Алг/две\\nстроки"));
        QVERIFY2(lines.last().contains(QStringLiteral("6")), qPrintable(lines.last()));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
