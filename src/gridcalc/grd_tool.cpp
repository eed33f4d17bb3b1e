// grd_tool.cpp: the grid record's operations and the table of 60 grids beside the variable
// slots, with the table's refinement factor and the current grid-file date.
//
// Ownership of value arrays: the record that allocated an array (GRD_alloc) owns it, and only
// the owner releases it (GRD_free).  The owners are kept in a table keyed by the array; a copy
// made by GRD_copy or GRD_set_grid registers an array that no one owns yet under the record it
// came from, so that a copy never releases the values of the record it was copied from.
#include "grd_internal.h"
#include "vykvar.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

namespace {

constexpr int DEVTYPE_BASE_LEN = 80;  // base text of a derived description
constexpr int DEVTYPE_UNITS_LEN = 50;

std::array<GRD_report, GRD_NUM> fresh_table()
{
    std::array<GRD_report, GRD_NUM> t{};
    t[0].type = VYK_MISS;  // the mark of a table never initialised
    return t;
}

struct TableState {
    std::array<GRD_report, GRD_NUM> grids = fresh_table();
    int factor = 1;      // refinement factor of slot domains
    Date date{};         // current grid-file date
    GRD_info info{};     // file header shared by the grid searches
    std::unordered_map<const float *, const GRD_report *> owners;  // array -> owning record
    std::unordered_map<const float *, size_t> sizes;  // array from GRD_alloc -> its values
};

TableState st;

// The slot, or NULL with a warning for a number outside the table.
GRD_report *slot(int ind, const char *who)
{
    if (ind < 0 || ind >= GRD_NUM) {
        MESS_print(M_WARN, "%s: Invalid grid slot: %d\n", who, ind);
        return nullptr;
    }
    if (st.grids[0].type == VYK_MISS) GRD_init_grids();
    return &st.grids[static_cast<size_t>(ind)];
}

// A shared array that no one owns yet is from now on owned by the record it is copied from.
void claim(const GRD_report *from)
{
    if (from->grid) st.owners.try_emplace(from->grid, from);
}

// A refined point count, (n - 1) f + 1 (a count without points stays); false when it would
// not fit an int.
bool refine(int n, int f, int &out)
{
    out = n;
    if (n <= 0) return true;
    const long long r = static_cast<long long>(n - 1) * f + 1;
    if (r > INT_MAX) return false;
    out = static_cast<int>(r);
    return true;
}

}  // namespace

size_t grd_domain_points(const Domain &d)
{
    if (d.nx <= 0 || d.ny <= 0) return 0;
    const size_t n = static_cast<size_t>(d.nx) * static_cast<size_t>(d.ny);
    return n > GRD_MAX_POINTS ? 0 : n;
}

void grd_release_old(const GRD_report *grid, float *old)
{
    if (!old || old == grid->grid) return;
    const auto it = st.owners.find(old);
    if (it != st.owners.end() && it->second != grid) return;
    std::free(old);
    if (it != st.owners.end()) st.owners.erase(it);
    st.sizes.erase(old);
}

size_t GRD_capacity(const GRD_report *grid)
{
    if (!grid || !grid->grid) return 0;
    const auto it = st.sizes.find(grid->grid);
    return it == st.sizes.end() ? 0 : it->second;
}

