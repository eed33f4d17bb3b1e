// PNG files through libpng 1.6.  The writer turns any image record into an 8-bit palette image
// of exactly 256 palette entries (the colours in order of first appearance, then black) with
// the texts "Title", "Software" and "Creation Time".  The reader gives 8 bits per channel
// whatever the file holds: 16-bit channels are stripped, 1-, 2- and 4-bit palette indices
// unpacked, low-depth grey levels scaled to 0..255, grey alpha dropped, and interlaced files
// assembled pass by pass into the whole picture.
//
// libpng reports errors by a long jump back to the setjmp of the call: the functions that set
// it up hold only plain C data, so that nothing with a destructor is skipped.
#include "img.h"
#include "img_internal.h"

#include "gks.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

namespace {

const char *const PNG_SOFTWARE = "VYK - Halcyra v5.0";

// What a file may make the reader allocate beside the pixel rows: the data of one ancillary
// chunk (or the inflated text of one), and how many such chunks are kept.  The texts, which
// the reader does not use, are skipped.
constexpr png_alloc_size_t CHUNK_BYTES_MAX = 1 << 20;
constexpr png_uint_32 CHUNKS_KEPT_MAX = 128;
const png_byte SKIPPED_CHUNKS[] = "tEXt\0zTXt\0iTXt";

/// Holds libpng to the reader's own caps, so that a hostile chunk fails at once.
void set_read_limits(png_structp png)
{
    png_set_user_limits(png, IMG_MAX_SIZE, IMG_MAX_SIZE);
    png_set_chunk_malloc_max(png, CHUNK_BYTES_MAX);
    png_set_chunk_cache_max(png, CHUNKS_KEPT_MAX);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, SKIPPED_CHUNKS, 3);
}

void on_error(png_structp png, png_const_charp msg)
{
    MESS_print(M_WARN, "%s: %s\n", static_cast<const char *>(png_get_error_ptr(png)), msg);
    png_longjmp(png, 1);
}

void on_warning(png_structp png, png_const_charp msg)
{
    MESS_print(M_DEBUG_C, "%s: %s\n", static_cast<const char *>(png_get_error_ptr(png)), msg);
}

/// Encodes the palette image.  rows: height pointers to width index bytes each.
int write_png(FILE *fp, png_uint_32 width, png_uint_32 height, const IMG_palette *pal,
              png_bytep *rows, const char *title, const char *created)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING,
                                              const_cast<char *>("PNG_write"), on_error,
                                              on_warning);
    if (png == nullptr) return 0;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return 0;
    }
    png_color palette[256];
    for (int i = 0; i < 256; i++) {
        palette[i].red = i < pal->num_color ? pal->red[i] : 0;
        palette[i].green = i < pal->num_color ? pal->grn[i] : 0;
        palette[i].blue = i < pal->num_color ? pal->blu[i] : 0;
    }
    png_text text[3];
    std::memset(text, 0, sizeof text);
    const char *keys[3] = {"Title", "Software", "Creation Time"};
    const char *values[3] = {title, PNG_SOFTWARE, created};
    for (int i = 0; i < 3; i++) {
        text[i].compression = PNG_TEXT_COMPRESSION_NONE;
        text[i].key = const_cast<char *>(keys[i]);
        text[i].text = const_cast<char *>(values[i]);
        text[i].text_length = std::strlen(values[i]);
    }

    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 0;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, palette, 256);
    png_set_text(png, info, text, 3);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return 1;
}

/// What read_png learns from the header: the file's own layout and the rows after the
/// transformations to eight bits a channel.
struct Header {
    png_uint_32 width = 0, height = 0;
    int color_type = 0;
    size_t row_bytes = 0;
};

