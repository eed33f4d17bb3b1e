// img_window.cpp: raster images and the window.  Draws image records into the current viewport
// (opaque, or with the image's background colour left transparent; the opaque form also goes
// into PostScript output), adapts image pixels to the display (workstation colours for the
// palette on colour-mapped displays, packed colour values on TrueColor displays of 15, 16 and
// 24 bits), captures the window picture into a record and saves it as GIF, PNG or XWD.
#include "gks.h"
#include "gks_x11.h"
#include "gks_internal.h"
#include "vyk.h"
#include "vykgks.h"
#include "img.h"

#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int SAVE_GIF = 56;
constexpr int SAVE_PNG = 58;

int output_type = SAVE_GIF;

// Single bits of packed 1-bit pixels and of masks, least significant bit first.
constexpr unsigned char bit_of[9] = {1, 2, 4, 8, 16, 32, 64, 128, 0};

// Count of zero bits below a mask and of its one bits.
int mask_shift(unsigned long mask)
{
    int n = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        n++;
    }
    return n;
}

int mask_width(unsigned long mask)
{
    int n = 0;
    for (; mask; mask >>= 1)
        if (mask & 1) n++;
    return n;
}

// Masks of the screen's TrueColor visual of a depth; false when the screen has none.
bool true_color_masks(int depth, unsigned long &red, unsigned long &grn, unsigned long &blu)
{
    Display *display = gget_display();
    XVisualInfo info;
    if (!display || !XMatchVisualInfo(display, gget_screen(), depth, TrueColor, &info))
        return false;
    red = info.red_mask;
    grn = info.green_mask;
    blu = info.blue_mask;
    return true;
}

// The palette colour of an image pixel value; a value beyond the table takes entry 0.
const IMG_color &palette_colour(const IMG_report *image, int value)
{
    return image->colors[value < image->num_colors ? value : 0];
}

// True when the record's pixel area holds the rows it claims (bytes_line x height bytes and at
// least `min_line` bytes a row).
bool has_rows(const IMG_report *image, long min_line)
{
    return image && image->data && image->width > 0 && image->height > 0 &&
           image->width <= IMG_MAX_SIZE && image->height <= IMG_MAX_SIZE &&
           image->bytes_line >= min_line && image->bytes_line <= IMG_MAX_BYTES &&
           static_cast<long>(image->bytes_line) * image->height <= IMG_MAX_BYTES;
}

// Where an image's top-left pixel lands: x, y are counted from the viewport's left and top
// edges, or from its right and bottom edges when negative.
void place(const IMG_report *image, int &x, int &y, XRectangle &vp)
{
    gget_xviewport(&vp);
    x = x >= 0 ? vp.x + x : vp.x + vp.width + x - image->width;
    y = y >= 0 ? vp.y + y : vp.y + vp.height + y - image->height;
}

// Puts a built X image at a placed point, clipped to the viewport's size and the image.
void put_image(XImage &ximage, int x, int y, const XRectangle &vp)
{
    const unsigned w = vp.width < ximage.width ? vp.width : static_cast<unsigned>(ximage.width);
    const unsigned h =
        vp.height < ximage.height ? vp.height : static_cast<unsigned>(ximage.height);
    if (w == 0 || h == 0) return;
    XPutImage(gget_display(), gget_draw_window(), gget_root_gc(), &ximage, 0, 0, x, y, w, h);
}

void release_converted(const IMG_report *image, XImage &ximage)
{
    if (ximage.data && reinterpret_cast<unsigned char *>(ximage.data) != image->data)
        std::free(ximage.data);
    ximage.data = nullptr;
}

