// The grid calculator from a shell: grid_calc [options] WORD ...
// runs one calculator command made of the positional words, for example
//   grid_calc a.grd add b.grd = sum.grd          grid_calc max a.grd =
//   grid_calc avg a.grd b.grd c.grd = mean.grd   grid_calc val a.grd ll 40,-105 3,2
// Options: -fp path (lookup files), -gp grid path, -cu current file, -pa parameters ("grdfmt=..."),
// -fm plot format (printed values), -of output file, -gt grid type, -me mask.
// Exit status 0 when the command ran, 1 when it failed.
#include "tool_args.h"
#include "vyk.h"
#include "grd_cmd.h"

#include <string>
#include <vector>

namespace {

const res_type res_key[] = {RES_help,      RES_batch,      RES_message,  RES_file_path,
                            RES_grid_path, RES_current,    RES_parameter, RES_plot_format,
                            RES_out_file,  RES_grid_type,  RES_name_conv, RES_null};
const res_type res_pos[] = {RES_filenames, RES_null};

}  // namespace

int main(int argc, char **argv)
{
    RES_init(argc, argv, res_key, res_pos);
    std::vector<std::string> words = file_arguments();
    std::vector<char *> cmd;
    for (std::string &w : words) cmd.push_back(w.data());
    cmd.push_back(nullptr);
    return GRD_math_command(static_cast<int>(words.size()), cmd.data()) == 1 ? 0 : 1;
}
