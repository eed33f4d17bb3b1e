// File-name conventions: every data file is named by a template that turns a date and a few key
// texts into a file name.
//
// The naming-convention file (resource `name_conv`, default "name_conv", on the `file_path`
// resource) holds one line per data type: type, template, header template ("-" for none) and an
// optional minimum size; '#' starts a comment line.  FILE_set_name selects the line of a data
// type (exactly, or the first line whose type is a prefix of it, the rest after the type's last
// '_' becoming the extension); a type that no line names is a template of its own.
//
// Template language: %Y %y %m %b %d %j %h %n are date fields (a number between '%' and the
// letter is a step: the value is rounded down to a multiple of it), %e the extension, %% a '%',
// %C %D %F %R %G %W %I %T %M %S and %{resource} directories taken from resources, any other
// %c the text of key c (a number is then a width); braces outside a directive are dropped and a
// blank is written as '_'.  The forced date (the `hour` resource) overrides or steps the fields.
//
// Each evaluation of a template also sets the period, the time between two files of the series:
// the finest time directive decides it (a forced step of that field assigns it outright).
//
// Limits: templates hold at most FILE_CONV_MAX characters and names FILE_NAME_MAX.  A template or
// name that would be longer is never cut down (that could name another file): it is replaced by
// FILE_NAME_TOO_LONG, which no file operation accepts, and the builders return -1.  A step of 0
// has no meaning: it is taken as no step, with a warning.  Candidate files are listed in-process
// (glob), never through a shell.
#include "vykbase.h"
#include "vykmess.h"
#include "vykstr.h"
#include "vykfile.h"
#include "vykfname.h"
#include "vykdate.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykresrc.h"

#include <glob.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

/// What the offset operations divide by when the period is not positive.
constexpr int NO_PERIOD = 100000;
/// Largest step or width read from a template; larger numbers are taken as this one.
constexpr int STEP_MAX = 99999;
/// Width of the listing of candidate files.
constexpr size_t LIST_WIDTH = 80;

// What a save slot keeps: the convention, its period and the current file name.
struct Convention {
    std::string conv;     // template; empty = no convention
    std::string hconv;    // header template; empty = none
    int late_off = 3600;  // period in seconds; VYK_MISS unknown
    char filename[FILE_NAME_MAX + 1] = "";  // the current file name
    int filename_type = 0;  // its origin: 1 user-given, 0 built or a standard stream
};

// The component's state; the member initialisers are the start values.
struct State : Convention {
    int min_size = 0;   // minimum size of the convention line
    int rmin_size = 0;  // minimum size set by the caller
    std::string ext;    // extension written by %e
    int header = 0;     // 1 while a header name is built
    // Key texts, indexed by the key character as an unsigned byte.
    char keys[256][FILE_KEY_MAX + 1] = {};
    bool keys_emptied = false;  // the first FILE_set_name empties them once
    // The forced date and the date of the last name built or matched.
    Date set = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS, 0};
    Date file_date = {VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS,
                      VYK_MISS, VYK_MISS, VYK_MISS, VYK_MISS};
};
State st;
Convention saved;  // the one save slot

/// Resources named by the path directives.
struct Path_directive {
    char letter;
    const char *resource;
};
constexpr Path_directive path_directives[] = {
    {'C', "con_path"},  {'D', "data_path"},  {'F', "file_path"},  {'R', "raw_path"},
    {'G', "grid_path"}, {'W', "watch_path"}, {'I', "image_path"}, {'T', "text_path"},
    {'M', "model_path"}, {'S', "sat_path"},
};

const char *path_resource(int c)
{
    for (const Path_directive &p : path_directives)
        if (p.letter == c)
            return p.resource;
    return nullptr;
}

/// A resource value, NULL when the resource is unset or has no text.
const char *resource_text(const char *name)
{
    const char *v = RES_get(name);
    return v != nullptr && v[0] != '\0' ? v : nullptr;
}

/// Stores a template, or the too-long marker (with a warning) when it has more than
/// FILE_CONV_MAX characters.
void store_template(std::string &dst, const std::string &text, const char *func)
{
    if (text.size() > static_cast<size_t>(FILE_CONV_MAX)) {
        MESS_print(M_WARN, "%s: Template longer than %d characters: %.60s...\n", func,
                   FILE_CONV_MAX, text.c_str());
        dst = FILE_NAME_TOO_LONG;
        return;
    }
    dst = text;
}

