// clsStringBuilder: collects many short strings and joins them once, so a long text is not
// rebuilt by repeated concatenation. The select button of the browser uses it to assemble
// the descriptor list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumbrook::util {

class clsStringBuilder {
  public:
    // Stores szString in the next slot. Allocates lInitialCapacity slots on the first call and
    // grows by lGrowthRate slots, never by doubling, when every slot is full.
    void Add(const std::string& szString);

    // All slots joined in order with no separator; "" when nothing was added. The builder is
    // left unchanged.
    std::string GetContent() const;

    std::int32_t Count() const { return lCount; }
    std::int32_t Capacity() const { return lCapacity; }
    // Slots the array really holds in memory; equals Capacity().
    std::size_t AllocatedSlots() const { return aStrings.capacity(); }

  private:
    // Makes the first lInitialCapacity slots, on the first Add.
    void Allocate();
    // Adds lGrowthRate slots, keeping the strings added.
    void Grow();

    std::vector<std::string> aStrings;   // the slots; slots from lCount on hold ""
    std::int32_t lCount = 0;             // strings added
    std::int32_t lCapacity = 0;          // slots allocated
    std::int32_t lGrowthRate = 50;       // slots added by each growth step
    std::int32_t lInitialCapacity = 50;  // slots allocated by the first Add
    bool bAllocated = false;             // true once aStrings exists
};

}  // namespace lumbrook::util
