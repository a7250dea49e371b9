#include "app/commandline.h"

#include "journal/excerpt.h"
#include "rating/resultscommand.h"
#include "reports/reportcommand.h"

CommandLine parseCommandLine(const QStringList &args)
{
    CommandLine cl;
    if (!args.isEmpty() && args.first() == QLatin1String("results")) {
        cl.action = CommandLine::Action::Results;
        cl.resultsArgs = args.mid(1);
        return cl;
    }
    if (!args.isEmpty() && args.first() == QLatin1String("report")) {
        cl.action = CommandLine::Action::Report;
        cl.reportArgs = args.mid(1);
        return cl;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.action = CommandLine::Action::Help;
            return cl;
        }
        if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
            cl.action = CommandLine::Action::Version;
            return cl;
        }
        if (a == QLatin1String("--data")) {
            if (i + 1 >= args.size()) {
                cl.action = CommandLine::Action::Error;
                cl.error = QStringLiteral("После --data нужно указать папку с данными.");
                return cl;
            }
            cl.dataRoot = args.at(++i);
            continue;
        }
        if (a.startsWith(QLatin1String("--data="))) {
            cl.dataRoot = a.mid(7);
            continue;
        }
        // Qt's own options (-platform, -style ...) are left to QApplication.
        if (a.startsWith(QLatin1Char('-'))) {
            if (a == QLatin1String("-platform") || a == QLatin1String("-style") || a == QLatin1String("-display"))
                ++i;
            continue;
        }
        cl.action = CommandLine::Action::Error;
        if (a == QLatin1String("results"))
            cl.error = QStringLiteral("Слово results пишется сразу после zhurnal, а параметры команды (и её --data) — "
                                      "после него: zhurnal results ПАПКА_ЖУРНАЛА --data КОРЕНЬ. Справка: zhurnal --help");
        else if (a == QLatin1String("report"))
            cl.error = QStringLiteral("Слово report пишется сразу после zhurnal, а параметры команды (и её --data) — "
                                      "после него: zhurnal report ВИД ПАПКА_ЖУРНАЛА --data КОРЕНЬ. Справка: zhurnal --help");
        else
            cl.error = QStringLiteral("Непонятный параметр %1. Справка: zhurnal --help").arg(quotedExcerpt(a));
        return cl;
    }
    return cl;
}

QString usageText()
{
    // The parts about "results" and "report" are the commands' own help, so they cannot drift apart.
    return QStringLiteral(
               "Использование:\n"
               "  zhurnal [--data ПАПКА]\n"
               "      запустить журнал успеваемости в окне; ПАПКА — корень данных (в ней Baza/Gurnali.txt,\n"
               "      Baza/Pasport.txt и папки групп); без --data — текущая папка.\n"
               "  zhurnal -h, --help      эта справка\n"
               "  zhurnal -v, --version   версия программы\n"
               "  Параметры окна --data, --help и --version пишутся после zhurnal; у команд results\n"
               "  и report свои параметры, они идут после слова results или report.\n")
           + resultsUsageText() + reportUsageText();
}

QString versionText()
{
    return QStringLiteral("Журнал успеваемости (zhurnal), версия %1\n").arg(QStringLiteral(ZHURNAL_VERSION));
}
