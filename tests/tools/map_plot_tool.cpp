// map_plot_tool: the map-plotting program, so that the map plot can be driven from a shell as a
// user would run it.
//
//   map_plot_tool [--raw] [resources] [item ...]
//
// The domain comes from -pd (plot_domain) or -re (region), a domain string or a region name.
// Each positional item is one value of the `filename` resource, drawn in order: ul:, uc:, ur:,
// ll:, lc:, lr: labels, xy:X:Y:TEXT, text:LAT:LON:TEXT, mark:LAT:LON:MARKER,
// range:LAT:LON:NM, "map", or a data file (a point-data file, plotted or, with a grid or
// contour plot type such as -pl cf, gridded and contoured; a metafile, replayed).
//
// Resources: those of the map plot and what it calls: -de device (P,file.ps; M,file.meta; the
// window otherwise), -pl plot type, -pp plot parameters, -fp file_path, -rp raw_path, -gp
// grid_path, -of out_file, -mf map_file, -id identifier, -pr stat_prior, -cf city_file, -cod
// color_data, -cof color_fill, -in con_interval, -cb con_base, -fm plot_format, -sc plot_scale.
//
// --raw runs the library's stand-alone point-data plot instead: every item is a point-data file
// gridded and contoured (or "map", the plain map items).
//
// Exit status: 0 done, 1 the plot's output (a PostScript file, a metafile) could not be written,
// 43 no valid domain.
#include "dadodu.h"
#include "vyk.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <cstdio>
#include <cstring>

namespace {

const res_type res_key[] = {
    RES_help,        RES_message,    RES_batch,       RES_device,      RES_out_file,
    RES_plot_param,  RES_label,      RES_draw,        RES_file_path,   RES_image_path,
    RES_raw_path,    RES_grid_path,  RES_map_file,    RES_plot_domain, RES_region,
    RES_identifier,  RES_stat_prior, RES_city_file,   RES_color_data,  RES_color_line,
    RES_color_text,  RES_color_fill, RES_color_cont,  RES_con_interval, RES_con_base,
    RES_plot_type,   RES_plot_format, RES_plot_scale, RES_title,       RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

constexpr int EXIT_BAD_DOMAIN = 43;

}  // namespace

int main(int argc, char **argv)
{
    const bool raw = argc > 1 && std::strcmp(argv[1], "--raw") == 0;
    if (raw) {
        argv[1] = argv[0];
        argv++;
        argc--;
    }
    RES_init(argc, argv, res_key, res_pos);
    Domain domain;
    if (DOM_get_region(&domain, 1) <= 0) {
        MESS_print(M_ERROR, "map_plot_tool: Invalid domain\n");
        return EXIT_BAD_DOMAIN;
    }
    const int plotted = raw ? RAW_plot(&domain) : MAP_plot(&domain);
    if (plotted != 0) {
        const char *device = RES_get("device");
        MESS_print(M_ERROR, "map_plot_tool: the plot could not be written (device %s)\n",
                   device ? device : "");
        return 1;
    }
    return 0;
}
