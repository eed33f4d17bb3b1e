// Point-data files: up to five open at once in numbered slots, read line by line or value by
// value and written with their headers.
//
// A header file begins with the word "DADODU", the date label and the description; a description
// beginning '!' is followed by a field list (name[:info[:format]] tokens up to one beginning '$')
// that names the columns of the data lines, the location columns included.  A data line is the
// identifier, the location (latitude and longitude, a pressure, or nothing) and value tokens:
// "-" missing, a number or two joined by ',', or a text; a token may begin NAME= and end with
// ':' and a format.  Every text read is cut to its field; lines longer than RAW_LINE_LEN are cut
// with a warning.
#include "dadodu.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int HEADER_LINE_MAX = 160;  // header lines are read up to this many characters
constexpr int TOKEN_MAX = 79;         // a value token read value by value
constexpr int VALUE_FORMAT_MAX = 9;   // a value format of plot_format
constexpr int FIRST_DATA_ENTRY = 3;   // entries before it name the identifier and location
constexpr int LOC_LATLON = 3, LOC_PRES = 2, LOC_ID = 1;

struct Slot {
    FILE *file = nullptr;
    bool open = false;
    bool stdio = false;  // standard input or output: never positioned or closed
    int type = RAW_TYPE_NONE;
    int access = RAW_READ;
    int num = 0;         // lines read since the first data line: the number of the next one
    int last = -1;       // number of the line last read; -1 none
    long last_start = -1;
    long data_start = 0; // where the first data line begins
    bool ended = false;  // an empty line or the end was met: reading stays at the end
    int ind = 0;         // value by value: where the next token is looked for; -1 see RAW_read
    int cur_field = 0;
    int num_field = 0;
    int field_off = 0;
    char field[RAW_FIELDS][RAW_FIELD_NAME_LEN] = {};
    char field_info[RAW_FIELDS][RAW_FIELD_INFO_LEN] = {};
    char field_fmt[RAW_FIELDS][RAW_FIELD_FMT_LEN] = {};
    int field_ind[3] = {};  // offsets of the identifier and location tokens in the line
    int values_at = 0;      // offset where the value tokens begin
    char line[RAW_LINE_LEN + 1] = {};
    int line_no = 0;        // lines of the file read, for messages
    long out_start = -1;    // an output: where it began (FILE_output_start)
    char name[FILE_NAME_MAX + 1] = {};  // the name opened, for messages
};

struct State {
    Slot slots[RAW_SLOTS];
    Date last_header{};
};

State st;

Slot *slot_of(int slot)
{
    if (slot < 0 || slot >= RAW_SLOTS || !st.slots[slot].open) return nullptr;
    return &st.slots[slot];
}

bool header_type(int type) { return type == RAW_TYPE_HEADER || type == RAW_TYPE_HEADER2; }

