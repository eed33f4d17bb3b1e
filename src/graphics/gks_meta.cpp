// Metafiles: the metafile workstation's output file in its two forms, and the reader that
// replays a text metafile onto the current workstation.
//
// The text form starts with the line "VYKMETA" and three comment lines, then holds one text
// record per kernel call (the kernel's calls write their own records through gmeta_printf).
// The binary form is a small CGM subset (binary encoding, big-endian): a fixed header, then
// POLYLINE and CLIP RECTANGLE elements written by the kernel through gcgm_control and the point
// writers, and END PICTURE at the close.
//
// The reader takes its input as untrusted: every count and number is scanned and checked before
// it is used, a point list grows only with the points actually read, and a record that does not
// scan is skipped to its line end with a warning.
#include "gks.h"
#include "gks_internal.h"
#include "vyk.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr int POINTS_PER_LINE = 4;  // points per record line

FILE *out_file = nullptr;  // the metafile being written
int append = 0;            // 1 when the file was opened for appending
long out_start = -1;       // where the output began (FILE_output_start)
int meta_type = 0;         // 0 text, 1 CGM
unsigned char buf[20];     // work buffer for binary output
int line_type = 0;         // the last line type given to the CGM form

bool is_cgm() { return meta_type == 1; }

// A 16-bit big-endian word: the low 16 bits of the value.
void put16(unsigned char *p, long value)
{
    const auto v = static_cast<unsigned long>(value);
    p[0] = static_cast<unsigned char>((v >> 8) & 0xFF);
    p[1] = static_cast<unsigned char>(v & 0xFF);
}

void write_bytes(const unsigned char *bytes, size_t n)
{
    if (out_file) std::fwrite(bytes, 1, n, out_file);
}

// A device coordinate as the CGM point writer takes it: the fraction dropped.  Values that are
// not numbers give 0; the kernel clamps device coordinates to +-100000 anyway.
long device_int(float v)
{
    if (!std::isfinite(v)) return 0;
    if (v > 1e9f) return 1000000000L;
    if (v < -1e9f) return -1000000000L;
    return static_cast<long>(v);
}

void write_cgm_header()
{
    gcgm_control(0, 1, 0, 0);   // BEGIN METAFILE
    gcgm_control(1, 1, 2, 1);   // METAFILE VERSION 1
    gcgm_control(1, 2, 11, 0);  // METAFILE DESCRIPTION
    static const unsigned char description[] = {10, 'V', 'Y', 'K', 'C', 'G', 'M',
                                                '-', '1', '.', '0', 0};
    write_bytes(description, sizeof description);
    gcgm_control(1, 11, 6, 1);  // METAFILE ELEMENT LIST: one entry, the drawing set
    static const unsigned char drawing_set[] = {0xFF, 0xFF, 0x00, 0x01};
    write_bytes(drawing_set, sizeof drawing_set);
    gcgm_control(1, 9, 1, 0);   // MAXIMUM COLOUR INDEX
    static const unsigned char max_colour[] = {255, 0};
    write_bytes(max_colour, sizeof max_colour);
    gcgm_control(2, 6, 8, 0);   // VDC EXTENT
    put16(buf, 0);
    put16(buf + 2, 0);
    put16(buf + 4, 10000);
    put16(buf + 6, 8000);
    write_bytes(buf, 8);
    gcgm_control(0, 3, 0, 0);   // BEGIN PICTURE
    gcgm_control(0, 4, 0, 0);   // BEGIN PICTURE BODY
}

void write_text_header()
{
    const char *title = gget_win_title();
    std::fprintf(out_file, "VYKMETA\n");
    std::fprintf(out_file, "#Title: VYK Graphics Display: %s\n", title ? title : "");
    std::fprintf(out_file, "#Creator: VYK Metafile Processor-1.0\n");
    char date[64] = "\n";  // ctime's 24-character form and a line end
    const std::time_t now = std::time(nullptr);
    if (!ctime_r(&now, date)) std::strcpy(date, "\n");
    std::fprintf(out_file, "#CreationDate: %s", date);
}

