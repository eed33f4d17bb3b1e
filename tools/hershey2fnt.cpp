// hershey2fnt: converts Hershey stroke fonts (.jhf files of the Debian package
// hershey-fonts-data) into the stroke-font files that the graphics kernel reads, and writes the
// font list vyk.fnl.  A standalone program (standard library only):
//
//   hershey2fnt [-s HERSHEY_DIR] -o OUT_DIR   every family of the table below, and vyk.fnl
//   hershey2fnt IN.jhf OUT.fnt [RINGS]        one font (RINGS: rings of the degree sign, 1)
//
// HERSHEY_DIR defaults to /usr/share/hershey-fonts.  Exit status 0, or 1 after a message on
// standard error when an input cannot be read or a font does not fit the format.
//
// The .jhf format: each glyph is a five-character number, a three-character count of
// coordinate pairs (the first pair included), then the pairs as two characters each; a
// coordinate is the character's code minus that of 'R', the first pair gives the left and
// right edge, and the pair " R" lifts the pen.  Records may be wrapped over several lines.
// The glyphs of the ASCII sets are those of the codes 32 to 126 in order.
//
// The font file written (data layout B: a number and a word, then the stroke data with a
// label word after every 255, the end mark 254, then 256 start offsets):
//   - font units: y upward with the descender line at 0, the baseline at 35, the cap line at
//     140 and the top line at 160 (five font units to a Hershey unit, whose cap height is 21);
//     a font whose tails reach lower has the part below the baseline squeezed;
//   - x from 0 at the glyph's leftmost point, so that a glyph's advance is its largest x; a
//     glyph wider than MAX_X is narrowed to fit;
//   - each stroke as a move (x + 128, y) followed by its draws (x, y); a glyph ends with 255;
//   - code 176 is a degree sign made of small circles.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int MAX_DATA = 15000;  // bytes of stroke data, the end mark included
constexpr int MAX_X = 125;       // a move stores x + 128, which must stay below 254
constexpr int MAX_Y = 253;       // 254 and 255 are marks
constexpr int UNIT = 5;          // font units per Hershey unit
constexpr int DEGREE = 176;

struct Family {
    const char *abbr;    // the abbreviation in vyk.fnl
    const char *source;  // the .jhf file
    const char *file;    // the font file written
    int rings;           // circles of the degree sign (heavier faces get two)
};

constexpr Family families[] = {
    {"modern", "rowmans.jhf", "modern.fnt", 1},   // roman simplex, the default font
    {"duplex", "rowmand.jhf", "duplex.fnt", 2},   // roman duplex
    {"triplex", "rowmant.jhf", "triplex.fnt", 2}, // roman triplex
    {"italic", "timesi.jhf", "italic.fnt", 2},    // italic (Times italic)
    {"script", "scripts.jhf", "script.fnt", 1},   // script simplex
    {"greek", "greeks.jhf", "greek.fnt", 1},      // greek simplex
};

struct Point {
    int x, y;
};
using Stroke = std::vector<Point>;
using Glyph = std::vector<Stroke>;

bool fail(const std::string &message)
{
    std::fprintf(stderr, "hershey2fnt: %s\n", message.c_str());
    return false;
}

