// var_util.cpp: helpers shared by the variable components: the line reader of the lookup files,
// the records of the program's variable file, the check of user formats and bounded field
// copies with a warning.
#include "var_internal.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

/// The next word of line from pos on (blanks before it passed over).
std::string next_word(const std::string &line, size_t &pos)
{
    while (pos < line.size() && blank(line[pos])) pos++;
    const size_t start = pos;
    while (pos < line.size() && !blank(line[pos])) pos++;
    return line.substr(start, pos - start);
}

}  // namespace

bool var_read_line(FILE *fp, std::string &line, size_t max, const char *who)
{
    line.clear();
    if (!fp) return false;
    bool any = false, cut = false;
    int c;
    while ((c = getc(fp)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line.size() < max) line += c == '\0' ? ' ' : static_cast<char>(c);
        else cut = true;
    }
    if (!any) return false;
    if (cut)
        MESS_print(M_WARN, "%s: line longer than %zu characters cut: %.40s...\n", who, max,
                   line.c_str());
    return true;
}

bool var_split_record(const std::string &line, VarRecord &rec)
{
    size_t pos = 0;
    rec.abbr = next_word(line, pos);
    if (rec.abbr.empty()) return false;
    rec.desc = next_word(line, pos);
    rec.disp = next_word(line, pos);
    while (pos < line.size() && blank(line[pos])) pos++;
    rec.def = line.substr(pos);
    return true;
}

std::string var_checked_format(const std::string &format, const char *who)
{
    std::string out;
    size_t start = 0;
    bool first = true;
    for (;;) {
        const size_t colon = format.find(':', start);
        const std::string item =
            format.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        const char *printf_format = nullptr;
        if (!item.empty() && item[0] == '%') printf_format = item.c_str();
        else if (item.size() >= 3 && strnicmp(item.c_str(), "fm=", 3) == 0) printf_format = item.c_str() + 3;
        if (printf_format && !format_one_conv(printf_format, "efgEGd")) {
            MESS_print(M_WARN, "%s: format left out (one numeric conversion wanted): %s\n", who,
                       item.c_str());
        } else {
            if (!first) out += ':';
            out += item;
            first = false;
        }
        if (colon == std::string::npos) return out;
        start = colon + 1;
    }
}

void var_copy_field(char *dest, size_t size, const char *src, const char *who, const char *what)
{
    if (!src) src = "";
    if (strfcpy(dest, size, src) < std::strlen(src))
        MESS_print(M_WARN, "%s: %s cut to %zu characters: %s\n", who, what, size - 1, src);
}

FILE *var_open_lookup(const char *name, char *path)
{
    FILE_add_path(RES_get("file_path"), name, path);
    // Never a command and never a standard stream: a file of that name or nothing.
    if (path[0] == '|' || FILE_is_stdio(path)) return path[0] ? std::fopen(path, "r") : nullptr;
    return FILE_open(path, "r");
}
