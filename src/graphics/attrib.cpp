// Attribute sets and attribute strings.
//
// An attribute string is a ':'-separated list of items that sets some fields of a Gattribs and
// leaves the others as they are: a first item without '=' names the colour; keyed items
// "co=", "wi=", "st=", "fo=", "fi=" or "fp=", "sc=" or "hi=", "te=" (keys in any case) and the
// one-letter forms w, s, t, f, h, e (lower case only) followed by their number.  For example
// "magenta:s4" is magenta in line style 4.  The fill-pattern and marker words used in such
// strings and in plot formats are mapped here too.
#include "vykgks.h"
#include "vyk.h"
#include "vykresrc.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

/// The leading integer of a text (blanks, a sign and digits); 0 when there is none, and the
/// nearest int for a number beyond the int range.
int leading_int(const char *p)
{
    if (p == nullptr) return 0;
    while (is_space(*p)) p++;
    const bool neg = *p == '-';
    if (*p == '+' || *p == '-') p++;
    long long v = 0;
    for (; is_digit(*p); p++)
        if (v <= INT_MAX) v = v * 10 + (*p - '0');
    if (neg) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

/// The leading decimal number of a text; 0 when there is none.  Words such as "inf" and "nan"
/// and numbers too large for a float are not numbers here.
float leading_float(const char *p)
{
    if (p == nullptr) return 0.0f;
    while (is_space(*p)) p++;
    const char *s = p;
    if (*s == '+' || *s == '-') s++;
    if (!is_digit(*s) && !(*s == '.' && is_digit(s[1]))) return 0.0f;
    const float v = std::strtof(p, nullptr);
    return std::isfinite(v) ? v : 0.0f;
}

/// Line styles by name.
int parse_style(const char *value)
{
    static constexpr const char *names[] = {"sol", "dsh", "lsdsh", "llsdsh", "dot"};
    for (int i = 0; i < 5; i++)
        if (stricmp(value, names[i]) == 0) return i + 1;
    return leading_int(value);
}

/// Applies one item after the leading colour name.
void apply_item(const char *item, Gattribs *attrib)
{
    const char *value = item + 3;
    if (strnicmp(item, "co=", 3) == 0) attrib->color = CLR_get_ind(value);
    else if (strnicmp(item, "wi=", 3) == 0) attrib->width = leading_float(value);
    else if (strnicmp(item, "st=", 3) == 0) attrib->style = parse_style(value);
    else if (strnicmp(item, "fo=", 3) == 0) attrib->font = gget_font_index(value);
    else if (strnicmp(item, "fi=", 3) == 0 || strnicmp(item, "fp=", 3) == 0)
        attrib->fill_pat = ATTR_parse_fill_pat(value);
    else if (strnicmp(item, "sc=", 3) == 0 || strnicmp(item, "hi=", 3) == 0)
        attrib->height = leading_float(value);
    else if (strnicmp(item, "te=", 3) == 0) attrib->expan = leading_float(value);
    else {
        const char *rest = item[0] != '\0' ? item + 1 : item;
        switch (item[0]) {
        case 'w': attrib->width = leading_float(rest); break;
        case 's': attrib->style = leading_int(rest); break;
        case 't': attrib->font = leading_int(rest); break;
        case 'f': attrib->fill_pat = rest[0] == 'M' ? VYK_MISS : leading_int(rest); break;
        case 'h': attrib->height = leading_float(rest); break;
        case 'e': attrib->expan = leading_float(rest); break;
        default: break;  // not an item of an attribute string
        }
    }
}

// A word of a table and the number it stands for.
struct Word {
    const char *word;
    int number;
};

// The number of the first word that matches str, else the number str begins with (0 for
// none).
template <size_t N, class Match>
int word_number(const Word (&words)[N], const char *str, Match match)
{
    if (str == nullptr) return 0;
    for (const Word &w : words)
        if (match(str, w.word)) return w.number;
    return leading_int(str);
}

}  // namespace

