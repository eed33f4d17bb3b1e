// Thermodynamic grid functions: against the core formulas point by point and against
// independent values (Bolton's vapour pressure, dew point and equivalent potential
// temperature, the standard atmosphere, Poisson's equation, in numpy); unit conversions of the
// arguments; dew point or humidity; the pressure rule; the Showalter index; wind chills;
// argument counts.
#include <gtest/gtest.h>

#include "grd_calc_fixture.h"
#include "grd_fixture.h"
#include "test_util.h"
#include "vykcalc.h"
#include "vykvar.h"

#include <string>
#include <vector>

using grdtest::Call;
using grdtest::EtcPath;
using grdtest::expect_values;
using grdtest::numpy;

namespace {

constexpr float MISS = -9999;
using V = std::vector<float>;

const V T{303.15f, 288.15f, 273.15f, 250.15f};      // K
const V TD{293.15f, 280.15f, 263.15f, 240.15f};     // K
const V P{1000, 850, 700, 500};                     // mb
const V RH{55.2f, 58.9f, 46.6f, 39.4f};             // %

int dewp_var() { return VAR_search_var_num("dewp"); }

std::string columns(std::initializer_list<const V *> vs)
{
    std::string s;
    for (const V *v : vs) {
        for (float x : *v) s += std::to_string(x) + " ";
        s += "\n";
    }
    return s;
}

}  // namespace

