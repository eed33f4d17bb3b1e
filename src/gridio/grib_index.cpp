// GRIB index files: a text file beside a GRIB file, one line per product in the file's order,
// "offset label": the offset where the product's message (with its framing) begins and a
// short description, "/ GRIB" with the edition and pairs of a letter and a number (S source,
// M model, G grid number, T time, L level type, H level, V variable, F the field of an
// edition-2 message, 0 first), or '/' and six numbers (model, grid, time, level type, level,
// variable; "source:model" in place of the model).  A header scan through the index never
// touches the GRIB file.
//
// An index is read whole when the file's header is read and used only when every line holds
// an offset inside the GRIB file, the offsets never go back (fields of one message in order),
// and the index is not older than the GRIB file; otherwise it is dropped with a warning and
// the GRIB file is read by itself.  Index lines are data: their numbers only ever land in a
// record's codes.
#include "grib_internal.h"
#include "vykdate.h"
#include "grib_table.h"
#include "vykvar.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

/// Characters of a label.
constexpr int LABEL_MAX = 128;
/// Lines an index may hold (far more products than any GRIB file of GRIB_MAX_SIZE messages).
constexpr size_t LINES_MAX = 10000000;
/// The source a label without one stands for; ECMWF for an edition-0 file of its centre.
constexpr int DEFAULT_SOURCE = 7, ECMWF = 98, EDITION_0_ECMWF = 10;

/// The index of one slot.
struct Index {
    const GRD_file *owner = nullptr;  // the record it was read for
    FILE *hfile = nullptr;            // its stream
    std::vector<GRIB_index_line> lines;
};

struct State {
    std::array<Index, GRD_MAX_FILES> slots;
};
State st;

Index *index_of(int slot, const GRD_file *f)
{
    if (slot < 0 || slot >= GRD_MAX_FILES || !f || !f->hfile) return nullptr;
    Index &ix = st.slots[size_t(slot)];
    return ix.owner == f && ix.hfile == f->hfile ? &ix : nullptr;
}

/// Reads one line "%ld %128[^\n]\n": 1 read, 0 damaged, -1 at the end of the file.
int read_line(FILE *fp, GRIB_index_line &l)
{
    char buf[512];
    if (!std::fgets(buf, sizeof buf, fp)) return -1;
    const size_t n = std::strlen(buf);
    if (n > 0 && buf[n - 1] != '\n' && !std::feof(fp)) return 0;  // longer than any line
    l = GRIB_index_line{};
    char *end = nullptr;
    l.offset = std::strtol(buf, &end, 10);
    if (end == buf || l.offset < 0) return 0;
    while (*end == ' ' || *end == '\t') end++;
    std::snprintf(l.label, sizeof l.label, "%.*s", LABEL_MAX, end);
    l.label[std::strcspn(l.label, "\r\n")] = '\0';
    GRIB_index_desc d;
    grib_index_parse(l.label, &d);
    l.field = d.field;
    return 1;
}

/// Why an index cannot be used with its GRIB file, or NULL.
const char *unusable(const GRD_file *f, const std::vector<GRIB_index_line> &lines, size_t *at)
{
    struct stat gs{}, hs{};
    if (fstat(fileno(f->file), &gs) != 0 || fstat(fileno(f->hfile), &hs) != 0)
        return "it cannot be checked";
    const long long g_ns = gs.st_mtim.tv_sec * 1000000000LL + gs.st_mtim.tv_nsec;
    const long long h_ns = hs.st_mtim.tv_sec * 1000000000LL + hs.st_mtim.tv_nsec;
    if (h_ns < g_ns) return "it is older than the GRIB file";
    for (size_t k = 0; k < lines.size(); k++) {
        *at = k + 1;
        const GRIB_index_line &l = lines[k];
        if (l.offset >= gs.st_size) return "an offset lies beyond the GRIB file";
        if (k == 0) continue;
        const GRIB_index_line &prev = lines[k - 1];
        if (l.offset < prev.offset || (l.offset == prev.offset && l.field <= prev.field))
            return "the offsets go backwards";
    }
    return nullptr;
}

/// Numbers after the '/' of a label without "GRIB": model, grid, time, level type, level,
/// variable, with "source:model" in place of the model.
void six_numbers(const char *p, GRIB_index_desc *d)
{
    int a = 0, n = 0;
    if (std::sscanf(p, "%d%n", &a, &n) != 1) return;
    p += n;
    while (*p == ' ' || *p == '\t') p++;
    int v[5];
    if (*p == ':') {
        int model = 0;
        if (std::sscanf(p + 1, "%d %d %d %d %d %d", &model, &v[0], &v[1], &v[2], &v[3], &v[4]) !=
            6)
            return;
        d->source = a;
        d->model = model;
    } else {
        if (std::sscanf(p, "%d %d %d %d %d", &v[0], &v[1], &v[2], &v[3], &v[4]) != 5) return;
        d->model = a;
    }
    d->type = v[0];
    d->time = v[1];
    d->ltype = v[2];
    d->level = v[3];
    d->var = v[4];
    d->described = true;
}

