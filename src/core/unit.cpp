// Unit conversion: values between unit texts, the labels of scaled quantities, and labels made
// of a name followed by its units in parentheses.
//
// A unit text is an optional numeric factor and a bare unit name ("100 m", "1e-05 K/m",
// "10^-3 kg", "-Pa", "deg C").  Values whose bare names are equal convert by the factors alone;
// other pairs take a scale and an offset from the lookup file "units.lup", found along the
// file_path resource.  The file is read once into memory (again only when file_path names
// another directory); the pair converted last is cached, so a grid converted point by point
// costs a few comparisons per value.  A pair that cannot be converted (no table, no entry, an
// unusable factor) gives the missing value -9999 and one warning, never a guessed value.
#include "vykbase.h"
#include "vykmess.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykunit.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykresrc.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char *UNITS_FILE = "units.lup";
constexpr size_t WORD_MAX = 255;              // longest table word kept
constexpr size_t ENTRY_MAX = 100000;          // entries read from one table at most
constexpr size_t UNKNOWN_MAX = 4096;          // unknown pairs remembered (each reported once)

/// Which unit text is read: the traces differ.
enum class Role { input, output, scale };

/// One unit text split into its factor and bare name.
struct Split {
    float factor = 1.0f;
    std::string name;  // reused between calls: no allocation once it has grown
};

/// The pair converted last (the texts stored with case and '_' folded).
struct Cache {
    bool set = false;
    std::string in, out;
    float ifac = 1.0f, ofac = 1.0f, scale = 1.0f, offset = 0.0f;
    bool known = true;  // false: the pair cannot be converted (already reported)
};

/// The conversion table in memory, keyed by "input output" in lower case.
struct Table {
    bool tried = false;             // a load was attempted for dir
    bool open = false;              // the file was read
    std::string dir;                // the file_path value of the last load
    std::vector<std::string> conv;  // conversion texts in file order
    std::unordered_map<std::string, int> pairs;  // key -> index in conv; -1 unknown pair
    size_t unknown = 0;             // unknown pairs entered
};

// The component's state; the member initialisers are the start values.
struct State {
    Cache cache;
    Table table;
    Split isplit, osplit;
    std::string key;  // lookup key, reused
};
State st;

/// ASCII lower case with '_' written as a blank: how unit texts are compared.
struct FoldTable {
    char map[256];
    constexpr FoldTable() : map()
    {
        for (int i = 0; i < 256; i++)
            map[i] = static_cast<char>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i == '_' ? ' ' : i);
    }
};
constexpr FoldTable fold_table;

inline char fold(char c) { return fold_table.map[static_cast<unsigned char>(c)]; }
inline char lower_ascii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Texts equal without regard to case, '_' counting as a blank.
bool same_text(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        const char x = fold(*a);
        if (x != fold(*b)) return false;
        if (x == '\0') return true;
    }
}

/// text equals the folded text f.
bool same_folded(const char *text, const std::string &f)
{
    size_t i = 0;
    for (; text[i] != '\0'; i++)
        if (i >= f.size() || fold(text[i]) != f[i]) return false;
    return i == f.size();
}

void store_folded(std::string &dst, const char *text)
{
    dst.clear();
    for (; *text; text++) dst.push_back(fold(*text));
}

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }
inline bool is_blank(char c) { return c == ' ' || c == '\t'; }

/// Reads a decimal number (optional sign, digits with an optional point, optional exponent) at
/// p; returns the characters used, 0 when p does not begin a number.
size_t scan_number(const char *p, double &value)
{
    const char *q = p;
    const bool neg = *q == '-';
    if (*q == '+' || *q == '-') q++;
    const char *start = q;
    int digits = 0;
    while (is_digit(*q)) q++, digits++;
    if (*q == '.') {
        q++;
        while (is_digit(*q)) q++, digits++;
    }
    if (digits == 0) return 0;
    if (*q == 'e' || *q == 'E') {
        const char *e = q + 1;
        if (*e == '+' || *e == '-') e++;
        if (is_digit(*e)) {
            while (is_digit(*e)) e++;
            q = e;
        }
    }
    double v = 0.0;
    const auto res = std::from_chars(start, q, v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != q) return 0;  // beyond double range: not a number
    value = neg ? -v : v;
    return static_cast<size_t>(q - p);
}

