#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The words of a command without a window ("results", "report"): one journal
// folder and options, "--name value" or "--name=value".
namespace CommandWords {

// One option word: its name, and the text after "=" of "--name=value".
struct Option
{
    QString word; // as typed
    QString name;
    std::optional<QString> inlineValue;
};

// Reads an option's value into the target: the text after "=", else the next
// word unless that is an option itself; returns the message when there is none.
using ValueReader = std::function<QString(QString &target)>;

// Handles one option; returns the message when it is wrong.
using OptionHandler = std::function<QString(const Option &option, const ValueReader &value)>;

// Walks args from index `from`. A word that is no option (and every word after
// "--") is the folder; a second one is an error. "-h" and "--help" set help and
// end the walk. Every other option goes to the handler. Returns the first message.
QString walk(const QStringList &args, int from, QString &folder, bool &help, const OptionHandler &handler);

// The message for an option nobody knows.
QString unknownOption(const QString &word);

} // namespace CommandWords
