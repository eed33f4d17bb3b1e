// vyk.h: the records, codes and declarations shared by every component of the library.
//
// Every component keeps its state private to its own source file and is reached through the
// functions declared here.  Results follow one convention: 0 for success and -1 for failure,
// predicates 1 or 0, lookups a pointer or NULL.  -9999 marks a value that is not known.
#ifndef VYK_H
#define VYK_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>

// ---------------------------------------------------------------------------------------------
// Shared codes
// ---------------------------------------------------------------------------------------------

/// The missing value: the value of every int or float field and result that has no value.
constexpr int VYK_MISS = -9999;
/// The missing-value test.
constexpr bool VYK_is_miss(float v) { return v == static_cast<float>(VYK_MISS); }

/// Exit statuses with which the system ends itself.
enum VYK_exit_status {
    VYK_EXIT_OK = 0,          // normal end, help, "exit" or "list" answered, foreground of a detach
    VYK_EXIT_REDIRECT = 1,    // a detached process or a child cannot redirect its standard streams
    VYK_EXIT_EXEC = 2,        // a started child cannot execute its program
    VYK_EXIT_GRAPHICS = 4,    // the graphics kernel, the workstation or the X server failed
    VYK_EXIT_LOOP_WINDOW = 7, // the loop window program does not answer
    VYK_EXIT_NO_FILE = 10,    // an input file is missing or cannot be opened
    VYK_EXIT_NO_STATION = 31, // no station named in batch mode, or a named station not found
    VYK_EXIT_BAD_REGION = 43, // a domain or region text at the region prompt does not decode
};

// ---------------------------------------------------------------------------------------------
// Messages (mess.cpp)
// ---------------------------------------------------------------------------------------------

/// Message class mask: eight 4-bit groups, the four bits of a group being its sub-levels a to d.
typedef uint32_t M_type;

// The classes.  Error and warn share the second group: error holds its sub-levels a and b,
// warn c and d.
constexpr M_type M_NONE = 0;
constexpr M_type M_PRINT = 0xF;
constexpr M_type M_ERROR = 0x30;
constexpr M_type M_WARN = 0xC0;
constexpr M_type M_MESS = 0xF00;
constexpr M_type M_OUT1 = 0xF000;
constexpr M_type M_OUT2 = 0xF0000;
constexpr M_type M_OUT3 = 0xF00000;
constexpr M_type M_OUT4 = 0xF000000;
constexpr M_type M_DEBUG = 0xF0000000;

// Single sub-levels, named <class>_A to <class>_D (bit values 1, 2, 4 and 8 of the group).
constexpr M_type M_PRINT_A = 0x1, M_PRINT_B = 0x2, M_PRINT_C = 0x4, M_PRINT_D = 0x8;
constexpr M_type M_ERROR_A = 0x10, M_ERROR_B = 0x20, M_WARN_C = 0x40, M_WARN_D = 0x80;
constexpr M_type M_MESS_A = 0x100, M_MESS_B = 0x200, M_MESS_C = 0x400, M_MESS_D = 0x800;
constexpr M_type M_OUT1_A = 0x1000, M_OUT1_B = 0x2000, M_OUT1_C = 0x4000, M_OUT1_D = 0x8000;
constexpr M_type M_OUT2_A = 0x10000, M_OUT2_B = 0x20000, M_OUT2_C = 0x40000, M_OUT2_D = 0x80000;
constexpr M_type M_OUT3_A = 0x100000, M_OUT3_B = 0x200000, M_OUT3_C = 0x400000,
                 M_OUT3_D = 0x800000;
constexpr M_type M_OUT4_A = 0x1000000, M_OUT4_B = 0x2000000, M_OUT4_C = 0x4000000,
                 M_OUT4_D = 0x8000000;
constexpr M_type M_DEBUG_A = 0x10000000, M_DEBUG_B = 0x20000000, M_DEBUG_C = 0x40000000,
                 M_DEBUG_D = 0x80000000;

// Every class narrowed to one sub-level (the message option words ending in a, b, c or d).
constexpr M_type M_SUB_A = 0x11111111, M_SUB_B = 0x22222222, M_SUB_C = 0x44444444,
                 M_SUB_D = 0x88888888;

int MESS_print(M_type type, const char *format, ...) __attribute__((format(printf, 2, 3)));
int MESS_set(int oper, M_type level);
int MESS_set_str(const char *str);
M_type MESS_get();
int MESS_check(M_type level);
int MESS_check_set();
int MESS_file(const char *filename, const char *access);
int MESS_file_close();
int MESS_set_out(int val);
int MESS_set_page(int val);
int MESS_get_max_lines();
int MESS_hold(M_type type, const char *mess);
int MESS_print_prog(const char *string);

// ---------------------------------------------------------------------------------------------
// Flags and plot-component switches (flag.cpp)
// ---------------------------------------------------------------------------------------------

constexpr int FLAG_NUM = 30;
constexpr int FLAG_PLOT_NUM = 13;

