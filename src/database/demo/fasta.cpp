#include "database/demo/fasta.h"

#include <cctype>
#include <stdexcept>

namespace lumbrook::database::demo {

std::vector<Protein> ParseFasta(std::string_view text) {
    std::vector<Protein> proteins;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '>') {
            line.remove_prefix(1);
            const std::size_t blank = line.find_first_of(" \t");
            Protein protein;
            protein.name = std::string(line.substr(0, blank));
            if (blank != std::string_view::npos)
                protein.description =
                    std::string(line.substr(line.find_first_not_of(" \t", blank)));
            proteins.push_back(std::move(protein));
            continue;
        }
        if (proteins.empty()) {
            throw std::invalid_argument("FASTA line " + std::to_string(lineNumber) +
                                        ": sequence before the first \">\" header");
        }
        for (char c : line) {
            if (c == ' ' || c == '\t')
                continue;
            if (!std::isalpha(static_cast<unsigned char>(c)) && c != '*') {
                throw std::invalid_argument("FASTA line " + std::to_string(lineNumber) + ": '" +
                                            std::string(1, c) + "' is not a residue");
            }
            if (c != '*')  // a stop sign ends a translated sequence; it is no residue
                proteins.back().sequence +=
                    static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return proteins;
}

}  // namespace lumbrook::database::demo
