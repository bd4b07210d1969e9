#include "browser/frm_main.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "browser/image_list.h"
#include "connection_dialog/frm_odbc.h"
#include "database/connection.h"
#include "database/probe.h"
#include "fixture.h"
#include "global/process_state.h"
#include "platform/app/app.h"
#include "settings/preferences.h"

namespace lumbrook::browser {
namespace {

using platform::MessageResult;
using testing::MessageBoxRecorder;

const platform::Version kVersion{1, 0, 0};

class Browser : public ::testing::Test {
  protected:
    void SetUp() override { title_ = platform::AppTitle(); }
    void TearDown() override { platform::SetAppTitle(title_); }

    // A window loaded on the fixture database.
    std::unique_ptr<frmMain> LoadedWindow() {
        testing::StoreConnection(db_.ConnectionString());
        auto form = std::make_unique<frmMain>(kVersion);
        EXPECT_TRUE(form->Load());
        return form;
    }

    const testing::ScopedConfigHome config_;
    testing::FixtureDatabase db_{testing::BrowseRows()};
    std::string title_;
};

// With nothing stored the default string is tried, a stored empty string is used as it is;
// either fails, and the prompt (its text a constant) comes once, with the database's own text
// of the failure as its detail. What leaving there says: ShowDataBrowser's test.
TEST_F(Browser, TheStoredStringOrElseTheDefaultIsTriedAndAFailurePrompts) {
    for (const bool storeEmpty : {false, true}) {
        if (storeEmpty)
            testing::StoreConnection("");
        std::string inUse = "unset";
        MessageBoxRecorder boxes([&inUse](const platform::MessageBoxRequest&) {
            inUse = Global().connectionStringInUse;
            return MessageResult::Cancel;
        });
        frmMain form(kVersion);
        EXPECT_FALSE(form.Load());
        EXPECT_EQ(inUse, storeEmpty ? "" : settings::kDefaultConnectionString);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].buttons, platform::MessageButtons::OKCancel);
        bool baseViews = false;
        std::string why;
        EXPECT_FALSE(database::ProbeDatabase(inUse, baseViews, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(boxes.Seen()[0].detail, why);
        EXPECT_FALSE(form.isVisible());
    }
}

TEST_F(Browser, OkThenAWorkingStringInTheDialogOpensWithoutASecondPrompt) {
    testing::StoreConnection("Provider=SQLite;Data Source=" + db_.File("missing.sqlite"));
    const std::string good = db_.ConnectionString();
    MessageBoxRecorder boxes([&good](const platform::MessageBoxRequest&) {
        testing::WhenModal<connection_dialog::frmODBC>([&good](connection_dialog::frmODBC& dialog) {
            dialog.txtODBC()->setPlainText(QString::fromStdString(good));
            dialog.cmdSave()->click();
        });
        return MessageResult::OK;
    });
    frmMain form(kVersion);
    ASSERT_TRUE(form.Load());
    EXPECT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(Global().connectionStringInUse, good);
    EXPECT_TRUE(Global().sharedConnection && Global().sharedConnection->IsOpen());
}

// The caption carries the version, the size is fixed, and the program's folder becomes the
// current directory and stays it. (The texts and places are the form's own constants.)
TEST_F(Browser, LoadedWindowHasItsCaptionAndTheProgramFolderAsCurrentDirectory) {
    platform::SetCurrentDirectory("/");
    auto form = LoadedWindow();
    EXPECT_EQ(form->windowTitle(), "Lumbrook 1.0.0");
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    EXPECT_EQ(platform::CurrentDirectory(), folder);
    form->close();
    form.reset();
    EXPECT_EQ(platform::CurrentDirectory(), folder);
}

TEST_F(Browser, PicturesAreSixteenSquareAndTransparentInTheMaskColour) {
    for (const char* key : kTreePictureKeys) {
        const QImage image = TreePicture(key).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16)) << key;
        EXPECT_EQ(image.pixelColor(15, 15).alpha(), 0) << key;  // a corner of mask colour
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                opaque += image.pixelColor(x, y).alpha() == 255;
        EXPECT_GT(opaque, 40) << key;
    }
}

// Esc and Cancel end the modal loop without a selection (the close box: ShowDataBrowser's
// close test; Enter on a focused button: Browse.SelectWithSelectedSpectra...).
TEST_F(Browser, EscAndCancelCloseWithoutASelection) {
    const std::function<void(frmMain&)> ways[] = {
        [](frmMain& form) { QTest::keyClick(&form, Qt::Key_Escape); },
        [](frmMain& form) { form.cmdExit()->click(); },
    };
    for (const auto& way : ways) {
        auto form = LoadedWindow();
        testing::WhenModal<frmMain>(way);
        form->exec();
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(Global().BrowserHandover.Accepted);
        EXPECT_EQ(Global().sharedConnection, nullptr);  // unloading closed it
    }
}

TEST_F(Browser, SharedConnectionThatFailsToOpenIsReportedAndTheWindowClosesUnseen) {
    // The file disappears after the probe has run its last command, so the probe succeeds
    // and the shared connection then cannot open it.
    testing::StoreConnection(db_.ConnectionString());
    const std::string file = db_.Path();
    database::Connection::SetCommandObserver([file](const std::string& text) {
        if (text.find("BASE_PEAK_VIEW") != std::string::npos)
            std::filesystem::remove(file);
    });
    MessageBoxRecorder boxes([](const platform::MessageBoxRequest&) { return MessageResult::OK; });
    frmMain form(kVersion);
    const bool loaded = form.Load();
    database::Connection::SetCommandObserver(nullptr);
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].text.find(file), std::string::npos) << boxes.Seen()[0].text;
    EXPECT_EQ(Global().sharedConnection, nullptr);
}

