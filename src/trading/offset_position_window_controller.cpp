#include "trading/offset_position_window_controller.h"
#include "trading/register_windows.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "kit/own_text.h"
#include "kit/shown_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "model/text_value.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "platform/main_executor.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "trading/core/position_row_reference.h"

namespace trading {

namespace {

enum Column { kTick, kId, kPrice, kSide, kProfitLoss, kTotal, kAvailable, kOffset, kColumns };
constexpr std::array<const char*, kColumns> kIdentifiers = {"0", "0317", "0457", "0020", "0139", "11005", "10994", "10985"};
constexpr std::array<const char*, 6> kFieldKeys = {"0012", "0011", "0457", "0027", "10985", "21045"};
enum Field { kAccount, kSymbol, kOpenPrice, kQuantity, kOffsetQuantity, kRemaining };

// The offset cell: an editable combo of the row's quantities, only on ticked rows.
class QuantityDelegate : public QStyledItemDelegate {
public:
    explicit QuantityDelegate(OffsetPositionWindowController& owner) : QStyledItemDelegate(&owner), owner_(owner) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        for (const std::string& q : owner_.quantitiesOf(index.row())) combo->addItem(kit::shownText(q));
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setCurrentText(index.data().toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        owner_.QuantitySelectedAtIndex(index.row(), static_cast<QComboBox*>(editor)->currentText().toStdString());
    }

private:
    OffsetPositionWindowController& owner_;
};

}  // namespace

OffsetPositionWindowController::OffsetPositionWindowController(kit::WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(kOffsetWindow);
    setMinimumSize(760, 380);
    OffsetBox = new QGroupBox(this);
    auto* form = new QFormLayout(OffsetBox);
    form->setLabelAlignment(Qt::AlignRight);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = new QLineEdit(OffsetBox);
        fields[i]->setReadOnly(true);
        form->addRow(kit::tableText(context_, kFieldKeys[i]), fields[i]);
    }
    offsetPositionTableView = new QTableWidget(0, kColumns, this);
    offsetPositionTableView->setObjectName("offsetPositionTableView");
    QStringList titles;
    for (const char* id : kIdentifiers)
        titles << (std::string(id) == "0" ? QStringLiteral(" ") : kit::tableText(context_, model::LanguageString::setLanguageKey(id)));
    offsetPositionTableView->setHorizontalHeaderLabels(titles);
    offsetPositionTableView->verticalHeader()->hide();
    offsetPositionTableView->setSelectionMode(QAbstractItemView::NoSelection);
    offsetPositionTableView->setEditTriggers(QAbstractItemView::AllEditTriggers);
    offsetPositionTableView->setItemDelegateForColumn(kOffset, new QuantityDelegate(*this));
    offsetPositionTableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    offsetPositionTableView->setColumnWidth(kTick, 28);
    connect(offsetPositionTableView, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kTick) hitCheckbox(item->row());
    });
    offsetButton = new QPushButton(kit::tableText(context_, "0526"), this);
    offsetButton->setDefault(true);
    notNowButton = new QPushButton(kit::tableText(context_, "0249"), this);
    connect(offsetButton, &QPushButton::clicked, this, [this] { OffsetButtonClicked(); });
    connect(notNowButton, &QPushButton::clicked, this, [this] { closeModal(); });
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(offsetButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(notNowButton, QDialogButtonBox::RejectRole);
    disconnect(buttons, nullptr, this, nullptr);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);
    column->addWidget(OffsetBox);
    column->addWidget(offsetPositionTableView, 1);
    column->addWidget(buttons);
}

std::string OffsetPositionWindowController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language, key);
}

bool OffsetPositionWindowController::setPosition(const std::string& positionId) {
    platform::assertMainThread();
    const auto main = orderWithId(context_.view, kPositionMode, positionId);
    if (!main) return false;
    positionId_ = positionId;
    observers_.clear();
    auto& center = platform::NotificationCenter::defaultCenter();
    observers_.emplace_back(&center, center.addObserver(state::notifications::kCloseHedgePosition,
                                                        [this](const auto&) { closeModal(); }));
    observers_.emplace_back(&center, center.addObserver(orders::kPlaceOrderNotification, [this](const auto& n) {
        const auto* report = n.template as<orders::PlaceOrderReport>();
        if (report && !report->text.empty() && report->text != "AbortModal") ShowStatusMessage(report->text);
    }));
    UpdateValuesinWindow(*main);
    kit::ThemeManager::applyTheme(
        {{"Windows", {this}}, {"TableView", {offsetPositionTableView}},
         {"TextField", std::vector<QWidget*>(fields.begin(), fields.end())}},
        context_.theme ? context_.theme() : 0);
    return true;
}

void OffsetPositionWindowController::UpdateValuesinWindow(const model::Order& main) {
    const auto item = itemOf(context_.view, main);
    const double quantity = model::TextValue::doubleValue(main.RemainingQty);
    // The open price at its shown places: the price a row's P/L is taken at.
    const std::string openPrice =
        model::Formatter::formatDecimal(model::TextValue::doubleValue(main.OrderPrice), item ? item->DecimalPlaces : 2);
    openPrice_ = model::TextValue::doubleValue(openPrice);
    quantity_ = quantity;
    fields[kAccount]->setText(kit::shownText(main.AccountNumber));
    fields[kSymbol]->setText(kit::shownText(main.ItemCode));
    fields[kOpenPrice]->setText(kit::shownText(openPrice));
    fields[kQuantity]->setText(kit::shownText(offsetQuantityText(quantity)));
    fields[kOffsetQuantity]->setText(QStringLiteral("0"));
    fields[kRemaining]->setText(kit::shownText(offsetQuantityText(quantity)));
    if (main.tradingMode == 0 || main.tradingMode == 1)
        OffsetBox->setTitle(kit::numberedTitle(kit::tableText(context_, "0447"), main.OpenPositionId,
                                               main.tradingMode == 0 ? QStringLiteral(" (B)") : QStringLiteral(" (S)")));
    setWindowTitle(OffsetBox->title());
    selection_.reset(offsetRows(main, context_.view.getOpenOrderCollection()));
    reloadRows();
}

