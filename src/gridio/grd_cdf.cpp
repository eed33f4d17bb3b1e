// netCDF grid files (kind 11) in the system's own layout, through the netCDF library's
// version-2 interface.  A file with a dimension "grid" is the own layout: one record per
// product along the unlimited dimension "grid", the values as (grid, x, y) floats in the
// record's own order, the date, description, identifiers and georeference as per-record
// variables.  A file without it is model output, handed to its own reader.
//
// Files are untrusted: every variable is used only when it has the type and shape this layout
// gives it (the version-2 calls transfer values in the variable's own type), texts are
// terminated within their fields, and a grid's size is checked against the file's dimensions
// before anything is allocated.  Identifiers are 16-bit in the file: a value that does not fit
// is written as -9999 with a warning, never wrapped.
//
// Outputs are made and ended through the core's netCDF output files: a name that is not a
// regular file is never created over, every definition and write is checked, and a file whose
// header, records or close failed is removed (records appended to an existing file are only
// reported).
#include "grd_file_internal.h"
#include "vykplot.h"

#include <netcdf.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

constexpr int STRING_LEN = 50;     // "string_len": texts with their terminating zero
constexpr int MAX_SIDE = SHRT_MAX;  // nx and ny are 16-bit in the file

/// The per-record variables of the layout, in order of definition.
struct Var {
    const char *name;
    nc_type type;
    int GRD_file::*id;
    const char *att_name;   // "name" attribute
    const char *long_name;
    const char *units;      // NULL: none
};

constexpr Var proj_vars[] = {
    {"proj", NC_SHORT, &GRD_file::proj_id, "PROJ", "Projection", nullptr},
    {"lat1", NC_FLOAT, &GRD_file::lat1_id, "CLAT", "Grid central latitude", "DEG"},
    {"lat2", NC_FLOAT, &GRD_file::lat2_id, "LAT2", "Grid secondary latitude", "DEG"},
    {"lon1", NC_FLOAT, &GRD_file::lon1_id, "CLON", "Grid central longitude", "DEG"},
    {"lon2", NC_FLOAT, &GRD_file::lon2_id, "LON2", "Grid secondary longitude", "DEG"},
    {"dx", NC_FLOAT, &GRD_file::dx_id, "DX", "Grid spacing in X direction", "100 KM"},
    {"dy", NC_FLOAT, &GRD_file::dy_id, "DY", "Grid spacing in Y direction", "100 KM"},
};

constexpr Var text_vars[] = {
    {"datim", NC_CHAR, &GRD_file::datim_id, "DATETIME", "Grid date/time information", nullptr},
    {"info", NC_CHAR, &GRD_file::info_id, "INFO", "Grid variable information", nullptr},
};

constexpr Var short_vars[] = {
    {"source", NC_SHORT, &GRD_file::source_id, "SOURCE", "Grid creation source", nullptr},
    {"version", NC_SHORT, &GRD_file::version_id, "VERSION", "Grid encoding version", nullptr},
    {"model", NC_SHORT, &GRD_file::model_id, "MODEL", "Model name", nullptr},
    {"type", NC_SHORT, &GRD_file::type_id, "TYPE", "Model grid type", nullptr},
    {"ltype", NC_SHORT, &GRD_file::ltype_id, "LTYPE", "Vertical level type", nullptr},
    {"level", NC_SHORT, &GRD_file::level_id, "LEVEL", "Vertical level value", nullptr},
    {"time", NC_SHORT, &GRD_file::time_id, "TIME", "Forecast time", "HOUR"},
    {"var", NC_SHORT, &GRD_file::var_id, "VAR", "Grid variable type", nullptr},
    {"nx", NC_SHORT, &GRD_file::nx_id, "NX", "Gridpoints in X direction", nullptr},
    {"ny", NC_SHORT, &GRD_file::ny_id, "NY", "Gridpoints in Y direction", nullptr},
};

/// Fields of the record for the identifier variables, in the order of short_vars.
struct ShortFields {
    explicit ShortFields(GRD_report *g)
        : p{&g->source, &g->version, &g->model, &g->type, &g->ltype,
            &g->level,  &g->time,    &g->var,   &g->domain.nx, &g->domain.ny}
    {
    }
    int *p[10];
};

/// The georeference fields for lat1, lat2, lon1, lon2, dx, dy.
struct FloatFields {
    explicit FloatFields(GRD_report *g)
        : p{&g->domain.clat, &g->domain.plat, &g->domain.clon, &g->domain.plon, &g->domain.dx,
            &g->domain.dy}
    {
    }
    float *p[6];
};

