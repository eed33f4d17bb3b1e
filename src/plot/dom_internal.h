// dom_internal.h: what the domain-string reader (dom.cpp) and the regions (dom_region.cpp)
// share.
#ifndef DOM_INTERNAL_H
#define DOM_INTERNAL_H

#include "dom.h"

namespace vykdom {

/// What a region field of a domain string gave.
enum class RegionField {
    domain,     // the region's domain was decoded into the domain
    menu_only,  // a region file was loaded as the menu; no domain
    failed,     // no such region, or its domain string is invalid
};

/// Reads a region field ("name", "file:name", "fi:file", "file:") into domain.
RegionField dom_read_region(const char *field, Domain *domain);

/// 1 when a file name taken from a domain string may be opened: a plain name, never a
/// command ('|'), a standard stream or an empty name.
bool dom_file_name_ok(const char *name);

}  // namespace vykdom

#endif
