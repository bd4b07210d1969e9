#include "export/export_peak_lists.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "database/connection.h"
#include "database/database_error.h"
#include "database/recordset.h"
#include "export/block_index.h"
#include "export/export_sql.h"
#include "export/field_values.h"
#include "export/file_error.h"
#include "export/ms_data_writer.h"
#include "export/peak_list_writer.h"

namespace lumbrook::exporting {
namespace {

using database::Connection;
using database::Recordset;
using database::Value;

// Tells the listener that the export is over on every way out of the engine, errors included.
class ExportEndedGuard {
  public:
    explicit ExportEndedGuard(ExportListener& listener) : listener_(listener) {}
    ExportEndedGuard(const ExportEndedGuard&) = delete;
    ExportEndedGuard& operator=(const ExportEndedGuard&) = delete;
    ~ExportEndedGuard() { listener_.ExportEnded(); }

  private:
    ExportListener& listener_;
};

// Runs one of the export's queries. A missing or closed connection and every database error
// give nothing: the engine turns database failures into a false result or a skipped batch,
// it never passes them on. With `cancel`, the database asks it while the query runs and
// interrupts the query when it answers true.
std::optional<Recordset> TryQuery(const std::unique_ptr<Connection>& connection,
                                  const std::string& sql, ExportListener* cancel) {
    if (!connection)
        return std::nullopt;
    // The check is the connection's only while this query runs: the connection may be
    // replaced between two queries (a re-entrant Connect), and other callers' queries are
    // never interrupted by an export's cancel.
    struct InterruptScope {
        Connection& connection;
        ~InterruptScope() { connection.SetInterruptCheck({}); }
    } scope{*connection};
    if (cancel != nullptr)
        connection->SetInterruptCheck([cancel] { return cancel->CancelRequested(); });
    try {
        return connection->Execute(sql, database::kCommandTimeoutSeconds);
    } catch (const database::DatabaseError&) {
        return std::nullopt;  // see above: a failed query is a result, not an error
    }
}

// Refuses an output that is the database file being read: the export would replace the
// database with its peak list. FileError before anything is written.
void RefuseDatabaseAsOutput(const std::string& outFile, const Connection& connection) {
    const std::optional<database::FileIdentity> database = connection.DatabaseFile();
    struct stat info {};
    if (!database || stat(outFile.c_str(), &info) != 0)
        return;  // nothing there yet, or something the output's own opening reports
    if (static_cast<std::uint64_t>(info.st_dev) == database->device &&
        static_cast<std::uint64_t>(info.st_ino) == database->inode) {
        throw FileError(kPathFileAccessErrorCode,
                        "Path/File access error: " + outFile + " is the database being read");
    }
}

// Column indices of the spectrum rows, looked up once instead of by name for every row.
struct SpectrumColumns {
    int peakListId = -1;
    int spotId = -1;
    int precursorMass = -1;
    int spotLabel = -1;
    int opmodeName = -1;
};

// The columns of a spectrum query's rows, OPMODE_NAME only `withOpmode`; nothing when one is
// missing.
std::optional<SpectrumColumns> FindSpectrumColumns(const Recordset& rows, bool withOpmode) {
    SpectrumColumns c;
    c.peakListId = rows.ColumnIndex("PEAK_LIST_ID");
    c.spotId = rows.ColumnIndex("SPOT_ID");
    c.precursorMass = rows.ColumnIndex("PRECURSOR_MASS");
    c.spotLabel = rows.ColumnIndex("SPOT_LABEL");
    c.opmodeName = withOpmode ? rows.ColumnIndex("OPMODE_NAME") : 0;
    if (c.peakListId < 0 || c.spotId < 0 || c.precursorMass < 0 || c.spotLabel < 0 ||
        c.opmodeName < 0) {
        return std::nullopt;
    }
    return c;
}

struct PeakColumns {
    int centroid = -1;
    int area = -1;
    int peakListId = -1;
};

// The columns of a peak query's rows, PEAK_LIST_ID only `withPeakListId` (the batch query has
// it, the MS export's query does not); nothing when one is missing.
std::optional<PeakColumns> FindPeakColumns(const Recordset& rows, bool withPeakListId) {
    PeakColumns c;
    c.centroid = rows.ColumnIndex("CENTROID");
    c.area = rows.ColumnIndex("AREA");
    c.peakListId = withPeakListId ? rows.ColumnIndex("PEAK_LIST_ID") : 0;
    if (c.centroid < 0 || c.area < 0 || c.peakListId < 0)
        return std::nullopt;
    return c;
}

// The MS/MS test of the first spectrum row: its OPMODE_NAME contains "MS-MS", compared
// case-sensitively. A null or non-text mode is no MS/MS mode.
bool IsMsMs(const Value& opmode) {
    const auto* text = std::get_if<std::string>(&opmode);
    return text != nullptr && text->find("MS-MS") != std::string::npos;
}

// One batched export: the caller's request and connection, read through their references,
// the spectrum rows and the writer.
struct BatchedExport {
    const ExportRequest& request;
    const std::unique_ptr<Connection>& connection;
    ExportListener& listener;
    Recordset& spectra;
    SpectrumColumns columns;
    OutputWriter& writer;

