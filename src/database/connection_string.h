// Connection strings in the OLE DB form: `key=value` pairs separated by ";", keys without
// regard to the case of ASCII letters.
//
// One escaping rule serves both directions. A value is written plain when the reader gives
// it back unchanged; otherwise it is enclosed, in double quotes (OLE DB) or in braces (ODBC),
// and the closing character inside it is doubled. The reader takes a value that starts with
// '"', '\'' or '{' as enclosed up to the matching lone closing character, a doubled one
// standing for one; any other value runs to the next ";", blanks around it removed.
// ValueText writes by this rule and ConnectionString::Parse reads by it, so whatever the
// connection dialog builds reads back as the values it was built from.
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
        std::string value;  // quotes or braces removed, doubled closing characters made single
        std::string text;   // the pair exactly as written, for passing on unchanged
    };

    // Splits `text` into its pairs. Empty pairs (";;", a trailing ";") are skipped.
    // DatabaseError when a pair has no "=" or no key, an enclosed value is not closed, or
    // text other than blanks follows an enclosed value before the next ";".
    static ConnectionString Parse(std::string_view text);

    // The value of the first pair whose key equals `key` without regard to case.
    std::optional<std::string> Get(std::string_view key) const;

    // The pairs as written, except those whose key equals `key`, joined with ";".
    std::string TextWithout(std::string_view key) const;

    const std::vector<Pair>& Pairs() const { return pairs_; }

  private:
    std::vector<Pair> pairs_;
};

// `text` for showing to people: the value of every Password or Pwd pair (keys read as Parse
// reads them) and every value that itself holds such a key (an option string such as
// pqopt={password=...}) written as "***", the other pairs as written, joined with ";". A
// text that Parse refuses is shown up to the first place where a password key may begin,
// then "***".
std::string MaskedText(std::string_view text);

// How ValueText encloses a value: OLE DB's double quotes or ODBC's braces. The part of a
// connection string that goes to the ODBC driver manager uses braces, the rest quotes.
enum class ValueQuoting { DoubleQuotes, Braces };

// Whether ValueText encloses only the values that need it, or every value (ODBC writes driver
// names in braces whatever they hold).
enum class Enclose { WhenNeeded, Always };

// The text of `value` on the right of a "key=", by the rule above: plain when Parse reads it
// back unchanged, otherwise enclosed by `quoting`. Besides what Parse requires (no ";", no
// blank at either end, no opening quote or brace in front), a value is also enclosed when it
// holds "=" or a character of its own enclosing (a quote for DoubleQuotes, a brace for
// Braces), to be safe with the other programs that read the string: the ODBC driver manager
// and the drivers behind it.
std::string ValueText(std::string_view value, ValueQuoting quoting,
                      Enclose enclose = Enclose::WhenNeeded);

}  // namespace lumbrook::database
