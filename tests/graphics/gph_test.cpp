// The convenience drawing layer: device selection from the device resource, batch mode and the
// prompt; the display, view area and panel layout; the formatted texts cut at their buffers;
// a small picture drawn through the layer onto PostScript (rendered by ghostscript) and onto
// the own window (captured with xwd).
#include <gtest/gtest.h>

#include "image_util.h"
#include "test_util.h"

#include "gks.h"
#include "gks_x11.h"
#include "vyk.h"
#include "vykgks.h"
#include "vykresrc.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using vyktest::TempDir;

namespace {

const char *const ETC = VYK_SOURCE_DIR "/etc";

void expect_lim(const Glim &got, const Glim &want)
{
    EXPECT_NEAR(got.x_min, want.x_min, 1e-6);
    EXPECT_NEAR(got.x_max, want.x_max, 1e-6);
    EXPECT_NEAR(got.y_min, want.y_min, 1e-6);
    EXPECT_NEAR(got.y_max, want.y_max, 1e-6);
}

Gws_type open_type()
{
    if (gtype_is_PS()) return GWS_PS;
    if (gtype_is_HPGL()) return GWS_HPGL;
    if (gtype_is_META()) return GWS_META;
    if (gtype_is_PIX()) return GWS_PIX;
    if (gtype_is_WIN()) return GWS_X11;
    return 0;
}

using Picture = vyktest::RgbImage;
using vyktest::Rgb;

constexpr Rgb RED{255, 0, 0}, GREEN{0, 255, 0}, BLUE{0, 0, 255}, BLACK{0, 0, 0};

// The number of pixels of a colour.
int pixels_of(const Picture &pic, const Rgb &colour)
{
    int n = 0;
    for (int y = 0; y < pic.height; y++)
        for (int x = 0; x < pic.width; x++) n += pic.at(x, y) == colour;
    return n;
}

// The test picture: a frame round the panel, a red square, a blue disc, a green line, markers
// and a text, all in the panel's NDC (transformation 2).
void draw_picture(const Glim &panel)
{
    GPH_trans(2);
    Gattribs a;
    ATTRIB_init(&a);
    a.color = CLR_get_ind("White");
    GPH_line_attr(&a);
    GPH_border(&panel);
    ATTRIB_init(&a);
    a.color = CLR_get_ind("Red");
    a.fill_pat = 0;
    GPH_fill_attr(&a);
    GPH_frect(0.2f, 0.2f, 0.4f, 0.4f);
    a.color = CLR_get_ind("Blue");
    GPH_fill_attr(&a);
    GPH_fcircle(0.65f, 0.3f, 0.1f);
    ATTRIB_init(&a);
    a.color = CLR_get_ind("Green");
    a.width = 3;
    GPH_line_attr(&a);
    GPH_line(0.15f, 0.6f, 0.85f, 0.6f);
    GPH_circle(0.65f, 0.3f, 0.12f);
    ATTRIB_init(&a);
    a.color = CLR_get_ind("Yellow");
    a.style = 4;
    GPH_mark_attr(&a, 1.5f);
    GPH_mark(0.3f, 0.5f);
    ATTRIB_init(&a);
    a.color = CLR_get_ind("White");
    a.height = 0.03f;
    GPH_text_attr(&a, 1.0f);
    GPH_text_align(GCENTER_HOR, GHALF_VERT);
    GPH_printf(0.5f, 0.68f, "panel %d", 2);
}

/// Sets the plotting layer up on device (the colour table and fonts from etc/) without
/// margins: its workstation; type and panel (when asked for) get the kind of workstation and
/// the panel.
Gint setup(const std::string &device, Gws_type *type = nullptr, Glim *panel = nullptr)
{
    RES_put("file_path", ETC);
    RES_put("device", device.c_str());
    Gint ws_id = 0;
    Gws_type t = 0;
    Glim p = {0, 0, 0, 0};
    GPH_setup(&ws_id, &t, 0, &p);
    if (type) *type = t;
    if (panel) *panel = p;
    return ws_id;
}

}  // namespace

