// GIF files: the reader takes the first image of a GIF87a or GIF89a file with the global
// colours; the writer makes a GIF89a file of one image with a global colour table of up to 256
// colours, optionally interlaced and with the background colour transparent.  Both directions
// use the LZW coder of this file: a decoder with a prefix/suffix string table and a pixel
// stack, and an encoder whose string table is a hash of 4096 buckets with chains from a fixed
// pool of nodes, so that coding allocates nothing.
#include "img.h"
#include "img_internal.h"

#include "gks.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Switches of the writer.
int use_inter = 0;
int trans = 0;

constexpr int MAX_CODES = 4096;
constexpr int STACK_SIZE = 5000;

// Interlaced row order: four passes, each with its first row and its step.
constexpr int PASS_START[4] = {0, 4, 2, 1};
constexpr int PASS_STEP[4] = {8, 8, 4, 2};

// ---- decoder --------------------------------------------------------------------------------

struct StrEntry {
    int pfix;  // code of the prefix string, -1 for a root
    int ext;   // last pixel of the string
};
StrEntry str_tab[MAX_CODES];
int pix_stack[STACK_SIZE];
int stack_count = 0;

/// Codes from the image data sub-blocks, least significant bit first.
struct CodeReader {
    FILE *fp;
    unsigned char block[255];
    int block_len = 0, block_pos = 0;
    uint32_t acc = 0;
    int nbits = 0;
    bool ended = false;

    int next_byte()
    {
        if (block_pos == block_len) {
            const int n = std::getc(fp);
            if (n == EOF || n == 0) {
                ended = true;
                return -1;
            }
            if (std::fread(block, 1, static_cast<size_t>(n), fp) != static_cast<size_t>(n)) {
                ended = true;
                return -1;
            }
            block_len = n;
            block_pos = 0;
        }
        return block[block_pos++];
    }
    /// The next code of width bits, -1 when the data ended.
    int get(int width)
    {
        while (nbits < width) {
            if (ended) return -1;
            const int c = next_byte();
            if (c < 0) return -1;
            acc |= static_cast<uint32_t>(c) << nbits;
            nbits += 8;
        }
        const int code = static_cast<int>(acc & ((1u << width) - 1));
        acc >>= width;
        nbits -= width;
        return code;
    }
};

/// Puts decoded pixels in their places: rows of the image in file order (or the four interlace
/// passes), clipped to the buffer.
struct Placer {
    unsigned char *data;
    long bytes_line;
    int buf_w, buf_h;  // the buffer (logical screen)
    int w, h;          // the image
    bool inter;
    int x = 0, y = 0, pass = 0;
    long done = 0;

    void put(int pixel)
    {
        if (x < buf_w && y < buf_h) data[y * bytes_line + x] = static_cast<unsigned char>(pixel);
        done++;
        if (++x < w) return;
        x = 0;
        if (!inter) {
            y++;
            return;
        }
        y += PASS_STEP[pass];
        while (y >= h && pass < 3) {
            pass++;
            y = PASS_START[pass];
        }
    }
};

/// Pushes the string of code onto the pixel stack, last pixel first.  False when the stack
/// would overflow.
bool push_string(int code)
{
    while (code >= 0) {
        if (stack_count >= STACK_SIZE) return false;
        pix_stack[stack_count++] = str_tab[code].ext;
        code = str_tab[code].pfix;
    }
    return true;
}

/// Decodes the LZW data of one image.  True when every pixel of the image was decoded.
bool decode_image(FILE *fp, int min_size, Placer &out)
{
    const long total = static_cast<long>(out.w) * out.h;
    const int clear = 1 << min_size, end = clear + 1;
    int width = min_size + 1, next_free = clear + 2, prev = -1;
    for (int i = 0; i < MAX_CODES; i++) str_tab[i] = StrEntry{-1, i};
    stack_count = 0;
    CodeReader in{};
    in.fp = fp;
    while (out.done < total) {
        const int code = in.get(width);
        if (code < 0 || code == end) break;
        if (code == clear) {
            width = min_size + 1;
            next_free = clear + 2;
            prev = -1;
            continue;
        }
        int first;
        if (prev < 0) {
            if (code > clear) break;  // nothing is defined yet
            if (!push_string(code)) break;
            first = pix_stack[stack_count - 1];
        } else {
            if (code < next_free) {
                if (!push_string(code)) break;
                first = pix_stack[stack_count - 1];
            } else if (code == next_free) {
                // The string being defined: the previous one and its own first pixel.
                const int base = stack_count;
                if (stack_count >= STACK_SIZE) break;
                stack_count++;
                if (!push_string(prev)) break;
                first = pix_stack[stack_count - 1];
                pix_stack[base] = first;
            } else {
                break;  // a code above the next free code: the data is corrupt
            }
            if (next_free < MAX_CODES) {
                str_tab[next_free] = StrEntry{prev, first};
                if (next_free == (1 << width) - 1 && width <= 11) width++;
                next_free++;
            }
        }
        prev = code;
        while (stack_count > 0 && out.done < total) out.put(pix_stack[--stack_count]);
        stack_count = 0;
    }
    return out.done >= total;
}

