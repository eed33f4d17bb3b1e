// WMO character GRID messages (FM 47, kind 22): each message begins with the word "GRID" and
// holds five-character groups identified by their first digit (originating centre and octant,
// element, level, date, forecast time, packing), then the rows of values of one octant of the
// globe.  Nothing of this kind is written.
//
// The messages of a file are found once, when its header is read: product k is message k,
// except that a wind message (element 22, each value dddff) gives two products, its u and then
// its v component.  Every read moves to its own message, so a scan advances message by message
// and ends at the end of the file.  The digits per value, which a message without the group
// that gives them takes from the message before it, are worked out in file order when the
// messages are found: each open file keeps its own, and a message reads alike whatever was
// read before it.  Files are untrusted: words and digit fields are bounded,
// values that do not read are missing, and a row never runs past the octant's grid.
#include "grd_file_internal.h"
#include "vykplot.h"
#include "vykvar.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr float MISS = static_cast<float>(VYK_MISS);
constexpr int OCT_NX = 19, OCT_NY = 15;
constexpr float OCT_STEP = 5;
constexpr int WIND_ELEMENT = 22;
constexpr int U_VAR = 23, V_VAR = 24;
constexpr int DIGITS_MIN = 3, DIGITS_MAX = 5;
/// Longest word kept; longer words are cut (they are never numbers of this code).
constexpr size_t WORD_MAX = 32;
/// Most messages indexed in one file.
constexpr size_t MESSAGES_MAX = 100000;

/// The centres of the twelve octants (latitude, longitude).
constexpr float OCTANTS[12][2] = {
    {55, -45}, {55, -135}, {55, 135}, {55, 45}, {0, -45}, {0, -135},
    {0, 135},  {0, 45},    {-55, -45}, {-55, -135}, {-55, 135}, {-55, 45},
};

/// One product: the offset of its message's "GRID" word, the wind component it gives (0 none,
/// 1 u, 2 v) and the digits per value in force for its message.
struct Entry {
    long offset;
    int component;
    int digits;
};

/// The messages of one open file.
struct Index {
    const GRD_file *file = nullptr;  // the file indexed
    std::vector<Entry> products;
};

struct State {
    std::array<Index, GRD_MAX_FILES> slots;  // by slot
    Index loose;  // for a slot number outside the table
};

State st;

Index &index_of(int slot)
{
    if (slot >= 0 && slot < GRD_MAX_FILES) return st.slots[size_t(slot)];
    st.loose = Index{};
    return st.loose;
}

// ---------------------------------------------------------------------------------------------
// Words
// ---------------------------------------------------------------------------------------------

/// The next white-space-separated word (at most WORD_MAX characters kept); false at the end.
bool next_word(FILE *fp, std::string &w)
{
    w.clear();
    int c;
    while ((c = std::fgetc(fp)) != EOF && std::isspace(c)) {
    }
    if (c == EOF) return false;
    do {
        if (w.size() < WORD_MAX) w.push_back(static_cast<char>(c));
    } while ((c = std::fgetc(fp)) != EOF && !std::isspace(c));
    return true;
}

/// Characters from..to (1-based, inclusive) of a word as a number; fallback when they are not
/// all digits.
int field(const std::string &w, size_t from, size_t to, int fallback)
{
    if (w.size() < to) return fallback;
    int v = 0;
    for (size_t k = from - 1; k < to; k++) {
        if (w[k] < '0' || w[k] > '9') return fallback;
        v = v * 10 + (w[k] - '0');
    }
    return v;
}

bool begins(const std::string &w, char c) { return !w.empty() && w[0] == c; }

// ---------------------------------------------------------------------------------------------
// One message
// ---------------------------------------------------------------------------------------------

/// What the groups of a message's header say.
struct Message {
    int centre = VYK_MISS, octant = VYK_MISS;
    int element = VYK_MISS, ltype = VYK_MISS, level = VYK_MISS, time = 0;
    int year = VYK_MISS, month = VYK_MISS, day = VYK_MISS, hour = VYK_MISS;
    int sign_mode = 0, scale_code = 0;
    double reference = 0;
    std::string next;  // the word after the header: the first row's first word
};

