#pragma once
// The reference data of one login session and the loaders that fill it from
// the login data message, in either of its two forms: the compact "PACKED"
// text (sections, records and fields cut at 0x07, 0x06 and 0x05) or an XML
// data set of named tables ("Table1" to "Table10").
//
// Everything here is owned by the main thread (the dispatcher runs the
// loaders there, and XML data-service answers are read there too), so the
// working tables of the XML reader are never walked twice at once.
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/account_details.h"
#include "model/group_details.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/file_resource.h"
#include "model/item_type.h"
#include "model/order.h"
#include "model/resource_details.h"
#include "model/session_schedule_info.h"
#include "model/session_settings.h"
#include "model/text_pool.h"
#include "model/trade_currency.h"
#include "model/user_account_maps.h"
#include "model/user_info.h"
#include "protocol/login_info_message.h"
#include "platform/stepped_release.h"
#include "protocol/xml_reader.h"
#include "state/ordered_dictionary.h"
#include "state/short_text.h"
#include "state/watchlist.h"

namespace state {

class LoginTables;
class SessionServices;
class Watchlist;
struct PackedLoginRecords;

// One XML row: column (child element) name -> the child's text, "" when it
// has none. A row filled by set() holds copies of its texts; a row filled by
// assign() holds views into the caller's buffers, which must outlive its use.
class TableRow {
public:
    using Column = std::pair<std::string_view, std::string_view>;
    // The row's columns in order, each a name and a text.
    class Columns {
    public:
        class iterator {
        public:
            using iterator_category = std::input_iterator_tag;
            using value_type = Column;
            using difference_type = std::ptrdiff_t;
            using reference = Column;
            using pointer = void;
            iterator(const TableRow* row, std::size_t at) : row_(row), at_(at) {}
            Column operator*() const { return row_->column(at_); }
            iterator& operator++() { return ++at_, *this; }
            iterator operator++(int) { return iterator(row_, at_++); }
            bool operator==(const iterator& o) const { return at_ == o.at_; }

        private:
            const TableRow* row_;
            std::size_t at_;
        };
        explicit Columns(const TableRow* row) : row_(row) {}
        iterator begin() const { return {row_, 0}; }
        iterator end() const { return {row_, row_->size_}; }
        std::size_t size() const { return row_->size_; }

    private:
        const TableRow* row_;
    };

    // A later column of the same name replaces the earlier one.
    void set(std::string_view name, std::string_view text);
    // The text of the column, none when the row has no such column.
    std::optional<std::string_view> find(std::string_view name) const;
    std::size_t size() const { return size_; }
    Column column(std::size_t i) const {
        return viewing_ ? views_[i] : Column(owned_[i].first, owned_[i].second);
    }
    Columns columns() const { return Columns(this); }
    // Empties the row for the next one; its buffers are kept.
    void clear();
    // The row anew from `count` columns, `column(i)` giving name and text (as
    // views that outlive the row's use), as clear() and set() of each would;
    // columns named as the present ones, in their order, only change their texts.
    template <typename ColumnAt>
    void assign(std::size_t count, ColumnAt&& columnAt) {
        finds_ = 0;
        reused_ = true;
        if (viewing_ && count == size_) {
            std::size_t i = 0;
            for (; i < count; ++i) {
                const auto [name, text] = columnAt(i);
                if (!sameText(views_[i].first, name)) break;
                // The text's parts stored one by one: a stored pair read back whole would stall.
                Column& view = views_[i];
                view.second = std::string_view(text.data(), text.size());
            }
            if (i == count) return;
        }
        clear();
        viewing_ = true;
        for (std::size_t i = 0; i < count; ++i) {
            const auto [name, text] = columnAt(i);
            add(name, text);
        }
    }

private:
    // Rows of many columns find theirs through an index, so a hostile row is not quadratic.
    static constexpr std::size_t kIndexFrom = 16;
    // The first finds of a row filled by assign() remember where they found
    // their column: rows read one after another with the same columns find
    // them at once.
    static constexpr std::size_t kRemembered = 64;
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};
    std::string_view nameAt(std::size_t i) const { return viewing_ ? views_[i].first : owned_[i].first; }
    std::size_t position(std::string_view name) const;
    void index(std::size_t slots);
    // set() in either kind of row: a copy, or a view when viewing_.
    void add(std::string_view name, std::string_view text);

