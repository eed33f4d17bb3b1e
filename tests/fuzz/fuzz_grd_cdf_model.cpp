// Fuzz target of the netCDF model-output reader.  Random bytes seldom make a netCDF header the
// reader gets past, so the input describes the file and the library writes it: the target
// reads the input as a small program of dimensions (names the reader knows, small lengths),
// variables (known names, any type, any of the dimensions), units and a title, then values
// for every variable; the file is then read as a grid file like fuzz_grd_cdf does, every product
// as a header and with its values, then again out of order.
//
// Input: count of dimensions, then per dimension a name byte and a length byte (0: unlimited);
// count of variables, then per variable a name byte, a type byte, a dimension count and that
// many dimension bytes, a units byte; a title byte; then the values, octet by octet.
#include "fuzz_grid.h"

#include <netcdf.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int MAX_PRODUCTS = 64;
constexpr int MAX_DIMS = 6, MAX_VARS = 10, MAX_LEN = 8, MAX_RECORDS = 3;

constexpr const char *DIM_NAMES[] = {"rtime", "frtime", "level", "lat", "lon", "time", "x", "y"};
constexpr const char *VAR_NAMES[] = {
    "Z",     "T",      "Psl",  "U",        "V",     "RH",    "lat",   "lon",
    "level", "frtime", "year", "month",    "day",   "hour",  "grib_center", "grib_model",
    "reftime", "anltime", "anlhour", "valtime", "SST", "wave_dir", "omega", "precip",
    "Ztrop", "Pmaxwind", "temp", "gpt_hgt", "GRIDVAR", "other"};
constexpr const char *UNITS[] = {nullptr, "Pa", "pascals", "gp m", "kelvin", "degK", "degC",
                                 "celsius", "meters", "degrees", "10 degrees", "Pa/s", ""};
constexpr const char *TITLES[] = {nullptr, "NMC Early Trop run", "NMC Final run", "NGM run",
                                  "ECMWF", "MRF run", "Eta run", "AVN run", "RUC", ""};
constexpr nc_type TYPES[] = {NC_FLOAT, NC_INT, NC_SHORT, NC_DOUBLE, NC_BYTE, NC_CHAR};

/// Reads the input an octet at a time (0 past its end).
struct Input {
    const uint8_t *p, *end;
    unsigned next() { return p < end ? *p++ : 0u; }
    template <class T, size_t N> const T &pick(const T (&table)[N]) { return table[next() % N]; }
};

void check(const GRD_report &g)
{
    const Domain &d = g.domain;
    if (!g.grid || d.nx <= 0 || d.ny <= 0) vykfuzz::fail("a values read without a grid");
    const size_t n = static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny);
    if (GRD_capacity(&g) < n) vykfuzz::fail("a grid smaller than its domain");
    volatile float sum = 0;
    for (size_t i = 0; i < n; i++) sum = sum + g.grid[i];
}

/// Fills variable v (of type t, count values along its dimensions) from the input.
void put_values(int nc, int v, nc_type t, const std::vector<size_t> &count, Input &in)
{
    size_t n = 1;
    for (size_t c : count) n *= c;
    if (n == 0) return;
    std::vector<size_t> start(count.size(), 0);
    if (t == NC_CHAR) {
        std::string text(n, ' ');
        for (char &c : text) c = static_cast<char>(in.next());
        nc_put_vara_text(nc, v, start.data(), count.data(), text.data());
        return;
    }
    std::vector<double> values(n);
    for (double &x : values) {
        const unsigned b = in.next();
        // Mostly small numbers, now and then a large, negative, fill or missing one.
        x = b < 200 ? b : b < 230 ? -static_cast<double>(b) : b < 250 ? 1900.0 + (b - 230) * 10 : b == 250 ? 1e36 : -9999;
    }
    nc_put_vara_double(nc, v, start.data(), count.data(), values.data());
}

/// Writes the file the input describes: false when the library refuses the description.
bool make_file(const char *path, Input in)
{
    int nc;
    if (nc_create(path, NC_CLOBBER, &nc) != NC_NOERR) return false;
    const int ndims = 1 + static_cast<int>(in.next() % MAX_DIMS);
    std::vector<int> dims;
    std::vector<size_t> lens;
    for (int k = 0; k < ndims; k++) {
        const char *name = in.pick(DIM_NAMES);
        const size_t len = in.next() % MAX_LEN;
        int id;
        if (nc_def_dim(nc, name, len == 0 ? NC_UNLIMITED : len, &id) != NC_NOERR) continue;
        dims.push_back(id);
        lens.push_back(len == 0 ? MAX_RECORDS : len);
    }
    struct Var {
        int id;
        nc_type type;
        std::vector<size_t> count;
    };
    std::vector<Var> vars;
    const int nvars = 1 + static_cast<int>(in.next() % MAX_VARS);
    for (int k = 0; k < nvars && !dims.empty(); k++) {
        const char *name = in.pick(VAR_NAMES);
        const nc_type type = in.pick(TYPES);
        const int nd = static_cast<int>(in.next() % 6);
        std::vector<int> vd;
        Var v{-1, type, {}};
        for (int i = 0; i < nd; i++) {
            const size_t d = in.next() % dims.size();
            vd.push_back(dims[d]);
            v.count.push_back(lens[d]);
        }
        if (nc_def_var(nc, name, type, nd, vd.data(), &v.id) != NC_NOERR) continue;
        if (const char *units = in.pick(UNITS))
            nc_put_att_text(nc, v.id, "units", std::strlen(units), units);
        vars.push_back(v);
    }
    if (const char *title = in.pick(TITLES))
        nc_put_att_text(nc, NC_GLOBAL, "title", std::strlen(title), title);
    if (nc_enddef(nc) != NC_NOERR) {
        nc_close(nc);
        return false;
    }
    for (const Var &v : vars) put_values(nc, v.id, v.type, v.count, in);
    return nc_close(nc) == NC_NOERR;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *path = vykfuzz::scratch_file();
    if (!make_file(path, Input{data, data + size})) return 0;
    vykfuzz::GridFile f(path, GRD_NETCDF);
    if (!f.has_info) return 0;
    int n = 0;
    for (; n < MAX_PRODUCTS; n++) {
        int num = n;
        if (GRD_read(f.fd, &f.g, GRD_READ_HEADER, &num) != 0) break;
        num = n;
        if (GRD_read(f.fd, &f.g, GRD_READ_VALUES, &num) == 0) check(f.g);
    }
    for (int num : {n - 1, 0, n}) {
        int m = num;
        if (GRD_read(f.fd, &f.g, GRD_READ_VALUES, &m) == 0) check(f.g);
    }
    return 0;
}
