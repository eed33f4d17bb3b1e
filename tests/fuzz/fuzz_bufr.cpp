// Fuzz target of the BUFR side of the profiler reader: the input, behind a line of asterisks
// unless it begins like a bulletin file, is opened as bulletins and read to its end, then again
// after a rewind, which must give the same reports.  Every report must hold an identifier of
// five digits or none, a position on the globe or none, at most the levels a report has, each
// with a height, and winds that are missing or between -409.6 and 200 m/s.
#include "fuzz_util.h"
#include "vykprf.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr size_t MAX_REPORTS = 256;

void check(const PRF_report &r)
{
    if (std::memchr(r.id, 0, sizeof r.id) == nullptr)
        vykfuzz::fail("identifier not terminated");
    const size_t len = std::strlen(r.id);
    if (len != 0 && (len != 5 || std::strspn(r.id, "0123456789") != 5))
        vykfuzz::fail("identifier not five digits");
    if (!VYK_is_miss(r.lat) && !(r.lat >= -90 && r.lat <= 90))
        vykfuzz::fail("latitude off the globe");
    if (!VYK_is_miss(r.lon) && !(r.lon >= -180 && r.lon <= 180))
        vykfuzz::fail("longitude off the globe");
    if (!std::isfinite(r.elev))
        vykfuzz::fail("elevation not finite");
    if (r.num_levels < 0 || r.num_levels > PRF_MAX_LEVELS)
        vykfuzz::fail("level count out of range");
    for (int i = 0; i < PRF_MAX_LEVELS; i++) {
        const PRF_level &l = r.lev[i];
        if ((i < r.num_levels) == VYK_is_miss(l.h))
            vykfuzz::fail("a level without a height, or a height beyond the levels");
        if (!std::isfinite(l.h))
            vykfuzz::fail("height not finite");
        for (float v : {l.u, l.v, l.w, l.hdev, l.vdev})
            if (!VYK_is_miss(v) && !(v >= -409.61f && v < 200))
                vykfuzz::fail("a wind out of range");
    }
}

bool same(const PRF_report &a, const PRF_report &b)
{
    if (std::strcmp(a.id, b.id) != 0 || a.lat != b.lat || a.lon != b.lon || a.elev != b.elev ||
        a.num_levels != b.num_levels)
        return false;
    for (int i = 0; i < a.num_levels; i++) {
        const PRF_level &x = a.lev[i], &y = b.lev[i];
        if (x.h != y.h || x.u != y.u || x.v != y.v || x.w != y.w || x.hdev != y.hdev ||
            x.vdev != y.vdev || x.q != y.q)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> file;
    if (size == 0 || (data[0] != '*' && data[0] != '\n' && data[0] != 'G')) {
        static const char heading[] = "****0000000000****\n";
        file.assign(heading, heading + sizeof heading - 1);
    }
    file.insert(file.end(), data, data + size);
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, file.data(), file.size());

    int kind = 0;
    const int fd = PRF_open(path, 0, &kind);
    if (fd == -1 || kind != PRF_BUFR)
        vykfuzz::fail("a bulletin file not opened as one");
    std::vector<PRF_report> first;
    PRF_report r;
    while (first.size() < MAX_REPORTS && PRF_read(fd, &r, 0, nullptr) == 1) {
        check(r);
        first.push_back(r);
    }
    if (PRF_rewind(fd) != 0)
        vykfuzz::fail("rewind failed");
    for (const PRF_report &want : first)
        if (PRF_read(fd, &r, 0, nullptr) != 1 || !same(r, want))
            vykfuzz::fail("a rewind does not read the same reports again");
    PRF_close(fd);
    return 0;
}