    bool viewing_ = false;
    std::vector<std::pair<std::string, std::string>> owned_;  // the first size_ are the row's (set)
    std::vector<Column> views_;                               // the first size_ are the row's (assign)
    std::size_t size_ = 0;
    std::vector<std::uint32_t> slots_;  // open addressing over the columns, once the row is wide
    mutable std::vector<std::uint32_t> remembered_;
    mutable std::size_t finds_ = 0;
    bool reused_ = false;  // filled by assign(): worth remembering where finds found
};

// One XML table: rows keyed "0", "1", ... in document order.
using XmlTable = OrderedDictionary<TableRow>;

class ReferenceData {
public:
    ReferenceData();
    virtual ~ReferenceData();
    ReferenceData(const ReferenceData&) = delete;
    ReferenceData& operator=(const ReferenceData&) = delete;

    // --- Login reference data (const; filled by the loaders below) ----------
    const std::shared_ptr<model::UserInfo>& userInfo() const { return userInfo_; }
    // "%d" of the result code -> login result; the first entry is the one a refusal reads.
    const OrderedDictionary<std::shared_ptr<protocol::LoginInfoMessage>>& loginInfoMessageCollection() const { return loginInfos_; }
    // Account id text (XML: as received; "PACKED": "%d") -> account.
    const OrderedDictionary<std::shared_ptr<model::AccountDetails>>& AccountDetailCollection() const { return accounts_; }
    // Group id text (as for accounts) -> group with its instruments.
    const OrderedDictionary<std::shared_ptr<model::GroupDetails>>& GroupDetailCollection() const { return groups_; }
    // Instrument type id text -> type.
    const OrderedDictionary<std::shared_ptr<model::ItemType>>& ItemTypeCollection() const { return itemTypes_; }
    // Instrument code -> instrument.
    const OrderedDictionary<std::shared_ptr<model::ItemDetails>>& ItemCollection() const { return items_; }
    // Type name -> the watchlist symbols of that type, "code:name" joined by ",".
    const OrderedDictionary<std::string>& symbolTypeCollection() const { return symbolTypes_; }
    // Setting id text (XML: as received; "PACKED": "%lu") -> session setting.
    const OrderedDictionary<std::shared_ptr<model::SessionSettings>>& SessionSettingCollection() const { return sessionSettings_; }
    // "%lu" of the currency id -> currency.
    const OrderedDictionary<std::shared_ptr<model::TradeCurrency>>& tradeCurrencyCollection() const { return tradeCurrencies_; }
    // File name or caption -> resource.
    const OrderedDictionary<std::shared_ptr<model::ResourceDetails>>& resourceCollection() const { return resources_; }
    // File name -> the resource a search listed.
    const OrderedDictionary<std::shared_ptr<model::FileResource>>& resourceSearchCollection() const { return resourceSearch_; }
    // "%lu" of the user id -> the user's access to an account.
    const OrderedDictionary<std::shared_ptr<model::UserAccountMaps>>& userAccountMapCollection() const { return userAccountMaps_; }
    // More users mapped to the trader's accounts than any sheet lists.
    static constexpr std::size_t kMaxUserAccountMaps = 10'000;

    // --- Lookups: null when none is held ---------------------------------------
    std::shared_ptr<model::ItemDetails> instrument(const std::string& code) const;
    std::shared_ptr<model::ItemDetails> instrumentById(std::int32_t instrumentId) const;
    // The code of the first instrument with this id (a copy of its field,
    // sharing its bytes), "" when none: by an index read again only when the
    // instruments changed and the index misses.
    model::CompactText itemCode(std::int32_t instrumentId) const;
    // Builds itemCode's index now.
    void indexItemCodes() const;
    // The same by parts (a login fill's steps): up to `count` more instruments; true while some are left.
    bool indexItemCodesPart(std::size_t count) const;
    std::shared_ptr<model::AccountDetails> account(const std::string& accountId) const;
    std::shared_ptr<model::GroupDetails> group(const std::string& groupId) const;
    std::shared_ptr<model::SessionSettings> sessionSetting(const std::string& settingId) const;
    // Changes whenever an instrument, account or group (with its instruments'
    // conditions) may have been stored, replaced or removed.
    std::uint64_t recordsRevision() const { return items_.revision() + accounts_.revision() + groups_.revision(); }
    // The instruments of the watchlist in its order (null for a code without one).
    std::vector<std::shared_ptr<model::ItemDetails>> watchlistInstruments() const;
    std::vector<std::shared_ptr<model::FileResource>> resourceSearchResults() const;

