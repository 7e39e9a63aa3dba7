#pragma once
// The window a command opens until its subsystem's window lands: its title
// and a close button.
#include <QDialog>

namespace shell {

class PlaceholderWindow : public QDialog {
public:
    PlaceholderWindow(const QString& title, QWidget* parent);
};

}  // namespace shell
