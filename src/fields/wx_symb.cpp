// wx_symb.cpp: weather symbols drawn from a stroke file, and the sky-cover circle.
//
// The stroke file ("wx.smb" by default, found along file_path) is plain text: a symbol is its
// name (one word of at most 14 characters), then strokes, each a run of coordinate pairs such
// as 0.5,0.25 (separated by white space) followed by one word, its kind ('F...' a filled
// polygon, any other word a polyline), and a '$' that ends the symbol.  Coordinates are
// fractions of the symbol's size from its lower-left corner.  The file is indexed once after
// each open (the first 100 names and the positions after them); a symbol's strokes are read
// from its position at its first use after the open and kept for the symbols drawn after.
//
// The file is untrusted: it is opened as a plain file only, words are read into bounded
// buffers, a stroke keeps at most WX_STROKE_MAX points (the rest is left out with a warning),
// and coordinates that are not numbers or lie beyond +-100 symbol sizes leave their stroke out.
#include "gks.h"
#include "wind_glyph.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char *DEFAULT_FILE = "wx.smb";
constexpr int WORD_MAX = 63;           // longest word kept of the file; the rest is passed over
constexpr float COORD_LIMIT = 100;     // coordinates beyond this many symbol sizes are refused
constexpr size_t REPORTED_MAX = 100;   // codes remembered as reported missing

struct Entry {
    char name[WX_NAME_MAX + 1];
    long pos;  // just after the name
};

// One stroke of a symbol as read: its points on the unit square and whether it is filled.
struct UnitStroke {
    bool fill;
    std::vector<Gpt> pts;
};

struct SymbolState {
    char file[FILE_NAME_MAX + 1] = "";  // the bare name of the open file
    FILE *fp = nullptr;
    bool stale = false;                 // the index must be rebuilt
    std::array<Entry, WX_INDEX_MAX> index{};
    int count = 0;
    std::array<bool, WX_INDEX_MAX> read{};                         // strokes read for entry i
    std::array<std::vector<UnitStroke>, WX_INDEX_MAX> strokes{};   // entry i's strokes
    std::string failed;                 // the path whose open failed last (warned once)
    std::vector<std::string> reported;  // codes without a symbol, each said once
};

SymbolState state;

// The next white-space delimited word: at most WORD_MAX characters kept (the rest of a longer
// word read and dropped); its full length is returned, 0 at the end of the stream.
size_t read_word(FILE *fp, std::string &word)
{
    word.clear();
    int c;
    while ((c = std::getc(fp)) != EOF && std::isspace(c)) {
    }
    size_t len = 0;
    while (c != EOF && !std::isspace(c)) {
        if (len < static_cast<size_t>(WORD_MAX)) word += static_cast<char>(c);
        len++;
        c = std::getc(fp);
    }
    return len;
}

// Reads up to the next '$' and the white space after it; false at the end of the stream.
bool skip_definition(FILE *fp)
{
    int c;
    while ((c = std::getc(fp)) != EOF && c != '$') {
    }
    if (c == EOF) return false;
    while ((c = std::getc(fp)) != EOF && std::isspace(c)) {
    }
    if (c != EOF) std::ungetc(c, fp);
    return true;
}

void build_index()
{
    state.stale = false;
    state.count = 0;
    state.read.fill(false);
    for (std::vector<UnitStroke> &v : state.strokes) v.clear();
    std::rewind(state.fp);
    std::string name;
    bool long_said = false;
    while (!std::feof(state.fp)) {
        const size_t len = read_word(state.fp, name);
        if (len == 0) break;
        if (state.count == WX_INDEX_MAX) {
            MESS_print(M_WARN, "WX_symb: only the first %d symbols of %s are used\n", WX_INDEX_MAX,
                       state.file);
            break;
        }
        const bool has_end = name.find('$') != std::string::npos;
        if (len > static_cast<size_t>(WX_NAME_MAX)) {
            if (!long_said)
                MESS_print(M_WARN, "WX_symb: symbol names longer than %d characters left out: %s\n",
                           WX_NAME_MAX, name.c_str());
            long_said = true;
        } else if (!has_end) {
            Entry &e = state.index[static_cast<size_t>(state.count++)];
            strfcpy(e.name, name.c_str());
            e.pos = std::ftell(state.fp);
        }
        // A name holding the '$' is a definition of its own, already passed.
        if (!has_end && !skip_definition(state.fp)) break;
    }
}

// The first entry in file order whose name begins code, letter case ignored; -1 for none.
int find_entry(const char *code)
{
    for (int i = 0; i < state.count; i++) {
        const Entry &e = state.index[static_cast<size_t>(i)];
        const size_t n = std::strlen(e.name);
        if (n > 0 && strnicmp(e.name, code, static_cast<int>(n)) == 0 && std::strlen(code) >= n)
            return i;
    }
    return -1;
}

// Says once for each code that it has no symbol.
void report_missing(const char *code)
{
    for (const std::string &r : state.reported)
        if (r == code) return;
    if (state.reported.size() < REPORTED_MAX) state.reported.emplace_back(code);
    MESS_print(M_WARN, "WX_symb: no symbol %s in %s\n", code, state.file);
}

