// upa_print.cpp: printed sounding tables: the location of a report, its mandatory table, its
// significant temperature and wind levels in two columns read downward, and the wind level
// table of a merged wind sounding with its storm-relative winds.
//
// The report tables print the values as stored (missing ones as -9999); every number keeps
// the width of its column, a wider one printing as a column of '*'.
#include "vyk.h"
#include "upa_level.h"
#include "upa_wind.h"
#include "upa_row.h"
#include "upa_report.h"
#include "upa_print.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr const char *DASHES36 = "------------------------------------";
constexpr const char *DASHES22 = "----------------------\n";

/// Appends v in format (one conversion of the given width), kept within the width.
void num(std::string &out, const char *format, double v, int width)
{
    char buf[64];
    snprintf(buf, sizeof buf, format, v);
    UPA_fit(out, buf, width);
}

/// The same for an int.
void inum(std::string &out, const char *format, long v, int width)
{
    char buf[64];
    snprintf(buf, sizeof buf, format, v);
    UPA_fit(out, buf, width);
}

void print(M_type mess, const std::string &line) { MESS_print(mess, "%s", line.c_str()); }

void station_line(M_type mess, const UPA_report *r)
{
    char id[16];
    snprintf(id, sizeof id, "%5.10s", r->id);
    std::string s = "STA: ";
    s += id;
    s += " WMO: ";
    inum(s, "%05ld", r->wmo, 5);
    s += " LAT: ";
    num(s, "%7.2f", r->lat, 7);
    s += " LON: ";
    num(s, "%7.2f", r->lon, 7);
    print(mess, s + "\n");
}

const char *slot_label(int k)
{
    switch (k) {
    case UPA_MAN_SFC: return "SFC  ";
    case UPA_MAN_TROP: return "TROP ";
    case UPA_MAN_MWND: return "MWND ";
    default: return "     ";
    }
}

void man_table(M_type mess, const UPA_report *r)
{
    print(mess, "     Press    Height   Temp    Dewpt     Dir    Spd\n");
    for (int k = 0; k < UPA_NUM_MAN; k++) {
        const UPA_level &l = r->man[k];
        if (VYK_is_miss(l.p)) continue;
        std::string s = slot_label(k);
        num(s, "%6.1f", l.p, 6);
        s += "  ";
        num(s, "%7.0f", l.h, 7);
        s += "  ";
        num(s, "%7.1f", l.t, 7);
        s += " ";
        num(s, "%7.1f", l.td, 7);
        s += "  ";
        num(s, "%6.0f", l.dir, 6);
        s += " ";
        num(s, "%6.0f", l.spd, 6);
        print(mess, s + "\n");
    }
}

/// Levels 0..n-1 in two columns read downward: rows (r, r + half), and a last row of the
/// middle level alone when n is odd.  cell(out, k) appends level k's columns.
template <typename Cell> void two_columns(M_type mess, int n, Cell cell)
{
    const int half = (n + 1) / 2;
    for (int r = 0; r < n / 2; r++) {
        std::string s;
        cell(s, r);
        s += "    ";
        cell(s, r + half);
        print(mess, s + "\n");
    }
    if (n % 2) {
        std::string s;
        cell(s, half - 1);
        print(mess, s + "\n");
    }
}

void sig_table(M_type mess, const UPA_report *r)
{
    print(mess, "Press    Temp    Dewpt     Press    Temp    Dewpt\n");
    two_columns(mess, std::clamp(r->numsig, 0, UPA_NUM_SIG), [&](std::string &s, int k) {
        num(s, "%6.1f", r->sig[k].p, 6);
        s += "  ";
        num(s, "%7.1f", r->sig[k].t, 7);
        s += " ";
        num(s, "%7.1f", r->sig[k].td, 7);
    });
}

void wnd_table(M_type mess, const UPA_report *r)
{
    print(mess, "Height    Dir    Spd     Height    Dir    Spd\n");
    two_columns(mess, std::clamp(r->numwnd, 0, UPA_NUM_WND), [&](std::string &s, int k) {
        num(s, "%6.0f", r->wnd[k].h, 6);
        s += "  ";
        num(s, "%6.0f", r->wnd[k].dir, 6);
        s += " ";
        num(s, "%6.0f", r->wnd[k].spd, 6);
    });
}

/// "value" in format within width, or blank as wide when the value is missing.
void cell(std::string &out, const char *format, float v, int width, const char *blank)
{
    if (VYK_is_miss(v)) out += blank;
    else num(out, format, v, width);
}

