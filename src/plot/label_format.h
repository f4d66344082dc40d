#pragma once

// Axis label texts: a number in one of five formats, always with "." as decimal separator.

#include "plot/plot_types.h"

#include <string>

// `precision` is the number of significant digits (2..18 after clamping); `digits` is the
// number of decimals for the fixed, number and currency formats (0..18) and the minimum
// number of exponent digits for the exponent format (0..4).
//   sffGeneral:  shortest of plain and scientific: 255, 12.35, 0.0001, 6.554E4, 5E-5
//   sffExponent: always scientific with `precision` digits: 2.550E+002
//   sffFixed:    `digits` decimals: 255.00; general when the whole part has more than
//                `precision` digits
//   sffNumber:   as fixed, with "," between thousands: 65,535.00
//   sffCurrency: as number, after a "$": $65,535.00, -$2.50
// An unknown format works as sffGeneral. NaN and infinities give "NAN", "INF", "-INF".
[[nodiscard]] std::string FloatToStrF(double value, TStringFloatFormat format, int precision,
                                      int digits);
