#pragma once

#include "rating/decimal4.h"

#include <QString>

// The grading scale: the three percent thresholds of the five-point grades as
// the teacher typed them (the texts of TriProc, ChetProc, PaytProc), converted
// to numbers only where they are used.
struct Thresholds
{
    QString t3 = QStringLiteral("50"); // lowest percentage for grade 3
    QString t4 = QStringLiteral("70"); // lowest percentage for grade 4
    QString t5 = QStringLiteral("85"); // lowest percentage for grade 5
};

// The thresholds as numbers.
struct ScaleValues
{
    Decimal4 t3;
    Decimal4 t4;
    Decimal4 t5;
};

namespace GradingScale {

// Converts the three texts in the order 3, 4, 5; a text that is no number is a
// ConversionError naming the grade and the text.
ScaleValues convert(const Thresholds &thresholds);

// Five-point grade of a whole percentage: " 5" if p >= T5, else " 4" if p >= T4,
// else " 3" if p >= T3, else " 2" (so a threshold of 62,5 acts as 63).
const QString &fivePointGrade(qint64 percent, const ScaleValues &scale);

// Ten-point grade: "  0" for p <= 0, else p ÷ 10 rounded up, at most "10";
// the texts below 10 carry two leading blanks.
const QString &tenPointGrade(qint64 percent);

// The scale file of the data root, relative to it.
inline constexpr char kScaleFile[] = "Baza/Pasport.txt";
// Its absolute path, checked before every read and write as the root's data
// files are (JournalFolder::checkedDataFile): no link on the way or at it.
QString scaleFile(const QString &dataRoot);

// "Baza/Pasport.txt": the three texts on three lines, as typed. Reading takes
// the first three lines; a line the file lacks reads as an empty text.
Thresholds readFile(const QString &path);
// The same for the file's bytes; path names the file in messages. A line
// longer than kMaxThresholdLength is a ConversionError: no number is that long.
inline constexpr qsizetype kMaxThresholdLength = 1000;
Thresholds parse(const QByteArray &bytes, const QString &path = QStringLiteral("Baza/Pasport.txt"));
void writeFile(const QString &path, const Thresholds &thresholds);

} // namespace GradingScale
