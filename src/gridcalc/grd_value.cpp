// grd_value.cpp: what contouring, vector plots and the plot's value read-out take from one grid:
// extremes and statistics, the plot position of every grid point, the bilinear value at any
// point, and the interactive printing and editing of a value.
#include "grd_internal.h"
#include "grd_oper.h"
#include "vykplot.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Grid coordinates of a plot position of domain (of the current map when domain is NULL or has
// no projection).  The current map is left on domain.
void to_grid(const GRD_report *grid, const Domain *domain, float x, float y, float *gx, float *gy)
{
    if (!domain || domain->proj == VYK_MISS) {
        MAP_grid_untran(x, y, gx, gy);
        return;
    }
    float x2 = VYK_MISS, y2 = VYK_MISS;
    MAP_domain_tran(domain, &grid->domain, x, y, &x2, &y2);
    MAP_domain(&grid->domain);
    MAP_grid_untran(x2, y2, gx, gy);
    MAP_domain(domain);
}

// Plot x and y on the grid's own map of every grid point, top row first, as latitudes and
// longitudes (missing where the map has no place).
void grid_points_earth(const GRD_report *grid, float *lat, float *lon)
{
    const Domain &d = grid->domain;
    MAP_domain(&d);
    float xc = VYK_MISS, yc = VYK_MISS;
    MAP_tran(d.clat, d.clon, &xc, &yc);
    const double x0 = xc - static_cast<double>(d.dx) * (d.nx - 1) / 2;
    const double y0 = yc - static_cast<double>(d.dy) * (d.ny - 1) / 2;
    size_t k = 0;
    for (int j = d.ny - 1; j >= 0; j--) {
        for (int i = 0; i < d.nx; i++, k++) {
            if (VYK_is_miss(xc)) {
                lat[k] = lon[k] = VYK_MISS;
                continue;
            }
            MAP_untran(static_cast<float>(x0 + static_cast<double>(i) * d.dx),
                       static_cast<float>(y0 + static_cast<double>(j) * d.dy), &lat[k], &lon[k]);
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Extremes and statistics
// ---------------------------------------------------------------------------------------------

int GRD_maxmin(const GRD_report *grid, float *max, float *min)
{
    *max = *min = VYK_MISS;
    const size_t n = grd_points(grid);
    if (n == 0) return -1;
    const float *v = grid->grid;
    size_t k = 0;
    while (k < n && !grd_present(v[k])) k++;
    if (k == n) return 0;
    float hi = v[k], lo = v[k];
    for (; k < n; k++) {
        if (!grd_present(v[k])) continue;
        if (v[k] > hi) hi = v[k];
        else if (v[k] < lo) lo = v[k];
    }
    *max = hi;
    *min = lo;
    return 0;
}

int GRD_UVmax(const GRD_report *ugrid, const GRD_report *vgrid, float *max)
{
    *max = VYK_MISS;
    const size_t n = grd_points(ugrid);
    if (n == 0 || grd_points(vgrid) == 0) return -1;
    if (ugrid->domain.nx != vgrid->domain.nx || ugrid->domain.ny != vgrid->domain.ny) {
        MESS_print(M_WARN, "GRD_UVmax: u and v grids differ in size\n");
        return -1;
    }
    const float *u = ugrid->grid, *v = vgrid->grid;
    float best = VYK_MISS;
    bool any = false;
    // A purely zonal or meridional wind has one component exactly 0: it counts.
    for (size_t k = 0; k < n; k++) {
        if (!grd_present(u[k]) || !grd_present(v[k])) continue;
        const float speed = static_cast<float>(std::sqrt(static_cast<double>(u[k] * u[k] + v[k] * v[k])));
        if (!any || speed > best) best = speed;
        any = true;
    }
    *max = best;
    return 0;
}

int GRD_stats(const char *oper, const GRD_report *grid, float *values)
{
    values[0] = values[1] = VYK_MISS;
    if (!oper) return 0;
    float max = VYK_MISS, min = VYK_MISS;
    if (stricmp(oper, "max") == 0 || stricmp(oper, "min") == 0 || stricmp(oper, "maxmin") == 0) {
        if (grid) GRD_maxmin(grid, &max, &min);
        if (stricmp(oper, "min") == 0) {
            values[0] = min;
        } else {
            values[0] = max;
            if (stricmp(oper, "maxmin") == 0) values[1] = min;
        }
        return 1;
    }
    const bool avgnum = stricmp(oper, "avgnum") == 0;
    if (!avgnum && stricmp(oper, "avg") != 0) return 0;
    const size_t n = grd_points(grid);
    if (n == 0) return 0;
    float sum = 0;
    long count = 0;
    for (size_t k = 0; k < n; k++) {
        if (!grd_present(grid->grid[k])) continue;
        sum += grid->grid[k];
        count++;
    }
    if (count > 0) {
        values[0] = sum / static_cast<float>(count);
        if (avgnum) values[1] = static_cast<float>(count);
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Positions and point values
// ---------------------------------------------------------------------------------------------

int GRD_proj_XY(const GRD_report *grid, const Domain *domain, float **grdx, float **grdy)
{
    std::free(*grdx);
    std::free(*grdy);
    *grdx = *grdy = nullptr;
    const size_t n = grid ? grd_domain_points(grid->domain) : 0;
    if (n == 0) {
        MESS_print(M_WARN, "GRD_proj_XY: Invalid grid size\n");
        return -1;
    }
    *grdx = static_cast<float *>(std::malloc(n * sizeof(float)));
    *grdy = static_cast<float *>(std::malloc(n * sizeof(float)));
    if (!*grdx || !*grdy) {
        std::free(*grdx);
        std::free(*grdy);
        *grdx = *grdy = nullptr;
        MESS_print(M_WARN, "GRD_proj_XY: Unable to allocate grid arrays\n");
        return -1;
    }
    const MAP_keep keep;
    // Latitude and longitude first (into the output arrays), then the target map's positions.
    float *lat = *grdx, *lon = *grdy;
    grid_points_earth(grid, lat, lon);
    MAP_domain(domain ? domain : &keep.saved());
    for (size_t k = 0; k < n; k++) MAP_tran(lat[k], lon[k], &lat[k], &lon[k]);
    return 0;
}

float GRD_get_value(const GRD_report *grid, float gx, float gy)
{
    if (grd_points(grid) == 0) return VYK_MISS;
    const int nx = grid->domain.nx, ny = grid->domain.ny;
    const double xmax = nx - 0.9999, ymax = ny - 0.9999;
    // Written so that a coordinate that is not a number is refused as well.
    if (!(gx >= 0 && gy >= 0 && gx <= xmax && gy <= ymax)) return VYK_MISS;
    const int ix = static_cast<int>(gx), iy = static_cast<int>(gy);
    const float fx = gx - static_cast<float>(ix), fy = gy - static_cast<float>(iy);
    // Within 0.0001 of the last column or row the neighbour beyond is the last one itself.
    const int jx = ix + 1 > xmax ? ix : ix + 1, jy = iy + 1 > ymax ? iy : iy + 1;
    const float *v = grid->grid;
    const auto at = [&](int i, int j) { return v[static_cast<size_t>(i) + static_cast<size_t>(j) * nx]; };
    const float a = at(ix, iy), b = at(jx, iy), c = at(ix, jy), d = at(jx, jy);
    if (!grd_present(a) || !grd_present(b) || !grd_present(c) || !grd_present(d)) return VYK_MISS;
    return (1 - fy) * (1 - fx) * a + (1 - fy) * fx * b + (1 - fx) * fy * c + fy * fx * d;
}

float GRD_get_value_domain(const GRD_report *grid, const Domain *domain, float *x, float *y)
{
    float gx = VYK_MISS, gy = VYK_MISS;
    if (grid) to_grid(grid, domain, *x, *y, &gx, &gy);
    *x = gx;
    *y = gy;
    return GRD_get_value(grid, gx, gy);
}

namespace {

// The value at a point of the current map, with the point's grid coordinates.
float current_value(const GRD_report *grid, float &x, float &y)
{
    Domain cur;
    MAP_get_domain(&cur);
    return GRD_get_value_domain(grid, &cur, &x, &y);
}

// Asks for a number until one is typed; false for an empty answer (or the end of input).
bool ask_value(float &value)
{
    for (;;) {
        char answer[80] = "";
        VYK_prompts("New value: ", answer, sizeof answer);
        if (answer[0] == '\0') return false;
        char *end = nullptr;
        const float v = std::strtof(answer, &end);
        if (end != answer && *end == '\0' && std::isfinite(v)) {
            value = v;
            return true;
        }
    }
}

}  // namespace

int GRD_print_value(float x, float y, const GRD_report *grid)
{
    const float value = current_value(grid, x, y);
    MESS_print(M_PRINT, "Grid: %6.2f,%6.2f", x, y);
    if (!VYK_is_miss(value)) MESS_print(M_PRINT, " = %6.2f", value);
    MESS_print(M_PRINT, "\n");
    return 0;
}

int GRD_print_value2(float x, float y, const GRD_report *grid1, const GRD_report *grid2)
{
    float x2 = x, y2 = y;
    const float v1 = current_value(grid1, x, y);
    const float v2 = current_value(grid2, x2, y2);
    MESS_print(M_PRINT, "Grid: %6.2f,%6.2f", x, y);
    if (!VYK_is_miss(v1)) MESS_print(M_PRINT, " = %6.2f", v1);
    else MESS_print(M_PRINT, " = ");
    if (!VYK_is_miss(v2)) MESS_print(M_PRINT, ",%6.2f", v2);
    MESS_print(M_PRINT, "\n");
    return 0;
}

int GRD_edit_value(const char * /*str*/, float x, float y, GRD_report *grid)
{
    if (grd_points(grid) == 0) {
        MESS_print(M_WARN, "GRD_edit_value: the grid has no values\n");
        return -1;
    }
    float gx = VYK_MISS, gy = VYK_MISS;
    {
        const MAP_keep keep;
        to_grid(grid, &keep.saved(), x, y, &gx, &gy);
    }
    // Rounded to the nearest point by adding 0.5 and cutting toward zero (-0 printed as 0).
    const float col = VYK_is_miss(gx) ? gx : std::trunc(gx + 0.5f) + 0.0f;
    const float row = VYK_is_miss(gy) ? gy : std::trunc(gy + 0.5f) + 0.0f;
    const int nx = grid->domain.nx, ny = grid->domain.ny;
    if (!(col >= 0 && col <= nx - 1 && row >= 0 && row <= ny - 1)) {
        MESS_print(M_PRINT, "Grid: %3.0f,%3.0f Off grid\n", col, row);
        return -1;
    }
    float &cell = grid->grid[static_cast<size_t>(col) + static_cast<size_t>(row) * nx];
    if (VYK_is_miss(cell)) MESS_print(M_PRINT, "Grid: %3.0f,%3.0f Val = MISS ", col, row);
    else MESS_print(M_PRINT, "Grid: %3.0f,%3.0f Val = %6.2f ", col, row, cell);
    float value = 0;
    if (ask_value(value)) cell = value;
    return 0;
}
