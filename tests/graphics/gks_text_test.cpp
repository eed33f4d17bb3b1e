// Text and stroke fonts: the font converter (it reproduces the committed fonts from the Hershey
// data and keeps to the byte limits of the format), glyph widths of modern.fnt, the stroke
// layout's alignment and spacing tables on a small fixture font, the checks on untrusted font
// data, the font list, text on the own window in every alignment, turned and with a drop
// shadow (bounding boxes in an xwd capture), and the drop shadow on PostScript after an X11
// window has gone.
#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "vyk.h"
#include "vykgks.h"
#include "vykresrc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::run;
using vyktest::TempDir;

namespace {

const std::string ETC = std::string(VYK_SOURCE_DIR) + "/etc";
const char *const FONT_FILES[] = {"modern.fnt", "duplex.fnt", "triplex.fnt",
                                  "italic.fnt", "script.fnt", "greek.fnt"};

int load_text(const std::string &data)
{
    FILE *fp = fmemopen(const_cast<char *>(data.data()), data.size(), "r");
    if (!fp) return -2;
    const int r = gread_font_data(fp);
    std::fclose(fp);
    return r;
}

int load_file(const std::string &path) { return load_text(vyktest::read_file(path)); }

struct Pt {
    int draw;
    float x, y;
};

std::vector<Pt> strokes(const char *text, float x = 0, float y = 0)
{
    std::vector<Pt> pts;
    const Gpt pos{x, y};
    gtext_strokes(&pos, text, [](void *arg, int draw, float px, float py) {
        static_cast<std::vector<Pt> *>(arg)->push_back({draw, px, py});
    }, &pts);
    return pts;
}

// The converter, built from its source as a user would build it.
std::string build_converter(const TempDir &dir)
{
    const std::string exe = dir.file("hershey2fnt");
    const auto r = run("c++ -std=c++20 -O1 -o " + exe + " " + std::string(VYK_SOURCE_DIR) +
                       "/tools/hershey2fnt.cpp");
    EXPECT_EQ(r.status, 0) << r.err;
    return exe;
}

// A Hershey record: number, pair count, the edges pair, then the pairs.
std::string jhf_glyph(const std::string &pairs)
{
    char head[32];
    std::snprintf(head, sizeof head, "%5d%3d", 1, static_cast<int>(pairs.size() / 2 + 1));
    return std::string(head) + "JZ" + pairs + "\n";
}

// The fixture font, first layout: 'a' a stroke up the left edge and along the top line (width
// 50, y 0 to 160), 'b' one stroke from the baseline to the cap line (width 60).
std::string fixture_font()
{
    std::string s = "255 128 0 0 160 50 160 255 128 35 60 140 255 254\n";
    for (int c = 0; c < 256; c++) s += c == 'a' ? "1 " : c == 'b' ? "8 " : "-1 ";
    return s;
}

}  // namespace

TEST(GksText, ConverterReproducesCommittedFonts)
{
    TempDir dir;
    const std::string exe = build_converter(dir);
    const auto r = run(exe + " -o " + dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char *name : FONT_FILES) {
        SCOPED_TRACE(name);
        EXPECT_EQ(vyktest::read_file(dir.file(name)), vyktest::read_file(ETC + "/" + name));
        EXPECT_EQ(load_file(ETC + "/" + name), 0);
    }
    EXPECT_EQ(vyktest::read_file(dir.file("vyk.fnl")), vyktest::read_file(ETC + "/vyk.fnl"));
}

