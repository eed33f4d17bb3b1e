// A domain made of its fields, as the tests of maps, grids and plots build them.  For the tests
// of graphics and the folders above it.
#ifndef VYK_DOMAIN_UTIL_H
#define VYK_DOMAIN_UTIL_H

#include "vykdom.h"

namespace vyktest {

/// A domain of projection proj centred at (clat, clon) with nx x ny points dx and dy apart;
/// the other fields as DOM_init leaves them.
inline Domain make_domain(int proj, float clat, float clon, float dx, float dy, int nx, int ny)
{
    Domain d;
    DOM_init(&d);
    d.proj = proj;
    d.clat = clat;
    d.clon = clon;
    d.dx = dx;
    d.dy = dy;
    d.nx = nx;
    d.ny = ny;
    return d;
}

}  // namespace vyktest

#endif
