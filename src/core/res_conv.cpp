// Resource value conversions: a resource's text turned into a typed value in a caller's
// variable, or into a process-wide effect (batch mode, help, the message mask, the forced file
// time, the file parameter, the plot type, the plot-component switches, the output device).
//
// Destination types by kind: int for CV_bool and CV_int; int16_t for CV_short; long for CV_long
// and CV_color; float for CV_float; const char * (a view of the text) for CV_string and
// CV_device; char * (new storage the caller releases with free()) for CV_path; a character
// buffer of `size` bytes for CV_strcpy; a Domain for CV_region and CV_domain.
#include "vykbase.h"
#include "vykmess.h"
#include "vykflag.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykfname.h"
#include "vykdate.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykrec.h"
#include "vykresrc.h"
#include "vykup.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

/// Reads an integer as the scan "%Nd" does (N = width, 0 for no limit): leading white space,
/// an optional sign and at least one digit, the sign and digits together at most width
/// characters.  A value outside the int range counts as not read.  On success p moves past it.
bool scan_int(const char *&p, int width, int &out)
{
    const char *s = p;
    while (std::isspace(static_cast<unsigned char>(*s))) s++;
    int used = 0;
    bool neg = false;
    if ((*s == '+' || *s == '-') && (width == 0 || used < width)) {
        neg = *s == '-';
        s++;
        used++;
    }
    long long v = 0;
    int digits = 0;
    bool too_big = false;
    while (is_digit(*s) && (width == 0 || used < width)) {
        if (v <= INT_MAX) v = v * 10 + (*s - '0');
        else too_big = true;
        s++;
        used++;
        digits++;
    }
    if (digits == 0) return false;
    if (neg) v = -v;
    if (too_big || v > INT_MAX || v < INT_MIN) return false;
    out = static_cast<int>(v);
    p = s;
    return true;
}

/// Matches one literal character, as a literal in a scan format does.
bool scan_char(const char *&p, char c)
{
    if (*p != c) return false;
    p++;
    return true;
}

/// A forced hour or minute step is written -(100 * offset + step); a step of 0 would make the
/// file layer divide by zero.
bool zero_step(int v) { return v < 0 && v != VYK_MISS && (-static_cast<long long>(v)) % 100 == 0; }

struct Word {
    const char *word;
    int code;
};

constexpr Word plot_types[] = {
    {"raw", 0},    {"none", 99},  {"value", 17}, {"gvalue", 17}, {"cf", 15},    {"lcf", 16},
    {"ln", 12},    {"dln", 13},   {"ndln", 14},  {"vect", 21},   {"barb", 22},  {"strm", 23},
    {"stream", 23}, {"an", 54},   {"number", 54}, {"pm", 55},    {"skewt", 62}, {"ema", 63},
    {"teph", 64},  {"rteph", 65}, {"stuve", 61}, {"hodo", 69},
};

constexpr Word file_params[] = {
    {"use", FILE_USE},    {"over", FILE_WRITE},  {"calc", FILE_WRITE},
    {"reuse", FILE_USE},  {"recalc", FILE_WRITE}, {"app", FILE_APPEND},
};

constexpr Word draw_words[] = {
    {"text_ul", PLOT_TEXT_UL}, {"text_uc", PLOT_TEXT_UC}, {"text_ur", PLOT_TEXT_UR},
    {"text_ll", PLOT_TEXT_LL}, {"text_lc", PLOT_TEXT_LC}, {"text_lr", PLOT_TEXT_LR},
    {"data", PLOT_DATA},       {"map", PLOT_MAP},         {"grid", PLOT_GRID},
    {"sum", PLOT_SUM},         {"bord", PLOT_BORD},
};

template <size_t N> int lookup(const Word (&table)[N], const char *word)
{
    for (const Word &w : table)
        if (stricmp(w.word, word) == 0) return w.code;
    return VYK_MISS;
}

void set_from_table(int flag, int code)
{
    if (code != VYK_MISS) FLAG_set(flag, code);
}

/// Whether word, its sign dropped, is a word of the draw list.
bool is_draw_word(const char *word)
{
    if (*word == '+' || *word == '-') word++;
    return stricmp(word, "none") == 0 || stricmp(word, "all") == 0 || stricmp(word, "text") == 0 ||
           lookup(draw_words, word) != VYK_MISS;
}

