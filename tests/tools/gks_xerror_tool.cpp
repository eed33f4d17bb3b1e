// Opens the kernel's own window and then makes the X server fail:
//   gks_xerror_tool errors N   N requests on a window that does not exist (protocol errors)
//   gks_xerror_tool lost       the server drops the kernel's connection
// Prints "survived" and ends with status 0 when the kernel lets the program go on.
#include "gks.h"
#include "gks_x11.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc < 2) return 2;
    if (gopen_gks(nullptr, 0) != 0 || gopen_ws(1, "", GWS_X11) != 0) return 3;
    Display *display = gget_display();
    if (std::strcmp(argv[1], "errors") == 0 && argc > 2) {
        const int n = std::atoi(argv[2]);
        const Window missing = 0x1fffffff;
        for (int i = 0; i < n; i++) {
            XMapWindow(display, missing);
            XSync(display, False);
        }
    } else if (std::strcmp(argv[1], "lost") == 0) {
        // Another client asks the server to close the kernel's connection.
        Display *other = XOpenDisplay(nullptr);
        if (!other) return 3;
        XKillClient(other, gget_root_window());
        XSync(other, False);
        XCloseDisplay(other);
        gsync();
        gbell(0);
    } else {
        return 2;
    }
    std::printf("survived\n");
    gclose_ws(1);
    return 0;
}
