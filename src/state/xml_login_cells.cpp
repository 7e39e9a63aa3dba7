#include "state/xml_login_cells.h"

#include "platform/free_memory.h"
#include "state/reference_data.h"

namespace state {

std::shared_ptr<XmlLoginCells> XmlLoginCells::read(std::optional<std::string>& payload) {
    if (!payload) return nullptr;
    // Cut where it stays: the cells point into the text held here.
    auto cells = std::make_shared<XmlLoginCells>();
    cells->document = std::move(payload);
    payload.reset();
    if (cells->tables.read(*cells->document)) {
        cells->groupInstrumentRows = ReferenceData::xmlGroupInstrumentRows(cells->tables);
        return cells;
    }
    payload = std::move(cells->document);
    cells->document.reset();
    return nullptr;
}

XmlLoginCells::~XmlLoginCells() {
    if (document) platform::releasePages(document->data(), document->size(), kReleasedBytesPerCall);
}

}  // namespace state
