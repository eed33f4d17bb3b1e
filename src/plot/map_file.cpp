// Map files: records of line segments in latitude and longitude, in a text or a big-endian
// binary form, drawn on the current map projection and split where they wrap around the plot.
//
// A record is a header (point count, the latitude and longitude bounds and an offset, none of
// them but the count used) and its points; a record of 0 points ends the file.  The form is
// decided by the first header: when it reads as six text numbers the file is text, otherwise it
// is binary and is read from its first byte.
//
// Files are untrusted: a count that the rest of the file cannot hold, a header that does not
// read, or data that is not numbers end the map with a warning; the record is not drawn.
#include "map_internal.h"
#include "vyk.h"
#include "gks.h"
#include "dom.h"
#include "map.h"
#include "map_draw.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vykmap::MISS;

/// Largest map file read.
constexpr size_t FILE_MAX = size_t{256} << 20;
/// A binary header: count (2 bytes), four bounds (4 each), offset (4): 22 bytes.
constexpr size_t BIN_HEADER = 2 + 4 * 4 + 4;
constexpr size_t BIN_POINT = 8;
/// A jump in plot x beyond which a line has crossed the projection's cut.
constexpr float JUMP = 20.0f;

enum class Read { RECORD, END_MARK, END, BAD };

/// The bytes of a map file, with the reading position and its form.
struct MapData {
    std::string bytes;  // NUL-terminated by the string
    size_t pos = 0;
    bool text = false;
};

bool read_all(FILE *fp, std::string &out)
{
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) {
        if (out.size() + n > FILE_MAX) {
            MESS_print(M_WARN, "MAP_map: Map file larger than %zu bytes\n", FILE_MAX);
            return false;
        }
        out.append(buf, n);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The text form
// ---------------------------------------------------------------------------------------------

bool text_double(const MapData &d, size_t &pos, double &v)
{
    const char *start = d.bytes.c_str() + pos;
    char *end;
    v = std::strtod(start, &end);
    if (end == start) return false;
    pos += static_cast<size_t>(end - start);
    return true;
}

bool text_long(const MapData &d, size_t &pos, long &v)
{
    const char *start = d.bytes.c_str() + pos;
    char *end;
    errno = 0;
    v = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE) return false;
    pos += static_cast<size_t>(end - start);
    return true;
}

/// The header "%hd %f %f %f %f %ld": the count (a 16-bit value taken as unsigned).
bool text_header(const MapData &d, size_t &pos, unsigned &count)
{
    long n, offset;
    double bound;
    if (!text_long(d, pos, n) || n < -32768 || n > 65535) return false;
    for (int i = 0; i < 4; i++)
        if (!text_double(d, pos, bound)) return false;
    if (!text_long(d, pos, offset)) return false;
    count = static_cast<unsigned>(n) & 0xFFFFu;
    return true;
}

bool only_space_left(const MapData &d)
{
    for (size_t i = d.pos; i < d.bytes.size(); i++)
        if (!std::isspace(static_cast<unsigned char>(d.bytes[i]))) return false;
    return true;
}

Read text_record(MapData &d, std::vector<EarthPoint> &pts)
{
    if (only_space_left(d)) return Read::END;
    unsigned count;
    if (!text_header(d, d.pos, count)) {
        MESS_print(M_WARN, "MAP_map: Unreadable record header at byte %zu\n", d.pos);
        return Read::BAD;
    }
    if (count == 0) return Read::END_MARK;
    pts.clear();
    for (unsigned i = 0; i < count; i++) {
        double lat, lon;
        if (!text_double(d, d.pos, lat) || !text_double(d, d.pos, lon)) {
            MESS_print(M_WARN, "MAP_map: Record of %u points ends after %u of them\n", count, i);
            return Read::BAD;
        }
        pts.push_back({static_cast<float>(lat), static_cast<float>(lon)});
    }
    return Read::RECORD;
}

// ---------------------------------------------------------------------------------------------
// The binary form (big-endian)
// ---------------------------------------------------------------------------------------------

