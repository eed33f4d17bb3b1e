// dadodu.h: point-data ("raw") files (raw_file.cpp): text files of station lines, an identifier,
// a location and values, with an optional header ("DADODU", the date label, the description and
// a field list); up to five open at once in numbered slots.  The output of plotted point data
// and the file specifications with a column and a format (raw_out.cpp); the arithmetic of
// point-data files (raw_math.cpp).
#ifndef DADODU_H
#define DADODU_H

#include "vykplot.h"
#include "vykcty.h"
#include "vykrawplot.h"  // the point-data plotting that map lists call
#include "vykgks.h"
#include "vykvar.h"

#include <cstdint>

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

/// One point to plot (the point-datum plotter's record).
struct RAW_data {
    float x, y;
    int type;
    Gattribs attr;
    char format[80];
    char data[40];
    float value[2];
};

/// Field designators are text pointers: a name, or a small number made by RAW_field (1 every
/// value in turn, 2 the identifier, 10 + k data column k).
inline const char *RAW_field(int n) { return reinterpret_cast<const char *>(static_cast<intptr_t>(n)); }
/// True for a designator made by RAW_field rather than a name.
inline bool RAW_field_is_num(const char *designator)
{
    const intptr_t v = reinterpret_cast<intptr_t>(designator);
    return v == -9999 || (v >= 0 && v <= RAW_FIELDS);
}
constexpr int RAW_FIELD_EACH = 1;
constexpr int RAW_FIELD_ID = 2;
constexpr int RAW_FIELD_DATA = 10;  // + k: data column k

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
int RAW_close(int slot);
/// Reads data line *line (0 the first) or, with RAW_FIELD_EACH, its next value: see raw_file.cpp.
int RAW_read(int slot, RAW_report *report, const char *designator, int *line);
int RAW_dec_line(int slot, int entry, RAW_report *report, const char *token);
int RAW_write(int slot, RAW_report *report, int mode, int *line);
/// The format text with every '%' item that is not one printf conversion of a number removed
/// (with a warning): what the point plots may hand to printf.  out holds size bytes.
int RAW_check_format(const char *text, char *out, size_t size);

// ---------------------------------------------------------------------------------------------
// File specifications and the output of plotted data (raw_out.cpp)
// ---------------------------------------------------------------------------------------------

int RAW_file_open(char *spec, const char **designator, const char **format, int mode);
int RAW_date_open(const Date *date);
int RAW_save_station(const CTY_locate *station);
int RAW_save_data(const RAW_data *datum);
int RAW_save_end();
int RAW_close_file();
/// Keeps the text of values plotted at a station (text: size bytes).  0.
int RAW_set_var_string(const VAR_data *variable, const RAW_data *datum, char *text, size_t size);

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

// Components not built yet (placeholders in pending.cpp).

/// The display text of a datum (its value in its format, or its text).
char *RAW_data_to_string(const RAW_data *datum, char *text, size_t size);

#endif
