#pragma once

#include <QDialog>

class QLineEdit;
class QToolButton;

// The grading-scale window: the three percent thresholds for the grades 3, 4, 5.
class TProcent : public QDialog
{
    Q_OBJECT
public:
    explicit TProcent(QWidget *parent = nullptr);

    QLineEdit *TriProc = nullptr;  // lowest percentage for grade 3
    QLineEdit *ChetProc = nullptr; // lowest percentage for grade 4
    QLineEdit *PaytProc = nullptr; // lowest percentage for grade 5
    QToolButton *SaveTab = nullptr;

public Q_SLOTS:
    void SaveTabClick();
};
