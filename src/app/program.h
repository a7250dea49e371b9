#pragma once

#include <QString>

#include <memory>

class JournalSession;
class TZapusk;
class TForm1;
class TStolbItogo;
class TTema;
class TProcent;
class TGurnaliForm;
class TParoli1;

// The running program: the journal session on one data root and one instance
// of each window, created in their fixed order (TZapusk, TForm1, TStolbItogo,
// TTema, TProcent, TGurnaliForm, TParoli1) and connected here, the one place
// that knows them all. The program creates the windows after the login
// window once that one is on screen; nothing of theirs is needed before. The windows live as long as the program; closing any
// but the login window only hides it.
class Program
{
public:
    // With windowsLater, only the login window is created; createWindows()
    // makes the others (the program does it once the login window is on
    // screen, so that it appears sooner).
    explicit Program(const QString &dataRoot, bool windowsLater = false);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    JournalSession &session() { return *m_session; }
    // Creates the windows after the login window, in their order, and connects
    // them; nothing when they exist already.
    void createWindows();

    TZapusk *zapusk = nullptr;
    TForm1 *form1 = nullptr;
    TStolbItogo *stolbItogo = nullptr;
    TTema *tema = nullptr;
    TProcent *procent = nullptr;
    TGurnaliForm *gurnali = nullptr;
    TParoli1 *paroli = nullptr;

private:
    void connectWindows();
    std::unique_ptr<JournalSession> m_session;
    QString m_accessFile;
};
