#pragma once
// One side of the ticket's order book: at most five levels of the instrument,
// read from the session at every draw. The buy and sell tables are this model
// with their side's collection and column keys.
#include <QAbstractTableModel>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace state {
class SessionView;
}

namespace trading {

class MarketDepthTableController : public QAbstractTableModel {
public:
    enum class Side { Buy, Sell };
    MarketDepthTableController(Side side, std::weak_ptr<const state::SessionView> session,
                               std::function<std::int64_t()> selectedLanguage, QObject* parent = nullptr);

    // Whatever the key: header titles, the item code when one is given, reload.
    void setValue(const std::string& value, const std::string& key);
    void setHeaderTitles();
    const std::string& itemCode() const { return itemCode_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // A copy of the side's levels as the session holds them now.
    std::optional<std::vector<std::string>> levels() const;
    void reload();

    Side side_;
    std::weak_ptr<const state::SessionView> session_;
    std::function<std::int64_t()> selectedLanguage_;
    std::array<const char*, 2> columns_;  // price, quantity: identifiers and header keys
    std::array<QString, 2> titles_;
    std::string itemCode_;
    int rows_ = 0;
};

}  // namespace trading
