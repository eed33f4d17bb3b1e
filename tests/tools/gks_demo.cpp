// gks_demo: draws the kernel's test sheet on a workstation chosen by the device resource.
//
//   gks_demo [-de d|w[,display,window]|p[,file[,eps]]|h|q[,file[,nopcl]]|m[,file[,cgm]]]
//            [-ge geometry] [-fp path] [-bg background] [-me levels] [--hold-seconds N]
//            [--hold-stdin] [--sections name,...] [--pix-mode N] [--list] [--hold]
//            [--dump=png|img|gif|xwd:file] [--image file] [--frames N]
//
// -de d (the default) opens a window of its own; -de w,,w3 draws into the loop window whose
// window-id file "vovadev.3" lies on the file path.  On the X11 devices the program prints
// "ready window=W pixmap=P" (decimal ids) once the sheet is drawn and shown, then keeps the
// window for --hold-seconds seconds, or with --hold-stdin until a line or the end of standard
// input arrives (at most --hold-seconds, 60 by default), so that it can be captured
// (xwd -id W).  --sections draws only the named sections; --list prints them.  --pix-mode sets
// the loop window cooperation (9: end the loop window's hold at the close).
//
// --hold keeps the own window with the kernel's hold loop until Return or Alt-q instead.
// --dump=KIND:FILE captures the window once drawn and writes it as KIND (png, img the own
// format, gif or xwd), then ends without holding.  --image FILE draws the image file at the
// plot's top left corner before the sheet (on the windows and PostScript).  --frames N draws N
// animation frames on the own window, each with a bar that grows from frame to frame under the
// sheet, and shows the first; with --hold the frames loop while the window is held.
//
// The sheet is 640 by 512 units with y upward, mapped onto the device with its aspect kept; on
// the default 640 by 512 window a unit is a pixel and the pixel row of y is 511 - y.  Sections
// (a table: later primitives add their own):
//   frame   the sheet's outline, colour 1 (0 under inverse video), width 1
//   types   line types 1 to 5, width 1, colour 5 (yellow): from x 20 to 300 at y 480, 456,
//           432, 408, 384
//   widths  solid lines of widths 0, 1, 2, 4, 8 and 12, colour 6 (cyan): from x 20 to 300 at
//           y 340, 310, 280, 250, 220, 190
//   matrix  every type (rows at y 150, 122, 94, 66, 38) at widths 1, 3 and 6 (columns from x
//           20, 110 and 200, each 80 long), colour 1 (0 under inverse video)
//   colors  a swatch of each palette colour 0 to 15: a horizontal line of width 30 from x0 to
//           x0 + 50 at yc, x0 = 345 + 70 * (k % 4), yc = 465 - 45 * (k / 4)
//   joins   a zigzag of width 8 (colour 8), a star of width 3 (colour 11) and a 200-point wave
//           of width 2 (colour 3) in the lower right quarter
// The sections below are drawn through the convenience layer (GPH_*) and only when --sections
// names them; drawn together they share a sheet of their own:
//   markers every marker shape 1 to 9 at sizes 1.5 (y 480) and 3 (y 440), from x 40 every 65,
//           colour 5 (yellow), each numbered under it (y 412)
//   fills   the fill patterns 0 to 19 as 50 by 50 squares in colour 6 (cyan) outlined in the
//           foreground colour, ten to a row from x 20 every 62 (rows from y 330 and 265, upward),
//           and a filled disc in pattern 0, colour 2, at (600, 240)
//   text    text "Ag" 14 high in every alignment (columns left, centre, right at x 80, 200, 320;
//           rows top, cap, half, base, bottom at y 220, 185, 150, 115, 80), each anchor marked
//           with a plus; "turned 90" starting at (430, 230), turned a quarter clockwise; a
//           shadowed "shadow" (three copies in colour 9) and a shadowed star marker at x 480 to
//           620, y 180 and 120
//
// Devices: -de d (own window), -de p,sheet.ps (PostScript), -de p,sheet.eps,eps (EPS),
// -de m,sheet.meta (metafile; m,sheet.cgm,cgm the binary form), -de h,sheet.hp,nopcl (HP-GL/2
// without the PCL wrapper).
#include "gks.h"
#include "gks_x11.h"
#include "tool_args.h"
#include "vyk.h"
#include "vykgks.h"
#include "img.h"
#include "vykresrc.h"

