#include "rating/resultsxlsx.h"

#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/journallayout.h"
#include "rating/decimal4.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"
#include "rating/scorecell.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace ResultsXlsx {

namespace {

// A cell of a sheet holds at most this many characters.
constexpr qsizetype kMaxCellText = 32767;

QString cellName(int col, int row)
{
    QString letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters + QString::number(row + 1);
}

// One workbook being built in a private folder; every call of the library is
// checked, and a failure names the file the workbook is for.
class Book
{
public:
    Book(const QString &fileName) : m_fileName(fileName)
    {
        if (!m_dir.isValid())
            fail(QStringLiteral("не удалось создать временную папку (%1)").arg(m_dir.errorString()));
        m_path = m_dir.filePath(QStringLiteral("book.xlsx"));
        m_nativePath = QFile::encodeName(m_path);
        m_tmp = QFile::encodeName(m_dir.path());
        lxw_workbook_options options{};
        options.constant_memory = LXW_FALSE;
        options.tmpdir = m_tmp.data();
        options.use_zip64 = LXW_FALSE;
        m_book = workbook_new_opt(m_nativePath.constData(), &options);
        if (!m_book)
            fail(QStringLiteral("не удалось начать книгу (недостаточно памяти)"));
        m_bold = workbook_add_format(m_book);
        m_date = workbook_add_format(m_book);
        m_boldDate = workbook_add_format(m_book);
        if (!m_bold || !m_date || !m_boldDate)
            fail(QStringLiteral("недостаточно памяти"));
        format_set_bold(m_bold);
        format_set_num_format(m_date, "dd.mm.yyyy");
        format_set_bold(m_boldDate);
        format_set_num_format(m_boldDate, "dd.mm.yyyy");
    }
    ~Book()
    {
        if (m_book)
            lxw_workbook_free(m_book);
    }
    Book(const Book &) = delete;
    Book &operator=(const Book &) = delete;

    lxw_worksheet *sheet(const char *name)
    {
        lxw_worksheet *s = workbook_add_worksheet(m_book, name);
        if (!s)
            fail(QStringLiteral("не удалось добавить лист %1").arg(quotedExcerpt(QString::fromUtf8(name))));
        m_sheetName = QString::fromUtf8(name);
        return s;
    }

    // The grid's shape fits a sheet; checked before the first cell is written.
    void checkFits(int cols, int rows) const
    {
        if (cols > LXW_COL_MAX || rows > int(LXW_ROW_MAX))
            fail(QStringLiteral("на листе %1 помещается не больше %2 столбцов и %3 строк, а в таблице %4 × %5")
                     .arg(quotedExcerpt(m_sheetName))
                     .arg(LXW_COL_MAX)
                     .arg(LXW_ROW_MAX)
                     .arg(cols)
                     .arg(rows));
    }

    lxw_format *bold(bool on) const { return on ? m_bold : nullptr; }

    // The text as a text cell, never a formula, whatever it starts with.
    void text(lxw_worksheet *s, int row, int col, const QString &text, bool heading)
    {
        if (text.isEmpty())
            return;
        if (text.size() > kMaxCellText)
            fail(QStringLiteral("текст ячейки %1 листа %2 длиннее %3 знаков: %4")
                     .arg(cellName(col, row), quotedExcerpt(m_sheetName))
                     .arg(kMaxCellText)
                     .arg(quotedExcerpt(text)));
        QByteArray utf8;
        if (text.contains(QChar(0)) || text.contains(QLatin1String("_x"))) {
            QString copy = text;
            // A C string ends at a zero; it stands as the replacement sign.
            copy.replace(QChar(0), QChar(0xFFFD));
            // A spreadsheet reads "_x0041_" as "A" (the library writes control
            // characters so); a text that looks so keeps its "_" as "_x005F_".
            static const QRegularExpression escapeLike(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
            copy.replace(escapeLike, QStringLiteral("_x005F_"));
            utf8 = copy.toUtf8();
        } else {
            utf8 = text.toUtf8();
        }
        check(worksheet_write_string(s, lxw_row_t(row), lxw_col_t(col), utf8.constData(), bold(heading)), col, row);
    }

    void number(lxw_worksheet *s, int row, int col, double value, bool heading)
    {
        check(worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col), value, bold(heading)), col, row);
    }

    // A number when the text is one as Decimal4 reads it, a text otherwise.
    void numberOrText(lxw_worksheet *s, int row, int col, const QString &text, bool heading)
    {
        Decimal4 value;
        if (!trimBlanks(text).isEmpty() && Decimal4::parse(text, value) == Decimal4::Parse::Ok)
            number(s, row, col, value.toDouble(), heading);
        else
            this->text(s, row, col, text, heading);
    }

