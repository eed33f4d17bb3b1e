// System services: the version text, ending the program, the table of background children,
// running a program or a function in a child process, and detaching into the background.
#include "vykmess.h"
#include "vykstr.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr const char *version_text = "5.60.2-LINUX-X11";
constexpr int PATH_FIELD = 70;  // redirection paths: at most 69 characters

// The component's state; the member initialisers are the start values.
struct State {
    proc_item procs[VYK_MAX_PROC] = {
        {0, "", -1}, {0, "", -1}, {0, "", -1}, {0, "", -1}, {0, "", -1},
        {0, "", -1}, {0, "", -1}, {0, "", -1}, {0, "", -1}, {0, "", -1},
    };
    int num_proc = 0;
    char proc_infile[PATH_FIELD] = "";
    char proc_outfile[PATH_FIELD] = "";
};
State st;

bool valid_slot(int proc) { return proc >= 0 && proc < VYK_MAX_PROC; }

// Copies a path into a redirection field; a path that does not fit is refused (truncating it
// would name another file) and switches that redirection off.
int set_path(char *field, const char *name, const char *func)
{
    if (!name) name = "";
    size_t len = strlen(name);
    if (len >= PATH_FIELD) {
        MESS_print(M_WARN, "%s: file name longer than %d characters, redirection off: %s\n", func,
                   PATH_FIELD - 1, name);
        field[0] = '\0';
        return 0;
    }
    memcpy(field, name, len + 1);
    return 1;
}

// Reopens descriptor fd on path; false when the file cannot be opened.
bool reopen(int fd, const char *path, int flags)
{
    int nfd = open(path, flags, 0666);
    if (nfd < 0) return false;
    if (nfd != fd) {
        if (dup2(nfd, fd) < 0) {
            close(nfd);
            return false;
        }
        close(nfd);
    }
    return true;
}

// Status of an ended child: its exit status, or 128 + the number of the signal that ended it.
int child_status(int status)
{
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 0;
}

// Waits until child pid ends; background children of the table that end meanwhile give up
// their slots.  Returns the child's status, or -1 when it cannot be waited for.
int wait_child(pid_t pid)
{
    for (;;) {
        int status = 0;
        pid_t got = wait(&status);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == pid) return child_status(status);
        int slot = VYK_proc(static_cast<int>(got));
        if (slot >= 0) VYK_clr_proc(slot);
    }
}

// Forks after flushing every stream (the child repeats no buffered output); the child takes
// the default interrupt handling.  -1 after a message when the system cannot fork.
pid_t start_child(const char *func)
{
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) MESS_print(M_WARN, "%s: cannot fork: %s\n", func, strerror(errno));
    if (pid == 0) signal(SIGINT, SIG_DFL);
    return pid;
}

}  // namespace

const char *VYK_version() { return version_text; }

void VYK_exit(int status) { std::exit(status); }

int VYK_get_pid() { return static_cast<int>(getpid()); }

// ---------------------------------------------------------------------------------------------
// Background-process table
// ---------------------------------------------------------------------------------------------

int VYK_add_proc(int pid, const char *name)
{
    for (int i = 0; i < VYK_MAX_PROC; i++) {
        if (st.procs[i].id != -1) continue;
        st.procs[i].id = pid;
        strfcpy(st.procs[i].name, name);
        if (i >= st.num_proc) st.num_proc++;
        return i;
    }
    return -1;
}

int VYK_numproc() { return st.num_proc; }

int VYK_proc(int pid)
{
    for (int i = 0; i < VYK_MAX_PROC; i++)
        if (st.procs[i].id == pid) return i;
    return -1;
}

int VYK_proc_id(int proc) { return valid_slot(proc) ? st.procs[proc].id : -1; }

const char *VYK_proc_name(int proc) { return valid_slot(proc) ? st.procs[proc].name : ""; }

int VYK_set_proc(int proc, int value)
{
    if (!valid_slot(proc)) return -1;
    st.procs[proc].id = value;
    return 0;
}

int VYK_clr_proc(int proc)
{
    if (!valid_slot(proc)) return -1;
    st.procs[proc].id = -1;
    st.procs[proc].name[0] = '\0';
    return 0;
}

int VYK_chk_proc(int proc)
{
    if (!valid_slot(proc)) return 0;
    // Process id 0 would probe the whole process group: it names no child.
    if (st.procs[proc].id <= 0) return 0;
    if (kill(st.procs[proc].id, 0) == 0) return 1;
    VYK_clr_proc(proc);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Running children
// ---------------------------------------------------------------------------------------------

int VYK_set_outfile(const char *name) { return set_path(st.proc_outfile, name, "VYK_set_outfile"); }

int VYK_set_infile(const char *name) { return set_path(st.proc_infile, name, "VYK_set_infile"); }

int VYK_run(const char *filename, char *const *argv, char *const *env, int flag)
{
    const bool background = flag & 2;
    if (background && st.num_proc >= VYK_MAX_PROC) return 0;
    if (!filename) filename = "";
    char *fallback[2] = {const_cast<char *>(filename), nullptr};
    if (!argv || !argv[0]) argv = fallback;

    const pid_t pid = start_child("VYK_run");
    if (pid < 0) return -1;
    if (pid == 0) {
        if (flag & 1) {
            if (chdir(filename) != 0) { /* stays in the current directory */ }
        }
        // A background child reads /dev/null unless given an input file.
        const char *in = background && !st.proc_infile[0] ? "/dev/null" : st.proc_infile;
        if (in[0] && !reopen(0, in, O_RDONLY)) _exit(VYK_EXIT_REDIRECT);
        if (st.proc_outfile[0] && !reopen(1, st.proc_outfile, O_WRONLY | O_CREAT | O_TRUNC))
            _exit(VYK_EXIT_REDIRECT);
        if (background) setpgid(0, 0);
        if (env) environ = const_cast<char **>(env);
        execvp(filename, argv);
        std::string text = std::string("Running ") + filename;
        perror(text.c_str());
        _exit(VYK_EXIT_EXEC);
    }
    if (background) return VYK_add_proc(static_cast<int>(pid), argv[0]);
    return wait_child(pid);
}

int VYK_run_func(int (*func)(int), int arg)
{
    const pid_t pid = start_child("VYK_run_func");
    if (pid < 0) return -1;
    if (pid == 0) {
        int result = func ? func(arg) : 0;
        // The child's own output is written; the parent's exit handlers stay the parent's.
        fflush(nullptr);
        _exit(result);
    }
    return wait_child(pid);
}

int VYK_back_proc()
{
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) {
        MESS_print(M_WARN, "VYK_back_proc: cannot fork, continuing in the foreground\n");
        return 1;
    }
    // The foreground side ends at once: its exit handlers and buffers belong to the background.
    if (pid > 0) _exit(VYK_EXIT_OK);

    signal(SIGINT, SIG_DFL);
    // Open first, so that a failure leaves the standard streams in place rather than closed
    // (closed descriptors 0 to 2 would be handed to the next files opened).
    int fd = open("/dev/null", O_RDWR);
    if (fd < 0) return 0;
    for (int std_fd = 0; std_fd <= 2; std_fd++)
        if (fd != std_fd) dup2(fd, std_fd);
    if (fd > 2) close(fd);
    setpgid(0, 0);
    return 1;
}
