// The profiler display program: its resources and help, the profiler file and its date, the
// plot mode (a time-height section of one station, or a map of every station at one level)
// with its domain, the station and the plot variable; then the plot.  Also the program's one
// open profiler file (the file wrappers), the station listing and the variable prompt.
//
// What the user asks for is checked before anything is drawn: an unknown option is named, and
// a naming convention or variable file that cannot be found, a level or a variable that the
// program does not know end it with a message and a status of their own (vykproc.h).  The
// program state lives here; the plot (prf_plot.cpp) shares it through prf_disp.h.
#include "prf_disp.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "vykvar.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace {

/// Longest answer to the station prompt.
constexpr int STATION_ANSWER_LEN = 80;
/// Station identifiers per line of the listing.
constexpr int STATIONS_PER_LINE = 13;

/// The time-height section: a diagram of file columns against height above the ground.
constexpr int SECTION_PROJ = 24;
constexpr int SECTION_NX = 25, SECTION_NY = 21;
/// Default series: 12 hours back from the file's date.
constexpr int SECTION_HOURS = -12;
/// Hourly files when the series step is not usable.
constexpr int64_t SECTION_STEP = 3600;
/// The normal and the "lower" form of the section.
struct Section_form {
    float y_origin;   // m
    float y_extent;   // m
    float dlev;       // height step of the plotted values, m
    float y_lines;    // step of the height lines (negative: on multiples of it), m
};
constexpr Section_form normal_form = {-1000, 18000, 500, -2000};
constexpr Section_form lower_form = {-400, 8000, 250, -1000};
/// View margins of the section: left, right, bottom, top.
constexpr float SECTION_VIEW[4] = {0.065f, 0.05f, 0.05f, 0.035f};

/// The batch-mode plot variable: wind barbs.
constexpr const char *BATCH_VARIABLE = "wbrb";
/// The naming convention of profiler files.
constexpr const char *PROFILER_CONVENTION = "prf_dat";

const res_type res_key[] = {
    RES_help, RES_batch, RES_message, RES_file_path, RES_data_path, RES_con_path,
    RES_grid_path, RES_raw_path, RES_image_path, RES_watch_path, RES_text_path, RES_model_path,
    RES_sat_path, RES_city_file, RES_map_file, RES_name_conv, RES_in_files, RES_out_file,
    RES_file_param, RES_current, RES_hour, RES_num_hour, RES_identifier, RES_plot_domain,
    RES_grid_domain, RES_region, RES_stat_prior, RES_variable, RES_level, RES_plot_type,
    RES_plot_scale, RES_plot_format, RES_plot_param, RES_draw, RES_label, RES_con_interval,
    RES_con_base, RES_font_list, RES_color_table, RES_color_text, RES_color_data, RES_color_map,
    RES_color_grid, RES_color_line, RES_color_wind, RES_color_cloud, RES_color_wx,
    RES_color_cmap, RES_color_cont, RES_color_fill, RES_color_label, RES_color_clabel,
    RES_device, RES_title, RES_icon, RES_background, RES_geometry, RES_null};
static_assert(sizeof res_key / sizeof res_key[0] == 58, "57 keyed kinds and the end");
const res_type res_pos[] = {RES_filenames, RES_null};

PrfState state;

/// The words of a ','-separated text (none for NULL).
std::vector<std::string> words_of(const char *text)
{
    int count = 0;
    char **list = nullptr;
    if (text != nullptr)
        parse_string(text, ',', &count, &list);
    std::vector<std::string> words(list, list + count);
    free_parsed_array(count, list);
    return words;
}

/// The words of a ','-separated resource (none when it is not set).
std::vector<std::string> resource_words(const char *name)
{
    int count = 0;
    char **list = nullptr;
    RES_getvals(name, &count, &list);
    std::vector<std::string> words(list, list + count);
    free_parsed_array(count, list);
    return words;
}

/// Station identifiers from a ','-separated text; empty entries are passed over.
void set_identifiers(const std::vector<std::string> &words)
{
    state.ids.clear();
    for (const std::string &w : words)
        if (!w.empty())
            state.ids.push_back(w);
    state.numid = static_cast<int>(state.ids.size());
}

