#include "trading/close_position_status_window_controller.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QVBoxLayout>

#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "trading/close_all_table.h"
#include "trading/close_status_model.h"
#include "trading/core/close_all_rows.h"
#include "kit/own_text.h"

namespace trading {

ClosePositionStatusWindowController::ClosePositionStatusWindowController(kit::WindowContext& context,
                                                                         BulkClosePositionDelegate& delegate,
                                                                         QWidget* parent)
    : QDialog(parent), context_(context), delegate_(delegate) {
    setObjectName("ClosePositionStatusWindowController");
    setMinimumSize(720, 300);
    statusTextField = kit::plainLabel(this);
    statusTextField->setWordWrap(true);
    statusTableView = new QTableView(this);
    statusModel = showCloseStatus(*statusTableView, context_.view, rows_, context_.language);
    button1 = new QPushButton(this);
    button2 = new QPushButton(this);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(button1, QDialogButtonBox::AcceptRole);
    buttons->addButton(button2, QDialogButtonBox::RejectRole);
    disconnect(buttons, nullptr, this, nullptr);
    connect(button1, &QPushButton::clicked, this, [this] { yesButtonClicked(); });
    connect(button2, &QPushButton::clicked, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->addWidget(statusTextField);
    column->addWidget(statusTableView, 1);
    column->addWidget(buttons);
}

void ClosePositionStatusWindowController::windowDidAppear(const std::vector<model::OrderInfo>& rows, int noOfButtons,
                                                          const std::function<std::string(const std::string&)>& sides) {
    const auto text = [this](const char* key) {
        return kit::tableText(context_.language, key);
    };
    rows_ = rows;
    std::vector<std::string> shownSides;
    shownSides.reserve(rows_.size());
    for (const model::OrderInfo& row : rows_) shownSides.push_back(sides(row.orderNo));
    statusModel->setSides(std::move(shownSides));
    statusModel->reload();  // the rows in sight then fit their wrapped reasons
    for (int c = 0; c + 1 < statusModel->columnCount(); ++c) statusTableView->resizeColumnToContents(c);
    statusTextField->clear();
    button1->hide();
    button2->hide();
    if (noOfButtons == 0) {
        button2->setText(text("0167"));
        button2->show();
        statusTextField->setText(text("1154"));
    } else if (noOfButtons == 1) {
        button1->setText(text("90301"));
        button2->setText(text("0064"));
        button1->show();
        button2->show();
        statusTextField->setText(text("1155"));
    }
    kit::ThemeManager::applyTheme({{"Windows", {this}}, {"TableView", {statusTableView}}},
                                  context_.theme ? context_.theme() : 0);
}

void ClosePositionStatusWindowController::yesButtonClicked() {
    // Closed first: the delegate may show the sheet again with new refusals.
    accept();
    delegate_.createBulkClosePositions(3);
}

}  // namespace trading
