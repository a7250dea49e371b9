#include "reports/reports.h"

#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/journallayout.h"
#include "journal/journalplace.h"
#include "rating/decimal4.h"
#include "rating/dynamics.h"
#include "rating/ranking.h"
#include "rating/resultgrids.h"
#include "reports/reportdocument.h"
#include "themes/themes.h"

#include <array>
#include <optional>

using namespace JournalLayout;

namespace Reports {

namespace {

struct Column
{
    int width;
    const char16_t *title;
};

// The lesson table of the dossier and the ticket.
constexpr std::array<Column, 9> kLessonColumns = {{{20, u"№ "},
                                                    {30, u"Дата"},
                                                    {35, u"Код"},
                                                    {25, u"Вес"},
                                                    {30, u"Балл"},
                                                    {33, u"Сред."},
                                                    {35, u"Балл накоп"},
                                                    {35, u"Сред. накоп"},
                                                    {220, u"Тема"}}};

constexpr std::array<Column, 7> kThemesDoneColumns = {
    {{25, u"№ "}, {40, u"Дата"}, {35, u"Код"}, {30, u"Вес"}, {40, u"Макс балл"}, {42, u"Сред. балл"}, {280, u"Тема"}}};

constexpr std::array<Column, 9> kCatalogueColumns = {{{25, u"№ "},
                                                      {100, u"Папка"},
                                                      {55, u"Группа"},
                                                      {40, u"Семестр"},
                                                      {180, u"Предмет"},
                                                      {42, u"Год"},
                                                      {30, u"Ан"},
                                                      {30, u"РП"},
                                                      {30, u"Ком"}}};

const QString kMarker = QStringLiteral("*** ");

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// For each column in turn its width, then its title in row 1.
template<size_t N>
void writeColumns(ReportDocument &doc, const std::array<Column, N> &columns)
{
    for (size_t i = 0; i < N; ++i) {
        doc.SetColumnWidth(int(i) + 1, columns[i].width);
        doc.SetCellText(1, int(i) + 1, text(columns[i].title));
    }
}

void setWidths(ReportDocument &doc, std::initializer_list<int> widths)
{
    int i = 1;
    for (int w : widths)
        doc.SetColumnWidth(i++, w);
}

// The grade table: the count and share of each grade beside the scale.
void gradeTable(ReportDocument &doc, const Grid &uspev, const Thresholds &t, int lastWidth)
{
    doc.AddTableAtEnd(5, 4);
    doc.EnableTableBorders();
    setWidths(doc, {100, 35, 45, lastWidth});
    const QString rows[5][4] = {
        {QStringLiteral("Оценка"), QStringLiteral("Шт."), QStringLiteral("Процент"), QStringLiteral("Шкала перевода")},
        {QStringLiteral("Отлично"), uspev.cell(1, 1), uspev.cell(1, 2), QStringLiteral(">= ") + t.t5},
        {QStringLiteral("Хорошо"), uspev.cell(2, 1), uspev.cell(2, 2), QStringLiteral(">= ") + t.t4},
        {QStringLiteral("Удовлетворительно"), uspev.cell(3, 1), uspev.cell(3, 2), QStringLiteral(">= ") + t.t3},
        {QStringLiteral("Не удовлетворительно"), uspev.cell(4, 1), uspev.cell(4, 2), QStringLiteral("<  ") + t.t3},
    };
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            doc.SetCellText(r + 1, c + 1, rows[r][c]);
}

// A whole number of Itog, as the total row reads the absences.
qint64 wholeNumber(const Grid &itog, int col, int row)
{
    const QStringView t = trimBlanks(itog.cell(col, row));
    qsizetype i = 0;
    bool negative = false;
    if (!t.isEmpty() && (t.front() == u'-' || t.front() == u'+')) {
        negative = t.front() == u'-';
        i = 1;
    }
    qint64 value = 0;
    bool ok = i < t.size() && t.size() - i <= 15;
    for (; ok && i < t.size(); ++i) {
        const char16_t u = t.at(i).unicode();
        ok = u >= u'0' && u <= u'9';
        value = value * 10 + (u - u'0');
    }
    if (!ok)
        throw ConversionError(QStringLiteral("Таблица итогов, столбец %1, строка %2: %3 не целое число; "
                                             "строка итогов отчёта не подсчитана.")
                                  .arg(col)
                                  .arg(row)
                                  .arg(quotedExcerpt(itog.cell(col, row))));
    return negative ? -value : value;
}

// Adds a row's whole number to its column's total; hand-edited figures too
// large to add up stop the report at that row.
void addToTotal(qint64 &total, qint64 value, int col, int row)
{
    if (__builtin_add_overflow(total, value, &total))
        throw ConversionError(QStringLiteral("Таблица итогов, столбец %1, строка %2: сумма столбца выходит за пределы чисел; "
                                             "строка итогов отчёта не подсчитана.")
                                  .arg(col)
                                  .arg(row));
}

// The quotient rounded up; 0 for no divisor.
qint64 ceilingQuotient(qint64 sum, qint64 n)
{
    if (n <= 0)
        return 0;
    qint64 q = sum / n;
    if (sum % n != 0 && sum > 0)
        ++q;
    return q;
}

// The theme of a lesson's code: its name, or null when no theme has that code.
// A theme whose name is still empty is found all the same.
std::optional<QString> lessonTheme(const Grid &themes, const Grid &journal, int col)
{
    const int row = Themes::findTheme(themes, journal.cell(col, kCodeRow));
    if (row < 0)
        return std::nullopt;
    return themes.cell(Themes::NameCol, row);
}

// A journal cell's number; a text that is none stops the report with a message
// naming the student and the lesson, as every message about a journal cell does.
Decimal4 journalNumber(const Grid &journal, int col, int row)
{
    try {
        return Decimal4::fromText(journal.cell(col, row));
    } catch (const ConversionError &e) {
        throw ConversionError(JournalPlace::message(journal, col, row, e.message()));
    }
}

// A number of the dynamics grid, named by its column and row when it is none.
Decimal4 summiNumber(const Grid &summi, int col, int row)
{
    try {
        return Decimal4::fromText(summi.cell(col, row));
    } catch (const ConversionError &e) {
        throw ConversionError(QStringLiteral("Динамика, столбец %1, строка %2: ").arg(col).arg(row) + e.message());
    }
}

// The first `count` characters of a text, a character outside the BMP counting once.
QString firstCharacters(const QString &s, int count)
{
    qsizetype end = 0;
    for (int k = 0; k < count && end < s.size(); ++k)
        end += (s.at(end).isHighSurrogate() && end + 1 < s.size() && s.at(end + 1).isLowSurrogate()) ? 2 : 1;
    return s.left(end);
}

} // namespace

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString journalTableName()
{
    return QStringLiteral("Накопленный рейтинг");
}

QString dossierName(const QString &fio)
{
    return QStringLiteral("Досье ") + trimBlanks(fio).toString();
}

QString ticketName(const QString &fio)
{
    return QStringLiteral("Билет ") + trimBlanks(fio).toString();
}

QString themesDoneName()
{
    return QStringLiteral("Темы выполнено");
}

QString thematicPlanName()
{
    return QStringLiteral("Тематический план");
}

QString catalogueName()
{
    return QStringLiteral("Список журналов");
}

NoStudentChosen::NoStudentChosen()
    : ZError(QStringLiteral("Сначала выберите ученика: щёлкните его строку в журнале или в таблице итогов."))
{
}

bool noStudentChosen(const QString &fio)
{
    return trimBlanks(fio).isEmpty();
}

int studentRow(const Grid &journal, const QString &fio)
{
    if (noStudentChosen(fio))
        throw NoStudentChosen();
    if (journal.rowCount() <= kFirstStudentRow)
        throw ZError(QStringLiteral("В журнале нет ни одного ученика: отчёт не составлен."));
    const int row = Dynamics::journalRowForName(journal, fio, kFirstStudentRow);
    if (row < 0)
        throw ZError(QStringLiteral("Ученик %1 не найден в журнале").arg(quotedExcerpt(trimBlanks(fio))));
    return row;
}

void runDynamicsAndRanking(const Grid &journal, const QString &fio, Grid &summi, Grid &itog,
                           const std::function<void()> &dynamicsDone)
{
    Dynamics::fillDynamics(journal, fio, summi);
    if (dynamicsDone)
        dynamicsDone();
    Ranking::rankResults(itog);
}

void journalTable(ReportDocument &doc, const MainWindowView &v)
{
    const JournalIdentity &h = v.heading;
    const Grid &itog = v.itog;

    // The total row first: a cell that is no whole number stops the report
    // before anything is built. The average student's row is printed but not
    // counted: its absences are the students' own once more, and need not be whole.
    qint64 absences = 0;
    qint64 percents = 0;
    qint64 students = 0;
    const QString average = ResultGrids::averageStudentName();
    for (int r = 1; r < itog.rowCount(); ++r) {
        if (itog.cell(ResultGrids::NameCol, r) == average)
            continue;
        addToTotal(absences, wholeNumber(itog, ResultGrids::AbsenceCountCol, r), ResultGrids::AbsenceCountCol, r);
        addToTotal(percents, wholeNumber(itog, ResultGrids::AbsencePercentCol, r), ResultGrids::AbsencePercentCol, r);
        ++students;
    }

    doc.StartReport();
    doc.SetDocumentFontSize(8);
    doc.SetLeftMargin(50);
    doc.AppendText(QStringLiteral("Накопленный рейтинг"));
    doc.AppendText(QStringLiteral("     На ") + dateText(v.date) + QStringLiteral("   Папка ") + h.folder);
    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Группа ") + h.group);
    doc.AppendParagraphBreak();
    doc.AppendText(h.subject);
    doc.AppendText(QStringLiteral("   Семестр ") + h.term);
    doc.AppendParagraphBreak();

    const int rows = itog.rowCount() + 1;
    doc.AddTableAtEnd(rows, 10);
    doc.EnableTableBorders();
    setWidths(doc, {23, 100, 35, 25, 38, 38, 50, 50, 50, 50});
    doc.SetCellText(1, 9, QStringLiteral("Оценка"));
    doc.SetCellText(1, 10, QStringLiteral("Подпись"));
    for (int r = 1; r < rows; ++r)
        for (int c = 1; c <= 8; ++c)
            doc.SetCellText(r, c, itog.cell(c - 1, r - 1));
    doc.SetCellText(rows, 7, QString::number(absences));
    doc.SetCellText(rows, 8, QString::number(ceilingQuotient(percents, students)));
    doc.SetCellText(rows, 6, QStringLiteral("Итого"));

    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Успеваемость=") + v.indicators.uspewa + QStringLiteral("  Качество=") + v.indicators.ka4
                   + QStringLiteral("  Степень обученности=") + v.indicators.obu4);
    gradeTable(doc, v.uspev, v.thresholds, 75);
    doc.ShowReport();
}

