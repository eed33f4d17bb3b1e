// upa_merge.cpp: merging a report into working soundings.  The temperature sounding takes the
// surface, the mandatory levels and the significant temperature levels in pressure order, then
// the tropopause and the maximum wind, and drops levels whose potential temperature falls more
// than 3 K below the one under them.  The wind sounding takes the mandatory levels that have a
// wind and the significant wind levels in height order, then the tropopause and maximum wind.
//
// Every count read from the report is kept within the record's slots, and every insertion
// within the working limit of 300 levels.
#include "vyk.h"
#include "upa_level.h"
#include "therm.h"
#include "upa_row.h"
#include "upa_report.h"
#include "upa_merge.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float MISS = VYK_MISS;
constexpr float HIGH_SIG = 500;     // mb: a first significant level above this starts high
constexpr float ELEV_SIG = 700;     // mb: a first significant level below this is the ground
constexpr float ELEV_SIG_LATE = 600;
constexpr float THETA_DROP = 3;     // K
constexpr float LOW_WIND = 300;     // m: a first wind level below this is the ground
constexpr float DEFAULT_FLOOR = 1000;  // mb
constexpr int LAYER_LABEL_1 = 100, LAYER_LABEL_2 = 200, LAYER_LABEL_OUT = 300;

bool present(float v) { return !VYK_is_miss(v); }

int sig_count(const UPA_report *r) { return std::clamp(r->numsig, 0, UPA_NUM_SIG); }
int wnd_count(const UPA_report *r) { return std::clamp(r->numwnd, 0, UPA_NUM_WND); }

float feet_to_m(float h) { return present(h) ? h * UPA_FEET_M : MISS; }

UPA_level sig_level(const UPA_sig_level &s) { return {s.p, MISS, s.t, s.td, MISS, MISS}; }

UPA_level wnd_level(const UPA_wnd_level &w)
{
    return {MISS, feet_to_m(w.h), MISS, MISS, w.dir, w.spd};
}

float elevation(const UPA_report *r) { return r->man[UPA_MAN_SFC].h; }

/// The pressure of the first slot from 0 to 16 that has a temperature (slot 17's when none).
float first_warm_slot(const UPA_report *r)
{
    for (int k = UPA_MAN_SFC; k <= UPA_MAN_10MB; k++)
        if (present(r->man[k].t)) return r->man[k].p;
    return r->man[UPA_MAN_ABOVE].p;
}

/// Opens position pos in a sounding of count levels: later levels move up one place, every
/// index at or above pos grows by one.  False when the sounding is full.
bool open_at(UPA_level *lev, int &count, int *index, int pos)
{
    if (count >= UPA_MAX_LEVELS) return false;
    for (int j = count; j > pos; j--) lev[j] = lev[j - 1];
    for (int k = 0; k < UPA_NUM_INDEX; k++)
        if (index[k] >= pos) index[k]++;
    count++;
    return true;
}

/// Removes level pos: later levels move down, indices to it become -9999, those above drop.
void drop_at(UPA_level *lev, int &count, int *index, int pos)
{
    for (int j = pos; j + 1 < count; j++) lev[j] = lev[j + 1];
    for (int k = 0; k < UPA_NUM_INDEX; k++) {
        if (index[k] == pos) index[k] = VYK_MISS;
        else if (index[k] > pos) index[k]--;
    }
    count--;
}

/// t and td of a maximum wind at position pos of a pressure-ordered sounding, in ln p between
/// its neighbours below and above (the one there is when it has only one).
void between(const UPA_level *lev, int count, int below, int above, UPA_level &m)
{
    const bool lo = below >= 0, hi = above < count;
    if (lo && hi) {
        m.t = interp_temp(lev[below].t, lev[above].t, lev[below].p, lev[above].p, m.p);
        m.td = interp_temp(lev[below].td, lev[above].td, lev[below].p, lev[above].p, m.p);
    } else if (lo || hi) {
        const UPA_level &n = lev[lo ? below : above];
        m.t = n.t;
        m.td = n.td;
    }
}

