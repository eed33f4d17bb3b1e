// Helpers shared by the test programs: scratch directories, running commands, reading files.
#ifndef VYK_TEST_UTIL_H
#define VYK_TEST_UTIL_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace vyktest {

/// A fresh directory under /tmp, removed with its contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    /// path() + "/" + name
    std::string file(const std::string &name) const;

private:
    std::string path_;
};

struct RunResult {
    int status = -1;   // exit status, or 128 + signal number
    std::string out;   // standard output
    std::string err;   // standard error
};

/// Runs a shell command line with the given text on its standard input.
RunResult run(const std::string &command, const std::string &input = "");

/// Path of a test-only driver program built from tests/tools.
std::string tool(const std::string &name);

/// Path of a fixture in tests/data.
std::string data(const std::string &name);

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &content);

/// Quotes a text for the shell.
std::string quote(const std::string &text);

/// True when part occurs in text.
bool has(const std::string &text, const std::string &part);
/// How often part occurs in text (overlapping occurrences counted).
int count(const std::string &text, const std::string &part);
/// True when one of the lines is line.
bool has_line(const std::vector<std::string> &lines, const std::string &line);

/// Captures what a piece of code writes to standard output and standard error (file level).
class CaptureStdio {
public:
    CaptureStdio();
    ~CaptureStdio();
    /// Stops capturing and returns the captured texts.
    void finish();
    const std::string &out() const { return out_; }
    const std::string &err() const { return err_; }

private:
    int saved_out_ = -1, saved_err_ = -1;
    std::string out_path_, err_path_, out_, err_;
    bool done_ = false;
};

/// What f writes to standard error (standard output is captured and dropped).
template <class F> std::string stderr_of(F f)
{
    CaptureStdio cap;
    f();
    cap.finish();
    return cap.err();
}

/// An X server of the test's own (Xvfb on a free display, chosen by the server), made the
/// DISPLAY for as long as the object lives (unless set_display is false: then the caller names
/// the server itself, or calls use()).  Tests that read pixels back from the screen use it,
/// so that windows of tests running beside them cannot cover what they capture.
class PrivateX {
public:
    explicit PrivateX(const std::string &screen = "1024x768x24", bool set_display = true);
    ~PrivateX();
    PrivateX(const PrivateX &) = delete;
    PrivateX &operator=(const PrivateX &) = delete;
    /// ":N", or empty when the server could not be started.
    const std::string &name() const { return name_; }
    /// Makes this process's own X11 calls use the server.
    void use() const;

private:
    int pid_ = -1;
    std::string name_, saved_display_;
    bool had_display_ = false;
};

/// A stream holding the given bytes, read from the start (a temporary file).
class ByteStream {
public:
    explicit ByteStream(const std::string &content);
    ~ByteStream();
    ByteStream(const ByteStream &) = delete;
    ByteStream &operator=(const ByteStream &) = delete;
    FILE *get() const { return fp_; }

private:
    FILE *fp_ = nullptr;
};

/// A program running beside the test, its standard output read line by line (standard error
/// stays the test's).  The program is killed when the object goes, unless it has ended.
class ToolProcess {
public:
    /// Runs path with args; env holds "NAME=value" settings added to the environment.
    ToolProcess(const std::string &path, const std::vector<std::string> &args,
                const std::vector<std::string> &env = {});
    ~ToolProcess();
    ToolProcess(const ToolProcess &) = delete;
    ToolProcess &operator=(const ToolProcess &) = delete;
    /// The next line, waiting at most timeout_ms; false at the end of the output or on time-out.
    bool line(std::string &out, int timeout_ms);
    /// The next line that begins with prefix, skipping others; empty when none comes in time.
    std::string wait_for(const std::string &prefix, int timeout_ms = 20000);
    /// Every remaining line, up to the end of the output (each waited for at most timeout_ms).
    std::vector<std::string> rest(int timeout_ms = 20000);
    /// Whether the program is still running (once it has ended, status() gives its status at
    /// once).
    bool running();
    /// The exit status once the program has ended (128 + signal when killed); with limit_ms,
    /// -1 when it has not ended within about that long (a program that never ends then fails
    /// the test instead of hanging it).
    int status(int limit_ms = -1);
    /// Everything read so far.
    const std::string &output() const { return all_; }
    /// True once the end of the output was read (every writer closed it).
    bool output_closed() const { return fd_ < 0; }

private:
    int pid_ = -1;
    int fd_ = -1;
    bool ended_ = false;
    int status_ = -1;
    std::string buffer_, all_;
};

/// Runs body in a child process with a full file system: a tiny tmpfs mounted over a directory
/// in a private mount namespace (unshare, with a user namespace when not root) and filled to
/// its last byte, or to room bytes before it (whole pages); body gets that directory and
/// returns a text, which comes back here.  Where no mount namespace can be made, body gets ""
/// and writes to /dev/full instead (its files cannot be looked at then).  A body that crashes
/// gives "crashed".
std::string on_full_disk(const std::function<std::string(const std::string &dir)> &body,
                         size_t room = 0);

/// What an output can meet: a file system with no space left, one with a little space left (the
/// output begins and is cut), both a tmpfs of its own in a private mount namespace; and a
/// device that takes no byte, a node of the full device (1, 7) made with mknod in a scratch
/// directory of its own.
enum class OutputFault { full_disk, short_disk, full_device };
constexpr OutputFault OUTPUT_FAULTS[] = {OutputFault::full_disk, OutputFault::short_disk,
                                         OutputFault::full_device};
/// The fault's name, for traces.
const char *fault_name(OutputFault fault);
/// Bytes the short disk has left.
constexpr size_t SHORT_DISK_ROOM = 4096;

/// Runs the shell line that command(path) gives, which writes an output file at path, with
/// path on the fault, and tells what became of the run: "failed" (a non-zero status; else
/// "status 0"), "named" when its messages name path (else "silent"), then for a disk "gone"
/// when no file is left at path (else "left N bytes"), for the device "kept" while path is
/// still that device node (else "lost").  So a writer that does what it should gives
/// "failed named gone" or "failed named kept".  Empty when the fault cannot be made here (no
/// mount namespace, mknod refused): the caller skips.
std::string run_on_output_fault(OutputFault fault, const std::string &name,
                                const std::function<std::string(const std::string &path)> &command);

/// Watches the allocations of this process while it lives: the size of the largest single
/// one.  It sees them through the address sanitizer's allocation hooks (the test builds use
/// it); in a build without the sanitizer it sees none.
class AllocationWatch {
public:
    AllocationWatch();
    ~AllocationWatch();
    AllocationWatch(const AllocationWatch &) = delete;
    AllocationWatch &operator=(const AllocationWatch &) = delete;
    size_t largest() const;
};

}  // namespace vyktest

#endif
