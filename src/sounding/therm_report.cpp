// therm_report.cpp: the printed reports of the current sounding.  Each line goes out under its
// own message mask, so a user picks the lines through the message options; the risk wording of
// each index is a table of thresholds.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_interp.h"
#include "upa_wind.h"
#include "upa_row.h"
#include "upa_layer.h"
#include "upa_index.h"
#include "upa_print.h"
#include "therm_report.h"

#include <cmath>

namespace {

constexpr float MISS = VYK_MISS;
constexpr float FEET_PER_M = 3.2808f;
constexpr float MS_TO_KNOTS = 1.944f;
constexpr const char *HOLD_TEXT = "Press return to continue\n";

// Masks of the report lines.
constexpr M_type M_SIG_BASIC = M_OUT1_A, M_SIG_MORE = M_OUT1_B;      // temperature sounding
constexpr M_type M_MAIN = M_OUT1_C, M_MORE = M_OUT1_D;               // indices
constexpr M_type M_HEAD = M_OUT2;                                    // the report's heading
constexpr M_type M_PARCEL = M_OUT2_A, M_PARCEL_MORE = M_OUT2_B;      // parcel
constexpr M_type M_WIND = M_OUT2_C, M_WIND_MORE = M_OUT2_D;          // wind parameters
constexpr M_type M_WTAB_BASIC = M_OUT3_A, M_WTAB_REL = M_OUT3_B;     // wind table
constexpr M_type M_WTAB_HOLD = M_OUT3_C, M_STORM = M_OUT3_C;          // holds, storm table

bool present(float v) { return !VYK_is_miss(v); }
float feet(float h) { return present(h) ? h * FEET_PER_M : MISS; }
float milli(float v) { return present(v) ? 1000 * v : MISS; }

/// Holds after row i of a table of pages of n lines (the heading's lines counted in).
void page_hold(M_type mask, int i, int n)
{
    if (n > 0 && i % n == n - 4) MESS_hold(mask, HOLD_TEXT);
}

// ------------------------------------------------------------------------------------------
// Risk wording: thresholds tried in order, the first that holds picks the words, the last
// row's words otherwise.
// ------------------------------------------------------------------------------------------

struct RiskRow {
    float limit;
    const char *words;
};

enum class Side { ABOVE, BELOW };  // the index is compared as index > limit or index < limit

template <size_t N> void print_risk(M_type mask, float value, Side side, const RiskRow (&rows)[N])
{
    for (size_t i = 0; i + 1 < N; i++) {
        const bool holds = side == Side::ABOVE ? value > rows[i].limit : value < rows[i].limit;
        if (holds) {
            MESS_print(mask, "%s\n", rows[i].words);
            return;
        }
    }
    MESS_print(mask, "%s\n", rows[N - 1].words);
}

constexpr RiskRow LI_RISK[] = {{2, "None"}, {0, "Showers probable"},
                               {-2, "Thunderstorms probable"},
                               {-4, "Severe thunderstorms possible"},
                               {0, "Severe thunderstorms probable"}};
constexpr RiskRow SI_RISK[] = {{3, "None"}, {1, "Showers probable"},
                               {-2, "Thunderstorms probable"},
                               {-6, "Severe thunderstorms possible"},
                               {0, "Severe thunderstorms probable"}};
constexpr RiskRow TT_RISK[] = {{44, "None"}, {49, "Scattered moderate thunderstorms"},
                               {55, "Scattered heavy thunderstorms"},
                               {0, "Severe Thunderstorms probable"}};
constexpr RiskRow K_RISK[] = {{15, "None"}, {20, "< 20 % chance of thunderstorms"},
                              {25, "20-40 % chance of thunderstorms"},
                              {30, "40-60 % chance of thunderstorms"},
                              {35, "60-80 % chance of thunderstorms"},
                              {0, "> 80 % chance of thunderstorms"}};
constexpr RiskRow SWEAT_RISK[] = {{300, "None"}, {400, "Showers and thunderstorms possible"},
                                  {0, "Severe Thunderstorms possible"}};
constexpr RiskRow EI_RISK[] = {{0, "None"}, {-2, "Scattered severe thunderstorms"},
                               {0, "Severe Thunderstorms probable"}};

// ------------------------------------------------------------------------------------------
// Sounding variables and indices
// ------------------------------------------------------------------------------------------

/// "Freezing level" lines: the ground below freezing, then every crossing of 0 C from the
/// bottom up, linear in pressure between levels that have a temperature.
void print_freezing(float p_s)
{
    const UPA_level sfc = UPA_sm_at(p_s);
    if (present(sfc.t) && sfc.t < 0)
        MESS_print(M_MORE, "Freezing level:      Surface below freezing\n");
    const UPA_level *sm = THERM_get_SM();
    const int n = THERM_get_SM_num();
    for (int i = 0; i < n - 1;) {
        if (!present(sm[i].t)) {
            i++;
            continue;
        }
        int j = i + 1;
        while (j < n && !present(sm[j].t)) j++;
        if (j >= n) break;
        const UPA_level &a = sm[i], &b = sm[j];
        if ((a.t >= 0) != (b.t >= 0)) {
            const float pfrz = linear_interp(0, a.t, b.t, a.p, b.p);
            const float hfrz = present(a.h) && present(b.h)
                                   ? linear_interp(pfrz, a.p, b.p, a.h, b.h) : MISS;
            MESS_print(M_MORE, "Freezing level:         %7.2f mb = %8.2f m = %8.2f ft\n", pfrz,
                       hfrz, feet(hfrz));
        }
        i = j;
    }
}

/// The moisture, lapse-rate, theta-E and convective condensation lines.
void print_moisture(const THERM_values &v)
{
    if (v.wb0 == -1) {
        MESS_print(M_MORE, "Wetbulb zero:        Below ground\n");
    } else if (present(v.wb0)) {
        const float h = UPA_sm_at(v.wb0).h;
        MESS_print(M_MORE, "Wetbulb zero:           %7.2f mb = %8.2f m = %8.2f ft\n", v.wb0, h,
                   feet(h));
    }
    if (present(v.precip))
        MESS_print(M_MORE, "Precipitable water:     %7.2f inches\n", v.precip);
    if (present(v.mean_rh))
        MESS_print(M_MORE, "Sfc-500 mean rel hum:   %7.2f %%\n", v.mean_rh);
    if (present(v.max_t))
        MESS_print(M_MORE, "Est. max temperature:   %7.2f C = %7.2f F\n", v.max_t,
                   32 + 9 * v.max_t / 5);
    if (v.plcl > 0) {
        const UPA_level at = UPA_sm_at(v.plcl);
        MESS_print(M_MORE,
                   "Sfc-Lift cond lev (LCL): %6.2f mb = %8.2f m = %8.2f ft T: %7.2f C\n",
                   v.plcl, at.h, feet(at.h), at.t);
    }
    if (present(v.lapse57))
        MESS_print(M_MORE, "700-500 lapse rate:      %6.2f C/km\n", v.lapse57);
    if (present(v.thetae.index))
        MESS_print(M_MORE, "ThetaE index:            %6.2f C Layer %6.1f-%6.1f mb\n",
                   v.thetae.index, v.thetae.base, v.thetae.top);
    if (v.ccl > 0) {
        const float h = UPA_sm_at(v.ccl).h;
        MESS_print(M_MORE, "Conv cond level (CCL):  %7.2f mb = %8.2f m = %8.2f ft\n", v.ccl, h,
                   feet(h));
        MESS_print(M_MORE, "  Mean mixing ratio:    %7.2f g/kg\n", v.wbar);
        const float ct = present(v.ct) ? v.ct - UPA_KELVIN : MISS;
        MESS_print(M_MORE, "  Conv temperature:     %7.2f C = %7.2f F\n", ct,
                   present(ct) ? 9 * ct / 5 + 32 : MISS);
    } else if (v.ccl == -1) {
        MESS_print(M_MORE, "Conv cond level (CCL): None\n");
    }
}

/// The stability indices with their risk words.
void print_stability(const THERM_values &v, float p_s)
{
    UPA_level *sm = THERM_get_SM();
    const int n = THERM_get_SM_num();
    const float li3 = lifted_index(sm, n, UPA_LT_PRES, p_s, 100, 300);
    const float li7 = lifted_index(sm, n, UPA_LT_PRES, p_s, 100, 700);
    if (present(v.cap)) MESS_print(M_MORE, "Cap Strength:            %6.2f C\n", v.cap);
    if (present(v.li)) {
        MESS_print(M_MAIN, "Lifted Index:            %6.2f C Risk: ", v.li);
        print_risk(M_MAIN, v.li, Side::ABOVE, LI_RISK);
    }
    if (present(li3)) MESS_print(M_MORE, "Lifted Index @300 mb:    %6.2f C\n", li3);
    if (present(li7)) MESS_print(M_MORE, "Lifted Index @700 mb:    %6.2f C\n", li7);
    if (present(v.si)) {
        MESS_print(M_MAIN, "Showalter Index:         %6.2f C Risk: ", v.si);
        print_risk(M_MAIN, v.si, Side::ABOVE, SI_RISK);
    }
    if (present(v.tt)) {
        MESS_print(M_MAIN, "Total Totals Index:      %6.2f C Risk: ", v.tt);
        print_risk(M_MAIN, v.tt, Side::BELOW, TT_RISK);
        MESS_print(M_MORE, "  Vertical Totals Index: %6.2f C\n", vertical_totals(sm, n));
        MESS_print(M_MORE, "  Cross Totals Index:    %6.2f C\n", cross_totals(sm, n));
    }
    if (present(v.k)) {
        MESS_print(M_MAIN, "K Index:                 %6.2f   Risk: ", v.k);
        print_risk(M_MAIN, v.k, Side::BELOW, K_RISK);
    }
    if (present(v.sweat)) {
        MESS_print(M_MORE, "Sweat Index:             %6.2f   Risk: ", v.sweat);
        print_risk(M_MORE, v.sweat, Side::BELOW, SWEAT_RISK);
    }
    if (present(v.ei)) {
        MESS_print(M_MORE, "Energy Index:            %6.2f   Risk: ", v.ei);
        print_risk(M_MORE, v.ei, Side::ABOVE, EI_RISK);
    }
}

/// A parcel level line with its height in the temperature sounding.
void print_parcel_level(const char *format, float p)
{
    const float h = UPA_sm_at(p).h;
    MESS_print(M_PARCEL_MORE, format, p, h, feet(h));
}

/// "Parcel Indices": the parcel used, its energies and its levels.
void print_parcel(const THERM_values &v)
{
    MESS_print(M_PARCEL, "\nParcel Indices\n");
    const UPA_level *par = THERM_get_parcel();
    switch (THERM_get_par_type()) {
    case THERM_PAR_SFC: MESS_print(M_PARCEL, "Parcel: using surface\n"); break;
    case THERM_PAR_LAYER:
        MESS_print(M_PARCEL, "Parcel: using %1.0f mb layer\n", THERM_get_par_thick());
        break;
    case THERM_PAR_MAXT: MESS_print(M_PARCEL, "Parcel: using max temp\n"); break;
    default:
        MESS_print(M_PARCEL, "Parcel: using P: %1.0f T: %2.1f TD: %2.1f\n", par->p, par->t,
                   par->td);
        break;
    }
    const PARCEL_params &pc = v.parcel;
    if (present(pc.Bplus)) MESS_print(M_PARCEL, "CAPE (B+):             %8.2f J/kg\n", pc.Bplus);
    if (present(pc.wmax))
        MESS_print(M_PARCEL_MORE, "Max Up Vert Vel:       %8.2f m/s\n", pc.wmax);
    if (present(pc.Bminus))
        MESS_print(M_PARCEL, "Conv Inhibition (B-):  %8.2f J/kg\n", pc.Bminus);
    if (present(pc.cap)) MESS_print(M_PARCEL, "Cap Strength:          %8.2f C\n", pc.cap);
    if (present(pc.plcl))
        print_parcel_level("Lift Cond Lev (LCL):   %8.2f mb = %8.2f m = %8.2f ft\n", pc.plcl);
    if (pc.lfc == -1)
        MESS_print(M_PARCEL_MORE, "Lev Free Conv (LFC):     none\n");
    else if (present(pc.lfc))
        print_parcel_level("Lev Free Conv (LFC):   %8.2f mb = %8.2f m = %8.2f ft\n", pc.lfc);
    if (present(pc.el))
        print_parcel_level("Equ Level (EL):        %8.2f mb = %8.2f m = %8.2f ft\n", pc.el);
    if (present(pc.Bel))
        MESS_print(M_PARCEL_MORE, "B at Equ Level:        %8.2f J/kg\n", pc.Bel);
    if (present(pc.mpl))
        print_parcel_level("Max Parcel Lev (MPL):  %8.2f mb = %8.2f m = %8.2f ft\n", pc.mpl);
}

// ------------------------------------------------------------------------------------------
// Storm parameters
// ------------------------------------------------------------------------------------------

/// The mean wind and the inflow (the mean less the storm motion) of the layer from the ground
/// to depth d.
void print_storm_mean(UPA_level *wm, int n, float bottom, float top, float su, float sv)
{
    WIND mean;
    if (layer_wind_mean(wm, n, UPA_LT_HGHT, bottom, top, &mean) != 1) {
        MESS_print(M_STORM, " NO DATA       | ");
        return;
    }
    MESS_print(M_STORM, "%3.0f %3.0f ", mean.dir, mean.spd);
    float in_dir = MISS, in_spd = MISS;
    if (present(su) && present(sv)) {
        float mu, mv;
        wind2vect(mean.dir, mean.spd * UPA_KNOT_MS, &mu, &mv);
        vect2wind(mu - su, mv - sv, &in_dir, &in_spd);
        if (present(in_spd)) in_spd *= MS_TO_KNOTS;
    }
    MESS_print(M_STORM, "%3.0f %3.0f| ", in_dir, in_spd);
}

/// One row of the storm table: the layer from the ground to depth d.
void print_storm_row(float d, float h_s, const WIND &storm, float su, float sv)
{
    UPA_level *wm = THERM_get_WM();
    const int n = THERM_get_WM_num();
    const float top = present(h_s) ? h_s + d : MISS;
    MESS_print(M_STORM, "%4.0f  ", d);
    print_storm_mean(wm, n, h_s, top, su, sv);

    SHEAR_params shr;
    if (shear_layer(wm, n, UPA_LT_HGHT, h_s, top, nullptr, &shr) == 1 && present(shr.pos_shr))
        MESS_print(M_STORM, "%4.1f %4.1f %4.1f|", milli(shr.pos_shr), milli(shr.neg_shr),
                   present(shr.neg_shr) ? milli(shr.pos_shr + shr.neg_shr) : MISS);
    else
        MESS_print(M_STORM, "              |");

    HELICITY_params hel;
    if (helicity(wm, n, UPA_LT_HGHT, h_s, top, &storm, &hel) != 1) {
        MESS_print(M_STORM, "                              |\n");
        return;
    }
    MESS_print(M_STORM, "%5.1f%6.1f%6.1f ", hel.pos_hel, hel.neg_hel, hel.tot_hel);
    const bool low = d <= 3000;
    MESS_print(M_STORM, low ? "%6.1f %5.2f|" : "%6.1f %5.2f| ", milli(hel.ave_hel), hel.rel_hel);
    MESS_print(M_STORM, low ? "%5.1f%5.1f\n" : "%4.1f %4.1f\n", milli(hel.hor_vort),
               milli(hel.stm_vort));
}

}  // namespace

