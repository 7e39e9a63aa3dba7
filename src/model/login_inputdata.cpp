#include "model/login_inputdata.h"

#include <algorithm>
#include <limits>

#include "platform/resource_bundle.h"

namespace model {

namespace {

const platform::PlistValue& noValue() {
    static const platform::PlistValue none;
    return none;
}

}  // namespace

LoginInputdata::LoginInputdata() {
    using platform::PlistValue;
    productName_ = getLoginValueForMode(kGeneral, "ProductName").stringValue();
    productVersion_ = platform::ResourceBundle::applicationVersion();
    SecurityKey_ = getLoginValueForMode(kGeneral, "SecurityKey").stringValue();
    liveAccountRegistrationURL_ = getLoginValueForMode(kGeneral, "LiveAccountRegistrationURL").stringValue();
    isLiveModeAvailable_ = getLoginValueForMode(kGeneral, "LiveModeAvailable").boolValue();
    depositAmountListType_ = getLoginValueForMode(kGeneral, "DepositAmountListType").stringValue();

    const PlistValue rule =
        getFinancialRequestRuleForKey(getLoginValueForMode(kGeneral, "Financial request rule").stringValue());
    canSpecifyBankDetails_ = rule["Can specify bank details"].boolValue();
    canWithdrawFloatingPL_ = rule["Can withdraw floatingPL"].boolValue();
    const PlistValue& balance = rule["Minimum balance"];
    if (!balance.isNone()) minimumBalance_ = balance.doubleValue();

    showAccountCurrency_ = getLoginValueForMode(kGeneral, "Show account currency").boolValue();
    productLocalizationList_ = getProductLocalizationListForKey(
        getLoginValueForMode(kGeneral, "Product localization list").stringValue());
    baseCurrencyAvailable_ = getLoginValueForMode(kGeneral, "BaseCurrencyAvailable").boolValue();
    const std::string format = getLoginValueForMode(kGeneral, "PackedDataFormat").stringValue();
    if (!format.empty()) packedDataFormat_ = format;
}

platform::PlistValue LoginInputdata::getLoginValueForMode(const std::string& mode, const std::string& key) {
    const platform::PlistValue root = platform::ResourceBundle::propertyList(kLoginPropertyList);
    if (root.type != platform::PlistValue::Type::Dict) return noValue();
    const platform::PlistValue& section = root[mode];
    if (section.type != platform::PlistValue::Type::Dict) return noValue();
    return section[key];
}

platform::PlistValue LoginInputdata::getFinancialRequestRuleForKey(const std::string& name) {
    const platform::PlistValue root = platform::ResourceBundle::propertyList(kFinancialRequestRules);
    if (root.type != platform::PlistValue::Type::Dict) return noValue();
    const platform::PlistValue& rule = root[name];
    if (rule.type != platform::PlistValue::Type::Dict) return noValue();
    return rule;
}

std::map<std::string, std::string> LoginInputdata::getProductLocalizationListForKey(const std::string& name) {
    std::map<std::string, std::string> list;
    const platform::PlistValue root = platform::ResourceBundle::propertyList(kProductLocalization);
    if (root.type != platform::PlistValue::Type::Dict) return list;
    const platform::PlistValue& entry = root[name];
    if (entry.type != platform::PlistValue::Type::Dict) return list;
    for (const auto& [key, value] : entry.dict) {
        const std::string replacement = value.stringValue();
        if (!replacement.empty()) list[key] = replacement;
    }
    return list;
}

void LoginInputdata::loadMode(const char* mode) {
    std::string address = getLoginValueForMode(mode, "IPAddress").stringValue();
    const std::int64_t port = getLoginValueForMode(mode, "PortNo").integerValue();
    std::lock_guard<std::mutex> lock(mutex_);
    IPAddress_ = std::move(address);
    PortNo_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        port, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void LoginInputdata::loadLiveSettings() {
    loadMode(kLiveMode);
}

void LoginInputdata::loadDemoSettings() {
    loadMode(kSimulationMode);
}

#define TC_ACCESSORS(Type, Getter, Setter)        \
    Type LoginInputdata::Getter() const {         \
        std::lock_guard<std::mutex> lock(mutex_); \
        return Getter##_;                         \
    }                                             \
    void LoginInputdata::Setter(Type value) {     \
        std::lock_guard<std::mutex> lock(mutex_); \
        Getter##_ = std::move(value);             \
    }

TC_ACCESSORS(std::string, IPAddress, setIPAddress)
TC_ACCESSORS(std::int32_t, PortNo, setPortNo)
TC_ACCESSORS(std::string, userName, setUserName)
TC_ACCESSORS(std::string, password, setPassword)
TC_ACCESSORS(std::string, productName, setProductName)
TC_ACCESSORS(std::string, productVersion, setProductVersion)
TC_ACCESSORS(std::string, SecurityKey, setSecurityKey)
TC_ACCESSORS(std::string, liveAccountRegistrationURL, setLiveAccountRegistrationURL)
TC_ACCESSORS(bool, isLiveModeAvailable, setIsLiveModeAvailable)
TC_ACCESSORS(std::string, depositAmountListType, setDepositAmountListType)
TC_ACCESSORS(bool, showAccountCurrency, setShowAccountCurrency)
TC_ACCESSORS(bool, baseCurrencyAvailable, setBaseCurrencyAvailable)
TC_ACCESSORS(bool, canSpecifyBankDetails, setCanSpecifyBankDetails)
TC_ACCESSORS(bool, canWithdrawFloatingPL, setCanWithdrawFloatingPL)
TC_ACCESSORS(std::optional<double>, minimumBalance, setMinimumBalance)
using LocalizationList = std::map<std::string, std::string>;
TC_ACCESSORS(LocalizationList, productLocalizationList, setProductLocalizationList)

#undef TC_ACCESSORS

}  // namespace model
