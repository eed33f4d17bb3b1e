// The profiler display's plot run from the shell on the generated sample series: the
// time-height section of a station on PostScript (rendered by ghostscript, the barbs found at
// the columns and heights the diagram gives them) and as a PNG dump of the window, its hour
// labels, the lower form and two variables; the map of every station at one level, its speeds
// in knots against ncdump, a map file that cannot be opened, the two netCDF layouts, and the
// window held, zoomed and ended on an X server of its own.
#include "image_util.h"
#include "test_util.h"
#include "vykprf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using vyktest::has;
using vyktest::quote;
using vyktest::RgbImage;
using vyktest::run;
using vyktest::RunResult;
using vyktest::TempDir;

namespace {

/// Resolution of the rendered pages, dots per inch.
constexpr int DPI = 200;
/// Half-side of the square around a plotted point that holds the start of its barb, pixels
/// (about a fifth of the column spacing at DPI).
constexpr int NEAR = 6;

bool is_green(const vyktest::Rgb &c) { return c.g > 150 && c.r < 100 && c.b < 100; }
bool is_blue(const vyktest::Rgb &c) { return c.b > 150 && c.r < 100 && c.g < 100; }

/// The centres of the runs of positions whose count is at least half the largest count: the
/// long lines of one direction.
std::vector<int> long_lines(const std::vector<int> &counts)
{
    int most = 0;
    for (int c : counts)
        most = std::max(most, c);
    std::vector<int> centres;
    for (size_t i = 0; i < counts.size();) {
        if (most == 0 || counts[i] * 2 < most) {
            i++;
            continue;
        }
        size_t j = i;
        while (j < counts.size() && counts[j] * 2 >= most)
            j++;
        centres.push_back(static_cast<int>((i + j - 1) / 2));
        i = j;
    }
    return centres;
}

/// A time-height section rendered from PostScript, with its grid lines found (drawn in green):
/// the vertical lines at the file columns, the horizontal lines every `step` metres from the
/// ground up.
struct Section {
    RgbImage img;
    std::vector<int> cols;  // x of the column lines, left to right
    std::vector<int> rows;  // y of the height lines, from the ground up
    int first_col = 0;      // column of cols[0]
    float step = 2000;      // m between height lines

    /// Pixel position of file column c at height h (m).
    float x(int c) const { return static_cast<float>(cols[c - first_col]); }
    float y(int h) const
    {
        const float spacing = static_cast<float>(rows[0] - rows[1]);
        return static_cast<float>(rows[0]) - static_cast<float>(h) / step * spacing;
    }
    /// Blue pixels in the square of half-side r around (c, h).
    int blue_near(int c, int h, int r) const
    {
        const int cx = static_cast<int>(x(c) + 0.5f), cy = static_cast<int>(y(h) + 0.5f);
        int n = 0;
        for (int py = cy - r; py <= cy + r; py++)
            for (int px = cx - r; px <= cx + r; px++)
                if (is_blue(img.at(px, py)))
                    n++;
        return n;
    }
};

/// Renders a portrait page and finds its grid: the column lines of columns 0 to columns - 1
/// (the outer columns lie on the border) and the height lines.
Section read_section(const std::string &ps, int columns, float step)
{
    Section s;
    s.step = step;
    const RunResult gs = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r" +
                             std::to_string(DPI) + " -sOutputFile=- " + quote(ps));
    EXPECT_EQ(gs.status, 0) << gs.err;
    s.img = vyktest::parse_ppm(gs.out);
    std::vector<int> per_x(s.img.width, 0), per_y(s.img.height, 0);
    for (int y = 0; y < s.img.height; y++)
        for (int x = 0; x < s.img.width; x++)
            if (is_green(s.img.at(x, y))) {
                per_x[x]++;
                per_y[y]++;
            }
    s.cols = long_lines(per_x);
    s.rows = long_lines(per_y);
    std::reverse(s.rows.begin(), s.rows.end());  // from the ground up
    // Lines on the border are drawn over by it or not: take the inner ones.
    if (static_cast<int>(s.cols.size()) == columns + 2)
        s.cols = std::vector<int>(s.cols.begin() + 1, s.cols.end() - 1);
    EXPECT_EQ(static_cast<int>(s.cols.size()), columns);
    EXPECT_GE(s.rows.size(), 2u);
    return s;
}

