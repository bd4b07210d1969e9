#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include "platform/app/app.h"
#include "platform/ui/application.h"
#include "platform/ui/busy_pointer.h"
#include "platform/ui/message_box.h"
#include "platform/ui/twips.h"

namespace lumbrook::platform {
namespace {

TEST(Twips, FifteenTwipsAPixelAtNinetySixDotsPerInch) {
    EXPECT_EQ(TwipsToPixels(5600, 96), 373);   // 373.33
    EXPECT_EQ(TwipsToPixels(10, 96), 1);       // 0.67: rounded, not cut
    EXPECT_EQ(TwipsToPixels(1440, 144), 144);  // scaled by the screen's logical resolution
    EXPECT_EQ(TwipsToPixelsX(1440),
              std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
}

TEST(BusyPointer, PutsBackWhatWasThereBefore) {
    EXPECT_FALSE(BusyPointerShown());
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    {
        BusyPointer outer;
        EXPECT_TRUE(BusyPointerShown());
        {
            BusyPointer inner;
            EXPECT_TRUE(BusyPointerShown());
        }
        EXPECT_TRUE(BusyPointerShown());
    }
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Each box is read and answered while it is open.
TEST(MessageBox, RealBoxHasTitleTextButtonsAndNoIcon) {
    SetAppTitle("Lumbrook");
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Lumbrook");  // the application title by default
        EXPECT_EQ(box->text(), "line one\r\nline two");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->buttons().size(), 2);
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(ShowMessageBox("line one\r\nline two", MessageButtons::OKCancel),
              MessageResult::Cancel);

    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Own title");
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(ShowMessageBox("text", MessageButtons::OKCancel, "Own title"), MessageResult::OK);
}

}  // namespace
}  // namespace lumbrook::platform

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The widgets are driven under the offscreen platform, also when tests are listed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string whyNot;
    if (!lumbrook::platform::StartApplication(whyNot)) {
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return 1;
    }
    return RUN_ALL_TESTS();
}
