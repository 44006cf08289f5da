// Truncation toward zero into an int, the way the rasterizers turn positions into pixels.
#pragma once

#include <limits.h>

// Like a plain cast for every value an image can hold; values beyond the int range are
// held at its ends and NaN becomes INT_MIN, so a wild position lands outside every image
// instead of overflowing the conversion.
inline int TruncToInt(double v) {
  if (!(v == v)) return INT_MIN;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}
