// Fuzz target of the naming conventions: the input is the naming-convention file "name_conv"
// (found through the `name_conv` and `file_path` resources) and a text that is used both as a
// data type and as a template of its own.  Layout: one byte of mode (forced date), six bytes of
// a date, then the text up to the first zero byte and the file after it (the whole rest is the
// file when there is no zero byte).  For a few data types and the text, names are built for
// several dates (FILE_set_date, FILE_hdr_set_date, FILE_set_date_off), completed again from
// the names built (FILE_set_file) and rebuilt from the file date; user-given names go through
// FILE_set_filename.  Every name must be terminated within FILE_NAME_MAX + 1 bytes, the
// exactly sized heap buffers letting the address sanitizer see any write beyond.
#include "vyk.h"
#include "vykresrc.h"
#include "fuzz_util.h"

#include <strings.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using vykfuzz::fail;
using vykfuzz::work_dir;
using vykfuzz::write_bytes;

using Name = std::vector<char>;

void check_name(const Name &name, const char *what)
{
    if (memchr(name.data(), 0, name.size()) == nullptr)
        fail(what);
}

/// A field of a date as a typed name or the forced date can give it: -10 to 99, or unknown.
int field(uint8_t b)
{
    return b == 255 ? VYK_MISS : b % 110 - 10;
}

/// A typed name that completing would take for the current or latest file, or for "exit".
bool special_text(const char *text)
{
    return text[0] == '#' || strncasecmp(text, "cu", 2) == 0 || strncasecmp(text, "la", 2) == 0 ||
           strncasecmp(text, "exit", 4) == 0;
}

/// Lists the candidate files only when the pattern cannot leave the current directory: no '/'
/// in the template, the keys or the extension, no path directive.
void maybe_list()
{
    const char *t = FILE_get_conv();
    if (strchr(t, '/') != nullptr || strchr(FILE_get_ext(), '/') != nullptr)
        return;
    for (const char *p = strchr(t, '%'); p != nullptr; p = strchr(p + 1, '%')) {
        const char *q = p + 1;
        while (*q >= '0' && *q <= '9')
            q++;
        if (*q == '{' || FILE_path_resource(static_cast<unsigned char>(*q)) != nullptr)
            return;
    }
    char key[FILE_KEY_MAX + 1];
    for (int c = 0; c < 256; c++) {
        FILE_get_key(c, key);
        if (strchr(key, '/') != nullptr)
            return;
    }
    FILE_list_file();
}

/// Builds names with the current convention for the dates and goes back and forth between
/// names and dates.
void exercise(const Date *dates, int ndates, int offset, bool list)
{
    Name out(FILE_NAME_MAX + 1), again(FILE_NAME_MAX + 1);
    Name conv(FILE_NAME_CONV_LEN);
    for (int k = 0; k < ndates; k++) {
        const int r = FILE_set_date(&dates[k], out.data());
        check_name(out, "FILE_set_date: name not terminated");
        if (r < -1 || r > 1)
            fail("FILE_set_date: result out of range");
        if (r == 0 && !special_text(out.data())) {
            // A built name completed again, and the name rebuilt from the date read from it.
            FILE_set_filename_type(0);
            FILE_set_file(out.data(), again.data());
            check_name(again, "FILE_set_file: name not terminated");
            FILE_set_date(nullptr, again.data());
            check_name(again, "FILE_set_date: rebuilt name not terminated");
        }
        // The built name as a user-given one: a series continues in its directory.
        FILE_set_filename(out.data());
        FILE_set_date(&dates[k], again.data());
        check_name(again, "FILE_set_date: name after a user-given one not terminated");

        const int h = FILE_hdr_set_date(&dates[k], out.data());
        check_name(out, "FILE_hdr_set_date: name not terminated");
        if (h < -1 || h > 1)
            fail("FILE_hdr_set_date: result out of range");
        FILE_set_date_off(&dates[k], offset, out.data());
        check_name(out, "FILE_set_date_off: name not terminated");
        if (FILE_get_offset() <= 0)
            fail("FILE_get_offset: not positive");
    }
    FILE_get_name_conv(conv.data());
    check_name(conv, "FILE_get_name_conv: not terminated");
    FILE_save_name_conv();
    FILE_set_name_conv(conv.data());  // what was written reads back
    FILE_restore_name_conv();
    FILE_get_filename(out.data());
    check_name(out, "FILE_get_filename: not terminated");
    if (list)
        maybe_list();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 7)
        return 0;
    static const bool prepared = [] {
        MESS_set(10, 0);
        RES_put("file_path", work_dir());
        RES_put("name_conv", "name_conv");
        RES_put("data_path", "/data");
        return true;
    }();
    (void)prepared;

    const unsigned mode = data[0];
    Date dates[3];
    dates[0] = {2024, 2, 29, 60, 4, 23, 59, 30};
    dates[1] = {(data[1] | data[2] << 8) % 11000 - 1000, field(data[3]), field(data[4]), VYK_MISS,
                VYK_MISS, field(data[5]), field(data[6]), 0};
    DATE_init(&dates[2]);
    const int offset = static_cast<int8_t>(data[6]) * 1800;
    data += 7;
    size -= 7;

    const uint8_t *zero = static_cast<const uint8_t *>(memchr(data, 0, size));
    const std::string text = zero ? std::string(reinterpret_cast<const char *>(data),
                                                static_cast<size_t>(zero - data))
                                  : std::string();
    const uint8_t *file = zero ? zero + 1 : data;
    const size_t file_size = size - static_cast<size_t>(file - data);
    write_bytes(std::string(work_dir()) + "/name_conv", file, file_size);

    // The same state for every input: no keys, no current name, and the forced date of the mode.
    for (int c = 0; c < 256; c++)
        FILE_set_key(c, "");
    FILE_set_key('k', "key");
    FILE_set_filename("");
    FILE_set_filename_type(0);
    FILE_set_ext("");
    FILE_set_type(mode >> 6);
    FILE_set_min_size(0);
    FILE_set_file_date(&dates[2]);
    static const Date forced[8] = {
        {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0, VYK_MISS, VYK_MISS, 0},
        {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0, -306, VYK_MISS, 0},
        {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0, VYK_MISS, -15, 0},
        {VYK_MISS, VYK_MISS, -2, VYK_MISS, 0, 12, 30, 0},
        {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0, -100, -2400, 0},
        {1999, 2, 31, VYK_MISS, 0, VYK_MISS, VYK_MISS, 0},
        {VYK_MISS, VYK_MISS, -2147483647 - 1, VYK_MISS, 0, -2147483647 - 1, -2147483647 - 1, 0},
        {9999, 12, 99, VYK_MISS, 0, 99, 99, 0},
    };
    FILE_set_time(&forced[mode & 7]);

    static const char *const types[] = {"prf_dat", "prf", "grb_ext_abc", "x:k=key word:y=2"};
    for (const char *type : types) {
        const int r = FILE_set_name(type);
        if (r != 0 && r != 1)
            fail("FILE_set_name: no predicate");
        exercise(dates, 3, offset, false);
    }
    if (!text.empty()) {
        FILE_set_name(text.c_str());
        exercise(dates, 3, offset, (mode & 8) != 0);
        // The text as a template of its own, and as the convention "period template header".
        FILE_set_name(("@" + text).c_str());
        exercise(dates, 3, offset, (mode & 8) != 0);
        FILE_set_name_conv(("3600 " + text + " " + text).c_str());
        exercise(dates, 3, offset, false);
    }
    FILE_set_name("none");
    FILE_reset_time();
    return 0;
}
