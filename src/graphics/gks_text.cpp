// Text and stroke fonts: the text attributes and their setters, the font list, loading stroke
// fonts (and X server fonts through the device), and gtext with its stroke layout.  Every
// stroking device draws text with the same strokes (connected lines with the text context on
// the X11 types, paths on PostScript, pen moves on HP-GL/2); the text metafile keeps one
// record per text instead.
#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"
#include "vykgks.h"
#include "vykresrc.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------------------------

struct State {
    Gtext_attr attr;      // reset with every kernel initialisation
    int drop_shadow = 0;  // kept
    int drop_color = 1;   // kept
} text;

// The font list.
constexpr int MAX_FONTS = 40;       // entries of a list
constexpr int MAX_FILE_FONTS = 10;  // entries read from a "fi:" list file
struct FontEntry {
    char abbr[10];
    char name[100];
};
FontEntry fonts[MAX_FONTS];
int num_fonts = 0;
char font_list[80] = "";

// The loaded font.
constexpr int FONT_DB_SIZE = 15000;  // bytes of stroke data, the end mark included
constexpr int BLANK_WIDTH = 40;
// The kind of font loaded.
enum Font_kind { FONT_NONE = 0, FONT_STROKE = 1, FONT_SERVER = 2 };
Font_kind font_type = FONT_NONE;
unsigned char font_db[FONT_DB_SIZE];
int font_len = 0;  // bytes of font_db holding data
std::array<int, 256> font_index = [] {
    std::array<int, 256> a{};
    a.fill(-1);
    return a;
}();
std::array<unsigned char, 256> font_size{};

// Vertical offsets of the alignments in font units (normal, top, cap, half, base, bottom).
constexpr int VOFF[] = {-35, -160, -140, -85, -35, 0};

// ---------------------------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------------------------

void clear_glyphs()
{
    font_index.fill(-1);
    font_size.fill(0);
    font_len = 0;
}

// Walks the glyph starting at offset off, calling f(move, x, y) for each pair (x with the move
// bit removed).  The walk never leaves the loaded data: false for a glyph that runs past the
// end of the data without its closing 255, or that holds a mark where a y belongs.
template <class F> bool walk_glyph(int off, F f)
{
    for (int p = off; p >= 0 && p < font_len; p += 2) {
        const int x = font_db[p];
        if (x == 255) return true;
        if (x == 254 || p + 1 >= font_len) return false;
        const int y = font_db[p + 1];
        if (y >= 254) return false;
        if (x >= 128) f(true, x - 128, y);
        else f(false, x, y);
    }
    return false;
}

// One whitespace-separated token of at most size - 1 characters (longer ones are cut, and then
// no number).  False at the end of the stream.
bool next_token(FILE *fp, char *buf, size_t size)
{
    int c;
    while ((c = getc(fp)) != EOF && std::isspace(c)) {
    }
    if (c == EOF) return false;
    size_t n = 0;
    for (; c != EOF && !std::isspace(c); c = getc(fp))
        if (n + 1 < size) buf[n++] = static_cast<char>(c);
        else n = size;  // too long: marked by filling the buffer
    if (n >= size) {
        buf[0] = '\0';
        return true;
    }
    buf[n] = '\0';
    return true;
}

bool parse_int(const char *text, int &value)
{
    if (*text == '+') text++;
    const char *end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && ptr != text;
}

bool read_number(FILE *fp, int &value)
{
    char tok[24];
    return next_token(fp, tok, sizeof tok) && parse_int(tok, value);
}

bool skip_word(FILE *fp)
{
    char tok[8];
    return next_token(fp, tok, sizeof tok);
}

// A line of a list file (at most size - 1 characters kept; the rest of a longer line is
// skipped).  False at the end of the stream.
bool read_line(FILE *fp, char *buf, size_t size)
{
    int c = getc(fp);
    if (c == EOF) return false;
    size_t n = 0;
    for (; c != EOF && c != '\n'; c = getc(fp))
        if (n + 1 < size) buf[n++] = static_cast<char>(c);
    buf[n] = '\0';
    return true;
}