/// Reads the header, asks for eight bits a channel and fills the record's layout; false when the
/// size is refused.
bool read_header(png_structp png, png_infop info, IMG_report *image, Header &h)
{
    png_read_info(png, info);
    int bit_depth = 0, interlace = 0, compression = 0, filter = 0;
    png_get_IHDR(png, info, &h.width, &h.height, &bit_depth, &h.color_type, &interlace,
                 &compression, &filter);
    MESS_print(M_DEBUG, "%u %u %d - %d %d - %d %d\n", h.width, h.height, bit_depth, h.color_type,
               interlace, compression, filter);

    // Eight bits per channel, whatever the file holds.
    if (bit_depth == 16) png_set_strip_16(png);
    if (h.color_type == PNG_COLOR_TYPE_PALETTE && bit_depth < 8) png_set_packing(png);
    if (h.color_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (h.color_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    h.row_bytes = png_get_rowbytes(png, info);
    const int channels = png_get_channels(png, info);
    if (!IMG_check_size("PNG_read", static_cast<long>(h.width), static_cast<long>(h.height),
                        static_cast<long>(h.row_bytes), 8L * channels))
        return false;

    strfcpy(image->info, "PNG");
    image->width = static_cast<int>(h.width);
    image->height = static_cast<int>(h.height);
    image->num_colors = 0;
    image->colors = nullptr;
    image->bytes_line = static_cast<int>(h.row_bytes);
    image->byte_order = 1;
    if (h.color_type == PNG_COLOR_TYPE_PALETTE || h.color_type == PNG_COLOR_TYPE_GRAY ||
        h.color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        image->depth = image->bits_pixel = 8;
    } else {
        image->depth = 24;
        image->bits_pixel = static_cast<int>(8 * (h.row_bytes / h.width));
    }
    MESS_print(M_DEBUG, "type: %s\n", image->info);
    MESS_print(M_DEBUG, "width: %d\n", image->width);
    MESS_print(M_DEBUG, "height: %d\n", image->height);
    MESS_print(M_DEBUG, "depth: %d\n", image->depth);
    MESS_print(M_DEBUG, "bytes_per_line: %d\n", image->bytes_line);
    return true;
}

/// The colours: a palette file's colour table, or the masks of RGB pixels; false when the table
/// cannot be allocated.
bool read_colours(png_structp png, png_infop info, int color_type, IMG_report *image)
{
    if (color_type == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int num = 0;
        image->color_type = IMG_TABLE;
        image->red = image->grn = image->blu = 0;
        if (png_get_PLTE(png, info, &palette, &num) != PNG_INFO_PLTE || num <= 0) return true;
        MESS_print(M_DEBUG, "color table size: %d\n", num);
        image->colors =
            static_cast<IMG_color *>(std::calloc(static_cast<size_t>(num), sizeof(IMG_color)));
        if (image->colors == nullptr) {
            MESS_print(M_WARN, "Unable to allocate data buffer.\n");
            return false;
        }
        image->num_colors = num;
        for (int i = 0; i < num; i++) {
            image->colors[i].r = palette[i].red / 255.0f;
            image->colors[i].g = palette[i].green / 255.0f;
            image->colors[i].b = palette[i].blue / 255.0f;
        }
    } else if (color_type == PNG_COLOR_TYPE_RGB || color_type == PNG_COLOR_TYPE_RGB_ALPHA) {
        image->color_type = IMG_MASKS;
        image->red = 0xff0000;
        image->grn = 0xff00;
        image->blu = 0xff;
    }
    return true;
}

/// Reads every row into the record's pixel area; rows receives the row pointers (the caller
/// releases them).  False when the area cannot be allocated.
bool read_rows(png_structp png, const Header &h, IMG_report *image, png_bytep *volatile &rows)
{
    image->data = static_cast<unsigned char *>(std::calloc(h.row_bytes * h.height, 1));
    rows = static_cast<png_bytep *>(std::malloc(h.height * sizeof(png_bytep)));
    if (image->data == nullptr || rows == nullptr) {
        MESS_print(M_WARN, "Unable to allocate data buffer.\n");
        return false;
    }
    for (png_uint_32 y = 0; y < h.height; y++) rows[y] = image->data + y * h.row_bytes;
    // Every pass of an interlaced file lands in its own rows and columns.
    png_read_image(png, rows);
    if (h.color_type == PNG_COLOR_TYPE_RGB_ALPHA) {
        // red, green, blue, alpha becomes red, red, green, blue: the masks select the colour.
        for (png_uint_32 y = 0; y < h.height; y++) {
            unsigned char *p = rows[y];
            for (png_uint_32 x = 0; x < h.width; x++, p += 4) {
                p[3] = p[2];
                p[2] = p[1];
                p[1] = p[0];
            }
        }
    }
    return true;
}

/// Decodes the file after its signature into the record.  Nothing with a destructor lives in
/// the frames below the setjmp: an error of libpng jumps back to it.
int read_png(FILE *fp, IMG_report *image, int type)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING,
                                             const_cast<char *>("PNG_read"), on_error, on_warning);
    if (png == nullptr) return 0;
    png_infop info = png_create_info_struct(png);
    png_infop end_info = png_create_info_struct(png);
    png_bytep *volatile rows = nullptr;
    int result = 0;
    if (info == nullptr || end_info == nullptr) {
        png_destroy_read_struct(&png, &info, &end_info);
        return 0;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, &end_info);
        std::free(rows);
        IMG_free(image);
        return 0;
    }
    set_read_limits(png);
    png_init_io(png, fp);
    png_set_sig_bytes(png, 8);
    Header h;
    if (!read_header(png, info, image, h)) {
        result = 0;
    } else if (type == IMG_READ_HEADER) {
        result = 1;
    } else if (!read_colours(png, info, h.color_type, image) || !read_rows(png, h, image, rows)) {
        IMG_free(image);
        result = 0;
    } else {
        png_read_end(png, end_info);
        result = 1;
    }
    png_destroy_read_struct(&png, &info, &end_info);
    std::free(rows);
    return result;
}

}  // namespace

