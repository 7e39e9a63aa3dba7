#include "state/xml_fill_steps.h"

#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "state/reference_data.h"

namespace state {

XmlFillSteps::XmlFillSteps(ReferenceData& reference, std::shared_ptr<const XmlLoginCells> cells)
    : FillSteps("table"), reference_(reference), cells_(std::move(cells)) {
    using Then = ReferenceData::XmlLoginTable::Then;
    const LoginTables& rows = cells_->tables;
    reference_.clearTableData();
    const auto tables = ReferenceData::xmlLoginTables();
    const std::size_t held = reference_.ItemCollection().size();
    std::size_t instrumentRows = 0;
    for (std::size_t number = 0; number < tables.size(); ++number) {
        const ReferenceData::XmlLoginTable& table = tables[number];
        const auto fill = [&reference = reference_, method = table.fill](const TableRow& row) { (reference.*method)(row); };
        if (table.fill == &ReferenceData::FillGroupInstruments)
            steps_.push_back({number, [this] { reserveGroupInstruments(); }});
        if (table.firstRowOnly)
            steps_.push_back({number, [&rows, &table, fill] { rows.firstRow(table.name, fill); }});
        else if (rows.holds(table.name))
            addRepeated(number, [&rows, &table, fill, next = std::size_t{0}]() mutable {
                next = rows.eachRowFrom(table.name, next, kCellsPerStep, fill);
                return next < rows.rows(table.name);
            });
        if (table.fill == &ReferenceData::FillItemDetails) instrumentRows += rows.rows(table.name);
        if (table.then == Then::LoadWatchlist) addWatchlistLoad(reference_, number);
        // The pass sees at most the held instruments and this document's.
        if (table.then == Then::SetSpreads) addSpreadPass(reference_, number, held + instrumentRows);
    }
}

XmlFillSteps::~XmlFillSteps() {
    platform::ioQueue()->async([held = std::move(cells_)]() mutable { held.reset(); });
}

void XmlFillSteps::reserveGroupInstruments() {
    for (const auto& [groupId, count] : cells_->groupInstrumentRows)
        if (const auto group = reference_.group(groupId))
            group->GroupInstrumentCollection.reserve(group->GroupInstrumentCollection.size() + count);
}

}  // namespace state
