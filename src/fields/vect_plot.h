// vect_plot.h: vector plots of a pair of wind-component grids (u and v, in m/s): arrows, wind
// barbs and streamlines on the current map, optionally coloured by speed through the contour
// colour table, with a reference-vector legend: the settings (vect_param.cpp), streamlines
// (vect_strm.cpp), the drawing and the stand-alone plot (vect_plot.cpp).
//
// Vector types are plot-type codes: 21 arrows, 22 barbs, 23 streamlines, 99 none; 20 (plain
// wind) and 10 (grid) leave the choice to the plot type or a prompt.  -9999 marks a value that
// is not set.  The plots draw from a private copy of the caller's grids: the grids handed in
// are never changed.
#ifndef VECT_PLOT_H
#define VECT_PLOT_H

#include "plt_frame.h"
#include "vykgks.h"
#include "vykrec.h"

/// Resets the type (unless fixed with VECT_set_type), interval, base and cut-offs.  0.
int VECT_init();
/// Installs plot positions of the grid points, top row first (malloc'd arrays the module then
/// owns; NULL uninstalls).  0.
int VECT_grid(float *grx, float *gry);
int VECT_set_scale(float scale);
int VECT_set_intrvl(float value);
float VECT_get_intrvl();
int VECT_set_max(float max);
/// Fixes the type until the next type decision.  0.
int VECT_set_type(int type);
int VECT_get_type();
/// The reference-vector legend: on (1) or off (0).
int VECT_set_vect(int value);
int VECT_get_vect();
/// Drawn length of a vector at the maximum speed, set by the last drawing.
float VECT_get_vector_size();
int VECT_set_base(float value);
/// The slot's format text (NULL: empty) and its plot type.  0.
int VECT_set_format(int type, const char *form);
/// Applies the ':'-separated words of the format text.  0.
int VECT_format_decode_type();
/// Applies the co=, wi= and st= items of the format text to attr.  0.
int VECT_format_decode_attrib(Gattribs *attr);
/// Applies the vector words of the plot_param resource.  0.
int VECT_param_decode();
/// The vector type, from the type set, the plot type or the console ("Vectors (V) or
/// Streamlines (S): ").
int VECT_prompt_type();
/// Prepares the vector state for variable slot ind's grid pair (plot: the frame of a series, 0
/// the first).  0.
int VECT_plot_setup(int plot, int ind, GRD_report *ugrid, GRD_report *vgrid, Domain *domain,
                    PLT_callback callback);
/// Draws the grid pair as set up.  0; -1 for missing grids or values, or memory.
int VECT_draw(GRD_report *ugrid, GRD_report *vgrid);
/// Traces one streamline from grid point (i, j), j counted from the bottom row, for at most
/// length quarter steps.  The components are taken as turned to the map's north.  0.
int VECT_stream(GRD_report *ugrid, GRD_report *vgrid, int i, int j, float length);
/// Draws the reference-vector legend in transformation 1.  0.
int VECT_draw_vect();
/// Stand-alone vector plot of the pair.  0, or -1 when the plot's output could not be written.
int VECT_plot_grid(GRD_report *ugrid, GRD_report *vgrid, Domain *domain, PLT_callback callback);
/// Stand-alone vector plot of the remembered pair; also its zoom and resize function.  0, or -1
/// when the plot's output could not be written.
int VECT_plot(Domain *domain);

#endif
