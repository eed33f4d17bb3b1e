// cont.cpp: contour settings and levels.
//
// The module's one state (cont_internal.h) lives here; the contour plot, the colour table, the
// drawing gate, the cell contouring and the labels reach it through cont_state().
#include "cont_internal.h"

#include "vyk.h"
#include "vykgext.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "vykvar.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

ContState st;

constexpr float CALC_TOL = 1e-6f;   // relative tolerance of the interval rounding
constexpr double LEVEL_SLACK = 0.01; // fraction of an interval by which the level count rounds up

/// Applies the init column of the state: a fresh state's values for these fields.
void reset_init()
{
    const ContState fresh;
    st.cont_type = fresh.cont_type;
    st.intrvl = fresh.intrvl;
    st.base = fresh.base;
    st.cont_value[0] = VYK_MISS;
    for (auto &l : st.cont_label) l[0] = '\0';
    st.color_fill_set = 0;
    st.min_cut = st.max_cut = VYK_MISS;
    st.grid_min = st.grid_max = VYK_MISS;
    st.label_skip = fresh.label_skip;
    st.ext_radius = fresh.ext_radius;
    st.x_label_space = st.y_label_space = VYK_MISS;
    st.over = 0;
    st.dash = CONT_DASH_NONE;
    st.scale = 1;
    st.x_skip = st.y_skip = 1;
    st.fill_pat = VYK_MISS;
    st.format[0] = '\0';
    st.num_form[0] = '\0';
}

/// x rounded up to a multiple of step, within the relative tolerance (so that 0.3 stays 0.3).
double round_up(double x, double step)
{
    const double q = x / step;
    return std::ceil(q - std::fabs(q) * CALC_TOL) * step;
}

/// The number after a prefix of len characters.
float item_float(const char *item, size_t len) { return std::strtof(item + len, nullptr); }

/// "lab=" numbers: one number a gives skip a/10 and radius a mod 10; two or more give skip and
/// radius, the third and fourth the label spacings.
void apply_lab(int n, const int *v)
{
    if (n <= 0) return;
    if (n == 1) {
        st.label_skip = v[0] / 10;
        st.ext_radius = v[0] % 10;
        return;
    }
    st.label_skip = v[0];
    st.ext_radius = v[1];
    if (n == 3) st.x_label_space = st.y_label_space = v[2];
    if (n >= 4) {
        st.x_label_space = v[2];
        st.y_label_space = v[3];
    }
}

/// One word of a format text; *type gets a contour type the word chooses.
void decode_word(char *item, int *type)
{
    struct Word {
        const char *name;
        int type;
        int dash;  // VYK_MISS: unchanged
    };
    static constexpr Word words[] = {
        {"value", CONT_VALUE, VYK_MISS}, {"gvalue", CONT_VALUE, VYK_MISS},
        {"cf", CONT_FILL, VYK_MISS},     {"lcf", CONT_LFILL, VYK_MISS},
        {"ln", CONT_LINE, VYK_MISS},     {"dln", CONT_LINE, CONT_DASH_ALL},
        {"ndln", CONT_LINE, CONT_DASH_NEG},
    };
    for (const Word &w : words) {
        if (stricmp(item, w.name) != 0) continue;
        *type = w.type;
        if (w.dash != VYK_MISS) st.dash = w.dash;
        return;
    }
    if (stricmp(item, "nolr") == 0) FLAG_setplot(PLOT_TEXT_LR, 0);
    else if (stricmp(item, "bar") == 0) st.plt_bar = 3;
    else if (stricmp(item, "nobar") == 0) st.plt_bar = -2;
    else if (strnicmp(item, "rlab", 4) == 0) st.rot_label = 1;
    else if (strnicmp(item, "hlab", 4) == 0) st.rot_label = 0;
    else if (strnicmp(item, "labs", 4) == 0) PLT_set_label_type(PLT_LABEL_SIMPLE);
    else if (strnicmp(item, "in=", 3) == 0) st.intrvl = item_float(item, 3);
    else if (strnicmp(item, "cb=", 3) == 0) st.base = item_float(item, 3);
    else if (strnicmp(item, "mn=", 3) == 0) st.min_cut = item_float(item, 3);
    else if (strnicmp(item, "mx=", 3) == 0) st.max_cut = item_float(item, 3);
    else if (strnicmp(item, "sc=", 3) == 0) st.scale = item_float(item, 3);
    else if (strnicmp(item, "xy=", 3) == 0) {
        float x = 0, y = 0;
        if (std::sscanf(item + 3, "%f%f", &x, &y) >= 1) {
            st.x_off = 0.012f * x;
            st.y_off = 0.02f * y;
        }
    } else if (strnicmp(item, "sk=", 3) == 0) {
        int x = 1, y = 1;
        const int n = std::sscanf(item + 3, "%d:%d", &x, &y);
        if (n == 1) y = x;
        if (n >= 1) CONT_set_skip(x, y);
    } else if (strnicmp(item, "cof=", 4) == 0) {
        CONT_set_fill_colors(item + 4, 1);
    } else if (strnicmp(item, "fi=", 3) == 0) {
        st.fill_pat = std::atoi(item + 3);
    } else if (item[0] == '%') {
        strfcpy(st.num_form, item);
    } else if (strnicmp(item, "lab=", 4) == 0) {
        int v[4] = {0, 0, 0, 0};
        apply_lab(std::sscanf(item + 4, "%d.%d.%d.%d", &v[0], &v[1], &v[2], &v[3]), v);
    }
}

