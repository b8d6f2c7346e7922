// The help files the program ships: every builtin and every command has an
// entry (a builtin family or command added without one fails here), the
// references between entries lead somewhere, and each entry says how it is
// called.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/help_window_model.h"
#include "program_fixture.h"
#include "tests/documentation_pages.h"

namespace kalix {

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
            if (!row || (row->nargs != count && row->nargs != -1))
                missingRows += name + "/" + std::to_string(count) + " ";
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
    fs::path docs = documentationFolder();
    for (const char* page :
         {"documentation.html", "reference/index.html", "reference/overview.html",
          "reference/maximacore.html", "index.html", "search.html", "Programs/Changes.html",
          "documentation/gui.html", "documentation/installation.html", "documentation/export.html",
          "documentation/quicktips.html", "KalixDefault.html", "KalixBlackAndWhite.html",
          "KalixWebFont.html"})
        EXPECT_TRUE(fs::is_regular_file(docs / page)) << (docs / page);
    EXPECT_EQ(browserPageForWord("sqrt"), "reference/index.html#sqrt");
    const std::string reference = pageText(docs / "reference" / "index.html");
    auto anchored = [&](const std::string& name) {
        return reference.find("<a id=\"" + escapedAttribute(name) + "\"></a>") != std::string::npos;
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

// Every link between the pages leads to a page that exists and, with a
// "#", to an anchor of it (addresses outside the pages are left alone).
TEST_F(HelpFilesTest, EveryLinkOfThePagesLeadsToAPageAndItsAnchor) {
    namespace fs = std::filesystem;
    fs::path docs = documentationFolder();
    std::map<fs::path, std::set<std::string>> anchors;  // the ids of each page
    std::map<fs::path, std::vector<std::string>> links;
    int pages = 0;
    for (const auto& entry : fs::recursive_directory_iterator(docs)) {
        if (entry.path().extension() != ".html") continue;
        pages++;
        const std::string text = pageText(entry.path());
        for (const char* attribute : {" id=\"", " href=\""}) {
            for (size_t at = text.find(attribute); at != std::string::npos;
                 at = text.find(attribute, at + 1)) {
                size_t start = at + std::strlen(attribute);
                std::string value =
                    unescapedAttribute(text.substr(start, text.find('"', start) - start));
                if (attribute[1] == 'i')
                    anchors[entry.path()].insert(value);
                else
                    links[entry.path()].push_back(value);
            }
        }
    }
    EXPECT_GE(pages, 11);
    std::string broken;
    int checked = 0;
    for (const auto& [page, targets] : links) {
        for (const std::string& link : targets) {
            if (link.find("://") != std::string::npos) continue;
            const size_t hash = link.find('#');
            fs::path file = page;
            if (hash != 0)
                file =
                    (page.parent_path() / percentDecoded(link.substr(0, hash))).lexically_normal();
            const std::string id =
                hash == std::string::npos ? "" : percentDecoded(link.substr(hash + 1));
            checked++;
            if (!fs::is_regular_file(file))
                broken += page.filename().string() + ": " + link + "\n";
            else if (!id.empty() && !anchors[file].count(id))
                broken += page.filename().string() + ": " + link + " (no anchor)\n";
        }
    }
    EXPECT_GT(checked, 1000);
    EXPECT_EQ(broken, "");
}

}  // namespace kalix
