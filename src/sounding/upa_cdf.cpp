// upa_cdf.cpp: the two netCDF layouts of upper-air files: kind 11 (record dimension "station",
// lower-case level variables, knots, wind heights in feet) and kind 12 ("report", upper-case,
// m/s, wind heights in m).  One record per station; the level variables hold the 25 mandatory
// entries, 200 significant and 100 wind levels.
//
// Every station is written and read through staging arrays set to -9999 first, so that nothing
// of one station reaches the next.  Counts and level dimensions read from a file are held to
// the record's limits.  An output is made and ended through the core's netCDF output files:
// every definition and write is checked, and a file whose header, records or close failed is
// removed at UPA_close.
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"
#include "upa_file.h"
#include "upa_file_internal.h"
#include "vykcdf.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr float MISS = VYK_MISS;
constexpr int STRING_LEN = 11;
constexpr float KNOT_TO_MS = 0.5144f, MS_TO_KNOT = 1.944f;
constexpr float FEET_TO_M = 0.3048f, M_TO_FEET = 3.2808f;
constexpr const char *DEFAULT_HISTORY = "Upper air converted file from VYK decoders";

// Level variables, by field.
enum { P_MAN, Z_MAN, T_MAN, TD_MAN, DIR_MAN, SPD_MAN, P_SIGT, T_SIGT, TD_SIGT, Z_SIGW, DIR_SIGW,
       SPD_SIGW, NUM_LEVEL_VARS };
// Station variables.
enum { V_ID, V_REGION, V_TYPE, V_IDN, V_LAT, V_LON, V_NUM_MANT, V_NUM_SIGT, V_NUM_SIGW, NUM_STATION_VARS };

struct LevelVar {
    const char *lower, *upper;
    int dim;  // 0 mandatory, 1 significant, 2 wind
    const char *long_name;
    const char *units_11, *units_12;
    float min_11, max_11, min_12, max_12;  // valid ranges in each layout's units
};

constexpr LevelVar LEVEL_VARS[NUM_LEVEL_VARS] = {
    {"p_man", "P_man", 0, "Pressure - Mandatory Levels", "hectopascals", "hectopascals", 0, 1500, 0, 1500},
    {"z_man", "Z_man", 0, "Geopotential - Mandatory Levels", "meters", "meters", -150, 100000, -150, 100000},
    {"t_man", "T_man", 0, "Temperature - Mandatory Levels", "celsius", "celsius", -100, 100, -100, 100},
    {"td_man", "TD_man", 0, "Dew Point - Mandatory Levels", "celsius", "celsius", -100, 100, -100, 100},
    {"dir_man", "DIR_man", 0, "Wind Direction - Mandatory Levels", "degrees", "degrees", 0, 360, 0, 360},
    {"spd_man", "SPD_man", 0, "Wind Speed - Mandatory Levels", "knots", "meters/second", 0, 300, 0, 155},
    {"p_sigt", "P_sigt", 1, "Pressure - Significant Levels wrt T", "hectopascals", "hectopascals", 0, 1500, 0, 1500},
    {"t_sigt", "T_sigt", 1, "Temperature - Significant Levels wrt T", "celsius", "celsius", -100, 100, -100, 100},
    {"td_sigt", "TD_sigt", 1, "Dew Point - Significant Levels wrt T", "celsius", "celsius", -100, 100, -100, 100},
    // The wind heights: the same span of -150 to 100000 m in feet and in metres.
    {"z_sigw", "Z_sigw", 2, "Altitude - Significant Levels wrt W", "feet", "meters", -500, 330000, -150, 100000},
    {"dir_sigw", "DIR_sigw", 2, "Wind Direction - Significant Levels wrt W", "degrees", "degrees", 0, 360, 0, 360},
    {"spd_sigw", "SPD_sigw", 2, "Wind Speed - Significant Levels wrt W", "knots", "meters/second", 0, 300, 0, 155},
};