void dossier(ReportDocument &doc, const MainWindowView &v, int s)
{
    const JournalIdentity &h = v.heading;
    const Grid &j = v.journal;
    doc.StartReport();
    doc.SetDocumentFontSize(8);
    doc.AppendText(v.fio);
    doc.AppendText(QStringLiteral("       На ") + dateText(v.date));
    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Группа ") + h.group);
    doc.AppendText(QStringLiteral("   Семестр ") + h.term);
    doc.AppendText(QStringLiteral("   Предмет ") + h.subject);
    doc.AppendText(QStringLiteral("   Папка ") + h.folder);

    doc.AddTableAtEnd(j.colCount() - 1, 9);
    doc.AppendText(QStringLiteral(" "));
    doc.EnableTableBorders();
    writeColumns(doc, kLessonColumns);
    using namespace ResultGrids;
    for (int c = kFirstLessonCol; c < j.colCount(); ++c) {
        const int r = c;
        doc.SetCellText(r, 1, QString::number(c - 1));
        doc.SetCellText(r, 2, j.cell(c, kDateRow));
        doc.SetCellText(r, 3, j.cell(c, kCodeRow));
        doc.SetCellText(r, 4, j.cell(c, kWeightRow));
        doc.SetCellText(r, 7, v.summi.cell(c, StudentAccumulatedRow));
        doc.SetCellText(r, 8, v.summi.cell(c, AverageAccumulatedRow));
        const QString &score = j.cell(c, s);
        if (IsNumberText(score)) {
            const Decimal4 value = journalNumber(j, c, s);
            const Decimal4 weight = journalNumber(j, c, kWeightRow);
            Decimal4 product;
            try {
                product = value * weight;
            } catch (const ConversionError &e) {
                throw ConversionError(JournalPlace::message(j, c, s, e.message()));
            }
            doc.SetCellText(r, 5, product.toString());
        }
        doc.SetCellText(r, 6, v.summi.cell(c, AverageRow));
        // A sum column copied into the journal is no column of the dynamics
        // grid until the journal is loaded again: its dynamics cells are empty
        // and there is no group average to fall below, so only an absence marks it.
        const bool inDynamics = c < v.summi.colCount();
        bool marked = trimBlanks(score).isEmpty();
        if (!marked && inDynamics)
            marked = summiNumber(v.summi, c, StudentRow) < summiNumber(v.summi, c, AverageRow);
        if (const std::optional<QString> theme = lessonTheme(v.themes, j, c))
            doc.SetCellText(r, 9, (marked ? kMarker : QString()) + *theme);
    }

    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Накопленный рейтинг"));
    doc.AddTableAtEnd(v.itog.rowCount(), 8);
    doc.EnableTableBorders();
    setWidths(doc, {23, 100, 35, 35, 38, 38, 53, 53});
    for (int r = 1; r <= v.itog.rowCount(); ++r)
        for (int k = 1; k <= 8; ++k)
            doc.SetCellText(r, k, v.itog.cell(k - 1, r - 1));

    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Успеваемость"));
    gradeTable(doc, v.uspev, v.thresholds, 65);
    doc.ShowReport();
}

