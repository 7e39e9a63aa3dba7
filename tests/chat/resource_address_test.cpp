// The address a resource entry opens, or its refusal.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "chat/core/resource_address.h"

namespace {

TEST(ResourceAddress, OpensHttpAsItStandsRefusesOtherSchemesAndPrefixesTheRest) {
    const std::optional<std::string> refused;
    const struct {
        const char* text;
        std::optional<std::string> address;
    } cases[] = {
        {"https://x", "https://x"},
        {"http://example.com/a", "http://example.com/a"},
        {"HTTP://X.TEST/a", "HTTP://X.TEST/a"},
        {"HtTpS://x.test", "HtTpS://x.test"},
        {"example.com/a", "http://example.com/a"},
        {"example.com:8080/a", "http://example.com:8080/a"},
        {"localhost:8080", "http://localhost:8080"},
        {"", "http://"},
        {"file:///x?http", refused},
        {"javascript:http", refused},
        {"mailto:desk@example.com", refused},
        {"svn+ssh://host/repo", refused},
        {"x:8080abc", refused},
        {"httpfoo.test/path", "http://httpfoo.test/path"},
        {"1abc:def", "http://1abc:def"},
    };
    for (const auto& c : cases) EXPECT_EQ(chat::resourceAddress(c.text), c.address) << c.text;
}

}  // namespace
