// Metafiles: the text records a picture writes through the kernel, replaying a text metafile
// onto the metafile and PostScript workstations (a replayed page renders like the page drawn
// directly), the reader's handling of malformed records, the binary CGM form byte by byte, and
// the output names.
#include <gtest/gtest.h>

#include "test_util.h"

#include "gks.h"
#include "vyk.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::read_file;
using vyktest::run;
using vyktest::write_file;

namespace {

constexpr const char *HEADER_TITLE = "#Title: VYK Graphics Display: V11_Ududi\n";
constexpr const char *HEADER_CREATOR = "#Creator: VYK Metafile Processor-1.0\n";

void clear_environment()
{
    for (const char *name : {"vykmeta_out", "vykprint", "PSCOLOR", "vykps_param", "vykps_print",
                             "PSPRINT", "vykps_geometry", "PSGEOMETRY"})
        unsetenv(name);
}

// Opens the kernel and the metafile workstation on conn.
void open_meta(const std::string &conn)
{
    clear_environment();
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, conn.c_str(), GWS_META), 0);
}

// The lines of a text.
std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// What follows the four header lines.
std::string body_of(const std::string &text)
{
    size_t pos = 0;
    for (int i = 0; i < 4 && pos != std::string::npos; i++) {
        pos = text.find('\n', pos);
        if (pos != std::string::npos) pos++;
    }
    return pos == std::string::npos ? std::string() : text.substr(pos);
}

void check_header(const std::string &text)
{
    const std::vector<std::string> lines = lines_of(text);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "VYKMETA");
    EXPECT_EQ(lines[1] + "\n", HEADER_TITLE);
    EXPECT_EQ(lines[2] + "\n", HEADER_CREATOR);
    // The creation date in the 24-character calendar form, read back by GNU date.
    const std::string prefix = "#CreationDate: ";
    ASSERT_EQ(lines[3].compare(0, prefix.size(), prefix), 0) << lines[3];
    const std::string date = lines[3].substr(prefix.size());
    EXPECT_EQ(date.size(), 24u) << date;
    const auto parsed = run("date -d " + vyktest::quote(date) + " +%s");
    ASSERT_EQ(parsed.status, 0) << parsed.err;
    const long long when = std::atoll(parsed.out.c_str());
    EXPECT_LE(std::llabs(when - static_cast<long long>(std::time(nullptr))), 60);
}

// A small picture through the kernel: transformation, line, fill, marker and text attributes,
// and one primitive of each kind.
void draw_picture()
{
    const Glim win = {0, 100, 0, 50}, vp = {0.1f, 0.9f, 0.1f, 0.5f};
    gset_win(1, &win);
    gset_vp(1, &vp);
    gsel_norm_tran(1);
    const Gcolr_rep colour = {0.5f, 0.25f, 1};
    gset_colr_rep(1, 20, &colour);
    gset_line_colr_ind(20);
    gset_fill_colr_ind(20);
    gset_marker_colr_ind(20);
    gset_text_colr_ind(20);
    gset_linewidth(2.5f);
    gset_linetype(3);
    const Gpt line[5] = {{0, 0}, {10, 5}, {20, 10}, {30, 15}, {40, 20}};
    gpolyline(5, line);
    gset_fill_int_style(GPAT);
    gset_fill_style_ind(4);
    gset_fill_style_ind(4);  // unchanged: no second record
    const Gpt fill[4] = {{50, 10}, {60, 10}, {60, 20}, {50, 20}};
    gfill_area(4, fill);
    gset_marker_type(3);
    gset_marker_size(1.5f);
    gset_marker_width(2);
    const Gpt marks[5] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    gpolymarker(5, marks);
    gset_char_ht(2.5f);
    gset_expan(1.25f);
    gset_text_width(2);
    gset_space(0.5f);
    gset_char_space(0.75f);
    const Gpt up = {0, 2};
    gset_char_up_vec(&up);
    const Gtext_align align = {GCENTER_HOR, GHALF_VERT};
    gset_text_align(&align);
    const Gfontprec font = {2, GSTROKE_PREC};
    gset_fontprec(&font);
    const Gpt at = {10, 20};
    gtext(&at, "Hello world");
}

