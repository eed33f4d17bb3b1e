// Kernel and workstation control: opening and closing the kernel and the one workstation, the
// dispatcher that chooses the current back end's device table and hands the kept calls to it,
// what the page devices share when they open (options, paper sizes, geometry), the back-end
// predicates and the kernel's error report.
#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"
#include "vykresrc.h"

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

struct State {
    int open_graphics = 0;     // 1 while a workstation is open
    Gws_type win_type = 0;     // the current back end
    int pix_mode = 0;          // cooperation with the loop window program: 0, 1, 2 or 9
    FILE *err_file = nullptr;  // the error channel; reports are printed only while it is set
    char prog_name[20] = "V11_Ududi";
} state;

// The table of a type that names no back end: every entry is missing.
constexpr Gdevice no_device{};

const Gdevice *const devices[] = {&gdev_x11, &gdev_pix, &gdev_ps, &gdev_hpgl, &gdev_meta};

const Gdevice *current = &no_device;  // the table of win_type

void set_type(Gws_type type)
{
    state.win_type = type;
    const Gdevice *dev = gdevice_of(type);
    current = dev ? dev : &no_device;
}

// The connection items, released when the scope ends.
struct Items {
    int count = 0;
    char **list = nullptr;
    explicit Items(const char *conn)
    {
        if (parse_string(conn, ',', &count, &list) != 0) {
            count = 0;
            list = nullptr;
        }
    }
    ~Items() { free_parsed_array(count, list); }
    Items(const Items &) = delete;
    Items &operator=(const Items &) = delete;
};

struct Paper {
    const char *name;
    float width, height;  // inches, long side first
};
constexpr Paper papers[] = {
    {"letter", 11, 8.5f},     {"legal", 14, 8.5f},      {"11x17", 17, 11},
    {"a4", 11.69f, 8.26f},    {"a3", 16.54f, 11.69f},   {"a2", 23.39f, 16.54f},
    {"a1", 33.11f, 23.39f},   {"b4", 14.33f, 10.12f},   {"b3", 20.27f, 14.33f},
    {"b2", 28.66f, 20.27f},   {"b1", 40.55f, 28.66f},   {"ansid", 34, 22},
};

