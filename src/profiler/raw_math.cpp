// Point-data arithmetic: a constant applied to every value of a file, files combined station by
// station through a station table (sum, max, min, copy, merge, add, sub, mul, div ...), one column
// extracted, and one column of several files in series; and the small command language that
// runs them.
//
// Stations are keyed by their whole identifier.  File words are user text (a command line); the
// identifiers and values read from the files only ever go into the output's lines.
#include "dadodu.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int TABLE_BUCKETS = 800;
constexpr int STAT_ID_LEN = RAW_ID_LEN;  // the whole identifier a file can hold
constexpr int SERIES_LABEL_MAX = 10;
constexpr M_type M_CMD = M_DEBUG_C;      // the command's words (0x40000000)
constexpr M_type M_TRACE = M_OUT3;       // what each station gets

/// One station of a station table.
struct stat_data {
    char id[STAT_ID_LEN];
    float lat, lon;
    float value;
    int flag;  // 0 loaded from the first file, else the pass that last touched it + 1
};

struct State {
    float miss_val = VYK_MISS;
    bool out_miss = false;
    bool noattr = false;
    int numid = 0;
    char **ids = nullptr;
    RAW_info info{};
    int pass = 0;
};

State st;

bool miss_set() { return st.miss_val != VYK_MISS; }

void read_identifiers()
{
    free_parsed_array(st.numid, st.ids);
    st.numid = 0;
    st.ids = nullptr;
    RES_getvals("identifier", &st.numid, &st.ids);
}

bool station_wanted(const char *id)
{
    if (st.numid == 0) return true;
    for (int i = 0; i < st.numid; i++)
        if (st.ids[i] && std::strcmp(st.ids[i], id) == 0) return true;
    return false;
}

// The datum's value after the missing-value substitution.
float value_of(const RAW_report &r)
{
    if (r.value[0] == VYK_MISS && miss_set()) return st.miss_val;
    return r.value[0];
}

// The resolved name of a file word; the designator of its column points into it.
typedef char Word_name[FILE_NAME_MAX + 1];

// Resolves a file word into name and opens it (mode RAW_READ or RAW_WRITE): the slot, -1 on
// failure.
int open_word(const char *word, int mode, Word_name &name, const char **designator = nullptr)
{
    if (!word) return -1;
    if (FILE_is_exit_word(word)) {
        MESS_print(M_WARN, "RAW_math_command: %.40s is no point-data file (a file of that name is ./%.40s)\n",
                   word, word);
        return -1;
    }
    FILE_save_name_conv();
    FILE_set_name(word);
    const char *current = RES_get("current");
    if (current && current[0]) FILE_set_current(current, name);
    else FILE_set_file(word, name);
    FILE_restore_name_conv();
    const char *des = nullptr, *fmt = nullptr;
    const int slot = RAW_file_open(name, &des, &fmt, mode);
    if (designator) *designator = des;
    return slot;
}

// An input file and an output file opened together; the input is closed again when the
// output cannot be opened, so a caller sees both or neither.
struct File_pair {
    int in = -1, out = -1;
    const char *des = nullptr;
    Word_name in_name, out_name;
    bool open(const char *ifile, const char *ofile)
    {
        in = open_word(ifile, RAW_READ, in_name, &des);
        if (in < 0) return false;
        out = open_word(ofile, RAW_WRITE, out_name);
        if (out >= 0) return true;
        RAW_close(in);
        in = -1;
        return false;
    }
};

// Reads every datum of a slot with its designator, calling func for each; stops when func
// returns false.
template <typename Func> void each_datum(int slot, const char *designator, Func func)
{
    const bool each = designator == RAW_field(RAW_FIELD_EACH);
    RAW_report r{};
    for (int line = 0;;) {
        const int got = RAW_read(slot, &r, designator, &line);
        if (got < 0) break;
        if (each) {
            if (got == 0) {
                line++;
                continue;
            }
            if (r.type == VYK_MISS) continue;  // a line without values
        } else {
            line++;
        }
        if (!func(r)) break;
    }
}

