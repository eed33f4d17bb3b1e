// The profiler file reader: detection of the file kind, and open, header, read, rewind and
// close of the one open file, each handed to the back end of the file's kind.  Also the two
// small utilities of the report record (reset and print).
//
// Profiler files are data: their names are opened as plain files (never as a pipe or a
// standard stream), and what they hold is checked by the back ends before it reaches a report.
#include "prf_internal.h"
#include "vykcdf.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// The back end of each file kind.
struct Kind_row {
    int kind;
    const PRF_backend *backend;
};
const Kind_row kinds[] = {
    {PRF_STATION, &PRF_cdf_station},
    {PRF_RECORD, &PRF_cdf_record},
    {PRF_BUFR, &PRF_bufr},
};

/// First bytes of a BUFR bulletin file: a line of asterisks, an empty line, or a heading
/// beginning with 'G'; 'C' begins a classic netCDF file.
constexpr int NETCDF_MAGIC = 'C';
constexpr int BUFR_STARTS[] = {'*', '\n', 'G'};

/// The dimension that only the station layout has.
constexpr const char *STATION_DIM = "station";

struct State {
    int kind = PRF_NONE;                 // kind of the open file
    const PRF_backend *backend = nullptr;
    int handle = -1;                     // what the open returned
    int access = 0;
};
State state;

const PRF_backend *backend_of(int kind)
{
    for (const Kind_row &row : kinds)
        if (row.kind == kind)
            return row.backend;
    return nullptr;
}

/// The netCDF layout of the file open on fd: 11 with a "station" dimension, 12 without, -1
/// when the netCDF layer cannot open it.  The file stays open for reading when keep is given
/// (its id in *keep), else it is closed.
int netcdf_layout(const char *filename, int fd, int *keep)
{
    PRF_quiet_cdf quiet;
    const int id = CDF_open_fd(filename, fd);
    if (id == -1)
        return -1;
    const int dim = CDF_get_dim(STATION_DIM);
    if (keep != nullptr)
        *keep = id;
    else
        CDF_close();
    return dim >= 0 ? PRF_STATION : PRF_RECORD;
}

/// The kind of the regular file open on fd by its first byte; a netCDF file stays open as
/// netcdf_layout leaves it.
int detect_on(const char *filename, int fd, int *keep)
{
    struct stat sb;
    unsigned char c;
    if (fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode) || pread(fd, &c, 1, 0) != 1)
        return -1;
    for (int b : BUFR_STARTS)
        if (c == b)
            return PRF_BUFR;
    if (c == NETCDF_MAGIC)
        return netcdf_layout(filename, fd, keep);
    return -1;
}

/// The kind of a file, as PRF_chktype gives it.  The file is opened once: the kind is read
/// from the descriptor the netCDF layer then reads the file through (a device or a FIFO is
/// opened without waiting and refused).
int detect(const char *filename, int *keep)
{
    if (filename == nullptr || filename[0] == '\0')
        return -1;
    const int fd = open(filename, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd == -1)
        return -1;
    const int kind = detect_on(filename, fd, keep);
    close(fd);
    return kind;
}

}  // namespace

PRF_quiet_cdf::PRF_quiet_cdf()
{
    CDF_print_errors(0);
}

PRF_quiet_cdf::~PRF_quiet_cdf()
{
    CDF_print_errors(1);
}

int PRF_chktype(const char *filename)
{
    return detect(filename, nullptr);
}

int PRF_open(const char *filename, int access, int *type)
{
    if (filename == nullptr || type == nullptr)
        return -1;
    // A netCDF file that the detection opened is read as it is, not opened again.
    int detected = -1;
    if (*type == 0) {
        if (access != 0)
            return -1;
        *type = detect(filename, &detected);
        if (*type == -1)
            return -1;
    }
    const PRF_backend *backend = backend_of(*type);
    if (backend == nullptr || (detected != -1 && backend->adopt == nullptr)) {
        if (detected != -1) {
            CDF_set_fd(detected);
            CDF_close();
        }
        return -1;
    }
    // One file at a time: a file still open is closed, not dropped.
    if (state.kind != PRF_NONE)
        PRF_close(state.handle);
    const int handle =
        detected != -1 ? backend->adopt(detected) : backend->open(filename, access);
    if (handle == -1)
        return -1;
    state.kind = *type;
    state.backend = backend;
    state.handle = handle;
    state.access = access;
    return handle;
}

int PRF_getinfo(int, PRF_info *info)
{
    if (state.kind == PRF_NONE || info == nullptr)
        return -1;
    return state.backend->getinfo(info);
}

int PRF_read(int, PRF_report *report, int, int *statnum)
{
    if (state.kind == PRF_NONE || report == nullptr)
        return -1;
    return state.backend->read(report, statnum);
}

int PRF_rewind(int)
{
    if (state.kind == PRF_NONE)
        return -1;
    return state.backend->rewind();
}

int PRF_close(int)
{
    if (state.kind == PRF_NONE)
        return -1;
    state.backend->close();
    state = State();
    return 0;
}

int PRF_initialize(PRF_report *report)
{
    if (report == nullptr)
        return -1;
    report->id[0] = '\0';
    report->lat = report->lon = report->elev = VYK_MISS;
    report->pres = report->temp = report->dewp = VYK_MISS;
    report->dir = report->spd = report->rain = VYK_MISS;
    for (PRF_level &l : report->lev)
        l = PRF_NO_LEVEL;
    report->num_levels = 0;
    return 0;
}

int PRF_drop_levels_without_height(PRF_level *lev, int n)
{
    PRF_level *end =
        std::remove_if(lev, lev + n, [](const PRF_level &l) { return VYK_is_miss(l.h); });
    std::fill(end, lev + n, PRF_NO_LEVEL);
    return static_cast<int>(end - lev);
}

int PRF_print_report(M_type mask, const PRF_report *report)
{
    if (report == nullptr)
        return -1;
    if (!MESS_check(mask))
        return 0;
    MESS_print(mask, "ID: %s\n", report->id);
    MESS_print(mask, "LAT: %7.2f\n", report->lat);
    MESS_print(mask, "LON: %7.2f\n", report->lon);
    MESS_print(mask, "ELEV: %6.0f\n", report->elev);
    const int n = report->num_levels < PRF_MAX_LEVELS ? report->num_levels : PRF_MAX_LEVELS;
    for (int i = 0; i < n; i++) {
        const PRF_level &l = report->lev[i];
        MESS_print(mask, "Z: %6.0f  U: %7.2f V: %7.2f W: %7.2f ", l.h, l.u, l.v, l.w);
        MESS_print(mask, "HDev: %7.2f VDev: %7.2f %3d\n", l.hdev, l.vdev, l.q);
    }
    return 0;
}
