#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "readout/glyph_text.h"
#include "tests/support/backing_store.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

// Records the rectangles a widget is asked to paint.
struct PaintedRects : QObject {
    std::vector<QRect> rects;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        }
        return false;
    }
};

// A readout in a shown window, drawn from glyphs, its text set the way the
// window sets it.
class GlyphUpdateTest : public ::testing::Test {
protected:
    void show(Qt::Alignment align, int pixelSize, const QString& text) {
        QPalette p = label->palette();
        p.setColor(QPalette::Window, QColor(0, 20, 50));
        p.setColor(QPalette::WindowText, QColor(255, 255, 90));
        label->setPalette(p);
        label->setAutoFillBackground(true);
        QFont font = label->font();
        font.setPixelSize(pixelSize);
        font.setBold(true);
        label->setFont(font);
        label->setAlignment(align);
        label->setText(text);
        drawTextFromGlyphs(label);
        label->setGeometry(10, 10, 160, pixelSize + 12);
        window.resize(180, pixelSize + 40);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(test::settle());
        label->installEventFilter(&painted);
    }
    // The window's backing store against a fresh drawing; the grab is not
    // a repaint of the window, and what Qt paints after it is over before
    // this returns.
    int stalePixels() {
        label->removeEventFilter(&painted);
        const int stale = test::stalePixels(*label);
        EXPECT_TRUE(test::settle());
        label->installEventFilter(&painted);
        return stale;
    }

    QWidget window;
    QLabel* label = new QLabel(&window);
    PaintedRects painted;
};

// A new text of the same length repaints only the columns of the glyphs that
// change or move, and what the window then holds is the new text drawn
// whole: no old glyph, or part of one, left behind; the neighbours reaching
// into the repainted columns drawn again with them.
TEST_F(GlyphUpdateTest, RepaintsTheChangedGlyphsAndLeavesNothingStale) {
    const struct {
        const char* what;
        Qt::Alignment align;
        int pixelSize;
        std::vector<const char*> texts;
        bool narrow;  // each repaint under half the label's width
    } cases[] = {
        {"one digit, large",
         Qt::AlignLeft | Qt::AlignVCenter,
         30,
         {"11.40V", "11.41V", "11.51V", "18.51V"},
         true},
        {"one digit, right-aligned",
         Qt::AlignRight | Qt::AlignVCenter,
         13,
         {"4.150", "4.151", "4.159", "4.169"},
         true},
        {"glyphs of other widths move the rest",
         Qt::AlignRight | Qt::AlignVCenter,
         13,
         {"LiPo", "LiFe", "NiMH", "Pb/W"},
         false},
        {"centred", Qt::AlignHCenter | Qt::AlignVCenter, 30, {"1.11A", "1.17A", "7.17A"}, false},
        {"new length", Qt::AlignRight | Qt::AlignVCenter, 30, {"9.99", "10.00", "9.99"}, false},
    };
    for (const auto& c : cases) {
        show(c.align, c.pixelSize, QString::fromLatin1(c.texts.front()));
        for (std::size_t i = 1; i < c.texts.size(); ++i) {
            painted.rects.clear();
            setGlyphText(label, QString::fromLatin1(c.texts[i]));
            ASSERT_TRUE(test::settle());
            const std::vector<QRect> repainted = painted.rects;
            EXPECT_EQ(label->text(), QString::fromLatin1(c.texts[i]));
            EXPECT_EQ(stalePixels(), 0) << c.what << ": " << c.texts[i];
            ASSERT_FALSE(repainted.empty()) << c.what << ": " << c.texts[i];
            if (c.narrow) {
                for (const QRect& r : repainted) {
                    EXPECT_LT(r.width(), label->width() / 2) << c.what << ": " << c.texts[i];
                }
            }
        }
    }
}

// A label the glyphs do not draw (Chinese) is set and shown as QLabel sets it.
TEST_F(GlyphUpdateTest, OtherTextsAreSetWhole) {
    show(Qt::AlignRight | Qt::AlignVCenter, 13, QStringLiteral("4.150"));
    const QString chinese = QString::fromUtf8("\xe5\x85\x85\xe7\x94\xb5\xe4\xb8\xad");
    for (const QString& text : {QString::fromUtf8("\xe5\x85\x85\xe7\x94\xb5"), chinese}) {
        painted.rects.clear();
        setGlyphText(label, text);
        ASSERT_TRUE(test::settle());
        ASSERT_FALSE(painted.rects.empty());
        EXPECT_EQ(painted.rects.front().width(), label->width());
        EXPECT_EQ(label->text(), text);
        EXPECT_EQ(stalePixels(), 0);
    }
}

}  // namespace
}  // namespace cellwatch
