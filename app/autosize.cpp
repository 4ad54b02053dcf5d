#include "app/autosize.h"

#include <cmath>

namespace cellwatch {

std::int32_t wholeTwips(double twips) {
    return static_cast<std::int32_t>(std::lround(twips));
}

void AutoSizeControls(LayoutState& state, const LayoutWindow& window) {
    if (window.isMinimized()) {
        return;
    }
    if (state.count == 0) {
        for (LayoutControl* c : window.controls()) {
            if (c->tag().isEmpty()) {
                continue;
            }
            state.records.push_back({wholeTwips(c->top()), wholeTwips(c->left()),
                                     wholeTwips(c->height()), wholeTwips(c->width()), c->tag()});
            state.controls.push_back(c);
            ++state.count;
        }
        state.designHeight = wholeTwips(window.outerHeight());
        state.designWidth = wholeTwips(window.outerWidth());
    }
    if (state.count < 1) {
        return;
    }
    const std::int32_t dw = state.designWidth;
    const std::int32_t dh = state.designHeight;
    for (std::size_t i = 0; i < state.records.size(); ++i) {
        const LayoutRecord& r = state.records[i];
        LayoutControl* c = state.controls[i];
        c->setVisible(false);
        // Each value keeps the control's distance to the window's right or
        // bottom edge; the window size is read anew for every value.
        auto newWidth = [&] { return window.outerWidth() - (dw - (r.width + r.left)) - r.left; };
        auto newHeight = [&] { return window.outerHeight() - (dh - (r.height + r.top)) - r.top; };
        auto newLeft = [&] { return window.outerWidth() - (dw - r.left); };
        auto newTop = [&] { return window.outerHeight() - (dh - r.top); };
        const QString& tag = r.tag;
        if (tag == QLatin1String("STRETCHH")) {
            c->setWidth(newWidth());
        } else if (tag == QLatin1String("STRETCHV")) {
            c->setHeight(newHeight());
        } else if (tag == QLatin1String("STRETCHALL")) {
            c->setWidth(newWidth());
            c->setHeight(newHeight());
        } else if (tag == QLatin1String("MOVEH")) {
            c->setLeft(newLeft());
        } else if (tag == QLatin1String("MOVEV")) {
            c->setTop(newTop());
        } else if (tag == QLatin1String("MOVEALL")) {
            c->setLeft(newLeft());
            c->setTop(newTop());
        } else if (tag == QLatin1String("STRETCHVMOVEH")) {
            c->setHeight(newHeight());
            c->setLeft(newLeft());
        } else if (tag == QLatin1String("STRETCHHMOVEV")) {
            c->setWidth(newWidth());
            c->setTop(newTop());
        }
        c->setVisible(true);
    }
}

}  // namespace cellwatch
