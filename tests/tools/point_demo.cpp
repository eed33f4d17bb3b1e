// point_demo: draws a table of point data read from standard input through the point-datum
// plotter, so that the plot-format language can be exercised from a shell.
//
//   point_demo [-de device] [-pp words] [-pf format] [-cb con_base] [-ci interval] [-ps scale]
//              [-fp path] [-me levels] [-dr switches] [--dump=png:file]
//              [DOMAIN]
//
// DOMAIN is a domain string (default "ll,10,20,41,21,1,1", latitude-longitude from 0 to 40 east
// and 0 to 20 north).  Each line of standard input is one datum:
//
//   LAT LON TYPE FORMAT [VALUE1 [VALUE2 [DATA...]]]
//
// The weather symbols come from "wx.smb" on the file path.  LAT and LON place it (on a diagram domain its x and y values); TYPE is a plot-type word
// ("value", "wbarb", "mark", ...) or code; FORMAT is the datum's plot format, "-" for none;
// VALUE1 and VALUE2 are numbers, "-" for missing (-9999); DATA is the rest of the line, the
// datum's text.  Empty lines and lines beginning '#' are passed over.
//
// Standard output: "datum N RESULT TYPE DATA" for each datum (RAW_plot_data's result, the type
// and text it wrote back), then "ready" (on the own window "ready window=W"; the window is
// dumped with --dump=png:FILE, else held until Return).
// The exit status: 0, 2 for a bad domain or line, 3 when the plot does not open.
#include "dadodu.h"
#include "gks.h"
#include "gks_x11.h"
#include "tool_plot.h"
#include "vyk.h"
#include "vykgks.h"
#include "img.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "wind_glyph.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

const res_type res_key[] = {RES_help,      RES_message,    RES_device,    RES_plot_param,
                            RES_plot_format, RES_con_base, RES_con_interval, RES_plot_scale,
                            RES_draw,      RES_file_path,  RES_color_data, RES_color_fill,
                            RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

bool read_value(const std::string &word, float &v)
{
    if (word.empty() || word == "-") {
        v = VYK_MISS;
        return true;
    }
    char *end = nullptr;
    v = std::strtof(word.c_str(), &end);
    return end && *end == '\0';
}

// One line of the table into datum: false when it does not read.
bool read_datum(const std::string &line, RAW_data &datum)
{
    std::istringstream in(line);
    std::string lat, lon, type, format, v1, v2;
    if (!(in >> lat >> lon >> type >> format)) return false;
    in >> v1 >> v2;
    std::string data;
    std::getline(in, data);
    data.erase(0, data.find_first_not_of(' '));
    float la, lo;
    if (!read_value(lat, la) || !read_value(lon, lo)) return false;
    int t = VAR_dec_type(type.c_str());
    for (int code = 1; t <= 0 && code <= VAR_T_CONST; code++)  // printed names such as "int"
        if (type == VAR_print_type(code)) t = code;
    if (t <= 0) t = std::atoi(type.c_str());
    float value[2];
    if (!read_value(v1, value[0]) || !read_value(v2, value[1])) return false;
    float x, y;
    MAP_tran(la, lo, &x, &y);
    RAW_set(&datum, x, y, t, format == "-" ? "" : format.c_str(), data.c_str(), value);
    return true;
}

int draw_table()
{
    Gattribs attr;
    ATTRIB_init(&attr);
    float scale = 1;
    RES_getval("plot_scale", &scale, CV_float);
    if (RAW_plot_init(&attr, scale) != 0) return 3;
    WX_symb_file(nullptr);  // the weather symbols of "symb" data
    std::string line;
    int n = 0;
    while (std::getline(std::cin, line)) {
        if (line.empty() || line[0] == '#') continue;
        RAW_data datum;
        datum.type = VAR_T_DATA;
        if (!read_datum(line, datum)) {
            MESS_print(M_ERROR, "point_demo: line does not read: %s\n", line.c_str());
            return 2;
        }
        const int r = RAW_plot_data(&datum);
        std::printf("datum %d %d %d %s\n", ++n, r, datum.type, datum.data);
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "point_demo", res_key, res_pos)) return 0;
    if (FLAG_get(FLAG_DEVICE) < 1) FLAG_set(FLAG_DEVICE, GWS_X11);
    const char *text = RES_get("filename");
    Domain domain;
    if (DOM_decode(text && *text ? text : "ll,10,20,41,21,1,1", &domain) != 1 || MAP_domain(&domain)) {
        MESS_print(M_ERROR, "point_demo: invalid domain\n");
        return 2;
    }
    if (PLT_open(plot_aspect()) != 0) return 3;
    set_plot_window();
    const int status = draw_table();
    std::fflush(stdout);
    if (status != 0) {
        PLT_exit(status);
    }
    if (gtype_is_WIN()) {
        std::printf("ready window=%lu\n", gget_root_window());
        std::fflush(stdout);
        const char *dump = RES_get("dump");
        if (dump && std::strncmp(dump, "png:", 4) == 0) {
            PLT_set_dump(PLT_DUMP_PNG, dump + 4);
            PLT_dump(0);
        }
    } else {
        std::printf("ready\n");
        std::fflush(stdout);
    }
    return PLT_close() == 0 ? 0 : 1;
}
