#pragma once

#include "journal/grid.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"

#include <QMetaType>

#include <QStringList>

Q_DECLARE_METATYPE(Grid)
Q_DECLARE_METATYPE(Thresholds)

// A journal grid in the journal layout: lesson columns from 2 with their code
// and weight, one row per student (name, then one text per lesson column).
inline Grid makeJournal(const QStringList &codes, const QStringList &weights, const QList<QStringList> &students)
{
    Grid g(int(codes.size()) + 2, int(students.size()) + 4, 2, 4, 30);
    g.setCell(0, 0, QStringLiteral("№"));
    g.setCell(1, 0, QStringLiteral("ФИО"));
    for (int c = 0; c < codes.size(); ++c) {
        g.setCell(c + 2, 2, codes[c]);
        g.setCell(c + 2, 3, weights[c]);
    }
    for (int k = 0; k < students.size(); ++k) {
        g.setCell(0, k + 4, QString::number(k + 1));
        for (int c = 0; c < students[k].size(); ++c)
            g.setCell(c + 1, k + 4, students[k][c]);
    }
    return g;
}

inline QStringList row(const Grid &g, int r)
{
    QStringList out;
    for (int c = 0; c < g.colCount(); ++c)
        out << g.cell(c, r);
    return out;
}

inline QStringList column(const Grid &g, int c, int fromRow = 0)
{
    QStringList out;
    for (int r = fromRow; r < g.rowCount(); ++r)
        out << g.cell(c, r);
    return out;
}

// The grids of the main window and the dynamics window, as start-up makes them.
struct ResultSet
{
    Grid itog = ResultGrids::makeItog();
    Grid uspev = ResultGrids::makeUspev();
    Grid summi = ResultGrids::makeSummi();
    Indicators indicators;

    explicit ResultSet(const Grid &journal)
    {
        summi.setColCount(journal.colCount());
        ResultGrids::writeSummiCodes(journal, summi);
        ResultGrids::writeSummiLabels(summi);
    }
};
