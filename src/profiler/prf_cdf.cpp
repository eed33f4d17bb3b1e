// The netCDF back ends of the profiler reader.
//
// Station layout: one record per station along "station", a low-mode and a high-mode set of 36
// levels each ("low_level", "high_level"), west longitudes stored positive, a quality byte that
// must say 10 for a level's winds to count.  Record layout: one record per station along
// "recNum", one set of 72 levels ("levels"), the relative humidity in place of the dew point
// (the report's dew point is derived from it and the temperature, so that both layouts give
// the same weather the same values).  One reader serves both, driven by a table of each
// layout's variable names.
//
// The file is untrusted.  Every variable is checked once, when the header is read: its type
// must suit its use (numbers are converted from whatever numeric type the file stores) and its
// shape must be the one its use reads, else it is treated as absent, with a warning.  The
// counts read never exceed what the file holds nor what a report holds: a set reads
// min(its dimension length, its levels) values, levels the file does not have stay missing, and
// a report holds only the levels that have a height.  Values that are not finite are missing.  A station identifier with characters that
// are not printable ASCII (or a '/') is refused and the next record read instead, so that an
// identifier can safely become part of a file name.
#include "prf_internal.h"
#include "vykcdf.h"
#include "vykform.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

/// Levels of a report filled from a netCDF file.
constexpr int FILE_LEVELS = 72;
/// Characters of a station identifier in the file.
constexpr int ID_CHARS = 6;
/// The quality indicator of a good level in the station layout.
constexpr int QUALITY_GOOD = 10;
/// Range of the wind components, vertical velocity and spreads of a level (m/s).
constexpr float LEVEL_MIN = -100, LEVEL_MAX = 100;

/// What each variable of a layout goes to.  The seven roles of a level set follow each other
/// in the order of Set_part.
enum Role {
    ID, LAT, LON, ELEV, PRES, TEMP, DEWP, DIR, SPD, RAIN,
    LOW_H, LOW_U, LOW_V, LOW_W, LOW_HDEV, LOW_VDEV, LOW_Q,
    HIGH_H, HIGH_U, HIGH_V, HIGH_W, HIGH_HDEV, HIGH_VDEV, HIGH_Q,
    YEAR, MONTH, DAY, HOUR, TIME_OBS,
    NUM_ROLES
};
enum Set_part { PART_H, PART_U, PART_V, PART_W, PART_HDEV, PART_VDEV, PART_Q, NUM_PARTS };

/// The variable names of the two layouts (NULL: the layout has no such variable).
struct Name_row {
    Role role;
    const char *station;
    const char *record;
};
constexpr Name_row names[] = {
    {ID, "id", "staName"},
    {LAT, "lat", "staLat"},
    {LON, "lon", "staLon"},
    {ELEV, "elev", "staElev"},
    {PRES, "sfc_p", "pressure"},
    {TEMP, "sfc_t", "temperature"},
    {DEWP, "sfc_td", "relHumidity"},
    {DIR, "sfc_dir", "windDirSfc"},
    {SPD, "sfc_spd", "windSpeedSfc"},
    {RAIN, "sfc_rain", "rainRate"},
    {LOW_H, "low_level", "levels"},
    {LOW_U, "low_u_wind", "uComponent"},
    {LOW_V, "low_v_wind", "vComponent"},
    {LOW_W, "low_w_wind", "wComponent"},
    {LOW_HDEV, "low_moment2_e", "windSpeedStdDev"},
    {LOW_VDEV, "low_moment2_v", "wStdDev"},
    {LOW_Q, "low_qual_indicator", "uvQualityCode"},
    {HIGH_H, "high_level", nullptr},
    {HIGH_U, "high_u_wind", nullptr},
    {HIGH_V, "high_v_wind", nullptr},
    {HIGH_W, "high_w_wind", nullptr},
    {HIGH_HDEV, "high_moment2_e", nullptr},
    {HIGH_VDEV, "high_moment2_v", nullptr},
    {HIGH_Q, "high_qual_indicator", nullptr},
    {YEAR, "year", nullptr},
    {MONTH, "month", nullptr},
    {DAY, "day", nullptr},
    {HOUR, "hour", nullptr},
    {TIME_OBS, nullptr, "timeObs"},
};
static_assert(std::size(names) == NUM_ROLES);
constexpr bool rows_in_role_order()
{
    for (int i = 0; i < NUM_ROLES; i++)
        if (names[i].role != i)
            return false;
    return true;
}
static_assert(rows_in_role_order());

