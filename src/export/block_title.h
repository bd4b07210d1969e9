// The title of a spectrum as every output format writes it: the TITLE line of a peak list
// block, and the spectrum title of the mass spectrometry data formats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrook::exporting {

// The decimal places of the precursor mass in a block's PEPMASS line, and so in the index.
inline constexpr int kPrecursorDecimals = 4;

// Appends "Label: L Spot_Id: S, Peak_List_Id: P, MSMS Job_Run_Id: J" to `out`. The texts come
// from the database and are written as they are, except that every CR and LF in them becomes
// a blank: a line break would end a title line early and let the rest pass for lines of the
// file's own.
void AppendBlockTitle(std::string& out, std::string_view label, std::string_view spotId,
                      std::string_view peakListId, std::int64_t jobRunId);

}  // namespace lumbrook::exporting
