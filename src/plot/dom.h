// dom.h: the tools around the Domain record (dom.cpp): emptying, comparing and measuring a
// domain, the domain string with its reader DOM_decode and printer DOM_print, the projection
// names and the station plotting priority; and the regions (dom_region.cpp): the region file
// "vyk.reg", the built-in regions, the region menu and the region prompt.
//
// The Domain record, DOM_init, DOM_print and DOM_decode are declared in vykdom.h and vykup.h,
// where the image files and the resource layer below this folder need them.
#ifndef DOM_H
#define DOM_H

#include "vykdom.h"

/// The kinds of Domain::proj: map projections 1 to 9, diagram spaces 20 to 51 and 99.
enum DOM_kind : int {
    DOM_NONE = -9999,     // no domain
    DOM_UNKNOWN = -1,     // what an unknown projection name gives
    DOM_PSTEREO = 1,      // polar stereographic
    DOM_LATLON = 2,       // latitude-longitude (cylindrical equidistant)
    DOM_MERC = 3,         // Mercator
    DOM_LAMB = 4,         // Lambert conformal conic
    DOM_ORTHO = 5,        // orthographic
    DOM_GNOM = 6,         // gnomonic (named only: no transform)
    DOM_MOLL = 7,         // Mollweide
    DOM_LAMBAZ = 8,       // Lambert azimuthal equal-area
    DOM_SAT = 9,          // geostationary satellite view
    DOM_XY = 20,          // x and y scaled
    DOM_XZ = 21,          // named only
    DOM_XLOGP = 22,       // x and the logarithm of pressure
    DOM_HODO = 23,        // hodograph (direction and speed, polar)
    DOM_CAT = 24,         // time-height section (file index and height, scaled)
    DOM_XP = 25,          // x scaled, y scaled and reflected
    DOM_SKEWT = 40,       // skew-T log-p
    DOM_STUVE = 41,       // Stuve
    DOM_EMA = 42,         // emagram
    DOM_TEPH = 43,        // tephigram
    DOM_RTEPH = 44,       // rotated tephigram
    DOM_ZOOM = 50,        // a zoom rectangle (no transform)
    DOM_SIZE = 51,        // a picture size (no transform)
    DOM_PIXEL = 99,       // pixel column and row
};

/// Results of DOM_decode (also the region code, flag 5).
enum { DOM_INVALID = -1, DOM_DOMAIN = 1, DOM_REGION = 2 };

/// Field kinds of the layouts of DOM_set_params.
enum DOM_field : int {
    DOM_F_END = 0, DOM_F_PROJ = 1, DOM_F_PLON = 3, DOM_F_STATION = 4, DOM_F_CLAT = 5,
    DOM_F_CLON = 6, DOM_F_NX = 7, DOM_F_NY = 8, DOM_F_DX = 9, DOM_F_DY = 10, DOM_F_REGION = 11,
};

/// Regions nest (a region's domain string may name a region) at most this deep.
constexpr int DOM_MAX_DEPTH = 8;
/// A region file's domain string holds at most this many characters (DOM_search_file's
/// domstr holds one more).
constexpr int DOM_STR_MAX = 79;
constexpr int DOM_STR_LEN = DOM_STR_MAX + 1;
/// Region file fields: abbreviation and name lengths, and the longest line read.
constexpr int DOM_ABBR_MAX = 5;
constexpr int DOM_NAME_MAX = 20;
constexpr int DOM_LINE_MAX = 499;
/// Rows of the region menu: the return entry, up to 19 regions and the end.
constexpr int DOM_MENU_ROWS = 23;
constexpr int DOM_MENU_REGIONS = 19;

// ---------------------------------------------------------------------------------------------
// Domains and domain strings (dom.cpp)
// ---------------------------------------------------------------------------------------------

/// 1 when the two domains are the same domain (a missing pole stands for the centre), else 0.
int DOM_comp(const Domain *dom1, const Domain *dom2);
/// 1 when the two share kind, poles, parameters and ellipse, whatever their centre and size.
int DOM_comp_proj(const Domain *dom1, const Domain *dom2);
/// (nx - 1) / (ny - 1) when both counts are above 1, else 1.
float DOM_aspect(const Domain *domain);
/// Reads the paramc fields into domain when they fit the layout i1 .. i8 (DOM_field kinds,
/// ending at the first DOM_F_END): 0 when they fit, else non-zero.
int DOM_set_params(int paramc, char **paramv, Domain *domain, int i1, int i2 = 0, int i3 = 0,
                   int i4 = 0, int i5 = 0, int i6 = 0, int i7 = 0, int i8 = 0);
/// The kind of a projection name (DOM_kind); -1 for an unknown name or NULL.
int DOM_proj_str(const char *proj);
/// The printed name of a kind ("" for kinds without one).
const char *DOM_proj_name(int proj);

/// Station plotting priority from a domain height in plot units and the stat_prior resource.
int DOM_set_base_prior(float size);
int DOM_set_prior(int prior);
int DOM_get_prior();
int DOM_set_loc_prior(int prior);
int DOM_get_loc_prior();

// ---------------------------------------------------------------------------------------------
// Regions (dom_region.cpp)
// ---------------------------------------------------------------------------------------------

/// 1 and the domain filled for a built-in region name, else 0.
int DOM_get_def_region(const char *region, Domain *domain);
/// 1 when the region file was loaded into the region menu, 0 when it cannot be opened.
int DOM_read_menu(const char *file);
/// 1 with the domain string of region str (NULL: the first) copied into domstr (DOM_STR_LEN
/// bytes), else 0.
int DOM_search_file(const char *file, const char *str, char *domstr);
/// Lists the abbreviation and name of every entry of a region file; returns 0.
int DOM_print_file(const char *file);
/// The DOM_decode result of the domain that the resources give (flag 1, 3, 4: plot_domain
/// first; 4: the first menu region as a last resort), or 0 when none applies.
int DOM_get_region(Domain *domain, int flag);
/// As DOM_get_region for the grid domain (grid_domain, region, plot_domain).
int DOM_get_grid_domain(Domain *domain);
/// The domain from the resources or the region menu.
int DOM_prompt_region(Domain *domain, int flag);
int DOM_set_prompt_region(int val);
/// The name of menu row region, or NULL past the last filled row.
const char *DOM_get_region_name(int region);

#endif
