// The image record, the reading of any image file by its first bytes, and the system's own
// raster format "VYKIMG": a text header (magic line with flag letters, date label, title,
// geometry) followed by one byte per pixel, raw, in independent zlib streams of at most 10000
// pixel bytes each, or in a separate file.
//
// The pixel-slot reading shared by the writers lives here too: a row of the pixel area holds
// bytes_line bytes; a slot is 4 bytes when bits_pixel is 32, else 3, 2 or 1 bytes, a half-byte
// (the high one first) or a bit (the least significant first) by the depth.  Only the first
// width slots of a row are picture; the rest is row padding.
#include "img.h"
#include "img_internal.h"

#include "gks.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The compressed reader's patience with a file that is still being written.
int wait_tries = 10;
float wait_seconds = 1.0f;

constexpr int BLOCK_BYTES = 10000;  // pixel bytes in one compressed stream, and the read size
constexpr int ZBUF_BYTES = 12000;   // room for one compressed block

// ---- pixel slots ---------------------------------------------------------------------------

struct Layout {
    int bits;   // bits of one slot: 32, 24, 16, 8, 4 or 1
    bool msb;   // most significant byte first
};

bool get_layout(const char *func, const IMG_report *image, Layout *lay)
{
    if (image == nullptr || image->data == nullptr || image->width <= 0 || image->height <= 0 ||
        image->bytes_line <= 0) {
        MESS_print(M_WARN, "%s: No image to write\n", func);
        return false;
    }
    int bits;
    if (image->bits_pixel == 32) {
        bits = 32;
    } else {
        switch (image->depth) {
        case 24: bits = 24; break;
        case 16: case 15: bits = 16; break;
        case 8: bits = 8; break;
        case 4: bits = 4; break;
        case 1: bits = 1; break;
        default:
            MESS_print(M_WARN, "%s: Unsupported pixel layout: depth %d, %d bits per pixel\n", func,
                       image->depth, image->bits_pixel);
            return false;
        }
    }
    const long slots = static_cast<long>(image->bytes_line) * 8 / bits;
    if (slots < image->width) {
        MESS_print(M_WARN, "%s: Rows of %d bytes are too short for %d pixels\n", func,
                   image->bytes_line, image->width);
        return false;
    }
    lay->bits = bits;
    lay->msb = image->byte_order == 1;
    return true;
}

/// The value of slot s of a row.
inline unsigned slot_value(const unsigned char *row, const Layout &lay, int s)
{
    const unsigned char *p;
    switch (lay.bits) {
    case 32:
        p = row + 4 * static_cast<size_t>(s);
        return lay.msb ? (unsigned(p[1]) << 16) | (unsigned(p[2]) << 8) | p[3]
                       : p[0] | (unsigned(p[1]) << 8) | (unsigned(p[2]) << 16);
    case 24:
        p = row + 3 * static_cast<size_t>(s);
        return lay.msb ? (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2]
                       : p[0] | (unsigned(p[1]) << 8) | (unsigned(p[2]) << 16);
    case 16:
        p = row + 2 * static_cast<size_t>(s);
        return lay.msb ? (unsigned(p[0]) << 8) | p[1] : p[0] | (unsigned(p[1]) << 8);
    case 8:
        return row[s];
    case 4:
        return (s & 1) ? row[s >> 1] & 15u : unsigned(row[s >> 1]) >> 4;
    default:
        return (unsigned(row[s >> 3]) >> (s & 7)) & 1u;
    }
}

/// The one byte the own format stores for slot s: the mean of the three colour bytes of a
/// 4-byte pixel, the least significant byte of 3- and 2-byte pixels, else the value.
inline unsigned char slot_byte(const unsigned char *row, const Layout &lay, int s)
{
    const unsigned char *p;
    switch (lay.bits) {
    case 32:
        p = row + 4 * static_cast<size_t>(s);
        return static_cast<unsigned char>(lay.msb ? (p[1] + p[2] + p[3]) / 3
                                                  : (p[0] + p[1] + p[2]) / 3);
    case 24:
        p = row + 3 * static_cast<size_t>(s);
        return lay.msb ? p[2] : p[0];
    case 16:
        p = row + 2 * static_cast<size_t>(s);
        return lay.msb ? p[1] : p[0];
    default:
        return static_cast<unsigned char>(slot_value(row, lay, s));
    }
}

/// A colour component 0 to 1 as a byte, the fraction dropped.
unsigned char byte_of(float c)
{
    if (!(c > 0)) return 0;
    if (c >= 1) return 255;
    return static_cast<unsigned char>(c * 255);
}

