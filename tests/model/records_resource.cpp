// Resource request records.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/file_resource.h"

using model::FileResource;

TEST(FileResourceString, SearchRecordOfOnlyTheKey) {
    FileResource r;
    r.searchKey = "Calendar";
    const std::string text = r.getString(1).value_or("");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\x05'), 8);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\x06'), 1);
    EXPECT_EQ(r.getString(1), std::string("\x05" "0\x05" "0\x05" "0\x05" "\x05" "Calendar\x05" "\x05" "\x05" "0\x06"));
}

TEST(FileResourceString, SearchAndDownloadFieldOrder) {
    FileResource r = FileResource::searchRecord("Docs", 12);
    EXPECT_EQ(r.searchKey, "Docs");
    EXPECT_EQ(r.productID, 12u);
    EXPECT_TRUE(r.resourceName.empty());
    r.resourceName = "guide.pdf";
    r.resourceType = 3;
    r.organization = 18446744073709551615u;
    r.resourceServerName = "rs1";
    r.searchPattern = "*.pdf";
    r.fileCRC = "ab12";
    r.fileEncodeType = 2;
    EXPECT_EQ(r.getString(1), std::string("guide.pdf\x05" "3\x05" "12\x05" "18446744073709551615\x05" "rs1\x05"
                                          "Docs\x05" "*.pdf\x05" "ab12\x05" "2\x06"));
    // Download omits the search key and pattern: seven fields.
    EXPECT_EQ(r.getString(0), std::string("guide.pdf\x05" "3\x05" "12\x05" "18446744073709551615\x05" "rs1\x05"
                                          "ab12\x05" "2\x06"));
    EXPECT_EQ(r.getString(2), std::string());
    EXPECT_EQ(r.getString(-1), std::string());
}

TEST(FileResourceString, SeparatorBytesAreRefused) {
    for (char bad = '\x01'; bad <= '\x07'; ++bad) {
        FileResource r;
        r.resourceName = std::string("a") + bad + "b";
        EXPECT_EQ(r.getString(0), std::nullopt) << int(bad);
        EXPECT_EQ(r.getString(1), std::nullopt) << int(bad);
    }
    FileResource r;
    r.searchPattern = "x\x06y";
    EXPECT_EQ(r.getString(1), std::nullopt);
    // Not sent in a download, so not in the way.
    EXPECT_TRUE(r.getString(0).has_value());
    r.fileCRC = std::string("\x05");
    EXPECT_EQ(r.getString(0), std::nullopt);
    // Other control bytes are plain text.
    FileResource ok;
    ok.resourceName = "tab\there";
    EXPECT_EQ(ok.getString(0), std::string("tab\there\x05" "0\x05" "0\x05" "0\x05" "\x05" "\x05" "0\x06"));
}