    // --- Watchlist and market sessions ---------------------------------------
    const std::vector<std::string>& selectedSymbols() const { return selectedSymbols_; }
    // Grows whenever selectedSymbols may have changed.
    std::uint64_t watchlistRevision() const { return watchlistRevision_; }
    // The codes of the first symbol type's entries ("code:name"); nullopt when there is none.
    std::optional<std::vector<std::string>> firstSymbolType() const;
    // Loads or saves the user's watchlist through `list`, which sets selectedSymbols.
    void loadWatchlist(const Watchlist& list, const std::string& userName);
    void saveWatchlist(const Watchlist& list, const std::string& userName, const std::vector<std::string>& codes);
    // Watchlist::continueLoad onto selectedSymbols.
    bool continueWatchlistLoad(const Watchlist& list, Watchlist::Load& load, std::size_t codes);
    // Market id text -> that market's session timetable.
    const OrderedDictionary<std::vector<std::shared_ptr<model::SessionScheduleInfo>>>& marketSessionSchedulesCollection() const {
        return marketSessionSchedules_;
    }
    // The timetable rows of the answer being read.
    const std::vector<std::shared_ptr<model::SessionScheduleInfo>>& sessionSchedulesArray() const { return sessionSchedules_; }
    // Starts a new timetable answer.
    void clearSessionSchedules() { sessionSchedules_.clear(); }
    // Sets the access type of the held map of `map`'s user; none held: nothing.
    void updateUserAccountMap(const model::UserAccountMaps& map);

    // What the loaders run once the reference data is complete; set by the session.
    struct FollowUps {
        // Fills selectedSymbols from the stored watchlist or the first symbol type.
        std::function<void()> loadWatchlist;
        // Copies the group spreads onto the instruments of the accounts' groups,
        // those from `from` up to `to` (excluded) in the collection's order.
        std::function<void(std::size_t from, std::size_t to)> setAllSymbolsSpread;
        // Reads the groups of the next spread pass ahead, by parts: true while some are left.
        std::function<bool(std::size_t entries)> readSpreadGroups;
        // loadWatchlist by parts, started anew when `first`: true while some is left.
        std::function<bool(bool first, std::size_t codes)> loadWatchlistPart;
    };
    void setFollowUps(FollowUps followUps) { followUps_ = std::move(followUps); }

    // --- XML tables of the last parse ------------------------------------------
    // Table name -> rows of the last parse only; the login's rows are let go once filled.
    const OrderedDictionary<XmlTable>& TableDataCollection() const { return tables_; }

    // Reads an XML document into TableDataCollection (login data and data-service answers).
    // NotXml, Refused and TooDeep leave no tables: a text that holds no document,
    // one the reader refused (not well-formed, past its caps) or one nested deeper
    // than kMaxXmlDepth. CutShort keeps the tables read before the document ended
    // without closing its root.
    enum class XmlRead { Whole, CutShort, NotXml, Refused, TooDeep };
    XmlRead parseXml(std::string_view text);
    // Levels below the root a table document may use: a row, its columns, and
    // a column's own row ("Table" in its name). Deeper is no table of ours.
    static constexpr std::size_t kMaxXmlDepth = 8;
    // Lets the tables of the last parse go (once their records are filled, or an
    // answer read without them).
    void clearTableData() { tables_.clear(); }
    // Runs the fillers over the tables of the last parse.
    void FillTableDetails();
    // The login's XML tables in their fill order: each row of a table (its
    // first only, where `firstRowOnly`) goes to `fill`, and `then` runs after it.
    struct XmlLoginTable {
        enum class Then { Nothing, LoadWatchlist, SetSpreads };
        std::string_view name;
        void (ReferenceData::*fill)(const TableRow&);
        bool firstRowOnly;
        Then then;
    };
    static std::span<const XmlLoginTable> xmlLoginTables();
    // The login's group instrument rows per group id text (any thread).
    static std::unordered_map<std::string, std::size_t> xmlGroupInstrumentRows(const LoginTables& rows);
    // Login data in XML: parseXml and FillTableDetails in one, without keeping
    // the tables, and without an element tree for a document of the usual shape.
    // Only a whole document is filled; how it read is returned.
    XmlRead FillXmlLoginData(std::string_view text);
    // Splits the compact text into sections and runs their fillers; the
    // instruments and group instruments are `records`, read from the same text
    // by PackedLoginRecords::read (which refuses a section over its cap), and
    // are moved out.
    void FillPackedDetails(std::string_view text, PackedLoginRecords& records);
    // The sections numbered `from` up to `to` (excluded) of the compact text
    // cut into `sections`; from 0 the user is read anew.
    void FillPackedSections(const std::vector<std::string_view>& sections, std::size_t from, std::size_t to,
                            PackedLoginRecords& records);

