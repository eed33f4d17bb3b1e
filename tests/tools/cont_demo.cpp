// cont_demo: contours a grid through the plot frame, with the colour bar, so that contouring can
// be driven from a shell.
//
//   cont_demo [resources] [--nx N] [--ny N] [--domain DOMAIN] [--write FILE] [--kind K]
//             [--driver] FIELD|FILE
//
// FIELD names an analytic field on a latitude-longitude grid (default 41 x 31 points):
//   saddle    x*y over -1..1 (a saddle at the centre)
//   hill      a Gaussian hill of height 100 at the centre
//   corners   the hill with missing values in the four corner points
//   dateline  a wave across the dateline: the grid runs from 150 to 210 degrees east
//   flat      42 everywhere
//   winds     (with --write only) a file of four products at forecast hour 12: 500 mb winds
//             turning about the centre (uwnd, vwnd), 500 and 1000 mb heights (hgt)
// Any other name is a grid file (own text or binary, netCDF; the kind is detected) whose first
// product is contoured.  The grid goes into grid slot 0.
// --var TEXT takes the grids of a variable text from the file instead (the grid
// table's search, with derived variables computed, such as
// "12:500mb:rvort(12:500mb:uwnd,12:500mb:vwnd)" or "12:500mb:thick(12:500mb:hgt,12:1000mb:hgt)")
// and contours grid slot --slot N (default 0).
//
// Resources are those of the contour settings: -in interval, -cb base, -cof colours, -fm
// format words (cf, lcf, ln, lab=.., bar, ...), -pt plot type, -pp plot parameters, -coco,
// -cola, -cocl, -cot colours, -de device (P,file.ps; M,file.meta; the window otherwise).
// --domain draws on another map (a domain string); otherwise the grid's own domain.
// --write FILE saves the grid as a grid file of kind K (2 text, 3 binary, 11 netCDF) and ends.
// --driver draws through the stand-alone contour plot (CONT_plot_grid) instead of this
// program's own plot pass.
// --vect 1 draws grid slots 0 and 1 of --var (such as "12:500mb:uwnd,12:500mb:vwnd") as a wind
// pair through the stand-alone vector plot (VECT_plot_grid): -pl vect, barb or strm gives the
// kind (arrows in batch mode otherwise), -pp the vector words (vbar, wv_skip=N, strm_sc=V,
// uvew), -cb the base speed; it prints "vect TYPE MAX SIZE" (the kind drawn, the largest speed
// and the drawn length of a vector of that speed).
//
// Standard output: "grid NX NY MIN MAX", then per pass "levels CONLO INTRVL NUM TYPE BAR" and
// "close STATUS".  Exit status: 0 done, 1 the plot failed, 2 a bad argument or grid.
#include "gks.h"
#include "tool_plot.h"
#include "vyk.h"
#include "cont.h"
#include "grd_file.h"
#include "vykgks.h"
#include "grd_output.h"
#include "grd_tool.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "vykvar.h"
#include "vect_plot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const res_type res_key[] = {
    RES_help,        RES_message,     RES_batch,      RES_device,      RES_out_file,
    RES_plot_param,  RES_label,       RES_draw,       RES_file_path,   RES_image_path,
    RES_title,       RES_color_text,  RES_plot_type,  RES_con_interval, RES_con_base,
    RES_color_fill,  RES_color_cont,  RES_color_label, RES_color_clabel, RES_plot_format,
    RES_plot_scale,  RES_grid_path,   RES_variable,   RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

Domain plot_domain;
bool driver = false;
int slot = 0;

void make_domain(Domain *d, float clat, float clon, int nx, int ny, float dx, float dy)
{
    DOM_init(d);
    d->proj = 2;
    d->clat = clat;
    d->clon = clon;
    d->nx = nx;
    d->ny = ny;
    d->dx = dx;
    d->dy = dy;
}

