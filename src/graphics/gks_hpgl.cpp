// HP-GL/2 output: one plot as an HP-GL/2 program for pen plotters, by default wrapped in the PCL
// sequences that switch a PCL printer into HP-GL/2 and back.
//
// Coordinates are plotter units (1015 to the inch on the drawing area) with the y axis upward,
// as the kernel's workstation transformation gives them.  Lines are black, white or grey by pen
// number only; fills are shaded from the PostScript driver's grey table.  Pen width, shade, fill
// shade and line type are written only when they change.
#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int GRAY_SIZE = 257;  // colour indices 0 to 255 and 256, the background

FILE *out_file = nullptr;  // the open output
int append = 0;            // 1 when opened for appending
long out_start = -1;       // where the output began (FILE_output_start)

// The page: its framing and what was last written; every page starts afresh.
struct Page {
    int pcl = 1;           // PCL framing: 0 none, 1 PCL, 2 PCL with a 90-degree rotation
    float gray_level = 0;  // line shade last written: 0 black, 1 white, 0.7 grey
    // A new page starts with the solid fill of the plotter's default; a shade remembered from
    // an earlier output would leave the first fill of that shade unwritten.
    float fill_level = 0;  // fill grey level last written (1 white)
    float line_width = 1;  // width multiplier last written
    float line_type = 1;   // line type last written
    int col_ind = -1;      // colour index cache (stored only)
} page;

// The settings of the output, kept from one output to the next.
struct Settings {
    int rot = 0;             // plot rotation in degrees
    float base_width = 0.2f; // base pen width in millimetres
    float scale = 1;         // scale factor (stored only)
    int color = 0;           // colour flag (stored only)
    int rev = 0;             // reverse flag (stored only)
} cfg;

float gray[GRAY_SIZE];  // the driver's own grey table (stored only)

constexpr float GREY_PEN = 0.7f;

void write(const char *text)
{
    if (out_file) std::fputs(text, out_file);
}

void pen(const char *cmd, float x, float y)
{
    if (out_file) std::fprintf(out_file, "%s%.0f,%.0f;", cmd, x, y);
}

}  // namespace

int ghpgl_init()
{
    page = Page{};
    return 0;
}

FILE *ghpgl_open_file(const char *name)
{
    if (!name) return nullptr;
    if (out_file) {  // an output left open is finished first, never leaked
        FILE_close(out_file);
        out_file = nullptr;
    }
    append = 0;
    if (name[0] == '|') {
        // A print command the user typed.
        MESS_print(M_MESS, "Spooling to: %s\n", name + 1);
        out_file = FILE_open(name, "w");
    } else if (name[0] == '+') {
        MESS_print(M_MESS, "Appending to: %s\n", name + 1);
        out_file = FILE_open(name + 1, "a");
        append = 1;
    } else {
        MESS_print(M_MESS, "Creating: %s\n", name);
        out_file = FILE_open(name, "w");
    }
    out_start = FILE_output_start(out_file, append);
    if (std::getenv("PSCOLOR")) cfg.color = 1;
    return out_file;
}

int ghpgl_set_pcl(int val)
{
    page.pcl = val;
    return 0;
}

int ghpgl_set_rotate(int val)
{
    cfg.rot = val;
    return 0;
}

// A keyword given without its number arrives as 0: a scale or pen width must be a positive
// number to replace the current one.
int ghpgl_set_scale(float val)
{
    if (val > 0 && std::isfinite(val)) cfg.scale = val;
    return 0;
}

int ghpgl_set_base_width(float val)
{
    if (val > 0 && std::isfinite(val)) cfg.base_width = val;
    return 0;
}

int ghpgl_init_file()
{
    if (!out_file) return 0;
    if (!append) {
        // Printer reset, enter HP-GL/2, landscape page.
        if (page.pcl != 0) write("\033E\033%1B\033&l1O\n");
        write("IN;SP1;PA;\n");
        if (page.pcl == 2) write("RO90;\n");
        if (cfg.rot == 90) write("RO90;\n");
        else if (cfg.rot == 180) write("RO180;\n");
        else if (cfg.rot == 270) write("RO270;\n");
    }
    std::fprintf(out_file, "PW%.1f;SV;LT;\n", cfg.base_width);
    return 0;
}

int ghpgl_close_file()
{
    if (!out_file) return -1;
    if (!append) {
        write("SP;PG;");
        if (page.pcl != 0) write("\033%0A\033E");  // back to PCL, reset
    }
    // A file that could not be written whole is removed (or cut back to what it held).
    const bool failed = FILE_close_output(out_file, out_start, 0) != 0;
    out_file = nullptr;
    if (failed) {
        MESS_print(M_WARN, "ghpgl_close_file: unable to write the HPGL file\n");
        return -1;
    }
    MESS_print(M_MESS, "Created HPGL file\n");
    return 0;
}

