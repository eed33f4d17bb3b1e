// grd_oper.cpp: whole-grid operations: mosaics made of pieces, remapping onto another domain,
// cut-offs, scaling, offsets, unit conversion and the labels of a calculator result.
//
// An operation whose output record is also its input reads the input's values to the end and
// then releases them when the record owned them.
#include "grd_internal.h"
#include "grd_oper.h"
#include "vykplot.h"
#include "vykvar.h"
#include "wind_glyph.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

void fill_missing(GRD_report *grid)
{
    const size_t n = grd_points(grid);
    for (size_t k = 0; k < n; k++) grid->grid[k] = VYK_MISS;
}

// Copies the values of piece into grid with its top-left point at column x0, row y0 (the
// caller has checked that it fits).
void paste(GRD_report *grid, const float *values, int n, int m, long long x0, long long y0)
{
    const size_t NX = static_cast<size_t>(grid->domain.nx);
    for (int j = 0; j < m; j++) {
        float *row = grid->grid + (static_cast<size_t>(y0) + static_cast<size_t>(j)) * NX +
                     static_cast<size_t>(x0);
        std::memcpy(row, values + static_cast<size_t>(j) * static_cast<size_t>(n),
                    static_cast<size_t>(n) * sizeof(float));
    }
}

bool is_map_projection(int proj) { return proj >= DOM_PSTEREO && proj <= DOM_SAT && proj != DOM_LATLON; }

