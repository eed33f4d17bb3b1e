// A stand-in for the loop window program: it shows a window named "Plot [3]" with a pixmap,
// writes the window-id file DIR/vovadev.3 ("+window:pixmap:400x300:colormap") and then answers
// the notices that a drawer sends ("notice N" on standard output for each):
//   answer  on notice 2 shows "Plot +" while it makes the frame, then "Plot [4]"
//   late    as answer, but sees the notice only after 0.6 seconds
//   hang    on notice 2 shows "Plot +" and never finishes
//   die     on notice 2 shows "Plot +" and ends at once
// Notice 9 ends the program with status 0.  It ends by itself after 60 seconds.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3) return 2;
    const std::string dir = argv[1], mode = argv[2];
    alarm(60);
    Display *display = XOpenDisplay(nullptr);
    if (!display) return 3;
    const int screen = DefaultScreen(display);
    Window win = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 400, 300, 0,
                                     BlackPixel(display, screen), BlackPixel(display, screen));
    Pixmap pix = XCreatePixmap(display, win, 400, 300, DefaultDepth(display, screen));
    XStoreName(display, win, "Plot [3]");
    XMapWindow(display, win);
    XSync(display, False);

    const std::string tmp = dir + "/vovadev.tmp", file = dir + "/vovadev.3";
    FILE *fp = std::fopen(tmp.c_str(), "w");
    if (!fp) return 3;
    std::fprintf(fp, "+%lu:%lu:400x300:%lu\n", win, pix, DefaultColormap(display, screen));
    std::fclose(fp);
    std::rename(tmp.c_str(), file.c_str());

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != ClientMessage || event.xclient.message_type != XA_NOTICE) continue;
        const int code = event.xclient.data.b[0];
        std::printf("notice %d\n", code);
        std::fflush(stdout);
        if (code == 9) {
            XCloseDisplay(display);
            return 0;
        }
        if (code != 2) continue;
        if (mode == "late") usleep(600000);
        XStoreName(display, win, "Plot +");
        XSync(display, False);
        if (mode == "die") _exit(0);
        if (mode == "answer" || mode == "late") {
            usleep(500000);
            XStoreName(display, win, "Plot [4]");
            XSync(display, False);
        }
    }
}
