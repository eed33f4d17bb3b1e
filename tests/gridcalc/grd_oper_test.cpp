// Whole-grid operations: mosaics (sizes, the first piece kept in place on latitude-longitude
// and projected grids, pasting and its bounds), remapping (a linear field comes through exact;
// output onto the input), cut-offs, scaling, offsets, unit conversion and calculator labels.
#include <gtest/gtest.h>

#include "grd_fixture.h"
#include "test_util.h"
#include "grd_oper.h"
#include "vykplot.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using grdtest::Grid;

namespace {

// The latitude and longitude of grid point (i, j) of a domain.
void place_of(const Domain &d, float i, float j, float &lat, float &lon)
{
    Domain keep;
    MAP_get_domain(&keep);
    MAP_domain(&d);
    float x = 0, y = 0;
    MAP_grid_tran(i, j, &x, &y);
    MAP_untran(x, y, &lat, &lon);
    MAP_domain(&keep);
}

float linear(float lat, float lon) { return 2.0f * lat - 0.5f * lon + 3.0f; }

}  // namespace

TEST(GrdOper, MosaicsKeepTheFirstPieceInPlace)
{
    struct Case {
        const char *domain;  // the piece's georeference
    };
    const Case cases[] = {{"ll,40,-100,11,9,0.5,0.5"}, {"ps:90:-105:60,45,-100,11,9,0.8,0.8"},
                          {"lc:40:-100:30:60,40,-95,11,9,1.2,1.2"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.domain);
        Grid piece(11, 9);
        ASSERT_GT(DOM_decode(c.domain, &piece.r.domain), 0);
        GRD_report mosaic{};
        GRD_init(&mosaic);
        ASSERT_EQ(GRD_piece_setup(&mosaic, 2, 2, &piece.r), 0);
        EXPECT_EQ(mosaic.domain.nx, 21);
        EXPECT_EQ(mosaic.domain.ny, 17);
        EXPECT_NE(mosaic.grid, piece.r.grid);
        for (int k = 0; k < 21 * 17; k++) ASSERT_EQ(mosaic.grid[k], VYK_MISS);
        // The top-left point of the mosaic is the piece's, and so is the piece's last point.
        for (const auto &pt : {std::pair<float, float>{0, 0}, {10, 8}}) {
            float la = 0, lo = 0, pla = 0, plo = 0;
            place_of(piece.r.domain, pt.first, pt.second, pla, plo);
            place_of(mosaic.domain, pt.first, pt.second, la, lo);
            EXPECT_NEAR(la, pla, 1e-3);
            EXPECT_NEAR(lo, plo, 1e-3);
        }
        GRD_free(&mosaic);
    }
    // On a latitude-longitude grid the arithmetic is plain degrees.
    Grid piece(11, 9);
    ASSERT_GT(DOM_decode("ll,40,-100,11,9,0.5,0.5", &piece.r.domain), 0);
    GRD_report m{};
    GRD_init(&m);
    GRD_piece_setup(&m, 3, 2, &piece.r);
    EXPECT_FLOAT_EQ(m.domain.clat, 40 + 2 - 4);
    EXPECT_FLOAT_EQ(m.domain.clon, -100 - 2.5f + 7.5f);
    GRD_free(&m);
    // Counts below one or a mosaic beyond every size are refused.
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRD_piece_setup(&m, 0, 2, &piece.r), -1);
    EXPECT_EQ(GRD_piece_setup(&m, 1000000, 1000000, &piece.r), -1);
    cap.finish();
    EXPECT_NE(cap.err().find("Invalid mosaic"), std::string::npos);
}