// Flag numbers in use.
enum {
    FLAG_DEVICE = 2,      // output device type (a Gws_type code)
    FLAG_GRID_INPUT = 4,  // grid input file kind
    FLAG_REGION = 5,      // region code
    FLAG_FORECAST = 6,    // forecast time
    FLAG_LEVEL_TYPE = 7,  // level type
    FLAG_LEVEL = 8,       // level
    FLAG_PLOT_TYPE = 11,  // plot type
    FLAG_UPA_INPUT = 14,  // upper-air input kind
    FLAG_FILE_PARAM = 15, // file parameter: 1 over/calc/recalc, 2 app, 3 use/reuse
    FLAG_GRID_FILE = 17,  // grid file type
    FLAG_BATCH = 19,      // batch mode
    FLAG_HELP = 20,       // help requested
};

// Plot-component switch numbers (the words of the draw resource).
enum {
    PLOT_TEXT = 0, PLOT_TEXT_UL, PLOT_TEXT_UC, PLOT_TEXT_UR, PLOT_TEXT_LL, PLOT_TEXT_LC,
    PLOT_TEXT_LR, PLOT_DATA, PLOT_MAP, PLOT_GRID, PLOT_SUM, PLOT_BORD, PLOT_ALL
};

int FLAG_get(int flag);
long FLAG_getl(int flag);
int FLAG_set(int flag, int value);
int FLAG_setl(int flag, long value);
int FLAG_reset(int value);
int FLAG_resetl(long value);
int FLAG_batch();
int FLAG_set_batch(int val);
int FLAG_help();
int FLAG_setplot(int type, int val);
int FLAG_getplot(int type);
int FLAG_resetplot(int val);

// ---------------------------------------------------------------------------------------------
// Resources: the helpers every subsystem calls (the rest is in vykresrc.h)
// ---------------------------------------------------------------------------------------------

int RES_put(const char *name, const char *value);
int RES_list();

// ---------------------------------------------------------------------------------------------
// Console menus (menu.cpp)
// ---------------------------------------------------------------------------------------------

/// One entry of a console menu table owned by its caller; a table ends at a NULL name.
struct MENU_item {
    const char *name;  // text shown; a name beginning '-' is shown as a separator line
    const char *abbr;  // abbreviation; written back into the answer when chosen
    int index;         // value returned when chosen
    int disp[10];      // disp[m] is 1 when the entry is shown in menu number m
};

// Menu flags.
enum { MENU_EXIT = 1, MENU_BACK = 2, MENU_HELP = 4 };

int MENU_print(const char *title, const MENU_item *menu, int menu_num, int flag);
int MENU_process(const char *title, const MENU_item *menu, int menu_num, const char *prompt,
                 char *string, int flag);
int MENU_search(const char *item, const MENU_item *menu);
const char *MENU_get_abbr(int index, const MENU_item *menu);
int MENU_check(int index, const MENU_item *menu, int menu_num);

// ---------------------------------------------------------------------------------------------
// Messaging with the loop window program (mqueue.cpp)
// ---------------------------------------------------------------------------------------------

/// Opens server num: queue id (0 included), 1 on the socket; -1 no such server; MQ_OPEN_FAILED
/// (queue) when the server's queue exists but this user may not read and write it.
int MQ_open(int num);
int MQ_connect(int msgqid);
int MQ_put(int msgqid, int conn_id, const char *format, ...) __attribute__((format(printf, 3, 4)));
int MQ_get(int msgqid, int conn_id, char *item);

// ---------------------------------------------------------------------------------------------
// Domains (the georeference of a map, grid, image or diagram)
// ---------------------------------------------------------------------------------------------

struct Domain {
    int proj;        // projection; -9999 none
    float plat;      // reference latitude
    float plon;      // reference longitude
    float param[5];  // projection parameters
    float clat;      // centre latitude (diagram: origin)
    float clon;      // centre longitude (diagram: origin)
    float dx;        // grid spacing in plot units (diagram: extent)
    float dy;
    int nx;          // point counts
    int ny;
    int ellipse;     // earth ellipsoid flag
};

int DOM_decode(const char *str, Domain *domain);

// ---------------------------------------------------------------------------------------------
// String utilities and word lists (string_util.cpp)
// ---------------------------------------------------------------------------------------------

int fill_string(char *str, char from, char to);
int strip_string(char *str, char c);
int wsstrip_string(char *str);
int wstrim_string(char *str);
int trim_string(char *str);
int trim_cr_string(char *str);
int strip_spaces(char *str);
int strip_escape(char *str);
int shift_string(char *str, int count);
int up_string(char *str);
int low_string(char *str);
int clean_line(char *str);

int string_is_float(const char *str);
int string_is_alpha(const char *str);
int string_is_num(const char *str);
int string_is_num_len(const char *str, int n);
int string_is_blank(const char *str);

