// Placeholders for functions of components that are not built yet.  Each prints
// "NAME: not available" and returns its failure value; it goes when the real function lands.
#include "gks.h"
#include "vyk.h"
#include "vykgks.h"

namespace {
int missing(const char *name)
{
    MESS_print(192, "%s: not available\n", name);
    return -1;
}
}  // namespace

// Colour representation
int gset_def_cmap(Colormap) { return missing("gset_def_cmap"); }
int gset_user_cmap(Colormap) { return missing("gset_user_cmap"); }
Colormap gget_user_cmap()
{
    missing("gget_user_cmap");
    return 0;
}
int gset_rw_colors(int) { return missing("gset_rw_colors"); }
int gset_inverse(int) { return missing("gset_inverse"); }
int gget_inverse()
{
    missing("gget_inverse");
    return 0;
}
int ginit_xcolr() { return missing("ginit_xcolr"); }
int ginit_background() { return missing("ginit_background"); }
int gget_color_ind(int) { return missing("gget_color_ind"); }

// Polylines
GC gget_line_gc()
{
    missing("gget_line_gc");
    return nullptr;
}
int ginit_line(int) { return missing("ginit_line"); }
int greset_line() { return missing("greset_line"); }

// Polymarkers
GC gget_marker_gc()
{
    missing("gget_marker_gc");
    return nullptr;
}
int ginit_marker(int) { return missing("ginit_marker"); }
int greset_marker() { return missing("greset_marker"); }

// Fill areas
GC gget_fill_gc()
{
    missing("gget_fill_gc");
    return nullptr;
}
int ginit_fill(int) { return missing("ginit_fill"); }
int greset_fill() { return missing("greset_fill"); }
int gdel_fill_pat() { return missing("gdel_fill_pat"); }

// Text and stroke fonts
GC gget_text_gc()
{
    missing("gget_text_gc");
    return nullptr;
}
int ginit_text(int) { return missing("ginit_text"); }
int greset_text() { return missing("greset_text"); }
int gsetup_fonts() { return missing("gsetup_fonts"); }

// Events and the hold loop
int gcheck_event() { return missing("gcheck_event"); }
int ginit_event(int) { return missing("ginit_event"); }

// Animation frames and zoom
int ginit_loop() { return missing("ginit_loop"); }
int gdelete_all_frames() { return missing("gdelete_all_frames"); }
int gclear_frame(int) { return missing("gclear_frame"); }
int greset_zoom() { return missing("greset_zoom"); }

// Display list and segments
int ginit_objs() { return missing("ginit_objs"); }
void *gnew_obj(int, int, int, const void *)
{
    missing("gnew_obj");
    return nullptr;
}
int gclear_objs() { return missing("gclear_objs"); }
int gdel_seg_objs(Gint) { return missing("gdel_seg_objs"); }
int gset_redraw(int) { return missing("gset_redraw"); }
int gset_cache(int) { return missing("gset_cache"); }

// Metafiles
int gmeta_set_type(int) { return missing("gmeta_set_type"); }
int gmeta_get_type()
{
    missing("gmeta_get_type");
    return 0;
}
FILE *gmeta_open_file(const char *)
{
    missing("gmeta_open_file");
    return nullptr;
}
int gmeta_init_file() { return missing("gmeta_init_file"); }
int gmeta_printf(const char *, ...) { return missing("gmeta_printf"); }
int gmeta_close_file() { return missing("gmeta_close_file"); }
int gcgm_control(int, int, int, int) { return missing("gcgm_control"); }
int gcgm_ps_point(float, float) { return missing("gcgm_ps_point"); }

// PostScript and EPS
int gps_init() { return missing("gps_init"); }
int gps_set_size(float, float) { return missing("gps_set_size"); }
FILE *gps_open_file(const char *)
{
    missing("gps_open_file");
    return nullptr;
}
int gps_init_file() { return missing("gps_init_file"); }
int gps_close_file() { return missing("gps_close_file"); }
int gps_printf(const char *, ...) { return missing("gps_printf"); }
int gps_move(float, float) { return missing("gps_move"); }
int gps_line(float, float) { return missing("gps_line"); }
int gps_set_fill_color(int) { return missing("gps_set_fill_color"); }
int gps_set_base_width(int) { return missing("gps_set_base_width"); }
int gps_set_EPS(int) { return missing("gps_set_EPS"); }
int gps_set_orient(int) { return missing("gps_set_orient"); }
int gps_set_scale(float) { return missing("gps_set_scale"); }
int gps_set_colorPS(int) { return missing("gps_set_colorPS"); }

// HP-GL/2
int ghpgl_init() { return missing("ghpgl_init"); }
FILE *ghpgl_open_file(const char *)
{
    missing("ghpgl_open_file");
    return nullptr;
}
int ghpgl_set_pcl(int) { return missing("ghpgl_set_pcl"); }
int ghpgl_set_rotate(int) { return missing("ghpgl_set_rotate"); }
int ghpgl_set_scale(float) { return missing("ghpgl_set_scale"); }
int ghpgl_set_base_width(float) { return missing("ghpgl_set_base_width"); }
int ghpgl_init_file() { return missing("ghpgl_init_file"); }
int ghpgl_close_file() { return missing("ghpgl_close_file"); }
int ghpgl_printf(const char *, ...) { return missing("ghpgl_printf"); }

// Text and stroke fonts: the font list
int gget_font_index(const char *) { return missing("gget_font_index"); }

// Convenience drawing layer
int GPH_set_color(int, float, float, float) { return missing("GPH_set_color"); }
