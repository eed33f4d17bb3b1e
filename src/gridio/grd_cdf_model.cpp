// netCDF model-output grid files (kind 11 without a dimension "grid"): one variable per
// quantity, dimensioned by forecast time, level, latitude and longitude, with the reference
// time in separate variables and a title that names the model run.  Products are the
// registered variables in file order; a variable's products run over its times, then its
// levels (level fastest).  Nothing of this layout is written.
//
// Files are untrusted: every value is read in the variable's own type and converted, indices
// are checked against the variables' lengths, a variable is read as a grid only when its last
// two dimensions are latitude and longitude, and the grid's size is bounded before anything
// is allocated.  Years outside 1900 to 2100 are refused.
#include "grd_file_internal.h"
#include "vykplot.h"
#include "vykvar.h"

#include <netcdf.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
/// Values at or above this mark points without data.
constexpr double FILL_LIMIT = 1e30;
constexpr int YEAR_MIN = 1900, YEAR_MAX = 2100;

// ---------------------------------------------------------------------------------------------
// The variables a file registers
// ---------------------------------------------------------------------------------------------

enum class Units { none, pressure, height, temp, omega, sst, wave_hgt, wave_dir };

/// A row of the variable table: names, the code, and the rule by which units change it.
struct VarRow {
    std::string_view names[6];
    int code;
    Units rule;
};

constexpr VarRow VAR_ROWS[] = {
    {{"pressure", "Psl", "Ptrop", "Pmaxwind", "P"}, 1, Units::pressure},
    {{"gpt_hgt", "H", "Zsfc", "Ztrop", "Zwind", "Z"}, 2, Units::height},
    {{"temp", "Ttrop", "T"}, 4, Units::temp},
    {{"rel_hum", "RH"}, 13, Units::none},
    {{"lift_indx", "LI"}, 15, Units::none},
    {{"u_wind", "Utrop", "Umaxwind", "Usfc", "U"}, 23, Units::none},
    {{"v_wind", "Vtrop", "Vmaxwind", "Vsfc", "V"}, 24, Units::none},
    {{"vert_vel", "omega"}, 40, Units::omega},
    {{"precip"}, 50, Units::none},
    {{"snow"}, 51, Units::none},
    {{"sea_temp", "SST"}, 61, Units::sst},
    {{"wave_hgt"}, 64, Units::wave_hgt},
    {{"wave_per"}, 76, Units::none},
    {{"wave_dir"}, 75, Units::wave_dir},
};

bool starts(const std::string &s, std::string_view p) { return s.compare(0, p.size(), p) == 0; }

/// The code a row gives for units text u.
int code_for(const VarRow &row, const std::string &u)
{
    switch (row.rule) {
    case Units::pressure: return u == "pascals" || u == "Pa" ? 101 : 1;
    case Units::height: return u == "geopotential meters" || u == "gp m" ? 102 : 2;
    case Units::temp:
        return (starts(u, "kelvin") || u == "degK") && u != "celsius" && u != "degC" ? 104 : 4;
    case Units::omega: return u == "pascals/second" || u == "Pa/second" || u == "Pa/s" ? 140 : 40;
    case Units::sst: return u == "degC" || u == "celsius" ? 62 : u == "degK" ? 161 : 61;
    case Units::wave_hgt: return u == "meters" ? 164 : 64;
    case Units::wave_dir: return starts(u, "degrees") && u != "10 degrees" ? 175 : 75;
    case Units::none: break;
    }
    return row.code;
}

/// A text attribute of a variable (empty when absent or not text).
std::string text_att(int fd, int id, const char *name)
{
    nc_type type;
    int len = 0;
    const CDF_quiet quiet;
    if (ncattinq(fd, id, name, &type, &len) < 0 || type != NC_CHAR || len <= 0 || len > 4096)
        return {};
    std::string s(static_cast<size_t>(len), '\0');
    if (ncattget(fd, id, name, s.data()) < 0) return {};
    s.resize(std::strlen(s.c_str()));
    return s;
}

