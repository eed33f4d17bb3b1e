// Client side of the loop window messaging, driven from the command line.
//
// Usage: mq_client [-sock] [-off N] [-to S] [-alarm] [-param TEXT] COMMAND ...
//   -sock        TCP socket transport (default: message queue)
//   -off N       offset added to server numbers
//   -to S        time-out in seconds
//   -alarm       bound every read of replies by the time-out alarm (the socket reads have none
//                of their own)
//   -param TEXT  stores TEXT as the resource "parameter" and applies it
// Commands:
//   talk NUM TEXT...  opens server NUM ("open R"), asks for a connection ("connect ID"), then
//                     sends each TEXT ("put ok" or "put failed") and prints its replies
//                     ("reply FLAG [TEXT]", line ends shown as \n) up to the first with a flag
//                     other than 0
//   find NUM          prints the first free server number from NUM on
//   decode WORD...    starts up with a short resource list and the words as command line and
//                     prints the resource list ("name=value")
#include "vyk.h"
#include "vykresrc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A reply text with its line ends shown as \n.
std::string shown(const char *text)
{
    std::string s;
    for (const char *p = text; *p; p++) {
        if (*p == '\n') s += "\\n";
        else s += *p;
    }
    return s;
}

int talk(int num, int count, char **texts, bool with_alarm)
{
    const int id = MQ_open(num);
    printf("open %d\n", id);
    fflush(stdout);
    if (id < 0) return 1;
    const int conn_id = MQ_connect(id);
    printf("connect %d\n", conn_id);
    fflush(stdout);
    if (conn_id < 0) return 1;
    for (int i = 0; i < count; i++) {
        printf("put %s\n", MQ_put(id, conn_id, "%s", texts[i]) >= 0 ? "ok" : "failed");
        fflush(stdout);
        int flag;
        do {
            char item[MQ_TEXT_MAX + 1];
            if (with_alarm) MQ_enable_alarm();
            flag = MQ_get(id, conn_id, item);
            if (with_alarm) MQ_disable_alarm();
            printf("reply %d%s%s\n", flag, item[0] ? " " : "", shown(item).c_str());
            fflush(stdout);
        } while (flag == 0);
    }
    return 0;
}

int decode(int argc, char **argv)
{
    static const res_type keys[] = {RES_file_path, RES_level, RES_label, RES_variable,
                                    RES_title, RES_null};
    static const res_type pos[] = {RES_null};
    RES_init(argc, argv, keys, pos);
    for (const resource *r = RES_first(); r; r = r->next) {
        if (r->data) printf("%s=%s\n", r->name, r->data);
        else printf("%s\n", r->name);
    }
    return 0;
}

int usage()
{
    fprintf(stderr, "usage: mq_client [-sock] [-off N] [-to S] [-alarm] [-param TEXT] "
                    "talk NUM TEXT... | find NUM | decode WORD...\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    bool with_alarm = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; i++) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "-sock") MQ_settype(1);
        else if (a == "-off" && has_value) MQ_offset(atoi(argv[++i]));
        else if (a == "-to" && has_value) MQ_timeout(atoi(argv[++i]));
        else if (a == "-alarm") with_alarm = true;
        else if (a == "-param" && has_value) {
            RES_new(VYK_MISS, "parameter", argv[++i], CV_string);
            MQ_params();
        } else return usage();
    }
    if (i >= argc) return usage();
    const std::string cmd = argv[i];
    if (cmd == "talk" && i + 1 < argc)
        return talk(atoi(argv[i + 1]), argc - i - 2, argv + i + 2, with_alarm);
    if (cmd == "find" && i + 1 < argc) {
        printf("%d\n", MQ_find(atoi(argv[i + 1])));
        return 0;
    }
    if (cmd == "decode") {
        // The words after "decode" are the program's command line.
        std::vector<char *> words{argv[0]};
        for (int k = i + 1; k < argc; k++) words.push_back(argv[k]);
        words.push_back(nullptr);
        return decode(static_cast<int>(words.size()) - 1, words.data());
    }
    return usage();
}