/// One colour channel of a direct-colour value.
struct Channel {
    unsigned mask;
    int shift;  // zero bits below the mask
    int ones;   // one bits of the mask
    unsigned get(unsigned v) const
    {
        if (mask == 0) return 0;
        unsigned x = (v & mask) >> shift;
        x = ones > 8 ? x >> (ones - 8) : x << (8 - ones);
        return x > 255 ? 255 : x;
    }
};

Channel channel(unsigned mask)
{
    Channel c{mask, 0, 0};
    if (mask) {
        c.shift = __builtin_ctz(mask);
        c.ones = __builtin_popcount(mask);
    }
    return c;
}

// ---- own-format reading --------------------------------------------------------------------

/// Reads and drops n bytes; false when the file ends first.
bool skip_bytes(FILE *fp, long n)
{
    unsigned char buf[1024];
    while (n > 0) {
        const size_t want = n > static_cast<long>(sizeof buf) ? sizeof buf : static_cast<size_t>(n);
        const size_t got = std::fread(buf, 1, want, fp);
        if (got != want) return false;
        n -= static_cast<long>(got);
    }
    return true;
}

/// A version-3 geometry line: "width height", or a projection token and
/// "clat clon dx dy nx ny".  False when the line holds neither.
bool decode_geometry(const char *line, IMG_report *image)
{
    Domain &dom = image->domain;
    int w = 0, h = 0, end = 0;
    if (std::sscanf(line, "%d %d %n", &w, &h, &end) == 2 && line[end] == '\0') {
        image->width = w;
        image->height = h;
        return true;
    }
    char token[FGETLINE_MAX + 1];
    int pos = 0;
    if (std::sscanf(line, "%160s %n", token, &pos) != 1) return false;
    // A domain without a token of its own: the six numbers stand alone.
    char *num_end = nullptr;
    std::strtof(token, &num_end);
    const bool bare = num_end != token && *num_end == '\0';
    float clat, clon, dx, dy;
    int nx, ny;
    if (std::sscanf(bare ? line : line + pos, "%f %f %f %f %d %d", &clat, &clon, &dx, &dy, &nx,
                    &ny) != 6)
        return false;
    if (!bare) {
        float v[5];
        if (token[0] == 'L' && token[1] == 'L') {
            dom.proj = 2;
        } else if (token[0] == 'M' && token[1] == 'E') {
            dom.proj = 3;
        } else if (token[0] == 'P' && token[1] == 'S') {
            dom.proj = 1;
            if (std::sscanf(token, "PS:%f", &v[0]) == 1) dom.plon = v[0];
        } else if (token[0] == 'L' && token[1] == 'C') {
            dom.proj = 4;
            const int k =
                std::sscanf(token, "LC:%f:%f:%f:%f:%f", &v[0], &v[1], &v[2], &v[3], &v[4]);
            if (k == 5) {
                dom.plat = v[0];
                dom.plon = v[1];
                dom.param[0] = v[2];
                dom.param[1] = v[3];
                dom.param[2] = v[4];
            } else if (k >= 1) {
                dom.plon = v[0];
            }
        } else if (token[0] == 'S' && token[1] == 'A') {
            dom.proj = 9;
            const int k = std::sscanf(token, "SAT:%f:%f:%f", &v[0], &v[1], &v[2]);
            if (k >= 1) dom.plat = v[0];
            if (k >= 2) dom.plon = v[1];
            if (k >= 3) dom.param[0] = v[2];
        }
    }
    dom.clat = clat;
    dom.clon = clon;
    dom.dx = dx;
    dom.dy = dy;
    dom.nx = nx;
    dom.ny = ny;
    image->width = nx;
    image->height = ny;
    return true;
}

/// Reads the next blank-delimited word (at most FGETLINE_MAX characters) into word.
bool read_word(FILE *fp, char *word)
{
    int c;
    do c = std::getc(fp);
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r');
    int n = 0;
    while (c != EOF && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
        if (n == FGETLINE_MAX) return false;
        word[n++] = static_cast<char>(c);
        c = std::getc(fp);
    }
    word[n] = '\0';
    return n > 0;
}

