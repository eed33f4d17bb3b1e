// Fuzz target of the map-file reader and of map lists: the input is read as a map file, in
// whichever form its first header gives, on a latitude-longitude and a polar stereographic
// domain drawn to a metafile; then as a map list file ("fi:" item) and its first line as the
// map list itself, drawn in every pass on the same domains.  The list's files are looked for in
// the work directory, where the input itself lies as "scratch" (so an item may name it as a map
// file).  Every record must end in a result, never a crash or hang.
#include "fuzz_util.h"
#include "gks.h"
#include "vykgks.h"
#include "vykplot.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool open = false;
    static Domain world, polar;
    if (!open) {
        open = true;
        MESS_set(MESS_PROG_SET, 0);
        DOM_decode("ll,0,0,181,91,2,2", &world);
        DOM_decode("ps:90:-100,90,-100,41,41,4,4", &polar);
        gopen_gks(nullptr, 0);
        gopen_ws(1, "/dev/null,vyk", GWS_META);
        gactivate_ws(1);
    }
    const char *path = vykfuzz::scratch_file();
    vykfuzz::write_bytes(path, data, size);
    for (const Domain *d : {&world, &polar}) {
        MAP_setup(d);
        FILE *fp = std::fopen(path, "r");
        if (!fp) vykfuzz::fail("the file does not open");
        const int r = MAP_map(fp);
        std::fclose(fp);
        if (r != 0 && r != -1) vykfuzz::fail("MAP_map result out of range");
    }
    // The input as a map list file and its first line as a map list.
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string line = text.substr(0, text.find_first_of("\n\0"));
    RES_put("file_path", vykfuzz::work_dir());
    RES_put("image_path", vykfuzz::work_dir());
    for (const Domain *d : {&world, &polar}) {
        MAP_setup(d);
        for (const std::string &list : {std::string("fi:scratch"), line}) {
            MAP_file(list.c_str());
            MAP_draw(MAP_PASS_MINUS | MAP_PASS_PLUS | MAP_PASS_PLAIN);
        }
    }
    return 0;
}
