// Fuzz target of the lookup tables "units.lup" (UNIT_cvt) and "mod_name.lup" (VAR_model): the
// input up to its first zero byte is the unit table, the rest the model-name table (without a
// zero byte the whole input is both).  Units are converted between the words of the table itself
// and a few fixed texts; models are looked up by the numbers that begin the table's lines and a
// few fixed numbers, into exactly sized heap buffers of several sizes.
//
// Both components keep their tables: the unit table is read again when file_path names another
// directory, so the inputs alternate between two directories and every input starts with a
// pair that is not the cached one; the model table stays open and is read from its start for
// every question whose answer is not the remembered one, so its file is rewritten in place and
// every input ends by asking for a sentinel model that no input asks for.
#include "vyk.h"
#include "vykvar.h"
#include "vykresrc.h"
#include "fuzz_util.h"

#include <unistd.h>

#include <cmath>
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

constexpr int SENTINEL_MODEL = -12345;

// A sub-directory ("a", "b" or "m") of the work directory; all three are made on the first call.
std::string work_dir(const char *sub)
{
    static const bool made = [] {
        for (const char *d : {"a", "b", "m"})
            std::filesystem::create_directories(std::string(work_dir()) + "/" + d);
        return true;
    }();
    (void)made;
    return std::string(work_dir()) + "/" + sub;
}

/// The first max blank-separated words of a text (cut at a zero byte).
std::vector<std::string> words_of(const std::string &text, size_t max)
{
    std::vector<std::string> words;
    const char *p = text.c_str();
    while (words.size() < max) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            p++;
        if (*p == '\0')
            break;
        const char *start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r')
            p++;
        words.emplace_back(start, static_cast<size_t>(p - start));
    }
    return words;
}

void units(const std::string &table, unsigned mode)
{
    // Another directory than the last input's: the table is read again.
    static int turn = 0;
    const std::string dir = work_dir(turn++ % 2 ? "b" : "a");
    write_bytes(dir + "/units.lup", table.data(), table.size());
    RES_put("file_path", dir.c_str());

    const float value = (mode & 1) ? 273.15f : -40.0f;
    (void)UNIT_cvt(value, "fuzz start in", "fuzz start out");
    const std::vector<std::string> w = words_of(table, 24);
    for (size_t i = 0; i + 1 < w.size(); i++) {
        (void)UNIT_cvt(value, w[i].c_str(), w[i + 1].c_str());
        (void)UNIT_cvt(value, w[i].c_str(), w[i + 1].c_str());  // the cached pair
        (void)UNIT_cvt(value, ("10^-3 " + w[i]).c_str(), ("-" + w[i + 1]).c_str());
    }
    static const char *const pairs[][2] = {
        {"K", "C"}, {"100 m", "km"}, {"1e-05 K/m", "K/km"}, {"10^-3 kg", "g"}, {"-Pa", "hPa"},
        {"deg_C", "DEG F"}, {"0 m", "m s"}, {"1e999 x", "y"}, {"10^400 x", "y"},
    };
    for (const auto &p : pairs)
        (void)UNIT_cvt(value, p[0], p[1]);

    // Labels with units, into buffers of their exact sizes.
    for (size_t i = 0; i < w.size() && i < 4; i++) {
        std::vector<char> out(8 + i * 8), var(1 + i * 5), unit(1 + i * 3);
        UNIT_scale(w[i].c_str(), 0.01f, "/s", out.data(), out.size());
        if (memchr(out.data(), 0, out.size()) == nullptr)
            fail("UNIT_scale: not terminated");
        UNIT_parse(w[i].c_str(), var.data(), var.size(), unit.data(), unit.size());
        std::vector<char> label(w[i].begin(), w[i].end());
        label.push_back('\0');
        UNIT_change(label.data(), label.size(), "m/s");
        if (memchr(label.data(), 0, label.size()) == nullptr)
            fail("UNIT_change: not terminated");
    }
    (void)UNIT_cvt(value, "fuzz end in", "fuzz end out");
}

void ask_model(int rmod, size_t size)
{
    if (rmod == SENTINEL_MODEL)
        return;
    std::vector<char> str(size, 'x');
    const char *r = VAR_model(str.data(), rmod, size);
    if (r != nullptr && (r != str.data() || memchr(str.data(), 0, size) == nullptr))
        fail("VAR_model: name not terminated in its buffer");
}

void models(const std::string &table, unsigned mode)
{
    const std::string dir = work_dir("m");
    const std::string path = dir + "/mod_name.lup";
    write_bytes(path, table.data(), table.size());
    // The table is opened at the first question and stays open: always the same directory.
    RES_put("file_path", dir.c_str());

    static const size_t sizes[] = {1, 5, VAR_MODEL_LEN};
    const size_t size = sizes[mode % 3];
    // The numbers that begin the lines, as model and as source:model.
    const char *p = table.c_str();
    for (int lines = 0; p != nullptr && lines < 16; lines++) {
        char *end = nullptr;
        const long first = strtol(p, &end, 10);
        if (end != p) {
            const int m = static_cast<int>(first % 100000);
            ask_model(m, size);
            if (*end == ':') {
                const long second = strtol(end + 1, nullptr, 10);
                ask_model(static_cast<int>((first % 1000) * 1000 + second % 1000), size);
            }
        }
        p = strchr(p, '\n');
        if (p != nullptr)
            p++;
    }
    for (int rmod : {0, 1, 7, 1007, 2003, 999999, -1, 2147483647})
        ask_model(rmod, size);

    // The sentinel becomes the remembered answer: the next input's questions read its table.
    static const char sentinel[] = "-12345 sentinel\n";
    write_bytes(path, sentinel, sizeof sentinel - 1);
    char name[VAR_MODEL_LEN];
    if (VAR_model(name, SENTINEL_MODEL) == nullptr || strcmp(name, "sentinel") != 0)
        fail("VAR_model: the rewritten table is not read");
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
    const uint8_t *zero = static_cast<const uint8_t *>(memchr(data, 0, size));
    const char *text = reinterpret_cast<const char *>(data);
    const std::string unit_table(text, zero ? static_cast<size_t>(zero - data) : size);
    const size_t split = zero ? static_cast<size_t>(zero - data) : size;
    const std::string model_table =
        zero ? std::string(text + split + 1, size - split - 1) : unit_table;
    units(unit_table, mode);
    models(model_table, mode);
    return 0;
}
