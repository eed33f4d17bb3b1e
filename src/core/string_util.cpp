// String utilities and word lists: in-place editing of terminated byte strings, character-class
// tests, allocated copies, splitting texts into word lists, case-insensitive comparison, bounded
// copying and significant-digit number formatting.
//
// Letter case, letters and digits are ASCII only: the results never depend on the locale.
#include "vykbase.h"
#include "vykmess.h"
#include "vykstr.h"
#include "vykscan.h"
#include "vykmq.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

inline bool is_upper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
inline bool is_lower(unsigned char c) { return c >= 'a' && c <= 'z'; }
inline bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
inline unsigned char fold(unsigned char c) { return is_upper(c) ? static_cast<unsigned char>(c + ('a' - 'A')) : c; }

/// Overwrites the trailing blanks of a text by terminators; returns the new length.
size_t cut_trailing_blanks(char *s, size_t len)
{
    while (len > 0 && s[len - 1] == ' ') s[--len] = '\0';
    return len;
}

/// One pass over a command copy of length len: counts the words and, when out is given, ends
/// every word with a terminator and stores the word starts.  The first word starts at offset 0
/// and is taken as it stands; a later word that begins with a double quote runs to the next
/// double quote (or the end), which is overwritten by a terminator.  Both passes see the same
/// word starts, because a blank and a closing quote both end the word before them.
size_t command_words(char *s, size_t len, char **out)
{
    size_t n = 1;
    bool after_end = false;  // the previous character is a blank, a terminator or a closing quote
    for (size_t i = 1; i < len; i++) {
        const char c = s[i];
        if (c == ' ' || c == '\0') {
            if (out) s[i] = '\0';
            after_end = true;
            continue;
        }
        if (after_end) {
            if (c == '"') {
                size_t j = i + 1;
                while (j < len && s[j] != '"') j++;
                if (out) out[n] = s + i + 1;
                n++;
                if (j < len) {
                    if (out) s[j] = '\0';
                    after_end = true;
                } else {
                    after_end = false;
                }
                i = j;
                continue;
            }
            if (out) out[n] = s + i;
            n++;
        }
        after_end = false;
    }
    return n;
}

/// Splits an allocated command copy (whose leading blanks are already gone) into a word list
/// that takes the copy over; on failure the copy is released.
int split_command(char *copy, int *count, char ***list)
{
    const size_t len = cut_trailing_blanks(copy, strlen(copy));
    const size_t n = command_words(copy, len, nullptr);
    if (n >= static_cast<size_t>(INT_MAX)) {
        free(copy);
        return -1;
    }
    char **words = static_cast<char **>(malloc((n + 1) * sizeof(char *)));
    if (!words) {
        free(copy);
        return -1;
    }
    words[0] = copy;
    command_words(copy, len, words);
    words[n] = nullptr;
    *count = static_cast<int>(n);
    *list = words;
    return 0;
}

