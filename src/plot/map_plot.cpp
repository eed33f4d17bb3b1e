// The plot routine of the map-plotting program: the background map of a domain with the items
// of the `filename` resource drawn over it in order (plot labels, texts, markers, range circles,
// map passes, point-data files and metafiles), the stations when only labels are given, and a
// colour bar.  It is its own zoom and resize function: the plot frame calls it again with the
// domain to show, and it then resets the open plot instead of opening one.
//
// Items are the user's text: every field read from one is bounded by its buffer.
#include "gks.h"
#include "vyk.h"
#include "cont.h"
#include "cty.h"
#include "dom.h"
#include "plt_frame.h"
#include "vykgacc.h"
#include "vykgks.h"
#include "plt_label.h"
#include "map.h"
#include "map_draw.h"
#include "map_plot.h"
#include "vykrawplot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr M_type M_CORNERS = M_OUT4;      // the corners of the plot
constexpr float TEXT_HEIGHT = 0.018f;     // texts, fractions of the plot height
constexpr float KM_PER_NM = 1.852f;       // range circles are given in nautical miles
constexpr int ITEM_TEXT_MAX = 255;        // the text of an xy:, text: or mark: item
constexpr int FIRST_DATA_TYPE = 10;       // plot types that grid point data:
constexpr int LAST_DATA_TYPE = 23;        //   grids, contours and vectors
constexpr int FILL_TYPE = 15;             // colour fill (the bar's contour type)

/// Plot labels: the item prefix and the label it writes.
struct LabelForm {
    const char *prefix;
    int (*write)(const char *);
};
constexpr LabelForm LABEL_FORMS[] = {
    {"ul:", PLT_label_up_left},   {"uc:", PLT_label_up_center}, {"ur:", PLT_label_up_right},
    {"ll:", PLT_label_low_left},  {"lc:", PLT_label_low_center}, {"lr:", PLT_label_low_right},
};

/// Diagram kinds with view offsets of their own: kind, offsets (left, right, bottom, top) and the
/// aspect ratio (0: the domain's).
struct DiagramView {
    int kind;
    float xn, xx, yn, yx;
    float aspect;
};
constexpr DiagramView DIAGRAM_VIEWS[] = {
    {40, 0.05f, 0.04f, 0.05f, 0.04f, 1.1f},
    {41, 0.05f, 0.04f, 0.05f, 0.04f, 1.1f},
    {DOM_XLOGP, 0.06f, 0.05f, 0.05f, 0.035f, 1.5f},
    {DOM_CAT, 0.06f, 0.05f, 0.05f, 0.035f, 0.0f},
};

/// What the items of one call share.
struct Plot {
    Gattribs attr;      // texts, markers and range circles
    float scale = 1;    // text scale
    bool bar = false;   // the colour bar is drawn
    Domain *domain = nullptr;
};

const LabelForm *label_form(const char *item)
{
    for (const LabelForm &f : LABEL_FORMS)
        if (strnicmp(item, f.prefix, 3) == 0) return &f;
    return nullptr;
}

/// The text after a keyed prefix ("xy:"), or nullptr when item does not begin with it.
const char *after(const char *item, const char *key)
{
    const size_t n = std::strlen(key);
    return strnicmp(item, key, static_cast<int>(n)) == 0 ? item + n : nullptr;
}

bool finite(float a, float b) { return std::isfinite(a) && std::isfinite(b); }

/// Reads "a:b:text" (the text at most ITEM_TEXT_MAX characters, cut there): true when the two
/// numbers and a text are there.
bool read_pair_text(const char *rest, float &a, float &b, char (&text)[ITEM_TEXT_MAX + 1])
{
    text[0] = '\0';
    return std::sscanf(rest, "%f:%f:%255[^\n]", &a, &b, text) == 3 && finite(a, b);
}

void bad_item(const char *item)
{
    MESS_print(M_WARN, "MAP_plot: Unable to read item: %.80s\n", item);
}

/// The aspect ratio of a plot opened for domain; diagram kinds get their view offsets.
float open_aspect(Domain *domain)
{
    float aspect = DOM_aspect(domain);
    for (const DiagramView &v : DIAGRAM_VIEWS) {
        if (domain->proj != v.kind) continue;
        PLT_set_view_offsets(v.xn, v.xx, v.yn, v.yx);
        if (v.aspect > 0) aspect = v.aspect;
    }
    return aspect;
}

void report_corners()
{
    MAP_limits lim;
    MAP_get_limits(&lim);
    const struct {
        const char *format;
        float x, y;
    } corners[] = {
        {"Up  Left: %8.3f,%8.3f Lat: %8.3f Lon: %8.3f\n", lim.x_min, lim.y_max},
        {"Up  Rght: %8.3f,%8.3f Lat: %8.3f Lon: %8.3f\n", lim.x_max, lim.y_max},
        {"Low Left: %8.3f,%8.3f Lat: %8.3f Lon: %8.3f\n", lim.x_min, lim.y_min},
        {"Low Rght: %8.3f,%8.3f Lat: %8.3f Lon: %8.3f\n", lim.x_max, lim.y_min},
    };
    for (const auto &c : corners) {
        float lat = VYK_MISS, lon = VYK_MISS;
        MAP_untran(c.x, c.y, &lat, &lon);
        MESS_print(M_CORNERS, c.format, c.x, c.y, lat, lon);
    }
}

/// A text at plot position (x, y).
void write_text(const Plot &p, float x, float y, const char *text)
{
    if (x == VYK_MISS || y == VYK_MISS) return;
    GPH_text_attr(nullptr, 1);
    GPH_text_attr(&p.attr, TEXT_HEIGHT * MAP_get_vert() * p.scale);
    GPH_printf(x, y, "%s", text);
}

