// obj.cpp: objective analysis of station data onto grids by Barnes successive correction.
//
// Every pass visits, row by row, the stations whose distance to the row is within the radius
// and, along the row, the columns within the radius of each; the Gaussian weight of a point is
// the product of the station's column and row factors (exp(-a-b) = exp(-a) exp(-b)), so that
// one exponential per station and column and one per station and row serve every point.  The
// stations still reach each grid point in their own order.
#include "obj.h"

#include "grd_internal.h"
#include "grd_oper.h"
#include "vykplot.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

OBJ_params st;

// Bounds the table of column factors; beyond it every weight takes its own exponential.
constexpr size_t COLUMN_TABLE_MAX = size_t{1} << 24;
// A weight whose exponent is beyond this is 0 in double precision.
constexpr double EXP_UNDERFLOW = 746.0;
// Results smaller than this in magnitude are stored as 0.
constexpr double TINY = 1e-10;

// The Gaussian factor exp(-e2 / filter) of a squared distance e2: 1 at distance 0 whatever
// the filter, 0 for a filter that is not positive or an exponent beyond double precision.
double gauss(double e2, double filter)
{
    if (e2 == 0.0) return 1.0;
    if (!(filter > 0)) return 0.0;
    const double q = e2 / filter;
    return q > EXP_UNDERFLOW ? 0.0 : std::exp(-q);
}

// A number filling the whole text (after leading blanks); false for anything else.
bool read_number(const char *text, double &v)
{
    if (!text || !*text) return false;
    char *end = nullptr;
    errno = 0;
    const double d = std::strtod(text, &end);
    if (end == text || errno == ERANGE || !std::isfinite(d)) return false;
    while (*end == ' ' || *end == '\t') end++;
    if (*end != '\0') return false;
    v = d;
    return true;
}

// The "miss" word: the number after the four letters and one separator.
void miss_word(const char *word)
{
    if (strnicmp(word, "miss", 4) != 0) return;
    double v;
    if (std::strlen(word) > 5 && read_number(word + 5, v)) st.miss_val = static_cast<float>(v);
    else MESS_print(M_WARN, "OBJ_decode_params: %s: the missing value needs a number\n", word);
}

// The "gridx" word: the grid factor when a number follows, then the radius kept in distance.
void gridx_word(const char *word)
{
    if (strnicmp(word, "gridx", 5) != 0) return;
    double v;
    if (word[5] != '\0') {
        if (read_number(word + 5, v) && v >= 1 && v <= 1000) st.grid_factor = static_cast<int>(v);
        else MESS_print(M_WARN, "OBJ_decode_params: %s: the grid factor needs a number\n", word);
    }
    st.rad_inf *= static_cast<float>(st.grid_factor);
}

// One value of object_param: false when absent or empty (or not a number, with a warning).
bool object_value(int count, char **words, int k, double &v)
{
    if (k >= count || !words[k]) return false;
    const char *w = words[k];
    while (*w == ' ') w++;
    if (*w == '\0') return false;
    if (read_number(w, v)) return true;
    MESS_print(M_WARN, "OBJ_decode_params: object_param: %s is not a number\n", w);
    return false;
}

void object_params()
{
    int count = 0;
    char **words = nullptr;
    if (RES_getvals("object_param", &count, &words) <= 0) return;
    double v;
    if (object_value(count, words, 0, v)) st.filter = static_cast<float>(v);
    if (!(st.filter > 0)) st.filter = 1.0f;
    if (object_value(count, words, 1, v)) st.rad_inf = v > 0 ? static_cast<float>(v) : 1000.0f;
    if (object_value(count, words, 2, v)) st.num_pass = v >= 1 && v <= 4 ? static_cast<int>(v) : 1;
    if (object_value(count, words, 3, v)) st.converg = v >= 0.01 && v < 1 ? static_cast<float>(v) : 0.2f;
    if (object_value(count, words, 4, v)) {
        const double m = std::trunc(v);
        st.min_sta = m > 0 && m < 1e9 ? static_cast<int>(m) : 1;
    }
    free_parsed_array(count, words);
}

// ---------------------------------------------------------------------------------------------
// One analysis
// ---------------------------------------------------------------------------------------------

