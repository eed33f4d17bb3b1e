// GRIB files through the grid-file contract: products numbered in file order, header-only
// scans, re-reading the current product with its values, skipping ahead, rewinding.
//
// Each message is handed to the decoder of its edition (a table of editions).  Messages that no
// decoder takes (GRID and BUFR messages in a GRIB stream, an edition without a decoder, a
// stated length that was refused, a product whose header or grid cannot be decoded) are
// stepped over with a warning and get no product number, so a header scan and a read with
// values count products alike.  After every read the stream stands at the start (framing
// included) of the product read.
#include "grib_internal.h"
#include "vykgrd.h"
#include "vykvar.h"

#include <cstring>

namespace {

/// The decoders, by edition.
const GRIB_edition *const editions[] = {&grib_edition_1, &grib_edition_2};

const GRIB_edition *edition_row(int edition_octet)
{
    const int edition = edition_octet == 2 ? 2 : edition_octet == 1 ? 1 : 0;
    for (const GRIB_edition *e : editions)
        if (edition >= e->first && edition <= e->last) return e;
    return nullptr;
}

/// Why a message is stepped over, or NULL when it is decoded.
const char *passed_over(const GRIB_edition *row)
{
    if (GRIB_size_refused()) return "its stated length";
    switch (GRIB_get_type()) {
    case 'D': return "a GRID message";
    case 'R': return "a BUFR message";
    default: break;
    }
    return row ? nullptr : "an edition without a decoder";
}

constexpr int NEXT_MESSAGE = 2;

/// After an edition-2 field: the next product is the message's next field, or what follows the
/// message (end: where the message ends, when known).
void follow_field(GRD_pos &p, long end)
{
    const long next = grib2_next_field();
    if (next > p.cur_pos) {
        p.new_pos = next;
        p.cont = 1;
        return;
    }
    p.cont = 0;
    const long after = grib2_message_end();
    p.new_pos = end > p.cur_pos ? end : after;
}

/// The product at cur_pos, a later field of the message read last: 0 decoded, 1 values not
/// decoded, -1 at the end of the stream; NEXT_MESSAGE when the message holds no further field
/// (cur_pos then stands after the message and the search for the next one goes on).
int continuation(GRD_file *f, int slot, GRD_report *grd, int rep_type)
{
    GRD_pos &p = grd_pos(f);
    if (!grib_seek(f->file, p.cur_pos)) return -1;
    grd->datim[0] = grd->info[0] = '\0';
    const int r = grib2_continue(slot, grd, rep_type);
    if (r == GRIB_SHORT) {
        MESS_print(M_WARN, "GRIB: the message before offset %ld ends before its sections do\n",
                   p.cur_pos);
        return -1;
    }
    p.pcont = 0;
    if (r == GRIB_NO_PRODUCT) {
        // A field refused before its end leaves the message's end unknown to the decoder: the
        // message's own length tells where the next message begins.
        long after = grib2_message_end();
        if (after <= p.cur_pos) after = p.msg_end;
        if (after <= p.cur_pos) return -1;
        p.cur_pos = after;
        return NEXT_MESSAGE;
    }
    p.pcont = 1;
    follow_field(p, p.msg_end);
    grib_seek(f->file, p.cur_pos);
    return r == GRIB_DECODED ? 0 : 1;
}

/// Finds the product at or after cur_pos and decodes it into grd (rep_type as GRD_read's);
/// messages no decoder takes are stepped over.  cur_pos becomes the product's start, new_pos
/// its end, and the stream is left at its start.  0; 1 when the values could not be decoded (a
/// warning was printed); -1 at the end of the stream.
int locate(int slot, GRD_file *f, GRD_report *grd, int rep_type)
{
    GRD_pos &p = grd_pos(f);
    if (p.pcont) {
        const int r = continuation(f, slot, grd, rep_type);
        if (r != NEXT_MESSAGE) return r;
    }
    for (;;) {
        if (!grib_seek(f->file, p.cur_pos)) return -1;
        if (GRIB_header(slot) != 1) return -1;
        const long end = GRIB_next(slot, 0);
        if (end < 0) return -1;
        const GRIB_edition *row = edition_row(GRIB_get_edition());
        const char *why = passed_over(row);
        int r = 0;
        if (!why) {
            grd->datim[0] = grd->info[0] = '\0';
            p.wind = 0;
            r = row->decode(slot, grd, rep_type);
            if (r == GRIB_SHORT) {
                MESS_print(M_WARN, "GRIB: the message at offset %ld ends before its sections do\n",
                           p.cur_pos);
                return -1;
            }
            if (r == GRIB_NO_PRODUCT) why = "its header or grid";
        }
        if (why) {
            MESS_print(M_WARN, "GRIB: a message at offset %ld is passed over (%s)\n", p.cur_pos,
                       why);
            if (end <= p.cur_pos) return -1;  // never back, never in place
            p.cur_pos = end;
            continue;
        }
        p.new_pos = end;
        p.cont = 0;
        p.msg_pos = p.cur_pos;
        p.msg_end = end;
        p.field = 0;
        if (GRIB_get_edition() == 2) follow_field(p, end);
        grib_seek(f->file, p.cur_pos);
        return r == GRIB_DECODED ? 0 : 1;
    }
}

/// Moves from the product at cur_pos (just located) to the next one.
void step(GRD_file *f)
{
    GRD_pos &p = grd_pos(f);
    p.cur_pos = p.new_pos;
    p.pcont = p.cont;
    p.field = p.cont ? p.field + 1 : 0;
    f->num++;
}

/// Moves from the current product to the next one.  0, or -1 at the end of the stream.
int advance(int slot, GRD_file *f)
{
    GRD_scratch s;
    if (locate(slot, f, &s.r, GRD_READ_HEADER) < 0) return -1;
    step(f);
    return 0;
}

/// Product c read from the stream, counting products from the current one (or from the first
/// when c lies before it): GRD_read's results.
int read_stream(int slot, GRD_file *f, GRD_report *grd, int rep_type, int c, int *num)
{
    if (c < f->num) grd_stream_rewind(f, false);
    while (f->num < c)
        if (advance(slot, f) < 0) return -1;
    const int r = locate(slot, f, grd, rep_type);
    if (r < 0) return -1;
    *num = f->num;
    return r == 0 ? 0 : -1;
}

/// The product of an index line decoded at the line's offset: 0, 1 when the values could not
/// be decoded, -1 when the line does not lead to the product it describes.
int read_indexed(int slot, GRD_file *f, const GRIB_index_line &l, GRD_report *grd,
                 int rep_type)
{
    GRD_pos &p = grd_pos(f);
    p.cur_pos = p.msg_pos = l.offset;
    p.new_pos = -1;
    p.cont = p.pcont = 0;
    p.field = 0;
    const int c = f->num;
    int r = 0;
    for (int k = 0; k <= l.field && r >= 0; k++)
        r = k < l.field ? advance(slot, f) : locate(slot, f, grd, rep_type);
    f->num = c;
    if (r < 0 || p.msg_pos != l.offset || p.field != l.field || !grib_index_agrees(l, *grd))
        return -1;
    return r;
}

}  // namespace

