// Helper of the concurrency test, run as a process of its own.
//   preference_writer write PREFIX COUNT  writes COUNT preferences PREFIX0.. through
//                                          WriteSetting, each "value of PREFIXi"
//   preference_writer watch STOPFILE       reads and parses the hive file over and over until
//                                          STOPFILE exists; exit status 1 when a read ever
//                                          saw a file that does not parse, an empty or
//                                          missing file once there was one, or fewer
//                                          preferences than an earlier read; 3 when no read
//                                          happened at all
//   preference_writer alternate NAME SHORT LONG STOPFILE
//                                          writes NAME over and over, alternately as SHORT
//                                          "S" characters and as LONG "L" characters, until
//                                          STOPFILE exists
#include <unistd.h>

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

int Write(const std::string& prefix, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string name = prefix + std::to_string(i);
        lumbrook::settings::WriteSetting(lumbrook::settings::kAppName, lumbrook::settings::kSection,
                                         name, "value of " + name);
    }
    return 0;
}

// How many values the preferences key of a parsed hive holds.
std::size_t PreferenceCount(const lumbrook::platform::registry::Key& root) {
    const auto path = lumbrook::platform::registry::SplitPath(std::string("Software\\Velmora\\") +
                                                              lumbrook::settings::kAppName + "\\" +
                                                              lumbrook::settings::kSection);
    const auto* key = path ? root.FindPath(*path) : nullptr;
    return key != nullptr ? key->values().size() : 0;
}

int Watch(const std::string& stopFile) {
    const std::string hive = lumbrook::platform::registry::HiveFilePath();
    long reads = 0;
    long failures = 0;
    bool seen = false;     // the file has existed: from then on it is only ever replaced
    std::size_t most = 0;  // values are only added, so no later read may see fewer
    for (; access(stopFile.c_str(), F_OK) != 0; usleep(500)) {
        // The pause leaves the writers the processor on a small machine.
        std::ifstream in(hive, std::ios::binary);
        if (!in) {
            if (seen) {
                ++failures;
                std::cerr << "the hive was missing\n";
            }
            continue;  // not written yet
        }
        seen = true;
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        ++reads;
        const auto parsed = lumbrook::platform::registry::ParseHiveText(text);
        if (text.empty()) {
            ++failures;
            std::cerr << "empty read\n";
        } else if (!parsed.ok) {
            ++failures;
            std::cerr << "unparsable read: " << parsed.error << "\n";
        } else if (const std::size_t count = PreferenceCount(parsed.root); count < most) {
            ++failures;
            std::cerr << "a read saw " << count << " preferences after one saw " << most << "\n";
        } else {
            most = count;
        }
        // Reading through the settings store at the same time must not disturb anything.
        lumbrook::settings::ReadSetting(lumbrook::settings::kAppName, lumbrook::settings::kSection,
                                        "a0");
    }
    std::cout << reads << " reads, " << failures << " unparsable\n";
    if (reads == 0)
        return 3;  // the watch proved nothing
    return failures == 0 ? 0 : 1;
}

int Alternate(const std::string& name, std::size_t shortLength, std::size_t longLength,
              const std::string& stopFile) {
    for (long i = 0; access(stopFile.c_str(), F_OK) != 0; ++i) {
        const std::string text =
            i % 2 == 0 ? std::string(shortLength, 'S') : std::string(longLength, 'L');
        lumbrook::settings::WriteSetting(lumbrook::settings::kAppName, lumbrook::settings::kSection,
                                         name, text);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc == 4)
        return Write(argv[2], std::atoi(argv[3]));
    if (mode == "watch" && argc == 3)
        return Watch(argv[2]);
    if (mode == "alternate" && argc == 6)
        return Alternate(argv[2], std::strtoul(argv[3], nullptr, 10),
                         std::strtoul(argv[4], nullptr, 10), argv[5]);
    std::cerr << "usage: preference_writer write PREFIX COUNT | watch STOPFILE |"
                 " alternate NAME SHORT LONG STOPFILE\n";
    return 2;
}
