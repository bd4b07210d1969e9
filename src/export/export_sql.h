// The text of the export's three queries. Values go in as plain decimal text with a full
// stop, without rounding. A PEAK_LIST_ID read from a row goes in as its integer digits, never
// as raw text from the database, so a malformed id cannot change the statement.
#pragma once

#include <cstdint>
#include <string>

namespace lumbrook::exporting {

// The views the export reads: the BASE_ ones where the connection probe found them.
struct ExportViews {
    const char* itemView;
    const char* peakView;
};
// The BASE_ views with `useBaseViews`, else the plain ones.
ExportViews ViewsFor(bool useBaseViews);

// One row per peak list of the job run (with OPMODE_NAME, for the MS/MS test) or of the job
// run item, in PEAK_LIST_ID order.
std::string SpectrumQuery(const ExportViews& views, bool allSpectra, std::int32_t jobRunId,
                          std::int32_t jobRunItemId);

// The filtered peaks of every peak list whose id lies in [firstId, lastId], ordered by
// PEAK_LIST_ID and CENTROID.
std::string BatchPeakQuery(const ExportViews& views, std::int64_t firstId, std::int64_t lastId,
                           double s2n, std::int16_t monoisotopic, double minMass);

// The filtered peaks of one job run item, every peak list merged, ordered by CENTROID.
std::string ItemPeakQuery(const ExportViews& views, std::int32_t jobRunItemId, double s2n,
                          std::int16_t monoisotopic);

}  // namespace lumbrook::exporting
