// upa_file.cpp: the upper-air file layer's front: kind detection, and open, close, rewind,
// header and station operations handed to the back end of the open kind.
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"
#include "upa_group.h"
#include "upa_file.h"
#include "upa_file_internal.h"
#include "vykcdf.h"

#include <cctype>
#include <cstring>

namespace {

constexpr int WORD_MAX = 9;  // the first word of a file that detection looks at

struct State {
    int kind = 0;     // kind of the open file; 0 when none is open
    int access = UPA_ACCESS_READ;
    const UPA_backend *be = nullptr;
    int fd = -1;      // descriptor or netCDF id handed to the caller
    char name[FILE_NAME_MAX + 1] = "";  // the name opened, for messages
};

State st;

/// The back end of a kind, NULL for a kind the layer does not know.
const UPA_backend *backend(int kind)
{
    switch (kind) {
    case UPA_FILE_OLD4: case UPA_FILE_OLD8: case UPA_FILE_TEXT: case UPA_FILE_PLUS:
    case UPA_FILE_X:
        return &UPA_text_backend;
    case UPA_FILE_CDF_STN: case UPA_FILE_CDF_REP:
        return &UPA_cdf_backend;
    case UPA_FILE_BINARY:
        return &UPA_bin_backend;
    case UPA_FILE_XML:
        return &UPA_xml_backend;
    default:
        return nullptr;
    }
}

/// The first blank-separated word of the stream, at most WORD_MAX characters.
void first_word(FILE *fp, char *word)
{
    int c = getc(fp);
    while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = getc(fp);
    int n = 0;
    while (c != EOF && n < WORD_MAX && !std::isspace(c)) {
        word[n++] = static_cast<char>(c);
        c = getc(fp);
    }
    word[n] = '\0';
    if (c != EOF) ungetc(c, fp);
}

/// Passes the rest of the current line; false at the end of the stream.
bool skip_line(FILE *fp)
{
    for (int c = getc(fp); c != EOF; c = getc(fp))
        if (c == '\n') return true;
    return false;
}

/// The kind of an older text form from its third line: the significant-level count of kind 1
/// (below 22) or the 400 mb group of kind 2.  A file that ends before line 3 holds no station
/// and reads as kind 1; a line 3 without a number is not recognised (-1).
int older_kind(FILE *fp)
{
    if (!skip_line(fp) || !skip_line(fp)) return UPA_FILE_OLD4;
    int c = getc(fp);
    if (c == EOF) return UPA_FILE_OLD4;
    while (c == ' ' || c == '\t') c = getc(fp);
    int value = 0, digits = 0;
    for (; digits < 2 && c != EOF && std::isdigit(c); digits++, c = getc(fp))
        value = value * 10 + (c - '0');
    if (digits == 0) return -1;
    return value < 22 ? UPA_FILE_OLD4 : UPA_FILE_OLD8;
}

/// A netCDF file: kind 11 with a "station" dimension, else 12; -1 when it does not open.
int cdf_kind(const char *filename)
{
    CDF_print_errors(0);
    int kind = -1;
    if (CDF_open(filename, 0) >= 0) {
        kind = CDF_get_dim("station") >= 0 ? UPA_FILE_CDF_STN : UPA_FILE_CDF_REP;
        CDF_close();
    }
    CDF_print_errors(1);
    return kind;
}

}  // namespace

int UPA_chktype(const char *filename)
{
    if (!filename) return -1;
    // A FIFO's first bytes would be lost to the look (and its opening waits for a writer).
    if (!FILE_is_stdio(filename) && filename[0] != '|' && !FILE_is_file(filename)) return -1;
    FILE *fp = FILE_open(filename, "r");
    if (!fp) return -1;
    char word[WORD_MAX + 1];
    first_word(fp, word);
    int kind = -1;
    if (std::strcmp(word, "ZAZUDI+") == 0) kind = UPA_FILE_PLUS;
    else if (std::strcmp(word, "ZAZUDIx") == 0) kind = UPA_FILE_X;
    else if (std::strcmp(word, "ZAZUDI") == 0) kind = UPA_FILE_TEXT;
    else if (word[0] == '0' || word[0] == '1' || word[0] == '2') kind = older_kind(fp);
    FILE_close(fp);
    if (word[0] == 'C') kind = cdf_kind(filename);
    return kind;
}