int THERM_sig_table()
{
    const int n = MESS_get_max_lines();
    const UPA_level *sm = THERM_get_SM();
    const int num = THERM_get_SM_num();
    const float p_s = THERM_get_sfc()->p;
    UPA_print_level(M_SIG_BASIC, M_SIG_MORE, 0, nullptr);
    for (int i = 0; i < num; i++) {
        UPA_print_level(M_SIG_BASIC, M_SIG_MORE, sm[i].p == p_s ? UPA_ROW_SFC : i, &sm[i]);
        page_hold(M_SIG_BASIC, i, n);
    }
    UPA_print_level(M_SIG_BASIC, M_SIG_MORE, UPA_ROW_TRP, THERM_get_trop());
    page_hold(M_SIG_BASIC, num + 1, n);
    UPA_print_level(M_SIG_BASIC, M_SIG_MORE, UPA_ROW_WND, THERM_get_mwnd());
    MESS_hold(M_SIG_BASIC, HOLD_TEXT);
    return 0;
}

int THERM_indices()
{
    const THERM_values &v = *THERM_get_values();
    const float p_s = THERM_get_sfc()->p;
    MESS_print(M_HEAD, "\nSounding variables and indices\n");
    if (present(v.thick)) MESS_print(M_MAIN, "1000-500 mb thick:      %7.2f m\n", v.thick);
    print_freezing(p_s);
    print_moisture(v);
    MESS_hold(M_MORE, HOLD_TEXT);
    print_stability(v, p_s);
    MESS_hold(M_MAIN, HOLD_TEXT);
    print_parcel(v);
    MESS_hold(M_PARCEL, HOLD_TEXT);
    return 0;
}

