#pragma once

#include "journal/grid.h"
#include "journal/journaledits.h"
#include "journal/journalsession.h"

#include <QDialog>

#include <functional>

class GridView;
class HistoryDialog;
class VersionsDialog;
class QAction;
class QMenu;
namespace Reports {
struct MainWindowView;
}
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QToolButton;
class QUndoStack;

// The main window: the current journal, its results and the menu that leads to
// every other window. Shown modally by the login window; "Выход      " ends it.
// It shows the journal session's grids; what it needs of the other windows it
// asks for with a signal, and the start-up code connects them.
class TForm1 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm1(JournalSession &session, QWidget *parent = nullptr);
    ~TForm1() override;

    // Makes the catalogue's first entry the current journal and loads it.
    void FormShow();

    // Hides the window and ends its modal run.
    void closeMainWindow();

    // Loads a journal (the catalogue's load button); the error box says why it
    // could not. Unsaved changes of the open journal are asked about first.
    // True when the journal is open.
    bool openJournal(const JournalIdentity &identity);

    // A theme was chosen in the plan: the journal's column with that code
    // becomes the selected one, with a red frame; without such a column the
    // date edit shows the code.
    void showLessonOfTheme(const QString &code);

    // The journal's heading as the identity edits show it now, saved or not.
    JournalIdentity shownIdentity() const;
    // The user who entered may not change the grading scale: "Шкала перевода"
    // is disabled for the rest of the run.
    void forbidScale();
    // The same for "Сервис → Доступ": only the administrator edits the access table.
    void forbidAccessEditor();

Q_SIGNALS:
    // A journal cell was clicked: the code of its column, for the plan.
    void lessonCodeChosen(const QString &code);
    void planRequested();
    void scaleRequested();
    void accessRequested();
    void catalogueRequested();
    void dynamicsRequested();
    // A report that showed the dynamics window is done with it.
    void dynamicsCloseRequested();
    // A save made a new catalogue entry, to be completed by the teacher before
    // the journal files are written.
    void newCatalogueEntryAdded();
    // "Выход      ": the other windows are to be hidden.
    void leaving();

