// Reading a frei0r string parameter without trusting the host.
//
// frei0r hands a string parameter as a pointer to a char* (f0r_param_string*). Not every
// host does: GStreamer's frei0r element passes the characters themselves when a string
// property changes on a running element. Both pointers are only ever read through the
// kernel (a pipe), which reports unreadable memory instead of faulting, so a host's
// wrong guess gives an unknown string or none, never a crash.
#pragma once

#include <string>

namespace brushwerk::frei0r {

// The text behind a string parameter: the char* that param points to, else the
// characters at param itself. False for a null string or unreadable memory. Reads a
// pointer's worth of bytes at param (a host handing characters hands a heap string),
// then the string one character at a time, never past its end.
bool ReadHostString(const void* param, std::string* text);

// Longest string read; anything longer is no preset name.
inline constexpr size_t kLongestHostString = 4096;

}  // namespace brushwerk::frei0r