const char *geometry_setting(const char *env1, const char *env2)
{
    if (const char *geom = RES_get("geometry")) return geom;
    for (const char *env : {env1, env2})
        if (const char *geom = env ? std::getenv(env) : nullptr) return geom;
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The device table
// ---------------------------------------------------------------------------------------------

const Gdevice *gdevice_of(Gws_type type)
{
    for (const Gdevice *dev : devices)
        if (dev->type == type) return dev;
    return nullptr;
}

const Gdevice &gdev() { return *current; }

void gkeep(Gobj_code code, int values, int size, const void *data)
{
    gnew_obj(code, values, size, data);
    if (const auto object = gdev().object) object(code, values, data);
}

bool gcheck_open(const char *func)
{
    if (state.open_graphics) return true;
    gerr_printf(func, "GKS not opened\n");
    return false;
}

Gint gset_measure(const char *func, const char *what, Gfloat value, float &field,
                  Gobj_code code)
{
    if (!gcheck_open(func)) return -1;
    if (!(value >= 0) || !std::isfinite(value)) {
        gerr_printf(func, "invalid %s: %f\n", what, static_cast<double>(value));
        return -1;
    }
    if (value == field) return 0;
    field = value;
    gkeep(code, 1, sizeof(float), &value);
    return 0;
}

Gint gset_number(const char *func, const char *what, Gint value, bool valid, int &field,
                 Gobj_code code)
{
    if (!gcheck_open(func)) return -1;
    if (!valid) {
        gerr_printf(func, "invalid %s: %d\n", what, value);
        return -1;
    }
    if (value == field) return 0;
    field = value;
    gkeep(code, value);
    return 0;
}

bool gcheck_points(const char *func, Gint n, const Gpt *points, Gint least)
{
    if (!gcheck_open(func)) return false;
    if (n >= least && (points || n == 0)) return true;
    gerr_printf(func, "invalid number of points: %d\n", n);
    return false;
}

void gdefine_colour(int ind, float red, float green, float blue)
{
    for (const Gdevice *dev : devices)
        if (dev->colour_rep) dev->colour_rep(ind, red, green, blue);
}

// ---------------------------------------------------------------------------------------------
// The kernel
// ---------------------------------------------------------------------------------------------

Gint gopen_gks(const Gchar *err_f, long)
{
    if (!err_f) {
        state.err_file = stderr;
        return 0;
    }
    FILE *fp = FILE_open(err_f, "w");
    if (!fp) return 1;
    if (state.err_file && state.err_file != stderr) FILE_close(state.err_file);
    state.err_file = fp;
    return 0;
}

Gint gclose_gks()
{
    if (state.err_file && state.err_file != stderr) {
        FILE_close(state.err_file);
        state.err_file = nullptr;
    }
    return 0;
}

Gint gemergency_close_gks() { return 0; }

int gerr_printf(const char *func, const char *mess, ...)
{
    // A warning below the reporting level costs this test, not a format.
    if (!state.err_file || !MESS_check(M_WARN)) return 0;
    char text[80] = "";
    if (mess) {
        va_list args;
        va_start(args, mess);
        std::vsnprintf(text, sizeof text, mess, args);
        va_end(args);
    }
    MESS_print(M_WARN, "%s: ", func ? func : "");
    MESS_print(M_WARN, "%s\n", text);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The workstation
// ---------------------------------------------------------------------------------------------

Gint gopen_ws(Gint, const Gchar *conn_id, Gws_type ws_type)
{
    if (ws_type == GWS_PS) {
        const char *print = std::getenv("vykprint");
        if (print && stricmp(print, "hpgl") == 0) ws_type = GWS_HPGL;
    }
    const Gdevice *dev = gdevice_of(ws_type);
    if (!dev) {
        gerr_printf("gopen_ws", "invalid workstation type: %d\n", ws_type);
        return -1;
    }
    // Only the own window keeps the display list and handles events.
    const bool own = dev->caps & GDEV_OWN_WINDOW;
    gset_cache(own ? 1 : 0);
    if (!own) gset_redraw(0);
    const Gws_type before = state.win_type;
    set_type(ws_type);
    Items items(conn_id);
    if (dev->open(items.count, items.list) != 0) {
        set_type(before);
        return -1;
    }

    state.open_graphics = 1;
    ginit_objs();
    ginit_plot(dev->init_kind);
    gsetup_fonts();
    ginit_background();
    if (ws_type == GWS_PIX && state.pix_mode == 1) gclear_frame(-3);
    gsync();
    gcheck_event();
    gset_cursor(8);
    return 0;
}

Gint gactivate_ws(Gint) { return 0; }
Gint gdeactivate_ws(Gint) { return 0; }

Gint gclear_ws(Gint, Gclear_flag)
{
    if (const auto clear = gdev().clear) clear();
    return 0;
}

Gint gclose_ws(Gint)
{
    if (!state.open_graphics) return -1;
    gx_set_device(0, 0, 0, 0);
    // A file back end that could not write its output reports it here.
    int result = 0;
    if (const auto close = gdev().close) result = close() != 0 ? -1 : 0;
    state.open_graphics = 0;
    return result;
}

int ginit_plot(int type)
{
    if (type == GINIT_NONE) return -1;
    greset_text();
    greset_line();
    greset_marker();
    greset_fill();
    ginit_loop();
    ginit_tran(type);
    ginit_text(type);
    ginit_line(type);
    ginit_marker(type);
    ginit_fill(type);
    if (type == GINIT_WINDOW || type == GINIT_REDRAW) {
        ginit_event(type);
        gsync();
    }
    return 0;
}

Gint gmessage(Gint ws_id, const Gchar *message)
{
    if (!message) message = "";
    gkeep(GOBJ_MESSAGE, ws_id, static_cast<int>(std::strlen(message) + 1), message);
    return 0;
}

// A device that keeps segments itself (the metafile) writes them and answers -1; elsewhere the
// display list keeps them.
Gint gcreate_seg(Gint seg_name)
{
    if (const auto segment = gdev().segment) return segment(GOBJ_SEG_START, seg_name);
    gnew_obj(GOBJ_SEG_START, seg_name, 0, nullptr);
    return 0;
}

Gint gclose_seg(Gint seg_name)
{
    if (const auto segment = gdev().segment) return segment(GOBJ_SEG_END, seg_name);
    gnew_obj(GOBJ_SEG_END, seg_name, 0, nullptr);
    return 0;
}

Gint gdel_seg(Gint seg_name)
{
    if (const auto segment = gdev().segment) return segment(GSEG_DELETE, seg_name);
    gdel_seg_objs(seg_name);
    return 0;
}

int gchk_graphics() { return state.open_graphics; }

int gset_prog_name(const char *str)
{
    strfcpy(state.prog_name, str);
    return 0;
}

const char *gget_prog_name() { return state.prog_name; }

int gget_ws_id() { return 1; }

int gset_win_type(Gws_type val)
{
    set_type(val);
    return 0;
}

Gws_type gget_win_type() { return state.win_type; }

int gset_pix_mode(int mode)
{
    state.pix_mode = mode;
    return 0;
}

int gget_pix_mode() { return state.pix_mode; }

int gsync()
{
    if (const auto update = gdev().update) update();
    return 0;
}

int gtype_is_WIN() { return state.win_type == GWS_X11; }
int gtype_is_PIX() { return state.win_type == GWS_PIX; }
int gtype_is_WIN_PIX() { return state.win_type == GWS_X11 || state.win_type == GWS_PIX; }
int gtype_is_PS() { return state.win_type == GWS_PS; }
int gtype_is_HPGL() { return state.win_type == GWS_HPGL; }
int gtype_is_META() { return state.win_type == GWS_META; }

// ---------------------------------------------------------------------------------------------
// What the page devices share when they open
// ---------------------------------------------------------------------------------------------

void gfor_each_option(const char *env, int count, char **items,
                      const std::function<void(const char *item, bool from_env)> &apply)
{
    if (const char *param = std::getenv(env)) {
        Items extra(param);
        for (int i = 0; i < extra.count; i++) apply(extra.list[i], true);
    }
    for (int i = 1; i < count; i++) apply(items[i], false);
}

bool gpaper_size(const char *item, float &width, float &height)
{
    for (const Paper &p : papers)
        if (stricmp(item, p.name) == 0) {
            width = p.width;
            height = p.height;
            return true;
        }
    return false;
}

float gitem_number(const char *item, size_t from)
{
    return std::strlen(item) > from ? static_cast<float>(std::atof(item + from)) : 0.0f;
}

// An item given without its number ("rot", "roll=", "scale=x") leaves the setting alone.
bool gitem_value(const char *item, size_t from, double &value)
{
    if (std::strlen(item) <= from) return false;
    char *end = nullptr;
    const double v = std::strtod(item + from, &end);
    if (end == item + from || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool gitem_size(const char *item, float &width, float &height)
{
    if (strnicmp(item, "sz", 2) != 0) return false;
    float w, h;
    if (std::strlen(item) > 3 && std::sscanf(item + 3, "%fx%f", &w, &h) == 2) {
        width = w;
        height = h;
    }
    return true;
}

void gset_page_geometry(const char *env1, const char *env2, const Gpage_geometry &form)
{
    const char *geom = geometry_setting(env1, env2);
    if (!geom) return;
    if (geom[0] == 'P' || geom[0] == 'p') {
        gset_panel_geometry(geom, 0);
        return;
    }
    auto scaled = [&form](int v) { return static_cast<int>(form.scale * static_cast<float>(v)); };
    auto placed = [&form](int v) {
        return static_cast<int>(form.origin + form.scale * static_cast<float>(v));
    };
    int w, h, x, y, x0, y0;
    gget_win_offset(&x0, &y0);
    const int n = std::sscanf(geom, form.size_form, &w, &h, &x, &y);
    if (n == 4) {
        gx_set_device(scaled(w), scaled(h), placed(x), placed(y));
    } else if (n == 2) {
        gx_set_device(scaled(w), scaled(h), x0, y0);
    } else if (std::sscanf(geom, form.offset_form, &x, &y) == 2) {
        gget_win_size(&w, &h);
        gx_set_device(w, h, placed(x), placed(y));
    }
}

int gset_panel_geometry(const char *geom, int y_down)
{
    float nx = 1, ny = 1, i = 0, j = 0;
    if (geom && geom[0]) std::sscanf(geom + 1, "%fx%f+%f+%f", &nx, &ny, &i, &j);
    float xf, yf, sx, sy;
    if (nx > 1) {
        if (nx > 8) nx = 8;
        if (ny > 8) ny = 8;
        if (ny < 1) ny = 1;
        xf = i / nx;
        yf = y_down ? j / ny : 1 - (1 + j) / ny;
        sx = 1 / nx;
        sy = 1 / ny;
    } else {
        // The numbers are fractions: size, then offset from the lower left corner.
        sx = nx;
        sy = ny;
        xf = i;
        yf = y_down ? 1 - j - ny : j;
    }
    int width, height;
    gget_win_size(&width, &height);
    gx_set_device(static_cast<int>(width * sx), static_cast<int>(height * sy),
                  static_cast<int>(xf * width), static_cast<int>(yf * height));
    return 0;
}
