// The kernel's test sheet program: the sheet and the sections drawn through the convenience
// layer written as PostScript and EPS, rendered by ghostscript without errors; on the own
// window the dumps in every image kind, the image drawn under the sheet, and the hold loop with
// and without frames.
#include <gtest/gtest.h>

#include "test_util.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

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

// ---------------------------------------------------------------------------------------------
// The own window: dumps, images, the hold loop and frames, each on a server of the test's own
// ---------------------------------------------------------------------------------------------

namespace {

std::string demo_command(const std::string &options)
{
    return vyktest::quote(vyktest::tool("gks_demo")) + " -de d -fp " +
           vyktest::quote(VYK_SOURCE_DIR "/etc") + " " + options;
}

// The demo run in the background: its standard output is read line by line, so that keys can
// be typed once the window is ready.
class Demo : public vyktest::ToolProcess {
public:
    explicit Demo(const std::vector<std::string> &args)
        : ToolProcess(vyktest::tool("gks_demo"), with_defaults(args))
    {
    }
    // The first line that begins with "ready", or "" when the output ends first.
    std::string ready() { return wait_for("ready", 30000); }

private:
    static std::vector<std::string> with_defaults(const std::vector<std::string> &args)
    {
        std::vector<std::string> all = {"-de", "d", "-fp", VYK_SOURCE_DIR "/etc"};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
};

// Standard error without the notices of functions that are not available yet.
std::string errors(const std::string &err)
{
    std::string kept, line;
    for (size_t at = 0; at < err.size();) {
        const size_t nl = err.find('\n', at);
        line = err.substr(at, nl == std::string::npos ? std::string::npos : nl - at + 1);
        at = nl == std::string::npos ? err.size() : nl + 1;
        if (line.find(": not available") == std::string::npos) kept += line;
    }
    return kept;
}

// The decimal number after "key=" in a line, 0 when there is none.
unsigned long value_of(const std::string &line, const std::string &key)
{
    const size_t at = line.find(" " + key + "=");
    return at == std::string::npos ? 0 : std::stoul(line.substr(at + key.size() + 2));
}

}  // namespace

TEST(GksDemo, DumpsTheWindowInEveryKind)
{
    vyktest::PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    struct Case {
        const char *kind;
        const char *check;  // a command that accepts the file
    };
    const Case cases[] = {
        {"png", "pngcheck -q"},
        {"gif", "identify"},
        {"xwd", "identify"},
        {"img", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        const std::string file = dir.file(std::string("sheet.") + c.kind);
        const vyktest::RunResult demo =
            vyktest::run(demo_command("--dump=" + std::string(c.kind) + ":" + file));
        ASSERT_EQ(demo.status, 0) << demo.err;
        EXPECT_EQ(errors(demo.err), "");
        if (c.check) {
            const vyktest::RunResult check =
                vyktest::run(std::string(c.check) + " " + vyktest::quote(file));
            EXPECT_EQ(check.status, 0) << check.out << check.err;
        }
    }
    // The PNG shows the default 640 by 512 window with the sheet's colours.
    const vyktest::RunResult size =
        vyktest::run("identify -format '%w %h %k' " + vyktest::quote(dir.file("sheet.png")));
    ASSERT_EQ(size.status, 0) << size.err;
    int w = 0, h = 0, colours = 0;
    ASSERT_EQ(std::sscanf(size.out.c_str(), "%d %d %d", &w, &h, &colours), 3) << size.out;
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 512);
    EXPECT_GT(colours, 10);
}

TEST(GksDemo, FramesShowTheFirstOfThem)
{
    vyktest::PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    const std::string png = dir.file("frames.png");
    const vyktest::RunResult demo = vyktest::run(demo_command("--frames 3 --dump=png:" + png));
    ASSERT_EQ(demo.status, 0) << demo.err;
    EXPECT_NE(demo.out.find(" frames=3\n"), std::string::npos) << demo.out;
    // The first frame's bar spans a third of the sheet at y 14 (pixel row 497).
    const auto pixel = [&png](int px) {
        return vyktest::run("convert " + vyktest::quote(png) + " -format '%[pixel:p{" +
                            std::to_string(px) + ",497}]' info:")
            .out;
    };
    EXPECT_EQ(pixel(100), "srgb(255,0,0)");
    EXPECT_EQ(pixel(400), "srgb(0,0,0)");
}

TEST(GksDemo, OwnImageRoundTripDrawsWithoutError)
{
    vyktest::PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    const std::string img = dir.file("sheet.img"), png = dir.file("again.png");
    // Only the colour swatches first, then the image under the frame section alone: the
    // swatches come back from the image.
    vyktest::RunResult demo = vyktest::run(demo_command("--sections colors --dump=img:" + img));
    ASSERT_EQ(demo.status, 0) << demo.err;
    demo = vyktest::run(demo_command("--sections frame --image " + vyktest::quote(img) +
                                     " --dump=png:" + png));
    ASSERT_EQ(demo.status, 0) << demo.err;
    EXPECT_EQ(errors(demo.err), "");
    // The own format keeps one byte per pixel and no colour table, so the picture comes back
    // in grey levels: swatch 2 (red, centred at (510, 465), pixel row 511 - 465) shows, the
    // empty sheet beside it stays black.
    const auto pixel = [&png](int px, int py) {
        return vyktest::run("convert " + vyktest::quote(png) + " -format '%[fx:int(255*r)] " +
                            "%[fx:int(255*g)] %[fx:int(255*b)]' -crop 1x1+" +
                            std::to_string(px) + "+" + std::to_string(py) + " info:")
            .out;
    };
    int r = 0, g = 0, b = 0;
    ASSERT_EQ(std::sscanf(pixel(510, 46).c_str(), "%d %d %d", &r, &g, &b), 3);
    EXPECT_GT(r, 0);
    EXPECT_EQ(r, g);
    EXPECT_EQ(g, b);
    EXPECT_EQ(pixel(200, 300), "0 0 0");
    // The other kinds keep the colours.
    for (const char *kind : {"png", "gif", "xwd"}) {
        SCOPED_TRACE(kind);
        const std::string file = dir.file(std::string("sheet.") + kind);
        demo = vyktest::run(demo_command("--sections colors --dump=" + std::string(kind) + ":" +
                                         file));
        ASSERT_EQ(demo.status, 0) << demo.err;
        demo = vyktest::run(demo_command("--sections frame --image " + vyktest::quote(file) +
                                         " --dump=png:" + png));
        ASSERT_EQ(demo.status, 0) << demo.err;
        EXPECT_EQ(errors(demo.err), "");
        EXPECT_EQ(pixel(510, 46), "255 0 0");
    }
    // The image also reaches PostScript output, which renders without errors.
    const std::string ps = dir.file("image.ps");
    demo = vyktest::run(vyktest::quote(vyktest::tool("gks_demo")) + " -de " +
                        vyktest::quote("p," + ps + ",color") + " -fp " +
                        vyktest::quote(VYK_SOURCE_DIR "/etc") + " --sections frame --image " +
                        vyktest::quote(img));
    ASSERT_EQ(demo.status, 0) << demo.err;
    const vyktest::RunResult gs = vyktest::run(
        "gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=nullpage " + vyktest::quote(ps));
    EXPECT_EQ(gs.status, 0) << gs.out << gs.err;
}

TEST(GksDemo, OutputThatCannotBeWrittenFailsTheProgram)
{
    // Every file device on a device that is always full: the program ends with status 7.
    for (const char *device : {"p,/dev/full", "p,/dev/full,eps", "m,/dev/full", "m,/dev/full,cgm",
                               "h,/dev/full"}) {
        SCOPED_TRACE(device);
        const vyktest::RunResult demo =
            vyktest::run(vyktest::quote(vyktest::tool("gks_demo")) + " -de " + device + " -fp " +
                         vyktest::quote(VYK_SOURCE_DIR "/etc"));
        EXPECT_EQ(demo.status, 7) << demo.err;
        EXPECT_NE(demo.err.find("gks_demo: unable to write the output"), std::string::npos)
            << demo.err;
    }
}

TEST(GksDemo, BadOptionsAndFilesFail)
{
    vyktest::PrivateX x;
    ASSERT_FALSE(x.name().empty());
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("junk.img"), "not an image at all");
    const std::string cases[] = {
        "--dump=bmp:" + dir.file("x.bmp"),
        "--dump=png",
        "--image " + vyktest::quote(dir.file("junk.img")),
        "--image " + vyktest::quote(dir.file("missing.img")),
        "--frames 500",
    };
    for (const std::string &options : cases) {
        SCOPED_TRACE(options);
        const vyktest::RunResult demo = vyktest::run(demo_command(options));
        EXPECT_NE(demo.status, 0);
        EXPECT_EQ(demo.out.find("ready"), std::string::npos) << demo.out;
        EXPECT_NE(errors(demo.err), "");
    }
}

