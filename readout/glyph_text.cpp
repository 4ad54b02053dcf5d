#include "readout/glyph_text.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QRawFont>
#include <QStyle>
#include <array>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace cellwatch {
namespace {

constexpr char16_t kFirst = u' ';
constexpr char16_t kLast = u'~';
constexpr std::size_t kCount = kLast - kFirst + 1;

// The printable ASCII glyphs of one font.
struct FontGlyphs {
    QRawFont raw;
    std::array<quint32, kCount> glyph{};  // 0: the font has none
    std::array<qreal, kCount> advance{};
    qreal ascent = 0;
    qreal height = 0;  // of a line, as a text layout rounds it
};

// A handful of fonts, compared as fonts: a font's key is a string built
// anew at every call.
using GlyphCache = std::vector<std::pair<QFont, std::unique_ptr<const FontGlyphs>>>;

GlyphCache& glyphCache() {
    // Emptied while the application ends, before the fonts go.
    static GlyphCache* cache = [] {
        qAddPostRoutine([] { glyphCache().clear(); });
        return new GlyphCache;
    }();
    return *cache;
}

const FontGlyphs& glyphsOf(const QFont& font) {
    GlyphCache& cache = glyphCache();
    for (const auto& [known, glyphs] : cache) {
        if (known == font) {
            return *glyphs;
        }
    }
    auto glyphs = std::make_unique<FontGlyphs>();
    glyphs->raw = QRawFont::fromFont(font);
    if (glyphs->raw.isValid()) {
        QString all;
        for (char16_t c = kFirst; c <= kLast; ++c) {
            all.append(QChar(c));
        }
        const QList<quint32> indexes = glyphs->raw.glyphIndexesForString(all);
        if (indexes.size() == static_cast<qsizetype>(kCount)) {
            const QList<QPointF> advances = glyphs->raw.advancesForGlyphIndexes(indexes);
            for (std::size_t i = 0; i < kCount; ++i) {
                glyphs->glyph[i] = indexes[static_cast<qsizetype>(i)];
                glyphs->advance[i] = advances[static_cast<qsizetype>(i)].x();
            }
        }
    }
    const QFontMetricsF metrics(font);
    glyphs->ascent = metrics.ascent();
    glyphs->height = std::ceil(metrics.ascent() + metrics.descent());
    cache.emplace_back(font, std::move(glyphs));
    return *cache.back().second;
}

bool drawnByQLabel(const QLabel& label) {
    return label.wordWrap() || label.frameWidth() > 0 || label.indent() >= 0 ||
           !label.isEnabled() || label.textFormat() == Qt::RichText ||
           label.textFormat() == Qt::MarkdownText ||
           (label.textInteractionFlags() & Qt::TextSelectableByMouse) != 0;
}

// Paints the label's text; false when QLabel has to.
bool paintFromGlyphs(QLabel& label) {
    if (drawnByQLabel(label)) {
        return false;
    }
    const QString text = label.text();
    if (text.isEmpty()) {
        return true;  // the background is all there is
    }
    if (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text)) {
        return false;
    }
    const FontGlyphs& font = glyphsOf(label.font());
    if (!font.raw.isValid()) {
        return false;
    }
    QList<quint32> indexes(text.size());
    QList<QPointF> positions(text.size());
    qreal x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < kFirst || c > kLast || font.glyph[c - kFirst] == 0) {
            return false;
        }
        indexes[i] = font.glyph[c - kFirst];
        positions[i] = QPointF(x, 0);
        x += font.advance[c - kFirst];
    }

    const int margin = label.margin();
    const QRect box = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    const Qt::Alignment align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
    qreal left = box.left();
    if (align & Qt::AlignRight) {
        left = box.left() + box.width() - x;
    } else if (align & Qt::AlignHCenter) {
        left = box.left() + (box.width() - x) / 2;
    }
    qreal top = box.top();
    if (align & Qt::AlignBottom) {
        top = box.top() + box.height() - font.height;
    } else if (align & Qt::AlignVCenter) {
        top = box.top() + (box.height() - font.height) / 2;
    }

    QGlyphRun run;
    run.setRawFont(font.raw);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    QPainter painter(&label);
    painter.setPen(label.palette().brush(label.foregroundRole()).color());
    painter.drawGlyphRun(QPointF(left, top + font.ascent), run);
    return true;
}

class GlyphPainter final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Installed on labels only.
        return event->type() == QEvent::Paint && paintFromGlyphs(*static_cast<QLabel*>(watched));
    }
};

}  // namespace

void drawTextFromGlyphs(QLabel* label) {
    static QPointer<GlyphPainter> painter;
    if (painter == nullptr) {
        painter = new GlyphPainter;
        painter->setParent(QCoreApplication::instance());
    }
    label->installEventFilter(painter);
}

}  // namespace cellwatch
