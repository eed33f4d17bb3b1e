// Transformations and clipping: six normalization transformations take world windows to NDC
// viewports, the workstation transformation takes the workstation window to the device with
// equal scales on both axes, and the current viewport is the clip region on every device.
#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"

#include <array>
#include <cmath>

namespace {

constexpr int NUM_TRANS = 6;
constexpr float PIX_LIMIT = 30000;
constexpr float PS_LIMIT = 100000;

constexpr Gcoords UNIT{0, 0, 1, 1, 1, 1};  // the unit square

// The transformations; a new workstation starts with unit windows and viewports and
// transformation 0 current (the device rectangle and the scales follow from them).
struct State {
    std::array<Gcoords, NUM_TRANS> wn = unit_squares();  // world windows
    std::array<Gcoords, NUM_TRANS> vp = unit_squares();  // NDC viewports
    int cur_trans = 0;
    Gcoords cur_wn = UNIT, cur_vp = UNIT;  // copies of the current transformation
    Gtransform wn_vp{};                    // world to NDC scales
    Gcoords wkwn = UNIT;                   // workstation window (NDC)
    Gcoords wkvp{};                        // workstation viewport (device units)
    Gcoords plt{};                         // the device rectangle used after the aspect fit
    Gtransform wkwn_plt{};                 // NDC to device scales

