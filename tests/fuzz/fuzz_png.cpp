// Fuzz target of the PNG reader: arbitrary bytes after the PNG signature, read whole and
// header only.  A successful whole read must give a pixel area of bytes_line x height bytes.
#include "img.h"
#include "fuzz_util.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Pictures of more than 4 million pixels are left out to keep every run small (their pixel
    // area is allocated before the data is decoded); the size checks are covered by the tests.
    if (size >= 16) {
        auto be32 = [](const uint8_t *p) {
            return (uint64_t(p[0]) << 24) | (uint64_t(p[1]) << 16) | (uint64_t(p[2]) << 8) | p[3];
        };
        if (be32(data + 8) * be32(data + 12) > (4u << 20)) return 0;
    }
    const char *name = vykfuzz::scratch_file();
    FILE *fp = std::fopen(name, "wb");
    if (fp == nullptr) abort();
    std::fwrite("\x89PNG\r\n\x1a\n", 1, 8, fp);
    std::fwrite(data, 1, size, fp);
    std::fclose(fp);
    for (int type = 0; type < 2; type++) {
        IMG_report image;
        IMG_init(&image);
        if (PNG_read(name, &image, type) == 1 && type == 0) {
            if (image.data == nullptr) abort();
            volatile unsigned char last =
                image.data[static_cast<size_t>(image.bytes_line) * image.height - 1];
            (void)last;
            for (int i = 0; i < image.num_colors; i++)
                if (image.colors[i].r > 1) abort();
        }
        IMG_free(&image);
    }
    return 0;
}