/// The analytic field name into grid; false for an unknown name.
bool analytic(const std::string &name, int nx, int ny, GRD_report *grid)
{
    const bool dateline = name == "dateline";
    if (name != "saddle" && name != "hill" && name != "corners" && name != "flat" && !dateline)
        return false;
    GRD_init(grid);
    if (dateline) make_domain(&grid->domain, 0, 180, nx, ny, 60.0f / (nx - 1), 40.0f / (ny - 1));
    else make_domain(&grid->domain, 40, -100, nx, ny, 1, 1);
    if (!GRD_alloc(grid)) return false;
    grid->source = 7;
    grid->model = 1;
    strfcpy(grid->info, ("analytic " + name).c_str());
    strfcpy(grid->datim, "analytic field");
    strfcpy(grid->units, "1");
    for (int r = 0; r < ny; r++) {
        for (int i = 0; i < nx; i++) {
            // u, v from -1 to 1; v up (the rows run from the top).
            const double u = -1 + 2.0 * i / (nx - 1), v = 1 - 2.0 * r / (ny - 1);
            double z = 0;
            if (name == "saddle") z = 100 * u * v;
            else if (dateline) z = 50 * std::sin(3 * u) * std::cos(2 * v);
            else if (name == "flat") z = 42;
            else z = 100 * std::exp(-3 * (u * u + v * v));
            grid->grid[static_cast<size_t>(r) * nx + i] = static_cast<float>(z);
        }
    }
    if (name == "corners") {
        grid->grid[0] = grid->grid[nx - 1] = VYK_MISS;
        grid->grid[static_cast<size_t>(ny - 1) * nx] = VYK_MISS;
        grid->grid[static_cast<size_t>(ny) * nx - 1] = VYK_MISS;
    }
    return true;
}

/// One product of the winds file.
void wind_product(GRD_report *g, int var, int level, const char *units, int nx, int ny,
                  double (*f)(double u, double v))
{
    GRD_init(g);
    make_domain(&g->domain, 40, -100, nx, ny, 1, 1);
    GRD_alloc(g);
    g->source = 7;
    g->model = 96;
    g->version = 2;
    g->ltype = 100;
    g->level = level;
    g->time = 12;
    g->var = var;
    strfcpy(g->units, units);
    strfcpy(g->datim, "12Z 05 MAR 24");
    for (int r = 0; r < ny; r++)
        for (int i = 0; i < nx; i++) {
            const double u = -1 + 2.0 * i / (nx - 1), v = 1 - 2.0 * r / (ny - 1);
            g->grid[static_cast<size_t>(r) * nx + i] = static_cast<float>(f(u, v));
        }
}

/// Writes the winds file: uwnd, vwnd, hgt at 500 mb, hgt at 1000 mb.
int write_winds(const char *name, int kind, int nx, int ny)
{
    GRD_report g[4];
    // A vortex whose rotation weakens outwards.
    wind_product(&g[0], 33, 500, "m/s", nx, ny,
                 [](double u, double v) { return -20 * v * std::exp(-(u * u + v * v)); });
    wind_product(&g[1], 34, 500, "m/s", nx, ny,
                 [](double u, double v) { return 20 * u * std::exp(-(u * u + v * v)); });
    wind_product(&g[2], 7, 500, "m", nx, ny,
                 [](double u, double v) { return 5500 + 100 * std::exp(-2 * (u * u + v * v)); });
    wind_product(&g[3], 7, 1000, "m", nx, ny, [](double u, double) { return 100 + 20 * u; });
    int k = kind;
    const int fd = GRD_open(name, GRD_ACCESS_CREATE, &k);
    int status = fd < 0 ? 1 : 0;
    if (fd >= 0) {
        GRD_info info;
        GRD_set_info(&info, &g[0].date, &g[0].domain);
        if (GRD_putinfo(fd, &info) != 0) status = 1;
        for (int p = 0; p < 4 && status == 0; p++) {
            int rec = p;
            if (GRD_write(fd, &g[p], 0, &rec) != 0) status = 1;
        }
        if (status != 0) GRD_abandon(fd);
        else if (GRD_close(fd) != 0) status = 1;
    }
    for (GRD_report &r : g) GRD_free(&r);
    if (status) std::fprintf(stderr, "cont_demo: cannot write %s\n", name);
    return status;
}

/// The grids of a variable text from a grid file; false when none is there.
bool search_file(const char *var_text, const char *name, bool vect)
{
    if (FLAG_get(FLAG_PLOT_TYPE) < 1 && !vect) FLAG_set(FLAG_PLOT_TYPE, 15);
    if (VAR_setup(nullptr, var_text) != 1) {
        std::fprintf(stderr, "cont_demo: bad variable %s\n", var_text);
        return false;
    }
    if (GRD_search_file(name) != 1) {
        std::fprintf(stderr, "cont_demo: cannot open %s\n", name);
        return false;
    }
    return true;
}

/// The first product of a grid file into grid.
bool read_file(const char *name, GRD_report *grid)
{
    int kind = GRD_DETECT;
    const int fd = GRD_open(name, GRD_ACCESS_READ, &kind);
    if (fd < 0) {
        std::fprintf(stderr, "cont_demo: cannot open %s\n", name);
        return false;
    }
    GRD_info info{};
    int n = 0;
    const bool ok = GRD_getinfo(fd, &info) == 0 && GRD_read(fd, grid, GRD_READ_VALUES, &n) == 0;
    GRD_close(fd);
    if (!ok || !grid->grid) std::fprintf(stderr, "cont_demo: no grid in %s\n", name);
    return ok && grid->grid;
}