#include <poll.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr float SHEET_W = 640, SHEET_H = 512;

struct PaletteEntry {
    const char *name;
    float r, g, b;
};

// Colour indices 0 to 15.
constexpr PaletteEntry palette[] = {
    {"black", 0, 0, 0},        {"white", 1, 1, 1},         {"red", 1, 0, 0},
    {"green", 0, 1, 0},        {"blue", 0, 0, 1},          {"yellow", 1, 1, 0},
    {"cyan", 0, 1, 1},         {"magenta", 1, 0, 1},       {"orange", 1, 0.5f, 0},
    {"grey", 0.5f, 0.5f, 0.5f}, {"brown", 0.6f, 0.3f, 0.1f}, {"sky", 0.4f, 0.6f, 1},
    {"pink", 1, 0.6f, 0.8f},   {"dark green", 0, 0.4f, 0}, {"navy", 0, 0, 0.5f},
    {"olive", 0.5f, 0.5f, 0},
};
constexpr int NUM_COLORS = sizeof palette / sizeof palette[0];

// The colour that shows on the background.
int foreground() { return gget_inverse() ? 0 : 1; }

void line_attr(int color, float width, int type)
{
    gset_line_colr_ind(color);
    gset_linewidth(width);
    gset_linetype(type);
}

void segment(float x0, float y0, float x1, float y1)
{
    const Gpt pts[2] = {{x0, y0}, {x1, y1}};
    gpolyline(2, pts);
}

// ---------------------------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------------------------

void draw_frame()
{
    line_attr(foreground(), 1, 1);
    const Gpt pts[5] = {{4, 4}, {635, 4}, {635, 507}, {4, 507}, {4, 4}};
    gpolyline(5, pts);
}

void draw_types()
{
    for (int type = 1; type <= 5; type++) {
        line_attr(5, 1, type);
        const float y = 480 - 24.0f * static_cast<float>(type - 1);
        segment(20, y, 300, y);
    }
}

void draw_widths()
{
    constexpr float widths[] = {0, 1, 2, 4, 8, 12};
    for (int k = 0; k < 6; k++) {
        line_attr(6, widths[k], 1);
        const float y = 340 - 30.0f * static_cast<float>(k);
        segment(20, y, 300, y);
    }
}

void draw_matrix()
{
    constexpr float widths[] = {1, 3, 6};
    constexpr float starts[] = {20, 110, 200};
    for (int type = 1; type <= 5; type++) {
        const float y = 150 - 28.0f * static_cast<float>(type - 1);
        for (int k = 0; k < 3; k++) {
            line_attr(foreground(), widths[k], type);
            segment(starts[k], y, starts[k] + 80, y);
        }
    }
}

// Swatches are thick lines until filled areas exist.
void draw_colors()
{
    for (int k = 0; k < NUM_COLORS; k++) {
        line_attr(k, 30, 1);
        const float x0 = 345 + 70.0f * static_cast<float>(k % 4);
        const float yc = 465 - 45.0f * static_cast<float>(k / 4);
        segment(x0, yc, x0 + 50, yc);
    }
}

void draw_joins()
{
    line_attr(8, 8, 1);
    Gpt zigzag[7];
    for (int i = 0; i < 7; i++)
        zigzag[i] = {350 + 40.0f * static_cast<float>(i), i % 2 ? 260.0f : 200.0f};
    gpolyline(7, zigzag);

    line_attr(11, 3, 1);
    for (int i = 0; i < 8; i++) {
        const float a = static_cast<float>(i) * 3.14159265f / 4;
        segment(420, 120, 420 + 60 * std::cos(a), 120 + 60 * std::sin(a));
    }

    line_attr(3, 2, 1);
    std::vector<Gpt> wave(200);
    for (int i = 0; i < 200; i++) {
        const float x = 500 + 0.6f * static_cast<float>(i);
        wave[static_cast<size_t>(i)] = {x, 100 + 50 * std::sin(static_cast<float>(i) / 16)};
    }
    gpolyline(200, wave.data());
}

// Sections drawn through the convenience layer.

