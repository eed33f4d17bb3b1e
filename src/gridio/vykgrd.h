// vykgrd.h: grid records and grid files.
//
// The grid record GRD_report (core's vykrec.h, shared with contouring) carries every gridded field
// of the system: the grid-file readers fill it, the grid calculations compute into it,
// contouring and vector plots draw from it.  Its operations belong to the grid calculations
// (src/gridcalc, grd_tool.h); the few that the grid-file readers call (an empty record, values
// allocated and released, and a scratch record built on them) are declared here, as an
// exception to the layering listed with the folder layout.
#ifndef VYKGRD_H
#define VYKGRD_H

#include "vyk.h"
#include "vykdom.h"
#include "vykrec.h"

#include <cstddef>

// Record operations that the grid-file readers use (defined in src/gridcalc/grd_record.cpp,
// which calls nothing above the record).
// The readers keep to the ownership rule of the grid table (grd_tool.h): values they read go
// into an array of GRD_alloc, and the record's old values are released only through GRD_free.

/// Empties a record: no values (nothing released), labels empty, source, model and type 0,
/// time, ltype, level and var -9999; version, date, units and domain kept.  0.
int GRD_init(GRD_report *grid);
/// Allocates domain.nx x domain.ny values (uninitialised) owned by this record; a previous
/// array is not released.  1, or 0 with a warning for a size that is not positive or larger
/// than GRD_MAX_POINTS, or when memory runs out (the record then has no values).
int GRD_alloc(GRD_report *grid);
/// Releases the values when this record owns them (an array shared by a copy is only dropped),
/// sets source to 0 and empties the domain.  0.
int GRD_free(GRD_report *grid);
/// The number of values the record's array holds when GRD_alloc made it, else 0 (no array, or
/// one of unknown size).
size_t GRD_capacity(const GRD_report *grid);

/// A record of the caller's own for the while: empty (GRD_init) on an empty domain, its values
/// released (GRD_free) when it goes.
struct GRD_scratch {
    GRD_report r{};
    GRD_scratch()
    {
        GRD_init(&r);
        DOM_init(&r.domain);
    }
    ~GRD_scratch() { GRD_free(&r); }
    GRD_scratch(const GRD_scratch &) = delete;
    GRD_scratch &operator=(const GRD_scratch &) = delete;
};

#endif
