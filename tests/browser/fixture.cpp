#include "fixture.h"

#include <dlfcn.h>   // dlopen
#include <unistd.h>  // getpid

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/app/app.h"
#include "platform/ui/application.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "support/test_environment.h"

namespace lumbrook::testing {
namespace {

// Debian's SQLite ODBC driver (package libsqliteodbc).
constexpr const char* kSqliteOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

}  // namespace

bool StartOffscreenSession(const std::string& name) {
    // The run under a real X server (run_under_x.sh) asks for its platform instead.
    const QByteArray platform = qgetenv("LUMBROOK_TEST_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? QByteArray("offscreen") : platform);
    platform::SetAppTitle(name + " " + std::to_string(::getpid()));
    std::string whyNot;
    if (!platform::StartApplication(whyNot)) {
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return false;
    }
    return true;
}

const std::string& ScratchFolder() {
    static const std::string folder = MakeTemporaryFolder();
    return folder;
}

void ForgetPreferences() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr)
        std::filesystem::remove_all(std::filesystem::path(config) / "lumbrook");
}

std::string SqliteConnection(const std::string& path) {
    return "Provider=SQLite;Data Source=" + path;
}

void StoreConnection(const std::string& text) {
    settings::WriteSetting(settings::kAppName, settings::kSection, settings::kODBCConnect, text);
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

const QWidget* NextTabStop(const QWidget* widget) {
    const QWidget* next = widget->nextInFocusChain();
    while (next != nullptr && next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    return next;
}

void UseTsquaredDataSource(const std::string& path) {
    // The driver and the driver manager's configuration library keep a few allocations
    // until the process ends; held mapped, the leak checker can name them (tests/lsan.supp
    // excuses them) after the driver manager has unloaded them.
    static void* const keepDriver = dlopen(kSqliteOdbcDriver, RTLD_NOW | RTLD_NODELETE);
    static void* const keepInstaller = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE);
    (void)keepDriver;
    (void)keepInstaller;
    const std::string folder = ScratchFolder() + "/odbc";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/odbcinst.ini") << "[SQLite3]\nDriver=" << kSqliteOdbcDriver
                                            << "\n"
                                               "CommLog=0\nUsageCount=1\n";
    std::ofstream(folder + "/odbc.ini") << "[TSQUARED]\nDriver=SQLite3\nDatabase=" << path << "\n";
    setenv("ODBCSYSINI", folder.c_str(), 1);
    setenv("ODBCINI", (folder + "/odbc.ini").c_str(), 1);
}

MessageBoxRecorder::MessageBoxRecorder(
    std::function<platform::MessageResult(const platform::MessageBoxRequest&)> answer) {
    platform::SetMessageBoxResponder([this, answer](const platform::MessageBoxRequest& request) {
        seen_.push_back(request);
        return answer(request);
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    platform::SetMessageBoxResponder(nullptr);
}

void WhenModalWidget(std::function<bool(QWidget*)> tryAction) {
    // Polls from the event loop: the dialog becomes active only once its own exec() runs.
    auto attempts = std::make_shared<int>(0);
    auto timer = new QTimer();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, attempts, tryAction] {
        QWidget* modal = QApplication::activeModalWidget();
        if ((modal != nullptr && tryAction(modal)) || ++*attempts > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

}  // namespace lumbrook::testing