/// The plot position of (lat, lon): false when the map does not show it.
bool position(float lat, float lon, float &x, float &y)
{
    return MAP_tran(lat, lon, &x, &y) == 1 && x != VYK_MISS && y != VYK_MISS;
}

void mark_item(const Plot &p, const char *item, const char *rest)
{
    float lat, lon, x, y;
    char word[ITEM_TEXT_MAX + 1];
    if (!read_pair_text(rest, lat, lon, word)) return bad_item(item);
    const int type = MAP_mark_type(word);
    if (type <= 0) {
        MESS_print(M_WARN, "MAP_plot: Unknown marker: %.40s\n", word);
        return;
    }
    if (!position(lat, lon, x, y)) return;
    GPH_mark_attr(nullptr, 1);
    GPH_mark_attr(&p.attr, 1);
    gset_marker_type(type);
    GPH_mark(x, y);
}

void range_item(const Plot &p, const char *item, const char *rest)
{
    float lat, lon, r, x, y;
    if (std::sscanf(rest, "%f:%f:%f", &lat, &lon, &r) != 3 || !finite(lat, lon) ||
        !std::isfinite(r))
        return bad_item(item);
    if (!position(lat, lon, x, y)) return;
    GPH_line_attr(nullptr);
    GPH_line_attr(&p.attr);
    MAP_draw_circle(x, y, r == VYK_MISS ? r : r * KM_PER_NM);
}

/// Grids a point-data file into grid slot 0 and contours it.
void grid_item(const Plot &p, const char *item)
{
    RAW_grid_file(item, 1);
    GRD_report *grid = GRD_get_grid(0);
    CONT_plot_setup(0, 0, grid, p.domain, MAP_callback);
    CONT_draw(grid);
}

/// A data file: a metafile is replayed, anything else plotted as point data.
void file_item(const char *item)
{
    if (FILE_is_stdio(item)) {
        RAW_plot_file(item, 1);
        return;
    }
    std::string name = item;
    const size_t colon = name.find(':');
    if (colon != std::string::npos) name.resize(colon);
    char full[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("raw_path"), name.c_str(), full);
    const int kind = FILE_type(full);
    if (kind == FILE_TYPE_META) {
        gread_metafile(full);
        return;
    }
    if (kind != FILE_TYPE_RAW) MESS_print(M_WARN, "File may not be in raw format, trying anyway!\n");
    RAW_plot_file(item, 1);
}

void draw_bar()
{
    GPH_trans(1);
    CONT_draw_bar(1, "");
    GPH_trans(2);
}

/// One item of `filename`.
void plot_item(Plot &p, const char *item)
{
    float a, b, x, y;
    char text[ITEM_TEXT_MAX + 1];
    if (const LabelForm *f = label_form(item)) {
        char label[PLT_FORMAT_LEN];
        PLT_label_format(item + 3, label, sizeof label);
        f->write(label);
    } else if (const char *rest = after(item, "xy:")) {
        if (!read_pair_text(rest, a, b, text)) return bad_item(item);
        write_text(p, a, b, text);
    } else if ((rest = after(item, "text:"))) {
        if (!read_pair_text(rest, a, b, text)) return bad_item(item);
        if (position(a, b, x, y)) write_text(p, x, y, text);
    } else if ((rest = after(item, "mark:"))) {
        mark_item(p, item, rest);
    } else if ((rest = after(item, "range:"))) {
        range_item(p, item, rest);
    } else if (stricmp(item, "map") == 0) {
        MAP_draw(MAP_PASS_PLAIN);
    } else {
        const long type = FLAG_get(FLAG_PLOT_TYPE);
        if (type >= FIRST_DATA_TYPE && type <= LAST_DATA_TYPE) grid_item(p, item);
        else file_item(item);
    }
}

}  // namespace

int MAP_plot(Domain *domain)
{
    if (!domain) return 0;
    const float aspect = gchk_graphics() ? DOM_aspect(domain) : open_aspect(domain);
    Plot p;
    const auto draw = [domain, &p](bool) {
        MAP_setup(domain);
        report_corners();
        MAP_draw(MAP_PASS_MINUS | MAP_PASS_PLAIN);

        int n = 0;
        char **items = nullptr;
        n = RES_getvals("filename", &n, &items);
        bool data = false;
        for (int k = 0; k < n; k++) data = data || !label_form(items[k]);
        if (!data && (RES_get("stat_prior") || RES_get("identifier"))) CTY_plot();

        p.domain = domain;
        ATTRIB_init(&p.attr);
        ATTRIB_get("color_data", "green", &p.attr);
        if (!RES_getval("plot_scale", &p.scale, CV_float) || !(p.scale > 0)) p.scale = 1;
        for (int k = 0; k < n; k++) {
            plot_item(p, items[k]);
            float max, min;
            RAW_get_range(&max, &min);
            CONT_set_range(max, min);
            if (!p.bar && CONT_get_bar() > 0) {
                draw_bar();
                p.bar = true;
            }
        }
        free_parsed_array(n, items);

        MAP_draw(MAP_PASS_PLUS);
    };
    const auto bar = [&p] {
        if (!p.bar && CONT_get_bar() > 0) {
            CONT_set_type(FILL_TYPE);
            CONT_set_fill_colors(nullptr, 0);
            draw_bar();
        }
    };
    return PLT_run(aspect, {.name = "MAP_plot", .callback = MAP_callback, .replot = MAP_plot,
                            .draw = draw, .over_labels = bar});
}

void MAP_callback(int, const char *event, float x, float y)
{
    if (!event) return;
    PLT_print_values(event, x, y);
    PLT_plot_zoom(event, x, y);
    PLT_plot_resize(event, x, y);
}
