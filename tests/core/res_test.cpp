// The resource list and the catalogue of resource kinds.
#include "vyk.h"
#include "vykresrc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

std::vector<std::string> names_in_order()
{
    std::vector<std::string> names;
    for (const resource *r = RES_first(); r; r = r->next) names.push_back(r->name);
    return names;
}

std::vector<std::string> words_of(const char *name)
{
    int count = -1;
    char **list = reinterpret_cast<char **>(1);
    int n = RES_getvals(name, &count, &list);
    EXPECT_EQ(n, count);
    std::vector<std::string> words(list, list + count);
    if (count > 0) free_parsed_array(count, list);
    else EXPECT_EQ(list, nullptr);
    return words;
}

}  // namespace

TEST(Res, SettingTwiceKeepsOneRecordInItsFirstPlaceWithTheLatestSetter)
{
    EXPECT_EQ(RES_new(12, "file_path", "/a", CV_path), 0);
    EXPECT_EQ(RES_new(3, "batch", nullptr, CV_batch), 0);
    EXPECT_EQ(RES_new(40, "file_path", "/b", CV_string), 0);
    EXPECT_EQ(names_in_order(), (std::vector<std::string>{"file_path", "batch"}));
    EXPECT_STREQ(RES_get("file_path"), "/b");
    const resource *r = RES_first();
    EXPECT_EQ(r->index, 40);
    EXPECT_EQ(r->cvt, CV_string);
}

TEST(Res, NamesAreComparedExactly)
{
    RES_new(1, "file_path", "/a", CV_path);
    EXPECT_EQ(RES_get("File_path"), nullptr);
    EXPECT_EQ(RES_get("file_pat"), nullptr);
    EXPECT_EQ(RES_get(nullptr), nullptr);
    EXPECT_TRUE(words_of("FILE_PATH").empty());
}

TEST(Res, ResourceWithoutValueReadsEmptyAndHasNoWords)
{
    RES_new(3, "batch", nullptr, CV_batch);
    ASSERT_NE(RES_get("batch"), nullptr);
    EXPECT_STREQ(RES_get("batch"), "");
    EXPECT_TRUE(words_of("batch").empty());
}

TEST(Res, AppendSplitsAtNewlinesOnlyForWordLists)
{
    struct Case {
        DEF_convert cvt;
        std::vector<std::string> words;
    } cases[] = {
        {CV_strings, {"a", "b"}},
        {CV_string, {"a\nb"}},
        {CV_strcpy, {"a\nb"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.cvt);
        std::string name = "list" + std::to_string(c.cvt);
        EXPECT_EQ(RES_append(50, name.c_str(), "a", c.cvt), 0);
        EXPECT_EQ(RES_append(50, name.c_str(), "b", c.cvt), 0);
        EXPECT_STREQ(RES_get(name.c_str()), "a\nb");
        EXPECT_EQ(words_of(name.c_str()), c.words);
    }
}

TEST(Res, GetvalsSplitsOtherValuesAtCommas)
{
    RES_new(60, "identifier", "ABC,DEF,GHI", CV_string);
    EXPECT_EQ(words_of("identifier"), (std::vector<std::string>{"ABC", "DEF", "GHI"}));
    int count = 7;
    EXPECT_EQ(RES_getvals("identifier", &count, nullptr), 0);
    EXPECT_EQ(count, 0);
}

TEST(Res, AppendKeepsIndexAndKindAndIgnoresMissingData)
{
    RES_new(49, "filename", nullptr, CV_strcpy);
    RES_append(50, "filename", nullptr, CV_strings);
    EXPECT_STREQ(RES_get("filename"), "");
    RES_append(50, "filename", "one", CV_strings);
    EXPECT_STREQ(RES_get("filename"), "one");
    RES_append(50, "filename", nullptr, CV_strings);
    EXPECT_STREQ(RES_get("filename"), "one");
    const resource *r = RES_first();
    EXPECT_EQ(r->index, 49);
    EXPECT_EQ(r->cvt, CV_strcpy);
    // Appending to a resource that does not exist creates it with the caller's row.
    RES_append(50, "value", "1", CV_strings);
    EXPECT_EQ(r->next->index, 50);
    EXPECT_EQ(r->next->cvt, CV_strings);
}

TEST(Res, ValueMayBeSetFromItself)
{
    RES_new(1, "label", "some text", CV_string);
    RES_new(1, "label", RES_get("label"), CV_string);
    EXPECT_STREQ(RES_get("label"), "some text");
    RES_append(1, "label", RES_get("label"), CV_string);
    EXPECT_STREQ(RES_get("label"), "some text\nsome text");
}

TEST(Res, PutStoresAFreeFormResource)
{
    EXPECT_EQ(RES_put("colour", "red"), 0);
    const resource *r = RES_first();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->index, VYK_MISS);
    EXPECT_EQ(r->cvt, CV_string);
    EXPECT_STREQ(r->data, "red");
    EXPECT_EQ(RES_put(nullptr, "x"), -1);
    EXPECT_EQ(RES_first()->next, nullptr);
}

