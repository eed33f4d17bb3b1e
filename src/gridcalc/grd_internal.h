// grd_internal.h: rules of the grid record shared by the grid components.
#ifndef GRD_INTERNAL_H
#define GRD_INTERNAL_H

#include "grd_tool.h"
#include "vykplot.h"

#include <cmath>
#include <bit>
#include <cstddef>
#include <cstdint>

/// The number of values of a domain: nx x ny, or 0 for a size that is not positive or beyond
/// GRD_MAX_POINTS.
size_t grd_domain_points(const Domain &d);
/// The number of values a record holds: 0 without values.
inline size_t grd_points(const GRD_report *grid)
{
    return grid && grid->grid ? grd_domain_points(grid->domain) : 0;
}

/// Releases values that the record grid held before it took new ones (an operation whose
/// output is its input), as GRD_free would: values another record owns are left alone.
void grd_release_old(const GRD_report *grid, float *old);
/// Gives grid a new array of n values (uninitialised) that it owns, whatever its domain says;
/// false when n is 0 or beyond GRD_MAX_POINTS or memory runs out (the record then has none).
bool grd_alloc_points(GRD_report *grid, size_t n);
/// True when grid's values are registered as its own (it allocated them or was handed them);
/// false without values or for values shared from another record.
bool grd_owns(const GRD_report *grid);

/// std::isfinite of a float given by its bits (all exponent bits set is an infinity or NaN),
/// which loops vectorise without a branch.
inline bool grd_finite_bits(uint32_t bits) { return (bits & 0x7f800000u) != 0x7f800000u; }

/// A value that takes no part in extremes, statistics and interpolation: missing, or not a
/// finite number.  An int of the bits, so that loops over rows vectorise without a branch.
inline int grd_absent(float v)
{
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    return static_cast<int>(VYK_is_miss(v)) | static_cast<int>(!grd_finite_bits(bits));
}
/// A value that takes part in extremes, statistics and interpolation: not missing, a number.
inline bool grd_present(float v) { return grd_absent(v) == 0; }

/// A computed value as it is stored: a value that is not a finite float is missing, and -0 is 0.
/// Written as a selection without a branch, so that loops over rows of results vectorise.
inline float grd_result(double v)
{
    const uint32_t bits = std::bit_cast<uint32_t>(static_cast<float>(v) + 0.0f);
    return std::bit_cast<float>(grd_finite_bits(bits) ? bits : std::bit_cast<uint32_t>(static_cast<float>(VYK_MISS)));
}

/// The plot positions of a grid's points on its own map (which the caller has made current):
/// the centre projected, the first point of the top row half the extents away, x growing by dx
/// along a row and y falling by dy from row to row, present or missing.  ok is false when the
/// map cannot place the centre.
struct GridWalk {
    bool ok = false;
    double left = 0, top = 0, dx = 0, dy = 0;
    float x(int i) const { return static_cast<float>(left + dx * i); }
    float y(int j) const { return static_cast<float>(top - dy * j); }
};
GridWalk grd_walk(const Domain &d);

#endif
