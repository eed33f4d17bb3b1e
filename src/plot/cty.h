// cty.h: the station database (cty.cpp: the station file and lookups in it; cty_pattern.cpp:
// the identifier patterns; cty_store.cpp: the keyed station table of the current plot;
// cty_plot.cpp: the station plot) and the WMO numbers' coded identifiers (wmo_id.cpp).
//
// A station file ("sao.cty", "upa.cty") is text, one station per line, ten fields separated by
// blanks: name ('_' for blanks, at most 20 characters), state (2), country code (2, "B_" for a
// buoy), identifier (9), the priority token ([*]DIGIT[*]), latitude, longitude, elevation (above
// 9000: missing), WMO number (99999: none) and an optional count.
#ifndef CTY_H
#define CTY_H

#include "vyktab.h"
#include "dom.h"

constexpr int CTY_ID_LEN = 11;      // a plot identifier: 10 characters and the end
constexpr int CTY_NAME_LEN = 21;    // station name: 20 characters and the end
constexpr int CTY_STATE_LEN = 3;    // state, and country code: 2 characters and the end
constexpr int CTY_STID_LEN = 10;    // station identifier: 9 characters and the end
constexpr int CTY_ELEV_MAX = 9000;  // elevations above are missing
constexpr int WMO_NONE = 99999;     // the WMO number of a station that has none
constexpr int WMO_ID_LEN = 8;       // a coded identifier: 5 characters (6 for a negative number)

/// One station of a station file.
struct CTY_data {
    char name[CTY_NAME_LEN];     // blanks written as '_'
    char state[CTY_STATE_LEN];
    char region[CTY_STATE_LEN];  // country code; "B_" a buoy
    char id[CTY_STID_LEN];
    int prior;                   // plotting priority 0 to 9, 0 the most important
    char mos;                    // '*' when the priority token begins with '*', else ' '
    char ua;                     // '*' when a '*' follows the priority digit, else ' '
    float lat, lon;              // degrees north and east
    float el;                    // elevation; -9999 missing
    int wmo;                     // WMO number; WMO_NONE when none
    int num;                     // the tenth column; 0 when the line has none
};

/// A station placed on the plot.
struct CTY_locate {
    char id[CTY_ID_LEN];  // plot identifier
    int wmo;              // WMO number
    float x, y;           // plot position
    float el;             // elevation
    int pr;               // priority
};

/// What CTY_getinfo reports of the open file.
struct CTY_info {
    int dtype;  // the data type given to CTY_open
};

/// Stored records: the station, or its plot placement, and its user buffer (NULL: none).
struct stat_FULL_data {
    CTY_data data;
    char *ptr;
};
struct stat_XY_data {
    CTY_locate data;
    char *ptr;
};

/// Store types of the station table.
enum { CTY_STORE_NONE = 0, CTY_STORE_FULL = 1, CTY_STORE_XY = 2, CTY_STORE_XY_LOC = 3 };
/// Plot identifier types.
enum { CTY_ID_STATION = 0, CTY_ID_WMO = 1, CTY_ID_CODED = 2 };

// ---------------------------------------------------------------------------------------------
// The station file (cty.cpp): one open file at a time
// ---------------------------------------------------------------------------------------------

/// Empties a station: name and id empty, wmo, lat, lon and el -9999.  0.
int CTY_data_init(CTY_data *city);
/// Opens filename for reading (f_access 0) or writing (1) and records f_type as its data type:
/// the descriptor, -1 when it cannot be opened or for another access.
int CTY_open(const char *filename, int f_access, int f_type);
/// Rewinds the open file and reports its data type.  0; -1 when no file is open.
int CTY_getinfo(int city_fd, CTY_info *info);
int CTY_rewind(int city_fd);
int CTY_close(int city_fd);
/// Reads the next station of the open file into city: the count of fields converted (9 or 10),
/// -1 at the end or when no file is open.  Lines that are not stations are passed over with a
/// warning.
int CTY_read(int city_fd, CTY_data *city);
/// Opens the station database (the `city_file` resource, else city_file, else "sao.cty", under
/// `file_path`) for reading; *num_stats gets the table size to use (1 to 4000).  The descriptor,
/// -1 when there is no database ("none") or it cannot be opened.
int CTY_open_file(const char *city_file, int *num_stats);
/// Finds station id (its identifier, whole name or WMO number, any case) in the database: 1
/// with data filled, 0 when not found.
int CTY_get(const char *city_file, const char *id, CTY_data *data);
/// As CTY_get, copying the station's position: 1 found, 0 not (lat and lon untouched).
int CTY_get_loc(const char *city_file, const char *id, float *lat, float *lon);
/// The `stat_prior` resource; 10 when it is not set.
int CTY_get_prior();

