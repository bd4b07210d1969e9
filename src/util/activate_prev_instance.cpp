#include "util/activate_prev_instance.h"

#include <string>

#include "platform/app/app.h"
#include "platform/ui/instance_channel.h"
#include "platform/ui/message_box.h"

namespace lumbrook::util {

bool ActivatePrevInstance() {
    // The other instance is found by the title both had; this one gives the title up first,
    // so that it can never find itself.
    const std::string title = platform::AppTitle();
    platform::SetAppTitle(kUnwantedInstanceTitle);
    // The other process restores and raises its window itself; whether that worked is not
    // examined.
    if (platform::RequestRaise(title))
        return true;
    // The caption is the application title, which now reads "unwanted instance".
    platform::ShowMessageBox(kPrevInstanceNotFound, platform::MessageButtons::OK);
    return false;
}

}  // namespace lumbrook::util
