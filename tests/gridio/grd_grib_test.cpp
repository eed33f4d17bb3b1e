// GRIB products through the grid-file contract: raw copies of a product (a field of a message
// of several fields copied out as a message of its own, as eccodes' grib_copy writes it) and
// the raw copy that GRD_write makes, which never passes a computed grid off as GRIB; the
// fields of a message read by turns with another file, or directly, with the sections they
// inherit; a contour plot of an edition-2 field.
#include <gtest/gtest.h>

#include "grib_fixture.h"
#include "image_util.h"
#include "test_util.h"
#include "grib.h"
#include "vykresrc.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

/// The raw copy of the current product, or "" when there is none.
std::string raw(int slot)
{
    unsigned char *data = nullptr;
    long size = 0;
    if (GRIB_get_raw(slot, &data, &size) < 0 || !data) return "";
    std::string s(reinterpret_cast<char *>(data), size_t(size));
    delete[] data;
    return s;
}

/// A record holding octets as its values, as a raw copy is handed to GRD_write.
void hold_octets(gribtest::Rec &rec, const std::string &octets)
{
    GRD_free(&rec.r);
    DOM_init(&rec.r.domain);
    rec.r.domain.nx = int((octets.size() + sizeof(float) - 1) / sizeof(float));
    rec.r.domain.ny = 1;
    ASSERT_EQ(GRD_alloc(&rec.r), 1);
    std::memset(rec.r.grid, 0, size_t(rec.r.domain.nx) * sizeof(float));
    std::memcpy(rec.r.grid, octets.data(), octets.size());
    rec.r.source = int(octets.size());
}

}  // namespace

/// Fields of a message of 16 copied out one by one equal what eccodes copies for them, and
/// decode to the same values as the field read in place.
TEST(GrdGrib, RawCopyOfAFieldOfAMessageOfSeveral)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    vyktest::TempDir dir;
    const std::string file = gribtest::corpus(dir, gribtest::JMA_16_FIELDS);
    struct Case {
        int product;
        const char *where;  // eccodes' selection of the same field
    };
    const Case cases[] = {
        {0, "stepRange=3,parameterNumber=192"},   // the first field
        {3, "stepRange=6,parameterNumber=193"},   // a field in the middle
        {15, "stepRange=24,parameterNumber=193"}, // the last field
    };
    gribtest::Open g(file);
    ASSERT_EQ(g.info_result, 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.where);
        gribtest::Rec rec;
        int num = c.product;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
        const std::string copy = raw(g.slot);
        const std::string want = dir.file("want.grib2");
        const vyktest::RunResult r = vyktest::run("grib_copy -w " + std::string(c.where) + " " +
                                                  vyktest::quote(file) + " " +
                                                  vyktest::quote(want));
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string eccodes = gribtest::octets(want);
        EXPECT_EQ(copy.size(), eccodes.size());
        EXPECT_TRUE(copy == eccodes) << "the copy differs from eccodes' from octet "
                                     << std::mismatch(copy.begin(), copy.end(), eccodes.begin(),
                                                      eccodes.end()).first - copy.begin();
        // The copy read by itself: one product, the same values.
        const std::string one = dir.file("one.grib2");
        gribtest::put_octets(one, copy);
        gribtest::Open o(one);
        ASSERT_EQ(o.info_result, 0);
        EXPECT_EQ(gribtest::count_products(o.slot), 1);
        gribtest::Rec again;
        int first = 0;
        ASSERT_EQ(GRD_read(o.slot, &again.r, GRD_READ_VALUES, &first), 0);
        EXPECT_EQ(again.r.var, rec.r.var);
        EXPECT_EQ(again.r.time, rec.r.time);
        const size_t n = size_t(rec.r.domain.nx) * size_t(rec.r.domain.ny);
        ASSERT_EQ(size_t(again.r.domain.nx) * size_t(again.r.domain.ny), n);
        EXPECT_EQ(std::memcmp(again.r.grid, rec.r.grid, n * sizeof(float)), 0);
        // The stream still stands on the product read: it reads again the same.
        num = c.product;
        ASSERT_EQ(GRD_read(g.slot, &again.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(std::memcmp(again.r.grid, rec.r.grid, n * sizeof(float)), 0);
    }
}