/// Reads the header groups after "GRID"; false when the message has no first word.  digits:
/// the digits per value in force before the message, and after it.
bool read_header(FILE *fp, Message &m, int &digits)
{
    std::string w;
    if (!next_word(fp, w)) return false;
    m.centre = field(w, 1, 2, VYK_MISS);
    m.octant = field(w, 3, 5, VYK_MISS);
    for (int k = 0; k < 3; k++)  // two words not used, then the first optional group
        if (!next_word(fp, w)) return true;
    if (begins(w, '1')) {
        m.element = field(w, 2, 3, VYK_MISS);
        next_word(fp, w);
    }
    if (begins(w, '2')) {
        const int v = field(w, 2, 3, VYK_MISS);
        if (!VYK_is_miss(v)) m.ltype = 10, m.level = v * 10;
        next_word(fp, w);
    }
    if (begins(w, '3')) {
        const int v = field(w, 2, 3, VYK_MISS);
        if (!VYK_is_miss(v)) m.ltype = v == 0 ? 12 : 13, m.level = v * 10;
        next_word(fp, w);
    }
    if (begins(w, '6')) {
        m.year = field(w, 2, 3, VYK_MISS);
        m.month = field(w, 4, 5, VYK_MISS);
        next_word(fp, w);
    }
    if (begins(w, '7')) {
        m.day = field(w, 2, 3, VYK_MISS);
        m.hour = field(w, 4, 5, VYK_MISS);
        next_word(fp, w);
    }
    if (begins(w, '8')) {
        m.time = field(w, 3, 5, 0);
        next_word(fp, w);
    }
    if (begins(w, '0')) next_word(fp, w);
    next_word(fp, w);  // the word after the identification is not used
    if (begins(w, '1')) {
        m.sign_mode = field(w, 5, 5, 0);
        next_word(fp, w);
    }
    if (begins(w, '2')) {
        const int d = field(w, 2, 2, VYK_MISS);
        if (!VYK_is_miss(d)) digits = m.sign_mode == 1 ? d - 1 : d;
        next_word(fp, w);
    }
    if (begins(w, '3')) {
        m.scale_code = field(w, 2, 2, 0);
        std::string r;
        next_word(fp, r);
        char *end = nullptr;
        const double v = std::strtod(r.c_str(), &end);
        if (end && *end == '\0' && end != r.c_str() && std::isfinite(v)) m.reference = v;
        next_word(fp, w);
    }
    m.next = w;
    return true;
}

// ---------------------------------------------------------------------------------------------
// The index of messages
// ---------------------------------------------------------------------------------------------

/// Finds every message of the file (the offsets of its "GRID" words) and reads their headers
/// in file order for their elements and digits per value.
bool index_file(Index &ix, const GRD_file *f)
{
    ix = Index{};
    ix.file = f;
    FILE *fp = f->file;
    if (!fp || std::fseek(fp, 0, SEEK_SET) != 0) return false;
    std::vector<long> starts;
    std::string w;
    for (;;) {
        int c;
        while ((c = std::fgetc(fp)) != EOF && std::isspace(c)) {
        }
        if (c == EOF) break;
        const long at = std::ftell(fp) - 1;
        std::ungetc(c, fp);
        if (!next_word(fp, w)) break;
        if (w == "GRID") {
            if (starts.size() >= MESSAGES_MAX) {
                MESS_print(M_WARN, "GRD_getinfo: more than %zu messages in %s; the rest left out\n",
                           MESSAGES_MAX, f->name);
                break;
            }
            starts.push_back(at);
        }
    }
    int digits = 0;  // none before a message gives them
    for (long at : starts) {
        std::fseek(fp, at, SEEK_SET);
        std::string grid;
        next_word(fp, grid);
        Message m;
        read_header(fp, m, digits);
        if (m.element == WIND_ELEMENT) {
            ix.products.push_back({at, 1, digits});
            ix.products.push_back({at, 2, digits});
        } else {
            ix.products.push_back({at, 0, digits});
        }
    }
    std::fseek(fp, 0, SEEK_SET);
    return true;
}

