// Dialogs built from templates. A dialog is made on a template id (the
// controls, their ids and texts come from the template table of
// gui/dialog_templates.h) and holds a list of items, one per
// control that carries a value. When the dialog opens, each item puts its
// value into its control; notifications of a control go to its item; when
// the dialog closes, each item reads its value back (on Cancel too). The
// caller then reads the items and the result: 1 after OK, 2 after Cancel
// or a close, else the id of the control that ended the dialog.
//
// Items are made after their dialog and go to the head of its list, so
// they are visited in the reverse order of their making. The caller keeps
// both alive while the dialog runs. GUI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/colors.h"
#include "gui/window.h"

namespace kalix {

class Dialog;
struct DialogParts;  // the toolkit's widgets

// Codes that onItemCommand receives.
enum DialogNotification : int {
    notifyClicked = 0,           // a button or check box
    notifySelectionChanged = 1,  // a list's selection
    notifyDoubleClicked = 2,     // a list entry
    notifyTextChanged = 0x400,   // an edit field's text
};

// Results and fixed control ids.
enum DialogResult : int { dialogOk = 1, dialogCancel = 2 };
constexpr int helpButtonId = 30;
constexpr int staticLabelId = 65535;

class Dialogitem {
  public:
    Dialogitem(int id, Dialog& dialog);
    virtual ~Dialogitem();
    Dialogitem(const Dialogitem&) = delete;
    Dialogitem& operator=(const Dialogitem&) = delete;

    // The value into the control (the dialog opens).
    virtual void initItem();
    // The control into the value (the dialog closes).
    virtual void readBack() {}
    // A notification of the control; nonzero: handled (the dialog stays
    // open), 0: the dialog ends with this control's id.
    virtual int onItemCommand(int code);
    virtual void onChanged() {}
    // Owner-drawn controls paint through this.
    virtual void drawItem(WindowSurface&) {}

    int getId() const { return id; }
    Dialog& getDialog() { return dialog; }
    void setItemFont(const WindowFont& value);
    void setReadOnly();
    void setDisabled(int flag) { disabled = flag; }

  protected:
    void applyFont();

    Dialog& dialog;
    int id;
    std::unique_ptr<WindowFont> font;  // null: the dialog's font
    int readOnly = 0;
    int disabled = 0;
};

// A single-line text (in the program's code page).
class StringItem : public Dialogitem {
  public:
    StringItem(int id, Dialog& dialog, const std::string& text);
    void initItem() override;
    void readBack() override;
    virtual void setItemString(const std::string& value);
    const std::string& getItemString() const { return text; }

  protected:
    std::string text;
};

// A text of several lines; lines end in "\r\n" in the value.
class MultilineItem : public StringItem {
  public:
    MultilineItem(int id, Dialog& dialog, const std::string& text, int limit = 0);
    void initItem() override;
    void readBack() override;
    void setItemString(const std::string& value) override;

  private:
    int limit;
};

// A text shown, never read back.
class TextItem : public Dialogitem {
  public:
    TextItem(int id, Dialog& dialog, const std::string& text);
    void initItem() override;

  private:
    std::string text;
};

// A number typed in an edit field; text that does not start with a number
// leaves the value as it was.
class DoubleItem : public Dialogitem {
  public:
    DoubleItem(int id, Dialog& dialog, double value);
    void initItem() override;
    void readBack() override;
    // Shows x; the value changes only when read back.
    void setValue(double x);
    double getValue() const { return value; }

  private:
    double value;
};

class LongItem : public Dialogitem {
  public:
    LongItem(int id, Dialog& dialog, int value);
    void initItem() override;
    void readBack() override;
    void setValue(int n);
    int getValue() const { return value; }

  private:
    int value;
};

class CheckItem : public Dialogitem {
  public:
    CheckItem(int id, Dialog& dialog, int value);
    void initItem() override;
    void readBack() override;
    int onItemCommand(int code) override;
    void setChecked(int on);
    int getValue() const { return value; }

  private:
    int value;
};

class ListItem : public Dialogitem {
  public:
    ListItem(int id, Dialog& dialog);
    void initItem() override;
    void readBack() override;
    int onItemCommand(int code) override;
    // A double click ends the dialog (as that control) when this says so.
    virtual int acceptOnDoubleClick() { return 0; }
    int addString(const std::string& text);
    void select(int index);
    int getSelectedIndex() const { return selected; }
    const std::string& getSelectedText() const { return selectedText; }

