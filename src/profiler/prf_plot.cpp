// The profiler display's plot: the time-height section of one station over a series of files
// (one column per file, heights above the ground up the diagram) or the map of every station of
// one file at one level.  Each plotted value comes from PRF_get_data and is drawn by the point
// plotter.  PRF_plot is also the zoom and resize function of the open plot: called again, it
// resets the frame and draws everything anew from the files.
//
// The first pass tells what it could not read, once: the files of the series that are missing
// (with the naming convention that made their names), files that are not profiler files, and
// the files that lack the station.  When it finds nothing to draw it ends the program with the
// status that says why (no file, no station, no value), instead of leaving an empty plot.
#include "prf_disp.h"
#include "cont.h"
#include "data_plot.h"
#include "vykplot.h"
#include "vykprf.h"
#include "vykresrc.h"
#include "vykvar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

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

/// Missing files of a series listed one by one up to this many, else the first and the last.
constexpr size_t LISTED_FILES = 4;

struct State {
    float scale = 1;           // size factor of plotted values (plot_scale)
    PRF_report report = {};    // the report being plotted
    RAW_data raw_data = {};    // the point reused for every plotted value
    DATA_info data = {};       // the registration with the data-plotting driver
    long values = 0;           // values of this pass that exist (drawn unless cut off)
};
State st;

/// What the files of a section gave, for the messages at its end.
struct Series_result {
    int files = 0;                      // files of the series
    int read = 0;                       // files read as profiler files
    std::vector<std::string> missing;   // files of the series that do not exist
    std::vector<std::string> without;   // files read that lack the station
    std::string newest;                 // the last file read
};

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
    d.date = prf_state().file_date;
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

/// Whether values are to be drawn: the data are switched on and a variable is plotted (a menu
/// answer of 0 sets none up: an empty frame is what was asked for).
bool data_asked()
{
    if (FLAG_getplot(PLOT_DATA) <= 0)
        return false;
    for (int k = 0; k < VAR_get_num(); k++)
        if (VAR_is_type_PLOT(k))
            return true;
    return false;
}

