// upa_group.cpp: the group codes of the upper-air text forms, after the pattern of the WMO TEMP
// code: PPhhh (pressure in tens of mb, height in the last digits by the rules of each
// pressure), TTTDD (temperature with its sign in the tenths digit, dew-point depression) and
// dddff (direction to 5 degrees with the hundreds of knots on its last digit).
//
// The encoders write into one buffer, which each encoding overwrites; the missing marker
// follows the kind of the open file.
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"
#include "upa_group.h"

#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

constexpr float MISS = VYK_MISS;
constexpr int GROUP_LEN = 24;  // a group is at most 5 characters
constexpr float MAX_CODED = 1e8f;  // larger magnitudes have no group
constexpr float MAX_SPEED_READ = 250;  // knots: a decoded speed above is missing
constexpr float MAX_SPEED_CODED = 500; // knots: the hundreds would change the direction
constexpr float MAX_DIR = 360;

struct State {
    int kind = UPA_FILE_DETECT;
    char group[GROUP_LEN] = "";
};

State st;

/// The missing marker of the open file's kind.
const char *marker() { return UPA_is_new_text(st.kind) ? "X" : "99999"; }

int write_marker()
{
    strfcpy(st.group, marker());
    return -1;
}

bool starts_missing(const char *str) { return !str || str[0] == 'X'; }

int set_pair(float *a, float *b, float va, float vb, int result)
{
    *a = va;
    *b = vb;
    return result;
}

/// Heights of the mandatory pressures: scale * hhh plus the offset for hhh above 500 or the
/// one for the rest.
struct HeightRule {
    int pres;
    int scale;
    int above500, rest;
};
constexpr HeightRule HEIGHT_RULES[] = {
    {925, 1, 0, 0},         {850, 1, 1000, 1000},   {700, 1, 2000, 3000},
    {500, 10, 0, 0},        {400, 10, 0, 0},        {300, 10, 0, 10000},
    {250, 10, 0, 10000},    {200, 10, 10000, 10000}, {150, 10, 10000, 10000},
    {100, 10, 10000, 10000}, {70, 10, 10000, 10000}, {50, 10, 10000, 20000},
    {30, 10, 20000, 20000}, {20, 10, 20000, 20000}, {10, 10, 20000, 30000},
    {7, 10, 30000, 30000},  {5, 10, 30000, 30000},  {3, 10, 30000, 40000},
    {2, 10, 30000, 40000},  {1, 10, 40000, 50000},
};

constexpr int PP_1000 = 0;    // "00"
constexpr int PP_925 = 920;   // "92"
constexpr int NEG_BASE = 500; // negative heights at 1000 mb are coded as 500 - h

float complete_height(int &pres, int hhh)
{
    if (pres == PP_1000) {
        pres = 1000;
        return static_cast<float>(hhh >= NEG_BASE ? NEG_BASE - hhh : hhh);
    }
    if (pres == PP_925) pres = 925;
    for (const HeightRule &r : HEIGHT_RULES)
        if (r.pres == pres) return static_cast<float>(r.scale * hhh + (hhh > 500 ? r.above500 : r.rest));
    return static_cast<float>(hhh);  // tropopause, maximum wind and other indicators
}

/// The two numbers of a token read as widths a and b ("%2d%3d" or "%3d%2d"); how many were
/// read.
int read_two(const char *str, const char *format, int &x, int &y)
{
    char token[16];
    strfcpy(token, str);
    return std::sscanf(token, format, &x, &y);
}

}  // namespace

int encd_set_kind(int kind)
{
    st.kind = kind;
    return 0;
}

const char *encd_get_group() { return st.group; }

// ---------------------------------------------------------------------------------------------
// Pressure and height
// ---------------------------------------------------------------------------------------------

int decd_ph(const char *str, float *pres, float *hght)
{
    if (!pres || !hght) return -1;
    if (starts_missing(str)) return set_pair(pres, hght, MISS, MISS, -1);
    int pp = 0, hhh = 0;
    const int n = read_two(str, "%2d%3d", pp, hhh);
    if (n < 1 || pp == 99) return set_pair(pres, hght, MISS, MISS, -1);
    int p = pp >= 1 ? pp * 10 : -pp;
    if (n < 2) {  // the pressure alone, as in 85/
        if (p == PP_1000) p = 1000;
        else if (p == PP_925) p = 925;
        return set_pair(pres, hght, static_cast<float>(p), MISS, -1);
    }
    const float h = complete_height(p, hhh);
    return set_pair(pres, hght, static_cast<float>(p), h, 0);
}

