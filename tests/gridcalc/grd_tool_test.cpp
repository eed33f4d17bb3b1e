// The grid record and the table of 60 grids: first use, slot numbers, copies and ownership of
// the values (under the address sanitizer: a copy never releases the original's values, and
// every array is released once), allocation sizes, refinement, labels and printing.
#include <gtest/gtest.h>

#include "grd_fixture.h"
#include "test_util.h"
#include "grd_tool.h"
#include "vykvar.h"

#include <cstdlib>
#include <cstring>
#include <string>

using grdtest::Grid;

TEST(GrdTool, FirstUseEmptiesTheTableOnce)
{
    GRD_report *g = GRD_get_grid(5);
    ASSERT_NE(g, nullptr);
    for (int i = 0; i < GRD_NUM; i++) {
        const GRD_report *s = GRD_get_grid(i);
        EXPECT_EQ(s->type, 0);
        EXPECT_EQ(s->source, 0);
        EXPECT_EQ(s->time, VYK_MISS);
        EXPECT_EQ(s->ltype, VYK_MISS);
        EXPECT_EQ(s->level, VYK_MISS);
        EXPECT_EQ(s->var, VYK_MISS);
        EXPECT_EQ(s->grid, nullptr);
    }
    g->time = 12;
    EXPECT_EQ(GRD_get_grids() + 5, GRD_get_grid(5));
    EXPECT_EQ(GRD_get_grid(5)->time, 12);  // not emptied again
    GRD_init_grids();
    EXPECT_EQ(GRD_get_grid(5)->time, VYK_MISS);
}

TEST(GrdTool, SlotNumbersAreChecked)
{
    GRD_report rec{};
    GRD_init(&rec);
    Domain dom;
    DOM_init(&dom);
    for (int ind : {-1, 60, 1000, -9999}) {
        SCOPED_TRACE(ind);
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_get_grid(ind), nullptr);
        EXPECT_EQ(GRD_set_grid(ind, &rec), -1);
        EXPECT_EQ(GRD_set_grid_info(ind, "text"), -1);
        EXPECT_STREQ(GRD_get_grid_info(ind), "");
        EXPECT_EQ(GRD_set_grid_date(ind, nullptr, "label"), -1);
        EXPECT_EQ(GRD_set_grid_domain(ind, &dom), -1);
        EXPECT_EQ(GRD_get_grid_domain(ind, &dom), -1);
        EXPECT_EQ(GRD_set_var(ind), -1);
        EXPECT_EQ(GRD_alloc_grid(ind), 0);
        cap.finish();
        EXPECT_NE(cap.err().find("GRD_get_grid: Invalid grid slot: " + std::to_string(ind)),
                  std::string::npos) << cap.err();
        EXPECT_NE(cap.err().find("GRD_alloc_grid: Invalid grid slot"), std::string::npos);
    }
    EXPECT_NE(GRD_get_grid(0), nullptr);
    EXPECT_NE(GRD_get_grid(59), nullptr);
}

// Every array below is released exactly once: the leak checker and the address sanitizer of
// the test build see to the rest.
TEST(GrdTool, CopiesShareValuesAndOnlyTheOwnerReleasesThem)
{
    Grid a(4, 3);
    GRD_report copy{};
    GRD_copy(&copy, &a.r);
    EXPECT_EQ(copy.grid, a.r.grid);
    copy.grid[5] = 42;
    EXPECT_EQ(a.r.grid[5], 42);  // one array seen through both
    GRD_free(&copy);             // the copy lets go, the values stay
    EXPECT_EQ(copy.grid, nullptr);
    EXPECT_EQ(copy.source, 0);
    EXPECT_EQ(copy.domain.nx, VYK_MISS);
    EXPECT_EQ(a.r.grid[5], 42);

    // A move hands the array over: the source is empty and freeing it releases nothing.
    GRD_report moved{};
    GRD_move(&moved, &a.r);
    EXPECT_EQ(a.r.grid, nullptr);
    EXPECT_EQ(a.r.time, VYK_MISS);
    EXPECT_EQ(moved.grid[5], 42);
    GRD_free(&a.r);
    EXPECT_EQ(moved.grid[5], 42);
    GRD_free(&moved);

    // The table shares as well: a slot holding a copy never releases it.
    Grid b(3, 3);
    ASSERT_EQ(GRD_set_grid(7, &b.r), 0);
    GRD_free(GRD_get_grid(7));
    b.r.grid[8] = 1;
    // A slot's own array is released by the slot.
    GRD_set_grid_domain(8, &b.r.domain);
    GRD_alloc_grid(8);
    ASSERT_NE(GRD_get_grid(8)->grid, nullptr);
    GRD_get_grid(8)->grid[8] = 2;
    GRD_free(GRD_get_grid(8));

    // An array that came from elsewhere belongs to the record it was copied from.
    GRD_report outside{};
    GRD_init(&outside);
    outside.domain = b.r.domain;
    outside.grid = static_cast<float *>(std::malloc(9 * sizeof(float)));
    GRD_report twin{};
    GRD_copy(&twin, &outside);
    GRD_free(&twin);
    outside.grid[0] = 3;
    GRD_free(&outside);
    EXPECT_EQ(outside.grid, nullptr);
}