TEST(Res, ListPrintsEveryResourceInOrder)
{
    RES_new(1, "file_path", "/a", CV_path);
    RES_new(3, "batch", nullptr, CV_batch);
    RES_put("title", "My plot");
    vyktest::CaptureStdio cap;
    EXPECT_EQ(RES_list(), 0);
    cap.finish();
    EXPECT_EQ(cap.out(), "file_path: /a\nbatch:\ntitle: My plot\n");
    EXPECT_EQ(cap.err(), "");
}

TEST(Res, ListFollowsTheMessageMask)
{
    RES_put("title", "x");
    MESS_set(0, 0x7);  // print sub-levels a to c only: mask 8 is off
    vyktest::CaptureStdio cap;
    RES_list();
    cap.finish();
    EXPECT_EQ(cap.out(), "");
}

TEST(Res, ProgramNameIsTheBaseNameOfTheFirstWord)
{
    EXPECT_EQ(RES_get_prog(), nullptr);
    struct Case {
        const char *first, *base;
    } cases[] = {
        {"/usr/local/bin/tool", "tool"},
        {"tool", "tool"},
        {"./bin/prfdisp", "prfdisp"},
        {"dir/", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first);
        char *argv[] = {const_cast<char *>(c.first), nullptr};
        EXPECT_EQ(RES_setCL(1, argv), 1);
        EXPECT_STREQ(RES_get_prog(), c.first);
        char buf[FILE_NAME_MAX + 1];
        EXPECT_EQ(RES_get_progname(buf), buf);
        EXPECT_STREQ(buf, c.base);
        char *own = RES_get_progname(nullptr);
        EXPECT_STREQ(own, c.base);
        free(own);
    }
}

TEST(Res, ProgramNameIsCutToTheCallersBuffer)
{
    std::string longname = "/bin/" + std::string(300, 'x');
    char *argv[] = {longname.data(), nullptr};
    RES_setCL(1, argv);
    char small[5];
    EXPECT_STREQ(RES_get_progname(small, sizeof small), "xxxx");
    // Without a size the buffer is taken to hold FILE_NAME_MAX + 1 bytes.
    char *buf = static_cast<char *>(malloc(FILE_NAME_MAX + 1));
    EXPECT_EQ(strlen(RES_get_progname(buf)), static_cast<size_t>(FILE_NAME_MAX));
    free(buf);
}

