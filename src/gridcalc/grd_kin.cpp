// grd_kin.cpp: finite differences on grids (derivatives, Laplacian, convergence, vorticity,
// deformations, advection), the Coriolis parameter combined with a field, the coordinates of
// grid points and the rotation of earth-relative winds to a grid's axes.
//
// Each difference operator is one pass over the grid in memory order; neighbours are read at
// offsets of one value (x) and one row (y).  Inside a row, the runs of points whose every
// neighbour has a value take a branch-free loop (one factor per row instead of a division per
// point); the edges and the points beside a missing value take the point-by-point rules.
#include "grd_internal.h"
#include "grd_kin.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <vector>

namespace {

constexpr double DEG2RAD = 0.017453292519943334;
constexpr double RAD2DEG = 57.295779513082195;
/// A latitude-longitude row this close to a pole (degrees) has no x spacing; a point this
/// close to the equator has a Coriolis parameter of 0.
constexpr double POLE_TOLERANCE = 1e-4;
constexpr float MISS = static_cast<float>(VYK_MISS);
/// Marks a partial result without a value (turned into -9999 when stored).
constexpr double NONE = std::numeric_limits<double>::quiet_NaN();

bool present(float v) { return grd_present(v); }

/// The columns of a row of nx values that hold no usable value, in order, into out.  A whole
/// row is checked in one loop without a branch; only a row with a gap is searched.
void missing_columns(const float *row, int nx, std::vector<int> &out)
{
    out.clear();
    int bad = 0;
    for (int i = 0; i < nx; i++) bad |= grd_absent(row[i]);
    if (!bad) return;
    for (int i = 0; i < nx; i++)
        if (grd_absent(row[i])) out.push_back(i);
}

/// The points of an inner row that the branch-free loop must leave to the point-by-point rules:
/// the two edge columns, and every column whose stencil meets a missing value of a field read
/// around the point (the row itself at the column and either side, the rows above and below at
/// the column) or of a field read at the point only.
class Holes {
public:
    Holes(std::initializer_list<const float *> around, std::initializer_list<const float *> at, int nx)
        : nx_(nx)
    {
        for (const float *f : around)
            if (f) around_.push_back(Field{f, {}});
        for (const float *f : at)
            if (f) at_.push_back(f);
    }

