// Parses one variable text and prints its slots and the labels of slot 0:
//   var_tool -fp <dir> [-pl type] [-le level] [-pp words] [-me mask] TEXT
// The program's variable file "prfdisp.var" is opened along the file path first (a "fi:NAME:"
// prefix of TEXT opens another).  -le is decoded into flags 7 and 8 as the profiler program
// does.  One line per slot:
//   slot N | name | flag | type keyword (code) | time | level type | level | var | units | format
// then "label T | text" for the label types -2 to 1.  Exit status 0 when a slot was filled.
#include "vyk.h"
#include "vykplot.h"
#include "vykresrc.h"
#include "vykvar.h"

#include <cstdio>
#include <string>

namespace {

const res_type res_key[] = {RES_help,      RES_message, RES_file_path, RES_plot_type,
                            RES_plot_param, RES_level,  RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

}  // namespace

int main(int argc, char **argv)
{
    RES_init(argc, argv, res_key, res_pos);
    if (FLAG_help()) {
        RES_help_print("var_tool", res_key, res_pos);
        return 0;
    }
    if (const char *level = RES_get("level")) {
        int ltype = VYK_MISS, lev = VYK_MISS;
        VAR_dec_level(level, &ltype, &lev);
        FLAG_set(FLAG_LEVEL, lev);
        FLAG_set(FLAG_LEVEL_TYPE, ltype);
    }
    const char *names = RES_get("filename");
    std::string var_text = names ? names : "";
    var_text = var_text.substr(0, var_text.find('\n'));

    VAR_open_file("prfdisp.var");
    const int ok = VAR_setup(nullptr, var_text.c_str());
    for (int i = 0; i < VAR_get_num(); i++) {
        const VAR_data *v = VAR_get_var(i);
        printf("slot %d | %s | %d | %s (%d) | %d | %d | %d | %d | %s | %s\n", i, v->name, v->flag,
               VAR_print_type(v->type), v->type, v->time, v->ltype, v->level, v->var[0], v->units,
               v->format);
    }
    const int saved = PLT_get_label_type();
    for (int type = PLT_LABEL_MIN; type <= PLT_LABEL_COMPLETE; type++) {
        PLT_set_label_type(type);
        char label[VAR_LABEL_LEN];
        VAR_make_var_form_datatype(0, label);
        printf("label %d | %s\n", type, label);
    }
    PLT_set_label_type(saved);
    return ok ? 0 : 1;
}