int PNG_write(const char *filename, IMG_report *image)
{
    if (image == nullptr) return 0;
    MESS_print(M_DEBUG, "width: %d\n", image->width);
    MESS_print(M_DEBUG, "height: %d\n", image->height);
    MESS_print(M_DEBUG, "depth: %d\n", image->depth);
    MESS_print(M_DEBUG, "bytes_per_line: %d\n", image->bytes_line);

    IMG_palette pal;
    unsigned char *index = nullptr;
    png_bytep *rows = nullptr;
    if (image->data && image->width > 0 && image->height > 0) {
        index = static_cast<unsigned char *>(
            std::malloc(static_cast<size_t>(image->width) * static_cast<size_t>(image->height)));
        rows = static_cast<png_bytep *>(
            std::malloc(static_cast<size_t>(image->height) * sizeof(png_bytep)));
        if (index == nullptr || rows == nullptr) {
            MESS_print(M_WARN, "PNG_write: Unable to allocate data buffer.\n");
            std::free(index);
            std::free(rows);
            return 0;
        }
    }
    if (IMG_index_pixels("PNG_write", image, -1, &pal, index) != 0) {
        std::free(index);
        std::free(rows);
        return 0;
    }
    MESS_print(M_DEBUG, "num_color: %d\n", pal.num_color);
    for (int y = 0; y < image->height; y++)
        rows[y] = index + static_cast<size_t>(y) * static_cast<size_t>(image->width);

    FILE *fp = filename ? FILE_open(filename, "wb") : nullptr;
    if (fp == nullptr) {
        MESS_print(M_WARN, "Unable to open PNG file\n");
        std::free(index);
        std::free(rows);
        return 0;
    }
    Date now;
    DATE_get_current_gmdate(&now);
    char created[64];
    std::snprintf(created, sizeof created, "%02d %.3s %d %02d:%02d:%02d GMT", now.day,
                  now.month >= 1 && now.month <= 12 ? months_long[now.month - 1] : "",
                  now.year, now.hour, now.min, now.sec);
    const char *title = gget_win_title();
    int result = write_png(fp, static_cast<png_uint_32>(image->width),
                           static_cast<png_uint_32>(image->height), &pal, rows,
                           title ? title : "", created);
    // A file that could not be written whole is removed.
    if (FILE_close_output(fp, -1, result == 0) != 0) result = 0;
    std::free(index);
    std::free(rows);
    return result;
}

int PNG_read_stream(FILE *fp, IMG_report *image, int type)
{
    unsigned char sig[8];
    if (std::fread(sig, 1, sizeof sig, fp) != sizeof sig || png_sig_cmp(sig, 0, sizeof sig) != 0) {
        MESS_print(M_WARN, "PNG_read: Not a PNG file\n");
        return 0;
    }
    image->data = nullptr;
    image->colors = nullptr;
    image->num_colors = 0;
    return read_png(fp, image, type);
}

int PNG_read(const char *filename, IMG_report *image, int type)
{
    FILE *fp = filename ? FILE_open(filename, "rb") : nullptr;
    if (fp == nullptr) {
        MESS_print(M_WARN, "PNG_read: Unable to open file: %s\n", filename ? filename : "");
        return 0;
    }
    const int result = PNG_read_stream(fp, image, type);
    FILE_close(fp);
    return result;
}