    /// The sorted columns of inner row j (0 < j < ny - 1) that the fast loop skips.
    const std::vector<int> &row(int j)
    {
        cols_.assign({0, nx_ - 1});
        for (Field &f : around_) {
            for (int r = j - 1; r <= j + 1; r++) {
                for (int c : f.missing(r, nx_)) {
                    cols_.push_back(c);
                    if (r == j) {
                        cols_.push_back(c - 1);
                        cols_.push_back(c + 1);
                    }
                }
            }
        }
        for (const float *f : at_) {
            missing_columns(f + static_cast<size_t>(j) * static_cast<size_t>(nx_), nx_, scratch_);
            cols_.insert(cols_.end(), scratch_.begin(), scratch_.end());
        }
        std::sort(cols_.begin(), cols_.end());
        cols_.erase(std::unique(cols_.begin(), cols_.end()), cols_.end());
        // Columns beyond the edges came from neighbours of missing edge values.
        cols_.erase(std::remove_if(cols_.begin(), cols_.end(), [&](int c) { return c < 0 || c >= nx_; }),
                    cols_.end());
        return cols_;
    }

private:
    /// A field read around the point, with the missing columns of the last rows scanned (each
    /// row is scanned once while the pass moves down).
    struct Field {
        const float *values;
        struct Row {
            int j = -1;
            std::vector<int> cols;
        } rows[3];
        const std::vector<int> &missing(int j, int nx)
        {
            Row &r = rows[j % 3];
            if (r.j != j) {
                missing_columns(values + static_cast<size_t>(j) * static_cast<size_t>(nx), nx, r.cols);
                r.j = j;
            }
            return r.cols;
        }
    };
    int nx_;
    std::vector<Field> around_;
    std::vector<const float *> at_;
    std::vector<int> cols_, scratch_;
};

/// Calls fast(i0, i1) for each run of columns between the sorted holes of a row and slow(i)
/// for each hole.
template <class Fast, class Slow> void split_row(const std::vector<int> &holes, Fast fast, Slow slow)
{
    int next = 0;
    for (int h : holes) {
        if (h > next) fast(next, h);
        slow(h);
        next = h + 1;
    }
}

/// The latitude of row j (0 at the top) of a latitude-longitude domain.
double row_lat(const Domain &d, int j)
{
    const double lat_min = static_cast<double>(d.clat) - static_cast<double>(d.dy) * (d.ny - 1) / 2.0;
    return lat_min + static_cast<double>(d.dy) * (d.ny - 1 - j);
}

/// The spacing of a grid's columns (per row) and rows in 100 km units; 0 where there is none
/// (a polar row, a spacing that is not a positive number).
class Spacing {
public:
    explicit Spacing(const Domain &d) : d_(d), latlon_(d.proj == DOM_LATLON)
    {
        const double f = latlon_ ? GRD_UNITS_PER_DEG
                         : VYK_is_miss(d.param[2]) ? 1.0
                                                   : static_cast<double>(d.param[2]);
        x_ = usable(d.dx * f) ? d.dx * f : 0;
        y_ = usable(d.dy * f) ? d.dy * f : 0;
    }
    double y() const { return y_; }
    double x(int j) const
    {
        if (!latlon_ || x_ == 0) return x_;
        const double lat = row_lat(d_, j);
        if (!(std::fabs(lat) < 90 - POLE_TOLERANCE)) return 0;
        const double s = std::cos(lat * DEG2RAD) * x_;
        return usable(s) ? s : 0;
    }

private:
    static bool usable(double s) { return std::isfinite(s) && s > 0; }
    Domain d_;
    bool latlon_;
    double x_ = 0, y_ = 0;
};

// ---------------------------------------------------------------------------------------------
// First derivatives
// ---------------------------------------------------------------------------------------------

/// dF/dx at index k (column i of nx): centred, one-sided beside an edge or a missing value, 0
/// with no usable neighbour.  F at k is present.
inline double diff_x(const float *F, size_t k, int i, int nx, double sx)
{
    const bool east = i + 1 < nx && present(F[k + 1]);
    const bool west = i > 0 && present(F[k - 1]);
    if (east && west) return (static_cast<double>(F[k + 1]) - F[k - 1]) / (2 * sx);
    if (east) return (static_cast<double>(F[k + 1]) - F[k]) / sx;
    if (west) return (static_cast<double>(F[k]) - F[k - 1]) / sx;
    return 0;
}

/// dF/dy at index k (row j of ny, rows of nx values), positive northward (toward row 0).
inline double diff_y(const float *F, size_t k, int j, int ny, size_t nx, double sy)
{
    const bool north = j > 0 && present(F[k - nx]);
    const bool south = j + 1 < ny && present(F[k + nx]);
    if (north && south) return (static_cast<double>(F[k - nx]) - F[k + nx]) / (2 * sy);
    if (north) return (static_cast<double>(F[k - nx]) - F[k]) / sy;
    if (south) return (static_cast<double>(F[k]) - F[k + nx]) / sy;
    return 0;
}

enum class Op { dx, dy, conv, vort, def1, def2, adv };

struct Fields {
    const float *u = nullptr;  // the field of dx and dy, or the u component
    const float *v = nullptr;
    const float *z = nullptr;  // the scalar of advection, or the factor of convergence
};

/// Where one point of the pass stands.
struct At {
    size_t k;
    int i, j, nx, ny;
    double sx, sy;
};

template <Op op> float point(const Fields &f, const At &a)
{
    const size_t k = a.k, nx = static_cast<size_t>(a.nx);
    auto dx = [&](const float *F) { return diff_x(F, k, a.i, a.nx, a.sx); };
    auto dy = [&](const float *F) { return diff_y(F, k, a.j, a.ny, nx, a.sy); };
    if constexpr (op == Op::dx) {
        return present(f.u[k]) ? grd_result(dx(f.u)) : MISS;
    } else if constexpr (op == Op::dy) {
        return present(f.u[k]) ? grd_result(dy(f.u)) : MISS;
    } else {
        if (!present(f.u[k]) || !present(f.v[k])) return MISS;
        if constexpr (op == Op::conv) {
            if (f.z && !present(f.z[k])) return MISS;
            const double c = -dx(f.u) - dy(f.v);
            return grd_result(f.z ? c * f.z[k] : c);
        } else if constexpr (op == Op::vort) {
            return grd_result(dx(f.v) - dy(f.u));
        } else if constexpr (op == Op::def1) {
            return grd_result(dx(f.u) - dy(f.v));
        } else if constexpr (op == Op::def2) {
            return grd_result(-dy(f.u) - dx(f.v));
        } else {
            if (!present(f.z[k])) return MISS;
            return grd_result(-(f.u[k] * dx(f.z)) - (f.v[k] * dy(f.z)));
        }
    }
}

/// The fields a first-derivative operator reads around each point, and those it reads at the
/// point only.
template <Op op> Holes holes_of(const Fields &f, int nx)
{
    if constexpr (op == Op::dx || op == Op::dy) return Holes({f.u}, {}, nx);
    else if constexpr (op == Op::adv) return Holes({f.z}, {f.u, f.v}, nx);
    else return Holes({f.u, f.v}, {f.z}, nx);
}

/// Columns i0 to i1 - 1 of a row (starting at index k0 of the inputs) whose every neighbour has
/// a value, in the order of point<op>'s sums; rx and ry are 1 / (2 spacing).
template <Op op>
void run_inner(const Fields &f, size_t k0, size_t nx, int i0, int i1, double rx, double ry, float *row)
{
    const float *u = f.u + k0, *v = f.v ? f.v + k0 : nullptr, *z = f.z ? f.z + k0 : nullptr;
    auto dx = [&](const float *F, int i) { return (static_cast<double>(F[i + 1]) - F[i - 1]) * rx; };
    auto dy = [&](const float *F, int i) { return (static_cast<double>(F[i - nx]) - F[i + nx]) * ry; };
    if constexpr (op == Op::dx) {
        for (int i = i0; i < i1; i++) row[i] = grd_result(dx(u, i));
    } else if constexpr (op == Op::dy) {
        for (int i = i0; i < i1; i++) row[i] = grd_result(dy(u, i));
    } else if constexpr (op == Op::conv) {
        if (z) {
            for (int i = i0; i < i1; i++) row[i] = grd_result((-dx(u, i) - dy(v, i)) * z[i]);
        } else {
            for (int i = i0; i < i1; i++) row[i] = grd_result(-dx(u, i) - dy(v, i));
        }
    } else if constexpr (op == Op::vort) {
        for (int i = i0; i < i1; i++) row[i] = grd_result(dx(v, i) - dy(u, i));
    } else if constexpr (op == Op::def1) {
        for (int i = i0; i < i1; i++) row[i] = grd_result(dx(u, i) - dy(v, i));
    } else if constexpr (op == Op::def2) {
        for (int i = i0; i < i1; i++) row[i] = grd_result(-dy(u, i) - dx(v, i));
    } else {
        for (int i = i0; i < i1; i++) row[i] = grd_result(-(u[i] * dx(z, i)) - (v[i] * dy(z, i)));
    }
}

/// One pass of a first-derivative operator over a grid of domain d into out.
template <Op op> void pass(const Fields &f, const Domain &d, float *out)
{
    constexpr bool uses_x = op != Op::dy;
    constexpr bool uses_y = op != Op::dx;
    const Spacing sp(d);
    Holes holes = holes_of<op>(f, d.nx);
    const size_t nx = static_cast<size_t>(d.nx);
    At a{0, 0, 0, d.nx, d.ny, 1, sp.y()};
    for (a.j = 0; a.j < d.ny; a.j++) {
        a.sx = uses_x ? sp.x(a.j) : 1;
        float *row = out + static_cast<size_t>(a.j) * nx;
        if ((uses_x && a.sx == 0) || (uses_y && a.sy == 0)) {
            std::fill(row, row + d.nx, MISS);
            continue;
        }
        const size_t k0 = static_cast<size_t>(a.j) * nx;
        auto slow = [&](int i) {
            a.i = i;
            a.k = k0 + static_cast<size_t>(i);
            row[i] = point<op>(f, a);
        };
        if (a.j == 0 || a.j == d.ny - 1 || d.nx < 3) {
            for (int i = 0; i < d.nx; i++) slow(i);
            continue;
        }
        const double rx = 1 / (2 * a.sx), ry = 1 / (2 * a.sy);
        split_row(holes.row(a.j), [&](int i0, int i1) { run_inner<op>(f, k0, nx, i0, i1, rx, ry, row); },
                  slow);
    }
}

/// Checks the inputs of operator name (all of one size, with values, none of them the output)
/// and returns the output values to write: the output's own, or new ones of the inputs' size.
/// NULL after a warning.
float *prepare(const char *name, GRD_report *out, std::initializer_list<const GRD_report *> in)
{
    const GRD_report *first = *in.begin();
    for (const GRD_report *g : in) {
        if (grd_points(g) == 0) {
            MESS_print(M_WARN, "%s: Grid without values\n", name);
            return nullptr;
        }
        if (g->domain.nx != first->domain.nx || g->domain.ny != first->domain.ny) {
            MESS_print(M_WARN, "%s: Grids of different sizes: %dx%d and %dx%d\n", name,
                       first->domain.nx, first->domain.ny, g->domain.nx, g->domain.ny);
            return nullptr;
        }
    }
    if (!out) {
        MESS_print(M_WARN, "%s: No output grid\n", name);
        return nullptr;
    }
    for (const GRD_report *g : in) {
        if (out == g || (out->grid && out->grid == g->grid)) {
            MESS_print(M_WARN, "%s: The output grid is one of the inputs\n", name);
            return nullptr;
        }
    }
    if (out->grid) {
        if (out->domain.nx != first->domain.nx || out->domain.ny != first->domain.ny) {
            MESS_print(M_WARN, "%s: Output grid of another size\n", name);
            return nullptr;
        }
        return out->grid;
    }
    if (!grd_alloc_points(out, grd_points(first))) {
        MESS_print(M_WARN, "%s: No memory for grid field\n", name);
        return nullptr;
    }
    return out->grid;
}

template <Op op>
int run(const char *name, GRD_report *out, std::initializer_list<const GRD_report *> in,
        const Fields &f)
{
    float *values = prepare(name, out, in);
    if (!values) return -1;
    pass<op>(f, (*in.begin())->domain, values);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The Laplacian
// ---------------------------------------------------------------------------------------------

/// The second difference at p along an axis whose points lie step apart: centred; with the
/// first neighbour (p + step) unusable, one-sided over the two points behind; with the one
/// behind unusable, over the two points ahead; NONE when those are not usable.  ahead and
/// behind are the numbers of grid points on each side of p.
double second_diff(const float *p, ptrdiff_t step, int ahead, int behind, double s2)
{
    auto usable = [&](int n, int room, ptrdiff_t dir) { return n <= room && present(p[n * dir]); };
    const double c = p[0];
    if (!usable(1, ahead, step)) {
        if (usable(1, behind, -step) && usable(2, behind, -step))
            return (c + p[-2 * step] - 2.0 * p[-step]) / s2;
        return NONE;
    }
    if (!usable(1, behind, -step)) {
        if (usable(2, ahead, step)) return (c + p[2 * step] - 2.0 * p[step]) / s2;
        return NONE;
    }
    return (static_cast<double>(p[-step]) + p[step] - 2.0 * c) / s2;
}

}  // namespace

GridWalk grd_walk(const Domain &d)
{
    GridWalk w;
    float x0 = MISS, y0 = MISS;
    if (MAP_tran(d.clat, d.clon, &x0, &y0) != 1) return w;
    w.dx = d.dx;
    w.dy = d.dy;
    w.left = x0 - static_cast<double>(d.dx) * (d.nx - 1) / 2.0;
    w.top = y0 + static_cast<double>(d.dy) * (d.ny - 1) / 2.0;
    w.ok = true;
    return w;
}

int GRD_dx(const GRD_report *grid, GRD_report *ogrid)
{
    if (!grid) return run<Op::dx>("GRD_dx", ogrid, {nullptr}, {});
    return run<Op::dx>("GRD_dx", ogrid, {grid}, {grid->grid});
}

int GRD_dy(const GRD_report *grid, GRD_report *ogrid)
{
    if (!grid) return run<Op::dy>("GRD_dy", ogrid, {nullptr}, {});
    return run<Op::dy>("GRD_dy", ogrid, {grid}, {grid->grid});
}

int GRD_converge(const GRD_report *ugrid, const GRD_report *vgrid, const GRD_report *zgrid,
                 GRD_report *ogrid)
{
    if (!ugrid || !vgrid) return run<Op::conv>("GRD_converge", ogrid, {nullptr}, {});
    if (!zgrid)
        return run<Op::conv>("GRD_converge", ogrid, {ugrid, vgrid}, {ugrid->grid, vgrid->grid});
    return run<Op::conv>("GRD_converge", ogrid, {ugrid, vgrid, zgrid},
                         {ugrid->grid, vgrid->grid, zgrid->grid});
}

int GRD_vorticity(const GRD_report *ugrid, const GRD_report *vgrid, GRD_report *ogrid)
{
    if (!ugrid || !vgrid) return run<Op::vort>("GRD_vorticity", ogrid, {nullptr}, {});
    return run<Op::vort>("GRD_vorticity", ogrid, {ugrid, vgrid}, {ugrid->grid, vgrid->grid});
}

int GRD_deformation1(const GRD_report *ugrid, const GRD_report *vgrid, GRD_report *ogrid)
{
    if (!ugrid || !vgrid) return run<Op::def1>("GRD_deformation1", ogrid, {nullptr}, {});
    return run<Op::def1>("GRD_deformation1", ogrid, {ugrid, vgrid}, {ugrid->grid, vgrid->grid});
}

int GRD_deformation2(const GRD_report *ugrid, const GRD_report *vgrid, GRD_report *ogrid)
{
    if (!ugrid || !vgrid) return run<Op::def2>("GRD_deformation2", ogrid, {nullptr}, {});
    return run<Op::def2>("GRD_deformation2", ogrid, {ugrid, vgrid}, {ugrid->grid, vgrid->grid});
}

int GRD_advection(const GRD_report *ugrid, const GRD_report *vgrid, const GRD_report *zgrid,
                  GRD_report *agrid)
{
    if (!ugrid || !vgrid || !zgrid) return run<Op::adv>("GRD_advection", agrid, {nullptr}, {});
    return run<Op::adv>("GRD_advection", agrid, {ugrid, vgrid, zgrid},
                        {ugrid->grid, vgrid->grid, zgrid->grid});
}

int GRD_laplacian(const GRD_report *agrid, GRD_report *bgrid)
{
    float *out = prepare("GRD_laplacian", bgrid, {agrid});
    if (!out) return -1;
    const Domain &d = agrid->domain;
    const Spacing sp(d);
    const double sy2 = sp.y() * sp.y();
    const ptrdiff_t nx = d.nx;
    Holes holes({agrid->grid}, {}, d.nx);
    for (int j = 0; j < d.ny; j++) {
        const double sx = sp.x(j);
        float *row = out + j * nx;
        const float *F = agrid->grid + j * nx;
        if (sx == 0 || sy2 == 0) {
            std::fill(row, row + nx, MISS);
            continue;
        }
        const double sx2 = sx * sx;
        auto slow = [&](int i) {
            if (!present(F[i])) {
                row[i] = MISS;
                return;
            }
            // South (row j + 1) is checked first along y, east (column i + 1) along x.
            const double yy = second_diff(F + i, nx, d.ny - 1 - j, j, sy2);
            const double xx = second_diff(F + i, 1, d.nx - 1 - i, i, sx2);
            row[i] = grd_result(yy + xx);
        };
        if (j == 0 || j == d.ny - 1 || d.nx < 3) {
            for (int i = 0; i < d.nx; i++) slow(i);
            continue;
        }
        const double ry2 = 1 / sy2, rx2 = 1 / sx2;
        auto fast = [&](int i0, int i1) {
            for (int i = i0; i < i1; i++) {
                const double c = F[i];
                const double yy = (static_cast<double>(F[i - nx]) + F[i + nx] - 2.0 * c) * ry2;
                const double xx = (static_cast<double>(F[i - 1]) + F[i + 1] - 2.0 * c) * rx2;
                row[i] = grd_result(yy + xx);
            }
        };
        split_row(holes.row(j), fast, slow);
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The Coriolis parameter and point coordinates
// ---------------------------------------------------------------------------------------------

namespace {

enum class Cor { add, sub, sub_rev, mul, div, div_rev };

struct CorRow {
    const char *name;
    Cor op;
};

constexpr CorRow COR_OPS[] = {
    {"add", Cor::add}, {"sub", Cor::sub}, {"sub-", Cor::sub_rev},
    {"mul", Cor::mul}, {"div", Cor::div}, {"div-", Cor::div_rev},
};

float combine(Cor op, double v, double f)
{
    switch (op) {
    case Cor::add: return grd_result(v + f);
    case Cor::sub: return grd_result(v - f);
    case Cor::sub_rev: return grd_result(f - v);
    case Cor::mul: return grd_result(f * v);
    case Cor::div: return f == 0 ? MISS : grd_result(v / f);
    case Cor::div_rev: return v == 0 ? MISS : grd_result(f / v);
    }
    return MISS;
}

/// The Coriolis parameter at latitude lat (degrees), 1e-5 per second; 0 within the tolerance
/// of the equator, so that a latitude off by rounding does not give a huge quotient.
double coriolis(double lat)
{
    if (std::fabs(lat) < POLE_TOLERANCE) return 0;
    return GRD_TWO_OMEGA * std::sin(lat * DEG2RAD);
}

enum class Loc { lat, lon, projx, projy };

struct LocRow {
    const char *name;
    const char *info;
    const char *units;
    Loc which;
};

constexpr LocRow LOC_OPS[] = {
    {"lat", "Latitude (deg)", "deg", Loc::lat},
    {"lon", "Longitude (deg)", "deg", Loc::lon},
    {"projx", "Projection X", "", Loc::projx},
    {"projy", "Projection Y", "", Loc::projy},
};

template <class Row, size_t N> const Row *find_row(const Row (&rows)[N], const char *name)
{
    if (!name) return nullptr;
    for (const Row &r : rows)
        if (stricmp(r.name, name) == 0) return &r;
    return nullptr;
}

/// Calls fn(k, x, y) for every present value of grid with its plot position on the grid's own
/// map (made current meanwhile); without a placed centre fn gets -9999 positions.
template <class Fn> void walk_present(GRD_report *grid, Fn fn)
{
    const MAP_keep keep;
    MAP_domain(&grid->domain);
    const GridWalk w = grd_walk(grid->domain);
    const Domain &d = grid->domain;
    size_t k = 0;
    for (int j = 0; j < d.ny; j++) {
        for (int i = 0; i < d.nx; i++, k++) {
            if (!present(grid->grid[k])) continue;
            if (w.ok) fn(k, w.x(i), w.y(j));
            else fn(k, MISS, MISS);
        }
    }
}

/// The latitude and longitude of a plot position of the current map: false off the earth.
bool earth_point(float x, float y, float &lat, float &lon)
{
    if (VYK_is_miss(x)) return false;
    lat = lon = VYK_MISS;
    MAP_untran(x, y, &lat, &lon);  // its answer is 0 at the centre of an azimuthal view
    return !VYK_is_miss(lat) && !VYK_is_miss(lon);
}

}  // namespace

int GRD_coriolis(GRD_report *grid, const char *oper)
{
    const CorRow *row = find_row(COR_OPS, oper);
    if (!row || grd_points(grid) == 0) return 0;
    const Domain &d = grid->domain;
    if (d.proj == DOM_LATLON) {
        for (int j = 0; j < d.ny; j++) {
            const double f = coriolis(row_lat(d, j));
            float *v = grid->grid + static_cast<size_t>(j) * static_cast<size_t>(d.nx);
            for (int i = 0; i < d.nx; i++)
                if (present(v[i])) v[i] = combine(row->op, v[i], f);
        }
        return 0;
    }
    walk_present(grid, [&](size_t k, float x, float y) {
        float lat = MISS, lon = MISS;
        grid->grid[k] = earth_point(x, y, lat, lon) ? combine(row->op, grid->grid[k], coriolis(lat))
                                                    : MISS;
    });
    return 0;
}

int GRD_point_locate(GRD_report *grid, const char *oper)
{
    const LocRow *row = find_row(LOC_OPS, oper);
    if (!row || !grid) return 0;
    strfcpy(grid->info, row->info);
    strfcpy(grid->units, row->units);
    grid->var = 0;
    if (grd_points(grid) == 0) return 0;
    walk_present(grid, [&](size_t k, float x, float y) {
        float lat = MISS, lon = MISS;
        switch (row->which) {
        case Loc::projx: grid->grid[k] = x; return;
        case Loc::projy: grid->grid[k] = y; return;
        case Loc::lat: grid->grid[k] = earth_point(x, y, lat, lon) ? grd_result(lat) : MISS; return;
        case Loc::lon:
            if (!earth_point(x, y, lat, lon)) {
                grid->grid[k] = MISS;
                return;
            }
            if (lon > 180) lon -= 360;
            else if (lon < -180) lon += 360;
            grid->grid[k] = grd_result(lon);
            return;
        }
    });
    return 0;
}

int GRD_correct_UV(GRD_report *ugrid, GRD_report *vgrid)
{
    if (grd_points(ugrid) == 0 || grd_points(vgrid) == 0 ||
        ugrid->domain.nx != vgrid->domain.nx || ugrid->domain.ny != vgrid->domain.ny) {
        MESS_print(M_WARN, "GRD_correct_UV: Invalid grids\n");
        return -1;
    }
    const MAP_keep keep;
    MAP_domain(&ugrid->domain);
    const Domain &d = ugrid->domain;
    float *U = ugrid->grid, *V = vgrid->grid;
    size_t k = 0;
    for (int j = 0; j < d.ny; j++) {
        for (int i = 0; i < d.nx; i++, k++) {
            if (!present(U[k]) || !present(V[k])) {
                U[k] = V[k] = MISS;
                continue;
            }
            const double u = U[k], v = V[k];
            const double spd = std::sqrt(u * u + v * v);
            const double dir = spd < 0.01 ? 0.0 : std::atan2(-u, -v) * RAD2DEG;
            float x = MISS, y = MISS;
            MAP_grid_tran(static_cast<float>(i), static_cast<float>(j), &x, &y);
            const float adj = MAP_dir_adj(static_cast<float>(dir), x, y);
            if (VYK_is_miss(adj)) {
                U[k] = V[k] = MISS;
                continue;
            }
            U[k] = grd_result(-spd * std::sin(adj * DEG2RAD));
            V[k] = grd_result(-spd * std::cos(adj * DEG2RAD));
        }
    }
    return 0;
}