/// One word of plot_param.
void param_word(const char *w)
{
    if (strnicmp(w, "fill", 4) == 0) {
        const char *eq = std::strchr(w, '=');
        if (eq) st.fill_pat = ATTR_parse_fill_pat(eq + 1);
    } else if (strnicmp(w, "rlab", 4) == 0) {
        st.rot_label = 1;
    } else if (strnicmp(w, "hlab", 4) == 0) {
        st.rot_label = 0;
    } else if (strnicmp(w, "lab", 3) == 0) {
        const char *eq = std::strchr(w, '=');
        if (!eq) return;
        int v[4] = {0, 0, 0, 0};
        int n = std::sscanf(eq + 1, "%d:%d:%d:%d", &v[0], &v[1], &v[2], &v[3]);
        if (n == 1) n = std::sscanf(eq + 1, "%d.%d.%d.%d", &v[0], &v[1], &v[2], &v[3]);
        apply_lab(n, v);
    } else if (strnicmp(w, "maxl", 4) == 0) {
        const char *eq = std::strchr(w, '=');
        if (eq) st.max_line_fact = std::atoi(eq + 1);
    } else if (strnicmp(w, "conmin", 6) == 0) {
        const char *eq = std::strchr(w, '=');
        if (eq) st.min_cut = std::strtof(eq + 1, nullptr);
    } else if (strnicmp(w, "conmax", 6) == 0) {
        const char *eq = std::strchr(w, '=');
        if (eq) st.max_cut = std::strtof(eq + 1, nullptr);
    } else if (stricmp(w, "grid") == 0) {
        st.draw_grid = 1;
    } else if (stricmp(w, "mapcon") == 0) {
        st.mapcon = 1;
    } else if (stricmp(w, "conmap") == 0) {
        st.mapcon = 0;
    }
}

}  // namespace

ContState &cont_state() { return st; }

int cont_band_offset(const ContState &s, float lo, float cbase)
{
    if (!(s.intrvl > 0) || !std::isfinite(s.intrvl)) return 0;
    const float q = (lo - cbase) / s.intrvl;
    const double k = std::floor(static_cast<double>(q) + 0.01);
    if (!std::isfinite(k) || std::fabs(k) > 1e15) return 0;
    return cont_wrap(static_cast<long>(k), cont_colors(s));
}

int cont_layout(ContState &s, float max, float min)
{
    if (cont_explicit(s)) {
        s.conlo = s.cont_value[0];
        return 0;
    }
    if (VYK_is_miss(max)) return -1;
    if (s.intrvl <= 0) {
        s.num_cont = cont_colors(s) - 1;
        s.intrvl = CONT_calc_intrvl(max, min, cont_colors(s) - 1);
    }
    const float b = VYK_is_miss(s.base) ? 0.0f : s.base;
    if (max >= min) {
        const float qlo = (min - b) / s.intrvl;
        const float qhi = (max - b) / s.intrvl;
        s.conlo = static_cast<float>(b + s.intrvl * std::floor(static_cast<double>(qlo)));
        s.conhi = static_cast<float>(b + s.intrvl * std::floor(1.0 + qhi));
        if (max - b == s.conhi) s.conhi = static_cast<float>(s.conhi + static_cast<double>(s.intrvl));
    } else {
        s.conlo = max;
        s.conhi = min;
    }
    const double n = (static_cast<double>(s.conhi) - s.conlo + LEVEL_SLACK * s.intrvl) / s.intrvl;
    // A range of values that are not numbers or a vanishing interval gives no levels.
    s.num_cont = std::isfinite(n) && n >= 0 && n < 1e9 ? static_cast<int>(n) : 0;
    return 0;
}

int CONT_init()
{
    reset_init();
    return 0;
}

