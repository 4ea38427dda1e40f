// Checks a minisign signature with libsodium against the public keys the program trusts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/update/minisign.h"
#include "core/update/update_check.h"

namespace morvalen::app {

struct SignatureVerdict {
    core::SignatureCheck check = core::SignatureCheck::missing;
    // Only when check is valid: the comment the key signed.
    std::string trusted_comment;
};

// signature_file empty: the host had none.
SignatureVerdict verify_signature(std::string_view content, std::string_view signature_file,
                                  const std::vector<core::MinisignKey>& keys);

// The keys built in with MORVALEN_UPDATE_PUBLIC_KEYS; none in a build that names none, and then no
// update is ever offered.
std::vector<core::MinisignKey> built_in_update_keys();

}  // namespace morvalen::app
