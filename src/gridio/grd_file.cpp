// The table of open grid files: 15 slots, the kinds and their detection, and the one contract
// (open, header, products, write, rewind, close) that hands every call to the back end of the
// slot's kind.  Beside the slots the table keeps each slot's read positions (so that files read
// by turns never step on each other's) and two settings: the use of GRIB index files and the value format of text output.  The format comes
// from users (the "grdfmt" keyword), so it is taken only when it is one numeric conversion that
// fits its buffer.
//
// An output ends through the core's output closing: when a write or the close failed, GRD_close
// reports it and leaves no cut file; GRD_abandon ends an output whose writer gave up the same
// way.  A header or product refused before anything was written leaves the output as it was.
#include "grd_file_internal.h"

#include <array>
#include <cstring>
#include <memory>

namespace {

struct State {
    std::array<std::unique_ptr<GRD_file>, GRD_MAX_FILES> gfile;  // empty or one open file
    std::array<GRD_pos, GRD_MAX_FILES> pos;  // read positions of each slot's file
    GRD_pos loose;                        // positions of a record that is in no slot
    int use_hdrfile = 1;                  // GRIB index files in use
    char format[GRD_FORMAT_MAX + 1] = "";  // value format of text output; empty: the default
};

State st;

/// Bytes read by kind detection.
constexpr size_t CHK_BYTES = 200;

/// The back ends, by kind.
const GRD_backend *const backends[] = {
    &grd_backend_text_plain, &grd_backend_text, &grd_backend_binary, &grd_backend_text_domain,
    &grd_backend_netcdf,     &grd_backend_grib, &grd_backend_wmo_grid,
};

const GRD_backend *backend(int kind)
{
    for (const GRD_backend *b : backends)
        if (b->kind == kind) return b;
    return nullptr;
}

/// The open record of a slot, or NULL with a warning (who: the operation's name).
GRD_file *open_slot(int slot, const char *who)
{
    if (slot < 0 || slot >= GRD_MAX_FILES) {
        MESS_print(M_WARN, "%s: Invalid grid file slot: %d\n", who, slot);
        return nullptr;
    }
    GRD_file *f = st.gfile[static_cast<size_t>(slot)].get();
    if (!f) MESS_print(M_WARN, "%s: No grid file open in slot %d\n", who, slot);
    return f;
}

/// A name that reaches a command ('|' first).
bool is_command(const char *name) { return name && name[0] == '|'; }

/// The kind of the first bytes of a file (n of them), or -1.
int kind_of(const unsigned char *b, size_t n)
{
    if (n == 0) return -1;
    if (b[0] == ' ' || (b[0] >= '0' && b[0] <= '9')) return GRD_TEXT_PLAIN;
    if (n >= 8 && std::memcmp(b, "VYKGRID4", 8) == 0) return GRD_TEXT_DOMAIN;
    if (n >= 7 && std::memcmp(b, "VYKGRID", 7) == 0) return GRD_TEXT;
    if (n >= 3 && std::memcmp(b, "CDF", 3) == 0) return GRD_NETCDF;
    if ((n >= 4 && std::memcmp(b, "GRIB", 4) == 0) || b[0] == '*' || b[0] == 0x01)
        return GRD_GRIB;
    if (n >= 4 && std::memcmp(b, "GRID", 4) == 0) return GRD_WMO_GRID;
    for (size_t i = 0; i + 4 <= n; i++)
        if (std::memcmp(b + i, "GRIB", 4) == 0) return GRD_GRIB;
    return -1;
}

/// The kind a name opens as, or -1 when it is refused: standard streams are kind 2 (3 and 21 as
/// given) and never detected; commands are never read and never hold netCDF.
int name_kind(const char *name, int access, int kind)
{
    if (FILE_is_stdio(name)) {
        if (kind == GRD_TEXT || kind == GRD_BINARY || kind == GRD_GRIB) return kind;
        return GRD_TEXT;
    }
    if (is_command(name)) {
        if (access == GRD_ACCESS_READ || kind == GRD_NETCDF || kind == GRD_DETECT) {
            MESS_print(M_WARN, "GRD_open: a command is not a grid file that can be read or "
                               "positioned: %s\n", name);
            return -1;
        }
        return kind;
    }
    if (kind == GRD_DETECT) return access == GRD_ACCESS_READ ? GRD_chktype(name) : -1;
    return kind;
}

// ---------------------------------------------------------------------------------------------
// Rows of the kinds whose readers are other components: the streams are the table's, the work
// is theirs.
// ---------------------------------------------------------------------------------------------

int grib_rewind(GRD_file *f) { return grd_stream_rewind(f, false); }

int wmo_grid_close(GRD_file *f)
{
    GRID_forget(f);
    return grd_stream_close(f);
}

}  // namespace

