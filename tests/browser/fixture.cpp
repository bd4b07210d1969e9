#include "fixture.h"

#include <dlfcn.h>  // dlopen
#include <sqlite3.h>
#include <unistd.h>  // getpid

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "database/schema.h"
#include "platform/app/app.h"
#include "platform/ui/application.h"

namespace lumbrook::testing {
namespace {

void Execute(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("fixture SQL failed: " + text + "\n" + sql);
    }
}

void ExecuteAll(sqlite3* db, std::string_view text) {
    for (const std::string& statement : database::SplitStatements(text))
        Execute(db, statement);
}

// Debian's SQLite ODBC driver (package libsqliteodbc).
constexpr const char* kSqliteOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

}  // namespace

bool StartOffscreenSession(const std::string& name) {
    // The run under a real X server (run_under_x.sh) asks for its platform instead.
    const QByteArray platform = qgetenv("LUMBROOK_TEST_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? QByteArray("offscreen") : platform);
    const std::string config = ScratchFolder() + "/config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    platform::SetAppTitle(name + " " + std::to_string(::getpid()));
    std::string whyNot;
    if (!platform::StartApplication(whyNot)) {
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return false;
    }
    return true;
}

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string path = (std::filesystem::temp_directory_path() /
                            ("lumbrook-browser-test-" + std::to_string(::getpid())))
                               .string();
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void ForgetPreferences() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr)
        std::filesystem::remove_all(std::filesystem::path(config) / "lumbrook");
}

void MakeDatabase(const std::string& path, const std::string& extraSql, bool baseViews) {
    std::filesystem::remove(path);
    sqlite3* raw = nullptr;
    if (sqlite3_open(path.c_str(), &raw) != SQLITE_OK) {
        sqlite3_close(raw);
        throw std::runtime_error("cannot create " + path);
    }
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    ExecuteAll(db.get(), database::SchemaText(database::SchemaDialect::SQLite));
    if (baseViews)
        ExecuteAll(db.get(), database::BaseViewsText(database::SchemaDialect::SQLite));
    ExecuteAll(db.get(), extraSql);
}

std::string SmallFolderTree() {
    return "INSERT INTO FOLDER_OBJECT VALUES (2, NULL, 'Projects', 2, 1);\n"
           "INSERT INTO FOLDER_OBJECT VALUES (20, 2, 'Gels', 2, 1);\n"
           "INSERT INTO FOLDER_OBJECT VALUES (21, 2, 'Digest plate', 6, 1);\n";
}

std::string SqliteConnection(const std::string& path) {
    return "Provider=SQLite;Data Source=" + path;
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
