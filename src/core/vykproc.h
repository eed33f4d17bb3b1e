// vykproc.h: the program's version and end, processes, prompts and timing (vyk_proc.cpp,
// vyk_prompt.cpp, vyk_time.cpp).
#ifndef VYKPROC_H
#define VYKPROC_H

/// Exit statuses with which the system ends itself.
enum VYK_exit_status {
    VYK_EXIT_OK = 0,          // normal end, help, "exit" or "list" answered, foreground of a detach
    VYK_EXIT_REDIRECT = 1,    // a detached process or a child cannot redirect its standard streams
    VYK_EXIT_EXEC = 2,        // a started child cannot execute its program
    VYK_EXIT_GRAPHICS = 4,    // the graphics kernel, the workstation or the X server failed
    VYK_EXIT_LOOP_WINDOW = 7, // the loop window program does not answer
    VYK_EXIT_NO_FILE = 10,    // an input file is missing or cannot be opened
    VYK_EXIT_NO_STATION = 31, // no station named in batch mode, or a named station not found
    VYK_EXIT_BAD_REGION = 43, // a domain or region text at the region prompt does not decode
    VYK_EXIT_BAD_REQUEST = 44,// a variable or level that the program does not know
    VYK_EXIT_NO_DATA = 45,    // the files read hold no value of what was asked for
};

constexpr int VYK_MAX_PROC = 10;

struct proc_item {
    int index;
    char name[15];  // program name, at most 14 characters
    int id;         // process id; -1 marks a free slot
};

const char *VYK_version();
[[noreturn]] void VYK_exit(int status);
int VYK_get_pid();

int VYK_add_proc(int pid, const char *name);
int VYK_numproc();
int VYK_proc(int pid);
int VYK_proc_id(int proc);
const char *VYK_proc_name(int proc);
int VYK_set_proc(int proc, int value);
int VYK_clr_proc(int proc);
int VYK_chk_proc(int proc);

int VYK_set_outfile(const char *name);
int VYK_set_infile(const char *name);
int VYK_run(const char *filename, char *const *argv, char *const *env, int flag);
int VYK_run_func(int (*func)(int), int arg);
int VYK_back_proc();

char *VYK_prompts(const char *prompt, char *str, int length);
char *VYK_promptl(const char *prompt, char *str);
float VYK_promptf(const char *prompt);
int VYK_promptd(const char *prompt);
int VYK_set_command(const char *string);

int VYK_sleep(float secs);
int VYK_init_time();
float VYK_elapse_time();
long VYK_get_virt_mem();

#endif
