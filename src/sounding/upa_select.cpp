// upa_select.cpp: the upper-air input of programs that work on one station at a time: the
// input file name, opening the file with its header and date, listing, finding and reading
// stations, and the vertical level menu, which the program's "%s.lev" file can replace.
#include "vyk.h"
#include "upa_report.h"
#include "upa_file.h"
#include "upa_select.h"
#include "vykvar.h"
#include "plt_label.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int UPA_INPUT_KIND = 20;  // flag 14 for the upper-air input
constexpr int PROMPT_TRIES = 4;
constexpr int ID_PROMPT_LEN = 10;
constexpr int MENU_ABBR_LEN = 8, MENU_NAME_LEN = 30, MENU_COND_LEN = 200;
constexpr int MENU_LINE_LEN = 400;
constexpr int ROW_SHOWN = 1;    // the index of a row loaded from a menu file
constexpr int STATIONS_PER_LINE = 15;
constexpr const char *LEVEL_BATCH = "500";

struct Row {
    const char *name, *abbr;
    int index;
};
constexpr Row BUILT_IN[] = {
    {"Back to previous menu", "back", 0}, {"Sea level", "sl", 2000}, {"Surface", "sfc", 2000},
    {"1000 mb", "1000mb", 1000}, {"925 mb", "925mb", 925}, {"850 mb", "850mb", 850},
    {"700 mb", "700mb", 700}, {"500 mb", "500mb", 500}, {"400 mb", "400mb", 400},
    {"300 mb", "300mb", 300}, {"250 mb", "250mb", 250}, {"200 mb", "200mb", 200},
    {"150 mb", "150mb", 150}, {"100 mb", "100mb", 100}, {"70 mb", "70mb", 70},
    {"50 mb", "50mb", 50}, {"30 mb", "30mb", 30}, {"20 mb", "20mb", 20}, {"10 mb", "10mb", 10},
    {"Tropopause", "trop", 1900}, {"Max wind", "wind", 1800}, {"Whole sounding", "snd", 1600},
};

/// The level menu: the rows and the texts they own.
struct Menu {
    MENU_item item[UPA_MENU_ROWS + 1] = {};
    std::string name[UPA_MENU_ROWS], abbr[UPA_MENU_ROWS];
    Menu()
    {
        int k = 0;
        for (const Row &r : BUILT_IN) {
            item[k].name = r.name;
            item[k].abbr = r.abbr;
            item[k].index = r.index;
            item[k].disp[0] = 1;
            k++;
        }
    }
};

struct State {
    int fd = -1;
    Date date = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
    int counter = 0;
    int prompt_station = 1;
    int prompt_level = 1;
    Menu menu;
    int column = 0;
};

State st;

/// A WMO number from an identifier beginning with a digit, else -9999.
int wanted_number(const char *id)
{
    if (!std::isdigit(static_cast<unsigned char>(id[0]))) return VYK_MISS;
    errno = 0;
    const long v = std::strtol(id, nullptr, 10);
    return errno == ERANGE || v > 99999 ? VYK_MISS : static_cast<int>(v);
}

/// Whether one item of a display condition holds: "mo=" or "ft=" and a pattern.
bool item_holds(const std::string &item)
{
    if (item.size() >= 3 && strnicmp(item.c_str(), "mo=", 3) == 0)
        return VAR_menu_display(item.c_str() + 3, VAR_get_model_str()) == 1;
    if (item.size() >= 3 && strnicmp(item.c_str(), "ft=", 3) == 0)
        return VAR_menu_display(item.c_str() + 3, VAR_get_time_str()) == 1;
    return false;
}

/// "1" shows, "0" hides; otherwise alternatives (',') of items that must all hold ('&').
bool shown(const std::string &cond)
{
    if (cond == "1") return true;
    if (cond == "0") return false;
    size_t start = 0;
    for (;;) {
        const size_t comma = cond.find(',', start);
        const std::string alt = cond.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        bool all = !alt.empty();
        size_t s = 0;
        for (;;) {
            const size_t amp = alt.find('&', s);
            if (!item_holds(alt.substr(s, amp == std::string::npos ? std::string::npos : amp - s))) all = false;
            if (amp == std::string::npos) break;
            s = amp + 1;
        }
        if (all) return true;
        if (comma == std::string::npos) return false;
        start = comma + 1;
    }
}

