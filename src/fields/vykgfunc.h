// vykgfunc.h: the grid-function names that the variable language asks about while it parses.
// They belong to the grid calculations (src/gridcalc), above fields; fields declares exactly
// these here, as an exception to the layering listed with the folder layout, and the grid
// calculations' header includes this one.
#ifndef VYKGFUNC_H
#define VYKGFUNC_H

/// 1 when the name of a grid-function text ("name" or "name-type") is a function with two
/// output grids ("grad", "vdiff"), else 0.
int GRD_is_vect_func(const char *str);
/// The plot-type code of a grid-function text's name: 20 "wind", 21 "vect", 23 "stream" or
/// "strm", 10 for the other classified calculator functions, 0 for any other name.
int GRD_is_math_func(const char *str);

#endif
