// The system's own grid files: the text form (kinds 1 and 2), the same file with binary values
// (kind 3, read back as kind 2) and the form with one-token domains (kind 4, read only).
//
// A file holds products one after another.  A product is a label line, a format line ("N-"
// and a description), for formats 2 to 4 a line of eight numbers (and ':' units), a projection
// line (a token and the georeference, or in kind 4 one domain string) and the values: decimal
// text (formats 0 to 2), big-endian 4-byte floats after the projection line's newline (format
// 3), or a reference line naming a values file (format 4).
//
// Files are untrusted: every field is read within its size (longer ones are cut), numbers that
// do not parse are missing (-9999), the size of a grid is checked against a bound and against
// the bytes the file still holds before anything is allocated, and a file that ends within a
// product's values is an error, never a grid.  A values file named inside a grid file is opened
// as a plain file.
#include "grd_file_internal.h"
#include "vykplot.h"

#include <sys/stat.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

/// Format numbers of a product.
enum {
    FMT_TEXT = 0,       // description only; decimal values
    FMT_WEST = 1,       // as 0, clon stored with the opposite sign
    FMT_NUMBERS = 2,    // with the numbers line
    FMT_BINARY = 3,     // with the numbers line, big-endian floats
    FMT_REFERENCE = 4,  // with the numbers line, values in another file
};

constexpr size_t WORD_LEN = FILE_NAME_MAX + 1;  // longest word kept (names, domain strings)
constexpr size_t NUMBER_LEN = 64;               // longest number token taken as a number
constexpr size_t T_WORD_LEN = 6;                // the reference line's value-kind word
constexpr size_t CHUNK = 4096;                  // values per block of binary input and output

constexpr int END = -1;  // results of the readers: 0, or -1 (the end, or an error said)

inline bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

/// Text scanning of one stream.
class Scan {
public:
    explicit Scan(FILE *fp) : fp_(fp) {}

    /// One line by the line readers' rule: a newline the stream stands at is skipped first,
    /// the newline after the text is left.  At most size - 1 characters are kept (the rest of
    /// a longer line is passed over, a carriage return before the newline dropped).  The
    /// characters kept, 0 for an empty line, -1 at the end of the stream.
    int line(char *out, size_t size)
    {
        int c = getc_unlocked(fp_);
        if (c == '\n') c = getc_unlocked(fp_);
        if (c == EOF) return -1;
        size_t n = 0;
        while (c != EOF && c != '\n') {
            if (n + 1 < size) out[n++] = static_cast<char>(c);
            c = getc_unlocked(fp_);
        }
        if (c == '\n') ungetc(c, fp_);
        if (n > 0 && out[n - 1] == '\r') n--;
        out[n] = '\0';
        return static_cast<int>(n);
    }

    void skip_space()
    {
        int c;
        do
            c = getc_unlocked(fp_);
        while (is_space(c));
        if (c != EOF) ungetc(c, fp_);
    }

    /// One word after white space: at most size - 1 characters kept.  Its whole length, or -1
    /// at the end of the stream.
    long word(char *out, size_t size)
    {
        int c;
        do
            c = getc_unlocked(fp_);
        while (is_space(c));
        if (c == EOF) return -1;
        long len = 0;
        size_t n = 0;
        while (c != EOF && !is_space(c)) {
            if (n + 1 < size) out[n++] = static_cast<char>(c);
            len++;
            c = getc_unlocked(fp_);
        }
        if (c != EOF) ungetc(c, fp_);
        out[n] = '\0';
        return len;
    }

    /// Passes over one word: false at the end of the stream.
    bool skip_word()
    {
        int c;
        do
            c = getc_unlocked(fp_);
        while (is_space(c));
        if (c == EOF) return false;
        while (c != EOF && !is_space(c)) c = getc_unlocked(fp_);
        if (c != EOF) ungetc(c, fp_);
        return true;
    }

    int get() { return getc_unlocked(fp_); }
    FILE *file() const { return fp_; }

private:
    FILE *fp_;
};

/// A decimal number of a whole word; false (value untouched) when the word is not one.
bool parse_float(const char *w, float &v)
{
    if (*w == '+') w++;
    const char *end = w + std::strlen(w);
    float x;
    const auto r = std::from_chars(w, end, x);
    if (r.ec != std::errc() || r.ptr != end) return false;
    v = std::isfinite(x) ? x : static_cast<float>(VYK_MISS);
    return true;
}

