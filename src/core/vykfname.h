// vykfname.h: file-name conventions (file_name.cpp), completing typed file names
// (file_complete.cpp), and current and latest files and file series (file_series.cpp).
#ifndef VYKFNAME_H
#define VYKFNAME_H

#include "vykdate.h"
#include "vykfile.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// File-name conventions (file_name.cpp)
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
/// Whether FILE_set_file would take text as "exit", the answer that ends the program ("exit",
/// any case, alone or before a date or extra-information suffix).  Callers that pass a name
/// which is no answer to a prompt (an operand of a command) refuse such a name.
bool FILE_is_exit_word(const char *text);
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

#endif