// The value of pixel `col` in row `row` of an X image, in its byte and bit order.
unsigned long ximage_pixel(const XImage &xi, int row, int col)
{
    const unsigned char *line =
        reinterpret_cast<const unsigned char *>(xi.data) +
        static_cast<long>(xi.bytes_per_line) * row;
    const int bpp = xi.bits_per_pixel;
    if (bpp == 1) return (line[col >> 3] & bit_of[col & 7]) ? 1 : 0;
    if (bpp == 4) {
        const unsigned char b = line[col >> 1];
        return (col & 1) ? (b & 15) : (b >> 4);
    }
    const int n = bpp / 8;
    const unsigned char *p = line + static_cast<long>(col) * n;
    unsigned long v = 0;
    if (xi.byte_order == MSBFirst)
        for (int k = 0; k < n; k++) v = (v << 8) | p[k];
    else
        for (int k = n - 1; k >= 0; k--) v = (v << 8) | p[k];
    if (xi.depth < 32) v &= (1UL << xi.depth) - 1;
    return v;
}

// The fields of an X image that draws the record on a window of depth d, and the length of its
// rows in bytes; false after a message when the record's size cannot be drawn.
bool ximage_layout(const IMG_report *image, int d, XImage *ximage, long &line)
{
    std::memset(ximage, 0, sizeof *ximage);
    const int width = image->width, height = image->height;
    if (width <= 0 || height <= 0 || width > IMG_MAX_SIZE || height > IMG_MAX_SIZE ||
        !image->data) {
        MESS_print(M_WARN, "gset_ximage_params: Invalid image size: %dx%d\n", width, height);
        return false;
    }
    ximage->width = width;
    ximage->height = height;
    ximage->xoffset = 0;
    ximage->format = ZPixmap;
    ximage->byte_order = image->byte_order ? MSBFirst : LSBFirst;
    ximage->bitmap_bit_order = ximage->byte_order;
    ximage->bitmap_unit = 32;
    ximage->bitmap_pad = 32;
    ximage->depth = d;
    const bool deep = image->depth == 24;
    ximage->bits_per_pixel = deep ? image->bits_pixel : (d == 15 ? 16 : d);
    if (deep) {
        line = image->bytes_line;
    } else {
        switch (d) {
        case 24: line = 3L * width; break;
        case 16:
        case 15: line = 2L * width; break;
        case 8: line = width; break;
        case 4: line = (width + 1L) / 2; break;
        case 1: line = (width + 7L) / 8; break;
        default: line = (static_cast<long>(width) * (d > 0 ? d : 8) + 7) / 8; break;
        }
    }
    if (ximage->bits_per_pixel <= 0 || ximage->bits_per_pixel > 32 ||
        line < (static_cast<long>(width) * ximage->bits_per_pixel + 7) / 8 ||
        line * height > IMG_MAX_BYTES) {
        MESS_print(M_WARN, "gset_ximage_params: Invalid image size: %dx%d, %ld bytes per line\n",
                   width, height, line);
        return false;
    }
    return true;
}

// The X image's pixel area: the record's own rows when the depths agree (a padded row keeps
// its length), else an area of zeros of its own; false after a message when the record's rows
// are not all there or the area cannot be allocated.
bool ximage_area(IMG_report *image, bool own, XImage *ximage, long &line)
{
    const int width = image->width, height = image->height;
    auto short_rows = [&](long bytes_line) {
        MESS_print(M_WARN, "gset_ximage_params: Invalid image size: %dx%d, %ld bytes per line\n",
                   width, height, bytes_line);
        return false;
    };
    if (own) {
        if (!has_rows(image, line)) return short_rows(image->bytes_line);
        line = image->bytes_line;
        ximage->data = reinterpret_cast<char *>(image->data);
    } else {
        ximage->data = static_cast<char *>(std::calloc(static_cast<size_t>(line * height), 1));
        if (!ximage->data) return false;
    }
    ximage->bytes_per_line = static_cast<int>(line);
    // Rows of 3-byte pixels need not fill 32-bit units: such rows are padded to bytes.
    if (line % 4) ximage->bitmap_pad = 8;
    ximage->red_mask = ximage->green_mask = ximage->blue_mask = 0xffff;
    if (image->depth == 8 && !own && !has_rows(image, width)) {
        std::free(ximage->data);
        ximage->data = nullptr;
        return short_rows(image->bytes_line);
    }
    return true;
}

