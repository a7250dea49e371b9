#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The login window: the application's main window, shown first; "Дальше"
// admits the teacher to the journal window (run modally by whoever listens to
// admitted()), and when that returns the login window closes and the program ends.
class TZapusk : public QWidget
{
    Q_OBJECT
public:
    explicit TZapusk(QWidget *parent = nullptr);

Q_SIGNALS:
    void admitted();

public Q_SLOTS:
    void DaleeClick();
    void OtmenaClick();

private:
    QLineEdit *Komentar = nullptr;
    QPushButton *Dalee = nullptr;
    QPushButton *Otmena = nullptr;
};
