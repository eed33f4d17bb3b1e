// The plot frame's events: the program's callback, the zoom box, the return to the first
// domain, the redraw, resize and timer re-plots, and the pointer read-outs.  A re-plot calls the
// program's plot routine with a domain from inside the kernel's hold loop; it runs with the
// wait cursor, and with the window's event handling paused, so that events that arrive while it
// draws wait until it has finished instead of starting a re-plot inside the re-plot.
#include "vyk.h"
#include "gks.h"
#include "cty.h"
#include "vykdom.h"
#include "dom.h"
#include "plt_frame.h"
#include "vykgacc.h"
#include "vykgks.h"
#include "map.h"
#include "vykvar.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int WAIT_CURSOR = 8;
constexpr int RUBBER_BOX = 2;
constexpr int KIND_HODOGRAPH = 23;
constexpr int KIND_SKEWT = 40;
constexpr M_type M_POINTER = M_PRINT_D;  // the pointer read-outs (8)

struct State {
    PLT_callback callback = nullptr;
    PLT_replot zoom_func = nullptr;
    PLT_replot resize_func = nullptr;
    PLT_replot refresh_func = nullptr;
    int zoom = 0;         // zooms since the first domain
    bool armed = false;   // a zoom box was started
    float xp = 0, yp = 0; // its press point
    Domain orig_dom{};    // the domain before the first zoom
    bool replotting = false;
};

State st;

int kernel_callback(int type, const char *event, float x, float y)
{
    if (st.callback) st.callback(type, event ? event : "", x, y);
    return 0;
}

bool is_map(int proj) { return proj >= 1 && proj <= 9; }

Domain current_domain()
{
    Domain dom;
    DOM_init(&dom);
    MAP_get_domain(&dom);
    return dom;
}

// Runs a re-plot function on a domain with the wait cursor and the window's events paused.
void replot(PLT_replot func, Domain *dom)
{
    if (st.replotting) return;
    st.replotting = true;
    const int cursor = gget_cursor_type();
    gset_cursor(WAIT_CURSOR);
    const int events = gget_cache();
    gset_cache(0);
    if (func) func(dom);
    gset_cache(events);
    GPH_trans(2);
    gupdate_window();
    gset_cursor_type(cursor);
    st.replotting = false;
}

void remember_first(const Domain &dom)
{
    if (st.zoom == 0) st.orig_dom = dom;
    st.zoom++;
}

// The box on a map: centred on the box's centre, square cells as large as the box needs.
bool zoom_map(float x, float y, Domain &dom)
{
    const float cx = (st.xp + x) / 2, cy = (st.yp + y) / 2;
    const float w = std::fabs(x - st.xp), h = std::fabs(y - st.yp);
    dom = current_domain();
    if (dom.nx < 2 || dom.ny < 2) {
        MESS_print(M_WARN, "PLT_plot_zoom: the domain has no cells to zoom\n");
        return false;
    }
    float lat = VYK_MISS, lon = VYK_MISS;
    MAP_untran(cx, cy, &lat, &lon);  // its answer is 0 at the centre of an azimuthal view
    if (VYK_is_miss(lat) || VYK_is_miss(lon)) {
        MESS_print(M_WARN, "PLT_plot_zoom: the box centre is off the earth\n");
        return false;
    }
    DOM_print(M_MESS_A, &dom);
    remember_first(dom);
    dom.clat = lat;
    dom.clon = lon;
    const float dx = w / static_cast<float>(dom.nx - 1);
    const float dy = h / static_cast<float>(dom.ny - 1);
    dom.dx = dom.dy = std::fmax(dx, dy);
    DOM_set_base_prior(h);
    return true;
}

// The box on a diagram: its corners in data values become origin and extents.
bool zoom_diagram(float x, float y, Domain &dom)
{
    const float xc = std::fmin(st.xp, x), yc = std::fmin(st.yp, y);
    const float xu = std::fmax(st.xp, x), yu = std::fmax(st.yp, y);
    const int kind = MAP_get_proj();
    float ux, uy, lx = xc, ly = yc;
    bool placed = MAP_untran(xu, yu, &ux, &uy) == 1;
    if (kind != KIND_HODOGRAPH) placed = placed && MAP_untran(xc, yc, &lx, &ly) == 1;
    if (!placed) {
        MESS_print(M_WARN, "PLT_plot_zoom: the box has no values on this diagram\n");
        return false;
    }
    const float across = (kind == KIND_SKEWT || kind == KIND_HODOGRAPH) ? xu - xc : ux - lx;
    const float up = kind == KIND_HODOGRAPH ? yu - yc : uy - ly;
    dom = current_domain();
    remember_first(dom);
    dom.clat = lx;
    dom.clon = ly;
    dom.dx = across;
    dom.dy = up;
    return true;
}

int zoom_release(float x, float y)
{
    if (x == st.xp || y == st.yp) return -1;
    Domain dom;
    const bool ok = is_map(MAP_get_proj()) ? zoom_map(x, y, dom) : zoom_diagram(x, y, dom);
    st.armed = false;
    if (!ok) return -1;
    MESS_print(M_MESS_B, "New domain: ");
    DOM_print(M_MESS_A, &dom);
    GPH_trans(0);
    replot(st.zoom_func, &dom);
    return 0;
}

void zoom_back()
{
    st.armed = false;
    if (gget_zoom() != 1 || st.zoom == 0) return;
    MESS_print(M_MESS_B, "Original domain: ");
    Domain dom = st.orig_dom;
    if (is_map(dom.proj)) DOM_set_base_prior(static_cast<float>(dom.ny - 1) * dom.dy);
    DOM_print(M_MESS_A, &dom);
    st.zoom = 0;
    replot(st.zoom_func, &dom);
}

