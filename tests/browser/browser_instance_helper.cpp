// The first instance for the second-instance tests: a browser that cannot connect.
//   browser_instance_helper TITLE prompt|dialog
// Loads the browser under the application title TITLE with a database that does not exist,
// so that it stops at its connection prompt ("prompt") or, with OK answered, in its
// connection dialog ("dialog"). Once that window is up it shows and activates another
// window in front of it (a window of the modal one, which its modality does not block),
// prints "ready", and from then on prints "active CLASS" each time another window becomes
// the active one, and "browser shown" should the browser window ever become visible. Runs
// until it is killed.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "browser/frm_main.h"
#include "fixture.h"
#include "platform/app/app.h"
#include "support/test_environment.h"

int main(int argc, char** argv) {
    using namespace lumbrook;
    if (argc != 3 || (std::strcmp(argv[2], "prompt") != 0 && std::strcmp(argv[2], "dialog") != 0))
        return 2;
    // Killed by the test, this process removes nothing: its folders are made in the test's
    // scratch folder (the test sets TMPDIR), which the test removes.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line reaches the test as it is printed
    const testing::ScopedConfigHome config;
    if (!testing::StartOffscreenSession("Lumbrook instance helper"))
        return 1;
    platform::SetAppTitle(argv[1]);
    testing::StoreConnection("Provider=SQLite;Data Source=" + testing::ScratchFolder() +
                             "/missing.sqlite");
    std::unique_ptr<testing::MessageBoxRecorder> okToPrompt;
    if (std::strcmp(argv[2], "dialog") == 0) {
        okToPrompt = std::make_unique<testing::MessageBoxRecorder>(
            [](const platform::MessageBoxRequest&) { return platform::MessageResult::OK; });
    }

    browser::frmMain form(platform::Version{1, 0, 0});
    QWidget* decoy = nullptr;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&form, &decoy] {
        static bool ready = false;
        static QWidget* lastActive = nullptr;
        static bool browserShown = false;
        if (!ready) {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible())
                return;
            if (decoy == nullptr) {
                decoy = new QWidget(modal, Qt::Window);
                decoy->setWindowTitle("decoy");
                decoy->setGeometry(modal->geometry().translated(40, 40));
                decoy->show();
            }
            decoy->raise();
            decoy->activateWindow();
            if (QApplication::activeWindow() != decoy)
                return;
            ready = true;
            lastActive = decoy;
            std::puts("ready");
            return;
        }
        QWidget* active = QApplication::activeWindow();
        if (active != lastActive && active != nullptr) {
            lastActive = active;
            std::printf("active %s\n", active->metaObject()->className());
        }
        if (form.isVisible() && !browserShown) {
            browserShown = true;
            std::puts("browser shown");
        }
    });
    watch.start();
    form.Load();  // runs the prompt's and the dialog's modal loops until the process ends
    std::puts("load ended");
    return 0;
}