// ---------------------------------------------------------------------------------------------
// Looking up the layout in a file
// ---------------------------------------------------------------------------------------------

/// The id of a variable of the given type and number of dimensions whose first dimension is
/// the record dimension; -1 when the file has none, or (with a warning) one of another shape.
int var_id(const GRD_file *f, int recdim, const char *name, nc_type type, int ndims)
{
    const int id = ncvarid(f->fd, name);
    if (id < 0) return -1;
    char vname[NC_MAX_NAME + 1];
    nc_type vtype;
    int vndims = 0;
    int dims[NC_MAX_VAR_DIMS];
    if (ncvarinq(f->fd, id, vname, &vtype, &vndims, dims, nullptr) < 0 || vtype != type ||
        vndims != ndims || dims[0] != recdim) {
        MESS_print(M_WARN, "GRD_getinfo: Variable %s of %s is not of this layout; left out\n",
                   name, f->name);
        return -1;
    }
    return id;
}

/// Length of dimension k of a variable, or -1.
long var_dim_len(int fd, int id, int k)
{
    char vname[NC_MAX_NAME + 1];
    nc_type vtype;
    int vndims = 0;
    int dims[NC_MAX_VAR_DIMS];
    if (ncvarinq(fd, id, vname, &vtype, &vndims, dims, nullptr) < 0 || k >= vndims) return -1;
    long len = -1;
    char dname[NC_MAX_NAME + 1];
    if (ncdiminq(fd, dims[k], dname, &len) < 0) return -1;
    return len;
}

/// A global attribute of one short value: true with v.
bool short_att(int fd, const char *name, short &v)
{
    nc_type type;
    int len = 0;
    if (ncattinq(fd, NC_GLOBAL, name, &type, &len) < 0 || type != NC_SHORT || len != 1)
        return false;
    return ncattget(fd, NC_GLOBAL, name, &v) >= 0;
}

/// Finds the variables of the own layout (the library quiet).
void find_layout(GRD_file *f, int recdim)
{
    const CDF_quiet quiet;
    f->values_id[0] = var_id(f, recdim, "values", NC_FLOAT, 3);
    if (f->values_id[0] >= 0) {
        f->x_size = var_dim_len(f->fd, f->values_id[0], 1);
        f->y_size = var_dim_len(f->fd, f->values_id[0], 2);
    }
    if (f->grid == 1) {
        f->x_coord_id = var_id(f, recdim, "x_coord", NC_FLOAT, 3);
        f->y_coord_id = var_id(f, recdim, "y_coord", NC_FLOAT, 3);
    } else {
        for (const Var &v : proj_vars) f->*v.id = var_id(f, recdim, v.name, v.type, 1);
    }
    for (const Var &v : text_vars) f->*v.id = var_id(f, recdim, v.name, v.type, 2);
    for (const Var &v : short_vars) f->*v.id = var_id(f, recdim, v.name, v.type, 1);
}

/// The record dimension's id and length (-1 and 0 without one).
int record_dim(GRD_file *f, long &records)
{
    int ndims = 0, nvars = 0, natts = 0, recdim = -1;
    records = 0;
    if (ncinquire(f->fd, &ndims, &nvars, &natts, &recdim) < 0) return -1;
    char name[NC_MAX_NAME + 1];
    if (recdim >= 0 && ncdiminq(f->fd, recdim, name, &records) < 0) records = 0;
    return recdim;
}

bool own_layout(const GRD_file *f)
{
    const CDF_quiet quiet;
    return ncdimid(f->fd, "grid") >= 0;
}

// ---------------------------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------------------------

int cdf_close(GRD_file *f)
{
    int result = 0;
    if (f->fd >= 0 && f->output && !f->appending) {
        // A file made for the output is removed when it could not be written whole.
        result = CDF_close_output(f->fd, f->out_failed);
    } else if (f->fd >= 0) {
        // Records appended to an existing file cannot be taken back: the failure is reported.
        const bool closed = ncclose(f->fd) >= 0;
        if (f->output && (!closed || f->out_failed)) result = -1;
    }
    f->fd = -1;
    return result;
}

