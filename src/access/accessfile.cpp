#include "access/accessfile.h"

#include "journal/cp1251.h"
#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/journalfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QtEndian>

#include <cmath>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

const QDate kDayZero(1899, 12, 30);

// A length-prefixed string field: the length byte, then the characters.
void putString(QByteArray &record, int offset, int size, const QString &text)
{
    const QByteArray bytes = Cp1251::encode(text.left(size)).value_or(QByteArray());
    const int length = int(qMin<qsizetype>(bytes.size(), size));
    record[offset] = char(length);
    std::memcpy(record.data() + offset + 1, bytes.constData(), size_t(length));
}

QString getString(const char *record, int offset, int size)
{
    const int length = qMin(int(static_cast<unsigned char>(record[offset])), size);
    return Cp1251::decode(record + offset + 1, length);
}

QString fileName(const QString &path)
{
    return quotedPath(path);
}

// About 21 000 records: far more users than a teacher's program has, and
// little enough to read at every start.
constexpr qint64 kMaxFileSize = qint64(1) << 20;

} // namespace

namespace AccessLayout {

double dateToDays(const QDate &date)
{
    return date.isValid() ? double(kDayZero.daysTo(date)) : 0.0;
}

QDate daysToDate(double days)
{
    // A damaged file may hold any bit pattern: only days within the years
    // 1 to 9999 are dates.
    if (!std::isfinite(days))
        return QDate();
    const double whole = std::trunc(days);
    static const double first = double(kDayZero.daysTo(QDate(1, 1, 1)));
    static const double last = double(kDayZero.daysTo(QDate(9999, 12, 31)));
    if (whole < first || whole > last)
        return QDate();
    return kDayZero.addDays(qint64(whole));
}

QByteArray encode(const AccessRecord &record)
{
    QByteArray bytes(kRecordSize, '\0');
    putString(bytes, kCodeOffset, kCodeSize, record.code);
    qToLittleEndian(dateToDays(record.date), bytes.data() + kDateOffset);
    putString(bytes, kNameOffset, kNameSize, record.name);
    putString(bytes, kPasswordOffset, kPasswordSize, record.password);
    putString(bytes, kAccessOffset, kAccessSize, record.access);
    return bytes;
}

AccessRecord decode(const char *bytes)
{
    AccessRecord r;
    r.code = getString(bytes, kCodeOffset, kCodeSize);
    r.date = daysToDate(qFromLittleEndian<double>(bytes + kDateOffset));
    r.name = getString(bytes, kNameOffset, kNameSize);
    r.password = getString(bytes, kPasswordOffset, kPasswordSize);
    r.access = getString(bytes, kAccessOffset, kAccessSize);
    return r;
}

} // namespace AccessLayout

namespace AccessFile {

QString checkedPath(const QString &path)
{
    const QFileInfo info(path);
    return JournalFolder::checkedDataFile(info.absolutePath(), info.fileName());
}

QList<AccessRecord> defaultRecords(const QDate &today)
{
    return {
        {u"01"_s, today, u"Администратор"_s, u"580317"_s, u"Z"_s},
        {u"02"_s, today, u"Пользователь 1"_s, u"271828"_s, u"W"_s},
        {u"03"_s, today, u"Пользователь 2"_s, u"314159"_s, u"W"_s},
        {u"04"_s, today, u"Пользователь 3"_s, u"161803"_s, u"W"_s},
    };
}

AccessFileContents read(const QString &path)
{
    const QByteArray bytes = readWholeFile(checkedPath(path), kMaxFileSize,
                                           u"Файл %1 слишком велик: таблица доступа не бывает больше 1 МБ "
                                           "(около 21 000 записей). Таблица не прочитана."_s
                                               .arg(fileName(QFileInfo(path).fileName())));
    AccessFileContents contents;
    const qsizetype whole = bytes.size() / AccessLayout::kRecordSize;
    contents.raw.reserve(whole);
    contents.records.reserve(whole);
    for (qsizetype k = 0; k < whole; ++k) {
        const char *record = bytes.constData() + k * AccessLayout::kRecordSize;
        contents.raw.append(QByteArray(record, AccessLayout::kRecordSize));
        contents.records.append(AccessLayout::decode(record));
    }
    contents.trailingBytes = bytes.size() - whole * AccessLayout::kRecordSize;
    return contents;
}

void write(const QString &path, const QList<QByteArray> &records)
{
    QByteArray bytes;
    bytes.reserve(records.size() * AccessLayout::kRecordSize);
    for (const QByteArray &record : records) {
        Q_ASSERT(record.size() == AccessLayout::kRecordSize);
        bytes += record;
    }
    // The file holds passwords: its owner alone may read it, from the first byte on.
    DurableFile::write(checkedPath(path), bytes, DurableFile::Permissions::OwnerOnly);
}

void write(const QString &path, const QList<AccessRecord> &records)
{
    QList<QByteArray> bytes;
    for (const AccessRecord &r : records)
        bytes.append(AccessLayout::encode(r));
    write(path, bytes);
}

AccessFileContents openOrCreate(const QString &path, const QDate &today)
{
    bool exists = false;
    DurableFile::notRegularFile(checkedPath(path), &exists);
    if (exists)
        return read(path);
    // A file that cannot be written whole is not made at all (an empty one
    // would lock everybody out even after the disk is freed).
    try {
        write(path, defaultRecords(today));
    } catch (const FileError &e) {
        throw FileError(u"Таблица доступа не создана, поэтому войти в программу пока нельзя. %1"_s.arg(e.message()));
    }
    return read(path);
}

QString damagedMessage(const QString &path, const AccessFileContents &contents)
{
    return u"Файл %1 повреждён; прочитано записей: %2"_s.arg(fileName(QFileInfo(path).fileName())).arg(contents.records.size());
}

} // namespace AccessFile