// A 24-bit window: the visual's masks; a record of red and blue the other way round has its
// bytes exchanged, an 8-bit record is converted through its colour table (grey without one).
void to_true24(IMG_report *image, bool own, bool from8, XImage &ximage)
{
    unsigned long vr = 0, vg = 0, vb = 0;
    true_color_masks(24, vr, vg, vb);
    if (image->depth == 8) {
        ximage.red_mask = vr;
        ximage.green_mask = vg;
        ximage.blue_mask = vb;
    } else {
        ximage.red_mask = image->red;
        ximage.green_mask = image->grn;
        ximage.blue_mask = image->blu;
    }
    const int width = image->width, height = image->height;
    const int bpp = image->bits_pixel;
    if (own && (bpp == 24 || bpp == 32) && image->red != vr) {
        // Red and blue stand the other way round: exchange their bytes (the outer two of the
        // three colour bytes, which a 4-byte pixel holds at its end when the most significant
        // byte comes first), and the record's masks with them, so that the record stays true to
        // its pixels.
        const int n = bpp / 8;
        const int first = n == 4 && image->byte_order ? 1 : 0;
        for (int row = 0; row < height; row++) {
            unsigned char *p = image->data + static_cast<long>(image->bytes_line) * row + first;
            for (int col = 0; col < width; col++, p += n) std::swap(p[0], p[2]);
        }
        std::swap(image->red, image->blu);
        ximage.red_mask = image->red;
        ximage.blue_mask = image->blu;
        return;
    }
    if (!from8) return;
    const bool table = image->num_colors > 0 && image->colors;
    const bool rgb = ximage.blue_mask == 0xff;
    auto *out = reinterpret_cast<unsigned char *>(ximage.data);
    for (int row = 0; row < height; row++) {
        const unsigned char *src = image->data + static_cast<long>(image->bytes_line) * row;
        unsigned char *dst = out + static_cast<long>(ximage.bytes_per_line) * row;
        for (int col = 0; col < width; col++, dst += 3) {
            const unsigned char v = src[col];
            if (!table) {
                dst[0] = dst[1] = dst[2] = v;
                continue;
            }
            const IMG_color &c = palette_colour(image, v);
            const auto r = static_cast<unsigned char>(c.r * 255);
            const auto g = static_cast<unsigned char>(c.g * 255);
            const auto b = static_cast<unsigned char>(c.b * 255);
            dst[0] = rgb ? r : b;
            dst[1] = g;
            dst[2] = rgb ? b : r;
        }
    }
}

// A 15- or 16-bit window: the visual's masks; an 8-bit record is packed through its colour
// table (its values as they are without one).
void to_true16(const IMG_report *image, bool from8, XImage &ximage)
{
    unsigned long vr = 0, vg = 0, vb = 0;
    if (true_color_masks(ximage.depth, vr, vg, vb)) {
        ximage.red_mask = vr;
        ximage.green_mask = vg;
        ximage.blue_mask = vb;
    }
    const int rs = mask_shift(vr), gs = mask_shift(vg), bs = mask_shift(vb);
    const int rw = mask_width(vr), gw = mask_width(vg), bw = mask_width(vb);
    const int rmax = (1 << rw) - 1, gmax = (1 << gw) - 1, bmax = (1 << bw) - 1;
    MESS_print(M_DEBUG_C, "mask: %d-%d-%d %d-%d-%d %d-%d-%d\n", rs, rw, rmax, gs, gw, gmax, bs, bw,
               bmax);
    if (!from8) return;
    const bool table = image->num_colors > 0 && image->colors;
    const bool high_first = ximage.byte_order == MSBFirst;
    auto *out = reinterpret_cast<unsigned char *>(ximage.data);
    for (int row = 0; row < image->height; row++) {
        const unsigned char *src = image->data + static_cast<long>(image->bytes_line) * row;
        unsigned char *dst = out + static_cast<long>(ximage.bytes_per_line) * row;
        for (int col = 0; col < image->width; col++, dst += 2) {
            const unsigned char v = src[col];
            unsigned hi = v, lo = v;
            if (table) {
                const IMG_color &c = palette_colour(image, v);
                const unsigned value = (static_cast<unsigned>(rmax * c.r) << rs) +
                                       (static_cast<unsigned>(gmax * c.g) << gs) +
                                       (static_cast<unsigned>(bmax * c.b) << bs);
                hi = (value >> 8) & 0xff;
                lo = value & 0xff;
            }
            dst[0] = static_cast<unsigned char>(high_first ? hi : lo);
            dst[1] = static_cast<unsigned char>(high_first ? lo : hi);
        }
    }
}

