#include "test_util.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <csignal>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vyktest {

TempDir::TempDir()
{
    char tmpl[] = "/tmp/vyktest.XXXXXX";
    if (!mkdtemp(tmpl)) abort();
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(const std::string &name) const { return path_ + "/" + name; }

std::string quote(const std::string &text)
{
    std::string q = "'";
    for (char c : text) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

bool has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

int count(const std::string &text, const std::string &part)
{
    int n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) n++;
    return n;
}

bool has_line(const std::vector<std::string> &lines, const std::string &line)
{
    for (const std::string &l : lines)
        if (l == line) return true;
    return false;
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

RunResult run(const std::string &command, const std::string &input)
{
    TempDir dir;
    write_file(dir.file("in"), input);
    std::string line = "(" + command + ") <" + dir.file("in") + " >" + dir.file("out") + " 2>" +
                       dir.file("err");
    fflush(nullptr);
    int st = std::system(line.c_str());
    RunResult r;
    if (st != -1) {
        if (WIFEXITED(st)) r.status = WEXITSTATUS(st);
        else if (WIFSIGNALED(st)) r.status = 128 + WTERMSIG(st);
    }
    r.out = read_file(dir.file("out"));
    r.err = read_file(dir.file("err"));
    return r;
}

std::string tool(const std::string &name) { return std::string(VYK_TEST_TOOLS_DIR) + "/" + name; }

std::string data(const std::string &name) { return std::string(VYK_TEST_DATA_DIR) + "/" + name; }

CaptureStdio::CaptureStdio()
{
    char o[] = "/tmp/vykout.XXXXXX", e[] = "/tmp/vykerr.XXXXXX";
    int fo = mkstemp(o), fe = mkstemp(e);
    out_path_ = o;
    err_path_ = e;
    fflush(stdout);
    fflush(stderr);
    saved_out_ = dup(1);
    saved_err_ = dup(2);
    dup2(fo, 1);
    dup2(fe, 2);
    close(fo);
    close(fe);
}

void CaptureStdio::finish()
{
    if (done_) return;
    done_ = true;
    fflush(stdout);
    fflush(stderr);
    dup2(saved_out_, 1);
    dup2(saved_err_, 2);
    close(saved_out_);
    close(saved_err_);
    out_ = read_file(out_path_);
    err_ = read_file(err_path_);
    unlink(out_path_.c_str());
    unlink(err_path_.c_str());
}

CaptureStdio::~CaptureStdio() { finish(); }

PrivateX::PrivateX(const std::string &screen, bool set_display)
{
    if (const char *d = std::getenv("DISPLAY")) {
        had_display_ = true;
        saved_display_ = d;
    }
    int fds[2];
    if (pipe(fds) != 0) return;
    fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) {
        name_ = ":" + number;
        if (set_display) use();
    }
}

void PrivateX::use() const
{
    setenv("DISPLAY", name_.c_str(), 1);
}

PrivateX::~PrivateX()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (had_display_) setenv("DISPLAY", saved_display_.c_str(), 1);
    else unsetenv("DISPLAY");
}

ByteStream::ByteStream(const std::string &content)
{
    fp_ = tmpfile();
    if (fp_ != nullptr) {
        fwrite(content.data(), 1, content.size(), fp_);
        rewind(fp_);
    }
}

ByteStream::~ByteStream()
{
    if (fp_ != nullptr) fclose(fp_);
}

ToolProcess::ToolProcess(const std::string &path, const std::vector<std::string> &args,
                         const std::vector<std::string> &env)
{
    int fds[2];
    if (pipe(fds) != 0) return;
    fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        if (fds[1] != 1) close(fds[1]);
        for (const std::string &e : env) {
            const size_t eq = e.find('=');
            if (eq != std::string::npos) setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
        }
        std::vector<char *> argv{const_cast<char *>(path.c_str())};
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    fd_ = fds[0];
}

ToolProcess::~ToolProcess()
{
    if (fd_ >= 0) close(fd_);
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool ToolProcess::line(std::string &out, int timeout_ms)
{
    for (;;) {
        const size_t nl = buffer_.find('\n');
        if (nl != std::string::npos) {
            out = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            all_ += out + "\n";
            return true;
        }
        if (fd_ < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0) return false;
        char chunk[512];
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n <= 0) {
            close(fd_);
            fd_ = -1;
            if (!buffer_.empty()) buffer_ += '\n';
            continue;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

std::string ToolProcess::wait_for(const std::string &prefix, int timeout_ms)
{
    std::string l;
    while (line(l, timeout_ms))
        if (l.compare(0, prefix.size(), prefix) == 0) return l;
    return "";
}

std::vector<std::string> ToolProcess::rest(int timeout_ms)
{
    std::vector<std::string> lines;
    std::string l;
    while (line(l, timeout_ms)) lines.push_back(l);
    return lines;
}

bool ToolProcess::running()
{
    int st = 0;
    if (pid_ <= 0 || ended_) return false;
    if (waitpid(pid_, &st, WNOHANG) != pid_) return true;
    ended_ = true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return false;
}

int ToolProcess::status(int limit_ms)
{
    if (limit_ms >= 0) {
        for (int waited = 0; waited < limit_ms && running(); waited += 100) usleep(100000);
        return ended_ ? status_ : -1;
    }
    int st = 0;
    if (ended_) return status_;
    if (pid_ <= 0 || waitpid(pid_, &st, 0) != pid_) return -1;
    ended_ = true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return status_;
}

}  // namespace vyktest

// ---------------------------------------------------------------------------------------------
// Allocation watch
// ---------------------------------------------------------------------------------------------

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's interface (its header does not come with every compiler).
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*malloc_hook)(const volatile void *, size_t), void (*free_hook)(const volatile void *));
#define VYK_ALLOCATION_HOOKS 1
#endif

