#include "browser/frm_main.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QTreeWidget>

#include "browser/cut_text_tooltip.h"
#include "browser/image_list.h"
#include "browser/item_grid.h"
#include "browser/tree_nodes.h"
#include "connection_dialog/frm_odbc.h"
#include "database/connection.h"
#include "database/database_error.h"
#include "database/probe.h"
#include "global/process_state.h"
#include "platform/ui/busy_pointer.h"
#include "platform/ui/instance_channel.h"
#include "platform/ui/message_box.h"
#include "platform/ui/twips.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "util/activate_prev_instance.h"

namespace lumbrook::browser {
namespace {

using platform::TwipsToPixelsX;
constexpr auto Place = platform::PlaceInTwips;
using platform::TwipsToPixelsY;

constexpr const char* kConnectPrompt =
    "Cannot connect to 4000 series database.\r\nPress OK to make new connection.\r\n"
    "Press Cancel to exit.";

// Makes the button's font just small enough for its caption to fit the width it was
// given: the layout's widths were made for a narrower font than most systems have.
void FitCaption(QAbstractButton* button) {
    QFont fitted = button->font();
    int pixels = QFontInfo(fitted).pixelSize();
    while (button->sizeHint().width() > button->width() && pixels > 8) {
        fitted.setPixelSize(--pixels);
        button->setFont(fitted);
    }
}

// Any function of this library: its address tells the folder the library was loaded from.
void ProgramFolderAnchor() {}

}  // namespace

frmMain::frmMain(const platform::Version& version, QWidget* parent)
    : QDialog(parent), version_(version) {
    setObjectName("frmMain");
    BuildControls();
}

frmMain::~frmMain() {
    Unload();
}

QString frmMain::NodeKey(const QTreeWidgetItem* node) {
    return node != nullptr ? node->data(0, kNodeKeyRole).toString() : QString();
}

void frmMain::BuildControls() {
    // A fixed single border with the system menu and the close box, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(TreeIcon(kSpotSetPicture));
    platform::UseDialogFont(this);

    frame4_ = new QGroupBox("Spot Sets", this);
    frame4_->setObjectName("Frame4");
    Place(frame4_, 360, 240, 12135, 4215);

    treeView1_ = new QTreeWidget(frame4_);
    treeView1_->setObjectName("TreeView1");
    treeView1_->setHeaderHidden(true);
    treeView1_->setColumnCount(1);
    treeView1_->setIconSize(QSize(16, 16));
    // Names wider than the tree are drawn whole and scrolled to, not cut; a name that runs
    // past the tree's edge shows whole in a tooltip. The node with the focus is framed.
    treeView1_->header()->setStretchLastSection(false);
    treeView1_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    treeView1_->setItemDelegate(new TreeNodeDelegate(treeView1_));
    Place(treeView1_, 240, 360, 3135, 3615);

    cboSpotSet_ = new QComboBox(frame4_);
    cboSpotSet_->setObjectName("cboSpotSet");
    Place(cboSpotSet_, 3600, 360, 4935, 315);

    optSelect_[0] = new QRadioButton("Export all MS/MS spectra in job run", frame4_);
    optSelect_[0]->setObjectName("optSelect0");
    Place(optSelect_[0], 9000, 240, 3015, 255);
    optSelect_[1] = new QRadioButton(frame4_);
    optSelect_[1]->setObjectName("optSelect1");
    Place(optSelect_[1], 9000, 480, 2655, 255);
    auto* group = new QButtonGroup(this);
    group->addButton(optSelect_[0], 0);
    group->addButton(optSelect_[1], 1);
    optSelect_[0]->setChecked(true);

    dataGrid1_ = new ItemGrid(frame4_);
    dataGrid1_->setObjectName("DataGrid1");
    dataGrid1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    dataGrid1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dataGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid for the next control; the arrow keys move between its cells.
    dataGrid1_->setTabKeyNavigation(false);
    dataGrid1_->setItemDelegate(new CutTextTooltipDelegate(dataGrid1_));
    // The record selectors select rows the window's way (RecordSelectorPressed): the view's
    // own handling keeps a Shift anchor of its own that a fresh or refilled grid lacks, so
    // that a first Shift-click would select nothing.
    QHeaderView* selectors = dataGrid1_->verticalHeader();
    disconnect(selectors, SIGNAL(sectionPressed(int)), dataGrid1_, SLOT(selectRow(int)));
    disconnect(selectors, SIGNAL(sectionEntered(int)), dataGrid1_, SLOT(_q_selectRow(int)));
    connect(selectors, &QHeaderView::sectionPressed, this, &frmMain::RecordSelectorPressed);
    connect(selectors, &QHeaderView::sectionEntered, this, &frmMain::RecordSelectorDragged);
    // One line a row, and record selectors wide enough to click.
    dataGrid1_->setWordWrap(false);
    dataGrid1_->verticalHeader()->setFixedWidth(TwipsToPixelsX(270));
    dataGrid1_->verticalHeader()->setDefaultSectionSize(dataGrid1_->fontMetrics().height() + 4);
    Place(dataGrid1_, 3600, 840, 8295, 3135);

    cmdSave_ = new QPushButton(this);
    cmdSave_->setObjectName("cmdSave");
    Place(cmdSave_, 8880, 4200, 1695, 375);
    cmdExit_ = new QPushButton(this);
    cmdExit_->setObjectName("cmdExit");
    Place(cmdExit_, 10800, 4200, 1695, 375);
    // No default button: Enter presses only the button that has the focus, Esc presses
    // cmdExit (keyPressEvent). An auto-default button would become the default when the
    // window is shown.
    for (QPushButton* button : {cmdSave_, cmdExit_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(cmdSave_, cmdExit_);
    setTabOrder(cmdExit_, dataGrid1_);
    setTabOrder(dataGrid1_, optSelect_[0]);
    setTabOrder(optSelect_[0], optSelect_[1]);
    setTabOrder(optSelect_[1], treeView1_);
    setTabOrder(treeView1_, cboSpotSet_);

    connect(cmdExit_, &QPushButton::clicked, this, &QWidget::close);
    connect(treeView1_, &QTreeWidget::itemExpanded, this, &frmMain::NodeExpanded);
    connect(treeView1_, &QTreeWidget::itemCollapsed, this, &frmMain::NodeCollapsed);
    connect(treeView1_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node, int) { NodeClicked(node); });
    // Moving the selection with the keyboard counts as a click, so the list follows it.
    connect(treeView1_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* node, QTreeWidgetItem*) {
                if (node != nullptr && !QApplication::mouseButtons())
                    NodeClicked(node);
            });
    connect(cboSpotSet_, &QComboBox::currentIndexChanged, this, [this](int) { JobRunChosen(); });
    connect(cmdSave_, &QPushButton::clicked, this, &frmMain::SaveSelection);
    dataGrid1_->installEventFilter(this);
}

bool frmMain::Load() {
    ModGlobal& global = Global();
    // 1. Flags left over from an earlier export have no effect on this window.
    global.exportRunning = false;
    global.cancelRequested = false;

    // 2. The final layout.
    cmdExit_->setText("Cancel");
    Place(cmdExit_, 10800, 4600, 1695, 375);
    cmdSave_->setText("Select");
    Place(cmdSave_, 8880, 4600, 1695, 375);
    optSelect_[1]->setText("Export selected spectra only");
    FitCaption(optSelect_[0]);
    FitCaption(optSelect_[1]);
    // The outer height is given; the client area is what the title bar and border leave.
    const int decoration = style()->pixelMetric(QStyle::PM_TitleBarHeight) +
                           2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    setFixedSize(TwipsToPixelsX(12855), TwipsToPixelsY(5600) - decoration);
    global.BrowserHandover.Accepted = false;

    // 3. Another instance whose browser is open is brought forward instead.
    bool otherRunning = false;
    instance_ = platform::InstanceChannel::Claim(
        platform::AppTitle(), [this] { BringForward(); }, otherRunning);
    if (otherRunning) {
        whyNotShown_ = util::ActivatePrevInstance()
                           ? "another data browser is open; it was brought forward"
                           : "another data browser is open, but it did not answer";
        return false;
    }

    // 4. The caption.
    setWindowTitle(QString::fromStdString("Lumbrook " + platform::FormatVersion(version_)));

    // 5. The program's folder becomes the current directory; a failure is of no consequence.
    platform::SetCurrentDirectory(
        platform::ModuleFolder(reinterpret_cast<const void*>(&ProgramFolderAnchor)));

    // 6. The connection string in use: the stored one, even when empty, or the default.
    const settings::TaggedValue stored =
        settings::ReadSetting(settings::kAppName, settings::kSection, settings::kODBCConnect);
    global.connectionStringInUse =
        settings::IsEmpty(stored) ? settings::kDefaultConnectionString : settings::ToText(stored);

    // 7. and 8.
    if (!ConnectLoop() || !OpenSharedConnection())
        return false;

    // 9.
    InitialiseTree();
    return true;
}

bool frmMain::ConnectLoop() {
    ModGlobal& global = Global();
    // The database's own text of the last failure goes with the prompt, whose text is fixed.
    std::string why;
    const auto probe = [&global, &why] {
        platform::BusyPointer busy;
        return database::ProbeDatabase(global.connectionStringInUse, global.useBaseViews, &why);
    };
    bool usable = probe();
    while (!usable) {
        if (platform::ShowMessageBox(kConnectPrompt, platform::MessageButtons::OKCancel, "Lumbrook",
                                     why) == platform::MessageResult::Cancel) {
            whyNotShown_ = "no connection was made";
            return false;
        }
        connection_dialog::frmODBC dialog;
        dialog.Load();
        dialog.exec();
        usable = probe();
    }
    return true;
}

bool frmMain::OpenSharedConnection() {
    ModGlobal& global = Global();
    try {
        platform::BusyPointer busy;
        global.sharedConnection = std::make_unique<database::Connection>();
        global.sharedConnection->Open(global.connectionStringInUse);
    } catch (const database::DatabaseError& e) {
        // The window closes before it was ever shown; the user learns why.
        global.sharedConnection.reset();
        whyNotShown_ = e.what();
        platform::ShowMessageBox(e.what(), platform::MessageButtons::OK);
        return false;
    }
    return true;
}

bool frmMain::BrowserQuery(const std::string& text, database::Recordset& result) {
    try {
        result = Global().sharedConnection->Execute(text, database::kCommandTimeoutSeconds);
        return true;
    } catch (const database::DatabaseError& e) {
        platform::ShowMessageBox(e.what(), platform::MessageButtons::OK);
        return false;
    }
}

void frmMain::BringForward() {
    // The window that is visible at this moment: the connection prompt or the connection
    // dialog while the window loads (which is never shown before its load has finished),
    // this window afterwards, or a dialog it opened.
    QWidget* visible = QApplication::activeModalWidget();
    if (visible == nullptr && isVisible())
        visible = this;
    if (visible == nullptr)
        return;
    if (visible->isMinimized())
        visible->showNormal();
    visible->raise();
    visible->activateWindow();
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);  // not QDialog's, which moves the window to the centre
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    // Esc presses the cancel button, which asks to close like every other way.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdExit_->click();
        return;
    }
    // Enter presses the push button that has the focus, and nothing anywhere else.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button != nullptr && button->isEnabled()) {
            button->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (Global().exportRunning) {
        // A running export is asked to stop at its next check; the window stays open.
        Global().cancelRequested = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);  // rejects, which ends in done()
}

void frmMain::done(int result) {
    if (Global().exportRunning) {
        Global().cancelRequested = true;
        return;
    }
    Unload();
    QDialog::done(result);
}

void frmMain::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    instance_.reset();
    ModGlobal& global = Global();
    if (global.sharedConnection) {
        try {
            global.sharedConnection->Close();
        } catch (const database::DatabaseError&) {
            // Closing a connection that is not open raises; the window is going away anyway.
        }
        global.sharedConnection.reset();
    }
}

}  // namespace lumbrook::browser