    void date(lxw_worksheet *s, int row, int col, QDate date, bool heading)
    {
        lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0.0};
        check(worksheet_write_datetime(s, lxw_row_t(row), lxw_col_t(col), &when, heading ? m_boldDate : m_date), col, row);
    }

    void columnPixels(lxw_worksheet *s, int col, int pixels)
    {
        check(worksheet_set_column_pixels(s, lxw_col_t(col), lxw_col_t(col), uint32_t(std::max(pixels, 0)), nullptr), col, 0);
    }
    void columnChars(lxw_worksheet *s, int first, int last, double chars)
    {
        check(worksheet_set_column(s, lxw_col_t(first), lxw_col_t(last), chars, nullptr), first, 0);
    }

    // Closes the workbook (the library writes the file then) and reads it back.
    QByteArray finish()
    {
        lxw_workbook *book = m_book;
        m_book = nullptr; // closing frees it, whatever the result
        const lxw_error result = workbook_close(book);
        if (result != LXW_NO_ERROR)
            fail(QStringLiteral("книга не собрана (%1)").arg(QString::fromUtf8(lxw_strerror(result))));
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            fail(QStringLiteral("собранная книга не прочитана (%1)").arg(file.errorString()));
        QByteArray bytes = file.readAll();
        if (bytes.size() != file.size())
            fail(QStringLiteral("собранная книга не прочитана (%1)").arg(file.errorString()));
        return bytes;
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw FileError(QStringLiteral("Файл %1 не записан: %2.").arg(quotedPath(m_fileName), why));
    }
    void check(lxw_error result, int col, int row) const
    {
        if (result != LXW_NO_ERROR)
            fail(QStringLiteral("ячейка %1 листа %2 не записана (%3)")
                     .arg(cellName(col, row), quotedExcerpt(m_sheetName), QString::fromUtf8(lxw_strerror(result))));
    }

    QString m_fileName;
    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_nativePath;
    QByteArray m_tmp;
    lxw_workbook *m_book = nullptr;
    lxw_format *m_bold = nullptr;
    lxw_format *m_date = nullptr;
    lxw_format *m_boldDate = nullptr;
    QString m_sheetName;
};

// A lesson date the teacher typed with its year: "05.09.2024", "5.9.2024", "05.09.24".
QDate lessonDate(const QString &text)
{
    const QString t = text.trimmed();
    for (const char *format : {"dd.MM.yyyy", "d.M.yyyy", "dd.MM.yy", "d.M.yy"}) {
        QDate date = QDate::fromString(t, QLatin1String(format));
        if (!date.isValid())
            continue;
        if (QLatin1String(format).endsWith(QLatin1String(".yy")))
            date = date.addYears(100); // "24" is 2024, not 1924
        if (date.year() >= 1900 && date.year() <= 9999)
            return date;
    }
    return {};
}

void journalSheet(Book &book, const Grid &journal)
{
    using namespace JournalLayout;
    lxw_worksheet *s = book.sheet("Журнал");
    book.checkFits(journal.colCount(), journal.rowCount());
    for (int c = 0; c < journal.colCount(); ++c) {
        book.columnPixels(s, c, journal.colWidth(c));
        const bool lesson = c >= kFirstLessonCol;
        const std::vector<QString> &column = journal.column(c);
        for (int r = 0; r < journal.rowCount(); ++r) {
            const QString &text = column[size_t(r)];
            if (text.isEmpty())
                continue;
            const bool heading = r < kFixedRows || c < kFixedCols;
            if (lesson && r == kDateRow) {
                if (const QDate date = lessonDate(text); date.isValid()) {
                    book.date(s, r, c, date, heading);
                    continue;
                }
            }
            // Numbers where the recalculation reads numbers: the weights, the
            // scores, the students' numbers.
            const bool score = lesson && r >= kFirstStudentRow;
            const bool counted = (lesson && r == kWeightRow) || (c == kNumberCol && r >= kFirstStudentRow);
            Decimal4 value;
            if (score && ScoreCell::classify(text) == ScoreCell::Kind::Score)
                book.number(s, r, c, Decimal4::fromText(text).toDouble(), heading);
            else if (counted && IsNumberText(text) && Decimal4::parse(text, value) == Decimal4::Parse::Ok)
                book.number(s, r, c, value.toDouble(), heading);
            else
                book.text(s, r, c, text, heading);
        }
    }
    worksheet_freeze_panes(s, lxw_row_t(std::min(kFixedRows, journal.rowCount())),
                           lxw_col_t(std::min(kFixedCols, journal.colCount())));
}