// The records of draw_picture, every one of which a replay copies.
const char *const picture_records =
    "WIN 1 0.000000 0.000000 100.000000 50.000000\n"
    "VP 1 0.100000 0.100000 0.900000 0.500000\n"
    "TR 1\n"
    "CLR 1 20 0.500000 0.250000 1.000000\n"
    "PL_CLR 20\n"
    "FA_CLR 20\n"
    "PM_CLR 20\n"
    "TE_CLR 20\n"
    "PL_LW 2.500000\n"
    "PL_TYPE 3\n"
    "PL 5 0.000000,0.000000 10.000000,5.000000 20.000000,10.000000 30.000000,15.000000 \n"
    "   40.000000,20.000000 \n"
    "FA_INT 2\n"
    "FA_ST 4\n"
    "FA 4 50.000000,10.000000 60.000000,10.000000 60.000000,20.000000 50.000000,20.000000 \n"
    "   PM_TYPE 3\n"
    "PM_SIZE 1.500000\n"
    "PM_WDTH 2.000000\n"
    "PM 5 1.000000,1.000000 2.000000,2.000000 3.000000,3.000000 4.000000,4.000000 \n"
    "   5.000000,5.000000 \n"
    "TE_HGHT 2.500000\n"
    "TE_EXP 1.250000\n"
    "TE_WDTH 2.000000\n"
    "TE_SPC 0.500000\n"
    "TE_CSPC 0.750000\n"
    "TE_UP 0.000000,2.000000\n"
    "TE_ALGN 2 3\n"
    "TE_FNT 2 2\n"
    "TE 10.000000,20.000000 Hello world\n";

std::string header_line() { return std::string("VYKMETA\n"); }

// Replays `input` (a metafile text) onto a metafile workstation writing `out`; returns the
// records written and the messages printed.
struct Replay {
    std::string records, messages;
    int result = -9;
};

Replay replay_text(const TempDir &dir, const std::string &input)
{
    Replay r;
    const std::string in = dir.file("in.meta"), out = dir.file("out.meta");
    write_file(in, input);
    open_meta(out);
    {
        CaptureStdio cap;
        r.result = gread_metafile(in.c_str());
        cap.finish();
        r.messages = cap.out() + cap.err();
    }
    gclose_ws(1);
    r.records = body_of(read_file(out));
    return r;
}

}  // namespace

TEST(GksMeta, PictureWritesHeaderAndRecords)
{
    TempDir dir;
    const std::string file = dir.file("pic.meta");
    open_meta(file);
    draw_picture();
    gmessage(1, "a note");
    EXPECT_EQ(gcreate_seg(3), -1);
    EXPECT_EQ(gclose_seg(3), -1);
    EXPECT_EQ(gdel_seg(3), -1);
    EXPECT_EQ(gclose_ws(1), 0);
    const std::string text = read_file(file);
    check_header(text);
    EXPECT_EQ(body_of(text), std::string(picture_records) +
                                 "ME a note\nSEG_CR 3\nSEG_CL 3\nSEG_DE 3\n");
}

TEST(GksMeta, PointListBreaks)
{
    // A polyline breaks after every fourth point but the last; fills and markers after every
    // fourth point, the last included, and then close their line only when needed.
    TempDir dir;
    const std::string file = dir.file("points.meta");
    open_meta(file);
    Gpt p[8];
    for (int i = 0; i < 8; i++) p[i] = {(2 * i + 1) / 20.0f, (2 * i + 2) / 20.0f};
    gpolyline(4, p);
    gpolyline(8, p);
    gfill_area(8, p);
    gpolymarker(4, p);
    gpolymarker(3, p);
    gclose_ws(1);
    const std::string four = "0.050000,0.100000 0.150000,0.200000 0.250000,0.300000 "
                             "0.350000,0.400000 ";
    const std::string next = "0.450000,0.500000 0.550000,0.600000 0.650000,0.700000 "
                             "0.750000,0.800000 ";
    const std::string three = "0.050000,0.100000 0.150000,0.200000 0.250000,0.300000 ";
    EXPECT_EQ(body_of(read_file(file)), "PL 4 " + four + "\n" +
                                            "PL 8 " + four + "\n   " + next + "\n" +
                                            "FA 8 " + four + "\n   " + next + "\n   " +
                                            "PM 4 " + four + "\n   " +
                                            "PM 3 " + three + "\n");
}

