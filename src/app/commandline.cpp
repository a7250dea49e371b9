#include "app/commandline.h"

CommandLine parseCommandLine(const QStringList &args)
{
    CommandLine cl;
    if (!args.isEmpty() && args.first() == QLatin1String("results")) {
        cl.action = CommandLine::Action::Results;
        cl.resultsArgs = args.mid(1);
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
        cl.error = QStringLiteral("Непонятный параметр «%1». Справка: zhurnal --help").arg(a);
        return cl;
    }
    return cl;
}

QString usageText()
{
    return QStringLiteral(
        "Использование:\n"
        "  zhurnal [--data ПАПКА]\n"
        "      запустить журнал успеваемости; ПАПКА — корень данных (в ней Baza/Gurnali.txt,\n"
        "      Baza/Pasport.txt и папки групп); без --data — текущая папка.\n"
        "  zhurnal results ПАПКА_ЖУРНАЛА [--data КОРЕНЬ] [--t3 ТЕКСТ] [--t4 ТЕКСТ] [--t5 ТЕКСТ]\n"
        "                  [--student ФИО] [--average] [--rank] [--format json|csv]\n"
        "      рассчитать рейтинг журнала без окна и вывести итоги (JSON или CSV).\n"
        "  zhurnal --help      эта справка\n"
        "  zhurnal --version   версия программы\n");
}

QString versionText()
{
    return QStringLiteral("Журнал успеваемости (zhurnal), версия %1\n").arg(QStringLiteral(ZHURNAL_VERSION));
}
