// Fuzz target of the lookup tables that no other target reads: the grid input's model file
// "model.lup" (GRD_in_file) and the font list "vyk.fnl" with the "fi:" font list file
// (gsetup_fonts).  The input after a mode byte is, up to its first zero byte, the model file, and
// after it the font list (without a zero byte the whole input is both); the font list is read
// both as vyk.fnl and as a list file the setting names.  The mode byte chooses the model asked
// for (none, the file's first word, a name of the system's own list, one too long for its
// field).  Every piece of a mosaic must lie within the mosaic with a terminated name, the model
// name must be terminated within its field, and a font abbreviation looked up must give a font
// number of the list.
#include "fuzz_util.h"
#include "gks.h"
#include "vykgks.h"
#include "vyk.h"
#include "grd_search.h"
#include "vykresrc.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using vykfuzz::fail;
using vykfuzz::work_dir;
using vykfuzz::write_bytes;

/// The first blank-separated word of a text (at most 40 characters), or "".
std::string first_word(const std::string &text)
{
    const size_t a = text.find_first_not_of(" \t\r\n\v\f");
    if (a == std::string::npos) return "";
    const size_t b = text.find_first_of(" \t\r\n\v\f", a);
    return text.substr(a, std::min<size_t>(40, (b == std::string::npos ? text.size() : b) - a));
}

void models(const std::string &table, unsigned mode)
{
    write_bytes(std::string(work_dir()) + "/model.lup", table.data(), table.size());
    const std::string word = first_word(table);
    const std::string names[] = {"", word, "eta", std::string(40, 'm')};
    const std::string &name = names[mode % 4];
    if (name.empty()) RES_put("model", nullptr);
    else RES_put("model", name.c_str());
    GRD_in_file();
    int nx = 0, ny = 0;
    GRD_get_mosaic_size(&nx, &ny);
    const int pieces = GRD_get_num_piece();
    if (pieces < 0 || pieces > GRD_MAX_PIECES || (pieces > 0 && pieces > nx * ny))
        fail("more pieces than the mosaic holds");
    for (int k = 0; k < pieces; k++) {
        const GRD_piece *p = GRD_get_piece(k);
        if (!p) fail("a piece in use is missing");
        if (p->x < 0 || p->x >= nx || p->y < 0 || p->y >= ny) fail("a piece outside its mosaic");
        if (!std::memchr(p->name, 0, sizeof p->name)) fail("a piece name not terminated");
    }
    const char *model = GRD_get_model();
    if (!model || std::strlen(model) > static_cast<size_t>(GRD_MODEL_NAME_MAX))
        fail("the model name does not fit its field");
}

void fonts(const std::string &list)
{
    write_bytes(std::string(work_dir()) + "/vyk.fnl", list.data(), list.size());
    write_bytes(std::string(work_dir()) + "/list.fnl", list.data(), list.size());
    for (const char *setting : {"", "fi:list.fnl"}) {
        gset_font_list(setting);
        gsetup_fonts();
        const std::string word = first_word(list);
        // A word that is no number is an abbreviation: the list's font of it, or the first.
        for (const std::string &abbr : {word, std::string("modern"), std::string("zz")}) {
            if (abbr.empty() || (abbr[0] >= '0' && abbr[0] <= '9')) continue;
            if (gget_font_index(abbr.c_str()) < 1) fail("an abbreviation gives no font");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    static const bool ready = [] {
        MESS_set(0, 0);
        RES_put("file_path", work_dir());
        return true;
    }();
    (void)ready;
    const unsigned mode = data[0];
    const char *text = reinterpret_cast<const char *>(data + 1);
    const std::string input(text, size - 1);
    const size_t zero = input.find('\0');
    const std::string model_table = input.substr(0, zero);
    const std::string font_list = zero == std::string::npos ? input : input.substr(zero + 1);
    models(model_table, mode);
    fonts(font_list);
    return 0;
}
