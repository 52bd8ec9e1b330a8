#pragma once
// The words of a typed editor command: the quote-aware splitter and the strict number readers.

#include <string>
#include <vector>

// Splits a trimmed command line into words. A double quote only switches whether white
// space separates words, so quoted text keeps its spaces and a line ending in "" gives a
// final empty word. False when the quotes do not balance; tokens is then unspecified.
bool tokenizeCommand(const std::string& line, std::vector<std::string>& tokens);

// What a word read as a number turned out to be.
enum class NumberWord {
    NUMBER,       // a plain decimal number within range; the value is set
    NO_NUMBER,    // nothing in it starts a number ("", "-", "wide", "nan")
    NOT_PLAIN,    // starts like a number but goes on ("0x10", "1e3" as a whole number, "5x")
    OUT_OF_RANGE, // a number the type cannot hold
};

// An optional sign and decimal digits, within the int range.
NumberWord readWholeNumber(const std::string& word, int& value);
// An optional sign, digits with an optional point, an optional exponent; finite as a double.
NumberWord readDecimalNumber(const std::string& word, double& value);