[[noreturn]] void print_help()
{
    char prog[FILE_NAME_MAX + 1];
    RES_get_progname(prog, sizeof prog);
    MESS_print(M_PRINT, "%s: This program plots profiler data\n", prog);
    RES_help_print(prog, res_key, res_pos);
    VYK_exit(VYK_EXIT_OK);
}

/// Names the options of the command line that the program does not know (they are kept as
/// free-form resources, which no part of the program reads).
void warn_unknown_options()
{
    for (int k = 0; const char *option = RES_unknown_option(k); k++)
        MESS_print(M_WARN, "PRF_main: unknown option %s (see -h for the options)\n", option);
}

/// The file path searched for the lookup files, for messages.
const char *file_path_text()
{
    const char *path = RES_get("file_path");
    return path != nullptr ? path : "(not set)";
}

/// "prf_dat", then each in_file value in turn: the last one holds.  Without a convention file
/// that knows "prf_dat" no file name of the series can be made: the end (status 10).
void select_conventions()
{
    const int found = FILE_set_name(PROFILER_CONVENTION);
    state.convention = PROFILER_CONVENTION;
    const std::vector<std::string> types = resource_words("in_file");
    for (const std::string &type : types) {
        if (FILE_set_name(type.c_str()) == 0 && type[0] != '@')
            MESS_print(M_WARN, "PRF_main: in_file %s is not a naming convention of the "
                               "convention file; taken as a file name\n", type.c_str());
        state.convention = type;
    }
    if (found == 0 && types.empty()) {
        MESS_print(M_ERROR, "PRF_main: the naming convention %s of profiler files is not "
                            "known: no name_conv in the file path %s (set it with -fp)\n",
                   PROFILER_CONVENTION, file_path_text());
        VYK_exit(VYK_EXIT_NO_FILE);
    }
}

/// Whether plot_param asks for the lower form of the section.
bool lower_asked()
{
    for (const std::string &word : resource_words("plot_param"))
        if (stricmp(word.c_str(), "lower") == 0)
            return true;
    return false;
}

/// Opens a profiler file of any kind and reads its header into info: the handle, or -1.
int open_with_header(const char *filename)
{
    int type = 0;
    const int fd = PRF_open(filename, 0, &type);
    if (fd == -1)
        return -1;
    state.info = PRF_info{};
    PRF_getinfo(fd, &state.info);
    return fd;
}

/// The date of a file whose name carries none: that of its header (of its first report for a
/// bulletin file), when it has one.
void date_from_header(const char *filename)
{
    const int fd = open_with_header(filename);
    if (fd == -1)
        return;
    if (!VYK_is_miss(state.info.date.year) && state.info.date.year != 0) {
        state.file_date = state.named_date = state.info.date;
        // The series steps by the period of the naming convention, which the file layer
        // learns from a name it makes.
        char name[FILE_NAME_MAX + 1];
        FILE_set_date(&state.file_date, name);
    }
    PRF_close(fd);
}

/// The single-level map: the level into flags 7 and 8, the map domain from the resources.  A
/// level that does not decode ends the program (status 44).
void level_map(Domain *domain)
{
    const char *text = RES_get("level");
    int ltype = VYK_MISS, level = VYK_MISS;
    VAR_dec_level(text, &ltype, &level);
    if (VYK_is_miss(ltype) || VYK_is_miss(level)) {
        MESS_print(M_ERROR, "PRF_main: invalid level: %s (a height such as 3000m_ag or "
                            "1500m, a pressure such as 700mb, or sfc)\n", text);
        VYK_exit(VYK_EXIT_BAD_REQUEST);
    }
    FLAG_set(FLAG_LEVEL, level);
    FLAG_set(FLAG_LEVEL_TYPE, ltype);
    DOM_get_region(domain, 4);
    state.plt_type = PRF_PLOT_LEVEL;
}

