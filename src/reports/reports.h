#pragma once

#include "journal/errors.h"
#include "journal/journalsession.h"
#include "rating/gradingscale.h"
#include "rating/recalculation.h"

#include <QDate>
#include <QString>

#include <functional>

class Grid;
class ReportDocument;

// The six printed reports. Each calls the document operations in its fixed
// order on what the windows show: the grids as they stand and the edits'
// texts, never the files. A report that stops throws a ZError naming the cell
// or text at fault before ShowReport, so no document appears.
namespace Reports {

// What the main window shows, as the reports of its buttons read it.
struct MainWindowView
{
    const Grid &journal; // SpisokSt
    const Grid &themes;  // TemiSpisok
    const Grid &summi;   // the dynamics window's grid
    const Grid &itog;
    const Grid &uspev;
    JournalIdentity heading; // the edits Gruppa, PredmNaz, PapkaName, Semestr, GodS, Komment
    QString fio;             // the edit FIO
    Indicators indicators;   // the edits Uspewa, Ka4, Obu4
    Thresholds thresholds;   // as typed in the grading-scale window
    QDate date;              // the date the headings show
};

// The date as the headings show it: ДД.ММ.ГГГГ.
QString dateText(const QDate &date);

// The names the written documents carry.
QString journalTableName();
QString dossierName(const QString &fio);
QString ticketName(const QString &fio);
QString themesDoneName();
QString thematicPlanName();
QString catalogueName();

// No student is chosen: the FIO text is empty or blank.
class NoStudentChosen : public ZError
{
public:
    NoStudentChosen();
};

// True when the FIO text names no one (empty or blank).
bool noStudentChosen(const QString &fio);

// The journal row of the student a dossier or a ticket is for: the first
// student row whose name, trimmed, equals the trimmed FIO text exactly.
// NoStudentChosen for a blank FIO; a ZError when the journal has no student
// rows or no row has that name.
int studentRow(const Grid &journal, const QString &fio);

// What the dossier and the ticket run first, as their buttons do: the
// dynamics of the named student (when the name finds one), then, after
// `dynamicsDone`, the ranking of the results.
void runDynamicsAndRanking(const Grid &journal, const QString &fio, Grid &summi, Grid &itog,
                           const std::function<void()> &dynamicsDone = {});

// The journal table: the heading, Itog with the grade and signature columns
// and the total row of absences, the indicators and the grade table.
void journalTable(ReportDocument &doc, const MainWindowView &view);
// The student dossier of journal row `row`: the history of every lesson, the
// results table and the grade table.
void dossier(ReportDocument &doc, const MainWindowView &view, int row);
// The examination ticket of journal row `row`: every lesson the student missed.
void ticket(ReportDocument &doc, const MainWindowView &view, int row);
// Every lesson held, with the group's best and average score and its theme.
void themesDone(ReportDocument &doc, const MainWindowView &view);
// The theme list under the journal's heading.
void thematicPlan(ReportDocument &doc, const Grid &themes, const JournalIdentity &heading, const QDate &date);
// The journal catalogue.
void catalogue(ReportDocument &doc, const Grid &catalogue, const QDate &date);

} // namespace Reports
