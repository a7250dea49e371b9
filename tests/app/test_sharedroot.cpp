#include "fixtureroot.h"

#include "app/tform1.h"
#include "controls/gridview.h"
#include "journal/catalogue.h"
#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"
#include "journal/journallock.h"
#include "journal/ui/tgurnaliform.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

using Answer = Messages::Answer;
Q_DECLARE_METATYPE(Messages::Answer)

namespace {

// The other program on the same data root: this test's executable started
// again with one of these arguments.
//   --hold-lock FOLDER        locks the journal folder until its input ends
//   --try-lock FOLDER         says whether the lock could be taken, and ends
//   --add-journal ROOT G F    reads the catalogue, waits for a line, then saves
//                             a new journal G/F as the main window's save does
int runOtherProgram(const QStringList &args)
{
    QTextStream out(stdout);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    const QString mode = args.value(1);
    if (mode == u"--hold-lock" || mode == u"--try-lock") {
        JournalLock lock;
        const QString before = QTime::currentTime().toString(u"HH:mm"_s);
        if (!lock.claim(args.value(2))) {
            out << "refused " << lock.refusal() << Qt::endl;
            return 0;
        }
        out << "held " << before << ' ' << QTime::currentTime().toString(u"HH:mm"_s) << Qt::endl;
        if (mode == u"--hold-lock")
            while (!in.readLine().isEmpty()) {
            }
        return 0;
    }
    if (mode == u"--add-journal") {
        try {
            JournalSession session(args.value(2));
            session.readCatalogue();
            out << "read" << Qt::endl;
            in.readLine();
            const JournalIdentity target{args.value(3), u"Химия"_s, args.value(4), u"1"_s, u"2026"_s, QString()};
            session.prepareSave(target);
            session.addToCatalogue(target);
            session.writeJournal(target);
            out << "added" << Qt::endl;
        } catch (const ZError &e) {
            out << "error " << e.message() << Qt::endl;
        }
        return 0;
    }
    return 2;
}

class OtherProgram
{
public:
    explicit OtherProgram(const QStringList &args)
    {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments(args);
        m_process.start();
        m_process.waitForStarted();
    }
    ~OtherProgram()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(10000))
                m_process.kill();
            m_process.waitForFinished();
        }
    }
    QString readLine()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(20000)) {
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    void go() { m_process.write("go\n"); }
    // Ends as a program does that is killed or loses its computer: nothing is cleaned up.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // Ends normally: its input closes.
    void end()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

// What another program says of a folder's lock: "held ..." or "refused TEXT".
QString tryLock(const QString &folder)
{
    OtherProgram other({u"--try-lock"_s, folder});
    return other.readLine();
}

QString thisComputer()
{
    return QSysInfo::machineHostName();
}

} // namespace