class PrfPlot : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The netCDF layouts are all these tests read (bulletins take long to make).
        const RunResult r = run(quote(VYK_PRFGEN) + " -l both " + quote(dir.file("data")));
        ASSERT_EQ(r.status, 0) << r.err;
    }

    /// Runs prfdisp in the scratch directory with only the environment given (and the lookup
    /// files of etc/ on the file path).
    RunResult prfdisp(const std::string &args, const std::string &env = "")
    {
        return run("cd " + quote(dir.path()) + " && env -i HOME=" + quote(dir.path()) +
                   " PATH=/usr/bin:/bin vykfile=" + quote(std::string(VYK_SOURCE_DIR) + "/etc") +
                   " " + env + " " + quote(VYK_PRFDISP) + " " + args);
    }

    /// The section of a station in batch mode on a portrait colour page: barbs blue, grid
    /// lines and hour labels green.
    RunResult section_ps(const std::string &args, const std::string &ps)
    {
        return prfdisp("-ba -cowd blue -coln green -de p," + quote(ps) +
                       ",port,color,sz=8.5x11 " + args);
    }

    /// The (column, height) places of the section of PLTC2 from the hourly files of 14 May 2024
    /// (columns 0 to 12) at the given heights where the column's file holds a wind.
    std::vector<std::pair<int, int>> winds_at(const std::vector<int> &at) const;

    TempDir dir;
};

// Heights below the signal top of every file (12000 m at least), where the winds blow from the
// south-west, so that the stem of the barb above does not reach down to the point.
const std::vector<int> heights = {3000, 5000, 7000, 9000, 11000};

/// Whether the file has a wind for the station at height h (levels of suspect quality have
/// none).
bool has_wind(const std::string &file, const char *id, int h)
{
    PRF_report report;
    if (!PRF_read_station(file.c_str(), id, &report))
        return false;
    float u = 0, v = 0;
    return PRF_get_level(&report, 105, h, &u, &v, nullptr) && u != VYK_MISS && v != VYK_MISS;
}

std::vector<std::pair<int, int>> PrfPlot::winds_at(const std::vector<int> &at) const
{
    std::vector<std::pair<int, int>> out;
    for (int c = 0; c < 13; c++) {
        char name[40];
        std::snprintf(name, sizeof name, "data/station/20240514%02d.prf", c);
        for (int h : at)
            if (has_wind(dir.file(name), "PLTC2", h)) out.push_back({c, h});
    }
    return out;
}

TEST_F(PrfPlot, SectionBarbsAtTheirColumnsAndHeights)
{
    const std::string ps = dir.file("section.ps");
    const RunResult r = section_ps("-id PLTC2 -dp data/station 2024051412.prf", ps);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(has(r.err, "not found")) << r.err;
    const Section s = read_section(ps, 13, 2000);
    ASSERT_EQ(s.cols.size(), 13u);
    // The diagram runs from 1000 m below the ground to 17000 m: the ground line is 1/18 of the
    // data area's height above its bottom, and the height lines are evenly spaced.
    ASSERT_EQ(s.rows.size(), 9u);  // 0 to 16000 m
    for (size_t k = 2; k < s.rows.size(); k++)
        EXPECT_NEAR(s.rows[k - 1] - s.rows[k], s.rows[0] - s.rows[1], 1.5);
    int checked = 0;
    for (const auto &[c, h] : winds_at(heights)) {
        SCOPED_TRACE(std::to_string(c) + " " + std::to_string(h));
        EXPECT_GT(s.blue_near(c, h, NEAR), 0);
        checked++;
    }
    EXPECT_GT(checked, 13 * 4);
}

}  // namespace

