#pragma once

#include <QDialog>

class Grid;
class GridView;

// The dynamics window: the grid Summi, one column per journal column.
class TStolbItogo : public QDialog
{
    Q_OBJECT
public:
    explicit TStolbItogo(Grid &summi, QWidget *parent = nullptr);

    // Shows the window over the others.
    void showDynamics();
    // Another journal is open: nothing drawn for the previous one stays.
    void journalSwitched();

private:
    void FormCreate();
    GridView *Summi = nullptr;
};