/// Skips data sub-blocks up to and including the terminator.  False when the file ends first.
bool skip_sub_blocks(FILE *fp)
{
    for (;;) {
        const int n = std::getc(fp);
        if (n == EOF) return false;
        if (n == 0) return true;
        if (std::fseek(fp, n, SEEK_CUR) != 0) {
            for (int i = 0; i < n; i++)
                if (std::getc(fp) == EOF) return false;
        }
    }
}

/// Reads one sub-block (size byte and data) into buf (255 bytes); its size, or -1 at the end
/// of the file.
int read_sub_block(FILE *fp, unsigned char *buf)
{
    const int n = std::getc(fp);
    if (n == EOF) return -1;
    if (std::fread(buf, 1, static_cast<size_t>(n), fp) != static_cast<size_t>(n)) return -1;
    return n;
}

/// One extension after its introducer; false when the file ends inside it.
bool read_extension(FILE *fp)
{
    MESS_print(M_DEBUG, "Graphics Control Extension\n");
    const int label = std::getc(fp);
    if (label == EOF) return false;
    MESS_print(M_DEBUG, "Extension Label: %2X\n", label);
    unsigned char buf[255];
    if (label == 0xF9) {
        MESS_print(M_DEBUG, "Control Extension\n");
        const int n = read_sub_block(fp, buf);
        if (n < 0) return false;
        MESS_print(M_DEBUG, "Block size: %d\n", n);
        if (n == 0) return true;
        if (n >= 4) {
            static const char *const disposal[4] = {
                "No disposal specified\n", "Do not dispose. graphic left in tact\n",
                "Restore to background color\n", "Restore to previous image\n"};
            const int packed = buf[0];
            const int method = (packed >> 2) & 7;
            if (method < 4) MESS_print(M_DEBUG, "%s", disposal[method]);
            MESS_print(M_DEBUG,
                       (packed & 2) ? "User input expected\n" : "User input not expected\n");
            MESS_print(M_DEBUG, (packed & 1) ? "Transparent index given\n"
                                           : "Transparent index not given\n");
            const int delay = buf[1] | (buf[2] << 8);
            MESS_print(M_DEBUG, "Delay time: %d %.2f\n", delay, delay / 100.0);
            MESS_print(M_DEBUG, "Transparent color index: %d\n", buf[3]);
        }
        return skip_sub_blocks(fp);
    }
    if (label == 0xFF) {
        MESS_print(M_DEBUG, "Application Extension\n");
        const int n = read_sub_block(fp, buf);
        if (n < 0) return false;
        if (n == 0) return true;
        MESS_print(M_DEBUG, "Block size: %d\n", n);
        if (n >= 11) {
            MESS_print(M_DEBUG, "Application identifier: %8.8s\n", reinterpret_cast<char *>(buf));
            MESS_print(M_DEBUG, "Application authentication: %3.3s\n",
                       reinterpret_cast<char *>(buf + 8));
        }
        return skip_sub_blocks(fp);
    }
    if (label == 0xFE) {
        MESS_print(M_DEBUG, "Comment Data\n");
        const int n = read_sub_block(fp, buf);
        if (n < 0) return false;
        MESS_print(M_DEBUG, "Block size: %d\n", n);
        return n == 0 || skip_sub_blocks(fp);
    }
    return skip_sub_blocks(fp);
}

/// Reads a colour table of n entries into a new array.
IMG_color *read_colors(FILE *fp, int n)
{
    unsigned char rgb[3 * 256];
    if (std::fread(rgb, 3, static_cast<size_t>(n), fp) != static_cast<size_t>(n)) return nullptr;
    auto *colors = static_cast<IMG_color *>(std::calloc(static_cast<size_t>(n), sizeof(IMG_color)));
    if (colors == nullptr) return nullptr;
    for (int i = 0; i < n; i++) {
        colors[i].r = rgb[3 * i] / 255.0f;
        colors[i].g = rgb[3 * i + 1] / 255.0f;
        colors[i].b = rgb[3 * i + 2] / 255.0f;
    }
    return colors;
}