void ticket(ReportDocument &doc, const MainWindowView &v, int s)
{
    const JournalIdentity &h = v.heading;
    const Grid &j = v.journal;
    QList<int> missed;
    for (int c = kFirstLessonCol; c < j.colCount(); ++c)
        if (trimBlanks(j.cell(c, s)).isEmpty())
            missed << c;

    doc.StartReport();
    doc.SetDocumentFontSize(8);
    doc.AppendText(v.fio);
    doc.AppendText(QStringLiteral("   Билет ") + dateText(v.date));
    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Группа ") + h.group);
    doc.AppendText(QStringLiteral("   Семестр ") + h.term);
    doc.AppendText(QStringLiteral("   Предмет"));
    doc.AppendParagraphBreak();
    doc.AppendText(h.subject);
    doc.AppendText(QStringLiteral("   Папка ") + h.folder);
    doc.AddTableAtEnd(1 + int(missed.size()), 9);
    doc.AppendText(QStringLiteral(" "));
    doc.EnableTableBorders();
    writeColumns(doc, kLessonColumns);
    using namespace ResultGrids;
    int t = 2;
    for (int c : std::as_const(missed)) {
        doc.SetCellText(t, 1, QString::number(t - 1));
        doc.SetCellText(t, 2, j.cell(c, kDateRow));
        doc.SetCellText(t, 3, j.cell(c, kCodeRow));
        doc.SetCellText(t, 4, j.cell(c, kWeightRow));
        doc.SetCellText(t, 6, v.summi.cell(c, AverageRow));
        doc.SetCellText(t, 7, v.summi.cell(c, StudentAccumulatedRow));
        doc.SetCellText(t, 8, v.summi.cell(c, AverageAccumulatedRow));
        if (const std::optional<QString> theme = lessonTheme(v.themes, j, c))
            doc.SetCellText(t, 9, kMarker + *theme);
        ++t;
    }
    // Under a table of titles alone, so that the handed-out sheet says it.
    if (missed.isEmpty())
        doc.AppendText(QStringLiteral("Пропущенных работ нет"));
    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Оценка ___________  Преподаватель ____________/______________/"));
    doc.ShowReport();
}

