// Runs one console menu on standard input and prints what it returned.
//   menu_tool <items> <flag> [-p preset] [-s k]... [-a k=abbr]... [-n k=name]...
// The table holds the back entry, <items> visible items named "Region number k" with the
// abbreviation "Reg<k>" and the index 100 + k, and one hidden entry (abbreviation "hid", index 77)
// after the first item.  -s makes item k a separator, -a gives item k another abbreviation,
// -n another name, -p presets the answer buffer.  Menu number 3 is shown.
#include "vyk.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 3) return 99;
    int n = atoi(argv[1]);
    int flag = atoi(argv[2]);
    if (n < 0 || n > 100) return 99;

    std::vector<std::string> names(n + 1), abbrs(n + 1);
    for (int k = 1; k <= n; k++) {
        names[k] = "Region number " + std::to_string(k);
        abbrs[k] = "Reg" + std::to_string(k);
    }
    std::string preset;
    for (int i = 3; i + 1 < argc; i += 2) {
        std::string opt = argv[i], val = argv[i + 1];
        if (opt == "-p") {
            preset = val;
        } else if (opt == "-s") {
            int k = atoi(val.c_str());
            if (k < 1 || k > n) return 99;
            names[k] = "-----";
        } else if (opt == "-a" || opt == "-n") {
            size_t eq = val.find('=');
            if (eq == std::string::npos) return 99;
            int k = atoi(val.substr(0, eq).c_str());
            if (k < 1 || k > n) return 99;
            (opt == "-a" ? abbrs : names)[k] = val.substr(eq + 1);
        } else {
            return 99;
        }
    }

    std::vector<MENU_item> menu;
    MENU_item back = {"Return to previous menu", "back", 0, {}};
    for (int &d : back.disp) d = 1;
    menu.push_back(back);
    for (int k = 1; k <= n; k++) {
        MENU_item item = {names[k].c_str(), abbrs[k].c_str(), 100 + k, {}};
        item.disp[3] = 1;
        menu.push_back(item);
        if (k == 1) {
            MENU_item hidden = {"Hidden region", "hid", 77, {}};
            hidden.disp[0] = 1;
            menu.push_back(hidden);
        }
    }
    menu.push_back(MENU_item{nullptr, nullptr, 0, {}});

    // The answer buffer is exactly as large as the menu's contract asks, so that any write past
    // it is caught by the address sanitizer.
    size_t longest = 0;
    for (const auto &a : abbrs) longest = std::max(longest, a.size());
    size_t size = std::max<size_t>(21, longest + 1);
    if (preset.size() >= size) return 99;
    char *string = static_cast<char *>(malloc(size));
    memcpy(string, preset.c_str(), preset.size() + 1);

    int result = MENU_process("\n        Test Menu\n", menu.data(), 3, "Choice: ", string, flag);
    printf("\nresult [%d] string [%s]\n", result, string);
    free(string);
    return 0;
}
