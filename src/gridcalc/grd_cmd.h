// grd_cmd.h: the grid calculator's command language and reductions over several grid files
// (grd_cmd.cpp).
//
// A command is a list of words.  A file operand is "name" or "name+selector": the name is a
// file-naming convention (or, when no convention has that name, the template itself) that
// gives the file for the current date (the `current` resource) or for the name completed as
// typed; the selector chooses the grid in the file.  A constant operand is "#number" ("#cor":
// the Coriolis parameter in the two-operand form).  The forms:
//   A add|sub|mul|div|mod B [=] [OUT [INFO [DATIM]]]
//   piece NXxNY F1 .. Fn [=] [OUT [INFO [DATIM]]]        n = NX * NY, row by row from the top
//   unit F UNITS [=] [OUT ...]      remap F DOMAIN [=] [OUT ...]
//   cutoff F lower|higher VALUE NEW [=] OUT ...
//   info|domain|max|min|maxmin|avg|avgnum F =          print
//   val F POINT ...      loc F POINT        POINT: "id" STATION, "ll" LAT,LON, or GX,GY
//   max|min|sum|avg F F2 .. = [OUT ...]                 point by point over the files
//   FUNC F [ARG [ARG]] [= OUT ...]                      a grid function of F and at most two
//                                                       further files or constants
// OUT is an output naming convention or template ("-": the standard output; the default); the
// result is written for the date of the first operand's file.
#ifndef GRD_CMD_H
#define GRD_CMD_H

/// Runs one command.  1 when it ran (its output printed or its result written), 0 when it has
/// fewer than 3 words, an operand cannot be read, a word is missing or does not parse, the
/// computation fails, or a reduction reads no file word.
int GRD_math_command(int num, char **cmd);
/// Reduces grid-table slot 0 (the first file's grid) with the files of the words before the
/// first one beginning '=' by str's name: "max", "min", "sum" or "avg" at each point (-9999
/// where any grid read is missing).  The average divides by the number of grids read.  The
/// number of file words used (read or not); 0 when the setup fails or no file word comes first;
/// -1 for another name.
int GRD_math_file(const char *str, char **files, int num);

#endif
