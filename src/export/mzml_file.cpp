#include "export/mzml_file.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <sstream>
#include <string_view>

#include <pwiz/data/msdata/IO.hpp>
#include <pwiz/data/msdata/Serializer_mzML.hpp>
#include <pwiz/utility/minimxml/XMLWriter.hpp>

#include "export/file_error.h"
#include "export/ms_data_model.h"
#include "export/number_to_text.h"
#include "export/sha1.h"
#include "export/write_buffer.h"
#include "platform/base/write_all.h"

namespace lumbrook::exporting {
namespace {

namespace msdata = pwiz::msdata;

// Spectra handed over and not yet written; the pass waits beyond this many.
constexpr std::size_t kQueueLimit = 256;

// The elements the spectra sit in, so that the library indents them as in a whole file.
constexpr int kSpectrumDepth = 4;  // indexedmzML, mzML, run, spectrumList

// The binary arrays: 64-bit floats, as read, without compression.
msdata::BinaryDataEncoder::Config ArrayEncoding() {
    msdata::BinaryDataEncoder::Config config;
    config.precision = msdata::BinaryDataEncoder::Precision_64;
    return config;
}

FileError MalformedHead(const std::string& target) {
    return FileError(kPathFileAccessErrorCode,
                     "Path/File access error: " + target +
                         ": the mzML writer's head is not of the expected form");
}

}  // namespace

MzMlFile::MzMlFile(const msdata::MSData& description, const std::string& folder,
                   const std::string& target)
    : description_(description), target_(target), fd_(OpenSpoolFile(folder, target)) {
    // The thread takes no signals: a stop signal's handler runs on one of the program's own
    // threads, where it stops the export.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    try {
        thread_ = std::thread([this] { Work(); });
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        ::close(fd_);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

MzMlFile::~MzMlFile() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    ::close(fd_);
}

void MzMlFile::Add(SpooledSpectrum spectrum, std::string id) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kQueueLimit || error_; });
    if (error_)
        std::rethrow_exception(error_);
    queue_.push_back(Item{std::move(spectrum), ids_.size(), id});
    ids_.push_back(std::move(id));
    lock.unlock();
    changed_.notify_all();
}

void MzMlFile::Work() {
    try {
        std::uint64_t written = 0;
        WriteBuffer buffer([this, &written](std::string_view piece) {
            if (!platform::WriteAll(fd_, piece.data(), piece.size()))
                throw FileErrorFromErrno(errno, target_);
            written += piece.size();
        });
        std::ostream out(&buffer);
        // The enclosing start tags only set the writer's depth; what they wrote is cut off.
        pwiz::minimxml::XMLWriter writer(out);
        for (int depth = 0; depth < kSpectrumDepth; ++depth)
            writer.startElement("x");
        const auto skipped = static_cast<std::uint64_t>(writer.position());
        const msdata::BinaryDataEncoder::Config encoding = ArrayEncoding();
        for (;;) {
            Item item;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
                if (queue_.empty())
                    break;
                item = std::move(queue_.front());
                queue_.pop_front();
            }
            changed_.notify_all();
            offsets_.push_back(static_cast<std::uint64_t>(writer.positionNext()) - skipped);
            const msdata::SpectrumPtr spectrum =
                MakeSpectrum(item.spectrum, item.index, item.id, true);
            msdata::IO::write(writer, *spectrum, description_, encoding);
        }
        out.flush();
        buffer.Close();
        // The start tags' text is the file's first bytes: WriteInto starts after them.
        first_ = skipped;
        size_ = written - skipped;
    } catch (...) {
        const std::lock_guard lock(mutex_);
        error_ = std::current_exception();
        queue_.clear();
        changed_.notify_all();
    }
}

void MzMlFile::Close() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (error_)
        std::rethrow_exception(error_);
}

std::uint64_t MzMlFile::WriteInto(OutputFile& output) {
    const bool indexed = !ids_.empty();
    // The library's file without spectra gives the head and the end: everything but the
    // spectrum list, which goes in front of the run's end tag, and the index (an index
    // without offsets is not valid, so a file without spectra is written without one).
    std::ostringstream frameText;
    msdata::Serializer_mzML::Config frameConfig;
    frameConfig.indexed = indexed;
    frameConfig.binaryDataEncoderConfig = ArrayEncoding();
    msdata::Serializer_mzML(frameConfig).write(frameText, description_);
    const std::string frame = frameText.str();

    Sha1 sha1;
    std::uint64_t bytes = 0;
    const auto put = [&](std::string_view text) {
        output.Write(text.data(), text.size());
        sha1.Update(text.data(), text.size());
        bytes += text.size();
    };
    if (!indexed) {
        put(frame);
        return bytes;
    }

    const std::size_t runEnd = frame.find("</run>");
    const std::size_t mzMlEnd = frame.find("</mzML>\n");
    const std::size_t runEndLine = frame.rfind('\n', runEnd);
    if (runEnd == std::string::npos || mzMlEnd == std::string::npos ||
        runEndLine == std::string::npos)
        throw MalformedHead(target_);
    put(std::string_view(frame).substr(0, runEndLine + 1));
    put("      <spectrumList count=\"" + std::to_string(ids_.size()) +
        "\" defaultDataProcessingRef=\"" + description_.dataProcessingPtrs.front()->id + "\">\n");
    const std::uint64_t spectraAt = bytes;

    // The spectra, as the thread wrote them.
    std::vector<char> piece(1024 * 1024);
    for (std::uint64_t at = first_, end = first_ + size_; at < end;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), end - at));
        const ssize_t n = ::pread(fd_, piece.data(), want, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileErrorFromErrno(n < 0 ? errno : EIO, target_);
        put(std::string_view(piece.data(), static_cast<std::size_t>(n)));
        at += static_cast<std::uint64_t>(n);
    }
    put("      </spectrumList>\n");
    put(std::string_view(frame).substr(runEndLine + 1, mzMlEnd + 8 - (runEndLine + 1)));

    const std::uint64_t indexAt = bytes;
    std::string index = "  <indexList count=\"1\">\n    <index name=\"spectrum\">\n";
    for (std::size_t i = 0; i < ids_.size(); ++i) {
        index += "      <offset idRef=\"";
        index += ids_[i];
        index += "\">";
        AppendInteger(index, static_cast<std::int64_t>(spectraAt + offsets_[i]));
        index += "</offset>\n";
        if (index.size() >= piece.size()) {
            put(index);
            index.clear();
        }
    }
    index += "    </index>\n  </indexList>\n  <indexListOffset>";
    AppendInteger(index, static_cast<std::int64_t>(indexAt));
    index += "</indexListOffset>\n  <fileChecksum>";
    put(index);
    // The checksum covers the file up to and including the checksum's start tag.
    const std::string checksum = sha1.HexDigest();
    const std::string end = checksum + "</fileChecksum>\n</indexedmzML>\n";
    output.Write(end.data(), end.size());
    return bytes + end.size();
}

}  // namespace lumbrook::exporting
