// The sample series as WMO BUFR bulletin files, encoded with eccodes: one file per hour, one
// message per station (edition 3, one data subset), each behind a heading line of asterisks
// around the message's length in octets ("****0000000612****").
//
// A message holds the station (WMO block and number, position, elevation), the time of the
// hourly average, the surface wind, sea-level pressure, temperature, rain rate and relative
// humidity, then the low mode and the high mode of the profiler: mode, submode, two height
// increments that put the first level at its height and set the step (250 m), and 36 levels of
// quality flags, u, v, the spread of the horizontal wind, the signal power, w and the spread of
// w, by fixed replication.  The heights follow the reader's rule: the running height starts at
// 0 m, each increment is added to it, and each further level adds the last increment.
//
// Four elements of the messages (w, both spreads, rain rate) are written with the profiler
// reader's own scales, which differ from today's WMO Table B; the messages say so by naming
// local table version 1 of centre 59, whose element table (tools/eccodes, found through
// ECCODES_EXTRA_DEFINITION_PATH) holds those four elements with the reader's scales and the local
// signal-power element 0 21 192.  eccodes, reading the files with that path, decodes every
// element as the reader does.
#include "prfgen.h"

#include <eccodes.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace prfgen {

namespace {

constexpr long CENTRE = 59;          // NOAA Forecast Systems Laboratory
constexpr long MASTER_TABLES = 13;   // WMO Table B version of the other elements
constexpr long LOCAL_TABLES = 1;     // the local table of tools/eccodes
constexpr long CATEGORY = 2;         // vertical soundings other than satellite
constexpr long TIME_AVERAGED = 2;    // time significance (code table 0 08 021)
constexpr long AVERAGE_MINUTES = -60;
constexpr long PROFILES_AVERAGED = 12;
constexpr long LOW_MODE = 1, HIGH_MODE = 2, SUBMODE_A = 0;  // code tables 0 25 032, 0 25 033
/// Quality control flags (flag table 0 25 034): none failed, test A failed.
constexpr long QC_PASSED = 0, QC_TEST_A_FAILED = 8;
constexpr double KELVIN = 273.15;

/// The descriptors of every message (fixed replication 1 07 036 of the level block).
const long descriptors[] = {
    1001, 1002, 5002, 6002, 7001, 4001, 4002, 4003, 4004, 4005, 8021, 4025, 8022,  // station
    11002, 11001, 10051, 12001, 13014, 13003,                                      // surface
    25033, 25032, 7005, 7005, 107036,                                              // low mode
    25034, 11003, 11004, 11050, 21192, 11006, 11051,
    25033, 25032, 7005, 7005, 107036,                                              // high mode
    25034, 11003, 11004, 11050, 21192, 11006, 11051,
};

/// The eccodes context, its definitions searched in the generator's local tables first.
codes_context *context()
{
    static codes_context *const c = [] {
        std::string extra = PRFGEN_ECCODES_DIR;
        if (const char *user = std::getenv("ECCODES_EXTRA_DEFINITION_PATH"); user && *user)
            extra += std::string(":") + user;
        setenv("ECCODES_EXTRA_DEFINITION_PATH", extra.c_str(), 1);
        return codes_context_get_default();
    }();
    return c;
}

/// Sets the keys of one message, remembering the first failure.
class Setter {
public:
    explicit Setter(codes_handle *h) : h_(h) {}
    void set(const char *key, long v) { check(key, codes_set_long(h_, key, v)); }
    void set(const char *key, double v) { check(key, codes_set_double(h_, key, v)); }
    /// Every occurrence of an element, in order.
    void set(const char *key, const std::vector<long> &v)
    {
        check(key, codes_set_long_array(h_, key, v.data(), v.size()));
    }
    void set(const char *key, const std::vector<double> &v)
    {
        check(key, codes_set_double_array(h_, key, v.data(), v.size()));
    }
    bool ok() const { return error_.empty(); }
    const std::string &error() const { return error_; }

private:
    void check(const char *key, int err)
    {
        if (err != 0 && error_.empty())
            error_ = std::string(key) + ": " + codes_get_error_message(err);
    }
    codes_handle *h_;
    std::string error_;
};

/// A float value for eccodes, missing when it is VYK_MISS.
double value(float v)
{
    return VYK_is_miss(v) ? CODES_MISSING_DOUBLE : static_cast<double>(v);
}

/// Signal power of the spectral peak (dB), falling off with height.
long signal_power(int s, int t, int i)
{
    const double db = 60.0 - 3.0 * level_height(i) / 1000.0 + 2.0 * noise(s, t, i, 10);
    return std::lround(std::fmax(1.0, db));
}

void set_header(Setter &set, const Time &time)
{
    set.set("bufrHeaderCentre", CENTRE);
    set.set("bufrHeaderSubCentre", 0L);
    set.set("masterTablesVersionNumber", MASTER_TABLES);
    set.set("localTablesVersionNumber", LOCAL_TABLES);
    set.set("dataCategory", CATEGORY);
    set.set("dataSubCategory", 0L);
    set.set("typicalYearOfCentury", long{time.date.year % 100});
    set.set("typicalMonth", long{time.date.month});
    set.set("typicalDay", long{time.date.day});
    set.set("typicalHour", long{time.date.hour});
    set.set("typicalMinute", 0L);
    set.set("numberOfSubsets", 1L);
    set.set("observedData", 1L);
    set.set("compressedData", 0L);
}

void set_station(Setter &set, int s, int t, const Time &time)
{
    const Station &st = stations[s];
    const Surface sf = surface(s, t);
    set.set("blockNumber", long{st.wmo / 1000});
    set.set("stationNumber", long{st.wmo % 1000});
    set.set("latitude", double{st.lat});
    set.set("longitude", double{st.lon});
    set.set("heightOfStation", std::lround(st.elev));
    set.set("year", long{time.date.year});
    set.set("month", long{time.date.month});
    set.set("day", long{time.date.day});
    set.set("hour", long{time.date.hour});
    set.set("minute", 0L);
    set.set("timeSignificance", TIME_AVERAGED);
    set.set("timePeriod", AVERAGE_MINUTES);
    set.set("totalNumberWithRespectToAccumulationOrAverage", PROFILES_AVERAGED);
    set.set("windSpeed", double{sf.spd});
    set.set("windDirection", std::lround(sf.dir));
    // The station pressure reduced to sea level (standard atmosphere), Pa.
    const double msl = sf.pres * std::pow(1.0 - 0.0065 * st.elev / 288.15, -5.25588);
    set.set("pressureReducedToMeanSeaLevel", 100.0 * msl);
    set.set("airTemperature", sf.temp + KELVIN);
    set.set("rainfallOrWaterEquivalentOfSnowAveragedRate", sf.rain / 3600.0);  // mm/h
    set.set("relativeHumidity", std::lround(sf.rh));
}

/// The two modes: mode and submode, the increments that lead to the first height, and the
/// levels (each element set for all its occurrences at once).
void set_modes(Setter &set, int s, int t)
{
    set.set("windProfilerModeInformation", std::vector<long>{LOW_MODE, HIGH_MODE});
    set.set("windProfilerSubmodeInformation", std::vector<long>{SUBMODE_A, SUBMODE_A});
    // Low mode from 0 m: +250, +250 gives 500 m; high mode from the last low level (9250 m):
    // -250, +250 gives 9250 m again.  Both then step by 250 m.
    set.set("heightIncrement", std::vector<long>{250, 250, -250, 250});
    std::vector<double> u, v, w, hdev, vdev;
    std::vector<long> qc, power;
    for (int i = 0; i < ALL_LEVELS; i++) {
        const Wind wd = level_wind(s, t, i);
        u.push_back(value(wd.u));
        v.push_back(value(wd.v));
        w.push_back(value(wd.w));
        hdev.push_back(value(wd.hdev));
        vdev.push_back(value(wd.vdev));
        const bool signal = wd.q != QUALITY_NONE;
        qc.push_back(!signal ? CODES_MISSING_LONG
                             : wd.q == QUALITY_GOOD ? QC_PASSED : QC_TEST_A_FAILED);
        power.push_back(signal ? signal_power(s, t, i) : CODES_MISSING_LONG);
    }
    set.set("u", u);
    set.set("v", v);
    set.set("w", w);
    set.set("standardDeviationOfHorizontalWindSpeed", hdev);
    set.set("standardDeviationOfVerticalWindSpeed", vdev);
    set.set("windProfilerQualityControlTestResults", qc);
    set.set("spectralPeakOfZerothMoment", power);
}

/// The message of station s at hour t, appended to out.
bool encode(int s, int t, const Time &time, std::vector<char> *out, std::string *error)
{
    codes_handle *h = codes_bufr_handle_new_from_samples(context(), "BUFR3");
    if (h == nullptr) {
        *error = "no eccodes sample BUFR3";
        return false;
    }
    Setter set(h);
    set_header(set, time);
    const int err = codes_set_long_array(h, "unexpandedDescriptors", descriptors,
                                         sizeof descriptors / sizeof descriptors[0]);
    if (err != 0) {
        *error = std::string("unexpandedDescriptors: ") + codes_get_error_message(err);
        codes_handle_delete(h);
        return false;
    }
    set_station(set, s, t, time);
    set_modes(set, s, t);
    set.set("pack", 1L);
    const void *msg = nullptr;
    size_t size = 0;
    if (set.ok() && codes_get_message(h, &msg, &size) == 0) {
        char heading[32];
        std::snprintf(heading, sizeof heading, "****%010zu****\n", size);
        out->insert(out->end(), heading, heading + std::string(heading).size());
        out->insert(out->end(), static_cast<const char *>(msg),
                    static_cast<const char *>(msg) + size);
    }
    *error = set.ok() ? "" : set.error();
    codes_handle_delete(h);
    return set.ok() && msg != nullptr;
}

}  // namespace

bool write_bufr(const std::string &path, int t, const Time &time)
{
    std::vector<char> file;
    for (int s = 0; s < NUM_STATIONS; s++) {
        std::string error;
        if (!encode(s, t, time, &file, &error))
            return fail(("cannot encode " + std::string(stations[s].id) + " (" + error + ")").c_str(),
                        path);
    }
    FILE *fp = std::fopen(path.c_str(), "wb");
    if (fp == nullptr)
        return fail("cannot create", path);
    const bool written = std::fwrite(file.data(), 1, file.size(), fp) == file.size();
    return (std::fclose(fp) == 0 && written) || fail("cannot write", path);
}

}  // namespace prfgen
