#include "funds/core/transaction_list.h"

#include "model/formatter.h"
#include "model/funds_records.h"
#include "protocol/tag_map.h"

namespace funds {

const std::vector<TransactionCode>& transactionCodes() {
    static const std::vector<TransactionCode> codes = {
        {"0774", "#DWR"}, {"0518", "#DEP"}, {"0519", "#WID"}, {"0520", "#ODE"},   {"0521", "#CWI"},   {"0522", "#MCD"},
        {"0523", "#WAV"}, {"0431", "#ADJ"}, {"0525", "#PCH"}, {"11108", "#TRD"}, {"11109", "#TRM"},
    };
    return codes;
}

std::optional<std::string> searchTransactionCode(const std::string& text, int selected,
                                                 const std::vector<std::string>& labels) {
    const auto& codes = transactionCodes();
    if (text.empty()) return codes.front().code;
    const std::size_t count = std::min(codes.size(), labels.size());
    if (selected >= 0 && std::size_t(selected) < count && labels[std::size_t(selected)] == text)
        return codes[std::size_t(selected)].code;
    for (std::size_t i = 0; i < count; ++i)
        if (labels[i] == text) return codes[i].code;
    return std::nullopt;
}

const std::vector<std::string>& transactionColumns() {
    static const std::vector<std::string> columns = {"0380", "0378", "0379", "0382", "0383", "0527", "0386", "0387"};
    return columns;
}

bool isAmountColumn(std::size_t column) { return column >= 3 && column <= 5; }

std::string transactionAmount(double amount) {
    const auto text = protocol::formatDecimal(amount);
    if (!text) return {};
    return model::Formatter::formatDecimalWithString(*text).value_or(std::string());
}

std::vector<std::string> transactionCells(const model::FinancialTransactionDetails& d) {
    return {std::to_string(d.AccountId),
            std::to_string(d.SubTransactionId),
            d.SubTransactionCode,
            transactionAmount(d.CrAmount),
            transactionAmount(d.DrAmount),
            transactionAmount(d.BalAmountPostTransaction),
            d.Narration,
            d.TransactionDate};
}

}  // namespace funds
