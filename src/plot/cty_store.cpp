// The station table of the current plot: the stations of the database that pass the priority,
// the `identifier` patterns and the domain, keyed by identifier, WMO number and (store type 3)
// location in tenths of degrees, each with an optional user buffer that data programs fill.
//
// The table has as many buckets as the database file suggests, at most a few thousand, so that
// a large database makes long bucket chains.  Beside it an index per key (in memory only) finds
// the record the table's search would find, the one entered first under that key, at once: a
// look-up, and the nearest-station search of up to ten thousand probes, stays short whatever
// the size of the database.
#include "vyk.h"
#include "cty.h"
#include "map.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr int KEY_ID = 1;   // key slots of the table
constexpr int KEY_WMO = 2;
constexpr int KEY_LOC = 3;
constexpr int RINGS = 50;   // the nearest-station search reaches 4.9 degrees
constexpr int KEY_LEN = 64; // a location key of any float fits
constexpr double CELL_MAX = 1e15;  // tenths of degrees beyond this have no cell in the index

// A location cell: whole tenths of degrees of latitude and longitude.
using Cell = std::pair<int64_t, int64_t>;
struct CellHash {
    size_t operator()(const Cell &c) const
    {
        return std::hash<uint64_t>()(static_cast<uint64_t>(c.first) * 0x9E3779B97F4A7C15u ^
                                     static_cast<uint64_t>(c.second));
    }
};

// Cells of locations on the earth, for the map of the cells holding a station: tenths of
// degrees of latitude from -90 to 90 and of longitude from -360 to 360.
constexpr int64_t LAT_CELLS = 1801, LON_CELLS = 7201;

// The records of the table by key, each key to the record entered first under it, and a bit
// for every cell of the earth that holds a station, so that the many empty cells a search
// probes are passed without a look-up.
struct Index {
    std::unordered_map<std::string, void *> id, wmo;
    std::unordered_map<Cell, void *, CellHash> loc;
    std::vector<uint64_t> held;  // LAT_CELLS x LON_CELLS bits, made with the first location
};

// The bit of a cell on the earth; false for a cell beyond it.
bool earth_bit(const Cell &c, size_t &bit)
{
    const int64_t row = c.first + LAT_CELLS / 2, col = c.second + LON_CELLS / 2;
    if (row < 0 || row >= LAT_CELLS || col < 0 || col >= LON_CELLS) return false;
    bit = static_cast<size_t>(row * LON_CELLS + col);
    return true;
}

struct State {
    int store = CTY_STORE_NONE;
    int id_type = CTY_ID_STATION;
    TAB_table city_tbl{};
    bool table_made = false;
    Index index;
    int data_size = 0;
    CTY_enter enter_func = nullptr;
};

State st;

bool full_records() { return st.store == CTY_STORE_FULL; }

// The user buffer pointer of a stored record.
char *&buffer_of(void *record)
{
    return full_records() ? static_cast<stat_FULL_data *>(record)->ptr
                          : static_cast<stat_XY_data *>(record)->ptr;
}

bool is_buoy(const CTY_data &city) { return std::strcmp(city.region, "B_") == 0; }

void wmo_key(const CTY_data &city, char (&key)[KEY_LEN])
{
    std::snprintf(key, sizeof key, is_buoy(city) ? "b%05d" : "%05d", city.wmo);
}

// Tenths of degrees to the nearest whole number, a negative zero written as 0.
double tenths(double v)
{
    const double r = std::nearbyint(v);
    return r == 0 ? 0.0 : r;
}

void loc_key(double lat10, double lon10, char (&key)[KEY_LEN])
{
    std::snprintf(key, sizeof key, "%5.0f%6.0f", tenths(lat10), tenths(lon10));
}

// The cell of a location key; false for one too far out (or not a number) to have one.
bool loc_cell(double lat10, double lon10, Cell &cell)
{
    const double a = tenths(lat10), b = tenths(lon10);
    if (!(std::fabs(a) <= CELL_MAX && std::fabs(b) <= CELL_MAX)) return false;
    cell = {static_cast<int64_t>(a), static_cast<int64_t>(b)};
    return true;
}

