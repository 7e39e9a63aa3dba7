// The news tab and the resources popover against the simulator: the news
// port's fixed document (found from the login's moved session port) and its
// hostile answers, the scenario's resources, their icon files on disk and the
// addresses opened. Saves screenshots in both themes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "chat/resources_view_controller.h"
#include "integration/app_window_fixture.h"
#include "kit/core/kit_payloads.h"
#include "news/main_window_page.h"
#include "news/news_table_controller.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "shell/main_window_controller.h"
#include "sim/sim_crypto.h"
#include "state/resource_files.h"
#include "state/session_commands.h"
#include "state/session_view.h"

namespace {

namespace fs = std::filesystem;
using kit::testing::runUntil;

class NewsResourcesTest : public integration::LoggedInWindowTest {
protected:
    NewsResourcesTest() : LoggedInWindowTest("news_resources") {}
    static std::string fileText(const fs::path& path) {
        std::string text;
        platform::Paths::readFile(path.string(), &text);
        return text;
    }
};

TEST_F(NewsResourcesTest, NewsTabListsTheSimulatorsFeedAndOpensALink) {
    news::NewsTableController* panel = dynamic_cast<news::NewsTableController*>(main->page(news::kNewsPage));
    ASSERT_TRUE(panel);
    ASSERT_TRUE(runUntil([&] { return panel->webDataList().size() == 3; }, 10000));
    QAbstractItemModel* model = panel->newsTableView()->model();
    EXPECT_EQ(model->index(0, 0).data().toString().toStdString(), "Gold climbs as the dollar eases");
    EXPECT_EQ(model->index(1, 0).data().toString().toStdString(), "S&P 500 futures steady before the jobs report");
    EXPECT_EQ(model->index(2, 0).data().toString().toStdString(), "Euro slips against the yen");
    // Shown as the other windows show times, in local time.
    const QString time = model->index(2, 1).data().toString();
    EXPECT_TRUE(QRegularExpression("^12/0[67]/2026 \\d\\d:\\d\\d:00$").match(time).hasMatch()) << time.toStdString();
    EXPECT_EQ(panel->categoryPopUp()->currentText().toStdString(), "Breaking News");

    main->mainTabView->setCurrentWidget(panel);
    main->window()->resize(1500, 860);
    QTableView* table = panel->newsTableView();
    const QRect row = table->visualRect(model->index(1, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(recorder->urls, std::vector<std::string>{"http://127.0.0.1/news/futures-steady?day=7&hour=10"});
    bothThemes(panel, "news-panel");
}

TEST_F(NewsResourcesTest, HostileNewsAnswersAreRefusedOrReadInBoundedTime) {
    news::NewsTableController* panel = dynamic_cast<news::NewsTableController*>(main->page(news::kNewsPage));
    ASSERT_TRUE(panel);
    ASSERT_TRUE(runUntil([&] { return panel->webDataList().size() == 3; }, 10000));
    auto choose = [&](const char* category) {
        const int index = panel->categoryPopUp()->findData(QString(category));
        panel->categoryPopUp()->setCurrentIndex(index);
        emit panel->categoryPopUp()->activated(index);
        return runUntil([&] { return !panel->isFetching(); }, 10000);
    };
    ASSERT_EQ(sim->command("fault news huge-chunk").rfind("ok", 0), 0u);
    ASSERT_TRUE(choose("Forex"));
    EXPECT_TRUE(panel->webDataList().empty());
    EXPECT_TRUE(panel->statusLabel()->isVisibleTo(panel));
    main->mainTabView->setCurrentWidget(panel);
    bothThemes(panel, "news-panel-failed");

    ASSERT_EQ(sim->command("fault news many-children").rfind("ok", 0), 0u);
    ASSERT_TRUE(choose("Stocks"));
    ASSERT_EQ(panel->webDataList().size(), 4u);
    EXPECT_EQ(news::cellText(panel->webDataList().front(), news::kTitleColumn), "An item of 80,000 children");
    EXPECT_FALSE(panel->statusLabel()->isVisibleTo(panel));

    // The trailer is refused at its cap, not read until the server closes and taken for an answer.
    ASSERT_EQ(sim->command("fault news endless-trailer").rfind("ok", 0), 0u);
    ASSERT_TRUE(choose("Forex"));
    EXPECT_TRUE(panel->webDataList().empty());
    EXPECT_TRUE(panel->statusLabel()->isVisibleTo(panel));

    // A title of 31 MB is cut as it is read.
    ASSERT_EQ(sim->command("fault news large-title").rfind("ok", 0), 0u);
    ASSERT_TRUE(choose("Stocks"));
    ASSERT_EQ(panel->webDataList().size(), 4u);
    EXPECT_LE(news::cellText(panel->webDataList().front(), news::kTitleColumn).size(), news::kMaxShownFieldBytes + 3);
}

TEST_F(NewsResourcesTest, PopoverListsTheResourcesFetchesTheirIconsOnceAndOpensAnEntry) {
    const fs::path folder = *state::ResourceFiles::resourcesFolder();
    // The login's resource search has answered.
    ASSERT_TRUE(runUntil([&] { return main->context().view.resourceSearchResults().size() == 2; }, 10000));
    QWidget* pressed = main->mainToolbar->widgetForAction(main->toolbarAction("resourcesButtonClicked"));
    ASSERT_TRUE(main->runCommand("resourcesButtonClicked", pressed));
    auto* popover = dynamic_cast<chat::ResourcesViewController*>(main->keptWindow("ResourcesViewController"));
    ASSERT_TRUE(popover);
    QTableView* table = popover->resourcesTableView();
    std::vector<std::string> captions;
    for (int r = 0; r < table->model()->rowCount(); ++r)
        captions.push_back(table->model()->index(r, 0).data().toString().toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"Gold icon", "Help centre", "Trading holidays"}));

    ASSERT_TRUE(runUntil([&] { return fs::exists(folder / "gold.svg") && fs::exists(folder / "holidays.ics"); }, 10000));
    EXPECT_EQ(fileText(folder / "gold.svg"),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\"><circle cx=\"8\" cy=\"8\" r=\"7\" "
              "fill=\"gold\"/></svg>\n");
    bothThemes(popover, "resources-popover");

    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(1, 0)).center());
    EXPECT_EQ(recorder->urls, std::vector<std::string>{"https://example.invalid/help"});

    // Opened again: nothing selected, nothing requested. A later download of
    // our own shows the channel went on.
    popover->hide();
    fs::remove(folder / "gold.svg");
    fs::remove(folder / "holidays.ics");
    ASSERT_TRUE(main->runCommand("resourcesButtonClicked", pressed));
    EXPECT_EQ(main->keptWindow("ResourcesViewController"), popover);
    EXPECT_TRUE(table->selectionModel()->selectedRows().isEmpty());
    main->context().commands.requestFileResourceForExtension("holidays");
    ASSERT_TRUE(runUntil([&] { return fs::exists(folder / "holidays.ics"); }, 10000));
    EXPECT_FALSE(fs::exists(folder / "gold.svg"));
    popover->hide();
}

