#pragma once
// Controls the deposit and withdrawal forms share.
#include <QComboBox>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QWidget;

namespace funds {

// A combo box that says when its list is about to open.
class PopUpComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> willPopUp;
    void showPopup() override {
        if (willPopUp) willPopUp();
        QComboBox::showPopup();
    }
};

// A label whose text is the key of its tag in the selected language.
QLabel* taggedLabel(int tag, QWidget* parent);
// A read-only figure, right-aligned.
QLineEdit* figureField(QWidget* parent);
// A text field that refuses the separator bytes, typed or pasted.
QLineEdit* inputField(QWidget* parent);
// The labels of the page's forms share one column width.
void alignLabelColumn(QWidget* page);
// "%lu" of an account id, as the account boxes list them.
std::string accountKey(std::int32_t accountId);
// The box's items become `items`; the current one is the first.
void fillBox(QComboBox* box, const std::vector<std::string>& items);

}  // namespace funds
