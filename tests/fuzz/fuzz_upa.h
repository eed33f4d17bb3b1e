// What the upper-air fuzz targets share: a file opened through the upper-air access layer with
// its information read, whose date label must be terminated.
#ifndef VYK_FUZZ_UPA_H
#define VYK_FUZZ_UPA_H

#include "fuzz_util.h"
#include "zazudi.h"

#include <cstring>

namespace vykfuzz {

/// Opens path as an upper-air file of kind (UPA_FILE_DETECT: any kind) and reads its
/// information: the slot, or -1 when it does not open.
inline int open_upa(const char *path, int kind)
{
    const int fd = UPA_open(path, UPA_ACCESS_READ, &kind);
    if (fd < 0) return -1;
    UPA_info info{};
    UPA_getinfo(fd, &info);
    if (!std::memchr(info.datim, 0, sizeof info.datim)) fail("date label not terminated");
    return fd;
}

}  // namespace vykfuzz

#endif