int ghpgl_printf(const char *mess, ...)
{
    if (!out_file || !mess) return 0;
    va_list args;
    va_start(args, mess);
    std::vfprintf(out_file, mess, args);
    va_end(args);
    return 0;
}

int ghpgl_set_color_rep(int ind, float red, float green, float blue)
{
    if (ind == -1) ind = GRAY_SIZE - 1;
    if (ind < 0 || ind >= GRAY_SIZE) return 0;  // no such entry: nothing stored
    const double level = (0.9 * red + green + 0.8 * blue) / 2.7;
    gray[ind] = static_cast<float>(cfg.rev ? 1 - level : level);
    return 0;
}

int ghpgl_set_color(int color)
{
    page.col_ind = color;
    const char *cmd = "SV;";
    float level = 0;
    if (color >= 503 && color <= 505) {
        cmd = "SV1,0;";
        level = 1;
    } else if (color >= 506 && color <= 508) {
        cmd = "SV1,30;";
        level = GREY_PEN;
    }
    if (level != page.gray_level) {
        write(cmd);
        page.gray_level = level;
    }
    return 0;
}

int ghpgl_set_fill_color(int color)
{
    if (gget_fill_print_solid()) {
        write("FT1;");
        page.fill_level = 0;
    } else if (color == -1) {
        if (page.fill_level != 1) write("FT10,0;");
        page.fill_level = 1;
    } else {
        const float g = gps_get_gray(color);
        if (g != page.fill_level) {
            if (out_file) std::fprintf(out_file, "FT10,%.0f;", 100.0 - 100.0 * g);
            page.fill_level = g;
        }
    }
    return 0;
}

int ghpgl_set_width(int color, float width)
{
    if (width == 0) width = 1;
    float mult;
    if (color == 501 || color == 504 || color == 507) mult = 2;
    else if (color == 502 || color == 505 || color == 508) mult = 4;
    else mult = static_cast<float>(gget_line_print_bold());
    const float remembered = mult * width;
    if (remembered != page.line_width) {
        if (out_file) std::fprintf(out_file, "PW%.1f;", cfg.base_width * mult * width);
        page.line_width = remembered;
    }
    return 0;
}

int ghpgl_set_type(int type)
{
    static constexpr const char *pattern[] = {"LT;", "LT2,5,1;", "LT5,8,1;", "LT6,10,1;",
                                              "LT2,1,1;"};
    if (static_cast<float>(type) == page.line_type) return 0;
    page.line_type = static_cast<float>(type);
    if (type >= 1 && type <= 5) write(pattern[type - 1]);
    return 0;
}

int ghpgl_move(float x, float y)
{
    pen("PU", xW_ps(x), yW_ps(y));
    return 0;
}

int ghpgl_line(float x, float y)
{
    pen("PD", xW_ps(x), yW_ps(y));
    return 0;
}

int ghpgl_move_abs(float x, float y)
{
    pen("PU", x, y);
    return 0;
}

int ghpgl_line_abs(float x, float y)
{
    pen("PD", x, y);
    return 0;
}

int ghpgl_set_colorPS(int val)
{
    cfg.color = val;
    return 1;
}

int ghpgl_set_reverse(int val)
{
    cfg.rev = val;
    return 1;
}

int ghpgl_get_colorPS() { return cfg.color; }

// ---------------------------------------------------------------------------------------------
// The back end
// ---------------------------------------------------------------------------------------------

