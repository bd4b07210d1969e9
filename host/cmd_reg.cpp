// lumbrook reg: the platform's `reg` command for this user's hive. Verbs and switches as the
// platform's command takes them (switches with "/" or "-", in any case), output in the same
// shape. Everything goes through the platform's registry calls: the deletion of a whole key
// and an import are each one change of the hive.
#include <unistd.h>  // access

#include <algorithm>
#include <charconv>  // from_chars: digits only, whatever the locale
#include <cstdint>
#include <cstdio>
#include <exception>
#include <iostream>
#include <iterator>
#include <new>  // bad_alloc
#include <optional>
#include <sstream>
#include <utility>

#include "command.h"
#include "lumbrook/registry.h"

namespace lumbrook::host {
namespace {

constexpr const char* kRootName = "HKEY_CURRENT_USER";

constexpr const char* kHelp =
    "Usage: lumbrook reg query KEY [/v NAME | /ve] [/s]\n"
    "       lumbrook reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       lumbrook reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       lumbrook reg export KEY FILE [/y]\n"
    "       lumbrook reg import FILE\n"
    "\n"
    "Queries and changes this user's registry hive, HKEY_CURRENT_USER, as the platform's reg\n"
    "command does. KEY starts with HKCU or HKEY_CURRENT_USER.\n"
    "\n"
    "  /v NAME  the value of that name          /ve  the key's default value\n"
    "  /va      every value of the key          /s   query the key and all its subkeys\n"
    "  /t TYPE  REG_SZ (default), REG_EXPAND_SZ, REG_DWORD, REG_MULTI_SZ or REG_BINARY\n"
    "  /d DATA  the data; REG_DWORD in decimal or 0x hex, REG_MULTI_SZ parts separated by\n"
    "           \\0, REG_BINARY as hex digits\n"
    "  /f       change without asking           /y   overwrite FILE without asking\n"
    "\n"
    "Example: lumbrook reg add HKCU\\Software\\Velmora\\Lumbrook\\Preferences /v Filter "
    "/d 100,15,3,0 /f\n";

constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
constexpr const char* kCompleted = "The operation completed successfully.";
constexpr const char* kCanceled = "The operation was canceled by the user.";

// The switches of one invocation: the verb's positional arguments and the switches seen.
struct RegArguments {
    std::vector<std::string> positional;
    std::optional<std::string> valueName;  // /v
    bool defaultValue = false;             // /ve
    bool allValues = false;                // /va
    bool recursive = false;                // /s
    bool force = false;                    // /f
    bool overwriteFile = false;            // /y
    std::optional<std::string> type;       // /t
    std::optional<std::string> data;       // /d
};

bool EqualsNoCase(const std::string& a, const char* b) {
    return lstrcmpiA(a.c_str(), b) == 0;
}

// An open key, closed at the end of its scope.
class KeyHandle {
  public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    HKEY get() const { return key_; }
    PHKEY out() { return &key_; }