TEST(GksMeta, PointsAreWrittenAsPrintfWritesThem)
{
    // The point lists are formatted without printf: each number must read as "%f" of the float
    // widened to double, rounding ties, negative zero, tiny and huge values included.
    const float values[] = {0.0f,     -0.0f,        0.5f,      -0.4999995f, 0.0000005f,
                            1e-7f,    0.3333333f,   123456.79f, -98765.4321f, 16777217.0f,
                            3.4e38f,  -3.4028235e38f, 2.5e-6f,  -1.0f,      7.0000005f,
                            0.1f};
    constexpr int n = static_cast<int>(sizeof values / sizeof values[0]) / 2;
    Gpt p[n];
    for (int i = 0; i < n; i++) p[i] = {values[2 * i], values[2 * i + 1]};
    TempDir dir;
    const std::string file = dir.file("numbers.meta");
    open_meta(file);
    gpolyline(n, p);
    gclose_ws(1);
    std::string expected = "PL " + std::to_string(n) + " ";
    for (int i = 0; i < n; i++) {
        char point[128];
        std::snprintf(point, sizeof point, "%f,%f ", static_cast<double>(p[i].x),
                      static_cast<double>(p[i].y));
        expected += point;
        if ((i + 1) % 4 == 0 && i != n - 1) expected += "\n   ";
    }
    EXPECT_EQ(body_of(read_file(file)), expected + "\n");
}

TEST(GksMeta, ReplayOntoMetafileCopiesEveryRecord)
{
    TempDir dir;
    const std::string first = dir.file("first.meta"), copy = dir.file("copy.meta");
    open_meta(first);
    draw_picture();
    gclose_ws(1);

    open_meta(copy);
    EXPECT_EQ(gread_metafile(first.c_str()), 0);
    gclose_ws(1);
    const std::string a = read_file(first), b = read_file(copy);
    check_header(b);
    // Identical but for the creation date.
    std::vector<std::string> la = lines_of(a), lb = lines_of(b);
    ASSERT_EQ(la.size(), lb.size());
    la.erase(la.begin() + 3);
    lb.erase(lb.begin() + 3);
    EXPECT_EQ(la, lb);
    EXPECT_EQ(body_of(b), picture_records);
}

