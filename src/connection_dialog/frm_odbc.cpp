#include "connection_dialog/frm_odbc.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "connection_dialog/connection_builder.h"
#include "database/probe.h"
#include "global/process_state.h"
#include "platform/ui/busy_pointer.h"
#include "platform/ui/twips.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace lumbrook::connection_dialog {
namespace {

using platform::TwipsToPixelsX;
constexpr auto Place = platform::PlaceInTwips;
using platform::TwipsToPixelsY;

}  // namespace

frmODBC::frmODBC(QWidget* parent) : QDialog(parent) {
    setObjectName("frmODBC");
    setWindowTitle("ODBC Connection");
    // A fixed dialog border with a close box only; as a dialog it has no task bar entry.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(TwipsToPixelsX(6615), TwipsToPixelsY(3165));
    platform::UseDialogFont(this);

    frame_ = new QGroupBox("ODBC connection to 4000 series database", this);
    frame_->setObjectName("Frame");
    Place(frame_, 120, 120, 6375, 2415);

    txtODBC_ = new QPlainTextEdit(frame_);
    txtODBC_->setObjectName("txtODBC");
    Place(txtODBC_, 240, 360, 5895, 1215);

    cmdRestore_ = new QPushButton("Restore default", frame_);
    cmdRestore_->setObjectName("cmdRestore");
    Place(cmdRestore_, 240, 1800, 1815, 375);

    cmdChange_ = new QPushButton("ODBC Wizard ...", frame_);
    cmdChange_->setObjectName("cmdChange");
    Place(cmdChange_, 4320, 1800, 1815, 375);

    cmdCancel_ = new QPushButton("Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");
    Place(cmdCancel_, 2640, 2640, 1815, 375);

    cmdSave_ = new QPushButton("Save", this);
    cmdSave_->setObjectName("cmdSave");
    Place(cmdSave_, 4680, 2640, 1815, 375);

    // Enter presses the push button that has the focus, and Save anywhere else, in the text
    // box too (eventFilter): a focused auto-default button stands in for the default one.
    for (QPushButton* button : {cmdRestore_, cmdChange_, cmdCancel_, cmdSave_})
        button->setAutoDefault(true);
    cmdSave_->setDefault(true);

    // The frame takes no focus, so its place in the order passes to its controls.
    setTabOrder(cmdSave_, cmdCancel_);
    setTabOrder(cmdCancel_, cmdChange_);
    setTabOrder(cmdChange_, cmdRestore_);
    setTabOrder(cmdRestore_, txtODBC_);
    txtODBC_->setTabChangesFocus(true);
    txtODBC_->installEventFilter(this);

    connect(cmdCancel_, &QPushButton::clicked, this, &frmODBC::Cancel);
    connect(cmdRestore_, &QPushButton::clicked, this, &frmODBC::RestoreDefault);
    connect(cmdChange_, &QPushButton::clicked, this, &frmODBC::Change);
    connect(cmdSave_, &QPushButton::clicked, this, &frmODBC::Save);
}

void frmODBC::Load() {
    std::string& inUse = Global().connectionStringInUse;
    txtODBC_->setPlainText(QString::fromStdString(inUse));
    savedString_ = inUse;
    inUse.clear();
}

void frmODBC::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);  // not QDialog's, which moves the dialog to the centre
}

void frmODBC::keyPressEvent(QKeyEvent* event) {
    // Esc presses Cancel, which puts the string back; the close box only closes.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmODBC::eventFilter(QObject* watched, QEvent* event) {
    // In a text box of several lines Enter presses the default button, as the platform's
    // dialogs do, and Ctrl+Enter starts a new line.
    if (watched == txtODBC_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ControlModifier)
                txtODBC_->textCursor().insertText("\n");
            else
                cmdSave_->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmODBC::Cancel() {
    Global().connectionStringInUse = savedString_;
    reject();
}

void frmODBC::RestoreDefault() {
    txtODBC_->setPlainText(settings::kDefaultConnectionString);
}

void frmODBC::Change() {
    // The builder never raises into the dialog: it gives a string or nothing, and nothing
    // leaves the text as it is.
    const std::string built = ConnectionBuilder::Prompt(this);
    if (!built.empty())
        txtODBC_->setPlainText(QString::fromStdString(built));
}

void frmODBC::Save() {
    const QString typed = txtODBC_->toPlainText();
    const std::string text = settings::ConnectionTextToStore(typed.toStdString());
    const QString trimmed = QString::fromStdString(text);
    if (trimmed != typed) {
        // The caret stays on the character it was at, or at the nearer end of what is left.
        const int dropped = static_cast<int>(typed.indexOf(trimmed));
        const int caret = std::clamp(txtODBC_->textCursor().position() - dropped, 0,
                                     static_cast<int>(trimmed.size()));
        txtODBC_->setPlainText(trimmed);
        QTextCursor cursor = txtODBC_->textCursor();
        cursor.setPosition(caret);
        txtODBC_->setTextCursor(cursor);
    }
    bool usable = false;
    {
        platform::BusyPointer busy;
        usable = database::ProbeDatabase(text, Global().useBaseViews);
    }
    if (!usable)
        return;  // stays open with the trimmed text, without a message
    settings::WriteSetting(settings::kAppName, settings::kSection, settings::kODBCConnect, text);
    Global().connectionStringInUse = text;
    accept();
}

}  // namespace lumbrook::connection_dialog
