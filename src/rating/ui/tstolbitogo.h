#pragma once

#include "journal/grid.h"

#include <QDialog>

class GridView;

// The dynamics window: the grid Summi, one column per journal column.
class TStolbItogo : public QDialog
{
    Q_OBJECT
public:
    explicit TStolbItogo(QWidget *parent = nullptr);

    Grid &summi() { return m_summi; }
    GridView *Summi = nullptr;

private:
    void FormCreate();
    Grid m_summi;
};