/// Inflates the sequence of zlib streams that follows into the pixel area.  The bytes that do
/// not fit the area are never produced.  0 when the area was filled, else -1 after a message.
int inflate_pixels(FILE *fp, unsigned char *data, size_t expected)
{
    unsigned char in[BLOCK_BYTES];
    size_t in_len = 0, in_pos = 0, produced = 0;
    int tries = 0;
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    bool active = false;
    int result = 0;
    while (produced < expected) {
        if (in_pos >= in_len) {
            in_len = std::fread(in, 1, sizeof in, fp);
            in_pos = 0;
            if (in_len == 0) {
                // The end of the data: another program may still be writing the file.
                if (tries >= wait_tries) break;
                tries++;
                VYK_sleep(wait_seconds);
                std::clearerr(fp);
                continue;
            }
        }
        if (!active) {
            if (inflateInit(&zs) != Z_OK) {
                MESS_print(M_WARN, "IMG_read_vyk: Unable to start decompression\n");
                return -1;
            }
            active = true;
        }
        zs.next_in = in + in_pos;
        zs.avail_in = static_cast<uInt>(in_len - in_pos);
        zs.next_out = data + produced;
        const size_t room = expected - produced;
        zs.avail_out = static_cast<uInt>(room);
        const int st = inflate(&zs, Z_SYNC_FLUSH);
        in_pos = in_len - zs.avail_in;
        produced += room - zs.avail_out;
        MESS_print(M_DEBUG_C, "Inflate+ %d = %d %lu = %d %lu - %lu %lu\n", st, zs.avail_in,
                   zs.total_in, zs.avail_out, zs.total_out, static_cast<unsigned long>(produced),
                   static_cast<unsigned long>(expected));
        if (st == Z_STREAM_END) {
            inflateEnd(&zs);
            active = false;
        } else if (st != Z_OK && st != Z_BUF_ERROR) {
            MESS_print(M_WARN, "IMG_read_vyk: Bad compressed data: %s\n",
                       zs.msg ? zs.msg : "error");
            result = -1;
            break;
        }
    }
    if (active) inflateEnd(&zs);
    if (result == 0 && produced < expected) {
        MESS_print(M_WARN, "IMG_read_vyk: Pixel data ends after %lu of %lu bytes\n",
                   static_cast<unsigned long>(produced), static_cast<unsigned long>(expected));
        result = -1;
    }
    return result;
}

// The flags after "VYKIMG" on the first line.
struct VykFlags {
    bool v4 = false;        // '4': the geometry line is a domain string
    bool separate = false;  // '*': the pixels are in a file named after the header
    bool zipped = false;    // 'Z': zlib streams
    bool skip_v = false;    // 'V': 1024 bytes to pass over
    bool block_c = false;   // 'C': a block of its own length to pass over
};

int header_ends_early()
{
    MESS_print(M_WARN, "IMG_read_vyk: Image header ends early\n");
    return 0;
}

// The text lines of the header: the signature and its flags, the date label, the title and the
// geometry; false after a message.
bool read_vyk_header(FILE *fp, IMG_report *image, VykFlags &f)
{
    char line[FGETLINE_MAX + 1];
    if (fgetline(fp, line) < 0 || std::strncmp(line, "VYKIMG", 6) != 0) {
        MESS_print(M_WARN, "IMG_read_vyk: Invalid image type\n");
        return false;
    }
    const char *flags = line + 6;
    f.v4 = std::strchr(flags, '4') != nullptr;
    f.separate = std::strchr(flags, '*') != nullptr;
    f.zipped = std::strchr(flags, 'Z') != nullptr;
    f.skip_v = std::strchr(flags, 'V') != nullptr;
    f.block_c = std::strchr(flags, 'C') != nullptr;
    image->source = IMG_SOURCE_VYK;

    if (fgetline(fp, line) < 0) return header_ends_early();
    strfcpy(image->datim, line);
    DATE_decode_label(image->datim, &image->date);
    if (fgetline(fp, line) < 0) return header_ends_early();
    strfcpy(image->info, line);

    if (fgetline(fp, line) < 0 || std::getc(fp) != '\n') {
        MESS_print(M_WARN, "IMG_read_vyk: Invalid geometry line\n");
        return false;
    }
    if (f.v4) {
        DOM_decode(line, &image->domain);
        image->width = image->domain.nx;
        image->height = image->domain.ny;
    } else if (!decode_geometry(line, image)) {
        MESS_print(M_WARN, "IMG_read_vyk: Invalid geometry line\n");
        return false;
    }
    image->depth = 8;
    image->bytes_line = image->width;
    return IMG_check_size("IMG_read_vyk", image->width, image->height, image->bytes_line, 8);
}

