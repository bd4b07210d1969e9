#include "platform/ui/application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>

#include "platform/messages/do_events.h"

namespace lumbrook::platform {
namespace {

// What the first attempt decided; later calls give the same answer.
enum class State { NotTried, Started, NoDisplay };

struct ApplicationState {
    State state = State::NotTried;
    std::string whyNot;
};

// The process's one application state, made on first use.
ApplicationState& Application() {
    static ApplicationState application;
    return application;
}

// True when the environment variable `name` holds a value; an empty one counts as unset.
bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The event pump DoEvents runs once Qt has started: Qt's pending events on this thread.
void PumpQtEvents() {
    QCoreApplication::processEvents();
}

// QApplication keeps references to argc and argv for its whole life.
int gArgc = 1;
char gProgramName[] = "lumbrook";
char* gArgv[] = {gProgramName, nullptr};

}  // namespace

bool StartApplication(std::string& whyNot) {
    ApplicationState& app = Application();
    if (app.state == State::NotTried) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
            // The host runs Qt Widgets itself: use its application object.
            app.state = State::Started;
        } else if (QCoreApplication::instance() != nullptr) {
            app.state = State::NoDisplay;
            app.whyNot = "no display available: the host runs a Qt application without widgets";
        } else if (!IsSet("QT_QPA_PLATFORM") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
            app.state = State::NoDisplay;
            app.whyNot =
                "no display available: none of DISPLAY, WAYLAND_DISPLAY and "
                "QT_QPA_PLATFORM is set";
        } else {
            const bool requested = IsSet("QT_QPA_PLATFORM");
            // A display that is named but cannot be reached makes Qt abort the process; with a
            // list of platforms it moves on to the next one instead.
            if (!requested)
                qputenv("QT_QPA_PLATFORM", "xcb;wayland;offscreen");
            new QApplication(gArgc, gArgv);  // lives as long as the process
            if (!requested)
                qunsetenv("QT_QPA_PLATFORM");
            if (!requested && QGuiApplication::platformName() == "offscreen") {
                app.state = State::NoDisplay;
                app.whyNot =
                    "no display available: the display named by DISPLAY or "
                    "WAYLAND_DISPLAY cannot be reached";
            } else {
                app.state = State::Started;
            }
        }
        if (app.state == State::Started)
            SetEventPump(&PumpQtEvents);
    }
    whyNot = app.whyNot;
    return app.state == State::Started;
}

bool ApplicationStarted() {
    return Application().state == State::Started;
}

}  // namespace lumbrook::platform
