#include "export/peak_list_writer.h"

#include <cassert>
#include <cerrno>
#include <ostream>

#include "export/block_index.h"
#include "export/block_title.h"
#include "export/file_error.h"
#include "export/number_to_text.h"
#include "export/output_file.h"

namespace lumbrook::exporting {
namespace {

// Text is handed to the sink in pieces of about this size: large enough that the system
// calls cost nothing next to the formatting, small enough to stay in the cache.
constexpr std::size_t kBufferSize = 64 * 1024;

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kCentroidDecimals = 6;
constexpr int kAreaDecimals = 3;

}  // namespace

// Where the text goes: Write may be called many times, Close once when the text is complete.
// Both raise FileError.
class PeakListWriter::Sink {
  public:
    virtual ~Sink() = default;
    virtual void Write(const char* data, std::size_t size) = 0;
    virtual void Close() = 0;
    virtual bool KeepsTargetUntilClosed() const { return false; }
};

// A caller's stream; a failed write or flush is an I/O error named after the stream.
class PeakListWriter::StreamSink final : public Sink {
  public:
    StreamSink(std::ostream& out, std::string name) : out_(out), name_(std::move(name)) {}
    void Write(const char* data, std::size_t size) override {
        out_.write(data, static_cast<std::streamsize>(size));
        Check();
    }
    void Close() override {
        out_.flush();
        Check();
    }

  private:
    void Check() {
        if (!out_)
            throw FileErrorFromErrno(EIO, name_);
    }
    std::ostream& out_;
    std::string name_;
};

// A file on disk, replaced as a whole when the export commits it (see output_file.h).
class PeakListWriter::FileSink final : public Sink {
  public:
    explicit FileSink(const std::string& path) : file_(path) {}
    void Write(const char* data, std::size_t size) override { file_.Write(data, size); }
    void Close() override { file_.Commit(); }
    bool KeepsTargetUntilClosed() const override { return !file_.TemporaryPath().empty(); }

  private:
    OutputFile file_;
};

PeakListWriter::PeakListWriter(std::ostream& out, std::string name)
    : sink_(std::make_unique<StreamSink>(out, std::move(name))) {
    buffer_.reserve(kBufferSize + 1024);
}

PeakListWriter::PeakListWriter(const std::string& path)
    : sink_(std::make_unique<FileSink>(path)), keepsTarget_(sink_->KeepsTargetUntilClosed()) {
    buffer_.reserve(kBufferSize + 1024);
}

PeakListWriter::~PeakListWriter() = default;

bool PeakListWriter::KeepsTargetUntilFinished() const {
    return keepsTarget_;
}

void PeakListWriter::Line(std::string_view text) {
    buffer_ += text;
    buffer_ += kLineEnd;
}

void PeakListWriter::FlushIfFull() {
    if (buffer_.size() < kBufferSize)
        return;
    sink_->Write(buffer_.data(), buffer_.size());
    counts_.bytes += buffer_.size();
    buffer_.clear();
}

void PeakListWriter::BlockHead(std::optional<double> precursorMass, std::string_view label,
                               std::string_view spotId, std::string_view peakListId,
                               std::int64_t jobRunId) {
    assert(sink_);
    Line("BEGIN IONS");
    buffer_ += "PEPMASS=";
    const std::size_t precursorAt = buffer_.size();
    if (precursorMass)
        AppendRoundedNumber(buffer_, *precursorMass, kPrecursorDecimals);
    if (index_ != nullptr) {
        index_->Head(std::string_view(buffer_).substr(precursorAt), label, spotId, peakListId,
                     jobRunId);
    }
    buffer_ += kLineEnd;
    Line("CHARGE=1+");
    buffer_ += "TITLE=";
    AppendBlockTitle(buffer_, label, spotId, peakListId, jobRunId);
    buffer_ += kLineEnd;
    FlushIfFull();
}

void PeakListWriter::PeakLine(std::optional<double> centroid, std::optional<double> area) {
    assert(sink_);
    if (centroid)
        AppendRoundedNumber(buffer_, *centroid, kCentroidDecimals);
    buffer_ += '\t';
    if (area)
        AppendRoundedNumber(buffer_, *area, kAreaDecimals);
    buffer_ += kLineEnd;
    ++counts_.peakLines;
    FlushIfFull();
}

void PeakListWriter::BlockEnd() {
    assert(sink_);
    Line("END IONS");
    buffer_ += kLineEnd;
    ++counts_.blocks;
    if (index_ != nullptr)
        index_->End(counts_.blocks);
    FlushIfFull();
}

void PeakListWriter::Finish() {
    assert(sink_);
    // Whatever happens, nothing more goes into this sink.
    const std::unique_ptr<Sink> sink = std::move(sink_);
    if (!buffer_.empty()) {
        sink->Write(buffer_.data(), buffer_.size());
        counts_.bytes += buffer_.size();
        buffer_.clear();
    }
    sink->Close();
}

}  // namespace lumbrook::exporting
