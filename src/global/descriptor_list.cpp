#include "global/descriptor_list.h"

#include <charconv>

namespace lumbrook {
namespace {

// A 32-bit whole number written as EntryText writes one: decimal digits with an optional
// leading "-", nothing else.
std::optional<std::int32_t> WholeNumber(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<DescriptorEntry> ReadEntry(std::string_view text) {
    // The four fields after the descriptor, from the right.
    std::string_view fields[4];
    for (int i = 3; i >= 0; --i) {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        fields[i] = text.substr(colon + 1);
        text = text.substr(0, colon);
    }
    DescriptorEntry entry;
    entry.descriptor = std::string(text);
    const auto jobRun = WholeNumber(fields[0]);
    const auto item = WholeNumber(fields[1]);
    if (!jobRun || !item)
        return std::nullopt;
    entry.jobRunId = *jobRun;
    entry.jobRunItemId = *item;
    if (fields[2] != "True" && fields[2] != "False")
        return std::nullopt;
    entry.allSpectra = fields[2] == "True";
    if (fields[3] != "MS" && fields[3] != "MS-MS")
        return std::nullopt;
    entry.msType = std::string(fields[3]);
    return entry;
}

}  // namespace

std::string EntryText(const DescriptorEntry& entry) {
    return entry.descriptor + ":" + std::to_string(entry.jobRunId) + ":" +
           std::to_string(entry.jobRunItemId) + ":" + (entry.allSpectra ? "True" : "False") + ":" +
           entry.msType;
}

std::optional<std::vector<DescriptorEntry>> ReadDescriptorList(std::string_view list,
                                                               std::size_t& badEntry) {
    std::vector<DescriptorEntry> entries;
    if (list.empty())
        return entries;
    for (std::size_t start = 0;;) {
        const std::size_t end = list.find('\0', start);
        const std::optional<DescriptorEntry> entry =
            ReadEntry(list.substr(start, end == std::string_view::npos ? end : end - start));
        if (!entry) {
            badEntry = entries.size() + 1;
            return std::nullopt;
        }
        entries.push_back(*entry);
        if (end == std::string_view::npos)
            return entries;
        start = end + 1;
    }
}

}  // namespace lumbrook
