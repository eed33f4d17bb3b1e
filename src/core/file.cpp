// Paths, file tests and opening files.
//
// Every file of the system is named and opened here: a directory is joined to a name, a leading
// '~' becomes a home directory, the names "", "-", "std" and "stdn" stand for the standard
// streams, a name beginning '|' is a pipe to a shell command typed by the user, missing
// directories are made before writing, and the user is asked before an output file is
// overwritten.  Nothing here prints a message: failures are results (NULL streams, -1 sizes and
// codes, 0 from the tests).
//
// Names handed to the operating system hold at most FILE_NAME_MAX (159) characters.  A name that
// is longer, before or after home-directory expansion or joining with a directory, is never cut
// down (that could name another file): the operation fails.  Where a joined name has to be
// returned in the caller's 160-byte buffer, the buffer receives FILE_NAME_TOO_LONG instead, a
// name that every operation of this file refuses and that no system can open.
#include "vykmess.h"
#include "vykflag.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    /// Set by VYK_share; kept for callers that store it, read by nobody.
    int shared = 1;
    /// The streams opened by FILE_open through popen, so that FILE_close can pclose them.
    std::vector<FILE *> pipes;
};
State st;

/// Longest user name after '~'.
constexpr size_t USER_NAME_MAX = 19;

bool is_stdio(const char *name)
{
    return name[0] == '\0' || std::strcmp(name, "-") == 0 || stricmp(name, "std") == 0 ||
           stricmp(name, "stdn") == 0;
}

/// True for the marker that stands in for a name that did not fit (and names built on it).
bool is_too_long_marker(const char *name)
{
    return std::strncmp(name, FILE_NAME_TOO_LONG, std::strlen(FILE_NAME_TOO_LONG)) == 0;
}


/// Home directory of the current user: the password entry, else $HOME.  NULL when unknown.
const char *own_home()
{
    if (const passwd *pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return std::getenv("HOME");
}

/// Expands a leading '~' or '~user' of name into full.  Names without one, an unknown user and
/// a user name longer than USER_NAME_MAX give the name unchanged.
void expand_home(const char *name, std::string &full)
{
    full = name;
    if (name[0] != '~')
        return;
    const char *slash = std::strchr(name, '/');
    const size_t user_len = slash ? static_cast<size_t>(slash - name - 1) : std::strlen(name + 1);
    const char *home = nullptr;
    if (user_len == 0) {
        home = own_home();
    } else if (user_len <= USER_NAME_MAX) {
        const std::string user(name + 1, user_len);
        if (const passwd *pw = getpwnam(user.c_str()); pw != nullptr)
            home = pw->pw_dir;
    }
    if (home == nullptr)
        return;
    full = home;
    if (slash != nullptr)
        full += slash;
}

/// The name that the operating system is given for name: expanded, and no longer than
/// FILE_NAME_MAX.  False (and nothing to use) for NULL, a name that is too long, or the marker.
bool system_name(const char *name, std::string &full)
{
    if (name == nullptr || is_too_long_marker(name))
        return false;
    expand_home(name, full);
    return full.size() <= static_cast<size_t>(FILE_NAME_MAX);
}

bool stat_name(const char *name, struct stat &st)
{
    std::string full;
    return system_name(name, full) && stat(full.c_str(), &st) == 0;
}

/// Opens a plain file (never a standard stream or a pipe) for reading.
FILE *open_plain_for_reading(const char *name)
{
    if (name == nullptr || is_stdio(name) || name[0] == '|')
        return nullptr;
    struct stat st;
    // Reading the first characters of a FIFO would wait for a writer and eat its data.
    if (!stat_name(name, st) || S_ISFIFO(st.st_mode))
        return nullptr;
    std::string full;
    if (!system_name(name, full))
        return nullptr;
    return std::fopen(full.c_str(), "r");
}

void forget_pipe(FILE *fp)
{
    st.pipes.erase(std::remove(st.pipes.begin(), st.pipes.end(), fp), st.pipes.end());
}

struct Magic {
    const char *text;
    size_t length;
    int code;
};

constexpr Magic magics[] = {
    {"VYKSFC", 6, FILE_TYPE_SFC},  {"ZAZUDI", 6, FILE_TYPE_UPA},   {"DADODU", 6, FILE_TYPE_RAW},
    {"VYKGRID", 7, FILE_TYPE_GRID}, {"VYKMETA", 7, FILE_TYPE_META}, {"VYKIMG", 6, FILE_TYPE_IMAGE},
};

}  // namespace

int FILE_store_name(const char *name, char *out)
{
    if (name == nullptr) name = "";
    if (std::strlen(name) > static_cast<size_t>(FILE_NAME_MAX)) {
        std::strcpy(out, FILE_NAME_TOO_LONG);
        return -1;
    }
    strfcpy(out, FILE_NAME_MAX + 1, name);
    return 0;
}

int FILE_fullpath(const char *name)
{
    return name != nullptr && (name[0] == '/' || name[0] == '.' || name[0] == '~') ? 1 : 0;
}

