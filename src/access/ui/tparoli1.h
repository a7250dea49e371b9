#pragma once

#include "journal/grid.h"

#include <QDialog>
#include <QString>

class GridView;
class QPushButton;

// The access table editor: the users of the access file in a grid of ten
// rows, filled from the file at every showing and written back by "Запомнить".
// The login reads the file at start-up only, so changes count from the next run.
class TParoli1 : public QDialog
{
    Q_OBJECT
public:
    explicit TParoli1(const QString &accessFile, QWidget *parent = nullptr);

    // Fills the grid from the file (the header and a row per record).
    void fillFromFile();

public Q_SLOTS:
    void ZapDostupClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_accessFile;
    Grid m_table;
    GridView *TabDost = nullptr;
    QPushButton *ZapDostup = nullptr;
};
