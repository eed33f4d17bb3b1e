// var_model.cpp: model names from the lookup file "mod_name.lup".
//
// The table is found on the file_path resource and opened at the first call; it stays open for
// the life of the program and is read from its start for every new question.  A line holds
// "source:model name" or "model name"; a line without a source matches any source; a line
// beginning '#' or not beginning with a number is passed over; an empty line ends the table.
// Lines are read up to MAX_LINE characters (the rest of a longer line is dropped with a
// warning).  The last name found is remembered with its numbers and given again without
// reading the file.
#include "vykvar.h"
#include "vykresrc.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char *TABLE_NAME = "mod_name.lup";
constexpr int MAX_LINE = 80;

// The component's state; the member initialisers are the start values.
struct State {
    FILE *table = nullptr;  // the model table, kept open between calls
    // The remembered answer; source -1 for a line without a source.
    bool have_last = false;
    int last_model = 0;
    int last_source = -1;
    char last_name[VAR_MODEL_LEN] = "";
};
State st;

/// Reads an int as "%d" does (leading white space, optional sign, digits); false when there is
/// none or it does not fit an int.
bool read_int(const char *&p, const char *end, int &value)
{
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) p++;
    const char *s = p;
    if (s < end && *s == '+') {  // from_chars takes '-' only
        s++;
        if (s < end && *s == '-') return false;
    }
    const auto [next, ec] = std::from_chars(s, end, value);
    if (ec != std::errc() || next == s) return false;
    p = next;
    return true;
}

/// One table line: source (-1 when none), model and the name stripped of trailing line ends
/// and blanks.  False for a comment or a line that does not scan.
bool parse_line(char *line, int len, int &source, int &model, const char *&name)
{
    if (line[0] == '#') return false;
    const char *p = line;
    const char *end = line + len;
    int first;
    if (!read_int(p, end, first)) return false;
    source = -1;
    model = first;
    if (p < end && *p == ':') {
        p++;
        if (!read_int(p, end, model)) return false;
        source = first;
    }
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) p++;
    char *e = line + len;
    while (e > p && (e[-1] == ' ' || e[-1] == '\t' || e[-1] == '\r' || e[-1] == '\n')) e--;
    if (e == p) return false;  // no name
    *e = '\0';
    name = p;
    return true;
}

FILE *open_table(char *path)
{
    FILE_add_path(RES_get("file_path"), TABLE_NAME, path);
    // A name built from the path is a file, never a command.
    if (path[0] == '|') return std::fopen(path, "r");
    return FILE_open(path, "r");
}

}  // namespace

char *VAR_model(char *str, int rmod, size_t size)
{
    if (!str || size == 0) return nullptr;
    int source = -1;
    int model = rmod;
    if (rmod > 1000) {
        source = rmod / 1000;
        model = rmod % 1000;
    }

    if (!st.table) {
        char path[FILE_NAME_MAX + 1];
        st.table = open_table(path);
        if (!st.table) {
            MESS_print(M_WARN_C, "VAR_model: Unable to open file: %s\n", path);
            return nullptr;
        }
        st.have_last = false;
    }

    if (st.have_last && st.last_model == model &&
        (st.last_source == -1 || st.last_source == source)) {
        strfcpy(str, size, st.last_name);
        return str;
    }

    str[0] = '\0';
    // Read the file as it stands now: drop what the stream holds from an earlier search.
    std::fflush(st.table);
    std::rewind(st.table);
    char line[MAX_LINE + 1];
    int n;
    while ((n = fgetnline(st.table, line, MAX_LINE)) > 0) {
        if (n == MAX_LINE) {
            // Drop the rest of a longer line, leaving its newline for the next read.
            int c, dropped = 0;
            while ((c = getc_unlocked(st.table)) != EOF && c != '\n') dropped++;
            if (c == '\n') ungetc(c, st.table);
            if (dropped > 0)
                MESS_print(M_WARN, "VAR_model: line longer than %d characters cut: %.40s...\n",
                           MAX_LINE, line);
        }
        int line_source, line_model;
        const char *name;
        if (!parse_line(line, n, line_source, line_model, name)) continue;
        if (line_model != model || (line_source != -1 && line_source != source)) continue;
        strfcpy(st.last_name, name);
        st.last_model = line_model;
        st.last_source = line_source;
        st.have_last = true;
        strfcpy(str, size, st.last_name);
        break;
    }
    return str;
}
