// Whole point-data files on the current map: plotted station by station through the point-datum
// plotter, or analysed onto grid slot 0 by the objective analysis so that they can be contoured
// (and saved as a grid file when `out_file` asks).  Also the stand-alone point-data plot, which
// grids and contours the files of `filename`, and the buffers of station positions and values
// that feed the analysis.
//
// A file is data: its formats reach the plotter only after the one-number-conversion check
// (the reader checks the column and token formats; the format written after the file name is
// checked here), and a file named by data (a map list item) is opened as a plain file only.
#include "dadodu.h"
#include "raw_grid.h"
#include "cont.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr M_type M_PROGRESS = M_MESS;    // 3840: progress notes
constexpr int OA_START = 800;            // stations the buffers hold at first
constexpr int OA_GROW = 400;             // and grow by
constexpr int TABLE_PRIOR = 5;           // station priority of a table loaded on demand
constexpr float GRID_FILTER = 1.0f;      // analysis filter of the gridding
constexpr float GRID_RADIUS = 3.0f;      // radius of influence in grid lengths
constexpr float ID_HEIGHT = 0.015f;      // identifiers under a time-height diagram
constexpr float ID_DROP = 0.01f;         // their distance below the viewport
constexpr float TEXT_HEIGHT = 0.018f;    // the data text, fractions of the window height
constexpr const char *STATION_FILE = "sao.cty";
constexpr const char *CONV_DEFAULT = "raw_grd";

/// States of a station table, one per operation.
enum { TABLE_NONE = 0, TABLE_REQUIRED = 1, TABLE_ON_DEMAND = 2 };

/// Words of `out_file` that choose a grid output: prefix, kind, convention.
struct OutWord {
    const char *prefix;
    int kind;
    const char *conv;
};
constexpr OutWord OUT_WORDS[] = {
    {"vykb", 3, "raw_grd_vyk"},
    {"vyk", 2, "raw_grd_vyk"},
    {"cdf", 11, "raw_grd_cdf"},
};
constexpr int OUT_KIND_OTHER = 2;  // any other word: the text form under that convention

struct State {
    RAW_info header{};
    int table_plot = TABLE_NONE;
    int table_grid = TABLE_NONE;
    int out_kind = 0;
    char out_name[FILE_NAME_MAX + 1] = "";
    GRD_info grid_header{};
    // The analysis buffers.
    std::vector<float> x, y;
    std::vector<float> z[RAW_OA_FIELDS];
    bool has[RAW_OA_FIELDS] = {};
    int limit = 0;
    int num_field = 0;
    int num_stats = 0;
};

State st;

bool is_each(const char *designator)
{
    return RAW_field_is_num(designator) && designator == RAW_field(RAW_FIELD_EACH);
}

/// The identifier list of the `identifier` resource; released by the object.
struct IdList {
    int n = 0;
    char **ids = nullptr;
    IdList() { n = RES_getvals("identifier", &n, &ids); }
    ~IdList() { free_parsed_array(n, ids); }
    IdList(const IdList &) = delete;
    IdList &operator=(const IdList &) = delete;
    bool passes(const char *id) const { return CTY_ids_cmp(n, ids, id) != 0; }
};

/// The upper-left label of a file read with designator.
std::string file_label(int slot, const char *designator, const RAW_info &info)
{
    const std::string desc = info.info;
    const char *col = is_each(designator) ? nullptr : RAW_get_field_info(slot, designator);
    if (col) return desc.empty() ? std::string(col) : desc + "-" + col;
    if (RAW_field_is_num(designator)) return desc;
    return desc.empty() ? std::string(designator) : desc + "-" + designator;
}

void set_labels(const std::string &label, const RAW_info &info)
{
    PLT_label_up_left(label.c_str());
    PLT_label_up_right(info.datim);
}

/// Loads the station table (plot records with a location key) over the current domain: true
/// when there is one.
bool load_table(int prior)
{
    Domain dom;
    MAP_get_domain(&dom);
    return CTY_store(STATION_FILE, CTY_STORE_XY_LOC, &dom, prior) > 0;
}

