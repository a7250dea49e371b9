#include "rating/scorecell.h"

#include "journal/grid.h"
#include "journal/journallayout.h"
#include "rating/decimal4.h"

namespace ScoreCell {

Kind classify(QStringView text)
{
    const QStringView t = trimBlanks(text);
    if (t.isEmpty())
        return Kind::Empty;
    if (!IsNumberText(t)) {
        if (t.size() == 1 && (t.front() == u'н' || t.front() == u'Н'))
            return Kind::Absent;
        return Kind::Text;
    }
    Decimal4 value;
    return Decimal4::parse(t, value) == Decimal4::Parse::Ok ? Kind::Score : Kind::NoNumber;
}

const QString &reason(Kind kind)
{
    static const QString none;
    static const QString noNumber = QStringLiteral("не число: пересчёт итогов остановится на этой ячейке");
    static const QString absent = QStringLiteral("«н» не учитывается в рейтинге: пропуском считается пустая ячейка");
    static const QString text = QStringLiteral("не число: не учитывается в рейтинге");
    switch (kind) {
    case Kind::NoNumber:
        return noNumber;
    case Kind::Absent:
        return absent;
    case Kind::Text:
        return text;
    case Kind::Empty:
    case Kind::Score:
        break;
    }
    return none;
}

int leftOutCells(const Grid &journal)
{
    int count = 0;
    for (int c = JournalLayout::kFirstLessonCol; c < journal.colCount(); ++c) {
        for (int r = JournalLayout::kFirstStudentRow; r < journal.rowCount(); ++r) {
            if (leftOut(classify(journal.cell(c, r))))
                ++count;
        }
    }
    return count;
}

} // namespace ScoreCell
