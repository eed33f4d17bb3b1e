// vykcdf.h: the netCDF access layer used by the profiler and upper-air file modules.
//
// The layer keeps one current file and one current position (or shape), so that a caller names
// a variable and a value and nothing else.  A reader makes its file current with CDF_open or
// CDF_set_fd, sets a position with CDF_set_pos or a block with CDF_set_range, and asks for
// values; a writer defines dimensions and variables over a shape (CDF_set_shape), writes the
// standard attributes, leaves define mode and puts values at positions.
//
// Every typed get or put works on a variable of its own type only; a variable of another type,
// or one whose number of dimensions does not fit the current position, is refused without
// touching the caller's memory.  Library errors are never fatal: the layer switches the
// library's fatal option off before its first library call.
#ifndef VYKCDF_H
#define VYKCDF_H

#include <cstddef>
#include <type_traits>

/// netCDF external types (the library's numbering).
enum {
    CDF_BYTE = 1,
    CDF_CHAR = 2,
    CDF_SHORT = 3,
    CDF_LONG = 4,  // a 32-bit integer in the file
    CDF_FLOAT = 5,
    CDF_DOUBLE = 6,
};

/// Entries of the current position, range or shape.  Strings use one entry more, so a string
/// position has at most CDF_MAX_DIMS - 1 entries.
constexpr int CDF_MAX_DIMS = 10;

/// The largest dimension length that CDF_get_dim_size reports; longer ones are refused (-1).
constexpr long CDF_MAX_DIM_SIZE = 1L << 24;

/// The largest attribute, in bytes, that CDF_get_glob_att reads.
constexpr long CDF_MAX_ATT_SIZE = 1L << 20;

// ---------------------------------------------------------------------------------------------
// File and definitions: library results (ids, 0 for success, -1 for failure)
// ---------------------------------------------------------------------------------------------

/// Makes val the current file; returns 0.
int CDF_set_fd(int val);

/// 1: each failing call prints the library's message; any other value: silent.  Never fatal.
int CDF_print_errors(int val);
/// The library's messages off for the while (looking up names that may be absent); the
/// setting before is back when the object goes.
class CDF_quiet {
public:
    CDF_quiet();
    ~CDF_quiet();
    CDF_quiet(const CDF_quiet &) = delete;
    CDF_quiet &operator=(const CDF_quiet &) = delete;

private:
    int saved_;
};

/// access 0: read an existing file; 1: create (replacing a regular file of that name, through
/// CDF_create_output); 2: write an existing file.  The new id becomes current and is returned,
/// -1 on failure.  Any other access opens nothing and returns the current id.
int CDF_open(const char *filename, int access);
/// Opens filename for reading, as CDF_open with access 0, through fd, a descriptor the caller
/// already has open on it (and keeps: it may be closed once this returns).  A classic file of
/// a size that memory holds easily is read through fd alone and served from memory, so the
/// file is opened once; other files are opened by the library by name.
int CDF_open_fd(const char *filename, int fd);

/// The screening CDF_open gives a file before the library reads it, for readers that open
/// their files through the library themselves: 0 for a classic file whose header is damaged or
/// claims more than the file holds (with "WHO: NAME: damaged netCDF header" while errors are
/// printed), else 1 (other files are left to the library).
int CDF_header_ok(const char *filename, const char *who);

/// Defines a dimension (size 0: the unlimited record dimension); returns its id.
int CDF_def_dim(const char *name, int size);
int CDF_end_def();
/// Closes the current file; afterwards no file is current.  0, or -1 when the close failed (a
/// file made by CDF_open with access 1 is then removed, as CDF_close_output does).
int CDF_close();

// Output files.  A netCDF output ends like every other output of the system: a write or close
// that failed leaves no cut file behind, and a name that is not a regular file is never
// replaced (the library removes the path when a creation fails).

