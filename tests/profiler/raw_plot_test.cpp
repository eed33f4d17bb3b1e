// The plot-format language and the datum texts: the items of a format as a table, hostile value
// formats (the default is used and nothing is read that was not passed), the zero-suppressed
// form, and the display texts of each datum type.
#include <gtest/gtest.h>

#include "dadodu.h"
#include "kernel_util.h"
#include "test_util.h"

#include <cmath>
#include <functional>
#include <string>

using vyktest::CaptureStdio;
using vyktest::TempDir;
using vyktest::count;
using vyktest::write_file;

namespace {

constexpr float M = VYK_MISS;

using vyktest::Colours;

RAW_attribs fresh()
{
    RAW_attribs a;
    RAW_init_attrib(&a);
    return a;
}

/// The differences between two sets, one line per field.
std::string diff(const RAW_attribs &a, const RAW_attribs &b)
{
    std::string out;
    auto f = [&](const char *name, double x, double y) {
        if (std::fabs(x - y) > 1e-6) out += std::string(name) + " " + std::to_string(x) + " != " + std::to_string(y) + "\n";
    };
    auto s = [&](const char *name, const char *x, const char *y) {
        if (std::string(x) != y) out += std::string(name) + " '" + x + "' != '" + y + "'\n";
    };
    f("color", a.attrib.color, b.attrib.color);
    f("width", a.attrib.width, b.attrib.width);
    f("height", a.attrib.height, b.attrib.height);
    f("expan", a.attrib.expan, b.attrib.expan);
    f("style", a.attrib.style, b.attrib.style);
    f("fill_pat", a.attrib.fill_pat, b.attrib.fill_pat);
    f("font", a.attrib.font, b.attrib.font);
    f("intrvl", a.intrvl, b.intrvl);
    f("scale", a.scale, b.scale);
    f("base", a.base, b.base);
    f("min", a.min, b.min);
    f("max", a.max, b.max);
    f("type", a.type, b.type);
    s("symbol", a.symbol, b.symbol);
    s("text", a.text, b.text);
    s("format", a.format, b.format);
    f("bar", a.bar, b.bar);
    f("marker", a.marker, b.marker);
    f("hor", a.hor, b.hor);
    f("vert", a.vert, b.vert);
    f("x", a.x, b.x);
    f("y", a.y, b.y);
    f("line", a.line, b.line);
    f("skip", a.skip, b.skip);
    return out;
}

TEST(RawPlot, StartValues)
{
    const RAW_attribs a = fresh();
    EXPECT_EQ(a.attrib.color, VYK_MISS);
    EXPECT_EQ(a.intrvl, M);
    EXPECT_EQ(a.scale, 1);
    EXPECT_EQ(a.base, 0);
    EXPECT_EQ(a.min, M);
    EXPECT_EQ(a.max, M);
    EXPECT_EQ(a.type, 1);
    EXPECT_EQ(a.bar, VYK_MISS);
    EXPECT_EQ(a.marker, 0);
    EXPECT_EQ(a.hor, 2);
    EXPECT_EQ(a.vert, 3);
    EXPECT_EQ(a.skip, 1);
    EXPECT_STREQ(a.format, "");
}

TEST(RawPlot, FormatLanguage)
{
    Colours colours;
    RES_put("color_text", "magenta:wi=2");
    using Change = std::function<void(RAW_attribs &)>;
    const struct {
        const char *format;
        int type;
        Change expect;
    } rows[] = {
        {"%4.1f:wbarb:co=red:ur", 32,
         [](RAW_attribs &a) {
             strfcpy(a.format, "%4.1f");
             a.attrib.color = 0;
             a.x = 0.012f, a.y = 0.02f, a.hor = 1, a.vert = 3;
         }},
        {"wbarb:%4.1f", 2, [](RAW_attribs &a) { strfcpy(a.format, "%4.1f"); }},
        {"CO=green:UR:WBARB", 32,
         [](RAW_attribs &a) { a.attrib.color = 1, a.x = 0.012f, a.y = 0.02f, a.hor = 1; }},
        {"fm=%5.2f", 2, [](RAW_attribs &a) { strfcpy(a.format, "%5.2f"); }},
        {"sc=0.001", 0, [](RAW_attribs &) {}},
        {"sc=5000", 0, [](RAW_attribs &) {}},
        {"sc=2.5", 0, [](RAW_attribs &a) { a.scale = 2.5f; }},
        {"cl", 0, [](RAW_attribs &a) { a.x = -0.012f, a.hor = 3; }},
        {"lr", 0, [](RAW_attribs &a) { a.x = 0.012f, a.y = -0.02f, a.hor = 1; }},
        {"tc", 0, [](RAW_attribs &a) { a.y = 0.012f; }},
        {"xy=2 -1", 0, [](RAW_attribs &a) { a.x = 0.024f, a.y = -0.02f, a.hor = 1; }},
        {"xy=-1 0", 0, [](RAW_attribs &a) { a.x = -0.012f, a.hor = 3; }},
        {"xy=1", 0, [](RAW_attribs &) {}},
        {"ta=rb", 0, [](RAW_attribs &a) { a.hor = 3, a.vert = 5; }},
        {"ta=lt", 0, [](RAW_attribs &a) { a.hor = 1, a.vert = 1; }},
        {"ta=xs", 0, [](RAW_attribs &a) { a.vert = 4; }},
        {"ta=Lc", 0, [](RAW_attribs &a) { a.hor = 1, a.vert = 2; }},
        {"mk=circle", 0, [](RAW_attribs &a) { a.marker = 4; }},
        {"mk=itri", 0, [](RAW_attribs &a) { a.marker = 9; }},
        {"mk=square", 0, [](RAW_attribs &a) { a.marker = 6; }},
        {"mk=7", 0, [](RAW_attribs &a) { a.marker = 7; }},
        {"mn=-5:mx=30:sk=3", 0, [](RAW_attribs &a) { a.min = -5, a.max = 30, a.skip = 3; }},
        {"mn=abc", 0, [](RAW_attribs &) {}},
        {"tx=abcdefghijkl", 0, [](RAW_attribs &a) { strfcpy(a.text, "abcdefghi"); }},
        {"sf=wx.smb", 0, [](RAW_attribs &a) { strfcpy(a.symbol, "wx.smb"); }},
        {"wf=other.smb", 0, [](RAW_attribs &a) { strfcpy(a.symbol, "other.smb"); }},
        {"hi=2:wi=3:te=1.5", 0,
         [](RAW_attribs &a) { a.attrib.height = 2, a.attrib.width = 3, a.attrib.expan = 1.5f; }},
        {"rs=color_text", 0, [](RAW_attribs &a) { a.attrib.color = 2, a.attrib.width = 2; }},
        {"rs=color_absent", 0, [](RAW_attribs &) {}},
        {"co=none", 0, [](RAW_attribs &a) { a.attrib.color = -1; }},
        {"junk:mk", 4, [](RAW_attribs &) {}},
        {"symb", 36, [](RAW_attribs &) {}},
        {"wx", 36, [](RAW_attribs &) {}},
        {"track", 23, [](RAW_attribs &) {}},
        {"line", 37, [](RAW_attribs &) {}},
        {"cloud:value:int", 2, [](RAW_attribs &) {}},
        {"::%3.0f::", 2, [](RAW_attribs &a) { strfcpy(a.format, "%3.0f"); }},
        {"", 0, [](RAW_attribs &) {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.format);
        RAW_attribs got = fresh(), want = fresh();
        EXPECT_EQ(RAW_parse_format(&got, row.format), row.type);
        row.expect(want);
        EXPECT_EQ(diff(got, want), "");
    }
}

TEST(RawPlot, OverlongItemsAreRefused)
{
    // A format or file name that does not fit its field is not cut into another one.
    const std::string format = "%5.1f" + std::string(195, 'x');
    const std::string symbol = std::string(60, 's') + ".smb";
    CaptureStdio cap;
    RAW_attribs a = fresh();
    EXPECT_EQ(RAW_parse_format(&a, format.c_str()), 2);
    EXPECT_EQ(RAW_parse_format(&a, ("sf=" + symbol).c_str()), 0);
    EXPECT_EQ(RAW_parse_format(&a, ("fm=" + format).c_str()), 2);
    RAW_set_format(format.c_str());
    cap.finish();
    EXPECT_STREQ(a.format, "");
    EXPECT_STREQ(a.symbol, "");
    EXPECT_STREQ(RAW_get_format(), "");
    EXPECT_EQ(count(cap.err(), "longer than"), 4) << cap.err();
}

RAW_data datum(int type, float v0, float v1 = M, const char *data = "")
{
    RAW_data d;
    RAW_data_init(&d);
    d.type = type;
    d.value[0] = v0;
    d.value[1] = v1;
    strfcpy(d.data, data);
    return d;
}

std::string text_of(const RAW_data &d, const char *start = "")
{
    char out[64];
    strfcpy(out, start);
    RAW_data_to_string(&d, out, sizeof out);
    return out;
}

TEST(RawPlot, HostileFormatsUseTheDefault)
{
    // Each is refused for a value (printed "%1.0f") and for an integer (printed "%d"), with one
    // warning for each text however often it is used; under the sanitizers nothing is read
    // that was not passed.
    const std::string hostile[] = {
        "%s", "%n", "%d%d", "%", "%5.1f%s", "%*d", "%.*f", "%1$f", "%lf", "%5.1f %n", "%5.1f%%%d",
        "abc", "%12345.1f", "%9999.1f",
    };
    for (const std::string &f : hostile) {
        SCOPED_TRACE(f);
        CaptureStdio cap;
        RAW_set_format(f.c_str());
        EXPECT_EQ(text_of(datum(VAR_T_VALUE, 12.34f)), "12");
        EXPECT_EQ(text_of(datum(VAR_T_VALUE, 12.34f)), "12");
        EXPECT_EQ(text_of(datum(VAR_T_DATA, 7.6f)), "8");
        cap.finish();
        EXPECT_EQ(count(cap.err(), "is not one number conversion"), 1) << cap.err();
    }
    // A float conversion is not an integer one, nor the other way round.
    CaptureStdio cap;
    RAW_set_format("%5.1f");
    EXPECT_EQ(text_of(datum(VAR_T_VALUE, 12.34f)), " 12.3");
    EXPECT_EQ(text_of(datum(VAR_T_INT, 12.34f)), "12");
    RAW_set_format("%03d");
    EXPECT_EQ(text_of(datum(VAR_T_INT, 7.9f)), "007");
    EXPECT_EQ(text_of(datum(VAR_T_VALUE, 7.9f)), "8");
    RAW_set_format("T=%+.2e K");
    EXPECT_EQ(text_of(datum(VAR_T_VALUE, 1234.5f)), "T=+1.23e+03 K");
    cap.finish();
    EXPECT_EQ(count(cap.err(), "is not one number conversion"), 2) << cap.err();
}

TEST(RawPlot, DatumTexts)
{
    const struct {
        const char *format;
        RAW_data d;
        const char *text;
    } rows[] = {
        {"", datum(VAR_T_VALUE, 12.6f), "13"},
        {"%4.1f", datum(VAR_T_VALUE, 12.6f), "12.6"},
        {"", datum(VAR_T_VALUE, M, M, "text"), "before"},  // missing: left as it was
        {"", datum(VAR_T_DATA, M, M, "abc"), "abc"},
        {"", datum(VAR_T_DATA, M), ""},
        {"", datum(VAR_T_DATA, 3.2f), "3"},
        {"", datum(VAR_T_DATA, 3.2f, M, "txt"), "txt"},
        {"", datum(VAR_T_TEXT, 3.2f, M, "txt"), "txt"},
        {"", datum(VAR_T_MARK, M, M, "plus"), "plus"},
        {"", datum(VAR_T_CLOUD, M, M, "5"), "5"},
        {"", datum(VAR_T_SYMB, M, M, "rain"), "rain"},
        {"", datum(VAR_T_INT, 7.9f), "7"},
        {"", datum(VAR_T_INT, -7.9f), "-7"},
        {"", datum(VAR_T_INT, M), "before"},
        {"", datum(VAR_T_WBARB, 270, 15), "270-15"},
        {"", datum(VAR_T_BARB, 10.4f, 5.6f), "10-6"},
        {"", datum(VAR_T_VBARB, 90, 0), "90-0"},
        {"", datum(VAR_T_LINE, 1, 2, "pre"), "before"},
        {"%z1.2f", datum(VAR_T_VALUE, 0.25f), ".25"},
        {"%z1.2f", datum(VAR_T_VALUE, -0.25f), "-.25"},
        {"%z1.2f", datum(VAR_T_VALUE, 1.25f), "1.25"},
        {"%z5.2f", datum(VAR_T_VALUE, 0.5f), " .50"},
        {"%z1.0f", datum(VAR_T_VALUE, 0), "0"},
        // A value that rounds to zero has no sign: never "-0".
        {"", datum(VAR_T_VALUE, -0.3f), "0"},
        {"%.1f", datum(VAR_T_VALUE, -0.04f), "0.0"},
        {"%.1f", datum(VAR_T_VALUE, -0.3f), "-0.3"},
        {"%5.1f", datum(VAR_T_VALUE, -0.01f), "  0.0"},
        {"%z1.1f", datum(VAR_T_VALUE, -0.02f), ".0"},
        {"%e", datum(VAR_T_VALUE, -1e-30f), "-1.000000e-30"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.format) + " " + std::to_string(row.d.type));
        RAW_set_format(row.format);
        EXPECT_EQ(text_of(row.d, "before"), row.text);
    }
}

TEST(RawPlot, SmallBuffersHoldTheirText)
{
    RAW_set_format("%12.6f");
    char out[5] = "xxxx";
    const RAW_data value = datum(VAR_T_VALUE, 1234.5f), wind = datum(VAR_T_WBARB, 270, 150);
    RAW_data_to_string(&value, out, sizeof out);  // " 1234.500000" cut
    EXPECT_STREQ(out, " 123");
    RAW_data_to_string(&wind, out, 1);
    EXPECT_STREQ(out, "");
}

TEST(RawPlot, RecordsAndSetters)
{
    RAW_data d;
    d.type = VAR_T_WBARB;
    d.x = 3;
    RAW_data_init(&d);
    EXPECT_EQ(d.type, VAR_T_WBARB);  // kept
    EXPECT_EQ(d.x, M);
    EXPECT_EQ(d.attr.color, VYK_MISS);
    const float v[2] = {1, 2};
    RAW_set(&d, 4, 5, VAR_T_VALUE, "%3.1f", "abc", v);
    EXPECT_EQ(d.x, 4);
    EXPECT_EQ(d.type, VAR_T_VALUE);
    EXPECT_STREQ(d.format, "%3.1f");
    RAW_data_init_val(&d);
    EXPECT_EQ(d.value[0], M);
    EXPECT_STREQ(d.data, "");
    EXPECT_STREQ(d.format, "%3.1f");
    EXPECT_EQ(d.x, 4);
    RAW_set_range(30, -10);
    float mx, mn;
    RAW_get_range(&mx, &mn);
    EXPECT_EQ(mx, 30);
    EXPECT_EQ(mn, -10);
    RAW_set_intrvl(5);
    EXPECT_EQ(RAW_get_intrvl(), 5);
    RAW_set_scale(2);
    EXPECT_EQ(RAW_get_scale(), 2);
    CaptureStdio cap;
    RAW_print(M_PRINT, &d);
    cap.finish();
    EXPECT_NE(cap.out().find("Location: 4.000000 5.000000\nType: 2\nFormat: %3.1f\nData: \n"),
              std::string::npos)
        << cap.out();
}

}  // namespace