char *create_string(const char *str);
char *create_strcat(const char *old_str, const char *delim, const char *new_str);
int parse_string(const char *str, char delim, int *count, char ***list);
int parse_command(const char *str, int *count, char ***list);
int parse_command_line(const char *command, const char *str, int *count, char ***list);
int free_parsed_array(int count, char **list);

int stricmp(const char *a, const char *b);
int strnicmp(const char *a, const char *b, int n);
int searchstr(const char *const *list, int n, const char *str);
char *strlstr(const char *str, const char *part);
int strntcpy(char *dest, const char *src, int n);
/// The bounded copy into a fixed-size field: copies src, up to its end or n characters, into
/// dest of size bytes, cut to size - 1 characters and always terminated; dest and src may be
/// the same or overlap.  A NULL src gives an empty field; a NULL dest or size 0 writes nothing.
/// Returns the characters copied.
size_t strfcpy(char *dest, size_t size, const char *src, size_t n = SIZE_MAX);
template <size_t N> size_t strfcpy(char (&dest)[N], const char *src, size_t n = SIZE_MAX)
{
    return strfcpy(dest, N, src, n);
}
int strmcat(char *dest, const char *src, int m);
/// Writes x with the significant digits of the format "W.S.D" into buf, never past size bytes.
char *set_num(char *buf, size_t size, const char *format, float x);
template <size_t N> char *set_num(char (&buf)[N], const char *format, float x)
{
    return set_num(buf, N, format, x);
}
int chk_arg(const char *word, const char *const *names, int n);

// ---------------------------------------------------------------------------------------------
// Paths, file tests and opening files (file.cpp)
// ---------------------------------------------------------------------------------------------

/// Longest name handed to the operating system.
constexpr int FILE_NAME_MAX = 159;
/// What FILE_add_path and FILE_add_user_path leave in the caller's buffer (FILE_NAME_MAX + 1
/// bytes) when the name would be longer than FILE_NAME_MAX: every operation of the file layer
/// refuses it (also with text appended), and no system can open it.
constexpr const char *FILE_NAME_TOO_LONG = "/dev/null/name-too-long";

// Answers of FILE_overwrite (the values of the file-parameter flag 15).
enum { FILE_NO_QUESTION = 0, FILE_WRITE = 1, FILE_APPEND = 2, FILE_USE = 3 };

// Codes of FILE_type for the package's own data files.
enum {
    FILE_TYPE_RAW = 5, FILE_TYPE_GRID = 6, FILE_TYPE_META = 8, FILE_TYPE_IMAGE = 9,
    FILE_TYPE_SFC = 11, FILE_TYPE_UPA = 12
};

int FILE_fullpath(const char *name);
char *FILE_add_path(const char *dir, const char *name, char *out);
int FILE_add_path_delim(char *path);
int FILE_add_user_path(const char *name, char *out);
int FILE_is_stdio(const char *name);
int FILE_exist(const char *name);
int FILE_is_dir(const char *name);
int FILE_is_file(const char *name);
int FILE_is_fifo(const char *name);
int FILE_is_device(const char *name);
long FILE_size(const char *name);
int64_t FILE_modtime(const char *name);
int FILE_delete(const char *name);
int FILE_make_dir(char *path, int flag);
int FILE_overwrite(const char *name, int kind);
FILE *FILE_open(const char *name, const char *mode);
/// Closes what FILE_open returned: pclose for a pipe (the command's wait status), nothing for the
/// standard streams (0), fclose otherwise (0 or -1).
int FILE_close(FILE *fp);
int FILE_type(const char *name);
int VYK_share(int mode);

// ---------------------------------------------------------------------------------------------
// Line readers, byte order and small numerics (line_read.cpp, swap.cpp, numeric.cpp)
// ---------------------------------------------------------------------------------------------

/// Longest line of fgetline; its buffer holds FGETLINE_MAX + 1 characters.
constexpr int FGETLINE_MAX = 160;

int fgetline(FILE *fp, char *buf);
int fgetnline(FILE *fp, char *buf, int n);
int fgetstring(FILE *fp, char *buf, int n);
int fget_rawstring(FILE *fp, char *buf, int n);
int fskipline(FILE *fp);

int swap_setup(int flag);
int swap_short(void *p);
int swap_long(void *p);
int swap_double(void *p);
int swap_shorts(void *p, int n);
int swap_longs(void *p, int n);
int fread_short_swap(void *p, FILE *fp);
int fread_long_swap(void *p, FILE *fp);
int fread_double_swap(void *p, FILE *fp);
int fwrite_short_swap(void *p, FILE *fp);
int fwrite_long_swap(void *p, FILE *fp);

float linear_interp(float x, float x1, float x2, float y1, float y2);
int fswap(float *a, float *b);
int float2int(float x);

// ---------------------------------------------------------------------------------------------
// Hash tables (tab.cpp)
// ---------------------------------------------------------------------------------------------

constexpr int TAB_MAX_KEYS = 4;

