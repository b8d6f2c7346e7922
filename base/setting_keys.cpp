#include "base/setting_keys.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "base/name_map.h"

namespace kalix {

namespace {

constexpr int screen = settingScreenKey;
constexpr int computed = settingComputedDefault;
constexpr int writtenOnly = settingWrittenOnly;

}  // namespace

// Geometry defaults follow from the text-window rectangle worked out at start.
const SettingKey settingKeys[] = {
    {"started", settingInt, "0", 0, 0},
    {"stacksize64", settingInt, "1024", 0, 0},
    {"graphicssize64", settingInt, "256", 0, 0},
    {"graphicslines", settingInt, "40", 0, 0},
    {"textfont", settingInt, "16", 0, 0},
    {"textfontname", settingText, "Courier New", 0, 0},
    {"graphicsfontname", settingText, "Arial", 0, 0},
    {"printer", settingText, "", 0, 0},
    {"cropsquare", settingInt, "1", 0, 0},
    {"aspect", settingDouble, "1.0", 0, 0},
    {"boldfont", settingInt, "0", 0, 0},
    {"fatterlines", settingInt, "0", 0, 0},
    {"intextwindow", settingInt, "0", screen, 0},
    {"savewithantialias", settingInt, "1", 0, 0},
    {"xtext", settingInt, "", screen | computed, 0},
    {"ytext", settingInt, "", screen | computed, 0},
    {"wtext", settingInt, "700", screen, 0},
    {"htext", settingInt, "900", screen, 0},
    {"textmax", settingInt, "", screen | writtenOnly, 0},
    {"xgraphics", settingInt, "", screen | computed, 0},
    {"ygraphics", settingInt, "", screen | computed, 0},
    {"hgraphics", settingInt, "600", screen, 0},
    {"wgraphics", settingInt, "", screen | computed, 0},
    {"graphmax", settingInt, "", screen | writtenOnly, 0},
    {"commentx", settingInt, "", screen | computed, 0},
    {"commenty", settingInt, "", screen | computed, 0},
    {"commentw", settingInt, "", screen | computed, 0},
    {"commenth", settingInt, "", screen | computed, 0},
    {"editx", settingInt, "", screen | computed, 0},
    {"edity", settingInt, "", screen | computed, 0},
    {"editw", settingInt, "", screen | computed, 0},
    {"edith", settingInt, "", screen | computed, 0},
    {"helpx", settingInt, "", screen | computed, 0},
    {"helpy", settingInt, "", screen | computed, 0},
    {"helpw", settingInt, "", screen | computed, 0},
    {"helph", settingInt, "", screen | computed, 0},
    {"color%d", settingColor, "", computed, 16},
    {"textcolor%d", settingColor, "", computed, 6},
    {"externaleditor", settingText, "", 0, 0},  // none: $VISUAL, $EDITOR, xdg-open
    {"externalparameters", settingText, "", computed, 0},
    {"externalfile", settingText, "", 0, 0},
    {"maximacallstring", settingText, "", 0, 0},
    {"maximacalldir", settingText, "", 0, 0},
    {"browserstring", settingText, "", 0, 0},
    {"browserdir", settingText, "", 0, 0},
    {"latexbin", settingText, "", 0, 0},
    {"latexdir", settingText, "", 0, 0},
    {"respectfolding", settingInt, "0", 0, 0},
    {"noreformat", settingInt, "0", 0, 0},
    {"respectfoldinglatex", settingInt, "0", 0, 0},
    {"search", settingText, "", 0, 0},
    {"antialiasgraphics", settingInt, "1", 0, 0},
    {"createbb", settingInt, "0", 0, 0},
    {"scalelines", settingInt, "1", 0, 0},
    {"askconfirmations", settingInt, "1", 0, 0},
    {"imagesindirectory", settingInt, "1", 0, 0},
    {"saveimages", settingInt, "1", 0, 0},
    {"killo", settingInt, "1", 0, 0},
    {"alwaysrestart", settingInt, "1", 0, 0},
    {"startmaxima", settingInt, "1", 0, 0},
    {"startyacas", settingInt, "0", 0, 0},
    {"statushelp", settingInt, "1", 0, 0},
    {"enablemaxima", settingInt, "0", 0, 0},
    {"enableyacas", settingInt, "0", 0, 0},
    {"brackets", settingInt, "1", 0, 0},
    {"assignments", settingInt, "0", 0, 0},
    {"spaces", settingInt, "1", 0, 0},
    {"commas", settingInt, "1", 0, 0},
    {"startinmaximamode", settingInt, "0", 0, 0},
    {"usedirectmode", settingInt, "0", 0, 0},
    {"allowoverwrite", settingInt, "0", 0, 0},
    {"allowvaroverwrite", settingInt, "1", 0, 0},
    {"alwaysrelax", settingInt, "0", 0, 0},
    {"reportindex", settingInt, "1", 0, 0},
    {"conditionvectors", settingInt, "0", 0, 0},
    {"usecolors", settingInt, "1", 0, 0},
    {"neverantialiasinsimg", settingInt, "0", 0, 0},
    {"helpintitle", settingInt, "0", 0, 0},
    {"allowsymbolicdp", settingInt, "0", 0, 0},
    {"latexams", settingInt, "1", 0, 0},
    {"latexlarger", settingInt, "0", 0, 0},
    {"latexmagnify", settingInt, "1", 0, 0},
    {"latexgreen", settingInt, "1", 0, 0},
    {"latexcleanup", settingInt, "1", 0, 0},
    {"latexsilent", settingInt, "1", 0, 0},
    {"latextransparent", settingInt, "0", 0, 0},
    {"fontlines", settingInt, "1", 0, 0},
    {"largeimages", settingInt, "0", 0, 0},
    {"askexec", settingInt, "1", 0, 0},
    {"answermaxima", settingInt, "0", 0, 0},
    {"checkforupdates", settingInt, "0", 0, 0},
    {"utf", settingInt, "1", 0, 0},
    {"disablelatex", settingInt, "0", 0, 0},
    {"displaymathjaxaslatex", settingInt, "1", 0, 0},
    {"generatexhtml", settingInt, "0", 0, 0},
    {"savecompressedsvg", settingInt, "0", 0, 0},
    {"foldallmultilines", settingInt, "0", 0, 0},
    {"latexkeeplarge", settingInt, "1", 0, 0},
    {"latexantialias", settingInt, "1", 0, 0},
    {"linux", settingInt, "0", 0, 0},
    {"english", settingInt, "1", 0, 0},
    {"german", settingInt, "0", 0, 0},
    {"insertsmaller", settingInt, "0", 0, 0},
    {"systemscaling", settingInt, "0", 0, 0},
    {"sharper", settingInt, "0", 0, 0},
    {"logging", settingInt, "0", 0, 0},
    {"python27", settingInt, "0", 0, 0},
    {"exportlatexasmathjax", settingInt, "0", 0, 0},
    {"htmlutf", settingInt, "1", 0, 0},
    {"uselargeimagesforhtml", settingInt, "1", 0, 0},
    {"openexportedhtml", settingInt, "1", 0, 0},
    {"createsvg", settingInt, "0", 0, 0},
    {"spellcheck", settingInt, "0", 0, 0},
    {"CODE_PAGE", settingInt, "0", 0, 0},  // "-codepage" replaces the default
    {"generatelatexfileonly", settingInt, "0", 0, 0},
    {"openexportedpdf", settingInt, "1", 0, 0},
    {"fixlinelength", settingInt, "1", 0, 0},
    // The MathJax script of HTML exports that hold formulas.
    {"mathjaxaddress", settingText,
     "https://cdn.jsdelivr.net/npm/mathjax@2/MathJax.js?config=TeX-AMS-MML_HTMLorMML", 0, 0},
    {"saveprofile", settingInt, "", writtenOnly, 0},
    {"recent%d", settingText, "", 0, 20},
    {"showedversion", settingText, "", computed, 0},  // the running version
    // The web site whose "/Programs/Changes.html" the update check reads.
    {"updateaddress", settingText, "", 0, 0},
};

const int settingKeyCount = sizeof settingKeys / sizeof settingKeys[0];

// 1 when `name` is the row's pattern with a number below its count in place
// of "%d" (written without leading zeros).
static int matchesNumberedKey(const SettingKey& key, const char* name) {
    const char* marker = std::strstr(key.name, "%d");
    size_t prefixLength = marker - key.name;
    if (std::strncmp(name, key.name, prefixLength) != 0) return 0;
    const char* digits = name + prefixLength;
    if (digits[0] < '0' || digits[0] > '9') return 0;
    if (digits[0] == '0' && digits[1] != 0) return 0;
    int number = 0;
    for (const char* p = digits; *p; p++) {
        if (*p < '0' || *p > '9' || p - digits > 6) return 0;
        number = number * 10 + (*p - '0');
    }
    return number < key.count;
}

// Plain names to their first row, and the numbered rows in table order:
// the first row that fits a name wins, as in the table.
struct SettingKeyIndex {
    NameIndex plain;
    std::vector<int> numbered;
    SettingKeyIndex() {
        for (int i = 0; i < settingKeyCount; i++) {
            if (settingKeys[i].count == 0)
                plain.try_emplace(settingKeys[i].name, size_t(i));
            else
                numbered.push_back(i);
        }
    }
};

const SettingKey* findSettingKey(const char* name) {
    static const SettingKeyIndex index;
    int row = settingKeyCount;
    auto found = index.plain.find(std::string_view(name));
    if (found != index.plain.end()) row = int(found->second);
    for (int i : index.numbered) {
        if (i >= row) break;
        if (matchesNumberedKey(settingKeys[i], name)) {
            row = i;
            break;
        }
    }
    return row < settingKeyCount ? &settingKeys[row] : nullptr;
}

}  // namespace kalix
