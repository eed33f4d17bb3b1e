// Pattern scanner: matches a pattern of literals, blanks and '%' directives at the cursor of a
// text line and stores the converted fields in the caller's destinations.
//
// Directive: '%' ['*'] ['<'] [width] ['!' missing-text '!'] conversion, with the conversions
//   n  the input position reached (int)         d  [-]digits (int)
//   D  blanks, [-]digits, blanks (int)          f  [-]digits[.digits][e[+-]digits] (float)
//   F  blanks, a number as f, blanks (float)    s  a run up to white space, at most 80 characters
//   S  the rest of the line                     c  width characters (one without a width)
//   A  letters      N  digits      w  blanks, tabs, line ends      W  as w without line feeds
//   [set] / [^set]  a run of members / non-members (/A any letter, /N any digit, // a slash)
//   (a|b|...)       the first alternative that stands at the cursor
// A number directive that finds no number but its missing text stores -9999; when the missing
// text is not there either, it is passed over.
//
// Every destination carries its size: text is cut to fit (always terminated, except for %c),
// never written past.  Nothing is allocated; the scanner keeps no state besides the cursor.
#include "vykbase.h"
#include "vykmess.h"
#include "vykcdf.h"
#include "vykscan.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr int DEFAULT_WIDTH = 999;
constexpr int TOKEN_MAX = 80;  // the longest run that %s takes
constexpr int WIDTH_MAX = INT_MAX / 4;

inline bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
inline bool is_space(int c) { return is_blank(c) || c == '\v' || c == '\f'; }
inline bool is_digit(int c) { return c >= '0' && c <= '9'; }
inline bool is_alpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// One parsed directive.
struct Directive {
    bool suppress = false;   // '*': matches, stores nothing
    bool less = false;       // '<' written
    bool at_most = false;    // '<' or no width: the width is a maximum
    bool has_width = false;
    int width = DEFAULT_WIDTH;
    bool has_miss = false;
    const char *miss = nullptr;  // missing-value text (in the pattern)
    int miss_len = 0;
    char conv = 0;
    bool negate = false;         // [^...]
    const char *body = nullptr;  // set members or alternatives (in the pattern)
    int body_len = 0;
};

enum class Outcome { fail, match, passed };

class Scanner {
public:
    Scanner(const char *in, int avail, const parse_out *outs, int nouts)
        : in_(in), avail_(avail), outs_(outs), nouts_(nouts)
    {
    }

    int p = 0;         // input position
    int matched = 0;
    int assigned = 0;

    // The input character at position i, or -1 at the end of the line.
    int at(int i) const
    {
        if (i >= avail_) return -1;
        const unsigned char c = static_cast<unsigned char>(in_[i]);
        return c ? c : -1;
    }

    const char *rest() const { return in_ + p; }
    int rest_len() const { return avail_ - p; }

    // Characters the current directive may look at: its width, cut at the end of the line.
    int limit(int width) const { return width < avail_ - p ? width : avail_ - p; }

    template <class Pred>
    int run(int from, int max, Pred member) const
    {
        int n = 0;
        while (n < max) {
            const int c = at(from + n);
            if (c < 0 || !member(c)) break;
            ++n;
        }
        return n;
    }

    // Pattern blank: one or more of blank, tab, line feed, carriage return.
    bool blank()
    {
        const int n = run(p, INT_MAX, is_blank);
        if (n == 0) return false;
        p += n;
        return true;
    }

    bool literal(char ch)
    {
        if (at(p) != static_cast<unsigned char>(ch)) return false;
        ++p;
        return true;
    }

    Outcome directive(const Directive &d);

private:
    const char *in_;
    int avail_;
    const parse_out *outs_;
    int nouts_;
    int next_out_ = 0;
    const parse_out *slot_ = nullptr;

    bool take_slot(const Directive &d);
    void put_text(const char *s, int n, bool terminate) const;
    void put_int(int v) const
    {
        if (slot_) *static_cast<int *>(slot_->ptr) = v;
    }
    void put_float(float v) const
    {
        if (slot_) *static_cast<float *>(slot_->ptr) = v;
    }

    Outcome run_text(const Directive &d, int n);
    Outcome alternatives(const Directive &d);
    Outcome number(const Directive &d);
    Outcome missing_number(const Directive &d);
};