int CONT_grid(float *grx, float *gry)
{
    if (st.grdx != grx) std::free(st.grdx);
    if (st.grdy != gry) std::free(st.grdy);
    st.grdx = grx;
    st.grdy = gry;
    return 0;
}

int CONT_draw_grid(int value)
{
    st.draw_grid = value;
    return 0;
}

int CONT_set_scale(float scale)
{
    st.scale = scale;
    return 0;
}

int CONT_set_skip(int x, int y)
{
    st.x_skip = x > 0 ? x : 1;
    st.y_skip = y > 0 ? y : 1;
    return 0;
}

int CONT_set_plot_offset(float x, float y)
{
    st.x_off = x;
    st.y_off = y;
    return 0;
}

int CONT_set_values(const float *values, int num)
{
    if (st.color_fill_set) return -1;
    int n = 0;
    if (values) {
        while (n < num && n < CONT_LEVELS && !VYK_is_miss(values[n])) {
            st.cont_value[n] = values[n];
            n++;
        }
    }
    st.cont_value[n] = VYK_MISS;
    st.num_cont = n;
    if (n == 0) return 0;
    if (n >= 2) st.intrvl = values[1] - values[0];
    st.grid_min = values[0];
    st.grid_max = values[n - 1];
    return 0;
}

int CONT_reset_values()
{
    if (!cont_explicit(st)) return 0;
    st.intrvl = st.grid_min = st.grid_max = VYK_MISS;
    st.cont_value[0] = VYK_MISS;
    return 0;
}

int CONT_get_values(float *values)
{
    if (!cont_explicit(st)) return 0;
    const int n = st.num_cont > 0 ? std::min(st.num_cont, CONT_LEVELS) : 0;
    if (values)
        for (int k = 0; k < n; k++) values[k] = st.cont_value[k];
    return n;
}

int CONT_get_num_cont() { return st.num_cont; }

int CONT_set_dash(int ind)
{
    st.dash = ind;
    return 0;
}

int CONT_set_intrvl(float value)
{
    st.intrvl = value;
    return 0;
}

float CONT_get_intrvl() { return st.intrvl; }

int CONT_set_range(float max, float min)
{
    st.grid_max = max;
    st.grid_min = min;
    return 0;
}

int CONT_set_cutoff(float max, float min)
{
    if (!VYK_is_miss(max)) st.max_cut = max;
    if (!VYK_is_miss(min)) st.min_cut = min;
    return 0;
}

int CONT_set_type(int type)
{
    st.cont_type = type == CONT_FILL_ALT ? CONT_FILL : type;
    return 0;
}

int CONT_get_type() { return st.cont_type; }

int CONT_set_label_type(int skip, int rad)
{
    st.label_skip = skip;
    st.ext_radius = rad;
    return 0;
}

int CONT_set_format(int type, const char *form)
{
    strfcpy(st.format, form);
    switch (type) {
    case CONT_LINE: case CONT_FILL: case CONT_LFILL: case CONT_VALUE:
        st.cont_type = type;
        break;
    case CONT_LINE_DASH:
        st.cont_type = CONT_LINE;
        st.dash = CONT_DASH_ALL;
        break;
    case CONT_LINE_NDASH:
        st.cont_type = CONT_LINE;
        st.dash = CONT_DASH_NEG;
        break;
    default:
        break;
    }
    return 0;
}

int CONT_set_over(int ind)
{
    st.over = ind;
    return 0;
}

int CONT_set_label_space(int x, int y)
{
    st.x_label_space = x;
    st.y_label_space = y;
    return 0;
}

int CONT_set_base(float value)
{
    st.base = value;
    return 0;
}

float CONT_get_base() { return st.base; }

float CONT_calc_intrvl(float max, float min, int num)
{
    if (num == 0) num = 1;
    const float x = (max - min) / static_cast<float>(num);
    const double xd = x;
    if (xd >= 1000) return static_cast<float>(round_up(xd, 1000));
    if (xd >= 100) return static_cast<float>(round_up(xd, 100));
    if (xd >= 10) return static_cast<float>(round_up(xd, 10));
    if (xd >= 1) return static_cast<float>(round_up(xd, 1));
    if (xd >= 0.1) return static_cast<float>(round_up(xd, 0.1));
    if (xd >= 0.01) return static_cast<float>(round_up(xd, 0.01));
    if (xd >= 0.001) return static_cast<float>(round_up(xd, 0.001));
    if (xd >= 0.0001) return static_cast<float>(round_up(xd, 0.0001));
    if (x == 0) return 1;
    return x;
}