double factor_of(int code)
{
    static constexpr double FACTORS[10] = {1, 0.1, 0.01, 0.001, 0.0001, 10, 100, 1000, 10000, 100000};
    return code >= 1 && code <= 9 ? FACTORS[code] : 1;
}

/// One value: an optional sign digit and `digits` digits, then blanks; false when the digits
/// are not there (the characters read are used up).
bool read_value(FILE *fp, int sign_mode, int digits, long &v, bool &negative)
{
    int c;
    while ((c = std::fgetc(fp)) != EOF && std::isspace(c)) {
    }
    if (c == EOF) return false;
    std::ungetc(c, fp);
    negative = sign_mode == 3;
    if (sign_mode == 1) {
        c = std::fgetc(fp);
        if (c < '0' || c > '9') return false;
        negative = c == '1';
    }
    v = 0;
    for (int k = 0; k < digits; k++) {
        c = std::fgetc(fp);
        if (c < '0' || c > '9') {
            if (c != EOF) std::ungetc(c, fp);
            return false;
        }
        v = v * 10 + (c - '0');
    }
    return true;
}

/// The value a coded number gives: a wind component, or reference plus number times factor.
float decode(const Message &m, int component, long v, bool negative)
{
    if (component != 0) {
        const double dir = static_cast<double>(v / 100) * M_PI / 180, spd = static_cast<double>(v % 100);
        return static_cast<float>(component == 1 ? -spd * std::sin(dir) : -spd * std::cos(dir));
    }
    const double factor = factor_of(m.scale_code);
    const double ref = (m.element == 4 ? -m.reference : m.reference) * factor;
    const double x = negative ? -static_cast<double>(v) : static_cast<double>(v);
    return static_cast<float>(ref + x * factor);
}

/// Reads the rows of the octant grid into values (nx by ny, row 0 at the top).
void read_rows(FILE *fp, const Message &m, int component, int digits, float *values)
{
    const bool south_first = m.octant >= 1 && m.octant <= 4;
    std::string first = m.next, w;
    for (int s = 0; s < OCT_NY; s++) {
        float *row = values + static_cast<size_t>(south_first ? OCT_NY - 1 - s : s) * OCT_NX;
        next_word(fp, w);  // a word that is not used
        const int count = begins(first, '9') ? 1 : OCT_NX;
        for (int i = 0; i < count; i++) {
            long v = 0;
            bool negative = false;
            row[i] = read_value(fp, m.sign_mode, digits, v, negative)
                         ? decode(m, component, v, negative)
                         : MISS;
        }
        if (count == 1)
            for (int i = 1; i < OCT_NX; i++) row[i] = row[0];
        if (!next_word(fp, first)) first.clear();
    }
}

/// The year of a two-digit year: below 50 from 2000, else from 1900.
int full_year(int yy) { return yy < 50 ? 2000 + yy : 1900 + yy; }

/// The header fields of a record from a message.
void fill_header(const Message &m, int component, GRD_report *grd)
{
    grd->source = grd->model = m.centre;
    grd->var = m.element;
    if (component != 0) grd->var = component == 1 ? U_VAR : V_VAR;
    grd->ltype = m.ltype;
    grd->level = m.level;
    grd->time = m.time;
    grd->type = VYK_is_miss(m.octant) ? VYK_MISS : 70 + m.octant;
    grd->version = 1;
    DATE_init(&grd->date);
    if (!VYK_is_miss(m.year) && m.month >= 1 && m.month <= 12 && m.day >= 1 && m.day <= 31 &&
        m.hour >= 0 && m.hour <= 23) {
        grd->date.year = full_year(m.year);
        grd->date.month = m.month;
        grd->date.day = m.day;
        grd->date.hour = m.hour;
        grd->date.min = grd->date.sec = 0;
    }
}

