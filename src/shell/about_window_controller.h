#pragma once
// The About window: the application's name, its version, the disclaimer and
// the copyright line. One per process; it refills its texts and takes the
// stored theme at every opening. Main thread.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <cstdint>

namespace shell {

class AboutWindowController : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindowController(QWidget* parent = nullptr);

    // At every opening: the title, the theme (this window alone), the texts.
    void windowDidAppear(std::int64_t language, std::int64_t theme);
    void applyTheme(std::int64_t theme);
    void loadData(std::int64_t language);
    // Closes the window; it stays for the next opening.
    void closeWindow() { hide(); }

    QLabel* appNameLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* disclaimerLabel = nullptr;
    QLabel* copyRightInfoLabel = nullptr;
    QPushButton* closeButton = nullptr;
};

}  // namespace shell
