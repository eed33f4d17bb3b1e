// dadodu.h: point-data ("raw") files (raw_file.cpp): text files of station lines, an identifier,
// a location and values, with an optional header ("DADODU", the date label, the description and
// a field list); up to five open at once in numbered slots.  The output of plotted point data
// and the file arguments with a column and a format (raw_out.cpp); the arithmetic of
// point-data files (raw_math.cpp).
#ifndef DADODU_H
#define DADODU_H

#include "vykplot.h"
#include "cty.h"
// RAW_plot_file, which map lists call; RAW_data, RAW_data_init, RAW_plot_init, RAW_plot_data
// and the output of plotted values, which the data-plotting driver calls.
#include "vykrawplot.h"
#include "vykgks.h"
#include "vykvar.h"

#include <cstdint>

struct GRD_report;

constexpr int RAW_SLOTS = 5;            // files open at once
constexpr int RAW_FIELDS = 75;          // entries of a field list
constexpr int RAW_LINE_LEN = 400;       // characters of a data line
constexpr int RAW_FIELD_NAME_LEN = 20;  // an entry's name: 19 characters and the end
constexpr int RAW_FIELD_INFO_LEN = 60;
constexpr int RAW_FIELD_FMT_LEN = 40;
constexpr int RAW_ID_LEN = 30;
constexpr int RAW_DATA_LEN = 30;
constexpr int RAW_FORMAT_LEN = 40;
constexpr int RAW_INFO_LEN = 50;
constexpr const char *RAW_MAGIC = "DADODU";

/// File types.
enum { RAW_TYPE_NONE = 0, RAW_TYPE_HEADER = 1, RAW_TYPE_HEADER2 = 2, RAW_TYPE_PLAIN = 99 };
/// Access of RAW_open.
enum { RAW_READ = 0, RAW_WRITE = 1, RAW_APPEND = 2 };
/// Modes of RAW_write.
enum { RAW_LINE = 1, RAW_VALUE_ALSO = 2, RAW_START = 3, RAW_VALUE = 4, RAW_END = 5 };

/// One datum of a station line.
struct RAW_report {
    char id[RAW_ID_LEN];
    int type;          // read: the value's field index or a line position; write: the plot type
    int wmo;           // the identifier as a number (identifiers of more than 4 characters)
    float lat, lon;    // location; with a pressure column lat is the pressure; -9999 missing
    float elev;
    int prior;
    float value[2];    // -9999 missing
    char data[RAW_DATA_LEN];      // the value token's text
    char format[RAW_FORMAT_LEN];  // the field's format, ':' and the token's own
};

/// A file header.
struct RAW_info {
    char datim[RAW_INFO_LEN];  // date label
    char info[RAW_INFO_LEN];   // description
    char file[20];
    char *cmdline;
    Date date;
    int num_stat;
};


/// Field designators are text pointers: a name, or a small number made by RAW_field (1 every
/// value in turn, 2 the identifier, 10 + k data column k).
constexpr int RAW_FIELD_EACH = 1;
constexpr int RAW_FIELD_ID = 2;
constexpr int RAW_FIELD_DATA = 10;  // + k: data column k
/// The highest designator number: the last data column a field list can hold.
constexpr int RAW_FIELD_LAST = RAW_FIELD_DATA + RAW_FIELDS - 1;
inline const char *RAW_field(int n) { return reinterpret_cast<const char *>(static_cast<intptr_t>(n)); }
/// True for a designator made by RAW_field rather than a name (every column number up to
/// RAW_FIELD_LAST, and the missing value).
inline bool RAW_field_is_num(const char *designator)
{
    const intptr_t v = reinterpret_cast<intptr_t>(designator);
    return v == -9999 || (v >= 0 && v <= RAW_FIELD_LAST);
}

// ---------------------------------------------------------------------------------------------
// Files (raw_file.cpp)
// ---------------------------------------------------------------------------------------------