namespace AccessRows {

QString trimBlanks(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    return text.mid(b, e - b);
}

namespace {
const QLocale &russian()
{
    static const QLocale locale(QLocale::Russian, QLocale::Russia);
    return locale;
}
} // namespace

QString dateText(const QDate &date)
{
    return date.isValid() ? russian().toString(date, QLocale::ShortFormat) : QString();
}

QDate parseDate(const QString &text)
{
    const QString t = trimBlanks(text);
    // Day and month with one or two digits, the year with four.
    QDate date = QDate::fromString(t, u"d.M.yyyy"_s);
    if (!date.isValid())
        date = russian().toDate(t, QLocale::ShortFormat);
    return date;
}

QStringList fromRecord(const AccessRecord &record)
{
    return {record.code, dateText(record.date), record.name, record.password, record.access};
}

QList<AccessRecord> toRecords(const QList<QStringList> &rows)
{
    QList<AccessRecord> records;
    QList<int> rowOf; // the row (from 1) of each record
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList &row = rows.at(i);
        const auto cell = [&row](int c) { return row.value(c); };
        if (trimBlanks(cell(0)).isEmpty())
            continue;
        AccessRecord r;
        r.code = cell(0).left(AccessLayout::kCodeSize);
        r.date = parseDate(cell(1));
        r.name = cell(2).left(AccessLayout::kNameSize);
        r.password = cell(3).left(AccessLayout::kPasswordSize);
        r.access = cell(4).left(AccessLayout::kAccessSize);
        if (!r.date.isValid())
            throw ConversionError(u"Строка %1 таблицы доступа: %2 — не дата (нужна дата вида 07.12.2026). Таблица не записана."_s
                                      .arg(i + 1)
                                      .arg(quotedExcerpt(cell(1))));
        for (const QString &text : {r.code, r.name, r.password, r.access}) {
            if (!Cp1251::canEncode(text))
                throw ConversionError(u"Строка %1 таблицы доступа: в тексте %2 есть знак, которого нет в кодировке файла. Таблица не записана."_s
                                          .arg(i + 1)
                                          .arg(quotedExcerpt(text)));
        }
        // Two users with one code: the file would hold both, and removing one
        // by its code would be ambiguous.
        for (qsizetype k = 0; k < records.size(); ++k) {
            if (trimBlanks(records.at(k).code) == trimBlanks(r.code))
                throw ConversionError(u"Строка %1 таблицы доступа: код %2 уже есть в строке %3. Таблица не записана."_s
                                          .arg(i + 1)
                                          .arg(quotedExcerpt(r.code))
                                          .arg(rowOf.at(k)));
        }
        records.append(r);
        rowOf.append(i + 1);
    }
    return records;
}

void save(const QString &path, const QList<QStringList> &rows)
{
    const QList<AccessRecord> records = toRecords(rows);
    QList<QByteArray> bytes;
    for (const AccessRecord &r : records)
        bytes.append(AccessLayout::encode(r));
    // The users beyond the editor's ten stay in the file as they were.
    bool exists = false;
    DurableFile::notRegularFile(AccessFile::checkedPath(path), &exists);
    if (exists) {
        const AccessFileContents old = AccessFile::read(path);
        for (qsizetype k = AccessLayout::kTableSize; k < old.raw.size(); ++k) {
            const QString code = trimBlanks(old.records.at(k).code);
            for (int i = 0; i < rows.size(); ++i) {
                if (!code.isEmpty() && trimBlanks(rows.at(i).value(0).left(AccessLayout::kCodeSize)) == code)
                    throw ConversionError(u"Строка %1 таблицы доступа: код %2 уже есть у пользователя %3 файла, которого нет в таблице. Таблица не записана."_s
                                              .arg(i + 1)
                                              .arg(quotedExcerpt(code))
                                              .arg(k + 1));
            }
            bytes.append(old.raw.at(k));
        }
    }
    AccessFile::write(path, bytes);
}

} // namespace AccessRows
