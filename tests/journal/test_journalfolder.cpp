#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/journalfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

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