int GRIB_grd_getinfo(int slot, GRD_file *f, GRD_info *info)
{
    if (f->std_stream) {
        MESS_print(M_WARN, "GRIB: a standard stream cannot be read as a GRIB file: it must be "
                           "positioned\n");
        return -1;
    }
    info->grid_type = 0;
    std::rewind(f->file);
    if (GRIB_header(slot) != 1) return -1;
    if (GRIB_get_info(slot, info) != 0) return -1;
    f->date = info->date;
    grib_index_load(slot, f);  // the index attached to this open, if any
    return grd_stream_rewind(f, false);
}

int GRIB_grd_read(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num)
{
    if (f->std_stream || !f->file) return -1;
    const int c = *num < 0 ? f->num : *num;
    if (!grib_index_in_use(slot, f)) return read_stream(slot, f, grd, rep_type, c, num);
    // Through the index: headers from its lines, values from the offsets they give.
    const GRIB_index_line *l = grib_index_line(slot, f, c);
    if (!l) return -1;
    f->num = c;
    *num = c;
    if (rep_type != GRD_READ_VALUES) {
        grib_index_header(f, *l, grd, rep_type);
        return 0;
    }
    const int r = read_indexed(slot, f, *l, grd, rep_type);
    if (r >= 0) return r == 0 ? 0 : -1;
    MESS_print(M_WARN, "GRIB index: product %d is not at offset %ld as its line \"%s\" says; "
                       "the GRIB file %s is read without the index\n",
               c, l->offset, l->label, f->name);
    grib_index_drop(slot, f);
    grd_stream_rewind(f, false);
    return read_stream(slot, f, grd, rep_type, c, num);
}

