#include "rating/resultscommand.h"

#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"
#include "rating/dynamics.h"
#include "rating/gradingscale.h"
#include "rating/ranking.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace {

const char kUsage[] =
    "Использование: zhurnal results ПАПКА_ЖУРНАЛА [--data КОРЕНЬ] [--t3 ТЕКСТ] [--t4 ТЕКСТ] [--t5 ТЕКСТ]\n"
    "                              [--student ИМЯ] [--average] [--rank] [--format json|csv]\n"
    "  ПАПКА_ЖУРНАЛА   папка с файлом SpStud.txt (внутри КОРНЯ или от текущей папки)\n"
    "  --data КОРЕНЬ   папка данных (по умолчанию текущая); из неё берётся Baza/Pasport.txt\n"
    "  --t3/--t4/--t5  пороги оценок 3, 4 и 5 в процентах (по умолчанию из Baza/Pasport.txt или 50, 70, 85)\n"
    "  --student ИМЯ   заполнить строки ученика в динамике\n"
    "  --average       добавить строку среднего ученика\n"
    "  --rank          ранжировать по баллам\n"
    "  --format        json (по умолчанию) или csv (таблица итогов)\n";

struct Options
{
    QString folder;
    QString root;
    std::optional<QString> t3, t4, t5, student;
    bool average = false;
    bool rank = false;
    bool csv = false;
    bool help = false;
};

// Parses the words; an empty result is success, otherwise the message.
QString parseOptions(const QStringList &args, Options &o)
{
    bool positionalOnly = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &word = args[i];
        if (positionalOnly || !word.startsWith(QLatin1String("--")) || word == QLatin1String("-")) {
            if (!positionalOnly && word.startsWith(u'-') && word.size() > 1)
                return QStringLiteral("Неизвестный параметр «%1».").arg(word);
            if (!o.folder.isNull())
                return QStringLiteral("Лишний параметр «%1»: папка журнала уже задана («%2»).").arg(word, o.folder);
            o.folder = word;
            continue;
        }
        if (word == QLatin1String("--")) {
            positionalOnly = true;
            continue;
        }
        QString name = word;
        std::optional<QString> inlineValue;
        const qsizetype eq = word.indexOf(u'=');
        if (eq > 0) {
            name = word.left(eq);
            inlineValue = word.mid(eq + 1);
        }
        auto value = [&](QString &target) -> QString {
            if (inlineValue) {
                target = *inlineValue;
                return {};
            }
            // A following option is no value ("--t3 --rank"); "--t3=..." takes any text.
            if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--")))
                return QStringLiteral("После «%1» нужно значение.").arg(name);
            target = args[++i];
            return {};
        };
        auto flag = [&](bool &target) -> QString {
            if (inlineValue)
                return QStringLiteral("Параметр «%1» не принимает значения.").arg(name);
            target = true;
            return {};
        };
        QString error;
        QString text;
        if (name == QLatin1String("--data"))
            error = value(o.root);
        else if (name == QLatin1String("--t3") || name == QLatin1String("--t4") || name == QLatin1String("--t5")
                 || name == QLatin1String("--student")) {
            error = value(text);
            if (error.isEmpty()) {
                auto &slot = name == QLatin1String("--t3")   ? o.t3
                             : name == QLatin1String("--t4") ? o.t4
                             : name == QLatin1String("--t5") ? o.t5
                                                             : o.student;
                slot = text;
            }
        } else if (name == QLatin1String("--average"))
            error = flag(o.average);
        else if (name == QLatin1String("--rank"))
            error = flag(o.rank);
        else if (name == QLatin1String("--help"))
            error = flag(o.help);
        else if (name == QLatin1String("--format")) {
            error = value(text);
            if (error.isEmpty()) {
                if (text == QLatin1String("json"))
                    o.csv = false;
                else if (text == QLatin1String("csv"))
                    o.csv = true;
                else
                    error = QStringLiteral("Неизвестный формат «%1»: допускаются json и csv.").arg(text);
            }
        } else
            error = QStringLiteral("Неизвестный параметр «%1».").arg(word);
        if (!error.isEmpty())
            return error;
    }
    if (o.help)
        return {};
    if (o.folder.isEmpty())
        return QStringLiteral("Не задана папка журнала.");
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

QString csvField(const QString &text)
{
    const bool quote = text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n')
                       || (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back())));
    if (!quote)
        return text;
    QString q = text;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

QString journalFolder(const Options &o, const QString &root)
{
    if (QDir::isAbsolutePath(o.folder))
        return o.folder;
    const QString inRoot = QDir(root).filePath(o.folder);
    if (!o.root.isEmpty() && !QFileInfo(inRoot).isDir() && QFileInfo(o.folder).isDir())
        return o.folder;
    return inRoot;
}

} // namespace

int runResultsCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    Options o;
    const QString argError = parseOptions(args, o);
    if (!argError.isEmpty()) {
        err << argError << "\n" << QString::fromUtf8(kUsage);
        err.flush();
        return 2;
    }
    if (o.help) {
        out << QString::fromUtf8(kUsage);
        out.flush();
        return 0;
    }

    try {
        const QString root = o.root.isEmpty() ? QDir::currentPath() : o.root;
        Grid journal(20, 14, 2, 4, 30);
        ReadGridFile(QDir(journalFolder(o, root)).filePath(QStringLiteral("SpStud.txt")), journal);

        Thresholds thresholds;
        if (!o.t3 || !o.t4 || !o.t5) {
            const QString pasport = QDir(root).filePath(QStringLiteral("Baza/Pasport.txt"));
            if (QFileInfo::exists(pasport))
                thresholds = GradingScale::readFile(pasport);
        }
        if (o.t3)
            thresholds.t3 = *o.t3;
        if (o.t4)
            thresholds.t4 = *o.t4;
        if (o.t5)
            thresholds.t5 = *o.t5;

        // The result grids as start-up makes them and a journal load fills them.
        Grid itog = ResultGrids::makeItog();
        Grid uspev = ResultGrids::makeUspev();
        Grid summi = ResultGrids::makeSummi();
        summi.setColCount(journal.colCount());
        ResultGrids::writeSummiCodes(journal, summi);
        ResultGrids::writeSummiLabels(summi);
        Indicators indicators;

        recalculate(journal, thresholds, itog, uspev, summi, indicators);
        if (o.student && !Dynamics::fillDynamics(journal, *o.student, summi))
            err << QStringLiteral("Ученик «%1» в журнале не найден; строки ученика в динамике не заполнены.\n").arg(*o.student);
        if (o.average)
            Ranking::appendAverageStudent(itog);
        if (o.rank)
            Ranking::rankResults(itog);

        if (o.csv) {
            for (int r = 0; r < itog.rowCount(); ++r) {
                for (int c = 0; c < itog.colCount(); ++c)
                    out << (c ? "," : "") << csvField(itog.cell(c, r));
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
        err.flush();
        return 0;
    } catch (const ZError &e) {
        err << e.message() << "\n";
        err.flush();
        return 1;
    }
}
