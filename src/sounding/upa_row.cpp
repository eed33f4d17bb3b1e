// upa_row.cpp: the thermodynamic level table: its header and one row per level, the basic
// columns under one message mask and the moisture and potential-temperature columns under
// another, so that the caller decides where each goes.
//
// Every column keeps its width: a missing value prints as blanks (or a right-aligned '-' once
// the dash option is on), a value too wide for its column as a column of '*'.
#include "vyk.h"
#include "upa_level.h"
#include "upa_row.h"

#include <cstdio>
#include <string>

namespace {

constexpr float MISS = VYK_MISS;

struct State {
    bool miss_dash = false;  // missing values as '-' instead of blanks
};

State st;

constexpr const char *RULE1 = "---------------------------------------";   // 39
constexpr const char *RULE2 = "----------------------------------------";  // 40

/// Labels of the special rows.
struct RowLabel {
    int ind;
    const char *label;
};
constexpr RowLabel LABELS[] = {
    {UPA_ROW_TRP, "TRP "}, {UPA_ROW_WND, "WND "}, {UPA_ROW_PAR, "PAR "}, {UPA_ROW_LCL, "LCL "},
    {UPA_ROW_LFC, "LFC "}, {UPA_ROW_EL, " EL "},  {UPA_ROW_MPL, "MPL "}, {UPA_ROW_WBZ, "WBZ "},
    {UPA_ROW_FRZ, "FRZ "},
};
constexpr float SFC_LABEL_PRES = 500;  // mb: the surface label only below this level

/// Appends v as "%W.Pf", or the missing form; then a blank when sep is set.
void column(std::string &out, float v, int width, int prec, bool sep = true)
{
    if (VYK_is_miss(v)) {
        out.append(static_cast<size_t>(width - 1), ' ');
        out += st.miss_dash ? '-' : ' ';
    } else {
        char buf[64];
        snprintf(buf, sizeof buf, "%*.*f", width, prec, static_cast<double>(v));
        UPA_fit(out, buf, width);
    }
    if (sep) out += ' ';
}

std::string row_label(int ind, const UPA_level &lev)
{
    if (ind == UPA_ROW_SFC && lev.p > SFC_LABEL_PRES) return "SFC ";
    for (const RowLabel &l : LABELS)
        if (l.ind == ind) return l.label;
    char buf[32];
    snprintf(buf, sizeof buf, "%3d", ind);
    std::string out;
    UPA_fit(out, buf, 3);
    return out + ' ';
}

void print_header(M_type mess1, M_type mess2)
{
    MESS_print(mess1, "%s", RULE1);
    MESS_print(mess2, "%s", RULE2);
    MESS_print(mess1, "\n");
    MESS_print(mess1, "LEV PRES  HGHT  TEMP  DEWP  RH ");
    MESS_print(mess2, " DD   WETB ");
    MESS_print(mess1, "DIR SPD");
    MESS_print(mess2, " THETA THE-V THE-W THE-E   W");
    MESS_print(mess1, "\n");
    MESS_print(mess1, "     mb     m     C     C    %% ");
    MESS_print(mess2, "  C     C  ");
    MESS_print(mess1, "deg knt");
    MESS_print(mess2, "   K     K     K     K    g/kg");
    MESS_print(mess1, "\n");
    MESS_print(mess1, "%s", RULE1);
    MESS_print(mess2, "%s", RULE2);
    MESS_print(mess1, "\n");
}

}  // namespace

int UPA_set_miss_dash()
{
    st.miss_dash = true;
    return 0;
}

void UPA_fit(std::string &out, const char *text, int width)
{
    const std::string s = text;
    if (static_cast<int>(s.size()) > width) out.append(static_cast<size_t>(width), '*');
    else out += s;
}

int UPA_print_level(M_type mess1, M_type mess2, int ind, const UPA_level *level)
{
    if (!MESS_check(mess1 | mess2)) return 0;
    if (!level) {
        print_header(mess1, mess2);
        return 0;
    }
    const UPA_level &lev = *level;
    const float T = UPA_kelvin(lev.t), Td = UPA_kelvin(lev.td);

    std::string basic = row_label(ind, lev);
    column(basic, lev.p, 4, VYK_is_miss(lev.p) || lev.p >= 10 ? 0 : 1);
    column(basic, lev.h, 5, 0);
    column(basic, lev.t, 5, 1);
    column(basic, lev.td, 5, 1);
    column(basic, rel_hum(T, Td), 3, 0);
    MESS_print(mess1, "%s", basic.c_str());

    const bool extended = MESS_check(mess2);
    std::string moist;
    if (extended) {
        column(moist, VYK_is_miss(lev.t) || VYK_is_miss(lev.td) ? MISS : lev.t - lev.td, 4, 1);
        const float wb = wet_bulb(T, Td, lev.p);
        column(moist, VYK_is_miss(wb) ? MISS : wb - 273.15f, 5, 1);
        MESS_print(mess2, "%s", moist.c_str());
    }

    std::string wind;
    column(wind, lev.dir, 3, 0);
    column(wind, lev.spd, 3, 0);
    MESS_print(mess1, "%s", wind.c_str());

    if (extended) {
        std::string theta;
        column(theta, pot_temp(T, lev.p), 5, 1);
        column(theta, virt_pot_temp(T, Td, lev.p), 5, 1);
        column(theta, wet_bulb_pot_temp(T, Td, lev.p), 5, 1);
        column(theta, eq_pot_temp(T, Td, lev.p), 5, 1);
        column(theta, mix_ratio(Td, lev.p), 5, 2, false);
        MESS_print(mess2, "%s", theta.c_str());
    }
    MESS_print(mess1, "\n");
    return 0;
}