namespace {

/// A station-layout file of hour 8 whose only station is not the one plotted.
const char *other_station_cdl =
    "netcdf o {\ndimensions:\n station = UNLIMITED ;\n string_len = 6 ;\nvariables:\n"
    " char id(station, string_len) ;\n int year(station) ;\n int month(station) ;\n"
    " int day(station) ;\n int hour(station) ;\ndata:\n id = \"OTHER\" ;\n year = 2024 ;\n"
    " month = 5 ;\n day = 14 ;\n hour = 8 ;\n}\n";

TEST_F(PrfPlot, SectionKeepsTheColumnsOfFilesWithoutTheStation)
{
    // Hour 6 is missing; hour 8 holds another station only.
    ASSERT_EQ(std::remove(dir.file("data/station/2024051406.prf").c_str()), 0);
    vyktest::write_file(dir.file("other.cdl"), other_station_cdl);
    const RunResult gen = run("ncgen -b -k nc3 -o " + quote(dir.file("data/station/2024051408.prf")) +
                              " " + quote(dir.file("other.cdl")));
    ASSERT_EQ(gen.status, 0) << gen.err;

    const std::string ps = dir.file("section.ps");
    const RunResult r = section_ps("-id PLTC2 -dp data/station 2024051412.prf", ps);
    ASSERT_EQ(r.status, 0) << r.err;
    // Each file that gave nothing is named once.
    EXPECT_EQ(r.err, "PRF_plot: 1 of the 13 files of the series not found: "
                     "data/station/2024051406.prf\n"
                     "PRF_plot: the names follow the naming convention prf_dat (%D/%Y%m%d%h.prf); "
                     "in_file (-if) selects another\n"
                     "PLTC2 not found in 1 of the 12 files read: data/station/2024051408.prf\n");
    const Section s = read_section(ps, 13, 2000);
    ASSERT_EQ(s.cols.size(), 13u);
    ASSERT_GE(s.rows.size(), 2u);
    for (int c = 0; c < 13; c++) {
        int near = 0;
        for (int h = 500; h <= 12000; h += 500)
            near += s.blue_near(c, h, NEAR) > 0 ? 1 : 0;
        SCOPED_TRACE(c);
        if (c == 6 || c == 8)
            EXPECT_EQ(near, 0);
        else
            EXPECT_GT(near, 15);  // the others in place
    }
}

TEST_F(PrfPlot, NamedFileOutsideTheNamingConventionDrawsItsColumn)
{
    // The last file of the series alone, named *.nc: its column is drawn, the others are empty.
    ASSERT_EQ(system(("mkdir " + quote(dir.file("nc"))).c_str()), 0);
    vyktest::write_file(dir.file("nc/2024051412.nc"),
                        vyktest::read_file(dir.file("data/station/2024051412.prf")));
    const std::string ps = dir.file("section.ps");
    const RunResult r = section_ps("-id PLTC2 -dp nc 2024051412.nc", ps);
    ASSERT_EQ(r.status, 0) << r.err;
    const Section s = read_section(ps, 13, 2000);
    ASSERT_EQ(s.cols.size(), 13u);
    int checked = 0;
    for (const auto &[c, h] : winds_at(heights)) {
        if (c != 12)
            continue;
        EXPECT_GT(s.blue_near(c, h, NEAR), 0) << h;
        checked++;
    }
    EXPECT_GE(checked, 4);
    for (int c = 0; c < 12; c++)
        for (int h : heights)
            EXPECT_EQ(s.blue_near(c, h, NEAR), 0) << c << " " << h;
}

TEST_F(PrfPlot, VerticalVelocityInTenthsWithoutNegativeZero)
{
    // The values are the texts of the metafile: w of a few tenths of a metre per second.
    const std::string meta = dir.file("vvel.meta");
    const RunResult r = prfdisp("-ba -id PLTC2 -va vvel -de M," + quote(meta) +
                                " -dp data/station 2024051412.prf");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(vyktest::read_file(meta));
    int values = 0, nonzero = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key, at, text;
        if (!(words >> key >> at >> text) || key != "TE" || text.find('.') == std::string::npos)
            continue;
        SCOPED_TRACE(line);
        values++;
        EXPECT_EQ(text.size() - text.find('.'), 2u);  // one decimal
        EXPECT_NE(text, "-0.0");
        nonzero += std::stof(text) != 0 ? 1 : 0;
    }
    EXPECT_GT(values, 100);
    EXPECT_GT(nonzero, 50);
}

