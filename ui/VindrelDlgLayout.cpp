// The colours of texts and background, and painting.

#include "ui/VindrelDlg.h"

#include "ui/ControlIds.h"

#include <QApplication>
#include <QPainter>

namespace {

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
    case kGSensorGraphId: return colours;
    default: return std::nullopt;
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
