// Regions: the region file "vyk.reg" (found on the file_path resource), the built-in regions,
// the region menu and the region prompt, and the domain chosen from the resources.
//
// A region file holds one entry per line: an abbreviation (at most 5 characters), a name (at
// most 20, '_' for a blank), a menu flag (0: not in the menu, 1: shown, others: loaded but not
// shown) and a domain string (one word of at most 79 characters).  Lines beginning '#' are
// comments, a line of a single word is a domain string that answers every search reaching it,
// and a blank line ends the file for the search, the menu and the listing alike.  Lines are read
// up to 499 characters (the rest of a longer line is passed over); entries whose words exceed
// their fields are passed over too.  Region file names that come from domain strings are opened
// as plain files only.
#include "dom_internal.h"
#include "vyk.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace vykdom;

namespace {

constexpr const char *REGION_FILE = "vyk.reg";
constexpr int PROMPT_TRIES = 5;
constexpr int MENU_ANSWER_LEN = 81;

/// One built-in region: proj 1, 25 by 17 points of spacing dx around (clat, clon).
struct BuiltIn {
    const char *abbr;
    const char *name;
    float clat, clon, dx;
    bool prompted;  // "var": the centre is asked for
};

constexpr BuiltIn BUILT_IN[] = {
    {"us", "Contiguous US", 39.0f, -97.0f, 2.3f, false},
    {"ne", "New England", 42.0f, -76.0f, 0.9f, false},
    {"at", "Atlantic", 37.0f, -82.0f, 0.9f, false},
    {"se", "Southeastern", 31.0f, -88.0f, 1.1f, false},
    {"mw", "Midwestern", 43.0f, -93.0f, 1.1f, false},
    {"sp", "Southern Plains", 32.5f, -100.0f, 1.2f, false},
    {"nw", "Northwestern", 44.0f, -112.0f, 1.0f, false},
    {"sw", "Southwestern", 37.0f, -112.0f, 1.0f, false},
    {"var", "Variable", 0.0f, 0.0f, 1.2f, true},
};

/// The region menu: row 0 the return entry, rows 1 to 19 regions, a NULL name ends it.
struct Menu {
    MENU_item rows[DOM_MENU_ROWS] = {};
    char names[DOM_MENU_REGIONS + 1][DOM_NAME_MAX + 1] = {};
    char abbrs[DOM_MENU_REGIONS + 1][DOM_ABBR_MAX + 1] = {};
    int num_regs = 0;       // 0 until a file is loaded; then one more than its regions
    int menu_type = 0;      // the disp column shown
    bool built = false;     // rows set up
};

struct State {
    Menu menu;
    int prompt_region = 1;  // the prompt may still ask
};

State state;

void build_menu()
{
    Menu &m = state.menu;
    if (m.built) return;
    m.built = true;
    m.rows[0] = MENU_item{"Return to previous menu", "back", 0, {1}};
    int row = 1;
    for (const BuiltIn &b : BUILT_IN) m.rows[row++] = MENU_item{b.name, b.abbr, 1, {1}};
}

/// Opens a region file found on the file_path resource; NULL (with a debug note) when it
/// cannot be opened or is not a plain file.
FILE *open_region_file(const char *file)
{
    if (!dom_file_name_ok(file)) return nullptr;
    char name[FILE_NAME_MAX + 1];
    FILE_add_path(RES_get("file_path"), file, name);
    FILE *fp = FILE_is_file(name) ? FILE_open(name, "r") : nullptr;
    if (fp == nullptr) MESS_print(M_DEBUG_D, "Unable to open region file: %s\n", name);
    return fp;
}

/// Reads the next line (at most DOM_LINE_MAX characters; the rest of a longer line is passed
/// over); false at the end of the file.
bool next_line(FILE *fp, char (&line)[DOM_LINE_MAX + 1])
{
    int c, n = 0;
    bool any = false;
    while ((c = std::getc(fp)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (n < DOM_LINE_MAX) line[n++] = static_cast<char>(c);
    }
    line[n] = '\0';
    return any;
}

/// The words of an entry line.
struct Entry {
    std::string abbr, name, domain;
    int flag = 0;
    int words = 0;  // 0 blank, 1 a bare domain string, 4 a whole entry, else incomplete
};

/// Splits an entry line like a "%s %s %d %s" scan.
Entry split_entry(const char *line)
{
    Entry e;
    const char *p = line;
    auto word = [&p](std::string &out) {
        while (*p == ' ' || *p == '\t' || *p == '\r') p++;
        const char *q = p;
        while (*q != '\0' && *q != ' ' && *q != '\t' && *q != '\r') q++;
        out.assign(p, static_cast<size_t>(q - p));
        p = q;
        return !out.empty();
    };
    if (!word(e.abbr)) return e;
    e.words = 1;
    if (!word(e.name)) return e;
    e.words = 2;
    std::string flag;
    if (!word(flag)) return e;
    int sign = 1;
    size_t k = 0;
    if (flag[0] == '-' || flag[0] == '+') sign = flag[k++] == '-' ? -1 : 1;
    if (k >= flag.size() || flag[k] < '0' || flag[k] > '9') return e;
    long v = 0;
    for (; k < flag.size() && flag[k] >= '0' && flag[k] <= '9' && v < 1000000; k++)
        v = v * 10 + (flag[k] - '0');
    e.flag = static_cast<int>(sign * v);
    e.words = 3;
    if (!word(e.domain)) return e;
    e.words = 4;
    return e;
}

void copy_answer(const std::string &text, char *domstr)
{
    strfcpy(domstr, DOM_STR_LEN, text.c_str());
}

/// The domain string of a region name: the region file's entry, else nothing.
bool search_region_file(const char *file, const char *name, std::string &domstr)
{
    char buf[DOM_STR_LEN];
    if (DOM_search_file(file, name, buf) != 1) return false;
    domstr = buf;
    return true;
}

/// Decodes a region's domain string into domain.
RegionField decode_region(const std::string &domstr, const char *name, Domain *domain)
{
    if (DOM_decode(domstr.c_str(), domain) > 0) return RegionField::domain;
    MESS_print(M_WARN, "DOM_decode: Invalid domain string of region %s: %s\n", name,
               domstr.c_str());
    return RegionField::failed;
}

/// Decodes a resource's text for the region prompt: "Invalid domain" ends the program.
int decode_or_exit(const char *text, Domain *domain)
{
    DOM_init(domain);
    const int r = DOM_decode(text, domain);
    state.prompt_region = 0;
    if (r == DOM_INVALID) {
        MESS_print(M_ERROR, "Invalid domain\n");
        VYK_exit(VYK_EXIT_BAD_REGION);
    }
    return r;
}

const char *first_region_abbr()
{
    build_menu();
    if (state.menu.num_regs == 0) DOM_read_menu(REGION_FILE);
    const MENU_item &row = state.menu.rows[1];
    return row.name != nullptr ? row.abbr : nullptr;
}

/// The interactive part of the region prompt.
int ask_region(Domain *domain)
{
    char answer[MENU_ANSWER_LEN];
    for (int tries = 0; tries < PROMPT_TRIES; tries++) {
        answer[0] = '\0';
        const int r = MENU_process("\n        Region Menu\n", state.menu.rows, state.menu.menu_type,
                                   "Enter the region: ", answer, MENU_EXIT | MENU_BACK);
        if (r == -1) VYK_exit(VYK_EXIT_OK);
        if (r == 0) return 0;
        if (stricmp(answer, "list") == 0) {
            DOM_print_file(REGION_FILE);
            continue;
        }
        DOM_init(domain);
        const int d = DOM_decode(answer, domain);
        if (d != DOM_INVALID) return d;
        MESS_print(M_WARN, "Invalid domain\n");
    }
    return DOM_INVALID;
}

}  // namespace

namespace vykdom {

bool dom_file_name_ok(const char *name)
{
    return name != nullptr && name[0] != '\0' && name[0] != '|' && !FILE_is_stdio(name);
}

RegionField dom_read_region(const char *field, Domain *domain)
{
    if (std::strncmp(field, "id:", 3) == 0 || field[0] == '\0') return RegionField::failed;
    std::string domstr;
    if (std::strncmp(field, "fi:", 3) == 0) {
        if (!search_region_file(field + 3, nullptr, domstr)) return RegionField::failed;
        return decode_region(domstr, field + 3, domain);
    }
    if (const char *colon = std::strchr(field, ':')) {
        const std::string file(field, static_cast<size_t>(colon - field));
        if (colon[1] == '\0')
            return DOM_read_menu(file.c_str()) == 1 ? RegionField::menu_only : RegionField::failed;
        if (!search_region_file(file.c_str(), colon + 1, domstr)) return RegionField::failed;
        return decode_region(domstr, colon + 1, domain);
    }
    if (search_region_file(REGION_FILE, field, domstr)) return decode_region(domstr, field, domain);
    return DOM_get_def_region(field, domain) == 1 ? RegionField::domain : RegionField::failed;
}

}  // namespace vykdom

int DOM_get_def_region(const char *region, Domain *domain)
{
    if (domain == nullptr) return 0;
    domain->proj = DOM_PSTEREO;
    domain->nx = 25;
    domain->ny = 17;
    domain->dx = domain->dy = 1.2f;
    if (region == nullptr) return 0;
    for (const BuiltIn &b : BUILT_IN) {
        if (stricmp(region, b.abbr) != 0) continue;
        if (b.prompted) {
            // Nothing is asked in batch mode: there the variable region is no region.
            if (FLAG_batch()) return 0;
            domain->clat = VYK_promptf("Enter the central latitude: ");
            domain->clon = VYK_promptf("Enter the central longitude: ");
        } else {
            domain->clat = b.clat;
            domain->clon = b.clon;
        }
        domain->dx = domain->dy = b.dx;
        domain->plon = domain->clon;
        DOM_set_base_prior(static_cast<float>((domain->ny - 1) * domain->dy));
        FLAG_set(FLAG_REGION, DOM_DOMAIN);
        return 1;
    }
    return 0;
}

int DOM_search_file(const char *file, const char *str, char *domstr)
{
    FILE *fp = open_region_file(file);
    if (fp == nullptr) return 0;
    char line[DOM_LINE_MAX + 1];
    int found = 0;
    while (found == 0 && next_line(fp, line)) {
        if (line[0] == '#') continue;
        const Entry e = split_entry(line);
        if (e.words == 0) break;  // a blank line ends the search
        const std::string *answer = nullptr;
        if (e.words == 1) answer = &e.abbr;
        else if (e.words == 4 && (str == nullptr || stricmp(e.abbr.c_str(), str) == 0))
            answer = &e.domain;
        if (answer == nullptr) continue;
        if (answer->size() > static_cast<size_t>(DOM_STR_MAX)) {
            MESS_print(M_WARN, "DOM_search_file: Domain string longer than %d characters in %s\n",
                       DOM_STR_MAX, file);
            continue;
        }
        copy_answer(*answer, domstr);
        found = 1;
    }
    FILE_close(fp);
    return found;
}

int DOM_read_menu(const char *file)
{
    build_menu();
    FILE *fp = open_region_file(file);
    if (fp == nullptr) return 0;  // the menu stays as it was
    Menu &m = state.menu;
    int row = 1;
    char line[DOM_LINE_MAX + 1];
    while (row <= DOM_MENU_REGIONS && next_line(fp, line)) {
        if (line[0] == '#') continue;
        const Entry e = split_entry(line);
        if (e.words == 0) break;
        if (e.words != 4 || e.flag == 0 || e.abbr.size() > static_cast<size_t>(DOM_ABBR_MAX) ||
            e.domain.size() > static_cast<size_t>(DOM_STR_MAX))
            continue;
        strfcpy(m.abbrs[row], e.abbr.c_str());
        strfcpy(m.names[row], e.name.c_str());
        fill_string(m.names[row], '_', ' ');
        m.rows[row] = MENU_item{m.names[row], m.abbrs[row], row, {e.flag}};
        row++;
    }
    FILE_close(fp);
    for (int k = row; k < DOM_MENU_ROWS; k++) m.rows[k] = MENU_item{};
    m.num_regs = row;
    return 1;
}

int DOM_print_file(const char *file)
{
    FILE *fp = open_region_file(file);
    if (fp == nullptr) return 0;
    MESS_print(M_PRINT, " Abbr    Description\n");
    char line[DOM_LINE_MAX + 1];
    while (next_line(fp, line)) {
        if (line[0] == '#') continue;
        const Entry e = split_entry(line);
        if (e.words == 0) break;
        if (e.words >= 2) MESS_print(M_PRINT, "%-8s %-50s\n", e.abbr.c_str(), e.name.c_str());
    }
    FILE_close(fp);
    return 0;
}

int DOM_get_region(Domain *domain, int flag)
{
    if (domain == nullptr) return 0;
    DOM_init(domain);
    const char *text = nullptr;
    if (flag == 1 || flag == 3 || flag == 4) text = RES_get("plot_domain");
    if (text == nullptr) text = RES_get("region");
    if (text == nullptr && flag == 4) {
        text = first_region_abbr();
        if (text == nullptr) return DOM_NONE;
    }
    if (text == nullptr) return 0;
    return DOM_decode(text, domain);
}

int DOM_get_grid_domain(Domain *domain)
{
    if (domain == nullptr) return 0;
    DOM_init(domain);
    for (const char *name : {"grid_domain", "region", "plot_domain"})
        if (const char *text = RES_get(name)) return DOM_decode(text, domain);
    return 0;
}

int DOM_prompt_region(Domain *domain, int flag)
{
    if (domain == nullptr || state.prompt_region == 0) return 0;
    if (flag == 1) {
        for (const char *name : {"plot_domain", "region"}) {
            const char *text = RES_get(name);
            if (text == nullptr) continue;
            const int r = decode_or_exit(text, domain);
            if (r > 0) return r;
        }
    }
    const char *first = first_region_abbr();
    if (FLAG_batch()) {
        if (first == nullptr) {
            DOM_init(domain);
            return DOM_NONE;
        }
        return decode_or_exit(first, domain);
    }
    return ask_region(domain);
}

int DOM_set_prompt_region(int val)
{
    state.prompt_region = val;
    return 0;
}

const char *DOM_get_region_name(int region)
{
    build_menu();
    if (region < 0 || region >= DOM_MENU_ROWS) return nullptr;
    for (int k = 0; k <= region; k++)
        if (state.menu.rows[k].name == nullptr) return nullptr;
    return state.menu.rows[region].name;
}