/// Quality ranges of the surface values (limits kept).
struct Range_row {
    Role role;
    float lo, hi;
};
constexpr Range_row surface_ranges[] = {
    {PRES, 0, 2000}, {TEMP, -100, 100}, {DEWP, -100, 100},
    {DIR, 0, 360},   {SPD, 0, 200},     {RAIN, 0, FLT_MAX},
};

/// A set of levels: report levels first to first + count - 1, variables from role `base` on.
struct Level_set {
    int first;
    int count;
    int base;  // a Role
};

struct Layout {
    bool station;            // which column of `names`
    const char *records;     // the record dimension when the file has no unlimited one
    float lon_sign;          // -1: west longitudes are stored positive
    bool humidity;           // the dew-point variable holds the relative humidity, %
    bool quality_screen;     // a level whose quality is not QUALITY_GOOD loses its values
    int num_sets;
    Level_set sets[2];
};
constexpr Layout station_layout = {true,  "station", -1, false, true, 2,
                                   {{0, 36, LOW_H}, {36, 36, HIGH_H}}};
constexpr Layout record_layout = {false, "recNum", 1, true, false, 1,
                                  {{0, 72, LOW_H}, {0, 0, LOW_H}}};
/// Relative humidities outside this range are missing, %.
constexpr float HUMIDITY_MIN = 0, HUMIDITY_MAX = 100;
/// Degrees C to kelvin.
constexpr float KELVIN = 273.15f;

template <class T, size_t N> constexpr std::array<T, N> filled(T value)
{
    std::array<T, N> a{};
    a.fill(value);
    return a;
}

/// The open file.
struct State {
    const Layout *layout = nullptr;
    int fd = -1;                                                 // netCDF id
    int record = 0;                                              // next record of own reads
    int num_records = 0;
    std::array<int, NUM_ROLES> var = filled<int, NUM_ROLES>(-1); // -1: absent or unusable
    std::array<int, NUM_ROLES> len = filled<int, NUM_ROLES>(0);  // values along the last axis
    std::array<float, FILE_LEVELS> heights = filled<float, FILE_LEVELS>(VYK_MISS);
};
State state;

// ---------------------------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------------------------

/// A number from the file as a float: missing when it is not finite or does not fit.
float to_float(double v)
{
    return std::isfinite(v) && std::fabs(v) <= FLT_MAX ? static_cast<float>(v) : VYK_MISS;
}

/// A number from the file as an int (truncated): missing when it does not fit.
int to_int(double v)
{
    return std::isfinite(v) && v > INT_MIN && v < INT_MAX ? static_cast<int>(v) : VYK_MISS;
}

/// v when it lies within lo to hi, else missing.
float in_range(float v, float lo, float hi)
{
    return v >= lo && v <= hi ? v : VYK_MISS;
}

/// The dew point (C) of air at temp (C) with relative humidity rh (%): missing when either is
/// missing or out of range.
float dew_point(float temp, float rh)
{
    if (VYK_is_miss(temp) || VYK_is_miss(in_range(rh, HUMIDITY_MIN, HUMIDITY_MAX)))
        return VYK_MISS;
    const float td = dew_temp(temp + KELVIN, rh);
    return VYK_is_miss(td) ? VYK_MISS : td - KELVIN;
}

