// GRIB edition 2 values held as images: a JPEG 2000 code stream (OpenJPEG) or a PNG file
// (libpng) in the data section, both decoded from memory.
//
// The image's size is read from its header and checked against the grid before any pixel is
// decoded, so that a stream claiming an absurd size is refused at once; only the first
// component is decoded.  libpng reports errors by a long jump back to the setjmp of the call:
// the function that sets it up holds only plain C data, everything it fills lives in the
// caller's record.
#include "grib2_internal.h"
#include "vykmess.h"

#include <openjpeg.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr M_type M_TRACE = M_DEBUG_C;
constexpr int PIXEL_OCTETS_MAX = 4;  // widest PNG pixel taken as one packed value

// ---------------------------------------------------------------------------------------------
// JPEG 2000
// ---------------------------------------------------------------------------------------------

/// The code stream as an OpenJPEG input stream.
struct Memory {
    const unsigned char *p;
    size_t n, pos;
};

OPJ_SIZE_T mem_read(void *buf, OPJ_SIZE_T want, void *user)
{
    Memory *m = static_cast<Memory *>(user);
    if (m->pos >= m->n) return OPJ_SIZE_T(-1);
    const size_t k = want < m->n - m->pos ? size_t(want) : m->n - m->pos;
    std::memcpy(buf, m->p + m->pos, k);
    m->pos += k;
    return k;
}

OPJ_OFF_T mem_skip(OPJ_OFF_T by, void *user)
{
    Memory *m = static_cast<Memory *>(user);
    if (by < 0) {
        const size_t back = size_t(-by) < m->pos ? size_t(-by) : m->pos;
        m->pos -= back;
        return -OPJ_OFF_T(back);
    }
    const size_t k = size_t(by) < m->n - m->pos ? size_t(by) : m->n - m->pos;
    m->pos += k;
    return OPJ_OFF_T(k);
}

OPJ_BOOL mem_seek(OPJ_OFF_T to, void *user)
{
    Memory *m = static_cast<Memory *>(user);
    if (to < 0 || size_t(to) > m->n) return OPJ_FALSE;
    m->pos = size_t(to);
    return OPJ_TRUE;
}

void opj_note(const char *msg, void *)
{
    MESS_print(M_TRACE, "OpenJPEG: %s", msg);
}

/// The objects of one decoding, released together.
struct Jpeg {
    opj_stream_t *stream = nullptr;
    opj_codec_t *codec = nullptr;
    opj_image_t *image = nullptr;
    ~Jpeg()
    {
        if (image) opj_image_destroy(image);
        if (codec) opj_destroy_codec(codec);
        if (stream) opj_stream_destroy(stream);
    }
};

bool jp2_box(const unsigned char *p, size_t n)
{
    static const unsigned char SIG[] = {0, 0, 0, 12, 'j', 'P', ' ', ' '};
    return n >= sizeof SIG && std::memcmp(p, SIG, sizeof SIG) == 0;
}

/// The image and tile sizes of the code stream's SIZ marker, read before OpenJPEG sees the
/// stream (it lays out every tile while reading the header): false when the image, or its
/// number of tiles, is larger than a grid of max_points, or when there is no SIZ marker.
bool siz_fits(const unsigned char *p, size_t n, size_t max_points, uint64_t *w, uint64_t *h)
{
    static const unsigned char SOC_SIZ[] = {0xFF, 0x4F, 0xFF, 0x51};
    const unsigned char *q = nullptr;
    for (size_t i = 0; i + 4 <= n && !q; i++)
        if (std::memcmp(p + i, SOC_SIZ, 4) == 0) q = p + i + 4;
    if (!q || size_t(p + n - q) < 2 + 2 + 8 * 4) return true;  // OpenJPEG reports it
    auto u32 = [&](int k) { return uint64_t(grib_uint(q + 4 + 4 * k, 4)); };
    const uint64_t x = u32(0), y = u32(1), xo = u32(2), yo = u32(3);
    const uint64_t xt = u32(4), yt = u32(5), xto = u32(6), yto = u32(7);
    *w = x > xo ? x - xo : 0;
    *h = y > yo ? y - yo : 0;
    if (*w * *h > max_points) return false;
    if (xt == 0 || yt == 0 || x <= xto || y <= yto) return true;  // OpenJPEG refuses these
    const uint64_t tiles = ((x - xto + xt - 1) / xt) * ((y - yto + yt - 1) / yt);
    return tiles <= max_points;
}

