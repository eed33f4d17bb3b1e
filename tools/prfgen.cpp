// prfgen: writes sample wind-profiler files that the profiler reader reads, one file per hour:
// both netCDF layouts (through the library's netCDF layer) and WMO BUFR bulletins (through
// eccodes, prfgen_bufr.cpp).
//
//   prfgen [-s YYYYMMDDHH] [-n FILES] [-l KINDS] OUTDIR
//
// Writes OUTDIR/station/YYYYMMDDHH.prf, OUTDIR/record/YYYYMMDDHH.prf and
// OUTDIR/bufr/YYYYMMDDHH.prf (the naming convention "prf_dat" with data_path OUTDIR/station,
// OUTDIR/record or OUTDIR/bufr), by default 13 hourly files from 2024-05-14 00 UTC.  KINDS is a
// ','-separated list of station, record and bufr ("both": the two netCDF layouts; "all", the
// default: every kind).  The winds are synthetic but physically plausible: a boundary layer
// with a logarithmic speed profile veering with height (Ekman turning), veering on up to a jet
// near 10 km that strengthens over the series, the signal lost aloft (from 12 to 16 km depending
// on station and hour), some levels of bad quality, one wind component out of range, and the
// top low-mode level at the same height as the first high-mode level.  Everything is computed
// from the station, hour and level alone, so that a run writes the same files every time.
#include "prfgen.h"
#include "vyk.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace prfgen {

namespace {

constexpr double PI = 3.1415926535898;
constexpr int ID_LEN = 6;            // string_len and staNamLen

}  // namespace

// Six stations of the central United States (positions approximate; the WMO numbers are the
// generator's own).
const Station stations[NUM_STATIONS] = {
    {"PLTC2", 74531, 40.18f, -104.73f, 1503, 160, 9, 1400, 24, 14},
    {"NLGN1", 74532, 42.21f, -97.79f, 524, 170, 12, 1100, 27, 9},
    {"LMNO2", 74533, 36.69f, -97.48f, 306, 175, 14, 1000, 29, 7},
    {"HKLO2", 74534, 35.68f, -95.86f, 219, 180, 13, 900, 28, 6},
    {"WNFL1", 74535, 31.90f, -92.78f, 56, 190, 10, 800, 30, 4},
    {"WSMN5", 74536, 32.40f, -106.35f, 1224, 150, 8, 1600, 31, 18},
};

float level_height(int i)
{
    return i < SET_LEVELS ? 500.0f + 250.0f * i : 9250.0f + 250.0f * (i - SET_LEVELS);
}

/// A repeatable number in -1 to 1 for the given indices.
double noise(int s, int t, int i, int k)
{
    uint64_t x = (uint64_t(s) << 48) ^ (uint64_t(t) << 32) ^ (uint64_t(i) << 16) ^ uint64_t(k);
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return double(x >> 11) / double(1ULL << 52) - 1.0;
}

namespace {

/// Top of the usable signal: 12000 to 16000 m by station and hour.
float signal_top(int s, int t)
{
    return 12000.0f + 500.0f * ((s * 7 + t * 3) % 9);
}

/// Speed (m/s) and direction (degrees) of station s at hour t and height z (m above ground).
void wind_profile(const Station &st, int s, int t, float z, double *spd, double *dir)
{
    const double jet = 35.0 + 25.0 * t / 12.0 + 3.0 * noise(s, 0, 0, 1);  // strengthens
    const double jet_dir = 250.0 + 5.0 * s;
    if (z < st.zi) {
        const double z0 = 0.1;
        *spd = st.geo * std::log(z / z0) / std::log(st.zi / z0);
        *dir = st.dir0 + 40.0 * z / st.zi;
    } else {
        const double d = (z - 10000.0) / 2500.0;
        *spd = st.geo + (jet - st.geo) * std::exp(-d * d);
        const double f = std::fmin(1.0, (z - st.zi) / (10000.0 - st.zi));
        *dir = st.dir0 + 40.0 + (jet_dir - st.dir0 - 40.0) * f;
    }
}

}  // namespace

