// The marker words of the map plot's mark items, which the point-data plotter reads in the
// text of a mark datum as well: a word is compared without regard to case as a prefix, in the
// table's order; any other text is read as the marker number itself.
#include "vyk.h"
#include "map_plot.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

struct MarkerWord {
    const char *word;
    int marker;  // the graphics kernel's marker type
};

constexpr MarkerWord MARKER_WORDS[] = {
    {"dot", 8},  {"pnt", 1}, {".", 1},   {"plus", 2},   {"+", 2}, {"star", 3},
    {"*", 3},    {"crcl", 4}, {"circle", 4}, {"o", 4},  {"x", 5}, {"sqr", 6},
    {"square", 6}, {"#", 6}, {"tri", 7}, {"^", 7},      {"itri", 9}, {"v", 9},
};

// The whole text as a number (finite, at most 1e9 in size), cut to an int; 0 for anything else.
int marker_number(const char *text)
{
    if (!*text) return 0;
    char *end = nullptr;
    const float v = std::strtof(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v) || std::fabs(v) > 1e9f) return 0;
    return static_cast<int>(v);
}

}  // namespace

int MAP_mark_type(const char *word)
{
    if (!word) return 0;
    for (const MarkerWord &m : MARKER_WORDS)
        if (strnicmp(word, m.word, static_cast<int>(std::strlen(m.word))) == 0) return m.marker;
    return marker_number(word);
}