// Two programs on one data root, the second one a real process: a journal open
// in one is read-only in the other, files changed on disk are asked about
// before they are overwritten, and the catalogue keeps the entries of both.
class TestSharedRoot : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    FixtureRoot *root() const { return &m_session->root; }
    RecordingMessages &messages() const { return m_session->messages; }
    TForm1 *f() const { return running().form1; }
    TGurnaliForm *g() const { return running().gurnali; }
    Grid &journal() const { return session().journal(); }

    QStringList shown(Messages::Kind kind) const
    {
        QStringList out;
        for (const auto &e : messages().shown)
            if (e.kind == kind)
                out << e.text;
        return out;
    }
    // The window shows and opens the catalogue's first journal, G1/Inf.
    void showWindow()
    {
        f()->resize(1200, 700);
        f()->show();
        f()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f()));
        QTRY_COMPARE(session().folderPath(), u"G1/Inf"_s);
        // The read-only notice comes once the load has finished.
        QCoreApplication::processEvents();
    }
    // The journal window's save under the folder name typed into "Папка";
    // a new folder's catalogue entry window is closed as soon as it shows.
    void saveUnder(const QString &folder)
    {
        ctl<QLineEdit>(f(), u"PapkaName"_s)->setText(folder);
        messages().answers = {true};
        QTimer::singleShot(0, g(), [this] { g()->reject(); });
        QTest::mouseClick(ctl<QToolButton>(f(), u"SaveTab"_s), Qt::LeftButton);
    }
    // Ctrl+S in the journal grid.
    void pressCtrlS()
    {
        auto *view = ctl<GridView>(f(), u"SpisokSt"_s);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QTest::qWait(300); // the button is seen pressed before the save runs
    }
    static QStringList catalogueFolders(const Grid &catalogue)
    {
        QStringList folders;
        for (int r = 1; r < catalogue.rowCount(); ++r)
            folders << catalogue.cell(Catalogue::FolderCol, r).trimmed();
        folders.sort();
        return folders;
    }
    Grid catalogueOnDisk() const
    {
        Grid catalogue = Catalogue::makeGrid();
        ReadGridFile(root()->file(QString::fromLatin1(Catalogue::kCatalogueFile)), catalogue);
        return catalogue;
    }
    Grid journalOnDisk(const QString &folder) const
    {
        Grid grid;
        ReadGridFile(root()->file(folder + u"/SpStud.txt"_s), grid);
        return grid;
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
    }
    void cleanup()
    {
        messages().choiceAnswers.clear();
        messages().threeWayAnswers = {Answer::No};
        g()->hide();
        f()->N1Click();
        m_session.reset();
    }

    // Another program has the journal open: this one shows it read-only,
    // refuses to save into its folder and to delete it, and saves elsewhere.
    void aJournalHeldElsewhereIsReadOnly()
    {
        OtherProgram holder({u"--hold-lock"_s, root()->file(u"G1/Inf"_s)});
        const QStringList held = holder.readLine().split(u' ');
        QCOMPARE(held.value(0), u"held"_s);
        const QString holderText = u"Журнал открыт на компьютере %1 с "_s.arg(thisComputer());
        const auto namesHolder = [&](const QString &text) {
            return text.startsWith(holderText + held.value(1)) || text.startsWith(holderText + held.value(2));
        };
        showWindow();
        const QStringList warnings = shown(Messages::Kind::Warning);
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(namesHolder(warnings.first()), qPrintable(warnings.first()));

        // Its own folder: refused with the holder, nothing written.
        const QByteArray before = root()->bytes(u"G1/Inf/SpStud.txt"_s);
        journal().setCell(2, 6, u"2"_s);
        pressCtrlS();
        QCOMPARE(messages().errors().size(), 1);
        QVERIFY2(namesHolder(messages().errors().first()), qPrintable(messages().errors().first()));
        QCOMPARE(root()->bytes(u"G1/Inf/SpStud.txt"_s), before);

        // Another folder ("Сохранить как"): written, and now locked by this program.
        saveUnder(u"Inf2"_s);
        QCOMPARE(messages().errors().size(), 1);
        QCOMPARE(session().folderPath(), u"G1/Inf2"_s);
        QCOMPARE(journalOnDisk(u"G1/Inf2"_s).cell(2, 6), u"2"_s);
        QCOMPARE(session().readOnlyReason(), QString());
        QVERIFY(tryLock(root()->file(u"G1/Inf2"_s)).startsWith(u"refused "_s + holderText));
        QVERIFY(tryLock(root()->file(u"G1/Math"_s)).startsWith(u"held"_s)); // nobody holds the others

        // The catalogue window does not delete the journal the other program has open.
        g()->show();
        QVERIFY(QTest::qWaitForWindowExposed(g()));
        auto *gurSp = ctl<GridView>(g(), u"GurSp"_s);
        const int infRow = session().catalogueEntryOf({u"G1"_s, {}, u"Inf"_s, {}, {}, {}});
        QCOMPARE(infRow, 2);
        g()->GurSpMouseDown(Qt::LeftButton, gurSp->cellRect(2, infRow).center());
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(g(), u"DelStroku"_s), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 2);
        QVERIFY2(namesHolder(messages().errors().last()), qPrintable(messages().errors().last()));
        QCOMPARE(root()->bytes(u"G1/Inf/SpStud.txt"_s), before);
        QCOMPARE(catalogueFolders(catalogueOnDisk()), (QStringList{u"Inf"_s, u"Inf2"_s, u"Math"_s}));

        // Once the holder has ended, the same deletion goes through, lock file and all.
        holder.end();
        QVERIFY(QFileInfo::exists(root()->file(u"G1/Inf"_s)));
        g()->GurSpMouseDown(Qt::LeftButton, gurSp->cellRect(2, infRow).center());
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(g(), u"DelStroku"_s), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 2);
        QCOMPARE(shown(Messages::Kind::Warning).size(), 1); // nothing left behind
        QVERIFY(!QFileInfo::exists(root()->file(u"G1/Inf"_s)));
        QCOMPARE(catalogueFolders(catalogueOnDisk()), (QStringList{u"Inf2"_s, u"Math"_s}));
    }

    // A lock nobody renews any more is taken over; a renewed one is not.
    void staleLocksAreTakenOver_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("takenOver");
        QTest::newRow("program on this computer killed") << u"killed"_s << true;
        QTest::newRow("other computer, silent for 20 minutes") << u"silent"_s << true;
        QTest::newRow("other computer, renewed a minute ago") << u"renewed"_s << false;
    }
    void staleLocksAreTakenOver()
    {
        QFETCH(QString, holder);
        QFETCH(bool, takenOver);
        const QString lockFile = root()->file(u"G1/Inf/zhurnal.lock"_s);
        std::unique_ptr<OtherProgram> killed;
        if (holder == u"killed") {
            killed = std::make_unique<OtherProgram>(QStringList{u"--hold-lock"_s, root()->file(u"G1/Inf"_s)});
            QVERIFY(killed->readLine().startsWith(u"held"_s));
            killed->kill();
            QVERIFY(QFileInfo::exists(lockFile));
        } else {
            root()->write(u"G1/Inf/zhurnal.lock"_s, "4242\nzhurnal\nkab-12\n");
            QFile file(lockFile);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const int minutes = holder == u"silent" ? 20 : 1;
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutes), QFileDevice::FileModificationTime));
        }
        showWindow();
        const QByteArray before = root()->bytes(u"G1/Inf/SpStud.txt"_s);
        journal().setCell(2, 6, u"2"_s);
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(f(), u"SaveTab"_s), Qt::LeftButton);
        if (takenOver) {
            QCOMPARE(shown(Messages::Kind::Warning), QStringList());
            QCOMPARE(messages().errors(), QStringList());
            QCOMPARE(journalOnDisk(u"G1/Inf"_s).cell(2, 6), u"2"_s);
            QVERIFY(tryLock(root()->file(u"G1/Inf"_s)).startsWith(u"refused Журнал открыт на компьютере "_s + thisComputer()));
        } else {
            QCOMPARE(shown(Messages::Kind::Warning).size(), 1);
            QVERIFY(shown(Messages::Kind::Warning).first().startsWith(u"Журнал открыт на компьютере kab-12 с "_s));
            QCOMPARE(messages().errors().size(), 1);
            QVERIFY(messages().errors().first().startsWith(u"Журнал открыт на компьютере kab-12 с "_s));
            QCOMPARE(root()->bytes(u"G1/Inf/SpStud.txt"_s), before);
        }
    }

    // Another program wrote the journal after this one read it: the save asks,
    // and each answer does what it says.
    void filesChangedOnDiskAreAskedAbout_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("Перезаписать") << Answer::Yes;
        QTest::newRow("Загрузить заново") << Answer::No;
        QTest::newRow("Отмена") << Answer::Cancel;
    }
    void filesChangedOnDiskAreAskedAbout()
    {
        QFETCH(Answer, answer);
        showWindow();
        journal().setCell(2, 6, u"4"_s); // this program's mark
        {
            // The other program knows no lock (an older copy, or one whose lock went stale).
            JournalSession other(root()->path());
            other.readCatalogue();
            other.load(other.catalogueEntry(1));
            other.journal().setCell(3, 5, u"3"_s); // its mark
            other.writeJournal({u"G1"_s, {}, u"Inf"_s, {}, {}, {}});
        }
        const QByteArray theirs = root()->bytes(u"G1/Inf/SpStud.txt"_s);
        messages().choiceAnswers = {answer};
        QTest::mouseClick(ctl<QToolButton>(f(), u"SaveTab"_s), Qt::LeftButton);
        QCOMPARE(messages().errors(), QStringList());
        const QStringList asked = shown(Messages::Kind::ChoiceQuestion);
        QCOMPARE(asked.size(), 1);
        const auto choice = std::find_if(messages().shown.cbegin(), messages().shown.cend(),
                                         [](const auto &e) { return e.kind == Messages::Kind::ChoiceQuestion; });
        QCOMPARE(choice->caption, u"Журнал изменён на диске другой программой"_s);
        QVERIFY(asked.first().contains(u"«SpStud.txt»"_s));
        QVERIFY(asked.first().endsWith(u"\nПерезаписать\nЗагрузить заново\nОтмена"_s));
        switch (answer) {
        case Answer::Yes:
            QCOMPARE(journalOnDisk(u"G1/Inf"_s).cell(2, 6), u"4"_s);
            QCOMPARE(journalOnDisk(u"G1/Inf"_s).cell(3, 5), QString());
            // What this save wrote is what the next one compares with: no question.
            journal().setCell(2, 5, u"5"_s);
            QTest::mouseClick(ctl<QToolButton>(f(), u"SaveTab"_s), Qt::LeftButton);
            QCOMPARE(shown(Messages::Kind::ChoiceQuestion).size(), 1);
            QCOMPARE(journalOnDisk(u"G1/Inf"_s).cell(2, 5), u"5"_s);
            break;
        case Answer::No:
            QCOMPARE(root()->bytes(u"G1/Inf/SpStud.txt"_s), theirs);
            QCOMPARE(journal().cell(3, 5), u"3"_s);
            QCOMPARE(journal().cell(2, 6), QString());
            QVERIFY(!session().journalModified());
            break;
        case Answer::Cancel:
            QCOMPARE(root()->bytes(u"G1/Inf/SpStud.txt"_s), theirs);
            QCOMPARE(journal().cell(2, 6), u"4"_s);
            QVERIFY(session().journalModified());
            break;
        }
    }

    // Two programs each save a new journal, one between the other's reading
    // and writing of the catalogue: both entries stay. The catalogue window's
    // own save does not drop the other's entry either.
    void newJournalsOfTwoProgramsBothStayInTheCatalogue()
    {
        showWindow();
        {
            OtherProgram other({u"--add-journal"_s, root()->path(), u"G1"_s, u"B1"_s});
            QCOMPARE(other.readLine(), u"read"_s);
            saveUnder(u"A1"_s); // after the other read the file, before it writes
            other.go();
            QCOMPARE(other.readLine(), u"added"_s);
        }
        saveUnder(u"A2"_s); // after the other wrote it
        QCOMPARE(messages().errors(), QStringList());
        const QStringList all{u"A1"_s, u"A2"_s, u"B1"_s, u"Inf"_s, u"Math"_s};
        QCOMPARE(catalogueFolders(catalogueOnDisk()), all);
        QCOMPARE(catalogueFolders(session().catalogue()), all);
        QVERIFY(QFileInfo::exists(root()->file(u"G1/B1/SpStud.txt"_s)));

        // An edit in the catalogue window while another program adds a journal.
        g()->show();
        QVERIFY(QTest::qWaitForWindowExposed(g()));
        session().catalogue().setCell(Catalogue::CommentCol, 1, u"правка"_s);
        {
            OtherProgram other({u"--add-journal"_s, root()->path(), u"G1"_s, u"B2"_s});
            QCOMPARE(other.readLine(), u"read"_s);
            other.go();
            QCOMPARE(other.readLine(), u"added"_s);
        }
        QTest::mouseClick(ctl<QToolButton>(g(), u"SaveTab"_s), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 1);
        QVERIFY2(messages().errors().first().contains(u"другая программа"_s), qPrintable(messages().errors().first()));
        const Grid onDisk = catalogueOnDisk();
        QCOMPARE(catalogueFolders(onDisk), (QStringList{u"A1"_s, u"A2"_s, u"B1"_s, u"B2"_s, u"Inf"_s, u"Math"_s}));
        for (int r = 1; r < onDisk.rowCount(); ++r)
            QVERIFY(onDisk.cell(Catalogue::CommentCol, r) != u"правка"_s);
        // Closed without saving, the window shows the file as the other program left it.
        messages().threeWayAnswers = {Answer::No};
        g()->reject();
        QCOMPARE(catalogueFolders(session().catalogue()), catalogueFolders(onDisk));
        QVERIFY(!session().catalogueModified());
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]).startsWith("--") && QByteArray(argv[1]) != "--") {
        QCoreApplication app(argc, argv);
        return runOtherProgram(app.arguments());
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestSharedRoot test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_sharedroot.moc"
