// Tests of the model-name lookup: table lines with and without a source, comments, the end of
// the table, long lines, the caller's buffer size, the remembered answer, a missing table, and
// the table shipped in etc/.
#include "test_util.h"
#include "vykvar.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using vyktest::TempDir;
using vyktest::write_file;

// A table in a scratch directory on the file path.
class Table {
public:
    explicit Table(const std::string &content)
    {
        write_file(path(), content);
        RES_put("file_path", dir_.path().c_str());
    }
    std::string path() const { return dir_.file("mod_name.lup"); }
    void rewrite(const std::string &content) const { write_file(path(), content); }

private:
    TempDir dir_;
};

const char *const TABLE =
    "# model names\n"
    "#5 NOT A NAME\n"
    "7:81 GFS\n"
    "81 ANY81\n"
    "98:1 ECMWF\n"
    "  3   THREE  \t\r\n"
    "x 4 NOT A LINE\n"
    "7:x NO MODEL\n"
    "6\n"
    "+12 PLUS\n"
    "99999999999 TOO BIG\n"
    "4 FOUR\n"
    "\n"
    "200 AFTER THE END\n";

std::string model(int rmod)
{
    char buf[VAR_MODEL_LEN];
    std::strcpy(buf, "unchanged");
    const char *r = VAR_model(buf, rmod);
    if (!r) return "NULL";
    EXPECT_EQ(r, buf);
    return buf;
}

TEST(VarModel, LooksUpSourceAndModel)
{
    Table table(TABLE);
    struct Case {
        int rmod;
        const char *name;
    } cases[] = {
        {7081, "GFS"},      // source 7, model 81: the first matching line
        {81, "ANY81"},      // no source: only lines without a source match
        {99081, "ANY81"},   // a line without a source matches any source
        {98001, "ECMWF"},
        {1, ""},            // model 1 without a source: the ECMWF line has one
        {3, "THREE"},       // name stripped of trailing blanks and line ends
        {5, ""},            // comment lines are no entries
        {4, "FOUR"},        // lines that do not scan are passed over
        {12, "PLUS"},
        {200, ""},          // an empty line ends the table
        {1000, ""},         // 1000 is a model number, not source 1
        {-1, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rmod);
        EXPECT_EQ(model(c.rmod), c.name);
    }
}

TEST(VarModel, LongLinesAreCutAndTheirRestDropped)
{
    // A line of more than 80 characters gives its first 80; the rest, which looks like a line
    // of its own, is not read as one.
    const std::string name(77, 'N');
    const std::string line = "10 " + name + "12 REST OF THE LINE\n";
    Table table(line + "11 ELEVEN\n");
    vyktest::CaptureStdio cap;
    EXPECT_EQ(model(10), name);
    EXPECT_EQ(model(12), "");
    EXPECT_EQ(model(11), "ELEVEN");
    cap.finish();
    EXPECT_NE(cap.err().find("VAR_model: line longer than 80 characters cut: 10 NNN"),
              std::string::npos);
}

TEST(VarModel, NameIsCutToTheCallersBuffer)
{
    Table table("7:81 ECMWF-HRES\n");
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(VAR_model(buf, 7081, 4), buf);
    EXPECT_STREQ(buf, "ECM");
    EXPECT_EQ(buf[4], '#');
    // Again from the remembered answer.
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(VAR_model(buf, 7081, 6), buf);
    EXPECT_STREQ(buf, "ECMWF");
    EXPECT_EQ(buf[6], '#');
    EXPECT_EQ(VAR_model(nullptr, 7081), nullptr);
    EXPECT_EQ(VAR_model(buf, 7081, 0), nullptr);
}

TEST(VarModel, OpensTheTableOnceAndKeepsIt)
{
    Table table("7:81 GFS\n84 NAM\n");
    EXPECT_EQ(model(7081), "GFS");
    // The table is open: removing the file and pointing the path elsewhere changes nothing.
    ASSERT_EQ(std::remove(table.path().c_str()), 0);
    TempDir other;
    RES_put("file_path", other.path().c_str());
    vyktest::CaptureStdio cap;
    EXPECT_EQ(model(84), "NAM");
    EXPECT_EQ(model(7081), "GFS");
    cap.finish();
    EXPECT_EQ(cap.err(), "");
    EXPECT_EQ(cap.out(), "");
}

