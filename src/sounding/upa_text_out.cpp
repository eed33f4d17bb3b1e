// upa_text_out.cpp: the text forms of upper-air files, writing side (the reading side and the
// layouts are in upa_text.cpp).  Values that a form cannot carry are left out rather than
// written in a shape that would shift the tokens after them: pressures outside 0 to 1100 mb
// in the level lists, levels above 10 mb outside 1 to 10 mb, wind heights that do not fit the
// two-digit field, and blanks inside a station token (written as '_').
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"
#include "upa_group.h"
#include "upa_file_internal.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int OLD4_SLOTS[] = {1, 3, 4, 5};
constexpr int OLD8_SLOTS[] = {1, 3, 4, 5, 6, 7, 9, 11};
constexpr int TEXT_LIST = 28;   // fixed list lengths of kind 3
constexpr int PER_LINE = 7;     // list entries per line
constexpr float MAX_LIST_PRES = 1100;  // mb: the three-digit pressure field
constexpr int ABOVE_10MB = 5;

bool has(float v) { return !VYK_is_miss(v); }

/// A station token: blanks (and for kind 5 colons) become '_'; an empty identifier is "-".
void token_text(const char *id, bool colons, char *out, size_t size)
{
    strfcpy(out, size, id && id[0] ? id : (colons ? "" : "-"));
    for (char *c = out; *c; c++)
        if (static_cast<unsigned char>(*c) <= ' ' || (colons && *c == ':')) *c = '_';
}

void put_group(FILE *fp) { std::fputs(encd_get_group(), fp); }

void put_slot(FILE *fp, const UPA_level &l)
{
    encd_ph(l.p, l.h);
    put_group(fp);
    std::fputc(' ', fp);
    encd_td(l.t, l.td);
    put_group(fp);
    std::fputc(' ', fp);
    encd_wd(l.dir, l.spd);
    put_group(fp);
}

bool list_pressure(float p) { return has(p) && p > 0 && p < MAX_LIST_PRES; }

/// A significant level is worth writing in the newer forms when it is the first, or its
/// pressure is not a mandatory one, or that mandatory slot has no height.
bool sig_wanted(const UPA_report *r, int i)
{
    const int slot = UPA_mandatory(r->sig[i].p);
    return i == 0 || slot == 0 || !has(r->man[slot].h);
}

/// PPP of the newer forms with its blank: "%3.3d" of the pressure modulo 1000 from 1000 mb,
/// "%3.1f" below 10 mb (" 10" where that would round to 10.0 and widen the field), else "%3d".
void put_new_pressure(FILE *fp, float p)
{
    if (p >= 1000) {
        std::fprintf(fp, "%3.3d ", static_cast<int>(p) % 1000);
    } else if (p < 10) {
        char text[16];
        std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(p));
        if (std::strlen(text) > 3) std::snprintf(text, sizeof text, "%3.0f", static_cast<double>(p));
        std::fprintf(fp, "%s ", text);
    } else {
        std::fprintf(fp, "%3d ", static_cast<int>(p));
    }
}

/// The separator after list entry i (from 1) of n: a line break after every seventh, except
/// after the last entry when last_plain.
void list_sep(FILE *fp, int i, int n, bool last_plain, const char *after_break = "")
{
    if (i % PER_LINE == 0 && !(last_plain && i == n)) {
        std::fputc('\n', fp);
        std::fputs(after_break, fp);
    } else {
        std::fputc(' ', fp);
    }
}

// ----- the older forms ----------------------------------------------------------------------

void write_old_mandatory(FILE *fp, int kind, const UPA_report *r)
{
    char tok[sizeof r->id];
    token_text(r->id, false, tok, sizeof tok);
    std::fprintf(fp, "%s ", tok);
    auto slots = [&](const int *list, int n) {
        for (int k = 0; k < n; k++) {
            put_slot(fp, r->man[list[k]]);
            std::fputc(list[k] == 5 || list[k] == 11 ? '\n' : ' ', fp);
        }
    };
    if (kind == UPA_FILE_OLD4) slots(OLD4_SLOTS, 4);
    else slots(OLD8_SLOTS, 8);
}