  protected:
    std::vector<std::string> entries;
    int selected = 0;
    std::string selectedText;
};

// A control painted by drawItem.
class UserItem : public Dialogitem {
  public:
    using Dialogitem::Dialogitem;
};

// The printer list: the printers the system knows, the current one
// chosen (the first when it is not among them). Without any printer the
// list offers printing into a PDF file instead.
class PrinterItem : public ListItem {
  public:
    PrinterItem(int id, Dialog& dialog, const std::string& printer);
    void initItem() override;
    // The printer chosen (after the dialog closed).
    const std::string& getPrinter() const { return getSelectedText(); }
    bool printsToPdf() const;

  private:
    std::string printer;
};

// The entry of the printer list that prints into a PDF file.
extern const char* const printToPdfEntry;

// A swatch filled with one colour.
class ColorItem : public UserItem {
  public:
    ColorItem(int id, Dialog& dialog, int index, Rgb colour);
    void drawItem(WindowSurface& surface) override;
    void setColor(Rgb value);
    Rgb getColor() const { return colour; }
    int getIndex() const { return index; }

  private:
    int index;
    Rgb colour;
};

class ButtonItem : public Dialogitem {
  public:
    using Dialogitem::Dialogitem;
    int onItemCommand(int code) override;
    int getClickCount() const { return clickCount; }

  private:
    int clickCount = 0;
};

class Dialog {
  public:
    // The window that owns the dialog (may be null) and the template id.
    Dialog(StandardWindow* owner, int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Asked before OK closes the dialog: 0 keeps it open.
    virtual int accept() { return 1; }
    // A close request (close box, Escape): nonzero turns it into Cancel.
    virtual int onDialogClose() { return 1; }
    // After the controls exist (the toolkit's layouts place them).
    virtual void layout() {}

    // Runs the dialog until it ends; returns the result. A template that
    // does not exist shows "Could not carry out the Dialog!" and gives -1.
    int runModal();
    // Opens the dialog and returns at once (modeless); the closing steps
    // hide it and a later create opens it again. 0 (after "Could not
    // create the Dialog!") when it cannot be made.
    int create();
    int getDialogResult() const { return lastCommandId; }
    int getTemplateId() const { return templateId; }
    int isOpen() const;

    // The control that has the keyboard when the dialog opens.
    void setFocusItem(int id) { focusId = id; }
    // A control of the template this dialog does without (made before a
    // run: it is left out).
    void leaveOut(int id) { leftOut.push_back(id); }
    bool isLeftOut(int id) const;
    // Places the next run: the size raised to the minimum, moved onto a
    // screen of that size, the position and size remembered.
    void fitToScreen(int screenWidth, int screenHeight, int x, int y, int width, int height,
                     int minimumWidth, int minimumHeight);
    // The rectangle a close or OK stored (the frame's position, the size).
    void getRememberedRect(int& x, int& y, int& width, int& height) const;

    // --- what items and the toolkit side use
    void addItem(Dialogitem* item);
    void removeItem(Dialogitem* item);
    const std::vector<Dialogitem*>& getItems() const { return items; }
    Dialogitem* findItem(int id) const;
    // A control's notification: routed to its item; an unhandled OK or
    // Cancel (or an item that answered 0) runs the closing steps.
    void command(int id, int code);
    // The close box or Escape.
    void closeRequested();

    void setControlText(int id, const std::string& text);
    std::string getControlText(int id) const;
    void setControlChecked(int id, int on);
    int isControlChecked(int id) const;
    void setControlReadOnly(int id);
    void setControlEnabled(int id, int on);
    void setControlFont(int id, const WindowFont& font);
    void setControlLimit(int id, int limit);
    void addListEntry(int id, const std::string& text);
    void selectListEntry(int id, int index);
    int getListSelection(int id) const;
    std::string getListEntry(int id, int index) const;
    void repaintControl(int id);
    // The control's size in pixels (0 when it does not exist).
    int getItemWidth(int id) const;
    int getItemHeight(int id) const;

    DialogParts* parts() const { return widgets.get(); }

  private:
    void closingSteps(int id);
    void rememberRect();
    // Builds the toolkit's dialog and puts the values in; false when the
    // template does not exist or the dialog is open.
    bool open(bool modal);

    StandardWindow* owner;
    int templateId;
    std::vector<Dialogitem*> items;  // newest first
    std::vector<int> leftOut;
    std::unique_ptr<DialogParts> widgets;
    int lastCommandId = 0;
    int focusId = 0;
    int rememberedX = 0, rememberedY = 0, rememberedWidth = 0, rememberedHeight = 0;
    int positionRemembered = 0, sizeRemembered = 0;
    int minimumWidth = 10, minimumHeight = 10;
};

// The dialogs open now, newest first (a dialog opened from a dialog's
// button comes first while it runs).
const std::vector<Dialog*>& openDialogs();

}  // namespace kalix
