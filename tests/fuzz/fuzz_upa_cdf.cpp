// Fuzz target of the upper-air netCDF reader: the input, made a classic netCDF file (its first
// bytes forced to a classic magic, so that the library's HDF5 reader stays out of the run; the
// access layer screens the classic header's sizes against the file before the library reads
// it), is opened as each layout and its stations are read in every mode; counts stay within
// the record's slots and texts are terminated.
#include "fuzz_upa.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int MAX_STATIONS = 64;
constexpr int MODES[] = {UPA_READ_ALL, UPA_READ_ID, UPA_READ_STATION, 0, 2, 3, UPA_READ_TROP, 99};

void check(const UPA_report &r)
{
    if (!std::memchr(r.id, 0, sizeof r.id) || !std::memchr(r.area, 0, sizeof r.area))
        vykfuzz::fail("a report text not terminated");
    if (r.numsig < 0 || r.numsig > UPA_NUM_SIG || r.numwnd < 0 || r.numwnd > UPA_NUM_WND ||
        r.numman < 0 || r.numman > UPA_NUM_MAN)
        vykfuzz::fail("a count beyond its slots");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4) return 0;
    std::vector<uint8_t> file(data, data + size);
    static const uint8_t versions[3] = {1, 2, 5};
    std::memcpy(file.data(), "CDF", 3);
    if (file[3] != 1 && file[3] != 2 && file[3] != 5) file[3] = versions[file[3] % 3];
    const std::string path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, file.data(), file.size());
    for (int layout : {UPA_FILE_CDF_STN, UPA_FILE_CDF_REP}) {
        const int fd = vykfuzz::open_upa(path.c_str(), layout);
        if (fd < 0) return 0;
        UPA_report r;
        UPA_initialize(&r);
        for (int mode : MODES)
            for (int n = 0; n < MAX_STATIONS && UPA_read(fd, &r, mode, &n) == 0; n++) check(r);
        UPA_close(fd);
    }
    return 0;
}
