#pragma once

#include <string>

// The texts of the metadata display, looked up in the language table (the metadata text module
// fills it at start). A label is the text under "EX_MEDIUMINFO_STRING" and a decimal number; a
// value list is the label 1000 + list number, whose text is a run of entries each ended by the
// text's own last character. Runs on any thread: the table is read-only once loaded.

// The key of label n, for example "EX_MEDIUMINFO_STRING12".
std::string MediumInfoKey(int n);

// Label n; empty when the language table lacks it.
std::string LabelText(int n);

// Entry `index` (0-based) of value list `list`; empty when the list is missing or shorter.
std::string ValueListEntry(int list, int index);

// How many entries the language table gives value list `list`.
int ValueListSize(int list);

// A value list together with the number of entries the formatting may index in it. Values
// outside that range give empty text even when a language file happens to hold more entries,
// so a damaged tag never picks up an unrelated word.
struct ValueList {
    int number = 0;
    int entries = 0;
};

std::string ValueListEntry(ValueList list, int index);
