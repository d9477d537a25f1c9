#include "controls/MyButton.h"

#include "controls/Skin.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {
const QColor kFrameColour(200, 200, 200);
const QColor kTooltipTextColour(0, 255, 0);
}  // namespace

CMyButton::CMyButton(QWidget* parent) : QAbstractButton(parent)
{
    // Mouse moves without a button held set the hover frame.
    setMouseTracking(true);
}

bool CMyButton::LoadBitmaps(int normal, int selected, int focus, int disabled)
{
    normal_ = LoadSkinImage(normal);
    if (normal_.isNull())
        return false;
    bool allLoaded = true;
    const auto load = [&allLoaded](QImage& image, int number) {
        image = number ? LoadSkinImage(number) : QImage();
        if (number && image.isNull())
            allLoaded = false;
    };
    load(selected_, selected);
    load(focus_, focus);
    load(disabled_, disabled);
    updateGeometry();
    update();
    return allLoaded;
}

QSize CMyButton::sizeHint() const { return normal_.isNull() ? QSize(frameWidth_, frameHeight_) : normal_.size(); }

void CMyButton::CreateTooltip()
{
    if (tooltipCreated_)
        return;
    tooltipCreated_ = true;
    tooltipActive_ = false;
}

void CMyButton::SetTooltipText(const QString& text)
{
    if (text.isEmpty())
        return;
    CreateTooltip();
    if (!toolAdded_) {
        toolAdded_ = true;
        toolRect_ = rect();
    }
    tooltipTextColour_ = kTooltipTextColour;
    tooltipText_ = text;
    tooltipActive_ = true;
}

QString CMyButton::tooltipHtml() const
{
    return QStringLiteral("<span style=\"color:%1; white-space:pre\">%2</span>")
        .arg(tooltipTextColour_.name(), tooltipText_.toHtmlEscaped());
}

void CMyButton::ResetHover()
{
    if (!hovered_)
        return;
    hovered_ = false;
    update();
}

bool CMyButton::event(QEvent* event)
{
    if (!tooltipCreated_) {
        // The tooltip exists, inactive, from the first event on.
        CreateTooltip();
    }
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (tooltipActive_ && toolAdded_ && toolRect_.contains(help->pos()))
            QToolTip::showText(help->globalPos(), tooltipHtml(), this, toolRect_);
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractButton::event(event);
}

void CMyButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!hovered_) {
        hovered_ = true;
        update();
    }
    // The base button follows a held button in and out of the control.
    QAbstractButton::mouseMoveEvent(event);
}

void CMyButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage* picture = &normal_;
    if (isDown() && !selected_.isNull())
        picture = &selected_;
    else if (hasFocus() && !focus_.isNull())
        picture = &focus_;
    else if (!isEnabled() && !disabled_.isNull())
        picture = &disabled_;
    if (!picture->isNull())
        painter.drawImage(QPoint(0, 0), *picture);

    if (hovered_) {
        // Single pixels, as the frame always was: the corners are set twice.
        painter.setPen(kFrameColour);
        for (int y = 0; y < frameHeight_; ++y) {
            painter.drawPoint(0, y);
            painter.drawPoint(frameWidth_ - 1, y);
        }
        for (int x = 0; x < frameWidth_; ++x) {
            painter.drawPoint(x, 0);
            painter.drawPoint(x, frameHeight_ - 1);
        }
    }
}
