// Messaging with the loop window program: text messages over a System V message queue (the
// default) or a TCP stream socket on the local host, for both the client (open, connect, put,
// get) and the server (create, receive with connection handling, send, remove, find a free
// number), with an alarm that ends a client whose server stops answering.
//
// Every text travels behind one code character: '0' plus the sender's connection id (client to
// server) or '0' plus a flag (server to client).  On the queue every message carries 120 bytes
// of mtext; on the socket a frame is one length byte followed by the code and the text.
#include "vykmess.h"
#include "vykstr.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"
#include "vykmq.h"
#include "vykresrc.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr int XFER = 120;                   // mtext bytes of every queue message
constexpr int FRAME_MAX = 1 + MQ_TEXT_MAX;  // code character and text of a socket frame
constexpr int NUM_CONN = 25;
constexpr int FIRST_SLOT = 1;               // slot i stands for connection id i + 2
constexpr int LAST_SLOT = 19;
constexpr int BACKLOG = 100;
constexpr int FRAME_WAIT_MS = 5000;         // server: longest wait for the rest of a frame
constexpr long CLIENT_TYPE = 1;             // mtype of every message to the server
constexpr int ANSWER_ID = 2;                // connection id of the answers to connection requests

// The component's state; the member initialisers are the start values.  (The handler's flag
// below stays apart: a signal handler may only touch a volatile sig_atomic_t.)
struct State {
    int type = 0;                  // 0 message queue, 1 TCP socket
    int offset = 0;                // added to a server number: queue key or TCP port
    int timeout = 20;              // seconds of the alarm around blocking client operations
    MQ_handler to_func = nullptr;  // the time-out handler; NULL: MQ_intrp
    int msgqid = 0;                // queue id of the last open or create
    int sock1 = -1;                // client: connected socket; server: listening socket
    int sock2 = -1;                // server: the accepted client, -1 when none
    int conn[NUM_CONN] = {};       // server: connection slots in use
    bool held[NUM_CONN] = {};      // server: the slots handed out on the accepted client
    mqueuebuf msgb{};              // the last message received
};
State st;

// Whether the default handler prints its message (the warning level when it was installed).
volatile sig_atomic_t intrp_loud = 1;

inline bool use_socket() { return st.type == 1; }

// The code character of n, or -1 when '0' + n is not a byte.
int code_char(int n)
{
    const long c = static_cast<long>('0') + n;
    return (c >= 0 && c <= UCHAR_MAX) ? static_cast<int>(c) : -1;
}

inline int code_value(char c) { return static_cast<int>(static_cast<unsigned char>(c)) - '0'; }

// Queue key of server num: offset + num; 0 when it cannot be one (out of range, or the
// private key, which would make a new queue nobody else can find).
key_t queue_key(int num)
{
    const long long key = static_cast<long long>(st.offset) + num;
    if (key == IPC_PRIVATE || key < INT_MIN || key > INT_MAX) return IPC_PRIVATE;
    return static_cast<key_t>(key);
}

// TCP port of server num: offset + num; 0 when out of range.
int socket_port(int num)
{
    const long long port = static_cast<long long>(st.offset) + num;
    return (port >= 1 && port <= 65535) ? static_cast<int>(port) : 0;
}