// Calls func(r, v) for every datum of a wanted station that has a value, v after the
// missing-value substitution; stops when func returns false.
template <typename Func> void each_value(int slot, const char *designator, Func func)
{
    each_datum(slot, designator, [&](const RAW_report &r) {
        if (!station_wanted(r.id)) return true;
        const float v = value_of(r);
        if (v == VYK_MISS) return true;
        return func(r, v);
    });
}

void set_header_texts(const RAW_info &from)
{
    if (st.info.info[0] == '\0') strfcpy(st.info.info, from.info);
    if (st.info.datim[0] == '\0') {
        strfcpy(st.info.datim, from.datim);
        st.info.date = from.date;
    }
}

void write_value(int out, RAW_report &r, float v)
{
    r.type = VAR_T_VALUE;
    r.value[0] = v;
    r.value[1] = VYK_MISS;
    RAW_write(out, &r, RAW_LINE, nullptr);
}

stat_data *find(TAB_table *tbl, const char *id) { return static_cast<stat_data *>(TAB_search(tbl, 1, id)); }

// The table operation; false for an operator that only keeps the file's value.
float combine(const char *oper, float t, float v)
{
    if (stricmp(oper, "sum") == 0 || stricmp(oper, "add") == 0) return t + v;
    if (stricmp(oper, "sub") == 0) return t - v;
    if (stricmp(oper, "mul") == 0 || stricmp(oper, "scale") == 0) return t * v;
    if (stricmp(oper, "div") == 0) return t / v;
    if (stricmp(oper, "max") == 0) return std::max(t, v);
    if (stricmp(oper, "min") == 0) return std::min(t, v);
    return v;
}

// A constant c on value v; missing (-9999) where "ge" and "le" cut.
float apply_constant(const char *oper, float v, float c)
{
    struct Op {
        const char *name;
        float (*f)(float, float);
    };
    static const Op ops[] = {
        {"sum", [](float a, float b) { return a + b; }},
        {"add", [](float a, float b) { return a + b; }},
        {"psub", [](float a, float b) { return b - a; }},
        {"sub", [](float a, float b) { return a - b; }},
        {"mul", [](float a, float b) { return a * b; }},
        {"scale", [](float a, float b) { return a * b; }},
        {"div", [](float a, float b) { return a / b; }},
        {"pdiv", [](float a, float b) { return b / a; }},
        {"mod", [](float a, float b) { return std::fmod(a, b); }},
        {"pmod", [](float a, float b) { return std::fmod(b, a); }},
        {"ge", [](float a, float b) { return a > b ? static_cast<float>(VYK_MISS) : a; }},
        {"le", [](float a, float b) { return a < b ? static_cast<float>(VYK_MISS) : a; }},
    };
    for (const Op &op : ops)
        if (stricmp(oper, op.name) == 0) return op.f(v, c);
    return v;
}