// The fields of an X image, for the debug messages.
void debug_ximage(const XImage &xi)
{
    MESS_print(M_DEBUG, "width: %d\n", xi.width);
    MESS_print(M_DEBUG, "height: %d\n", xi.height);
    MESS_print(M_DEBUG, "xoffset: %d\n", xi.xoffset);
    MESS_print(M_DEBUG, "format: %d\n", xi.format);
    MESS_print(M_DEBUG, "byte_order: %d\n", xi.byte_order);
    MESS_print(M_DEBUG, "bitmap_unit: %d\n", xi.bitmap_unit);
    MESS_print(M_DEBUG, "bitmap_bit_order: %d\n", xi.bitmap_bit_order);
    MESS_print(M_DEBUG, "bitmap_pad: %d\n", xi.bitmap_pad);
    MESS_print(M_DEBUG, "depth: %d\n", xi.depth);
    MESS_print(M_DEBUG, "bits_per_pixel: %d\n", xi.bits_per_pixel);
    MESS_print(M_DEBUG, "bytes_per_line: %d\n", xi.bytes_per_line);
    MESS_print(M_DEBUG, "red_mask: %lX\n", xi.red_mask);
    MESS_print(M_DEBUG, "green_mask: %lX\n", xi.green_mask);
    MESS_print(M_DEBUG, "blue_mask: %lX\n", xi.blue_mask);
}

// Captures the drawing target at the shown window's size into the record (pixels, layout and
// the window name as its info); false after a message.
bool capture(Display *display, IMG_report &image, XWindowAttributes &attrs)
{
    const Window shown = gget_root_window();
    gclear_Xerror();
    gset_Xerror_print(0);
    const Status have_attrs = shown ? XGetWindowAttributes(display, shown, &attrs) : 0;
    if (!have_attrs || gget_Xerror()) {
        gset_Xerror_print(1);
        MESS_print(M_WARN, "gget_image: Can't get target window attributes\n");
        return false;
    }
    const int width = attrs.width, height = attrs.height;

    char *name = nullptr;
    if (XFetchName(display, shown, &name) && name && name[0]) strfcpy(image.info, name);
    else strfcpy(image.info, "xwdump");
    if (name) XFree(name);

    XImage *xi = XGetImage(display, gget_draw_window(), 0, 0, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), AllPlanes, ZPixmap);
    XSync(display, False);
    gset_Xerror_print(1);
    if (!xi) {
        MESS_print(M_WARN, "gget_image: Unable to get image at %dx%d+%d+%d\n", width, height, 0, 0);
        return false;
    }
    image.width = xi->width;
    image.height = xi->height;
    image.bits_pixel = xi->bits_per_pixel;
    image.bytes_line = xi->bytes_per_line;
    image.byte_order = xi->byte_order == MSBFirst ? 1 : 0;
    image.depth = xi->depth;
    const size_t size = static_cast<size_t>(xi->bytes_per_line) * static_cast<size_t>(xi->height);
    image.data = static_cast<unsigned char *>(std::malloc(size ? size : 1));
    if (!image.data) {
        XDestroyImage(xi);
        MESS_print(M_WARN, "gget_image: Unable to allocate data buffer.\n");
        return false;
    }
    std::memcpy(image.data, xi->data, size);

    const Visual *visual = attrs.visual;
    debug_ximage(*xi);
    MESS_print(M_DEBUG, "num colors: %d\n", visual->map_entries);
    MESS_print(M_DEBUG, "red_mask: %lX\n", visual->red_mask);
    MESS_print(M_DEBUG, "green_mask: %lX\n", visual->green_mask);
    MESS_print(M_DEBUG, "blue_mask: %lX\n", visual->blue_mask);
    image.red = static_cast<unsigned int>(xi->red_mask);
    image.grn = static_cast<unsigned int>(xi->green_mask);
    image.blu = static_cast<unsigned int>(xi->blue_mask);
    XDestroyImage(xi);
    return true;
}

