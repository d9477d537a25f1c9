#pragma once
// CMeter: the speed dial. A dial picture and, over it, the needle for the current value copied
// pixel by pixel from the built-in needle table.

#include <QImage>
#include <QWidget>

#include <cstdint>

class CMeter : public QWidget {
    Q_OBJECT

public:
    explicit CMeter(QWidget* parent = nullptr);

    /// Loads the dial picture and sizes the control to it. On failure the old dial is gone and
    /// only the needle is drawn.
    void LoadDial(int bitmapNumber);
    /// Stores the value clamped to rangeMax, then rangeMin, and repaints. Sends nothing.
    void SetValue(int value);
    int value() const { return value_; }

    int rangeMin() const { return rangeMin_; }
    int rangeMax() const { return rangeMax_; }
    /// Written directly by the owner; the value is re-clamped by the next SetValue.
    void setRangeMin(int v) { rangeMin_ = v; }
    void setRangeMax(int v) { rangeMax_ = v; }
    bool hasDial() const { return hasDial_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int rangeMax_ = 100;
    int rangeMin_ = 0;
    int value_ = 0;
    QImage dialBitmap_;
    const std::uint8_t* const* needleTable_;
    bool hasDial_ = false;
};