uint32_t be32(const MapData &d, size_t pos)
{
    const auto *b = reinterpret_cast<const unsigned char *>(d.bytes.data() + pos);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

float be_float(const MapData &d, size_t pos)
{
    const uint32_t u = be32(d, pos);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

Read binary_record(MapData &d, std::vector<EarthPoint> &pts)
{
    const size_t left = d.bytes.size() - d.pos;
    if (left == 0) return Read::END;
    if (left < BIN_HEADER) {
        MESS_print(M_WARN, "MAP_map: The file ends within a record header\n");
        return Read::BAD;
    }
    const auto *b = reinterpret_cast<const unsigned char *>(d.bytes.data() + d.pos);
    const unsigned count = (unsigned{b[0]} << 8) | b[1];
    d.pos += BIN_HEADER;
    if (count == 0) return Read::END_MARK;
    if (count * BIN_POINT > d.bytes.size() - d.pos) {
        MESS_print(M_WARN, "MAP_map: Record of %u points runs past the end of the file\n",
                   count);
        return Read::BAD;
    }
    pts.clear();
    for (unsigned i = 0; i < count; i++, d.pos += BIN_POINT)
        pts.push_back({be_float(d, d.pos), be_float(d, d.pos + 4)});
    return Read::RECORD;
}

// ---------------------------------------------------------------------------------------------
// Drawing a record
// ---------------------------------------------------------------------------------------------

void draw_piece(const std::vector<Gpt> &piece)
{
    if (piece.size() < 2) return;
    const Gint n = static_cast<Gint>(piece.size());
    if (vykmap::map_fill_items()) {
        if (piece.size() >= 3) gfill_area(n, piece.data());
    } else {
        gpolyline(n, piece.data());
    }
}

/// Projects a record and draws it in pieces: a hidden point ends a piece; a jump across the
/// projection's cut ends it too, the piece reaching out to the new point moved by the wrap
/// width where the projection has one.
void draw_record(const std::vector<EarthPoint> &pts)
{
    std::vector<Gpt> piece;
    for (const EarthPoint &e : pts) {
        Gpt p;
        MAP_tran(e.lat, e.lon, &p.x, &p.y);
        if (VYK_is_miss(p.x)) {
            draw_piece(piece);
            piece.clear();
            continue;
        }
        if (!piece.empty()) {
            const float dx = p.x - piece.back().x;
            if (dx < -JUMP || dx > JUMP) {
                const double w = vykmap::map_wrap_width(p.y);
                Gpt moved = p;
                moved.x = static_cast<float>(dx < 0 ? p.x + w : p.x - w);
                piece.push_back(moved);
                draw_piece(piece);
                piece.clear();
            }
        }
        piece.push_back(p);
    }
    draw_piece(piece);
}

}  // namespace

namespace vykmap {

double map_wrap_width(double y)
{
    switch (MAP_get_proj()) {
    case DOM_LATLON: return 360.0;
    case DOM_MERC: return 400.31555892808814;  // 2 pi 63.7122
    case DOM_LAMB: return 1000.0;
    case DOM_MOLL: {
        const double r = y / 63.713;
        return r * r < 1.0 ? 254.852 * std::sqrt(1.0 - r * r) : 0.0;
    }
    default: return 0.0;
    }
}

}  // namespace vykmap

int MAP_map(FILE *map_file)
{
    const int proj = MAP_get_proj();
    if (proj < DOM_PSTEREO || proj > DOM_SAT) return 1;
    if (map_file == nullptr) return -1;
    MapData d;
    if (!read_all(map_file, d.bytes)) return -1;
    // The form: text when the first header reads as text; else binary from the first byte.
    size_t probe = 0;
    unsigned count;
    d.text = text_header(d, probe, count);
    std::vector<EarthPoint> pts;
    for (;;) {
        const Read r = d.text ? text_record(d, pts) : binary_record(d, pts);
        if (r == Read::END_MARK) return 0;
        if (r != Read::RECORD) return -1;
        draw_record(pts);
    }
}