int clamp_int(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

/// A forced date field: not forced, a fixed value, or a step of `step` units from `offset`.
struct Forced {
    enum Kind { NONE, FIXED, STEP } kind = NONE;
    int step = 0;
    int offset = 0;
    bool zero_step = false;  // a step code whose step is 0: taken as not forced
};

/// The forced day: -9999 not forced, 0 or more fixed, -k every k days.
Forced forced_day(int f)
{
    Forced r;
    if (f == VYK_MISS)
        return r;
    if (f >= 0) {
        r.kind = Forced::FIXED;
        return r;
    }
    r.kind = Forced::STEP;
    r.step = clamp_int(-int64_t{f});
    return r;
}

/// The forced hour or minute: -9999 not forced, 0 or more fixed, -(100 o + k) every k units
/// from o.  A code whose k is 0 is no step.
Forced forced_clock(int f)
{
    Forced r = forced_day(f);
    if (r.kind != Forced::STEP)
        return r;
    const int64_t code = -int64_t{f};
    if (code % 100 == 0) {
        r = Forced{};
        r.zero_step = true;
        return r;
    }
    r.step = static_cast<int>(code % 100);
    r.offset = static_cast<int>(code / 100);
    return r;
}

/// The period rule for one time directive of step n; returns the period.
int period_rule(int directive, int n)
{
    if (n < 1)
        n = 1;
    int64_t unit;
    Forced f;
    switch (directive) {
    case 'd':
    case 'j':
        unit = 86400;
        f = forced_day(st.set.day);
        break;
    case 'h':
        unit = 3600;
        f = forced_clock(st.set.hour);
        break;
    case 'n':
        unit = 60;
        f = forced_clock(st.set.min);
        break;
    default:
        return st.late_off;
    }
    if (f.kind == Forced::STEP) {
        st.late_off = clamp_int(f.step * unit);
    } else {
        const int candidate = clamp_int(n * unit);
        if (st.late_off == VYK_MISS || candidate < st.late_off)
            st.late_off = candidate;
    }
    return st.late_off;
}

/// The directory of the user's file in which a series continues: when the current name is
/// user-given and a full path, the part of it before as many '/' (or a ':' in the second place)
/// from its end as the template has '/' and ':' characters.
bool extract_path(std::string &path)
{
    if (st.filename_type != 1 || !FILE_fullpath(st.filename))
        return false;
    int count = static_cast<int>(std::count_if(st.conv.begin(), st.conv.end(),
                                               [](char c) { return c == '/' || c == ':'; }));
    long pos = -1;
    for (long i = static_cast<long>(std::strlen(st.filename)) - 1; i >= 0 && count > 0; --i) {
        if (st.filename[i] == '/' || (st.filename[i] == ':' && i == 1)) {
            --count;
            pos = i;
        }
    }
    if (pos < 0)
        return false;
    path.assign(st.filename, static_cast<size_t>(pos));
    MESS_print(M_DEBUG_C, "Extracted path: %s\n", path.c_str());
    return true;
}

/// A name under construction, at most FILE_NAME_MAX characters; anything beyond marks it too
/// long instead of being cut.
class Name_buffer {
public:
    void put(char c)
    {
        if (len_ < static_cast<size_t>(FILE_NAME_MAX))
            buf_[len_++] = c;
        else
            too_long_ = true;
    }
    void put(const char *s, size_t n)
    {
        for (size_t i = 0; i < n && s[i] != '\0'; ++i)
            put(s[i]);
    }
    void put(const char *s) { put(s, std::strlen(s)); }
    /// A number of at least `width` digits; a missing (negative) value is written as zeros.
    void put_num(int v, int width)
    {
        char tmp[24];
        if (v < 0)
            std::snprintf(tmp, sizeof tmp, "%0*d", width, 0);
        else
            std::snprintf(tmp, sizeof tmp, "%0*d", width, v);
        put(tmp);
    }
    bool too_long() const { return too_long_; }
    /// Marks the name as not to be built (a key that could lead it into another directory).
    void refuse() { refused_ = true; }
    bool refused() const { return refused_; }
    const char *text()
    {
        buf_[len_] = '\0';
        return buf_;
    }

private:
    char buf_[FILE_NAME_MAX + 1];
    size_t len_ = 0;
    bool too_long_ = false;
    bool refused_ = false;
};

/// A directive read from a template at position i (the '%'): its step, whether a number was
/// given, the directive character and the position after it.  False for a '%' that ends the
/// template (alone or with its number).
struct Directive {
    int n = 1;
    bool given = false;
    char letter = '\0';
    size_t next = 0;
};

bool read_directive(const std::string &t, size_t i, Directive &d)
{
    size_t j = i + 1;
    int64_t acc = 0;
    while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) {
        acc = std::min<int64_t>(acc * 10 + (t[j] - '0'), STEP_MAX);
        d.given = true;
        ++j;
    }
    if (j >= t.size())
        return false;
    d.n = d.given ? static_cast<int>(acc) : 1;
    d.letter = t[j];
    d.next = j + 1;
    return true;
}

