#include "access/accessfile.h"
#include "journal/catalogue.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/journalfolder.h"
#include "journal/journallayout.h"
#include "journal/journalsession.h"
#include "rating/gradingscale.h"
#include "rating/resultscommand.h"
#include "reports/docxdocument.h"
#include "themes/themes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;

// What a test does with a data root.
using Action = std::function<void(const QString &root)>;

// A data root with two journals of group "G1", files and links where a
// journal folder or a group folder could be, and a folder outside the root.
class TestJournalFolder : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_tmp;
    QString m_root;
    QString m_outside;

    QString at(const QString &relative) const { return QDir(m_root).filePath(relative); }
    void makeFile(const QString &path)
    {
        QFile f(path);
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
        f.write("x");
    }
    void link(const QString &target, const QString &relative)
    {
        QVERIFY2(QFile::link(target, at(relative)), qPrintable(relative));
    }
    // Every name under a folder, links not followed.
    static QStringList listing(const QString &folder)
    {
        QStringList out;
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        out.sort();
        return out;
    }
    // The refusal of `call`, or a failure when it does not throw.
    template<typename Call>
    static QString refusal(Call call)
    {
        try {
            call();
        } catch (const ZError &e) {
            return e.message();
        }
        return {};
    }

private Q_SLOTS:
    void init()
    {
        m_tmp.reset(new QTemporaryDir);
        QVERIFY(m_tmp->isValid());
        m_root = m_tmp->filePath(QStringLiteral("root"));
        m_outside = m_tmp->filePath(QStringLiteral("outside"));
        for (const QString &dir : {m_root + u"/Baza"_s, m_root + u"/G1/Inf"_s, m_root + u"/G1/Math"_s, m_outside + u"/Ext"_s,
                                   m_root + u"/G1/In"_s + QChar(1) + u"f"_s})
            QVERIFY(QDir().mkpath(dir));
        makeFile(at(u"G1/file.txt"_s));
        makeFile(at(u"File"_s));
        makeFile(m_outside + u"/SpStud.txt"_s);
        link(m_outside, u"G1/Ext"_s);
        link(u"Inf"_s, u"G1/InfLink"_s);
        link(u"nowhere"_s, u"G1/Dangling"_s);
        link(m_outside, u"Out"_s);
        link(m_root, u"Top"_s);
        link(u"G1"_s, u"L"_s);
    }

    void checkedFolders_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("forLoad"); // a part of the refusal, "" when the folder is taken
        QTest::addColumn<QString>("forSave");
        QTest::newRow("journal folder") << "G1" << "Inf" << "" << "";
        QTest::newRow("blanks around") << " G1 " << " Inf  " << "" << "";
        QTest::newRow("folder missing") << "G1" << "Нет" << "такой папки нет" << "";
        QTest::newRow("group missing") << "G9" << "Inf" << "нет папки группы «G9»" << "нет папки группы «G9»";
        QTest::newRow("folder is a file") << "G1" << "file.txt" << "не папка" << "не папка";
        QTest::newRow("group is a file") << "File" << "x" << "«File» в папке данных — не папка" << "не папка";
        QTest::newRow("folder links outside") << "G1" << "Ext" << "символическая ссылка" << "символическая ссылка";
        QTest::newRow("folder links to a sibling") << "G1" << "InfLink" << "символическая ссылка" << "символическая ссылка";
        QTest::newRow("dangling folder link") << "G1" << "Dangling" << "символическая ссылка" << "символическая ссылка";
        QTest::newRow("group links outside") << "Out" << "Ext" << "папка группы «Out»" << "папка группы «Out»";
        QTest::newRow("group links to the root") << "Top" << "Baza" << "папка группы «Top»" << "папка группы «Top»";
        QTest::newRow("group links to a group") << "L" << "Inf" << "папка группы «L»" << "папка группы «L»";
        QTest::newRow("control character") << "G1" << QString(QStringLiteral("In") + QChar(1) + QStringLiteral("f"))
                                           << "управляющий знак" << "управляющий знак";
        QTest::newRow("dot-dot") << "G1" << ".." << "не может быть именем папки" << "не может быть именем папки";
        QTest::newRow("empty group") << " " << "Inf" << "не указан код группы" << "не указан код группы";
    }
    void checkedFolders()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        QFETCH(QString, forLoad);
        QFETCH(QString, forSave);
        const QString path = JournalFolder::path(group, folder);
        QCOMPARE(path, group.trimmed() + u"/"_s + folder.trimmed());
        const QStringList before = listing(m_tmp->path());
        const std::pair<QString, std::function<QString()>> uses[] = {
            {forLoad, [&] { return JournalFolder::checked(m_root, group, folder); }},
            {forSave, [&] { return JournalFolder::checkedForSave(m_root, group, folder); }}};
        for (const auto &[expected, use] : uses) {
            if (expected.isEmpty()) {
                QCOMPARE(use(), path);
                continue;
            }
            const QString message = refusal(use);
            QVERIFY2(message.contains(expected), qPrintable(message));
            QVERIFY2(message.contains(quotedExcerpt(path)), qPrintable(message));
            QVERIFY2(!hasControlCharacter(message), qPrintable(message));
        }
        QCOMPARE(listing(m_tmp->path()), before); // a check makes nothing
    }

    void creatingAFolder_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("made");
        QTest::newRow("new folder") << " G1" << "Fiz " << true;
        QTest::newRow("existing folder") << "G1" << "Math" << false;
        QTest::newRow("group missing") << "G9" << "Fiz" << false;
        QTest::newRow("group links outside") << "Out" << "Fiz" << false;
        QTest::newRow("group links to the root") << "Top" << "G2" << false;
        QTest::newRow("folder links outside") << "G1" << "Ext" << false;
        QTest::newRow("folder is a file") << "G1" << "file.txt" << false;
    }
    void creatingAFolder()
    {
        QFETCH(QString, group);
        QFETCH(QString, folder);
        QFETCH(bool, made);
        const QStringList outsideBefore = listing(m_outside);
        const QStringList rootBefore = listing(m_root);
        const bool allowed = JournalFolder::namesProblem(group, folder).isEmpty()
            && JournalFolder::folderProblem(m_root, group, folder, JournalFolder::Needed::Group).isEmpty();
        if (allowed) {
            QCOMPARE(JournalFolder::create(m_root, group, folder), JournalFolder::path(group, folder));
            const QFileInfo info(at(JournalFolder::path(group, folder)));
            QVERIFY(info.isDir() && !info.isSymLink());
        } else {
            QVERIFY_THROWS_EXCEPTION(ZError, JournalFolder::create(m_root, group, folder));
        }
        QCOMPARE(listing(m_root).size(), rootBefore.size() + (made ? 1 : 0));
        QCOMPARE(listing(m_outside), outsideBefore);
    }

    void sameFolder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("one path") << "G1/Inf" << "G1/Inf" << true;
        QTest::newRow("a dot") << "G1/./Inf" << "G1/Inf" << true;
        QTest::newRow("folder link") << "G1/InfLink" << "G1/Inf" << true;
        QTest::newRow("group link") << "L/Inf" << "G1/Inf" << true;
        QTest::newRow("siblings") << "G1/Inf" << "G1/Math" << false;
        QTest::newRow("missing") << "G1/Нет" << "G1/Нет" << false;
        QTest::newRow("no open journal") << "G1/Inf" << "" << false;
        QTest::newRow("empty") << "" << "" << false;
    }
    void sameFolder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(JournalFolder::sameFolder(m_root, a, b), same);
        QCOMPARE(JournalFolder::sameFolder(m_root, b, a), same);
    }

    // The data root's own folders and files, and a journal folder a command
    // names, each replaced by a link to a copy outside the root: every read and
    // save of the program refuses it, naming it, and the copy outside keeps
    // every byte, with nothing added.
    void linksOutOfTheRootAreRefused_data()
    {
        QTest::addColumn<QString>("linked");  // in the root
        QTest::addColumn<QString>("target");  // in the folder outside
        QTest::addColumn<Action>("action");
        QTest::addColumn<QStringList>("message");
        const auto results = [](const QStringList &args) {
            return [args](const QString &root) {
                QString out, err;
                QTextStream o(&out), e(&err);
                QStringList words = args;
                words.replaceInStrings(u"@"_s, root);
                if (runResultsCommand(words + QStringList{u"--data"_s, root}, o, e) != 0)
                    throw ZError(err);
            };
        };
        QTest::newRow("catalogue read, Baza linked") << u"Baza"_s << u"Baza"_s
            << Action([](const QString &root) { JournalSession(root).readCatalogue(); })
            << QStringList{u"Файл «Baza/Gurnali.txt» недоступен"_s, u"папка «Baza» — символическая ссылка"_s};
        QTest::newRow("catalogue save, Baza linked") << u"Baza"_s << u"Baza"_s
            << Action([](const QString &root) { JournalSession(root).saveCatalogue(); })
            << QStringList{u"Файл «Baza/Gurnali.txt» недоступен"_s, u"папка «Baza» — символическая ссылка"_s};
        QTest::newRow("scale read at a load, Baza linked") << u"Baza"_s << u"Baza"_s
            << Action([](const QString &root) { JournalSession(root).load({u"G1"_s, {}, u"Inf"_s, {}, {}, {}}); })
            << QStringList{u"Файл «Baza/Pasport.txt» недоступен"_s, u"папка «Baza» — символическая ссылка"_s};
        QTest::newRow("scale save, Baza linked") << u"Baza"_s << u"Baza"_s
            << Action([](const QString &root) { GradingScale::writeFile(GradingScale::scaleFile(root), {}); })
            << QStringList{u"Файл «Baza/Pasport.txt» недоступен"_s, u"папка «Baza» — символическая ссылка"_s};
        QTest::newRow("report, Отчёты linked") << u"Отчёты"_s << u"Отчёты"_s << Action([](const QString &root) {
            DocxDocument doc(root, u"Список журналов"_s, QDateTime::currentDateTime(), {});
            doc.StartReport();
            doc.AppendText(u"текст"_s);
            doc.ShowReport();
        }) << QStringList{u"Отчёт не записан"_s, u"Папка «Отчёты» недоступна: это символическая ссылка"_s};
        QTest::newRow("access table read, Dostup.dat linked") << u"Dostup.dat"_s << u"Dostup.dat"_s
            << Action([](const QString &root) { AccessFile::openOrCreate(root + u"/Dostup.dat"_s, QDate(2026, 12, 8)); })
            << QStringList{u"Файл «Dostup.dat» недоступен: это символическая ссылка"_s};
        QTest::newRow("access editor save, Dostup.dat linked") << u"Dostup.dat"_s << u"Dostup.dat"_s
            << Action([](const QString &root) {
                   AccessRows::save(root + u"/Dostup.dat"_s, {{u"01"_s, u"08.12.2026"_s, u"Новый"_s, u"111111"_s, u"Z"_s}});
               })
            << QStringList{u"Файл «Dostup.dat» недоступен: это символическая ссылка"_s};
        QTest::newRow("results, group linked") << u"G2"_s << u"G"_s << Action(results({u"G2/Inf"_s}))
            << QStringList{u"Папка журнала «G2/Inf» недоступна: папка группы «G2» — символическая ссылка."_s};
        QTest::newRow("results, group linked, absolute path") << u"G2"_s << u"G"_s << Action(results({u"@/G2/Inf"_s}))
            << QStringList{u"Папка журнала «G2/Inf» недоступна: папка группы «G2» — символическая ссылка."_s};
        QTest::newRow("results, journal folder linked") << u"G1/Ext"_s << u"G/Inf"_s << Action(results({u"G1/Ext"_s}))
            << QStringList{u"Папка журнала «G1/Ext» недоступна: это символическая ссылка."_s};
        QTest::newRow("results, linked group on the way back") << u"G2"_s << u"G"_s << Action(results({u"G2/../G1/Inf/../../G2/Inf"_s}))
            << QStringList{u"папка группы «G2» — символическая ссылка."_s};
    }
    void linksOutOfTheRootAreRefused()
    {
        QFETCH(QString, linked);
        QFETCH(QString, target);
        QFETCH(Action, action);
        QFETCH(QStringList, message);
        QTemporaryDir tmp;
        const QString root = tmp.filePath(u"root"_s);
        const QString outside = tmp.filePath(u"outside"_s);
        // The same files in the root and outside it, so that a link followed
        // would read and write without a failure; the outside ones hold other texts.
        Grid catalogue = Catalogue::makeGrid();
        Grid journal = JournalLayout::makeJournalGrid();
        for (int c = JournalLayout::kFirstLessonCol; c < journal.colCount(); ++c)
            journal.setCell(c, JournalLayout::kWeightRow, u"1"_s);
        for (const auto &[base, mark] : {std::pair{root, u"внутри"_s}, std::pair{outside, u"снаружи"_s}}) {
            for (const QString &dir : {u"/Baza"_s, u"/Отчёты"_s, u"/G1/Inf"_s, u"/G/Inf"_s})
                QVERIFY(QDir().mkpath(base + dir));
            catalogue.setCell(Catalogue::CommentCol, 1, mark);
            WriteGridFile(base + u"/Baza/Gurnali.txt"_s, catalogue);
            GradingScale::writeFile(base + u"/Baza/Pasport.txt"_s, {base == root ? u"50"_s : u"55"_s, u"60"_s, u"80"_s});
            AccessFile::write(base + u"/Dostup.dat"_s, QList<AccessRecord>{{u"09"_s, QDate(2026, 1, 1), mark, u"123456"_s, u"W"_s}});
            for (const QString &folder : {u"/G1/Inf"_s, u"/G/Inf"_s}) {
                WriteGridFile(base + folder + u"/SpStud.txt"_s, journal);
                WriteGridFile(base + folder + u"/SpTem.txt"_s, Themes::makeGrid());
            }
        }
        QVERIFY(QFileInfo(root + u'/' + linked).isDir() ? QDir(root + u'/' + linked).removeRecursively()
                                                        : QFile::remove(root + u'/' + linked) || !QFileInfo::exists(root + u'/' + linked));
        QVERIFY(QFile::link(outside + u'/' + target, root + u'/' + linked));
        const auto snapshot = [&outside] {
            QStringList out;
            for (const QString &path : listing(outside)) {
                QFile f(path);
                out << path + u' ' + QString::fromLatin1(f.open(QIODevice::ReadOnly) ? f.readAll().toHex() : QByteArray());
            }
            return out;
        };
        const QStringList before = snapshot();

        const QString refused = refusal([&] { action(root); });
        for (const QString &part : message)
            QVERIFY2(refused.contains(part), qPrintable(refused));
        QCOMPARE(snapshot(), before);
    }

    void existsSeesLinksAsTheyAre()
    {
        QVERIFY(JournalFolder::exists(m_root, u"G1"_s, u"Inf"_s));
        QVERIFY(JournalFolder::exists(m_root, u"G1"_s, u"Dangling"_s));
        QVERIFY(JournalFolder::exists(m_root, u" G1 "_s, u" file.txt"_s));
        QVERIFY(!JournalFolder::exists(m_root, u"G1"_s, u"Нет"_s));
        QVERIFY(!JournalFolder::exists(m_root, u"G9"_s, u"Inf"_s));
    }
};

QTEST_GUILESS_MAIN(TestJournalFolder)
#include "test_journalfolder.moc"
