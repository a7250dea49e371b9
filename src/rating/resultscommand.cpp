#include "rating/resultscommand.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/journalsession.h"
#include "journal/gridfile.h"
#include "journal/journalfolder.h"
#include "rating/commandwords.h"
#include "rating/dynamics.h"
#include "rating/gradingscale.h"
#include "rating/ranking.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"
#include "rating/resultsxlsx.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <new>
#include <optional>

namespace {

struct Options
{
    QString folder;
    QString root;
    bool rootGiven = false; // also when --data names an empty text
    std::optional<QString> t3, t4, t5, student;
    bool average = false;
    bool rank = false;
    bool csv = false;
    bool xlsx = false;
    QChar separator = u',';
    std::optional<QString> output;
    bool help = false;
};

// Parses the words; an empty result is success, otherwise the message.
QString parseOptions(const QStringList &args, Options &o)
{
    const QString error = CommandWords::walk(args, 0, o.folder, o.help, [&o](const CommandWords::Option &opt, const CommandWords::ValueReader &value) -> QString {
        auto flag = [&opt](bool &target) -> QString {
            if (opt.inlineValue)
                return QStringLiteral("Параметр %1 не принимает значения.").arg(quotedExcerpt(opt.name));
            target = true;
            return {};
        };
        const QString &name = opt.name;
        if (name == QLatin1String("--data")) {
            o.rootGiven = true;
            return value(o.root);
        }
        if (name == QLatin1String("--t3") || name == QLatin1String("--t4") || name == QLatin1String("--t5")
            || name == QLatin1String("--student")) {
            QString text;
            const QString e = value(text);
            if (e.isEmpty()) {
                auto &slot = name == QLatin1String("--t3")   ? o.t3
                             : name == QLatin1String("--t4") ? o.t4
                             : name == QLatin1String("--t5") ? o.t5
                                                             : o.student;
                slot = text;
            }
            return e;
        }
        if (name == QLatin1String("--average"))
            return flag(o.average);
        if (name == QLatin1String("--rank"))
            return flag(o.rank);
        if (name == QLatin1String("--help")) // "--help=..."
            return flag(o.help);
        if (name == QLatin1String("--format")) {
            QString text;
            const QString e = value(text);
            if (!e.isEmpty())
                return e;
            o.csv = text == QLatin1String("csv");
            o.xlsx = text == QLatin1String("xlsx");
            if (!o.csv && !o.xlsx && text != QLatin1String("json"))
                return QStringLiteral("Неизвестный формат %1: допускаются json, csv и xlsx.").arg(quotedExcerpt(text));
            return {};
        }
        if (name == QLatin1String("--csv-separator")) {
            QString text;
            const QString e = value(text);
            if (!e.isEmpty())
                return e;
            // The quote and the line ends would make the fields unreadable.
            if (text.size() != 1 || text == QLatin1String("\"") || (text.front().unicode() < 0x20 && text.front() != u'\t') || text.front().isSurrogate())
                return QStringLiteral("После --csv-separator нужен один знак (например, «;»), а не %1.").arg(quotedExcerpt(text));
            o.separator = text.front();
            return {};
        }
        if (name == QLatin1String("-o") || name == QLatin1String("--output")) {
            QString text;
            const QString e = value(text);
            if (e.isEmpty())
                o.output = text;
            return e;
        }
        return CommandWords::unknownOption(opt.word);
    });
    if (!error.isEmpty() || o.help)
        return error;
    if (o.folder.isEmpty())
        return QStringLiteral("Не задана папка журнала.");
    if (o.output && o.output->isEmpty())
        return QStringLiteral("После -o указан пустой текст вместо имени файла.");
    if (o.xlsx && !o.output)
        return QStringLiteral("Для --format xlsx нужен параметр -o ФАЙЛ.xlsx: книга Excel не выводится на экран.");
    if (o.output && !o.xlsx)
        return QStringLiteral("Параметр -o задаёт файл книги --format xlsx; json и csv выводятся на стандартный вывод.");
    return {};
}

QString jsonString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        switch (u) {
        case u'"': out += QLatin1String("\\\""); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\b': out += QLatin1String("\\b"); break;
        case u'\f': out += QLatin1String("\\f"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        default:
            if (u < 0x20)
                out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
            else
                out += ch;
        }
    }
    out += u'"';
    return out;
}

// The rows of a grid as a JSON list of lists of cell texts.
void writeJsonRows(QTextStream &out, const Grid &grid)
{
    out << "[";
    for (int r = 0; r < grid.rowCount(); ++r) {
        out << (r ? ",\n    [" : "\n    [");
        for (int c = 0; c < grid.colCount(); ++c)
            out << (c ? ", " : "") << jsonString(grid.cell(c, r));
        out << "]";
    }
    out << "\n  ]";
}