// The device letter picks the type and the text after the first comma the output; flag 2
// holds the type while open and again after the close.
TEST(Gph, DeviceFromResource)
{
    TempDir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    RES_put("file_path", ETC);
    RES_put("geometry", "200x150");
    FLAG_set_batch(1);
    struct Case {
        const char *device;  // nullptr: no resource
        Gws_type type;
        const char *file;    // output expected in the directory, or nullptr
    };
    const Case cases[] = {
        {"P,out.ps", GWS_PS, "out.ps"},
        {"p,low.ps,eps", GWS_PS, "low.ps"},
        {"H,out.hp,nopcl", GWS_HPGL, "out.hp"},
        {"q,out.q", GWS_HPGL, "out.q"},
        {"M,out.meta", GWS_META, "out.meta"},
        {"D", GWS_X11, nullptr},
        {"", GWS_X11, nullptr},
        {"x,", GWS_X11, nullptr},
        {nullptr, GWS_X11, nullptr},  // no value, batch mode: the own window without asking
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.device ? c.device : "(none)");
        FLAG_set(FLAG_DEVICE, 0);
        if (c.device) RES_put("device", c.device);
        else RES_new(VYK_MISS, "device", nullptr, CV_string);  // given without a value
        Gint ws_id = 0;
        Gws_type type = -1;
        Glim margins = {0.1f, 0.1f, 0.1f, 0.1f};
        ASSERT_EQ(GPH_setup(&ws_id, &type, 0, &margins), 0);
        EXPECT_EQ(ws_id, 1);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(FLAG_get(FLAG_DEVICE), c.device ? c.type : 0);
        EXPECT_EQ(open_type(), c.type);
        if (c.type != GWS_X11) {
            EXPECT_EQ(GPH_hold(ws_id), 0);  // returns at once on files
        }
        EXPECT_EQ(GPH_end(ws_id), 0);
        EXPECT_EQ(FLAG_get(FLAG_DEVICE), c.device ? c.type : 1);
        if (c.file) {
            EXPECT_EQ(access(c.file, F_OK), 0);
        }
    }
    // Without the resource flag 2 is kept.
    FLAG_set(FLAG_DEVICE, GWS_META);
    char *none = nullptr;
    EXPECT_EQ(RES_getval("no_device", &none, CV_device), 0);
    EXPECT_EQ(FLAG_get(FLAG_DEVICE), GWS_META);
}

// W: the loop window program's window; without one running the open fails and the program
// ends with status 4.
TEST(Gph, LoopWindowWithoutProgramEndsWithStatus4)
{
    TempDir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    RES_put("file_path", dir.path().c_str());
    RES_put("device", "W,,w3");
    FLAG_set_batch(1);
    auto open = [] {
        Gint ws_id;
        Gws_type type;
        Glim margins = {0, 0, 0, 0};
        FLAG_set(FLAG_DEVICE, 0);
        GPH_setup(&ws_id, &type, 0, &margins);
    };
    EXPECT_EXIT(open(), ::testing::ExitedWithCode(4), "GPH_begin: Error opening workstation");
}

// Interactively without a device the user is asked; the answer's letter picks the type, and
// the close leaves flag 2 at 0 so that the next plot asks again.
TEST(Gph, PromptChoosesDevice)
{
    TempDir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    vyktest::write_file(dir.file("answers"), "p\nm\n\n");
    ASSERT_NE(std::freopen(dir.file("answers").c_str(), "r", stdin), nullptr);
    RES_put("file_path", ETC);
    RES_put("geometry", "200x150");
    FLAG_set_batch(0);
    for (const Gws_type want : {GWS_PS, GWS_META, GWS_X11}) {
        SCOPED_TRACE(want);
        FLAG_set(FLAG_DEVICE, 0);
        Gint ws_id = 0;
        Gws_type type = -1;
        Glim margins = {0, 0, 0, 0};
        vyktest::CaptureStdio cap;
        GPH_setup(&ws_id, &type, 0, &margins);
        cap.finish();
        EXPECT_NE(cap.out().find("Display (D) or Postscript (P): "), std::string::npos);
        EXPECT_EQ(type, want);
        EXPECT_EQ(FLAG_get(FLAG_DEVICE), want);
        EXPECT_EQ(open_type(), want);
        GPH_end(ws_id);
        EXPECT_EQ(FLAG_get(FLAG_DEVICE), 0);
    }
    EXPECT_EQ(access("vyk.ps", F_OK), 0);
}