TEST_F(PrfPlot, SurfaceVariableOnTheGroundRow)
{
    // The values of the surface temperature (the texts of the data area, normalization
    // transformation 2, in the metafile) stand on the ground row of every column.
    const std::string meta = dir.file("temp.meta");
    const RunResult r = prfdisp("-ba -id PLTC2 -va temp -de M," + quote(meta) +
                                " -dp data/station 2024051412.prf");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(vyktest::read_file(meta));
    float y_min = 0, y_max = 0;  // the data area's window: heights from -1000 to 17000 m
    int tran = 0;
    std::vector<float> drawn;
    for (std::string line; std::getline(in, line);) {
        float x = 0, y = 0, x1 = 0;
        char text[40] = "";
        if (std::sscanf(line.c_str(), "WIN 2 %f %f %f %f", &x, &y_min, &x1, &y_max) == 4)
            continue;
        if (std::sscanf(line.c_str(), "TR %d", &tran) == 1)
            continue;
        if (tran == 2 && std::sscanf(line.c_str(), "TE %f,%f %39s", &x, &y, text) == 3)
            drawn.push_back(y);
    }
    ASSERT_EQ(drawn.size(), 13u);  // one a column
    const float ground = y_min + (y_max - y_min) * 1000.0f / 18000.0f;
    for (float y : drawn)
        EXPECT_NEAR(y, ground, 0.01);
}

TEST_F(PrfPlot, SectionAsPngDump)
{
    const char *display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && *display) << "the tests run with an X server";
    std::string env = "DISPLAY=" + quote(display);
    if (const char *auth = std::getenv("XAUTHORITY"))
        env += " XAUTHORITY=" + quote(auth);
    const std::string png = dir.file("section.png"), empty = dir.file("empty.png");
    const RunResult r = prfdisp("-ba -id PLTC2 -dp data/station -of png=" + png + " 2024051412.prf", env);
    ASSERT_EQ(r.status, 0) << r.err;
    const RunResult none =
        prfdisp("-ba -id PLTC2 -dr -data -dp data/station -of png=" + empty + " 2024051412.prf", env);
    ASSERT_EQ(none.status, 0) << none.err;
    for (const std::string &file : {png, empty}) {
        const RunResult check = run("pngcheck " + quote(file));
        EXPECT_EQ(check.status, 0) << check.out << check.err;
    }
    const std::vector<vyktest::Rgb> drawn = vyktest::magick_rgb(png), frame = vyktest::magick_rgb(empty);
    ASSERT_EQ(drawn.size(), frame.size());
    // The barbs are what the two differ in: many pixels.
    size_t differ = 0;
    for (size_t i = 0; i < drawn.size(); i++)
        differ += drawn[i] == frame[i] ? 0 : 1;
    EXPECT_GT(differ, 2000u);
}

}  // namespace
namespace {

/// The bottom of the data area: the diagram's lowest height (m), its y from the height lines.
/// The hour labels below it are drawn in green as the lines are; the first label's left edge
/// is the leftmost green pixel under the data area.  Returns x(0) minus that edge: half the
/// width of the first label.
int first_label_half_width(const Section &s, int lowest)
{
    const int bottom = static_cast<int>(s.y(lowest)) + 3;
    int left = s.img.width;
    for (int y = bottom; y < std::min(bottom + DPI, s.img.height); y++)
        for (int x = 0; x < s.img.width; x++)
            if (is_green(s.img.at(x, y))) {
                left = std::min(left, x);
                break;
            }
    return static_cast<int>(s.x(0)) - left;
}

TEST_F(PrfPlot, HourLabelsOfHourlyAndHalfHourlySeries)
{
    // A series every 30 minutes from 06 to 12 UTC: copies of the hourly files.
    ASSERT_EQ(system(("mkdir " + quote(dir.file("data/half"))).c_str()), 0);
    for (int h = 6; h <= 12; h++)
        for (int m : {0, 30}) {
            char from[64], to[64];
            std::snprintf(from, sizeof from, "data/station/20240514%02d.prf", h);
            std::snprintf(to, sizeof to, "data/half/20240514%02d%02d.prf", h, m);
            ASSERT_EQ(run("cp " + quote(dir.file(from)) + " " + quote(dir.file(to))).status, 0);
        }
    const std::string hourly = dir.file("hourly.ps"), half = dir.file("half.ps");
    RunResult r = section_ps("-id PLTC2 -dp data/station 2024051412.prf", hourly);
    ASSERT_EQ(r.status, 0) << r.err;
    r = prfdisp("-ba -cowd blue -coln green -de p," + quote(half) +
                    ",port,color,sz=8.5x11 -nh -6,0:30 -if '@data/half/%Y%m%d%h%n.prf' "
                    "-id PLTC2 -cu",
                "vykcurtime=2024051412");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(has(r.err, "not found")) << r.err;
    // Both diagrams have 14 columns: 12 hours of hourly files, 6 hours of half-hourly ones.
    const Section two = read_section(hourly, 13, 2000), four = read_section(half, 13, 2000);
    ASSERT_EQ(two.cols.size(), 13u);
    ASSERT_EQ(four.cols.size(), 13u);
    // "00" and "0600", centred under column 0, in the same text size.
    const int w2 = first_label_half_width(two, -1000), w4 = first_label_half_width(four, -1000);
    EXPECT_GT(w2, 3);
    EXPECT_GT(w4, 1.6 * w2);
    EXPECT_LT(w4, 2.4 * w2);
    // Every file has its barbs in its column.
    for (int c = 0; c < 13; c++)
        EXPECT_GT(four.blue_near(c, 5000, NEAR) + four.blue_near(c, 7000, NEAR), 0) << c;
}

TEST_F(PrfPlot, LowerFormHasItsHeightsAndNothingAboveIt)
{
    const std::string ps = dir.file("lower.ps");
    const RunResult r = section_ps("-pp ,LOWER -id PLTC2 -dp data/station 2024051412.prf", ps);
    ASSERT_EQ(r.status, 0) << r.err;
    const Section s = read_section(ps, 13, 1000);
    ASSERT_EQ(s.cols.size(), 13u);
    ASSERT_EQ(s.rows.size(), 8u);  // 0 to 7000 m
    // Heights every 250 m: those between the lines.
    int checked = 0;
    for (const auto &[c, h] : winds_at({3250, 4750, 5250, 6750})) {
        SCOPED_TRACE(std::to_string(c) + " " + std::to_string(h));
        EXPECT_GT(s.blue_near(c, h, NEAR / 2), 0);
        checked++;
    }
    EXPECT_GT(checked, 13 * 3);
    // The heights above the top (7600 m) are visited but not drawn: no barb above the border.
    const int top = static_cast<int>(s.y(7600));
    int above = 0;
    for (int y = std::max(0, top - DPI); y < top - 2; y++)
        for (int x = 0; x < s.img.width; x++)
            above += is_blue(s.img.at(x, y)) ? 1 : 0;
    EXPECT_EQ(above, 0);
}

TEST_F(PrfPlot, TwoVariablesEachWithItsOwnColour)
{
    const std::string ps = dir.file("two.ps");
    const RunResult r =
        section_ps("-va wbrb,wspd -cod red -id PLTC2 -dp data/station 2024051412.prf", ps);
    ASSERT_EQ(r.status, 0) << r.err;
    const Section s = read_section(ps, 13, 2000);
    ASSERT_EQ(s.cols.size(), 13u);
    // Around every point with a wind: the barb (blue) and the speed (red).
    int checked = 0;
    for (const auto &[c, h] : winds_at(heights)) {
        SCOPED_TRACE(std::to_string(c) + " " + std::to_string(h));
        EXPECT_GT(s.blue_near(c, h, NEAR), 0);
        int red = 0;
        const int cx = static_cast<int>(s.x(c)), cy = static_cast<int>(s.y(h));
        for (int y = cy - 3 * NEAR; y <= cy + 3 * NEAR; y++)
            for (int x = cx - 4 * NEAR; x <= cx + 4 * NEAR; x++) {
                const vyktest::Rgb p = s.img.at(x, y);
                red += p.r > 150 && p.g < 100 && p.b < 100 ? 1 : 0;
            }
        EXPECT_GT(red, 0);
        checked++;
    }
    EXPECT_GT(checked, 13 * 4);
}


}  // namespace

