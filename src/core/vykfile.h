// vykfile.h: paths, file tests and opening files (file.cpp), line readers (line_read.cpp) and
// byte order (swap.cpp).
#ifndef VYKFILE_H
#define VYKFILE_H

#include <cstdint>
#include <cstdio>

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

/// Copies name into out (FILE_NAME_MAX + 1 bytes): 0, or -1 when it is longer than
/// FILE_NAME_MAX (out then holds FILE_NAME_TOO_LONG).  A NULL name is empty.
int FILE_store_name(const char *name, char *out);
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
/// Whether name may be read as an input: 1 for a standard stream, a command ('|' first, which
/// only a user can name), a regular file, or a name that is not there (its opening fails).  0
/// for a directory, FIFO, device or socket, with the warning "WHO: not a regular file, not
/// read: NAME" (who: the caller's name).  Readers ask before their first look at a file.
int FILE_input_ok(const char *name, const char *who);
long FILE_size(const char *name);
int64_t FILE_modtime(const char *name);
int FILE_delete(const char *name);
int FILE_make_dir(char *path, int flag);
int FILE_overwrite(const char *name, int kind);
FILE *FILE_open(const char *name, const char *mode);
/// Closes what FILE_open returned: pclose for a pipe (the command's wait status), nothing for the
/// standard streams (0), fclose otherwise (0 or -1).
int FILE_close(FILE *fp);
/// Where an output stream of FILE_open begins, for FILE_close_output: with append the size of
/// the regular file it appends to, else -1 (the file is made for this output).
long FILE_output_start(FILE *fp, int append);
/// Finishes an output stream of FILE_open: flushes it, closes it and checks both.  0 when every
/// byte reached its file (and the writer did not report a failure of its own in failed).
/// Otherwise -1, and a regular file is not left cut, so that nobody takes it for a whole one: a
/// file made for this output (start -1) is removed, a file appended to is cut back to its
/// start.  Pipes, devices and the standard streams are only closed; the status of a pipe's
/// command is not a write failure.
int FILE_close_output(FILE *fp, long start, int failed);
int FILE_type(const char *name);
int VYK_share(int mode);

// ---------------------------------------------------------------------------------------------
// Line readers (line_read.cpp)
// ---------------------------------------------------------------------------------------------

/// Longest line of fgetline; its buffer holds FGETLINE_MAX + 1 characters.
constexpr int FGETLINE_MAX = 160;

int fgetline(FILE *fp, char *buf);
int fgetnline(FILE *fp, char *buf, int n);
int fgetstring(FILE *fp, char *buf, int n);
int fget_rawstring(FILE *fp, char *buf, int n);
int fskipline(FILE *fp);

// ---------------------------------------------------------------------------------------------
// Byte order (swap.cpp)
// ---------------------------------------------------------------------------------------------

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

#endif
