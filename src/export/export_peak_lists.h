// ExportPeakLists: reads the peak lists of one job run, or of one job run item, filters their
// peaks and writes them to a peak list file. DoExport of the automation object is its caller.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "export/peak_list_writer.h"

namespace lumbrook::database {
class Connection;
}

namespace lumbrook::exporting {

// The text of the one error the engine raises itself, when a job run's first spectrum is not
// MS/MS; the automation object raises it as 0x800403F0 with source "Lumbrook".
inline constexpr const char* kNoMsMsDataText = "No MS/MS data in this job run";

class NoMsMsDataError : public std::runtime_error {
  public:
    NoMsMsDataError() : std::runtime_error(kNoMsMsDataText) {}
};

// Told about a batched export as it goes. The calls run on the export's thread, inside it.
class ExportListener {
  public:
    // After every spectrum and every batch: the spectrum rows done so far (passed-over and
    // skipped ones included), their total, and what has been written so far. The last call
    // has done == total unless the export was cancelled.
    virtual void SpectrumDone(long done, long total, const WriterCounts& written) = 0;
    // When a batch's peak query failed and its spectra were passed over; the export goes on.
    virtual void BatchSkipped() {}

  protected:
    ~ExportListener() = default;
};

// Spectra fetched with one peak query.
inline constexpr long kBatchSize = 200;

// Exports into `outFile`. The arguments are references to the caller's stored values and
// are read, never changed; the connection in particular is read again for every query, so a
// Connect that replaces it during the export (a re-entrant call from DoEvents) leaves the
// engine with the new one rather than a dangling one.
//
// Returns true when every spectrum was read and written; false when the spectrum query fails
// or finds nothing (no file is created), when the export was cancelled (the file ends on a
// complete block), or when a batch's peak query failed (the batch is skipped, the others are
// written). The file replaces the target only on these ways out (see output_file.h). Raises
// NoMsMsDataError (no file is created) and FileError, also when `outFile` is the database
// being read; any error leaves the target as it was. A cancel is looked at after every
// spectrum and every batch, and interrupts a query under way where the database allows it.
// On every way out exportRunning is cleared. When `counts` is given it receives what was
// written, also on a false result.
bool ExportPeakLists(const std::int32_t& jobRunId, const std::string& outFile,
                     const bool& allSpectra, const std::int32_t& jobRunItemId,
                     const std::string& msType, const double& s2n, const std::int16_t& monoisotopic,
                     const double& minMass, const double& maxMass,
                     const std::unique_ptr<database::Connection>& connection,
                     ExportListener* listener = nullptr, WriterCounts* counts = nullptr);

}  // namespace lumbrook::exporting
