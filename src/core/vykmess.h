// vykmess.h: levelled messages (mess.cpp).
#ifndef VYKMESS_H
#define VYKMESS_H

#include <cstdint>

/// Message class mask: eight 4-bit groups, the four bits of a group being its sub-levels a to d.
typedef uint32_t M_type;

// The classes.  Error and warn share the second group: error holds its sub-levels a and b,
// warn c and d.
constexpr M_type M_NONE = 0;
constexpr M_type M_PRINT = 0xF;
constexpr M_type M_ERROR = 0x30;
constexpr M_type M_WARN = 0xC0;
constexpr M_type M_MESS = 0xF00;
constexpr M_type M_OUT1 = 0xF000;
constexpr M_type M_OUT2 = 0xF0000;
constexpr M_type M_OUT3 = 0xF00000;
constexpr M_type M_OUT4 = 0xF000000;
constexpr M_type M_DEBUG = 0xF0000000;

// Single sub-levels, named <class>_A to <class>_D (bit values 1, 2, 4 and 8 of the group).
constexpr M_type M_PRINT_A = 0x1, M_PRINT_B = 0x2, M_PRINT_C = 0x4, M_PRINT_D = 0x8;
constexpr M_type M_ERROR_A = 0x10, M_ERROR_B = 0x20, M_WARN_C = 0x40, M_WARN_D = 0x80;
constexpr M_type M_MESS_A = 0x100, M_MESS_B = 0x200, M_MESS_C = 0x400, M_MESS_D = 0x800;
constexpr M_type M_OUT1_A = 0x1000, M_OUT1_B = 0x2000, M_OUT1_C = 0x4000, M_OUT1_D = 0x8000;
constexpr M_type M_OUT2_A = 0x10000, M_OUT2_B = 0x20000, M_OUT2_C = 0x40000, M_OUT2_D = 0x80000;
constexpr M_type M_OUT3_A = 0x100000, M_OUT3_B = 0x200000, M_OUT3_C = 0x400000,
                 M_OUT3_D = 0x800000;
constexpr M_type M_OUT4_A = 0x1000000, M_OUT4_B = 0x2000000, M_OUT4_C = 0x4000000,
                 M_OUT4_D = 0x8000000;
constexpr M_type M_DEBUG_A = 0x10000000, M_DEBUG_B = 0x20000000, M_DEBUG_C = 0x40000000,
                 M_DEBUG_D = 0x80000000;

// Every class narrowed to one sub-level (the message option words ending in a, b, c or d).
constexpr M_type M_SUB_A = 0x11111111, M_SUB_B = 0x22222222, M_SUB_C = 0x44444444,
                 M_SUB_D = 0x88888888;

// Operation codes of MESS_set: user settings (0 to 4, counted), program settings (10 to 15,
// always applied) and defaults (16 and up, ignored once the user has set the mask).
enum {
    MESS_USER_CLEAR = -1, MESS_USER_SET = 0, MESS_USER_ADD = 1,
    MESS_PROG_CLEAR = 9, MESS_PROG_SET = 10, MESS_PROG_ADD = 11,
    MESS_DEF_CLEAR = 19, MESS_DEF_SET = 20, MESS_DEF_ADD = 21,
};
constexpr int MESS_USER_MAX = 4;   // highest code counted as a user setting
constexpr int MESS_DEF_MIN = 16;   // lowest default code

int MESS_print(M_type type, const char *format, ...) __attribute__((format(printf, 2, 3)));
int MESS_set(int oper, M_type level);
int MESS_set_str(const char *str);
M_type MESS_get();
int MESS_check(M_type level);
int MESS_check_set();
int MESS_file(const char *filename, const char *access);
int MESS_file_close();
int MESS_set_out(int val);
int MESS_set_page(int val);
int MESS_get_max_lines();
int MESS_hold(M_type type, const char *mess);
int MESS_print_prog(const char *string);

#endif