// Both windows leave their place to the window system: neither asks for a position of its
// own (the size hints carry no user- or program-specified position). Under X only.
TEST_F(Browser, WindowsArePlacedWhereTheWindowSystemPutsNewWindows) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X server";
    auto form = LoadedWindow();
    connection_dialog::frmODBC dialog;
    for (QWidget* window : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(&dialog)}) {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QProcess xprop;
        xprop.start("xprop", {"-id", QString::number(window->winId()), "WM_NORMAL_HINTS"});
        ASSERT_TRUE(xprop.waitForFinished(10000));
        const QString hints = QString::fromLocal8Bit(xprop.readAllStandardOutput());
        EXPECT_TRUE(hints.contains("minimum size")) << hints.toStdString();
        EXPECT_FALSE(hints.contains("specified location")) << hints.toStdString();
        window->close();
    }
}

// A second browser started while the first still loads brings forward the first's window
// that is visible at that moment, never the first's browser window before its load finished,
// and closes unseen without a message.
class SecondInstance : public Browser, public ::testing::WithParamInterface<std::string> {
  protected:
    // Reads the helper's lines until one equals `line`; false when it never comes.
    bool WaitForLine(QProcess& helper, const QByteArray& line, QByteArrayList& seen) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000) {
            while (helper.canReadLine()) {
                seen << helper.readLine().trimmed();
                if (seen.back() == line)
                    return true;
            }
            helper.waitForReadyRead(200);
        }
        return false;
    }
};

TEST_P(SecondInstance, BringsForwardTheWindowTheFirstShowsWhileLoading) {
    const std::string stage = GetParam();
    const char* windowClass =
        stage == "prompt" ? "QMessageBox" : "lumbrook::connection_dialog::frmODBC";
    QProcess first;
    first.start(QCoreApplication::applicationFilePath(),
                {"--first-instance", QString::fromStdString(platform::AppTitle()),
                 QString::fromStdString(stage)});
    ASSERT_TRUE(first.waitForStarted(5000));
    QByteArrayList seen;
    ASSERT_TRUE(WaitForLine(first, "ready", seen))
        << seen.join('|').toStdString() << first.readAllStandardError().toStdString();

    MessageBoxRecorder boxes([](const platform::MessageBoxRequest&) { return MessageResult::OK; });
    testing::StoreConnection(db_.ConnectionString());
    frmMain second(kVersion);
    EXPECT_FALSE(second.Load());
    EXPECT_FALSE(second.isVisible());
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(second.WhyNotShown(), "another data browser is open; it was brought forward");
    EXPECT_EQ(platform::AppTitle(), "unwanted instance");
    EXPECT_TRUE(WaitForLine(first, QByteArray("active ") + windowClass, seen))
        << seen.join('|').toStdString();
    QTest::qWait(300);  // time for a wrong window to appear
    seen << first.readAll().trimmed().split('\n');
    EXPECT_FALSE(seen.contains("browser shown")) << seen.join('|').toStdString();
    first.kill();
    first.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(WhileLoading, SecondInstance, ::testing::Values("prompt", "dialog"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace lumbrook::browser

namespace lumbrook::testing {

// A browser under the application title `title` with a database that does not exist, so
// that it stops at its connection prompt ("prompt") or, with OK answered, in its connection
// dialog ("dialog"). Once that window is up it shows and activates another window in front
// of it (a window of the modal one, which its modality does not block), prints "ready", and
// from then on prints "active CLASS" each time another window becomes the active one, and
// "browser shown" should the browser window ever become visible.
int RunFirstInstance(const std::string& title, const std::string& stage) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line reaches the test as it is printed
    platform::SetAppTitle(title);
    StoreConnection("Provider=SQLite;Data Source=" + ScratchFolder() + "/missing.sqlite");
    std::optional<MessageBoxRecorder> okToPrompt;
    if (stage == "dialog")
        okToPrompt.emplace(
            [](const platform::MessageBoxRequest&) { return platform::MessageResult::OK; });

    browser::frmMain form(platform::Version{1, 0, 0});
    QWidget* decoy = nullptr;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&form, &decoy] {
        static bool ready = false;
        static QWidget* lastActive = nullptr;
        static bool browserShown = false;
        if (!ready) {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible())
                return;
            if (decoy == nullptr) {
                decoy = new QWidget(modal, Qt::Window);
                decoy->setWindowTitle("decoy");
                decoy->setGeometry(modal->geometry().translated(40, 40));
                decoy->show();
            }
            decoy->raise();
            decoy->activateWindow();
            if (QApplication::activeWindow() != decoy)
                return;
            ready = true;
            lastActive = decoy;
            std::puts("ready");
            return;
        }
        QWidget* active = QApplication::activeWindow();
        if (active != lastActive && active != nullptr) {
            lastActive = active;
            std::printf("active %s\n", active->metaObject()->className());
        }
        if (form.isVisible() && !browserShown) {
            browserShown = true;
            std::puts("browser shown");
        }
    });
    watch.start();
    form.Load();  // runs the prompt's and the dialog's modal loops until the process ends
    return 0;
}

}  // namespace lumbrook::testing
