#include "access/accessfile.h"
#include "access/authorcontacts.h"
#include "access/ui/tzapusk.h"
#include "controls/helpviewer.h"
#include "controls/tdxfcolorbutton.h"
#include "doubles/recordingservices.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Users as "code;name;password;access", separated by "|".
QByteArray accessFile(const QString &users)
{
    QByteArray out;
    for (const QString &user : users.split(QLatin1Char('|'))) {
        const QStringList f = user.split(QLatin1Char(';'));
        out += AccessLayout::encode({f.value(0), QDate(2026, 1, 1), f.value(1), f.value(2), f.value(3)});
    }
    return out;
}

const QString kUsers = u"01;Админ;580317;Z|02;Учитель;abcDEF;W|03;Гость;777;X|04;Двойник;abcDEF;Z"_s;

} // namespace

class TestLoginWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TZapusk> m_window;
    RecordingMessages m_messages;
    RecordingPlatform m_platform;

    QString path() const { return m_dir->filePath(u"Dostup.dat"_s); }
    void write(const QByteArray &bytes)
    {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    TZapusk *start()
    {
        m_window = std::make_unique<TZapusk>(path());
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            return nullptr;
        return m_window.get();
    }
    template <class T>
    T *ctl(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }
    QLineEdit *password() const { return ctl<QLineEdit>("NomZamka"); }
    TdxfColorButton *dalee() const { return ctl<TdxfColorButton>("Dalee"); }
    QString message() const { return ctl<QLineEdit>("Komentar")->text(); }

    // Types the password as the teacher does: everything in the box selected and replaced.
    void type(const QString &text)
    {
        QLineEdit *box = password();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    void pressDalee(bool byEnter)
    {
        if (byEnter)
            QTest::keyClick(password(), Qt::Key_Return);
        else
            QTest::mouseClick(dalee(), Qt::LeftButton, {}, dalee()->rect().center());
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages = RecordingMessages();
        m_platform = RecordingPlatform();
        Services::setMessages(&m_messages);
        Services::setPlatform(&m_platform);
    }
    void cleanup()
    {
        m_window.reset();
        Services::setMessages(nullptr);
        Services::setPlatform(nullptr);
        m_dir.reset();
    }

    void freshStartCreatesTheFileAndAdmitsTheAdministrator()
    {
        QVERIFY(start());
        QCOMPARE(QFileInfo(path()).size(), 192);
        QCOMPARE(m_window->windowTitle(), u"Журнал успеваемости %1"_s.arg(QLatin1String(ZHURNAL_VERSION)));
        QCOMPARE(message(), u"                           Стой! Кто идёт?"_s);
        QCOMPARE(password()->text(), u"580317"_s);
        QCOMPARE(password()->echoMode(), QLineEdit::Password);
        QCOMPARE(password()->maxLength(), 12);
        QCOMPARE(qobject_cast<QGroupBox *>(password()->parentWidget())->title(), u"Пароль"_s);
        QCOMPARE(QApplication::focusWidget(), password());
        QSignalSpy admitted(m_window.get(), &TZapusk::admitted);
        QSignalSpy locked(m_window.get(), &TZapusk::scaleForbidden);
        QTest::keyClick(password(), Qt::Key_Return);
        QCOMPARE(admitted.count(), 1);
        QCOMPARE(locked.count(), 0);
        QVERIFY(!m_window->isVisible()); // the journal window's run ended: the login closes
    }

    void passwords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<bool>("admitted");
        QTest::addColumn<bool>("scaleLocked");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("message");
        const QString start = u"                           Стой! Кто идёт?"_s;
        QTest::newRow("blanks around, mouse") << u"  580317  "_s << false << true << false << u"Админ"_s << start;
        QTest::newRow("blanks around, Enter") << u" abcDEF"_s << true << true << true << u"Учитель"_s << start;
        QTest::newRow("case differs") << u"ABCDEF"_s << false << false << false << u"Админ"_s << u"1 Что-то я Вас не припоминаю"_s;
        // The whole typed text must be the password: one that merely starts with it is not.
        QTest::newRow("more than six") << u"abcDEFxyz"_s << true << false << false << u"Админ"_s << u"1 Что-то я Вас не припоминаю"_s;
        QTest::newRow("user's password after the preset") << u"580317271828"_s << false << false << false << u"Админ"_s
                                                          << u"1 Что-то я Вас не припоминаю"_s;
        QTest::newRow("twelve at most") << u"abcDEFxyz1234567"_s << false << false << false << u"Админ"_s << u"1 Что-то я Вас не припоминаю"_s;
        QTest::newRow("W enters, scale locked") << u"abcDEF"_s << false << true << true << u"Учитель"_s << start;
        QTest::newRow("X refused") << u"777"_s << true << false << true << u"Гость"_s << u"1 Вам доступ закрыт"_s;
        QTest::newRow("same password twice, first taken") << u"abcDEF"_s << true << true << true << u"Учитель"_s << start;
    }
    void passwords()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byEnter);
        write(accessFile(kUsers));
        QVERIFY(start());
        QSignalSpy admitted(m_window.get(), &TZapusk::admitted);
        QSignalSpy locked(m_window.get(), &TZapusk::scaleForbidden);
        QSignalSpy editorLocked(m_window.get(), &TZapusk::accessEditorForbidden);
        // Typed straight into the box focused at the first showing: the preset
        // password is selected, and the typing replaces it.
        QCOMPARE(QApplication::focusWidget(), password());
        QCOMPARE(password()->selectedText(), u"580317"_s);
        QTest::keyClicks(password(), typed);
        QCOMPARE(password()->text(), typed.left(12));
        pressDalee(byEnter);
        QTEST(admitted.count() == 1, "admitted");
        QTEST(locked.count() > 0, "scaleLocked");
        QTEST(editorLocked.count() > 0, "scaleLocked"); // the access editor goes with the scale
        QTEST(m_window->login().currentUser().name, "user");
        QTEST(message(), "message");
    }

    void fourRefusalsHideDalee()
    {
        write(accessFile(kUsers));
        QVERIFY(start());
        QSignalSpy admitted(m_window.get(), &TZapusk::admitted);
        for (int attempt = 1; attempt <= 3; ++attempt) {
            type(u"wrong"_s);
            pressDalee(attempt % 2 == 0);
            QCOMPARE(message(), u"%1 Что-то я Вас не припоминаю"_s.arg(attempt));
            QVERIFY(dalee()->isVisible());
        }
        type(u"wrong"_s);
        pressDalee(false);
        QCOMPARE(message(), u"Ознакомтесь с инструкцией"_s);
        QVERIFY(!dalee()->isVisible());
        // The right password no longer opens anything, neither by Enter.
        type(u"580317"_s);
        QTest::keyClick(password(), Qt::Key_Return);
        QCOMPARE(admitted.count(), 0);
        QVERIFY(m_window->isVisible());
        for (const char *name : {"dxfColorButton1", "OpisProgr", "dxfColorButton2", "Pismo"})
            QVERIFY2(ctl<QWidget>(name)->isVisible(), name);
        // "Отмена" still ends the program.
        TdxfColorButton *cancel = ctl<TdxfColorButton>("dxfColorButton1");
        QTest::mouseClick(cancel, Qt::LeftButton, {}, cancel->rect().center());
        QVERIFY(!m_window->isVisible());
        QCOMPARE(admitted.count(), 0);
    }

    void damagedAndUnreadableFiles()
    {
        write(accessFile(kUsers) + "abc");
        QVERIFY(start());
        QVERIFY2(message().contains(u"повреждён"_s), qPrintable(message()));
        QCOMPARE(m_window->login().table().size(), 4);
        QCOMPARE(m_messages.shown.size(), 0);
        m_window.reset();

        // A folder in the file's place: the error box names it, and nobody enters.
        QFile::remove(path());
        QVERIFY(QDir(m_dir->path()).mkdir(u"Dostup.dat"_s));
        QVERIFY(start());
        QCOMPARE(m_messages.errors().size(), 1);
        QVERIFY2(m_messages.errors().first().contains(u"Dostup.dat"_s), qPrintable(m_messages.errors().first()));
        QSignalSpy admitted(m_window.get(), &TZapusk::admitted);
        pressDalee(false);
        QCOMPARE(admitted.count(), 0);
        QCOMPARE(message(), u"1 Вам доступ закрыт"_s);
    }

    void facesAndBackgroundOnScreen()
    {
        // Each ball's brightest spot, at (W div 5, H div 5), is left free by
        // its caption and picture; the gradient runs from aqua to navy.
        QVERIFY(start());
        const QImage shown = m_window->grab().toImage();
        const QList<QPair<const char *, QColor>> buttons = {{"dxfColorButton1", QColor(238, 212, 212)}, // red, 81 x 41
                                                            {"Dalee", QColor(214, 239, 214)},           // lime, 97 x 41
                                                            {"OpisProgr", QColor(240, 240, 217)},       // yellow, 25 x 25
                                                            {"dxfColorButton2", QColor(237, 237, 237)}};  // white, 33 x 33
        for (const auto &[name, spot] : buttons) {
            const QWidget *b = ctl<QWidget>(name);
            QCOMPARE(shown.pixelColor(b->pos() + QPoint(b->width() / 5, b->height() / 5)), spot);
            QCOMPARE(shown.pixelColor(b->pos()), shown.pixelColor(0, b->y())); // the corner shows the background
        }
        const int last = shown.height() - 1;
        QCOMPARE(shown.pixelColor(0, 0), QColor(0, 255, 255));
        QCOMPARE(shown.pixelColor(shown.width() - 1, last), QColor(0, 0, 128));
    }

    void helpPageAndLetter()
    {
        QVERIFY(start());
        const auto click = [this](const char *name) {
            QAbstractButton *b = ctl<QAbstractButton>(name);
            QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        };
        // The page opens in the program's own viewer, without a browser.
        click("OpisProgr");
        QCOMPARE(m_platform.opened.size(), 0);
        const auto *viewer = m_window->findChild<HelpViewer *>(u"HelpViewer"_s);
        QVERIFY(viewer && viewer->isVisible());
        const QString page = viewer->source().toLocalFile();
        QVERIFY2(page.endsWith(u"/vhod.html"_s), qPrintable(page));
        // The help page gives the passwords of a fresh file, with the advice to change them.
        QFile help(page);
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(help.readAll());
        for (const AccessRecord &r : AccessFile::defaultRecords(QDate(2026, 1, 1)))
            QVERIFY2(text.contains(u"<b>%1</b>"_s.arg(r.password)), qPrintable(r.password));
        QVERIFY(text.contains(u"смените все четыре пароля"_s));

        click("Pismo");
        const QUrl letter(m_platform.addresses.value(0), QUrl::StrictMode);
        QVERIFY(letter.isValid());
        QCOMPARE(letter.scheme(), u"mailto"_s);
        QCOMPARE(letter.path(), QLatin1String(AuthorContacts::kMail));
        const QUrlQuery query(letter);
        QVERIFY2(query.queryItemValue(u"subject"_s, QUrl::FullyDecoded).startsWith(m_window->windowTitle()),
                 qPrintable(query.queryItemValue(u"subject"_s, QUrl::FullyDecoded)));
        QVERIFY(query.queryItemValue(u"body"_s, QUrl::FullyDecoded).startsWith(u"Здравствуйте"_s));
        QCOMPARE(ctl<QPushButton>("Pismo")->text(), QString::fromUtf16(AuthorContacts::kCredit));
    }

    void tabFollowsReadingOrder()
    {
        QVERIFY(start());
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{u"NomZamka"_s, u"OpisProgr"_s, u"dxfColorButton2"_s, u"Dalee"_s, u"dxfColorButton1"_s,
                                     u"Pismo"_s, u"Komentar"_s, u"NomZamka"_s}));
        // Enter on a focused button presses that button.
        ctl<QWidget>("dxfColorButton2")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_platform.addresses, QStringList{QLatin1String(AuthorContacts::kSite)});
        QVERIFY(m_window->isVisible());
    }
};

QTEST_MAIN(TestLoginWindow)
#include "test_loginwindow.moc"