long jpeg_failed()
{
    MESS_print(M_WARN, "jpc_decode error\n");
    return -1;
}

}  // namespace

long g2_jpeg_values(const unsigned char *p, size_t len, const G2_image_out &out)
{
    uint64_t sw = 0, sh = 0;
    if (!siz_fits(p, len, out.max_points, &sw, &sh)) {
        MESS_print(M_WARN, "GRIB_DS: a JPEG 2000 image of %llu x %llu points (or its tiles) does "
                           "not fit a grid of %zu: the field is skipped\n",
                   (unsigned long long)sw, (unsigned long long)sh, out.max_points);
        return -1;
    }
    Memory mem{p, len, 0};
    Jpeg j;
    j.stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    j.codec = opj_create_decompress(jp2_box(p, len) ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    if (!j.stream || !j.codec) return jpeg_failed();
    opj_stream_set_user_data(j.stream, &mem, nullptr);
    opj_stream_set_user_data_length(j.stream, OPJ_UINT64(len));
    opj_stream_set_read_function(j.stream, mem_read);
    opj_stream_set_skip_function(j.stream, mem_skip);
    opj_stream_set_seek_function(j.stream, mem_seek);
    opj_set_error_handler(j.codec, opj_note, nullptr);
    opj_set_warning_handler(j.codec, opj_note, nullptr);
    opj_set_info_handler(j.codec, opj_note, nullptr);
    opj_dparameters_t prm;
    opj_set_default_decoder_parameters(&prm);
    if (!opj_setup_decoder(j.codec, &prm) || !opj_read_header(j.stream, j.codec, &j.image) ||
        !j.image || j.image->numcomps < 1)
        return jpeg_failed();
    const uint64_t w = j.image->x1 > j.image->x0 ? j.image->x1 - j.image->x0 : 0;
    const uint64_t h = j.image->y1 > j.image->y0 ? j.image->y1 - j.image->y0 : 0;
    MESS_print(M_TRACE, "JAS %u %u = %u %u = %u\n", j.image->x0, j.image->y0, unsigned(w),
               unsigned(h), j.image->numcomps);
    if (w * h > out.max_points) {
        MESS_print(M_WARN, "GRIB_DS: a JPEG 2000 image of %llu x %llu points does not fit a grid "
                           "of %zu: the field is skipped\n",
                   (unsigned long long)w, (unsigned long long)h, out.max_points);
        return -1;
    }
    const OPJ_UINT32 first[] = {0};
    if (!opj_set_decoded_components(j.codec, 1, first, OPJ_FALSE) ||
        !opj_decode(j.codec, j.stream, j.image) || !opj_end_decompress(j.codec, j.stream))
        return jpeg_failed();
    const opj_image_comp_t &c = j.image->comps[0];
    const uint64_t points = uint64_t(c.w) * uint64_t(c.h);
    if (!c.data || points > out.max_points) return jpeg_failed();
    if (points < out.want) {
        MESS_print(M_WARN, "GRIB_DS: a JPEG 2000 image of %llu points holds fewer than the %zu "
                           "values declared: the field is skipped\n",
                   (unsigned long long)points, out.want);
        return -1;
    }
    const OPJ_INT32 *d = c.data;
    for (size_t i = 0; i < out.want; i++) out.v[i] = float(out.c + out.a * double(d[i]));
    return long(out.want);
}

// ---------------------------------------------------------------------------------------------
// PNG
// ---------------------------------------------------------------------------------------------

namespace {

/// What one PNG decoding fills; owned by the caller of the function that holds the setjmp.
struct PngRead {
    const unsigned char *p = nullptr;
    size_t n = 0, pos = 0;
    const G2_image_out *out = nullptr;
    png_uint_32 width = 0, height = 0;
    int pixel_octets = 0;
    bool too_large = false, too_small = false;
    size_t done = 0;                  // values written
    unsigned char *pixels = nullptr;  // one row, or every row of an interlaced image
    png_bytep *rows = nullptr;
};

/// The values of n pixels of k octets each (big-endian samples) from q, up to the values wanted.
void take_pixels(PngRead *r, const unsigned char *q, size_t n)
{
    const G2_image_out &o = *r->out;
    const size_t m = std::min(n, o.want - r->done);
    float *v = o.v + r->done;
    const int k = r->pixel_octets;
    if (k == 1) {
        for (size_t i = 0; i < m; i++) v[i] = float(o.c + o.a * double(q[i]));
    } else if (k == 2) {
        for (size_t i = 0; i < m; i++, q += 2)
            v[i] = float(o.c + o.a * double((unsigned(q[0]) << 8) | q[1]));
    } else {
        for (size_t i = 0; i < m; i++, q += k) {
            uint32_t x = 0;
            for (int b = 0; b < k; b++) x = (x << 8) | q[b];
            v[i] = float(o.c + o.a * double(x));
        }
    }
    r->done += m;
}

void png_mem_read(png_structp png, png_bytep buf, png_size_t want)
{
    PngRead *r = static_cast<PngRead *>(png_get_io_ptr(png));
    if (want > r->n - r->pos) png_error(png, "the PNG stream ends early");
    std::memcpy(buf, r->p + r->pos, want);
    r->pos += want;
}

void png_fail(png_structp png, png_const_charp msg)
{
    MESS_print(M_WARN, "GRIB_DS: PNG: %s\n", msg);
    png_longjmp(png, 1);
}

void png_note(png_structp, png_const_charp msg) { MESS_print(M_TRACE, "PNG: %s\n", msg); }

/// Decodes r's stream into r->pixels.  1, or 0 (a warning).
int png_decode(PngRead *r)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, png_note);
    if (!png) return 0;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return 0;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return 0;
    }
    png_set_read_fn(png, r, png_mem_read);
    png_set_chunk_malloc_max(png, 1 << 20);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_read_info(png, info);
    r->width = png_get_image_width(png, info);
    r->height = png_get_image_height(png, info);
    const uint64_t points = uint64_t(r->width) * uint64_t(r->height);
    r->too_large = points > r->out->max_points;
    r->too_small = points < r->out->want;
    if (r->too_large || r->too_small) {
        png_destroy_read_struct(&png, &info, nullptr);
        return 0;
    }
    // Samples as stored: packed grey levels one to an octet, never scaled.
    if (png_get_bit_depth(png, info) < 8) png_set_packing(png);
    const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowbytes = png_get_rowbytes(png, info);
    r->pixel_octets = r->width ? int(rowbytes / r->width) : 0;
    if (r->pixel_octets < 1 || r->pixel_octets > PIXEL_OCTETS_MAX ||
        rowbytes != size_t(r->width) * size_t(r->pixel_octets))
        png_error(png, "pixels of this depth are not GRIB values");
    if (!interlaced) {
        // Row by row through one row of pixels.
        r->pixels = static_cast<unsigned char *>(std::malloc(rowbytes));
        if (!r->pixels) png_error(png, "out of memory");
        for (png_uint_32 y = 0; y < r->height && r->done < r->out->want; y++) {
            png_read_row(png, r->pixels, nullptr);
            take_pixels(r, r->pixels, r->width);
        }
    } else {
        r->pixels = static_cast<unsigned char *>(std::malloc(rowbytes * r->height + 1));
        r->rows = static_cast<png_bytep *>(std::malloc(sizeof(png_bytep) * (r->height + 1)));
        if (!r->pixels || !r->rows) png_error(png, "out of memory");
        for (png_uint_32 y = 0; y < r->height; y++) r->rows[y] = r->pixels + size_t(y) * rowbytes;
        png_read_image(png, r->rows);
        take_pixels(r, r->pixels, size_t(r->width) * r->height);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return 1;
}

}  // namespace

long g2_png_values(const unsigned char *p, size_t len, const G2_image_out &out)
{
    PngRead r;
    r.p = p;
    r.n = len;
    r.out = &out;
    const int ok = png_decode(&r);
    std::free(r.pixels);
    std::free(r.rows);
    if (r.too_large) {
        MESS_print(M_WARN, "GRIB_DS: a PNG image of %u x %u points does not fit a grid of %zu: "
                           "the field is skipped\n",
                   unsigned(r.width), unsigned(r.height), out.max_points);
        return -1;
    }
    if (r.too_small) {
        MESS_print(M_WARN, "GRIB_DS: a PNG image of %llu points holds fewer than the %zu values "
                           "declared: the field is skipped\n",
                   (unsigned long long)(uint64_t(r.width) * r.height), out.want);
        return -1;
    }
    return ok && r.done == out.want ? long(out.want) : -1;
}
