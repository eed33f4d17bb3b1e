// Fixtures of the upper-air file tests: a report whose values every form carries exactly,
// writing reports into a file of a kind and reading them back, and comparing reports.
#ifndef UPA_FILE_FIXTURE_H
#define UPA_FILE_FIXTURE_H

#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace upatest {

constexpr float M = VYK_MISS;

/// A report of station id whose values the group codes carry exactly: positive temperatures
/// with even tenths, negative ones with odd tenths, depressions below 5 degrees in tenths or in
/// whole degrees from 6, heights within each mandatory level's range, directions in 5 degrees,
/// whole knots, wind heights in thousands of feet.  The surface is the first significant
/// level and the first wind (at 0 ft), as the text forms read it back.
inline UPA_report sample_report(const char *id = "PIT", int wmo = 72520, int numsig = 6, int numwnd = 5)
{
    UPA_report r;
    UPA_initialize(&r);
    strfcpy(r.id, id);
    r.wmo = wmo;
    r.lat = 40.53f;
    r.lon = -80.22f;
    r.numman = 19;
    const UPA_level man[] = {
        {M, M, M, M, M, M},                     // surface: filled below
        {1000, 111, 22.4f, 20.2f, 185, 7},
        {925, 762, 18.6f, 15.4f, 200, 12},
        {850, 1457, 14.2f, 10.2f, 215, 18},
        {700, 3012, 4.6f, -1.4f, 240, 25},
        {500, 5760, -9.1f, -21.1f, 255, 37},
        {400, 7390, -19.3f, -32.3f, 260, 45},
        {300, 9480, -35.1f, -45.1f, 265, 66},
        {250, 10740, -45.3f, -55.3f, 270, 78},
        {200, 12210, -54.7f, -64.7f, 275, 85},
        {150, 14020, -58.9f, -70.9f, 270, 70},
        {100, 16570, -63.5f, -75.5f, 265, 40},
        {70, 18620, -62.1f, -77.1f, 255, 20},
        {50, 20640, -59.3f, -75.3f, 90, 10},
        {30, 23830, -55.7f, -73.7f, 85, 15},
        {20, 26420, -52.1f, -71.1f, 80, 20},
        {10, 31000, -45.5f, -66.5f, 75, 25},
    };
    for (int s = 0; s <= UPA_MAN_10MB; s++) r.man[s] = man[s];
    r.man[17] = {7, 33500, -41.1f, M, 70, 30};
    r.man[18] = {5, 36010, -37.3f, M, 65, 35};
    r.man[UPA_MAN_TROP] = {212, M, -56.1f, -66.1f, 270, 84};
    r.man[UPA_MAN_MWND] = {230, M, M, M, 275, 105};
    const UPA_sig_level sig[] = {{978, 24.6f, 21.2f}, {941, 20.2f, 17.2f}, {812, 12.4f, 4.4f},
                                 {633, -0.3f, -6.3f}, {455, -14.7f, -24.7f}, {212, -56.1f, -66.1f},
                                 {88, -62.9f, -76.9f}, {15, -54.3f, -72.3f}};
    r.numsig = numsig;
    for (int i = 0; i < numsig; i++) {
        const UPA_sig_level &s = sig[i % 8];
        r.sig[i] = i < 8 ? s : UPA_sig_level{static_cast<float>(971 - 4 * i), s.t, s.td};
    }
    r.numwnd = numwnd;
    for (int i = 0; i < numwnd; i++)
        r.wnd[i] = {static_cast<float>(1000 * i), static_cast<float>(180 + 5 * (i % 30)),
                    static_cast<float>(5 + 3 * (i % 60))};
    r.man[UPA_MAN_SFC] = {r.sig[0].p, M, r.sig[0].t, r.sig[0].td, r.wnd[0].dir, r.wnd[0].spd};
    return r;
}

/// Writes the reports into path as kind, with a date label; returns UPA_close's result.
inline int write_reports(const std::string &path, int kind, std::vector<UPA_report> reports,
                         const char *datim = "12Z 15 MAR 96")
{
    int k = kind;
    const int fd = UPA_open(path.c_str(), UPA_ACCESS_WRITE, &k);
    EXPECT_GE(fd, 0) << path;
    UPA_info info{};
    strfcpy(info.datim, datim);
    strfcpy(info.file, "96031512");
    EXPECT_EQ(UPA_putinfo(fd, &info), 0);
    int n = 0;
    for (UPA_report &r : reports) {
        const int before = n;
        EXPECT_EQ(UPA_write(fd, &r, UPA_READ_ALL, &n), 0);
        if (n == before) n++;  // netCDF: the caller counts
    }
    return UPA_close(fd);
}

/// Every station of path read in mode, the kind detected.
inline std::vector<UPA_report> read_reports(const std::string &path, int mode = UPA_READ_ALL,
                                            int *kind_out = nullptr, UPA_info *info_out = nullptr)
{
    std::vector<UPA_report> out;
    int k = UPA_FILE_DETECT;
    const int fd = UPA_open(path.c_str(), UPA_ACCESS_READ, &k);
    if (kind_out) *kind_out = k;
    if (fd < 0) return out;
    UPA_info info{};
    UPA_getinfo(fd, &info);
    if (info_out) *info_out = info;
    UPA_report r;
    UPA_initialize(&r);
    for (int n = 0; n < 10000 && UPA_read(fd, &r, mode, &n) == 0; n++) out.push_back(r);
    UPA_close(fd);
    return out;
}

inline bool near(float a, float b, float tol)
{
    if (VYK_is_miss(a) || VYK_is_miss(b)) return a == b;
    return std::fabs(a - b) <= tol;
}

/// The levels of two reports agree: every mandatory slot, the significant and wind levels in
/// use (within tol; missing only where missing).
inline void expect_same_levels(const UPA_report &want, const UPA_report &got, float tol = 0.01f)
{
    for (int s = 0; s < UPA_NUM_MAN; s++) {
        const UPA_level &a = want.man[s], &b = got.man[s];
        const float va[] = {a.p, a.h, a.t, a.td, a.dir, a.spd}, vb[] = {b.p, b.h, b.t, b.td, b.dir, b.spd};
        for (int f = 0; f < 6; f++)
            EXPECT_TRUE(near(va[f], vb[f], tol)) << "slot " << s << " field " << f << ": " << va[f] << " vs " << vb[f];
    }
    ASSERT_EQ(want.numsig, got.numsig);
    for (int i = 0; i < want.numsig; i++) {
        EXPECT_TRUE(near(want.sig[i].p, got.sig[i].p, tol)) << "sig " << i << " " << want.sig[i].p << " vs " << got.sig[i].p;
        EXPECT_TRUE(near(want.sig[i].t, got.sig[i].t, tol)) << "sig t " << i;
        EXPECT_TRUE(near(want.sig[i].td, got.sig[i].td, tol)) << "sig td " << i;
    }
    ASSERT_EQ(want.numwnd, got.numwnd);
    for (int i = 0; i < want.numwnd; i++) {
        EXPECT_TRUE(near(want.wnd[i].h, got.wnd[i].h, std::max(tol * 4, std::fabs(want.wnd[i].h) * 2e-5f))) << "wnd h " << i << " " << want.wnd[i].h << " vs " << got.wnd[i].h;
        EXPECT_TRUE(near(want.wnd[i].dir, got.wnd[i].dir, tol)) << "wnd dir " << i;
        EXPECT_TRUE(near(want.wnd[i].spd, got.wnd[i].spd, tol)) << "wnd spd " << i;
    }
}

}  // namespace upatest

#endif
