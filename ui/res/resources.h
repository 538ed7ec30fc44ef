#pragma once
// The resource module: string table, dialog templates and menus, looked up by
// number. The plug-in carries its own (Russian) module; a second module with
// the same ids can be installed at start-up and then answers first, so a
// language library replaces every text and template it carries. Nothing here
// depends on a widget toolkit: the core takes its texts from it too.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace res {

// What a template control becomes.
enum class Kind {
    Label,  // static text
    Frame,  // invisible placeholder
    GroupBox,
    Button,     // push button
    DefButton,  // default push button
    CheckBox,   // automatic check box
    Radio,      // automatic radio button
    Edit,       // one-line edit
    DropList,   // drop-down list without an edit part
    ComboBox,   // drop-down list with an edit part
    ListView,   // report-view list with one column and no header
    TreeView,
    UpDown,      // up-down control bound to the control before it
    Progress,    // progress bar
    ReportView,  // rows under a header of columns, with grid lines
};

// Style bits that matter to the widgets built from a template.
enum Style : uint32_t {
    kReadOnly = 1u << 0,
    kNumber = 1u << 1,      // edit accepts digits only
    kGroupStart = 1u << 2,  // first radio button of a group
    kCentered = 1u << 3,    // static text centred
    kMultiSel = 1u << 4,    // list: several items selectable
    kCheckBoxes = 1u << 5,  // list: check box per item
    kHidden = 1u << 6,
    kDisabled = 1u << 7,
};

inline constexpr int kStatic = -1;  // id of controls never looked up

// A rectangle in dialog units.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct Control {
    int id = kStatic;
    Kind kind = Kind::Label;
    uint32_t style = 0;
    std::string text;  // the control's text when stringId is 0
    int stringId = 0;  // the control's text from the string table
    Rect rect;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;  // empty: no caption (child dialogs)
    int width = 0;        // dialog units
    int height = 0;
    std::string font = "MS Shell Dlg";
    int pointSize = 8;
    std::vector<Control> controls;

    const Control* Find(int controlId) const;
};

struct MenuItem {
    int id = 0;                   // command id; 0 for a separator or a popup
    std::string text;             // empty for a separator
    std::vector<MenuItem> items;  // a popup's entries
    bool IsSeparator() const { return id == 0 && text.empty(); }
};

struct Menu {
    int id = 0;
    std::vector<MenuItem> items;  // the top-level popups
};

// One resource module. Lookups of ids the module does not carry give null.
class Module {
  public:
    virtual ~Module() = default;
    virtual const std::string* String(int id) const = 0;
    virtual const DialogTemplate* Dialog(int id) const = 0;
    virtual const Menu* FindMenu(int id) const = 0;
};

// A module held in maps, as a language library provides it.
class TableModule : public Module {
  public:
    const std::string* String(int id) const override;
    const DialogTemplate* Dialog(int id) const override;
    const Menu* FindMenu(int id) const override;

    std::map<int, std::string> strings;
    std::map<int, DialogTemplate> dialogs;
    std::map<int, Menu> menus;
};

// The plug-in's own module.
const Module& OwnModule();

// Makes m answer before the own module (null goes back to the own module
// only). The module must outlive its use; set at start-up, before any window.
void InstallModule(const Module* m);

// Lookups through the installed module, then the own one. A missing string
// is empty; a missing template or menu is null.
std::string Str(int id);
const DialogTemplate* Dialog(int id);
const Menu* FindMenu(int id);

// printf-style substitution into a string-table text that cannot overrun
// anything, whatever a translated format holds: each "%s", "%d" or "%.Nf"
// takes the next argument as given (the caller formats numbers, locale-free,
// with the precision the text shows), "%%" is a percent sign, other
// sequences stay as they are.
std::string Format(int id, const std::vector<std::string>& args);
std::string FormatText(const std::string& format, const std::vector<std::string>& args);

}  // namespace res
