// var_parse.cpp: the variable language: one variable text parsed into the 60
// plot-variable slots, the context that nested items inherit, and the accessors and predicates
// through which every other component reads the slots.
//
// A variable text is a ','-separated list of items; an item followed by '(' opens a function,
// '{' a group, '<' a vector, '[' the parameters of the item before it; '\' before a delimiter
// takes it literally.  An item is "[time:level:]name[:units[:type[:format...]]]", or one of the
// elements "map", "plot", "frame" and "panel"; a name defined in the program's variable file is a
// macro and stands for its definition.
//
// Limits: 60 slots (a longer text fills them and warns), 10 contexts (the outermost and
// nine nested functions, groups, vectors or macros; deeper brackets are left out with a warning,
// and so a macro that names itself, directly or through others, stops there), and 1000 macro
// expansions per variable text.
#include "var_internal.h"
#include "vykgfunc.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using std::string;
using std::vector;

constexpr int CONTEXT_MAX = 10;
constexpr int MAX_EXPANSIONS = 1000;
constexpr int KEY_LEN = 12;  // "%d" of any int and the end

struct State {
    VAR_data var[VAR_NUM]{};
    int varnum = 0;
    int plevel = 0;  // function depth
    int vlevel = 0;  // group and vector depth
    VarContext base[CONTEXT_MAX];
    int base_ind = -1;
    int def_type = VAR_T_VALUE;
    int cur_type = VYK_MISS;
    char model_str[VAR_COND_LEN] = "";
    char level_str[VAR_COND_LEN] = "";
    char time_str[VAR_COND_LEN] = "";
    char level_key[VAR_NUM][KEY_LEN]{};
    char time_key[VAR_NUM][KEY_LEN]{};
    int expansions = 0;
    bool full_warned = false;

    State()
    {
        for (VAR_data &v : var) VAR_data_init(&v);
    }
};

State state;

// An empty record that out-of-range indices read.
VAR_data *no_slot()
{
    static VAR_data empty{};
    VAR_data_init(&empty);
    return &empty;
}

VAR_data *slot(int ind) { return ind >= 0 && ind < VAR_NUM ? &state.var[ind] : no_slot(); }

int kind_of(int ind) { return slot(ind)->flag % 10; }
int flag_of(int ind) { return slot(ind)->flag; }
int type_of(int ind) { return slot(ind)->type; }
bool in(int v, int lo, int hi) { return v >= lo && v <= hi; }

// ---------------------------------------------------------------------------------------------
// Texts of an item
// ---------------------------------------------------------------------------------------------

string without_escapes(const string &s)
{
    string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\\') out += c;
    return out;
}

/// Splits at every ':' keeping empty fields.
vector<string> split_fields(const string &s)
{
    vector<string> fields;
    size_t start = 0;
    for (;;) {
        const size_t colon = s.find(':', start);
        fields.push_back(s.substr(start, colon == string::npos ? string::npos : colon - start));
        if (colon == string::npos) return fields;
        start = colon + 1;
    }
}

string join_fields(const vector<string> &fields, size_t from)
{
    string out;
    for (size_t i = from; i < fields.size(); i++) {
        if (i > from) out += ':';
        out += fields[i];
    }
    return out;
}

bool slots_full()
{
    if (state.varnum < VAR_NUM) return false;
    if (!state.full_warned)
        MESS_print(M_WARN, "VAR_process: more than %d variables; the rest is left out\n", VAR_NUM);
    state.full_warned = true;
    return true;
}

/// The type field (when it is a plot-type keyword) and the format after it.
void type_and_format(VAR_data &d, const vector<string> &fields, size_t i)
{
    if (i < fields.size()) {
        const int t = VAR_dec_type(fields[i].c_str());
        if (t > 0) {
            d.type = t;
            i++;
        }
    }
    if (i < fields.size()) {
        const string format = var_checked_format(join_fields(fields, i), "VAR_process_var");
        var_copy_field(d.format, format.c_str(), "VAR_process_var", "format");
    }
}