// The binary blocks before the pixels that the flags announce.
bool skip_vyk_blocks(FILE *fp, const VykFlags &f)
{
    if (f.skip_v && !skip_bytes(fp, 1024)) return header_ends_early();
    if (!f.block_c) return true;
    unsigned char head[4];
    if (std::fread(head, 1, 4, fp) != 4) return header_ends_early();
    const int count = static_cast<signed char>(head[3]);
    if (count < 0) {
        MESS_print(M_WARN, "IMG_read_vyk: Invalid block count: %d\n", count);
        return false;
    }
    return skip_bytes(fp, 2L * count) || header_ends_early();
}

// The pixels: from the file named after the header, from zlib streams or as they stand.
int read_vyk_pixels(FILE *fp, IMG_report *image, const VykFlags &f)
{
    const size_t size = static_cast<size_t>(image->bytes_line) * static_cast<size_t>(image->height);
    image->data = static_cast<unsigned char *>(std::calloc(size, 1));
    if (image->data == nullptr) {
        MESS_print(M_WARN, "IMG_read_vyk: Unable to allocate data buffer.\n");
        return 0;
    }
    size_t got;
    if (f.separate) {
        char name[FGETLINE_MAX + 1];
        if (!read_word(fp, name)) {
            MESS_print(M_WARN, "IMG_read_vyk: Invalid pixel file name\n");
            return 0;
        }
        // A name from a data file is opened as a plain file, never as a command.
        FILE *pix = std::fopen(name, "rb");
        if (pix == nullptr) {
            MESS_print(M_WARN, "Unable to open: %s\n", name);
            return 0;
        }
        got = std::fread(image->data, 1, size, pix);
        std::fclose(pix);
    } else if (f.zipped) {
        return inflate_pixels(fp, image->data, size) == 0 ? 1 : 0;
    } else {
        got = std::fread(image->data, 1, size, fp);
    }
    if (got != size) {
        MESS_print(M_WARN, "IMG_read_vyk: Pixel data ends after %lu of %lu bytes\n",
                   static_cast<unsigned long>(got), static_cast<unsigned long>(size));
        return 0;
    }
    return 1;
}

int read_vyk(FILE *fp, IMG_report *image)
{
    IMG_init(image);
    VykFlags flags;
    if (!read_vyk_header(fp, image, flags) || !skip_vyk_blocks(fp, flags)) return 0;
    return read_vyk_pixels(fp, image, flags);
}

// ---- own-format writing --------------------------------------------------------------------

/// A header text on one line: cut to its field, line ends turned into blanks.
void put_text_line(FILE *fp, const char *text, size_t size)
{
    const size_t n = strnlen(text, size - 1);
    for (size_t i = 0; i < n; i++) {
        const char c = text[i];
        std::putc(c == '\n' || c == '\r' ? ' ' : c, fp);
    }
    std::putc('\n', fp);
}

void put_geometry(FILE *fp, const IMG_report *image)
{
    const Domain &d = image->domain;
    char token[FGETLINE_MAX + 1];
    switch (d.proj) {
    case 2: std::snprintf(token, sizeof token, "LL "); break;
    case 3: std::snprintf(token, sizeof token, "ME "); break;
    case 1:
        if (!VYK_is_miss(d.plon) && d.plon != d.clon)
            std::snprintf(token, sizeof token, "PS:%f ", d.plon);
        else
            std::snprintf(token, sizeof token, "PS ");
        break;
    case 4:
        if (!VYK_is_miss(d.param[0]))
            std::snprintf(token, sizeof token, "LC:%f:%f:%f:%f:%f ", d.plat, d.plon, d.param[0],
                          d.param[1], d.param[2]);
        else if (!VYK_is_miss(d.plon))
            std::snprintf(token, sizeof token, "LC:%f ", d.plon);
        else
            std::snprintf(token, sizeof token, "LC ");
        break;
    case 9: {
        int n = std::snprintf(token, sizeof token, "SAT:%f:%f", d.plat, d.plon);
        if (n < 0 || n >= static_cast<int>(sizeof token)) n = 0;
        if (!VYK_is_miss(d.param[0]))
            std::snprintf(token + n, sizeof token - n, ":%f ", d.param[0]);
        else
            std::snprintf(token + n, sizeof token - n, " ");
        break;
    }
    default:
        // No token names this domain: the picture is written without one.
        std::fprintf(fp, "%d %d\n", image->width, image->height);
        return;
    }
    // The point counts are the picture's size; a domain of other counts is rescaled to it.
    float dx = d.dx, dy = d.dy;
    if (d.nx > 1 && image->width > 1 && d.nx != image->width && !VYK_is_miss(dx))
        dx = static_cast<float>(d.nx - 1) / static_cast<float>(image->width - 1) * dx;
    if (d.ny > 1 && image->height > 1 && d.ny != image->height && !VYK_is_miss(dy))
        dy = static_cast<float>(d.ny - 1) / static_cast<float>(image->height - 1) * dy;
    std::fprintf(fp, "%s%f %f %f %f %d %d\n", token, d.clat, d.clon, dx, dy, image->width,
                 image->height);
}