TEST(GksMeta, ReplaySkipsFirstLineAndIgnoredRecords)
{
    TempDir dir;
    const Replay r = replay_text(dir,
                                 "PL_TYPE 2\n"  // the first line is always skipped
                                 "#Title: anything\n"
                                 "WS_WIN 1 0.0 0.0 1.0 1.0\n"
                                 "WS_VP 1 0.0 0.0 999.0 799.0\n"
                                 "CLR_REG 0.0 0.0 1.0 1.0\n"
                                 "ME note PL_TYPE 4\n"
                                 "SEG_CR 3\n"
                                 "SEG_CL 3\n"
                                 "VYKMETA\n"   // a second header from appending
                                 "UNKNOWN 1 2 3\n"
                                 "PL_TYPE 5\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.records, "PL_TYPE 5\n");
    EXPECT_EQ(r.messages, "");
}

// An interior style beyond the named ones is stored and copied as it stands, as the setter
// stores any number (the sanitizer build checks that no value outside the type is made).
TEST(GksMeta, InteriorStylesBeyondTheNamedOnesReplayAsTheyStand)
{
    TempDir dir;
    const Replay r = replay_text(dir, header_line() + "FA_INT 77\nFA_INT -2147483648\nFA_INT 3\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.records, "FA_INT 77\nFA_INT -2147483648\nFA_INT 3\n");
    EXPECT_EQ(r.messages, "");
}

TEST(GksMeta, LongTextReplaysFirstHundredCharacters)
{
    TempDir dir;
    std::string text;
    for (int i = 0; i < 120; i++) text += static_cast<char>('a' + i % 26);
    const Replay r = replay_text(dir, header_line() + "TE 1.000000,2.000000 " + text +
                                          "\nPL_TYPE 2\n");
    EXPECT_EQ(r.records, "TE 1.000000,2.000000 " + text.substr(0, 100) + "\nPL_TYPE 2\n");
    EXPECT_EQ(r.messages, "");
}

TEST(GksMeta, MalformedRecordsAreSkippedToTheirLineEnd)
{
    // Every case: a malformed record, then a valid one that must survive.
    struct Case {
        const char *input;
        const char *records;
        const char *warning;
    };
    const std::string long_number = "VP 1 " + std::string(200, '1') + " 0 1 1\nPL_TYPE 2\n";
    const Case cases[] = {
        // a point that is not a number: the rest of its line goes
        {"PL 3 0.1,0.1 0.2,x 0.3,0.3\nPL_TYPE 2\n", "PL_TYPE 2\n", "PL record in line 2"},
        // fewer points than announced: the next line starts the next record
        {"PL 3 0.1,0.1 0.2,0.2\nPL_TYPE 2\n", "PL_TYPE 2\n", "PL record in line 2"},
        {"FA 5 0.1,0.1 0.2,0.2\n   0.3,0.3\nPL_TYPE 2\n", "PL_TYPE 2\n", "FA record in line 2"},
        // counts that are negative, beyond the int range, or larger than any picture
        {"PL -2 0.1,0.1 0.2,0.2\nPL_TYPE 2\n", "PL_TYPE 2\n", "PL record"},
        {"PM 99999999999 0.1,0.1\nPL_TYPE 2\n", "PL_TYPE 2\n", "PM record"},
        {"PL 2000000000 0.1,0.1 0.2,0.2\nPL_TYPE 2\n", "PL_TYPE 2\n", "PL record"},
        {"PL 3.5 0.1,0.1\nPL_TYPE 2\n", "PL_TYPE 2\n", "PL record"},
        // numbers that are not finite or overflow a float
        {"WIN 1 0 0 nan 1\nPL_TYPE 2\n", "PL_TYPE 2\n", "WIN record"},
        {"PL 2 1e39,0 1,1\nPL_TYPE 2\n", "PL_TYPE 2\n", "PL record"},
        {"PL_LW inf\nPL_TYPE 2\n", "PL_TYPE 2\n", "PL_LW record"},
        // a pair without its comma, a number glued to text, a missing value at the end
        {"TE 0.5 text\nPL_TYPE 2\n", "PL_TYPE 2\n", "TE record"},
        {"TE_UP 0.5;1\nPL_TYPE 2\n", "PL_TYPE 2\n", "TE_UP record"},
        {"TR 1x\nPL_TYPE 2\n", "PL_TYPE 2\n", "TR record"},
        {"TE_ALGN 1\nPL_TYPE 2\n", "PL_TYPE 2\n", "TE_ALGN record"},
        {"CLR 1 5 0.5 0.5\nPL_TYPE 2\n", "PL_TYPE 2\n", "CLR record"},
        {"PL_TYPE 2\nTR", "PL_TYPE 2\n", "TR record"},
        {"PL_TYPE 2\nPL 4 0.1,0.1 0.2,", "PL_TYPE 2\n", "PL record"},
        // a number token longer than any number
        {long_number.c_str(), "PL_TYPE 2\n", "VP record"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input);
        TempDir dir;
        const Replay r = replay_text(dir, header_line() + c.input);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.records, c.records);
        EXPECT_NE(r.messages.find(std::string("gread_metafile: invalid ") + c.warning),
                  std::string::npos)
            << r.messages;
    }
}

TEST(GksMeta, WarningsAreCounted)
{
    TempDir dir;
    std::string input = header_line();
    for (int i = 0; i < 50; i++) input += "TR x\n";
    const Replay r = replay_text(dir, input);
    size_t count = 0;
    for (size_t pos = 0; (pos = r.messages.find("invalid TR record", pos)) != std::string::npos;
         pos++)
        count++;
    EXPECT_EQ(count, 20u);
    EXPECT_NE(r.messages.find("gread_metafile: 50 invalid records skipped in all\n"),
              std::string::npos);
}

TEST(GksMeta, MissingFileIsReported)
{
    TempDir dir;
    const std::string name = dir.file("none.meta");
    CaptureStdio cap;
    EXPECT_EQ(gread_metafile(name.c_str()), 0);
    EXPECT_EQ(gread_metafile(nullptr), 0);
    cap.finish();
    EXPECT_EQ(cap.err(), "gread_metafile: Unable to open image file: " + name + "\n" +
                             "gread_metafile: Unable to open image file: \n");
}

TEST(GksMeta, NamesFromDataAreNeverCommands)
{
    TempDir dir;
    const std::string marker = dir.file("ran");
    CaptureStdio cap;
    EXPECT_EQ(gread_metafile(("|touch " + marker).c_str()), 0);
    cap.finish();
    EXPECT_NE(cap.err().find("Unable to open image file"), std::string::npos);
    EXPECT_FALSE(vyktest::run("test -e " + vyktest::quote(marker)).status == 0);
}

TEST(GksMeta, ReplayOntoItsOwnOutputIsRefused)
{
    // Appending to the file being read would feed the reader its own records without end.
    TempDir dir;
    const std::string file = dir.file("self.meta");
    write_file(file, header_line() + "PL 2 0.1,0.1 0.2,0.2\n");
    open_meta("+" + file);
    CaptureStdio cap;
    EXPECT_EQ(gread_metafile(file.c_str()), -1);
    cap.finish();
    gclose_ws(1);
    EXPECT_EQ(cap.err(), "gread_metafile: " + file + " is the metafile being written\n");
}

TEST(GksMeta, AppendingAddsASecondHeader)
{
    TempDir dir;
    const std::string file = dir.file("two.meta");
    open_meta(file);
    gset_linetype(2);
    gclose_ws(1);
    open_meta("+" + file);
    gset_linetype(4);
    gclose_ws(1);
    const std::vector<std::string> lines = lines_of(read_file(file));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[4], "PL_TYPE 2");
    EXPECT_EQ(lines[5], "VYKMETA");
    EXPECT_EQ(lines[9], "PL_TYPE 4");
}

