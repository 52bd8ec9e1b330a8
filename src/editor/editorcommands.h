#pragma once
// The editor's typed command language: the word splitter and number readers it shares with
// its tests. The commands themselves are StateEditor members (editorcommands.cpp).

#include <string>
#include <vector>

// Splits a trimmed command line into words. A double quote only switches whether white
// space separates words, so quoted text keeps its spaces and a line ending in "" gives a
// final empty word. False when the quotes do not balance; tokens is then unspecified.
bool tokenizeCommand(const std::string& line, std::vector<std::string>& tokens);

// Like atoi, but a number too big for an int is clamped instead of being undefined.
int readWholeNumber(const std::string& text);
// Like atof.
double readNumber(const std::string& text);
