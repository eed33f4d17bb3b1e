// Completing typed file names: a text the user typed (a bare date, a name without its
// directory, a full path, "la" for the latest file) is matched against the current template
// and completed into the full name the template describes; the fields read on the way make the
// file date, so that a program can go on to the neighbouring files of the same series.
#include "vykbase.h"
#include "vykmess.h"
#include "vykfile.h"
#include "vykfname.h"
#include "vykdate.h"
#include "vykscan.h"
#include "vykproc.h"
#include "vykresrc.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

// The component's state; the member initialisers are the start values.
struct State {
    // 0: a typed text may end in a date suffix that sets the forced date; 1: a tail starting
    // with '#', '-', '+' or ':' is moved into the extra information; other values: neither.
    int file_type = 0;
    // The tail cut from the last typed text under name kind 1.
    std::string ext_info;
};
State st;

bool is_digit(char c) { return isdigit(static_cast<unsigned char>(c)) != 0; }

// Reads up to width digits at p into value; returns the digits read.
int read_digits(const char *p, int width, int &value)
{
    int n = 0;
    int v = 0;
    while (n < width && is_digit(p[n])) v = v * 10 + (p[n++] - '0');
    if (n > 0) value = v;
    return n;
}

// A date suffix "YYYY[MM[DD[HH[NN]]]]" (the text after the '#') into the forced date: the year
// from up to four digits, then each further field only while digits follow.
void read_date_suffix(const char *p)
{
    Date forced;
    FILE_get_time(&forced);
    int n = read_digits(p, 4, forced.year);
    if (n > 0) {
        p += n;
        int *fields[] = {&forced.month, &forced.day, &forced.hour, &forced.min};
        for (int *field : fields) {
            if (!is_digit(*p)) break;
            p += read_digits(p, 2, *field);
        }
        FILE_set_time(&forced);
    }
}

// A number as the scanf family reads "%<width>d" from piece (which holds at most width
// characters): blanks, a sign and digits.  False when no digit is there.
bool scan_int(const std::string &piece, int &value)
{
    size_t i = 0;
    while (i < piece.size() && isspace(static_cast<unsigned char>(piece[i]))) i++;
    bool neg = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) neg = piece[i++] == '-';
    if (i >= piece.size() || !is_digit(piece[i])) return false;
    long v = 0;
    while (i < piece.size() && is_digit(piece[i]) && v < INT_MAX / 10)
        v = v * 10 + (piece[i++] - '0');
    value = static_cast<int>(neg ? -v : v);
    return true;
}

// A resource's text; NULL when the resource is unset or has no text.
const char *resource_text(const char *name)
{
    const char *v = RES_get(name);
    return v && v[0] ? v : nullptr;
}

// The matcher: runs the template backwards against the typed text.
class Matcher {
public:
    Matcher(const std::string &tmpl, const std::string &text, Date &date)
        : tmpl_(tmpl), text_(text), date_(date),
          iwhere_(text.find('/') == std::string::npos ? 2 : 0)
    {
    }

    std::string run()
    {
        FILE_set_late_off(VYK_MISS);
        while (t_ < tmpl_.size() && !stopped_) {
            MESS_print(M_DEBUG_D, "FILES:%s:%s:%s:%s:%s:%d\n", tmpl_.c_str() + t_,
                       text_.c_str() + n_, out_.c_str(), text_.c_str(), out_.c_str(), where_);
            const char c = tmpl_[t_];
            if (in_block_) {
                if (c == '}') {
                    in_block_ = false;
                    where_ = 1;
                    t_++;
                } else if (c == '%') {
                    directive();
                } else {
                    out_ += c == ' ' ? '_' : c;
                    t_++;
                }
            } else if (c == '*') {
                stop();
            } else if (c == '%') {
                directive();
            } else if (c == '{') {
                in_block_ = true;
                t_++;
            } else {
                literal(c);
            }
        }
        MESS_print(M_DEBUG_D, "FILES:%s:%s:%d\n", text_.c_str(), out_.c_str(), where_);
        DATE_print(M_DEBUG, &date_);
        return out_;
    }

private:
    // Copies the rest of the text and ends the matching.
    void stop()
    {
        out_.append(text_, n_, std::string::npos);
        n_ = text_.size();
        stopped_ = true;
    }

    bool text_left() const { return n_ < text_.size(); }

    // Where the rest of the template (after the directive at t_) occurs in the text from N;
    // an empty rest occurs at the end of the text.
    size_t find_rest() const
    {
        const std::string rest = tmpl_.substr(t_);
        if (rest.empty()) return text_.size();
        return text_.find(rest, n_);
    }

