// SHA-256 digests, for checking downloaded files against a published hash.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CSha256 {
public:
    CSha256();
    void Add(const void* data, std::size_t size);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> Finish();

    // The digest of `bytes` as 64 lower-case hex digits.
    static std::string Hex(std::string_view bytes);
    // The digest of a file (a Windows-style path) as hex; false when it cannot be read.
    static bool HexOfFile(const std::string& path, std::string& hex);

private:
    void Block(const std::uint8_t* block);
    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;
};
