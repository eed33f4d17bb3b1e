// Levelled messages: one printf-style call with a class mask, shown only when the mask meets
// the mask in force, copied to log files and paged on the terminal.
#include "vykmess.h"
#include "vykflag.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykdate.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"
#include "vykmq.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    M_type mess_level = M_PRINT | M_ERROR | M_WARN | M_MESS | M_OUT1 | M_OUT2;
    int mess_set = 0;       // how many times the user has set the mask
    int mess_out = 1;       // 1 screen, 0 file only, -1 log with time prefix, 2 reopened file
    int page = 1;           // 0 never wait, 1 explicit holds only, 2 every max_lines lines
    int max_lines = 22;
    int lines = 0;
    FILE *ofile = nullptr;  // copy file of MESS_file
    FILE *pfile = nullptr;  // log file of the message option list
    char filename[FILE_NAME_MAX + 1] = "";  // file of the "dfi" option
};
State st;

constexpr M_type ERROR_OR_WARN = M_ERROR | M_WARN;

// Every bit below the highest bit of level set too.
M_type fill_below(M_type level)
{
    if (level == 0) return 0;
    M_type top = 1u << (31 - __builtin_clz(level));
    return top | (top - 1);
}

// Replaces the log stream by a new one (closing the old).
void set_pfile(FILE *fp)
{
    if (st.pfile) FILE_close(st.pfile);
    st.pfile = fp;
}

// The file name of a log option: the text from position `from` on; NULL when none.
const char *option_file(const char *item, size_t from)
{
    return strlen(item) > from ? item + from : nullptr;
}

// Opens the log file named by an option from position `from` on; an unusable name leaves no log.
void open_log(const char *item, size_t from, const char *access)
{
    const char *name = option_file(item, from);
    set_pfile(name ? FILE_open(name, access) : nullptr);
}

// The class mask named by a word without its sign; 0 for none and unknown words.
M_type class_mask(const char *word)
{
    static const struct {
        const char *name;
        int len;
        M_type mask;
    } classes[] = {
        {"none", 4, 0},          {"print", 5, M_PRINT}, {"error", 5, M_ERROR},
        {"warn", 4, M_WARN},     {"mess", 4, M_MESS},   {"out1", 4, M_OUT1},
        {"out2", 4, M_OUT2},     {"out3", 4, M_OUT3},   {"out4", 4, M_OUT4},
        {"debug", 5, M_DEBUG},
    };
    M_type mask = 0;
    for (const auto &c : classes) {
        if (strnicmp(word, c.name, c.len) == 0) {
            mask = c.mask;
            break;
        }
    }
    size_t n = strlen(word);
    if (n > 0) {
        switch (word[n - 1]) {
        case 'a': mask &= M_SUB_A; break;
        case 'b': mask &= M_SUB_B; break;
        case 'c': mask &= M_SUB_C; break;
        case 'd': mask &= M_SUB_D; break;
        default: break;
        }
    }
    return mask;
}

void apply_item(const char *item)
{
    if (strnicmp(item, "@fi", 3) == 0) {
        open_log(item, 4, "a");
        st.mess_out = -1;
    } else if (strnicmp(item, "+fi", 3) == 0) {
        open_log(item, 4, "a");
        st.mess_out = 1;
    } else if (strnicmp(item, "-fi", 3) == 0) {
        open_log(item, 4, "w");
        st.mess_out = 1;
    } else if (strnicmp(item, "dfi", 3) == 0) {
        set_pfile(nullptr);
        // A name too long for the system is refused, never cut into another file's name.
        const char *name = option_file(item, 4);
        if (name && strlen(name) <= FILE_NAME_MAX) strfcpy(st.filename, name);
        else st.filename[0] = '\0';
        st.mess_out = 2;
    } else if (strnicmp(item, "fi", 2) == 0) {
        // File only; when the file cannot be opened the messages stay on the screen.
        open_log(item, 3, "a");
        st.mess_out = st.pfile ? 0 : 1;
    } else if (stricmp(item, "nopage") == 0) {
        st.page = 0;
    } else if (stricmp(item, "page") == 0) {
        st.page = 2;
    } else if (strnicmp(item, "line", 4) == 0) {
        long n = strlen(item) > 5 ? strtol(item + 5, nullptr, 10) : 0;
        st.max_lines = n > 0 && n <= 1000000 ? static_cast<int>(n) : State{}.max_lines;
    } else {
        char sign = item[0];
        if (sign == '+' || sign == '-') item++;
        M_type mask = class_mask(item);
        if (sign == '+') st.mess_level |= mask;
        else if (sign == '-') st.mess_level &= ~mask;
        else st.mess_level = fill_below(mask);
    }
}