void draw_markers()
{
    Gattribs a;
    ATTRIB_init(&a);
    a.color = 5;
    a.width = 1;
    constexpr float sizes[] = {1.5f, 3};
    constexpr float rows[] = {480, 440};
    for (int k = 0; k < 2; k++) {
        for (int type = 1; type <= 9; type++) {
            a.style = type;
            GPH_mark_attr(&a, sizes[k]);
            GPH_mark(40 + 65.0f * static_cast<float>(type - 1), rows[k]);
        }
    }
    Gattribs t;
    ATTRIB_init(&t);
    t.color = foreground();
    t.height = 12;
    GPH_text_attr(&t, 1);
    GPH_text_align(GCENTER_HOR, GTOP_VERT);
    for (int type = 1; type <= 9; type++)
        GPH_printf(40 + 65.0f * static_cast<float>(type - 1), 412, "%d", type);
}

void draw_fills()
{
    Gattribs fill, edge;
    ATTRIB_init(&fill);
    ATTRIB_init(&edge);
    fill.color = 6;
    edge.color = foreground();
    edge.width = 1;
    edge.style = 1;
    GPH_line_attr(&edge);
    for (int pat = 0; pat < 20; pat++) {
        fill.fill_pat = pat;
        GPH_fill_attr(&fill);
        const float x0 = 20 + 62.0f * static_cast<float>(pat % 10);
        const float y0 = pat < 10 ? 330 : 265;
        GPH_frect(x0, y0, x0 + 50, y0 + 50);
        GPH_rect(x0, y0, x0 + 50, y0 + 50);
    }
    fill.color = 2;
    fill.fill_pat = 0;
    GPH_fill_attr(&fill);
    GPH_fcircle(600, 240, 20);
    GPH_circle(600, 240, 20);
}

void draw_text()
{
    Gattribs t, m;
    ATTRIB_init(&t);
    ATTRIB_init(&m);
    t.color = foreground();
    t.height = 14;
    t.width = 1;
    m.color = 2;
    m.style = 2;
    m.width = 1;
    GPH_text_attr(&t, 1);
    GPH_mark_attr(&m, 1);
    constexpr Gtext_hor hors[] = {GLEFT_HOR, GCENTER_HOR, GRIGHT_HOR};
    constexpr float cols[] = {80, 200, 320};
    constexpr Gtext_ver vers[] = {GTOP_VERT, GCAP_VERT, GHALF_VERT, GBASE_VERT, GBOTTOM_VERT};
    constexpr float rows[] = {220, 185, 150, 115, 80};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 5; j++) {
            GPH_text_align(hors[i], vers[j]);
            const Gpt at = {cols[i], rows[j]};
            GPH_pprint(&at, "Ag");
            GPH_mark(at.x, at.y);
        }
    }
    GPH_text_align(GLEFT_HOR, GBASE_VERT);
    GPH_text_rotate(90);
    const Gpt turned = {430, 230};
    GPH_pprintf(&turned, "turned %d", 90);
    GPH_text_rotate(0);

    gset_font_drop(3);
    gset_font_drop_color(9);
    t.color = 5;
    t.height = 24;
    GPH_text_attr(&t, 1);
    GPH_printf(480, 180, "shadow");
    m.color = 5;
    m.style = 3;
    GPH_mark_attr(&m, 3);
    GPH_mark(550, 120);
    gset_font_drop(0);
}

struct Section {
    const char *name;
    void (*draw)();
    const char *what;
    bool on_request = false;  // drawn only when --sections names it
};

const Section sections[] = {
    {"frame", draw_frame, "the sheet's outline"},
    {"types", draw_types, "line types 1 to 5"},
    {"widths", draw_widths, "solid lines of widths 0 to 12"},
    {"matrix", draw_matrix, "every line type at widths 1, 3 and 6"},
    {"colors", draw_colors, "a swatch of every palette colour"},
    {"joins", draw_joins, "wide joins, a star and a long wave"},
    {"markers", draw_markers, "every marker shape at two sizes (on request)", true},
    {"fills", draw_fills, "every fill pattern and a filled disc (on request)", true},
    {"text", draw_text, "text in every alignment, turned and shadowed (on request)", true},
};

bool wanted(const char *name, const char *list)
{
    if (!list || !list[0]) return true;
    int count = 0;
    char **items = nullptr;
    if (parse_string(list, ',', &count, &items) != 0) return false;
    bool found = false;
    for (int i = 0; i < count && !found; i++) found = stricmp(items[i], name) == 0;
    free_parsed_array(count, items);
    return found;
}

