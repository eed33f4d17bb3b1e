// X window dumps (XWD, file format version 7): a 100-byte header of 25 big-endian 32-bit
// fields, the window name with its zero byte, the colour map (12 bytes an entry) and the pixel
// rows as they are.  Image reading falls back on this reader for every file it does not
// recognise otherwise.
#include "img.h"
#include "img_internal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The header fields in file order.
enum {
    H_HEADER_SIZE, H_FILE_VERSION, H_PIXMAP_FORMAT, H_PIXMAP_DEPTH, H_PIXMAP_WIDTH,
    H_PIXMAP_HEIGHT, H_XOFFSET, H_BYTE_ORDER, H_BITMAP_UNIT, H_BITMAP_BIT_ORDER, H_BITMAP_PAD,
    H_BITS_PER_PIXEL, H_BYTES_PER_LINE, H_VISUAL_CLASS, H_RED_MASK, H_GREEN_MASK, H_BLUE_MASK,
    H_BITS_PER_RGB, H_COLORMAP_ENTRIES, H_NCOLORS, H_WINDOW_WIDTH, H_WINDOW_HEIGHT, H_WINDOW_X,
    H_WINDOW_Y, H_WINDOW_BDRWIDTH, H_FIELDS
};

constexpr uint32_t XWD_VERSION = 7;
constexpr uint32_t HEADER_BYTES = 4 * H_FIELDS;
constexpr uint32_t Z_PIXMAP = 2;
constexpr uint32_t PSEUDO_COLOR = 3;
constexpr uint32_t TRUE_COLOR = 4;
constexpr uint32_t MAX_COLORS = 65536;  // colour-map entries accepted

/// Reports a failure; an output file (fp) that could not be written whole is removed.
int fail(FILE *fp, const char *mess)
{
    if (fp) FILE_close_output(fp, -1, 1);
    MESS_print(M_WARN, "%s\n", mess);
    return 0;
}

/// One colour-map entry as the file holds it (12 bytes, numbers big-endian).
struct ColorEntry {
    uint32_t pixel;
    uint16_t red, green, blue;
    unsigned char flags, pad;
};
static_assert(sizeof(ColorEntry) == 12, "colour-map entries are 12 bytes");

/// A colour component 0 to 1 as 0 to 65535, the fraction dropped.
uint16_t comp16(float c)
{
    if (!(c > 0)) return 0;
    if (c >= 1) return 65535;
    return static_cast<uint16_t>(c * 65535);
}

/// Prints a reader's message; false.
bool refuse(const char *mess)
{
    MESS_print(M_WARN, "%s\n", mess);
    return false;
}

/// The header's fields in this machine's order, of a version and depth this reader takes.
bool read_header(FILE *fp, uint32_t (&h)[H_FIELDS], int max_depth)
{
    if (std::fread(h, 4, H_FIELDS, fp) != H_FIELDS)
        return refuse("Unable to read dump file header");
    swap_setup(1);
    swap_longs(h, H_FIELDS);
    if (h[H_FILE_VERSION] != XWD_VERSION) return refuse("XWD file format version mismatch");
    if (h[H_HEADER_SIZE] < HEADER_BYTES) return refuse("XWD header size is too small.");
    if (h[H_PIXMAP_DEPTH] > static_cast<uint32_t>(max_depth < 0 ? 0 : max_depth)) {
        MESS_print(M_WARN, "Incorrect depth: %u > %d\n", h[H_PIXMAP_DEPTH], max_depth);
        return false;
    }
    return true;
}

/// The window name: as much as the info field holds, the rest is passed over.
bool read_name(FILE *fp, uint32_t name_len, IMG_report *image)
{
    size_t kept = 0;
    char chunk[256];
    while (name_len > 0) {
        const size_t want = name_len > sizeof chunk ? sizeof chunk : name_len;
        if (std::fread(chunk, 1, want, fp) != want)
            return refuse("Unable to read window name from dump file.");
        const size_t room = sizeof image->info - 1 - kept;
        const size_t take = want < room ? want : room;
        std::memcpy(image->info + kept, chunk, take);
        kept += take;
        name_len -= static_cast<uint32_t>(want);
    }
    image->info[kept] = '\0';
    return true;
}