constexpr int LEVEL_DIMS[3] = {UPA_NUM_MAN, UPA_NUM_SIG, UPA_NUM_WND};

struct State {
    int fd = -1;
    int kind = 0;
    int access = UPA_ACCESS_READ;
    int count = 0;            // stations in the file
    int var[NUM_STATION_VARS] = {};
    int level[NUM_LEVEL_VARS] = {};
    bool old_layout = false;  // no "version": longitudes west positive
    int failures = 0;         // definitions and writes of the output that failed
};

State st;

bool has(float v) { return !VYK_is_miss(v); }
bool metric() { return st.kind == UPA_FILE_CDF_REP; }
const char *level_name(int k) { return metric() ? LEVEL_VARS[k].upper : LEVEL_VARS[k].lower; }

/// A present value times f; missing stays missing.
float scaled(float v, float f) { return has(v) ? v * f : v; }

// ----- writing ------------------------------------------------------------------------------

/// Every definition and write of an output goes through here: a result below 0 (an id or a
/// status) fails the output.  Gives r back.
int noted(int r)
{
    if (r < 0) st.failures++;
    return r;
}

int def_text(const char *name, int rec, int str, const char *long_name)
{
    noted(CDF_set_shape(2, rec, str));
    const int id = noted(CDF_def_char_var(name));
    noted(CDF_put_base_att(id, long_name, nullptr));
    return id;
}

int def_count(const char *name, int rec, const char *long_name, long max)
{
    noted(CDF_set_shape(1, rec));
    const int id = noted(CDF_def_long_var(name));
    noted(CDF_put_base_att(id, long_name, nullptr));
    noted(CDF_put_long_range_att(id, 0, max));
    noted(CDF_put_long_fill_att(id, 0));
    return id;
}

int def_float(const char *name, const char *long_name, const char *units, float min, float max)
{
    const int id = noted(CDF_def_float_var(name));
    noted(CDF_put_base_att(id, long_name, units));
    noted(CDF_put_float_range_att(id, min, max));
    noted(CDF_put_fill_att(id));
    return id;
}

int cdf_putinfo(UPA_info *info)
{
    CDF_set_fd(st.fd);
    const int rec = noted(CDF_def_dim(metric() ? "report" : "station", 0));
    int dims[3];
    dims[0] = noted(CDF_def_dim("mant_level", UPA_NUM_MAN));
    dims[1] = noted(CDF_def_dim("sigt_level", UPA_NUM_SIG));
    dims[2] = noted(CDF_def_dim("sigw_level", UPA_NUM_WND));
    const int str = noted(CDF_def_dim("string_len", STRING_LEN));
    st.var[V_ID] = def_text("id", rec, str, "Station ID");
    st.var[V_REGION] = def_text("region", rec, str, "Region ID");
    st.var[V_TYPE] = def_text("type", rec, str, "Report Origination");
    noted(CDF_set_shape(1, rec));
    st.var[V_IDN] = noted(CDF_def_long_var("idn"));
    noted(CDF_put_base_att(st.var[V_IDN], "WMO Numeric Station ID", nullptr));
    st.var[V_LAT] = def_float("lat", "Latitude", "degrees_N", -90, 90);
    st.var[V_LON] = def_float("lon", "Longitude", "degrees_E", -180, 180);
    st.var[V_NUM_MANT] = def_count("num_mant", rec, "Number of Mandatory Levels", UPA_NUM_MAN);
    st.var[V_NUM_SIGT] = def_count("num_sigt", rec, "Number of Significant Levels wrt T", UPA_NUM_SIG);
    st.var[V_NUM_SIGW] = def_count("num_sigw", rec, "Number of Significant Levels wrt W", UPA_NUM_WND);
    for (int k = 0; k < NUM_LEVEL_VARS; k++) {
        const LevelVar &v = LEVEL_VARS[k];
        noted(CDF_set_shape(2, rec, dims[v.dim]));
        st.level[k] = metric() ? def_float(v.upper, v.long_name, v.units_12, v.min_12, v.max_12)
                               : def_float(v.lower, v.long_name, v.units_11, v.min_11, v.max_11);
    }
    if (!info->cmdline) info->cmdline = DEFAULT_HISTORY;
    noted(CDF_put_glob_att("title", "Upper Air Observations"));
    noted(CDF_put_glob_att("version", "2.0"));
    noted(CDF_put_glob_att("history", info->cmdline));
    noted(CDF_put_glob_att("filetime", info->datim));
    noted(CDF_put_glob_att("yymmddhh", info->file));
    noted(CDF_end_def());
    return st.failures > 0 ? -1 : 0;
}

