// What the browser tests share: the database they browse, a scratch folder for the process
// and its children, a recorder for message boxes and a way to act in modal dialogs.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::testing {

// A small database for browsing: folders sorted out of insertion order, a spot set "Alpha
// set" with job runs 17 (MS/MS, ten items 101..110 of which all but 105 are complete, each
// with five peaks) and 18 (MS, finish time unknown), a nested spot set with an incomplete job
// run, an empty folder, a spot set without job runs and an object of neither kind.
Rows BrowseRows();

// Prepares this process for driving windows: the offscreen platform (or the one named by
// LUMBROOK_TEST_QPA_PLATFORM, for the run under a real X server), an application title of
// its own (`name` and the process id, so parallel processes never take each other for a
// running instance), and Qt started. False, with the reason on stderr, when Qt cannot start.
// The caller gives the process its preferences folder (ScopedConfigHome).
bool StartOffscreenSession(const std::string& name);

// A temporary folder for the files of this process, made on first use; the process's main
// removes it at the end (RemoveTree).
const std::string& ScratchFolder();

// Stores `text` as the connection preference the browser reads on loading.
void StoreConnection(const std::string& text);

// The child of `parent` shown as `text`; nullptr when there is none.
QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& text);

// The first instance for the second-instance tests (frm_main_test.cpp), which start this
// program as `browser_tests --first-instance TITLE prompt|dialog`; runs until it is killed.
int RunFirstInstance(const std::string& title, const std::string& stage);

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
// loop, within a few seconds; `action` is dropped if none appears. It polls: the dialog
// becomes active only once its own exec() runs.
template <typename T>
void WhenModal(std::function<void(T&)> action) {
    auto attempts = std::make_shared<int>(0);
    auto timer = new QTimer();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, attempts, action] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog != nullptr)
            action(*dialog);
        if (dialog != nullptr || ++*attempts > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

}  // namespace lumbrook::testing
