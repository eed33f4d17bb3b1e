// grd_file.h: the table of open grid files (grd_file.cpp).
//
// Every grid file is read and written through one contract, whatever its kind: open it in a
// slot (0 to GRD_MAX_FILES - 1), read its header, read product N (its header alone, or with
// its values), write products, rewind, close.  Callers hold only the slot number.  The kinds
// are the system's own text and binary grid files, netCDF (the system's own layout and model
// output), GRIB and WMO character GRID messages; each is a back end behind one table.
//
// Results: 0 success; -1 a bad or empty slot, the end of a file, or a failure (with a message
// where the reader found something wrong in the file); GRIB may answer 1 (an edition-2 message
// without data).  Products are numbered 0, 1, 2, ... in file order.  A scan reads the headers of
// products 0, 1, 2, ... (GRD_READ_HEADER) until the result is not 0 and reads a wanted product
// again with its values under the same number.
#ifndef GRD_FILE_H
#define GRD_FILE_H

#include "vykgrd.h"
// GRD_set_format and GRD_use_hdr_file, declared where the plot-parameter keywords need them.
#include "vykgopt.h"

#include <cstdio>

/// Slots of the table.
constexpr int GRD_MAX_FILES = 15;

/// File kinds (GRD_file::type).
enum GRD_kind : int {
    GRD_DETECT = 0,       // open for reading: detect the kind from the first bytes
    GRD_TEXT_PLAIN = 1,   // own text grid file without a first line
    GRD_TEXT = 2,         // own grid file, first line "VYKGRID" (text or binary products)
    GRD_BINARY = 3,       // the same file written with binary values
    GRD_TEXT_DOMAIN = 4,  // own grid file with one-token domains, first line "VYKGRID4"
    GRD_NETCDF = 11,      // netCDF: the system's own layout or model output
    GRD_GRIB = 21,        // GRIB editions 0, 1 and 2 in any framing
    GRD_WMO_GRID = 22,    // WMO character GRID messages
};

/// Access of GRD_open.
enum { GRD_ACCESS_READ = 0, GRD_ACCESS_CREATE = 1, GRD_ACCESS_APPEND = 2 };

/// Read kinds of GRD_read.
enum {
    GRD_READ_VALUES = 0,       // header and values
    GRD_READ_HEADER = 1,       // header only
    GRD_READ_HEADER_DATA = 2,  // header only; GRIB edition 2 without an index also decodes data
};

/// The value format text grid files are written with when none is set.
constexpr const char *GRD_DEF_FORMAT = "%14.8e";
/// Longest value format.
constexpr int GRD_FORMAT_MAX = 14;

/// Texts of the open-file record.
constexpr int GRD_FILE_DATIM_LEN = 50;
constexpr int GRD_FILE_VARNM_LEN = 50;
/// Variables a netCDF model-output file registers.
constexpr int GRD_FILE_VARS = 15;

/// One open grid file.  The fields up to ny_id are those of the file's readers and the GRIB
/// decoder; the rest are the table's own bookkeeping.
struct GRD_file {
    FILE *file = nullptr;   // the data stream (stream kinds); none for netCDF
    FILE *hfile = nullptr;  // the attached GRIB index file, or none
    char datim[GRD_FILE_DATIM_LEN] = "";  // label of the first product (own kinds)
    Date date{};            // the file's date from GRD_getinfo (stream kinds and GRIB)
    int fd = -1;            // netCDF id; 1 for an open stream; -1 while nothing is open
    int grid = 0;           // netCDF own layout: its grid_type; GRIB: the edition mark
    int type = 0;           // the kind (GRD_kind)
    int itype = 0;          // kind 4: 3 binary values, 0 text; GRIB: framing; netCDF: 0 own
                            // layout, else the model-output class
    char var_nm[GRD_FILE_VARNM_LEN] = "";  // netCDF model output: the GRIDVAR name
    int var[GRD_FILE_VARS] = {};           // netCDF model output: code of each variable
    int var_num = 0;        // netCDF model output: variables registered
    int cur_var = 0;        // netCDF model output: variable being read, -1 before the first
    int num = 0;            // the current product (the one the stream stands on)
    long max_num = 0;       // netCDF: products known
    long x_size = 0, y_size = 0, z_size = 0, t_size = 0;  // netCDF model output: lengths
    int x_dim = -1, y_dim = -1, z_dim = -1, t_dim = -1;   // netCDF model output: dimension ids
    int values_id[GRD_FILE_VARS] = {};  // netCDF: value variable ids (own layout: entry 0)
    // netCDF variable ids of the per-product variables; -1 when absent.
    int x_coord_id = -1, y_coord_id = -1, proj_id = -1, lat1_id = -1, lat2_id = -1,
        lon1_id = -1, lon2_id = -1, datim_id = -1, info_id = -1, source_id = -1,
        version_id = -1, model_id = -1, type_id = -1, ltype_id = -1, level_id = -1,
        time_id = -1, var_id = -1, dx_id = -1, dy_id = -1, nx_id = -1, ny_id = -1;

