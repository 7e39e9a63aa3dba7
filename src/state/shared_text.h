#pragma once
// A text viewed inside a shared owner: whoever holds it keeps the owner's
// bytes alive without a copy of them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace state {

struct SharedText {
    std::shared_ptr<const std::string> owner;
    std::string_view view;

    // Owns `text` itself (moved, not copied).
    static SharedText of(std::string text) {
        auto owner = std::make_shared<const std::string>(std::move(text));
        const std::string_view view(*owner);
        return SharedText{std::move(owner), view};
    }
    // `view` held by `owner` when it lies inside it, else a copy of it, owned.
    static SharedText within(const std::shared_ptr<const std::string>& owner, std::string_view view) {
        if (!owner || !inside(*owner, view)) return of(std::string(view));
        return SharedText{owner, view};
    }

private:
    static bool inside(const std::string& text, std::string_view view) {
        const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
        const auto at = reinterpret_cast<std::uintptr_t>(view.data());
        return at >= begin && at + view.size() <= begin + text.size();
    }
};

}  // namespace state