TEST(Res, EnterGivesEachKindItsRow)
{
    struct Case {
        res_type kind;
        const char *def, *env, *cmd;
        int slot;
        DEF_convert cvt;
    } cases[] = {
        {RES_help, "help", "vykhelp", "h", 0, CV_help},
        {RES_file_path, "file_path", "vykfile", "fp", 0, CV_path},
        {RES_raw_path, "raw_path", "dadodu", "rp", 0, CV_path},
        {RES_image_path, "image_path", "vykimage", "ip", 0, CV_string},
        {RES_in_file, "in_file", "vykinfile", "if", 0, CV_string},
        {RES_in_files, "in_file", "vykinfile", "if", 0, CV_string},
        {RES_input, "input", "vykin", "in", 0, CV_string},
        {RES_inputg, "input", "vykin", "inp", 0, CV_string},
        {RES_con_interval, "con_interval", "vykconint", "in", 0, CV_float},
        {RES_window_num, "window_num", "vykwindownum", "wn", 0, CV_int},
        {RES_plot_domain, "plot_domain", "vykdomain", "pd", 0, CV_domain},
        {RES_region, "region", "vykregion", "re", 0, CV_region},
        {RES_color_grid, "color_grid", "vykclrgrid", "cogr", 0, CV_string},
        {RES_icon, "icon", "vykicon", "ic", 0, CV_bool},
        {RES_command, "command", "vykcommand", nullptr, 10, CV_strings},
        {RES_commands, "command", "vykcommand", "cd", 0, CV_string},
        {RES_filename, "filename", "vykfilename", nullptr, 1, CV_strcpy},
        {RES_filenames, "filename", "vykfilename", nullptr, 10, CV_strings},
        {RES_values, "value", "vykvalue", nullptr, 10, CV_strings},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        int out = 0, num = 0;
        RES_defobj obj = {"x", "x", "x", 5, CV_none, &out, &num};
        EXPECT_EQ(RES_enter(&obj, c.kind), 1);
        EXPECT_STREQ(obj.def, c.def);
        EXPECT_STREQ(obj.env, c.env);
        if (c.cmd) EXPECT_STREQ(obj.cmd, c.cmd);
        else EXPECT_EQ(obj.cmd, nullptr);
        EXPECT_EQ(obj.slot, c.slot);
        EXPECT_EQ(obj.cvt, c.cvt);
        EXPECT_EQ(obj.out, nullptr);
        EXPECT_EQ(obj.num, nullptr);
    }
}

// Every kind either has a complete row or prints its number; 89 kinds have rows.
TEST(Res, CatalogueHasEightyNineRows)
{
    const std::vector<int> without = {0,  1,  4,  7,  12, 14, 21, 25, 36, 38, 42, 43, 61,
                                      62, 66, 70, 75, 77, 81, 87, 90, 91, 93, 95, 97, 103};
    std::string expected_out;
    for (int k : without) expected_out += std::to_string(k) + "\n";

    std::map<std::string, std::vector<int>> by_abbr;
    int rows = 0;
    vyktest::CaptureStdio cap;
    for (int k = RES_null; k <= RES_sat_path; k++) {
        RES_defobj obj{};
        RES_enter(&obj, static_cast<res_type>(k));
        if (obj.def[0] == '\0') continue;
        rows++;
        EXPECT_NE(obj.env, nullptr) << k;
        if (obj.cmd) {
            EXPECT_EQ(obj.slot, 0) << k;
            by_abbr[obj.cmd].push_back(k);
        } else {
            EXPECT_TRUE(obj.slot == 1 || obj.slot == 10) << k;
        }
    }
    cap.finish();
    EXPECT_EQ(rows, 89);
    EXPECT_EQ(cap.out(), expected_out);
    // Abbreviations shared by two kinds: the two forms of in_file, and input with con_interval.
    std::map<std::string, std::vector<int>> shared;
    for (const auto &[abbr, kinds] : by_abbr)
        if (kinds.size() > 1) shared[abbr] = kinds;
    EXPECT_EQ(shared, (std::map<std::string, std::vector<int>>{
                          {"if", {RES_in_file, RES_in_files}},
                          {"in", {RES_con_interval, RES_input}}}));
}

TEST(Res, FillObjHoldsAnAbbreviationOrASlot)
{
    int out = 0, num = 0;
    RES_defobj obj{};
    EXPECT_EQ(RES_fill_obj(&obj, "name", "vykname", "na", CV_string, &out, &num), 1);
    EXPECT_STREQ(obj.cmd, "na");
    EXPECT_EQ(obj.slot, 0);
    EXPECT_EQ(obj.out, &out);
    EXPECT_EQ(obj.num, &num);
    EXPECT_EQ(RES_fill_obj(&obj, "filename", "vykfilename", 10, CV_strings, nullptr, &num), 1);
    EXPECT_EQ(obj.cmd, nullptr);
    EXPECT_EQ(obj.slot, 10);
    EXPECT_EQ(obj.cvt, CV_strings);
    EXPECT_EQ(obj.out, nullptr);
}

