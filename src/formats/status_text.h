#pragma once

#include <string>
#include <vector>

class MediumInformation;

// The short texts of one file for the status bar and the item tooltips, filled from the
// language templates: label 1070 (shooting date text, shooting time text, quality text) for
// pictures with a shooting date, else label 1072 (modification date text, time text); then
// label 1071 (size in KB); then, for Exif pictures that record their source, label 1317 (the
// FileSource text). Runs on the thumbnail worker or the main thread.

// The filled templates in that order, each trimmed; templates that come out empty are left out.
std::vector<std::string> StatusPieces(const MediumInformation& info);

// The pieces on one line, two spaces apart.
std::string StatusText(const MediumInformation& info);

// The file name, then one piece per line.
std::string TooltipText(const MediumInformation& info);
