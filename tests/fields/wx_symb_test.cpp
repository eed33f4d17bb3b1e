// Weather symbols and sky-cover circles: every symbol of the shipped stroke file draws, the
// lookup by prefix in file order, alignment, opening and reopening files, hostile stroke files
// (truncated, huge coordinates, endless strokes, too many names, pipes as names), and the
// drawing of every cover character.
#include <gtest/gtest.h>

#include "glyph_fixture.h"
#include "test_util.h"
#include "wind_glyph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using glyphtest::Drawing;
using glyphtest::Record;

namespace {

// A scratch directory on the file path holding a stroke file.
struct StrokeDir {
    vyktest::TempDir dir;
    explicit StrokeDir(const std::string &content = "", const char *name = "wx.smb")
    {
        if (!content.empty()) vyktest::write_file(dir.file(name), content);
        RES_put("file_path", dir.path().c_str());
    }
};

// The names of the shipped stroke file, in file order.
std::vector<std::string> shipped_names()
{
    std::istringstream in(vyktest::read_file(VYK_SOURCE_DIR "/etc/wx.smb"));
    std::vector<std::string> names;
    std::string word;
    bool want = true;
    while (in >> word) {
        if (want) names.push_back(word);
        want = word == "$";
    }
    return names;
}

}  // namespace

TEST(WxSymb, EveryShippedSymbolDrawsWithinItsSquare)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    const std::vector<std::string> names = shipped_names();
    // The symbols the station plots ask for, by their present-weather codes.
    for (const char *code : {"DZ", "RA", "SN", "SHRA", "SHSN", "SHDZ", "TS", "TSRA", "FG", "BR",
                             "HZ", "FU", "FZRA", "FZDZ", "GR", "BLSN", "DU", "-RA", "+SN"})
        EXPECT_NE(std::find(names.begin(), names.end(), code), names.end()) << code;
    ASSERT_LE(names.size(), static_cast<size_t>(WX_INDEX_MAX));
    for (size_t i = 0; i < names.size(); i++) {
        SCOPED_TRACE(names[i]);
        EXPECT_LE(names[i].size(), static_cast<size_t>(WX_NAME_MAX));
        // No name begins with an earlier one: each symbol can be reached.
        for (size_t j = 0; j < i; j++) EXPECT_NE(names[i].rfind(names[j], 0), 0u) << names[j];
        vyktest::CaptureStdio cap;
        Drawing d(100);
        EXPECT_EQ(WX_symb(10, 20, names[i].c_str(), 4), 1);
        const std::vector<Record> rs = d.records();
        cap.finish();
        EXPECT_EQ(cap.err(), "");
        EXPECT_FALSE(rs.empty());
        for (const Record &r : rs) {
            EXPECT_GE(r.pts.size(), r.kind == 'F' ? 3u : 2u);
            for (const Gpt &p : r.pts) {
                EXPECT_GE(p.x, 10 - 1e-4);
                EXPECT_LE(p.x, 14 + 1e-4);
                EXPECT_GE(p.y, 20 - 1e-4);
                EXPECT_LE(p.y, 24 + 1e-4);
            }
        }
    }
}

TEST(WxSymb, LookupByPrefixInFileOrderWithAlignment)
{
    Drawing d(100);
    StrokeDir files("R 0,0 1,1 L $\nRA 0,0 0,1 L $\nlong1234567890123 0,0 1,0 L $\n"
                    "SN 0,0.5 1,0.5 line 0.5,0 0.5,1 L $  \n"
                    "TRI 0,0 1,0 0.5,1 Fill $\n");
    vyktest::CaptureStdio cap;
    EXPECT_EQ(WX_symb(0, 0, "RA+", 2), 1);    // R comes first
    EXPECT_EQ(WX_symb(0, 0, "sn", 2), 1);     // letter case ignored
    EXPECT_EQ(WX_symb(0, 0, "tri", 2), 1);
    EXPECT_EQ(WX_symb(0, 0, "long1234567890123", 2), 0);  // name too long: not indexed
    EXPECT_EQ(WX_symb(0, 0, "", 2), 0);
    EXPECT_EQ(WX_symb(0, 0, " R", 2), 0);
    EXPECT_EQ(WX_symb(0, 0, nullptr, 2), 0);
    // The alignment moves the symbol's corner: right and half.
    const Gtext_align right_half = {GRIGHT_HOR, GHALF_VERT};
    gset_text_align(&right_half);
    EXPECT_EQ(WX_symb(10, 10, "R", 2), 1);
    const Gtext_align centre_top = {GCENTER_HOR, GTOP_VERT};
    gset_text_align(&centre_top);
    EXPECT_EQ(WX_symb(10, 10, "R", 2), 1);
    const std::vector<Record> rs = d.records();
    cap.finish();
    ASSERT_EQ(rs.size(), 6u);
    EXPECT_TRUE(glyphtest::near(rs[0].pts[1], 2, 2));  // R: the diagonal
    EXPECT_TRUE(glyphtest::near(rs[1].pts[0], 0, 1));  // SN: two polylines
    EXPECT_TRUE(glyphtest::near(rs[2].pts[1], 1, 2));
    EXPECT_EQ(rs[3].kind, 'F');                        // TRI: a filled polygon
    EXPECT_TRUE(glyphtest::near(rs[4].pts[0], 8, 9));
    EXPECT_TRUE(glyphtest::near(rs[5].pts[0], 9, 8));
    EXPECT_NE(cap.err().find("longer than 14"), std::string::npos) << cap.err();
}

