// The resource list and the catalogue of resource kinds.
//
// Every setting of a program is a named text resource.  The list keeps them in order of creation
// behind a fixed head record; records are never removed, and a value is released only when it is
// replaced.  The catalogue holds the declaration row of every kind a program may accept: its
// name, environment variable, option abbreviation or positional slot, conversion and help.
#include "vykbase.h"
#include "vykmess.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"
#include "vykresrc.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    resource *first = nullptr;  // the list, in order of creation
    resource *last = nullptr;
    // The remembered command line.
    int cl_argc = 0;
    char **cl_argv = nullptr;
};
State st;

// One catalogue row with its help.
struct Row {
    res_type kind;
    const char *def;
    const char *env;
    const char *cmd;   // option abbreviation; NULL for a positional kind
    int slot;          // positional slot; 0 for a keyed kind
    DEF_convert cvt;
    const char *arg;   // help argument
    const char *text;  // one-line help text; NULL where the help has several lines
};

// In the order in which the catalogue is searched: where two rows share an abbreviation the
// first one is met first.
constexpr Row rows[] = {
    {RES_help, "help", "vykhelp", "h", 0, CV_help, "-h", "Print this help"},
    {RES_batch, "batch", "vykbatch", "ba", 0, CV_batch, "-ba", "Run program in batch mode"},
    {RES_message, "message", "vykmess", "me", 0, CV_mess, "-me level", "Message level to be displayed:"},
    {RES_ingestor, "ingestor", "vykingestor", "di", 0, CV_ingestor, "-di name", "Ingestor type: vyk,whole,split,ldm,none"},
    {RES_name_conv, "name_conv", "vyknameconv", "nc", 0, CV_name, "-nc type", "Naming convention file name"},
    {RES_in_files, "in_file", "vykinfile", "if", 0, CV_string, "-if type[,...]", "Input data file type"},
    {RES_in_file, "in_file", "vykinfile", "if", 0, CV_string, "-if type", "Input data file type"},
    {RES_out_file, "out_file", "vykoutfile", "of", 0, CV_string, "-of type", "Output file type"},
    {RES_input, "input", "vykin", "in", 0, CV_string, "-in type", "Type of input"},
    {RES_inputg, "input", "vykin", "inp", 0, CV_string, "-inp type", "Type of input"},
    {RES_output, "output", "vykout", "ou", 0, CV_string, "-ou type", "Type of output"},
    {RES_file_path, "file_path", "vykfile", "fp", 0, CV_path, "-fp path", "File path"},
    {RES_data_path, "data_path", "vykdata", "dp", 0, CV_path, "-dp path", "Raw data path"},
    {RES_con_path, "con_path", "vykcon", "cp", 0, CV_path, "-cp path", "Converted data path"},
    {RES_raw_path, "raw_path", "dadodu", "rp", 0, CV_path, "-rp path", "Raw files path"},
    {RES_grid_path, "grid_path", "vykgrid", "gp", 0, CV_path, "-gp path", "Gridded data path"},
    {RES_watch_path, "watch_path", "vykwatch", "wp", 0, CV_path, "-wp path", "Watch file data path"},
    {RES_image_path, "image_path", "vykimage", "ip", 0, CV_string, "-ip path", "Image file path"},
    {RES_text_path, "text_path", "vyktext", "tp", 0, CV_path, "-tp path", "Text file path"},
    {RES_model_path, "model_path", "vykmpath", "mp", 0, CV_path, "-mp path", "Model file path"},
    {RES_sat_path, "sat_path", "vyksat", "sp", 0, CV_path, "-sp path", "Satellite file path"},
    {RES_map_file, "map_file", "vykmap", "mf", 0, CV_string, "-mf file[,file]", "Map database files"},
    {RES_bull_file, "bull_file", "vykbullfile", "bf", 0, CV_string, "-bf file", "Bulletin file name"},
    {RES_log_file, "log_file", "vyklog", "lf", 0, CV_string, "-lf file", "Log file name"},
    {RES_city_file, "city_file", "vykcity", "cf", 0, CV_string, "-cf file", "City database file name"},
    {RES_file_param, "file_param", "vykfileparam", "pf", 0, CV_file_param, "-pf param", "File parameters: use,calc,over,app"},
    {RES_current, "current", "vykcurrent", "cu", 0, CV_current, "-cu [hour]", "Use current data file"},
    {RES_hour, "hour", "vykhour", "ho", 0, CV_hour, "-ho hour", "Actual hour of the file"},
    {RES_num_hour, "num_hour", "vyknumhour", "nh", 0, CV_string, "-nh hour[,step]", "Number of hours to view"},
    {RES_decode_hour, "decode_hour", "vykdecode", "dh", 0, CV_string, "-dh hour", "Actual hour to decode"},
    {RES_model, "model", "vykmodel", "mo", 0, CV_string, "-mo model", "Specific model to use"},
    {RES_grid_type, "grid_type", "vykgridtype", "gt", 0, CV_int, "-gt number", "Specific grid type (number) to use"},
    {RES_grid_num, "grid_num", "vykgridnum", "gn", 0, CV_string, "-gn number", "Specific grid index in file to use"},
    {RES_identifier, "identifier", "vykident", "id", 0, CV_string, "-id ident", "Specific station identifier"},
    {RES_product, "product", "vykproduct", "ph", 0, CV_string, "-ph header", "Specific product header"},
    {RES_forecast, "forecast", "vykforecast", "fc", 0, CV_string, "-fc type", "Specific forecast product"},
    {RES_state, "state", "vykstate", "st", 0, CV_string, "-st state", "Specific state to parse"},
    {RES_plot_domain, "plot_domain", "vykdomain", "pd", 0, CV_domain, "-pd region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr},
    {RES_grid_domain, "grid_domain", "vykgrddomain", "gd", 0, CV_domain, "-gd region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr},
    {RES_region, "region", "vykregion", "re", 0, CV_region, "-re region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr},
    {RES_time, "time", "vyktime", "ft", 0, CV_string, "-ft time", "Forecast time to be plotted or contoured"},
    {RES_level, "level", "vyklevel", "le", 0, CV_string, "-le level", "Vertical level to be plotted or contoured"},
    {RES_variable, "variable", "vykvar", "va", 0, CV_string, "-va var", "Variable to be plotted or contoured"},
    {RES_stat_prior, "stat_prior", "vykprior", "pr", 0, CV_int, "-pr prior", "Priority of stations used in the plot"},
    {RES_object_param, "object_param", "vykobject", "oa", 0, CV_string, "-oa smooth[,radinf,pass,conv,min]", nullptr},
    {RES_con_interval, "con_interval", "vykconint", "in", 0, CV_float, "-in intrvl", "Contour interval"},
    {RES_plot_type, "plot_type", "vykplot", "pl", 0, CV_plot_type, "-pl type", "Plot type: cf,lcf,ln,dln,ndln,value,none"},
    {RES_draw, "draw", "vykdraw", "dr", 0, CV_draw, "-dr param[,...]", "Draw components: text,data,sum,map,none"},
    {RES_parameter, "parameter", "vykparam", "pa", 0, CV_string, "-pa param[,...]", "Program parameters"},
    {RES_table, "table", "vyktable", "ta", 0, CV_bool, "-ta", "Prints a table"},
    {RES_plot_scale, "plot_scale", "vykscale", "sc", 0, CV_float, "-sc scale", "Text and wind vector scale factor"},
    {RES_con_base, "con_base", "vykconbase", "cb", 0, CV_float, "-cb base", "Color fill contour/vector base value"},
    {RES_plot_format, "plot_format", "vykformat", "fm", 0, CV_string, "-fm format", "Numeric format"},
    {RES_plot_param, "plot_param", "vykpltparam", "pp", 0, CV_string, "-pp param", "Plot parameters"},
    {RES_label, "label", "vyklabel", "la", 0, CV_string, "-la label", "Plot labels"},
    {RES_color_table, "color_table", "vykclrtbl", "ct", 0, CV_string, "-ct file", "Color table file name"},
    {RES_background, "background", "vykback", "bg", 0, CV_string, "-bg clr", "Background color"},
    {RES_color_text, "color_text", "vykclrtext", "cot", 0, CV_string, "-cot clr", "Text color"},
    {RES_color_data, "color_data", "vykclrdata", "cod", 0, CV_string, "-cod clr", "Data plotting color"},
    {RES_color_map, "color_map", "vykclrmap", "com", 0, CV_string, "-com clr", "line map color"},
    {RES_color_grid, "color_grid", "vykclrgrid", "cogr", 0, CV_string, "-cogr clr", "grid color"},
    {RES_color_line, "color_line", "vykclrln", "coln", 0, CV_string, "-coln clr", "Lat-lon line color"},
    {RES_color_cmap, "color_cmap", "vykclrcmap", "cocm", 0, CV_string, "-cocm clr", "Fill map color"},
    {RES_color_cont, "color_cont", "vykclrcont", "coco", 0, CV_string, "-coco clr", "Line contour color"},
    {RES_color_label, "color_label", "vykclrlab", "cola", 0, CV_string, "-cola clr", "Line label color"},
    {RES_color_clabel, "color_clabel", "vykclrclab", "cocl", 0, CV_string, "-cocl clr", "Fill label color"},
    {RES_color_front, "color_front", "vykclrfront", "cofr", 0, CV_string, "-cofr hclr,lclr,cclr,wclr,oclr,tclr", "Front colors"},
    {RES_color_watch, "color_watch", "vykclrwatch", "cowa", 0, CV_string, "-cowa sclr,tclr", "Watch box colors"},
    {RES_color_fill, "color_fill", "vykclrfill", "cof", 0, CV_string, "-cof clr[,...]", "Fill contour colors"},
    {RES_color_wind, "color_wind", "vykclrwind", "cowd", 0, CV_string, "-cowd clr", "Wind barb colors"},
    {RES_color_cloud, "color_cloud", "vykclrcld", "cocd", 0, CV_string, "-cocd clr", "Cloud cover symbol colors"},
    {RES_color_wx, "color_wx", "vykclrwx", "cowx", 0, CV_string, "-cowx clr", "Weather symbol colors"},
    {RES_color_pop, "color_pop", "vykclrpop", "copp", 0, CV_string, "-copp clr", "Probablilty of precipitation color"},
    {RES_color_sound, "color_sound", "vykclrsnd", "cosd", 0, CV_string, "-cosd tclr,tdclr", "Sounding colors"},
    {RES_color_therm, "color_therm", "vykclrtherm", "coth", 0, CV_string, "-coth pclr,tclr,daclr,maclr,mrclr", "Thermodynamic diagram colors"},
    {RES_color_thrmtxt, "color_thrmtxt", "vykclrthtxt", "cott", 0, CV_string, "-cott pclr,tclr,daclr,maclr,mrclr", "Thermodynamic diagram text colors"},
    {RES_color_hodo, "color_hodo", "vykclrhodo", "coh", 0, CV_string, "-coh dclr,sclr,hclr", "Hodograph colors"},
    {RES_color_hodtxt, "color_hodtxt", "vykclrhdtxt", "coht", 0, CV_string, "-coht dclr,sclr,hclr", "Hodograph text colors"},
    {RES_font_list, "font_list", "vykfontlist", "fl", 0, CV_string, "-fl list", "List of fonts to use"},
    {RES_window_num, "window_num", "vykwindownum", "wn", 0, CV_int, "-de dev[,name]", "VOVAdev window number"},
    {RES_device, "device", "vykdevice", "de", 0, CV_device, "-de dev[,name]", "Output device: d,p,q,w,m"},
    {RES_title, "title", "vyktitle", "ti", 0, CV_string, "-ti title", "Window title"},
    {RES_geometry, "geometry", "vykgeometry", "ge", 0, CV_string, "-ge wxh+x+y", "Window geometry"},
    {RES_icon, "icon", "vykicon", "ic", 0, CV_bool, "-ic", "Open window iconified"},
    {RES_command, "command", "vykcommand", nullptr, 10, CV_strings, "command", "Commands to be run"},
    {RES_commands, "command", "vykcommand", "cd", 0, CV_string, "-cd cmd[;cmd]", "Commands to be run"},
    {RES_filename, "filename", "vykfilename", nullptr, 1, CV_strcpy, "file", "Input file name"},
    {RES_filenames, "filename", "vykfilename", nullptr, 10, CV_strings, "file [file...]", "Input file names"},
    {RES_values, "value", "vykvalue", nullptr, 10, CV_strings, "val1 val2 ...", "Input values:"},
};

constexpr int NUM_KINDS = RES_sat_path + 1;

// Row number of every kind, -1 for a kind without a row.
constexpr std::array<short, NUM_KINDS> make_row_index()
{
    std::array<short, NUM_KINDS> index{};
    for (auto &i : index) i = -1;
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; r++)
        index[rows[r].kind] = static_cast<short>(r);
    return index;
}
constexpr std::array<short, NUM_KINDS> row_index = make_row_index();

static_assert(sizeof rows / sizeof rows[0] == 89, "catalogue rows");

const Row *find_row(res_type key)
{
    int k = static_cast<int>(key);
    if (k < 0 || k >= NUM_KINDS || row_index[k] < 0) return nullptr;
    return &rows[row_index[k]];
}

resource *find_res(const char *name)
{
    if (!name) return nullptr;
    for (resource *r = st.first; r; r = r->next)
        if (strcmp(r->name, name) == 0) return r;
    return nullptr;
}

// A malloc'ed copy of text; NULL for NULL text or when storage cannot be had.
char *copy_text(const char *text)
{
    if (!text) return nullptr;
    size_t n = strlen(text) + 1;
    char *copy = static_cast<char *>(malloc(n));
    if (copy) memcpy(copy, text, n);
    return copy;
}

// Links a new record for name at the end of the list; NULL when storage cannot be had.
resource *add_res(const char *name)
{
    resource *r = static_cast<resource *>(malloc(sizeof(resource)));
    if (!r) return nullptr;
    r->name = copy_text(name);
    if (!r->name) {
        free(r);
        return nullptr;
    }
    r->index = VYK_MISS;
    r->data = nullptr;
    r->cvt = CV_string;
    r->next = nullptr;
    if (st.last) st.last->next = r;
    else st.first = r;
    st.last = r;
    return r;
}

// The lines that follow the argument of a domain kind's help.
void print_domain_help(const char *arg, const char *description, bool region)
{
    MESS_print(M_PRINT, " %-10s\n", arg);
    MESS_print(M_PRINT, "             %s\n", description);
    MESS_print(M_PRINT, "               region=predefined region:\n");
    MESS_print(M_PRINT, "                  us,ne,at,se,mw,sp,nw,sw,etc\n");
    MESS_print(M_PRINT,
               "               proj=projection, clat=central latitude, clon=central longitude,\n");
    MESS_print(M_PRINT, "               nx,ny=number of gridpoints and dx,dy=grid spacing\n");
    if (region) MESS_print(M_PRINT, "               us,ne,at,se,mw,sp,nw,sw,var\n");
}

}  // namespace

int RES_new(int index, const char *name, const char *data, DEF_convert cvt)
{
    if (!name) return -1;
    resource *r = find_res(name);
    if (!r) {
        r = add_res(name);
        if (!r) return -1;
    }
    // Copy before releasing: data may be the record's own value.
    char *copy = copy_text(data);
    free(r->data);
    r->data = copy;
    r->cvt = cvt;
    r->index = index;
    return 0;
}

int RES_append(int index, const char *name, const char *data, DEF_convert cvt)
{
    if (!name) return 0;
    resource *r = find_res(name);
    if (!r) {
        RES_new(index, name, data, cvt);
        return 0;
    }
    if (!data) return 0;
    char *value;
    if (!r->data) {
        value = copy_text(data);
    } else {
        size_t a = strlen(r->data), b = strlen(data);
        value = static_cast<char *>(malloc(a + b + 2));
        if (value) {
            memcpy(value, r->data, a);
            value[a] = '\n';
            memcpy(value + a + 1, data, b + 1);
        }
    }
    free(r->data);
    r->data = value;
    return 0;
}

int RES_put(const char *name, const char *value) { return RES_new(VYK_MISS, name, value, CV_string); }

const char *RES_get(const char *name)
{
    const resource *r = find_res(name);
    if (!r) return nullptr;
    return r->data ? r->data : "";
}

int RES_getvals(const char *name, int *paramc, char ***paramv)
{
    if (paramc) *paramc = 0;
    if (paramv) *paramv = nullptr;
    const resource *r = find_res(name);
    if (!r || !paramc || !paramv || !r->data) return 0;
    if (parse_string(r->data, r->cvt == CV_strings ? '\n' : ',', paramc, paramv) != 0) {
        *paramc = 0;
        *paramv = nullptr;
    }
    return *paramc;
}

const resource *RES_first() { return st.first; }

int RES_list()
{
    for (const resource *r = st.first; r; r = r->next) {
        if (r->data) MESS_print(M_PRINT_D, "%s: %s\n", r->name, r->data);
        else MESS_print(M_PRINT_D, "%s:\n", r->name);
    }
    return 0;
}

int RES_setCL(int argc, char **argv)
{
    st.cl_argc = argc;
    st.cl_argv = argv;
    return 1;
}

const char *RES_get_prog()
{
    if (st.cl_argc < 1 || !st.cl_argv) return nullptr;
    return st.cl_argv[0];
}

char *RES_get_progname(char *prog, size_t size)
{
    const char *first = RES_get_prog();
    const char *base = "VYK";
    if (first) {
        const char *slash = strrchr(first, '/');
        base = slash ? slash + 1 : first;
    }
    if (!prog) {
        char *copy = copy_text(base);
        if (copy) return copy;
        static char fallback[] = "VYK";
        return fallback;
    }
    if (size == 0) size = FILE_NAME_MAX + 1;
    strfcpy(prog, size, base);
    return prog;
}

int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd,
                 DEF_convert cvt, void *out, int *num)
{
    *obj = RES_defobj{def, env, cmd, 0, cvt, out, num};
    return 1;
}

