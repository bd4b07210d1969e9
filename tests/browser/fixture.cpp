#include "fixture.h"

#include <unistd.h>  // getpid

#include <cstdio>

#include "platform/app/app.h"
#include "platform/ui/application.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace lumbrook::testing {

Rows BrowseRows() {
    Rows rows;
    rows.folders = {{2, {}, "Projects"},
                    {30, 2, "Zeta folder"},
                    {31, 2, "Alpha set", kSpotSetType},
                    {32, 2, "Middle"},
                    {33, 32, "Inner set", kSpotSetType},
                    {34, 2, "Empty set", kSpotSetType},
                    {35, 2, "Calibration", 5}};  // neither kind
    rows.jobRuns = {{17, 31, "MS-MS 1 kV positive", "2026-03-01 09:00:00", "2026-03-01 09:05:00",
                     "2026-03-01 10:30:00"},
                    {18, 31, "MS reflector positive"},
                    {40, 33, "MS-MS 2 kV positive", {}, {}, "2026-04-02 12:00:00"}};
    // Job run 17: items 101..110 on spots 1..10; item 105 is not complete yet. Four fragments
    // of each pass the default filters, one isotope peak does not.
    for (int i = 1; i <= 10; ++i) {
        const std::string n = std::to_string(i);
        rows.spots.push_back({i, 31, "A" + n, "spot " + n, "sample"});
        rows.items.push_back({100 + i,
                              17,
                              i,
                              std::stod(std::to_string(1000 + i) + ".12345"),
                              "done",
                              "done",
                              {},
                              i == 5 ? 4 : 9});
        rows.peakLists.push_back({500 + i, 100 + i});
        for (int p = 1; p <= 5; ++p)
            rows.peaks.push_back(
                {500 + i, p, 100.5 + 150 * p + i, 1000.0 * p, 20.0 + p, p == 5 ? 0 : 1});
    }
    // Job run 18 (MS): two complete items without peaks.
    rows.Spectrum(201, 18, "C1", {}, 31).Spectrum(202, 18, "C2", {}, 31);
    // Job run 40 on the inner spot set has one item that is not complete.
    rows.Spectrum(401, 40, "B1", 900.5, 33).items.back().status = 3;
    return rows;
}

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
