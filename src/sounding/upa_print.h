// upa_print.h: printed sounding tables (upa_print.cpp): a report's location, its mandatory,
// significant-level and wind tables, and the wind level table of a merged wind sounding.
//
// Every table prints through the message output under the masks it is given; numbers keep the
// widths of their columns (a value too wide prints as a column of '*').  All return 0.
#ifndef UPA_PRINT_H
#define UPA_PRINT_H

#include "upa_report.h"

int UPA_print_locate(M_type mess, const UPA_report *report);
int UPA_print_report(M_type mess, const UPA_report *report);
int UPA_print_man(M_type mess, const UPA_report *report);
int UPA_print_sig(M_type mess, const UPA_report *report);
int UPA_print_wnd(M_type mess, const UPA_report *report);
/// With level NULL the header of the wind level table (with the storm motion when storm has a
/// direction), else one row: the level's wind under mess1, the storm-relative wind under mess2.
int UPA_print_wind(M_type mess1, M_type mess2, int ind, const UPA_level *level,
                   const WIND *storm);

#endif
