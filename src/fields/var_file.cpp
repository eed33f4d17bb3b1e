// var_file.cpp: the program's variable file and the variable menu.
//
// The variable file holds one record a line: abbreviation, description ('_' for a blank),
// display condition and definition (the rest of the line; a trailing '\' continues it on the
// next line).  The abbreviation is the menu's answer and a macro name of the language; the
// definition is what the macro stands for.  The file stays open between uses and is read from
// its start for every search.
//
// Display conditions: '1' shown, '0' hidden, else ','-separated alternatives of '&'-joined
// conditions "mo=", "ft=" and "le=" with a pattern matched against the current model, time and
// level texts.  Patterns: '|'-separated alternatives, '~' negating one; a class "[...]" with
// ranges, '?' and '.' for any character, '*' for a run up to the next pattern character.
#include "var_internal.h"

#include <cstring>
#include <string>

namespace {

using std::string;

constexpr int LINE_MAX_CHARS = 1200;   // a record line: fields and a definition of 999
constexpr int MENU_MAX_ENTRY = 48;     // the last entry that a record may fill
constexpr int PRINT_ABBR = 9;
constexpr int PRINT_DESC = 79;

struct State {
    FILE *file = nullptr;
    MENU_item menu[VAR_MENU_SIZE]{};
    char names[VAR_MENU_SIZE][VAR_MENU_DESC_LEN]{};
    char abbrs[VAR_MENU_SIZE][VAR_MENU_ABBR_LEN]{};
    bool menu_emptied = false;

    State()
    {
        menu[0] = {"Return to previous menu", "back", 0, {1}};
    }
};

State state;

bool blank(char c) { return c == ' ' || c == '\t'; }

/// A definition with its line ends and trailing blanks removed and then every blank.
string cleaned(const string &text)
{
    string out;
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || blank(text[end - 1]))) end--;
    for (size_t i = 0; i < end; i++)
        if (!blank(text[i]) && text[i] != '\r' && text[i] != '\n') out += text[i];
    return out;
}

/// The next record of the open file, its definition joined with its continuation lines (which
/// are never records of their own).  False at the end of the file.
bool read_record(VarRecord &rec, const char *who)
{
    string line;
    while (var_read_line(state.file, line, LINE_MAX_CHARS, who)) {
        if (!var_split_record(line, rec)) continue;
        string def = cleaned(rec.def);
        bool cut = false;
        const auto bound = [&] {
            if (def.size() <= VAR_DEF_LEN - 1) return;
            const bool more = def.back() == '\\';
            def.resize(VAR_DEF_LEN - 1);
            if (more) def.push_back('\\');
            cut = true;
        };
        bound();
        while (!def.empty() && def.back() == '\\') {
            def.pop_back();
            if (!var_read_line(state.file, line, LINE_MAX_CHARS, who)) break;
            def += cleaned(line);
            bound();
        }
        if (cut)
            MESS_print(M_WARN, "%s: definition of %s cut to %d characters\n", who, rec.abbr.c_str(),
                       VAR_DEF_LEN - 1);
        rec.def = def;
        return true;
    }
    return false;
}

/// The text a condition key names, or NULL for an unknown key.
const char *condition_text(const string &cond)
{
    if (cond.size() < 3) return nullptr;
    if (strnicmp(cond.c_str(), "mo=", 3) == 0) return VAR_get_model_str();
    if (strnicmp(cond.c_str(), "ft=", 3) == 0) return VAR_get_time_str();
    if (strnicmp(cond.c_str(), "le=", 3) == 0) return VAR_get_level_str();
    return nullptr;
}

/// Whether a record's display word shows it in the menu.
bool shown(const string &disp)
{
    if (disp.empty()) return false;
    if (disp[0] == '1') return true;
    if (disp[0] == '0') return false;
    size_t start = 0;
    for (;;) {
        const size_t comma = disp.find(',', start);
        const string alt = disp.substr(start, comma == string::npos ? string::npos : comma - start);
        bool holds = !alt.empty();
        size_t s = 0;
        while (holds) {
            const size_t amp = alt.find('&', s);
            const string cond = alt.substr(s, amp == string::npos ? string::npos : amp - s);
            const char *text = condition_text(cond);
            holds = text && VAR_menu_display(cond.c_str() + 3, text);
            if (amp == string::npos) break;
            s = amp + 1;
        }
        if (holds) return true;
        if (comma == string::npos) return false;
        start = comma + 1;
    }
}

void clear_entry(int i)
{
    state.menu[i].name = nullptr;
    state.menu[i].abbr = nullptr;
    state.menu[i].index = 0;
    for (int &d : state.menu[i].disp) d = 0;
}

// ---------------------------------------------------------------------------------------------
// Display patterns
// ---------------------------------------------------------------------------------------------

struct Matcher {
    const char *text;
    size_t len;
    size_t pos = 0;
    bool mark = true;

    char at() const { return pos < len ? text[pos] : '\0'; }