  private:
    HKEY key_ = nullptr;
};

struct RegValue {
    std::string name;  // "" is the key's default value
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

// What one key holds: its values in the order they were set, its subkeys' names (as the
// hive spells them) in the order of their names.
struct KeyContents {
    std::vector<RegValue> values;
    std::vector<std::string> subkeys;
};

// Reads the values and subkey names of an open key. Another process may change the key
// between the calls; a name or value that outgrew the lengths asked for starts the reading
// over.
LONG ReadKey(HKEY key, KeyContents& contents) {
    while (true) {
        DWORD subkeyCount = 0;
        DWORD longestSubkey = 0;
        DWORD valueCount = 0;
        DWORD longestName = 0;
        DWORD largestData = 0;
        LONG result =
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeyCount, &longestSubkey, nullptr,
                             &valueCount, &longestName, &largestData, nullptr, nullptr);
        if (result != ERROR_SUCCESS)
            return result;
        contents = KeyContents();
        // One more than the longest, so that a longer name or value set meanwhile answers
        // ERROR_MORE_DATA instead of fitting unseen.
        std::vector<char> name(std::max(longestSubkey, longestName) + 2);
        std::vector<std::uint8_t> data(largestData + 1);
        for (DWORD i = 0; result == ERROR_SUCCESS; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD type = REG_NONE;
            result = RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, data.data(),
                                   &dataSize);
            if (result == ERROR_SUCCESS) {
                contents.values.push_back(
                    {std::string(name.data(), nameLength), type,
                     std::vector<std::uint8_t>(data.begin(), data.begin() + dataSize)});
            }
        }
        if (result == ERROR_NO_MORE_ITEMS)
            result = ERROR_SUCCESS;
        for (DWORD i = 0; result == ERROR_SUCCESS; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            result =
                RegEnumKeyExA(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_SUCCESS)
                contents.subkeys.emplace_back(name.data(), nameLength);
        }
        if (result == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (result != ERROR_MORE_DATA)
            return result;
    }
}

// The hive file's path and, when it cannot be read, why.
struct HiveState {
    LONG result = ERROR_SUCCESS;
    std::string path;
    std::string reason;
};

HiveState QueryHive() {
    std::vector<char> path(256);
    std::vector<char> reason(256);
    while (true) {
        DWORD pathLength = static_cast<DWORD>(path.size());
        DWORD reasonLength = static_cast<DWORD>(reason.size());
        const LONG result = RegQueryHiveA(path.data(), &pathLength, reason.data(), &reasonLength);
        if (result != ERROR_MORE_DATA)
            return {result, std::string(path.data(), pathLength),
                    std::string(reason.data(), reasonLength)};
        path.resize(pathLength);
        reason.resize(reasonLength);
    }
}

// Reads the switches that `allowed` lists ("v", "ve", ...); anything else is a usage error.
RegArguments ParseRegArguments(const std::vector<std::string>& args, std::size_t first,
                               const std::vector<std::string>& allowed) {
    RegArguments result;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // A switch is "/" or "-" and one or two letters; anything longer, such as a file
        // path, is an argument.
        const bool isSwitch =
            arg.size() >= 2 && arg.size() <= 3 && (arg[0] == '/' || arg[0] == '-') &&
            std::all_of(arg.begin() + 1, arg.end(),
                        [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
        if (!isSwitch) {
            result.positional.push_back(arg);
            continue;
        }
        const std::string name = arg.substr(1);
        bool known = false;
        for (const std::string& option : allowed)
            known = known || EqualsNoCase(name, option.c_str());
        if (!known)
            throw UsageError("invalid switch " + arg);
        auto takeValue = [&]() -> std::string {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        auto once = [&](bool seen) {
            if (seen)
                throw UsageError(arg + " given twice");
        };
        if (EqualsNoCase(name, "v")) {
            once(result.valueName.has_value());
            result.valueName = takeValue();
        } else if (EqualsNoCase(name, "ve")) {
            once(result.defaultValue);
            result.defaultValue = true;
        } else if (EqualsNoCase(name, "va")) {
            once(result.allValues);
            result.allValues = true;
        } else if (EqualsNoCase(name, "s")) {
            once(result.recursive);
            result.recursive = true;
        } else if (EqualsNoCase(name, "f")) {
            once(result.force);
            result.force = true;
        } else if (EqualsNoCase(name, "y")) {
            once(result.overwriteFile);
            result.overwriteFile = true;
        } else if (EqualsNoCase(name, "t")) {
            once(result.type.has_value());
            result.type = takeValue();
        } else if (EqualsNoCase(name, "d")) {
            once(result.data.has_value());
            result.data = takeValue();
        }
    }
    const int valueSwitches =
        (result.valueName ? 1 : 0) + (result.defaultValue ? 1 : 0) + (result.allValues ? 1 : 0);
    if (valueSwitches > 1)
        throw UsageError("/v, /ve and /va exclude one another");
    return result;
}

// The path below HKEY_CURRENT_USER of a key argument ("HKCU\Software\..."), or a usage error.
std::vector<std::string> ParseKey(const std::string& text) {
    const std::size_t slash = text.find('\\');
    const std::string root = text.substr(0, slash);
    if (!EqualsNoCase(root, "HKCU") && !EqualsNoCase(root, "HKEY_CURRENT_USER"))
        throw UsageError("invalid key name " + text + ": only HKCU (HKEY_CURRENT_USER) is kept");
    std::string rest = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    // A trailing backslash is accepted, as the platform's command accepts it.
    if (!rest.empty() && rest.back() == '\\')
        rest.pop_back();
    std::vector<std::string> path;
    std::size_t start = 0;
    while (!rest.empty() && start <= rest.size()) {
        const std::size_t end = std::min(rest.find('\\', start), rest.size());
        path.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    // Segments the registry would refuse (empty, too long, a line feed) are found when the
    // key is opened; here only the shape is read.
    if (std::any_of(path.begin(), path.end(), [](const std::string& s) { return s.empty(); }))
        throw UsageError("invalid key name " + text);
    return path;
}

std::string JoinPath(const std::vector<std::string>& path) {
    std::string text;
    for (const std::string& segment : path)
        text += (text.empty() ? "" : "\\") + segment;
    return text;
}

// The key's full name with the spelling stored in the hive (as given, for a segment that
// another process has just deleted).
std::string DisplayName(const std::vector<std::string>& path) {
    std::string name(kRootName);
    std::vector<std::string> parent;
    for (const std::string& segment : path) {
        KeyHandle key;
        KeyContents contents;
        std::string stored = segment;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, JoinPath(parent).c_str(), 0, KEY_READ, key.out()) ==
                ERROR_SUCCESS &&
            ReadKey(key.get(), contents) == ERROR_SUCCESS) {
            for (const std::string& child : contents.subkeys) {
                if (EqualsNoCase(child, segment.c_str()))
                    stored = child;
            }
        }
        name += "\\" + stored;
        parent.push_back(segment);
    }
    return name;
}

// A registry result as the platform's command words it; a hive that cannot be parsed says
// where.
std::string ErrorText(LONG code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_KEY_DELETED:
            return kNotFound;
        case ERROR_ACCESS_DENIED:
            return "ERROR: Access is denied.";
        case ERROR_NOT_ENOUGH_QUOTA:
            return "ERROR: The change would make " + QueryHive().path +
                   " larger than 64 MiB, the most a registry file may hold; nothing was changed.";
        case ERROR_BADDB: {
            const HiveState hive = QueryHive();
            return "ERROR: The registry cannot be changed: " +
                   (hive.result == ERROR_SUCCESS ? hive.path + " cannot be written" : hive.reason);
        }
        default:
            return "ERROR: Registry error " + std::to_string(code) + ".";
    }
}

int Failed(const std::string& message) {
    std::cerr << message << "\n";
    return kExitFailed;
}

// Asks on the terminal; anything but yes (or the end of input) is no.
bool Confirm(const std::string& question) {
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return EqualsNoCase(answer, "y") || EqualsNoCase(answer, "yes");
}

// Opens the key that the KEY argument `keyText` names. A name the registry refuses is a usage
// error; a hive that cannot be read is reported before a key that is not there. kExitOk when
// the key is open, otherwise the exit status, with the message printed.
int OpenKey(const std::string& keyText, const std::vector<std::string>& path, REGSAM access,
            KeyHandle& key) {
    const LONG result =
        RegOpenKeyExA(HKEY_CURRENT_USER, JoinPath(path).c_str(), 0, access, key.out());
    if (result == ERROR_BAD_PATHNAME)
        throw UsageError("invalid key name " + keyText);
    const HiveState hive = QueryHive();
    if (hive.result != ERROR_SUCCESS)
        return Failed("ERROR: " + hive.reason);
    return result == ERROR_SUCCESS ? kExitOk : Failed(ErrorText(result));
}

std::string TypeName(std::uint32_t type) {
    static const char* const kNames[] = {"REG_NONE",
                                         "REG_SZ",
                                         "REG_EXPAND_SZ",
                                         "REG_BINARY",
                                         "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN",
                                         "REG_LINK",
                                         "REG_MULTI_SZ",
                                         "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR",
                                         "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    if (type < std::size(kNames))
        return kNames[type];
    char text[24];
    std::snprintf(text, sizeof text, "REG_0x%X", type);
    return text;
}

std::string DataText(const RegValue& value) {
    const std::string raw(value.data.begin(), value.data.end());
    switch (value.type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            return raw.substr(0, raw.find('\0'));
        case REG_MULTI_SZ: {
            std::string text;
            std::size_t start = 0;
            while (start < raw.size() && raw[start] != '\0') {
                const std::size_t end = std::min(raw.find('\0', start), raw.size());
                text += (start == 0 ? "" : "\\0") + raw.substr(start, end - start);
                start = end + 1;
            }
            return text;
        }
        case REG_DWORD:
        case REG_QWORD:
            if (value.data.size() == (value.type == REG_DWORD ? 4u : 8u)) {
                unsigned long long number = 0;
                for (std::size_t i = value.data.size(); i-- > 0;)
                    number = number << 8 | value.data[i];
                char text[24];
                std::snprintf(text, sizeof text, "0x%llx", number);
                return text;
            }
            break;
        default:
            break;
    }
    std::string hex;
    for (std::uint8_t byte : value.data) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
    }
    return hex;
}

std::string ValueLine(const RegValue& value) {
    return "    " + (value.name.empty() ? std::string("(Default)") : value.name) + "    " +
           TypeName(value.type) + "    " + DataText(value);
}

// --- query ------------------------------------------------------------------------------

// Prints the key's values that the switches ask for; returns how many were printed.
int PrintValues(const KeyContents& key, const RegArguments& options, std::ostringstream& out) {
    int printed = 0;
    for (const RegValue& value : key.values) {
        const bool wanted = options.valueName ? EqualsNoCase(value.name, options.valueName->c_str())
                                              : !options.defaultValue || value.name.empty();
        if (wanted) {
            out << ValueLine(value) << "\n";
            ++printed;
        }
    }
    return printed;
}

// Prints the key `name` and every key below it; a subkey deleted meanwhile by another
// process is left out.
LONG QueryTree(HKEY key, const std::string& name, const RegArguments& options,
               std::ostringstream& out, int& matches) {
    KeyContents contents;
    LONG result = ReadKey(key, contents);
    if (result != ERROR_SUCCESS)
        return result;
    const bool filtered = options.valueName || options.defaultValue;
    std::ostringstream values;
    const int printed = PrintValues(contents, options, values);
    if (!filtered || printed > 0)
        out << "\n" << name << "\n" << values.str();
    matches += printed;
    for (const std::string& child : contents.subkeys) {
        KeyHandle subkey;
        result = RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, subkey.out());
        if (result == ERROR_SUCCESS)
            result = QueryTree(subkey.get(), name + "\\" + child, options, out, matches);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND &&
            result != ERROR_KEY_DELETED)
            return result;
    }
    return ERROR_SUCCESS;
}

