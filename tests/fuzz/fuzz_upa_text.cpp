// Fuzz target of the upper-air text readers: the input is opened with its kind detected (the
// seeds hold a file of each text kind) and every station is read in every mode, forward, again
// and backward; each report keeps its counts within its slots and its texts terminated, and
// the reads end.
#include "fuzz_upa.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr int MAX_STATIONS = 200;
constexpr int MODES[] = {UPA_READ_ALL, UPA_READ_ID, UPA_READ_SFC, 3, 2, UPA_READ_TROP, UPA_READ_MWND, 40};

void check(const UPA_report &r)
{
    if (!std::memchr(r.id, 0, sizeof r.id) || !std::memchr(r.area, 0, sizeof r.area))
        vykfuzz::fail("a report text not terminated");
    if (r.numsig > UPA_NUM_SIG || r.numwnd > UPA_NUM_WND || r.numwnd < 0)
        vykfuzz::fail("a count beyond its slots");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, data, size);
    const int fd = vykfuzz::open_upa(path.c_str(), UPA_FILE_DETECT);
    if (fd < 0) return 0;
    UPA_report r;
    UPA_initialize(&r);
    int stations = 0;
    for (int mode : MODES) {
        UPA_rewind(fd);
        int n = 0;
        for (; n < MAX_STATIONS && UPA_read(fd, &r, mode, &n) == 0; n++) {
            check(r);
            int again = n;
            if (UPA_read(fd, &r, mode, &again) != 0) vykfuzz::fail("a station read twice differs");
            check(r);
        }
        if (mode == UPA_READ_ALL) stations = n;
    }
    for (int n = stations - 1; n >= 0; n -= 3) {
        int k = n;
        if (UPA_read(fd, &r, UPA_READ_ALL, &k) != 0) vykfuzz::fail("a station read backward is gone");
        check(r);
    }
    UPA_close(fd);
    return 0;
}
