// The registry as a tree in memory: keys with their values and subkeys. Names keep the case
// they were created with and are looked up without regard to the case of ASCII letters, as
// the platform's registry does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrook::platform::registry {

// The platform's limits. They also bound what a hand-edited file can make the reader
// allocate, and how deep the tree (and so the recursion over it) can go.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;
inline constexpr std::size_t kMaxDepth = 512;

// Equality and ordering of names without regard to the case of ASCII letters.
bool NamesEqual(std::string_view a, std::string_view b);
struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

struct Value {
    std::string name;  // "" is the key's default value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

class Key {
  public:
    Key() = default;
    explicit Key(std::string name) : name_(std::move(name)) {}
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    Key(Key&&) = default;
    Key& operator=(Key&&) = default;

    const std::string& name() const { return name_; }

    // The subkey of that name, or nullptr.
    Key* Find(std::string_view child);
    const Key* Find(std::string_view child) const;
    // The subkey of that name, added with the given spelling when it is missing; `created`
    // tells which.
    Key& Ensure(std::string_view child, bool* created = nullptr);
    // Removes the subkey and everything below it; false when there is none.
    bool Remove(std::string_view child);
    // Subkeys in the order of their names.
    const std::map<std::string, std::unique_ptr<Key>, NameLess>& subkeys() const {
        return subkeys_;
    }

    const Value* FindValue(std::string_view name) const;
    // Adds the value, or replaces the type and data of the one of that name (whose spelling
    // stays as it was first created).
    void SetValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
    bool RemoveValue(std::string_view name);
    void ClearValues() { values_.clear(); }
    // Values in the order they were first set.
    const std::vector<Value>& values() const { return values_; }

    // The key at the end of `path` below this one, or nullptr.
    Key* FindPath(const std::vector<std::string>& path);
    const Key* FindPath(const std::vector<std::string>& path) const;

  private:
    std::string name_;
    std::vector<Value> values_;
    std::map<std::string, std::unique_ptr<Key>, NameLess> subkeys_;
};

// Splits a key path at its backslashes. An empty path is the key itself. Empty segments
// (a leading, trailing or doubled backslash), a segment longer than kMaxKeyNameLength, a
// line feed in a name (the hive file keeps one name on one line) and a path deeper than
// kMaxDepth give nullopt.
std::optional<std::vector<std::string>> SplitPath(std::string_view path);

}  // namespace lumbrook::platform::registry