/// The table step of placing a station: true when it stays on the plot, with (x, y) set when
/// the table placed it.
bool table_step(const RAW_report &r, int &table, float &x, float &y, bool &placed)
{
    if (table == TABLE_NONE && r.lat != VYK_MISS) return true;
    if (table == TABLE_NONE) {
        load_table(TABLE_PRIOR);
        table = TABLE_ON_DEMAND;
    }
    CTY_locate found;
    if (CTY_search(r.id, &found) == 1) {
        x = found.x;
        y = found.y;
        placed = true;
        return true;
    }
    return table != TABLE_REQUIRED;
}

/// The diagram step: on the time-height and vertical diagrams the values that stand for the
/// station's location.
void diagram_step(RAW_report &r, int line)
{
    const int proj = MAP_get_proj();
    if (proj == DOM_CAT) {
        r.lat = static_cast<float>(line);
        r.lon = r.value[0];
    } else if (proj == DOM_XLOGP) {
        const float pres = r.lat;
        r.lat = r.value[0];
        r.lon = pres;
    }
}

/// Places a station of line number line: true with its plot position in (x, y).  The table
/// step comes after the diagram step when plotting and before it when gridding.
bool place(RAW_report r, int line, bool tables, bool table_first, int &table, float &x,
           float &y)
{
    bool placed = false;
    if (!table_first) diagram_step(r, line);
    if (tables && !table_step(r, table, x, y, placed)) return false;
    if (table_first) diagram_step(r, line);
    if (placed) return true;
    if (r.lat == VYK_MISS || r.lon == VYK_MISS) return false;
    return MAP_tran(r.lat, r.lon, &x, &y) == 1;
}

/// Writes a station's identifier under a time-height diagram, at the columns of the x grid.
void label_under(const char *id, float x, int line)
{
    float xgrid = 0, ygrid = 0;
    MAP_get_latlon(&xgrid, &ygrid);
    Glim view, win, view1, win1;
    GPH_get_view(2, &view);
    GPH_get_win(2, &win);
    GPH_get_view(1, &view1);
    GPH_get_win(1, &win1);
    if (win.x_max == win.x_min || view1.x_max == view1.x_min) return;
    const float ndc = view.x_min + (x - win.x_min) / (win.x_max - win.x_min) * (view.x_max - view.x_min);
    if (ndc < view.x_min || ndc > view.x_max) return;
    bool column;
    if (xgrid != 0) {
        const float step = std::fabs(xgrid);
        column = std::fabs(std::remainder(static_cast<float>(line), step)) < 1e-4f;
    } else {
        Domain dom;
        MAP_get_domain(&dom);
        const float every = std::ceil(dom.dx / 10.0f);
        column = every <= 0 || std::fmod(static_cast<float>(line), every) < 0.5f;
    }
    if (!column) return;
    Gattribs attr;
    ATTRIB_init(&attr);
    ATTRIB_get("color_line", "magenta", &attr);
    GPH_trans(1);
    GPH_text_attr(nullptr, 1);
    GPH_text_attr(&attr, ID_HEIGHT);
    GPH_text_align(2, 3);
    const auto to1 = [&](float v, float v0, float v1, float w0, float w1) {
        return w0 + (v - v0) / (v1 - v0) * (w1 - w0);
    };
    const float ywhole = view.y_min - ID_DROP;
    GPH_printf(to1(ndc, view1.x_min, view1.x_max, win1.x_min, win1.x_max),
               to1(ywhole, view1.y_min, view1.y_max, win1.y_min, win1.y_max), "%s", id);
    GPH_trans(2);
    Gattribs data;
    ATTRIB_init(&data);
    ATTRIB_get("color_data", "green", &data);
    GPH_text_attr(&data, TEXT_HEIGHT * MAP_get_vert());
}

/// The format written after a file name, as the plotter may take it ("" when none).
std::string checked_format(const char *fmt)
{
    if (!fmt || !fmt[0]) return "";
    char out[RAW_DATUM_FORMAT_LEN];
    RAW_check_format(fmt, out, sizeof out);
    return out;
}

/// Opens a file argument (a copy is split): the slot, -1.
int open_file(const char *file_arg, bool plain, const char **designator, std::string &fmt,
              std::vector<char> &buf)
{
    if (!file_arg) return -1;
    buf.assign(file_arg, file_arg + std::strlen(file_arg) + 1);
    const char *f = nullptr;
    const int slot = plain ? RAW_file_open_plain(buf.data(), designator, &f)
                           : RAW_file_open(buf.data(), designator, &f, RAW_READ);
    fmt = checked_format(f);
    return slot;
}

