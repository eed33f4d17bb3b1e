// upa_report.cpp: the upper-air report record's reset, and the header of the open upper-air
// file with its date label.
#include "vyk.h"
#include "upa_level.h"
#include "upa_report.h"

namespace {

constexpr float MISS = VYK_MISS;

/// The header of the open upper-air file; the date label is empty until set.
struct State {
    UPA_info info = {};
};

State st;

}  // namespace

int UPA_is_new_text(int kind)
{
    return kind == UPA_FILE_TEXT || kind == UPA_FILE_PLUS || kind == UPA_FILE_X ? 1 : 0;
}

int UPA_initialize(UPA_report *report)
{
    if (!report) return 0;
    report->id[0] = report->area[0] = '\0';
    report->wmo = report->time = VYK_MISS;
    report->lat = report->lon = report->elev = MISS;
    for (UPA_level &l : report->man) UPA_level_init(&l);
    for (UPA_sig_level &s : report->sig) s = {MISS, MISS, MISS};
    for (UPA_wnd_level &w : report->wnd) w = {MISS, MISS, MISS};
    report->numman = report->numsig = report->numwnd = 0;
    return 0;
}

UPA_info *UPA_get_info() { return &st.info; }

const char *UPA_get_datim() { return st.info.datim; }

int UPA_set_datim(const char *str)
{
    strfcpy(st.info.datim, str ? str : "");
    return 0;
}