int GRIB_write_index(int grd_fd, const char *filename)
{
    GRD_file *f = GRD_get_gfile(grd_fd);
    if (!f || f->type != GRD_GRIB || !f->file || f->std_stream || !filename ||
        filename[0] == '\0' || filename[0] == '|' || FILE_is_stdio(filename)) {
        MESS_print(M_WARN, "GRIB_write_index: no GRIB file in slot %d or no file name\n",
                   grd_fd);
        return -1;
    }
    FILE *out = FILE_open(filename, "w");
    if (!out) {
        MESS_print(M_WARN, "GRIB_write_index: Unable to create %s\n", filename);
        return -1;
    }
    // The products of the GRIB file itself, never of an index attached to it.
    FILE *hfile = f->hfile;
    f->hfile = nullptr;
    grd_stream_rewind(f, false);
    GRD_pos &p = grd_pos(f);
    GRD_scratch s;
    bool ok = true;
    while (ok && locate(grd_fd, f, &s.r, GRD_READ_HEADER) >= 0) {
        const GRD_report &g = s.r;
        ok = std::fprintf(out, "%ld / GRIB%d S%d M%d G%d T%d L%d H%d V%d", p.msg_pos, g.version,
                          g.source, g.model, g.type, g.time, g.ltype, g.level, g.var) > 0 &&
             (p.field == 0 || std::fprintf(out, " F%d", p.field) > 0) &&
             std::fputc('\n', out) != EOF;
        step(f);
    }
    // An index cut short would send later reads to the wrong products: it is removed.
    ok = FILE_close_output(out, -1, !ok) == 0 && ok;
    f->hfile = hfile;
    grd_stream_rewind(f, false);
    if (!ok) MESS_print(M_WARN, "GRIB_write_index: %s could not be written\n", filename);
    return ok ? 0 : -1;
}

// ---------------------------------------------------------------------------------------------
// Raw copies
// ---------------------------------------------------------------------------------------------

namespace {

/// Octets of framing that may stand before the magic of a raw copy.
constexpr size_t RAW_FRAMING_MAX = 200;

/// The octets of a complete GRIB message, possibly behind its framing: the magic, a stated
/// length that the octets hold and the end section where that length puts it.
bool is_raw_grib(const unsigned char *b, size_t n)
{
    for (size_t at = 0; at + 16 <= n && at <= RAW_FRAMING_MAX; at++) {
        if (std::memcmp(b + at, "GRIB", 4) != 0) continue;
        const int edition = b[at + 7];
        const size_t len = edition == 2   ? size_t(grib_uint(b + at + 12, 4))
                           : edition == 1 ? size_t(grib_uint(b + at + 4, 3))
                                          : 0;
        return len >= 16 && len <= n - at && std::memcmp(b + at + len - 4, "7777", 4) == 0;
    }
    return false;
}

}  // namespace

int GRIB_grd_write(int /*slot*/, GRD_file *f, GRD_report *grd, int * /*num*/)
{
    if (!f->file) return -1;
    // There is no GRIB encoder: only the octets of a product copied out raw are written.
    const size_t n = grd->source > 0 ? size_t(grd->source) : 0;
    const auto *b = reinterpret_cast<const unsigned char *>(grd->grid);
    if (n == 0 || n > GRD_capacity(grd) * sizeof(float) || !is_raw_grib(b, n)) {
        MESS_print(M_WARN, "GRD_write: the grid holds no raw GRIB product: computed grids are "
                           "not written as GRIB\n");
        return -1;
    }
    if (std::fwrite(b, 1, n, f->file) != n || std::fflush(f->file) != 0) {
        MESS_print(M_WARN, "GRD_write: the GRIB product could not be written\n");
        return -1;
    }
    return 0;
}