TEST(GksText, ConverterLimits)
{
    TempDir dir;
    const std::string exe = build_converter(dir);
    // 40 Hershey units wide (200 font units) and a tail 20 units below the baseline.
    vyktest::write_file(dir.file("in.jhf"), jhf_glyph("") + jhf_glyph(">R\\R") +
                                                jhf_glyph("RIRf"));
    auto r = run(exe + " " + dir.file("in.jhf") + " " + dir.file("out.fnt"));
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(load_file(dir.file("out.fnt")), 0);
    EXPECT_EQ(gtext_length("!"), 125);  // narrowed: a move stores x + 128 below 254
    float low = 1e9f;
    for (const Pt &p : strokes("\"")) low = std::min(low, p.y);
    EXPECT_NEAR(low / 0.01f * 105, -35, 0.01);  // the tail squeezed onto the descender line
    EXPECT_GT(gtext_length("\260"), 0);         // the degree sign is always made

    // Too much stroke data for the kernel's store is refused.
    std::string big;
    std::string zigzag;
    for (int i = 0; i < 100; i++) zigzag += i % 2 ? "RR" : "SS";
    for (int i = 0; i < 95; i++) big += jhf_glyph(zigzag);
    vyktest::write_file(dir.file("big.jhf"), big);
    r = run(exe + " " + dir.file("big.jhf") + " " + dir.file("big.fnt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("more than 15000"), std::string::npos) << r.err;
}

TEST(GksText, ModernWidths)
{
    ASSERT_EQ(load_file(ETC + "/modern.fnt"), 0);
    struct Case {
        const char *text;
        int width;
    } const cases[] = {
        {"A", 80}, {"H", 70}, {"i", 10}, {"W", 100}, {"m", 110}, {"1", 25},
        {" ", 40}, {"\260", 30}, {"\200", 0},  // blank, degree sign, no glyph
        {"HA", 70 + 25 + 80},
    };
    for (const Case &c : cases) EXPECT_EQ(gtext_length(c.text), c.width) << c.text;
    // Descenders reach the descender line and the bar the top line.
    float lo = 1e9f, hi = -1e9f;
    for (const Pt &p : strokes("gy|")) {
        lo = std::min(lo, p.y);
        hi = std::max(hi, p.y);
    }
    EXPECT_NEAR(lo / 0.01f * 105, -35, 0.01);
    EXPECT_NEAR(hi / 0.01f * 105, 125, 0.01);
}

TEST(GksText, AlignmentAndSpacingTables)
{
    ASSERT_EQ(load_text(fixture_font()), 0);
    struct Case {
        const char *text;
        Gtext_hor hor;
        Gtext_ver ver;
        float space, char_space;
        int length;                // measured length
        std::vector<int> starts;   // x of each drawn glyph's first point, font units
        int low, high;             // y range of the points, font units
    } const cases[] = {
        {"ab", GCENTER_HOR, GNORMAL_VERT, 0.25f, 0, 135, {-67, 8}, -35, 125},
        {"ab", GLEFT_HOR, GTOP_VERT, 0.25f, 0, 135, {0, 75}, -160, 0},
        {"ab", GRIGHT_HOR, GCAP_VERT, 0.25f, 0, 135, {-135, -60}, -140, 20},
        {"ab", GNORMAL_HOR, GHALF_VERT, 0.25f, 0, 135, {0, 75}, -85, 75},
        {"ab", GNORMAL_HOR, GBASE_VERT, 0.25f, 0, 135, {0, 75}, -35, 125},
        {"ab", GNORMAL_HOR, GBOTTOM_VERT, 0.25f, 0, 135, {0, 75}, 0, 160},
        {"a", GRIGHT_HOR, GBOTTOM_VERT, 0.25f, 0, 50, {-50}, 0, 160},  // no spacing
        {"a b", GNORMAL_HOR, GBOTTOM_VERT, 0.25f, 0, 200, {0, 140}, 0, 160},  // blank: 40 + 25
        {"a\1b", GNORMAL_HOR, GBOTTOM_VERT, 0.5f, 0, 210, {0, 100}, 0, 160},  // no glyph
        {"aaab", GNORMAL_HOR, GBOTTOM_VERT, 0.25f, 0.5f, 236, {0, 62, 124, 186}, 0, 160},
        {"aab", GRIGHT_HOR, GBOTTOM_VERT, 0.25f, 0.5f, 174, {-174, -111, -48}, 0, 160},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const Gtext_align align{c.hor, c.ver};
        gset_text_align(&align);
        gset_space(c.space);
        gset_char_space(c.char_space);
        EXPECT_EQ(gtext_length(c.text), c.length);
        std::vector<int> starts;
        float lo = 1e9f, hi = -1e9f;
        bool first = true;
        for (const Pt &p : strokes(c.text)) {
            // Each fixture glyph begins with a move to its x of 0.
            if (!p.draw) starts.push_back(static_cast<int>(std::lround(p.x / 0.01f * 105)));
            lo = std::min(lo, p.y);
            hi = std::max(hi, p.y);
            first = false;
        }
        EXPECT_FALSE(first);
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(std::lround(lo / 0.01f * 105), c.low);
        EXPECT_EQ(std::lround(hi / 0.01f * 105), c.high);
    }

    // The up vector (1, 0) turns the text a quarter turn clockwise: the baseline runs down.
    const Gtext_align normal{GNORMAL_HOR, GNORMAL_VERT};
    gset_text_align(&normal);
    gset_char_space(0);
    const Gpt up{2, 0};
    gset_char_up_vec(&up);
    const std::vector<Pt> turned = strokes("b");
    ASSERT_EQ(turned.size(), 2u);
    EXPECT_NEAR(turned[1].x / 0.01f * 105, 105, 0.01);  // the cap line lies to the right
    EXPECT_NEAR(turned[1].y / 0.01f * 105, -60, 0.01);  // and x runs down
    const Gpt zero{0, 0};
    gset_char_up_vec(&zero);  // no direction: ignored
    EXPECT_NEAR(strokes("b")[1].x / 0.01f * 105, 105, 0.01);
}

TEST(GksText, FontDataIsChecked)
{
    auto ones = [](int n) {
        std::string s;
        for (int i = 0; i < n; i++) s += "1 ";
        return s;
    };
    struct Case {
        const char *what;
        std::string data;  // up to the end mark
        int off_a;         // start offset of 'a'; -2: the offsets are cut short
        int result;
        int width_a;
    } const cases[] = {
        {"second layout: labels skipped", "9 name 129 5 40 5 255 A 254", 0, 0, 40},
        {"first layout", "255 129 5 40 5 255 254", 1, 0, 40},
        {"offset past the data", "255 129 5 40 5 255 254", 7, 0, 0},
        {"negative offset", "255 129 5 40 5 255 254", -5, 0, 0},
        {"glyph running into the end of the store", "255 129 5 40 254", 1, 0, 0},
        {"a mark where a y belongs", "255 129 5 40 255 7 7 255 254", 1, 0, 0},
        {"the largest store", "255 " + ones(14998) + "254", 1, 0, 1},
        {"data past 15000 bytes", "255 " + ones(14999) + "254", 1, -1, 0},
        {"not a number", "255 129 5 x 5 255 254", 1, -1, 0},
        {"byte out of range", "255 129 5 300 5 255 254", 1, -1, 0},
        {"no end mark", "255 129 5 40 5 255", 1, -1, 0},
        {"offsets cut short", "255 129 5 40 5 255 254 -1 -1", -2, -1, 0},
        {"empty", "", -2, -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string data = c.data;
        if (c.off_a != -2)
            for (int k = 0; k < 256; k++)
                data += " " + std::to_string(k == 'a' ? c.off_a : -1);
        // A good font first, so that a refused one is seen to remove its glyphs.
        ASSERT_EQ(load_text(fixture_font()), 0);
        EXPECT_EQ(load_text(data), c.result);
        EXPECT_EQ(gtext_length("a"), c.width_a);
        EXPECT_EQ(gtext_length("b"), 0);
        EXPECT_EQ(gtext_length(" "), c.result == 0 ? 40 : 0);
        if (c.width_a == 0) {
            EXPECT_TRUE(strokes("a").empty());
        }
    }
}

// ---------------------------------------------------------------------------------------------
// With a workstation
// ---------------------------------------------------------------------------------------------

namespace {

struct Box {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -(1 << 20), y1 = -(1 << 20);
    bool empty() const { return x1 < x0; }
};

std::ostream &operator<<(std::ostream &os, const Box &b)
{
    return os << "[" << b.x0 << "," << b.y0 << " .. " << b.x1 << "," << b.y1 << "]";
}

constexpr unsigned long GREY = 0x808080;

// Paints the pixmap grey.
void clear_window()
{
    Display *d = gget_display();
    XGCValues v;
    v.foreground = GREY;
    GC gc = XCreateGC(d, gget_base_window(), GCForeground, &v);
    XFillRectangle(d, gget_base_window(), gc, 0, 0, 640, 512);
    XFreeGC(d, gc);
}

// The own window with transformation 1 in pixels of its left 512 x 512 square (y up), the
// fonts from etc/, and the pixmap painted grey.
void open_window()
{
    RES_put("file_path", ETC.c_str());
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    const Glim win = {0, 511, 0, 511};
    ASSERT_EQ(gset_win(1, &win), 0);
    ASSERT_EQ(gsel_norm_tran(1), 0);
    ASSERT_NE(gget_text_gc(), nullptr);
    clear_window();
}

// Bounding boxes of the white (text) and black (shadow) pixels in an xwd capture of the window.
void capture(Box &white, Box &black)
{
    gupdate_window();
    const vyktest::RgbImage img = vyktest::capture_xwd(gget_root_window());
    ASSERT_GT(img.width, 0);
    for (int y = 0; y < img.height; y++)
        for (int x = 0; x < img.width; x++) {
            const vyktest::Rgb p = img.at(x, y);
            Box *b = p == vyktest::Rgb{255, 255, 255} ? &white
                     : p == vyktest::Rgb{0, 0, 0}     ? &black
                                                      : nullptr;
            if (!b) continue;
            b->x0 = std::min(b->x0, x);
            b->x1 = std::max(b->x1, x);
            b->y0 = std::min(b->y0, y);
            b->y1 = std::max(b->y1, y);
        }
}

}  // namespace

TEST(GksText, FontListAndIndex)
{
    RES_put("file_path", ETC.c_str());
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    {
        CaptureStdio cap;
        gset_font_list("fi:no_such.list");
        ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
        cap.finish();
        EXPECT_NE(cap.err().find("gsetup_fonts: unable to load font list file: " + ETC +
                                 "/no_such.list"),
                  std::string::npos)
            << cap.err();
    }
    EXPECT_EQ(gtext_length("A"), 80);  // modern.fnt
    EXPECT_EQ(gget_font_index("script"), 1);  // no list

    gset_font_list("");
    EXPECT_EQ(gsetup_fonts(), 0);  // vyk.fnl
    EXPECT_EQ(gget_font_index("Script"), 5);
    EXPECT_EQ(gget_font_index("3rd"), 3);
    EXPECT_EQ(gget_font_index("nosuch"), 1);
    // A number beyond an int is held at the largest one: no font has it.
    EXPECT_EQ(gget_font_index("2147483647"), 2147483647);
    EXPECT_EQ(gget_font_index("2147483648"), 2147483647);
    EXPECT_EQ(gget_font_index("99999999999999999999999999"), 2147483647);
    const int modern = gtext_length("Script");
    const Gfontprec script{5, GSTROKE_PREC};
    EXPECT_EQ(gset_fontprec(&script), 0);
    EXPECT_NE(gtext_length("Script"), modern);
    {
        CaptureStdio cap;
        const Gfontprec bad{9, GSTROKE_PREC};
        EXPECT_EQ(gset_fontprec(&bad), -1);
        EXPECT_EQ(read_font("no_such.fnt"), -1);
        cap.finish();
        EXPECT_NE(cap.err().find("gset_fontprec: invalid font id: 9"), std::string::npos);
        EXPECT_NE(cap.err().find("read_font: unable to load font file: " + ETC + "/no_such.fnt"),
                  std::string::npos);
    }
    EXPECT_EQ(gtext_length("A"), 0);  // the failed load removed the glyphs

    // A ',' list with an X server font; the text then comes from the server.
    gset_font_list("modern.fnt,#fixed");
    EXPECT_EQ(gsetup_fonts(), 0);
    const Gfontprec server{2, GSTROKE_PREC};
    EXPECT_EQ(gset_fontprec(&server), 0);
    const Gpt at{100, 100};
    EXPECT_EQ(gtext(&at, "X"), 0);
    EXPECT_EQ(gclose_ws(1), 0);
}

TEST(GksText, WindowAlignments)
{
    vyktest::PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    open_window();
    // 105 font units to 105 pixels.
    ASSERT_EQ(gset_char_ht(105), 0);
    const int px = 256, py = 256;  // the position, in pixels
    const Gpt at{static_cast<float>(px), static_cast<float>(511 - py)};
    struct Case {
        Gtext_hor hor;
        Gtext_ver ver;
    } const cases[] = {
        {GNORMAL_HOR, GNORMAL_VERT}, {GLEFT_HOR, GTOP_VERT}, {GCENTER_HOR, GCAP_VERT},
        {GRIGHT_HOR, GHALF_VERT},    {GLEFT_HOR, GBASE_VERT}, {GCENTER_HOR, GBOTTOM_VERT},
    };
    // "HH": cap line 140, baseline 35, x 0 to 70 + 25 + 70.
    const int length = 165;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "align " << c.hor << " " << c.ver);
        clear_window();
        const Gtext_align align{c.hor, c.ver};
        gset_text_align(&align);
        ASSERT_EQ(gtext(&at, "HH"), 0);
        Box white, black;
        capture(white, black);
        ASSERT_FALSE(white.empty());
        EXPECT_TRUE(black.empty()) << black;
        const int left = c.hor == GCENTER_HOR  ? px - length / 2
                         : c.hor == GRIGHT_HOR ? px - length
                                               : px;
        static constexpr int lift[] = {35, 160, 140, 85, 35, 0};  // font y at the position
        EXPECT_NEAR(white.x0, left, 1) << white;
        EXPECT_NEAR(white.x1, left + length, 1) << white;
        EXPECT_NEAR(white.y0, py - (140 - lift[c.ver]), 1) << white;
        EXPECT_NEAR(white.y1, py - (35 - lift[c.ver]), 1) << white;
    }
    gclose_ws(1);
}

TEST(GksText, WindowTurnedAndShadowed)
{
    vyktest::PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    open_window();
    ASSERT_EQ(gset_char_ht(105), 0);
    const int px = 200, py = 100;
    const Gpt at{static_cast<float>(px), static_cast<float>(511 - py)};
    // A quarter turn clockwise: the text runs down the window, its cap line to the right.
    const Gpt up{1, 0};
    gset_char_up_vec(&up);
    ASSERT_EQ(gtext(&at, "HH"), 0);
    Box white, black;
    capture(white, black);
    EXPECT_NEAR(white.x0, px, 1) << white;
    EXPECT_NEAR(white.x1, px + 105, 1) << white;
    EXPECT_NEAR(white.y0, py, 1) << white;
    EXPECT_NEAR(white.y1, py + 165, 1) << white;
    EXPECT_TRUE(black.empty()) << black;

    // Four shadow copies in black, one pixel further right and down each.
    clear_window();
    const Gpt upright{0, 1};
    gset_char_up_vec(&upright);
    gset_font_drop(4);
    ASSERT_EQ(gtext(&at, "HH"), 0);
    Box w2, b2;
    capture(w2, b2);
    EXPECT_NEAR(w2.x0, px, 1) << w2;
    EXPECT_NEAR(w2.y1, py, 1) << w2;
    ASSERT_FALSE(b2.empty());
    EXPECT_NEAR(b2.x1, w2.x1 + 3, 1) << b2 << w2;
    EXPECT_NEAR(b2.y1, w2.y1 + 3, 1) << b2 << w2;
    EXPECT_NEAR(b2.x0, w2.x0, 1) << b2 << w2;
    // The text itself is drawn in its colour again after the shadow.
    XGCValues v;
    XGetGCValues(gget_display(), gget_text_gc(), GCForeground, &v);
    EXPECT_NE(v.foreground, BlackPixel(gget_display(), gget_screen()));
    gclose_ws(1);
}

TEST(GksText, SizesAreFiniteNumbersOfZeroOrMore)
{
    // An infinite height or width would reach a printer as "inf", which no PostScript reads.
    vyktest::TempDir dir;
    RES_put("file_path", ETC.c_str());
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, dir.file("t.ps").c_str(), GWS_PS), 0);
    struct Case {
        Gint (*set)(Gfloat);
        float value;
        const char *message;
    };
    const Case cases[] = {
        {gset_char_ht, INFINITY, "gset_char_ht: invalid character height: inf\n\n"},
        {gset_char_ht, -1, "gset_char_ht: invalid character height: -1.000000\n\n"},
        {gset_text_width, INFINITY, "gset_text_width: invalid text width: inf\n\n"},
        {gset_text_width, NAN, "gset_text_width: invalid text width: nan\n\n"},
        {gset_expan, -INFINITY, "gset_expan: invalid expansion factor: -inf\n\n"},
    };
    vyktest::CaptureStdio cap;
    std::string want;
    for (const Case &c : cases) {
        EXPECT_EQ(c.set(c.value), -1) << c.message;
        want += c.message;
    }
    cap.finish();
    EXPECT_EQ(cap.err(), want);
    EXPECT_EQ(gset_char_ht(0), 0);  // zero is a size
    gclose_ws(1);
}

