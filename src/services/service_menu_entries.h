#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One entry that a service put into the menu panel: clicking it sends the command (the low 32
// bits of what the service gave) to the main window.
struct ServiceMenuEntry {
    std::string caption;
    int32_t command = 0;
    std::string secondText;

    friend bool operator==(const ServiceMenuEntry&, const ServiceMenuEntry&) = default;
};

// The helper or program entries of the menu panel as services set them: first the count, then
// each entry by index. Counts are clamped to 0..256; an index outside the count is ignored.
class ServiceMenuEntries {
public:
    static constexpr int kMaximumCount = 256;

    void SetCount(int count);
    void Set(int index, ServiceMenuEntry entry);
    const std::vector<ServiceMenuEntry>& Entries() const { return m_entries; }

private:
    std::vector<ServiceMenuEntry> m_entries;
};
