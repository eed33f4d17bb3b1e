// Profiler variables: the value or values of a named variable taken from a profiler report at
// the variable's level (winds interpolated between the report's levels), converted to the
// variable's units, for the point-datum plotter.  The 0-3 km wind shear and the storm-relative
// helicity come from the sounding calculations over a column of 20 levels built from the report.
//
// Report heights are metres above the ground, winds u, v and w in m/s.
#include "prf_internal.h"
#include "prf_sounding.h"
#include "dadodu.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
constexpr float KNOTS_PER_MS = 1.944f;

// Level types.
enum { LT_SFC = 1, LT_PRES = 100, LT_HGHT = 103, LT_AGL = 105 };

// The column of the shear and helicity: 20 levels every 500 m above the ground.
constexpr int COLUMN_LEVELS = 20;
constexpr float COLUMN_STEP = 500;
// The layer of a variable that names a single level, and of the storm motion's mean wind (m).
constexpr float LAYER_TOP = 3000;
constexpr float MEAN_WIND_TOP = 6000;
// The storm motion: the mean wind turned right by 30 degrees at 75 % of its speed.
constexpr float STORM_TURN = 30;
constexpr float STORM_SPEED = 0.75f;

enum class Var { city, temp, dewp, dewd, wdir, wspd, wbrb, uwnd, vwnd, vvel, shear, hel, other };

struct VarName {
    const char *name;
    Var var;
    const char *produced;   // the unit PRF_get_data produces
    const char *def_units;  // the default units of PRF_get_var
};

constexpr VarName VARS[] = {
    {"city", Var::city, "", ""},
    {"temp", Var::temp, "C", "C"},
    {"dewp", Var::dewp, "C", "C"},
    {"dewd", Var::dewd, "dC", "dC"},
    {"wdir", Var::wdir, "deg", "deg"},
    {"wspd", Var::wspd, "knt", "knt"},
    {"wbrbc", Var::wbrb, "m/s", "knt"},
    {"wbrb", Var::wbrb, "m/s", "knt"},
    {"wind", Var::wbrb, "m/s", "knt"},
    {"uwnd", Var::uwnd, "m/s", "m/s"},
    {"vwnd", Var::vwnd, "m/s", "m/s"},
    {"vvel", Var::vvel, "m/s", ""},
    {"shear", Var::shear, "10^-3/s", ""},
    {"hel", Var::hel, "m^2/s^2", ""},
};

constexpr VarName OTHER = {"", Var::other, "", ""};

bool set(float v) { return !VYK_is_miss(v); }

// The variable's name up to its first '-', without regard to case.
const VarName &lookup(const VAR_data *var)
{
    const std::string name(var->name, strcspn(var->name, "-"));
    for (const VarName &v : VARS)
        if (stricmp(name.c_str(), v.name) == 0) return v;
    return OTHER;
}

// The target of a level as a height above the ground (m); false when it has none.
bool target_height(const PRF_report *report, int ltype, long level, float &h)
{
    if (ltype == LT_HGHT || ltype == LT_PRES) {
        if (!set(report->elev)) return false;
        const float above_sea = ltype == LT_HGHT ? static_cast<float>(level)
                                                 : pres_alt(static_cast<float>(level));
        if (!std::isfinite(above_sea) || !set(above_sea)) return false;
        h = std::trunc(above_sea - report->elev);
        return true;
    }
    h = static_cast<float>(level);
    return true;
}

// below + (target - h_below) (above - below) / (h_above - h_below), when both are given.
float interpolate(float below, float above, float frac)
{
    return set(below) && set(above) ? below + frac * (above - below) : MISS;
}

// Direction and speed (m/s) of the wind at the variable's level.
void level_wind(const PRF_report *report, const VAR_data *var, float &dir, float &spd, float &u,
                float &v, float &w)
{
    PRF_get_level(report, var->ltype, var->level, &u, &v, &w);
    vect2wind(u, v, &dir, &spd);
}

// The column of the shear and helicity, speeds in knots.
void build_column(const PRF_report *report, UPA_level *col)
{
    const float elev = set(report->elev) ? report->elev : 0;
    for (int k = 0; k < COLUMN_LEVELS; k++) {
        const float z = COLUMN_STEP * static_cast<float>(k);
        float u, v, w;
        PRF_get_level(report, LT_AGL, static_cast<long>(z), &u, &v, &w);
        if (k == 0 && !set(u)) u = v = 0;  // a missing surface wind is taken as calm
        UPA_level &l = col[k];
        l.h = z;
        l.p = 1013.25f * static_cast<float>(
                             std::pow((288.15 - 0.0065 * (elev + z)) / 288.15, 5.25588));
        l.t = l.td = MISS;
        vect2wind(u, v, &l.dir, &l.spd);
        if (set(l.spd)) l.spd *= KNOTS_PER_MS;
    }
}

// The layer of var against the column: a single level (or none) becomes 0-3000 m above the
// ground, and the variable's level is rewritten so.
void column_layer(VAR_data *var, int &coord, float &bottom, float &top)
{
    float thick;
    if (UPA_level_decode(var, &coord, &bottom, &top, &thick) <= 1) {
        coord = LT_HGHT;
        bottom = 0;
        top = LAYER_TOP;
        VAR_enc_level(LT_AGL, 0, LAYER_TOP, &var->ltype, &var->level);
    }
}

