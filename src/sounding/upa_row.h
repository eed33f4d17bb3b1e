// upa_row.h: rows of the thermodynamic level table (upa_row.cpp).
#ifndef UPA_ROW_H
#define UPA_ROW_H

#include "upa_level.h"

#include <string>

// Row labels of the special levels (the ind of UPA_print_level); -1 labels the surface only
// below 500 mb.
enum {
    UPA_ROW_SFC = -1, UPA_ROW_TRP = -2, UPA_ROW_WND = -3, UPA_ROW_PAR = -4, UPA_ROW_LCL = -5,
    UPA_ROW_LFC = -6, UPA_ROW_EL = -7, UPA_ROW_MPL = -8, UPA_ROW_WBZ = -9, UPA_ROW_FRZ = -10,
};

/// Appends text, or a column of '*' of the same width when text is wider than width.
void UPA_fit(std::string &out, const char *text, int width);

/// Missing values print as '-' instead of blanks from now on; returns 0.
int UPA_set_miss_dash();
/// With level NULL the table's header, else one row labelled by ind: the basic columns under
/// mess1, the moisture and potential-temperature columns under mess2.  A value too wide for its
/// column prints as a column of '*'.  Returns 0.
int UPA_print_level(M_type mess1, M_type mess2, int ind, const UPA_level *level);

#endif
