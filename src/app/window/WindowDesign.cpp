#include "app/window/WindowDesign.h"

#include "app/lcd/LcdPanel.h"
#include "app/log/LogGrid.h"
#include "app/paint/BarGraph.h"
#include "app/paint/ReadOnlyEditStyle.h"
#include "app/window/ClickPanel.h"
#include "app/window/ShapeWidget.h"
#include "app/window/ToggleButton.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace vireo {

namespace {

// Qt puts a check box's caption about 3 px further right than the window was designed for,
// which cuts the record bar's captions ("Repea", "Sampling Interva", half an "'S"). A caption
// wider in this font than in the designed one comes nearer still, so that it ends inside its
// box: the "'S" after the interval box then shows whole before the next button.
class DesignedCaptionStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        if (metric != PM_CheckBoxLabelSpacing)
            return value;
        int spacing = value - kCaptionShift;
        if (const auto *box = qobject_cast<const QCheckBox *>(widget)) {
            const int room = box->width() -
                             QProxyStyle::pixelMetric(PM_IndicatorWidth, option, box) -
                             box->fontMetrics().horizontalAdvance(box->text());
            spacing = std::min(spacing, room);
        }
        return std::max(0, spacing);
    }

private:
    static constexpr int kCaptionShift = 3;
};

// A label whose text is drawn exactly as given: "&" is a character, not an accelerator mark.
QLabel *literalLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

constexpr const char *kA2 = "VORDA-A2";
constexpr const char *kArial = "Arial";
constexpr const char *kSans = "MS Sans Serif";

constexpr FontDesign kInherit{};
constexpr FontDesign kSans11{kSans, 11};
constexpr FontDesign kArial11{kArial, 11};
constexpr FontDesign kArial14I{kArial, 14, false, true};
constexpr FontDesign kArial16B{kArial, 16, true};
constexpr FontDesign kArial19BI{kArial, 19, true, true};
constexpr const char *kNumberTip = "Please enter a number here.";

constexpr int kSunkenPanel = QFrame::Panel | QFrame::Sunken;
constexpr int kRaisedPanel = QFrame::Panel | QFrame::Raised;
constexpr int kSunkenBox = QFrame::Box | QFrame::Sunken;

// Short names keep the rows on one or two lines each.
constexpr Shown S = Shown::Shown;
constexpr Shown H = Shown::Hidden;
constexpr Shown P = Shown::Parked;

using K = ControlKind;

