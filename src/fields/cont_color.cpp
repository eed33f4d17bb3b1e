// cont_color.cpp: the contour colour table (values to attribute sets) and the colour bar.
//
// The table lives in the contour state (cont_internal.h) beside the levels it colours.
#include "cont_internal.h"

#include "vyk.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char *FILL_NAMES[] = {"Magenta", "LMagenta", "Blue",  "LBlue", "Cyan",
                                      "LCyan",   "Green",    "LGreen", "Brown", "Yellow",
                                      "Red",     "LRed",     "DGray", "LGray", "White"};
constexpr int LEVEL_LINE_MAX = 80;  // longest line of a level file

/// The entry count of the table being built.
int build_count = 0;

/// A cleared attribute set of colour -1: the value is not drawn.
void not_drawn(Gattribs *attrib)
{
    ATTRIB_init(attrib);
    attrib->color = CLR_NONE;
}

/// Attribute string str into a set whose fields other than the colour start unset.
void parse_entry(const char *str, Gattribs *attrib)
{
    ATTRIB_init(attrib);
    CONT_fill_attrib_init(attrib);
    ATTRIB_parse(str, attrib);
}

/// A number at the start of text (after blanks): 1 with *value, else 0.
bool leading_number(const char *text, float *value)
{
    char *end = nullptr;
    const float v = std::strtof(text, &end);
    if (end == text || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

/// Levels of entries without one are spread evenly between the given levels around them;
/// entries after the last given level continue with the last step.  Closes the table at the
/// first terminator.
void close_table(ContState &st, int t)
{
    if (cont_explicit(st)) {
        int b = 0;
        float step = 0;
        for (int pos = 1; pos < t; pos++) {
            if (!VYK_is_miss(st.cont_value[pos])) {
                b = pos;
                continue;
            }
            int e = pos + 1;
            while (e < t && VYK_is_miss(st.cont_value[e])) e++;
            if (e < t) {
                step = (st.cont_value[e] - st.cont_value[b]) / static_cast<float>(e - b);
            }
            st.cont_value[pos] = st.cont_value[b] + static_cast<float>(pos - b) * step;
            if (e >= t && step == 0) st.cont_value[pos] = VYK_MISS;
        }
    }
    int end = t;
    for (int pos = 0; pos <= t; pos++) {
        if (st.fill_attrib[pos].color == CLR_END) {
            end = pos;
            break;
        }
    }
    st.fill_attrib[end].color = CLR_END;
    st.cont_value[end] = VYK_MISS;
    st.color_num = st.num_cont = end;
    if (cont_explicit(st) && end > 0) {
        if (end >= 2) st.intrvl = st.cont_value[1] - st.cont_value[0];
        st.grid_min = st.cont_value[0];
        st.grid_max = st.cont_value[end - 1];
        // Entries that got no level end the explicit list there.
        for (int pos = 0; pos < end; pos++) {
            if (VYK_is_miss(st.cont_value[pos])) {
                st.num_cont = pos;
                break;
            }
        }
    }
}

/// Reads a level file: one item a line, '@' and '#' lines skipped.  false when it cannot be
/// opened.  user: the name was typed by the user (a '|' name may run a command).
bool read_level_file(const char *item, bool user)
{
    const char *fpath = nullptr;
    RES_getval("file_path", &fpath, CV_string);
    char path[FILE_NAME_MAX + 1];
    // A command the user typed keeps its meaning; anything else is a file along file_path.
    if (user && item[0] == '|') strfcpy(path, item);
    else FILE_add_path(fpath, item, path);
    FILE *fp = nullptr;
    if (user) fp = FILE_open(path, "r");
    else if (path[0] != '|' && FILE_is_file(path)) fp = std::fopen(path, "r");
    if (!fp) {
        MESS_print(M_WARN, "CONT_set_fill_colors: Unable to read contour level file: %s\n", path);
        return false;
    }
    char line[LEVEL_LINE_MAX + 1];
    while (build_count < CONT_LEVELS && fgetnline(fp, line, LEVEL_LINE_MAX) >= 0) {
        wstrim_string(line);
        if (line[0] == '\0' || line[0] == '@' || line[0] == '#') continue;
        CONT_decode_fill_color(line);
    }
    if (user) FILE_close(fp);
    else std::fclose(fp);
    return true;
}

/// The built-in table: the named colour table's fill colours (true), or false to use the 15
/// names.
bool table_fill_colors(ContState &st)
{
    const int n = std::min(CLR_get_num_fill(), CONT_LEVELS);
    if (n <= 0) return false;
    for (int i = 0; i < n; i++) {
        CONT_fill_attrib_init(&st.fill_attrib[i]);
        st.fill_attrib[i].color = i;
    }
    st.fill_attrib[n].color = CLR_END;
    st.color_num = st.num_cont = n;
    st.cont_value[0] = VYK_MISS;
    st.color_fill_set = 1;
    return true;
}

/// The level of bar box k and the box width it leaves in intrvl (explicit levels).
float explicit_box_level(ContState &st, int k)
{
    const float level = st.cont_value[k];
    st.intrvl = k + 1 < st.num_cont && !VYK_is_miss(st.cont_value[k + 1])
                    ? st.cont_value[k + 1] - level
                    : CONT_LAST_WIDTH;
    return level;
}

/// Bar layout in transformation 1: false when there is no room under the plot.
bool bar_frame(ContState &st, Glim *lim, float *x0)
{
    Glim view, disp;
    PLT_get_view(&view);
    GPH_get_view_size(&disp);
    float h = view.y_min - disp.y_min;
    const bool full = PLT_get_full_lab() != 0;
    if (full || h > 0.035f) h = 0.035f;
    if (h < 0.01f) return false;
    *x0 = view.x_min + 0.03f * (view.x_max - view.x_min);
    lim->x_min = *x0;
    lim->x_max = (view.x_min + view.x_max) / 2;
    if (full) {
        lim->y_min = view.y_min + 0.15f * h;
        lim->y_max = view.y_min + h;
    } else {
        lim->y_max = view.y_min - 0.15f * h;
        lim->y_min = view.y_min - h;
    }
    st.bar_lim = *lim;
    st.bar_inc = (lim->x_max - *x0) / static_cast<float>(st.num_cont);
    return true;
}

/// The bar's range and levels.  false when the bar cannot be drawn.
bool bar_levels(ContState &st)
{
    const bool own = !VYK_is_miss(st.bar_max);
    float max = own ? st.bar_max : st.grid_max;
    float min = own ? st.bar_min : st.grid_min;
    if (VYK_is_miss(st.intrvl)) RES_getval("con_interval", &st.intrvl, CV_float);
    CONT_base_items([&](char kind, float value) {
        if (kind == '>') {
            if (!own) st.base = min = value;
        } else if (kind == '<') {
            if (!own) max = value;
        } else {
            st.base = value;
        }
    });
    if (VYK_is_miss(st.conlo) || own) {
        if (cont_layout(st, max, min) != 0) return false;
    }
    if (cont_explicit(st) && st.num_cont >= 2) st.intrvl = st.cont_value[1] - st.cont_value[0];
    return st.num_cont > 0 && st.num_cont <= CONT_BAR_MAX && st.intrvl != 0 &&
           !VYK_is_miss(st.intrvl) && std::isfinite(st.intrvl);
}

/// Fill and line settings of bar box k.
void bar_box_attribs(ContState &st, const Gattribs &text, float level)
{
    const int type = st.cont_type;
    const float upper = type == CONT_LINE ? level : level + st.intrvl;
    const int n = cont_colors(st);
    const int line_ent = type == CONT_LINE || type == CONT_LFILL ? (st.con_off + 1) % n : st.con_off;
    cont_band_attribs(st, st.con_off, line_ent, upper, type, 1);
    const Gattribs &le = st.fill_attrib[line_ent];
    if (!(st.ln_cont_attr.color == CLR_NONE && le.color != CLR_NONE)) gset_line_colr_ind(text.color);
}

/// The label of box k or of the right end: its own text, or the level with two digits.
void bar_label(const ContState &st, int k, float x, float y, float level)
{
    char num[32];
    const char *text = k < CONT_LEVELS && st.cont_label[k][0] ? st.cont_label[k]
                                                              : set_num(num, "2.2.0", level);
    const Gpt pt = {x, y};
    gtext(&pt, text);
}

}  // namespace

int CONT_set_fill_colors(const char *string, int flag)
{
    ContState &st = cont_state();
    if (st.color_fill_set) return -1;
    bool user = false;
    if (flag == 0) {
        const char *res = RES_get("color_fill");
        if (res && res[0] && stricmp(res, "miss") != 0 && strnicmp(res, "def", 3) != 0) {
            string = res;
            user = true;
        }
    }
    int n = 0;
    char **items = nullptr;
    const bool builtin = !string || !string[0];
    if (builtin) {
        if (table_fill_colors(st)) return -1;
        n = static_cast<int>(sizeof FILL_NAMES / sizeof FILL_NAMES[0]);
    } else {
        parse_string(string, ',', &n, &items);
    }
    st.color_fill_set = 1;
    build_count = 0;
    if (!builtin && n == 1 && !std::strchr(items[0], '-')) {
        const bool read = read_level_file(items[0], user);
        free_parsed_array(n, items);
        // A level file that cannot be read leaves a table that has entries; else the built-in
        // list is used, so that colours stay within the table.
        if (!read) {
            if (st.color_num > 0) return 0;
            return CONT_reset_fill_set(), CONT_set_fill_colors("", 1);
        }
    } else {
        for (int i = 0; i < n && build_count < CONT_LEVELS; i++) {
            char item[LEVEL_LINE_MAX + 1];
            strfcpy(item, builtin ? FILL_NAMES[i] : items[i]);
            CONT_decode_fill_color(item);
        }
        free_parsed_array(n, items);
    }
    const int t = build_count;
    st.fill_attrib[t].color = CLR_END;
    st.cont_value[t] = VYK_MISS;
    close_table(st, t);
    if (st.color_num <= 0) {
        // An empty list: one entry of colour 1.
        CONT_fill_attrib_init(&st.fill_attrib[0]);
        st.fill_attrib[0].color = 1;
        st.fill_attrib[1].color = CLR_END;
        st.color_num = 1;
    }
    return 0;
}

int CONT_decode_fill_color(char *item)
{
    ContState &st = cont_state();
    if (!item || build_count >= CONT_LEVELS) return 0;
    while (*item == ' ') item++;
    char *dash = item[0] != '-' ? std::strchr(item, '-') : nullptr;
    if (dash) {
        *dash = '\0';
        Gattribs a, b;
        parse_entry(item, &a);
        parse_entry(dash + 1, &b);
        // Colour indices outside the table are refused as a range (nothing appended).
        if (a.color < 0 || b.color < 0) return 0;
        const int step = b.color > a.color ? 1 : -1;
        for (int c = a.color;; c += step) {
            if (build_count >= CONT_LEVELS) break;
            st.fill_attrib[build_count] = a;
            st.fill_attrib[build_count].color = c;
            st.cont_value[build_count] = VYK_MISS;
            st.cont_label[build_count][0] = '\0';
            build_count++;
            if (c == b.color) break;
        }
        return 0;
    }
    const int t = build_count;
    float level = VYK_MISS;
    const bool number = leading_number(item, &level);
    st.cont_label[t][0] = '\0';
    const char *colon = std::strchr(item, ':');
    if (number && colon) {
        strfcpy(st.cont_label[t], item, static_cast<size_t>(colon - item));
        parse_entry(colon + 1, &st.fill_attrib[t]);
    } else {
        parse_entry(item, &st.fill_attrib[t]);
    }
    st.cont_value[t] = number ? level : static_cast<float>(VYK_MISS);
    const char *la = std::strstr(item, ":la=");
    if (la) {
        la += 4;
        const char *end = std::strchr(la, ':');
        strfcpy(st.cont_label[t], la, end ? static_cast<size_t>(end - la) : SIZE_MAX);
    }
    build_count++;
    return 0;
}

int CONT_fill_attrib_init(Gattribs *attrib)
{
    if (!attrib) return 0;
    attrib->width = attrib->height = attrib->expan = VYK_MISS;
    attrib->style = attrib->fill_pat = attrib->font = VYK_MISS;
    return 0;
}

int CONT_set_fill_attribs(const Gattribs *attribs)
{
    ContState &st = cont_state();
    int n = 0;
    if (attribs)
        while (n < CONT_LEVELS && attribs[n].color >= CLR_NONE) {
            st.fill_attrib[n] = attribs[n];
            n++;
        }
    if (n == 0) {
        CONT_fill_attrib_init(&st.fill_attrib[0]);
        st.fill_attrib[0].color = 1;
        n = 1;
    }
    st.fill_attrib[n].color = CLR_END;
    st.color_num = n;
    return 0;
}

int CONT_reset_fill_set()
{
    cont_state().color_fill_set = 0;
    return 0;
}

int CONT_set_fill_pat(int pattern)
{
    cont_state().fill_pat = pattern;
    return 0;
}

int CONT_get_fill_pat() { return cont_state().fill_pat; }

int CONT_get_fill_attrib(float value, Gattribs *attrib)
{
    ContState &st = cont_state();
    if (!attrib) return 0;
    if (VYK_is_miss(value) || !std::isfinite(value) ||
        (!VYK_is_miss(st.min_cut) && value < st.min_cut) ||
        (!VYK_is_miss(st.max_cut) && value > st.max_cut)) {
        not_drawn(attrib);
        return 0;
    }
    if (VYK_is_miss(st.cbase)) st.cbase = st.base;
    int k = 0;
    if (cont_explicit(st)) {
        if (value < st.cont_value[0]) {
            not_drawn(attrib);
            return 0;
        }
        const int n = std::min(st.num_cont, CONT_LEVELS);
        k = n > 1 ? n - 1 : 0;
        for (int i = 0; i + 1 < n; i++) {
            if (st.cont_value[i] <= value && value < st.cont_value[i + 1]) {
                k = i;
                break;
            }
        }
    } else {
        k = cont_band_offset(st, value, st.cbase);
    }
    if (k >= cont_colors(st)) k = cont_wrap(k, cont_colors(st));
    *attrib = st.fill_attrib[k];
    return 0;
}

int CONT_get_fill_attrib_ind(int ind, Gattribs *attrib)
{
    if (!attrib) return 0;
    if (ind < 0 || ind > CONT_LEVELS) {
        not_drawn(attrib);
        return 0;
    }
    *attrib = cont_state().fill_attrib[ind];
    return 0;
}

int CONT_set_bar(int mode)
{
    cont_state().plt_bar = mode;
    return 0;
}

int CONT_get_bar() { return cont_state().plt_bar; }

int CONT_set_bar_range(float max, float min)
{
    cont_state().bar_max = max;
    cont_state().bar_min = min;
    return 0;
}

int CONT_draw_bar(int orient, const char *caption)
{
    ContState &st = cont_state();
    if (orient != 1) return -1;
    Gattribs text;
    ATTRIB_init(&text);
    const char *def = gget_inverse() ? "black" : "white";
    ATTRIB_get("color_text", def, &text);
    ATTRIB_init(&st.ln_cont_attr);
    ATTRIB_get("color_cont", def, &st.ln_cont_attr);
    if (st.fill_pat != VYK_MISS) st.ln_cont_attr.fill_pat = st.fill_pat;
    if (!bar_levels(st)) return -1;
    const float cbase = VYK_is_miss(st.base) ? st.conlo : st.base;
    const int step = st.num_cont / 15 + 1;
    Glim lim;
    float x0 = 0;
    if (!bar_frame(st, &lim, &x0)) return -1;
    const float ym = (lim.y_min + lim.y_max) / 2;
    GPH_line_attr(nullptr);
    GPH_text_attr(nullptr, 1);
    GPH_text_align(GCENTER_HOR, GBASE_VERT);
    text.height = 0.35f * (lim.y_max - lim.y_min);
    GPH_text_attr(&text, 1);
    GPH_line_attr(&text);
    const bool expl = cont_explicit(st);
    const int n = cont_colors(st);
    st.con_off = expl ? 0 : cont_band_offset(st, st.conlo, cbase);
    float level = st.conlo;
    for (int k = 0; k < st.num_cont; k++) {
        const float x = x0 + static_cast<float>(k) * st.bar_inc;
        if (expl && !VYK_is_miss(st.cont_value[k])) level = explicit_box_level(st, k);
        else if (k > 0) level += st.intrvl;
        if (k > 0) st.con_off = (st.con_off + 1) % n;
        bar_box_attribs(st, text, level);
        const int type = st.cont_type;
        if (type == CONT_FILL || type == CONT_LFILL || type == CONT_VALUE ||
            type == VYK_MISS) {
            if (st.fill_attrib[st.con_off].color >= 0) {
                Gpt box[5] = {{x, lim.y_max}, {x + st.bar_inc, lim.y_max},
                              {x + st.bar_inc, ym}, {x, ym}, {x, lim.y_max}};
                CONT_draw_lines(CONT_FILL, 5, box);
            }
        }
        if (type == CONT_LINE || type == CONT_LFILL) {
            Gpt tick[2] = {{x + st.bar_inc, lim.y_max}, {x + st.bar_inc, ym}};
            CONT_draw_lines(CONT_LINE, 2, tick);
        }
        GPH_text_attr(&text, 1);
        if (k % step == 0) bar_label(st, k, x, lim.y_min, level);
    }
    const float xend = x0 + static_cast<float>(st.num_cont) * st.bar_inc;
    GPH_text_attr(&text, 1);
    if (!expl)
        bar_label(st, st.num_cont, xend, lim.y_min,
                  st.conlo + static_cast<float>(st.num_cont) * st.intrvl);
    GPH_line_attr(nullptr);
    GPH_line_attr(&text);
    GPH_rect(x0, lim.y_max, xend, ym);
    if (caption && caption[0]) {
        Glim view;
        PLT_get_view(&view);
        GPH_text_align(GLEFT_HOR, GCAP_VERT);
        GPH_printf(view.x_max, view.y_min - 0.01f, "%s", caption);
    }
    return 0;
}

float CONT_get_bar_value(float x, float y)
{
    const ContState &st = cont_state();
    const Glim &b = st.bar_lim;
    if (st.bar_inc == 0 || x < b.x_min || x > b.x_max || y < b.y_min || y > b.y_max)
        return VYK_MISS;
    const int k = static_cast<int>((x - b.x_min) / st.bar_inc);
    if (cont_explicit(st)) return k >= 0 && k <= CONT_LEVELS ? st.cont_value[k] : VYK_MISS;
    return st.conlo + static_cast<float>(k) * st.intrvl;
}

int CONT_flash_value(const char *event, float x, float y)
{
    if (!event || std::strncmp(event, "f-Al", 4) != 0) return 0;
    const float value = CONT_get_bar_value(xW_trans(x, 2, 1), yW_trans(y, 2, 1));
    if (VYK_is_miss(value)) return 0;
    Gattribs attrib;
    CONT_get_fill_attrib(value, &attrib);
    if (attrib.color < 0) return 0;
    float r = 0, g = 0, b = 0;
    CLR_get_rgb(attrib.color, &r, &g, &b);
    for (int i = 0; i < 4; i++) {
        VYK_sleep(0.5f);
        GPH_set_color(attrib.color, 0, 0, 0);
        VYK_sleep(0.5f);
        GPH_set_color(attrib.color, r, g, b);
    }
    return 0;
}
