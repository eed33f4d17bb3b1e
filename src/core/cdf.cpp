// netCDF access layer: one current file and one current position over the library's version-2
// interface.
//
// Files are untrusted.  The header of a classic file is checked before the library reads it;
// before every transfer the variable's type and number of dimensions are checked against the
// operation (the version-2 calls move values in the variable's own memory form, as many as its
// dimensions say); lengths from the file are checked against the caller's buffers; and 32-bit
// integers are converted to and from the callers' longs.  The library's fatal error option is
// switched off before the first library call.
#include "vykbase.h"
#include "vykmess.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykscan.h"
#include "vykcdf.h"

#include <netcdf.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <fcntl.h>
#include <netcdf_mem.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

/// Where a variable of a classic file keeps its values.
struct VarLayout {
    std::vector<uint64_t> shape;  // dimension lengths (the record dimension's is not used)
    bool record = false;          // the first dimension is the record dimension
    uint64_t value_size = 0;      // bytes per value
    uint64_t begin = 0;           // offset of the first value (of the first record)
};

/// The data layout of a classic file opened for reading, from its header, and its size: a read
/// that needs bytes past the end of a file cut short fails instead of giving zeros.
struct FileLayout {
    std::string name;             // empty for a file served from memory (it cannot grow)
    uint64_t size = 0;
    uint64_t record_size = 0;
    std::vector<VarLayout> vars;
    std::vector<unsigned char> image;  // the whole file, when the library reads it from here
};

/// Classic files up to this size are read whole through the caller's descriptor and handed to
/// the library from memory; larger ones the library opens by name and reads as it needs.
constexpr off_t IMAGE_LIMIT = off_t{16} << 20;

/// The smallest classic file (no records, dimensions, attributes or variables).  One stays open
/// from memory for the life of the process: the library frees its table of open files (half a
/// megabyte) when the last one closes and clears a fresh one at the next open, which in a
/// series of files read one after the other would be paid at every file.
unsigned char empty_classic[32] = {'C', 'D', 'F', 1};

/// A file made by CDF_create_output: its name and the file it named then, so that an output
/// that failed is removed only while the name still leads to that file.
struct Output {
    std::string name;
    bool known = false;  // dev and ino were taken
    dev_t dev = 0;
    ino_t ino = 0;
};

// The component's state; the member initialisers are the start values.
struct State {
    /// The netCDF id of the current file; -1 when none (a failed open, or after a close).
    int fd = -1;
    /// The current position or range, one entry per dimension; after CDF_set_shape, start
    /// holds the dimension ids of the shape.
    long start[CDF_MAX_DIMS] = {};
    long count[CDF_MAX_DIMS] = {};
    int ndim = 0;
    /// Whether the library's error option has been set by this layer.
    bool started = false;
    /// The layouts of the classic files open for reading, by netCDF id.
    std::map<int, FileLayout> layouts;
    /// The files made by CDF_create_output and not closed yet, by netCDF id.
    std::map<int, Output> outputs;
};
State st;

bool within_file(const char *func, int var, const long *start, const long *count);

/// Makes library errors non-fatal before the first library call; the library's verbosity stays.
inline void start_library()
{
    if (!st.started) {
        ncopts &= ~NC_FATAL;
        st.started = true;
    }
}

/// Messages of this layer follow the library's error option.
void complain(const char *func, const char *what, int var)
{
    if (ncopts & NC_VERBOSE)
        MESS_print(M_WARN, "%s: variable %d %s\n", func, var, what);
}

bool fits_nclong(long v)
{
    return v >= INT32_MIN && v <= INT32_MAX;
}

/// A value operation may go ahead: a file is current and a variable is named.
inline bool usable(int var)
{
    return st.fd != -1 && var != -1;
}

/// Checks that var has the given type and `dims` dimensions (any number up to CDF_MAX_DIMS when
/// dims is -1), so that the library moves exactly what the caller's memory holds.
bool check_var(const char *func, int var, nc_type type, int dims)
{
    start_library();
    nc_type t;
    int nd = 0;
    if (ncvarinq(st.fd, var, nullptr, &t, &nd, nullptr, nullptr) == -1)
        return false;
    if (t != type) {
        complain(func, "is of another type", var);
        return false;
    }
    if (dims >= 0 ? nd != dims : nd > CDF_MAX_DIMS) {
        complain(func, "does not match the current position", var);
        return false;
    }
    return true;
}

/// Values in the current block.
size_t block_size()
{
    size_t n = 1;
    for (int i = 0; i < st.ndim; i++)
        n *= static_cast<size_t>(st.count[i]);
    return n;
}

