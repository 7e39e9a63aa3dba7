#pragma once
// Switches that make the simulator misbehave on purpose, for the client's tests.
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

// How session messages travel: as they are, inside a type-76 envelope, or inside a
// type-105 compressed message.
enum class Wrap { Plain, Envelope, Compressed };

struct FaultState {
    std::vector<std::size_t> splitOffsets;  // split every TCP write at these byte offsets
    bool splitUtf8 = false;                 // split inside the first multi-byte character
    bool silent = false;                    // send nothing on the TCP session (pings unanswered)
    bool closeMidFrame = false;             // next TCP write: half of it, then close (once)
    bool badEnvelope = false;               // next enveloped message: tag 27 is not Base64 (once)
    std::string badCompressed;              // "short" or "truncated": next compressed payload (once)
    bool malformedRows = false;             // data-service rows too short and not numeric
    bool tickWithoutBase = false;           // ticks with an empty base field
    std::string dsAnswer;                   // "" normal, "empty" or "error" for every table answer
    std::string chartShape;                 // "" normal, "short" or "no-closes" for every chart answer
    bool editAccessFails = false;
    std::string demoAnswer;                 // "" normal; "slashed": login and password hold "/" and "#";
                                            // "no-password": the 1027 carries 103 instead of 18           // every "addedituac" answers "failure" and changes nothing
    bool neverAnswer = false;               // the request channel answers nothing
    bool statementText = false;             // account statements answered with text that is not XML
    std::string newsShape;                  // "" normal, or the news port's hostile answer (NewsFeed)
    std::size_t logoutReasonBytes = 0;      // 0 normal, else the 44's text padded to this many bytes
    std::size_t loginCutBytes = 0;          // 0 normal, else login data cut to this many bytes before it is compressed
    std::string fundsAnswer;                // "" normal, or how funds requests are answered (FundsDesk)
    std::string nextAnswer;                 // frame that answers the next request-channel request (once)
    Wrap wrap = Wrap::Plain;
    bool xmlLoginData = false;
    std::vector<std::string> closeRefuse;   // positions a close-positions request (82) refuses
};

class FaultBoard {
public:
    FaultState snapshot() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return state_;
    }
    template <typename F>
    void update(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        f(state_);
    }
    // Applies "name value" (see the simulator's command list); false with a reason otherwise.
    bool set(const std::string& name, const std::string& value, std::string* error);

private:
    mutable std::mutex mutex_;
    FaultState state_;
};

}  // namespace sim