    void directive()
    {
        size_t p = t_ + 1;
        int step = 0;
        bool has_step = false;
        while (p < tmpl_.size() && is_digit(tmpl_[p])) {
            if (step < 100000) step = step * 10 + (tmpl_[p] - '0');
            has_step = true;
            p++;
        }
        if (p >= tmpl_.size()) {  // a lone '%' at the end of the template writes nothing
            t_ = p;
            return;
        }
        const char d = tmpl_[p];
        t_ = p + 1;
        const int n = has_step ? step : 1;
        switch (d) {
        case '%':
            out_ += '%';
            return;
        case 'e':
            extension();
            return;
        case 'Y': date_field(d, 4, n); return;
        case 'y': date_field(d, 2, n); return;
        case 'b': date_field(d, 3, n); return;
        case 'm': date_field(d, 2, n); return;
        case 'd': date_field(d, 2, n); return;
        case 'j': date_field(d, 3, n); return;
        case 'h': date_field(d, 2, n); return;
        case 'n': date_field(d, 2, n); return;
        case '{': {
            const size_t close = tmpl_.find('}', t_);
            if (close == std::string::npos) {
                // No closing brace: the '%' stands for itself, as the names are built.
                out_ += '%';
                t_--;
                return;
            }
            const std::string name = tmpl_.substr(t_, close - t_);
            t_ = close + 1;
            path(resource_text(name.c_str()), "");
            return;
        }
        default:
            if (const char *res = FILE_path_resource(d)) {
                path(resource_text(res), ".");
                return;
            }
            key(d, has_step ? step : -1);
            return;
        }
    }

    void extension()
    {
        const std::string ext = FILE_get_ext();
        const size_t at = find_rest();
        if (!ext.empty()) {
            out_ += ext;
            if (at != std::string::npos) n_ = at;
            return;
        }
        if (at == std::string::npos) {
            stop();
            return;
        }
        // The typed text before the rest of the template is the extension; the name keeps all
        // of it even when the extension itself holds only its first FILE_EXT_MAX characters.
        const std::string typed = text_.substr(n_, at - n_);
        FILE_set_ext(typed.c_str());
        out_ += typed;
        n_ = at;
    }

    void date_field(char d, int width, int n)
    {
        const std::string piece = text_.substr(n_, static_cast<size_t>(width));
        int v = 0;
        bool ok = d == 'b' ? !piece.empty() : scan_int(piece, v);
        if (ok) {
            switch (d) {
            case 'Y':
                date_.year = v;
                break;
            case 'y':
                date_.year = v >= 50 && v <= 99 ? 1900 + v : 2000 + v;
                break;
            case 'b': {
                const int month = DATE_decode_month(piece.c_str());
                if (month >= 1 && month <= 12) date_.month = month;
                else ok = false;
                break;
            }
            case 'm':
                date_.month = v;
                break;
            case 'd':
                date_.day = v;
                break;
            case 'j': {
                int month = 0, day = 0;
                DATE_julian_monday(date_.year, v, &month, &day);
                date_.jday = v;
                date_.month = month;
                date_.day = day;
                break;
            }
            case 'h':
                date_.hour = v;
                break;
            case 'n':
                date_.min = v;
                break;
            default:
                break;
            }
        }
        if (!ok) {
            stop();
            return;
        }
        out_ += piece;
        n_ += piece.size();
        where_ = 2;
        FILE_period_rule(d, n);
    }

    // A path directive: the typed directory of a full path, else the path resource's value.
    void path(const char *value, const char *unset)
    {
        if (FILE_fullpath(text_.c_str())) {
            int count = 0;
            for (size_t i = t_; i < tmpl_.size(); i++)
                if (tmpl_[i] == '/' || tmpl_[i] == '\\' || tmpl_[i] == ':') count++;
            size_t last = std::string::npos;
            for (size_t i = text_.size(); i-- > 0 && count > 0;) {
                if (text_[i] == '/' || (i == 1 && text_[i] == ':')) {
                    count--;
                    last = i;
                }
            }
            if (last != std::string::npos && last > n_) {
                out_.append(text_, n_, last - n_);
                n_ = last;
            }
        } else {
            out_ += value ? value : unset;
            if (t_ < tmpl_.size() && tmpl_[t_] == '/') {
                out_ += '/';
                t_++;
            }
        }
        where_ = 1;
    }

    void key(char c, int width)
    {
        char text[FILE_KEY_MAX + 1] = "";
        FILE_get_key(static_cast<unsigned char>(c), text);
        if (text[0] == '\0') {
            stop();
            return;
        }
        size_t len = std::strlen(text);
        if (width >= 0 && static_cast<size_t>(width) < len) len = static_cast<size_t>(width);
        out_.append(text, len);
        const size_t skip = width >= 0 ? static_cast<size_t>(width) : len;
        n_ = std::min(text_.size(), n_ + skip);
    }