// The centre of a mosaic of nx by ny pieces whose first piece (domain d) stays in place at the
// top left.  On latitude-longitude grids and diagrams the arithmetic is in the domain's own
// units; on the other map projections the spacing is in plot units (100 km), so the new centre
// is found on the projection: the plot point it moves to, back to latitude and longitude.
bool mosaic_centre(const Domain &d, int nx, int ny, float &clat, float &clon)
{
    const double dx = d.dx, dy = d.dy;
    const double shift_x = -dx * (d.nx - 1) / 2 + dx * nx * (d.nx - 1) / 2;
    const double shift_y = dy * (d.ny - 1) / 2 - dy * ny * (d.ny - 1) / 2;
    if (!is_map_projection(d.proj)) {
        clat = static_cast<float>((d.clat + dy * (d.ny - 1) / 2) - dy * ny * (d.ny - 1) / 2);
        clon = static_cast<float>((d.clon - dx * (d.nx - 1) / 2) + dx * nx * (d.nx - 1) / 2);
        return true;
    }
    const MAP_keep keep;
    MAP_domain(&d);
    float xc = VYK_MISS, yc = VYK_MISS;
    if (MAP_tran(d.clat, d.clon, &xc, &yc) == 1 &&
        MAP_untran(static_cast<float>(xc + shift_x), static_cast<float>(yc + shift_y), &clat,
                   &clon) == 1)
        return true;
    // The projection cannot place it: the spacing turned into degrees on the sphere.
    const double km = 100.0 / MAP_KM_PER_DEG;
    const double lat = d.clat + shift_y * km;
    const double coslat = std::cos(d.clat * VECT_DEG2RAD);
    if (std::fabs(lat) > 90 || std::fabs(coslat) < 1e-6) return false;
    clat = static_cast<float>(lat);
    clon = static_cast<float>(d.clon + shift_x * km / coslat);
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Mosaics
// ---------------------------------------------------------------------------------------------

int GRD_piece_setup(GRD_report *grid, int nx, int ny, const GRD_report *igrid)
{
    if (!grid) return -1;
    const Domain piece = igrid ? igrid->domain : grid->domain;
    const long long NX = (static_cast<long long>(piece.nx) - 1) * nx + 1;
    const long long NY = (static_cast<long long>(piece.ny) - 1) * ny + 1;
    if (nx < 1 || ny < 1 || piece.nx < 1 || piece.ny < 1 || NX > INT_MAX || NY > INT_MAX ||
        static_cast<unsigned long long>(NX) * static_cast<unsigned long long>(NY) > GRD_MAX_POINTS) {
        MESS_print(M_WARN, "GRD_piece_setup: Invalid mosaic: %d x %d pieces of %d x %d\n", nx, ny,
                   piece.nx, piece.ny);
        return -1;
    }
    float clat = 0, clon = 0;
    if (!mosaic_centre(piece, nx, ny, clat, clon)) {
        MESS_print(M_WARN, "GRD_piece_setup: the mosaic's centre is off the earth\n");
        return -1;
    }
    // Values of an enlarged record are laid out for the piece's size: they become piece (0, 0).
    float *old = igrid ? nullptr : grid->grid;
    const bool keep_first = !igrid && grd_points(grid) > 0;
    if (igrid) GRD_copy(grid, igrid);
    grid->domain.nx = static_cast<int>(NX);
    grid->domain.ny = static_cast<int>(NY);
    grid->domain.clat = clat;
    grid->domain.clon = clon;
    if (!igrid && !keep_first) return 0;
    if (GRD_alloc(grid)) {
        fill_missing(grid);
        if (keep_first) paste(grid, old, piece.nx, piece.ny, 0, 0);
    }
    if (keep_first) grd_release_old(grid, old);
    return 0;
}

int GRD_piece_grid(GRD_report *grid, int x, int y, const GRD_report *igrid)
{
    if (grd_points(grid) == 0 || grd_points(igrid) == 0 || x < 0 || y < 0) return -1;
    const int n = igrid->domain.nx, m = igrid->domain.ny;
    const long long x0 = static_cast<long long>(x) * (n - 1);
    const long long y0 = static_cast<long long>(y) * (m - 1);
    if (x0 + n > grid->domain.nx || y0 + m > grid->domain.ny) return -1;
    paste(grid, igrid->grid, n, m, x0, y0);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Whole-grid transformations
// ---------------------------------------------------------------------------------------------

int GRD_remap(GRD_report *ogrid, const Domain *domain, const GRD_report *igrid)
{
    if (!ogrid || !domain || !igrid) return -1;
    const GRD_report in = *igrid;  // the input as it is, also when ogrid is igrid
    const Domain out = *domain;
    GRD_copy_info(ogrid, &in);
    ogrid->domain = out;
    if (!GRD_alloc(ogrid)) {
        if (ogrid == igrid) grd_release_old(ogrid, in.grid);
        return 0;
    }
    const int nx = out.nx, ny = out.ny;
    if (DOM_comp(&out, &in.domain)) {
        for (int j = 0; j < ny; j++)
            for (int i = 0; i < nx; i++)
                ogrid->grid[static_cast<size_t>(i) + static_cast<size_t>(j) * nx] =
                    GRD_get_value(&in, static_cast<float>(i), static_cast<float>(j));
    } else {
        // A row at a time: its places on the output map, then their grid points on the input.
        std::vector<float> lat(static_cast<size_t>(nx)), lon(static_cast<size_t>(nx));
        for (int j = 0; j < ny; j++) {
            MAP_domain(&out);
            for (int i = 0; i < nx; i++) {
                float x = VYK_MISS, y = VYK_MISS;
                MAP_grid_tran(static_cast<float>(i), static_cast<float>(j), &x, &y);
                MAP_untran(x, y, &lat[static_cast<size_t>(i)], &lon[static_cast<size_t>(i)]);
            }
            MAP_domain(&in.domain);
            for (int i = 0; i < nx; i++) {
                float x = VYK_MISS, y = VYK_MISS, gx = VYK_MISS, gy = VYK_MISS;
                MAP_tran(lat[static_cast<size_t>(i)], lon[static_cast<size_t>(i)], &x, &y);
                MAP_grid_untran(x, y, &gx, &gy);
                ogrid->grid[static_cast<size_t>(i) + static_cast<size_t>(j) * nx] =
                    GRD_get_value(&in, gx, gy);
            }
        }
    }
    MAP_domain(&in.domain);
    if (ogrid == igrid) grd_release_old(ogrid, in.grid);
    return 0;
}

int GRD_cutoff(GRD_report *ogrid, const char *cmd, float cutoff, float nval,
               const GRD_report *igrid)
{
    if (!ogrid || !igrid) return -1;
    const GRD_report in = *igrid;
    GRD_copy(ogrid, &in);
    ogrid->grid = nullptr;
    const size_t n = grd_points(&in);
    if (n == 0 || !GRD_alloc(ogrid)) return 0;
    enum { UNCHANGED, LOWER, HIGHER } mode = UNCHANGED;
    if (cmd && stricmp(cmd, "lower") == 0) mode = LOWER;
    else if (cmd && stricmp(cmd, "higher") == 0) mode = HIGHER;
    else MESS_print(M_WARN, "GRD_cutoff: Unknown command, grid copied unchanged: %s\n", cmd ? cmd : "");
    for (size_t k = 0; k < n; k++) {
        const float v = in.grid[k];
        const bool replace = !VYK_is_miss(v) &&
                             ((mode == LOWER && v < cutoff) || (mode == HIGHER && v > cutoff));
        ogrid->grid[k] = replace ? nval : v;
    }
    if (ogrid == igrid) grd_release_old(ogrid, in.grid);
    return 0;
}

int GRD_scale(GRD_report *grid, float scale)
{
    const size_t n = grd_points(grid);
    for (size_t k = 0; k < n; k++)
        if (!VYK_is_miss(grid->grid[k])) grid->grid[k] *= scale;
    return 0;
}

int GRD_offset(GRD_report *grid, float offset)
{
    const size_t n = grd_points(grid);
    for (size_t k = 0; k < n; k++)
        if (!VYK_is_miss(grid->grid[k])) grid->grid[k] += offset;
    return 0;
}

int GRD_units(GRD_report *grid, const char *unit_out)
{
    const size_t n = grd_points(grid);
    if (n == 0) return -1;
    if (!unit_out) unit_out = "";
    // A pair that does not convert would turn every value missing: nothing changes instead.
    if (VYK_is_miss(UNIT_cvt(1.0f, grid->units, unit_out))) {
        MESS_print(M_WARN, "GRD_units: Unable to convert %s to %s\n", grid->units, unit_out);
        return -1;
    }
    MESS_print(M_DEBUG, "GRD_units: %s -> %s\n", grid->units, unit_out);
    // Values already in the units asked for stay as they are: the grid functions convert every
    // argument they read, mostly to the units it already has.
    if (std::strcmp(grid->units, unit_out) != 0)
        for (size_t k = 0; k < n; k++) grid->grid[k] = UNIT_cvt(grid->grid[k], grid->units, unit_out);
    if (unit_out[0] != '\0') {
        strfcpy(grid->units, unit_out);
        UNIT_change(grid->info, unit_out);
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Labels of a calculator result
// ---------------------------------------------------------------------------------------------

namespace {

bool given(const char *word) { return word && word[0] != '\0' && std::strcmp(word, "-") != 0; }

}  // namespace

int GRD_set_math_info(GRD_report *grid, const char *const *cmd, int num, int ind)
{
    if (!grid || !cmd || ind < 0) return 0;
    if (ind < num && given(cmd[ind])) {
        const char *word = cmd[ind];
        if (strnicmp(word, "v=", 2) == 0) {
            grid->var = VAR_search_var_num(word + 2);
            FILE_set_key('v', word + 2);
            char label[VAR_LABEL_LEN];
            VAR_make_datatype(grid->time, grid->ltype, grid->level, grid->var, grid->units, label);
            strfcpy(grid->info, label);
        } else {
            strfcpy(grid->info, word);
        }
    }
    if (ind + 1 < num && given(cmd[ind + 1])) strfcpy(grid->datim, cmd[ind + 1]);
    return 0;
}
