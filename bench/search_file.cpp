// Runs the search engine over a file as the window does, without the window: each result line
// is built and appended, followed by CR LF, to one string.
//     search_file FILE PATTERN
// Prints the number of results and the number of lines read.

#include "text/errors.h"
#include "text/search.h"
#include "text/text_reader.h"
#include "text/word.h"

#include <cstdio>
#include <string>

namespace {

class ResultText : public SearchSink {
public:
    void found(int64_t line, int64_t column, std::string_view word) override {
        AppendResultLine(FText, line, column, word);
        FText += "\r\n";
        ++FCount;
    }
    void progress(int64_t currentLine) override { FLastProgress = currentLine; }

    long long count() const { return FCount; }
    size_t size() const { return FText.size(); }

private:
    std::string FText;
    long long FCount = 0;
    int64_t FLastProgress = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: search_file FILE PATTERN\n");
        return 2;
    }
    const std::string pattern = argv[2];
    ResultText results;
    int64_t currentLine = 0;
    try {
        TextReader reader;
        reader.open(argv[1]);
        SearchFile(reader, pattern, ResumeStep(pattern), currentLine, results);
        reader.close();
    } catch (const EError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::printf("results %lld lines %lld bytes %zu\n", results.count(), (long long)currentLine,
                results.size());
    return 0;
}
