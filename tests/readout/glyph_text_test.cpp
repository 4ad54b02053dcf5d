#include "readout/glyph_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <optional>

namespace cellwatch {
namespace {

// Where a label's text leaves ink: the box of pixels differing from its
// background, and the colour of its most saturated pixel.
struct Ink {
    QRect box;  // in device pixels
    QColor strongest;
    qreal ratio = 1;  // device pixels per pixel
};

std::optional<Ink> inkOf(QLabel& label) {
    const QImage image = label.grab().toImage();
    const QColor background = label.palette().color(QPalette::Window);
    Ink ink;
    ink.ratio = image.devicePixelRatio();
    int strongest = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.rgb() == background.rgb()) {
                continue;
            }
            ink.box |= QRect(x, y, 1, 1);
            const int strength = c.red() + c.green() + c.blue();
            if (strength > strongest) {
                strongest = strength;
                ink.strongest = c;
            }
        }
    }
    return ink.box.isEmpty() ? std::nullopt : std::optional<Ink>(ink);
}

void styleAsReadout(QLabel& label, Qt::Alignment align, int pixelSize) {
    QPalette p = label.palette();
    p.setColor(QPalette::Window, QColor(0, 20, 50));
    p.setColor(QPalette::WindowText, QColor(255, 255, 90));
    label.setPalette(p);
    label.setAutoFillBackground(true);
    QFont font = label.font();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    label.setFont(font);
    label.setAlignment(align);
    label.resize(120, pixelSize + 12);
}

// A readout drawn from its glyphs puts its text where QLabel itself puts it,
// in its colour: the same ink box within a pixel, for the texts a readout
// shows, each alignment and a small and a large font. Texts outside what the
// glyphs cover (Chinese, rich text) are drawn by QLabel, exactly as before.
TEST(GlyphText, DrawsWhereAndHowQLabelDraws) {
    const struct {
        const char* text;
        Qt::Alignment align;
        int pixelSize;
        bool exact;  // drawn by QLabel itself
    } cases[] = {
        {"12.34", Qt::AlignRight | Qt::AlignVCenter, 13, false},
        {"0:00:07", Qt::AlignLeft | Qt::AlignVCenter, 13, false},
        {"LiIo/Po/Fe", Qt::AlignRight | Qt::AlignVCenter, 13, false},
        {"-1.50A", Qt::AlignHCenter | Qt::AlignVCenter, 30, false},
        {"10000mAh", Qt::AlignLeft | Qt::AlignTop, 30, false},
        {"+CHG+", Qt::AlignRight | Qt::AlignBottom, 13, false},
        {"\xe5\x85\x85\xe7\x94\xb5", Qt::AlignRight | Qt::AlignVCenter, 13, true},
        {"<b>3.7</b>", Qt::AlignRight | Qt::AlignVCenter, 13, true},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        QLabel plain(text);
        QLabel fast(text);
        styleAsReadout(plain, c.align, c.pixelSize);
        styleAsReadout(fast, c.align, c.pixelSize);
        drawTextFromGlyphs(&fast);
        const std::optional<Ink> want = inkOf(plain);
        const std::optional<Ink> got = inkOf(fast);
        ASSERT_TRUE(want && got) << c.text;
        if (c.exact) {
            EXPECT_EQ(fast.grab().toImage(), plain.grab().toImage()) << c.text;
            continue;
        }
        for (const auto& [name, a, b] :
             {std::tuple{"left", want->box.left(), got->box.left()},
              std::tuple{"right", want->box.right(), got->box.right()},
              std::tuple{"top", want->box.top(), got->box.top()},
              std::tuple{"bottom", want->box.bottom(), got->box.bottom()}}) {
            EXPECT_NEAR(a, b, std::ceil(want->ratio)) << c.text << " " << name;
        }
        EXPECT_EQ(got->strongest, want->strongest) << c.text;
    }
}

// The text follows the label: a new text, and an empty one (background only).
TEST(GlyphText, FollowsTheLabelsText) {
    QLabel label(QStringLiteral("1.00"));
    styleAsReadout(label, Qt::AlignRight | Qt::AlignVCenter, 13);
    drawTextFromGlyphs(&label);
    const std::optional<Ink> narrow = inkOf(label);
    label.setText(QStringLiteral("100.00"));
    const std::optional<Ink> wide = inkOf(label);
    ASSERT_TRUE(narrow && wide);
    EXPECT_EQ(wide->box.right(), narrow->box.right());  // right-aligned
    EXPECT_LT(wide->box.left(), narrow->box.left() - 5);
    label.setText(QString());
    EXPECT_FALSE(inkOf(label));
}

}  // namespace
}  // namespace cellwatch