int Query(const std::vector<std::string>& args) {
    const RegArguments options = ParseRegArguments(args, 1, {"v", "ve", "s"});
    if (options.positional.size() != 1)
        throw UsageError("query takes one KEY");
    const auto path = ParseKey(options.positional[0]);
    KeyHandle key;
    if (const int status = OpenKey(options.positional[0], path, KEY_READ, key); status != kExitOk)
        return status;
    const std::string name = DisplayName(path);
    std::ostringstream out;
    if (options.recursive) {
        int matches = 0;
        if (const LONG result = QueryTree(key.get(), name, options, out, matches);
            result != ERROR_SUCCESS)
            return Failed(ErrorText(result));
        if (options.valueName || options.defaultValue) {
            if (matches == 0)
                return Failed(kNotFound);
            out << "\nEnd of search: " << matches << " match(es) found.\n";
        }
        std::cout << out.str();
        return kExitOk;
    }
    KeyContents contents;
    if (const LONG result = ReadKey(key.get(), contents); result != ERROR_SUCCESS)
        return Failed(ErrorText(result));
    const int printed = PrintValues(contents, options, out);
    if (options.valueName && printed == 0)
        return Failed(kNotFound);
    if (options.defaultValue && printed == 0)
        out << "    (Default)    REG_SZ    (value not set)\n";
    std::cout << "\n" << name << "\n" << out.str();
    if (!options.valueName && !options.defaultValue && !contents.subkeys.empty()) {
        std::cout << "\n";
        for (const std::string& child : contents.subkeys)
            std::cout << name << "\\" << child << "\n";
    }
    std::cout << "\n";
    return kExitOk;
}

