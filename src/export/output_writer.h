// What the export engine writes its spectra through: the blocks of MS/MS spectra it merged and
// filtered, in the order they are to appear, and the bare peaks of an item's merged MS export.
// The peak list file is one writer (peak_list_writer.h), the mass spectrometry data formats
// another (ms_data_writer.h); both are told exactly the same spectra and peaks.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lumbrook::exporting {

class BlockIndex;

// How much the writer has put out so far, for summaries and progress lines: the spectra
// (blocks) and peaks written, and the bytes of the file (for a writer that makes its file only
// at the end, the bytes are counted there).
struct WriterCounts {
    long blocks = 0;
    long peakLines = 0;
    std::uint64_t bytes = 0;
};

class OutputWriter {
  public:
    virtual ~OutputWriter() = default;

    // An MS/MS spectrum begins: its precursor mass and the texts of its title, as read from the
    // database. Its peaks follow, then BlockEnd. The engine calls it only for a spectrum that
    // has a peak to write.
    virtual void BlockHead(std::optional<double> precursorMass, std::string_view label,
                           std::string_view spotId, std::string_view peakListId,
                           std::int64_t jobRunId) = 0;
    // One peak: its centroid and area as read; a missing value is null.
    virtual void PeakLine(std::optional<double> centroid, std::optional<double> area) = 0;
    // The spectrum begun by the last BlockHead is complete.
    virtual void BlockEnd() = 0;
    // The peaks of job run item `jobRunItemId`, every peak list merged into one MS spectrum,
    // follow as PeakLines without a BlockHead; MergedPeaksEnd ends them.
    virtual void MergedPeaksStart(std::int32_t jobRunItemId) { static_cast<void>(jobRunItemId); }
    virtual void MergedPeaksEnd() {}

    // Writes what is left and commits the file. FileError when anything failed; the target is
    // then as it was. Nothing may be written afterwards.
    virtual void Finish() = 0;

    virtual const WriterCounts& Counts() const = 0;

    // Tells `index` (null: none) of every block from here on; it must outlive the writer's
    // blocks. The caller commits it.
    virtual void IndexBlocksInto(BlockIndex* index) = 0;

    // True when a writer that goes without Finish leaves the target as it was.
    virtual bool KeepsTargetUntilFinished() const = 0;
};

}  // namespace lumbrook::exporting
