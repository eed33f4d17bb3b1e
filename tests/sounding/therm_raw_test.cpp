// The current sounding saved as a point-data file and read back.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace sndtest;
using vyktest::has;
using vyktest::read_file;
using vyktest::TempDir;
using vyktest::write_file;

namespace {

const Date SOUNDING_DATE = {1996, 3, 15, 75, 5, 12, 0, 0};

/// Loads the sample sounding with its station and date; the output goes to path.
void sample_loaded(const std::string &path)
{
    load(sample_sm());
    THERM_set_id("PIT", 72520);
    THERM_set_date(&SOUNDING_DATE);
    RES_put("out_file", ("raw:@" + path).c_str());
}

std::string date_label()
{
    Date d = SOUNDING_DATE;
    char label[40];
    DATE_make_label(&d, label, 30);
    return label;
}

void expect_levels(const UPA_level *got, int got_num, const std::vector<UPA_level> &want)
{
    ASSERT_EQ(got_num, static_cast<int>(want.size()));
    for (int i = 0; i < got_num; i++) {
        const float a[] = {got[i].p, got[i].h, got[i].t, got[i].td, got[i].dir, got[i].spd};
        const float b[] = {want[i].p, want[i].h, want[i].t, want[i].td, want[i].dir, want[i].spd};
        for (int f = 0; f < 6; f++) EXPECT_NEAR(a[f], b[f], 0.051) << "level " << i << " field " << f;
    }
}

}  // namespace

TEST(ThermRaw, WrittenSoundingReadsBack)
{
    TempDir dir;
    const std::string path = dir.file("snd.txt");
    sample_loaded(path);
    ASSERT_EQ(THERM_out_raw(), 1);
    const std::string text = read_file(path);
    EXPECT_EQ(text.rfind("DADODU\n" + date_label() + "\n!PIT Sounding\n Lev   P     H     T     Td    Dir Spd $\n"
                         " SFC 1000   100   20.0  15.0  180  10\n"
                         "   1  950   540   16.0  12.0  200  15\n", 0),
              0u)
        << text;
    EXPECT_TRUE(has(text, "WIND 1000   100   20.0  15.0  180  10\n")) << text;
    EXPECT_TRUE(has(text, "TROP  250 10400  -52.0 -62.0  270  70\nMWND  300  9200  -44.0 -55.0  270  80\n\n")) << text;

    load({L(900, 1000, 5, 1, 10, 10), L(800, 2000, 0, -5, 20, 20)}, 900);  // something else
    THERM_set_id("XXX", 1);
    THERM_read_raw(path.c_str());
    expect_levels(THERM_get_SM(), THERM_get_SM_num(), sample_sm());
    expect_levels(THERM_get_WM(), THERM_get_WM_num(), sample_sm());
    EXPECT_EQ(THERM_get_sfc()->p, 1000);
    EXPECT_EQ(THERM_get_trop()->p, 250);
    EXPECT_EQ(THERM_get_trop()->h, 10400);
    EXPECT_EQ(THERM_get_mwnd()->spd, 80);
    EXPECT_STREQ(THERM_get_id(), "PIT");
    EXPECT_EQ(THERM_get_date().day, 15);
    EXPECT_EQ(THERM_get_date().hour, 12);
    EXPECT_EQ(date_label(), UPA_get_datim());
}

