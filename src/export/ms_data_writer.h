// The mass spectrometry data formats of the field's own library: indexed mzML and indexed
// mzXML, one spectrum a block the peak list file would hold (ms level 2, centroided, the
// precursor's m/z with charge 1), and one MS1 spectrum for an item's merged MS export.
//
// mzML is written while the export runs, on a thread of its own (mzml_file.h); mzXML goes
// into a spool (peak_list_spool.h) and is written from it at the end, one spectrum at a time.
// Both go into the same kind of output as the peak list file (output_file.h): a temporary file
// that replaces the target only when all of it was written.
#pragma once

#include <memory>
#include <string>

#include "export/export_request.h"
#include "export/output_format.h"
#include "export/output_writer.h"
#include "export/peak_list_spool.h"

namespace lumbrook::exporting {

// Where the spectra came from, for the file's source file and data processing.
struct MsDataSource {
    std::string name;     // the database file's path, or the server's data source name
    bool isFile = false;  // a file, whose checksum the file then carries
    PeakFilter filter;    // the filter the export applied
};

class MsDataWriter final : public OutputWriter {
  public:
    // Opens the output for `path` (FileError when it cannot) and the temporary file its
    // spectra wait in. `format` is MzMl or MzXml.
    MsDataWriter(const std::string& path, OutputFormat format, MsDataSource source);
    ~MsDataWriter() override;

    void BlockHead(std::optional<double> precursorMass, std::string_view label,
                   std::string_view spotId, std::string_view peakListId,
                   std::int64_t jobRunId) override;
    // A peak without an m/z has no place in a spectrum and is left out; a missing area is
    // written as 0.
    void PeakLine(std::optional<double> centroid, std::optional<double> area) override;
    void BlockEnd() override;
    void MergedPeaksStart(std::int32_t jobRunItemId) override;
    void MergedPeaksEnd() override;
    void Finish() override;
    const WriterCounts& Counts() const override { return counts_; }
    void IndexBlocksInto(BlockIndex* index) override { index_ = index; }
    bool KeepsTargetUntilFinished() const override;

  private:
    class File;

    // Ends the spectrum under way: on into the file when it has a peak (true).
    bool EndSpectrum();

    std::string path_;  // for messages
    MsDataSource source_;
    std::unique_ptr<File> file_;
    SpooledSpectrum current_;
    bool inSpectrum_ = false;
    WriterCounts counts_;
    BlockIndex* index_ = nullptr;
};

}  // namespace lumbrook::exporting
