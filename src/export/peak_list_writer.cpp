#include "export/peak_list_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <ostream>

#include "export/file_error.h"
#include "export/number_to_text.h"
#include "platform/base/write_all.h"

namespace lumbrook::exporting {
namespace {

// Text is handed to the sink in pieces of about this size: large enough that the system
// calls cost nothing next to the formatting, small enough to stay in the cache.
constexpr std::size_t kBufferSize = 64 * 1024;

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kPrecursorDecimals = 4;
constexpr int kCentroidDecimals = 6;
constexpr int kAreaDecimals = 3;

}  // namespace

// Where the text goes.
class PeakListWriter::Sink {
  public:
    virtual ~Sink() = default;
    virtual void Write(const char* data, std::size_t size) = 0;
    virtual void Close() = 0;
};

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

// A file written with the system calls themselves, so that a failure's errno is the one of
// the call that failed.
class PeakListWriter::FileSink final : public Sink {
  public:
    explicit FileSink(const std::string& path) : path_(path) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw FileErrorFromErrno(errno, path_);
    }
    ~FileSink() override {
        if (fd_ >= 0)
            ::close(fd_);  // Close() reports; this is the way out after an error.
    }
    void Write(const char* data, std::size_t size) override {
        assert(fd_ >= 0);
        if (!platform::WriteAll(fd_, data, size))
            throw FileErrorFromErrno(errno, path_);
    }
    void Close() override {
        const int fd = fd_;
        fd_ = -1;
        // close() reports write errors the file system found late (NFS, quotas). On Linux
        // the descriptor is gone even when close fails, so it is not retried.
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
            throw FileErrorFromErrno(errno, path_);
    }

  private:
    std::string path_;
    int fd_ = -1;
};

PeakListWriter::PeakListWriter(std::ostream& out, std::string name)
    : sink_(std::make_unique<StreamSink>(out, std::move(name))) {
    buffer_.reserve(kBufferSize + 1024);
}

PeakListWriter::PeakListWriter(const std::string& path) : sink_(std::make_unique<FileSink>(path)) {
    buffer_.reserve(kBufferSize + 1024);
}

PeakListWriter::~PeakListWriter() = default;

void PeakListWriter::Line(std::string_view text) {
    buffer_ += text;
    buffer_ += kLineEnd;
}

void PeakListWriter::AppendSanitised(std::string_view text) {
    for (const char c : text)
        buffer_ += (c == '\r' || c == '\n') ? ' ' : c;
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
    if (precursorMass)
        AppendRoundedNumber(buffer_, *precursorMass, kPrecursorDecimals);
    buffer_ += kLineEnd;
    Line("CHARGE=1+");
    buffer_ += "TITLE=Label: ";
    AppendSanitised(label);
    buffer_ += " Spot_Id: ";
    AppendSanitised(spotId);
    buffer_ += ", Peak_List_Id: ";
    AppendSanitised(peakListId);
    buffer_ += ", MSMS Job_Run_Id: ";
    AppendInteger(buffer_, jobRunId);
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
