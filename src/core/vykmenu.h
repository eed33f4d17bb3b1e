// vykmenu.h: console menus (menu.cpp).
#ifndef VYKMENU_H
#define VYKMENU_H

/// One entry of a console menu table owned by its caller; a table ends at a NULL name.
struct MENU_item {
    const char *name;  // text shown; a name beginning '-' is shown as a separator line
    const char *abbr;  // abbreviation; written back into the answer when chosen
    int index;         // value returned when chosen
    int disp[10];      // disp[m] is 1 when the entry is shown in menu number m
};

// Menu flags.
enum { MENU_EXIT = 1, MENU_BACK = 2, MENU_HELP = 4 };

int MENU_print(const char *title, const MENU_item *menu, int menu_num, int flag);
int MENU_process(const char *title, const MENU_item *menu, int menu_num, const char *prompt,
                 char *string, int flag);
int MENU_search(const char *item, const MENU_item *menu);
const char *MENU_get_abbr(int index, const MENU_item *menu);
int MENU_check(int index, const MENU_item *menu, int menu_num);

#endif