bool is_date_directive(char c)
{
    return c != '\0' && std::strchr("Yymbdjhn", c) != nullptr;
}

/// A value rounded down to a multiple of n; -9999 for a missing (negative) value.
int round_down(int v, int n)
{
    return v < 0 ? VYK_MISS : (v / n) * n;
}

/// The hour or minute written for a field: fixed forced value rounded by n, a forced step, or
/// the input rounded by n.
int clock_value(const Forced &f, int forced, int input, int n)
{
    if (f.kind == Forced::FIXED)
        return (forced / n) * n;
    if (f.kind == Forced::STEP) {
        if (input < 0)
            return VYK_MISS;
        return clamp_int(int64_t{input / f.step} * f.step + f.offset);
    }
    return round_down(input, n);
}

/// The day written for %d (and used by %j): fixed forced day, forced step, or input by n.
int day_value(const Forced &f, int input, int n)
{
    if (f.kind == Forced::FIXED)
        return st.set.day;
    if (f.kind == Forced::STEP)
        return round_down(input, f.step);
    return round_down(input, n);
}

/// Whether a key text may stand in a file name: keys often come from data files (station
/// identifiers, names read from headers), and a '/' or a whole "." or ".." would take the name
/// into another directory.
bool key_is_safe(const std::string &text)
{
    return text.find('/') == std::string::npos && text != "." && text != "..";
}

/// Writes the text of key c; "0" when the key is empty; with a width at most that many
/// characters.  A key that is not safe refuses the whole name (with a warning).
void put_key(Name_buffer &out, unsigned char c, const Directive &d)
{
    const char *text = st.keys[c];
    const std::string piece = d.given ? std::string(text, strnlen(text, static_cast<size_t>(d.n)))
                                      : std::string(text);
    if (!key_is_safe(piece)) {
        MESS_print(M_WARN, "FILE_set_date: key %c refused in a file name: %s\n", c, text);
        out.refuse();
    } else if (piece.empty()) {
        out.put('0');
    } else {
        out.put(piece.c_str());
    }
}