/// Creates filename for writing, replacing a regular file of that name; a name that exists and
/// is not a regular file (a device, a FIFO, a directory) is refused with a message before
/// anything is created.  The id (not made current), or -1.  The file ends with
/// CDF_close_output.
int CDF_create_output(const char *filename);
/// Closes the file id.  0 when the close succeeded and the writer reports no failure of its own
/// (failed 0); otherwise -1, and a file made by CDF_create_output is removed while its name
/// still leads to it.  Nothing is printed: the writer names the file in its message.
int CDF_close_output(int id, int failed);
int CDF_get_dim(const char *name);
int CDF_get_var(const char *name);
/// Length of a dimension (-1: the record dimension's number of records); -1 on failure or when
/// the length exceeds CDF_MAX_DIM_SIZE.
int CDF_get_dim_size(int dim);

/// The external type of a variable (CDF_BYTE to CDF_DOUBLE) and the lengths of its dimensions
/// (the record dimension: its number of records) into dims (CDF_MAX_DIMS entries; may be NULL).
/// Returns the number of dimensions, or -1 when there is no such variable, it has more than
/// CDF_MAX_DIMS dimensions or a length exceeds CDF_MAX_DIM_SIZE.
int CDF_get_var_info(int var, int *type, long *dims);

/// Defines a variable of any type over ndims dimension ids (at most CDF_MAX_DIMS).
int CDF_def_var_list(const char *name, int type, int ndims, const int *dims);

// Variables of type float, long, short, byte and char over the current shape.
int CDF_def_float_var(const char *name);
int CDF_def_long_var(const char *name);
int CDF_def_short_var(const char *name);
int CDF_def_byte_var(const char *name);
int CDF_def_char_var(const char *name);

// ---------------------------------------------------------------------------------------------
// Shape and position: 0, or -1 (state unchanged) for more than CDF_MAX_DIMS entries or negative
// values.  A shape and a position share the same list and replace each other.
// ---------------------------------------------------------------------------------------------

int CDF_set_shape_list(int num, const long *dims);
/// One value per dimension; the count is 1 everywhere.
int CDF_set_pos_list(int num, const long *index);
/// start and count per dimension.
int CDF_set_range_list(int num, const long *start, const long *count);

namespace cdf_detail {
template <class T> constexpr bool is_index = std::is_integral_v<T> || std::is_enum_v<T>;
}

/// CDF_def_var(name, type, ndims, d1, ..., dndims)
template <class... D> int CDF_def_var(const char *name, int type, int ndims, D... dims)
{
    static_assert((cdf_detail::is_index<D> && ...), "dimension ids are integers");
    if (ndims != static_cast<int>(sizeof...(D)))
        return -1;
    if constexpr (sizeof...(D) == 0) {
        return CDF_def_var_list(name, type, 0, nullptr);
    } else {
        const int list[] = {static_cast<int>(dims)...};
        return CDF_def_var_list(name, type, ndims, list);
    }
}

/// CDF_set_shape(num, d1, ..., dnum): the current shape becomes these dimension ids.
template <class... D> int CDF_set_shape(int num, D... dims)
{
    static_assert((cdf_detail::is_index<D> && ...), "dimension ids are integers");
    if (num != static_cast<int>(sizeof...(D)))
        return -1;
    if constexpr (sizeof...(D) == 0) {
        return CDF_set_shape_list(0, nullptr);
    } else {
        const long list[] = {static_cast<long>(dims)...};
        return CDF_set_shape_list(num, list);
    }
}

/// CDF_set_pos(num, i1, ..., inum): the position of single values.
template <class... I> int CDF_set_pos(int num, I... index)
{
    static_assert((cdf_detail::is_index<I> && ...), "positions are integers");
    if (num != static_cast<int>(sizeof...(I)))
        return -1;
    if constexpr (sizeof...(I) == 0) {
        return CDF_set_pos_list(0, nullptr);
    } else {
        const long list[] = {static_cast<long>(index)...};
        return CDF_set_pos_list(num, list);
    }
}

