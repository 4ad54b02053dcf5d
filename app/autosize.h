// The proportional layout engine. Every control whose tag holds a layout
// word keeps its distance to the right and/or bottom edge of the window: it
// moves or grows by exactly as much as the window has grown since the first
// pass captured the layout. All lengths are in twips (1/1440 inch).
//
//   STRETCHH Width        STRETCHV Height      STRETCHALL Width, Height
//   MOVEH    Left         MOVEV    Top         MOVEALL    Left, Top
//   STRETCHVMOVEH Height, Left                 STRETCHHMOVEV Width, Top
//
// Any other non-empty tag takes part (hidden and shown again by every pass)
// without moving. The engine knows nothing of widgets: it works on the
// small interfaces below, which the window implements over its widgets and
// tests implement over plain records.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace cellwatch {

class LayoutControl {
public:
    virtual ~LayoutControl() = default;
    virtual QString tag() const = 0;
    virtual double left() const = 0;
    virtual double top() const = 0;
    virtual double width() const = 0;
    virtual double height() const = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setTop(double twips) = 0;
    virtual void setWidth(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual void setVisible(bool visible) = 0;
};

class LayoutWindow {
public:
    virtual ~LayoutWindow() = default;
    virtual bool isMinimized() const = 0;
    virtual double outerWidth() const = 0;   // twips
    virtual double outerHeight() const = 0;  // twips
    // Every control of the window, in the window's own order.
    virtual std::vector<LayoutControl*> controls() const = 0;
};

struct LayoutRecord {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t height = 0;
    std::int32_t width = 0;
    QString tag;
};

struct LayoutState {
    std::vector<LayoutRecord> records;     // LayoutRecords
    std::vector<LayoutControl*> controls;  // LayoutControls, parallel to records
    std::int32_t designWidth = 0;          // DesignWidth
    std::int32_t designHeight = 0;         // DesignHeight
    std::int16_t count = 0;                // LayoutCount; 0 = nothing captured yet
};

// One pass: captures on the first call, lays out on every call.
void AutoSizeControls(LayoutState& state, const LayoutWindow& window);

// Rounds a length to whole twips as the engine does (half away from zero).
std::int32_t wholeTwips(double twips);

}  // namespace cellwatch