    static constexpr std::array<Gcoords, NUM_TRANS> unit_squares()
    {
        std::array<Gcoords, NUM_TRANS> a{};
        a.fill(UNIT);
        return a;
    }
} st;

// The size multipliers, kept over new workstations.
float xmult = 0, ymult = 0;

void store(Gcoords &c, float x_min, float y_min, float x_max, float y_max)
{
    c.x_min = x_min;
    c.y_min = y_min;
    c.x_max = x_max;
    c.y_max = y_max;
    c.x_ext = x_max - x_min;
    c.y_ext = y_max - y_min;
}

void store(Gcoords &c, const Glim &lim) { store(c, lim.x_min, lim.y_min, lim.x_max, lim.y_max); }

Glim to_lim(const Gcoords &c) { return Glim{c.x_min, c.x_max, c.y_min, c.y_max}; }

// A scale that is 0 when the divisor is (only before the first initialisation, or on a device
// of one pixel): conversions then collapse onto the origin instead of dividing by zero.
float ratio(float a, float b) { return b != 0 ? a / b : 0.0f; }

void scales()
{
    st.wn_vp.x = ratio(st.cur_vp.x_ext, st.cur_wn.x_ext);
    st.wn_vp.y = ratio(st.cur_vp.y_ext, st.cur_wn.y_ext);
    st.wkwn_plt.x = ratio(st.plt.x_ext, st.wkwn.x_ext);
    st.wkwn_plt.y = ratio(st.plt.y_ext, st.wkwn.y_ext);
}

void aspect_fit()
{
    int ox, oy;
    gget_win_offset(&ox, &oy);
    st.plt.x_min = static_cast<float>(ox) + st.wkvp.x_min;
    st.plt.y_min = static_cast<float>(oy) + st.wkvp.y_min;
    if (ratio(st.wkvp.x_ext, st.wkwn.x_ext) > ratio(st.wkvp.y_ext, st.wkwn.y_ext)) {
        st.plt.y_ext = st.wkvp.y_ext;
        st.plt.x_ext = ratio(st.wkwn.x_ext * st.wkvp.y_ext, st.wkwn.y_ext);
    } else {
        st.plt.x_ext = st.wkvp.x_ext;
        st.plt.y_ext = ratio(st.wkwn.y_ext * st.wkvp.x_ext, st.wkwn.x_ext);
    }
    st.plt.x_max = st.plt.x_min + st.plt.x_ext;
    st.plt.y_max = st.plt.y_min + st.plt.y_ext;
}

// Holds a device coordinate inside +-limit; a non-number goes to the lower end, as a coordinate
// too far below does, so that no "nan" reaches a device.
inline float clamp(float v, float limit) { return v > limit ? limit : (v >= -limit ? v : -limit); }

// The raw (unclamped) NDC to device mappings.
inline float ndc_dev_x(float x) { return st.plt.x_min + (x - st.wkwn.x_min) * st.wkwn_plt.x; }
inline float ndc_pix_y(float y) { return st.plt.y_min + (st.wkwn.y_max - y) * st.wkwn_plt.y; }
inline float ndc_ps_y(float y) { return st.plt.y_min + (y - st.wkwn.y_min) * st.wkwn_plt.y; }

// The current viewport in window pixels: the nearest pixels to its corners, both edges
// included.
Grectangle pixel_viewport()
{
    const double x = std::trunc(static_cast<double>(xNDC_p(st.cur_vp.x_min)) + 0.5);
    const double y = std::trunc(static_cast<double>(yNDC_p(st.cur_vp.y_max)) + 0.5);
    return Grectangle{
        static_cast<Gint>(x), static_cast<Gint>(y),
        static_cast<Gint>(std::trunc(static_cast<double>(xNDC_p(st.cur_vp.x_max)) - x + 1.5)),
        static_cast<Gint>(std::trunc(static_cast<double>(yNDC_p(st.cur_vp.y_min)) - y + 1.5))};
}

// Pushes the current viewport to the device as its clip region.
void update_clip()
{
    if (const auto clip = gdev().clip) clip(gget_clip());
}

bool valid_number(const char *func, Gint n)
{
    if (n >= 0 && n < NUM_TRANS) return true;
    gerr_printf(func, "invalid transformation number: %d\n", n);
    return false;
}

// A rectangle that can be divided by: both extents finite and not zero.
bool valid_rect(const char *func, const Glim *lim)
{
    if (lim) {
        const float dx = lim->x_max - lim->x_min, dy = lim->y_max - lim->y_min;
        if (dx != 0 && dy != 0 && std::isfinite(dx) && std::isfinite(dy)) return true;
        gerr_printf(func, "invalid rectangle: %f %f %f %f\n", lim->x_min, lim->x_max,
                    lim->y_min, lim->y_max);
    } else {
        gerr_printf(func, "invalid rectangle\n");
    }
    return false;
}

// The workstation window or viewport: kept, stored, and the device rectangle fitted anew.
Gint set_workstation(const char *func, Gobj_code code, Gint ws_id, const Glim *rect,
                     Gcoords &field)
{
    if (!valid_rect(func, rect)) return -1;
    gkeep(code, ws_id, sizeof(Glim), rect);
    store(field, *rect);
    aspect_fit();
    scales();
    update_clip();
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Conversions
// ---------------------------------------------------------------------------------------------

float xW_NDC(float x) { return st.cur_vp.x_min + (x - st.cur_wn.x_min) * st.wn_vp.x; }
float yW_NDC(float y) { return st.cur_vp.y_min + (y - st.cur_wn.y_min) * st.wn_vp.y; }
float xNDC_p(float x) { return clamp(ndc_dev_x(x), PIX_LIMIT); }
float yNDC_p(float y) { return clamp(ndc_pix_y(y), PIX_LIMIT); }
float xNDC_ps(float x) { return clamp(ndc_dev_x(x), PS_LIMIT); }
float yNDC_ps(float y) { return clamp(ndc_ps_y(y), PS_LIMIT); }
float xW_p(float x) { return clamp(ndc_dev_x(xW_NDC(x)), PIX_LIMIT); }
float yW_p(float y) { return clamp(ndc_pix_y(yW_NDC(y)), PIX_LIMIT); }
float xW_ps(float x) { return clamp(ndc_dev_x(xW_NDC(x)), PS_LIMIT); }
float yW_ps(float y) { return clamp(ndc_ps_y(yW_NDC(y)), PS_LIMIT); }

float xp_W(float x)
{
    if (st.wkwn_plt.x == 0 || st.wn_vp.x == 0) return st.cur_wn.x_min;
    return st.cur_wn.x_min + (st.wkwn.x_min + (x - st.plt.x_min) / st.wkwn_plt.x - st.cur_vp.x_min) / st.wn_vp.x;
}

float yp_W(float y)
{
    if (st.wkwn_plt.y == 0 || st.wn_vp.y == 0) return st.cur_wn.y_min;
    return st.cur_wn.y_min + (st.wkwn.y_max - (y - st.plt.y_min) / st.wkwn_plt.y - st.cur_vp.y_min) / st.wn_vp.y;
}

float xW_trans(float x, int t1, int t2)
{
    if (!valid_number("xW_trans", t1) || !valid_number("xW_trans", t2)) return x;
    if (st.wn[t1].x_ext == 0 || st.vp[t2].x_ext == 0) return x;
    const float ndc = st.vp[t1].x_min + st.vp[t1].x_ext * (x - st.wn[t1].x_min) / st.wn[t1].x_ext;
    return st.wn[t2].x_min + (ndc - st.vp[t2].x_min) / st.vp[t2].x_ext * st.wn[t2].x_ext;
}

float yW_trans(float y, int t1, int t2)
{
    if (!valid_number("yW_trans", t1) || !valid_number("yW_trans", t2)) return y;
    if (st.wn[t1].y_ext == 0 || st.vp[t2].y_ext == 0) return y;
    const float ndc = st.vp[t1].y_min + st.vp[t1].y_ext * (y - st.wn[t1].y_min) / st.wn[t1].y_ext;
    return st.wn[t2].y_min + (ndc - st.vp[t2].y_min) / st.vp[t2].y_ext * st.wn[t2].y_ext;
}

// ---------------------------------------------------------------------------------------------
// Setting
// ---------------------------------------------------------------------------------------------

Gint gset_win(Gint n, const Glim *window)
{
    if (!valid_number("gset_win", n) || !valid_rect("gset_win", window)) return -1;
    gkeep(GOBJ_WIN, n, sizeof(Glim), window);
    store(st.wn[n], *window);
    if (n == st.cur_trans) {
        st.cur_wn = st.wn[n];
        scales();
    }
    return 0;
}

Gint gset_vp(Gint n, const Glim *viewport)
{
    if (!valid_number("gset_vp", n) || !valid_rect("gset_vp", viewport)) return -1;
    gkeep(GOBJ_VP, n, sizeof(Glim), viewport);
    store(st.vp[n], *viewport);
    if (n == st.cur_trans) {
        st.cur_vp = st.vp[n];
        scales();
        update_clip();
    }
    return 0;
}

Gint gsel_norm_tran(Gint n)
{
    if (!valid_number("gsel_norm_tran", n)) return -1;
    if (n == st.cur_trans) return 0;
    gkeep(GOBJ_NORM_TRAN, n);
    st.cur_trans = n;
    st.cur_wn = st.wn[n];
    st.cur_vp = st.vp[n];
    scales();
    update_clip();
    return 0;
}

Gint gset_ws_win(Gint ws_id, const Glim *window)
{
    return set_workstation("gset_ws_win", GOBJ_WS_WIN, ws_id, window, st.wkwn);
}

Gint gset_ws_vp(Gint ws_id, const Glim *viewport)
{
    return set_workstation("gset_ws_vp", GOBJ_WS_VP, ws_id, viewport, st.wkvp);
}

int ginit_tran(int kind)
{
    int width, height;
    gget_win_size(&width, &height);
    const bool resize = kind == GINIT_RESIZE;
    if (!resize) st = State{};
    store(st.wkvp, 0, 0, static_cast<float>(width - 1), static_cast<float>(height - 1));
    aspect_fit();
    scales();
    // A page starts with its clip region; the X11 contexts take theirs as they are set up.
    if (kind == GINIT_PS || kind == GINIT_HPGL || kind == GINIT_META) update_clip();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Inquiries
// ---------------------------------------------------------------------------------------------

Gint ginq_norm_tran(Gint n, Gint *err_ind, Gtran *tran)
{
    if (n < 0 || n >= NUM_TRANS) return -1;
    if (tran) {
        tran->win = to_lim(st.wn[n]);
        tran->vp = to_lim(st.vp[n]);
    }
    if (err_ind) *err_ind = 0;
    return 0;
}

Gint ginq_cur_norm_tran_num(Gint *err_ind, Gint *n)
{
    if (n) *n = st.cur_trans;
    if (err_ind) *err_ind = 0;
    return 0;
}

Gint ginq_disp_space_size(Gws_type, Gint *err_ind, Gdsp_size *size)
{
    int width, height;
    gget_win_size(&width, &height);
    if (size) {
        size->coord_units = GOTHER_UNIT;
        size->coord_size.x = static_cast<Gfloat>(width - 1);
        size->coord_size.y = static_cast<Gfloat>(height - 1);
        size->ras_size.x_coord = width;
        size->ras_size.y_coord = height;
    }
    if (err_ind) *err_ind = 0;
    return 0;
}

int gpts_in_win(Gint n, const Gpt *points)
{
    if (n < 1 || !points) return 0;
    float x_min = points[0].x, x_max = points[0].x;
    float y_min = points[0].y, y_max = points[0].y;
    for (Gint i = 1; i < n; i++) {
        const float x = points[i].x, y = points[i].y;
        if (x < x_min) x_min = x;
        if (x > x_max) x_max = x;
        if (y < y_min) y_min = y;
        if (y > y_max) y_max = y;
    }
    if (st.cur_wn.x_min > x_max || x_min > st.cur_wn.x_max || st.cur_wn.y_min > y_max ||
        y_min > st.cur_wn.y_max)
        return 0;
    return 1;
}

Gclip gget_clip()
{
    return Gclip{pixel_viewport(), xNDC_ps(st.cur_vp.x_min), yNDC_ps(st.cur_vp.y_min),
                 xNDC_ps(st.cur_vp.x_max), yNDC_ps(st.cur_vp.y_max)};
}

int gget_gviewport(Grectangle *rect)
{
    const Gdev_units units = gdev().units;
    if (!rect || units == GUNITS_NONE) return 0;
    if (units == GUNITS_PIXELS) {
        // As the X rectangle of the clip holds it.
        const Grectangle r = pixel_viewport();
        rect->x = static_cast<short>(r.x);
        rect->y = static_cast<short>(r.y);
        rect->width = static_cast<unsigned short>(r.width);
        rect->height = static_cast<unsigned short>(r.height);
        return 0;
    }
    const double x = std::trunc(static_cast<double>(xNDC_ps(st.cur_vp.x_min)));
    const double y = std::trunc(static_cast<double>(yNDC_ps(st.cur_vp.y_min)));
    rect->x = static_cast<Gint>(x);
    rect->y = static_cast<Gint>(y);
    rect->width = static_cast<Gint>(std::trunc(xNDC_ps(st.cur_vp.x_max) - x + 1.5));
    rect->height = static_cast<Gint>(std::trunc(yNDC_ps(st.cur_vp.y_max) - y + 1.5));
    return 0;
}

int gset_tran_mult(float x, float y)
{
    xmult = x;
    ymult = y;
    return 0;
}

int greset_clip() { return 0; }

int gprint_win()
{
    std::printf("C-%d: %7.3f %7.3f %7.3f %7.3f\n", st.cur_trans, st.cur_wn.x_min, st.cur_wn.x_max,
                st.cur_wn.y_min, st.cur_wn.y_max);
    for (int i = 0; i < 4; i++)
        std::printf("W-%d: %7.3f %7.3f %7.3f %7.3f\n", i, st.wn[i].x_min, st.wn[i].x_max, st.wn[i].y_min,
                    st.wn[i].y_max);
    return 0;
}
