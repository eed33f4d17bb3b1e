// upa_load.cpp: an upper-air report becomes the current sounding.  The report is merged into the
// component's own working arrays (never into arrays a caller installed), the gaps are filled
// hydrostatically, the special levels are taken from its slots and the soundings installed.
#include "vyk.h"
#include "cty.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_interp.h"
#include "upa_report.h"
#include "upa_merge.h"
#include "upa_hydro.h"
#include "upa_print.h"
#include "upa_load.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr M_type M_LOAD_TRACE = M_DEBUG_A;  // loaded reports
constexpr const char *STATION_FILE = "upa.cty";

/// A report without an elevation takes its station's from the station file.
void station_from_file(UPA_report *report)
{
    if (!VYK_is_miss(report->elev)) return;
    CTY_data city;
    if (CTY_get(STATION_FILE, report->id, &city) != 1) return;
    report->elev = city.el;
    report->wmo = city.wmo;
    report->lat = city.lat;
    report->lon = city.lon;
}

/// The report's surface, tropopause and maximum-wind slots as merged into SM.
void copy_back(UPA_report *report, const UPA_level *sm, const int *index)
{
    if (index[UPA_MAN_SFC] >= 0) report->man[UPA_MAN_SFC].h = sm[index[UPA_MAN_SFC]].h;
    if (index[UPA_MAN_TROP] >= 0) report->man[UPA_MAN_TROP].h = sm[index[UPA_MAN_TROP]].h;
    if (index[UPA_MAN_MWND] >= 0) {
        const UPA_level &w = sm[index[UPA_MAN_MWND]];
        UPA_level &slot = report->man[UPA_MAN_MWND];
        slot.h = w.h;
        slot.t = w.t;
        slot.td = w.td;
    }
}

}  // namespace

int UPA_merge_report(UPA_report *report)
{
    if (!report) return 0;
    UPA_level *sm = THERM_own_SM();
    UPA_level *wm = THERM_own_WM();
    int sm_index[UPA_NUM_MAN], wm_index[UPA_NUM_MAN];
    std::fill(std::begin(sm_index), std::end(sm_index), VYK_MISS);
    std::fill(std::begin(wm_index), std::end(wm_index), VYK_MISS);

    station_from_file(report);
    UPA_print_locate(M_LOAD_TRACE, report);
    report->man[UPA_MAN_SFC].h = report->elev;
    const int sm_num = UPA_sm_merge(report, sm, sm_index);
    if (sm_num <= 0) {
        THERM_empty_SM();  // what the array held may be overwritten
        return 0;
    }
    UPA_calc_height(sm, sm_num);
    copy_back(report, sm, sm_index);

    const int wm_num = UPA_wm_merge(report, wm, wm_index);
    UPA_calc_press(wm, wm_num);
    UPA_calc_wind(sm, sm_num, wm, wm_num);
    UPA_print_report(M_LOAD_TRACE, report);

    THERM_set_trop(&report->man[UPA_MAN_TROP]);
    THERM_set_mwnd(&report->man[UPA_MAN_MWND]);
    THERM_set_data(UPA_sfc_pres(sm, &sm_index[UPA_MAN_SFC]), sm, sm_num, wm, wm_num);
    return 1;
}

int UPA_calc_wind(UPA_level *sm, int sm_num, UPA_level *wm, int wm_num)
{
    if (!sm) return 0;
    const int n = std::min(sm_num, UPA_MAX_LEVELS);
    for (int i = 0; i < n; i++) {
        if (!VYK_is_miss(sm[i].dir)) continue;
        UPA_level at;
        UPA_interp(wm, wm_num, UPA_LT_PRES, sm[i].p, &at);
        sm[i].dir = at.dir;
        sm[i].spd = at.spd;
    }
    return 0;
}