// A designator that is a number (RAW_field) rather than a name.
bool numeric(const char *designator, int &n)
{
    if (!RAW_field_is_num(designator)) return false;
    n = static_cast<int>(reinterpret_cast<intptr_t>(designator));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lines and tokens
// ---------------------------------------------------------------------------------------------

// Reads one line (up to max characters; the rest of a longer one is passed over) without its
// line end: false at the end of the file.
bool read_line(FILE *fp, char *buf, int max, bool &cut)
{
    cut = false;
    int n = 0, c;
    bool any = false;
    while ((c = std::fgetc(fp)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (n < max) buf[n++] = static_cast<char>(c);
        else cut = true;
    }
    buf[n] = '\0';
    return any;
}

void strip_end(char *text)
{
    size_t n = std::strlen(text);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = '\0';
}

bool blank_char(char c) { return c == ' ' || c == '\t'; }

// The token at or after pos: its start and length (0 when none is left).
int token_at(const char *line, int pos, int &start)
{
    while (line[pos] && blank_char(line[pos])) pos++;
    start = pos;
    while (line[pos] && !blank_char(line[pos])) pos++;
    return pos - start;
}

std::string token_text(const char *line, int start, int len) { return std::string(line + start, static_cast<size_t>(len)); }

bool read_number(const char *text, double &out, const char **end)
{
    char *e;
    errno = 0;
    const double v = std::strtod(text, &e);
    if (e == text || !std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;
    out = v;
    if (end) *end = e;
    return true;
}

// A location number: a number token, "-" missing (read, but -9999).
bool location_number(const std::string &tok, float &out)
{
    if (tok == "-") {
        out = VYK_MISS;
        return true;
    }
    double v;
    const char *end;
    if (!read_number(tok.c_str(), v, &end) || *end != '\0') return false;
    out = static_cast<float>(v);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Header
// ---------------------------------------------------------------------------------------------

void clear_fields(Slot &s)
{
    std::memset(s.field, 0, sizeof s.field);
    std::memset(s.field_info, 0, sizeof s.field_info);
    std::memset(s.field_fmt, 0, sizeof s.field_fmt);
    s.num_field = 0;
    s.field_off = 0;
}

int location_columns(const Slot &s)
{
    if (s.num_field >= 4 && (stricmp(s.field[1], "lat") == 0 || stricmp(s.field[1], "x") == 0))
        return LOC_LATLON;
    if (s.num_field >= 3 && (stricmp(s.field[1], "p") == 0 || stricmp(s.field[1], "pres") == 0))
        return LOC_PRES;
    return LOC_ID;
}

// Stores one field-list token (name[:info[:format]]).
void store_entry(Slot &s, const std::string &tok)
{
    const size_t c1 = tok.find(':');
    const std::string name = tok.substr(0, c1);
    std::string info, fmt;
    if (c1 != std::string::npos) {
        const std::string rest = tok.substr(c1 + 1);
        const size_t c2 = rest.find(':');
        info = rest.substr(0, c2);
        if (c2 != std::string::npos) fmt = rest.substr(c2 + 1);
    }
    std::replace(info.begin(), info.end(), '_', ' ');
    const int k = s.num_field++;
    strfcpy(s.field[k], name.c_str());
    strfcpy(s.field_info[k], info.c_str());
    RAW_check_format(fmt.c_str(), s.field_fmt[k], sizeof s.field_fmt[k]);
}

// Reads the field list after a '!' description, up to the '$' token and the end of its line;
// entries beyond RAW_FIELDS are passed over (the '$' of a full list is no data line).
void read_field_list(Slot &s)
{
    char word[RAW_LINE_LEN + 1];
    int c;
    for (;;) {
        while ((c = std::fgetc(s.file)) != EOF && std::isspace(c)) {}
        if (c == EOF) return;
        int n = 0;
        for (; c != EOF && !std::isspace(c); c = std::fgetc(s.file))
            if (n < RAW_LINE_LEN) word[n++] = static_cast<char>(c);
        word[n] = '\0';
        if (word[0] == '$') {
            while (c != EOF && c != '\n') c = std::fgetc(s.file);
            break;
        }
        if (s.num_field < RAW_FIELDS) store_entry(s, word);
    }
    // Blank space after the list is not the end of the data.
    while ((c = std::fgetc(s.file)) != EOF && std::isspace(c)) {}
    if (c != EOF) std::ungetc(c, s.file);
}

// Passes over the header of the open file (three lines, and the field list when it has one).
void skip_header(Slot &s)
{
    char buf[HEADER_LINE_MAX + 1];
    bool cut;
    read_line(s.file, buf, HEADER_LINE_MAX, cut);
    read_line(s.file, buf, HEADER_LINE_MAX, cut);
    read_line(s.file, buf, HEADER_LINE_MAX, cut);
    if (buf[0] != '!') return;
    Slot scratch;  // the list is read again only to find its end
    scratch.file = s.file;
    read_field_list(scratch);
}

void at_first_line(Slot &s)
{
    s.num = 0;
    s.last = -1;
    s.last_start = -1;
    s.ind = 0;
    s.ended = false;
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

// Reads the next line of the slot into its line buffer: false at the end or at an empty line.
bool next_data_line(Slot &s)
{
    const long start = s.stdio ? -1 : std::ftell(s.file);
    bool cut;
    if (s.ended || !read_line(s.file, s.line, RAW_LINE_LEN, cut)) {
        s.ended = true;
        return false;
    }
    s.line_no++;
    if (cut)
        MESS_print(M_WARN, "RAW_read: data line %d longer than %d characters; cut\n", s.num + 1,
                   RAW_LINE_LEN);
    const size_t len = std::strlen(s.line);
    if (len > 0 && s.line[len - 1] == '\r') s.line[len - 1] = '\0';
    if (s.line[0] == '\0') {
        s.ended = true;
        return false;
    }
    s.last_start = start;
    s.last = s.num++;
    return true;
}

// Goes to data line want (see RAW_read): false when the file ends before it.
bool position(Slot &s, int want)
{
    if (s.stdio) return true;
    if (want <= 0 || want < s.last) {
        RAW_rewind(static_cast<int>(&s - st.slots));
    } else if (want == s.last && s.last_start >= 0) {
        std::fseek(s.file, s.last_start, SEEK_SET);
        s.num = s.last;
        s.ended = false;
        return true;
    }
    if (s.ended) return false;
    char buf[RAW_LINE_LEN + 1];
    bool cut;
    while (s.num < want) {
        if (!read_line(s.file, buf, RAW_LINE_LEN, cut) || buf[0] == '\0') {
            s.ended = true;
            return false;
        }
        s.num++;
    }
    return true;
}

void empty_report(RAW_report &r)
{
    r.type = VYK_MISS;
    r.lat = r.lon = VYK_MISS;
    r.value[0] = r.value[1] = VYK_MISS;
    r.data[0] = '\0';
    r.format[0] = '\0';
}

// The identifier and the location of the slot's current line.
void read_location(Slot &s, RAW_report &r)
{
    int start;
    int len = token_at(s.line, 0, start);
    s.field_ind[0] = start;
    strfcpy(r.id, token_text(s.line, start, len).c_str());
    if (std::strlen(r.id) > 4) r.wmo = std::atoi(r.id);
    empty_report(r);
    int pos = start + len;
    const int cols = s.field_off;
    if (cols == LOC_LATLON || cols == 0) {
        int a, b;
        const int la = token_at(s.line, pos, a);
        const int lb = la > 0 ? token_at(s.line, a + la, b) : 0;
        float lat, lon;
        const bool both = la > 0 && lb > 0 && location_number(token_text(s.line, a, la), lat) &&
                          location_number(token_text(s.line, b, lb), lon);
        s.field_ind[1] = a;
        s.field_ind[2] = la > 0 ? b : a;
        if (both) {
            r.lat = lat;
            r.lon = lon;
            pos = b + lb;
        } else if (cols == LOC_LATLON) {
            pos = lb > 0 ? b + lb : (la > 0 ? a + la : pos);
        }
    } else if (cols == LOC_PRES) {
        int a;
        const int la = token_at(s.line, pos, a);
        s.field_ind[1] = a;
        float p;
        if (la > 0 && location_number(token_text(s.line, a, la), p)) r.lat = p;
        if (la > 0) pos = a + la;
    }
    s.values_at = pos;
}

// The next value token from pos: its text (at most max characters); false when none is left.
bool next_value(const Slot &s, int &pos, std::string &tok, size_t max)
{
    int start;
    const int len = token_at(s.line, pos, start);
    if (len == 0) return false;
    tok = token_text(s.line, start, len).substr(0, max);
    pos = start + len;
    return true;
}

int read_each(Slot &s, int slot, RAW_report &r)
{
    if (s.ind < 0) {  // a line without values was reported once
        s.ind = 0;
        return 0;
    }
    const bool first = s.ind == 0;
    int pos = first ? s.values_at : s.ind;
    const int field = first ? std::max(s.field_off, 0) : s.cur_field + 1;
    std::string tok;
    if (!next_value(s, pos, tok, TOKEN_MAX)) {
        if (first) {
            s.ind = -1;
            return 1;
        }
        s.ind = 0;
        return 0;
    }
    RAW_dec_line(slot, field, &r, tok.c_str());
    r.type = field;
    s.cur_field = field;
    s.ind = pos;
    return 1;
}

// A data column k: the k-th value token.
void read_column(Slot &s, int slot, RAW_report &r, int k)
{
    int pos = s.values_at;
    std::string tok;
    for (int i = 0; i <= k; i++) {
        if (!next_value(s, pos, tok, TOKEN_MAX)) {
            r.type = pos;
            return;
        }
    }
    RAW_dec_line(slot, s.field_off + k, &r, tok.c_str());
    r.type = pos;
}

// A search by name: the first value token NAME=VALUE.
void read_named(Slot &s, int slot, RAW_report &r, const char *name)
{
    const size_t len = std::strlen(name);
    int pos = s.values_at;
    std::string tok;
    while (next_value(s, pos, tok, TOKEN_MAX)) {
        if (tok.compare(0, len, name) == 0 && tok.size() > len && tok[len] == '=') {
            RAW_dec_line(slot, VYK_MISS, &r, tok.c_str() + len + 1);
            r.type = pos;
            return;
        }
    }
    r.type = VYK_MISS;
}

// The token at a remembered offset (identifier or location column).
void read_fixed(Slot &s, int slot, RAW_report &r, int entry)
{
    int start;
    const int len = token_at(s.line, s.field_ind[std::clamp(entry, 0, 2)], start);
    if (len == 0) return;
    const std::string tok = token_text(s.line, start, len).substr(0, TOKEN_MAX);
    RAW_dec_line(slot, entry, &r, tok.c_str());
}

void read_designated(Slot &s, int slot, RAW_report &r, const char *designator)
{
    int n;
    if (numeric(designator, n)) {
        if (n == RAW_FIELD_ID) read_fixed(s, slot, r, 0);
        else if (n >= RAW_FIELD_DATA) read_column(s, slot, r, n - RAW_FIELD_DATA);
        return;
    }
    const int ind = RAW_get_field_ind(slot, designator);
    if (ind < 0) {
        if (stricmp(designator, "id") == 0) read_fixed(s, slot, r, 0);
        else read_named(s, slot, r, designator);
    } else if (ind < s.field_off) {
        read_fixed(s, slot, r, ind);
    } else {
        read_column(s, slot, r, ind - s.field_off);
    }
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

// The value format and type that plot_format gives (type 0: none); true when it gives a format.
bool write_settings(char (&fmt)[VALUE_FORMAT_MAX + 1], int &type)
{
    std::strcpy(fmt, "%f");
    type = 0;
    bool has_fmt = false;
    int count = 0;
    char **list = nullptr;
    RES_getvals("plot_format", &count, &list);
    for (int i = 0; i < count; i++) {
        if (!list[i]) continue;
        if (list[i][0] == '%') {
            if (std::strlen(list[i]) <= VALUE_FORMAT_MAX && format_one_conv(list[i], "efgEGd")) {
                strfcpy(fmt, list[i]);
                type = VAR_T_VALUE;
                has_fmt = true;
            } else {
                MESS_print(M_WARN, "RAW_write: value format %s refused; %%f is used\n", list[i]);
            }
        } else {
            const int t = VAR_dec_type(list[i]);
            if (t > 0) type = t;
        }
    }
    free_parsed_array(count, list);
    return has_fmt;
}

bool int_format(const char *fmt) { return format_one_conv(fmt, "d") != 0; }

// One number in the value format (an integer format takes the number's whole part).
std::string number_text(const char *fmt, float v)
{
    char text[64];
    if (int_format(fmt))
        std::snprintf(text, sizeof text, fmt, static_cast<int>(std::clamp(v, -2e9f, 2e9f)));
    else
        std::snprintf(text, sizeof text, fmt, static_cast<double>(v));
    return text;
}

bool is_text_type(int type)
{
    return type == VAR_T_DATA || type == VAR_T_TEXT || type == VAR_T_MARK || type == VAR_T_CLOUD ||
           type == VAR_T_SYMB;
}

bool is_wind_type(int type)
{
    return type == VAR_T_VECT || type == VAR_T_BARB || type == VAR_T_WBARB || type == VAR_T_CBARB ||
           type == VAR_T_DBARB || type == VAR_T_VBARB;
}

std::string value_text(const RAW_report &r, int type, const char *fmt, bool user_fmt)
{
    const bool missing = r.value[0] == VYK_MISS;
    if (is_text_type(type)) return r.data[0] == '\0' || r.data[0] == ' ' ? "-" : r.data;
    if (type == VAR_T_VALUE) return missing ? "-" : number_text(fmt, r.value[0]);
    if (type == VAR_T_INT) {
        if (missing) return "-";
        if (user_fmt) return number_text(fmt, std::trunc(r.value[0]));
        return number_text("%d", r.value[0]);
    }
    if (is_wind_type(type))
        return missing ? "-" : number_text(fmt, r.value[0]) + "," + number_text(fmt, r.value[1]);
    return "";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Formats
// ---------------------------------------------------------------------------------------------

int RAW_check_format(const char *text, char *out, size_t size)
{
    if (!out || size == 0) return -1;
    out[0] = '\0';
    if (!text) return 0;
    std::string kept;
    bool dropped = false;
    const std::string all = text;
    size_t at = 0;
    for (;;) {
        const size_t colon = all.find(':', at);
        const std::string item = all.substr(at, colon == std::string::npos ? std::string::npos : colon - at);
        if (item.find('%') != std::string::npos && !format_one_conv(item.c_str(), "efgEGd")) {
            dropped = true;
        } else {
            if (at > 0 && !(kept.empty() && dropped)) kept += ':';
            kept += item;
        }
        if (colon == std::string::npos) break;
        at = colon + 1;
    }
    if (dropped)
        MESS_print(M_WARN, "RAW: format %s: an item that is not one number conversion is left out\n",
                   text);
    strfcpy(out, size, kept.c_str());
    return dropped ? -1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------------------------

int RAW_chktype(const char *name)
{
    if (!name) return -1;
    // A FIFO's first bytes would be lost to the look (and its opening waits for a writer).
    if (!FILE_is_stdio(name) && name[0] != '|' && !FILE_is_file(name)) return -1;
    FILE *fp = FILE_open(name, "r");
    if (!fp) return -1;
    char head[8] = {};
    const size_t n = std::fread(head, 1, std::strlen(RAW_MAGIC), fp);
    FILE_close(fp);
    return n == std::strlen(RAW_MAGIC) && std::memcmp(head, RAW_MAGIC, n) == 0 ? RAW_TYPE_HEADER
                                                                                : RAW_TYPE_PLAIN;
}

int RAW_open(char *name, int access, int *type)
{
    if (!name) return -1;
    int slot = -1;
    for (int i = 0; i < RAW_SLOTS && slot < 0; i++)
        if (!st.slots[i].open) slot = i;
    if (slot < 0 || access < RAW_READ || access > RAW_APPEND) return -1;
    int t = type ? *type : RAW_TYPE_NONE;
    if (name[0] == '\0' || std::strcmp(name, "-") == 0 || stricmp(name, "std") == 0) {
        t = RAW_TYPE_HEADER;
    } else if (stricmp(name, "stdn") == 0) {
        std::strcpy(name, "-");
        t = RAW_TYPE_PLAIN;
    }
    // An append reads the file's head first.
    if (access != RAW_WRITE && !FILE_input_ok(name, "RAW_open")) return -1;
    if (t == RAW_TYPE_NONE && access != RAW_APPEND) {
        if (access != RAW_READ) return -1;
        t = RAW_chktype(name);
    }
    if (access == RAW_APPEND) {
        t = RAW_chktype(name);
        if (t != RAW_TYPE_HEADER) return -1;
    }
    if (!header_type(t) && t != RAW_TYPE_PLAIN) return -1;
    static constexpr const char *modes[3] = {"r", "w", "a"};
    FILE *fp = FILE_open(name, modes[access]);
    if (!fp) return -1;
    Slot &s = st.slots[slot];
    s = Slot();
    s.file = fp;
    s.open = true;
    s.stdio = fp == stdin || fp == stdout;
    s.type = t;
    s.access = access;
    if (access != RAW_READ) s.out_start = FILE_output_start(fp, access == RAW_APPEND);
    strfcpy(s.name, name);
    if (type) *type = t;
    return slot;
}

int RAW_getinfo(int slot, RAW_info *info)
{
    Slot *s = slot_of(slot);
    if (!s || !header_type(s->type)) return -1;
    if (s->access != RAW_READ || !info) return 0;
    char buf[HEADER_LINE_MAX + 1];
    bool cut;
    read_line(s->file, buf, HEADER_LINE_MAX, cut);
    info->num_stat = VYK_MISS;
    read_line(s->file, buf, HEADER_LINE_MAX, cut);
    strip_end(buf);
    strfcpy(info->datim, buf);
    DATE_init(&info->date);
    DATE_decode_label(info->datim, &info->date);
    read_line(s->file, buf, HEADER_LINE_MAX, cut);
    strip_end(buf);
    clear_fields(*s);
    if (buf[0] != '!') {
        strfcpy(info->info, buf);
    } else {
        strfcpy(info->info, buf + 1);
        read_field_list(*s);
        s->field_off = location_columns(*s);
    }
    s->data_start = s->stdio ? 0 : std::ftell(s->file);
    at_first_line(*s);
    return 0;
}

int RAW_rewind(int slot)
{
    Slot *s = slot_of(slot);
    if (!s) return 0;
    if (!s->stdio) {
        std::rewind(s->file);
        if (header_type(s->type)) skip_header(*s);
    }
    at_first_line(*s);
    return 0;
}

namespace {

/// Ends a slot; an output through the core's output closing (writer_failed: the writer gave up
/// and has said why).  0, or -1 when the output is not whole (with a message naming the file
/// unless the writer gave up): a file made for it is then removed, a file appended to cut back
/// to what it held.
int close_slot(Slot &s, bool writer_failed)
{
    int result = 0;
    if (s.access == RAW_READ) {
        FILE_close(s.file);
    } else {
        if (!writer_failed) std::fputc('\n', s.file);
        if (FILE_close_output(s.file, s.out_start, writer_failed) != 0) {
            if (!writer_failed)
                MESS_print(M_WARN, "RAW_close: Unable to write point-data file: %s\n", s.name);
            result = -1;
        }
    }
    s = Slot();
    return result;
}

}  // namespace

int RAW_close(int slot)
{
    Slot *s = slot_of(slot);
    return s ? close_slot(*s, false) : 0;
}

int RAW_abandon(int slot)
{
    Slot *s = slot_of(slot);
    if (s) close_slot(*s, true);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The field list
// ---------------------------------------------------------------------------------------------

int RAW_get_num_field(int slot)
{
    const Slot *s = slot_of(slot);
    return s ? s->num_field : 0;
}

int RAW_get_field_ind(int slot, const char *designator)
{
    int n;
    if (numeric(designator, n)) {
        if (n == VYK_MISS) return -1;
        const int k = n - (RAW_FIELD_DATA - FIRST_DATA_ENTRY);
        return k >= 0 && k < RAW_FIELDS ? k : -1;
    }
    const Slot *s = slot_of(slot);
    if (!s || !designator) return -1;
    for (int i = 0; i < s->num_field; i++)
        if (std::strcmp(s->field[i], designator) == 0 ||
            (s->field[i][0] == '-' && std::strcmp(s->field[i] + 1, designator) == 0))
            return i;
    return -1;
}

namespace {

// The entry a setter writes: -1 when there is none.
int settable(int slot, const char *designator)
{
    Slot *s = slot_of(slot);
    if (!s) return -1;
    const int k = RAW_get_field_ind(slot, designator);
    if (k < 0) return -1;
    if (k >= s->num_field) s->num_field = k + 1;
    return k;
}

const char *answer(int slot, const char *designator, int which)
{
    const Slot *s = slot_of(slot);
    if (!s) return nullptr;
    const int k = RAW_get_field_ind(slot, designator);
    if (k < 0 || k >= s->num_field) return nullptr;
    const char *text = which == 0 ? s->field[k] : which == 1 ? s->field_info[k] : s->field_fmt[k];
    return text[0] ? text : nullptr;
}

}  // namespace

char *RAW_set_field_name(int slot, const char *designator, const char *text)
{
    const int k = settable(slot, designator);
    if (k >= 0) strfcpy(st.slots[slot].field[k], text);
    return nullptr;
}

int RAW_set_field_info(int slot, const char *designator, const char *text)
{
    const int k = settable(slot, designator);
    if (k < 0) return 0;
    strfcpy(st.slots[slot].field_info[k], text);
    return 1;
}

int RAW_set_field_fmt(int slot, const char *designator, const char *text)
{
    const int k = settable(slot, designator);
    if (k < 0) return 0;
    RAW_check_format(text, st.slots[slot].field_fmt[k], RAW_FIELD_FMT_LEN);
    return 1;
}

const char *RAW_get_field_name(int slot, const char *designator) { return answer(slot, designator, 0); }
const char *RAW_get_field_info(int slot, const char *designator) { return answer(slot, designator, 1); }
const char *RAW_get_field_fmt(int slot, const char *designator) { return answer(slot, designator, 2); }

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

int RAW_putinfo(int slot, RAW_info *info)
{
    if (info) st.last_header = info->date;
    Slot *s = slot_of(slot);
    if (!s || !s->file) return 0;
    if (!header_type(s->type)) return -1;
    if (!info) return 0;
    if (s->num_field == 0) {
        std::fprintf(s->file, "%s\n%s\n%s\n", RAW_MAGIC, info->datim, info->info);
        return 0;
    }
    std::fprintf(s->file, "%s\n%s\n!%s\nid lat lon\n", RAW_MAGIC, info->datim, info->info);
    for (int k = FIRST_DATA_ENTRY; k < s->num_field; k++) {
        fill_string(s->field[k], ' ', '_');
        fill_string(s->field_info[k], ' ', '_');
        fill_string(s->field_fmt[k], ' ', '_');
        std::fprintf(s->file, "%s:%s:%s\n", s->field[k], s->field_info[k], s->field_fmt[k]);
    }
    std::fprintf(s->file, "$\n");
    return 0;
}

int RAW_putheader(int slot, const char *text)
{
    Slot *s = slot_of(slot);
    if (!s) return 0;
    if (!header_type(s->type)) return -1;
    std::fprintf(s->file, "%s $\n", text ? text : "");
    return 0;
}

int RAW_write(int slot, RAW_report *report, int mode, int *)
{
    Slot *s = slot_of(slot);
    if (!s || !report || !header_type(s->type) || s->access == RAW_READ) return 0;
    char fmt[VALUE_FORMAT_MAX + 1];
    int type;
    const bool user_fmt = write_settings(fmt, type);
    if (type == 0) type = report->type;
    if (mode == RAW_LINE || mode == RAW_START) {
        std::fputs(report->id, s->file);
        if (report->lat != VYK_MISS)
            std::fprintf(s->file, " %6.2f %7.2f", static_cast<double>(report->lat),
                         static_cast<double>(report->lon));
        if (mode == RAW_START) return 0;
    }
    if (mode == RAW_END) {
        std::fputc('\n', s->file);
        return 0;
    }
    if (mode != RAW_LINE && mode != RAW_VALUE_ALSO && mode != RAW_VALUE) return 0;
    std::fprintf(s->file, " %s", value_text(*report, type, fmt, user_fmt).c_str());
    if (report->format[0]) std::fprintf(s->file, ":%s", report->format);
    if (mode == RAW_LINE) std::fputc('\n', s->file);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

int RAW_dec_line(int slot, int entry, RAW_report *report, const char *token)
{
    if (!report || !token) return 0;
    const Slot *s = slot_of(slot);
    report->format[0] = '\0';
    if (s && entry >= 0 && entry < s->num_field) strfcpy(report->format, s->field_fmt[entry]);
    std::string tok = token;
    const size_t colon = tok.find(':');
    if (colon != std::string::npos) {
        char own[RAW_FORMAT_LEN];
        RAW_check_format(tok.c_str() + colon + 1, own, sizeof own);
        std::string fmt = report->format;
        if (!fmt.empty()) fmt += ":";
        fmt += own;
        strfcpy(report->format, fmt.c_str());
        tok.resize(colon);
    }
    const size_t eq = tok.find('=');
    if (eq != std::string::npos) tok = tok.substr(eq + 1);
    report->value[0] = report->value[1] = VYK_MISS;
    report->data[0] = '\0';
    if (tok == "-") return 0;
    const char c = tok.empty() ? '\0' : tok[0];
    if (c == '-' || c == '.' || (c >= '0' && c <= '9')) {
        double v;
        const char *end;
        if (read_number(tok.c_str(), v, &end)) {
            report->value[0] = static_cast<float>(v);
            if (*end == ',' && read_number(end + 1, v, nullptr)) report->value[1] = static_cast<float>(v);
        }
    }
    strfcpy(report->data, tok.c_str());
    return 0;
}

int RAW_read(int slot, RAW_report *report, const char *designator, int *line)
{
    Slot *s = slot_of(slot);
    if (!s || !report) return 0;
    if (s->type != RAW_TYPE_HEADER && s->type != RAW_TYPE_HEADER2 && s->type != RAW_TYPE_PLAIN)
        return -1;
    int n = 0;
    const bool each = numeric(designator, n) && n == RAW_FIELD_EACH;
    if (each && s->ind != 0) return read_each(*s, slot, *report);
    if (!position(*s, line ? *line : 0) || !next_data_line(*s)) return -1;
    read_location(*s, *report);
    if (each) return read_each(*s, slot, *report);
    read_designated(*s, slot, *report, designator);
    return 0;
}
