// ExportPeakLists: reads the peak lists of one job run, or of one job run item, filters their
// peaks and writes them to a peak list file. DoExport of the automation object is its caller.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "export/export_request.h"
#include "export/output_format.h"
#include "export/output_writer.h"

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

// Spectra fetched with one peak query.
inline constexpr long kBatchSize = 200;

// What an export writes besides its spectra, and how.
struct OutputOptions {
    // The format of the file. Every format holds the same spectra and peaks, in one order.
    OutputFormat format = OutputFormat::Qpk;
    // When not empty, the export also writes the index of the blocks it writes there (see
    // block_index.h), created and replaced along with the file, after it; the index may be
    // neither the file nor the database.
    std::string indexFile;
};

// Exports what `request` asks for into `outFile`, reading with `connection`, and tells
// `listener` how it goes.
//
// The request and the connection are the caller's stored values, read at every use and never
// changed or copied. A value the caller changes while the export runs (a property put from a
// handler run during Pause) is the one the next query uses. A Connect that replaces the
// connection during the export leaves the engine with the new one rather than a dangling one.
//
// Returns true when every spectrum was read and written; false when the spectrum query fails
// or finds nothing (no file is created), when the listener asked to stop (the file ends on a
// complete block; for mzML and mzXML a file of the spectra written so far), or when a batch's
// peak query failed (the batch is skipped, the others are
// written), or when peaks came in another order than their spectra and were passed over. The file
// replaces the target only on these ways out (see output_file.h). Raises NoMsMsDataError (no file
// is created) and FileError, also when `outFile` is the database being read; any error leaves the
// target as it was. The listener is asked whether to stop after every spectrum and every batch, and
// by the database while any of the export's queries runs, where the database allows it. When
// `counts` is given it receives what was written, also on a false result. `options` choose
// the format and the index.
bool ExportPeakLists(const ExportRequest& request, const std::string& outFile,
                     const std::unique_ptr<database::Connection>& connection,
                     ExportListener& listener, WriterCounts* counts = nullptr,
                     const OutputOptions& options = {});

// What an export of a list came to, beyond its result.
struct ListReport {
    long started = 0;  // requests begun; fewer than asked when the export was cancelled
    long empty = 0;    // requests whose spectrum query failed or found nothing
};

// Exports `requests` one after the other into the one file `outFile`, in their order, each as
// ExportPeakLists would write it alone; `connection`, `listener` and `counts` as there. The
// listener is told the kind of export once (batched when any request is) and its end once;
// progress counts the spectra of the whole list, a request not yet read counting as one.
//
// Returns true when every request was exported completely; false when there were none, when
// one had nothing to read (the file holds the others; no file is created when none had
// anything), when one was incomplete, or when the listener asked to stop (nothing more is
// started, and the file ends on a complete block). NoMsMsDataError for any request, and a
// FileError, leave the target as it was. `report`, when given, is told what was started and
// what was empty; `options` as for ExportPeakLists, the index naming each block's item.
bool ExportPeakListsOfList(const std::vector<ExportRequest>& requests, const std::string& outFile,
                           const std::unique_ptr<database::Connection>& connection,
                           ExportListener& listener, WriterCounts* counts = nullptr,
                           ListReport* report = nullptr, const OutputOptions& options = {});

}  // namespace lumbrook::exporting
