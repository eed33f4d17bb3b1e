// Messaging with the loop window program: the message formats of both transports driven
// in-process against raw queues and sockets, and whole exchanges between the client programs
// and a stand-in server (tests/tools/loopwin_stub) over the queue and the socket.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "test_util.h"
#include "vyk.h"
#include "vykresrc.h"

using vyktest::quote;
using vyktest::run;
using vyktest::TempDir;
using vyktest::tool;

namespace {

// Queue numbers (keys) of this test process: 64 derived from the process id, so that tests
// running side by side do not meet.
int own_number() { return 0x56590000 + (static_cast<int>(getpid()) & 0xFFFF) * 64; }

bool queue_exists(int id)
{
    msqid_ds ds{};
    return id >= 0 && msgctl(id, IPC_STAT, &ds) == 0;
}

// Removes a queue that a test made, when it is still there (a failed test), with the system's
// own tool.
struct QueueGuard {
    int id = -1;
    ~QueueGuard()
    {
        if (queue_exists(id)) run("ipcrm -q " + std::to_string(id));
    }
};

struct RawMessage {
    long mtype;
    char mtext[256];
};

std::string repeat(char c, size_t n) { return std::string(n, c); }

// A listening socket on the loopback address with a port chosen by the system.
int raw_listener(int *port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, 5) != 0) {
        close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    *port = ntohs(addr.sin_port);
    return fd;
}

// A port on the loopback address that nothing listens on just now.
int free_port()
{
    int port = 0;
    const int fd = raw_listener(&port);
    close(fd);
    return port;
}

int raw_connect(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void send_bytes(int fd, const std::string &bytes)
{
    ASSERT_EQ(send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
}

// Exactly n bytes from a socket (empty when they do not come).
std::string recv_bytes(int fd, size_t n)
{
    std::string s(n, '\0');
    size_t got = 0;
    while (got < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) return "";
        const ssize_t r = recv(fd, s.data() + got, n - got, 0);
        if (r <= 0) return "";
        got += static_cast<size_t>(r);
    }
    return s;
}

// A socket frame: the length byte, then the code character and the text.
std::string frame(const std::string &body)
{
    return std::string(1, static_cast<char>(body.size())) + body;
}

// The server's receive does not wait: asks again while the bytes are still on their way.
int sget_waiting(int *conn_id, char *item)
{
    int r = -1;
    for (int k = 0; k < 2000 && r == -1; k++) {
        r = MQ_sget(1, conn_id, item);
        if (r == -1) usleep(2000);
    }
    return r;
}

// The loop window stand-in, started in the background; its output is the log of the exchange.
class Stub {
public:
    explicit Stub(const std::vector<std::string> &args, bool sock = false) : sock_(sock)
    {
        std::vector<std::string> words{tool("loopwin_stub")};
        if (sock) words.push_back("-sock");
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        const std::string first = read_line();
        log_ = first;
        if (sscanf(first.c_str(), "ready %d %d", &number_, &id_) != 2) id_ = -1;
    }

    ~Stub()
    {
        stop();
        if (!sock_ && queue_exists(id_)) run("ipcrm -q " + std::to_string(id_));
    }

    bool ready() const { return id_ != -1 && number_ != -1; }
    int number() const { return number_; }
    int id() const { return id_; }

    // Ends the stand-in with SIGTERM; its whole output.
    const std::string &stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            char buf[4096];
            for (;;) {
                pollfd p{out_, POLLIN, 0};
                if (poll(&p, 1, 20000) <= 0) break;
                const ssize_t r = read(out_, buf, sizeof buf);
                if (r <= 0) break;
                log_.append(buf, static_cast<size_t>(r));
            }
            int status = 0;
            waitpid(pid_, &status, 0);
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
            close(out_);
        }
        return log_;
    }

    int status() const { return status_; }

private:
    std::string read_line()
    {
        std::string line;
        char c;
        for (;;) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0 || read(out_, &c, 1) != 1) break;
            line += c;
            if (c == '\n') break;
        }
        return line;
    }

    bool sock_;
    pid_t pid_ = -1;
    int out_ = -1;
    int number_ = -1;
    int id_ = -1;
    int status_ = -1;
    std::string log_;
};

// Every test starts from the default settings: the queue, offset 0, a time-out of 20 s.
class Mqueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        MQ_settype(0);
        MQ_offset(0);
        MQ_timeout(20);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The queue transport, in-process: this process is client and server at once.