/// The time-height section: one column per file of the series, one before the first and one
/// after the last; heights from below the ground to 17000 m (7600 m in the lower form).
void time_height(Domain *domain, bool lower)
{
    const Section_form &form = lower ? lower_form : normal_form;
    FILE_set_def_hours(SECTION_HOURS);
    // The series runs back (or on) from the file's date.  Without a known file period the
    // files are hourly; a step that is not positive cannot make columns, and hourly columns
    // are taken instead.
    const int64_t span = FILE_num_hour();
    int64_t step = FILE_get_skip();
    if (step == VYK_MISS) {
        step = SECTION_STEP;
    } else if (step <= 0) {
        MESS_print(M_WARN, "prfdisp: series step of %lld s is not usable; hourly columns\n",
                   static_cast<long long>(step));
        step = SECTION_STEP;
    }
    domain->proj = SECTION_PROJ;
    domain->clat = -1;
    domain->dx = static_cast<float>((span < 0 ? -span : span) / step + 2);
    domain->clon = form.y_origin;
    domain->dy = form.y_extent;
    domain->nx = SECTION_NX;
    domain->ny = SECTION_NY;
    state.dlev = form.dlev;
    PLT_set_view_offsets(SECTION_VIEW[0], SECTION_VIEW[1], SECTION_VIEW[2], SECTION_VIEW[3]);
    MAP_latlon(1, form.y_lines, 0, 0);
}

/// Lists the stations of the file and asks for them; ends the program with status 31 in batch
/// mode or when the answer names none.
void ask_station(const char *file)
{
    PRF_list_stations(file);
    if (!FLAG_batch()) {
        char answer[STATION_ANSWER_LEN] = "";
        VYK_prompts("Enter the stations: ", answer, STATION_ANSWER_LEN);
        set_identifiers(words_of(answer));
        if (state.numid > 0)
            return;
    }
    MESS_print(M_ERROR, "No station specified!\n");
    VYK_exit(VYK_EXIT_NO_STATION);
}

/// The names of the plotted variables that the program does not compute, ", "-separated.
std::string unknown_variables()
{
    std::string names;
    for (int k = 0; k < VAR_get_num(); k++)
        if (VAR_is_type_PLOT(k) && !PRF_is_variable(VAR_get_var(k)))
            names += (names.empty() ? "" : ", ") + std::string(VAR_get_var(k)->name);
    return names;
}

/// The plot variable: from the resource, the batch default or the menu.  A variable file that
/// cannot be found ends the program (status 10); a variable that the program does not compute
/// ends it when it was given (status 44) and is asked for again when it came from the menu.
void obtain_variable()
{
    for (;;) {
        const int answer = PRF_prompt_variable();
        if (!state.var_file_opened) {
            MESS_print(M_ERROR, "PRF_main: the variable file was not found in the file path "
                                "%s (set it with -fp)\n", file_path_text());
            VYK_exit(VYK_EXIT_NO_FILE);
        }
        const std::string unknown = answer == 0 ? "" : unknown_variables();
        if (unknown.empty())
            return;
        char known[PRF_VAR_STR_LEN * 2];
        PRF_variable_names(known, sizeof known);
        MESS_print(M_ERROR, "PRF_main: unknown variable: %s (the program plots %s)\n",
                   unknown.c_str(), known);
        if (state.variable_prompt == 0)
            VYK_exit(VYK_EXIT_BAD_REQUEST);
    }
}

}  // namespace

PrfState &prf_state() { return state; }

const char *prf_station() { return state.ids.empty() ? "" : state.ids[0].c_str(); }

std::string prf_file_problem(const char *filename)
{
    const std::string name = filename != nullptr ? filename : "";
    const auto cannot_open = [&](const char *why) { return "cannot open " + name + ": " + why; };
    const auto not_profiler = [&](const char *why) {
        return "not a profiler file: " + name + " (" + why + ")";
    };
    if (!FILE_exist(filename))
        return cannot_open("no such file");
    if (FILE_is_dir(filename))
        return cannot_open("a directory");
    if (!FILE_is_file(filename))
        return cannot_open("not a regular file");
    if (FILE *fp = std::fopen(filename, "rb"))
        std::fclose(fp);
    else
        return cannot_open(std::strerror(errno));
    if (FILE_size(filename) == 0)
        return not_profiler("empty");
    if (PRF_chktype(filename) == -1)
        return not_profiler("neither a bulletin nor a netCDF file");
    return "";
}

std::string prf_station_lines(const char *filename)
{
    // The header of the file stays in info.
    std::string lines;
    if (!PRF_open_file(filename))
        return lines;
    PRF_report report;
    int n = 0;
    char id[PRF_ID_LEN + 2];
    while (PRF_read_next(&report) > 0) {
        std::snprintf(id, sizeof id, "%5s ", report.id);
        lines += id;
        if (++n % STATIONS_PER_LINE == 0)
            lines += '\n';
    }
    if (n == 0 || n % STATIONS_PER_LINE != 0)
        lines += '\n';
    PRF_close_file();
    return lines;
}

