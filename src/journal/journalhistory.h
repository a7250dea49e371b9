#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <vector>

class Grid;

// The history of a journal's changes, "История.txt" in its folder: one line a
// change, appended by every save in the same all-or-nothing write as the
// journal's files. cp1251, CR LF. A line holds tab-separated fields:
//   when (ДД.ММ.ГГГГ ЧЧ:ММ:СС), user code, what was done, student number,
//   student name, lesson number, lesson date, old text, new text
// Every field is escaped ("\\" "\t" "\r" "\n" "\0", other control
// characters "\xHH"), so a text typed by a user never breaks a line; reading
// takes any line as it comes (missing fields empty, extra ones dropped, an
// unknown escape kept as written).
namespace JournalHistory {

inline constexpr char kFileName[] = "История.txt";
// The lines the file keeps; a save drops the oldest beyond them.
inline constexpr int kMaxLines = 100000;

// What a line records.
inline constexpr char kCellChanged[] = "Изменение";
inline constexpr char kRowInserted[] = "Вставка строки";
inline constexpr char kRowDeleted[] = "Удаление строки";
inline constexpr char kRowMoved[] = "Перемещение строки";
inline constexpr char kColumnInserted[] = "Вставка урока";
inline constexpr char kColumnDeleted[] = "Удаление урока";

// One change between two states of a journal grid, by the indices of both:
// a row or column that is not in one of them is -1 there.
struct Change
{
    enum Kind : quint8 { Cell, RowInserted, RowDeleted, RowMoved, ColumnInserted, ColumnDeleted };
    Kind kind = Cell;
    int oldCol = -1, oldRow = -1, newCol = -1, newRow = -1;
};

// The changes from `before` to `after`. Students are matched by their names
// (trimmed), in order; a student found at another place was moved, one found
// in only one of the grids inserted or deleted. Lessons are matched by their
// header and their scores of the matched students; where neither matches,
// the lessons between two matched ones are paired by the cells they share.
// Then every cell of a matched student and a matched lesson (the header rows
// too, the number column never) that differs is a change, and an inserted
// student or lesson brings its non-empty cells as changes of their own. A
// deleted one is one line, whatever it held.
std::vector<Change> changes(const Grid &before, const Grid &after);

// One line as read back, fields unescaped.
struct Entry
{
    QString when, user, operation, studentNumber, student, lessonNumber, lessonDate, oldText, newText;
};

// The entry of one change, the grids those of changes().
Entry entryOf(const Change &change, const Grid &before, const Grid &after, const QString &when, const QString &user);

// The history file's new bytes: `existing` (the file as it is; a last line cut
// short gets its line end) with one line for each of `changes` appended, the
// oldest lines dropped beyond `maxLines`. A text cp1251 cannot hold shows "?".
QByteArray appended(const QByteArray &existing, const std::vector<Change> &changes, const Grid &before,
                    const Grid &after, const QDateTime &when, const QString &user, int maxLines = kMaxLines);
// The same for entries already made (a restored version's line).
QByteArray appendedEntries(const QByteArray &existing, const QList<Entry> &entries, int maxLines = kMaxLines);

// "ДД.ММ.ГГГГ ЧЧ:ММ:СС".
QString timeText(const QDateTime &when);

// A field as it is written and read back.
QString escaped(const QString &text);
QString unescaped(QStringView field);

// The bytes of a field that reading takes; a longer one is cut there and ends in "…".
inline constexpr int kMaxReadField = 1000;

// The last kMaxLines lines of a history file (as many as a save keeps), oldest
// first, each field cut to kMaxReadField bytes: a hand-edited file of any
// shape is read into bounded memory.
QList<Entry> parse(const QByteArray &bytes);

} // namespace JournalHistory