namespace {

/// One station of the map's trace: "ID LAT LON - VALUE1 VALUE2".
struct Traced {
    std::string id;
    float lat, lon, value[2];
};

std::vector<Traced> traced(const std::string &out)
{
    std::vector<Traced> list;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        Traced t;
        char id[16], dash[4];
        if (std::sscanf(line.c_str(), "%15s %f %f %3s %f %f", id, &t.lat, &t.lon, dash,
                        &t.value[0], &t.value[1]) == 6 &&
            std::string(dash) == "-") {
            t.id = id;
            list.push_back(t);
        }
    }
    return list;
}

bool is_black(const vyktest::Rgb &c) { return c.r < 80 && c.g < 80 && c.b < 80; }

/// The map's data area: the longest black lines of the page (its border).
struct Border {
    int left = 0, right = 0, top = 0, bottom = 0;
};

Border find_border(const RgbImage &img)
{
    std::vector<int> per_x(img.width, 0), per_y(img.height, 0);
    for (int y = 0; y < img.height; y++)
        for (int x = 0; x < img.width; x++)
            if (is_black(img.at(x, y))) {
                per_x[x]++;
                per_y[y]++;
            }
    const std::vector<int> xs = long_lines(per_x), ys = long_lines(per_y);
    Border b;
    EXPECT_EQ(xs.size(), 2u);
    EXPECT_EQ(ys.size(), 2u);
    if (xs.size() == 2 && ys.size() == 2)
        b = {xs[0], xs[1], ys[0], ys[1]};
    return b;
}

