// The resources popover over a session of the test's own: the rows, the
// icon files requested once at the first load, and the address each click opens.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "chat/resources_view_controller.h"
#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "orders/order_mananger.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "state/notification_payloads.h"
#include "views/watchlist_fixture.h"

namespace chat {
namespace {

class ResourcesViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        ::setenv("XDG_DATA_HOME", support.c_str(), 1);
        // Without a user, each download asked for is logged as not sent: the count of requests.
        platform::Log::setSink([this](platform::LogLevel, const std::string& line) {
            if (line.find("resourcedownload not sent") != std::string::npos) ++downloads;
            logged.push_back(line);
        });
        entry("gold.svg", "Gold icon", "example.com/gold");
        entry("", "Help centre", "https://x");
        entry("desk", "Dealing desk #internal", "https://desk");
        entry("", "Files", "file:///x?http");
        entry("", "Script", "javascript:http");
        entry("", "Empty", "");
        for (const char* name : {"gold.svg", "desk.txt", "holidays.ics"}) {
            auto file = std::make_shared<model::FileResource>();
            file->resourceName = name;
            state::ReferenceDataTestAccess::resourceSearchCollection(s.data()).set(name, file);
        }
    }
    void TearDown() override {
        view.reset();
        platform::Log::setSink([](platform::LogLevel, const std::string&) {});
        ::unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(support);
        platform::MainExecutor::install(nullptr);
    }
    void entry(const std::string& icon, const std::string& caption, const std::string& url) {
        auto r = std::make_shared<model::ResourceDetails>();
        r->iconResourceId = icon;
        r->caption = caption;
        r->URL = url;
        state::ReferenceDataTestAccess::resourceCollection(s.data()).set(icon.empty() ? caption : icon, r);
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        QAbstractItemModel* model = view->resourcesTableView()->model();
        for (int row = 0; row < model->rowCount(); ++row) out.push_back(model->index(row, 0).data().toString().toStdString());
        return out;
    }

    std::string support = (std::filesystem::temp_directory_path() / ("resources_view_" + std::to_string(::getpid()))).string();
    std::shared_ptr<kit::QtMainExecutor> executor;
    views::testing::WatchlistSession s;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    std::unique_ptr<ResourcesViewController> view;
    int downloads = 0;
    std::vector<std::string> logged;
};

TEST_F(ResourcesViewTest, ListsOnceRequestsIconsOnceAndClearsTheSelection) {
    view = std::make_unique<ResourcesViewController>(fake.context);
    QAbstractItemModelTester tester(view->resourcesTableView()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    // Natural key order; the "#" caption neither listed nor downloaded; "" asks for nothing.
    EXPECT_EQ(captions(), (std::vector<std::string>{"Empty", "Files", "Gold icon", "Help centre", "Script"}));
    EXPECT_EQ(downloads, 1);
    EXPECT_FALSE(view->resourcesTableView()->model()->index(2, 0).data(Qt::DecorationRole).isNull());

    view->resourcesTableView()->selectRow(2);
    view->viewWillAppear();  // the popover opened again
    EXPECT_TRUE(view->resourcesTableView()->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(captions().size(), 5u);
    EXPECT_EQ(downloads, 1);
}

TEST_F(ResourcesViewTest, AnEntryWhoseFileWasSkippedSaysItIsNotAvailable) {
    view = std::make_unique<ResourcesViewController>(fake.context);
    QAbstractItemModelTester tester(view->resourcesTableView()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModel* model = view->resourcesTableView()->model();
    int changed = 0;
    QObject::connect(model, &QAbstractItemModel::dataChanged, [&changed] { ++changed; });
    s.data().markResourceUnavailable("gold.svg");
    platform::NotificationCenter::defaultCenter().post(state::notifications::kResourceUnavailable);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(captions(), (std::vector<std::string>{"Empty", "Files", "Gold icon (file not available)", "Help centre", "Script"}));
    EXPECT_EQ(model->index(2, 0).data(Qt::ToolTipRole).toString().toStdString(), "Gold icon (file not available)");
}

TEST_F(ResourcesViewTest, AClickOpensTheEntrysAddressOrLogsTheRefusal) {
    view = std::make_unique<ResourcesViewController>(fake.context);
    view->resize(320, 260);
    view->show();
    QTableView* table = view->resourcesTableView();
    QTest::mouseClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_TRUE(fake.ui.urls.empty());
    const std::vector<std::string> opened = {"", "", "http://example.com/gold", "https://x", ""};
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        fake.ui.urls.clear();
        logged.clear();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 0)).center());
        const std::string& want = opened[std::size_t(row)];
        EXPECT_EQ(fake.ui.urls, want.empty() ? std::vector<std::string>{} : std::vector<std::string>{want}) << row;
        EXPECT_EQ(std::count(logged.begin(), logged.end(), "Failed to open url"), want.empty() ? 1 : 0) << row;
    }
}

}  // namespace
}  // namespace chat
