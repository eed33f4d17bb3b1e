// var_code.cpp: the words inside a variable item decoded into the codes the whole system shares:
// time codes, level types and values, variable numbers with their ensemble and probability
// extensions, and plot types.
//
// An empty time or level word inherits from the innermost open context of the parse, and outside
// a parse from flags 6, 7 and 8.  Every code is computed in 64 bits and checked to fit an int.
#include "var_internal.h"
#include "vykgfunc.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using std::string;
using std::string_view;

// ---------------------------------------------------------------------------------------------
// Plot types
// ---------------------------------------------------------------------------------------------

struct TypeWord {
    int code;
    const char *printed;  // VAR_print_type
    const char *read[2];  // keywords read by VAR_dec_type
};

constexpr TypeWord TYPE_WORDS[] = {
    {VAR_T_DATA, "data", {"data"}},       {VAR_T_VALUE, "value", {"value"}},
    {VAR_T_TEXT, "text", {"text"}},       {VAR_T_MARK, "mark", {"mark", "mk"}},
    {VAR_T_INT, "int", {}},               {VAR_T_MAP, "map", {}},
    {VAR_T_FRAME, "frame", {}},           {VAR_T_PANEL, "panel", {}},
    {VAR_T_GRID, "grid", {}},             {VAR_T_CONT, "cont", {"cont"}},
    {VAR_T_LCONT, "lcont", {"ln"}},       {VAR_T_DLN, "dln", {"dln"}},
    {VAR_T_NDLN, "ndln", {"ndln"}},       {VAR_T_FCONT, "fcont", {"cf"}},
    {VAR_T_BCONT, "bcont", {"lcf"}},      {VAR_T_GVALUE, "gvalue", {"gvalue"}},
    {VAR_T_WIND, "wind", {"wind"}},       {VAR_T_VECT, "vect", {"vect"}},
    {VAR_T_BARB, "barb", {"barb"}},       {VAR_T_STRM, "strm", {"strm", "track"}},
    {VAR_T_PLOT, "plot", {"plot"}},       {VAR_T_CLOUD, "cloud", {"cloud"}},
    {VAR_T_WBARB, "wbarb", {"wbarb"}},    {VAR_T_CBARB, "cbarb", {"cbarb"}},
    {VAR_T_DBARB, "dbarb", {"dbarb"}},    {VAR_T_VBARB, "vbarb", {"vbarb"}},
    {VAR_T_SYMB, "symb", {"symb", "wx"}}, {VAR_T_LINE, "line", {"line"}},
    {VAR_T_CONST, "const", {}},
};

bool in(int v, int lo, int hi) { return v >= lo && v <= hi; }
bool grid_type(int t) { return in(t, VAR_T_GRID, VAR_T_STRM); }
/// Plot types given on the command line that replace the type of a plain grid item.
bool forced_grid_type(int t) { return in(t, VAR_T_LCONT, VAR_T_GVALUE) || in(t, VAR_T_VECT, VAR_T_STRM); }

// ---------------------------------------------------------------------------------------------
// Small readers
// ---------------------------------------------------------------------------------------------