/// Fills and draws the datum of one value.
void plot_value(const RAW_report &r, int type, const std::string &fmt, float x, float y)
{
    RAW_data datum;
    datum.type = type;
    RAW_data_init(&datum);
    datum.x = x;
    datum.y = y;
    strfcpy(datum.data, r.data);
    fill_string(datum.data, '_', ' ');
    std::string format = r.format;
    if (!fmt.empty()) format += ":" + fmt;
    strfcpy(datum.format, format.c_str());
    datum.value[0] = r.value[0];
    datum.value[1] = r.value[1];
    RAW_plot_data(&datum);
}

/// Prepares the point plotter for a file.  The base type.
int plot_setup(const std::string &fmt)
{
    Gattribs attr;
    ATTRIB_init(&attr);
    ATTRIB_get("color_data", "green", &attr);
    gset_fill_print_solid(1);
    float scale = 1;
    if (!RES_getval("plot_scale", &scale, CV_float) || !(scale > 0)) scale = 1;
    RAW_plot_init(&attr, scale);
    if (st.table_plot == TABLE_NONE && (RES_get("city_file") || RES_get("stat_prior")) &&
        load_table(DOM_get_prior()))
        st.table_plot = TABLE_REQUIRED;
    RAW_base_format(RES_get("plot_format"));
    return RAW_base_format(fmt.empty() ? nullptr : fmt.c_str());
}

/// Reads a file's stations with designator and hands each placed one to use(report, line, x, y);
/// tables: the table steps apply.  The number of values read.
template <typename Use>
int each_station(int slot, const char *designator, bool filter, bool tables, bool table_first,
                 int &table, Use use)
{
    const bool each = is_each(designator);
    IdList ids;
    RAW_report r;
    std::memset(&r, 0, sizeof r);
    int line = 0, count = 0, result;
    while ((result = RAW_read(slot, &r, designator, &line)) >= 0) {
        if (each && result == 0) {
            line++;
            continue;
        }
        count++;
        const int skip = RAW_get_skip();
        const bool keep = !(skip > 1 && line % skip != 0) && (!filter || ids.passes(r.id));
        float x = 0, y = 0;
        if (keep && place(r, line, tables, table_first, table, x, y)) use(r, line, x, y);
        if (!each) line++;
    }
    return count;
}

/// The kind and convention an `out_file` word chooses (kind 0: none).
int out_word(const char *w)
{
    if (stricmp(w, "none") == 0 || strnicmp(w, "gif", 3) == 0) return 0;
    for (const OutWord &o : OUT_WORDS) {
        const size_t n = std::strlen(o.prefix);
        if (strnicmp(w, o.prefix, static_cast<int>(n)) != 0) continue;
        FILE_set_name(std::strlen(w) > n + 1 ? w + n + 1 : o.conv);
        return o.kind;
    }
    FILE_set_name(w);
    return OUT_KIND_OTHER;
}

/// The grid output name of the current convention for the current file date.
void make_out_name()
{
    Date date;
    FILE_get_file_date(&date);
    if (date.year == VYK_MISS) date = st.header.date;
    st.out_name[0] = '\0';
    FILE_set_date(&date, st.out_name);
}

/// Reads a file's header (an empty one for a file without).
void read_header(int slot)
{
    st.header = RAW_info{};
    DATE_init(&st.header.date);
    st.header.num_stat = VYK_MISS;
    RAW_getinfo(slot, &st.header);
}

