// Menus, accelerators and the status bar of a window. Each command id is
// bound either to a handler or to an int setting that the command flips (its
// check mark kept in step); a later binding of an id wins. Items can be
// added to and removed from submenus at run time. GUI thread only, except
// showStatus (see there).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kalix {

class StandardWindow;
struct MenuParts;

using MenuHandler = void (*)();

struct MenuBinding {
    int id;
    MenuHandler handler;  // null for a toggle
    int* flag;            // the int a toggle flips, or null
};

class Menu {
  public:
    // Becomes the window's menu bar (attachMenu shows it).
    explicit Menu(StandardWindow& window);
    virtual ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    // Called after every command that ran through a binding.
    virtual void notifyCommand(int) {}

    void attachMenu();
    // A new submenu at the end of the bar; returns its handle (the popups
    // of the bar made first have the handles 0, 1, 2, ..., their positions).
    int addSubmenu(const char* title);
    // A submenu at the end of the submenu `parent`; returns its handle.
    int addSubmenu(int parent, const char* title);
    // Removes the submenu `handle` (made in `parent`) with its items.
    void removeSubmenu(int parent, int handle);
    // Appends an item ("&File\tCtrl+N": text, then the accelerator's name)
    // to the submenu `handle` and binds it (a null handler binds nothing).
    void addMenuItem(int handle, int id, const char* text, MenuHandler handler);
    void addMenuSeparator(int handle);
    // Removes the item and the newest binding of the id.
    void removeMenuItem(int handle, int id);
    void addMenuHandler(int id, MenuHandler handler);
    void addMenuToggle(int id, int* flag);
    void setMenuCheck(int id, int on);
    // A key sequence ("Ctrl+N", "F9", "Alt+Ins") that runs the command while
    // the window is active; a key that has a command already keeps it.
    void addAccelerator(const char* keys, int id);
    // The command of an accelerator's key sequence, 0 when none.
    int acceleratorCommand(const char* keys) const;

    // 1 when a binding ran.
    int dispatchMenuCommand(int id);
    int getLastCommandId() const { return lastCommandId; }
    int bindingCount() const { return int(bindings.size()); }

  private:
    void runMenuBinding(const MenuBinding& binding);

    StandardWindow& window;
    std::vector<MenuBinding> bindings;  // newest first
    std::unique_ptr<MenuParts> widgets;
    int lastCommandId = 0;
};

// One line of text at the bottom of a window, in parts.
class StatusBar {
  public:
    explicit StatusBar(StandardWindow& window);
    ~StatusBar();
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;

    // Alignment 1 centred, 2 right, else left (code-page text).
    void setStatusPartText(const char* text, int alignment);
    const std::string& getText() const { return text; }

  private:
    StandardWindow& window;
    std::string text;
};

// The text in the status bar, or in the window title when the setting
// "helpintitle" is on (then the bar keeps its text). From any thread: on
// another thread it is posted to the GUI thread.
void showStatus(StandardWindow& window, const char* text);

}  // namespace kalix