const GRD_backend grd_backend_grib = {
    GRD_GRIB, "GRIB", grd_stream_open, grd_stream_close, grib_rewind,
    GRIB_grd_getinfo, nullptr, GRIB_grd_read, GRIB_grd_write,
};

const GRD_backend grd_backend_wmo_grid = {
    GRD_WMO_GRID, "WMO GRID", grd_stream_open, wmo_grid_close, grib_rewind,
    GRID_getinfo, nullptr, GRID_read, nullptr,
};

GRD_pos &grd_pos(const GRD_file *f)
{
    for (size_t k = 0; k < st.gfile.size(); k++)
        if (f && st.gfile[k].get() == f) return st.pos[k];
    st.loose = GRD_pos{};
    return st.loose;
}

// ---------------------------------------------------------------------------------------------
// Streams
// ---------------------------------------------------------------------------------------------

int grd_stream_open(GRD_file *f, const char *name, int access)
{
    const char *mode = access == GRD_ACCESS_READ ? "r" : access == GRD_ACCESS_CREATE ? "w" : "a";
    f->file = FILE_open(name, mode);
    if (!f->file) return -1;
    f->std_stream = f->file == stdin || f->file == stdout;
    f->hfile = nullptr;
    f->fd = 1;
    if (f->output) f->out_start = FILE_output_start(f->file, access == GRD_ACCESS_APPEND);
    return 0;
}

int grd_stream_close(GRD_file *f)
{
    int result = 0;
    if (f->file && f->output)
        result = FILE_close_output(f->file, f->out_start, f->out_failed);
    else if (f->file && !f->std_stream)
        FILE_close(f->file);
    if (f->hfile) std::fclose(f->hfile);
    f->file = f->hfile = nullptr;
    f->fd = -1;
    return result;
}

