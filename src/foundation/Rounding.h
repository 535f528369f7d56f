#pragma once

#include <string>

// Rounding, in the two ways the program rounds: a half to the even neighbour where a number becomes
// a whole number (counts, points, fields read as integers), a half away from zero where a value is
// rounded to decimals as it is shown.
namespace kalmora {

// The whole number nearest to `value`, a half to the even neighbour (2.5 gives 2, 3.5 gives 4,
// -2.5 gives -2). Rounds the binary value as it is, whatever the floating-point environment's
// rounding mode is. Infinite and NaN values come back unchanged.
double RoundHalfToEven(double value);

// The value rounded to `decimals` places (negative: tens, hundreds, ...), a half away from zero
// (2.5 gives 3, -2.5 gives -3). Rounds the decimal number that the value's 15 significant digits
// show, as formatting it and reading it back would: 2.675 gives 2.68 with two decimals, although
// its binary neighbour is 2.67499999... Infinite and NaN values come back unchanged.
double RoundHalfAwayFromZero(double value, int decimals);

// The digits of `absValue` x 10^decimals rounded as RoundHalfAwayFromZero does, without leading
// zeros ("0" for zero): the digits a formatted number shows. `absValue` must be finite and not
// negative.
std::string RoundedDigits(double absValue, int decimals);

}  // namespace kalmora