// The sheet onto the whole device, aspect kept.
void set_up_sheet()
{
    const Glim ws_win = {0, 1, 0, (SHEET_H - 1) / (SHEET_W - 1)};
    gset_ws_win(1, &ws_win);
    const Glim win = {0, SHEET_W - 1, 0, SHEET_H - 1};
    gset_win(1, &win);
    gset_vp(1, &ws_win);
    gsel_norm_tran(1);
}

void define_palette()
{
    for (int k = 0; k < NUM_COLORS; k++) {
        const Gcolr_rep rep = {palette[k].r, palette[k].g, palette[k].b};
        gset_colr_rep(1, k, &rep);
    }
}

// Keeps the window shown: a line or the end of standard input ends the hold when asked for,
// else the time does.  The picture is copied to the window again now and then, so that a
// window that was covered shows it again.
void hold(float seconds, bool until_stdin)
{
    const int steps = static_cast<int>(seconds * 5);
    for (int i = 0; i < steps; i++) {
        if (until_stdin) {
            pollfd fd = {0, POLLIN, 0};
            if (poll(&fd, 1, 200) > 0) {
                char buf[64];
                const ssize_t got = read(0, buf, sizeof buf);
                if (got <= 0 || std::memchr(buf, '\n', static_cast<size_t>(got))) return;
            }
        } else {
            VYK_sleep(0.2f);
        }
        if (gtype_is_WIN_PIX()) gupdate_window();
    }
}

// The bar that tells the frames apart: frame k of n spans (k + 1) / n of the sheet's width.
void draw_frame_bar(int k, int n)
{
    line_attr(2, 6, 1);
    segment(20, 14, 20 + 600.0f * static_cast<float>(k + 1) / static_cast<float>(n), 14);
}

enum class DumpKind { none, png, img, gif, xwd };

// "KIND:FILE"; none when the text is not of that form.
DumpKind dump_kind(const char *text, const char **file)
{
    struct Kind {
        const char *name;
        DumpKind kind;
    };
    constexpr Kind kinds[] = {
        {"png", DumpKind::png}, {"img", DumpKind::img}, {"gif", DumpKind::gif}, {"xwd", DumpKind::xwd}};
    const char *colon = text ? std::strchr(text, ':') : nullptr;
    if (!colon || !colon[1]) return DumpKind::none;
    const std::string name(text, static_cast<size_t>(colon - text));
    for (const Kind &k : kinds) {
        if (stricmp(name.c_str(), k.name) == 0) {
            *file = colon + 1;
            return k.kind;
        }
    }
    return DumpKind::none;
}

// Captures the window and writes it; 1 on success.
int dump_window(DumpKind kind, const char *file)
{
    IMG_report image;
    if (!gget_image(&image)) return 0;
    int ok = 0;
    switch (kind) {
    case DumpKind::png: ok = PNG_write(file, &image); break;
    case DumpKind::img: ok = IMG_write(file, &image, 1); break;
    case DumpKind::gif: ok = GIF_write(file, &image); break;
    case DumpKind::xwd: ok = XWD_write(file, &image); break;
    case DumpKind::none: break;
    }
    IMG_free(&image);
    return ok;
}

const res_type res_key[] = {RES_help,     RES_message,    RES_device, RES_geometry,
                            RES_file_path, RES_background, RES_null};
