// Console menus: a caller's table of entries printed as numbered choices in one or two columns,
// one answer read and turned into the chosen entry's index.  Entry 0 is the back choice, the
// items follow, and the table ends at the first entry without a name.
#include "vykbase.h"
#include "vykmess.h"
#include "vykstr.h"
#include "vykcdf.h"
#include "vykscan.h"
#include "vykproc.h"
#include "vykmenu.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int MAX_VISIBLE = 79;  // a menu shows at most 79 items
constexpr int NUM_MENUS = 10;    // one table serves menus 0 to 9
constexpr int ONE_COLUMN_MAX = 12;
constexpr int NOT_FOUND = VYK_MISS;

// The items of menu menu_num shown to the user, in table order; returns their number.
int visible_items(const MENU_item *menu, int menu_num, const MENU_item *items[MAX_VISIBLE])
{
    if (!menu || !menu[0].name || menu_num < 0 || menu_num >= NUM_MENUS) return 0;
    int n = 0;
    for (const MENU_item *e = menu + 1; e->name && n < MAX_VISIBLE; e++)
        if (e->disp[menu_num] == 1) items[n++] = e;
    return n;
}

bool is_separator(const MENU_item *item) { return item->name[0] == '-'; }

// One cell of the menu: item number k, followed by a line end or by the blank between columns.
void print_cell(const MENU_item *item, int k, bool line_end)
{
    if (is_separator(item))
        MESS_print(M_PRINT, " --------------------               %s", line_end ? "\n" : "");
    else
        MESS_print(M_PRINT, " %2d: %-30s%s", k, item->name, line_end ? "\n" : " ");
}

const char *back_name(const MENU_item *menu) { return menu && menu[0].name ? menu[0].name : ""; }

// Writes the chosen entry's abbreviation into the caller's answer buffer, which holds at least
// the longest abbreviation of the table.
void take_abbr(char *string, const MENU_item *item)
{
    if (item->abbr) memcpy(string, item->abbr, strlen(item->abbr) + 1);
}

// An optional '-' followed by digits only.
bool is_number(const char *s)
{
    if (*s == '-') s++;
    if (!*s) return false;
    for (; *s; s++)
        if (*s < '0' || *s > '9') return false;
    return true;
}

int read_number(const char *s)
{
    long v = strtol(s, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// Does answer equal the entry's abbreviation or name, without regard to case?
bool matches(const char *answer, const MENU_item *e)
{
    return (e->abbr && stricmp(answer, e->abbr) == 0) || stricmp(answer, e->name) == 0;
}

}  // namespace

int MENU_print(const char *title, const MENU_item *menu, int menu_num, int flag)
{
    const MENU_item *items[MAX_VISIBLE];
    int n = visible_items(menu, menu_num, items);

    if (title) MESS_print(M_PRINT, "%s", title);
    MESS_print(M_PRINT, "\n");

    bool two_columns = n > ONE_COLUMN_MAX;
    if (!two_columns) {
        for (int k = 1; k <= n; k++) print_cell(items[k - 1], k, true);
    } else {
        int r = (n + 1) / 2;
        for (int k = 1; k < r; k++) {
            print_cell(items[k - 1], k, false);
            print_cell(items[k + r - 1], k + r, true);
        }
        if (n % 2 == 1) {
            print_cell(items[r - 1], r, true);
        } else {
            print_cell(items[r - 1], r, false);
            print_cell(items[2 * r - 1], 2 * r, true);
        }
    }

    if (flag & MENU_HELP) MESS_print(M_PRINT, " 99: Help                          \n");

    bool exit_offered = flag & MENU_EXIT, back_offered = flag & MENU_BACK;
    if (exit_offered && back_offered) {
        if (two_columns) MESS_print(M_PRINT, "  0: %-30s ", back_name(menu));
        else MESS_print(M_PRINT, "  0: %-30s\n", back_name(menu));
        MESS_print(M_PRINT, " -1: Exit program                  \n");
    } else if (exit_offered) {
        MESS_print(M_PRINT, "  0: Exit program                  \n");
    } else if (back_offered) {
        MESS_print(M_PRINT, "  0: %-30s\n", back_name(menu));
    }
    MESS_print(M_PRINT, "\n");
    return 1;
}

int MENU_process(const char *title, const MENU_item *menu, int menu_num, const char *prompt,
                 char *string, int flag)
{
    // Without a caller's buffer the answer is read into a local one (it is lost afterwards).
    char local[81] = "";
    if (!string) string = local;

    MENU_print(title, menu, menu_num, flag);
    const MENU_item *items[MAX_VISIBLE];
    int n = visible_items(menu, menu_num, items);

    bool exit_offered = flag & MENU_EXIT, back_offered = flag & MENU_BACK;
    int lowest = exit_offered ? -1 : back_offered ? 0 : 1;

    // The answer taken on a bare Return.  After "?" it is offered again, so that the question
    // mark never becomes the answer of an empty line (which would ask forever at end of input).
    const std::string preset = strcmp(string, "?") == 0 ? std::string() : std::string(string);
    for (;;) {
        VYK_promptl(prompt, string);
        if (strcmp(string, "?") != 0) break;
        std::string abbrs = menu && menu[0].name && menu[0].abbr ? menu[0].abbr : "";
        for (int k = 0; k < n; k++) {
            abbrs += ',';
            if (items[k]->abbr) abbrs += items[k]->abbr;
        }
        MESS_print(M_PRINT, "%s\n\n", abbrs.c_str());
        memcpy(string, preset.c_str(), preset.size() + 1);
    }

    int result = NOT_FOUND;
    if (exit_offered && back_offered) {
        if (strcmp(string, "Exit program") == 0 || stricmp(string, "exit") == 0) result = -1;
        else if (strcmp(string, "Return to main menu") == 0 || stricmp(string, "main") == 0) result = 0;
    } else if (exit_offered) {
        if (strcmp(string, "Exit program") == 0 || stricmp(string, "exit") == 0) result = 0;
    } else if (back_offered) {
        if (strcmp(string, "Return to main menu") == 0 || stricmp(string, "main") == 0) result = 0;
    }

    if (result == NOT_FOUND && is_number(string)) {
        int k = read_number(string);
        if (k >= lowest && k <= n) {
            if (k >= 1) {
                take_abbr(string, items[k - 1]);
                result = items[k - 1]->index;
            } else {
                result = k;
            }
        }
    }

    if (result == NOT_FOUND && menu && menu[0].name) {
        if (matches(string, &menu[0])) {
            take_abbr(string, &menu[0]);
            result = menu[0].index;
        } else {
            for (int k = 0; k < n; k++) {
                if (matches(string, items[k])) {
                    take_abbr(string, items[k]);
                    result = items[k]->index;
                    break;
                }
            }
        }
    }
    return result;
}

int MENU_search(const char *item, const MENU_item *menu)
{
    if (!item || !menu) return NOT_FOUND;
    for (const MENU_item *e = menu; e->name; e++)
        if (matches(item, e)) return e->index;
    return NOT_FOUND;
}

const char *MENU_get_abbr(int index, const MENU_item *menu)
{
    if (!menu) return nullptr;
    for (const MENU_item *e = menu; e->name; e++)
        if (e->index == index) return e->abbr;
    return nullptr;
}

int MENU_check(int index, const MENU_item *menu, int menu_num)
{
    if (!menu || menu_num < 0 || menu_num >= NUM_MENUS) return 0;
    for (const MENU_item *e = menu; e->name; e++)
        if (e->index == index) return e->disp[menu_num] != 0 ? 1 : 0;
    return 0;
}
