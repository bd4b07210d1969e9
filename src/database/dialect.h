// The one place where the program's SQL, written for Oracle, meets other servers.
#pragma once

#include <string>
#include <string_view>

namespace lumbrook::database {

// Rewrites a trailing "WHERE ROWNUM <= n" (keywords in any case, any blanks between the
// words, blanks after n) into "LIMIT n", the form SQLite and PostgreSQL understand. Any
// other text, this form anywhere but at the end included, comes back unchanged.
std::string RewriteRownumLimit(std::string_view sql);

}  // namespace lumbrook::database
