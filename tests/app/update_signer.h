// A release maker for the tests: an Ed25519 key from a fixed seed that writes minisign signature files.
#pragma once

#include <sodium.h>

#include <array>
#include <string>
#include <string_view>

#include "core/update/minisign.h"

namespace morvalen::app::testing {

class TestSigner {
public:
    explicit TestSigner(unsigned char seed_byte) {
        if (sodium_init() < 0) return;
        std::array<unsigned char, crypto_sign_SEEDBYTES> seed{};
        seed.fill(seed_byte);
        crypto_sign_seed_keypair(key_.public_key.data(), secret_.data(), seed.data());
        key_.key_id.fill(seed_byte);
    }

    core::MinisignKey key() const { return key_; }

    // The four lines minisign -S writes; prehashed as minisign 0.11 signs by default.
    std::string sign(std::string_view content, std::string_view trusted_comment, bool prehashed = true) const {
        std::array<unsigned char, crypto_sign_BYTES> signature{};
        if (prehashed) {
            std::array<unsigned char, crypto_generichash_BYTES_MAX> hash{};
            crypto_generichash(hash.data(), hash.size(), bytes(content), content.size(), nullptr, 0);
            crypto_sign_detached(signature.data(), nullptr, hash.data(), hash.size(), secret_.data());
        } else {
            crypto_sign_detached(signature.data(), nullptr, bytes(content), content.size(), secret_.data());
        }
        std::string block = prehashed ? "ED" : "Ed";
        block.append(key_.key_id.begin(), key_.key_id.end());
        block.append(signature.begin(), signature.end());
        std::string global(signature.begin(), signature.end());
        global += trusted_comment;
        std::array<unsigned char, crypto_sign_BYTES> global_signature{};
        crypto_sign_detached(global_signature.data(), nullptr, bytes(global), global.size(), secret_.data());
        return "untrusted comment: signature from the tests' key\n" + base64(block) + "\ntrusted comment: " +
               std::string(trusted_comment) + "\n" +
               base64(std::string(global_signature.begin(), global_signature.end())) + "\n";
    }

private:
    static const unsigned char* bytes(std::string_view text) {
        return reinterpret_cast<const unsigned char*>(text.data());
    }
    static std::string base64(std::string_view raw) {
        std::string out(sodium_base64_ENCODED_LEN(raw.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
        sodium_bin2base64(out.data(), out.size(), bytes(raw), raw.size(), sodium_base64_VARIANT_ORIGINAL);
        out.resize(out.size() - 1);  // the terminating zero
        return out;
    }

    core::MinisignKey key_;
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> secret_{};
};

}  // namespace morvalen::app::testing