/// Where the pixel bytes go: straight to the file, or in blocks of BLOCK_BYTES, each
/// compressed as a zlib stream of its own.
class PixelSink {
public:
    PixelSink(FILE *fp, bool zipped) : fp_(fp), zipped_(zipped)
    {
        if (zipped_) {
            std::memset(&zs_, 0, sizeof zs_);
            ok_ = deflateInit(&zs_, Z_DEFAULT_COMPRESSION) == Z_OK;
            started_ = ok_;
        }
    }
    ~PixelSink()
    {
        if (started_) deflateEnd(&zs_);
    }
    PixelSink(const PixelSink &) = delete;
    PixelSink &operator=(const PixelSink &) = delete;

    void put(const unsigned char *p, size_t n)
    {
        if (!ok_) return;
        if (!zipped_) {
            if (std::fwrite(p, 1, n, fp_) != n) ok_ = false;
            return;
        }
        while (n > 0) {
            size_t take = BLOCK_BYTES - fill_;
            if (take > n) take = n;
            std::memcpy(block_ + fill_, p, take);
            fill_ += take;
            p += take;
            n -= take;
            if (fill_ == BLOCK_BYTES) flush();
        }
    }
    /// Writes the last block; true when everything was written.
    bool finish()
    {
        if (zipped_ && fill_ > 0) flush();
        return ok_;
    }

private:
    void flush()
    {
        deflateReset(&zs_);
        zs_.next_in = block_;
        zs_.avail_in = static_cast<uInt>(fill_);
        zs_.next_out = zbuf_;
        zs_.avail_out = sizeof zbuf_;
        const int st = deflate(&zs_, Z_FINISH);
        MESS_print(M_DEBUG_C, "Deflate+ %d = %d %lu = %d %lu\n", st, zs_.avail_in, zs_.total_in,
                   zs_.avail_out, zs_.total_out);
        const size_t out = sizeof zbuf_ - zs_.avail_out;
        if (st != Z_STREAM_END || std::fwrite(zbuf_, 1, out, fp_) != out) ok_ = false;
        fill_ = 0;
    }

    FILE *fp_;
    bool zipped_;
    bool ok_ = true;
    bool started_ = false;
    z_stream zs_;
    size_t fill_ = 0;
    unsigned char block_[BLOCK_BYTES];
    unsigned char zbuf_[ZBUF_BYTES];
};

bool write_pixels(FILE *fp, const IMG_report *image, const Layout &lay, bool zipped)
{
    const size_t width = static_cast<size_t>(image->width);
    if (!zipped && lay.bits == 8 && static_cast<size_t>(image->bytes_line) == width) {
        const size_t n = width * static_cast<size_t>(image->height);
        return std::fwrite(image->data, 1, n, fp) == n;
    }
    PixelSink sink(fp, zipped);
    unsigned char *row_bytes = nullptr;
    if (lay.bits != 8) {
        row_bytes = static_cast<unsigned char *>(std::malloc(width));
        if (row_bytes == nullptr) return false;
    }
    for (int y = 0; y < image->height; y++) {
        const unsigned char *row = image->data + static_cast<size_t>(y) * image->bytes_line;
        if (lay.bits == 8) {
            sink.put(row, width);
        } else {
            for (size_t s = 0; s < width; s++)
                row_bytes[s] = slot_byte(row, lay, static_cast<int>(s));
            sink.put(row_bytes, width);
        }
    }
    std::free(row_bytes);
    return sink.finish();
}

// ---- palettes for the GIF and PNG writers --------------------------------------------------

/// Pixel value to palette entry, open addressing over 1024 slots (at most 256 in use).
class ValueMap {
public:
    ValueMap() { std::memset(entry_, 0xff, sizeof entry_); }
    /// The entry of v, or -1.
    int find(unsigned v) const
    {
        for (unsigned h = hash(v);; h = (h + 1) & (SIZE - 1)) {
            if (entry_[h] < 0) return -1;
            if (key_[h] == v) return entry_[h];
        }
    }
    void add(unsigned v, int e)
    {
        unsigned h = hash(v);
        while (entry_[h] >= 0) h = (h + 1) & (SIZE - 1);
        key_[h] = v;
        entry_[h] = static_cast<int16_t>(e);
    }

private:
    static constexpr unsigned SIZE = 1024;
    static unsigned hash(unsigned v) { return (v * 2654435761u) >> 22; }
    unsigned key_[SIZE];
    int16_t entry_[SIZE];
};

