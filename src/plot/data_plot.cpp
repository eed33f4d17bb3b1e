// The data-plotting driver: the parts that every data plot shares.  A data program describes
// its plot in a DATA_info record; the driver prepares the point attributes, starts a frame with
// the map underlay, plots the variable slots (contoured or vector grids, or point values at the
// stations the program's reader gives), draws the colour bar and the vector key once per frame,
// writes the variable and time labels, switches panels, and ends the frame with the map overlay
// and the plot labels.
//
// Every callback of the record is checked before it is called: an empty entry is skipped.
#include "vyk.h"
#include "gks.h"
#include "cont.h"
#include "cty.h"
#include "data_plot.h"
#include "plt_frame.h"
#include "vykgacc.h"
#include "vykgks.h"
#include "plt_label.h"
#include "map.h"
#include "map_draw.h"
#include "vykrawplot.h"
#include "vykvar.h"
#include "vect_plot.h"

#include <cstring>
#include <initializer_list>

namespace {

constexpr M_type M_PROGRESS = 3840;
constexpr M_type M_TRACE = 0xF0000000;  // the debug class

// Plot-type codes of filled contours (52 is stored as colour fill).
constexpr int FILL_ALSO = 52;
// Map passes: 1 the items marked for underlay, 2 for overlay, 4 the unmarked ones.
enum { PASS_UNDER = 1, PASS_OVER = 2, PASS_PLAIN = 4 };
// Range rings are drawn from this radius (nautical miles) on.
constexpr float RING_MIN = 10;
constexpr float KM_PER_NMI = 1.852f;

struct State {
    int fill = 0;     // the plot fills contours
    int map = 0;      // 1 a slot is a map element; -1 (without one) a slot is a panel control
    int bar = 0;      // the colour bar is drawn in this frame
    int vbar = 0;     // the vector key is drawn in this frame
    int vfunc = 0;    // a vector plot pseudo-function's grids are collected
    int panel = 0;    // panels started
    Gattribs data_attr = {}, wind_attr = {}, cld_attr = {}, wx_attr = {};
    float scale = 1;  // size factor of point plots
    int plt_site = 0;     // mark every plotted station with a plus sign
    float plt_dist = 0;   // range-ring radius, nautical miles
};

State st;

bool is_slot(int ind) { return ind >= 0 && ind < VAR_get_num(); }

bool fills(int type) { return type == VAR_T_FCONT || type == VAR_T_BCONT || type == FILL_ALSO; }

bool vector_type(int type) { return type >= VAR_T_WIND && type <= VAR_T_STRM; }

// The point attributes of a plot type.
const Gattribs &attr_of(int type)
{
    if (type >= VAR_T_WBARB && type <= VAR_T_VBARB) return st.wind_attr;
    if (type == VAR_T_CLOUD) return st.cld_attr;
    if (type == VAR_T_SYMB) return st.wx_attr;
    return st.data_attr;
}

void label_time(int ind, const DATA_info *data)
{
    PLT_label_date(&data->date);
    PLT_label_for_time(VAR_get_time(ind));
}

// The last slot of the point group that begins at ind.
int group_end(int ind)
{
    if (VAR_is_REG(ind)) return ind;
    int k = ind + 1;
    while (is_slot(k) && !VAR_is_REG(k)) k++;
    return k - 1;
}

// Opens the point-data output of the group when the program asks for it: false when it was
// asked for and could not be opened.
bool open_output(const DATA_info *data)
{
    FILE_save_name_conv();
    const bool wanted = data->out_raw && data->out_raw() != 0;
    const bool ok = !wanted || RAW_date_open(&data->date) > 0;
    FILE_restore_name_conv();
    return ok;
}

// Gives the group's slots their default units before any value is taken, so that values are
// converted to the units they are drawn in.
void default_units(int first, int last, const DATA_info *data)
{
    if (!data->get_var) return;
    for (int k = first; k <= last; k++) data->get_var(VAR_get_var(k));
}

// Draws the group's slots at one station.
void plot_station(const CTY_locate &station, int first, int last, DATA_info *data)
{
    RAW_data datum;
    RAW_data_init(&datum);
    datum.x = station.x;
    datum.y = station.y;
    char *text = CTY_get_data(station.id);
    RAW_save_station(&station);
    if (st.plt_dist >= RING_MIN) MAP_draw_circle(station.x, station.y, st.plt_dist * KM_PER_NMI);
    if (st.plt_site) {
        datum.type = VAR_T_MARK;
        strfcpy(datum.data, "plus");
        RAW_plot_data(&datum);
    }
    for (int k = first; k <= last; k++) {
        const int type = VAR_get_type(k);
        if (k == first || type != VAR_get_type(k - 1)) datum.attr = attr_of(type);
        datum.type = type;
        RAW_data_init_val(&datum);
        VAR_data *var = VAR_get_var(k);
        if (data->get_data) data->get_data(data->report, var, &datum);
        strfcpy(datum.format, VAR_get_format(k));
        RAW_save_data(&datum);
        if (text) RAW_set_var_string(var, &datum, text, static_cast<size_t>(CTY_get_data_size()));
        RAW_plot_data(&datum);
    }
    RAW_save_end();
}

// The stations the program's reader gives, each drawn unless its plot cell is taken.
void station_loop(int first, int last, DATA_info *data)
{
    if (!data->read_report) return;
    CTY_locate station;
    for (;;) {
        std::memset(&station, 0, sizeof station);
        const int r = data->read_report(data->report, &station);
        if (r < 0) break;
        if (r == 0 || MAP_plot_grid(station.x, station.y) == 0) continue;
        plot_station(station, first, last, data);
    }
}

}  // namespace

