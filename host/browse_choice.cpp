#include "browse_choice.h"

#include <unistd.h>  // access

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
    if (file == "-")
        return {};
    const auto refused = [&file](int error) {
        return "cannot write " + file + ": " + std::strerror(error);
    };
    std::error_code error;
    // A folder under that name can never become a peak list file.
    if (std::filesystem::is_directory(file, error))
        return refused(EISDIR);
    // Something there already is the export's to judge (it may be written in place); a new
    // file needs a folder where it can be created. Nothing is created here.
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return {};
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0)
        return refused(errno);
    return {};
}

std::string WhyNothingToExport(bool allSpectra, const std::vector<std::string>& entries) {
    return !allSpectra && entries.empty() ? "nothing selected to export" : std::string();
}

}  // namespace lumbrook::host
