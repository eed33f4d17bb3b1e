// The plot frame in-process on PostScript: opening and refusing to open, margins and the data
// area, the labels with the `label` resource's items, the close and its status, panels.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykgks.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <string>

using vyktest::CaptureStdio;
using vyktest::TempDir;

namespace {

// Plots go to a PostScript file of the test's own.
void to_postscript(const std::string &file)
{
    FLAG_reset(VYK_MISS);
    FLAG_set(FLAG_BATCH, 0);
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    RES_put("device", ("p," + file).c_str());
}

std::string label(int pos, int line)
{
    const char *text = PLT_get_label(pos, line);
    return text ? text : "(null)";
}

TEST(PltFrame, OpensLabelsAndClosesAPostScriptPlot)
{
    TempDir dir;
    const std::string ps = dir.file("plot.ps");
    to_postscript(ps);
    ASSERT_EQ(PLT_open(2), 0);
    EXPECT_EQ(PLT_get_work_type(), GWS_PS);
    Glim view, off;
    PLT_get_view(&view);
    PLT_get_view_offsets(&off);
    EXPECT_EQ(off.y_min, 0.04f);
    // The data area keeps the aspect ratio.
    EXPECT_NEAR((view.x_max - view.x_min) / (view.y_max - view.y_min), 2, 1e-4);
    Glim disp;
    GPH_get_view_size(&disp);
    EXPECT_GT(view.y_min - disp.y_min, 0.005f);

    Date d;
    DATE_init(&d);
    d.year = 2024, d.month = 6, d.day = 1, d.hour = 6, d.min = 0;
    PLT_label_date(&d);
    RES_put("label", "ul:Analysis_%h,ur2:Extra,lc,ll:,x,uc9abc,lr3,LR:Upper_case");
    PLT_label_low_left("replaced");
    EXPECT_EQ(PLT_labels(), 0);
    EXPECT_EQ(label(PLT_UP_LEFT, 0), "Analysis 06");
    EXPECT_EQ(label(PLT_UP_RIGHT, 2), "Extra");
    EXPECT_EQ(label(PLT_LOW_LEFT, 0), "");
    EXPECT_EQ(label(PLT_UP_CENTER, 5), "bc");
    EXPECT_EQ(label(PLT_LOW_RIGHT, 0), "Upper case");
    EXPECT_EQ(label(PLT_LOW_CENTER, 0), "");

    EXPECT_EQ(PLT_close(), 0);
    EXPECT_EQ(gchk_graphics(), 0);
    EXPECT_EQ(label(PLT_UP_LEFT, 0), "");  // the store is emptied
    const std::string text = vyktest::read_file(ps);
    EXPECT_NE(text.find("%!PS"), std::string::npos);
    EXPECT_NE(text.find("Labels"), std::string::npos);  // the frame's message
}

TEST(PltFrame, WithoutABottomMarginOnlyTheBorderIsDrawn)
{
    TempDir dir;
    to_postscript(dir.file("full.ps"));
    RES_put("plot_param", "full");
    ASSERT_EQ(PLT_open(1), 0);
    EXPECT_EQ(PLT_get_view_offset(), 0);
    EXPECT_EQ(PLT_labels(), -1);
    EXPECT_EQ(PLT_close(), 0);

    // "fullab" puts the labels inside the data area.
    RES_put("plot_param", "fullab");
    ASSERT_EQ(PLT_open(1), 0);
    EXPECT_EQ(PLT_get_full_lab(), 1);
    EXPECT_EQ(PLT_labels(), 0);
    EXPECT_EQ(PLT_close(), 0);
}

TEST(PltFrame, NothingToPlotOpensNothing)
{
    TempDir dir;
    to_postscript(dir.file("none.ps"));
    FLAG_set(FLAG_PLOT_TYPE, 99);
    EXPECT_EQ(PLT_open(1), -1);
    EXPECT_EQ(gchk_graphics(), 0);
    EXPECT_EQ(PLT_close(), -1);
    FLAG_set(FLAG_PLOT_TYPE, VYK_MISS);
    FLAG_setplot(PLOT_ALL, 0);
    EXPECT_EQ(PLT_open(1), -1);
    EXPECT_EQ(PLT_reset(1), -1);
    EXPECT_EQ(gchk_graphics(), 0);
    FLAG_setplot(PLOT_ALL, 1);
    // A reset needs an open plot.
    CaptureStdio cap;
    EXPECT_EQ(PLT_reset(1), -1);
    cap.finish();
    EXPECT_NE(cap.err().find("PLT_reset: no plot is open"), std::string::npos);
}

TEST(PltFrame, ACloseThatCannotWriteItsFileFails)
{
    to_postscript("/dev/full");
    ASSERT_EQ(PLT_open(1), 0);
    PLT_labels();
    CaptureStdio cap;
    EXPECT_EQ(PLT_close(), -1);
    cap.finish();
    EXPECT_NE(cap.err().find("unable to write"), std::string::npos) << cap.err();
}

TEST(PltFrame, ResetKeepsTheParametersAndBringsTheLabelTypeBack)
{
    TempDir dir;
    to_postscript(dir.file("reset.ps"));
    RES_put("plot_param", "over=2:3");
    ASSERT_EQ(PLT_open(1), 0);
    EXPECT_EQ(PLT_get_overlay_base(), 2);
    RES_put("plot_param", "over=4");
    PLT_set_label_type(-3);
    EXPECT_EQ(PLT_reset(0.5f), 0);
    EXPECT_EQ(PLT_get_overlay_base(), 2);  // not decoded again
    EXPECT_EQ(PLT_get_label_type(), PLT_LABEL_SIMPLE);
    Glim view;
    PLT_get_view(&view);
    EXPECT_NEAR((view.x_max - view.x_min) / (view.y_max - view.y_min), 0.5, 1e-4);
    PLT_set_label_type(4);
    PLT_reset(1);
    EXPECT_EQ(PLT_get_label_type(), PLT_LABEL_COMPLETE);
    // An aspect that is no ratio is taken as 1, with a warning.
    CaptureStdio cap;
    EXPECT_EQ(PLT_reset(0.0f / 0.0f), 0);
    cap.finish();
    PLT_get_view(&view);
    EXPECT_NEAR((view.x_max - view.x_min) / (view.y_max - view.y_min), 1, 1e-4);
    EXPECT_NE(cap.err().find("aspect ratio"), std::string::npos);
    EXPECT_EQ(PLT_close(), 0);
}

TEST(PltFrame, PanelGeometries)
{
    const struct {
        const char *text;
        int result;
        Glim view;  // x_min, x_max, y_min, y_max of the view area on a unit display
    } rows[] = {
        {"2x3+1+0", 0, {0.5f, 1, 2.0f / 3, 1}},
        {"9x9+0+0", 0, {0, 0.125f, 0.875f, 1}},
        {"2x2+5+7", 0, {0.5f, 1, 0, 0.5f}},       // a position past the grid takes its last panel
        {"0.5x0.5+0.5+0", 0, {0.5f, 1, 0, 0.5f}},  // fractions as they are
        {"0.5x0.5+0.25", -1, {0.5f, 1, 0, 0.5f}},  // fewer than four numbers: nothing changes
        {"0x0.5+0+0", -1, {0.5f, 1, 0, 0.5f}},      // an empty view
        {"junk", -1, {0.5f, 1, 0, 0.5f}},
        {"1x1+0+0", 0, {0, 1, 0, 1}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.text);
        CaptureStdio cap;
        EXPECT_EQ(PLT_panel_decode(r.text), r.result);
        cap.finish();
        Glim v;
        GPH_get_view_size(&v);
        EXPECT_NEAR(v.x_min, r.view.x_min, 1e-6);
        EXPECT_NEAR(v.x_max, r.view.x_max, 1e-6);
        EXPECT_NEAR(v.y_min, r.view.y_min, 1e-6);
        EXPECT_NEAR(v.y_max, r.view.y_max, 1e-6);
    }
}

TEST(PltFrame, DumpKindsKeepTheirOwnNames)
{
    EXPECT_EQ(PLT_get_dump(), 0);
    EXPECT_EQ(PLT_dump(0), -1);
    EXPECT_EQ(PLT_set_dump(PLT_DUMP_GIF, nullptr), 0);
    EXPECT_EQ(PLT_set_dump(PLT_DUMP_IMG, ""), 0);
    EXPECT_EQ(PLT_get_dump(), (1 << PLT_DUMP_GIF) | (1 << PLT_DUMP_IMG));
    CaptureStdio cap;
    EXPECT_EQ(PLT_set_dump(7, "x"), -1);
    EXPECT_EQ(PLT_set_dump(PLT_DUMP_XWD, std::string(200, 'a').c_str()), -1);
    EXPECT_EQ(PLT_set_dump(PLT_DUMP_PNG, "dir.gif/plot.GIF"), 0);
    cap.finish();
    EXPECT_NE(cap.err().find("a PNG dump is named dir.gif/plot.png, not dir.gif/plot.GIF"),
              std::string::npos)
        << cap.err();
    EXPECT_EQ(PLT_set_dump(PLT_DUMP_NONE, nullptr), 0);
    EXPECT_EQ(PLT_get_dump(), 0);
}

}  // namespace