// The scenario with two more icon resources: one whose file is a PNG, one
// whose file name climbs out of the folder.
class OddResourceFilesTest : public NewsResourcesTest {
protected:
    OddResourceFilesTest() {
        std::ifstream in(SIM_DEFAULT_SCENARIO);
        nlohmann::json root = nlohmann::json::parse(in);
        std::string png;
        platform::Paths::readFile(std::string(TC_SOURCE_DIR) + "/resources/images/browser_img.png", &png);
        pngBytes = png;
        for (const auto& [icon, caption] : {std::pair{"icon.png", "PNG icon"}, std::pair{"evil", "Evil"}}) {
            nlohmann::json entry = root["resources"][0];
            entry["iconResourceId"] = icon;
            entry["caption"] = caption;
            root["resources"].push_back(entry);
        }
        nlohmann::json file = root["resourceFiles"][1];  // an icon
        file["resourceName"] = "icon.png";
        file["contentBase64"] = sim::SimCrypto::base64Encode(png);
        root["resourceFiles"].push_back(file);
        file["resourceName"] = "../evil";
        file.erase("contentBase64");
        file["content"] = "outside";
        root["resourceFiles"].push_back(file);
        std::ofstream(scenario) << root.dump();
        simArguments = {"--scenario", scenario};
    }
    ~OddResourceFilesTest() override { fs::remove(scenario); }

    std::string scenario = path + "_scenario.json";
    std::string pngBytes;
};

TEST_F(OddResourceFilesTest, APngLandsByteForByteAndNoFileLandsOutsideTheFolder) {
    const fs::path folder = *state::ResourceFiles::resourcesFolder();
    ASSERT_TRUE(runUntil([&] { return main->context().view.resourceSearchResults().size() >= 3; }, 10000));
    ASSERT_GT(pngBytes.size(), 100u);
    ASSERT_TRUE(main->runCommand("resourcesButtonClicked"));
    ASSERT_TRUE(runUntil([&] { return fs::exists(folder / "icon.png"); }, 10000));
    EXPECT_EQ(fileText(folder / "icon.png"), pngBytes);
    // The climbing name was asked for before the PNG: its answer came first.
    for (const auto& entry : fs::recursive_directory_iterator(dataHome))
        EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
    main->keptWindow("ResourcesViewController")->hide();
}

}  // namespace