TEST(Gph, DeviceTextAndDevicePrompt)
{
    char conn[8];
    EXPECT_EQ(gdevice_setup("p,out.ps,eps", conn, sizeof conn), GWS_PS);
    EXPECT_STREQ(conn, "out.ps,");  // cut to the buffer
    EXPECT_EQ(gdevice_setup("Meta", conn, sizeof conn), GWS_META);
    EXPECT_STREQ(conn, "");
    EXPECT_EQ(gdevice_setup("hpgl_and_more_than_nine,f", conn, sizeof conn), GWS_HPGL);
    EXPECT_STREQ(conn, "f");
    EXPECT_EQ(gdevice_setup(nullptr, conn, sizeof conn), GWS_X11);

    TempDir dir;
    vyktest::write_file(dir.file("answers"), "postscript\ndisplay\n");
    ASSERT_NE(std::freopen(dir.file("answers").c_str(), "r", stdin), nullptr);
    int type = 0;
    vyktest::CaptureStdio cap;
    GPH_device_prompt(&type);
    EXPECT_EQ(type, GWS_PS);
    GPH_device_prompt(&type);  // already chosen: no question
    type = 0;
    GPH_device_prompt(&type);
    EXPECT_EQ(type, GWS_X11);
    type = 0;
    GPH_device_prompt(&type);  // end of input
    EXPECT_EQ(type, GWS_X11);
    cap.finish();
    EXPECT_EQ(cap.out(), "Display (D) or Postscript (P): Display (D) or Postscript (P): "
                         "Display (D) or Postscript (P): ");
}

TEST(Gph, AspectFitting)
{
    struct Case {
        Glim in;
        Gaspect asp;
        Gcenter center;
        Glim out;
    };
    const Glim lim = {0.1f, 0.9f, 0.075f, 0.675f};
    const Case cases[] = {
        {lim, {1, 0.75f}, {2, 2}, lim},                          // same shape (a tie)
        {lim, {1, 1}, {2, 2}, {0.2f, 0.8f, 0.075f, 0.675f}},     // square, centred across
        {lim, {1, 1}, {3, 3}, {0.3f, 0.9f, 0.075f, 0.675f}},     // aligned right
        {lim, {1, 1}, {0, 1}, {0, 0.6f, 0, 0.6f}},               // from 0
        {lim, {4, 1}, {2, 2}, {0.1f, 0.9f, 0.275f, 0.475f}},     // wide: full width
        {lim, {4, 1}, {2, 3}, {0.1f, 0.9f, 0.475f, 0.675f}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.asp.x);
        Glim out;
        EXPECT_EQ(gset_aspect(&c.in, &out, c.asp, c.center), 0);
        expect_lim(out, c.out);
    }
}

