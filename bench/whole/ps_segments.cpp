// ps_segments: one million line segments to a PostScript file, as a whole process (the peer of
// ps_segments_cairo.py): 1000 polylines of 1000 segments zig-zagging over the page, through the
// kernel's polylines on a PostScript workstation.
//
// Usage: ps_segments OUT.ps      exit status 1 when the file could not be written
#include "gks.h"
#include "vyk.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int LINES = 1000;
constexpr int PER_LINE = 1000;  // segments of one polyline

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ps_segments OUT.ps\n");
        return 2;
    }
    MESS_set(0, M_NONE);  // the open's progress notes
    std::vector<Gpt> line(PER_LINE + 1);
    if (gopen_gks(nullptr, 0) != 0 || gopen_ws(1, argv[1], GWS_PS) != 0) {
        std::fprintf(stderr, "ps_segments: cannot open a PostScript workstation on %s\n", argv[1]);
        return 1;
    }
    for (int l = 0; l < LINES; l++) {
        for (int i = 0; i <= PER_LINE; i++)
            line[static_cast<size_t>(i)] = {
                static_cast<float>(i) / PER_LINE,
                (static_cast<float>(l) + 0.8f * static_cast<float>(i % 2)) / LINES};
        gpolyline(PER_LINE + 1, line.data());
    }
    if (gclose_ws(1) != 0) {
        std::fprintf(stderr, "ps_segments: %s not written whole\n", argv[1]);
        return 1;
    }
    gclose_gks();
    return 0;
}