// The record the table holds under a location key, through the index where the key has a cell.
void *find_loc(double lat10, double lon10)
{
    Cell cell;
    if (loc_cell(lat10, lon10, cell)) {
        size_t bit;
        const std::vector<uint64_t> &held = st.index.held;
        if (earth_bit(cell, bit) && (held.empty() || !(held[bit / 64] >> (bit % 64) & 1)))
            return nullptr;
        const auto it = st.index.loc.find(cell);
        return it == st.index.loc.end() ? nullptr : it->second;
    }
    char key[KEY_LEN];
    loc_key(lat10, lon10, key);
    return TAB_search(&st.city_tbl, KEY_LOC, key);
}

// The record the table holds under an identifier or WMO key.
void *find_key(int slot, const char *key)
{
    const auto &map = slot == KEY_WMO ? st.index.wmo : st.index.id;
    const auto it = map.find(key);
    return it == map.end() ? nullptr : it->second;
}

// Indexes the record just entered under its keys, unless an earlier record holds a key.
void index_last(const char *id_key, const char *wmo, const double *loc)
{
    void *rec = st.city_tbl.last_ptr ? st.city_tbl.last_ptr->data : nullptr;
    if (!rec) return;
    st.index.id.emplace(id_key, rec);
    st.index.wmo.emplace(wmo, rec);
    Cell cell;
    if (!loc || !loc_cell(loc[0], loc[1], cell)) return;
    st.index.loc.emplace(cell, rec);
    size_t bit;
    if (!earth_bit(cell, bit)) return;
    if (st.index.held.empty())
        st.index.held.assign(static_cast<size_t>((LAT_CELLS * LON_CELLS + 63) / 64), 0);
    st.index.held[bit / 64] |= uint64_t(1) << (bit % 64);
}

// The identifier a stored station goes by on the plot.
void plot_id(const CTY_data &city, char (&id)[CTY_ID_LEN])
{
    char wmo[KEY_LEN];
    wmo_key(city, wmo);
    const bool by_number = city.id[0] && city.id[1] == '-';
    switch (st.id_type) {
    case CTY_ID_WMO:
        strfcpy(id, city.wmo == WMO_NONE ? city.id : wmo);
        break;
    case CTY_ID_CODED:
        if (!by_number) {
            strfcpy(id, city.id);
        } else if (is_buoy(city)) {
            strfcpy(id, wmo);
        } else {
            char coded[WMO_ID_LEN];
            wmo_to_id(coded, city.wmo);
            strfcpy(id, coded);
        }
        break;
    default:
        strfcpy(id, by_number ? wmo : city.id);
        break;
    }
}

// A fresh user buffer for a station, filled by the program's function.
char *new_buffer(const CTY_data &city)
{
    if (st.data_size <= 0) return nullptr;
    char *buf = static_cast<char *>(std::calloc(static_cast<size_t>(st.data_size), 1));
    if (buf && st.enter_func) st.enter_func(&city, buf);
    return buf;
}

void free_buffers()
{
    if (!st.table_made) return;
    TAB_first(&st.city_tbl);
    while (void *rec = TAB_next(&st.city_tbl)) {
        std::free(buffer_of(rec));
        buffer_of(rec) = nullptr;
    }
}

void drop_table()
{
    free_buffers();
    if (st.table_made) TAB_clear(&st.city_tbl);
    st.table_made = false;
    st.index = Index{};
}

bool make_table(int type, int buckets)
{
    drop_table();
    st.store = type;
    TAB_init(&st.city_tbl);
    const int keys = type == CTY_STORE_XY_LOC ? 3 : 2;
    const int size = type == CTY_STORE_FULL ? static_cast<int>(sizeof(stat_FULL_data))
                                            : static_cast<int>(sizeof(stat_XY_data));
    st.table_made = TAB_create(&st.city_tbl, buckets < 1 ? 1 : buckets, size, keys) == 0;
    return st.table_made;
}

