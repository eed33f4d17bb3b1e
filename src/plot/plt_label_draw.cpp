// The plot labels: the border and the texts of the label store drawn around (or, with full
// labels, inside) the data area when a plot ends, with the `label` resource's own texts.  The
// lower left and centre positions give way to a colour bar, the lower right one to a vector
// legend.
#include "vyk.h"
#include "gks.h"
#include "cont.h"
#include "vykdom.h"
#include "plt_frame.h"
#include "vykgks.h"
#include "plt_label.h"
#include "plt_internal.h"
#include "vect_plot.h"

#include <algorithm>

namespace {

struct Layout {
    Glim area;         // the data area
    int lines;         // lines drawn per position
    float line_h;      // line height
    float gap;         // distance of the first line from the data area
    float x[3];        // left, centre and right positions
};

void draw_position(int pos, const Layout &lay, bool done)
{
    static constexpr int hor[3] = {GLEFT_HOR, GCENTER_HOR, GRIGHT_HOR};
    const bool upper = pos < PLT_LOW_LEFT;
    const int col = pos % 3;
    GPH_text_align(hor[col], upper ? GBASE_VERT : GCAP_VERT);
    const int lines = done ? 1 : std::min(lay.lines, PLT_LABEL_LINES);
    const int base = PLT_get_overlay_base();
    for (int k = 0; k < lines; k++) {
        const char *text = PLT_get_label(pos, k);
        if (!text || text[0] == '\0') continue;
        Gpt pt;
        pt.x = lay.x[col];
        if (upper)
            pt.y = lay.area.y_max + lay.gap + static_cast<float>(base + k) * lay.line_h;
        else
            pt.y = lay.area.y_min - lay.gap - static_cast<float>(lay.lines - 1 - k) * lay.line_h +
                   static_cast<float>(base) * lay.line_h;
        GPH_pprint(&pt, text);
    }
}

bool position_on(int pos)
{
    if (!FLAG_getplot(PLOT_TEXT_UL + pos)) return false;
    if (pos == PLT_LOW_LEFT || pos == PLT_LOW_CENTER) return CONT_get_bar() < 1;
    if (pos == PLT_LOW_RIGHT) return VECT_get_vect() < 1;
    return true;
}

void draw_texts(const Glim &area, float room, const Gattribs &attr, const bool (&done)[PLT_LABEL_POS])
{
    Layout lay;
    lay.area = area;
    const float height = area.y_max - area.y_min;
    const float width = area.x_max - area.x_min;
    const int num_over = PLT_get_num_over();
    lay.lines = (PLT_get_label_type() >= 0 && num_over != 0) ? num_over : 1;
    lay.line_h = std::min(room / static_cast<float>(lay.lines), 0.03f * height);
    GPH_text_attr(&attr, 0.75f * lay.line_h);
    lay.gap = 0.2f * lay.line_h;
    if (PLT_get_full_lab())
        lay.gap = -0.2f * lay.line_h - static_cast<float>(lay.lines) * lay.line_h;
    lay.x[0] = area.x_min + 0.01f * width;
    lay.x[1] = (area.x_min + area.x_max) / 2;
    lay.x[2] = area.x_max - 0.01f * width;
    for (int pos = 0; pos < PLT_LABEL_POS; pos++)
        if (position_on(pos)) draw_position(pos, lay, done[pos]);
}

}  // namespace

int PLT_labels()
{
    bool done[PLT_LABEL_POS] = {};
    plt_label_resource(done);

    Gattribs attr;
    ATTRIB_init(&attr);
    ATTRIB_get("color_text", gget_inverse() ? "black" : "white", &attr);

    PLT_mess("Labels");
    GPH_trans(1);
    Glim disp;
    GPH_get_view_size(&disp);
    GPH_line_attr(nullptr);
    GPH_text_attr(nullptr, 0);
    GPH_text_font(nullptr);
    GPH_line_attr(&attr);

    Glim area;
    PLT_get_view(&area);
    const float room = PLT_get_full_lab() ? 0.06f : area.y_min - disp.y_min;
    if (PLT_get_border() && FLAG_getplot(PLOT_BORD)) GPH_border(&area);
    if (room < 0.005f) return -1;
    if (FLAG_getplot(PLOT_TEXT)) draw_texts(area, room, attr, done);
    return 0;
}