TEST(GksText, PostScriptShadowWithoutXContext)
{
    // An X11 window comes and goes first: its text context is freed with it, and the PostScript
    // workstation after it must not touch it (the sanitizers would see it).
    RES_put("file_path", ETC.c_str());
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, "", GWS_X11), 0);
    ASSERT_EQ(gclose_ws(1), 0);

    TempDir dir;
    const std::string ps = dir.file("text.ps");
    ASSERT_EQ(gopen_ws(1, ps.c_str(), GWS_PS), 0);
    ASSERT_EQ(gset_char_ht(0.05f), 0);
    gset_font_drop(3);
    const Gpt at{0.2f, 0.5f};
    ASSERT_EQ(gtext(&at, "Hi"), 0);
    ASSERT_EQ(gclose_ws(1), 0);
    const std::string out = vyktest::read_file(ps);
    size_t copies = 0;
    for (size_t p = out.find("%%TE:"); p != std::string::npos; p = out.find("%%TE:", p + 1))
        copies++;
    EXPECT_EQ(copies, 4u);  // three shadows and the text
    EXPECT_NE(out.find("%%TE:0.200000 0.500000 Hi\n"), std::string::npos);
    EXPECT_NE(out.find(" mv\n"), std::string::npos);
    EXPECT_NE(out.find(" ln\n"), std::string::npos);
    const auto r = run("gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=bbox " + vyktest::quote(ps));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("%%BoundingBox:"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Error"), std::string::npos) << r.err;
}

