// What every test that touches preferences needs: a configuration folder of its own, so that
// no test reads or changes the user's real registry hive, and small file helpers.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lumbrook::testing {

// A new empty folder under the system's temporary folder.
std::string MakeTemporaryFolder();

// A new empty temporary folder, removed with everything in it when the object goes.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// A fresh temporary folder made XDG_CONFIG_HOME for the object's life; the previous value
// comes back when it goes, and the folder with it.
class ScopedConfigHome : public TemporaryFolder {
  public:
    ScopedConfigHome();
    ~ScopedConfigHome();

    // Where the registry hive of this folder lives.
    std::string HivePath() const;

  private:
    std::optional<std::string> previous_;
};
// Points the ODBC driver manager at empty lists of data sources and drivers in `folder`
// (ODBCINI, ODBCSYSINI) for the rest of the process and its children, so that a data source
// of the machine (/etc/odbc.ini) or of the user is never reached.
void UsePrivateOdbcFiles(const std::string& folder);

// Removes a folder and everything in it; missing folders are fine.
void RemoveTree(const std::string& path);

// Whole-file helpers; ReadFile gives "" for a missing file.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// The names in `folder`, sorted: what a test expects there, with nothing left beside it.
std::vector<std::string> NamesIn(const std::string& folder);
// The permission bits of a file or folder (0600, ...); -1 when it does not exist.
int FileMode(const std::string& path);

}  // namespace lumbrook::testing
