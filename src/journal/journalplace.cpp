#include "journal/journalplace.h"

#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/journallayout.h"

using namespace JournalLayout;

namespace JournalPlace {

namespace {

// "2 от «12.09»", or "2 (без даты)" when the date cell is blank.
QString lesson(const Grid &journal, int col)
{
    const QString ordinal = QString::number(col - kFirstLessonCol + 1);
    const QStringView date = QStringView(journal.cell(col, kDateRow)).trimmed();
    if (date.isEmpty())
        return ordinal + QStringLiteral(" (без даты)");
    return ordinal + QStringLiteral(" от ") + quotedExcerpt(date);
}

// "1 «Иванов Иван»", or "1 (без имени)"; the number counts the students from 1
// by their place, as the number column shows them.
QString student(const Grid &journal, int row)
{
    const QString number = QString::number(row - kStudentNumberOffset);
    const QStringView name = QStringView(journal.cell(kNameCol, row)).trimmed();
    if (name.isEmpty())
        return number + QStringLiteral(" (без имени)");
    return number + u' ' + quotedExcerpt(name);
}

} // namespace

QString describe(const Grid &journal, int col, int row)
{
    if (col < 0 || row < 0 || col >= journal.colCount() || row >= journal.rowCount())
        return QStringLiteral("столбец %1, строка %2").arg(col).arg(row);
    if (row >= kFirstStudentRow) {
        if (col == kNumberCol)
            return QStringLiteral("номер ученика ") + student(journal, row);
        if (col == kNameCol)
            return QStringLiteral("имя ученика ") + student(journal, row);
        return QStringLiteral("ученик ") + student(journal, row) + QStringLiteral(", урок ") + lesson(journal, col);
    }
    if (col < kFirstLessonCol)
        return QStringLiteral("заголовок таблицы (столбец %1, строка %2)").arg(col).arg(row);
    switch (row) {
    case kDateRow:
        return QStringLiteral("дата урока %1").arg(col - kFirstLessonCol + 1);
    case kCodeRow:
        return QStringLiteral("код урока ") + lesson(journal, col);
    case kWeightRow:
        return QStringLiteral("вес урока ") + lesson(journal, col);
    default:
        return QStringLiteral("заголовок урока ") + lesson(journal, col);
    }
}

QString message(const Grid &journal, int col, int row, const QString &detail)
{
    return QStringLiteral("Журнал, ") + describe(journal, col, row) + QStringLiteral(": ") + detail;
}

// The ranges follow GridOps: deleteRow and deleteColumn act from index 1 to
// the last; the deletions below and to the right keep selected + 1.
QString rowDeletion(const Grid &journal, int row)
{
    if (row < 1 || row >= journal.rowCount())
        return QString();
    if (row < kFirstStudentRow)
        return QStringLiteral("Удалить строку %1 заголовка журнала?").arg(row);
    const QStringView name = QStringView(journal.cell(kNameCol, row)).trimmed();
    if (name.isEmpty())
        return QStringLiteral("Удалить ученика %1 (без имени)?").arg(row - kStudentNumberOffset);
    return QStringLiteral("Удалить ученика %1?").arg(quotedExcerpt(name));
}

QString rowsBelowDeletion(const Grid &journal, int row)
{
    const qint64 going = qint64(journal.rowCount()) - (qint64(row) + 1);
    if (going <= 0)
        return QString();
    // Below a student or the weight row only students go.
    if (row >= kFirstStudentRow - 1)
        return QStringLiteral("Удалить %1?").arg(counted(going, u"ученика", u"учеников", u"учеников"));
    return QStringLiteral("Удалить %1?").arg(counted(going, u"строку", u"строки", u"строк"));
}

QString columnDeletion(const Grid &journal, int col)
{
    if (col < 1 || col >= journal.colCount())
        return QString();
    if (col < kFirstLessonCol)
        return QStringLiteral("Удалить столбец %1 (ФИО)?").arg(col);
    return QStringLiteral("Удалить урок %1?").arg(lesson(journal, col));
}

QString columnsRightDeletion(const Grid &journal, int col)
{
    const qint64 going = qint64(journal.colCount()) - (qint64(col) + 1);
    if (going <= 0)
        return QString();
    if (col >= kFirstLessonCol - 1)
        return QStringLiteral("Удалить %1?").arg(counted(going, u"урок", u"урока", u"уроков"));
    return QStringLiteral("Удалить %1?").arg(counted(going, u"столбец", u"столбца", u"столбцов"));
}

} // namespace JournalPlace
