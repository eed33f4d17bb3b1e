// Defaults files and the environment lookup of resources.
//
// A defaults file holds lines of a key and a value.  A key names the full name of a resource
// (program name, '.', resource name; or title, '.', resource name; or program name, '.', title
// without its '+', '.', resource name for a title beginning with '+'), where '*' stands for any
// text up to the next occurrence of the literal that follows it.  Tags and the directives DEF,
// UNDEF, IF, ELIF, ELSE and END switch groups of lines on and off; tags and open blocks carry
// over from one file to the next.
//
// Limits, and what happens at them (a text that does not fit is never cut into a shorter text
// that could then match something it was not meant to):
// - a line holds 249 characters; the rest of a longer line is skipped with a warning, so no piece
//   of it is read as a line of its own;
// - a key holds 49 characters: a longer key is skipped with a warning;
// - a value holds 199 characters: a longer one is cut to its first 199;
// - the program name and the title hold 29 characters, a full name 39 (59 in DEF_valid), an
//   environment variable name 44 ("vyk" and the full name) or 19 (the row's own variable and
//   "vyk" with the resource name): when a name would be longer, it is not built at all, so that
//   key matches nothing and that variable is not looked up;
// - blocks nest 10 deep: a block opened deeper is skipped whole with a warning, and its END
//   still closes it;
// - a defaults file name holds 79 characters: a longer one is not opened (with a warning).
#include "vykmess.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykresrc.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int LINE_MAX_LEN = 249;    // longest line of a defaults file
constexpr int KEY_MAX = DEF_KEY_LEN - 1;
constexpr size_t NAME_MAX_LEN = 29;  // program name and title
constexpr size_t FULL_MAX = 39;      // full name of a resource
constexpr size_t VALID_FULL_MAX = 59;
constexpr size_t ENV_FULL_MAX = 44;  // "vyk" and the full name
constexpr size_t ENV_MAX = 19;       // the row's variable, "vyk" and the resource name
constexpr size_t FILE_MAX = 79;      // defaults file name
constexpr int MAX_TAG = 10;
constexpr int MAX_LEVEL = 10;

// Conditional levels.
constexpr int LEVEL_SKIP = 0;   // no branch taken yet
constexpr int LEVEL_TAKE = 1;   // this branch is being taken
constexpr int LEVEL_DONE = 99;  // a branch was taken already

// The component's state; the member initialisers are the start values.
struct State {
    std::string prog_name = "Vyk";
    std::string prog_title;
    FILE *def_file = nullptr;
    std::string tag[MAX_TAG];
    int num_tag = 0;
    int match[MAX_LEVEL] = {};
    int num_match = 0;  // open levels, those nested beyond MAX_LEVEL included
    int matches = 1;
};
State st;

bool is_blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

/// Builds the full name of the resource resrc into out; false when it would be longer than max
/// characters (or the program name or title does not fit its own limit).
bool full_name(const char *resrc, size_t max, std::string &out)
{
    if (st.prog_name.size() > NAME_MAX_LEN || st.prog_title.size() > NAME_MAX_LEN) return false;
    if (st.prog_title.empty()) out = st.prog_name + "." + resrc;
    else if (st.prog_title[0] == '+')
        out = st.prog_name + "." + st.prog_title.substr(1) + "." + resrc;
    else out = st.prog_title + "." + resrc;
    return out.size() <= max;
}

/// Matches key against the full name name: '*' in the key stands for any text up to the first
/// occurrence of the literal that follows it (up to the next '*' or the key's end).
int match_key(const char *name, const char *key)
{
    const char *n = name;
    const char *k = key;
    while (*n && *k) {
        if (*k == '*') {
            k++;
            const char *end = std::strchr(k, '*');
            const std::string literal(k, end ? static_cast<size_t>(end - k) : std::strlen(k));
            n = std::strstr(n, literal.c_str());
            if (!n) return 0;
        }
        if (*n != *k) return 0;
        n++;
        k++;
    }
    return (*n == '\0' && *k == '\0') ? 1 : 0;
}

bool tag_defined(const std::string &word)
{
    for (int i = 0; i < st.num_tag; i++)
        if (stricmp(st.tag[i].c_str(), word.c_str()) == 0) return true;
    return false;
}

void add_tag(const std::string &word)
{
    if (st.num_tag < MAX_TAG) st.tag[st.num_tag++] = word;
}

