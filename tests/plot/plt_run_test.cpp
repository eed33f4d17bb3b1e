// The plot pass of the plot routines (contour, vector, map, point-data and profiler plots), on
// PostScript: an open refused because nothing is to be plotted opens and draws nothing and is no
// failure; a re-plot whose open frame cannot be reset draws nothing, says so and fails.
#include <gtest/gtest.h>

#include "dadodu.h"
#include "test_util.h"
#include "cont.h"
#include "vykgks.h"
#include "vykplot.h"
#include "vykprf.h"
#include "vykresrc.h"
#include "vect_plot.h"

#include <string>

using vyktest::CaptureStdio;
using vyktest::TempDir;

namespace {

struct Routine {
    const char *name;
    PLT_replot plot;
};

const Routine ROUTINES[] = {
    {"CONT_plot", CONT_plot},
    {"VECT_plot", VECT_plot},
    {"MAP_plot", MAP_plot},
    {"RAW_plot", RAW_plot},
    {"PRF_plot", PRF_plot},
};

class PltRun : public testing::TestWithParam<Routine> {
protected:
    void SetUp() override
    {
        FLAG_reset(VYK_MISS);
        FLAG_set(FLAG_BATCH, 0);
        RES_put("file_path", VYK_SOURCE_DIR "/etc");
        RES_put("device", ("p," + dir_.file("plot.ps")).c_str());
        ASSERT_GT(DOM_decode("ll,40,-100,41,21,0.5,0.5", &domain_), 0);
    }
    TempDir dir_;
    Domain domain_{};
};

TEST_P(PltRun, AnOpenRefusedForNothingToPlotIsNoFailure)
{
    FLAG_setplot(PLOT_ALL, 0);
    CaptureStdio cap;
    EXPECT_EQ(GetParam().plot(&domain_), 0);
    cap.finish();
    EXPECT_EQ(gchk_graphics(), 0);
    EXPECT_EQ(cap.err(), "");
}

TEST_P(PltRun, AFrameThatCannotBeResetGetsNothingDrawnAndFails)
{
    ASSERT_EQ(PLT_open(1), 0);
    Domain before;
    MAP_get_domain(&before);
    ASSERT_FALSE(DOM_comp(&before, &domain_));
    FLAG_setplot(PLOT_ALL, 0);  // the frame now refuses the reset
    CaptureStdio cap;
    EXPECT_EQ(GetParam().plot(&domain_), -1);
    cap.finish();
    EXPECT_NE(cap.err().find(std::string(GetParam().name) + ": Unable to reset the plot"),
              std::string::npos)
        << cap.err();
    // Nothing was drawn: the routine never made its domain current.
    Domain after;
    MAP_get_domain(&after);
    EXPECT_TRUE(DOM_comp(&after, &before));
    EXPECT_EQ(gchk_graphics(), 1);
    FLAG_setplot(PLOT_ALL, 1);
    EXPECT_EQ(PLT_close(), 0);
}

INSTANTIATE_TEST_SUITE_P(Routines, PltRun, testing::ValuesIn(ROUTINES),
                         [](const testing::TestParamInfo<Routine> &info) {
                             return std::string(info.param.name);
                         });

}  // namespace
