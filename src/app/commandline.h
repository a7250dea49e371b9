#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// What the command line asks for.
struct CommandLine
{
    enum class Action { Run, Help, Version, Results, Report, Error };
    Action action = Action::Run;
    QString dataRoot;        // --data DIR; empty for the working directory
    QStringList resultsArgs; // the words after "results"
    QStringList reportArgs;  // the words after "report"
    QString error;           // for Action::Error
};

CommandLine parseCommandLine(const QStringList &args); // args without the program name
QString usageText();
QString versionText();
