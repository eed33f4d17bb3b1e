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

/// A record for products decoded only to be counted.
struct Scratch {
    GRD_report r{};
    Scratch()
    {
        GRD_init(&r);
        DOM_init(&r.domain);
    }
    ~Scratch() { GRD_free(&r); }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
};

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
    GRD_pos &p = grd_pos();
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
        const long after = grib2_message_end();
        if (after <= p.cur_pos) return -1;
        p.cur_pos = after;
        return NEXT_MESSAGE;
    }
    p.pcont = 1;
    follow_field(p, -1);
    grib_seek(f->file, p.cur_pos);
    return r == GRIB_DECODED ? 0 : 1;
}

/// Finds the product at or after cur_pos and decodes it into grd (rep_type as GRD_read's);
/// messages no decoder takes are stepped over.  cur_pos becomes the product's start, new_pos
/// its end, and the stream is left at its start.  0; 1 when the values could not be decoded (a
/// warning was printed); -1 at the end of the stream.
int locate(int slot, GRD_file *f, GRD_report *grd, int rep_type)
{
    GRD_pos &p = grd_pos();
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
        if (GRIB_get_edition() == 2) follow_field(p, end);
        grib_seek(f->file, p.cur_pos);
        return r == GRIB_DECODED ? 0 : 1;
    }
}

/// Moves from the current product to the next one.  0, or -1 at the end of the stream.
int advance(int slot, GRD_file *f)
{
    Scratch s;
    if (locate(slot, f, &s.r, GRD_READ_HEADER) < 0) return -1;
    GRD_pos &p = grd_pos();
    p.cur_pos = p.new_pos;
    p.pcont = p.cont;
    f->num++;
    return 0;
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
    return grd_stream_rewind(f, false);
}

int GRIB_grd_read(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num)
{
    if (f->std_stream || !f->file) return -1;
    int c = *num < 0 ? f->num : *num;
    if (c < f->num) grd_stream_rewind(f, false);
    while (f->num < c)
        if (advance(slot, f) < 0) return -1;
    const int r = locate(slot, f, grd, rep_type);
    if (r < 0) return -1;
    *num = f->num;
    return r == 0 ? 0 : -1;
}