struct TAB_entry {
    char *key;        // the entry's own copy of its key; NULL in an empty bucket head
    void *data;       // the record copy, shared by all key slots of one record
    TAB_entry *link;  // next entry of the same bucket
    TAB_entry *next;  // next record in order of entry (key slot 1 only)
};

struct TAB_table {
    int tab_size;                    // buckets per key slot
    int data_size;                   // bytes of one record
    TAB_entry *data_ptr;             // iteration cursor
    TAB_entry *head_ptr;             // first entered record (key slot 1)
    TAB_entry *last_ptr;             // last entered record (key slot 1)
    int num_entry;                   // records entered
    int numkey;                      // key slots, 1 to 4
    TAB_entry *table[TAB_MAX_KEYS];  // per key slot, tab_size bucket heads
};

int TAB_init(TAB_table *tab);
int TAB_create(TAB_table *tab, int tab_size, int data_size, int numkey);
int TAB_key(const TAB_table *tab, const char *key);
int TAB_enter(TAB_table *tab, const void *data, ...);
void *TAB_search(const TAB_table *tab, int slot, const char *key);
int TAB_searches(const TAB_table *tab, int slot, const char *key, void **out, int max);
int TAB_first(TAB_table *tab);
void *TAB_next(TAB_table *tab);
int TAB_clear(TAB_table *tab);

// ---------------------------------------------------------------------------------------------
// Dates and times (date.cpp)
// ---------------------------------------------------------------------------------------------

struct Date {
    int year;   // full year
    int month;  // 1 to 12
    int day;    // 1 to 31
    int jday;   // day of the year, 1 to 366
    int wday;   // day of the week, 0 = Sunday
    int hour;
    int min;
    int sec;
};

extern const char *const months[12];
extern const char *const months_lc[12];
extern const char *const months_long[12];
extern const char *const day_of_week[7];
extern const int num_day[13];
extern const int num_day_leap[13];

/// Buffer size for DATE_get_current_str and DATE_get_simple_current_str.
constexpr int DATE_STR_LEN = 21;

const char *DATE_month(int month);
const char *DATE_month_lower(int month);
const char *DATE_month_long(int month);
int DATE_init(Date *date);
int DATE_print(M_type level, const Date *date);
int DATE_set_TZ(const char *zone);
int DATE_get_tz_off();
const char *DATE_get_tz_str();
int DATE_get_tz_pm();
int DATE_print_current(M_type level);
int DATE_get_current_str(char *buf);
int DATE_get_simple_current_str(char *buf);
int DATE_get_current_gmdate(Date *date);
int DATE_is_leap(int year);
int64_t DATE_num_sec(Date *date);
int64_t DATE_num_sec_tm(const struct tm *tm);
int DATE_date_days(int year, int month, int day);
int DATE_days_date(int days, int *year, int *month, int *day);
int DATE_time_date(int secs, int *hour, int *min, int *sec);
int64_t DATE_get_time(int64_t *secs);
struct tm *DATE_get_gmtime(int64_t secs);
struct tm *DATE_get_localtime(int64_t secs);
Date *DATE_to_struct(int year, int month, int day, int hour, int min);
int DATE_get_gmdate(const int64_t *secs, Date *date);
int DATE_get_localdate(const int64_t *secs, Date *date);
int DATE_julian_monday(int year, int jday, int *month, int *day);
int DATE_monday_julian(int year, int month, int day, int *jday);

// ---------------------------------------------------------------------------------------------
// Processes, prompts and timing (vyk_proc.cpp, vyk_prompt.cpp, vyk_time.cpp)
// ---------------------------------------------------------------------------------------------

constexpr int VYK_MAX_PROC = 10;

struct proc_item {
    int index;
    char name[15];  // program name, at most 14 characters
    int id;         // process id; -1 marks a free slot
};

const char *VYK_version();
[[noreturn]] void VYK_exit(int status);
int VYK_get_pid();

int VYK_add_proc(int pid, const char *name);
int VYK_numproc();
int VYK_proc(int pid);
int VYK_proc_id(int proc);
const char *VYK_proc_name(int proc);
int VYK_set_proc(int proc, int value);
int VYK_clr_proc(int proc);
int VYK_chk_proc(int proc);

int VYK_set_outfile(const char *name);
int VYK_set_infile(const char *name);
int VYK_run(const char *filename, char *const *argv, char *const *env, int flag);
int VYK_run_func(int (*func)(int), int arg);
int VYK_back_proc();

char *VYK_prompts(const char *prompt, char *str, int length);
char *VYK_promptl(const char *prompt, char *str);
float VYK_promptf(const char *prompt);
int VYK_promptd(const char *prompt);
int VYK_set_command(const char *string);

int VYK_sleep(float secs);
int VYK_init_time();
float VYK_elapse_time();
long VYK_get_virt_mem();