/// Places the special slot k (tropopause or maximum wind) in a pressure-ordered sounding.
void place_by_pressure(const UPA_report *r, int k, UPA_level *lev, int &count, int *index)
{
    const UPA_level &s = r->man[k];
    if (!present(s.p)) return;
    const bool mwnd = k == UPA_MAN_MWND;
    for (int j = 0; j < count; j++) {
        if (lev[j].p == s.p) {
            UPA_level m = {s.p, lev[j].h, s.t, s.td, s.dir, s.spd};
            if (mwnd) between(lev, count, j - 1, j + 1, m);
            lev[j] = m;
            index[k] = j;
            return;
        }
        if (lev[j].p < s.p) {
            UPA_level m = {s.p, MISS, s.t, s.td, s.dir, s.spd};
            if (mwnd) between(lev, count, j - 1, j, m);
            if (!open_at(lev, count, index, j)) return;
            lev[j] = m;
            index[k] = j;
            return;
        }
    }
}

/// The height of pressure p in a height-ordered sounding: that of a level at p, else linear
/// in ln p between the nearest levels with pressure and height below and above it, else the
/// standard atmosphere's.
float height_of(const UPA_level *lev, int count, float p)
{
    int lo = -1;
    for (int j = 0; j < count; j++) {
        if (!(lev[j].p > 0) || !present(lev[j].h)) continue;
        if (lev[j].p == p) return lev[j].h;
        if (lev[j].p > p) {
            lo = j;
        } else if (lo >= 0) {
            const double f = std::log(static_cast<double>(lev[lo].p) / p) /
                             std::log(static_cast<double>(lev[lo].p) / lev[j].p);
            return static_cast<float>(lev[lo].h + f * (lev[j].h - lev[lo].h));
        }
    }
    return UPA_std_height(p);
}

/// Places the special slot k in a height-ordered sounding.  A slot without a height (the text
/// forms carry none) is placed at the height its pressure has in the sounding.
void place_by_height(const UPA_report *r, int k, UPA_level *lev, int &count, int *index)
{
    UPA_level s = r->man[k];
    if (!present(s.p)) return;
    if (!present(s.h)) s.h = height_of(lev, count, s.p);
    for (int j = 0; j < count; j++) {
        if (lev[j].h == s.h) {
            lev[j] = s;
            index[k] = j;
            return;
        }
        if (lev[j].h > s.h) {
            if (!open_at(lev, count, index, j)) return;
            lev[j] = s;
            index[k] = j;
            return;
        }
    }
}

/// Drops, from the bottom up, every level whose potential temperature is more than 3 K below
/// that of the last level kept.
void theta_check(UPA_level *lev, int &count, int *index)
{
    if (count <= 0) return;
    float ref = pot_temp(UPA_kelvin(lev[0].t), lev[0].p);
    for (int j = 1; j < count;) {
        const float th = pot_temp(UPA_kelvin(lev[j].t), lev[j].p);
        if (th < ref - THETA_DROP) {
            MESS_print(M_DEBUG_D, "BAD: %d = %1.0f\n", j, lev[j].p);
            drop_at(lev, count, index, j);
        } else {
            ref = th;
            j++;
        }
    }
}

/// The merge of the significant levels and mandatory slots 1 to 21 into SM.
int sm_levels(const UPA_report *r, UPA_level *merge, int *index)
{
    const int nsig = sig_count(r);
    const UPA_level &sfc = r->man[UPA_MAN_SFC];
    const float elev = elevation(r);
    int b = 0, i = 0;
    bool sfc_placed = false;
    for (int k = 1; k <= UPA_MAN_LAST; k++) {
        const UPA_level &slot = r->man[k];
        if (!present(slot.p)) {
            index[k] = VYK_MISS;
            MESS_print(M_DEBUG_D, "bad mand: %d = %1.0f\n", k, slot.p);
            continue;
        }
        UPA_level fresh;
        UPA_level_init(&fresh);
        bool sfc_here = false;
        if (!sfc_placed && i == 0 && present(sfc.p) && slot.p <= sfc.p) {
            merge[b] = sfc;
            index[UPA_MAN_SFC] = b;
            MESS_print(M_DEBUG_D, "P-: %d = %1.0f\n", b, sfc.p);
            sfc_placed = true;
            if (nsig > 0 && r->sig[0].p == sfc.p) i = 1;
            if (slot.p < sfc.p) b++;
            else sfc_here = true;
        }
        for (; i < nsig && r->sig[i].p > slot.p; i++, b++) {
            merge[b] = sig_level(r->sig[i]);
            if (i == 0 && b == 0 && r->sig[i].p > ELEV_SIG) merge[b].h = elev;
            MESS_print(M_DEBUG_D, "PS: %d = %1.0f\n", b, r->sig[i].p);
            sfc_here = false;
        }
        if (i < nsig && r->sig[i].p == slot.p) i++;
        if (slot.p != sfc.p) merge[b] = slot;
        else if (!sfc_here) merge[b] = fresh;
        MESS_print(M_DEBUG_D, "PM: %d = %1.0f\n", b, slot.p);
        index[k] = b++;
    }
    const bool none_taken = i == 0;
    for (; i < nsig; i++, b++) {
        merge[b] = sig_level(r->sig[i]);
        if (none_taken && i == 0 && r->sig[0].p > ELEV_SIG_LATE) {
            merge[b].h = elev;
            index[UPA_MAN_SFC] = b;
        }
        MESS_print(M_DEBUG_D, "PS: %d = %1.0f\n", b, r->sig[i].p);
    }
    return b;
}