int DATA_set_site(int val)
{
    st.plt_site = val;
    return 0;
}

int DATA_set_dist(float val)
{
    st.plt_dist = val;
    return 0;
}

int DATA_plot_init()
{
    st.fill = fills(FLAG_get(FLAG_PLOT_TYPE)) ? 1 : 0;
    st.map = 0;
    for (int k = 0; k < VAR_get_num(); k++) {
        if (VAR_is_type_MAP(k)) st.map = 1;
        else if (VAR_is_PANEL(k) && st.map != 1) st.map = -1;
    }
    const bool inverse = gget_inverse() != 0;
    for (Gattribs *a : {&st.data_attr, &st.wind_attr, &st.cld_attr, &st.wx_attr}) ATTRIB_init(a);
    ATTRIB_get("color_data", "green", &st.data_attr);
    ATTRIB_get("color_wind", inverse ? "black" : "white", &st.wind_attr);
    ATTRIB_get("color_cloud", inverse ? "black" : "white", &st.cld_attr);
    ATTRIB_get("color_wx", inverse ? "brown" : "yellow", &st.wx_attr);
    st.scale = 1;
    float scale;
    if (RES_getval("plot_scale", &scale, CV_float) && scale > 0) st.scale = scale;
    return 0;
}

int DATA_plot_start()
{
    gsel_norm_tran(2);
    DATA_new_frame();
    DATA_map_underlay();
    st.panel = 0;
    return 0;
}

int DATA_plot_begin()
{
    DATA_new_frame();
    DATA_map_underlay();
    return 0;
}

int DATA_new_frame()
{
    PLT_set_overlay(0);
    st.bar = st.vbar = 0;
    return 0;
}

int DATA_plot_end()
{
    DATA_map_overlay();
    PLT_labels();
    return 0;
}

int DATA_map_underlay()
{
    MAP_draw(st.map == 1 || st.fill ? PASS_UNDER : PASS_UNDER | PASS_PLAIN);
    return 0;
}

int DATA_map_overlay()
{
    if (st.map != 1 && st.fill) {
        MAP_fill_cont(1);
        MAP_draw(PASS_OVER | PASS_PLAIN);
    } else {
        MAP_draw(PASS_OVER);
    }
    return 0;
}

int DATA_plot_bar()
{
    if (st.bar != 0 || CONT_get_bar() <= 0) return -1;
    gsel_norm_tran(1);
    CONT_draw_bar(1, "");
    gsel_norm_tran(2);
    st.bar = 1;
    return 0;
}

int DATA_plot_vect_bar()
{
    if (st.vbar != 0 || VECT_get_vect() <= 0) return -1;
    gsel_norm_tran(1);
    VECT_draw_vect();
    gsel_norm_tran(2);
    st.vbar = 1;
    return 0;
}

int DATA_plot_grid(int ind, DATA_info *data)
{
    if (!is_slot(ind) || !data) return ind;
    int result = ind;
    const int type = VAR_get_type(ind);
    VAR_data *var = VAR_get_var(ind);
    bool plotted = true;
    if (VAR_is_plot_VECT(ind) && vector_type(type)) {
        VECT_set_type(type);
        result = DATA_plot_vect(ind + 1, data, var->units, var->format);
    } else if (VAR_is_plot_FUNC_VECT(ind)) {
        VECT_set_type(type);
        result = DATA_plot_vect(ind, data, var->units, var->format);
    } else if (VAR_is_plot_FUNC(ind) && vector_type(type)) {
        VECT_set_type(type);
        if (GRD_is_plot_func(var->name)) {
            st.vfunc = 1;
            result = DATA_plot_vect(ind + 1, data, var->units, var->format);
            st.vfunc = 0;
        } else {
            result = DATA_plot_vect(ind, data, nullptr, nullptr);
        }
    } else if (VAR_is_plot_GRID(ind)) {
        if (vector_type(type)) result = DATA_plot_vect(ind, data, nullptr, nullptr);
        else result = DATA_plot_cont(ind, data, nullptr);
        DATA_plot_bar();
        if (vector_type(type)) DATA_plot_vect_bar();
    } else {
        plotted = false;
    }
    if (plotted && !VAR_is_plot_GRID(ind)) {
        DATA_plot_bar();
        DATA_plot_vect_bar();
    }
    if (plotted && VAR_is_LABEL(ind)) {
        char label[VAR_LABEL_LEN];
        if (vector_type(type) || PLT_get_label_type() < 0) VAR_make_var_form_datatype(ind, label);
        else strfcpy(label, GRD_get_grid_info(ind));
        PLT_label_up_left(label);
        PLT_next_overlay();
    }
    MESS_print(M_TRACE, "GRID--BEG: %d END: %d\n", ind, result);
    return result;
}