void on_event(int type, const char *event, float x, float y)
{
    CONT_callback(type, event, x, y);
    std::printf("event %s\n", event);
}

void print_levels()
{
    float values[256];
    const int nval = CONT_get_values(values);
    std::printf("levels %g %g %d %d %d explicit %d\n", static_cast<double>(nval ? values[0] : 0),
                static_cast<double>(CONT_get_intrvl()), CONT_get_num_cont(), CONT_get_type(),
                CONT_get_bar(), nval);
}

/// One plot pass of this program: the frame, the contours, the labels and the bar.
int demo_plot(Domain *domain)
{
    const int opened = open_or_reset_plot(domain, on_event, demo_plot);
    if (opened < 0) return -1;
    const bool reset = opened == 1;
    set_plot_window();
    GRD_report *grid = GRD_get_grid(slot);
    CONT_plot_setup(0, slot, grid, domain, on_event);
    CONT_draw(grid);
    print_levels();
    GPH_trans(2);
    PLT_labels();
    if (CONT_get_bar() > 0) std::printf("bar %d\n", CONT_draw_bar(1, ""));
    GPH_trans(2);
    if (reset) return 0;
    PLT_dump(0);
    const int status = PLT_close();
    std::printf("close %d\n", status);
    return status;
}

/// The wind pair of grid slots 0 and 1 through the stand-alone vector plot.
int vect_plot(Domain *domain)
{
    GRD_report *u = GRD_get_grid(0), *v = GRD_get_grid(1);
    if (!u->grid || !v->grid) {
        std::fprintf(stderr, "cont_demo: --vect needs two grids\n");
        return 2;
    }
    if (VECT_plot_grid(u, v, domain, nullptr) != 0) return 1;
    float max = VYK_MISS;
    GRD_UVmax(u, v, &max);
    std::printf("vect %d %g %g\n", VECT_get_type(), static_cast<double>(max),
                static_cast<double>(VECT_get_vector_size()));
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (read_command_line(argc, argv, "cont_demo", res_key, res_pos)) return 0;
    if (!FLAG_batch()) setvbuf(stdout, nullptr, _IOLBF, 0);
    int nx = 41, ny = 31, kind = 2;
    RES_getval("nx", &nx, CV_int);
    RES_getval("ny", &ny, CV_int);
    RES_getval("kind", &kind, CV_int);
    driver = RES_get("driver") != nullptr;
    const bool vect = RES_get("vect") != nullptr;
    const char *name = RES_get("filename");
    if (!name || nx < 2 || ny < 2 || nx > 4000 || ny > 4000) {
        std::fprintf(stderr, "usage: cont_demo [options] FIELD|FILE\n");
        return 2;
    }
    GRD_init_grids();
    const char *out = RES_get("write");
    if (out && std::strcmp(name, "winds") == 0) return write_winds(out, kind, nx, ny);
    RES_getval("slot", &slot, CV_int);
    const char *var_text = RES_get("variable");
    if (slot < 0 || slot >= GRD_NUM) return 2;
    GRD_report *grid = GRD_get_grid(var_text ? slot : 0);
    if (var_text) {
        if (!search_file(var_text, name, vect)) return 2;
        if (!grid->grid) {
            std::fprintf(stderr, "cont_demo: no grid %d from %s\n", slot, name);
            return 2;
        }
    } else if (!analytic(name, nx, ny, grid) && !read_file(name, grid)) {
        return 2;
    }
    float max = 0, min = 0;
    GRD_maxmin(grid, &max, &min);
    std::printf("grid %d %d %g %g\n", grid->domain.nx, grid->domain.ny, static_cast<double>(min),
                static_cast<double>(max));
    if (out) {
        GRD_info info;
        GRD_set_info(&info, &grid->date, &grid->domain);
        return GRD_save_file(out, grid, &info, kind) == 1 ? 0 : 1;
    }
    plot_domain = grid->domain;
    const char *dom = RES_get("domain");
    if (dom && DOM_decode(dom, &plot_domain) != DOM_DOMAIN) {
        std::fprintf(stderr, "cont_demo: bad domain %s\n", dom);
        return 2;
    }
    // Without a device the plot goes to the own window (no prompt).
    if (FLAG_get(FLAG_DEVICE) < 1) FLAG_set(FLAG_DEVICE, GWS_X11);
    if (vect) return vect_plot(&plot_domain);
    if (driver) return CONT_plot_grid(grid, &plot_domain, nullptr) == 0 ? 0 : 1;
    return demo_plot(&plot_domain) == 0 ? 0 : 1;
}
