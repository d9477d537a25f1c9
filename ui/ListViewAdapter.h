#pragma once
// The recording list's view of one colour list control: rows, cell colours and the platform's
// window colour, with colours as 0x00BBGGRR values.

#include "recordings/RecordingList.h"

#include <QColor>

#include <cstdint>

class CColorListCtrl;

/// 0x00BBGGRR to a colour and back.
QColor ColourFromRef(std::uint32_t colourRef);
std::uint32_t RefFromColour(const QColor& colour);

class ListViewAdapter : public IRecordingListView {
public:
    /// Keeps the list; the list may still be under construction.
    explicit ListViewAdapter(CColorListCtrl* list) : list_(*list) {}

    void DeleteAllRows() override;
    void AddRecordingRow(const QString& filePath, const QString& dateText, bool highlighted, int row) override;
    bool SetCellBackground(int row, int column, std::uint32_t colour) override;
    std::uint32_t WindowColour() const override;

private:
    CColorListCtrl& list_;
};
