#include "app/program.h"

#include "access/ui/tparoli1.h"
#include "access/ui/tzapusk.h"
#include "app/tform1.h"
#include "controls/framegeometry.h"
#include "journal/journalsession.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QApplication>

Program::Program(const QString &dataRoot, bool windowsLater)
    : m_session(std::make_unique<JournalSession>(dataRoot)),
      m_accessFile(dataRoot + QLatin1Char('/') + QLatin1String(AccessFile::kFileName))
{
    // Creating the login window reads the access table.
    zapusk = new TZapusk(m_accessFile);
    // Login: the journal window runs modally, the login window hidden behind
    // it; when it ends, so does the program. A password given before the
    // other windows exist creates them first.
    QObject::connect(zapusk, &TZapusk::admitted, zapusk, [this] {
        createWindows();
        // The login window's frame tells the journal window's before it is
        // shown: it is placed once and does not move when it appears.
        learnFrameMargins();
        zapusk->hide();
        // The history of every save names the user who logged in.
        m_session->setUserCode(zapusk->login().currentUser().code.trimmed());
        form1->exec();
    });
    // Only the administrator may change the grading scale and the access table.
    QObject::connect(zapusk, &TZapusk::scaleForbidden, zapusk, [this] {
        createWindows();
        form1->forbidScale();
    });
    QObject::connect(zapusk, &TZapusk::accessEditorForbidden, zapusk, [this] {
        createWindows();
        form1->forbidAccessEditor();
    });
    if (!windowsLater)
        createWindows();
}

void Program::createWindows()
{
    if (form1)
        return;
    JournalSession &s = *m_session;
    // The main window's creation sets the hint font and colour of every
    // window, the login window's too, long before a hint can show.
    form1 = new TForm1(s);
    // The plan and the dynamics stand beside the journal window, not above it:
    // a window of their own each, so that the journal window, once clicked,
    // comes to the front (maximised too). Its modal run blocks only the login
    // window behind it, not them.
    form1->setWindowModality(Qt::WindowModal);
    stolbItogo = new TStolbItogo(s.summi());
    tema = new TTema(s.themes());
    // The modal windows belong to the journal window and appear over it.
    procent = new TProcent(s.thresholds(), s.dataRoot(), form1);
    gurnali = new TGurnaliForm(s, form1);
    paroli = new TParoli1(m_accessFile, form1);
    connectWindows();
}

Program::~Program()
{
    delete paroli;
    delete gurnali;
    delete procent;
    delete tema;
    delete stolbItogo;
    delete form1;
    delete zapusk;
}

void Program::connectWindows()
{
    JournalSession *s = m_session.get();

    // The journal load shows the plan and the thresholds it read.
    // The teacher goes on in the journal window: the plan appears beside it
    // without taking the keyboard.
    QObject::connect(s, &JournalSession::journalLoaded, tema, [this] {
        // The journal window being shown is not active yet, but is about to be.
        QWidget *active = QApplication::activeWindow();
        if (!active && form1->isVisible())
            active = form1;
        tema->setAttribute(Qt::WA_ShowWithoutActivating, true);
        tema->show();
        tema->setAttribute(Qt::WA_ShowWithoutActivating, false);
        if (active && active != tema)
            active->activateWindow();
    });
    QObject::connect(s, &JournalSession::thresholdsRead, procent, [this] { procent->showThresholds(); });
    // Nothing of the previous journal stays in the dynamics and plan windows.
    QObject::connect(s, &JournalSession::journalSwitched, stolbItogo, [this] { stolbItogo->journalSwitched(); });
    QObject::connect(s, &JournalSession::journalSwitched, tema, [this] { tema->journalSwitched(); });

    // The journal and the plan select each other's lesson and theme.
    QObject::connect(form1, &TForm1::lessonCodeChosen, tema, &TTema::selectTheme);
    QObject::connect(tema, &TTema::themeChosen, form1, &TForm1::showLessonOfTheme);

    // The menu and the buttons of the journal window that lead to other windows.
    QObject::connect(form1, &TForm1::planRequested, tema, [this] {
        tema->show();
        tema->raise();
        tema->activateWindow();
    });
    QObject::connect(form1, &TForm1::scaleRequested, procent, [this] { procent->exec(); });
    // A saved scale regrades the open journal, so that the results and the
    // reports never show grades of another scale beside it.
    QObject::connect(procent, &TProcent::scaleSaved, form1, &TForm1::Peres4etClick);
    QObject::connect(form1, &TForm1::accessRequested, paroli, [this] { paroli->exec(); });
    QObject::connect(form1, &TForm1::catalogueRequested, gurnali, [this] { gurnali->exec(); });
    QObject::connect(form1, &TForm1::dynamicsRequested, stolbItogo, &TStolbItogo::showDynamics);
    QObject::connect(form1, &TForm1::dynamicsCloseRequested, stolbItogo, &QWidget::hide);
    // The plan's report carries the journal's heading from the main window.
    QObject::connect(tema, &TTema::planHeadingWanted, form1, [this, s](JournalIdentity *heading, QString *dataRoot) {
        *heading = form1->shownIdentity();
        *dataRoot = s->dataRoot();
    });
    QObject::connect(form1, &TForm1::newCatalogueEntryAdded, gurnali, &TGurnaliForm::completeNewEntry);
    QObject::connect(form1, &TForm1::leaving, form1, [this] {
        gurnali->hide();
        procent->hide();
        stolbItogo->hide();
        tema->hide();
    });

    // The catalogue opens a journal in the journal window.
    QObject::connect(gurnali, &TGurnaliForm::openRequested, form1,
                     [this](const JournalIdentity &identity, bool *opened) { *opened = form1->openJournal(identity); });
}