// A TrueColor capture: pixels hold their colours through the masks (the visual's when the
// image has none).
void true_color_record(IMG_report &image, const Visual &visual)
{
    image.color_type = IMG_MASKS;
    image.num_colors = 0;
    if (image.red == 0) {
        image.red = static_cast<unsigned int>(visual.red_mask);
        image.grn = static_cast<unsigned int>(visual.green_mask);
        image.blu = static_cast<unsigned int>(visual.blue_mask);
    }
}

// A colour-mapped capture: the colour table is the colormap's cells, in pixel order (for a
// DirectColor visual, pixels stepping through the three masks together).
void colormap_record(Display *display, Colormap cmap, const Visual &visual, IMG_report &image)
{
    image.color_type = IMG_TABLE;
    const int n = visual.map_entries > 0 ? visual.map_entries : 0;
    auto *xcolors = static_cast<XColor *>(std::calloc(n ? n : 1, sizeof(XColor)));
    if (!xcolors) {
        MESS_print(M_WARN, "gget_image: Unable to allocate memory for Xcolors\n");
        return;
    }
    if (visual.c_class == DirectColor) {
        const unsigned long rm = visual.red_mask, gm = visual.green_mask, bm = visual.blue_mask;
        const unsigned long rs = rm & (~rm + 1), gs = gm & (~gm + 1), bs = bm & (~bm + 1);
        unsigned long r = 0, g = 0, b = 0;
        for (int i = 0; i < n; i++) {
            xcolors[i].pixel = r | g | b;
            r += rs;
            if (r > rm) r = 0;
            g += gs;
            if (g > gm) g = 0;
            b += bs;
            if (b > bm) b = 0;
        }
    } else {
        for (int i = 0; i < n; i++) xcolors[i].pixel = static_cast<unsigned long>(i);
    }
    for (int i = 0; i < n; i++) xcolors[i].flags = DoRed | DoGreen | DoBlue;
    if (n) XQueryColors(display, cmap, xcolors, n);
    image.colors = static_cast<IMG_color *>(std::malloc((n ? n : 1) * sizeof(IMG_color)));
    if (!image.colors) {
        MESS_print(M_WARN, "gget_image: Unable to allocate memory for colors\n");
    } else {
        auto unit = [](unsigned short v) {
            const float f = v / 65535.0f;
            return f > 0.99f ? 1.0f : f;
        };
        for (int i = 0; i < n; i++) {
            image.colors[i].r = unit(xcolors[i].red);
            image.colors[i].g = unit(xcolors[i].green);
            image.colors[i].b = unit(xcolors[i].blue);
        }
        image.num_colors = n;
    }
    std::free(xcolors);
}

// Captures the window and writes it with a writer of image files; the writer's result, 0 when
// nothing could be captured.
int dump(const char *file, int (*write)(const char *, IMG_report *))
{
    IMG_report image;
    if (!gget_image(&image)) return 0;
    const int result = write(file, &image);
    IMG_free(&image);
    return result;
}

}  // namespace

int gread_image_file(const char *file, IMG_report *image) { return IMG_read(file, image, IMG_READ_ALL); }

int gquery_image_file(const char *file, IMG_report *image) { return IMG_read(file, image, IMG_READ_HEADER); }

