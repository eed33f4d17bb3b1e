// The plot-parameter keywords as a table: each row sets plot_param (and out_file) and checks
// the component that its keywords set.  Every row runs in a process of its own, since the
// settings accumulate.  Components not built yet are seen through their placeholders'
// messages: the row shows that the keyword reached them.
#include <gtest/gtest.h>

#include "test_util.h"
#include "gks_internal.h"
#include "grd_file.h"
#include "vykgks.h"
#include "grib.h"
#include "grd_tool.h"
#include "cont.h"
#include "cty.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <functional>
#include <string>

using vyktest::CaptureStdio;

namespace {

using vyktest::count;
using vyktest::has;

struct Row {
    const char *name;
    const char *plot_param;
    const char *out_file;  // NULL: not set
    std::function<void(const std::string &err)> check;
};

int dumps(std::initializer_list<int> kinds)
{
    int bits = 0;
    for (int k : kinds) bits |= 1 << k;
    return bits;
}

const Row rows[] = {
    {"FullNopageGif", "full,nopage,gif", nullptr,
     [](const std::string &) {
         Glim off;
         PLT_get_view_offsets(&off);
         EXPECT_EQ(off.x_min, 0);
         EXPECT_EQ(off.x_max, 0);
         EXPECT_EQ(off.y_min, 0);
         EXPECT_EQ(off.y_max, 0);
         EXPECT_EQ(PLT_get_full_lab(), 0);
         EXPECT_EQ(PLT_get_dump(), dumps({PLT_DUMP_GIF}));
     }},
    {"CaseDoesNotMatter", "FULLAB,NoReDraw", nullptr,
     [](const std::string &) {
         EXPECT_EQ(PLT_get_view_offset(), 0);
         EXPECT_EQ(PLT_get_full_lab(), 1);
         EXPECT_EQ(gget_redraw(), 0);
     }},
    {"TimeZone", "tz=EST:-5", nullptr,
     [](const std::string &) {
         EXPECT_STREQ(DATE_get_tz_str(), " EST");
         EXPECT_EQ(DATE_get_tz_off(), -5 * 3600);
     }},
    {"Overlays", "over=2:4", nullptr,
     [](const std::string &) {
         EXPECT_EQ(PLT_get_overlay_base(), 2);
         EXPECT_EQ(PLT_get_num_over(), 4);
     }},
    {"OverlayBaseAlone", "overlay=1,over=3", nullptr,
     [](const std::string &err) {
         EXPECT_TRUE(has(err, "overlay=1: the value is not a number")) << err;
         EXPECT_EQ(PLT_get_overlay_base(), 3);
         EXPECT_EQ(PLT_get_num_over(), 3);
     }},
    {"ValuesMissingAreWarnedAbout", "tz,over,lalo,plt_skip,plt_off,vp_size,font,font=", nullptr,
     [](const std::string &err) {
         for (const char *k : {"tz", "over", "lalo", "plt_skip", "plt_off", "vp_size", "font"})
             EXPECT_TRUE(has(err, std::string(k) + ": a value is needed")) << k << err;
         EXPECT_TRUE(has(err, "font=: a value is needed")) << err;
         EXPECT_EQ(PLT_get_overlay_base(), 0);
     }},
    // "gridx" takes its number without a separator.
    {"NumbersThatAreNot", "lalo=x,plt_skip=a:2,plt_off=:1,loc_pr=z,gridx=3,plt_grid=q,gridx4", nullptr,
     [](const std::string &err) {
         for (const char *k : {"lalo=x", "plt_skip=a:2", "plt_off=:1", "loc_pr=z", "plt_grid=q",
                               "gridx=3"})
             EXPECT_TRUE(has(err, std::string(k) + ": the value is not a number")) << k << err;
         EXPECT_FALSE(has(err, "MAP_latlon")) << err;
         EXPECT_FALSE(has(err, "CONT_set_skip")) << err;
         EXPECT_EQ(GRD_get_grid_factor(), 4);
     }},
    {"LatLonLines", "lalo=10", nullptr,
     [](const std::string &) {
         float lat = 0, lon = 0;
         MAP_get_latlon(&lat, &lon);
         EXPECT_EQ(lat, 10);
         EXPECT_EQ(lon, 10);
     }},
    {"LatLonLinesOfTheirOwn", "lalo=1:-2000", nullptr,
     [](const std::string &) {
         float lat = 0, lon = 0;
         MAP_get_latlon(&lat, &lon);
         EXPECT_EQ(lat, 1);
         EXPECT_EQ(lon, -2000);
     }},
    {"Bar", "bar=0:50", nullptr,
     [](const std::string &err) {
         EXPECT_FALSE(has(err, "not available")) << err;
         EXPECT_EQ(CONT_get_bar(), 2);
     }},
    {"BarWithoutARange", "bar,barbs,bar=5", nullptr,
     [](const std::string &err) {
         EXPECT_FALSE(has(err, "CONT_set_bar_range")) << err;
         EXPECT_TRUE(has(err, "bar=5: the bar range needs MIN:MAX")) << err;
     }},
    {"GridValues", "plt_skip=2,plt_off=0.5", nullptr,
     [](const std::string &err) {
         EXPECT_FALSE(has(err, "not available")) << err;
     }},
    {"StationKeys", "wmo,id,cod_wmo", nullptr,
     [](const std::string &) { EXPECT_EQ(CTY_get_id_type(), CTY_ID_CODED); }},
    {"StationKeyWmo", "cod_wmo,wmo", nullptr,
     [](const std::string &) { EXPECT_EQ(CTY_get_id_type(), CTY_ID_WMO); }},
    {"LocationPriority", "loc_pr=7,loc_pr", nullptr,
     [](const std::string &) { EXPECT_EQ(DOM_get_loc_prior(), 7); }},
    {"PanelGeometry", "vp_size=2x2+1+1", nullptr,
     [](const std::string &) {
         Glim v;
         GPH_get_view_size(&v);
         EXPECT_FLOAT_EQ(v.x_min, 0.5f);
         EXPECT_FLOAT_EQ(v.y_max, 0.5f);
     }},
    {"PanelGeometryRefused", "vp_size=big", nullptr,
     [](const std::string &err) { EXPECT_TRUE(has(err, "vp_size=big: not a panel geometry")) << err; }},
    {"LongFontName", "font=a_font_name_much_longer_than_twenty", nullptr,
     [](const std::string &err) { EXPECT_TRUE(has(err, "font name cut to 19 characters")) << err; }},
    {"InverseAndColourPostScript", "pscolor", nullptr,
     [](const std::string &) {
         EXPECT_EQ(gps_get_colorPS(), 1);
         EXPECT_EQ(gget_inverse(), 1);
     }},
    {"Inverse", "inv", nullptr, [](const std::string &) { EXPECT_EQ(gget_inverse(), 1); }},
    {"LoopWindowModes", "kill,clear", nullptr, [](const std::string &) { EXPECT_EQ(gget_pix_mode(), 1); }},
    {"LoopWindowNew", "new", nullptr, [](const std::string &) { EXPECT_EQ(gget_pix_mode(), 2); }},
    {"ShadowDefault", "shadow=0", nullptr, [](const std::string &) { EXPECT_EQ(gget_font_drop(), 4); }},
    {"ShadowAlone", "shadow", nullptr, [](const std::string &) { EXPECT_EQ(gget_font_drop(), 4); }},
    {"Shadow", "shadow=2", nullptr, [](const std::string &) { EXPECT_EQ(gget_font_drop(), 2); }},
    {"MaxBad", "max_bad=-1", nullptr, [](const std::string &) { EXPECT_EQ(GRIB_get_max_bad(), 5); }},
    {"MaxBadValue", "max_bad=12", nullptr, [](const std::string &) { EXPECT_EQ(GRIB_get_max_bad(), 12); }},
    {"MinSize", "min_size=-1", nullptr, [](const std::string &) { EXPECT_EQ(FILE_get_min_size(), 0); }},
    {"MinSizeValue", "min_size=2048", nullptr,
     [](const std::string &) { EXPECT_EQ(FILE_get_min_size(), 2048); }},
    {"IndexFiles", "nohdr", nullptr, [](const std::string &) { EXPECT_EQ(GRD_get_use_hdr_file(), 0); }},
    {"GridFormat", "grdfmt=%8.2f", nullptr,
     [](const std::string &) { EXPECT_STREQ(GRD_get_format(), "%8.2f"); }},
    {"GridFormatTooShort", "grdfmt=", nullptr,
     [](const std::string &) { EXPECT_STREQ(GRD_get_format(), GRD_DEF_FORMAT); }},
    {"GridFormatRefused", "grdfmt=%s%s%n", nullptr,
     [](const std::string &err) {
         EXPECT_STREQ(GRD_get_format(), GRD_DEF_FORMAT);
         EXPECT_TRUE(has(err, "GRD_set_format: not one numeric conversion")) << err;
     }},
    {"DumpWords", "png,xwd=a.xwd,img,gif_big", nullptr,
     [](const std::string &) {
         EXPECT_EQ(PLT_get_dump(), dumps({PLT_DUMP_PNG, PLT_DUMP_XWD, PLT_DUMP_IMG, PLT_DUMP_GIF}));
     }},
    {"GifSettingsAreNoDumps", "gif_inter,gif_norm,gif_trans", nullptr,
     [](const std::string &) { EXPECT_EQ(PLT_get_dump(), 0); }},
    {"OutFileOverridesPlotParam", "gif", "png=out.png",
     [](const std::string &) { EXPECT_EQ(PLT_get_dump(), dumps({PLT_DUMP_PNG})); }},
    {"OutFileDumpsEveryKind", nullptr, "vyk,png=a.png,gif=a.gif,xwd=a.xwd,cdf",
     [](const std::string &) {
         EXPECT_EQ(PLT_get_dump(), dumps({PLT_DUMP_PNG, PLT_DUMP_GIF, PLT_DUMP_XWD}));
     }},
    {"OutFileWithoutImagesKeepsPlotParam", "xwd", "cdf,vyk",
     [](const std::string &) { EXPECT_EQ(PLT_get_dump(), dumps({PLT_DUMP_XWD})); }},
    {"UnknownWordsArePassedOver", "lower,labcomp,,nothing", nullptr,
     [](const std::string &err) {
         EXPECT_FALSE(has(err, "PLT_param_decode")) << err;
         EXPECT_EQ(PLT_get_dump(), 0);
     }},
};

class PltParam : public testing::TestWithParam<Row> {};

TEST_P(PltParam, KeywordsSetTheirComponents)
{
    const Row &r = GetParam();
    if (r.plot_param) RES_put("plot_param", r.plot_param);
    if (r.out_file) RES_put("out_file", r.out_file);
    CaptureStdio cap;
    EXPECT_EQ(PLT_param_decode(), 0);
    cap.finish();
    r.check(cap.err());
}

INSTANTIATE_TEST_SUITE_P(Rows, PltParam, testing::ValuesIn(rows),
                         [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

}  // namespace
