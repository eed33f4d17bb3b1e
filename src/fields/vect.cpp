// vect.cpp: conversions between winds and vectors, dot and cross products.
//
// The trigonometry, the arc tangent and the square root run in double precision; every result
// is stored as a float.
#include "vect.h"

#include "vyk.h"

#include <cmath>

namespace {

constexpr float CALM = 0.01f;  // a vector shorter than this has direction 0

bool missing_pair(float a, float b) { return VYK_is_miss(a) || VYK_is_miss(b); }

int set_missing(float *a, float *b)
{
    *a = VYK_MISS;
    *b = VYK_MISS;
    return -1;
}

/// u and v of a speed along dir; sign -1 for the wind convention, 1 for the polar one.
int to_vect(float dir, float spd, float sign, float *u, float *v)
{
    if (missing_pair(dir, spd)) return set_missing(u, v);
    const double rad = dir * VECT_DEG2RAD;
    *u = static_cast<float>(std::sin(rad) * (sign * spd));
    *v = static_cast<float>(std::cos(rad) * (sign * spd));
    return 0;
}

/// The speed of (u, v): the sum of squares formed in float.
float length(float u, float v)
{
    const float sum = u * u + v * v;
    return static_cast<float>(std::sqrt(static_cast<double>(sum)));
}

/// atan2(a, b) in degrees.
float degrees_atan2(float a, float b)
{
    return static_cast<float>(std::atan2(static_cast<double>(a), static_cast<double>(b)) *
                              VECT_RAD2DEG);
}

}  // namespace

int wind2vect(float dir, float spd, float *u, float *v) { return to_vect(dir, spd, -1.0f, u, v); }

int polar2vect(float dir, float spd, float *u, float *v) { return to_vect(dir, spd, 1.0f, u, v); }

int vect2wind(float u, float v, float *dir, float *spd)
{
    if (missing_pair(u, v)) return set_missing(dir, spd);
    *spd = length(u, v);
    float d = 0.0f;
    if (*spd >= CALM) d = degrees_atan2(-u, -v);
    if (d < 0.0f) d += 360.0f;
    *dir = d + 0.0f;  // a north wind reads 0, not -0
    return 0;
}

int vect2polar(float u, float v, float *dir, float *spd)
{
    if (missing_pair(u, v)) return set_missing(dir, spd);
    *spd = length(u, v);
    *dir = *spd < CALM ? 0.0f : degrees_atan2(u, v);
    return 0;
}

float dot_product(VECT u, VECT v)
{
    if (missing_pair(u.x, v.x)) return VYK_MISS;
    return (u.x * v.x + u.y * v.y) + u.z * v.z;
}

int cross_product(VECT u, VECT v, VECT *w)
{
    if (missing_pair(u.x, v.x)) {
        *w = {VYK_MISS, VYK_MISS, VYK_MISS};
        return -1;
    }
    *w = {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    return 0;
}
