#include "export/block_title.h"

#include "export/number_to_text.h"

namespace lumbrook::exporting {
namespace {

void AppendWithoutLineBreaks(std::string& out, std::string_view text) {
    for (const char c : text)
        out += (c == '\r' || c == '\n') ? ' ' : c;
}

}  // namespace

void AppendBlockTitle(std::string& out, std::string_view label, std::string_view spotId,
                      std::string_view peakListId, std::int64_t jobRunId) {
    out += "Label: ";
    AppendWithoutLineBreaks(out, label);
    out += " Spot_Id: ";
    AppendWithoutLineBreaks(out, spotId);
    out += ", Peak_List_Id: ";
    AppendWithoutLineBreaks(out, peakListId);
    out += ", MSMS Job_Run_Id: ";
    AppendInteger(out, jobRunId);
}

}  // namespace lumbrook::exporting
