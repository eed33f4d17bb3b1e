// vykcalc.h: grid calculations: the grid-function names (grd_func.cpp).
#ifndef VYKCALC_H
#define VYKCALC_H

#include "vyk.h"
// GRD_is_vect_func and GRD_is_math_func, declared where the variable language needs them.
#include "vykgfunc.h"

/// Longest function name, and longest type, of a grid-function text ("name-type").
constexpr int GRD_FUNC_NAME_MAX = 9;

/// 1 when the name of a grid-function text is a plotting marker ("wind", "vect", "stream",
/// "strm": the two arguments are drawn as a vector field and nothing is computed), else 0.
int GRD_is_plot_func(const char *str);

/// Computes the grid of every function slot of the variable table whose grid slot is still
/// empty, innermost functions first.  1.
int GRD_calc_var();

#endif