// --- add --------------------------------------------------------------------------------

std::vector<std::uint8_t> EncodeData(const std::string& type, const std::string& data,
                                     DWORD& typeCode) {
    std::vector<std::uint8_t> bytes;
    if (EqualsNoCase(type, "REG_SZ") || EqualsNoCase(type, "REG_EXPAND_SZ")) {
        typeCode = EqualsNoCase(type, "REG_SZ") ? REG_SZ : REG_EXPAND_SZ;
        bytes.assign(data.begin(), data.end());
        bytes.push_back(0);
    } else if (EqualsNoCase(type, "REG_DWORD")) {
        typeCode = REG_DWORD;
        // Decimal digits, or hex digits after one "0x": from_chars takes no sign, no leading
        // space and no second "0x", and reports a value beyond 32 bits.
        std::uint32_t number = 0;
        const bool hex = data.size() > 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X');
        const char* const first = data.data() + (hex ? 2 : 0);
        const char* const last = data.data() + data.size();
        const auto [end, error] = std::from_chars(first, last, number, hex ? 16 : 10);
        if (error != std::errc() || end != last)
            throw UsageError("REG_DWORD data must be 0 to 4294967295 in decimal or 0x hex: " +
                             data);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    } else if (EqualsNoCase(type, "REG_MULTI_SZ")) {
        typeCode = REG_MULTI_SZ;
        std::size_t start = 0;
        while (start < data.size()) {
            const std::size_t end = std::min(data.find("\\0", start), data.size());
            bytes.insert(bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                         data.begin() + static_cast<std::ptrdiff_t>(end));
            bytes.push_back(0);
            start = end + 2;
        }
        bytes.push_back(0);
    } else if (EqualsNoCase(type, "REG_BINARY")) {
        typeCode = REG_BINARY;
        // from_chars takes hex digits only: no sign, no "0x", whatever the locale.
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
            std::uint8_t byte = 0;
            const auto [end, error] = std::from_chars(&data[i], &data[i] + 2, byte, 16);
            if (error != std::errc() || end != &data[i] + 2)
                throw UsageError("REG_BINARY data must be pairs of hex digits: " + data);
            bytes.push_back(byte);
        }
        if (data.size() % 2 != 0)
            throw UsageError("REG_BINARY data must be pairs of hex digits: " + data);
    } else {
        throw UsageError("unsupported type " + type +
                         ": REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_MULTI_SZ or REG_BINARY");
    }
    return bytes;
}

