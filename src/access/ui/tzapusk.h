#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The login window: the application's main window, shown first; "Дальше"
// opens the journal window, and when that closes the program ends.
class TZapusk : public QWidget
{
    Q_OBJECT
public:
    explicit TZapusk(QWidget *parent = nullptr);

    QLineEdit *Komentar = nullptr;
    QPushButton *Dalee = nullptr;
    QPushButton *Otmena = nullptr;

public Q_SLOTS:
    void DaleeClick();
    void OtmenaClick();
};