// Takes the destination of a storing directive and checks that it suits the conversion.
bool Scanner::take_slot(const Directive &d)
{
    slot_ = nullptr;
    if (d.suppress) return true;
    parse_out::kind_t want = parse_out::TEXT;
    if (d.conv == 'n' || d.conv == 'd' || d.conv == 'D')
        want = parse_out::INT;
    else if (d.conv == 'f' || d.conv == 'F')
        want = parse_out::FLOAT;
    const int index = next_out_++;
    if (index >= nouts_ || outs_[index].kind != want || !outs_[index].ptr) {
        MESS_print(M_WARN, "scanp: destination %d does not suit %%%c\n", index + 1, d.conv);
        return false;
    }
    slot_ = &outs_[index];
    return true;
}

// Stores n characters, cut to the destination's size; text is terminated.
void Scanner::put_text(const char *s, int n, bool terminate) const
{
    if (!slot_ || slot_->size == 0) return;
    char *dst = static_cast<char *>(slot_->ptr);
    size_t room = terminate ? slot_->size - 1 : slot_->size;
    size_t count = static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room;
    std::memmove(dst, s, count);  // the destination may lie inside the scanned line
    if (terminate) dst[count] = '\0';
}

Outcome Scanner::run_text(const Directive &d, int n)
{
    if (n == 0) return Outcome::fail;
    if (!d.at_most && n != d.width) return Outcome::fail;
    put_text(in_ + p, n, d.conv != 'c');
    p += n;
    return Outcome::match;
}

Outcome Scanner::alternatives(const Directive &d)
{
    const int lim = limit(d.width);
    const char *a = d.body;
    const char *end = d.body + d.body_len;
    for (;;) {
        const char *bar = static_cast<const char *>(std::memchr(a, '|', static_cast<size_t>(end - a)));
        const char *stop = bar ? bar : end;
        const int n = static_cast<int>(stop - a);
        if (n <= lim) {
            int i = 0;
            while (i < n && at(p + i) == static_cast<unsigned char>(a[i])) ++i;
            if (i == n) {
                if (!d.at_most && n != d.width) return Outcome::fail;
                put_text(a, n, true);
                p += n;
                return Outcome::match;
            }
        }
        if (!bar) break;
        a = bar + 1;
    }
    if (d.has_miss) {
        // As much of the missing text as stands here is consumed; the empty text is stored.
        int i = 0;
        while (i < d.miss_len && i < lim && at(p + i) == static_cast<unsigned char>(d.miss[i])) ++i;
        put_text("", 0, true);
        p += i;
        return Outcome::match;
    }
    if (d.less && !d.has_width) return Outcome::match;  // optional: nothing written
    return Outcome::fail;
}

// No number found: the missing text stores -9999, otherwise the directive is passed over.
Outcome Scanner::missing_number(const Directive &d)
{
    if (!d.has_miss) return Outcome::fail;
    if (d.miss_len > limit(d.width)) return Outcome::passed;
    for (int i = 0; i < d.miss_len; ++i)
        if (at(p + i) != static_cast<unsigned char>(d.miss[i])) return Outcome::passed;
    if (d.conv == 'd' || d.conv == 'D')
        put_int(VYK_MISS);
    else
        put_float(static_cast<float>(VYK_MISS));
    p += d.miss_len;
    return Outcome::match;
}

