#include "access/accessfile.h"
#include "journal/errors.h"

#include <QFile>
#include <QFileInfo>
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

int modeOf(const QString &path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// A length-prefixed field as the file holds it: the length byte, the cp1251 text, zeros.
QByteArray counted(const QByteArray &cp1251, int size)
{
    return char(cp1251.size()) + cp1251 + QByteArray(size - cp1251.size(), '\0');
}

// The editor's ten rows: the given ones, then blank rows.
QList<QStringList> rows(QList<QStringList> given)
{
    while (given.size() < 10)
        given << QStringList(5);
    return given;
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
        const AccessFileContents read = AccessFile::openOrCreate(m_file, QDate(2026, 12, 7));
        const QByteArray bytes = bytesOf(m_file);
        QCOMPARE(bytes.size(), 192);
        QCOMPARE(modeOf(m_file), 0600);
        const QByteArray user = "\xcf\xee\xeb\xfc\xe7\xee\xe2\xe0\xf2\xe5\xeb\xfc "; // "Пользователь " in cp1251
        const QList<QByteArray> names = {"\xc0\xe4\xec\xe8\xed\xe8\xf1\xf2\xf0\xe0\xf2\xee\xf0", user + '1', user + '2', user + '3'};
        QStringList passwords;
        for (int k = 0; k < 4; ++k) {
            const QByteArray r = bytes.mid(k * 48, 48);
            QCOMPARE(r.left(8), counted('0' + QByteArray::number(k + 1), 2) + QByteArray(5, '\0'));
            QCOMPARE(qFromLittleEndian<double>(r.constData() + 8), 46363.0); // 7.12.2026 after 30.12.1899
            QCOMPARE(r.mid(16, 21), counted(names.at(k), 20));
            QCOMPARE(r.at(37), char(6));
            QCOMPARE(r.mid(44, 4), counted(k == 0 ? "Z" : "W", 1) + QByteArray(2, '\0'));
            passwords << read.records.at(k).password;
        }
        QCOMPARE(bytes.mid(37, 7), counted("580317", 6));
        passwords.removeDuplicates();
        QCOMPARE(passwords.size(), 4);

        // An existing file is read, never written over.
        writeBytes(m_file, bytes.left(96));
        QCOMPARE(AccessFile::openOrCreate(m_file, QDate(2027, 1, 1)).records.size(), 2);
        QCOMPARE(bytesOf(m_file), bytes.left(96));
    }

    void damagedFieldsAndDates_data()
    {
        QTest::addColumn<int>("offset"); // of a byte set to `value`
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("fields"); // code|date|name|password|access as the editor shows them
        const QString whole = u"cc|01.01.2000|nnnnnnnnnnnnnnnnnnnn|pppppp|a"_s;
        // A length byte beyond its field reads the field, never the next one.
        QTest::newRow("code 255") << 0 << 255 << 36526.0 << whole;
        QTest::newRow("name 200") << 16 << 200 << 36526.0 << whole;
        QTest::newRow("password 7") << 37 << 7 << 36526.0 << whole;
        QTest::newRow("access 9") << 44 << 9 << 36526.0 << whole;
        QTest::newRow("password 3") << 37 << 3 << 36526.0 << u"cc|01.01.2000|nnnnnnnnnnnnnnnnnnnn|ppp|a"_s;
        // A time part is dropped; what is no date shows as none.
        QTest::newRow("date with a time") << 3 << 0 << 46363.75 << u"cc|07.12.2026|nnnnnnnnnnnnnnnnnnnn|pppppp|a"_s;
        QTest::newRow("date nan") << 3 << 0 << std::nan("") << u"cc||nnnnnnnnnnnnnnnnnnnn|pppppp|a"_s;
        QTest::newRow("date beyond 9999") << 3 << 0 << 3.0e6 << u"cc||nnnnnnnnnnnnnnnnnnnn|pppppp|a"_s;
    }
    void damagedFieldsAndDates()
    {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(double, days);
        QByteArray r(48, 'X'); // the gaps hold junk
        r.replace(0, 3, counted("cc", 2));
        r.replace(16, 21, QByteArray(1, char(20)) + QByteArray(20, 'n'));
        r.replace(37, 7, QByteArray(1, char(6)) + "pppppp");
        r.replace(44, 2, QByteArray(1, char(1)) + "a");
        qToLittleEndian(days, r.data() + 8);
        r[offset] = char(value);
        writeBytes(m_file, r + r);
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records.size(), 2);
        QTEST(AccessRows::fromRecord(read.records.at(1)).join(QLatin1Char('|')), "fields");
    }

    void sizeNotAWholeNumberOfRecords()
    {
        writeBytes(m_file, AccessLayout::encode(user(1)) + AccessLayout::encode(user(2)) + "\x02" "01junk");
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records, (QList<AccessRecord>{user(1), user(2)}));
        QCOMPARE(read.trailingBytes, 7);
        const QString message = AccessFile::damagedMessage(m_file, read);
        QVERIFY2(message.contains(u"повреждён"_s) && message.contains(u"Dostup.dat"_s), qPrintable(message));
        writeBytes(m_file, QByteArray());
        QVERIFY(!AccessFile::read(m_file).damaged());
    }

    // A table grown past any real use is refused before it is read, by the
    // size of the opened file; one at the limit still opens.
    void sizeLimit_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("just over 1 MB") << (qint64(1) << 20) + 1 << false;
        QTest::newRow("exactly 1 MB") << (qint64(1) << 20) << true;
    }
    void sizeLimit()
    {
        QFETCH(qint64, size);
        QFETCH(bool, accepted);
        writeBytes(m_file, AccessLayout::encode(user(1)));
        QVERIFY(QFile::resize(m_file, size)); // sparse: no disk blocks behind the zeros
        try {
            const AccessFileContents read = AccessFile::openOrCreate(m_file, QDate(2026, 12, 8));
            QVERIFY(accepted);
            QCOMPARE(read.records.size(), size / AccessLayout::kRecordSize);
            QCOMPARE(read.records.first(), user(1));
        } catch (const FileError &e) {
            QVERIFY2(!accepted, qPrintable(e.message()));
            QVERIFY2(e.message().contains(u"«Dostup.dat» слишком велик"_s), qPrintable(e.message()));
        }
        QCOMPARE(QFileInfo(m_file).size(), size);
    }

    void fieldCuts_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("stored"); // after a save and a read
        QTest::newRow("as typed") << QStringList{u"05"_s, u"07.12.2026"_s, u"Иванова"_s, u"qwerty"_s, u"W"_s}
                                  << u"05|07.12.2026|Иванова|qwerty|W"_s;
        QTest::newRow("cut") << QStringList{u"123"_s, u"7.1.2027"_s, u"Александрова-Петрова Анна"_s, u"12345678"_s, u"ZW"_s}
                             << u"12|07.01.2027|Александрова-Петрова|123456|Z"_s;
        QTest::newRow("blanks kept") << QStringList{u" 7"_s, u" 01.02.2026 "_s, u" Пётр "_s, u" 1 2 "_s, u" "_s}
                                     << u" 7|01.02.2026| Пётр | 1 2 | "_s;
    }
    void fieldCuts()
    {
        QFETCH(QStringList, typed);
        AccessRows::save(m_file, rows({QStringList(5), typed, {u" "_s, u"01.01.2026"_s, u"Без кода"_s, u"1"_s, u"W"_s}}));
        const AccessFileContents read = AccessFile::read(m_file);
        QCOMPARE(read.records.size(), 1); // rows with a blank code are not saved
        QTEST(AccessRows::fromRecord(read.records.at(0)).join(QLatin1Char('|')), "stored");
    }

    void refusedSaveLeavesTheFile_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("empty date") << 3 << QString() << u"Х"_s << u"«»"_s;
        QTest::newRow("not a date") << 2 << u"31.02.2026"_s << u"Х"_s << u"«31.02.2026»"_s;
        QTest::newRow("line break") << 4 << u"01.01.2026\nabc"_s << u"Х"_s << u"«01.01.2026\\nabc»"_s;
        QTest::newRow("no cp1251 letter") << 2 << u"01.01.2026"_s << u"名前"_s << u"«名前»"_s;
    }
    void refusedSaveLeavesTheFile()
    {
        QFETCH(int, row);
        QFETCH(QString, date);
        QFETCH(QString, name);
        QFETCH(QString, quoted);
        AccessFile::openOrCreate(m_file, QDate(2026, 3, 1));
        const QByteArray before = bytesOf(m_file);
        QList<QStringList> typed;
        for (int r = 1; r <= 4; ++r)
            typed << QStringList{u"0%1"_s.arg(r), r == row ? date : u"01.01.2026"_s, r == row ? name : u"Имя"_s, u"x"_s, u"W"_s};
        try {
            AccessRows::save(m_file, rows(typed));
            QFAIL("saved");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(u"Строка %1"_s.arg(row)) && e.message().contains(quoted), qPrintable(e.message()));
        }
        QCOMPARE(bytesOf(m_file), before);
    }

    void ownerAloneReadsTheFile()
    {
        AccessFile::openOrCreate(m_file, QDate(2026, 3, 1));
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
        QList<QStringList> shown;
        for (int k = 0; k < 10; ++k)
            shown << AccessRows::fromRecord(twelve.at(k));
        shown[1][0] = QString(); // the second removed
        AccessRows::save(m_file, shown);
        const AccessFileContents after = AccessFile::read(m_file);
        QCOMPARE(after.records.size(), 11);
        QCOMPARE(after.records.at(1), user(3));
        QCOMPARE(bytesOf(m_file).right(2 * 48), before.right(2 * 48)); // users 11 and 12, byte for byte
    }
};

QTEST_GUILESS_MAIN(TestAccessFile)
#include "test_accessfile.moc"
