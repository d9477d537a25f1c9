// The colours of texts and background, painting, and the system menu.

#include "ui/VindrelDlg.h"

#include "app/AboutDlg.h"
#include "ui/ControlIds.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QShortcut>

namespace {

// System commands of the window's menu.
constexpr int SC_MINIMIZE = 0xF020;
constexpr int SC_CLOSE = 0xF060;

// String 101: the about item of the system menu.
const char* const kAboutMenuText = "关于 Vindrel(&A)...";

// The icon drawn while minimised, at the platform's icon size.
constexpr int kIconSize = 32;

}  // namespace

QSize CVindrelDlg::OnGetMinMaxInfo() const { return QSize(kMinTrackWidth, kMinTrackHeight); }

// ---- Colours and painting -------------------------------------------------------------------

std::optional<CVindrelDlg::CtlColors> CVindrelDlg::OnCtlColor(int controlId)
{
    CtlColors colours;
    colours.background = Qt::black;
    switch (controlId) {
    case kLongitudeTextId:
    case kLatitudeTextId:
    case kTimeTextId:
    case kUnitComboId:
        colours.setText = true;
        colours.text = Qt::white;
        return colours;
    case kFileNameTextId:
        colours.setText = true;
        colours.text = QColor(255, 255, 0);  // yellow
        return colours;
    case 0:  // the dialog itself
    case kGSensorGraphId:
        return colours;
    default:
        return std::nullopt;
    }
}

void CVindrelDlg::ApplyControlColours()
{
    const auto apply = [this](QWidget& w, const CtlColors& c) {
        QPalette p = w.palette();
        p.setColor(QPalette::Window, c.background);
        if (&w != this) {
            // The dialog's own background reaches every child through the window colour only;
            // a control's other background roles are its own.
            p.setColor(QPalette::Base, c.background);
            p.setColor(QPalette::Button, c.background);
        }
        if (c.setText) {
            for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
                p.setColor(role, c.text);
            }
        }
        w.setPalette(p);
        w.setAutoFillBackground(true);
    };
    if (const auto own = OnCtlColor(0)) {
        apply(*this, *own);
    }
    for (const auto& [id, widget] : controlsById_) {
        if (const auto colours = OnCtlColor(id)) {
            apply(*widget, *colours);
        }
    }
    // The lists keep the platform's colours, not the dialog's black.
    for (CColorListCtrl* list : {&leftList, &rightList}) {
        // Every colour set one by one: a palette set as a whole would still take the parent's.
        const QPalette platform = QApplication::palette(list);
        QPalette own;
        for (int group = 0; group < QPalette::NColorGroups; ++group) {
            for (int role = 0; role < QPalette::NColorRoles; ++role) {
                const auto g = static_cast<QPalette::ColorGroup>(group);
                const auto r = static_cast<QPalette::ColorRole>(role);
                own.setColor(g, r, platform.color(g, r));
            }
        }
        list->setPalette(own);
    }
}

void CVindrelDlg::OnPaint()
{
    if (!isMinimized()) {
        return;  // the background is black; every picture is drawn by its control
    }
    QPainter painter(this);
    const LayoutPoint at = MinimizedIconPosition(width(), height(), kIconSize, kIconSize);
    appIcon.paint(&painter, at.x, at.y, kIconSize, kIconSize);
}

// ---- System menu ----------------------------------------------------------------------------

void CVindrelDlg::BuildSystemMenu()
{
    systemMenu_ = new QMenu(this);
    systemMenu_->addAction(QStringLiteral("最小化(&N)"), this, [this] { OnSysCommand(SC_MINIMIZE); });
    systemMenu_->addAction(QStringLiteral("关闭(&C)\tAlt+F4"), this, [this] { OnSysCommand(SC_CLOSE); });
    const QString about = QString::fromUtf8(kAboutMenuText);
    if (!about.isEmpty()) {
        systemMenu_->addSeparator();
        systemMenu_->addAction(about, this, [this] { OnSysCommand(kAboutCommandId); });
    }
    // The keyboard's way to the menu.
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(shortcut, &QShortcut::activated, this, [this] { ShowSystemMenu(mapToGlobal(QPoint(0, kTitleHeight))); });
}

void CVindrelDlg::ShowSystemMenu(const QPoint& globalPos)
{
    if (systemMenu_) {
        systemMenu_->popup(globalPos);
    }
}

void CVindrelDlg::OnSysCommand(int id)
{
    if (IsAboutCommand(id)) {
        CAboutDlg about(this);
        about.exec();
        return;
    }
    switch (id & kSystemCommandMask) {
    case SC_MINIMIZE:
        OnMinimize();
        break;
    case SC_CLOSE:
        OnCancel();
        break;
    default:
        break;
    }
}
