// The application's state that is one per process: the title and the directory the process
// started in. Kept in the platform library, which every other library of the process links,
// and handed out only through C functions, so that no library carries a copy of its own.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/app/app.h"

namespace {

struct TitleState {
    std::string title;
    bool set = false;
};

// The process's one title, made on first use.
TitleState& Title() {
    static TitleState state;
    return state;
}

// Read while the library loads, before any code of the program can have changed directory.
const std::string& StartDirectoryAtLoad() {
    static const std::string folder = lumbrook::platform::CurrentDirectory();
    return folder;
}
[[maybe_unused]] const std::string& kReadAtLoad = StartDirectoryAtLoad();

// Copies `text` with its NUL into `buffer` of `size` bytes, cut to fit, and returns its whole
// length without the NUL.
std::size_t CopyText(const std::string& text, char* buffer, std::size_t size) {
    if (buffer != nullptr && size > 0) {
        const std::size_t copied = std::min(text.size(), size - 1);
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return text.size();
}

}  // namespace

extern "C" {

std::size_t PlatformAppTitle(char* buffer, std::size_t size) {
    return CopyText(Title().title, buffer, size);
}

void PlatformSetAppTitle(const char* title, int onlyWhenUnset) {
    if (onlyWhenUnset != 0 && Title().set)
        return;
    Title().title = title != nullptr ? title : "";
    Title().set = true;
}

std::size_t PlatformStartDirectory(char* buffer, std::size_t size) {
    return CopyText(StartDirectoryAtLoad(), buffer, size);
}

}  // extern "C"
