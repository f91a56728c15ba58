// The translation table built into the program from the same source as the language.csv
// delivered beside it, for a start where that file cannot be read.
#pragma once

#include <string_view>

// The delivered language.csv's bytes (code page 936), exactly as the file holds them.
std::string_view BuiltInLanguageTable();
