#include "export/block_index.h"

#include "export/number_to_text.h"

namespace lumbrook::exporting {
namespace {

// Lines are handed to the file in pieces of about this size.
constexpr std::size_t kFlushSize = 64 * 1024;

}  // namespace

BlockIndex::BlockIndex(const std::string& path) : file_(path) {
    buffer_ += kBlockIndexHeader;
    buffer_ += '\n';
}

void BlockIndex::AppendValue(std::string_view text) {
    for (const char c : text)
        head_ += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}

void BlockIndex::Head(std::string_view precursorText, std::string_view label,
                      std::string_view spotId, std::string_view peakListId, std::int64_t jobRunId) {
    head_.clear();
    AppendValue(peakListId);
    head_ += '\t';
    AppendValue(spotId);
    head_ += '\t';
    AppendValue(label);
    head_ += '\t';
    AppendInteger(head_, jobRunId);
    head_ += '\t';
    if (item_ != 0)
        AppendInteger(head_, item_);
    head_ += '\t';
    head_ += precursorText;
}

void BlockIndex::End(long number) {
    AppendInteger(buffer_, number);
    buffer_ += '\t';
    buffer_ += head_;
    buffer_ += '\n';
    if (buffer_.size() >= kFlushSize) {
        file_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
}

void BlockIndex::Commit() {
    file_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
    file_.Commit();
}

}  // namespace lumbrook::exporting
