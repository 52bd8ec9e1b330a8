#pragma once
// Bytes from a file or a command, made safe to quote in a message: a terminal must not take
// them for its own commands, and a NUL must not end the message early.

#include <string>

// Control bytes (C0, DEL, and C1 written as UTF-8) and bytes that are not UTF-8 come out
// escaped: \0, \t, \n, \r, else \x1b; everything else, UTF-8 text too, as it is.
std::string printable(const std::string& bytes);
