#include "reports/core/account_detail_text.h"

#include "model/shown_text.h"

namespace reports {

std::string accountDetailString(const StatementRequest& request, const model::AccountStatementInfo& statement,
                                const std::string& accountName, const KeyText& text) {
    const std::int32_t id = request.accountId;
    // The server's addresses and name in their shown form: the block is printed whole.
    const std::string client = id ? model::shownText(statement.getClientAddressForAccountId(id).value_or("")) : "";
    const std::string company = id ? model::shownText(statement.getCompanyAddressForAccountId(id).value_or("")) : "";
    const std::string parts[] = {
        client,
        company,
        text("0012") + " : " + std::to_string(id),
        text("0239") + " : " + model::shownText(accountName),
        text("0436") + " : " + model::Formatter::formatDate(request.from) + " - " + model::Formatter::formatDate(request.to),
    };
    std::string block = "\n\n";
    for (const std::string& part : parts) block += part + "\n\n";
    return block;
}

}  // namespace reports