/// Traces a factor read without an exponent, after "ISC", "OSC" or "SC-ISC" and mark.
void trace_factor(Role role, const char *mark, float factor, const char *name)
{
    if (role == Role::input)
        MESS_print(M_DEBUG_C, "ISC%s: %f %s\n", mark, factor, name);
    else if (role == Role::output)
        MESS_print(M_DEBUG_C, "OSC%s: %f %s\n", mark, factor, name);
    else
        MESS_print(M_DEBUG_C, "SC-ISC%s: %e %s\n", mark, factor, name);
}

/// Splits a unit text into its factor and bare name.  With fold_underscore every '_' is a blank
/// while the factor is read; for the converter (key) the name is then lowered and its blanks
/// written '_'.  Leading and trailing blanks of the name are dropped.
void split_unit(const char *text, Role role, bool key_name, Split &out)
{
    std::string &buf = out.name;
    buf.assign(text);
    if (key_name)
        for (char &c : buf)
            if (c == '_') c = ' ';
    const char *p = buf.c_str();
    while (is_blank(*p)) p++;

    double f = 0.0, e = 0.0;
    size_t n = scan_number(p, f);
    const char *name;
    if (n > 0) {
        const char *q = p + n;
        size_t m = 0;
        if (*q == '^') {
            const char *r = q + 1;
            while (is_blank(*r)) r++;
            m = scan_number(r, e);
            if (m > 0) q = r + m;
        }
        while (is_blank(*q)) q++;
        name = q;
        const float ff = static_cast<float>(f);
        if (m > 0) {
            const float fe = static_cast<float>(e);
            const double power = std::pow(static_cast<double>(ff), static_cast<double>(fe));
            out.factor = static_cast<float>(power);
            if (role == Role::input)
                MESS_print(M_DEBUG_C, "ISC^: %f^%f %f %s\n", ff, fe, out.factor, name);
            else if (role == Role::output)
                MESS_print(M_DEBUG_C, "OSC^: %f^%f %f %s %d %d %s\n", ff, fe, out.factor, name, 3,
                           static_cast<int>(std::strlen(name)), text);
            else
                MESS_print(M_DEBUG_C, "SC-ISC^: %e^%f %f %s\n", ff, fe, out.factor, name);
        } else {
            out.factor = ff;
            trace_factor(role, "", out.factor, name);
        }
    } else if (*p == '-') {
        out.factor = -1.0f;
        name = p + 1;
        trace_factor(role, "-", out.factor, name);
    } else {
        out.factor = 1.0f;
        name = p;
    }

    // Keep only the name (it lies inside buf: move it to the front).
    size_t len = std::strlen(name);
    while (len > 0 && is_blank(name[len - 1])) len--;
    const size_t from = static_cast<size_t>(name - buf.c_str());
    buf.erase(from + len);
    buf.erase(0, from);
    if (key_name)
        for (char &c : buf)
            c = is_blank(c) ? '_' : lower_ascii(c);
}

/// Reads a conversion text: optional '*' and scale, then optional '+' or '-' and offset.
void read_conversion(const char *text, float &scale, float &offset)
{
    scale = 1.0f;
    offset = 0.0f;
    const char *p = text;
    double v = 0.0;
    if (*p == '*') {
        p++;
        const size_t n = scan_number(p, v);
        if (n > 0) {
            scale = static_cast<float>(v);
            p += n;
        }
        MESS_print(M_DEBUG_C, "SC: %f %s\n", scale, p);
    }
    if (*p == '+' || *p == '-') {
        const bool neg = *p == '-';
        p++;
        const size_t n = scan_number(p, v);
        if (n > 0) {
            offset = static_cast<float>(neg ? -v : v);
            p += n;
        }
        MESS_print(M_DEBUG_C, neg ? "OF-: %f %s\n" : "OF: %f %s\n", offset, p);
    }
}

