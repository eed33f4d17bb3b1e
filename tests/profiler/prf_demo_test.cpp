// The README's main-job command, scripts/demo.sh, run as a user runs it (without a display: it
// starts a virtual one), on the programs of this build tree: it ends with status 0, says where
// its pictures are, and they are valid pictures with something drawn on them.
#include "image_util.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace {

using vyktest::has;
using vyktest::quote;
using vyktest::run;

/// Distinct colours of a picture.
size_t colours(const std::vector<vyktest::Rgb> &px)
{
    std::set<std::tuple<int, int, int>> seen;
    for (const vyktest::Rgb &c : px) seen.insert({c.r, c.g, c.b});
    return seen.size();
}

/// Pixels of a picture that differ from its most common colour.
size_t inked(const std::vector<vyktest::Rgb> &px)
{
    std::map<std::tuple<int, int, int>, size_t> count;
    size_t most = 0;
    for (const vyktest::Rgb &c : px) most = std::max(most, ++count[{c.r, c.g, c.b}]);
    return px.size() - most;
}

TEST(PrfDemo, ReadmeCommandWritesBothPicturesAsPngAndPostScript)
{
    vyktest::TempDir dir;
    const std::string out = dir.file("out");
    const auto r = run("env -u DISPLAY VYK_DEMO_BUILD=" + quote(VYK_BUILD_DIR) + " bash " +
                       quote(std::string(VYK_SOURCE_DIR) + "/scripts/demo.sh") + " " + quote(out));
    ASSERT_EQ(r.status, 0) << r.out << r.err;

    std::vector<vyktest::Rgb> drawn[2];
    const char *names[] = {"section", "map"};
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(names[i]);
        const std::string png = out + "/" + names[i] + ".png";
        const std::string ps = out + "/" + names[i] + ".ps";
        EXPECT_TRUE(has(r.out, png)) << r.out;
        EXPECT_TRUE(has(r.out, ps)) << r.out;

        const auto check = run("pngcheck " + quote(png));
        EXPECT_EQ(check.status, 0) << check.out << check.err;
        const auto size = run("identify -format '%w %h' " + quote(png));
        EXPECT_EQ(size.out, "800 640") << size.err;
        drawn[i] = vyktest::magick_rgb(png);
        EXPECT_GT(colours(drawn[i]), 2u);

        const auto gs = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r36 "
                            "-sOutputFile=- " + quote(ps));
        ASSERT_EQ(gs.status, 0) << gs.err;
        EXPECT_EQ(gs.err, "");
        // The page (black on white unless colour is asked for) is drawn on, not blank.
        EXPECT_GT(inked(vyktest::parse_ppm(gs.out).rgb()), 1000u);
    }
    // Two plots, not one picture twice.
    EXPECT_NE(drawn[0], drawn[1]);
    // The sample files of both layouts are where the command says.
    EXPECT_TRUE(has(r.out, out + "/data"));
    for (const char *layout : {"station", "record"})
        for (const char *hour : {"00", "06", "12"})
            EXPECT_EQ(run("test -s " + quote(out + "/data/" + layout + "/20240514" + hour +
                              ".prf")).status, 0) << layout << " " << hour;
}

}  // namespace