int put1(const char *func, int var, nc_type type, const void *value)
{
    if (!usable(var))
        return 0;
    if (!check_var(func, var, type, -1))
        return -1;
    return ncvarput1(st.fd, var, st.start, value) == -1 ? -1 : 0;
}

/// Reads one value; false leaves *value alone.
bool get1(const char *func, int var, nc_type type, void *value)
{
    return check_var(func, var, type, -1) && within_file(func, var, st.start, nullptr) &&
           ncvarget1(st.fd, var, st.start, value) != -1;
}

/// One value of a variable of type at the current position; miss when the variable cannot
/// give one.
template <class T> T get_value(const char *func, int var, nc_type type, T miss)
{
    T v;
    if (!usable(var) || !get1(func, var, type, &v))
        return miss;
    return v;
}

int put_block(const char *func, int var, nc_type type, const void *array)
{
    if (!usable(var))
        return 0;
    if (array == nullptr || !check_var(func, var, type, st.ndim))
        return -1;
    return ncvarput(st.fd, var, st.start, st.count, array) == -1 ? -1 : 0;
}

template <class T> int get_block(const char *func, int var, nc_type type, T *array, T miss)
{
    if (!usable(var) || array == nullptr)
        return -1;
    if (check_var(func, var, type, st.ndim) && within_file(func, var, st.start, st.count) &&
        ncvarget(st.fd, var, st.start, st.count, array) != -1)
        return 0;
    std::fill_n(array, block_size(), miss);
    return -1;
}

int def_over_shape(const char *name, nc_type type)
{
    int dims[CDF_MAX_DIMS];
    for (int i = 0; i < st.ndim; i++)
        dims[i] = static_cast<int>(st.start[i]);
    return CDF_def_var_list(name, type, st.ndim, dims);
}

int put_att(int id, const char *name, nc_type type, int len, const void *value)
{
    start_library();
    return ncattput(st.fd, id, name, type, len, value) == -1 ? -1 : 0;
}

int put_text_att(int id, const char *name, const char *value)
{
    if (name == nullptr || value == nullptr)
        return -1;
    return put_att(id, name, NC_CHAR, static_cast<int>(std::strlen(value)), value);
}