namespace {

std::atomic<bool> watching{false};
std::atomic<size_t> largest_allocation{0};

[[maybe_unused]] void on_allocation(const volatile void *, size_t size)
{
    if (!watching.load(std::memory_order_relaxed)) return;
    size_t seen = largest_allocation.load(std::memory_order_relaxed);
    while (size > seen && !largest_allocation.compare_exchange_weak(seen, size)) {
    }
}

[[maybe_unused]] void on_release(const volatile void *) {}

}  // namespace

namespace vyktest {

AllocationWatch::AllocationWatch()
{
#ifdef VYK_ALLOCATION_HOOKS
    // The hooks cannot be removed: they are installed once and switched on and off.
    static const bool installed =
        (__sanitizer_install_malloc_and_free_hooks(on_allocation, on_release), true);
    (void)installed;
#endif
    largest_allocation = 0;
    watching = true;
}

AllocationWatch::~AllocationWatch() { watching = false; }

size_t AllocationWatch::largest() const { return largest_allocation.load(); }

}  // namespace vyktest

// ---------------------------------------------------------------------------------------------
// A full disk
// ---------------------------------------------------------------------------------------------

namespace {

bool write_proc(const char *file, const std::string &text)
{
    const int fd = open(file, O_WRONLY);
    if (fd < 0) return false;
    const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return ok;
}

// In the child: a private mount namespace with a full tmpfs on dir, room bytes (whole pages)
// left; false when none can be made.
bool make_full_disk(const std::string &dir, size_t room)
{
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWNS) != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        write_proc("/proc/self/setgroups", "deny");
        if (!write_proc("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !write_proc("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return false;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
        return false;
    // Every block taken by a file of filler.
    const int fd = open((dir + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    if (fd < 0) return false;
    const std::string block(4096, 'f');
    off_t size = 0;
    for (ssize_t n; (n = write(fd, block.data(), block.size())) > 0;) size += n;
    while (write(fd, block.data(), 1) > 0) size++;
    const off_t keep = size > static_cast<off_t>(room) ? size - static_cast<off_t>(room) : 0;
    const bool made = room == 0 || ftruncate(fd, keep) == 0;
    close(fd);
    return made;
}

}  // namespace

namespace vyktest {

std::string on_full_disk(const std::function<std::string(const std::string &dir)> &body,
                         size_t room)
{
    TempDir top;
    const std::string dir = top.file("full");
    mkdir(dir.c_str(), 0700);
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return "no fork";
    if (pid == 0) {
        close(fds[0]);
        const std::string text = body(make_full_disk(dir, room) ? dir : "");
        const bool sent =
            write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    std::string text;
    char chunk[512];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "crashed";
}

const char *fault_name(OutputFault fault)
{
    switch (fault) {
    case OutputFault::full_disk: return "full disk";
    case OutputFault::short_disk: return "short disk";
    case OutputFault::full_device: return "full device";
    }
    return "";
}

std::string run_on_output_fault(OutputFault fault, const std::string &name,
                                const std::function<std::string(const std::string &path)> &command)
{
    auto outcome = [](const RunResult &r, const std::string &path) {
        return std::string(r.status == 0 ? "status 0" : "failed") +
               (has(r.err + r.out, path) ? " named" : " silent");
    };
    if (fault == OutputFault::full_device) {
        // A node of its own: the system's /dev/full is never handed to a writer.
        TempDir dir;
        const std::string path = dir.file(name);
        if (mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) return "";
        const RunResult r = run(command(path));
        struct stat sb;
        const bool kept = lstat(path.c_str(), &sb) == 0 && S_ISCHR(sb.st_mode) &&
                          sb.st_rdev == makedev(1, 7);
        return outcome(r, path) + (kept ? " kept" : " lost");
    }
    const size_t room = fault == OutputFault::short_disk ? SHORT_DISK_ROOM : 0;
    const std::string text = on_full_disk(
        [&](const std::string &dir) {
            if (dir.empty()) return std::string("no disk");
            const std::string path = dir + "/" + name;
            const RunResult r = run(command(path));
            struct stat sb;
            const std::string left = lstat(path.c_str(), &sb) != 0
                                         ? " gone"
                                         : " left " + std::to_string(sb.st_size) + " bytes";
            return outcome(r, path) + left;
        },
        room);
    return text == "no disk" ? "" : text;
}

}  // namespace vyktest
