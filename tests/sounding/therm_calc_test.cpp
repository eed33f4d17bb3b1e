// The analysis of the current sounding: MetPy's documented sample loaded as a report, its
// indices against MetPy's values and the sample's own numbers (thickness, lapse rate,
// precipitable water, condensation level), and the parcel kinds the options choose.
#include "sounding_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sndtest;

namespace {

/// Loads the sample as a report with the given "plot_param" words and analyses it.
const THERM_values &analysed(const char *plot_param = "")
{
    RES_put("plot_param", plot_param);
    static UPA_report r;
    r = metpy_report();
    EXPECT_EQ(UPA_merge_report(&r), 1);
    THERM_calc();
    return *THERM_get_values();
}

/// Bolton's (1980) LCL pressure of air at t and td (K) and p (mb).
double bolton_lcl(double t, double td, double p)
{
    const double tl = 1 / (1 / (td - 56) + std::log(t / td) / 800) + 56;
    return p * std::pow(tl / t, 1 / 0.2854);
}

/// Precipitable water (inches) of the sample: specific humidity from Bolton's vapour pressure
/// at each dew point, trapezoids in pressure, over the whole sounding.
double sample_precip_water()
{
    const std::vector<UPA_level> s = metpy_sample();
    auto q = [](const UPA_level &l) {
        const double e = 6.112 * std::exp(17.67 * l.td / (l.td + 243.5));
        return 0.622 * e / (l.p - 0.378 * e);
    };
    double kg = 0;  // kg per m^2
    for (size_t i = 0; i + 1 < s.size(); i++)
        kg += (s[i].p - s[i + 1].p) * 100 * (q(s[i]) + q(s[i + 1])) / 2 / 9.80665;
    return kg / 25.4;
}

TEST(ThermCalc, SampleSoundingsIndices)
{
    const THERM_values &v = analysed();
    const std::vector<double> h = metpy_heights();
    // MetPy's documented values.
    EXPECT_NEAR(v.tt, 42.674, 0.005);
    EXPECT_NEAR(v.k, 35.940, 0.005);
    EXPECT_NEAR(v.si, 0.484, 0.4);  // the system's own LCL and moist adiabat
    // The sample's own numbers: 1000 mb is level 1, 700 mb level 7, 500 mb level 11.
    EXPECT_NEAR(v.thick, h[11] - h[1], 0.01);
    EXPECT_NEAR(v.lapse57, (10.1 + 4.5) / (h[11] - h[7]) * 1000, 1e-3);
    EXPECT_NEAR(v.precip, sample_precip_water(), 0.02 * sample_precip_water());
    EXPECT_NEAR(v.plcl, bolton_lcl(302.45, 273.15 + bolton_dewpoint(29.3, 0.85), 1008), 1.5);
    EXPECT_GT(v.tlcl, 273.15);
    // 0 C between 600 mb (3.1 C) and 550 mb (-0.5 C).
    EXPECT_GT(v.frz, 550);
    EXPECT_LT(v.frz, 600);
    EXPECT_GT(v.mean_rh, 20);
    EXPECT_LT(v.mean_rh, 100);
    EXPECT_GT(v.max_t, 29.3);  // 850 mb air brought down dry is warmer than the surface
    // The load's reset and the analysis: the WMO number stays missing.
    EXPECT_EQ(v.wmo, M);
    // The lowest 6000 m blow uniformly: no shear, no helicity, and so no bulk Richardson
    // number and an energy-helicity index of 0.
    EXPECT_NEAR(v.shear.pos_shr, 0, 1e-6);
    EXPECT_NEAR(v.helicity.tot_hel, 0, 1e-3);
    EXPECT_EQ(v.brn, M);
    EXPECT_NEAR(v.bshear, 0, 1e-4);
    EXPECT_NEAR(v.ehi, 0, 1e-4);

    // The 100 mb mixed layer of the start-up choice is dry: it never rises freely.
    EXPECT_EQ(v.parcel.lfc, -1);
    EXPECT_EQ(v.parcel.el, M);
    // The surface air does: from just above its LCL to near 100 mb.
    const THERM_values &s = analysed("par=sfc");
    EXPECT_GT(s.parcel.Bplus, 1000);
    EXPECT_LT(s.parcel.lfc, s.parcel.plcl);
    EXPECT_GT(s.parcel.el, 100);
    EXPECT_LT(s.parcel.el, 200);
    EXPECT_GT(s.ehi, -1e-4);  // no helicity, whatever the CAPE
}

TEST(ThermCalc, ParcelKinds)
{
    // The surface parcel lifts the surface air: its LCL is the surface air's.
    const THERM_values &sfc = analysed("par=sfc");
    EXPECT_NEAR(sfc.parcel.plcl, sfc.plcl, 0.01);
    EXPECT_EQ(THERM_get_parcel()->p, 1008);
    const float sfc_cape = sfc.parcel.Bplus;

    // The 100 mb mixed layer (the start-up choice): a drier mean than the surface air.
    analysed("par=layer:100");
    const UPA_level mixed = *THERM_get_parcel();
    EXPECT_EQ(mixed.p, 1008);
    EXPECT_LT(mixed.td, bolton_dewpoint(29.3, 0.85));
    EXPECT_LT(THERM_get_values()->parcel.Bplus, sfc_cape);

    // A layer word without a thickness mixes 100 mb, not the surface temperature's depth.
    analysed("par=layer");
    EXPECT_EQ(THERM_get_par_thick(), 100);
    EXPECT_EQ(THERM_get_parcel()->td, mixed.td);

    // The maximum-temperature parcel starts at the surface with the estimated maximum.
    const THERM_values &maxt = analysed("par=maxt");
    EXPECT_EQ(THERM_get_parcel()->p, 1008);
    EXPECT_EQ(THERM_get_parcel()->t, maxt.max_t);

    // A user level takes the sounding's own air there: the 850 mb level of the sample, not the
    // surface temperature and dew point of this or of an earlier load.
    analysed("par=850");
    EXPECT_EQ(THERM_get_parcel()->p, 850);
    EXPECT_FLOAT_EQ(THERM_get_parcel()->t, 18.4f);
    EXPECT_FLOAT_EQ(THERM_get_parcel()->td, bolton_dewpoint(18.4, 0.82));
    // The Showalter index lifts the same air to 500 mb.
    EXPECT_NEAR(THERM_get_values()->parcel.plcl,
                bolton_lcl(291.55, 273.15 + bolton_dewpoint(18.4, 0.82), 850), 1.5);
    analysed("par=850");  // a second load: still the sounding's own values
    EXPECT_FLOAT_EQ(THERM_get_parcel()->t, 18.4f);
    THERM_calc();  // a second analysis of the same load
    EXPECT_FLOAT_EQ(THERM_get_parcel()->t, 18.4f);

    // The word's own temperature and dew point replace the sounding's.
    analysed("par=850:5:-2");
    EXPECT_EQ(THERM_get_parcel()->p, 850);
    EXPECT_EQ(THERM_get_parcel()->t, 5);
    EXPECT_EQ(THERM_get_parcel()->td, -2);
    EXPECT_LT(THERM_get_values()->parcel.plcl, 850);
}

TEST(ThermCalc, UserLevelChosenBeforeAnyLoadUsesTheSoundingsValues)
{
    // Before the first load the surface has no temperature; after a load it has one.  Either
    // way a level word without temperatures lifts the sounding's own air.
    analysed("par=700");
    EXPECT_FLOAT_EQ(THERM_get_parcel()->t, 10.1f);
    RES_put("plot_param", "");  // no parcel word at the next load: the choice is kept
    UPA_report r = metpy_report();
    for (UPA_level &m : r.man) m.t = VYK_is_miss(m.t) ? m.t : m.t + 1;
    for (int i = 0; i < r.numsig; i++) r.sig[i].t += 1;
    ASSERT_EQ(UPA_merge_report(&r), 1);
    THERM_calc();
    EXPECT_EQ(THERM_get_par_type(), THERM_PAR_USER);
    EXPECT_FLOAT_EQ(THERM_get_parcel()->t, 11.1f);  // the new sounding's, not the last parcel's
}

TEST(ThermCalc, EmptyAndShortSoundingsGiveMissingValues)
{
    // Nothing loaded: nothing to compute, nothing crashes.
    THERM_calc();
    const THERM_values &v = *THERM_get_values();
    EXPECT_EQ(v.thick, M);
    EXPECT_EQ(v.tt, M);
    EXPECT_EQ(v.plcl, M);
    EXPECT_EQ(v.ct, M);
    // A surface outside the sounding: the surface-based values are missing.
    load(sample_sm(), 1050);
    THERM_calc();
    EXPECT_EQ(v.plcl, M);
    EXPECT_EQ(v.tlcl, M);
    EXPECT_EQ(v.li, M);
    EXPECT_EQ(v.max_t, M);
    EXPECT_FALSE(VYK_is_miss(v.tt));  // the whole-sounding indices are still there
}

}  // namespace
