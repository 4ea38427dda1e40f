// The text formats of minisign public keys and signatures (Ed25519), read without any cryptography.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvalen::core {

using MinisignKeyId = std::array<std::uint8_t, 8>;

struct MinisignKey {
    MinisignKeyId key_id{};
    std::array<std::uint8_t, 32> public_key{};
};

struct MinisignSignature {
    // "ED": the signature is over the BLAKE2b-512 hash of the file; "Ed": over the file itself.
    bool prehashed = true;
    MinisignKeyId key_id{};
    std::array<std::uint8_t, 64> signature{};
    // The text after "trusted comment: ", covered by global_signature together with signature.
    std::string trusted_comment;
    std::array<std::uint8_t, 64> global_signature{};
};

// Standard base64 with padding; nullopt for any other character or a wrong length.
std::optional<std::string> base64_decode(std::string_view text);

// A public key file (its comment line and the key line) or the key line alone.
std::optional<MinisignKey> parse_minisign_key(std::string_view text);

// A .minisig file: four lines (CR LF accepted), nothing else around them; nullopt for anything else.
std::optional<MinisignSignature> parse_minisign_signature(std::string_view text);

}  // namespace morvalen::core