/// An int as "%d" reads one: leading blanks, a sign, digits.  False when there is none or it
/// does not fit; p moves past it.
bool read_int(const char *&p, int &value)
{
    const char *s = p;
    while (std::isspace(static_cast<unsigned char>(*s))) s++;
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    if (end == s || errno == ERANGE || v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    p = end;
    return true;
}

/// A plain decimal number (sign, digits, '.', digits; no exponent, no "inf" or "nan").  False
/// when there is no digit; p moves past it.
bool read_decimal(const char *&p, double &value)
{
    const char *s = p;
    string text;
    if (*s == '+' || *s == '-') text += *s++;
    bool digit = false;
    while (std::isdigit(static_cast<unsigned char>(*s))) text += *s++, digit = true;
    if (*s == '.') {
        text += *s++;
        while (std::isdigit(static_cast<unsigned char>(*s))) text += *s++, digit = true;
    }
    if (!digit || text.size() > 40) return false;
    value = std::strtod(text.c_str(), nullptr);
    p = s;
    return true;
}

/// The integer part of a value, or nothing when it does not fit an int.
bool int_part(double v, int &out)
{
    if (!(v > INT_MIN - 1.0 && v < INT_MAX + 1.0)) return false;
    out = static_cast<int>(v);
    return true;
}

/// A value in hundredths or ten-thousandths, rounded (0.57 is 57 hundredths, not 56).
bool scaled(double v, double scale, int &out)
{
    return int_part(std::round(v * scale), out);
}

bool fits(int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

bool iequal(string_view a, const char *b)
{
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; i++)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Time words
// ---------------------------------------------------------------------------------------------

/// The three pieces of a time word: the hour part before the first '-', the range after it and
/// the statistic word after the range.
struct TimeWord {
    string hour;
    bool has_range = false;
    int range = 0;
    string stat;
    bool ranged() const { return has_range && !stat.empty(); }
};

TimeWord split_time(const char *str)
{
    TimeWord w;
    const char *dash = std::strchr(str, '-');
    w.hour.assign(str, dash ? static_cast<size_t>(dash - str) : std::strlen(str));
    if (!dash) return w;
    const char *p = dash + 1;
    if (!read_int(p, w.range)) return w;
    w.has_range = true;
    while (std::isspace(static_cast<unsigned char>(*p))) p++;
    const char *e = p;
    while (*e && !std::isspace(static_cast<unsigned char>(*e))) e++;
    w.stat.assign(p, static_cast<size_t>(e - p));
    return w;
}

int stat_code(const string &word)
{
    static const struct {
        const char *word;
        int code;
    } stats[] = {{"rng", 2}, {"avg", 3}, {"acc", 4}, {"dif", 5}, {"max", 6},
                 {"min", 7}, {"iavg", 13}, {"uavg", 23}, {"var", 18}};
    for (const auto &s : stats)
        if (word == s.word) return s.code;
    return 2;
}

/// stat x 1000000 + P1 x 1000 + P2, or false when it does not fit an int.
bool time_code(int64_t stat, int64_t p1, int64_t p2, int &out)
{
    const int64_t code = stat * 1000000 + p1 * 1000 + p2;
    if (!fits(code)) return false;
    out = static_cast<int>(code);
    return true;
}

/// A time ending at hour end: with a range and a statistic the range code, else the hour.
bool end_time(const TimeWord &w, int64_t end, int &out)
{
    if (!w.ranged()) return fits(end) ? (out = static_cast<int>(end), true) : false;
    return time_code(stat_code(w.stat), end - w.range, end, out);
}

/// The time of the open context, else flag 6, else 0, with its status.
int inherited_time(int &time)
{
    if (const VarContext *c = var_context()) {
        time = c->time;
        return c->tstat;
    }
    const int f = FLAG_get(FLAG_FORECAST);
    if (f != VYK_MISS) {
        time = f;
        return VAR_STAT_CONTEXT;
    }
    time = 0;
    return VAR_STAT_WRITTEN;
}

/// The "time" word: from the context's (or flag 6's) time.
bool context_time(const TimeWord &w, int &out)
{
    int start = 0;
    if (const VarContext *c = var_context()) start = c->time;
    else if (FLAG_get(FLAG_FORECAST) != VYK_MISS) start = FLAG_get(FLAG_FORECAST);
    if (start == VYK_MISS || !w.has_range) {
        out = start;
        return true;
    }
    const int64_t p2 = start % 1000;
    if (!w.ranged()) return fits(p2 - w.range) ? (out = static_cast<int>(p2 - w.range), true) : false;
    return time_code(stat_code(w.stat), p2 - w.range, p2, out);
}

/// A word beginning with a digit: hours, or days with "day"/"d", half days with ".5day"/"e".
bool digit_time(const TimeWord &w, int &out)
{
    const char *p = w.hour.c_str();
    int n = 0;
    if (!read_int(p, n)) return false;
    while (std::isspace(static_cast<unsigned char>(*p))) p++;
    const string_view unit(p);
    int64_t hours = n;
    if (unit == "day" || unit == "d") hours = int64_t{24} * n;
    else if (unit == ".5day" || unit == "e") hours = int64_t{24} * n + 12;
    return end_time(w, hours, out);
}

/// The time forms written in a word; 0 when the word is not a time word.
int written_time(const char *str, int &out)
{
    const TimeWord w = split_time(str);
    const string &h = w.hour;
    const auto digit_after = [&](char c) {
        return h.size() > 1 && h[0] == c && std::isdigit(static_cast<unsigned char>(h[1]));
    };
    if (iequal(h, "time")) return context_time(w, out) ? VAR_STAT_CONTEXT : VAR_STAT_NONE;
    if (h == "anal") {
        if (!w.ranged()) return out = 0, VAR_STAT_WRITTEN;
        return time_code(stat_code(w.stat), w.range, 0, out) ? VAR_STAT_WRITTEN : VAR_STAT_NONE;
    }
    if (h == "miss") return out = VYK_MISS, VAR_STAT_WRITTEN;
    if (h == "init" || h == "in") return out = 0, VAR_STAT_WRITTEN;
    if (digit_after('h') || digit_after('d') || digit_after('e')) {
        const char *p = h.c_str() + 1;
        int n = 0;
        if (!read_int(p, n)) return VAR_STAT_NONE;
        if (h[0] == 'h') return end_time(w, n, out) ? VAR_STAT_WRITTEN : VAR_STAT_NONE;
        const int64_t hours = int64_t{24} * n + (h[0] == 'e' ? 12 : 0);
        return fits(hours) ? (out = static_cast<int>(hours), VAR_STAT_WRITTEN) : VAR_STAT_NONE;
    }
    if (!h.empty() && std::isdigit(static_cast<unsigned char>(h[0])))
        return digit_time(w, out) ? VAR_STAT_WRITTEN : VAR_STAT_NONE;
    return VAR_STAT_NONE;
}

// ---------------------------------------------------------------------------------------------
// Level words
// ---------------------------------------------------------------------------------------------

enum LevelType {
    L_SFC = 1, L_ISOBARIC = 100, L_PLAYER = 101, L_MSL = 102, L_HEIGHT = 103, L_HLAYER = 104,
    L_AGL = 105, L_ALAYER = 106, L_SIGMA = 107, L_SLAYER = 108, L_HYBRID = 109,
    L_THETA = 113, L_TLAYER = 114, L_PDIFF = 115, L_PDLAYER = 116, L_PV = 117, L_ETA = 119,
    L_ELAYER = 120,
};

struct NamedLevel {
    const char *word;
    int type;
};

constexpr NamedLevel NAMED_LEVELS[] = {
    {"none", 0},        {"snd", 0},          {"miss", VYK_MISS},  {"sfc", 1},
    {"sf", 1},          {"frz", 4},          {"lcl", 5},          {"sea", 1},
    {"se", 1},          {"sl", 102},         {"mwnd", 6},         {"trop", 7},
    {"whole", 200},     {"top_frz", 204},    {"gcld_bot", 206},   {"gcld_top", 207},
    {"blcld_bot", 209}, {"blcld_top", 210},  {"blcld_lyr", 211},  {"lcld_bot", 212},
    {"lcld_top", 213},  {"lcld_lyr", 214},   {"cld_ceil", 215},   {"mcld_bot", 222},
    {"mcld_top", 223},  {"mcld_lyr", 224},   {"hcld_bot", 232},   {"hcld_top", 233},
    {"hcld_lyr", 234},  {"conv_bot", 242},   {"conv_top", 243},   {"conv_lyr", 244},
    {"wbzero", 245},    {"maxepot", 246},    {"equilib", 247},    {"sconv_bot", 248},
    {"sconv_top", 249}, {"dconv_bot", 251},  {"dconv_top", 252},  {"sclw_bot", 253},
    {"sclw_top", 254},  {"-", 9},
};

// Layer markers in the units part of a pressure layer (in mb x 10) and of a height layer.
constexpr int SFC_BOTTOM = 1900;     // 'sfc-500mb'
constexpr int SFC_OFFSET = 2000;     // 'sfc[N]-500mb': 2000 + N
constexpr int MAXT_BOTTOM = 1910;    // 'maxt-500mb'
constexpr int TROP_BOTTOM = 1950;    // 'trop-500mb'
constexpr int TROP_ABOVE = 99500;    // 'trop+1000m'
constexpr int TROP_BELOW = 99600;    // 'trop-1000m'

struct Level {
    int type;
    int64_t value;
};

/// The value of a layer: second x 1000 + first, each divided by its scale first.
int64_t layer(int64_t first, int64_t second, int scale)
{
    return second / scale * 1000 + first / scale;
}

/// The prefix forms 'p', 'h', 'a', 'k' (one integer or two joined by '-') and 's' followed by a
/// digit (one or two decimals).  False when the word has no such prefix.
bool prefix_level(const char *str, Level &out)
{
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(str[0])));
    const char *p = str + 1;
    if (c == 's') {
        if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
        double a = 0, b = 0;
        read_decimal(p, a);
        int ia = 0, ib = 0;
        if (*p == '-' && (p++, read_decimal(p, b))) {
            if (!scaled(a, 100, ia) || !scaled(b, 100, ib)) return false;
            out = {L_SLAYER, int64_t{ib} * 1000 + ia};
        } else {
            if (!scaled(a, 10000, ia)) return false;
            out = {L_SIGMA, ia};
        }
        return true;
    }
    if (c != 'p' && c != 'h' && c != 'a' && c != 'k') return false;
    int a = 0, b = 0;
    const bool one = read_int(p, a);
    const bool two = one && *p == '-' && (p++, read_int(p, b));
    if (!one) return false;  // not a level word of this form: the general form decides
    switch (c) {
    case 'p':
        if (!two) out = {L_ISOBARIC, a};
        else out = {L_PLAYER, layer(std::max(a, b), std::min(a, b), 10)};
        break;
    case 'h': out = two ? Level{L_HLAYER, layer(a, b, 100)} : Level{L_HEIGHT, a}; break;
    case 'a': out = two ? Level{L_ALAYER, layer(a, b, 100)} : Level{L_AGL, a}; break;
    default: out = two ? Level{L_TLAYER, layer(a, b, 1)} : Level{L_THETA, a}; break;
    }
    return true;
}