int UPA_open(const char *filename, int f_access, int *f_type)
{
    if (!filename || !f_type) return -1;
    if (f_access != UPA_ACCESS_READ && f_access != UPA_ACCESS_WRITE) return -1;
    if (st.kind != 0) UPA_close(st.fd);  // one open file: a new open ends the last one
    if (f_access == UPA_ACCESS_READ && !FILE_input_ok(filename, "UPA_open")) return -1;
    int kind = *f_type;
    if (kind == UPA_FILE_DETECT) {
        if (f_access != UPA_ACCESS_READ) return -1;
        kind = UPA_chktype(filename);
    }
    const UPA_backend *be = backend(kind);
    if (!be) return -1;
    const int fd = be->open(filename, f_access, kind);
    if (fd < 0) return -1;
    st.kind = kind;
    st.access = f_access;
    st.be = be;
    st.fd = fd;
    strfcpy(st.name, filename);
    encd_set_kind(kind);
    *f_type = kind;
    return fd;
}

int UPA_close(int)
{
    if (st.kind == 0) return -1;
    const int result = st.be->close();
    if (result != 0 && st.access == UPA_ACCESS_WRITE)
        MESS_print(M_WARN, "UPA_close: the upper-air file %s could not be written whole\n",
                   st.name);
    st = State{};
    encd_set_kind(UPA_FILE_DETECT);
    return result;
}

int UPA_rewind(int)
{
    if (st.kind == 0) return -1;
    return st.be->rewind();
}

int UPA_getinfo(int, UPA_info *info)
{
    if (st.kind == 0 || !info) return 1;
    return st.be->getinfo(info);
}

int UPA_putinfo(int, UPA_info *info)
{
    if (st.kind == 0 || st.access != UPA_ACCESS_WRITE || !info) return -1;
    return st.be->putinfo(info);
}

int UPA_read(int, UPA_report *report, int rep_type, int *statnum)
{
    if (st.kind == 0 || st.access != UPA_ACCESS_READ || !report || !statnum || *statnum < 0)
        return -1;
    return st.be->read(report, rep_type, *statnum);
}

int UPA_write(int, UPA_report *report, int, int *statnum)
{
    if (st.kind == 0 || st.access != UPA_ACCESS_WRITE || !report || !statnum || *statnum < 0)
        return -1;
    return st.be->write(report, statnum);
}

int UPA_get_kind() { return st.kind; }

// ---------------------------------------------------------------------------------------------
// Shared by the back ends
// ---------------------------------------------------------------------------------------------

FILE *upa_open_stream(const char *name, int access, bool binary, long *start)
{
    const bool write = access == UPA_ACCESS_WRITE;
    FILE *fp = FILE_open(name, write ? (binary ? "wb" : "w") : (binary ? "rb" : "r"));
    *start = fp && write ? FILE_output_start(fp, 0) : -1;
    return fp;
}

int upa_close_stream(FILE *fp, int access, long start)
{
    if (access != UPA_ACCESS_WRITE) {
        FILE_close(fp);
        return 0;
    }
    return FILE_close_output(fp, start, 0) == 0 ? 0 : -1;
}

void upa_surface_as_sig(UPA_report *report)
{
    const UPA_level &sfc = report->man[UPA_MAN_SFC];
    if (report->numsig > 0 || VYK_is_miss(sfc.p)) return;
    report->sig[0] = {sfc.p, sfc.t, sfc.td};
    report->numsig = 1;
}

void upa_surface_as_wind(UPA_report *report)
{
    const UPA_level &sfc = report->man[UPA_MAN_SFC];
    if (report->numwnd > 0 || VYK_is_miss(sfc.p)) return;
    report->wnd[0] = {0, sfc.dir, sfc.spd};
    report->numwnd = 1;
}

int upa_count(long count, int max)
{
    return count < 0 ? 0 : count > max ? max : static_cast<int>(count);
}