/// A date directive (Y y m b d j h n) of step n: writes the field of the input date, or the
/// forced field that overrides or steps it, and stores it in the file date; the day, hour and
/// minute directives also set the period.
void put_date(Name_buffer &out, char letter, int n, const Date &in)
{
    Date &file = st.file_date;
    const Date &set = st.set;
    switch (letter) {
    case 'Y': {
        const int v = set.year != VYK_MISS ? set.year : round_down(in.year, n);
        out.put_num(v, 4);
        file.year = v < 0 ? VYK_MISS : v;
        break;
    }
    case 'y':
        if (set.year != VYK_MISS) {
            out.put_num(((set.year % 100) + 100) % 100, 2);
            file.year = set.year;
        } else if (in.year < 0) {
            out.put("00");
            file.year = VYK_MISS;
        } else {
            const int yy = ((in.year % 100) / n) * n;
            out.put_num(yy, 2);
            file.year = yy + (in.year / 100) * 100;
        }
        break;
    case 'm':
    case 'b': {
        int v = set.month != VYK_MISS ? set.month : round_down(in.month, n);
        if (v < 0)
            v = VYK_MISS;
        if (letter == 'm')
            out.put_num(v, 2);
        else
            out.put(v >= 1 && v <= 12 ? DATE_month_lower(v) : "xxx");
        file.month = v;
        break;
    }
    case 'd': {
        const int v = day_value(forced_day(set.day), in.day, n);
        out.put_num(v, 2);
        file.day = v < 0 ? VYK_MISS : v;
        period_rule('d', n);
        break;
    }
    case 'j': {
        const Forced fday = forced_day(set.day);
        const int day = day_value(fday, in.day, n);
        int jday = VYK_MISS;
        if (in.year >= 0 && in.month >= 0 && day >= 0)
            DATE_monday_julian(in.year, in.month, day, &jday);
        out.put_num(jday, 3);
        file.month = in.month < 0 ? VYK_MISS : in.month;
        file.day = fday.kind == Forced::FIXED ? set.day : (in.day < 0 ? VYK_MISS : in.day);
        file.jday = jday;
        period_rule('j', n);
        break;
    }
    case 'h':
    case 'n': {
        const bool hour = letter == 'h';
        const Forced f = forced_clock(hour ? set.hour : set.min);
        if (f.zero_step)
            MESS_print(M_WARN, "FILE_set_date: Forced %s step 0 means no step\n",
                       hour ? "hour" : "minute");
        const int v = hour ? clock_value(f, set.hour, in.hour, n)
                           : clock_value(f, set.min, in.min, n);
        out.put_num(v, 2);
        (hour ? file.hour : file.min) = v < 0 ? VYK_MISS : v;
        period_rule(letter, n);
        break;
    }
    default:
        break;
    }
}

/// A directory of a path directive or of "%{resource}": the user's own directory when a series
/// continues in it, else the resource's text, else unset.
void put_dir(Name_buffer &out, const char *resource, const char *unset, bool have_path,
             const std::string &path)
{
    if (have_path) {
        out.put(path.c_str());
    } else {
        const char *v = resource_text(resource);
        out.put(v ? v : unset);
    }
}

/// Evaluates a template for the input date into out, storing the fields used in the file date.
void evaluate(const std::string &t, const Date &in, bool have_path, const std::string &path,
              Name_buffer &out)
{
    size_t i = 0;
    while (i < t.size()) {
        const char c = t[i];
        if (c != '%') {
            if (c == ' ')
                out.put('_');
            else if (c != '{' && c != '}')
                out.put(c);
            ++i;
            continue;
        }
        Directive d;
        if (!read_directive(t, i, d)) {
            out.put(t.c_str() + i);  // a '%' ending the template stands for itself
            break;
        }
        i = d.next;
        const char letter = d.letter;
        const char *dir = path_resource(letter);
        const bool is_key = letter != 'e' && letter != '%' && letter != '{' && !dir &&
                            !is_date_directive(letter);
        if (d.given && d.n == 0 && (is_key || is_date_directive(letter))) {
            MESS_print(M_WARN, "FILE_set_date: %%0%c: a step or width of 0 is taken as none\n",
                       letter);
            d.given = false;
            d.n = 1;
        }
        if (is_date_directive(letter)) {
            put_date(out, letter, d.n, in);
        } else if (letter == 'e') {
            out.put(st.ext.c_str());
        } else if (letter == '%') {
            out.put('%');
        } else if (letter == '{') {
            const size_t close = t.find('}', i);
            if (close == std::string::npos) {
                // No closing brace: the '%' stands for itself, the rest is read as usual.
                out.put('%');
                i = d.next - 1;
                continue;
            }
            const std::string name = t.substr(i, close - i);
            i = close + 1;
            put_dir(out, name.c_str(), "", have_path, path);
        } else if (dir) {
            put_dir(out, dir, ".", have_path, path);
        } else {
            put_key(out, static_cast<unsigned char>(letter), d);
        }
    }
}

/// Appends text to a glob pattern so that it matches itself only.
void put_literal(std::string &pattern, const char *text)
{
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p == '*' || *p == '?' || *p == '[' || *p == '\\')
            pattern += '\\';
        pattern += *p;
    }
}

