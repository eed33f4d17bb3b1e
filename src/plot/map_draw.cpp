// The background map: the plot window of the current domain, map lists and their items drawn
// in passes, the latitude-longitude line settings and range circles.
//
// Every name in a map list, whether typed by the user or read from a map list file, is opened
// as a plain file found on its path resource: never as a command, never as a standard stream.
#include "map_internal.h"
#include "vyk.h"
#include "gks.h"
#include "dom.h"
#include "plt_frame.h"
#include "vykgks.h"
#include "img.h"
#include "map.h"
#include "map_draw.h"
#include "vykrawplot.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

/// Region-block states of the list being drawn.
enum {
    REG_ENDED = -1,    // after a matching block's section
    REG_SKIP = 0,      // in the section of a block that does not match
    REG_START = 1,     // before the first block
    REG_MATCHED = 2,   // in the section of a matching block
};

/// Size of a region block that gives none: every plot.
constexpr float REGION_ANY_SIZE = 1000.0f;
/// Longest word of a map list file, and longest image background colour.
constexpr size_t LIST_WORD_MAX = MAP_LIST_MAX;
constexpr size_t IMAGE_COLOUR_MAX = CLR_NAME_MAX;

struct MapDraw {
    char map_name[MAP_LIST_MAX + 1] = "";  // the list when map_file is not set
    char format[MAP_FORMAT_MAX + 1] = "";  // attributes of map files whose item has none
    float latln = 0.0f, lonln = 0.0f;      // line intervals after the items (0: none)
    int dot = 0, extra = 0;                // cross grid and extra labels, whole degrees
    int over = 0;                          // pass mask of the current MAP_draw
    int reg_found = REG_START;
    int fill_cont = 0;                     // contours are being filled
    bool fill = false;                     // the map file being drawn is filled
};

MapDraw st;

bool is_map_kind(int proj) { return proj >= DOM_PSTEREO && proj <= DOM_SAT; }

/// The full name of name on the path resource res.
std::string find_plain(const char *res, const char *name)
{
    char full[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get(res), name, full);
    return full;
}

