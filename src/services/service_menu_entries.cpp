#include "services/service_menu_entries.h"

#include <algorithm>

void ServiceMenuEntries::SetCount(int count)
{
    m_entries.resize(static_cast<size_t>(std::clamp(count, 0, kMaximumCount)));
}

void ServiceMenuEntries::Set(int index, ServiceMenuEntry entry)
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return;
    m_entries[static_cast<size_t>(index)] = std::move(entry);
}