Wind level_wind(int s, int t, int i)
{
    const Station &st = stations[s];
    const float z = level_height(i);
    if (z > signal_top(s, t) || (i == SET_LEVELS - 1 && s % 2 == 0))
        return {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, QUALITY_NONE};
    double spd, dir;
    wind_profile(st, s, t, z, &spd, &dir);
    spd += 0.8 * noise(s, t, i, 2);
    dir += 4.0 * noise(s, t, i, 3);
    const double rad = dir * PI / 180.0;
    Wind w;
    w.u = float(-spd * std::sin(rad));
    w.v = float(-spd * std::cos(rad));
    w.w = float(0.15 * std::sin(z / 1500.0 + t) + 0.05 * noise(s, t, i, 4));
    w.hdev = float(0.5 + 0.04 * spd + 0.2 * std::fabs(noise(s, t, i, 5)));
    w.vdev = float(0.3 + 0.1 * std::fabs(noise(s, t, i, 6)));
    w.q = QUALITY_GOOD;
    if ((s + 3 * t + i) % 17 == 0) {  // suspect: a ground-clutter spike
        w.u += 12.0f;
        w.q = QUALITY_BAD;
    }
    if (s == 2 && i == 5)  // a component out of range, quality still good
        w.u = 150.0f;
    return w;
}

Surface surface(int s, int t)
{
    const Station &st = stations[s];
    Surface sf;
    sf.pres = float(1013.25 * std::pow((288.15 - 0.0065 * st.elev) / 288.15, 5.25588) -
                    0.15 * t + 0.5 * noise(s, t, 0, 7));
    sf.temp = float(st.t0 - 0.9 * t + 0.3 * noise(s, t, 0, 8));
    sf.dewp = sf.temp - st.spread + float(0.2 * t);
    auto e = [](double c) { return 6.112 * std::exp(17.67 * c / (c + 243.5)); };
    sf.rh = float(std::fmin(100.0, 100.0 * e(sf.dewp) / e(sf.temp)));
    sf.dir = std::fmod(st.dir0 - 10.0f + 360.0f, 360.0f);
    sf.spd = float(0.35 * st.geo + 0.5 * noise(s, t, 0, 9));
    sf.rain = s == 4 && t >= 6 && t <= 9 ? 1.2f : 0.0f;
    return sf;
}

}  // namespace prfgen

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

bool prfgen::fail(const char *what, const std::string &path)
{
    fprintf(stderr, "prfgen: %s: %s\n", what, path.c_str());
    return false;
}