int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, int slot, DEF_convert cvt,
                 void *out, int *num)
{
    *obj = RES_defobj{def, env, nullptr, slot, cvt, out, num};
    return 1;
}

int RES_enter(RES_defobj *obj, res_type key)
{
    const Row *row = find_row(key);
    if (!row) {
        // A kind without a row takes no part in decoding.
        RES_fill_obj(obj, "", nullptr, nullptr, CV_none, nullptr, nullptr);
        fprintf(stdout, "%d\n", static_cast<int>(key));
        return 1;
    }
    if (row->cmd) RES_fill_obj(obj, row->def, row->env, row->cmd, row->cvt, nullptr, nullptr);
    else RES_fill_obj(obj, row->def, row->env, row->slot, row->cvt, nullptr, nullptr);
    return 1;
}

int RES_help_item(res_type res)
{
    const Row *row = find_row(res);
    if (!row) {
        fprintf(stdout, "%d\n", static_cast<int>(res));
        return 1;
    }
    switch (res) {
    case RES_message:
        MESS_print(M_PRINT, " %-10s  %s\n", row->arg, row->text);
        MESS_print(M_PRINT,
                   "               none,print,error,warn,mess,out1,*out2,out3,out4,debug\n");
        break;
    case RES_plot_domain: print_domain_help(row->arg, "Output plot domain", false); break;
    case RES_grid_domain: print_domain_help(row->arg, "Grid domain", false); break;
    case RES_region:
        print_domain_help(row->arg, "Region to be used for plotting and gridding", true);
        break;
    case RES_object_param:
        MESS_print(M_PRINT, " %-10s\n", row->arg);
        MESS_print(M_PRINT, "             Objective analysis parameters\n");
        break;
    default: MESS_print(M_PRINT, " %-10s  %s\n", row->arg, row->text); break;
    }
    return 1;
}

int RES_help_print(const char *name, const res_type *res_key, const res_type *res_pos)
{
    if (!name) name = "";
    MESS_print(M_PRINT, "%s syntax (version:%s)\n", name, VYK_version());
    MESS_print(M_PRINT, "   %s [options...]\n", name);
    MESS_print(M_PRINT, "Keyed options...\n");
    MESS_print(M_PRINT, " %-10s  Resource/defaults file name\n", "-df file");
    MESS_print(M_PRINT, " %-10s  Program name\n", "-na name");
    for (const res_type *k = res_key; k && *k != RES_null; k++) RES_help_item(*k);
    MESS_print(M_PRINT, "Positional options...\n");
    for (const res_type *k = res_pos; k && *k != RES_null; k++) RES_help_item(*k);
    return 1;
}
