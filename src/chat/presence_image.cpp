#include "chat/presence_image.h"

#include <QString>

#include "platform/resource_bundle.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace chat {

namespace {

QIcon load(const char* name) {
    const auto path = platform::ResourceBundle::pathForResource(std::string("images/") + name, "png");
    return path ? QIcon(kit::filePath(*path)) : QIcon();
}

}  // namespace

QIcon presenceImage(Presence presence) {
    static const QIcon available = load("status_available");
    static const QIcon partly = load("status_partially_available");
    static const QIcon none = load("status_none");
    switch (presence) {
    case Presence::Available: return available;
    case Presence::PartlyAvailable: return partly;
    case Presence::None: break;
    }
    return none;
}

}  // namespace chat
