// Console prompts: a word, a menu answer, a float or an int read from standard input, with the
// built-in answers "set" (store or list resources) and "exit" (end the program).
#include "vykmess.h"
#include "vykstr.h"
#include "vykresrc.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>

namespace {

constexpr int LINE_MAX_CHARS = 79;  // one answer holds at most 79 characters
constexpr int MENU_WORD = 19;       // a menu answer holds at most 19 characters
constexpr int MENU_BUFFER = 81;

// Outcome of scanning one answer.
enum class Scan { empty, no_match, value };

// Prints the prompt and reads one answer of at most 79 characters into line (80 bytes); a
// longer line is consumed in pieces of 79 characters.  End of input gives an empty answer.
void ask(const char *prompt, char *line)
{
    MESS_print(M_PRINT, "%s", prompt ? prompt : "");
    fflush(stdout);
    int n = 0;
    int c = 0;
    while (n < LINE_MAX_CHARS && (c = getchar()) != EOF && c != '\n')
        line[n++] = static_cast<char>(c);
    if (n == LINE_MAX_CHARS) {
        // A line of exactly 79 characters is one answer: its line end is not a second one.
        c = getchar();
        if (c != '\n' && c != EOF) ungetc(c, stdin);
    }
    line[n] = '\0';
    wstrim_string(line);
}

// The text after leading white space.
const char *skip_space(const char *p)
{
    while (*p && isspace(static_cast<unsigned char>(*p))) p++;
    return p;
}

// The first word of line, at most max characters, as a "%<max>s" scan takes it.
Scan scan_word(const char *line, int max, std::string &word)
{
    const char *p = skip_space(line);
    if (!*p) return Scan::empty;
    const char *q = p;
    while (*q && !isspace(static_cast<unsigned char>(*q)) && q - p < max) q++;
    word.assign(p, static_cast<size_t>(q - p));
    return Scan::value;
}

Scan scan_float(const char *line, float &value)
{
    const char *p = skip_space(line);
    if (!*p) return Scan::empty;
    char *end = nullptr;
    float v = strtof(p, &end);
    if (end == p) return Scan::no_match;
    value = v;
    return Scan::value;
}

Scan scan_int(const char *line, int &value)
{
    const char *p = skip_space(line);
    if (!*p) return Scan::empty;
    char *end = nullptr;
    long v = strtol(p, &end, 10);
    if (end == p) return Scan::no_match;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    value = static_cast<int>(v);
    return Scan::value;
}

// Asks for a word of at most max characters until an answer ends the prompt; the word goes
// into str (size max + 1 at least) only when the prompt ends with it.
char *prompt_word(const char *prompt, char *str, int max)
{
    char line[LINE_MAX_CHARS + 1];
    std::string word;
    for (;;) {
        ask(prompt, line);
        Scan s = scan_word(line, max, word);
        if (VYK_set_command(line)) continue;
        if (s == Scan::no_match) continue;
        if (s == Scan::value) memcpy(str, word.c_str(), word.size() + 1);
        return str;
    }
}

// Asks until an answer holds a number (a "set" line is taken as a command and asked again).
template <class T, Scan (*scan)(const char *, T &)> T prompt_number(const char *prompt)
{
    char line[LINE_MAX_CHARS + 1];
    for (;;) {
        T value = 0;
        ask(prompt, line);
        Scan s = scan(line, value);
        if (VYK_set_command(line)) continue;
        if (s == Scan::no_match) continue;
        return value;
    }
}

}  // namespace

char *VYK_prompts(const char *prompt, char *str, int length)
{
    if (length < 2) length = 2;
    if (!str) {
        str = static_cast<char *>(malloc(static_cast<size_t>(length) + 1));
        if (!str) return nullptr;
        str[0] = '\0';
    }
    return prompt_word(prompt, str, length - 1);
}

char *VYK_promptl(const char *prompt, char *str)
{
    if (!str) {
        str = static_cast<char *>(malloc(MENU_BUFFER));
        if (!str) return nullptr;
        str[0] = '\0';
    }
    return prompt_word(prompt, str, MENU_WORD);
}

float VYK_promptf(const char *prompt) { return prompt_number<float, scan_float>(prompt); }

int VYK_promptd(const char *prompt) { return prompt_number<int, scan_int>(prompt); }

int VYK_set_command(const char *string)
{
    if (!string) return 0;
    if (strncasecmp(string, "set", 3) == 0) {
        // Skip the first word, then the blanks; the name runs to a blank or '=', a run of
        // blanks and '=' follows, and the value is the rest of the line.
        const char *p = string;
        while (*p && !isspace(static_cast<unsigned char>(*p))) p++;
        while (*p && isspace(static_cast<unsigned char>(*p))) p++;
        const char *name_end = p;
        while (*name_end && *name_end != '=' && *name_end != ' ') name_end++;
        if (name_end == p) {
            MESS_print(M_MESS_D, "Set resources\n");
            RES_list();
            MESS_print(M_MESS_D, "\n");
            return 1;
        }
        std::string name(p, static_cast<size_t>(name_end - p));
        const char *value = name_end;
        while (*value == '=' || *value == ' ') value++;
        // A name with no value after it stores an empty value.
        RES_put(name.c_str(), value);
        return 1;
    }
    if (strncasecmp(string, "exit", 4) == 0) VYK_exit(VYK_EXIT_OK);
    return 0;
}
