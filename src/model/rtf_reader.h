#pragma once
// Table-driven RTF reader: the plain text of an RTF document, formatting
// dropped, "" for a document it cannot parse. Iterative, never throws; each
// conversion uses a reader of its own, so conversions may run on any thread.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace model {

class RTFReader {
  public:
    // Makes a reader, converts once and discards the reader.
    static std::string ConvertRTFtoString(std::string_view rtf);

    // Limits: longer keywords or parameters and deeper nesting are parse errors.
    static constexpr std::size_t kMaxKeywordLength = 31;
    static constexpr std::size_t kMaxParameterDigits = 31;
    static constexpr std::size_t kMaxGroupDepth = 1024;

  private:
    enum class Destination : std::uint8_t { Normal, Skip };
    enum class Internal : std::uint8_t { Normal, Binary, Hex };
    struct Save {
        Destination destination;
        Internal internal;
        std::int64_t unicodeSkip;
    };

    explicit RTFReader(std::string_view rtf) : source_(rtf) {}
    // One conversion: the plain text, or "" on a parse error.
    std::string initwithRTF();

    bool parse();
    int getCharacterFromBuffer();
    void putCharacter(int c);
    bool parseNextKeyword();
    void translateKeyword(std::string_view keyword, bool hasParam);
    void unicodeKeyword(std::string_view keyword, bool hasParam);
    void readUtf8Character(unsigned char lead);
    void parseCharacter(std::uint32_t cp);
    void storeCharacter(std::uint32_t cp);
    bool pushState();
    bool popState();

    std::string_view source_;
    std::size_t bufferPosition_ = 0;
    std::array<unsigned char, 64> putBuffer_{};
    std::size_t putBufferLength_ = 0;
    std::string destinationString_;

    Destination destinationState_ = Destination::Normal;
    Internal internalState_ = Internal::Normal;
    bool fSkipDestIfUnk_ = false;
    std::int64_t cbBin_ = 0;
    bool binaryDropped_ = false;  // a binary run that is a \u fallback
    std::int64_t lParam_ = 0;
    std::vector<Save> psave_;

    // The hexadecimal escape in progress; it belongs to the whole parse.
    unsigned hexValue_ = 0;
    int hexDigits_ = 0;

    // \uN: the fallback characters to skip after it (\ucN, default 1, kept per group)
    // and the high surrogate waiting for its low half.
    std::int64_t unicodeSkip_ = 1;
    std::int64_t fallbackLeft_ = 0;
    std::uint32_t pendingHigh_ = 0;
};

}  // namespace model