/// Bytes per value of the classic types, 0 for any other.
size_t type_size(nc_type type)
{
    switch (type) {
    case NC_BYTE:
    case NC_CHAR:
        return 1;
    case NC_SHORT:
        return 2;
    case NC_INT:
    case NC_FLOAT:
        return 4;
    case NC_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

bool valid_entries(int num, const long *a)
{
    if (num < 0 || num > CDF_MAX_DIMS || (num > 0 && a == nullptr))
        return false;
    for (int i = 0; i < num; i++)
        if (a[i] < 0)
            return false;
    return true;
}

/// Sets the first num entries; the rest start at 0 with a count of 1.
void set_entries(int num, const long *s, const long *c)
{
    for (int i = 0; i < CDF_MAX_DIMS; i++) {
        st.start[i] = i < num ? s[i] : 0;
        st.count[i] = i < num && c != nullptr ? c[i] : 1;
    }
    st.ndim = num;
}

/// A numeric external type (byte, short, int, float, double).
bool numeric(nc_type type)
{
    return type == NC_BYTE || type == NC_SHORT || type == NC_INT || type == NC_FLOAT ||
           type == NC_DOUBLE;
}

/// Reads the current block of var, stored as T in the file, and converts it into array.
template <class T> bool get_converted(int var, double *array)
{
    std::vector<T> values(block_size());
    if (!within_file("CDF_get_number_array", var, st.start, st.count) ||
        ncvarget(st.fd, var, st.start, st.count, values.data()) == -1)
        return false;
    std::copy(values.begin(), values.end(), array);
    return true;
}

/// A bounded reader of the header of a classic netCDF file (versions 1, 2 and 5).  The library
/// trusts the counts of a header and allocates by them before it looks at the file's size, so
/// a damaged header can make it fail badly; this reader checks every count against the bytes
/// that remain and every name, type and dimension id against the format's limits, and reads
/// nothing beyond the header.
class ClassicHeader {
    // Tags of the header's lists.
    static constexpr uint64_t DIMENSIONS = 0x0A, VARIABLES = 0x0B, ATTRIBUTES = 0x0C;

public:
    ClassicHeader(FILE *fp, uint64_t size) : fp_(fp), size_(size) {}

    /// The data layout of a sound header (after check() gave 1).
    FileLayout layout() const
    {
        FileLayout out;
        out.size = size_;
        out.vars = vars_;
        int records = 0;
        for (size_t i = 0; i < vars_.size(); i++)
            if (vars_[i].record) {
                records++;
                out.record_size += vsizes_[i];
            }
        // A file of one record variable does not pad its records.
        for (const VarLayout &v : vars_)
            if (v.record && records == 1) {
                out.record_size = v.value_size;
                for (size_t k = 1; k < v.shape.size(); k++) out.record_size *= v.shape[k];
            }
        return out;
    }

    /// 1: a sound header; 0: a damaged one; -1: not a classic file (left to the library).
    int check()
    {
        unsigned char magic[4];
        if (!read(magic, 4))
            return size_ >= 4 ? -1 : 0;
        if (std::memcmp(magic, "CDF", 3) != 0)
            return -1;
        version_ = magic[3];
        if (version_ != 1 && version_ != 2 && version_ != 5)
            return -1;
        ns_ = version_ == 5 ? 8 : 4;
        non_neg();  // the number of records
        return dims() && atts() && vars() && ok_ ? 1 : 0;
    }

private:
    bool read(void *buf, size_t n)
    {
        if (!ok_ || n > size_ - pos_ || std::fread(buf, 1, n, fp_) != n)
            return ok_ = false;
        pos_ += n;
        return true;
    }

    /// Passes over n bytes: short runs (names, attribute values) are read through the stream's
    /// buffer, longer ones are sought past.
    bool skip(uint64_t n)
    {
        constexpr uint64_t READ_LIMIT = 4096;
        if (!ok_ || n > size_ - pos_)
            return ok_ = false;
        if (n <= READ_LIMIT) {
            unsigned char scratch[READ_LIMIT];
            if (std::fread(scratch, 1, n, fp_) != n) return ok_ = false;
        } else if (fseeko(fp_, static_cast<off_t>(n), SEEK_CUR) != 0) {
            return ok_ = false;
        }
        pos_ += n;
        return true;
    }

    uint64_t number(int bytes)
    {
        unsigned char b[8] = {};
        if (!read(b, static_cast<size_t>(bytes)))
            return 0;
        uint64_t v = 0;
        for (int i = 0; i < bytes; i++)
            v = v << 8 | b[i];
        return v;
    }

    uint64_t tag() { return number(4); }
    uint64_t non_neg() { return number(ns_); }
    uint64_t remaining() const { return size_ - pos_; }

    /// A list header: 0 and no elements, or the tag and a count that the rest of the file can
    /// hold with at least min_size bytes per element.
    bool list(uint64_t want, uint64_t min_size, uint64_t *n)
    {
        const uint64_t t = tag();
        *n = non_neg();
        if (!ok_ || (t == 0 && *n == 0))
            return ok_;
        return ok_ = t == want && *n <= remaining() / min_size;
    }

    bool name()
    {
        const uint64_t len = non_neg();
        if (ok_ && (len < 1 || len > NC_MAX_NAME))
            ok_ = false;
        return ok_ && skip((len + 3) & ~uint64_t{3});
    }

    /// Bytes per value of a type that the file's version allows, 0 for any other.
    uint64_t value_size(uint64_t type) const
    {
        static const unsigned char sizes[12] = {0, 1, 1, 2, 4, 4, 8, 1, 2, 4, 8, 8};
        if (type < 1 || type > (version_ == 5 ? 11u : 6u))
            return 0;
        return sizes[type];
    }

    bool dims()
    {
        uint64_t n = 0;
        if (!list(DIMENSIONS, 2 * ns_ + 4, &n))
            return false;
        ndims_ = n;
        int unlimited = 0;
        for (uint64_t i = 0; i < n && ok_; i++) {
            if (!name())
                break;
            const uint64_t len = non_neg();
            dim_lens_.push_back(len);
            if (len == 0 && ++unlimited > 1)
                ok_ = false;
        }
        return ok_;
    }

    bool atts()
    {
        uint64_t n = 0;
        if (!list(ATTRIBUTES, 2 * ns_ + 8, &n))
            return false;
        for (uint64_t i = 0; i < n && ok_; i++) {
            if (!name())
                break;
            const uint64_t vsize = value_size(tag());
            const uint64_t count = non_neg();
            if (vsize == 0 || count > remaining() / vsize)
                return ok_ = false;
            skip((count * vsize + 3) & ~uint64_t{3});
        }
        return ok_;
    }

    bool vars()
    {
        const int offset = version_ == 1 ? 4 : 8;
        uint64_t n = 0;
        if (!list(VARIABLES, 5 * ns_ + 12, &n))
            return false;
        for (uint64_t i = 0; i < n && ok_; i++) {
            if (!name())
                break;
            const uint64_t nd = non_neg();
            if (nd > NC_MAX_VAR_DIMS || nd > remaining() / ns_)
                return ok_ = false;
            VarLayout v;
            for (uint64_t k = 0; k < nd && ok_; k++) {
                const uint64_t dim = non_neg();
                if (dim >= ndims_)
                    ok_ = false;
                else
                    v.shape.push_back(dim_lens_[dim]);
                if (ok_ && k == 0 && dim_lens_[dim] == 0)
                    v.record = true;
            }
            if (!atts() || (v.value_size = value_size(tag())) == 0)
                return ok_ = false;
            vsizes_.push_back(non_neg());  // bytes of the variable (per record)
            v.begin = number(offset);
            vars_.push_back(std::move(v));
        }
        return ok_;
    }

    FILE *fp_;
    uint64_t size_, pos_ = 0, ndims_ = 0;
    std::vector<uint64_t> dim_lens_, vsizes_;
    std::vector<VarLayout> vars_;
    int version_ = 0, ns_ = 4;
    bool ok_ = true;
};

/// Keeps the library's table of open files from being freed between files (see empty_classic).
void hold_file_table()
{
    static const bool held = [] {
        int id = -1;
        return nc_open_mem("empty", NC_NOWRITE, sizeof empty_classic, empty_classic, &id) ==
               NC_NOERR;
    }();
    (void)held;
}

/// Zero bytes after a file served from memory: the library reads the header in blocks of up
/// to 4096 bytes and refuses a block that passes the end of the memory, where a file on disk
/// reads short.  What lies past the file's own end is never read as data (see within_file).
constexpr size_t IMAGE_PAD = 4096;

/// The whole of a file of size bytes open on fd, read from its start, with IMAGE_PAD zero
/// bytes after it; empty when it cannot be read whole.
std::vector<unsigned char> read_image(int fd, size_t size)
{
    std::vector<unsigned char> image(size + IMAGE_PAD);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, image.data() + got, size - got, static_cast<off_t>(got));
        if (n <= 0)
            return {};
        got += static_cast<size_t>(n);
    }
    return image;
}

