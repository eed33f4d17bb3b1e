// The plot-parameter keywords: the plot frame's own words of the `plot_param` list, each handed
// to the component it sets, and the image-dump entries of `out_file`.  Other components read the
// same list for their own words; a word not known here is passed over.
//
// Keywords are compared without regard to case, in the order of the table, the first match
// winning; a prefix keyword matches every word that begins with it.  A value follows after one
// separator character ('=' as a rule).  A keyword that needs a value and has none, or whose
// value is not the number it needs, is ignored with a warning.
#include "vyk.h"
#include "gks.h"
#include "cont.h"
#include "cty.h"
#include "dom.h"
#include "plt_frame.h"
#include "vykgacc.h"
#include "vykgks.h"
#include "vykgopt.h"
#include "img.h"
#include "plt_label.h"
#include "map.h"
#include "map_draw.h"
#include "vykresrc.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr int MAX_NUMBERS = 4;
constexpr int FONT_NAME_MAX = 19;  // what the default font keeps

// ---------------------------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------------------------

// The numbers at the start of a value, separated by ':'; the count read.
int read_numbers(const char *value, double (&out)[MAX_NUMBERS])
{
    if (!value) return 0;
    const char *p = value;
    const char *end = value + std::strlen(value);
    int n = 0;
    while (n < MAX_NUMBERS) {
        if (*p == '+') p++;
        double v = 0;
        const auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc() || !std::isfinite(v)) break;
        out[n++] = v;
        p = next;
        if (*p != ':') break;
        p++;
    }
    return n;
}

int to_int(double v)
{
    return static_cast<int>(std::clamp(std::trunc(v), -2147483647.0, 2147483647.0));
}

void warn(const char *item, const char *why)
{
    MESS_print(M_WARN, "PLT_param_decode: %s: %s; ignored\n", item, why);
}

// Reads at least one number of a value that is required: false (after a warning) when there
// is none.
bool need_numbers(const char *item, const char *value, double (&v)[MAX_NUMBERS], int &n)
{
    if (!value) {
        warn(item, "a value is needed");
        return false;
    }
    n = read_numbers(value, v);
    if (n == 0) {
        warn(item, "the value is not a number");
        return false;
    }
    return true;
}

