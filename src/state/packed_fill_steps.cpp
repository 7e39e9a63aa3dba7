#include "state/packed_fill_steps.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <unordered_map>
#include <utility>

#include "state/instrument_fillers.h"
#include "state/reference_data.h"

namespace state {

namespace {

constexpr auto kInstruments = static_cast<std::size_t>(PackedSection::Instruments);
constexpr auto kGroups = static_cast<std::size_t>(PackedSection::Groups);
constexpr auto kGroupInstruments = static_cast<std::size_t>(PackedSection::GroupInstruments);
constexpr auto kAccounts = static_cast<std::size_t>(PackedSection::Accounts);

}  // namespace

PackedFillSteps::PackedFillSteps(ReferenceData& reference, const std::vector<std::string_view>& sections,
                                 PackedLoginRecords records)
    : FillSteps("section"), reference_(reference), records_(std::move(records)) {
    reference_.FillPackedSections(sections, 0, kInstruments, records_);
    // The instruments and group instruments are read already: their text is not kept.
    texts_.resize(sections.size());
    for (std::size_t i = kGroups; i < sections.size(); ++i)
        if (i != kGroupInstruments) texts_[i].assign(sections[i]);
    sections_.assign(texts_.begin(), texts_.end());

    // The passes over every instrument see at most the held ones and this text's.
    const std::size_t items = reference_.ItemCollection().size() + records_.instruments.size();
    reference_.reservePackedItems(records_.instruments.size());
    addRanges(kInstruments, records_.instruments.size(), kInstrumentsPerStep,
              [this](std::size_t from, std::size_t to) {
                  reference_.FillPackedItemRange(std::span(records_.instruments).subspan(from, to - from));
              });
    addRanges(kInstruments, items, kPassItemsPerStep, [this](std::size_t from, std::size_t to) {
        InstrumentFillers::indexItemsById(reference_.ItemCollection(), from, to, itemsById_);
    });
    addRanges(kInstruments, items, kPassItemsPerStep, [this](std::size_t from, std::size_t to) {
        InstrumentFillers::linkCalculationItems(reference_.ItemCollection(), from, to, itemsById_);
    });
    // The index let go by parts too: freeing it whole takes as long as a pass.
    addRanges(kInstruments, items, kPassItemsPerStep, [this](std::size_t from, std::size_t to) {
        auto end = itemsById_.begin();
        std::advance(end, std::min(to - from, itemsById_.size()));
        itemsById_.erase(itemsById_.begin(), end);
    });
    steps_.push_back({kInstruments, [this] {
                          std::exchange(itemsById_, {});  // let go: `= {}` keeps the table's buckets
                          std::exchange(records_.instruments, {});
                      }});
    steps_.push_back({kInstruments, [this] { reference_.trimSymbolLists(); }});
    addWatchlistLoad(reference_, kInstruments);
    steps_.push_back({kGroups, [this] {
                          reference_.FillPackedSections(sections_, kGroups, kGroupInstruments, records_);
                      }});
    // Each group's table sized for its records at once, not grown in the steps that fill it.
    addRanges(kGroupInstruments, records_.groupInstruments.size(), kGroupInstrumentsPerStep,
              [this](std::size_t from, std::size_t to) {
                  for (std::size_t i = from; i < to; ++i) ++groupCounts_[records_.groupInstruments[i]->GroupId];
              });
    addRepeated(kGroupInstruments, [this] { return reserveGroupInstruments(); });
    addRanges(kGroupInstruments, records_.groupInstruments.size(), kGroupInstrumentsPerStep,
              [this](std::size_t from, std::size_t to) {
                  reference_.FillPackedGroupInstrumentRange(
                      std::span(records_.groupInstruments).subspan(from, to - from));
              });
    steps_.push_back({kAccounts, [this] {
                          std::exchange(records_.groupInstruments, {});  // let go, not only emptied
                          reference_.FillPackedAccountDetails(sections_[kAccounts]);
                      }});
    addSpreadPass(reference_, kAccounts, items);
    steps_.push_back({kAccounts + 1, [this] {
                          reference_.FillPackedSections(sections_, kAccounts + 1, sections_.size(), records_);
                      }});
}

bool PackedFillSteps::reserveGroupInstruments() {
    if (groupCounts_.empty()) return false;
    const auto [groupId, count] = *groupCounts_.begin();
    groupCounts_.erase(groupCounts_.begin());
    if (const auto group = reference_.group(std::to_string(groupId)))
        group->GroupInstrumentCollection.reserve(group->GroupInstrumentCollection.size() + count);
    return !groupCounts_.empty();
}

}  // namespace state