TEST(GksDemo, HoldEndsWithReturn)
{
    vyktest::PrivateX x;
    ASSERT_FALSE(x.name().empty());
    struct Case {
        std::vector<std::string> args;
        int frames;  // reported on the ready line, -1 none
    };
    const Case cases[] = {
        {{"--hold"}, -1},
        {{"--frames", "3", "--hold"}, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.front());
        Demo demo(c.args);
        const std::string ready = demo.ready();
        const unsigned long win = value_of(ready, "window");
        ASSERT_NE(win, 0u) << ready;
        if (c.frames >= 0) {
            EXPECT_EQ(value_of(ready, "frames"), static_cast<unsigned long>(c.frames)) << ready;
        }
        // The hold is still on until the key comes.
        usleep(300000);
        EXPECT_TRUE(demo.running());
        // Return is typed until the hold has ended.  xdotool may report the window gone when
        // the program ends between the key's press and its release, so only the program's end
        // counts.
        const std::string key = "DISPLAY=" + x.name() + " xdotool key --window " +
                                std::to_string(win) + " Return";
        for (int i = 0; i < 50 && demo.running(); i++) {
            vyktest::run(key);
            usleep(200000);
        }
        EXPECT_EQ(demo.status(60000), 0);  // -1: the hold did not end within a minute
    }
}
