#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTextStream>

#include <functional>

// The command "report": one of the six printed reports of a journal, without a
// window, as the window builds it right after loading that journal.
//
//   report journal|dossier|ticket|themes|plan|catalogue [JOURNAL_FOLDER] [--data ROOT]
//          [--student NAME] [--t3 T --t4 T --t5 T] [--date ДД.ММ.ГГГГ] [-o FILE.docx]
//          [--pdf -o FILE.pdf]
//
// args are the words after "report". JOURNAL_FOLDER and the thresholds are
// taken as the command "results" takes them; the journal's heading texts come
// from its catalogue entry (its folder names when the catalogue has none).
// --student is the name the dossier and the ticket are for (their dynamics and
// ranking run first, as the buttons run them); --date replaces today's date;
// -o writes that file instead of one in ROOT's reports folder and opens
// nothing. Prints the path of the written file and returns 0; 2 for bad
// arguments, 1 when the data cannot be read or the report stops (the message
// on err). `open` opens a document written into the reports folder. --pdf
// writes the -o file as a PDF made by `pdf` of the report's content and name.
class DocumentContent;
using ReportPdfMaker = std::function<QByteArray(const DocumentContent &content, const QString &title)>;
int runReportCommand(const QStringList &args, QTextStream &out, QTextStream &err,
                     const std::function<bool(const QString &path)> &open = {}, const ReportPdfMaker &pdf = {});

// True when the words after "report" ask for a PDF (its making needs fonts).
bool reportWantsPdf(const QStringList &args);

// The usage of "report", as the command's help and "zhurnal --help" print it.
QString reportUsageText();