// An optional number: true with def when there is no value, false (after a warning) when the
// value is not a number.
bool optional_number(const char *item, const char *value, int def, int &out)
{
    out = def;
    if (!value) return true;
    double v[MAX_NUMBERS];
    if (read_numbers(value, v) == 0) {
        warn(item, "the value is not a number");
        return false;
    }
    out = to_int(v[0]);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Keywords
// ---------------------------------------------------------------------------------------------

// A keyword's action: the whole item, and its value (the text after the keyword and one
// separator; NULL when nothing follows).
typedef void (*Action)(const char *item, const char *value);

void full(const char *, const char *) { PLT_set_view_offset(0); }
void fullab(const char *, const char *)
{
    PLT_set_view_offset(0);
    PLT_set_full_lab(1);
}
void nopage(const char *, const char *) { MESS_set_page(0); }
void page(const char *, const char *) { MESS_set_page(1); }
void noredraw(const char *, const char *) { gset_redraw(0); }
void id(const char *, const char *) { CTY_set_id_type(0); }
void wmo(const char *, const char *) { CTY_set_id_type(1); }
void cod_wmo(const char *, const char *) { CTY_set_id_type(2); }

void tz(const char *item, const char *value)
{
    if (!value) warn(item, "a value is needed");
    else DATE_set_TZ(value);
}

void over(const char *item, const char *value)
{
    double v[MAX_NUMBERS];
    int n = 0;
    if (!need_numbers(item, value, v, n)) return;
    PLT_set_overlay_base(to_int(v[0]));
    if (n >= 2) PLT_set_num_overlay(to_int(v[1]));
}

void lalo(const char *item, const char *value)
{
    double v[MAX_NUMBERS];
    int n = 0;
    if (!need_numbers(item, value, v, n)) return;
    const float lat = static_cast<float>(v[0]);
    const float lon = n >= 2 ? static_cast<float>(v[1]) : lat;
    MAP_latlon(lat, lon, n >= 3 ? to_int(v[2]) : 0, n >= 4 ? to_int(v[3]) : 0);
}

void gridx(const char *item, const char *)
{
    const char *value = item + 5;  // directly after the five letters
    if (value[0] == '\0') return;
    double v[MAX_NUMBERS];
    if (read_numbers(value, v) == 0) warn(item, "the value is not a number");
    else GRD_set_grid_factor(to_int(v[0]));
}

void plt_skip(const char *item, const char *value)
{
    double v[MAX_NUMBERS];
    int n = 0;
    if (!need_numbers(item, value, v, n)) return;
    CONT_set_skip(to_int(v[0]), to_int(n >= 2 ? v[1] : v[0]));
}

void plt_off(const char *item, const char *value)
{
    double v[MAX_NUMBERS];
    int n = 0;
    if (!need_numbers(item, value, v, n)) return;
    CONT_set_plot_offset(static_cast<float>(v[0]), static_cast<float>(n >= 2 ? v[1] : v[0]));
}

void plt_grid(const char *item, const char *value)
{
    int n;
    if (optional_number(item, value, 1, n)) MAP_set_plot_limit(n);
}

void loc_pr(const char *item, const char *value)
{
    if (!value) return;
    double v[MAX_NUMBERS];
    if (read_numbers(value, v) == 0) warn(item, "the value is not a number");
    else DOM_set_loc_prior(to_int(v[0]));
}

void vp_size(const char *item, const char *value)
{
    if (!value) warn(item, "a value is needed");
    else if (PLT_panel_decode(value) != 0) warn(item, "not a panel geometry");
}

void font(const char *item, const char *value)
{
    if (!value) {
        warn(item, "a value is needed");
        return;
    }
    if (std::strlen(value) > static_cast<size_t>(FONT_NAME_MAX))
        MESS_print(M_WARN, "PLT_param_decode: %s: font name cut to %d characters\n", item,
                   FONT_NAME_MAX);
    GPH_set_def_font(value);
}

void gif_inter(const char *, const char *) { GIF_interlace(1); }
void gif_norm(const char *, const char *) { GIF_interlace(0); }
void gif_trans(const char *, const char *) { GIF_transparent(1); }
void inv(const char *, const char *) { gset_inverse(1); }
void lcmap(const char *, const char *) { gset_local_colormap(1); }
void nolcmap(const char *, const char *) { gset_local_colormap(0); }
void rwclr(const char *, const char *) { gset_rw_colors(1); }
void norwclr(const char *, const char *) { gset_rw_colors(0); }
void nolooptitle(const char *, const char *) { gset_loop_title(0); }
void pscolor(const char *, const char *)
{
    gps_set_colorPS(1);
    gset_inverse(1);
}
void psrev(const char *, const char *) { gps_set_reverse(1); }
void clear(const char *, const char *) { gset_pix_mode(1); }
void new_frame(const char *, const char *) { gset_pix_mode(2); }
void kill(const char *, const char *) { gset_pix_mode(9); }

// "bar" begins many words: only a value that begins with a number is read as a range.
void bar(const char *item, const char *value)
{
    CONT_set_bar(2);
    double v[MAX_NUMBERS];
    const int n = read_numbers(value, v);
    if (n >= 2) CONT_set_bar_range(static_cast<float>(v[1]), static_cast<float>(v[0]));
    else if (n == 1) warn(item, "the bar range needs MIN:MAX");
}

void nobar(const char *, const char *) { CONT_set_bar(-2); }
void nohdr(const char *, const char *) { GRD_use_hdr_file(0); }

void shadow(const char *item, const char *value)
{
    int n;
    if (optional_number(item, value, 0, n)) gset_font_drop(n < 1 ? 4 : n);
}

void max_bad(const char *item, const char *value)
{
    int n;
    if (optional_number(item, value, 0, n)) GRIB_set_max_bad(n < 1 ? 5 : n);
}

void min_size(const char *item, const char *value)
{
    int n;
    if (optional_number(item, value, 0, n)) FILE_set_min_size(n < 1 ? 0 : n);
}

void grdfmt(const char *item, const char *)
{
    if (std::strlen(item) > 7) GRD_set_format(item + 7);
}

// The dump words: three letters alone take the kind's default name; a longer word names the
// file with what follows its fourth character.
void dump_word(int kind, const char *item)
{
    PLT_set_dump(kind, std::strlen(item) > 4 ? item + 4 : "");
}

void gif(const char *item, const char *) { dump_word(PLT_DUMP_GIF, item); }
void png(const char *item, const char *) { dump_word(PLT_DUMP_PNG, item); }
void img(const char *item, const char *) { dump_word(PLT_DUMP_IMG, item); }
void xwd(const char *item, const char *) { dump_word(PLT_DUMP_XWD, item); }

enum Match { WHOLE, PREFIX };

struct Keyword {
    const char *word;
    Match match;
    Action action;
};

const Keyword keywords[] = {
    {"full", WHOLE, full},
    {"fullab", WHOLE, fullab},
    {"nopage", WHOLE, nopage},
    {"page", WHOLE, page},
    {"noredraw", WHOLE, noredraw},
    {"id", WHOLE, id},
    {"wmo", WHOLE, wmo},
    {"cod_wmo", WHOLE, cod_wmo},
    {"tz", PREFIX, tz},
    {"over", PREFIX, over},
    {"lalo", PREFIX, lalo},
    {"gridx", PREFIX, gridx},
    {"plt_skip", PREFIX, plt_skip},
    {"plt_off", PREFIX, plt_off},
    {"plt_grid", PREFIX, plt_grid},
    {"loc_pr", PREFIX, loc_pr},
    {"vp_size", PREFIX, vp_size},
    {"font", PREFIX, font},
    {"gif_inter", WHOLE, gif_inter},
    {"gif_norm", WHOLE, gif_norm},
    {"gif_trans", WHOLE, gif_trans},
    {"inv", WHOLE, inv},
    {"lcmap", WHOLE, lcmap},
    {"nolcmap", WHOLE, nolcmap},
    {"rwclr", WHOLE, rwclr},
    {"norwclr", WHOLE, norwclr},
    {"nolooptitle", WHOLE, nolooptitle},
    {"pscolor", WHOLE, pscolor},
    {"psrev", WHOLE, psrev},
    {"clear", WHOLE, clear},
    {"new", WHOLE, new_frame},
    {"kill", WHOLE, kill},
    {"bar", PREFIX, bar},
    {"nobar", WHOLE, nobar},
    {"nohdr", WHOLE, nohdr},
    {"shadow", PREFIX, shadow},
    {"max_bad", PREFIX, max_bad},
    {"min_size", PREFIX, min_size},
    {"grdfmt", PREFIX, grdfmt},
    {"gif", PREFIX, gif},
    {"png", PREFIX, png},
    {"img", PREFIX, img},
    {"xwd", PREFIX, xwd},
};

void apply_keyword(const char *item)
{
    for (const Keyword &k : keywords) {
        const size_t len = std::strlen(k.word);
        const bool hit = k.match == WHOLE ? stricmp(item, k.word) == 0
                                          : strnicmp(item, k.word, static_cast<int>(len)) == 0;
        if (!hit) continue;
        const char *value = std::strlen(item) > len + 1 ? item + len + 1 : nullptr;
        k.action(item, value);
        return;
    }
}

// The image entries of out_file replace the dumps that plot_param asked for.
void apply_out_file()
{
    static const Keyword images[] = {
        {"gif", PREFIX, gif}, {"png", PREFIX, png}, {"xwd", PREFIX, xwd}, {"img", PREFIX, img}};
    int count = 0;
    char **list = nullptr;
    RES_getvals("out_file", &count, &list);
    bool replaced = false;
    for (int i = 0; i < count; i++) {
        if (!list[i]) continue;
        for (const Keyword &k : images) {
            if (strnicmp(list[i], k.word, 3) != 0) continue;
            if (!replaced) PLT_set_dump(PLT_DUMP_NONE, nullptr);
            replaced = true;
            k.action(list[i], nullptr);
            break;
        }
    }
    free_parsed_array(count, list);
}

}  // namespace

int PLT_param_decode()
{
    int count = 0;
    char **list = nullptr;
    RES_getvals("plot_param", &count, &list);
    for (int i = 0; i < count; i++)
        if (list[i] && list[i][0]) apply_keyword(list[i]);
    free_parsed_array(count, list);
    apply_out_file();
    return 0;
}
