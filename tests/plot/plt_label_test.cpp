// The label store: lines and overlays by label type, cutting at the line's size, the label
// templates with their date codes, and the items of the `label` resource.
#include <gtest/gtest.h>

#include "date_util.h"
#include "test_util.h"
#include "vykplot.h"
#include "vykresrc.h"

#include <string>

namespace {

std::string label(int pos, int line)
{
    const char *text = PLT_get_label(pos, line);
    return text ? text : "(null)";
}

TEST(PltLabel, OverlaysOfEachLabelType)
{
    // Type 0: each field writes a line of its own.
    PLT_set_label_type(PLT_LABEL_NORMAL);
    PLT_label_up_left("TEMP");
    EXPECT_EQ(PLT_next_overlay(), 1);
    PLT_label_up_left("WIND");
    EXPECT_EQ(label(PLT_UP_LEFT, 0), "TEMP");
    EXPECT_EQ(label(PLT_UP_LEFT, 1), "WIND");
    EXPECT_EQ(PLT_get_num_over(), 1);
    EXPECT_EQ(PLT_get_label_type(), PLT_LABEL_NORMAL);

    // Type -1: later fields append to line 0, each at the offset where its overlay began, so
    // a later text of the same overlay replaces the earlier one.
    PLT_init_labels();
    PLT_set_overlay(0);
    PLT_set_label_type(PLT_LABEL_SIMPLE);
    PLT_label_up_left("TEMP");
    PLT_next_overlay();
    EXPECT_EQ(PLT_get_label_type(), -2);
    PLT_label_up_left("WIND");
    EXPECT_EQ(label(PLT_UP_LEFT, 0), "TEMP WIND");
    PLT_label_up_left("GUST");
    EXPECT_EQ(label(PLT_UP_LEFT, 0), "TEMP GUST");
    PLT_next_overlay();
    PLT_label_up_left("RH");
    EXPECT_EQ(label(PLT_UP_LEFT, 0), "TEMP GUST RH");
    EXPECT_EQ(label(PLT_UP_LEFT, 1), "");
    EXPECT_EQ(PLT_get_label_type(), -3);

    // A positive type counts the overlays up.
    PLT_set_label_type(PLT_LABEL_COMPLETE);
    PLT_next_overlay();
    EXPECT_EQ(PLT_get_label_type(), 2);

    // Line 5 is the last.
    PLT_set_overlay(9);
    EXPECT_EQ(PLT_next_overlay(), -1);
    EXPECT_EQ(PLT_get_num_over(), PLT_LABEL_LINES);  // raised to 9, kept within the lines
    PLT_label_low_right("last");
    EXPECT_EQ(label(PLT_LOW_RIGHT, 5), "last");

    // A negative overlay line switches label writes off.
    PLT_set_overlay(-1);
    PLT_label_low_right("none");
    EXPECT_EQ(label(PLT_LOW_RIGHT, 5), "last");

    // Emptying keeps the type and the overlay line but counts no overlays.
    PLT_init_labels();
    EXPECT_EQ(label(PLT_LOW_RIGHT, 5), "");
    EXPECT_EQ(label(PLT_UP_LEFT, 0), "");
    EXPECT_EQ(PLT_get_num_over(), 0);
    EXPECT_EQ(PLT_get_label_type(), 2);
}

TEST(PltLabel, PositionsCountsAndBases)
{
    PLT_set_overlay(0);
    const struct {
        int (*write)(const char *);
        int pos;
    } writers[] = {{PLT_label_up_left, 0},  {PLT_label_up_center, 1}, {PLT_label_up_right, 2},
                   {PLT_label_low_left, 3}, {PLT_label_low_center, 4}, {PLT_label_low_right, 5}};
    for (const auto &w : writers) {
        const std::string text = "pos " + std::to_string(w.pos);
        EXPECT_EQ(w.write(text.c_str()), 0);
        EXPECT_EQ(label(w.pos, 0), text);
    }
    // Positions and lines outside the store.
    EXPECT_EQ(PLT_get_label(6, 0), nullptr);
    EXPECT_EQ(PLT_get_label(-1, 0), nullptr);
    EXPECT_EQ(PLT_get_label(0, 6), nullptr);
    EXPECT_EQ(PLT_label_strcpy(6, "x"), -1);
    EXPECT_EQ(PLT_label_strcat(-1, "x"), -1);

    // Counts are raised, never lowered, and stay within the six lines.
    PLT_set_num_overlay(2);
    EXPECT_EQ(PLT_get_num_over(), 2);
    PLT_set_num_overlay(1);
    EXPECT_EQ(PLT_get_num_over(), 2);
    PLT_set_num_overlay(-4);
    EXPECT_EQ(PLT_get_num_over(), 4);
    PLT_set_num_overlay(1000);
    EXPECT_EQ(PLT_get_num_over(), PLT_LABEL_LINES);
    PLT_set_overlay_base(9);
    EXPECT_EQ(PLT_get_overlay_base(), 5);
    PLT_set_overlay_base(-3);
    EXPECT_EQ(PLT_get_overlay_base(), 0);
}

TEST(PltLabel, TextsAreCutToTheirLine)
{
    const std::string long69(69, 'x');
    const std::string long200(200, 'y');
    PLT_set_overlay(0);
    PLT_label_strcpy(PLT_UP_RIGHT, long69.c_str());
    EXPECT_EQ(label(PLT_UP_RIGHT, 0), std::string(PLT_LABEL_MAX, 'x'));
    PLT_label_strcpy(PLT_UP_RIGHT, long200.c_str());
    EXPECT_EQ(label(PLT_UP_RIGHT, 0), std::string(PLT_LABEL_MAX, 'y'));
    PLT_label_strcpy(PLT_UP_RIGHT, nullptr);
    EXPECT_EQ(label(PLT_UP_RIGHT, 0), "");

    // Appends end at the line's size too, however often they come.
    PLT_set_label_type(PLT_LABEL_SIMPLE);
    PLT_label_up_right(std::string(60, 'a').c_str());
    for (int i = 0; i < 5; i++) {
        PLT_next_overlay();
        PLT_label_up_right(long200.c_str());
        EXPECT_LE(label(PLT_UP_RIGHT, 0).size(), static_cast<size_t>(PLT_LABEL_MAX));
    }
    EXPECT_EQ(label(PLT_UP_RIGHT, 0), std::string(60, 'a') + " " + std::string(7, 'y'));
}

TEST(PltLabel, Templates)
{
    Date d = vyktest::make_date(2024, 3, 5, 12, 7);
    PLT_label_date(&d);
    PLT_label_for_time(36);
    char date_label[DATE_LABEL_LEN], valid[DATE_LABEL_LEN], valid_day[DATE_LABEL_LEN];
    DATE_make_label(&d, date_label);
    DATE_make_label_valid_time(36, &d, valid);
    Date no_hour = d;
    no_hour.hour = VYK_MISS;
    DATE_make_label_valid_time(36, &no_hour, valid_day);
    const struct {
        const char *form;
        std::string expect;
    } rows[] = {
        {"%D_%h%%", std::string(date_label) + " 12%"},
        {"%V", valid},
        {"%y%m%d%h%n", "2403051207"},
        {"%b", "MAR"},
        {"%f_fcst", "36 hour fcst"},
        {"%F", "1.5 day"},
        {"a%qb", "ab"},          // no code: nothing, the letter skipped
        {"end%", "end"},         // a '%' at the end ends the template
        {"Analysis_%%_%", "Analysis % "},
        {"%W", valid_day},
        {"%h", "-9"},            // %W left the hour missing: "-9999" keeps two characters
    };
    for (const auto &r : rows) {
        char out[PLT_FORMAT_LEN];
        EXPECT_EQ(PLT_label_format(r.form, out), 0);
        EXPECT_EQ(std::string(out), r.expect) << r.form;
    }
    // The hour comes back with the next label date.
    PLT_label_date(&d);
    char out[PLT_FORMAT_LEN];
    PLT_label_format("%h", out);
    EXPECT_STREQ(out, "12");

    // Expansions stop at the buffer's end.
    char small[10];
    PLT_label_format("%D%D%D%D", small, sizeof small);
    EXPECT_EQ(std::string(small), std::string(date_label).substr(0, 9));
    const std::string many(500, '_');
    PLT_label_format(many.c_str(), out);
    EXPECT_EQ(std::string(out), std::string(PLT_FORMAT_LEN - 1, ' '));
}

TEST(PltLabel, DayTextsOfTheForecastCode)
{
    PLT_label_for_time(48);
    char out[PLT_FORMAT_LEN];
    PLT_label_format("%f|%F", out);
    char hours[DATE_FHOUR_LEN], days[DATE_FHOUR_LEN];
    DATE_fhour_label(hours, 48, 0);
    DATE_fhour_label(days, 48, 1);
    EXPECT_EQ(std::string(out), std::string(hours) + "|" + days);
    PLT_label_for_time(0);
    PLT_label_format("[%f]", out);
    EXPECT_STREQ(out, "[]");
}

}  // namespace
