// The profiler display's plot: the time-height section of one station over a series of files
// (one column per file, heights above the ground up the diagram) or the map of every station of
// one file at one level.  Each plotted value comes from PRF_get_data and is drawn by the point
// plotter.  PRF_plot is also the zoom and resize function of the open plot: called again, it
// resets the frame and draws everything anew from the files.
#include "prf_disp.h"
#include "vykcont.h"
#include "vykdata.h"
#include "vykplot.h"
#include "vykprf.h"
#include "vykresrc.h"
#include "vykvar.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

/// Heights of the section are visited from the ground up to below this, m (in both forms).
constexpr float SECTION_TOP = 17000;
/// Level type of the section's heights: above the ground, m.
constexpr int LEVEL_ABOVE_GROUND = 105;
/// Hour labels: text size and drop below the data area (normalized units).
constexpr float LABEL_SIZE = 0.015f;
constexpr float LABEL_DROP = 0.01f;
/// Series steps of an hour or more label the hour only; shorter ones hour and minute.
constexpr int64_t HOUR = 3600;
/// Without a column step of the grid lines, about this many columns are labelled.
constexpr float LABELLED_COLUMNS = 10;

/// Normalization transformations: 1 the whole view, 2 the data area in plot units.
constexpr int TRAN_VIEW = 1, TRAN_PLOT = 2;
/// Text alignment of the hour labels: centred, cap line at the point.
constexpr int ALIGN_CENTRE = 2, ALIGN_CAP = 2;

struct State {
    float scale = 1;           // size factor of plotted values (plot_scale)
    PRF_report report = {};    // the report being plotted
    RAW_data raw_data = {};    // the point reused for every plotted value
    DATA_info data = {};       // the registration with the data-plotting driver
};
State st;

/// The attribute sets of plotted values and of winds.
struct Point_attribs {
    Gattribs data, wind;
};

bool is_wind(int type) { return type >= VAR_T_WBARB && type <= VAR_T_VBARB; }

/// The point attributes from the resources, solid print fills, the scale, and the point plotter
/// prepared with the set of slot 0's kind.
Point_attribs prepare_points()
{
    Point_attribs a;
    ATTRIB_init(&a.data);
    ATTRIB_init(&a.wind);
    ATTRIB_get("color_data", "green", &a.data);
    ATTRIB_get("color_wind", gget_inverse() ? "black" : "white", &a.wind);
    gset_fill_print_solid(1);
    float scale = 1;
    st.scale = RES_getval("plot_scale", &scale, CV_float) && scale > 0 ? scale : 1;
    RAW_plot_init(is_wind(VAR_get_type(0)) ? &a.wind : &a.data, st.scale);
    return a;
}

int get_data(void *report, VAR_data *var, RAW_data *data)
{
    return PRF_get_data(static_cast<const PRF_report *>(report), var, data);
}

int plot_data(int ind) { return PRF_plot_data(ind); }

/// The program's registration with the data-plotting driver.
void register_plot(const Domain *domain)
{
    DATA_info &d = st.data;
    d.model = VYK_MISS;
    d.date = *PRF_file_date();
    d.out_raw = nullptr;
    d.out_grid = nullptr;
    d.domain = *domain;
    d.report = &st.report;
    d.get_var = PRF_get_var;
    d.read_report = nullptr;
    d.rewind = PRF_rewind_file;
    d.get_data = get_data;
    d.plot_data = plot_data;
    d.grid_data = nullptr;
    d.callback = PRF_callback;
}

/// Draws every plotted slot of the report at the point already placed in raw_data.  With a
/// height (m above the ground) each slot is taken at that height, else at its own level; with
/// trace the values drawn are printed.
void plot_slots(const Point_attribs &a, const int *height, bool trace)
{
    RAW_data &raw = st.raw_data;
    for (int k = 0; k < VAR_get_num(); k++) {
        if (!VAR_is_type_PLOT(k))
            continue;
        VAR_data *slot = VAR_get_var(k);
        raw.attr = is_wind(slot->type) ? a.wind : a.data;
        raw.type = slot->type;
        strfcpy(raw.format, slot->format);
        VAR_data copy;
        VAR_data *var = slot;
        if (height) {
            copy = *slot;
            copy.ltype = LEVEL_ABOVE_GROUND;
            copy.level = *height;
            var = &copy;
        }
        if (!PRF_get_data(&st.report, var, &raw))
            continue;
        if (trace)
            MESS_print(M_OUT4, "%s %7.2f %7.2f - %7.2f %7.2f\n", st.report.id, st.report.lat,
                       st.report.lon, raw.value[0], raw.value[1]);
        RAW_plot_data(&raw);
    }
}

/// The description of slot 0 (empty without slots).
void describe_slot0(char (&text)[PLT_LABEL_MAX + 1])
{
    text[0] = '\0';
    if (VAR_get_num() > 0)
        VAR_make_var_form_datatype(0, text);
}

/// The plot date and the upper-right label from the header of the file in use; a file without
/// a date label (bulletins carry none) is labelled with the date its name gives.
void date_labels()
{
    PRF_info &info = *PRF_file_info();
    if (info.datim[0] == '\0') {
        info.date = *PRF_file_date();
        DATE_make_label(&info.date, info.datim, sizeof info.datim);
    }
    PLT_label_date(&info.date);
    PLT_label_up_right(info.datim);
}

/// The text attributes of the hour labels.
void label_text(const Gattribs &line)
{
    GPH_text_attr(&line, LABEL_SIZE);
    GPH_text_align(ALIGN_CENTRE, ALIGN_CAP);
}

