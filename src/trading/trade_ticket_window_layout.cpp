// The ticket's controls and their layout: the mode row, the always-active box,
// the price buttons, the advanced box, the small chart and the two drawers.
#include <QEvent>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "kit/controls/input_filter_fields.h"
#include "kit/controls/price_label.h"
#include "charts/chart_controller.h"
#include "kit/plain_text.h"
#include "trading/buy_market_depth_table_controller.h"
#include "trading/core/market_depth_cells.h"
#include "trading/multi_trade_table_model.h"
#include "trading/sell_market_depth_table_controller.h"
#include "trading/ticket_image_button.h"
#include "trading/ticket_stepper.h"
#include "trading/trade_ticket_window_controller.h"

namespace trading {

namespace {
// Language keys of the form labels.
constexpr const char* kAccountKey = "0012";
constexpr const char* kInstrumentKey = "0011";
constexpr const char* kQuantityKey = "0350";
constexpr const char* kOrderTypeKey = "0351";
constexpr const char* kValidityKey = "0352";
constexpr const char* kTimeInForceKey = "0353";
constexpr const char* kPriceKey = "0354";
constexpr int kDrawerWidth = 250;

QLabel* taggedLabel(const char* key, std::vector<QLabel*>& tagged) {
    auto* label = kit::plainLabel();
    label->setProperty("tag", QString::fromLatin1(key).toInt());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tagged.push_back(label);
    return label;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    layout->setSpacing(6);
    for (QWidget* w : widgets) layout->addWidget(w);
    return layout;
}

QFont tabularFont(const QFont& base) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(base.pointSizeF() > 0 ? base.pointSizeF() : 10);
    return font;
}

void rightAligned(QLineEdit* field) {
    field->setAlignment(Qt::AlignRight);
    field->setFont(tabularFont(field->font()));
}
}  // namespace

void TradeTicketWindowController::buildWindow() {
    setObjectName("TradeTicketWindowController");
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(10);
    leftDrawer = buildMultiTradeDrawer();
    outer->addWidget(leftDrawer);

    auto* centre = new QVBoxLayout;
    centre->setSpacing(6);
    outer->addLayout(centre, 1);

    // Mode and the order-status alerts box.
    TradeTicketRadioGroup = new QButtonGroup(this);
    auto* simple = new QRadioButton;
    auto* advanced = new QRadioButton;
    TradeTicketRadioGroup->addButton(simple, kSimpleMode);
    TradeTicketRadioGroup->addButton(advanced, kAdvancedMode);
    showConfirmationCheckBox = new QCheckBox;
    showConfirmationCheckBox->setChecked(true);  // order-status alerts start on
    auto* modes = row({simple, advanced});
    modes->addStretch(1);
    modes->addWidget(showConfirmationCheckBox);
    centre->addLayout(modes);

    // The box that is always active.
    tradeTicketBox = new QGroupBox;
    auto* form = new QFormLayout(tradeTicketBox);
    form->setLabelAlignment(Qt::AlignRight);
    AccountComboBox = new QComboBox;
    SymbolComboBox = new QComboBox;
    SymbolDescriptionTextField = kit::plainLabel();
    SymbolDescriptionTextField->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QuantityComboBox = new kit::CustomComboBox;
    QuantityComboBox->setInsertPolicy(QComboBox::NoInsert);
    QuantityComboBox->lineEdit()->setAlignment(Qt::AlignRight);
    QuantityComboBox->setMinimumWidth(110);
    QuantityDescriptionTextField = kit::plainLabel();
    QuantityDescriptionTextField->setFont(tabularFont(font()));
    form->addRow(taggedLabel(kAccountKey, taggedLabels_), AccountComboBox);
    form->addRow(taggedLabel(kInstrumentKey, taggedLabels_), row({SymbolComboBox, SymbolDescriptionTextField}));
    form->addRow(taggedLabel(kQuantityKey, taggedLabels_), row({QuantityComboBox, QuantityDescriptionTextField}));
    centre->addWidget(tradeTicketBox);

    centre->addWidget(buildPriceButtons());

    SymbolTextLabel = kit::plainLabel();
    TimeTextLabel = new kit::QuoteLineLabel;
    LowTextLabel = new kit::QuoteLineLabel;
    HighTextLabel = new kit::QuoteLineLabel;
    SpreadTextLabel = new kit::QuoteLineLabel;
    SymbolTextLabel->setStyleSheet({});
    QFont bold = SymbolTextLabel->font();
    bold.setBold(true);
    SymbolTextLabel->setFont(bold);
    auto* values = row({SymbolTextLabel, TimeTextLabel, LowTextLabel, HighTextLabel, SpreadTextLabel});
    centre->addLayout(values);

    AdvancedTradeTicketBox = new QGroupBox;
    auto* advancedLayout = new QVBoxLayout(AdvancedTradeTicketBox);
    advancedLayout->setContentsMargins(0, 0, 0, 0);
    advancedContent_ = buildAdvancedBox();
    advancedLayout->addWidget(advancedContent_);
    centre->addWidget(AdvancedTradeTicketBox);

    TradeChart = new charts::ChartController(
        session(), std::shared_ptr<state::SessionCommands>(context_.sessionLifetime, &context_.commands), this);
    TradeChart->followTicker(context_.ticker);
    // Low enough that the ticket fits a 1280x800 screen under a title bar in
    // every script; a larger screen gives the chart more.
    TradeChart->setMinimumHeight(140);
    centre->addWidget(TradeChart, 1);

    multitradeButton = new QPushButton;
    marketDepthChartButton = new QPushButton;
    auto* drawers = row({multitradeButton});
    drawers->addStretch(1);
    drawers->addWidget(marketDepthChartButton);
    centre->addLayout(drawers);

    rightDrawer = buildDepthDrawer();
    outer->addWidget(rightDrawer);
    leftDrawer->hide();
    rightDrawer->hide();
}

