#pragma once
// The login of a session: the login data (33), the acceptance (18) and the
// refusal (47), a login elsewhere (44), the server's relogin request (1028),
// and the password-change (38) and demo-user (1027) answers.
#include <optional>
#include <string>

#include "state/dispatcher.h"
#include "state/session_component.h"

namespace state {

class BusinessBase;

class LoginHandshake : public SessionComponent {
public:
    explicit LoginHandshake(BusinessBase& session) : session_(session) {}
    const char* componentName() const override { return "LoginHandshake"; }
    void registerHandlers(Dispatcher& table) override;

    void UpdateUserInfo(const MessageFields& fields);
    void DemoUserCreationResponse(const MessageFields& fields);

private:
    void loginAccepted();
    void loginData(const Dispatch& m);
    void loginRefused(const Dispatch& m);
    void loggedInElsewhere(const Dispatch& m);

    BusinessBase& session_;
    // The login data of this login was refused: its acceptance is no success.
    bool loginDataRefused_ = false;
};

}  // namespace state