/// The header check of ClassicHeader on the file open on fd (of size bytes), from its start;
/// the layout of a sound header goes to *layout.
int check_header(int fd, uint64_t size, FileLayout *layout)
{
    const int copy = dup(fd);
    FILE *fp = copy == -1 ? nullptr : fdopen(copy, "rb");
    if (fp == nullptr) {
        if (copy != -1)
            close(copy);
        return -1;  // left to the library
    }
    int r = -1;
    if (fseeko(fp, 0, SEEK_SET) == 0) {
        ClassicHeader header(fp, size);
        r = header.check();
        if (r == 1)
            *layout = header.layout();
    }
    std::fclose(fp);
    return r;
}

/// The same check on a whole file of size bytes in memory.
int check_header(std::vector<unsigned char> &image, size_t size, FileLayout *layout)
{
    if (size < 4)
        return 0;  // too short for a magic number: damaged, as a short read says
    FILE *fp = fmemopen(image.data(), size, "rb");
    if (fp == nullptr)
        return -1;
    ClassicHeader header(fp, size);
    const int r = header.check();
    if (r == 1)
        *layout = header.layout();
    std::fclose(fp);
    return r;
}

/// The header check of a file open on fd: 1 a sound classic header (its layout in *layout,
/// and the whole file in *image when it was read so), 0 a damaged one (with a message while
/// errors are printed), -1 another kind of file or one that is not regular, left to the library.
int checked_header(const char *filename, int fd, std::vector<unsigned char> *image,
                   FileLayout *layout, const char *who = "CDF_open")
{
    struct stat sb;
    if (fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode))
        return -1;
    const auto size = static_cast<size_t>(sb.st_size);
    if (image != nullptr && sb.st_size <= IMAGE_LIMIT)
        *image = read_image(fd, size);
    const bool whole = image != nullptr && !image->empty();
    const int r = whole ? check_header(*image, size, layout)
                        : check_header(fd, static_cast<uint64_t>(size), layout);
    if (r == 0 && (ncopts & NC_VERBOSE))
        MESS_print(M_WARN, "%s: %s: damaged netCDF header\n", who, filename);
    return r;
}

/// Opens filename for reading through fd (see CDF_open_fd): the library's id, -1 on failure.
/// A classic file with a damaged header is refused; other files are left to the library.  The
/// layout of a sound classic file goes to *layout (else its variables stay empty), with the
/// memory the library reads it from.
int open_for_reading(const char *filename, int fd, FileLayout *layout)
{
    std::vector<unsigned char> image;
    const int r = checked_header(filename, fd, &image, layout);
    if (r == 0)
        return -1;
    hold_file_table();
    int id = -1;
    if (r == 1 && !image.empty() &&
        nc_open_mem(filename, NC_NOWRITE, image.size(), image.data(), &id) == NC_NOERR) {
        layout->image = std::move(image);  // the buffer moves with it: the library's view stays
        return id;
    }
    if (r == 1)
        layout->name = filename;  // measured again when a read needs more than it had
    return ncopen(filename, NC_NOWRITE);
}

