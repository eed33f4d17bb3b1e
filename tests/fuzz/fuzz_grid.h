// What the grid-file fuzz targets share: a grid file opened through the grid-file layer with its
// information read, and a report to read its products into, all released at the end.
#ifndef VYK_FUZZ_GRID_H
#define VYK_FUZZ_GRID_H

#include "fuzz_util.h"
#include "grd_file.h"
#include "grd_tool.h"

namespace vykfuzz {

struct GridFile {
    int fd = -1;
    bool has_info = false;  // GRD_getinfo succeeded
    GRD_info info{};
    GRD_report g{};

    /// Opens path as a grid file of kind (GRD_DETECT: any kind) and reads its information.
    GridFile(const char *path, int kind)
    {
        DATE_init(&info.date);
        GRD_init(&g);
        DOM_init(&g.domain);
        int k = kind;
        fd = GRD_open(path, GRD_ACCESS_READ, &k);
        has_info = fd >= 0 && GRD_getinfo(fd, &info) == 0;
    }
    ~GridFile()
    {
        GRD_free(&g);
        if (fd >= 0) GRD_close(fd);
    }
    GridFile(const GridFile &) = delete;
    GridFile &operator=(const GridFile &) = delete;
};

}  // namespace vykfuzz

#endif