/// Reads one word of at most WORD_MAX characters (longer ones set too_long); false at the end.
bool read_word(FILE *fp, bool comment_allowed, std::string &word, bool &too_long, bool &comment)
{
    int c = getc(fp);
    while (c != EOF && std::isspace(c)) c = getc(fp);
    if (c == EOF) return false;
    comment = comment_allowed && c == '#';
    if (comment) {
        while (c != EOF && c != '\n') c = getc(fp);
        return true;
    }
    word.clear();
    too_long = false;
    while (c != EOF && !std::isspace(c)) {
        if (word.size() < WORD_MAX)
            word.push_back(static_cast<char>(c));
        else
            too_long = true;
        c = getc(fp);
    }
    return true;
}

void lower(std::string &s)
{
    for (char &c : s) c = lower_ascii(c);
}

/// Reads "units.lup" from dir into the table (reporting a file that does not open).
void load_table(const char *dir)
{
    st.table = Table{};
    st.table.tried = true;
    st.table.dir.assign(dir);
    st.cache.set = false;

    char name[FILE_NAME_MAX + 1];
    FILE_add_path(dir[0] ? dir : nullptr, UNITS_FILE, name);
    // The name is built from the path setting, not typed as a command: never open a pipe.
    std::string path = name[0] == '|' ? std::string("./") + name : std::string(name);
    FILE *fp = FILE_open(path.c_str(), "r");
    if (fp == nullptr) {
        MESS_print(M_WARN, "Unable to open units file: %s\n", name);
        return;
    }

    std::string word[3];
    bool too_long[3] = {false, false, false};
    int k = 0;
    bool comment = false;
    while (read_word(fp, k == 0, word[k], too_long[k], comment)) {
        if (comment) continue;
        if (++k < 3) continue;
        k = 0;
        if (too_long[0] || too_long[1]) continue;  // a cut name must not match a shorter one
        if (st.table.conv.size() >= ENTRY_MAX) {
            MESS_print(M_WARN, "UNIT_cvt: too many entries in %s, rest ignored\n", name);
            break;
        }
        lower(word[0]);
        lower(word[1]);
        std::string pair_key = word[0] + ' ' + word[1];
        const int index = static_cast<int>(st.table.conv.size());
        if (st.table.pairs.try_emplace(std::move(pair_key), index).second)
            st.table.conv.push_back(word[2]);
    }
    FILE_close(fp);
    st.table.open = true;
}

float apply(float value, float ifac, float scale, float offset, float ofac)
{
    float r = ifac * value;
    r = r * scale;
    r = r + offset;
    return r / ofac;
}

bool usable_factor(float f) { return std::isfinite(f) && f != 0.0f; }

}  // namespace

