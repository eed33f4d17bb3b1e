// Fixtures of the sounding tests: levels written as rows, a variable with a decoded level word,
// a small temperature sounding with its special levels, and the capture of table rows.
#ifndef SOUNDING_FIXTURE_H
#define SOUNDING_FIXTURE_H

#include "test_util.h"
#include "zazudi.h"

#include <gtest/gtest.h>

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