    // --- XML fillers: one row each ----------------------------------------
    void FillUserInfoDetails(const TableRow& row);
    void FillProductInfoDetails(const TableRow& row);
    void FillAccountDetails(const TableRow& row);
    void FillGroupDetails(const TableRow& row);
    void FillGroupInstruments(const TableRow& row);
    void FillSessionSettingCollection(const TableRow& row);

    // --- "PACKED" fillers: one section each -------------------------------
    void FillPackedUserInfoDetails(std::string_view section);
    void FillPackedProductInfoDetails(std::string_view section);
    void FillPackedLoginInfoDetails(std::string_view section);
    void FillPackedAccountDetails(std::string_view section);
    void FillPackedGroupDetails(std::string_view section);
    // The records PackedLoginRecords read: each joins its group's instruments.
    void FillPackedGroupInstruments(std::vector<std::shared_ptr<model::GroupInstruments>> records);
    // A range of them (moved out), for a fill spread over slices.
    void FillPackedGroupInstrumentRange(std::span<std::shared_ptr<model::GroupInstruments>> records);
    void FillPackedSessionSettingCollection(std::string_view section);

    // --- Instruments, currencies, resources and the follow-ups --------------
    // Filled in by the instrument and currency loaders (reference_data_loaders.cpp).
    virtual void FillItemType(const TableRow& row);
    virtual void FillItemDetails(const TableRow& row);
    virtual void FillPackedItemType(std::string_view section);
    // The records PackedLoginRecords read.
    virtual void FillPackedItemDetails(std::vector<std::shared_ptr<model::ItemDetails>> items);
    // The same by parts, for a fill spread over slices: room made for `total`
    // records, then ranges of them stored (moved out); each instrument's
    // currency instrument is set by InstrumentFillers::linkCalculationItems.
    void reservePackedItems(std::size_t total);
    void FillPackedItemRange(std::span<std::shared_ptr<model::ItemDetails>> items);
    // The symbol lists, grown by appends, let go of their spare room.
    void trimSymbolLists();
    virtual void fillResourceDetails(std::string_view section);
    virtual void fillCurrencyListDetails(std::string_view section);
    virtual void fillTradeCurrencyDetails(std::string_view section);
    void LoadItemstoWatchlist();
    // The same by parts (a fill spread over slices), `codes` codes a call,
    // started anew when `first`: true while some are left.
    bool loadWatchlistPart(bool first, std::size_t codes);
    // Every instrument, or a range of them (a fill spread over slices).
    void SetAllSymbolsSpread(std::size_t from = 0, std::size_t to = SIZE_MAX);
    // About `entries` of the pass's group conditions read ahead: true while some are left.
    bool readSpreadGroups(std::size_t entries);

    // --- Data-service answers (reference_data_answers.cpp): one row each -----
    // Overwrites the instrument's market fields; an absent field writes 0 or "".
    // The instrument is the first one of the row's id (as instrumentById finds it).
    void fillAdvancedInstrumentInfo(std::string_view row);
    void fillMarketSessionSchedules(std::string_view row);
    // Keeps sessionSchedulesArray under the first record's market id.
    void storeMarketSessionSchedules();
    void fillUserMapWithMyAccountDetails(std::string_view row);
    // Mode 1: a search answer's record; 0: a download record.
    void fillResourceSearchInfo(std::string_view row, std::int64_t mode);

    // The one writer of a held account's figures: runs `change` on the
    // account under `accountId`; false (nothing run) when none is held.
    bool updateAccount(const std::string& accountId, const std::function<void(model::AccountDetails&)>& change);

