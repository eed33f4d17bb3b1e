// Tests of contour labels and extremes: labels on the lines they name, the first labelled
// level from the base, spacings, the cell outlines, highs and lows with missing and equal
// neighbours and cut-offs.
#include "cont_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

using conttest::Drawing;
using conttest::Grid;
using conttest::only;
using conttest::Record;
using conttest::setup;

std::vector<Record> labels(GRD_report *grid, int type, float intrvl, float base,
                           void (*extra)() = nullptr)
{
    Drawing d;
    setup(grid, type, intrvl, base, "1-15");
    if (extra) extra();
    CONT_draw_contour(grid);
    CONT_draw_labels(grid);
    return only(d.records(), 'T');
}

TEST(ContLabel, LabelsLieOnTheLinesTheyName)
{
    // z = i: every level k is the vertical line x = k; labels sit on it, at mid-cell heights.
    Grid g(20, 10, [](int i, int) { return static_cast<float>(i) + 0.5f; });
    const auto texts = labels(g.get(), 12, 1, VYK_MISS, [] { CONT_set_label_type(1, 0); });
    ASSERT_FALSE(texts.empty());
    std::set<int> rows;
    for (const Record &t : texts) {
        const float v = std::stof(t.text);
        EXPECT_NEAR(t.pts[0].x, v - 0.5f, 1e-4) << t.text;
        EXPECT_NEAR(std::fmod(t.pts[0].y, 1.0f), 0.5f, 1e-4);
        rows.insert(static_cast<int>(t.pts[0].y));
    }
    // Default spacings on a 20 x 10 grid: every 4th column and every 2nd row; a line running up
    // is labelled in the label rows only.
    EXPECT_EQ(rows, (std::set<int>{0, 2, 4, 6, 8}));
}

TEST(ContLabel, FirstLabelledLevelFromTheBase)
{
    Grid g(20, 10, [](int i, int) { return static_cast<float>(i) * 0.5f + 0.25f; });
    auto values = [&](float base) {
        std::set<std::string> seen;
        for (const Record &t : labels(g.get(), 12, 1, base, [] { CONT_set_label_type(2, 0); }))
            seen.insert(t.text);
        return seen;
    };
    // Base 5, conlo 0: falling from 5 to -1, then one step up: 1, 3, 5, ...
    EXPECT_EQ(values(5), (std::set<std::string>{"1.0", "3.0", "5.0", "7.0", "9.0"}));
    // No base: from conlo, 0, 2, 4, ...
    EXPECT_EQ(values(VYK_MISS), (std::set<std::string>{"2.0", "4.0", "6.0", "8.0"}));
}

TEST(ContLabel, HugeBaseAndTinyStepEnd)
{
    Grid g(6, 6, [](int i, int j) { return 1e8f + static_cast<float>(i + j); });
    const auto texts = labels(g.get(), 12, 1, 1e8f, [] { CONT_set_label_type(1, 0); });
    EXPECT_LT(texts.size(), 100u);
}

TEST(ContLabel, SkipZeroDrawsNoLabelsAndNoOutlines)
{
    Grid g(6, 6, [](int i, int) { return static_cast<float>(i); });
    Drawing d;
    setup(g.get(), 12, 1, VYK_MISS, "1-15");
    CONT_draw_grid(1);
    CONT_set_label_type(0, 0);
    CONT_draw_labels(g.get());
    EXPECT_TRUE(d.records().empty());
    // With labels on, the 25 cell outlines come with them.
    Drawing d2;
    setup(g.get(), 12, 1, VYK_MISS, "1-15");
    CONT_draw_grid(1);
    CONT_set_label_type(2, 0);
    CONT_draw_labels(g.get());
    int outlines = 0;
    for (const Record &r : only(d2.records(), 'L')) outlines += r.pts.size() == 5;
    EXPECT_EQ(outlines, 25);
    CONT_draw_grid(0);
}

/// The marks of a grid: "H" and "L" texts with their positions.
std::vector<Record> marks(GRD_report *grid, int radius, float max_cut = VYK_MISS)
{
    Drawing d;
    setup(grid, 15, 10, VYK_MISS, "1-15");
    CONT_set_label_type(2, radius);
    CONT_set_cutoff(max_cut, VYK_MISS);
    CONT_draw_maxmin(grid);
    std::vector<Record> out;
    for (const Record &t : only(d.records(), 'T'))
        if (t.text == "H" || t.text == "L") out.push_back(t);
    return out;
}

TEST(ContLabel, HighsAndLows)
{
    // One high at the centre of a Gaussian hill.
    Grid hill(21, 15, [](int i, int j) {
        const double u = (i - 10) / 4.0, v = (j - 7) / 3.0;
        return static_cast<float>(100 * std::exp(-(u * u + v * v)));
    });
    int highs = 0;
    for (const Record &m : marks(hill.get(), 2)) {
        if (m.text != "H") continue;
        highs++;
        EXPECT_FLOAT_EQ(m.pts[0].x, 10);
        EXPECT_FLOAT_EQ(m.pts[0].y, 7);
    }
    EXPECT_EQ(highs, 1);
    // Above the upper cut-off the high is not marked.
    for (const Record &m : marks(hill.get(), 2, 50)) EXPECT_NE(m.text, "H");
    // An equal neighbour prevents the mark.
    hill.at(11, 7) = hill.at(10, 7);
    for (const Record &m : marks(hill.get(), 1)) EXPECT_NE(m.text, "H");
    hill.at(11, 7) = 0;
    // One missing neighbour within the radius: still marked; two: never.
    hill.at(11, 7) = VYK_MISS;
    int h1 = 0;
    for (const Record &m : marks(hill.get(), 1)) h1 += m.text == "H" && m.pts[0].x == 10;
    EXPECT_EQ(h1, 1);
    hill.at(9, 7) = VYK_MISS;
    for (const Record &m : marks(hill.get(), 1)) EXPECT_FALSE(m.text == "H" && m.pts[0].x == 10);
}

}  // namespace