void OffsetPositionWindowController::reloadRows() {
    const QSignalBlocker quiet(offsetPositionTableView);
    offsetPositionTableView->setRowCount(static_cast<int>(selection_.rows().size()));
    for (int r = 0; r < offsetPositionTableView->rowCount(); ++r) showRow(r);
}

void OffsetPositionWindowController::showRow(int r) {
    const QSignalBlocker quiet(offsetPositionTableView);
    const model::OffsetPosition& row = selection_.rows()[std::size_t(r)];
    const bool ticked = selection_.isTicked(std::size_t(r));
    const auto item = context_.view.instrument(row.itemCode);
    const auto cell = [&](int column, const std::string& value, bool editable = false) {
        QTableWidgetItem* c = offsetPositionTableView->item(r, column);
        if (!c) {
            c = new QTableWidgetItem;
            if (column != kSide) c->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            offsetPositionTableView->setItem(r, column, c);
        }
        c->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsEditable : Qt::ItemIsEnabled);
        c->setText(kit::shownText(value));
    };
    QTableWidgetItem* tick = offsetPositionTableView->item(r, kTick);
    if (!tick) {
        tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        offsetPositionTableView->setItem(r, kTick, tick);
    }
    tick->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    cell(kId, row.postionId);
    cell(kPrice, model::Formatter::formatDecimal(model::TextValue::doubleValue(row.closePrice),
                                                 item ? item->DecimalPlaces : 2));
    cell(kSide, row.tradingMode == 0 ? "B" : "S");
    char pl[64];
    std::snprintf(pl, sizeof pl, "%.2f", row.profitLoss);
    cell(kProfitLoss, pl);
    cell(kTotal, row.totalQty);
    cell(kAvailable, row.QtyAvailable);
    cell(kOffset, row.offsetQty, ticked);
}

void OffsetPositionWindowController::hitCheckbox(int row) {
    if (row < 0 || std::size_t(row) >= selection_.rows().size()) return;
    selection_.toggle(std::size_t(row));
    updateTextFieldValues();
    showRow(row);
}

std::vector<std::string> OffsetPositionWindowController::quantitiesOf(int row) const {
    if (row < 0 || !selection_.isTicked(std::size_t(row))) return {};
    const model::OffsetPosition& r = selection_.rows()[std::size_t(row)];
    double step = 0;
    const auto account = context_.view.account(r.accountNo);
    const auto item = context_.view.instrument(r.itemCode);
    if (const auto group = account && item ? context_.view.group(account->GroupId) : nullptr)
        if (const auto conditions = group->instrument(item->InstrumentId)) step = conditions->OrderQtyStep;
    return offsetQuantities(r.totalQty, step);
}

bool OffsetPositionWindowController::QuantitySelectedAtIndex(int row, const std::string& quantity) {
    const auto value = offsetQuantityValue(quantity);
    if (row < 0 || !value || !selection_.isTicked(std::size_t(row))) return false;
    const model::OffsetPosition& r = selection_.rows()[std::size_t(row)];
    // Its P/L were it closed at the main position's open price.
    const auto item = context_.view.instrument(r.itemCode);
    const double pl = state::SessionView::CalculateFloatingPL(
        item.get(), r.tradingMode, *value, model::TextValue::doubleValue(r.closePrice),
        openPrice_);
    selection_.setQuantity(std::size_t(row), *value, pl);
    updateTextFieldValues();
    showRow(row);
    return true;
}

void OffsetPositionWindowController::updateTextFieldValues() {
    const double total = selection_.total();
    fields[kOffsetQuantity]->setText(kit::shownText(offsetQuantityText(total)));
    fields[kRemaining]->setText(kit::shownText(offsetQuantityText(quantity_ - total)));
}

bool OffsetPositionWindowController::offsetPositionValidation() {
    const auto main = orderWithId(context_.view, kPositionMode, positionId_);
    if (!main) {
        ShowStatusMessage(text("21044"));
        return false;
    }
    // The record's symbol and account, whatever their fields show.
    const auto refusal = offsetRefusal(context_.view, *main, selection_,
                                       context_.orderManager.offsetRefusal(main->ItemCode, main->AccountNumber));
    if (!refusal) return true;
    if (!refusal->empty()) ShowStatusMessage(text(*refusal));
    return false;
}

void OffsetPositionWindowController::OffsetButtonClicked() {
    platform::assertMainThread();
    if (!offsetPositionValidation()) return;
    const auto main = orderWithId(context_.view, kPositionMode, positionId_);
    const auto list = orders::OrderMananger::offsetPositionList(
        positionId_, offsetQuantityText(selection_.total()), selection_.ticked());
    if (!list || !main) return;
    context_.orderManager.PlaceOffsetOrder(*list, main->ItemCode, main->AccountNumber);
}

void OffsetPositionWindowController::closeModal() {
    observers_.clear();
    reject();
}

void OffsetPositionWindowController::ShowStatusMessage(const std::string& message) {
    context_.ui.showAlert(message, text("10980"));
}

}  // namespace trading
