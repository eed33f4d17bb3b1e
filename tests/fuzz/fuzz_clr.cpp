// Fuzz target of the named colour table and of attribute strings: the input up to its first
// zero byte is the colour-table file "vyk.clr", its lines after the zero byte are attribute
// strings (without a zero byte the lines of the table are the strings too).  The first byte
// chooses how the table is named: the default name, the file itself, the `color_table`
// resource (which also sets the fill colours) or a list of files.  Every entry is then read back
// by index and by name, and every string is parsed into attribute sets and as colour, fill and
// marker words.  No workstation is opened: colours named by a code are only added to the table.
#include "vyk.h"
#include "vykgks.h"
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

/// Makes the directory and a table "reset.clr" that names all slots, read before every input
/// so that no entry of an earlier input stays visible.
void prepare()
{
    std::string reset;
    for (int i = 0; i < CLR_MAX; i++)
        reset += "reset" + std::to_string(i) + " 0.5 0.5 0.5\n";
    write_bytes(std::string(work_dir()) + "/reset.clr", reset.data(), reset.size());
    RES_put("file_path", work_dir());
    MESS_set(10, 0);
}

void check_unit(float v)
{
    if (!(v >= 0.0f && v <= 1.0f))
        fail("CLR_get_rgb: component outside 0..1");
}

void read_back()
{
    const int num = CLR_get_num();
    if (num < 0 || num > CLR_MAX)
        fail("CLR_get_num: out of range");
    const int fill = CLR_get_num_fill();
    if (fill < 0 || fill > CLR_MAX)
        fail("CLR_get_num_fill: out of range");
    for (int i = -1; i <= num + 1; i++) {
        const char *name = CLR_get_name(i);
        if (name == nullptr || strlen(name) > static_cast<size_t>(CLR_NAME_MAX))
            fail("CLR_get_name: name too long");
        float r, g, b;
        CLR_get_rgb(i, &r, &g, &b);
        check_unit(r);
        check_unit(g);
        check_unit(b);
        const int ind = CLR_get_ind(name);
        if (ind >= CLR_MAX && ind < 500)
            fail("CLR_get_ind: a name finds no slot");
    }
}

void parse_attributes(const std::string &text)
{
    Gattribs a, b;
    ATTRIB_init(&b);
    size_t start = 0;
    for (int n = 0; start <= text.size() && n < 32; n++) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string str = text.substr(start, end - start);
        start = end + 1;

        ATTRIB_init(&a);
        ATTRIB_parse(str.c_str(), &a);
        ATTRIB_update(&b, &a);
        RES_put("fuzz_attr", str.c_str());
        ATTRIB_get("fuzz_attr", str.c_str(), &a);
        (void)ATTR_parse_fill_pat(str.c_str());
        (void)ATTR_parse_marker(str.c_str());
        (void)CLR_get_ind(str.c_str());
    }
    if (CLR_get_num() > CLR_MAX)
        fail("CLR_get_num: the table overflowed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const bool prepared = (prepare(), true);
    (void)prepared;
    const unsigned mode = data[0];
    data++;
    size--;
    const uint8_t *zero = static_cast<const uint8_t *>(memchr(data, 0, size));
    const char *text = reinterpret_cast<const char *>(data);
    const size_t split = zero ? static_cast<size_t>(zero - data) : size;
    write_bytes(std::string(work_dir()) + "/vyk.clr", data, split);
    const std::string strings = zero ? std::string(text + split + 1, size - split - 1)
                                     : std::string(text, split);

    RES_put("color_table", "");
    CLR_read_table("reset.clr");
    CLR_clear_table();
    switch (mode & 3) {
    case 0:
        CLR_read_table(nullptr);  // the default name
        break;
    case 1:
        CLR_read_table("vyk.clr");
        break;
    case 2:
        RES_put("color_table", "vyk.clr");
        CLR_read_table(nullptr);
        break;
    default:
        RES_put("color_table", (mode & 4) ? "vyk.clr,,missing.clr,vyk.clr" : "vyk.clr,vyk.clr");
        CLR_read_table(nullptr);
        break;
    }
    read_back();
    parse_attributes(strings);
    read_back();
    return 0;
}