    int std_stream = 0;  // 1: the stream is the standard input or output (never positioned)
    int std_label = 0;   // 1: GRD_getinfo took the first label off the standard input
    int std_count = 0;   // products read from the standard input
    int appending = 0;   // 1: opened to append to an existing file (no file header written)
    long records = 0;    // netCDF opened to append: the records it held
    int cdf_model = 0;   // netCDF: 1 for a model-output file (whatever class itype names)
    char name[FILE_NAME_MAX + 1] = "";  // the name opened (for messages)
    int output = 0;       // 1: opened to write (create or append)
    int out_failed = 0;   // the output failed: GRD_OUT_FAILED or GRD_OUT_ABANDONED; 0 not
    long out_start = -1;  // a stream output: where it began (FILE_output_start)
};

/// GRD_file::out_failed: a write the library or stream did not take; the writer gave up.
enum { GRD_OUT_FAILED = 1, GRD_OUT_ABANDONED = 2 };

// ---------------------------------------------------------------------------------------------
// The contract
// ---------------------------------------------------------------------------------------------

/// Opens a grid file in the lowest empty slot: access 0 read, 1 create (a file of that name is
/// replaced), 2 append (own text and binary kinds, and the netCDF own layout, to a file of the
/// same kind).  *f_type in: the kind, or 0 to detect it (reading); out: the kind.  "" and "-"
/// (and the other standard-stream names) are the standard input or output as kind 2 (3 and 21
/// as given).  A '|' command is never read (the layer positions its streams); it may be
/// written as a text, binary or GRIB stream.  The slot, or -1 (nothing printed unless the name
/// was refused).
int GRD_open(const char *filename, int f_access, int *f_type);
/// The kind of a file from its first 200 bytes, or -1 (also for standard streams and commands,
/// which detection would consume).
int GRD_chktype(const char *filename);
/// Attaches a GRIB index file to an open GRIB slot: 0, or -1 (not GRIB, no name, index files
/// off, cannot be opened).
int GRD_hdr_open(int slot, const char *filename);
/// Reads the file header into info and prepares reading: 0 or -1.
int GRD_getinfo(int slot, GRD_info *info);
/// Writes the file header of an output file: 0, or -1 (bad slot, kind without a writer, a header
/// refused, or one that could not be written: the output then fails at GRD_close).
int GRD_putinfo(int slot, GRD_info *info);
/// Reads product *num into grd (rep_type: GRD_READ_VALUES, GRD_READ_HEADER,
/// GRD_READ_HEADER_DATA); after a read with values *num holds the number of the product read.
/// A negative *num reads the current product again.
int GRD_read(int slot, GRD_report *grd, int rep_type, int *num);
/// Appends product grd (it must have values); *num is the record number for netCDF.  0, or -1
/// when it was refused (nothing is written) or could not be written (the output then fails at
/// GRD_close).
int GRD_write(int slot, GRD_report *grd, int rep_type, int *num);
/// Back to the first product: 0, or -1 for a bad slot.
int GRD_rewind(int slot);
/// Closes the file and empties the slot: 0 (also for an empty slot), -1 for a bad slot.  An
/// output ends through the core's output closing: when a header or product was not written
/// whole, or the close fails, the result is -1 with a message naming the file, and no cut file
/// is left: a file made for the output is removed, a stream appended to is cut back to what it
/// held (records appended to a netCDF file are only reported), a name that is not a regular
/// file is only closed.
int GRD_close(int slot);
/// Closes an output whose writer gave up (it has said why), undoing it as a failed GRD_close
/// does; any other slot is closed as GRD_close does.  0 (-1 for a bad slot).
int GRD_abandon(int slot);

// ---------------------------------------------------------------------------------------------
// Settings (the plot-parameter words "nohdr" and "grdfmt")
// ---------------------------------------------------------------------------------------------

// GRD_use_hdr_file and GRD_set_format: vykgopt.h.
/// 1 while GRIB index files are used, else 0.
int GRD_get_use_hdr_file();
/// The value format of text output: the one set, else GRD_DEF_FORMAT.
const char *GRD_get_format();

// ---------------------------------------------------------------------------------------------
// For the GRIB decoder
// ---------------------------------------------------------------------------------------------

/// The open-file record of slot ind, or NULL for a bad or empty slot.
GRD_file *GRD_get_gfile(int ind);
/// The offset where the current product of the slot's file begins (-1 for a bad slot).
long GRD_get_pos(int slot);
/// Reads 160 bytes from the current product's start into header (160 bytes; not terminated)
/// and returns the stream there: 0, or -1 (bad slot, no stream, standard stream).
int GRD_get_header(int slot, char *header);
/// GRIB slots: moves the stream to offset, makes it the next product's start and num the
/// current product; other kinds are left alone.  1.
int GRD_setpos(int slot, long offset, int num);

/// A printable name of a kind ("text", "binary", "netCDF", ...), "unknown" for other codes.
const char *GRD_kind_name(int kind);

#endif
