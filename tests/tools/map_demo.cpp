// map_demo: draws the background map of a domain through the plot frame, as a data program
// does around its data, so that map lists, map files and latitude-longitude lines can be drawn
// from a shell:
//
//   map_demo [-de device] [-of dumps] [-pp words] [-mf list] [-com attr] [-cocm attr]
//            [-coln attr] [-ba] [-dr switches] [-me levels] [-fp path] [-ip dir]
//            [--passes MASKS] [--format ATTR] [--circle LAT:LON:KM] DOMAIN
//
// DOMAIN is a domain string or region.  The pass makes the domain current (MAP_setup), draws
// the map with each mask of MASKS in turn (default "5,2": the under-data pass, then the
// over-data pass), a range circle when asked, labels the plot, dumps it when -pp or -of ask
// and closes the frame.  Latitude-longitude lines come from the plot parameter "lalo=N:M",
// map lists from -mf (else the default list of the domain).
//
// Standard output: "limits X0 X1 Y0 Y1" (the plot limits), "vert H" (MAP_get_vert) and
// "close STATUS".  The exit status: 0 when the plot closed with 0, 1 when the close failed,
// 2 for a bad domain or option, 3 when the frame refused to open.
#include "gks.h"
#include "tool_plot.h"
#include "vyk.h"
#include "vykgks.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const res_type res_key[] = {RES_help,       RES_message,    RES_batch,     RES_device,
                            RES_out_file,   RES_plot_param, RES_label,     RES_draw,
                            RES_file_path,  RES_image_path, RES_map_file,  RES_color_map,
                            RES_color_cmap, RES_color_line, RES_plot_type, RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

std::vector<int> masks = {MAP_PASS_PLAIN | MAP_PASS_MINUS, MAP_PASS_PLUS};
bool circle = false;
float circle_lat = 0, circle_lon = 0, circle_km = 0;

int map_plot(Domain *domain)
{
    MAP_domain(domain);
    MAP_limits lim;
    MAP_get_limits(&lim);
    if (PLT_open(plot_aspect()) != 0) return -1;
    MAP_setup(domain);
    std::printf("limits %g %g %g %g\nvert %g\n", static_cast<double>(lim.x_min),
                static_cast<double>(lim.x_max), static_cast<double>(lim.y_min),
                static_cast<double>(lim.y_max), static_cast<double>(MAP_get_vert()));
    for (const int m : masks) MAP_draw(m);
    if (circle) {
        float x, y;
        MAP_tran(circle_lat, circle_lon, &x, &y);
        GPH_line_attr(nullptr);
        gset_line_colr_ind(CLR_get_ind("blue"));
        MAP_draw_circle(x, y, circle_km);
    }
    PLT_labels();
    PLT_dump(0);
    const int status = PLT_close();
    std::printf("close %d\n", status);
    return status;
}

bool read_masks(const char *text)
{
    masks.clear();
    for (const char *p = text; *p;) {
        char *end;
        const long m = std::strtol(p, &end, 10);
        if (end == p) return false;
        masks.push_back(static_cast<int>(m));
        p = *end == ',' ? end + 1 : end;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "map_demo", res_key, res_pos)) return 0;
    if (const char *p = RES_get("passes"); p && !read_masks(p)) {
        MESS_print(M_ERROR, "map_demo: --passes takes masks separated by ','\n");
        return 2;
    }
    if (const char *f = RES_get("format")) MAP_set_format(f);
    if (const char *c = RES_get("circle")) {
        if (std::sscanf(c, "%f:%f:%f", &circle_lat, &circle_lon, &circle_km) != 3) {
            MESS_print(M_ERROR, "map_demo: --circle takes LAT:LON:KM\n");
            return 2;
        }
        circle = true;
    }
    if (FLAG_get(FLAG_DEVICE) < 1) FLAG_set(FLAG_DEVICE, GWS_X11);
    Domain domain;
    if (!domain_argument("map_demo", &domain)) return 2;
    const int status = map_plot(&domain);
    if (status == -1 && !gchk_graphics()) return 3;
    return status == 0 ? 0 : 1;
}