namespace {

using namespace prfgen;

int def_float(const char *name, const char *long_name, const char *units)
{
    const int id = CDF_def_float_var(name);
    CDF_put_base_att(id, long_name, units);
    CDF_put_fill_att(id);
    return id;
}

/// The winds of one level set of station s into per-variable rows.
void set_rows(int s, int t, int first, int count, float *u, float *v, float *w, float *hdev,
              float *vdev, char *q)
{
    for (int i = 0; i < count; i++) {
        const Wind wd = level_wind(s, t, first + i);
        u[i] = wd.u;
        v[i] = wd.v;
        w[i] = wd.w;
        hdev[i] = wd.hdev;
        vdev[i] = wd.vdev;
        q[i] = static_cast<char>(wd.q);
    }
}

bool write_station(const std::string &path, int t, const Time &time)
{
    if (CDF_open(path.c_str(), 1) == -1)
        return fail("cannot create", path);
    CDF_put_glob_att("title", "Synthetic wind-profiler reports, station layout (prfgen)");
    const int station = CDF_def_dim("station", 0), low = CDF_def_dim("low_level", SET_LEVELS),
              high = CDF_def_dim("high_level", SET_LEVELS), slen = CDF_def_dim("string_len", ID_LEN);
    CDF_set_shape(2, station, slen);
    const int id = CDF_def_char_var("id");
    CDF_set_shape(1, station);
    const int lat = def_float("lat", "latitude", "degrees_north");
    const int lon = def_float("lon", "longitude, west positive", "degrees_west");
    const int elev = CDF_def_long_var("elev");
    CDF_put_base_att(elev, "elevation", "m");
    const int region = CDF_def_long_var("region");
    const int sfc[6] = {def_float("sfc_p", "surface pressure", "mb"),
                        def_float("sfc_t", "surface temperature", "C"),
                        def_float("sfc_td", "surface dew point", "C"),
                        def_float("sfc_dir", "surface wind direction", "degrees"),
                        def_float("sfc_spd", "surface wind speed", "m/s"),
                        def_float("sfc_rain", "rain rate", "mm/h")};
    const int year = CDF_def_long_var("year"), month = CDF_def_long_var("month"),
              day = CDF_def_long_var("day"), hour = CDF_def_long_var("hour");
    int lvl[2], u[2], v[2], w[2], n[2], e[2], vv[2], q[2];
    const char *mode[2] = {"low", "high"};
    const int dim[2] = {low, high};
    for (int m = 0; m < 2; m++) {
        const std::string p = mode[m];
        CDF_set_shape(1, dim[m]);
        lvl[m] = def_float((p + "_level").c_str(), "height above ground", "m");
        CDF_set_shape(2, station, dim[m]);
        u[m] = def_float((p + "_u_wind").c_str(), "u wind component", "m/s");
        v[m] = def_float((p + "_v_wind").c_str(), "v wind component", "m/s");
        w[m] = def_float((p + "_w_wind").c_str(), "vertical velocity", "m/s");
        n[m] = def_float((p + "_moment2_n").c_str(), "spread, north beam", "m/s");
        e[m] = def_float((p + "_moment2_e").c_str(), "spread of the horizontal wind", "m/s");
        vv[m] = def_float((p + "_moment2_v").c_str(), "spread of the vertical wind", "m/s");
        q[m] = CDF_def_byte_var((p + "_qual_indicator").c_str());
        CDF_put_base_att(q[m], "quality indicator: 10 good, 9 suspect, 0 missing", nullptr);
    }
    CDF_end_def();

    for (int m = 0; m < 2; m++) {
        float h[SET_LEVELS];
        for (int i = 0; i < SET_LEVELS; i++)
            h[i] = level_height(m * SET_LEVELS + i);
        CDF_set_range(1, 0, SET_LEVELS);
        CDF_put_float_array(lvl[m], h);
    }
    for (int s = 0; s < NUM_STATIONS; s++) {
        const Station &st = stations[s];
        const Surface sf = surface(s, t);
        CDF_set_pos(1, s);
        CDF_put_str(id, st.id);
        CDF_put_float(lat, st.lat);
        CDF_put_float(lon, -st.lon);
        CDF_put_long(elev, std::lround(st.elev));
        CDF_put_long(region, 1);
        const float sv[6] = {sf.pres, sf.temp, sf.dewp, sf.dir, sf.spd, sf.rain};
        for (int k = 0; k < 6; k++)
            CDF_put_float(sfc[k], sv[k]);
        CDF_put_long(year, time.date.year);
        CDF_put_long(month, time.date.month);
        CDF_put_long(day, time.date.day);
        CDF_put_long(hour, time.date.hour);
        for (int m = 0; m < 2; m++) {
            float ru[SET_LEVELS], rv[SET_LEVELS], rw[SET_LEVELS], rhd[SET_LEVELS], rvv[SET_LEVELS];
            char rq[SET_LEVELS];
            set_rows(s, t, m * SET_LEVELS, SET_LEVELS, ru, rv, rw, rhd, rvv, rq);
            CDF_set_range(2, s, 1, 0, SET_LEVELS);
            CDF_put_float_array(u[m], ru);
            CDF_put_float_array(v[m], rv);
            CDF_put_float_array(w[m], rw);
            CDF_put_float_array(n[m], rhd);
            CDF_put_float_array(e[m], rhd);
            CDF_put_float_array(vv[m], rvv);
            CDF_put_byte_array(q[m], rq);
        }
    }
    return CDF_close() == 0 || fail("cannot write", path);
}

bool write_record(const std::string &path, int t, const Time &time)
{
    if (CDF_open(path.c_str(), 1) == -1)
        return fail("cannot create", path);
    CDF_put_glob_att("title", "Synthetic wind-profiler reports, record layout (prfgen)");
    const int rec = CDF_def_dim("recNum", 0), level = CDF_def_dim("level", ALL_LEVELS),
              slen = CDF_def_dim("staNamLen", ID_LEN);
    CDF_set_shape(2, rec, slen);
    const int name = CDF_def_char_var("staName");
    CDF_set_shape(1, rec);
    const int lat = def_float("staLat", "latitude", "degrees_north");
    const int lon = def_float("staLon", "longitude", "degrees_east");
    const int elev = def_float("staElev", "elevation", "m");
    const int sfc[6] = {def_float("pressure", "surface pressure", "mb"),
                        def_float("temperature", "surface temperature", "C"),
                        def_float("relHumidity", "surface relative humidity", "percent"),
                        def_float("windDirSfc", "surface wind direction", "degrees"),
                        def_float("windSpeedSfc", "surface wind speed", "m/s"),
                        def_float("rainRate", "rain rate", "mm/h")};
    const int obs = CDF_def_var("timeObs", CDF_DOUBLE, 1, rec);
    CDF_put_base_att(obs, "time of observation", "seconds since 1970-1-1 00:00:00.0");
    CDF_set_shape(1, level);
    const int levels = def_float("levels", "height above ground", "m");
    CDF_set_shape(2, rec, level);
    const int u = def_float("uComponent", "u wind component", "m/s");
    const int v = def_float("vComponent", "v wind component", "m/s");
    const int w = def_float("wComponent", "vertical velocity", "m/s");
    const int hdev = def_float("windSpeedStdDev", "spread of the horizontal wind", "m/s");
    const int vdev = def_float("wStdDev", "spread of the vertical wind", "m/s");
    const int q = CDF_def_byte_var("uvQualityCode");
    CDF_put_base_att(q, "quality code: 10 good, 9 suspect, 0 missing", nullptr);
    CDF_end_def();

    float h[ALL_LEVELS];
    for (int i = 0; i < ALL_LEVELS; i++)
        h[i] = level_height(i);
    CDF_set_range(1, 0, ALL_LEVELS);
    CDF_put_float_array(levels, h);
    for (int s = 0; s < NUM_STATIONS; s++) {
        const Station &st = stations[s];
        const Surface sf = surface(s, t);
        CDF_set_pos(1, s);
        CDF_put_str(name, st.id);
        CDF_put_float(lat, st.lat);
        CDF_put_float(lon, st.lon);
        CDF_put_float(elev, st.elev);
        const float sv[6] = {sf.pres, sf.temp, sf.rh, sf.dir, sf.spd, sf.rain};
        for (int k = 0; k < 6; k++)
            CDF_put_float(sfc[k], sv[k]);
        CDF_put_double(obs, static_cast<double>(time.secs));
        float ru[ALL_LEVELS], rv[ALL_LEVELS], rw[ALL_LEVELS], rhd[ALL_LEVELS], rvv[ALL_LEVELS];
        char rq[ALL_LEVELS];
        set_rows(s, t, 0, ALL_LEVELS, ru, rv, rw, rhd, rvv, rq);
        CDF_set_range(2, s, 1, 0, ALL_LEVELS);
        CDF_put_float_array(u, ru);
        CDF_put_float_array(v, rv);
        CDF_put_float_array(w, rw);
        CDF_put_float_array(hdev, rhd);
        CDF_put_float_array(vdev, rvv);
        CDF_put_byte_array(q, rq);
    }
    return CDF_close() == 0 || fail("cannot write", path);
}

bool make_dir(const std::string &path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST || fail("cannot make", path);
}

int usage()
{
    fprintf(stderr, "usage: prfgen [-s YYYYMMDDHH] [-n FILES] [-l KINDS] OUTDIR\n"
                    "  KINDS: ','-separated station, record, bufr; both (station,record); all\n");
    return 2;
}

/// "YYYYMMDDHH" into seconds since 1970 UTC.
bool parse_start(const char *text, int64_t *secs)
{
    int y, m, d, h;
    char end;
    if (std::strlen(text) != 10 || std::sscanf(text, "%4d%2d%2d%2d%c", &y, &m, &d, &h, &end) != 4)
        return false;
    if (y < 1970 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31 || h < 0 || h > 23)
        return false;
    Date date = {y, m, d, 0, 0, h, 0, 0};
    *secs = DATE_num_sec(&date);
    return true;
}

/// The kinds of file written, each with its folder under OUTDIR.
struct Kind {
    const char *name;
    bool (*write)(const std::string &path, int t, const Time &time);
};
const Kind kinds[] = {
    {"station", write_station},
    {"record", write_record},
    {"bufr", write_bufr},
};
constexpr int NUM_KINDS = static_cast<int>(sizeof kinds / sizeof kinds[0]);

/// Marks the kinds named in a ','-separated list: false for an unknown word.
bool parse_kinds(const std::string &list, bool *wanted)
{
    size_t start = 0;
    do {
        const size_t comma = list.find(',', start);
        const std::string word = list.substr(start, comma - start);
        start = comma == std::string::npos ? comma : comma + 1;
        bool known = word == "all" || word == "both";
        for (int k = 0; k < NUM_KINDS; k++) {
            const bool named = word == kinds[k].name || word == "all" ||
                               (word == "both" && kinds[k].write != write_bufr);
            wanted[k] = wanted[k] || named;
            known = known || named;
        }
        if (!known)
            return false;
    } while (start != std::string::npos);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    int64_t start = 0;
    parse_start("2024051400", &start);
    int files = 13;
    std::string list = "all", out;
    for (int a = 1; a < argc; a++) {
        const std::string arg = argv[a];
        if ((arg == "-s" || arg == "-n" || arg == "-l") && a + 1 < argc) {
            const char *value = argv[++a];
            if (arg == "-s" && !parse_start(value, &start))
                return usage();
            if (arg == "-n" && ((files = std::atoi(value)) < 1 || files > 1000))
                return usage();
            if (arg == "-l")
                list = value;
        } else if (out.empty() && arg[0] != '-') {
            out = arg;
        } else {
            return usage();
        }
    }
    bool wanted[NUM_KINDS] = {};
    if (out.empty() || !parse_kinds(list, wanted))
        return usage();
    if (!make_dir(out))
        return 1;
    for (int k = 0; k < NUM_KINDS; k++)
        if (wanted[k] && !make_dir(out + "/" + kinds[k].name))
            return 1;
    for (int t = 0; t < files; t++) {
        Time time;
        time.secs = start + 3600 * int64_t{t};
        DATE_get_gmdate(&time.secs, &time.date);
        char name[32];
        std::snprintf(name, sizeof name, "/%04d%02d%02d%02d.prf", time.date.year,
                      time.date.month, time.date.day, time.date.hour);
        for (int k = 0; k < NUM_KINDS; k++)
            if (wanted[k] && !kinds[k].write(out + "/" + kinds[k].name + name, t, time))
                return 1;
    }
    return 0;
}
