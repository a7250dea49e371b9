#pragma once

#include "journal/journalsession.h"

#include <QDialog>
#include <QStringList>

class Grid;
class GridView;
class QLineEdit;
class QPushButton;
class QToolButton;

// The journal catalogue window: one entry per journal, stored in "Baza/Gurnali.txt".
// Its load button asks for the chosen journal with openRequested().
class TGurnaliForm : public QDialog
{
    Q_OBJECT
public:
    explicit TGurnaliForm(JournalSession &session, QWidget *parent = nullptr);

    // Writes the catalogue grid to "Baza/Gurnali.txt"; throws on failure.
    void saveCatalogue();
    // A save has just put a new entry at the top: the window runs modally,
    // without its load button, so that the teacher completes and saves it.
    void completeNewEntry();
    // The names collected for the last deletion.
    const QStringList &deletionNames() const { return m_deletionList; }

Q_SIGNALS:
    // The load button: the entry's journal is to be opened; *opened tells
    // whether it was (the window then closes).
    void openRequested(const JournalIdentity &identity, bool *opened);

public Q_SLOTS:
    void SaveTabClick();
    void GirObClick();
    void GurSpMouseDown(Qt::MouseButton button, const QPoint &pos);
    void RedaktirClick();
    void DobStrNigeClick();
    void PerStrokiClick();
    void DelStrokuClick();
    void ZagruzitClick();
    void PrintRDClick();
    // The catalogue's report in the print preview.
    void ProsmotrClick();

    // Every way the window closes (the load, the close box, Escape) comes here:
    // unsaved edits of the catalogue are asked about first.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    // The catalogue read again when another program changed its file and this
    // window holds no edits.
    void refreshFromDisk();

    JournalSession &m_session;
    Grid &m_gurSp;
    QStringList m_deletionList; // the hidden list of names collected for a deletion
    GridView *GurSp = nullptr;
    QPushButton *Zagruzit = nullptr;
    QToolButton *Redaktir = nullptr;
    QToolButton *GirOb = nullptr;
    QLineEdit *StrGurn = nullptr;
    QToolButton *DobStrNige = nullptr;
    QToolButton *PerStroki = nullptr;
    QToolButton *DelStroku = nullptr;
    QToolButton *SaveTab = nullptr;
    QToolButton *PrintRD = nullptr;
    QToolButton *Prosmotr = nullptr;
};