/// The elements "map", "plot", "frame" and "panel" (any case); false for any other word.
bool element(VAR_data &d, const vector<string> &fields)
{
    static const struct {
        const char *word;
        int type;
    } elements[] = {{"map", VAR_T_MAP}, {"plot", VAR_T_PLOT}, {"frame", VAR_T_FRAME},
                    {"panel", VAR_T_PANEL}};
    for (const auto &e : elements) {
        if (stricmp(fields[0].c_str(), e.word) != 0) continue;
        strfcpy(d.name, e.word);
        d.type = e.type;
        d.flag = VAR_KIND_ELEMENT;
        type_and_format(d, fields, 1);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Contexts and nesting
// ---------------------------------------------------------------------------------------------

void push_from(int ind)
{
    const VAR_data &d = *slot(ind);
    VarContext &c = state.base[++state.base_ind];
    c = {d.type, d.time, d.tstat, d.ltype, d.level, d.lstat};
    MESS_print(VAR_TRACE, "VAR_base_push: %d = %d %d %d %d %d\n", state.base_ind, c.type, c.tstat,
               c.time, c.lstat, c.ltype);
}

bool context_room(const char *what, const string &text)
{
    if (state.base_ind + 1 < CONTEXT_MAX) return true;
    MESS_print(M_WARN, "VAR_process: %s nested deeper than %d levels; left out: %s\n", what,
               CONTEXT_MAX - 1, text.c_str());
    return false;
}

void scan(const string &s);

/// Parses the text inside the brackets of the head in slot ind.
void nested(const string &text, int kind, int ind)
{
    const char *names[] = {"function", "group", "vector"};
    const char *what = kind == VAR_KIND_FUNC ? names[0] : kind == VAR_KIND_COMP ? names[1] : names[2];
    if (!context_room(what, text)) return;
    push_from(ind);
    const int plevel = state.plevel, vlevel = state.vlevel;
    if (kind == VAR_KIND_FUNC) state.plevel++;
    else state.vlevel++;
    scan(text);
    state.plevel = plevel;
    state.vlevel = vlevel;
    state.base_ind--;
}

/// A macro name expanded in place: its definition is parsed from slot ind on.  False when name is
/// no macro (or no more expansion is allowed): the caller decodes it as a variable.
bool expand_macro(const string &name, int ind)
{
    char def[VAR_DEF_LEN];
    if (!VAR_lookup(name.c_str(), def, sizeof def) || def[0] == '\0') return false;
    if (state.base_ind + 1 >= CONTEXT_MAX) {
        MESS_print(M_WARN, "VAR_process_var: macro %s nested deeper than %d levels (does it name "
                   "itself?); taken as a variable\n", name.c_str(), CONTEXT_MAX - 1);
        return false;
    }
    if (++state.expansions > MAX_EXPANSIONS) {
        if (state.expansions == MAX_EXPANSIONS + 1)
            MESS_print(M_WARN, "VAR_process_var: more than %d macro expansions; %s taken as a "
                       "variable\n", MAX_EXPANSIONS, name.c_str());
        return false;
    }
    push_from(ind);
    scan(def);
    state.base_ind--;
    return true;
}

/// The same name as the slot holds (both cut to the name field).
bool same_name(const VAR_data &d, const string &name)
{
    char cut[VAR_NAME_LEN];
    strfcpy(cut, name.c_str());
    return std::strcmp(d.name, cut) == 0;
}

void decode_name(VAR_data &d, const string &name, int flag, int ind)
{
    const int plain = 10 * state.plevel + state.vlevel;
    if (!name.empty() && name[0] == '+') {
        d.flag = plain;
        VAR_dec_var(name.c_str() + 1, &d);
        return;
    }
    if (flag == 1 && !same_name(d, name)) {
        strfcpy(d.name, name.c_str());
        const int t = VAR_dec_type(name.c_str());
        if (t > 0) d.type = t;
        if (expand_macro(name, ind)) return;
    }
    d.flag = plain;
    VAR_dec_var(name.c_str(), &d);
}

/// A list item stored from the text before a ',', the end or a '['; returns its slot.
int list_item(const string &text)
{
    if (slots_full()) return -1;
    const int ind = state.varnum;
    VAR_process_var(text.c_str(), 1);
    if (state.varnum < VAR_NUM && state.var[state.varnum].name[0]) state.varnum++;
    return ind;
}

/// The head of a function, group or vector; returns its slot, or -1 when the slots are full.
int head_item(const string &head, int kind)
{
    if (slots_full()) return -1;
    const int ind = state.varnum;
    VAR_process_var(head.c_str(), 0);
    state.var[ind].flag = 10 * state.plevel + kind;
    state.varnum++;
    if (kind == VAR_KIND_FUNC && GRD_is_vect_func(state.var[ind].name) && !slots_full()) {
        VAR_data &second = state.var[state.varnum++];
        second = state.var[ind];
        second.flag = 10 * state.plevel + VAR_KIND_FUNC_VECT;
    }
    return ind;
}

/// The parameters "[units:type:format]" of slot ind (only at function depth 0).
void parameters(const string &raw, int ind)
{
    const string text = without_escapes(raw);
    MESS_print(VAR_TRACE, "Parameter [ %s ]\n", text.c_str());
    if (state.plevel != 0) return;
    if (ind < 0) {
        MESS_print(M_WARN, "VAR_process: parameters without a variable: [%s]\n", text.c_str());
        return;
    }
    VAR_data &d = state.var[ind];
    const vector<string> fields = split_fields(text);
    size_t i = 0;
    if (d.flag != VAR_KIND_ELEMENT) VAR_dec_units(fields[i++].c_str(), &d);
    if (i < fields.size()) {
        const int t = VAR_dec_type(fields[i].c_str());
        if (t > 0) {
            const int f = FLAG_get(FLAG_PLOT_TYPE);
            if (f == VYK_MISS || f == 99) d.type = t;
            i++;
        }
    }
    if (i < fields.size()) {
        const string format = var_checked_format(join_fields(fields, i), "VAR_process");
        var_copy_field(d.format, format.c_str(), "VAR_process", "format");
    }
}

/// The closing bracket that matches the one at open, or npos.
size_t match(const string &s, size_t open, char close)
{
    const char opening = s[open];
    int count = 1;
    for (size_t i = open + 1; i < s.size(); i++) {
        if (s[i - 1] == '\\') continue;
        if (opening != '[' && s[i] == opening) count++;
        else if (s[i] == close && --count == 0) return i;
    }
    return string::npos;
}

void scan(const string &s)
{
    size_t mark = 0;
    int last = -1;  // the slot of the last head or parameterised item of this text
    for (size_t i = 0; i <= s.size(); i++) {
        if (slots_full()) return;
        const char c = i < s.size() ? s[i] : '\0';
        const bool escaped = i > 0 && s[i - 1] == '\\';
        if (c == '\0' || (c == ',' && !escaped)) {
            if (i > mark) list_item(s.substr(mark, i - mark));
            mark = i + 1;
            continue;
        }
        if (escaped || (c != '(' && c != '{' && c != '<' && c != '[')) continue;

        const size_t close = match(s, i, c == '(' ? ')' : c == '{' ? '}' : c == '<' ? '>' : ']');
        const string before = s.substr(mark, i - mark);
        if (c == '[') {
            if (!before.empty()) last = list_item(before);
            if (close == string::npos) {
                MESS_print(VAR_TRACE, "Unmatched []\n");
                return;
            }
            parameters(s.substr(i + 1, close - i - 1), last);
        } else {
            const int kind = c == '(' ? VAR_KIND_FUNC : c == '{' ? VAR_KIND_COMP : VAR_KIND_VECT;
            last = head_item(before, kind);
            if (close == string::npos) {
                MESS_print(VAR_TRACE, c == '(' ? "Unmatched ()\n" : c == '{' ? "Unmatched {}\n"
                                                                            : "Unmatched <>\n");
                return;
            }
            const string inner = s.substr(i + 1, close - i - 1);
            const char *name = last >= 0 ? state.var[last].name : "";
            MESS_print(VAR_TRACE, c == '(' ? "Function %s ( %s )\n" : c == '{' ? "Group %s { %s }\n"
                                                                              : "Vector %s < %s >\n",
                       name, inner.c_str());
            if (last >= 0) nested(inner, kind, last);
        }
        i = close;
        mark = close + 1;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared with the code decoders
// ---------------------------------------------------------------------------------------------

const VarContext *var_context()
{
    return state.base_ind >= 0 ? &state.base[state.base_ind] : nullptr;
}

int var_def_type() { return state.def_type; }
int var_cur_type() { return state.cur_type; }

// ---------------------------------------------------------------------------------------------
// Setup and parsing
// ---------------------------------------------------------------------------------------------

int VAR_setup(const char *filename, const char *var_str)
{
    VAR_param_decode();
    VAR_init();
    const char *var_text = var_str ? var_str : "";
    string file = filename ? filename : "";
    if (std::strncmp(var_text, "fi:", 3) == 0) {
        const char *colon = std::strchr(var_text + 3, ':');
        if (colon) {
            file.assign(var_text + 3, static_cast<size_t>(colon - var_text - 3));
            var_text = colon + 1;
        } else {
            file = var_text + 3;
            var_text = "";
            MESS_print(M_WARN, "VAR_setup: no variable after the file name: %s\n", file.c_str());
        }
    }
    if (!file.empty()) VAR_open_file(file.c_str());

    state.varnum = state.plevel = state.vlevel = 0;
    for (VarContext &c : state.base) c = VarContext{};
    state.base_ind = -1;
    state.expansions = 0;
    state.full_warned = false;
    VarContext &outer = state.base[0];
    outer.type = FLAG_get(FLAG_PLOT_TYPE);
    outer.tstat = VAR_dec_time("", &outer.time);
    outer.lstat = VAR_dec_level("", &outer.ltype, &outer.level);
    state.base_ind = 0;

    VAR_init();
    VAR_process(var_text);
    for (int i = 0; i < state.varnum; i++)
        if (MESS_check(VAR_TRACE)) {
            MESS_print(VAR_TRACE, "Var: %d -- ", i);
            VAR_print(VAR_TRACE, &state.var[i]);
        }
    state.base_ind = -1;

    for (int i = 0; i < state.varnum; i++)
        if (state.var[i].flag >= 0) return 1;
    MESS_print(VAR_TRACE, "Unable to determine variables\n");
    return 0;
}

int VAR_process(const char *str)
{
    if (str) scan(str);
    return 0;
}

int VAR_process_var(const char *str, int flag)
{
    if (!str || slots_full()) return 0;
    const int ind = state.varnum;
    VAR_data &d = state.var[ind];
    const vector<string> fields = split_fields(without_escapes(str));
    MESS_print(VAR_TRACE, "VAR_process_var:%d:%d:%s:\n", state.plevel, ind, str);
    if (element(d, fields)) return 0;

    size_t name = 0;
    if (fields.size() > 2) {
        int time = d.time;
        const int tstat = VAR_dec_time(fields[0].c_str(), &time);
        if (tstat != VAR_STAT_NONE) {
            d.time = time;
            d.tstat = tstat;
            d.lstat = VAR_dec_level(fields[1].c_str(), &d.ltype, &d.level);
            name = 2;
        }
    }
    if (name == 0) {
        if (d.time == VYK_MISS) d.tstat = VAR_dec_time("", &d.time);
        if (d.ltype == VYK_MISS) d.lstat = VAR_dec_level("", &d.ltype, &d.level);
    }
    decode_name(d, fields[name], flag, ind);
    if (name + 1 < fields.size()) VAR_dec_units(fields[name + 1].c_str(), &d);
    type_and_format(d, fields, name + 2);
    return 0;
}

int VAR_base_push()
{
    if (state.base_ind + 1 >= CONTEXT_MAX) {
        MESS_print(M_WARN, "VAR_base_push: more than %d contexts\n", CONTEXT_MAX);
        return -1;
    }
    push_from(state.varnum);
    return 0;
}

int VAR_init()
{
    for (VAR_data &v : state.var) VAR_data_init(&v);
    return 0;
}

int VAR_data_init(VAR_data *data)
{
    if (!data) return 0;
    data->type = data->time = data->ltype = data->level = VYK_MISS;
    for (int &v : data->var) v = VYK_MISS;
    data->name[0] = data->units[0] = data->format[0] = '\0';
    data->tstat = data->lstat = data->flag = 0;
    return 0;
}

int VAR_copy(VAR_data *dat2, const VAR_data *dat1)
{
    if (!dat2 || !dat1) return 0;
    *dat2 = *dat1;
    dat2->type = 0;
    dat2->format[0] = dat2->units[0] = '\0';
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Slot access
// ---------------------------------------------------------------------------------------------

VAR_data *VAR_get_vars() { return state.var; }
VAR_data *VAR_get_var(int ind) { return slot(ind); }
int VAR_get_num() { return state.varnum; }

int VAR_set_num(int num)
{
    state.varnum = num < 0 ? 0 : num > VAR_NUM ? VAR_NUM : num;
    return 0;
}

int VAR_reset()
{
    state.varnum = 0;
    return 0;
}

const char *VAR_get_name(int ind) { return slot(ind)->name; }
const char *VAR_get_units(int ind) { return slot(ind)->units; }
const char *VAR_get_format(int ind) { return slot(ind)->format; }
int VAR_get_time(int ind) { return slot(ind)->time; }
int VAR_get_type(int ind) { return slot(ind)->type; }
int VAR_get_flag(int ind) { return slot(ind)->flag; }

int VAR_set_type(int ind, int val)
{
    slot(ind)->type = val;
    return 1;
}

int VAR_set_flag(int ind, int val)
{
    slot(ind)->flag = val;
    return 1;
}

const char *VAR_get_level_key(int ind)
{
    if (ind < 0 || ind >= VAR_NUM) return "";
    std::snprintf(state.level_key[ind], KEY_LEN, "%d", state.var[ind].level);
    return state.level_key[ind];
}

const char *VAR_get_time_key(int ind)
{
    if (ind < 0 || ind >= VAR_NUM) return "";
    std::snprintf(state.time_key[ind], KEY_LEN, "%d", state.var[ind].time);
    return state.time_key[ind];
}

int VAR_set_model_str(const char *str)
{
    strfcpy(state.model_str, str);
    return 0;
}

int VAR_set_level_str(const char *str)
{
    strfcpy(state.level_str, str);
    return 0;
}

int VAR_set_time_str(const char *str)
{
    strfcpy(state.time_str, str);
    return 0;
}

const char *VAR_get_model_str() { return state.model_str; }
const char *VAR_get_level_str() { return state.level_str; }
const char *VAR_get_time_str() { return state.time_str; }

int VAR_set_def_type(int val)
{
    state.def_type = val;
    return 0;
}

int VAR_print(M_type lev, const VAR_data *data)
{
    if (!data) return 0;
    MESS_print(lev, "V: %-10s U: %-10s FH: %7ld LT: %6d L: %7ld VN: %6d T: %5s F: %2d FM: %s\n",
               data->name, data->units, static_cast<long>(data->time), data->ltype,
               static_cast<long>(data->level), data->var[0], VAR_print_type(data->type), data->flag,
               data->format);
    return 0;
}

int VAR_print_all(M_type lev)
{
    for (int i = 0; i < state.varnum; i++) VAR_print(lev, &state.var[i]);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Slot predicates
// ---------------------------------------------------------------------------------------------

int VAR_is_REG(int ind) { return kind_of(ind) == VAR_KIND_REG; }
int VAR_is_SUBREG(int ind) { return kind_of(ind) == VAR_KIND_SUBREG; }
int VAR_is_FUNC(int ind) { return kind_of(ind) == VAR_KIND_FUNC; }
int VAR_is_SUBFUNC(int ind) { return kind_of(ind) == VAR_KIND_SUBFUNC; }
int VAR_is_COMP(int ind) { return kind_of(ind) == VAR_KIND_COMP; }
int VAR_is_VECT(int ind) { return kind_of(ind) == VAR_KIND_VECT; }

int VAR_is_FUNC_VECT(int ind)
{
    if (kind_of(ind) == VAR_KIND_FUNC_VECT) return 1;
    return kind_of(ind) == VAR_KIND_FUNC && ind + 1 < VAR_NUM &&
           kind_of(ind + 1) == VAR_KIND_FUNC_VECT;
}

int VAR_is_SUBFUNC_VECT(int ind) { return kind_of(ind) == VAR_KIND_SUBFUNC_VECT; }

int VAR_is_LABEL(int ind)
{
    const int f = flag_of(ind);
    return f == VAR_KIND_REG || f == VAR_KIND_FUNC || f == VAR_KIND_COMP || f == VAR_KIND_VECT;
}

int VAR_is_PLOT(int ind) { return flag_of(ind) <= VAR_KIND_ELEMENT; }
int VAR_is_SUBPLOT(int ind) { return flag_of(ind) <= VAR_KIND_FUNC || flag_of(ind) == 10; }
int VAR_is_DATA(int ind) { return flag_of(ind) <= 10 && !in(type_of(ind), VAR_T_WIND, VAR_T_STRM); }
int VAR_is_CALC(int ind) { return kind_of(ind) == VAR_KIND_REG || kind_of(ind) == VAR_KIND_SUBREG; }
int VAR_is_SUBCALC(int ind) { return VAR_is_CALC(ind); }
int VAR_is_type_MAP(int ind) { return type_of(ind) == VAR_T_MAP; }
int VAR_is_FRAME(int ind) { return type_of(ind) == VAR_T_FRAME; }
int VAR_is_PANEL(int ind) { return type_of(ind) == VAR_T_PANEL; }

int VAR_is_type_PLOT(int ind)
{
    const int t = type_of(ind);
    return t != VAR_T_MAP && t != VAR_T_FRAME && t != VAR_T_PANEL && !in(t, VAR_T_GRID, VAR_T_STRM);
}

int VAR_is_type_GRID(int ind)
{
    return in(type_of(ind), VAR_T_GRID, VAR_T_STRM) && kind_of(ind) <= VAR_KIND_SUBFUNC;
}

int VAR_is_type_CONT(int ind) { return in(type_of(ind), VAR_T_GRID, VAR_T_GVALUE); }
int VAR_is_type_VECT(int ind) { return in(type_of(ind), VAR_T_WIND, VAR_T_STRM); }
int VAR_is_plot_PLOT(int ind) { return VAR_is_PLOT(ind) && VAR_is_type_PLOT(ind); }
int VAR_is_plot_VECT(int ind) { return flag_of(ind) <= 9 && kind_of(ind) == VAR_KIND_VECT; }
int VAR_is_plot_FUNC(int ind) { return flag_of(ind) <= 9 && kind_of(ind) == VAR_KIND_FUNC; }
int VAR_is_plot_FUNC_VECT(int ind) { return flag_of(ind) <= 9 && VAR_is_FUNC_VECT(ind); }
int VAR_is_plot_GRID(int ind) { return VAR_is_PLOT(ind) && in(type_of(ind), VAR_T_GRID, VAR_T_STRM); }

int VAR_is_subplot_GRID(int ind)
{
    return VAR_is_SUBPLOT(ind) && in(type_of(ind), VAR_T_CONT, VAR_T_STRM);
}

int VAR_is_plot_CONT(int ind) { return in(type_of(ind), VAR_T_CONT, VAR_T_GVALUE); }

int VAR_is_calc_GRID(int ind)
{
    const int k = kind_of(ind);
    return (k == VAR_KIND_FUNC || k == VAR_KIND_SUBFUNC) && in(type_of(ind), VAR_T_GRID, VAR_T_STRM);
}

int VAR_is_fit_GRID(int ind)
{
    return VAR_is_CALC(ind) && in(type_of(ind), VAR_T_GRID, VAR_T_STRM);
}

int VAR_is_get_GRID(int ind)
{
    return kind_of(ind) != VAR_KIND_FUNC && in(type_of(ind), VAR_T_GRID, VAR_T_STRM);
}
