#include "rating/gradingscale.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/journalfolder.h"
#include "rating/rounding.h"

#include <QStringList>

#include <array>

namespace GradingScale {

namespace {

Decimal4 convertOne(const QString &text, const char *grade)
{
    try {
        return Decimal4::fromText(text);
    } catch (const ConversionError &e) {
        throw ConversionError(QStringLiteral("Шкала перевода, порог оценки %1: %2").arg(QLatin1String(grade), e.message()));
    }
}

// p >= t for a whole p and a threshold with decimals, without overflow.
bool atLeast(qint64 percent, Decimal4 threshold)
{
    return static_cast<Int128>(percent) * Decimal4::kScale >= threshold.raw();
}

} // namespace

ScaleValues convert(const Thresholds &thresholds)
{
    ScaleValues v;
    v.t3 = convertOne(thresholds.t3, "3");
    v.t4 = convertOne(thresholds.t4, "4");
    v.t5 = convertOne(thresholds.t5, "5");
    return v;
}

const QString &fivePointGrade(qint64 percent, const ScaleValues &scale)
{
    static const std::array<QString, 4> texts = {QStringLiteral(" 2"), QStringLiteral(" 3"), QStringLiteral(" 4"),
                                                 QStringLiteral(" 5")};
    // Each later test overrides the earlier one, so the test for 5 wins.
    int grade = atLeast(percent, scale.t3) ? 1 : 0;
    if (atLeast(percent, scale.t4))
        grade = 2;
    if (atLeast(percent, scale.t5))
        grade = 3;
    return texts[size_t(grade)];
}

const QString &tenPointGrade(qint64 percent)
{
    static const std::array<QString, 11> texts = {
        QStringLiteral("  0"), QStringLiteral("  1"), QStringLiteral("  2"), QStringLiteral("  3"),
        QStringLiteral("  4"), QStringLiteral("  5"), QStringLiteral("  6"), QStringLiteral("  7"),
        QStringLiteral("  8"), QStringLiteral("  9"), QStringLiteral("10")};
    if (percent <= 0)
        return texts[0];
    if (percent > 90)
        return texts[10];
    return texts[size_t((percent + 9) / 10)];
}

QString scaleFile(const QString &dataRoot)
{
    return JournalFolder::checkedDataFile(dataRoot, QString::fromLatin1(kScaleFile));
}

Thresholds readFile(const QString &path)
{
    return parse(readWholeFile(path), path);
}

Thresholds parse(const QByteArray &bytes, const QString &path)
{
    const QStringList lines = splitTextLines(bytes, 3);
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines.at(i).size() > kMaxThresholdLength)
            throw ConversionError(QStringLiteral("Файл %1, строка %2: %3 не является порогом оценки: строка длиннее %4 знаков.")
                                      .arg(quotedPath(path))
                                      .arg(i + 1)
                                      .arg(quotedExcerpt(lines.at(i)))
                                      .arg(kMaxThresholdLength));
    Thresholds t;
    t.t3 = lines.value(0);
    t.t4 = lines.value(1);
    t.t5 = lines.value(2);
    return t;
}

void writeFile(const QString &path, const Thresholds &thresholds)
{
    writeTextLines(path, {thresholds.t3, thresholds.t4, thresholds.t5});
}

} // namespace GradingScale
