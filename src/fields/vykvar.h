// vykvar.h: variables (the variable language, codes and model names).
#ifndef VYKVAR_H
#define VYKVAR_H

#include "vyk.h"
// VAR_MODEL_LEN and VAR_model, declared where the date labels of core need them.
#include "vykup.h"

#endif