/// The standard output of a station-layout file's winds: per station the 36 low-mode u (or v)
/// values, as ncdump prints them.
std::vector<float> ncdump_values(const std::string &file, const std::string &var)
{
    const RunResult r = run("ncdump -v " + var + " " + quote(file));
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<float> values;
    const size_t data = r.out.find("\n " + var + " =");
    if (data == std::string::npos)
        return values;
    std::istringstream in(r.out.substr(data + var.size() + 4));
    std::string word;
    while (in >> word && word != ";") {
        if (word.back() == ',' || word.back() == ';')
            word.pop_back();
        values.push_back(word == "_" ? VYK_MISS : std::stof(word));
    }
    return values;
}

// A lat-lon map from 109 W to 89 W and from 30 N to 44 N.
const char *const us_domain = "ll:0:0,37,-99,21,15,1,1";

TEST_F(PrfPlot, MapDrawsEveryStationAtItsPosition)
{
    const std::string ps = dir.file("map.ps");
    const RunResult r =
        prfdisp("-ba -me +out4 -le 3000m_ag -pd " + std::string(us_domain) + " -cowd blue -de p," +
                quote(ps) + ",port,color,sz=8.5x11 -dp data/station 2024051412.prf");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Traced> list = traced(r.out);
    ASSERT_EQ(list.size(), 6u) << r.out;  // every station of the file, in its order
    const char *ids[] = {"PLTC2", "NLGN1", "LMNO2", "HKLO2", "WNFL1", "WSMN5"};
    const RunResult gs = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r" +
                             std::to_string(DPI) + " -sOutputFile=- " + quote(ps));
    ASSERT_EQ(gs.status, 0) << gs.err;
    const RgbImage img = vyktest::parse_ppm(gs.out);
    const Border b = find_border(img);
    int drawn = 0;
    for (size_t k = 0; k < list.size(); k++) {
        const Traced &t = list[k];
        SCOPED_TRACE(t.id);
        EXPECT_EQ(t.id, ids[k]);
        const float x = b.left + (t.lon + 109) / 20 * (b.right - b.left);
        const float y = b.bottom - (t.lat - 30) / 14 * (b.bottom - b.top);
        int blue = 0;
        for (int py = static_cast<int>(y) - NEAR; py <= static_cast<int>(y) + NEAR; py++)
            for (int px = static_cast<int>(x) - NEAR; px <= static_cast<int>(x) + NEAR; px++)
                blue += is_blue(img.at(px, py)) ? 1 : 0;
        // A station without a wind at the level is listed but has nothing drawn.
        if (t.value[0] == VYK_MISS) {
            EXPECT_EQ(blue, 0);
        } else {
            EXPECT_GT(blue, 0);
            drawn++;
        }
    }
    EXPECT_GE(drawn, 5);
}

TEST_F(PrfPlot, MapSpeedsInKnots)
{
    // 1000 m above the ground is the third low-mode level of the file.
    const RunResult r = prfdisp("-ba -me +out4 -le 1000m_ag -va wspd -pd " +
                                std::string(us_domain) + " -de p," + quote(dir.file("k.ps")) +
                                " -dp data/station 2024051412.prf");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Traced> list = traced(r.out);
    ASSERT_EQ(list.size(), 6u) << r.out;
    const std::string file = dir.file("data/station/2024051412.prf");
    const std::vector<float> u = ncdump_values(file, "low_u_wind"),
                             v = ncdump_values(file, "low_v_wind");
    ASSERT_EQ(u.size(), 6u * 36);
    ASSERT_EQ(v.size(), 6u * 36);
    for (size_t s = 0; s < 6; s++) {
        SCOPED_TRACE(list[s].id);
        const float ms = std::hypot(u[s * 36 + 2], v[s * 36 + 2]);
        EXPECT_NEAR(list[s].value[0], 1.944f * ms, 0.02f);
    }
}

