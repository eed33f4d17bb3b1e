// vyklabel.h: the plot labels (plt_label.cpp): the label type that decides how much the label
// texts of the variables say.
#ifndef VYKLABEL_H
#define VYKLABEL_H

// Label types.  Each overlay moves a positive type one up and a negative one one down, so other
// values arise while overlays are labelled.
enum {
    PLT_LABEL_MIN = -2,    // abbreviations, no time or level
    PLT_LABEL_SIMPLE = -1, // abbreviations with time and level; later overlays on one line
    PLT_LABEL_NORMAL = 0,  // descriptions with time and level
    PLT_LABEL_COMPLETE = 1 // descriptions, time, level and the variable's format
};

/// Sets the label type; returns 0.
int PLT_set_label_type(int val);
/// The label type (PLT_LABEL_NORMAL until set).
int PLT_get_label_type();

#endif
