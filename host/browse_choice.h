// What `lumbrook browse` makes of the browser's choice before and after the window: whether
// the export file can be written, the entries of the DescriptorList, how their count reads,
// and whether there is anything to export.
#pragma once

#include <string>
#include <vector>

namespace lumbrook::host {

// The entries of a DescriptorList: separated by one NUL each, none after the last.
std::vector<std::string> SplitEntries(const std::string& list);

// "DescriptorList=1 entry", "DescriptorList=3 entries": the count line printed after a choice.
std::string EntryCountLine(std::size_t count);

// Empty when an export may write `file`; otherwise why not, as "cannot write FILE: reason":
// a folder under that name, or no file there and a folder where none can be created. Checked
// before the window opens, so the user does not choose spectra for a file that can never be
// made; nothing is created or changed. "-" (standard output) is always accepted.
std::string WhyNotWritable(const std::string& file);

// Empty when the choice gives something to export; otherwise the reason ("nothing selected to
// export": selected spectra were asked for, and no row was selected).
std::string WhyNothingToExport(bool allSpectra, const std::vector<std::string>& entries);

}  // namespace lumbrook::host
