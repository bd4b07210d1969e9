// What the browser tests share: a scratch folder for the process and its children, an ODBC
// data source TSQUARED pointing at a fixture database, and a recorder for message boxes.
#pragma once

#include <QDialog>
#include <QTreeWidgetItem>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"

namespace lumbrook::testing {

// Prepares this process for driving windows: the offscreen platform (or the one named by
// LUMBROOK_TEST_QPA_PLATFORM, for the run under a real X server), an application title of
// its own (`name` and the process id, so parallel processes never take each other for a
// running instance), and Qt started. False, with the reason on stderr, when Qt cannot start.
// The caller gives the process its preferences folder (ScopedConfigHome).
bool StartOffscreenSession(const std::string& name);

// A temporary folder for the files of this process, made on first use; the process's main
// removes it at the end (RemoveTree).
const std::string& ScratchFolder();

// Removes the stored preferences, so the next read finds nothing.
void ForgetPreferences();

// "Provider=SQLite;Data Source=<path>".
std::string SqliteConnection(const std::string& path);

// Stores `text` as the connection preference the browser reads on loading.
void StoreConnection(const std::string& text);

// The child of `parent` shown as `text`; nullptr when there is none.
QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& text);

// The widget that Tab moves to from `widget`, skipping those that take no focus.
const QWidget* NextTabStop(const QWidget* widget);

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
