// The connection builder: a small dialog that composes a connection string from an SQLite
// file, an ODBC data source, an ODBC driver with server and database, or an Oracle data
// source name, with user and password. The connection dialog's "ODBC Wizard ..." opens it.
#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;

namespace lumbrook::connection_dialog {

class ConnectionBuilder : public QDialog {
    Q_OBJECT

  public:
    explicit ConnectionBuilder(QWidget* parent = nullptr);

    // The string the fields describe now; empty when a required field is empty.
    std::string ConnectionString() const;

    // Shows the builder modally. The composed string when the user pressed OK, otherwise
    // (cancelled, closed, or nothing usable entered) the empty string.
    static std::string Prompt(QWidget* parent);

  private:
    // Lets the user pick the database file, starting from what is typed in the file field;
    // a cancelled pick leaves the field as it was, a file picked puts the focus on OK.
    void ChooseFile();
    // Shows the rows of the form that the chosen kind of connection uses, and hides the rest.
    void ShowRowsOfKind();

    QComboBox* kind_;
    QFormLayout* form_;
    QWidget* fileRow_;  // the file field and its Browse button
    QLineEdit* file_;
    QComboBox* dataSource_;
    QComboBox* driver_;
    QLineEdit* server_;
    QLineEdit* port_;
    QLineEdit* database_;
    QLineEdit* oracleService_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* ok_;
};

}  // namespace lumbrook::connection_dialog
