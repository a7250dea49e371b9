#include "app/startup.h"

#include "access/ui/tparoli1.h"
#include "access/ui/tzapusk.h"
#include "app/appcontext.h"
#include "app/tform1.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

void createWindows()
{
    AppContext &a = app();
    a.zapusk = new TZapusk;
    a.form1 = new TForm1;
    a.stolbItogo = new TStolbItogo;
    a.tema = new TTema;
    a.procent = new TProcent;
    a.gurnali = new TGurnaliForm;
    a.paroli = new TParoli1;
}

void destroyWindows()
{
    AppContext &a = app();
    delete a.paroli;
    delete a.gurnali;
    delete a.procent;
    delete a.tema;
    delete a.stolbItogo;
    delete a.form1;
    delete a.zapusk;
    a = AppContext();
}
