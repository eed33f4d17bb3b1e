// PostScript and EPS output: one plot as a PostScript page or an Encapsulated PostScript file,
// written into a new file, onto the end of an existing one, or into a print command's pipe.
// The driver keeps a small cache of the graphics state (grey level or RGB colour, line width,
// dash pattern) so that a setting is written only when it changes.  Output is grey-scale unless
// colour is asked for.
//
// Output goes through a buffer of the driver's own; points are formatted without printf.  The
// prolog is written with the first drawing (or at the close): the EPS bounding box is then
// computed from the drawing area that the kernel finally set up and the translation and scale
// that the prolog applies.
#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"
#include "vykgks.h"
#include "img.h"

#include <charconv>
#include <csignal>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr int NUM_GRAY = 257;  // colour indices 0 to 255 and 256, the background

// The output: the open file or pipe and how it was opened; a new output starts afresh.
struct Output {
    FILE *file = nullptr;       // the open output (file or pipe)
    bool pipe = false;          // the output is a print command's pipe
    int append = 0;             // 1 when the output was opened for appending
    long start = -1;            // where the output began (FILE_output_start)
    size_t buf_len = 0;         // bytes waiting in buf
    bool write_failed = false;  // a write, flush or close failed
    bool prolog_due = false;    // the prolog waits for the first drawing
} out_st;

// What was last written to the page; every page starts with the prolog's pen.
struct Pen {
    float gray_level = 0;  // grey level last written; -1 after an RGB colour
    int col_ind = -1;      // colour index of the RGB colour last written
    float line_width = 1;  // line-width multiplier last written
    float line_type = 1;   // line type last written
} last;

// The settings of the output, kept from one output to the next.
struct Settings {
    int color = 0;          // 1 colour output (setrgbcolor), 0 grey output
    int rev = 0;            // 1 reversed grey levels
    int port = 0;           // 1 portrait (no rotation), 0 landscape (rotated)
    int eps = 0;            // 1 Encapsulated PostScript
    float sx = 0, sy = 0;   // page size in inches, long side first
    float base_width = 1;   // base line-width factor
    float scale = 1;        // overall scale factor
} cfg;

float gray[NUM_GRAY];  // print grey level per colour index; 0 black, 1 white

// An index whose colour was redefined after it was written: never equal to a real index.
constexpr int NO_COLOR = -1000;

// ---------------------------------------------------------------------------------------------
// The output buffer
// ---------------------------------------------------------------------------------------------

constexpr size_t BUF_SIZE = 1 << 16;
char buf[BUF_SIZE];

// The prolog waiting for the first drawing: the first line, whether a bounding box follows it,
// and the rest.
struct Prolog {
    bool eps = false, port = false;
    double scale = 1;      // the scale the prolog applies (as written)
    double translate = 0;  // landscape EPS: the downward translation in points (as written)
    std::string rest;
} prolog;

void write_prolog();

// While the driver writes into a print command's pipe, a command that has already ended (a
// missing program, a refused job) must not end the plotting program with SIGPIPE: the write
// fails instead, and the close reports it.
class PipeWrite {
public:
    PipeWrite()
    {
        if (!out_st.pipe) return;
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        active_ = sigaction(SIGPIPE, &ignore, &saved_) == 0;
    }
    ~PipeWrite()
    {
        if (active_) sigaction(SIGPIPE, &saved_, nullptr);
    }
    PipeWrite(const PipeWrite &) = delete;
    PipeWrite &operator=(const PipeWrite &) = delete;

private:
    struct sigaction saved_ {};
    bool active_ = false;
};

void write_out(const char *data, size_t n)
{
    PipeWrite guard;
    if (std::fwrite(data, 1, n, out_st.file) != n) out_st.write_failed = true;
}

void flush_buf()
{
    if (out_st.buf_len > 0 && out_st.file) write_out(buf, out_st.buf_len);
    out_st.buf_len = 0;
}

