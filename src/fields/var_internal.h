// var_internal.h: what the variable components share among themselves: the parse context that
// the code decoders inherit from, the variable table, the line reader of the lookup files and
// the check of user formats.
#ifndef VAR_INTERNAL_H
#define VAR_INTERNAL_H

#include "vykvar.h"

#include <cstdio>
#include <string>

/// Debug traces of the variable language.
constexpr M_type VAR_TRACE = M_DEBUG_B;

/// One entry of the parse context: what the items inside a function, group, vector or macro
/// inherit.
struct VarContext {
    int type = VYK_MISS;
    int time = VYK_MISS;
    int tstat = VYK_MISS;
    int ltype = VYK_MISS;
    int level = VYK_MISS;
    int lstat = VYK_MISS;
};

/// The innermost open context, or NULL outside a parse (var_parse.cpp).
const VarContext *var_context();
/// The plot type of a plain variable that nothing else decides, and the traced current type.
int var_def_type();
int var_cur_type();

/// The variable table, read on first use (var_table.cpp); count receives its entries.
const VAR_desc *var_table(int *count);

/// The open variable file, rewound, or NULL when none is open (var_file.cpp).
FILE *var_file_rewound();

/// Opens the lookup file name found along the file_path resource for reading, as a plain file
/// (never a command or a standard stream); path (FILE_NAME_MAX + 1 bytes) receives the full
/// name.  NULL when it cannot be opened.
FILE *var_open_lookup(const char *name, char *path);

/// Reads one line of a lookup file into line without its line end.  A line longer than max
/// characters is cut there with a warning naming who and the file; the rest of it is passed over
/// (it never becomes a record of its own).  False at the end of the file.
bool var_read_line(FILE *fp, std::string &line, size_t max, const char *who);

/// The record of the variable file that a line starts: abbreviation, description, display
/// condition and definition (the rest of the line).  False for a line with no word.
struct VarRecord {
    std::string abbr, desc, disp, def;
};
bool var_split_record(const std::string &line, VarRecord &rec);

/// The format fields of a slot, joined by ':', with every printf format among them ("%..." or
/// "fm=%...") checked: one that does not hold exactly one numeric conversion is left out with a
/// warning naming who.
std::string var_checked_format(const std::string &format, const char *who);

/// Copies src into a fixed field of size bytes; a text that does not fit is cut with a warning
/// naming who and what.
void var_copy_field(char *dest, size_t size, const char *src, const char *who, const char *what);
template <size_t N>
void var_copy_field(char (&dest)[N], const char *src, const char *who, const char *what)
{
    var_copy_field(dest, N, src, who, what);
}

#endif
