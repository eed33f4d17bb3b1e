// vykvar.h: variables: the variable language and its 60 slots (var_parse.cpp),
// time, level and variable codes (var_code.cpp), the program's variable file and menu
// (var_file.cpp), the variable, source and model tables (var_table.cpp, var_model.cpp) and the
// label texts of the codes (var_label.cpp).
#ifndef VYKVAR_H
#define VYKVAR_H

#include "vyk.h"
// VAR_MODEL_LEN and VAR_model, declared where the date labels of core need them.
#include "vykup.h"

#include <cstddef>

// ---------------------------------------------------------------------------------------------
// The slots
// ---------------------------------------------------------------------------------------------

constexpr int VAR_NUM = 60;          // slots
constexpr int VAR_NAME_LEN = 20;     // name field: 19 characters and the end
constexpr int VAR_UNITS_LEN = 15;
constexpr int VAR_FORMAT_LEN = 101;
constexpr int VAR_NUM_IND = 5;       // variable numbers of a slot or a table entry
constexpr int VAR_COND_LEN = 20;     // model, level and time texts of the menu conditions

/// One plot-variable slot.
struct VAR_data {
    int type;                      // plot-type code; -9999 unset
    char name[VAR_NAME_LEN];       // the item's word, or a variable number's description
    char units[VAR_UNITS_LEN];     // units asked for; empty: the data's own
    int var[VAR_NUM_IND];          // variable code, then alternative numbers; -9999 none
    int tstat;                     // VAR_STAT_*: how the time was obtained
    int time;                      // time code; -9999 unset
    char tunits[5];                // not filled by the language
    int lstat;                     // VAR_STAT_*: how the level was obtained
    int ltype;                     // level type; -9999 unset
    int level;                     // level value code; -9999 unset
    char lunits[5];                // not filled by the language
    char format[VAR_FORMAT_LEN];   // option fields after the type word, joined by ':'
    int flag;                      // 10 x function depth + VAR_KIND_*
};

// How a time or level was obtained (tstat, lstat and the results of VAR_dec_time and
// VAR_dec_level).
enum { VAR_STAT_NONE = 0, VAR_STAT_CONTEXT = 1, VAR_STAT_WRITTEN = 2 };

// The kind digit of a slot's flag (flag % 10).
enum {
    VAR_KIND_REG = 0,           // plain item at group depth 0
    VAR_KIND_SUBREG = 1,        // plain item inside one group or vector
    VAR_KIND_FUNC = 2,          // head of a function
    VAR_KIND_SUBFUNC = 3,
    VAR_KIND_ELEMENT = 4,       // map, plot, frame or panel element (the whole flag is 4)
    VAR_KIND_COMP = 5,          // head of a group
    VAR_KIND_VECT = 6,          // head of a vector
    VAR_KIND_FUNC_VECT = 8,     // second slot of a vector-valued function
    VAR_KIND_SUBFUNC_VECT = 9,
};

// Plot-type codes.
enum {
    VAR_T_DATA = 1, VAR_T_VALUE = 2, VAR_T_TEXT = 3, VAR_T_MARK = 4, VAR_T_INT = 5,
    VAR_T_MAP = 6, VAR_T_FRAME = 7, VAR_T_PANEL = 8,
    VAR_T_GRID = 10, VAR_T_CONT = 11, VAR_T_LCONT = 12, VAR_T_DLN = 13, VAR_T_NDLN = 14,
    VAR_T_FCONT = 15, VAR_T_BCONT = 16, VAR_T_GVALUE = 17,
    VAR_T_WIND = 20, VAR_T_VECT = 21, VAR_T_BARB = 22, VAR_T_STRM = 23,
    VAR_T_PLOT = 30, VAR_T_CLOUD = 31, VAR_T_WBARB = 32, VAR_T_CBARB = 33, VAR_T_DBARB = 34,
    VAR_T_VBARB = 35, VAR_T_SYMB = 36, VAR_T_LINE = 37, VAR_T_CONST = 40,
};