// ---------------------------------------------------------------------------------------------

TEST_F(Mqueue, QueueMessagesAndConnectionIds)
{
    const int num = MQ_find(own_number());
    ASSERT_GE(num, own_number());
    QueueGuard guard{MQ_create(num)};
    const int id = guard.id;
    ASSERT_GE(id, 0);
    EXPECT_EQ(MQ_open(num), id);

    // A connection request of user 1000 is '/' and 1000 in a message of type 1.
    ASSERT_EQ(MQ_put(id, -1, "%d", 1000), 0);
    RawMessage raw{};
    ASSERT_EQ(msgrcv(id, &raw, 120, 0, IPC_NOWAIT), 120);
    EXPECT_EQ(raw.mtype, 1);
    EXPECT_STREQ(raw.mtext, "/1000");
    ASSERT_EQ(msgsnd(id, &raw, 120, 0), 0);

    // The server hands out id 3, answering on id 2 with flag 2; the next client gets 4.
    char item[MQ_TEXT_MAX + 1] = "old";
    int conn_id = -1;
    EXPECT_EQ(MQ_sget(id, &conn_id, item), 2);
    EXPECT_EQ(conn_id, 3);
    EXPECT_STREQ(item, "");
    EXPECT_EQ(MQ_get(id, 2, item), 2);
    EXPECT_STREQ(item, "3");
    ASSERT_EQ(MQ_put(id, -1, "%d", 1001), 0);
    EXPECT_EQ(MQ_sget(id, &conn_id, item), 2);
    EXPECT_EQ(conn_id, 4);
    EXPECT_EQ(MQ_get(id, 2, item), 2);
    EXPECT_STREQ(item, "4");
    EXPECT_EQ(MQ_sget(id, &conn_id, item), -1);  // nothing waits

    // "quit" from connection 5: type 1, '5', "quit", a zero byte, 120 bytes in all.
    ASSERT_EQ(MQ_put(id, 5, "quit"), 0);
    raw = RawMessage{};
    ASSERT_EQ(msgrcv(id, &raw, 120, 0, IPC_NOWAIT), 120);
    EXPECT_EQ(raw.mtype, 1);
    EXPECT_EQ(memcmp(raw.mtext, "5quit\0", 6), 0);

    ASSERT_EQ(MQ_put(id, 4, "query res %s", "level"), 0);
    EXPECT_EQ(MQ_sget(id, &conn_id, item), 1);
    EXPECT_EQ(conn_id, 4);
    EXPECT_STREQ(item, "query res level");

    // Replies: the flag is the code character minus '0'.
    ASSERT_EQ(MQ_sput(id, 3, 0, "abc"), 0);
    ASSERT_EQ(MQ_sput(id, 3, 1, "%s", ""), 0);
    ASSERT_EQ(MQ_sput(id, 3, -3, "%s", ""), 0);
    EXPECT_EQ(MQ_get(id, 3, item), 0);
    EXPECT_STREQ(item, "abc");
    EXPECT_EQ(MQ_get(id, 3, item), 1);
    EXPECT_STREQ(item, "");
    EXPECT_EQ(MQ_get(id, 3, item), -3);
    EXPECT_STREQ(item, "");

    // The negative flag freed id 3; ids never handed out and bad arguments are refused.
    struct Case {
        int msgqid, conn_id;
    };
    for (const Case c : {Case{id, 3}, Case{id, 9}, Case{id, 0}, Case{id, 1}, Case{id, 27},
                         Case{id, 200}, Case{id, -1}, Case{-1, 4}})
        EXPECT_EQ(MQ_sput(c.msgqid, c.conn_id, 0, "x"), -1) << c.msgqid << " " << c.conn_id;
    EXPECT_EQ(MQ_sput(id, 4, 0, "x"), 0);
    EXPECT_EQ(MQ_sget(-1, &conn_id, item), -1);

    EXPECT_EQ(MQ_del(id), 0);
    EXPECT_FALSE(queue_exists(id));
    EXPECT_EQ(MQ_open(num), -1);
}

