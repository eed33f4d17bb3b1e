// Resource decoding and start-up: builds a program's declaration table from its lists of
// accepted kinds and merges the defaults path (defaults files and loop window programs), the
// environment and the command line into the resource list, then runs the start-up conversions.
#include "vykbase.h"
#include "vykmess.h"
#include "vykflag.h"
#include "vykstr.h"
#include "vykdate.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykmq.h"
#include "vykresrc.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int NAME_LEN = 50;   // option names: 49 characters and the end
constexpr int TEXT_LEN = 200;  // message and reply texts: 199 characters and the end
constexpr int REPLY_ALARM = 100;
constexpr const char *DEFAULT_PATH = ".:/home/vyk/etc:/usr/local/vyk/etc";

// The loop window connection left open by the last loop-window item of the defaults path.
struct Connection {
    bool open = false;
    int msgqid = -1;
    int conn_id = -1;
};
Connection loop_win;

// Tags of the defaults path: the defaults reader keeps pointers to them for the whole process.
std::deque<std::string> &path_tags()
{
    static auto *tags = new std::deque<std::string>;
    return *tags;
}

// The keyed options of the command line that no declaration of the program matched, as typed
// (they are kept as free-form resources).
std::vector<std::string> &unknown_options()
{
    static auto *options = new std::vector<std::string>;
    return *options;
}

inline bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// '-' followed by a letter: the start of an option (and a word that no option takes as value).
inline bool is_option(const char *w) { return w[0] == '-' && is_letter(w[1]); }

// Number of usable rows of a table: up to its end row, never more than RES_MAX_DEF.
int table_rows(const RES_defobj *table)
{
    int n = 0;
    if (table)
        while (n < RES_MAX_DEF && table[n].def) n++;
    return n;
}

inline bool has_name(const RES_defobj &row) { return row.def && row.def[0]; }

// Copies the option name (the text after the dashes) up to the first '=' and at most 49
// characters into name.
void option_name(const char *text, char *name)
{
    strfcpy(name, NAME_LEN, text, strcspn(text, "="));
}

// A leading part of "name" (n, na, nam, name).
bool is_name_option(const char *name, bool ignore_case)
{
    const size_t n = strlen(name);
    if (n == 0 || n > 4) return false;
    return ignore_case ? strnicmp(name, "name", static_cast<int>(n)) == 0
                       : strncmp(name, "name", n) == 0;
}

// An option whose first 7 characters are "default" or whose first 2 are "df".
bool is_default_option(const char *name, bool ignore_case)
{
    if (ignore_case) return strnicmp(name, "default", 7) == 0 || strnicmp(name, "df", 2) == 0;
    return strncmp(name, "default", 7) == 0 || strncmp(name, "df", 2) == 0;
}

// Sends one text to the loop window program unchanged (a '%' in it is not a format).
void send_text(const Connection &c, const char *text) { MQ_put(c.msgqid, c.conn_id, "%s", text); }

// Reads replies until one carries a flag other than 0; returns that flag.  The wait is bounded
// by the messaging time-out: a server that stops answering ends the program (status 7)
// instead of hanging it.
int drain_replies(const Connection &c)
{
    char item[TEXT_LEN];
    int flag;
    do {
        item[0] = '\0';
        MQ_enable_alarm();
        flag = MQ_get(c.msgqid, c.conn_id, item);
        MQ_disable_alarm();
    } while (flag == 0);
    return flag;
}

// Sends "set res NAME VALUE" (an empty text for no value).
void send_set(const Connection &c, const char *name, const char *value)
{
    char text[TEXT_LEN];
    snprintf(text, sizeof text, "set res %s %s", name, value ? value : "");
    send_text(c, text);
}