/// The characters an identifier may hold: printable ASCII without the path separator.
bool usable_id(const char *id)
{
    for (const char *p = id; *p; p++)
        if (*p < 0x20 || *p > 0x7e || *p == '/')
            return false;
    return true;
}

/// The level set of a level role, NULL for other roles.
const Level_set *set_of(const Layout &layout, int role)
{
    for (int s = 0; s < layout.num_sets; s++) {
        const Level_set &set = layout.sets[s];
        if (role >= set.base && role < set.base + NUM_PARTS)
            return &set;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Header
// ---------------------------------------------------------------------------------------------

/// Whether a variable suits its role; sets the count of values read along its last axis.
bool check_variable(int role, int var, const char *name)
{
    int type = 0;
    long dims[CDF_MAX_DIMS] = {};
    const int nd = CDF_get_var_info(var, &type, dims);
    const bool number = type >= CDF_BYTE && type <= CDF_DOUBLE && type != CDF_CHAR;
    const Level_set *set = set_of(*state.layout, role);
    bool ok;
    if (role == ID) {
        ok = type == CDF_CHAR && nd == 2 && dims[1] > 0;
        state.len[role] = ok ? static_cast<int>(std::min<long>(dims[1], ID_CHARS)) : 0;
    } else if (set != nullptr) {
        const int axis = role == set->base + PART_H ? 0 : 1;  // heights: one value per level
        ok = number && nd == axis + 1;
        state.len[role] = ok ? static_cast<int>(std::min<long>(dims[axis], set->count)) : 0;
    } else {
        ok = number && nd >= 0;
    }
    if (!ok && nd < 0)
        MESS_print(M_WARN, "PRF_getinfo: variable %s is not readable\n", name);
    else if (!ok)
        MESS_print(M_WARN, "PRF_getinfo: variable %s is not usable (type %d, %d dimensions)\n",
                   name, type, nd);
    return ok;
}

void find_variables()
{
    PRF_quiet_cdf quiet;  // absent variables are expected
    for (const Name_row &row : names) {
        const char *name = state.layout->station ? row.station : row.record;
        int var = name != nullptr ? CDF_get_var(name) : -1;
        if (var != -1 && !check_variable(row.role, var, name))
            var = -1;
        state.var[row.role] = var;
    }
}

/// The number of records: the length of the unlimited dimension, else of the layout's record
/// dimension.
int count_records()
{
    PRF_quiet_cdf quiet;
    int n = CDF_get_dim_size(-1);
    if (n < 0) {
        const int dim = CDF_get_dim(state.layout->records);
        n = dim >= 0 ? CDF_get_dim_size(dim) : -1;
    }
    if (n < 0) {
        MESS_print(M_WARN, "PRF_getinfo: no usable record dimension\n");
        n = 0;
    }
    return n;
}

void read_heights()
{
    for (int s = 0; s < state.layout->num_sets; s++) {
        const Level_set &set = state.layout->sets[s];
        const int role = set.base + PART_H;
        double values[FILE_LEVELS];
        const int n = state.len[role];
        if (state.var[role] == -1 || n == 0)
            continue;
        CDF_set_range(1, 0, n);
        CDF_get_number_array(state.var[role], values);
        for (int i = 0; i < n; i++)
            state.heights[set.first + i] = to_float(values[i]);
    }
}

void read_date(Date *date)
{
    CDF_set_pos(1, 0);
    if (state.layout->station) {
        date->year = to_int(CDF_get_number(state.var[YEAR]));
        date->month = to_int(CDF_get_number(state.var[MONTH]));
        date->day = to_int(CDF_get_number(state.var[DAY]));
        date->hour = to_int(CDF_get_number(state.var[HOUR]));
        return;
    }
    // Seconds since 1970 UTC; the years 0 to 9999 at most.
    const double t = CDF_get_number(state.var[TIME_OBS]);
    if (state.var[TIME_OBS] == -1 || !std::isfinite(t) || std::fabs(t) > 2.6e11) {
        DATE_init(date);
        return;
    }
    const int64_t secs = static_cast<int64_t>(t);
    DATE_get_gmdate(&secs, date);
}

// ---------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------

/// The identifier of record rec: 1 usable, 0 refused, -1 empty (no more reports).
int read_id(int rec, char *id)
{
    char text[ID_CHARS + 1] = "";
    CDF_set_pos(1, rec);
    if (state.var[ID] == -1 || CDF_get_str(state.var[ID], state.len[ID], text) == 0)
        return -1;
    trim_string(text);
    if (text[0] == '\0')
        return -1;
    if (!usable_id(text)) {
        MESS_print(M_WARN, "PRF_read: record %d: station identifier with characters that are "
                           "not printable; skipped\n", rec);
        return 0;
    }
    strfcpy(id, PRF_ID_LEN, text);
    return 1;
}

void read_station(int rec, PRF_report *r)
{
    CDF_set_pos(1, rec);
    r->lat = to_float(CDF_get_number(state.var[LAT]));
    r->lon = to_float(CDF_get_number(state.var[LON]));
    if (!VYK_is_miss(r->lon))
        r->lon *= state.layout->lon_sign;
    r->elev = to_float(CDF_get_number(state.var[ELEV]));
    float *const fields[] = {&r->pres, &r->temp, &r->dewp, &r->dir, &r->spd, &r->rain};
    for (size_t k = 0; k < std::size(surface_ranges); k++) {
        const Range_row &range = surface_ranges[k];
        float v = to_float(CDF_get_number(state.var[range.role]));
        if (range.role == DEWP && state.layout->humidity)
            v = dew_point(r->temp, v);  // the temperature comes first and is screened
        *fields[k] = in_range(v, range.lo, range.hi);
    }
}

/// The values of one variable along the levels of record rec; n values at most, the rest
/// missing.
void read_row(int role, int rec, double *row)
{
    std::fill_n(row, FILE_LEVELS, static_cast<double>(VYK_MISS));
    const int n = state.len[role];
    if (state.var[role] == -1 || n == 0)
        return;
    CDF_set_range(2, rec, 1, 0, n);
    CDF_get_number_array(state.var[role], row);
}

void read_set(const Level_set &set, int rec, PRF_report *r)
{
    double row[FILE_LEVELS];
    float PRF_level::*const parts[] = {nullptr, &PRF_level::u, &PRF_level::v, &PRF_level::w,
                                       &PRF_level::hdev, &PRF_level::vdev};
    for (int i = 0; i < set.count; i++)
        r->lev[set.first + i].h = state.heights[set.first + i];
    for (int part = PART_U; part <= PART_VDEV; part++) {
        read_row(set.base + part, rec, row);
        for (int i = 0; i < state.len[set.base + part]; i++)
            r->lev[set.first + i].*parts[part] = to_float(row[i]);
    }
    // Quality: an absent variable reads as -1 on every level of the set.
    const int q_role = set.base + PART_Q;
    read_row(q_role, rec, row);
    const int n = state.var[q_role] == -1 ? set.count : state.len[q_role];
    for (int i = 0; i < n; i++)
        r->lev[set.first + i].q = row[i] == VYK_MISS ? -1 : to_int(row[i]);
}

void screen_levels(PRF_report *r)
{
    for (int i = 0; i < FILE_LEVELS; i++) {
        PRF_level &l = r->lev[i];
        for (float *f : {&l.u, &l.v, &l.w, &l.hdev, &l.vdev})
            *f = state.layout->quality_screen && l.q != QUALITY_GOOD
                     ? VYK_MISS
                     : in_range(*f, LEVEL_MIN, LEVEL_MAX);
    }
}

/// Merges levels of equal height: the first keeps its place and takes the later one's values
/// when its own u is missing; the later one goes.  Returns the number of levels left.
int merge_levels(PRF_level *lev, int n)
{
    for (int i = 0; i < n; i++) {
        for (int j = i + 1; j < n;) {
            if (lev[j].h != lev[i].h) {
                j++;
                continue;
            }
            if (VYK_is_miss(lev[i].u))
                lev[i] = lev[j];
            std::copy(lev + j + 1, lev + n, lev + j);
            n--;
            lev[n] = PRF_NO_LEVEL;
        }
    }
    return n;
}

/// Reads record rec: 1, 0 when its identifier is refused, -1 when it has none.
int read_record(int rec, PRF_report *r)
{
    CDF_set_fd(state.fd);
    PRF_initialize(r);
    const int id = read_id(rec, r->id);
    if (id != 1)
        return id;
    read_station(rec, r);
    for (int i = 0; i < FILE_LEVELS; i++)
        r->lev[i] = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0};
    for (int s = 0; s < state.layout->num_sets; s++)
        read_set(state.layout->sets[s], rec, r);
    screen_levels(r);
    r->num_levels = merge_levels(r->lev, PRF_drop_levels_without_height(r->lev, FILE_LEVELS));
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Back-end entries
// ---------------------------------------------------------------------------------------------

int adopt_layout(const Layout &layout, int fd)
{
    state = State();
    state.layout = &layout;
    state.fd = fd;
    return fd;
}

int open_layout(const Layout &layout, const char *filename, int access)
{
    // Read (0) or write (2) an existing file; never create one, which would replace it.
    if (access != 0 && access != 2)
        return -1;
    int fd;
    {
        PRF_quiet_cdf quiet;
        // Profiler files are regular files: a FIFO would hold the program at its open, a
        // directory or a device holds no reports.
        fd = FILE_is_file(filename) ? CDF_open(filename, access) : -1;
    }
    return fd == -1 ? -1 : adopt_layout(layout, fd);
}

int open_station(const char *filename, int access)
{
    return open_layout(station_layout, filename, access);
}

int open_record(const char *filename, int access)
{
    return open_layout(record_layout, filename, access);
}

int adopt_station(int fd)
{
    return adopt_layout(station_layout, fd);
}

int adopt_record(int fd)
{
    return adopt_layout(record_layout, fd);
}

int getinfo(PRF_info *info)
{
    if (state.fd == -1)
        return -1;
    CDF_set_fd(state.fd);
    state.num_records = count_records();
    info->num_stat = state.num_records;
    state.var.fill(-1);
    state.heights.fill(VYK_MISS);
    if (state.num_records > 0) {  // else there is nothing to read, not even a date
        find_variables();
        read_heights();
    }
    read_date(&info->date);
    // No label for a date the file does not give (the plot then labels the file name's date).
    if (info->date.year == VYK_MISS)
        info->datim[0] = '\0';
    else
        DATE_make_label(&info->date, info->datim, sizeof info->datim);
    return 0;
}

int read_report(PRF_report *report, int *statnum)
{
    const bool own = statnum == nullptr || *statnum == -1;
    for (int rec = own ? state.record : *statnum; rec >= 0 && rec < state.num_records; rec++) {
        const int r = read_record(rec, report);
        if (r == 0)
            continue;  // refused: the next record
        if (r == -1)
            return -1;
        if (own)
            state.record = rec + 1;
        else
            *statnum = rec;
        return 1;
    }
    return -1;
}

int rewind_file()
{
    state.record = 0;
    return 0;
}

int close_file()
{
    if (state.fd != -1) {
        CDF_set_fd(state.fd);
        CDF_close();
    }
    state = State();
    return 0;
}

}  // namespace

const PRF_backend PRF_cdf_station = {open_station, getinfo, read_report, rewind_file, close_file,
                                     adopt_station};
const PRF_backend PRF_cdf_record = {open_record, getinfo, read_report, rewind_file, close_file,
                                    adopt_record};
