// The plot frame's layout settings: the margins around the data area (view offsets), the
// border and the labels inside the data area.  The frame (plt_frame.cpp) lays a plot out by
// them; they draw nothing, so the image files can read the margin from here.
#include "vykdom.h"
#include "plt_frame.h"

namespace {

struct State {
    Glim view_off = {0, 0, 0.04f, 0.04f};  // margins: left, right, bottom, top
    float view_offset = 0;                 // the margin last given to PLT_set_view_offset
    int border = 1;
    int full_lab = 0;
};

State st;

}  // namespace

int PLT_border(int val)
{
    st.border = val;
    return 0;
}

int PLT_get_border() { return st.border; }

int PLT_set_view_offset(float offset)
{
    st.view_offset = offset;
    st.view_off = {0, 0, offset, offset};
    return 0;
}

float PLT_get_view_offset() { return st.view_offset; }

int PLT_set_view_offsets(float xn, float xx, float yn, float yx)
{
    st.view_off = {xn, xx, yn, yx};
    return 0;
}

int PLT_get_view_offsets(Glim *view)
{
    if (view) *view = st.view_off;
    return 0;
}

int PLT_set_full_lab(int val)
{
    st.full_lab = val;
    return 0;
}

int PLT_get_full_lab() { return st.full_lab; }
