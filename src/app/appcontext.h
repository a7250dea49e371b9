#pragma once

#include <QString>

class TZapusk;
class TForm1;
class TStolbItogo;
class TTema;
class TProcent;
class TGurnaliForm;
class TParoli1;

// The windows of the program, one instance each for the whole run, and the
// state they share beside their grids and edits.
struct AppContext
{
    TZapusk *zapusk = nullptr;
    TForm1 *form1 = nullptr;
    TStolbItogo *stolbItogo = nullptr;
    TTema *tema = nullptr;
    TProcent *procent = nullptr;
    TGurnaliForm *gurnali = nullptr;
    TParoli1 *paroli = nullptr;

    QString programFolder;  // folder of the executable, without a trailing separator
    QString journalPath;    // current journal folder: group code "/" folder name
    QString year;           // current journal's year (catalogue column "Год")
    QString comment;        // current journal's comment (catalogue column "Комментарий")
};

AppContext &app();