/// 1 for a file beginning with the word "DADODU", 99 for any other, -1 when it cannot be opened.
int RAW_chktype(const char *name);
/// Opens name (access RAW_READ, RAW_WRITE or RAW_APPEND; *type 0 probes a file read) in a free
/// slot: the slot, -1 when it cannot be opened.  "stdn" is rewritten to "-" (headerless stdin).
int RAW_open(char *name, int access, int *type);
int RAW_getinfo(int slot, RAW_info *info);
int RAW_get_num_field(int slot);
int RAW_get_field_ind(int slot, const char *designator);
char *RAW_set_field_name(int slot, const char *designator, const char *text);
int RAW_set_field_info(int slot, const char *designator, const char *text);
int RAW_set_field_fmt(int slot, const char *designator, const char *text);
const char *RAW_get_field_name(int slot, const char *designator);
const char *RAW_get_field_info(int slot, const char *designator);
const char *RAW_get_field_fmt(int slot, const char *designator);
int RAW_putinfo(int slot, RAW_info *info);
int RAW_putheader(int slot, const char *text);
int RAW_rewind(int slot);
/// Closes a slot: 0, or for an output -1 with a message naming the file when it could not be
/// written whole (a file made for it is then removed, a file appended to cut back).
int RAW_close(int slot);
/// Closes an output whose writer gave up, undoing it as a failed RAW_close does; 0.
int RAW_abandon(int slot);
/// Reads data line *line (0 the first) or, with RAW_FIELD_EACH, its next value: see raw_file.cpp.
int RAW_read(int slot, RAW_report *report, const char *designator, int *line);
int RAW_dec_line(int slot, int entry, RAW_report *report, const char *token);
int RAW_write(int slot, RAW_report *report, int mode, int *line);
/// The format text with every '%' item that is not one printf conversion of a number removed
/// (with a warning): what the point plots may hand to printf.  out holds size bytes.
int RAW_check_format(const char *text, char *out, size_t size);

// ---------------------------------------------------------------------------------------------
// File arguments and the output of plotted data (raw_out.cpp)
// ---------------------------------------------------------------------------------------------

int RAW_file_open(char *file_arg, const char **designator, const char **format, int mode);
/// As RAW_file_open for reading a file argument that came from data: only a regular file is
/// opened, never a command or a standard stream (-1 with a warning).
int RAW_file_open_plain(char *file_arg, const char **designator, const char **format);
// RAW_date_open, RAW_save_station, RAW_save_data, RAW_save_end, RAW_close_file and
// RAW_set_var_string are declared in vykrawplot.h.

// ---------------------------------------------------------------------------------------------
// Arithmetic (raw_math.cpp)
// ---------------------------------------------------------------------------------------------

int RAW_math_command(int num, char **cmd);
int RAW_parameter();
int RAW_set_miss_val(float val);
int RAW_make_table(TAB_table *tbl, const char *file);
int RAW_math_table(TAB_table *tbl, const char *oper, const char *file);
int RAW_save_table(TAB_table *tbl, const char *file, int flag);
int RAW_math(const char *oper, const char *ifile, const char *valstr, const char *ofile);
int RAW_extract(const char *ifile, const char *ofile);
int RAW_series(char **cmd, int num);
int RAW_set_info(char **cmd, int num, int ind);

// ---------------------------------------------------------------------------------------------
// Point-datum plotting and the plot-format language (raw_plot.cpp)
// ---------------------------------------------------------------------------------------------

constexpr int RAW_SYMBOL_LEN = 40;      // a weather-symbol file name: 39 characters and the end
constexpr int RAW_TEXT_LEN = 10;        // a fixed text: 9 characters and the end
constexpr int RAW_VALUE_FORMAT_LEN = 60;  // a value format: 59 characters and the end
/// The marker code of the clear-sky cloud circle.
constexpr int RAW_MARK_CLOUD = 1001;