TEST_F(Mqueue, QueueTextsAreBounded)
{
    const int num = MQ_find(own_number());
    QueueGuard guard{MQ_create(num)};
    const int id = guard.id;
    ASSERT_GE(id, 0);
    char item[MQ_TEXT_MAX + 1];
    int conn_id = -1;

    // Texts longer than 118 characters are cut, in both directions.
    ASSERT_EQ(MQ_put(id, -1, "%d", 7), 0);
    ASSERT_EQ(MQ_sget(id, &conn_id, item), 2);
    ASSERT_EQ(MQ_get(id, 2, item), 2);
    ASSERT_EQ(MQ_put(id, 3, "%s", repeat('a', 200).c_str()), 0);
    EXPECT_EQ(MQ_sget(id, &conn_id, item), 1);
    EXPECT_EQ(std::string(item), repeat('a', 118));
    ASSERT_EQ(MQ_sput(id, 3, 0, "%s", repeat('c', 300).c_str()), 0);
    EXPECT_EQ(MQ_get(id, 3, item), 0);
    EXPECT_EQ(std::string(item), repeat('c', 118));

    // A foreign message longer than 120 bytes without a zero byte is cut to the limit and
    // taken off the queue rather than blocking it.
    RawMessage raw{};
    raw.mtype = 1;
    memset(raw.mtext, 'b', 200);
    ASSERT_EQ(msgsnd(id, &raw, 200, 0), 0);
    EXPECT_EQ(MQ_sget(id, &conn_id, item), 1);
    EXPECT_EQ(conn_id, 'b' - '0');
    EXPECT_EQ(std::string(item), repeat('b', 118));
    EXPECT_EQ(MQ_sget(id, &conn_id, item), -1);

    // A message without even a code character: nothing for the server, a failure for the client.
    ASSERT_EQ(msgsnd(id, &raw, 0, 0), 0);
    EXPECT_EQ(MQ_sget(id, &conn_id, item), 0);
    raw.mtype = 3;
    ASSERT_EQ(msgsnd(id, &raw, 0, 0), 0);
    strcpy(item, "old");
    EXPECT_LT(MQ_get(id, 3, item), 0);
    EXPECT_STREQ(item, "");
    MQ_del(id);
}

TEST_F(Mqueue, CreateFindAndClear)
{
    EXPECT_EQ(MQ_create(-1), -2);
    const int num = MQ_find(own_number());
    ASSERT_GE(num, own_number());
    QueueGuard first{MQ_create(num)};
    QueueGuard second{MQ_create(num + 1)};
    ASSERT_GE(first.id, 0);
    ASSERT_GE(second.id, 0);
    EXPECT_EQ(MQ_create(num), -1);  // the queue exists already
    EXPECT_EQ(MQ_find(num), num + 2);

    // Key 0 would be a private queue that no client finds: no server can have that number.
    EXPECT_EQ(MQ_create(0), -1);
    EXPECT_EQ(MQ_open(0), -1);

    // The offset is added to the number.
    MQ_offset(1);
    EXPECT_EQ(MQ_open(num - 1), first.id);
    MQ_offset(0);

    // Clearing takes every waiting message of one type and leaves the others.
    RawMessage raw{};
    raw.mtype = 7;
    strcpy(raw.mtext, "07");
    for (int k = 0; k < 3; k++) ASSERT_EQ(msgsnd(first.id, &raw, 120, 0), 0);
    raw.mtype = 8;
    ASSERT_EQ(msgsnd(first.id, &raw, 120, 0), 0);
    EXPECT_EQ(MQ_clear(first.id, 7), -1);
    EXPECT_EQ(msgrcv(first.id, &raw, 120, 7, IPC_NOWAIT), -1);
    EXPECT_EQ(msgrcv(first.id, &raw, 120, 8, IPC_NOWAIT), 120);
    MQ_settype(1);
    EXPECT_EQ(MQ_clear(first.id, 7), 0);
    MQ_settype(0);

    EXPECT_EQ(MQ_del(first.id), 0);
    EXPECT_EQ(MQ_del(second.id), 0);
    EXPECT_FALSE(queue_exists(first.id));
    EXPECT_EQ(MQ_find(num), num);
}

