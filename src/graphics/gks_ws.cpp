// Kernel and workstation control: opening and closing the kernel and the one workstation,
// choosing and initialising its back end, the back-end predicates every drawing call asks, the
// kernel's error report and the X11 error handlers.
#include "gks.h"
#include "gks_x11.h"
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

int open_graphics = 0;       // 1 while a workstation is open
Gws_type win_type = 0;       // the current back end
int pix_mode = 0;            // cooperation with the loop window program: 0, 1, 2 or 9
FILE *err_file = nullptr;    // the error channel; reports are printed only while it is set
int Xerror = 0;              // set by the protocol-error handler
int Xerror_print = 1;        // print and count protocol errors
int num_error = 0;           // protocol errors printed so far
char prog_name[20] = "V11_Ududi";

constexpr int MAX_X_ERRORS = 25;

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
    const char *first() const { return count > 0 && list[0][0] ? list[0] : nullptr; }
};

void copy_text(char *dest, size_t size, const char *src)
{
    std::snprintf(dest, size, "%s", src ? src : "");
}

int Xerror_handler(Display *display, XErrorEvent *error)
{
    Xerror = 1;
    if (!Xerror_print) return 0;
    char text[80] = "";
    char request[60] = "";
    char code[16];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::snprintf(code, sizeof code, "%d", error->request_code);
    XGetErrorDatabaseText(display, "XRequest", code, "", request, sizeof request);
    MESS_print(192, "X11 error: %s in %s\n", text, request);
    if (++num_error >= MAX_X_ERRORS) {
        MESS_print(48, "X11 error: too many errors\n");
        if (gtype_is_WIN()) gdelete_all_frames();
        VYK_exit(VYK_EXIT_GRAPHICS);
    }
    return 0;
}

// The connection is gone: the server has already released every pixmap of it, and a request on
// the dead connection would only re-enter this handler, so nothing is sent any more.
int XerrorIO_handler(Display *)
{
    MESS_print(48, "Fatal X11 Error\n");
    VYK_exit(VYK_EXIT_GRAPHICS);
}

// ---------------------------------------------------------------------------------------------
// Page devices
// ---------------------------------------------------------------------------------------------

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

bool paper_size(const char *item, float &width, float &height)
{
    for (const Paper &p : papers)
        if (stricmp(item, p.name) == 0) {
            width = p.width;
            height = p.height;
            return true;
        }
    return false;
}

// The number that starts at position `from` of an item (0 when the item is shorter).
float item_number(const char *item, size_t from)
{
    return std::strlen(item) > from ? static_cast<float>(std::atof(item + from)) : 0.0f;
}