TEST(GrdOper, PiecesPasteAndRefuseWhatDoesNotFit)
{
    Grid piece(3, 2);
    GRD_report mosaic{};
    GRD_init(&mosaic);
    ASSERT_EQ(GRD_piece_setup(&mosaic, 2, 3, &piece.r), 0);  // 5 by 4
    for (int p = 0; p < 6; p++) {
        for (int k = 0; k < 6; k++) piece.r.grid[k] = static_cast<float>(10 * p + k);
        EXPECT_EQ(GRD_piece_grid(&mosaic, p % 2, p / 2, &piece.r), 0);
    }
    const float want[20] = {0,  1,  10, 11, 12, 20, 21, 30, 31, 32,
                            40, 41, 50, 51, 52, 43, 44, 53, 54, 55};
    for (int k = 0; k < 20; k++) EXPECT_EQ(mosaic.grid[k], want[k]) << k;
    EXPECT_EQ(GRD_piece_grid(&mosaic, 2, 0, &piece.r), -1);
    EXPECT_EQ(GRD_piece_grid(&mosaic, 0, 3, &piece.r), -1);
    EXPECT_EQ(GRD_piece_grid(&mosaic, -1, 0, &piece.r), -1);
    Grid big(6, 2);
    EXPECT_EQ(GRD_piece_grid(&mosaic, 0, 0, &big.r), -1);
    GRD_free(&mosaic);

    // Enlarged in place: the values it held become the first piece.
    Grid self(3, 2, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(GRD_piece_setup(&self.r, 2, 1, nullptr), 0);
    ASSERT_EQ(self.r.domain.nx, 5);
    ASSERT_EQ(self.r.domain.ny, 2);
    const float first[10] = {1, 2, 3, VYK_MISS, VYK_MISS, 4, 5, 6, VYK_MISS, VYK_MISS};
    for (int k = 0; k < 10; k++) EXPECT_EQ(self.r.grid[k], first[k]) << k;
    // A record without values only changes its description.
    GRD_report bare{};
    GRD_init(&bare);
    bare.domain = piece.r.domain;
    EXPECT_EQ(GRD_piece_setup(&bare, 2, 2, nullptr), 0);
    EXPECT_EQ(bare.domain.nx, 5);
    EXPECT_EQ(bare.grid, nullptr);
}

TEST(GrdOper, RemappingCarriesALinearFieldExactly)
{
    Grid in(21, 15);
    ASSERT_GT(DOM_decode("ll,45,-100,21,15,1,1", &in.r.domain), 0);
    in.r.time = 6;
    strfcpy(in.r.units, "K");
    for (int j = 0; j < 15; j++)
        for (int i = 0; i < 21; i++) {
            float lat = 0, lon = 0;
            place_of(in.r.domain, static_cast<float>(i), static_cast<float>(j), lat, lon);
            in.at(i, j) = linear(lat, lon);
        }
    in.at(0, 0) = VYK_MISS;
    for (const char *text : {"ll,45,-100,21,15,1,1", "ll,44.3,-97.2,9,7,0.7,0.6",
                             "ps:90:-105:60,47,-95,12,10,0.5,0.5", "ll,80,60,4,3,1,1"}) {
        SCOPED_TRACE(text);
        Domain out_dom;
        ASSERT_GT(DOM_decode(text, &out_dom), 0);
        GRD_report out{};
        GRD_init(&out);
        ASSERT_EQ(GRD_remap(&out, &out_dom, &in.r), 0);
        EXPECT_STREQ(out.units, "K");
        EXPECT_EQ(out.domain.nx, out_dom.nx);
        int present = 0;
        for (int j = 0; j < out_dom.ny; j++)
            for (int i = 0; i < out_dom.nx; i++) {
                float lat = 0, lon = 0;
                place_of(out_dom, static_cast<float>(i), static_cast<float>(j), lat, lon);
                const float got = out.grid[i + j * out_dom.nx];
                const bool inside = lat >= 38 - 1e-3 && lat <= 52 + 1e-3 && lon >= -110 - 1e-3 &&
                                    lon <= -90 + 1e-3 && !(lat > 51 && lon < -109);
                if (!inside) {
                    EXPECT_EQ(got, VYK_MISS) << lat << " " << lon;
                    continue;
                }
                if (got == VYK_MISS) continue;  // within a cell of the missing corner or an edge
                present++;
                EXPECT_NEAR(got, linear(lat, lon), 5e-3) << lat << " " << lon;
            }
        if (std::strncmp(text, "ll,80", 5) != 0) {
            EXPECT_GT(present, out_dom.nx * out_dom.ny / 2);
        }
        // The current map is left on the input's domain.
        Domain cur;
        MAP_get_domain(&cur);
        EXPECT_EQ(DOM_comp(&cur, &in.r.domain), 1);
        GRD_free(&out);
    }
    // Onto itself: the same values, the input's array released once.
    GRD_report self{};
    GRD_init(&self);
    GRD_remap(&self, &in.r.domain, &in.r);  // a copy to work on
    const float before = self.grid[5 + 3 * 21];
    ASSERT_EQ(GRD_remap(&self, &in.r.domain, &self), 0);
    EXPECT_EQ(self.grid[5 + 3 * 21], before);
    GRD_free(&self);
}

TEST(GrdOper, CutoffsScalesOffsetsAndUnits)
{
    const std::vector<float> values = {-5, 0, 2, 2.5f, VYK_MISS, 7};
    struct Case {
        const char *cmd;
        std::vector<float> want;
        bool warned;
    };
    const Case cases[] = {
        {"lower", {-1, -1, 2, 2.5f, VYK_MISS, 7}, false},
        {"LOWER", {-1, -1, 2, 2.5f, VYK_MISS, 7}, false},
        {"Higher", {-5, 0, 2, -1, VYK_MISS, -1}, false},
        {"between", values, true},
        {nullptr, values, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cmd ? c.cmd : "NULL");
        Grid in(3, 2, values);
        GRD_report out{};
        GRD_init(&out);
        vyktest::CaptureStdio cap;
        ASSERT_EQ(GRD_cutoff(&out, c.cmd, 2, -1, &in.r), 0);
        cap.finish();
        ASSERT_NE(out.grid, nullptr);
        EXPECT_NE(out.grid, in.r.grid);
        for (int k = 0; k < 6; k++) EXPECT_EQ(out.grid[k], c.want[static_cast<size_t>(k)]) << k;
        EXPECT_EQ(cap.err().find("Unknown command") != std::string::npos, c.warned) << cap.err();
        GRD_free(&out);
        // Output onto the input.
        ASSERT_EQ(GRD_cutoff(&in.r, c.cmd, 2, -1, &in.r), 0);
        for (int k = 0; k < 6; k++) EXPECT_EQ(in.r.grid[k], c.want[static_cast<size_t>(k)]) << k;
    }
    Grid g(3, 2, values);
    GRD_scale(&g.r, 2);
    GRD_offset(&g.r, 1);
    const float scaled[6] = {-9, 1, 5, 6, VYK_MISS, 15};
    for (int k = 0; k < 6; k++) EXPECT_EQ(g.r.grid[k], scaled[k]);

    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    Grid t(2, 1, {20, VYK_MISS});
    strfcpy(t.r.units, "C");
    strfcpy(t.r.info, "Temperature (C)");
    EXPECT_EQ(GRD_units(&t.r, "K"), 0);
    EXPECT_FLOAT_EQ(t.r.grid[0], 293.15f);
    EXPECT_EQ(t.r.grid[1], VYK_MISS);
    EXPECT_STREQ(t.r.units, "K");
    EXPECT_STREQ(t.r.info, "Temperature (K)");
    // Units that do not convert change nothing (the values are not all made missing).
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRD_units(&t.r, "furlongs"), -1);
    cap.finish();
    EXPECT_FLOAT_EQ(t.r.grid[0], 293.15f);
    EXPECT_STREQ(t.r.units, "K");
    EXPECT_NE(cap.err().find("GRD_units: Unable to convert K to furlongs"), std::string::npos) << cap.err();
    EXPECT_EQ(GRD_units(&t.r, ""), 0);
    EXPECT_STREQ(t.r.units, "K");
    GRD_report none{};
    GRD_init(&none);
    EXPECT_EQ(GRD_units(&none, "K"), -1);
}