    /// A class "[...]" starting at p ('[' itself); returns the position after its ']' (the end
    /// of the pattern when there is none).
    const char *klass(const char *p)
    {
        const char c = at();
        bool hit = false;
        for (p++; *p && *p != ']'; p++) {
            if (*p == '-' && p[1] && p[1] != ']') {
                const char lo = p[-1], hi = p[1];  // '-' first: from the '[' itself
                if (c != '\0' && c >= lo && c <= hi) hit = true;
                p++;
            } else if (*p == c && c != '\0') {
                hit = true;
            }
        }
        if (!hit) mark = false;
        pos++;
        return *p ? p + 1 : p;
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The variable file
// ---------------------------------------------------------------------------------------------

FILE *var_file_rewound()
{
    if (!state.file) return nullptr;
    std::fflush(state.file);
    std::rewind(state.file);
    return state.file;
}

int VAR_open_file(const char *file)
{
    if (state.file) std::fclose(state.file);
    state.file = nullptr;
    char name[FILE_NAME_MAX + 1];
    if (file && *file) {
        strfcpy(name, file);
    } else {
        RES_get_progname(name, sizeof name - 4);
        std::strcat(name, ".var");
    }
    char path[FILE_NAME_MAX + 1];
    state.file = var_open_lookup(name, path);
    if (!state.file) {
        MESS_print(M_WARN_C, "VAR_open_file: Unable to open var file: %s\n", path);
        return 0;
    }
    return 1;
}

int VAR_lookup(const char *name, char *str, size_t size)
{
    MESS_print(VAR_TRACE, "VAR_lookup: %s\n", name ? name : "");
    if (!name || !*name || !var_file_rewound()) return 0;
    VarRecord rec;
    while (read_record(rec, "VAR_lookup")) {
        if (rec.abbr != name) continue;
        strfcpy(str, size, rec.def.c_str());
        return 1;
    }
    MESS_print(VAR_TRACE, "VAR_lookup: not found\n");
    return 0;
}

int VAR_read_menu()
{
    if (!state.menu_emptied) {
        for (int i = 1; i < VAR_MENU_SIZE; i++) clear_entry(i);
        state.menu_emptied = true;
    }
    if (!var_file_rewound()) return 0;
    int i = 1;
    VarRecord rec;
    while (i <= MENU_MAX_ENTRY && read_record(rec, "VAR_read_menu")) {
        if (!shown(rec.disp)) continue;
        var_copy_field(state.abbrs[i], rec.abbr.c_str(), "VAR_read_menu", "abbreviation");
        var_copy_field(state.names[i], rec.desc.c_str(), "VAR_read_menu", "description");
        trim_string(state.names[i]);
        fill_string(state.names[i], '_', ' ');
        MENU_item &e = state.menu[i];
        e.name = state.names[i];
        e.abbr = state.abbrs[i];
        e.index = 1;
        for (int &d : e.disp) d = 0;
        e.disp[0] = 1;
        i++;
    }
    clear_entry(i);
    return 1;
}

int VAR_menu(const char *title, const char *prompt, char *string, int flag)
{
    VAR_init();
    if (!string) return VYK_MISS;
    if (FLAG_batch()) {
        const MENU_item &first = state.menu[1];
        strfcpy(string, VAR_MENU_ABBR_LEN, first.name && first.abbr ? first.abbr : "def");
        return 1;
    }
    for (;;) {
        const int result = MENU_process(title, state.menu, 0, prompt, string, flag);
        if (stricmp(string, "list") != 0) return result;
        VAR_print_file();
        string[0] = '\0';  // the end of the input then ends the menu
    }
}

int VAR_print_file()
{
    if (!var_file_rewound()) return -1;
    MESS_print(M_PRINT, " Abbr    Description\n");
    VarRecord rec;
    while (read_record(rec, "VAR_print_file")) {
        char abbr[PRINT_ABBR + 1], desc[PRINT_DESC + 1];
        strfcpy(abbr, rec.abbr.c_str());
        strfcpy(desc, rec.desc.c_str());
        MESS_print(M_PRINT, "%-8s %-50s\n", abbr, desc);
    }
    return -1;
}

int VAR_search_name_file(const char *str, char *name, size_t size)
{
    if (!str || !var_file_rewound()) return 0;
    VarRecord rec;
    while (read_record(rec, "VAR_search_name_file")) {
        if (stricmp(rec.abbr.c_str(), str) != 0) continue;
        if (name) strfcpy(name, size, rec.desc.c_str());
        return 1;
    }
    return 0;
}

int VAR_menu_display(const char *fstr, const char *ustr)
{
    if (!fstr || !*fstr || !ustr || !*ustr) return 0;
    Matcher m{ustr, std::strlen(ustr)};
    bool negated = *fstr == '~';
    const auto holds = [&] { return (m.mark && m.pos == m.len) != negated; };
    for (const char *p = fstr; *p;) {
        switch (*p) {
        case '|':
            if (holds()) return 1;
            m.pos = 0;
            m.mark = true;
            negated = p[1] == '~';
            p++;
            break;
        case '[': p = m.klass(p); break;
        case '?':
        case '.':
            m.pos++;
            p++;
            break;
        case '~': p++; break;
        case '*': {
            const char next = p[1];
            while (m.pos < m.len && (next == '\0' || m.text[m.pos] != next)) m.pos++;
            p++;
            break;
        }
        default:
            if (m.at() == *p) m.pos++;
            else m.mark = false;
            p++;
            break;
        }
    }
    return holds() ? 1 : 0;
}