FILE *open_plain(const std::string &full)
{
    return FILE_is_file(full.c_str()) ? std::fopen(full.c_str(), "r") : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Passes, region blocks and size tests
// ---------------------------------------------------------------------------------------------

/// The item past its pass prefix, or nullptr when the current pass does not draw it.
const char *pass_item(const char *str)
{
    if (str[0] == '-') return st.over & MAP_PASS_MINUS ? str + 1 : nullptr;
    if (str[0] == '+') return st.over & MAP_PASS_PLUS ? str + 1 : nullptr;
    return st.over & MAP_PASS_PLAIN ? str : nullptr;
}

/// Up to max numbers separated by ',' after the '[' of a region block; their count.
int block_numbers(const char *p, float *v, int max)
{
    int n = 0;
    p++;
    while (n < max) {
        char *end;
        const double x = std::strtod(p, &end);
        if (end == p || !std::isfinite(x)) break;
        v[n++] = static_cast<float>(x);
        if (*end != ',') break;
        p = end + 1;
    }
    return n;
}

void region_block(const char *p)
{
    // A block that comes in a matching block's section ends it, untested.
    if (st.reg_found == REG_MATCHED) {
        st.reg_found = REG_ENDED;
        return;
    }
    float v[5];
    const int n = block_numbers(p, v, 5);
    bool match = true;
    if (n > 3) {
        const float size = n == 5 ? v[4] : REGION_ANY_SIZE;
        const float lat1 = std::fmin(v[0], v[1]), lat2 = std::fmax(v[0], v[1]);
        const float lon1 = std::fmin(v[2], v[3]), lon2 = std::fmax(v[2], v[3]);
        const float clat = MAP_get_clat(), clon = MAP_get_clon();
        match = clat >= lat1 && clat <= lat2 && clon >= lon1 && clon <= lon2 &&
                MAP_get_vert() <= size;
    }
    if (match) st.reg_found = REG_MATCHED;
    else if (st.reg_found == REG_START) st.reg_found = REG_SKIP;
}

/// A number of a size test at p; false when there is none.
bool size_number(const char *&p, float &v)
{
    char *end;
    const double x = std::strtod(p, &end);
    if (end == p || !std::isfinite(x)) return false;
    v = static_cast<float>(x);
    p = end;
    return true;
}

/// The size tests, in their fixed order: s+N: then >N: or >N<M:, then s-N:, then <N: or <N>M:,
/// then s+N: and >N: once more.  Moves p past them; draw becomes false when a test fails.
/// False for a test that is not a number followed by ':'.
bool size_tests(const char *&p, bool &draw)
{
    const float v = MAP_get_vert();
    draw = true;
    enum Test { AT_LEAST, ABOVE, AT_MOST, BELOW };
    static const Test order[] = {AT_LEAST, ABOVE, AT_MOST, BELOW, AT_LEAST, ABOVE};
    for (const Test t : order) {
        const char *q = p;
        const bool words = t == AT_LEAST || t == AT_MOST;
        if (words) {
            if (std::strncmp(q, t == AT_LEAST ? "s+" : "s-", 2) != 0) continue;
            q += 2;
        } else {
            if (*q != (t == ABOVE ? '>' : '<')) continue;
            q++;
        }
        float n, m = 0;
        if (!size_number(q, n)) return false;
        bool second = false;
        if (!words && *q == (t == ABOVE ? '<' : '>')) {
            q++;
            if (!size_number(q, m)) return false;
            second = true;
        }
        if (*q != ':') return false;
        p = q + 1;
        switch (t) {
        case AT_LEAST: draw = draw && !(n > v); break;
        case AT_MOST: draw = draw && !(v > n); break;
        case ABOVE: draw = draw && !(n > v) && !(second && v > m); break;
        case BELOW: draw = draw && !(v > n) && !(second && m > v); break;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The items
// ---------------------------------------------------------------------------------------------

/// "im:" and "if:": name[:colour[:x:y]] or name::x:y; a name that is no regular file is refused.
int image_item(const char *rest, bool whole_display)
{
    std::string name = rest;
    char colour[IMAGE_COLOUR_MAX + 1] = "";
    int x = 0, y = 0;
    const size_t colon = name.find(':');
    if (colon != std::string::npos) {
        const char *opts = rest + colon;
        if (std::strncmp(opts, "::", 2) == 0) {
            std::sscanf(opts, "::%d:%d", &x, &y);
        } else {
            const char *end = std::strchr(opts + 1, ':');
            const size_t len = end ? static_cast<size_t>(end - opts - 1) : std::strlen(opts + 1);
            if (len > IMAGE_COLOUR_MAX) {
                MESS_print(M_WARN, "MAP_process: Image background colour too long: %s\n", rest);
                return -1;
            }
            strfcpy(colour, opts + 1, len);
            if (end) std::sscanf(end, ":%d:%d", &x, &y);
        }
        name.resize(colon);
    }
    const std::string full = find_plain("image_path", name.c_str());
    if (!FILE_is_file(full.c_str())) {
        MESS_print(M_WARN, "MAP_process: Image file not found: %s\n", full.c_str());
        return -1;
    }
    PLT_mess("Map-image: %s", full.c_str());
    if (whole_display) GPH_trans(1);
    goverlay_image_file(full.c_str(), colour[0] ? colour : nullptr, x, y);
    if (whole_display) GPH_trans(2);
    return 0;
}

int rawfile_item(const char *rest)
{
    const std::string full = find_plain("file_path", rest);
    PLT_mess("Map-rawfile: %s", full.c_str());
    RAW_plot_file(full.c_str(), 0);
    return 0;
}

/// Whether latitude-longitude lines and diagram grids are drawn: the grid plot-component switch.
bool grid_on() { return FLAG_getplot(PLOT_GRID) != 0; }

/// The attributes of latitude-longitude lines: own when given, else the color_line resource
/// and its default; sets the line and text attributes.  False when the colour is -1.
bool line_attribs(const char *own)
{
    const bool map = is_map_kind(MAP_get_proj());
    Gattribs attr;
    ATTRIB_init(&attr);
    if (map) attr.style = 4;
    if (own && own[0]) ATTRIB_parse(own, &attr);
    else ATTRIB_get("color_line", map ? "magenta:s4" : "red", &attr);
    if (attr.color == CLR_NONE) return false;
    GPH_line_attr(&attr);
    GPH_text_attr(&attr, map ? 0.018f * MAP_get_vert() : 0.015f);
    return true;
}

/// "lalo:N", "lalo:N:M", "lalo:N:attr", "lalo:N:M:attr"; args is the text after "lalo:".
int lalo_item(const char *args)
{
    float lat = 5.0f;
    const char *p = args;
    char *end;
    double v = std::strtod(p, &end);
    if (end != p) {
        lat = static_cast<float>(v);
        p = end;
    }
    float lon = lat;
    if (*p == ':') {
        v = std::strtod(p + 1, &end);
        if (end != p + 1) {
            lon = static_cast<float>(v);
            p = end;
        }
    }
    PLT_mess("Map-lalo: %.1f,%.1f", static_cast<double>(lat), static_cast<double>(lon));
    if (grid_on() && line_attribs(*p == ':' ? p + 1 : nullptr)) MAP_lines(lat, lon);
    return 0;
}

/// The attributes of a map-file item: its own, else format, else the map colour resources.
Gattribs file_attribs(const char *own)
{
    Gattribs attr;
    ATTRIB_init(&attr);
    if (own && own[0]) ATTRIB_parse(own, &attr);
    else if (st.format[0]) ATTRIB_parse(st.format, &attr);
    else if (st.fill_cont) ATTRIB_get("color_cmap", "black", &attr);
    else ATTRIB_get("color_map", "red", &attr);
    return attr;
}

int map_file_item(const char *item, const char *whole)
{
    GPH_line_attr(nullptr);
    GPH_fill_attr(nullptr);
    PLT_mess("Map: %s", whole);
    std::string name = item;
    const size_t colon = name.find(':');
    const char *own = colon == std::string::npos ? nullptr : item + colon + 1;
    if (colon != std::string::npos) name.resize(colon);
    // Geographic map files have nothing to draw on a diagram: not even opened.
    if (!is_map_kind(MAP_get_proj())) return -1;
    const Gattribs attr = file_attribs(own);
    GPH_line_attr(&attr);
    st.fill = attr.fill_pat != VYK_MISS;
    if (st.fill) GPH_fill_attr(&attr);
    const std::string full = find_plain("file_path", name.c_str());
    FILE *fp = open_plain(full);
    if (!fp) {
        MESS_print(M_WARN, "MAP_process: Map file not found: %s\n", full.c_str());
        return -1;
    }
    if (attr.color != CLR_NONE) MAP_map(fp);
    std::fclose(fp);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Lists
// ---------------------------------------------------------------------------------------------

/// The list of this pass: map_file, else map_name, else a default for the current domain
/// (kept in map_name).
std::string current_list()
{
    const char *res = RES_get("map_file");
    if (res && res[0]) {
        MAP_file(res);
        return res;
    }
    if (!st.map_name[0]) {
        const float clat = MAP_get_clat(), clon = MAP_get_clon();
        const bool america = clat > 25 && clat < 80 && clon > -160 && clon < -65;
        MAP_file(america && MAP_get_vert() < 75 ? "vyk.map" : "cont.map,country.map");
    }
    return st.map_name;
}

/// The items of a list: split at ',' outside region blocks' brackets.
std::vector<std::string> split_list(const std::string &list)
{
    std::vector<std::string> items;
    std::string cur;
    int depth = 0;
    for (const char c : list) {
        if (c == '[') depth++;
        else if (c == ']' && depth > 0) depth--;
        if (c == ',' && depth == 0) {
            items.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    items.push_back(cur);
    return items;
}

/// The words of a map list file, each drawn as an item.
void draw_list_file(const char *name)
{
    const std::string full = find_plain("file_path", name);
    FILE *fp = open_plain(full);
    if (!fp) {
        MESS_print(M_WARN, "MAP_draw: Unable to open map list file: %s\n", full.c_str());
        return;
    }
    std::string word;
    bool too_long = false;
    const auto flush = [&]() {
        if (too_long) {
            MESS_print(M_WARN, "MAP_draw: Item longer than %zu characters in %s\n",
                       LIST_WORD_MAX, full.c_str());
        } else if (!word.empty()) {
            if (strnicmp(word.c_str(), "fi:", 3) == 0)
                MESS_print(M_WARN, "MAP_draw: Map list files do not nest: %s\n", word.c_str());
            else
                MAP_process(word.c_str());
        }
        word.clear();
        too_long = false;
    };
    for (int c; (c = std::fgetc(fp)) != EOF;) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0') {
            flush();
        } else if (word.size() < LIST_WORD_MAX) {
            word += static_cast<char>(c);
        } else {
            too_long = true;
        }
    }
    flush();
    std::fclose(fp);
}

}  // namespace

namespace vykmap {

bool map_fill_items() { return st.fill; }
int map_dot_interval() { return st.dot; }
int map_extra_interval() { return st.extra; }

}  // namespace vykmap

int MAP_setup(const Domain *domain)
{
    if (domain == nullptr) return -1;
    MAP_domain(domain);
    MAP_limits lim;
    MAP_get_limits(&lim);
    const Glim win = {lim.x_min, lim.x_max, lim.y_min, lim.y_max};
    GPH_win(2, &win);
    GPH_trans(2);
    return 0;
}

int MAP_draw(int flag)
{
    if (FLAG_getplot(PLOT_MAP) == 0) return 0;
    st.over = flag;
    GPH_trans(2);
    GPH_line_attr(nullptr);
    GPH_text_font(nullptr);
    const std::string list = current_list();
    st.reg_found = REG_START;
    for (const std::string &item : split_list(list)) {
        if (strnicmp(item.c_str(), "fi:", 3) == 0) draw_list_file(item.c_str() + 3);
        else MAP_process(item.c_str());
    }
    if (st.latln > 0 && grid_on() && line_attribs(nullptr)) MAP_lines(st.latln, st.lonln);
    return 0;
}

int MAP_process(const char *str)
{
    if (str == nullptr || str[0] == '\0') return -1;
    const char *p = pass_item(str);
    if (p == nullptr) return -1;
    if (p[0] == '[') {
        region_block(p);
        return -1;
    }
    if (st.reg_found <= REG_SKIP) return -1;
    bool draw = true;
    if (!size_tests(p, draw)) {
        MESS_print(M_WARN, "MAP_process: A size test needs a number and ':': %s\n", str);
        return -1;
    }
    if (!draw || p[0] == '\0') return -1;
    if (strnicmp(p, "im:", 3) == 0) return image_item(p + 3, false);
    if (strnicmp(p, "if:", 3) == 0) return image_item(p + 3, true);
    if (strnicmp(p, "mf:", 3) == 0) {
        if (!FILE_is_file(p + 3)) {
            MESS_print(M_WARN, "MAP_process: Metafile not found: %s\n", p + 3);
            return -1;
        }
        PLT_mess("Map-metafile: %s", p + 3);
        gread_metafile(p + 3);
        return 0;
    }
    if (strnicmp(p, "rf:", 3) == 0) return rawfile_item(p + 3);
    if (strnicmp(p, "lalo", 4) == 0) return lalo_item(std::strlen(p) > 5 ? p + 5 : "");
    return map_file_item(p, str);
}

int MAP_file(const char *file)
{
    strfcpy(st.map_name, file ? file : "");
    return 0;
}

int MAP_set_format(const char *str)
{
    strfcpy(st.format, str ? str : "");
    return 0;
}

int MAP_fill_cont(int value)
{
    st.fill_cont = value;
    return 0;
}

int MAP_latlon(float lat, float lon, int dt, int ex)
{
    st.latln = lat;
    st.lonln = lon;
    st.dot = dt;
    st.extra = ex;
    return 0;
}

int MAP_get_latlon(float *lat, float *lon)
{
    if (lat) *lat = st.latln;
    if (lon) *lon = st.lonln;
    return 0;
}

int MAP_get_window(Glim *wind)
{
    if (wind == nullptr) return -1;
    GPH_get_win(2, wind);
    return 0;
}

float MAP_get_vert()
{
    Glim w;
    GPH_get_win(2, &w);
    return w.y_max - w.y_min;
}

float MAP_get_hor()
{
    Glim w;
    GPH_get_win(2, &w);
    return w.x_max - w.x_min;
}

int MAP_draw_circle(float x, float y, float rad)
{
    constexpr int POINTS = 49;
    std::vector<Gpt> piece;
    // A point the projection hides breaks the circle instead of joining it across the plot.
    for (int i = 0; i < POINTS; i++) {
        float px, py;
        MAP_offset(x, y, 7.5f * static_cast<float>(i), rad, &px, &py);
        if (VYK_is_miss(px) || VYK_is_miss(py)) {
            if (piece.size() >= 2) gpolyline(static_cast<Gint>(piece.size()), piece.data());
            piece.clear();
            continue;
        }
        piece.push_back({px, py});
    }
    if (piece.size() >= 2) gpolyline(static_cast<Gint>(piece.size()), piece.data());
    return 0;
}
