// Fuzz target of the own image format: arbitrary bytes in a file read through IMG_read (the
// sniffing reader) and IMG_read_vyk.  The compressed reader does not wait at the end of data
// for a file that is still being written.
#include "img.h"
#include "fuzz_util.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *name = vykfuzz::scratch_file();
    IMG_set_read_wait(0, 0);
    FILE *fp = std::fopen(name, "wb");
    if (fp == nullptr) abort();
    // The magic line is given, so that the fuzzer spends its time past it.
    std::fputs("VYKIMG", fp);
    std::fwrite(data, 1, size, fp);
    std::fclose(fp);
    IMG_report image;
    if (IMG_read(name, &image, 0) == 1) {
        if (image.data == nullptr || image.bytes_line != image.width) abort();
        volatile unsigned char last =
            image.data[static_cast<size_t>(image.width) * image.height - 1];
        (void)last;
        IMG_free(&image);
    }
    IMG_read_vyk(name, &image, 0);
    IMG_free(&image);
    return 0;
}