/// Rules of the two wind merges.
struct WindRules {
    bool std_heights;   // a slot without a height takes the standard atmosphere's
    bool specials;      // the tropopause and the maximum wind are placed
    float floor;        // the lowest pressure a slot may have
};

float wind_floor(const UPA_report *r, bool old)
{
    const float first = sig_count(r) > 0 ? r->sig[0].p : MISS;
    if (old ? !(first >= HIGH_SIG) : present(first) && first < HIGH_SIG)
        return first_warm_slot(r);
    const float psfc = r->man[UPA_MAN_SFC].p;
    return old || present(psfc) ? psfc : DEFAULT_FLOOR;
}

int wind_merge(const UPA_report *r, UPA_level *merge, int *index, bool old)
{
    const WindRules rules = {!old, !old, wind_floor(r, old)};
    const int nw = wnd_count(r);
    const float elev = elevation(r);
    if (r->numman == 0) {
        for (int i = 0; i < nw; i++) merge[i] = wnd_level(r->wnd[i]);
        if (nw > 0 && !(merge[0].h >= LOW_WIND) && present(elev)) merge[0].h = elev;
        return nw;
    }
    MESS_print(M_DEBUG_D, "SFC: %1.0f\n", rules.floor);
    int b = 0, i = 0;
    for (int k = UPA_MAN_SFC; k <= UPA_MAN_LAST; k++) {
        const UPA_level &slot = r->man[k];
        if (!present(slot.p) || !present(slot.dir) || slot.p > rules.floor ||
            !present(rules.floor)) {
            index[k] = VYK_MISS;
            MESS_print(M_DEBUG_D, "bad mand: %d = %1.0f\n", k, slot.p);
            continue;
        }
        const float hs = present(slot.h) || !rules.std_heights ? slot.h : UPA_std_height(slot.p);
        for (; i < nw && feet_to_m(r->wnd[i].h) < hs; i++) {
            merge[b] = wnd_level(r->wnd[i]);
            if (old) MESS_print(M_DEBUG_D, "HW: %d = %1.0f\n", b, merge[b].h);
            else MESS_print(M_DEBUG_D, "HW: %d = %.0f %.0f %.0f\n", b, merge[b].h, merge[b].dir,
                            merge[b].spd);
            // A level without a direction, or at or below the ground, is overwritten.
            if (present(merge[b].dir) && merge[b].h > elev) b++;
        }
        if (i == 0 && i < nw && present(r->man[UPA_MAN_SFC].p) && r->wnd[0].h == 0) i++;
        if (i < nw && feet_to_m(r->wnd[i].h) == hs) i++;
        merge[b] = {slot.p, hs, slot.t, slot.td, slot.dir, slot.spd};
        if (old) MESS_print(M_DEBUG_D, "HM: %d = %1.0f\n", b, hs);
        else MESS_print(M_DEBUG_D, "HM: %d = %1.0f %.0f %.0f\n", b, hs, slot.dir, slot.spd);
        index[k] = b++;
    }
    for (; i < nw; i++) {
        merge[b] = wnd_level(r->wnd[i]);
        if (old) MESS_print(M_DEBUG_D, "HW: %d = %1.0f\n", b, merge[b].h);
        else MESS_print(M_DEBUG_D, "HW+ %d = %1.0f %.0f %.0f\n", b, merge[b].h, merge[b].dir,
                        merge[b].spd);
        if (present(merge[b].dir)) b++;
    }
    if (rules.specials) {
        index[UPA_MAN_TROP] = index[UPA_MAN_MWND] = VYK_MISS;
        place_by_height(r, UPA_MAN_TROP, merge, b, index);
        place_by_height(r, UPA_MAN_MWND, merge, b, index);
    }
    return b;
}

