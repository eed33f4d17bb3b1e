// Domains and domain strings: the layouts of DOM_decode as a table of cases, the projection
// names, DOM_print reading back for every kind, comparisons, the aspect ratio and the station
// priority, and hostile texts.
#include <gtest/gtest.h>

#include "test_util.h"
#include "vykplot.h"

#include <cmath>
#include <string>

using vyktest::CaptureStdio;

namespace {

constexpr int M = -9999;

struct DecodeCase {
    const char *text;
    int result;
    int proj;
    float plat, plon, p0, p1, clat, clon;
    int nx, ny;
    float dx, dy;
    int ellipse;
};

const DecodeCase DECODE_CASES[] = {
    // text                         result proj plat plon p0  p1  clat  clon  nx  ny  dx  dy  e
    {"none", 1, 1, M, M, M, M, M, M, 25, 17, 1.2f, 1.2f, 0},
    {"40,-100", 1, 1, M, M, M, M, 40, -100, 25, 17, 1.2f, 1.2f, 0},
    {"ps,40,-105,25,17,1", 1, 1, M, 40, M, M, -105, 25, 25, 17, 17, 1, 0},
    {"40,-100,25,17,1,1", 1, 1, M, M, M, M, 40, -100, 25, 17, 1, 1, 0},
    {"ps:-105,40,-100,2", 1, 1, M, -105, M, M, 40, -100, 25, 17, 2, 2, 0},
    {"ps:e,40,-100,2", 1, 1, M, M, M, M, 40, -100, 25, 17, 2, 2, 1},
    {"lc:e:40:-100:30:60,40,-100,25,17,1,1", 1, 4, 40, -100, 30, 60, 40, -100, 25, 17, 1, 1, 1},
    {"ps::-105,40,-100,2", 1, 1, M, -105, M, M, 40, -100, 25, 17, 2, 2, 0},
    {"ps:60:,40,-100,2", 1, 1, 60, M, M, M, 40, -100, 25, 17, 2, 2, 0},
    {"size,640,480", 1, 51, M, M, M, M, M, M, 640, 480, M, M, 0},
    {"SIZE,640,480", 1, 51, M, M, M, M, M, M, 640, 480, M, M, 0},
    {"zoom,1,2", 1, 50, M, M, M, M, 1, 2, 25, 17, 1, 1, 0},
    {"merc,10,20", 1, 3, M, M, M, M, 10, 20, 25, 17, 1.2f, 1.2f, 0},
    {"40abc,-100", 1, 1, M, M, M, M, 40, -100, 25, 17, 1.2f, 1.2f, 0},
    {"40,,25,17,1,1", 1, 1, M, M, M, M, 40, M, 25, 17, 1, 1, 0},
    {"lambaz,50,10", 1, 8, M, M, M, M, 50, 10, 25, 17, 1.2f, 1.2f, 0},
    {"xz,1,2", 1, 21, M, M, M, M, 1, 2, 25, 17, 1.2f, 1.2f, 0},
    {"lamb,40,-100,25,17,1,1", 1, 4, M, M, M, M, 40, -100, 25, 17, 1, 1, 0},
    {"cat,-1,-1000,25,21,14,18000", 1, 24, M, M, M, M, -1, -1000, 25, 21, 14, 18000, 0},
    {"ps,40,-100,25,17,1.5,2.5,", 1, 1, M, M, M, M, 40, -100, 25, 17, 1.5f, 2.5f, 0},
    {"miss,1", 1, 1, M, M, M, M, M, M, 25, 17, 1.2f, 1.2f, 0},
    {"us", 2, 1, M, -97, M, M, 39, -97, 25, 17, 2.3f, 2.3f, 0},
    // Invalid texts.
    {"ps:abc,40,-100", -1, -9999, M, M, M, M, M, M, M, M, M, M, 0},
    {"nowhere", -1, -9999, M, M, M, M, M, M, M, M, M, M, 0},
    {"40", -1, -9999, M, M, M, M, M, M, M, M, M, M, 0},
    {"nan,0", -1, -9999, M, M, M, M, M, M, M, M, M, M, 0},
    {"1e39,0", -1, -9999, M, M, M, M, M, M, M, M, M, M, 0},
    {"40,-100,99999999999,17", -1, -9999, M, M, M, M, M, M, M, M, M, M, 0},
    {"proj,1,2", -1, -9999, M, M, M, M, M, M, M, M, M, M, 0},
};

TEST(Dom, DecodeLayouts)
{
    for (const DecodeCase &c : DECODE_CASES) {
        SCOPED_TRACE(c.text);
        Domain d;
        CaptureStdio cap;
        const int r = DOM_decode(c.text, &d);
        cap.finish();
        EXPECT_EQ(r, c.result);
        if (c.result == -1) {
            EXPECT_NE(cap.err().find("DOM_decode: Invalid plot domain"), std::string::npos);
            EXPECT_EQ(FLAG_get(5), -1);
            continue;
        }
        EXPECT_EQ(d.proj, c.proj);
        EXPECT_FLOAT_EQ(d.plat, c.plat);
        EXPECT_FLOAT_EQ(d.plon, c.plon);
        EXPECT_FLOAT_EQ(d.param[0], c.p0);
        EXPECT_FLOAT_EQ(d.param[1], c.p1);
        EXPECT_FLOAT_EQ(d.param[2], M);
        EXPECT_FLOAT_EQ(d.clat, c.clat);
        EXPECT_FLOAT_EQ(d.clon, c.clon);
        EXPECT_EQ(d.nx, c.nx);
        EXPECT_EQ(d.ny, c.ny);
        EXPECT_FLOAT_EQ(d.dx, c.dx);
        EXPECT_FLOAT_EQ(d.dy, c.dy);
        EXPECT_EQ(d.ellipse, c.ellipse);
        EXPECT_EQ(FLAG_get(5), c.result);
    }
}

TEST(Dom, NoDomainLeavesTheStateAlone)
{
    Domain d;
    DOM_decode("40,-100", &d);  // flag 5 = 1, priority 3 (16 x 1.2 = 19.2)
    EXPECT_EQ(DOM_get_prior(), 3);
    DOM_set_prior(7);
    for (const char *text : {"miss", "MISS", ""}) {
        EXPECT_EQ(DOM_decode(text, &d), -9999);
        EXPECT_EQ(d.proj, -9999);
    }
    EXPECT_EQ(DOM_decode(nullptr, &d), -9999);
    EXPECT_EQ(FLAG_get(5), 1);
    EXPECT_EQ(DOM_get_prior(), 7);

    // The region key and the priority follow the text that was read.
    DOM_decode("us", &d);
    char key[40];
    FILE_get_key('r', key);
    EXPECT_STREQ(key, "us");
    EXPECT_EQ(DOM_get_prior(), 2);  // 16 x 2.3 = 36.8
    // A text read from a file never makes a path of the key.
    DOM_decode("../../etc/x:y", &d);
    FILE_get_key('r', key);
    EXPECT_EQ(std::string(key).find('/'), std::string::npos) << key;
}

TEST(Dom, ProjectionNames)
{
    const struct {
        const char *name;
        int kind;
    } rows[] = {
        {"ll", 2},       {"latlon", 2}, {"pstereo", 1}, {"polar", 1},   {"ps", 1},
        {"sat", 9},      {"lambert", 4}, {"lc", 4},     {"lambaz", 8},  {"la", 8},
        {"gnom", 6},     {"ortho", 5},  {"moll", 7},    {"merc", 3},    {"pixel", 99},
        {"xy", 20},      {"xz", 21},    {"xzz", -1},    {"xlogy", 22},  {"vert", 22},
        {"cat", 24},     {"skewt", 40}, {"therm", 40},  {"ema", 42},    {"teph", 43},
        {"rteph", 44},   {"stuve", 41}, {"hodo", 23},   {"xp", 25},     {"XP", 25},
        {"xpa", -1},     {"zoom", 50},  {"size", 51},   {"miss", -9999}, {"missing", -1},
        {"l", -1},       {"", -1},      {"x", -1},
    };
    for (const auto &r : rows) EXPECT_EQ(DOM_proj_str(r.name), r.kind) << r.name;
    EXPECT_EQ(DOM_proj_str(nullptr), -1);
}

std::string printed(const Domain &d)
{
    CaptureStdio cap;
    DOM_print(M_PRINT, &d);
    cap.finish();
    return cap.out();
}

TEST(Dom, PrintReadsBackForEveryKind)
{
    Domain d;
    DOM_init(&d);
    d.proj = 1;
    d.clat = 40;
    d.clon = -100;
    d.nx = 25;
    d.ny = 17;
    d.dx = d.dy = 1.2f;
    EXPECT_EQ(printed(d), "pstereo:::::,40.000,-100.000,25,17,1.2000,1.2000\n");

    const int kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 20, 21, 22, 23, 24, 25, 40, 41, 42, 43, 44, 50, 51, 99};
    struct Pole {
        float plat, plon, p0, p1, p2;
        int ellipse;
    };
    const Pole poles[] = {
        {M, M, M, M, M, 0},           {60.5f, -105.25f, 30, 45.5f, M, 0},
        {40, M, M, M, M, 0},          {M, -100, M, M, M, 1},
        {M, M, M, M, M, 1},           {-45, 170, 421.5f, 1, 0.25f, 1},
        {M, M, 30, M, M, 0},
    };
    for (int kind : kinds) {
        for (const Pole &p : poles) {
            Domain a;
            DOM_init(&a);
            a.proj = kind;
            a.plat = p.plat;
            a.plon = p.plon;
            a.param[0] = p.p0;
            a.param[1] = p.p1;
            a.param[2] = p.p2;
            a.ellipse = p.ellipse;
            a.clat = -12.125f;
            a.clon = 150.5f;
            a.nx = 640;
            a.ny = 3;
            a.dx = 0.0625f;
            a.dy = 18000;
            const std::string text = printed(a);
            SCOPED_TRACE(text);
            std::string line = text.substr(0, text.size() - 1);
            Domain b;
            ASSERT_EQ(DOM_decode(line.c_str(), &b), 1);
            EXPECT_EQ(DOM_comp(&a, &b), 1);
            EXPECT_EQ(b.plat, a.plat);
            EXPECT_EQ(b.plon, a.plon);
        }
    }
}