int gsetup_image_colors(IMG_report *image, int transparent)
{
    if (!image || image->num_colors <= 0 || !image->colors) return 0;
    const int depth = gget_win_depth();
    if (depth != 1 && depth != 4 && depth != 8) return 0;  // only colour-mapped displays
    if (!has_rows(image, 1)) return 0;

    // The colour of the transparent pixel, as the colormap holds it.
    float tr = 0, tg = 0, tb = 0;
    bool have_trans = false;
    if (transparent >= 0) {
        Display *display = gget_display();
        if (display) {
            XColor xc{};
            xc.pixel = static_cast<unsigned long>(transparent);
            XQueryColor(display, gget_colormap(), &xc);
            tr = xc.red / 65535.0f;
            tg = xc.green / 65535.0f;
            tb = xc.blue / 65535.0f;
            have_trans = true;
        }
    }

    int map[256];
    for (int &m : map) m = -1;
    const unsigned value_mask = (1u << depth) - 1;
    auto mapped = [&](int value) {
        if (map[value] < 0) {
            const IMG_color &c = palette_colour(image, value);
            const float diff = std::abs(c.r - tr) + std::abs(c.g - tg) + std::abs(c.b - tb);
            int pixel;
            if (have_trans && diff < 0.01f) {
                pixel = transparent;
            } else {
                pixel = galloc_colr(-1, c.r, c.g, c.b);
                if (pixel < 0) pixel = 0;
            }
            map[value] = static_cast<int>(static_cast<unsigned>(pixel) & value_mask);
        }
        return map[value];
    };

    const int per_byte = 8 / depth;
    for (int row = 0; row < image->height; row++) {
        unsigned char *p = image->data + static_cast<long>(image->bytes_line) * row;
        for (int i = 0; i < image->bytes_line; i++, p++) {
            if (per_byte == 1) {
                *p = static_cast<unsigned char>(mapped(*p));
            } else if (per_byte == 2) {
                const int hi = mapped(*p >> 4), lo = mapped(*p & 15);
                *p = static_cast<unsigned char>((hi << 4) | lo);
            } else {
                unsigned char out = 0;
                for (int b = 0; b < 8; b++)
                    if (mapped((*p & bit_of[b]) ? 1 : 0)) out |= bit_of[b];
                *p = out;
            }
        }
    }
    return 0;
}

int gset_ximage_params(IMG_report *image, XImage *ximage)
{
    if (!image || !ximage) return 0;
    const int d = gget_win_depth();
    long line;
    if (!ximage_layout(image, d, ximage, line)) return 0;
    const bool own = d == image->depth;
    if (!ximage_area(image, own, ximage, line)) return 0;
    // An 8-bit source: one byte a pixel, rows of bytes_line bytes.
    const bool from8 = image->depth == 8 && !own;
    if (d == 24) to_true24(image, own, from8, *ximage);
    else if (d == 16 || d == 15) to_true16(image, from8, *ximage);
    // Any other combination keeps the pixels as they are (the record's own area) or an area of
    // zeros (a depth that is not converted).
    debug_ximage(*ximage);
    if (!XInitImage(ximage)) {
        if (!own) std::free(ximage->data);
        ximage->data = nullptr;
        return 0;
    }
    return 1;
}

int gx_put_image(IMG_report *image, int x, int y)
{
    if (!gget_display() || !gget_draw_window()) return 0;
    XRectangle vp;
    place(image, x, y, vp);
    XImage ximage;
    if (!gset_ximage_params(image, &ximage)) return 1;
    put_image(ximage, x, y, vp);
    release_converted(image, ximage);
    return 1;
}

int gload_image(IMG_report *image, int x, int y)
{
    if (!image) return 0;
    gsetup_image_colors(image, -1);
    if (const auto draw = gdev().image) draw(image, x, y);
    return 0;
}

int gload_image_file(const char *file, int x, int y)
{
    // Only a device that draws images reads the file.
    const auto draw = gdev().image;
    if (!draw) return 0;
    IMG_report image;
    if (!gread_image_file(file, &image)) return 0;
    gsetup_image_colors(&image, -1);
    const int drawn = draw(&image, x, y);
    IMG_free(&image);
    return drawn;
}

