// Helper of the concurrency test, run as a process of its own.
//   preference_writer write PREFIX COUNT  writes COUNT preferences PREFIX0.. through
//                                          WriteSetting, each "value of PREFIXi"
//   preference_writer watch STOPFILE       reads and parses the hive file over and over until
//                                          STOPFILE exists; exit status 1 when a read ever
//                                          saw a file that does not parse, 3 when no read
//                                          happened at all
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

int Watch(const std::string& stopFile) {
    const std::string hive = lumbrook::platform::registry::HiveFilePath();
    long reads = 0;
    long failures = 0;
    for (; access(stopFile.c_str(), F_OK) != 0; usleep(500)) {
        // The pause leaves the writers the processor on a small machine.
        std::ifstream in(hive, std::ios::binary);
        if (!in)
            continue;  // not written yet
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        ++reads;
        const auto parsed = lumbrook::platform::registry::ParseHiveText(text);
        if (!parsed.ok) {
            ++failures;
            std::cerr << "unparsable read: " << parsed.error << "\n";
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

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc == 4)
        return Write(argv[2], std::atoi(argv[3]));
    if (mode == "watch" && argc == 3)
        return Watch(argv[2]);
    std::cerr << "usage: preference_writer write PREFIX COUNT | watch STOPFILE\n";
    return 2;
}
