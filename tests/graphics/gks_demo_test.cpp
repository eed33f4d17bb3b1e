// The kernel's test sheet program: the sheet and the sections drawn through the convenience
// layer written as PostScript and EPS, rendered by ghostscript without errors.
#include <gtest/gtest.h>

#include "test_util.h"

#include <string>

TEST(GksDemo, SheetsOnPostScriptRender)
{
    vyktest::TempDir dir;
    struct Case {
        const char *file;
        const char *options;   // after the file name in the device text
        const char *sections;  // "" the kernel sheet
    };
    const Case cases[] = {
        {"sheet.ps", ",color", ""},
        {"gph.ps", ",color", "markers,fills,text"},
        {"gph.eps", ",eps", "frame,markers,fills,text"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string ps = dir.file(c.file), png = ps + ".png";
        std::string command = vyktest::quote(vyktest::tool("gks_demo")) + " -de " +
                              vyktest::quote("p," + ps + c.options) + " -fp " +
                              vyktest::quote(VYK_SOURCE_DIR "/etc");
        if (c.sections[0]) command += std::string(" --sections ") + c.sections;
        const vyktest::RunResult demo = vyktest::run(command);
        ASSERT_EQ(demo.status, 0) << demo.err;
        EXPECT_NE(demo.out.find("ready\n"), std::string::npos) << demo.out;
        EXPECT_EQ(demo.err, "");
        const vyktest::RunResult gs =
            vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r72 -sDEVICE=png16m -sOutputFile=" +
                         vyktest::quote(png) + " " + vyktest::quote(ps));
        EXPECT_EQ(gs.status, 0) << gs.err;
        EXPECT_EQ(gs.err, "");
        EXPECT_EQ(gs.out.find("Error"), std::string::npos) << gs.out;
        // Something besides the paper is drawn.
        const vyktest::RunResult colours =
            vyktest::run("convert " + vyktest::quote(png) + " -format %k info:");
        EXPECT_EQ(colours.status, 0) << colours.err;
        EXPECT_GT(std::stoi("0" + colours.out), 3) << colours.out;
    }
}
