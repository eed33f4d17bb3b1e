// Grid output files and loading the variable table: the output format and convention from the
// out_file resource, writing one grid (or several) to a grid file under the overwrite rule of
// the file layer, reusing an existing output file of the same region, and loading every grid
// the variable table asks for from one file or from the piece files of a model mosaic.
#include "vykcalc.h"
#include "grd_output.h"
#include "vykplot.h"

#include <cstring>
#include <string>

namespace {

/// The words of out_file that name a format: prefix (any case), format, default convention.
struct OutWord {
    const char *prefix;
    int format;
    const char *conv;
};
constexpr OutWord OUT_WORDS[] = {
    {"vykb", GRD_OUT_BINARY, "grd_vyk"},
    {"vyk", GRD_OUT_TEXT, "grd_vyk"},
    {"cdf", GRD_OUT_NETCDF, "grd_cdf"},
};

constexpr const char *DEFAULT_CONV = "grd_grd";
constexpr M_type OUT_WARN = M_WARN_C;     // 64: output failures
constexpr M_type LIST_GRIDS = M_OUT4;     // 0xF000000: the grids a load uses

/// Who asks: the messages of GRD_save_file and GRD_open_out_file.
struct Asker {
    const char *name;
    const char *append_failed;  // format of a failed append
};
constexpr Asker SAVE = {"GRD_save_file", "GRD_save_file: Unable to open grid file: %s\n"};
constexpr Asker OPEN = {"GRD_open_out_file", "GRD_open_out_file: Unable to create grid file: %s\n"};

/// Opens an output grid file (name already under grid_path) by the overwrite rule: the slot,
/// or -1 after a warning.
int open_out(const char *path, int type, const Asker &who)
{
    if (type == GRD_GRIB) {
        MESS_print(OUT_WARN, "%s: a computed grid is not written as GRIB (only GRIB products "
                             "are copied): %s\n", who.name, path);
        return -1;
    }
    const int mode = FILE_overwrite(path, 1);
    int kind = type;
    if (mode == FILE_NO_QUESTION || mode == FILE_WRITE) {
        const int fd = GRD_open(path, GRD_ACCESS_CREATE, &kind);
        if (fd < 0)
            MESS_print(OUT_WARN, "%s: Unable to create grid file: %s\n", who.name, path);
        else
            MESS_print(M_MESS, "Creating grid file: %s\n", path);
        return fd;
    }
    if (mode == FILE_APPEND) {
        const int fd = GRD_open(path, GRD_ACCESS_APPEND, &kind);
        if (fd < 0)
            MESS_print(OUT_WARN, who.append_failed, path);
        else
            MESS_print(M_MESS, "Appending to grid file: %s\n", path);
        return fd;
    }
    MESS_print(OUT_WARN, "%s: Unable to overwrite grid file: %s\n", who.name, path);
    return -1;
}

/// Writes the header and product 0 and closes the slot: true when both were written and the
/// close found the file whole.  A failed output leaves no file.
bool write_grid(int fd, const GRD_report *grid, GRD_info *info)
{
    // The writers may relabel the record (units written with '_'): they get a copy.
    GRD_report g = *grid;
    GRD_info header = *info;
    // A netCDF file's x and y dimensions must hold the grid.
    if (header.max_x < g.domain.nx) header.max_x = g.domain.nx;
    if (header.max_y < g.domain.ny) header.max_y = g.domain.ny;
    int num = 0;
    if (GRD_putinfo(fd, &header) != 0 || GRD_write(fd, &g, 0, &num) != 0) {
        GRD_abandon(fd);
        return false;
    }
    return GRD_close(fd) == 0;
}

void grid_path(const char *filename, char *path)
{
    FILE_add_path(RES_get("grid_path"), filename, path);
}

/// Empties the table and fills slot i from variable i; lists them when asked to.
void prepare_table(bool list)
{
    GRD_free_grids();
    const int num = VAR_get_num();
    if (list) MESS_print(LIST_GRIDS, "Grids used:\n");
    for (int i = 0; i < num; i++) {
        GRD_set_var(i);
        if (list) {
            MESS_print(LIST_GRIDS, "%3d: ", i);
            VAR_print(LIST_GRIDS, VAR_get_var(i));
        }
    }
}

/// Reports the file variables whose slots stayed empty.
void report_missing(const char *who)
{
    const GRD_report *grids = GRD_get_grids();
    for (int i = 0; i < VAR_get_num(); i++) {
        if (grids[i].source != 0 || !VAR_is_fit_GRID(i)) continue;
        MESS_print(M_WARN, "%s: grid not found in file: %d ", who, i);
        VAR_print_info(M_WARN, VAR_get_var(i));
    }
}

/// Searches one open file for the variable table's grids.
void search_one(int fd, const char *who)
{
    GRD_getinfo(fd, GRD_get_file_info());
    int type = VYK_MISS;
    RES_getval("grid_type", &type, CV_int);
    const int num = VAR_get_num();
    if (num > 0 && GRD_search(fd, GRD_get_grids(), VAR_get_vars(), type, num) != 1)
        report_missing(who);
}

/// Computes the derived grids and saves every grid variable's grid, last to first.
void compute_and_save()
{
    GRD_calc_var();
    FILE_save_name_conv();
    GRD_info *info = GRD_get_file_info();
    for (int i = VAR_get_num() - 1; i >= 0; i--) {
        const GRD_report *grid = GRD_get_grid(i);
        if (!VAR_is_type_GRID(i) || !grid || !grid->grid) continue;
        const int format = GRD_out_file(GRD_OUT_NONE);
        if (format == GRD_OUT_NONE) continue;
        FILE_set_key('x', VAR_get_model_str());
        FILE_set_key('f', VAR_get_time_key(i));
        FILE_set_key('l', VAR_get_level_key(i));
        FILE_set_key('v', VAR_get_name(i));
        char name[FILE_NAME_MAX + 1];
        FILE_set_date(&info->date, name);
        GRD_save_file(name, grid, info, format);
    }
    FILE_restore_name_conv();
}

/// Opens an input file of the loaders with the input kind (GRIB when configured), the index
/// file attached when the convention names one for the date.
int open_input(const char *name, const Date *date)
{
    int kind = GRD_input_file_kind();
    const int fd = GRD_open(name, GRD_ACCESS_READ, &kind);
    if (fd < 0) return -1;
    char hdr[FILE_NAME_MAX + 1];
    if (date && FILE_hdr_set_date(date, hdr) == 1) GRD_hdr_open(fd, hdr);
    return fd;
}

}  // namespace