void add_font(const char *abbr, const char *name)
{
    if (num_fonts >= MAX_FONTS) return;
    strfcpy(fonts[num_fonts].abbr, abbr);
    strfcpy(fonts[num_fonts].name, name);
    num_fonts++;
}

// vyk.fnl: the abbreviation, then the rest of the line as the name.  Lines without a name are
// skipped.
void read_default_list(FILE *fp)
{
    char line[256];
    while (num_fonts < MAX_FONTS && read_line(fp, line, sizeof line)) {
        char *p = line;
        while (*p && std::isspace(static_cast<unsigned char>(*p))) p++;
        char *abbr = p;
        while (*p && !std::isspace(static_cast<unsigned char>(*p))) p++;
        if (*p) *p++ = '\0';
        wstrim_string(p);
        while (*p && std::isspace(static_cast<unsigned char>(*p))) p++;
        if (*abbr && *p) add_font(abbr, p);
    }
}

// A "fi:" list file: abbreviation and name as two words a line.
void read_list_file(FILE *fp)
{
    char line[256];
    int entries = 0;
    while (entries < MAX_FILE_FONTS && num_fonts < MAX_FONTS && read_line(fp, line, sizeof line)) {
        char abbr[10], name[100];
        if (std::sscanf(line, "%9s %99s", abbr, name) != 2) continue;
        add_font(abbr, name);
        entries++;
    }
}

// Opens a font or list file found along file_path: a plain file only, never a pipe or a
// standard stream (the names come from lookup files).
FILE *open_plain(const char *name, char (&path)[FILE_NAME_MAX + 1])
{
    FILE_add_path(RES_get("file_path"), name, path);
    if (path[0] == '|' || !FILE_is_file(path)) return nullptr;
    return FILE_open(path, "r");
}

// Server fonts live on the X display; the file workstations have none.
int load_server_font(const char *name)
{
    const auto server_font = gdev().server_font;
    if (!server_font || server_font(name) != 0) {
        MESS_print(M_WARN, "read_font: unable to load font: %s\n", name);
        return -1;
    }
    font_type = FONT_SERVER;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The stroke layout
// ---------------------------------------------------------------------------------------------

inline int glyph_of(unsigned char c) { return font_index[c]; }

// A running length or offset with its fraction dropped.  Settings replayed from a metafile can
// be anything: the value is kept within +-1e9 (and a value that is not a number gives 0).
int to_int(float v)
{
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -1e9f, 1e9f));
}

int measured_length(const unsigned char *s, size_t n)
{
    int length = 0;
    for (size_t i = 0; i + 1 < n; i++) {
        if (text.attr.char_space > 0)
            length = to_int(static_cast<float>(length) +
                            text.attr.char_space * (100 * text.attr.space + 100));
        else
            length = to_int(static_cast<float>(length + font_size[s[i]]) + 100 * text.attr.space);
    }
    if (n > 0) {
        if (text.attr.char_space > 0)
            length = to_int(static_cast<float>(length) + 100 * text.attr.char_space);
        else
            length += font_size[s[n - 1]];
    }
    return to_int(text.attr.expan * static_cast<float>(length));
}

int horizontal_offset(int length)
{
    switch (text.attr.hor) {
    case GCENTER_HOR: return -(length / 2);
    case GRIGHT_HOR: return -length;
    default: return 0;
    }
}

int vertical_offset()
{
    return text.attr.ver >= 0 && text.attr.ver <= 5 ? VOFF[text.attr.ver] : VOFF[0];
}