// The values plotted at a point, variable by variable.
void print_variables(float x, float y, bool found, const CTY_locate &stat)
{
    if (found) MESS_print(M_POINTER, "\n");
    bool station_text = false;
    const int num = VAR_get_num();
    for (int i = 0; i < num; i++) {
        if (!(VAR_is_PLOT(i) || VAR_is_COMP(i)) || VAR_is_type_MAP(i)) continue;
        const char *name = VAR_get_name(i);
        if (name && name[0]) MESS_print(M_POINTER, "Var: %6.6s - ", name);
        else MESS_print(M_POINTER, "Var: #%5d - ", i);
        if (VAR_is_type_VECT(i)) {
            GRD_report *grids[3] = {nullptr, nullptr, nullptr};
            const int last = GRD_find_param_grids(i, 2, 1, grids, nullptr);
            if (grids[0] && grids[1]) GRD_print_value2(x, y, grids[0], grids[1]);
            if (last > i) i = last;
        } else if (VAR_is_type_CONT(i)) {
            GRD_print_value(x, y, GRD_get_grid(i));
        } else if (!station_text && found) {
            station_text = true;
            const char *text = CTY_get_data(stat.id);
            MESS_print(M_POINTER, "%s\n", text ? text : "");
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------------------

int PLT_set_callback(PLT_callback func)
{
    st.callback = func;
    if (func) gset_mouse_callback(kernel_callback);
    return 0;
}

int PLT_set_zoom_func(PLT_replot func)
{
    st.zoom_func = func;
    return 0;
}

int PLT_set_resize_func(PLT_replot func)
{
    st.resize_func = func;
    return 0;
}

int PLT_set_handlers(PLT_callback callback, PLT_replot replot)
{
    PLT_set_callback(callback);
    PLT_set_zoom_func(replot);
    PLT_set_resize_func(replot);
    return 0;
}

int PLT_set_refresh_func(int sec, PLT_replot func)
{
    st.refresh_func = func;
    gset_refresh_callback(sec, sec > 0 ? PLT_plot_refresh : nullptr);
    return 0;
}

int PLT_set_zoom(int val)
{
    st.zoom = val;
    return 0;
}

int PLT_get_zoom() { return st.zoom; }

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

int PLT_plot_zoom(const char *event, float x, float y)
{
    if (!event) event = "";
    if (std::strcmp(event, "B1-P-Shft") == 0) {
        st.xp = x;
        st.yp = y;
        st.armed = true;
        gset_rubber_band(RUBBER_BOX);
        return 0;
    }
    if (std::strncmp(event, "B1-R", 4) == 0 && st.armed) return zoom_release(x, y);
    if (std::strcmp(event, "u-Alt") == 0) {
        zoom_back();
    } else if (std::strcmp(event, "r-Alt") == 0) {
        Domain dom = current_domain();
        replot(st.zoom_func, &dom);
    } else {
        st.armed = false;
    }
    return 0;
}

int PLT_plot_resize(const char *event, float, float)
{
    if (!event || std::strcmp(event, "size") != 0) return 0;
    GPH_trans(0);
    Domain dom = current_domain();
    replot(st.resize_func, &dom);
    return 0;
}

void PLT_plot_refresh()
{
    GPH_trans(0);
    Domain dom = current_domain();
    replot(st.refresh_func, &dom);
}

int PLT_print_location(const char *event, float x, float y)
{
    if (!event || std::strcmp(event, "v-Alt") != 0) return 0;
    float lat, lon;
    MAP_untran(x, y, &lat, &lon);
    MESS_print(M_POINTER, "Lat: %6.2f Lon: %7.2f XY: %6.2f %6.2f Pixel: %6.2f %6.2f\n",
               static_cast<double>(lat), static_cast<double>(lon), static_cast<double>(x),
               static_cast<double>(y), static_cast<double>(xW_p(x)), static_cast<double>(yW_p(y)));
    return 0;
}

int PLT_print_values(const char *event, float x, float y)
{
    if (!event) return 0;
    if (std::strcmp(event, "e-Alt") == 0) {
        if (FILE_get_num_file() == 0 && VAR_get_num() == 1)
            GRD_edit_value("", x, y, GRD_get_grid(0));
        return 0;
    }
    if (std::strcmp(event, "v-Alt") != 0) return 0;
    PLT_print_location(event, x, y);
    float lat, lon;
    MAP_untran(x, y, &lat, &lon);
    CTY_locate stat{};
    const bool found = CTY_search_loc(lat, lon, &stat) == 1;
    if (found) {
        float slat, slon;
        MAP_untran(stat.x, stat.y, &slat, &slon);
        MESS_print(M_POINTER, "Id: %s Lat: %6.2f Lon: %7.2f ", stat.id, static_cast<double>(slat),
                   static_cast<double>(slon));
    }
    if (FILE_get_num_file() != 0 && found) {
        MESS_print(M_POINTER, "\n");
    } else if (VAR_get_num() >= 2) {
        print_variables(x, y, found, stat);
    } else if (VAR_is_plot_CONT(0)) {
        GRD_print_value(x, y, GRD_get_grid(0));
    } else if (VAR_is_PLOT(0) && found) {
        const char *text = CTY_get_data(stat.id);
        MESS_print(M_POINTER, "= %s\n", text ? text : "");
    } else if (found) {
        MESS_print(M_POINTER, "\n");
    }
    return 0;
}
