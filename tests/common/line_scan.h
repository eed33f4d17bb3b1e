// The line convention as scan formats define it: a line read is "%N[^\n]%n", and when that
// matches nothing (the stream stands at a newline) "%*c%N[^\n]%n".  The line readers must give
// exactly the results, buffers and stream positions of these scans; the unit tests and the fuzz
// target check them against each other.
#ifndef VYK_LINE_SCAN_H
#define VYK_LINE_SCAN_H

#include <cstdio>

namespace vyktest {

/// Reads a line of at most n characters into buf as the scans do: the characters read, -1 at
/// the end of the stream, 0 (with an empty buf) for an empty line.
inline int scan_getnline(FILE *fp, char *buf, int n)
{
    char first[32], second[32];
    snprintf(first, sizeof first, "%%%d[^\n]%%n", n);
    snprintf(second, sizeof second, "%%*c%%%d[^\n]%%n", n);
    int count = 0;
    int r = fscanf(fp, first, buf, &count);
    if (r == 1)
        return count;
    if (r == EOF)
        return -1;
    r = fscanf(fp, second, buf, &count);
    if (r == 1)
        return count - 1;
    if (r == EOF)
        return -1;
    buf[0] = '\0';
    return 0;
}

/// Skips the rest of a line and its newline as the scan "%*[^\n]%*c" does.
inline int scan_skipline(FILE *fp)
{
    return fscanf(fp, "%*[^\n]%*c");
}

}  // namespace vyktest

#endif
