// grd_record.cpp: the grid record's own operations (emptied, values allocated, released,
// copied and moved) and the file header made for a grid's output.
//
// Ownership of value arrays: the record that allocated an array (GRD_alloc) owns it, and only
// the owner releases it (GRD_free).  The owners are kept in a table keyed by the array; a copy
// made by GRD_copy or GRD_set_grid registers an array that no one owns yet under the record it
// came from, so that a copy never releases the values of the record it was copied from.
//
// The grid-file readers allocate and release through these operations, so this file calls
// nothing above the record itself (messages, and the domain's emptying).
#include "grd_internal.h"

#include <cstdlib>
#include <unordered_map>

namespace {

struct Owners {
    std::unordered_map<const float *, const GRD_report *> owners;  // array -> owning record
    std::unordered_map<const float *, size_t> sizes;  // array from GRD_alloc -> its values
};

Owners st;

// A shared array that no one owns yet is from now on owned by the record it is copied from.
void claim(const GRD_report *from)
{
    if (from->grid) st.owners.try_emplace(from->grid, from);
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

bool grd_owns(const GRD_report *grid)
{
    if (!grid || !grid->grid) return false;
    const auto it = st.owners.find(grid->grid);
    return it != st.owners.end() && it->second == grid;
}
