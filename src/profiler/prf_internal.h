// prf_internal.h: the back ends of the profiler reader.  The reader's front end (prf.cpp) keeps
// the kind of the open file and calls that kind's back end through one table of entries; each
// back end keeps the state of its open file in its own source file.
#ifndef PRF_INTERNAL_H
#define PRF_INTERNAL_H

#include "vykprf.h"

#include <cstddef>
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
    /// Takes over a file of this kind that the netCDF layer already opened for reading (the
    /// detection's): the handle.  Null for kinds that are not netCDF files.
    int (*adopt)(int fd);
};

// The netCDF layouts (prf_cdf.cpp) and the BUFR bulletins (prf_bufr.cpp).
extern const PRF_backend PRF_cdf_station;
extern const PRF_backend PRF_cdf_record;
extern const PRF_backend PRF_bufr;

/// Leaves out the levels without a height (levels a file does not have, or whose height is
/// missing), keeping the order of the others and emptying the slots freed.  Returns the number
/// of levels left of the first n.
int PRF_drop_levels_without_height(PRF_level *lev, int n);

// ---------------------------------------------------------------------------------------------
// BUFR messages (prf_bufr_decode.cpp).  The back end (prf_bufr.cpp) finds each message in the
// bulletin file and hands its octets after section 0 to PRF_bufr_parse; PRF_bufr_subset then
// decodes one data subset per call.
// ---------------------------------------------------------------------------------------------

/// Descriptors a message may list.
constexpr int PRF_BUFR_MAX_DESC = 100;

/// One descriptor of section 3: F, X, Y and, for an element (F = 0), its row of the element
/// table (-1 for an element the table lacks, whose width an operator 2-06 gives).
struct PRF_bufr_desc {
    int f, x, y;
    int row;
};

/// The bits of the data section, read most significant bit first.  A read past the end of the
/// section gives 0 and marks the reader overrun.
struct PRF_bufr_bits {
    const unsigned char *next = nullptr;  // next octet to take
    const unsigned char *end = nullptr;   // end of the data section
    unsigned long long acc = 0;           // octets taken, their last `pending` bits unread
    int pending = 0;
    bool overrun = false;
};

/// A framed message: its descriptors, subsets and the place of the next subset.
struct PRF_bufr_message {
    long long offset = 0;          // of "BUFR" in the file, for messages
    int edition = 0;
    int num_desc = 0;
    PRF_bufr_desc desc[PRF_BUFR_MAX_DESC] = {};
    int num_subsets = 0;
    int subset = 0;                // subsets decoded so far
    Date date = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS,
                 VYK_MISS};        // time of the last subset decoded (fields -9999 when absent)
    PRF_bufr_bits bits;            // into the caller's octets, which must stay in place
};

/// Checks the sections of a message (the size octets after section 0, ending with "7777") and
/// prepares its decoding into msg: 1, or 0 with one warning when the message cannot be decoded
/// correctly (section lengths that disagree with the total length, compressed data, sequence
/// descriptors, operators other than 2-01 and 2-06, elements the table lacks, delayed or
/// nested replication, too many descriptors).
int PRF_bufr_parse(const unsigned char *octets, size_t size, PRF_bufr_message *msg);
/// Decodes the next data subset of msg into report: 1, or 0 when the message has no more (or
/// its data end before the subset does, with a warning).
int PRF_bufr_subset(PRF_bufr_message *msg, PRF_report *report);

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
