// vykmq.h: messaging with the loop window program (mqueue.cpp).
#ifndef VYKMQ_H
#define VYKMQ_H

// Texts travel behind a one-character code ('0' plus a connection id or a flag) and hold at most
// MQ_TEXT_MAX characters; a buffer that receives one (item) holds MQ_TEXT_MAX + 1 characters.

constexpr int MQ_TEXT_MAX = 118;
/// MQ_open on the queue: the server's queue exists but this user may not read and write it
/// (never a queue id).
constexpr int MQ_OPEN_FAILED = -2;

/// The message of the queue transport: 120 bytes of mtext travel with every message.
struct mqueuebuf {
    long mtype;      // 1 to the server; the connection id (2 for connection answers) to a client
    char mtext[124]; // code character, text, zero byte
};

typedef void (*MQ_handler)(int);

/// Opens server num: queue id (0 included), 1 on the socket; -1 no such server; MQ_OPEN_FAILED
/// (queue) when the server's queue exists but this user may not read and write it.
int MQ_open(int num);
int MQ_connect(int msgqid);
int MQ_put(int msgqid, int conn_id, const char *format, ...) __attribute__((format(printf, 3, 4)));
int MQ_get(int msgqid, int conn_id, char *item);

int MQ_clear(int msgqid, int index);
int MQ_create(int num);
int MQ_sget(int msgqid, int *conn_id, char *item);
int MQ_sput(int msgqid, int conn_id, int flag, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
int MQ_del(int msgqid);
int MQ_find(int ind);
int MQ_timeout(int val);
int MQ_timeout_func(MQ_handler func);
int MQ_offset(int ind);
int MQ_settype(int ind);
int MQ_params();
int MQ_enable_alarm();
int MQ_disable_alarm();
/// The default time-out handler: "Queue not responding!!" and the end of the program, status 7.
[[noreturn]] void MQ_intrp(int sig = 0);

#endif