/// One part of a general level word: an optional number and a unit word.
struct Part {
    bool has_num = false;
    double num = 0;
    string unit;
    int value = 0;  // the number's integer part (feet converted)
};

Part read_part(const string &text)
{
    Part part;
    const char *p = text.c_str();
    part.has_num = read_decimal(p, part.num);
    part.unit = p;
    return part;
}

bool unit_is(const Part &part, const char *unit) { return iequal(part.unit, unit); }

/// A word part that begins "sfc" (any case).
bool is_sfc(const Part &part)
{
    return !part.has_num && part.unit.size() >= 3 && iequal(string_view(part.unit).substr(0, 3), "sfc");
}

/// The integer value of a part: the number's integer part, feet converted to metres.
bool part_value(Part &part, bool feet)
{
    if (!part.has_num) return part.value = 0, true;
    const double v = feet ? 0.3048 * std::trunc(part.num) : part.num;
    return int_part(v, part.value);
}

/// The word after "sfc": N of a following "[N", else 0.
int sfc_offset(const string &unit)
{
    if (unit.size() < 4 || unit[3] != '[') return 0;
    const char *p = unit.c_str() + 4;
    int n = 0;
    return read_int(p, n) ? n : 0;
}

/// Two parts: the layer forms.  ltype stays as the caller had it when no unit matches.
bool two_part_level(Part &a, Part &b, bool above, int ltype, Level &out)
{
    static const struct {
        const char *unit;
        int type;
        bool feet;
    } units[] = {{"ft", L_HLAYER, true},     {"m", L_HLAYER, false},  {"ft_ag", L_ALAYER, true},
                 {"m_ag", L_ALAYER, false},  {"mb_ag", L_PDLAYER, false}, {"k", L_TLAYER, false},
                 {"mb", L_PLAYER, false},    {"sig", L_SLAYER, false}, {"eta", L_ELAYER, false}};
    int type = ltype;
    bool feet_a = false, feet_b = false, matched = false;
    for (const auto &u : units) {
        if (unit_is(a, u.unit)) type = u.type, feet_a = u.feet, matched = true;
        if (unit_is(b, u.unit)) type = u.type, feet_b = u.feet, matched = true;
    }
    if (a.has_num && b.has_num && a.unit.empty() && b.unit.empty()) type = L_PLAYER;
    // Two words without a number and a unit of the list name no level.
    if (!matched && !a.has_num && !b.has_num) return false;
    if (!part_value(a, feet_a) || !part_value(b, feet_b)) return false;
    int64_t first = a.value, second = b.value;
    const bool first_word = !a.has_num;
    switch (type) {
    case L_HLAYER:
        if (first_word && iequal(a.unit, "trop")) first = above ? TROP_ABOVE : TROP_BELOW;
        out = {type, layer(first, second, 100)};
        return true;
    case L_ALAYER: out = {type, layer(first, second, 100)}; return true;
    case L_PLAYER:
        if (is_sfc(a))
            first = a.unit.size() > 3 && a.unit[3] == '[' ? SFC_OFFSET + int64_t{sfc_offset(a.unit)}
                                                           : SFC_BOTTOM;
        else if (first_word && iequal(a.unit, "maxt")) first = MAXT_BOTTOM;
        else if (first_word && iequal(a.unit, "trop")) first = TROP_BOTTOM;
        else if (!first_word && b.has_num && second > first) std::swap(first, second);
        out = {type, layer(first, second, 10)};
        return true;
    case L_SLAYER:
    case L_ELAYER: {
        // Hundredths of the numbers as written, rounded.
        int fa = 0, fb = 0;
        if (!scaled(a.has_num ? a.num : 0, 100, fa) || !scaled(b.has_num ? b.num : 0, 100, fb))
            return false;
        out = {type, int64_t{fb} * 1000 + fa};
        return true;
    }
    default: out = {type, second * 1000 + first}; return true;
    }
}