bool read_constant(const char *text, float &c)
{
    char *end;
    const double v = std::strtod(text, &end);
    if (end == text || !std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;
    c = static_cast<float>(v);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The command language
// ---------------------------------------------------------------------------------------------

constexpr const char *table_ops[] = {"sum", "max", "min", "copy", "merge"};
constexpr const char *pair_ops[] = {"add", "sub", "mul", "div", "mod", "ge", "le"};

template <size_t N> bool one_of(const char *word, const char *const (&list)[N])
{
    for (const char *w : list)
        if (stricmp(word, w) == 0) return true;
    return false;
}

int find_equals(int num, char **cmd, int from)
{
    for (int i = from; i < num; i++)
        if (std::strcmp(cmd[i], "=") == 0) return i;
    return num;
}

// The station table of a file, cleared when it goes.
struct File_table {
    TAB_table tbl;
    bool made;
    explicit File_table(const char *file)
    {
        TAB_init(&tbl);
        made = RAW_make_table(&tbl, file) == 1;
    }
    ~File_table() { TAB_clear(&tbl); }
    File_table(const File_table &) = delete;
    File_table &operator=(const File_table &) = delete;
};

int table_command(int num, char **cmd)
{
    File_table t(cmd[1]);
    if (!t.made) return 0;
    const int eq = find_equals(num, cmd, 2);
    for (int i = 2; i < eq; i++) RAW_math_table(&t.tbl, cmd[0], cmd[i]);
    RAW_set_info(cmd, num, eq + 2);
    int status = 1;
    if (eq + 1 < num && RAW_save_table(&t.tbl, cmd[eq + 1], 0) != 1) status = 0;
    return status;
}

void empty_header_texts()
{
    st.info.info[0] = '\0';
    st.info.datim[0] = '\0';
    DATE_init(&st.info.date);
}

int constant_command(int num, char **cmd)
{
    const bool first = cmd[0][0] == '#';
    const char *file = first ? cmd[2] : cmd[0];
    const char *c = first ? cmd[0] + 1 : cmd[2] + 1;
    std::string op = cmd[1];
    if (first && (stricmp(cmd[1], "sub") == 0 || stricmp(cmd[1], "div") == 0 || stricmp(cmd[1], "mod") == 0))
        op = "p" + op;
    empty_header_texts();
    RAW_set_info(cmd, num, 5);
    return RAW_math(op.c_str(), file, c, cmd[4]);
}

int pair_command(int num, char **cmd)
{
    File_table t(cmd[0]);
    if (!t.made) return 0;
    int status = RAW_math_table(&t.tbl, cmd[1], cmd[2]) == 1 ? 1 : 0;
    RAW_set_info(cmd, num, 5);
    if (RAW_save_table(&t.tbl, cmd[4], 1) != 1) status = 0;
    return status;
}

int invalid()
{
    MESS_print(M_WARN, "RAW_math_command: Invalid operation\n");
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------------------

int RAW_parameter()
{
    int count = 0;
    char **list = nullptr;
    RES_getvals("parameter", &count, &list);
    for (int i = 0; i < count; i++) {
        const char *w = list[i];
        if (!w) continue;
        float v;
        if (strnicmp(w, "miss", 4) == 0) {
            if (std::strlen(w) > 5 && read_constant(w + 5, v)) st.miss_val = v;
            else MESS_print(M_WARN, "RAW_parameter: %s: the missing value needs a number\n", w);
        } else if (stricmp(w, "outmiss") == 0) {
            st.out_miss = true;
        } else if (stricmp(w, "noattr") == 0) {
            st.noattr = true;
        }
    }
    free_parsed_array(count, list);
    return 0;
}

int RAW_set_miss_val(float val)
{
    st.miss_val = val;
    return 0;
}

int RAW_set_info(char **cmd, int num, int ind)
{
    if (!cmd) return 0;
    auto usable = [](const char *w) { return w && w[0] && std::strcmp(w, "-") != 0; };
    if (ind >= 0 && ind < num && usable(cmd[ind])) strfcpy(st.info.info, cmd[ind]);
    if (ind + 1 >= 0 && ind + 1 < num && usable(cmd[ind + 1])) {
        strfcpy(st.info.datim, cmd[ind + 1]);
        DATE_init(&st.info.date);
        DATE_decode_label(st.info.datim, &st.info.date);
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Station tables
// ---------------------------------------------------------------------------------------------

int RAW_make_table(TAB_table *tbl, const char *file)
{
    if (!tbl || TAB_create(tbl, TABLE_BUCKETS, static_cast<int>(sizeof(stat_data)), 1) != 0) {
        MESS_print(M_WARN, "RAW_make_table: Unable to create search table\n");
        return 0;
    }
    Word_name name;
    const char *des;
    const int in = open_word(file, RAW_READ, name, &des);
    if (in < 0) return 0;
    RAW_getinfo(in, &st.info);
    each_value(in, des, [&](const RAW_report &r, float v) {
        if (find(tbl, r.id)) return true;
        stat_data s{};
        strfcpy(s.id, r.id);
        s.lat = r.lat;
        s.lon = r.lon;
        s.value = v;
        if (TAB_enter(tbl, &s, s.id) != 0) return false;
        MESS_print(M_TRACE, "Entered: %s %f\n", s.id, static_cast<double>(v));
        return true;
    });
    RAW_close(in);
    return 1;
}

int RAW_math_table(TAB_table *tbl, const char *oper, const char *file)
{
    if (!tbl || !oper) return 0;
    Word_name name;
    const char *des;
    const int in = open_word(file, RAW_READ, name, &des);
    if (in < 0) return 0;
    RAW_info info{};
    RAW_getinfo(in, &info);
    const int p = st.pass;
    each_value(in, des, [&](const RAW_report &r, float v) {
        stat_data *s = find(tbl, r.id);
        if (s && s->flag > p) return true;  // this file has already updated it
        const float t = s ? s->value : (miss_set() ? st.miss_val : static_cast<float>(VYK_MISS));
        if (t != VYK_MISS) v = combine(oper, t, v);
        if (s) {
            s->value = v;
            s->flag = p + 1;
            MESS_print(M_TRACE, "Updated: %s %f\n", r.id, static_cast<double>(v));
            return true;
        }
        if (!miss_set()) return true;
        stat_data add{};
        strfcpy(add.id, r.id);
        add.lat = r.lat;
        add.lon = r.lon;
        add.value = v;
        add.flag = p + 1;
        if (TAB_enter(tbl, &add, add.id) != 0) return false;
        MESS_print(M_TRACE, "Added: %s %f\n", add.id, static_cast<double>(v));
        return true;
    });
    RAW_close(in);
    st.pass++;
    return 1;
}

int RAW_save_table(TAB_table *tbl, const char *file, int flag)
{
    if (!tbl) return 0;
    Word_name name;
    const int out = open_word(file, RAW_WRITE, name);
    if (out < 0) return 0;
    RAW_putinfo(out, &st.info);
    TAB_first(tbl);
    while (const stat_data *s = static_cast<const stat_data *>(TAB_next(tbl))) {
        if (!miss_set() && s->flag < flag) continue;
        if (s->value == VYK_MISS || (!st.out_miss && miss_set() && s->value == st.miss_val)) continue;
        RAW_report r{};
        strfcpy(r.id, s->id);
        r.lat = s->lat;
        r.lon = s->lon;
        write_value(out, r, s->value);
        MESS_print(M_TRACE, "Saved: %s %d %f\n", s->id, s->flag, static_cast<double>(s->value));
    }
    return RAW_close(out) == 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Whole files
// ---------------------------------------------------------------------------------------------

int RAW_math(const char *oper, const char *ifile, const char *valstr, const char *ofile)
{
    if (!oper || !valstr) return 0;
    MESS_print(M_CMD, "ifile: %s\n", ifile ? ifile : "");
    File_pair files;
    if (!files.open(ifile, ofile)) return 0;
    const int in = files.in, out = files.out;
    const char *des = files.des;
    RAW_info info{};
    RAW_getinfo(in, &info);
    set_header_texts(info);
    RAW_putinfo(out, &st.info);
    float c = 0;
    if (!read_constant(valstr, c)) MESS_print(M_WARN, "RAW_math: %s is not a number; 0 is used\n", valstr);
    each_value(in, des, [&](const RAW_report &r, float v) {
        RAW_report w = r;
        const float res = apply_constant(oper, v, c);
        MESS_print(M_TRACE, "Updated: %s %f\n", w.id, static_cast<double>(res));
        write_value(out, w, res);
        return true;
    });
    RAW_close(in);
    return RAW_close(out) == 0 ? 1 : 0;
}

int RAW_extract(const char *ifile, const char *ofile)
{
    File_pair files;
    if (!files.open(ifile, ofile)) return 0;
    const int in = files.in, out = files.out;
    const char *des = files.des;
    RAW_info info{};
    RAW_getinfo(in, &info);
    if (st.noattr) RAW_set_field_fmt(in, des, "");
    const bool named = des && !RAW_field_is_num(des);
    const char *column = RAW_get_field_info(in, des);
    char text[RAW_INFO_LEN * 2 + RAW_FIELD_INFO_LEN];
    if (column) {
        std::snprintf(text, sizeof text, "%s-%s", info.info, column);
        strfcpy(st.info.info, text);
    } else if (named) {
        std::snprintf(text, sizeof text, "%s-%s", info.info, des);
        strfcpy(st.info.info, text);
    }
    set_header_texts(info);
    RAW_putinfo(out, &st.info);
    each_value(in, des, [&](const RAW_report &r, float v) {
        RAW_report w = r;
        MESS_print(M_TRACE, "Saved: %s %f\n", w.id, static_cast<double>(v));
        write_value(out, w, v);
        return true;
    });
    RAW_close(in);
    return RAW_close(out) == 0 ? 1 : 0;
}

int RAW_series(char **cmd, int num)
{
    if (!cmd) return 0;
    int end = num;
    for (int i = 1; i < num; i++)
        if (cmd[i][0] == '=') {
            end = i;
            break;
        }
    const char *outname = end + 1 < num ? cmd[end + 1] : "-";
    Word_name out_name;
    const int out = open_word(outname, RAW_WRITE, out_name);
    if (out < 0) return 0;
    for (int i = 1; i < end; i++) {
        MESS_print(M_TRACE, "Opening file: %s\n", cmd[i]);
        Word_name in_name;
        const char *des;
        const int in = open_word(cmd[i], RAW_READ, in_name, &des);
        if (in < 0) {
            RAW_abandon(out);  // a series without this file is not the one asked for
            return 0;
        }
        RAW_info info{};
        RAW_getinfo(in, &info);
        if (i == 1) {
            if (const char *column = RAW_get_field_info(in, des)) strfcpy(st.info.info, column);
            RAW_set_info(cmd, num, end + 2);
            set_header_texts(info);
            RAW_putinfo(out, &st.info);
        }
        char label[SERIES_LABEL_MAX + 1];
        const char *colon = std::strchr(cmd[i], ':');
        if (colon) std::snprintf(label, sizeof label, "%.10s", colon + 1);
        else std::snprintf(label, sizeof label, "%d", i);
        each_value(in, des, [&](const RAW_report &r, float v) {
            RAW_report w = r;
            strfcpy(w.id, label);
            MESS_print(M_TRACE, "Saved: %s %f\n", w.id, static_cast<double>(v));
            write_value(out, w, v);
            return true;
        });
        RAW_close(in);
    }
    return RAW_close(out) == 0 ? 1 : 0;
}

int RAW_math_command(int num, char **cmd)
{
    if (!cmd || num < 1) return invalid();
    for (int i = 0; i < num; i++)
        if (!cmd[i]) return invalid();
    RAW_parameter();
    read_identifiers();
    for (int i = 0; i < num; i++) MESS_print(M_CMD, "Cmd: %d %s\n", i, cmd[i]);
    if (one_of(cmd[0], table_ops)) return num >= 2 ? table_command(num, cmd) : invalid();
    if (stricmp(cmd[0], "ext") == 0) {
        if (num < 4) return invalid();
        return RAW_extract(cmd[1], cmd[3]);
    }
    if (stricmp(cmd[0], "series") == 0) return RAW_series(cmd, num);
    if (num < 5 || !one_of(cmd[1], pair_ops)) return invalid();
    if (cmd[0][0] == '#' || cmd[2][0] == '#') return constant_command(num, cmd);
    return pair_command(num, cmd);
}
