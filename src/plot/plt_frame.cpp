// The plot frame: opens the graphics kernel and its workstation for a data area of a given
// aspect inside margins, lays it out again for a re-plot or a panel, writes the image dumps of
// the finished picture, detaches batch runs whose close would hold a window, holds the window
// and closes it.  The margins, the border and the full-area labels are the layout settings of
// plt_layout.cpp.
//
// Batch runs: only a close that would hold a window (the own X11 window or a loop-window
// workstation, with no image dump) detaches into the background; a plot written to a file or
// dumped finishes in the foreground, so that its end status tells whether its output was
// written (PLT_close fails after a failed dump or a device file that could not be written).
#include "vyk.h"
#include "gks.h"
#include "cont.h"
#include "vykdom.h"
#include "plt_frame.h"
#include "vykgks.h"
#include "img.h"
#include "plt_label.h"
#include "vykresrc.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int PLOT_TYPE_NONE = 99;  // flag 11: nothing is plotted
constexpr int MAX_PANELS = 8;       // panel grids: at most 8 by 8

struct State {
    Gint work_id = 0;
    Gws_type wk_type = 0;
    Glim dis_view = {0, 1, 0, 1};          // the data area (NDC)
    int bar = 0;                           // colour bar claims
    // Image dumps: the template of each kind asked for (empty: not asked for).
    std::string dump_file[PLT_DUMP_KINDS];
    bool output_failed = false;            // a dump of this plot could not be written
};

State st;

// ---------------------------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------------------------

bool nothing_to_plot()
{
    return FLAG_getplot(PLOT_ALL) == 0 || FLAG_get(FLAG_PLOT_TYPE) == PLOT_TYPE_NONE;
}

// An aspect the layout can use: a positive finite number (else 1, with a warning).
float usable_aspect(const char *func, float aspect)
{
    if (std::isfinite(aspect) && aspect > 0) return aspect;
    MESS_print(M_WARN, "%s: aspect ratio %g is not positive; 1 is used\n", func,
               static_cast<double>(aspect));
    return 1.0f;
}

// ---------------------------------------------------------------------------------------------
// Image dumps
// ---------------------------------------------------------------------------------------------

struct DumpKind {
    const char *name;     // in messages
    const char *suffix;   // of the default name and of every name of the kind
    int (*write)(const char *filename);
    const char *wrote;    // the success message
};

const DumpKind dump_kinds[PLT_DUMP_KINDS] = {
    {"", "", nullptr, ""},
    {"xdump", ".xwd", XWD_dump, "Wrote xdump file: %s\n"},
    {"GIF", ".gif", GIF_dump, "Wrote GIF file: %s\n"},
    {"IMG", ".img", IMG_dump, "Wrote IMG file: %s\n"},
    {"PNG", ".png", PNG_dump, "Wrote PNG file: %s\n"},
};

bool valid_kind(int kind) { return kind > PLT_DUMP_NONE && kind < PLT_DUMP_KINDS; }