char *FILE_add_path(const char *dir, const char *name, char *out)
{
    if (out == nullptr)
        return nullptr;
    if (name == nullptr || is_too_long_marker(name)) {
        std::strcpy(out, FILE_NAME_TOO_LONG);
        return out;
    }
    // Built aside first: out may be the same buffer as name or dir.
    std::string joined;
    if (!is_stdio(name) && !FILE_fullpath(name) && dir != nullptr && dir[0] != '\0') {
        joined = dir;
        if (joined.back() != '/')
            joined += '/';
    }
    joined += name;
    FILE_store_name(joined.c_str(), out);
    return out;
}

int FILE_add_path_delim(char *path)
{
    if (path == nullptr)
        return 0;
    const size_t len = std::strlen(path);
    if (len > 0 && path[len - 1] != '/') {
        path[len] = '/';
        path[len + 1] = '\0';
    }
    return 0;
}

int FILE_add_user_path(const char *name, char *out)
{
    if (out == nullptr)
        return -1;
    if (name == nullptr || is_too_long_marker(name)) {
        std::strcpy(out, FILE_NAME_TOO_LONG);
        return -1;
    }
    std::string full;
    expand_home(name, full);
    return FILE_store_name(full.c_str(), out);
}

int FILE_is_stdio(const char *name)
{
    return name != nullptr && is_stdio(name) ? 1 : 0;
}

int FILE_exist(const char *name)
{
    if (name == nullptr)
        return 0;
    if (is_stdio(name))
        return 1;
    struct stat st;
    return stat_name(name, st) ? 1 : 0;
}

int FILE_is_dir(const char *name)
{
    struct stat st;
    return stat_name(name, st) && S_ISDIR(st.st_mode) ? 1 : 0;
}

int FILE_is_file(const char *name)
{
    struct stat st;
    return stat_name(name, st) && S_ISREG(st.st_mode) ? 1 : 0;
}

int FILE_is_fifo(const char *name)
{
    struct stat st;
    return stat_name(name, st) && S_ISFIFO(st.st_mode) ? 1 : 0;
}

int FILE_is_device(const char *name)
{
    struct stat st;
    return stat_name(name, st) && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) ? 1 : 0;
}

int FILE_input_ok(const char *name, const char *who)
{
    if (name == nullptr || is_stdio(name) || name[0] == '|')
        return 1;
    struct stat st;
    // A FIFO would hold the reader until a writer comes and lose what a first look took; a
    // directory or a device is no data file.  A name that is not there fails at its opening.
    if (!stat_name(name, st) || S_ISREG(st.st_mode))
        return 1;
    MESS_print(M_WARN, "%s: not a regular file, not read: %s\n", who != nullptr ? who : "FILE_input_ok",
               name);
    return 0;
}

long FILE_size(const char *name)
{
    struct stat st;
    return stat_name(name, st) ? static_cast<long>(st.st_size) : -1;
}

int64_t FILE_modtime(const char *name)
{
    struct stat st;
    return stat_name(name, st) ? static_cast<int64_t>(st.st_mtime) : -1;
}

int FILE_delete(const char *name)
{
    // The standard-stream names stand for streams, not for files of those names.
    std::string full;
    if (name == nullptr || is_stdio(name) || !system_name(name, full))
        return -1;
    return unlink(full.c_str());
}

int FILE_make_dir(char *path, int flag)
{
    if (path == nullptr)
        return 0;
    for (char *p = path; *p != '\0'; p++)
        if (*p == '\\')
            *p = '/';
    const size_t len = std::strlen(path);
    if (len > static_cast<size_t>(FILE_NAME_MAX) || is_too_long_marker(path))
        return 0;

    // The parent is tested on disk: a parent called "-" or "std" is a directory to make, not a
    // standard stream.
    if (const char *last = std::strrchr(path, '/'); last != nullptr && last != path) {
        const std::string parent(path, static_cast<size_t>(last - path));
        struct stat st;
        if (stat_name(parent.c_str(), st))
            return 1;
    }

    int count = 0;
    char **list = nullptr;
    if (parse_string(path, '/', &count, &list) != 0 || list == nullptr)
        return 0;
    const int keep = std::min(count, count - flag);
    std::string dir;
    for (int i = 0; i < keep; i++) {
        if (list[i][0] == '\0') {
            if (dir.empty() || dir.back() != '/')
                dir += '/';
            continue;
        }
        dir += list[i];
        dir += '/';
        // An existing directory or a failure shows at the open; a directory made is said, so
        // that the user knows where the output went.
        if (mkdir(dir.c_str(), 0755) == 0)
            MESS_print(M_PRINT, "Created directory: %s\n", dir.c_str());
    }
    free_parsed_array(count, list);
    return 0;
}

