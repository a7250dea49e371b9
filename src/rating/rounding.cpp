#include "rating/rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Rounding {

qint64 roundedRatio(qint64 num, qint64 den)
{
    return qint64(divideHalfEven<Int128>(num, den));
}

double roundToDecimals(double x, int d)
{
    char literal[16];
    std::snprintf(literal, sizeof literal, "1e-%d", d);
    const double f = std::strtod(literal, nullptr); // the double nearest to 10^-d
    if (!std::isfinite(x) || std::fabs(x / f) > 0x1p50)
        return x;
    // fma(-k, f, x) is x - k·f rounded once, so its sign is the exact sign of
    // x - k·f: this places x between two multiples of f without any error.
    double t = std::floor(x / f);
    while (std::fma(-t, f, x) < 0)
        t -= 1;
    while (std::fma(-(t + 1), f, x) >= 0)
        t += 1;
    const double half = std::fma(-(t + 0.5), f, x);
    double k = t;
    if (half > 0 || (half == 0 && std::fmod(t, 2) != 0))
        k = t + 1;
    return k * f;
}

QString floatText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QString::number(value);
    // 15 significant digits, the way the value is rounded for display.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    // buf: [-]d.dddddddddddddde[+-]xx
    const char *p = buf;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    QByteArray digits;
    digits.append(*p++);
    if (*p == '.')
        ++p;
    while (*p >= '0' && *p <= '9')
        digits.append(*p++);
    const int e10 = std::atoi(p + 1); // after the 'e'
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
    const int pointPos = e10 + 1; // digits before the decimal point

    QString out;
    if (negative)
        out += u'-';
    if (pointPos > 15 || pointPos < -3) {
        out += QLatin1Char(digits[0]);
        if (digits.size() > 1)
            out += u',' + QString::fromLatin1(digits.mid(1));
        out += u'E' + QString::number(e10);
        return out;
    }
    if (pointPos <= 0) {
        out += QStringLiteral("0,") + QString(-pointPos, u'0') + QString::fromLatin1(digits);
        return out;
    }
    if (digits.size() <= pointPos) {
        out += QString::fromLatin1(digits) + QString(pointPos - digits.size(), u'0');
        return out;
    }
    out += QString::fromLatin1(digits.left(pointPos)) + u',' + QString::fromLatin1(digits.mid(pointPos));
    return out;
}

} // namespace Rounding
