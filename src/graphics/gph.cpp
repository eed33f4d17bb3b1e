// The convenience drawing layer: opens and closes the graphics for a plot, lays out the plot
// panel on the display, applies attribute sets to the kernel's attributes and draws the few
// compound shapes and formatted texts that plotting code needs.  Beyond the panel geometry, the
// open flag, the workstation type and the default font name everything is the kernel's.
#include "vykgks.h"
#include "vyk.h"
#include "vykresrc.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

int ws_open = 0;   // 1 while the kernel and the workstation are open
int wk_type = 0;   // workstation type in use
int wk_itype = 0;  // type as the caller asked for it; back into flag 2 at the close
float xvp = 1.0f, yvp = 1.0f;      // the display in NDC, the longer side 1
float sizex = 1.0f, sizey = 1.0f;  // view area, fractions of the display
float offx = 0.0f, offy = 0.0f;
char font_name[20] = "";  // default font of GPH_text_font(NULL)

constexpr int PPRINTF_BUF = 60;
constexpr int PRINTF_BUF = 100;
constexpr int DEVICE_WORD = 10;  // a device word of at most 9 characters
constexpr double DEG_TO_RAD = 0.017453292519943334;

// The 37 points of a circle, the first and last coinciding.
void circle_points(float x, float y, float rad, Gpt *pts)
{
    for (int i = 0; i <= 36; i++) {
        const float deg = 10.0f * static_cast<float>(i);
        const double a = static_cast<double>(deg) * DEG_TO_RAD;
        pts[i].x = static_cast<float>(static_cast<double>(x) + static_cast<double>(rad) * std::cos(a));
        pts[i].y = static_cast<float>(static_cast<double>(y) + static_cast<double>(rad) * std::sin(a));
    }
}

void rect_points(float x1, float y1, float x2, float y2, Gpt *pts)
{
    pts[0] = {x1, y1};
    pts[1] = {x2, y1};
    pts[2] = {x2, y2};
    pts[3] = {x1, y2};
    pts[4] = {x1, y1};
}

bool is_set(int v) { return v != VYK_MISS; }
bool is_set(float v) { return !VYK_is_miss(v); }

