#include "readout/glyph_text.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRawFont>
#include <QSet>
#include <QStyle>
#include <QVarLengthArray>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
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
    std::array<qreal, kCount> inkLeft{};  // the ink's extent from the pen position
    std::array<qreal, kCount> inkRight{};
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
                const QRectF ink = glyphs->raw.boundingRect(glyphs->glyph[i]);
                glyphs->inkLeft[i] = ink.left();
                glyphs->inkRight[i] = ink.right();
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

// Where a label's text would be drawn from its glyphs: each character's
// place in the font's tables and its pen position.
struct GlyphPlacement {
    const FontGlyphs* font = nullptr;
    QVarLengthArray<std::size_t, 16> chars;  // index into the font's tables
    QVarLengthArray<qreal, 16> x;            // pen position, from origin
    QPointF origin;                          // the first pen position on the baseline
};

// Where `text` would be drawn in `label` as it stands; nothing when QLabel
// has to draw it.
std::optional<GlyphPlacement> placeGlyphs(const QLabel& label, const QString& text) {
    if (drawnByQLabel(label) || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        return std::nullopt;
    }
    GlyphPlacement placed;
    placed.font = &glyphsOf(label.font());
    const FontGlyphs& font = *placed.font;
    if (!font.raw.isValid()) {
        return std::nullopt;
    }
    qreal x = 0;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < kFirst || c > kLast || font.glyph[c - kFirst] == 0) {
            return std::nullopt;
        }
        placed.chars.append(c - kFirst);
        placed.x.append(x);
        x += font.advance[c - kFirst];
    }
    placed.x.append(x);  // where the last advance ends

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
    placed.origin = QPointF(left, top + font.ascent);
    return placed;
}

// The columns glyph `i` may touch: its advance and its ink, a pixel wider
// each side for smoothing.
std::pair<int, int> glyphColumns(const GlyphPlacement& placed, qsizetype i) {
    const std::size_t c = placed.chars[i];
    const qreal pen = placed.origin.x() + placed.x[i];
    const qreal left = pen + std::min<qreal>(0, placed.font->inkLeft[c]);
    const qreal right =
        std::max(placed.origin.x() + placed.x[i + 1], pen + placed.font->inkRight[c]);
    return {static_cast<int>(std::floor(left)) - 1, static_cast<int>(std::ceil(right)) + 1};
}

// Paints the label's text where `columns` asks for it; false when QLabel has to.
bool paintFromGlyphs(QLabel& label, const QRect& columns) {
    const QString text = label.text();
    if (text.isEmpty()) {
        return !drawnByQLabel(label);  // the background is all there is
    }
    const std::optional<GlyphPlacement> placed = placeGlyphs(label, text);
    if (!placed) {
        return false;
    }
    // Only the glyphs that reach into the columns asked for (after a change of
    // a digit or two, most lie outside).
    QList<quint32> indexes;
    QList<QPointF> positions;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto [from, to] = glyphColumns(*placed, i);
        if (to >= columns.left() && from <= columns.right()) {
            indexes.append(placed->font->glyph[placed->chars[i]]);
            positions.append(QPointF(placed->x[i], 0));
        }
    }
    if (indexes.isEmpty()) {
        return true;
    }
    QGlyphRun run;
    run.setRawFont(placed->font->raw);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    QPainter painter(&label);
    painter.setPen(label.palette().brush(label.foregroundRole()).color());
    painter.drawGlyphRun(placed->origin, run);
    return true;
}

class GlyphPainter final : public QObject {
public:
    void watch(QLabel* label) {
        if (!labels_.contains(label)) {
            labels_.insert(label);
            label->installEventFilter(this);
            connect(label, &QObject::destroyed, this,
                    [this](QObject* gone) { labels_.remove(gone); });
        }
    }
    bool draws(const QLabel* label) const { return labels_.contains(label); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // Installed on labels only.
        return event->type() == QEvent::Paint &&
               paintFromGlyphs(*static_cast<QLabel*>(watched),
                               static_cast<QPaintEvent*>(event)->rect());
    }

private:
    QSet<const QObject*> labels_;
};

GlyphPainter* glyphPainter() {
    static QPointer<GlyphPainter> painter;
    if (painter == nullptr) {
        painter = new GlyphPainter;
        painter->setParent(QCoreApplication::instance());
    }
    return painter;
}

}  // namespace

void drawTextFromGlyphs(QLabel* label) {
    glyphPainter()->watch(label);
}

void setGlyphText(QLabel* label, const QString& text) {
    const QString before = label->text();
    if (before == text) {
        return;
    }
    std::optional<GlyphPlacement> was;
    std::optional<GlyphPlacement> will;
    if (glyphPainter()->draws(label) && before.size() == text.size() && label->isVisible()) {
        was = placeGlyphs(*label, before);
        will = was ? placeGlyphs(*label, text) : std::nullopt;
    }
    if (!will) {
        label->setText(text);
        return;
    }
    // Only the glyphs that change, or move, are drawn again (with whatever
    // of their neighbours reaches into their columns).
    int left = label->width();
    int right = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (was->chars[i] != will->chars[i] ||
            was->origin.x() + was->x[i] != will->origin.x() + will->x[i] ||
            was->origin.y() != will->origin.y()) {
            for (const auto& [from, to] : {glyphColumns(*was, i), glyphColumns(*will, i)}) {
                left = std::min(left, from);
                right = std::max(right, to);
            }
        }
    }
    const bool updatesWereOn = !label->testAttribute(Qt::WA_UpdatesDisabled);
    label->setAttribute(Qt::WA_UpdatesDisabled, true);  // QLabel would repaint it whole
    label->setText(text);
    label->setAttribute(Qt::WA_UpdatesDisabled, !updatesWereOn);
    label->update(QRect(QPoint(left, 0), QPoint(right, label->height() - 1)) & label->rect());
}

}  // namespace cellwatch
