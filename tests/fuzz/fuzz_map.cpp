// Fuzz target of the map-file reader: the input is read as a map file, in whichever form its
// first header gives, on a latitude-longitude and a polar stereographic domain drawn to a
// metafile, and as a map list file.  Every record must end in a result, never a crash or hang.
#include "fuzz_util.h"
#include "gks.h"
#include "vykgks.h"
#include "vykplot.h"

#include <cstdint>
#include <cstdio>

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
    return 0;
}
