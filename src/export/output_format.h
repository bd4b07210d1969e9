// The formats an export writes: the peak list file (the default), indexed mzML and indexed
// mzXML. One place for their names, their file name extensions and the choice by a file's
// name, which the library and its hosts share.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumbrook::exporting {

enum class OutputFormat { Qpk, MzMl, MzXml };

// "QPK", "mzML" or "mzXML".
std::string_view FormatName(OutputFormat format);

// The format whose name is `text`, without regard to the case of ASCII letters; nothing for
// any other text.
std::optional<OutputFormat> ParseFormat(std::string_view text);

// The format a file name asks for: mzML for a name ending in ".mzML", mzXML for ".mzXML" (the
// extension in any case), QPK for anything else.
OutputFormat FormatOfFileName(std::string_view name);

// The extension files of `format` are given by default: ".qpk", ".mzML" or ".mzXML".
std::string_view FileNameExtension(OutputFormat format);

// Whether `path` is a regular file that ends as a complete file of the format its name asks
// for: a peak list file on a complete block, as every export of a job run that ran to its end
// or was cancelled leaves it; an mzML or mzXML file on its closing element. False for anything
// else, a file that cannot be read included.
bool IsCompleteOutput(const std::string& path);

}  // namespace lumbrook::exporting
