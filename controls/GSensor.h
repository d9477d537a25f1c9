#pragma once
// CGSensor: the G-sensor chart. Its background picture (grid, labels, legend) is the label's
// pixmap; over it, while there is data, the X, Y and Z curves of the 21 samples around the
// current one.

#include "gps/GpsTypes.h"

#include <QLabel>

#include <vector>

class CGSensor : public QLabel {
    Q_OBJECT

public:
    explicit CGSensor(QWidget* parent = nullptr);

    /// One sample per second of the recording, index as the GPS track's.
    std::vector<GSensorSample>& gSensorSeries() { return gSensorSeries_; }
    const std::vector<GSensorSample>& gSensorSeries() const { return gSensorSeries_; }

    bool hasData() const { return hasData_; }
    /// Draw the curves or not; repaints.
    void setHasData(bool on);
    int currentIndex() const { return currentIndex_; }
    /// The sample shown at x = 106; repaints.
    void setCurrentIndex(int index);
    /// 3 pixels per unit when zoomed, 1.2 otherwise.
    bool zoomed() const { return zoomed_; }
    void setZoomed(bool on)
    {
        zoomed_ = on;
        update();
    }

    /// What the "+" (zoomed) and "-" buttons do: set the scale and show picture 186 or 187 at
    /// 205 x 150 as the background.
    void ShowScale(bool zoomedScale);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<GSensorSample> gSensorSeries_;
    bool hasData_ = false;
    bool zoomed_ = true;
    int currentIndex_ = 0;
};