/// The next word of a line, cut to max characters; "" when there is none.
std::string next_word(const char *&p, size_t max)
{
    while (*p == ' ' || *p == '\t' || *p == '\r') p++;
    const char *start = p;
    while (*p && *p != ' ' && *p != '\t' && *p != '\r') p++;
    return std::string(start, std::min(static_cast<size_t>(p - start), max));
}

}  // namespace

int UPA_in_file()
{
    FILE_set_name("upa_cvt");
    FLAG_set(FLAG_UPA_INPUT, UPA_INPUT_KIND);
    int num = 0;
    char **vals = nullptr;
    if (RES_getvals("in_file", &num, &vals) > 0 || num > 0) {
        for (int i = 0; i < num; i++) {
            if (stricmp(vals[i], "upa") == 0) {
                FILE_set_name("upa_cvt");
                FLAG_set(FLAG_UPA_INPUT, UPA_INPUT_KIND);
            } else {
                FILE_set_name(vals[i]);
            }
        }
    }
    free_parsed_array(num, vals);
    return 0;
}

int UPA_set_date(const Date *datim)
{
    if (datim) st.date = *datim;
    else FILE_get_date(&st.date);
    return 0;
}

int UPA_get_date(Date *datim)
{
    if (datim) *datim = st.date;
    return 0;
}

int UPA_open_file(const char *filename)
{
    int kind = UPA_FILE_DETECT;
    st.fd = UPA_open(filename, UPA_ACCESS_READ, &kind);
    if (st.fd < 0) {
        MESS_print(M_WARN, "UPA_open_file: Unable to open file:%s\n", filename ? filename : "");
        return 0;
    }
    UPA_info *info = UPA_get_info();
    info->datim[0] = '\0';
    UPA_getinfo(st.fd, info);
    st.date = info->date;
    st.counter = 0;
    PLT_label_up_right(info->datim);
    MESS_print(M_MESS, "Date: %s\n", info->datim);
    return 1;
}

int UPA_rewind_file()
{
    UPA_rewind(st.fd);
    st.counter = 0;
    return 0;
}

int UPA_close_file()
{
    UPA_close(st.fd);
    return 0;
}

int UPA_list_stations()
{
    UPA_rewind(st.fd);
    MESS_print(M_PRINT, "Possible stations\n");
    UPA_report r;
    UPA_initialize(&r);
    for (int n = 0; UPA_read(st.fd, &r, UPA_READ_ID, &n) == 0; n++) {
        MESS_print(M_PRINT, "%4s ", r.id);
        if ((n + 1) % STATIONS_PER_LINE == 0) MESS_print(M_PRINT, "\n");
    }
    MESS_print(M_PRINT, "\n\n");
    return 0;
}

int UPA_read_station(UPA_report *report)
{
    const int result = UPA_read(st.fd, report, UPA_READ_ALL, &st.counter);
    st.counter++;
    return result;
}

int UPA_get_station(const char *id, UPA_report *report)
{
    if (!id || !report) return 0;
    const int wmo = wanted_number(id);
    MESS_print(M_MESS, "Searching for %s...\n", id);
    for (int n = 0; UPA_read(st.fd, report, UPA_READ_ID, &n) == 0; n++) {
        const bool match = stricmp(report->id, id) == 0 || (report->wmo != VYK_MISS && report->wmo == wmo);
        if (match) return UPA_read(st.fd, report, UPA_READ_ALL, &n) == 0 ? 1 : 0;
    }
    MESS_print(M_WARN, "UPA_get_station: No such station:%s\n", id);
    return 0;
}

int UPA_set_prompt(int val)
{
    st.prompt_station = val;
    return 0;
}