// ---------------------------------------------------------------------------------------------
// Meteorological formulas (formulas.cpp)
// ---------------------------------------------------------------------------------------------
// Temperatures in K, pressures and vapour pressures in mb, mixing ratio and specific humidity in
// g/kg, relative humidity in percent, wind speed in m/s, heights in m, distances in km, angles in
// degrees; -9999 where there is no value.  A "temperature" of 100 or less given to mix_ratio,
// spec_hum and rel_hum is a vapour pressure (mb); a dew point of 100 or less given to virt_temp is
// a mixing ratio (g/kg); a dew point of exactly 0 means dry air.

float vapor_pr(float t);
float mix_ratio(float temp, float pr);
float spec_hum(float temp, float pr);
float rel_hum(float t, float td);
float dew_temp(float temp, float rh);
float temp_vapor_pr(float e);
float temp_on_mixrat(float w, float pr);
float pot_temp(float temp, float pr);
float virt_temp(float temp, float dewp, float pr);
float virt_pot_temp(float temp, float dewp, float pr);
float temp_on_dryad(float pot, float pr);
float thetae_on_satad(float temp, float pr);
float temp_on_satad(float pot, float pr);
float lcl_pres(float ts, float tds, float ps);
float lcl_temp(float ts, float ps, float pl);
float conv_temp(float wbar, float pc, float pr);
float eq_pot_temp(float temp, float dewp, float pr);
float wet_bulb(float temp, float dewp, float pr);
float wet_bulb_pot_temp(float temp, float dewp, float pr);
float interp_temp(float t1, float t2, float p1, float p2, float pr);
float wind_chill_temp(float temp, float ws);
float wind_chill_temp2(float temp, float ws);
float wind_chill(float temp, float ws);
float heat_index(float temp, float dewp);
float humiture(float temp, float dewp);
float temp_hum_index(float temp, float dewp);
float sfc_pr_alt(float alt, float el);
float pres_alt(float pres);
float calc_earth_dist(float lat1, float lon1, float lat2, float lon2);

// ---------------------------------------------------------------------------------------------
// Pattern scanner (scanp.cpp)
// ---------------------------------------------------------------------------------------------

/// The cursor of the pattern scanner over one text line; the caller owns it and the line.
struct parse_param {
    char *ptr;     // the line being scanned (not copied)
    int length;    // characters of the line
    int off;       // offset from ptr at which the next scanp starts
    int len;       // characters consumed by the last scanp, counted from the cursor
    int assigned;  // values stored by the last scanp
    int matched;   // directives matched by the last scanp
    int done;      // 1 when the last scanp used up its whole pattern, else 0
};

/// One destination of scanp: an int (%n, %d, %D), a float (%f, %F), or a character buffer of
/// `size` bytes for every other conversion (text is cut to fit and terminated; %c fills at most
/// `size` characters without a terminator).  Arrays carry their size; a plain pointer needs
/// scanp_text(buf, size).
struct parse_out {
    enum kind_t : unsigned char { INT, FLOAT, TEXT };
    kind_t kind;
    void *ptr;
    size_t size;
    parse_out(int *v) : kind(INT), ptr(v), size(sizeof(int)) {}
    parse_out(float *v) : kind(FLOAT), ptr(v), size(sizeof(float)) {}
    template <size_t N> parse_out(char (&buf)[N]) : kind(TEXT), ptr(buf), size(N) {}
    parse_out(char *buf, size_t n) : kind(TEXT), ptr(buf), size(n) {}
};
inline parse_out scanp_text(char *buf, size_t size) { return parse_out(buf, size); }

/// Matches pattern at the cursor, storing into outs[0 .. nouts-1] in the order of the storing
/// directives; returns the number of directives matched, or -1 when nothing could be scanned.
int scanp_list(parse_param *cursor, const char *pattern, const parse_out *outs, int nouts);

/// scanp(cursor, pattern, &i, &f, buf, scanp_text(p, n), ...): one destination per storing
/// directive.
template <class... Outs> int scanp(parse_param *cursor, const char *pattern, Outs &&...outs)
{
    if constexpr (sizeof...(Outs) == 0) {
        return scanp_list(cursor, pattern, nullptr, 0);
    } else {
        const parse_out list[] = {parse_out(static_cast<Outs &&>(outs))...};
        return scanp_list(cursor, pattern, list, static_cast<int>(sizeof...(Outs)));
    }
}

int scanp_set(parse_param *cursor, char *text);
int scanp_get_off(const parse_param *cursor);
int scanp_off(parse_param *cursor, int offset);
int scanp_inc_off(parse_param *cursor, int n);
int scanp_inc(parse_param *cursor);
char *scanp_str(const parse_param *cursor);
int scanp_char(const parse_param *cursor, int k);
int scanp_replace(parse_param *cursor, int k, int ch);
int scanp_search(parse_param *cursor, const char *text);
int scanp_print(const parse_param *cursor);

// ---------------------------------------------------------------------------------------------
// Date labels (date_label.cpp)
// ---------------------------------------------------------------------------------------------
// A forecast-hour code is stat * 1000000 + first time * 1000 + second time; a time from 801 to
// 899 counts days and one above 900 months; -9999 is none.  The valid time of a label is the
// base time plus the second time in hours, days or calendar months as the code counts them.
// Every maker writes at most `size` bytes (the text cut to fit, always terminated); the default
// sizes below hold every label of a date of the years 0 to 9999.

