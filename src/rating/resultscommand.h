#pragma once

#include <QStringList>
#include <QTextStream>

// The command "results": the ratings of one journal on standard output, for a
// spreadsheet or a script, computed by the same code as the main window.
//
//   results JOURNAL_FOLDER [--data ROOT] [--t3 TEXT] [--t4 TEXT] [--t5 TEXT]
//           [--student NAME] [--average] [--rank] [--format json|csv]
//
// args are the words after "results". Reads only the folder's "SpStud.txt" and,
// for thresholds not given, ROOT's "Baza/Pasport.txt" when it exists (else
// "50", "70", "85"). A relative JOURNAL_FOLDER is taken inside ROOT, or in the
// working directory when ROOT has no such folder. Runs the recalculation, then
// the dynamics of --student, the average student, the ranking, and prints JSON
// (the default) or Itog as CSV. Returns 0 on success, 2 for bad arguments, 1
// for a file or conversion error; messages go to err, in Russian.
int runResultsCommand(const QStringList &args, QTextStream &out, QTextStream &err);