/// The table row of a variable name (case ignored), or NULL.
const VarRow *row_of(const char *name)
{
    for (const VarRow &r : VAR_ROWS)
        for (std::string_view n : r.names)
            if (!n.empty() && n.size() == std::strlen(name) && strnicmp(name, n.data(), static_cast<int>(n.size())) == 0)
                return &r;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Reading values in any numeric type
// ---------------------------------------------------------------------------------------------

/// Reads count values of a variable from start into out as doubles, whatever the variable's
/// type (text and unknown types are refused).  false on failure.
bool get_doubles(int fd, int id, const long *start, const long *count, size_t n, double *out)
{
    char name[NC_MAX_NAME + 1];
    nc_type type;
    int ndims = 0;
    int dims[NC_MAX_VAR_DIMS];
    if (id < 0 || ncvarinq(fd, id, name, &type, &ndims, dims, nullptr) < 0) return false;
    const auto take = [&](auto *buf) {
        if (ncvarget(fd, id, start, count, buf) < 0) return false;
        for (size_t k = 0; k < n; k++) out[k] = static_cast<double>(buf[k]);
        return true;
    };
    switch (type) {
    case NC_BYTE: { std::vector<signed char> b(n); return take(b.data()); }
    case NC_SHORT: { std::vector<short> b(n); return take(b.data()); }
    case NC_INT: { std::vector<int> b(n); return take(b.data()); }
    case NC_FLOAT: { std::vector<float> b(n); return take(b.data()); }
    case NC_DOUBLE: return ncvarget(fd, id, start, count, out) >= 0;
    default: return false;
    }
}

/// The shape of a variable: its dimension ids and lengths.
struct Shape {
    int ndims = 0;
    int dims[NC_MAX_VAR_DIMS] = {};
    long len[NC_MAX_VAR_DIMS] = {};
};

bool shape_of(int fd, int id, Shape &s)
{
    char name[NC_MAX_NAME + 1];
    nc_type type;
    if (id < 0 || ncvarinq(fd, id, name, &type, &s.ndims, s.dims, nullptr) < 0) return false;
    char dname[NC_MAX_NAME + 1];
    for (int k = 0; k < s.ndims; k++)
        if (ncdiminq(fd, s.dims[k], dname, &s.len[k]) < 0) return false;
    return true;
}

/// Element i of a one-dimensional variable (or the first of each further dimension); false
/// when the variable is absent or has fewer elements.
bool get_at(int fd, int id, long i, double &v)
{
    Shape s;
    if (!shape_of(fd, id, s) || i < 0 || (s.ndims < 1 ? i > 0 : i >= s.len[0])) return false;
    long start[NC_MAX_VAR_DIMS] = {}, count[NC_MAX_VAR_DIMS];
    for (int k = 0; k < s.ndims; k++) count[k] = 1;
    start[0] = i;
    return get_doubles(fd, id, start, count, 1, &v);
}

int var_id(int fd, const char *name)
{
    const CDF_quiet quiet;
    return ncvarid(fd, name);
}

int dim_id(int fd, const char *a, const char *b, long &len)
{
    const CDF_quiet quiet;
    int id = ncdimid(fd, a);
    if (id < 0 && b) id = ncdimid(fd, b);
    char name[NC_MAX_NAME + 1];
    if (id >= 0 && ncdiminq(fd, id, name, &len) < 0) id = -1;
    return id;
}

/// Stores a double into an int field when it is a number in range (else the field is kept).
void store_int(double v, int &field)
{
    if (std::isfinite(v) && std::fabs(v) < 1e9) field = static_cast<int>(v);
}

// ---------------------------------------------------------------------------------------------
// Dates
// ---------------------------------------------------------------------------------------------

/// The reference date: year, month, day and hour from the first elements of "year", "month",
/// "day" and "hour", else the digit groups of the first 16 characters of "reftime".  false
/// without a year from 1900 to 2100 (with a message).
bool ref_date(const GRD_file *f, Date &d, const char *who)
{
    DATE_init(&d);
    int parts[4] = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
    const int year_id = var_id(f->fd, "year");
    if (year_id >= 0) {
        const char *names[4] = {"year", "month", "day", "hour"};
        for (int k = 0; k < 4; k++) {
            double v;
            if (get_at(f->fd, var_id(f->fd, names[k]), 0, v)) store_int(v, parts[k]);
        }
    } else {
        const int id = var_id(f->fd, "reftime");
        Shape s;
        char text[17] = "";
        char name[NC_MAX_NAME + 1];
        nc_type type;
        int nd = 0, dims[NC_MAX_VAR_DIMS];
        if (id >= 0 && shape_of(f->fd, id, s) && s.ndims >= 1 &&
            ncvarinq(f->fd, id, name, &type, &nd, dims, nullptr) >= 0 && type == NC_CHAR) {
            long start[NC_MAX_VAR_DIMS] = {}, count[NC_MAX_VAR_DIMS];
            for (int k = 0; k < s.ndims; k++) count[k] = 1;
            count[s.ndims - 1] = std::min(16L, s.len[s.ndims - 1]);
            if (ncvarget(f->fd, id, start, count, text) < 0) text[0] = '\0';
            text[count[s.ndims - 1]] = '\0';
        }
        // Four groups of digits: year, month, day, hour.
        int k = 0;
        for (const char *p = text; *p && k < 4;) {
            if (*p < '0' || *p > '9') {
                p++;
                continue;
            }
            char *end;
            const long v = std::strtol(p, &end, 10);
            parts[k++] = v < 100000 ? static_cast<int>(v) : VYK_MISS;
            p = end;
        }
    }
    if (parts[0] < YEAR_MIN || parts[0] > YEAR_MAX) {
        MESS_print(M_WARN, "%s: no year from %d to %d in netCDF grid file %s\n", who, YEAR_MIN,
                   YEAR_MAX, f->name);
        return false;
    }
    d.year = parts[0];
    d.month = parts[1] >= 1 && parts[1] <= 12 ? parts[1] : 1;
    d.day = parts[2] >= 1 && parts[2] <= 31 ? parts[2] : 1;
    d.hour = parts[3] >= 0 && parts[3] <= 23 ? parts[3] : 0;
    d.min = d.sec = 0;
    return true;
}

int64_t base_seconds(const Date &d)
{
    struct tm tm {};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = d.hour;
    return DATE_num_sec_tm(&tm);
}

// ---------------------------------------------------------------------------------------------
// The variable being read
// ---------------------------------------------------------------------------------------------

/// Where the current variable's dimensions stand (-1: it lacks that dimension).
struct Current {
    int rec = -1, t = -1, z = -1, y = -1, x = -1;
    int ndims = 0;
    long base = 0;  // the variable's first product number
    bool grid = false;  // its last two dimensions are latitude (y) and longitude (x)
};

Current cur;

/// The class of the file from its title; 100 more without the record dimension.
int file_class(const std::string &title, bool has_rtime)
{
    int c = 0;
    if (title.compare(0, 8, std::string_view("NMC Early").substr(0, 8)) == 0) c = 10;
    else if (title.compare(0, 8, std::string_view("NMC Exten").substr(0, 8)) == 0) c = 20;
    else if (starts(title, "ECMWF:")) c = 30;
    else if (title.compare(0, 8, std::string_view("NMC Globa").substr(0, 8)) == 0) c = 40;
    if (title.find("Trop") != std::string::npos) c += 1;
    if (title.find("Maximum") != std::string::npos) c += 2;
    if (title.find("72 hours") != std::string::npos) c += 3;
    if (!has_rtime) c += 100;
    return c;
}

/// Moves to the next registered variable: its dimensions, base and product count.
void advance(GRD_file *f, int recdim)
{
    f->cur_var++;
    cur = Current{};
    cur.base = f->cur_var == 0 ? 0 : f->max_num;
    Shape s;
    long count = 1;
    if (shape_of(f->fd, f->values_id[f->cur_var], s)) {
        cur.ndims = s.ndims;
        for (int k = 0; k < s.ndims; k++) {
            const int d = s.dims[k];
            if (d == recdim) cur.rec = k;
            else if (d == f->t_dim) cur.t = k;
            else if (d == f->z_dim) cur.z = k;
            else if (d == f->y_dim) cur.y = k;
            else if (d == f->x_dim) cur.x = k;
        }
        cur.grid = s.ndims >= 2 && cur.y == s.ndims - 2 && cur.x == s.ndims - 1;
        if (cur.t >= 0) count *= std::max(0L, f->t_size);
        if (cur.z >= 0) count *= std::max(0L, f->z_size);
    }
    f->max_num = cur.base + count;
    const int c = f->itype;
    if ((c % 10 == 0 && c >= 10) || (c % 100 >= 40 && c % 100 <= 49)) {
        char name[NC_MAX_NAME + 1] = "";
        nc_type type;
        int nd = 0, dims[NC_MAX_VAR_DIMS];
        ncvarinq(f->fd, f->values_id[f->cur_var], name, &type, &nd, dims, nullptr);
        const char *rest = name[0] ? name + 1 : name;
        f->itype = (c / 100) * 100 + (stricmp(rest, "trop") == 0      ? 41
                                      : stricmp(rest, "maxwind") == 0 ? 42
                                                                      : 40);
    }
}

int record_dim(int fd)
{
    const CDF_quiet quiet;
    return ncdimid(fd, "rtime");
}

// ---------------------------------------------------------------------------------------------
// Product headers
// ---------------------------------------------------------------------------------------------

/// Source and model of time index h from "grib_center" and "grib_model".
void source_model(const GRD_file *f, long h, GRD_report *grd)
{
    double v;
    if (get_at(f->fd, f->source_id, h, v)) store_int(v, grd->source);
    if (get_at(f->fd, f->model_id, h, v)) store_int(v, grd->model);
}

/// Level type, level and time of product k of the current variable; h and l its time and level
/// indices.
void levels(const GRD_file *f, long k, GRD_report *grd, long &h, long &l)
{
    const int c = f->itype;
    double v;
    h = l = 0;
    if (cur.t >= 0 && cur.z >= 0) {
        h = k / f->z_size;
        l = k % f->z_size;
        source_model(f, h, grd);
        if (get_at(f->fd, f->level_id, l, v)) store_int(std::trunc(v), grd->level);
        grd->ltype = 10;
        if (get_at(f->fd, f->time_id, h, v)) store_int(v, grd->time);
    } else if (cur.t >= 0) {
        h = k;
        source_model(f, h, grd);
        grd->level = 0;
        const int var = grd->var;
        grd->ltype = 9;
        if (var == 1 || var == 101) grd->ltype = 12;
        if (var == 2 || var == 102 || var == 50) grd->ltype = 1;
        if (grd->model == 10) grd->ltype = var == 23 ? 1 : 12;
        if (c % 100 > 9 && c % 10 == 1) grd->ltype = 7;
        if (c % 100 > 9 && c % 10 == 2) grd->ltype = 6;
        if (c % 100 == 20 && var == 2) {
            grd->ltype = 10;
            grd->level = 500;
        }
        if (get_at(f->fd, f->time_id, h, v)) store_int(v, grd->time);
    } else if (cur.z >= 0) {
        // Levels without times: isobaric levels of the reference time.
        l = k;
        source_model(f, 0, grd);
        if (get_at(f->fd, f->level_id, l, v)) store_int(std::trunc(v), grd->level);
        grd->ltype = 10;
        grd->time = 0;
    } else {
        source_model(f, k, grd);
        grd->ltype = 1;
        grd->level = 0;
        grd->time = 0;
        if (c % 100 == 13) {
            grd->ltype = 10;
            grd->level = 500;
            grd->time = 72;
        }
    }
}

/// A dimension length as a grid side (0 beyond what a grid may hold).
int side(long len) { return len > 0 && len <= 1L << 20 ? static_cast<int>(len) : 0; }

/// The georeference from "lat" and "lon", or the fixed grids; ring is set for a global grid of
/// 72 columns that gets its 73rd (the first one repeated).
void georeference(const GRD_file *f, GRD_report *grd, bool &ring, bool &north_first)
{
    Domain &d = grd->domain;
    DOM_init(&d);
    ring = north_first = false;
    double lat0, lat1, lon0, lon1;
    if (get_at(f->fd, f->lat1_id, 0, lat0)) {
        d.proj = DOM_LATLON;
        d.nx = side(f->x_size);
        d.ny = side(f->y_size);
        if (get_at(f->fd, f->lat1_id, 1, lat1)) {
            double dy = lat1 - lat0;
            // Latitudes that fall from the first row: that row is the northernmost.
            if (dy < 0) {
                north_first = true;
                dy = -dy;
                lat0 -= dy * (d.ny - 1);
            }
            d.dy = static_cast<float>(dy);
            d.clat = static_cast<float>(lat0 + dy * (d.ny - 1) / 2);
        }
        if (get_at(f->fd, f->lon1_id, 0, lon0) && get_at(f->fd, f->lon1_id, 1, lon1)) {
            d.dx = static_cast<float>(lon1 - lon0);
            d.clon = static_cast<float>(lon0 + (lon1 - lon0) * (d.nx - 1) / 2);
        }
    } else if (f->x_size == 83) {
        d.proj = DOM_PSTEREO;
        d.clat = 50.8936f;
        d.plat = MISS;
        d.clon = -103.1524f;
        d.plon = -105;
        d.nx = d.ny = 83;
        d.dx = d.dy = 0.9075464f;
    }
    const int m = grd->model;
    if (m == 39 || m == 64) grd->type = 50;
    if (m == 83 && d.proj == DOM_NONE) {
        grd->type = 211;
        d.proj = DOM_LAMB;
        d.clat = 40.62f;
        d.clon = -100.51f;
        d.nx = 93;
        d.ny = 65;
        d.dx = d.dy = 0.6263f;
        d.plon = -95;
        d.param[0] = 25;
        d.param[1] = 25;
        d.param[2] = 1.277f;
    }
    if ((m == 69 || m == 78) && grd->time > 72) {
        grd->type = 11;
        if (d.nx == 72 && f->x_size == 72) {
            ring = true;
            d.nx = 73;
            d.clon += d.dx / 2;
        }
    } else if (m == 69 || m == 78 || m == 77 || m == 10 || m == 25 || m == 31 || m == 40 ||
               m == 44) {
        grd->type = 11;
    }
    grd->version = 1;
}

/// The start index of row s of the current product (time h, level l).
void row_start(long h, long l, long s, long *start)
{
    for (int k = 0; k < cur.ndims; k++) start[k] = 0;
    if (cur.t >= 0) start[cur.t] = h;
    if (cur.z >= 0) start[cur.z] = l;
    if (cur.y >= 0) start[cur.y] = s;
}

/// The description of a GRIDVAR variable: its long name and units.
void gridvar_info(const GRD_file *f, GRD_report *grd)
{
    const int id = f->values_id[0];
    const std::string text = text_att(f->fd, id, "long_name") + " (" + text_att(f->fd, id, "units") + ")";
    strfcpy(grd->info, text.c_str());
}

/// Reads the values of the current product: the file's rows from the south (or from the
/// north when the latitudes fall), each of nx values (nx - 1 for a ring).
int read_values(const GRD_file *f, GRD_report *grd, long h, long l, bool ring, bool north_first)
{
    const int nx = grd->domain.nx, ny = grd->domain.ny;
    const long cols = ring ? nx - 1 : nx;
    if (!cur.grid || nx <= 0 || ny <= 0 || cols > f->x_size || ny > f->y_size ||
        static_cast<size_t>(nx) * static_cast<size_t>(ny) > GRD_MAX_POINTS) {
        MESS_print(M_WARN, "GRD_read: variable %d of netCDF grid file %s holds no %d x %d grid\n",
                   f->cur_var, f->name, nx, ny);
        return -1;
    }
    const size_t n = static_cast<size_t>(nx) * static_cast<size_t>(ny);
    // Every value takes at least a byte of the file: a larger grid is not in it.
    struct stat sb;
    if (stat(f->name, &sb) != 0 || static_cast<unsigned long long>(sb.st_size) < n) {
        MESS_print(M_WARN, "GRD_read: netCDF grid file %s is too small for a %d x %d grid\n",
                   f->name, nx, ny);
        return -1;
    }
    if (!grd_values(grd, n)) return -1;
    std::vector<double> row(static_cast<size_t>(cols));
    long start[NC_MAX_VAR_DIMS], count[NC_MAX_VAR_DIMS];
    for (int k = 0; k < cur.ndims; k++) count[k] = 1;
    count[cur.x] = cols;
    for (long s = 0; s < ny; s++) {
        row_start(h, l, s, start);
        if (!get_doubles(f->fd, f->values_id[f->cur_var], start, count, row.size(), row.data())) {
            MESS_print(M_WARN, "GRD_read: Unable to read netCDF grid file %s\n", f->name);
            return -1;
        }
        float *out = grd->grid + static_cast<size_t>(north_first ? s : ny - 1 - s) * nx;
        for (long i = 0; i < cols; i++) {
            const double v = row[static_cast<size_t>(i)];
            out[i] = std::isfinite(v) && v < FILL_LIMIT && v > -FILL_LIMIT ? static_cast<float>(v) : MISS;
        }
        if (ring) out[nx - 1] = out[0];
    }
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The file header
// ---------------------------------------------------------------------------------------------

int CDF_model_getinfo(int, GRD_file *f, GRD_info *info)
{
    const int fd = f->fd;
    const int recdim = record_dim(fd);
    f->x_size = f->y_size = f->z_size = f->t_size = -1;
    f->x_dim = dim_id(fd, "lon", "x", f->x_size);
    f->y_dim = dim_id(fd, "lat", "y", f->y_size);
    f->z_dim = dim_id(fd, "level", "plevl", f->z_size);
    f->t_dim = dim_id(fd, "frtime", "anltime", f->t_size);

    f->var_num = 0;
    int ndims = 0, nvars = 0, natts = 0, unlimited = -1;
    if (ncinquire(fd, &ndims, &nvars, &natts, &unlimited) < 0) return -1;
    const char *gridvar = std::getenv("GRIDVAR");
    f->var_nm[0] = '\0';
    int gridvar_id = -1;
    if (gridvar && gridvar[0]) {
        strfcpy(f->var_nm, gridvar);
        gridvar_id = var_id(fd, f->var_nm);
        if (gridvar_id >= 0) {
            f->values_id[0] = gridvar_id;
            f->var[0] = 0;
            f->var_num = 1;
        }
    }
    int skipped = 0;
    for (int i = 0; i < nvars; i++) {
        char name[NC_MAX_NAME + 1] = "";
        nc_type type;
        int nd = 0, dims[NC_MAX_VAR_DIMS], na = 0;
        if (ncvarinq(fd, i, name, &type, &nd, dims, &na) < 0) continue;
        MESS_print(M_DEBUG_B, "VAR: %d %s\n", i, name);
        const VarRow *row = row_of(name);
        if (!row || i == gridvar_id) continue;
        if (f->var_num >= GRD_FILE_VARS) {
            skipped++;
            continue;
        }
        f->values_id[f->var_num] = i;
        f->var[f->var_num] = code_for(*row, text_att(fd, i, "units"));
        f->var_num++;
    }
    if (skipped > 0)
        MESS_print(M_WARN, "GRD_getinfo: %d variables of %s beyond the first %d left out\n",
                   skipped, f->name, GRD_FILE_VARS);
    f->cur_var = -1;
    f->max_num = 0;
    f->num = 0;
    cur = Current{};

    f->lat1_id = var_id(fd, "lat");
    f->lon1_id = var_id(fd, "lon");
    f->source_id = var_id(fd, "grib_center");
    f->model_id = var_id(fd, "grib_model");
    f->level_id = var_id(fd, "level");
    if (f->level_id < 0) f->level_id = var_id(fd, "plevl");
    f->time_id = var_id(fd, "frtime");
    if (f->time_id < 0) f->time_id = var_id(fd, "anlhour");

    Date d;
    if (!ref_date(f, d, "GRD_getinfo")) return -1;
    info->date = d;
    DATE_make_label(&info->date, info->datim, sizeof info->datim);
    f->date = d;
    f->itype = file_class(text_att(fd, NC_GLOBAL, "title"), recdim >= 0);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Products
// ---------------------------------------------------------------------------------------------

int CDF_model_read(int, GRD_file *f, GRD_report *grd, int rep_type, int *num)
{
    if (*num >= 0) f->num = *num;
    const int recdim = record_dim(f->fd);
    // A product before the current variable: the enumeration starts again.
    if (f->num < 1 || (f->cur_var >= 0 && f->num < cur.base)) f->cur_var = -1;
    if (f->cur_var == -1 && f->var_num > 0) advance(f, recdim);
    while (f->cur_var >= 0 && f->num >= f->max_num && f->cur_var < f->var_num - 1)
        advance(f, recdim);
    if (f->cur_var < 0 || f->num >= f->max_num) return -1;

    grd->var = f->var[f->cur_var];
    grd->datim[0] = grd->info[0] = '\0';
    grd->type = 1;
    long h = 0, l = 0;
    levels(f, f->num - cur.base, grd, h, l);
    bool ring = false, north_first = false;
    georeference(f, grd, ring, north_first);

    double first = 0;
    {
        long start[NC_MAX_VAR_DIMS], count[NC_MAX_VAR_DIMS];
        row_start(h, l, 0, start);
        for (int k = 0; k < cur.ndims; k++) count[k] = 1;
        if (cur.ndims > 0 &&
            get_doubles(f->fd, f->values_id[f->cur_var], start, count, 1, &first) &&
            first >= FILL_LIMIT)
            grd->source = grd->var = grd->ltype = grd->level = grd->time = 0;
    }
    Date d;
    if (!ref_date(f, d, "GRD_read")) return -1;
    grd->date = d;
    if (grd->var == 50) {
        const char *qp = std::getenv("GRIBQP");
        if (qp) {
            char *end;
            const long add = std::strtol(qp, &end, 10);
            if (end != qp && add > -100000 && add < 100000) grd->time += static_cast<int>(add);
        }
    }
    const std::string units = text_att(f->fd, f->values_id[f->cur_var], "units");
    strfcpy(grd->units, units.c_str());
    if (rep_type != GRD_READ_VALUES) return 0;

    if (f->var_num > 0 && f->var[0] == 0 && f->var_nm[0]) {
        gridvar_info(f, grd);
    } else {
        char label[VAR_LABEL_LEN];
        VAR_make_datatype(grd->time, grd->ltype, grd->level, grd->var, grd->units, label);
        strfcpy(grd->info, label);
    }
    char label[DATE_LABEL_FOR_LEN];
    DATE_make_label_for(grd->time, grd->model, base_seconds(d), label);
    strfcpy(grd->datim, label);
    if (read_values(f, grd, h, l, ring, north_first) != 0) return -1;
    *num = f->num;
    return 0;
}