    // A plain template character paired with the typed text (a blank stands for the '_' that
    // it becomes in the names built).
    void literal(char c)
    {
        if (c == ' ') c = '_';
        const bool left = text_left();
        if (where_ >= 1 && left && text_[n_] == c) {
            out_ += c;
            t_++;
            n_++;
            if (!text_left()) where_ = 3;
        } else if (where_ >= 2 && left) {
            stop();
        } else if (where_ == 0 && (!left || text_[n_] != c)) {
            stop();
        } else if (where_ == 0) {
            out_ += c;
            t_++;
            if (iwhere_ == 2) n_++;
        } else {
            // The template completes the name: after a path, a typed text without '/' gives up
            // one character for each template character it lacks.
            out_ += c;
            t_++;
            if (where_ == 1 && left && iwhere_ == 2) n_++;
        }
    }

    const std::string &tmpl_;
    const std::string &text_;
    Date &date_;
    std::string out_;
    size_t t_ = 0;
    size_t n_ = 0;
    int where_ = 0;
    const int iwhere_;
    bool in_block_ = false;
    bool stopped_ = false;
};

// A text that asks for the current or latest file.
bool current_spec(const std::string &text)
{
    return (!text.empty() && text[0] == '#') || strncasecmp(text.c_str(), "cu", 2) == 0 ||
           strncasecmp(text.c_str(), "la", 2) == 0;
}

}  // namespace

int FILE_set_type(int type)
{
    st.file_type = type;
    return 0;
}

const char *FILE_get_ext_info() { return st.ext_info.c_str(); }

int FILE_set_ext_info(const char *text)
{
    st.ext_info.assign(text ? text : "");
    if (st.ext_info.size() > static_cast<size_t>(FILE_EXT_INFO_MAX))
        st.ext_info.resize(FILE_EXT_INFO_MAX);
    return 0;
}

int FILE_extract_extra_info(char *name)
{
    if (!name || std::strlen(name) < 3) return 0;
    char *tail = std::strpbrk(name + 2, "#-+:");
    if (tail) {
        FILE_set_ext_info(tail);
        *tail = '\0';
    }
    return 0;
}

bool FILE_is_exit_word(const char *text)
{
    return text != nullptr && strncasecmp(text, "exit", 4) == 0 &&
           (text[4] == '\0' || std::strchr("#-+:", text[4]) != nullptr);
}

int FILE_set_file(const char *typed, char *out)
{
    if (!out) return -1;
    std::string text = typed ? typed : "";

    Date date;
    FILE_get_file_date(&date);
    date.year = date.month = date.day = date.hour = date.min = VYK_MISS;
    FILE_set_file_date(&date);

    if (st.file_type == 0) {
        // A date suffix; a text that asks for the current or latest file has none (its '#'
        // gives a base date or a count of files to try).
        const size_t hash = text.size() > 1 ? text.find('#', 1) : std::string::npos;
        if (hash != std::string::npos && !current_spec(text)) {
            read_date_suffix(text.c_str() + hash + 1);
            text.resize(hash);
        }
    } else if (st.file_type == 1 && !text.empty()) {
        std::string rest = text.substr(1);
        FILE_extract_extra_info(rest.data());
        text = text.substr(0, 1) + rest.c_str();
    }

    FILE_get_time(&date);
    FILE_set_file_date(&date);

    if (strcasecmp(text.c_str(), "exit") == 0) VYK_exit(VYK_EXIT_OK);

    if (!text.empty() && text[0] == '@') {
        FILE_set_filename_type(1);
        return FILE_store_name(text.c_str() + 1, out);
    }
    const std::string conv = FILE_get_conv();
    if (FILE_is_stdio(text.c_str()) || (!conv.empty() && FILE_is_stdio(conv.c_str())))
        return FILE_store_name("-", out);
    if (conv.empty()) {
        FILE_set_filename(text.c_str());
        return FILE_store_name(text.c_str(), out);
    }
    if (current_spec(text)) {
        const char *desc = text.c_str();
        if (strncasecmp(desc, "cu", 2) == 0) desc += 2;
        char name[FILE_NAME_MAX + 1];
        FILE_set_current(desc, name);
        MESS_print(M_MESS, "Current filename: %s\n", name);
        return FILE_store_name(name, out);
    }
    const std::string tmpl = FILE_get_template();
    if (strcasecmp(text.c_str(), "none") == 0 ||
        (FILE_fullpath(tmpl.c_str()) && FILE_fullpath(text.c_str())))
        return FILE_store_name(text.c_str(), out);

    FILE_get_file_date(&date);
    Matcher matcher(tmpl, text, date);
    const std::string name = matcher.run();
    FILE_set_file_date(&date);
    return FILE_store_name(name.c_str(), out);
}