    // --- Requests whose answers land here (reference_data_requests.cpp) ----------
    // Each goes through `services`, the session's one send path.
    void requestAdvancedInstrumentInfo(SessionServices& services) const;
    void requestSessionSchedule(SessionServices& services, std::uint64_t marketId) const;
    void requestUserMapWithMyAccount(SessionServices& services, std::int32_t accountId) const;
    void requestEditUserAccountAccessByClient(SessionServices& services, const model::UserAccountMaps& map) const;
    void requestResourceSearchForTypes(SessionServices& services, const std::vector<std::string>& types) const;
    void requestFileResourceDownload(SessionServices& services, const model::FileResource& resource);
    // Downloads every searched resource whose name holds `text` and is not on disk yet.
    void requestFileResourceForExtension(SessionServices& services, const std::string& text);
    // Whether a download of `name` was asked for and not answered yet; the answer takes it.
    bool takeRequestedDownload(const std::string& name);
    // A downloaded file that was skipped (over the budget, unreadable).
    void markResourceUnavailable(const std::string& name) { unavailableDownloads_.insert(name); }
    // Whether a file the icon id names (as its downloads match) was skipped.
    bool isResourceFileUnavailable(const std::string& iconResourceId) const;

    // The login result under the first key of loginInfoMessageCollection.
    const protocol::LoginInfoMessage* firstLoginRecord() const;

    // At the session's end: moves the large collections into `release`,
    // leaving these empty.
    void handOver(platform::SteppedRelease& release);

private:
    friend struct ReferenceDataTestAccess;

    std::shared_ptr<model::UserInfo> userInfo_;
    OrderedDictionary<std::shared_ptr<protocol::LoginInfoMessage>> loginInfos_;
    OrderedDictionary<std::shared_ptr<model::AccountDetails>> accounts_;
    OrderedDictionary<std::shared_ptr<model::GroupDetails>> groups_;
    OrderedDictionary<std::shared_ptr<model::ItemType>> itemTypes_;
    OrderedDictionary<std::shared_ptr<model::ItemDetails>> items_;
    // Places in items_ at codeByIdRevision_, sorted by id; of one id, the first instrument first.
    mutable std::vector<std::pair<std::int32_t, std::uint32_t>> placeById_;
    const std::shared_ptr<model::ItemDetails>* indexedItem(std::int32_t instrumentId) const;
    mutable std::uint64_t codeByIdRevision_ = ~std::uint64_t{0};
    // placeById_ being built by parts, for the instruments at `revision`.
    struct PlaceByIdBuild {
        std::uint64_t revision = 0;
        std::vector<std::pair<std::int32_t, std::uint32_t>> places;
        std::size_t next = 0;
    };
    mutable std::optional<PlaceByIdBuild> placeByIdBuild_;
    OrderedDictionary<std::string> symbolTypes_;
    OrderedDictionary<std::shared_ptr<model::SessionSettings>> sessionSettings_;
    OrderedDictionary<std::shared_ptr<model::TradeCurrency>> tradeCurrencies_;
    OrderedDictionary<std::shared_ptr<model::ResourceDetails>> resources_;
    OrderedDictionary<std::shared_ptr<model::FileResource>> resourceSearch_;
    std::set<std::string> requestedDownloads_;  // names asked for, not answered yet
    std::set<std::string> unavailableDownloads_;
    OrderedDictionary<std::shared_ptr<model::UserAccountMaps>> userAccountMaps_;
    std::vector<std::string> selectedSymbols_;
    std::uint64_t watchlistRevision_ = 0;
    OrderedDictionary<std::vector<std::shared_ptr<model::SessionScheduleInfo>>> marketSessionSchedules_;
    std::vector<std::shared_ptr<model::SessionScheduleInfo>> sessionSchedules_;
    OrderedDictionary<XmlTable> tables_;
    // The instruments' exchange names and icons, which many share, held once.
    model::TextPool instrumentTexts_;

    // Walks the element, its descendants and its following siblings in document
    // order; false at an element deeper than kMaxXmlDepth.
    bool traverseElement(const protocol::TBXMLElement* element);
    void storeRow(const protocol::TBXMLElement* element, std::string_view name);
    // The fillers over rows offered by `rows` (eachRow and firstRow of a table name).
    template <typename Rows>
    void fillTables(const Rows& rows);

    FollowUps followUps_;
    // Parser scratch: the table of the last row stored and that row's number.
    std::string tableName;
    std::int32_t currentRow = 0;
};

}  // namespace state