/// Copies level a into out, field by field from b where a's is missing, with a's pressure.
UPA_level combined(const UPA_level &a, const UPA_level &b)
{
    auto pick = [](float x, float y) { return present(x) ? x : y; };
    return {a.p, pick(a.h, b.h), pick(a.t, b.t), pick(a.td, b.td), pick(a.dir, b.dir),
            pick(a.spd, b.spd)};
}

int array_count(const UPA_level *lev, int num) { return lev ? std::clamp(num, 0, UPA_MAX_LEVELS) : 0; }

/// The two array merges: before each level of the first array the levels of the second that
/// lie below it (by pressure, or by height for winds), then the level itself, combined with the
/// second's level at the same place.  Wind merges leave out levels without a direction and
/// trace each level written.  At most 300 levels are written.
int merge_arrays(const UPA_level *in1, int in1_num, const UPA_level *in2, int in2_num,
                 UPA_level *out, bool wind)
{
    if (!out) return 0;
    const int n1 = array_count(in1, in1_num), n2 = array_count(in2, in2_num);
    auto below = [&](const UPA_level &b, const UPA_level &a) { return wind ? b.h < a.h : b.p > a.p; };
    auto same = [&](const UPA_level &b, const UPA_level &a) { return wind ? b.h == a.h : b.p == a.p; };
    int j = 0, k = 0;
    auto emit = [&](const UPA_level &lev, int label) {
        out[k] = lev;
        if (wind) UPA_print_level(M_DEBUG_D, M_DEBUG_D, label, &out[k]);
        k++;
    };
    for (int i = 0; i < n1 && k < UPA_MAX_LEVELS; i++) {
        const UPA_level &a = in1[i];
        for (; j < n2 && below(in2[j], a) && k < UPA_MAX_LEVELS; j++)
            if (!wind || present(in2[j].dir)) emit(in2[j], LAYER_LABEL_2 + j);
        if (k >= UPA_MAX_LEVELS) break;
        if (wind && !present(a.dir)) continue;
        if (j >= n2 || !same(in2[j], a)) emit(a, LAYER_LABEL_1 + i);
        else emit(combined(a, in2[j++]), LAYER_LABEL_OUT + k);
    }
    return k;
}

}  // namespace

float UPA_std_height(float p)
{
    if (!(p > 0)) return MISS;
    return static_cast<float>((288.15 - 288.15 * std::pow(p / 1013.25, 0.190263)) / 0.0065);
}

int UPA_sm_merge(const UPA_report *report, UPA_level *merge, int *man_index)
{
    if (!report || !merge || !man_index) return 0;
    const int nsig = sig_count(report);
    if (report->numman == 0) {
        for (int i = 0; i < nsig; i++) merge[i] = sig_level(report->sig[i]);
        if (nsig > 0 && report->sig[0].p > HIGH_SIG && present(elevation(report)))
            merge[0].h = elevation(report);
        return nsig;
    }
    man_index[UPA_MAN_SFC] = VYK_MISS;
    if (MESS_check(M_DEBUG_D)) {
        const bool high = nsig > 0 && present(report->sig[0].p) && report->sig[0].p < HIGH_SIG;
        MESS_print(M_DEBUG_D, "SFC: %1.0f\n",
                   high ? first_warm_slot(report) : report->man[UPA_MAN_SFC].p);
    }
    int count = sm_levels(report, merge, man_index);
    man_index[UPA_MAN_TROP] = man_index[UPA_MAN_MWND] = VYK_MISS;
    place_by_pressure(report, UPA_MAN_TROP, merge, count, man_index);
    place_by_pressure(report, UPA_MAN_MWND, merge, count, man_index);
    theta_check(merge, count, man_index);
    return count;
}

int UPA_wm_merge(const UPA_report *report, UPA_level *merge, int *man_index)
{
    if (!report || !merge || !man_index) return 0;
    return wind_merge(report, merge, man_index, false);
}

int UPA_sw_merge(const UPA_report *report, UPA_level *merge, int *man_index)
{
    if (!report || !merge || !man_index) return 0;
    return wind_merge(report, merge, man_index, true);
}

int UPA_merge_array(const UPA_level *in1, int in1_num, const UPA_level *in2, int in2_num,
                    UPA_level *out)
{
    return merge_arrays(in1, in1_num, in2, in2_num, out, false);
}

int UPA_wnd_merge_array(const UPA_level *in1, int in1_num, const UPA_level *in2, int in2_num,
                        UPA_level *out)
{
    return merge_arrays(in1, in1_num, in2, in2_num, out, true);
}
