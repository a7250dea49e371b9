#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// One user of the access file "Dostup.dat": a 48-byte record of length-prefixed
// cp1251 strings and a date.
struct AccessRecord
{
    QString code;     // up to 2 characters: "01", "02", ...
    QDate date;       // invalid when the stored number is no date
    QString name;     // up to 20 characters
    QString password; // up to 6 characters
    QString access;   // up to 1 character: "Z" administrator, "W" user

    bool operator==(const AccessRecord &) const = default;
};

// The byte layout of a record and its date.
namespace AccessLayout {
inline constexpr int kRecordSize = 48;
inline constexpr int kCodeOffset = 0, kCodeSize = 2;
inline constexpr int kDateOffset = 8;
inline constexpr int kNameOffset = 16, kNameSize = 20;
inline constexpr int kPasswordOffset = 37, kPasswordSize = 6;
inline constexpr int kAccessOffset = 44, kAccessSize = 1;
// How many users the login and the editor hold.
inline constexpr int kTableSize = 10;

// Days since 30.12.1899 as the file stores them; the time part is dropped on read.
double dateToDays(const QDate &date);
QDate daysToDate(double days);

// A record as its 48 bytes and back. Texts are cut to their field; a length
// byte beyond its field reads the field's whole size.
QByteArray encode(const AccessRecord &record);
AccessRecord decode(const char *bytes);
} // namespace AccessLayout

// The access file as read: its whole records in file order (each also as its
// bytes, so that records the program does not show are written back as they
// were) and how many bytes trail the last whole record.
struct AccessFileContents
{
    QList<AccessRecord> records;
    QList<QByteArray> raw;
    qint64 trailingBytes = 0;
    bool damaged() const { return trailingBytes != 0; }
};

// Reading and writing "Dostup.dat". Errors are FileError with a Russian message
// naming the file. Every write replaces the file atomically and leaves it
// readable and writable by its owner only.
namespace AccessFile {

inline constexpr char kFileName[] = "Dostup.dat";

// The records of a fresh file, each dated `today`: the administrator and three users.
QList<AccessRecord> defaultRecords(const QDate &today);

// The file "Dostup.dat" of the data root at `path`, checked as the root's data
// files are (JournalFolder::checkedDataFile): a regular file, not a symbolic
// link, or nothing. Every read and write below checks it first.
QString checkedPath(const QString &path);

// The whole records of the file; one over 1 MB is refused unread.
AccessFileContents read(const QString &path);
void write(const QString &path, const QList<QByteArray> &records);
void write(const QString &path, const QList<AccessRecord> &records);

// At start-up: reads the file, or creates it with the default records when it
// does not exist (and returns those).
AccessFileContents openOrCreate(const QString &path, const QDate &today);

// The message line's text for a file whose size is not a whole number of records.
QString damagedMessage(const QString &path, const AccessFileContents &contents);

} // namespace AccessFile

// The access editor's rows as typed: code, date, name, password, access.
namespace AccessRows {

inline constexpr int kColumns = 5;

// The text without the blanks (every character up to the space) at its ends.
QString trimBlanks(const QString &text);

// The short date form of the editor (Russian: 07.12.2026); empty for an invalid date.
QString dateText(const QDate &date);
// A typed date in the short form; an invalid QDate when it is none.
QDate parseDate(const QString &text);

// The row of a record as the editor shows it.
QStringList fromRecord(const AccessRecord &record);

// The records that the rows give, in row order: rows with a blank code are
// skipped; texts longer than a field are cut (code 2, name 20, password 6,
// access 1). Every row is checked first: an invalid date, a character cp1251
// cannot hold or a code (blanks at its ends aside) that an earlier row already
// has throws a ConversionError naming the row (counted from 1) and the text.
QList<AccessRecord> toRecords(const QList<QStringList> &rows);

// Saves the editor: the records of the rows, then the records of the file
// beyond the editor's ten, unchanged. Nothing is written when a row is refused.
void save(const QString &path, const QList<QStringList> &rows);

} // namespace AccessRows
