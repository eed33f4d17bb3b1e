// Fuzz target of completing typed file names and of decoding date labels: the input after its
// first byte is a text as a user types it.  The first byte chooses one of a few fixed naming
// conventions, the name kind (date suffix, extra information, neither), whether an extension is
// preset and whether the current name is a user-given full path.  The text is completed
// (FILE_set_file), the name is rebuilt from the file date read out of it (FILE_set_date), its
// tail is cut off as extra information (FILE_extract_extra_info), and it is decoded as a date
// label and a date sequence.  Results go into exactly sized heap buffers, so the address
// sanitizer sees any write beyond them.
#include "vyk.h"
#include "vykresrc.h"

#include <strings.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what)
{
    fprintf(stderr, "fuzz_typed_name: %s\n", what);
    abort();
}

void check_name(const std::vector<char> &name, const char *what)
{
    if (memchr(name.data(), 0, name.size()) == nullptr)
        fail(what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const bool prepared = [] {
        MESS_set(10, 0);
        RES_put("data_path", "/data/prf");
        RES_put("raw_path", "raw");
        RES_put("file_path", "/nonexistent/vyk");
        return true;
    }();
    (void)prepared;

    const unsigned mode = data[0];
    const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    const char *typed = text.c_str();  // up to the first zero byte, as a typed text ends
    // The current or latest file is looked for among the files on disk, and "exit" ends the
    // program: those texts are not completed here.
    if (typed[0] == '#' || strncasecmp(typed, "cu", 2) == 0 || strncasecmp(typed, "la", 2) == 0 ||
        strncasecmp(typed, "exit", 4) == 0)
        return 0;

    static const char *const conventions[8] = {
        "@%D/%Y%m%d%h.prf",     "@prf%y%j%h",          "@%x_%Y%m%d%h.%e",
        "@{raw_}%Y%m%d%2n",     "@%D/%Y%m%d*",         "@%Y%m%d_%3h%e",
        "@%d%b%Y %k%3x",        "@%C:%{data_path}/%R/%y%m%d%%%",
    };
    FILE_set_name(conventions[mode & 7]);
    FILE_set_key('x', "ab c");
    FILE_set_key('k', (mode & 0x40) ? "" : "key");
    FILE_set_ext((mode & 8) ? "grb" : "");
    FILE_set_type((mode >> 4) & 3);
    FILE_set_ext_info("");
    FILE_reset_time();
    Date unknown;
    DATE_init(&unknown);
    FILE_set_file_date(&unknown);
    FILE_set_filename((mode & 0x80) ? "/data/prf/2024/20240229.prf" : "");
    FILE_set_filename_type((mode & 0x80) ? 1 : 0);

    std::vector<char> out(FILE_NAME_MAX + 1), again(FILE_NAME_MAX + 1);
    const int r = FILE_set_file(typed, out.data());
    check_name(out, "FILE_set_file: name not terminated");
    if (r != 0 && r != -1)
        fail("FILE_set_file: result out of range");
    if (r == -1 && strcmp(out.data(), FILE_NAME_TOO_LONG) != 0)
        fail("FILE_set_file: a name too long is not marked");
    if (strlen(FILE_get_ext_info()) > static_cast<size_t>(FILE_EXT_INFO_MAX))
        fail("FILE_get_ext_info: longer than its limit");

    // The name rebuilt from the file date that completing read.
    FILE_set_filename_type(0);
    FILE_set_filename("");
    FILE_set_date(nullptr, again.data());
    check_name(again, "FILE_set_date: name not terminated");

    // The tail of the text as extra information, in a buffer of the text's own size.
    std::vector<char> copy(strlen(typed) + 1);
    memcpy(copy.data(), typed, copy.size());
    FILE_extract_extra_info(copy.data());
    if (strlen(FILE_get_ext_info()) > static_cast<size_t>(FILE_EXT_INFO_MAX))
        fail("FILE_extract_extra_info: longer than its limit");

    Date date;
    if (DATE_decode_label(typed, &date) != 0)
        fail("DATE_decode_label: failure");
    DATE_decode_seq(typed, &date);

    FILE_reset_time();
    return 0;
}