// "x,y" with nothing else: both numbers, finite and within the coordinate limit.
enum class Pair { none, good, bad };

Pair parse_pair(const std::string &word, float &px, float &py)
{
    const char *s = word.c_str();
    char *end = nullptr;
    if (s[0] == '\0' || std::isspace(static_cast<unsigned char>(s[0]))) return Pair::none;
    px = std::strtof(s, &end);
    if (end == s || *end != ',') return Pair::none;
    const char *t = end + 1;
    if (*t == '\0' || std::isspace(static_cast<unsigned char>(*t))) return Pair::none;
    py = std::strtof(t, &end);
    if (end == t || *end != '\0') return Pair::none;
    if (!std::isfinite(px) || !std::isfinite(py) || std::fabs(px) > COORD_LIMIT ||
        std::fabs(py) > COORD_LIMIT)
        return Pair::bad;
    return Pair::good;
}

// What reading one stroke found.
enum class Read { done, stroke, skipped, cut_short };

// Reads the next stroke of symbol name from the stream into out.
Read read_stroke(const char *name, UnitStroke &out)
{
    out.pts.clear();
    bool bad = false, too_long = false;
    std::string word;
    for (;;) {
        if (read_word(state.fp, word) == 0) return out.pts.empty() && !bad ? Read::done : Read::cut_short;
        float px = 0, py = 0;
        const Pair p = parse_pair(word, px, py);
        if (p == Pair::none) break;
        if (p == Pair::bad) bad = true;
        else if (out.pts.size() < static_cast<size_t>(WX_STROKE_MAX)) out.pts.push_back({px, py});
        else too_long = true;
    }
    // The word after the pairs is the kind; with no pair read it ends the symbol ('$').
    if (out.pts.empty() && !bad) return Read::done;
    if (too_long)
        MESS_print(M_WARN, "WX_symb: stroke of symbol %s cut to %d points\n", name, WX_STROKE_MAX);
    if (bad) {
        MESS_print(M_WARN, "WX_symb: stroke of symbol %s left out: coordinates out of range\n", name);
        return Read::skipped;
    }
    out.fill = word[0] == 'F';
    return Read::stroke;
}

// The strokes of an entry, read from the file at its first use after an open.
const std::vector<UnitStroke> &strokes_of(int ind)
{
    std::vector<UnitStroke> &cached = state.strokes[static_cast<size_t>(ind)];
    if (state.read[static_cast<size_t>(ind)]) return cached;
    state.read[static_cast<size_t>(ind)] = true;
    const Entry &e = state.index[static_cast<size_t>(ind)];
    if (std::fseek(state.fp, e.pos, SEEK_SET) != 0) return cached;
    UnitStroke s;
    for (;;) {
        const Read r = read_stroke(e.name, s);
        if (r == Read::done) break;
        if (r == Read::cut_short) {
            MESS_print(M_WARN, "WX_symb: symbol %s of %s ends early\n", e.name, state.file);
            break;
        }
        // Points that the kernel would not draw (a line of one point, a fill of two) go.
        if (r == Read::stroke && s.pts.size() >= (s.fill ? 3u : 2u)) cached.push_back(s);
    }
    return cached;
}

// The lower-left corner of a symbol whose point (x, y) is placed by the text alignment.
void align(float &x, float &y, float size)
{
    Gint err = 0;
    Gtext_align a = {GNORMAL_HOR, GNORMAL_VERT};
    ginq_text_align(&err, &a);
    if (a.hor == GRIGHT_HOR) x -= size;
    else if (a.hor == GCENTER_HOR) x -= size / 2;
    if (a.ver == GTOP_VERT || a.ver == GCAP_VERT) y -= size;
    else if (a.ver == GHALF_VERT) y -= size / 2;
}

// ---------------------------------------------------------------------------------------------
// Sky-cover circles
// ---------------------------------------------------------------------------------------------

struct Circle {
    double xc, yc, rad;
    Gpt rim(double deg) const
    {
        const double a = deg * VECT_DEG2RAD;
        return {static_cast<float>(xc + rad * std::cos(a)), static_cast<float>(yc + rad * std::sin(a))};
    }
    Gpt centre() const { return {static_cast<float>(xc), static_cast<float>(yc)}; }
};

void outline(const Circle &c)
{
    Gpt pts[13];
    for (int i = 0; i <= 12; i++) pts[i] = c.rim(30.0 * i);
    gpolyline(13, pts);
}

// A filled polygon of rim points from a to b (step 30, both included), then the extra points.
void fill_rim(const Circle &c, const std::vector<double> &angles, std::vector<Gpt> extra)
{
    std::vector<Gpt> pts;
    for (double a : angles) pts.push_back(c.rim(a));
    pts.insert(pts.end(), extra.begin(), extra.end());
    gfill_area(static_cast<int>(pts.size()), pts.data());
}

