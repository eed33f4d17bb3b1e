// grd_tool.cpp: the table of 60 grids beside the variable slots, with the table's refinement
// factor and the current grid-file date, and the descriptions and printouts of grid records.
// The records' own operations and the ownership of their values are grd_record.cpp's.
#include "grd_internal.h"
#include "vykvar.h"

#include <array>
#include <climits>
#include <cstring>
#include <string>

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
        if (grd_owns(&g)) GRD_free(&g);
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