/// Whether column nfile gets an hour label: the columns of the vertical grid lines, or, without
/// them, about a tenth of the columns.
bool labelled_column(float nfile, const Domain &domain)
{
    float x_step = 0, y_step = 0;
    MAP_get_latlon(&x_step, &y_step);
    if (x_step != 0)
        return std::fmod(nfile, x_step) == 0;
    const float step = std::ceil(domain.dx / LABELLED_COLUMNS);
    return step > 0 && std::fmod(nfile, step) < 0.5f;
}

/// The hour of the file in use under column nfile, below the data area.
void hour_label(float nfile, const Gattribs &line, const Glim &view, const Domain &domain)
{
    gsel_norm_tran(TRAN_VIEW);
    label_text(line);
    float x = 0, y = 0;
    MAP_tran(nfile, 0, &x, &y);
    const Gpt at = {xW_trans(x, TRAN_PLOT, TRAN_VIEW), view.y_min - LABEL_DROP};
    const Date &date = *PRF_file_date();
    const int64_t step = FILE_get_skip();
    char text[16];
    if (step == VYK_MISS || step >= HOUR)
        std::snprintf(text, sizeof text, "%2.2d", date.hour);
    else
        std::snprintf(text, sizeof text, "%2.2d%2.2d", date.hour, date.min);
    if (at.x >= view.x_min && at.x <= view.x_max && labelled_column(nfile, domain))
        gtext(&at, text);
    gsel_norm_tran(TRAN_PLOT);
}

/// The values of one file's report of the station in column nfile, from the ground up.
void plot_column(float nfile, const Point_attribs &a)
{
    const float dlev = PRF_get_dlev();
    if (!(dlev > 0))
        return;
    for (float lev = 0; lev < SECTION_TOP; lev += dlev) {
        MAP_tran(nfile, lev, &st.raw_data.x, &st.raw_data.y);
        const int height = static_cast<int>(lev);
        plot_slots(a, &height, false);
    }
}

/// The time-height section of the station: one column per file of the series, in order; a
/// file that cannot be read or lacks the station keeps its column, empty and unlabelled.
void plot_section(const Domain &domain, const Point_attribs &a)
{
    const char *id = PRF_get_station();
    char desc[PLT_LABEL_MAX + 1];
    describe_slot0(desc);
    const std::string title = std::string("ID: ") + id + " - " + desc;
    PLT_label_up_left(title.c_str());

    Gattribs line;
    ATTRIB_init(&line);
    ATTRIB_get("color_line", "red", &line);
    Glim view = {};
    PLT_get_view(&view);
    gsel_norm_tran(TRAN_PLOT);
    label_text(line);
    RAW_data_init(&st.raw_data);

    Date *file_date = PRF_file_date();
    PRF_info *info = PRF_file_info();
    FILE_first(file_date);
    char name[FILE_NAME_MAX + 1];
    for (float nfile = 0; FILE_get_next(name); nfile += 1) {
        FILE_get_date(file_date);
        // The header is that of this file, or none when it cannot be read.
        *info = PRF_info{};
        MESS_print(M_MESS, "Searching file for %s in: %s\n", id, name);
        if (!PRF_read_station(name, id, &st.report)) {
            MESS_print(M_WARN, "%s not found\n", id);
            continue;
        }
        plot_column(nfile, a);
        hour_label(nfile, line, view, domain);
    }
    date_labels();
}

/// Every station of the file in use at its map position, each plotted slot at its own level.  A
/// file that cannot be opened ends the program (status 10) with the frame closed.
void plot_level_map(const Point_attribs &a)
{
    char file[FILE_NAME_MAX + 1];
    FILE_set_date(PRF_file_date(), file);
    if (!PRF_open_file(file)) {
        MESS_print(M_ERROR, "PRF_plot: Unable to open profiler file: %s\n", file);
        PLT_exit(VYK_EXIT_NO_FILE);
    }
    RAW_data_init(&st.raw_data);
    gsel_norm_tran(TRAN_PLOT);
    while (PRF_read_next(&st.report) == 1) {
        MAP_tran(st.report.lat, st.report.lon, &st.raw_data.x, &st.raw_data.y);
        plot_slots(a, nullptr, true);
    }
    PRF_close_file();
    char desc[PLT_LABEL_MAX + 1];
    describe_slot0(desc);
    PLT_label_up_left(desc);
    date_labels();
}

}  // namespace

int PRF_plot(Domain *domain)
{
    if (!domain)
        return -1;
    const bool graphics = gchk_graphics() != 0;
    if (graphics) {
        if (PLT_reset(DOM_aspect(domain)) != 0)
            return 0;
    } else {
        if (PLT_open(DOM_aspect(domain)) != 0)
            return 0;  // nothing is to be drawn
        PLT_set_handlers(PRF_callback, PRF_plot);
    }
    // Every pass may draw the colour bar again (a zoom clears the frame).
    PLT_set_bar(0);
    MAP_setup(domain);
    DATA_plot_init();
    register_plot(domain);
    MAP_fill_cont(0);
    DATA_plot_start();

    const Point_attribs a = prepare_points();
    if (PRF_get_plot_type() == PRF_PLOT_SECTION)
        plot_section(*domain, a);
    else
        plot_level_map(a);

    PRF_plot_data(0);
    DATA_plot_end();
    PLT_dump(0);
    if (!graphics && PLT_close() != 0)
        return -1;
    return 0;
}

int PRF_plot_data(int)
{
    prepare_points();
    if (PLT_bar()) {
        gsel_norm_tran(TRAN_VIEW);
        CONT_draw_bar(1, "");
        gsel_norm_tran(TRAN_PLOT);
    }
    return 0;
}

void PRF_callback(int, const char *event, float x, float y)
{
    PLT_plot_zoom(event, x, y);
    PLT_plot_resize(event, x, y);
}
