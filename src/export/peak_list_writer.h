// The peak list file: spectrum blocks from "BEGIN IONS" to "END IONS" and bare peak lines,
// every line ending in CR LF. The writer knows the lines and nothing of the database.
//
// Two ways in: the file overload writes a file through OutputFile, which replaces the target
// as a whole when Finish() commits it; the stream overload writes into any std::ostream and is
// what the tests use. Text is buffered and handed on in large pieces; Finish() hands on the
// rest and reports a failed write.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "export/output_writer.h"

namespace lumbrook::exporting {

class PeakListWriter final : public OutputWriter {
  public:
    // Writes into `out`, which must outlive the writer. A failed stream is a FileError
    // ("Device I/O error") naming `name`.
    explicit PeakListWriter(std::ostream& out, std::string name = "(stream)");
    // Opens the output for `path` (see output_file.h). FileError when it cannot.
    explicit PeakListWriter(const std::string& path);
    // Without Finish(), the file's target stays as it was and nothing is reported.
    ~PeakListWriter() override;
    PeakListWriter(const PeakListWriter&) = delete;
    PeakListWriter& operator=(const PeakListWriter&) = delete;

    // The block head: BEGIN IONS, PEPMASS (4 decimal places), CHARGE=1+ and the TITLE line.
    // The title is AppendBlockTitle's (block_title.h).
    void BlockHead(std::optional<double> precursorMass, std::string_view label,
                   std::string_view spotId, std::string_view peakListId,
                   std::int64_t jobRunId) override;
    // One peak: the centroid to 6 decimal places, a tab, the area to 3. A missing value is
    // written as empty text.
    void PeakLine(std::optional<double> centroid, std::optional<double> area) override;
    // END IONS and the empty line that ends every block.
    void BlockEnd() override;

    // Hands on everything buffered and commits the file (a stream is flushed). FileError
    // when a write, the flush or the rename failed; the target is then as it was. Nothing
    // may be written afterwards.
    void Finish() override;

    const WriterCounts& Counts() const override { return counts_; }

    // Tells `index` (null: none) of every block from here on; it must outlive the writer's
    // blocks. The caller commits it.
    void IndexBlocksInto(BlockIndex* index) override { index_ = index; }

    // True when the output is a temporary file that replaces the target only at Finish: a
    // writer that goes without it leaves the target as it was. False for a stream and for a
    // file written directly (a FIFO, a device, a file that had to be written in place).
    bool KeepsTargetUntilFinished() const override;

  private:
    class Sink;
    class StreamSink;
    class FileSink;

    // Appends `text` and the line end to the buffer.
    void Line(std::string_view text);
    // Hands the buffer to the sink once it holds kBufferSize bytes or more.
    void FlushIfFull();

    std::unique_ptr<Sink> sink_;
    // Whether sink_ keeps the target as it was until it is closed (KeepsTargetUntilFinished).
    bool keepsTarget_ = false;
    std::string buffer_;
    WriterCounts counts_;
    BlockIndex* index_ = nullptr;
};

}  // namespace lumbrook::exporting