TEST(Dom, ComparisonsAspectAndPriority)
{
    Domain a, b;
    DOM_decode("ps,40,-100,25,17,1,1", &a);
    b = a;
    EXPECT_EQ(DOM_comp(&a, &b), 1);
    b.plat = 40;  // a missing pole stands for the centre
    b.plon = -100;
    EXPECT_EQ(DOM_comp(&a, &b), 1);
    EXPECT_EQ(DOM_comp(&b, &a), 1);
    b.plon = -101;
    EXPECT_EQ(DOM_comp(&a, &b), 0);
    b = a;
    b.dx = 2;
    EXPECT_EQ(DOM_comp(&a, &b), 0);
    EXPECT_EQ(DOM_comp_proj(&a, &b), 1);
    b.ellipse = 1;
    EXPECT_EQ(DOM_comp_proj(&a, &b), 0);

    EXPECT_FLOAT_EQ(DOM_aspect(&a), 1.5f);
    a.ny = 1;
    EXPECT_FLOAT_EQ(DOM_aspect(&a), 1);

    const struct {
        float size;
        const char *adjust;
        int prior;
    } rows[] = {{60, nullptr, 1}, {30, nullptr, 2}, {20, nullptr, 3}, {10, nullptr, 4},
                {5, nullptr, 5},  {3, nullptr, 6},   {20, "+2", 5},   {20, "-1", 2},
                {20, "8", 8},     {20, "x", 3},      {NAN, nullptr, 6}};
    for (const auto &r : rows) {
        RES_put("stat_prior", r.adjust);
        DOM_set_base_prior(r.size);
        EXPECT_EQ(DOM_get_prior(), r.prior) << r.size << " " << (r.adjust ? r.adjust : "");
    }
    DOM_set_loc_prior(2);
    EXPECT_EQ(DOM_get_loc_prior(), 2);
}