// The stations and fields of one analysis on the grid of record 0.
struct Analysis {
    int nx = 0, ny = 0;
    double dx = 0, dy = 0, r2 = 0;
    int numdata = 0;
    const float *gx = nullptr, *gy = nullptr;  // station grid coordinates
    std::vector<int> fields;                   // analysed field numbers
    std::vector<const float *> values;         // per analysed field: station values or residuals
    std::vector<float *> out;                  // per analysed field: the grid values
    // The placed stations that may reach row j, in their order: row_stations[row_start[j]] to
    // row_stations[row_start[j + 1] - 1].
    std::vector<int> row_start, row_stations;

    bool placed(int s) const { return std::isfinite(gx[s]) && std::isfinite(gy[s]) && !VYK_is_miss(gx[s]); }
    // The squared distance to the nearest grid point, in plot units.
    double nearest_d2(int s) const
    {
        const double i = std::fmin(std::fmax(std::nearbyint(gx[s]), 0.0), nx - 1.0);
        const double j = std::fmin(std::fmax(std::nearbyint(gy[s]), 0.0), ny - 1.0);
        const double ex = dx * (gx[s] - i), ey = dy * (gy[s] - j);
        return ex * ex + ey * ey;
    }
};

// Sums of one row of grid points for one field.
struct RowSums {
    std::vector<double> sum, wsum;
    std::vector<int> count;
    explicit RowSums(int nx) : sum(nx), wsum(nx), count(nx) {}
    void clear()
    {
        std::fill(sum.begin(), sum.end(), 0.0);
        std::fill(wsum.begin(), wsum.end(), 0.0);
        std::fill(count.begin(), count.end(), 0);
    }
};

// The column factors exp(-(dx (gx - i))^2 / filter) of every station for the columns within
// the radius of it (and two more on each side, against rounding): width factors from column
// first[s] on.  Empty when the table would be too large.
struct ColumnFactors {
    std::vector<double> values;
    std::vector<int> first;
    int width = 0;
    bool empty() const { return values.empty(); }
    const double *of(int s) const { return values.data() + static_cast<size_t>(s) * static_cast<size_t>(width); }
};

// The reach of the radius in columns, plus one against rounding (as row_sums widens it).
double column_reach(const Analysis &a, double ay)
{
    return a.dx > 0 ? std::sqrt(a.r2 - ay) / a.dx + 1.0 : 0.0;
}

ColumnFactors column_factors(const Analysis &a, double filter)
{
    ColumnFactors c;
    if (a.numdata <= 0 || a.nx <= 0) return c;
    const double span = column_reach(a, 0.0);
    c.width = static_cast<int>(std::fmin(std::ceil(2 * span) + 5, a.nx));
    const size_t n = static_cast<size_t>(a.numdata) * static_cast<size_t>(c.width);
    if (n > COLUMN_TABLE_MAX) return {};
    try {
        c.values.resize(n);
        c.first.resize(static_cast<size_t>(a.numdata));
    } catch (const std::bad_alloc &) {
        return {};
    }
    const double last_first = a.nx - c.width;
    for (int s = 0; s < a.numdata; s++) {
        const double from = a.placed(s) ? std::floor(a.gx[s] - span) - 1 : 0.0;
        c.first[s] = static_cast<int>(std::fmin(std::fmax(from, 0.0), last_first));
        double *row = c.values.data() + static_cast<size_t>(s) * c.width;
        for (int t = 0; t < c.width; t++) {
            const double e = a.placed(s) ? a.dx * (a.gx[s] - (c.first[s] + t)) : 0.0;
            row[t] = gauss(e * e, filter);
        }
    }
    return c;
}

// The rows each placed station may reach: those within the radius of it and one more on each
// side, against rounding (row_sums tests each exactly).  Positions far off the grid are kept to
// it before they become row numbers.
void station_rows(Analysis &a)
{
    const double span = a.dy > 0 ? std::sqrt(a.r2) / a.dy + 1.0 : 0.0;
    const auto rows_of = [&](int s, int &j0, int &j1) {
        j0 = static_cast<int>(std::fmin(std::fmax(std::floor(a.gy[s] - span), 0.0), a.ny));
        j1 = static_cast<int>(std::fmax(std::fmin(std::ceil(a.gy[s] + span), a.ny - 1.0), -1.0));
    };
    a.row_start.assign(static_cast<size_t>(a.ny) + 1, 0);
    int j0, j1;
    for (int s = 0; s < a.numdata; s++) {
        if (!a.placed(s)) continue;
        rows_of(s, j0, j1);
        for (int j = j0; j <= j1; j++) a.row_start[j + 1]++;
    }
    for (int j = 0; j < a.ny; j++) a.row_start[j + 1] += a.row_start[j];
    a.row_stations.resize(static_cast<size_t>(a.row_start[a.ny]));
    std::vector<int> next(a.row_start.begin(), a.row_start.end() - 1);
    for (int s = 0; s < a.numdata; s++) {
        if (!a.placed(s)) continue;
        rows_of(s, j0, j1);
        for (int j = j0; j <= j1; j++) a.row_stations[next[j]++] = s;
    }
}

