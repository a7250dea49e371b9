#pragma once

#include "access/login.h"

#include <QWidget>

#include <memory>

class QGroupBox;
class QLineEdit;
class QPushButton;
class TdxfBackGround;
class TdxfColorButton;

// The login window: the application's main window, shown first. Its creation
// reads the access table from the access file (creating the file with the
// default users when it is missing); "Дальше" checks the typed password and
// admits the user (the journal window is run modally by whoever listens to
// admitted()); when that returns the login window closes and the program ends.
class TZapusk : public QWidget
{
    Q_OBJECT
public:
    // accessFile: the path of "Dostup.dat" in the data root.
    explicit TZapusk(const QString &accessFile, QWidget *parent = nullptr);
    ~TZapusk() override;

    const Login &login() const { return *m_login; }

    // The password check: sets the current user, the entry flag and the
    // message line; a user other than the administrator locks the grading
    // scale and the access editor.
    bool ProveritDostup();

    // The help page on the login, as the help button opens it; empty when none is found.
    static QString helpPage();

Q_SIGNALS:
    void admitted();
    // The current user may not change the grading scale (nothing unlocks it again).
    void scaleForbidden();
    // The current user may not open the access editor (nothing unlocks it again).
    void accessEditorForbidden();

public Q_SLOTS:
    void DaleeClick();
    void dxfColorButton1Click();
    void OpisProgrClick();
    void dxfColorButton2Click();
    void PismoClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void readAccessTable(const QString &accessFile);
    void showLogin();

    std::unique_ptr<Login> m_login;
    TdxfBackGround *m_background = nullptr;
    QLineEdit *Komentar = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *NomZamka = nullptr;
    TdxfColorButton *Dalee = nullptr;
    TdxfColorButton *dxfColorButton1 = nullptr; // "Отмена"
    TdxfColorButton *OpisProgr = nullptr;       // help
    TdxfColorButton *dxfColorButton2 = nullptr; // the author's site
    QPushButton *Pismo = nullptr;               // a letter to the author
};