TEST(Dom, HostileTexts)
{
    std::string commas(5000, ',');
    std::string letters(5000, 'a');
    std::string numbers;
    for (int k = 0; k < 2500; k++) numbers += "1,";
    std::string parts = "ps";
    for (int k = 0; k < 2500; k++) parts += ":1";
    parts += ",40,-100";
    std::string colons = "x:" + std::string(4998, ':');
    CaptureStdio cap;
    Domain d;
    for (const std::string &t : {commas, letters, numbers, colons, std::string("id:") + letters,
                                  std::string("\xff\xfe,\x01")}) {
        EXPECT_EQ(DOM_decode(t.c_str(), &d), -1);
    }
    EXPECT_EQ(DOM_decode(parts.c_str(), &d), 1);
    EXPECT_EQ(d.plat, 1);
    cap.finish();
}

TEST(Dom, StationFields)
{
    // Without a station found the station layouts fail and a station alone is invalid.
    Domain d;
    CaptureStdio cap;
    EXPECT_EQ(DOM_decode("id:KDEN", &d), -1);
    EXPECT_EQ(DOM_decode("id:KDEN,2", &d), -1);
    EXPECT_EQ(DOM_decode("id:|touch /tmp/vyk_dom_station:KDEN", &d), -1);
    cap.finish();
}

}  // namespace
