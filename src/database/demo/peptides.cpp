#include "database/demo/peptides.h"

namespace lumbrook::database::demo {

double ResidueMass(char code) {
    switch (code) {
        case 'G':
            return 57.02146372;
        case 'A':
            return 71.03711379;
        case 'S':
            return 87.03202841;
        case 'P':
            return 97.05276385;
        case 'V':
            return 99.06841391;
        case 'T':
            return 101.04767847;
        case 'C':
            return 103.00918478;
        case 'L':
            return 113.08406398;
        case 'I':
            return 113.08406398;
        case 'N':
            return 114.04292744;
        case 'D':
            return 115.02694303;
        case 'Q':
            return 128.05857751;
        case 'K':
            return 128.09496302;
        case 'E':
            return 129.04259309;
        case 'M':
            return 131.04048491;
        case 'H':
            return 137.05891186;
        case 'F':
            return 147.06841391;
        case 'R':
            return 156.10111103;
        case 'Y':
            return 163.06332853;
        case 'W':
            return 186.07931295;
        default:
            return 0;
    }
}

std::vector<std::string> TrypticDigest(std::string_view sequence) {
    std::vector<std::string> peptides;
    std::size_t start = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        const bool cleave = (sequence[i] == 'K' || sequence[i] == 'R') &&
                            (i + 1 == sequence.size() || sequence[i + 1] != 'P');
        if (cleave || i + 1 == sequence.size()) {
            peptides.emplace_back(sequence.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    return peptides;
}

double ProtonatedMass(std::string_view peptide) {
    double mass = kWaterMass + kProtonMass;
    for (char code : peptide) {
        const double residue = ResidueMass(code);
        if (residue == 0)
            return 0;
        mass += residue;
    }
    return mass;
}

std::vector<Fragment> FragmentIons(std::string_view peptide) {
    std::vector<Fragment> fragments;
    const int length = static_cast<int>(peptide.size());
    double b = kProtonMass;
    for (int i = 1; i < length; ++i) {
        b += ResidueMass(peptide[static_cast<std::size_t>(i - 1)]);
        fragments.push_back({'b', i, b});
    }
    double y = kWaterMass + kProtonMass;
    for (int i = 1; i < length; ++i) {
        y += ResidueMass(peptide[static_cast<std::size_t>(length - i)]);
        fragments.push_back({'y', i, y});
    }
    return fragments;
}

}  // namespace lumbrook::database::demo
