#pragma once
// The sheet over the close-all sheet that lists the positions its check
// refused, with their reasons, and asks whether to close the others.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "model/order_info.h"

namespace kit {
struct WindowContext;
}

namespace trading {

class CloseStatusModel;

// The close-all sheet, told to send a selection (request type 3).
class BulkClosePositionDelegate {
public:
    virtual ~BulkClosePositionDelegate() = default;
    virtual void createBulkClosePositions(std::int64_t requestType) = 0;
};

class ClosePositionStatusWindowController : public QDialog {
public:
    ClosePositionStatusWindowController(kit::WindowContext& context, BulkClosePositionDelegate& delegate,
                                        QWidget* parent);

    // `rows` are the refusals; `noOfButtons` 0 offers only the close button,
    // 1 the confirm button too. `sides` gives a row's side ("" when gone).
    void windowDidAppear(const std::vector<model::OrderInfo>& rows, int noOfButtons,
                         const std::function<std::string(const std::string&)>& sides);
    void yesButtonClicked();

    QTableView* statusTableView = nullptr;
    CloseStatusModel* statusModel = nullptr;
    QPushButton* button1 = nullptr;
    QPushButton* button2 = nullptr;
    QLabel* statusTextField = nullptr;

private:
    kit::WindowContext& context_;
    std::vector<model::OrderInfo> rows_;
    BulkClosePositionDelegate& delegate_;
};

}  // namespace trading
