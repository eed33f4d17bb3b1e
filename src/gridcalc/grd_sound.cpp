// grd_sound.cpp: soundings from grids.  The products of one forecast time are looked for in a
// grid file: height, temperature, relative humidity and wind on isobaric levels, and the
// surface pressure, 2 m temperature and humidity and 10 m wind.  Their values at one place fill
// a column of isobaric levels and a surface level, which is inserted where it belongs; levels
// without data go, and the fields become dew points, winds in knots and degrees C.
//
// While the column is built the td field of a level holds relative humidity (per cent), dir and
// spd the u and v components (m/s).  Values are converted from the units of their products.
#include "grd_sound.h"

#include "grd_internal.h"
#include "grd_oper.h"
#include "grd_search.h"
#include "vykplot.h"
#include "vect.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
constexpr float STEP_50 = 50, STEP_25 = 25;
constexpr float TOP_PRESSURE = 1000;   // the first isobaric level
constexpr int LOWEST_LEVEL = 50;       // isobaric products above this pressure are used
constexpr int SURFACE_WALK = 10;       // isobaric levels the surface may be inserted among
constexpr int MIN_VALUES = 10;
constexpr double KELVIN = 273.15;
constexpr double MS_TO_KT = 1.944;
/// The forecast hour of the products looked for.
constexpr int FLAG_FORECAST = 6;

// Variable numbers of the products.
enum { V_PRES = 1, V_HGT = 7, V_TEMP = 11, V_RH = 52, V_U = 33, V_V = 34 };
// Level types.
enum { LT_SFC = 1, LT_ISOBARIC = 100, LT_AGL = 105 };

struct Selector {
    int ltype, level, var;
};
/// The products looked for: the first five on isobaric levels, the others at the surface.
constexpr Selector SELECTORS[] = {
    {LT_ISOBARIC, VYK_MISS, V_HGT}, {LT_ISOBARIC, VYK_MISS, V_TEMP}, {LT_ISOBARIC, VYK_MISS, V_RH},
    {LT_ISOBARIC, VYK_MISS, V_U},   {LT_ISOBARIC, VYK_MISS, V_V},    {LT_SFC, VYK_MISS, V_PRES},
    {LT_AGL, 2, V_TEMP},            {LT_AGL, 2, V_RH},               {LT_AGL, 10, V_U},
    {LT_AGL, 10, V_V},
};
constexpr int ISOBARIC_SELECTORS = 5;

struct State {
    float step = STEP_50;
};
State st;

int isobaric_levels() { return st.step == STEP_25 ? GRD_SND_LEVELS_25 : GRD_SND_LEVELS_50; }

/// The grid type wanted: the grid_type resource, or any.
int wanted_type()
{
    const char *t = RES_get("grid_type");
    if (!t || !t[0]) return VYK_MISS;
    char *end = nullptr;
    const long v = std::strtol(t, &end, 10);
    return end != t && *end == '\0' && v > -100000 && v < 100000 ? static_cast<int>(v) : VYK_MISS;
}

/// The value of a product at a place of the earth (its own map made current).
float value_at(const GRD_report &g, float lat, float lon)
{
    MAP_domain(&g.domain);
    float x = MISS, y = MISS;
    if (MAP_tran(lat, lon, &x, &y) != 1) return MISS;
    return GRD_get_value_domain(&g, &g.domain, &x, &y);
}

/// Stores a present value of a product into a level by the product's variable number.
void store(UPA_level &lev, const GRD_report &g, float v)
{
    switch (g.var) {
    case V_PRES: lev.p = UNIT_cvt(v, g.units[0] ? g.units : "Pa", "mb"); break;
    case V_HGT: lev.h = UNIT_cvt(v, g.units, "m"); break;
    case V_TEMP: lev.t = UNIT_cvt(v, g.units, "K"); break;
    case V_RH: lev.td = v; break;
    case V_U: lev.dir = v; break;
    case V_V: lev.spd = v; break;
    default: break;
    }
}

/// The level a product's value goes to: an isobaric level by its pressure, or the surface
/// level; NULL when an isobaric product's level is not one of the column's.
UPA_level *level_for(UPA_level *sm, int n, int selector, const GRD_report &g)
{
    if (selector >= ISOBARIC_SELECTORS) return &sm[n + 1];
    const int step = static_cast<int>(st.step);
    if (g.level < LOWEST_LEVEL || g.level > TOP_PRESSURE || g.level % step != 0) return nullptr;
    const int k = (static_cast<int>(TOP_PRESSURE) - g.level) / step;
    return k >= 0 && k < n ? &sm[k] : nullptr;
}

/// Reads the products of the file and stores their values at the place; the count of values.
/// The map of the last product used stays current.
int collect(int grd_fd, float lat, float lon, UPA_level *sm, int n)
{
    VAR_data sel[std::size(SELECTORS)];
    const int time = static_cast<int>(FLAG_get(FLAG_FORECAST));
    for (size_t s = 0; s < std::size(SELECTORS); s++)
        GRD_set_params(&sel[s], time, SELECTORS[s].ltype, SELECTORS[s].level, SELECTORS[s].var);
    const int type = wanted_type();
    GRD_scratch rec;
    GRD_report &g = rec.r;
    int count = 0;
    for (int p = 0;; p++) {
        int num = p;
        if (GRD_read(grd_fd, &g, GRD_READ_HEADER, &num) != 0) break;
        for (size_t s = 0; s < std::size(SELECTORS); s++) {
            if (!GRD_test(&g, &sel[s], type)) continue;
            num = p;
            if (GRD_read(grd_fd, &g, GRD_READ_VALUES, &num) != 0) break;
            const float v = value_at(g, lat, lon);
            UPA_level *lev = VYK_is_miss(v) ? nullptr : level_for(sm, n, static_cast<int>(s), g);
            if (!lev) break;
            store(*lev, g, v);
            if (count++ == 0) UPA_set_datim(g.datim);
            break;
        }
    }
    return count;
}

