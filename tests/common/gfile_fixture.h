// Fixtures of the grid-file tests: grid records that release their values, files written and
// read back through the grid-file contract, and products written as text by hand.
#ifndef GFILE_FIXTURE_H
#define GFILE_FIXTURE_H

#include <gtest/gtest.h>

#include "test_util.h"
#include "grd_file.h"
#include "grib.h"
#include "grd_tool.h"
#include "vykplot.h"

#include <cstring>
#include <string>
#include <vector>

namespace gfiletest {

/// The grid files' settings of the process (the value format of text output, the use of GRIB
/// index files, the corrupt-data threshold of GRIB edition 1), put back as they were when the
/// object goes: a test that changes a setting leaves nothing of it to the tests run after it
/// in the same process.
class KeepSettings {
public:
    KeepSettings()
        : format_(std::strcmp(GRD_get_format(), GRD_DEF_FORMAT) == 0 ? "" : GRD_get_format()),
          use_index_(GRD_get_use_hdr_file()), max_bad_(GRIB_get_max_bad())
    {
    }
    ~KeepSettings()
    {
        GRD_set_format(format_.c_str());
        GRD_use_hdr_file(use_index_);
        GRIB_set_max_bad(max_bad_);
    }
    KeepSettings(const KeepSettings &) = delete;
    KeepSettings &operator=(const KeepSettings &) = delete;

private:
    std::string format_;
    int use_index_;
    int max_bad_;
};

// Flags start unset (-9999) as after the resource layer's start.
inline const bool flags_unset = (FLAG_reset(VYK_MISS), true);

/// A grid record released at the end.
struct Rec {
    GRD_report r{};
    Rec()
    {
        GRD_init(&r);
        DOM_init(&r.domain);
        r.version = 0;
        r.units[0] = '\0';
        DATE_init(&r.date);
    }
    ~Rec() { GRD_free(&r); }
    Rec(const Rec &) = delete;
    Rec &operator=(const Rec &) = delete;
};

/// A product: header fields and values (row by row from the top).
struct Prod {
    std::string datim = "12Z 05 MAR 24";
    std::string info = "500 mb Temperature (K)";
    int source = 7, version = 2, model = 96, type = 3, ltype = 100, level = 500, time = 12,
        var = 11;
    std::string units = "K";
    Domain dom{};
    std::vector<float> values;

    Prod(int nx = 3, int ny = 2, int proj = DOM_LATLON)
    {
        DOM_init(&dom);
        dom.proj = proj;
        dom.clat = 40;
        dom.clon = -100;
        dom.dx = dom.dy = 1.5f;
        dom.nx = nx;
        dom.ny = ny;
        for (int k = 0; k < nx * ny; k++) values.push_back(250.0f + 0.25f * static_cast<float>(k));
    }

    /// The product in a record (values allocated by the record).
    void fill(GRD_report &g) const
    {
        GRD_init(&g);
        strfcpy(g.datim, datim.c_str());
        strfcpy(g.info, info.c_str());
        g.source = source;
        g.version = version;
        g.model = model;
        g.type = type;
        g.ltype = ltype;
        g.level = level;
        g.time = time;
        g.var = var;
        strfcpy(g.units, units.c_str());
        g.domain = dom;
        EXPECT_EQ(GRD_alloc(&g), 1);
        std::copy(values.begin(), values.end(), g.grid);
    }
};

/// A file header for products of at most nx by ny points dated 2024-03-05 12 UTC.
inline GRD_info header(int nx = 3, int ny = 2, int grid_type = 0)
{
    GRD_info info{};
    DATE_init(&info.date);
    info.date.year = 2024;
    info.date.month = 3;
    info.date.day = 5;
    info.date.hour = 12;
    info.max_x = nx;
    info.max_y = ny;
    info.grid_type = grid_type;
    return info;
}

/// Writes products to a new file of a kind; true when every call succeeded.
inline bool write(const std::string &path, int kind, const std::vector<Prod> &prods,
                  GRD_info info = header())
{
    int k = kind;
    const int fd = GRD_open(path.c_str(), GRD_ACCESS_CREATE, &k);
    if (fd < 0) return false;
    bool ok = GRD_putinfo(fd, &info) == 0;
    int num = 0;
    for (const Prod &p : prods) {
        Rec rec;
        p.fill(rec.r);
        ok = ok && GRD_write(fd, &rec.r, 0, &num) == 0;
        num++;
    }
    return GRD_close(fd) == 0 && ok;
}

/// Opens a file for reading with its header read; the slot.
inline int open_read(const std::string &path, int kind = GRD_DETECT, GRD_info *info = nullptr)
{
    int k = kind;
    const int fd = GRD_open(path.c_str(), GRD_ACCESS_READ, &k);
    GRD_info local{};
    if (fd >= 0) {
        EXPECT_EQ(GRD_getinfo(fd, info ? info : &local), 0);
    }
    return fd;
}

inline std::vector<float> values_of(const GRD_report &g)
{
    const size_t n = static_cast<size_t>(g.domain.nx) * static_cast<size_t>(g.domain.ny);
    return g.grid ? std::vector<float>(g.grid, g.grid + n) : std::vector<float>{};
}

}  // namespace gfiletest

#endif