// Room for n (at most BUF_SIZE) more bytes at buf + buf_len.
inline char *room(size_t n)
{
    if (out_st.prolog_due) write_prolog();
    if (BUF_SIZE - out_st.buf_len < n) flush_buf();
    return buf + out_st.buf_len;
}

void put(const char *text, size_t n)
{
    if (!out_st.file) return;
    if (n > BUF_SIZE / 2) {
        if (out_st.prolog_due) write_prolog();
        flush_buf();
        write_out(text, n);
        return;
    }
    std::memcpy(room(n), text, n);
    out_st.buf_len += n;
}

void put(const char *text) { put(text, std::strlen(text)); }

void vput(const char *format, va_list args)
{
    if (!out_st.file) return;
    va_list copy;
    va_copy(copy, args);
    char *p = room(256);
    const size_t space = BUF_SIZE - out_st.buf_len;
    const int n = std::vsnprintf(p, space, format, copy);
    va_end(copy);
    if (n < 0) return;
    if (static_cast<size_t>(n) < space) {
        out_st.buf_len += static_cast<size_t>(n);
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, args);
    put(big.data(), static_cast<size_t>(n));
}

void out(const char *format, ...) __attribute__((format(printf, 1, 2)));
void out(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vput(format, args);
    va_end(args);
}

// Longest text that put_fixed2 writes: a float's 39 integer digits, sign, point and two decimals.
constexpr size_t FIXED2_MAX = 48;