/// A field that borrows the bit map of the field before it is copied out with that bit map.
TEST(GrdGrib, RawCopyOfAFieldThatBorrowsABitMap)
{
    vyktest::TempDir dir;
    const std::string a = dir.file("a.grib2");
    std::vector<double> v(16 * 31);
    for (size_t i = 0; i < v.size(); i++) v[i] = (i % 7 == 3) ? gribtest::MISSING : double(i);
    gribtest::make(a, gribtest::sample("GRIB2"), "", "", v, "", true);
    const std::vector<std::string> s = gribtest::sections(gribtest::octets(a));
    ASSERT_GT(s[6].size(), 6u);
    ASSERT_EQ(static_cast<unsigned char>(s[6][5]), 0);  // a bit map of its own
    std::string borrow = s[6].substr(0, 6);
    borrow[3] = 6;  // the section's length
    borrow[5] = char(254);
    const std::string two = dir.file("two.grib2");
    gribtest::put_octets(two, gribtest::message(s[0], {s[1], s[3], s[4], s[5], s[6], s[7], s[4],
                                                       s[5], borrow, s[7]}));
    gribtest::Open g(two);
    gribtest::Rec rec;
    int num = 1;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
    // The header-only pass over field 0 read its bit map: the missing points of field 1 are
    // where the bit map puts them.
    ASSERT_NE(rec.r.grid, nullptr);
    size_t missing = 0;
    for (size_t i = 0; i < v.size(); i++) missing += rec.r.grid[i] == -9999.0f ? 1 : 0;
    EXPECT_EQ(missing, size_t(std::count(v.begin(), v.end(), gribtest::MISSING)));
    const std::string copy = raw(g.slot);
    EXPECT_TRUE(copy == gribtest::octets(a));  // the message the two fields were made of
}

/// A later field of a message whose grid is refused is passed over; the messages after it are
/// still read.
TEST(GrdGrib, ARefusedLaterFieldLeavesTheNextMessagesReadable)
{
    vyktest::TempDir dir;
    const std::string a = dir.file("a.grib2");
    gribtest::make(a, gribtest::sample("GRIB2"), "", "", std::vector<double>(16 * 31, 1.0), "",
                   false);
    const std::string one = gribtest::octets(a);
    const std::vector<std::string> s = gribtest::sections(one);
    ASSERT_GT(s[3].size(), 38u);
    std::string refused = s[3];  // template 3.0 with 2^31 - 1 points a row: a grid refused
    refused[30] = char(0x7F);
    refused[31] = refused[32] = refused[33] = char(0xFF);
    const std::string two = dir.file("two.grib2");
    gribtest::put_octets(two, gribtest::message(s[0], {s[1], s[3], s[4], s[5], s[6], s[7], refused,
                                                       s[4], s[5], s[6], s[7]}) + one);
    gribtest::Open g(two);
    ASSERT_GE(g.slot, 0);
    vyktest::CaptureStdio cap;  // the refusal's warning
    EXPECT_EQ(gribtest::count_products(g.slot), 2);
}

namespace {

/// Values of eccodes' 16 by 31 sample with every 7th missing (offset: where the others start).
std::vector<double> sample_values(double offset)
{
    std::vector<double> v(16 * 31);
    for (size_t i = 0; i < v.size(); i++)
        v[i] = (i % 7 == 3) ? gribtest::MISSING : offset + double(i);
    return v;
}

/// A message of two fields on eccodes' 16 by 31 latitude-longitude sample: field 0 with a bit
/// map of its own, field 1 (another parameter, other values) borrowing it (indicator 254).
std::string two_field_message(const vyktest::TempDir &dir)
{
    const std::string a = dir.file("f0.grib2"), b = dir.file("f1.grib2");
    gribtest::make(a, gribtest::sample("GRIB2"), "", "", sample_values(100), "", true);
    gribtest::make(b, gribtest::sample("GRIB2"), "parameterNumber=2", "", sample_values(500), "",
                   true);
    const std::vector<std::string> s = gribtest::sections(gribtest::octets(a));
    const std::vector<std::string> t = gribtest::sections(gribtest::octets(b));
    std::string borrow = s[6].substr(0, 6);
    borrow[3] = 6;  // the section's length
    borrow[5] = char(254);
    return gribtest::message(s[0], {s[1], s[3], s[4], s[5], s[6], s[7], t[4], t[5], borrow, t[7]});
}

/// The header of a product as the codes and domain it was read with.
std::string header(const GRD_report &g)
{
    char b[400];
    std::snprintf(b, sizeof b, "v%d s%d m%d type%d t%d l%d/%d var%d %s %04d%02d%02d%02d%02d "
                  "dom %d %d %d %.4f %.4f %.4f %.4f",
                  g.version, g.source, g.model, g.type, g.time, g.ltype, g.level, g.var, g.units,
                  g.date.year, g.date.month, g.date.day, g.date.hour, g.date.min, g.domain.proj,
                  g.domain.nx, g.domain.ny, double(g.domain.clat), double(g.domain.clon),
                  double(g.domain.dx), double(g.domain.dy));
    return b;
}

std::vector<float> grid_values(const GRD_report &g)
{
    if (!g.grid || g.domain.nx <= 0 || g.domain.ny <= 0) return {};
    return std::vector<float>(g.grid, g.grid + size_t(g.domain.nx) * size_t(g.domain.ny));
}

}  // namespace

