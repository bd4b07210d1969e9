#include "export/peak_list_spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "export/file_error.h"
#include "platform/base/write_all.h"

namespace lumbrook::exporting {
namespace {

// Appends to the file in pieces of about this size.
constexpr std::size_t kFlushSize = 1024 * 1024;

// A record: this head, the title, the spot id, then the m/z values and the intensities as
// doubles in the machine's own byte order (the spool is read back by the process that wrote it).
struct RecordHead {
    std::int32_t msLevel;
    std::int32_t hasPrecursor;
    double precursorMass;
    std::int64_t key;
    std::uint32_t titleSize;
    std::uint32_t spotIdSize;
    std::uint64_t peakCount;
};

// An unnamed temporary file in `folder`; -1 when the system cannot make one there.
int OpenUnnamedIn(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    // A file system without unnamed files: a named one, removed at once.
    std::string name = (folder / ".lumbrook-spool-XXXXXX").string();
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(name.c_str());
    return fd;
}

template <typename T>
void AppendBytes(std::string& out, const T* data, std::size_t count) {
    out.append(reinterpret_cast<const char*>(data), count * sizeof(T));
}

}  // namespace

int OpenSpoolFile(const std::string& folder, const std::string& target) {
    int fd = -1;
    if (!folder.empty())
        fd = OpenUnnamedIn(folder);
    if (fd < 0)
        fd = OpenUnnamedIn(std::filesystem::temp_directory_path());
    if (fd < 0)
        throw FileErrorFromErrno(errno, target);
    return fd;
}

PeakListSpool::PeakListSpool(const std::string& folder, const std::string& target)
    : fd_(OpenSpoolFile(folder, target)), target_(target) {
    buffer_.reserve(kFlushSize + 64 * 1024);
}

PeakListSpool::~PeakListSpool() {
    ::close(fd_);
}

void PeakListSpool::Append(const SpooledSpectrum& spectrum) {
    const RecordHead head{.msLevel = spectrum.msLevel,
                          .hasPrecursor = spectrum.precursorMass ? 1 : 0,
                          .precursorMass = spectrum.precursorMass.value_or(0),
                          .key = spectrum.key,
                          .titleSize = static_cast<std::uint32_t>(spectrum.title.size()),
                          .spotIdSize = static_cast<std::uint32_t>(spectrum.spotId.size()),
                          .peakCount = spectrum.mz.size()};
    offsets_.push_back(end_);
    const std::size_t before = buffer_.size();
    AppendBytes(buffer_, &head, 1);
    buffer_ += spectrum.title;
    buffer_ += spectrum.spotId;
    AppendBytes(buffer_, spectrum.mz.data(), spectrum.mz.size());
    AppendBytes(buffer_, spectrum.intensity.data(), spectrum.intensity.size());
    end_ += buffer_.size() - before;
    if (buffer_.size() >= kFlushSize)
        Flush();
}

void PeakListSpool::Flush() {
    if (buffer_.empty())
        return;
    if (!platform::WriteAll(fd_, buffer_.data(), buffer_.size()))
        throw FileErrorFromErrno(errno, target_);
    buffer_.clear();
}

void PeakListSpool::Read(std::size_t index, SpooledSpectrum& out) const {
    const auto readAt = [this](void* data, std::size_t size, std::uint64_t offset) {
        auto* p = static_cast<char*>(data);
        while (size > 0) {
            const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw FileErrorFromErrno(n < 0 ? errno : EIO, target_);
            p += n;
            size -= static_cast<std::size_t>(n);
            offset += static_cast<std::uint64_t>(n);
        }
    };
    std::uint64_t offset = offsets_.at(index);
    RecordHead head{};
    readAt(&head, sizeof head, offset);
    offset += sizeof head;
    out.msLevel = head.msLevel;
    out.precursorMass =
        head.hasPrecursor != 0 ? std::optional<double>(head.precursorMass) : std::nullopt;
    out.key = head.key;
    out.title.resize(head.titleSize);
    out.spotId.resize(head.spotIdSize);
    out.mz.resize(head.peakCount);
    out.intensity.resize(head.peakCount);
    readAt(out.title.data(), out.title.size(), offset);
    offset += out.title.size();
    readAt(out.spotId.data(), out.spotId.size(), offset);
    offset += out.spotId.size();
    readAt(out.mz.data(), out.mz.size() * sizeof(double), offset);
    offset += out.mz.size() * sizeof(double);
    readAt(out.intensity.data(), out.intensity.size() * sizeof(double), offset);
}

}  // namespace lumbrook::exporting
