// upa_select.h: choosing, opening and reading an upper-air file for programs that work on one
// station at a time (upa_select.cpp): the input file name, the open file's header and date,
// the station list, finding a station by identifier or WMO number, and the vertical level
// menu.
#ifndef UPA_SELECT_H
#define UPA_SELECT_H

#include "upa_report.h"

constexpr int UPA_MENU_ROWS = 40;  // rows of the level menu

/// Chooses the naming convention of the upper-air input ("upa_cvt", or the in_file words); 0.
int UPA_in_file();
/// File date := *datim, or the file tools' current date when datim is NULL; 0.
int UPA_set_date(const Date *datim);
/// Copies the file date into *datim; 0.
int UPA_get_date(Date *datim);
/// Opens filename (kind detected), reads its header and labels the plot with its date:
/// 1, or 0 with a message when it cannot be opened.
int UPA_open_file(const char *filename);
int UPA_rewind_file();
int UPA_close_file();
/// Prints the identifiers of the open file's stations; 0.
int UPA_list_stations();
/// Reads the next station whole; the counter advances also after a failed read.
int UPA_read_station(UPA_report *report);
/// Finds a station by identifier (without regard to case) or WMO number and reads it whole:
/// 1 found, 0 not found.
int UPA_get_station(const char *id, UPA_report *report);
int UPA_set_prompt(int val);
/// The station of the `identifier` resource or of a prompt: 1 found, 0 when prompting is off.
/// "list" lists and ends the program; no station found ends it with status 31.
int UPA_prompt_station(UPA_report *report);
int UPA_set_prompt_level(int val);
/// Reloads the level menu from the program's "%s.lev" file: 1 loaded, 0 no file.
int UPA_read_level_menu();
/// The level of the `level` resource, the batch default 500 or the level menu into flags 7
/// and 8: 1 level set, 0 none.
int UPA_prompt_level();
/// The level menu's rows (the row after the last has no name).
const MENU_item *UPA_get_level_menu();

#endif
