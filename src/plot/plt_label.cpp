// plt_label.cpp: the plot labels.  For now the label type, which the label texts of the
// variables read.
#include "vykplot.h"

namespace {

struct State {
    int lab_type = PLT_LABEL_NORMAL;
};

State state;

}  // namespace

int PLT_set_label_type(int val)
{
    state.lab_type = val;
    return 0;
}

int PLT_get_label_type() { return state.lab_type; }
