#pragma once

#include <functional>

#include "library/item_list.h"

class QWidget;

// Runs work that reads the information of every listed file behind a modal progress window
// that the user can cancel; the owner is disabled meanwhile. Returns what the work returns.
bool RunWithInformationProgress(QWidget* owner, const std::function<bool(const ItemList::Progress&)>& work);
