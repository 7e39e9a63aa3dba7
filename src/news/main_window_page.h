#pragma once
// The news panel as a page of the main window.
#include <optional>
#include <string>

class QWidget;
namespace kit {
struct WindowContext;
}

namespace news {

// The language key of the news tab's label.
inline constexpr const char* kNewsPage = "21007";

// The panel on `host` ("host" or "host:port"); none: the news host of the
// login on `sessionHost`:`sessionPort`.
QWidget* makeNewsPage(kit::WindowContext& context, const std::optional<std::string>& host,
                      const std::string& sessionHost, int sessionPort);

}  // namespace news
