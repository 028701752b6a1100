#pragma once

#include <string>
#include <string_view>
#include <vector>

// The argument text is the command line without the program name: what the option scanners
// read, what a second start forwards and what plug-ins get back as the command line.

// Builds a command line from argv: every argument that is empty, holds a space or starts with a
// double quote is put in double quotes; relative arguments that name an existing entry are made
// absolute first, so that a forwarded path still means the same file in the receiving process.
std::string CommandLineFromArguments(int argc, const char* const* argv);

// Skips the program name: leading spaces, then a quoted name up to the next double quote (no
// closing quote: nothing is left) or a plain name up to the next space, then spaces.
std::string ArgumentTextOf(std::string_view commandLine);

// Tokens: a token that starts with a double quote runs to the next one (an unclosed quote runs
// to the end), any other to the next space. Empty tokens are skipped.
std::vector<std::string> TokenizeArguments(std::string_view argumentText);