int encd_ph(float pres, float hght)
{
    if (VYK_is_miss(pres) && VYK_is_miss(hght)) return write_marker();
    // No sound group carries a height without its pressure, or values beyond any level.
    if (VYK_is_miss(pres) || !(pres >= 0) || pres > MAX_CODED) return write_marker();
    if (!VYK_is_miss(hght) && !(std::fabs(hght) < MAX_CODED)) return write_marker();
    if (!VYK_is_miss(hght) && hght < 0) hght = NEG_BASE - hght;
    const int p = static_cast<int>(pres);
    char pp[8];
    if (pres < 10) std::snprintf(pp, sizeof pp, "-%1d", p);
    else std::snprintf(pp, sizeof pp, "%2.2d", p % 1000 / 10);
    if (VYK_is_miss(hght)) {
        std::snprintf(st.group, sizeof st.group, "%s/", pp);
        return 0;
    }
    const int h = static_cast<int>(hght);
    const int hhh = pres <= 500 ? h % 10000 / 10 : h % 1000;
    std::snprintf(st.group, sizeof st.group, "%s%3.3d", pp, hhh);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Temperature and dew point
// ---------------------------------------------------------------------------------------------

int decd_td(const char *str, float *temp, float *dewpt)
{
    if (!temp || !dewpt) return -1;
    if (starts_missing(str)) return set_pair(temp, dewpt, MISS, MISS, -1);
    int ttt = 0, dd = 99;
    const int n = read_two(str, "%3d%2d", ttt, dd);
    if (n < 1 || ttt == 999 || ttt < 0) return set_pair(temp, dewpt, MISS, MISS, -1);
    const float t = static_cast<float>(ttt % 2 == 0 ? ttt : -ttt) / 10;
    // An unreadable depression counts as a missing dew point.
    if (n < 2 || dd == 99 || dd < 0) return set_pair(temp, dewpt, t, MISS, 0);
    const float td = dd <= 50 ? t - static_cast<float>(dd) / 10 : t - static_cast<float>(dd - 50);
    return set_pair(temp, dewpt, t, td, 0);
}

int encd_td(float temp, float dewpt)
{
    // A dew point without its temperature has no group.
    if (VYK_is_miss(temp)) return write_marker();
    const int i = static_cast<int>(10 * (temp + 0.01f));
    const int ttt = i >= 0 ? 2 * (i / 2) : 1 - 2 * (i / 2);
    if (!(std::fabs(temp) < 100) || ttt > 998) return write_marker();
    int dd = 99;
    if (!VYK_is_miss(dewpt) && std::fabs(dewpt) < MAX_CODED) {
        // A dew point above the temperature is coded as saturation; depressions of 49 degrees
        // and more cannot be coded (99 is the missing code) and leave the dew point missing.
        int n = static_cast<int>(10 * (temp - dewpt + 0.01f));
        if (n < 0) n = 0;
        if (n >= 60) dd = n / 10 + 50;
        else if (n >= 50) dd = 50;
        else dd = n;
        if (dd > 98) dd = 99;
    }
    std::snprintf(st.group, sizeof st.group, "%3.3d%2.2d", ttt, dd);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Wind
// ---------------------------------------------------------------------------------------------

int decd_wd(const char *str, float *dir, float *spd)
{
    if (!dir || !spd) return -1;
    if (starts_missing(str)) return set_pair(dir, spd, MISS, MISS, -1);
    int ddd = 0, ff = 0;
    const int n = read_two(str, "%3d%2d", ddd, ff);
    if (n < 2 || ddd < 0 || ff < 0) return set_pair(dir, spd, MISS, MISS, -1);
    if (ddd == 999) return set_pair(dir, spd, MISS, MISS, 0);
    const float s = static_cast<float>(ddd % 5 * 100 + ff);
    const float d = static_cast<float>(ddd - ddd % 5);
    if (s > MAX_SPEED_READ || d > MAX_DIR) return set_pair(dir, spd, MISS, MISS, 0);
    return set_pair(dir, spd, d, s, 0);
}

int encd_wd(float dir, float spd)
{
    if (!(dir >= 0) || !(spd >= 0)) return write_marker();  // missing included
    // A speed of 500 knots would carry into the direction; such a wind is stored as missing.
    if (spd >= MAX_SPEED_CODED || dir > MAX_DIR + 2) return write_marker();
    const int s = static_cast<int>(spd + 0.01f);
    const int d = static_cast<int>(dir + 2.5f) / 5 * 5;
    std::snprintf(st.group, sizeof st.group, "%3.3d%2.2d", d + s / 100, s % 100);
    return 0;
}
