// Animation frames and zoom: a table of up to 128 frames held as pixmaps of the own window's
// size, shown one after another with a delay per frame, and the magnification of the shown
// picture by an integer factor through pixel replication.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int MAX_FRAMES = 128;
constexpr int DATA_SIZE = 50;
constexpr int MAX_ZOOM = 1024;
constexpr float START_DELAY = 0.5f;
constexpr float SLEEP_SLICE = 0.2f;

// Frame indexes with a meaning of their own.
constexpr int LAST = -1;
constexpr int CURRENT = -2;
constexpr int BASE = -3;
constexpr int ALL_BUT_LAST = -4;

struct Frame {
    char filename[160];
    unsigned char data[DATA_SIZE];
    int data_size;
    Pixmap pixmap;
    Colormap colormap;
    float delay;
    int flag;
};

constexpr Frame empty_frame()
{
    Frame f{};
    f.delay = START_DELAY;
    f.flag = 1;
    return f;
}

constexpr std::array<Frame, MAX_FRAMES> empty_table()
{
    std::array<Frame, MAX_FRAMES> table{};
    for (Frame &f : table) f = empty_frame();
    return table;
}

std::array<Frame, MAX_FRAMES> images = empty_table();
int num_images = 0;
int cur_image = -1;
int looping = 0;
int loop_direct = 1;
float loop_delay = START_DELAY;
float loop_pause = 1.0f;
int loop_title = 1;

int zoom = 1;
double zoom_x = 0, zoom_y = 0;  // centre of the magnified region in the unmagnified picture
Pixmap base_image = 0;

bool can_draw() { return gget_display() && gget_draw_window(); }

// The slot that a frame index names (-1 the last frame, -2 the current one); -1 when it names
// no slot of the table.
int slot_of(int ind)
{
    if (ind == LAST) ind = num_images - 1;
    else if (ind == CURRENT) ind = cur_image;
    return ind >= 0 && ind < MAX_FRAMES ? ind : -1;
}

// The pixmap of a frame index (-3 the base pixmap); 0 when there is none.
Pixmap pixmap_of(int ind)
{
    if (ind == BASE) return gget_base_window();
    const int slot = slot_of(ind);
    return slot < 0 ? 0 : images[slot].pixmap;
}

// Releases a frame's pixmap.  The base pixmap is never released through a frame, and a
// drawing target that goes with the pixmap falls back to the base pixmap.
void release(Pixmap &pix)
{
    Display *display = gget_display();
    if (pix && display && pix != gget_base_window()) {
        if (gget_draw_window() == pix) gset_draw_window(0);
        XFreePixmap(display, pix);
    }
    pix = 0;
}

void looping_message()
{
    if (looping == 1) {
        gset_cursor(3);
        MESS_print(M_OUT4, "Looping initiated\n");
    } else {
        gset_cursor(4);
        MESS_print(M_OUT4, "Looping stopped\n");
    }
}

// Replicates a W x H picture held in img (src: a copy of its data) about the region starting at
// column a and row b; every source index is clamped to the picture.
void replicate(XImage *img, const std::vector<char> &src, int W, int H, int a, int b, int f)
{
    const int bpl = img->bytes_per_line;
    const int bpp = img->bits_per_pixel;
    if (bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32) {
        const int bytes = bpp / 8;
        const size_t row_bytes = static_cast<size_t>(W) * static_cast<size_t>(bytes);
        int prev = -1;
        for (int r = 0; r < H; r++) {
            const int sr = std::min(b + r / f, H - 1);
            char *out = img->data + static_cast<ptrdiff_t>(r) * bpl;
            if (sr == prev) {
                std::memcpy(out, out - bpl, row_bytes);
                continue;
            }
            prev = sr;
            const char *in = src.data() + static_cast<ptrdiff_t>(sr) * bpl;
            int sc = a;
            for (int k = 0; k < W; sc++) {
                const char *pixel = in + static_cast<ptrdiff_t>(std::min(sc, W - 1)) * bytes;
                for (int j = 0; j < f && k < W; j++, k++)
                    std::memcpy(out + static_cast<ptrdiff_t>(k) * bytes, pixel,
                                static_cast<size_t>(bytes));
            }
        }
        return;
    }
    // Pixels smaller than a byte (or of unusual size): through the image's own pixel access,
    // which knows the bit and byte order of the server.
    XImage copy = *img;
    copy.data = const_cast<char *>(src.data());
    for (int r = 0; r < H; r++) {
        const int sr = std::min(b + r / f, H - 1);
        for (int k = 0; k < W; k++) {
            const int sc = std::min(a + k / f, W - 1);
            XPutPixel(img, k, r, XGetPixel(&copy, sc, sr));
        }
    }
}