int count_newlines(const char *text)
{
    int n = 0;
    for (; *text; text++)
        if (*text == '\n') n++;
    return n;
}

}  // namespace

int MESS_print(M_type type, const char *format, ...)
{
    if (!(type & st.mess_level)) return 0;

    // Format once; every destination receives the same text.
    char small[1024];
    std::vector<char> large;
    char *text = small;
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(small, sizeof small, format, ap);
    va_end(ap);
    if (n < 0) return 0;
    if (static_cast<size_t>(n) >= sizeof small) {
        large.resize(static_cast<size_t>(n) + 1);
        va_start(ap, format);
        vsnprintf(large.data(), large.size(), format, ap);
        va_end(ap);
        text = large.data();
    }
    size_t len = static_cast<size_t>(n);

    if (st.ofile) {
        fwrite(text, 1, len, st.ofile);
        fflush(st.ofile);
    }
    if (st.mess_out == 2 && st.filename[0]) st.pfile = FILE_open(st.filename, "a");
    if (st.pfile) {
        if (st.mess_out == -1) {
            char now[DATE_STR_LEN];
            DATE_get_current_str(now);
            fprintf(st.pfile, "%s -- ", now);
        }
        fwrite(text, 1, len, st.pfile);
        fflush(st.pfile);
    }
    if (st.mess_out == 2 && st.pfile) {
        FILE_close(st.pfile);
        st.pfile = nullptr;
    }
    if (st.mess_out == 0) return 0;

    FILE *screen = (type & ERROR_OR_WARN) ? stderr : stdout;
    fwrite(text, 1, len, screen);
    if (screen == stderr) fflush(stderr);

    if (st.page == 2) {
        st.lines += count_newlines(format);
        if (st.lines > st.max_lines) MESS_hold(type, "Press return to continue\n");
    }
    return 1;
}

int MESS_set(int oper, M_type level)
{
    if (oper <= MESS_USER_MAX) st.mess_set++;
    if (oper >= MESS_DEF_MIN && st.mess_set != 0) return 0;
    switch (oper) {
    case MESS_USER_SET: case MESS_PROG_SET: case MESS_DEF_SET:
        st.mess_level = fill_below(level);
        break;
    case MESS_USER_ADD: case MESS_PROG_ADD: case MESS_DEF_ADD:
        st.mess_level |= level;
        break;
    case MESS_USER_CLEAR: case MESS_PROG_CLEAR: case MESS_DEF_CLEAR:
        st.mess_level &= ~level;
        break;
    default: break;
    }
    return 0;
}

int MESS_set_str(const char *str)
{
    st.mess_set++;
    int count = 0;
    char **items = nullptr;
    if (parse_string(str, ',', &count, &items) != 0) return 0;
    for (int i = 0; i < count; i++) apply_item(items[i]);
    free_parsed_array(count, items);
    return 0;
}

M_type MESS_get() { return st.mess_level; }

int MESS_check(M_type level) { return (level & st.mess_level) ? 1 : 0; }

int MESS_check_set() { return st.mess_set; }

int MESS_file(const char *name, const char *access)
{
    MESS_file_close();
    st.ofile = FILE_open(name, access);
    return 0;
}

int MESS_file_close()
{
    if (st.ofile) FILE_close(st.ofile);
    st.ofile = nullptr;
    return 0;
}

int MESS_set_out(int val)
{
    st.mess_out = val;
    return 0;
}

int MESS_set_page(int val)
{
    st.page = val;
    return 0;
}

int MESS_get_max_lines() { return st.max_lines; }

int MESS_hold(M_type type, const char *mess)
{
    if (!(type & st.mess_level) || st.mess_out == 0 || FLAG_batch() || st.page == 0) return 0;
    bool both = (type & M_ERROR) && (type & M_WARN);
    FILE *screen = both ? stderr : stdout;
    fprintf(screen, "%s", mess);
    fflush(screen);
    (void)getchar();
    st.lines = 0;
    return 0;
}

int MESS_print_prog(const char *string)
{
    MESS_print(M_MESS, "      %s (Ver %s)\n\n", string, VYK_version());
    return 0;
}
