#pragma once
// CMyButton: a push button drawn from skin pictures (normal, selected while pressed, focus,
// disabled), framed in light grey once the pointer has moved over it, with its own tooltip in
// green text.

#include <QAbstractButton>
#include <QImage>
#include <QRect>

class CMyButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit CMyButton(QWidget* parent = nullptr);

    /// Loads the pictures by skin number (0 for none). False when the normal picture, or one of
    /// the others asked for, cannot be loaded; whatever did load is kept.
    bool LoadBitmaps(int normal, int selected = 0, int focus = 0, int disabled = 0);

    /// Gives the button its tooltip text: the first text adds the tooltip's tool 1 over the
    /// button's current rectangle, later texts replace the text. An empty text does nothing.
    void SetTooltipText(const QString& text);

    /// Size of the hover frame; the owner sets it to the button's drawing size.
    int frameWidth() const { return frameWidth_; }
    int frameHeight() const { return frameHeight_; }
    void setFrameWidth(int w) { frameWidth_ = w; }
    void setFrameHeight(int h) { frameHeight_ = h; }

    /// True once the pointer has moved over the button, until ResetHover().
    bool hovered() const { return hovered_; }
    /// Takes the hover frame off (the owner calls it when the pointer is over its background).
    void ResetHover();

    /// Tooltip state, as the owner and the tests see it.
    bool tooltipCreated() const { return tooltipCreated_; }
    bool tooltipActive() const { return tooltipActive_; }
    int tooltipToolCount() const { return toolAdded_ ? 1 : 0; }
    QRect tooltipToolRect() const { return toolRect_; }
    QString tooltipText() const { return tooltipText_; }
    QColor tooltipTextColour() const { return tooltipTextColour_; }
    /// The rich text the tooltip shows: the text in the tooltip colour.
    QString tooltipHtml() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateTooltip();

    QImage normal_, selected_, focus_, disabled_;
    bool hovered_ = false;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool tooltipCreated_ = false;
    bool tooltipActive_ = false;
    bool toolAdded_ = false;
    QRect toolRect_;
    QString tooltipText_;
    QColor tooltipTextColour_;
};
