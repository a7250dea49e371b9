#include "rating/commandwords.h"

#include "journal/excerpt.h"

namespace CommandWords {

QString unknownOption(const QString &word)
{
    return QStringLiteral("Неизвестный параметр %1.").arg(quotedExcerpt(word));
}

QString walk(const QStringList &args, int from, QString &folder, bool &help, const OptionHandler &handler)
{
    bool positionalOnly = false;
    for (int i = from; i < args.size(); ++i) {
        const QString &word = args[i];
        const bool option = !positionalOnly && word.startsWith(u'-') && word.size() > 1;
        if (!option) {
            if (!folder.isNull())
                return QStringLiteral("Лишний параметр %1: папка журнала уже задана (%2).")
                    .arg(quotedExcerpt(word), quotedExcerpt(folder));
            folder = word;
            continue;
        }
        if (word == QLatin1String("--")) {
            positionalOnly = true;
            continue;
        }
        if (word == QLatin1String("-h") || word == QLatin1String("--help")) {
            help = true;
            return {};
        }
        Option o{word, word, std::nullopt};
        const qsizetype eq = word.indexOf(u'=');
        if (word.startsWith(QLatin1String("--")) && eq > 0) {
            o.name = word.left(eq);
            o.inlineValue = word.mid(eq + 1);
        }
        const ValueReader value = [&](QString &target) -> QString {
            if (o.inlineValue) {
                target = *o.inlineValue;
                return {};
            }
            // A following option is no value ("--t3 --rank"); "--t3=..." takes any text.
            if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--")))
                return QStringLiteral("После %1 нужно значение.").arg(quotedExcerpt(o.name));
            target = args[++i];
            return {};
        };
        const QString error = handler(o, value);
        if (!error.isEmpty())
            return error;
    }
    return {};
}

} // namespace CommandWords
