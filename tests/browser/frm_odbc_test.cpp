#include "connection_dialog/frm_odbc.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <set>

#include "connection_dialog/connection_builder.h"
#include "fixture.h"
#include "global/process_state.h"
#include "platform/app/app.h"
#include "settings/preferences.h"
#include "settings/settings_store.h"

namespace lumbrook::connection_dialog {
namespace {

std::string StoredConnection() {
    const auto value =
        settings::ReadSetting(settings::kAppName, settings::kSection, settings::kODBCConnect);
    return settings::IsEmpty(value) ? "<nothing>" : settings::ToText(value);
}

// The widget that Tab moves to from `widget`, skipping those that take no focus.
const QWidget* NextTabStop(const QWidget* widget) {
    const QWidget* next = widget->nextInFocusChain();
    while (next != nullptr && next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    return next;
}

class ConnectionDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        Global().connectionStringInUse = "Provider=SQLite;Data Source=/old/path.sqlite";
    }

    const testing::ScopedConfigHome config_;
    const testing::FixtureDatabase db_{testing::BrowseRows()};
};

// "Restore default", pressed with Enter as the focused button, puts the default string in
// the text; saving a string is the Enter test's, and the default string reaching its data
// source the database layer's. (The texts and sizes are the dialog's own constants.)
TEST_F(ConnectionDialog, TabOrderAndRestoreDefault) {
    frmODBC dialog;
    dialog.Load();
    const QWidget* order[] = {dialog.cmdSave(), dialog.cmdCancel(), dialog.cmdChange(),
                              dialog.cmdRestore(), dialog.txtODBC()};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(NextTabStop(order[i]), order[i + 1]) << i;
    dialog.cmdRestore()->setFocus();
    QTest::keyClick(dialog.cmdRestore(), Qt::Key_Return);
    EXPECT_EQ(dialog.txtODBC()->toPlainText().toStdString(), settings::kDefaultConnectionString);
}

// Cancel and Esc, which is the Cancel button, restore the string in use; the close box is not
// Cancel: the string stays empty.
TEST_F(ConnectionDialog, LoadEmptiesTheStringInUseAndCancelRestoresItExactly) {
    const std::string before = Global().connectionStringInUse;
    const std::pair<std::function<void(frmODBC&)>, std::string> ways[] = {
        {[](frmODBC& d) { d.cmdCancel()->click(); }, before},
        {[](frmODBC& d) { QTest::keyClick(&d, Qt::Key_Escape); }, before},
        {[](frmODBC& d) { d.close(); }, ""},
    };
    for (const auto& [way, after] : ways) {
        frmODBC dialog;
        dialog.Load();
        EXPECT_EQ(dialog.txtODBC()->toPlainText().toStdString(), before);
        EXPECT_EQ(Global().connectionStringInUse, "");
        testing::WhenModal<frmODBC>(way);
        dialog.exec();
        EXPECT_EQ(Global().connectionStringInUse, after);
    }
    EXPECT_EQ(StoredConnection(), "<nothing>");
}

// Enter in the text box presses the default button, as Ctrl+Enter starts a new line; a string
// that fails the check keeps the dialog open; Save takes line breaks, tabs and spaces off
// both ends, never from inside, and leaves the caret on the character it was at.
TEST_F(ConnectionDialog, EnterPressesSaveWhichChecksAndTrimsAndCtrlEnterStartsALine) {
    const std::string good = db_.ConnectionString();
    frmODBC dialog;
    dialog.Load();
    testing::WhenModal<frmODBC>([&](frmODBC& d) {
        QPlainTextEdit* text = d.txtODBC();
        text->setPlainText("  Provider=SQLite;");
        text->setFocus();
        text->moveCursor(QTextCursor::End);
        QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(text, "Data Source=missing.db");
        EXPECT_EQ(text->toPlainText(), "  Provider=SQLite;\nData Source=missing.db");
        QTextCursor caret = text->textCursor();
        caret.setPosition(5);  // after "Pro"
        text->setTextCursor(caret);
        QTest::keyClick(text, Qt::Key_Return);  // Save: the check fails, the dialog stays
        EXPECT_TRUE(d.isVisible());             // showing the string trimmed
        EXPECT_EQ(text->toPlainText(), "Provider=SQLite;\nData Source=missing.db");
        EXPECT_EQ(text->textCursor().position(), 3);
        EXPECT_EQ(StoredConnection(), "<nothing>");  // and nothing is stored or used
        EXPECT_EQ(Global().connectionStringInUse, "");

        text->setPlainText(QString::fromStdString("\t\r\n " + good + " \n\t"));
        QTest::keyClick(text, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_FALSE(d.isVisible());
        if (d.isVisible())
            d.close();
    });
    dialog.exec();
    EXPECT_EQ(StoredConnection(), good);
    EXPECT_EQ(Global().connectionStringInUse, good);
}

// The file chooser starts in the folder the program was started in; the file chosen shows
// from the start of its path, and the focus goes to OK.
TEST_F(ConnectionDialog, FileChooserStartsInTheFolderTheProgramWasStartedIn) {
    // As the browser does on loading: the program's folder becomes the current directory.
    const std::string start = platform::StartDirectory();
    platform::SetCurrentDirectory("/");
    ConnectionBuilder builder;
    QString shownFolder;
    const QString chosen = QString::fromStdString(db_.Path());
    testing::WhenModal<QFileDialog>([&shownFolder, &chosen](QFileDialog& chooser) {
        shownFolder = chooser.directory().absolutePath();
        chooser.selectFile(chosen);
        static_cast<QDialog&>(chooser).accept();
    });
    builder.findChild<QPushButton*>("browse")->click();
    EXPECT_EQ(shownFolder.toStdString(), start);
    const auto* file = builder.findChild<QLineEdit*>("file");
    EXPECT_EQ(file->text(), chosen);
    EXPECT_EQ(file->cursorPosition(), 0);
    const auto* ok = qobject_cast<QPushButton*>(builder.focusWidget());
    EXPECT_TRUE(ok != nullptr && ok->text().remove('&') == "OK");
    platform::SetCurrentDirectory(start);
}

// Each kind of connection shows the fields its string is made of, each with its label, the
// fields in one column: an SQLite file has no user or password.
TEST_F(ConnectionDialog, BuilderShowsTheLabelledFieldsOfEachKindAligned) {
    const char* const shown[] = {"Connect to:|File:", "Connect to:|Data source:|User:|Password:",
                                 "Connect to:|Driver:|Server:|Port:|Database:|User:|Password:",
                                 "Connect to:|Data source:|User:|Password:"};
    ConnectionBuilder builder;
    builder.show();
    for (int kind = 0; kind < 4; ++kind) {
        builder.findChild<QComboBox*>("kind")->setCurrentIndex(kind);
        QStringList labels;
        std::set<int> fieldsLeft;
        for (const QLabel* label : builder.findChildren<QLabel*>()) {
            if (label->isVisible() && label->buddy() != nullptr) {
                labels << label->text();
                fieldsLeft.insert(label->buddy()->mapTo(&builder, QPoint()).x());
            }
        }
        EXPECT_EQ(labels.join('|'), shown[kind]);
        EXPECT_EQ(fieldsLeft.size(), 1u) << kind;
    }
}

// A cancelled builder, or one accepted with nothing filled in, leaves the text alone; one
// accepted with a choice puts the string it composed in the text.
TEST_F(ConnectionDialog, BuilderFillsTheTextWithTheStringItComposedOrLeavesItAlone) {
    frmODBC dialog;
    dialog.Load();
    const QString before = dialog.txtODBC()->toPlainText();
    const std::string path = db_.Path();
    testing::WhenModal<frmODBC>([&](frmODBC& d) {
        for (const auto leave : {&ConnectionBuilder::reject, &ConnectionBuilder::accept}) {
            testing::WhenModal<ConnectionBuilder>([leave](ConnectionBuilder& b) { (b.*leave)(); });
            d.cmdChange()->click();
            EXPECT_EQ(d.txtODBC()->toPlainText(), before);
        }

        testing::WhenModal<ConnectionBuilder>([path](ConnectionBuilder& b) {
            b.findChild<QLineEdit*>("file")->setText(QString::fromStdString(path));
            b.accept();
        });
        d.cmdChange()->click();
        EXPECT_EQ(d.txtODBC()->toPlainText().toStdString(),
                  "Provider=SQLite;Data Source=" + path + ";");
        testing::WhenModal<ConnectionBuilder>([](ConnectionBuilder& b) {
            b.findChild<QComboBox*>("kind")->setCurrentIndex(3);
            b.findChild<QLineEdit*>("oracleService")->setText("LABDB");
            b.findChild<QLineEdit*>("user")->setText("reader");
            b.findChild<QLineEdit*>("password")->setText("p;w");
            b.accept();
        });
        d.cmdChange()->click();
        EXPECT_EQ(d.txtODBC()->toPlainText().toStdString(),
                  "Provider=OraOLEDB.Oracle.1;User ID=reader;Password=\"p;w\";Data Source=LABDB;");
        d.close();
    });
    dialog.exec();
}

}  // namespace
}  // namespace lumbrook::connection_dialog
