// Opens the own window on $DISPLAY, makes three frames filled red, green and blue, shows frame 0
// and holds, so that the frame keys of the hold loop can be tried on it.  Prints
//   window ID        once the frames are made and frame 0 is shown
//   hold STATUS      when the hold has ended
// It ends by itself after 60 seconds.
#include "gks.h"
#include "gks_x11.h"

#include <cstdio>
#include <unistd.h>

int main()
{
    alarm(60);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    gset_win_title("Frames tool");
    if (gopen_gks(nullptr, 0) != 0 || gopen_ws(1, "", GWS_X11) != 0) return 4;
    gset_fill_int_style(GSOLID);
    const Gpt whole[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const Gcolr_rep colours[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; i++) {
        gset_colr_rep(1, 2 + i, &colours[i]);
        if (gcreate_frame(-1) != i || gselect_frame(i) != 0) return 5;
        gset_fill_colr_ind(2 + i);
        gfill_area(4, whole);
    }
    gdisplay_frame(0);
    std::printf("window %lu\n", static_cast<unsigned long>(gget_root_window()));
    const int status = ghold(1);
    std::printf("hold %d\n", status);
    gclose_ws(1);
    gclose_gks();
    return 0;
}
