// Point-data files from a user's file argument (a name, "-" and a column, ":" and a
// format), and the output of plotted point data: while a program plots its point variables,
// every station and value drawn goes into a point-data file, and a short text per station keeps
// the values plotted there.
#include "dadodu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr size_t SEPARATORS_FROM = 2;  // the first two characters of a name never separate
constexpr size_t STATION_TEXT_FULL = 110;

struct State {
    int out = -1;  // the output slot
    RAW_report record{};
};

State st;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The name a file word opens under `raw_path`.
std::string full_name(const char *name)
{
    char full[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("raw_path"), name, full);
    return full;
}

// Declares data column k of the output after variable i.
void declare_column(int i, int k)
{
    const char *col = RAW_field(RAW_FIELD_DATA + k);
    char label[RAW_FIELD_INFO_LEN];
    VAR_make_var_form_datatype(i, label, sizeof label);
    const std::string fmt = std::string(VAR_print_type(VAR_get_type(i))) + ":" + VAR_get_format(i);
    RAW_set_field_name(st.out, col, VAR_get_name(i));
    RAW_set_field_info(st.out, col, label);
    RAW_set_field_fmt(st.out, col, fmt.c_str());
}

// Opens the output file of point variable i for date: true when it is open.
bool open_output(int i, const Date *date, RAW_info &info)
{
    FILE_set_key('v', VAR_get_name(i));
    char name[FILE_NAME_MAX + 1];
    Date d = date ? *date : Date{};
    if (!date) DATE_init(&d);
    FILE_set_date(&d, name);
    std::string full = full_name(name);
    char path[FILE_NAME_MAX + 1];
    strfcpy(path, full.c_str());
    const int answer = FILE_overwrite(path, 1);
    if (answer == FILE_NO_QUESTION || answer == FILE_WRITE) {
        int type = RAW_TYPE_HEADER;
        st.out = RAW_open(path, RAW_WRITE, &type);
        if (st.out < 0) MESS_print(M_WARN, "RAW_date_open: Unable to create raw file: %s\n", path);
        else MESS_print(M_MESS, "Opening raw file: %s\n", path);
    } else {
        MESS_print(M_WARN, "RAW_date_open: Unable to overwrite raw file: %s\n", path);
    }
    VAR_make_var_form_datatype(i, info.info, sizeof info.info);
    DATE_make_label(&d, info.datim, sizeof info.datim);
    info.date = d;
    return st.out >= 0;
}

}  // namespace

namespace {

// Where a file argument's name ends: its first ':' from the third character on, or the first
// '-' before that.  A '-' separates only in the last part of a path (a directory whose name
// holds a '-' stays whole) and never as the first character of a name.
size_t separator(const char *file_arg)
{
    const size_t len = std::strlen(file_arg);
    const char *colon = len > SEPARATORS_FROM ? std::strchr(file_arg + SEPARATORS_FROM, ':') : nullptr;
    const size_t end = colon ? static_cast<size_t>(colon - file_arg) : len;
    size_t from = SEPARATORS_FROM;
    for (size_t i = 0; i < end; i++)
        if (file_arg[i] == '/') from = std::max(SEPARATORS_FROM, i + 2);
    for (size_t i = from; i < end; i++)
        if (file_arg[i] == '-') return i;
    return colon ? end : std::string::npos;
}

// Splits a file argument in place (the name, "-" and a column, ":" and a format) and opens
// the file on `raw_path`; with plain only a regular file is opened (never a command or a
// standard stream: the name came from data).
int open_spec(char *file_arg, const char **designator, const char **format, int mode, bool plain)
{
    const char *des = RAW_field(RAW_FIELD_EACH);
    const char *fmt = nullptr;
    if (!file_arg) return -1;
    const size_t sep = separator(file_arg);
    if (sep != std::string::npos) {
        char *rest = file_arg + sep + 1;
        const bool column = file_arg[sep] == '-';
        file_arg[sep] = '\0';
        if (column) {
            if (char *colon = std::strchr(rest, ':')) {
                *colon = '\0';
                fmt = colon + 1;
            }
            if (is_digit(rest[0])) {
                const long n = std::strtol(rest, nullptr, 10);
                if (n >= 0 && n <= RAW_FIELD_LAST - RAW_FIELD_DATA) des = RAW_field(RAW_FIELD_DATA + static_cast<int>(n));
                else des = RAW_field(VYK_MISS);
            } else {
                des = rest;
            }
        } else {
            fmt = rest;
        }
    }
    if (designator) *designator = des;
    if (format) *format = fmt;
    int type = mode == RAW_READ ? RAW_TYPE_NONE : RAW_TYPE_HEADER;
    char full[FILE_NAME_MAX + 1];
    strfcpy(full, full_name(file_arg).c_str());
    if (plain && (FILE_is_stdio(file_arg) || file_arg[0] == '|' || full[0] == '|' || !FILE_is_file(full))) {
        MESS_print(M_WARN, "RAW_file_open: Not a plain file:%s\n", full);
        return -1;
    }
    const int slot = RAW_open(full, mode, &type);
    if (slot < 0) MESS_print(M_WARN, "RAW_file_open: Unable to open file:%s\n", full);
    return slot;
}

}  // namespace

