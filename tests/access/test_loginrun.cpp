#include "../app/fixtureroot.h"

#include "access/accessfile.h"
#include "access/ui/tzapusk.h"
#include "app/tform1.h"
#include "controls/tdxfcolorbutton.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// The login as the program runs it: the access file of the data root, the
// journal window opened modally, its "Шкала перевода" by the access letter.
class TestLoginRun : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowSession> m_session;

    // Types the password, presses "Дальше" and, once the journal window runs,
    // notes whether "Шкала перевода" is enabled and leaves by "Выход".
    QString enter(const QString &password)
    {
        TZapusk *login = running().zapusk;
        login->show();
        auto *box = login->findChild<QLineEdit *>(u"NomZamka"_s);
        box->selectAll();
        QTest::keyClicks(box, password);
        QString seen = u"journal window not shown"_s;
        QTimer::singleShot(0, running().form1, [&seen] {
            TForm1 *f = running().form1;
            QAction *n7 = ctl<QAction>(f, u"N7"_s);
            seen = f->isVisible() ? (n7->isEnabled() ? u"scale enabled"_s : u"scale disabled"_s) : u"hidden"_s;
            f->N1Click();
        });
        auto *dalee = login->findChild<TdxfColorButton *>(u"Dalee"_s);
        QTest::mouseClick(dalee, Qt::LeftButton, {}, dalee->rect().center());
        return seen + (login->isVisible() ? u", login open"_s : u", login closed"_s);
    }

private Q_SLOTS:
    void init() { m_session = std::make_unique<WindowSession>(); }
    void cleanup() { m_session.reset(); }

    void accessLetters_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("administrator") << u"580317"_s << u"scale enabled, login closed"_s;
        QTest::newRow("user W") << u"wwwwww"_s << u"scale disabled, login closed"_s;
        QTest::newRow("user X") << u"xxxxxx"_s << u"journal window not shown, login open"_s;
        QTest::newRow("nobody") << u"000000"_s << u"journal window not shown, login open"_s;
    }
    void accessLetters()
    {
        QFETCH(QString, password);
        FixtureRoot &root = m_session->root;
        QVERIFY(QFileInfo::exists(root.file(u"Dostup.dat"_s))); // made at the start
        AccessFile::write(root.file(u"Dostup.dat"_s), QList<AccessRecord>{{u"01"_s, QDate(2026, 1, 1), u"А"_s, u"580317"_s, u"Z"_s},
                                                                          {u"02"_s, QDate(2026, 1, 1), u"Б"_s, u"wwwwww"_s, u"W"_s},
                                                                          {u"03"_s, QDate(2026, 1, 1), u"В"_s, u"xxxxxx"_s, u"X"_s}});
        m_session->restartOn(root.path());
        QTEST(enter(password), "outcome");
    }

    // The program as main() runs it: the login window shown, the event loop
    // started; "Дальше", then the journal window closed by the desktop's close
    // box (a close event to its window) or by "Выход". The loop must end.
    void closingTheJournalWindowEndsTheProgram_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("close box") << true;
        QTest::newRow("Выход") << false;
    }
    void closingTheJournalWindowEndsTheProgram()
    {
        QFETCH(bool, closeBox);
        TZapusk *login = running().zapusk;
        login->show();
        bool timedOut = false;
        QTimer::singleShot(0, login, [login] {
            auto *dalee = login->findChild<TdxfColorButton *>(u"Dalee"_s);
            QTest::mouseClick(dalee, Qt::LeftButton, {}, dalee->rect().center());
        });
        QTimer::singleShot(300, running().form1, [closeBox] {
            TForm1 *f = running().form1;
            if (closeBox) {
                QCloseEvent close;
                QCoreApplication::sendEvent(f->windowHandle(), &close);
            } else {
                ctl<QAction>(f, u"N1"_s)->trigger();
            }
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [&timedOut] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        watchdog.start(10000);
        QApplication::exec();
        QVERIFY(!timedOut);
        QVERIFY(!running().form1->isVisible());
        QVERIFY(!login->isVisible());
    }
};

QTEST_MAIN(TestLoginRun)
#include "test_loginrun.moc"
