// Drives the grid-file layer from a shell.
//   grid_tool [-k KIND] list FILE             one line per product
//   grid_tool [-k KIND] dump FILE N           product N's header and values (rows from the top)
//   grid_tool [-k KIND] [-f FORMAT] copy IN OUTKIND OUT [N ...]
//                                             products N ... (all when none is named) of IN
//                                             into a new file OUT of kind OUTKIND (GRIB
//                                             products into a GRIB file: raw copies)
//   grid_tool index FILE OUT                  writes the index file OUT of the GRIB file FILE
// -i INDEX attaches an index file to a GRIB input before its header is read.
// KIND: text1 (1), text (2), binary (3), text4 (4), cdf (11), grib (21), grid (22) or the number;
// the input kind is detected when -k is not given.  -f sets the value format of text output.
// Lines of list and dump:
//   file NAME | kind K (name) | date label
//   product N | datim | info | source version model type ltype level time var | units |
//     proj clat clon plat plon dx dy nx ny
// Exit status: 0 done, 1 a file or product failed, 2 usage.
#include "vyk.h"
#include "grd_file.h"
#include "grib.h"
#include "grd_tool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct KindName {
    const char *name;
    int kind;
};
constexpr KindName KINDS[] = {
    {"text1", GRD_TEXT_PLAIN}, {"text", GRD_TEXT}, {"binary", GRD_BINARY},
    {"text4", GRD_TEXT_DOMAIN}, {"cdf", GRD_NETCDF}, {"netcdf", GRD_NETCDF},
    {"grib", GRD_GRIB},        {"grid", GRD_WMO_GRID},
};

/// The index file to attach to the input, or empty.
std::string index_file;

int usage()
{
    std::fprintf(stderr, "usage: grid_tool [-k KIND] [-i INDEX] list FILE\n"
                         "       grid_tool [-k KIND] [-i INDEX] dump FILE N\n"
                         "       grid_tool [-k KIND] [-i INDEX] [-f FORMAT] copy IN OUTKIND OUT "
                         "[N ...]\n"
                         "       grid_tool index FILE OUT\n");
    return 2;
}

int kind_of(const char *w)
{
    for (const KindName &k : KINDS)
        if (std::strcmp(w, k.name) == 0) return k.kind;
    char *end = nullptr;
    const long v = std::strtol(w, &end, 10);
    return *end == '\0' && end != w ? static_cast<int>(v) : -1;
}

using Record = GRD_scratch;

void print_header(int n, const GRD_report &g)
{
    const Domain &d = g.domain;
    std::printf("product %d | %s | %s | %d %d %d %d %d %d %d %d | %s | %d %g %g %g %g %g %g %d %d\n",
                n, g.datim, g.info, g.source, g.version, g.model, g.type, g.ltype, g.level,
                g.time, g.var, g.units, d.proj, d.clat, d.clon, d.plat, d.plon, d.dx, d.dy, d.nx,
                d.ny);
}

/// Opens a file for reading and prints its first line; the slot or -1.
int open_in(const char *name, int kind, GRD_info &info, bool quiet = false)
{
    int k = kind;
    const int fd = GRD_open(name, GRD_ACCESS_READ, &k);
    if (fd < 0) {
        std::fprintf(stderr, "grid_tool: cannot open %s\n", name);
        return -1;
    }
    if (!index_file.empty() && GRD_hdr_open(fd, index_file.c_str()) != 0) {
        std::fprintf(stderr, "grid_tool: cannot attach the index %s\n", index_file.c_str());
        GRD_close(fd);
        return -1;
    }
    if (GRD_getinfo(fd, &info) != 0) {
        std::fprintf(stderr, "grid_tool: no header in %s\n", name);
        GRD_close(fd);
        return -1;
    }
    if (!quiet) std::printf("file %s | kind %d (%s) | %s\n", name, k, GRD_kind_name(k), info.datim);
    return fd;
}

int list(const char *name, int kind)
{
    GRD_info info{};
    const int fd = open_in(name, kind, info);
    if (fd < 0) return 1;
    Record rec;
    for (int n = 0; GRD_read(fd, &rec.r, GRD_READ_HEADER, &n) == 0; n++) print_header(n, rec.r);
    GRD_close(fd);
    return 0;
}

int dump(const char *name, int kind, int num)
{
    GRD_info info{};
    const int fd = open_in(name, kind, info);
    if (fd < 0) return 1;
    Record rec;
    int n = num;
    const int r = GRD_read(fd, &rec.r, GRD_READ_VALUES, &n);
    GRD_close(fd);
    if (r != 0) {
        std::fprintf(stderr, "grid_tool: no product %d in %s\n", num, name);
        return 1;
    }
    print_header(n, rec.r);
    const int nx = rec.r.domain.nx, ny = rec.r.domain.ny;
    for (int j = 0; j < ny; j++) {
        for (int i = 0; i < nx; i++)
            std::printf(i ? " %.9g" : "%.9g",
                        static_cast<double>(rec.r.grid[static_cast<size_t>(i + j * nx)]));
        std::printf("\n");
    }
    return 0;
}

