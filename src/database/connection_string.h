// Connection strings in the OLE DB form: `key=value` pairs separated by ";", keys without
// regard to letter case, values optionally quoted with '"' or "'".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrook::database {

class ConnectionString {
  public:
    struct Pair {
        std::string key;    // as written, blanks around it removed
        std::string value;  // quotes removed, doubled quotes made single
        std::string text;   // the pair exactly as written, for passing on unchanged
    };

    // Splits `text` into its pairs. Empty pairs (";;", a trailing ";") are skipped. A
    // value may also be enclosed in braces, as ODBC writes driver names; the braces stay
    // part of the value. DatabaseError when a pair has no "=" or a quote is not closed.
    static ConnectionString Parse(std::string_view text);

    // The value of the first pair whose key equals `key` without regard to case.
    std::optional<std::string> Get(std::string_view key) const;

    // The pairs as written, except those whose key equals `key`, joined with ";".
    std::string TextWithout(std::string_view key) const;

    const std::vector<Pair>& Pairs() const { return pairs_; }

  private:
    std::vector<Pair> pairs_;
};

// True when the two keys are equal without regard to ASCII letter case.
bool KeysEqual(std::string_view a, std::string_view b);

}  // namespace lumbrook::database
