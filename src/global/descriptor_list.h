// The text of DescriptorList, through which the data browser hands back the spectra a user
// chose: one entry per chosen spectrum (or one for a whole job run), each
// "descriptor:job run:item:True or False:MS type", separated by one NUL each. The browser
// writes it; the object's list export reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrook {

struct DescriptorEntry {
    std::string descriptor;
    std::int32_t jobRunId = 0;
    std::int32_t jobRunItemId = 0;
    bool allSpectra = false;
    std::string msType;  // "MS" or "MS-MS"
};

// The entry's text. The descriptor comes first and may hold ":", so a reader takes the other
// four fields from the right.
std::string EntryText(const DescriptorEntry& entry);

// The entries of `list`, in order; none for "". Nothing when an entry is not of the form
// EntryText writes: a job run or item that is no whole number of 32 bits, AllSpectra other
// than "True" or "False", or an MS type other than "MS" or "MS-MS". `badEntry` then receives
// the position of the first such entry, counted from 1.
std::optional<std::vector<DescriptorEntry>> ReadDescriptorList(std::string_view list,
                                                               std::size_t& badEntry);

}  // namespace lumbrook
