// The channel cards of chargers of 2 to 8 channels in the real window on the
// test screen (registered again at 150 %): every text of every card whole,
// inside its card and clear of the others, at the window's start size and
// filling the screen.
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <string>

#include "app/channel_card.h"
#include "app/channel_choice.h"
#include "app/channel_strip.h"
#include "app/language.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class ChannelCardsTest : public WindowTest {
protected:
    void openCharger(int channels) {
        openPair();
        feed("n=" + std::to_string(channels) + "\n");
        std::string lines;
        for (int channel = 1; channel <= channels; ++channel) {
            // The widest figures a card shows.
            lines += std::to_string(channel) + ",25.20,10.00,12345,4.20\n";
        }
        feed(lines);
        w->channels().strip().markAlarm(channels - 1, true);
        test::settle();
    }

    // Every text of every card whole, inside the card and clear of the others.
    void expectWhole(const std::string& where) {
        ChannelStrip& strip = w->channels().strip();
        ASSERT_TRUE(strip.isVisible()) << where;
        for (int index = 0; index < strip.count(); ++index) {
            const ChannelCard* card = strip.card(index);
            std::vector<const QLabel*> shown;
            for (const QLabel* label : card->findChildren<QLabel*>()) {
                if (label->isVisibleTo(card) && !label->text().isEmpty()) {
                    shown.push_back(label);
                }
            }
            ASSERT_GE(shown.size(), 6u) << where;
            for (std::size_t a = 0; a < shown.size(); ++a) {
                const QLabel* label = shown[a];
                const std::string what = where + " card " + std::to_string(index + 1) + " \"" +
                                         label->text().toStdString() + "\"";
                const QFontMetrics metrics = label->fontMetrics();
                EXPECT_GE(label->contentsRect().width(), metrics.horizontalAdvance(label->text()))
                    << what;
                EXPECT_GE(label->contentsRect().height(), metrics.height()) << what;
                EXPECT_TRUE(card->contentsRect().contains(textRect(label))) << what;
                for (std::size_t b = a + 1; b < shown.size(); ++b) {
                    EXPECT_FALSE(textRect(label).intersects(textRect(shown[b])))
                        << what << " and \"" << shown[b]->text().toStdString() << "\"";
                }
            }
        }
    }
    // Where a label's text stands, in its card.
    static QRect textRect(const QLabel* label) {
        const QFontMetrics metrics = label->fontMetrics();
        const QRect inLabel =
            QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                QSize(metrics.horizontalAdvance(label->text()), metrics.height()),
                                label->contentsRect());
        return inLabel.translated(label->pos());
    }
};

TEST_F(ChannelCardsTest, EveryTextOfEveryCardIsWhole) {
    for (const int channels : {2, 4, 6, 8}) {
        openCharger(channels);
        expectWhole(std::to_string(channels) + " channels, start size");
        w->resize(QGuiApplication::primaryScreen()->availableGeometry().size());
        test::settle();
        expectWhole(std::to_string(channels) + " channels, screen size");
        for (const Language language : {Language::Chinese, Language::German}) {
            installLanguage(language);
            test::settle();
            expectWhole(std::to_string(channels) + " channels, in " +
                        languageCode(language).toStdString());
        }
        installLanguage(Language::English);
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
