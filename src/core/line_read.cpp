// Line readers for text files.
//
// The line convention of every reader here: a read takes the characters of one line up to, but
// not including, its newline, and leaves that newline in the stream.  The next read first tries
// to take characters; when the stream stands at a newline it skips exactly that one character
// and takes the following line.  Hence an empty line in the middle of a file reads as an empty
// text, an empty line at the very start of a stream is not seen (the first read gives the second
// line), and a line longer than the limit comes in pieces without a newline between them.  When
// the stream ends right after the skipped newline, the buffer keeps its previous contents and
// the result is -1.
//
// These readers sit under every text-file reader of the system, so they walk the stream one
// character at a time instead of scanning with formats built at run time; they give exactly
// what the scans "%N[^\n]" and "%*c%N[^\n]" would give.
#include "vykfile.h"

#include <cstring>

namespace {

/// Takes at most max characters other than a newline into buf.  Returns the number stored (buf
/// terminated), 0 when the stream stands at a newline (left in the stream, buf untouched), -1
/// when the stream ends before any character (buf untouched).
inline int read_field(FILE *fp, char *buf, int max)
{
    int n = 0;
    while (n < max) {
        const int c = getc_unlocked(fp);
        if (c == EOF) {
            if (n == 0)
                return -1;
            break;
        }
        if (c == '\n') {
            ungetc(c, fp);
            break;
        }
        buf[n++] = static_cast<char>(c);
    }
    if (n > 0)
        buf[n] = '\0';
    return n;
}

/// One read of the line convention.  Returns the number of characters stored, 0 for an empty
/// line (buf emptied), -1 at the end of the stream (buf untouched).  max must be positive.
inline int read_line(FILE *fp, char *buf, int max)
{
    int n = read_field(fp, buf, max);
    if (n != 0)
        return n;
    getc_unlocked(fp);  // the newline the previous read left
    n = read_field(fp, buf, max);
    if (n == 0)
        buf[0] = '\0';
    return n;
}

}  // namespace

int fgetline(FILE *fp, char *buf)
{
    if (fp == nullptr || buf == nullptr)
        return -1;
    const int n = read_line(fp, buf, FGETLINE_MAX);
    return n > 0 ? static_cast<int>(std::strlen(buf)) : n;
}

// A limit n of 0 or less cannot take anything and would leave a reading loop running forever:
// it gives -1, as at the end of the stream, and neither the stream nor the buffer is touched.
int fgetnline(FILE *fp, char *buf, int n)
{
    if (fp == nullptr || buf == nullptr || n <= 0)
        return -1;
    return read_line(fp, buf, n);
}

int fgetstring(FILE *fp, char *buf, int n)
{
    if (fp == nullptr || buf == nullptr || n <= 0)
        return -1;
    const int got = read_line(fp, buf, n);
    return got > 0 ? 1 : got;
}

int fget_rawstring(FILE *fp, char *buf, int n)
{
    const int result = fgetstring(fp, buf, n);
    if (result != 1)
        return result;
    // From the last character to the first: a carriage return ends the text there, every other
    // byte of value 32 or less as a signed char (controls, blanks, bytes of 128 and more)
    // becomes a blank.
    for (size_t i = std::strlen(buf); i-- > 0;) {
        if (buf[i] == '\r')
            buf[i] = '\0';
        else if (static_cast<signed char>(buf[i]) <= 32)
            buf[i] = ' ';
    }
    return result;
}

// Skips the rest of the current line and its newline.  When the stream stands at a newline
// nothing is skipped and the result is 0; -1 when the stream ends first.
int fskipline(FILE *fp)
{
    if (fp == nullptr)
        return -1;
    int c = getc_unlocked(fp);
    if (c == EOF)
        return -1;
    if (c == '\n') {
        ungetc(c, fp);
        return 0;
    }
    do
        c = getc_unlocked(fp);
    while (c != EOF && c != '\n');
    return c == EOF ? -1 : 0;
}
