// grd_math.cpp: the grid-function evaluator: the text of a function split into name and type,
// the setup that every function shares (argument checks, the output's values and header,
// cursors), dispatch by name to the tables of functions, and the general functions:
// smoothing, copies, coordinate grids, reductions, arithmetic, elementary and trigonometric
// functions.
//
// Arithmetic is done in single precision and the library functions in double precision; a
// result that is not a finite number is stored as -9999.
#include "grd_math_internal.h"
#include "grd_oper.h"
#include "grd_kin.h"
#include "vykvar.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
constexpr double DEG2RAD = 0.017453292519943334;
constexpr double RAD2DEG = 57.295779513082195;
/// Longest name part printed in a message.
constexpr int NAME_SHOWN = 64;

bool present(float v) { return grd_present(v); }

float constant_of(const float *values, int slot) { return values ? values[slot] : MISS; }

bool same_size(const Domain &a, const Domain &b) { return a.nx == b.nx && a.ny == b.ny; }

/// A record that can hold the result: values of a known size, or a georeference.
bool has_shape(const GRD_report *g) { return g->grid || grd_domain_points(g->domain) > 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The setup
// ---------------------------------------------------------------------------------------------

int GRD_find_num_data(GRD_report *const *grids, const float *values)
{
    if (!grids) return 0;
    int n = 0;
    for (int slot = 1; slot < GRD_MATH_SLOTS; slot++) {
        if (!grids[slot] && VYK_is_miss(constant_of(values, slot))) break;
        n++;
    }
    return n;
}

float GRD_get_math_val(int ind, float *const *ptr, const float *values)
{
    if (!ptr || ind < 0 || ind >= GRD_MATH_SLOTS) return MISS;
    return ptr[ind] ? *ptr[ind] : constant_of(values, ind);
}

namespace {

/// The checks of the setup that change nothing: every argument present, the outputs there,
/// the grids of one size.  The record that gives the result its size, or NULL.
const GRD_report *check_setup(int num, int s, GRD_report *const *grids, const float *values,
                              const GRD_report *&first)
{
    if (num < 0 || num + s > GRD_MATH_SLOTS - 1) {
        MESS_print(M_WARN_C, "GRD_math: More than %d argument slots\n", GRD_MATH_SLOTS - 1);
        return nullptr;
    }
    GRD_report *const outs[2] = {grids[0], s ? grids[1] : nullptr};
    if (!outs[0] || (s && (!outs[1] || outs[1] == outs[0]))) return nullptr;
    first = nullptr;
    bool ok = true;
    for (int slot = 1 + s; slot <= num + s; slot++) {
        if (grd_holds_values(grids[slot])) {
            if (!first) first = grids[slot];
            continue;
        }
        const float v = constant_of(values, slot);
        if (VYK_is_miss(v) || !std::isfinite(v)) ok = false;
    }
    if (!ok) return nullptr;
    for (const GRD_report *o : outs) {
        if (o && o->grid && grd_points(o) == 0) {
            MESS_print(M_WARN_C, "GRD_math: Output grid of unknown size\n");
            return nullptr;
        }
    }
    const GRD_report *shape = has_shape(outs[0]) ? outs[0] : first;
    if (!shape) {
        MESS_print(M_WARN_C, "GRD_math: No grid argument to give the result its grid\n");
        return nullptr;
    }
    auto differs = [&](const GRD_report *g) {
        if (!same_size(g->domain, shape->domain)) {
            MESS_print(M_WARN_C, "GRD_math: Grids of different sizes: %dx%d and %dx%d\n",
                       shape->domain.nx, shape->domain.ny, g->domain.nx, g->domain.ny);
            return true;
        }
        return false;
    };
    for (const GRD_report *o : outs)
        if (o && has_shape(o) && differs(o)) return nullptr;
    for (int slot = 1 + s; slot <= num + s; slot++)
        if (grd_holds_values(grids[slot]) && differs(grids[slot])) return nullptr;
    return shape;
}

}  // namespace

int GRD_math_setup(float **ptr, int *nx, int *ny, int num, GRD_report **grids,
                   const float *values, const char *func, const char *type, const char *units)
{
    if (!ptr || !nx || !ny || !grids || !func) return 0;
    const int s = GRD_is_vect_func(func) ? 1 : 0;
    const GRD_report *first = nullptr;
    const GRD_report *shape = check_setup(num, s, grids, values, first);
    if (!shape) return 0;

    GRD_report *const outs[2] = {grids[0], s ? grids[1] : nullptr};
    for (GRD_report *o : outs) {
        if (!o || o->grid) continue;
        if (grd_domain_points(o->domain) == 0) GRD_copy_info(o, first ? first : outs[0]);
        if (!GRD_alloc(o)) return 0;
    }
    for (int slot = 0; slot < GRD_MATH_SLOTS; slot++) ptr[slot] = nullptr;
    ptr[0] = outs[0]->grid;
    if (s) ptr[1] = outs[1]->grid;
    for (int slot = 1 + s; slot <= num + s; slot++)
        if (grd_holds_values(grids[slot])) ptr[slot] = grids[slot]->grid;
    *nx = outs[0]->domain.nx;
    *ny = outs[0]->domain.ny;

    outs[0]->var = VAR_search_var_num(type && type[0] ? type : func);
    if (units && units[0]) {
        char text[GRD_UNITS_LEN];
        strfcpy(text, units);
        for (GRD_report *o : outs) {
            if (!o) continue;
            strfcpy(o->units, text);
            GRD_make_datatype(o, nullptr);
        }
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// One call
// ---------------------------------------------------------------------------------------------

MathCall::MathCall(const char *func, const char *type, GRD_report **grids, const float *values)
    : func_(func), type_(type), grids_(grids), values_(values),
      shift_(GRD_is_vect_func(func) ? 1 : 0)
{
}

bool MathCall::setup(int num, const char *units, const char *func)
{
    if (GRD_math_setup(ptr_, &nx_, &ny_, num, grids_, values_, func ? func : func_, type_, units))
        return true;
    refuse();
    return false;
}

int MathCall::refuse() const
{
    MESS_print(M_WARN_C, "GRD_math: Invalid grids\n");
    return 0;
}

GRD_report *MathCall::rec(int k) const
{
    GRD_report *g = grids_[slot(k)];
    return grd_holds_values(g) ? g : nullptr;
}

MathArg MathCall::arg(int k) const
{
    static const float missing = MISS;
    const int s = slot(k);
    if (ptr_[s]) return {ptr_[s], 1};
    return {values_ ? &values_[s] : &missing, 0};
}

void MathCall::convert(int k, const char *units) const
{
    if (GRD_report *g = rec(k)) GRD_units(g, units);
}

// ---------------------------------------------------------------------------------------------
// The general functions
// ---------------------------------------------------------------------------------------------

namespace {

constexpr int SMOOTH_REACH = 4;  // neighbours on each side: a 9 x 9 neighbourhood

/// Weighted mean over the 9 x 9 neighbourhood, weights exp((di^2 + dj^2) / r) (no minus sign:
/// a negative r weights near points more); missing neighbours are left out, r = 0 copies.
int smooth(MathCall &c)
{
    if (!c.setup(2)) return 0;
    const GRD_report *a = c.rec(1);
    if (!a || a->grid == c.out_values()) return c.refuse();
    const MathArg r = c.arg(2);
    const float *A = a->grid;
    float *O = c.out_values();
    const int nx = c.nx(), ny = c.ny();
    constexpr int W = 2 * SMOOTH_REACH + 1;
    std::array<float, W * W> weight{};
    float weights_of = NAN;
    size_t k = 0;
    for (int j = 0; j < ny; j++) {
        for (int i = 0; i < nx; i++, k++) {
            const float rk = r[k];
            if (!present(A[k]) || !present(rk)) {
                O[k] = MISS;
                continue;
            }
            if (rk == 0) {
                O[k] = A[k];
                continue;
            }
            if (rk != weights_of) {
                for (int dj = -SMOOTH_REACH; dj <= SMOOTH_REACH; dj++)
                    for (int di = -SMOOTH_REACH; di <= SMOOTH_REACH; di++)
                        weight[(dj + SMOOTH_REACH) * W + di + SMOOTH_REACH] = static_cast<float>(
                            std::exp(static_cast<double>(static_cast<float>(di * di + dj * dj) / rk)));
                weights_of = rk;
            }
            float sum = 0, wsum = 0;
            for (int dj = -SMOOTH_REACH; dj <= SMOOTH_REACH; dj++) {
                const int jj = j + dj;
                if (jj < 0 || jj >= ny) continue;
                const float *row = A + static_cast<size_t>(jj) * static_cast<size_t>(nx);
                const float *w = &weight[(dj + SMOOTH_REACH) * W + SMOOTH_REACH];
                for (int di = -SMOOTH_REACH; di <= SMOOTH_REACH; di++) {
                    const int ii = i + di;
                    if (ii < 0 || ii >= nx || !present(row[ii])) continue;
                    sum += w[di] * row[ii];
                    wsum += w[di];
                }
            }
            O[k] = grd_result(static_cast<double>(sum) / wsum);
        }
    }
    return 1;
}

int copy(MathCall &c)
{
    if (!c.setup(1)) return 0;
    const MathArg a = c.arg(1);
    c.each([&](size_t k) { return present(a[k]) ? a[k] : MISS; });
    return 1;
}

/// "lat", "lon", "projx", "projy": the output becomes a copy of the template grid t, whose
/// present values are then replaced by the coordinates of their points.
int coordinates(MathCall &c)
{
    if (!c.setup(1)) return 0;
    const GRD_report *t = c.rec(1);
    GRD_report *out = c.out();
    if (!t || (out != t && out->grid == t->grid)) return c.refuse();
    if (out != t) {
        float *own = out->grid;
        *out = *t;
        out->grid = own;
        std::memcpy(own, t->grid, grd_points(t) * sizeof(float));
    }
    // Values that are not numbers are missing in the result.
    const size_t n = grd_points(out);
    for (size_t k = 0; k < n; k++)
        if (!present(out->grid[k])) out->grid[k] = MISS;
    GRD_point_locate(out, c.func());
    return 1;
}

/// The arguments 1 to n of a reduction.
struct ArgList {
    std::array<MathArg, GRD_MATH_SLOTS> a;
    int n = 0;
    ArgList(const MathCall &c, int num) : n(num)
    {
        for (int k = 1; k <= n; k++) a[static_cast<size_t>(k - 1)] = c.arg(k);
    }
};

template <bool Larger> int extreme(MathCall &c)
{
    const int n = c.count();
    if (n < 1) return c.refuse();
    if (!c.setup(n)) return 0;
    const ArgList args(c, n);
    c.each([&](size_t k) {
        float held = MISS;
        for (int m = 0; m < args.n; m++) {
            const float v = args.a[static_cast<size_t>(m)][k];
            if (!present(v)) continue;
            if (VYK_is_miss(held) || (Larger ? v > held : v < held)) held = v;
        }
        return held;
    });
    return 1;
}

template <bool Mean> int total(MathCall &c)
{
    const int n = c.count();
    if (n < 1) return c.refuse();
    const ArgUnits units(c, 1);
    if (!c.setup(n, units.text)) return 0;
    const ArgList args(c, n);
    c.each([&](size_t k) {
        float sum = 0;
        int used = 0;
        for (int m = 0; m < args.n; m++) {
            const float v = args.a[static_cast<size_t>(m)][k];
            if (!present(v)) continue;
            sum += v;
            used++;
        }
        if (!Mean) return grd_result(sum);
        return used == args.n && !VYK_is_miss(sum) ? grd_result(sum / static_cast<float>(args.n))
                                                   : MISS;
    });
    return 1;
}

int interp(MathCall &c)
{
    const ArgUnits units(c, 1);
    if (!c.setup(3, units.text)) return 0;
    const MathArg a = c.arg(1), f = c.arg(2), b = c.arg(3);
    c.each([&](size_t k) {
        if (!present(a[k]) || !present(f[k]) || !present(b[k])) return MISS;
        return grd_result(a[k] + (b[k] - a[k]) * f[k]);
    });
    return 1;
}

// Pointwise operations: a missing argument gives -9999.
double op_add(float a, float b) { return a + b; }
double op_sub(float a, float b) { return a - b; }
double op_mul(float a, float b) { return a * b; }
double op_div(float a, float b) { return a / b; }
double op_mod(float a, float b) { return std::fmod(static_cast<double>(a), static_cast<double>(b)); }
double op_pow(float a, float b) { return std::pow(static_cast<double>(a), static_cast<double>(b)); }
double op_atan2(float y, float x) { return std::atan2(static_cast<double>(y), static_cast<double>(x)) * RAD2DEG; }
double op_sqrt(float a) { return std::sqrt(static_cast<double>(a)); }
double op_exp(float a) { return std::exp(static_cast<double>(a)); }
double op_log(float a) { return a > 0 ? std::log(static_cast<double>(a)) : NAN; }
double op_log10(float a) { return a > 0 ? std::log10(static_cast<double>(a)) : NAN; }
double op_abs(float a) { return std::fabs(a); }
double op_sin(float a) { return std::sin(a * DEG2RAD); }
double op_cos(float a) { return std::cos(a * DEG2RAD); }
double op_tan(float a) { return std::tan(a * DEG2RAD); }
double op_asin(float a) { return std::asin(static_cast<double>(a)) * RAD2DEG; }
double op_acos(float a) { return std::acos(static_cast<double>(a)) * RAD2DEG; }
double op_atan(float a) { return std::atan(static_cast<double>(a)) * RAD2DEG; }

template <double (*F)(float)> int unary(MathCall &c)
{
    if (!c.setup(1)) return 0;
    const MathArg a = c.arg(1);
    c.each([&](size_t k) { return present(a[k]) ? grd_result(F(a[k])) : MISS; });
    return 1;
}

/// UnitsOfA: the result takes the first argument's units when that is a grid.
template <double (*F)(float, float), bool UnitsOfA = false> int binary(MathCall &c)
{
    const ArgUnits units(c, 1);
    if (!c.setup(2, UnitsOfA ? units.text : nullptr)) return 0;
    const MathArg a = c.arg(1), b = c.arg(2);
    c.each([&](size_t k) {
        return present(a[k]) && present(b[k]) ? grd_result(F(a[k], b[k])) : MISS;
    });
    return 1;
}

constexpr MathFunc GENERAL[] = {
    {"smooth", smooth},
    {"copy", copy},
    {"lat", coordinates},
    {"lon", coordinates},
    {"projx", coordinates},
    {"projy", coordinates},
    {"max", extreme<true>},
    {"min", extreme<false>},
    {"add", binary<op_add>},
    {"sum", total<false>},
    {"avg", total<true>},
    {"interp", interp},
    {"sub", binary<op_sub, true>},
    {"thick", binary<op_sub, true>},
    {"mul", binary<op_mul>},
    {"mod", binary<op_mod>},
    {"sqrt", unary<op_sqrt>},
    {"pow", binary<op_pow>},
    {"exp", unary<op_exp>},
    {"log", unary<op_log>},
    {"log10", unary<op_log10>},
    {"abs", unary<op_abs>},
    {"div", binary<op_div>},
    {"sin", unary<op_sin>},
    {"cos", unary<op_cos>},
    {"tan", unary<op_tan>},
    {"asin", unary<op_asin>},
    {"acos", unary<op_acos>},
    {"atan", unary<op_atan>},
    {"atan2", binary<op_atan2>},
};

}  // namespace

std::span<const MathFunc> grd_general_funcs() { return GENERAL; }

// ---------------------------------------------------------------------------------------------
// The evaluator
// ---------------------------------------------------------------------------------------------

namespace {

/// The function of a name, or NULL.
const MathFunc *find_func(std::string_view name)
{
    for (auto table : {grd_general_funcs(), grd_wind_funcs(), grd_therm_funcs()})
        for (const MathFunc &f : table)
            if (f.name == name) return &f;
    return nullptr;
}

}  // namespace

std::string_view grd_split_func(const char *str, char (&func)[GRD_FUNC_NAME_MAX + 1],
                                char (&type)[GRD_FUNC_NAME_MAX + 1])
{
    func[0] = type[0] = '\0';
    if (!str) return {};
    const char *dash = std::strchr(str, '-');
    const std::string_view name(str, dash ? static_cast<size_t>(dash - str) : std::strlen(str));
    if (name.size() <= GRD_FUNC_NAME_MAX) strfcpy(func, name.data(), name.size());
    if (dash) strfcpy(type, dash + 1, std::strcspn(dash + 1, " \t\r\n"));
    return name;
}

int GRD_math(const char *str, GRD_report **grids, const float *values)
{
    if (!str) str = "";
    char func[GRD_FUNC_NAME_MAX + 1] = "";
    char type[GRD_FUNC_NAME_MAX + 1] = "";
    const std::string_view name = grd_split_func(str, func, type);

    if (func[0] && GRD_is_plot_func(func)) return 1;
    const MathFunc *f = func[0] ? find_func(func) : nullptr;
    if (!f) {
        MESS_print(M_WARN_C, "GRD_math: Math function not available: %.*s\n",
                   static_cast<int>(std::min<size_t>(name.size(), NAME_SHOWN)), name.data());
        return 0;
    }
    if (!grids) {
        MESS_print(M_WARN_C, "GRD_math: Invalid grids\n");
        return 0;
    }
    MathCall c(func, type, grids, values);
    return f->run(c);
}