// Parses a .jhf text into the glyphs of codes 32, 33, ... in file order.
bool parse_jhf(const std::string &text, const std::string &name, std::vector<Glyph> &glyphs)
{
    size_t pos = 0;
    auto next = [&](char &c) {
        while (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r')) pos++;
        if (pos >= text.size()) return false;
        c = text[pos++];
        return true;
    };
    while (true) {
        while (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r')) pos++;
        if (pos >= text.size()) break;
        char head[9] = {};
        for (int i = 0; i < 8; i++)
            if (!next(head[i])) return fail(name + ": truncated glyph header");
        const int count = std::atoi(head + 5);
        if (count < 1) return fail(name + ": bad pair count in '" + head + "'");
        Glyph glyph;
        Stroke stroke;
        for (int i = 0; i < count; i++) {
            char a, b;
            if (!next(a) || !next(b)) return fail(name + ": truncated glyph");
            if (i == 0) continue;  // left and right edge: not used
            if (a == ' ' && b == 'R') {
                if (!stroke.empty()) glyph.push_back(stroke);
                stroke.clear();
                continue;
            }
            stroke.push_back({a - 'R', b - 'R'});
        }
        if (!stroke.empty()) glyph.push_back(stroke);
        glyphs.push_back(glyph);
    }
    if (glyphs.empty()) return fail(name + ": no glyphs");
    return true;
}

// Converts a glyph to font units; counts the points moved into the byte range.  `descent` is
// the font's lowest point in Hershey units: a font whose tails reach below the descender line
// has the part below its baseline squeezed to fit.
Glyph to_font_units(const Glyph &glyph, int descent, int &clamped)
{
    int min_x = 1 << 30, max_x = -(1 << 30);
    for (const Stroke &s : glyph)
        for (const Point &p : s) {
            min_x = std::min(min_x, p.x);
            max_x = std::max(max_x, p.x);
        }
    const int span = (max_x - min_x) * UNIT;
    const double narrow = span > MAX_X ? static_cast<double>(MAX_X) / span : 1.0;
    Glyph out;
    for (const Stroke &s : glyph) {
        Stroke t;
        for (const Point &p : s) {
            const int x = static_cast<int>(std::lround((p.x - min_x) * UNIT * narrow));
            int y = 35 + UNIT * (9 - p.y);
            if (descent > 16 && p.y > 9)
                y = static_cast<int>(std::lround(35.0 - 35.0 * (p.y - 9) / (descent - 9)));
            if (y < 0 || y > MAX_Y) {
                clamped++;
                y = y < 0 ? 0 : MAX_Y;
            }
            t.push_back({x, y});
        }
        out.push_back(t);
    }
    return out;
}

// The degree sign: `rings` circles of 16 sides around (15, 125).
Glyph degree_sign(int rings)
{
    Glyph glyph;
    for (int r = 0; r < rings; r++) {
        const double radius = 15 - 3 * r;
        Stroke s;
        for (int k = 0; k <= 16; k++) {
            const double a = k * M_PI / 8;
            s.push_back({static_cast<int>(std::lround(15 + radius * std::cos(a))),
                         static_cast<int>(std::lround(125 + radius * std::sin(a)))});
        }
        glyph.push_back(s);
    }
    return glyph;
}

std::string label(int code)
{
    if (code > 32 && code < 127) return std::string(1, static_cast<char>(code));
    return "c" + std::to_string(code);
}

// Writes the font file; false when the data do not fit.
bool write_font(const std::vector<Glyph> &glyphs, int rings, const std::string &font_name,
                const std::string &out_name)
{
    Glyph font[256];
    int clamped = 0, descent = 16;
    for (const Glyph &g : glyphs)
        for (const Stroke &s : g)
            for (const Point &p : s) descent = std::max(descent, p.y);
    for (size_t i = 0; i < glyphs.size() && 32 + i < 127; i++)
        font[32 + i] = to_font_units(glyphs[i], descent, clamped);
    font[32].clear();  // the blank has no strokes: the kernel advances it by a fixed width
    font[DEGREE] = degree_sign(rings);

    std::ostringstream data;
    int offsets[256];
    int size = 0, count = 0;
    for (int c = 0; c < 256; c++) {
        offsets[c] = -1;
        if (font[c].empty()) continue;
        offsets[c] = size;
        count++;
        for (const Stroke &s : font[c])
            for (size_t i = 0; i < s.size(); i++) {
                data << (i == 0 ? s[i].x + 128 : s[i].x) << ' ' << s[i].y << ' ';
                size += 2;
            }
        data << "255 " << label(c) << '\n';
        size++;
    }
    data << "254\n";
    size++;
    if (size > MAX_DATA)
        return fail(out_name + ": " + std::to_string(size) + " bytes of stroke data, more than " +
                    std::to_string(MAX_DATA));
    if (clamped)
        std::fprintf(stderr, "hershey2fnt: %s: %d points moved into the byte range\n",
                     out_name.c_str(), clamped);

    std::ofstream out(out_name, std::ios::binary);
    if (!out) return fail("cannot write " + out_name);
    out << count << ' ' << font_name << '\n' << data.str();
    for (int c = 0; c < 256; c++) out << offsets[c] << (c % 16 == 15 ? '\n' : ' ');
    if (!out.flush()) return fail("cannot write " + out_name);
    return true;
}

bool convert(const std::string &in_name, const std::string &out_name, int rings)
{
    std::ifstream in(in_name, std::ios::binary);
    if (!in) return fail("cannot read " + in_name);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<Glyph> glyphs;
    if (!parse_jhf(text.str(), in_name, glyphs)) return false;
    std::string base = out_name.substr(out_name.find_last_of('/') + 1);
    base = base.substr(0, base.find('.'));
    return write_font(glyphs, rings, base.empty() ? "font" : base, out_name);
}

int usage()
{
    std::fprintf(stderr, "usage: hershey2fnt [-s HERSHEY_DIR] -o OUT_DIR\n"
                         "       hershey2fnt IN.jhf OUT.fnt [RINGS]\n");
    return 1;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string src = "/usr/share/hershey-fonts", out;
    std::vector<std::string> args;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if ((a == "-s" || a == "-o") && i + 1 < argc) (a == "-s" ? src : out) = argv[++i];
        else if (!a.empty() && a[0] == '-') return usage();
        else args.push_back(a);
    }
    if (out.empty()) {
        if (args.size() < 2 || args.size() > 3) return usage();
        const int rings = args.size() == 3 ? std::atoi(args[2].c_str()) : 1;
        return convert(args[0], args[1], rings < 1 ? 1 : rings) ? 0 : 1;
    }
    if (!args.empty()) return usage();
    std::string list;
    for (const Family &f : families) {
        if (!convert(src + "/" + f.source, out + "/" + f.file, f.rings)) return 1;
        list += std::string(f.abbr) + " " + f.file + "\n";
    }
    std::ofstream fnl(out + "/vyk.fnl", std::ios::binary);
    if (!(fnl << list) || !fnl.flush()) return usage();
    return 0;
}