int DATA_plot_vect(int ind, DATA_info *data, char *units, const char *form)
{
    if (!is_slot(ind) || !data) return ind;
    if (!form) form = VAR_get_format(ind);
    label_time(ind, data);
    VECT_set_format(VAR_get_type(ind), form);
    GRD_report *grids[3] = {nullptr, nullptr, nullptr};
    const int result = GRD_find_param_grids(ind, 2, st.vfunc, grids, nullptr);
    if (!grids[0] || !grids[1]) {
        MESS_print(M_WARN, "DATA_plot_vect: no grid pair at slot %d\n", ind);
        return result;
    }
    if (units) {
        if (units[0]) {
            GRD_units(grids[0], units);
            GRD_units(grids[1], units);
        } else {
            strfcpy(units, VAR_UNITS_LEN, grids[0]->units);
        }
    }
    VECT_plot_setup(data->plot, ind, grids[0], grids[1], &data->domain, data->callback);
    VECT_draw(grids[0], grids[1]);
    return result;
}

int DATA_plot_cont(int ind, DATA_info *data, const char *)
{
    if (!is_slot(ind) || !data) return ind;
    label_time(ind, data);
    GRD_report *grid = GRD_get_grid(ind);
    CONT_plot_setup(data->plot, ind, grid, &data->domain, data->callback);
    if (fills(CONT_get_type())) st.fill = 1;
    CONT_draw(grid);
    return ind;
}

int DATA_plot_raw(int ind, DATA_info *data)
{
    if (!is_slot(ind) || !data || !VAR_is_type_PLOT(ind)) return ind;
    if (data->plot_data && data->plot_data(ind) != 0) return ind;
    if (VAR_is_COMP(ind)) {
        DATA_plot_raw_label(ind, ind, data);
        return ind;
    }
    const int first = ind, last = group_end(ind);
    MESS_print(M_TRACE, "PLOT--BEG: %d END: %d\n", first, last);
    if (!open_output(data)) return last;
    default_units(first, last, data);
    RAW_plot_init(&attr_of(VAR_get_type(first)), st.scale);
    MAP_plot_grid_init();
    gset_fill_print_solid(1);
    if (data->rewind) data->rewind();
    station_loop(first, last, data);
    gset_fill_print_solid(0);
    DATA_plot_raw_label(first, last, data);
    DATA_plot_bar();
    RAW_close_file();
    return last;
}

int DATA_plot_raw_label(int beg, int end, DATA_info *data)
{
    if (!data) return 0;
    for (int k = beg; k <= end && is_slot(k); k++) {
        if (!VAR_is_type_PLOT(k) || !VAR_is_LABEL(k)) continue;
        if (data->get_var) data->get_var(VAR_get_var(k));
        char label[VAR_LABEL_LEN];
        VAR_make_var_form_datatype(k, label);
        PLT_label_up_left(label);
        label_time(k, data);
        char when[VAR_LABEL_LEN] = "";
        DATE_make_label_for_time(VAR_get_time(k), data->model, &data->date, when, sizeof when);
        PLT_label_up_right(when);
        PLT_next_overlay();
    }
    return 0;
}

int DATA_plot_map(int ind)
{
    if (!is_slot(ind)) return -1;
    if (VAR_is_type_MAP(ind)) {
        MAP_set_format(VAR_get_format(ind));
        MAP_draw(PASS_PLAIN);
    }
    return 0;
}

int DATA_plot_panel(int ind, Domain *domain)
{
    if (st.panel > 0) DATA_plot_end();
    PLT_panel_decode(VAR_get_format(ind));
    PLT_panel(0);
    MAP_setup(domain);
    DATA_plot_begin();
    st.panel++;
    return 0;
}

int DATA_plot_control(int ind, Domain *domain)
{
    if (!is_slot(ind)) return -1;
    if (VAR_is_PANEL(ind)) {
        MESS_print(M_PROGRESS, "New panel: %s\n", VAR_get_format(ind));
        DATA_plot_panel(ind, domain);
    }
    return 0;
}
