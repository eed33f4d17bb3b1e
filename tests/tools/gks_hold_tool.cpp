// Opens the own window on $DISPLAY, draws a few lines, and holds it, printing on standard output
// (standard error goes to the same place):
//   window ID mapped M              once the window is open
//   event KIND [NAME] X Y PX PY     for every mouse-callback call: the world position and, for
//                                   keys and buttons, the same position turned back to pixels
//   refresh                         for every call of the refresh function
//   hold STATUS                     when the hold has ended
// Options:
//   -title TEXT     window title          -extra TEXT  text after the title during the hold
//   -refresh SEC    refresh interval      -ip DIR      the image_path resource
//   -band MODE      arm this rubber band when the callback gets "B1-P-Shft"
//   -print          print the events without end instead of holding
// It ends by itself after 60 seconds.
#include "gks.h"
#include "gks_x11.h"
#include "vyk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

int band_mode = 0;

int on_event(int kind, const char *event, float x, float y)
{
    if (kind == 3 && band_mode && std::strcmp(event, "B1-P-Shft") == 0) gset_rubber_band(band_mode);
    if (std::strcmp(event, "size") == 0)
        std::printf("event %d [%s] %g %g\n", kind, event, static_cast<double>(x),
                    static_cast<double>(y));
    else
        std::printf("event %d [%s] %g %g %.0f %.0f\n", kind, event, static_cast<double>(x),
                    static_cast<double>(y), static_cast<double>(xW_p(x)),
                    static_cast<double>(yW_p(y)));
    return 0;
}

void on_refresh() { std::printf("refresh\n"); }

}  // namespace

int main(int argc, char **argv)
{
    alarm(60);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    dup2(1, 2);
    std::string title = "Hold tool", extra;
    int refresh = 0;
    bool print = false;
    for (int i = 1; i < argc; i++) {
        const std::string opt = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : "";
        if (opt == "-print") {
            print = true;
            continue;
        }
        i++;
        if (opt == "-title") title = value;
        else if (opt == "-extra") extra = value;
        else if (opt == "-refresh") refresh = std::atoi(value);
        else if (opt == "-ip") RES_put("image_path", value);
        else if (opt == "-band") band_mode = std::atoi(value);
        else return 2;
    }
    gset_win_title(title.c_str());
    if (gopen_gks(nullptr, 0) != 0 || gopen_ws(1, "", GWS_X11) != 0) return 4;
    gclear_ws(1, GALWAYS);
    for (int k = 0; k < 8; k++) {
        const float f = 0.1f * static_cast<float>(k + 1);
        const Gpt line[3] = {{0.05f, f}, {0.5f, f + 0.05f}, {0.95f, f}};
        gset_line_colr_ind(1 + k % 4);
        gpolyline(3, line);
    }
    gupdate_window();
    gset_mouse_callback(on_event);
    gset_refresh_callback(refresh, refresh ? on_refresh : nullptr);
    std::printf("window %lu mapped %d\n", static_cast<unsigned long>(gget_root_window()),
                gis_mapped());
    if (print) return gprint_event();
    if (!extra.empty()) gset_win_title_extra(extra.c_str());
    const int status = ghold(1);
    std::printf("hold %d\n", status);
    gclose_ws(1);
    gclose_gks();
    return 0;
}
