// Fuzz target of the netCDF access layer: the input, made a classic netCDF file (its first
// bytes are forced to a classic magic, so that the library's own HDF5 reader stays out of the
// run), is opened through the layer; every variable is read with every typed get, whole and
// value by value, and every global attribute into a small field.  Guard values after each
// buffer catch a transfer larger than the layer promised.
#include "vyk.h"
#include "vykcdf.h"

#include <netcdf.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t MAX_VALUES = 4096;
constexpr int GUARD = 16;

[[noreturn]] void fail(const char *what)
{
    fprintf(stderr, "fuzz_cdf: %s\n", what);
    abort();
}

void remove_temp();

const std::string &temp_path()
{
    static const std::string path = "/tmp/fuzz_cdf_" + std::to_string(getpid()) + ".nc";
    static const bool removed_at_exit = std::atexit(remove_temp) == 0;
    (void)removed_at_exit;
    return path;
}

void remove_temp()
{
    std::remove(temp_path().c_str());
}

/// A buffer of n values followed by guard bytes that no read may change.
template <class T> struct Guarded {
    explicit Guarded(size_t n) : n(n), bytes((n + GUARD) * sizeof(T), 0x5a) {}
    T *data() { return reinterpret_cast<T *>(bytes.data()); }
    void check() const
    {
        for (size_t i = n * sizeof(T); i < bytes.size(); i++)
            if (bytes[i] != 0x5a)
                fail("a read went beyond its buffer");
    }
    size_t n;
    std::vector<unsigned char> bytes;
};

void read_variable(int fd, int nvars, int var)
{
    char name[NC_MAX_NAME + 1] = "";
    static int dims[NC_MAX_VAR_DIMS];
    nc_type type;
    int nd = 0;
    if (ncvarinq(fd, var, name, &type, &nd, dims, nullptr) == -1)
        return;
    // A name that is not valid UTF-8 is not found by the library, and a damaged file may name
    // two variables alike; the lookup still answers a variable of the file or -1.
    const int found = CDF_get_var(name);
    if (found < -1 || found >= nvars)
        fail("a name finds no variable of the file");
    if (nd > CDF_MAX_DIMS)
        nd = CDF_MAX_DIMS;  // the layer must refuse the variable, not overrun its position

    // The whole variable, cut to a bounded block.
    long start[CDF_MAX_DIMS] = {}, count[CDF_MAX_DIMS];
    size_t n = 1;
    for (int k = 0; k < nd; k++) {
        const int len = CDF_get_dim_size(dims[k]);
        count[k] = len < 0 ? 1 : len;
        if (n * static_cast<size_t>(count[k]) > MAX_VALUES)
            count[k] = static_cast<long>(MAX_VALUES / n);
        n *= static_cast<size_t>(count[k]);
    }
    if (CDF_set_range_list(nd, start, count) != 0)
        fail("the block is refused");
    Guarded<float> f(n);
    Guarded<double> d(n), any(n);
    Guarded<char> b(n);
    CDF_get_float_array(var, f.data());
    CDF_get_double_array(var, d.data());
    CDF_get_byte_array(var, b.data());
    CDF_get_number_array(var, any.data());
    f.check();
    d.check();
    b.check();
    any.check();
    long lens[CDF_MAX_DIMS];
    int vtype = 0;
    const int vdims = CDF_get_var_info(var, &vtype, lens);
    if (vdims < -1 || vdims > CDF_MAX_DIMS)
        fail("a variable's dimensions out of range");

    // Single values at the first and the last position of the block.
    for (int corner = 0; corner < 2; corner++) {
        long pos[CDF_MAX_DIMS];
        for (int k = 0; k < nd; k++)
            pos[k] = corner && count[k] > 0 ? count[k] - 1 : 0;
        CDF_set_pos_list(nd, pos);
        (void)CDF_get_float(var);
        (void)CDF_get_double(var);
        (void)CDF_get_long(var);
        (void)CDF_get_byte(var);
        (void)CDF_get_char(var);
        (void)CDF_get_number(var);
        // Strings along the last dimension.
        if (nd >= 1) {
            CDF_set_pos_list(nd - 1, pos);
            const int len = static_cast<int>(count[nd - 1] > 64 ? 64 : count[nd - 1]);
            Guarded<char> s(static_cast<size_t>(len) + 1);
            const int r = CDF_get_str(var, len, s.data());
            if ((r != 0 && r != 1) || std::memchr(s.data(), 0, static_cast<size_t>(len) + 1) == nullptr)
                fail("a string is not terminated");
            s.check();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    std::vector<uint8_t> file(data, data + size);
    static const uint8_t versions[3] = {1, 2, 5};
    memcpy(file.data(), "CDF", 3);
    if (file[3] != 1 && file[3] != 2 && file[3] != 5)
        file[3] = versions[file[3] % 3];
    FILE *fp = fopen(temp_path().c_str(), "wb");
    if (fp == nullptr)
        fail("no temporary file");
    fwrite(file.data(), 1, file.size(), fp);
    fclose(fp);

    CDF_print_errors(0);
    const int fd = CDF_open(temp_path().c_str(), 0);
    if (fd < 0)
        return 0;
    int ndims = 0, nvars = 0, natts = 0, recdim = -1;
    if (ncinquire(fd, &ndims, &nvars, &natts, &recdim) != -1) {
        CDF_get_dim_size(-1);
        for (int k = 0; k < ndims && k < 64; k++)
            CDF_get_dim_size(k);
        for (int v = 0; v < nvars && v < 64; v++)
            read_variable(fd, nvars, v);
        for (int a = 0; a < natts && a < 64; a++) {
            char name[NC_MAX_NAME + 1];
            if (ncattname(fd, NC_GLOBAL, a, name) == -1)
                continue;
            Guarded<char> value(24);
            const int r = CDF_get_glob_att(name, value.data(), 24);
            if (r == 0 && std::memchr(value.data(), 0, 24) == nullptr)
                fail("an attribute is not terminated");
            value.check();
        }
    }
    CDF_close();
    return 0;
}