sockaddr_in loopback(int port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

// A stream socket connected to the loopback address, port offset + num; -1 on failure.
int connect_server(int num)
{
    const int port = socket_port(num);
    if (port == 0) return -1;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const sockaddr_in addr = loopback(port);
    int r;
    do {
        r = connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Queue lookup of server num without creating: its id, -1 when there is no such queue,
// MQ_OPEN_FAILED when it exists but the lookup fails, also when this user may not both read
// and write it (the exchange would otherwise fail only at the time-out).
int lookup_queue(int num)
{
    const key_t key = queue_key(num);
    if (key == IPC_PRIVATE) return -1;
    const int id = msgget(key, 0600);
    if (id >= 0) return id;
    return errno == ENOENT ? -1 : MQ_OPEN_FAILED;
}

// Whether a blocking call interrupted by a signal may go on waiting: the time-out alarm has
// not yet run out (another signal came), or no time-out is in force.
bool may_wait_on()
{
    if (st.timeout <= 0) return true;
    itimerval left{};
    getitimer(ITIMER_REAL, &left);
    return left.it_value.tv_sec > 0 || left.it_value.tv_usec > 0;
}

void install_handler()
{
    intrp_loud = MESS_check(M_WARN) ? 1 : 0;
    struct sigaction sa{};
    sa.sa_handler = st.to_func ? st.to_func : MQ_intrp;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // a handler that returns interrupts the blocking call
    sigaction(SIGALRM, &sa, nullptr);
}

// Formats the code character of n and the text (at most MQ_TEXT_MAX characters) into out,
// which holds FRAME_MAX + 1 characters; the length of code and text, or -1 for a code that is
// not a byte.
int build_text(char *out, int n, const char *format, va_list ap)
{
    const int code = code_char(n);
    if (code < 0) return -1;
    out[0] = static_cast<char>(code);
    out[1] = '\0';
    if (format) vsnprintf(out + 1, MQ_TEXT_MAX + 1, format, ap);
    return 1 + static_cast<int>(strnlen(out + 1, MQ_TEXT_MAX));
}

// Sends one queue message of XFER bytes of mtext, waiting for room; the result of msgsnd.
int queue_send(int id, long mtype, const char *text, int len, bool alarmed)
{
    mqueuebuf buf{};
    buf.mtype = mtype;
    memcpy(buf.mtext, text, static_cast<size_t>(len));
    if (alarmed) MQ_enable_alarm();
    int r;
    while ((r = msgsnd(id, &buf, XFER, 0)) != 0 && errno == EINTR && (!alarmed || may_wait_on())) {
    }
    if (alarmed) MQ_disable_alarm();
    return r;
}

// Receives one queue message of the given type without waiting into buf, its mtext ended by
// a zero byte; the byte count, or -1 (errno set).  Longer messages are cut to XFER bytes
// rather than left blocking the queue.
ssize_t queue_receive(int id, long mtype, mqueuebuf &buf)
{
    memset(buf.mtext, 0, sizeof buf.mtext);
    return msgrcv(id, &buf, XFER, mtype, IPC_NOWAIT | MSG_NOERROR);
}

// Sends one socket frame: the length byte, the code character and the text, in one send.
ssize_t frame_send(int fd, const char *text, int len)
{
    unsigned char frame[1 + FRAME_MAX];
    frame[0] = static_cast<unsigned char>(len);
    memcpy(frame + 1, text, static_cast<size_t>(len));
    ssize_t r;
    while ((r = send(fd, frame, static_cast<size_t>(len) + 1, MSG_NOSIGNAL)) < 0 &&
           errno == EINTR && may_wait_on()) {
    }
    return r;
}

// Reads exactly n bytes; n on success, 0 when the peer closed the connection first, -1 on a
// failure.  wait_ms bounds the wait for each piece (-1: no bound).
ssize_t read_full(int fd, unsigned char *buf, size_t n, int wait_ms)
{
    size_t got = 0;
    while (got < n) {
        if (wait_ms >= 0) {
            pollfd p{fd, POLLIN, 0};
            const int pr = poll(&p, 1, wait_ms);
            if (pr < 0 && errno == EINTR) continue;
            if (pr <= 0) return -1;
        }
        const ssize_t r = recv(fd, buf + got, n - got, 0);
        if (r == 0) return 0;
        if (r < 0) {
            if (errno == EINTR && may_wait_on()) continue;
            return -1;
        }
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(n);
}

// Length byte of a frame, read unsigned: whether a frame of that length fits (the code and at
// most MQ_TEXT_MAX characters).
inline bool frame_length_ok(unsigned len) { return len >= 1 && len <= FRAME_MAX; }

// Discards the len bytes of a frame that does not fit; the result of the read.
ssize_t drop_frame(int fd, unsigned len, int wait_ms, const char *who)
{
    unsigned char junk[UCHAR_MAX];
    MESS_print(M_WARN, "%s: message of length %u dropped\n", who, len);
    return len ? read_full(fd, junk, len, wait_ms) : 1;
}

int client_get_socket(char *item)
{
    for (;;) {
        unsigned char len = 0;
        const ssize_t r = read_full(st.sock1, &len, 1, -1);
        if (r <= 0) return -1;
        if (!frame_length_ok(len)) {
            if (drop_frame(st.sock1, len, -1, "MQ_get") <= 0) return -1;
            continue;
        }
        unsigned char frame[FRAME_MAX];
        const ssize_t got = read_full(st.sock1, frame, len, -1);
        if (got <= 0) return -1;
        strfcpy(item, MQ_TEXT_MAX + 1, reinterpret_cast<const char *>(frame) + 1, len - 1u);
        MESS_print(M_DEBUG_D, "Received: %d %d %d => %s\n", static_cast<int>(got), len,
                   frame[0], item);
        return code_value(static_cast<char>(frame[0]));
    }
}

int client_get_queue(int id, int conn_id, char *item)
{
    MQ_enable_alarm();
    ssize_t r;
    int err;
    for (int k = 1;; k++) {
        r = queue_receive(id, conn_id, st.msgb);
        err = r < 0 ? errno : 0;
        MESS_print(M_DEBUG_D, "GET-MSG:%d %d %d %d\n", id, static_cast<int>(r), err, k);
        if (k > 200) VYK_sleep(1.0f);
        else if (k > 2) VYK_sleep(0.1f);
        if (r >= 0 || err != ENOMSG) break;
    }
    MQ_disable_alarm();
    MESS_print(M_DEBUG_D, "GET:%s\n", st.msgb.mtext);
    if (r < 1) {  // nothing received, or a message without even its code character
        item[0] = '\0';
        return r < 0 ? static_cast<int>(r) : -1;
    }
    strfcpy(item, MQ_TEXT_MAX + 1, st.msgb.mtext + 1, static_cast<size_t>(r) - 1);
    return code_value(st.msgb.mtext[0]);
}

// Server: accepts the next client on the listening socket when none is connected.
bool accept_client()
{
    if (st.sock2 >= 0) return true;
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const int fd = accept(st.sock1, reinterpret_cast<sockaddr *>(&from), &size);
    if (fd < 0) {
        const int err = errno;
        MESS_print(M_DEBUG_D, "Accept failed\n");
        MESS_print(M_DEBUG_D, "accept: %s\n", strerror(err));
        return false;
    }
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    st.sock2 = fd;
    MESS_print(M_DEBUG_D, "Connection made from %X on port %d\n",
               static_cast<unsigned>(ntohl(from.sin_addr.s_addr)), ntohs(from.sin_port));
    return true;
}

// Server: closes the accepted client; the connection ids it was given are free again.
void forget_client()
{
    if (st.sock2 >= 0) close(st.sock2);
    st.sock2 = -1;
    for (int i = 0; i < NUM_CONN; i++) {
        if (st.held[i]) st.conn[i] = 0;
        st.held[i] = false;
    }
}

// Server: the next frame of the connected client into msgb.mtext (code and text, ended by a
// zero byte); its length, or -1 when nothing was received.
int server_read_socket()
{
    if (st.sock1 < 0 || !accept_client()) return -1;
    unsigned char len = 0;
    const ssize_t r = recv(st.sock2, &len, 1, MSG_DONTWAIT);
    if (r == 0) {
        MESS_print(M_DEBUG_D, "Client disconnect\n");
        forget_client();
        return -1;
    }
    if (r < 0) {  // nothing waiting, or a failed connection
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            MESS_print(M_DEBUG_D, "Client connection failed: %s\n", strerror(errno));
            forget_client();
        }
        return -1;
    }
    if (!frame_length_ok(len)) {
        if (drop_frame(st.sock2, len, FRAME_WAIT_MS, "MQ_sget") <= 0) forget_client();
        return -1;
    }
    unsigned char frame[FRAME_MAX];
    const ssize_t got = read_full(st.sock2, frame, len, FRAME_WAIT_MS);
    if (got <= 0) {  // the client went away or stalled in the middle of a frame
        MESS_print(M_DEBUG_D, "Client disconnect\n");
        forget_client();
        return -1;
    }
    memset(st.msgb.mtext, 0, sizeof st.msgb.mtext);
    memcpy(st.msgb.mtext, frame, len);
    MESS_print(M_DEBUG_D, "Received: %d %d %d => %s\n", static_cast<int>(got), len, frame[0],
               st.msgb.mtext + 1);
    return len;
}

// Whether server number num can be served and no server answers on it.
bool number_free(int num)
{
    if (use_socket()) {
        if (socket_port(num) == 0) return false;
        const int fd = connect_server(num);
        if (fd < 0) return true;
        close(fd);
        return false;
    }
    return queue_key(num) != IPC_PRIVATE && lookup_queue(num) == -1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Client
// ---------------------------------------------------------------------------------------------

int MQ_open(int num)
{
    if (use_socket()) {
        const int fd = connect_server(num);
        if (fd < 0) return -1;
        if (st.sock1 >= 0) close(st.sock1);
        st.sock1 = fd;
        return 1;
    }
    intrp_loud = MESS_check(M_WARN) ? 1 : 0;
    struct sigaction sa{};
    sa.sa_handler = MQ_intrp;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGALRM, &sa, nullptr);
    const int id = lookup_queue(num);
    if (id >= 0) st.msgqid = id;
    return id;
}

int MQ_connect(int id)
{
    if (id < 0) return -1;
    MQ_clear(id, ANSWER_ID);
    MQ_put(id, -1, "%d", static_cast<int>(getuid()));
    MQ_enable_alarm();
    char item[MQ_TEXT_MAX + 1];
    int conn_id = -1;
    if (MQ_get(id, ANSWER_ID, item) == 2) {
        char *end = nullptr;
        errno = 0;
        const long n = strtol(item, &end, 10);
        // A usable id: a number whose code character is a byte and that names neither the
        // server's messages nor the connection answers.
        if (end != item && errno == 0 && n > ANSWER_ID && code_char(static_cast<int>(n)) >= 0) {
            conn_id = static_cast<int>(n);
            MQ_clear(id, conn_id);
        }
    }
    MQ_disable_alarm();
    return conn_id;
}

int MQ_put(int id, int conn_id, const char *format, ...)
{
    char text[FRAME_MAX + 1];
    va_list ap;
    va_start(ap, format);
    const int len = build_text(text, conn_id, format, ap);
    va_end(ap);
    if (len < 0) return -1;
    if (use_socket()) {
        const ssize_t r = st.sock1 >= 0 ? frame_send(st.sock1, text, len) : -1;
        MESS_print(M_DEBUG_D, "Send: %d %d %d => %s\n", static_cast<int>(r), len,
                   static_cast<unsigned char>(text[0]), text + 1);
        return static_cast<int>(r);
    }
    MESS_print(M_DEBUG_D, "PUT:%d:%s\n", id, text);
    return queue_send(id, CLIENT_TYPE, text, len, true);
}

int MQ_get(int id, int conn_id, char *item)
{
    if (!item) return -1;
    item[0] = '\0';
    if (use_socket()) return client_get_socket(item);
    return client_get_queue(id, conn_id, item);
}

int MQ_clear(int id, int index)
{
    if (use_socket()) return 0;
    ssize_t r;
    while ((r = queue_receive(id, index, st.msgb)) >= 0) {
    }
    return static_cast<int>(r);
}

// ---------------------------------------------------------------------------------------------
// Server
// ---------------------------------------------------------------------------------------------

int MQ_create(int num)
{
    if (num == -1) return -2;
    std::fill(st.conn, st.conn + NUM_CONN, 0);
    if (use_socket()) {
        forget_client();
        if (st.sock1 >= 0) close(st.sock1);
        st.sock1 = -1;
        const int port = socket_port(num);
        if (port == 0) return -1;
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        // Only this host's programs may talk to the server.
        const sockaddr_in addr = loopback(port);
        if (bind(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0 ||
            listen(fd, BACKLOG) != 0) {
            close(fd);
            return -1;
        }
        const int flags = fcntl(fd, F_GETFL, 0);
        fcntl(fd, F_SETFL, (flags < 0 ? 0 : flags) | O_NONBLOCK);
        st.sock1 = fd;
        return 1;
    }
    const key_t key = queue_key(num);
    if (key == IPC_PRIVATE) return -1;
    const int id = msgget(key, IPC_CREAT | IPC_EXCL | 0600);
    if (id < 0) return -1;
    st.msgqid = id;
    return id;
}

int MQ_sget(int id, int *conn_id, char *item)
{
    if (id < 0) return -1;
    int dummy;
    if (!conn_id) conn_id = &dummy;
    *conn_id = -1;
    int len;
    if (use_socket()) {
        len = server_read_socket();
        if (len <= 0) return -1;
    } else {
        const ssize_t r = queue_receive(id, CLIENT_TYPE, st.msgb);
        if (r <= 0) return static_cast<int>(r);
        len = static_cast<int>(r);
        MESS_print(M_DEBUG_D, "SGET:%s\n", st.msgb.mtext);
    }
    if (st.msgb.mtext[0] != '/') {
        *conn_id = code_value(st.msgb.mtext[0]);
        if (item) strfcpy(item, MQ_TEXT_MAX + 1, st.msgb.mtext + 1, static_cast<size_t>(len) - 1);
        return 1;
    }
    // A connection request: hand out the first free id.
    if (item) item[0] = '\0';
    for (int i = FIRST_SLOT; i <= LAST_SLOT; i++) {
        if (st.conn[i]) continue;
        st.conn[0] = 1;
        const int sent = MQ_sput(id, ANSWER_ID, 2, "%d", i + 2);
        st.conn[0] = 0;
        if (sent < 0 && use_socket()) break;  // the client left before its answer
        st.conn[i] = 1;
        st.held[i] = use_socket();
        *conn_id = i + 2;
        break;
    }
    return 2;
}

int MQ_sput(int id, int conn_id, int flag, const char *format, ...)
{
    if (id < 0 || conn_id < 0) return -1;
    const int slot = conn_id - 2;
    if (slot < 0 || slot >= NUM_CONN || !st.conn[slot]) return -1;
    char text[FRAME_MAX + 1];
    va_list ap;
    va_start(ap, format);
    const int len = build_text(text, flag, format, ap);
    va_end(ap);
    if (len < 0) return -1;
    if (flag < 0) {
        st.conn[slot] = 0;
        st.held[slot] = false;
    }
    if (use_socket()) {
        const ssize_t r = st.sock2 >= 0 ? frame_send(st.sock2, text, len) : -1;
        MESS_print(M_DEBUG_D, "Send: %d %d %d => %s\n", static_cast<int>(r), len,
                   static_cast<unsigned char>(text[0]), text + 1);
        if (r < 0) forget_client();  // the client is gone
        return static_cast<int>(r);
    }
    MESS_print(M_DEBUG_D, "SPUT:%d:%s:", conn_id, text);
    return queue_send(id, conn_id, text, len, false);
}

int MQ_del(int id)
{
    if (use_socket()) {
        forget_client();
        if (st.sock1 >= 0) close(st.sock1);
        st.sock1 = -1;
        return 0;
    }
    if (id >= 0) msgctl(id, IPC_RMID, nullptr);
    return 0;
}

int MQ_find(int ind)
{
    for (long long n = ind; n < static_cast<long long>(ind) + 50 && n <= INT_MAX; n++)
        if (number_free(static_cast<int>(n))) return static_cast<int>(n);
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Settings and the time-out
// ---------------------------------------------------------------------------------------------

int MQ_timeout(int val)
{
    st.timeout = val;
    return 0;
}

int MQ_timeout_func(MQ_handler func)
{
    st.to_func = func;
    return 0;
}

int MQ_offset(int ind)
{
    st.offset = ind;
    return 0;
}

int MQ_settype(int ind)
{
    st.type = ind;
    return 0;
}

int MQ_params()
{
    int count = 0;
    char **items = nullptr;
    RES_getvals("parameter", &count, &items);
    for (int i = 0; i < count; i++) {
        const char *item = items[i];
        if (!item) continue;
        if (strnicmp(item, "to", 2) == 0) {
            // "to=N": the number from the 4th character on (none: 0, no time-out).
            const char *value = strlen(item) > 3 ? item + 3 : "";
            const long n = strtol(value, nullptr, 10);
            st.timeout = static_cast<int>(std::clamp(n, 0L, static_cast<long>(INT_MAX)));
        } else if (stricmp(item, "qtype=sock") == 0) {
            st.type = 1;
        } else if (stricmp(item, "qtype=mqueue") == 0) {
            st.type = 0;
        }
    }
    if (items) free_parsed_array(count, items);
    return 0;
}

int MQ_enable_alarm()
{
    install_handler();
    alarm(st.timeout > 0 ? static_cast<unsigned>(st.timeout) : 0u);
    return 0;
}

int MQ_disable_alarm()
{
    alarm(0);
    return 0;
}

void MQ_intrp(int)
{
    // Runs as a signal handler: only async-signal-safe calls.
    static const char text[] = "Queue not responding!!\n";
    if (intrp_loud) {
        const ssize_t w = write(STDERR_FILENO, text, sizeof text - 1);
        (void)w;
    }
    _exit(VYK_EXIT_LOOP_WINDOW);
}