int GRD_out_file(int type)
{
    FILE_set_name(DEFAULT_CONV);
    int format = type;
    bool taken = false, named = false;
    int n = 0;
    char **words = nullptr;
    n = RES_getvals("out_file", &n, &words);
    for (int k = 0; k < n; k++) {
        const char *w = words[k];
        if (stricmp(w, "none") == 0 || strnicmp(w, "gif", 3) == 0) continue;
        if (strnicmp(w, "grib", 4) == 0) {
            MESS_print(M_WARN, "GRD_out_file: computed grids are not written as GRIB (only GRIB "
                               "products are copied); %s left out\n", w);
            continue;
        }
        const OutWord *row = nullptr;
        for (const OutWord &o : OUT_WORDS) {
            if (strnicmp(w, o.prefix, static_cast<int>(std::strlen(o.prefix))) == 0) {
                row = &o;
                break;
            }
        }
        if (row) {
            // One separator character after the prefix, then the convention.
            const size_t skip = std::strlen(row->prefix) + 1;
            FILE_set_name(std::strlen(w) > skip ? w + skip : row->conv);
            format = row->format;
            named = true;
        } else {
            FILE_set_name(w);
        }
        taken = true;
    }
    free_parsed_array(n, words);
    if (taken && !named) format = GRD_OUT_TEXT;
    if (format != 0) FLAG_set(FLAG_GRID_FILE, format);
    return format;
}

int GRD_save_file(const char *filename, const GRD_report *grid, GRD_info *info, int type)
{
    if (type == GRD_OUT_NONE) return 0;
    if (!filename || !grid || !info) return 0;
    char path[FILE_NAME_MAX + 1];
    grid_path(filename, path);
    const int fd = open_out(path, type, SAVE);
    if (fd < 0) return 0;
    if (!write_grid(fd, grid, info)) {
        MESS_print(OUT_WARN, "GRD_save_file: Unable to write grid file: %s\n", path);
        return 0;
    }
    return 1;
}

