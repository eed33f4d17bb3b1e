// The station plot, drawn on a metafile over a latitude-longitude map and read back: the
// stations of the plot's priority that the identifier entries select, the label words and
// nzero, label parts (a label or a position for the first station an entry selects,
// points of their own for those no station took), colouring by priority, markers, and plots
// without a database.
#include <gtest/gtest.h>

#include "map_fixture.h"
#include "test_util.h"
#include "cont.h"
#include "cty.h"
#include "vykplot.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using maptest::Record;
using vyktest::CaptureStdio;
using vyktest::has;

namespace {

// Plot coordinates of the map: x degrees east of 100 W, y degrees north.
const char *STATIONS =
    "Denver_Intl      CO US KDEN  *3*  39.85 -104.66  1655 72565 4\n"
    "Boulder          CO US KBOU  2    40.01 -105.25  1612 99999 0\n"
    "Pueblo           CO US KPUB  1    38.29 -104.50  1439 72464 2\n"
    "Grand_Junction   CO US KGJT  5    39.12 -108.53  1475 72476 1\n"
    "Omaha            NE US KOMA  1    41.30  -95.89   299 72553 3\n";

const std::vector<std::string> IDS = {"KDEN", "KBOU", "KPUB", "KGJT", "KOMA"};

/// A station plot over 30 to 50 N, 80 to 120 W: the texts drawn, the messages printed, and the
/// whole metafile.
struct Plotted {
    std::vector<Record> texts;
    std::string meta, err;
    int result = -1;
    bool file_left_open = true;
    const Record *find(const std::string &t) const
    {
        for (const Record &r : texts)
            if (r.text == t) return &r;
        return nullptr;
    }
    bool has_text(const std::string &t) const { return find(t) != nullptr; }
};

class CtyPlot : public ::testing::Test {
protected:
    /// Plots the stations (times over) with the resources given; database "" leaves the
    /// fixture's file in place.
    Plotted plot(const std::map<std::string, std::string> &res, int prior = 9, int times = 1,
                 const char *database = STATIONS)
    {
        Domain dom = maptest::domain(2, 40, -100, 1, 1, 41, 21);
        maptest::Drawing d(dom);
        EXPECT_TRUE(d.ok());
        if (database) d.write("sao.cty", database);
        for (const auto &[k, v] : res) RES_put(k.c_str(), v.c_str());
        DOM_set_prior(prior);
        Plotted p;
        {
            CaptureStdio cap;
            for (int i = 0; i < times; i++) p.result = CTY_plot();
            p.file_left_open = CTY_rewind(0) == 0;
            cap.finish();
            p.err = cap.err();
        }
        p.texts = maptest::of_kind(d.records(), "TE");
        p.meta = vyktest::read_file(d.dir().file("map.meta"));
        return p;
    }
};

}  // namespace

// The stations of the plot's priority, or those the identifier entries select; every plot
// closes the database.
TEST_F(CtyPlot, PriorityAndIdentifiersChooseTheStations)
{
    const struct {
        int prior;
        const char *ids;  // nullptr: no identifier resource
        std::vector<std::string> drawn;
    } cases[] = {
        {9, nullptr, {"KDEN", "KBOU", "KPUB", "KGJT", "KOMA"}},
        {2, nullptr, {"KBOU", "KPUB", "KOMA"}},
        {1, nullptr, {"KPUB", "KOMA"}},
        {9, "KDEN,KGJT", {"KDEN", "KGJT"}},
        {2, "KDEN,KPUB", {"KPUB"}},                  // the priority still applies
        {9, "ST=NE", {"KOMA"}},                      // a pattern of one part
        {9, "72464", {"KPUB"}},                      // a WMO number
        {9, "Gran", {}},                             // four letters or fewer: no name prefix
        {9, "Grand", {"KGJT"}},                      // a name prefix
        {9, "all", {}},                              // an ordinary plain entry here
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.prior) + " " + (c.ids ? c.ids : "-"));
        std::map<std::string, std::string> res;
        if (c.ids) res["identifier"] = c.ids;
        const Plotted p = plot(res, c.prior);
        EXPECT_EQ(p.result, 0);
        EXPECT_FALSE(p.file_left_open);
        for (const std::string &id : IDS) {
            const bool want = std::find(c.drawn.begin(), c.drawn.end(), id) != c.drawn.end();
            EXPECT_EQ(p.has_text(id), want) << id;
        }
    }
}

// Each station at its own place.
TEST_F(CtyPlot, StationsAtTheirPlaces)
{
    const Plotted p = plot({});
    const Record *den = p.find("KDEN");
    ASSERT_NE(den, nullptr);
    EXPECT_TRUE(maptest::near(den->pts[0], -4.66f, 39.85f));
    const Record *oma = p.find("KOMA");
    ASSERT_NE(oma, nullptr);
    EXPECT_TRUE(maptest::near(oma->pts[0], 4.11f, 41.30f));
}