// The server's queue is owner read and write only: ipcs shows it with the permissions 600, and
// the stand-in removes it when it is told to stop.
TEST_F(Mqueue, QueueIsOwnerOnlyAndRemoved)
{
    Stub stub({});
    ASSERT_TRUE(stub.ready()) << stub.stop();
    char key[16];
    snprintf(key, sizeof key, "0x%08x", static_cast<unsigned>(stub.number()));
    auto perms = [&]() -> std::string {
        const vyktest::RunResult r = run("ipcs -q");
        EXPECT_EQ(r.status, 0) << r.err;
        std::istringstream in(r.out);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::string k, id, owner, mode;
            if (words >> k >> id >> owner >> mode && k == key && id == std::to_string(stub.id()))
                return mode;
        }
        return "(none)";
    };
    EXPECT_EQ(perms(), "600");
    const std::string log = stub.stop();
    EXPECT_EQ(stub.status(), 0);
    EXPECT_NE(log.find("bye\n"), std::string::npos) << log;
    EXPECT_EQ(perms(), "(none)");
}

// A queue that exists but that the client may not read and write gives a code that no queue id
// has (0 is a queue id like any other) at once, not a time-out later; the start-up decoder then
// warns that it cannot connect.  The queue has no permissions at all, and the client runs in a
// user namespace, where no privilege overrides them.
TEST_F(Mqueue, UnreachableQueueIsNotAnId)
{
    const int num = MQ_find(own_number());
    QueueGuard guard{msgget(num, IPC_CREAT | IPC_EXCL | 0000)};
    ASSERT_GE(guard.id, 0);

    vyktest::RunResult r = run("unshare -r " + tool("mq_client") + " talk " + std::to_string(num));
    EXPECT_EQ(r.out, "open -2\n") << r.err;
    EXPECT_EQ(r.status, 1);

    TempDir home;
    r = run("env -i HOME=" + quote(home.path()) + " PATH=/usr/bin:/bin vykdefault=" +
            quote("#" + std::to_string(num)) + " unshare -r " + tool("res_tool"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("VOVadev window: " + std::to_string(num) + " unable to connect\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("not running"), std::string::npos) << r.err;
}

// In a fresh IPC namespace the first queue gets the id 0, and start-up reads from it.
TEST_F(Mqueue, QueueIdZeroServes)
{
    TempDir dir;
    const std::string log = dir.file("stub.log");
    const std::string script =
        quote(tool("loopwin_stub")) + " -num 77 -life 30 -r file_path=/zero/path > " + quote(log) +
        " & p=$!; i=0; while ! grep -q '^ready' " + quote(log) +
        " && [ $i -lt 400 ]; do i=$((i+1)); sleep 0.05; done; env -i HOME=" + quote(dir.path()) +
        " PATH=/usr/bin:/bin vykdefault='#77' " + quote(tool("res_tool")) +
        "; rc=$?; kill $p; wait $p; exit $rc";
    const vyktest::RunResult r = run("unshare -r --ipc sh -c " + quote(script));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("file_path=/zero/path\n"), std::string::npos) << r.out << r.err;
    const std::string stub_log = vyktest::read_file(log);
    EXPECT_EQ(stub_log.rfind("ready 77 0\nconn 3\n", 0), 0u) << stub_log;
    EXPECT_NE(stub_log.find("got 3 quit\n"), std::string::npos) << stub_log;
    EXPECT_NE(stub_log.find("bye\n"), std::string::npos) << stub_log;
}

// ---------------------------------------------------------------------------------------------
// The socket transport, in-process against raw sockets.
// ---------------------------------------------------------------------------------------------

TEST_F(Mqueue, SocketClientFrames)
{
    int port = 0;
    const int listener = raw_listener(&port);
    ASSERT_GE(listener, 0);
    MQ_settype(1);
    EXPECT_EQ(MQ_open(port), 1);
    const int peer = accept(listener, nullptr, nullptr);
    ASSERT_GE(peer, 0);

    // "quit" from connection 5 is the bytes 5, '5', 'q', 'u', 'i', 't'.
    EXPECT_EQ(MQ_put(1, 5, "quit"), 6);
    EXPECT_EQ(recv_bytes(peer, 6), std::string("\x05" "5quit"));
    // A long text is cut to 118 characters: 119 bytes behind the length byte.
    EXPECT_EQ(MQ_put(1, 3, "%s", repeat('a', 200).c_str()), 120);
    EXPECT_EQ(recv_bytes(peer, 120), "\x77" "3" + repeat('a', 118));

    send_bytes(peer, frame("0abc") + frame("1") + frame("-"));
    // Frames whose length does not fit are dropped whole (the length byte is unsigned, so
    // 200 is no negative number); the frame behind them is read.
    send_bytes(peer, std::string(1, '\xC8') + repeat('x', 200) + std::string(1, '\0') +
                         std::string(1, '\x80') + repeat('y', 128) + frame("1z"));
    char item[MQ_TEXT_MAX + 1];
    EXPECT_EQ(MQ_get(1, 3, item), 0);
    EXPECT_STREQ(item, "abc");
    EXPECT_EQ(MQ_get(1, 3, item), 1);
    EXPECT_STREQ(item, "");
    EXPECT_EQ(MQ_get(1, 3, item), -3);
    vyktest::CaptureStdio cap;
    EXPECT_EQ(MQ_get(1, 3, item), 1);
    cap.finish();
    EXPECT_STREQ(item, "z");
    EXPECT_EQ(cap.err(),
              "MQ_get: message of length 200 dropped\nMQ_get: message of length 0 dropped\n"
              "MQ_get: message of length 128 dropped\n");

    // A frame of the longest text fits.
    send_bytes(peer, frame("0" + repeat('w', 118)));
    EXPECT_EQ(MQ_get(1, 3, item), 0);
    EXPECT_EQ(std::string(item), repeat('w', 118));

    // The server goes away: nothing arrives.
    close(peer);
    strcpy(item, "old");
    EXPECT_EQ(MQ_get(1, 3, item), -1);
    EXPECT_STREQ(item, "");
    // Sending to it fails (once the connection is known to be gone) without SIGPIPE.
    int sent = 0;
    for (int k = 0; k < 100 && sent >= 0; k++) {
        sent = MQ_put(1, 3, "x");
        usleep(1000);
    }
    EXPECT_EQ(sent, -1);

    close(listener);
    EXPECT_EQ(MQ_open(port), -1);  // refused
    for (int bad : {0, -5, 65536, 70000}) EXPECT_EQ(MQ_open(bad), -1) << bad;
}

TEST_F(Mqueue, SocketServerFrames)
{
    const int port = free_port();
    MQ_settype(1);
    ASSERT_EQ(MQ_create(port), 1);

    // Bound to the loopback address only, listening (state 0A).
    char local[32];
    snprintf(local, sizeof local, "0100007F:%04X", port);
    char any[32];
    snprintf(any, sizeof any, "00000000:%04X", port);
    std::ifstream tcp("/proc/net/tcp");
    std::string line;
    int listening = 0;
    while (std::getline(tcp, line)) {
        std::istringstream words(line);
        std::string slot, loc, rem, st;
        if (!(words >> slot >> loc >> rem >> st)) continue;
        if (loc == local && st == "0A") listening++;
        EXPECT_NE(loc, any);
    }
    EXPECT_EQ(listening, 1);

    char item[MQ_TEXT_MAX + 1];
    int conn_id = 0;
    EXPECT_EQ(MQ_sget(1, &conn_id, item), -1);  // nobody connected

    int client = raw_connect(port);
    ASSERT_GE(client, 0);
    send_bytes(client, frame("/1000"));
    EXPECT_EQ(sget_waiting(&conn_id, item), 2);
    EXPECT_EQ(conn_id, 3);
    EXPECT_EQ(recv_bytes(client, 3), frame("23"));

    send_bytes(client, frame("3quit"));
    EXPECT_EQ(sget_waiting(&conn_id, item), 1);
    EXPECT_EQ(conn_id, 3);
    EXPECT_STREQ(item, "quit");

    // A frame longer than the buffer is dropped; the next one is read.
    send_bytes(client, std::string(1, '\xC8') + repeat('x', 200) + frame("3k"));
    vyktest::CaptureStdio cap;
    EXPECT_EQ(sget_waiting(&conn_id, item), 1);
    cap.finish();
    EXPECT_STREQ(item, "k");
    EXPECT_EQ(cap.err(), "MQ_sget: message of length 200 dropped\n");

    EXPECT_EQ(MQ_sput(1, 3, 0, "abc"), 5);
    EXPECT_EQ(recv_bytes(client, 5), frame("0abc"));
    EXPECT_EQ(MQ_sput(1, 3, 1, "%s", repeat('d', 200).c_str()), 120);
    EXPECT_EQ(recv_bytes(client, 120), frame("1" + repeat('d', 118)));
    EXPECT_EQ(MQ_sput(1, 4, 0, "x"), -1);  // not handed out

    // The client leaves; the next one is accepted and gets the id the first one held.
    close(client);
    EXPECT_EQ(MQ_sget(1, &conn_id, item), -1);
    client = raw_connect(port);
    ASSERT_GE(client, 0);
    send_bytes(client, frame("/1000"));
    EXPECT_EQ(sget_waiting(&conn_id, item), 2);
    EXPECT_EQ(conn_id, 3);
    EXPECT_EQ(recv_bytes(client, 3), frame("23"));
    close(client);

    EXPECT_EQ(MQ_del(1), 0);
    EXPECT_EQ(raw_connect(port), -1);
}

TEST_F(Mqueue, SocketClientsThatLeaveWithoutQuitFreeTheirIds)
{
    const int port = free_port();
    MQ_settype(1);
    ASSERT_EQ(MQ_create(port), 1);
    char item[MQ_TEXT_MAX + 1];
    // More clients than there are ids, each asking for one and leaving without "quit": the
    // next request made over a dropped or reset connection still gets an id.
    for (int k = 0; k < 30; k++) {
        SCOPED_TRACE(k);
        const int client = raw_connect(port);
        ASSERT_GE(client, 0);
        send_bytes(client, frame("/1000"));
        int conn_id = 0;
        ASSERT_EQ(sget_waiting(&conn_id, item), 2);
        EXPECT_EQ(conn_id, 3);
        EXPECT_EQ(recv_bytes(client, 3), frame("23"));
        if (k % 2) {  // a reset instead of an orderly close
            const linger hard{1, 0};
            setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        }
        close(client);
    }
    EXPECT_EQ(MQ_del(1), 0);
}

TEST_F(Mqueue, SocketFindSkipsServers)
{
    // Two servers on neighbouring ports.
    int port = 0;
    int first = -1;
    int second = -1;
    for (int k = 0; k < 50 && second < 0; k++) {
        if (first >= 0) close(first);
        first = raw_listener(&port);
        second = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port + 1));
        if (port >= 65534 || bind(second, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
            listen(second, 5) != 0) {
            close(second);
            second = -1;
        }
    }
    ASSERT_GE(second, 0);
    MQ_settype(1);
    EXPECT_GE(MQ_find(port), port + 2);
    EXPECT_EQ(MQ_find(port + 1), MQ_find(port));
    close(first);
    close(second);
    EXPECT_EQ(MQ_find(port), port);
}

// ---------------------------------------------------------------------------------------------
// Whole exchanges with the stand-in server.
// ---------------------------------------------------------------------------------------------

TEST_F(Mqueue, ExchangesWithStandIn)
{
    struct Case {
        bool sock;
        const char *mode;
        std::vector<std::string> texts;
        const char *replies;  // the client's output after "open ID"
        const char *log;      // the stand-in's output after "ready NUM ID"
    };
    const char *answer_replies =
        "connect 3\n"
        "put ok\nreply 0 /loop/path\\n\nreply 0 /second\\n\nreply 0 700\nreply 1\n"
        "put ok\nreply 1\n"
        "put ok\nreply 1\n"
        "put ok\nreply -2\n";
    const char *answer_log =
        "conn 3\ngot 3 query res file_path\ngot 3 query res unknown\ngot 3 set res level 2\n"
        "got 3 quit\nbye\n";
    const std::vector<std::string> texts{"query res file_path", "query res unknown",
                                         "set res level 2", "quit"};
    const Case cases[] = {
        {false, "answer", texts, answer_replies, answer_log},
        {true, "answer", texts, answer_replies, answer_log},
        {false, "down", {"query res file_path"}, "connect 3\nput ok\nreply -3 not running\n",
         "conn 3\ngot 3 query res file_path\nbye\n"},
        {true, "down", {"query res file_path"}, "connect 3\nput ok\nreply -3 not running\n",
         "conn 3\ngot 3 query res file_path\nbye\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.sock ? "socket " : "queue ") + c.mode);
        Stub stub({"-mode", c.mode, "-r", "file_path=/loop/path", "-r", "file_path=/second", "-R",
                   "file_path=700"},
                  c.sock);
        ASSERT_TRUE(stub.ready()) << stub.stop();
        std::string cmd = tool("mq_client") + (c.sock ? " -sock" : "") + " -to 20 talk " +
                          std::to_string(stub.number());
        for (const std::string &t : c.texts) cmd += " " + quote(t);
        const vyktest::RunResult r = run(cmd);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "open " + std::to_string(c.sock ? 1 : stub.id()) + "\n" + c.replies)
            << r.err;
        const std::string log = stub.stop();
        const std::string ready =
            "ready " + std::to_string(stub.number()) + " " + std::to_string(stub.id()) + "\n";
        EXPECT_EQ(log, ready + c.log);
        if (!c.sock) {
            EXPECT_FALSE(queue_exists(stub.id()));
        }
    }
}

// A server that stops answering ends the client with status 7 once the time-out has run out.
TEST_F(Mqueue, SilentServerEndsClient)
{
    struct Case {
        bool sock;
        const char *mode;     // mute: connection ids only; silent: reads nothing
        const char *options;  // of the client
        const char *out;
    };
    const Case cases[] = {
        {false, "mute", "-to 1", "connect 3\nput ok\n"},
        {false, "silent", "-to 2", ""},
        {false, "mute", "-param TO=1", "connect 3\nput ok\n"},
        {true, "mute", "-sock -to 1 -alarm", "connect 3\nput ok\n"},
        {true, "silent", "-sock -to 1", ""},
        {true, "mute", "-param qtype=sock,to=1 -alarm", "connect 3\nput ok\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.options);
        Stub stub({"-mode", c.mode}, c.sock);
        ASSERT_TRUE(stub.ready()) << stub.stop();
        const vyktest::RunResult r = run(tool("mq_client") + " " + c.options + " talk " +
                                         std::to_string(stub.number()) + " " +
                                         quote("query res level"));
        EXPECT_EQ(r.status, 7);
        EXPECT_EQ(r.err, "Queue not responding!!\n");
        EXPECT_EQ(r.out, "open " + std::to_string(c.sock ? 1 : stub.id()) + "\n" + c.out);
        stub.stop();
        EXPECT_EQ(stub.status(), 0);
    }
}

// A program may end a time-out its own way.
TEST_F(Mqueue, OwnTimeoutHandler)
{
    const int num = MQ_find(own_number());
    QueueGuard guard{MQ_create(num)};
    ASSERT_GE(guard.id, 0);
    EXPECT_EXIT(
        {
            MQ_timeout(1);
            MQ_timeout_func([](int) { _exit(3); });
            MQ_connect(MQ_open(num));  // nobody answers the request
        },
        testing::ExitedWithCode(3), "");
    MQ_del(guard.id);
}

// Resources queried at start-up arrive in the resource list: the profiler display's list over
// the queue, and a short list over the socket.  A value loses its last character only when
// that is a line end; what the server lacks is sent back, and the exchange ends with "quit".
TEST_F(Mqueue, StartupResourcesFromStandIn)
{
    TempDir dir;
    vyktest::write_file(dir.file("vyk.cfg"), "*.variable wind\n*.level 300\n");
    struct Case {
        bool sock;
        const char *client;
        int rows;
    };
    for (const Case c : {Case{false, "res_tool", 58}, Case{true, "mq_client -sock decode", 5}}) {
        SCOPED_TRACE(c.client);
        Stub stub({"-r", "file_path=/loop/path", "-R", "level=700", "-r", "label=Upper air", "-r",
                   "title=!no value", "-r", "title=", "-R", "title=", "-r", "variable="},
                  c.sock);
        ASSERT_TRUE(stub.ready()) << stub.stop();
        const std::string program = c.sock ? tool("mq_client") + " -sock decode" : tool("res_tool");
        const vyktest::RunResult r =
            run("cd " + quote(dir.path()) + " && env -i HOME=" + quote(dir.path()) +
                " PATH=/usr/bin:/bin vykdefault=" +
                quote(dir.path() + ":#" + std::to_string(stub.number())) + " " + program +
                " -ti Main");
        EXPECT_EQ(r.status, 0) << r.err;
        for (const char *want : {"file_path=/loop/path\n", "level=700\n", "label=Upper air\n",
                                 "variable=wind\n", "title=Main\n"})
            EXPECT_NE(r.out.find(want), std::string::npos) << want << r.out;
        const std::string log = stub.stop();
        size_t queries = 0;
        for (size_t at = log.find("got 3 query res "); at != std::string::npos;
             at = log.find("got 3 query res ", at + 1))
            queries++;
        EXPECT_EQ(queries, static_cast<size_t>(c.rows)) << log;
        const size_t end_of_queries = log.rfind("got 3 query res ");
        EXPECT_NE(log.find("got 3 set res variable wind\ngot 3 set res title Main\ngot 3 quit\n",
                           end_of_queries),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("set res file_path"), std::string::npos) << log;
    }
}