TEST(GksMeta, OutputIntoACommand)
{
    TempDir dir;
    const std::string file = dir.file("piped.meta");
    CaptureStdio cap;
    open_meta("|cat > " + vyktest::quote(file));
    gset_linetype(2);
    gclose_ws(1);  // waits for the command
    cap.finish();
    const std::string text = read_file(file);
    check_header(text);
    EXPECT_EQ(body_of(text), "PL_TYPE 2\n");
}

TEST(GksMeta, FileOperationsWithoutAFile)
{
    EXPECT_EQ(gmeta_close_file(), -1);
    EXPECT_EQ(gmeta_printf("PL_TYPE %d\n", 2), 0);
    EXPECT_EQ(gmeta_init_file(), 0);
    gmeta_set_type(1);
    EXPECT_EQ(gmeta_get_type(), 1);
    EXPECT_EQ(gcgm_control(4, 1, 31, 8), -1);
    EXPECT_EQ(gcgm_ps_point(1, 2), -1);
    EXPECT_EQ(gcgm_set_type(3), 0);
    EXPECT_EQ(gcgm_set_type(3), -1);
    EXPECT_EQ(gcgm_set_color(4), 0);
    EXPECT_EQ(gcgm_set_fill_color(4), 0);
    EXPECT_EQ(gcgm_set_width(4, 2), 0);
    CaptureStdio cap;
    EXPECT_EQ(gmeta_open_file("/dev/null/x.meta"), nullptr);
    cap.finish();
    EXPECT_EQ(cap.err(), "");
}