const res_type *PRF_res_keys() { return res_key; }

const res_type *PRF_res_positions() { return res_pos; }

int PRF_main(int argc, char **argv)
{
    RES_init(argc, argv, res_key, res_pos);
    if (FLAG_help())
        print_help();
    MESS_print_prog("PROFILER DISPLAY PROGRAM");
    warn_unknown_options();
    select_conventions();
    const bool lower = lower_asked();

    char file[FILE_NAME_MAX + 1] = "";
    FILE_get_file("Enter the profiler filename: ", file);
    state.file = file;
    FILE_get_date(&state.file_date);
    state.named_date = state.file_date;
    if (VYK_is_miss(state.file_date.year))
        date_from_header(file);
    set_identifiers(resource_words("identifier"));

    Domain domain = {};
    DOM_init(&domain);
    if (RES_get("level") != nullptr)
        level_map(&domain);
    else
        time_height(&domain, lower);
    if (state.numid == 0 && state.plt_type == PRF_PLOT_SECTION)
        ask_station(file);

    obtain_variable();
    // The plot's output (the device file or an image dump) that could not be written is a
    // failure of the run; a plot without data ends the program in the plot.
    if (PRF_plot(&domain) != 0)
        return VYK_EXIT_GRAPHICS;
    return VYK_EXIT_OK;
}

int PRF_prompt_variable()
{
    if (!state.var_file_opened)
        state.var_file_opened = VAR_open_file(nullptr) != 0;
    VAR_read_menu();
    if (state.variable_prompt == 0)
        return 0;

    int answer;
    if (const char *variable = RES_get("variable")) {
        if (strfcpy(state.var_str, variable) < std::strlen(variable))
            MESS_print(M_WARN, "PRF_prompt_variable: variable cut to %d characters: %s\n",
                       PRF_VAR_STR_LEN - 1, state.var_str);
        state.variable_prompt = 0;
        answer = 1;
    } else if (FLAG_batch()) {
        strfcpy(state.var_str, BATCH_VARIABLE);
        state.variable_prompt = 0;
        answer = 1;
    } else {
        answer = VAR_menu("\n        Variable Menu\n", "Enter the variable: ", state.var_str, 3);
    }
    if (answer == 0)
        return 0;
    if (answer < 0 && answer != VYK_MISS)
        VYK_exit(VYK_EXIT_OK);
    VAR_setup(nullptr, state.var_str);
    return answer;
}

int PRF_set_prompt_variable(int val)
{
    state.variable_prompt = val;
    return 0;
}

int PRF_list_stations(const char *filename)
{
    const std::string lines = prf_station_lines(filename);
    if (lines.empty())
        return 0;  // the file cannot be opened
    MESS_print(M_MESS, "\nDate: %s\n", state.info.datim);
    MESS_print(M_MESS, "\nAvailable stations:\n");
    MESS_print(M_MESS, "%s", lines.c_str());
    return 0;
}

int PRF_open_file(const char *filename)
{
    state.prf_fd = open_with_header(filename);
    state.stat_num = 0;
    return state.prf_fd == -1 ? 0 : 1;
}

int PRF_read_next(PRF_report *report)
{
    const int r = PRF_read(state.prf_fd, report, 0, &state.stat_num);
    state.stat_num++;
    return r;
}

int PRF_rewind_file()
{
    state.stat_num = 0;  // the wrappers read by their own counter: it starts again too
    return PRF_rewind(state.prf_fd);
}

void PRF_close_file()
{
    PRF_close(state.prf_fd);
    state.prf_fd = -1;
}

int PRF_read_station(const char *filename, const char *id, PRF_report *report)
{
    const int fd = open_with_header(filename);
    if (fd == -1)
        return 0;
    int counter = 0;
    while (PRF_read(fd, report, 0, &counter) > 0) {
        if (stricmp(report->id, id) == 0) {
            PRF_print_report(M_OUT4, report);
            PRF_close(fd);
            return 1;
        }
        counter++;
    }
    PRF_close(fd);
    return 0;
}
