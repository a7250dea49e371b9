#include "access/accessfile.h"
#include "journal/errors.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The access bits of a file, as the system keeps them.
int modeOf(const QString &path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}

// A length-prefixed field of a record as bytes: the length byte and the text.
QByteArray field(const QByteArray &record, int offset, int size)
{
    return record.mid(offset, 1 + size);
}

QByteArray counted(const QByteArray &cp1251, int size)
{
    QByteArray out(1 + size, '\0');
    out[0] = char(cp1251.size());
    for (int i = 0; i < cp1251.size(); ++i)
        out[1 + i] = cp1251.at(i);
    return out;
}

// Ten rows of the editor, all blank but the given ones.
QList<QStringList> rows(const QList<QStringList> &given)
{
    QList<QStringList> out = given;
    while (out.size() < 10)
        out << QStringList{QString(), QString(), QString(), QString(), QString()};
    return out;
}

AccessRecord user(int n)
{
    return {QString::asprintf("%02d", n), QDate(2026, 1, n), u"Пользователь %1"_s.arg(n), QString::asprintf("p%05d", n), u"W"_s};
}

} // namespace

class TestAccessFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

private Q_SLOTS:
    void init()
    {
        m_file = m_dir.filePath(u"Dostup.dat"_s);
        QFile::remove(m_file);
    }

    void freshFileLayout()
    {
        const QDate today(2026, 12, 7);
        const AccessFileContents read = AccessFile::openOrCreate(m_file, today);
        const QByteArray bytes = bytesOf(m_file);
        QCOMPARE(bytes.size(), 192);
        QCOMPARE(read.records.size(), 4);
        QVERIFY(!read.damaged());

        // 7.12.2026 is day 46363 after 30.12.1899.
        const double days = 46363.0;
        const QList<QByteArray> names = {"\xc0\xe4\xec\xe8\xed\xe8\xf1\xf2\xf0\xe0\xf2\xee\xf0", // Администратор
                                         "\xcf\xee\xeb\xfc\xe7\xee\xe2\xe0\xf2\xe5\xeb\xfc 1",
                                         "\xcf\xee\xeb\xfc\xe7\xee\xe2\xe0\xf2\xe5\xeb\xfc 2",
                                         "\xcf\xee\xeb\xfc\xe7\xee\xe2\xe0\xf2\xe5\xeb\xfc 3"};
        const QList<QByteArray> letters = {"Z", "W", "W", "W"};
        for (int k = 0; k < 4; ++k) {
            const QByteArray r = bytes.mid(k * 48, 48);
            QCOMPARE(field(r, 0, 2), counted(QByteArray::number(k + 1).rightJustified(2, '0'), 2));
            QCOMPARE(r.mid(3, 5), QByteArray(5, '\0'));
            QCOMPARE(qFromLittleEndian<double>(r.constData() + 8), days);
            QCOMPARE(field(r, 16, 20), counted(names.at(k), 20));
            QCOMPARE(r.at(37), char(6)); // six-character passwords
            QCOMPARE(field(r, 44, 1), counted(letters.at(k), 1));
            QCOMPARE(r.mid(46, 2), QByteArray(2, '\0'));
            QCOMPARE(read.records.at(k).date, today);
        }
        QCOMPARE(field(bytes, 37, 6), counted("580317", 6));
        // The preset passwords differ from one another and from the administrator's.
        QStringList passwords;
        for (const AccessRecord &r : read.records)
            passwords << r.password;
        passwords.removeDuplicates();
        QCOMPARE(passwords.size(), 4);
        QCOMPARE(modeOf(m_file), 0600);

        // An existing file is read, not written again.
        writeBytes(m_file, bytes.left(96));
        QCOMPARE(AccessFile::openOrCreate(m_file, today.addDays(1)).records.size(), 2);
        QCOMPARE(bytesOf(m_file), bytes.left(96));
    }

    void damagedRecordsStayInsideTheirFields_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("access");
        // Each field's bytes are filled with letters; a length beyond the field reads the whole field.
        QTest::newRow("code 255") << 0 << 255 << u"cc"_s << u"nnnnnnnnnnnnnnnnnnnn"_s << u"pppppp"_s << u"a"_s;
        QTest::newRow("name 200") << 16 << 200 << u"cc"_s << u"nnnnnnnnnnnnnnnnnnnn"_s << u"pppppp"_s << u"a"_s;
        QTest::newRow("password 7") << 37 << 7 << u"cc"_s << u"nnnnnnnnnnnnnnnnnnnn"_s << u"pppppp"_s << u"a"_s;
        QTest::newRow("access 9") << 44 << 9 << u"cc"_s << u"nnnnnnnnnnnnnnnnnnnn"_s << u"pppppp"_s << u"a"_s;
        QTest::newRow("password 3") << 37 << 3 << u"cc"_s << u"nnnnnnnnnnnnnnnnnnnn"_s << u"ppp"_s << u"a"_s;
        QTest::newRow("name 0") << 16 << 0 << u"cc"_s << QString() << u"pppppp"_s << u"a"_s;
    }
    void damagedRecordsStayInsideTheirFields()
    {
        QFETCH(int, offset);
        QFETCH(int, length);
        QByteArray r(48, '\0');
        const auto fill = [&r](int at, int size, char c) {
            r[at] = char(size);
            for (int i = 1; i <= size; ++i)
                r[at + i] = c;
        };
        fill(0, 2, 'c');
        fill(16, 20, 'n');
        fill(37, 6, 'p');
        fill(44, 1, 'a');
        r[3] = 'X'; // the gaps hold junk
        r[46] = 'Y';
        r[47] = 'Y';
        r[offset] = char(length);
        writeBytes(m_file, r + r);
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records.size(), 2);
        const AccessRecord &got = read.records.at(1);
        QTEST(got.code, "code");
        QTEST(got.name, "name");
        QTEST(got.password, "password");
        QTEST(got.access, "access");
    }

    void hostileDates_data()
    {
        QTest::addColumn<double>("days");
        QTest::addColumn<QDate>("date");
        QTest::newRow("zero") << 0.0 << QDate(1899, 12, 30);
        QTest::newRow("with a time") << 46363.75 << QDate(2026, 12, 7);
        QTest::newRow("before 1899") << -1.0 << QDate(1899, 12, 29);
        QTest::newRow("nan") << std::nan("") << QDate();
        QTest::newRow("infinite") << HUGE_VAL << QDate();
        QTest::newRow("beyond 9999") << 3.0e6 << QDate();
    }
    void hostileDates()
    {
        QFETCH(double, days);
        QByteArray r = AccessLayout::encode({u"01"_s, QDate(2000, 1, 1), u"А"_s, u"1"_s, u"Z"_s});
        qToLittleEndian(days, r.data() + 8);
        writeBytes(m_file, r);
        QTEST(AccessFile::read(m_file).records.at(0).date, "date");
    }

    void sizeNotAWholeNumberOfRecords()
    {
        const QByteArray two = AccessLayout::encode(user(1)) + AccessLayout::encode(user(2));
        writeBytes(m_file, two + "\x02" "01junk");
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records.size(), 2);
        QCOMPARE(read.records.at(1), user(2));
        QCOMPARE(read.trailingBytes, 7);
        QVERIFY(read.damaged());
        const QString message = AccessFile::damagedMessage(m_file, read);
        QVERIFY2(message.contains(u"повреждён"_s) && message.contains(u"Dostup"_s), qPrintable(message));

        writeBytes(m_file, QByteArray(47, 'x'));
        QCOMPARE(AccessFile::read(m_file).records.size(), 0);
        QCOMPARE(AccessFile::read(m_file).trailingBytes, 47);
        writeBytes(m_file, QByteArray());
        QVERIFY(!AccessFile::read(m_file).damaged());
    }

    void unreadableFileIsAnError()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(u"folder.dat"_s));
        QVERIFY_THROWS_EXCEPTION(FileError, AccessFile::openOrCreate(m_dir.filePath(u"folder.dat"_s), QDate(2026, 1, 1)));
        // Nor is a folder that cannot be written into silently passed over.
        QVERIFY_THROWS_EXCEPTION(FileError, AccessFile::openOrCreate(m_dir.filePath(u"no/such/Dostup.dat"_s), QDate(2026, 1, 1)));
    }

    void fieldCuts_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("stored"); // code, date, name, password, access after a save and a read
        QTest::newRow("as typed") << QStringList{u"05"_s, u"07.12.2026"_s, u"Иванова"_s, u"qwerty"_s, u"W"_s}
                                  << QStringList{u"05"_s, u"07.12.2026"_s, u"Иванова"_s, u"qwerty"_s, u"W"_s};
        QTest::newRow("long texts") << QStringList{u"123"_s, u"7.1.2027"_s, u"Александрова-Петрова Анна"_s, u"12345678"_s, u"ZW"_s}
                                    << QStringList{u"12"_s, u"07.01.2027"_s, u"Александрова-Петрова"_s, u"123456"_s, u"Z"_s};
        QTest::newRow("blanks kept as typed") << QStringList{u" 7"_s, u" 01.02.2026 "_s, u" Пётр "_s, u" 1 2 "_s, u" "_s}
                                              << QStringList{u" 7"_s, u"01.02.2026"_s, u" Пётр "_s, u" 1 2 "_s, u" "_s};
    }
    void fieldCuts()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, stored);
        AccessRows::save(m_file, rows({typed}));
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records.size(), 1);
        QCOMPARE(AccessRows::fromRecord(read.records.at(0)), stored);
        QCOMPARE(bytesOf(m_file).size(), 48);
    }

    void blankCodesAreSkipped()
    {
        AccessRows::save(m_file, rows({{u"01"_s, u"01.01.2026"_s, u"А"_s, u"1"_s, u"Z"_s},
                                       {u"  "_s, u"01.01.2026"_s, u"Б"_s, u"2"_s, u"W"_s},
                                       {QString(), u"не дата"_s, u"В"_s, u"3"_s, u"W"_s},
                                       {u"04"_s, u"01.01.2026"_s, u"Г"_s, u"4"_s, u"W"_s}}));
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records.size(), 2);
        QCOMPARE(read.records.at(0).name, u"А"_s);
        QCOMPARE(read.records.at(1).name, u"Г"_s);
        QCOMPARE(bytesOf(m_file).size(), 96);
    }

    void refusedSaveLeavesTheFile_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("empty date") << 3 << QString() << u"Х"_s << u"Строка 3"_s;
        QTest::newRow("not a date") << 2 << u"31.02.2026"_s << u"Х"_s << u"«31.02.2026»"_s;
        QTest::newRow("line break in the date") << 4 << u"01.01.2026\nabc"_s << u"Х"_s << u"\\n"_s;
        QTest::newRow("no cp1251 letter") << 2 << u"01.01.2026"_s << u"名前"_s << u"Строка 2"_s;
    }
    void refusedSaveLeavesTheFile()
    {
        QFETCH(int, row);
        QFETCH(QString, date);
        QFETCH(QString, name);
        QFETCH(QString, inMessage);
        AccessFile::openOrCreate(m_file, QDate(2026, 3, 1));
        QVERIFY(QFile::setPermissions(m_file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QByteArray before = bytesOf(m_file);
        QList<QStringList> typed;
        for (int r = 1; r <= 4; ++r)
            typed << QStringList{u"0%1"_s.arg(r), r == row ? date : u"01.01.2026"_s, r == row ? name : u"Имя"_s, u"x"_s, u"W"_s};
        try {
            AccessRows::save(m_file, rows(typed));
            QFAIL("the save went through");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(inMessage), qPrintable(e.message()));
            QVERIFY2(e.message().contains(u"Строка %1"_s.arg(row)), qPrintable(e.message()));
        }
        QCOMPARE(bytesOf(m_file), before);
    }

    void ownerAloneReadsTheFile()
    {
        AccessFile::openOrCreate(m_file, QDate(2026, 3, 1));
        QCOMPARE(modeOf(m_file), 0600);
        // A file someone opened up gets its owner-only mode back at the next save.
        QVERIFY(::chmod(QFile::encodeName(m_file).constData(), 0644) == 0);
        AccessRows::save(m_file, rows({{u"01"_s, u"01.01.2026"_s, u"А"_s, u"1"_s, u"Z"_s}}));
        QCOMPARE(modeOf(m_file), 0600);
    }

    void usersBeyondTenAreKept()
    {
        QList<AccessRecord> twelve;
        for (int n = 1; n <= 12; ++n)
            twelve << user(n);
        AccessFile::write(m_file, twelve);
        const QByteArray before = bytesOf(m_file);
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records, twelve);

        // The editor shows ten; the second is removed and the first renamed.
        QList<QStringList> shown;
        for (int k = 0; k < 10; ++k)
            shown << AccessRows::fromRecord(read.records.at(k));
        shown[0][2] = u"Главный"_s;
        shown[1][0] = QString();
        AccessRows::save(m_file, shown);
        const AccessFileContents after = AccessFile::read(m_file);
        QCOMPARE(after.records.size(), 11);
        QCOMPARE(after.records.at(0).name, u"Главный"_s);
        QCOMPARE(after.records.at(1), user(3));
        QCOMPARE(after.records.at(8), user(10));
        QCOMPARE(after.records.at(9), user(11));
        QCOMPARE(after.records.at(10), user(12));
        QCOMPARE(bytesOf(m_file).right(96), before.right(96)); // byte for byte
    }

    void unchangedSaveRewritesTheSameBytes()
    {
        AccessFile::openOrCreate(m_file, QDate(2026, 12, 7));
        const QByteArray before = bytesOf(m_file);
        QList<QStringList> shown;
        for (const AccessRecord &r : AccessFile::read(m_file).records)
            shown << AccessRows::fromRecord(r);
        AccessRows::save(m_file, rows(shown));
        QCOMPARE(bytesOf(m_file), before);
    }
};

QTEST_GUILESS_MAIN(TestAccessFile)
#include "test_accessfile.moc"
