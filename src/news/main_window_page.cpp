#include "news/main_window_page.h"

#include "news/news_table_controller.h"

namespace news {

QWidget* makeNewsPage(kit::WindowContext& context, const std::optional<std::string>& host,
                      const std::string& sessionHost, int sessionPort) {
    NewsTableController::Settings settings;
    settings.host = host ? *host : NewsTableController::newsHostForLogin(sessionHost, sessionPort);
    return new NewsTableController(context, std::move(settings));
}

}  // namespace news
