#pragma once
// The login of a session: the login data (33), the acceptance (18) and the
// refusal (47), a login elsewhere (44), the server's relogin request (1028),
// and the password-change (38) and demo-user (1027) answers.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/demo_registration.h"
#include "state/dispatcher.h"
#include "state/session_component.h"

namespace state {

class SessionServices;
class ReferenceData;
class PingMonitor;
class FeedChannels;
class DataServiceAnswers;
class FillSteps;

class LoginHandshake : public SessionComponent {
public:
    LoginHandshake(SessionServices& services, ReferenceData& reference, PingMonitor& ping, FeedChannels& feed,
                   DataServiceAnswers& answers)
        : services_(services), reference_(reference), ping_(ping), feed_(feed), answers_(answers) {}
    const char* componentName() const override { return "LoginHandshake"; }
    void registerHandlers(Dispatcher& table) override;

    void UpdateUserInfo(const MessageFields& fields);
    void DemoUserCreationResponse(const MessageFields& fields);
    // Password change (37): answered by UpdateUserInfo.
    void changeMyPassword(const std::string& oldPassword, const std::string& newPassword);
    // Demo registration (1026) on a registration connection: answered by DemoUserCreationResponse.
    void DemoUserCreationRequest(const model::DemoRegistration& form);

    // --- What the login announces (main thread) ---------------------------------
    void LoginSuccessNotification();
    void appUpdateNotification(const std::string& text);
    void passwordChangeNotification();
    void demoUserCreationNotification(const std::string& user, const std::string& password);
    void demoUserCreationFailureNotification();

private:
    void loginAccepted();
    void loginData(const Dispatch& m);
    // The compact login data read ahead, filled a step a main-thread slice
    // (PackedFillSteps) with the messages after it held; false, with nothing
    // changed, when it is not whole.
    bool fillPackedInSlices(const Dispatch& m);
    // Runs `fill` a step a main-thread slice, the messages after the login data held.
    void fillInSlices(std::shared_ptr<FillSteps> fill);
    // Runs the fill's next step and posts the one after; the last one checks
    // the user and lets the held messages go. A dropped line ends the fill.
    void fillStep(const std::shared_ptr<FillSteps>& fill, std::uint64_t hold);
    // The user check that closes the login data's fill.
    void checkLoginUser();
    // The login fails with "1004" (the session cannot trade without its reference
    // data), or with the size and the limit of data too large to load.
    void refuseLoginData(const std::optional<protocol::LoginDataTooLarge>& tooLarge = std::nullopt);
    std::string tooLargeText(const protocol::LoginDataTooLarge& tooLarge) const;
    void loginRefused(const Dispatch& m);
    void loggedInElsewhere(const Dispatch& m);

    SessionServices& services_;
    ReferenceData& reference_;
    PingMonitor& ping_;
    FeedChannels& feed_;
    DataServiceAnswers& answers_;
    // The login data of this login was refused: its acceptance is no success.
    bool loginDataRefused_ = false;
    // The new password of the change sent last, until its answer.
    std::optional<std::string> requestedPassword_;
};

}  // namespace state
