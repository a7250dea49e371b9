#pragma once

#include <QStringList>
#include <QTextStream>

#include "rating/gradingscale.h"

#include <functional>
#include <optional>

class Grid;

// The command "results": the ratings of one journal on standard output, for a
// spreadsheet or a script, computed by the same code as the main window.
//
//   results JOURNAL_FOLDER [--data ROOT] [--t3 TEXT] [--t4 TEXT] [--t5 TEXT]
//           [--student NAME] [--average] [--rank] [--format json|csv|xlsx]
//           [--csv-separator CHAR] [-o FILE.xlsx]
//
// args are the words after "results". Reads only the folder's "SpStud.txt" and,
// for thresholds not given, ROOT's "Baza/Pasport.txt" when it exists (else
// "50", "70", "85"). A relative JOURNAL_FOLDER is taken inside ROOT, or in the
// working directory when ROOT has no such folder. Runs the recalculation, then
// the dynamics of --student, the average student, the ranking, and prints JSON
// (the default), Itog as CSV (UTF-8 with a byte order mark, fields split by
// CHAR, "," without it), or writes the workbook of ResultsXlsx into FILE.xlsx. "-h" or "--help" prints the usage to out and
// returns 0. Returns 2 for bad arguments (a --data that is not an existing
// folder among them) and 1 for any failure while reading or computing; nothing
// escapes, and nothing reaches out unless the whole result is ready. Messages
// go to err, in Russian.
int runResultsCommand(const QStringList &args, QTextStream &out, QTextStream &err);

// How the command reads the journal's grid file; the command itself uses ReadGridFile.
using JournalReader = std::function<void(const QString &path, Grid &journal)>;
// The same command with another reader of "SpStud.txt".
int runResultsCommand(const QStringList &args, QTextStream &out, QTextStream &err, const JournalReader &readJournal);

// The usage of "results" without its heading, as both the command's help and
// the program's "zhurnal --help" print it.
QString resultsUsageText();

// What the commands that read one journal share.
// The journal folder as an absolute path: an absolute one as it is; a relative
// one inside the --data root (the working directory without it), or in the
// working directory when the root has no such folder. Checked as the window
// checks a journal folder (JournalFolder::checkedPath): ZError when it is a
// symbolic link or lies in one.
QString commandJournalFolder(const QString &folder, const QString &rootOption);
// Why the text after --data names no data root (empty, missing, no folder), or
// an empty text when it does or when --data was not given.
QString commandDataRootProblem(const QString &rootOption, bool rootGiven);
// The thresholds given, the others from the root's "Baza/Pasport.txt" when it
// is there, else "50", "70" and "85".
Thresholds commandThresholds(const QString &root, const std::optional<QString> &t3, const std::optional<QString> &t4,
                             const std::optional<QString> &t5);