/// The file ends where more is needed.
int ends_early()
{
    MESS_print(M_WARN, "GIF_read: File ends early\n");
    return 0;
}

/// The signature (after an optional "** " comment line) and the logical screen: the record's
/// layout; num_global receives the size of the global colour table (0 none).  False after a
/// message.
bool read_screen(FILE *fp, IMG_report *image, int &num_global)
{
    unsigned char b[7];
    if (std::fread(b, 1, 3, fp) != 3) {
        MESS_print(M_WARN, "GIF_read: Not a GIF file\n");
        return false;
    }
    if (std::memcmp(b, "** ", 3) == 0) {
        int c;
        do c = std::getc(fp);
        while (c != EOF && c != '\n');
        if (std::fread(b, 1, 3, fp) != 3) b[0] = 0;
    }
    if (std::memcmp(b, "GIF", 3) != 0) {
        MESS_print(M_WARN, "GIF_read: Not a GIF file\n");
        return false;
    }
    if (std::fread(b, 1, 3, fp) != 3 || std::fread(b, 1, 7, fp) != 7) return ends_early();
    const int width = b[0] | (b[1] << 8);
    const int height = b[2] | (b[3] << 8);
    const int packed = b[4];
    num_global = (packed & 0x80) != 0 ? 2 << (packed & 7) : 0;
    image->width = width;
    image->height = height;
    image->num_colors = num_global;
    image->depth = 8;
    image->bits_pixel = 8;
    image->bytes_line = width;
    image->color_type = IMG_TABLE;
    strfcpy(image->info, "GIF");
    MESS_print(M_DEBUG, "type: %s\n", image->info);
    MESS_print(M_DEBUG, "width: %d\n", image->width);
    MESS_print(M_DEBUG, "height: %d\n", image->height);
    MESS_print(M_DEBUG, "depth: %d\n", image->depth);
    MESS_print(M_DEBUG, "bytes_per_line: %d\n", image->bytes_line);
    return IMG_check_size("GIF_read", width, height, width, 8);
}

/// Passes over the extensions up to the first image by their sub-block lengths: 1 at an image,
/// 0 when the file has none, -1 when it ends inside an extension.
int find_image(FILE *fp)
{
    for (;;) {
        const int c = std::getc(fp);
        if (c == EOF || c == 0x3B) return 0;
        if (c == 0x2C) return 1;
        if (c == 0x21 && !read_extension(fp)) return -1;
    }
}

/// The first image: its descriptor, a local colour table that stands in for a missing global
/// one, and its pixels placed on the screen.
int read_image(FILE *fp, IMG_report *image)
{
    unsigned char b[9];
    if (std::fread(b, 1, 9, fp) != 9) return ends_early();
    const int w = b[4] | (b[5] << 8);
    const int h = b[6] | (b[7] << 8);
    const int packed = b[8];
    MESS_print(M_DEBUG, "X: %3d Y: %3d W: %3d H: %3d\n", b[0] | (b[1] << 8), b[2] | (b[3] << 8), w,
               h);
    if (packed & 0x80) {
        const int n = 2 << (packed & 7);
        IMG_color *local = read_colors(fp, n);
        if (local == nullptr) return ends_early();
        if (image->colors == nullptr) {
            image->colors = local;
            image->num_colors = n;
        } else {
            std::free(local);
        }
    }
    const int min_size = std::getc(fp);
    if (min_size == EOF) return ends_early();
    if (min_size < 1 || min_size > 8) {
        MESS_print(M_WARN, "GIF_read: Invalid code size: %d\n", min_size);
        return 0;
    }
    Placer out{image->data, image->bytes_line, image->width, image->height, w, h,
               (packed & 0x40) != 0};
    if (!decode_image(fp, min_size, out)) {
        MESS_print(M_WARN, "GIF_read: Image data ends early: %ld of %ld pixels\n", out.done,
                   static_cast<long>(w) * h);
        return 0;
    }
    return 1;
}