// Enters one station; false (its buffer released) when it cannot be stored.
bool enter(const CTY_data &city, const char *id_key, const char *wmo)
{
    if (full_records()) {
        stat_FULL_data rec{city, new_buffer(city)};
        if (TAB_enter(&st.city_tbl, &rec, id_key, wmo) == 0) {
            index_last(id_key, wmo, nullptr);
            return true;
        }
        std::free(rec.ptr);
        return false;
    }
    float x, y;
    MAP_tran(city.lat, city.lon, &x, &y);
    stat_XY_data rec{};
    plot_id(city, rec.data.id);
    rec.data.wmo = city.wmo;
    rec.data.x = x;
    rec.data.y = y;
    rec.data.el = city.el;
    rec.data.pr = city.prior;
    rec.ptr = new_buffer(city);
    int status;
    const double cell[2] = {10.0 * city.lat, 10.0 * city.lon};
    if (st.store == CTY_STORE_XY_LOC) {
        char loc[KEY_LEN];
        loc_key(cell[0], cell[1], loc);
        status = TAB_enter(&st.city_tbl, &rec, rec.data.id, wmo, loc);
    } else {
        status = TAB_enter(&st.city_tbl, &rec, rec.data.id, wmo);
    }
    if (status == 0) {
        index_last(rec.data.id, wmo, st.store == CTY_STORE_XY_LOC ? cell : nullptr);
        return true;
    }
    std::free(rec.ptr);
    return false;
}

// The `identifier` entries; "all" alone means every station.
void read_entries(int &num, char **&ids)
{
    num = 0;
    ids = nullptr;
    RES_getvals("identifier", &num, &ids);
    if (num == 1 && ids[0] && stricmp(ids[0], "all") == 0) {
        free_parsed_array(num, ids);
        num = 0;
        ids = nullptr;
    }
}

bool keeps(const CTY_data &city, int prior, int num, char **ids)
{
    if (city.prior > prior) return false;
    if (CTY_data_cmp(num, ids, &city) < 0) return false;
    float x, y;
    MAP_tran(city.lat, city.lon, &x, &y);
    return MAP_in_grid_domain(x, y) != 0;
}

void copy_out(const void *rec, void *data)
{
    if (full_records()) *static_cast<CTY_data *>(data) = static_cast<const stat_FULL_data *>(rec)->data;
    else *static_cast<CTY_locate *>(data) = static_cast<const stat_XY_data *>(rec)->data;
}

// A coded identifier: five characters, an upper-case letter and digits in the last three.
bool coded_form(const char *id)
{
    return std::strlen(id) == 5 && id[0] >= 'A' && id[0] <= 'Z' && id[2] >= '0' && id[2] <= '9' &&
           id[3] >= '0' && id[3] <= '9' && id[4] >= '0' && id[4] <= '9';
}

bool all_digits(const char *id)
{
    for (; *id; id++)
        if (*id < '0' || *id > '9') return false;
    return true;
}

void *find(const char *id)
{
    if (!st.table_made || !id) return nullptr;
    const size_t len = std::strlen(id);
    if ((len == 5 && all_digits(id)) || (len == 6 && id[0] == 'b'))
        return find_key(KEY_WMO, id);
    if (coded_form(id)) {
        int wmo;
        id_to_wmo(id, &wmo);
        char key[KEY_LEN];
        std::snprintf(key, sizeof key, "%5.5d", wmo);
        return find_key(KEY_WMO, key);
    }
    return find_key(KEY_ID, id);
}

}  // namespace

int CTY_set_id_type(int type)
{
    st.id_type = type;
    return 0;
}

int CTY_get_id_type() { return st.id_type; }

int CTY_data_size(int size)
{
    st.data_size = size > 0 ? size : 0;
    return 0;
}

