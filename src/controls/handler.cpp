#include "controls/handler.h"

#include "controls/gridview.h"
#include "controls/services.h"

#include <QApplication>
#include <QWidget>

void refreshAllGrids()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget *top : tops) {
        if (auto *self = qobject_cast<GridView *>(top))
            self->refresh();
        const auto views = top->findChildren<GridView *>();
        for (GridView *view : views)
            view->refresh();
    }
}

bool runHandler(QWidget *parent, const std::function<void()> &body)
{
    const bool ok = guarded(parent, body);
    refreshAllGrids();
    return ok;
}
