// The index of a peak list file: a header line, then one tab-separated line for every block
// the file holds, in the file's order, so that a search result naming a spectrum by its number
// in the file can be traced back to its spot in the database. The peak list writer feeds it
// (PeakListWriter::IndexBlocksInto), so its lines are those of the blocks written.
//
// The file is written as the peak list is (see output_file.h): it replaces its target only at
// Commit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "export/output_file.h"

namespace lumbrook::exporting {

// The header line's column names, in their order.
inline constexpr std::string_view kBlockIndexHeader =
    "block\tpeak_list_id\tspot_id\tlabel\tjob_run\tjob_run_item\tprecursor_mass";

class BlockIndex {
  public:
    // Opens the output for `path`. FileError when it cannot.
    explicit BlockIndex(const std::string& path);

    // The job run item of the blocks that follow; 0 when they are a whole job run's.
    void SetJobRunItem(std::int32_t item) { item_ = item; }
    // A block's head: its texts as the title holds them, the precursor as PEPMASS writes it.
    void Head(std::string_view precursorText, std::string_view label, std::string_view spotId,
              std::string_view peakListId, std::int64_t jobRunId);
    // The block whose head came last is complete as block `number` (from 1) of the file.
    void End(long number);

    // Writes the rest and replaces the target. FileError when that fails.
    void Commit();

  private:
    // Appends a value that stays inside its column: tabs and line breaks become blanks.
    void AppendValue(std::string_view text);

    OutputFile file_;
    std::int32_t item_ = 0;
    std::string head_;  // the line of the block under way, after its number
    std::string buffer_;
};

}  // namespace lumbrook::exporting