float UNIT_cvt(float value, const char *iunit, const char *ounit)
{
    if (VYK_is_miss(value)) return VYK_MISS;
    if (iunit == nullptr) iunit = "";
    if (ounit == nullptr) ounit = "";
    if (same_text(iunit, ounit)) return value;
    // A value without a unit, or with no unit wanted, is left as it is.
    if (iunit[0] == '\0' || ounit[0] == '\0') return value;

    const Cache &c = st.cache;
    if (c.set && same_folded(iunit, c.in) && same_folded(ounit, c.out))
        return c.known ? apply(value, c.ifac, c.scale, c.offset, c.ofac) : VYK_MISS;

    split_unit(iunit, Role::input, true, st.isplit);
    split_unit(ounit, Role::output, true, st.osplit);

    float scale = 1.0f, offset = 0.0f;
    bool known = true;
    if (!usable_factor(st.isplit.factor) || !usable_factor(st.osplit.factor)) {
        known = false;
        MESS_print(M_WARN, "UNIT_cvt: No conversion from %s to %s\n", iunit, ounit);
    } else if (st.isplit.name != st.osplit.name) {
        const char *dir = RES_get("file_path");
        if (dir == nullptr) dir = "";
        if (!st.table.tried || st.table.dir != dir) load_table(dir);
        if (!st.table.open) return VYK_MISS;  // reported once when the table was looked for

        st.key.assign(st.isplit.name);
        st.key.push_back(' ');
        st.key.append(st.osplit.name);
        const auto it = st.table.pairs.find(st.key);
        if (it != st.table.pairs.end() && it->second >= 0) {
            const std::string &conv = st.table.conv[static_cast<size_t>(it->second)];
            read_conversion(conv.c_str(), scale, offset);
            MESS_print(M_DEBUG_C, "%s %s %s %f %f\n", st.isplit.name.c_str(),
                       st.osplit.name.c_str(), conv.c_str(), scale, offset);
        } else {
            known = false;
            if (it == st.table.pairs.end()) {
                MESS_print(M_WARN, "UNIT_cvt: No conversion from %s to %s\n", iunit, ounit);
                if (st.table.unknown < UNKNOWN_MAX) {
                    st.table.pairs.emplace(st.key, -1);
                    st.table.unknown++;
                }
            }
        }
    }

    st.cache.set = true;
    store_folded(st.cache.in, iunit);
    store_folded(st.cache.out, ounit);
    st.cache.ifac = st.isplit.factor;
    st.cache.ofac = st.osplit.factor;
    st.cache.scale = scale;
    st.cache.offset = offset;
    st.cache.known = known;
    return known ? apply(value, st.cache.ifac, scale, offset, st.cache.ofac) : VYK_MISS;
}

int UNIT_scale(const char *in, float scale, const char *mstr, char *out, size_t size)
{
    if (out == nullptr || size == 0) return -1;
    if (in == nullptr) in = "";
    if (mstr == nullptr) mstr = "";
    Split s;
    split_unit(in, Role::scale, false, s);
    const float product = s.factor * scale;
    std::snprintf(out, size, "%.0e %s%s", static_cast<double>(product), s.name.c_str(), mstr);
    MESS_print(M_DEBUG_C, "SC: %s %e = %e = %s %s = %s\n", in, static_cast<double>(scale),
               static_cast<double>(product), s.name.c_str(), mstr, out);
    return 0;
}

int UNIT_parse(const char *str, char *var, size_t var_size, char *units, size_t units_size)
{
    if (str == nullptr) str = "";
    const char *open = std::strchr(str, '(');
    // The units first: var may be the label's own buffer.
    if (units != nullptr && units_size > 0) {
        size_t m = 0;
        const char *from = open && open != str ? open + 1 : str;
        if (open && open != str) {
            const char *close = std::strchr(from, ')');
            m = close ? static_cast<size_t>(close - from) : std::strlen(from);
        }
        if (m > units_size - 1) m = units_size - 1;
        std::memmove(units, from, m);
        units[m] = '\0';
    }
    if (var != nullptr && var_size > 0) {
        size_t n = open == str ? 0 : open ? static_cast<size_t>(open - str) : std::strlen(str);
        if (n > var_size - 1) n = var_size - 1;
        std::memmove(var, str, n);
        var[n] = '\0';
        trim_string(var);
    }
    MESS_print(M_DEBUG_C, "%s = %s %s\n", str, var ? var : "", units ? units : "");
    return 0;
}

int UNIT_change(char *str, size_t size, const char *units)
{
    if (str == nullptr || size == 0) return -1;
    if (units == nullptr) units = "";
    const char *open = std::strchr(str, '(');
    size_t n = open == str ? 0 : open ? static_cast<size_t>(open - str) : std::strlen(str);
    while (n > 0 && str[n - 1] == ' ') n--;
    // Built aside: units may lie inside the label.
    std::string label(str, n);
    label += " (";
    label += units;
    label += ')';
    strfcpy(str, size, label.c_str());
    return 0;
}