TEST_F(PrfPlot, MapFileThatCannotBeOpenedEndsTheProgram)
{
    // The date of the named file has no file: the map ends with status 10, the page closed.
    const std::string ps = dir.file("none.ps");
    const RunResult r = prfdisp("-ba -le 3000m_ag -de p," + quote(ps) + " -dp data/station 2024051413.prf");
    EXPECT_EQ(r.status, 10);
    EXPECT_TRUE(has(r.err, "PRF_plot: Unable to open profiler file: data/station/2024051413.prf\n"))
        << r.err;
}

}  // namespace

namespace {

TEST_F(PrfPlot, BothLayoutsGiveTheSamePicture)
{
    // At 1000 m above the ground every station's wind of 12 UTC has good quality, so the two
    // layouts hold the same winds there (the station layout drops suspect levels, the record
    // layout keeps them).
    const std::string a = dir.file("station.ps"), b = dir.file("record.ps");
    for (const auto &[ps, layout] : {std::pair{a, "station"}, std::pair{b, "record"}}) {
        const RunResult r = prfdisp("-ba -le 1000m_ag -pd " + std::string(us_domain) + " -de p," +
                                    quote(ps) + ",port,color,sz=8.5x11 -dp data/" + layout +
                                    " 2024051412.prf");
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const auto render = [](const std::string &ps) {
        return run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile=- " + quote(ps));
    };
    const RunResult ra = render(a), rb = render(b);
    ASSERT_EQ(ra.status, 0);
    EXPECT_GT(ra.out.size(), 10000u);
    EXPECT_TRUE(ra.out == rb.out);
}

TEST_F(PrfPlot, WindowZoomReplotsAndReturnEnds)
{
    vyktest::PrivateX x("1024x768x24", false);
    ASSERT_FALSE(x.name().empty());
    const auto xdo = [&](const std::string &args) {
        return run("DISPLAY=" + x.name() + " xdotool " + args);
    };
    const std::string title = "prfdisp-zoom-test";
    // The progress notes come line by line (stdbuf, whose preloaded library comes before the
    // address sanitizer's), one per file read.
    const char *asan = std::getenv("ASAN_OPTIONS");
    vyktest::ToolProcess tool("/usr/bin/stdbuf",
                              {"-oL", VYK_PRFDISP, "-de", "d", "-me", "+mess", "-ti", title, "-id", "PLTC2",
                               "-va", "wbrb", "-dp", dir.file("data/station"), "2024051412.prf"},
                              {"DISPLAY=" + x.name(),
                               "vykfile=" + std::string(VYK_SOURCE_DIR) + "/etc",
                               "ASAN_OPTIONS=" + std::string(asan ? asan : "") +
                                   ":verify_asan_link_order=0"});
    const std::string searching = "Searching file for PLTC2 in: ";
    const auto wait_files = [&](int n) {
        for (int k = 0; k < n; k++)
            if (tool.wait_for(searching).empty())
                return false;
        return true;
    };
    ASSERT_TRUE(wait_files(13)) << tool.output();
    // The window: polled until the window manager-less server lists it.
    std::string win;
    for (int attempt = 0; attempt < 200 && win.empty(); attempt++) {
        const RunResult found = xdo("search --name " + title);
        if (found.status == 0 && !found.out.empty())
            win = found.out.substr(0, found.out.find('\n'));
        else
            run("sleep 0.05");
    }
    ASSERT_FALSE(win.empty());

    // A shift-drag box inside the data area zooms: the section is drawn again from the files,
    // in the same window.
    ASSERT_EQ(xdo("mousemove --window " + win + " 200 150 keydown shift mousedown 1 mousemove --window " +
                  win + " 300 250 mousemove --window " + win + " 400 350 mouseup 1 keyup shift")
                  .status,
              0);
    ASSERT_TRUE(wait_files(13)) << tool.output();
    const RunResult after = xdo("search --name " + title);
    EXPECT_EQ(after.out, win + "\n");

    // Return ends the hold and the program.
    ASSERT_EQ(xdo("mousemove --window " + win + " 20 20 key Return").status, 0);
    tool.rest();
    EXPECT_EQ(tool.status(), 0) << tool.output();
}

}  // namespace
