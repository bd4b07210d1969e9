#include "platform/registry/hive.h"

#include <algorithm>

#include "platform/base/ascii_case.h"

namespace lumbrook::platform::registry {

bool NamesEqual(std::string_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase(a, b);
}

bool NameLess::operator()(std::string_view a, std::string_view b) const {
    return LessIgnoringAsciiCase(a, b);
}

Key* Key::Find(std::string_view child) {
    const auto it = subkeys_.find(child);
    return it == subkeys_.end() ? nullptr : it->second.get();
}

const Key* Key::Find(std::string_view child) const {
    const auto it = subkeys_.find(child);
    return it == subkeys_.end() ? nullptr : it->second.get();
}

Key& Key::Ensure(std::string_view child, bool* created) {
    auto it = subkeys_.find(child);
    const bool isNew = it == subkeys_.end();
    if (isNew)
        it = subkeys_.emplace(std::string(child), std::make_unique<Key>(std::string(child))).first;
    if (created != nullptr)
        *created = isNew;
    return *it->second;
}

bool Key::Remove(std::string_view child) {
    const auto it = subkeys_.find(child);
    if (it == subkeys_.end())
        return false;
    subkeys_.erase(it);
    return true;
}

const Value* Key::FindValue(std::string_view name) const {
    for (const Value& value : values_) {
        if (NamesEqual(value.name, name))
            return &value;
    }
    return nullptr;
}

void Key::SetValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data) {
    for (Value& value : values_) {
        if (NamesEqual(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    values_.push_back(Value{std::string(name), type, std::move(data)});
}

bool Key::RemoveValue(std::string_view name) {
    const auto it = std::find_if(values_.begin(), values_.end(),
                                 [&](const Value& value) { return NamesEqual(value.name, name); });
    if (it == values_.end())
        return false;
    values_.erase(it);
    return true;
}

Key* Key::FindPath(const std::vector<std::string>& path) {
    Key* key = this;
    for (const std::string& segment : path) {
        key = key->Find(segment);
        if (key == nullptr)
            return nullptr;
    }
    return key;
}

const Key* Key::FindPath(const std::vector<std::string>& path) const {
    return const_cast<Key*>(this)->FindPath(path);
}

std::optional<std::vector<std::string>> SplitPath(std::string_view path) {
    std::vector<std::string> segments;
    if (path.empty())
        return segments;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view segment = path.substr(start, end - start);
        if (segment.empty() || segment.size() > kMaxKeyNameLength ||
            segment.find('\n') != std::string_view::npos || segments.size() == kMaxDepth) {
            return std::nullopt;
        }
        segments.emplace_back(segment);
        if (end == path.size())
            return segments;
        start = end + 1;
    }
}

}  // namespace lumbrook::platform::registry
