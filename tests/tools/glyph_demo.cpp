// glyph_demo: draws the sheet of wind glyphs, weather symbols and sky-cover circles on a
// workstation chosen by the device resource.
//
//   glyph_demo [-de d|p[,file[,eps]]|m[,file]] [-fp path] [-me levels] [--hold-seconds N]
//              [--dump=png:file] [--symbols file]
//
// -de d (the default) opens a window of its own; the program prints "ready window=W" (decimal
// id) once the sheet is shown, then keeps it for --hold-seconds seconds (0 by default), or with
// --dump=png:FILE writes the window as PNG and ends.  On the file devices it prints "ready".
// --symbols names the stroke file (default "wx.smb" on the file path).
//
// The sheet is 800 by 600 units with y upward:
//   barbs    speeds 0 to 200 knots by 5, each labelled, at direction 300 (14 to a row from the
//            top left, cells 56 wide and 50 high, barbs of size 34)
//   rosette  24 barbs of 75 knots every 15 degrees around (130, 300), size 80 from 30 out
//   arrows   eight wind arrows every 45 degrees from (330, 360), and four motion tracks with
//            four cross ticks at y 290, 250, 210 and 180
//   clouds   the sky-cover circles 0 to 9, C, F, S, B, O, X and a missing cover, each labelled
//   symbols  every symbol of the stroke file, each labelled, ten to a row under the rest
#include "gks.h"
#include "gks_x11.h"
#include "tool_args.h"
#include "vyk.h"
#include "vykgks.h"
#include "img.h"
#include "vykresrc.h"
#include "wind_glyph.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr float SHEET_W = 800, SHEET_H = 600;

struct Colour {
    float r, g, b;
};
// 0 black, 1 white, 2 red, 3 green, 4 blue, 5 yellow, 6 cyan, 7 brown.
constexpr Colour palette[] = {{0, 0, 0}, {1, 1, 1}, {1, 0, 0},    {0, 0.8f, 0},
                              {0, 0, 1}, {1, 1, 0}, {0, 1, 1}, {0.6f, 0.3f, 0.1f}};

// The colour that shows on the background.
int foreground() { return gget_inverse() ? 0 : 1; }

void set_colour(int c)
{
    gset_line_colr_ind(c);
    gset_fill_colr_ind(c);
    gset_linewidth(1);
    gset_linetype(1);
}

void label(float x, float y, const char *text)
{
    Gattribs t;
    ATTRIB_init(&t);
    t.color = foreground();
    t.height = 8;
    GPH_text_attr(&t, 1);
    GPH_text_align(GCENTER_HOR, GTOP_VERT);
    GPH_printf(x, y, "%s", text);
}

void draw_barbs()
{
    for (int k = 0; k <= 40; k++) {
        const float x = 28 + 56.0f * static_cast<float>(k % 14);
        const float y = 560 - 50.0f * static_cast<float>(k / 14);
        set_colour(5);
        WIND_barb(x, y, 300, 5.0f * static_cast<float>(k), 34, 0);
        char text[8];
        std::snprintf(text, sizeof text, "%d", 5 * k);
        label(x, y - 6, text);
    }
}

void draw_rosette()
{
    set_colour(6);
    for (int k = 0; k < 24; k++) WIND_barb(130, 300, 15.0f * static_cast<float>(k), 75, 80, 30);
}

void draw_arrows()
{
    set_colour(3);
    for (int k = 0; k < 8; k++) WIND_vect(330, 360, 45.0f * static_cast<float>(k), 1, 45, 1);
    set_colour(2);
    const float rows[] = {290, 250, 210, 180};
    for (int k = 0; k < 4; k++) WIND_track(280, rows[k], 270, 60.0f + 30 * static_cast<float>(k), 30, 4, 0);
}

void draw_clouds()
{
    const char covers[] = "0123456789CFSBOXm";
    for (int k = 0; covers[k]; k++) {
        const float x = 560 + 45.0f * static_cast<float>(k % 6);
        const float y = 395 - 60.0f * static_cast<float>(k / 6);
        set_colour(foreground());
        WX_cloud(x, y, 14, covers[k]);
        const char text[2] = {covers[k], '\0'};
        label(x, y - 18, text);
    }
}

