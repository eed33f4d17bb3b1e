// prf_internal.h: the back ends of the profiler reader.  The reader's front end (prf.cpp) keeps
// the kind of the open file and calls that kind's back end through one table of entries; each
// back end keeps the state of its open file in its own source file.
#ifndef PRF_INTERNAL_H
#define PRF_INTERNAL_H

#include "vykprf.h"

#include <cstdio>

/// A level without values (height, winds, spreads and quality all missing).
constexpr PRF_level PRF_NO_LEVEL = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS,
                                    VYK_MISS, VYK_MISS, VYK_MISS};

struct PRF_backend {
    /// Opens the file with the given access: the handle, or -1 without a message.
    int (*open)(const char *filename, int access);
    /// Reads the file's header: 0.
    int (*getinfo)(PRF_info *info);
    /// The next report: 1, or -1 when there is none (statnum as PRF_read takes it).
    int (*read)(PRF_report *report, int *statnum);
    /// Back to the first report: 0.
    int (*rewind)();
    /// Closes the file: 0.
    int (*close)();
};

// The netCDF layouts (prf_cdf.cpp) and the BUFR bulletins (prf_bufr.cpp).
extern const PRF_backend PRF_cdf_station;
extern const PRF_backend PRF_cdf_record;
extern const PRF_backend PRF_bufr;

/// Decodes the next data subset of a BUFR bulletin file into report: 1, or -1 when there is
/// none.
int PRF_bufr_read(FILE *fp, PRF_report *report);

/// The netCDF layer's error reports off for as long as the object lives; they are switched on
/// again when it goes, whatever happened meanwhile.
class PRF_quiet_cdf {
public:
    PRF_quiet_cdf();
    ~PRF_quiet_cdf();
    PRF_quiet_cdf(const PRF_quiet_cdf &) = delete;
    PRF_quiet_cdf &operator=(const PRF_quiet_cdf &) = delete;
};

#endif