/// Makes the record hold the raw octets of the product just read from a GRIB slot.  true, or
/// false when they cannot be copied.
bool hold_raw(int fd, GRD_report &r)
{
    unsigned char *octets = nullptr;
    long n = 0;
    if (GRIB_get_raw(fd, &octets, &n) < 1) return false;
    GRD_free(&r);
    DOM_init(&r.domain);
    r.domain.nx = static_cast<int>((n + 3) / 4);
    r.domain.ny = 1;
    const bool ok = GRD_alloc(&r) == 1;
    if (ok) {
        std::memset(r.grid, 0, static_cast<size_t>(r.domain.nx) * sizeof(float));
        std::memcpy(r.grid, octets, static_cast<size_t>(n));
        r.source = static_cast<int>(n);
    }
    delete[] octets;
    return ok;
}

int write_index(const char *name, const char *out)
{
    GRD_info info{};
    const int fd = open_in(name, GRD_GRIB, info, true);
    if (fd < 0) return 1;
    const int r = GRIB_write_index(fd, out);
    GRD_close(fd);
    if (r != 0) {
        std::fprintf(stderr, "grid_tool: cannot write the index %s\n", out);
        return 1;
    }
    std::printf("index of %s written to %s\n", name, out);
    return 0;
}

int copy(const char *in, int kind, int out_kind, const char *out, std::vector<int> nums)
{
    GRD_info info{};
    const int fd = open_in(in, kind, info, true);
    if (fd < 0) return 1;
    // The products and the largest grid (a netCDF file's dimensions).
    Record rec;
    info.max_x = info.max_y = 0;
    const bool all = nums.empty();
    for (int n = 0; GRD_read(fd, &rec.r, GRD_READ_HEADER, &n) == 0; n++) {
        bool take = all;
        for (int k : nums) take = take || k == n;
        if (!take) continue;
        if (all) nums.push_back(n);
        if (rec.r.domain.nx > info.max_x) info.max_x = rec.r.domain.nx;
        if (rec.r.domain.ny > info.max_y) info.max_y = rec.r.domain.ny;
    }
    int k = out_kind;
    const int ofd = GRD_open(out, GRD_ACCESS_CREATE, &k);
    if (ofd < 0) {
        std::fprintf(stderr, "grid_tool: cannot create %s\n", out);
        GRD_close(fd);
        return 1;
    }
    int status = GRD_putinfo(ofd, &info) == 0 ? 0 : 1;
    int record = 0;
    for (int n : nums) {
        int num = n;
        if (status != 0) break;
        if (GRD_read(fd, &rec.r, GRD_READ_VALUES, &num) != 0 || num != n) {
            std::fprintf(stderr, "grid_tool: no product %d in %s\n", n, in);
            status = 1;
        } else if (out_kind == GRD_GRIB && GRD_get_gfile(fd)->type == GRD_GRIB &&
                   !hold_raw(fd, rec.r)) {
            std::fprintf(stderr, "grid_tool: product %d of %s cannot be copied raw\n", n, in);
            status = 1;
        } else if (GRD_write(ofd, &rec.r, 0, &record) != 0) {
            std::fprintf(stderr, "grid_tool: product %d not written to %s\n", n, out);
            status = 1;
        }
        record++;
    }
    // A copy that failed leaves no file; one that did not is whole only when its close says so.
    if (status != 0) GRD_abandon(ofd);
    else if (GRD_close(ofd) != 0) status = 1;
    GRD_close(fd);
    if (status == 0) std::printf("copied %d products to %s\n", record, out);
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    int kind = GRD_DETECT;
    int a = 1;
    for (; a < argc && argv[a][0] == '-' && argv[a][1]; a++) {
        if (std::strcmp(argv[a], "-k") == 0 && a + 1 < argc) {
            kind = kind_of(argv[++a]);
            if (kind < 0) return usage();
        } else if (std::strcmp(argv[a], "-i") == 0 && a + 1 < argc) {
            index_file = argv[++a];
        } else if (std::strcmp(argv[a], "-f") == 0 && a + 1 < argc) {
            if (GRD_set_format(argv[++a]) != 0) return 2;
        } else {
            return usage();
        }
    }
    if (a >= argc) return usage();
    const std::string cmd = argv[a++];
    if (cmd == "list" && a + 1 == argc) return list(argv[a], kind);
    if (cmd == "index" && a + 2 == argc) return write_index(argv[a], argv[a + 1]);
    if (cmd == "dump" && a + 2 == argc) return dump(argv[a], kind, std::atoi(argv[a + 1]));
    if (cmd == "copy" && a + 3 <= argc) {
        const int out_kind = kind_of(argv[a + 1]);
        if (out_kind < 0) return usage();
        std::vector<int> nums;
        for (int k = a + 3; k < argc; k++) nums.push_back(std::atoi(argv[k]));
        return copy(argv[a], kind, out_kind, argv[a + 2], nums);
    }
    return usage();
}
