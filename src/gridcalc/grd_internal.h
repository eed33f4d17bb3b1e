// grd_internal.h: rules of the grid record shared by the grid components.
#ifndef GRD_INTERNAL_H
#define GRD_INTERNAL_H

#include "vykgtab.h"
#include "vykplot.h"

#include <cmath>
#include <cstddef>

/// The number of values of a domain: nx x ny, or 0 for a size that is not positive or beyond
/// GRD_MAX_POINTS.
size_t grd_domain_points(const Domain &d);
/// The number of values a record holds: 0 without values.
inline size_t grd_points(const GRD_report *grid)
{
    return grid && grid->grid ? grd_domain_points(grid->domain) : 0;
}
/// A value that takes part in extremes, statistics and interpolation: not missing, a number.
inline bool grd_present(float v) { return !VYK_is_miss(v) && std::isfinite(v); }
/// Releases values that the record grid held before it took new ones (an operation whose
/// output is its input), as GRD_free would: values another record owns are left alone.
void grd_release_old(const GRD_report *grid, float *old);

/// The current map domain, made current again when the object goes.
class KeepMap {
public:
    KeepMap() { MAP_get_domain(&saved_); }
    ~KeepMap() { MAP_domain(&saved_); }
    KeepMap(const KeepMap &) = delete;
    KeepMap &operator=(const KeepMap &) = delete;
    const Domain &saved() const { return saved_; }

private:
    Domain saved_;
};

#endif