float column_shear(const PRF_report *report, VAR_data *var)
{
    UPA_level col[COLUMN_LEVELS];
    build_column(report, col);
    int coord;
    float bottom, top;
    column_layer(var, coord, bottom, top);
    SHEAR_params s = {MISS, MISS};
    shear_layer(col, COLUMN_LEVELS, coord, bottom, top, nullptr, &s);
    return set(s.pos_shr) && set(s.neg_shr) ? 1000 * (s.pos_shr + s.neg_shr) : MISS;
}

float column_helicity(const PRF_report *report, VAR_data *var)
{
    UPA_level col[COLUMN_LEVELS];
    build_column(report, col);
    int coord;
    float bottom, top;
    column_layer(var, coord, bottom, top);
    WIND mean = {MISS, MISS};
    layer_wind_mean(col, COLUMN_LEVELS, LT_HGHT, 0, MEAN_WIND_TOP, &mean);
    WIND storm = {MISS, MISS};
    if (set(mean.dir) && set(mean.spd)) {
        storm.dir = mean.dir + STORM_TURN;
        if (storm.dir > 360) storm.dir -= 360;
        storm.spd = mean.spd * STORM_SPEED;
    }
    HELICITY_params h;
    h.tot_hel = MISS;
    helicity(col, COLUMN_LEVELS, coord, bottom, top, &storm, &h);
    return h.tot_hel;
}

// Surface values are only given at the surface level: level type 1, or the ground (0 m above
// it) as the winds take it, so that a time-height section shows them on its ground row.
float surface(const VAR_data *var, float value)
{
    return var->ltype == LT_SFC || (var->ltype == LT_AGL && var->level == 0) ? value : MISS;
}

void compute(const PRF_report *report, VAR_data *var, Var which, RAW_data *data)
{
    float dir = MISS, spd = MISS, u = MISS, v = MISS, w = MISS;
    float &first = data->value[0];
    switch (which) {
    case Var::city: strfcpy(data->data, report->id); break;
    case Var::temp: first = surface(var, report->temp); break;
    case Var::dewp: first = surface(var, report->dewp); break;
    case Var::dewd:
        if (set(report->temp) && set(report->dewp))
            first = surface(var, report->temp - report->dewp);
        break;
    case Var::wdir:
        level_wind(report, var, dir, spd, u, v, w);
        first = dir;
        break;
    case Var::wspd:
        level_wind(report, var, dir, spd, u, v, w);
        if (set(spd)) first = spd * KNOTS_PER_MS;
        break;
    case Var::wbrb:
        level_wind(report, var, dir, spd, u, v, w);
        first = dir;
        data->value[1] = spd;
        break;
    case Var::uwnd:
        level_wind(report, var, dir, spd, u, v, w);
        first = u;
        break;
    case Var::vwnd:
        level_wind(report, var, dir, spd, u, v, w);
        first = v;
        break;
    case Var::vvel:
        level_wind(report, var, dir, spd, u, v, w);
        first = w;
        break;
    case Var::shear: first = column_shear(report, var); break;
    case Var::hel: first = column_helicity(report, var); break;
    case Var::other: break;
    }
}

}  // namespace

int PRF_get_level(const PRF_report *report, int ltype, long level, float *u, float *v, float *w)
{
    float du, dv, dw;
    if (!u) u = &du;
    if (!v) v = &dv;
    if (!w) w = &dw;
    *u = *v = *w = MISS;
    if (!report) return 0;
    if (ltype == LT_SFC || (ltype == LT_AGL && level == 0)) {
        wind2vect(report->dir, report->spd, u, v);
        *w = 0;
        return 1;
    }
    float target;
    if (!target_height(report, ltype, level, target)) return 0;
    const int n = std::min(std::max(report->num_levels, 0), PRF_MAX_LEVELS);
    int below = -1;
    for (int k = 0; k < n; k++) {
        const PRF_level &l = report->lev[k];
        if (!set(l.h)) continue;
        if (l.h < target) {
            below = k;
            continue;
        }
        if (l.h == target) {
            *u = l.u;
            *v = l.v;
            *w = l.w;
            return 1;
        }
        if (below < 0) return 0;  // below the lowest level: nothing to interpolate from
        const PRF_level &b = report->lev[below];
        const float frac = (target - b.h) / (l.h - b.h);
        *u = interpolate(b.u, l.u, frac);
        *v = interpolate(b.v, l.v, frac);
        *w = interpolate(b.w, l.w, frac);
        return 1;
    }
    return 0;
}

int PRF_get_data(const PRF_report *report, VAR_data *var, RAW_data *data)
{
    if (!var || !data) return 1;
    RAW_data_init_val(data);
    if (!report) return 1;
    const VarName &name = lookup(var);
    if (!var->units[0]) PRF_get_var(var);
    compute(report, var, name.var, data);
    if (!var->units[0]) strfcpy(var->units, name.produced);
    if (name.produced[0] && std::strcmp(name.produced, var->units) != 0) {
        float &value = set(data->value[1]) ? data->value[1] : data->value[0];
        value = UNIT_cvt(value, name.produced, var->units);
    }
    return 1;
}

int PRF_is_variable(const VAR_data *var)
{
    return var && lookup(var).var != Var::other ? 1 : 0;
}

int PRF_variable_names(char *buf, size_t size)
{
    std::string names;
    for (const VarName &v : VARS)
        names += (names.empty() ? "" : ", ") + std::string(v.name);
    return strfcpy(buf, size, names.c_str()) < names.size() ? -1 : 0;
}

int PRF_get_var(VAR_data *var)
{
    if (!var) return 1;
    const VarName &name = lookup(var);
    if (!var->units[0]) strfcpy(var->units, name.def_units);
    return 1;
}
