#pragma once

#include <QDialog>
#include <QString>

struct Thresholds;
class QLineEdit;
class QToolButton;

// The grading-scale window: the three percent thresholds for the grades 3, 4, 5.
// Its edits are the thresholds every recalculation uses: what is typed goes
// into them at once.
class TProcent : public QDialog
{
    Q_OBJECT
public:
    // dataRoot: the root whose "Baza/Pasport.txt" "Запомнить шкалу" writes.
    TProcent(Thresholds &thresholds, const QString &dataRoot, QWidget *parent = nullptr);

    // The edits show the thresholds as they now stand (after a load read them).
    void showThresholds();

Q_SIGNALS:
    // The thresholds were written: the open journal's grades are to follow them.
    void scaleSaved();

public Q_SLOTS:
    void SaveTabClick();

private:
    Thresholds &m_thresholds;
    QString m_dataRoot;
    QLineEdit *TriProc = nullptr;  // lowest percentage for grade 3
    QLineEdit *ChetProc = nullptr; // lowest percentage for grade 4
    QLineEdit *PaytProc = nullptr; // lowest percentage for grade 5
    QToolButton *SaveTab = nullptr;
};