TEST(Res, HelpItemForms)
{
    struct Case {
        res_type kind;
        const char *out;
    } cases[] = {
        {RES_help, " -h          Print this help\n"},
        {RES_map_file, " -mf file[,file]  Map database files\n"},
        {RES_values, " val1 val2 ...  Input values:\n"},
        {RES_object_param,
         " -oa smooth[,radinf,pass,conv,min]\n             Objective analysis parameters\n"},
        {RES_grid_domain, " -gd region or [proj],clat,clon[,nx,ny][,dx,dy]\n"
                          "             Grid domain\n"
                          "               region=predefined region:\n"
                          "                  us,ne,at,se,mw,sp,nw,sw,etc\n"
                          "               proj=projection, clat=central latitude, clon=central longitude,\n"
                          "               nx,ny=number of gridpoints and dx,dy=grid spacing\n"},
        {RES_age, "1\n"},
        {RES_unit, "103\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        vyktest::CaptureStdio cap;
        EXPECT_EQ(RES_help_item(c.kind), 1);
        cap.finish();
        EXPECT_EQ(cap.out(), c.out);
    }
}

TEST(Res, HelpPrintGivesNineLinesForASmallProgram)
{
    const res_type keys[] = {RES_help, RES_batch, RES_null};
    const res_type pos[] = {RES_filenames, RES_null};
    vyktest::CaptureStdio cap;
    EXPECT_EQ(RES_help_print("tool", keys, pos), 1);
    cap.finish();
    EXPECT_EQ(cap.out(), "tool syntax (version:5.60.2-LINUX-X11)\n"
                         "   tool [options...]\n"
                         "Keyed options...\n"
                         " -df file    Resource/defaults file name\n"
                         " -na name    Program name\n"
                         " -h          Print this help\n"
                         " -ba         Run program in batch mode\n"
                         "Positional options...\n"
                         " file [file...]  Input file names\n");
}

TEST(Res, HelpPrintOfTheProfilerDisplay)
{
    const res_type keys[] = {
        RES_help,         RES_batch,       RES_message,      RES_file_path,   RES_data_path,
        RES_con_path,     RES_grid_path,   RES_raw_path,     RES_image_path,  RES_watch_path,
        RES_text_path,    RES_model_path,  RES_sat_path,     RES_city_file,   RES_map_file,
        RES_name_conv,    RES_in_files,    RES_out_file,     RES_file_param,  RES_current,
        RES_hour,         RES_num_hour,    RES_identifier,   RES_plot_domain, RES_grid_domain,
        RES_region,       RES_stat_prior,  RES_variable,     RES_level,       RES_plot_type,
        RES_plot_scale,   RES_plot_format, RES_plot_param,   RES_draw,        RES_label,
        RES_con_interval, RES_con_base,    RES_font_list,    RES_color_table, RES_color_text,
        RES_color_data,   RES_color_map,   RES_color_grid,   RES_color_line,  RES_color_wind,
        RES_color_cloud,  RES_color_wx,    RES_color_cmap,   RES_color_cont,  RES_color_fill,
        RES_color_label,  RES_color_clabel, RES_device,      RES_title,       RES_icon,
        RES_background,   RES_geometry,    RES_null};
    static_assert(sizeof keys / sizeof keys[0] == 58);
    const res_type pos[] = {RES_filenames, RES_null};
    vyktest::CaptureStdio cap;
    RES_help_print("prfdisp", keys, pos);
    cap.finish();
    EXPECT_EQ(cap.out(), vyktest::read_file(vyktest::data("prfdisp_help.txt")));
    EXPECT_EQ(cap.err(), "");
}
