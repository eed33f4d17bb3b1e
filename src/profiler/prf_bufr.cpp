// The BUFR back end of the profiler reader: bulletin files, each message behind a heading of a
// few text lines (a line of asterisks, a WMO abbreviated heading, control lines).  The back end
// finds the next message by its "BUFR" mark, frames it in its buffer and hands it to the
// message decoder (prf_bufr_decode.cpp), one data subset per report.
//
// Framing trusts nothing in the file: octets before a message that are not heading text are
// skipped with a warning; a message whose total length is too small, larger than the buffer,
// or not ending in "7777" where its length says is skipped with a warning (by its length when
// "7777" stands there, else by looking for the next "BUFR" after its mark), and so is a
// truncated one.  Opening and rewinding both start the file again at its first octet.
#include "prf_internal.h"

#include <cstdio>
#include <cstring>
#include <sys/types.h>
#include <vector>

namespace {

/// Handle of an open bulletin file (there is one at most).
constexpr int BUFR_HANDLE = 1;
/// The largest message read (octets); larger ones are skipped.
constexpr size_t MAX_MESSAGE = 20000;
/// Section 0: "BUFR", the total length (3 octets) and the edition.
constexpr size_t SECTION0 = 8;
constexpr const char MAGIC[] = "BUFR";
constexpr const char END_MARK[] = "7777";
constexpr size_t MARK_LEN = 4;
/// The smallest total length that can hold sections 0 to 5.
constexpr size_t MIN_MESSAGE = SECTION0 + 17 + 7 + 4 + MARK_LEN;
/// Editions decoded (their sections 1 agree in what is read); others are skipped.
constexpr int EDITION_2 = 2, EDITION_3 = 3;
/// Longest heading line traced.
constexpr int HEADING_LINE = 79;

struct State {
    FILE *fp = nullptr;
    std::vector<unsigned char> octets;  // the current message after section 0
    PRF_bufr_message msg;
    bool in_message = false;            // msg holds subsets not yet read
};
State state;

/// The octets passed over while looking for a message: heading text, or junk.
struct Passed {
    long long count = 0;
    long long junk = 0;   // octets that cannot belong to a heading
    char line[HEADING_LINE + 1] = "";
    int line_len = 0;
};

/// Octets a bulletin heading may hold: printable text, tabs, line ends, and the start- and
/// end-of-message controls.
bool heading_octet(int c)
{
    return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n' || c == '\r' || c == 0x01 ||
           c == 0x03;
}

void pass_octet(Passed &p, int c, bool trace)
{
    p.count++;
    if (!heading_octet(c))
        p.junk++;
    if (!trace)
        return;
    if (c == '\n' || c == '\r') {
        if (p.line_len > 0)
            MESS_print(M_DEBUG, "Heading: %s\n", p.line);
        p.line_len = 0;
    } else if (p.line_len < HEADING_LINE) {
        p.line[p.line_len++] = c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '.';
        p.line[p.line_len] = '\0';
    }
}

/// Moves the stream to the next "BUFR" mark (left in the stream): its offset, or -1 at the
/// end of the file.  What is passed over is warned about unless it may be a heading.
long long find_mark(FILE *fp)
{
    const bool trace = MESS_check(M_DEBUG) != 0;
    const long long start = ftello(fp);
    Passed passed;
    size_t matched = 0;
    int c;
    while ((c = getc_unlocked(fp)) != EOF) {
        if (c == MAGIC[matched]) {
            if (++matched == MARK_LEN)
                break;
            continue;
        }
        // Octets of a partial match are passed over (none of them starts a mark again).
        for (size_t k = 0; k < matched; k++)
            pass_octet(passed, MAGIC[k], trace);
        matched = c == MAGIC[0] ? 1 : 0;
        if (matched == 0)
            pass_octet(passed, c, trace);
    }
    if (c == EOF)
        for (size_t k = 0; k < matched; k++)
            pass_octet(passed, MAGIC[k], trace);
    if (passed.line_len > 0 && trace)
        MESS_print(M_DEBUG, "Heading: %s\n", passed.line);
    if (passed.junk > 0)
        MESS_print(M_WARN, "PRF_read: %lld octets at offset %lld that are not a bulletin "
                           "heading skipped\n", passed.count, start);
    if (c == EOF)
        return -1;
    const long long mark = start + passed.count;
    if (trace)
        MESS_print(M_DEBUG, "Message at offset %lld\n", mark);
    return mark;
}

/// Whether "7777" stands at the stated end of the message at offset mark (stream moved).
bool ends_at(FILE *fp, long long mark, size_t length)
{
    char tail[MARK_LEN];
    return fseeko(fp, static_cast<off_t>(mark + length - MARK_LEN), SEEK_SET) == 0 &&
           std::fread(tail, 1, MARK_LEN, fp) == MARK_LEN &&
           std::memcmp(tail, END_MARK, MARK_LEN) == 0;
}

/// Skips the message at offset mark: past its stated end when "7777" stands there, else past
/// its mark only, so that a message inside its stated length is still found.
void skip_message(FILE *fp, long long mark, size_t length)
{
    if (length >= MIN_MESSAGE && ends_at(fp, mark, length))
        return;  // the stream stands past the end
    fseeko(fp, static_cast<off_t>(mark + MARK_LEN), SEEK_SET);
}

/// Frames the message whose mark was found at offset mark: 1 ready to decode, 0 skipped (with
/// a warning), -1 at the end of the file.
int frame_message(FILE *fp, long long mark)
{
    unsigned char s0[SECTION0];
    if (std::fread(s0 + MARK_LEN, 1, SECTION0 - MARK_LEN, fp) != SECTION0 - MARK_LEN) {
        MESS_print(M_WARN, "PRF_read: message at offset %lld truncated in section 0\n", mark);
        return -1;
    }
    const size_t length = (size_t{s0[4]} << 16) | (size_t{s0[5]} << 8) | s0[6];
    const int edition = s0[7];
    PRF_bufr_message &msg = state.msg;
    msg.offset = mark;
    msg.edition = edition;
    if (MESS_check(M_DEBUG))
        MESS_print(M_DEBUG, "Length %zu  edition %d\n", length, edition);
    const char *refusal = nullptr;
    char text[80];
    if (edition != EDITION_2 && edition != EDITION_3) {
        std::snprintf(text, sizeof text, "edition %d is not read", edition);
        refusal = text;
    } else if (length < MIN_MESSAGE) {
        std::snprintf(text, sizeof text, "total length %zu is too small", length);
        refusal = text;
    } else if (length > MAX_MESSAGE) {
        std::snprintf(text, sizeof text, "total length %zu is beyond the %zu octets read",
                      length, MAX_MESSAGE);
        refusal = text;
    }
    if (refusal != nullptr) {
        MESS_print(M_WARN, "PRF_read: message at offset %lld: %s; skipped\n", mark, refusal);
        skip_message(fp, mark, length);
        return 0;
    }
    state.octets.resize(length - SECTION0);
    const size_t got = std::fread(state.octets.data(), 1, state.octets.size(), fp);
    if (got != state.octets.size() ||
        std::memcmp(state.octets.data() + got - MARK_LEN, END_MARK, MARK_LEN) != 0) {
        if (got != state.octets.size())
            MESS_print(M_WARN, "PRF_read: message at offset %lld truncated: %zu of %zu octets; "
                               "skipped\n", mark, got + SECTION0, length);
        else
            MESS_print(M_WARN, "PRF_read: message at offset %lld does not end in \"7777\" at "
                               "its total length %zu; skipped\n", mark, length);
        fseeko(fp, static_cast<off_t>(mark + MARK_LEN), SEEK_SET);
        return 0;
    }
    return PRF_bufr_parse(state.octets.data(), state.octets.size(), &msg);
}

/// Frames the next message that can be decoded: true, or false at the end of the file.
bool next_message()
{
    for (;;) {
        const long long mark = find_mark(state.fp);
        if (mark == -1)
            return false;
        const int framed = frame_message(state.fp, mark);
        if (framed == -1)
            return false;
        if (framed == 1)
            return true;
    }
}

int open_file(const char *filename, int access)
{
    if (access != 0 || !FILE_is_file(filename))  // bulletin files are read only
        return -1;
    FILE *fp = std::fopen(filename, "rb");
    if (fp == nullptr)
        return -1;
    state = State();
    state.fp = fp;
    state.octets.reserve(MAX_MESSAGE);
    return BUFR_HANDLE;
}

int read_report(PRF_report *report, int *);
int rewind_file();

/// Bulletins have no header: the file's date is the time of its first report, when it has
/// one (the file is read again from its start afterwards).
int getinfo(PRF_info *info)
{
    PRF_report first;
    if (read_report(&first, nullptr) == 1) {
        Date d = state.msg.date;
        if (!VYK_is_miss(d.year) && !VYK_is_miss(d.month) && !VYK_is_miss(d.day) &&
            !VYK_is_miss(d.hour)) {
            if (VYK_is_miss(d.min))
                d.min = 0;
            d.sec = 0;
            const int64_t seconds = DATE_num_sec(&d);
            DATE_get_gmdate(&seconds, &info->date);
            DATE_make_label(&info->date, info->datim, sizeof info->datim);
        }
    }
    rewind_file();
    return 0;
}

int read_report(PRF_report *report, int *)
{
    if (state.fp == nullptr)
        return -1;
    for (;;) {
        if (!state.in_message) {
            if (!next_message())
                return -1;
            state.in_message = true;
        }
        if (PRF_bufr_subset(&state.msg, report) == 1)
            return 1;
        state.in_message = false;
    }
}

/// Back to the first message: reading starts again exactly as after the open.
int rewind_file()
{
    if (state.fp != nullptr) {
        std::rewind(state.fp);
        state.in_message = false;
        state.msg = PRF_bufr_message();
    }
    return 0;
}

int close_file()
{
    if (state.fp != nullptr)
        std::fclose(state.fp);
    state = State();
    return 0;
}

}  // namespace

const PRF_backend PRF_bufr = {open_file, getinfo, read_report, rewind_file, close_file,
                              nullptr};
