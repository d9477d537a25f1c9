#include "controls/Meter.h"

#include "controls/MemDCVindrel.h"
#include "controls/MeterMath.h"
#include "controls/NeedleTable.h"
#include "controls/Skin.h"

CMeter::CMeter(QWidget* parent) : QWidget(parent), needleTable_(kNeedleTable) { setAttribute(Qt::WA_OpaquePaintEvent); }

QSize CMeter::sizeHint() const { return hasDial_ ? dialBitmap_.size() : QSize(189, 117); }

void CMeter::LoadDial(int bitmapNumber)
{
    dialBitmap_ = LoadSkinImage(bitmapNumber);
    if (dialBitmap_.isNull())
        return;
    resize(dialBitmap_.size());
    hasDial_ = true;
    updateGeometry();
    update();
}

void CMeter::SetValue(int value)
{
    value_ = ClampMeterValue(value, rangeMin_, rangeMax_);
    update();
}

void CMeter::paintEvent(QPaintEvent*)
{
    CMemDCVindrel dc(this, rect(), false, palette().color(backgroundRole()));
    if (hasDial_ && !dialBitmap_.isNull())
        dc.drawImage(QPoint(0, 0), dialBitmap_);
    // The table has a needle for 0..120 only; a range the owner widened beyond it shows none
    // rather than reading past the table.
    if (needleTable_ && value_ >= 0 && value_ < kNeedleEntryCount) {
        for (const std::uint8_t* r = needleTable_[value_]; r[0] != 0 || r[1] != 0; r += kNeedleRecordSize) {
            dc.setPen(QColor(r[4], r[3], r[2]));
            dc.drawPoint(r[0] + kNeedleXOffset, r[1]);
        }
    }
}
