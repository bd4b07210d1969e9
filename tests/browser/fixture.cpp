#include "fixture.h"

#include <unistd.h>  // getpid

#include <cstdio>

#include "platform/app/app.h"
#include "platform/ui/application.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace lumbrook::testing {

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

}  // namespace lumbrook::testing