Outcome Scanner::number(const Directive &d)
{
    const bool padded = d.conv == 'D' || d.conv == 'F';
    const bool real = d.conv == 'f' || d.conv == 'F';
    const int end = p + limit(d.width);
    auto here = [&](int i) { return i < end ? at(i) : -1; };

    int q = p;
    if (padded)
        while (is_space(here(q))) ++q;
    const int start = q;
    if (here(q) == '-') ++q;
    int digits = 0;
    bool point = false;
    for (;;) {
        const int c = here(q);
        if (is_digit(c)) {
            ++digits;
        } else if (real && c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        ++q;
    }
    if (digits == 0) return missing_number(d);
    if (real && (here(q) == 'e' || here(q) == 'E')) {
        int e = q + 1;
        if (here(e) == '+' || here(e) == '-') ++e;
        if (is_digit(here(e))) {
            while (is_digit(here(e))) ++e;
            q = e;
        }
    }
    const int stop = q;
    if (padded)
        while (is_space(here(q))) ++q;
    if (!d.at_most && q - p != d.width) return Outcome::fail;

    const char *first = in_ + start;
    const char *last = in_ + stop;
    if (real) {
        float v = 0.0f;
        auto r = std::from_chars(first, last, v);
        if (r.ec == std::errc::result_out_of_range) {
            // Too small for a float comes out as 0 or a subnormal; too large is no value.
            double dv = 0.0;
            auto rd = std::from_chars(first, last, dv);
            if (rd.ec != std::errc() || rd.ptr != last || std::fabs(dv) > FLT_MAX) return Outcome::fail;
            v = static_cast<float>(dv);
        } else if (r.ec != std::errc() || r.ptr != last) {
            return Outcome::fail;
        }
        put_float(v);
    } else {
        int v = 0;
        auto r = std::from_chars(first, last, v);
        if (r.ec != std::errc() || r.ptr != last) return Outcome::fail;  // beyond the int range
        put_int(v);
    }
    p = q;
    return Outcome::match;
}

Outcome Scanner::directive(const Directive &d)
{
    if (!take_slot(d)) return Outcome::fail;
    const int lim = limit(d.width);
    switch (d.conv) {
    case 'n':
        put_int(p);
        return Outcome::match;
    case 'd':
    case 'D':
    case 'f':
    case 'F':
        return number(d);
    case '(':
        return alternatives(d);
    case 's': {
        const int max = lim < TOKEN_MAX ? lim : TOKEN_MAX;
        return run_text(d, run(p, max, [](int c) { return !is_space(c); }));
    }
    case 'S':
        return run_text(d, run(p, lim, [](int) { return true; }));
    case 'c':
        return run_text(d, run(p, lim, [](int) { return true; }));
    case 'A':
        return run_text(d, run(p, lim, is_alpha));
    case 'N':
        return run_text(d, run(p, lim, is_digit));
    case 'w':
        return run_text(d, run(p, lim, is_blank));
    case 'W':
        return run_text(d, run(p, lim, [](int c) { return c == ' ' || c == '\t' || c == '\r'; }));
    case '[': {
        bool member[256] = {};
        const char *s = d.body;
        const char *end = d.body + d.body_len;
        while (s < end) {
            if (*s == '/' && s + 1 < end && (s[1] == 'A' || s[1] == 'N' || s[1] == '/')) {
                if (s[1] == 'A')
                    for (int c = 0; c < 26; ++c) member['a' + c] = member['A' + c] = true;
                else if (s[1] == 'N')
                    for (int c = '0'; c <= '9'; ++c) member[c] = true;
                member[static_cast<unsigned char>(s[1])] = true;
                s += 2;
            } else {
                member[static_cast<unsigned char>(*s)] = true;
                ++s;
            }
        }
        const bool negate = d.negate;
        return run_text(d, run(p, lim, [&](int c) { return member[c] != negate; }));
    }
    default:
        return Outcome::fail;
    }
}

// Parses the directive after a '%'.  Returns the pattern position after it; for an unknown
// conversion, the position of that character (it is matched as the next element); nullptr for
// a set, alternatives or missing text that is not closed.
const char *parse_directive(const char *q, Directive &d, bool &known)
{
    known = false;
    if (*q == '*') {
        d.suppress = true;
        ++q;
    }
    if (*q == '<') {
        d.less = d.at_most = true;
        ++q;
    }
    if (is_digit(static_cast<unsigned char>(*q))) {
        d.has_width = true;
        long w = 0;
        while (is_digit(static_cast<unsigned char>(*q))) {
            if (w < WIDTH_MAX) w = w * 10 + (*q - '0');
            ++q;
        }
        d.width = static_cast<int>(w < WIDTH_MAX ? w : WIDTH_MAX);
    } else {
        d.at_most = true;  // no width: at most 999 characters
    }
    if (*q == '!') {
        const char *close = std::strchr(q + 1, '!');
        if (!close) return nullptr;
        d.has_miss = true;
        d.miss = q + 1;
        d.miss_len = static_cast<int>(close - q - 1);
        q = close + 1;
    }
    d.conv = *q;
    switch (d.conv) {
    case '(': {
        const char *close = std::strchr(q + 1, ')');
        if (!close) return nullptr;
        d.body = q + 1;
        d.body_len = static_cast<int>(close - q - 1);
        known = true;
        return close + 1;
    }
    case '[': {
        const char *s = q + 1;
        if (*s == '^') {
            d.negate = true;
            ++s;
        }
        const char *close = std::strchr(s, ']');
        if (!close) return nullptr;
        d.body = s;
        d.body_len = static_cast<int>(close - s);
        known = true;
        return close + 1;
    }
    case 'c':
        if (!d.has_width) {
            d.width = 1;  // one character, exactly
            d.at_most = false;
        }
        [[fallthrough]];
    case 'n':
    case 'A':
    case 's':
    case 'S':
    case 'N':
    case 'w':
    case 'W':
    case 'd':
    case 'D':
    case 'f':
    case 'F':
        known = true;
        return q + 1;
    default:
        return q;  // not a conversion: left for the next element
    }
}

}  // namespace

