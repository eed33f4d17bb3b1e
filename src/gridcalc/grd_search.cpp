// Grid selectors and the searches of grid files: a request by product number, by a short
// selector of time, level and variable, or through the variable table, turned into a scan of
// an open grid file that reads the matching products into grid records.
//
// Every word of a selector is read within its limit (longer ones are cut with a warning);
// the variable words of the short forms are GRIB edition-1 parameter numbers.
#include "grd_oper.h"
#include "grd_search.h"

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

namespace {

/// The short variable words of the selectors and their parameter numbers (compared without
/// regard to case; "pr" only in lower case, below).
struct VarWord {
    const char *word;
    int var;
};
constexpr VarWord VAR_WORDS[] = {
    {"hh", 7},   {"st", 11},  {"rh", 52},  {"li", 131}, {"uw", 33},  {"vw", 34},
    {"vv", 39},  {"qp", 61},  {"sc", 66},  {"wh", 100}, {"wp", 108}, {"wd", 107},
    {"ss", 80},
};
constexpr int PRESSURE_VAR = 1;

constexpr M_type TRACE_PARSE = M_DEBUG_C;  // 0x40000000
constexpr M_type TRACE_TEST = M_DEBUG_D;   // 0x80000000
constexpr M_type TRACE_PASTE = M_DEBUG_A;  // 0x10000000

void clear_params(VAR_data *p)
{
    p->time = p->ltype = p->level = VYK_MISS;
    for (int &v : p->var) v = VYK_MISS;
    p->units[0] = '\0';
}

/// A word cut to max characters, with a warning when it was longer.
std::string bounded(const std::string &w, size_t max, const char *what)
{
    if (w.size() <= max) return w;
    MESS_print(M_WARN, "GRD_parse_params: %s word cut to %zu characters: %s\n", what, max,
               w.c_str());
    return w.substr(0, max);
}

void set_units(VAR_data *p, const std::string &units)
{
    strfcpy(p->units, bounded(units, GRD_SEL_UNITS_MAX, "units").c_str());
}

/// The variable word of a search form into the selector's variable numbers.
void decode_var(const std::string &word, VAR_data *p)
{
    if (word == "pr") {
        p->var[0] = PRESSURE_VAR;
        return;
    }
    for (const VarWord &v : VAR_WORDS) {
        if (stricmp(word.c_str(), v.word) == 0) {
            p->var[0] = v.var;
            return;
        }
    }
    VAR_dec_var(word.c_str(), p);
}

/// Decodes the time, level and variable words of a search form (empty words: any).
void decode_words(const std::string &time, const std::string &level, const std::string &var,
                  VAR_data *p)
{
    if (!time.empty()) VAR_dec_time(time.c_str(), &p->time);
    if (!level.empty()) VAR_dec_level(level.c_str(), &p->ltype, &p->level);
    if (!var.empty()) decode_var(var, p);
}

/// An integer word: true with v.
bool whole_int(const std::string &w, int &v)
{
    const char *b = w.c_str(), *e = b + w.size();
    const auto r = std::from_chars(b, e, v);
    return r.ec == std::errc() && r.ptr == e;
}

/// "#n[:units]": the product number (-9999 when there is none, with a warning).
int parse_number(const std::string &s, VAR_data *p)
{
    const size_t colon = s.find(':');
    const std::string num = s.substr(0, colon);
    if (colon != std::string::npos) set_units(p, s.substr(colon + 1));
    int n;
    if (!whole_int(num, n) || n < 0) {
        MESS_print(M_WARN, "GRD_parse_params: no product number in selector #%s\n", s.c_str());
        return VYK_MISS;
    }
    return n;
}

/// "-TTLLVV[:units]": each word exactly the next two characters.
void parse_short_form(const std::string &s, VAR_data *p)
{
    const size_t colon = s.find(':');
    const std::string words = s.substr(0, colon);
    if (colon != std::string::npos) set_units(p, s.substr(colon + 1));
    auto part = [&](size_t k) { return k < words.size() ? words.substr(k, 2) : std::string(); };
    decode_words(part(0), part(2), part(4), p);
}

/// "+time:level:variable:units:gridtype", trailing parts optional.
void parse_long_form(const std::string &s, VAR_data *p, int *type)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 5) {
        const size_t colon = s.find(':', start);
        parts.push_back(s.substr(start, colon == std::string::npos ? colon : colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    parts.resize(5);
    if (!parts[3].empty()) set_units(p, parts[3]);
    if (!parts[4].empty()) {
        int t;
        if (whole_int(bounded(parts[4], GRD_SEL_TYPE_MAX, "grid type"), t)) {
            if (type) *type = t;
        } else {
            MESS_print(M_WARN, "GRD_parse_params: grid type is not a number: %s\n",
                       parts[4].c_str());
        }
    }
    decode_words(bounded(parts[0], GRD_SEL_TIME_MAX, "time"),
                 bounded(parts[1], GRD_SEL_LEVEL_MAX, "level"),
                 bounded(parts[2], GRD_SEL_VAR_MAX, "variable"), p);
}

/// The grid type of the grid_type resource, else -9999.
int resource_grid_type()
{
    int type = VYK_MISS;
    RES_getval("grid_type", &type, CV_int);
    return type;
}

/// Which of n slots a search wants (num < 0: all; else the variables that take their grid
/// from a file).
std::vector<bool> wanted_slots(int n, int num)
{
    std::vector<bool> w(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) w[static_cast<size_t>(i)] = num < 0 || VAR_is_get_GRID(i);
    return w;
}

/// Reads product num with its values into grid and converts it to the selector's units.
bool read_match(int grd_fd, int num, GRD_report *grid, const VAR_data &params)
{
    int n = num;
    if (GRD_read(grd_fd, grid, GRD_READ_VALUES, &n) != 0) {
        grid->source = 0;
        return false;
    }
    if (params.units[0]) GRD_units(grid, params.units);
    return true;
}

/// Opens a grid file for reading (kind: 0 detect, or the caller's kind) and reads its header
/// into info; the slot, or -1.
int open_read(const char *name, int *kind, GRD_info *info, const char *hdr_name)
{
    const int fd = GRD_open(name, GRD_ACCESS_READ, kind);
    if (fd < 0) return -1;
    if (hdr_name && hdr_name[0]) GRD_hdr_open(fd, hdr_name);
    GRD_getinfo(fd, info);
    return fd;
}

/// The product of the selector's grid type: the domain of the first one (any type when
/// type is -9999).  true when one was found.
bool first_domain(int fd, int type, Domain *domain)
{
    GRD_scratch s;
    for (int num = 0; GRD_read(fd, &s.r, GRD_READ_HEADER, &num) == 0; num++) {
        if (type == VYK_MISS || s.r.type == type) {
            *domain = s.r.domain;
            return true;
        }
    }
    return false;
}

/// Empties a record for a new grid: values it holds go by GRD_free's rule (values shared with
/// another record are only dropped), so that reading into one record again and again keeps
/// nothing; the domain stays, as GRD_init leaves it.
void renew(GRD_report *grid)
{
    const Domain kept = grid->domain;
    GRD_free(grid);
    GRD_init(grid);
    grid->domain = kept;
}

/// Reads the product of a parsed selector (n >= 0) or searches for it, into grid.
bool read_selected(int fd, int n, const VAR_data &params, int type, GRD_report *grid)
{
    grid->source = 0;
    if (n >= 0) return read_match(fd, n, grid, params);
    return GRD_search(fd, grid, &params, type, -1) == 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Selectors
// ---------------------------------------------------------------------------------------------

int GRD_parse_params(const char *str, VAR_data *params, int *type)
{
    if (!params) return VYK_MISS;
    clear_params(params);
    int t;
    if (RES_getval("grid_type", &t, CV_int) && type) *type = t;
    if (!str || !*str || std::strcmp(str, "-") == 0) return VYK_MISS;

    const std::string s(str + 1);
    int result = -1;
    switch (str[0]) {
    case '#':
        result = parse_number(s, params);
        break;
    case ':':
        set_units(params, s);
        result = VYK_MISS;
        break;
    case '-':
        parse_short_form(s, params);
        break;
    case '+':
        parse_long_form(s, params, type);
        break;
    default:
        MESS_print(M_WARN, "GRD_parse_params: not a grid selector: %s\n", str);
        return VYK_MISS;
    }
    MESS_print(TRACE_PARSE, "GRD_parse: %d %d %d %d\n", params->time, params->ltype,
               params->level, params->var[0]);
    return result;
}

int GRD_set_params(VAR_data *params, int time, int ltype, int level, int var)
{
    if (!params) return 0;
    params->ltype = ltype;
    params->level = level;
    params->var[0] = var;
    for (int k = 1; k < VAR_NUM_IND; k++) params->var[k] = 0;
    params->time = time;
    return 0;
}

int GRD_test(const GRD_report *grid, const VAR_data *params, int type)
{
    if (!grid || !params) return 0;
    bool var = false;
    for (int v : params->var)
        if (v != VYK_MISS && v == grid->var) var = true;
    const int t = params->time;
    const bool time = t == VYK_MISS || (t > 1000 ? t == grid->time : t == grid->time % 1000);
    const bool ok = var && (params->ltype == VYK_MISS || params->ltype == grid->ltype) &&
                    (params->level == VYK_MISS || params->level == grid->level) && time &&
                    (type == VYK_MISS || type == grid->type);
    MESS_print(TRACE_TEST,
               "Searching: T-%d:%d LT-%d:%d L-%d:%d V-%d,%d,%d,%d,%d:%d G-%d:%d = %d\n", t,
               grid->time, params->ltype, grid->ltype, params->level, grid->level,
               params->var[0], params->var[1], params->var[2], params->var[3], params->var[4],
               grid->var, type, grid->type, ok ? 1 : 0);
    return ok ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Searches
// ---------------------------------------------------------------------------------------------

int GRD_search(int grd_fd, GRD_report *grids, const VAR_data *params, int type, int num)
{
    if (!grids || !params || num == 0) return 0;
    const int n = num < 0 ? -num : num;
    const std::vector<bool> wanted = wanted_slots(n, num);
    // Slots found: those holding a grid already, then each slot once (whatever source its
    // product names: a file may say 0).
    std::vector<bool> done(static_cast<size_t>(n));
    int found = 0;
    for (int i = 0; i < n; i++) {
        done[static_cast<size_t>(i)] = grids[i].source != 0 || !wanted[static_cast<size_t>(i)];
        if (done[static_cast<size_t>(i)]) found++;
    }

    GRD_scratch s;
    for (int prod = 0; found < n; prod++) {
        int p = prod;
        if (GRD_read(grd_fd, &s.r, GRD_READ_HEADER, &p) != 0) break;
        for (int i = 0; i < n; i++) {
            if (done[static_cast<size_t>(i)]) continue;
            if (GRD_test(&s.r, &params[i], type) && read_match(grd_fd, prod, &grids[i], params[i])) {
                done[static_cast<size_t>(i)] = true;
                found++;
            }
        }
    }
    return found == n ? 1 : 0;
}

int GRD_search_piece(int grd_fd, int ind, GRD_report *grids, const VAR_data *params, int num)
{
    const GRD_piece *piece = GRD_get_piece(ind);
    if (!grids || !params || num == 0 || !piece) return 0;
    const int n = num < 0 ? -num : num;
    const std::vector<bool> wanted = wanted_slots(n, num);
    std::vector<bool> pasted(static_cast<size_t>(n), false);
    int found = 0;
    for (int i = 0; i < n; i++)
        if (!wanted[static_cast<size_t>(i)]) found++;
    int mx = 1, my = 1;
    GRD_get_mosaic_size(&mx, &my);

    GRD_scratch head, values;
    for (int prod = 0; found < n; prod++) {
        int p = prod;
        if (GRD_read(grd_fd, &head.r, GRD_READ_HEADER, &p) != 0) break;
        for (int i = 0; i < n; i++) {
            const size_t k = static_cast<size_t>(i);
            if (!wanted[k] || !GRD_test(&head.r, &params[i], piece->type)) continue;
            if (!read_match(grd_fd, prod, &values.r, params[i])) continue;
            // A slot without values gets its mosaic (one with values has it from a piece).
            if (!grids[i].grid && GRD_piece_setup(&grids[i], mx, my, &values.r) != 0) continue;
            if (GRD_piece_grid(&grids[i], piece->x, piece->y, &values.r) != 0) continue;
            const bool first = !pasted[k];
            pasted[k] = true;
            if (first) found++;
            MESS_print(TRACE_PASTE, "Found: %d T-%d LT-%d L-%d V-%d G-%d = %d %d - %d\n", i,
                       grids[i].time, grids[i].ltype, grids[i].level, grids[i].var,
                       grids[i].type, first ? 0 : 1, found, n);
        }
    }
    for (int i = 0; i < n; i++)
        if (wanted[static_cast<size_t>(i)] && !grids[i].grid)
            MESS_print(M_WARN, "Grid missing: %d %d %d %d\n", params[i].time, params[i].ltype,
                       params[i].level, params[i].var[0]);
    return found == n ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Grids and domains of named files
// ---------------------------------------------------------------------------------------------

int GRD_get_file_domain(const char *filename, Domain *domain)
{
    if (!filename || !domain) return -1;
    int kind = GRD_input_file_kind();
    const int fd = open_read(filename, &kind, GRD_get_file_info(), nullptr);
    if (fd < 0) {
        MESS_print(M_WARN, "GRD_get_file_domain: Unable to open grid file:%s\n", filename);
        return -1;
    }
    MESS_print(M_MESS, "Getting domain from grid file:%s\n", filename);
    const bool found = first_domain(fd, resource_grid_type(), domain);
    GRD_close(fd);
    if (!found)
        MESS_print(M_WARN, "GRD_get_file_domain: No grid of type %d in grid file:%s\n",
                   resource_grid_type(), filename);
    return found ? 1 : 0;
}

int GRD_get_file_date_domain(const Date *date, Domain *domain)
{
    if (!domain) return -1;
    Date d;
    if (date)
        d = *date;
    else
        GRD_get_date(&d);
    int type = resource_grid_type();
    const bool mosaic = GRD_get_num_piece() > 0;
    if (mosaic) {
        const GRD_piece *first = GRD_get_piece(0);
        FILE_set_name(first->name);
        if (type == VYK_MISS) type = first->type;
    }
    char name[FILE_NAME_MAX + 1], hdr[FILE_NAME_MAX + 1];
    FILE_set_date(&d, name);
    const bool has_hdr = FILE_hdr_set_date(&d, hdr) == 1;
    int kind = GRD_input_file_kind();
    const int fd = open_read(name, &kind, GRD_get_file_info(), has_hdr ? hdr : nullptr);
    if (fd < 0) {
        MESS_print(M_WARN, "GRD_get_file_date_domain: Unable to open grid file:%s\n", name);
        return -1;
    }
    MESS_print(M_MESS, "Getting domain from grid file:%s\n", name);
    const bool found = first_domain(fd, type, domain);
    GRD_close(fd);
    if (!found) {
        MESS_print(M_WARN, "GRD_get_file_date_domain: No grid of type %d in grid file:%s\n",
                   type, name);
        return 0;
    }
    if (mosaic) {
        int mx = 1, my = 1;
        GRD_get_mosaic_size(&mx, &my);
        GRD_report r{};
        GRD_init(&r);
        r.domain = *domain;
        GRD_piece_setup(&r, mx, my, nullptr);
        *domain = r.domain;
    }
    return 1;
}

int GRD_read_file(const char *filename, GRD_report *grid, GRD_info *info, int *type)
{
    if (!filename || !grid || !info) return -1;
    char name[FILE_NAME_MAX + 1], path[FILE_NAME_MAX + 1];
    FILE_store_name(filename, name);
    // The selector of this name, else the default one (never one left from an earlier name).
    FILE_set_ext_info(GRD_get_def_selector());
    FILE_extract_extra_info(name);
    FILE_add_path(RES_get("grid_path"), name, path);

    int gtype = resource_grid_type();
    VAR_data params{};
    int n = GRD_parse_params(FILE_get_ext_info(), &params, &gtype);
    if (n == VYK_MISS) n = 0;
    renew(grid);
    int kind = type ? *type : GRD_DETECT;
    const int fd = open_read(path, &kind, info, nullptr);
    if (type) *type = kind;
    if (fd < 0) {
        MESS_print(M_WARN, "GRD_read_file: Unable to open grid file: %s\n", path);
        return -1;
    }
    MESS_print(M_MESS, "Reading from grid file: %s\n", path);
    const bool found = read_selected(fd, n, params, gtype, grid);
    GRD_close(fd);
    if (!found) {
        MESS_print(M_WARN, "GRD_read_file: Grid not found in file\n");
        return 0;
    }
    return 1;
}

int GRD_read_file_date(const Date *date, const char *extra, GRD_report *grid, GRD_info *info,
                       int *type)
{
    if (!grid || !info) return -1;
    Date d;
    if (date)
        d = *date;
    else
        GRD_get_date(&d);
    char name[FILE_NAME_MAX + 1], path[FILE_NAME_MAX + 1];
    char hdr[FILE_NAME_MAX + 1], hdr_path[FILE_NAME_MAX + 1];
    FILE_set_date(&d, name);
    const char *grid_path = RES_get("grid_path");
    FILE_add_path(grid_path, name, path);
    const bool has_hdr = FILE_hdr_set_date(&d, hdr) == 1;
    if (has_hdr) FILE_add_path(grid_path, hdr, hdr_path);

    int gtype = resource_grid_type();
    VAR_data params{};
    int n = GRD_parse_params(extra, &params, &gtype);
    if (n == VYK_MISS) n = 0;
    renew(grid);
    int kind = type ? *type : GRD_DETECT;
    const int fd = open_read(path, &kind, info, has_hdr ? hdr_path : nullptr);
    if (type) *type = kind;
    if (fd < 0) {
        MESS_print(M_WARN, "GRD_read_file_date: Unable to open grid file: %s\n", path);
        return -1;
    }
    MESS_print(M_MESS, "Reading from grid file: %s\n", name);
    const bool found = read_selected(fd, n, params, gtype, grid);
    GRD_close(fd);
    if (!found) {
        MESS_print(M_WARN, "GRD_read_file_date: Grid not found in file\n");
        return 0;
    }
    return 1;
}