TEST(VarModel, RemembersTheLastNameFound)
{
    Table table("7:81 GFS\n81 ANY81\n84 NAM\n");
    EXPECT_EQ(model(7081), "GFS");
    // The same file, rewritten: a repeated question is answered without reading it.
    table.rewrite("7:81 NEW\n81 NEWANY\n84 NEWNAM\n");
    EXPECT_EQ(model(7081), "GFS");
    // A model without a match leaves the remembered answer.
    EXPECT_EQ(model(55), "");
    EXPECT_EQ(model(7081), "GFS");
    // Another source for the same model is a new question: read from the (new) table.
    EXPECT_EQ(model(8081), "NEWANY");
    // The remembered line has no source: it answers model 81 of any source, and no source.
    table.rewrite("7:81 NEWER\n81 NEWERANY\n");
    EXPECT_EQ(model(7081), "NEWANY");
    EXPECT_EQ(model(81), "NEWANY");
    // A new model is read from the table as it now stands.
    EXPECT_EQ(model(7084), "");
    EXPECT_EQ(model(7081), "NEWANY");
    table.rewrite("84 NAM\n");
    EXPECT_EQ(model(7084), "NAM");
}

TEST(VarModel, MissingTableGivesNullAndIsTriedAgain)
{
    TempDir dir;
    RES_put("file_path", dir.path().c_str());
    vyktest::CaptureStdio cap;
    EXPECT_EQ(model(7081), "NULL");
    EXPECT_EQ(model(7081), "NULL");
    cap.finish();
    const std::string message =
        "VAR_model: Unable to open file: " + dir.path() + "/mod_name.lup\n";
    EXPECT_EQ(cap.err(), message + message);
    EXPECT_EQ(cap.out(), "");

    // The buffer is left as it was.
    char buf[VAR_MODEL_LEN] = "kept";
    {
        vyktest::CaptureStdio quiet;
        EXPECT_EQ(VAR_model(buf, 7081), nullptr);
    }
    EXPECT_STREQ(buf, "kept");

    write_file(dir.file("mod_name.lup"), "7:81 GFS\n");
    EXPECT_EQ(model(7081), "GFS");
}

TEST(VarModel, PathBeginningWithABarIsNoCommand)
{
    TempDir dir;
    const std::string marker = dir.file("ran");
    RES_put("file_path", ("|touch " + marker + " ;").c_str());
    vyktest::CaptureStdio cap;
    EXPECT_EQ(model(7081), "NULL");
    cap.finish();
    EXPECT_NE(cap.err().find("VAR_model: Unable to open file: |touch "), std::string::npos);
    EXPECT_FALSE(FILE_exist(marker.c_str()));
}

TEST(VarModel, ShippedTableNamesTheCommonModels)
{
    RES_put("file_path", VYK_SOURCE_DIR "/etc");
    struct Case {
        int rmod;
        const char *name;
    } cases[] = {
        {7096, "GFS"},  {7081, "GFS"},   {7084, "NAM"},   {7105, "RAP"}, {7083, "HRRR"},
        {98001, "ECMWF"}, {78001, "ICON"}, {84, "NAM"},   {96, "GFS"},   {7999, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rmod);
        EXPECT_EQ(model(c.rmod), c.name);
    }
    // Every name fits the nine characters of the forecast labels.
    const std::string text = vyktest::read_file(VYK_SOURCE_DIR "/etc/mod_name.lup");
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ASSERT_FALSE(line.empty()) << "an empty line would end the table";
        if (line[0] == '#') continue;
        const size_t blank = line.find(' ');
        ASSERT_NE(blank, std::string::npos) << line;
        EXPECT_LT(line.size() - blank - 1, DATE_MODEL_NAME_LEN) << line;
    }
}

}  // namespace