void resultsSheet(Book &book, const Grid &itog)
{
    using namespace ResultGrids;
    lxw_worksheet *s = book.sheet("Итоги");
    const int placeCol = itog.colCount();
    book.checkFits(placeCol + 1, itog.rowCount());
    const QList<int> place = places(itog);
    for (int r = 0; r < itog.rowCount(); ++r) {
        for (int c = 0; c < itog.colCount(); ++c) {
            const QString &text = itog.cell(c, r);
            if (r == 0 || c == NameCol)
                book.text(s, r, c, r == 0 ? text.trimmed() : text, r == 0);
            else
                book.numberOrText(s, r, c, text, false);
        }
        if (r == 0)
            book.text(s, r, placeCol, QStringLiteral("Место"), true);
        else if (place[r - 1] > 0)
            book.number(s, r, placeCol, place[r - 1], false);
    }
    book.columnChars(s, NumberCol, NumberCol, 5);
    book.columnChars(s, NameCol, NameCol, 32);
    book.columnChars(s, SumCol, placeCol, 13);
    worksheet_freeze_panes(s, 1, lxw_col_t(std::min(2, itog.colCount())));
}

void distributionSheet(Book &book, const Grid &uspev, const Indicators &indicators)
{
    lxw_worksheet *s = book.sheet("Распределение");
    book.checkFits(uspev.colCount(), uspev.rowCount() + 5);
    for (int r = 0; r < uspev.rowCount(); ++r)
        for (int c = 0; c < uspev.colCount(); ++c) {
            if (c == 0)
                book.text(s, r, c, uspev.cell(c, r), true);
            else
                book.numberOrText(s, r, c, uspev.cell(c, r), r == 0);
        }
    int r = uspev.rowCount() + 1;
    book.text(s, r, 0, QStringLiteral("Показатель"), true);
    book.text(s, r, 1, QStringLiteral("Значение"), true);
    for (const auto &[name, value] : {std::pair{"Успеваемость", &indicators.uspewa}, std::pair{"Качество", &indicators.ka4},
                                      std::pair{"Обученность", &indicators.obu4}}) {
        ++r;
        book.text(s, r, 0, QString::fromUtf8(name), true);
        book.numberOrText(s, r, 1, *value, false);
    }
    book.columnChars(s, 0, 0, 16);
    book.columnChars(s, 1, std::max(1, uspev.colCount() - 1), 10);
    worksheet_freeze_panes(s, 1, 1);
}

// The canonical target, FileError naming it when it may not be written.
QString checkedTarget(const QString &filePath)
{
    const QFileInfo given(filePath);
    // No data file of the program ends so: a slip of the name never replaces a journal.
    if (!given.fileName().endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) || given.fileName().size() <= 5)
        throw FileError(QStringLiteral("Файл %1 не записан: имя книги Excel должно кончаться на «.xlsx».").arg(quotedPath(filePath)));
    const QString folder = QFileInfo(given.absolutePath()).canonicalFilePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw FileError(QStringLiteral("Файл %1 не записан: нет папки %2.").arg(quotedPath(filePath), quotedPath(given.absolutePath())));
    const QString target = folder == u'/' ? u'/' + given.fileName() : folder + u'/' + given.fileName();
    const QString special = DurableFile::notRegularFile(target);
    if (!special.isEmpty() || given.fileName().isEmpty())
        throw FileError(QStringLiteral("Файл %1 не записан: %2.")
                            .arg(quotedPath(filePath), special.isEmpty() ? QStringLiteral("это папка, а не файл") : special));
    DurableFile::checkReplaceable(target);
    return target;
}

} // namespace

QList<int> places(const Grid &itog)
{
    const QString average = ResultGrids::averageStudentName();
    const int rows = std::max(itog.rowCount() - 1, 0);
    QList<Decimal4> sums(rows);
    QList<bool> counted(rows, false);
    for (int r = 1; r <= rows; ++r) {
        Decimal4 sum;
        counted[r - 1] = itog.cell(ResultGrids::NameCol, r) != average
                         && Decimal4::parse(itog.cell(ResultGrids::SumCol, r), sum) == Decimal4::Parse::Ok;
        sums[r - 1] = sum;
    }
    QList<int> result(rows, 0);
    for (int i = 0; i < rows; ++i) {
        if (!counted[i])
            continue;
        int above = 0;
        for (int j = 0; j < rows; ++j)
            above += counted[j] && sums[i] < sums[j];
        result[i] = above + 1;
    }
    return result;
}

QByteArray workbook(const Content &content, const QString &fileName)
{
    Book book(fileName);
    journalSheet(book, content.journal);
    resultsSheet(book, content.itog);
    distributionSheet(book, content.uspev, content.indicators);
    return book.finish();
}

void write(const Content &content, const QString &filePath)
{
    const QString target = checkedTarget(filePath);
    const QByteArray bytes = workbook(content, filePath);
    DurableFile::StagedFile file(target, DurableFile::Permissions::Kept);
    file.write(bytes);
    file.replaceTarget();
}

} // namespace ResultsXlsx