const res_type res_pos[] = {RES_null};

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "gks_demo", res_key, res_pos)) return 0;
    if (RES_get("list")) {
        for (const Section &s : sections) std::printf("%-8s %s\n", s.name, s.what);
        return 0;
    }
    int hold_seconds = 0;
    RES_getval("hold-seconds", &hold_seconds, CV_int);
    const bool hold_stdin = RES_get("hold-stdin") != nullptr;
    if (hold_stdin && hold_seconds <= 0) hold_seconds = 60;
    int pix_mode = 0;
    RES_getval("pix-mode", &pix_mode, CV_int);
    const char *only = RES_get("sections");
    const bool hold_loop = RES_get("hold") != nullptr;
    const char *image_file = RES_get("image");
    int frames = 0;
    RES_getval("frames", &frames, CV_int);
    if (frames < 0 || frames > 128) {
        MESS_print(M_ERROR, "gks_demo: --frames takes 0 to 128\n");
        return 2;
    }
    const char *dump_file = nullptr;
    const DumpKind dump = RES_get("dump") ? dump_kind(RES_get("dump"), &dump_file) : DumpKind::none;
    if (RES_get("dump") && dump == DumpKind::none) {
        MESS_print(M_ERROR, "gks_demo: --dump takes png, img, gif or xwd, a colon and a file name\n");
        return 2;
    }
    if (image_file && !image_file[0]) {
        MESS_print(M_ERROR, "gks_demo: --image needs a file name\n");
        return 2;
    }

    // The device: its letter gives the workstation type, the text after the first comma the
    // connection (display and window, or the output file).
    const char *conn = nullptr;
    if (RES_get("device")) RES_getval("device", &conn, CV_device);
    int type = FLAG_get(FLAG_DEVICE);
    if (type != GWS_X11 && type != GWS_META && type != GWS_PS && type != GWS_HPGL &&
        type != GWS_PIX)
        type = GWS_X11;

    gset_prog_name("gks_demo");
    gset_win_title("Kernel_test_sheet");
    gset_pix_mode(pix_mode);
    if (gopen_gks(nullptr, 0) != 0 || gopen_ws(1, conn, type) != 0) {
        MESS_print(M_ERROR, "gks_demo: unable to open the workstation\n");
        return 4;
    }
    // The image is read once the workstation is open: readers take the deepest image they
    // accept from the window's depth.
    IMG_report image;
    if (image_file && !IMG_read(image_file, &image, 0)) {
        MESS_print(M_ERROR, "gks_demo: unable to read the image %s\n", image_file);
        gclose_ws(1);
        gclose_gks();
        return 3;
    }
    gactivate_ws(1);
    define_palette();
    gclear_ws(1, GALWAYS);
    set_up_sheet();
    const auto draw_sheet = [&] {
        // Drawing maps the image's colours to the display's in place (on colour-mapped
        // displays), so every frame but the last draws a copy.
        if (image_file) {
            IMG_report copy;
            const bool last = frames <= 1 || gget_num_images() == frames;
            if (last) {
                gload_image(&image, 0, 0);
            } else if (IMG_copy(&copy, &image) == 0) {
                gload_image(&copy, 0, 0);
                IMG_free(&copy);
            }
        }
        for (const Section &s : sections)
            if ((!s.on_request || (only && only[0])) && wanted(s.name, only)) s.draw();
    };
    int status = 0;
    if (frames > 0 && gtype_is_WIN()) {
        for (int k = 0; k < frames; k++) {
            const int before = gget_num_images();
            const int ind = gcreate_frame(-1);
            if (gget_num_images() != before + 1 || gselect_frame(ind) != 0) {
                MESS_print(M_ERROR, "gks_demo: unable to make frame %d\n", k);
                status = 5;
                break;
            }
            draw_sheet();
            draw_frame_bar(k, frames);
        }
        gselect_frame(-3);
        if (status == 0) {
            gset_looping(hold_loop ? 1 : 0);
            gdisplay_frame(0);
        }
    } else {
        if (frames > 0) MESS_print(M_ERROR, "gks_demo: frames need the own window\n");
        draw_sheet();
    }
    if (image_file) IMG_free(&image);

    if (gtype_is_WIN_PIX()) {
        gupdate_window();
        gsync();
        std::printf("ready window=%lu pixmap=%lu", gget_root_window(), gget_base_window());
        if (frames > 0) std::printf(" frames=%d", gget_num_images());
        std::printf("\n");
    } else {
        std::printf("ready\n");
    }
    std::fflush(stdout);
    if (status == 0 && dump != DumpKind::none) {
        if (!gtype_is_WIN_PIX()) {
            MESS_print(M_ERROR, "gks_demo: --dump needs a window\n");
            status = 6;
        } else if (!dump_window(dump, dump_file)) {
            MESS_print(M_ERROR, "gks_demo: unable to write %s\n", dump_file);
            status = 6;
        }
    } else if (status == 0 && hold_loop) {
        ghold(1);
    } else if (status == 0) {
        hold(static_cast<float>(hold_seconds), hold_stdin);
    }

    gdeactivate_ws(1);
    // An output file that could not be written whole fails the program.
    if (gclose_ws(1) != 0 && status == 0) {
        MESS_print(M_ERROR, "gks_demo: unable to write the output\n");
        status = 7;
    }
    gclose_gks();
    return status;
}