// Setup and parsing.
int VAR_setup(const char *filename, const char *var_str);
int VAR_process(const char *str);
int VAR_process_var(const char *str, int flag);
int VAR_base_push();
/// 1 and the definition of macro name in str (at most size - 1 characters) when the open
/// variable file defines it, else 0.
int VAR_lookup(const char *name, char *str, size_t size);
int VAR_init();
int VAR_data_init(VAR_data *data);
int VAR_copy(VAR_data *dat2, const VAR_data *dat1);

// Slot access.  An index outside 0 to 59 reads as an empty slot and is never written.
VAR_data *VAR_get_vars();
VAR_data *VAR_get_var(int ind);
int VAR_get_num();
int VAR_set_num(int num);
int VAR_reset();
const char *VAR_get_name(int ind);
const char *VAR_get_units(int ind);
const char *VAR_get_format(int ind);
int VAR_get_time(int ind);
int VAR_get_type(int ind);
int VAR_get_flag(int ind);
int VAR_set_type(int ind, int val);
int VAR_set_flag(int ind, int val);
/// The slot's level (time) as "%d"; the text stays valid until the next call for that slot.
const char *VAR_get_level_key(int ind);
const char *VAR_get_time_key(int ind);
int VAR_set_model_str(const char *str);
int VAR_set_level_str(const char *str);
int VAR_set_time_str(const char *str);
const char *VAR_get_model_str();
const char *VAR_get_level_str();
const char *VAR_get_time_str();
int VAR_set_def_type(int val);
int VAR_print(M_type lev, const VAR_data *data);
int VAR_print_all(M_type lev);

// Slot predicates: 1 or 0.
int VAR_is_REG(int ind);
int VAR_is_SUBREG(int ind);
int VAR_is_FUNC(int ind);
int VAR_is_SUBFUNC(int ind);
int VAR_is_COMP(int ind);
int VAR_is_VECT(int ind);
int VAR_is_FUNC_VECT(int ind);
int VAR_is_SUBFUNC_VECT(int ind);
int VAR_is_LABEL(int ind);
int VAR_is_PLOT(int ind);
int VAR_is_SUBPLOT(int ind);
int VAR_is_DATA(int ind);
int VAR_is_CALC(int ind);
int VAR_is_SUBCALC(int ind);
int VAR_is_type_MAP(int ind);
int VAR_is_FRAME(int ind);
int VAR_is_PANEL(int ind);
int VAR_is_type_PLOT(int ind);
int VAR_is_type_GRID(int ind);
int VAR_is_type_CONT(int ind);
int VAR_is_type_VECT(int ind);
int VAR_is_plot_PLOT(int ind);
int VAR_is_plot_VECT(int ind);
int VAR_is_plot_FUNC(int ind);
int VAR_is_plot_FUNC_VECT(int ind);
int VAR_is_plot_GRID(int ind);
int VAR_is_subplot_GRID(int ind);
int VAR_is_plot_CONT(int ind);
int VAR_is_calc_GRID(int ind);
int VAR_is_fit_GRID(int ind);
int VAR_is_get_GRID(int ind);

// ---------------------------------------------------------------------------------------------
// Time, level and variable codes (var_code.cpp)
// ---------------------------------------------------------------------------------------------

int VAR_dec_time(const char *str, int *time);
int VAR_dec_level(const char *str, int *ltype, int *level);
int VAR_get_level(int ltype, int level, float *l1, float *l2);
int VAR_enc_level(int coord, float l1, float l2, int *ltype, int *level);
int VAR_dec_var(const char *str, VAR_data *data);
int VAR_dec_units(const char *str, VAR_data *data);
int VAR_dec_type(const char *str);
const char *VAR_print_type(int type);
int VAR_dec_format(const char *str, VAR_data *data);

// ---------------------------------------------------------------------------------------------
// The program's variable file and the variable menu (var_file.cpp)
// ---------------------------------------------------------------------------------------------

constexpr int VAR_MENU_SIZE = 50;     // entries of the menu table
constexpr int VAR_MENU_ABBR_LEN = 9;  // menu abbreviation: 8 characters and the end
constexpr int VAR_MENU_DESC_LEN = 31; // menu description: 30 characters and the end
constexpr int VAR_DEF_LEN = 1000;     // a macro definition: 999 characters and the end

