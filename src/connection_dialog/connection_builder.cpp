#include "connection_dialog/connection_builder.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
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

    pages_ = new QStackedWidget(this);

    auto* filePage = new QWidget(pages_);
    file_ = new QLineEdit(filePage);
    file_->setObjectName("file");
    auto* browse = new QPushButton("Browse ...", filePage);
    browse->setObjectName("browse");
    auto* fileRow = new QHBoxLayout(filePage);
    fileRow->addWidget(file_);
    fileRow->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, &ConnectionBuilder::ChooseFile);

    auto* dsnPage = new QWidget(pages_);
    dataSource_ = new QComboBox(dsnPage);
    dataSource_->setObjectName("dataSource");
    dataSource_->setEditable(true);
    for (const std::string& name : OdbcDataSourceNames())
        dataSource_->addItem(Q(name));
    auto* dsnForm = new QFormLayout(dsnPage);
    dsnForm->addRow("Data source:", dataSource_);

    auto* driverPage = new QWidget(pages_);
    driver_ = new QComboBox(driverPage);
    driver_->setObjectName("driver");
    driver_->setEditable(true);
    for (const std::string& name : OdbcDriverNames())
        driver_->addItem(Q(name));
    server_ = new QLineEdit(driverPage);
    server_->setObjectName("server");
    port_ = new QLineEdit(driverPage);
    port_->setObjectName("port");
    database_ = new QLineEdit(driverPage);
    database_->setObjectName("database");
    auto* driverForm = new QFormLayout(driverPage);
    driverForm->addRow("Driver:", driver_);
    driverForm->addRow("Server:", server_);
    driverForm->addRow("Port:", port_);
    driverForm->addRow("Database:", database_);

    auto* oraclePage = new QWidget(pages_);
    oracleService_ = new QLineEdit(oraclePage);
    oracleService_->setObjectName("oracleService");
    auto* oracleForm = new QFormLayout(oraclePage);
    oracleForm->addRow("Data source:", oracleService_);

    pages_->addWidget(filePage);
    pages_->addWidget(dsnPage);
    pages_->addWidget(driverPage);
    pages_->addWidget(oraclePage);
    connect(kind_, &QComboBox::currentIndexChanged, pages_, &QStackedWidget::setCurrentIndex);

    user_ = new QLineEdit(this);
    user_->setObjectName("user");
    password_ = new QLineEdit(this);
    password_->setObjectName("password");
    password_->setEchoMode(QLineEdit::Password);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout();
    form->addRow("Connect to:", kind_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(pages_);
    auto* login = new QFormLayout();
    login->addRow("User:", user_);
    login->addRow("Password:", password_);
    layout->addLayout(login);
    layout->addWidget(buttons);
}

void ConnectionBuilder::ChooseFile() {
    // The browser has made the program's folder the current directory; the user thinks in
    // the folder lumbrook was started in.
    const QString start = QString::fromStdString(platform::StartDirectory());
    const QString typed = file_->text();
    const QString path = QFileDialog::getOpenFileName(
        this, "SQLite database file", typed.isEmpty() ? start : QDir(start).filePath(typed),
        "Databases (*.sqlite *.db);;All files (*)");
    if (!path.isEmpty())
        file_->setText(path);
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
