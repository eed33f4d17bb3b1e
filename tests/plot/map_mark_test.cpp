// Marker words of mark items and mark data: every word and its one-character form, prefixes in
// the table's order (a longer word that begins with a shorter one's letters), case, numbers and
// texts that are neither.
#include <gtest/gtest.h>

#include "map_plot.h"

namespace {

TEST(MapMark, WordsPrefixesAndNumbers)
{
    const struct {
        const char *word;
        int marker;
    } rows[] = {
        {"dot", 8},    {"pnt", 1},   {".", 1},     {"plus", 2},  {"+", 2},    {"star", 3},
        {"*", 3},      {"crcl", 4},  {"circle", 4}, {"o", 4},    {"x", 5},    {"sqr", 6},
        {"square", 6}, {"#", 6},     {"tri", 7},   {"^", 7},     {"itri", 9}, {"v", 9},
        // Prefixes: the word's letters begin the text, whatever follows.
        {"DOTTED", 8}, {"Triangle", 7}, {"open", 4}, {"xx", 5}, {"v2", 9}, {"itriangle", 9},
        {"+5", 2},     {".5", 1},
        // Too short for a word, or no word at all: a whole number or nothing.
        {"do", 0},     {"sq", 0},     {"cir", 0},   {"zzz", 0},   {"", 0},
        {"12", 12},    {"12.7", 12},  {"-3", -3},   {"12abc", 0}, {"1e10", 0}, {"nan", 0},
    };
    for (const auto &r : rows) EXPECT_EQ(MAP_mark_type(r.word), r.marker) << '"' << r.word << '"';
    EXPECT_EQ(MAP_mark_type(nullptr), 0);
}

}  // namespace