// One row per control in creation order; columns: name, kind, parent, place, caption or
// picture, font, tip, shown, flags, fill, ink, frame.
// clang-format off
const ControlDesign kWindowDesign[] = {
    // The LCD panel and its bar graph.
    {"Panel1", K::Lcd, nullptr, {3, 31, 285, 138}, nullptr, kInherit, nullptr, S, 0,
        Fill::White, Ink::None, kSunkenPanel},
    {"PBar2", K::Bar, nullptr, {3, 169, 284, 12}, nullptr, kInherit},

    // Top bar. One port panel shows the selected port; clicking it selects the next one.
    {"BtCOM1", K::PanelText, nullptr, {5, 3, 61, 24}, "COM 1", kArial16B, nullptr, S, 0,
        Fill::None, Ink::None, kSunkenPanel},
    {"BtCOM2", K::PanelText, nullptr, {5, 3, 61, 24}, "COM 2", kArial16B, nullptr, H, 0,
        Fill::None, Ink::None, kSunkenPanel},
    {"BtCOM3", K::PanelText, nullptr, {5, 3, 61, 24}, "COM 3", kArial16B, nullptr, H, 0,
        Fill::None, Ink::None, kSunkenPanel},
    {"BtCOM4", K::PanelText, nullptr, {5, 3, 61, 24}, "COM 4", kArial16B, nullptr, H, 0,
        Fill::None, Ink::None, kSunkenPanel},
    {"COMCon", K::Toggle, nullptr, {68, 4, 94, 25}, "COM Connect", {kArial, 13, true}},
    {"USBCon", K::Toggle, nullptr, {170, 4, 94, 25}, "USB Connect", {kArial, 13, true}},
    {"BitBtn1", K::Push, nullptr, {552, 3, 57, 25}, "Exit", {kArial, 14, true}},

    // Limits panel with the verdict and the link picture.
    {"Panel4", K::Frame, nullptr, {289, 32, 329, 137}, nullptr, kInherit, nullptr, S, 0,
        Fill::White, Ink::None, kRaisedPanel},
    {"T1_HI", K::Label, "Panel4", {14, 36, 68, 13}, "Set High Limit:", kSans11, nullptr, S,
        FitCaption},
    {"T1_Value", K::Label, "Panel4", {8, 66, 74, 13}, "Measure Value:", kSans11, nullptr, S,
        FitCaption},
    {"T1_LO", K::Label, "Panel4", {16, 97, 66, 13}, "Set Low Limit:", kSans11, nullptr, S,
        FitCaption},
    {"T1HI", K::Edit, "Panel4", {88, 32, 81, 21}, "6000", kSans11, kNumberTip},
    {"T1VALUE", K::Edit, "Panel4", {88, 62, 81, 21}, "0", kSans11, nullptr, S, ReadOnly,
        Fill::Info},
    {"T1LO", K::Edit, "Panel4", {88, 92, 81, 21}, "-6000", kSans11, kNumberTip},
    {"Shape1", K::Circle, "Panel4", {216, 24, 97, 97}, nullptr, kInherit, nullptr, S, 0,
        Fill::Info},
    {"judge", K::Label, "Panel4", {237, 56, 65, 29}, "", {kSans, 24, true}, nullptr, S,
        MiddleLeft, Fill::Info},
    {"CONokN", K::Picture, "Panel4", {293, 9, 25, 24}, ":/pictures/link_idle.png", kInherit},
    {"CONok", K::Picture, "Panel4", {293, 9, 25, 24}, ":/pictures/link_active.png", kInherit,
        nullptr, H},

    // Record bar and the log grid.
    {"RepeatSet", K::Check, nullptr, {3, 186, 54, 20}, "Repeat", kArial11, nullptr, S,
        Checked | DesignedCaption},
    {"RecordSI", K::Check, nullptr, {57, 186, 143, 20}, "Sampling Interval           'S",
        kArial11, nullptr, S, DesignedCaption},
    {"RecordSITime", K::Edit, nullptr, {159, 186, 27, 21}, "1", kInherit},
    {"RecordNew", K::ToolPicture, nullptr, {200, 186, 23, 21}, ":/pictures/newpage.png",
        kInherit, "Close Data"},
    {"OpenDataFiles", K::ToolPicture, nullptr, {222, 186, 23, 21}, ":/pictures/openfolder.png",
        kInherit, "Open old data files", S, TwoStateIcon},
    {"saveas", K::ToolPicture, nullptr, {244, 186, 23, 21}, ":/pictures/floppy.png", kInherit,
        "Save data files"},
    {"BtPrint", K::ToolPicture, nullptr, {266, 186, 22, 21}, ":/pictures/printer.png",
        kInherit},
    {"DBGrid1", K::Grid, nullptr, {3, 208, 284, 196}, nullptr, kInherit},

    // Trend chart and its toolbar.
    {"Chtshow", K::ChartView, nullptr, {288, 171, 329, 233}, nullptr, kInherit, nullptr, S, 0,
        Fill::None, Ink::None, kSunkenPanel},
    {"Bevel1", K::Frame, "Chtshow", {2, 2, 40, 20}, nullptr, kInherit, nullptr, S, 0,
        Fill::None, Ink::None, kSunkenBox},
    {"BtFill", K::Check, "Chtshow", {5, 5, 36, 17}, "Fill", kSans11, "Graphic Fill", S,
        Checked, Fill::White},
    {"Maxrecord", K::Edit, "Chtshow", {48, 3, 41, 21}, "100", kInherit},
    {"BtNew", K::ToolPicture, "Chtshow", {91, 3, 35, 21}, ":/pictures/newpage.png", kInherit,
        "New"},
    {"BtSave", K::ToolPicture, "Chtshow", {125, 3, 35, 21}, ":/pictures/floppy.png", kInherit,
        "Save"},
    {"BtFirst", K::ToolPicture, "Chtshow", {163, 3, 25, 21}, ":/pictures/first.png", kInherit,
        "First"},
    {"BTPrevious", K::ToolPicture, "Chtshow", {187, 3, 25, 21}, ":/pictures/previous.png",
        kInherit, "Previous"},
    {"Bt10", K::Push, "Chtshow", {211, 3, 25, 21}, "1", kSans11, "Page No.", S, 0, Fill::None,
        Ink::Blue},
    {"BtNext", K::ToolPicture, "Chtshow", {235, 3, 25, 21}, ":/pictures/next.png", kInherit,
        "Next"},
    {"BTlast", K::ToolPicture, "Chtshow", {259, 3, 25, 21}, ":/pictures/last.png", kInherit,
        "last"},
    {"TbFd", K::PanelPicture, "Chtshow", {288, 3, 25, 25}, ":/pictures/zoomin_blue.png",
        kInherit, "Graphic Enlarge"},
    {"TbSx", K::PanelPicture, "Chtshow", {288, 3, 25, 25}, ":/pictures/zoomout_blue.png",
        kInherit, "Graphic Restore", H},

    // USB link controls.
    {"ReadBtn", K::Toggle, nullptr, {kParkX, 4, 60, 25}, "Read", kInherit, nullptr, P},
    {"ClearBtn", K::ToolText, nullptr, {kParkX, 32, 60, 25}, "Clear", kInherit, nullptr, P},
    {"InfoBtn", K::ToolText, nullptr, {kParkX, 60, 60, 25}, "Info", kInherit, nullptr, P},
    {"SetFeature", K::Push, nullptr, {kParkX, 88, 80, 25}, "SetFeature", kInherit, nullptr, P},
    {"DevListBox", K::List, nullptr, {kParkX + 100, 0, 200, 100}, nullptr, kInherit, nullptr,
        P},
    {"HistoryListBox", K::List, nullptr, {kParkX + 100, 110, 200, 100}, nullptr, kInherit,
        nullptr, P},
    {"USBtxt", K::Label, nullptr, {kParkX, 120, 100, 16}, "", {kArial, 12, false, true},
        nullptr, H, 0, Fill::None, Ink::Cyan},

    // Serial link and exit panels.
    {"BTCon", K::PanelText, nullptr, {kParkX, 150, 105, 26}, "Connect", kArial19BI, nullptr, P,
        0, Fill::LinkBlue, Ink::Yellow, kRaisedPanel},
    {"BtDiscon", K::PanelText, nullptr, {kParkX, 150, 105, 26}, "Disconnect",
        {kArial, 16, true, true}, nullptr, H, 0, Fill::LinkBlue, Ink::Yellow, kRaisedPanel},
    {"BtExit", K::PanelText, nullptr, {kParkX, 180, 65, 26}, "Exit", kArial19BI, nullptr, P, 0,
        Fill::LinkBlue, Ink::Yellow, kRaisedPanel},

    // Max/min readout and scale limits.
    {"Panel3", K::Frame, nullptr, {3, 440, 285, 56}, nullptr, kInherit, nullptr, H, 0,
        Fill::Silver},
    {"Label11", K::Label, "Panel3", {8, 9, 40, 16}, "MIN: ", {kA2, 12, true}},
    {"Label12", K::Label, "Panel3", {8, 29, 40, 16}, "MAX: ", {kA2, 12, true}},
    {"MinText", K::Label, "Panel3", {48, 9, 48, 17}, "4001", kArial14I},
    {"MaxText", K::Label, "Panel3", {48, 29, 48, 17}, "-4001", kArial14I},
    {"MinTextU", K::Label, "Panel3", {96, 9, 40, 17}, "*", {kA2, 14}},
    {"MaxTextU", K::Label, "Panel3", {96, 29, 40, 17}, "*", {kA2, 14}},
    {"SetMaxB", K::Check, "Panel3", {140, 6, 68, 17}, "SetMax:", kInherit},
    {"SetMinB", K::Check, "Panel3", {140, 29, 68, 17}, "SetMin: ", kInherit},
    {"Setmax", K::Edit, "Panel3", {208, 3, 65, 21}, "4000", kInherit},
    {"SetMin", K::Edit, "Panel3", {208, 26, 65, 21}, "-4000", kInherit},

    // Analog scale, hidden and of no size.
    {"KD", K::Frame, nullptr, {290, 88, 0, 0}, nullptr, kInherit, nullptr, H, 0, Fill::White,
        Ink::None, kSunkenPanel},
    {"KD1", K::Picture, "KD", QRect(), nullptr, kInherit, nullptr, S, ScaledPicture},
    {"KdFd", K::PanelPicture, "KD", {264, 5, 25, 25}, ":/pictures/zoomin_red.png", kInherit,
        nullptr, H},
    {"KdSx", K::PanelPicture, "KD", {288, 5, 25, 25}, ":/pictures/zoomout_red.png", kInherit,
        nullptr, H},
    {"oltext", K::Label, "KD", {109, 72, 113, 49}, "OL !!", {kArial, 35, true}, nullptr, H, 0,
        Fill::Gray, Ink::White},

    // The main menu: every top-level entry is hidden, so nobody sees it.
    {"MainMenu1", K::Menu, nullptr, QRect(), nullptr, kInherit},
    {"ComSetup1", K::SubMenu, "MainMenu1", QRect(), "ComSetup", kInherit, nullptr, H},
    {"COM11", K::MenuItem, "ComSetup1", QRect(), "COM1", kInherit, nullptr, S,
        Checkable | Checked},
    {"COM21", K::MenuItem, "ComSetup1", QRect(), "COM2", kInherit, nullptr, S, Checkable},
    {"COM31", K::MenuItem, "ComSetup1", QRect(), "COM3", kInherit, nullptr, S, Checkable},
    {"COM41", K::MenuItem, "ComSetup1", QRect(), "COM4", kInherit, nullptr, S, Checkable},
    {"Connect1", K::SubMenu, "MainMenu1", QRect(), "Connect", kInherit, nullptr, H},
    {"START1", K::MenuItem, "Connect1", QRect(), "START", kInherit, nullptr, S, Checkable},
    {"STOP1", K::MenuItem, "Connect1", QRect(), "STOP", kInherit, nullptr, S,
        Checkable | Disabled},
    {"Record1", K::SubMenu, "MainMenu1", QRect(), "Record", kInherit, nullptr, H},
    {"New1", K::MenuItem, "Record1", QRect(), "New", kInherit, nullptr, H},
    {"N10001", K::MenuItem, "Record1", QRect(), "1000", kInherit, nullptr, S, Checkable},
    {"N50001", K::MenuItem, "Record1", QRect(), "5000", kInherit, nullptr, S, Checkable},
    {"N100001", K::MenuItem, "Record1", QRect(), "10000", kInherit, nullptr, S,
        Checkable | Checked},
    {"N500001", K::MenuItem, "Record1", QRect(), "50000", kInherit, nullptr, S, Checkable},
    {"N1000001", K::MenuItem, "Record1", QRect(), "100000", kInherit, nullptr, S, Checkable},
    {"limitess", K::MenuItem, "Record1", QRect(), "limitless", kInherit, nullptr, S, Checkable},
    {"EXIT1", K::MenuItem, "MainMenu1", QRect(), "Exit", kInherit, nullptr, H},

    // Model switches; the form resource ticks the one of this build's model.
    {"IFWren", K::Check, nullptr, {kParkX, 300, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFHeron", K::Check, nullptr, {kParkX, 318, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFPlover", K::Check, nullptr, {kParkX, 336, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFFinch", K::Check, nullptr, {kParkX, 354, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFOsprey", K::Check, nullptr, {kParkX, 372, 20, 17}, nullptr, kInherit, nullptr, H,
        Checked},
    {"IFKestrel", K::Check, nullptr, {kParkX, 390, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFSiskin", K::Check, nullptr, {kParkX, 408, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFLinnet", K::Check, nullptr, {kParkX, 426, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFCurlew", K::Check, nullptr, {kParkX, 444, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFPetrel", K::Check, nullptr, {kParkX, 462, 20, 17}, nullptr, kInherit, nullptr, H},
    {"IFMerlin", K::Check, nullptr, {kParkX, 480, 20, 17}, nullptr, kInherit, nullptr, H},
    {"Egret", K::Check, nullptr, {kParkX, 498, 20, 17}, nullptr, kInherit, nullptr, H},
    {"Ibis", K::Check, nullptr, {kParkX, 516, 20, 17}, nullptr, kInherit, nullptr, H},
};
// clang-format on

// The link buttons COMCon, USBCon and ReadBtn form one group.
constexpr int kLinkButtonGroup = 1;

QString text(const char *caption)
{
    return caption == nullptr ? QString() : QString::fromLatin1(caption);
}

QColor fillColour(Fill fill)
{
    switch (fill) {
    case Fill::White:
        return Qt::white;
    case Fill::Silver:
        return QColor(192, 192, 192);
    case Fill::Gray:
        return Qt::gray;
    case Fill::Info:
        return QApplication::palette().color(QPalette::ToolTipBase);
    case Fill::LinkBlue:
        return QColor(0, 128, 255);
    case Fill::None:
        break;
    }
    return {};
}

QColor inkColour(Ink ink)
{
    switch (ink) {
    case Ink::White:
        return Qt::white;
    case Ink::Yellow:
        return Qt::yellow;
    case Ink::Cyan:
        return Qt::cyan;
    case Ink::Blue:
        return Qt::blue;
    case Ink::None:
        break;
    }
    return {};
}

QWidget *makeWidget(const ControlDesign &row, QWidget *parent)
{
    switch (row.kind) {
    case K::Lcd: {
        auto *panel = new LcdPanel(parent);
        panel->setFrameStyle(row.frameStyle);
        return panel;
    }
    case K::Bar: {
        // Sixty segments; the decoder moves the bar from mid-scale.
        auto *bar = new BarGraph(parent);
        bar->setRange(0, 60);
        bar->setValue(30);
        bar->setTextVisible(false);
        return bar;
    }
    case K::Frame: {
        auto *frame = new QFrame(parent);
        frame->setFrameStyle(row.frameStyle);
        return frame;
    }
    case K::Label: {
        QLabel *label = literalLabel(text(row.caption), parent);
        label->setAlignment(Qt::AlignLeft |
                            ((row.flags & MiddleLeft) != 0 ? Qt::AlignVCenter : Qt::AlignTop));
        return label;
    }
    case K::Picture: {
        auto *label = new QLabel(parent);
        if (row.caption != nullptr)
            label->setPixmap(QPixmap(text(row.caption)));
        label->setScaledContents((row.flags & ScaledPicture) != 0);
        return label;
    }
    case K::Edit: {
        auto *edit = new QLineEdit(text(row.caption), parent);
        edit->setReadOnly((row.flags & ReadOnly) != 0);
        // A box only code writes to is written with every reading.
        if (edit->isReadOnly()) {
            auto *style = new ReadOnlyEditStyle;
            style->setParent(edit);
            edit->setStyle(style);
        }
        return edit;
    }
    case K::Check: {
        auto *box = new QCheckBox(text(row.caption), parent);
        box->setChecked((row.flags & Checked) != 0);
        if ((row.flags & DesignedCaption) != 0) {
            auto *style = new DesignedCaptionStyle;
            style->setParent(box);
            box->setStyle(style);
        }
        return box;
    }
    case K::Push:
        return new QPushButton(text(row.caption), parent);
    case K::Toggle:
        return new ToggleButton(text(row.caption), kLinkButtonGroup, parent);
    case K::ToolPicture: {
        auto *button = new QToolButton(parent);
        if ((row.flags & TwoStateIcon) != 0) {
            const QPixmap both(text(row.caption));
            QIcon icon(both.copy(0, 0, 16, 16));
            icon.addPixmap(both.copy(16, 0, 16, 16), QIcon::Disabled);
            button->setIcon(icon);
            button->setIconSize(QSize(16, 16));
        } else {
            button->setIcon(QIcon(text(row.caption)));
            button->setIconSize(QSize(16, 15));
        }
        return button;
    }
    case K::ToolText: {
        auto *button = new QToolButton(parent);
        button->setText(text(row.caption));
        return button;
    }
    case K::PanelText: {
        auto *panel = new ClickPanel(parent);
        panel->setTextFormat(Qt::PlainText);
        panel->setText(text(row.caption));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameStyle(row.frameStyle);
        return panel;
    }
    case K::PanelPicture: {
        auto *panel = new ClickPanel(parent);
        panel->setPixmap(QPixmap(text(row.caption)));
        return panel;
    }
    case K::Circle:
        return new ShapeWidget(ShapeWidget::Kind::Circle, parent);
    case K::List:
        return new QListWidget(parent);
    case K::Grid:
        return new LogGrid(parent);
    case K::ChartView: {
        auto *view = new QChartView(new QChart(), parent);
        view->setFrameStyle(row.frameStyle);
        return view;
    }
    case K::Menu:
        return new QMenu(parent);
    case K::SubMenu:
    case K::MenuItem:
        break;
    }
    return nullptr;
}

void applyLook(const ControlDesign &row, QWidget *w)
{
    if (row.font.px != 0) {
        QFont f(QString::fromLatin1(row.font.family));
        f.setPixelSize(row.font.px);
        f.setBold(row.font.bold);
        f.setItalic(row.font.italic);
        f.setStyleStrategy(QFont::PreferAntialias);
        w->setFont(f);
    }
    if (row.place != QRect())
        w->setGeometry(row.place);
    if (row.tip != nullptr)
        w->setToolTip(text(row.tip));
    if (row.fill != Fill::None) {
        if (auto *shape = qobject_cast<ShapeWidget *>(w)) {
            shape->setBrushColor(fillColour(row.fill));
        } else {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, fillColour(row.fill));
            pal.setColor(QPalette::Base, fillColour(row.fill));
            w->setPalette(pal);
            // Children take the window's button-face role unless told otherwise.
            w->setBackgroundRole(QPalette::Window);
            w->setAutoFillBackground(true);
        }
    }
    if (row.ink != Ink::None) {
        QPalette pal = w->palette();
        pal.setColor(row.kind == K::Push ? QPalette::ButtonText : QPalette::WindowText,
                     inkColour(row.ink));
        w->setPalette(pal);
    }
    if ((row.flags & FitCaption) != 0)
        w->adjustSize();
    if (row.shown == Shown::Hidden)
        w->hide();
}

// Menus hold actions, not widgets: a submenu is its parent's entry, an item its action.
QObject *makeMenuEntry(const ControlDesign &row, QMenu *menu)
{
    if (row.kind == K::SubMenu) {
        QMenu *sub = menu->addMenu(text(row.caption));
        sub->menuAction()->setVisible(row.shown != Shown::Hidden);
        return sub;
    }
    QAction *item = menu->addAction(text(row.caption));
    item->setCheckable((row.flags & Checkable) != 0);
    item->setChecked((row.flags & Checked) != 0);
    item->setEnabled((row.flags & Disabled) == 0);
    item->setVisible(row.shown != Shown::Hidden);
    return item;
}

} // namespace

std::span<const ControlDesign> windowDesign()
{
    return kWindowDesign;
}

void buildDesign(QWidget *window, std::span<const ControlDesign> rows)
{
    QHash<QString, QObject *> built;
    for (const ControlDesign &row : rows) {
        QObject *parent = row.parent == nullptr ? window : built.value(QLatin1String(row.parent));
        QObject *made = nullptr;
        if (row.kind == K::SubMenu || row.kind == K::MenuItem) {
            made = makeMenuEntry(row, qobject_cast<QMenu *>(parent));
        } else {
            QWidget *w = makeWidget(row, qobject_cast<QWidget *>(parent));
            applyLook(row, w);
            made = w;
        }
        made->setObjectName(QLatin1String(row.name));
        built.insert(QLatin1String(row.name), made);
    }
}

QObject *designedObject(QObject *root, const char *name, const QMetaObject &type)
{
    QObject *found = root->findChild<QObject *>(QLatin1String(name));
    if (found == nullptr || !found->metaObject()->inherits(&type))
        qFatal("The window design has no %s named %s", type.className(), name);
    return found;
}

} // namespace vireo