/// Writes the first n staged values of level variable k at record r (the rest -9999).
void put_levels(int k, int r, const float *values)
{
    noted(CDF_set_range(2, r, 1, 0, LEVEL_DIMS[LEVEL_VARS[k].dim]));
    noted(CDF_put_float_array(st.level[k], values));
}

int cdf_write(UPA_report *rep, int *statnum)
{
    const int r = *statnum;
    const int before = st.failures;
    CDF_set_fd(st.fd);
    noted(CDF_set_pos(1, r));
    noted(CDF_put_str(st.var[V_ID], rep->id));
    noted(CDF_put_str(st.var[V_REGION], rep->area));
    noted(CDF_put_str(st.var[V_TYPE], "LAND"));
    noted(CDF_put_long(st.var[V_IDN], rep->wmo));
    noted(CDF_put_float(st.var[V_LAT], rep->lat));
    noted(CDF_put_float(st.var[V_LON], rep->lon));
    const int numsig = upa_count(rep->numsig, UPA_NUM_SIG);
    const int numwnd = upa_count(rep->numwnd, UPA_NUM_WND);
    noted(CDF_put_long(st.var[V_NUM_MANT], rep->numman != 0 ? UPA_NUM_MAN : 0));
    noted(CDF_put_long(st.var[V_NUM_SIGT], numsig));
    noted(CDF_put_long(st.var[V_NUM_SIGW], numwnd));

    const float spd = metric() ? KNOT_TO_MS : 1, hght = metric() ? FEET_TO_M : 1;
    float stage[NUM_LEVEL_VARS][UPA_NUM_SIG];
    for (auto &row : stage) std::fill(std::begin(row), std::end(row), MISS);
    for (int s = 0; s < UPA_NUM_MAN; s++) {
        const UPA_level &l = rep->man[s];
        stage[P_MAN][s] = l.p, stage[Z_MAN][s] = l.h, stage[T_MAN][s] = l.t;
        stage[TD_MAN][s] = l.td, stage[DIR_MAN][s] = l.dir, stage[SPD_MAN][s] = scaled(l.spd, spd);
    }
    for (int i = 0; i < numsig; i++) {
        stage[P_SIGT][i] = rep->sig[i].p, stage[T_SIGT][i] = rep->sig[i].t;
        stage[TD_SIGT][i] = rep->sig[i].td;
    }
    for (int i = 0; i < numwnd; i++) {
        stage[Z_SIGW][i] = scaled(rep->wnd[i].h, hght), stage[DIR_SIGW][i] = rep->wnd[i].dir;
        stage[SPD_SIGW][i] = scaled(rep->wnd[i].spd, spd);
    }
    for (int k = 0; k < NUM_LEVEL_VARS; k++) put_levels(k, r, stage[k]);
    return st.failures > before ? -1 : 0;
}

// ----- reading ------------------------------------------------------------------------------