    // Texts of the current block's title, kept to reuse their storage.
    std::string label{};
    std::string spotId{};
    std::string peakListId{};

    // The last `done` reported, so that the check after a batch reports only news.
    long reported = 0;

    // The first spectrum row of each PEAK_LIST_ID, through which the merge finds the spectrum
    // of a peak.
    std::unordered_map<std::int64_t, long> rowOfId{};
    // Set when a peak belonged to a spectrum already passed: it was not written, so the export
    // is not complete.
    bool misordered = false;

    // Runs every batch. False when cancelled; `complete` is cleared when a batch was skipped.
    bool Run(bool& complete);

  private:
    // Reports progress, pauses for the listener and answers whether it asks to stop.
    bool SpectrumDoneAndCancelled(long done, long total);

    // Merges one batch's peaks into its spectra and writes their blocks. False when
    // cancelled.
    bool MergeBatch(Recordset& peaks, const PeakColumns& peakColumns, long batchStart,
                    long batchEnd);
    // Writes the block head of the spectrum in row `row`.
    void WriteHead(long row, std::optional<double> precursorMass);
};

bool BatchedExport::Run(bool& complete) {
    const long rowCount = spectra.RecordCount();
    for (long row = 1; row <= rowCount; ++row) {
        if (const auto id = IdValue(spectra.At(row, columns.peakListId)))
            rowOfId.emplace(*id, row);
    }
    long batchStart = 1;
    long rowsLeft = rowCount;
    while (rowsLeft > 0) {
        long batchEnd = 0;
        if (rowsLeft > kBatchSize) {
            batchEnd = batchStart + kBatchSize - 1;
            rowsLeft -= kBatchSize;
        } else {
            batchEnd = rowCount;
            rowsLeft = 0;
        }
        const auto firstId = IdValue(spectra.At(batchStart, columns.peakListId));
        const auto lastId = IdValue(spectra.At(batchEnd, columns.peakListId));
        std::optional<Recordset> peaks;
        if (firstId && lastId) {
            const PeakFilter& filter = request.filter;
            peaks = TryQuery(connection,
                             BatchPeakQuery(request.views, *firstId, *lastId, filter.s2n,
                                            filter.monoisotopic, filter.minMass),
                             &listener);
        }
        const std::optional<PeakColumns> peakColumns =
            peaks ? FindPeakColumns(*peaks, true) : std::nullopt;
        if (!peakColumns) {
            // The batch is skipped and the export goes on, but the file is then incomplete
            // and the result will say so.
            complete = false;
            listener.BatchSkipped();
        } else if (!MergeBatch(*peaks, *peakColumns, batchStart, batchEnd)) {
            return false;
        }
        // After every batch too, skipped ones included: a run of failing or slow batches
        // must not hold off a cancel for a whole job run.
        if (SpectrumDoneAndCancelled(batchEnd, rowCount))
            return false;
        batchStart = batchEnd + 1;
    }
    // The closing report, as hosts have always had it, with the final counts.
    listener.SpectrumDone(rowCount, rowCount, writer.Counts());
    if (misordered)
        complete = false;
    return true;
}

bool BatchedExport::SpectrumDoneAndCancelled(long done, long total) {
    if (done != reported)
        listener.SpectrumDone(done, total, writer.Counts());
    reported = done;
    listener.Pause();
    return listener.CancelRequested();
}

void BatchedExport::WriteHead(long row, std::optional<double> precursorMass) {
    label.clear();
    spotId.clear();
    peakListId.clear();
    AppendFieldText(label, spectra.At(row, columns.spotLabel));
    AppendFieldText(spotId, spectra.At(row, columns.spotId));
    AppendFieldText(peakListId, spectra.At(row, columns.peakListId));
    writer.BlockHead(precursorMass, label, spotId, peakListId, request.jobRunId);
}

bool BatchedExport::MergeBatch(Recordset& peaks, const PeakColumns& peakColumns, long batchStart,
                               long batchEnd) {
    const long total = spectra.RecordCount();
    spectra.SetAbsolutePosition(batchStart);
    peaks.MoveFirst();
    for (;;) {
        const long row = spectra.AbsolutePosition();
        const std::optional<std::int64_t> spectrumId = IdValue(spectra.At(row, columns.peakListId));
        const std::optional<double> precursorMass =
            NumberValue(spectra.At(row, columns.precursorMass));
        // Without a precursor mass there is no upper limit and no valid block: the
        // spectrum's peaks are passed over and nothing of it is written. An infinite or
        // NaN mass is no mass either: PEPMASS would have no number.
        const bool hasUpperLimit = precursorMass.has_value() && std::isfinite(*precursorMass);
        const double upperLimit = hasUpperLimit ? *precursorMass - request.filter.maxMass : 0;
        bool headWritten = false;
        while (spectrumId && !peaks.IsEOF() &&
               IdValue(peaks.Field(peakColumns.peakListId)) == spectrumId) {
            const std::optional<double> centroid = NumberValue(peaks.Field(peakColumns.centroid));
            // Strictly below the limit; peaks at or above it are passed over.
            if (hasUpperLimit && centroid && *centroid < upperLimit) {
                if (!headWritten) {
                    WriteHead(row, precursorMass);
                    headWritten = true;
                }
                writer.PeakLine(centroid, NumberValue(peaks.Field(peakColumns.area)));
            }
            peaks.MoveNext();
        }
        if (headWritten)
            writer.BlockEnd();

        if (SpectrumDoneAndCancelled(row, total))
            return false;

        // Realign: on to the row of the spectrum that the next peak belongs to, passing over
        // peaks of no spectrum of the export (other job runs' peak lists in the id range, or
        // no readable id). The row is looked up by id rather than found by comparing ids: the
        // database orders both row sets alike, but not always as numbers (ids stored as text
        // come as 1, 10, 2), and a numeric comparison would then pass over whole spectra.
        std::optional<long> next;
        for (; !peaks.IsEOF(); peaks.MoveNext()) {
            const std::optional<std::int64_t> p = IdValue(peaks.Field(peakColumns.peakListId));
            const auto found = p ? rowOfId.find(*p) : rowOfId.end();
            if (found == rowOfId.end())
                continue;
            if (found->second > row) {
                next = found->second;
                break;
            }
            // Peaks of a spectrum already passed: the two row sets are not in one order.
            misordered = true;
        }
        if (!next || *next > batchEnd)
            return true;
        spectra.SetAbsolutePosition(*next);
    }
}

// Refuses an index that is the peak list file itself: the later of the two renames would
// leave only the index. FileError before anything is written.
void RefuseOutputAsIndex(const std::string& outFile, const std::string& indexFile) {
    struct stat out {};
    struct stat index {};
    bool same = false;
    if (stat(outFile.c_str(), &out) == 0 && stat(indexFile.c_str(), &index) == 0) {
        same = out.st_dev == index.st_dev && out.st_ino == index.st_ino;
    } else {
        // Not both there yet: the same name, once the folders' links are resolved.
        std::error_code outError;
        std::error_code indexError;
        const auto outPath = std::filesystem::weakly_canonical(outFile, outError);
        const auto indexPath = std::filesystem::weakly_canonical(indexFile, indexError);
        same = !outError && !indexError && outPath == indexPath;
    }
    if (same) {
        throw FileError(kPathFileAccessErrorCode,
                        "Path/File access error: " + indexFile + " is the peak list file itself");
    }
}

// The file an export writes, and its index when one is asked for: created when the first
// spectra to write have been found, so that an export with nothing to write creates neither.
class Output {
  public:
    Output(const std::string& outFile, const std::unique_ptr<Connection>& connection,
           const OutputOptions& options)
        : outFile_(outFile), connection_(connection), options_(options) {}