bool grd_alloc_points(GRD_report *grid, size_t n)
{
    if (!grid) return false;
    grid->grid = nullptr;
    if (n == 0 || n > GRD_MAX_POINTS) return false;
    auto *values = static_cast<float *>(std::malloc(n * sizeof(float)));
    if (!values) return false;
    grid->grid = values;
    st.owners[values] = grid;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------

int GRD_init(GRD_report *grid)
{
    if (!grid) return 0;
    grid->grid = nullptr;
    grid->datim[0] = '\0';
    grid->info[0] = '\0';
    grid->source = 0;
    grid->model = 0;
    grid->type = 0;
    grid->time = VYK_MISS;
    grid->ltype = VYK_MISS;
    grid->level = VYK_MISS;
    grid->var = VYK_MISS;
    return 0;
}

int GRD_alloc(GRD_report *grid)
{
    if (!grid) return 0;
    const size_t n = grd_domain_points(grid->domain);
    if (n == 0) {
        MESS_print(M_WARN, "GRD_alloc: Invalid grid size: %d x %d\n", grid->domain.nx,
                   grid->domain.ny);
        grid->grid = nullptr;
        return 0;
    }
    auto *values = static_cast<float *>(std::malloc(n * sizeof(float)));
    grid->grid = values;
    if (!values) {
        MESS_print(M_WARN, "GRD_alloc: No memory for grid field\n");
        return 0;
    }
    st.owners[values] = grid;
    st.sizes[values] = n;
    return 1;
}

int GRD_free(GRD_report *grid)
{
    if (!grid) return 0;
    if (grid->grid) {
        const auto it = st.owners.find(grid->grid);
        if (it == st.owners.end() || it->second == grid) {
            st.sizes.erase(grid->grid);
            std::free(grid->grid);
            if (it != st.owners.end()) st.owners.erase(it);
        } else {
            MESS_print(M_DEBUG_D, "GRD_free: values shared with another record kept\n");
        }
        grid->grid = nullptr;
    }
    grid->source = 0;
    DOM_init(&grid->domain);
    return 0;
}

int GRD_copy(GRD_report *grid2, const GRD_report *grid1)
{
    if (!grid2 || !grid1 || grid2 == grid1) return 0;
    claim(grid1);
    *grid2 = *grid1;
    return 0;
}

int GRD_move(GRD_report *grid2, GRD_report *grid1)
{
    if (!grid2 || !grid1 || grid2 == grid1) return 0;
    *grid2 = *grid1;
    if (grid1->grid) {
        const auto it = st.owners.find(grid1->grid);
        if (it != st.owners.end() && it->second == grid1) it->second = grid2;
    }
    GRD_init(grid1);
    return 0;
}

int GRD_copy_info(GRD_report *grid2, const GRD_report *grid1)
{
    if (!grid2 || !grid1) return 0;
    if (grid2 != grid1) {
        strfcpy(grid2->datim, grid1->datim);
        strfcpy(grid2->units, grid1->units);
        grid2->date = grid1->date;
        grid2->domain = grid1->domain;
        grid2->source = grid1->source;
        grid2->version = grid1->version;
        grid2->model = grid1->model;
        grid2->type = grid1->type;
    }
    grid2->grid = nullptr;
    return 0;
}

int GRD_set_info(GRD_info *info, const Date *date, const Domain *domain)
{
    if (!info) return 0;
    info->grid_type = 0;
    if (date) info->date = *date;
    if (domain) {
        info->max_x = domain->nx;
        info->max_y = domain->ny;
    }
    return 0;
}

int GRD_make_datatype(GRD_report *grid, const char * /*oper*/)
{
    if (!grid) return 0;
    char text[VAR_LABEL_LEN];
    VAR_make_datatype(grid->time, grid->ltype, grid->level, grid->var, grid->units, text);
    strfcpy(grid->info, text);
    return 0;
}

int GRD_make_devtype(GRD_report *ogrid, const GRD_report *igrid, const char *str)
{
    if (!ogrid || !igrid) return 0;
    if (!str) str = "";
    char base[DEVTYPE_BASE_LEN] = "";
    if (igrid->var != 0) {
        VAR_str(base, igrid->var, nullptr);
    } else {
        char units[DEVTYPE_UNITS_LEN];
        UNIT_parse(str, base, units);
    }
    std::string text = base;
    text += ' ';
    text += str;
    char label[VAR_LABEL_LEN];
    VAR_make_devtype(ogrid->time, ogrid->ltype, ogrid->level, text.c_str(), ogrid->units, label);
    strfcpy(ogrid->info, label);
    return 0;
}

namespace {

// The labels of kinds -2, -1 and 0, built in the record when they are empty.
void fill_labels(GRD_report *grid, int type)
{
    if (grid->info[0] == '\0') GRD_make_datatype(grid, nullptr);
    if (grid->datim[0] != '\0') return;
    char label[DATE_LABEL_FOR_LEN];
    if (type == -2) {
        DATE_make_label_for(grid->time, grid->model, 0, label);
    } else {
        const int model = type == 0 ? 1000 * grid->source + grid->model : grid->model;
        DATE_make_label_for_time(grid->time, model, &grid->date, label);
    }
    strfcpy(grid->datim, label);
}

}  // namespace

int GRD_print_info(M_type level, GRD_report *grid, int type)
{
    if (!grid || !MESS_check(level)) return 0;
    switch (type) {
    case -2:
    case -1:
        fill_labels(grid, type);
        MESS_print(level, "%s - %s\n", grid->datim, grid->info);
        break;
    case 0:
        fill_labels(grid, type);
        MESS_print(level, "%s-%s\n", grid->datim, grid->info);
        break;
    case 1:
        MESS_print(level, "Model: %d Ltype: %d Level: %d Var: %d [%s] Hour: %d Grid: %d\n",
                   grid->model, grid->ltype, grid->level, grid->var, grid->units, grid->time,
                   grid->type);
        break;
    case 2: {
        const Domain &d = grid->domain;
        if (d.proj != VYK_MISS)
            MESS_print(level, "Proj: %d Lat: %3.2f Lon: %3.2f NX: %d NY: %d DX: %3.2f DY: %3.2f\n",
                       d.proj, d.clat, d.clon, d.nx, d.ny, d.dx, d.dy);
        break;
    }
    case 3:
        GRD_make_datatype(grid, nullptr);
        MESS_print(level, "%s\n", grid->info);
        break;
    default: break;
    }
    return 0;
}

int GRD_print(M_type level, GRD_report *grid)
{
    if (!MESS_check(level)) return -1;
    if (!grid) return 0;
    GRD_print_info(level, grid, 1);
    GRD_print_info(level, grid, 2);
    MESS_print(level, "Domain: ");
    DOM_print(level, &grid->domain);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The table
// ---------------------------------------------------------------------------------------------

int GRD_init_grids()
{
    for (GRD_report &g : st.grids) GRD_init(&g);
    return 0;
}

int GRD_free_grids()
{
    if (st.grids[0].type == VYK_MISS) return GRD_init_grids();
    for (GRD_report &g : st.grids) {
        if (g.grid) {
            const auto it = st.owners.find(g.grid);
            if (it != st.owners.end() && it->second == &g) GRD_free(&g);
        }
        GRD_init(&g);
    }
    return 0;
}

GRD_report *GRD_get_grids()
{
    if (st.grids[0].type == VYK_MISS) GRD_init_grids();
    return st.grids.data();
}

GRD_report *GRD_get_grid(int ind) { return slot(ind, "GRD_get_grid"); }

int GRD_set_grid(int ind, const GRD_report *grd)
{
    GRD_report *g = slot(ind, "GRD_set_grid");
    if (!g || !grd) return -1;
    GRD_copy(g, grd);
    return 0;
}

int GRD_set_grid_info(int ind, const char *str)
{
    GRD_report *g = slot(ind, "GRD_set_grid_info");
    if (!g) return -1;
    strfcpy(g->info, str);
    return 0;
}

const char *GRD_get_grid_info(int ind)
{
    const GRD_report *g = slot(ind, "GRD_get_grid_info");
    return g ? g->info : "";
}

int GRD_set_grid_date(int ind, const Date *date, const char *str)
{
    GRD_report *g = slot(ind, "GRD_set_grid_date");
    if (!g) return -1;
    if (date) g->date = *date;
    strfcpy(g->datim, str);
    return 0;
}

int GRD_set_grid_factor(int fact)
{
    if (fact > 0) st.factor = fact;
    return 0;
}

int GRD_get_grid_factor() { return st.factor; }

int GRD_set_grid_domain(int ind, const Domain *dom)
{
    GRD_report *g = slot(ind, "GRD_set_grid_domain");
    if (!g || !dom) return -1;
    g->source = 0;
    g->version = 0;
    g->domain = *dom;
    const int f = st.factor;
    if (f != 1) {
        Domain &d = g->domain;
        int nx = 0, ny = 0;
        if (!refine(d.nx, f, nx) || !refine(d.ny, f, ny)) {
            MESS_print(M_WARN, "GRD_set_grid_domain: refinement by %d too large, grid kept\n", f);
            return 0;
        }
        d.nx = nx;
        d.ny = ny;
        if (!VYK_is_miss(d.dx)) d.dx /= static_cast<float>(f);
        if (!VYK_is_miss(d.dy)) d.dy /= static_cast<float>(f);
    }
    return 0;
}

int GRD_get_grid_domain(int ind, Domain *dom)
{
    const GRD_report *g = slot(ind, "GRD_get_grid_domain");
    if (!g || !dom) return -1;
    *dom = g->domain;
    return 0;
}

int GRD_set_var(int ind)
{
    GRD_report *g = slot(ind, "GRD_set_var");
    const VAR_data *v = g ? VAR_get_var(ind) : nullptr;
    if (!g || !v) return -1;
    g->var = v->var[0];
    g->time = v->time;
    g->ltype = v->ltype;
    g->level = v->level;
    strfcpy(g->units, v->units);
    return 0;
}

int GRD_alloc_grid(int ind)
{
    GRD_report *g = slot(ind, "GRD_alloc_grid");
    if (g) GRD_alloc(g);
    return 0;
}

int GRD_set_date(const Date *date)
{
    if (date) st.date = *date;
    else FILE_get_date(&st.date);
    return 0;
}

int GRD_get_date(Date *date)
{
    if (date) *date = st.date;
    return 0;
}

GRD_info *GRD_get_file_info() { return &st.info; }
