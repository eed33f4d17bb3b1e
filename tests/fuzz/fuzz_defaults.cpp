// Fuzz target of the defaults-file reader: the input is a defaults file.  Every entry that
// DEF_get gives is checked for terminated fields of the promised sizes and then matched against
// a few resource names with DEF_cmp, checked with DEF_valid and cut with DEF_parse_name.  The
// first input byte chooses the title (none, a plain title, a '+' title, one too long to use) and
// a preset tag; the rest is the file.  Open blocks and tags carry over from one defaults file to
// the next, so every run ends by reading enough END lines to close whatever the input opened.
#include "vyk.h"
#include "vykresrc.h"
#include "fuzz_util.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

using vykfuzz::fail;
using vykfuzz::work_dir;
using vykfuzz::write_bytes;

/// Reads every entry of the defaults file at path; each key is matched and parsed.
void read_entries(const std::string &path)
{
    static const char *const resources[] = {"device", "file_path", "color", "x", ""};
    if (DEF_open(path.c_str()) != 0)
        fail("the defaults file does not open");
    // Guard bytes after each field catch a write past its size.
    char key[DEF_KEY_LEN + 8], value[DEF_VALUE_LEN + 8], last[DEF_KEY_LEN + 8];
    memset(key, 0x5a, sizeof key);
    memset(value, 0x5a, sizeof value);
    for (int entries = 0; DEF_get(key, value) == 1; entries++) {
        if (memchr(key, 0, DEF_KEY_LEN) == nullptr || memchr(value, 0, DEF_VALUE_LEN) == nullptr)
            fail("a field is not terminated");
        for (int k = 0; k < 8; k++)
            if (key[DEF_KEY_LEN + k] != 0x5a || value[DEF_VALUE_LEN + k] != 0x5a)
                fail("a field was written past its size");
        if (entries > 100000)
            fail("DEF_get does not come to an end");
        for (const char *r : resources) {
            const int m = DEF_cmp(r, key);
            if (m != 0 && m != 1)
                fail("DEF_cmp is no predicate");
        }
        const int v = DEF_valid(key);
        if (v != 0 && v != 1)
            fail("DEF_valid is no predicate");
        (void)DEF_cmp(key, value);  // a value as a key pattern: any text may be one
        memset(last, 0x5a, sizeof last);
        DEF_parse_name(key, last);
        DEF_parse_name(value, last);
        if (memchr(last, 0, DEF_KEY_LEN) == nullptr)
            fail("DEF_parse_name leaves no terminated name");
        for (int k = 0; k < 8; k++)
            if (last[DEF_KEY_LEN + k] != 0x5a)
                fail("DEF_parse_name wrote past its field");
    }
    DEF_close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const bool silenced = (MESS_set(10, 0), true);
    (void)silenced;
    const unsigned mode = data[0];
    data++;
    size--;

    static const char *const titles[] = {"", "Title", "+sub", "+a_title_far_too_long_to_be_used"};
    DEF_name(titles[mode & 3]);
    DEF_clr_tag();
    if (mode & 4)
        DEF_tag("test");

    const std::string path = std::string(work_dir()) + "/defaults";
    write_bytes(path, data, size);
    read_entries(path);

    // Close every block the input left open: no more can be open than it has lines.
    size_t lines = 2;
    for (size_t i = 0; i < size; i++)
        lines += data[i] == '\n';
    std::string ends;
    ends.reserve(lines * 4);
    for (size_t i = 0; i < lines; i++)
        ends += "END\n";
    write_bytes(path, ends.data(), ends.size());
    read_entries(path);
    DEF_clr_tag();
    return 0;
}