int GRD_open_out_file(const char *filename, int type)
{
    if (type == GRD_OUT_NONE || !filename) return -1;
    char path[FILE_NAME_MAX + 1];
    grid_path(filename, path);
    return open_out(path, type, OPEN);
}

int GRD_save_grid(int grd_fd, const GRD_report *grid, GRD_info *info)
{
    if (!grid || !info) {
        GRD_close(grd_fd);
        return -1;
    }
    if (!write_grid(grd_fd, grid, info)) {
        MESS_print(OUT_WARN, "GRD_save_grid: Unable to write the grid\n");
        return -1;
    }
    return 0;
}

int GRD_read_check(const char *filename, GRD_report *grid, GRD_info *info, int *type,
                   const Domain *domain)
{
    if (!filename || !*filename || !grid || !info || FILE_is_stdio(filename)) return 0;
    char path[FILE_NAME_MAX + 1];
    grid_path(filename, path);
    if (!FILE_exist(path) || FLAG_get(FLAG_FILE_PARAM) == FILE_WRITE) return 0;
    if (FLAG_get(FLAG_FILE_PARAM) == FILE_NO_QUESTION && !FLAG_batch()) {
        std::string prompt = std::string(path) + ": exists overwrite (Y/N): ";
        char answer[4] = "";
        VYK_prompts(prompt.c_str(), answer, sizeof answer);
        if (answer[0] == 'Y' || answer[0] == 'y') return 0;
    }
    int kind = GRD_DETECT;
    const int fd = GRD_open(path, GRD_ACCESS_READ, &kind);
    if (type) *type = kind;
    if (fd < 0) {
        MESS_print(M_WARN, "GRD_read_check: Grid file does not exist: %s\n", path);
        return 0;
    }
    GRD_getinfo(fd, info);
    grid->source = 0;
    int num = 0;
    const bool read = GRD_read(fd, grid, GRD_READ_VALUES, &num) == 0;
    GRD_close(fd);
    if (read && domain && DOM_comp(&grid->domain, domain)) return 1;
    if (read)
        MESS_print(M_WARN, "GRD_read_check: %s file does not correspond to selected region\n",
                   path);
    const Domain kept = grid->domain;
    GRD_free(grid);
    grid->domain = kept;
    grid->source = 0;
    return 0;
}

int GRD_search_file(const char *filename)
{
    if (!filename) return -1;
    prepare_table(false);
    int kind = GRD_DETECT;
    const int fd = GRD_open(filename, GRD_ACCESS_READ, &kind);
    if (fd < 0) {
        MESS_print(M_WARN, "GRD_search_file: Unable to open grid file: %s\n", filename);
        return -1;
    }
    MESS_print(M_MESS, "Reading from grid file: %s\n", filename);
    search_one(fd, "GRD_search_file");
    GRD_close(fd);
    compute_and_save();
    return 1;
}

int GRD_search_file_date(const Date *date)
{
    Date d;
    if (date)
        d = *date;
    else
        GRD_get_date(&d);
    prepare_table(true);
    char name[FILE_NAME_MAX + 1];
    const int pieces = GRD_get_num_piece();
    if (pieces == 0) {
        FILE_set_date(&d, name);
        const int fd = open_input(name, &d);
        if (fd < 0) {
            MESS_print(M_WARN, "GRD_search_file_date: unable to open file: %s\n", name);
            return -1;
        }
        MESS_print(M_MESS, "Reading from grid file: %s\n", name);
        search_one(fd, "GRD_search_file_date");
        GRD_close(fd);
    } else {
        for (int k = 0; k < pieces; k++) {
            FILE_set_name(GRD_get_piece(k)->name);
            FILE_set_date(&d, name);
            const int fd = open_input(name, &d);
            if (fd < 0) {
                MESS_print(M_WARN, "GRD_search_file_date: unable to open file: %s\n", name);
                continue;
            }
            MESS_print(M_MESS, "Reading from grid file: %s\n", name);
            GRD_getinfo(fd, GRD_get_file_info());
            GRD_search_piece(fd, k, GRD_get_grids(), VAR_get_vars(), VAR_get_num());
            GRD_close(fd);
        }
    }
    compute_and_save();
    return 1;
}