std::vector<double> steps(double from, double to)
{
    std::vector<double> a;
    for (double d = from; d <= to + 1e-9; d += 30) a.push_back(d);
    return a;
}

void segment(const Gpt &a, const Gpt &b)
{
    const Gpt pts[2] = {a, b};
    gpolyline(2, pts);
}

void quarter(const Circle &c) { fill_rim(c, steps(0, 90), {c.centre(), c.rim(0)}); }
void half(const Circle &c)
{
    std::vector<double> a = steps(-90, 90);
    fill_rim(c, a, {c.rim(-90)});
}

// What each cover character draws besides (or instead of) the circle.
enum class Cover {
    clear, fifth, quarter, quarter_line, half, half_line, three_quarters, slot, overcast, obscured,
    missing
};

Cover cover_kind(char cover)
{
    struct Row {
        const char *chars;
        Cover kind;
    };
    static const Row rows[] = {
        {"0Cbosx", Cover::clear}, {"1F", Cover::fifth},        {"2S", Cover::quarter},
        {"3", Cover::quarter_line}, {"4", Cover::half},        {"5", Cover::half_line},
        {"6B", Cover::three_quarters}, {"7", Cover::slot},     {"8O", Cover::overcast},
        {"9X", Cover::obscured},
    };
    if (cover != '\0')
        for (const Row &r : rows)
            if (std::strchr(r.chars, cover)) return r.kind;
    return Cover::missing;
}

}  // namespace

int WX_symb_file(const char *file)
{
    if (state.fp && file && stricmp(file, state.file) == 0) return -1;
    const char *name = file ? file : DEFAULT_FILE;
    char path[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("file_path"), name, path);
    if (state.fp) std::fclose(state.fp);
    state.fp = nullptr;
    // A plain file only: never a command or a standard stream, whatever the name says.
    if (name[0] != '|' && path[0] != '|' && FILE_is_file(path) &&
        std::strlen(name) <= static_cast<size_t>(FILE_NAME_MAX))
        state.fp = std::fopen(path, "r");
    if (!state.fp) {
        // A symbol plot asks for the default file at every symbol: say it once in a row.
        if (state.failed != path)
            MESS_print(M_WARN_C, "WX_symb_file: Unable to open file: %s\n", path);
        state.failed = path;
        return -1;
    }
    state.failed.clear();
    strfcpy(state.file, name);
    state.stale = true;
    state.count = 0;
    state.reported.clear();
    return 0;
}

int WX_symb(float x, float y, const char *code, float size)
{
    if (!state.fp) WX_symb_file(nullptr);
    if (!state.fp || !code || code[0] == '\0' || code[0] == ' ') return 0;
    if (state.stale) build_index();
    const int ind = find_entry(code);
    if (ind < 0) {
        report_missing(code);
        return 0;
    }
    align(x, y, size);
    std::vector<Gpt> pts;
    for (const UnitStroke &s : strokes_of(ind)) {
        pts.clear();
        for (const Gpt &p : s.pts) pts.push_back({x + p.x * size, y + p.y * size});
        const int n = static_cast<int>(pts.size());
        if (s.fill) gfill_area(n, pts.data());
        else gpolyline(n, pts.data());
    }
    return 1;
}

int WX_cloud(float x_center, float y_center, float rad, char cover)
{
    const Circle c = {x_center, y_center, rad};
    const Cover kind = cover_kind(cover);
    gset_fill_int_style(GSOLID);
    if (kind != Cover::overcast) outline(c);
    switch (kind) {
    case Cover::clear: break;
    case Cover::fifth: segment(c.rim(90), c.rim(270)); break;
    case Cover::quarter: quarter(c); break;
    case Cover::quarter_line:
        quarter(c);
        segment(c.centre(), c.rim(270));
        break;
    case Cover::half: half(c); break;
    case Cover::half_line:
        half(c);
        segment(c.centre(), c.rim(180));
        break;
    case Cover::three_quarters: fill_rim(c, steps(-180, 90), {c.centre(), c.rim(180)}); break;
    case Cover::slot: {
        fill_rim(c, {-75, -60, -30, 0, 30, 60, 75, -75}, {});
        fill_rim(c, {105, 120, 150, 180, 210, 240, 255, 105}, {});
        break;
    }
    case Cover::overcast: {
        Gpt pts[13];
        for (int i = 0; i <= 12; i++) pts[i] = c.rim(30.0 * i);
        gfill_area(13, pts);
        break;
    }
    case Cover::obscured:
        segment(c.rim(45), c.rim(225));
        segment(c.rim(135), c.rim(315));
        break;
    case Cover::missing: {
        constexpr double m[5][2] = {{-0.7, -0.7}, {-0.7, 0.7}, {0, 0}, {0.7, 0.7}, {0.7, -0.7}};
        Gpt pts[5];
        for (int i = 0; i < 5; i++)
            pts[i] = {static_cast<float>(c.xc + m[i][0] * rad), static_cast<float>(c.yc + m[i][1] * rad)};
        gpolyline(5, pts);
        break;
    }
    }
    return 0;
}