// The total magnification and the factor applied to the source of a zoom request; false after
// a message for factor 0 and a total beyond MAX_ZOOM.
bool zoom_factors(int factor, bool from_frame, long long &total, long long &f)
{
    if (factor == 0) {
        gerr_printf("gzoom", "Invalid zoom factor: %d", factor);
        return false;
    } else if (factor == -1) {
        total = zoom;
        f = from_frame ? zoom : 1;
    } else if (factor < -1) {
        total = static_cast<long long>(zoom) * -static_cast<long long>(factor);
        f = from_frame ? total : -static_cast<long long>(factor);
    } else {
        total = from_frame ? factor : static_cast<long long>(zoom) * factor;
        f = factor;
    }
    if (total > MAX_ZOOM) {
        gerr_printf("gzoom", "Cannot zoom past %dx", MAX_ZOOM);
        return false;
    }
    return true;
}

// The upper left corner (a, b) of the source region that a factor fi magnifies about window
// position (x, y) (-1: the present centre), held inside the picture; the centre of the
// magnified picture follows it.
void zoom_region(int x, int y, int W, int H, int fi, bool from_frame, int &a, int &b)
{
    // The centre in pixels of the source picture.
    int cx, cy;
    if (x == -1) {
        if (from_frame || zoom == 1) {
            cx = static_cast<int>(zoom_x);
            cy = static_cast<int>(zoom_y);
        } else {
            cx = W / 2;  // the middle of the picture as shown
            cy = H / 2;
        }
    } else if (from_frame && zoom != 1) {
        cx = (x - W / 2) / zoom + static_cast<int>(zoom_x);
        cy = (y - H / 2) / zoom + static_cast<int>(zoom_y);
    } else {
        cx = x;
        cy = y;
    }
    const int d = W / fi, c = H / fi;
    a = cx - d / 2;
    if (a < 0) a = 0;
    if (a + d > W) a = std::max(0, W - (W + 1) / fi);
    b = cy - c / 2;
    if (b < 0) b = 0;
    if (b + c > H) b = std::max(0, H - (H + 1) / fi);
    if (from_frame || zoom == 1) {
        zoom_x = a + d / 2;
        zoom_y = b + c / 2;
    } else {
        // The shown picture was already magnified: the centre moves in its pixels.
        zoom_x += (a + d / 2 - W / 2) / static_cast<double>(zoom);
        zoom_y += (b + c / 2 - H / 2) / static_cast<double>(zoom);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The frame table
// ---------------------------------------------------------------------------------------------

int ginit_loop()
{
    images = empty_table();
    num_images = 0;
    cur_image = -1;
    return 0;
}

int gget_num_images() { return num_images; }
int gget_cur_frame() { return cur_image; }

int gcreate_frame(int ind)
{
    Display *display = gget_display();
    if (!display || !gget_draw_window()) return 0;
    if (ind < 0) ind = num_images;
    if (ind >= MAX_FRAMES) return 0;
    Frame &frame = images[ind];
    if (!frame.pixmap) {
        int width, height;
        gget_win_size(&width, &height);
        const Window win = gget_root_window();
        if (width < 1 || height < 1 || !win) return 0;
        frame.pixmap = XCreatePixmap(display, win, static_cast<unsigned>(width),
                                     static_cast<unsigned>(height),
                                     static_cast<unsigned>(gget_win_depth()));
    }
    gclear_frame(ind);
    if (ind > 0) images[ind - 1].delay = loop_delay;
    if (num_images < MAX_FRAMES) images[num_images].delay = loop_pause;
    XSync(display, False);
    MESS_print(M_OUT4, "Created frame: %d-%ld\n", num_images, static_cast<long>(frame.pixmap));
    if (ind == num_images) num_images++;
    return ind;
}

int gclear_frame(int ind)
{
    Display *display = gget_display();
    GC gc = gget_root_gc();
    if (!display || !gget_draw_window() || !gc) return 0;
    const Pixmap pix = pixmap_of(ind);
    if (!pix) return ind == BASE || slot_of(ind) >= 0 ? 0 : -1;
    int width, height;
    gget_win_size(&width, &height);
    if (width < 1 || height < 1) return 0;
    const int back = gget_back_color();
    XSetForeground(display, gc, back >= 0 ? static_cast<unsigned long>(back) : gx_get_back_colr());
    XFillRectangle(display, pix, gc, 0, 0, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    return 0;
}

int gselect_frame(int ind)
{
    const Pixmap pix = pixmap_of(ind);
    if (!pix) {
        gerr_printf("gselect_frame", "no such frame: %d", ind);
        return -1;
    }
    gset_redraw(0);
    gset_draw_window(ind == BASE ? 0 : pix);
    MESS_print(M_OUT4, "Selected frame: %d\n", ind);
    return 0;
}

int gswitch_frame(int ind1, int ind2)
{
    const int s1 = ind1 == BASE ? BASE : slot_of(ind1);
    const int s2 = ind2 == BASE ? BASE : slot_of(ind2);
    if (s1 == -1 || s2 == -1) return -1;
    if (s1 == s2) return 0;
    const Pixmap p1 = pixmap_of(s1), p2 = pixmap_of(s2);
    // The base pixmap must always exist: a frame without a picture cannot take its place.
    if ((s1 == BASE && !p2) || (s2 == BASE && !p1)) return -1;
    const Drawable draw = gget_draw_window();
    auto put = [](int slot, Pixmap pix) {
        if (slot == BASE) gset_base_window(pix);
        else images[slot].pixmap = pix;
    };
    put(s1, p2);
    put(s2, p1);
    if (draw && draw == p1) gset_draw_window(p2);
    else if (draw && draw == p2) gset_draw_window(p1);
    return 0;
}

int gcopy_frame(int dest, int src)
{
    Display *display = gget_display();
    GC gc = gget_root_gc();
    if (!display || !gget_draw_window() || !gc) return 0;
    const Pixmap to = pixmap_of(dest), from = pixmap_of(src);
    if (!to || !from) return 0;
    MESS_print(M_DEBUG_C, "Copy frame: %d->%d\n", src, dest);
    int x, y, width, height;
    gget_win_offset(&x, &y);
    gget_win_size(&width, &height);
    if (width < 1 || height < 1) return 0;
    XCopyArea(display, from, to, gc, x, y, static_cast<unsigned>(width),
              static_cast<unsigned>(height), x, y);
    return 0;
}

int gdisplay_frame(int ind)
{
    if (!can_draw()) return 0;
    if (ind >= MAX_FRAMES) return -1;
    if (num_images == 0) {
        // No frames: the window shows the base pixmap as it is.
        gupdate_window();
        return 0;
    }
    if (cur_image < 0) cur_image = 0;
    if (ind < 0) ind = cur_image;
    if (zoom == 1) gcopy_frame(BASE, ind);
    else gzoom(ind, -1, -1, -1, 1);
    gupdate_window();
    if (loop_title && num_images >= 1) {
        char extra[16];
        std::snprintf(extra, sizeof extra, "[%d]", ind);
        gset_win_title_extra(extra);
    }
    MESS_print(M_DEBUG_C, "Display frame: %d\n", ind);
    cur_image = ind;
    return 0;
}

int gdelete_all_frames()
{
    for (Frame &f : images) release(f.pixmap);
    return 0;
}

int gdelete_frame(int ind)
{
    if (!can_draw()) return 0;
    // A request that names no frame changes nothing.
    if ((ind == LAST && num_images == 0) || (ind == CURRENT && cur_image < 0)) return 0;
    if (ind < CURRENT) return 0;
    ind = slot_of(ind);
    if (ind < 0) return 0;
    if (ind >= num_images) {
        release(images[ind].pixmap);
        return 1;
    }
    // The only frame keeps its pixmap alive: it may still be the target of another drawer.
    if (!(ind == 0 && num_images == 1)) release(images[ind].pixmap);
    for (int i = ind; i < num_images - 1; i++) images[i] = images[i + 1];
    images[num_images - 1].pixmap = 0;
    if (ind == num_images - 1 && num_images >= 2) {
        images[ind - 1].delay = loop_pause;
        images[ind].delay = loop_delay;
    }
    num_images--;
    if (num_images <= 0) {
        num_images = 0;
        Display *display = gget_display();
        if (const Window win = gget_root_window()) XClearWindow(display, win);
    }
    if (cur_image == num_images) cur_image--;
    if (num_images > 0 && ind == cur_image) gdisplay_frame(ind);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Looping
// ---------------------------------------------------------------------------------------------

int gset_looping(int ind)
{
    looping = ind;
    looping_message();
    return 0;
}

int gtoggle_loop(int val)
{
    if (val == 1 || val == 0) looping = val;
    else looping = looping == 1 ? 0 : 1;
    looping_message();
    gsync();
    return 0;
}

int gget_looping() { return looping; }

int gset_loop_direct(int ind)
{
    loop_direct = ind;
    return 0;
}

int gget_loop_direct() { return loop_direct; }

int gset_loop_delay(int ind, float delay)
{
    if (ind == ALL_BUT_LAST) {
        loop_delay = delay;
        for (int i = 0; i < num_images - 1; i++) images[i].delay = delay;
        return 0;
    }
    if (ind < CURRENT) return -1;
    const int slot = slot_of(ind);
    if (slot < 0) return -1;
    images[slot].delay = delay;
    return 0;
}

int ginc_loop_delay(float inc)
{
    loop_delay += inc;
    if (!(loop_delay >= 0)) loop_delay = 0;
    for (int i = 0; i < num_images - 1; i++) images[i].delay = loop_delay;
    if (inc > 0) MESS_print(M_OUT4, "Loop delay incremented to: %2.2f\n", loop_delay);
    else MESS_print(M_OUT4, "Loop delay decremented to: %2.2f\n", loop_delay);
    return 0;
}

float gget_loop_delay() { return loop_delay; }

float gget_frame_delay(int ind)
{
    if (ind < CURRENT) return 0;
    const int slot = slot_of(ind);
    return slot < 0 ? 0 : images[slot].delay;
}

int ginc_frame(int step)
{
    if (num_images <= 0) return -1;
    long long next;
    if (cur_image < 0) next = 0;
    else if (step != 0) next = static_cast<long long>(cur_image) + step;
    else next = cur_image + ((loop_direct & 1) ? 1 : -1);
    MESS_print(M_DEBUG_C, "INC: %d-%d %d-%lld\n", step, loop_direct, cur_image, next);
    if (next > num_images - 1) {
        if (loop_direct > 1) {
            next = num_images >= 2 ? num_images - 2 : 0;
            loop_direct = 2;
        } else {
            next = 0;
        }
    } else if (next < 0) {
        if (loop_direct > 1) {
            next = num_images >= 2 ? 1 : 0;
            loop_direct = 3;
        } else {
            next = num_images - 1;
        }
    }
    return static_cast<int>(next);
}

int gloop_sleep()
{
    for (;;) {
        if (cur_image < 0 || cur_image >= num_images || cur_image >= MAX_FRAMES) return -1;
        const float left = images[cur_image].delay - VYK_elapse_time();
        if (!(left > 0)) return 0;
        gcheck_event();
        VYK_sleep(std::min(left, SLEEP_SLICE));
    }
}

// ---------------------------------------------------------------------------------------------
// Frame ids and data
// ---------------------------------------------------------------------------------------------

Pixmap gget_frame_id(int ind) { return pixmap_of(ind); }

int gset_frame_id(int ind, Pixmap id)
{
    if (ind < CURRENT) return -1;
    const int slot = slot_of(ind);
    if (slot < 0) return -1;
    images[slot].pixmap = id;
    return 0;
}

int gset_image_data(int ind, const void *data, int size)
{
    if (ind < CURRENT) return -1;
    const int slot = slot_of(ind);
    if (slot < 0) return -1;
    if (!data || size < 0) size = 0;
    if (size > DATA_SIZE) size = DATA_SIZE;
    if (size > 0) std::memcpy(images[slot].data, data, static_cast<size_t>(size));
    images[slot].data_size = size;
    return 0;
}

int gget_image_data(int ind, void *data)
{
    if (ind < CURRENT) return -1;
    const int slot = slot_of(ind);
    if (slot < 0 || !data) return -1;
    const int size = std::clamp(images[slot].data_size, 0, DATA_SIZE);
    if (size > 0) std::memcpy(data, images[slot].data, static_cast<size_t>(size));
    return 0;
}

int gprint_frame_ids()
{
    std::printf("ROOT: %d\n", static_cast<int>(gget_root_window()));
    std::printf(" WIN: %d\n", static_cast<int>(gget_base_window()));
    for (int i = 0; i < num_images; i++)
        std::printf("%4d: %d\n", i, static_cast<int>(images[i].pixmap));
    std::fflush(stdout);
    return 0;
}

int gset_loop_title(int val)
{
    loop_title = val;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Zoom
// ---------------------------------------------------------------------------------------------

int gget_zoom() { return zoom; }

float xZ_p(float x)
{
    if (zoom == 1) return x;
    return static_cast<float>(zoom_x + (x - gget_window_width() / 2) / static_cast<double>(zoom));
}

float yZ_p(float y)
{
    if (zoom == 1) return y;
    return static_cast<float>(zoom_y + (y - gget_window_height() / 2) / static_cast<double>(zoom));
}

int gzoom(int ind, int x, int y, int factor, int flag)
{
    // A loop window's pixmap belongs to its program.
    if (!(gdev().caps & GDEV_OWN_WINDOW)) return 0;
    if (zoom == 1 && flag) return 0;
    Display *display = gget_display();
    const Pixmap base = gget_base_window();
    GC gc = gget_root_gc();
    if (!display || !base || !gc) return 0;
    int W, H;
    gget_win_size(&W, &H);
    if (W < 1 || H < 1) return 0;

    // The source: the unmagnified frame when there is one (the total factor then applies),
    // else the picture as shown (the factor then applies on top of the present one).
    const int slot = num_images > 0 ? slot_of(ind) : -1;
    const bool from_frame = slot >= 0 && slot < num_images && images[slot].pixmap;
    if (flag && !from_frame) return 0;  // only a frame can be shown again magnified
    long long total, f;
    if (!zoom_factors(factor, from_frame, total, f)) return 0;

    const Pixmap source = from_frame ? images[slot].pixmap : base;
    gclear_Xerror();
    gset_Xerror_print(0);
    XImage *img = XGetImage(display, source, 0, 0, static_cast<unsigned>(W),
                            static_cast<unsigned>(H), AllPlanes, ZPixmap);
    XSync(display, False);
    gset_Xerror_print(1);
    if (!img) return 0;
    if (!from_frame && zoom == 1 && !flag) {
        // The unmagnified picture, for gunzoom.
        if (base_image) XFreePixmap(display, base_image);
        base_image = XCreatePixmap(display, base, static_cast<unsigned>(W),
                                   static_cast<unsigned>(H),
                                   static_cast<unsigned>(gget_win_depth()));
        XCopyArea(display, base, base_image, gc, 0, 0, static_cast<unsigned>(W),
                  static_cast<unsigned>(H), 0, 0);
    }

    const int fi = static_cast<int>(f);
    int a, b;
    zoom_region(x, y, W, H, fi, from_frame, a, b);
    zoom = static_cast<int>(total);
    if (fi > 1 || a != 0 || b != 0) {
        const size_t bytes = static_cast<size_t>(img->bytes_per_line) * static_cast<size_t>(H);
        std::vector<char> copy(img->data, img->data + bytes);
        replicate(img, copy, W, H, a, b, fi);
    }
    XPutImage(display, base, gc, img, 0, 0, 0, 0, static_cast<unsigned>(W),
              static_cast<unsigned>(H));
    XSync(display, False);
    XDestroyImage(img);
    gupdate_window();
    return 1;
}

int gunzoom()
{
    if (!(gdev().caps & GDEV_OWN_WINDOW) || zoom == 1) return 0;
    zoom = 1;
    zoom_x = zoom_y = 0;
    Display *display = gget_display();
    if (base_image) {
        const Pixmap base = gget_base_window();
        GC gc = gget_root_gc();
        if (display && base && gc) {
            int W, H;
            gget_win_size(&W, &H);
            if (W > 0 && H > 0)
                XCopyArea(display, base_image, base, gc, 0, 0, static_cast<unsigned>(W),
                          static_cast<unsigned>(H), 0, 0);
        }
        if (display) XFreePixmap(display, base_image);
        gupdate_window();
    } else {
        gdisplay_frame(CURRENT);
    }
    base_image = 0;
    return 0;
}

int greset_zoom()
{
    if (zoom == 1) return 0;
    if (base_image)
        if (Display *display = gget_display()) XFreePixmap(display, base_image);
    base_image = 0;
    zoom = 1;
    zoom_x = zoom_y = 0;
    return 0;
}
