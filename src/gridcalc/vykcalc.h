// vykcalc.h: grid calculations: the grid-function names (grd_func.cpp), the grid-function
// evaluator (grd_math.cpp, with the thermodynamic functions of grd_therm.cpp and the wind and
// kinematic functions of grd_wind.cpp) and the derived-variable driver (grd_calc.cpp).
#ifndef VYKCALC_H
#define VYKCALC_H

#include "vyk.h"
#include "grd_tool.h"
// GRD_is_vect_func and GRD_is_math_func, declared where the variable language needs them.
#include "vykgfunc.h"

/// Longest function name, and longest type, of a grid-function text ("name-type").
constexpr int GRD_FUNC_NAME_MAX = 9;

// GRD_is_plot_func (the vector plot pseudo-functions) is declared in vykgacc.h.

// ---------------------------------------------------------------------------------------------
// The evaluator.  A grid function takes two parallel arrays of GRD_MATH_SLOTS entries: records
// and constants.  Slot 0 is the output record (slots 0 and 1, x and y, for a two-output
// function), the arguments follow.  An argument slot holds a grid (a record with source not 0
// and values), a constant (no such record; its values entry, which is not -9999), or nothing
// (no record and -9999): a list of arguments ends at its first empty slot.  values may be NULL
// (no constants).  All grids of a call have the output's size; a new output (no values and no
// georeference) takes the header of the first grid argument.  Points whose inputs are missing,
// and results that are not finite numbers, are -9999.
// ---------------------------------------------------------------------------------------------

/// Entries of the argument arrays: the outputs and at most 19 arguments (18 with two outputs).
constexpr int GRD_MATH_SLOTS = 20;

/// Computes the grid function str ("name" or "name-type", the type naming the variable the
/// result carries) into the output record(s).  1 when it ran (also for the plotting markers,
/// which compute nothing), 0 after "GRD_math: Invalid grids" when an argument it needs is
/// missing, of another size or unusable, or "GRD_math: Math function not available: NAME".
int GRD_math(const char *str, GRD_report **grids, const float *values);
/// The common setup of a function with num arguments: cursors (ptr, GRD_MATH_SLOTS entries) at
/// the first value of each grid argument and output, NULL for constants; the output's values
/// (allocated when it has none, its header copied from the first grid argument when it has no
/// georeference either), size, variable number (of type, else of func) and, when units is not
/// empty, its units and description.  1, or 0 with nothing changed when an argument is missing
/// or unusable, there are more than 19 argument slots, or the grids differ in size.
int GRD_math_setup(float **ptr, int *nx, int *ny, int num, GRD_report **grids,
                   const float *values, const char *func, const char *type, const char *units);
/// The value under slot ind's cursor, or the slot's constant when it has no cursor.
float GRD_get_math_val(int ind, float *const *ptr, const float *values);
/// The number of argument slots before the first empty one, from slot 1, at most 19 (a slot
/// with a record counts whether or not the record holds values).
int GRD_find_num_data(GRD_report *const *grids, const float *values);

// ---------------------------------------------------------------------------------------------
// The derived-variable driver
// ---------------------------------------------------------------------------------------------

// GRD_find_param_grids (declared in vykgacc.h, for the plot frame) collects into grds (and
// values, when not NULL) the arguments at depth level of a function of the variable slots,
// scanning from slot start: the grid-table record of each matching slot (a plain variable, a
// function or a second output at that depth), or for a constant "#N" (when values are asked
// for) NULL and N.  The scan ends after num entries (no limit when num < 0), at a shallower
// slot once an argument was found, or at the last slot; grds is ended by NULL, and the slot at
// which the scan stopped is returned.  grds (and values) need num + 1 entries, or
// GRD_MATH_SLOTS when num < 0 or larger: at most GRD_MATH_SLOTS - 1 arguments are collected,
// with a warning when there are more.

/// Computes the grid of every function slot of the variable table whose grid slot is empty,
/// deepest functions first, and converts each result to its variable's units.  1.
int GRD_calc_var();

#endif