// Adds one station's weighted value v to columns lo to hi of a row's sums; w(i) its weight.
template <class Weight> void add_station(RowSums &r, int lo, int hi, double v, Weight w)
{
    double *sum = r.sum.data(), *wsum = r.wsum.data();
    int *count = r.count.data();
    for (int i = lo; i <= hi; i++) {
        const double wi = w(i);
        sum[i] += wi * v;
        wsum[i] += wi;
        count[i]++;
    }
}

// Accumulates the weighted values of every station within the radius of the points of row j.
// The points a station reaches along a row are one run of columns (the distance grows with
// the column's distance from the station's), found at its ends; the run is then added without
// a test per point.  Each point still takes the stations in their order.
void row_sums(const Analysis &a, int j, double filter, const ColumnFactors &cols,
              std::vector<RowSums> &rows)
{
    for (RowSums &r : rows) r.clear();
    const size_t nf = a.fields.size();
    for (int n = a.row_start[j]; n < a.row_start[j + 1]; n++) {
        const int s = a.row_stations[n];
        const double ey = a.dy * (a.gy[s] - j);
        const double ay = ey * ey;
        if (ay > a.r2) continue;
        const double fy = gauss(ay, filter);
        // The columns within reach, widened by one against rounding; the ends are tested exactly.
        // Positions far off the grid are kept to it before they become column numbers.
        const double reach = column_reach(a, ay);
        int lo = static_cast<int>(std::fmin(std::fmax(std::floor(a.gx[s] - reach), 0.0), a.nx));
        int hi = static_cast<int>(std::fmax(std::fmin(std::ceil(a.gx[s] + reach), a.nx - 1.0), -1.0));
        if (!cols.empty()) {
            lo = std::max(lo, cols.first[s]);
            hi = std::min(hi, cols.first[s] + cols.width - 1);
        }
        const auto within = [&](int i) {
            const double ex = a.dx * (a.gx[s] - i);
            return ex * ex + ay <= a.r2;
        };
        while (lo <= hi && !within(lo)) lo++;
        while (hi >= lo && !within(hi)) hi--;
        if (lo > hi) continue;
        for (size_t k = 0; k < nf; k++) {
            const float v = a.values[k][s];
            if (VYK_is_miss(v)) continue;
            if (!cols.empty()) {
                const double *cf = cols.of(s);
                const int first = cols.first[s];
                add_station(rows[k], lo, hi, v, [&](int i) { return cf[i - first] * fy; });
            } else {
                add_station(rows[k], lo, hi, v, [&](int i) {
                    const double ex = a.dx * (a.gx[s] - i);
                    return gauss(ex * ex + ay, filter);
                });
            }
        }
    }
}

float tidy(double v) { return std::fabs(v) < TINY ? 0.0f : grd_result(v); }

// One pass: the first sets every point to the weighted mean of the station values (-9999 where
// too few stations reach it); a later one adds the weighted mean of the residuals where enough
// of them reach a point with a value, and leaves every other point as it was.
void pass(const Analysis &a, double filter, bool first)
{
    const ColumnFactors cols = column_factors(a, filter);
    std::vector<RowSums> rows(a.fields.size(), RowSums(a.nx));
    for (int j = 0; j < a.ny; j++) {
        row_sums(a, j, filter, cols, rows);
        for (size_t k = 0; k < a.fields.size(); k++) {
            float *g = a.out[k] + static_cast<size_t>(j) * a.nx;
            const RowSums &r = rows[k];
            for (int i = 0; i < a.nx; i++) {
                const bool enough = r.wsum[i] != 0.0 && r.count[i] >= st.min_sta;
                if (first) g[i] = enough ? tidy(r.sum[i] / r.wsum[i]) : static_cast<float>(VYK_MISS);
                else if (enough && grd_present(g[i])) g[i] = tidy(g[i] + r.sum[i] / r.wsum[i]);
            }
        }
    }
}