// Places a fitted extent `view` along one axis of [lo, hi] (its extent diff): 2 centred, 3 at
// the upper end, else from 0.
void place(int center, float lo, float hi, float diff, float view, float &out_min, float &out_max)
{
    if (center == 2) {
        out_min = lo + diff / 2 - view / 2;
        out_max = lo + diff / 2 + view / 2;
    } else if (center == 3) {
        out_min = hi - view;
        out_max = hi;
    } else {
        out_min = 0;
        out_max = view;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------------------------

int GPH_setup(Gint *ws_id, Gws_type *ws_type, float asp_ratio, Glim *offset)
{
    const char *conn = nullptr;
    RES_getval("device", &conn, CV_device);
    const int flag = FLAG_get(FLAG_DEVICE);
    if (flag >= 1) *ws_type = flag;
    else *ws_type = FLAG_batch() ? GWS_X11 : GWS_ASK;

    GPH_set_win_title();
    CLR_read_table(nullptr);
    int unused = 0;
    RES_getval("draw", &unused, CV_draw);

    GPH_begin(ws_id, conn, ws_type);
    GPH_reset(ws_id, ws_type, asp_ratio, offset);
    return 0;
}

int GPH_begin(Gint *ws_id, const char *conn_id, Gws_type *ws_type)
{
    FILE_delete("vykgks.err");
    *ws_id = 1;
    wk_itype = *ws_type;
    if (*ws_type == GWS_ASK) {
        char answer[DEVICE_WORD] = "";
        VYK_prompts("Display (D) or Postscript (P): ", answer, DEVICE_WORD);
        answer[DEVICE_WORD - 1] = '\0';
        *ws_type = RES_set_device(answer);
        FLAG_set(FLAG_DEVICE, *ws_type);
    }
    wk_type = *ws_type;
    if (ws_open == 0) {
        if (gopen_gks(nullptr, 0) != 0) {
            MESS_print(M_ERROR, "GPH_begin: Error opening Kernel System\n");
            gemergency_close_gks();
            VYK_exit(VYK_EXIT_GRAPHICS);
        }
        if (gopen_ws(*ws_id, conn_id, *ws_type) != 0) {
            MESS_print(M_ERROR, "GPH_begin: Error opening workstation\n");
            VYK_exit(VYK_EXIT_GRAPHICS);
        }
    }
    ws_open = 1;
    gactivate_ws(*ws_id);
    return 0;
}

int GPH_reset(Gint *ws_id, Gws_type *ws_type, float asp_ratio, Glim *offset)
{
    gclear_ws(*ws_id, GALWAYS);
    ginq_maxview(*ws_type, &xvp, &yvp);
    const Glim disp = {0, xvp, 0, yvp};
    gset_ws_win(*ws_id, &disp);
    gset_vp(1, &disp);
    gset_win(1, &disp);
    GPH_panel(ws_id, ws_type, asp_ratio, offset);
    const int num = CLR_get_num();
    for (int i = 0; i < num; i++) {
        Gcolr_rep rep;
        CLR_get_rgb(i, &rep.red, &rep.green, &rep.blue);
        gset_colr_rep(*ws_id, i, &rep);
    }
    GPH_text_font(nullptr);
    return 0;
}

int GPH_panel(Gint *, Gws_type *, float asp_ratio, Glim *offset)
{
    const Glim lim = {xvp * (offset->x_min * sizex + offx),
                      xvp * (sizex + offx - offset->x_max * sizex),
                      yvp * (offset->y_min * sizey + offy),
                      yvp * (sizey + offy - offset->y_max * sizey)};
    Gaspect asp;
    if (asp_ratio == 0) asp = {sizex * xvp, sizey * yvp};
    else asp = {asp_ratio, 1};
    Glim panel;
    gset_aspect(&lim, &panel, asp, Gcenter{2, 2});
    for (int t = 2; t <= 3; t++) {
        gset_vp(t, &panel);
        gset_win(t, &panel);
    }
    GPH_line_attr(nullptr);
    GPH_fill_attr(nullptr);
    GPH_mark_attr(nullptr, 1.0f);
    GPH_text_attr(nullptr, 1.0f);
    *offset = panel;
    return 0;
}

int GPH_end(Gint ws_id)
{
    gdeactivate_ws(ws_id);
    const int closed = gclose_ws(ws_id);
    gclose_gks();
    ws_open = 0;
    FLAG_set(FLAG_DEVICE, wk_itype);
    return closed;
}

int GPH_hold(Gint ws_id)
{
    // Only the X11 types have a window to copy the picture to, and only the own window holds.
    gupdate_window();
    ghold(ws_id);
    return 0;
}

int GPH_set_win_title()
{
    const char *name = RES_get("name");
    char prog[FILE_NAME_MAX + 1];
    RES_get_progname(prog, sizeof prog);
    gset_prog_name(name ? name : prog);

    const char *title = RES_get("title");
    if (title) gset_win_title(title);
    else if (name) gset_win_title(name[0] == '+' ? name + 1 : name);
    else gset_win_title(prog);
    return 0;
}

int GPH_device_prompt(int *ws_type)
{
    if (*ws_type != GWS_ASK) return 0;
    std::fputs("Display (D) or Postscript (P): ", stdout);
    std::fflush(stdout);
    char word[DEVICE_WORD] = "";
    if (std::scanf("%9s", word) != 1) word[0] = '\0';
    *ws_type = (word[0] == 'P' || word[0] == 'p') ? GWS_PS : GWS_X11;
    return 0;
}

int gdevice_setup(const char *str, char *conn_id, size_t size)
{
    if (size == 0) size = FILE_NAME_MAX + 1;
    if (conn_id) conn_id[0] = '\0';
    if (!str) return RES_set_device("");
    char word[DEVICE_WORD];
    const char *comma = std::strchr(str, ',');
    const size_t len = comma ? static_cast<size_t>(comma - str) : std::strlen(str);
    strfcpy(word, str, len);
    if (comma && conn_id) strfcpy(conn_id, size, comma + 1);
    return RES_set_device(word);
}

// ---------------------------------------------------------------------------------------------
// View geometry
// ---------------------------------------------------------------------------------------------

int GPH_set_view_size(float sx, float sy, float ox, float oy)
{
    sizex = sx;
    sizey = sy;
    offx = ox;
    offy = oy;
    return 0;
}

int GPH_get_view_size(Glim *limit)
{
    limit->x_min = offx * xvp;
    limit->x_max = (offx + sizex) * xvp;
    limit->y_min = offy * yvp;
    limit->y_max = (offy + sizey) * yvp;
    return 0;
}

float GPH_get_vert_win_size() { return yvp; }

Gint ginq_maxview(Gint ws_type, Gfloat *x, Gfloat *y)
{
    Gint err = 0;
    Gdsp_size size{};
    ginq_disp_space_size(ws_type, &err, &size);
    const float w = size.coord_size.x, h = size.coord_size.y;
    // A display without extent has no shape either: treated like an error.
    if (err < 0 || !(w > 0) || !(h > 0)) {
        *x = 1;
        *y = 1;
        return err < 0 ? err : 0;
    }
    if (w > h) {
        *x = 1;
        *y = h / w;
    } else if (h > w) {
        *y = 1;
        *x = w / h;
    } else {
        *x = 1;
        *y = 1;
    }
    return 0;
}

int gset_aspect(const Glim *vin, Glim *vout, Gaspect asp, Gcenter center)
{
    const float xdiff = vin->x_max - vin->x_min;
    const float ydiff = vin->y_max - vin->y_min;
    float xview, yview;
    if (asp.y / ydiff > asp.x / xdiff) {
        yview = ydiff;
        xview = asp.x * ydiff / asp.y;
    } else {
        xview = xdiff;
        yview = asp.y * xdiff / asp.x;
    }
    place(center.x, vin->x_min, vin->x_max, xdiff, xview, vout->x_min, vout->x_max);
    place(center.y, vin->y_min, vin->y_max, ydiff, yview, vout->y_min, vout->y_max);
    return 0;
}

Gint GPH_trans(Gint trans) { return gsel_norm_tran(trans); }
Gint GPH_view(Gint tran, const Glim *view) { return gset_vp(tran, view); }
Gint GPH_win(Gint tran, const Glim *win) { return gset_win(tran, win); }

int GPH_get_view(Gint tran, Glim *view)
{
    Gint err = 0;
    Gtran t{};
    ginq_norm_tran(tran, &err, &t);
    *view = t.vp;
    return 0;
}

int GPH_get_win(Gint tran, Glim *win)
{
    Gint err = 0;
    Gtran t{};
    ginq_norm_tran(tran, &err, &t);
    *win = t.win;
    return 0;
}

int GPH_print_view(const Glim *view)
{
    MESS_print(M_PRINT, "%5.2f %5.2f %5.2f %5.2f\n", static_cast<double>(view->x_min),
               static_cast<double>(view->x_max), static_cast<double>(view->y_min),
               static_cast<double>(view->y_max));
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

int GPH_line_attr(const Gattribs *attrib)
{
    if (!attrib) {
        gset_linetype(1);
        gset_linewidth(0);
        return 0;
    }
    if (is_set(attrib->color) && attrib->color >= 0) gset_line_colr_ind(attrib->color);
    if (is_set(attrib->style)) gset_linetype(attrib->style);
    if (is_set(attrib->width)) gset_linewidth(attrib->width);
    return 0;
}

int GPH_fill_attr(const Gattribs *attrib)
{
    if (!attrib) {
        gset_fill_int_style(GSOLID);
        return 0;
    }
    if (is_set(attrib->color) && attrib->color >= 0) gset_fill_colr_ind(attrib->color);
    if (is_set(attrib->fill_pat)) {
        if (attrib->fill_pat == 0) {
            gset_fill_int_style(GSOLID);
        } else {
            gset_fill_int_style(GPAT);
            gset_fill_style_ind(attrib->fill_pat);
        }
    }
    return 0;
}

int GPH_mark_attr(const Gattribs *attrib, float scale)
{
    if (!attrib) {
        gset_marker_width(0);
        return 0;
    }
    if (is_set(attrib->color) && attrib->color >= 0) gset_marker_colr_ind(attrib->color);
    if (is_set(attrib->style)) gset_marker_type(attrib->style);
    if (is_set(attrib->height)) gset_marker_size(attrib->height * scale);
    else if (scale > 0) gset_marker_size(scale);
    if (is_set(attrib->width)) gset_marker_width(attrib->width);
    return 0;
}

int GPH_text_attr(const Gattribs *attrib, float scale)
{
    if (!attrib) {
        gset_text_width(0);
        gset_expan(1);
        return -1;
    }
    if (is_set(attrib->color) && attrib->color >= 0) gset_text_colr_ind(attrib->color);
    gset_char_ht(is_set(attrib->height) ? attrib->height * scale : scale);
    if (is_set(attrib->width)) gset_text_width(attrib->width);
    if (is_set(attrib->expan)) gset_expan(attrib->expan);
    if (is_set(attrib->font)) {
        const Gfontprec fp = {attrib->font, GSTROKE_PREC};
        gset_fontprec(&fp);
    }
    gset_space(0.25f);
    return 0;
}

int GPH_set_color(int ind, float red, float grn, float blu)
{
    const Gcolr_rep rep = {red, grn, blu};
    gset_colr_rep(1, ind, &rep);
    return 0;
}

int GPH_text_font(const char *str)
{
    const Gfontprec fp = {gget_font_index(str ? str : font_name), GSTROKE_PREC};
    gset_fontprec(&fp);
    return 0;
}

int GPH_set_def_font(const char *str)
{
    strfcpy(font_name, str);
    return 0;
}

Gint GPH_text_align(int x, int y)
{
    const Gtext_align align = {static_cast<Gtext_hor>(x), static_cast<Gtext_ver>(y)};
    return gset_text_align(&align);
}

int GPH_get_text_align(int *x, int *y)
{
    Gint err = 0;
    Gtext_align align{};
    ginq_text_align(&err, &align);
    *x = align.hor;
    *y = align.ver;
    return 0;
}

Gint GPH_text_rotate(float rot)
{
    const double a = static_cast<double>(rot) * DEG_TO_RAD;
    const Gpt up = {static_cast<float>(std::sin(a)), static_cast<float>(std::cos(a))};
    return gset_char_up_vec(&up);
}

// ---------------------------------------------------------------------------------------------
// Shapes and texts
// ---------------------------------------------------------------------------------------------

int GPH_line(float x1, float y1, float x2, float y2)
{
    const Gpt pts[2] = {{x1, y1}, {x2, y2}};
    gpolyline(2, pts);
    return 0;
}

int GPH_mark(float x1, float y1)
{
    const Gpt pt = {x1, y1};
    gpolymarker(1, &pt);
    return 0;
}

int GPH_border(const Glim *limit)
{
    Gpt pts[5];
    rect_points(limit->x_min, limit->y_min, limit->x_max, limit->y_max, pts);
    gpolyline(5, pts);
    return 0;
}

int GPH_rect(float x1, float y1, float x2, float y2)
{
    Gpt pts[5];
    rect_points(x1, y1, x2, y2, pts);
    gpolyline(5, pts);
    return 0;
}

int GPH_frect(float x1, float y1, float x2, float y2)
{
    Gpt pts[5];
    rect_points(x1, y1, x2, y2, pts);
    gfill_area(5, pts);
    return 0;
}

int GPH_circle(float x, float y, float rad)
{
    Gpt pts[37];
    circle_points(x, y, rad, pts);
    gpolyline(37, pts);
    return 0;
}

int GPH_fcircle(float x, float y, float rad)
{
    Gpt pts[37];
    circle_points(x, y, rad, pts);
    gfill_area(37, pts);
    return 0;
}

int GPH_pprint(const Gpt *pt, const char *str)
{
    gtext(pt, str);
    return 0;
}

// The formatted texts are cut at their buffers' ends.
int GPH_pprintf(const Gpt *pt, const char *format, ...)
{
    char buf[PPRINTF_BUF];
    va_list ap;
    va_start(ap, format);
    if (std::vsnprintf(buf, sizeof buf, format, ap) < 0) buf[0] = '\0';
    va_end(ap);
    gtext(pt, buf);
    return 0;
}

int GPH_printf(float x1, float y1, const char *format, ...)
{
    char buf[PRINTF_BUF];
    va_list ap;
    va_start(ap, format);
    if (std::vsnprintf(buf, sizeof buf, format, ap) < 0) buf[0] = '\0';
    va_end(ap);
    const Gpt pt = {x1, y1};
    gtext(&pt, buf);
    return 0;
}