void themesDone(ReportDocument &doc, const MainWindowView &v)
{
    const JournalIdentity &h = v.heading;
    const Grid &j = v.journal;
    doc.StartReport();
    doc.SetDocumentFontSize(12);
    doc.SetLeftMargin(50);
    doc.AppendText(QStringLiteral("Группа ") + h.group);
    doc.AppendText(QStringLiteral("   Семестр ") + h.term);
    doc.AppendText(QStringLiteral("    год ") + h.year + QStringLiteral("  ") + h.comment);
    doc.AppendParagraphBreak();
    doc.AppendText(h.subject);
    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("   Папка ") + h.folder);
    doc.AppendText(QStringLiteral("     Темы: выполнено На ") + dateText(v.date));
    doc.AddTableAtEnd(j.colCount() - 1, 7);
    doc.AppendText(QStringLiteral(" "));
    doc.EnableTableBorders();
    writeColumns(doc, kThemesDoneColumns);
    using namespace ResultGrids;
    for (int c = kFirstLessonCol; c < j.colCount(); ++c) {
        doc.SetCellText(c, 1, QString::number(c - 1));
        doc.SetCellText(c, 2, j.cell(c, kDateRow));
        doc.SetCellText(c, 3, j.cell(c, kCodeRow));
        doc.SetCellText(c, 4, j.cell(c, kWeightRow));
        doc.SetCellText(c, 5, v.summi.cell(c, MaximumRow));
        doc.SetCellText(c, 6, v.summi.cell(c, AverageRow));
        if (const std::optional<QString> theme = lessonTheme(v.themes, j, c))
            doc.SetCellText(c, 7, *theme);
    }
    doc.ShowReport();
}

