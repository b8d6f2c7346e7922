#include "base/exit_settings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/setting_keys.h"

namespace kalix {

namespace {

// Named in order; "color%d" style entries expand to their numbered keys.
struct OrderEntry {
    const char* name;
    int screen;
};

const OrderEntry order[] = {
    {"xtext", 1},
    {"ytext", 1},
    {"wtext", 1},
    {"htext", 1},
    {"textmax", 1},
    {"xgraphics", 1},
    {"ygraphics", 1},
    {"wgraphics", 1},
    {"hgraphics", 1},
    {"graphmax", 1},
    {"search", 0},
    {"printer", 0},
    {"savewithantialias", 0},
    {"killo", 0},
    {"askconfirmations", 0},
    {"createbb", 0},
    {"stacksize64", 0},
    {"graphicssize64", 0},
    {"cropsquare", 0},
    {"aspect", 0},
    {"boldfont", 0},
    {"fatterlines", 0},
    {"intextwindow", 1},
    {"textfont", 0},
    {"graphicslines", 0},
    {"textfontname", 0},
    {"graphicsfontname", 0},
    {"commentx", 1},
    {"commenty", 1},
    {"commentw", 1},
    {"commenth", 1},
    {"editx", 1},
    {"edity", 1},
    {"editw", 1},
    {"edith", 1},
    {"helpx", 1},
    {"helpy", 1},
    {"helpw", 1},
    {"helph", 1},
    {"color%d", 0},
    {"textcolor%d", 0},
    {"scalelines", 0},
    {"saveimages", 0},
    {"imagesindirectory", 0},
    {"externaleditor", 0},
    {"externalparameters", 0},
    {"externalfile", 0},
    {"statushelp", 0},
    {"alwaysrestart", 0},
    {"startmaxima", 0},
    {"startyacas", 0},
    {"enableyacas", 0},
    {"enablemaxima", 0},
    {"saveprofile", 0},
    {"brackets", 0},
    {"assignments", 0},
    {"spaces", 0},
    {"commas", 0},
    {"startinmaximamode", 0},
    {"usedirectmode", 0},
    {"allowoverwrite", 0},
    {"allowvaroverwrite", 0},
    {"alwaysrelax", 0},
    {"reportindex", 0},
    {"conditionvectors", 0},
    {"antialiasgraphics", 0},
    {"fixlinelength", 0},
    {"usecolors", 0},
    {"neverantialiasinsimg", 0},
    {"helpintitle", 0},
    {"allowsymbolicdp", 0},
    {"latexams", 0},
    {"latexlarger", 0},
    {"latexmagnify", 0},
    {"latexgreen", 0},
    {"latexcleanup", 0},
    {"latexsilent", 0},
    {"latextransparent", 0},
    {"fontlines", 0},
    {"largeimages", 0},
    {"askexec", 0},
    {"answermaxima", 0},
    {"checkforupdates", 0},
    {"htmlutf", 0},
    {"utf", 0},
    {"exportlatexasmathjax", 0},
    {"disablelatex", 0},
    {"displaymathjaxaslatex", 0},
    {"uselargeimagesforhtml", 0},
    {"openexportedhtml", 0},
    {"openexportedpdf", 0},
    {"generatelatexfileonly", 0},
    {"generatexhtml", 0},
    {"createsvg", 0},
    {"savecompressedsvg", 0},
    {"foldallmultilines", 0},
    {"latexkeeplarge", 0},
    {"latexantialias", 0},
    {"linux", 0},
    {"spellcheck", 0},
    {"english", 0},
    {"german", 0},
    {"insertsmaller", 0},
    {"systemscaling", 0},
    {"sharper", 0},
    {"logging", 0},
    {"python27", 0},
    {"CODE_PAGE", 0},
    {"maximacallstring", 0},
    {"maximacalldir", 0},
    {"browserstring", 0},
    {"browserdir", 0},
    {"latexbin", 0},
    {"latexdir", 0},
    {"respectfolding", 0},
    {"noreformat", 0},
    {"respectfoldinglatex", 0},
    {"started", 0},
    {"recent%d", 0},
};

// The table row of a "%d" name ("color%d"); null for a plain name.
const SettingKey* numberedRow(const char* name) {
    for (int i = 0; i < settingKeyCount; i++)
        if (settingKeys[i].count > 0 && std::strcmp(settingKeys[i].name, name) == 0)
            return &settingKeys[i];
    return nullptr;
}

}  // namespace

const std::vector<ExitSettingKey>& exitSettingOrder() {
    static const std::vector<ExitSettingKey> keys = [] {
        std::vector<ExitSettingKey> expanded;
        for (const OrderEntry& entry : order) {
            const SettingKey* row = numberedRow(entry.name);
            if (!row) {
                expanded.push_back({entry.name, entry.screen});
                continue;
            }
            for (int i = 0; i < row->count; i++) {
                char name[64];
                std::snprintf(name, sizeof name, row->name, i);
                expanded.push_back({name, entry.screen});
            }
        }
        return expanded;
    }();
    return keys;
}

void writeSettingsInExitOrder(SettingsStore& store) {
    const SettingKey* recentFiles = findSettingKey("recent0");
    bool screenKnown = screenKeyPrefix.length() > 0;
    for (const ExitSettingKey& key : exitSettingOrder()) {
        const char* name = key.screen ? makeScreenKey(key.name.c_str()) : key.name.c_str();
        std::string fullName = name;
        const SettingKey* row = findSettingKey(key.name.c_str());
        std::string stored;
        bool found = store.lookup(fullName.c_str(), stored);
        if (found && stored.empty() && row == recentFiles) {
            // The recent-file list has no empty entries.
            store.deleteSetting(fullName.c_str());
            continue;
        }
        if (found) {
            store.writeSetting(fullName.c_str(), stored.c_str());
            continue;
        }
        if (!row || row == recentFiles) continue;
        if (row->flags & (settingComputedDefault | settingWrittenOnly)) continue;
        if (key.screen && !screenKnown) continue;
        store.writeSetting(fullName.c_str(), row->defaultText);
    }
}

}  // namespace kalix