TEST(GksText, MetafileRecordsAndHpglStrokes)
{
    RES_put("file_path", ETC.c_str());
    gset_font_drop(0);
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    TempDir dir;
    const std::string meta = dir.file("text.meta");
    ASSERT_EQ(gopen_ws(1, meta.c_str(), GWS_META), 0);
    for (int twice = 0; twice < 2; twice++) {  // a repeated setting writes nothing
        EXPECT_EQ(gset_char_ht(0.02f), 0);
        EXPECT_EQ(gset_expan(1.5f), 0);
        EXPECT_EQ(gset_text_width(2), 0);
        EXPECT_EQ(gset_space(0.5f), 0);
        const Gtext_align align{GCENTER_HOR, GTOP_VERT};
        EXPECT_EQ(gset_text_align(&align), 0);
        const Gfontprec font{3, GSTROKE_PREC};
        EXPECT_EQ(gset_fontprec(&font), 0);
    }
    EXPECT_EQ(gset_expan(-1), -1);
    const Gpt at{0.25f, 0.5f};
    EXPECT_EQ(gtext(&at, "Hi"), 0);
    ASSERT_EQ(gclose_ws(1), 0);
    const std::string records = vyktest::read_file(meta);
    EXPECT_NE(records.find("TE_HGHT 0.020000\nTE_EXP 1.500000\nTE_WDTH 2.000000\n"
                           "TE_SPC 0.500000\nTE_ALGN 2 1\nTE_FNT 3 2\nTE 0.250000,0.500000 Hi\n"),
              std::string::npos)
        << records;

    const std::string hpgl = dir.file("text.hpgl");
    ASSERT_EQ(gopen_ws(1, (hpgl + ",nopcl").c_str(), GWS_HPGL), 0);
    EXPECT_EQ(gtext(&at, "T"), 0);  // modern 'T': two strokes of two points
    ASSERT_EQ(gclose_ws(1), 0);
    const std::string out = vyktest::read_file(hpgl);
    size_t pu = 0, pd = 0;
    for (size_t p = out.find("PU"); p != std::string::npos; p = out.find("PU", p + 1)) pu++;
    for (size_t p = out.find("PD"); p != std::string::npos; p = out.find("PD", p + 1)) pd++;
    EXPECT_EQ(pu, 2u) << out;
    EXPECT_EQ(pd, 2u) << out;
}
