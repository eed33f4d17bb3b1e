// vect.h: winds and vectors (vect.cpp): a wind as direction and speed, a three-component
// vector, the conversions between them in the wind and the polar conventions, and the dot and
// cross products.
//
// Angles are degrees clockwise from north (plot up, +y).  In the wind convention the direction
// is where the wind blows from (u = -spd sin dir, v = -spd cos dir); in the polar convention it
// is where the vector points to (u = spd sin dir, v = spd cos dir).  Speeds and components keep
// the unit they come in.  -9999 marks a missing value; a vector whose x is -9999 is missing.
#ifndef VECT_H
#define VECT_H

/// A wind: the direction it blows from (degrees) and its speed.
struct WIND {
    float dir;
    float spd;
};

/// A vector: x eastward, y northward, z upward.
struct VECT {
    float x;
    float y;
    float z;
};

/// Degrees to radians and back, from pi taken as 3.1415926535898.
constexpr double VECT_DEG2RAD = 0.017453292519943334;
constexpr double VECT_RAD2DEG = 57.295779513082195;

/// u and v of a wind; 0, or -1 with both -9999 when dir or spd is missing.
int wind2vect(float dir, float spd, float *u, float *v);
/// The wind (0 to 360 degrees, 0 when calm) of u and v; 0, or -1 with both -9999 when u or v is
/// missing.
int vect2wind(float u, float v, float *dir, float *spd);
/// As wind2vect for the direction a vector points to.
int polar2vect(float dir, float spd, float *u, float *v);
/// As vect2wind for the direction a vector points to (-180 to 180 degrees).
int vect2polar(float u, float v, float *dir, float *spd);
/// u . v, or -9999 when either is missing.
float dot_product(VECT u, VECT v);
/// w = u x v; 0, or -1 with w missing when either is missing.
int cross_product(VECT u, VECT v, VECT *w);

#endif
