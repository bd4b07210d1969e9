#include "export/output_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "platform/base/ascii_case.h"

namespace lumbrook::exporting {
namespace {

struct FormatNames {
    OutputFormat format;
    std::string_view name;
    std::string_view extension;
    std::string_view completeEnding;  // how a complete file of the format ends
};

constexpr std::array<FormatNames, 3> kFormats{{
    {OutputFormat::Qpk, "QPK", ".qpk", "END IONS\r\n\r\n"},
    {OutputFormat::MzMl, "mzML", ".mzML", "</indexedmzML>\n"},
    {OutputFormat::MzXml, "mzXML", ".mzXML", "</mzXML>\n"},
}};

const FormatNames& NamesOf(OutputFormat format) {
    for (const FormatNames& names : kFormats) {
        if (names.format == format)
            return names;
    }
    return kFormats.front();
}

}  // namespace

std::string_view FormatName(OutputFormat format) {
    return NamesOf(format).name;
}

std::optional<OutputFormat> ParseFormat(std::string_view text) {
    for (const FormatNames& names : kFormats) {
        if (platform::EqualsIgnoringAsciiCase(text, names.name))
            return names.format;
    }
    return std::nullopt;
}

OutputFormat FormatOfFileName(std::string_view name) {
    for (const FormatNames& names : kFormats) {
        const std::string_view extension = names.extension;
        if (names.format != OutputFormat::Qpk && name.size() > extension.size() &&
            platform::EqualsIgnoringAsciiCase(name.substr(name.size() - extension.size()),
                                              extension))
            return names.format;
    }
    return OutputFormat::Qpk;
}

std::string_view FileNameExtension(OutputFormat format) {
    return NamesOf(format).extension;
}

bool IsCompleteOutput(const std::string& path) {
    const std::string_view ending = NamesOf(FormatOfFileName(path)).completeEnding;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    std::string tail(ending.size(), '\0');
    const bool complete =
        ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size >= static_cast<off_t>(ending.size()) &&
        ::pread(fd, tail.data(), tail.size(), info.st_size - static_cast<off_t>(ending.size())) ==
            static_cast<ssize_t>(tail.size()) &&
        tail == ending;
    ::close(fd);
    return complete;
}

}  // namespace lumbrook::exporting