void thematicPlan(ReportDocument &doc, const Grid &themes, const JournalIdentity &h, const QDate &date)
{
    doc.StartReport();
    doc.SetDocumentFontSize(8);
    doc.AppendText(QStringLiteral("Темы: План На ") + dateText(date));
    doc.AppendParagraphBreak();
    doc.AppendText(QStringLiteral("Группа ") + h.group);
    doc.AppendText(QStringLiteral("   Семестр ") + h.term);
    doc.AppendText(QStringLiteral("   Предмет ") + h.subject);
    doc.AppendText(QStringLiteral("   Папка ") + h.folder);
    doc.AddTableAtEnd(themes.rowCount(), 4);
    doc.AppendText(QStringLiteral(" "));
    doc.EnableTableBorders();
    setWidths(doc, {20, 30, 25, 390});
    for (int i = 1; i <= themes.rowCount(); ++i)
        for (int k = 1; k <= 4; ++k)
            doc.SetCellText(i, k, themes.cell(k - 1, i - 1));
    doc.ShowReport();
}

void catalogue(ReportDocument &doc, const Grid &cat, const QDate &date)
{
    doc.StartReport();
    doc.SetDocumentFontSize(12);
    doc.SetLeftMargin(50);
    doc.AppendText(QStringLiteral("Список Предметов / Папка"));
    doc.AppendText(QStringLiteral("  На ") + dateText(date));
    doc.AddTableAtEnd(cat.rowCount(), 9);
    doc.AppendText(QStringLiteral(" "));
    doc.EnableTableBorders();
    writeColumns(doc, kCatalogueColumns);
    for (int r = 1; r < cat.rowCount(); ++r) {
        const QString cells[9] = {QString::number(r), cat.cell(1, r), cat.cell(2, r), cat.cell(3, r), cat.cell(4, r),
                                  cat.cell(6, r),     QString(),      QString(),      firstCharacters(cat.cell(7, r), 3)};
        for (int k = 0; k < 9; ++k)
            doc.SetCellText(r + 1, k + 1, cells[k]);
    }
    doc.ShowReport();
}

} // namespace Reports