QWidget* TradeTicketWindowController::buildPriceButtons() {
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto make = [&](QPushButton*& button, kit::PriceLabel*& price, QLabel*& arrow, const QPixmap& face,
                    const char* name) {
        auto* faced = new TicketImageButton;
        faced->setImage(face);
        button = faced;
        button->setObjectName(name);
        button->setMinimumSize(150, 64);
        auto* inside = new QHBoxLayout(button);
        inside->setContentsMargins(6, 2, 6, 2);
        price = new kit::PriceLabel;
        price->setTextColor(Qt::white);
        QFont priceFont = price->font();  // the price titles' font
        priceFont.setPointSizeF(std::max(priceFont.pointSizeF(), 10.0) + 6);
        priceFont.setBold(true);
        price->setFont(priceFont);
        price->setAttribute(Qt::WA_TransparentForMouseEvents);
        arrow = kit::plainLabel();
        arrow->setFixedSize(16, 16);
        arrow->setAttribute(Qt::WA_TransparentForMouseEvents);
        inside->addWidget(price, 1);
        inside->addWidget(arrow);
    };
    make(sellButton, sellPriceLabel, sellIndicatorImageView, sellImage_, "sellButton");
    make(buyButton, buyPriceLabel, buyIndicatorImageView, buyImage_, "buyButton");
    layout->addWidget(sellButton, 1);
    layout->addWidget(buyButton, 1);
    return box;
}

QWidget* TradeTicketWindowController::buildAdvancedBox() {
    auto* content = new QWidget;
    auto* form = new QFormLayout(content);
    form->setLabelAlignment(Qt::AlignRight);
    OrderTypeComboBox = new QComboBox;
    ValidityComboBox = new QComboBox;
    TimeinforceComboBox = new QComboBox;
    form->addRow(taggedLabel(kOrderTypeKey, taggedLabels_), OrderTypeComboBox);
    form->addRow(taggedLabel(kValidityKey, taggedLabels_), ValidityComboBox);
    form->addRow(taggedLabel(kTimeInForceKey, taggedLabels_), TimeinforceComboBox);

    auto priceRow = [&](QLineEdit*& field, TicketStepper*& stepper, QLabel*& hint) {
        field = new kit::DecimalInputField;
        rightAligned(field);
        field->setMinimumWidth(110);
        field->setAutoFillBackground(true);
        stepper = new TicketStepper;
        hint = kit::plainLabel();
        hint->setMinimumWidth(150);
        QHBoxLayout* r = row({field, stepper, hint});
        r->setStretch(2, 1);
        return r;
    };
    form->addRow(taggedLabel(kPriceKey, taggedLabels_),
                 priceRow(PriceTextField, PriceStepper, contigentpricesuggestionLabel));
    TakeProfitCheckBox = new QCheckBox;
    form->addRow(TakeProfitCheckBox,
                 priceRow(TakeProfitPriceTextField, TakeProfitStepper, takeprofitpricesuggestionLabel));
    StopLossCheckBox = new QCheckBox;
    form->addRow(StopLossCheckBox, priceRow(StopLossPriceTextField, StopLossStepper, stoplosspricesuggestionLabel));
    DeviationCheckBox = new QCheckBox;
    DeviationTextField = new kit::CustomTextField;
    rightAligned(DeviationTextField);
    DeviationTextField->setMaximumWidth(80);
    auto* deviation = row({DeviationTextField});
    deviation->addStretch(1);
    form->addRow(DeviationCheckBox, deviation);

    BuyCheckBox = new QCheckBox;
    SellCheckBox = new QCheckBox;
    PlaceOrderButton = new TicketImageButton;
    PlaceOrderButton->setMinimumSize(120, 32);
    auto* sides = row({BuyCheckBox, SellCheckBox});
    sides->addStretch(1);
    sides->addWidget(PlaceOrderButton);
    form->addRow(sides);
    return content;
}