void wind_header(M_type mess1, M_type mess2, const WIND *storm)
{
    const bool with = storm && !VYK_is_miss(storm->dir);
    auto end = [&](const char *storm_part) {
        if (with) MESS_print(mess2, "%s", storm_part);
        else MESS_print(mess1, "\n");
    };
    MESS_print(mess1, "\nWind level data\n");
    if (with) {
        std::string s = "   Storm motion: ";
        num(s, "%3.0f", storm->dir, 3);
        s += " at ";
        num(s, "%3.0f", storm->spd, 3);
        print(mess2, s + " knt\n");
    }
    MESS_print(mess1, "%s", DASHES36);
    end(DASHES22);
    MESS_print(mess1, "                   TRUE/GROUND REL   ");
    end("|     STORM REL\n");
    MESS_print(mess1, " LEV   P    H    DIR SPD   U     V   ");
    end("| DIR SPD   U     V\n");
    MESS_print(mess1, "       mb   m        knt     m/s     ");
    end("|     knt     m/s\n");
    MESS_print(mess1, "%s", DASHES36);
    end(DASHES22);
}

void wind_row(M_type mess1, M_type mess2, int ind, const UPA_level &l, const WIND &storm)
{
    float u, v, us, vs;
    wind2vect(l.dir, l.spd, &u, &v);
    wind2vect(storm.dir, storm.spd, &us, &vs);
    const auto ms = [](float x) { return VYK_is_miss(x) ? x : x * UPA_KNOT_MS; };
    std::string s;
    inum(s, "%3ld", ind, 3);
    s += "  ";
    cell(s, "%4.0f", l.p, 4, "    ");
    s += " ";
    cell(s, "%5.0f", l.h, 5, "     ");
    s += "  ";
    cell(s, "%3.0f", l.dir, 3, "   ");
    s += " ";
    cell(s, "%3.0f", l.spd, 3, "   ");
    s += " ";
    cell(s, "%5.1f", ms(u), 5, "     ");
    s += " ";
    cell(s, "%5.1f", ms(v), 5, "     ");
    if (VYK_is_miss(u) || VYK_is_miss(us)) {
        print(mess1, s + "\n");
        return;
    }
    print(mess1, s);
    const float ru = u - us, rv = v - vs;
    float rdir, rspd;
    vect2wind(ru, rv, &rdir, &rspd);
    std::string r = " | ";
    cell(r, "%3.0f", rdir, 3, "   ");
    r += " ";
    cell(r, "%3.0f", rspd, 3, "   ");
    r += " ";
    if (VYK_is_miss(rdir)) {
        r += "            ";
    } else {
        num(r, "%5.1f", ru * UPA_KNOT_MS, 5);
        r += " ";
        num(r, "%5.1f", rv * UPA_KNOT_MS, 5);
        r += " ";
    }
    print(mess2, r + "\n");
}

}  // namespace

// Each printer checks its level first: a table below the reporting level is not formatted.
int UPA_print_locate(M_type mess, const UPA_report *report)
{
    if (!report || !MESS_check(mess)) return 0;
    MESS_print(mess, "Date:%s\n", UPA_get_datim());
    MESS_print(mess, "Station: %.10s\n", report->id);
    if (report->wmo != VYK_MISS) MESS_print(mess, "WMO ident: %6ld\n", static_cast<long>(report->wmo));
    if (!VYK_is_miss(report->lat)) MESS_print(mess, "Latitude:  %6.2f\n", report->lat);
    if (!VYK_is_miss(report->lon)) MESS_print(mess, "Longitude: %6.2f\n", report->lon);
    if (!VYK_is_miss(report->elev)) MESS_print(mess, "Elevation: %6.2f\n", report->elev);
    return 0;
}

int UPA_print_report(M_type mess, const UPA_report *report)
{
    if (!report || !MESS_check(mess)) return 0;
    man_table(mess, report);
    sig_table(mess, report);
    wnd_table(mess, report);
    MESS_print(mess, "\n");
    return 0;
}

int UPA_print_man(M_type mess, const UPA_report *report)
{
    if (!report || !MESS_check(mess)) return 0;
    station_line(mess, report);
    man_table(mess, report);
    return 0;
}

int UPA_print_sig(M_type mess, const UPA_report *report)
{
    if (!report || !MESS_check(mess)) return 0;
    station_line(mess, report);
    sig_table(mess, report);
    return 0;
}

int UPA_print_wnd(M_type mess, const UPA_report *report)
{
    if (!report || !MESS_check(mess)) return 0;
    station_line(mess, report);
    wnd_table(mess, report);
    MESS_print(mess, "\n");
    return 0;
}

int UPA_print_wind(M_type mess1, M_type mess2, int ind, const UPA_level *level,
                   const WIND *storm)
{
    if (!MESS_check(mess1 | mess2)) return 0;
    if (!level) {
        wind_header(mess1, mess2, storm);
        return 0;
    }
    if (!storm) return 0;  // a row needs the storm motion (its fields may be missing)
    wind_row(mess1, mess2, ind, *level, *storm);
    return 0;
}