/// One part: a number and a unit.  False when nothing matches (type and value stay).
bool one_part_level(Part &a, Level &out)
{
    if (is_sfc(a)) {
        out = {L_SFC, sfc_offset(a.unit)};
        return true;
    }
    static const struct {
        const char *unit;
        int type;
        bool feet;
        double scale;  // 0: the integer part, else the number times it, rounded
    } units[] = {{"ft", L_HEIGHT, true, 0},   {"ft_ag", L_AGL, true, 0}, {"m", L_HEIGHT, false, 0},
                 {"m_ag", L_AGL, false, 0},   {"k", L_THETA, false, 0},  {"mb", L_ISOBARIC, false, 0},
                 {"mb_ag", L_PDIFF, false, 0}, {"sig", L_SIGMA, false, 10000},
                 {"lev", L_HYBRID, false, 0}, {"pv", L_PV, false, 0},    {"eta", L_ETA, false, 10000}};
    if (!a.has_num) return false;
    if (a.unit.empty()) {
        if (!part_value(a, false)) return false;
        out = {L_ISOBARIC, a.value};
        return true;
    }
    for (const auto &u : units) {
        if (!unit_is(a, u.unit)) continue;
        int v = 0;
        if (u.scale > 0 ? !scaled(a.num, u.scale, v) : !(part_value(a, u.feet) && (v = a.value, true)))
            return false;
        out = {u.type, v};
        return true;
    }
    return false;
}

