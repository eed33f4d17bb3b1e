// Fuzz target of the XWD reader: arbitrary bytes read as a window dump, accepting any depth.
// A successful read must give a pixel area of bytes_line x height bytes and a colour table of
// num_colors entries.
#include "img.h"
#include "fuzz_util.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *name = vykfuzz::scratch_file();
    FILE *fp = std::fopen(name, "wb");
    if (fp == nullptr) abort();
    std::fwrite(data, 1, size, fp);
    std::fclose(fp);
    IMG_report image;
    IMG_init(&image);
    image.depth = 32;
    if (XWD_read(name, &image, 0) == 1) {
        if (image.data == nullptr) abort();
        volatile unsigned char last =
            image.data[static_cast<size_t>(image.bytes_line) * image.height - 1];
        (void)last;
        if (image.num_colors > 0) {
            volatile float c = image.colors[image.num_colors - 1].b;
            (void)c;
        }
        // What was read can be written again.
        char out[80];
        std::snprintf(out, sizeof out, "%s.out", name);
        if (XWD_write(out, &image) != 1) abort();
    }
    IMG_free(&image);
    return 0;
}