/// Two files read by turns: the second field of a message of file A, then a field of file B
/// (another grid, another bit map), then A's field again.  A's field comes back as it was read
/// first: on A's grid, with A's bit map, with the same header.
TEST(GrdGrib, FilesReadByTurnsKeepTheirOwnMessages)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    vyktest::TempDir dir;
    const std::string a = dir.file("a.grib2"), b = dir.file("b.grib2");
    gribtest::put_octets(a, two_field_message(dir));
    ASSERT_EQ(gribtest::keys(a, "parameterNumber"), "0\n2\n");
    std::vector<double> bv(8 * 6);
    for (size_t i = 0; i < bv.size(); i++) bv[i] = (i % 5 == 1) ? gribtest::MISSING : -double(i);
    gribtest::make(b, gribtest::sample("polar_stereographic_sfc_grib2"), "Nx=8,Ny=6", "", bv, "",
                   true);

    gribtest::Open fa(a), fb(b);
    ASSERT_EQ(fa.info_result, 0);
    ASSERT_EQ(fb.info_result, 0);
    gribtest::Rec ra, rb;
    int num = 1;
    ASSERT_EQ(GRD_read(fa.slot, &ra.r, GRD_READ_VALUES, &num), 0);
    const std::string want_head = header(ra.r);
    const std::vector<float> want = grid_values(ra.r);
    ASSERT_EQ(want.size(), 16u * 31u);
    EXPECT_EQ(std::count(want.begin(), want.end(), -9999.0f), 16 * 31 / 7 + 1);
    EXPECT_NEAR(*std::max_element(want.begin(), want.end()), 500.0 + 16 * 31 - 1, 0.5);

    num = 0;
    ASSERT_EQ(GRD_read(fb.slot, &rb.r, GRD_READ_VALUES, &num), 0);
    ASSERT_EQ(rb.r.domain.nx, 8);
    ASSERT_EQ(rb.r.domain.proj, DOM_PSTEREO);

    for (int rep_type : {GRD_READ_HEADER, GRD_READ_VALUES}) {
        SCOPED_TRACE(rep_type);
        gribtest::Rec again;
        num = 1;
        ASSERT_EQ(GRD_read(fa.slot, &again.r, rep_type, &num), 0);
        EXPECT_EQ(header(again.r), want_head);
        if (rep_type == GRD_READ_VALUES) {
            EXPECT_TRUE(grid_values(again.r) == want);
        }
        // B's next read is its first product again, unchanged.
        num = 0;
        gribtest::Rec b_again;
        ASSERT_EQ(GRD_read(fb.slot, &b_again.r, GRD_READ_VALUES, &num), 0);
        EXPECT_EQ(header(b_again.r), header(rb.r));
        EXPECT_TRUE(grid_values(b_again.r) == grid_values(rb.r));
    }
}

/// A later field of a message read directly (the fields before it skipped, into a fresh
/// record) has the header it has when every field is read in turn: its grid number, domain,
/// centre and date come from the message's sections.
TEST(GrdGrib, ALaterFieldReadDirectlyHasItsMessagesHeader)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    vyktest::TempDir dir;
    const std::string a = dir.file("a.grib2");
    gribtest::put_octets(a, two_field_message(dir));
    std::string in_turn;
    int grid_number = 0;
    {
        gribtest::Open g(a);
        gribtest::Rec rec;
        int num = 0;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), 0);
        grid_number = rec.r.type;
        num = 1;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_HEADER, &num), 0);
        in_turn = header(rec.r);
    }
    EXPECT_GT(grid_number, 0);
    for (int rep_type : {GRD_READ_HEADER, GRD_READ_HEADER_DATA, GRD_READ_VALUES}) {
        SCOPED_TRACE(rep_type);
        gribtest::Open g(a);
        gribtest::Rec rec;
        int num = 1;
        ASSERT_EQ(GRD_read(g.slot, &rec.r, rep_type, &num), 0);
        EXPECT_EQ(rec.r.type, grid_number);
        EXPECT_EQ(rec.r.domain.nx, 16);
        EXPECT_EQ(header(rec.r), in_turn);
    }
}