/// Level variable k of record r into values (LEVEL_DIMS entries, -9999 where the file has none).
void get_levels(int k, int r, float *values)
{
    const int want = LEVEL_DIMS[LEVEL_VARS[k].dim];
    std::fill(values, values + want, MISS);
    int type = 0;
    long dims[CDF_MAX_DIMS];
    if (st.level[k] < 0 || CDF_get_var_info(st.level[k], &type, dims) != 2 || type == CDF_CHAR) return;
    const long n = std::min<long>(dims[1], want);
    if (n <= 0 || CDF_set_range(2, r, 1, 0, n) != 0) return;
    double got[UPA_NUM_SIG];
    if (CDF_get_number_array(st.level[k], got) != 0) return;
    for (long i = 0; i < n; i++) values[i] = static_cast<float>(got[i]);
}

float get_number(int var, int r)
{
    CDF_set_pos(1, r);
    return var < 0 ? MISS : static_cast<float>(CDF_get_number(var));
}

/// A text variable of record r: at most 10 characters.
void get_text(int var, int r, char *out, size_t size)
{
    out[0] = '\0';
    if (var < 0) return;
    long dims[CDF_MAX_DIMS];
    int type = 0;
    if (CDF_get_var_info(var, &type, dims) != 2 || type != CDF_CHAR) return;
    char text[STRING_LEN + 1];
    CDF_set_pos(1, r);
    if (CDF_get_str(var, static_cast<int>(std::min<long>(dims[1], STRING_LEN)), text))
        strfcpy(out, size, text, size - 1);
}

/// A count of record r held within 0 and max.
int get_count(int var, int r, int max)
{
    const float v = get_number(var, r);
    return upa_count(has(v) ? static_cast<long>(std::clamp(v, -1.0f, 1e6f)) : 0, max);
}

void read_station_fields(UPA_report *rep, int r, int mode, const float *z_man)
{
    get_text(st.var[V_ID], r, rep->id, sizeof rep->id);
    const float wmo = get_number(st.var[V_IDN], r);
    rep->wmo = has(wmo) && wmo >= -99999 && wmo <= 99999 ? static_cast<int>(wmo) : VYK_MISS;
    if (mode == UPA_READ_ID) return;
    if (st.var[V_REGION] >= 0) get_text(st.var[V_REGION], r, rep->area, sizeof rep->area);
    else strfcpy(rep->area, "UN");
    rep->lat = get_number(st.var[V_LAT], r);
    const float lon = get_number(st.var[V_LON], r);
    rep->lon = st.old_layout && has(lon) ? -lon : lon;
    rep->elev = z_man[0];
}

int cdf_read(UPA_report *rep, int mode, int r)
{
    if (r >= st.count) return -1;
    const bool one = (mode >= 0 && mode <= UPA_MAN_10MB) || mode == UPA_READ_TROP || mode == UPA_READ_MWND;
    if (mode != UPA_READ_ALL && mode != UPA_READ_ID && mode != UPA_READ_STATION && !one) {
        // Nothing would be read: the caller must not take the report as read.
        MESS_print(M_WARN, "UPA_read: read mode %d is not one of a netCDF upper-air file\n", mode);
        return -1;
    }
    CDF_set_fd(st.fd);
    float man[6][UPA_NUM_MAN];
    for (int k = P_MAN; k <= SPD_MAN; k++) get_levels(k, r, man[k]);
    if (mode == UPA_READ_ALL) UPA_initialize(rep);
    read_station_fields(rep, r, mode, man[Z_MAN]);
    if (mode == UPA_READ_ID || mode == UPA_READ_STATION) return 0;

    const float spd = metric() ? MS_TO_KNOT : 1;
    auto entry = [&](int e) {
        return UPA_level{man[P_MAN][e], man[Z_MAN][e], man[T_MAN][e], man[TD_MAN][e],
                         man[DIR_MAN][e], scaled(man[SPD_MAN][e], spd)};
    };
    const bool no_925 = man[P_MAN][2] == 850;  // entry 2 holds 850 mb: the file has no 925 mb
    if (one) {
        int e = mode > 1 && no_925 ? mode - 1 : mode;
        if (mode == 2 && no_925) UPA_level_init(&rep->man[UPA_MAN_SFC]);
        else rep->man[UPA_MAN_SFC] = entry(e);
        return 0;
    }
    rep->numman = get_count(st.var[V_NUM_MANT], r, UPA_NUM_MAN);
    rep->numsig = get_count(st.var[V_NUM_SIGT], r, UPA_NUM_SIG);
    rep->numwnd = get_count(st.var[V_NUM_SIGW], r, UPA_NUM_WND);
    for (int e = 0; e < rep->numman; e++) {
        const int slot = no_925 && e >= 2 ? e + 1 : e;
        if (slot < UPA_NUM_MAN) rep->man[slot] = entry(e);
    }
    if (no_925) UPA_level_init(&rep->man[2]);
    float sig[3][UPA_NUM_SIG];
    for (int k = P_SIGT; k <= TD_SIGT; k++) get_levels(k, r, sig[k - P_SIGT]);
    for (int i = 0; i < rep->numsig; i++) rep->sig[i] = {sig[0][i], sig[1][i], sig[2][i]};
    float wnd[3][UPA_NUM_SIG];
    for (int k = Z_SIGW; k <= SPD_SIGW; k++) get_levels(k, r, wnd[k - Z_SIGW]);
    const float feet = metric() ? M_TO_FEET : 1;
    for (int i = 0; i < rep->numwnd; i++)
        rep->wnd[i] = {scaled(wnd[0][i], feet), wnd[1][i], scaled(wnd[2][i], spd)};
    return 0;
}

