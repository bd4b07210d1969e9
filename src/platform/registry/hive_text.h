// The REGEDIT4 text form of a registry tree: the hive file's format and that of `reg export`
// and `reg import`.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Velmora\Lumbrook\Preferences]
//   "ODBCConnect"="Provider=..."
//   "Count"=dword:0000000a
//   @="the default value"
//   "Paths"=hex(7):61,00,62,00,00,00
//
// The reader takes what a person writes by hand: LF or CRLF line ends, a UTF-8 byte order
// mark, ";" comments, blank lines, key paths and names in any case (HKCU for
// HKEY_CURRENT_USER), "@" for the default value, \" and \\ in quoted text, and hex data
// continued over several lines with a trailing "\". The writer writes what the reader
// reads back unchanged.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry/hive.h"

namespace lumbrook::platform::registry {

inline constexpr std::string_view kRootName = "HKEY_CURRENT_USER";

struct ParseResult {
    bool ok = false;
    Key root;           // the whole tree when ok
    std::string error;  // otherwise "line N: what is wrong: the offending text"
};

// Reads a whole file's text. Empty text (or only blanks and comments) is an empty tree.
ParseResult ParseHiveText(std::string_view text);

// Writes `key` and everything below it. `path` is the key's path below HKEY_CURRENT_USER
// ("" for the root). A key gets a section of its own unless it has no values and its
// subkeys' sections imply it.
std::string WriteHiveText(const Key& key, std::string_view path);

}  // namespace lumbrook::platform::registry
