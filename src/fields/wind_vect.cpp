// wind_vect.cpp: conversions between a direction and speed and u/v components, in the wind
// (direction the wind comes from) and the polar (direction pointed to) conventions, and the dot
// and cross products of three-component vectors.
#include "vykwind.h"

#include <cmath>

namespace {

// Both outputs of a conversion set to missing; the failure result.
int missing_pair(float *a, float *b)
{
    *a = VYK_MISS;
    *b = VYK_MISS;
    return -1;
}

// Below this speed a vector has no direction (0).
constexpr float CALM = 0.01f;

// The length of (u, v): the sum of squares formed in float, its root in double.
float length(float u, float v)
{
    const float squares = u * u + v * v;
    return static_cast<float>(std::sqrt(static_cast<double>(squares)));
}

// Components of a direction and speed; sign -1 for the wind convention, 1 for the polar one.
int to_components(float dir, float spd, float sign, float *u, float *v)
{
    if (VYK_is_miss(dir) || VYK_is_miss(spd)) return missing_pair(u, v);
    const double rad = dir * WIND_DEG2RAD;
    const double s = sign * spd;
    *u = static_cast<float>(std::sin(rad) * s);
    *v = static_cast<float>(std::cos(rad) * s);
    return 0;
}

}  // namespace

int wind2vect(float dir, float spd, float *u, float *v) { return to_components(dir, spd, -1, u, v); }

int polar2vect(float dir, float spd, float *u, float *v) { return to_components(dir, spd, 1, u, v); }

int vect2wind(float u, float v, float *dir, float *spd)
{
    if (VYK_is_miss(u) || VYK_is_miss(v)) return missing_pair(dir, spd);
    *spd = length(u, v);
    *dir = *spd < CALM ? 0.0f : static_cast<float>(std::atan2(-static_cast<double>(u), -static_cast<double>(v)) * WIND_RAD2DEG);
    if (*dir < 0) *dir += 360;
    return 0;
}

int vect2polar(float u, float v, float *dir, float *spd)
{
    if (VYK_is_miss(u) || VYK_is_miss(v)) return missing_pair(dir, spd);
    *spd = length(u, v);
    *dir = *spd < CALM ? 0.0f : static_cast<float>(std::atan2(static_cast<double>(u), static_cast<double>(v)) * WIND_RAD2DEG);
    return 0;
}

float dot_product(VECT u, VECT v)
{
    if (VYK_is_miss(u.x) || VYK_is_miss(v.x)) return VYK_MISS;
    return (u.x * v.x + u.y * v.y) + u.z * v.z;
}

int cross_product(VECT u, VECT v, VECT *w)
{
    if (VYK_is_miss(u.x) || VYK_is_miss(v.x)) {
        *w = {VYK_MISS, VYK_MISS, VYK_MISS};
        return -1;
    }
    w->x = u.y * v.z - u.z * v.y;
    w->y = u.z * v.x - u.x * v.z;
    w->z = u.x * v.y - u.y * v.x;
    return 0;
}
