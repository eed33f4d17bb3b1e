// vykscan.h: the pattern scanner (scanp.cpp).
#ifndef VYKSCAN_H
#define VYKSCAN_H

#include <cstddef>

/// The cursor of the pattern scanner over one text line; the caller owns it and the line.
struct parse_param {
    char *ptr;     // the line being scanned (not copied)
    int length;    // characters of the line
    int off;       // offset from ptr at which the next scanp starts
    int len;       // characters consumed by the last scanp, counted from the cursor
    int assigned;  // values stored by the last scanp
    int matched;   // directives matched by the last scanp
    int done;      // 1 when the last scanp used up its whole pattern, else 0
};

/// One destination of scanp: an int (%n, %d, %D), a float (%f, %F), or a character buffer of
/// `size` bytes for every other conversion (text is cut to fit and terminated; %c fills at most
/// `size` characters without a terminator).  Arrays carry their size; a plain pointer needs
/// scanp_text(buf, size).
struct parse_out {
    enum kind_t : unsigned char { INT, FLOAT, TEXT };
    kind_t kind;
    void *ptr;
    size_t size;
    parse_out(int *v) : kind(INT), ptr(v), size(sizeof(int)) {}
    parse_out(float *v) : kind(FLOAT), ptr(v), size(sizeof(float)) {}
    template <size_t N> parse_out(char (&buf)[N]) : kind(TEXT), ptr(buf), size(N) {}
    parse_out(char *buf, size_t n) : kind(TEXT), ptr(buf), size(n) {}
};
inline parse_out scanp_text(char *buf, size_t size) { return parse_out(buf, size); }

/// Matches pattern at the cursor, storing into outs[0 .. nouts-1] in the order of the storing
/// directives; returns the number of directives matched, or -1 when nothing could be scanned.
int scanp_list(parse_param *cursor, const char *pattern, const parse_out *outs, int nouts);

/// scanp(cursor, pattern, &i, &f, buf, scanp_text(p, n), ...): one destination per storing
/// directive.
template <class... Outs> int scanp(parse_param *cursor, const char *pattern, Outs &&...outs)
{
    if constexpr (sizeof...(Outs) == 0) {
        return scanp_list(cursor, pattern, nullptr, 0);
    } else {
        const parse_out list[] = {parse_out(static_cast<Outs &&>(outs))...};
        return scanp_list(cursor, pattern, list, static_cast<int>(sizeof...(Outs)));
    }
}

int scanp_set(parse_param *cursor, char *text);
int scanp_get_off(const parse_param *cursor);
int scanp_off(parse_param *cursor, int offset);
int scanp_inc_off(parse_param *cursor, int n);
int scanp_inc(parse_param *cursor);
char *scanp_str(const parse_param *cursor);
int scanp_char(const parse_param *cursor, int k);
int scanp_replace(parse_param *cursor, int k, int ch);
int scanp_search(parse_param *cursor, const char *text);
int scanp_print(const parse_param *cursor);

#endif
