// Fuzz target of the stroke-font reader: arbitrary bytes loaded as a font file, then a text of
// every character code measured and laid out (the strokes go to a counter, so no workstation
// is needed).  Every point must be finite and every glyph's x within the byte range.
#include "gks.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void pen(void *arg, int, float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) std::abort();
    ++*static_cast<long *>(arg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *fp = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (!fp) return 0;
    const int loaded = gread_font_data(fp);
    std::fclose(fp);

    char text[256];
    for (int c = 1; c < 256; c++) text[c - 1] = static_cast<char>(c);
    text[255] = '\0';
    const int length = gtext_length(text);
    if (loaded == 0 && (length < 0 || length > 255 * (127 + 25))) std::abort();
    const Gtext_align align{GCENTER_HOR, GHALF_VERT};
    gset_text_align(&align);
    long points = 0;
    const Gpt at{0.5f, 0.5f};
    gtext_strokes(&at, text, pen, &points);
    return 0;
}