TEST(WxSymb, MissingSymbolsAreSaidOnce)
{
    Drawing d(100);
    StrokeDir files("RA 0,0 1,1 L $\n");
    vyktest::CaptureStdio cap;
    for (int i = 0; i < 3; i++) EXPECT_EQ(WX_symb(0, 0, "XX", 1), 0);
    EXPECT_EQ(WX_symb(0, 0, "YY", 1), 0);
    EXPECT_TRUE(d.records().empty());
    cap.finish();
    EXPECT_EQ(cap.err(), "WX_symb: no symbol XX in wx.smb\nWX_symb: no symbol YY in wx.smb\n");
}

TEST(WxSymb, OpeningAndReopening)
{
    StrokeDir files("RA 0,0 1,1 L $\n");
    vyktest::write_file(files.dir.file("other.smb"), "RA 0,0 0,1 L $\n");
    vyktest::CaptureStdio cap;
    EXPECT_EQ(WX_symb_file(nullptr), 0);
    EXPECT_EQ(WX_symb_file("WX.SMB"), -1);   // already open: nothing changes
    EXPECT_EQ(WX_symb_file(nullptr), 0);     // NULL never names the open file
    {
        Drawing d(100);
        EXPECT_EQ(WX_symb_file("other.smb"), 0);
        EXPECT_EQ(WX_symb(0, 0, "RA", 1), 1);
        EXPECT_TRUE(glyphtest::near(d.records().at(0).pts[1], 0, 1));
    }
    // A name that cannot be opened leaves no file open; the default is tried again and said once.
    EXPECT_EQ(WX_symb_file("nothere.smb"), -1);
    std::remove(files.dir.file("wx.smb").c_str());
    EXPECT_EQ(WX_symb(0, 0, "RA", 1), 0);
    EXPECT_EQ(WX_symb(0, 0, "RA", 1), 0);
    // Never a command, a standard stream or a directory.
    const std::string marker = files.dir.file("ran");
    EXPECT_EQ(WX_symb_file(("|touch " + marker).c_str()), -1);
    EXPECT_EQ(WX_symb_file("-"), -1);
    EXPECT_EQ(WX_symb_file(files.dir.path().c_str()), -1);
    EXPECT_EQ(WX_symb_file(std::string(400, 'a').c_str()), -1);
    cap.finish();
    EXPECT_FALSE(std::ifstream(marker).good());
    const std::string &err = cap.err();
    EXPECT_NE(err.find("WX_symb_file: Unable to open file: " + files.dir.file("nothere.smb") + "\n"),
              std::string::npos) << err;
    size_t said = 0;
    for (size_t at = 0; (at = err.find("/wx.smb\n", at)) != std::string::npos; at++) said++;
    EXPECT_EQ(said, 1u) << err;
}

