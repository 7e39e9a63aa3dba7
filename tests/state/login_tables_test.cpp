// XML tables read without an element tree: the rows handed to the fillers
// are the ones parseXml stores, and anything unusual is left to it.
#include "state/login_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "state/short_text.h"

namespace state {
namespace {

using Columns = std::vector<std::pair<std::string, std::string>>;

std::string wideRow() {
    std::string out = "<Table7>";
    for (int i = 0; i < 40; ++i) out += "<c" + std::to_string(i % 30) + ">" + std::to_string(i) + "</c" + std::to_string(i % 30) + ">";
    return out + "</Table7>";
}

// Every row of every table parseXml stores, with each column found by name.
void expectSameRows(const std::string& doc) {
    ReferenceData parsed;
    parsed.parseXml(doc);
    LoginTables rows;
    ASSERT_TRUE(rows.read(doc)) << doc;
    for (const auto& [name, table] : parsed.TableDataCollection()) {
        std::vector<Columns> got;
        rows.eachRow(name, [&](const TableRow& r) {
            Columns columns;
            for (const auto& [column, text] : r.columns()) {
                columns.emplace_back(column, text);
                const auto found = r.find(column);
                EXPECT_TRUE(found && *found == text) << column;
            }
            EXPECT_FALSE(r.find("absent"));
            got.push_back(columns);
        });
        ASSERT_EQ(got.size(), table.size()) << name << " in " << doc;
        std::size_t i = 0;
        for (const auto& [key, row] : table) {
            EXPECT_EQ(got[i++], Columns(row.columns().begin(), row.columns().end())) << name << " row " << key;
        }
    }
}

TEST(LoginTables, UsualDocumentsGiveTheRowsParseXmlStores) {
    const std::vector<std::string> docs = {
        "<?xml version=\"1.0\"?>\r\n<NewDataSet>\r\n  <Table1>\r\n    <userid>11</userid>\r\n  </Table1>\r\n</NewDataSet>\r\n",
        // Rows of one table with the same, fewer and other columns, one after another.
        "<D><Table4><a>1</a><b>2</b></Table4><Table4><a>3</a><b>4</b></Table4><Table4><b>5</b></Table4>"
        "<Table4><b>6</b><a>7</a></Table4><Table4/><Table4><a>8</a><b>9</b></Table4></D>",
        // Empty and self-closed columns, spaces around texts, ">" in a text, a
        // repeated column, text between columns.
        "<D><Table6><e></e><s/><t> \t x y \n</t><g>a>b</g><r>1</r><r>2</r><o>v</o>junk<z>0</z></Table6></D>",
        // Interleaved tables, an empty root, nothing at all.
        "<D><Table8><g>1</g></Table8><Table7><g>1</g></Table7><Table8><g>2</g></Table8></D>",
        "<D/>",
        "<D></D>",
        // A row wider than the index threshold, with repeated columns.
        "<D>" + wideRow() + wideRow() + "</D>",
        // References decoded before the trim; unknown and unended ones as written.
        "<D><Table8><a>S&amp;P &lt;1&gt; &quot;q&quot; &apos;</a><b>&#32; x &#x9;</b><c>&nope; &amp</c>"
        "<d>&#0; &#xD800; &#65;&#x1F600;</d><e>&amp;amp;</e></Table8><Table8><a>plain</a></Table8></D>",
        // Rows after the first matched against the previous row's columns: the same;
        // a name one longer, with an attribute, self-closed, extra; one shorter;
        // another order; missing, a reference; repeated.
        "<D><Table7><ab>1</ab><b>2</b><c>3</c></Table7><Table7><ab>4</ab><b>5</b><c>6</c></Table7>"
        "<Table7><abc>7</abc><b k=\"1\">8</b><c/><d>x</d></Table7><Table7><a>9</a><b>10</b><c>11</c></Table7>"
        "<Table7><c>12</c><b>13</b><ab>14</ab></Table7><Table7><ab>15</ab><b>&amp;</b></Table7>"
        "<Table7><ab>16</ab><b>17</b><c>18</c></Table7><Table7><ab>19</ab><ab>20</ab><c>21</c></Table7>"
        "<Table7><ab> 22 </ab><b/><c>23</c></Table7></D>",
        // Attributes on the root, the rows and the columns are passed over.
        "<D xmlns=\"x\"><Table1 diffgr:id=\"Table11\" msdata:rowOrder=\"0\"><a k='1'>v</a><s k=\"2\"/></Table1>"
        "<Table1 /><Table1 x/><Table1><a/b>w</a></Table1></D>",
    };
    for (const auto& doc : docs) expectSameRows(doc);
}

TEST(LoginTables, UnusualDocumentsAreLeftToTheGeneralReader) {
    const std::vector<std::string> docs = {
        "<D><!-- c --><Table1><a>1</a></Table1></D>",
        "<D><Table1><a><![CDATA[x]]></a></Table1></D>",
        "<D><Table1 id=\"<![CDATA[x]]>\"><a>1</a></Table1></D>",
        "<D><Table1><a x=\"a<b\">1</a></Table1></D>",
        "<D><Table1>< a>1</a></Table1></D>",
        "<D><Table1><a><b>1</b></a></Table1></D>",
        "<D><Table1><TableX>1</TableX></Table1></D>",
        "<Table1><a>1</a></Table1>",
        "<D><Other><a>1</a></Other></D>",
        std::string("<D><Table1><a>1\0</a></Table1></D>", 33),
        "<D><Table1><a>1</a>",
        "<D><Table1><a>>1</a></Table1></D>",
        // The same faults in a row whose columns are matched against the previous row's.
        "<D><Table1><a>1</a></Table1><Table1><a><b>1</b></a></Table1></D>",
        "<D><Table1><a>1</a></Table1><Table1><a>>1</a></Table1></D>",
        "<D><Table1><a>1</a></Table1><Table1><a>1",
        std::string("<D><Table1><a>1</a></Table1><Table1><a>1\0</a></Table1></D>", 58),
        "<D></D><Table1><a>1</a></Table1>",
        "</D>",
        "<D><Table1><a>1</a></Table1></D><?pi?>",
        "",
        // Closing tags that do not close their element, and text after the root.
        "<D><Table1><a>1</b></Table1></D>",
        "<D><Table1><a>1</a></Table1><Table1><a>1</ab></Table1></D>",
        "<D><Table1><a>1</a></Table></D>",
        "<D><Table1><a>1</a></Table1></E>",
        "<D><Table1><a>1</a></Table1></D ></x>",
        "<D><Table1><a>1</a></Table1></D>x",
    };
    for (const auto& doc : docs) {
        LoginTables rows;
        EXPECT_FALSE(rows.read(doc)) << doc;
    }
}

// Every checked-in fuzz input the row reader takes gives the rows parseXml stores.
TEST(LoginTables, CorpusInputsItTakesGiveTheRowsParseXmlStores) {
    std::size_t taken = 0, inputs = 0;
    for (const char* folder : {"xml_reader", "login_data", "data_service"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(TC_SOURCE_DIR) + "/tests/fuzz/corpus/" + folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            ++inputs;
            if (LoginTables().read(bytes.str())) {
                ++taken;
                expectSameRows(bytes.str());
            }
        }
    }
    EXPECT_GT(inputs, 100u);
    EXPECT_GT(taken, 5u);
}

// A row of views that is then set() holds copies: its texts outlive the buffer it viewed.
TEST(LoginTables, ARowOfViewsSetLaterHoldsCopies) {
    std::string buffer = "a1b2";
    TableRow row;
    row.assign(2, [&](std::size_t i) { return std::pair(std::string_view(buffer).substr(2 * i, 1), std::string_view(buffer).substr(2 * i + 1, 1)); });
    row.set("a", "3");
    row.set("c", "4");
    buffer.assign("xxxx");
    EXPECT_EQ(Columns(row.columns().begin(), row.columns().end()), (Columns{{"a", "3"}, {"b", "2"}, {"c", "4"}}));
    EXPECT_EQ(row.find("b"), "2");
}

TEST(LoginTables, EitherRoadFillsTheSameRecords) {
    // Group instruments whose columns come as the previous row's, in another order, fewer and more.
    const std::string doc =
        "<NewDataSet><Table1><userid>42</userid><marketdepthPort>17002</marketdepthPort></Table1>"
        "<Table4><AccountId>07</AccountId><GroupId>3</GroupId><Balance>12.5</Balance></Table4>"
        "<Table8><GroupId>3</GroupId><Name>G</Name></Table8>"
        "<Table7><groupid>3</groupid><InstrumentId>9</InstrumentId><Commission>5</Commission></Table7>"
        "<Table7><groupid>3</groupid><InstrumentId>10</InstrumentId><Commission>6</Commission></Table7>"
        "<Table7><InstrumentId>11</InstrumentId><groupid>3</groupid><Commission>7</Commission></Table7>"
        "<Table7><groupid>3</groupid><InstrumentId>12</InstrumentId></Table7>"
        "<Table7><groupid>3</groupid><InstrumentId>13</InstrumentId><SpreadBid>2</SpreadBid><Commission>8</Commission></Table7>"
        "<Table7><groupid>3</groupid><InstrumentId>14</InstrumentId><Commission>9</Commission></Table7></NewDataSet>";
    const std::vector<std::tuple<std::string, double, int>> expected = {
        {"9", 5, 0}, {"10", 6, 0}, {"11", 7, 0}, {"12", 0, 0}, {"13", 8, 2}, {"14", 9, 0}};
    for (const bool usual : {true, false}) {
        ReferenceData s;
        s.FillXmlLoginData(usual ? doc : "<!-- general road -->" + doc);
        ASSERT_TRUE(s.userInfo()) << usual;
        EXPECT_EQ(s.userInfo()->UserId, 42);
        EXPECT_EQ(s.userInfo()->marketdepthPort, 17002);
        ASSERT_TRUE(s.AccountDetailCollection().find("07"));
        EXPECT_EQ((*s.AccountDetailCollection().find("07"))->Balance, 12.5);
        const auto* group = s.GroupDetailCollection().find("3");
        ASSERT_TRUE(group);
        for (const auto& [key, commission, spreadBid] : expected) {
            const auto& instrument = (*group)->GroupInstrumentCollection.at(key);
            EXPECT_EQ(instrument->InstrumentId, std::stoi(key)) << usual;
            EXPECT_EQ(instrument->Commission, commission) << key << " " << usual;
            EXPECT_EQ(instrument->SpreadBid, spreadBid) << key << " " << usual;
        }
        EXPECT_TRUE(s.TableDataCollection().empty());
    }
}

// Names of every length up to past two words: the same bytes, and one byte changed at each place.
TEST(ShortText, SameBytesSeesEveryByte) {
    const std::string text = "abcdefghijklmnopqrstu";
    for (std::size_t n = 0; n <= text.size(); ++n) {
        std::string copy = text.substr(0, n);
        EXPECT_TRUE(sameBytes(text.data(), copy.data(), n)) << n;
        for (std::size_t i = 0; i < n; ++i) {
            copy[i] = '*';
            EXPECT_FALSE(sameBytes(text.data(), copy.data(), n)) << n << " at " << i;
            copy[i] = text[i];
        }
    }
}

}  // namespace
}  // namespace state
