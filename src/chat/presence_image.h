#pragma once
// The three status images of the contact and queue rows.
#include <QIcon>

#include "chat/core/chat_texts.h"

namespace chat {

QIcon presenceImage(Presence presence);

}  // namespace chat