TEST(WxSymb, HostileStrokeFilesGiveMessagesNotCrashes)
{
    std::string endless = "LONG ";
    for (int i = 0; i < 10000; i++) endless += std::to_string(i % 7) + ",0.5 ";
    endless += "L $\n";
    std::string many;
    for (int i = 0; i < 150; i++) {
        char name[8];
        std::snprintf(name, sizeof name, "N%03d", i);
        many += std::string(name) + " 0,0 1,1 L $\n";
    }
    struct Case {
        const char *what;
        std::string content;
        const char *code;
        int result;
        int records;           // polylines and fills drawn
        const char *message;   // part of what is said ("" nothing)
    };
    const Case cases[] = {
        {"truncated in a stroke", "RA 0,0 1,1 L 0,0 0.5,0.5", "RA", 1, 1, "ends early"},
        {"truncated after pairs", "RA 0,0 1,1", "RA", 1, 0, "ends early"},
        {"no end mark", "RA 0,0 1,1 L", "RA", 1, 1, ""},
        {"huge coordinates", "RA 0,0 1e30,1 L 0,0 1,1 L 1e999,0 0,0 L $", "RA", 1, 1,
         "coordinates out of range"},
        {"not numbers", "RA nan,0 1,1 L $", "RA", 1, 0, "out of range"},
        {"10000 pairs", endless, "LONG", 1, 1, "cut to 1000 points"},
        {"150 names", many, "N120", 0, 0, "only the first 100 symbols"},
        {"the 100th name", many, "N099", 1, 1, "only the first 100"},
        {"binary junk", std::string("RA \x01\x02\xff,,, $ \0\0 $", 16), "RA", 1, 0, ""},
        {"a lone pair", "RA 0.5,0.5 L $", "RA", 1, 0, ""},
        {"blank before the comma", "RA 0 ,0 1,1 L $", "RA", 1, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Drawing d(1000);
        StrokeDir files(c.content);
        vyktest::CaptureStdio cap;
        EXPECT_EQ(WX_symb(0, 0, c.code, 1), c.result);
        const std::vector<Record> rs = d.records();
        cap.finish();
        EXPECT_EQ(static_cast<int>(rs.size()), c.records);
        if (c.message[0]) {
            EXPECT_NE(cap.err().find(c.message), std::string::npos) << cap.err();
        }
        if (c.records == 1 && std::string(c.what) == "10000 pairs") {
            EXPECT_EQ(rs[0].pts.size(), static_cast<size_t>(WX_STROKE_MAX));
        }
        WX_symb_file("/dev/null/none");  // the next case opens its own file
    }
}

TEST(WxSymb, SkyCoverCircles)
{
    struct Case {
        char cover;
        int lines, fills;  // records besides the circle's outline
        bool outline;
    };
    const Case cases[] = {
        {'0', 0, 0, true}, {'C', 0, 0, true}, {'b', 0, 0, true}, {'x', 0, 0, true},
        {'1', 1, 0, true}, {'F', 1, 0, true}, {'2', 0, 1, true}, {'S', 0, 1, true},
        {'3', 1, 1, true}, {'4', 0, 1, true}, {'5', 1, 1, true}, {'6', 0, 1, true},
        {'B', 0, 1, true}, {'7', 0, 2, true}, {'8', 0, 1, false}, {'O', 0, 1, false},
        {'9', 2, 0, true}, {'X', 2, 0, true}, {'c', 1, 0, true},  {'/', 1, 0, true},
        {'\0', 1, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cover);
        Drawing d(100);
        EXPECT_EQ(WX_cloud(3, 4, 2, c.cover), 0);
        std::vector<Record> rs = d.records();
        if (c.outline) {
            ASSERT_FALSE(rs.empty());
            ASSERT_EQ(rs[0].kind, 'L');
            ASSERT_EQ(rs[0].pts.size(), 13u);
            EXPECT_TRUE(glyphtest::near(rs[0].pts[0], 5, 4));
            EXPECT_TRUE(glyphtest::near(rs[0].pts[3], 3, 6));
            EXPECT_TRUE(glyphtest::near(rs[0].pts[12], 5, 4));
            rs.erase(rs.begin());
        }
        EXPECT_EQ(glyphtest::count(rs, 'L'), c.lines);
        EXPECT_EQ(glyphtest::count(rs, 'F'), c.fills);
    }
    // The shapes: a quarter ends at the centre, '3' adds the line down, the missing cover an M.
    Drawing d(100);
    WX_cloud(0, 0, 1, '3');
    WX_cloud(0, 0, 1, 'm');
    WX_cloud(0, 0, 1, '6');
    const std::vector<Record> rs = d.records();
    ASSERT_EQ(rs.size(), 7u);
    ASSERT_EQ(rs[1].pts.size(), 6u);
    EXPECT_TRUE(glyphtest::near(rs[1].pts[4], 0, 0));
    EXPECT_TRUE(glyphtest::near(rs[2].pts[1], 0, -1));
    ASSERT_EQ(rs[4].pts.size(), 5u);
    EXPECT_TRUE(glyphtest::near(rs[4].pts[0], -0.7f, -0.7f));
    EXPECT_TRUE(glyphtest::near(rs[4].pts[2], 0, 0));
    ASSERT_EQ(rs[6].pts.size(), 12u);
    EXPECT_TRUE(glyphtest::near(rs[6].pts[10], 0, 0));
}