// Each function against the core formula it stands on, point by point.
TEST(GrdTherm, FunctionsFollowTheCoreFormulas)
{
    const EtcPath etc;
    struct Case {
        const char *text;
        std::vector<const V *> args;
        bool dewp;  // the second argument is a dew point
        float (*want)(size_t k);
    };
    const Case cases[] = {
        {"dewp", {&T, &RH}, false, [](size_t k) { return dew_temp(T[k], RH[k]); }},
        {"rhum", {&T, &TD}, true, [](size_t k) { return rel_hum(T[k], TD[k]); }},
        {"wetblb", {&T, &TD, &P}, true, [](size_t k) { return wet_bulb(T[k], TD[k], P[k]); }},
        {"thetae", {&T, &TD, &P}, true, [](size_t k) { return eq_pot_temp(T[k], TD[k], P[k]); }},
        {"thetae", {&T, &RH, &P}, false,
         [](size_t k) { return eq_pot_temp(T[k], dew_temp(T[k], RH[k]), P[k]); }},
        {"vtemp", {&T, &TD, &P}, true, [](size_t k) { return virt_temp(T[k], TD[k], P[k]); }},
        {"thetav", {&T, &TD}, true, [](size_t k) { return virt_pot_temp(T[k], TD[k], 1000); }},
        {"theta", {&T, &P}, false, [](size_t k) { return pot_temp(T[k], P[k]); }},
        {"theta", {&T}, false, [](size_t k) { return pot_temp(T[k], 1000); }},
        {"heat", {&T, &TD}, true, [](size_t k) { return heat_index(T[k], TD[k]); }},
        {"heat", {&T, &RH}, false, [](size_t k) { return heat_index(T[k], dew_temp(T[k], RH[k])); }},
        {"pr_alt", {&P}, false, [](size_t k) { return pres_alt(P[k]); }},
        {"shum", {&T, &RH, &P}, false, [](size_t k) { return spec_hum(dew_temp(T[k], RH[k]), P[k]); }},
        {"mixrat", {&T, &RH}, false, [](size_t k) { return mix_ratio(dew_temp(T[k], RH[k]), 1000); }},
        {"vapor", {&T, &RH}, false, [](size_t k) { return vapor_pr(dew_temp(T[k], RH[k])); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " of " + std::to_string(c.args.size()));
        std::vector<grdtest::ArgSpec> args;
        for (const V *v : c.args) args.emplace_back(*v);
        Call call(args);
        if (c.dewp) call.arg(1, dewp_var(), "K");
        ASSERT_EQ(call.run(c.text), 1);
        V want;
        for (size_t k = 0; k < 4; k++) want.push_back(c.want(k));
        expect_values(call.result(call.out), want);
    }
}

// Independent values: Bolton's (1980) saturation vapour pressure, its inverse for the dew
// point and his equivalent potential temperature; Poisson's equation; the standard atmosphere.
TEST(GrdTherm, AgreeWithIndependentFormulas)
{
    const EtcPath etc;
    const std::vector<double> ref = numpy(R"(
T, TD, P, RH = (np.array([float(x) for x in line.split()]) for line in sys.stdin.read().strip().split('\n'))
es = lambda t: 6.112 * np.exp(17.67 * (t - 273.15) / (t - 29.65))
e = es(TD)
ln = np.log(es(T) * RH / 100 / 6.112)
dew = 273.15 + 243.5 * ln / (17.67 - ln)
r = 622 * e / (P - e)
TL = 1 / (1 / (TD - 56) + np.log(T / TD) / 800) + 56
thetae = T * (1000 / P) ** (0.2854 * (1 - 0.00028 * r)) * np.exp((3.376 / TL - 0.00254) * r * (1 + 0.00081 * r))
alt = (288.15 - 288.15 * (P / 1013.25) ** 0.190263) / 0.0065
for a in [es(TD), dew, r, thetae, T * (1000 / P) ** 0.286, alt, 100 * e / es(T)]:
    print(' '.join(repr(float(x)) for x in a))
)", columns({&T, &TD, &P, &RH}));
    ASSERT_EQ(ref.size(), 28u);
    auto want = [&](int block) { return V(ref.begin() + block * 4, ref.begin() + block * 4 + 4); };
    struct Case {
        const char *text;
        std::vector<const V *> args;
        bool dewp;
        int block;
        double tol;  // relative
    };
    const Case cases[] = {
        {"vapor", {&TD}, true, 0, 5e-3},
        {"dewp", {&T, &RH}, false, 1, 1e-3},
        {"mixrat", {&TD, &P}, true, 2, 1e-2},
        {"thetae", {&T, &TD, &P}, true, 3, 4e-3},
        {"theta", {&T, &P}, false, 4, 1e-5},
        {"pr_alt", {&P}, false, 5, 1e-4},
        {"rhum", {&T, &TD}, true, 6, 1e-2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<grdtest::ArgSpec> args;
        for (const V *v : c.args) args.emplace_back(*v);
        Call call(args);
        if (c.dewp) call.arg(c.args.size() == 1 || c.args[0] == &TD ? 0 : 1, dewp_var(), "K");
        ASSERT_EQ(call.run(c.text), 1);
        expect_values(call.result(call.out), want(c.block), c.tol);
    }
}

// Arguments are converted in place to kelvin, mb and m/s, and keep those units.
TEST(GrdTherm, ArgumentsAreConvertedInPlace)
{
    const EtcPath etc;
    Call call({V{20, 10, -5, MISS}, V{20, 5, -5, 0}});
    GRD_report &t = call.arg(0, 11, "C");
    GRD_report &td = call.arg(1, dewp_var(), "C");
    ASSERT_EQ(call.run("rhum"), 1);
    EXPECT_STREQ(t.units, "K");
    EXPECT_STREQ(td.units, "K");
    EXPECT_FLOAT_EQ(t.grid[0], 293.15f);
    EXPECT_EQ(t.grid[3], MISS);
    EXPECT_STREQ(call.out.units, "%");
    const V out = call.result(call.out);
    EXPECT_NEAR(out[0], 100, 1e-4);
    EXPECT_NEAR(out[2], 100, 1e-4);
    EXPECT_NEAR(out[1], rel_hum(283.15f, 278.15f), 1e-4);
    EXPECT_EQ(out[3], MISS);

    // A pressure argument in Pa becomes mb; a dew point in C given to the wet-bulb
    // temperature is converted like the temperature.
    Call wb({V{30, 15, 0, -23}, V{20, 7, -10, -33}, V{100000, 85000, 70000, 50000}});
    wb.arg(0, 11, "C");
    wb.arg(1, dewp_var(), "C");
    wb.arg(2, 1, "Pa");
    ASSERT_EQ(wb.run("wetblb"), 1);
    V want;
    for (size_t k = 0; k < 4; k++) want.push_back(wet_bulb(T[k], TD[k] + 0.0f, P[k]));
    expect_values(wb.result(wb.out), want, 1e-4);
    EXPECT_STREQ(wb.grids[2]->r.units, "mb");
}

// The pressure: the output's isobaric level (a pressure argument ignored), else the third
// argument when exactly three are given, else 1000 mb.
TEST(GrdTherm, ThePressureRule)
{
    const EtcPath etc;
    struct Case {
        int ltype, level;
        int nargs;  // 2, 3 or 4 arguments (the fourth a stray one)
        float pres[4];
    };
    const Case cases[] = {
        {100, 850, 3, {850, 850, 850, 850}},
        {100, 850, 2, {850, 850, 850, 850}},
        {1, 0, 2, {1000, 1000, 1000, 1000}},
        {VYK_MISS, VYK_MISS, 3, {1000, 850, 700, 500}},
        {1, 0, 4, {1000, 1000, 1000, 1000}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.ltype) + " " + std::to_string(c.nargs));
        std::vector<grdtest::ArgSpec> args{T, TD};
        if (c.nargs > 2) args.emplace_back(P);
        if (c.nargs > 3) args.emplace_back(P);
        Call call(args);
        call.arg(1, dewp_var(), "K");
        call.out.ltype = c.ltype;
        call.out.level = c.level;
        ASSERT_EQ(call.run("thetae"), 1);
        V want;
        for (size_t k = 0; k < 4; k++) want.push_back(eq_pot_temp(T[k], TD[k], c.pres[k]));
        expect_values(call.result(call.out), want);
    }
    // Specific humidity of a dew point: the level on an isobaric output, the second argument
    // otherwise.
    Call iso({TD, P});
    iso.arg(0, dewp_var(), "K");
    iso.out.ltype = 100;
    iso.out.level = 700;
    ASSERT_EQ(iso.run("shum"), 1);
    Call sfc({TD, P});
    sfc.arg(0, dewp_var(), "K");
    ASSERT_EQ(sfc.run("shum"), 1);
    V wi, ws;
    for (size_t k = 0; k < 4; k++) {
        wi.push_back(spec_hum(TD[k], 700));
        ws.push_back(spec_hum(TD[k], P[k]));
    }
    expect_values(iso.result(iso.out), wi);
    expect_values(sfc.result(sfc.out), ws);
}

// The Showalter index of 20 C, dew point 15 C at 850 mb and -10 C at 500 mb: the 500 mb
// temperature less that of the parcel lifted moist from its condensation level.
TEST(GrdTherm, ShowalterIndex)
{
    const EtcPath etc;
    Call call({V{20, 20, MISS, 0}, V{15, 15, 15, -40}, V{-10, -20, -10, -10}});
    call.arg(0, 11, "C");
    call.arg(1, dewp_var(), "C");
    call.arg(2, 11, "C");
    ASSERT_EQ(call.run("show"), 1);
    EXPECT_STREQ(call.out.units, "dC");
    const float plcl = lcl_pres(293.15f, 288.15f, 850);
    const float tp = temp_on_satad(thetae_on_satad(lcl_temp(293.15f, 850, plcl), plcl), 500);
    const V out = call.result(call.out);
    EXPECT_NEAR(out[0], 263.15f - tp, 1e-3);
    EXPECT_NEAR(out[1], out[0] - 10, 1e-3);
    EXPECT_GT(out[0], -7);  // a parcel near 16 C wet bulb reaches about -4.6 C at 500 mb
    EXPECT_LT(out[0], -4);
    EXPECT_EQ(out[2], MISS);
    // A very dry parcel condenses above 500 mb and rises dry all the way.
    const float dry = temp_on_dryad(pot_temp(273.15f, 850), 500);
    EXPECT_NEAR(out[3], 263.15f - dry, 1e-3);
}

// Wind chills take a speed, or u and v; a missing v gives -9999 (it was not tested).
TEST(GrdTherm, WindChills)
{
    const EtcPath etc;
    const V t{263.15f, 253.15f, 263.15f, MISS}, s{10, 5, MISS, 4};
    Call speed({t, s});
    speed.arg(1, VAR_search_var_num("wspd"), "m/s");
    ASSERT_EQ(speed.run("wchill"), 1);
    Call uv({t, V{6, 3, 1, 2}, V{8, 4, MISS, 1}});
    uv.arg(1, VAR_search_var_num("uwnd"), "knt");
    uv.arg(2, VAR_search_var_num("vwnd"), "knt");
    ASSERT_EQ(uv.run("wchill2"), 1);
    const V a = speed.result(speed.out), b = uv.result(uv.out);
    expect_values(a, {wind_chill_temp(t[0], 10), wind_chill_temp(t[1], 5), MISS, MISS});
    const float k = 0.51440329f;
    expect_values(b, {wind_chill_temp2(t[0], 10 * k), wind_chill_temp2(t[1], 5 * k), MISS, MISS}, 1e-4);
    EXPECT_STREQ(uv.grids[1]->r.units, "m/s");
}

// Too few arguments are refused before anything is converted: one argument where a humidity
// is needed, u without v, a temperature without a humidity.
TEST(GrdTherm, TooFewArgumentsAreRefused)
{
    const EtcPath etc;
    const char *const one_arg[] = {"wetblb", "thetae", "vtemp", "thetav", "heat", "vapor", "shum",
                                   "mixrat", "wchill", "dewp", "rhum", "show"};
    for (const char *f : one_arg) {
        SCOPED_TRACE(f);
        Call call({T});
        call.arg(0, 11, "C");
        vyktest::CaptureStdio cap;
        EXPECT_EQ(call.run(f), 0);
        cap.finish();
        EXPECT_EQ(cap.err(), "GRD_math: Invalid grids\n");
        EXPECT_STREQ(call.grids[0]->r.units, "C");
        EXPECT_EQ(call.out.grid, nullptr);
    }
    Call u({T, V{1, 2, 3, 4}});
    u.arg(1, VAR_search_var_num("uwnd"), "m/s");
    vyktest::CaptureStdio cap;
    EXPECT_EQ(u.run("wchill"), 0);
    // On an isobaric output a temperature needs its humidity too.
    Call iso({T});
    iso.out.ltype = 100;
    iso.out.level = 500;
    EXPECT_EQ(iso.run("mixrat"), 0);
    cap.finish();
}

// Without "dewp" in the variable table no record is a dew point (a record of variable 0 is
// not one): the moisture is taken as a relative humidity.
TEST(GrdTherm, ADewPointLookupThatFindsNothingMatchesNothing)
{
    vyktest::TempDir dir;
    vyktest::write_file(dir.file("variable.lup"), "11 tmp Temperature\n52 rhum Relative humidity\n");
    RES_put("file_path", dir.path().c_str());
    VAR_read_varfile();
    ASSERT_EQ(VAR_search_var_num("dewp"), 0);
    Call call({T, RH});
    call.arg(1, 0, "");
    ASSERT_EQ(call.run("heat"), 1);
    V want;
    for (size_t k = 0; k < 4; k++) want.push_back(heat_index(T[k], dew_temp(T[k], RH[k])));
    expect_values(call.result(call.out), want);
}
