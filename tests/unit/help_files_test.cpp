// The help files the program ships: every builtin and every command has an
// entry (a builtin family or command added without one fails here), the
// references between entries lead somewhere, and each entry says how it is
// called.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/help_window_model.h"
#include "program_fixture.h"

namespace {

std::string resourceFolder() { return KALIX_RESOURCES; }

class HelpFilesTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_EQ(loadHelpFiles(resourceFolder().c_str()), 2);
    }
    void TearDown() override {
        helpDatabase.clear();
        ProgramTest::TearDown();
    }
};

// The names a "See also:" line refers to.
std::vector<std::string> references(const std::string& line) {
    std::vector<std::string> names;
    size_t start = line.find(':') + 1;
    while (start < line.size()) {
        size_t end = line.find(',', start);
        if (end == std::string::npos) end = line.size();
        size_t first = line.find_first_not_of(' ', start);
        size_t last = line.find_last_not_of(" .", end - 1);
        if (first != std::string::npos && first <= last)
            names.push_back(line.substr(first, last - first + 1));
        start = end + 1;
    }
    return names;
}

}  // namespace

TEST_F(HelpFilesTest, EveryBuiltinAndCommandHasAnEntry) {
    std::set<std::string> missing;
    for (int i = 0; i < builtinCount; i++)
        if (!helpDatabase.findTopic(builtinTable[i].name)) missing.insert(builtinTable[i].name);
    for (int i = 0; i < commandCount; i++)
        if (!helpDatabase.findTopic(commandTable[i].name)) missing.insert(commandTable[i].name);
    std::string names;
    for (const std::string& name : missing) names += name + " ";
    EXPECT_TRUE(missing.empty()) << "no help entry for: " << names;
}

TEST_F(HelpFilesTest, OperatorsAndTopicsHaveEntries) {
    for (const char* topic :
         {"Topics",   "+",        "-",        "*",         "/",       "^",         ".",
          "\\",       "'",        "==",       "!=",        "<",       "<=",        ">",
          ">=",       "&&",       "||",       "!",         ":",       "|",         "_",
          "&",        "//",       "...",      "[]",        "()",      "{}",        "%",
          "??",       "Syntax",   "Matrices", "Intervals", "Strings", "Functions", "Programs",
          "Graphics", "Settings", "Notebook", "Maxima",    "Python"})
        EXPECT_NE(helpDatabase.findTopic(topic), nullptr) << topic;
}

TEST_F(HelpFilesTest, EntriesAreCompleteAndTheirReferencesLeadSomewhere) {
    for (const HelpEntry& entry : helpDatabase.entries()) {
        const std::string& topic = entry.topics.front();
        EXPECT_FALSE(entry.lines.empty()) << topic;
        for (const std::string& line : entry.lines) {
            EXPECT_EQ(line.find('\t'), std::string::npos) << topic << ": a tab in " << line;
            if (line.compare(0, 10, "See also: ") != 0) continue;
            for (const std::string& name : references(line))
                EXPECT_NE(helpDatabase.findTopic(name), nullptr)
                    << topic << " refers to the missing entry \"" << name << "\"";
        }
    }
    // Every builtin's entry shows how it is called, and its help line
    // does so when the syntax line has its parentheses.
    for (int i = 0; i < builtinCount; i++) {
        std::string name = builtinTable[i].name;
        const HelpEntry* entry = helpDatabase.findTopic(name);
        if (!entry) continue;
        bool called = false;
        for (const std::string& line : entry->lines)
            called = called || line.compare(0, name.size(), name) == 0;
        EXPECT_TRUE(called) << name << " has no syntax line";
        std::string line = helpLineOf(name);
        if (line.find('(') != std::string::npos) {
            EXPECT_EQ(line.compare(0, name.size() + 1, name + "("), 0) << name << ": " << line;
        }
    }
}

// The builtin table as it is documented: every name with each of its
// argument counts is a builtin with a help entry.
TEST_F(HelpFilesTest, EveryDocumentedBuiltinExistsWithItsCountsAndHelp) {
    std::ifstream list(std::string(KALIX_UNIT_FILES) + "/builtin_names.txt");
    ASSERT_TRUE(list.good());
    std::string line, missingRows, missingHelp;
    int names = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string name;
        words >> name;
        names++;
        for (int count; words >> count;) {
            const BuiltinRecord* row = findBuiltin(name.c_str(), count);
            if (!row || (row->nargs != count && row->nargs != -1)) missingRows += name + "/" + std::to_string(count) + " ";
        }
        if (!helpDatabase.findTopic(name.c_str())) missingHelp += name + " ";
    }
    EXPECT_EQ(names, 433);
    EXPECT_EQ(missingRows, "");
    EXPECT_EQ(missingHelp, "");
}

// The documentation pages written at build time into "docs" beside the
// program (the build folder, one above this test): every page the Help
// menu and the help window open exists, and the reference has an anchor
// for every builtin, command and topic.
TEST_F(HelpFilesTest, TheDocumentationPagesHoldEveryName) {
    namespace fs = std::filesystem;
    fs::path docs = fs::canonical("/proc/self/exe").parent_path().parent_path() / "docs";
    for (const char* page : {"documentation.html", "reference/index.html", "reference/overview.html",
                             "reference/maximacore.html"})
        EXPECT_TRUE(fs::is_regular_file(docs / page)) << (docs / page);
    EXPECT_EQ(browserPageForWord("sqrt"), "reference/index.html#sqrt");
    std::ifstream in(docs / "reference" / "index.html");
    std::string reference((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto anchored = [&](const std::string& name) {
        std::string id;
        for (char c : name) {
            if (c == '&') id += "&amp;";
            else if (c == '<') id += "&lt;";
            else if (c == '>') id += "&gt;";
            else if (c == '"') id += "&quot;";
            else if (c == '\'') id += "&#x27;";
            else id += c;
        }
        return reference.find("<a id=\"" + id + "\"></a>") != std::string::npos;
    };
    std::string missing;
    for (int i = 0; i < builtinCount; i++)
        if (!anchored(builtinTable[i].name)) missing += std::string(builtinTable[i].name) + " ";
    for (int i = 0; i < commandCount; i++)
        if (!anchored(commandTable[i].name)) missing += std::string(commandTable[i].name) + " ";
    for (const HelpEntry& entry : helpDatabase.entries())
        for (const std::string& topic : entry.topics)
            if (!anchored(topic)) missing += topic + " ";
    EXPECT_EQ(missing, "");
}