QString csvField(const QString &text, QChar separator)
{
    const bool quote = text.contains(separator) || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n')
                       || (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back())));
    if (!quote)
        return text;
    QString q = text;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

// Reads the journal, computes and writes the whole result into text.
void computeResults(const Options &o, const JournalReader &readJournal, QString &text, QTextStream &err)
{
    QTextStream out(&text);
    const QString root = o.root.isEmpty() ? QDir::currentPath() : o.root;
    JournalSession session(root);
    const QString folder = commandJournalFolder(o.folder, o.root);
    session.loadJournalFile(folder, readJournal);
    // The workbook's journal sheet has the journal's column widths, as the window shows them.
    if (o.xlsx)
        ReadColumnWidths(QDir(folder).filePath(QStringLiteral("ColSpStud.txt")), session.journal(), &session.summi());

    Thresholds &thresholds = session.thresholds();
    thresholds = commandThresholds(root, o.t3, o.t4, o.t5);

    Grid &journal = session.journal();
    Grid &itog = session.itog();
    Grid &uspev = session.uspev();
    Grid &summi = session.summi();
    ResultGrids::writeSummiLabels(summi);
    const Indicators &indicators = session.indicators();

    session.recalculate();
    if (o.student && !Dynamics::fillDynamics(journal, *o.student, summi))
        err << QStringLiteral("Ученик %1 в журнале не найден; строки ученика в динамике не заполнены.\n")
                   .arg(quotedExcerpt(*o.student));
    if (o.average)
        Ranking::appendAverageStudent(itog);
    if (o.rank)
        Ranking::rankResults(itog);

    if (o.xlsx) {
        ResultsXlsx::write({journal, itog, uspev, indicators}, *o.output);
        out << QStringLiteral("Книга записана в %1.\n").arg(QFileInfo(*o.output).absoluteFilePath());
    } else if (o.csv) {
        // The mark lets a spreadsheet read the text as UTF-8.
        out << QChar(0xFEFF);
        for (int r = 0; r < itog.rowCount(); ++r) {
            for (int c = 0; c < itog.colCount(); ++c) {
                if (c)
                    out << o.separator;
                out << csvField(itog.cell(c, r), o.separator);
            }
            out << "\r\n";
        }
    } else {
        out << "{\n  \"itog\": ";
        writeJsonRows(out, itog);
        out << ",\n  \"uspev\": ";
        writeJsonRows(out, uspev);
        out << ",\n  \"indicators\": {\"Uspewa\": " << jsonString(indicators.uspewa)
            << ", \"Ka4\": " << jsonString(indicators.ka4) << ", \"Obu4\": " << jsonString(indicators.obu4) << "},\n  \"summi\": ";
        writeJsonRows(out, summi);
        out << "\n}\n";
    }
    out.flush();
}

void writeFailure(QTextStream &err, const QString &message) noexcept
{
    try {
        err << message << "\n";
        err.flush();
    } catch (...) {
        // Not even the message fits in memory: a fixed text, written without allocating.
        std::fputs("Команда results не выполнена: недостаточно памяти.\n", stderr);
    }
}

// Runs one step of the command so that no failure escapes it: the project's
// errors print their own message, everything else a message of ours, and each
// gives the exit code 1. journalFolder, once known, is named in those messages.
int guarded(QTextStream &err, const QString &journalFolder, const std::function<int()> &step) noexcept
{
    try {
        return step();
    } catch (const ZError &e) {
        writeFailure(err, e.message());
    } catch (const std::bad_alloc &) {
        writeFailure(err, journalFolder.isEmpty()
                              ? QStringLiteral("Команда results не выполнена: недостаточно памяти.")
                              : QStringLiteral("Недостаточно памяти, чтобы прочитать и рассчитать журнал %1.")
                                    .arg(quotedExcerpt(journalFolder)));
    } catch (...) {
        // A standard exception's own text is not Russian and names nothing of the user's.
        writeFailure(err, journalFolder.isEmpty()
                              ? QStringLiteral("Команда results не выполнена: непредвиденная ошибка программы.")
                              : QStringLiteral("Журнал %1 не рассчитан: непредвиденная ошибка программы.")
                                    .arg(quotedExcerpt(journalFolder)));
    }
    return 1;
}

} // namespace

QString commandJournalFolder(const QString &folder, const QString &rootOption)
{
    const QString root = rootOption.isEmpty() ? QDir::currentPath() : rootOption;
    if (QDir::isAbsolutePath(folder))
        return JournalFolder::checkedPath(root, folder);
    const QString inRoot = QDir(root).absoluteFilePath(folder);
    if (!rootOption.isEmpty() && !QFileInfo(inRoot).isDir() && QFileInfo(folder).isDir())
        return JournalFolder::checkedPath(root, QDir::current().absoluteFilePath(folder));
    return JournalFolder::checkedPath(root, inRoot);
}

