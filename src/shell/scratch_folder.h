#pragma once

#include <string>

// Empties the scratch folder and creates it again (every missing level). Nothing outside it is
// ever touched: symbolic links are removed as links, never followed, and a scratch folder that
// is itself a link is replaced by a real folder. Entries that cannot be removed are left; the
// result says whether the folder exists and is empty afterwards.
bool ResetScratchFolder(const std::string& folder);
