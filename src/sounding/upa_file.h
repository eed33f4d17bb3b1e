// upa_file.h: the upper-air file layer (upa_file.cpp and its back ends): one upper-air file
// open at a time, of any kind of upa_report.h, moving UPA_report records between it and its
// callers.
//
// Stations count from 0 in file order.  Callers read stations in ascending order from 0 after
// opening or rewinding, and may read the station just read again; the caller advances its own
// counter after a read.  The readers return 0 for a station and -1 at the end of the file.
#ifndef UPA_FILE_H
#define UPA_FILE_H

#include "upa_report.h"

// Read modes (rep_type of UPA_read); 1 to 16 read that mandatory slot into slot 0.
enum {
    UPA_READ_SFC = 0,      // the surface only, into slot 0
    UPA_READ_TROP = 22,    // the tropopause into slot 0
    UPA_READ_MWND = 23,    // the maximum wind into slot 0
    UPA_READ_ALL = 30,     // the whole report
    UPA_READ_ID = 31,      // the station token only
    UPA_READ_STATION = 32, // netCDF kinds: identifier, region, number, position and elevation
};

// Access of UPA_open.
enum { UPA_ACCESS_READ = 0, UPA_ACCESS_WRITE = 1 };

/// The kind of the file (upa_report.h), or -1 when it cannot be read or is not recognised.
int UPA_chktype(const char *filename);
/// Opens filename for reading (f_access 0) or writing (1); *f_type 0 asks for detection
/// (reading only) and receives the kind.  The stream's descriptor or the netCDF id, -1 on failure
/// (a netCDF output whose name is not a regular file is refused before anything is made).
int UPA_open(const char *filename, int f_access, int *f_type);
/// Closes the open file: 0, or -1 when none is open or an output could not be written whole
/// (with a message naming the file; a file made for the output is then removed).
int UPA_close(int cvt_fd);
/// Positions the reader before the first station: 0, -1 for a kind that cannot be rewound.
int UPA_rewind(int cvt_fd);
/// Reads the header: 0 for the text kinds, 1 for the others.
int UPA_getinfo(int cvt_fd, UPA_info *info);
/// Writes the header: 0, -1 when no file of a known kind is open for writing or the netCDF
/// header could not be written.
int UPA_putinfo(int cvt_fd, UPA_info *info);
/// Reads station *statnum in mode rep_type: 0, or -1 at the end of the file or when the
/// station cannot be read.  *statnum is not changed.
int UPA_read(int cvt_fd, UPA_report *report, int rep_type, int *statnum);
/// Appends one station (rep_type is not used).  The text, XML and binary kinds advance
/// *statnum; the netCDF kinds write record *statnum and leave it.  The writer may change the
/// report (a surface becomes the first significant or wind level).  0, -1 for no open output
/// or a netCDF record that could not be written.
int UPA_write(int cvt_fd, UPA_report *report, int rep_type, int *statnum);
/// The kind of the open file, 0 when none is open.
int UPA_get_kind();

#endif
