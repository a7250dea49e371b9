#pragma once

#include "journal/grid.h"

#include <QDialog>
#include <QStringList>

class GridView;
class QLineEdit;
class QPushButton;
class QToolButton;

// The journal catalogue window: one entry per journal, stored in "Baza/Gurnali.txt".
class TGurnaliForm : public QDialog
{
    Q_OBJECT
public:
    explicit TGurnaliForm(QWidget *parent = nullptr);

    Grid &gurSp() { return m_gurSp; }

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
    QStringList deletionList; // the hidden list of names collected for a deletion

    // Writes the catalogue grid to "Baza/Gurnali.txt"; throws on failure.
    void saveCatalogue();

public Q_SLOTS:
    void SaveTabClick();
    void GirObClick();
    void GurSpMouseDown(Qt::MouseButton button, const QPoint &pos);
    void RedaktirClick();
    void DobStrNigeClick();
    void PerStrokiClick();
    void DelStrokuClick();
    void ZagruzitClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    Grid m_gurSp;
};