// The residual of every station and field (-9999 off the grid, for a missing value, or where
// the grid is missing), and the RMS report.  Stations on the last column or row take the
// point-value rule of the grid's bilinear values.
void residuals(const Analysis &a, GRD_report *grid, float *const *z, std::vector<std::vector<float>> &res)
{
    for (size_t k = 0; k < a.fields.size(); k++) {
        const int f = a.fields[k];
        std::vector<float> &r = res[k];
        double sum = 0;
        int count = 0;
        for (int s = 0; s < a.numdata; s++) {
            r[s] = VYK_MISS;
            const float v = z[f][s];
            if (!a.placed(s) || VYK_is_miss(v)) continue;
            if (!(a.gx[s] >= 0 && a.gy[s] >= 0 && a.gx[s] <= a.nx - 1 && a.gy[s] <= a.ny - 1)) continue;
            const float g = GRD_get_value(&grid[f], a.gx[s], a.gy[s]);
            if (!grd_present(g)) continue;
            r[s] = v - g;
            sum += static_cast<double>(r[s]) * r[s];
            count++;
        }
        if (count > 0) MESS_print(M_OUT3, "RMS Error for field %d: %f\n", f + 1, std::sqrt(sum / count));
        else MESS_print(M_OUT3, "RMS Error for field %d: no stations\n", f + 1);
    }
}

void report(const Analysis &a, const GRD_report *grid)
{
    MESS_print(M_MESS, "Fitting to grid...\n");
    for (int f : a.fields) MESS_print(M_MESS, "   Data field [%d] = %s\n", f + 1, grid[f].info);
    MESS_print(M_OUT4, "Time and date are            = %s\n", grid[0].datim);
    MESS_print(M_OUT4, "Number of stations           = %4d stats\n", a.numdata);
    MESS_print(M_OUT4, "Number of passes             = %4d\n", st.num_pass);
    MESS_print(M_OUT4, "Filter parameter             = %9.4f cm**2\n", st.filter);
    if (st.num_pass > 1) MESS_print(M_OUT4, "Convergence parameter        = %9.4f\n", st.converg);
    MESS_print(M_OUT4, "Radius of influence          = %7.2f grids\n", st.rad_inf);
    MESS_print(M_OUT4, "Minimum stations at gridpt   = %4d stats\n\n", st.min_sta);
}

// The fields to analyse, each checked: a record with room for record 0's grid.
bool collect_fields(Analysis &a, float **z, int num_fields, GRD_report *grid)
{
    const size_t points = grd_domain_points(grid[0].domain);
    for (int k = 0; k < num_fields; k++) {
        if (!z[k]) continue;
        const size_t cap = GRD_capacity(&grid[k]);
        if (!grid[k].grid || points == 0 || (cap != 0 && cap < points) ||
            (cap == 0 && grd_points(&grid[k]) < points)) {
            MESS_print(M_WARN, "OBJ_analyze: field %d has no grid of %d by %d values\n", k + 1,
                       grid[0].domain.nx, grid[0].domain.ny);
            return false;
        }
        a.fields.push_back(k);
        a.out.push_back(grid[k].grid);
    }
    return true;
}

// Station positions to grid coordinates of record 0's map, in place.
void to_grid(float *x, float *y, int numdata, const Domain &dom)
{
    const MAP_keep keep;
    MAP_domain(&dom);
    for (int s = 0; s < numdata; s++) {
        float gx = VYK_MISS, gy = VYK_MISS;
        if (!VYK_is_miss(x[s]) && !VYK_is_miss(y[s])) MAP_grid_untran(x[s], y[s], &gx, &gy);
        x[s] = gx;
        y[s] = gy;
    }
}