int Add(const std::vector<std::string>& args) {
    const RegArguments options = ParseRegArguments(args, 1, {"v", "ve", "t", "d", "f"});
    if (options.positional.size() != 1)
        throw UsageError("add takes one KEY");
    const auto path = ParseKey(options.positional[0]);
    // Data or a type without /v is for the default value.
    const bool setsValue =
        options.valueName || options.defaultValue || options.data || options.type;
    DWORD type = REG_SZ;
    const std::vector<std::uint8_t> data =
        setsValue ? EncodeData(options.type.value_or("REG_SZ"), options.data.value_or(""), type)
                  : std::vector<std::uint8_t>();
    const std::string name = options.valueName.value_or("");
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, JoinPath(path).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (result == ERROR_BAD_PATHNAME)
        throw UsageError("invalid key name " + options.positional[0]);
    if (result != ERROR_SUCCESS)
        return Failed(ErrorText(result));
    if (setsValue) {
        const bool exists = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr,
                                             nullptr) == ERROR_SUCCESS;
        if (exists && !options.force &&
            !Confirm("Value " + (name.empty() ? std::string("(Default)") : name) +
                     " exists, overwrite")) {
            RegCloseKey(key);
            return Failed(kCanceled);
        }
        result = RegSetValueExA(key, name.c_str(), 0, type, data.data(),
                                static_cast<DWORD>(data.size()));
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return Failed(ErrorText(result));
    std::cout << kCompleted << "\n";
    return kExitOk;
}

// --- delete -----------------------------------------------------------------------------

// Deletes every value of the key; a value another process removed meanwhile is gone either
// way.
LONG DeleteValues(HKEY key) {
    KeyContents contents;
    LONG result = ReadKey(key, contents);
    for (const RegValue& value : contents.values) {
        if (result != ERROR_SUCCESS)
            break;
        result = RegDeleteValueA(key, value.name.c_str());
        if (result == ERROR_FILE_NOT_FOUND)
            result = ERROR_SUCCESS;
    }
    return result;
}