// The names of a stroke file, in file order: the first word of each definition.
std::vector<std::string> symbol_names(const char *file)
{
    char path[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("file_path"), file, path);
    std::vector<std::string> names;
    FILE *fp = FILE_is_file(path) ? std::fopen(path, "r") : nullptr;
    if (!fp) return names;
    std::string word;
    bool want_name = true;
    int c;
    while ((c = std::getc(fp)) != EOF) {
        if (std::isspace(c)) {
            if (want_name && !word.empty()) {
                names.push_back(word);
                want_name = false;
            }
            word.clear();
        } else if (c == '$') {
            want_name = true;
            word.clear();
        } else if (word.size() < 40) {
            word += static_cast<char>(c);
        }
    }
    std::fclose(fp);
    return names;
}

void draw_symbols(const char *file)
{
    WX_symb_file(file);
    const std::vector<std::string> names = symbol_names(file);
    for (size_t k = 0; k < names.size(); k++) {
        const float x = 40 + 78.0f * static_cast<float>(k % 10);
        const float y = 125 - 50.0f * static_cast<float>(k / 10);
        set_colour(7);
        const Gtext_align low_left = {GLEFT_HOR, GBOTTOM_VERT};
        gset_text_align(&low_left);
        WX_symb(x - 15, y, names[k].c_str(), 30);
        label(x, y - 3, names[k].c_str());
    }
}

void set_up_sheet()
{
    const Glim ws_win = {0, 1, 0, SHEET_H / SHEET_W};
    gset_ws_win(1, &ws_win);
    const Glim win = {0, SHEET_W, 0, SHEET_H};
    gset_win(1, &win);
    gset_vp(1, &ws_win);
    gsel_norm_tran(1);
    for (int k = 0; k < static_cast<int>(sizeof palette / sizeof palette[0]); k++) {
        const Gcolr_rep rep = {palette[k].r, palette[k].g, palette[k].b};
        gset_colr_rep(1, k, &rep);
    }
}

const res_type res_key[] = {RES_help, RES_message, RES_device, RES_file_path, RES_geometry,
                            RES_null};
const res_type res_pos[] = {RES_null};

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "glyph_demo", res_key, res_pos)) return 0;
    int hold_seconds = 0;
    RES_getval("hold-seconds", &hold_seconds, CV_int);
    const char *dump = RES_get("dump");
    if (dump && std::strncmp(dump, "png:", 4) != 0) {
        MESS_print(M_ERROR, "glyph_demo: --dump takes png: and a file name\n");
        return 2;
    }
    const char *symbols = RES_get("symbols") ? RES_get("symbols") : "wx.smb";
    const char *conn = nullptr;
    if (RES_get("device")) RES_getval("device", &conn, CV_device);
    int type = FLAG_get(FLAG_DEVICE);
    if (type != GWS_X11 && type != GWS_PS && type != GWS_META) type = GWS_X11;

    gset_prog_name("glyph_demo");
    gset_win_title("Glyph_sheet");
    if (gopen_gks(nullptr, 0) != 0 || gopen_ws(1, conn, type) != 0) {
        MESS_print(M_ERROR, "glyph_demo: unable to open the workstation\n");
        return 4;
    }
    gactivate_ws(1);
    set_up_sheet();
    gclear_ws(1, GALWAYS);
    draw_barbs();
    draw_rosette();
    draw_arrows();
    draw_clouds();
    draw_symbols(symbols);

    int status = 0;
    if (gtype_is_WIN_PIX()) {
        gupdate_window();
        gsync();
        std::printf("ready window=%lu\n", gget_root_window());
        std::fflush(stdout);
        if (dump) {
            IMG_report image;
            if (!gget_image(&image) || !PNG_write(dump + 4, &image)) {
                MESS_print(M_ERROR, "glyph_demo: unable to write %s\n", dump + 4);
                status = 6;
            }
            IMG_free(&image);
        } else if (hold_seconds > 0) {
            VYK_sleep(static_cast<float>(hold_seconds));
        }
    } else {
        std::printf("ready\n");
    }
    gdeactivate_ws(1);
    // An output file that could not be written whole fails the program.
    if (gclose_ws(1) != 0 && status == 0) {
        MESS_print(M_ERROR, "glyph_demo: unable to write the output\n");
        status = 7;
    }
    gclose_gks();
    return status;
}
