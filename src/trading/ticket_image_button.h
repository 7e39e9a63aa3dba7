#pragma once
// A push button whose face is an image, with its title in white on top.
#include <QPixmap>
#include <QPushButton>

namespace trading {

class TicketImageButton : public QPushButton {
public:
    explicit TicketImageButton(QWidget* parent = nullptr) : QPushButton(parent) {}
    void setImage(const QPixmap& image) {
        image_ = image;
        update();
    }
    const QPixmap& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap image_;
};

}  // namespace trading
