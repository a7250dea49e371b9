#include "themes/themes.h"

#include "journal/journallayout.h"

#include "journal/grid.h"

namespace Themes {

namespace {
using JournalLayout::kCodeRow;
using JournalLayout::kFirstLessonCol;
} // namespace

Grid makeGrid()
{
    Grid grid(4, 5, 0, 1);
    const int widths[4] = {24, 35, 33, 807};
    const char *headers[4] = {"№", "Код", "Вес", "Предмет, Тема, Вид работы, Имя фактора"};
    for (int c = 0; c < 4; ++c) {
        grid.setColWidth(c, widths[c]);
        grid.setCell(c, 0, QString::fromUtf8(headers[c]));
    }
    grid.setRowHeight(18);
    return grid;
}

int findTheme(const Grid &themes, const QString &key)
{
    const QString wanted = key.trimmed();
    for (int r = 1; r < themes.rowCount(); ++r)
        if (themes.cell(CodeCol, r).trimmed() == wanted)
            return r;
    return -1;
}

QString themeName(const Grid &themes, const QString &key)
{
    const int row = findTheme(themes, key);
    return row < 0 ? QString() : themes.cell(NameCol, row);
}

int findLessonColumn(const Grid &journal, const QString &code)
{
    const QString wanted = code.trimmed();
    for (int c = kFirstLessonCol; c < journal.colCount(); ++c)
        if (journal.cell(c, kCodeRow).trimmed() == wanted)
            return c;
    return -1;
}

} // namespace Themes
