#pragma once

#include "journal/grid.h"

#include <QString>

#include <random>

// A journal of the given size with the program's layout (number and name
// columns, caption, date, code and weight rows), lessons coded "т…" and every
// tenth "кт…", scores of the common forms with some absences and letters.
inline Grid syntheticJournal(int students, int lessons)
{
    Grid g(lessons + 2, students + 4, 2, 4, 30);
    std::mt19937 rng(20240901u + unsigned(students * 7 + lessons));
    const QString scores[] = {QStringLiteral("5"), QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("2"),
                              QStringLiteral("4,5"), QStringLiteral("10"), QStringLiteral(""), QStringLiteral("н")};
    const QString weights[] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("1,5")};
    g.setCell(0, 0, QStringLiteral("№"));
    g.setCell(1, 0, QStringLiteral("ФИО"));
    for (int c = 2; c < lessons + 2; ++c) {
        g.setCell(c, 0, QStringLiteral("Урок %1").arg(c - 1));
        g.setCell(c, 1, QStringLiteral("%1.%2").arg(1 + c % 28).arg(9 + c % 4));
        g.setCell(c, 2, (c % 10 == 0) ? QStringLiteral("кт%1").arg(c) : QStringLiteral("т%1").arg(c));
        g.setCell(c, 3, weights[rng() % 4]);
    }
    for (int k = 0; k < students; ++k) {
        g.setCell(0, k + 4, QString::number(k + 1));
        g.setCell(1, k + 4, QStringLiteral("Ученик номер %1").arg(k + 1));
        for (int c = 2; c < lessons + 2; ++c) {
            const unsigned pick = rng() % 20;
            g.setCell(c, k + 4, pick < 16 ? scores[pick % 6] : scores[6 + pick % 2]);
        }
    }
    return g;
}