/// The pixel layout into the record, when this reader takes it.
bool read_layout(const uint32_t (&h)[H_FIELDS], IMG_report *image)
{
    const uint32_t width = h[H_PIXMAP_WIDTH], height = h[H_PIXMAP_HEIGHT];
    const uint32_t bits = h[H_BITS_PER_PIXEL], bytes_line = h[H_BYTES_PER_LINE];
    const uint32_t depth = h[H_PIXMAP_DEPTH];
    if (depth < 1 || depth > 32 || bits < depth ||
        !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        return refuse("XWD pixel layout not supported.");
    if (h[H_PIXMAP_FORMAT] != Z_PIXMAP && depth > 1)
        return refuse("XWD pixmap format not supported.");
    if (!IMG_check_size("XWD_read", width, height, bytes_line, bits)) return false;
    if (h[H_NCOLORS] > MAX_COLORS) return refuse("XWD colour map is too large.");

    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->byte_order = static_cast<int>(h[H_BYTE_ORDER] != 0);
    image->depth = static_cast<int>(depth);
    image->bytes_line = static_cast<int>(bytes_line);
    image->bits_pixel = static_cast<int>(bits);
    if (h[H_VISUAL_CLASS] == TRUE_COLOR) {
        image->color_type = IMG_MASKS;
        image->red = h[H_RED_MASK];
        image->grn = h[H_GREEN_MASK];
        image->blu = h[H_BLUE_MASK];
    } else {
        image->color_type = IMG_TABLE;
    }
    image->num_colors = static_cast<int>(h[H_NCOLORS]);
    MESS_print(M_DEBUG, "width: %d\n", image->width);
    MESS_print(M_DEBUG, "height: %d\n", image->height);
    MESS_print(M_DEBUG, "byte_order: %d\n", image->byte_order);
    MESS_print(M_DEBUG, "depth: %d\n", image->depth);
    MESS_print(M_DEBUG, "bytes_per_line: %d\n", image->bytes_line);
    MESS_print(M_DEBUG, "bits_per_pixel: %d\n", image->bits_pixel);
    MESS_print(M_DEBUG, "color type: %d\n", image->color_type);
    MESS_print(M_DEBUG, "num_colors: %d\n", image->num_colors);
    return true;
}

/// The colour map: each entry at its pixel's place in the table.
bool read_colormap(FILE *fp, IMG_report *image)
{
    if (image->num_colors <= 0) return true;
    image->colors = static_cast<IMG_color *>(
        std::calloc(static_cast<size_t>(image->num_colors), sizeof(IMG_color)));
    if (image->colors == nullptr) return refuse("Unable to allocate data buffer.");
    for (int i = 0; i < image->num_colors; i++) {
        ColorEntry e;
        if (std::fread(&e, 1, sizeof e, fp) != sizeof e)
            return refuse("Unable to read color map from dump file.");
        swap_long(&e.pixel);
        swap_shorts(&e.red, 3);
        // An entry whose pixel lies beyond the table has no place in it.
        if (e.pixel >= static_cast<uint32_t>(image->num_colors)) continue;
        image->colors[e.pixel].r = e.red / 65535.0f;
        image->colors[e.pixel].g = e.green / 65535.0f;
        image->colors[e.pixel].b = e.blue / 65535.0f;
    }
    return true;
}

bool read_pixels(FILE *fp, IMG_report *image)
{
    const size_t size = static_cast<size_t>(image->bytes_line) * image->height;
    image->data = static_cast<unsigned char *>(std::calloc(size, 1));
    if (image->data == nullptr) return refuse("Unable to allocate data buffer.");
    if (std::fread(image->data, 1, size, fp) != size)
        return refuse("Unable to read pixmap from dump file.");
    return true;
}

}  // namespace

int XWD_read_stream(FILE *fp, IMG_report *image, int)
{
    image->data = nullptr;
    const int max_depth = image->depth;
    uint32_t h[H_FIELDS];
    const bool read = read_header(fp, h, max_depth) &&
                      read_name(fp, h[H_HEADER_SIZE] - HEADER_BYTES, image) &&
                      read_layout(h, image) && read_colormap(fp, image) && read_pixels(fp, image);
    return read ? 1 : 0;
}

int XWD_read(const char *filename, IMG_report *image, int type)
{
    FILE *fp = filename ? std::fopen(filename, "rb") : nullptr;
    if (fp == nullptr) {
        image->data = nullptr;
        return fail(nullptr, "Unable to open dump file");
    }
    const int result = XWD_read_stream(fp, image, type);
    std::fclose(fp);
    return result;
}