int FILE_overwrite(const char *name, int kind)
{
    if (!FILE_exist(name) || is_stdio(name))
        return FILE_WRITE;
    if (const int param = FLAG_get(FLAG_FILE_PARAM); param > 0)
        return param;
    if (FLAG_batch())
        return FILE_USE;
    if (kind != 1 && kind != 2)
        return FILE_NO_QUESTION;

    std::string prompt = name;
    prompt += kind == 2 ? ": exists overwrite (Y,N,Use,Over,App): " : ": exists overwrite (Y,N,Use,Over): ";
    char answer[16] = "";
    VYK_prompts(prompt.c_str(), answer, 9);
    switch (answer[0]) {
    case 'Y': case 'y': case 'O': case 'o':
        return FILE_WRITE;
    case 'A': case 'a':
        return kind == 2 ? FILE_APPEND : FILE_USE;
    default:
        return FILE_USE;
    }
}

FILE *FILE_open(const char *name, const char *mode)
{
    if (name == nullptr || mode == nullptr || is_too_long_marker(name))
        return nullptr;
    if (is_stdio(name))
        return mode[0] == 'r' ? stdin : stdout;

    if (name[0] == '|') {
        // The one place where a shell runs: a command the user typed after '|'.  popen knows
        // only "r" and "w"; writing and appending both feed the command.
        std::fflush(stdout);
        FILE *fp = popen(name + 1, mode[0] == 'r' ? "r" : "w");
        if (fp != nullptr)
            st.pipes.push_back(fp);
        return fp;
    }

    std::string full;
    if (!system_name(name, full))
        return nullptr;
    if (mode[0] == 'w' || mode[0] == 'a') {
        char dirs[FILE_NAME_MAX + 1];
        std::memcpy(dirs, full.c_str(), full.size() + 1);
        FILE_make_dir(dirs, 1);
    }
    FILE *fp = std::fopen(full.c_str(), mode);
    if (fp != nullptr)
        forget_pipe(fp);  // a stream address left over from a pipe closed elsewhere
    return fp;
}

// Closes what FILE_open returned.  A pipe is closed with pclose and the result is the command's
// wait status as pclose gives it (0 for a command that exited with status 0, -1 when it cannot
// be collected); the standard streams are only flushed and stay open (0); any other stream is
// closed with fclose (0, or -1 on failure).  NULL gives -1.
int FILE_close(FILE *fp)
{
    if (fp == nullptr)
        return -1;
    if (fp == stdin || fp == stdout || fp == stderr) {
        if (fp != stdin)
            std::fflush(fp);
        return 0;
    }
    if (std::find(st.pipes.begin(), st.pipes.end(), fp) != st.pipes.end()) {
        forget_pipe(fp);
        return pclose(fp);
    }
    return std::fclose(fp) == 0 ? 0 : -1;
}

long FILE_output_start(FILE *fp, int append)
{
    struct stat sb;
    if (!append || fp == nullptr || fstat(fileno(fp), &sb) != 0 || !S_ISREG(sb.st_mode))
        return -1;
    return static_cast<long>(sb.st_size);
}

int FILE_close_output(FILE *fp, long start, int writer_failed)
{
    if (fp == nullptr)
        return -1;
    bool failed = std::fflush(fp) != 0 || std::ferror(fp) != 0 || writer_failed != 0;
    // The file the stream writes, found through its descriptor before it is closed.
    struct stat sb;
    const bool plain = fp != stdout && fp != stderr && fstat(fileno(fp), &sb) == 0 &&
                       S_ISREG(sb.st_mode);
    std::string path;
    if (plain) {
        char link[64], target[PATH_MAX];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(fp));
        const ssize_t n = readlink(link, target, sizeof target - 1);
        if (n > 0 && n < static_cast<ssize_t>(sizeof target - 1))
            path.assign(target, static_cast<size_t>(n));
    }
    const bool is_pipe =
        std::find(st.pipes.begin(), st.pipes.end(), fp) != st.pipes.end();
    if (FILE_close(fp) != 0 && !is_pipe)
        failed = true;
    if (!failed)
        return 0;
    // Undone only when the name still leads to the same file.
    struct stat now;
    if (plain && !path.empty() && stat(path.c_str(), &now) == 0 && now.st_dev == sb.st_dev &&
        now.st_ino == sb.st_ino) {
        const int undone = start < 0 ? unlink(path.c_str())
                                     : truncate(path.c_str(), static_cast<off_t>(start));
        static_cast<void>(undone);  // a file that cannot be undone stays as it is
    }
    return -1;
}

int FILE_type(const char *name)
{
    // Only plain files are looked at: a standard stream or a command would be read or run.
    if (name == nullptr || is_stdio(name) || name[0] == '|')
        return -1;
    FILE *fp = open_plain_for_reading(name);
    if (fp == nullptr) {
        const char *dash = std::strchr(name, '-');
        if (dash == nullptr)
            return -1;
        const std::string before(name, static_cast<size_t>(dash - name));
        fp = open_plain_for_reading(before.c_str());
        if (fp == nullptr)
            return -1;
    }
    char head[10];
    const size_t got = std::fread(head, 1, sizeof head, fp);
    std::fclose(fp);
    for (const Magic &m : magics)
        if (got >= m.length && std::memcmp(head, m.text, m.length) == 0)
            return m.code;
    return -1;
}

int VYK_share(int mode)
{
    st.shared = mode;
    return 0;
}
