// vykresrc.h: the resource kinds, their declaration rows, the resource list, defaults files and
// the value conversions.
#ifndef VYKRESRC_H
#define VYKRESRC_H

#include "vykbase.h"
#include "vykdate.h"

#include <cstddef>

/// The catalogue of resource kinds from which every program picks the ones it accepts.
enum res_type {
    RES_null = 0, RES_age, RES_background, RES_batch, RES_bin_path, RES_bull_file, RES_city_file,
    RES_color_cgrid, RES_color_clabel, RES_color_cloud, RES_color_cmap, RES_color_cont,
    RES_color_conts, RES_color_data, RES_color_echo, RES_color_fill, RES_color_front,
    RES_color_grid, RES_color_hodo, RES_color_hodtxt, RES_color_label, RES_color_labels,
    RES_color_line, RES_color_map, RES_color_pop, RES_color_rep, RES_color_sound,
    RES_color_table, RES_color_text, RES_color_therm, RES_color_thrmtxt, RES_color_wind,
    RES_color_wx, RES_command, RES_commands, RES_con_base, RES_con_bases, RES_con_interval,
    RES_con_intervals, RES_con_path, RES_current, RES_data_path, RES_data_src, RES_default,
    RES_draw, RES_decode_hour, RES_device, RES_file_param, RES_file_path, RES_filename,
    RES_filenames, RES_font_list, RES_forecast, RES_geometry, RES_grid_num, RES_grid_path,
    RES_grid_type, RES_help, RES_hour, RES_icon, RES_identifier, RES_identifiers,
    RES_identifierp, RES_image_path, RES_in_file, RES_in_files, RES_ingest_port, RES_ingestor,
    RES_input, RES_label, RES_labels, RES_level, RES_map_file, RES_message, RES_model, RES_name,
    RES_name_conv, RES_num_grid, RES_num_hour, RES_object_param, RES_out_file, RES_out_files,
    RES_output, RES_parameter, RES_plot_domain, RES_plot_format, RES_plot_param, RES_plot_range,
    RES_plot_scale, RES_plot_type, RES_plot_types, RES_position, RES_product, RES_program,
    RES_raw_path, RES_read_conf, RES_region, RES_save_param, RES_stat_prior, RES_state,
    RES_table, RES_time, RES_title, RES_unit, RES_values, RES_variable, RES_watch_path,
    RES_window_num, RES_color_watch, RES_log_file, RES_grid_domain, RES_inputg, RES_text_path,
    RES_model_path, RES_sat_path
};
static_assert(RES_sat_path == 114);

/// How a resource's text is turned into a value.
enum DEF_convert {
    CV_none = 0, CV_bool, CV_int, CV_short, CV_long, CV_float, CV_string, CV_strcpy, CV_path,
    CV_mess, CV_draw, CV_current, CV_hour, CV_region, CV_name, CV_ingestor, CV_file_param,
    CV_device, CV_plot_type, CV_color, CV_domain, CV_strings, CV_batch, CV_help
};
static_assert(CV_help == 23);

/// Most kinds one program accepts in its two lists together.
constexpr int RES_MAX_DEF = 74;

/// One declaration row: how one accepted kind is named, found and converted.
struct RES_defobj {
    const char *def;  // resource name; "" for a kind without a row; NULL ends a table
    const char *env;  // environment variable
    const char *cmd;  // option abbreviation without the '-'; NULL for a positional kind
    int slot;         // positional slot 1 to 10 (10 takes every word no other slot takes); 0 keyed
    DEF_convert cvt;  // conversion kind
    void *out;        // where a start-up conversion stores its value; NULL in catalogue rows
    int *num;         // word count of a CV_strings value; NULL in catalogue rows
};

/// One resource of the process-wide list.
struct resource {
    int index;        // row of the declaration that last set it; -9999 for a free-form resource
    char *name;       // compared exactly
    char *data;       // value; NULL for a resource given without one
    DEF_convert cvt;  // kind of the declaration that last set it (CV_string when free-form)
    resource *next;
};
typedef resource res_obj;

// The resource list and the catalogue (res.cpp).
int RES_put(const char *name, const char *value);
int RES_list();
int RES_new(int index, const char *name, const char *data, DEF_convert cvt);
int RES_append(int index, const char *name, const char *data, DEF_convert cvt);
const char *RES_get(const char *name);
int RES_getvals(const char *name, int *paramc, char ***paramv);
/// The first resource of the list, in order of creation (NULL when empty).
const resource *RES_first();
int RES_setCL(int argc, char **argv);
const char *RES_get_prog();
/// The program's base name copied into prog (at most size - 1 characters; 0 stands for
/// FILE_NAME_MAX + 1 bytes), or into new storage owned by the caller when prog is NULL.
char *RES_get_progname(char *prog, size_t size = 0);
int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd,
                 DEF_convert cvt, void *out, int *num);
int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, int slot, DEF_convert cvt,
                 void *out, int *num);
int RES_enter(RES_defobj *obj, res_type key);
int RES_help_item(res_type res);
int RES_help_print(const char *name, const res_type *res_key, const res_type *res_pos);

// Decoding and start-up (res_decode.cpp).
int RES_init(int argc, char **argv, const res_type *res_key, const res_type *res_pos);
int RES_decode(const char *progname, const char *cls, int argc, char **argv,
               RES_defobj *def_table);
/// The k-th keyed option (from 0, as typed) of the last command line decoded that no
/// declaration of the program matched; it was kept as a free-form resource.  NULL past the last.
const char *RES_unknown_option(int k);

// Value conversions (res_conv.cpp).  `size` is the size of a CV_strcpy destination buffer;
// 0 stands for FILE_NAME_MAX + 1 bytes.
int RES_conv_data(const char *data, void *out, DEF_convert cvt, size_t size = 0);
int RES_getval(const char *name, void *data, DEF_convert cvt, size_t size = 0);
int RES_set_device(const char *str);
/// Whether text is a draw list: every comma-separated item a word of the `draw` resource,
/// with or without a sign.
bool RES_is_draw_list(const char *text);
/// Reads the text of a forced file time (the `hour` resource) into date, every field not given
/// being -9999; a forced hour or minute step of 0 is refused with a warning and left -9999.
/// Returns 0, or -1 when text or date is none.
int RES_hour_date(const char *text, Date *date);

// Defaults files and environment lookup (def_read.cpp).
constexpr int DEF_KEY_LEN = 50;     // key buffer of DEF_get: 49 characters and the end
constexpr int DEF_VALUE_LEN = 200;  // value buffer of DEF_get and DEF_env
int DEF_open(const char *filename);
/// DEF_open for a file that may come with a directory from anywhere (the current directory of
/// the built-in defaults path): a file that is not the user's own, or that group or others may
/// write, is not read (one warning, -1).
int DEF_open_owned(const char *filename);
int DEF_close();
int DEF_prog();
int DEF_name(const char *name);
int DEF_title(const char *title);
int DEF_clr_tag();
int DEF_tag(const char *str);
int DEF_get(char *resrc, char *value);
int DEF_cmp(const char *resrc, const char *string);
int DEF_valid(const char *string);
int DEF_parse_name(const char *str, char *ostr);
int DEF_env(const char *resrc, const char *env, char *value);

#endif
