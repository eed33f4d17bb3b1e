// bench_peer.h: a python peer kept running beside a benchmark, so that each of our timings is
// paired with one of the peer's, taken in the same run right after it.
//
// The peer script reads its input file (named as its one argument), then answers every line
// "run" on its standard input with the seconds its work took, measured inside python around the
// work alone, on one line of its standard output; it ends at the end of its input.
#ifndef BENCH_PEER_H
#define BENCH_PEER_H

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class Peer {
public:
    /// Starts /usr/bin/python3 script input; ok() tells whether it runs.
    Peer(const std::string &script, const std::string &input)
    {
        int to_peer[2], from_peer[2];
        if (pipe(to_peer) != 0) return;
        if (pipe(from_peer) != 0) {
            close(to_peer[0]);
            close(to_peer[1]);
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(to_peer[0], 0);
            dup2(from_peer[1], 1);
            close(to_peer[0]);
            close(to_peer[1]);
            close(from_peer[0]);
            close(from_peer[1]);
            execl("/usr/bin/python3", "python3", script.c_str(), input.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        close(to_peer[0]);
        close(from_peer[1]);
        if (pid_ < 0) {
            close(to_peer[1]);
            close(from_peer[0]);
            return;
        }
        to_ = fdopen(to_peer[1], "w");
        from_ = fdopen(from_peer[0], "r");
    }
    ~Peer()
    {
        if (to_) std::fclose(to_);
        if (from_) std::fclose(from_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;

    bool ok() const { return to_ && from_; }

    /// The seconds of one run of the peer's work; a negative value when it did not answer.
    double run()
    {
        if (!ok()) return -1;
        std::fputs("run\n", to_);
        std::fflush(to_);
        double t = -1;
        if (std::fscanf(from_, "%lf", &t) != 1) return -1;
        return t;
    }

private:
    pid_t pid_ = -1;
    FILE *to_ = nullptr;
    FILE *from_ = nullptr;
};

/// The median of some timings (or ratios).
inline double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

#endif
