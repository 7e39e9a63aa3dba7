#pragma once
// The two graph themes: plain black and plain white.
#include <QColor>

namespace charts::plot {

enum class GraphTheme { PlainBlack, PlainWhite };

struct GraphThemeColors {
    QColor background;
    QColor text;
};

inline GraphThemeColors themeColors(GraphTheme t) {
    return t == GraphTheme::PlainBlack ? GraphThemeColors{Qt::black, Qt::white} : GraphThemeColors{Qt::white, Qt::black};
}

}  // namespace charts::plot
