// therm_raw.h: the current sounding saved as a point-data ("DADODU") text file and read back
// (therm_raw.cpp): one row per level of the temperature sounding, then of the wind sounding,
// then the tropopause and maximum wind, with the columns Lev P H T Td Dir Spd.
#ifndef THERM_RAW_H
#define THERM_RAW_H

/// Writes the current sounding to the file named by the "upa_snd" convention (or the one the
/// out_file words select) and its date; the temperature sounding's missing winds are filled
/// from the wind sounding first.  1 written, 0 when the file cannot be opened or written.
int THERM_out_raw();
/// Reads a sounding file and installs it as the current sounding (at most 300 levels per
/// section; more are left out with a warning).  A file that cannot be opened ends the program
/// with status 10.  Returns 0.
int THERM_read_raw(const char *filename);

#endif