// Missing station values that some grid point reaches take the missing value of the settings.
void replace_missing(const Analysis &a, float **z)
{
    if (VYK_is_miss(st.miss_val)) return;
    for (int s = 0; s < a.numdata; s++) {
        if (!a.placed(s) || a.nearest_d2(s) > a.r2) continue;
        for (int f : a.fields)
            if (VYK_is_miss(z[f][s])) z[f][s] = st.miss_val;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Parameters
// ---------------------------------------------------------------------------------------------

int OBJ_initialize()
{
    const int factor = st.grid_factor;
    st = OBJ_params{};
    st.grid_factor = factor;
    return 0;
}

int OBJ_set_filter(float fil) { return st.filter = fil, 0; }
int OBJ_set_rad_inf(float rad) { return st.rad_inf = rad, 0; }
int OBJ_set_num_pass(int pass) { return st.num_pass = pass, 0; }
int OBJ_set_converg(float conv) { return st.converg = conv, 0; }
int OBJ_set_min_sta(int min) { return st.min_sta = min, 0; }
int OBJ_set_miss_val(float val) { return st.miss_val = val, 0; }

int OBJ_get_params(OBJ_params *params)
{
    if (!params) return -1;
    *params = st;
    return 0;
}

int OBJ_decode_params()
{
    int count = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &count, &words);
    for (int i = 0; i < count; i++) {
        if (!words[i]) continue;
        miss_word(words[i]);
        gridx_word(words[i]);
    }
    free_parsed_array(count, words);
    object_params();
    return 0;
}

int OBJ_decode_format(const char *fmt)
{
    if (!fmt) return 0;
    int count = 0;
    char **parts = nullptr;
    if (parse_string(fmt, ':', &count, &parts) != 0) return 0;
    for (int i = 0; i < count; i++)
        if (parts[i]) miss_word(parts[i]);
    free_parsed_array(count, parts);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The analysis
// ---------------------------------------------------------------------------------------------

int OBJ_analyze(float *x, float *y, float **z, int numdata, int num_fields, GRD_report *grid)
{
    if (!z || !grid || num_fields <= 0) return -1;
    if (num_fields > OBJ_MAX_FIELDS) num_fields = OBJ_MAX_FIELDS;
    bool any = false;
    for (int k = 0; k < num_fields; k++) any = any || z[k] != nullptr;
    if (!any) return -1;
    OBJ_decode_params();

    Analysis a;
    const Domain dom = grid[0].domain;
    if (!(dom.dx > 0 && dom.dy > 0) || VYK_is_miss(dom.dx) || VYK_is_miss(dom.dy)) {
        MESS_print(M_WARN, "OBJ_analyze: the grid has no positive spacing\n");
        return -1;
    }
    if (!collect_fields(a, z, num_fields, grid)) return -1;
    if (numdata < 0 || (numdata > 0 && (!x || !y))) {
        MESS_print(M_WARN, "OBJ_analyze: no station positions\n");
        return -1;
    }
    a.nx = dom.nx;
    a.ny = dom.ny;
    a.dx = dom.dx;
    a.dy = dom.dy;
    a.numdata = numdata;
    const double radius = static_cast<double>(st.rad_inf) * a.dx;
    a.r2 = radius * radius;
    a.gx = x;
    a.gy = y;
    report(a, grid);

    to_grid(x, y, numdata, dom);
    for (int f : a.fields) {
        grid[f].source = 1;
        grid[f].version = 1;
        grid[f].model = 1;
        grid[f].type = 2;
        grid[f].domain = dom;
    }
    replace_missing(a, z);
    try {
        station_rows(a);
    } catch (const std::bad_alloc &) {
        MESS_print(M_WARN, "OBJ_analyze: No memory for the stations of each row\n");
        return -1;
    }
    for (int f : a.fields) a.values.push_back(z[f]);

    MESS_print(M_OUT3, "Pass: %d...\n", 1);
    pass(a, st.filter, true);
    if (st.num_pass <= 1 && !MESS_check(M_OUT3)) return 0;

    std::vector<std::vector<float>> res;
    try {
        res.assign(a.fields.size(), std::vector<float>(static_cast<size_t>(numdata)));
    } catch (const std::bad_alloc &) {
        MESS_print(M_WARN, "OBJ_analyze: No memory for residual data\n");
        return -1;
    }
    MESS_print(M_OUT3, "Computing residuals...\n");
    residuals(a, grid, z, res);
    for (size_t k = 0; k < res.size(); k++) a.values[k] = res[k].data();
    for (int p = 2; p <= st.num_pass; p++) {
        MESS_print(M_OUT3, "Pass: %d...\n", p);
        st.filter *= st.converg;
        pass(a, st.filter, false);
        residuals(a, grid, z, res);
    }
    return 0;
}
