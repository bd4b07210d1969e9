// What an export is asked to do, and the listener that follows it and may stop it. The engine
// reads these and nothing process-wide: whoever starts an export decides where the views, the
// cancel and the running flag come from.
#pragma once

#include <cstdint>
#include <string>

#include "export/export_sql.h"
#include "export/output_writer.h"

namespace lumbrook::exporting {

// The peaks an export writes: a signal-to-noise ratio above `s2n`, an isotopic flag of at least
// `monoisotopic` (0: every peak, 1: monoisotopic ones), and, in an MS/MS export, a centroid
// from `minMass` up to `maxMass` Da below the spectrum's precursor mass.
struct PeakFilter {
    double s2n = 0;
    std::int16_t monoisotopic = 0;
    double minMass = 0;
    double maxMass = 0;
};

// One export: every MS/MS spectrum of job run `jobRunId` (`allSpectra`), or the spectra of
// job run item `jobRunItemId`, the latter as one merged MS peak list when `msType` is "MS".
// `jobRunId` also goes into every block's title.
struct ExportRequest {
    std::int32_t jobRunId = 0;
    std::int32_t jobRunItemId = 0;
    bool allSpectra = false;
    std::string msType;
    PeakFilter filter;
    ExportViews views = ViewsFor(false);
};

// Follows an export and answers whether to stop it. Every call runs on the export's thread,
// inside the export; the defaults do nothing and never stop.
class ExportListener {
  public:
    virtual ~ExportListener() = default;

    // A batched MS/MS export is about to run its spectrum query.
    virtual void BatchedExportStarting() {}
    // The MS export of one item (bare peak lines) is about to run its spectrum query. It
    // never pauses, but the database asks CancelRequested while its queries run.
    virtual void MsExportStarting() {}
    // After every spectrum and every batch: the spectrum rows done so far (passed-over and
    // skipped ones included), their total, and what has been written so far. The last call
    // has done == total unless the export was cancelled.
    virtual void SpectrumDone(long /*done*/, long /*total*/, const WriterCounts& /*written*/) {}
    // A batch's peak query failed and its spectra were passed over; the export goes on.
    virtual void BatchSkipped() {}
    // Between two spectra and after every batch, just before CancelRequested: the place where
    // the caller's pending work may run. What it throws ends the export as an error.
    virtual void Pause() {}
    // Whether the export should stop. Asked after every Pause, and by the database while one
    // of the export's queries runs (also while it waits for a lock), so it must be quick and
    // must not re-enter the export.
    virtual bool CancelRequested() { return false; }
    // The export is over, whichever way it ended, errors included.
    virtual void ExportEnded() {}
};

}  // namespace lumbrook::exporting
