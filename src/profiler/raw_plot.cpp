// Point-datum plotting and the plot-format language: every single value drawn at a point (a
// number, a text, a marker, a wind barb or arrow, a motion track, a cloud circle, a weather
// symbol, a connecting line) goes through RAW_plot_data.  How it is drawn comes from three
// layers: the base set that RAW_plot_init prepares once per plot (the caller's attributes, the
// `plot_param` and `plot_format` resources and the contour colour settings), the datum's own
// attributes, and the datum's own format.
//
// A value format reaches printf only when it holds exactly one number conversion of the kind
// the value is printed as (e, f, g, E, G for a float, d for an integer) and nothing else that
// printf would read; any other format is replaced by the default, with a warning once for each
// format text refused.
#include "dadodu.h"
#include "cont.h"
#include "wind_glyph.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
constexpr const char *DEFAULT_VALUE_FORMAT = "%1.0f";
constexpr const char *DEFAULT_INT_FORMAT = "%d";
constexpr const char *FLOAT_CONVERSIONS = "efgEG";
constexpr const char *INT_CONVERSIONS = "d";
constexpr float TEXT_HEIGHT = 0.018f;     // character height, fractions of the window height
constexpr float OFFSET_X_STEP = 0.012f;   // "xy=" steps
constexpr float OFFSET_Y_STEP = 0.02f;
constexpr M_type M_TRACE = 0x20000000;    // debug class, sub-level b
constexpr int PLOT_TYPE_NONE = 99;        // flag 11: nothing is plotted

// Kernel text alignments.
enum { ALIGN_LEFT = 1, ALIGN_CENTER = 2, ALIGN_RIGHT = 3 };
enum { ALIGN_TOP = 1, ALIGN_CAP = 2, ALIGN_HALF = 3, ALIGN_BASE = 4, ALIGN_BOTTOM = 5 };

// The cover character of the clear-sky circle.
constexpr char COVER_CLEAR = '0';

struct Position {
    const char *code;
    float fx, fy;  // offsets of the format language
    float px, py;  // offsets of the `plot_param` words
    int hor;
};

// The position codes; every one aligns its text at half height.
constexpr Position POSITIONS[] = {
    {"ul", -0.012f, 0.02f, -0.012f, 0.02f, ALIGN_RIGHT},
    {"uc", 0, 0.02f, 0, 0.02f, ALIGN_CENTER},
    {"ur", 0.012f, 0.02f, 0.012f, 0.02f, ALIGN_LEFT},
    {"tl", -0.012f, 0.012f, -0.012f, 0.012f, ALIGN_RIGHT},
    {"tc", 0, 0.012f, 0, 0.012f, ALIGN_CENTER},
    {"tr", 0.012f, 0.012f, 0.012f, 0.012f, ALIGN_LEFT},
    {"cl", -0.012f, 0, -0.015f, 0, ALIGN_RIGHT},
    {"cc", 0, 0, 0, 0, ALIGN_CENTER},
    {"cr", 0.012f, 0, 0.015f, 0, ALIGN_LEFT},
    {"bl", -0.012f, -0.012f, -0.012f, -0.012f, ALIGN_RIGHT},
    {"bc", 0, -0.012f, 0, -0.012f, ALIGN_CENTER},
    {"br", 0.012f, -0.012f, 0.012f, -0.012f, ALIGN_LEFT},
    {"ll", -0.012f, -0.02f, -0.012f, -0.02f, ALIGN_RIGHT},
    {"lc", 0, -0.02f, 0, -0.02f, ALIGN_CENTER},
    {"lr", 0.012f, -0.02f, 0.012f, -0.02f, ALIGN_LEFT},
};

struct MarkerWord {
    const char *word;
    int marker;
};

// Marker words of the "mk=" option, matched by prefix in this order.
constexpr MarkerWord OPTION_MARKERS[] = {
    {"dot", 8}, {"pnt", 1}, {"plus", 2}, {"star", 3}, {"crcl", 4}, {"circle", 4},
    {"x", 5},   {"sqr", 6}, {"square", 6}, {"tri", 7}, {"itri", 9},
};