// ---- reading any kind -------------------------------------------------------------------

/// A stream that gives the bytes already taken from a file, then the rest of the file.
struct Replay {
    std::string head;
    size_t pos;
    FILE *rest;
};

ssize_t replay_read(void *cookie, char *buf, size_t size)
{
    Replay *r = static_cast<Replay *>(cookie);
    if (r->pos < r->head.size()) {
        const size_t n = std::min(size, r->head.size() - r->pos);
        std::memcpy(buf, r->head.data() + r->pos, n);
        r->pos += n;
        return static_cast<ssize_t>(n);
    }
    // A reader that waits for a growing file reads again after the end.
    if (std::feof(r->rest)) std::clearerr(r->rest);
    const size_t n = std::fread(buf, 1, size, r->rest);
    return n == 0 && std::ferror(r->rest) ? -1 : static_cast<ssize_t>(n);
}

FILE *replay_stream(Replay *r)
{
    cookie_io_functions_t io{};
    io.read = replay_read;
    return fopencookie(r, "r", io);
}

constexpr size_t MAGIC_BYTES = 6;
constexpr size_t MAX_COMMENT = 4096;  // a longer first comment line is not an image's

/// A reader of one kind and the first bytes that select it.
struct Kind {
    const char *magic;
    size_t offset;
    int (*read)(FILE *, IMG_report *, int);
};
constexpr Kind KINDS[] = {
    {"GIF", 0, GIF_read_stream},
    {"PNG", 1, PNG_read_stream},
    {"VYK", 0, VYK_read_stream},
};
constexpr Kind OTHER_KIND = {"", 0, XWD_read_stream};

/// Reads the first bytes of fp into head (a first line beginning "** " is a comment: the six
/// bytes after it decide) and returns the reader of their kind.
Kind sniff_kind(FILE *fp, std::string &head)
{
    auto take = [&](size_t n) {
        char buf[MAGIC_BYTES];
        const size_t got = std::fread(buf, 1, std::min(n, sizeof buf), fp);
        head.append(buf, got);
        return got;
    };
    take(MAGIC_BYTES);
    size_t start = 0;
    if (head.compare(0, 3, "** ") == 0) {
        size_t nl = head.find('\n');
        for (int c; nl == std::string::npos && head.size() < MAX_COMMENT &&
                    (c = std::getc(fp)) != EOF;) {
            head += static_cast<char>(c);
            if (c == '\n') nl = head.size() - 1;
        }
        if (nl == std::string::npos) return OTHER_KIND;
        start = nl + 1;
        if (head.size() < start + MAGIC_BYTES) take(start + MAGIC_BYTES - head.size());
    }
    const std::string magic = head.substr(start, MAGIC_BYTES);
    for (const Kind &k : KINDS)
        if (magic.size() >= k.offset + std::strlen(k.magic) &&
            magic.compare(k.offset, std::strlen(k.magic), k.magic) == 0)
            return k;
    return OTHER_KIND;
}

}  // namespace

int IMG_set_read_wait(int tries, float seconds)
{
    wait_tries = tries < 0 ? 0 : tries;
    wait_seconds = seconds;
    return 0;
}

int IMG_init(IMG_report *image)
{
    std::memset(image, 0, sizeof *image);
    DATE_init(&image->date);
    DOM_init(&image->domain);
    image->byte_order = 1;
    image->trans_color = -1;
    return 0;
}

int IMG_print(M_type level, const IMG_report *image)
{
    MESS_print(level, "Source: %d\n", image->source);
    MESS_print(level, "Version: %d\n", image->version);
    MESS_print(level, "Date: %.*s\n", IMG_DATIM_LEN - 1, image->datim);
    MESS_print(level, "Info: %.*s\n", IMG_INFO_LEN - 1, image->info);
    MESS_print(level, "Type: %d\n", image->type);
    MESS_print(level, "Size: %dx%d\n", image->width, image->height);
    MESS_print(level, "Resolution: %.2fx%.2f\n", image->xres, image->yres);
    MESS_print(level, "Offset: %.2fx%.2f\n", image->xoff, image->yoff);
    MESS_print(level, "Depth: %d\n", image->depth);
    MESS_print(level, "Bits per pixel: %d\n", image->bits_pixel);
    MESS_print(level, "Bytes per line: %d\n", image->bytes_line);
    MESS_print(level, "Bytes order: %d\n", image->byte_order);
    MESS_print(level, "Number of colors: %d\n", image->num_colors);
    MESS_print(level, "Tranparent colors: %d\n", image->trans_color);
    DOM_print(level, &image->domain);
    return 0;
}

