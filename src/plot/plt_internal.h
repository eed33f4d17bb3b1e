// plt_internal.h: what the label store (plt_label.cpp) shares with the drawing of the labels
// (plt_label_draw.cpp).
#ifndef PLT_INTERNAL_H
#define PLT_INTERNAL_H

#include "plt_label.h"

/// Applies the `label` resource's items to the store: "ul:TEXT" fixes a position to one line
/// (marked in done), "ul2xTEXT" writes line 2 of the position; the write line is 0 afterwards.
void plt_label_resource(bool (&done)[PLT_LABEL_POS]);

#endif
