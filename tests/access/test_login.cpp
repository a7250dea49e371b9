#include "access/login.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Users as "code name password access", separated by "|".
QList<AccessRecord> table(const QString &spec)
{
    QList<AccessRecord> out;
    if (spec.isEmpty())
        return out;
    for (const QString &user : spec.split(QLatin1Char('|'))) {
        const QStringList f = user.split(QLatin1Char(';'));
        out << AccessRecord{f.value(0), QDate(2026, 1, 1), f.value(1), f.value(2), f.value(3)};
    }
    return out;
}

const QString kUsual = u"01;Админ;580317;Z|02;Учитель;abcDEF;W|03;Гость;  777 ;X|04;Двойник;abcDEF;Z|05;Пустой;555555;"_s;

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void check_data()
    {
        QTest::addColumn<QString>("users");
        QTest::addColumn<QStringList>("typed"); // attempts in turn; the last one is judged
        QTest::addColumn<bool>("granted");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("scale");
        QTest::addColumn<QString>("message");
        const QString start = Login::initialMessage();
        QTest::newRow("administrator") << kUsual << QStringList{u"580317"_s} << true << u"Админ"_s << true << start;
        QTest::newRow("blanks around") << kUsual << QStringList{u"  580317 \t"_s} << true << u"Админ"_s << true << start;
        QTest::newRow("case differs") << kUsual << QStringList{u"ABCDEF"_s} << false << u"Админ"_s << true << u"Что-то я Вас не припоминаю"_s;
        QTest::newRow("first six count") << kUsual << QStringList{u"580317999"_s} << true << u"Админ"_s << true << start;
        QTest::newRow("five are not enough") << kUsual << QStringList{u"58031"_s} << false << u"Админ"_s << true << u"Что-то я Вас не припоминаю"_s;
        QTest::newRow("W enters, no scale") << kUsual << QStringList{u"abcDEF"_s} << true << u"Учитель"_s << false << start;
        QTest::newRow("X is refused") << kUsual << QStringList{u"777"_s} << false << u"Гость"_s << false << u"Вам доступ закрыт"_s;
        QTest::newRow("empty letter is refused") << kUsual << QStringList{u"555555"_s} << false << u"Пустой"_s << false << u"Вам доступ закрыт"_s;
        QTest::newRow("same password, first user") << kUsual << QStringList{u"abcDEF"_s} << true << u"Учитель"_s << false << start;
        // A wrong password keeps the user of the attempt before.
        QTest::newRow("wrong after X") << kUsual << QStringList{u"777"_s, u"nobody"_s} << false << u"Гость"_s << false << u"Вам доступ закрыт"_s;
        QTest::newRow("wrong after W") << kUsual << QStringList{u"abcDEF"_s, u"nobody"_s} << false << u"Учитель"_s << false << u"Что-то я Вас не припоминаю"_s;
        QTest::newRow("no users") << QString() << QStringList{u"580317"_s} << false << QString() << false << u"Вам доступ закрыт"_s;
        QTest::newRow("letter ZW") << u"01;Оба;1;ZW"_s << QStringList{u"1"_s} << true << u"Оба"_s << false << start;
        QTest::newRow("letter WZ") << u"01;Наоборот;1;WZ"_s << QStringList{u"1"_s} << false << u"Наоборот"_s << false << u"Вам доступ закрыт"_s;
        QTest::newRow("lower-case z") << u"01;Строчная;1;z"_s << QStringList{u"1"_s} << false << u"Строчная"_s << false << u"Вам доступ закрыт"_s;
        QTest::newRow("stored password with blanks") << u"01;А;  12 ;Z"_s << QStringList{u"12"_s} << true << u"А"_s << true << start;
        QTest::newRow("empty password typed") << u"01;А;;Z|02;Б;x;W"_s << QStringList{u"   "_s} << true << u"А"_s << true << start;
    }
    void check()
    {
        QFETCH(QString, users);
        QFETCH(QStringList, typed);
        Login login(table(users));
        bool granted = false;
        for (const QString &t : typed)
            granted = login.check(t);
        QTEST(granted, "granted");
        QCOMPARE(login.granted(), granted);
        QTEST(login.currentUser().name, "user");
        QTEST(login.scaleAllowed(), "scale");
        QTEST(login.messageLine(), "message");
        QCOMPARE(login.attempts(), 0); // a check alone counts nothing
    }

    void refusalsAreCountedUntilTheFourth()
    {
        Login login(table(kUsual));
        QVERIFY(!login.press(u"nobody"_s));
        QCOMPARE(login.messageLine(), u"1 Что-то я Вас не припоминаю"_s);
        QVERIFY(!login.press(u"777"_s));
        QCOMPARE(login.messageLine(), u"2 Вам доступ закрыт"_s);
        // The closed user stays current: a wrong password ends with the closed door.
        QVERIFY(!login.press(u"nobody"_s));
        QCOMPARE(login.messageLine(), u"3 Вам доступ закрыт"_s);
        QVERIFY(!login.closed());
        QVERIFY(!login.press(u"nobody"_s));
        QCOMPARE(login.attempts(), 4);
        QVERIFY(login.closed());
        QCOMPARE(login.messageLine(), u"Ознакомтесь с инструкцией"_s);
    }

    void grantedPressCountsNothing()
    {
        Login login(table(kUsual));
        QVERIFY(!login.press(u"nobody"_s));
        QVERIFY(login.press(u"abcDEF"_s));
        QCOMPARE(login.attempts(), 1);
        QCOMPARE(login.currentUser().code, u"02"_s);
        QCOMPARE(login.messageLine(), u"1 Что-то я Вас не припоминаю"_s);
    }

    void tenUsersAtMost()
    {
        QList<AccessRecord> users;
        for (int n = 1; n <= 12; ++n)
            users << AccessRecord{QString::number(n), QDate(), u"U%1"_s.arg(n), u"pw%1"_s.arg(n), u"W"_s};
        Login login(users, u"повреждён"_s);
        QCOMPARE(login.table().size(), 10);
        QCOMPARE(login.currentUser().name, u"U1"_s);
        QCOMPARE(login.messageLine(), u"повреждён"_s);
        QVERIFY(login.check(u"pw10"_s));
        QVERIFY(!login.check(u"pw11"_s));
    }
};

QTEST_GUILESS_MAIN(TestLogin)
#include "test_login.moc"