bool known_octant(int o) { return o >= 1 && o <= 12; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The contract
// ---------------------------------------------------------------------------------------------

int GRID_getinfo(int slot, GRD_file *f, GRD_info *info)
{
    Index &ix = index_of(slot);
    if (!index_file(ix, f)) return -1;
    f->num = 0;
    grd_pos(f).cur_pos = 0;
    grd_pos(f).new_pos = -1;
    grd_pos(f).wind = 0;
    if (ix.products.empty()) {
        MESS_print(M_WARN, "GRD_getinfo: no GRID message in %s\n", f->name);
        return -1;
    }
    // The date of the first message.
    std::fseek(f->file, ix.products[0].offset, SEEK_SET);
    std::string grid;
    next_word(f->file, grid);
    Message m;
    int digits = 0;
    read_header(f->file, m, digits);
    if (!VYK_is_miss(m.year)) info->date.year = full_year(m.year);
    if (!VYK_is_miss(m.month)) info->date.month = m.month;
    if (!VYK_is_miss(m.day)) info->date.day = m.day;
    if (!VYK_is_miss(m.hour)) info->date.hour = m.hour;
    DATE_make_label(&info->date, info->datim, sizeof info->datim);
    f->date = info->date;
    std::fseek(f->file, 0, SEEK_SET);
    return 0;
}

void GRID_forget(const GRD_file *f)
{
    for (Index &ix : st.slots)
        if (ix.file == f) ix = Index{};
}

int GRID_read(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num)
{
    Index &ix = index_of(slot);
    if (ix.file != f && !index_file(ix, f)) return -1;
    if (*num >= 0) f->num = *num;
    if (f->num < 0 || static_cast<size_t>(f->num) >= ix.products.size()) return -1;
    const Entry e = ix.products[static_cast<size_t>(f->num)];
    FILE *fp = f->file;
    std::string grid;
    if (std::fseek(fp, e.offset, SEEK_SET) != 0 || !next_word(fp, grid)) return -1;
    grd_pos(f).cur_pos = e.offset;
    Message m;
    int digits = e.digits;
    if (!read_header(fp, m, digits)) return -1;
    grd_pos(f).wind = e.component;
    fill_header(m, e.component, grd);
    if (rep_type != GRD_READ_VALUES) return 0;

    char label[VAR_LABEL_LEN];
    VAR_make_datatype(grd->time, grd->ltype, grd->level, grd->var, grd->units, label);
    strfcpy(grd->info, label);
    grd->datim[0] = '\0';
    if (!VYK_is_miss(grd->date.year)) {
        struct tm tm {};
        tm.tm_year = grd->date.year - 1900;
        tm.tm_mon = grd->date.month - 1;
        tm.tm_mday = grd->date.day;
        tm.tm_hour = grd->date.hour;
        char dl[DATE_LABEL_FOR_LEN];
        DATE_make_label_for(grd->time, grd->model, DATE_num_sec_tm(&tm), dl);
        strfcpy(grd->datim, dl);
    }
    if (!known_octant(m.octant)) {
        MESS_print(M_WARN, "GRD_read: message %d of %s has no known octant\n", f->num, f->name);
        return -1;
    }
    Domain &d = grd->domain;
    DOM_init(&d);
    d.proj = DOM_LATLON;
    d.nx = OCT_NX;
    d.ny = OCT_NY;
    d.dx = d.dy = OCT_STEP;
    d.clat = OCTANTS[m.octant - 1][0];
    d.clon = OCTANTS[m.octant - 1][1];
    const size_t n = static_cast<size_t>(OCT_NX) * OCT_NY;
    if (!grd_values(grd, n)) return -1;
    if (digits < DIGITS_MIN || digits > DIGITS_MAX) {
        MESS_print(M_WARN, "GRD_read: message %d of %s: %d digits per value are not read\n",
                   f->num, f->name, digits);
        for (size_t k = 0; k < n; k++) grd->grid[k] = MISS;
    } else {
        read_rows(fp, m, e.component, digits, grd->grid);
    }
    *num = f->num;
    return 0;
}