/// The glob pattern of the candidate files of template t.
std::string list_pattern(const std::string &t)
{
    std::string pattern;
    size_t i = 0;
    while (i < t.size()) {
        const char c = t[i];
        if (c != '%') {
            if (c != '{' && c != '}')
                pattern += c;
            ++i;
            continue;
        }
        Directive d;
        if (!read_directive(t, i, d)) {
            pattern += t.substr(i);
            break;
        }
        i = d.next;
        switch (d.letter) {
        case 'Y':
            pattern += "?[0-9]??";
            break;
        case 'y':
        case 'm':
        case 'd':
        case 'h':
        case 'n':
            pattern += "[0-9]?";
            break;
        case 'b':
            pattern += "?[a-z]?";
            break;
        case 'j':
            pattern += "?[0-9]?";
            break;
        case 'e':
            if (st.ext.empty())
                pattern += '*';
            else
                put_literal(pattern, st.ext.c_str());
            break;
        case '%':
            pattern += '%';
            break;
        case '{': {
            const size_t close = t.find('}', i);
            if (close == std::string::npos) {
                pattern += '%';
                i = d.next - 1;
                break;
            }
            const std::string name = t.substr(i, close - i);
            i = close + 1;
            if (const char *v = resource_text(name.c_str()))
                put_literal(pattern, v);
            break;
        }
        default:
            if (const char *res = path_resource(d.letter)) {
                const char *v = resource_text(res);
                put_literal(pattern, v ? v : ".");
            } else {
                const char *text = st.keys[static_cast<unsigned char>(d.letter)];
                if (text[0] != '\0')
                    put_literal(pattern, text);
                else if (d.given)
                    pattern.append(static_cast<size_t>(std::min(d.n, FILE_NAME_MAX)), '?');
                else
                    pattern += '*';
            }
            break;
        }
    }
    return pattern;
}

/// Prints names across in columns as wide as their longest name and two blanks, as many
/// columns as fit in LIST_WIDTH.
void print_columns(const std::vector<std::string> &names)
{
    const size_t count = names.size();
    if (count == 0)
        return;
    constexpr size_t MIN_COLUMN = 3;
    const size_t max_cols = std::min(count, std::max<size_t>(1, LIST_WIDTH / MIN_COLUMN));
    size_t cols = 1;
    std::vector<size_t> widths;
    for (size_t c = max_cols; c >= 1; --c) {
        std::vector<size_t> w(c, MIN_COLUMN);
        size_t line = c * MIN_COLUMN;
        bool fits = true;
        for (size_t k = 0; k < count && fits; ++k) {
            const size_t col = k % c;
            const size_t len = names[k].size() + (col == c - 1 ? 0 : 2);
            if (len > w[col]) {
                line += len - w[col];
                w[col] = len;
                fits = line < LIST_WIDTH;
            }
        }
        if (fits || c == 1) {
            cols = c;
            widths = std::move(w);
            break;
        }
    }
    std::string row;
    for (size_t k = 0; k < count; ++k) {
        const size_t col = k % cols;
        row += names[k];
        if (col == cols - 1 || k == count - 1) {
            MESS_print(M_PRINT, "%s\n", row.c_str());
            row.clear();
        } else {
            row.append(widths[col] - names[k].size(), ' ');
        }
    }
}

/// Splits a line into at most max blank-separated words.
std::vector<std::string> split_words(const char *line, size_t max)
{
    std::vector<std::string> words;
    const char *p = line;
    while (words.size() < max) {
        while (*p == ' ' || *p == '\t' || *p == '\r')
            ++p;
        if (*p == '\0')
            break;
        const char *start = p;
        while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\r')
            ++p;
        words.emplace_back(start, static_cast<size_t>(p - start));
    }
    return words;
}

/// A minimum size word: its number, 0 when it is absent, not a number or negative.
int size_word(const std::string &word)
{
    char *end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (end == word.c_str() || v < 0)
        return 0;
    return static_cast<int>(std::min<long>(v, INT_MAX));
}

/// Skips the rest of a line that fgetnline returned in pieces; true when there was a rest.
bool skip_rest_of_line(FILE *fp)
{
    int c = getc(fp);
    if (c == EOF || c == '\n') {
        if (c == '\n')
            ungetc(c, fp);
        return false;
    }
    while ((c = getc(fp)) != EOF && c != '\n') {
    }
    if (c == '\n')
        ungetc(c, fp);
    return true;
}

