#pragma once

#include <cstdint>
#include <string>

namespace parcelo {

// The tracking service's key from a file, for runs without a desktop secret store (a
// systemd timer, a server): `$CREDENTIALS_DIRECTORY/parcelo-key` (systemd's
// LoadCredential=), else the file named by PARCELO_KEY_FILE, which must be a regular
// file of this user that nobody else may read or write. Either holds one line
// `client id:client secret` (split at the first colon; blanks around each ignored).
class KeyFile {
public:
    static constexpr const char* kCredentialName = "parcelo-key";
    static constexpr int64_t kMaxBytes = 4096;

    enum class Outcome {
        None,    // no key file is configured
        Ok,      // read
        Refused, // configured but not used: `problem` says why and what to do
    };
    struct Result {
        Outcome outcome = Outcome::None;
        std::string path; // as the file system names it
        std::string clientId;
        std::string clientSecret;
        std::u16string problem;
    };

    // The key file the environment names, read.
    static Result Read();
    // One file; `ownerOnly` refuses a file that is not this user's alone.
    static Result ReadFile(const std::string& path, bool ownerOnly);
};

} // namespace parcelo