void write_old_sig(FILE *fp, int kind, UPA_report *r)
{
    const int max = kind == UPA_FILE_OLD4 ? 14 : 21;
    const float floor = kind == UPA_FILE_OLD4 ? 500 : 100;
    const int num = upa_count(r->numsig, UPA_NUM_SIG);
    for (int i = 1; i < num; i++) {
        const int slot = UPA_mandatory(r->sig[i].p);
        if (slot && has(r->man[slot].h)) r->sig[i].p = VYK_MISS;  // the mandatory level has it
    }
    int chosen[21];
    int n = 0;
    for (int i = 0; i < num && n < max; i++)
        if (list_pressure(r->sig[i].p) && r->sig[i].p >= floor) chosen[n++] = i;
    UPA_sig_level surface{};
    const UPA_level &sfc = r->man[UPA_MAN_SFC];
    if (n == 0 && has(sfc.p)) {
        // The surface stands in; the caller's report takes it only when it had no levels.
        surface = {sfc.p, sfc.t, sfc.td};
        if (num == 0) {
            r->sig[0] = surface;
            r->numsig = 1;
        }
    }
    const bool use_surface = n == 0 && list_pressure(surface.p) && has(sfc.p);
    if (use_surface) n = 1;
    std::fprintf(fp, "%2d ", n);
    for (int k = 1; k <= max; k++) {
        if (k <= n) {
            const UPA_sig_level &s = use_surface ? surface : r->sig[chosen[k - 1]];
            std::fprintf(fp, "%3.3d ", static_cast<int>(s.p) % 1000);
            encd_td(s.t, s.td);
            put_group(fp);
        } else {
            std::fputs("000 00000", fp);
        }
        list_sep(fp, k, max, false);
    }
}

/// The fixed-height entry of a wind (thousands of feet), -1 when the form has none.
int old_wind_entry(int kind, float h)
{
    if (!has(h)) return -1;
    if (h > -1000 && h <= 10000) return static_cast<int>(std::trunc(h / 1000));
    if (h == 12000) return 11;
    if (h == 14000) return 12;
    if (kind == UPA_FILE_OLD4) {
        if (h == 15000) return 13;
        if (h == 16000) return 14;
        if (h == 18000) return 15;
        return -1;
    }
    if (h == 16000) return 13;
    if (h >= 20000 && h <= 50000 && std::fmod(h, 5000.0f) == 0)
        return static_cast<int>(std::trunc((h - 19999) / 5000)) + 14;
    return -1;
}

void write_old_winds(FILE *fp, int kind, UPA_report *r)
{
    const int max = kind == UPA_FILE_OLD4 ? 16 : 21;
    upa_surface_as_wind(r);
    int entry[21];
    for (int &e : entry) e = -1;
    const int num = upa_count(r->numwnd, UPA_NUM_WND);
    for (int i = 0; i < num; i++) {
        const int e = old_wind_entry(kind, r->wnd[i].h);
        if (e >= 0 && e < max) entry[e] = i;
    }
    for (int k = 1; k <= max; k++) {
        const int i = entry[k - 1];
        if (i >= 0 && encd_wd(r->wnd[i].dir, r->wnd[i].spd) == 0) put_group(fp);
        else std::fputs("99999", fp);
        const bool brk = k == 11 || k == 21 || (kind == UPA_FILE_OLD4 && k == 16);
        std::fputc(brk ? '\n' : ' ', fp);
    }
}

// ----- the newer forms ----------------------------------------------------------------------

void write_new_token(FILE *fp, int kind, const UPA_report *r)
{
    char tok[sizeof r->id];
    token_text(r->id, kind == UPA_FILE_X, tok, sizeof tok);
    if (kind != UPA_FILE_X) {
        std::fprintf(fp, "%s ", tok);
        return;
    }
    const int wmo = r->wmo >= -99999 && r->wmo <= 99999 ? r->wmo : VYK_MISS;
    std::fprintf(fp, "%5.5d:%s", wmo, tok);
    if (has(r->lat) && std::isfinite(r->lat) && std::isfinite(r->lon))
        std::fprintf(fp, ":%.2f:%.2f", static_cast<double>(r->lat), static_cast<double>(r->lon));
    std::fputc(' ', fp);
}

/// A tropopause (code 880: 88PPP TTTDD dddff) or maximum wind (770: 77PPP dddff) and the
/// separator after it; the missing markers when the level has no pressure from 1 to 1000 mb.
void put_special(FILE *fp, float code, const UPA_level &l, bool temps, char sep)
{
    if (has(l.p) && l.p >= 1 && l.p < 1000) {
        encd_ph(code, l.p);
        put_group(fp);
        if (temps) {
            std::fputc(' ', fp);
            encd_td(l.t, l.td);
            put_group(fp);
        }
        std::fputc(' ', fp);
        encd_wd(l.dir, l.spd);
        put_group(fp);
    } else {
        std::fputs(temps ? "X X X" : "X X", fp);
    }
    std::fputc(sep, fp);
}

