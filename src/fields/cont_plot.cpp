// cont_plot.cpp: the stand-alone contour plot: the set-up of a grid's contour plot (settings of
// its variable slot, the plot parameters, levels, labels), the plot routine that draws it inside
// the plot frame, and its event callback.
//
// The contour state is the module's one state (cont_internal.h), reached through cont_state().
#include "cont_internal.h"

#include "vyk.h"
#include "vykgext.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "vykvar.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

ContState &st = cont_state();

constexpr M_type PROGRESS = 3840;   // "Contouring data for ..."

/// The items of con_base: '>' lower cut-off and base, '<' upper cut-off, else the base.
void apply_con_base()
{
    CONT_base_items([](char kind, float value) {
        if (kind == '>') st.min_cut = st.base = value;
        else if (kind == '<') st.max_cut = value;
        else st.base = value;
    });
}

bool has_resource(const char *name) { return RES_get(name) != nullptr; }

/// The lower-left label: the explicit levels, or the interval.
void label_levels_or_interval()
{
    char num[32];
    if (cont_explicit(st)) {
        std::string text = "LEVELS: ";
        for (int k = 0; k < st.num_cont && k < CONT_LEVELS; k++) {
            std::string next = text;
            if (k > 0) next += ',';
            next += set_num(num, "1.1.1", st.cont_value[k]);
            if (next.size() > static_cast<size_t>(PLT_LABEL_MAX)) break;
            text = next;
        }
        PLT_label_low_left(text.c_str());
    } else if (FLAG_get(FLAG_PLOT_TYPE) != CONT_VALUE) {
        char text[PLT_LABEL_MAX + 1];
        std::snprintf(text, sizeof text, "INTERVAL: %s", set_num(num, "5.1.1", st.intrvl));
        PLT_label_low_left(text);
    } else {
        PLT_label_low_left("");
    }
}

/// The labels of a contoured grid.
void setup_labels(const GRD_report *grid)
{
    PLT_label_up_left(grid->info);
    PLT_label_up_right(grid->datim);
    char lo[32], hi[32], text[PLT_LABEL_MAX + 1];
    std::snprintf(text, sizeof text, "LO: %s  HI: %s", set_num(lo, "5.3.1", st.grid_min),
                  set_num(hi, "5.3.1", st.grid_max));
    PLT_label_low_right(text);
    label_levels_or_interval();
}

bool has_values(const GRD_report *grid)
{
    return grid && grid->grid && grid->domain.nx > 0 && grid->domain.ny > 0;
}

}  // namespace

int CONT_plot_setup(int plot, int ind, const GRD_report *grid, Domain *, PLT_callback callback)
{
    if (FLAG_get(FLAG_PLOT_TYPE) == CONT_NONE) return 0;
    st.callback = callback;
    st.grd_ptr = grid;
    CONT_init();
    GPH_text_font(nullptr);
    CONT_set_format(VAR_get_type(ind), VAR_get_format(ind));
    const bool slot = ind >= 0 && ind < CONT_SLOTS;
    if (plot > 0 && slot) {
        st.cont_type = st.cont_types[ind];
        st.intrvl = st.intrvls[ind];
        st.dash = st.dashs[ind];
        st.base = st.bases[ind];
    }
    CONT_format_decode_type(st.format);
    CONT_param_decode();
    CONT_set_fill_colors(nullptr, 0);
    if (!has_values(grid)) return 0;
    MESS_print(PROGRESS, "Contouring data for %s\n\n", grid->info);
    float max = VYK_MISS, min = VYK_MISS;
    GRD_maxmin(grid, &max, &min);
    CONT_set_range(max, min);
    const int ptype = FLAG_get(FLAG_PLOT_TYPE);
    if (ptype != CONT_VALUE && st.cont_type != CONT_VALUE && VYK_is_miss(st.intrvl) &&
        !cont_explicit(st)) {
        if (!FLAG_batch() && !has_resource("con_interval")) {
            MESS_print(M_PRINT, "Maximum value: %f\n", static_cast<double>(max));
            MESS_print(M_PRINT, "Minimum value: %f\n\n", static_cast<double>(min));
        }
        CONT_prompt_intrvl();
    }
    if (cont_explicit(st)) st.plt_bar = st.plt_bar == -2 ? 0 : 1;
    apply_con_base();
    float scale = 0;
    if (RES_getval("plot_scale", &scale, CV_float)) st.scale = scale > 0 ? scale : 1;
    const char *pform = RES_get("plot_format");
    if (pform) CONT_format_decode_type(pform);
    CONT_prompt_type();
    CONT_set_cont_ext(grid);
    MAP_fill_cont(st.cont_type == CONT_FILL || st.cont_type == CONT_LFILL ? 1 : 0);
    setup_labels(grid);
    if (plot == 0 && slot) {
        st.cont_types[ind] = st.cont_type;
        st.intrvls[ind] = st.intrvl;
        st.dashs[ind] = st.dash;
        st.bases[ind] = st.cbase;
    }
    return 0;
}

int CONT_plot_grid(const GRD_report *grid, Domain *domain, PLT_callback callback)
{
    if (FLAG_get(FLAG_PLOT_TYPE) == CONT_NONE) return 0;
    CONT_plot_setup(0, 0, grid, domain, callback);
    Domain own = grid ? grid->domain : Domain{};
    Domain *dom = domain;
    if (!dom || VYK_is_miss(dom->clat)) dom = &own;
    const int plotted = CONT_plot(dom);
    st.cont_type = VYK_MISS;
    return plotted;
}

int CONT_plot(Domain *domain)
{
    if (FLAG_get(FLAG_PLOT_TYPE) == CONT_NONE) return 0;
    const auto draw = [domain](bool) {
        GRD_report *grid = GRD_get_grids();
        MAP_setup(domain);
        CONT_plot_setup(0, 0, grid, domain, CONT_callback);
        if (st.mapcon == 1) {
            MAP_draw(5);
            CONT_draw(grid);
        } else {
            CONT_draw(grid);
            MAP_draw(6);
        }
    };
    const auto bar = [] {
        if (st.plt_bar > 0) CONT_draw_bar(1, "");
    };
    return PLT_run(DOM_aspect(domain), {.name = "CONT_plot", .callback = CONT_callback,
                                        .replot = CONT_plot, .draw = draw, .over_labels = bar});
}

void CONT_callback(int, const char *event, float x, float y)
{
    if (!event) return;
    PLT_print_values(event, x, y);
    PLT_plot_zoom(event, x, y);
    PLT_plot_resize(event, x, y);
    CONT_flash_value(event, x, y);
    if (std::strcmp(event, "s-Alt") != 0) return;
    const GRD_report *grid = GRD_get_grids();
    if (!has_values(grid)) return;
    GRD_info info;
    GRD_set_info(&info, &grid->date, &grid->domain);
    GRD_save_file("output.grd", grid, &info, 2);
}
