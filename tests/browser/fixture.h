// What the browser tests share: a private preferences folder, small SQLite databases built
// from the schema, an ODBC data source TSQUARED pointing at one of them, and a recorder for
// message boxes.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"

namespace lumbrook::testing {

// Prepares this process for driving windows: the offscreen platform (or the one named by
// LUMBROOK_TEST_QPA_PLATFORM, for the run under a real X server), preferences in the
// scratch folder, an application title of its own (`name` and the process id, so parallel
// processes never take each other for a running instance), and Qt started. False, with the
// reason on stderr, when Qt cannot start.
bool StartOffscreenSession(const std::string& name);

// Folder in which every test of this process keeps its files.
const std::string& ScratchFolder();

// Removes the stored preferences, so the next read finds nothing.
void ForgetPreferences();

// A new SQLite file at `path` with the schema and `extraSql` run on it (statements ending
// with ";" at line ends). Replaces an existing file.
void MakeDatabase(const std::string& path, const std::string& extraSql, bool baseViews = false);

// Folders 2 ("Projects") and a few children: enough for the window to open.
std::string SmallFolderTree();

// "Provider=SQLite;Data Source=<path>".
std::string SqliteConnection(const std::string& path);

// Points the ODBC driver manager at private files in which the data source TSQUARED is the
// SQLite database `path`, so the default connection string reaches it.
void UseTsquaredDataSource(const std::string& path);

// Answers message boxes with `answer` and keeps what they said.
class MessageBoxRecorder {
  public:
    explicit MessageBoxRecorder(
        std::function<platform::MessageResult(const platform::MessageBoxRequest&)> answer);
    ~MessageBoxRecorder();
    const std::vector<platform::MessageBoxRequest>& Seen() const { return seen_; }

  private:
    std::vector<platform::MessageBoxRequest> seen_;
};

// Runs `action` on the first modal dialog of class T that becomes active, from the event
// loop, within a few seconds; `action` is dropped if none appears.
template <typename T>
void WhenModal(std::function<void(T&)> action);

// Implementation detail of WhenModal.
void WhenModalWidget(std::function<bool(QWidget*)> tryAction);

template <typename T>
void WhenModal(std::function<void(T&)> action) {
    WhenModalWidget([action](QWidget* widget) {
        auto* dialog = qobject_cast<T*>(widget);
        if (dialog == nullptr)
            return false;
        action(*dialog);
        return true;
    });
}

}  // namespace lumbrook::testing
