#include "browser/selection_handback.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "global/descriptor_list.h"
#include "platform/base/round_half_even.h"
#include "util/string_builder.h"

namespace lumbrook::browser {

std::int32_t ItemIdFromText(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    while (end != nullptr && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(value))
        return 0;
    const double rounded = platform::RoundHalfEven(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return 0;
    return static_cast<std::int32_t>(rounded);
}

void FillHandover(BrowserHandoverRecord& record, const std::string& descriptor,
                  std::int32_t jobRunId, bool allSpectra, const std::vector<SelectedRow>& rows) {
    record.Descriptor = descriptor;
    record.JobRunID = jobRunId;
    if (allSpectra) {
        record.AllSpectra = true;
        record.JobRunItemID = 0;
        record.MSType = "MS-MS";
        record.DescriptorList = EntryText({descriptor, jobRunId, 0, true, "MS-MS"});
        return;
    }
    record.AllSpectra = false;
    util::clsStringBuilder builder;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        record.JobRunItemID = ItemIdFromText(rows[i].jobRunItemId);
        record.MSType = rows[i].opmodeName.find("MS-MS") != std::string::npos ? "MS-MS" : "MS";
        builder.Add(EntryText({descriptor, jobRunId, record.JobRunItemID, false, record.MSType}));
        if (i + 1 < rows.size())
            builder.Add(std::string(1, '\0'));
    }
    record.DescriptorList = builder.GetContent();
}

}  // namespace lumbrook::browser