public Q_SLOTS:
    void ReLoadClick();
    void ObnovitClick();
    void SaveTabClick();
    void GirObClick();
    void ProvodnikClick();
    void N1Click();
    void N2Click();
    void EksportXlsxClick();
    void N3Click();
    void N4Click();
    void N5Click();
    void N6Click();
    void N7Click();
    void N8Click();
    void N10Click();
    // "Правка": the journal's edits taken back and done again.
    void OtmenitClick();
    void PovtoritClick();
    // "История изменений", "Версии журнала" and, in the journal grid's
    // context menu, "История ячейки" (of the cell the right button chose).
    void IstoriyaClick();
    void VersiiClick();
    void IstoriyaYacheykiClick();

    // Journal grid editing
    void SpisokStMouseDown(Qt::MouseButton button, const QPoint &pos);
    void SpisokStRowMoved(int from, int to);
    // The current cell moved with the keyboard: the same selection as a click.
    void SpisokStKeyMove(int col, int row);
    void PlusStrClick();
    void MinusStrClick();
    void DelStrokiClick();
    void PlusStolbClick();
    void MinusStolbClick();
    void DelStolbiClick();
    void RedSpisokClick();
    void BitBtn1Click();
    // Alt+Up / Alt+Down: the selected student changes places with the one
    // above / below him; the selection goes with him.
    void moveStudentUp();
    void moveStudentDown();

    // Results
    void Peres4etClick();
    void RangClick();
    void SrStClick();
    void CopyStolbClick();
    void TekOcenClick();
    void DinamikaClick();
    void ItogMouseDown(Qt::MouseButton button, const QPoint &pos);
    void GrafikClick();

    // Reports
    void PrintRDClick();
    void Print11Click();
    void BiletClick();
    void TemiFaktClick();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void FormCreate();
    void buildMenu();
    void buildControls();
    // Shortcuts and the Tab order.
    void setUpKeyboard();
    // The identity edits, year and comment show the session's journal.
    void showIdentity();
    // The grids of another journal: the marks go, the identity follows.
    void journalSwitched(bool identityChanged);
    // Runs a column operation and gives the dynamics grid the journal's column count.
    void columnOperation(const std::function<void(int selected)> &operation);
    int selectedRow() const;
    // Every edit of the journal and its results goes on the undo stack: done
    // already, the stack only keeps it.
    void record(JournalEditPtr edit);
    std::function<void(JournalEditPtr)> recorder();
    JournalEdits::Results results();
    // A typed text goes into the stack before the next edit does.
    void closeJournalEditor();
    // After an undo or a redo: the grids, indicators and selection as the data now stand.
    void showUndoneState();
    // The texts of "Отменить" and "Повторить" with the name of the edit they act on.
    void updateUndoActions();
    // Before a row or column deletion: the question naming what goes; true
    // to delete (also when the question is empty: nothing goes).
    bool mayDelete(const QString &question);
    // Selects the student and the lesson of a journal cell (a click or a key).
    void selectJournalCell(int col, int row);
    // The recalculation with the thresholds of the grading-scale window.
    void recalculateJournal();
    void showIndicators();
    // The status bar: how many score cells the results left out.
    void showLeftOutCells();
    // The keyboard in the journal's first score cell, ready for typing.
    void focusFirstScore();
    // The selected student moved to the row next to him (-1 above, +1 below).
    void moveStudent(int step);
    // The save with its checks and questions; true when the files were written.
    bool saveJournal();
    // Before a save writes anything: the target folder's lock (another
    // program's journal is refused with its holder), and the question when
    // another program changed the journal's files since they were read here.
    // True to go on writing.
    bool mayWriteOverDisk(const JournalIdentity &target);
    // A journal another program holds has been opened: reading only.
    void showReadOnly(const QString &reason);
    // Before the open journal is dropped (exit, another journal, reload): with
    // unsaved changes, asks whether to save them. True to go on: nothing was
    // changed, the teacher said No, or said Yes and the save succeeded.
    bool mayDropJournal();
    // Hides the other windows and ends the modal run, after the question.
    void leave();
    // What the reports read: the grids and the edits as they stand.
    Reports::MainWindowView reportView() const;
    // The dossier's and the ticket's student after the dynamics and the
    // ranking: the journal's current row moves to it; -1 (the status bar says
    // why) when no student is chosen.
    int reportStudent();
    // One of the four reports in the print preview instead of the word
    // processor: the button "Просмотр" shows the journal table and offers all
    // four in the menu of its arrow.
    void previewReport(void (TForm1::*print)());
    // Whether the report buttons open the word processor or the preview.
    bool m_previewing = false;
    QToolButton *Prosmotr = nullptr;

    JournalSession &m_session;
    Grid &m_journal;
    Grid &m_itog;
    Grid &m_uspev;
    QString m_programFolder; // folder of the executable, without a trailing separator
    bool m_closing = false;
    bool m_shownOnce = false;

    // Menu
    QMenuBar *MainMenu = nullptr;
    QAction *N10 = nullptr, *N6 = nullptr, *N4 = nullptr, *N7 = nullptr, *N9 = nullptr;
    QAction *N3 = nullptr, *N2 = nullptr, *N5 = nullptr, *N8 = nullptr, *N1 = nullptr;
    QAction *Pravka = nullptr, *Otmenit = nullptr, *Povtorit = nullptr;
    QAction *EksportXlsx = nullptr;
    QUndoStack *m_undo = nullptr;
    QAction *Istoriya = nullptr, *Versii = nullptr, *IstoriyaYacheyki = nullptr;
    QMenu *SpisokStMenu = nullptr;
    HistoryDialog *m_history = nullptr;
    VersionsDialog *m_versions = nullptr;

    // Identity of the current journal
    QGroupBox *IdentityGroup = nullptr;
    QLineEdit *Gruppa = nullptr, *PredmNaz = nullptr, *PapkaName = nullptr, *Semestr = nullptr;
    QLineEdit *GodS = nullptr, *Komment = nullptr;

    // Journal grid and editing
    QGroupBox *EditGroup = nullptr;
    GridView *SpisokSt = nullptr;
    QToolButton *SaveTab = nullptr, *RedSpisok = nullptr, *GirOb = nullptr, *BitBtn1 = nullptr;
    QLineEdit *FIO = nullptr, *DatNTar = nullptr;
    QToolButton *TekOcen = nullptr, *Print11 = nullptr, *Bilet = nullptr, *TemiFakt = nullptr;
    QToolButton *Obnovit = nullptr, *Dinamika = nullptr, *Provodnik = nullptr;
    QLineEdit *NStroki = nullptr, *NStolbca = nullptr;
    QToolButton *PlusStr = nullptr, *MinusStr = nullptr, *DelStroki = nullptr;
    QToolButton *PlusStolb = nullptr, *MinusStolb = nullptr, *DelStolbi = nullptr;

    // Results
    GridView *Itog = nullptr;
    QToolButton *Peres4et = nullptr, *Rang = nullptr, *Grafik = nullptr, *PrintRD = nullptr, *CopyStolb = nullptr;
    QToolButton *SrSt = nullptr;
    QPushButton *ReLoad = nullptr;

    // Indicators
    GridView *Uspev = nullptr;
    QLineEdit *Uspewa = nullptr, *Ka4 = nullptr, *Obu4 = nullptr;

    QStatusBar *StatusBar = nullptr;
};

// The help that "Помощь           " opens: "Help/Help.chm" of the data root when
// present, otherwise the program's own help pages; empty when none is found.
QString findHelpFile();