int RAW_file_open(char *file_arg, const char **designator, const char **format, int mode)
{
    return open_spec(file_arg, designator, format, mode, false);
}

int RAW_file_open_plain(char *file_arg, const char **designator, const char **format)
{
    return open_spec(file_arg, designator, format, RAW_READ, true);
}

int RAW_date_open(const Date *date)
{
    int fields = 0;
    RAW_info info{};
    const int num = VAR_get_num();
    for (int i = 0; i < num; i++) {
        if (VAR_is_type_PLOT(i) && st.out < 0 && !open_output(i, date, info)) continue;
        if (st.out < 0) continue;
        const VAR_data *var = VAR_get_var(i);
        if (var && var->flag <= VAR_KIND_SUBREG) declare_column(i, fields++);
    }
    if (st.out >= 0) RAW_putinfo(st.out, &info);
    return fields;
}

int RAW_save_station(const CTY_locate *station)
{
    if (st.out < 0) return -1;
    if (!station) return 0;
    RAW_report &r = st.record;
    r.lat = r.lon = VYK_MISS;
    // Off the earth both come back missing (the centre of an azimuthal view answers 0 with its
    // position, so the answer is not looked at).
    MAP_untran(station->x, station->y, &r.lat, &r.lon);
    if (VYK_is_miss(r.lat) || VYK_is_miss(r.lon)) r.lat = r.lon = VYK_MISS;
    strfcpy(r.id, station->id);
    RAW_write(st.out, &r, RAW_START, nullptr);
    return 0;
}

int RAW_save_data(const RAW_data *datum)
{
    if (st.out < 0) return -1;
    if (!datum) return 0;
    RAW_report &r = st.record;
    r.type = datum->type;
    r.value[0] = datum->value[0];
    r.value[1] = datum->value[1];
    strfcpy(r.data, datum->data);
    r.format[0] = '\0';
    RAW_write(st.out, &r, RAW_VALUE, nullptr);
    return 0;
}

int RAW_save_end()
{
    if (st.out < 0) return -1;
    RAW_write(st.out, &st.record, RAW_END, nullptr);
    return 0;
}

int RAW_close_file()
{
    if (st.out < 0) return -1;
    const int closed = RAW_close(st.out);  // a file not written whole is reported and removed
    st.out = -1;
    return closed;
}

int RAW_set_var_string(const VAR_data *variable, const RAW_data *datum, char *text, size_t size)
{
    if (!text || size == 0 || !variable || !datum) return 0;
    const bool element = variable->flag > VAR_KIND_ELEMENT;
    if (text[0] && element) return 0;
    char value[RAW_LINE_LEN] = "";
    RAW_data_to_string(datum, value, sizeof value);
    if (element || std::strlen(text) >= STATION_TEXT_FULL) {
        strfcpy(text, size, value);
        return 0;
    }
    const size_t name_len = std::strlen(variable->name);
    if (name_len > 0 && std::strncmp(text, variable->name, name_len) == 0) text[0] = '\0';
    std::string added = std::string(text) + variable->name + "=" + value + " ";
    strfcpy(text, size, added.c_str());
    return 0;
}