/// Applies a draw list to the plot-component switches.
void apply_draw(const char *data)
{
    int count = 0;
    char **items = nullptr;
    if (parse_string(data, ',', &count, &items) != 0) return;
    for (int i = 0; i < count; i++) {
        const char *word = items[i];
        int state = 1;
        if (*word == '+') {
            word++;
        } else if (*word == '-') {
            state = 0;
            word++;
        } else if (i == 0) {
            FLAG_resetplot(0);  // a plain list names exactly what is drawn
        }
        if (stricmp(word, "none") == 0) {
            FLAG_setplot(PLOT_ALL, 0);
        } else if (stricmp(word, "all") == 0) {
            FLAG_setplot(PLOT_ALL, 1);
        } else if (stricmp(word, "text") == 0) {
            FLAG_setplot(PLOT_TEXT, state);
            FLAG_setplot(PLOT_BORD, state);
        } else {
            const int sw = lookup(draw_words, word);
            if (sw != VYK_MISS) FLAG_setplot(sw, state);
        }
    }
    free_parsed_array(count, items);
}

/// Reads a decimal or (second character 'x') hexadecimal int; false when the text holds no
/// number or one outside the range of a 32-bit int (hexadecimal: of its 32 bits).
bool read_int(const char *data, int &out)
{
    char *end = nullptr;
    errno = 0;
    if (data[1] == 'x' || data[1] == 'X') {
        const long long v = std::strtoll(data, &end, 16);
        if (end == data || errno == ERANGE || v < 0 || v > 0xFFFFFFFFLL) return false;
        out = static_cast<int>(static_cast<uint32_t>(v));
        return true;
    }
    const long v = std::strtol(data, &end, 10);
    if (end == data || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

// The kinds that act on the program's settings at once (message mask, forced file time, flags,
// plot switches); false for any other kind.
bool apply_setting(const char *data, DEF_convert cvt)
{
    switch (cvt) {
    case CV_mess:
        MESS_set_str(data);
        return true;
    case CV_hour: {
        Date date;
        RES_hour_date(data, &date);
        FILE_set_time(&date);
        return true;
    }
    case CV_file_param:
        set_from_table(FLAG_FILE_PARAM, lookup(file_params, data));
        return true;
    case CV_plot_type:
        set_from_table(FLAG_PLOT_TYPE, lookup(plot_types, data));
        return true;
    case CV_draw:
        apply_draw(data);
        return true;
    default:
        return false;
    }
}

// A number that begins with a digit and fits a long.
bool read_long(const char *data, long &v)
{
    if (!is_digit(data[0])) return false;
    errno = 0;
    v = std::strtol(data, nullptr, 10);
    return errno != ERANGE;
}

// The kinds that store a value into out (size bytes for CV_strcpy; 0 stands for
// FILE_NAME_MAX + 1).
void store_value(const char *data, void *out, DEF_convert cvt, size_t size)
{
    switch (cvt) {
    case CV_int:
        if (is_digit(data[0]) || data[0] == '-' || data[0] == '+') {
            int v;
            if (read_int(data, v)) *static_cast<int *>(out) = v;
        }
        break;
    case CV_short: {
        long v;
        if (read_long(data, v) && v <= INT16_MAX)
            *static_cast<int16_t *>(out) = static_cast<int16_t>(v);
        break;
    }
    case CV_long: {
        long v;
        if (read_long(data, v)) *static_cast<long *>(out) = v;
        break;
    }
    case CV_float:
        *static_cast<float *>(out) = std::strtof(data, nullptr);
        break;
    case CV_color:
        *static_cast<long *>(out) = std::strtol(data, nullptr, 10);
        break;
    case CV_string:
        *static_cast<const char **>(out) = data;
        break;
    case CV_strcpy: {
        strfcpy(static_cast<char *>(out), size ? size : FILE_NAME_MAX + 1, data);
        break;
    }
    case CV_path: {
        char *copy;
        if (stricmp(data, "none") == 0) {
            copy = static_cast<char *>(std::malloc(1));
            if (copy) copy[0] = '\0';
        } else {
            const size_t n = std::strlen(data);
            copy = static_cast<char *>(std::malloc(n + 2));  // room for the '/' added
            if (copy) {
                std::memcpy(copy, data, n + 1);
                FILE_add_path_delim(copy);
            }
        }
        *static_cast<char **>(out) = copy;
        break;
    }
    case CV_region:
    case CV_domain:
        DOM_decode(data, static_cast<Domain *>(out));
        break;
    case CV_device: {
        // The words are separated by commas; commas at the end separate no word.
        size_t n = std::strlen(data);
        while (n > 0 && data[n - 1] == ',') n--;
        FLAG_set(FLAG_DEVICE, RES_set_device(data));
        const char *comma = static_cast<const char *>(std::memchr(data, ',', n));
        if (comma) *static_cast<const char **>(out) = comma + 1;
        break;
    }
    default:
        break;
    }
}

}  // namespace

int RES_set_device(const char *str)
{
    if (!str) return 1;
    switch (str[0]) {
    case 'P': case 'p': return 4;
    case 'H': case 'h': case 'Q': case 'q': return 5;
    case 'M': case 'm': return 3;
    case 'W': case 'w': return 6;
    default: return 1;
    }
}

int RES_hour_date(const char *text, Date *date)
{
    if (!text || !date) return -1;
    date->year = date->month = date->day = date->jday = date->wday = VYK_MISS;
    date->hour = date->min = date->sec = VYK_MISS;

    const size_t len = std::strlen(text);
    const bool colon = std::strchr(text, ':') != nullptr;
    const char *p = text;
    if (text[0] == '#' && is_digit(text[1])) {
        // #YYYY[MM[DD[HH[NN]]]]
        p = text + 1;
        if (scan_int(p, 4, date->year)) {
            int *rest[] = {&date->month, &date->day, &date->hour, &date->min};
            for (int *field : rest)
                if (!is_digit(*p) || !scan_int(p, 2, *field)) break;
        }
    } else if (len == 6 && !colon) {
        scan_int(p, 2, date->month) && scan_int(p, 2, date->day) && scan_int(p, 2, date->hour);
    } else if (len == 4 && is_digit(text[0]) && !colon) {
        scan_int(p, 2, date->day) && scan_int(p, 2, date->hour);
    } else if (len == 3 && is_digit(text[0]) && !colon) {
        scan_int(p, 1, date->day) && scan_int(p, 2, date->hour);
    } else if (std::strchr(text, 'd')) {
        scan_int(p, 0, date->day) && scan_char(p, 'd') && scan_int(p, 0, date->hour) &&
            scan_char(p, ':') && scan_int(p, 0, date->min);
    } else if (text[0] == ':') {
        p = text + 1;
        scan_int(p, 0, date->min);
    } else if (text[0] == '-' && text[1] == ':') {
        p = text + 2;
        if (scan_int(p, 0, date->min) && date->min != INT_MIN) date->min = -date->min;
    } else {
        const bool hour_read = scan_int(p, 0, date->hour);
        const bool min_read = hour_read && scan_char(p, ':') && scan_int(p, 0, date->min);
        // "-0:30" is every 30th minute: the hour is not forced and the minute is a step.  A
        // minute that was not given stays unforced.
        if (text[0] == '-' && hour_read && date->hour == 0) {
            date->hour = VYK_MISS;
            if (min_read && date->min != INT_MIN) date->min = -date->min;
        }
    }

    // A step of 0 hours or minutes (-300: every 0 hours from 3) means no step.
    if (zero_step(date->hour)) {
        MESS_print(M_WARN, "RES_hour_date: hour step of 0 in %s ignored\n", text);
        date->hour = VYK_MISS;
    }
    if (zero_step(date->min)) {
        MESS_print(M_WARN, "RES_hour_date: minute step of 0 in %s ignored\n", text);
        date->min = VYK_MISS;
    }
    return 0;
}

bool RES_is_draw_list(const char *text)
{
    if (!text || !text[0]) return false;
    int count = 0;
    char **items = nullptr;
    if (parse_string(text, ',', &count, &items) != 0) return false;
    bool all = count > 0;
    for (int i = 0; i < count && all; i++) all = is_draw_word(items[i]);
    free_parsed_array(count, items);
    return all;
}

int RES_conv_data(const char *data, void *out, DEF_convert cvt, size_t size)
{
    if (cvt == CV_batch) {
        FLAG_set(FLAG_BATCH, 1);
        if (MESS_check_set() == 0) MESS_set(MESS_USER_SET, M_PRINT | M_ERROR | M_WARN);
        return 1;
    }
    if (cvt == CV_help) {
        FLAG_set(FLAG_HELP, 1);
        return 1;
    }
    if (cvt == CV_bool && out) {
        int *v = static_cast<int *>(out);
        if (!data) *v = 1;
        else if (!stricmp(data, "true") || !stricmp(data, "on") || !stricmp(data, "yes")) *v = 1;
        else if (!stricmp(data, "false") || !stricmp(data, "off") || !stricmp(data, "no")) *v = 0;
        return 1;
    }
    if (!data) return 0;

    if (apply_setting(data, cvt)) return 1;
    if (!out) return 0;

    store_value(data, out, cvt, size);
    return 1;
}

int RES_getval(const char *name, void *data, DEF_convert cvt, size_t size)
{
    if (!name || !data) return 0;
    for (const resource *r = RES_first(); r; r = r->next)
        if (std::strcmp(r->name, name) == 0) return RES_conv_data(r->data, data, cvt, size);
    return 0;
}