void remove_tag(const std::string &word)
{
    for (int i = 0; i < st.num_tag; i++) {
        if (stricmp(st.tag[i].c_str(), word.c_str()) != 0) continue;
        for (int j = i; j + 1 < st.num_tag; j++) st.tag[j] = std::move(st.tag[j + 1]);
        st.tag[--st.num_tag].clear();
        return;
    }
}

void recompute_matches()
{
    st.matches = st.num_match <= MAX_LEVEL ? 1 : 0;
    for (int i = 0; i < st.num_match && i < MAX_LEVEL; i++)
        if (st.match[i] != LEVEL_TAKE) st.matches = 0;
}

void open_level(int value)
{
    if (st.num_match >= MAX_LEVEL)
        MESS_print(M_WARN, "DEF_get: if nested deeper than %d levels, block skipped\n", MAX_LEVEL);
    else
        st.match[st.num_match] = value;
    st.num_match++;
}

/// The innermost level on ELSE or ELIF: DONE once a branch was taken, else what cond says.
/// A level nested too deeply stays skipped.
void next_branch(bool cond)
{
    if (st.num_match > MAX_LEVEL) return;
    int &m = st.match[st.num_match - 1];
    m = m != LEVEL_SKIP ? LEVEL_DONE : (cond ? LEVEL_TAKE : LEVEL_SKIP);
}

/// Reads one line of at most LINE_MAX_LEN characters into buf; the rest of a longer line is
/// skipped with a warning (the newline stays in the stream, as the line readers leave it).
/// Returns the line's length or -1 at the end of the file.
int read_line(FILE *fp, char *buf)
{
    const int n = fgetnline(fp, buf, LINE_MAX_LEN);
    if (n < LINE_MAX_LEN) return n;
    int c = getc(fp);
    if (c == '\n') ungetc(c, fp);
    if (c == '\n' || c == EOF) return n;
    while (c != EOF && c != '\n') c = getc(fp);
    if (c == '\n') ungetc(c, fp);
    MESS_print(M_WARN, "DEF_get: line too long, rest skipped\n");
    return n;
}

