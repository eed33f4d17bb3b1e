// Fixtures of the sounding tests: levels written as rows, a variable with a decoded level word,
// a small temperature sounding with its special levels, and the capture of table rows.
#ifndef SOUNDING_FIXTURE_H
#define SOUNDING_FIXTURE_H

#include "test_util.h"
#include "zazudi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <list>
#include <sstream>
#include <string>
#include <vector>

namespace sndtest {

constexpr float M = VYK_MISS;

inline UPA_level L(float p, float h, float t = M, float td = M, float dir = M, float spd = M)
{
    return {p, h, t, td, dir, spd};
}

/// A variable whose level is the level word as the variable language reads it.
inline VAR_data level_var(const char *word)
{
    VAR_data var;
    VAR_data_init(&var);
    VAR_dec_level(word, &var.ltype, &var.level);
    return var;
}

/// A temperature sounding from 1000 to 200 mb, station at 100 m; 0 degrees C at 730 mb.
inline std::vector<UPA_level> sample_sm()
{
    return {
        L(1000, 100, 20, 15, 180, 10),   L(950, 540, 16, 12, 200, 15),
        L(900, 990, 12, 8, 220, 20),     L(850, 1460, 8, 2, 240, 25),
        L(700, 3000, -2, -10, 250, 35),  L(500, 5600, -18, -30, 260, 50),
        L(300, 9200, -44, -55, 270, 80), L(250, 10400, -52, -62, 270, 70),
        L(200, 11800, -56, -66, 275, 60),
    };
}

/// A copy of a sounding that lives as long as the process: the current sounding uses the
/// arrays it is given in place, also after the test that installed them (when the tests of a
/// program run in one process).
inline std::vector<UPA_level> &keep(const std::vector<UPA_level> &levels)
{
    static std::list<std::vector<UPA_level>> kept;
    return kept.emplace_back(levels);
}

/// Dew point (C) of temperature t (C) at relative humidity rh (0 to 1), with Bolton's
/// saturation vapour pressure, as MetPy's dewpoint_from_relative_humidity computes it.
inline float bolton_dewpoint(double t, double rh)
{
    const double e = rh * 6.112 * std::exp(17.67 * t / (t + 243.5));
    const double x = std::log(e / 6.112);
    return static_cast<float>(243.5 * x / (17.67 - x));
}

/// The sample sounding of MetPy's documentation of its index functions (pressure, temperature
/// and relative humidity): vertical totals 22.9, total totals 42.674, cross totals 19.774,
/// K index 35.940, Showalter index 0.484.
inline std::vector<UPA_level> metpy_sample()
{
    const double p[] = {1008, 1000, 950, 900, 850, 800, 750, 700, 650, 600, 550, 500, 450, 400, 350,
                        300,  250,  200, 175, 150, 125, 100, 80,  70,  60,  50,  40,  30,  25,  20};
    const double t[] = {29.3,  28.1,  23.5,  20.9,  18.4,  15.9,  13.1,  10.1,  6.7,   3.1,
                        -0.5,  -4.5,  -9.0,  -14.8, -21.5, -29.7, -40.0, -52.4, -59.2, -66.5,
                        -74.1, -78.5, -76.0, -71.6, -66.7, -61.3, -56.3, -51.7, -50.7, -47.5};
    const double rh[] = {.85, .65, .36, .39, .82, .72, .75, .86, .65, .22, .52, .66, .64, .20, .05,
                         .75, .76, .45, .25, .48, .76, .88, .56, .88, .39, .67, .15, .04, .94, .35};
    std::vector<UPA_level> lev;
    for (size_t i = 0; i < std::size(p); i++)
        lev.push_back(L(static_cast<float>(p[i]), M, static_cast<float>(t[i]),
                        bolton_dewpoint(t[i], rh[i])));
    return lev;
}

constexpr float METPY_ELEV = 50;  // m: the station of the sample as a report

/// Heights (m) of the sample's levels: the hypsometric equation over each layer with the mean
/// of its two temperatures, from a station at METPY_ELEV.
inline std::vector<double> metpy_heights()
{
    const std::vector<UPA_level> s = metpy_sample();
    std::vector<double> h = {METPY_ELEV};
    for (size_t i = 1; i < s.size(); i++) {
        const double tm = (s[i - 1].t + s[i].t) / 2 + 273.15;
        h.push_back(h.back() + 287.05 * tm / 9.80665 * std::log(s[i - 1].p / s[i].p));
    }
    return h;
}

/// The sample as an upper-air report of station "MTPY" (WMO 99001): the first level the
/// surface, the mandatory pressures in their slots with their heights, the other levels as
/// significant levels without heights.  Winds at the surface and the mandatory levels: 240
/// degrees at 40 knots up to 400 mb, 260/60 at 300 mb, 270/90 at 250 mb, 270/70, 270/50,
/// 270/30 at 200, 150, 100 mb, 90/10 above; the tropopause at 100 mb, the maximum wind
/// 270/95 at 260 mb.
inline UPA_report metpy_report()
{
    const std::vector<UPA_level> s = metpy_sample();
    const std::vector<double> h = metpy_heights();
    UPA_report r;
    UPA_initialize(&r);
    strfcpy(r.id, "MTPY");
    r.wmo = 99001;
    r.lat = 40;
    r.lon = -100;
    r.elev = METPY_ELEV;
    r.numman = 1;
    r.numsig = 0;
    auto wind = [](float p, float &dir, float &spd) {
        const struct { float p, dir, spd; } rows[] = {
            {400, 240, 40}, {300, 260, 60}, {250, 270, 90}, {200, 270, 70},
            {150, 270, 50}, {100, 270, 30}, {0, 90, 10}};
        for (const auto &row : rows)
            if (p >= row.p) {
                dir = row.dir;
                spd = row.spd;
                return;
            }
    };
    for (size_t i = 0; i < s.size(); i++) {
        const int slot = i == 0 ? UPA_MAN_SFC : UPA_mandatory(s[i].p);
        if (i == 0 || slot > 0) {
            UPA_level &m = r.man[slot];
            m = s[i];
            m.h = static_cast<float>(h[i]);
            wind(m.p, m.dir, m.spd);
        } else {
            r.sig[r.numsig++] = {s[i].p, s[i].t, s[i].td};
        }
    }
    r.man[UPA_MAN_TROP] = L(100, M, s[21].t, s[21].td, 270, 30);
    r.man[UPA_MAN_MWND] = L(260, M, M, M, 270, 95);
    return r;
}

/// Installs a copy of a sounding as the current one (SM and WM the same array) with the
/// tropopause at 250 mb / 10400 m and the maximum wind at 300 mb / 9200 m.
inline void load(const std::vector<UPA_level> &levels, float sfc_pres = 1000)
{
    std::vector<UPA_level> &sm = keep(levels);
    THERM_set_data(sfc_pres, sm.data(), static_cast<int>(sm.size()), sm.data(),
                   static_cast<int>(sm.size()));
    const UPA_level trop = L(250, 10400, -52, -62, 270, 70);
    const UPA_level mwnd = L(300, 9200, -44, -55, 270, 80);
    THERM_set_trop(&trop);
    THERM_set_mwnd(&mwnd);
}

/// The numbers a reference script of these tests prints, one vector per line: the script
/// (in tests/sounding, run by /usr/bin/python3 with numpy) gets args and standard input in.
inline std::vector<std::vector<double>> reference_numbers(const std::string &script,
                                                          const std::string &args,
                                                          const std::string &in)
{
    const vyktest::RunResult r = vyktest::run(
        "/usr/bin/python3 " VYK_SOURCE_DIR "/tests/sounding/" + script + " " + args, in);
    EXPECT_EQ(r.status, 0) << r.err;  // python3-numpy is a test dependency
    std::vector<std::vector<double>> lines;
    std::istringstream out(r.out);
    for (std::string line; std::getline(out, line);) {
        std::istringstream words(line);
        lines.emplace_back();
        for (double x; words >> x;) lines.back().push_back(x);
    }
    return lines;
}

/// What the message output prints under the given mask while fn runs (standard output).
template <typename Fn> std::string printed(M_type mask, Fn fn)
{
    MESS_set(MESS_PROG_SET, mask);
    vyktest::CaptureStdio cap;
    fn();
    fflush(stdout);
    cap.finish();
    return cap.out();
}

}  // namespace sndtest

#endif