int ATTR_parse_fill_pat(const char *str)
{
    static constexpr Word patterns[] = {
        {"sol", 0}, {"st", 1},  {"ost", 2},   {"rst", 3},  {"lst", 4},  {"vln", 5},
        {"||", 5},  {"dlr", 6}, {"\\\\", 6},  {"drl", 7},  {"//", 7},   {"hln", 8},
        {"--", 8},  {"hat", 9}, {"XX", 9},    {"clr", 10}, {"0%", 10},  {"1%", 11},
        {"2%", 12}, {"3%", 13}, {"4%", 14},   {"5%", 15},  {"6%", 16},  {"7%", 17},
        {"8%", 18}, {"9%", 19},
    };
    return word_number(patterns, str,
                       [](const char *s, const char *word) { return stricmp(s, word) == 0; });
}

int ATTR_parse_marker(const char *str)
{
    static constexpr Word markers[] = {
        {"pnt", 1},  {".", 1},      {"plus", 2}, {"+", 2},   {"star", 3},   {"*", 3},
        {"crcl", 4}, {"circle", 4}, {"o", 4},    {"x", 5},   {"sqr", 6},    {"square", 6},
        {"#", 6},    {"tri", 7},    {"^", 7},    {"itri", 9}, {"v", 9},     {"dot", 8},
    };
    // A word counts at the start of the text.
    return word_number(markers, str, [](const char *s, const char *word) {
        return strnicmp(s, word, static_cast<int>(std::strlen(word))) == 0;
    });
}

int ATTRIB_init(Gattribs *attrib)
{
    if (attrib == nullptr) return -1;
    attrib->color = VYK_MISS;
    attrib->width = VYK_MISS;
    attrib->height = VYK_MISS;
    attrib->expan = VYK_MISS;
    attrib->style = VYK_MISS;
    attrib->fill_pat = VYK_MISS;
    attrib->font = VYK_MISS;
    return 0;
}

int ATTRIB_parse(const char *str, Gattribs *attrib)
{
    if (str == nullptr || str[0] == '\0' || attrib == nullptr) return 0;
    int count = 0;
    char **items = nullptr;
    if (parse_string(str, ':', &count, &items) != 0) return 0;
    int first = 0;
    if (items[0][0] != '\0' && std::strchr(items[0], '=') == nullptr) {
        attrib->color = CLR_get_ind(items[0]);
        first = 1;
    }
    for (int i = first; i < count; i++) apply_item(items[i], attrib);
    free_parsed_array(count, items);
    return 0;
}

int ATTRIB_get(const char *resrc, const char *def, Gattribs *attrib)
{
    ATTRIB_parse(def, attrib);
    const char *value = resrc != nullptr ? RES_get(resrc) : nullptr;
    if (value == nullptr) return 0;
    ATTRIB_parse(value, attrib);
    return 1;
}

int ATTRIB_update(Gattribs *attr1, const Gattribs *attr2)
{
    if (attr1 == nullptr || attr2 == nullptr) return -1;
    if (attr2->color != VYK_MISS) attr1->color = attr2->color;
    if (!VYK_is_miss(attr2->width)) attr1->width = attr2->width;
    if (!VYK_is_miss(attr2->height)) attr1->height = attr2->height;
    if (attr2->font != VYK_MISS) attr1->font = attr2->font;
    if (!VYK_is_miss(attr2->expan)) attr1->expan = attr2->expan;
    if (attr2->style != VYK_MISS) attr1->style = attr2->style;
    if (attr2->fill_pat != VYK_MISS) attr1->fill_pat = attr2->fill_pat;
    return 0;
}

int ATTRIB_print(const Gattribs *attrib)
{
    if (attrib == nullptr) return -1;
    MESS_print(M_PRINT, "Color: %d\n", attrib->color);
    MESS_print(M_PRINT, "Style: %d\n", attrib->style);
    MESS_print(M_PRINT, "Height: %5.2f\n", attrib->height);
    MESS_print(M_PRINT, "Width: %5.2f\n", attrib->width);
    MESS_print(M_PRINT, "Expansion: %5.2f\n", attrib->expan);
    MESS_print(M_PRINT, "Fill: %d\n", attrib->fill_pat);
    MESS_print(M_PRINT, "Font: %d\n", attrib->font);
    return 0;
}
