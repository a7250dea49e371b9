#include "rating/resultgrids.h"

namespace ResultGrids {

const QStringList &itogHeaders()
{
    static const QStringList headers = {
        QStringLiteral("№"),         QStringLiteral("ФИО"),       QStringLiteral("Сумма"),         QStringLiteral("  %"),
        QStringLiteral("10 бальная"), QStringLiteral("5 бальная"), QStringLiteral("Шт. пропусков"), QStringLiteral("% пропусков")};
    return headers;
}

QString averageStudentName()
{
    return QStringLiteral("*** среднее ***");
}

Grid makeItog()
{
    Grid itog(ItogColumns, 2, 0, 1);
    const int widths[ItogColumns] = {22, 103, 31, 26, 28, 23, 22, 22};
    for (int c = 0; c < ItogColumns; ++c)
        itog.setColWidth(c, widths[c]);
    return itog;
}

Grid makeUspev()
{
    Grid uspev(5, 3, 1, 1);
    const int widths[5] = {59, 25, 22, 22, 23};
    for (int c = 0; c < 5; ++c)
        uspev.setColWidth(c, widths[c]);
    writeUspevFixedCells(uspev);
    return uspev;
}

void writeUspevFixedCells(Grid &uspev)
{
    uspev.setCell(0, 0, QStringLiteral("Оценка"));
    uspev.setCell(0, 1, QStringLiteral("Штук"));
    uspev.setCell(0, 2, QStringLiteral("Процент"));
    uspev.setCell(1, 0, QStringLiteral("5"));
    uspev.setCell(2, 0, QStringLiteral("4"));
    uspev.setCell(3, 0, QStringLiteral("3"));
    uspev.setCell(4, 0, QStringLiteral("2"));
}

Grid makeSummi()
{
    Grid summi(35, SummiRows, 2, 1, 30);
    summi.setRowHeight(18);
    return summi;
}

void writeSummiLabels(Grid &summi)
{
    summi.setCell(0, 0, QStringLiteral("№"));
    summi.setCell(1, 0, QStringLiteral("Имя \\ Код"));
    for (int r = 1; r < summi.rowCount(); ++r)
        summi.setCell(0, r, QString::number(r));
    summi.setCell(1, AverageRow, QStringLiteral("Среднее"));
    summi.setCell(1, AverageAccumulatedRow, QStringLiteral("Среднее нак."));
    summi.setCell(1, MaximumRow, QStringLiteral("Максимум"));
    summi.setCell(1, MinimumRow, QStringLiteral("Минимум"));
    summi.setCell(1, SpreadRow, QStringLiteral("Макс-Мин"));
}

void writeSummiCodes(const Grid &journal, Grid &summi)
{
    for (int c = JournalLayout::kFirstLessonCol; c < journal.colCount(); ++c)
        summi.setCell(c, CodesRow, journal.cell(c, JournalLayout::kCodeRow));
}

} // namespace ResultGrids