namespace {

// The CGM header elements up to BEGIN PICTURE BODY.
const std::vector<unsigned char> cgm_header = {
    0x00, 0x20,                                            // BEGIN METAFILE
    0x10, 0x22, 0x00, 0x01,                                // METAFILE VERSION 1
    0x10, 0x4B, 10, 'V', 'Y', 'K', 'C', 'G', 'M', '-', '1', '.', '0', 0x00,  // DESCRIPTION
    0x11, 0x66, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0x01,        // ELEMENT LIST: the drawing set
    0x11, 0x21, 0xFF, 0x00,                                // MAXIMUM COLOUR INDEX 255
    0x20, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x27, 0x10, 0x1F, 0x40,  // VDC EXTENT 0 0 10000 8000
    0x00, 0x60,                                            // BEGIN PICTURE
    0x00, 0x80,                                            // BEGIN PICTURE BODY
};

std::vector<unsigned char> bytes_of(const std::string &text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

std::vector<unsigned char> operator+(std::vector<unsigned char> a,
                                     const std::vector<unsigned char> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(GksMeta, CgmOfOnePolylineIsByteExact)
{
    TempDir dir;
    const std::string file = dir.file("pic.cgm");
    open_meta(file + ",cgm");
    EXPECT_EQ(gmeta_get_type(), 1);
    // The unit square fills 800 by 800 units of the 1000 by 800 device.
    const Gpt line[2] = {{0.25f, 0.5f}, {0.75f, 0.25f}};
    gpolyline(2, line);
    const Glim vp = {0.5f, 1, 0, 0.5f};
    gset_vp(0, &vp);                       // a new clip rectangle
    gset_linetype(2);                      // attributes,
    const Gpt tri[3] = {{0.6f, 0.1f}, {0.9f, 0.1f}, {0.9f, 0.4f}};
    gfill_area(3, tri);                    // fills,
    gpolymarker(3, tri);                   // markers
    const Gpt at = {0.5f, 0.5f};
    gtext(&at, "x");                       // and text write nothing
    EXPECT_EQ(gclose_ws(1), 0);
    const std::vector<unsigned char> expected =
        cgm_header +
        std::vector<unsigned char>{
            0x30, 0xA8, 0x00, 0x00, 0x00, 0x00, 0x03, 0x1F, 0x03, 0x1F,  // CLIP 0,0 799,799
            0x40, 0x3F, 0x00, 0x08,                                      // POLYLINE, 8 bytes
            0x00, 0xC7, 0x01, 0x8F, 0x02, 0x57, 0x00, 0xC7,              // 199,399 599,199
            0x30, 0xA8, 0x01, 0x8F, 0x00, 0x00, 0x03, 0x1F, 0x01, 0x8F,  // CLIP 399,0 799,399
            0x00, 0xA0,                                                  // END PICTURE
        };
    EXPECT_EQ(bytes_of(read_file(file)), expected);
}

TEST(GksMeta, CgmWriterElements)
{
    // Command words and points as the kernel's writers use them, and an appended picture with
    // a second header and no END PICTURE.
    TempDir dir;
    const std::string file = dir.file("w.cgm");
    gmeta_set_type(1);
    ASSERT_NE(gmeta_open_file(file.c_str()), nullptr);
    gmeta_init_file();
    EXPECT_EQ(gmeta_printf("PL_TYPE %d\n", 2), 0);  // no text in the binary form
    EXPECT_EQ(gcgm_control(4, 1, 31, 12), 0);
    gcgm_ps_point(-1.9f, 70000.7f);                   // fraction dropped, low 16 bits
    gcgm_ps_point(65535, 256);
    gcgm_ps_point(std::nanf(""), 3);                  // not a number: 0
    gmeta_close_file();
    gmeta_open_file(("+" + file).c_str());
    gmeta_init_file();
    gmeta_close_file();
    const std::vector<unsigned char> expected =
        cgm_header +
        std::vector<unsigned char>{0x40, 0x3F, 0x00, 0x0C, 0xFF, 0xFF, 0x11, 0x70,
                                   0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0xA0} +
        cgm_header;
    EXPECT_EQ(bytes_of(read_file(file)), expected);
}

TEST(GksMeta, ReplayOntoPostScript)
{
    // A thick diagonal line and a solid fill, replayed onto PostScript and rendered by
    // ghostscript: the line's pixels are dark and the page elsewhere white.
    TempDir dir;
    const std::string meta = dir.file("pic.meta"), ps = dir.file("pic.ps"),
                      png = dir.file("pic.png");
    write_file(meta, header_line() +
                         "WIN 1 0.000000 0.000000 100.000000 100.000000\n"
                         "VP 1 0.000000 0.000000 1.000000 1.000000\n"
                         "TR 1\n"
                         "PL_LW 20.000000\n"
                         "PL 2 10.000000,10.000000 90.000000,90.000000\n");
    clear_environment();
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, (ps + ",port,sz=8.5x11").c_str(), GWS_PS), 0);
    EXPECT_EQ(gread_metafile(meta.c_str()), 0);
    gclose_ws(1);
    const auto gs = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -sPAPERSIZE=letter "
                        "-dFIXEDMEDIA -r72 -sOutputFile=" +
                        vyktest::quote(png) + " " + vyktest::quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.err;
    // The drawing area is 576 by 756 points from a quarter inch; the unit square its lower
    // 576 by 576 points.  Page rows count from the top of the 792-point page.
    auto pixel = [&](int x, int y) {
        const auto r = run("convert " + vyktest::quote(png) + " -format '%[fx:int(255*p{" +
                           std::to_string(x) + "," + std::to_string(y) + "})]' info:");
        return std::atoi(r.out.c_str());
    };
    const int x0 = 18, y0 = 792 - 18;
    EXPECT_LT(pixel(x0 + 288, y0 - 288), 128);  // the middle of the line
    EXPECT_LT(pixel(x0 + 144, y0 - 144), 128);
    EXPECT_GT(pixel(x0 + 432, y0 - 144), 200);  // off the line
    EXPECT_GT(pixel(x0 + 144, y0 - 432), 200);
}

namespace {

// draw_picture and a solid fill and a thick solid line, which cover a good part of the page.
void draw_larger_picture()
{
    draw_picture();
    gset_fill_int_style(GSOLID);
    const Gpt box[4] = {{65, 5}, {95, 5}, {95, 45}, {65, 45}};
    gfill_area(4, box);
    gset_linetype(1);
    gset_linewidth(6);
    const Gcolr_rep green = {0, 0.6f, 0};
    gset_colr_rep(1, 21, &green);
    gset_line_colr_ind(21);
    const Gpt line[3] = {{5, 45}, {60, 30}, {60, 45}};
    gpolyline(3, line);
}

}  // namespace

TEST(GksMeta, ReplayOntoPostScriptMatchesDrawingDirectly)
{
    // The same picture drawn once straight onto PostScript and once into a metafile that is
    // then replayed onto PostScript: ghostscript renders both pages alike.
    TempDir dir;
    const std::string meta = dir.file("pic.meta"), direct = dir.file("direct.ps"),
                      replayed = dir.file("replayed.ps");
    const std::string conn = ",port,sz=8.5x11";
    clear_environment();
    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, (direct + conn).c_str(), GWS_PS), 0);
    draw_larger_picture();
    gclose_ws(1);
    gclose_gks();

    open_meta(meta);
    draw_larger_picture();
    gclose_ws(1);
    gclose_gks();

    ASSERT_EQ(gopen_gks(nullptr, 0), 0);
    ASSERT_EQ(gopen_ws(1, (replayed + conn).c_str(), GWS_PS), 0);
    EXPECT_EQ(gread_metafile(meta.c_str()), 0);
    gclose_ws(1);
    gclose_gks();

    auto render = [&](const std::string &ps) {
        const std::string png = ps + ".png";
        const auto gs = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -sPAPERSIZE=letter "
                            "-dFIXEDMEDIA -r72 -sOutputFile=" +
                            vyktest::quote(png) + " " + vyktest::quote(ps));
        EXPECT_EQ(gs.status, 0) << gs.err;
        return png;
    };
    const std::string a = render(direct), b = render(replayed);
    // compare prints the number of differing pixels on standard error (status 1 when any).
    auto differing = [&](const std::string &x, const std::string &y) {
        const auto r = run("compare -metric AE -fuzz 5% " + vyktest::quote(x) + " " +
                           vyktest::quote(y) + " null:");
        EXPECT_TRUE((r.status == 0 || r.status == 1) && !r.err.empty()) << r.err;
        return r.err.empty() ? -1 : std::atol(r.err.c_str());
    };
    EXPECT_EQ(differing(a, b), 0);
    // Not two empty pages: the picture covers a good number of pixels of the page.
    ASSERT_EQ(run("convert -size 612x792 xc:white " + vyktest::quote(dir.file("white.png")))
                  .status, 0);
    EXPECT_GT(differing(a, dir.file("white.png")), 5000);
}