/// The integer that begins a word (as "%d" takes it); false when there is none or it does not
/// fit.  end (when given) gets the first character after it.
bool parse_int(const char *w, int &v, const char **end = nullptr)
{
    if (*w == '+' && w[1] != '-') w++;
    int x;
    const auto r = std::from_chars(w, w + std::strlen(w), x);
    if (r.ec != std::errc()) return false;
    v = x;
    if (end) *end = r.ptr;
    return true;
}

/// The next value of the stream: true with v (-9999 for a word that is not a number, which is
/// counted in bad), false at the end of the stream.
inline bool next_value(Scan &in, float &v, long &bad)
{
    char w[NUMBER_LEN];
    const long len = in.word(w, sizeof w);
    if (len < 0) return false;
    if (len >= static_cast<long>(NUMBER_LEN) || !parse_float(w, v)) {
        v = static_cast<float>(VYK_MISS);
        bad++;
    }
    return true;
}

/// Bytes left in a regular file from the stream's offset; -1 when unknown (not a regular file).
long long bytes_left(FILE *fp)
{
    struct stat sb;
    if (fstat(fileno(fp), &sb) != 0 || !S_ISREG(sb.st_mode)) return -1;
    const long at = std::ftell(fp);
    return at < 0 ? -1 : static_cast<long long>(sb.st_size) - at;
}

bool skip_first_line(int kind) { return kind != GRD_TEXT_PLAIN; }

/// What the header of a product says about its values.
struct Product {
    int format = FMT_TEXT;
    size_t n = 0;  // nx * ny
};