    // The writer, opened on first use for the format asked for; the database being read is
    // refused as the file and as the index, and so is an index that is the file. `filter` is
    // the one the export applies, which a data file describes.
    OutputWriter& Writer(const PeakFilter& filter) {
        if (!writer_) {
            const std::string& indexFile = options_.indexFile;
            RefuseDatabaseAsOutput(outFile_, *connection_);
            if (!indexFile.empty()) {
                RefuseDatabaseAsOutput(indexFile, *connection_);
                RefuseOutputAsIndex(outFile_, indexFile);
            }
            if (options_.format == OutputFormat::Qpk) {
                writer_ = std::make_unique<PeakListWriter>(outFile_);
            } else {
                writer_ = std::make_unique<MsDataWriter>(
                    outFile_, options_.format,
                    MsDataSource{.name = connection_->SourceName(),
                                 .isFile = connection_->DatabaseFile().has_value(),
                                 .filter = filter});
            }
            if (!indexFile.empty()) {
                index_.emplace(indexFile);
                writer_->IndexBlocksInto(&*index_);
            }
        }
        return *writer_;
    }
    bool Opened() const { return writer_ != nullptr; }
    const WriterCounts& Counts() const { return writer_->Counts(); }
    // The request whose blocks come next, for the index.
    void Starting(const ExportRequest& request) {
        if (index_)
            index_->SetJobRunItem(request.allSpectra ? 0 : request.jobRunItemId);
    }
    // Commits the file, then its index, and tells `counts` what the file holds.
    void Finish(WriterCounts* counts) {
        writer_->Finish();
        if (counts != nullptr)
            *counts = writer_->Counts();
        if (index_)
            index_->Commit();
    }
    // Whether a writer that goes without Finish leaves the target as it was (see
    // OutputWriter::KeepsTargetUntilFinished); true while nothing was opened.
    bool KeepsTargetUntilFinished() const {
        return !writer_ || writer_->KeepsTargetUntilFinished();
    }