int CONT_set_cont_ext(const GRD_report *grid)
{
    if (cont_explicit(st)) {
        st.conlo = st.cont_value[0];
    } else {
        if (grid && VYK_is_miss(st.grid_max)) GRD_maxmin(grid, &st.grid_max, &st.grid_min);
        if (VYK_is_miss(st.grid_max)) return -1;
        if (VYK_is_miss(st.intrvl)) RES_getval("con_interval", &st.intrvl, CV_float);
        if (VYK_is_miss(st.intrvl) && st.cont_type != CONT_VALUE) st.intrvl = 0;
        if (!VYK_is_miss(st.intrvl)) cont_layout(st, st.grid_max, st.grid_min);
    }
    st.cbase = VYK_is_miss(st.base) ? st.conlo : st.base;
    return 0;
}

int CONT_format_decode_type(const char *format)
{
    if (!format) return -1;
    int n = 0;
    char **items = nullptr;
    parse_string(format, ':', &n, &items);
    int type = VYK_MISS;
    for (int i = 0; i < n; i++) decode_word(items[i], &type);
    free_parsed_array(n, items);
    if (type != VYK_MISS) CONT_set_type(type);
    return 0;
}

int CONT_format_attrib_items(const char *format, Gattribs *attr, bool fill_pattern)
{
    if (!format || !attr) return 0;
    int n = 0;
    char **items = nullptr;
    parse_string(format, ':', &n, &items);
    for (int i = 0; i < n; i++) {
        const char *it = items[i];
        if (strnicmp(it, "co=", 3) == 0) attr->color = CLR_get_ind(it + 3);
        else if (strnicmp(it, "wi=", 3) == 0) attr->width = std::strtof(it + 3, nullptr);
        else if (strnicmp(it, "st=", 3) == 0) attr->style = std::atoi(it + 3);
        else if (fill_pattern && strnicmp(it, "fp=", 3) == 0)
            attr->fill_pat = ATTR_parse_fill_pat(it + 3);
    }
    free_parsed_array(n, items);
    return 0;
}

int CONT_format_decode_attrib(Gattribs *attr)
{
    return CONT_format_attrib_items(st.format, attr, true);
}

int CONT_param_decode()
{
    int n = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &n, &words);
    for (int i = 0; i < n; i++) param_word(words[i]);
    free_parsed_array(n, words);
    return 0;
}

void CONT_base_items(const std::function<void(char kind, float value)> &item)
{
    int n = 0;
    char **items = nullptr;
    RES_getvals("con_base", &n, &items);
    for (int i = 0; i < n; i++) {
        const char *it = items[i];
        while (*it == ' ') it++;
        if (*it == '>' || *it == '<') item(*it, std::strtof(it + 1, nullptr));
        else if (*it) item('=', std::strtof(it, nullptr));
    }
    free_parsed_array(n, items);
}

float CONT_prompt_intrvl()
{
    float value = 0;
    if (!RES_getval("con_interval", &value, CV_float) && !FLAG_batch())
        value = VYK_promptf("Enter the contour interval: ");
    if (!(value >= 0) || VYK_is_miss(value)) value = 0;
    CONT_set_intrvl(value);
    return value;
}

int CONT_prompt_type()
{
    if (st.cont_type != VYK_MISS) return st.cont_type;
    const int ptype = FLAG_get(FLAG_PLOT_TYPE);
    int type = CONT_LINE;
    if (ptype == CONT_LINE_DASH || ptype == CONT_LINE_NDASH) {
        CONT_set_format(ptype, st.format);
        type = CONT_LINE;
    } else if (ptype > 0) {
        type = ptype;
    } else if (FLAG_batch()) {
        type = CONT_FILL;
    } else {
        char answer[12] = "";  // up to 10 characters
        VYK_prompts("Color fill (C) or Line (L) contours: ", answer, 11);
        if (stricmp(answer, "none") == 0) type = CONT_NONE;
        else if (stricmp(answer, "value") == 0 || stricmp(answer, "gvalue") == 0) type = CONT_VALUE;
        else if (stricmp(answer, "cf") == 0) type = CONT_FILL;
        else if (stricmp(answer, "lcf") == 0) type = CONT_LFILL;
        else if (stricmp(answer, "ln") == 0) type = CONT_LINE;
        else if (stricmp(answer, "dln") == 0) st.dash = CONT_DASH_ALL;
        else if (stricmp(answer, "ndln") == 0) st.dash = CONT_DASH_NEG;
        else if (std::strchr("cCyY", answer[0]) && answer[0]) type = CONT_FILL;
    }
    CONT_set_type(type);
    return st.cont_type;
}