TEST(ThermRaw, MissingValuesAreDashesAndMissingWindsAreFilled)
{
    TempDir dir;
    const std::string path = dir.file("snd.txt");
    std::vector<UPA_level> sm = {L(1000, 100, 20, 15), L(850, M), L(700, 3000, -2, -10), L(600, M)};
    std::vector<UPA_level> wm = {L(1000, 100, M, M, 180, 10), L(700, 3000, M, M, 270, 30)};
    std::vector<UPA_level> &ksm = keep(sm), &kwm = keep(wm);
    THERM_set_data(1000, ksm.data(), 4, kwm.data(), 2);
    THERM_set_id("PIT", 1);
    THERM_set_date(&SOUNDING_DATE);
    RES_put("out_file", ("gif:@" + dir.file("no") + ",raw:@" + dir.file("no2") + ",@" + path).c_str());
    ASSERT_EQ(THERM_out_raw(), 1);
    const std::string text = read_file(path);
    EXPECT_TRUE(has(text, "\n SFC 1000   100   20.0  15.0  180  10\n")) << text;
    EXPECT_TRUE(has(text, "\n   1  850     -      -     -  221  19\n")) << text;  // interpolated in ln p
    EXPECT_TRUE(has(text, "\n   3  600     -      -     -    -   - \n")) << text;  // above the winds
    EXPECT_TRUE(has(text, "\n   2  700  3000   -2.0 -10.0  270  30\n")) << text;
    EXPECT_TRUE(has(text, "\nWIND 1000   100      -     -  180  10\n")) << text;
    EXPECT_EQ(THERM_get_SM()[2].dir, 270);  // the current sounding keeps the filled winds
    EXPECT_FALSE(has(text, "TROP"));
    EXPECT_FALSE(vyktest::has(read_file(dir.file("no")), "DADODU"));
}

TEST(ThermRaw, FilesWithoutSurfaceOrWindRowsAndTooManyRows)
{
    TempDir dir;
    const std::string head = "DADODU\n12Z 15 MAR 96\n!KBUF Sounding extra words\n Lev   P     H     T     Td    Dir Spd $\n";
    const std::string path = dir.file("plain.txt");
    write_file(path, head + "   0  990   200   10.0   5.0  200  10\n   1  900  1000    4.0   1.0    -   - \n\n");
    THERM_read_raw(path.c_str());
    EXPECT_EQ(THERM_get_sfc()->p, 990);  // the first temperature row
    EXPECT_EQ(THERM_get_SM_num(), 2);
    EXPECT_EQ(THERM_get_WM(), THERM_get_SM());
    EXPECT_EQ(THERM_get_WM_num(), 2);
    EXPECT_EQ(THERM_get_SM()[1].dir, M);
    EXPECT_STREQ(THERM_get_id(), "KBUF");

    std::string many = head;
    for (int i = 0; i < 350; i++) many += "   1 " + std::to_string(1000 - i) + "   100   10.0   5.0  200  10\n";
    many += "WIND 1000   100      -     -   180  10\n";
    for (int i = 0; i < 320; i++) many += "   1 " + std::to_string(1000 - i) + "   100      -     -  200  10\n";
    many += "TROP  250 10400  -52.0 -62.0  270  70\n";
    write_file(path, many);
    vyktest::CaptureStdio cap;
    THERM_read_raw(path.c_str());
    cap.finish();
    EXPECT_EQ(THERM_get_SM_num(), UPA_MAX_LEVELS);
    EXPECT_EQ(THERM_get_WM_num(), UPA_MAX_LEVELS);
    EXPECT_EQ(THERM_get_SM()[299].p, 701);
    EXPECT_EQ(THERM_get_trop()->p, 250);  // rows after a full section still count
    EXPECT_TRUE(has(cap.out() + cap.err(), "more than 300 levels")) << cap.out() << cap.err();
}

TEST(ThermRaw, RowWithoutValuesLeavesTheLevelBeforeIt)
{
    TempDir dir;
    const std::string path = dir.file("short.txt");
    write_file(path, "DADODU\n12Z 15 MAR 96\n!KBUF Sounding\n Lev   P     H     T     Td    Dir Spd $\n"
                     "   0  990   200   10.0   5.0  200  10\n   1  850\n   2  700  3000   -5.0 -10.0  250  30\n");
    THERM_read_raw(path.c_str());
    expect_levels(THERM_get_SM(), THERM_get_SM_num(),
                  {{990, 200, 10, 5, 200, 10}, {700, 3000, -5, -10, 250, 30}});
}

TEST(ThermRaw, FilesThatCannotBeOpened)
{
    TempDir dir;
    sample_loaded(dir.file("absent/snd.txt"));
    EXPECT_EQ(THERM_out_raw(), 0);
    EXPECT_EXIT(THERM_read_raw(dir.file("absent.txt").c_str()), testing::ExitedWithCode(VYK_EXIT_NO_FILE), "");
}
