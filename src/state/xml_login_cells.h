#pragma once
// XML login data cut into cells off the main thread ("NewQueue"), held
// together with the document its cells point into; the main thread fills
// its tables from them (XmlFillSteps).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "state/login_tables.h"

namespace state {

struct XmlLoginCells {
    // Bytes of the document's pages given back a call before it is freed.
    static constexpr std::size_t kReleasedBytesPerCall = 8u << 20;

    // The login data's text: the payload, moved here.
    std::optional<std::string> document;
    LoginTables tables;
    // Rows of group instruments per group id text, so that each group's table is sized once.
    std::unordered_map<std::string, std::size_t> groupInstrumentRows;

    // The cut of `payload`, which is moved in; null, the payload left where
    // it was, for a document not of the usual shape (LoginTables::read).
    static std::shared_ptr<XmlLoginCells> read(std::optional<std::string>& payload);

    XmlLoginCells() = default;
    XmlLoginCells(const XmlLoginCells&) = delete;
    XmlLoginCells& operator=(const XmlLoginCells&) = delete;
    // The document's pages go back by parts (platform::releasePages) before it is freed.
    ~XmlLoginCells();
};

}  // namespace state
