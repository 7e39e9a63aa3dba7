#pragma once
// Draws the watchlist's bid and ask as highlighted prices (significant figures
// enlarged, the last ones small and raised), right-aligned on the cell's
// direction colour, and the icon column's image centred.
#include <QCache>
#include <QFont>
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
    // Valid until the next layout is made.
    const Layout& layoutOf(const QModelIndex& index) const;
    // Layouts and shaped runs held: at most kCachedTexts of each.
    qsizetype cachedLayouts() const { return layouts_.size(); }
    qsizetype cachedRuns() const { return runs_[0].size() + runs_[1].size() + runs_[2].size(); }

    // Layouts, and shaped runs per font, held: a few screens of prices; the
    // least recently drawn go first.
    static constexpr qsizetype kCachedTexts = 2048;

private:

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
    mutable QCache<QString, Layout> layouts_{kCachedTexts};
    mutable QCache<QString, Shaped> runs_[3] = {QCache<QString, Shaped>(kCachedTexts),
                                                QCache<QString, Shaped>(kCachedTexts),
                                                QCache<QString, Shaped>(kCachedTexts)};
};

}  // namespace views
