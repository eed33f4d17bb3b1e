// Fuzz target of GRIB index files: the input up to its first zero byte is the index, the rest
// the GRIB stream it describes (without a zero byte: a built message of two edition-2 fields).
// The stream is written first, so that the index is never older.  The GRIB file is opened with
// the index attached and read through it (header scans of both header kinds, values in and out
// of order, raw copies), by turns with the same file opened without an index; then an index is
// written from the file and used by a third open.
//
// Promises checked: every text of a header read is terminated within its field; a values read
// holds the grid it names; the index written from a file lists as many products as a scan of
// the file finds, and a scan through it finds them all.
#include "../common/grib2_build.h"
#include "fuzz_grib.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using vykfuzz::fail;

constexpr int PRODUCTS_MAX = 16;

/// Two fields of 4 by 3 points, simple packing of 8 bits, in one message.
std::string built_stream()
{
    const std::string drs = grib2build::be(0, 2) + grib2build::ieee(250.0f) +
                            grib2build::be(0, 2) + grib2build::be(0, 2) + char(8) + char(0);
    std::string ds;
    for (int i = 0; i < 12; i++) ds += char(i * 20);
    const std::string one = grib2build::message(4, 3, 0, 12, drs, "", ds);
    // The message's sections 4 to 7 once more, before its end section.
    size_t s4 = 16;
    while (s4 + 5 < one.size() && one[s4 + 4] != 4) {
        size_t len = 0;
        for (size_t k = 0; k < 4; k++) len = (len << 8) | uint8_t(one[s4 + k]);
        s4 += len;
    }
    const std::string fields = one.substr(s4, one.size() - 4 - s4);
    std::string two = one.substr(0, one.size() - 4) + fields + "7777";
    const std::string len = grib2build::be(two.size(), 8);
    two.replace(8, 8, len);
    return two;
}

void terminated(const char *text, size_t size, const char *what)
{
    if (std::memchr(text, 0, size) == nullptr) fail(what);
}

void check_header(const GRD_report &g)
{
    terminated(g.info, sizeof g.info, "info not terminated");
    terminated(g.datim, sizeof g.datim, "datim not terminated");
    terminated(g.units, sizeof g.units, "units not terminated");
}

void check_values(const GRD_report &g)
{
    check_header(g);
    if (!g.grid || g.domain.nx <= 0 || g.domain.ny <= 0) fail("a values read without a grid");
    const size_t points = size_t(g.domain.nx) * size_t(g.domain.ny);
    if (points > GRD_capacity(&g)) fail("more points than values");
    volatile float sum = 0;
    for (size_t p = 0; p < points; p++) sum = sum + g.grid[p];
}

/// Opens the GRIB file with an index attached (none: without), its header read; -1.
int open_grib(const char *grib, const char *index, GRD_info &info)
{
    int kind = GRD_GRIB;
    const int fd = GRD_open(grib, GRD_ACCESS_READ, &kind);
    if (fd < 0) return -1;
    if (index) GRD_hdr_open(fd, index);
    DATE_init(&info.date);
    if (GRD_getinfo(fd, &info) != 0) {
        GRD_close(fd);
        return -1;
    }
    return fd;
}

/// Products a header scan finds (at most PRODUCTS_MAX), every header checked.
int scan(int fd, GRD_report &g, int rep_type)
{
    int n = 0;
    for (; n < PRODUCTS_MAX; n++) {
        int num = n;
        if (GRD_read(fd, &g, rep_type, &num) != 0) break;
        check_header(g);
    }
    return n;
}

void read_values(int fd, GRD_report &g, int num)
{
    int m = num;
    if (GRD_read(fd, &g, GRD_READ_VALUES, &m) != 0) return;
    check_values(g);
    unsigned char *raw = nullptr;
    long size = 0;
    if (GRIB_get_raw(fd, &raw, &size) > 0 && size <= 0) fail("a raw copy of no size");
    delete[] raw;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string built = built_stream();
    const char *text = reinterpret_cast<const char *>(data);
    const uint8_t *zero = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const size_t split = zero ? size_t(zero - data) : size;
    const std::string index(text, split);
    const std::string stream = zero ? std::string(text + split + 1, size - split - 1) : built;

    const std::string dir = vykfuzz::work_dir();
    const std::string grib = dir + "/g.grib", idx = dir + "/g.idx", out = dir + "/o.idx";
    vykfuzz::scratch_file();  // messages off
    vykfuzz::write_bytes(grib, stream.data(), stream.size());
    vykfuzz::write_bytes(idx, index.data(), index.size());

    GRD_info info{};
    const int fd = open_grib(grib.c_str(), idx.c_str(), info);
    const int plain = open_grib(grib.c_str(), nullptr, info);
    GRD_report g{}, p{};
    GRD_init(&g);
    GRD_init(&p);
    if (fd >= 0) {
        const int n = scan(fd, g, GRD_READ_HEADER);
        scan(fd, g, GRD_READ_HEADER_DATA);
        for (int num : {n - 1, 0, n / 2, n, 1, 0}) {
            read_values(fd, g, num);
            // The same file without its index, by turns.
            if (plain >= 0) read_values(plain, p, num);
        }
    }
    int found = 0;
    if (plain >= 0) {
        found = scan(plain, p, GRD_READ_HEADER);
        if (found < PRODUCTS_MAX && GRIB_write_index(plain, out.c_str()) == 0) {
            int lines = 0;
            FILE *fp = std::fopen(out.c_str(), "r");
            for (int c; fp && (c = std::fgetc(fp)) != EOF;) lines += c == '\n';
            if (fp) std::fclose(fp);
            if (lines != found) fail("the written index does not list every product");
            GRD_info again{};
            const int w = open_grib(grib.c_str(), out.c_str(), again);
            if (w >= 0) {
                GRD_report q{};
                GRD_init(&q);
                if (scan(w, q, GRD_READ_HEADER) != found)
                    fail("the written index is not read whole");
                read_values(w, q, found - 1);
                GRD_free(&q);
                GRD_close(w);
            }
        }
    }
    GRD_free(&g);
    GRD_free(&p);
    if (fd >= 0) GRD_close(fd);
    if (plain >= 0) GRD_close(plain);
    return 0;
}