int THERM_wind()
{
    const THERM_values &v = *THERM_get_values();
    const WIND mean6 = THERM_get_mean6(), storm = THERM_get_storm();
    const SHEAR_params &shr = v.shear;
    const HELICITY_params &hel = v.helicity;
    MESS_print(M_WIND, "\nWind Parameters\n");
    if (present(mean6.dir))
        MESS_print(M_WIND, "Mean winds (0-6000m):           %6.1f at %6.1f knts\n", mean6.dir,
                   mean6.spd);
    if (present(storm.dir))
        MESS_print(M_WIND, "Storm direction:                %6.1f at %6.1f knts\n", storm.dir,
                   storm.spd);
    if (present(shr.pos_shr))
        MESS_print(M_WIND_MORE,
                   "Shear (0-3000m)              pos: %6.1f neg: %6.1f tot: %6.1f 10-3/s\n",
                   milli(shr.pos_shr), milli(shr.neg_shr),
                   present(shr.neg_shr) ? milli(shr.pos_shr + shr.neg_shr) : MISS);
    if (present(hel.dir_shr))
        MESS_print(M_WIND_MORE, "Storm rel Dir Shear (0-3000m):    %6.1f deg\n", hel.dir_shr);
    if (present(hel.pos_hel))
        MESS_print(M_WIND,
                   "Storm rel helicity (0-3000m) pos: %6.1f neg: %6.1f tot: %6.1f m^2/s^2\n",
                   hel.pos_hel, hel.neg_hel, hel.tot_hel);
    if (present(hel.ave_hel))
        MESS_print(M_WIND_MORE,
                   "                             ave: %6.1f 10^-3 m/s^2 rel: %6.2f\n",
                   milli(hel.ave_hel), hel.rel_hel);
    if (present(hel.hor_vort))
        MESS_print(M_WIND_MORE,
                   "Storm rel vorticity (0-3000m) horiz: %6.1f stream: %6.1f 10^-3/s\n",
                   milli(hel.hor_vort), milli(hel.stm_vort));
    if (present(v.ehi)) MESS_print(M_WIND, "Energy-Hel index:       %7.2f\n", v.ehi);
    if (present(v.brn)) {
        MESS_print(M_WIND_MORE, "Bulk Rich Number:       %7.2f\n", v.brn);
        MESS_print(M_WIND_MORE, "Bulk Shear:             %7.2f m/s\n", v.bshear);
    }
    MESS_hold(M_WIND, HOLD_TEXT);
    return 0;
}