// Display shapes from the window size, then the panel inside the view area.
TEST(Gph, DisplayAndPanels)
{
    TempDir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    RES_put("file_path", ETC);
    FLAG_set_batch(1);
    struct Display {
        const char *geometry;
        float xvp, yvp;
    };
    const Display displays[] = {{"641x481", 1, 0.75f}, {"481x641", 0.75f, 1}, {"301x301", 1, 1}};
    for (const Display &d : displays) {
        SCOPED_TRACE(d.geometry);
        RES_put("geometry", d.geometry);
        Gint ws_id;
        Gws_type type = 0;
        Glim margins = {0, 0, 0, 0};
        GPH_setup(&ws_id, &type, 0, &margins);
        float x = 0, y = 0;
        EXPECT_EQ(ginq_maxview(GWS_X11, &x, &y), 0);
        EXPECT_FLOAT_EQ(x, d.xvp);
        EXPECT_FLOAT_EQ(y, d.yvp);
        EXPECT_FLOAT_EQ(GPH_get_vert_win_size(), d.yvp);
        expect_lim(margins, {0, d.xvp, 0, d.yvp});
        Glim view;
        GPH_get_view(1, &view);
        expect_lim(view, {0, d.xvp, 0, d.yvp});
        GPH_end(ws_id);
    }

    RES_put("geometry", "641x481");
    Gint ws_id;
    Gws_type type = 0;
    Glim margins = {0.1f, 0.1f, 0.1f, 0.1f};
    GPH_setup(&ws_id, &type, 0, &margins);
    expect_lim(margins, {0.1f, 0.9f, 0.075f, 0.675f});
    struct Panel {
        float sx, sy, ox, oy, asp;
        Glim want;
    };
    const Panel panels[] = {
        {1, 1, 0, 0, 0, {0.1f, 0.9f, 0.075f, 0.675f}},
        {1, 1, 0, 0, 1, {0.2f, 0.8f, 0.075f, 0.675f}},
        {0.5f, 1, 0.5f, 0, 0, {0.55f, 0.95f, 0.075f, 0.675f}},    // right half
        {0.5f, 0.5f, 0, 0.5f, 2, {0.05f, 0.45f, 0.4625f, 0.6625f}},  // upper left, 2 : 1
    };
    for (const Panel &p : panels) {
        SCOPED_TRACE(p.sx + p.ox);
        GPH_set_view_size(p.sx, p.sy, p.ox, p.oy);
        Glim view;
        GPH_get_view_size(&view);
        expect_lim(view, {p.ox, p.ox + p.sx, p.oy * 0.75f, (p.oy + p.sy) * 0.75f});
        Glim panel = {0.1f, 0.1f, 0.1f, 0.1f};
        EXPECT_EQ(GPH_panel(&ws_id, &type, p.asp, &panel), 0);
        expect_lim(panel, p.want);
        Glim got;
        for (int t : {2, 3}) {
            GPH_get_view(t, &got);
            expect_lim(got, p.want);
            GPH_get_win(t, &got);
            expect_lim(got, p.want);
        }
    }
    GPH_end(ws_id);
}

TEST(Gph, AttributeSetsReachTheKernel)
{
    TempDir dir;
    const std::string meta = dir.file("attr.meta");
    const Gint ws_id = setup("m," + meta);
    Gattribs a;
    ATTRIB_init(&a);
    a.color = 12;
    a.style = 3;
    a.width = 2;
    a.height = 0.5f;
    GPH_mark_attr(&a, 4);        // size 0.5 x 4
    a.color = -1;
    a.height = static_cast<float>(VYK_MISS);
    GPH_mark_attr(&a, 0);        // colour kept, size kept
    GPH_mark_attr(&a, 3);        // size 3
    EXPECT_EQ(GPH_text_attr(&a, 0.25f), 0);  // height unset: the scale
    EXPECT_EQ(GPH_text_attr(nullptr, 1), -1);
    GPH_text_rotate(90);
    int h = 0, v = 0;
    GPH_text_align(GRIGHT_HOR, GTOP_VERT);
    GPH_get_text_align(&h, &v);
    EXPECT_EQ(h, GRIGHT_HOR);
    EXPECT_EQ(v, GTOP_VERT);
    GPH_end(ws_id);
    const std::string text = vyktest::read_file(meta);
    auto count = [&](const std::string &part) { return vyktest::count(text, part); };
    EXPECT_EQ(count("PM_CLR 12\n"), 1) << text;
    EXPECT_EQ(count("PM_CLR -1"), 0) << text;
    EXPECT_EQ(count("PM_SIZE 2.000000\n"), 1) << text;
    EXPECT_EQ(count("PM_SIZE 3.000000\n"), 1) << text;
    EXPECT_EQ(count("PM_SIZE"), 2) << text;
    EXPECT_EQ(count("TE_HGHT 0.250000\n"), 1) << text;
}