int IMG_copy(IMG_report *dest, const IMG_report *src)
{
    if (dest == src) return 0;
    IMG_report copy = *src;
    copy.data = nullptr;
    copy.colors = nullptr;
    int result = 0;
    if (src->data != nullptr && src->bytes_line > 0 && src->height > 0) {
        const size_t n = static_cast<size_t>(src->bytes_line) * static_cast<size_t>(src->height);
        copy.data = static_cast<unsigned char *>(std::malloc(n));
        if (copy.data) std::memcpy(copy.data, src->data, n);
        else result = -1;
    }
    if (result == 0 && src->colors != nullptr && src->num_colors > 0) {
        const size_t n = static_cast<size_t>(src->num_colors) * sizeof(IMG_color);
        copy.colors = static_cast<IMG_color *>(std::malloc(n));
        if (copy.colors) std::memcpy(copy.colors, src->colors, n);
        else result = -1;
    }
    if (result != 0) {
        std::free(copy.data);
        std::free(copy.colors);
        copy.data = nullptr;
        copy.colors = nullptr;
    }
    *dest = copy;
    return result;
}

int IMG_free(IMG_report *image)
{
    std::free(image->data);
    std::free(image->colors);
    image->data = nullptr;
    image->colors = nullptr;
    image->num_colors = 0;
    return 0;
}

int IMG_check_size(const char *func, long width, long height, long bytes_line, long bits_pixel)
{
    const bool ok = width > 0 && height > 0 && width <= IMG_MAX_SIZE && height <= IMG_MAX_SIZE &&
                    bits_pixel > 0 && bits_pixel <= 32 && bytes_line > 0 &&
                    bytes_line <= IMG_MAX_BYTES && bytes_line >= (width * bits_pixel + 7) / 8 &&
                    bytes_line * height <= IMG_MAX_BYTES;
    if (!ok)
        MESS_print(M_WARN, "%s: Invalid image size: %ldx%ld, %ld bytes per line\n", func, width,
                   height, bytes_line);
    return ok ? 1 : 0;
}

int IMG_read(const char *filename, IMG_report *image, int type)
{
    FILE *fp = filename ? FILE_open(filename, "r") : nullptr;
    if (fp == nullptr) {
        MESS_print(M_WARN, "IMG_read: Unable to open image file: %s\n", filename ? filename : "");
        return 0;
    }
    // The file is read once: the sniffed bytes are replayed to the reader before the rest.
    Replay replay{{}, 0, fp};
    const Kind kind = sniff_kind(fp, replay.head);
    IMG_init(image);
    image->depth = gget_win_depth();
    if (type == IMG_READ_HEADER && image->depth == 0) image->depth = 32;
    FILE *stream = replay_stream(&replay);
    int result = 0;
    if (stream == nullptr) {
        MESS_print(M_WARN, "IMG_read: Unable to read image file: %s\n", filename);
    } else {
        result = kind.read(stream, image, type);
        std::fclose(stream);
    }
    FILE_close(fp);
    if (result == 0) IMG_free(image);
    return result;
}

int VYK_read_stream(FILE *fp, IMG_report *image, int) { return read_vyk(fp, image); }

int IMG_read_vyk(const char *filename, IMG_report *image, int type)
{
    FILE *fp = filename ? FILE_open(filename, "r") : nullptr;
    if (fp == nullptr) {
        MESS_print(M_WARN, "Unable to open: %s\n", filename ? filename : "");
        return 0;
    }
    const int result = VYK_read_stream(fp, image, type);
    FILE_close(fp);
    return result;
}

int IMG_write(const char *filename, IMG_report *image, int type)
{
    Layout lay;
    if (!get_layout("IMG_write", image, &lay)) return 0;
    FILE *fp = filename ? FILE_open(filename, "wb") : nullptr;
    if (fp == nullptr) {
        MESS_print(M_WARN, "Unable to open: %s\n", filename ? filename : "");
        return 0;
    }
    std::fputs(type == IMG_WRITE_ZLIB ? "VYKIMGZ\n" : "VYKIMG\n", fp);
    put_text_line(fp, image->datim, sizeof image->datim);
    put_text_line(fp, image->info, sizeof image->info);
    put_geometry(fp, image);
    const bool written = write_pixels(fp, image, lay, type == IMG_WRITE_ZLIB);
    // A file that could not be written whole is removed.
    const bool ok = FILE_close_output(fp, -1, !written) == 0;
    if (!ok) {
        MESS_print(M_WARN, "IMG_write: Unable to write: %s\n", filename);
        return 0;
    }
    return 1;
}