/// DATE_make_label and DATE_make_label_valid_time.
constexpr size_t DATE_LABEL_LEN = 40;
/// DATE_make_seq: twelve digits and the end.
constexpr size_t DATE_SEQ_LEN = 13;
/// DATE_fhour_label.
constexpr size_t DATE_FHOUR_LEN = 20;
/// DATE_make_label_for, DATE_make_label_for_time(_mod) (with a model name of up to
/// VAR_MODEL_LEN - 1 characters) and DATE_format_label.
constexpr size_t DATE_LABEL_FOR_LEN = 160;
/// The model name that DATE_make_label_for_time puts in its label: at most 9 characters.
constexpr size_t DATE_MODEL_NAME_LEN = 10;

int DATE_make_label(const Date *date, char *buf, size_t size = DATE_LABEL_LEN);
int DATE_make_seq(Date *date, char *buf, size_t size = DATE_SEQ_LEN);
int DATE_decode_seq(const char *text, Date *date);
int DATE_decode_label(const char *text, Date *date);
int DATE_decode_month(const char *text);
char *DATE_fhour_label(char *buf, int h, int daily, size_t size = DATE_FHOUR_LEN);
int DATE_format_label(char *buf, const char *format, int code, const char *model,
                      const Date *date, size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_for(int code, int model, int64_t seconds, char *buf,
                        size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_for_time(int code, int model, const Date *date, char *buf,
                             size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_for_time_mod(int code, const char *model, const Date *date, char *buf,
                                 size_t size = DATE_LABEL_FOR_LEN);
int DATE_make_label_valid_time(int code, const Date *date, char *buf,
                               size_t size = DATE_LABEL_LEN);

// ---------------------------------------------------------------------------------------------
// File-name conventions, part 2: the rest of the convention state and templates (file_name.cpp)
// ---------------------------------------------------------------------------------------------
// One naming convention is current at a time: a template (and a header template) that turns a
// date and the key texts into a file name.  Names are at most FILE_NAME_MAX characters: every
// `out` buffer below holds FILE_NAME_MAX + 1 bytes.  A name that would be longer is not cut:
// the builders write FILE_NAME_TOO_LONG instead (which no file operation accepts) and return -1.

constexpr int FILE_CONV_MAX = 159;  // longest template or header template
constexpr int FILE_EXT_MAX = 19;    // longest extension (%e)
constexpr int FILE_KEY_MAX = 29;    // longest key text; FILE_get_key's buffer holds 30 bytes
/// Buffer size for FILE_get_name_conv ("%d %s %s": period, template, header template).
constexpr int FILE_NAME_CONV_LEN = 2 * (FILE_CONV_MAX + 1) + 16;

/// Selects the convention of a data type ("none": no template; "@text": text is the template;
/// "type:c=value:..." also sets keys).  1 when a convention line matched or for "@", else 0.
int FILE_set_name(const char *type);
/// Builds the name for date (NULL: the file date) into out, which becomes the current file name.
/// 0 when the template was applied, 1 when the name came from elsewhere (no template, standard
/// stream, unknown year with a current name), -1 when the name would be too long.
int FILE_set_date(const Date *date, char *out);
/// Lists the files that may match the current template (in-process, through MESS_print, mask 15).
int FILE_list_file();
/// The header-file name: 1 when a non-empty name was built, else 0 (unknown year, no header
/// template), -1 when too long.
int FILE_hdr_set_date(const Date *date, char *out);
/// The name for date + offset seconds; returns offset div period (div 100000 when the period is
/// not positive).
int FILE_set_date_off(const Date *date, int offset, char *out);
/// The period when positive, else 100000.
int FILE_get_offset();
/// Sets the current file name (at most FILE_NAME_MAX characters, else FILE_NAME_TOO_LONG) and
/// marks it user-given.
int FILE_set_filename(const char *name);
/// Copies the current name into out when not NULL; returns the component's own current-name
/// buffer (FILE_NAME_MAX + 1 bytes; writers must stay within it).
char *FILE_get_filename(char *out);
int FILE_set_name_conv(const char *str);
int FILE_get_name_conv(char *out);  // out: FILE_NAME_CONV_LEN bytes
int FILE_save_name_conv();
int FILE_restore_name_conv();
int FILE_set_late_off(int secs);
int FILE_get_late_off();
/// The caller's minimum size of a file in the latest-file search; a negative one counts as none.
int FILE_set_min_size(int bytes);
/// The caller minimum when non-zero, else the convention minimum (never negative).
int FILE_get_min_size();
/// The forced date: all eight fields copied in / out; FILE_reset_time unforces year to minute.
int FILE_set_time(const Date *date);
int FILE_get_time(Date *date);
int FILE_reset_time();
/// Key texts, indexed by the key character as an unsigned byte (0 to 255): the setter keeps at
/// most FILE_KEY_MAX characters with blanks turned into '_'; the getter copies the text into out
/// (FILE_KEY_MAX + 1 bytes).
int FILE_set_key(int key, const char *text);
int FILE_get_key(int key, char *out);

// The convention state that completing typed names and the file series read and set.
/// The template (empty: no convention) and the header template (empty: none).
const char *FILE_get_conv();
const char *FILE_get_hconv();
/// 1 while a header name is built (FILE_hdr_set_date); the template in use is then hconv.
int FILE_get_header();
/// The template in use: the header template in header mode, else the template.
const char *FILE_get_template();
/// Origin of the current file name: 1 user-given (or given verbatim), 0 built or a standard stream.
int FILE_set_filename_type(int type);
int FILE_get_filename_type();
/// The file date (the date of the last name built or matched): copy out / copy in.
int FILE_get_file_date(Date *date);
int FILE_set_file_date(const Date *date);
/// The extension written by %e.  Kept whole (never cut to FILE_EXT_MAX): a name it would make
/// longer than FILE_NAME_MAX is refused.
const char *FILE_get_ext();
int FILE_set_ext(const char *ext);
/// The period rule for one time directive ('d', 'j', 'h', 'n'; others change nothing) of step n
/// (below 1 counts as 1): a forced step of the field sets the period outright, otherwise n units
/// replace it when it is unknown or larger.  Returns the period.
int FILE_period_rule(int directive, int n);
/// The resource named by a path directive letter (C D F R G W I T M S), else NULL.
const char *FILE_path_resource(int directive);

// ---------------------------------------------------------------------------------------------
// Completing typed file names (file_complete.cpp)
// ---------------------------------------------------------------------------------------------
// A typed text (a bare date, a name without its directory, a full path, "la" ...) is completed
// into the full name that the current template describes, and the file date is read out of it.

/// Longest extra information cut from a typed name (name kind 1).
constexpr int FILE_EXT_INFO_MAX = 39;

/// Completes text into out (FILE_NAME_MAX + 1 bytes) and sets the file date.  0, or -1 when the
/// name would be longer than FILE_NAME_MAX (out then holds FILE_NAME_TOO_LONG).
int FILE_set_file(const char *text, char *out);
/// Moves a tail starting at '#', '-', '+' or ':' (searched from the third character) into the
/// extra information and cuts name there.
int FILE_extract_extra_info(char *name);
/// Name kind: 0 a typed text may end in a date suffix '#YYYY[MM[DD[HH[NN]]]]' (it sets the
/// forced date); 1 a tail goes to the extra information; other values neither.
int FILE_set_type(int type);
const char *FILE_get_ext_info();
int FILE_set_ext_info(const char *text);

// ---------------------------------------------------------------------------------------------
// Current and latest files and file series (file_series.cpp)
// ---------------------------------------------------------------------------------------------
// Which file the user means (a name, the current or latest file, a prompt answer), which file
// belongs to a time, and the names of a series over a span of time or a list of names.  Every
// `out` buffer holds FILE_NAME_MAX + 1 bytes; times and spans are in seconds.

/// The program's input file into the current file name (and out when not NULL): 1 when it
/// exists, 0 when a `filename` item names a missing file; ends the program with status 10 when
/// no file can be found, with 0 on "exit" or a "list" item.
int FILE_get_file(const char *prompt, char *out);
/// The same questions with a single prompt: 1 when the file exists, else 0.
int FILE_get_file_only(const char *prompt, char *out);
/// Builds the current or latest file name for a current-file text ("la" when NULL) into out and the current
/// file name; returns the base time (seconds since 1970) rounded down to the period.
int64_t FILE_set_current(const char *desc, char *out);
/// The file date: the date of the last name built or matched.
int FILE_get_date(Date *date);
/// Span used when the `num_hour` resource is absent, in hours.
int FILE_set_def_hours(int hours);
/// The series span (negative: back in time) and step from `num_hour` "H[:M][,S[:M]]".
int64_t FILE_num_hour();
int64_t FILE_get_skip();
/// Starts a series at date; FILE_get_next then gives its names (1) until it is over (0).
int FILE_first(const Date *date);
int FILE_get_next(char *out);
/// The names one step after / before the first file of the series (the series does not move).
int FILE_next_file(char *out);
int FILE_prev_file(char *out);
/// Listed names minus one when a list is walked, else the span.
int64_t FILE_get_num_file();
int64_t FILE_get_nsecs();
int FILE_set_nsecs(int64_t secs);
/// The span fixed by FILE_first.
int64_t FILE_get_num_hour();
int FILE_print_first_date(const char *text);

// ---------------------------------------------------------------------------------------------
// Report time window (report_window.cpp)
// ---------------------------------------------------------------------------------------------
// Report times are hour * 100 + minute (HHMM), -9999 for none; the window is min_pre to
// min_post minutes around the file's date with the decoding hour and minute applied.

int DATE_set_datim(const Date *date);
int DATE_get_datim(Date *date);
/// Minutes before (negative) and after the base; the bounds follow at the next DATE_set_datim.
int DATE_set_range(int pre, int post);
/// 1 when the report time lies in the window, else 0.
int DATE_chk_range(int t);

// ---------------------------------------------------------------------------------------------
// Unit conversion (unit.cpp)
// ---------------------------------------------------------------------------------------------
// A unit text is an optional numeric factor ("100 m", "1e-05 K/m", "10^-3 kg", "-Pa") and a
// bare name; letter case does not matter and '_' equals a blank.  Different names convert
// through the lookup file "units.lup" on the file_path resource, read once.

/// value converted from iunit to ounit.  -9999 passes through; equal texts, or an empty text on
/// either side, return value.  A pair that cannot be converted (no "units.lup", no entry, a zero
/// or unusable factor) gives -9999 with one warning (mask 192).
float UNIT_cvt(float value, const char *iunit, const char *ounit);
/// Writes "%.0e %s%s" (in's factor times scale, in's bare name, mstr) into out (size bytes).
int UNIT_scale(const char *in, float scale, const char *mstr, char *out, size_t size);
template <size_t N> int UNIT_scale(const char *in, float scale, const char *mstr, char (&out)[N])
{
    return UNIT_scale(in, scale, mstr, out, N);
}
/// Splits "name (units)": var gets the text before the first '(' without trailing blanks, units
/// the text between it and the next ')'; both cut to their buffers.
int UNIT_parse(const char *str, char *var, size_t var_size, char *units, size_t units_size);
template <size_t N, size_t M> int UNIT_parse(const char *str, char (&var)[N], char (&units)[M])
{
    return UNIT_parse(str, var, N, units, M);
}
/// Rewrites the label str (size bytes) as "%s (%s)" with its name and the new units.
int UNIT_change(char *str, size_t size, const char *units);
template <size_t N> int UNIT_change(char (&str)[N], const char *units)
{
    return UNIT_change(str, N, units);
}

// ---------------------------------------------------------------------------------------------
// Messaging with the loop window program, part 2 (mqueue.cpp)
// ---------------------------------------------------------------------------------------------
// Texts travel behind a one-character code ('0' plus a connection id or a flag) and hold at most
// MQ_TEXT_MAX characters; a buffer that receives one (item) holds MQ_TEXT_MAX + 1 characters.

constexpr int MQ_TEXT_MAX = 118;
/// MQ_open on the queue: the server's queue exists but this user may not read and write it
/// (never a queue id).
constexpr int MQ_OPEN_FAILED = -2;

/// The message of the queue transport: 120 bytes of mtext travel with every message.
struct mqueuebuf {
    long mtype;      // 1 to the server; the connection id (2 for connection answers) to a client
    char mtext[124]; // code character, text, zero byte
};

typedef void (*MQ_handler)(int);

int MQ_clear(int msgqid, int index);
int MQ_create(int num);
int MQ_sget(int msgqid, int *conn_id, char *item);
int MQ_sput(int msgqid, int conn_id, int flag, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
int MQ_del(int msgqid);
int MQ_find(int ind);
int MQ_timeout(int val);
int MQ_timeout_func(MQ_handler func);
int MQ_offset(int ind);
int MQ_settype(int ind);
int MQ_params();
int MQ_enable_alarm();
int MQ_disable_alarm();
/// The default time-out handler: "Queue not responding!!" and the end of the program, status 7.
[[noreturn]] void MQ_intrp(int sig = 0);

// ---------------------------------------------------------------------------------------------
// Variables: model names (src/fields/var_model.cpp)
// ---------------------------------------------------------------------------------------------

/// Buffer of VAR_model: a model name of up to 80 characters and the end.
constexpr size_t VAR_MODEL_LEN = 81;

/// The name of model rmod (above 1000: source * 1000 + model) from "mod_name.lup" on the
/// file_path resource, written into str (at most size bytes, cut to fit; empty when the table
/// has no such model); returns str, or NULL with str unchanged when the table cannot be opened.
char *VAR_model(char *str, int rmod, size_t size = VAR_MODEL_LEN);

// ---------------------------------------------------------------------------------------------
// Domains, map and plot frame services used by the images
// ---------------------------------------------------------------------------------------------

/// Empties a domain: proj, nx, ny and every float field -9999, ellipse 0.  Returns 0.
int DOM_init(Domain *domain);
/// Writes the domain string through MESS_print at level.  Returns 0.
int DOM_print(M_type level, const Domain *domain);
/// Copies the current map domain into dom and returns dom; NULL gives the current domain itself.
Domain *MAP_get_domain(Domain *dom);
/// The label text of position pos (0 to 5: upper left, centre, right, lower left, centre,
/// right) on overlay line line (0 to 5); at most 69 characters.
const char *PLT_get_label(int pos, int line);
/// The plot frame's view margin (0 when never set).
float PLT_get_view_offset();

#endif
