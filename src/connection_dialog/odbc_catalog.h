// The data sources and drivers that the ODBC driver manager knows, for the connection
// builder's lists.
#pragma once

#include <string>
#include <vector>

namespace lumbrook::connection_dialog {

// Names of the user and system data sources, in the driver manager's order; empty when
// there are none or the driver manager cannot be asked.
std::vector<std::string> OdbcDataSourceNames();

// Names of the installed drivers; empty when there are none or on any failure.
std::vector<std::string> OdbcDriverNames();

}  // namespace lumbrook::connection_dialog