/// Appending: the existing file must be of the own layout; records go after its last one.
int open_append(GRD_file *f, const char *name)
{
    f->fd = CDF_header_ok(name, "GRD_open") ? ncopen(name, NC_WRITE) : -1;
    long records = 0;
    const int recdim = f->fd < 0 ? -1 : record_dim(f, records);
    short grid_type = 0;
    if (f->fd < 0 || !own_layout(f) || recdim < 0) {
        MESS_print(M_WARN, "GRD_open: %s is not a netCDF grid file of this system's layout; "
                           "nothing appended\n", name);
        cdf_close(f);
        return -1;
    }
    {
        const CDF_quiet quiet;
        short_att(f->fd, "grid_type", grid_type);
    }
    f->grid = grid_type;
    find_layout(f, recdim);
    f->records = records;
    f->appending = 1;
    return 0;
}

int cdf_open(GRD_file *f, const char *name, int access)
{
    // The header is screened before the library reads it: counts and sizes it claims that the
    // file cannot hold would cost the library time and memory.
    if (access == GRD_ACCESS_READ && !CDF_header_ok(name, "GRD_open")) return -1;
    {
        const CDF_quiet quiet;
        if (access == GRD_ACCESS_READ) {
            f->fd = ncopen(name, NC_NOWRITE);
        } else if (access == GRD_ACCESS_APPEND && FILE_size(name) > 0) {
            if (open_append(f, name) != 0) return -1;
        } else {
            f->fd = CDF_create_output(name);
        }
    }
    if (f->fd < 0) return -1;
    f->file = nullptr;
    ncopts = NC_VERBOSE;  // errors of the library are reported, never fatal
    return 0;
}

