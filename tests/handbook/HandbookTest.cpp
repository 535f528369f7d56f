// The handbook in docs/handbuch must name every text the program can show a user or write into the
// import protocol, every window by its caption, and only pictures that the screenshot program makes.
// Each test lists what is missing, so a new text fails here until the handbook explains it.
#include "foundation/Messages.h"
#include "scoring/ClassificationTable.h"
#include "scoring/Tiss28Items.h"
#include "shell/Handbook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = fs::path(KALMORA_SOURCE_DIR);

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == extension) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Runs of blanks and line ends count as one blank: a text may be wrapped in the Markdown source.
std::string CollapseBlanks(std::string_view text)
{
    std::string result;
    bool blank = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = true;
            continue;
        }
        if (blank && !result.empty()) result += ' ';
        blank = false;
        result += c;
    }
    return result;
}

const std::string& Handbook()
{
    static const std::string text = [] {
        std::string all;
        for (const auto& file : FilesIn(kSourceDir / "docs" / "handbuch", ".md"))
            all += ReadFile(file) + "\n";
        return CollapseBlanks(all);
    }();
    return text;
}

// The texts of `texts` that the handbook does not hold, each on a line of its own.
std::string Missing(const std::set<std::string>& texts)
{
    std::string missing;
    for (const auto& text : texts) {
        if (Handbook().find(text) == std::string::npos) missing += "\n  " + text;
    }
    return missing;
}

// The string literals in `code`, without their quotes; escapes are kept as written.
std::vector<std::string> Literals(const std::string& code)
{
    static const std::regex literal(R"re("((?:[^"\\\n]|\\.)*)")re");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), literal); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1].str());
    return found;
}

// The argument text of every call of one of `functions` in `code`, up to its closing parenthesis.
std::vector<std::string> CallArguments(const std::string& code, const std::regex& functions)
{
    std::vector<std::string> calls;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), functions); it != std::sregex_iterator(); ++it) {
        const std::size_t open = static_cast<std::size_t>(it->position(0) + it->length(0));
        int depth = 1;
        bool inLiteral = false;
        std::size_t end = open;
        for (; end < code.size() && depth > 0; ++end) {
            const char c = code[end];
            if (inLiteral) {
                if (c == '\\')
                    ++end;
                else if (c == '"')
                    inLiteral = false;
            } else if (c == '"') {
                inLiteral = true;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')') {
                --depth;
            }
        }
        calls.push_back(code.substr(open, end - open));
    }
    return calls;
}

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Adds the literal pieces of a text; pieces that are only a separator or a letter say nothing.
void AddPieces(std::set<std::string>& texts, const std::vector<std::string>& literals)
{
    for (const auto& literal : literals) {
        const std::string piece = CollapseBlanks(Trimmed(literal));
        if (piece.size() >= 2) texts.insert(piece);
    }
}

// The fixed pieces of every protocol line and result comment the import can write: the literals of
// its reporting calls, of the comments composed for them and of its named texts.
std::set<std::string> ImportTexts()
{
    static const std::regex calls(
        R"(\b(Report|ReportError|ReportWarning|ReportByLevel|WriteProtocolLine|WriteLine)\s*\()");
    static const std::regex composed(R"(std::string comment\s*=([^;]*);)");
    static const std::regex pairRule(R"(PairRule\{[^}]*\})");
    static const std::regex named(R"(constexpr std::string_view k\w+\s*=\s*("[^"]*");)");
    std::set<std::string> texts;
    for (const auto& file : FilesIn(kSourceDir / "src" / "import", ".cpp")) {
        const std::string code = ReadFile(file);
        for (const auto& arguments : CallArguments(code, calls))
            AddPieces(texts, Literals(arguments));
        for (const std::regex* pattern : {&composed, &pairRule}) {
            for (auto it = std::sregex_iterator(code.begin(), code.end(), *pattern); it != std::sregex_iterator(); ++it)
                AddPieces(texts, Literals(it->str()));
        }
    }
    for (const char* extension : {".cpp", ".h"}) {
        for (const auto& file : FilesIn(kSourceDir / "src" / "import", extension)) {
            const std::string code = ReadFile(file);
            for (auto it = std::sregex_iterator(code.begin(), code.end(), named); it != std::sregex_iterator(); ++it) {
                // Only texts: a code ("EXTERN"), a separator or a file name has no blank.
                const std::string literal = Literals((*it)[1].str()).front();
                if (Trimmed(literal).find(' ') != std::string::npos) AddPieces(texts, {literal});
            }
        }
    }
    return texts;
}

TEST(Handbook, NamesEveryProtocolAndResultText)
{
    const std::set<std::string> texts = ImportTexts();
    // The extraction itself must keep finding the texts, or this test would pass on nothing.
    for (const char* known : {"Parameter ungültig", "Summensatz fehlt", "Mehrfacheinträge", "Pflegetage",
                              "ohne Standardmonitoring unplausibel", "schwerwiegende Dateninkonsistenz",
                              "Periode, Jahr, Abteilung oder KA ungültig", "Detailinformation siehe Protokolldatei",
                              "Unplausible Kombination einfache und mehrfache Intervention am"}) {
        EXPECT_TRUE(texts.contains(known)) << known;
    }
    EXPECT_EQ(Missing(texts), "") << "Protokoll- und Ergebnistexte fehlen im Handbuch";
}

