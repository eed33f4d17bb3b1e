// var_table.cpp: the variable table "variable.lup" (variable numbers, abbreviations and
// descriptions) and the source table "source.lup" (data-source names).
//
// variable.lup: one entry a line: up to five ','-separated variable numbers, the abbreviation
// and the description to the end of the line.  It is read once, on the first use; when it cannot
// be opened it is tried again at the next use.  source.lup: a source number and its name; it is
// opened and closed at each question.
#include "var_internal.h"
#include "plt_label.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

using std::string;

constexpr const char *VAR_TABLE_NAME = "variable.lup";
constexpr const char *SOURCE_TABLE_NAME = "source.lup";
constexpr int TABLE_LINE_MAX = 200;
constexpr int SOURCE_LINE_MAX = 120;

struct State {
    std::vector<VAR_desc> table;
    bool loaded = false;
};

State state;

bool blank(char c) { return c == ' ' || c == '\t'; }

/// An int as "%d" reads it; false when there is none or it does not fit.
bool read_int(const char *&p, int &value)
{
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    p = end;
    return true;
}

/// Trailing carriage returns and blanks removed.
void trim_end(string &s)
{
    while (!s.empty() && (s.back() == '\r' || blank(s.back()))) s.pop_back();
}

/// One line of the variable table; false when it makes no entry.
bool parse_entry(const string &line, VAR_desc &e)
{
    const char *p = line.c_str();
    while (blank(*p)) p++;
    for (int &n : e.ind) n = VYK_MISS;
    for (int k = 0; k < VAR_NUM_IND; k++) {
        if (!read_int(p, e.ind[k])) {
            if (k == 0) return false;
            break;
        }
        if (*p != ',') break;
        p++;
    }
    while (*p && !blank(*p)) p++;  // anything else of the number list
    while (blank(*p)) p++;
    const char *abbr = p;
    while (*p && !blank(*p)) p++;
    if (p == abbr) return false;  // fewer than two words
    const string a(abbr, static_cast<size_t>(p - abbr));
    while (blank(*p)) p++;
    string desc(p);
    trim_end(desc);
    var_copy_field(e.abbr, a.c_str(), "VAR_read_varfile", "abbreviation");
    var_copy_field(e.name, desc.c_str(), "VAR_read_varfile", "description");
    return true;
}

const VAR_desc *find_number(int variable)
{
    int count = 0;
    const VAR_desc *t = var_table(&count);
    for (int i = 0; i < count; i++)
        if (t[i].ind[0] == variable) return &t[i];
    return nullptr;
}

}  // namespace

const VAR_desc *var_table(int *count)
{
    if (!state.loaded) VAR_read_varfile();
    if (count) *count = static_cast<int>(state.table.size());
    return state.table.data();
}

int VAR_read_varfile()
{
    state.table.clear();
    char path[FILE_NAME_MAX + 1];
    FILE *fp = var_open_lookup(VAR_TABLE_NAME, path);
    if (!fp) {
        MESS_print(M_WARN_C, "VAR_read_varfile: Unable to open file: %s\n", path);
        return 0;
    }
    state.loaded = true;
    int result = 1;
    string line;
    try {
        while (static_cast<int>(state.table.size()) < VAR_TABLE_MAX &&
               var_read_line(fp, line, TABLE_LINE_MAX, "VAR_read_varfile")) {
            VAR_desc e{};
            if (parse_entry(line, e)) state.table.push_back(e);
        }
    } catch (const std::bad_alloc &) {
        MESS_print(M_WARN, "VAR_read_varfile: out of memory after %zu entries\n", state.table.size());
        result = -1;
    }
    std::fclose(fp);
    return result;
}

int VAR_search_var_num(const char *str)
{
    if (!str) return 0;
    int count = 0;
    const VAR_desc *t = var_table(&count);
    for (int i = 0; i < count; i++)
        if (stricmp(t[i].abbr, str) == 0) return t[i].ind[0];
    return 0;
}

char *VAR_str(char *str, size_t size, int variable, const char *units)
{
    if (!str || size == 0) return str;
    const VAR_desc *e = find_number(variable % 1000);
    char unknown[16];
    if (!e) {
        MESS_print(VAR_TRACE, "VAR_str: no var: %d\n", variable);
        std::snprintf(unknown, sizeof unknown, "v%d", variable);
    }
    string text(!e ? unknown : PLT_get_label_type() < 0 ? e->abbr : e->name);
    if (units && *units) text += " (" + string(units) + ")";
    strfcpy(str, size, text.c_str());
    return str;
}

char *VAR_abbr(char *str, size_t size, int variable)
{
    if (!str || size == 0) return str;
    const VAR_desc *e = find_number(variable);
    if (!e) MESS_print(VAR_TRACE, "VAR_abbr: no var: %d\n", variable);
    strfcpy(str, size, e ? e->abbr : "");
    return str;
}

char *VAR_source(char *str, int source, size_t size)
{
    if (!str || size == 0) return nullptr;
    char path[FILE_NAME_MAX + 1];
    FILE *fp = var_open_lookup(SOURCE_TABLE_NAME, path);
    if (!fp) {
        MESS_print(M_WARN_C, "VAR_source: Unable to open file: %s\n", path);
        return nullptr;
    }
    str[0] = '\0';
    string line;
    while (var_read_line(fp, line, SOURCE_LINE_MAX, "VAR_source")) {
        const char *p = line.c_str();
        if (!std::isdigit(static_cast<unsigned char>(*p)) && *p != '-' && *p != '+') continue;
        int number = 0;
        if (!read_int(p, number) || number != source) continue;
        while (blank(*p)) p++;
        string name(p);
        trim_end(name);
        char cut[VAR_SOURCE_LEN];
        strfcpy(cut, name.c_str());
        strfcpy(str, size, cut);
        break;
    }
    std::fclose(fp);
    return str;
}