/// The grid domain: the `region` resource when it decodes, else the current plot domain.
Domain grid_domain()
{
    Domain dom;
    if (!RES_get("region") || DOM_get_region(&dom, 2) <= 0) MAP_get_domain(&dom);
    return dom;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Plotting and gridding files
// ---------------------------------------------------------------------------------------------

int RAW_plot_file(const char *file_arg, int label)
{
    const char *designator = nullptr;
    std::string fmt;
    std::vector<char> buf;
    const int slot = open_file(file_arg, label == 0, &designator, fmt, buf);
    if (slot < 0) return 0;
    RAW_forget_last();
    const int type = plot_setup(fmt);
    read_header(slot);
    if (label == 1) set_labels(file_label(slot, designator, st.header), st.header);
    const bool diagram = MAP_get_proj() == DOM_CAT;
    const int count = each_station(slot, designator, label == 1, label == 1, false, st.table_plot,
                                   [&](const RAW_report &r, int line, float x, float y) {
                                       if (diagram) label_under(r.id, x, line);
                                       plot_value(r, type, fmt, x, y);
                                   });
    RAW_close(slot);
    gset_fill_print_solid(0);
    if (count == 0) MESS_print(M_WARN, "RAW_plot_file: No data in file: %s\n", buf.data());
    return 0;
}

int RAW_grd_out_file()
{
    FILE_set_name(CONV_DEFAULT);
    int kind = 0, n = 0;
    char **words = nullptr;
    n = RES_getvals("out_file", &n, &words);
    for (int k = 0; k < n; k++) {
        const int chosen = out_word(words[k]);
        if (chosen != 0) kind = chosen;
        FLAG_set(FLAG_GRID_FILE, kind);
    }
    free_parsed_array(n, words);
    return kind;
}

int RAW_grid_file(const char *file_arg, int label)
{
    const char *designator = nullptr;
    std::string fmt;
    std::vector<char> buf;
    const int slot = open_file(file_arg, false, &designator, fmt, buf);
    if (slot < 0) return 0;
    read_header(slot);
    VAR_set_type(0, VAR_T_CONT);
    const std::string label_text = file_label(slot, designator, st.header);
    if (label == 1) set_labels(label_text, st.header);
    strfcpy(st.header.info, label_text.c_str());
    Domain dom = grid_domain();

    GRD_free_grids();
    GRD_report *grids = GRD_get_grids();
    RAW_init_oa_data();
    GRD_set_grid_domain(0, &dom);
    FILE_save_name_conv();
    st.out_kind = RAW_grd_out_file();
    bool reused = false;
    if (st.out_kind != 0) {
        make_out_name();
        int type = 0;
        reused = GRD_read_check(st.out_name, grids, &st.grid_header, &type, &grids[0].domain) == 1;
    }
    if (!reused) {
        GRD_set_grid_info(0, st.header.info);
        GRD_set_grid_date(0, &st.header.date, st.header.datim);
        RAW_add_oa_field(0);
        GRD_set_grid_domain(0, &dom);
        GRD_alloc(&grids[0]);
    }
    OBJ_set_filter(GRID_FILTER);
    OBJ_set_rad_inf(GRID_RADIUS);
    MESS_print(M_PROGRESS, "Reading in data from raw file...\n");

    int station = 0;
    each_station(slot, designator, true, true, true, st.table_grid,
                 [&](const RAW_report &r, int, float x, float y) {
                     if (!MAP_in_grid_domain(x, y)) return;
                     if (RAW_add_oa_loc(station, x, y) != 0) return;
                     if (RAW_chk_oa_data(0)) RAW_add_oa_data(0, station, r.value[0]);
                     station++;
                 });
    RAW_close(slot);
    if (!reused) {
        if (station == 0) MESS_print(M_WARN, "RAW_grid_file: No stations to grid in file: %s\n", buf.data());
        RAW_run_oa(grids);
        GRD_set_info(&st.grid_header, &grids[0].date, &grids[0].domain);
    }
    make_out_name();
    GRD_save_file(st.out_name, &grids[0], &st.grid_header, st.out_kind);
    FILE_restore_name_conv();
    RAW_free_oa_data();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The stand-alone plot
// ---------------------------------------------------------------------------------------------

void RAW_callback(int, const char *event, float x, float y)
{
    if (!event) return;
    PLT_print_values(event, x, y);
    PLT_plot_zoom(event, x, y);
    PLT_plot_resize(event, x, y);
    CONT_flash_value(event, x, y);
    if (std::strcmp(event, "s-Alt") == 0)
        GRD_save_file(st.out_name, GRD_get_grids(), &st.grid_header, st.out_kind);
}

int RAW_plot(Domain *domain)
{
    if (!domain) return 0;
    const auto draw = [domain](bool) {
        MAP_setup(domain);
        int n = 0;
        char **files = nullptr;
        n = RES_getvals("filename", &n, &files);
        char current[FILE_NAME_MAX + 1] = "";
        if (n == 0) FILE_get_filename(current);
        const auto fills = [](int t) { return t == VAR_T_FCONT || t == VAR_T_BCONT || t == 52; };
        bool fill = fills(static_cast<int>(FLAG_get(FLAG_PLOT_TYPE)));
        MAP_fill_cont(0);
        MAP_draw(fill ? MAP_PASS_MINUS : MAP_PASS_MINUS | MAP_PASS_PLAIN);
        bool bar = false;
        const int count = n > 0 ? n : (current[0] ? 1 : 0);
        for (int k = 0; k < count; k++) {
            const char *name = n > 0 ? files[k] : current;
            if (stricmp(name, "map") == 0) {
                MAP_draw(MAP_PASS_PLAIN);
            } else {
                RAW_grid_file(name, 1);
                GRD_report *grid = GRD_get_grids();
                CONT_plot_setup(0, 0, grid, domain, RAW_callback);
                if (fills(CONT_get_type())) fill = true;
                CONT_draw(grid);
                if (!bar && CONT_get_bar() > 0) {
                    GPH_trans(1);
                    CONT_draw_bar(1, "");
                    GPH_trans(2);
                    bar = true;
                }
            }
            if (fill) {
                MAP_fill_cont(1);
                MAP_draw(MAP_PASS_PLUS | MAP_PASS_PLAIN);
            } else {
                MAP_draw(MAP_PASS_PLUS);
            }
        }
        free_parsed_array(n, files);
    };
    return PLT_run(DOM_aspect(domain), {.name = "RAW_plot", .callback = RAW_callback,
                                        .replot = RAW_plot, .draw = draw, .over_labels = nullptr});
}

// ---------------------------------------------------------------------------------------------
// The analysis buffers
// ---------------------------------------------------------------------------------------------

int RAW_init_oa_data()
{
    OBJ_initialize();
    RAW_free_oa_data();
    st.limit = OA_START;
    st.x.assign(static_cast<size_t>(st.limit), 0.0f);
    st.y.assign(static_cast<size_t>(st.limit), 0.0f);
    st.num_field = st.num_stats = 0;
    return 0;
}

int RAW_add_oa_field(int field)
{
    if (field < 0 || field >= RAW_OA_FIELDS) return -1;
    st.z[field].assign(static_cast<size_t>(st.limit), VYK_MISS);
    st.has[field] = true;
    if (field + 1 > st.num_field) st.num_field = field + 1;
    return 0;
}

int RAW_add_oa_loc(int station, float x, float y)
{
    if (station < 0 || station > st.limit) return -1;
    if (station == st.limit) {
        const int grown = st.limit + OA_GROW;
        try {
            st.x.resize(static_cast<size_t>(grown));
            st.y.resize(static_cast<size_t>(grown));
            for (int f = 0; f < RAW_OA_FIELDS; f++)
                if (st.has[f]) st.z[f].resize(static_cast<size_t>(grown), VYK_MISS);
        } catch (const std::bad_alloc &) {
            MESS_print(M_WARN, "RAW_add_oa_loc: No memory for %d stations\n", grown);
            return -1;
        }
        st.limit = grown;
        MESS_print(M_PROGRESS, "Increasing arrays to %d\n", st.limit);
    }
    st.x[static_cast<size_t>(station)] = x;
    st.y[static_cast<size_t>(station)] = y;
    return 0;
}

int RAW_chk_oa_data(int field)
{
    return field >= 0 && field < RAW_OA_FIELDS && st.has[field] ? 1 : 0;
}

int RAW_add_oa_data(int field, int station, float value)
{
    if (station < 0 || station >= st.limit) return -1;
    if (RAW_chk_oa_data(field)) st.z[field][static_cast<size_t>(station)] = value;
    if (station + 1 > st.num_stats) st.num_stats = station + 1;
    return 0;
}

int RAW_free_oa_data()
{
    st.x.clear();
    st.x.shrink_to_fit();
    st.y.clear();
    st.y.shrink_to_fit();
    for (int f = 0; f < RAW_OA_FIELDS; f++) {
        st.z[f].clear();
        st.z[f].shrink_to_fit();
        st.has[f] = false;
    }
    st.limit = 0;
    st.num_field = st.num_stats = 0;
    return 0;
}

int RAW_run_oa(GRD_report *grids)
{
    float *z[RAW_OA_FIELDS] = {};
    for (int f = 0; f < RAW_OA_FIELDS; f++) z[f] = st.has[f] ? st.z[f].data() : nullptr;
    return OBJ_analyze(st.x.data(), st.y.data(), z, st.num_stats, st.num_field, grids);
}