// Loop window item '#N': query every row, store the values served, send back what the
// server did not know, and keep the connection for the command line.
void read_loop_window(const char *item, RES_defobj *table, int rows)
{
    loop_win = Connection{};
    const char *number = item + 1;
    // The server number, kept within the int range.
    const long num = std::clamp(strtol(number, nullptr, 10), -1L, static_cast<long>(INT_MAX));
    const int msgqid = MQ_open(static_cast<int>(num));
    if (msgqid == -1) {
        MESS_print(M_WARN, "VOVadev window: %s not running or no message queue exists\n", number);
        return;
    }
    const int conn_id = MQ_connect(msgqid);
    if (conn_id == -1) {
        MESS_print(M_WARN, "VOVadev window: %s unable to connect\n", number);
        return;
    }
    const Connection c{true, msgqid, conn_id};

    char text[TEXT_LEN];
    for (int i = 0; i < rows; i++) {
        if (!has_name(table[i])) continue;
        snprintf(text, sizeof text, "query res %s", table[i].def);
        send_text(c, text);
    }

    int sets = 0;
    for (int i = 0; i < rows; i++) {
        const RES_defobj &row = table[i];
        if (!has_name(row)) continue;
        bool got = false;
        int flag;
        for (;;) {
            // Every read of the row's replies is bounded by the alarm.
            alarm(REPLY_ALARM);
            text[0] = '\0';
            flag = MQ_get(c.msgqid, c.conn_id, text);
            alarm(0);
            if (flag != 0) break;
            text[TEXT_LEN - 1] = '\0';
            if (text[0] == '\0' || text[0] == '!' || text[0] == '\n') continue;
            // The value ends in a line end, which is not part of it.
            const size_t len = strlen(text);
            if (text[len - 1] == '\n') text[len - 1] = '\0';
            RES_new(i, row.def, text, row.cvt);
            got = true;
        }
        if (!got) {
            const char *old = RES_get(row.def);
            if (old) {
                send_set(c, row.def, old);
                sets++;
            }
        }
        if (flag == -3) MESS_print(M_WARN, "VOVadev not running!\n");
    }

    signal(SIGALRM, SIG_IGN);
    for (int k = 0; k < sets; k++) drain_replies(c);
    loop_win = c;
}

// A value that could open a command: a '|' anywhere in it.  The programs split values at
// commas, colons, line ends or blanks before taking a piece as a file name (a device's name
// follows a comma, a path lists directories), so only a value without '|' surely names none.
bool may_name_command(const char *value) { return std::strchr(value, '|') != nullptr; }

// Defaults file or directory (with owned_only, only a file of the user's own that others may
// not write; it may have come with downloaded data, so no value of it that could open a
// command is taken): every entry taken is stored for each row whose name its key matches, or
// as a free-form resource when the key applies to this program.
void read_defaults_file(const char *item, const RES_defobj *table, int rows, bool owned_only)
{
    if (owned_only) DEF_open_owned(item);
    else DEF_open(item);
    char key[DEF_KEY_LEN];
    char value[DEF_VALUE_LEN];
    while (DEF_get(key, value) == 1) {
        key[DEF_KEY_LEN - 1] = '\0';
        value[DEF_VALUE_LEN - 1] = '\0';
        if (owned_only && may_name_command(value)) {
            MESS_print(M_WARN,
                       "RES_decode: %s %s ignored: no command is run from the current "
                       "directory's defaults file\n",
                       key, value);
            continue;
        }
        bool matched = false;
        for (int i = 0; i < rows; i++) {
            if (!has_name(table[i]) || !DEF_cmp(table[i].def, key)) continue;
            MESS_print(M_DEBUG_D, "RESRC: %s=%s\n", key, value);
            RES_new(i, table[i].def, value, table[i].cvt);
            matched = true;
        }
        if (!matched && DEF_valid(key)) {
            char name[DEF_KEY_LEN] = "";
            DEF_parse_name(key, name);
            name[DEF_KEY_LEN - 1] = '\0';
            if (name[0]) RES_new(VYK_MISS, name, value, CV_string);
        }
    }
    DEF_close();
}

