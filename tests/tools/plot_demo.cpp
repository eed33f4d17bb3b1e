// plot_demo: draws a framed, labelled plot of a domain through the plot frame, so that the frame
// can be driven from a shell and by xdotool.
//
//   plot_demo [-de device] [-of dumps] [-pp words] [-la labels] [-ba] [-dr switches]
//             [-me levels] [-fp path] [-ip dir] [-ti title] [--frames N] [--refresh SEC]
//             DOMAIN
//
// DOMAIN is a domain string (a map such as "ll:0:0:1:1:41:21" or a region, or a diagram such as
// "th:0:0:10:18000:5:4").  Each plot pass makes the domain current, draws the primitives below
// in plot coordinates and the six labels "UL label" to "LR label" (the -la items override
// them), then labels the plot.  The first pass dumps the plot when -pp or -of ask for it
// (PLT_dump; with --frames N the picture is drawn into N loop images and dumped frame by frame)
// and closes the frame; its hold re-plots on Shift-drag zooms, Alt-u, Alt-r and resizes, and
// every SEC seconds with --refresh.
//
// Primitives, with the plot limits x0..x1, y0..y1 and their extents w, h:
//   a red diagonal from (x0 + w/10, y0 + h/10) to (x1 - w/10, y1 - h/10), width 3
//   a green filled box from (x0 + 0.4 w, y0 + 0.4 h) to (x0 + 0.6 w, y0 + 0.6 h)
//   a yellow star marker at the upper-left quarter point (x0 + w/4, y1 - h/4)
//
// Standard output, line by line (standard error stays apart):
//   window ID                                    once the own window is open
//   plot N PROJ CLAT CLON DX DY NX NY cursor C   each pass (C the cursor while it draws)
//   labels R                                     PLT_labels's result
//   view X0 X1 Y0 Y1                             the data area of the pass (NDC)
//   event NAME X Y cursor C                      each event, after the frame's handlers (C the
//                                                cursor they leave)
//   close STATUS                                 PLT_close's result
// The exit status: 0 when the plot closed with 0, 1 when the close failed, 2 for a bad domain,
// 3 when the frame refused to open.
#include "gks.h"
#include "gks_x11.h"
#include "tool_plot.h"
#include "vyk.h"
#include "vykgks.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const res_type res_key[] = {RES_help,      RES_message,   RES_batch,    RES_device,
                            RES_out_file,  RES_plot_param, RES_label,   RES_draw,
                            RES_file_path, RES_image_path, RES_title,   RES_color_text,
                            RES_plot_type, RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

int passes = 0;
int frames = 0;
int refresh = 0;

void draw_primitives()
{
    MAP_limits lim;
    MAP_get_limits(&lim);
    const float w = lim.x_max - lim.x_min, h = lim.y_max - lim.y_min;
    Gattribs attr;
    ATTRIB_init(&attr);
    ATTRIB_parse("red:wi=3", &attr);
    GPH_line_attr(&attr);
    GPH_line(lim.x_min + w / 10, lim.y_min + h / 10, lim.x_max - w / 10, lim.y_max - h / 10);
    GPH_line_attr(nullptr);
    ATTRIB_init(&attr);
    ATTRIB_parse("green", &attr);
    GPH_fill_attr(&attr);
    GPH_frect(lim.x_min + 0.4f * w, lim.y_min + 0.4f * h, lim.x_min + 0.6f * w,
              lim.y_min + 0.6f * h);
    ATTRIB_init(&attr);
    ATTRIB_parse("yellow", &attr);
    attr.style = 3;
    GPH_mark_attr(&attr, 2);
    GPH_mark(lim.x_min + w / 4, lim.y_max - h / 4);
}

void write_labels()
{
    PLT_set_overlay(0);
    PLT_label_up_left("UL label");
    PLT_label_up_center("UC label");
    PLT_label_up_right("UR label");
    PLT_label_low_left("LL label");
    PLT_label_low_center("LC label");
    PLT_label_low_right("LR label");
}

void on_event(int type, const char *event, float x, float y)
{
    (void)type;
    PLT_plot_zoom(event, x, y);
    PLT_plot_resize(event, x, y);
    PLT_print_location(event, x, y);
    std::printf("event %s %g %g cursor %d\n", event, static_cast<double>(x),
                static_cast<double>(y), gget_cursor_type());
}

void draw_pass()
{
    draw_primitives();
    write_labels();
    std::printf("labels %d\n", PLT_labels());
}

// Draws the picture into N loop images, each with its own bar along the bottom of the plot.
void draw_frames()
{
    MAP_limits lim;
    MAP_get_limits(&lim);
    for (int k = 0; k < frames; k++) {
        const int ind = gcreate_frame(-1);
        if (gselect_frame(ind) != 0) {
            MESS_print(M_ERROR, "plot_demo: unable to make frame %d\n", k);
            break;
        }
        set_plot_window();
        draw_pass();
        set_plot_window();
        const float w = lim.x_max - lim.x_min;
        Gattribs attr;
        ATTRIB_init(&attr);
        ATTRIB_parse("cyan", &attr);
        GPH_fill_attr(&attr);
        GPH_frect(lim.x_min, lim.y_min, lim.x_min + w * static_cast<float>(k + 1) / frames,
                  lim.y_min + (lim.y_max - lim.y_min) / 20);
    }
    gselect_frame(-3);
    gdisplay_frame(0);
}

int demo_plot(Domain *domain)
{
    const int opened = open_or_reset_plot(domain, on_event, demo_plot);
    if (opened < 0) return -1;
    const bool reset = opened == 1;
    if (!reset) {
        if (refresh > 0) PLT_set_refresh_func(refresh, demo_plot);
        if (gtype_is_WIN()) std::printf("window %lu\n", gget_root_window());
    }
    passes++;
    const Domain *d = MAP_get_domain(nullptr);
    std::printf("plot %d %d %g %g %g %g %d %d cursor %d\n", passes, d->proj,
                static_cast<double>(d->clat), static_cast<double>(d->clon),
                static_cast<double>(d->dx), static_cast<double>(d->dy), d->nx, d->ny,
                gget_cursor_type());
    set_plot_window();
    if (frames > 0 && !reset && gtype_is_WIN()) draw_frames();
    else draw_pass();
    Glim view;
    PLT_get_view(&view);
    std::printf("view %g %g %g %g\n", static_cast<double>(view.x_min),
                static_cast<double>(view.x_max), static_cast<double>(view.y_min),
                static_cast<double>(view.y_max));
    if (reset) return 0;
    PLT_dump(frames > 0 ? PLT_DUMP_ALL_FRAMES : 0);
    const int status = PLT_close();
    std::printf("close %d\n", status);
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "plot_demo", res_key, res_pos)) return 0;
    // Lines go out as they are written, so that a driver can follow the plot; in batch mode the
    // output stays fully buffered: what a detach would lose shows that it flushes first.
    if (!FLAG_batch()) setvbuf(stdout, nullptr, _IOLBF, 0);
    RES_getval("frames", &frames, CV_int);
    RES_getval("refresh", &refresh, CV_int);
    if (frames < 0 || frames > 128) {
        MESS_print(M_ERROR, "plot_demo: --frames takes 0 to 128\n");
        return 2;
    }
    // Without a device the plot goes to the own window (no prompt).
    if (FLAG_get(FLAG_DEVICE) < 1) FLAG_set(FLAG_DEVICE, GWS_X11);
    Domain domain;
    if (!domain_argument("plot_demo", &domain)) return 2;
    const int status = demo_plot(&domain);
    if (passes == 0) return 3;
    return status == 0 ? 0 : 1;
}
