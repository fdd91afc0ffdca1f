#pragma once
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

// The arithmetic of the shape painter: Round takes halves to the even neighbour, Trunc drops the
// fraction, MulDiv rounds its exact quotient to the nearest integer (halves away from zero).
// Results beyond the int range are held at its ends, so that absurd sizes draw nothing instead of
// overflowing.
namespace shapemath {

inline int ClampInt(long double v)
{
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp<long double>(v, INT_MIN, INT_MAX));
}
inline int ClampInt(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }
inline int Round(long double v) { return ClampInt(std::nearbyint(v)); }
inline int Trunc(long double v) { return ClampInt(std::trunc(v)); }

inline int MulDiv(int a, int b, int c)
{
    if (c == 0) return 0;
    const std::int64_t num = std::int64_t(a) * b;
    std::int64_t q = num / c, r = num % c;
    // Round half away from zero.
    if (2 * (r < 0 ? -r : r) >= (c < 0 ? -std::int64_t(c) : std::int64_t(c))) q += ((num < 0) != (c < 0)) ? -1 : 1;
    return ClampInt(q);
}

} // namespace shapemath