// Walks the defaults path item by item.  A path the user named is read as named; the built-in
// one reads the current directory's file only when it is the user's own, so that starting a
// program in a directory of downloaded data does not take that directory's settings (a device
// that is a command, for one).
void read_defaults_path(RES_defobj *table, int rows)
{
    const char *res = RES_get("default");
    const std::string path = res ? res : DEFAULT_PATH;
    const bool own_path = res != nullptr;
    DEF_clr_tag();
    size_t start = 0;
    for (;;) {
        const size_t end = path.find(':', start);
        const std::string item = path.substr(start, end == std::string::npos ? std::string::npos
                                                                              : end - start);
        if (!item.empty() && item[0] == '+') {
            auto &tags = path_tags();
            tags.push_back(item.substr(1));
            DEF_tag(tags.back().c_str());
        } else if (!item.empty() && item[0] == '#') {
            read_loop_window(item.c_str(), table, rows);
        } else {
            const bool relative = item.empty() || (item[0] != '/' && item[0] != '~');
            read_defaults_file(item.c_str(), table, rows, !own_path && relative);
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

// The value of a keyed option at word i: after the first '=' of the word, else the next word
// when it is not itself an option (then from_next is set), else none.
const char *option_value(int argc, char **argv, int i, bool *from_next)
{
    *from_next = false;
    if (const char *eq = strchr(argv[i], '=')) return eq + 1;
    if (i + 1 < argc && argv[i + 1] && !is_option(argv[i + 1])) {
        *from_next = true;
        return argv[i + 1];
    }
    return nullptr;
}

// Title and defaults path from the command line, before anything else is read.
void prepass(int argc, char **argv)
{
    for (int i = 1; i < argc; i++) {
        if (!argv[i] || !is_option(argv[i])) continue;
        char name[NAME_LEN];
        option_name(argv[i] + 1, name);
        bool from_next;
        const char *value = option_value(argc, argv, i, &from_next);
        if (from_next) i++;
        if (!value) continue;
        if (is_name_option(name, false)) {
            RES_new(VYK_MISS, "name", value, CV_string);
            DEF_name(value);
        } else if (is_default_option(name, false)) {
            RES_new(VYK_MISS, "default", value, CV_string);
        }
    }
}

// The row a keyed option names: its abbreviation, else its full name, else (unless it is one of
// the options handled before) a resource name it begins; -1 for none, -2 for a word to skip.
int find_keyed_row(const char *name, const RES_defobj *table, int rows)
{
    for (int i = 0; i < rows; i++)
        if (has_name(table[i]) && table[i].cmd && stricmp(table[i].cmd, name) == 0) return i;
    for (int i = 0; i < rows; i++)
        if (has_name(table[i]) && table[i].cmd && stricmp(table[i].def, name) == 0) return i;
    if (is_name_option(name, true) || is_default_option(name, true)) return -2;
    const size_t n = strlen(name);
    for (int i = 0; i < rows; i++)
        if (has_name(table[i]) && table[i].cmd && strlen(table[i].def) >= n &&
            strnicmp(table[i].def, name, static_cast<int>(n)) == 0)
            return i;
    return -1;
}

void decode_command_line(int argc, char **argv, const RES_defobj *table, int rows)
{
    int counter = 0;
    for (int i = 1; i < argc; i++) {
        const char *w = argv[i];
        if (!w || strcmp(w, "--") == 0) continue;
        const bool single = is_option(w);
        if (single || (w[0] == '-' && w[1] == '-' && is_letter(w[2]))) {
            char name[NAME_LEN];
            option_name(w + (single ? 1 : 2), name);
            bool from_next;
            const char *value = option_value(argc, argv, i, &from_next);
            if (from_next) i++;
            const int r = find_keyed_row(name, table, rows);
            if (r == -2) continue;
            if (r == -1) {
                unknown_options().emplace_back(w);
                RES_new(VYK_MISS, name, value, CV_string);
                continue;
            }
            const RES_defobj &row = table[r];
            // A draw list switching components off begins with '-': the next word is taken
            // although it looks like an option, when it is nothing but draw words.
            if (row.cvt == CV_draw && !value && i + 1 < argc && argv[i + 1] &&
                RES_is_draw_list(argv[i + 1]))
                value = argv[++i];
            if ((row.cvt == CV_bool || row.cvt == CV_batch || row.cvt == CV_help) && from_next) {
                i--;  // the word is decoded on its own
                value = nullptr;
            }
            RES_new(r, row.def, value, row.cvt);
            if (loop_win.open) {
                send_set(loop_win, row.def, value);
                drain_replies(loop_win);
            }
            continue;
        }
        counter++;
        int r = -1;
        for (int k = 0; k < rows && r < 0; k++)
            if (has_name(table[k]) && !table[k].cmd && table[k].slot == counter) r = k;
        for (int k = 0; k < rows && r < 0; k++)
            if (has_name(table[k]) && !table[k].cmd && table[k].slot == 10) r = k;
        if (r < 0) continue;
        if (table[r].slot == 10 && counter > 1) RES_append(r, table[r].def, w, table[r].cvt);
        else RES_new(r, table[r].def, w, table[r].cvt);
    }
}

// Start-up conversions, in the order in which the resources were first created.
void convert_all(const RES_defobj *table, int rows)
{
    for (const resource *r = RES_first(); r; r = r->next) {
        if (r->index == VYK_MISS || r->index < 0 || r->index >= rows) continue;
        const RES_defobj &row = table[r->index];
        if (row.cvt == CV_strings && row.out) {
            int count = 0;
            parse_string(r->data, '\n', row.num ? row.num : &count, static_cast<char ***>(row.out));
        } else {
            RES_conv_data(r->data, row.out, row.cvt);
        }
    }
}

}  // namespace

int RES_decode(const char *progname, const char *cls, int argc, char **argv, RES_defobj *def_table)
{
    (void)progname;
    (void)cls;
    if (argc < 0 || !argv) argc = 0;
    const int rows = table_rows(def_table);

    RES_setCL(argc, argv);
    DEF_prog();
    unknown_options().clear();

    if (const char *env = getenv("vykdefault")) {
        char value[TEXT_LEN];
        strfcpy(value, env);
        RES_new(VYK_MISS, "default", value, CV_string);
    }

    prepass(argc, argv);
    loop_win = Connection{};
    read_defaults_path(def_table, rows);

    char value[DEF_VALUE_LEN];
    for (int i = 0; i < rows; i++) {
        if (!has_name(def_table[i])) continue;
        if (DEF_env(def_table[i].def, def_table[i].env, value) == 1) {
            value[DEF_VALUE_LEN - 1] = '\0';
            RES_new(i, def_table[i].def, value, def_table[i].cvt);
        }
    }

    decode_command_line(argc, argv, def_table, rows);

    if (loop_win.open) {
        send_text(loop_win, "quit");
        drain_replies(loop_win);
        loop_win = Connection{};
    }

    convert_all(def_table, rows);
    return 0;
}

const char *RES_unknown_option(int k)
{
    const std::vector<std::string> &options = unknown_options();
    return k >= 0 && static_cast<size_t>(k) < options.size() ? options[k].c_str() : nullptr;
}

int RES_init(int argc, char **argv, const res_type *res_key, const res_type *res_pos)
{
    FLAG_reset(VYK_MISS);

    RES_defobj table[RES_MAX_DEF + 1];
    int n = 0;
    int dropped = 0;
    for (const res_type *list : {res_key, res_pos}) {
        for (const res_type *k = list; k && *k != RES_null; k++) {
            if (n == RES_MAX_DEF) {
                dropped++;
                continue;
            }
            table[n] = RES_defobj{"", nullptr, nullptr, 0, CV_none, nullptr, nullptr};
            RES_enter(&table[n], *k);
            if (!table[n].def) table[n].def = "";
            n++;
        }
    }
    table[n] = RES_defobj{nullptr, nullptr, nullptr, 0, CV_none, nullptr, nullptr};
    if (dropped > 0)
        MESS_print(M_WARN, "RES_init: more than %d resource kinds, %d ignored\n", RES_MAX_DEF,
                   dropped);

    RES_decode(argc > 0 && argv ? argv[0] : "", "Vyk", argc, argv, table);

    if (const char *tz = getenv("vyktz")) DATE_set_TZ(tz);
    return 1;
}