/// Reads the values of a format-4 product from the values file its reference line names (the
/// line's five fields come from in) into grd, which gets an array of n values once the values
/// file is known to hold them.  Named by the data: the values file must be a plain regular
/// file (never a command, a standard stream, a device or a pipe that could block).
int read_reference(GRD_file *f, Scan &in, GRD_report *grd, size_t n)
{
    char kind_word[T_WORD_LEN], name[WORD_LEN], num[NUMBER_LEN];
    long long skip = -1;
    int xorder = 0, yorder = 0;
    const long nlen = (in.word(kind_word, sizeof kind_word) < 0) ? -1 : in.word(name, sizeof name);
    bool ok = nlen > 0 && nlen < static_cast<long>(sizeof name);
    if (ok && in.word(num, sizeof num) > 0) {
        char *end = nullptr;
        skip = std::strtoll(num, &end, 10);
        ok = *end == '\0' && skip >= 0 && skip < LONG_MAX;
    } else {
        ok = false;
    }
    ok = ok && in.word(num, sizeof num) > 0 && parse_int(num, xorder) &&
         in.word(num, sizeof num) > 0 && parse_int(num, yorder);
    if (!ok) {
        MESS_print(M_WARN, "GRD_read: Bad values-file reference in grid file: %s\n", f->name);
        return END;
    }
    FILE *vf = FILE_is_file(name) ? std::fopen(name, "rb") : nullptr;
    if (!vf) {
        MESS_print(M_WARN, "GRD_read: Unable to open grid file: %s\n", name);
        return END;
    }
    const int nx = grd->domain.nx, ny = grd->domain.ny;
    const bool text = kind_word[0] == 'A';
    // The values file must hold the values (text: at least a digit and a blank each).
    const unsigned long long need = text ? 2ULL * n - 1 : n * sizeof(float);
    bool done = std::fseek(vf, static_cast<long>(skip), SEEK_SET) == 0;
    const long long left = done ? bytes_left(vf) : -1;
    done = done && left >= 0 && static_cast<unsigned long long>(left) >= need &&
           grd_values(grd, n);
    long bad = 0;
    if (done) {
        Scan vin(vf);
        std::vector<float> row(static_cast<size_t>(nx));
        for (int r = 0; done && r < ny; r++) {
            const int j = yorder == 1 ? r : ny - 1 - r;
            if (text) {
                for (size_t c = 0; done && c < row.size(); c++) done = next_value(vin, row[c], bad);
            } else {
                done = std::fread(row.data(), sizeof(float), row.size(), vf) == row.size();
                for (float &v : row)
                    if (!std::isfinite(v)) v = static_cast<float>(VYK_MISS);
            }
            for (int c = 0; done && c < nx; c++) {
                const int i = xorder == 1 ? c : nx - 1 - c;
                grd->grid[static_cast<size_t>(i) + static_cast<size_t>(nx) * static_cast<size_t>(j)] =
                    row[static_cast<size_t>(c)];
            }
        }
    }
    std::fclose(vf);
    if (!done) {
        MESS_print(M_WARN, "GRD_read: Values file %s holds fewer than %d x %d values\n", name, nx,
                   ny);
        return END;
    }
    if (bad > 0)
        MESS_print(M_WARN, "GRD_read: %ld values of %s are not numbers (taken as missing)\n", bad,
                   name);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Product headers
// ---------------------------------------------------------------------------------------------

/// The numbers line: source, version, model, type, ltype, level, time, var and ':' units.
/// Words that are not numbers keep the reset's values.  false at the end of the stream.
bool read_numbers(Scan &in, GRD_report *grd)
{
    int *fields[8] = {&grd->source, &grd->version, &grd->model, &grd->type,
                      &grd->ltype,  &grd->level,   &grd->time,  &grd->var};
    char w[WORD_LEN];
    for (int k = 0; k < 8; k++) {
        if (in.word(w, sizeof w) < 0) return false;
        const char *end = w;
        int v;
        if (parse_int(w, v, &end)) *fields[k] = v;
        if (k == 7) {
            const char *colon = std::strchr(end, ':');
            if (colon && colon[1]) strfcpy(grd->units, colon + 1);
        }
    }
    return true;
}

/// The numbers of a projection token after its first two characters (":a:b..."), at most max.
int token_numbers(const char *rest, float *out, int max)
{
    int n = 0;
    while (n < max && *rest == ':') {
        const char *start = rest + 1;
        const char *end = start;
        while (*end && *end != ':') end++;
        char num[NUMBER_LEN];
        strfcpy(num, start, static_cast<size_t>(end - start));
        float v = static_cast<float>(VYK_MISS);
        parse_float(num, v);
        out[n++] = v;
        rest = end;
    }
    return n;
}

/// The next word as a float or an int into a field (untouched when it is not a number); false
/// at the end of the stream.
bool field(Scan &in, float &v)
{
    char w[NUMBER_LEN];
    if (in.word(w, sizeof w) < 0) return false;
    parse_float(w, v);
    return true;
}

bool field(Scan &in, int &v)
{
    char w[NUMBER_LEN];
    if (in.word(w, sizeof w) < 0) return false;
    int x;
    const char *end = nullptr;
    if (parse_int(w, x, &end) && *end == '\0') v = x;
    return true;
}

/// The projection line of kinds 1 to 3 (an optional ':' units word, the token and the
/// georeference).  false at the end of the stream.
bool read_projection(Scan &in, GRD_report *grd, int format)
{
    char tok[WORD_LEN];
    if (in.word(tok, sizeof tok) < 0) return false;
    if (tok[0] == ':') {
        strfcpy(grd->units, tok + 1);
        if (in.word(tok, sizeof tok) < 0) return false;
    }
    Domain &d = grd->domain;
    const bool ll = std::strncmp(tok, "LL", 2) == 0, ps = std::strncmp(tok, "PS", 2) == 0,
               lc = std::strncmp(tok, "LC", 2) == 0, me = std::strncmp(tok, "ME", 2) == 0;
    if (ll || ps || lc || me) {
        d.proj = ll ? DOM_LATLON : ps ? DOM_PSTEREO : lc ? DOM_LAMB : DOM_MERC;
        float v[5];
        const int n = me ? 0 : token_numbers(tok + 2, v, lc ? 5 : 1);
        if (n == 1) {
            d.plon = v[0];
        } else if (n > 1) {
            d.plat = v[0];
            d.plon = v[1];
            for (int k = 2; k < n; k++) d.param[k - 2] = v[k];
        }
        if (!(field(in, d.clat) && field(in, d.clon) && field(in, d.dx) && field(in, d.dy) &&
              field(in, d.nx) && field(in, d.ny)))
            return false;
    } else {
        // The old form: polar stereographic, the token itself the centre latitude.
        d.proj = DOM_PSTEREO;
        parse_float(tok, d.clat);
        if (!(field(in, d.clon) && field(in, d.dx) && field(in, d.nx) && field(in, d.ny)))
            return false;
        d.dy = d.dx;
    }
    if (format == FMT_WEST && !VYK_is_miss(d.clon)) d.clon = -d.clon;
    if ((d.proj == DOM_LATLON || d.proj == DOM_PSTEREO) && VYK_is_miss(d.plon)) d.plon = d.clon;
    return true;
}

/// Splits a format line into its number and description: "N-text", else format 0 and the
/// whole line.
void parse_format_line(const char *line, int &format, GRD_report *grd)
{
    const char *p = line;
    while (*p == ' ' || *p == '\t') p++;
    int n;
    const char *end = nullptr;
    if (parse_int(p, n, &end) && *end == '-') {
        format = n;
        strfcpy(grd->info, end + 1);
    } else {
        format = FMT_TEXT;
        strfcpy(grd->info, line);
    }
}

/// Reads a product's header into grd.  0, or END at the end of the file (nothing said) or for
/// a header that cannot be used (said; grd then holds no grid).
int read_header(GRD_file *f, Scan &in, GRD_report *grd, Product &pr)
{
    char label[GRD_DATIM_LEN], line[WORD_LEN];
    if (f->std_stream && f->std_label) {
        strfcpy(label, f->datim);
        f->std_label = 0;
    } else {
        if (in.line(label, sizeof label) < 0) return END;
        if (std::strncmp(label, "VYKGRID", 7) == 0 && in.line(label, sizeof label) < 0)
            return END;
    }
    if (in.line(line, sizeof line) < 0) return END;

    int format = FMT_TEXT;
    parse_format_line(line, format, grd);
    if (f->type == GRD_TEXT_DOMAIN) format = f->itype;
    strfcpy(grd->datim, label);
    grd->source = 1;
    grd->version = format;
    grd->model = 1;
    grd->type = grd->ltype = grd->level = grd->time = grd->var = 0;
    grd_drop_values(grd);
    DOM_init(&grd->domain);
    pr.format = format;

    bool ok = true;
    if (format == FMT_NUMBERS || format == FMT_BINARY || format == FMT_REFERENCE)
        ok = read_numbers(in, grd);
    if (ok && f->type == GRD_TEXT_DOMAIN) {
        char tok[WORD_LEN];
        const long len = in.word(tok, sizeof tok);
        ok = len >= 0;
        if (ok) in.get();  // the one character after the domain string
        if (ok && (len >= static_cast<long>(sizeof tok) || DOM_decode(tok, &grd->domain) < 1)) {
            MESS_print(M_WARN, "GRD_read: Invalid domain in grid file %s: %s\n", f->name, tok);
            grd->source = 0;
            return END;
        }
    } else if (ok) {
        ok = read_projection(in, grd, format);
    }
    const Domain &d = grd->domain;
    if (!ok) {
        MESS_print(M_WARN, "GRD_read: Grid file %s ends within a product's header\n", f->name);
        grd->source = 0;
        return END;
    }
    if (d.nx <= 0 || d.ny <= 0 ||
        static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny) > GRD_MAX_POINTS) {
        MESS_print(M_WARN, "GRD_read: Invalid grid size %d x %d in grid file %s\n", d.nx, d.ny,
                   f->name);
        grd->source = 0;
        return END;
    }
    pr.n = static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny);
    // Binary values start right after the newline that ends the projection line (kind 4: after
    // the one character that follows the domain string, already taken).
    if (format == FMT_BINARY && f->type != GRD_TEXT_DOMAIN) {
        int c;
        while ((c = in.get()) != EOF && c != '\n') {
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------------------------

/// true when the file can hold the values of a product (unknown sizes pass; the reading itself
/// then finds a short file).
bool room_for(GRD_file *f, const Product &pr)
{
    if (pr.format == FMT_REFERENCE) return true;
    const long long left = bytes_left(f->file);
    if (left < 0) return true;
    const unsigned long long need =
        pr.format == FMT_BINARY ? pr.n * sizeof(float) : 2 * static_cast<unsigned long long>(pr.n) - 1;
    return static_cast<unsigned long long>(left) >= need;
}

bool read_binary(FILE *fp, float *values, size_t n)
{
    if (std::fread(values, sizeof(float), n, fp) != n) return false;
    swap_setup(1);
    for (size_t k = 0; k < n; k += CHUNK) {
        const size_t m = n - k < CHUNK ? n - k : CHUNK;
        swap_longs(values + k, static_cast<int>(m));
    }
    for (size_t k = 0; k < n; k++)
        if (!std::isfinite(values[k])) values[k] = static_cast<float>(VYK_MISS);
    return true;
}

/// Passes over n binary values: by seeking, or by reading on a stream that cannot seek.
bool skip_binary(GRD_file *f, size_t n)
{
    const unsigned long long bytes = n * sizeof(float);
    if (!f->std_stream) return std::fseek(f->file, static_cast<long>(bytes), SEEK_CUR) == 0;
    std::vector<char> buf(CHUNK * sizeof(float));
    for (unsigned long long done = 0; done < bytes;) {
        const size_t m = bytes - done < buf.size() ? static_cast<size_t>(bytes - done) : buf.size();
        if (std::fread(buf.data(), 1, m, f->file) != m) return false;
        done += m;
    }
    return true;
}

/// The values of the product whose header was just read (with values: into grd, which gets an
/// array; else passed over).  0, or END with a message.
int read_values(GRD_file *f, Scan &in, GRD_report *grd, const Product &pr, bool values)
{
    if (!room_for(f, pr)) {
        MESS_print(M_WARN, "GRD_read: Grid file %s is too short for a %d x %d grid\n", f->name,
                   grd->domain.nx, grd->domain.ny);
        return END;
    }
    if (values && pr.format != FMT_REFERENCE && !grd_values(grd, pr.n)) return END;
    bool ok = true;
    long bad = 0;
    if (pr.format == FMT_REFERENCE) {
        if (values) {
            if (read_reference(f, in, grd, pr.n) != 0) return END;
        } else {
            char line[WORD_LEN];
            ok = in.line(line, sizeof line) >= 0;
        }
    } else if (pr.format == FMT_BINARY) {
        ok = values ? read_binary(f->file, grd->grid, pr.n) : skip_binary(f, pr.n);
    } else if (values) {
        for (size_t k = 0; ok && k < pr.n; k++) ok = next_value(in, grd->grid[k], bad);
    } else {
        for (size_t k = 0; ok && k < pr.n; k++) ok = in.skip_word();
    }
    if (!ok) {
        MESS_print(M_WARN, "GRD_read: Grid file %s ends within the values of a %d x %d grid\n",
                   f->name, grd->domain.nx, grd->domain.ny);
        return END;
    }
    if (bad > 0)
        MESS_print(M_WARN, "GRD_read: %ld values of grid file %s are not numbers (taken as "
                           "missing)\n", bad, f->name);
    in.skip_space();
    return 0;
}

/// Passes over one whole product: 0, or END.
int skip_product(GRD_file *f, Scan &in)
{
    GRD_report scratch{};
    GRD_init(&scratch);
    Product pr;
    if (read_header(f, in, &scratch, pr) != 0) return END;
    return read_values(f, in, &scratch, pr, false);
}

/// Brings the stream to the start of product want (not on standard streams).  0, or END when
/// the file has no such product.
int position(GRD_file *f, Scan &in, int want)
{
    GRD_pos &p = grd_pos(f);
    if (want < f->num) {
        grd_stream_rewind(f, skip_first_line(f->type));
    } else if (want == f->num + 1 && p.new_pos > 0) {
        if (std::fseek(f->file, p.new_pos, SEEK_SET) != 0) return END;
        f->num++;
    } else if (std::fseek(f->file, p.cur_pos, SEEK_SET) != 0) {
        return END;
    }
    p.cur_pos = std::ftell(f->file);
    // Products before the one wanted are passed over, header and values.
    while (f->num < want) {
        if (skip_product(f, in) != 0) return END;
        f->num++;
        p.cur_pos = std::ftell(f->file);
        p.new_pos = p.cur_pos;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The back end
// ---------------------------------------------------------------------------------------------

int vyk_getinfo(int /*slot*/, GRD_file *f, GRD_info *info)
{
    Scan in(f->file);
    char line[WORD_LEN];
    if (f->type == GRD_TEXT || f->type == GRD_BINARY) {
        in.line(line, sizeof line);
    } else if (f->type == GRD_TEXT_DOMAIN) {
        if (in.line(line, sizeof line) >= 9 && line[8] == 'B') f->itype = FMT_BINARY;
    }
    char label[GRD_DATIM_LEN] = "";
    if (in.line(label, sizeof label) < 0) label[0] = '\0';
    strfcpy(info->datim, label);
    strfcpy(f->datim, label);
    DATE_decode_label(label, &info->date);
    f->date = info->date;
    f->std_label = f->std_stream;
    info->grid_type = 0;
    f->num = 0;
    grd_pos(f).cur_pos = 0;
    grd_pos(f).new_pos = -1;
    return 0;
}

int vyk_read(int /*slot*/, GRD_file *f, GRD_report *grd, int rep_type, int *num)
{
    if (!f->file) return END;
    Scan in(f->file);
    const int want = *num < 0 ? f->num : *num;
    if (f->std_stream) {
        f->num = f->std_count;
    } else if (position(f, in, want) != 0) {
        return END;
    }
    Product pr;
    if (read_header(f, in, grd, pr) != 0) return END;
    const bool values = rep_type == GRD_READ_VALUES;
    if (read_values(f, in, grd, pr, values) != 0) {
        grd_drop_values(grd);
        grd->source = 0;
        return END;
    }
    if (f->std_stream)
        f->std_count++;
    else
        grd_pos(f).new_pos = std::ftell(f->file);
    if (values) *num = f->num;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

/// A label or description on one line: line ends inside become blanks.
void put_line(FILE *fp, const char *prefix, const char *text, size_t size)
{
    char buf[GRD_INFO_LEN];
    strfcpy(buf, text, size);
    for (char *c = buf; *c; c++)
        if (*c == '\n' || *c == '\r') *c = ' ';
    std::fprintf(fp, "%s%s\n", prefix, buf);
}

/// The projection token of a domain, or false for a projection the text form cannot name.
bool put_projection(FILE *fp, const Domain &d)
{
    switch (d.proj) {
    case DOM_LATLON:
        std::fputs("LL ", fp);
        break;
    case DOM_MERC:
        std::fputs("ME ", fp);
        break;
    case DOM_PSTEREO:
        if (!VYK_is_miss(d.plon) && d.plon != d.clon)
            std::fprintf(fp, "PS:%f ", d.plon);
        else
            std::fputs("PS ", fp);
        break;
    case DOM_LAMB:
        if (!VYK_is_miss(d.param[0]))
            std::fprintf(fp, "LC:%f:%f:%f:%f:%f ", d.plat, d.plon, d.param[0], d.param[1],
                         d.param[2]);
        else if (!VYK_is_miss(d.plon))
            std::fprintf(fp, "LC:%f ", d.plon);
        else
            std::fputs("LC ", fp);
        break;
    default:
        return false;
    }
    std::fprintf(fp, "%f %f %f %f %d %d\n", d.clat, d.clon, d.dx, d.dy, d.nx, d.ny);
    return true;
}

void write_binary(FILE *fp, const float *values, size_t n)
{
    swap_setup(1);
    float buf[CHUNK];
    for (size_t k = 0; k < n; k += CHUNK) {
        const size_t m = n - k < CHUNK ? n - k : CHUNK;
        std::memcpy(buf, values + k, m * sizeof(float));
        swap_longs(buf, static_cast<int>(m));
        std::fwrite(buf, sizeof(float), m, fp);
    }
    std::fputc('\n', fp);
}

void write_text(FILE *fp, const float *values, size_t n)
{
    char fmt[GRD_FORMAT_MAX + 2];
    std::snprintf(fmt, sizeof fmt, "%s\n", GRD_get_format());
    // A format that does not give -9999 back (such as "%.1e") would turn missing values into
    // numbers: they are written plainly.
    char probe[64];
    std::snprintf(probe, sizeof probe, fmt, static_cast<double>(VYK_MISS));
    float back = 0;
    const bool miss_ok = std::sscanf(probe, "%f", &back) == 1 && VYK_is_miss(back);
    for (size_t k = 0; k < n; k++) {
        if (!miss_ok && VYK_is_miss(values[k]))
            std::fputs("-9999\n", fp);
        else
            std::fprintf(fp, fmt, static_cast<double>(values[k]));
    }
}

int vyk_write(int /*slot*/, GRD_file *f, GRD_report *grd, int * /*num*/)
{
    FILE *fp = f->file;
    const Domain &d = grd->domain;
    if (d.nx <= 0 || d.ny <= 0 ||
        static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny) > GRD_MAX_POINTS) {
        MESS_print(M_WARN, "GRD_write: Invalid grid size %d x %d\n", d.nx, d.ny);
        return END;
    }
    if (d.proj != DOM_LATLON && d.proj != DOM_MERC && d.proj != DOM_PSTEREO &&
        d.proj != DOM_LAMB) {
        MESS_print(M_WARN, "GRD_write: A grid of projection %d cannot be written to a text or "
                           "binary grid file (netCDF can hold it): %s\n", d.proj, f->name);
        return END;
    }
    const bool binary = f->type == GRD_BINARY;
    put_line(fp, "", grd->datim, sizeof grd->datim);
    put_line(fp, binary ? "3-" : "2-", grd->info, sizeof grd->info);
    std::fprintf(fp, "%d %d %d %d %d %d %d %d", grd->source, grd->version, grd->model, grd->type,
                 grd->ltype, grd->level, grd->time, grd->var);
    if (grd->units[0]) {
        fill_string(grd->units, ' ', '_');
        std::fprintf(fp, ":%s", grd->units);
    }
    std::fputc('\n', fp);
    put_projection(fp, d);
    const size_t n = static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny);
    if (binary)
        write_binary(fp, grd->grid, n);
    else
        write_text(fp, grd->grid, n);
    if (std::fflush(fp) != 0 || std::ferror(fp)) {
        MESS_print(M_WARN, "GRD_write: Unable to write grid file: %s\n", f->name);
        return END;
    }
    return 0;
}

int vyk_putinfo(int /*slot*/, GRD_file *f, GRD_info * /*info*/)
{
    if (f->type == GRD_TEXT_PLAIN || f->appending) return 0;
    std::fputs("VYKGRID\n", f->file);
    return std::ferror(f->file) ? END : 0;
}

int vyk4_putinfo(int /*slot*/, GRD_file *f, GRD_info * /*info*/)
{
    MESS_print(M_WARN, "GRD_putinfo: VYKGRID4 grid files are read only: %s\n", f->name);
    return END;
}

/// Opening: appending goes only to an own text grid file (kinds 1 and 2, which hold text and
/// binary products alike) or to a file that is empty or missing.
int vyk_open(GRD_file *f, const char *name, int access)
{
    if (access == GRD_ACCESS_APPEND && !FILE_is_stdio(name) && name[0] != '|' &&
        FILE_size(name) > 0) {
        const int kind = GRD_chktype(name);
        if (kind != GRD_TEXT_PLAIN && kind != GRD_TEXT) {
            MESS_print(M_WARN, "GRD_open: %s products cannot be appended to %s (a %s file)\n",
                       GRD_kind_name(f->type), name, GRD_kind_name(kind));
            return END;
        }
        f->appending = 1;
    }
    return grd_stream_open(f, name, access);
}

int vyk_rewind(GRD_file *f) { return grd_stream_rewind(f, skip_first_line(f->type)); }

}  // namespace

const GRD_backend grd_backend_text_plain = {
    GRD_TEXT_PLAIN, "text", vyk_open, grd_stream_close, vyk_rewind,
    vyk_getinfo,    vyk_putinfo, vyk_read, vyk_write,
};

const GRD_backend grd_backend_text = {
    GRD_TEXT,    "VYKGRID text", vyk_open, grd_stream_close, vyk_rewind,
    vyk_getinfo, vyk_putinfo,    vyk_read, vyk_write,
};

const GRD_backend grd_backend_binary = {
    GRD_BINARY,  "VYKGRID binary", vyk_open, grd_stream_close, vyk_rewind,
    vyk_getinfo, vyk_putinfo,      vyk_read, vyk_write,
};

const GRD_backend grd_backend_text_domain = {
    GRD_TEXT_DOMAIN, "VYKGRID4", vyk_open, grd_stream_close, vyk_rewind,
    vyk_getinfo,     vyk4_putinfo, vyk_read, nullptr,
};