// Lays out a text at (ox, oy) with the loaded stroke font.  The sink receives, per glyph,
// glyph_start(), then point(move, x, y) in world coordinates for each pair, then glyph_end().
template <class Sink> void layout(float ox, float oy, const unsigned char *s, size_t n, Sink &sink)
{
    int hoff = horizontal_offset(measured_length(s, n));
    const int voff = vertical_offset();
    const float scale = text.attr.height / 105;
    const Gpt up = text.attr.up;
    const float pitch = (100 * text.attr.space + 100) * text.attr.char_space;
    for (size_t i = 0; i < n; i++) {
        const int off = glyph_of(s[i]);
        if (off >= 0) {
            sink.glyph_start();
            walk_glyph(off, [&](bool move, int gx, int gy) {
                const float xx =
                    scale * (static_cast<float>(gx) * text.attr.expan + static_cast<float>(hoff));
                const float yy = scale * static_cast<float>(gy + voff);
                const float x = ox + up.y * xx + up.x * yy, y = oy - up.x * xx + up.y * yy;
                if (std::isfinite(x) && std::isfinite(y)) sink.point(move, x, y);
            });
            sink.glyph_end();
            const float width = static_cast<float>(font_size[s[i]]);
            const float advance = text.attr.char_space > 0
                                      ? text.attr.expan * pitch
                                      : text.attr.expan * (width + 100 * text.attr.space);
            hoff = to_int(static_cast<float>(hoff) + advance);
        } else if (s[i] == ' ') {
            const float advance = text.attr.char_space > 0
                                      ? text.attr.expan * pitch
                                      : text.attr.expan * (100 * text.attr.space + BLANK_WIDTH);
            hoff = to_int(static_cast<float>(hoff) + advance);
        }
    }
}

// The strokes of the current device.
struct DeviceSink {
    const Gdevice &dev;
    void glyph_start() { dev.glyph_start(); }
    void point(bool move, float x, float y) { dev.glyph_point(move, x, y); }
    void glyph_end() { dev.glyph_end(); }
};

// The strokes of gtext_strokes.
struct CallbackSink {
    void (*pen)(void *, int, float, float);
    void *arg;
    int count = 0;
    void glyph_start() {}
    void point(bool move, float x, float y)
    {
        pen(arg, move ? 0 : 1, x, y);
        count++;
    }
    void glyph_end() {}
};

// Strokes a text on the current device; color is the colour of this pass (the shadow passes
// use the black pen).
void stroke_text(float ox, float oy, const char *str, size_t n, int color)
{
    const Gdevice &dev = gdev();
    if (!dev.text_begin || !dev.text_begin(ox, oy, str, color)) return;
    DeviceSink sink{dev};
    layout(ox, oy, reinterpret_cast<const unsigned char *>(str), n, sink);
}

// The world size of one device unit at a position; 0 where the device scale collapses.
float device_unit(float (*to_dev)(float), float v)
{
    const float d = to_dev(v + 1) - to_dev(v);
    return d != 0 ? 1 / d : 0.0f;
}

}  // namespace

const Gtext_attr &gtext_attr() { return text.attr; }

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

Gint gtext(const Gpt *text_pos, const Gchar *char_string)
{
    if (!gcheck_open("gtext")) return -1;
    if (!text_pos) return -1;
    if (!char_string || !char_string[0]) return 0;
    // The object holds the position, then the text with its end.
    const size_t size = sizeof(Gpt) + std::strlen(char_string) + 1;
    if (size <= INT_MAX) {
        if (void *data = gnew_obj(GOBJ_TEXT, 1, static_cast<int>(size), nullptr)) {
            std::memcpy(data, text_pos, sizeof(Gpt));
            std::memcpy(static_cast<char *>(data) + sizeof(Gpt), char_string, size - sizeof(Gpt));
        }
    }
    const auto draw = gdev().text;
    return draw ? draw(text_pos, char_string) : 0;
}

int gstroke_text(const Gpt *text_pos, const char *char_string)
{
    const float x = text_pos->x, y = text_pos->y;
    const size_t n = std::strlen(char_string);
    const Gdevice &dev = gdev();
    if (font_type == FONT_STROKE) {
        if (text.drop_shadow > 0) {
            // The shadow is black, a device unit further right and down each time.
            const float dx = device_unit(xW_p, x), dy = device_unit(yW_p, y);
            if (dev.text_shadow) dev.text_shadow(true);
            for (int i = 0; i < text.drop_shadow; i++)
                stroke_text(x + static_cast<float>(i) * dx, y + static_cast<float>(i) * dy,
                            char_string, n, 500);
            if (dev.text_shadow) dev.text_shadow(false);
        }
        stroke_text(x, y, char_string, n, text.attr.color);
    } else if (font_type == FONT_SERVER && dev.server_text) {
        dev.server_text(text_pos, char_string, static_cast<int>(n));
    }
    return 0;
}
int gtext_length(const Gchar *char_string)
{
    if (!char_string) return 0;
    return measured_length(reinterpret_cast<const unsigned char *>(char_string),
                           std::strlen(char_string));
}

