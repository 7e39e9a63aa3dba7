#pragma once
// Records stored in blocks of a bounded size that each record's pointer keeps
// alive: one allocation and one control block per block, not one a record,
// and no block so large that freeing it holds the main thread long.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace state {

template <typename T>
class RecordBlocks {
public:
    static constexpr std::size_t kRecordsPerBlock = 1024;

    explicit RecordBlocks(std::size_t expected) { records_.reserve(expected); }
    void push_back(T record) {
        if (!block_ || block_->size() == kRecordsPerBlock) {
            block_ = std::make_shared<std::vector<T>>();
            block_->reserve(kRecordsPerBlock);  // no reallocation: the pointers stay valid
        }
        block_->push_back(std::move(record));
        records_.emplace_back(block_, &block_->back());
    }
    std::vector<std::shared_ptr<T>> take() && { return std::move(records_); }

private:
    std::shared_ptr<std::vector<T>> block_;
    std::vector<std::shared_ptr<T>> records_;
};

}  // namespace state