/// Whether a datum holds something to draw: its text, a value, or both values of a wind.
bool has_value(const RAW_data &raw)
{
    if (raw.data[0] != '\0')
        return true;
    if (VYK_is_miss(raw.value[0]))
        return false;
    return !is_wind(raw.type) || !VYK_is_miss(raw.value[1]);
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
        if (has_value(raw))
            st.values++;
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
/// a date label is labelled with the date its name gives.
void date_labels()
{
    PrfState &ps = prf_state();
    PRF_info &info = ps.info;
    if (info.datim[0] == '\0') {
        info.date = ps.file_date;
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
    const Date &date = prf_state().file_date;
    if (VYK_is_miss(date.hour))
        return;  // a file whose date is not known
    gsel_norm_tran(TRAN_VIEW);
    label_text(line);
    float x = 0, y = 0;
    MAP_tran(nfile, 0, &x, &y);
    const Gpt at = {xW_trans(x, TRAN_PLOT, TRAN_VIEW), view.y_min - LABEL_DROP};
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
    const float dlev = prf_state().dlev;
    if (!(dlev > 0))
        return;
    for (float lev = 0; lev < SECTION_TOP; lev += dlev) {
        MAP_tran(nfile, lev, &st.raw_data.x, &st.raw_data.y);
        const int height = static_cast<int>(lev);
        plot_slots(a, &height, false);
    }
}

bool same_time(const Date &a, const Date &b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           (a.min == b.min || VYK_is_miss(a.min) || VYK_is_miss(b.min));
}

/// The file of the series at the date just set: the file the user named takes the place of
/// the name the convention makes for its own date (its name may follow no convention).
std::string series_file(const char *name)
{
    const PrfState &ps = prf_state();
    if (!ps.file.empty() && same_time(ps.file_date, ps.named_date))
        return ps.file;
    return name;
}

/// Reads the station's report of one file of the series into st.report: true when it is there.
/// What kept a file from giving it is noted in the result; a file that cannot be read for
/// another reason than being missing, and the file the user named, are named at once when
/// report is set.
bool read_column(const std::string &file, const char *id, Series_result &res, bool report)
{
    res.files++;
    if (PRF_read_station(file.c_str(), id, &st.report)) {
        res.read++;
        res.newest = file;
        return true;
    }
    const bool named = file == prf_state().file;
    if (!named && !FILE_exist(file.c_str())) {
        res.missing.push_back(file);
        return false;
    }
    const std::string problem = prf_file_problem(file.c_str());
    if (problem.empty()) {
        res.read++;
        res.newest = file;
        res.without.push_back(file);
    } else if (report) {
        MESS_print(M_WARN, "PRF_plot: %s\n", problem.c_str());
    }
    return false;
}

/// Files named in a message: all of them when they are few, else the first and the last.
std::string file_list(const std::vector<std::string> &files)
{
    std::string text;
    if (files.size() <= LISTED_FILES) {
        for (const std::string &f : files)
            text += (text.empty() ? "" : ", ") + f;
        return text;
    }
    return files.front() + " ... " + files.back();
}

/// The naming convention in force, for messages: its template.
std::string convention_text()
{
    char conv[FILE_NAME_CONV_LEN];
    FILE_get_name_conv(conv);
    // "<period> <template> <header template>": the template is the second word.
    std::string text = conv;
    const size_t from = text.find(' ');
    if (from == std::string::npos)
        return text;
    const size_t to = text.find(' ', from + 1);
    return text.substr(from + 1, to == std::string::npos ? std::string::npos : to - from - 1);
}

/// "the file read" for one file, else "<some>the N files read".
std::string files_read(int n, const char *some)
{
    return n == 1 ? std::string("the file read")
                  : some + std::string("the ") + std::to_string(n) + " files read";
}

/// The messages at the end of a section's first pass, and its end when there is nothing to
/// draw: no file read (status 10), the station in none of the files read (31), no value (45).
void section_end(const Series_result &res, const char *id)
{
    if (!res.missing.empty()) {
        MESS_print(M_WARN, "PRF_plot: %zu of the %d files of the series not found: %s\n",
                   res.missing.size(), res.files, file_list(res.missing).c_str());
        MESS_print(M_WARN, "PRF_plot: the names follow the naming convention %s (%s); "
                           "in_file (-if) selects another\n", prf_state().convention.c_str(),
                   convention_text().c_str());
    }
    const int found = res.read - static_cast<int>(res.without.size());
    if (found > 0 && !res.without.empty())
        MESS_print(M_WARN, "%s not found in %zu of the %d files read: %s\n", id,
                   res.without.size(), res.read, file_list(res.without).c_str());
    if (res.read == 0) {
        MESS_print(M_ERROR, "PRF_plot: no file of the series could be read\n");
        PLT_exit(VYK_EXIT_NO_FILE);
    }
    if (found == 0) {
        MESS_print(M_ERROR, "%s not found in %s; %s has the stations:\n%s", id,
                   files_read(res.read, "any of ").c_str(), res.newest.c_str(),
                   prf_station_lines(res.newest.c_str()).c_str());
        PLT_exit(VYK_EXIT_NO_STATION);
    }
    if (st.values == 0 && data_asked()) {
        char desc[PLT_LABEL_MAX + 1];
        describe_slot0(desc);
        MESS_print(M_ERROR, "PRF_plot: no values of %s for %s in %s\n",
                   desc[0] ? desc : "the variable", id, files_read(found, "").c_str());
        PLT_exit(VYK_EXIT_NO_DATA);
    }
}

/// The time-height section of the station: one column per file of the series, in order; a
/// file that cannot be read or lacks the station keeps its column, empty and unlabelled.  The
/// first pass (report set) tells what it could not read.
void plot_section(const Domain &domain, const Point_attribs &a, bool report)
{
    const char *id = prf_station();
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

    PrfState &ps = prf_state();
    Series_result res;
    if (VYK_is_miss(ps.named_date.year)) {
        // A file whose date is not known (not from its name, not from its header) is the
        // section's only file, in the last column.
        const float last = std::max(0.0f, domain.dx - 2);
        if (read_column(ps.file, id, res, report))
            plot_column(last, a);
    } else {
        FILE_first(&ps.named_date);
        char name[FILE_NAME_MAX + 1];
        for (float nfile = 0; FILE_get_next(name); nfile += 1) {
            FILE_get_date(&ps.file_date);
            // The header is that of this file, or none when it cannot be read.
            ps.info = PRF_info{};
            const std::string file = series_file(name);
            MESS_print(M_MESS, "Searching file for %s in: %s\n", id, file.c_str());
            if (!read_column(file, id, res, report))
                continue;
            plot_column(nfile, a);
            hour_label(nfile, line, view, domain);
        }
    }
    date_labels();
    if (report)
        section_end(res, id);
}

/// Every station of the file in use at its map position, each plotted slot at its own level.  A
/// file that cannot be opened ends the program (status 10) with the frame closed, and so does
/// a file without stations (31) or without a value at the level (45) on the first pass.
void plot_level_map(const Point_attribs &a, bool report)
{
    PrfState &ps = prf_state();
    char built[FILE_NAME_MAX + 1];
    FILE_set_date(&ps.file_date, built);
    // The file the user named is read as it is named.
    const std::string file = ps.file.empty() ? built : ps.file;
    if (!PRF_open_file(file.c_str())) {
        MESS_print(M_ERROR, "PRF_plot: Unable to open profiler file: %s\n", file.c_str());
        if (const std::string problem = prf_file_problem(file.c_str()); !problem.empty())
            MESS_print(M_ERROR, "PRF_plot: %s\n", problem.c_str());
        PLT_exit(VYK_EXIT_NO_FILE);
    }
    RAW_data_init(&st.raw_data);
    gsel_norm_tran(TRAN_PLOT);
    int stations = 0;
    while (PRF_read_next(&st.report) == 1) {
        stations++;
        MAP_tran(st.report.lat, st.report.lon, &st.raw_data.x, &st.raw_data.y);
        plot_slots(a, nullptr, true);
    }
    PRF_close_file();
    char desc[PLT_LABEL_MAX + 1];
    describe_slot0(desc);
    PLT_label_up_left(desc);
    date_labels();
    if (!report)
        return;
    if (stations == 0) {
        MESS_print(M_ERROR, "PRF_plot: no station reports in %s\n", file.c_str());
        PLT_exit(VYK_EXIT_NO_STATION);
    }
    if (st.values == 0 && data_asked()) {
        MESS_print(M_ERROR, "PRF_plot: no station of %s has a value of %s\n", file.c_str(),
                   desc[0] ? desc : "the variable");
        PLT_exit(VYK_EXIT_NO_DATA);
    }
}

}  // namespace

int PRF_plot(Domain *domain)
{
    if (!domain)
        return -1;
    const auto draw = [domain](bool graphics) {
        // Every pass may draw the colour bar again (a zoom clears the frame).
        PLT_set_bar(0);
        MAP_setup(domain);
        DATA_plot_init();
        register_plot(domain);
        MAP_fill_cont(0);
        DATA_plot_start();

        const Point_attribs a = prepare_points();
        st.values = 0;
        if (prf_state().plt_type == PRF_PLOT_SECTION)
            plot_section(*domain, a, !graphics);
        else
            plot_level_map(a, !graphics);

        PRF_plot_data(0);
        DATA_map_overlay();  // the plot labels follow in the plot pass
    };
    return PLT_run(DOM_aspect(domain),
                   {.name = "PRF_plot", .callback = PRF_callback, .replot = PRF_plot, .draw = draw,
                    .over_labels = nullptr});
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