int Delete(const std::vector<std::string>& args) {
    const RegArguments options = ParseRegArguments(args, 1, {"v", "ve", "va", "f"});
    if (options.positional.size() != 1)
        throw UsageError("delete takes one KEY");
    const auto path = ParseKey(options.positional[0]);
    KeyHandle key;
    if (const int status = OpenKey(options.positional[0], path, KEY_ALL_ACCESS, key);
        status != kExitOk)
        return status;
    const std::string displayName = DisplayName(path);
    const bool oneValue = options.valueName || options.defaultValue;
    const std::string name = options.valueName.value_or("");
    if (oneValue && RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) !=
                        ERROR_SUCCESS)
        return Failed(kNotFound);
    if (!oneValue && !options.allValues && path.empty())
        return Failed("ERROR: Access is denied.");  // the root key itself stays
    if (!options.force) {
        const std::string question =
            oneValue            ? "Delete the registry value " + (name.empty() ? "(Default)" : name)
            : options.allValues ? "Delete all values under the registry key " + displayName
                                : "Permanently delete the registry key " + displayName;
        if (!Confirm(question))
            return Failed(kCanceled);
    }
    // The key and everything below it go in one change of the hive, so that a failure or a
    // crash leaves all of it or none.
    const LONG result = oneValue ? RegDeleteValueA(key.get(), name.c_str())
                        : options.allValues
                            ? DeleteValues(key.get())
                            : RegDeleteTreeA(HKEY_CURRENT_USER, JoinPath(path).c_str());
    if (result != ERROR_SUCCESS)
        return Failed(ErrorText(result));
    std::cout << kCompleted << "\n";
    return kExitOk;
}

// --- export and import ------------------------------------------------------------------

int Export(const std::vector<std::string>& args) {
    const RegArguments options = ParseRegArguments(args, 1, {"y"});
    if (options.positional.size() != 2)
        throw UsageError("export takes KEY and FILE");
    const auto path = ParseKey(options.positional[0]);
    const std::string& file = options.positional[1];
    KeyHandle key;
    if (const int status = OpenKey(options.positional[0], path, KEY_READ, key); status != kExitOk)
        return status;
    if (!options.overwriteFile && access(file.c_str(), F_OK) == 0 &&
        !Confirm("File " + file + " already exists. Overwrite")) {
        return Failed(kCanceled);
    }
    // The export may hold passwords, like the hive itself: the file is made private.
    const LONG result = RegExportKeyA(key.get(), file.c_str());
    if (result == ERROR_WRITE_FAULT)
        return Failed("ERROR: Cannot write " + file + ".");
    if (result != ERROR_SUCCESS)
        return Failed(ErrorText(result));
    std::cout << kCompleted << "\n";
    return kExitOk;
}

int Import(const std::vector<std::string>& args) {
    const RegArguments options = ParseRegArguments(args, 1, {});
    if (options.positional.size() != 1)
        throw UsageError("import takes one FILE");
    // The file is imported whole or not at all. A file that cannot be read or parsed comes
    // back with the reason; a hive that takes no change, with the result alone.
    std::vector<char> reason(256);
    LONG result = ERROR_MORE_DATA;
    DWORD reasonLength = 0;
    while (result == ERROR_MORE_DATA) {
        reasonLength = static_cast<DWORD>(reason.size());
        result = RegImportFileA(options.positional[0].c_str(), reason.data(), &reasonLength);
        if (result == ERROR_MORE_DATA)
            reason.resize(reasonLength);
    }
    if (result == ERROR_BAD_FORMAT)
        return Failed("ERROR: " + std::string(reason.data(), reasonLength));
    if (result != ERROR_SUCCESS)
        return Failed(ErrorText(result));
    std::cout << kCompleted << "\n";
    return kExitOk;
}

int RunVerb(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError("a verb is needed: query, add, delete, export or import");
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h" || arg == "/?" || arg == "-?") {
            std::cout << kHelp;
            return kExitOk;
        }
    }
    const std::string& verb = args[0];
    if (EqualsNoCase(verb, "query"))
        return Query(args);
    if (EqualsNoCase(verb, "add"))
        return Add(args);
    if (EqualsNoCase(verb, "delete"))
        return Delete(args);
    if (EqualsNoCase(verb, "export"))
        return Export(args);
    if (EqualsNoCase(verb, "import"))
        return Import(args);
    throw UsageError("unknown verb " + verb + ": query, add, delete, export or import");
}

// Every failure ends as a message and exit status 1 (usage errors as 2, from main): nothing
// the verbs or the libraries throw reaches the end of the program.
int RunReg(const std::vector<std::string>& args) {
    try {
        return RunVerb(args);
    } catch (const UsageError&) {
        throw;
    } catch (const std::bad_alloc&) {
        return Failed("ERROR: Not enough memory.");
    } catch (const std::exception& e) {
        return Failed(std::string("ERROR: ") + e.what());
    } catch (...) {
        return Failed("ERROR: An unexpected failure.");
    }
}

const Registration kReg{
    {"reg", "query and change this user's registry hive (as reg does)", RunReg, kHelp}};

}  // namespace
}  // namespace lumbrook::host
