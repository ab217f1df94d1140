// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a French-like Windows-1252 corpus with CR LF lines of 3 to 15 words, deterministic for a
// given size: gen_corpus FILE MEBIBYTES. The benchmarks search it for words of known frequency.

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// Common words are drawn far more often than rare ones (a Zipf-like law over this list).
const std::vector<std::string> kWords = {
    "de",
    "la",
    "le",
    "et",
    "les",
    "des",
    "en",
    "un",
    "du",
    "une",
    "que",
    "est",
    "pour",
    "qui",
    "dans",
    "par",
    "plus",
    "pas",
    "au",
    "sur",
    "ne",
    "se",
    "ce",
    "il",
    "sont",
    "avec",
    "son",
    "\xE9t\xE9",
    "elle",
    "mais",
    "nous",
    "comme",
    "ou",
    "si",
    "leur",
    "bien",
    "\xE0",
    "o\xF9",
    "m\xEAme",
    "apr\xE8s",
    "tr\xE8s",
    "d\xE9j\xE0",
    "fen\xEAtre",
    "ma\xEEtre",
    "for\xEAt",
    "\xE9l\xE8ve",
    "caf\xE9",
    "na\xEF"
    "f",
    "c\x9Cur",
    "\xC9t\xE9",
    "\xC0",
    "fran\xE7"
    "ais",
    "maison",
    "jardin",
    "rivi\xE8re",
    "montagne",
    "soleil",
    "journ\xE9"
    "e",
    "ann\xE9"
    "e",
    "cr\xE9\xE9"
    "e",
    "id\xE9"
    "e",
    "arm\xE9"
    "e",
    "surprise-partie",
    "aujourd'hui",
    "l'\xE9t\xE9",
    "gar\xE7on",
    "le\xE7on",
    "no\xEBl",
    "p\xE8re",
    "m\xE8re",
    "fr\xE8re",
    "s\x9Cur",
    "\x9C"
    "uvre",
    "chat",
    "chien",
    "oiseau",
    "voiture",
    "ville",
    "village",
    "route",
    "chemin",
    "pont",
    "porte",
    "lumi\xE8re",
    "ombre",
    "nuit",
    "matin",
    "soir",
    "hiver",
    "printemps",
    "automne",
    "neige",
    "pluie",
    "vent",
    "mer",
    "plage",
    "sable",
    "bateau",
    "port",
    "march\xE9",
    "pain",
    "fromage",
    "vin",
    "eau",
    "lait",
    "beurre",
    "sucre",
    "sel",
    "poivre",
    "table",
    "chaise",
    "lit",
    "livre",
    "papier",
    "crayon",
    "\xE9"
    "cole",
    "travail",
    "bureau",
    "ordinateur",
    "t\xE9l\xE9phone",
};

const char* const kPunctuation[] = {",", ";", ":", "!", "?", "\x85", " \xAB", " \xBB"};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_corpus FILE MEBIBYTES\n");
        return 2;
    }
    const long long target = std::atoll(argv[2]) * 1024 * 1024;
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::mt19937 random(20261208);
    std::vector<double> weights;
    for (size_t i = 0; i < kWords.size(); ++i)
        weights.push_back(1.0 / double(i + 1));
    std::discrete_distribution<size_t> pickWord(weights.begin(), weights.end());
    std::uniform_int_distribution<int> wordsPerLine(3, 15);
    std::uniform_int_distribution<int> percent(0, 99);

    std::string line;
    long long written = 0;
    while (written < target) {
        line.clear();
        const int count = wordsPerLine(random);
        for (int w = 0; w < count; ++w) {
            if (w > 0)
                line += ' ';
            std::string word = kWords[pickWord(random)];
            if (w == 0 && !word.empty() && word[0] >= 'a' && word[0] <= 'z')
                word[0] = char(word[0] - 'a' + 'A');
            line += word;
            if (percent(random) < 8)
                line += kPunctuation[percent(random) % 8];
        }
        line += ".\r\n";
        std::fwrite(line.data(), 1, line.size(), out);
        written += (long long)line.size();
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