int scanp_list(parse_param *cursor, const char *pattern, const parse_out *outs, int nouts)
{
    if (!cursor) return -1;
    cursor->len = cursor->matched = cursor->assigned = cursor->done = 0;
    if (!pattern || !*pattern || !cursor->ptr) return -1;
    if (cursor->off < 0 || cursor->off >= cursor->length) return -1;

    const char *in = cursor->ptr + cursor->off;
    Scanner sc(in, cursor->length - cursor->off, outs, outs ? nouts : 0);
    const bool trace = MESS_check(M_DEBUG_D);

    const char *q = pattern;
    bool failed = false;
    while (*q && !failed) {
        if (*q == ' ') {
            failed = !sc.blank();
            ++q;
        } else if (*q != '%') {
            failed = !sc.literal(*q);
            ++q;
        } else {
            Directive d;
            bool known = false;
            const char *next = parse_directive(q + 1, d, known);
            if (!next) {
                failed = true;
                break;
            }
            q = next;
            if (!known) continue;  // the character after the flags is the next element
            switch (sc.directive(d)) {
            case Outcome::fail:
                failed = true;
                break;
            case Outcome::match:
                ++sc.matched;
                if (!d.suppress) ++sc.assigned;
                break;
            case Outcome::passed:
                break;
            }
        }
        if (!failed && trace) {
            const int n = sc.rest_len() < 50 ? sc.rest_len() : 50;
            MESS_print(M_DEBUG_D, "     :%s:%.*s:\n", q, n, sc.rest());
        }
    }

    cursor->done = !failed && !*q ? 1 : 0;
    cursor->len = sc.p;
    cursor->matched = sc.matched;
    cursor->assigned = sc.assigned;
    if (trace) {
        const int avail = cursor->length - cursor->off;
        MESS_print(M_DEBUG_D, "SCANP:%.*s:%s:%d:%d:%d:%d:%d\n", avail < 50 ? avail : 50, in,
                   pattern, cursor->off, cursor->len, cursor->done, cursor->assigned,
                   cursor->matched);
    }
    return cursor->matched;
}

int scanp_set(parse_param *cursor, char *text)
{
    cursor->ptr = text;
    cursor->length = text ? static_cast<int>(strnlen(text, INT_MAX)) : 0;
    cursor->off = 0;
    cursor->len = cursor->assigned = cursor->matched = cursor->done = 0;
    return 1;
}

int scanp_get_off(const parse_param *cursor) { return cursor->off; }

int scanp_off(parse_param *cursor, int offset)
{
    cursor->off = offset;
    return 1;
}

int scanp_inc_off(parse_param *cursor, int n)
{
    cursor->off += n;
    return 1;
}

int scanp_inc(parse_param *cursor)
{
    cursor->off += cursor->len;
    return 1;
}

// The text at the cursor; a cursor outside the line gives the nearer end of the line.
char *scanp_str(const parse_param *cursor)
{
    if (!cursor->ptr) return nullptr;
    int off = cursor->off;
    if (off < 0) off = 0;
    if (off > cursor->length) off = cursor->length;
    return cursor->ptr + off;
}

// Outside the line there is no character: 0.
int scanp_char(const parse_param *cursor, int k)
{
    const long i = static_cast<long>(cursor->off) + k;
    if (!cursor->ptr || i < 0 || i >= cursor->length) return 0;
    return static_cast<unsigned char>(cursor->ptr[i]);
}

// Only characters inside the line can be replaced; elsewhere nothing is written and -1 returned.
int scanp_replace(parse_param *cursor, int k, int ch)
{
    const long i = static_cast<long>(cursor->off) + k;
    if (!cursor->ptr || i < 0 || i >= cursor->length) return -1;
    cursor->ptr[i] = static_cast<char>(ch);
    return ch;
}

int scanp_search(parse_param *cursor, const char *text)
{
    if (!cursor->ptr || !text) return 0;
    const size_t n = strnlen(cursor->ptr, static_cast<size_t>(cursor->length > 0 ? cursor->length : 0));
    const size_t at = std::string_view(cursor->ptr, n).find(text);
    if (at == std::string_view::npos) return 0;
    cursor->off = static_cast<int>(at);
    return 1;
}

int scanp_print(const parse_param *cursor)
{
    const char *s = scanp_str(cursor);
    const int n = s ? static_cast<int>(cursor->ptr + cursor->length - s) : 0;
    std::printf("scanp:%.*s:%d:%d:%d:%d\n", n, s ? s : "", cursor->len, cursor->done,
                cursor->assigned, cursor->matched);
    return 1;
}