/// f at pressure p between the level below (higher pressure) and the level above it.
float interp(float p, float p_below, float f_below, float p_above, float f_above)
{
    if (VYK_is_miss(f_below) || VYK_is_miss(f_above) || p_below == p_above) return MISS;
    return (p - p_above) * (f_below - f_above) / (p_below - p_above) + f_above;
}

/// Inserts the surface level (sm[n + 1]) among the first isobaric levels and takes the spare
/// level into the column; levels below the ground lose their temperature, humidity and wind.
/// The new number of levels.
int insert_surface(UPA_level *sm, int n, float sfcp)
{
    const UPA_level sfc = sm[n + 1];
    const int walk = std::min(SURFACE_WALK, n);
    int at = -1;
    for (int k = 0; k < walk; k++)
        if (sm[k].p < sfcp) {
            at = k;
            break;
        }
    if (at >= 0) {
        for (int k = n; k > at; k--) sm[k] = sm[k - 1];
        UPA_level &s = sm[at];
        s = sfc;
        if (at > 0) {
            const UPA_level &below = sm[at - 1], &above = sm[at + 1];
            float UPA_level::*const members[] = {&UPA_level::t, &UPA_level::td, &UPA_level::dir,
                                                 &UPA_level::spd};
            for (float UPA_level::*m : members)
                if (VYK_is_miss(s.*m)) s.*m = interp(s.p, below.p, below.*m, above.p, above.*m);
        }
    }
    // Levels below the ground keep only their heights.
    for (int k = 0; k < std::min(SURFACE_WALK, n + 1); k++) {
        if (k == at || !(sm[k].p > sfcp)) continue;
        sm[k].t = sm[k].td = sm[k].dir = sm[k].spd = MISS;
    }
    return n + 1;
}

/// Removes the levels whose height, temperature and both winds are all missing.
int drop_empty(UPA_level *sm, int n)
{
    int out = 0;
    for (int k = 0; k < n; k++) {
        const UPA_level &l = sm[k];
        if (VYK_is_miss(l.h) && VYK_is_miss(l.t) && VYK_is_miss(l.dir) && VYK_is_miss(l.spd)) continue;
        sm[out++] = l;
    }
    return out;
}

/// Relative humidity to dew point, components to direction and knots, kelvin to degrees C.
void finish(UPA_level &l)
{
    const float td = dew_temp(l.t, l.td);
    float dir = MISS, spd = MISS;
    vect2wind(l.dir, l.spd, &dir, &spd);
    l.t = VYK_is_miss(l.t) ? MISS : static_cast<float>(l.t - KELVIN);
    l.td = VYK_is_miss(td) ? MISS : static_cast<float>(td - KELVIN);
    l.dir = dir;
    l.spd = VYK_is_miss(spd) ? MISS : static_cast<float>(spd * MS_TO_KT);
}

}  // namespace

int GRD_snd_param()
{
    int count = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &count, &words);
    for (int i = 0; i < count; i++) {
        const char *w = words[i];
        if (!w || strnicmp(w, "dpres", 5) != 0 || std::strlen(w) < 7) continue;
        char *end = nullptr;
        const double dp = std::strtod(w + 6, &end);
        if (end != w + 6 && *end == '\0') GRD_set_sound_dp(static_cast<float>(dp));
        else MESS_print(M_WARN, "GRD_snd_param: %s: the pressure step needs a number\n", w);
    }
    free_parsed_array(count, words);
    return 0;
}

int GRD_set_sound_dp(float dp)
{
    if (dp == STEP_25) st.step = STEP_25;
    return 0;
}

float GRD_get_sound_dp() { return st.step; }

int GRD_get_sound(int grd_fd, float lat, float lon, UPA_level *sm, int *num, float *sfcp)
{
    if (!sm || !num || !sfcp) return 0;
    MESS_print(M_MESS, "Searching file for grids...\n");
    const int n = isobaric_levels();
    if (*num < n + GRD_SND_EXTRA) {
        MESS_print(M_WARN, "GRD_get_sound: %d levels do not hold a column of %d\n", *num,
                   n + GRD_SND_EXTRA);
        return 0;
    }
    for (int k = 0; k < n + GRD_SND_EXTRA; k++) {
        UPA_level_init(&sm[k]);
        if (k < n) sm[k].p = TOP_PRESSURE - static_cast<float>(k) * st.step;
    }
    const int count = collect(grd_fd, lat, lon, sm, n);
    if (count < MIN_VALUES) {
        MESS_print(M_WARN_C, "GRD_get_sound: Too few grids to make sounding: %d\n", count);
        return 0;
    }
    int levels = n;
    *sfcp = 1000;
    if (!VYK_is_miss(sm[n + 1].p)) {
        *sfcp = sm[n + 1].p;
        levels = insert_surface(sm, n, *sfcp);
    }
    levels = drop_empty(sm, levels);
    for (int k = 0; k < levels; k++) finish(sm[k]);
    UPA_calc_height(sm, levels);
    *num = levels;
    return 1;
}
