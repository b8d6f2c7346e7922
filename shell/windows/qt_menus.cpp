// Menus, accelerators and the status bar on Qt Widgets.
#include <QAction>
#include <QMenu>
#include <QShortcut>

#include "shell/settings.h"
#include "shell/windows/gui_bridge.h"
#include "shell/windows/menus.h"
#include "shell/windows/qt_window_parts.h"

struct MenuParts {
    QMenuBar* bar = nullptr;
    std::vector<QMenu*> submenus;
    std::vector<std::pair<int, QAction*>> actions;  // id and item, in order made
};

Menu::Menu(StandardWindow& window) : window(window), widgets(std::make_unique<MenuParts>()) {
    widgets->bar = new QMenuBar;
    window.menu = this;
}

Menu::~Menu() {
    if (window.menu == this) window.menu = nullptr;
    if (window.parts().menuBar != widgets->bar) delete widgets->bar;
}

void Menu::attachMenu() {
    WindowParts& parts = window.parts();
    if (parts.menuBar == widgets->bar) return;
    parts.menuBar = widgets->bar;
    parts.layout->setMenuBar(widgets->bar);
}

int Menu::addSubmenu(const char* title) {
    widgets->submenus.push_back(widgets->bar->addMenu(fromCodePage(title)));
    return int(widgets->submenus.size()) - 1;
}

void Menu::addMenuItem(int position, int id, const char* text, MenuHandler handler) {
    if (position < 0 || position >= int(widgets->submenus.size())) return;
    QString label = fromCodePage(text);
    QString shortcutName;
    int tab = label.indexOf('\t');
    if (tab >= 0) {
        shortcutName = label.mid(tab + 1);
        label = label.left(tab);
    }
    QAction* action = widgets->submenus[size_t(position)]->addAction(label);
    if (!shortcutName.isEmpty()) {
        // The accelerator's name is shown; the key itself is an accelerator.
        action->setText(label + "\t" + shortcutName);
    }
    QObject::connect(action, &QAction::triggered, action, [this, id] { dispatchMenuCommand(id); });
    widgets->actions.emplace_back(id, action);
    addMenuHandler(id, handler);
}

void Menu::addMenuSeparator(int position) {
    if (position < 0 || position >= int(widgets->submenus.size())) return;
    widgets->submenus[size_t(position)]->addSeparator();
}

void Menu::removeMenuItem(int position, int id) {
    if (position >= 0 && position < int(widgets->submenus.size())) {
        for (auto it = widgets->actions.begin(); it != widgets->actions.end(); ++it) {
            if (it->first != id) continue;
            widgets->submenus[size_t(position)]->removeAction(it->second);
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
    auto* shortcut = new QShortcut(QKeySequence(QString::fromUtf8(keys)), window.parts().frame);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, shortcut,
                     [this, id] { dispatchMenuCommand(id); });
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
