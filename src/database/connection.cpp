#include "database/connection.h"

#include <utility>

#include "database/database_error.h"
#include "database/dialect.h"
#include "database/provider.h"

namespace lumbrook::database {
namespace {

// The observer SetCommandObserver installed, shared by every connection of the process.
std::function<void(const std::string&)>& CommandObserver() {
    static std::function<void(const std::string&)> observer;
    return observer;
}

}  // namespace

Connection::Connection() = default;

// The provider's destructor closes an open session without raising.
Connection::~Connection() = default;

void Connection::Open(const std::string& connectionString, const std::string& userId,
                      const std::string& password) {
    if (provider_)
        throw DatabaseError("The connection is already open");
    provider_ = OpenProvider(connectionString, userId, password);
    sourceName_ = SourceNameOf(connectionString);
}

bool Connection::IsOpen() const {
    return provider_ != nullptr;
}

void Connection::Close() {
    if (!provider_)
        throw DatabaseError("The connection is not open");
    // Closed afterwards whatever Close reports, so the object can be opened again.
    std::unique_ptr<Provider> provider = std::move(provider_);
    sourceName_.clear();
    provider->Close();
}

Recordset Connection::Execute(const std::string& commandText, int timeoutSeconds) {
    if (!provider_)
        throw DatabaseError("The connection is not open");
    const std::string text = provider_->IsOracle() ? commandText : RewriteRownumLimit(commandText);
    if (CommandObserver())
        CommandObserver()(text);
    return provider_->Execute(text, timeoutSeconds);
}

std::optional<FileIdentity> Connection::DatabaseFile() const {
    return provider_ ? provider_->DatabaseFile() : std::nullopt;
}

void Connection::SetInterruptCheck(std::function<bool()> check) {
    if (provider_)
        provider_->SetInterruptCheck(std::move(check));
}

void Connection::SetCommandObserver(std::function<void(const std::string&)> observer) {
    CommandObserver() = std::move(observer);
}

}  // namespace lumbrook::database
