#include "rating/ui/tstolbitogo.h"

#include "controls/helpviewer.h"
#include "controls/framegeometry.h"
#include "controls/gridview.h"

#include <QVBoxLayout>

TStolbItogo::TStolbItogo(Grid &summi, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("StolbItogo"));
    setWindowTitle(QStringLiteral("Динамика накопленной успеваемости. Показатели взвешены."));
    setModal(false);
    // A window of its own, not a dialog kept above another window: the
    // journal window can come in front of it.
    setWindowFlags(Qt::Window);
    setHelpPage(this, QStringLiteral("reiting.html#dinamika"));
    Summi = new GridView(&summi, this);
    Summi->setObjectName(QStringLiteral("Summi"));
    Summi->setRowSelect(true);
    // Every number shows whole: a column is as wide as its widest text.
    Summi->setColumnsFitTexts(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(Summi);
    FormCreate();
}

void TStolbItogo::FormCreate()
{
    // Right of the thematic plan, below the main window, down to the work area's bottom.
    placeFrame(this, FrameRule{QRect(0, ScreenTiling::kLowerTop, ScreenTiling::kDynamicsWidth, 182), false, true, 0, true,
                               ScreenTiling::kPlanMinWidth});
}

void TStolbItogo::showDynamics()
{
    show();
    raise();
}

void TStolbItogo::journalSwitched()
{
    Summi->clearMarks();
    Summi->refresh();
}