inline const char *skip_blanks(const char *s)
{
    while (*s == ' ') s++;
    return s;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// In-place editing
// ---------------------------------------------------------------------------------------------

int fill_string(char *str, char from, char to)
{
    if (!str || from == '\0') return 0;
    for (char *p = str; (p = strchr(p, from)) != nullptr; p++) *p = to;
    return 0;
}

int strip_string(char *str, char c)
{
    if (!str || c == '\0') return 0;
    char *w = str;
    for (const char *r = str; *r; r++)
        if (*r != c) *w++ = *r;
    *w = '\0';
    return 0;
}

int wsstrip_string(char *str)
{
    if (!str) return 1;
    char *w = str;
    for (const char *r = str; *r; r++)
        if (*r != '\n' && *r != '\r') *w++ = *r;
    *w = '\0';
    return 1;
}

int wstrim_string(char *str)
{
    if (!str) return 1;
    wsstrip_string(str);
    cut_trailing_blanks(str, strlen(str));
    return 1;
}

int trim_string(char *str)
{
    if (str) cut_trailing_blanks(str, strlen(str));
    return 0;
}

int trim_cr_string(char *str)
{
    if (!str) return 0;
    size_t len = strlen(str);
    while (len > 0 && str[len - 1] == '\r') str[--len] = '\0';
    return 0;
}

int strip_spaces(char *str)
{
    if (!str) return 0;
    cut_trailing_blanks(str, strlen(str));
    char *w = str;
    for (const char *r = str; *r; r++)
        if (*r != ' ' || r == str || r[-1] != ' ') *w++ = *r;
    *w = '\0';
    return 0;
}

int strip_escape(char *str)
{
    if (!str) return 0;
    char *w = str;
    for (const char *r = str; *r; r++) {
        if (*r == '\\') {
            r++;
            if (*r == '\0') break;  // a backslash at the very end is dropped
        }
        *w++ = *r;
    }
    *w = '\0';
    return 0;
}

int shift_string(char *str, int count)
{
    if (!str) return 0;
    const size_t len = strlen(str);
    // Widened so that the magnitude of the most negative count is representable.
    const long long k = count < 0 ? -static_cast<long long>(count) : count;
    if (static_cast<unsigned long long>(k) >= len) {
        str[0] = '\0';
    } else if (count < 0) {
        memmove(str, str + k, len - k + 1);
    } else {
        str[len - k] = '\0';
    }
    return 0;
}

int up_string(char *str)
{
    if (!str || !*str) return 0;
    for (char *p = str; *p; p++)
        if (is_lower(static_cast<unsigned char>(*p))) *p = static_cast<char>(*p - ('a' - 'A'));
    return 1;
}

int low_string(char *str)
{
    if (!str || !*str) return 0;
    for (char *p = str; *p; p++)
        if (is_upper(static_cast<unsigned char>(*p))) *p = static_cast<char>(*p + ('a' - 'A'));
    return 1;
}

int clean_line(char *str)
{
    if (!str || !*str) return 0;
    size_t len = strlen(str);
    while (len > 0 && static_cast<unsigned char>(str[len - 1]) < 32) str[--len] = '\0';
    for (size_t i = 0; i < len; i++) {
        const unsigned char c = static_cast<unsigned char>(str[i]);
        if (c < 32 || c > 127) str[i] = ' ';
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Tests
// ---------------------------------------------------------------------------------------------

int string_is_float(const char *str)
{
    if (!str) return 0;
    return strpbrk(str, ".E") != nullptr;
}

int string_is_alpha(const char *str)
{
    if (!str || !*str) return 0;
    for (const char *p = str; *p; p++) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (!is_upper(c) && !is_lower(c)) return 0;
    }
    return 1;
}

int string_is_num(const char *str)
{
    if (!str || !*str) return 0;
    const char *p = str;
    if (*p == '-') p++;
    for (; *p; p++)
        if (!is_digit(static_cast<unsigned char>(*p))) return 0;
    return 1;
}

int string_is_num_len(const char *str, int n)
{
    if (!str || !*str) return 0;
    // The terminator is no digit, so a shorter text stops the loop before it is passed.
    for (int i = 0; i < n; i++)
        if (!is_digit(static_cast<unsigned char>(str[i]))) return 0;
    return 1;
}

int string_is_blank(const char *str)
{
    if (!str) return 1;
    for (const char *p = str; *p; p++)
        if (static_cast<signed char>(*p) > 32) return 0;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Allocation and word lists
// ---------------------------------------------------------------------------------------------

char *create_string(const char *str)
{
    if (!str) return nullptr;
    const size_t len = strlen(str);
    char *copy = static_cast<char *>(malloc(len + 1));
    if (copy) memcpy(copy, str, len + 1);
    return copy;
}

char *create_strcat(const char *old_str, const char *delim, const char *new_str)
{
    if (!new_str) return nullptr;
    if (!old_str) old_str = "";
    if (!delim) delim = "";
    const size_t lo = strlen(old_str), ld = strlen(delim), ln = strlen(new_str);
    char *s = static_cast<char *>(malloc(lo + ld + ln + 1));
    if (!s) return nullptr;
    memcpy(s, old_str, lo);
    memcpy(s + lo, delim, ld);
    memcpy(s + lo + ld, new_str, ln + 1);
    return s;
}

int parse_string(const char *str, char delim, int *count, char ***list)
{
    if (!count || !list) return -1;
    *count = 0;
    *list = nullptr;
    if (!str || !*str) return -1;

    size_t len = strlen(str);
    char *copy = static_cast<char *>(malloc(len + 1));
    if (!copy) return -1;
    memcpy(copy, str, len + 1);

    // Trailing delimiters end no field; a text of delimiters only leaves the empty copy.
    while (len > 0 && copy[len - 1] == delim) copy[--len] = '\0';

    size_t n = 1;
    if (delim != '\0')
        for (const char *p = copy; (p = static_cast<const char *>(memchr(p, delim, copy + len - p))) != nullptr; p++) n++;
    if (n >= static_cast<size_t>(INT_MAX)) {
        free(copy);
        return -1;
    }
    char **words = static_cast<char **>(malloc(n * sizeof(char *)));
    if (!words) {
        free(copy);
        return -1;
    }
    words[0] = copy;
    size_t k = 1;
    for (char *p = copy; k < n; k++) {
        p = static_cast<char *>(memchr(p, delim, copy + len - p));
        *p++ = '\0';
        words[k] = p;
    }
    *count = static_cast<int>(n);
    *list = words;
    return 0;
}

int parse_command(const char *str, int *count, char ***list)
{
    if (!count || !list) return -1;
    *count = 0;
    *list = nullptr;
    if (!str || !*str) return -1;
    char *copy = create_string(skip_blanks(str));
    if (!copy) return -1;
    return split_command(copy, count, list);
}

int parse_command_line(const char *command, const char *str, int *count, char ***list)
{
    if (!count || !list) return -1;
    *count = 0;
    *list = nullptr;
    if (!command) command = "";
    if (!str || (!*str && !*command)) return -1;

    // The command word, a blank and the text, with the leading blanks of the whole removed.
    const char *cmd = skip_blanks(command);
    const char *text = skip_blanks(str);
    const size_t lc = strlen(cmd), lt = strlen(text);
    char *copy = static_cast<char *>(malloc(lc + 1 + lt + 1));
    if (!copy) return -1;
    char *p = copy;
    if (lc > 0) {
        memcpy(p, cmd, lc);
        p += lc;
        *p++ = ' ';
    }
    memcpy(p, text, lt + 1);
    return split_command(copy, count, list);
}

int free_parsed_array(int count, char **list)
{
    if (count <= 0 || !list) return 0;
    free(list[0]);
    free(list);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Comparison, search, copying and formatting
// ---------------------------------------------------------------------------------------------

int stricmp(const char *a, const char *b)
{
    if (!a || !b) return 1;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(b);
    for (;; p++, q++) {
        const int ca = fold(*p), cb = fold(*q);
        if (ca != cb || ca == 0) return ca - cb;
    }
}

int strnicmp(const char *a, const char *b, int n)
{
    if (!a || !b) return 1;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(b);
    for (int i = 0;; i++) {
        const int ca = fold(p[i]), cb = fold(q[i]);
        if (ca != cb || ca == 0) return ca - cb;
        if (i + 1 >= n) return 0;
    }
}

int searchstr(const char *const *list, int n, const char *str)
{
    if (!list || !str) return 0;
    for (int i = 0; i < n; i++)
        if (stricmp(list[i], str) == 0) return 1;
    return 0;
}

char *strlstr(const char *str, const char *part)
{
    if (!str || !part) return nullptr;
    const size_t ls = strlen(str), lp = strlen(part);
    if (lp > ls) return nullptr;
    for (size_t i = ls - lp + 1; i-- > 0;)
        if (memcmp(str + i, part, lp) == 0) return const_cast<char *>(str + i);
    return nullptr;
}

int strntcpy(char *dest, const char *src, int n)
{
    if (!dest) return 0;
    size_t i = 0;
    if (src)
        for (; static_cast<long long>(i) < n && src[i]; i++) dest[i] = src[i];
    dest[i] = '\0';
    return 1;
}

size_t strfcpy(char *dest, size_t size, const char *src, size_t n)
{
    if (!dest || size == 0) return 0;
    const size_t len = src ? strnlen(src, std::min(n, size - 1)) : 0;
    if (len) memmove(dest, src, len);
    dest[len] = '\0';
    return len;
}

int strmcat(char *dest, const char *src, int m)
{
    if (!dest || !src || m < 0) return 0;
    const size_t len = strlen(dest);
    const size_t room_total = static_cast<size_t>(m);
    if (len >= room_total) return 0;
    const size_t room = room_total - len;
    size_t k = 0;
    while (k < room && src[k]) k++;  // never reads past either the source or the room
    memcpy(dest + len, src, k);
    dest[len + k] = '\0';
    return 1;
}

char *set_num(char *buf, size_t size, const char *format, float x)
{
    if (!buf || size == 0) return buf;
    double v = x;
    if (std::fabs(v) < 1e-5) v = 0.0;
    int mag = 2;
    if (v != 0.0 && std::isfinite(v)) mag = static_cast<int>(std::floor(std::log10(std::fabs(v))));

    // Missing numbers of the format count as 0; the digits are kept to what a float can carry.
    int w = 0, s = 0, d = 0;
    if (format) sscanf(format, "%d.%d.%d", &w, &s, &d);
    s = s < 0 ? 0 : (s > 40 ? 40 : s);
    d = d < 0 ? 0 : (d > 60 ? 60 : d);
    if (w <= 0) w = s + 1;
    if (w > 9) w = 9;
    int p = s - mag - 1;
    if (p < d) p = d;
    if (p < 0) p = 0;
    if (w < p) w = p;
    snprintf(buf, size, "%*.*f", w, p, v);
    return buf;
}

int chk_arg(const char *word, const char *const *names, int n)
{
    if (!word) return VYK_MISS;
    if (names)
        for (int i = 0; i < n; i++)
            if (stricmp(word, names[i]) == 0) return i;
    // A number as "%d" reads it: leading white space, a sign and digits, anything after ignored.
    char *end = nullptr;
    errno = 0;
    const long v = strtol(word, &end, 10);
    if (end == word || errno == ERANGE) return VYK_MISS;
    if (v >= 1 && v <= n) return static_cast<int>(v);
    return VYK_MISS;
}

// The safety rule for printf formats that come from users and files: literal text, any number of
// "%%", and exactly one conversion made of flags, a width and a precision of at most three digits
// each and a conversion letter from the caller's list (no '*', no length modifier).
int format_one_conv(const char *format, const char *convs)
{
    if (!format || !convs) return 0;
    int count = 0;
    for (const char *p = format; *p; p++) {
        if (*p != '%') continue;
        p++;
        if (*p == '%') continue;
        while (*p && strchr("-+ #0", *p)) p++;
        int digits = 0;
        while (*p >= '0' && *p <= '9') p++, digits++;
        if (digits > 3) return 0;
        if (*p == '.') {
            p++;
            digits = 0;
            while (*p >= '0' && *p <= '9') p++, digits++;
            if (digits > 3) return 0;
        }
        if (*p == '\0' || !strchr(convs, *p)) return 0;
        count++;
    }
    return count == 1 ? 1 : 0;
}
