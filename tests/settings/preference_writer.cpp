// Helper of the concurrency test, run as a process of its own.
//   preference_writer write PREFIX COUNT  writes COUNT preferences PREFIX0.. through
//                                          WriteSetting, each "value of PREFIXi"
//   preference_writer watch STOPFILE       reads and parses the hive file over and over until
//                                          STOPFILE exists; exit status 1 when a read ever
//                                          saw a file that does not parse or fewer
//                                          preferences than an earlier read (a missing or
//                                          empty file holds none); 3 when no read happened
//   preference_writer alternate NAME SHORT LONG STOPFILE
//                                          writes NAME over and over, alternately as SHORT
//                                          "S" characters and as LONG "L" characters, until
//                                          STOPFILE exists
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "platform/registry/hive_file.h"
#include "platform/registry/hive_text.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace {

using lumbrook::settings::kAppName;
using lumbrook::settings::kSection;

bool Stopped(const std::string& stopFile) {
    return access(stopFile.c_str(), F_OK) == 0;
}

// How many values the preferences key of a parsed hive holds.
std::size_t PreferenceCount(const lumbrook::platform::registry::Key& root) {
    const auto* key = root.FindPath({"Software", "Velmora", kAppName, kSection});
    return key != nullptr ? key->values().size() : 0;
}

int Watch(const std::string& stopFile) {
    const std::string hive = lumbrook::platform::registry::HiveFilePath();
    long reads = 0;
    long failures = 0;
    // Values are only added, so no later read may see fewer; the file, once it holds one,
    // is only ever replaced whole.
    std::size_t most = 0;
    // The pause leaves the writers the processor on a small machine.
    for (; !Stopped(stopFile); usleep(500), ++reads) {
        std::ifstream in(hive, std::ios::binary);  // a missing file reads as empty
        const auto parsed = lumbrook::platform::registry::ParseHiveText(
            std::string(std::istreambuf_iterator<char>(in), {}));
        const std::size_t count = parsed.ok ? PreferenceCount(parsed.root) : 0;
        if (!parsed.ok || count < most) {
            ++failures;
            std::cerr << "a read saw " << count << " preferences after one saw " << most << ": "
                      << parsed.error << "\n";
        }
        most = std::max(most, count);
        // Reading through the settings store at the same time must not disturb anything.
        lumbrook::settings::ReadSetting(kAppName, kSection, "a0");
    }
    std::cout << reads << " reads, " << failures << " failed\n";
    if (reads == 0)
        return 3;  // the watch proved nothing
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc == 4) {
        for (int i = 0; i < std::atoi(argv[3]); ++i) {
            const std::string name = argv[2] + std::to_string(i);
            lumbrook::settings::WriteSetting(kAppName, kSection, name, "value of " + name);
        }
        return 0;
    }
    if (mode == "watch" && argc == 3)
        return Watch(argv[2]);
    if (mode == "alternate" && argc == 6) {
        const std::string texts[] = {std::string(std::strtoul(argv[3], nullptr, 10), 'S'),
                                     std::string(std::strtoul(argv[4], nullptr, 10), 'L')};
        for (long i = 0; !Stopped(argv[5]); ++i)
            lumbrook::settings::WriteSetting(kAppName, kSection, argv[2], texts[i % 2]);
        return 0;
    }
    std::cerr << "usage: preference_writer write PREFIX COUNT | watch STOPFILE |"
                 " alternate NAME SHORT LONG STOPFILE\n";
    return 2;
}