int IMG_dump(const char *filename)
{
    IMG_report image;
    if (gget_image(&image) == 0) return 0;
    if (PLT_get_view_offset() <= 0.7f && MAP_get_domain(&image.domain) != nullptr) {
        Domain &d = image.domain;
        if (d.nx != image.width && d.nx > 1 && d.ny > 1 && image.width > 1 && image.height > 1) {
            d.dx = static_cast<float>(d.nx - 1) / static_cast<float>(image.width - 1) * d.dx;
            d.dy = static_cast<float>(d.ny - 1) / static_cast<float>(image.height - 1) * d.dy;
            d.nx = image.width;
            d.ny = image.height;
        }
    }
    const char *upper_left = PLT_get_label(0, 0);
    const char *lower_right = PLT_get_label(5, 0);
    const char *upper_right = PLT_get_label(2, 0);
    std::snprintf(image.info, sizeof image.info, "%s [%s]", upper_left ? upper_left : "",
                  lower_right ? lower_right : "");
    strfcpy(image.datim, upper_right);
    const int result = IMG_write(filename, &image, IMG_WRITE_RAW);
    IMG_free(&image);
    return result;
}

int IMG_index_pixels(const char *func, const IMG_report *image, long background,
                     IMG_palette *pal, unsigned char *index)
{
    Layout lay;
    if (!get_layout(func, image, &lay)) return -1;
    pal->num_color = 0;
    pal->trans = -1;
    std::memset(pal->value, 0, sizeof pal->value);
    std::memset(pal->red, 0, sizeof pal->red);
    std::memset(pal->grn, 0, sizeof pal->grn);
    std::memset(pal->blu, 0, sizeof pal->blu);

    // How a value becomes a colour.
    const bool table = image->color_type == IMG_TABLE;
    const bool grey = !table && image->red == 0 && image->grn == 0 && image->blu == 0 &&
                      lay.bits <= 16;
    Channel r{}, g{}, b{};
    if (!table && !grey) {
        const bool none = image->red == 0 && image->grn == 0 && image->blu == 0;
        r = channel(none ? 0xff0000u : image->red);
        g = channel(none ? 0xff00u : image->grn);
        b = channel(none ? 0xffu : image->blu);
        MESS_print(M_DEBUG_C, "mask: %d-%d %d-%d %d-%d\n", r.shift, 8 - r.ones, g.shift,
                   8 - g.ones, b.shift, 8 - b.ones);
    }
    const int num_table = image->colors ? image->num_colors : 0;

    ValueMap map;

    const int width = image->width;
    unsigned last_value = 0;
    int last_entry = -1;
    for (int y = 0; y < image->height; y++) {
        const unsigned char *row = image->data + static_cast<size_t>(y) * image->bytes_line;
        unsigned char *out = index + static_cast<size_t>(y) * width;
        for (int s = 0; s < width; s++) {
            const unsigned v = slot_value(row, lay, s);
            if (v == last_value && last_entry >= 0) {
                out[s] = static_cast<unsigned char>(last_entry);
                continue;
            }
            int e = map.find(v);
            if (e < 0) {
                if (pal->num_color < 256) {
                    e = pal->num_color++;
                    map.add(v, e);
                    pal->value[e] = v;
                    if (table) {
                        if (static_cast<long>(v) < num_table) {
                            const IMG_color &c = image->colors[v];
                            pal->red[e] = byte_of(c.r);
                            pal->grn[e] = byte_of(c.g);
                            pal->blu[e] = byte_of(c.b);
                        }
                    } else if (grey) {
                        unsigned level;
                        switch (lay.bits) {
                        case 16: level = v >> 8; break;
                        case 4: level = v * 17; break;
                        case 1: level = v * 255; break;
                        default: level = v; break;
                        }
                        pal->red[e] = pal->grn[e] = pal->blu[e] = static_cast<unsigned char>(level);
                    } else {
                        pal->red[e] = static_cast<unsigned char>(r.get(v));
                        pal->grn[e] = static_cast<unsigned char>(g.get(v));
                        pal->blu[e] = static_cast<unsigned char>(b.get(v));
                    }
                    if (background >= 0 && static_cast<long>(v) == background) pal->trans = e;
                } else {
                    e = 0;
                }
            }
            last_value = v;
            last_entry = e;
            out[s] = static_cast<unsigned char>(e);
        }
    }
    return 0;
}