TEST(GrdOper, CalculatorResultLabels)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    Grid g(2, 2);
    strfcpy(g.r.info, "old");
    strfcpy(g.r.datim, "old date");
    const char *dashes[] = {"add", "-", "-"};
    GRD_set_math_info(&g.r, dashes, 3, 1);
    EXPECT_STREQ(g.r.info, "old");
    EXPECT_STREQ(g.r.datim, "old date");
    const std::string long_word(100, 'w');
    const char *words[] = {"add", long_word.c_str(), "12Z forecast"};
    GRD_set_math_info(&g.r, words, 3, 1);
    EXPECT_EQ(std::strlen(g.r.info), 69u);
    EXPECT_STREQ(g.r.datim, "12Z forecast");
    // "v=" names the variable; the description is rebuilt from it.
    g.r.time = 0;
    g.r.ltype = 100;
    g.r.level = 500;
    const char *var[] = {"V=tmp"};
    GRD_set_math_info(&g.r, var, 1, 0);
    EXPECT_EQ(g.r.var, 11);
    EXPECT_NE(std::string(g.r.info).find("emperature"), std::string::npos) << g.r.info;
    char key[FILE_KEY_MAX + 1];
    FILE_get_key('v', key);
    EXPECT_STREQ(key, "tmp");
    // Words past the count are not read.
    GRD_set_math_info(&g.r, var, 0, 0);
    GRD_set_math_info(&g.r, var, 1, 5);
}
