#include "import/ImportLineReader.h"

#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalmora {
namespace {

struct Line {
    std::string Text;
    bool Cut = false;
    bool SkippedOnlyBlanks = true;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line)
{
    return out << line.Text.size() << " bytes starting \"" << line.Text.substr(0, 10) << "\" cut " << line.Cut
               << " blank rest " << line.SkippedOnlyBlanks;
}

// Lines longer than the kept part, also across the reader's buffer and line ends split by it.
TEST(ImportLineReaderTest, KeepsTheStartOfALongLineAndSkipsTheRest)
{
    const std::size_t max = kMaxImportLineBytes;
    const std::string full(max, 'a');
    struct Case {
        const char* Name;
        std::string Content;
        std::vector<Line> Expected;
    };
    const Case cases[] = {
        {"exactly the kept length", full + "\r\nb", {{full}, {"b"}}},
        {"one byte more", full + "x\r\nb", {{full, true, false}, {"b"}}},
        {"blanks beyond", full + std::string(100, ' ') + "\rb", {{full, true, true}, {"b"}}},
        {"a character after many blanks", full + std::string(200000, ' ') + "x\nb", {{full, true, false}, {"b"}}},
        {"CR LF split by the buffer",
         full + std::string((1 << 16) - max - 1, ' ') + "\r\nb",
         {{full, true, true}, {"b"}}},
        {"a long last line without its end", "b\r" + full + std::string(300000, 'z'), {{"b"}, {full, true, false}}},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::WriteText(dir / "in.txt", c.Content);
        ImportLineReader reader(dir / "in.txt");
        std::vector<Line> lines;
        std::string text;
        while (reader.Next(text))
            lines.push_back({text, reader.LastLineCut(), reader.SkippedOnlyBlanks()});
        EXPECT_EQ(lines, c.Expected);
    }
}

}  // namespace
}  // namespace kalmora
