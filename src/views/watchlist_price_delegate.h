#pragma once
// Draws the watchlist's bid and ask as highlighted prices (significant figures
// enlarged, the last ones small and raised), right-aligned on the cell's
// direction colour, and the icon column's image centred.
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QVector>
#include <cstdint>
#include <functional>

#include "kit/text_cell_delegate.h"

namespace views {

enum WatchlistRole {
    PriceTextRole = Qt::UserRole + 1,  // the formatted price of a bid or ask cell
    DigitLengthsRole,                  // QPoint(most significant, least significant)
};

class WatchlistPriceDelegate : public kit::TextCellDelegate {
public:
    // `theme` is read at each drawing (0 dark, 1 light).
    WatchlistPriceDelegate(std::function<std::int64_t()> theme, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // How one price text is laid out in a font: its pieces from the right edge
    // and the baseline, made once per text and font.
    struct Layout {
        struct Piece {
            QStaticText text;  // shaped once, in its font
            int font = 0;      // 0 base, 1 big, 2 small
            double x = 0;      // from the left of the text
            double y = 0;      // from the baseline to the text's top
        };
        QVector<Piece> pieces;
        double width = 0;
        double capHeight = 0;
        double height = 0;
    };
    const Layout& layoutOf(const QModelIndex& index) const;
    // Layouts and shaped runs held: at most twice kCacheGeneration each.
    int cachedLayouts() const { return layouts_.size(); }
    int cachedRuns() const { return runs_[0].size() + runs_[1].size() + runs_[2].size(); }

    // Entries a cache generation holds. Prices walk, so most texts are seen
    // for a while only: what was used in the last two generations is kept
    // (the prices on screen), the rest let go.
    static constexpr int kCacheGeneration = 1024;

private:
    // Two generations of entries by text: a lookup that finds an entry in
    // the older one brings it into the newer; when the newer one is full it
    // becomes the older, and the older is dropped.
    template <class V>
    struct Generations {
        QHash<QString, V> current, previous;
        const V* find(const QString& key) {
            if (const auto found = current.constFind(key); found != current.cend()) return &*found;
            const auto old = previous.find(key);
            if (old == previous.end()) return nullptr;
            V value = std::move(*old);
            previous.erase(old);
            return &insert(key, std::move(value));
        }
        const V& insert(const QString& key, V value) {
            if (current.size() >= kCacheGeneration) {
                previous = std::move(current);
                current = QHash<QString, V>();
            }
            return *current.insert(key, std::move(value));
        }
        void clear() {
            current.clear();
            previous.clear();
        }
        int size() const { return static_cast<int>(current.size() + previous.size()); }
    };

    // A run of a price in one font, shaped once: prices share most of them.
    struct Shaped {
        QStaticText text;
        double advance = 0;
    };
    const Shaped& shapedRun(const QString& text, int font) const;
    // What the layouts read of each font's metrics.
    struct Metrics {
        double ascent = 0;
        double capHeight = 0;
        double height = 0;
    };

    std::function<std::int64_t()> theme_;
    mutable QFont font_;
    mutable QFont fonts_[3];
    mutable Metrics metrics_[3];
    mutable bool haveFonts_ = false;
    mutable Generations<Layout> layouts_;
    mutable Generations<Shaped> runs_[3];
};

}  // namespace views