/// Sets the keys of the groups ":c=value" in a type text; the type is the text before the
/// first group.
std::string take_keys(const char *type_text)
{
    std::string type = type_text;
    size_t cut = std::string::npos;
    for (size_t p = type.find(':'); p != std::string::npos; p = type.find(':', p + 1)) {
        if (p + 2 >= type.size() || type[p + 2] != '=')
            continue;
        const size_t end = type.find(':', p + 3);
        const std::string value =
            type.substr(p + 3, end == std::string::npos ? std::string::npos : end - (p + 3));
        FILE_set_key(static_cast<unsigned char>(type[p + 1]), value.c_str());
        MESS_print(M_DEBUG_D, "KEY: %c = %s\n", type[p + 1], value.c_str());
        cut = std::min(cut, p);
    }
    if (cut != std::string::npos)
        type.resize(cut);
    return type;
}

/// Reads the convention file fp (named path) up to the line of type: exactly its type, or a
/// type that begins it (the rest after the type's last '_' becoming the extension).  True when
/// found, the convention then being that line's; otherwise the last line read is left in it.
bool read_convention(FILE *fp, const char *path, const std::string &type)
{
    st.ext.clear();
    char line[FGETLINE_MAX + 1];
    int got;
    while ((got = fgetnline(fp, line, FGETLINE_MAX)) >= 0) {
        const bool long_line = got == FGETLINE_MAX && skip_rest_of_line(fp);
        if (line[0] == '#')
            continue;
        if (long_line) {
            // Read in pieces, its words would be wrong: the line is left out.
            MESS_print(M_WARN, "FILE_set_name: Line longer than %d characters in %s\n",
                       FGETLINE_MAX, path);
            continue;
        }
        st.conv.clear();
        st.hconv.clear();
        st.min_size = 0;
        const std::vector<std::string> words = split_words(got > 0 ? line : "", 4);
        if (words.empty())
            continue;
        if (words.size() > 1)
            st.conv = words[1];
        if (words.size() > 2 && words[2] != "-")
            st.hconv = words[2];
        if (words.size() > 3)
            st.min_size = size_word(words[3]);

        const std::string &line_type = words[0];
        if (stricmp(line_type.c_str(), type.c_str()) == 0) {
            MESS_print(M_DEBUG_A, "File name match for: %s\n", type.c_str());
            return true;
        }
        if (strnicmp(type.c_str(), line_type.c_str(), static_cast<int>(line_type.size())) == 0) {
            const size_t us = type.rfind('_');
            FILE_set_ext(us == std::string::npos ? "" : type.c_str() + us + 1);
            MESS_print(M_DEBUG_A, "File name partial match for: %s-%s ext: %s\n", type.c_str(),
                       line_type.c_str(), st.ext.c_str());
            return true;
        }
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Selecting a convention
// ---------------------------------------------------------------------------------------------

int FILE_set_name(const char *type_text)
{
    if (!st.keys_emptied) {
        std::memset(st.keys, 0, sizeof st.keys);
        st.keys_emptied = true;
    }
    st.filename[0] = '\0';
    if (type_text == nullptr || stricmp(type_text, "none") == 0) {
        st.conv.clear();
        return 0;
    }
    if (type_text[0] == '@') {
        store_template(st.conv, type_text + 1, "FILE_set_name");
        return 1;
    }
    const std::string type = take_keys(type_text);

    const char *conv_name = resource_text("name_conv");
    char path[FILE_NAME_MAX + 1];
    FILE_add_path(resource_text("file_path"), conv_name ? conv_name : "name_conv", path);
    // The convention file is a plain file: never the standard input.
    FILE *fp = FILE_is_stdio(path) ? nullptr : FILE_open(path, "r");
    if (fp == nullptr) {
        MESS_print(M_WARN, "FILE_set_name: No file name convention file: %s\n", path);
        store_template(st.conv, type, "FILE_set_name");
        return 0;
    }
    MESS_print(M_DEBUG_A, "Opening name convention file: %s\n", path);
    const bool found = read_convention(fp, path, type);
    FILE_close(fp);
    if (found)
        return 1;
    store_template(st.conv, type, "FILE_set_name");
    st.hconv.clear();
    st.min_size = 0;
    MESS_print(M_DEBUG_A, "No file name conversion for: %s\n", type.c_str());
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Building names
// ---------------------------------------------------------------------------------------------

int FILE_set_date(const Date *date, char *out)
{
    if (out == nullptr)
        return -1;
    if (st.conv.empty()) {
        strfcpy(out, FILE_NAME_MAX + 1, st.filename[0] != '\0' ? st.filename : "filename");
        st.filename_type = 1;
        return 1;
    }
    if (FILE_is_stdio(st.conv.c_str())) {
        std::strcpy(out, "-");
        st.filename_type = 0;
        return 1;
    }

    std::string path;
    const bool have_path = extract_path(path);
    const std::string &tmpl = st.header ? st.hconv : st.conv;
    st.late_off = VYK_MISS;
    Date in;
    if (date != nullptr) {
        in = *date;
        st.file_date.year = st.file_date.month = st.file_date.day = VYK_MISS;
        st.file_date.hour = st.file_date.min = VYK_MISS;
    } else {
        in = st.file_date;
    }
    if (in.year == VYK_MISS && st.filename[0] != '\0') {
        strfcpy(out, FILE_NAME_MAX + 1, st.filename);
        st.filename_type = 1;
        return 1;
    }

    Name_buffer name;
    if (tmpl == FILE_NAME_TOO_LONG)
        name.put(FILE_NAME_TOO_LONG);
    else
        evaluate(tmpl, in, have_path, path, name);
    if (tmpl == FILE_NAME_TOO_LONG || name.too_long() || name.refused()) {
        if (name.too_long())
            MESS_print(M_WARN, "FILE_set_date: File name longer than %d characters\n",
                       FILE_NAME_MAX);
        std::strcpy(out, FILE_NAME_TOO_LONG);
        std::strcpy(st.filename, FILE_NAME_TOO_LONG);
        return -1;
    }
    strfcpy(out, FILE_NAME_MAX + 1, name.text());
    strfcpy(st.filename, out);
    return 0;
}

int FILE_hdr_set_date(const Date *date, char *out)
{
    if (out == nullptr)
        return 0;
    st.header = 1;
    const Date copy = date != nullptr ? *date : st.file_date;
    if (copy.year == VYK_MISS) {
        st.header = 0;
        return 0;
    }
    const int result = FILE_set_date(&copy, out);
    st.header = 0;
    if (result < 0)
        return -1;
    return out[0] != '\0' ? 1 : 0;
}

int FILE_set_date_off(const Date *date, int offset, char *out)
{
    Date d = date != nullptr ? *date : st.file_date;
    if (d.year != VYK_MISS) {
        const int64_t old_secs = DATE_num_sec(&d);
        const int64_t new_secs = old_secs + offset;
        DATE_get_gmdate(&new_secs, &d);
        MESS_print(M_DEBUG, "%lld %lld = %d %d %d %d\n", static_cast<long long>(old_secs),
                   static_cast<long long>(new_secs), d.year, d.day, d.hour, d.min);
    }
    FILE_set_date(&d, out);
    return offset / (st.late_off > 0 ? st.late_off : NO_PERIOD);
}

int FILE_get_offset()
{
    return st.late_off > 0 ? st.late_off : NO_PERIOD;
}

// ---------------------------------------------------------------------------------------------
// Listing candidate files
// ---------------------------------------------------------------------------------------------

int FILE_list_file()
{
    const std::string pattern = list_pattern(st.conv);
    MESS_print(M_DEBUG, "SEARCH: %s\n", pattern.c_str());
    glob_t g{};
    const int status = glob(pattern.c_str(), 0, nullptr, &g);
    std::vector<std::string> names;
    if (status == 0)
        for (size_t k = 0; k < g.gl_pathc; ++k)
            names.emplace_back(g.gl_pathv[k]);
    globfree(&g);
    if (names.empty()) {
        MESS_print(M_WARN, "FILE_list_file: No files match: %s\n", pattern.c_str());
        return 0;
    }
    print_columns(names);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The convention state
// ---------------------------------------------------------------------------------------------

int FILE_set_filename(const char *name)
{
    if (name == nullptr)
        name = "";
    FILE_store_name(name, st.filename);
    st.filename_type = 1;
    return 0;
}

char *FILE_get_filename(char *out)
{
    if (out != nullptr)
        strfcpy(out, FILE_NAME_MAX + 1, st.filename);
    return st.filename;
}

int FILE_set_name_conv(const char *str)
{
    st.hconv.clear();
    if (str == nullptr)
        return 0;
    char *end = nullptr;
    const long period = std::strtol(str, &end, 10);
    if (end == str)
        return 0;
    st.late_off = static_cast<int>(std::clamp<long>(period, INT_MIN, INT_MAX));
    const std::vector<std::string> words = split_words(end, 2);
    if (!words.empty())
        store_template(st.conv, words[0], "FILE_set_name_conv");
    if (words.size() > 1)
        store_template(st.hconv, words[1], "FILE_set_name_conv");
    return 0;
}

int FILE_get_name_conv(char *out)
{
    if (out == nullptr)
        return -1;
    std::snprintf(out, FILE_NAME_CONV_LEN, "%d %s %s", st.late_off, st.conv.c_str(),
                  st.hconv.c_str());
    return 0;
}

int FILE_save_name_conv()
{
    saved = static_cast<const Convention &>(st);
    return 0;
}

int FILE_restore_name_conv()
{
    static_cast<Convention &>(st) = saved;
    return 0;
}

int FILE_set_late_off(int secs)
{
    st.late_off = secs;
    return 0;
}

int FILE_get_late_off()
{
    return st.late_off;
}

int FILE_set_min_size(int bytes)
{
    st.rmin_size = std::max(bytes, 0);
    return 0;
}

int FILE_get_min_size()
{
    return st.rmin_size != 0 ? st.rmin_size : st.min_size;
}

int FILE_set_time(const Date *date)
{
    if (date == nullptr)
        return -1;
    st.set = *date;
    return 0;
}

int FILE_get_time(Date *date)
{
    if (date == nullptr)
        return -1;
    *date = st.set;
    return 0;
}

int FILE_reset_time()
{
    st.set.year = st.set.month = st.set.day = st.set.hour = st.set.min = VYK_MISS;
    return 0;
}

int FILE_set_key(int key, const char *text)
{
    char *k = st.keys[static_cast<unsigned char>(key)];
    size_t n = 0;
    if (text != nullptr)
        for (; n < static_cast<size_t>(FILE_KEY_MAX) && text[n] != '\0'; ++n)
            k[n] = text[n] == ' ' ? '_' : text[n];
    k[n] = '\0';
    return 0;
}

int FILE_get_key(int key, char *out)
{
    if (out == nullptr)
        return -1;
    std::strcpy(out, st.keys[static_cast<unsigned char>(key)]);
    return 0;
}

const char *FILE_get_conv()
{
    return st.conv.c_str();
}

const char *FILE_get_hconv()
{
    return st.hconv.c_str();
}

int FILE_get_header()
{
    return st.header;
}

const char *FILE_get_template()
{
    return st.header ? st.hconv.c_str() : st.conv.c_str();
}

int FILE_set_filename_type(int type)
{
    st.filename_type = type;
    return 0;
}

int FILE_get_filename_type()
{
    return st.filename_type;
}

int FILE_get_file_date(Date *date)
{
    if (date == nullptr)
        return -1;
    *date = st.file_date;
    return 0;
}

int FILE_set_file_date(const Date *date)
{
    if (date == nullptr)
        return -1;
    st.file_date = *date;
    return 0;
}

const char *FILE_get_ext()
{
    return st.ext.c_str();
}

int FILE_set_ext(const char *text)
{
    if (text == nullptr)
        text = "";
    // Kept whole: a longer text is held to one character more than a name may have, so that
    // every name built with it is refused as too long rather than cut.
    st.ext.assign(text, std::min(std::strlen(text), static_cast<size_t>(FILE_NAME_MAX) + 1));
    return 0;
}

int FILE_period_rule(int directive, int n)
{
    return period_rule(directive, n);
}

const char *FILE_path_resource(int directive)
{
    return path_resource(directive);
}
