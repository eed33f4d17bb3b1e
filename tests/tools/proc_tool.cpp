// Drives the process services in a process of its own.
//   proc_tool exit <status>          prints a buffered line and ends through VYK_exit
//   proc_tool back <file>            detaches; the background writes its pid, its standard
//                                    streams, the result and its process group into <file>
//   proc_tool func                   runs a function in a child between two buffered lines
//   proc_tool forkfail run|func|back makes every fork fail, then calls the service
//   proc_tool virt                   prints VYK_get_virt_mem and the kernel's VmSize in bytes
#include "vyk.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <string>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

// Leak checking at exit starts a thread, which a process without fork cannot.
extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }

namespace {

void handler() { printf("handler\n"); }

std::string link_of(int fd)
{
    char path[64], target[256];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(path, target, sizeof target - 1);
    if (n < 0) return "-";
    target[n] = '\0';
    return target;
}

// Makes fork, vfork and clone fail with EAGAIN in this process.
bool forbid_fork()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 4, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fork, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_vfork, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 435 /* clone3 */, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EAGAIN),
    };
    sock_fprog prog = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
    return prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) == 0;
}

int child_func(int arg)
{
    printf("child %d\n", arg);
    return arg;
}

long vmsize_bytes()
{
    int fd = open("/proc/self/status", O_RDONLY);
    if (fd < 0) return -1;
    char buf[8192];
    ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0) return -1;
    buf[n] = '\0';
    const char *p = strstr(buf, "VmSize:");
    return p ? atol(p + 7) * 1024 : -1;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2) return 99;
    const std::string cmd = argv[1];
    if (cmd == "exit" && argc == 3) {
        atexit(handler);
        printf("buffered\n");
        VYK_exit(atoi(argv[2]));
    }
    if (cmd == "back" && argc == 3) {
        atexit(handler);
        printf("start\n");
        int r = VYK_back_proc();
        std::string text = std::to_string(getpid()) + "\n" + link_of(0) + "\n" + link_of(1) + "\n" +
                           link_of(2) + "\n" + std::to_string(r) + "\n" +
                           std::to_string(getpgrp() == getpid()) + "\n";
        std::string tmp = std::string(argv[2]) + ".tmp";
        FILE *f = fopen(tmp.c_str(), "w");
        if (!f) return 98;
        fputs(text.c_str(), f);
        fclose(f);
        rename(tmp.c_str(), argv[2]);
        return 0;
    }
    if (cmd == "func") {
        printf("before\n");
        int status = VYK_run_func(child_func, 5);
        printf("status %d\n", status);
        return 0;
    }
    if (cmd == "forkfail" && argc == 3) {
        if (!forbid_fork()) return 97;
        const std::string what = argv[2];
        int r = -99;
        if (what == "run") {
            char *args[] = {const_cast<char *>("true"), nullptr};
            r = VYK_run("true", args, nullptr, 0);
        } else if (what == "func") {
            r = VYK_run_func(child_func, 1);
        } else if (what == "back") {
            r = VYK_back_proc();
        }
        printf("result %d\n", r);
        return 0;
    }
    if (cmd == "virt") {
        // Nothing between the two readings allocates memory.
        long mine = VYK_get_virt_mem();
        long kernel = vmsize_bytes();
        printf("%ld %ld\n", mine, kernel);
        return 0;
    }
    return 99;
}
