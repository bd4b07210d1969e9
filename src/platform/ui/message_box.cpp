#include "platform/ui/message_box.h"

#include <QMessageBox>
#include <QString>

#include "platform/app/app.h"
#include "platform/ui/application.h"

namespace lumbrook::platform {
namespace {

std::function<MessageResult(const MessageBoxRequest&)>& Responder() {
    static std::function<MessageResult(const MessageBoxRequest&)> responder;
    return responder;
}

// Qt's buttons for the platform's button set.
QMessageBox::StandardButtons QtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OK:
            return QMessageBox::Ok;
        case MessageButtons::OKCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The answer when the box is dismissed without a button: Cancel where there is one.
MessageResult Dismissed(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OK:
            return MessageResult::OK;
        case MessageButtons::YesNo:
            return MessageResult::No;
        case MessageButtons::OKCancel:
        case MessageButtons::YesNoCancel:
            break;
    }
    return MessageResult::Cancel;
}

}  // namespace

MessageResult ShowMessageBox(const std::string& text, MessageButtons buttons,
                             const std::string& title, const std::string& detail) {
    const MessageBoxRequest request{title.empty() ? AppTitle() : title, text, buttons, detail};
    if (Responder())
        return Responder()(request);
    if (!ApplicationStarted())
        return Dismissed(buttons);

    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(request.title),
                    QString::fromStdString(request.text), QtButtons(buttons));
    box.setTextFormat(Qt::PlainText);
    if (!detail.empty())
        box.setDetailedText(QString::fromStdString(detail));
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MessageResult::OK;
        case QMessageBox::Cancel:
            return MessageResult::Cancel;
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        default:
            return Dismissed(buttons);
    }
}

void SetMessageBoxResponder(std::function<MessageResult(const MessageBoxRequest&)> responder) {
    Responder() = std::move(responder);
}

}  // namespace lumbrook::platform
