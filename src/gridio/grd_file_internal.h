// grd_file_internal.h: the grid-file table and its back ends (one per kind); not for callers of
// the grid files.
//
// The table (grd_file.cpp) checks a call, finds the slot's record and hands it to the back end
// of the slot's kind.  Every back end defines its row once; an entry a kind does not offer is
// null and the table answers -1 for it.  No code outside the back ends and the table asks which
// kind a slot holds.
#ifndef GRD_FILE_INTERNAL_H
#define GRD_FILE_INTERNAL_H

#include "vyk.h"
#include "grd_file.h"

#include <cstddef>

/// The read positions of a slot's file.
struct GRD_pos {
    long cur_pos = 0;   // stream offset where the current product begins
    long new_pos = -1;  // stream offset just after the last product read; -1 unknown
    int cont = 0;       // GRIB edition 2: the next product is another field of this message
    int pcont = 0;      // GRIB edition 2: the current product is such a field
    int wind = 0;       // WMO GRID messages: the wind counter
    long msg_pos = 0;   // GRIB: offset where the current product's message begins
    long msg_end = -1;  // GRIB: offset just after that message; -1 unknown
    int field = 0;      // GRIB edition 2: the current product's field in its message (0 first)
    int frame_prev = 0; // GRIB: the stream's framing, to try first again after a message that
                        // came in another (0 none)
};

/// The positions of an open file (the table's state, one per slot; a slot's positions start
/// afresh when a file is opened in it).
GRD_pos &grd_pos(const GRD_file *f);

/// One kind's back end.
struct GRD_backend {
    int kind = 0;
    const char *name = "";
    // Opening: the record's stream or id, from a name the table has checked.  0, or -1.
    int (*open)(GRD_file *f, const char *name, int access) = nullptr;
    int (*close)(GRD_file *f) = nullptr;
    int (*rewind)(GRD_file *f) = nullptr;
    int (*getinfo)(int slot, GRD_file *f, GRD_info *info) = nullptr;
    int (*putinfo)(int slot, GRD_file *f, GRD_info *info) = nullptr;
    int (*read)(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num) = nullptr;
    int (*write)(int slot, GRD_file *f, GRD_report *grd, int *num) = nullptr;
};

// The rows of the kinds, each defined in its back end's file.
extern const GRD_backend grd_backend_text_plain;   // grd_vyk.cpp
extern const GRD_backend grd_backend_text;         // grd_vyk.cpp
extern const GRD_backend grd_backend_binary;       // grd_vyk.cpp
extern const GRD_backend grd_backend_text_domain;  // grd_vyk.cpp
extern const GRD_backend grd_backend_netcdf;       // grd_cdf.cpp
extern const GRD_backend grd_backend_grib;         // grd_file.cpp (GRIB work in grib_*)
extern const GRD_backend grd_backend_wmo_grid;     // grd_file.cpp (messages in grd_grid)

// Stream kinds: opening with the file layer, closing, rewinding (the first line skipped when
// skip_first is set).  Shared by the back ends of stream kinds.
int grd_stream_open(GRD_file *f, const char *name, int access);
int grd_stream_close(GRD_file *f);
int grd_stream_rewind(GRD_file *f, bool skip_first);

/// Makes the record hold an array of n values: an array it owns that is large enough is kept,
/// else the old one goes (GRD_free's rule) and GRD_alloc makes one for the record's domain,
/// which must hold n values.  true, or false (a message) when memory runs out.
bool grd_values(GRD_report *grd, size_t n);
/// Releases the record's values by GRD_free's rule, keeping its domain and source.
void grd_drop_values(GRD_report *grd);

// ---------------------------------------------------------------------------------------------
// Kinds whose back ends live in files of their own (grd_grib.cpp, grd_grid.cpp, grd_cdf_model.cpp)
// ---------------------------------------------------------------------------------------------

/// GRIB files through the grid-file contract (header, products, raw copies).
int GRIB_grd_getinfo(int slot, GRD_file *f, GRD_info *info);
int GRIB_grd_read(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num);
int GRIB_grd_write(int slot, GRD_file *f, GRD_report *grd, int *num);
/// WMO character GRID messages.
int GRID_getinfo(int slot, GRD_file *f, GRD_info *info);
int GRID_read(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num);
/// Forgets what was found in the messages of a file that is being closed.
void GRID_forget(const GRD_file *f);
/// netCDF model-output files (the netCDF back end hands such files over).
int CDF_model_getinfo(int slot, GRD_file *f, GRD_info *info);
int CDF_model_read(int slot, GRD_file *f, GRD_report *grd, int rep_type, int *num);

#endif