TEST(GrdTool, InitKeepsTheDomainAndAllocRefusesBadSizes)
{
    Grid g(5, 4);
    float *mine = g.r.grid;
    g.r.source = 7;
    g.r.time = 3;
    strfcpy(g.r.units, "K");
    GRD_init(&g.r);
    EXPECT_EQ(g.r.grid, nullptr);
    EXPECT_EQ(g.r.source, 0);
    EXPECT_EQ(g.r.time, VYK_MISS);
    EXPECT_STREQ(g.r.units, "K");
    EXPECT_EQ(g.r.domain.nx, 5);
    ASSERT_EQ(GRD_alloc(&g.r), 1);  // the old size
    for (int k = 0; k < 20; k++) g.r.grid[k] = 1;
    std::free(mine);  // GRD_init dropped it without releasing: the caller owned it

    struct Case {
        int nx, ny;
    };
    const Case bad[] = {{0, 5}, {5, 0}, {-3, 4}, {VYK_MISS, 4}, {65536, 65536}, {INT32_MAX, 2}};
    for (const Case &c : bad) {
        SCOPED_TRACE(testing::Message() << c.nx << " x " << c.ny);
        GRD_report r{};
        GRD_init(&r);
        r.domain.nx = c.nx;
        r.domain.ny = c.ny;
        vyktest::CaptureStdio cap;
        EXPECT_EQ(GRD_alloc(&r), 0);
        cap.finish();
        EXPECT_EQ(r.grid, nullptr);
        EXPECT_NE(cap.err().find("GRD_alloc: Invalid grid size"), std::string::npos) << cap.err();
    }
}

TEST(GrdTool, RefinementFactorRefinesSlotDomains)
{
    EXPECT_EQ(GRD_get_grid_factor(), 1);
    GRD_set_grid_factor(0);
    GRD_set_grid_factor(-3);
    EXPECT_EQ(GRD_get_grid_factor(), 1);
    Domain d;
    DOM_init(&d);
    d.proj = 1;
    d.clat = 45;
    d.clon = -100;
    struct Case {
        int factor, nx, ny;
        float dx;
        int rnx, rny;
        float rdx;
    };
    const Case cases[] = {
        {1, 10, 7, 0.9f, 10, 7, 0.9f},
        {3, 10, 7, 0.9f, 28, 19, 0.3f},
        {2, 93, 65, 0.8f, 185, 129, 0.4f},
        {2, 1, 1, 0.8f, 1, 1, 0.4f},
    };
    for (const Case &c : cases) {
        GRD_set_grid_factor(c.factor);
        d.nx = c.nx;
        d.ny = c.ny;
        d.dx = d.dy = c.dx;
        GRD_get_grid(2)->source = 9;
        ASSERT_EQ(GRD_set_grid_domain(2, &d), 0);
        Domain out;
        GRD_get_grid_domain(2, &out);
        EXPECT_EQ(out.nx, c.rnx);
        EXPECT_EQ(out.ny, c.rny);
        EXPECT_FLOAT_EQ(out.dx, c.rdx);
        EXPECT_FLOAT_EQ(out.dy, c.rdx);
        EXPECT_EQ(out.clat, 45);  // centre and projection stay
        EXPECT_EQ(out.proj, 1);
        EXPECT_EQ(GRD_get_grid(2)->source, 0);
    }
    // A factor that would overflow the point count keeps the grid as it is.
    GRD_set_grid_factor(100000000);
    d.nx = 1000;
    vyktest::CaptureStdio cap;
    GRD_set_grid_domain(3, &d);
    cap.finish();
    EXPECT_EQ(GRD_get_grid(3)->domain.nx, 1000);
    EXPECT_NE(cap.err().find("too large"), std::string::npos);
}

