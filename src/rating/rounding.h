#pragma once

#include <QString>
#include <QtGlobal>

// The rounding rules of the results and their floating-point text form.
// 128-bit integers for exact products and quotients (a compiler extension).
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

namespace Rounding {

// num ÷ den (den != 0) rounded to the nearest whole number, ties to even; exact.
template<typename Int>
constexpr Int divideHalfEven(Int num, Int den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    Int q = num / den; // truncated toward zero
    Int r = num % den; // same sign as num
    if (r < 0)
        r = -r;
    // Compare the remainder with half the divisor without overflowing.
    const Int other = den - r;
    if (r > other || (r == other && (q % 2 != 0)))
        q += num < 0 ? Int(-1) : Int(1);
    return q;
}

// The whole-number rounding of num ÷ den for counts and percentages, computed
// exactly: 1 ÷ 8 × 100 = 12,5 gives 12; 2,5 gives 2; 3,5 gives 4.
qint64 roundedRatio(qint64 num, qint64 den);

// Rounding to d decimals (d = 1 or 2): x ÷ f rounded to a whole number, ties to
// even, then multiplied by f, with f the double nearest to 10^-d. The quotient
// is taken exactly (not rounded to a double first), so an exact decimal half
// goes the way the exact quotient of the two doubles falls:
// 2,25 → 2,2; 0,35 → 0,3; 0,55 → 0,6; 0,375 → 0,37; 0,625 → 0,62.
double roundToDecimals(double x, int d);

// The general floating-point text: at most 15 significant digits, comma as the
// separator, no trailing zeros ("63,6", "100", "0,05"); very large or very small
// magnitudes in exponent form ("1,5E20", "1E-7").
QString floatText(double value);

} // namespace Rounding