int grd_stream_rewind(GRD_file *f, bool skip_first)
{
    if (f->std_stream || !f->file) return 0;
    std::rewind(f->file);
    if (f->hfile) std::rewind(f->hfile);
    if (skip_first) {
        // The first line and the white space after it.
        int c;
        while ((c = std::getc(f->file)) != EOF && c != '\n') {
        }
        while ((c = std::getc(f->file)) != EOF && (c == ' ' || (c >= '\t' && c <= '\r'))) {
        }
        if (c != EOF) std::ungetc(c, f->file);
    }
    f->num = 0;
    // The first product starts here: a read of product 0 must not go back to a product read
    // before the rewind.
    GRD_pos &p = grd_pos(f);
    p.cur_pos = std::ftell(f->file);
    p.new_pos = -1;
    p.cont = p.pcont = 0;
    p.msg_pos = p.cur_pos;
    p.field = 0;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Value arrays
// ---------------------------------------------------------------------------------------------

void grd_drop_values(GRD_report *grd)
{
    if (!grd->grid) return;
    const Domain dom = grd->domain;
    const int source = grd->source;
    GRD_free(grd);
    grd->domain = dom;
    grd->source = source;
}

bool grd_values(GRD_report *grd, size_t n)
{
    if (grd->grid && GRD_capacity(grd) >= n) return true;
    grd_drop_values(grd);
    return GRD_alloc(grd) == 1;
}

// ---------------------------------------------------------------------------------------------
// The contract
// ---------------------------------------------------------------------------------------------

int GRD_chktype(const char *filename)
{
    if (!filename || FILE_is_stdio(filename) || is_command(filename)) return -1;
    if (!FILE_is_file(filename)) return -1;  // a FIFO's first bytes would be lost to the look
    FILE *fp = FILE_open(filename, "r");
    if (!fp) return -1;
    unsigned char b[CHK_BYTES];
    const size_t n = std::fread(b, 1, sizeof b, fp);
    FILE_close(fp);
    return kind_of(b, n);
}

int GRD_open(const char *filename, int f_access, int *f_type)
{
    if (!filename) filename = "";
    size_t slot = 0;
    while (slot < st.gfile.size() && st.gfile[slot]) slot++;
    if (slot == st.gfile.size()) return -1;
    if (f_access != GRD_ACCESS_READ && f_access != GRD_ACCESS_CREATE &&
        f_access != GRD_ACCESS_APPEND)
        return -1;

    if (f_access == GRD_ACCESS_READ && !FILE_input_ok(filename, "GRD_open")) return -1;
    const int given = f_type ? *f_type : GRD_DETECT;
    const int kind = name_kind(filename, f_access, given);
    if (kind < 0) return -1;
    if (f_type && given == GRD_DETECT) *f_type = kind;
    const GRD_backend *b = backend(kind);
    if (!b || !b->open) return -1;

    auto f = std::make_unique<GRD_file>();
    f->type = kind;
    f->output = f_access != GRD_ACCESS_READ;
    strfcpy(f->name, filename);
    if (b->open(f.get(), filename, f_access) != 0) return -1;
    if (f_type) *f_type = kind;
    st.gfile[slot] = std::move(f);
    st.pos[slot] = GRD_pos{};  // nothing of the slot's last file
    return static_cast<int>(slot);
}

int GRD_hdr_open(int slot, const char *filename)
{
    if (!st.use_hdrfile) return -1;
    GRD_file *f = open_slot(slot, "GRD_hdr_open");
    if (!f || f->type != GRD_GRIB || !filename || filename[0] == '\0') return -1;
    if (FILE_is_stdio(filename) || is_command(filename)) return -1;
    if (!FILE_input_ok(filename, "GRD_hdr_open")) return -1;
    FILE *h = FILE_open(filename, "r");
    if (!h) return -1;
    if (f->hfile) std::fclose(f->hfile);
    f->hfile = h;
    return 0;
}

int GRD_getinfo(int slot, GRD_info *info)
{
    GRD_file *f = open_slot(slot, "GRD_getinfo");
    if (!f || !info) return -1;
    const GRD_backend *b = backend(f->type);
    return b && b->getinfo ? b->getinfo(slot, f, info) : -1;
}

int GRD_putinfo(int slot, GRD_info *info)
{
    GRD_file *f = open_slot(slot, "GRD_putinfo");
    if (!f || !info) return -1;
    const GRD_backend *b = backend(f->type);
    if (!b) return -1;
    return b->putinfo ? b->putinfo(slot, f, info) : 0;  // a kind without a header writes none
}

int GRD_read(int slot, GRD_report *grd, int rep_type, int *num)
{
    GRD_file *f = open_slot(slot, "GRD_read");
    if (!f || !grd) return -1;
    const GRD_backend *b = backend(f->type);
    int current = f->num;
    return b && b->read ? b->read(slot, f, grd, rep_type, num ? num : &current) : -1;
}

int GRD_write(int slot, GRD_report *grd, int /*rep_type*/, int *num)
{
    GRD_file *f = open_slot(slot, "GRD_write");
    if (!f || !grd) return -1;
    const GRD_backend *b = backend(f->type);
    if (!b || !b->write) {
        MESS_print(M_WARN, "GRD_write: %s files are not written\n", GRD_kind_name(f->type));
        return -1;
    }
    if (!grd->grid) {
        MESS_print(M_WARN, "GRD_write: the grid has no values\n");
        return -1;
    }
    int record = 0;
    return b->write(slot, f, grd, num ? num : &record);
}

int GRD_rewind(int slot)
{
    GRD_file *f = open_slot(slot, "GRD_rewind");
    if (!f) return -1;
    const GRD_backend *b = backend(f->type);
    return b && b->rewind ? b->rewind(f) : 0;
}

int GRD_close(int slot)
{
    if (slot < 0 || slot >= GRD_MAX_FILES) {
        MESS_print(M_WARN, "GRD_close: Invalid grid file slot: %d\n", slot);
        return -1;
    }
    std::unique_ptr<GRD_file> &f = st.gfile[static_cast<size_t>(slot)];
    if (!f) return 0;
    const GRD_backend *b = backend(f->type);
    const bool gave_up = f->out_failed == GRD_OUT_ABANDONED;
    const int closed = b && b->close ? b->close(f.get()) : 0;
    if (closed != 0 && f->output && !gave_up)
        MESS_print(M_WARN, "GRD_close: Unable to write grid file: %s\n", f->name);
    f.reset();
    return closed == 0 ? 0 : -1;
}

int GRD_abandon(int slot)
{
    GRD_file *f = GRD_get_gfile(slot);
    if (!f) return GRD_close(slot);
    if (f->output) f->out_failed = GRD_OUT_ABANDONED;
    GRD_close(slot);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------------------

int GRD_use_hdr_file(int flag)
{
    st.use_hdrfile = flag != 0 ? 1 : 0;
    return 0;
}

int GRD_get_use_hdr_file() { return st.use_hdrfile; }

int GRD_set_format(const char *format)
{
    if (!format || format[0] == '\0') {
        st.format[0] = '\0';
        return 0;
    }
    if (std::strlen(format) > static_cast<size_t>(GRD_FORMAT_MAX)) {
        MESS_print(M_WARN, "GRD_set_format: format longer than %d characters refused: %s\n",
                   GRD_FORMAT_MAX, format);
        return -1;
    }
    if (!format_one_conv(format, "efgEG")) {
        MESS_print(M_WARN, "GRD_set_format: not one numeric conversion, refused: %s\n", format);
        return -1;
    }
    strfcpy(st.format, format);
    return 0;
}

const char *GRD_get_format() { return st.format[0] ? st.format : GRD_DEF_FORMAT; }

// ---------------------------------------------------------------------------------------------
// For the GRIB decoder
// ---------------------------------------------------------------------------------------------

GRD_file *GRD_get_gfile(int ind)
{
    if (ind < 0 || ind >= GRD_MAX_FILES) return nullptr;
    return st.gfile[static_cast<size_t>(ind)].get();
}

long GRD_get_pos(int slot)
{
    return slot >= 0 && slot < GRD_MAX_FILES ? st.pos[size_t(slot)].cur_pos : -1;
}

int GRD_get_header(int slot, char *header)
{
    GRD_file *f = open_slot(slot, "GRD_get_header");
    if (!f || !header || !f->file || f->std_stream) return -1;
    const long cur_pos = grd_pos(f).cur_pos;
    if (std::fseek(f->file, cur_pos, SEEK_SET) != 0) return -1;
    const size_t n = std::fread(header, 1, 160, f->file);
    if (n < 160) std::memset(header + n, 0, 160 - n);
    std::fseek(f->file, cur_pos, SEEK_SET);
    return 0;
}

int GRD_setpos(int slot, long offset, int num)
{
    GRD_file *f = GRD_get_gfile(slot);
    if (f && f->type == GRD_GRIB && f->file && !f->std_stream) {
        std::fseek(f->file, offset, SEEK_SET);
        grd_pos(f).new_pos = offset;
        f->num = num;
    }
    return 1;
}

const char *GRD_kind_name(int kind)
{
    const GRD_backend *b = backend(kind);
    return b ? b->name : "unknown";
}