int cdf_getinfo(UPA_info *info)
{
    CDF_set_fd(st.fd);
    CDF_print_errors(0);  // a variable or attribute the file lacks is no error
    int dim = CDF_get_dim(metric() ? "report" : "station");
    if (dim < 0) dim = -1;  // the record dimension
    st.count = std::max(0, CDF_get_dim_size(dim));
    static const char *const station_names[NUM_STATION_VARS] = {
        "id", "region", "type", "idn", "lat", "lon", "num_mant", "num_sigt", "num_sigw"};
    for (int k = 0; k < NUM_STATION_VARS; k++) st.var[k] = CDF_get_var(station_names[k]);
    for (int k = 0; k < NUM_LEVEL_VARS; k++) st.level[k] = CDF_get_var(level_name(k));
    if (CDF_get_glob_att("filetime", info->datim) != 0) CDF_get_glob_att("datetime", info->datim);
    DATE_decode_label(info->datim, &info->date);
    char version[16];
    st.old_layout = CDF_get_glob_att("version", version) != 0;
    CDF_print_errors(1);
    return 1;
}

// ----- the back end -----------------------------------------------------------------------

int cdf_open(const char *name, int access, int kind)
{
    CDF_print_errors(0);
    const int fd = CDF_open(name, access == UPA_ACCESS_WRITE ? 1 : 0);
    CDF_print_errors(1);
    if (fd < 0) return -1;
    st = State{};
    st.fd = fd;
    st.kind = kind;
    st.access = access;
    std::fill(std::begin(st.var), std::end(st.var), -1);
    std::fill(std::begin(st.level), std::end(st.level), -1);
    if (access == UPA_ACCESS_READ) {
        // The station count and variables are known without a header read.
        UPA_info info{};
        cdf_getinfo(&info);
    }
    return fd;
}

int cdf_close()
{
    int result;
    if (st.access == UPA_ACCESS_WRITE) {
        // An output whose header, records or close failed leaves no file behind.
        result = CDF_close_output(st.fd, st.failures > 0);
    } else {
        CDF_set_fd(st.fd);
        result = CDF_close();
    }
    st = State{};
    return result == -1 ? -1 : 0;
}

int cdf_rewind() { return 0; }

}  // namespace

const UPA_backend UPA_cdf_backend = {cdf_open, cdf_close, cdf_rewind, cdf_getinfo,
                                     cdf_putinfo, cdf_read, cdf_write};
