#pragma once
// The ids of one order collection, each with its place in the list: a flat
// table of the ids' hashes and places (open addressing, at most half full;
// places below 2^32 - 1),
// so that a lookup of an id not held reads one run of slots, not a chain of
// nodes and their keys. It is read again whenever the collection is not as
// the last append or erase left it (the live handlers change it too), or a place no
// longer holds its id.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "model/compact_text.h"
#include "model/order.h"

namespace state {

using OrderList = std::vector<std::shared_ptr<model::Order>>;

class IdIndex {
public:
    // How the index reads an order's id.
    using IdOf = const model::CompactText& (*)(const model::Order&);
    // The reader of a field or a getter, e.g. IdIndex::of<&model::Order::OpenPositionId>.
    template <auto id>
    static const model::CompactText& of(const model::Order& order) {
        return std::invoke(id, order);
    }

    explicit IdIndex(IdOf id) : id_(id) {}
    bool holds(const OrderList& list, std::string_view id);
    // Room for `more` ids, so that appending them never rebuilds the table in one slice.
    void reserve(const OrderList& list, std::size_t more);
    void append(OrderList& list, std::shared_ptr<model::Order> order);
    // Calls f with each entry of the list that holds this id, in list order.
    template <class F>
    void forEach(const OrderList& list, std::string_view id, F&& f) {
        for (const std::size_t at : places(list, id)) f(*list[at]);
    }
    // The first place of the list holding this id.
    std::optional<std::size_t> first(const OrderList& list, std::string_view id);
    // Erases list[at]: its slot goes and the later places move down, so a
    // removal does not read every id again (a table found out of date is).
    void erase(OrderList& list, std::size_t at);
    // Lets the table go, leaving it to be read again.
    void clear();

private:
    // The hash's high half (its low bits pick the slot) and the place.
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t place = kEmpty;
    };
    static constexpr std::uint32_t kEmpty = UINT32_MAX;
    static constexpr std::size_t kFewestSlots = 16;
    static std::uint64_t hashOf(std::string_view id) { return std::hash<std::string_view>{}(id); }
    static std::uint32_t tagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
    std::string_view idAt(const OrderList& list, std::size_t at) const { return id_(*list[at]); }
    // Calls visit(place) for each place holding `id`; false when a slot of
    // its hash no longer matches its place (the table is to be read again).
    template <class Visit>
    bool probe(const OrderList& list, std::string_view id, Visit&& visit) const;
    std::vector<std::size_t> places(const OrderList& list, std::string_view id);
    void refresh(const OrderList& list);
    // Into at least `slots` slots.
    void reread(const OrderList& list, std::size_t slots = 0);
    static std::size_t slotsFor(std::size_t ids);
    void place(std::uint64_t hash, std::size_t at);
    // Slots for `ids` at most half full: the list read again into more when short.
    void fit(const OrderList& list, std::size_t ids);
    void note(const OrderList& list);
    // Lets go of the slot of list[at] (backward shift); false, nothing changed,
    // when a slot met does not match the id at its place.
    bool unplace(const OrderList& list, std::size_t at);

    IdOf id_;
    std::vector<Slot> slots_;  // a power of two long
    std::size_t count_ = 0;
    std::size_t size_ = 0;
    const model::Order* back_ = nullptr;
};

}  // namespace state
