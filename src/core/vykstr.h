// vykstr.h: string utilities and word lists (string_util.cpp).
#ifndef VYKSTR_H
#define VYKSTR_H

#include <cstddef>
#include <cstdint>

int fill_string(char *str, char from, char to);
int strip_string(char *str, char c);
int wsstrip_string(char *str);
int wstrim_string(char *str);
int trim_string(char *str);
int trim_cr_string(char *str);
int strip_spaces(char *str);
int strip_escape(char *str);
int shift_string(char *str, int count);
int up_string(char *str);
int low_string(char *str);
int clean_line(char *str);

int string_is_float(const char *str);
int string_is_alpha(const char *str);
int string_is_num(const char *str);
int string_is_num_len(const char *str, int n);
int string_is_blank(const char *str);

char *create_string(const char *str);
char *create_strcat(const char *old_str, const char *delim, const char *new_str);
int parse_string(const char *str, char delim, int *count, char ***list);
int parse_command(const char *str, int *count, char ***list);
int parse_command_line(const char *command, const char *str, int *count, char ***list);
int free_parsed_array(int count, char **list);

int stricmp(const char *a, const char *b);
int strnicmp(const char *a, const char *b, int n);
int searchstr(const char *const *list, int n, const char *str);
char *strlstr(const char *str, const char *part);
int strntcpy(char *dest, const char *src, int n);
/// The bounded copy into a fixed-size field: copies src, up to its end or n characters, into
/// dest of size bytes, cut to size - 1 characters and always terminated; dest and src may be
/// the same or overlap.  A NULL src gives an empty field; a NULL dest or size 0 writes nothing.
/// Returns the characters copied.
size_t strfcpy(char *dest, size_t size, const char *src, size_t n = SIZE_MAX);
template <size_t N> size_t strfcpy(char (&dest)[N], const char *src, size_t n = SIZE_MAX)
{
    return strfcpy(dest, N, src, n);
}
int strmcat(char *dest, const char *src, int m);
/// Writes x with the significant digits of the format "W.S.D" into buf, never past size bytes.
char *set_num(char *buf, size_t size, const char *format, float x);
template <size_t N> char *set_num(char (&buf)[N], const char *format, float x)
{
    return set_num(buf, N, format, x);
}
int chk_arg(const char *word, const char *const *names, int n);
/// 1 when a printf format from a user or a file may be used: exactly one conversion, with flags,
/// width and precision (at most three digits each) and one of the letters of convs ("efgEG" for
/// a float, "d" for an int), besides literal text and "%%"; else 0.
int format_one_conv(const char *format, const char *convs);

#endif
