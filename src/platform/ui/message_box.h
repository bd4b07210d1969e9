// The platform's message box: a title, a text, a set of buttons and no icon.
#pragma once

#include <functional>
#include <string>

namespace lumbrook::platform {

enum class MessageButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MessageResult { OK, Cancel, Yes, No };

struct MessageBoxRequest {
    std::string title;
    std::string text;
    MessageButtons buttons;
    std::string detail;  // shown on request below the text; empty for none
};

// Shows a modal message box and returns the button chosen; closing it with Esc or the close
// box counts as Cancel (or No, when there is no Cancel button). An empty title means the
// application title. A `detail` (the text of the failure behind the message, say) is offered
// below the text without changing it. Needs StartApplication to have succeeded; otherwise the
// request goes to the responder if one is set, and is answered Cancel (or OK for an OK-only
// box).
MessageResult ShowMessageBox(const std::string& text, MessageButtons buttons,
                             const std::string& title = {}, const std::string& detail = {});

// Test seam: while set, every message box is answered by `responder` instead of a person,
// and nothing is shown. Pass nullptr to show real message boxes again.
void SetMessageBoxResponder(std::function<MessageResult(const MessageBoxRequest&)> responder);

}  // namespace lumbrook::platform