int cdf_rewind(GRD_file *f)
{
    f->cur_var = -1;
    f->num = 0;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

/// A text attribute: true when the library took it.
bool put_text_att(int fd, int id, const char *name, const char *text)
{
    return ncattput(fd, id, name, NC_CHAR, static_cast<int>(std::strlen(text)), text) >= 0;
}

/// A variable with its attributes: the id, or -1 when any part of it was refused.
int define_var(int fd, const Var &v, int ndims, const int *dims)
{
    const int id = ncvardef(fd, v.name, v.type, ndims, dims);
    if (id < 0) return -1;
    const bool ok = put_text_att(fd, id, "name", v.att_name) &&
                    put_text_att(fd, id, "long_name", v.long_name) &&
                    (!v.units || put_text_att(fd, id, "units", v.units));
    return ok ? id : -1;
}

int define_values(int fd, const char *name, const char *att_name, const char *long_name,
                  const char *units, const int *dims)
{
    const Var v = {name, NC_FLOAT, nullptr, att_name, long_name, units};
    const int id = define_var(fd, v, 3, dims);
    const float fill = static_cast<float>(VYK_MISS);
    if (id < 0 || ncattput(fd, id, "_FillValue", NC_FLOAT, 1, &fill) < 0) return -1;
    return id;
}

/// A header the library did not take: -1 with a message; the output fails at the close.
int header_failed(GRD_file *f)
{
    f->out_failed = GRD_OUT_FAILED;
    MESS_print(M_WARN, "GRD_putinfo: Unable to write the header of netCDF grid file %s\n",
               f->name);
    return -1;
}

/// A full year (two-digit years read as the date operations read them).
short full_year(int year)
{
    if (year >= 0 && year < 50) year += 2000;
    else if (year >= 50 && year < 200) year += 1900;
    return year >= SHRT_MIN && year <= SHRT_MAX ? static_cast<short>(year) : VYK_MISS;
}

int cdf_putinfo(int /*slot*/, GRD_file *f, GRD_info *info)
{
    if (f->appending) return 0;
    if (info->max_x <= 0 || info->max_y <= 0 || info->max_x > MAX_SIDE || info->max_y > MAX_SIDE) {
        MESS_print(M_WARN, "GRD_putinfo: Invalid grid size %d x %d for netCDF grid file %s\n",
                   info->max_x, info->max_y, f->name);
        return -1;
    }
    const int fd = f->fd;
    const int grid_dim = ncdimdef(fd, "grid", NC_UNLIMITED);
    const int x_dim = ncdimdef(fd, "x", info->max_x);
    const int y_dim = ncdimdef(fd, "y", info->max_y);
    const int s_dim = ncdimdef(fd, "string_len", STRING_LEN);
    if (grid_dim < 0 || x_dim < 0 || y_dim < 0 || s_dim < 0) return header_failed(f);
    f->grid = info->grid_type == 1 ? 1 : 0;
    const int values_dims[3] = {grid_dim, x_dim, y_dim};
    bool ok = true;
    auto defined = [&ok](int id) {
        ok = ok && id >= 0;
        return id;
    };
    f->values_id[0] = defined(
        define_values(fd, "values", "VALUES", "Grid values", nullptr, values_dims));
    if (f->grid == 1) {
        f->x_coord_id = defined(define_values(fd, "x_coord", "X_COORD",
                                              "X coordinate gridpoint locations", "DEG",
                                              values_dims));
        f->y_coord_id = defined(define_values(fd, "y_coord", "Y_COORD",
                                              "Y coordinate gridpoint locations", "DEG",
                                              values_dims));
    } else {
        for (const Var &v : proj_vars) f->*v.id = defined(define_var(fd, v, 1, &grid_dim));
    }
    const int text_dims[2] = {grid_dim, s_dim};
    for (const Var &v : text_vars) f->*v.id = defined(define_var(fd, v, 2, text_dims));
    for (const Var &v : short_vars) f->*v.id = defined(define_var(fd, v, 1, &grid_dim));

    ok = ok && put_text_att(fd, NC_GLOBAL, "source", "VYK") &&
         put_text_att(fd, NC_GLOBAL, "version", "1.0");
    const short atts[5] = {static_cast<short>(f->grid), full_year(info->date.year),
                           static_cast<short>(info->date.month), static_cast<short>(info->date.day),
                           static_cast<short>(info->date.hour)};
    const char *names[5] = {"grid_type", "year", "month", "day", "hour"};
    for (int k = 0; k < 5; k++)
        ok = ok && ncattput(fd, NC_GLOBAL, names[k], NC_SHORT, 1, &atts[k]) >= 0;
    f->x_size = info->max_x;
    f->y_size = info->max_y;
    return ok && ncendef(fd) >= 0 ? 0 : header_failed(f);
}

/// A product identifier as the file's 16-bit value: -9999 with a warning when it does not fit.
short to_short(int v, const char *name, const GRD_file *f)
{
    if (v >= SHRT_MIN && v <= SHRT_MAX) return static_cast<short>(v);
    MESS_print(M_WARN, "GRD_write: %s %d does not fit the 16 bits of netCDF grid file %s; "
                       "-9999 stored\n", name, v, f->name);
    return VYK_MISS;
}

/// A text with its terminating zero along "string_len" (cut to fit).
int put_text(int fd, int id, long rec, const char *text)
{
    char buf[STRING_LEN];
    strfcpy(buf, text);
    const long start[2] = {rec, 0};
    const long count[2] = {1, static_cast<long>(std::strlen(buf)) + 1};
    return id < 0 ? 0 : ncvarput(fd, id, start, count, buf);
}

int cdf_write(int /*slot*/, GRD_file *f, GRD_report *grd, int *num)
{
    const Domain &d = grd->domain;
    const long rec = f->records + (*num < 0 ? 0 : *num);
    if (d.nx <= 0 || d.ny <= 0 || d.nx > f->x_size || d.ny > f->y_size) {
        MESS_print(M_WARN, "GRD_write: A %d x %d grid does not fit the %ld x %ld of netCDF grid "
                           "file %s\n", d.nx, d.ny, f->x_size, f->y_size, f->name);
        return -1;
    }
    const int fd = f->fd;
    int bad = 0;
    const long start[3] = {rec, 0, 0};
    const long count[3] = {1, d.nx, d.ny};
    if (f->values_id[0] < 0 || ncvarput(fd, f->values_id[0], start, count, grd->grid) < 0) bad++;
    if (put_text(fd, f->datim_id, rec, grd->datim) < 0) bad++;
    if (put_text(fd, f->info_id, rec, grd->info) < 0) bad++;
    const long index[1] = {rec};
    if (f->grid != 1) {
        const short proj = to_short(d.proj, "proj", f);
        if (f->proj_id >= 0 && ncvarput1(fd, f->proj_id, index, &proj) < 0) bad++;
        FloatFields ff(grd);
        for (size_t k = 1; k < std::size(proj_vars); k++) {
            const int id = f->*proj_vars[k].id;
            if (id >= 0 && ncvarput1(fd, id, index, ff.p[k - 1]) < 0) bad++;
        }
    }
    ShortFields sf(grd);
    for (size_t k = 0; k < std::size(short_vars); k++) {
        const short v = to_short(*sf.p[k], short_vars[k].name, f);
        const int id = f->*short_vars[k].id;
        if (id >= 0 && ncvarput1(fd, id, index, &v) < 0) bad++;
    }
    if (bad > 0) {
        MESS_print(M_WARN, "GRD_write: Unable to write record %ld of netCDF grid file %s\n", rec,
                   f->name);
        f->out_failed = GRD_OUT_FAILED;  // the record is cut: the output fails at the close
        return -1;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

int cdf_getinfo(int slot, GRD_file *f, GRD_info *info)
{
    long records = 0;
    const int recdim = record_dim(f, records);
    f->max_num = records;
    if (!own_layout(f)) {
        f->itype = 1;
        f->cdf_model = 1;
        return CDF_model_getinfo(slot, f, info);
    }
    f->itype = 0;
    f->cdf_model = 0;
    short grid_type = 0, year = VYK_MISS, month = VYK_MISS, day = VYK_MISS, hour = VYK_MISS;
    {
        const CDF_quiet quiet;
        short_att(f->fd, "grid_type", grid_type);
        short_att(f->fd, "year", year);
        short_att(f->fd, "month", month);
        short_att(f->fd, "day", day);
        short_att(f->fd, "hour", hour);
    }
    f->grid = grid_type == 1 ? 1 : 0;
    info->grid_type = f->grid;
    find_layout(f, recdim);
    DATE_init(&info->date);
    info->date.year = year;
    info->date.month = month;
    info->date.day = day;
    info->date.hour = hour;
    DATE_make_label(&info->date, info->datim, sizeof info->datim);
    f->date = info->date;
    f->num = 0;
    return 0;
}

/// A text variable's value at record rec into field (size bytes), terminated.
void get_text(const GRD_file *f, int id, long rec, char *field, size_t size)
{
    if (id < 0) return;
    long len = var_dim_len(f->fd, id, 1);
    if (len <= 0) return;
    if (len > STRING_LEN) len = STRING_LEN;
    char buf[STRING_LEN + 1];
    const long start[2] = {rec, 0};
    const long count[2] = {1, len};
    if (ncvarget(f->fd, id, start, count, buf) < 0) return;
    buf[len] = '\0';
    strfcpy(field, size, buf);
}

int cdf_read(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num)
{
    if (f->cdf_model) return CDF_model_read(slot, f, grd, rep_type, num);
    if (*num >= 0) f->num = *num;
    if (f->num >= f->max_num) return -1;
    const int fd = f->fd;
    const long rec = f->num;
    const long index[1] = {rec};
    get_text(f, f->datim_id, rec, grd->datim, sizeof grd->datim);
    get_text(f, f->info_id, rec, grd->info, sizeof grd->info);
    if (f->grid != 1) {
        short proj;
        if (f->proj_id >= 0 && ncvarget1(fd, f->proj_id, index, &proj) >= 0) grd->domain.proj = proj;
        FloatFields ff(grd);
        for (size_t k = 1; k < std::size(proj_vars); k++) {
            const int id = f->*proj_vars[k].id;
            float v;
            if (id >= 0 && ncvarget1(fd, id, index, &v) >= 0) *ff.p[k - 1] = v;
        }
    }
    ShortFields sf(grd);
    for (size_t k = 0; k < std::size(short_vars); k++) {
        const int id = f->*short_vars[k].id;
        short v;
        if (id >= 0 && ncvarget1(fd, id, index, &v) >= 0) *sf.p[k] = v;
        if (k == 2 && f->proj_id < 0) grd->domain.proj = grd->model > 9 ? DOM_LATLON : DOM_PSTEREO;
    }
    if (rep_type != GRD_READ_VALUES) return 0;

    const Domain &d = grd->domain;
    if (d.nx <= 0 || d.ny <= 0 || d.nx > f->x_size || d.ny > f->y_size ||
        f->values_id[0] < 0) {
        MESS_print(M_WARN, "GRD_read: Record %ld of netCDF grid file %s holds no %d x %d grid\n",
                   rec, f->name, d.nx, d.ny);
        return -1;
    }
    const size_t n = static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny);
    if (!grd_values(grd, n)) return -1;
    const long start[3] = {rec, 0, 0};
    const long count[3] = {1, d.nx, d.ny};
    if (ncvarget(fd, f->values_id[0], start, count, grd->grid) < 0) {
        MESS_print(M_WARN, "GRD_read: Unable to read record %ld of netCDF grid file %s\n", rec,
                   f->name);
        return -1;
    }
    for (size_t k = 0; k < n; k++)
        if (!std::isfinite(grd->grid[k])) grd->grid[k] = static_cast<float>(VYK_MISS);
    *num = f->num;
    return 0;
}

}  // namespace

const GRD_backend grd_backend_netcdf = {
    GRD_NETCDF,  "netCDF",    cdf_open, cdf_close, cdf_rewind,
    cdf_getinfo, cdf_putinfo, cdf_read, cdf_write,
};
