// The named colour table: up to 256 named colours loaded from colour-table files, colour codes
// that add entries as they are named, and the reserved colour words.
//
// A colour-table file is plain text read one line of at most 100 characters at a time.  A line
// beginning '#' is a comment, a line "END" (any case) closes the fill colours, and every other
// line is an entry "[slot] name red green blue" (floats 0..1) or "[slot] name #RRGGBB".  Lines
// are numbered by a running position from 0; an entry is stored at its position plus the
// number of entries the earlier files of the list gave, and a leading slot number moves the
// position first.  Nothing is ever stored outside the 256 slots.
#include "vykgks.h"
#include "vyk.h"
#include "vykresrc.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

/// One entry of the table.
struct RGB {
    char name[CLR_NAME_MAX + 1];
    float red;
    float grn;
    float blu;
};

/// Longest line of a colour-table file.
constexpr int LINE_MAX_LEN = 100;
/// Slots 0 to BASE_SLOTS - 1 keep their names across loads until a file overwrites them.
constexpr int BASE_SLOTS = 16;

RGB colors[CLR_MAX];
int num_colors = 0;
int num_fill = 0;

struct Word {
    const char *word;
    int ind;
};

/// The print-only pens.
constexpr Word pens[] = {
    {"pblk", 500}, {"pbblk", 501}, {"ptblk", 502}, {"pwht", 503}, {"pbwht", 504},
    {"ptwht", 505}, {"pgry", 506}, {"pbgry", 507}, {"ptgry", 508},
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// A colour component brought into 0..1 (a value that is not a number reads as 0), so that
/// nothing downstream scales a value beyond its range.
float unit(float v)
{
    if (!(v > 0.0f)) return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

/// Reads two hexadecimal digits; -1 when either is not one.
int hex_pair(const char *p)
{
    const int hi = hex_value(p[0]), lo = hi < 0 ? -1 : hex_value(p[1]);
    return lo < 0 ? -1 : hi * 16 + lo;
}

/// Reads three decimal digits, larger values standing for 255; -1 when one is not a digit.
int dec_triple(const char *p)
{
    if (!is_digit(p[0]) || !is_digit(p[1]) || !is_digit(p[2])) return -1;
    const int v = (p[0] - '0') * 100 + (p[1] - '0') * 10 + (p[2] - '0');
    return v > 255 ? 255 : v;
}

/// The leading decimal number of a text that begins with a digit, INT_MAX when it is larger.
int leading_number(const char *p)
{
    long long v = 0;
    for (; is_digit(*p); p++) {
        v = v * 10 + (*p - '0');
        if (v > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(v);
}

/// The entry whose colour lies nearest to (r, g, b) by summed component differences; the
/// lowest such index.
int nearest(float r, float g, float b)
{
    int best = 0;
    float best_d = HUGE_VALF;
    for (int i = 0; i < num_colors; i++) {
        const float d = std::fabs(r - colors[i].red) + std::fabs(g - colors[i].grn) +
                        std::fabs(b - colors[i].blu);
        if (d < best_d) {
            best_d = d;
            best = i;
        }
    }
    return best;
}

/// The entry of an index as the lookups read it: past the last entry the last one; NULL for an
/// empty table or a negative index.
const RGB *entry_of(int ind)
{
    if (ind >= num_colors) ind = num_colors - 1;
    return ind < 0 ? nullptr : &colors[ind];
}

/// Reads the entry text after the optional slot number: the name and either three floats or
/// '#' and six hexadecimal digits.  Returns false (entry untouched) when neither form fits.
bool parse_entry(const char *p, RGB &entry)
{
    while (is_blank(*p)) p++;
    const char *name = p;
    while (*p && !is_blank(*p)) p++;
    const size_t name_len = static_cast<size_t>(p - name);
    if (name_len == 0) return false;

    // Three floats, each read as a number where it starts; whatever follows them is ignored.
    float v[3];
    const char *q = p;
    int got = 0;
    for (; got < 3; got++) {
        char *end;
        v[got] = std::strtof(q, &end);
        if (end == q) break;
        q = end;
    }
    if (got < 3) {
        // '#' and exactly six hexadecimal digits, divided by 255.
        while (is_blank(*p)) p++;
        if (p[0] != '#') return false;
        for (int k = 0; k < 3; k++) {
            const int c = hex_pair(p + 1 + 2 * k);
            if (c < 0) return false;
            v[k] = static_cast<float>(c) / 255.0f;
        }
        if (p[7] != '\0' && !is_blank(p[7])) return false;
    }
    strfcpy(entry.name, name, name_len);
    entry.red = unit(v[0]);
    entry.grn = unit(v[1]);
    entry.blu = unit(v[2]);
    return true;
}

}  // namespace

int CLR_read_table(const char *filename)
{
    const bool given = filename != nullptr && filename[0] != '\0';
    const char *resource = RES_get("color_table");
    const bool by_resource = !given && resource != nullptr && resource[0] != '\0';
    const char *list_text = given ? filename : by_resource ? resource : "vyk.clr";

    int count = 0;
    char **files = nullptr;
    if (parse_string(list_text, ',', &count, &files) != 0) count = 0;

    for (int i = BASE_SLOTS; i < CLR_MAX; i++) colors[i].name[0] = '\0';

    const char *path = RES_get("file_path");
    int highest = 0, offset = 0;
    for (int f = 0; f < count; f++) {
        char full[FILE_NAME_MAX + 1];
        // An empty name would complete to the directory itself, which is no table.
        if (files[f][0] == '\0') continue;
        FILE_add_path(path, files[f], full);
        if (FILE_is_dir(full)) continue;
        FILE *fp = FILE_open(full, "r");
        if (fp == nullptr) continue;

        int position = 0, end = -1;
        char line[LINE_MAX_LEN + 1];
        while (fgetnline(fp, line, LINE_MAX_LEN) >= 0) {
            // Past the last slot every further line is ignored, a slot number included, so
            // there is nothing left to read.
            if (position + offset >= CLR_MAX) break;
            trim_cr_string(line);
            trim_string(line);

            if (line[0] == '#') {
                highest = std::max(highest, position + offset);
                continue;
            }
            if (stricmp(line, "END") == 0) {
                highest = std::max(highest, position + offset);
                if (f == 0) end = position;
                continue;
            }

            // An entry, optionally led by the slot number at which it is stored.
            const char *p = line;
            while (is_blank(*p)) p++;
            int at = position;
            if (is_digit(*p)) {
                const char *digits = p;
                while (is_digit(*p)) p++;
                if (*p == '\0' || is_blank(*p)) {
                    at = leading_number(digits);
                    // A slot number past the table ignores the line altogether.
                    if (at >= CLR_MAX - offset) continue;
                } else {
                    p = digits;  // a name that begins with digits
                }
            }
            highest = std::max(highest, position + offset);
            position = at;
            RGB &entry = colors[position + offset];
            if (!parse_entry(p, entry)) {
                // A line of neither form still takes its slot: an unnamed black entry.
                entry = RGB{};
            }
            // The slot stored is part of the table even when the file ends here.
            highest = std::max(highest, position + offset);
            position++;
        }

        num_colors = highest + 1;
        if (f == 0 && by_resource) num_fill = end >= 0 ? end : highest;
        offset = num_colors;
        FILE_close(fp);
    }
    free_parsed_array(count, files);
    return 0;
}

int CLR_clear_table()
{
    num_colors = 0;
    return 0;
}

int CLR_add(const char *name, float red, float grn, float blu)
{
    if (name == nullptr) name = "";
    red = unit(red);
    grn = unit(grn);
    blu = unit(blu);
    if (num_colors >= CLR_MAX) {
        // No slot is left: the nearest colour of the table stands in for the new one.
        const int ind = nearest(red, grn, blu);
        MESS_print(M_WARN_C, "CLR_add: colour table full, %s drawn as %s\n", name, colors[ind].name);
        return ind;
    }
    const int ind = num_colors;
    strfcpy(colors[ind].name, name);
    colors[ind].red = red;
    colors[ind].grn = grn;
    colors[ind].blu = blu;
    GPH_set_color(ind, red, grn, blu);
    num_colors++;
    return ind;
}

int CLR_get_ind(const char *name)
{
    if (name == nullptr || name[0] == '\0') return CLR_NONE;
    if (stricmp(name, "end") == 0) return CLR_END;
    if (stricmp(name, "none") == 0 || stricmp(name, "off") == 0 || stricmp(name, "back") == 0)
        return CLR_NONE;
    for (const Word &pen : pens)
        if (stricmp(name, pen.word) == 0) return pen.ind;
    for (int i = 0; i < num_colors; i++)
        if (stricmp(name, colors[i].name) == 0) return i;

    const size_t len = std::strlen(name);
    if (name[0] == '#' && (len == 7 || len == 10)) {
        // A colour code: appended under its own text, so naming it again finds the entry.
        // A code with anything but digits of its kind names no colour.
        int c[3];
        for (int k = 0; k < 3; k++) {
            c[k] = len == 7 ? hex_pair(name + 1 + 2 * k) : dec_triple(name + 1 + 3 * k);
            if (c[k] < 0) return CLR_NONE;
        }
        return CLR_add(name, static_cast<float>(c[0]) / 255.0f, static_cast<float>(c[1]) / 255.0f,
                       static_cast<float>(c[2]) / 255.0f);
    }
    if (is_digit(name[0])) return leading_number(name);
    return CLR_NONE;
}

const char *CLR_get_name(int ind)
{
    const RGB *entry = entry_of(ind);
    return entry ? entry->name : "";
}

int CLR_get_rgb(int ind, float *red, float *grn, float *blu)
{
    const RGB *entry = entry_of(ind);
    if (red) *red = entry ? entry->red : 0.0f;
    if (grn) *grn = entry ? entry->grn : 0.0f;
    if (blu) *blu = entry ? entry->blu : 0.0f;
    return 0;
}

int CLR_get_num()
{
    return num_colors;
}

int CLR_get_num_fill()
{
    return num_fill;
}