// The label words of plot_param, and nzero; what they set stays set for a later plot without
// them.
TEST_F(CtyPlot, LabelWordsAndNzero)
{
    const struct {
        const char *words;
        std::vector<std::string> drawn, left_out;
    } cases[] = {
        {"wmo", {"72565", "99999", "72464"}, {"KDEN", "KBOU"}},
        {"num", {"4", "0", "2", "1", "3"}, {"KDEN"}},
        {"id", {"KDEN", "KBOU"}, {"72565"}},
        {"wmo,id", {"KDEN"}, {"72565"}},
        {"nzero", {"KDEN", "KPUB"}, {"KBOU"}},
        {"nzero=2", {"KDEN", "KPUB"}, {"KBOU"}},
        {"nzero=0", {"KDEN", "KBOU"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.words);
        const Plotted p = plot({{"plot_param", c.words}});
        for (const std::string &t : c.drawn) EXPECT_TRUE(p.has_text(t)) << t;
        for (const std::string &t : c.left_out) EXPECT_FALSE(p.has_text(t)) << t;
    }
    // In one process: a later plot without the words keeps them.
    CTY_plot_param();  // nothing set
    RES_put("plot_param", "wmo,nzero");
    CTY_plot_param();
    RES_put("plot_param", "");
    const Plotted kept = plot({});
    EXPECT_TRUE(kept.has_text("72565"));
    EXPECT_FALSE(kept.has_text("KDEN"));
    EXPECT_FALSE(kept.has_text("99999")) << "KBOU's num is 0";
}

// An unreadable nzero number is reported and changes nothing.
TEST_F(CtyPlot, UnreadableNzeroIsReported)
{
    const Plotted p = plot({{"plot_param", "nzero=lots"}});
    EXPECT_TRUE(has(p.err, "Unable to read: nzero=lots")) << p.err;
    EXPECT_TRUE(p.has_text("KBOU"));
}

// A label part serves the first station its entry selects: a label ('_' a blank), or
// a position and label that move the station.  Label parts no station took draw points of
// their own when they hold a whole position; a position that does not read, or a latitude
// alone, draws none.
TEST_F(CtyPlot, LabelPartsAndPointsOfTheirOwn)
{
    const Plotted p = plot({{"identifier",
                             "CN=US:First_of_all,KPUB:38.5:-103:Moved,XTRA:45.5:-90.25:New_Point,"
                             "YTRA:41:-95,ZTRA:41,QTRA:4x:-95:Bad,WTRA:42:east:Bad_too"}});
    EXPECT_EQ(p.result, 0);
    // CN=US selects every station; only the first in file order takes the label.
    const Record *first = p.find("First of all");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(maptest::near(first->pts[0], -4.66f, 39.85f));
    EXPECT_FALSE(p.has_text("KDEN"));
    for (const char *id : {"KBOU", "KPUB", "KGJT", "KOMA"}) EXPECT_TRUE(p.has_text(id)) << id;
    // KPUB was taken by CN=US (its first matching entry), so its own entry's label part is
    // left over and draws a point of its own.
    const Record *moved = p.find("Moved");
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(maptest::near(moved->pts[0], -3.0f, 38.5f));
    const Record *extra = p.find("New Point");
    ASSERT_NE(extra, nullptr);
    EXPECT_TRUE(maptest::near(extra->pts[0], 9.75f, 45.5f));
    const Record *named = p.find("YTRA");
    ASSERT_NE(named, nullptr) << "a point without a label shows its entry's pattern";
    EXPECT_TRUE(maptest::near(named->pts[0], 5.0f, 41.0f));
    EXPECT_FALSE(p.has_text("ZTRA"));
    EXPECT_FALSE(p.has_text("Bad"));
    EXPECT_FALSE(p.has_text("Bad too"));
    EXPECT_EQ(p.texts.size(), 8u);
    EXPECT_TRUE(has(p.err, "No longitude for the point of: ZTRA")) << p.err;
    EXPECT_TRUE(has(p.err, "Unable to read the position of: QTRA:4x:-95:Bad")) << p.err;
    EXPECT_TRUE(has(p.err, "Unable to read the position of: WTRA:42:east:Bad_too")) << p.err;

    // A station's own entry moves it; each part given replaces the station's own.
    const struct {
        const char *ids;
        const char *label;
        float x, y;
    } moves[] = {
        {"KPUB:38.5:-103:Moved", "Moved", -3.0f, 38.5f},
        {"KPUB:38.5:-103", "KPUB", -3.0f, 38.5f},
        {"KPUB:37", "KPUB", -4.5f, 37.0f},
        {"KPUB:Pueblo_West", "Pueblo West", -4.5f, 38.29f},
        {"KPUB:37:x:Unread", "KPUB", -4.5f, 38.29f},  // an unreadable position moves nothing
    };
    for (const auto &m : moves) {
        SCOPED_TRACE(m.ids);
        const Plotted q = plot({{"identifier", m.ids}});
        ASSERT_EQ(q.texts.size(), 1u);
        EXPECT_EQ(q.texts[0].text, m.label);
        EXPECT_TRUE(maptest::near(q.texts[0].pts[0], m.x, m.y));
    }
}

// Labels of any length are cut to the datum's text, never overrun.
TEST_F(CtyPlot, LongLabelsAreCut)
{
    const std::string long_label(500, 'L');
    const Plotted p = plot({{"identifier", "KDEN:" + long_label + ",XTRA:45:-90:" + long_label}});
    ASSERT_EQ(p.texts.size(), 2u);
    for (const Record &r : p.texts) {
        EXPECT_GT(r.text.size(), 20u);
        EXPECT_LT(r.text.size(), 40u);
        EXPECT_EQ(r.text.find_first_not_of('L'), std::string::npos);
    }
}

// With color_fill each priority takes its own entry of the contour colour table, in every plot
// of the process.
TEST_F(CtyPlot, ColourFillByPriority)
{
    const auto colours = [](const std::string &meta) {
        std::map<std::string, int> out;
        std::istringstream in(meta);
        std::string line;
        int colour = -1;
        while (std::getline(in, line)) {
            if (line.rfind("TE_CLR ", 0) == 0) colour = std::atoi(line.c_str() + 7);
            else if (line.rfind("TE ", 0) == 0) out[line.substr(line.rfind(' ') + 1)] = colour;
        }
        return out;
    };
    const Plotted plain = plot({});
    const auto green = colours(plain.meta);
    EXPECT_EQ(green.at("KDEN"), CLR_get_ind("green"));
    EXPECT_EQ(green.at("KPUB"), CLR_get_ind("green"));

    const Plotted filled = plot({{"color_fill", "def"}}, 9, 2);
    const auto c = colours(filled.meta);
    Gattribs a;
    for (const auto &[id, prior] : std::map<std::string, int>{{"KDEN", 3}, {"KBOU", 2}, {"KPUB", 1}, {"KGJT", 5}}) {
        ATTRIB_init(&a);
        CONT_get_fill_attrib(static_cast<float>(prior), &a);
        EXPECT_EQ(c.at(id), a.color) << id;
    }
    EXPECT_EQ(c.at("KPUB"), c.at("KOMA")) << "the same priority";
    EXPECT_NE(c.at("KPUB"), c.at("KBOU"));
    EXPECT_NE(c.at("KBOU"), c.at("KDEN"));
    EXPECT_NE(c.at("KDEN"), c.at("KGJT"));
}

// The point plotter colours by value under explicit levels or an interval: the stations carry
// their priority, so they are coloured by it rather than left out for want of a value.
TEST_F(CtyPlot, StationsKeptUnderAnInterval)
{
    const Plotted p = plot({{"con_interval", "5"}});
    for (const std::string &id : IDS) EXPECT_TRUE(p.has_text(id)) << id;
}

TEST_F(CtyPlot, StationsColouredByExplicitLevels)
{
    const Plotted p = plot({{"color_fill", "1:red,2:blue,3:yellow"}, {"identifier", "KPUB,KBOU,KDEN,XTRA:45:-90"}});
    for (const char *id : {"KPUB", "KBOU", "KDEN", "XTRA"}) EXPECT_TRUE(p.has_text(id)) << id << "\n" << p.meta;
    std::istringstream in(p.meta);
    std::string line;
    int colour = -1;
    std::map<std::string, int> c;
    while (std::getline(in, line)) {
        if (line.rfind("TE_CLR ", 0) == 0) colour = std::atoi(line.c_str() + 7);
        else if (line.rfind("TE ", 0) == 0) c[line.substr(line.rfind(' ') + 1)] = colour;
    }
    EXPECT_EQ(c.at("KPUB"), CLR_get_ind("red"));
    EXPECT_EQ(c.at("KBOU"), CLR_get_ind("blue"));
    EXPECT_EQ(c.at("KDEN"), CLR_get_ind("yellow"));
    EXPECT_EQ(c.at("XTRA"), CLR_get_ind("red")) << "a point of its own takes the last station's (KPUB)";
}

// A marker word draws markers of that type at the stations.
TEST_F(CtyPlot, MarkersAtTheStations)
{
    const Plotted p = plot({{"plot_param", "mark=tri"}, {"identifier", "KDEN,KPUB"}});
    EXPECT_TRUE(has(p.meta, "PM_TYPE 7")) << p.meta;
    int marks = 0;
    std::istringstream in(p.meta);
    std::string line;
    while (std::getline(in, line)) marks += line.rfind("PM ", 0) == 0;
    EXPECT_EQ(marks, 2);
}

// Without a database ("none", or a file that is missing) nothing is drawn and the plot still
// succeeds; a missing file is reported.
TEST_F(CtyPlot, NoDatabaseDrawsNothing)
{
    const Plotted none = plot({{"city_file", "none"}});
    EXPECT_EQ(none.result, 0);
    EXPECT_TRUE(none.texts.empty());
    EXPECT_EQ(none.err, "");
    const Plotted missing = plot({{"city_file", "sao.cty"}}, 9, 1, nullptr);
    EXPECT_EQ(missing.result, 0);
    EXPECT_TRUE(missing.texts.empty());
    EXPECT_TRUE(has(missing.err, "Database file not found")) << missing.err;
    EXPECT_FALSE(missing.file_left_open);
}
