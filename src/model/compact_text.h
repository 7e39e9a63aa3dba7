#pragma once
// A text field of a record held in 8 bytes instead of std::string's 32: up to
// 7 bytes in place, longer texts in a heap block that copies share (a block
// is never changed while another field holds it). Reads like a std::string
// (it converts to one and to std::string_view), so records keep their field
// names.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace model {

class CompactText {
public:
    static constexpr std::size_t npos = std::string_view::npos;
    // Texts up to this size are held in place, longer ones on the heap.
    static constexpr std::size_t kInlineMax = 7;

    CompactText() noexcept { setInline(0); }
    CompactText(std::string_view text) { init(text); }
    CompactText(const std::string& text) { init(text); }
    CompactText(const char* text) { init(std::string_view(text)); }
    CompactText(const CompactText& other) { share(other); }
    CompactText(CompactText&& other) noexcept;
    ~CompactText() { release(); }

    CompactText& operator=(const CompactText& other);
    CompactText& operator=(CompactText&& other) noexcept;
    CompactText& operator=(std::string_view text);
    CompactText& operator=(const std::string& text) { return *this = std::string_view(text); }
    CompactText& operator=(const char* text) { return *this = std::string_view(text); }

    bool empty() const noexcept { return size() == 0; }
    std::size_t size() const noexcept;
    std::size_t length() const noexcept { return size(); }
    const char* data() const noexcept;
    const char* c_str() const noexcept { return data(); }
    const char* begin() const noexcept { return data(); }
    const char* end() const noexcept { return data() + size(); }
    char operator[](std::size_t at) const noexcept { return data()[at]; }
    char front() const noexcept { return data()[0]; }
    char back() const noexcept { return data()[size() - 1]; }

    std::string_view view() const noexcept { return {data(), size()}; }
    std::string str() const { return std::string(view()); }
    operator std::string_view() const noexcept { return view(); }
    operator std::string() const { return str(); }

    void clear() noexcept;
    CompactText& assign(std::string_view text) { return *this = text; }
    CompactText& append(std::string_view text);
    CompactText& operator+=(std::string_view text) { return append(text); }
    CompactText& operator+=(char c) { return append(std::string_view(&c, 1)); }

    std::size_t find(std::string_view what, std::size_t from = 0) const noexcept { return view().find(what, from); }
    std::size_t find(char c, std::size_t from = 0) const noexcept { return view().find(c, from); }
    std::size_t rfind(char c, std::size_t from = npos) const noexcept { return view().rfind(c, from); }
    std::string substr(std::size_t from, std::size_t count = npos) const { return std::string(view().substr(from, count)); }
    int compare(std::string_view other) const noexcept { return view().compare(other); }

    friend bool operator==(const CompactText& a, const CompactText& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const CompactText& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const CompactText& a, const std::string& b) noexcept { return a.view() == b; }
    friend bool operator==(const CompactText& a, const char* b) noexcept { return a.view() == b; }
    friend std::strong_ordering operator<=>(const CompactText& a, const CompactText& b) noexcept {
        return a.view() <=> b.view();
    }
    friend std::strong_ordering operator<=>(const CompactText& a, std::string_view b) noexcept { return a.view() <=> b; }
    friend std::strong_ordering operator<=>(const CompactText& a, const std::string& b) noexcept {
        return a.view() <=> std::string_view(b);
    }
    friend std::strong_ordering operator<=>(const CompactText& a, const char* b) noexcept {
        return a.view() <=> std::string_view(b);
    }

    friend std::string operator+(const CompactText& a, std::string_view b) { return a.str().append(b); }
    friend std::string operator+(const CompactText& a, const std::string& b) { return a.str().append(b); }
    friend std::string operator+(const CompactText& a, const char* b) { return a.str().append(b); }
    friend std::string operator+(const CompactText& a, char b) { return a.str() + b; }
    friend std::string operator+(const CompactText& a, const CompactText& b) { return a.str().append(b.view()); }
    friend std::string operator+(std::string a, const CompactText& b) { return a.append(b.view()); }
    friend std::string operator+(const char* a, const CompactText& b) { return std::string(a).append(b.view()); }
    friend std::string operator+(char a, const CompactText& b) { return std::string(1, a).append(b.view()); }

    friend std::ostream& operator<<(std::ostream& out, const CompactText& text);

private:
    // In place: the bytes, a terminating zero, and in the last byte 7 - size
    // (so a 7-byte text's last byte is its terminator). On the heap: a block's
    // address as it is (a user-space address's two top bytes are zero, which
    // no text in place has, and leak checkers then see the block held). A
    // block holds the count of its holders, the size, the bytes and a
    // terminating zero.
    static constexpr std::size_t kBytes = kInlineMax + 1;
    static constexpr std::size_t kAddressTop = kInlineMax - 1;

    unsigned char tag() const noexcept { return bytes_[kInlineMax]; }
    bool onHeap() const noexcept { return tag() == 0 && bytes_[kAddressTop] == 0; }
    char* block() const noexcept;
    char* heapText() const noexcept;
    void setInline(std::size_t size) noexcept;
    void init(std::string_view text);
    void share(const CompactText& other);
    void release() noexcept;

    alignas(8) unsigned char bytes_[kBytes];
};

static_assert(sizeof(CompactText) == 8);

}  // namespace model

template <>
struct std::hash<model::CompactText> {
    std::size_t operator()(const model::CompactText& text) const noexcept {
        return std::hash<std::string_view>()(text.view());
    }
};
