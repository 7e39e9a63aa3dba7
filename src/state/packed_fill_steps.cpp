#include "state/packed_fill_steps.h"

#include <algorithm>
#include <exception>
#include <span>

#include "platform/log.h"
#include "protocol/separator_bytes.h"
#include "state/reference_data.h"
#include "state/text_conversions.h"

namespace state {

namespace {

constexpr auto kInstruments = static_cast<std::size_t>(PackedSection::Instruments);
constexpr auto kGroups = static_cast<std::size_t>(PackedSection::Groups);
constexpr auto kGroupInstruments = static_cast<std::size_t>(PackedSection::GroupInstruments);

}  // namespace

PackedFillSteps::PackedFillSteps(ReferenceData& reference, std::string_view text, PackedLoginRecords records)
    : reference_(reference), records_(std::move(records)) {
    const std::vector<std::string_view> sections = TextConversion::split(text, protocol::SectionByte);
    reference_.FillPackedSections(sections, 0, kInstruments, records_);
    // The instruments and group instruments are read already: their text is not kept.
    texts_.resize(sections.size());
    for (std::size_t i = kGroups; i < sections.size(); ++i)
        if (i != kGroupInstruments) texts_[i].assign(sections[i]);
    sections_.assign(texts_.begin(), texts_.end());

    if (sections_.size() > kInstruments) {
        reference_.reservePackedItems(records_.instruments.size());
        addRanges(kInstruments, records_.instruments.size(), kInstrumentsPerStep, [this](std::size_t from, std::size_t to) {
            reference_.FillPackedItemRange(std::span(records_.instruments).subspan(from, to - from));
        });
        steps_.push_back({kInstruments, [this] {
                              reference_.linkPackedItems();
                              records_.instruments = {};
                          }});
        steps_.push_back({kInstruments, [this] { reference_.LoadItemstoWatchlist(); }});
        steps_.push_back({kInstruments, [this] { reference_.indexItemCodes(); }});
    }
    steps_.push_back({kGroups, [this] { reference_.FillPackedSections(sections_, kGroups, kGroupInstruments, records_); }});
    if (sections_.size() > kGroupInstruments)
        addRanges(kGroupInstruments, records_.groupInstruments.size(), kGroupInstrumentsPerStep,
                  [this](std::size_t from, std::size_t to) {
                      reference_.FillPackedGroupInstrumentRange(
                          std::span(records_.groupInstruments).subspan(from, to - from));
                  });
    steps_.push_back({kGroupInstruments + 1, [this] {
                          records_.groupInstruments = {};
                          reference_.FillPackedSections(sections_, kGroupInstruments + 1, sections_.size(), records_);
                      }});
}

void PackedFillSteps::addRanges(std::size_t section, std::size_t count, std::size_t perStep,
                                const std::function<void(std::size_t, std::size_t)>& fill) {
    for (std::size_t from = 0; from < count; from += perStep) {
        const std::size_t to = std::min(count, from + perStep);
        steps_.push_back({section, [fill, from, to] { fill(from, to); }});
    }
}

bool PackedFillSteps::runNext() {
    if (next_ >= steps_.size()) return false;
    const Step& step = steps_[next_++];
    try {
        step.run();
    } catch (const std::exception& e) {
        platform::Log::debug("Login data section " + std::to_string(step.section) + " not filled: " + e.what());
    }
    return next_ < steps_.size();
}

}  // namespace state
