// Shell completion generated from the host's own option declarations, so that packaging
// can write it at build time and it never falls behind the options.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace lumbrook::host {

// A bash completion script for `app` and its subcommands (hidden ones left out): the
// subcommand names, each subcommand's options and nested subcommands, and the values of an
// option or a first positional as its value's name says: the words of "MS|MS-MS", file names
// for FILE, folder names for DIR, nothing for a number or a text.
std::string BashCompletion(const CLI::App& app);

}  // namespace lumbrook::host
