#include "browse_choice.h"

#include <fcntl.h>   // open
#include <unistd.h>  // close, unlink

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace lumbrook::host {

std::vector<std::string> SplitEntries(const std::string& list) {
    std::vector<std::string> entries;
    if (list.empty())
        return entries;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = list.find('\0', start);
        entries.push_back(list.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return entries;
}

std::string EntryCountLine(std::size_t count) {
    return "DescriptorList=" + std::to_string(count) + (count == 1 ? " entry" : " entries");
}

std::string WhyNotWritable(const std::string& file) {
    std::error_code error;
    // A folder under that name would make the final rename fail after the whole export.
    if (std::filesystem::is_directory(file, error))
        return "cannot write " + file + ": " + std::strerror(EISDIR);
    // The export's own first step: creating the file it writes aside. A file of that name
    // left by an earlier run is opened, not truncated, and kept.
    const std::string partial = file + ".part";
    int descriptor = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool created = descriptor >= 0;
    if (!created && errno == EEXIST)
        descriptor = ::open(partial.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0)
        return "cannot write " + file + ": " + std::strerror(errno);
    ::close(descriptor);
    if (created)
        ::unlink(partial.c_str());
    return {};
}

std::string WhyNothingToExport(bool allSpectra, const std::vector<std::string>& entries) {
    return !allSpectra && entries.empty() ? "nothing selected to export" : std::string();
}

}  // namespace lumbrook::host