/// Opens filename for writing when its header (if classic) is sound; -1 on failure.
int open_for_writing(const char *filename)
{
    const int fd = open(filename, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd != -1) {
        FileLayout unused;
        const int r = checked_header(filename, fd, nullptr, &unused);
        close(fd);
        if (r == 0)
            return -1;
    }
    return ncopen(filename, NC_WRITE);
}

/// The byte after the last one that reading the block at start and count (nd entries; count
/// null: one value) of variable v needs; 0 for a block the library refuses anyway.
uint64_t block_end(const VarLayout &v, const FileLayout &f, const long *start, const long *count)
{
    using wide = unsigned __int128;
    wide last = 0, rec = 0;
    for (size_t i = 0; i < v.shape.size(); i++) {
        const long c = count ? count[i] : 1;
        if (start[i] < 0 || c <= 0)
            return 0;
        const wide at = static_cast<wide>(start[i]) + static_cast<wide>(c) - 1;
        if (i == 0 && v.record)
            rec = at;
        else
            last = last * v.shape[i] + at;
    }
    const wide end = v.begin + rec * f.record_size + (last + 1) * v.value_size;
    return end > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(end);
}

/// Whether the file holds every byte that reading the block needs (see block_end); a file read
/// by name that is still being written is measured again before the read is refused.  Files other than
/// classic ones opened for reading are left to the library.
bool within_file(const char *func, int var, const long *start, const long *count)
{
    const auto it = st.layouts.find(st.fd);
    if (it == st.layouts.end() || var < 0 || static_cast<size_t>(var) >= it->second.vars.size())
        return true;
    FileLayout &f = it->second;
    const uint64_t end = block_end(f.vars[static_cast<size_t>(var)], f, start, count);
    struct stat sb;
    if (end > f.size && !f.name.empty() && stat(f.name.c_str(), &sb) == 0)
        f.size = static_cast<uint64_t>(sb.st_size);
    if (end <= f.size)
        return true;
    complain(func, "lies past the end of the file (cut short)", var);
    return false;
}