/// GRD_write of kind 21 writes a product copied out raw, unchanged; a computed grid, or a
/// record whose octets are not a whole GRIB message, is refused and nothing is written.
TEST(GrdGrib, WritingCopiesRawProductsAndRefusesComputedGrids)
{
    vyktest::TempDir dir;
    const std::string in = dir.file("in.grib2"), out = dir.file("out.grib2");
    std::vector<double> v(16 * 31);
    for (size_t i = 0; i < v.size(); i++) v[i] = double(i % 50);
    gribtest::make(in, gribtest::sample("GRIB2"), "", "", v);
    gribtest::Open g(in);
    ASSERT_EQ(g.info_result, 0);
    gribtest::Rec rec;
    int num = 0;
    ASSERT_EQ(GRD_read(g.slot, &rec.r, GRD_READ_VALUES, &num), 0);
    const std::string octets = raw(g.slot);
    ASSERT_EQ(octets, gribtest::octets(in));

    int kind = GRD_GRIB;
    const int o = GRD_open(out.c_str(), GRD_ACCESS_CREATE, &kind);
    ASSERT_GE(o, 0);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(GRD_write(o, &rec.r, 0, &num), -1);  // the decoded values
    gribtest::Rec cut;
    hold_octets(cut, octets.substr(0, octets.size() - 4));  // no end section
    EXPECT_EQ(GRD_write(o, &cut.r, 0, &num), -1);
    gribtest::Rec big;
    hold_octets(big, octets);
    big.r.source = int(octets.size()) + 64;  // more octets than the record holds
    EXPECT_EQ(GRD_write(o, &big.r, 0, &num), -1);
    cap.finish();
    EXPECT_EQ(vyktest::count(cap.err(), "computed grids are not written as GRIB"), 3)
        << cap.err();
    gribtest::Rec copy;
    hold_octets(copy, octets);
    EXPECT_EQ(GRD_write(o, &copy.r, 0, &num), 0);
    EXPECT_EQ(GRD_write(o, &copy.r, 0, &num), 0);
    EXPECT_EQ(GRD_close(o), 0);
    EXPECT_EQ(gribtest::octets(out), octets + octets);
    EXPECT_EQ(gribtest::keys(out, "count"), "1\n2\n");
}

/// A temperature field of edition 2 contours, filled, on PostScript that ghostscript renders.
TEST(GrdGrib, ContourPlotOfATemperatureField)
{
    vyktest::TempDir dir;
    const std::string file = dir.file("t.grib2"), ps = dir.file("t.ps");
    // eccodes' sample: temperature (K) on 16 x 31 points, 60 N to the equator, 0 to 30 E.
    std::vector<double> v;
    for (int j = 0; j < 31; j++)
        for (int i = 0; i < 16; i++)
            v.push_back(250.0 + 50.0 * j / 30.0 + 4.0 * std::sin(i / 2.5));
    gribtest::make(file, gribtest::sample("GRIB2"), "", "", v);
    ASSERT_EQ(gribtest::keys(file, "shortName,units"), "t K\n");
    const vyktest::RunResult r = vyktest::run(
        "env -u DISPLAY " + vyktest::quote(vyktest::tool("cont_demo")) + " -fp " +
        vyktest::quote(VYK_SOURCE_DIR "/etc") + " -de P," + vyktest::quote(ps) +
        " -fm lcf -in 5 " + vyktest::quote(file));
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(vyktest::has(r.out, "grid 16 31 ")) << r.out;
    EXPECT_TRUE(vyktest::has(r.out, "close 0")) << r.out;
    const vyktest::RunResult gs = vyktest::run(
        "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 -sOutputFile=- " + vyktest::quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.err;
    const vyktest::RgbImage page = vyktest::parse_ppm(gs.out);
    std::set<std::tuple<int, int, int>> colours;
    for (const vyktest::Rgb &c : page.rgb()) colours.insert({c.r, c.g, c.b});
    EXPECT_GT(colours.size(), 8u);  // the fill's colours between the levels
}
