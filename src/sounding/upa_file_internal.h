// upa_file_internal.h: the table of operations that each back end of the upper-air file layer
// defines once (text forms upa_text.cpp and upa_text_out.cpp, netCDF upa_cdf.cpp, XML
// upa_xml.cpp, binary summary upa_bin.cpp); upa_file.cpp dispatches through it.  Private to
// the sounding folder.
#ifndef UPA_FILE_INTERNAL_H
#define UPA_FILE_INTERNAL_H

#include "upa_file.h"

#include <cstdio>

struct UPA_backend {
    /// Opens name with access 0 (read) or 1 (write) as kind; the descriptor or id, -1.
    int (*open)(const char *name, int access, int kind);
    /// Closes; 0, or -1 when an output could not be written whole.
    int (*close)();
    int (*rewind)();                                  // 0, or -1 when it cannot
    int (*getinfo)(UPA_info *info);                   // 0 text kinds, 1 the others
    int (*putinfo)(UPA_info *info);                   // 0
    int (*read)(UPA_report *report, int mode, int statnum);  // 0, -1
    int (*write)(UPA_report *report, int *statnum);          // 0, -1
};

extern const UPA_backend UPA_text_backend;
extern const UPA_backend UPA_cdf_backend;
extern const UPA_backend UPA_xml_backend;
extern const UPA_backend UPA_bin_backend;

// Shared by the back ends (upa_file.cpp).

/// The stream of a text, XML or binary back end: opened for reading ("r" or "rb") or for
/// writing ("w" or "wb"); NULL when it cannot be opened.  *start is what upa_close_stream needs.
FILE *upa_open_stream(const char *name, int access, bool binary, long *start);
/// Closes such a stream: 0, or for an output -1 when it could not be written whole (the file is
/// then removed; UPA_close names it in its message).
int upa_close_stream(FILE *fp, int access, long start);
/// Text pressures written by the newer text forms: the surface (p, t, td) as the first
/// significant level when a report has none and the surface has a pressure; the same for the
/// surface wind at height 0.  Both change the caller's report.
void upa_surface_as_sig(UPA_report *report);
void upa_surface_as_wind(UPA_report *report);
/// A count read from a file kept within 0 and max.
int upa_count(long count, int max);

// The writing side of the text forms (upa_text_out.cpp).

/// The header lines of a text kind; 0.
int upa_text_putinfo(FILE *fp, int kind, const UPA_info *info);
/// One station in a text kind; 0.
int upa_text_write(FILE *fp, int kind, UPA_report *report);

#endif