int read_gif(FILE *fp, IMG_report *image, int type)
{
    int num_global = 0;
    if (!read_screen(fp, image, num_global)) return 0;
    if (type == IMG_READ_HEADER) return 1;
    if (num_global > 0) {
        MESS_print(M_DEBUG, "color table size: %d\n", num_global);
        image->colors = read_colors(fp, num_global);
        if (image->colors == nullptr) return ends_early();
    }
    image->data = static_cast<unsigned char *>(std::calloc(
        static_cast<size_t>(image->width) * static_cast<size_t>(image->height), 1));
    if (image->data == nullptr) {
        MESS_print(M_WARN, "Unable to allocate data buffer.\n");
        return 0;
    }
    const int found = find_image(fp);
    if (found < 0) return ends_early();
    return found == 0 ? 1 : read_image(fp, image);  // no image: the pixels stay 0
}

// ---- encoder --------------------------------------------------------------------------------

struct HashEntry {
    int hash;         // last pixel << 12 plus prefix code; -1 empty
    int val;          // code of the string
    HashEntry *next;  // next node of the chain
};
HashEntry buckets[MAX_CODES];
HashEntry nodes[MAX_CODES];
int nodes_used = 0;

/// The code stream of the writer: codes packed least significant bit first into data
/// sub-blocks of 254 bytes.
struct CodeWriter {
    FILE *fp;
    int min_size, clear, end;
    int width = 0, next_free = 0;
    uint32_t acc = 0;
    int nbits = 0;
    unsigned char block[255];
    int fill = 0;
    bool ok = true;

    void write_block()
    {
        if (std::putc(fill, fp) == EOF || std::fwrite(block, 1, static_cast<size_t>(fill), fp) !=
                                              static_cast<size_t>(fill))
            ok = false;
        fill = 0;
    }
    void emit(int code)
    {
        acc |= static_cast<uint32_t>(code) << nbits;
        nbits += width;
        while (nbits >= 8) {
            block[fill++] = static_cast<unsigned char>(acc);
            acc >>= 8;
            nbits -= 8;
            if (fill == 254) write_block();
        }
        if (code == clear) reset();
        else if (next_free > (1 << width) - 1 && width <= 11) width++;
    }
    void reset()
    {
        for (HashEntry &e : buckets) e.hash = -1;
        nodes_used = 0;
        next_free = clear + 2;
        width = min_size + 1;
    }
    void finish()
    {
        emit(end);
        if (nbits > 0) {
            block[fill++] = static_cast<unsigned char>(acc);
            acc = 0;
            nbits = 0;
        }
        if (fill > 0) write_block();
    }
};

/// The row of the picture that comes k-th in the file.
struct RowOrder {
    int h;
    bool inter;
    int pass = 0, y = 0;
    int next()
    {
        const int row = y;
        if (!inter) {
            y++;
            return row;
        }
        y += PASS_STEP[pass];
        while (y >= h && pass < 3) {
            pass++;
            y = PASS_START[pass];
        }
        return row;
    }
};

void encode(CodeWriter &cw, const unsigned char *index, int width, int height, bool inter)
{
    cw.reset();
    cw.emit(cw.clear);
    RowOrder order{height, inter};
    int prefix = -1;
    for (int k = 0; k < height; k++) {
        const unsigned char *row = index + static_cast<size_t>(order.next()) * width;
        for (int x = 0; x < width; x++) {
            const int p = row[x];
            if (prefix < 0) {
                prefix = p;
                continue;
            }
            const int key = (p << 12) + prefix;
            HashEntry *e = &buckets[(p << 4) ^ prefix];
            if (e->hash == key) {
                prefix = e->val;
                continue;
            }
            HashEntry *n = e->next;
            HashEntry *last = e;
            if (e->hash != -1) {
                while (n != nullptr && n->hash != key) {
                    last = n;
                    n = n->next;
                }
                if (n != nullptr) {
                    prefix = n->val;
                    continue;
                }
            }
            cw.emit(prefix);
            prefix = p;
            if (cw.next_free > MAX_CODES - 1 || nodes_used > MAX_CODES - 1) {
                cw.emit(cw.clear);
            } else if (e->hash == -1) {
                e->hash = key;
                e->val = cw.next_free++;
                e->next = nullptr;
            } else {
                HashEntry *node = &nodes[nodes_used++];
                node->hash = key;
                node->val = cw.next_free++;
                node->next = nullptr;
                last->next = node;
            }
        }
    }
    cw.emit(prefix);
    cw.finish();
}

void put16(FILE *fp, int v)
{
    std::putc(v & 0xff, fp);
    std::putc((v >> 8) & 0xff, fp);
}