int gtext_strokes(const Gpt *text_pos, const Gchar *char_string,
                  void (*pen)(void *arg, int draw, float x, float y), void *arg)
{
    if (!text_pos || !char_string || !pen || font_type != FONT_STROKE) return 0;
    CallbackSink sink{pen, arg};
    layout(text_pos->x, text_pos->y, reinterpret_cast<const unsigned char *>(char_string),
           std::strlen(char_string), sink);
    return sink.count;
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

Gint gset_text_colr_ind(Gint ind)
{
    return gset_colour("gset_text_colr_ind", ind, text.attr.color, GOBJ_TEXT_COLR);
}

Gint gset_expan(Gfloat expansion)
{
    return gset_measure("gset_expan", "expansion factor", expansion, text.attr.expan, GOBJ_EXPAN);
}

Gint gset_text_width(Gfloat textwidth)
{
    return gset_measure("gset_text_width", "text width", textwidth,
                        text.attr.width, GOBJ_TEXT_WIDTH);
}

Gint gset_char_ht(Gfloat char_ht)
{
    return gset_measure("gset_char_ht", "character height", char_ht,
                        text.attr.height, GOBJ_CHAR_HT);
}

Gint gset_text_path(Gtext_path) { return 0; }

Gint gset_char_up_vec(const Gpt *char_up_vec)
{
    if (!char_up_vec) return 0;
    const float vx = char_up_vec->x, vy = char_up_vec->y;
    if (vx == text.attr.up.x && vy == text.attr.up.y) return 0;
    // A zero (or not finite) vector has no direction: the text keeps its own.
    const float length = std::sqrt(vx * vx + vy * vy);
    if (!(length > 0) || !std::isfinite(length)) return 0;
    gkeep(GOBJ_CHAR_UP_VEC, 1, sizeof(Gpt), char_up_vec);
    text.attr.up = {vx / length, vy / length};
    return 0;
}

Gint gset_text_align(const Gtext_align *text_align)
{
    if (!text_align) return 0;
    if (text_align->hor == text.attr.hor && text_align->ver == text.attr.ver) return 0;
    text.attr.hor = text_align->hor;
    text.attr.ver = text_align->ver;
    gkeep(GOBJ_TEXT_ALIGN, 1, sizeof(Gtext_align), text_align);
    return 0;
}

Gint ginq_text_align(Gint *err, Gtext_align *text_align)
{
    if (text_align) {
        text_align->hor = static_cast<Gtext_hor>(text.attr.hor);
        text_align->ver = static_cast<Gtext_ver>(text.attr.ver);
    }
    if (err) *err = 0;
    return 0;
}

Gint gset_space(Gfloat space)
{
    if (space == text.attr.space) return 0;
    text.attr.space = space;
    gkeep(GOBJ_SPACE, 1, sizeof(Gfloat), &space);
    return 0;
}

Gint gset_char_space(Gfloat space)
{
    if (space == text.attr.char_space) return 0;
    text.attr.char_space = space;
    gkeep(GOBJ_CHAR_SPACE, 1, sizeof(Gfloat), &space);
    return 0;
}

Gint gset_fontprec(const Gfontprec *fontprec)
{
    if (!fontprec) return -1;
    if (fontprec->font == text.attr.font) return 0;
    text.attr.font = fontprec->font;
    gkeep(GOBJ_FONTPREC, 1, sizeof(Gfontprec), fontprec);
    if (num_fonts == 0) return 0;
    if (text.attr.font < 1 || text.attr.font > num_fonts) {
        MESS_print(M_WARN, "gset_fontprec: invalid font id: %d\n", text.attr.font);
        return -1;
    }
    return read_font(fonts[text.attr.font - 1].name);
}

int gset_font_drop(int ind)
{
    text.drop_shadow = ind;
    return 0;
}

int gget_font_drop() { return text.drop_shadow; }

int gset_font_drop_color(int ind)
{
    text.drop_color = ind;
    return 0;
}

int gget_text_colr() { return text.attr.color; }

int greset_text()
{
    text.attr = Gtext_attr{};
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------------------------

int gset_font_list(const char *list)
{
    strfcpy(font_list, list);
    return 1;
}

int gsetup_fonts()
{
    num_fonts = 0;
    const char *setting = font_list[0] ? font_list : RES_get("font_list");
    if (!setting || !setting[0]) setting = gx_get_default("font_list");
    char path[FILE_NAME_MAX + 1];
    if (setting && setting[0] && strnicmp(setting, "fi:", 3) == 0) {
        // The list file is named by the user's setting.
        FILE_add_path(RES_get("file_path"), setting + 3, path);
        if (FILE *fp = FILE_open(path, "r")) {
            read_list_file(fp);
            FILE_close(fp);
        } else {
            MESS_print(M_WARN, "gsetup_fonts: unable to load font list file: %s\n", path);
        }
    } else if (setting && setting[0]) {
        int count = 0;
        char **list = nullptr;
        if (parse_string(setting, ',', &count, &list) == 0) {
            for (int i = 0; i < count && num_fonts < MAX_FONTS; i++) add_font("", list[i]);
            free_parsed_array(count, list);
        }
    } else if (FILE *fp = open_plain("vyk.fnl", path)) {
        read_default_list(fp);
        FILE_close(fp);
    }
    // A font number outside the list (stored by gset_fontprec) falls back to the default font.
    const int font = text.attr.font;
    const bool listed = font >= 1 && font <= num_fonts;
    return read_font(listed ? fonts[font - 1].name : "modern.fnt");
}

int gget_font_index(const char *str)
{
    if (!str) return 1;
    if (std::isdigit(static_cast<unsigned char>(str[0]))) {
        // A number too large for an int is held at the largest one (no font has it).
        errno = 0;
        const long n = std::strtol(str, nullptr, 10);
        return errno == ERANGE || n > INT_MAX ? INT_MAX : static_cast<int>(n);
    }
    for (int i = 0; i < num_fonts; i++)
        if (stricmp(fonts[i].abbr, str) == 0) return i + 1;
    return 1;
}

int read_font(const char *name)
{
    if (!gchk_graphics()) return -1;
    clear_glyphs();
    if (!name) name = "";
    if (name[0] == '#') return load_server_font(name + 1);
    char path[FILE_NAME_MAX + 1];
    FILE *fp = open_plain(name, path);
    const int status = fp ? gread_font_data(fp) : -1;
    if (fp) FILE_close(fp);
    if (status != 0) {
        MESS_print(M_WARN, "read_font: unable to load font file: %s\n", path);
        return -1;
    }
    return 0;
}

int gread_font_data(FILE *fp)
{
    clear_glyphs();
    if (!fp) return -1;
    int first;
    if (!read_number(fp, first)) return -1;
    int len = 0;
    const bool labels = first != 255;  // the second layout labels each glyph
    if (!labels) font_db[len++] = 255;
    else if (!skip_word(fp)) return -1;
    for (;;) {
        int v;
        if (!read_number(fp, v) || v < 0 || v > 255 || len >= FONT_DB_SIZE) return -1;
        if (v == 254) {
            font_db[len++] = 255;
            break;
        }
        font_db[len++] = static_cast<unsigned char>(v);
        if (labels && v == 255 && !skip_word(fp)) return -1;
    }
    std::array<int, 256> start;
    for (int &off : start)
        if (!read_number(fp, off)) return -1;
    font_len = len;
    // Each start offset is checked against the data; a glyph that is not well formed counts
    // as missing.
    for (int c = 0; c < 256; c++) {
        const int off = start[c];
        if (off < 0 || off >= len) continue;
        int width = 0;
        if (!walk_glyph(off, [&](bool, int x, int) { width = std::max(width, x); })) continue;
        font_index[c] = off;
        font_size[c] = static_cast<unsigned char>(width);
    }
    font_size[' '] = BLANK_WIDTH;
    font_type = FONT_STROKE;
    return 0;
}
