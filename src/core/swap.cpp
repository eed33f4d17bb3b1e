// Byte order of binary files: one process-wide switch and in-place swapping readers and writers.
//
// Readers and writers of binary files call swap_setup before their first value; the setting
// holds for the whole process until the next call.  Every operation below obeys it: with
// swapping off the swap functions leave the value alone and return -1.
#include "vykfile.h"
#include "vykscan.h"

#include <algorithm>
#include <cstring>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    /// 1: reverse the bytes of every value; 0: leave them.
    int swap = 1;
};
State st;

bool little_endian_host()
{
    const int one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

inline void reverse(void *p, size_t size)
{
    auto *b = static_cast<unsigned char *>(p);
    std::reverse(b, b + size);
}

int swap_values(void *p, size_t size, int n)
{
    if (!st.swap)
        return -1;
    auto *b = static_cast<unsigned char *>(p);
    for (int i = 0; i < n; i++)
        reverse(b + static_cast<size_t>(i) * size, size);
    return 0;
}

/// Reads one value of size bytes; the caller's value changes only when all of it was read.
int fread_swap(void *p, size_t size, FILE *fp)
{
    unsigned char value[8];
    if (p == nullptr || fp == nullptr || std::fread(value, size, 1, fp) != 1)
        return 0;
    if (st.swap)
        reverse(value, size);
    std::memcpy(p, value, size);
    return 1;
}

int fwrite_swap(void *p, size_t size, FILE *fp)
{
    if (p == nullptr || fp == nullptr)
        return 0;
    if (st.swap)
        reverse(p, size);  // the caller's value stays swapped
    return static_cast<int>(std::fwrite(p, size, 1, fp));
}

}  // namespace

// flag -1: never swap; 1: the file holds big-endian data; 2: the file holds little-endian data;
// any other value: always swap.
int swap_setup(int flag)
{
    switch (flag) {
    case -1:
        st.swap = 0;
        break;
    case 1:
        st.swap = little_endian_host() ? 1 : 0;
        break;
    case 2:
        st.swap = little_endian_host() ? 0 : 1;
        break;
    default:
        st.swap = 1;
        break;
    }
    return 0;
}

int swap_short(void *p)
{
    return swap_values(p, 2, 1);
}

int swap_long(void *p)
{
    return swap_values(p, 4, 1);
}

int swap_double(void *p)
{
    return swap_values(p, 8, 1);
}

int swap_shorts(void *p, int n)
{
    return swap_values(p, 2, n);
}

int swap_longs(void *p, int n)
{
    return swap_values(p, 4, n);
}

int fread_short_swap(void *p, FILE *fp)
{
    return fread_swap(p, 2, fp);
}

int fread_long_swap(void *p, FILE *fp)
{
    return fread_swap(p, 4, fp);
}

int fread_double_swap(void *p, FILE *fp)
{
    return fread_swap(p, 8, fp);
}

int fwrite_short_swap(void *p, FILE *fp)
{
    return fwrite_swap(p, 2, fp);
}

int fwrite_long_swap(void *p, FILE *fp)
{
    return fwrite_swap(p, 4, fp);
}