QFrame* TradeTicketWindowController::buildDepthDrawer() {
    auto* drawer = new QFrame;
    drawer->setObjectName("rightDrawer");
    drawer->setFixedWidth(kDrawerWidth);
    auto* outer = new QVBoxLayout(drawer);
    outer->setContentsMargins(0, 0, 0, 0);
    depthBox = new QGroupBox;
    outer->addWidget(depthBox, 1);
    auto* layout = new QVBoxLayout(depthBox);
    const auto language = [this] { return context_.language; };
    buyMarketDepthTableController = new BuyMarketDepthTableController(session(), language, this);
    sellMarketDepthTableController = new SellMarketDepthTableController(session(), language, this);
    auto table = [&](QAbstractItemModel* model) {
        auto* view = new QTableView;
        view->setModel(model);
        view->verticalHeader()->hide();
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        view->setSelectionMode(QAbstractItemView::NoSelection);
        view->setAlternatingRowColors(true);
        // Figures in tabular digits; the headers' words in the window's font, which joins every script.
        QFont wordsFont = view->font();
        wordsFont.setResolveMask(QFont::AllPropertiesResolved);  // kept, not taken from the view
        QFont font = tabularFont(wordsFont);
        font.setPointSizeF(12);
        view->setFont(font);
        view->horizontalHeader()->setFont(wordsFont);
        view->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
        view->setFixedHeight(view->horizontalHeader()->sizeHint().height() +
                             static_cast<int>(kDepthRows) * view->verticalHeader()->defaultSectionSize() +
                             2 * view->frameWidth());
        layout->addWidget(view);
        return view;
    };
    BuyMarketDepthTableView = table(buyMarketDepthTableController);
    SellMarketDepthTableView = table(sellMarketDepthTableController);
    layout->addStretch(1);
    return drawer;
}

QFrame* TradeTicketWindowController::buildMultiTradeDrawer() {
    auto* drawer = new QFrame;
    drawer->setObjectName("leftDrawer");
    drawer->setFixedWidth(kMultiTradeDrawerWidth);
    auto* outer = new QVBoxLayout(drawer);
    outer->setContentsMargins(0, 0, 0, 0);
    multiTradeBox = new QGroupBox;
    outer->addWidget(multiTradeBox, 1);
    auto* layout = new QVBoxLayout(multiTradeBox);
    multiAccountSelectAllCheckBox = new QCheckBox;
    multitradeTableView = new QTableView;
    multiTradeModel_ = new MultiTradeTableModel([this](const std::string& key) { return text(key); }, this);
    multitradeTableView->setModel(multiTradeModel_);
    multitradeTableView->verticalHeader()->hide();
    multitradeTableView->setSelectionMode(QAbstractItemView::NoSelection);
    multitradeTableView->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                         QAbstractItemView::AnyKeyPressed);
    multitradeTableView->setAlternatingRowColors(true);
    QHeaderView* header = multitradeTableView->horizontalHeader();
    header->setSectionsClickable(true);
    // The text's margins and the section's border lines, with room to spare.
    const int padding = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin) + 4;
    const auto titleWidth = [&](int column) {
        return header->fontMetrics().horizontalAdvance(multiTradeModel_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
               padding;
    };
    header->resizeSection(MultiTradeTableModel::kCheck, 28);
    // The account and quantity as wide as their titles ("Количество"), the margin the rest.
    header->resizeSection(MultiTradeTableModel::kAccount, std::max(64, titleWidth(MultiTradeTableModel::kAccount)));
    header->resizeSection(MultiTradeTableModel::kQuantity, std::max(72, titleWidth(MultiTradeTableModel::kQuantity)));
    // The margin fills the rest and widens to its widest figure: the table then scrolls sideways.
    struct FitOnResize : QObject {
        using QObject::QObject;
        std::function<void()> fit;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Resize) fit();
            return false;
        }
    };
    auto* fitter = new FitOnResize(multitradeTableView);
    fitter->fit = [this] { fitMarginColumn(); };
    multitradeTableView->viewport()->installEventFilter(fitter);
    // A title wider than its section ("Свободная маржа") on two lines, again as the sections change.
    multiTradeModel_->titleFits = [header, padding](int column, const QString& title) {
        return header->fontMetrics().horizontalAdvance(title) + padding <= header->sectionSize(column);
    };
    connect(header, &QHeaderView::sectionResized, this, [this] {
        QMetaObject::invokeMethod(this, [this] { multiTradeModel_->setHeaderTitles(); }, Qt::QueuedConnection);
    });
    QFont cells = multitradeTableView->font();
    cells.setPointSize(12);
    multitradeTableView->verticalHeader()->setDefaultSectionSize(QFontMetrics(cells).height() + 8);
    layout->addWidget(multiAccountSelectAllCheckBox);
    layout->addWidget(multitradeTableView, 1);
    return drawer;
}

void TradeTicketWindowController::enableSubviews(bool enabled, double alpha) {
    for (QWidget* child : advancedContent_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->setEnabled(enabled);
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(child->graphicsEffect());
        if (alpha >= 1.0) {
            if (effect) child->setGraphicsEffect(nullptr);
            continue;
        }
        if (!effect) {
            effect = new QGraphicsOpacityEffect(child);
            child->setGraphicsEffect(effect);
        }
        effect->setOpacity(alpha);
    }
}

}  // namespace trading
