#pragma once

#include "journal/grid.h"

#include <QDialog>

class GridView;
class QLineEdit;
class QToolButton;

// The thematic plan window: the theme list of the current journal.
class TTema : public QDialog
{
    Q_OBJECT
public:
    explicit TTema(QWidget *parent = nullptr);

    Grid &temi() { return m_temi; }

    GridView *TemiSpisok = nullptr;
    QLineEdit *StrTemi = nullptr;
    QToolButton *Redaktir = nullptr;
    QToolButton *DobStrNige = nullptr;
    QToolButton *PerStroki = nullptr;
    QToolButton *DelStroku = nullptr;
    QToolButton *DelStroki = nullptr;
    QToolButton *GirOb = nullptr;
    QToolButton *PrintRD = nullptr;

public Q_SLOTS:
    void GirObClick();
    void TemiSpisokMouseDown(Qt::MouseButton button, const QPoint &pos);
    void RedaktirClick();
    void DobStrNigeClick();
    void PerStrokiClick();
    void DelStrokuClick();
    void DelStrokiClick();

private:
    int selectedRow() const;
    void FormCreate();
    Grid m_temi;
};