// Whether the open file is the user's own and only the user may write it (as ssh and git
// want of the files they take commands from).
bool owned_by_user(FILE *fp)
{
    struct stat sb;
    return fstat(fileno(fp), &sb) == 0 && sb.st_uid == getuid() &&
           (sb.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The file a defaults path item names (a directory gives its first defaults file), opened.
// With owned_only a file that is not the user's own, or that others may write, is not read.
int open_defaults(const char *filename, bool owned_only)
{
    std::string name = (filename && *filename) ? filename : ".vykdef";
    if (FILE_is_dir(name.c_str())) {
        if (name.back() != '/') name += '/';
        const std::string dir = name;
        for (const char *file : {"vyk.cfg", ".vykdef", "Vyk.res"}) {
            name = dir + file;
            if (FILE_exist(name.c_str())) break;
        }
    }
    DEF_close();
    if (name.size() > FILE_MAX) {
        MESS_print(M_WARN, "DEF_open: file name too long: %s\n", name.c_str());
        return -1;
    }
    st.def_file = FILE_open(name.c_str(), "r");
    if (st.def_file && owned_only && !owned_by_user(st.def_file)) {
        MESS_print(M_WARN, "DEF_open: %s ignored: not your own or writable by others\n",
                   name.c_str());
        DEF_close();
    }
    return st.def_file ? 0 : -1;
}

}  // namespace

int DEF_open(const char *filename) { return open_defaults(filename, false); }

int DEF_open_owned(const char *filename) { return open_defaults(filename, true); }

int DEF_close()
{
    if (st.def_file) FILE_close(st.def_file);
    st.def_file = nullptr;
    return 0;
}

int DEF_prog()
{
    const char *first = RES_get_prog();
    if (!first) return 0;
    // A buffer longer than the limit, so that a name too long to use is seen as such.
    char base[NAME_MAX_LEN + 2];
    RES_get_progname(base, sizeof base);
    st.prog_name = base;
    return 0;
}

int DEF_name(const char *name)
{
    st.prog_title = name ? name : "";
    return 0;
}

int DEF_title(const char *title) { return DEF_name(title); }

int DEF_clr_tag()
{
    for (int i = 0; i < st.num_tag; i++) st.tag[i].clear();
    st.num_tag = 0;
    return 0;
}

int DEF_tag(const char *str)
{
    if (!str || st.num_tag >= MAX_TAG) return -1;
    add_tag(str);
    return 0;
}

int DEF_get(char *resrc, char *value)
{
    if (!resrc || !value || !st.def_file) return -1;
    char line[LINE_MAX_LEN + 1];
    int n;
    while ((n = read_line(st.def_file, line)) >= 0) {
        if (line[0] == '#') continue;
        // The key is the first word, the value the second.
        const char *p = line;
        while (is_blank(*p)) p++;
        if (!*p) continue;
        const char *key = p;
        while (*p && !is_blank(*p)) p++;
        const size_t key_len = static_cast<size_t>(p - key);
        while (is_blank(*p)) p++;
        const char *val = *p ? p : nullptr;
        size_t val_len = 0;
        if (val) {
            while (*p && !is_blank(*p)) p++;
            val_len = static_cast<size_t>(p - val);
        }
        const std::string word0(key, key_len);
        const std::string word1 = val ? std::string(val, val_len) : std::string();

        if (val && word0 == "DEF") {
            add_tag(word1);
        } else if (val && word0 == "UNDEF") {
            remove_tag(word1);
        } else if (val && word0 == "IF") {
            open_level(tag_defined(word1) ? LEVEL_TAKE : LEVEL_SKIP);
            recompute_matches();
            continue;
        } else if (word0 == "ELSE") {
            if (st.num_match == 0) MESS_print(M_WARN, "DEF_get: else without an if\n");
            else next_branch(true);
            recompute_matches();
            continue;
        } else if (val && word0 == "ELIF") {
            if (st.num_match == 0) MESS_print(M_WARN, "DEF_get: elif without an if\n");
            else next_branch(tag_defined(word1));
            recompute_matches();
            continue;
        } else if (word0 == "END") {
            if (st.num_match == 0) MESS_print(M_WARN, "DEF_get: end without an if\n");
            else st.num_match--;
            recompute_matches();
            continue;
        }

        if (!val || !st.matches) continue;

        size_t klen = key_len;
        if (klen > 0 && key[klen - 1] == ':') klen--;
        if (klen > static_cast<size_t>(KEY_MAX)) {
            MESS_print(M_WARN, "DEF_get: key too long, skipped: %.*s\n", static_cast<int>(klen),
                       key);
            continue;
        }
        for (size_t i = 0; i < klen; i++)
            resrc[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[i])));
        resrc[klen] = '\0';

        if (*val == '"') {
            const char *start = val + 1;
            const char *end = std::strchr(start, '"');
            const size_t n = end ? static_cast<size_t>(end - start) : SIZE_MAX;
            strfcpy(value, DEF_VALUE_LEN, start, n);
        } else {
            strfcpy(value, DEF_VALUE_LEN, val, val_len);
        }
        return 1;
    }
    return -1;
}

int DEF_cmp(const char *resrc, const char *string)
{
    if (!resrc || !string) return 0;
    std::string name;
    if (!full_name(resrc, FULL_MAX, name)) return 0;
    return match_key(name.c_str(), string);
}

int DEF_valid(const char *string)
{
    if (!string) return 0;
    char last[DEF_KEY_LEN];
    DEF_parse_name(string, last);
    std::string name;
    if (!full_name(last, VALID_FULL_MAX, name)) return 0;
    return match_key(name.c_str(), string);
}

// The key's last component: the text after its last '.' or '*'.  Keys hold at most 49
// characters, and so does what is copied (ostr holds DEF_KEY_LEN bytes).
int DEF_parse_name(const char *str, char *ostr)
{
    if (!ostr) return 1;
    if (!str) {
        ostr[0] = '\0';
        return 1;
    }
    const char *last = str;
    for (const char *p = str; *p; p++)
        if (*p == '.' || *p == '*') last = p + 1;
    strfcpy(ostr, DEF_KEY_LEN, last);
    return 1;
}

int DEF_env(const char *resrc, const char *env, char *value)
{
    if (!resrc || !value) return 0;
    const char *found = nullptr;
    std::string name;
    if (full_name(resrc, ENV_FULL_MAX - 3, name)) found = std::getenv(("vyk" + name).c_str());
    if (!found && env && *env && std::strlen(env) <= ENV_MAX) found = std::getenv(env);
    if (!found) {
        name = std::string("vyk") + resrc;
        if (name.size() <= ENV_MAX) found = std::getenv(name.c_str());
    }
    if (!found) return 0;
    strfcpy(value, DEF_VALUE_LEN, found);
    return 1;
}