/// One complete set of point-plot settings (RAW_init_attrib gives the start values).
struct RAW_attribs {
    Gattribs attrib;               // all unset
    float intrvl;                  // colour interval; set: values coloured by fill colours
    float scale;                   // size of everything drawn: 1
    float base;                    // contour base: 0
    float min, max;                // cut-offs of value[0]: -9999 none
    int type;                      // plot type when the data source gives none: 1 (data)
    char symbol[RAW_SYMBOL_LEN];   // weather-symbol stroke file to open: empty
    char text[RAW_TEXT_LEN];       // fixed text drawn instead of every datum: empty
    char format[RAW_VALUE_FORMAT_LEN];  // value format (one number conversion): empty
    int bar;                       // y of vertical bars: -9999 none
    int marker;                    // marker instead of the datum: 0 none, RAW_MARK_CLOUD, 1..9
    int hor, vert;                 // text alignment: 2 centre, 3 half
    float x, y;                    // offset, fractions of the plot window height: 0
    int line;                      // 1 connect successive data: 0
    int skip;                      // plot every skip-th station: 1
};

/// Fills set with the start values.  0.
int RAW_init_attrib(RAW_attribs *set);
/// Applies the `plot_param` words to the base set.  0.
int RAW_plot_param();
/// Applies a ':'-separated plot format to set; the plot type it names (the last one; a value
/// format names 2), 0 when none.
int RAW_parse_format(RAW_attribs *set, const char *format);
/// Hands set to the graphics kernel (text, line, marker and fill attributes).  0.
int RAW_set_attribs(RAW_attribs *set);
/// The display text of a datum in the current value format into text (size bytes); by its type
/// text may be left as it was.  Returns text.
char *RAW_data_to_string(const RAW_data *datum, char *text, size_t size);
/// RAW_data_init, then the given fields (value: NULL none, else value[0] and value[1]).
RAW_data *RAW_set(RAW_data *raw, float x, float y, int type, const char *format, const char *data,
                  const float *value);
/// Prints the datum at message level.  0.
int RAW_print(M_type level, const RAW_data *datum);
int RAW_set_intrvl(float intrvl);
float RAW_get_intrvl();
int RAW_set_range(float max, float min);
int RAW_get_range(float *max, float *min);
/// Merges the set fields of attrib into the current set.  0.
int RAW_set_attr(const Gattribs *attrib);
int RAW_set_scale(float scale);
float RAW_get_scale();
int RAW_set_off(float x, float y);
/// Copies a value format into the current set (cut to its field).  0.
int RAW_set_format(const char *format);
const char *RAW_get_format();
/// Forgets the last remembered position (connecting lines start afresh).  0.
int RAW_forget_last();
/// The skip of the current set (every skip-th station of a file is plotted).
int RAW_get_skip();
/// Applies a plot format to the base set; a type it names becomes the base type.  The base type.
int RAW_base_format(const char *format);

// ---------------------------------------------------------------------------------------------
// Point-data file plotting and gridding (raw_file_plot.cpp)
// ---------------------------------------------------------------------------------------------

/// Most value fields of the analysis buffers.
constexpr int RAW_OA_FIELDS = 20;

// RAW_plot_file and RAW_grid_file are declared in vykrawplot.h.
/// Chooses the grid output from `out_file` (convention and kind, also in flag 17): the kind, 0
/// none.
int RAW_grd_out_file();
/// The window-event callback of the stand-alone point-data plot.
void RAW_callback(int type, const char *event, float x, float y);
/// The stand-alone point-data plot (the files of `filename` gridded and contoured); also its own
/// zoom and resize function.  0, or -1 when the plot's output could not be written.
int RAW_plot(Domain *domain);
/// The analysis buffers: reset (800 stations, no fields), a field's storage, a station's plot
/// position (stations in order 0, 1, ...; the buffers grow by 400), a station's value of a field,
/// release.  0; RAW_chk_oa_data: 1 when the field has storage.
int RAW_init_oa_data();
int RAW_add_oa_field(int field);
int RAW_add_oa_loc(int station, float x, float y);
int RAW_chk_oa_data(int field);
int RAW_add_oa_data(int field, int station, float value);
int RAW_free_oa_data();
/// Analyses the buffers onto grids (the buffers' positions become grid coordinates).  0; -1 when
/// nothing was analysed.
int RAW_run_oa(GRD_report *grids);

#endif
