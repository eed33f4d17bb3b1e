// Fuzz target of the variable language and its lookup files: the input (after a mode byte) is
// cut at zero bytes into the program's variable file, the variable table "variable.lup", the
// source table "source.lup" and a list of variable texts, one a line.  Each text is
// parsed into the slots (macros from the variable file), every slot's labels are built under
// every label type into exactly sized buffers, and the words are decoded as times and levels and
// tried as menu patterns; the menu is read from the variable file under menu conditions taken
// from the input.
//
// Promises checked: at most 60 slots, every text field of a slot terminated within its size,
// every label terminated within its buffer.
#include "vyk.h"
#include "vykplot.h"
#include "vykvar.h"
#include "fuzz_util.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using vykfuzz::fail;
using vykfuzz::work_dir;
using vykfuzz::write_bytes;

std::vector<std::string> parts_of(const uint8_t *data, size_t size, size_t max)
{
    std::vector<std::string> parts(max);
    size_t k = 0;
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0 && k + 1 < max) k++;
        else parts[k] += static_cast<char>(data[i]);
    }
    return parts;
}

std::vector<std::string> lines_of(const std::string &text, size_t max)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size() && lines.size() < max) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

void terminated(const char *field, size_t size, const char *what)
{
    if (memchr(field, 0, size) == nullptr) fail(what);
}

void check_slots()
{
    const int n = VAR_get_num();
    if (n < 0 || n > VAR_NUM) fail("slot count out of range");
    for (int i = 0; i < n; i++) {
        const VAR_data *v = VAR_get_var(i);
        terminated(v->name, sizeof v->name, "name not terminated");
        terminated(v->units, sizeof v->units, "units not terminated");
        terminated(v->format, sizeof v->format, "format not terminated");
    }
}

void labels(unsigned mode)
{
    static const size_t sizes[] = {1, 7, 40, VAR_LABEL_LEN};
    const size_t size = sizes[mode % 4];
    for (int type = -3; type <= 2; type++) {
        PLT_set_label_type(type);
        for (int i = 0; i < VAR_get_num(); i++) {
            std::vector<char> buf(size, 'x');
            VAR_make_var_form_datatype(i, buf.data(), size);
            terminated(buf.data(), size, "label not terminated");
            const VAR_data *v = VAR_get_var(i);
            std::vector<char> lev(size, 'x');
            lev[0] = '\0';
            VAR_level(lev.data(), size, v->ltype, v->level);
            terminated(lev.data(), size, "level text not terminated");
            VAR_time(lev.data(), size, v->time);
            terminated(lev.data(), size, "time text not terminated");
            VAR_make_devtype(v->time, v->ltype, v->level, v->name, v->units, buf.data(), size);
            terminated(buf.data(), size, "devtype not terminated");
            (void)VAR_get_level_key(i);
            (void)VAR_get_time_key(i);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) return 0;
    static const bool silenced = (MESS_set(MESS_PROG_SET, 0), FLAG_reset(VYK_MISS), true);
    (void)silenced;
    const unsigned mode = data[0];
    const std::vector<std::string> parts = parts_of(data + 1, size - 1, 4);
    const std::string dir = work_dir();
    write_bytes(dir + "/fuzz.var", parts[0].data(), parts[0].size());
    write_bytes(dir + "/variable.lup", parts[1].data(), parts[1].size());
    write_bytes(dir + "/source.lup", parts[2].data(), parts[2].size());
    RES_put("file_path", dir.c_str());

    VAR_read_varfile();
    VAR_open_file("fuzz.var");
    const std::vector<std::string> var_texts = lines_of(parts[3], 8);
    VAR_set_model_str(var_texts.empty() ? "" : var_texts[0].c_str());
    VAR_set_time_str(var_texts.size() > 1 ? var_texts[1].c_str() : "12");
    VAR_set_level_str("500mb");
    VAR_read_menu();
    FLAG_set(FLAG_PLOT_TYPE, (mode & 4) ? 15 : VYK_MISS);
    FLAG_set(FLAG_FORECAST, (mode & 8) ? 24 : VYK_MISS);

    for (const std::string &var_text : var_texts) {
        VAR_setup(nullptr, var_text.c_str());
        check_slots();
        labels(mode);
        int time = 0, ltype = 0, level = 0;
        VAR_dec_time(var_text.c_str(), &time);
        VAR_dec_level(var_text.c_str(), &ltype, &level);
        (void)VAR_menu_display(var_text.c_str(), "eta12");
        (void)VAR_menu_display("eta*|~ngm|[a-", var_text.c_str());
        char def[64] = "";
        VAR_lookup(var_text.c_str(), def, sizeof def);
        terminated(def, sizeof def, "definition not terminated");
        char src[VAR_SOURCE_LEN];
        if (VAR_source(src, static_cast<int>(var_text.size()) % 100) != nullptr)
            terminated(src, sizeof src, "source not terminated");
        (void)VAR_search_var_num(var_text.c_str());
    }
    return 0;
}