int UPA_prompt_station(UPA_report *report)
{
    if (!st.prompt_station) return 0;
    const char *res = RES_get("identifier");
    const bool given = res && res[0];
    if (given && stricmp(res, "list") == 0) {
        UPA_list_stations();
        VYK_exit(VYK_EXIT_OK);
    }
    if (!given) UPA_list_stations();
    UPA_rewind_file();
    bool found = false;
    for (int attempt = 0; attempt < (given ? 1 : PROMPT_TRIES) && !found; attempt++) {
        char text[64] = "";
        if (given) {
            strfcpy(text, res);
        } else {
            VYK_prompts("Enter station to be used in the analysis: ", text, ID_PROMPT_LEN);
            MESS_print(M_PRINT, "\n");
        }
        if (stricmp(text, "exit") == 0) VYK_exit(VYK_EXIT_OK);
        if (std::strlen(text) == 3 || !std::islower(static_cast<unsigned char>(text[0])))
            for (char *c = text; *c; c++) *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
        found = UPA_get_station(text, report) == 1;
    }
    st.prompt_station = 0;
    if (found) return 1;
    MESS_print(M_ERROR, "Unable to find a station\n");
    VYK_exit(VYK_EXIT_NO_STATION);
}

int UPA_set_prompt_level(int val)
{
    st.prompt_level = val;
    return 0;
}

int UPA_read_level_menu()
{
    char prog[64] = "";
    RES_get_progname(prog, sizeof prog);
    char name[FILE_NAME_MAX + 1], path[FILE_NAME_MAX + 1];
    std::snprintf(name, sizeof name, "%s.lev", prog);
    FILE_add_path(RES_get("file_path"), name, path);
    FILE *fp = std::fopen(path, "r");  // a lookup file: never a command
    if (!fp) return 0;
    Menu &m = st.menu;
    for (int k = 1; k <= UPA_MENU_ROWS; k++) m.item[k] = MENU_item{};
    int row = 1;
    char line[MENU_LINE_LEN + 1];
    while (row < UPA_MENU_ROWS && std::fgets(line, sizeof line, fp)) {
        if (!std::strchr(line, '\n') && !std::feof(fp)) {
            int c;  // the rest of a line longer than the buffer
            while ((c = std::fgetc(fp)) != EOF && c != '\n') {
            }
        }
        line[std::strcspn(line, "\n")] = '\0';
        const char *p = line;
        const std::string abbr = next_word(p, MENU_ABBR_LEN);
        std::string label = next_word(p, MENU_NAME_LEN);
        const std::string cond = next_word(p, MENU_COND_LEN);
        if (abbr.empty() || !shown(cond)) continue;  // the row is overwritten by the next line
        for (char &c : label)
            if (c == '_') c = ' ';
        const size_t end = label.find_last_not_of(' ');
        label = end == std::string::npos ? "" : label.substr(label.find_first_not_of(' '), end + 1 - label.find_first_not_of(' '));
        m.name[row] = label;
        m.abbr[row] = abbr;
        m.item[row].name = m.name[row].c_str();
        m.item[row].abbr = m.abbr[row].c_str();
        m.item[row].index = ROW_SHOWN;
        m.item[row].disp[st.column] = 1;
        row++;
    }
    m.item[row] = MENU_item{};
    std::fclose(fp);
    return 1;
}

int UPA_prompt_level()
{
    UPA_read_level_menu();
    if (!st.prompt_level) return 0;
    char text[128] = "";
    const char *res = RES_get("level");
    if (res && res[0]) {
        strfcpy(text, res);
        st.prompt_level = 0;
    } else if (FLAG_batch()) {
        strfcpy(text, LEVEL_BATCH);
        st.prompt_level = 0;
    } else {
        const int got = MENU_process("\n        Vertical Level Menu\n", st.menu.item, st.column,
                                     "Enter the level: ", text, MENU_EXIT | MENU_BACK);
        if (got == 0) return 0;
        if (got < 0 && got != VYK_MISS) VYK_exit(VYK_EXIT_OK);
    }
    int ltype = VYK_MISS, level = VYK_MISS;
    VAR_dec_level(text, &ltype, &level);
    FLAG_set(FLAG_LEVEL, level);
    FLAG_setl(FLAG_LEVEL_TYPE, ltype);
    VAR_set_level_str(text);
    return 1;
}

const MENU_item *UPA_get_level_menu() { return st.menu.item; }