int VAR_open_file(const char *file);
int VAR_read_menu();
/// Offers the variable menu; the chosen abbreviation goes into string (at least 20 bytes).
int VAR_menu(const char *title, const char *prompt, char *string, int flag);
int VAR_menu_display(const char *fstr, const char *ustr);
int VAR_print_file();
/// 1 and the description word of the record with abbreviation str in name (at most size - 1
/// characters), else 0.
int VAR_search_name_file(const char *str, char *name, size_t size = VAR_MENU_DESC_LEN);

// ---------------------------------------------------------------------------------------------
// The variable and source tables (var_table.cpp)
// ---------------------------------------------------------------------------------------------

constexpr int VAR_DESC_LEN = 50;     // description of a table entry: 49 characters and the end
constexpr int VAR_ABBR_LEN = 10;     // abbreviation of a table entry: 9 characters and the end
constexpr int VAR_TABLE_MAX = 749;   // entries of the table
constexpr int VAR_SOURCE_LEN = 41;   // a source name: 40 characters and the end

/// One entry of the variable table "variable.lup".
struct VAR_desc {
    int ind[VAR_NUM_IND];      // variable numbers; -9999 unused
    char name[VAR_DESC_LEN];   // description
    char abbr[VAR_ABBR_LEN];   // abbreviation
};

int VAR_read_varfile();
int VAR_search_var_num(const char *str);
/// The name of data source number source from "source.lup" into str (at most size - 1
/// characters; empty when not found); returns str, or NULL when the file cannot be opened.
char *VAR_source(char *str, int source, size_t size = VAR_SOURCE_LEN);

// ---------------------------------------------------------------------------------------------
// Label texts (var_label.cpp).  Each writes at most size - 1 characters into str; the array
// forms take the size from the buffer.
// ---------------------------------------------------------------------------------------------

constexpr int VAR_LABEL_LEN = 256;   // room for every label text

char *VAR_str(char *str, size_t size, int variable, const char *units);
char *VAR_abbr(char *str, size_t size, int variable);
char *VAR_time(char *str, size_t size, int time);
char *VAR_level(char *str, size_t size, int ltype, int level);
int VAR_make_datalevel(int time, int ltype, int level, char *str, size_t size);
int VAR_make_datatype(int time, int ltype, int level, int variable, const char *units, char *str,
                      size_t size);
int VAR_make_var_datatype(int ind, char *str, size_t size);
int VAR_make_var_form_datatype(int ind, char *str, size_t size);
int VAR_make_vardata_form_datatype(const VAR_data *var, char *str, size_t size);
int VAR_make_devtype(int time, int ltype, int level, const char *variable, const char *units,
                     char *str, size_t size);
int VAR_print_info(M_type lev, const VAR_data *data);
int VAR_param_decode();

template <size_t N> char *VAR_str(char (&str)[N], int variable, const char *units)
{
    return VAR_str(str, N, variable, units);
}
template <size_t N> char *VAR_abbr(char (&str)[N], int variable)
{
    return VAR_abbr(str, N, variable);
}
template <size_t N> char *VAR_time(char (&str)[N], int time) { return VAR_time(str, N, time); }
template <size_t N> char *VAR_level(char (&str)[N], int ltype, int level)
{
    return VAR_level(str, N, ltype, level);
}
template <size_t N> int VAR_make_datalevel(int time, int ltype, int level, char (&str)[N])
{
    return VAR_make_datalevel(time, ltype, level, str, N);
}
template <size_t N>
int VAR_make_datatype(int time, int ltype, int level, int variable, const char *units,
                      char (&str)[N])
{
    return VAR_make_datatype(time, ltype, level, variable, units, str, N);
}
template <size_t N> int VAR_make_var_datatype(int ind, char (&str)[N])
{
    return VAR_make_var_datatype(ind, str, N);
}
template <size_t N> int VAR_make_var_form_datatype(int ind, char (&str)[N])
{
    return VAR_make_var_form_datatype(ind, str, N);
}
template <size_t N> int VAR_make_vardata_form_datatype(const VAR_data *var, char (&str)[N])
{
    return VAR_make_vardata_form_datatype(var, str, N);
}
template <size_t N>
int VAR_make_devtype(int time, int ltype, int level, const char *variable, const char *units,
                     char (&str)[N])
{
    return VAR_make_devtype(time, ltype, level, variable, units, str, N);
}

#endif