// ---------------------------------------------------------------------------------------------
// The reader
// ---------------------------------------------------------------------------------------------

constexpr int KEY_MAX = 9;             // a keyword is read in pieces of at most 9 characters
constexpr int TEXT_MAX = 100;          // longest text of a TE record
constexpr int NUMBER_MAX = 64;         // longest number token
constexpr long POINTS_MAX = 1L << 24;  // largest point count a record may announce
constexpr int WARNINGS_MAX = 20;       // warnings printed per file; the rest are counted

bool is_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool is_number_char(int c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// A byte reader over the metafile with one character of look-ahead and the line count.
class Scanner {
public:
    explicit Scanner(FILE *fp) : fp_(fp) {}

    long line() const { return line_; }

    // Reads the next word (at most KEY_MAX characters) into key; false at the end of the file.
    bool keyword(char *key)
    {
        skip_space();
        int n = 0;
        int c;
        while (n < KEY_MAX && (c = get()) != EOF) {
            if (is_space(c)) {
                unget(c);
                break;
            }
            key[n++] = static_cast<char>(c);
        }
        key[n] = '\0';
        return n > 0;
    }

    bool integer(int &value)
    {
        char token[NUMBER_MAX + 1];
        if (!number_token(token, false)) return false;
        long v = 0;
        const char *begin = token[0] == '+' ? token + 1 : token;
        const char *end = token + std::strlen(token);
        const auto [ptr, ec] = std::from_chars(begin, end, v);
        if (ec != std::errc() || ptr != end || begin == end || v < INT_MIN || v > INT_MAX)
            return fail_in_line();
        value = static_cast<int>(v);
        return true;
    }

    // A finite number; comma: the number is the x of a pair and must be followed by ','.
    bool real(float &value, bool comma = false)
    {
        char token[NUMBER_MAX + 1];
        if (!number_token(token, comma)) return false;
        const char *begin = token[0] == '+' ? token + 1 : token;
        const char *end = token + std::strlen(token);
        float v = 0;
        const auto [ptr, ec] = std::from_chars(begin, end, v);
        if (ec != std::errc() || ptr != end || begin == end || !std::isfinite(v))
            return fail_in_line();
        value = v;
        return true;
    }

    // x, a comma and y.
    bool point(Gpt &p)
    {
        if (!real(p.x, true)) return false;
        if (get() != ',') return fail_in_line();  // real() left the comma next
        return real(p.y);
    }

    // The rest of the line after blanks, at most TEXT_MAX characters; what is left of a longer
    // line is read as the next keyword.
    void text(char *out)
    {
        int c;
        do c = get();
        while (c == ' ' || c == '\t');
        int n = 0;
        while (c != EOF && c != '\n') {
            out[n++] = static_cast<char>(c);
            if (n == TEXT_MAX) {
                out[n] = '\0';
                return;
            }
            c = get();
        }
        unget(c);
        out[n] = '\0';
    }

    void skip_line()
    {
        int c;
        while ((c = get()) != EOF && c != '\n') {
        }
    }

    // After a failed scan: the rest of the record's line is skipped, unless the scan stopped at
    // the first word of a later line (a record with fewer values than it announced), which
    // then starts the next record.
    void skip_record()
    {
        if (!fresh_line_) skip_line();
        fresh_line_ = false;
    }

private:
    int get()
    {
        const int c = getc_unlocked(fp_);
        if (c == '\n') line_++;
        return c;
    }
    void unget(int c)
    {
        if (c == EOF) return;
        if (c == '\n') line_--;
        ungetc(c, fp_);
    }
    // Skips white space; true when a line end was crossed.
    bool skip_space()
    {
        bool crossed = false;
        int c;
        while ((c = get()) != EOF && is_space(c))
            if (c == '\n') crossed = true;
        unget(c);
        return crossed;
    }
    bool fail_in_line()
    {
        fresh_line_ = false;
        return false;
    }
    // Reads the characters of a number after white space; it must end at white space, the end
    // of the file or (comma) a ','.
    bool number_token(char *token, bool comma)
    {
        const bool crossed = skip_space();
        int n = 0;
        int c;
        while ((c = get()) != EOF && is_number_char(c)) {
            if (n == NUMBER_MAX) return fail_in_line();
            token[n++] = static_cast<char>(c);
        }
        unget(c);
        token[n] = '\0';
        if (n == 0) {
            fresh_line_ = crossed;
            return false;
        }
        if (comma ? c != ',' : (c != EOF && !is_space(c))) return fail_in_line();
        return true;
    }

    FILE *fp_;
    long line_ = 1;
    bool fresh_line_ = false;
};

// The text records: the keyword, the object code that the writer writes the record for (none
// for the records of the output calls, which their device entries write), how the values stand
// and the call that the reader replays the record with (none: the reader passes it over).
enum class Form {
    INT,       // "KEY value"
    FLOAT,     // "KEY %f"
    PAIR,      // "KEY %f,%f"
    TWO_INT,   // "KEY %d %d"
    RECT,      // "KEY value %f %f %f %f": x_min, y_min, x_max, y_max
    COLOUR,    // "KEY ws index %f %f %f"
    TEXT,      // "KEY text"
    POINTS,    // "KEY n x,y x,y ..."
    POS_TEXT,  // "KEY x,y text"
};

struct Record {
    const char *key;
    int code;
    Form form;
    Gint (*one)(Gint) = nullptr;                   // INT
    Gint (*real)(Gfloat) = nullptr;                // FLOAT
    Gint (*pair)(const Gpt *) = nullptr;           // PAIR
    Gint (*two)(Gint, Gint) = nullptr;             // TWO_INT
    Gint (*rect)(Gint, const Glim *) = nullptr;    // RECT
    Gint (*points)(Gint, const Gpt *) = nullptr;   // POINTS
    bool replayed = false;                         // COLOUR, POS_TEXT
    bool replays() const { return replayed || one || real || pair || two || rect || points; }
};

// The rows of the table: records the reader passes over or replays itself, and records it
// replays through a call (F the type of the call's field in Record).
constexpr Record passed(const char *key, int code, Form form) { return Record{key, code, form}; }
constexpr Record replayed(const char *key, int code, Form form)
{
    Record r{key, code, form};
    r.replayed = true;
    return r;
}
template <class F> constexpr Record on(const char *key, int code, Form form, F Record::*call, F f)
{
    Record r{key, code, form};
    r.*call = f;
    return r;
}
constexpr Record records[] = {
    passed("ME", GOBJ_MESSAGE, Form::TEXT),
    passed("WS_VP", GOBJ_WS_VP, Form::RECT),
    passed("WS_WIN", GOBJ_WS_WIN, Form::RECT),  // the workstation window is not applied
    on("TR", GOBJ_NORM_TRAN, Form::INT, &Record::one, gsel_norm_tran),
    on("VP", GOBJ_VP, Form::RECT, &Record::rect, gset_vp),
    on("WIN", GOBJ_WIN, Form::RECT, &Record::rect, gset_win),
    replayed("CLR", GOBJ_COLR_REP, Form::COLOUR),
    on("PL", 0, Form::POINTS, &Record::points, gpolyline),
    on("PM", 0, Form::POINTS, &Record::points, gpolymarker),
    on("FA", 0, Form::POINTS, &Record::points, gfill_area),
    replayed("TE", 0, Form::POS_TEXT),
    on("PL_TYPE", GOBJ_LINETYPE, Form::INT, &Record::one, gset_linetype),
    on("PL_LW", GOBJ_LINEWIDTH, Form::FLOAT, &Record::real, gset_linewidth),
    on("PL_CLR", GOBJ_LINE_COLR, Form::INT, &Record::one, gset_line_colr_ind),
    on("PM_TYPE", GOBJ_MARKER_TYPE, Form::INT, &Record::one, gset_marker_type),
    on("PM_SIZE", GOBJ_MARKER_SIZE, Form::FLOAT, &Record::real, gset_marker_size),
    on("PM_CLR", GOBJ_MARKER_COLR, Form::INT, &Record::one, gset_marker_colr_ind),
    on("PM_WDTH", GOBJ_MARKER_WIDTH, Form::FLOAT, &Record::real, gset_marker_width),
    on("TE_SPC", GOBJ_SPACE, Form::FLOAT, &Record::real, gset_space),
    on("TE_CSPC", GOBJ_CHAR_SPACE, Form::FLOAT, &Record::real, gset_char_space),
    on("TE_EXP", GOBJ_EXPAN, Form::FLOAT, &Record::real, gset_expan),
    on("TE_CLR", GOBJ_TEXT_COLR, Form::INT, &Record::one, gset_text_colr_ind),
    on("TE_HGHT", GOBJ_CHAR_HT, Form::FLOAT, &Record::real, gset_char_ht),
    on("TE_UP", GOBJ_CHAR_UP_VEC, Form::PAIR, &Record::pair, gset_char_up_vec),
    on("TE_FNT", GOBJ_FONTPREC, Form::TWO_INT, &Record::two,
       +[](Gint font, Gint prec) {
           const Gfontprec fontprec{font, static_cast<Gtext_prec>(prec)};
           return gset_fontprec(&fontprec);
       }),
    on("TE_ALGN", GOBJ_TEXT_ALIGN, Form::TWO_INT, &Record::two,
       +[](Gint hor, Gint ver) {
           const Gtext_align align{static_cast<Gtext_hor>(hor), static_cast<Gtext_ver>(ver)};
           return gset_text_align(&align);
       }),
    on("TE_WDTH", GOBJ_TEXT_WIDTH, Form::FLOAT, &Record::real, gset_text_width),
    on("FA_INT", GOBJ_FILL_STYLE, Form::INT, &Record::one,
       +[](Gint style) { return gset_fill_int_style(static_cast<Gfill_int_style>(style)); }),
    on("FA_ST", GOBJ_FILL_STYLE_IND, Form::INT, &Record::one, gset_fill_style_ind),
    on("FA_CLR", GOBJ_FILL_COLR, Form::INT, &Record::one, gset_fill_colr_ind),
};

const Record *record_of_key(const char *word)
{
    for (const Record &r : records)
        if (std::strcmp(word, r.key) == 0) return &r;
    return nullptr;
}

const Record *record_of_code(int code)
{
    for (const Record &r : records)
        if (code != 0 && r.code == code) return &r;
    return nullptr;
}

// Reads "x_min y_min x_max y_max" into a rectangle.
bool read_limits(Scanner &in, Glim &lim)
{
    return in.real(lim.x_min) && in.real(lim.y_min) && in.real(lim.x_max) && in.real(lim.y_max);
}

// Reads the count and the points of a PL, FA or PM record.
bool read_points(Scanner &in, std::vector<Gpt> &points)
{
    int n;
    if (!in.integer(n)) return false;
    points.clear();
    if (n < 0 || n > POINTS_MAX) return false;  // the record's line is skipped
    for (int i = 0; i < n; i++) {
        Gpt p;
        if (!in.point(p)) return false;
        points.push_back(p);
    }
    return true;
}

// Replays one record; false when it does not scan.
bool replay(Scanner &in, const Record *r, std::vector<Gpt> &points)
{
    if (!r || !r->replays()) {
        in.skip_line();
        return true;
    }
    int i1, i2;
    float f;
    Gpt p;
    Glim lim;
    switch (r->form) {
    case Form::INT:
        if (!in.integer(i1)) return false;
        r->one(i1);
        return true;
    case Form::FLOAT:
        if (!in.real(f)) return false;
        r->real(f);
        return true;
    case Form::PAIR:
        if (!in.point(p)) return false;
        r->pair(&p);
        return true;
    case Form::TWO_INT:
        if (!in.integer(i1) || !in.integer(i2)) return false;
        r->two(i1, i2);
        return true;
    case Form::RECT:
        if (!in.integer(i1) || !read_limits(in, lim)) return false;
        r->rect(i1, &lim);
        return true;
    case Form::COLOUR: {
        Gcolr_rep rep;
        if (!in.integer(i1) || !in.integer(i2) || !in.real(rep.red) || !in.real(rep.green) ||
            !in.real(rep.blue))
            return false;
        gset_colr_rep(1, i2, &rep);
        return true;
    }
    case Form::POINTS: {
        if (!read_points(in, points)) return false;
        Gpt none{0, 0};
        const Gint n = static_cast<Gint>(points.size());
        r->points(n, n > 0 ? points.data() : &none);
        return true;
    }
    case Form::POS_TEXT: {
        if (!in.point(p)) return false;
        char text[TEXT_MAX + 1];
        in.text(text);
        gtext(&p, text);
        return true;
    }
    case Form::TEXT: break;
    }
    in.skip_line();
    return true;
}

// True when the file open for reading is the metafile being written: replaying it would read
// back its own records without end.
bool is_own_output(FILE *in)
{
    if (!out_file) return false;
    struct stat a, b;
    if (fstat(fileno(in), &a) != 0 || fstat(fileno(out_file), &b) != 0) return false;
    return S_ISREG(a.st_mode) && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The output file
// ---------------------------------------------------------------------------------------------

int gmeta_set_type(int type)
{
    meta_type = type;
    return 0;
}

int gmeta_get_type() { return meta_type; }

FILE *gmeta_open_file(const char *filename)
{
    if (!filename) return nullptr;
    MESS_print(M_MESS, "Creating metafile: %s\n", filename);
    if (out_file) {  // a file left open is finished first, never leaked
        FILE_close(out_file);
        out_file = nullptr;
    }
    append = 0;
    if (filename[0] == '+') {
        out_file = FILE_open(filename + 1, "a");
        append = 1;
    } else {
        // A name beginning '|' starts the rest as a command and feeds its input.
        out_file = FILE_open(filename, "w");
    }
    out_start = FILE_output_start(out_file, append);
    return out_file;
}

int gmeta_init_file()
{
    if (!out_file) return 0;
    if (is_cgm()) write_cgm_header();
    else write_text_header();
    return 0;
}

int gmeta_printf(const char *mess, ...)
{
    if (!out_file || is_cgm() || !mess) return 0;
    va_list args;
    va_start(args, mess);
    std::vfprintf(out_file, mess, args);
    va_end(args);
    return 0;
}

int gmeta_close_file()
{
    if (!out_file) return -1;
    if (is_cgm() && !append) gcgm_control(0, 5, 0, 0);  // END PICTURE
    // A command started for a '|' name is waited for; a file that could not be written whole
    // is removed (or cut back to what it held).
    const bool failed = FILE_close_output(out_file, out_start, 0) != 0;
    out_file = nullptr;
    if (failed) {
        MESS_print(M_WARN, "gmeta_close_file: unable to write the metafile\n");
        return -1;
    }
    MESS_print(M_MESS, "Created metafile\n");
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The CGM form
// ---------------------------------------------------------------------------------------------

int gcgm_control(int maj, int min, int len, int param)
{
    // Binary elements go only into a CGM file: a text metafile is never corrupted by them.
    if (!out_file || !is_cgm()) return -1;
    const unsigned cls = static_cast<unsigned>(maj), id = static_cast<unsigned>(min);
    buf[0] = static_cast<unsigned char>((cls * 16 + (id >> 3)) & 0xFF);
    buf[1] = static_cast<unsigned char>(((id << 5) + (static_cast<unsigned>(len) & 31)) & 0xFF);
    size_t n = 2;
    if (param > 0 || len == 31) {
        put16(buf + 2, param);
        n = 4;
    }
    write_bytes(buf, n);
    return 0;
}

int gcgm_ps_point(float x, float y)
{
    if (!out_file || !is_cgm()) return -1;
    put16(buf, device_int(x));
    put16(buf + 2, device_int(y));
    write_bytes(buf, 4);
    return 0;
}

int gcgm_point(float x, float y) { return gcgm_ps_point(xW_ps(x), yW_ps(y)); }

int gcgm_set_color(int) { return 0; }
int gcgm_set_fill_color(int) { return 0; }
int gcgm_set_width(int, float) { return 0; }

int gcgm_set_type(int type)
{
    if (type == line_type) return -1;
    line_type = type;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Replaying a text metafile
// ---------------------------------------------------------------------------------------------

Gint gread_metafile(const Gchar *filename)
{
    // Names come from map lists and other data: a plain file, never a command or a search.
    FILE *fp = filename ? std::fopen(filename, "r") : nullptr;
    if (!fp) {
        MESS_print(M_WARN, "gread_metafile: Unable to open image file: %s\n",
                   filename ? filename : "");
        return 0;
    }
    if (is_own_output(fp)) {
        MESS_print(M_WARN, "gread_metafile: %s is the metafile being written\n", filename);
        std::fclose(fp);
        return -1;
    }
    Scanner in(fp);
    in.skip_line();  // "VYKMETA" (whatever the first line holds)
    std::vector<Gpt> points;
    char key[KEY_MAX + 1];
    long invalid = 0;
    while (in.keyword(key)) {
        const long line = in.line();
        if (replay(in, record_of_key(key), points)) continue;
        if (++invalid <= WARNINGS_MAX)
            MESS_print(M_WARN, "gread_metafile: invalid %s record in line %ld skipped\n", key,
                       line);
        in.skip_record();
    }
    if (invalid > WARNINGS_MAX)
        MESS_print(M_WARN, "gread_metafile: %ld invalid records skipped in all\n", invalid);
    std::fclose(fp);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The back end
// ---------------------------------------------------------------------------------------------

namespace {

int meta_open(int count, char **items)
{
    for (int i = 1; i < count; i++) {
        if (stricmp(items[i], "cgm") == 0) gmeta_set_type(1);
        else if (stricmp(items[i], "vyk") == 0) gmeta_set_type(0);
    }
    gx_set_device(1000, 800, 0, 0);
    gset_page_geometry(nullptr, nullptr, {"%dx%d%d%d", "%d%d", 100.0f, 0.0f});
    char name[80];
    const char *out = count > 0 && items[0][0] ? items[0] : std::getenv("vykmeta_out");
    strfcpy(name, out ? out : is_cgm() ? "vyk.cgm" : "vyk.meta");
    gx_set_depth(10);
    if (!gmeta_open_file(name)) {
        gerr_printf("gopen_ws", "unable to open metafile\n");
        return -1;
    }
    gmeta_init_file();
    return 0;
}

// A replay of the display list into a metafile.
int meta_open_file(const char *name)
{
    if (!gmeta_open_file(name)) return -1;
    gmeta_init_file();
    return 0;
}

template <class T> T data_as(const void *data)
{
    T v;
    std::memcpy(&v, data, sizeof v);
    return v;
}

void meta_object(int code, int values, const void *data)
{
    const Record *r = record_of_code(code);
    if (!r) return;
    switch (r->form) {
    case Form::INT: gmeta_printf("%s %d\n", r->key, values); break;
    case Form::FLOAT: gmeta_printf("%s %f\n", r->key, data_as<float>(data)); break;
    case Form::PAIR: {
        const Gpt p = data_as<Gpt>(data);
        gmeta_printf("%s %f,%f\n", r->key, p.x, p.y);
        break;
    }
    case Form::TWO_INT: {
        const auto v = data_as<std::array<int, 2>>(data);
        gmeta_printf("%s %d %d\n", r->key, v[0], v[1]);
        break;
    }
    case Form::RECT: {
        const Glim l = data_as<Glim>(data);
        gmeta_printf("%s %d %f %f %f %f\n", r->key, values, l.x_min, l.y_min, l.x_max, l.y_max);
        break;
    }
    case Form::COLOUR: {
        const Gcolr_rep c = data_as<Gcolr_rep>(data);
        gmeta_printf("%s %d %d %f %f %f\n", r->key, gget_ws_id(), values, c.red, c.green, c.blue);
        break;
    }
    case Form::TEXT: gmeta_printf("%s %s\n", r->key, static_cast<const char *>(data)); break;
    case Form::POINTS:
    case Form::POS_TEXT: break;  // written by the output entries
    }
}

// The CGM form clips to the viewport; the text form has no clip record.
void meta_clip(const Gclip &c)
{
    if (!is_cgm()) return;
    gcgm_control(3, 5, 8, 0);
    gcgm_ps_point(c.x0, c.y0);
    gcgm_ps_point(c.x1, c.y1);
}

// Segments are records of the metafile only; -1 tells the caller that nothing was kept.
int meta_segment(int code, Gint name)
{
    const char *key = code == GOBJ_SEG_START ? "SEG_CR" : code == GOBJ_SEG_END ? "SEG_CL"
                                                                               : "SEG_DE";
    gmeta_printf("%s %d\n", key, name);
    return -1;
}

// "KEY n" and the points, four a line, each further line indented.  A polyline ends its last
// line; the marker and fill records break after every fourth point, their last one included.
// The numbers go out through std::to_chars, whose fixed form with a precision is printf's
// ("%d"; "%f" of the float widened to double), into one buffer per line.
void write_points(const char *key, Gint n, const Gpt *points, bool break_last)
{
    if (!out_file || is_cgm()) return;
    // A float in "%f" takes at most 39 integer digits, the sign, the point and 6 decimals.
    constexpr size_t NUMBER_MAX = 48;
    char line[64 + POINTS_PER_LINE * (2 * NUMBER_MAX + 2)];
    char *const end = line + sizeof line;
    char *p = line;
    const size_t key_len = std::strlen(key);
    if (key_len > 32) return;
    std::memcpy(p, key, key_len);
    p += key_len;
    *p++ = ' ';
    p = std::to_chars(p, end, n).ptr;
    *p++ = ' ';
    for (Gint i = 0; i < n; i++) {
        p = std::to_chars(p, end, static_cast<double>(points[i].x), std::chars_format::fixed, 6).ptr;
        *p++ = ',';
        p = std::to_chars(p, end, static_cast<double>(points[i].y), std::chars_format::fixed, 6).ptr;
        *p++ = ' ';
        if ((i + 1) % POINTS_PER_LINE == 0 && (break_last || i != n - 1)) {
            std::memcpy(p, "\n   ", 4);
            std::fwrite(line, 1, static_cast<size_t>(p + 4 - line), out_file);
            p = line;
        }
    }
    if (!break_last || n % POINTS_PER_LINE != 0) *p++ = '\n';
    std::fwrite(line, 1, static_cast<size_t>(p - line), out_file);
}

int meta_polyline(Gint n, const Gpt *points)
{
    if (is_cgm()) {
        gcgm_control(4, 1, 31, 4 * n);
        for (Gint i = 0; i < n; i++) gcgm_point(points[i].x, points[i].y);
    } else {
        write_points("PL", n, points, false);
    }
    return 1;
}

int meta_polymarker(Gint n, const Gpt *points)
{
    write_points("PM", n, points, true);
    return 0;
}

int meta_fill_area(Gint n, const Gpt *points)
{
    write_points("FA", n, points, true);
    return 1;
}

int meta_text(const Gpt *pos, const char *str)
{
    gmeta_printf("TE %f,%f %s\n", pos->x, pos->y, str);
    if (is_cgm()) gcgm_set_type(1);  // nothing of a text is drawn in CGM
    return 0;
}

int meta_clear_region(const Glim *lim)
{
    gmeta_printf("CLR_REG %f %f %f %f\n", lim->x_min, lim->y_min, lim->x_max, lim->y_max);
    return 0;
}

}  // namespace

const Gdevice gdev_meta = {
    .type = GWS_META,
    .caps = GDEV_PENS,
    .init_kind = GINIT_META,
    .units = GUNITS_NONE,
    .open = meta_open,
    .open_file = meta_open_file,
    .close = gmeta_close_file,
    .object = meta_object,
    .clip = meta_clip,
    .segment = meta_segment,
    .polyline = meta_polyline,
    .polymarker = meta_polymarker,
    .fill_area = meta_fill_area,
    .text = meta_text,
    .clear_region = meta_clear_region,
};