  private:
    const std::string& outFile_;
    const std::unique_ptr<Connection>& connection_;
    const OutputOptions& options_;
    std::unique_ptr<OutputWriter> writer_;
    std::optional<BlockIndex> index_;
};

// Told the counts of what the target holds when the export ends in an exception: a target
// replaced only at the end is then as it was, and the blocks written into the discarded
// temporary file are no longer anywhere.
class CountsOfWhatStays {
  public:
    CountsOfWhatStays(const Output& output, WriterCounts* counts)
        : output_(output), counts_(counts), exceptions_(std::uncaught_exceptions()) {}
    ~CountsOfWhatStays() {
        if (counts_ != nullptr && std::uncaught_exceptions() > exceptions_ &&
            output_.KeepsTargetUntilFinished())
            *counts_ = {};
    }
    CountsOfWhatStays(const CountsOfWhatStays&) = delete;
    CountsOfWhatStays& operator=(const CountsOfWhatStays&) = delete;

  private:
    const Output& output_;
    WriterCounts* counts_;
    int exceptions_;
};

bool IsBatched(const ExportRequest& request) {
    return request.allSpectra || request.msType != "MS";
}

// Tells the listener which kind of export starts, before its first query: a cancel requested
// while that query runs then interrupts it instead of being forgotten.
void TellStarting(ExportListener& listener, bool batched) {
    if (batched)
        listener.BatchedExportStarting();
    else
        listener.MsExportStarting();
}

// How the export of one request ended.
enum class RequestEnd {
    NothingToRead,  // the spectrum query failed or found nothing: nothing was written
    Complete,       // every spectrum was read and written
    Incomplete,     // batches or peaks could not be read; the others were written
    Cancelled,      // the listener asked to stop; what was written ends on a complete block
};

// Writes what `request` asks for through `output`.
RequestEnd ExportRequestInto(const ExportRequest& request,
                             const std::unique_ptr<Connection>& connection,
                             ExportListener& listener, Output& output) {
    std::optional<Recordset> spectra = TryQuery(
        connection,
        SpectrumQuery(request.views, request.allSpectra, request.jobRunId, request.jobRunItemId),
        &listener);
    if (!spectra || spectra->RecordCount() < 1)
        return RequestEnd::NothingToRead;
    const std::optional<SpectrumColumns> columns =
        FindSpectrumColumns(*spectra, request.allSpectra);
    if (!columns)
        return RequestEnd::NothingToRead;
    if (request.allSpectra && !IsMsMs(spectra->At(1, columns->opmodeName)))
        throw NoMsMsDataError();

    OutputWriter& writer = output.Writer(request.filter);
    output.Starting(request);
    if (IsBatched(request)) {
        BatchedExport batched{.request = request,
                              .connection = connection,
                              .listener = listener,
                              .spectra = *spectra,
                              .columns = *columns,
                              .writer = writer};
        bool complete = true;
        if (!batched.Run(complete))
            return RequestEnd::Cancelled;
        return complete ? RequestEnd::Complete : RequestEnd::Incomplete;
    }
    // The MS export: one item's peaks, every peak list merged, as bare peak lines. It never
    // pauses, but a cancel still interrupts its one slow part, the peak query.
    std::optional<Recordset> peaks =
        TryQuery(connection,
                 ItemPeakQuery(request.views, request.jobRunItemId, request.filter.s2n,
                               request.filter.monoisotopic),
                 &listener);
    const std::optional<PeakColumns> peakColumns =
        peaks ? FindPeakColumns(*peaks, false) : std::nullopt;
    if (!peakColumns)
        return RequestEnd::Incomplete;  // an empty file from a failed query is no complete one
    writer.MergedPeaksStart(request.jobRunItemId);
    for (peaks->MoveFirst(); !peaks->IsEOF(); peaks->MoveNext()) {
        writer.PeakLine(NumberValue(peaks->Field(peakColumns->centroid)),
                        NumberValue(peaks->Field(peakColumns->area)));
    }
    writer.MergedPeaksEnd();
    return RequestEnd::Complete;
}

// The listener of one request of a list, in front of the list's own: the kind of export is
// told once for the whole list, and progress counts the spectra of the whole list. The
// requests still to come count one spectrum each until they are read, and a request that
// reports no spectra (an MS one, or one with nothing to read) counts as one when it ends.
class ListListener final : public ExportListener {
  public:
    ListListener(ExportListener& list, long requests) : list_(list), left_(requests) {}