TEST(Handbook, NamesEveryQuestionAndNotice)
{
    std::set<std::string> texts;
    // Every number the two kinds may have: a number without an enumerator has no text.
    for (int number = 0; number <= 1000; ++number) {
        const std::string question(kalmora::QuestionText(static_cast<kalmora::Question>(number)));
        const std::string notice(kalmora::NoticeText(static_cast<kalmora::Notice>(number)));
        if (!question.empty()) texts.insert(CollapseBlanks(question));
        if (!notice.empty()) texts.insert(CollapseBlanks(notice));
    }
    EXPECT_EQ(texts.size(), 16u);
    texts.insert(std::string(kalmora::kHandbookMissingText));
    texts.insert(std::string(kalmora::kHandbookNotShownText));
    EXPECT_EQ(Missing(texts), "") << "Fragen und Hinweise fehlen im Handbuch";
}

TEST(Handbook, NamesEveryTissItemWithItsWeight)
{
    std::set<std::string> missing;
    for (const auto& item : kalmora::kTiss28Items) {
        const std::string row = "| " + std::string(item.ImportLabel) + " | " + std::to_string(item.Weight) + " |";
        if (Handbook().find(row) == std::string::npos) missing.insert(row);
    }
    EXPECT_TRUE(missing.empty()) << "Zeilen der TISS-28-Tabelle fehlen: " << ::testing::PrintToString(missing);
}

// The result table's columns are explained one by one, and every remark the classification writes.
TEST(Handbook, NamesEveryClassificationColumnAndRemark)
{
    std::string missing;
    for (std::size_t column = 0; column < kalmora::kClassificationTitles.size(); ++column) {
        const std::string row =
            "| " + std::to_string(column + 1) + " | " + std::string(kalmora::kClassificationTitles[column]) + " |";
        if (Handbook().find(row) == std::string::npos) missing += "\n  " + row;
    }
    EXPECT_EQ(missing, "") << "Spalten der Einstufungstabelle fehlen";

    static const std::regex remark(R"re(constexpr std::string_view kRemark\w+\s*=\s*"([^"]*)";)re");
    const std::string code = ReadFile(kSourceDir / "src" / "scoring" / "Classification.cpp");
    std::set<std::string> remarks;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), remark); it != std::sregex_iterator(); ++it)
        remarks.insert((*it)[1].str());
    EXPECT_EQ(remarks.size(), 4u);
    EXPECT_EQ(Missing(remarks), "") << "Bemerkungen der Einstufung fehlen";
}

TEST(Handbook, NamesEveryWindowByItsCaption)
{
    static const std::regex caption(R"re(setWindowTitle\("\s*([^"]*?)\s*"\))re");
    std::set<std::string> captions;
    for (const auto& file : FilesIn(kSourceDir / "src" / "app", ".cpp")) {
        const std::string code = ReadFile(file);
        for (auto it = std::sregex_iterator(code.begin(), code.end(), caption); it != std::sregex_iterator(); ++it)
            captions.insert((*it)[1].str());
    }
    EXPECT_TRUE(captions.contains("Datei - Import"));
    EXPECT_EQ(Missing(captions), "") << "Fenstertitel fehlen im Handbuch";
}

// F1 in every window opens a section of the handbook that exists.
TEST(Handbook, HasTheSectionOfEveryWindowsHelpKey)
{
    static const std::regex key(R"re(AddHandbookKey\(\*this,\s*\w+,\s*"([^"]*)"\))re");
    std::string missing;
    std::string withoutKey;
    for (const auto& file : FilesIn(kSourceDir / "src" / "app", ".cpp")) {
        if (!file.filename().string().starts_with("frm")) continue;
        const std::string code = ReadFile(file);
        std::smatch found;
        if (!std::regex_search(code, found, key)) {
            withoutKey += " " + file.filename().string();
            continue;
        }
        if (Handbook().find("{#" + found[1].str() + "}") == std::string::npos)
            missing += " " + file.filename().string() + ":" + found[1].str();
    }
    EXPECT_EQ(withoutKey, "") << "Fenster ohne F1";
    EXPECT_EQ(missing, "") << "Abschnitte, die F1 öffnet, fehlen im Handbuch";
}

// The names the screenshot program saves: fixed names, and series written "name_%1" (pages, menus).
// Whether a picture of a series was really written is checked when make docs renders the handbook.
TEST(Handbook, ShowsOnlyPicturesTheScreenshotProgramMakes)
{
    const std::string program = ReadFile(kSourceDir / "src" / "app" / "Screenshots.cpp");
    static const std::regex fixed(R"re(Save\([^;]*?,\s*folder,\s*"(\w+)"\))re");
    static const std::regex series(R"re(QString\("(\w+)_%1"\))re");
    std::set<std::string> names;
    std::vector<std::string> prefixes;
    for (auto it = std::sregex_iterator(program.begin(), program.end(), fixed); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1].str());
    for (auto it = std::sregex_iterator(program.begin(), program.end(), series); it != std::sregex_iterator(); ++it)
        prefixes.push_back((*it)[1].str());
    ASSERT_TRUE(names.contains("frmImp"));
    ASSERT_FALSE(prefixes.empty());

    static const std::regex picture(R"(screenshots/(\w+)\.png)");
    std::set<std::string> shown;
    std::string unknown;
    const std::string& handbook = Handbook();
    for (auto it = std::sregex_iterator(handbook.begin(), handbook.end(), picture); it != std::sregex_iterator();
         ++it) {
        const std::string name = (*it)[1].str();
        shown.insert(name);
        const bool numbered = std::any_of(prefixes.begin(), prefixes.end(), [&name](const std::string& prefix) {
            return std::regex_match(name, std::regex(prefix + "_[A-Za-z0-9]+"));
        });
        if (!names.contains(name) && !numbered) unknown += " " + name;
    }
    EXPECT_EQ(unknown, "") << "Bilder, die make screenshots nicht schreibt";
    EXPECT_FALSE(shown.empty());
}

}  // namespace
