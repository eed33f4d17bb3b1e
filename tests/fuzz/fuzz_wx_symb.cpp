// Fuzz target of the weather-symbol stroke file: arbitrary bytes as the file on the file path,
// opened afresh, then a few symbols drawn (the input's first word among them) into a metafile
// on /dev/null.  Results must be 0 or 1; the sanitizers watch the reading.
#include "fuzz_util.h"
#include "gks.h"
#include "wind_glyph.h"

#include <cctype>
#include <cstdint>
#include <string>

namespace {

bool ready()
{
    static bool open = [] {
        vykfuzz::scratch_file();  // silences the messages
        gopen_gks(nullptr, 0);
        if (gopen_ws(1, "/dev/null,vyk", GWS_META) != 0) return false;
        gactivate_ws(1);
        const Glim win = {-1e6f, 1e6f, -1e6f, 1e6f}, vp = {0, 1, 0, 1};
        gset_win(1, &win);
        gset_vp(1, &vp);
        gsel_norm_tran(1);
        RES_put("file_path", vykfuzz::work_dir());
        return true;
    }();
    return open;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!ready()) vykfuzz::fail("no metafile workstation");
    vykfuzz::write_bytes(std::string(vykfuzz::work_dir()) + "/wx.smb", data, size);
    if (WX_symb_file(nullptr) != 0) vykfuzz::fail("the stroke file did not open");
    std::string first;
    for (size_t i = 0; i < size && i < 20 && !std::isspace(data[i]); i++)
        first += data[i] ? static_cast<char>(data[i]) : '?';
    for (const std::string &code : {first, std::string("RA"), std::string("A"), std::string("TS+")}) {
        const int drawn = WX_symb(0.5f, 0.5f, code.c_str(), 10);
        if (drawn != 0 && drawn != 1) vykfuzz::fail("WX_symb result");
    }
    WX_cloud(0, 0, 1, size > 0 ? static_cast<char>(data[0]) : '0');
    return 0;
}