    void RequestStarting() {
        --left_;
        lastTotal_ = 0;
    }
    // Reports the request's end unless its own last report said the same already.
    void RequestEnded(const WriterCounts& written) {
        before_ += std::max(lastTotal_, 1L);
        if (before_ != reportedDone_ || before_ + left_ != reportedTotal_)
            Report(before_, before_ + left_, written);
    }

    // Every report of the request is passed on, as DoExport passes them.
    void SpectrumDone(long done, long total, const WriterCounts& written) override {
        lastTotal_ = total;
        Report(before_ + done, before_ + total + left_, written);
    }
    void BatchSkipped() override { list_.BatchSkipped(); }
    void Pause() override { list_.Pause(); }
    bool CancelRequested() override { return list_.CancelRequested(); }

  private:
    void Report(long done, long total, const WriterCounts& written) {
        reportedDone_ = done;
        reportedTotal_ = total;
        list_.SpectrumDone(done, total, written);
    }

    ExportListener& list_;
    long left_;
    long before_ = 0;
    long lastTotal_ = 0;
    long reportedDone_ = -1;
    long reportedTotal_ = -1;
};

}  // namespace

bool ExportPeakLists(const ExportRequest& request, const std::string& outFile,
                     const std::unique_ptr<Connection>& connection, ExportListener& listener,
                     WriterCounts* counts, const OutputOptions& options) {
    const ExportEndedGuard endedGuard(listener);
    TellStarting(listener, IsBatched(request));
    Output output(outFile, connection, options);
    const CountsOfWhatStays countsOnFailure(output, counts);
    const RequestEnd end = ExportRequestInto(request, connection, listener, output);
    if (end == RequestEnd::NothingToRead)
        return false;
    output.Finish(counts);
    return end == RequestEnd::Complete;
}

bool ExportPeakListsOfList(const std::vector<ExportRequest>& requests, const std::string& outFile,
                           const std::unique_ptr<Connection>& connection, ExportListener& listener,
                           WriterCounts* counts, ListReport* report, const OutputOptions& options) {
    const ExportEndedGuard endedGuard(listener);
    TellStarting(listener, std::any_of(requests.begin(), requests.end(), IsBatched));
    ListReport own;
    ListReport& told = report != nullptr ? *report : own;
    told = {};
    Output output(outFile, connection, options);
    const CountsOfWhatStays countsOnFailure(output, counts);
    ListListener each(listener, static_cast<long>(requests.size()));
    bool complete = !requests.empty();
    for (const ExportRequest& request : requests) {
        if (told.started > 0) {
            listener.Pause();
            if (listener.CancelRequested()) {
                complete = false;
                break;
            }
        }
        ++told.started;
        each.RequestStarting();
        const RequestEnd end = ExportRequestInto(request, connection, each, output);
        each.RequestEnded(output.Opened() ? output.Counts() : WriterCounts{});
        if (end == RequestEnd::NothingToRead)
            ++told.empty;
        if (end != RequestEnd::Complete)
            complete = false;
        if (end == RequestEnd::Cancelled)
            break;
    }
    if (!output.Opened())
        return false;
    output.Finish(counts);
    return complete;
}

}  // namespace lumbrook::exporting