namespace {

// The options of the connection and of vykhp_param (a roll only from vykhp_param); paper sizes
// and rolls set the page.
void apply_option(const char *item, bool from_env, float &width, float &height)
{
    double value;
    if (stricmp(item, "pcl") == 0) ghpgl_set_pcl(1);
    else if (stricmp(item, "nopcl") == 0) ghpgl_set_pcl(0);
    else if (stricmp(item, "lj") == 0) ghpgl_set_pcl(2);
    else if (stricmp(item, "port") == 0) ghpgl_set_rotate(90);
    else if (stricmp(item, "land") == 0) ghpgl_set_rotate(0);
    else if (strnicmp(item, "scale", 5) == 0) {
        if (gitem_value(item, 6, value)) ghpgl_set_scale(static_cast<float>(value));
    } else if (strnicmp(item, "lwidth", 6) == 0) {
        if (gitem_value(item, 7, value)) ghpgl_set_base_width(static_cast<float>(value));
    } else if (strnicmp(item, "rot", 3) == 0) {
        // Whole degrees, as the integer part of the number reads.
        if (gitem_value(item, 4, value) && value > INT_MIN && value < INT_MAX)
            ghpgl_set_rotate(static_cast<int>(value));
    } else if (gitem_size(item, width, height) || gpaper_size(item, width, height)) {
    } else if (from_env && strnicmp(item, "roll", 4) == 0) {
        // A roll as wide as the page margin or less has no drawing area.
        if (gitem_value(item, 5, value) && value > 0.5 && value < 1e6) {
            width = static_cast<float>(value);
            height = 23.5f;
        }
    }
}

int hpgl_open(int count, char **items)
{
    gx_set_depth(10);
    const char *name = count > 0 && items[0][0] ? items[0] : std::getenv("vykhp_out");
    if (!ghpgl_open_file(name ? name : "vyk.hpgl")) {
        gerr_printf("gopen_ws", "unable to open HPGL file\n");
        return -1;
    }
    float width = 10.5f, height = 8;
    ghpgl_init();
    gfor_each_option("vykhp_param", count, items, [&](const char *item, bool from_env) {
        apply_option(item, from_env, width, height);
    });
    gx_set_device(static_cast<int>(1015 * (width - 0.5f)),
                  static_cast<int>(1015 * (height - 0.5f)), 10, 10);
    gset_page_geometry("vykhp_geometry", nullptr, {"%dx%d+%d+%d", "+%d+%d", 10.15f, 10.0f});
    ghpgl_init_file();
    return 0;
}

void hpgl_clip(const Gclip &c)
{
    ghpgl_printf("IW %.0f,%.0f,%.0f,%.0f;\n", c.x0 - 0.1, c.y0 - 0.1, c.x1 + 0.1, c.y1 + 0.1);
}

// The pen of a primitive: its width and shade, and a line type.
void set_pen(int color, float width, int type, int pass_color)
{
    ghpgl_set_width(color, width);
    ghpgl_set_color(pass_color);
    ghpgl_set_type(type);
}

int hpgl_polyline(Gint n, const Gpt *points)
{
    const Gline_attr &line = gline_attr();
    set_pen(line.color, line.width, line.type, line.color);
    ghpgl_move(points[0].x, points[0].y);
    for (Gint i = 1; i < n; i++) {
        ghpgl_line(points[i].x, points[i].y);
        if (i % 10 == 9) ghpgl_printf("\n");
    }
    ghpgl_printf("\n");
    return 0;
}

// Every style is filled, in the shade of the fill colour.
int hpgl_fill_area(Gint n, const Gpt *points)
{
    ghpgl_set_fill_color(gfill_attr().color);
    ghpgl_move(points[0].x, points[0].y);
    ghpgl_printf("PM0;");
    for (Gint i = 1; i < n; i++) ghpgl_line(points[i].x, points[i].y);
    ghpgl_printf("PM1;PM2;FP;\n");
    return 0;
}

void hpgl_marker_begin(Gint)
{
    const Gmarker_attr &marker = gmarker_attr();
    set_pen(marker.color, marker.width, 1, marker.color);
}

// The shadow takes the black pen.
void hpgl_marker_shadow(bool on) { ghpgl_set_color(on ? 500 : gmarker_attr().color); }

// A stroke through points already in plotter units.
int hpgl_stroke(int n, const Gpt *points)
{
    ghpgl_move_abs(points[0].x, points[0].y);
    for (int i = 1; i < n; i++) ghpgl_line_abs(points[i].x, points[i].y);
    ghpgl_printf("\n");
    return 0;
}

// Glyph strokes: a line break after every STROKE_RUN points.
constexpr int STROKE_RUN = 30;
int run_points = 0;

bool hpgl_text_begin(float, float, const char *, int color)
{
    const Gtext_attr &text = gtext_attr();
    set_pen(text.color, text.width, 1, color);
    return true;
}

void hpgl_glyph_start() { run_points = 0; }

void hpgl_glyph_point(bool move, float x, float y)
{
    if (move) {
        ghpgl_move(x, y);
        run_points = 1;
        return;
    }
    ghpgl_line(x, y);
    if (++run_points == STROKE_RUN) {
        ghpgl_printf("\n");
        run_points = 1;
    }
}

void hpgl_glyph_end()
{
    if (run_points >= 2) ghpgl_printf("\n");
    run_points = 0;
}

}  // namespace

const Gdevice gdev_hpgl = {
    .type = GWS_HPGL,
    .caps = GDEV_PENS,
    .init_kind = GINIT_HPGL,
    .units = GUNITS_PAGE,
    .marker_scale = 10.15,
    .open = hpgl_open,
    .close = ghpgl_close_file,
    .clip = hpgl_clip,
    .polyline = hpgl_polyline,
    .polymarker = gstroke_markers,
    .fill_area = hpgl_fill_area,
    .text = gstroke_text,
    .marker_begin = hpgl_marker_begin,
    .marker_shadow = hpgl_marker_shadow,
    .stroke = hpgl_stroke,
    .text_begin = hpgl_text_begin,
    .glyph_start = hpgl_glyph_start,
    .glyph_point = hpgl_glyph_point,
    .glyph_end = hpgl_glyph_end,
};
