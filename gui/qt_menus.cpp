// Menus, accelerators and the status bar on Qt Widgets.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <algorithm>

#include "base/settings.h"
#include "gui/gui_bridge.h"
#include "gui/menus.h"
#include "gui/qt_window_parts.h"

namespace kalix {

struct MenuParts {
    QMenuBar* bar = nullptr;
    std::vector<QMenu*> submenus;                   // by handle; null once removed
    std::vector<std::pair<int, QAction*>> actions;  // id and item, in order made
    std::vector<QAction*> accelerators;
};

Menu::Menu(StandardWindow& window) : window(window), widgets(std::make_unique<MenuParts>()) {
    widgets->bar = new QMenuBar;
    window.menu = this;
}

Menu::~Menu() {
    if (window.menu == this) window.menu = nullptr;
    for (QAction* action : widgets->accelerators) delete action;
    if (window.parts().menuBar != widgets->bar) delete widgets->bar;
}

void Menu::attachMenu() {
    WindowParts& parts = window.parts();
    if (parts.menuBar == widgets->bar) return;
    parts.menuBar = widgets->bar;
    parts.layout->setMenuBar(widgets->bar);
}

// Every item and accelerator runs this one dispatch with its id.
static void connectDispatch(QAction* action, Menu* menu, int id) {
    action->setData(id);
    action->setObjectName(QString::number(id));
    QObject::connect(action, &QAction::triggered, action,
                     [menu, action] { menu->dispatchMenuCommand(action->data().toInt()); });
}

static QMenu* submenuOf(MenuParts& parts, int handle) {
    if (handle < 0 || handle >= int(parts.submenus.size())) return nullptr;
    return parts.submenus[size_t(handle)];
}

// An accelerator wins over a menu bar title's mnemonic on the same key
// (Alt+O, Alt+U): the title loses its "&", else the key would be ambiguous
// and run neither.
static void dropClashingMnemonics(MenuParts& parts) {
    for (QAction* title : parts.bar->actions()) {
        QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
        if (mnemonic.isEmpty()) continue;
        bool clash = std::any_of(parts.accelerators.begin(), parts.accelerators.end(),
                                 [&](QAction* a) { return a->shortcut() == mnemonic; });
        if (!clash) continue;
        QString text = title->text();
        for (qsizetype i = 0; i + 1 < text.size(); i++) {
            if (text[i] != '&') continue;
            if (text[i + 1] == '&') {
                i++;
                continue;
            }
            text.remove(i, 1);
            break;
        }
        title->setText(text);
    }
}

// Escape on a popup leaves the menu bar holding the keys (its keyboard
// mode, kept when the window is left and activated again). Once no popup
// is open any more (Left and Right open the neighbour at once), the keys
// go back to the window's client area.
static void returnKeysAfterPopup(QMenuBar* bar, StandardWindow& window) {
    QTimer::singleShot(0, bar, [bar, &window] {
        if (QApplication::activePopupWidget() || bar->window()->focusWidget() != bar) return;
        clientWidgetOf(&window)->setFocus(Qt::MenuBarFocusReason);
    });
}

int Menu::addSubmenu(const char* title) {
    QMenu* popup = widgets->bar->addMenu(fromCodePage(title));
    QMenuBar* bar = widgets->bar;
    QObject::connect(popup, &QMenu::aboutToHide, bar,
                     [bar, this] { returnKeysAfterPopup(bar, window); });
    widgets->submenus.push_back(popup);
    dropClashingMnemonics(*widgets);
    return int(widgets->submenus.size()) - 1;
}

int Menu::addSubmenu(int parent, const char* title) {
    QMenu* menu = submenuOf(*widgets, parent);
    if (!menu) return -1;
    widgets->submenus.push_back(menu->addMenu(fromCodePage(title)));
    return int(widgets->submenus.size()) - 1;
}

void Menu::removeSubmenu(int parent, int handle) {
    QMenu* menu = submenuOf(*widgets, handle);
    QMenu* owner = submenuOf(*widgets, parent);
    if (!menu || !owner || handle == parent) return;
    // Its items (and the items of submenus inside it) go with it.
    std::erase_if(widgets->actions, [menu](const std::pair<int, QAction*>& entry) {
        for (QObject* p = entry.second->parent(); p; p = p->parent())
            if (p == menu) return true;
        return false;
    });
    for (QMenu*& m : widgets->submenus) {
        for (QObject* p = m; p; p = p->parent()) {
            if (p == menu && m != menu) {
                m = nullptr;
                break;
            }
        }
    }
    owner->removeAction(menu->menuAction());
    widgets->submenus[size_t(handle)] = nullptr;
    delete menu;
}

void Menu::addMenuItem(int handle, int id, const char* text, MenuHandler handler) {
    QMenu* menu = submenuOf(*widgets, handle);
    if (!menu) return;
    // The text after a tab names the accelerator; the key itself is one.
    QAction* action = menu->addAction(fromCodePage(text));
    connectDispatch(action, this, id);
    widgets->actions.emplace_back(id, action);
    if (handler) addMenuHandler(id, handler);
}

void Menu::addMenuSeparator(int handle) {
    if (QMenu* menu = submenuOf(*widgets, handle)) menu->addSeparator();
}

void Menu::removeMenuItem(int handle, int id) {
    if (QMenu* menu = submenuOf(*widgets, handle)) {
        for (auto it = widgets->actions.begin(); it != widgets->actions.end(); ++it) {
            if (it->first != id || !menu->actions().contains(it->second)) continue;
            menu->removeAction(it->second);
            delete it->second;
            widgets->actions.erase(it);
            break;
        }
    }
    for (auto it = bindings.begin(); it != bindings.end(); ++it) {
        if (it->id == id) {
            bindings.erase(it);
            break;
        }
    }
}

void Menu::addMenuHandler(int id, MenuHandler handler) {
    bindings.insert(bindings.begin(), MenuBinding{id, handler, nullptr});
}

void Menu::addMenuToggle(int id, int* flag) {
    bindings.insert(bindings.begin(), MenuBinding{id, nullptr, flag});
    setMenuCheck(id, flag && *flag);
}

void Menu::setMenuCheck(int id, int on) {
    for (auto& [itemId, action] : widgets->actions) {
        if (itemId != id) continue;
        action->setCheckable(true);
        action->setChecked(on != 0);
    }
}

void Menu::addAccelerator(const char* keys, int id) {
    QKeySequence sequence = QKeySequence::fromString(QString::fromUtf8(keys));
    if (sequence.isEmpty() || acceleratorCommand(keys)) return;
    auto* action = new QAction(window.parts().frame);
    action->setShortcut(sequence);
    action->setShortcutContext(Qt::WindowShortcut);
    connectDispatch(action, this, id);
    window.parts().frame->addAction(action);
    widgets->accelerators.push_back(action);
    dropClashingMnemonics(*widgets);
}

int Menu::acceleratorCommand(const char* keys) const {
    QKeySequence sequence = QKeySequence::fromString(QString::fromUtf8(keys));
    for (QAction* action : widgets->accelerators)
        if (action->shortcut() == sequence) return action->data().toInt();
    return 0;
}

int Menu::dispatchMenuCommand(int id) {
    lastCommandId = id;
    for (const MenuBinding& binding : bindings) {
        if (binding.id != id) continue;
        MenuBinding copy = binding;  // the handler may change the bindings
        runMenuBinding(copy);
        return 1;
    }
    return 0;
}

void Menu::runMenuBinding(const MenuBinding& binding) {
    if (binding.flag) {
        *binding.flag = *binding.flag ? 0 : 1;
        setMenuCheck(binding.id, *binding.flag);
    } else if (binding.handler) {
        binding.handler();
    }
    notifyCommand(binding.id);
}

// --- the status bar ----------------------------------------------------------------------------

StatusBar::StatusBar(StandardWindow& window) : window(window) { window.statusBar = this; }

StatusBar::~StatusBar() {
    if (window.statusBar == this) window.statusBar = nullptr;
}

void StatusBar::setStatusPartText(const char* value, int alignment) {
    text = value ? value : "";
    QLabel* label = window.parts().status;
    if (!label) return;
    Qt::Alignment align = alignment == 1   ? Qt::AlignHCenter
                          : alignment == 2 ? Qt::AlignRight
                                           : Qt::AlignLeft;
    label->setAlignment(align | Qt::AlignVCenter);
    label->setText(fromCodePage(text.c_str()));
}

void showStatus(StandardWindow& window, const char* text) {
    std::string copy = text ? text : "";
    auto show = [&window, copy] {
        if (intSetting("helpintitle")) {
            window.setTitle(copy.c_str());
        } else if (StatusBar* bar = window.getStatusBar()) {
            bar->setStatusPartText(copy.c_str(), 0);
        }
    };
    if (isGuiThread())
        show();
    else
        window.postToWindow(show);
}

}  // namespace kalix