TEST(GrdTool, LabelsDescriptionsAndPrinting)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    const std::string long_text(100, 'x');
    GRD_set_grid_info(4, long_text.c_str());
    EXPECT_EQ(std::strlen(GRD_get_grid_info(4)), 69u);
    Date date{};
    date.year = 2024;
    date.month = 5;
    date.day = 6;
    GRD_set_grid_date(4, &date, long_text.c_str());
    EXPECT_EQ(GRD_get_grid(4)->date.year, 2024);
    EXPECT_EQ(std::strlen(GRD_get_grid(4)->datim), 49u);
    GRD_set_grid_date(4, nullptr, "12Z");
    EXPECT_STREQ(GRD_get_grid(4)->datim, "12Z");
    EXPECT_EQ(GRD_get_grid(4)->date.year, 2024);

    // The variable slot's codes and units go into the grid slot.
    VAR_data *v = VAR_get_var(4);
    ASSERT_NE(v, nullptr);
    v->var[0] = 11;
    v->time = 6;
    v->ltype = 100;
    v->level = 500;
    strfcpy(v->units, "C");
    ASSERT_EQ(GRD_set_var(4), 0);
    GRD_report *g = GRD_get_grid(4);
    EXPECT_EQ(g->var, 11);
    EXPECT_EQ(g->time, 6);
    EXPECT_EQ(g->level, 500);
    EXPECT_STREQ(g->units, "C");

    // Kind 0 fills the empty labels in the record before printing them.
    g->info[0] = '\0';
    g->datim[0] = '\0';
    vyktest::CaptureStdio cap;
    GRD_print_info(M_PRINT, g, 0);
    GRD_print_info(M_PRINT, g, 1);
    g->domain.proj = 2;
    g->domain.clat = 40;
    g->domain.clon = -100;
    g->domain.nx = 3;
    g->domain.ny = 2;
    g->domain.dx = g->domain.dy = 0.5f;
    GRD_print_info(M_PRINT, g, 2);
    GRD_print_info(M_PRINT, g, 7);
    cap.finish();
    EXPECT_NE(g->info[0], '\0');
    EXPECT_NE(g->datim[0], '\0');
    EXPECT_NE(cap.out().find(std::string(g->datim) + "-" + g->info + "\n"), std::string::npos) << cap.out();
    EXPECT_NE(cap.out().find("Model: 0 Ltype: 100 Level: 500 Var: 11 [C] Hour: 6 Grid: 0\n"),
              std::string::npos) << cap.out();
    EXPECT_NE(cap.out().find("Proj: 2 Lat: 40.00 Lon: -100.00 NX: 3 NY: 2 DX: 0.50 DY: 0.50\n"),
              std::string::npos) << cap.out();

    // The description without the values; the file header for output.
    GRD_report info_copy{};
    GRD_init(&info_copy);
    info_copy.time = 99;
    GRD_copy_info(&info_copy, g);
    EXPECT_EQ(info_copy.time, 99);
    EXPECT_STREQ(info_copy.units, "C");
    EXPECT_EQ(info_copy.domain.nx, 3);
    EXPECT_EQ(info_copy.grid, nullptr);
    GRD_info header{};
    strfcpy(header.datim, "kept");
    GRD_set_info(&header, &date, &g->domain);
    EXPECT_EQ(header.max_x, 3);
    EXPECT_EQ(header.max_y, 2);
    EXPECT_EQ(header.date.day, 6);
    EXPECT_STREQ(header.datim, "kept");
    // A derived grid's description names the function.
    GRD_make_devtype(&info_copy, g, "gradient");
    EXPECT_NE(std::string(info_copy.info).find("gradient"), std::string::npos) << info_copy.info;
}
