// Both signatures of a minisign file are checked: the one over the content and the global one over
// it and the trusted comment, so the comment cannot be edited to name another file or version.
#include "app/platform/update_signature.h"

#include <sodium.h>

#include <algorithm>

#ifndef MORVALEN_UPDATE_PUBLIC_KEYS
#define MORVALEN_UPDATE_PUBLIC_KEYS ""
#endif

namespace morvalen::app {
namespace {

const unsigned char* bytes_of(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

bool verified(const std::array<std::uint8_t, 64>& signature, const unsigned char* message, std::size_t length,
              const core::MinisignKey& key) {
    return crypto_sign_verify_detached(signature.data(), message, length, key.public_key.data()) == 0;
}

}  // namespace

SignatureVerdict verify_signature(std::string_view content, std::string_view signature_file,
                                  const std::vector<core::MinisignKey>& keys) {
    if (signature_file.empty()) return {core::SignatureCheck::missing, {}};
    const auto signature = core::parse_minisign_signature(signature_file);
    if (!signature) return {core::SignatureCheck::malformed, {}};
    const auto key = std::find_if(keys.begin(), keys.end(),
                                  [&](const core::MinisignKey& k) { return k.key_id == signature->key_id; });
    if (key == keys.end()) return {core::SignatureCheck::unknown_key, {}};
    if (sodium_init() < 0) return {core::SignatureCheck::forged, {}};

    bool content_ok = false;
    if (signature->prehashed) {
        std::array<unsigned char, crypto_generichash_BYTES_MAX> hash{};
        crypto_generichash(hash.data(), hash.size(), bytes_of(content), content.size(), nullptr, 0);
        content_ok = verified(signature->signature, hash.data(), hash.size(), *key);
    } else {
        content_ok = verified(signature->signature, bytes_of(content), content.size(), *key);
    }
    std::string global(signature->signature.begin(), signature->signature.end());
    global += signature->trusted_comment;
    if (!content_ok || !verified(signature->global_signature, bytes_of(global), global.size(), *key))
        return {core::SignatureCheck::forged, {}};
    return {core::SignatureCheck::valid, signature->trusted_comment};
}

std::vector<core::MinisignKey> built_in_update_keys() {
    // A list of key lines (the second line of each minisign .pub file) separated by ';' or blanks.
    const std::string_view listed = MORVALEN_UPDATE_PUBLIC_KEYS;
    std::vector<core::MinisignKey> keys;
    std::size_t start = 0;
    while (start < listed.size()) {
        const std::size_t end = std::min(listed.find_first_of("; ", start), listed.size());
        if (const auto key = core::parse_minisign_key(listed.substr(start, end - start))) keys.push_back(*key);
        start = end + 1;
    }
    return keys;
}

}  // namespace morvalen::app
