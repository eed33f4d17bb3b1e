// A small stand-in for the loop window program, built on the library's server calls: it creates
// a server, answers the resource exchange and removes its server when it ends.
//
// Usage: loopwin_stub [-sock] [-num N] [-off N] [-mode M] [-life S] [-r NAME=VALUE] [-R NAME=VALUE]
//   -sock        TCP socket on the local host (default: message queue)
//   -num N       first server number to try (default: one derived from the process id); the
//                next 49 are tried when it is taken
//   -off N       offset added to the server number (queue key or port)
//   -mode M      answer (default), mute (hands out connection ids, answers nothing else),
//                silent (reads nothing at all), down (answers every text with the flag -3)
//   -life S      ends by itself after S seconds (default 60)
//   -r NAME=V    "query res NAME" is answered with the value line "V\n" (repeatable, in order)
//   -R NAME=V    the same, with the line "V" sent without its line end
// Prints "ready NUM ID" when the server exists, then "conn ID" for every connection handed
// out, "got ID TEXT" for every text received and "sput RESULT" for a reply that failed, and
// "bye" at the end.  SIGTERM, SIGINT and SIGHUP end it; the server is removed in every case.
#include "vyk.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

volatile sig_atomic_t stop = 0;

void on_signal(int) { stop = 1; }

struct Line {
    std::string name;
    std::string text;
};

std::vector<Line> lines;

void reply(int id, int conn_id, int flag, const std::string &text)
{
    const int r = MQ_sput(id, conn_id, flag, "%s", text.c_str());
    if (r < 0) printf("sput %d\n", r);
}

void answer(int id, int conn_id, const char *text, const std::string &mode)
{
    if (mode == "down") {
        reply(id, conn_id, -3, "not running");
        return;
    }
    if (strncmp(text, "query res ", 10) == 0) {
        const std::string name = text + 10;
        for (const Line &l : lines)
            if (l.name == name) reply(id, conn_id, 0, l.text);
        reply(id, conn_id, 1, "");
    } else if (strcmp(text, "quit") == 0) {
        reply(id, conn_id, -2, "");  // the end of the connection frees its id
    } else {
        reply(id, conn_id, 1, "");  // "set res ..." and anything else
    }
}

bool add_line(const char *arg, bool line_end)
{
    const char *eq = strchr(arg, '=');
    if (!eq) return false;
    lines.push_back({std::string(arg, eq), std::string(eq + 1) + (line_end ? "\n" : "")});
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    bool sock = false;
    long num = -1;
    std::string mode = "answer";
    long life = 60;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "-sock") sock = true;
        else if (a == "-num" && has_value) num = strtol(argv[++i], nullptr, 10);
        else if (a == "-off" && has_value) MQ_offset(atoi(argv[++i]));
        else if (a == "-mode" && has_value) mode = argv[++i];
        else if (a == "-life" && has_value) life = strtol(argv[++i], nullptr, 10);
        else if ((a == "-r" || a == "-R") && has_value && add_line(argv[i + 1], a == "-r")) i++;
        else {
            fprintf(stderr, "loopwin_stub: bad argument %s\n", a.c_str());
            return 2;
        }
    }
    if (mode != "answer" && mode != "mute" && mode != "silent" && mode != "down") {
        fprintf(stderr, "loopwin_stub: unknown mode %s\n", mode.c_str());
        return 2;
    }

    struct sigaction sa{};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    MQ_settype(sock ? 1 : 0);
    const int pid = static_cast<int>(getpid());
    if (num < 0) num = sock ? 20000 + (pid % 400) * 50 : 0x56590000 + (pid & 0xFFFF) * 64 + 50;
    int id = -1;
    int number = -1;
    for (int k = 0; k < 50 && id < 0; k++) {
        number = static_cast<int>(num) + k;
        id = MQ_create(number);
    }
    if (id < 0) {
        fprintf(stderr, "loopwin_stub: no server number free from %ld\n", num);
        return 1;
    }
    printf("ready %d %d\n", number, id);
    fflush(stdout);

    const time_t end = time(nullptr) + life;
    while (!stop && time(nullptr) < end) {
        if (mode == "silent") {
            usleep(2000);
            continue;
        }
        int conn_id = -1;
        char item[MQ_TEXT_MAX + 1];
        const int r = MQ_sget(id, &conn_id, item);
        if (r == 2) {
            printf("conn %d\n", conn_id);
        } else if (r == 1) {
            printf("got %d %s\n", conn_id, item);
            if (mode != "mute") answer(id, conn_id, item, mode);
        } else {
            usleep(2000);
        }
        fflush(stdout);
    }
    MQ_del(id);
    printf("bye\n");
    fflush(stdout);
    return 0;
}