int THERM_wind_table()
{
    const int n = MESS_get_max_lines();
    const UPA_level *wm = THERM_get_WM();
    const int num = THERM_get_WM_num();
    const WIND storm = THERM_get_storm();
    UPA_print_wind(M_WTAB_BASIC, M_WTAB_REL, 0, nullptr, &storm);
    for (int i = 0; i < num; i++) {
        UPA_print_wind(M_WTAB_BASIC, M_WTAB_REL, i, &wm[i], &storm);
        page_hold(M_WTAB_HOLD, i, n);
    }
    if (n <= 0 || num % n != n - 3) MESS_hold(M_WTAB_HOLD, HOLD_TEXT);
    return 0;
}

int THERM_storm_table()
{
    const WIND storm = THERM_get_storm();
    float su = MISS, sv = MISS;
    wind2vect(storm.dir, present(storm.spd) ? storm.spd * UPA_KNOT_MS : MISS, &su, &sv);
    const char *dashes =
        "-------------------------------------------------------------------------------\n";
    MESS_print(M_STORM, "\nStorm Parameters\n");
    MESS_print(M_STORM, "%s", dashes);
    MESS_print(M_STORM,
               "Depth  Mean    Inflow|    Shear      |           Helicity           | Vorticity\n");
    MESS_print(M_STORM,
               " AGL  Dir Spd Dir Spd|  Pos  Neg  Tot|  Pos   Neg   Tot   Ave   Rel |  Hor Strm\n");
    MESS_print(M_STORM,
               "  m       knt     knt|     10^-3/s   |       m^2/s^2     m/s^2      | 10^-3/s\n");
    MESS_print(M_STORM, "%s", dashes);
    const float h_s = THERM_get_sfc()->h;
    for (float d : {500.0f, 1000.0f, 1500.0f, 2000.0f, 2500.0f, 3000.0f, 4000.0f, 5000.0f, 6000.0f})
        print_storm_row(d, h_s, storm, su, sv);
    return 0;
}
