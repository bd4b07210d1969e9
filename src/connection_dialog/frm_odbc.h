// frmODBC: the connection dialog. It edits the process-wide connection string in use: the
// user types a string, restores the default or builds one, and Save stores it as the
// "ODBCConnect" preference once the connection check accepts it.
#pragma once

#include <QDialog>
#include <string>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace lumbrook::connection_dialog {

class frmODBC : public QDialog {
    Q_OBJECT

  public:
    explicit frmODBC(QWidget* parent = nullptr);

    // Load: shows the connection string in use in txtODBC, keeps it as the saved string and
    // empties the string in use until Cancel restores it or Save replaces it.
    void Load();

    // The controls, for tests that drive the dialog as a person would.
    QPlainTextEdit* txtODBC() const { return txtODBC_; }
    QPushButton* cmdRestore() const { return cmdRestore_; }
    QPushButton* cmdChange() const { return cmdChange_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }
    QPushButton* cmdSave() const { return cmdSave_; }
    QGroupBox* frame() const { return frame_; }

  protected:
    // Leaves the dialog where the window system puts new windows: QDialog would centre it,
    // which gives it a position of its own.
    void showEvent(QShowEvent* event) override;
    // Esc presses Cancel, so that the string in use is put back.
    void keyPressEvent(QKeyEvent* event) override;
    // Enter in the text box presses Save; Ctrl+Enter starts a new line there.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The buttons. Cancel puts the string in use back as Load found it and closes.
    // RestoreDefault and Change only replace the text (Change with what the connection
    // builder composes, when it composes anything); nothing is stored until Save.
    void Cancel();
    void RestoreDefault();
    void Change();
    // Trims the text and checks the connection. When the check accepts it, stores it as the
    // "ODBCConnect" preference and as the string in use and closes; otherwise the dialog
    // stays open with the trimmed text and no message.
    void Save();

    QGroupBox* frame_;
    QPlainTextEdit* txtODBC_;
    QPushButton* cmdRestore_;
    QPushButton* cmdChange_;
    QPushButton* cmdCancel_;
    QPushButton* cmdSave_;
    std::string savedString_;  // the connection string in use when the dialog loaded
};

}  // namespace lumbrook::connection_dialog
