// Fuzz target of the profiler reader's netCDF layouts: the input, made a classic netCDF file
// (its first bytes forced to a classic magic, so that the library's own HDF5 reader stays out of
// the run; bulletin files have fuzz_bufr), is detected, opened, its header read and its reports read at
// the reader's own position and again through a counter after a rewind.  Every report must
// hold a terminated, printable identifier and at most the levels a report has, each with a
// height, and winds within their range.
#include "fuzz_util.h"
#include "vykprf.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int MAX_REPORTS = 64;

void check(const PRF_report &r)
{
    if (std::memchr(r.id, 0, sizeof r.id) == nullptr)
        vykfuzz::fail("identifier not terminated");
    for (const char *p = r.id; *p; p++)
        if (*p < 0x20 || *p > 0x7e || *p == '/')
            vykfuzz::fail("identifier not printable");
    if (r.num_levels < 0 || r.num_levels > PRF_MAX_LEVELS)
        vykfuzz::fail("level count out of range");
    for (int i = 0; i < r.num_levels; i++) {
        const PRF_level &l = r.lev[i];
        if (VYK_is_miss(l.h))
            vykfuzz::fail("a level without a height");
        for (float v : {l.u, l.v, l.w, l.hdev, l.vdev})
            if (!VYK_is_miss(v) && !(v >= -100 && v <= 100))
                vykfuzz::fail("a wind out of range");
        for (int j = 0; j < i; j++)
            if (r.lev[j].h == l.h)
                vykfuzz::fail("two levels of one height");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    std::vector<uint8_t> file(data, data + size);
    static const uint8_t versions[3] = {1, 2, 5};
    std::memcpy(file.data(), "CDF", 3);
    if (file[3] != 1 && file[3] != 2 && file[3] != 5)
        file[3] = versions[file[3] % 3];
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, file.data(), file.size());

    int kind = 0;
    const int fd = PRF_open(path, 0, &kind);
    if (fd == -1)
        return 0;
    PRF_info info = {};
    PRF_getinfo(fd, &info);
    if (std::memchr(info.datim, 0, sizeof info.datim) == nullptr)
        vykfuzz::fail("date label not terminated");
    PRF_report r;
    for (int n = 0; n < MAX_REPORTS && PRF_read(fd, &r, 0, nullptr) == 1; n++)
        check(r);
    PRF_rewind(fd);
    int counter = 0;
    for (int n = 0; n < MAX_REPORTS && PRF_read(fd, &r, 0, &counter) == 1; n++, counter++)
        check(r);
    PRF_close(fd);
    return 0;
}
