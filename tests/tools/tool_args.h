// The command line of a test-only driver: reading it, with help on request, and its file-name
// arguments.
#ifndef VYK_TOOL_ARGS_H
#define VYK_TOOL_ARGS_H

#include "vyk.h"
#include "vykresrc.h"

#include <sstream>
#include <string>
#include <vector>

/// Reads the command line; true when it asks for help, which is then printed under program.
inline bool read_command_line(int argc, char **argv, const char *program, const res_type *keys,
                              const res_type *pos)
{
    RES_init(argc, argv, keys, pos);
    if (!FLAG_help()) return false;
    RES_help_print(program, keys, pos);
    return true;
}

/// The file-name arguments, one a line; empty ones are passed over.
inline std::vector<std::string> file_arguments()
{
    std::vector<std::string> out;
    const char *names = RES_get("filename");
    std::istringstream in(names ? names : "");
    for (std::string w; std::getline(in, w);)
        if (!w.empty()) out.push_back(w);
    return out;
}

/// The first line of the file-name arguments ("" when there are none).
inline std::string first_argument()
{
    const char *names = RES_get("filename");
    const std::string text = names ? names : "";
    return text.substr(0, text.find('\n'));
}

#endif