/// CDF_set_range(num, s1, c1, ..., snum, cnum): a block of values.
template <class... I> int CDF_set_range(int num, I... pairs)
{
    static_assert((cdf_detail::is_index<I> && ...), "starts and counts are integers");
    if (2 * num != static_cast<int>(sizeof...(I)) || num > CDF_MAX_DIMS)
        return -1;
    if constexpr (sizeof...(I) == 0) {
        return CDF_set_range_list(0, nullptr, nullptr);
    } else {
        const long list[] = {static_cast<long>(pairs)...};
        long start[sizeof...(I) / 2], count[sizeof...(I) / 2];
        for (size_t i = 0; i < sizeof...(I) / 2; i++) {
            start[i] = list[2 * i];
            count[i] = list[2 * i + 1];
        }
        return CDF_set_range_list(num, start, count);
    }
}

// ---------------------------------------------------------------------------------------------
// Attributes of the current file (id: a variable id); library status 0 or -1
// ---------------------------------------------------------------------------------------------

/// A global text attribute of the value's length (no NUL stored).
int CDF_put_glob_att(const char *name, const char *value);
/// Reads a global attribute as stored into value (size bytes) and terminates it; a longer
/// attribute is cut to size - 1 bytes.  On failure value becomes the empty text.
int CDF_get_glob_att(const char *name, char *value, int size);
template <size_t N> int CDF_get_glob_att(const char *name, char (&value)[N])
{
    return CDF_get_glob_att(name, value, static_cast<int>(N));
}
/// "long_name" and "units", each only when given; 0, or -1 when a write failed.
int CDF_put_base_att(int id, const char *long_name, const char *units);
/// "valid_range": two floats, or two 32-bit integers (-1 when a value does not fit).
int CDF_put_float_range_att(int id, float min, float max);
int CDF_put_long_range_att(int id, long min, long max);
/// "_FillValue": the float -9999, or a 32-bit integer.
int CDF_put_fill_att(int id);
int CDF_put_long_fill_att(int id, long val);

// ---------------------------------------------------------------------------------------------
// Values at the current position.  With no file current or var -1 nothing is touched: the puts
// return 0, the single gets their missing value (-9999; -1 for bytes; a blank for chars), the
// array gets -1 and CDF_get_str 0.
// ---------------------------------------------------------------------------------------------

int CDF_put_float(int var, float value);
int CDF_put_double(int var, double value);
/// -1 when the value does not fit a 32-bit integer.
int CDF_put_long(int var, long value);
int CDF_put_short(int var, short value);
int CDF_put_byte(int var, char value);
int CDF_put_char(int var, char value);
/// The block start/count, the last dimension varying fastest.
int CDF_put_float_array(int var, const float *array);
int CDF_put_byte_array(int var, const char *array);
/// The text and its NUL along one more dimension, from index 0.
int CDF_put_str(int var, const char *str);

// Single values: a failed read gives the missing value.
float CDF_get_float(int var);
double CDF_get_double(int var);
long CDF_get_long(int var);
char CDF_get_byte(int var);
char CDF_get_char(int var);

/// Blocks: 0, or -1 on failure, when the values that could not be read are -9999 (-1 for bytes).
int CDF_get_float_array(int var, float *array);
int CDF_get_double_array(int var, double *array);
int CDF_get_byte_array(int var, char *array);
/// Values of a numeric variable of any external type (byte, short, int, float, double),
/// converted to double: one value at the current position, or the current block (0, or -1 on
/// failure, when the values that could not be read are -9999).  A text variable is refused.
double CDF_get_number(int var);
int CDF_get_number_array(int var, double *array);
/// len characters along one more dimension into str (len + 1 bytes), terminated at str[len];
/// 1, or 0 on failure, when a read that failed leaves the empty text.
int CDF_get_str(int var, int len, char *str);

#endif