// Writes v exactly as printf's "%3.2f" writes the float widened to double; returns the end.
// A float has 24 significant bits and 100 = 25 x 4 adds 5 more, so |v| x 100 is exact in a
// double: rounding that product to the nearest integer, ties to even, is the rounding that
// printf applies to the exact decimal value.
char *put_fixed2(char *p, float v)
{
    const double d = v;
    if (!(d > -1e9 && d < 1e9))  // NaN, infinities and huge values: printf itself
        return p + std::snprintf(p, FIXED2_MAX, "%3.2f", d);
    const auto n = static_cast<std::uint64_t>(std::nearbyint(std::fabs(d) * 100.0));
    if (std::signbit(d)) *p++ = '-';
    std::uint64_t whole = n / 100;
    const unsigned cents = static_cast<unsigned>(n % 100);
    char digits[20];
    int k = 0;
    do {
        digits[k++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    while (k) *p++ = digits[--k];
    p[0] = '.';
    p[1] = static_cast<char>('0' + cents / 10);
    p[2] = static_cast<char>('0' + cents % 10);
    return p + 3;
}

// A mark line "%%TAG:n" that heads a primitive (tag with its "%%" and ':').
void put_mark(const char *tag, int n)
{
    if (!out_st.file) return;
    char line[48];
    const size_t len = std::strlen(tag);
    if (len > sizeof line / 2) return;
    std::memcpy(line, tag, len);
    char *end = std::to_chars(line + len, line + sizeof line - 1, n).ptr;
    *end++ = '\n';
    put(line, static_cast<size_t>(end - line));
}

// "x y mv\n" or "x y ln\n" with x and y in points.
inline void put_point(float x, float y, char op)
{
    if (!out_st.file) return;
    char *start = room(2 * FIXED2_MAX + 8);
    char *p = put_fixed2(start, x);
    *p++ = ' ';
    p = put_fixed2(p, y);
    p[0] = ' ';
    p[1] = op == 'm' ? 'm' : 'l';
    p[2] = op == 'm' ? 'v' : 'n';
    p[3] = '\n';
    out_st.buf_len += static_cast<size_t>(p + 4 - start);
}

// ---------------------------------------------------------------------------------------------
// Prolog
// ---------------------------------------------------------------------------------------------

// The workstation title for a comment line: control characters would end the comment.
std::string title_text()
{
    std::string title = gget_win_title() ? gget_win_title() : "";
    for (char &c : title)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return title;
}

// The EPS bounding box: the drawing area (the device rectangle, widened by the 0.1 point that
// the clip path adds on every side) through the scale, rotation and translation of the prolog,
// rounded outward to whole points.
void write_bounding_box()
{
    int width, height, ox, oy;
    gget_win_size(&width, &height);
    gget_win_offset(&ox, &oy);
    if (width < 1 || height < 1) {  // no drawing area set up: the page's drawing area
        width = static_cast<int>(72 * (cfg.sx - 0.5f));
        height = static_cast<int>(72 * (cfg.sy - 0.5f));
        ox = oy = 0;
        if (width < 1) width = 1;
        if (height < 1) height = 1;
    }
    const double s = prolog.scale;
    const double x0 = s * (ox - 0.1), x1 = s * (ox + width - 1 + 0.1);
    const double y0 = s * (oy - 0.1), y1 = s * (oy + height - 1 + 0.1);
    double llx, lly, urx, ury;
    if (prolog.port) {
        llx = x0, urx = x1, lly = y0, ury = y1;
    } else {  // rotated by 90 degrees, then moved down: (x, y) -> (t - y, x)
        llx = prolog.translate - y1, urx = prolog.translate - y0;
        lly = x0, ury = x1;
    }
    constexpr double eps = 1e-6;
    out("%%%%BoundingBox: %ld %ld %ld %ld\n", std::lround(std::floor(llx + eps)),
        std::lround(std::floor(lly + eps)), std::lround(std::ceil(urx - eps)),
        std::lround(std::ceil(ury - eps)));
}

void write_prolog()
{
    out_st.prolog_due = false;
    if (prolog.eps) {
        put("%!PS-Adobe-3.0 EPSF-3.0\n");
        write_bounding_box();
    } else {
        put("%!PS-Adobe-1.0\n");
    }
    put(prolog.rest.data(), prolog.rest.size());
    prolog.rest.clear();
    prolog.rest.shrink_to_fit();
}

void append_line(std::string &text, const char *format, ...) __attribute__((format(printf, 2, 3)));
void append_line(std::string &text, const char *format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    text += line;
}

// A value as "%.2f" writes it, read back: what the PostScript interpreter will use.
double as_written(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", v);
    return std::strtod(text, nullptr);
}

void set_gray(float level, const char *line)
{
    if (last.gray_level != level) put(line);
    last.gray_level = level;
}

void set_rgb(int color)
{
    if (color != last.col_ind || last.gray_level >= 0) {
        float r = 0, g = 0, b = 0;
        gget_color_rgb(color, &r, &g, &b);
        out("%4.2f %4.2f %4.2f setrgbcolor\n", r, g, b);
    }
    last.col_ind = color;
    last.gray_level = -1;
}

// The hex text of every pixel value, made once per image: the colour of its entry (colour
// output; an image with a colour table of its own is printed in its own colours, the others
// index the named colour table) or the value itself (grey output).  Returns its length.
int hex_table(const IMG_report *image, char (&table)[256][7])
{
    static const char hex[] = "0123456789ABCDEF";
    const bool own_colors = image->color_type == IMG_TABLE && image->colors && image->num_colors > 0;
    for (int i = 0; i < 256; i++) {
        if (!cfg.color) {
            table[i][0] = hex[i >> 4];
            table[i][1] = hex[i & 15];
            continue;
        }
        float c[3];
        if (own_colors) {
            const IMG_color &e = image->colors[i < image->num_colors ? i : 0];
            c[0] = e.r;
            c[1] = e.g;
            c[2] = e.b;
        } else {
            CLR_get_rgb(i, &c[0], &c[1], &c[2]);
        }
        for (int k = 0; k < 3; k++) {
            const float v = c[k] < 0 ? 0.0f : (c[k] > 1 ? 1.0f : c[k]);
            const int byte = static_cast<int>(v * 255);
            table[i][2 * k] = hex[byte >> 4];
            table[i][2 * k + 1] = hex[byte & 15];
        }
    }
    return cfg.color ? 6 : 2;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------------------------

int gps_init()
{
    last = Pen{};
    return 0;
}

int gps_set_size(float x, float y)
{
    cfg.sx = x;
    cfg.sy = y;
    return 0;
}

FILE *gps_open_file(const char *name)
{
    if (out_st.file) gps_close_file();  // one output at a time: finish the previous one
    out_st = Output{};
    if (!name) return nullptr;
    FILE *fp;
    if (name[0] == '|') {
        MESS_print(M_MESS, "Spooling to: %s\n", name + 1);
        fp = FILE_open(name, "w");
        out_st.pipe = true;
    } else if (name[0] == '+') {
        MESS_print(M_MESS, "Appending to: %s\n", name + 1);
        fp = FILE_open(name + 1, "a");
        out_st.pipe = name[1] == '|';
        out_st.append = 1;
    } else {
        MESS_print(M_MESS, "Creating: %s\n", name);
        fp = FILE_open(name, "w");
        out_st.pipe = false;
    }
    if (std::getenv("PSCOLOR")) cfg.color = 1;
    // The driver buffers by itself; an unbuffered pipe is written only inside write_out.
    if (fp && out_st.pipe) std::setvbuf(fp, nullptr, _IONBF, 0);
    out_st.file = fp;
    out_st.start = FILE_output_start(fp, out_st.append);
    return fp;
}

int gps_init_file()
{
    if (!out_st.file) return 0;
    const std::string title = title_text();
    // With a base width other than 1 the "1 dot lw" below is not the width of multiplier 1:
    // the first width is then always written.
    if (cfg.base_width != 1) last.line_width = -1;
    if (out_st.append) {
        put(cfg.color ? "0 0 0 setrgbcolor\n" : "0 setgray\n");
        put("1 dot lw\n");
        put("[] 0 setdash\n");
        out("%%%%VYK Plot: %s\n", title.c_str());
        return 0;
    }
    // A page whose size was never set (the display-list print sets none) is a letter page.
    if (!(cfg.sx > 0 && cfg.sy > 0)) {
        cfg.sx = 11;
        cfg.sy = 8.5f;
    }
    prolog.eps = cfg.eps != 0;
    prolog.port = cfg.port != 0;
    prolog.scale = cfg.scale != 1 ? as_written(cfg.scale) : 1.0;
    prolog.translate = 72 * as_written(cfg.sy);
    std::string &text = prolog.rest;
    text.clear();
    append_line(text, "%%%%Title: VYK Graphics Display: %s\n", title.c_str());
    text += "%%Creator: VYK Postscript Processor-2.0\n";
    const std::time_t now = std::time(nullptr);
    char date[64] = "\n";
    ctime_r(&now, date);
    append_line(text, "%%%%CreationDate: %s", date);
    text += "%%EndComments\n%%Postscript initialization\n";
    if (!cfg.eps) text += "30 dict begin\n/saveobj save def\n";
    text += "/inch {72 mul} def\n/dot {.33 mul} def\n/mv {moveto} def\n/ln {lineto} def\n"
            "/lw {setlinewidth} def\n/np {newpath} def\n/cp {closepath} def\n";
    if (!cfg.port) {
        text += "90 rotate\n";
        // The downward move, written with its sign (a page lower than a quarter inch moves up).
        if (cfg.eps) append_line(text, "0. inch %.2f inch translate\n", -cfg.sy);
        else append_line(text, ".25 inch %.2f inch translate\n", 0.25 - cfg.sy);
    } else if (!cfg.eps) {
        text += ".25 inch .25 inch translate\n";
    }
    text += cfg.color ? "0 0 0 setrgbcolor\n" : "0 setgray\n";
    text += "2 setlinejoin\n1 dot lw\n[] 0 setdash\n";
    if (cfg.scale != 1) append_line(text, "%.2f %.2f scale\n", cfg.scale, cfg.scale);
    text += "%%Begin plot\n";
    append_line(text, "%%%%VYK Plot: %s\n", title.c_str());
    out_st.prolog_due = true;
    return 0;
}

int gps_close_file()
{
    if (!out_st.file) return -1;
    if (out_st.prolog_due) write_prolog();
    put("%%End of plot\n");
    if (!out_st.append) {
        if (!cfg.eps) put("saveobj restore\n");
        put("showpage\n");
        if (!cfg.eps) put("end\n");
        put("%%EOF\n");
    }
    flush_buf();
    {
        // A file that could not be written whole is removed (or cut back to what it held).
        PipeWrite guard;
        if (FILE_close_output(out_st.file, out_st.start, out_st.write_failed) != 0) out_st.write_failed = true;
    }
    out_st.file = nullptr;
    out_st.pipe = false;
    if (out_st.write_failed) {
        MESS_print(M_WARN, "gps_close_file: unable to write postscript file\n");
        return -1;
    }
    MESS_print(M_MESS, "Created Postscript file\n");
    return 0;
}

int gps_printf(const char *mess, ...)
{
    if (!out_st.file || !mess) return 0;
    if (!std::strchr(mess, '%')) {
        put(mess);
        return 0;
    }
    va_list args;
    va_start(args, mess);
    vput(mess, args);
    va_end(args);
    return 0;
}

int gps_move(float x, float y)
{
    if (out_st.file) put_point(xW_ps(x), yW_ps(y), 'm');
    return 0;
}

int gps_line(float x, float y)
{
    if (out_st.file) put_point(xW_ps(x), yW_ps(y), 'l');
    return 0;
}

int gps_move_abs(float x, float y)
{
    put_point(x, y, 'm');
    return 0;
}

int gps_line_abs(float x, float y)
{
    put_point(x, y, 'l');
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Colours, widths and dashes
// ---------------------------------------------------------------------------------------------

int gps_set_color_rep(int ind, float red, float green, float blue)
{
    if (ind == -1) ind = 256;
    if (ind < 0 || ind >= NUM_GRAY) return -1;
    const double level = (0.9 * red + green + 0.8 * blue) / 2.7;
    float g = static_cast<float>(level);
    if (g > 1) g = 1;  // white stays 1
    if (g < 0) g = 0;
    if (cfg.rev && g != 0 && g != 1) g = 1 - g;
    gray[ind] = g;
    // A colour written for this index is no longer its colour.
    if (ind == last.col_ind || (ind == 256 && last.col_ind == -1)) last.col_ind = NO_COLOR;
    return 0;
}

float gps_get_gray(int ind)
{
    if (ind == -1) ind = 256;
    if (ind >= 0 && ind < NUM_GRAY) return gray[ind];
    if (ind >= 500 && ind <= 502) return 0;
    if (ind >= 503 && ind <= 505) return 1;
    if (ind >= 506 && ind <= 508) return 0.7f;
    return 0;
}

int gps_set_color(int color)
{
    if (color >= 500 && color <= 502) set_gray(0, "0 setgray\n");
    else if (color >= 503 && color <= 505) set_gray(1, "1 setgray\n");
    else if (color >= 506 && color <= 508) set_gray(0.7f, ".7 setgray\n");
    else if (cfg.color) set_rgb(color);
    else set_gray(0, "0 setgray\n");  // lines are black in grey output
    return 0;
}

int gps_set_fill_color(int color)
{
    if (cfg.color) {
        set_rgb(color);
    } else if (gget_fill_print_solid()) {
        put("0 setgray\n");
        last.gray_level = 0;
    } else if (color == -1) {
        set_gray(1, "1 setgray\n");
    } else {
        const float level = gps_get_gray(color);
        if (level != last.gray_level) out("%3.3f setgray\n", level);
        last.gray_level = level;
    }
    return 0;
}

int gps_set_width(int color, float width)
{
    // A width of 0 would be PostScript's thinnest line, which a printer may hardly show.
    if (width == 0) width = 1;
    const float b = cfg.base_width;
    if (color == 501 || color == 504 || color == 507) {
        if (last.line_width != 2 * width)
            out("%d dot lw\n", static_cast<int>(2 * b * width));
        last.line_width = 2 * width;
    } else if (color == 502 || color == 505 || color == 508) {
        if (last.line_width != 4 * width)
            out("%d dot lw\n", static_cast<int>(4 * b * width));
        last.line_width = 4 * width;
    } else {
        int bold = gget_line_print_bold();
        if (bold < 1) bold = 1;
        const float w = static_cast<float>(bold) * width;
        if (last.line_width != w) out("%2.1f dot lw\n", b * width * static_cast<float>(bold));
        last.line_width = w;
    }
    return 0;
}

int gps_set_type(int type)
{
    static constexpr const char *dash[] = {"[] 0 setdash\n", "[6] 0 setdash\n",
                                           "[3 6] 0 setdash\n", "[6 6 3 6] 0 setdash\n",
                                           "[2] 0 setdash\n"};
    if (static_cast<float>(type) == last.line_type) return 0;
    last.line_type = static_cast<float>(type);
    if (type >= 1 && type <= 5) put(dash[type - 1]);
    return 0;
}

int gps_set_base_width(int width)
{
    if (width >= 1) cfg.base_width = static_cast<float>(width);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Settings (they survive a close and apply to the next output)
// ---------------------------------------------------------------------------------------------

int gps_set_EPS(int val)
{
    cfg.eps = val;
    return 1;
}

int gps_set_orient(int val)
{
    cfg.port = val;
    return 1;
}

int gps_set_scale(float val)
{
    // A scale that is missing (0), negative or too small to print would make the picture
    // vanish or leave the page.
    if (std::isfinite(val) && as_written(val) > 0) cfg.scale = val;
    return 1;
}

int gps_set_colorPS(int val)
{
    cfg.color = val;
    return 1;
}

int gps_set_reverse(int val)
{
    cfg.rev = val;
    return 1;
}

int gps_get_colorPS() { return cfg.color; }

// ---------------------------------------------------------------------------------------------
// Raster images
// ---------------------------------------------------------------------------------------------

// The image fills the current viewport: W by H values, row by row from the top, each the
// pixel's colour-table colour (colour output) or the pixel byte itself (grey output); places
// that the image, shifted by (x, y) pixels, does not cover are white.
int gps_image(const IMG_report *image, int x, int y)
{
    if (!out_st.file || !image) return 0;
    Grectangle vp{};
    gget_gviewport(&vp);
    const int W = vp.width, H = vp.height;
    if (W < 1 || H < 1) return 0;
    put("gsave\n");
    out("%d %d translate\n", vp.x, vp.y);
    out("%d %d scale\n", W, H);
    out("/picstr %d string def\n", W);
    out("%d %d 8 [ %d 0 0 %d 0 %d ]\n", W, H, W, -H, H);
    put("{ currentfile picstr readhexstring pop }\n");
    put(cfg.color ? "false 3 colorimage\n" : "image\n");

    char table[256][7];
    const int value_len = hex_table(image, table);
    const char *blank = cfg.color ? "FFFFFF" : "FF";

    // The pixel area: rows of bytes_line bytes; nothing of it is read when the record does not
    // describe one.
    const unsigned char *data = image->data;
    const int width = image->width, height = image->height;
    const long stride = image->bytes_line;
    const bool usable = data && width > 0 && height > 0 && stride >= width;

    auto value = [&](const char *text, int pos) {
        char *p = room(8);
        std::memcpy(p, text, static_cast<size_t>(value_len));
        p += value_len;
        if (pos % 80 == 79) *p++ = '\n';
        out_st.buf_len = static_cast<size_t>(p - buf);
    };
    auto blank_row = [&]() {
        for (int i = 0; i < W; i++) value(blank, i);
        put("\n");
    };

    int rows = 0;
    for (; rows < H && rows < -y; rows++) blank_row();  // the image starts below the top
    for (int r = y < 0 ? 0 : y; usable && r < height && rows < H; r++, rows++) {
        const unsigned char *row = data + r * stride;
        int pos = 0;
        for (; pos < W && pos < -x; pos++) value(blank, pos);
        for (int c = x < 0 ? 0 : x; c < width && pos < W; c++, pos++) value(table[row[c]], pos);
        for (; pos < W; pos++) value(blank, pos);
        put("\n");
    }
    for (; rows < H; rows++) blank_row();
    put("grestore\n");
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The back end
// ---------------------------------------------------------------------------------------------

namespace {

// "|command" a print pipe, else a file: the connection, vykps_print, PSPRINT or "vyk.ps".
const char *output_name(const char *given)
{
    if (given && given[0]) return given;
    if (const char *name = std::getenv("vykps_print")) return name;
    if (const char *name = std::getenv("PSPRINT")) return name;
    return "vyk.ps";
}

// The options of the connection and of vykps_param; paper sizes set the page.
void apply_option(const char *item, float &width, float &height)
{
    if (stricmp(item, "port") == 0) gps_set_orient(1);
    else if (stricmp(item, "land") == 0) gps_set_orient(0);
    else if (stricmp(item, "eps") == 0) gps_set_EPS(1);
    else if (stricmp(item, "noeps") == 0) gps_set_EPS(0);
    else if (stricmp(item, "color") == 0) {
        gps_set_colorPS(1);
        gset_inverse(1);
    } else if (stricmp(item, "gray") == 0) gps_set_colorPS(0);
    else if (strnicmp(item, "scale", 5) == 0) gps_set_scale(gitem_number(item, 6));
    else if (strnicmp(item, "lwidth", 6) == 0)
        gps_set_base_width(static_cast<int>(gitem_number(item, 7)));
    else if (!gitem_size(item, width, height)) gpaper_size(item, width, height);
}

int ps_open(int count, char **items)
{
    gx_set_depth(10);
    if (!gps_open_file(output_name(count > 0 ? items[0] : nullptr))) {
        gerr_printf("gopen_ws", "unable to open postscript file\n");
        return -1;
    }
    float width = 11, height = 8.5f;
    gps_init();
    gfor_each_option("vykps_param", count, items,
                     [&](const char *item, bool) { apply_option(item, width, height); });
    gx_set_device(static_cast<int>(72 * (width - 0.5f)), static_cast<int>(72 * (height - 0.5f)),
                  0, 0);
    gps_set_size(width, height);
    gps_init_file();
    gset_page_geometry("vykps_geometry", "PSGEOMETRY", {"%dx%d%d%d", "%d%d", 0.72f, 0.0f});
    return 0;
}

// A print of the display list: the file, without options.
int ps_open_file(const char *name)
{
    if (!gps_open_file(name)) return -1;
    gps_init();
    gps_init_file();
    return 0;
}

void ps_object(int code, int, const void *data)
{
    if (code == GOBJ_MESSAGE) gps_printf("%%%%Message: %s\n", static_cast<const char *>(data));
}

void ps_colour_rep(int ind, float red, float green, float blue)
{
    gps_set_color_rep(ind, red, green, blue);
}

void ps_clip(const Gclip &c)
{
    gps_printf("initclip\n");
    gps_printf("np\n");
    gps_printf("%3.2f %3.2f mv\n", c.x0 - 0.1, c.y0 - 0.1);
    gps_printf("%3.2f %3.2f ln\n", c.x0 - 0.1, c.y1 + 0.1);
    gps_printf("%3.2f %3.2f ln\n", c.x1 + 0.1, c.y1 + 0.1);
    gps_printf("%3.2f %3.2f ln\n", c.x1 + 0.1, c.y0 - 0.1);
    gps_printf("cp\n");
    gps_printf("clip\n");
}

// The pen of a primitive: its width and colour, and a line type.
void pen(int color, float width, int type, int pass_color)
{
    gps_set_width(color, width);
    gps_set_color(pass_color);
    gps_set_type(type);
}

// A path through world points.
void path(Gint n, const Gpt *points)
{
    gps_move(points[0].x, points[0].y);
    for (Gint i = 1; i < n; i++) gps_line(points[i].x, points[i].y);
}

int ps_polyline(Gint n, const Gpt *points)
{
    const Gline_attr &line = gline_attr();
    put_mark("%%PL:", n);
    pen(line.color, line.width, line.type, line.color);
    gps_printf("np\n");
    path(n, points);
    gps_printf("stroke\n");
    return 0;
}

// Only solid fills are printed.
int ps_fill_area(Gint n, const Gpt *points)
{
    const Gfill_attr &fill = gfill_attr();
    if (fill.style != GSOLID) return 0;
    put_mark("%%FA:", n);
    gps_printf("np\n");
    path(n, points);
    gps_printf("cp\n");
    gps_set_fill_color(fill.color);
    gps_printf("fill\n");
    return 0;
}

int ps_image(IMG_report *image, int x, int y)
{
    gps_image(image, x, y);
    return 1;
}

// The region is filled with the paper's white.
int ps_clear_region(const Glim *lim)
{
    const Gpt corners[] = {{lim->x_min, lim->y_min}, {lim->x_min, lim->y_max},
                           {lim->x_max, lim->y_max}, {lim->x_max, lim->y_min},
                           {lim->x_min, lim->y_min}};
    gps_printf("%%%%CLR\n");
    gps_printf("np\n");
    path(5, corners);
    gps_printf("cp\n");
    gps_set_fill_color(-1);
    gps_printf("fill\n");
    return 0;
}

void ps_marker_begin(Gint n)
{
    const Gmarker_attr &marker = gmarker_attr();
    put_mark("%%PM:", n);
    pen(marker.color, marker.width, 1, marker.color);
}

// The shadow takes the black pen.
void ps_marker_shadow(bool on) { gps_set_color(on ? 500 : gmarker_attr().color); }

// A stroke through points already in page units.
int ps_stroke(int n, const Gpt *points)
{
    gps_printf("np\n");
    gps_move_abs(points[0].x, points[0].y);
    for (int i = 1; i < n; i++) gps_line_abs(points[i].x, points[i].y);
    gps_printf("stroke\n");
    return 0;
}

// Glyph strokes go out as paths of at most STROKE_RUN points.
constexpr int STROKE_RUN = 30;
int run_points = 0;

bool ps_text_begin(float x, float y, const char *str, int color)
{
    const Gtext_attr &text = gtext_attr();
    gps_printf("%%%%TE:%f %f %s\n", x, y, str);
    pen(text.color, text.width, 1, color);
    return true;
}

void ps_glyph_start()
{
    gps_printf("np\n");
    run_points = 0;
}

void ps_glyph_point(bool move, float x, float y)
{
    if (move) {
        if (run_points >= 2) gps_printf("stroke\nnp\n");
        gps_move(x, y);
        run_points = 1;
        return;
    }
    gps_line(x, y);
    if (++run_points == STROKE_RUN) {
        gps_printf("stroke\nnp\n");
        gps_move(x, y);
        run_points = 1;
    }
}

void ps_glyph_end()
{
    if (run_points >= 2) gps_printf("stroke\n");
    run_points = 0;
}

int ps_close() { return gps_close_file(); }

}  // namespace

const Gdevice gdev_ps = {
    .type = GWS_PS,
    .caps = GDEV_PENS,
    .init_kind = GINIT_PS,
    .units = GUNITS_PAGE,
    .marker_scale = 0.72,
    .open = ps_open,
    .open_file = ps_open_file,
    .close = ps_close,
    .object = ps_object,
    .colour_rep = ps_colour_rep,
    .clip = ps_clip,
    .polyline = ps_polyline,
    .polymarker = gstroke_markers,
    .fill_area = ps_fill_area,
    .text = gstroke_text,
    .image = ps_image,
    .clear_region = ps_clear_region,
    .marker_begin = ps_marker_begin,
    .marker_shadow = ps_marker_shadow,
    .stroke = ps_stroke,
    .text_begin = ps_text_begin,
    .glyph_start = ps_glyph_start,
    .glyph_point = ps_glyph_point,
    .glyph_end = ps_glyph_end,
};