int XWD_write(const char *filename, IMG_report *image)
{
    if (image == nullptr || image->data == nullptr || image->width <= 0 || image->height <= 0 ||
        image->bytes_line <= 0) {
        MESS_print(M_WARN, "XWD_write: No image to write\n");
        return 0;
    }
    FILE *fp = filename ? std::fopen(filename, "wb") : nullptr;
    if (fp == nullptr) return fail(nullptr, "Unable to open dump file");

    const size_t name_len = strnlen(image->info, sizeof image->info - 1);
    const int ncolors = image->colors ? (image->num_colors > 0 ? image->num_colors : 0) : 0;
    uint32_t h[H_FIELDS] = {};
    h[H_HEADER_SIZE] = HEADER_BYTES + static_cast<uint32_t>(name_len) + 1;
    h[H_FILE_VERSION] = XWD_VERSION;
    h[H_PIXMAP_FORMAT] = Z_PIXMAP;
    h[H_PIXMAP_DEPTH] = static_cast<uint32_t>(image->depth);
    h[H_PIXMAP_WIDTH] = static_cast<uint32_t>(image->width);
    h[H_PIXMAP_HEIGHT] = static_cast<uint32_t>(image->height);
    h[H_XOFFSET] = 0;
    h[H_BYTE_ORDER] = static_cast<uint32_t>(image->byte_order);
    h[H_BITMAP_UNIT] = 32;
    h[H_BITMAP_BIT_ORDER] = static_cast<uint32_t>(image->byte_order);
    h[H_BITMAP_PAD] = 32;
    h[H_BITS_PER_PIXEL] = static_cast<uint32_t>(image->bits_pixel);
    h[H_BYTES_PER_LINE] = static_cast<uint32_t>(image->bytes_line);
    h[H_VISUAL_CLASS] = image->color_type != IMG_MASKS ? PSEUDO_COLOR : TRUE_COLOR;
    h[H_RED_MASK] = image->red;
    h[H_GREEN_MASK] = image->grn;
    h[H_BLUE_MASK] = image->blu;
    h[H_BITS_PER_RGB] = 8;
    h[H_COLORMAP_ENTRIES] = static_cast<uint32_t>(ncolors);
    h[H_NCOLORS] = static_cast<uint32_t>(ncolors);
    h[H_WINDOW_WIDTH] = static_cast<uint32_t>(image->width);
    h[H_WINDOW_HEIGHT] = static_cast<uint32_t>(image->height);
    MESS_print(M_DEBUG, "width: %d\n", image->width);
    MESS_print(M_DEBUG, "height: %d\n", image->height);
    MESS_print(M_DEBUG, "byte_order: %d\n", image->byte_order);
    MESS_print(M_DEBUG, "bits_pixel: %d\n", image->bits_pixel);
    MESS_print(M_DEBUG, "depth: %d\n", image->depth);
    MESS_print(M_DEBUG, "bytes_per_line: %d\n", image->bytes_line);
    MESS_print(M_DEBUG, "num colors: %d\n", ncolors);

    swap_setup(1);
    swap_longs(h, H_FIELDS);
    if (std::fwrite(h, 1, sizeof h, fp) != sizeof h)
        return fail(fp, "Unable to write dump file header");
    if (std::fwrite(image->info, 1, name_len, fp) != name_len || std::putc('\0', fp) == EOF)
        return fail(fp, "Unable to write window name to dump file.");
    for (int i = 0; i < ncolors; i++) {
        ColorEntry e;
        e.pixel = static_cast<uint32_t>(i);
        e.red = comp16(image->colors[i].r);
        e.green = comp16(image->colors[i].g);
        e.blue = comp16(image->colors[i].b);
        e.flags = 7;  // red, green and blue
        e.pad = 0;
        swap_long(&e.pixel);
        swap_shorts(&e.red, 3);
        if (std::fwrite(&e, 1, sizeof e, fp) != sizeof e)
            return fail(fp, "Unable to write color map to dump file.");
    }
    const size_t size = static_cast<size_t>(image->bytes_line) * static_cast<size_t>(image->height);
    if (std::fwrite(image->data, 1, size, fp) != size)
        return fail(fp, "Unable to write to XWD file.");
    if (FILE_close_output(fp, -1, 0) != 0) return fail(nullptr, "Unable to write to XWD file.");
    return 1;
}