struct State {
    RAW_attribs base = {};
    RAW_attribs cur = {};
    Point last = {MISS, MISS};
    Point prev = {MISS, MISS};
    bool pending_line = false;   // a "post" line datum waits for the next position
    std::string refused;         // the last format text refused (warned once)
    State()
    {
        RAW_init_attrib(&base);
        cur = base;
    }
};

State st;

bool set(float v) { return !VYK_is_miss(v); }

// A whole text as a finite number.
bool read_float(const char *text, float &out)
{
    if (!text || !*text) return false;
    char *end = nullptr;
    const float v = std::strtof(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool read_int(const char *text, int &out)
{
    float v;
    if (!read_float(text, v) || std::fabs(v) > 1e9f) return false;
    out = static_cast<int>(v);
    return true;
}

// Keyed options compare their first three characters ("co=") without regard to case.
bool is_key(const char *item, const char *key) { return strnicmp(item, key, 3) == 0; }

int marker_of(const char *text, const MarkerWord *words, size_t n)
{
    for (size_t k = 0; k < n; k++)
        if (strnicmp(text, words[k].word, static_cast<int>(std::strlen(words[k].word))) == 0)
            return words[k].marker;
    int m = 0;
    return read_int(text, m) ? m : 0;
}

template <size_t N> int marker_of(const char *text, const MarkerWord (&words)[N])
{
    return marker_of(text, words, N);
}

const Position *position_of(const char *code)
{
    for (const Position &p : POSITIONS)
        if (stricmp(code, p.code) == 0) return &p;
    return nullptr;
}

int hor_of_offset(float x) { return x < 0 ? ALIGN_RIGHT : x > 0 ? ALIGN_LEFT : ALIGN_CENTER; }

// Copies text into a field of the set; a text longer than the field is refused with a warning
// (a cut file name or format would name something else).
template <size_t N>
void set_field(char (&field)[N], const char *text, const char *what,
               const char *func = "RAW_parse_format")
{
    if (std::strlen(text) >= N) {
        MESS_print(M_WARN, "%s: %s longer than %zu characters ignored: %.60s\n", func, what,
                   N - 1, text);
        return;
    }
    strfcpy(field, text);
}

// ---------------------------------------------------------------------------------------------
// Value formats
// ---------------------------------------------------------------------------------------------

// The format to print with: fmt when it is one conversion of convs (the zero-suppressed form
// "%z..." stripped of its z, with zero set), else the default, with a warning once per text.
std::string usable_format(const char *fmt, const char *convs, const char *def, bool &zero)
{
    zero = false;
    if (!fmt || !*fmt) return def;
    std::string f = fmt;
    if (f.size() > 1 && f[0] == '%' && (f[1] == 'z' || f[1] == 'Z')) {
        f.erase(1, 1);
        zero = true;
    }
    if (format_one_conv(f.c_str(), convs)) return f;
    zero = false;
    if (st.refused != fmt) {
        st.refused = fmt;
        MESS_print(M_WARN, "RAW_plot_data: format %.60s is not one number conversion; %s used\n",
                   fmt, def);
    }
    return def;
}

// Drops the leading zero digit before the decimal point (also after a sign): 0.5 gives .5.
void suppress_zero(char *text)
{
    char *p = text;
    while (*p == ' ') p++;
    if (*p == '-' || *p == '+') p++;
    if (p[0] == '0' && p[1] == '.') std::memmove(p, p + 1, std::strlen(p + 1) + 1);
}

// A value that rounds to zero is printed without its sign: "-0" and "-0.0" say nothing that
// "0" and "0.0" do not (a small negative value of a quantity shown in whole units).
void drop_negative_zero(char *text)
{
    for (char *minus = std::strchr(text, '-'); minus; minus = std::strchr(minus + 1, '-')) {
        if (minus[1] != '0' && minus[1] != '.') continue;
        char *end = nullptr;
        if (std::strtod(minus, &end) == 0 && end != minus + 1) {
            // Padding keeps its width: the sign becomes a blank after other text.
            if (minus == text)
                std::memmove(minus, minus + 1, std::strlen(minus + 1) + 1);
            else
                *minus = ' ';
            return;
        }
    }
}

// value printed with the set's format (float conversions) into text.
void format_value(const RAW_attribs &set, float value, char *text, size_t size, bool *zero_out)
{
    bool zero;
    const std::string f = usable_format(set.format, FLOAT_CONVERSIONS, DEFAULT_VALUE_FORMAT, zero);
    std::snprintf(text, size, f.c_str(), static_cast<double>(value));
    drop_negative_zero(text);
    if (zero) suppress_zero(text);
    if (zero_out) *zero_out = zero;
}

// value with its fraction dropped, printed with the set's format (an integer conversion).
void format_int(const RAW_attribs &set, float value, char *text, size_t size)
{
    bool zero;
    const std::string f = usable_format(set.format, INT_CONVERSIONS, DEFAULT_INT_FORMAT, zero);
    const double v = std::trunc(static_cast<double>(value));
    const int i = std::fabs(v) < 2e9 ? static_cast<int>(v) : 0;
    std::snprintf(text, size, f.c_str(), i);
}

bool is_wind(int type)
{
    return type == VAR_T_VECT || type == VAR_T_BARB || type == VAR_T_STRM ||
           (type >= VAR_T_WBARB && type <= VAR_T_VBARB);
}

// ---------------------------------------------------------------------------------------------
// Format items
// ---------------------------------------------------------------------------------------------

void apply_xy(RAW_attribs &set, float a, float b)
{
    set.x = OFFSET_X_STEP * a;
    set.y = OFFSET_Y_STEP * b;
}

// "xy=" and two numbers separated by sep.
bool read_xy(const char *text, char sep, float &a, float &b)
{
    const char *s = std::strchr(text, sep);
    if (!s) return false;
    const std::string first(text, static_cast<size_t>(s - text));
    while (*s == sep) s++;
    return read_float(first.c_str(), a) && read_float(s, b);
}

// One keyed option of the format language ("co=red"): the plot type it names (a value format
// names 2), 0 when none.
int apply_option(RAW_attribs &set, const char *item)
{
    if (std::strlen(item) < 3 || item[2] != '=') return 0;
    const char *v = item + 3;
    float f;
    if (is_key(item, "xy=")) {
        float a, b;
        if (read_xy(v, ' ', a, b)) {
            apply_xy(set, a, b);
            set.vert = ALIGN_HALF;
            set.hor = hor_of_offset(set.x);
        }
    } else if (is_key(item, "rs=")) {
        if (RES_get(v)) {
            Gattribs a;
            ATTRIB_init(&a);
            ATTRIB_get(v, "green", &a);
            ATTRIB_update(&set.attrib, &a);
        }
    } else if (is_key(item, "co=")) {
        set.attrib.color = CLR_get_ind(v);
    } else if (is_key(item, "fm=")) {
        set_field(set.format, v, "format");
        return VAR_T_VALUE;
    } else if (is_key(item, "hi=")) {
        if (read_float(v, f)) set.attrib.height = f;
    } else if (is_key(item, "sc=")) {
        if (read_float(v, f)) set.scale = (f < 0.01f || f > 1000) ? 1 : f;
    } else if (is_key(item, "wi=")) {
        if (read_float(v, f)) set.attrib.width = f;
    } else if (is_key(item, "fo=")) {
        set.attrib.font = gget_font_index(v);
    } else if (is_key(item, "te=")) {
        if (read_float(v, f)) set.attrib.expan = f;
    } else if (is_key(item, "tx=")) {
        strfcpy(set.text, v);  // a text is only drawn: longer ones are cut
    } else if (is_key(item, "ta=")) {
        const char h = v[0], t = h ? v[1] : '\0';
        set.hor = (h == 'l' || h == 'L') ? ALIGN_LEFT : (h == 'r' || h == 'R') ? ALIGN_RIGHT
                                                                           : ALIGN_CENTER;
        set.vert = (t == 't' || t == 'T')   ? ALIGN_TOP
                   : (t == 'c' || t == 'C') ? ALIGN_CAP
                   : (t == 's' || t == 'S') ? ALIGN_BASE
                   : (t == 'b' || t == 'B') ? ALIGN_BOTTOM
                                            : ALIGN_HALF;
    } else if (is_key(item, "mk=")) {
        set.marker = marker_of(v, OPTION_MARKERS);
    } else if (is_key(item, "sf=") || is_key(item, "wf=")) {
        set_field(set.symbol, v, "symbol file");
    } else if (is_key(item, "mn=")) {
        if (read_float(v, f)) set.min = f;
    } else if (is_key(item, "mx=")) {
        if (read_float(v, f)) set.max = f;
    } else if (is_key(item, "sk=")) {
        int n;
        if (read_int(v, n)) set.skip = n;
    }
    return 0;
}

// One item of a format: the plot type it names, 0 when none.
int apply_item(RAW_attribs &set, const char *item)
{
    if (item[0] == '%') {
        set_field(set.format, item, "format");
        return VAR_T_VALUE;
    }
    const int type = VAR_dec_type(item);
    if (type > 0) return type;
    if (const Position *p = position_of(item)) {
        set.x = p->fx;
        set.y = p->fy;
        set.hor = p->hor;
        set.vert = ALIGN_HALF;
        return 0;
    }
    return apply_option(set, item);
}

// ---------------------------------------------------------------------------------------------
// The `plot_param` words
// ---------------------------------------------------------------------------------------------

// A word of a key, one more character and a value: the value, or NULL.
const char *keyed_value(const char *word, const char *key)
{
    const size_t n = std::strlen(key);
    if (strnicmp(word, key, static_cast<int>(n)) != 0 || std::strlen(word) <= n + 1) return nullptr;
    return word + n + 1;
}

void apply_param_word(RAW_attribs &set, const char *word)
{
    const char *v;
    if ((v = keyed_value(word, "skip"))) {
        int n;
        if (read_int(v, n)) set.skip = n;
    } else if ((v = keyed_value(word, "text"))) {
        strfcpy(set.text, v);
    } else if ((v = keyed_value(word, "mark"))) {
        set.marker = stricmp(v, "cld") == 0 ? RAW_MARK_CLOUD : ATTR_parse_marker(v);
    } else if (stricmp(word, "line") == 0) {
        set.line = 1;
    } else if (stricmp(word, "ybar") == 0) {
        set.bar = 0;
    } else if ((v = keyed_value(word, "ybar"))) {
        read_int(v, set.bar);
    } else if (strnicmp(word, "xy=", 3) == 0) {
        float a, b;
        if (read_xy(word + 3, ':', a, b)) apply_xy(set, a, b);
    } else if (const Position *p = position_of(word)) {
        set.x = p->px;
        set.y = p->py;
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

bool segment_known(Point a, Point b)
{
    return set(a.x) && set(a.y) && set(b.x) && set(b.y);
}

void draw_segment(Point a, Point b)
{
    if (segment_known(a, b)) GPH_line(a.x, a.y, b.x, b.y);
}

void draw_text(float x, float y, const char *text)
{
    if (text && *text) GPH_printf(x, y, "%s", text);
}

void draw_marker(float x, float y, int marker)
{
    gset_marker_type(marker);
    GPH_mark(x, y);
}

// The datum as its type draws it (S = V x scale).
void draw_by_type(RAW_data *datum, float px, float py, float V)
{
    const RAW_attribs &c = st.cur;
    const float S = V * c.scale;
    const float dir = datum->value[0], spd = datum->value[1];
    char text[RAW_LINE_LEN];
    switch (datum->type) {
    case VAR_T_DATA:
    case VAR_T_TEXT: draw_text(px, py, datum->data); break;
    case VAR_T_VALUE:
        if (set(datum->value[0])) {
            bool zero;
            format_value(c, datum->value[0], text, sizeof text, &zero);
            if (zero) strfcpy(datum->data, text);
            draw_text(px, py, text);
        } else {
            draw_text(px, py, datum->data);
        }
        break;
    case VAR_T_INT:
        if (!set(datum->value[0])) break;
        format_int(c, datum->value[0], text, sizeof text);
        draw_text(px, py, text);
        break;
    case VAR_T_MARK: draw_marker(px, py, MAP_mark_type(datum->data)); break;
    case VAR_T_CLOUD: WX_cloud(px, py, 0.01f * S, datum->data[0]); break;
    case VAR_T_CBARB:
        if (spd == 0) WX_cloud(px, py, 0.013f * S, COVER_CLEAR);
        else if (dir >= 0) WIND_barb_map(px, py, dir, spd, 0.05f * S, 0.01f * S);
        break;
    case VAR_T_DBARB:
        WX_cloud(px, py, 0.003f * S, COVER_CLEAR);
        if (spd == 0) WX_cloud(px, py, 0.006f * S, COVER_CLEAR);
        else if (dir >= 0) WIND_barb_map(px, py, dir, spd, 0.05f * S, 0.003f * S);
        break;
    case VAR_T_WBARB:
        if (spd == 0) WX_cloud(px, py, 0.003f * S, COVER_CLEAR);
        else if (dir >= 0) WIND_barb_map(px, py, dir, spd, 0.05f * S, 0);
        break;
    case VAR_T_VBARB:
        if (spd > 0 && set(dir)) WIND_vect_map(px, py, dir, spd, c.scale * 1.852f / 100, 1);
        break;
    case VAR_T_STRM:
        if (spd > 0) {
            const float f = MAP_factor(MAP_get_clat(), MAP_get_clon());
            WIND_track(px, py, dir, f * spd * 1.852f * 2 / 100, 0.1f * S, 4, 0);
        }
        break;
    case VAR_T_SYMB: WX_symb(px, py, datum->data, 0.03f * S); break;
    case VAR_T_LINE:
        if (stricmp(datum->data, "pre") == 0) {
            draw_segment(st.prev, st.last);
        } else if (stricmp(datum->data, "post") == 0) {
            st.pending_line = true;
        } else {
            st.last = {datum->x, datum->y};
            if (set(datum->value[0]) && set(datum->value[1])) {
                float x, y;
                MAP_tran(datum->value[0], datum->value[1], &x, &y);
                st.prev = {x, y};
            }
            draw_segment(st.prev, st.last);
        }
        break;
    default: break;  // vectors and barbs of grids are not point data
    }
}

// The first drawing of the list that applies.
void draw_datum(RAW_data *datum, float px, float py, float V)
{
    const RAW_attribs &c = st.cur;
    const bool has_something = datum->data[0] != '\0' || set(datum->value[0]);
    if (c.text[0]) {
        draw_text(px, py, c.text);
    } else if (c.marker != 0 && has_something) {
        if (c.marker == RAW_MARK_CLOUD) WX_cloud(px, py, 0.01f * V * c.scale, COVER_CLEAR);
        else draw_marker(px, py, c.marker);
    } else if (c.line != 0) {
        draw_segment(st.prev, st.last);
    } else if (c.bar != VYK_MISS) {
        const Point top = {px, py}, foot = {px, static_cast<float>(c.bar)};
        draw_segment(top, foot);
        st.prev = top;
        st.last = foot;
    } else {
        draw_by_type(datum, px, py, V);
    }
}

// Applies the contour settings of the `con_base` and `con_interval` resources to the base set.
void apply_contour_resources()
{
    int n = 0;
    char **items = nullptr;
    RES_getvals("con_base", &n, &items);
    if (n > 0) {
        for (int k = 0; k < n; k++) {
            float v;
            if (items[k][0] == '>' && read_float(items[k] + 1, v)) {
                st.base.min = v;
                st.base.base = v;
            } else if (items[k][0] == '<' && read_float(items[k] + 1, v)) {
                st.base.max = v;
            } else if (read_float(items[k], v)) {
                st.base.base = v;
            }
        }
        CONT_set_base(st.base.base);
        CONT_set_cutoff(st.base.max, st.base.min);
    }
    free_parsed_array(n, items);
    float intrvl;
    if (RES_getval("con_interval", &intrvl, CV_float) && std::isfinite(intrvl)) {
        st.base.intrvl = intrvl;
        CONT_set_intrvl(intrvl);
    }
}

}  // namespace

int RAW_init_attrib(RAW_attribs *set)
{
    if (!set) return -1;
    *set = RAW_attribs{};
    ATTRIB_init(&set->attrib);
    set->intrvl = MISS;
    set->scale = 1;
    set->base = 0;
    set->min = set->max = MISS;
    set->type = VAR_T_DATA;
    set->bar = VYK_MISS;
    set->marker = 0;
    set->hor = ALIGN_CENTER;
    set->vert = ALIGN_HALF;
    set->x = set->y = 0;
    set->line = 0;
    set->skip = 1;
    return 0;
}

int RAW_plot_init(const Gattribs *attrib, float scale)
{
    if (FLAG_getplot(PLOT_ALL) <= 0 || FLAG_get(FLAG_PLOT_TYPE) == PLOT_TYPE_NONE) return -1;
    RAW_init_attrib(&st.base);
    st.base.scale = scale;
    if (attrib) st.base.attrib = *attrib;
    RAW_plot_param();
    GPH_text_attr(nullptr, 1);
    GPH_line_attr(nullptr);
    GPH_mark_attr(nullptr, 1);
    GPH_fill_attr(nullptr);
    GPH_trans(2);
    CONT_init();
    CONT_set_fill_colors(nullptr, 0);
    if (CONT_get_type() == VYK_MISS) CONT_set_type(VAR_T_FCONT);
    if (const char *format = RES_get("plot_format")) {
        const int type = RAW_parse_format(&st.base, format);
        if (type > 0) st.base.type = type;
    }
    apply_contour_resources();
    RAW_set_attribs(&st.base);
    st.base.hor = hor_of_offset(st.base.x);
    GPH_text_align(st.base.hor, st.base.vert);
    st.cur = st.base;
    return 0;
}

int RAW_plot_param()
{
    int n = 0;
    char **words = nullptr;
    RES_getvals("plot_param", &n, &words);
    for (int k = 0; k < n; k++) apply_param_word(st.base, words[k]);
    free_parsed_array(n, words);
    return 0;
}

int RAW_parse_format(RAW_attribs *set, const char *format)
{
    if (!set || !format) return 0;
    int type = 0;
    int n = 0;
    char **items = nullptr;
    parse_string(format, ':', &n, &items);
    for (int k = 0; k < n; k++) {
        if (!items[k][0]) continue;
        const int t = apply_item(*set, items[k]);
        if (t > 0) type = t;
    }
    free_parsed_array(n, items);
    return type;
}

int RAW_set_attribs(RAW_attribs *set)
{
    if (!set) return -1;
    if (set->attrib.color == VYK_MISS) ATTRIB_get("color_data", "green", &set->attrib);
    const float V = MAP_get_vert();
    GPH_text_attr(nullptr, 1);
    GPH_text_attr(&set->attrib, V * set->scale * TEXT_HEIGHT);
    GPH_text_align(set->hor, set->vert);
    GPH_line_attr(nullptr);
    GPH_line_attr(&set->attrib);
    GPH_mark_attr(nullptr, 1);
    GPH_mark_attr(&set->attrib, set->scale);
    GPH_fill_attr(nullptr);
    GPH_fill_attr(&set->attrib);
    if (set->symbol[0]) WX_symb_file(set->symbol);
    return 0;
}

int RAW_plot_data(RAW_data *datum)
{
    if (!datum) return -1;
    if (FLAG_getplot(PLOT_DATA) <= 0 || FLAG_get(FLAG_PLOT_TYPE) == PLOT_TYPE_NONE) return -1;
    st.cur = st.base;
    if (datum->x != st.last.x || datum->y != st.last.y) {
        st.prev = st.last;
        st.last = {datum->x, datum->y};
    }
    if (st.pending_line) {
        draw_segment(st.prev, st.last);
        st.pending_line = false;
    }
    ATTRIB_update(&st.cur.attrib, &datum->attr);
    if (CONT_get_values(nullptr) > 0 || set(st.cur.intrvl)) {
        const float v = is_wind(datum->type) ? datum->value[1] : datum->value[0];
        Gattribs fill;
        ATTRIB_init(&fill);
        CONT_get_fill_attrib(v, &fill);
        ATTRIB_update(&st.cur.attrib, &fill);
    }
    const float v0 = datum->value[0];
    if (set(st.cur.min) && set(v0) && v0 < st.cur.min) return -1;
    if (set(st.cur.max) && set(v0) && v0 > st.cur.max) return -1;
    const int type = RAW_parse_format(&st.cur, datum->format);
    if (type > 0) datum->type = type;
    // Colour -1 (none, or a value the colour table leaves out) hides the datum.
    if (st.cur.attrib.color == CLR_NONE) return -1;
    RAW_set_attribs(&st.cur);
    const float V = MAP_get_vert();
    const float px = datum->x + st.cur.scale * st.cur.x * V;
    const float py = datum->y + st.cur.scale * st.cur.y * V;
    MESS_print(M_TRACE, "PLOT: %8.3f %8.3f %-5s %-10s %-10s %8.3f\n", datum->x, datum->y,
               VAR_print_type(datum->type), datum->format, datum->data, datum->value[0]);
    draw_datum(datum, px, py, V);
    return 0;
}

char *RAW_data_to_string(const RAW_data *datum, char *text, size_t size)
{
    if (!text || size == 0 || !datum) return text;
    const float v = datum->value[0];
    switch (datum->type) {
    case VAR_T_DATA:
        if (datum->data[0] || !set(v)) strfcpy(text, size, datum->data);
        else format_value(st.cur, v, text, size, nullptr);
        break;
    case VAR_T_TEXT:
    case VAR_T_MARK:
    case VAR_T_CLOUD:
    case VAR_T_SYMB: strfcpy(text, size, datum->data); break;
    case VAR_T_VALUE:
        if (set(v)) format_value(st.cur, v, text, size, nullptr);
        break;
    case VAR_T_INT:
        if (set(v)) format_int(st.cur, v, text, size);
        break;
    case VAR_T_VECT:
    case VAR_T_BARB:
    case VAR_T_WBARB:
    case VAR_T_CBARB:
    case VAR_T_DBARB:
    case VAR_T_VBARB:
        std::snprintf(text, size, "%1.0f-%1.0f", static_cast<double>(v),
                      static_cast<double>(datum->value[1]));
        break;
    default: break;
    }
    return text;
}

RAW_data *RAW_set(RAW_data *raw, float x, float y, int type, const char *format, const char *data,
                  const float *value)
{
    if (!raw) return raw;
    RAW_data_init(raw);
    raw->x = x;
    raw->y = y;
    raw->type = type;
    strfcpy(raw->format, format);
    strfcpy(raw->data, data);
    if (value) {
        raw->value[0] = value[0];
        raw->value[1] = value[1];
    }
    return raw;
}

int RAW_print(M_type level, const RAW_data *datum)
{
    if (!datum) return -1;
    MESS_print(level, "Location: %f %f\n", datum->x, datum->y);
    MESS_print(level, "Type: %d\n", datum->type);
    MESS_print(level, "Format: %s\n", datum->format);
    MESS_print(level, "Data: %s\n", datum->data);
    MESS_print(level, "Value: %f\n", datum->value[0]);
    return 0;
}

int RAW_data_init(RAW_data *datum)
{
    if (!datum) return -1;
    datum->x = datum->y = MISS;
    datum->format[0] = '\0';
    ATTRIB_init(&datum->attr);
    return RAW_data_init_val(datum);
}

int RAW_data_init_val(RAW_data *datum)
{
    if (!datum) return -1;
    datum->value[0] = datum->value[1] = MISS;
    datum->data[0] = '\0';
    return 0;
}

int RAW_set_intrvl(float intrvl)
{
    st.base.intrvl = intrvl;
    return 0;
}

float RAW_get_intrvl() { return st.base.intrvl; }

int RAW_set_range(float max, float min)
{
    st.base.max = max;
    st.base.min = min;
    return 0;
}

int RAW_get_range(float *max, float *min)
{
    if (max) *max = st.base.max;
    if (min) *min = st.base.min;
    return 0;
}

int RAW_set_marker(int marker)
{
    st.base.marker = marker;
    return 0;
}

int RAW_set_attr(const Gattribs *attrib)
{
    if (attrib) ATTRIB_update(&st.cur.attrib, attrib);
    return 0;
}

int RAW_set_scale(float scale)
{
    st.cur.scale = scale;
    return 0;
}

float RAW_get_scale() { return st.cur.scale; }

int RAW_set_off(float x, float y)
{
    st.cur.x = x;
    st.cur.y = y;
    return 0;
}

int RAW_set_format(const char *format)
{
    st.cur.format[0] = '\0';
    if (format) set_field(st.cur.format, format, "format", "RAW_set_format");
    return 0;
}

const char *RAW_get_format() { return st.cur.format; }

int RAW_forget_last()
{
    st.last = {MISS, MISS};
    return 0;
}

int RAW_get_skip() { return st.cur.skip; }

int RAW_base_format(const char *format)
{
    const int type = RAW_parse_format(&st.base, format);
    if (type > 0) st.base.type = type;
    return st.base.type;
}
