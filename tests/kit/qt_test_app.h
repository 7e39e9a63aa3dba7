#pragma once
// One QApplication for a test program, and screenshots under the build folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kit::testing {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "kit_test";
        static char* argv[] = {name, nullptr};
        QApplication::setStyle("Fusion");
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QApplication> application_;
};

inline const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// Runs the event loop until `done` holds or `ms` pass.
inline bool runUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

inline void runFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// <build>/screenshots/<name>.png
inline void saveScreenshot(QWidget* widget, const QString& name) {
    const QString dir = QString(TC_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    EXPECT_TRUE(widget->grab().save(dir + "/" + name + ".png")) << name.toStdString();
}

// Every shown cell of the view is as wide as its delegate asks: its text whole.
inline void expectCellsWhole(const QTableView& view, const std::string& what) {
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.widget = &view;
    const QAbstractItemModel& model = *view.model();
    for (int row = 0; row < model.rowCount(); ++row)
        for (int c = 0; c < model.columnCount(); ++c) {
            if (view.isColumnHidden(c)) continue;
            const QModelIndex cell = model.index(row, c);
            EXPECT_GE(view.columnWidth(c), view.itemDelegateForIndex(cell)->sizeHint(option, cell).width())
                << what << " column " << c << " row " << row;
        }
}

// A combo box's entries, in order.
inline std::vector<std::string> comboItems(const QComboBox* combo) {
    std::vector<std::string> out;
    for (int i = 0; i < combo->count(); ++i) out.push_back(combo->itemText(i).toStdString());
    return out;
}

}  // namespace kit::testing
