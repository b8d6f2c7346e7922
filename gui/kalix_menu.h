// The main menu of the notebook window: the popups and their items, the
// accelerators, what every command id runs or flips, the hook after every
// command, and the three parts that change while the program runs: the
// recent notebooks (ids 5000-5019), the user menu (ids 11000 and up) and the
// help topics of the Tasks menu (ids 9000-9030). GUI thread, except where
// said.
#pragma once

#include <string>
#include <vector>

#include "gui/menus.h"

namespace kalix {

// Positions of the popups on the bar (also their submenu handles).
enum MainMenuPopup : int {
    popupFile = 0,
    popupRecent = 1,
    popupEdit = 2,
    popupExtras = 3,
    popupOptions = 4,
    popupUser = 5,
    popupTasks = 6,
    popupHelp = 7,
};

// Command ids that several places name.
enum MainMenuCommand : int {
    recentFirstId = 5000,
    recentSlots = 20,
    userMenuFirstId = 11000,
    userMenuCapacity = 1024,
    userSubmenuCapacity = 16,
    taskHelpFirstId = 9000,
    taskHelpCount = 31,
    menuGraphicsInTextWindow = 7050,
};

class KalixMenu : public Menu {
  public:
    // Builds the bar and binds every command; the recent list is read from
    // the settings "recent0" .. "recent19".
    explicit KalixMenu(StandardWindow& window);
    ~KalixMenu() override;

    // After every command that ran through a binding.
    void notifyCommand(int id) override;

    // --- recent notebooks (any thread: other threads post to the GUI)
    void addRecentFile(const char* path);
    void clearRecentFiles();
    std::vector<std::string> getRecentFiles() const;

    // --- the user menu
    void addUserMenuEntry(const std::string& text, const std::string& submenuName);
    void addUserMenuItem(const std::string& text) { addUserMenuEntry(text, userSubmenuName); }
    void setUserSubmenuName(const std::string& name) { userSubmenuName = name; }
    void addLoadedFileToMenu(const std::string& path);
    void clearUserMenu();
    int getUserMenuCount() const { return int(userMenuEntries.size()); }
    const std::string& getUserMenuEntry(int index) const { return userMenuEntries[size_t(index)]; }
    const std::string& getUserSubmenuName() const { return userSubmenuName; }

  private:
    void buildPopups();
    void bindCommands();
    void readToggles();
    void buildRecentMenu();
    void removeRecentMenuItems();
    void loadRecentFiles();
    void writeRecentSettings();

    struct Toggle {
        int id;
        const char* key;
        int value;
    };
    std::vector<Toggle> toggles;
    std::vector<std::string> recentFiles;  // oldest first
    std::vector<std::string> userMenuEntries;
    struct UserSubmenu {
        std::string name;
        int handle;
    };
    std::vector<UserSubmenu> userSubmenus;
    std::string userSubmenuName = "Other";
};

// The menu of the running program (null before the window exists).
extern KalixMenu* mainMenu;

// A menu label: the text without '?' and '%', at most 255 characters.
std::string menuEntryLabel(const std::string& text);

// Handlers of the dynamic ids (they read the menu's last command id).
void openRecentFile();
void runUserMenuItem();
void openTaskHelp();
// The topic of a task help id (9000-9030), "" outside.
const char* taskHelpTopic(int id);

}  // namespace kalix
