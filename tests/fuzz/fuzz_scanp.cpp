// Fuzz target of the pattern scanner: an arbitrary pattern is matched against an arbitrary line,
// again and again from where the last match ended, with typed destinations.  Layout: two bytes
// choose the kind of each of up to eight destinations (int, float or text), one byte their text
// sizes, one byte their number and whether the line is given terminated (through scanp_set) or
// as a counted text without a terminator; then the pattern up to the first zero byte and the
// line after it.  The line and every destination are exactly sized heap buffers, so the address
// sanitizer sees any access beyond them.
#include "vyk.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    fprintf(stderr, "fuzz_scanp: %s\n", what);
    abort();
}

constexpr int MAX_OUTS = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    static const bool silenced = (MESS_set(10, 0), true);
    (void)silenced;
    const unsigned kinds = data[0] | data[1] << 8;
    const unsigned size_bits = data[2];
    const int nouts = data[3] % (MAX_OUTS + 1);
    const bool counted = (data[3] & 0x80) != 0;
    data += 4;
    size -= 4;

    const uint8_t *zero = static_cast<const uint8_t *>(memchr(data, 0, size));
    if (zero == nullptr)
        return 0;
    const std::string pattern(reinterpret_cast<const char *>(data), static_cast<size_t>(zero - data));
    const size_t line_len = size - pattern.size() - 1;

    // The line: terminated, or counted without a terminator.
    std::vector<char> line(reinterpret_cast<const char *>(zero + 1),
                           reinterpret_cast<const char *>(zero + 1) + line_len);
    parse_param cursor{};
    if (counted) {
        if (line.empty())
            return 0;
        cursor.ptr = line.data();
        cursor.length = static_cast<int>(line.size());
    } else {
        line.push_back('\0');
        scanp_set(&cursor, line.data());
        if (cursor.length != static_cast<int>(strlen(line.data())))
            fail("scanp_set: wrong length");
    }

    // The destinations, each in a heap block of its own size.
    static const size_t text_sizes[4] = {1, 4, 16, 81};
    std::vector<std::vector<char>> blocks(MAX_OUTS);
    std::vector<parse_out> outs;
    for (int k = 0; k < nouts; k++) {
        switch ((kinds >> (2 * k)) & 3) {
        case 0:
            blocks[k].assign(sizeof(int), 0);
            outs.emplace_back(reinterpret_cast<int *>(blocks[k].data()));
            break;
        case 1:
            blocks[k].assign(sizeof(float), 0);
            outs.emplace_back(reinterpret_cast<float *>(blocks[k].data()));
            break;
        default:
            blocks[k].assign(text_sizes[(size_bits >> (2 * (k % 4))) & 3], 'x');
            outs.emplace_back(blocks[k].data(), blocks[k].size());
            break;
        }
    }

    for (int step = 0; step < 16; step++) {
        const int off = scanp_get_off(&cursor);
        const int r = scanp_list(&cursor, pattern.c_str(), outs.data(), nouts);
        if (r == -1)
            break;
        if (r < 0 || cursor.matched != r || cursor.assigned > cursor.matched ||
            cursor.assigned > nouts)
            fail("scanp: counts out of range");
        if (cursor.len < 0 || cursor.len > cursor.length - off)
            fail("scanp: consumed beyond the line");
        if (cursor.done != 0 && cursor.done != 1)
            fail("scanp: done is no predicate");
        // A few characters around the cursor, and one replaced by itself.
        for (int k = -2; k <= cursor.len + 1; k++) {
            const int c = scanp_char(&cursor, k);
            if (c != 0)
                scanp_replace(&cursor, k, c);
        }
        if (cursor.len == 0)
            break;
        scanp_inc(&cursor);
    }
    (void)scanp_str(&cursor);
    scanp_off(&cursor, 0);
    if (scanp_search(&cursor, pattern.c_str()) == 1 &&
        (cursor.off < 0 || cursor.off > cursor.length))
        fail("scanp_search: cursor outside the line");
    return 0;
}
