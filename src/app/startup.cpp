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
    // The other windows belong to the journal window: they stay usable while it
    // runs modally and appear over it.
    a.stolbItogo = new TStolbItogo(a.form1);
    a.tema = new TTema(a.form1);
    a.procent = new TProcent(a.form1);
    a.gurnali = new TGurnaliForm(a.form1);
    a.paroli = new TParoli1(a.form1);
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
