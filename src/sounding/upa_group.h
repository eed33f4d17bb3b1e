// upa_group.h: the five-character group codes of the upper-air text forms (upa_group.cpp):
// pressure and height (PPhhh), temperature and dew-point depression (TTTDD), wind direction
// and speed (dddff).
//
// The decoders take one token as read from a file; they return 0, or -1 with both outputs
// -9999 when the group is missing.  The encoders write one group into the coder's buffer
// (encd_get_group), overwriting the previous one; they return 0, or -1 when they wrote the
// missing marker: "X" for the newer text forms, "99999" for every other kind of file.
#ifndef UPA_GROUP_H
#define UPA_GROUP_H

/// Selects the missing marker of the encoders by the kind of the open file; returns 0.
int encd_set_kind(int kind);
/// The group the last encoder wrote.
const char *encd_get_group();

int decd_ph(const char *str, float *pres, float *hght);
int decd_td(const char *str, float *temp, float *dewpt);
int decd_wd(const char *str, float *dir, float *spd);

int encd_ph(float pres, float hght);
int encd_td(float temp, float dewpt);
int encd_wd(float dir, float spd);

#endif