/// "/ GRIB" with the edition, then pairs of a letter and a number up to the first that does
/// not parse.
void pairs(const char *p, GRIB_index_desc *d)
{
    int n = 0;
    if (std::sscanf(p, "%d%n", &d->edition, &n) == 1) p += n;
    d->described = true;
    char c;
    int v;
    while (std::sscanf(p, " %c%d%n", &c, &v, &n) == 2) {
        p += n;
        switch (c) {
        case 'S': d->source = v; break;
        case 'M': d->model = v; break;
        case 'G': d->type = v; break;
        case 'T': d->time = v; break;
        case 'L': d->ltype = v; break;
        case 'H': d->level = v; break;
        case 'V': d->var = v; break;
        case 'F': d->field = v >= 0 ? v : 0; break;
        default: break;  // other letters are passed over
        }
    }
}

}  // namespace

void grib_index_parse(const char *label, GRIB_index_desc *d)
{
    *d = GRIB_index_desc{};
    const char *p = label ? std::strchr(label, '/') : nullptr;
    if (!p) return;
    p++;
    while (*p == ' ' || *p == '\t') p++;
    if (std::strncmp(p, "GRIB", 4) == 0)
        pairs(p + 4, d);
    else
        six_numbers(p, d);
}

bool grib_index_load(int slot, GRD_file *f)
{
    if (slot < 0 || slot >= GRD_MAX_FILES) return false;
    Index &ix = st.slots[size_t(slot)];
    ix = Index{};
    if (!f->hfile || !f->file) return false;
    std::rewind(f->hfile);
    std::vector<GRIB_index_line> lines;
    GRIB_index_line l;
    int r;
    const char *why = nullptr;
    size_t at = 0;
    while ((r = read_line(f->hfile, l)) == 1 && lines.size() < LINES_MAX) lines.push_back(l);
    if (r == 0) {
        why = "a line holds no offset";
        at = lines.size() + 1;
    } else if (lines.empty()) {
        why = "it lists no product";
    } else {
        why = unusable(f, lines, &at);
    }
    if (why) {
        MESS_print(M_WARN, "GRIB index (line %zu): %s; the GRIB file %s is read without it\n",
                   at, why, f->name);
        grib_index_drop(slot, f);
        return false;
    }
    std::rewind(f->hfile);
    ix.owner = f;
    ix.hfile = f->hfile;
    ix.lines = std::move(lines);
    return true;
}

bool grib_index_in_use(int slot, const GRD_file *f) { return index_of(slot, f) != nullptr; }

const GRIB_index_line *grib_index_line(int slot, const GRD_file *f, int n)
{
    const Index *ix = index_of(slot, f);
    if (!ix || n < 0 || size_t(n) >= ix->lines.size()) return nullptr;
    MESS_print(M_DEBUG_C, "GRIB HDR1: %ld %s\n", ix->lines[size_t(n)].offset,
               ix->lines[size_t(n)].label);
    return &ix->lines[size_t(n)];
}

void grib_index_drop(int slot, GRD_file *f)
{
    if (slot >= 0 && slot < GRD_MAX_FILES) st.slots[size_t(slot)] = Index{};
    if (f && f->hfile) {
        std::fclose(f->hfile);
        f->hfile = nullptr;
    }
}

void grib_index_header(const GRD_file *f, const GRIB_index_line &l, GRD_report *grd,
                       int rep_type)
{
    grd_drop_values(grd);
    GRD_init(grd);
    GRIB_index_desc d;
    grib_index_parse(l.label, &d);
    grd->version = d.edition;
    grd->source = d.source >= 0 ? d.source : f->grid == EDITION_0_ECMWF ? ECMWF : DEFAULT_SOURCE;
    grd->date = f->date;
    if (d.described) {
        grd->model = d.model;
        grd->type = d.type;
        grd->time = d.time;
        grd->ltype = d.ltype;
        grd->level = d.level;
        grd->var = d.var;
    }
    GRIB_units(grd);
    DOM_init(&grd->domain);
    GRIB_set_domain(grd->type, &grd->domain);
    MESS_print(M_DEBUG_C, "GRIB HDR--%d %d %d %d %d %d\n", grd->model, grd->type, grd->time,
               grd->ltype, grd->level, grd->var);
    if (rep_type == GRD_READ_HEADER_DATA) {
        VAR_make_datatype(grd->time, grd->ltype, grd->level, grd->var, grd->units, grd->info);
        DATE_make_label_for_time(grd->time, grd->source * 1000 + grd->model, &grd->date,
                                 grd->datim, sizeof grd->datim);
    }
}

bool grib_index_agrees(const GRIB_index_line &l, const GRD_report &grd)
{
    GRIB_index_desc d;
    grib_index_parse(l.label, &d);
    if (!d.described) return true;
    return d.var == grd.var && d.ltype == grd.ltype && d.level == grd.level &&
           d.time == grd.time;
}
