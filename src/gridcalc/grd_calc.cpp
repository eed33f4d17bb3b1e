// grd_calc.cpp: the derived-variable driver: the grids of the function slots of the variable
// table computed from the grids of their argument slots, deepest functions first, and the
// collector of a function's arguments that vector plots use as well.
//
// A slot's flag is 10 x its depth (the function brackets around it) plus its role; the
// arguments of a function at depth d are the slots at depth d + 1 that follow it, up to the
// next slot at a depth below d + 1.  Grid slot i holds the grid of variable slot i.
#include "grd_math_internal.h"
#include "grd_oper.h"
#include "vykvar.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int NO_LIMIT = 1000;

int depth_of(int flag) { return flag / 10; }
int role_of(int flag) { return flag % 10; }

/// A slot that is an argument at its depth: a plain variable, a function or a second output.
bool is_argument(int role)
{
    switch (role) {
    case VAR_KIND_REG:
    case VAR_KIND_SUBREG:
    case VAR_KIND_FUNC:
    case VAR_KIND_SUBFUNC:
    case VAR_KIND_FUNC_VECT:
    case VAR_KIND_SUBFUNC_VECT: return true;
    default: return false;
    }
}

/// Slot j + 1 is the second output of the two-output function in slot j: a second-output
/// slot at j's depth.  (A two-output function that is j's first argument also answers
/// VAR_is_FUNC_VECT, but lies one level deeper.)
bool second_output(int j)
{
    if (j + 1 >= VAR_get_num()) return false;
    const int flag = VAR_get_flag(j + 1);
    return depth_of(flag) == depth_of(VAR_get_flag(j)) &&
           (role_of(flag) == VAR_KIND_FUNC_VECT || role_of(flag) == VAR_KIND_SUBFUNC_VECT);
}

/// The number of a constant slot ("#N"), or -9999 (no argument) when the rest is no number.
float constant_value(const char *name)
{
    const char *text = name[0] ? name + 1 : name;
    char *end = nullptr;
    errno = 0;
    const float v = std::strtof(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v)) {
        MESS_print(M_WARN_C, "GRD_find_param_grids: Invalid constant: %s\n", name);
        return static_cast<float>(VYK_MISS);
    }
    return v;
}

struct Collected {
    int stop = 0;          // the slot at which the scan stopped
    int count = 0;         // arguments collected
    bool overflow = false; // more arguments than room
};

/// The scan of GRD_find_param_grids.  strict: a shallower slot ends the scan even before any
/// argument was found (a function without arguments gets none of a later function's).
Collected collect(int start, int num, int level, GRD_report **grds, float *values, int size,
                  bool strict)
{
    Collected r;
    const int last = VAR_get_num();
    const int limit = num < 0 ? NO_LIMIT : num;
    GRD_report *table = GRD_get_grids();
    int i = start < 0 ? 0 : start;
    for (; i < last && r.count < limit; i++) {
        const int flag = VAR_get_flag(i);
        if ((r.count > 0 || strict) && flag < level * 10) break;
        if (depth_of(flag) != level || flag < 0 || !is_argument(role_of(flag))) continue;
        if (r.count >= size - 1) {
            r.overflow = true;
            break;
        }
        const int k = r.count++;
        if (values && VAR_get_type(i) == VAR_T_CONST) {
            values[k] = constant_value(VAR_get_name(i));
            grds[k] = nullptr;
        } else {
            grds[k] = &table[i];
            if (i > 0 && role_of(VAR_get_flag(i - 1)) == VAR_KIND_VECT)
                table[i].var = table[i - 1].var;
        }
        if (r.count == limit) break;
    }
    r.stop = i;
    if (size > 0) grds[r.count] = nullptr;
    return r;
}

/// Computes function slot j at depth d; returns the last slot it filled (j + 1 for a
/// two-output function).
int calc_slot(int j, int d)
{
    GRD_report *table = GRD_get_grids();
    GRD_report *g = &table[j];
    const int num = VAR_get_num();
    const char *name = VAR_get_name(j);
    MESS_print(M_DEBUG_C, "GRIDMATH: %d %d %s\n", j, VAR_get_flag(j), name);

    // The description of the next slot, then the function's own label.
    const bool two = second_output(j);
    const int outs = two ? 2 : 1;
    // Values left in an output from an earlier run are released (when it owns them).
    if (g->grid) GRD_free(g);
    if (two && table[j + 1].grid) GRD_free(&table[j + 1]);
    if (j + 1 < num) GRD_copy_info(g, &table[j + 1]);
    GRD_make_datatype(g, nullptr);

    // The outputs, the arguments and the ending empty slot; the constants fresh for each function.
    GRD_report *entries[GRD_MATH_SLOTS + 1] = {};
    float values[GRD_MATH_SLOTS + 1];
    for (float &v : values) v = static_cast<float>(VYK_MISS);
    entries[0] = g;
    if (two) entries[1] = &table[j + 1];
    const Collected c = collect(j + outs, -1, d + 1, entries + outs, values + outs,
                                GRD_MATH_SLOTS + 1 - outs, true);
    if (c.overflow) {
        MESS_print(M_WARN, "GRD_calc_var: Too many arguments for %s (at most %d)\n", name,
                   GRD_MATH_SLOTS - outs);
        return j + outs - 1;
    }

    MESS_print(M_MESS, "Performing grid math: %s\n", name);
    if (!GRD_math(name, entries, values)) return j + outs - 1;
    for (int o = 0; o < outs; o++) {
        GRD_report *r = entries[o];
        const char *units = VAR_get_units(j);
        if (units && units[0] && r->grid) GRD_units(r, units);
        char label[DATE_LABEL_FOR_LEN];
        DATE_make_label_for_time(r->time, r->model, &r->date, label);
        strfcpy(r->datim, label);
    }
    return j + outs - 1;
}

}  // namespace

int GRD_find_param_grids(int start, int num, int level, GRD_report **grds, float *values)
{
    if (!grds) return start;
    const int size = num < 0 || num >= GRD_MATH_SLOTS ? GRD_MATH_SLOTS : num + 1;
    const Collected c = collect(start, num, level, grds, values, size, false);
    if (c.overflow)
        MESS_print(M_WARN, "GRD_find_param_grids: More than %d arguments; the rest left out\n",
                   size - 1);
    return c.stop;
}

int GRD_calc_var()
{
    const int num = VAR_get_num();
    int top = 0;
    for (int i = 0; i < num; i++)
        if (VAR_get_flag(i) > top) top = VAR_get_flag(i);
    const GRD_report *table = GRD_get_grids();
    for (int d = depth_of(top) - 1; d >= 0; d--) {
        for (int j = 0; j < num; j++) {
            if (table[j].source != 0 || !VAR_is_calc_GRID(j) || depth_of(VAR_get_flag(j)) != d)
                continue;
            j = calc_slot(j, d);
        }
    }
    return 1;
}