int goverlay_image(IMG_report *image, const char *background, int x, int y)
{
    Display *display = gget_display();
    if (!image || !display || !gget_draw_window() || !(gdev().caps & GDEV_WINDOW)) return 0;

    // The background pixel: a colour-table name, else an X colour name ("rgb:" forms too), else the
    // window's background.
    const Colormap cmap = gget_colormap();
    long back = -1;
    bool allocated = false;
    if (background && background[0]) {
        const int ind = CLR_get_ind(background);
        if (ind >= 0) {
            back = gget_color_ind(ind);
        } else {
            XColor xc{};
            if (XParseColor(display, cmap, background, &xc) && XAllocColor(display, cmap, &xc)) {
                back = static_cast<long>(xc.pixel);
                allocated = true;
            }
        }
    }
    if (back < 0) back = gget_color_ind(-1);
    if (back < 0) back = static_cast<long>(gx_get_back_colr());

    gsetup_image_colors(image, static_cast<int>(back));
    XImage ximage;
    if (!gset_ximage_params(image, &ximage)) {
        if (allocated) {
            unsigned long pixel = static_cast<unsigned long>(back);
            XFreeColors(display, cmap, &pixel, 1, 0);
        }
        return 0;
    }

    // The clip mask: a bit for every pixel that is not the background, least significant first.
    const int w = ximage.width, h = ximage.height;
    const long mask_line = (w + 7L) / 8;
    auto *mask = static_cast<unsigned char *>(std::calloc(static_cast<size_t>(mask_line * h), 1));
    if (mask) {
        for (int row = 0; row < h; row++) {
            unsigned char *m = mask + mask_line * row;
            for (int col = 0; col < w; col++)
                if (ximage_pixel(ximage, row, col) != static_cast<unsigned long>(back))
                    m[col >> 3] |= bit_of[col & 7];
        }
        const Pixmap bitmap = XCreateBitmapFromData(display, gget_root_window(),
                                                    reinterpret_cast<char *>(mask),
                                                    static_cast<unsigned>(w),
                                                    static_cast<unsigned>(h));
        std::free(mask);
        XRectangle vp;
        place(image, x, y, vp);
        const GC gc = gget_root_gc();
        XSetClipMask(display, gc, bitmap);
        XSetClipOrigin(display, gc, x, y);
        put_image(ximage, x, y, vp);
        XSetClipMask(display, gc, None);
        XSetClipOrigin(display, gc, 0, 0);
        if (bitmap) XFreePixmap(display, bitmap);
    }
    release_converted(image, ximage);
    if (allocated) {
        unsigned long pixel = static_cast<unsigned long>(back);
        XFreeColors(display, cmap, &pixel, 1, 0);
    }
    return 0;
}

int goverlay_image_file(const char *file, const char *background, int x, int y)
{
    if (!gget_display() || !gget_draw_window()) return 0;
    IMG_report image;
    if (gread_image_file(file, &image)) {
        goverlay_image(&image, background, x, y);
        IMG_free(&image);
    }
    return 0;
}

int gset_save_image_type(int type)
{
    output_type = type;
    return 0;
}

int gget_save_image_type() { return output_type; }

int gsave_image_file(const char *file)
{
    if (output_type == SAVE_GIF) return dump(file, GIF_write);
    if (output_type == SAVE_PNG) return dump(file, PNG_write);
    return dump(file, XWD_write);
}

int GIF_dump(const char *filename) { return dump(filename, GIF_write); }
int PNG_dump(const char *filename) { return dump(filename, PNG_write); }
int XWD_dump(const char *filename) { return dump(filename, XWD_write); }

int gget_image(IMG_report *image)
{
    if (!image) return 0;
    IMG_init(image);
    Display *display = gget_display();
    if (!display || !gget_draw_window()) return 0;
    XWindowAttributes attrs;
    if (!capture(display, *image, attrs)) return 0;
    if (!attrs.colormap) image->num_colors = 0;
    else if (attrs.visual->c_class == TrueColor) true_color_record(*image, *attrs.visual);
    else colormap_record(display, attrs.colormap, *attrs.visual, *image);
    XFlush(display);
    return 1;
}
