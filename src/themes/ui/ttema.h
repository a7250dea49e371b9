#pragma once

#include "journal/journalsession.h"

#include <QDialog>

class Grid;
class GridView;
class QLineEdit;
class QToolButton;

// The thematic plan window: the theme list of the current journal. A click on
// a theme says which code was chosen; the journal's click selects a theme here.
class TTema : public QDialog
{
    Q_OBJECT
public:
    explicit TTema(Grid &themes, QWidget *parent = nullptr);

    // Selects the first theme with this code (trimmed, exact): its row number
    // goes into the selection edit, so that the row operations act on it.
    // Nothing changes when no theme has it.
    void selectTheme(const QString &code);
    // Brings the grid up to date with the theme grid.
    void refresh();
    // Another journal's themes are shown: the selection starts again at the first theme.
    void journalSwitched();

Q_SIGNALS:
    // A theme was clicked: its code, trimmed.
    void themeChosen(const QString &code);
    // The plan is to be printed: the journal's heading as the main window shows
    // it, and the data root whose reports folder receives the document.
    void planHeadingWanted(JournalIdentity *heading, QString *dataRoot);

public Q_SLOTS:
    void GirObClick();
    void TemiSpisokMouseDown(Qt::MouseButton button, const QPoint &pos);
    void RedaktirClick();
    void DobStrNigeClick();
    void PerStrokiClick();
    void DelStrokuClick();
    void DelStrokiClick();
    void PrintRDClick();
    // The plan's report in the print preview.
    void ProsmotrClick();

private:
    int selectedRow() const;
    void FormCreate();

    Grid &m_temi;
    GridView *TemiSpisok = nullptr;
    QLineEdit *StrTemi = nullptr;
    QToolButton *Redaktir = nullptr;
    QToolButton *DobStrNige = nullptr;
    QToolButton *PerStroki = nullptr;
    QToolButton *DelStroku = nullptr;
    QToolButton *DelStroki = nullptr;
    QToolButton *GirOb = nullptr;
    QToolButton *PrintRD = nullptr;
    QToolButton *Prosmotr = nullptr;
};
