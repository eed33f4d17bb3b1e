// The display list: while recording is on, every drawing call and attribute change on the own
// window is kept as an object (its code, one value and a copy of its data) in a singly linked
// list, which can be replayed onto the window, into PostScript or into a metafile, and from which
// segments can be removed.  The count of objects requested paces the event handling of long
// drawings: every 500th request handles the queued events, whether it is recorded or not.
#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int EVENT_PACE = 500;
// The request count starts again here (a multiple of the pace) long before it could overflow.
constexpr int COUNT_WRAP = EVENT_PACE * 2000000;

// An object and its data live in one block: the data follows the object at this offset.
constexpr size_t DATA_OFFSET =
    (sizeof(drawobj) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
    alignof(std::max_align_t);

drawobj root{0, nullptr, 0, nullptr};  // the head; root.next is the first object
drawobj *last = &root;                 // the append point; none after an allocation failure
int num_objects = 0;                   // requests since the list was initialised
int redraw = 1;                        // recording
int action = 1;                        // event processing
int redrawn = 0;                       // a replay has finished
int replaying = 0;                     // a replay walks the list
bool clear_pending = false;            // the list was cleared while a replay walked it

void release(drawobj *obj)
{
    if (obj->type == GOBJ_CALLBACK && obj->data)
        std::free(static_cast<redraw_func *>(obj->data)->data);
    obj->~drawobj();
    std::free(obj);
}

void release_all()
{
    drawobj *obj = root.next;
    while (obj) {
        drawobj *next = obj->next;
        release(obj);
        obj = next;
    }
    root.next = nullptr;
    last = &root;
}

// Data of an object as a value of type T (the blocks hold copies of plain records).
template <class T> T value_of(const drawobj *obj)
{
    T v;
    std::memcpy(&v, obj->data, sizeof v);
    return v;
}

// The file name of a replay: the first variable that is set, else the default.
const char *output_name(const char *env1, const char *env2, const char *fallback)
{
    if (const char *name = std::getenv(env1)) return name;
    if (env2)
        if (const char *name = std::getenv(env2)) return name;
    return fallback;
}

// The objects that carry a value only, and the calls that replay them.
struct ValueCall {
    int code;
    Gint (*call)(Gint);
};
constexpr ValueCall value_calls[] = {
    {GOBJ_NORM_TRAN, gsel_norm_tran},
    {GOBJ_LINETYPE, gset_linetype},
    {GOBJ_LINE_COLR, gset_line_colr_ind},
    {GOBJ_LINE_BOLD, gset_line_print_bold},
    {GOBJ_MARKER_TYPE, gset_marker_type},
    {GOBJ_MARKER_COLR, gset_marker_colr_ind},
    {GOBJ_TEXT_COLR, gset_text_colr_ind},
    {GOBJ_FILL_STYLE, [](Gint v) { return gset_fill_int_style(static_cast<Gfill_int_style>(v)); }},
    {GOBJ_FILL_STYLE_IND, gset_fill_style_ind},
    {GOBJ_FILL_COLR, gset_fill_colr_ind},
    {GOBJ_FILL_SOLID, gset_fill_print_solid},
};

// Replays an object that carries data.
void replay_data(const drawobj &obj)
{
    const int v = obj.values;
    const auto *points = static_cast<const Gpt *>(obj.data);
    switch (obj.type) {
    case GOBJ_MESSAGE: gmessage(1, static_cast<const char *>(obj.data)); break;
    case GOBJ_WS_VP: {
        const Glim lim = value_of<Glim>(&obj);
        gset_ws_vp(1, &lim);
        break;
    }
    case GOBJ_WS_WIN: {
        const Glim lim = value_of<Glim>(&obj);
        gset_ws_win(1, &lim);
        break;
    }
    case GOBJ_VP: {
        const Glim lim = value_of<Glim>(&obj);
        gset_vp(v, &lim);
        break;
    }
    case GOBJ_WIN: {
        const Glim lim = value_of<Glim>(&obj);
        gset_win(v, &lim);
        break;
    }
    case GOBJ_COLR_REP: {
        const Gcolr_rep rep = value_of<Gcolr_rep>(&obj);
        gset_colr_rep(1, v, &rep);
        break;
    }
    case GOBJ_CLEAR_REGION: {
        const Glim lim = value_of<Glim>(&obj);
        gclear_region(&lim);
        break;
    }
    case GOBJ_POLYLINE: gpolyline(v, points); break;
    case GOBJ_LINEWIDTH: gset_linewidth(value_of<float>(&obj)); break;
    case GOBJ_POLYMARKER: gpolymarker(v, points); break;
    case GOBJ_MARKER_SIZE: gset_marker_size(value_of<float>(&obj)); break;
    case GOBJ_MARKER_WIDTH: gset_marker_width(value_of<float>(&obj)); break;
    case GOBJ_TEXT: {
        const Gpt pos = value_of<Gpt>(&obj);
        gtext(&pos, static_cast<const char *>(obj.data) + sizeof(Gpt));
        break;
    }
    case GOBJ_SPACE: gset_space(value_of<float>(&obj)); break;
    case GOBJ_CHAR_SPACE: gset_char_space(value_of<float>(&obj)); break;
    case GOBJ_EXPAN: gset_expan(value_of<float>(&obj)); break;
    case GOBJ_CHAR_HT: gset_char_ht(value_of<float>(&obj)); break;
    case GOBJ_CHAR_UP_VEC: {
        const Gpt up = value_of<Gpt>(&obj);
        gset_char_up_vec(&up);
        break;
    }
    case GOBJ_FONTPREC: {
        const Gfontprec font = value_of<Gfontprec>(&obj);
        gset_fontprec(&font);
        break;
    }
    case GOBJ_TEXT_ALIGN: {
        const Gtext_align align = value_of<Gtext_align>(&obj);
        gset_text_align(&align);
        break;
    }
    case GOBJ_TEXT_WIDTH: gset_text_width(value_of<float>(&obj)); break;
    case GOBJ_FILL_AREA: gfill_area(v, points); break;
    case GOBJ_CALLBACK: {
        const redraw_func record = value_of<redraw_func>(&obj);
        if (record.func) record.func(record.data);
        break;
    }
    default: break;  // segment brackets and unknown codes draw nothing
    }
}

// A replay of the list into a page device's output: the file of the first environment
// variable that is set, else the default name.
struct Print {
    Gws_type type;
    const char *env1, *env2, *fallback;
    const char *func, *open_error;  // the report when the output cannot be opened
    const char *empty;              // the warning of an empty list
    bool page;                      // the kernel starts on a page of its own
};

// Replays the list onto the print's device and comes back to the workstation as it was:
// type, cursor, recording, event processing and (after a page) device size.
int print_list(const Print &p)
{
    const Gws_type type = gget_win_type();
    const int recording = redraw;
    const int events = action;
    int width, height;
    gget_win_size(&width, &height);
    const int cursor = gset_cursor(8);
    gset_win_type(p.type);
    const Gdevice &dev = gdev();
    if (dev.open_file(output_name(p.env1, p.env2, p.fallback)) != 0) {
        gerr_printf(p.func, "%s", p.open_error);
        gset_win_type(type);
        gset_cursor(cursor);
        return -1;
    }
    if (p.page) {
        gset_win_size(757, 577);
        ginit_plot(dev.init_kind);
    }
    redraw = 0;
    if (!root.next) MESS_print(M_WARN, "%s", p.empty);
    gobj_replay();
    dev.close();
    gset_win_type(type);
    gset_cursor(cursor);
    redraw = recording;
    action = events;
    if (p.page) gset_win_size(width, height);
    gcheck_event();
    gbell(50);
    redrawn = 1;
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The list
// ---------------------------------------------------------------------------------------------

int ginit_objs()
{
    num_objects = 0;
    // A list left by an earlier workstation is released, not lost.
    gclear_objs();
    const char *setting = std::getenv("vykredraw");
    if (!setting) setting = gx_get_default("redraw");
    if (setting && stricmp(setting, "no") == 0) redraw = 0;
    return 0;
}

void *gnew_obj(int type, int values, int size, const void *data)
{
    if (++num_objects % EVENT_PACE == 0) {
        if (num_objects >= COUNT_WRAP) num_objects = 0;
        gcheck_event();
    }
    if (!redraw || !last) return nullptr;
    const size_t bytes = size > 0 ? static_cast<size_t>(size) : 0;
    void *block = std::malloc(DATA_OFFSET + bytes);
    if (!block) {
        if (bytes > 0) {
            // Dropped: an object without its data could not be replayed.
            gerr_printf("newobj", "data malloc error\n");
        } else {
            gerr_printf("newobj", "malloc error\n");
            last = nullptr;
        }
        return nullptr;
    }
    void *own = bytes > 0 ? static_cast<char *>(block) + DATA_OFFSET : nullptr;
    if (own && data) std::memcpy(own, data, bytes);
    drawobj *obj = new (block) drawobj{type, nullptr, values, own};
    last->next = obj;
    last = obj;
    return own;
}

void gnew_points(int type, Gint n, const Gpt *points)
{
    const bool fits = n <= INT_MAX / static_cast<Gint>(sizeof(Gpt));
    gnew_obj(type, n, fits ? n * static_cast<int>(sizeof(Gpt)) : 0, fits ? points : nullptr);
}

int gclear_objs()
{
    // A callback run by a replay must not pull the list from under the walk: the list is
    // released when the walk ends.
    if (replaying) {
        clear_pending = true;
        return 0;
    }
    release_all();
    return 0;
}

int gdel_seg_objs(Gint seg_name)
{
    if (!redraw) return -1;
    action = 0;
    redraw = 0;
    drawobj *prev = &root;
    while (drawobj *obj = prev->next) {
        if (obj->type != GOBJ_SEG_START || obj->values != seg_name) {
            prev = obj;
            continue;
        }
        // The run: from the start object up to and including the matching end object.
        drawobj *after = obj;
        for (;;) {
            drawobj *next = after->next;
            const bool end = after->type == GOBJ_SEG_END && after->values == seg_name;
            if (after == last) last = prev;
            release(after);
            after = next;
            if (end || !after) break;
        }
        prev->next = after;
    }
    action = 1;
    redraw = 1;
    return 0;
}

int gset_redraw(int val)
{
    const int previous = redraw;
    redraw = val;
    return previous;
}

int gget_redraw() { return redraw; }

int gset_cache(int val)
{
    action = val;
    return 0;
}

int gget_cache() { return action; }

int gset_redraw_func(void (*func)(void *), void *data)
{
    void *block = gnew_obj(GOBJ_CALLBACK, 1, sizeof(redraw_func), nullptr);
    if (!block) {
        std::free(data);
        return 0;
    }
    const redraw_func record{func, data};
    std::memcpy(block, &record, sizeof record);
    return 0;
}

const drawobj *gobj_first() { return root.next; }

// ---------------------------------------------------------------------------------------------
// Replays
// ---------------------------------------------------------------------------------------------

int gobj_redraw_funcs(const drawobj *ptr)
{
    if (!ptr) return 0;
    for (const ValueCall &row : value_calls)
        if (row.code == ptr->type) {
            row.call(ptr->values);
            return 0;
        }
    // Every other code carries data; an object without it is skipped.
    if (ptr->data) replay_data(*ptr);
    return 0;
}

int gobj_replay()
{
    int count = 0;
    replaying++;
    for (const drawobj *obj = root.next; obj && !clear_pending; obj = obj->next) {
        action = 0;
        redraw = 0;
        gobj_redraw_funcs(obj);
        count++;
    }
    action = 0;
    redraw = 0;
    if (--replaying == 0 && clear_pending) {
        clear_pending = false;
        release_all();
    }
    return count;
}

int gobj_redraw_plot()
{
    if (!redraw) return -1;
    gresize_window(0, 0);
    const int cursor = gset_cursor(8);
    ginit_plot(GINIT_REDRAW);
    redrawn = 0;
    gobj_replay();
    action = 1;
    redraw = 1;
    gset_cursor(cursor);
    gcheck_event();
    redrawn = 1;
    return 0;
}

int gobj_print_plot()
{
    // The page of a print: 757 x 577 points.
    return print_list({GWS_PS, "vykps_print", "PSPRINT", "vyk.ps", "gprint_plot",
                       "unable to open postscript file\n",
                       "gobj_print_plot: No redraw data to make Postscript file from\n", true});
}

int gobj_print_meta()
{
    return print_list({GWS_META, "METAOUT", nullptr, "vyk.meta", "gprint_meta",
                       "unable to open metafile\n",
                       "gobj_print_meta: No redraw data to make metafile from\n", false});
}
