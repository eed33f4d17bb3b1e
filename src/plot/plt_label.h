// plt_label.h: the label store (plt_label.cpp) and the plot labels (plt_label_draw.cpp).
//
// Six label positions around the data area, each with overlay lines 0 to 5 of at most
// PLT_LABEL_MAX characters: the plotting code writes them while it draws, PLT_labels draws them
// when the plot ends and PLT_close empties the store.  The label type decides how overlays
// share the lines and how much the label texts of the variables say.
#ifndef PLT_LABEL_H
#define PLT_LABEL_H

#include "vykdate.h"

#include <cstddef>

// Label types.  Each overlay moves a positive type one up and a negative one one down, so other
// values arise while overlays are labelled.
enum {
    PLT_LABEL_MIN = -2,    // abbreviations, no time or level
    PLT_LABEL_SIMPLE = -1, // abbreviations with time and level; later overlays on one line
    PLT_LABEL_NORMAL = 0,  // descriptions with time and level
    PLT_LABEL_COMPLETE = 1 // descriptions, time, level and the variable's format
};

/// Label positions.
enum PLT_label_pos {
    PLT_UP_LEFT = 0, PLT_UP_CENTER = 1, PLT_UP_RIGHT = 2,
    PLT_LOW_LEFT = 3, PLT_LOW_CENTER = 4, PLT_LOW_RIGHT = 5,
};
constexpr int PLT_LABEL_POS = 6;    // positions
constexpr int PLT_LABEL_LINES = 6;  // overlay lines of a position
constexpr int PLT_LABEL_MAX = 68;   // characters of one line; longer texts are cut
/// The buffer PLT_label_format writes by default.
constexpr size_t PLT_FORMAT_LEN = 80;

/// Empties every line and the append offsets, and sets the overlay count to 0.  0.
int PLT_init_labels();
/// The overlay line that label writes go to (at most 5; negative: writes are off); the overlay
/// count is raised to it.  0.
int PLT_set_overlay(int ind);
/// Shifts every drawn label up by ind line heights (0 to 5); the overlay count is raised to it.
int PLT_set_overlay_base(int ind);
int PLT_get_overlay_base();
/// Raises the overlay count to ind (a negative ind sets it to -ind); at most PLT_LABEL_LINES.
int PLT_set_num_overlay(int ind);
int PLT_get_num_over();
/// Moves to the next overlay line: the new line, or -1 on line 5.
int PLT_next_overlay();
/// Sets the label type; returns 0.
int PLT_set_label_type(int val);
/// The label type (PLT_LABEL_NORMAL until set).
int PLT_get_label_type();
/// Stores str (cut to PLT_LABEL_MAX characters) on the current overlay line of position lab.
/// 0; -1 for a position outside 0 to 5.
int PLT_label_strcpy(int lab, const char *str);
/// Writes " str" into line 0 of position lab from the offset where the current overlay began
/// (cut to the line's size).  0; -1 for a position outside 0 to 5.
int PLT_label_strcat(int lab, const char *str);
// PLT_get_label is declared in vykdom.h.
/// Write str to one position: appended to line 0 on later overlays of a negative label type,
/// else stored on the current overlay line.  0.
int PLT_label_up_left(const char *str);
int PLT_label_up_center(const char *str);
int PLT_label_up_right(const char *str);
int PLT_label_low_left(const char *str);
int PLT_label_low_center(const char *str);
int PLT_label_low_right(const char *str);
/// The date and the forecast-hour code of the label codes.  0.
int PLT_label_date(const Date *datim);
int PLT_label_for_time(long val);
/// Expands a label template into str (at most size - 1 characters): '_' a blank, %D %V %W date
/// labels, %y %m %b %h %d %n date fields, %f %F the forecast length, %% a '%'.  0.
int PLT_label_format(const char *form, char *str, size_t size = PLT_FORMAT_LEN);
/// Draws the border and the labels (with the `label` resource's own texts).  0; -1 when the
/// room under the data area is too small for labels.
int PLT_labels();

#endif