// Formatted texts longer than their buffers are cut: 59 characters at a point, 99 at x, y.
TEST(Gph, FormattedTextIsCutAtItsBuffer)
{
    TempDir dir;
    const std::string meta = dir.file("text.meta");
    const Gint ws_id = setup("m," + meta);
    const std::string long_text(150, 'a');
    const Gpt pt = {0.5f, 0.5f};
    GPH_pprintf(&pt, "%s%d", long_text.c_str(), 7);
    GPH_printf(0.25f, 0.25f, "%s", long_text.c_str());
    GPH_printf(0.25f, 0.25f, "n=%d", 42);
    GPH_pprint(&pt, "plain");
    GPH_end(ws_id);
    const std::string text = vyktest::read_file(meta);
    EXPECT_NE(text.find(" " + std::string(59, 'a') + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(std::string(60, 'a')), text.find(std::string(99, 'a')));
    EXPECT_NE(text.find(" " + std::string(99, 'a') + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(std::string(100, 'a')), std::string::npos);
    EXPECT_NE(text.find(" n=42\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" plain\n"), std::string::npos) << text;
}

TEST(Gph, PictureOnPostScript)
{
    TempDir dir;
    const std::string ps = dir.file("pic.ps"), png = dir.file("pic.png");
    RES_put("file_path", ETC);
    RES_put("device", ("p," + ps + ",color").c_str());
    Gint ws_id;
    Gws_type type = 0;
    Glim panel = {0.05f, 0.05f, 0.05f, 0.05f};
    GPH_setup(&ws_id, &type, 1, &panel);
    ASSERT_EQ(type, GWS_PS);
    draw_picture(panel);
    EXPECT_EQ(GPH_hold(ws_id), 0);
    GPH_end(ws_id);
    const vyktest::RunResult r =
        vyktest::run("gs -dSAFER -dBATCH -dNOPAUSE -q -r72 -sDEVICE=png16m -sOutputFile=" +
                     vyktest::quote(png) + " " + vyktest::quote(ps));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
    const Picture pic = vyktest::read_picture(png);
    ASSERT_GT(pic.width, 0);
    const int red = pixels_of(pic, RED), blue = pixels_of(pic, BLUE);
    // The square has 0.2 of the panel's side, the disc a radius of 0.1: pi / 4 of the square.
    EXPECT_GT(red, 500);
    EXPECT_GT(blue, 0.6 * red);
    EXPECT_LT(blue, 0.95 * red);
    EXPECT_GT(pixels_of(pic, GREEN), 100);
}

TEST(Gph, PictureOnWindow)
{
    vyktest::PrivateX server;  // nothing of other tests covers the capture
    ASSERT_FALSE(server.name().empty());
    TempDir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    RES_put("geometry", "641x481");
    Gws_type type = 0;
    Glim panel;
    const Gint ws_id = setup("d", &type, &panel);
    ASSERT_EQ(type, GWS_X11);
    draw_picture(panel);
    gupdate_window();
    gsync();
    // NDC to pixels: x 640 per unit, y from row 480 upward.
    const Picture pic = vyktest::capture_xwd(gget_root_window());
    GPH_end(ws_id);
    ASSERT_EQ(pic.width, 641);
    ASSERT_EQ(pic.height, 481);
    EXPECT_EQ(pic.at(192, 480 - 192), RED);        // inside the square
    EXPECT_EQ(pic.at(416, 480 - 192), BLUE);       // centre of the disc
    EXPECT_EQ(pic.at(416, 480 - 192 - 61), BLUE);  // near the disc's top edge
    EXPECT_NE(pic.at(416, 480 - 192 - 67), BLUE);  // beyond it (radius 64)
    EXPECT_EQ(pic.at(320, 480 - 384), GREEN);      // on the line
    EXPECT_EQ(pic.at(100, 100), BLACK);            // background
}

// On the own window the hold loop runs until Return.  A private X server keeps the typed keys
// away from other tests' windows.
TEST(Gph, HoldOnOwnWindowEndsWithReturn)
{
    vyktest::PrivateX server("640x480x24");
    ASSERT_FALSE(server.name().empty());
    const std::string &display = server.name();

    TempDir dir;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    RES_put("geometry", "200x150");
    Gws_type type = 0;
    const Gint ws_id = setup("d", &type);
    ASSERT_EQ(type, GWS_X11);
    const std::string win = std::to_string(gget_root_window());
    // Return is typed again and again until the hold has ended.
    const pid_t typist = fork();
    ASSERT_GE(typist, 0);
    if (typist == 0) {
        const std::string command = "DISPLAY=" + display + " xdotool mousemove --window " + win +
                                    " 50 50 key Return >/dev/null 2>&1";
        for (int i = 0; i < 150; i++) {
            if (std::system(command.c_str()) == -1) _exit(1);
            usleep(200000);
        }
        _exit(0);
    }
    alarm(60);  // a hold that never ends fails the test instead of hanging it
    EXPECT_EQ(GPH_hold(ws_id), 0);
    alarm(0);
    kill(typist, SIGKILL);
    waitpid(typist, nullptr, 0);
    GPH_end(ws_id);
}