int CTY_get_data_size() { return st.data_size; }

int CTY_enter_func(CTY_enter func)
{
    st.enter_func = func;
    return 0;
}

int CTY_store(const char *city_file, int type, const Domain *domain, int prior)
{
    st.store = type;
    int buckets = 1;
    const int fd = CTY_open_file(city_file, &buckets);
    if (fd < 0) return 0;
    if (domain) MAP_domain(domain);
    MESS_print(M_MESS, "Reading the city database file...\n");
    int num;
    char **ids;
    read_entries(num, ids);
    if (prior == VYK_MISS) prior = CTY_get_prior();
    CTY_rewind(fd);
    if (!make_table(type, buckets)) {
        free_parsed_array(num, ids);
        return fd;
    }
    CTY_data city;
    CTY_data_init(&city);
    while (CTY_read(fd, &city) > 0) {
        if (!keeps(city, prior, num, ids)) continue;
        char wmo[KEY_LEN];
        wmo_key(city, wmo);
        enter(city, city.id, wmo);
    }
    free_parsed_array(num, ids);
    return fd;
}

int CTY_make_entry_simple(const char *id, const char *wmo)
{
    if (!full_records() || !st.table_made || !id || !wmo) return 0;
    CTY_data city;
    std::memset(&city, 0, sizeof city);
    CTY_data_init(&city);
    strfcpy(city.id, id);
    city.wmo = std::atoi(wmo);
    enter(city, id, wmo);
    return 0;
}

int CTY_search(const char *id, void *data)
{
    const void *rec = find(id);
    if (!rec || !data) return 0;
    copy_out(rec, data);
    return 1;
}

int CTY_search_loc(float lat, float lon, CTY_locate *data)
{
    if (st.store != CTY_STORE_XY_LOC || !st.table_made || !data) return 0;
    const double L = 10.0 * static_cast<double>(lat), M = 10.0 * static_cast<double>(lon);
    for (int i = 0; i < RINGS; i++) {
        // The ring's sides in a fixed order, then its south-west corner, which they miss.
        const double probes[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        for (int j = (i == 0 ? 0 : 1 - i); j <= i; j++) {
            for (const auto &pr : probes) {
                const double a = pr[0] != 0 ? pr[0] * i : j;
                const double b = pr[0] != 0 ? j : pr[1] * i;
                if (const void *rec = find_loc(L + a, M + b)) {
                    *data = static_cast<const stat_XY_data *>(rec)->data;
                    return 1;
                }
            }
        }
        if (i == 0) continue;
        if (const void *rec = find_loc(L - i, M - i)) {
            *data = static_cast<const stat_XY_data *>(rec)->data;
            return 1;
        }
    }
    return 0;
}

char *CTY_get_data(const char *id)
{
    if (st.store == CTY_STORE_NONE || !st.table_made || !id) return nullptr;
    const bool number = std::strlen(id) == 5 && id[0] >= '0' && id[0] <= '9';
    void *rec = find_key(number ? KEY_WMO : KEY_ID, id);
    return rec ? buffer_of(rec) : nullptr;
}

char *CTY_next_data(int next)
{
    if (!st.table_made) return nullptr;
    if (next == 0) TAB_first(&st.city_tbl);
    void *rec = TAB_next(&st.city_tbl);
    return rec ? buffer_of(rec) : nullptr;
}

int CTY_clear_data(int flag)
{
    if (!st.table_made) return 0;
    if (flag == 0) {
        free_buffers();
        return 0;
    }
    TAB_first(&st.city_tbl);
    while (void *rec = TAB_next(&st.city_tbl))
        if (char *buf = buffer_of(rec)) buf[0] = '\0';
    return 0;
}

int CTY_clear()
{
    drop_table();
    TAB_init(&st.city_tbl);
    return 0;
}

TAB_table *CTY_get_table() { return st.table_made ? &st.city_tbl : nullptr; }
