// grib.h: GRIB framing and message search (grib.cpp).
//
// A GRIB file is a stream of messages (GRIB editions 0, 1 and 2; GRID and BUFR messages may
// stand between them), each possibly wrapped in the framing of the feed that delivered it: a
// heading line beginning "**", the LDM bulletin framing (SOH, sequence number, WMO heading), a
// size line "GRIB: n", or nothing.  GRIB_header recognises the framing before the next message,
// keeps the WMO abbreviated heading and reads the indicator section; the edition decoders read
// the sections that follow from the same stream.  The framing kind a stream uses is learnt on
// its first message and kept in the slot's record (GRD_file::itype).
//
// Every operation takes the grid-file slot; what a decoder carries from one field of a message
// to the next is kept for each slot, so that several GRIB files may be read by turns.
#ifndef GRIB_H
#define GRIB_H

// GRIB_set_max_bad, declared where the plot-parameter keywords need it.
#include "vykgopt.h"

struct GRD_info;

/// Framing kinds (GRD_file::itype of a GRIB slot).
enum GRIB_framing : int {
    GRIB_FRAME_UNKNOWN = 0,  // not learnt yet
    GRIB_FRAME_HEADING = 1,  // a line "** heading" before the message
    GRIB_FRAME_LDM = 2,      // SOH, sequence number and heading (LDM bulletins)
    GRIB_FRAME_SIZE = 3,     // a line "GRIB: n" giving the length, then SOH, number, heading
    GRIB_FRAME_RAW = 4,      // nothing: bare messages
};

/// The heading a bare message gets.
constexpr const char *GRIB_RAW_HEADING = "GRIB01 KXXX 010000";
/// Characters of a kept WMO heading.
constexpr int GRIB_HEADING_MAX = 30;
/// Characters GRIB_get_WMO_header copies.
constexpr int GRIB_WMO_HEADER_LEN = 18;
/// Largest message (octets) taken: 2000 x 2000 values of 32 bits and their sections.
constexpr long GRIB_MAX_SIZE = 16000000;

/// Finds the next message: recognises its framing, keeps its heading and reads its indicator
/// section (8 octets for editions 0 and 1, 16 for edition 2; the stream is left after it).
/// 1 found, 0 none found, -1 at the end of the stream.
int GRIB_header(int grd_fd);
/// One framing each (kinds 1, 2, 4 and 3); old_pos: where GRIB_header began.  1 (and itype set)
/// when the framing matched and the search ran, 0 not matched, -1 at the end of the stream.
int GRIB_header_vyk(int grd_fd);
int GRIB_header_ldm(int grd_fd, long old_pos);
int GRIB_header_raw(int grd_fd, long old_pos);
int GRIB_header_old_vyk(int grd_fd);
/// Moves to the next magic ("GRIB", "GRID" or "BUFR", found wherever it starts) and reads the
/// indicator section.  The octets of the last read (4, or 8 for edition 2); -1 at the end of
/// the stream or inside a truncated indicator section.
int GRIB_search(int grd_fd);
/// The stream position just after the current message and its framing trailer; with where
/// non-zero the stream is moved there.  Call right after GRIB_header.  -1 at the end of the
/// stream or without a framing.  A stated length beyond GRIB_MAX_SIZE, or too short to hold
/// the sections, is refused with a warning: the end is then past the stated length (too long)
/// or just after the indicator section (too short), and GRIB_size_refused() tells so.
long GRIB_next(int grd_fd, int where);
/// 1 when the last GRIB_next refused the current message's stated length, else 0.
int GRIB_size_refused();
/// Edition of the last message found: 1 or 2, 0 after a message whose end was scanned for,
/// -1 before any.  An edition-0 message leaves it unchanged.
int GRIB_get_version();
/// The edition octet (octet 8) of the current message.
int GRIB_get_edition();
/// The fourth letter of the magic found last: 'B' (GRIB), 'D' (GRID) or 'R' (BUFR); 0 before.
char GRIB_get_type();
/// Copies the first GRIB_WMO_HEADER_LEN characters of the current heading into header (no
/// terminator added).  0.
int GRIB_get_WMO_header(int grd_fd, char *header);
/// Right after GRIB_header on the first message: the date and its label into info, the edition
/// mark into the slot's grid (2; 1; 0, or 10 for an edition-0 product of centre 98).  0, or -1.
int GRIB_get_info(int grd_fd, GRD_info *info);
/// Copies the current product's octets (framing included) into *data: allocated with new[]
/// when *data is NULL (the caller owns it), else a buffer of *size octets that must hold them.
/// *size becomes the count.  The count, or -1 (with a warning when the buffer is too small).
long GRIB_get_raw(int grd_fd, unsigned char **data, long *size);
/// Writes the index file of the GRIB file open in the slot: one line "offset label" per
/// product, read from the GRIB file itself (an attached index is not used), the label
/// "/ GRIB" with the edition and the pairs S source, M model, G grid, T time, L level type,
/// H level, V variable and, for a later field of an edition-2 message, F its field (0 first).
/// The slot is left rewound.  0, or -1 (a warning) when the file cannot be written; commands
/// and standard streams are refused.
int GRIB_write_index(int grd_fd, const char *filename);
/// The corrupt-data threshold; 0 or below: the check is off (-1 until set).
int GRIB_get_max_bad();
/// Value of a 4-octet IBM single-precision number.
float GRIB_flt_conv(const unsigned char *pc);
/// 2 to the power of a 2-octet sign-and-magnitude exponent.
float GRIB_scl_conv(const unsigned char *pc);

#endif
