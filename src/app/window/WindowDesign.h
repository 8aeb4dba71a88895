#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <span>

class QWidget;

namespace vireo {

// Where parked controls start, beyond the window's right edge.
inline constexpr int kParkX = 700;

// What kind of control a design row makes.
enum class ControlKind {
    Lcd,          // the LCD panel, which paints its members itself
    Bar,          // the bar graph under the LCD
    Frame,        // a plain panel, optionally with a bevel
    Label,        // a caption drawn literally, top-left aligned
    Picture,      // a label showing a picture
    Edit,         // a one-line edit box
    Check,        // a check box
    Push,         // a push button
    Toggle,       // a toggle button of the link group
    ToolPicture,  // a flat tool button with a picture
    ToolText,     // a tool button with a caption
    PanelText,    // a caption panel that acts as a button
    PanelPicture, // a picture that acts as a button
    Circle,       // a filled circle
    List,         // a list box
    Grid,         // the log grid
    ChartView,    // the chart area; the trend chart fills in the chart itself
    Menu,         // the window's menu
    SubMenu,      // an entry of the menu that opens a submenu
    MenuItem,     // an entry of a menu
};

enum class Shown {
    Shown,  // visible at start
    Hidden, // exists, invisible at start
    Parked, // visible, but placed beyond the window's right edge (kParkX) where nobody sees it
};

// Background colours the design uses; none leaves the parent's.
enum class Fill { None, White, Silver, Gray, Info, LinkBlue };
// Caption colours the design uses; none keeps the inherited one.
enum class Ink { None, White, Yellow, Cyan, Blue };

// Font of a control; a size of 0 keeps the inherited font.
struct FontDesign {
    const char *family = nullptr;
    int px = 0;
    bool bold = false;
    bool italic = false;
};

// Details that only some rows need.
enum DesignFlag : unsigned {
    Checked = 1u << 0,         // check box or menu item ticked at start
    Checkable = 1u << 1,       // menu item that carries a tick
    Disabled = 1u << 2,        // not enabled at start
    ReadOnly = 1u << 3,        // edit box the user cannot type into
    FitCaption = 1u << 4,      // label that sizes itself to its caption
    MiddleLeft = 1u << 5,      // caption centred vertically instead of at the top
    ScaledPicture = 1u << 6,   // picture stretched over the label
    TwoStateIcon = 1u << 7,    // picture holding the normal and the greyed image side by side
    DesignedCaption = 1u << 8, // check box caption where the design put it, 3 px left of Qt's
};

// One control of the window: the window design is a table of these, in creation order (which
// is also the stacking and the keyboard order).
struct ControlDesign {
    const char *name; // objectName and the name the handlers use
    ControlKind kind;
    const char *parent; // nullptr: the window
    QRect place; // left, top, width, height in the parent; an empty QRect() keeps the default
    const char *caption; // text, or picture resource for picture kinds
    FontDesign font;
    const char *tip = nullptr;
    Shown shown = Shown::Shown;
    unsigned flags = 0;
    Fill fill = Fill::None;
    Ink ink = Ink::None;
    int frameStyle = 0; // QFrame shape | shadow
};

// The whole window design, in creation order.
std::span<const ControlDesign> windowDesign();

// Creates the controls of `rows` in `window`, in order; a row's parent is an earlier row.
void buildDesign(QWidget *window, std::span<const ControlDesign> rows);

// The control named `name` under `root`; a missing or mistyped control is a design fault.
QObject *designedObject(QObject *root, const char *name, const QMetaObject &type);

template <class T> T *designed(QObject *root, const char *name)
{
    return static_cast<T *>(designedObject(root, name, T::staticMetaObject));
}

} // namespace vireo