/// Makes id (a file just opened, or -1) current, with the layout of a file opened for reading
/// (a file open for writing grows by its own writes: only a read-only one is measured).
int become_current(int id, FileLayout *layout)
{
    st.fd = id < 0 ? -1 : id;
    if (st.fd != -1) {
        st.layouts.erase(st.fd);
        if (!layout->vars.empty() || !layout->image.empty())
            st.layouts[st.fd] = std::move(*layout);
    }
    return st.fd;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// File and definitions
// ---------------------------------------------------------------------------------------------

int CDF_set_fd(int val)
{
    st.fd = val;
    return 0;
}

int CDF_print_errors(int val)
{
    ncopts = val == 1 ? NC_VERBOSE : 0;
    st.started = true;
    return 0;
}

CDF_quiet::CDF_quiet() : saved_(ncopts) { ncopts = 0; }

CDF_quiet::~CDF_quiet() { ncopts = saved_; }

int CDF_open(const char *filename, int access)
{
    if (access < 0 || access > 2)
        return st.fd;
    start_library();
    if (filename == nullptr) {
        st.fd = -1;
        return -1;
    }
    int id;
    FileLayout layout;
    if (access == 1) {
        id = CDF_create_output(filename);
    } else if (!FILE_input_ok(filename, "CDF_open")) {  // a FIFO would hold the opening
        id = -1;
    } else if (access == 2) {
        id = open_for_writing(filename);
    } else {
        const int fd = open(filename, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        id = fd == -1 ? ncopen(filename, NC_NOWRITE) : open_for_reading(filename, fd, &layout);
        if (fd != -1)
            close(fd);
    }
    return become_current(id, &layout);
}

int CDF_open_fd(const char *filename, int fd)
{
    start_library();
    if (filename == nullptr || fd < 0) {
        st.fd = -1;
        return -1;
    }
    FileLayout layout;
    return become_current(open_for_reading(filename, fd, &layout), &layout);
}

int CDF_header_ok(const char *filename, const char *who)
{
    start_library();
    if (filename == nullptr)
        return 0;
    const int fd = open(filename, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd == -1)
        return 1;  // the library reports it
    FileLayout unused;
    const int r = checked_header(filename, fd, nullptr, &unused,
                                 who != nullptr ? who : "CDF_header_ok");
    close(fd);
    return r == 0 ? 0 : 1;
}

int CDF_def_dim(const char *name, int size)
{
    if (name == nullptr)
        return -1;
    start_library();
    return ncdimdef(st.fd, name, size);
}

int CDF_end_def()
{
    start_library();
    return ncendef(st.fd) == -1 ? -1 : 0;
}

int CDF_close()
{
    if (st.fd == -1)
        return -1;
    return CDF_close_output(st.fd, 0);
}

int CDF_create_output(const char *filename)
{
    if (filename == nullptr)
        return -1;
    start_library();
    // The library removes the path when a creation fails: a device, a FIFO or a directory
    // under the name is never handed to it.
    struct stat sb;
    if (stat(filename, &sb) == 0 && !S_ISREG(sb.st_mode)) {
        MESS_print(M_WARN, "CDF_create_output: not a regular file, left as it is: %s\n",
                   filename);
        return -1;
    }
    const int id = nccreate(filename, NC_CLOBBER);
    if (id < 0)
        return -1;
    Output out;
    out.name = filename;
    if (stat(filename, &sb) == 0 && S_ISREG(sb.st_mode)) {
        out.known = true;
        out.dev = sb.st_dev;
        out.ino = sb.st_ino;
    }
    st.layouts.erase(id);
    st.outputs[id] = std::move(out);
    return id;
}

int CDF_close_output(int id, int failed)
{
    if (id < 0)
        return -1;
    start_library();
    const bool closed = ncclose(id) != -1;
    st.layouts.erase(id);
    if (st.fd == id)
        st.fd = -1;
    const auto it = st.outputs.find(id);
    if (it == st.outputs.end())
        return closed && failed == 0 ? 0 : -1;
    const Output out = std::move(it->second);
    st.outputs.erase(it);
    if (closed && failed == 0)
        return 0;
    struct stat sb;
    if (out.known && stat(out.name.c_str(), &sb) == 0 && S_ISREG(sb.st_mode) &&
        sb.st_dev == out.dev && sb.st_ino == out.ino)
        unlink(out.name.c_str());
    return -1;
}

int CDF_get_dim(const char *name)
{
    if (name == nullptr)
        return -1;
    start_library();
    return ncdimid(st.fd, name);
}

int CDF_get_var(const char *name)
{
    if (name == nullptr)
        return -1;
    start_library();
    return ncvarid(st.fd, name);
}

int CDF_get_dim_size(int dim)
{
    start_library();
    if (dim == -1 && (ncinquire(st.fd, nullptr, nullptr, nullptr, &dim) == -1 || dim < 0))
        return -1;
    long len = 0;
    if (ncdiminq(st.fd, dim, nullptr, &len) == -1)
        return -1;
    if (len < 0 || len > CDF_MAX_DIM_SIZE) {
        if (ncopts & NC_VERBOSE)
            MESS_print(M_WARN, "CDF_get_dim_size: dimension %d is too long (%ld)\n", dim, len);
        return -1;
    }
    return static_cast<int>(len);
}

int CDF_get_var_info(int var, int *type, long *dims)
{
    if (st.fd == -1 || var < 0)
        return -1;
    start_library();
    nc_type t;
    int nd = 0, ids[NC_MAX_VAR_DIMS];
    if (ncvarinq(st.fd, var, nullptr, &t, &nd, ids, nullptr) == -1 || nd < 0 || nd > CDF_MAX_DIMS)
        return -1;
    for (int k = 0; k < nd; k++) {
        long len = 0;
        if (ncdiminq(st.fd, ids[k], nullptr, &len) == -1 || len < 0 || len > CDF_MAX_DIM_SIZE)
            return -1;
        if (dims != nullptr)
            dims[k] = len;
    }
    if (type != nullptr)
        *type = t;
    return nd;
}

int CDF_def_var_list(const char *name, int type, int ndims, const int *dims)
{
    if (name == nullptr || ndims < 0 || ndims > CDF_MAX_DIMS || (ndims > 0 && dims == nullptr))
        return -1;
    start_library();
    return ncvardef(st.fd, name, static_cast<nc_type>(type), ndims, dims);
}

int CDF_def_float_var(const char *name)
{
    return def_over_shape(name, NC_FLOAT);
}

int CDF_def_long_var(const char *name)
{
    return def_over_shape(name, NC_INT);
}

int CDF_def_short_var(const char *name)
{
    return def_over_shape(name, NC_SHORT);
}

int CDF_def_byte_var(const char *name)
{
    return def_over_shape(name, NC_BYTE);
}

int CDF_def_char_var(const char *name)
{
    return def_over_shape(name, NC_CHAR);
}

// ---------------------------------------------------------------------------------------------
// Shape and position
// ---------------------------------------------------------------------------------------------

int CDF_set_shape_list(int num, const long *dims)
{
    if (!valid_entries(num, dims))
        return -1;
    set_entries(num, dims, nullptr);
    return 0;
}

int CDF_set_pos_list(int num, const long *index)
{
    if (!valid_entries(num, index))
        return -1;
    set_entries(num, index, nullptr);
    return 0;
}

int CDF_set_range_list(int num, const long *s, const long *c)
{
    if (!valid_entries(num, s) || !valid_entries(num, c))
        return -1;
    set_entries(num, s, c);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Attributes
// ---------------------------------------------------------------------------------------------

int CDF_put_glob_att(const char *name, const char *value)
{
    return put_text_att(NC_GLOBAL, name, value);
}

int CDF_get_glob_att(const char *name, char *value, int size)
{
    if (value == nullptr || size <= 0)
        return -1;
    value[0] = '\0';
    if (name == nullptr)
        return -1;
    start_library();
    nc_type type;
    int len = 0;
    if (ncattinq(st.fd, NC_GLOBAL, name, &type, &len) == -1)
        return -1;
    const size_t bytes = static_cast<size_t>(std::max(len, 0)) * type_size(type);
    if (type_size(type) == 0 || bytes > static_cast<size_t>(CDF_MAX_ATT_SIZE)) {
        if (ncopts & NC_VERBOSE)
            MESS_print(M_WARN, "CDF_get_glob_att: attribute %s is not readable\n", name);
        return -1;
    }
    if (bytes < static_cast<size_t>(size)) {
        if (ncattget(st.fd, NC_GLOBAL, name, value) == -1) {
            value[0] = '\0';
            return -1;
        }
        value[bytes] = '\0';
        return 0;
    }
    // Longer than the caller's field: read it whole and keep what fits.
    std::vector<char> whole(bytes);
    if (ncattget(st.fd, NC_GLOBAL, name, whole.data()) == -1)
        return -1;
    strfcpy(value, static_cast<size_t>(size), whole.data(), whole.size());
    return 0;
}

int CDF_put_base_att(int id, const char *long_name, const char *units)
{
    int r = 0;
    if (long_name != nullptr && put_text_att(id, "long_name", long_name) == -1)
        r = -1;
    if (units != nullptr && put_text_att(id, "units", units) == -1)
        r = -1;
    return r;
}

int CDF_put_float_range_att(int id, float min, float max)
{
    const float range[2] = {min, max};
    return put_att(id, "valid_range", NC_FLOAT, 2, range);
}

int CDF_put_long_range_att(int id, long min, long max)
{
    if (!fits_nclong(min) || !fits_nclong(max))
        return -1;
    const nclong range[2] = {static_cast<nclong>(min), static_cast<nclong>(max)};
    return put_att(id, "valid_range", NC_INT, 2, range);
}

int CDF_put_fill_att(int id)
{
    const float fill = VYK_MISS;
    return put_att(id, "_FillValue", NC_FLOAT, 1, &fill);
}

int CDF_put_long_fill_att(int id, long val)
{
    if (!fits_nclong(val))
        return -1;
    const nclong fill = static_cast<nclong>(val);
    return put_att(id, "_FillValue", NC_INT, 1, &fill);
}

// ---------------------------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------------------------

int CDF_put_float(int var, float value)
{
    return put1("CDF_put_float", var, NC_FLOAT, &value);
}

int CDF_put_double(int var, double value)
{
    return put1("CDF_put_double", var, NC_DOUBLE, &value);
}

int CDF_put_long(int var, long value)
{
    if (!usable(var))
        return 0;
    if (!fits_nclong(value))
        return -1;
    const nclong v = static_cast<nclong>(value);
    return put1("CDF_put_long", var, NC_INT, &v);
}

int CDF_put_short(int var, short value)
{
    return put1("CDF_put_short", var, NC_SHORT, &value);
}

int CDF_put_byte(int var, char value)
{
    return put1("CDF_put_byte", var, NC_BYTE, &value);
}

int CDF_put_char(int var, char value)
{
    return put1("CDF_put_char", var, NC_CHAR, &value);
}

int CDF_put_float_array(int var, const float *array)
{
    return put_block("CDF_put_float_array", var, NC_FLOAT, array);
}

int CDF_put_byte_array(int var, const char *array)
{
    return put_block("CDF_put_byte_array", var, NC_BYTE, array);
}

int CDF_put_str(int var, const char *str)
{
    if (!usable(var))
        return 0;
    if (str == nullptr || st.ndim >= CDF_MAX_DIMS ||
        !check_var("CDF_put_str", var, NC_CHAR, st.ndim + 1))
        return -1;
    // The position names one string: a count of 1 in every dimension but the text's own.
    long s[CDF_MAX_DIMS], c[CDF_MAX_DIMS];
    std::copy_n(st.start, st.ndim, s);
    std::fill_n(c, st.ndim, 1L);
    s[st.ndim] = 0;
    c[st.ndim] = static_cast<long>(std::strlen(str)) + 1;
    return ncvarput(st.fd, var, s, c, str) == -1 ? -1 : 0;
}

float CDF_get_float(int var)
{
    return get_value<float>("CDF_get_float", var, NC_FLOAT, VYK_MISS);
}

double CDF_get_double(int var)
{
    return get_value<double>("CDF_get_double", var, NC_DOUBLE, VYK_MISS);
}

long CDF_get_long(int var)
{
    return get_value<nclong>("CDF_get_long", var, NC_INT, VYK_MISS);
}

char CDF_get_byte(int var)
{
    return get_value<char>("CDF_get_byte", var, NC_BYTE, -1);
}

char CDF_get_char(int var)
{
    return get_value<char>("CDF_get_char", var, NC_CHAR, ' ');
}

int CDF_get_float_array(int var, float *array)
{
    return get_block("CDF_get_float_array", var, NC_FLOAT, array, static_cast<float>(VYK_MISS));
}

int CDF_get_double_array(int var, double *array)
{
    return get_block("CDF_get_double_array", var, NC_DOUBLE, array, static_cast<double>(VYK_MISS));
}

int CDF_get_byte_array(int var, char *array)
{
    return get_block("CDF_get_byte_array", var, NC_BYTE, array, static_cast<char>(-1));
}

double CDF_get_number(int var)
{
    if (!usable(var))
        return VYK_MISS;
    start_library();
    nc_type t;
    int nd = 0;
    if (ncvarinq(st.fd, var, nullptr, &t, &nd, nullptr, nullptr) == -1)
        return VYK_MISS;
    if (!numeric(t) || nd > CDF_MAX_DIMS) {
        complain("CDF_get_number", numeric(t) ? "does not match the current position"
                                               : "is not numeric", var);
        return VYK_MISS;
    }
    union {
        signed char b;
        short s;
        nclong i;
        float f;
        double d;
    } v;
    if (!within_file("CDF_get_number", var, st.start, nullptr) ||
        ncvarget1(st.fd, var, st.start, &v) == -1)
        return VYK_MISS;
    switch (t) {
    case NC_BYTE:
        return v.b;
    case NC_SHORT:
        return v.s;
    case NC_INT:
        return v.i;
    case NC_FLOAT:
        return v.f;
    default:
        return v.d;
    }
}

int CDF_get_number_array(int var, double *array)
{
    if (!usable(var) || array == nullptr)
        return -1;
    start_library();
    nc_type t;
    int nd = 0;
    bool ok = false;
    if (ncvarinq(st.fd, var, nullptr, &t, &nd, nullptr, nullptr) != -1) {
        if (!numeric(t))
            complain("CDF_get_number_array", "is not numeric", var);
        else if (nd != st.ndim)
            complain("CDF_get_number_array", "does not match the current position", var);
        else if (t == NC_BYTE)
            ok = get_converted<signed char>(var, array);
        else if (t == NC_SHORT)
            ok = get_converted<short>(var, array);
        else if (t == NC_INT)
            ok = get_converted<nclong>(var, array);
        else if (t == NC_FLOAT)
            ok = get_converted<float>(var, array);
        else
            ok = get_converted<double>(var, array);
    }
    if (ok)
        return 0;
    std::fill_n(array, block_size(), static_cast<double>(VYK_MISS));
    return -1;
}

int CDF_get_str(int var, int len, char *str)
{
    if (!usable(var) || str == nullptr || len < 0)
        return 0;
    long s[CDF_MAX_DIMS], c[CDF_MAX_DIMS];
    if (st.ndim < CDF_MAX_DIMS && check_var("CDF_get_str", var, NC_CHAR, st.ndim + 1)) {
        std::copy_n(st.start, st.ndim, s);
        std::fill_n(c, st.ndim, 1L);
        s[st.ndim] = 0;
        c[st.ndim] = len;
        if (within_file("CDF_get_str", var, s, c) && ncvarget(st.fd, var, s, c, str) != -1) {
            str[len] = '\0';
            return 1;
        }
    }
    str[0] = '\0';
    return 0;
}