// The number that starts at position `from` of an item, when one does: an item given without
// its number ("rot", "roll=", "scale=x") leaves the setting alone.
bool item_value(const char *item, size_t from, double &value)
{
    if (std::strlen(item) <= from) return false;
    char *end = nullptr;
    const double v = std::strtod(item + from, &end);
    if (end == item + from || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// Applies a callback to the items of an environment variable, then to the connection items
// from the second on.
template <class F> void for_each_option(const char *env, const Items &items, F apply)
{
    if (const char *param = std::getenv(env)) {
        Items extra(param);
        for (int i = 0; i < extra.count; i++) apply(extra.list[i], true);
    }
    for (int i = 1; i < items.count; i++) apply(items.list[i], false);
}

const char *resource_or_env(const char *env1, const char *env2)
{
    if (const char *geom = RES_get("geometry")) return geom;
    if (const char *geom = std::getenv(env1)) return geom;
    return env2 ? std::getenv(env2) : nullptr;
}

bool is_panel(const char *geom) { return geom && (geom[0] == 'P' || geom[0] == 'p'); }

int open_ps(const Items &items)
{
    gset_cache(0);
    gset_redraw(0);
    win_type = GWS_PS;
    gx_set_depth(10);
    const char *name = items.first();
    if (!name) name = std::getenv("vykps_print");
    if (!name) name = std::getenv("PSPRINT");
    if (!name) name = "vyk.ps";
    if (!gps_open_file(name)) {
        gerr_printf("gopen_ws", "unable to open postscript file\n");
        return -1;
    }
    float width = 11, height = 8.5f;
    gps_init();
    for_each_option("vykps_param", items, [&](const char *item, bool) {
        if (stricmp(item, "port") == 0) gps_set_orient(1);
        else if (stricmp(item, "land") == 0) gps_set_orient(0);
        else if (stricmp(item, "eps") == 0) gps_set_EPS(1);
        else if (stricmp(item, "noeps") == 0) gps_set_EPS(0);
        else if (stricmp(item, "color") == 0) {
            gps_set_colorPS(1);
            gset_inverse(1);
        } else if (stricmp(item, "gray") == 0) gps_set_colorPS(0);
        else if (strnicmp(item, "scale", 5) == 0) gps_set_scale(item_number(item, 6));
        else if (strnicmp(item, "lwidth", 6) == 0)
            gps_set_base_width(static_cast<int>(item_number(item, 7)));
        else if (strnicmp(item, "sz", 2) == 0) {
            float w, h;
            if (std::strlen(item) > 3 && std::sscanf(item + 3, "%fx%f", &w, &h) == 2) {
                width = w;
                height = h;
            }
        } else paper_size(item, width, height);
    });
    gx_set_device(static_cast<int>(72 * (width - 0.5f)), static_cast<int>(72 * (height - 0.5f)),
                  0, 0);
    gps_set_size(width, height);
    gps_init_file();
    const char *geom = resource_or_env("vykps_geometry", "PSGEOMETRY");
    if (is_panel(geom)) {
        gset_panel_geometry(geom, 0);
    } else if (geom) {
        int w, h, x, y, x0, y0;
        gget_win_offset(&x0, &y0);
        int n = std::sscanf(geom, "%dx%d%d%d", &w, &h, &x, &y);
        if (n == 4) gx_set_device(int(0.72f * w), int(0.72f * h), int(0.72f * x), int(0.72f * y));
        else if (n == 2) gx_set_device(int(0.72f * w), int(0.72f * h), x0, y0);
        else if (std::sscanf(geom, "%d%d", &x, &y) == 2) {
            gget_win_size(&w, &h);
            gx_set_device(w, h, int(0.72f * x), int(0.72f * y));
        }
    }
    return 0;
}

int open_hpgl(const Items &items)
{
    gset_cache(0);
    gset_redraw(0);
    win_type = GWS_HPGL;
    gx_set_depth(10);
    const char *name = items.first();
    if (!name) name = std::getenv("vykhp_out");
    if (!name) name = "vyk.hpgl";
    if (!ghpgl_open_file(name)) {
        gerr_printf("gopen_ws", "unable to open HPGL file\n");
        return -1;
    }
    float width = 10.5f, height = 8;
    double value;
    ghpgl_init();
    for_each_option("vykhp_param", items, [&](const char *item, bool from_env) {
        if (stricmp(item, "pcl") == 0) ghpgl_set_pcl(1);
        else if (stricmp(item, "nopcl") == 0) ghpgl_set_pcl(0);
        else if (stricmp(item, "lj") == 0) ghpgl_set_pcl(2);
        else if (stricmp(item, "port") == 0) ghpgl_set_rotate(90);
        else if (stricmp(item, "land") == 0) ghpgl_set_rotate(0);
        else if (strnicmp(item, "scale", 5) == 0) {
            if (item_value(item, 6, value)) ghpgl_set_scale(static_cast<float>(value));
        } else if (strnicmp(item, "lwidth", 6) == 0) {
            if (item_value(item, 7, value)) ghpgl_set_base_width(static_cast<float>(value));
        } else if (strnicmp(item, "rot", 3) == 0) {
            // Whole degrees, as the integer part of the number reads.
            if (item_value(item, 4, value) && value > INT_MIN && value < INT_MAX)
                ghpgl_set_rotate(static_cast<int>(value));
        } else if (strnicmp(item, "sz", 2) == 0) {
            float w, h;
            if (std::strlen(item) > 3 && std::sscanf(item + 3, "%fx%f", &w, &h) == 2) {
                width = w;
                height = h;
            }
        } else if (paper_size(item, width, height)) {
        } else if (from_env && strnicmp(item, "roll", 4) == 0) {
            // A roll as wide as the page margin or less has no drawing area.
            if (item_value(item, 5, value) && value > 0.5 && value < 1e6) {
                width = static_cast<float>(value);
                height = 23.5f;
            }
        }
    });
    gx_set_device(static_cast<int>(1015 * (width - 0.5f)),
                  static_cast<int>(1015 * (height - 0.5f)), 10, 10);
    const char *geom = resource_or_env("vykhp_geometry", nullptr);
    if (is_panel(geom)) {
        gset_panel_geometry(geom, 0);
    } else if (geom) {
        int w, h, x, y, x0, y0;
        gget_win_offset(&x0, &y0);
        int n = std::sscanf(geom, "%dx%d+%d+%d", &w, &h, &x, &y);
        if (n == 4)
            gx_set_device(int(10.15f * w), int(10.15f * h), int(10 + 10.15f * x),
                          int(10 + 10.15f * y));
        else if (n == 2) gx_set_device(int(10.15f * w), int(10.15f * h), x0, y0);
        else if (std::sscanf(geom, "+%d+%d", &x, &y) == 2) {
            gget_win_size(&w, &h);
            gx_set_device(w, h, int(10 + 10.15f * x), int(10 + 10.15f * y));
        }
    }
    ghpgl_init_file();
    return 0;
}

int open_meta(const Items &items)
{
    gset_cache(0);
    gset_redraw(0);
    for (int i = 1; i < items.count; i++) {
        if (stricmp(items.list[i], "cgm") == 0) gmeta_set_type(1);
        else if (stricmp(items.list[i], "vyk") == 0) gmeta_set_type(0);
    }
    gx_set_device(1000, 800, 0, 0);
    win_type = GWS_META;
    const char *geom = RES_get("geometry");
    if (is_panel(geom)) {
        gset_panel_geometry(geom, 0);
    } else if (geom) {
        int w, h, x, y, x0, y0;
        gget_win_offset(&x0, &y0);
        int n = std::sscanf(geom, "%dx%d%d%d", &w, &h, &x, &y);
        if (n == 4) gx_set_device(100 * w, 100 * h, 100 * x, 100 * y);
        else if (n == 2) gx_set_device(100 * w, 100 * h, x0, y0);
        else if (std::sscanf(geom, "%d%d", &x, &y) == 2) {
            gget_win_size(&w, &h);
            gx_set_device(w, h, 100 * x, 100 * y);
        }
    }
    char name[80];
    const char *out = items.first();
    if (!out) out = std::getenv("vykmeta_out");
    if (!out) out = gmeta_get_type() == 1 ? "vyk.cgm" : "vyk.meta";
    copy_text(name, sizeof name, out);
    gx_set_depth(10);
    if (!gmeta_open_file(name)) {
        gerr_printf("gopen_ws", "unable to open metafile\n");
        return -1;
    }
    gmeta_init_file();
    return 0;
}

// The X11 types: the display, then the own window or the loop window.
int open_x11(const Items &items, Gws_type type)
{
    ginstall_x_handlers();
    if (gx_open_display(items.count > 0 ? items.list[0] : nullptr) != 0) {
        MESS_print(192, "gopen_ws: unable to connect to display\n");
        return -1;
    }
    gset_def_cmap(DefaultColormap(gget_display(), gget_screen()));
    win_type = type;
    if (type == GWS_X11) {
        gset_cache(1);
        return gx_open_window();
    }
    gset_cache(0);
    gset_redraw(0);
    if (gx_attach_window(items.count, items.list, pix_mode) == 0) return 0;
    gset_user_cmap(0);  // a colormap of the loop window program is never ours
    return -1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The kernel
// ---------------------------------------------------------------------------------------------

Gint gopen_gks(const Gchar *err_f, long)
{
    if (!err_f) {
        err_file = stderr;
        return 0;
    }
    FILE *fp = FILE_open(err_f, "w");
    if (!fp) return 1;
    if (err_file && err_file != stderr) FILE_close(err_file);
    err_file = fp;
    return 0;
}

Gint gclose_gks()
{
    if (err_file && err_file != stderr) {
        FILE_close(err_file);
        err_file = nullptr;
    }
    return 0;
}

Gint gemergency_close_gks() { return 0; }

int gerr_printf(const char *func, const char *mess, ...)
{
    if (!err_file) return 0;
    char text[80] = "";
    if (mess) {
        va_list args;
        va_start(args, mess);
        std::vsnprintf(text, sizeof text, mess, args);
        va_end(args);
    }
    MESS_print(192, "%s: ", func ? func : "");
    MESS_print(192, "%s\n", text);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The workstation
// ---------------------------------------------------------------------------------------------

Gint gopen_ws(Gint, const Gchar *conn_id, Gws_type ws_type)
{
    Items items(conn_id);
    if (ws_type == GWS_PS) {
        const char *print = std::getenv("vykprint");
        if (print && stricmp(print, "hpgl") == 0) ws_type = GWS_HPGL;
    }
    int status;
    switch (ws_type) {
    case GWS_X11:
    case GWS_PIX: status = open_x11(items, ws_type); break;
    case GWS_PS: status = open_ps(items); break;
    case GWS_HPGL: status = open_hpgl(items); break;
    case GWS_META: status = open_meta(items); break;
    default:
        gerr_printf("gopen_ws", "invalid workstation type: %d\n", ws_type);
        return -1;
    }
    if (status != 0) return -1;

    open_graphics = 1;
    ginit_objs();
    static constexpr int plot_kind[] = {0, 0, 0, 4, 2, 3, 0};
    ginit_plot(plot_kind[ws_type]);
    gsetup_fonts();
    ginit_background();
    if (ws_type == GWS_PIX && pix_mode == 1) gclear_frame(-3);
    if (gtype_is_WIN_PIX()) {
        gsync();
        gcheck_event();
    }
    gset_cursor(8);
    return 0;
}

Gint gactivate_ws(Gint) { return 0; }
Gint gdeactivate_ws(Gint) { return 0; }

Gint gclear_ws(Gint, Gclear_flag)
{
    Display *display = gget_display();
    Pixmap base = gget_base_window();
    if (!gtype_is_WIN() || !display || !base) return 0;
    int width, height;
    gget_win_size(&width, &height);
    GC gc = gget_root_gc();
    XSetForeground(display, gc, static_cast<unsigned long>(gget_color_ind(-1)));
    XFillRectangle(display, base, gc, 0, 0, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XSetForeground(display, gc, gx_get_fore_colr());
    gclear_objs();
    return 0;
}

Gint gclose_ws(Gint)
{
    if (!open_graphics) return -1;
    Display *display = gget_display();
    if (win_type == GWS_X11) {
        gdelete_all_frames();
        greset_zoom();  // a magnified picture belongs to this window only
    }
    if (win_type == GWS_X11 || win_type == GWS_PIX) {
        if (win_type == GWS_X11) gx_close_window(GWS_X11);
        if (display) {
            for (GC gc : {gget_line_gc(), gget_marker_gc(), gget_fill_gc(), gget_text_gc()})
                if (gc) XFreeGC(display, gc);
        }
        gdel_fill_pat();
        if (win_type == GWS_X11 && display) {
            if (Colormap cmap = gget_user_cmap()) {
                XFreeColormap(display, cmap);
                gset_user_cmap(0);
            }
        }
        if (win_type == GWS_PIX) {
            if (pix_mode == 9) gx_send_notice(9);
            // The loop window's colormap is forgotten, never freed: a later own window must
            // neither install nor free it.
            gset_user_cmap(0);
            gx_close_window(GWS_PIX);
        }
        if (display) XSync(display, False);
    }
    gx_set_device(0, 0, 0, 0);
    if (win_type == GWS_X11) gclear_objs();
    else if (win_type == GWS_PS) gps_close_file();
    else if (win_type == GWS_HPGL) ghpgl_close_file();
    else if (win_type == GWS_META) gmeta_close_file();
    open_graphics = 0;
    return 0;
}

int ginit_plot(int type)
{
    if (type == -1) return -1;
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
    if (type == 0) {
        Xerror = 0;
        Xerror_print = 1;
        if (win_type == GWS_PIX) gset_rw_colors(0);
    }
    if (type == 0 || type == 1) {
        ginit_event(type);
        if (Display *display = gget_display()) {
            for (GC gc : {gget_line_gc(), gget_marker_gc(), gget_text_gc(), gget_fill_gc()})
                if (gc) XSetLineAttributes(display, gc, 0, LineSolid, CapButt, JoinBevel);
            XSync(display, False);
        }
    }
    return 0;
}

Gint gmessage(Gint ws_id, const Gchar *message)
{
    if (!message) message = "";
    gnew_obj(5, ws_id, static_cast<int>(std::strlen(message) + 1), message);
    if (win_type == GWS_META) gmeta_printf("ME %s\n", message);
    else if (win_type == GWS_PS) gps_printf("%%%%Message: %s\n", message);
    return 0;
}

Gint gcreate_seg(Gint seg_name)
{
    if (win_type == GWS_META) {
        gmeta_printf("SEG_CR %d\n", seg_name);
        return -1;
    }
    gnew_obj(81, seg_name, 0, nullptr);
    return 0;
}

Gint gclose_seg(Gint seg_name)
{
    if (win_type == GWS_META) {
        gmeta_printf("SEG_CL %d\n", seg_name);
        return -1;
    }
    gnew_obj(82, seg_name, 0, nullptr);
    return 0;
}

Gint gdel_seg(Gint seg_name)
{
    if (win_type == GWS_META) {
        gmeta_printf("SEG_DE %d\n", seg_name);
        return -1;
    }
    gdel_seg_objs(seg_name);
    return 0;
}

int gchk_graphics() { return open_graphics; }

int gset_prog_name(const char *str)
{
    copy_text(prog_name, sizeof prog_name, str);
    return 0;
}

const char *gget_prog_name() { return prog_name; }

int gget_ws_id() { return 1; }

int gset_win_type(Gws_type val)
{
    win_type = val;
    return 0;
}

Gws_type gget_win_type() { return win_type; }

int gset_pix_mode(int mode)
{
    pix_mode = mode;
    return 0;
}

int gsync()
{
    Display *display = gget_display();
    if (gtype_is_WIN_PIX() && display) XSync(display, False);
    return 0;
}

int gbell(int len)
{
    Display *display = gget_display();
    if (!gtype_is_WIN_PIX() || !display) return 0;
    if (len == 0) len = 50;
    if (len > 100) len = 100;   // the server refuses volumes outside -100 to 100
    if (len < -100) len = -100;
    XBell(display, len);
    XSync(display, False);
    return 0;
}

int gtype_is_WIN() { return win_type == GWS_X11; }
int gtype_is_PIX() { return win_type == GWS_PIX; }
int gtype_is_WIN_PIX() { return win_type == GWS_X11 || win_type == GWS_PIX; }
int gtype_is_PS() { return win_type == GWS_PS; }
int gtype_is_HPGL() { return win_type == GWS_HPGL; }
int gtype_is_META() { return win_type == GWS_META; }

// ---------------------------------------------------------------------------------------------
// Shared with the kernel's other components
// ---------------------------------------------------------------------------------------------

int gclear_Xerror()
{
    Xerror = 0;
    return 0;
}

int gget_Xerror() { return Xerror; }

int gset_Xerror_print(int val)
{
    Xerror_print = val;
    return 0;
}

int ginstall_x_handlers()
{
    XSetErrorHandler(Xerror_handler);
    XSetIOErrorHandler(XerrorIO_handler);
    return 0;
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