// Where the suffix of a file name begins (its last '.' after the last '/'), npos for none.
size_t suffix_at(const std::string &name)
{
    const size_t dot = name.rfind('.');
    const size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

// A template whose suffix names another image kind gets the suffix of its own kind.
std::string own_suffix(int kind, const std::string &name)
{
    const size_t at = suffix_at(name);
    if (at == std::string::npos) return name;
    const std::string suffix = name.substr(at);
    for (int k = 1; k < PLT_DUMP_KINDS; k++) {
        if (k == kind || stricmp(suffix.c_str(), dump_kinds[k].suffix) != 0) continue;
        const std::string fixed = name.substr(0, at) + dump_kinds[kind].suffix;
        MESS_print(M_WARN, "PLT_set_dump: a %s dump is named %s, not %s\n", dump_kinds[kind].name,
                   fixed.c_str(), name.c_str());
        return fixed;
    }
    return name;
}

// True when a convention's template holds the frame directive %i (with or without a width).
bool has_frame_directive(const char *tmpl)
{
    for (const char *p = tmpl; *p; p++) {
        if (*p != '%') continue;
        const char *q = p + 1;
        while (*q >= '0' && *q <= '9') q++;
        if (*q == 'i') return true;
        if (*q == '%') p = q;  // "%%" is a literal '%'
    }
    return false;
}

// The frames of a series each get their number in the name: "-%i" goes before the suffix of a
// convention that does not place it itself.
std::string frame_template(const std::string &tmpl)
{
    if (has_frame_directive(tmpl.c_str())) return tmpl;
    const size_t at = suffix_at(tmpl);
    if (at == std::string::npos) return tmpl + "-%i";
    return tmpl.substr(0, at) + "-%i" + tmpl.substr(at);
}

// Writes one file of a kind with the current convention and keys.
void write_dump(int kind, const Date &date)
{
    const DumpKind &k = dump_kinds[kind];
    char name[FILE_NAME_MAX + 1];
    char full[FILE_NAME_MAX + 1];
    Date d = date;
    FILE_set_filename("");  // without a date the last name built would be taken again
    if (FILE_set_date(&d, name) < 0) {
        MESS_print(M_WARN, "PLT_dump: Unable to write %s file: %s\n", k.name, name);
        st.output_failed = true;
        return;
    }
    FILE_add_path(RES_get("image_path"), name, full);
    if (k.write(full)) {
        MESS_print(M_MESS, k.wrote, full);
    } else {
        MESS_print(M_WARN, "PLT_dump: Unable to write %s file: %s\n", k.name, full);
        st.output_failed = true;
    }
}

void set_frame_key(int frame)
{
    char text[16];
    std::snprintf(text, sizeof text, "%2.2d", frame);
    FILE_set_key('i', text);
}

// Every file of one kind: one per loop image, one of a chosen loop image, or the window.
void dump_kind(int kind, int frame, const Date &date)
{
    const int images = gget_num_images();
    const bool series = frame == PLT_DUMP_ALL_FRAMES && images > 1;
    FILE_set_name(st.dump_file[kind].c_str());
    const std::string conv = FILE_get_template();
    if (series && !conv.empty() && !has_frame_directive(conv.c_str())) {
        std::string with_frame = "@";
        with_frame += frame_template(conv);
        FILE_set_name(with_frame.c_str());
    }
    FILE_set_key('p', gget_win_title());
    if (series) {
        for (int i = 0; i < images; i++) {
            set_frame_key(i);
            gselect_frame(i);
            write_dump(kind, date);
        }
    } else if (images > 0) {
        set_frame_key(gget_cur_frame());
        gselect_frame(frame);
        write_dump(kind, date);
    } else {
        FILE_set_key('i', "win");
        write_dump(kind, date);
    }
}

// ---------------------------------------------------------------------------------------------
// Panels
// ---------------------------------------------------------------------------------------------

// Reads "SXxSY+OX+OY"; the count of numbers read in order.
int read_geometry(const char *str, float (&v)[4])
{
    static constexpr char seps[4] = {'\0', 'x', '+', '+'};
    const char *p = str;
    const char *end = str + std::strlen(str);
    for (int i = 0; i < 4; i++) {
        if (i > 0) {
            if (*p != seps[i]) return i;
            p++;
        }
        float value = 0;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || !std::isfinite(value)) return i;
        v[i] = value;
        p = next;
    }
    return 4;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Opening, resetting, panels, closing
// ---------------------------------------------------------------------------------------------

int PLT_open(float aspect)
{
    PLT_param_decode();
    PLT_get_view_offsets(&st.dis_view);
    st.output_failed = false;
    if (nothing_to_plot()) return -1;
    GPH_setup(&st.work_id, &st.wk_type, usable_aspect("PLT_open", aspect), &st.dis_view);
    return 0;
}

int PLT_reset(float aspect)
{
    PLT_get_view_offsets(&st.dis_view);
    const int type = PLT_get_label_type();
    if (type < 0) PLT_set_label_type(PLT_LABEL_SIMPLE);
    else if (type > 0) PLT_set_label_type(PLT_LABEL_COMPLETE);
    if (nothing_to_plot()) return -1;
    if (!gchk_graphics()) {
        MESS_print(M_WARN, "PLT_reset: no plot is open\n");
        return -1;
    }
    GPH_reset(&st.work_id, &st.wk_type, usable_aspect("PLT_reset", aspect), &st.dis_view);
    return 0;
}

int PLT_panel(float aspect)
{
    if (aspect == 0) {
        const float h = st.dis_view.y_max - st.dis_view.y_min;
        aspect = h > 0 ? (st.dis_view.x_max - st.dis_view.x_min) / h : 1.0f;
    }
    PLT_get_view_offsets(&st.dis_view);
    GPH_panel(&st.work_id, &st.wk_type, usable_aspect("PLT_panel", aspect), &st.dis_view);
    return 0;
}

int PLT_close()
{
    const bool open = gchk_graphics();
    const bool plotted = FLAG_get(FLAG_PLOT_TYPE) != PLOT_TYPE_NONE;
    const bool window = gtype_is_WIN_PIX() != 0;  // the kernel's own window or the loop window
    const bool hold = open && plotted && PLT_get_dump() == 0;
    if (FLAG_batch() && hold && window && VYK_back_proc() == 0) VYK_exit(VYK_EXIT_REDIRECT);
    if (!plotted || !open) {
        PLT_init_labels();
        return -1;
    }
    GPH_trans(2);
    if (hold) GPH_hold(st.work_id);
    gclear_ws(st.work_id, GALWAYS);
    const int closed = GPH_end(st.work_id);
    PLT_init_labels();
    const bool failed = closed != 0 || st.output_failed;
    st.output_failed = false;
    return failed ? -1 : 0;
}

void PLT_exit(int val)
{
    if (gchk_graphics()) GPH_end(st.work_id);
    VYK_exit(val);
}

int PLT_mess(const char *format, ...)
{
    char text[PLT_MESS_MAX + 1];
    va_list ap;
    va_start(ap, format);
    if (std::vsnprintf(text, sizeof text, format ? format : "", ap) < 0) text[0] = '\0';
    va_end(ap);
    gmessage(st.work_id, text);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The data area and the colour bar
// ---------------------------------------------------------------------------------------------

int PLT_get_view(Glim *view)
{
    if (view) *view = st.dis_view;
    return 0;
}

int PLT_get_work_type() { return st.wk_type; }

int PLT_set_bar(int val)
{
    st.bar = val;
    return 0;
}

int PLT_bar()
{
    if (st.bar != 0 || CONT_get_bar() <= 0) return 0;
    st.bar++;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Image dumps
// ---------------------------------------------------------------------------------------------

int PLT_set_dump(int type, const char *filename)
{
    if (type == PLT_DUMP_NONE) {
        for (std::string &f : st.dump_file) f.clear();
        return 0;
    }
    if (!valid_kind(type)) {
        MESS_print(M_WARN, "PLT_set_dump: unknown dump kind %d\n", type);
        return -1;
    }
    std::string name = filename && filename[0] ? filename : std::string("vyk") + dump_kinds[type].suffix;
    if (name.size() > static_cast<size_t>(PLT_DUMP_NAME_MAX)) {
        MESS_print(M_WARN, "PLT_set_dump: file name longer than %d characters refused\n",
                   PLT_DUMP_NAME_MAX);
        return -1;
    }
    st.dump_file[type] = own_suffix(type, name);
    return 0;
}

int PLT_get_dump()
{
    int kinds = 0;
    for (int k = 1; k < PLT_DUMP_KINDS; k++)
        if (!st.dump_file[k].empty()) kinds |= 1 << k;
    return kinds;
}

int PLT_dump(int frame)
{
    if (PLT_get_dump() == 0) return -1;
    Date date;
    FILE_get_date(&date);
    FILE_save_name_conv();
    for (int k = 1; k < PLT_DUMP_KINDS; k++)
        if (!st.dump_file[k].empty()) dump_kind(k, frame, date);
    FILE_restore_name_conv();
    return 0;
}

int PLT_panel_decode(const char *str)
{
    float v[4] = {1, 1, 0, 0};
    if (!str || read_geometry(str, v) != 4) return -1;
    float sx = v[0], sy = v[1], ox = v[2], oy = v[3];
    if (sx > 1) {
        const float cols = std::clamp(std::floor(sx), 1.0f, static_cast<float>(MAX_PANELS));
        const float rows = std::clamp(std::floor(sy), 1.0f, static_cast<float>(MAX_PANELS));
        const float col = std::clamp(ox, 0.0f, cols - 1);
        const float row = std::clamp(oy, 0.0f, rows - 1);
        sx = 1 / cols;
        sy = 1 / rows;
        ox = col / cols;
        oy = 1 - (1 + row) / rows;
    } else if (!(sx > 0) || !(sy > 0)) {
        MESS_print(M_WARN, "PLT_panel_decode: empty view: %s\n", str);
        return -1;
    }
    GPH_set_view_size(sx, sy, ox, oy);
    return 0;
}