// ---------------------------------------------------------------------------------------------
// Identifier patterns (cty_pattern.cpp)
// ---------------------------------------------------------------------------------------------

/// 1 when numid is 0; else the index of the first entry of ids that the station matches, -1
/// when none.
int CTY_data_cmp(int numid, char **ids, const CTY_data *data);
/// 1 when numid is 0, an entry is a pattern, or a plain entry equals id (any case); else 0.
int CTY_ids_cmp(int numid, char **ids, const char *id);
/// 1 when the entry is a pattern or equals id (any case); else 0.
int CTY_id_cmp(const char *ids, const char *id);

// ---------------------------------------------------------------------------------------------
// The station table (cty_store.cpp)
// ---------------------------------------------------------------------------------------------

/// How stored stations are named: CTY_ID_STATION, CTY_ID_WMO or CTY_ID_CODED.  0.
int CTY_set_id_type(int type);
int CTY_get_id_type();
/// Bytes of each stored station's user buffer (0: none).  0.
int CTY_data_size(int size);
/// Bytes of the user buffers of stations stored from now on.
int CTY_get_data_size();
/// The function that fills a new station's user buffer.  0.
typedef void (*CTY_enter)(const CTY_data *city, char *buffer);
int CTY_enter_func(CTY_enter func);
/// Builds the station table of a store type for the stations of priority at most prior (-9999:
/// CTY_get_prior()) that pass the `identifier` patterns and lie in domain: the database's
/// descriptor, 0 when there is no database.
int CTY_store(const char *city_file, int type, const Domain *domain, int prior);
/// Store type 1 only: adds a station known by identifier and WMO number.  0.
int CTY_make_entry_simple(const char *id, const char *wmo);
/// Copies the stored station named id (a CTY_data for store type 1, a CTY_locate otherwise)
/// into data: 1 found, 0 not.
int CTY_search(const char *id, void *data);
/// The stored station nearest to lat, lon (store type 3, up to 4.9 degrees away): 1 with data
/// filled, 0 when none.
int CTY_search_loc(float lat, float lon, CTY_locate *data);
/// The user buffer of the stored station id, NULL when none.
char *CTY_get_data(const char *id);
/// The user buffer of the next stored station (next 0: the first), NULL at the end.
char *CTY_next_data(int next);
/// flag 0 frees every user buffer; otherwise empties each (first byte 0).  0.
int CTY_clear_data(int flag);
/// Empties the station table (and frees the user buffers left).  0.
int CTY_clear();
TAB_table *CTY_get_table();
/// Reads the station-plot words of the plot_param resource (mark=, wmo, num, id, nzero); what
/// they set stays set for later plots.  0.
int CTY_plot_param();
/// Plots the stations of the default database over the current map: those of the plot's
/// station priority that the `identifier` entries select (all without entries).  0, also when
/// there is no database.
int CTY_plot();

// ---------------------------------------------------------------------------------------------
// WMO numbers and coded identifiers (wmo_id.cpp)
// ---------------------------------------------------------------------------------------------

/// Writes the coded identifier of wmo into id (WMO_ID_LEN bytes).  0.
int wmo_to_id(char *id, int wmo);
/// Reads a coded identifier: 0 with *wmo its number; -1 for anything else (a five-digit number
/// gives *wmo that number, other texts WMO_NONE).
int id_to_wmo(const char *id, int *wmo);

#endif
