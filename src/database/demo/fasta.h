// FASTA text: ">name description" lines, each followed by its sequence lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumbrook::database::demo {

struct Protein {
    std::string name;         // the first word after ">"
    std::string description;  // the rest of the header line
    std::string sequence;     // one-letter codes, upper case, without blanks
};

// Reads every entry. Blank lines and ";" comment lines are skipped; sequence letters are
// taken in upper case. std::invalid_argument, naming the line, for sequence text before
// the first header or a character that is not a residue letter.
std::vector<Protein> ParseFasta(std::string_view text);

}  // namespace lumbrook::database::demo
