// Small numeric routines: linear interpolation, exchanging two floats and the integer code of a
// float that variable codes carry.
#include "vykbase.h"
#include "vykform.h"

#include <cmath>

float linear_interp(float x, float x1, float x2, float y1, float y2)
{
    // Float arithmetic throughout, as every caller expects the same rounding.
    const float dx = x - x1;
    const float dy = y2 - y1;
    const float span = x2 - x1;
    return dx * dy / span + y1;
}

int fswap(float *a, float *b)
{
    const float t = *a;
    *a = *b;
    *b = t;
    return 0;
}

// The code e * 100 + m of a threshold value: e for the decimal exponent, m two digits of the
// mantissa; negated as a whole for a negative value.  Every producer of such codes uses this
// one rule, so the codes compare equal:
//   e = trunc(log10(|x|) + 5) - 5;
//   e < 0: |x| multiplied by 10 (in float) 2 - e times, m = trunc of that mod 100, e = e + 10;
//   e = 0: m = trunc(10 |x|) mod 100;
//   e > 0: |x| divided by 10 (in float) e - 1 times, m = trunc of that mod 100.
// So 5 gives 50, 25 gives 125, 0.25 gives 950.  A value that is not finite has no code and
// gives VYK_MISS.
int float2int(float x)
{
    if (x == 0.0f)
        return 0;
    if (!std::isfinite(x))
        return VYK_MISS;
    const bool negative = x < 0.0f;
    float a = std::fabs(x);
    int e = static_cast<int>(std::trunc(std::log10(static_cast<double>(a)) + 5.0)) - 5;
    int m;
    if (e < 0) {
        for (int i = 0; i < 2 - e; i++)
            a = a * 10.0f;
        m = static_cast<int>(std::trunc(a)) % 100;
        e += 10;
    } else if (e == 0) {
        m = static_cast<int>(std::trunc(10.0f * a)) % 100;
    } else {
        for (int i = 0; i < e - 1; i++)
            a = a / 10.0f;
        m = static_cast<int>(std::trunc(a)) % 100;
    }
    const int code = e * 100 + m;
    return negative ? -code : code;
}
