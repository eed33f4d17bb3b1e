// Fuzz target of the text metafile reader: arbitrary bytes replayed onto the metafile
// workstation, whose own output goes to /dev/null.  Every record the reader accepts passes
// through the kernel's calls, so the transformations, attribute setters and primitives are
// exercised with whatever numbers a file can hold.
#include "gks.h"
#include "vyk.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string input_name;

// The kernel and the workstation are opened once; messages are silenced.
bool setup()
{
    MESS_set(0, 0);
    char name[] = "/tmp/fuzz_meta_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) abort();
    close(fd);
    input_name = name;
    std::atexit([] { unlink(input_name.c_str()); });
    if (gopen_ws(1, "/dev/null", GWS_META) != 0) abort();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = setup();
    (void)ready;
    FILE *fp = std::fopen(input_name.c_str(), "wb");
    if (!fp) abort();
    if (size > 0 && std::fwrite(data, 1, size, fp) != size) abort();
    std::fclose(fp);
    ginit_plot(4);  // every input starts from the same attributes and transformations
    if (gread_metafile(input_name.c_str()) != 0) abort();
    return 0;
}
