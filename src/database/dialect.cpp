#include "database/dialect.h"

#include <cctype>

#include "platform/base/ascii_case.h"

namespace lumbrook::database {
namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A character an Oracle identifier may hold: a keyword that follows one is part of a longer
// name ("MY_ROWNUM"), not the keyword.
bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' || c == '#';
}

// Reads the text backwards from `end`, one token at a time.
class BackwardReader {
  public:
    BackwardReader(std::string_view text, std::size_t end) : text_(text), pos_(end) {}

    std::size_t Position() const { return pos_; }
    // Skips blanks; returns how many were skipped.
    std::size_t SkipBlanks() {
        const std::size_t before = pos_;
        while (pos_ > 0 && IsBlank(text_[pos_ - 1]))
            --pos_;
        return before - pos_;
    }
    // Takes the digits before the position; empty when there are none.
    std::string_view Digits() {
        const std::size_t end = pos_;
        while (pos_ > 0 && std::isdigit(static_cast<unsigned char>(text_[pos_ - 1])))
            --pos_;
        return text_.substr(pos_, end - pos_);
    }
    // Takes `token` (without regard to case) if it stands right before the position.
    bool Take(std::string_view token) {
        if (pos_ < token.size() || !platform::EqualsIgnoringAsciiCase(
                                       text_.substr(pos_ - token.size(), token.size()), token))
            return false;
        pos_ -= token.size();
        return true;
    }
    // Takes a whole word equal to `word`: it must not continue an identifier on its left.
    bool TakeWord(std::string_view word) {
        const std::size_t before = pos_;
        if (!Take(word))
            return false;
        if (pos_ > 0 && IsWordChar(text_[pos_ - 1])) {
            pos_ = before;
            return false;
        }
        return true;
    }

  private:
    std::string_view text_;
    std::size_t pos_;
};

}  // namespace

std::string RewriteRownumLimit(std::string_view sql) {
    BackwardReader reader(sql, sql.size());
    reader.SkipBlanks();
    const std::string_view count = reader.Digits();
    if (count.empty())
        return std::string(sql);
    reader.SkipBlanks();
    if (!reader.Take("<="))
        return std::string(sql);
    reader.SkipBlanks();
    if (!reader.TakeWord("ROWNUM"))
        return std::string(sql);
    if (reader.SkipBlanks() == 0)
        return std::string(sql);
    if (!reader.TakeWord("WHERE"))
        return std::string(sql);
    const std::size_t whereStart = reader.Position();
    // The text before WHERE keeps its own blanks ("... FOLDER_OBJECT LIMIT 1").
    std::string rewritten(sql.substr(0, whereStart));
    if (!rewritten.empty() && !IsBlank(rewritten.back()))
        rewritten += ' ';
    rewritten += "LIMIT ";
    rewritten += count;
    return rewritten;
}

}  // namespace lumbrook::database
