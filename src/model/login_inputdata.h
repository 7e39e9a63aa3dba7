#pragma once
// Login and connection settings: the product's options from the shipped
// property lists, the server of the chosen mode and the login form's entries.
// Accessors are safe from any thread (the cipher password is read by the
// session's queue while the main thread may replace it).
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "model/deployment_constants.h"
#include "platform/property_list.h"

namespace model {

class LoginInputdata {
  public:
    static constexpr const char* kLoginPropertyList = "LoginPropertyList";
    static constexpr const char* kFinancialRequestRules = "FinancialRequestRules";
    static constexpr const char* kProductLocalization = "ProductLocalization";
    static constexpr const char* kGeneral = "General";
    static constexpr const char* kLiveMode = "LiveMode";
    static constexpr const char* kSimulationMode = "SimulationMode";

    // Reads the product's options; server, port, user and password stay unset.
    LoginInputdata();
    LoginInputdata(const LoginInputdata&) = delete;
    LoginInputdata& operator=(const LoginInputdata&) = delete;

    void loadLiveSettings();
    void loadDemoSettings();

    // Each lookup reads its file afresh; anything missing gives a None value.
    static platform::PlistValue getLoginValueForMode(const std::string& mode, const std::string& key);
    static platform::PlistValue getFinancialRequestRuleForKey(const std::string& name);
    // Replacement keys by key; empty when the list or the file is missing.
    static std::map<std::string, std::string> getProductLocalizationListForKey(const std::string& name);

    std::string IPAddress() const;
    void setIPAddress(std::string value);
    std::int32_t PortNo() const;
    void setPortNo(std::int32_t value);
    std::string userName() const;
    void setUserName(std::string value);
    std::string password() const;
    void setPassword(std::string value);
    std::string productName() const;
    void setProductName(std::string value);
    std::string productVersion() const;
    void setProductVersion(std::string value);
    std::string SecurityKey() const;
    void setSecurityKey(std::string value);
    std::string liveAccountRegistrationURL() const;
    void setLiveAccountRegistrationURL(std::string value);
    bool isLiveModeAvailable() const;
    void setIsLiveModeAvailable(bool value);
    std::string depositAmountListType() const;
    void setDepositAmountListType(std::string value);
    bool showAccountCurrency() const;
    void setShowAccountCurrency(bool value);
    bool baseCurrencyAvailable() const;
    // Tag 160's value of the compact login data (a deployment constant).
    const std::string& packedDataFormat() const { return packedDataFormat_; }
    void setPackedDataFormat(std::string value) { packedDataFormat_ = std::move(value); }
    void setBaseCurrencyAvailable(bool value);
    bool canSpecifyBankDetails() const;
    void setCanSpecifyBankDetails(bool value);
    bool canWithdrawFloatingPL() const;
    void setCanWithdrawFloatingPL(bool value);
    std::optional<double> minimumBalance() const;
    void setMinimumBalance(std::optional<double> value);
    std::map<std::string, std::string> productLocalizationList() const;
    void setProductLocalizationList(std::map<std::string, std::string> value);

  private:
    void loadMode(const char* mode);

    mutable std::mutex mutex_;
    std::string IPAddress_;
    std::int32_t PortNo_ = 0;
    std::string userName_;
    std::string password_;
    std::string productName_;
    std::string productVersion_;
    std::string SecurityKey_;
    std::string liveAccountRegistrationURL_;
    bool isLiveModeAvailable_ = false;
    std::string depositAmountListType_;
    bool showAccountCurrency_ = false;
    bool baseCurrencyAvailable_ = false;
    std::string packedDataFormat_ = deployment::kPackedDataFormat;
    bool canSpecifyBankDetails_ = false;
    bool canWithdrawFloatingPL_ = false;
    std::optional<double> minimumBalance_;
    std::map<std::string, std::string> productLocalizationList_;
};

}  // namespace model
