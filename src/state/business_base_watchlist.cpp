// The session's watchlist: the stored symbols of the user, loaded after the
// reference data and saved from the watchlist window.
#include <exception>

#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/preferences.h"
#include "state/business_base.h"
#include "state/session_notifications.h"

namespace state {

Watchlist BusinessBase::watchlist() {
    Watchlist::Hooks hooks;
    BusinessBase* self = this;
    // Read in place: no reference taken per code of a long list.
    hooks.item = [self](const std::string& code) -> model::ItemDetails* {
        const auto* item = self->reference_.ItemCollection().find(code);
        return item ? item->get() : nullptr;
    };
    hooks.firstSymbolType = [self] { return self->reference_.firstSymbolType(); };
    hooks.heldItems = [self] { return self->orderBook_->heldItemCodes(); };
    hooks.allItems = [self] { return self->getAllItems(); };
    hooks.subscribe = [self](const std::vector<std::string>& codes, bool subscribe) {
        self->feed_->ProcessSubscribeandUnSubscribeItems(codes, subscribe);
    };
    std::weak_ptr<BusinessBase> weak = self->weak_from_this();
    hooks.notifyUpdate = [weak] {
        platform::MainExecutor::post([weak] {
            if (auto s = weak.lock()) s->postAboutSession(notifications::kWatchlistUpdate);
        });
    };
    return Watchlist(preferences_ ? *preferences_ : platform::Preferences::standard(), std::move(hooks));
}

void BusinessBase::LoadItemstoWatchlist() {
    try {
        reference_.loadWatchlist(watchlist(), host_.logindata().userName());
    } catch (const std::exception& e) {
        platform::Log::error(std::string("LoadItemstoWatchlist: ") + e.what());
    }
}

bool BusinessBase::loadWatchlistPart(bool first, std::size_t codes) {
    try {
        const Watchlist list = watchlist();
        if (first) watchlistLoad_ = list.startLoad(host_.logindata().userName());
        if (watchlistLoad_ && reference_.continueWatchlistLoad(list, *watchlistLoad_, codes)) return true;
    } catch (const std::exception& e) {
        platform::Log::error(std::string("LoadItemstoWatchlist: ") + e.what());
    }
    watchlistLoad_.reset();
    return false;
}

void BusinessBase::SaveItemstoWatchList(const std::vector<std::string>& list) {
    try {
        reference_.saveWatchlist(watchlist(), host_.logindata().userName(), list);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("SaveItemstoWatchList: ") + e.what());
    }
}

}  // namespace state