/// Everything before the image data: the screen with the palette as its global colour table
/// (the smallest power of two that holds it), the transparent colour's control extension and
/// the image descriptor.  Returns the code size of the image data.
int write_header(FILE *fp, int width, int height, const IMG_palette &pal)
{
    MESS_print(M_DEBUG, "num_color: %d\n", pal.num_color);
    int n = 1;
    while ((1 << n) < pal.num_color) n++;
    MESS_print(M_DEBUG, "num_color+: %d\n", 1 << n);
    const int code_size = n > 2 ? n : 2;
    MESS_print(M_DEBUG, "code_size: %d\n", code_size);

    std::fwrite("GIF89a", 1, 6, fp);
    put16(fp, width);
    put16(fp, height);
    std::putc(0x80 | ((n - 1) << 4) | (n - 1), fp);
    std::putc(0, fp);
    std::putc(0, fp);
    for (int i = 0; i < (1 << n); i++) {
        const bool used = i < pal.num_color;
        std::putc(used ? pal.red[i] : 0, fp);
        std::putc(used ? pal.grn[i] : 0, fp);
        std::putc(used ? pal.blu[i] : 0, fp);
    }
    if (trans && pal.trans >= 0) {
        const unsigned char gce[8] = {0x21, 0xF9, 4, 0x01, 0x0A, 0x00,
                                      static_cast<unsigned char>(pal.trans), 0};
        std::fwrite(gce, 1, sizeof gce, fp);
    }
    std::putc(0x2C, fp);
    put16(fp, 0);
    put16(fp, 0);
    put16(fp, width);
    put16(fp, height);
    std::putc(use_inter ? 0x40 : 0, fp);
    std::putc(code_size, fp);
    return code_size;
}

}  // namespace

int GIF_interlace(int val)
{
    use_inter = val;
    return 0;
}

int GIF_transparent(int val)
{
    trans = val;
    return 0;
}

int GIF_read_stream(FILE *fp, IMG_report *image, int type)
{
    image->data = nullptr;
    image->colors = nullptr;
    return read_gif(fp, image, type);
}

int GIF_read(const char *filename, IMG_report *image, int type)
{
    image->data = nullptr;
    image->colors = nullptr;
    FILE *fp = filename ? FILE_open(filename, "rb") : nullptr;
    if (fp == nullptr) {
        MESS_print(M_WARN, "GIF_read: Unable to open file\n");
        return 0;
    }
    const int result = GIF_read_stream(fp, image, type);
    FILE_close(fp);
    return result;
}

int GIF_write(const char *filename, IMG_report *image)
{
    if (image == nullptr) return 0;
    MESS_print(M_DEBUG, "width: %d\n", image->width);
    MESS_print(M_DEBUG, "height: %d\n", image->height);
    MESS_print(M_DEBUG, "depth: %d\n", image->depth);
    MESS_print(M_DEBUG, "bytes_per_line: %d\n", image->bytes_line);
    if (image->width > 65535 || image->height > 65535) {
        MESS_print(M_WARN, "GIF_write: Image too large for GIF: %dx%d\n", image->width,
                   image->height);
        return 0;
    }
    unsigned char *index = nullptr;
    if (image->data && image->width > 0 && image->height > 0) {
        index = static_cast<unsigned char *>(
            std::malloc(static_cast<size_t>(image->width) * static_cast<size_t>(image->height)));
        if (index == nullptr) {
            MESS_print(M_WARN, "GIF_write: Unable to allocate data buffer.\n");
            return 0;
        }
    }
    IMG_palette pal;
    const long background = trans ? gget_color_ind(-1) : -1;
    if (IMG_index_pixels("GIF_write", image, background, &pal, index) != 0) {
        std::free(index);
        return 0;
    }
    FILE *fp = filename ? FILE_open(filename, "wb") : nullptr;
    if (fp == nullptr) {
        MESS_print(M_WARN, "Unable to open GIF file\n");
        std::free(index);
        return 0;
    }
    const int code_size = write_header(fp, image->width, image->height, pal);
    CodeWriter cw{};
    cw.fp = fp;
    cw.min_size = code_size;
    cw.clear = 1 << code_size;
    cw.end = cw.clear + 1;
    encode(cw, index, image->width, image->height, use_inter != 0);
    std::free(index);
    std::putc(0, fp);
    std::putc(0x3B, fp);
    // A file that could not be written whole is removed.
    const bool ok = FILE_close_output(fp, -1, !cw.ok) == 0;
    if (!ok) {
        MESS_print(M_WARN, "GIF_write: Unable to write: %s\n", filename);
        return 0;
    }
    return 1;
}