/// The general form: the word split into a first and a second part.
bool general_level(const char *str, int ltype, Level &out)
{
    const string word(str);
    size_t split = string::npos;
    bool above = false;
    if (word.size() > 1 && (word[1] == '-' || word[1] == '+')) {
        split = 1;
    } else if (word.size() > 1) {
        split = word.find('-', 1);
        if (split == string::npos) {
            split = word.find('+', 1);
            above = split != string::npos;
        }
    }
    if (split == string::npos) {
        Part a = read_part(word);
        return one_part_level(a, out);
    }
    Part a = read_part(word.substr(0, split));
    Part b = read_part(word.substr(split + 1));
    return two_part_level(a, b, above, ltype, out);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Decoders
// ---------------------------------------------------------------------------------------------

int VAR_dec_time(const char *str, int *time)
{
    if (!time) return VAR_STAT_NONE;
    if (!str || !*str) return inherited_time(*time);
    int out = 0;
    const int result = written_time(str, out);
    if (result == VAR_STAT_NONE) return VAR_STAT_NONE;
    *time = out;
    return result;
}

int VAR_dec_level(const char *str, int *ltype, int *level)
{
    if (!ltype || !level) return VAR_STAT_WRITTEN;
    if (!str || !*str) {
        if (const VarContext *c = var_context()) {
            *ltype = c->ltype;
            *level = c->level;
            return c->lstat;
        }
        if (FLAG_get(FLAG_LEVEL_TYPE) == VYK_MISS) return VAR_STAT_WRITTEN;
        *ltype = FLAG_get(FLAG_LEVEL_TYPE);
        *level = FLAG_get(FLAG_LEVEL);
        return VAR_STAT_CONTEXT;
    }
    if (iequal(str, "level")) {
        *ltype = FLAG_get(FLAG_LEVEL_TYPE);
        *level = FLAG_get(FLAG_LEVEL);
        return VAR_STAT_CONTEXT;
    }
    Level lev{*ltype, *level};
    bool found = false;
    for (const NamedLevel &n : NAMED_LEVELS) {
        if (iequal(str, n.word)) {
            lev = {n.type, n.type == VYK_MISS ? VYK_MISS : 0};
            found = true;
            break;
        }
    }
    if (!found) found = prefix_level(str, lev) || general_level(str, *ltype, lev);
    if (found) {
        if (!fits(lev.value)) {
            MESS_print(M_WARN, "VAR_dec_level: level out of range: %s\n", str);
            lev.value = VYK_MISS;
        }
        *ltype = lev.type;
        *level = static_cast<int>(lev.value);
    }
    MESS_print(VAR_TRACE, "Level: %s = %d %ld\n", str, *ltype, static_cast<long>(*level));
    return VAR_STAT_WRITTEN;
}

int VAR_get_level(int ltype, int level, float *l1, float *l2)
{
    int scale = 0;
    if (ltype == L_PLAYER) scale = 10;
    else if (ltype == L_HLAYER || ltype == L_ALAYER) scale = 100;
    else if (ltype == L_TLAYER || ltype == L_PDLAYER) scale = 1;
    float a = static_cast<float>(level), b = VYK_MISS;
    if (scale > 0) {
        a = static_cast<float>(level / 1000) * static_cast<float>(scale);
        b = static_cast<float>(level % 1000) * static_cast<float>(scale);
        if (b > a) std::swap(a, b);
    }
    if (l1) *l1 = a;
    if (l2) *l2 = b;
    return 0;
}

int VAR_enc_level(int coord, float l1, float l2, int *ltype, int *level)
{
    const bool two = !VYK_is_miss(l2);
    int a = 0, b = 0;
    const bool ok = int_part(l1, a) && (!two || int_part(l2, b));
    int type = coord;
    int64_t value = a;
    if (coord == L_PLAYER || (coord == L_ISOBARIC && two)) {
        type = L_PLAYER;
        value = int64_t{b / 10} * 1000 + a / 10;
    } else if (coord == L_HLAYER || (coord == L_HEIGHT && two)) {
        type = L_HLAYER;
        value = int64_t{b / 100} * 1000 + a / 100;
    } else if (coord == L_ALAYER || (coord == L_AGL && two)) {
        type = L_ALAYER;
        value = int64_t{b / 100} * 1000 + a / 100;
    } else if (coord == L_TLAYER || (coord == L_THETA && two)) {
        type = L_TLAYER;
        value = a + int64_t{1000} * b;
    } else if (coord == L_SLAYER || (coord == L_SIGMA && two)) {
        type = L_SLAYER;
        value = a + int64_t{1000} * b;
    }
    if (ltype) *ltype = type;
    if (level) *level = ok && fits(value) ? static_cast<int>(value) : VYK_MISS;
    return 0;
}

int VAR_dec_units(const char *str, VAR_data *data)
{
    if (data && str && *str) var_copy_field(data->units, str, "VAR_dec_units", "units");
    return 0;
}

int VAR_dec_type(const char *str)
{
    if (!str) return -1;
    for (const TypeWord &t : TYPE_WORDS)
        for (const char *w : t.read)
            if (w && iequal(str, w)) return t.code;
    return -1;
}

const char *VAR_print_type(int type)
{
    for (const TypeWord &t : TYPE_WORDS)
        if (t.code == type) return t.printed;
    return "----";
}

int VAR_dec_format(const char *str, VAR_data *data)
{
    if (!data) return 0;
    int result = 0;
    const int t = VAR_dec_type(str);
    if (t > 0) {
        data->type = t;
        result = 2;
    }
    const int f = FLAG_get(FLAG_PLOT_TYPE);
    const bool keep = data->type == VAR_T_PLOT || data->type == VAR_T_WIND ||
                      data->type == VAR_T_VECT || data->type == VAR_T_STRM;
    if (!keep && f != VYK_MISS && f != 0 && f != 99) {
        data->type = VAR_T_CONT;
        result = 1;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Variable words
// ---------------------------------------------------------------------------------------------

namespace {

enum class Ens { none, mean, dev, prob, control, minus, plus };

struct VarWord {
    string name;        // the name part
    Ens ens = Ens::none;
    int member = 0;     // perturbation number
    char rel = 0;       // probability relation
    double threshold = 0;
    int number = 0;     // variable number written in the word
};

/// The prefix forms "ensmean[]", "ensdev[]", "ensprob[K X]" and "ens[K N]".
VarWord split_var(const char *str)
{
    VarWord w;
    const char *dash = std::strchr(str, '-');
    w.name = dash ? dash + 1 : str;
    const string_view word(str);
    const auto rest_name = [](const char *p) {
        while (std::isspace(static_cast<unsigned char>(*p))) p++;
        const char *e = p;
        while (*e && !std::isspace(static_cast<unsigned char>(*e))) e++;
        return string(p, static_cast<size_t>(e - p));
    };
    if (word.starts_with("ensmean[]")) {
        w.ens = Ens::mean;
        w.name = rest_name(str + 9);
        MESS_print(VAR_TRACE, "ensmean: %s\n", w.name.c_str());
    } else if (word.starts_with("ensdev[]")) {
        w.ens = Ens::dev;
        w.name = rest_name(str + 8);
        MESS_print(VAR_TRACE, "ensdev: %s\n", w.name.c_str());
    } else if (word.starts_with("ensprob[")) {
        const char *p = str + 8;
        w.rel = *p;
        if (*p) p++;
        double x = 0;
        if (read_decimal(p, x) && *p == ']') {
            w.threshold = x;
            w.name = rest_name(p + 1);
            if (w.rel == '<' || w.rel == '>' || w.rel == '^') w.ens = Ens::prob;
        }
        MESS_print(VAR_TRACE, "ensprob: %c - %f - %s\n", w.rel ? w.rel : ' ', w.threshold,
                   w.name.c_str());
    } else if (word.starts_with("ens[")) {
        const char *p = str + 4;
        const char k = *p;
        int n = 0;
        const char *q = k ? p + 1 : p;
        if (k && read_int(q, n) && *q == ']' && !rest_name(q + 1).empty()) {
            w.name = rest_name(q + 1);
            w.member = n;
            w.ens = k == '-' ? Ens::minus : k == '+' ? Ens::plus : k == 'c' ? Ens::control : Ens::none;
            MESS_print(VAR_TRACE, "ens: %c - %d - %s\n", k, n, w.name.c_str());
        } else {
            q = p;
            if (read_int(q, n) && *q == ']') {
                w.name = rest_name(q + 1);
                w.ens = Ens::control;
                MESS_print(VAR_TRACE, "ens: %c - %d - %s\n", 'c', n, w.name.c_str());
            }
        }
    } else {
        const char *p = w.name.c_str();
        if (!read_int(p, w.number)) w.number = 0;
    }
    return w;
}

/// The ensemble or probability code of a variable number; false (with a warning) when it would
/// not fit an int.
bool ens_code(const VarWord &w, int number, int &out)
{
    int64_t code = number;
    switch (w.ens) {
    case Ens::none: break;
    case Ens::mean: code += 19000000; break;
    case Ens::dev: code += 19001000; break;
    case Ens::control: code += 19300000; break;
    case Ens::minus: code += 19320000 + int64_t{1000} * w.member; break;
    case Ens::plus: code += 19340000 + int64_t{1000} * w.member; break;
    case Ens::prob: {
        const int64_t c = float2int(static_cast<float>(w.threshold));
        const int64_t base = w.rel == '<' ? 1 : w.rel == '>' ? 2 : 3;
        code = int64_t{number} * 10000 + 1910000000 +
               (c >= 0 ? base * 1000 + c : (base + 5) * 1000 - c);
        break;
    }
    }
    if (!fits(code)) return false;
    out = static_cast<int>(code);
    return true;
}

/// The plot type of a decoded variable (see the rules of the language).
int plot_type(const VAR_data *data, const char *word)
{
    const int f = FLAG_get(FLAG_PLOT_TYPE);
    const int kind = data->flag % 10;
    const VarContext *c = var_context();
    if (kind == VAR_KIND_VECT) return grid_type(f) ? f : VAR_T_GRID;
    if (kind == VAR_KIND_FUNC) {
        const int t = GRD_is_math_func(word);
        if (t != 0) return grid_type(f) ? f : t;
    }
    if (c && grid_type(c->type)) return forced_grid_type(f) ? f : VAR_T_GRID;
    if (forced_grid_type(f)) return f;
    if (data->type != VYK_MISS) return data->type;
    return var_def_type();
}

/// The table search: a non-zero number gives the description, the name part the numbers.
void look_up(VAR_data *data, const VarWord &w)
{
    int count = 0;
    const VAR_desc *table = var_table(&count);
    const char *name = w.name.c_str();
    if (*name == '+') name++;
    for (int i = 0; i < count; i++) {
        const VAR_desc &e = table[i];
        if (w.number != 0 && e.ind[0] == w.number) {
            strfcpy(data->name, e.name);
            return;
        }
        if (*name && stricmp(e.abbr, name) == 0) {
            for (int k = 0; k < VAR_NUM_IND; k++) data->var[k] = e.ind[k];
            return;
        }
    }
}

}  // namespace

int VAR_dec_var(const char *str, VAR_data *data)
{
    if (!data) return 0;
    if (!str) str = "";
    if (strfcpy(data->name, str) < std::strlen(str))
        MESS_print(VAR_TRACE, "VAR_dec_var: name cut to %d characters: %s\n", VAR_NAME_LEN - 1, str);
    MESS_print(VAR_TRACE, "TYPE: %d cur:%d def:%d fl: %d plt: %d\n", data->type, var_cur_type(),
               var_def_type(), data->flag, FLAG_get(FLAG_PLOT_TYPE));
    if (str[0] == '#') {
        data->type = VAR_T_CONST;
        return 1;
    }
    data->type = plot_type(data, str);
    MESS_print(VAR_TRACE, "DATA TYPE: %d\n", data->type);
    if (!*str) return 0;

    const VarWord w = split_var(str);
    data->var[0] = w.number;
    look_up(data, w);
    int code = data->var[0];
    if (!ens_code(w, data->var[0], code)) {
        MESS_print(M_WARN, "VAR_dec_var: ensemble or probability code out of range: %s\n", str);
        code = data->var[0];
    }
    data->var[0] = code;
    return data->var[0];
}