void write_new_mandatory(FILE *fp, int kind, const UPA_report *r)
{
    const bool text = kind == UPA_FILE_TEXT;
    for (int s = 1; s <= UPA_MAN_10MB; s++) {
        UPA_level l = r->man[s];
        if (has(l.p) && l.p < 10) l.p = l.h = VYK_MISS;  // would read as a level above 10 mb
        const bool brk = text ? (s == 5 || s == 9 || s == 13) : s % 4 == 0;
        if (text && s == 2 && !has(l.p)) {
            if (brk) std::fputc('\n', fp);
            continue;  // kind 3 leaves out a 925 mb slot without a pressure
        }
        put_slot(fp, l);
        std::fputc(brk ? '\n' : ' ', fp);
    }
    int above = 0;
    for (int k = 0; k < ABOVE_10MB; k++) {
        const UPA_level &l = r->man[UPA_MAN_ABOVE + k];
        if (!has(l.p) || l.p < 1 || l.p >= 10) break;
        put_slot(fp, l);
        std::fputc(' ', fp);
        above++;
    }
    if (above > 0) std::fputc('\n', fp);
    put_special(fp, 880, r->man[UPA_MAN_TROP], true, ' ');
    put_special(fp, 770, r->man[UPA_MAN_MWND], false, '\n');
}

void write_new_sig(FILE *fp, int kind, UPA_report *r)
{
    upa_surface_as_sig(r);
    const int max = kind == UPA_FILE_TEXT ? TEXT_LIST : UPA_NUM_SIG;
    const int num = upa_count(r->numsig, UPA_NUM_SIG);
    int chosen[UPA_NUM_SIG];
    int n = 0;
    for (int i = 0; i < num && n < max; i++)
        if (list_pressure(r->sig[i].p) && sig_wanted(r, i)) chosen[n++] = i;
    for (int k = 1; k <= n; k++) {
        const UPA_sig_level &s = r->sig[chosen[k - 1]];
        put_new_pressure(fp, s.p);
        encd_td(s.t, s.td);
        put_group(fp);
        list_sep(fp, k, kind == UPA_FILE_TEXT ? TEXT_LIST : n, kind != UPA_FILE_TEXT);
    }
    if (kind == UPA_FILE_TEXT) {
        for (int k = n + 1; k <= TEXT_LIST; k++) {
            std::fputc('X', fp);
            list_sep(fp, k, TEXT_LIST, false);
        }
    } else {
        std::fputs("X\n", fp);
    }
}

/// The two-digit height field of a wind (thousands of feet), -1 when it does not fit.
int wind_field(float h)
{
    if (!has(h)) return -1;
    const float k = std::trunc((h + 1) / 1000);
    return k >= 0 && k <= 99 ? static_cast<int>(k) : -1;
}

void write_new_winds(FILE *fp, int kind, UPA_report *r)
{
    upa_surface_as_wind(r);
    const bool text = kind == UPA_FILE_TEXT;
    const int max = text ? TEXT_LIST : UPA_NUM_WND;
    const int num = upa_count(r->numwnd, UPA_NUM_WND);
    int chosen[UPA_NUM_WND];
    int n = 0;
    for (int i = 0; i < num && n < max; i++)
        if (wind_field(r->wnd[i].h) >= 0) chosen[n++] = i;
    for (int k = 1; k <= n; k++) {
        const UPA_wnd_level &w = r->wnd[chosen[k - 1]];
        encd_wd(w.dir, w.spd);
        std::fprintf(fp, "%2.2d %s", wind_field(w.h), encd_get_group());
        list_sep(fp, k, text ? TEXT_LIST : n, !text, text ? " " : "");
    }
    if (text) {
        for (int k = n + 1; k <= TEXT_LIST; k++) {
            std::fputc('X', fp);
            list_sep(fp, k, TEXT_LIST, false, " ");
        }
    } else {
        std::fputs("$\n", fp);
    }
}

}  // namespace

int upa_text_putinfo(FILE *fp, int kind, const UPA_info *info)
{
    switch (kind) {
    case UPA_FILE_TEXT: std::fputs("ZAZUDI\n", fp); break;
    case UPA_FILE_PLUS: std::fputs("ZAZUDI+\n", fp); break;
    case UPA_FILE_X: std::fputs("ZAZUDIx\n", fp); break;
    default: break;
    }
    char datim[sizeof info->datim];
    strfcpy(datim, info->datim);
    for (char *c = datim; *c; c++)
        if (*c == '\n' || *c == '\r') *c = ' ';  // one line
    std::fprintf(fp, "%s\n", datim);
    return 0;
}

int upa_text_write(FILE *fp, int kind, UPA_report *report)
{
    if (kind == UPA_FILE_OLD4 || kind == UPA_FILE_OLD8) {
        write_old_mandatory(fp, kind, report);
        write_old_sig(fp, kind, report);
        write_old_winds(fp, kind, report);
    } else {
        write_new_token(fp, kind, report);
        write_new_mandatory(fp, kind, report);
        write_new_sig(fp, kind, report);
        write_new_winds(fp, kind, report);
    }
    return 0;
}
