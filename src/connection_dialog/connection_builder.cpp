#include "connection_dialog/connection_builder.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "connection_dialog/connection_choice.h"
#include "connection_dialog/odbc_catalog.h"
#include "platform/app/app.h"

namespace lumbrook::connection_dialog {
namespace {

// UTF-8 text for a widget.
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A name typed into a field, as UTF-8 without the blanks a paste leaves at either end.
std::string S(const QString& text) {
    return text.trimmed().toStdString();
}

}  // namespace

ConnectionBuilder::ConnectionBuilder(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Build connection string");
    setObjectName("ConnectionBuilder");

    kind_ = new QComboBox(this);
    kind_->setObjectName("kind");
    kind_->addItem("SQLite database file");
    kind_->addItem("ODBC data source");
    kind_->addItem("ODBC driver");
    kind_->addItem("Oracle data source");

    // The file field and its button share one row of the form.
    fileRow_ = new QWidget(this);
    file_ = new QLineEdit(fileRow_);
    file_->setObjectName("file");
    auto* browse = new QPushButton("Browse ...", fileRow_);
    browse->setObjectName("browse");
    auto* fileLayout = new QHBoxLayout(fileRow_);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    fileLayout->addWidget(file_);
    fileLayout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, &ConnectionBuilder::ChooseFile);

    dataSource_ = new QComboBox(this);
    dataSource_->setObjectName("dataSource");
    dataSource_->setEditable(true);
    for (const std::string& name : OdbcDataSourceNames())
        dataSource_->addItem(Q(name));
    driver_ = new QComboBox(this);
    driver_->setObjectName("driver");
    driver_->setEditable(true);
    for (const std::string& name : OdbcDriverNames())
        driver_->addItem(Q(name));
    const auto lineEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        return edit;
    };
    server_ = lineEdit("server");
    port_ = lineEdit("port");
    database_ = lineEdit("database");
    oracleService_ = lineEdit("oracleService");
    user_ = lineEdit("user");
    password_ = lineEdit("password");
    password_->setEchoMode(QLineEdit::Password);

    // One form for every kind, so that its labels share one column; each kind shows the rows
    // its connection string is made of (ShowRowsOfKind).
    form_ = new QFormLayout();
    form_->addRow("Connect to:", kind_);
    form_->addRow("File:", fileRow_);
    form_->addRow("Data source:", dataSource_);
    form_->addRow("Driver:", driver_);
    form_->addRow("Server:", server_);
    form_->addRow("Port:", port_);
    form_->addRow("Database:", database_);
    form_->addRow("Data source:", oracleService_);
    form_->addRow("User:", user_);
    form_->addRow("Password:", password_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(kind_, &QComboBox::currentIndexChanged, this, &ConnectionBuilder::ShowRowsOfKind);
    ShowRowsOfKind();
}

void ConnectionBuilder::ShowRowsOfKind() {
    using enum ConnectionKind;
    const auto kind = static_cast<ConnectionKind>(kind_->currentIndex());
    const std::pair<QWidget*, bool> rows[] = {
        {fileRow_, kind == SqliteFile},
        {dataSource_, kind == OdbcDataSource},
        {driver_, kind == OdbcDriver},
        {server_, kind == OdbcDriver},
        {port_, kind == OdbcDriver},
        {database_, kind == OdbcDriver},
        {oracleService_, kind == OracleService},
        // An SQLite file has no login: the string would drop a user and password.
        {user_, kind != SqliteFile},
        {password_, kind != SqliteFile},
    };
    for (const auto& [field, shown] : rows)
        form_->setRowVisible(field, shown);
}

void ConnectionBuilder::ChooseFile() {
    // The browser has made the program's folder the current directory; the user thinks in
    // the folder lumbrook was started in.
    const QString start = QString::fromStdString(platform::StartDirectory());
    const QString typed = file_->text();
    const QString path = QFileDialog::getOpenFileName(
        this, "SQLite database file", typed.isEmpty() ? start : QDir(start).filePath(typed),
        "Databases (*.sqlite *.db);;All files (*)");
    if (path.isEmpty())
        return;
    // The start of the path tells the file apart as well as its end, and the folders the
    // user went through are there; with the file chosen, Enter accepts it.
    file_->setText(path);
    file_->setCursorPosition(0);
    ok_->setFocus(Qt::OtherFocusReason);
}

std::string ConnectionBuilder::ConnectionString() const {
    ConnectionChoice choice;
    choice.kind = static_cast<ConnectionKind>(kind_->currentIndex());
    // Paths and passwords are taken as typed; only names are trimmed.
    choice.file = file_->text().toStdString();
    choice.dataSource = choice.kind == ConnectionKind::OracleService
                            ? S(oracleService_->text())
                            : S(dataSource_->currentText());
    choice.driver = S(driver_->currentText());
    choice.server = S(server_->text());
    choice.port = S(port_->text());
    choice.database = S(database_->text());
    choice.user = S(user_->text());
    choice.password = password_->text().toStdString();
    return BuildConnectionString(choice);
}

std::string ConnectionBuilder::Prompt(QWidget* parent) {
    ConnectionBuilder builder(parent);
    if (builder.exec() != QDialog::Accepted)
        return {};
    return builder.ConnectionString();
}

}  // namespace lumbrook::connection_dialog