QString commandDataRootProblem(const QString &rootOption, bool rootGiven)
{
    if (!rootGiven)
        return {};
    if (rootOption.isEmpty())
        return QStringLiteral("После «--data» указан пустой текст вместо папки данных.");
    const QFileInfo info(rootOption);
    if (!info.exists())
        return QStringLiteral("Папка данных %1 не найдена.").arg(quotedExcerpt(rootOption));
    if (!info.isDir())
        return QStringLiteral("%1 не папка: после --data нужна папка данных.").arg(quotedExcerpt(rootOption));
    return {};
}

Thresholds commandThresholds(const QString &root, const std::optional<QString> &t3, const std::optional<QString> &t4,
                             const std::optional<QString> &t5)
{
    Thresholds thresholds;
    if (!t3 || !t4 || !t5) {
        const QString pasport = GradingScale::scaleFile(root);
        if (QFileInfo::exists(pasport))
            thresholds = GradingScale::readFile(pasport);
    }
    if (t3)
        thresholds.t3 = *t3;
    if (t4)
        thresholds.t4 = *t4;
    if (t5)
        thresholds.t5 = *t5;
    return thresholds;
}

QString resultsUsageText()
{
    return QStringLiteral(
        "  zhurnal results ПАПКА_ЖУРНАЛА [--data КОРЕНЬ] [--t3 ТЕКСТ] [--t4 ТЕКСТ] [--t5 ТЕКСТ]\n"
        "                  [--student ФИО] [--average] [--rank] [--format json|csv|xlsx]\n"
        "                  [--csv-separator ЗНАК] [-o ФАЙЛ.xlsx]\n"
        "      рассчитать рейтинг журнала без окна и вывести итоги. Слово results идёт\n"
        "      сразу после zhurnal, а все параметры команды — после слова results.\n"
        "      ПАПКА_ЖУРНАЛА      папка с файлом SpStud.txt (внутри КОРНЯ или от текущей папки)\n"
        "      --data КОРЕНЬ      существующая папка данных (без --data — текущая папка);\n"
        "                         из неё берётся Baza/Pasport.txt\n"
        "      --t3, --t4, --t5 ТЕКСТ\n"
        "                         пороги оценок 3, 4 и 5 в процентах (по умолчанию\n"
        "                         из Baza/Pasport.txt, а без него 50, 70 и 85)\n"
        "      --student ФИО      заполнить строки этого ученика в динамике\n"
        "      --average          добавить строку среднего ученика\n"
        "      --rank             ранжировать учеников по баллам\n"
        "      --format json|csv|xlsx\n"
        "                         json (по умолчанию) — итоги, успеваемость, показатели\n"
        "                         и суммы одним объектом JSON; csv — только таблица итогов\n"
        "                         (UTF-8 с меткой BOM); xlsx — книга Excel в файл -o с листами\n"
        "                         «Журнал», «Итоги» (с местом ученика) и «Распределение»;\n"
        "                         --average и --rank меняют лист «Итоги», --student\n"
        "                         к книге не относится\n"
        "      --csv-separator ЗНАК\n"
        "                         разделитель полей csv, один знак, например «;»\n"
        "                         или табуляция (по умолчанию «,»)\n"
        "      -o ФАЙЛ.xlsx       файл книги для --format xlsx (обязателен для xlsx)\n"
        "      -h, --help         эта справка по команде results\n");
}

int runResultsCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    return runResultsCommand(args, out, err, &ReadGridFile);
}

int runResultsCommand(const QStringList &args, QTextStream &out, QTextStream &err, const JournalReader &readJournal)
{
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    Options o;
    constexpr int kGoOn = -1;
    const int parsed = guarded(err, {}, [&] {
        QString argError = parseOptions(args, o);
        if (argError.isEmpty() && !o.help)
            argError = commandDataRootProblem(o.root, o.rootGiven);
        if (!argError.isEmpty()) {
            err << argError << "\n" << QStringLiteral("Использование:\n") << resultsUsageText();
            err.flush();
            return 2;
        }
        if (o.help) {
            out << QStringLiteral("Использование:\n") << resultsUsageText();
            out.flush();
            return 0;
        }
        return kGoOn;
    });
    if (parsed != kGoOn)
        return parsed;

    return guarded(err, o.folder, [&] {
        QString text;
        computeResults(o, readJournal, text, err);
        out << text;
        out.flush();
        err.flush();
        return 0;
    });
}
