#include "support/test_environment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace lumbrook::testing {

std::string MakeTemporaryFolder() {
    // The system's temporary folder ($TMPDIR when set), so that a caller can move every
    // temporary of a test run, its child processes' included, into one folder.
    std::string pattern =
        (std::filesystem::temp_directory_path() / "lumbrook-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    return pattern;
}

void UsePrivateOdbcFiles(const std::string& folder) {
    WriteFile(folder + "/odbc.ini", "");
    WriteFile(folder + "/odbcinst.ini", "");
    setenv("ODBCINI", (folder + "/odbc.ini").c_str(), 1);
    setenv("ODBCSYSINI", folder.c_str(), 1);
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;  // a folder that is already gone is what we want
    std::filesystem::remove_all(path, ignored);
}

TemporaryFolder::TemporaryFolder() : path_(MakeTemporaryFolder()) {}

TemporaryFolder::~TemporaryFolder() {
    RemoveTree(path_);
}

ScopedConfigHome::ScopedConfigHome() {
    if (const char* previous = std::getenv("XDG_CONFIG_HOME"))
        previous_ = previous;
    setenv("XDG_CONFIG_HOME", path().c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome() {
    if (previous_)
        setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

std::string ScopedConfigHome::HivePath() const {
    return File("lumbrook/HKEY_CURRENT_USER.reg");
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int FileMode(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

}  // namespace lumbrook::testing
