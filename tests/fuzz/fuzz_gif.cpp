// Fuzz target of the GIF reader: arbitrary bytes after the GIF signature, read whole and header
// only; a picture read whole is written again (the writer's palette and coder on any pixels).
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
    std::fwrite("GIF89a", 1, 6, fp);
    std::fwrite(data, 1, size, fp);
    std::fclose(fp);
    IMG_report image;
    IMG_init(&image);
    if (GIF_read(name, &image, 1) == 1 && (image.data != nullptr || image.colors != nullptr))
        abort();
    IMG_init(&image);
    if (GIF_read(name, &image, 0) == 1) {
        if (image.data == nullptr) abort();
        if (static_cast<long>(image.width) * image.height <= 4096) {
            char out[80];
            std::snprintf(out, sizeof out, "%s.out", name);
            GIF_interlace(size & 1);
            if (GIF_write(out, &image) != 1) abort();
        }
    }
    IMG_free(&image);
    return 0;
}
