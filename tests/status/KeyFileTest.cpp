#include "status/KeyFile.h"

#include "config/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace parcelo {
namespace {

// One line "id:secret", split at the first colon with blanks trimmed; any other
// text, a file others may read, or what is not a small regular file is refused
// with a reason.
TEST(KeyFileTest, ReadsOneIdAndSecretAndRefusesAnythingElse) {
    const test::TempFolder folder;
    const struct {
        const char* text;
        const char* key; // "id|secret"; empty: refused
    } cases[] = {
        {"id:secret", "id|secret"},
        {"\xEF\xBB\xBF  id : se:cret \nother:line", "id|se:cret"},
        {"id:", ""},
        {" : secret", ""},
        {"no colon", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const std::string path = folder.Write("key", c.text).string();
        ASSERT_EQ(chmod(path.c_str(), 0600), 0);
        const KeyFile::Result result = KeyFile::ReadFile(path, true);
        EXPECT_EQ(result.outcome, *c.key != 0 ? KeyFile::Outcome::Ok : KeyFile::Outcome::Refused) << c.text;
        EXPECT_EQ(result.outcome == KeyFile::Outcome::Ok ? result.clientId + "|" + result.clientSecret : "", c.key);
        EXPECT_EQ(result.problem.empty(), *c.key != 0) << c.text;
    }
    const std::string shared = folder.Write("shared", "id:secret").string();
    ASSERT_EQ(chmod(shared.c_str(), 0640), 0);
    EXPECT_EQ(KeyFile::ReadFile(shared, true).outcome, KeyFile::Outcome::Refused) << "others may read it";
    EXPECT_EQ(KeyFile::ReadFile(shared, false).outcome, KeyFile::Outcome::Ok) << "a folder of the service's own";
    const std::string large = folder.Write("large", std::string(KeyFile::kMaxBytes + 1, 'x')).string();
    for (const std::string& refused : {large, folder.Path().string(), (folder.Path() / "missing").string()}) {
        EXPECT_EQ(KeyFile::ReadFile(refused, false).outcome, KeyFile::Outcome::Refused) << refused;
    }
}

} // namespace
} // namespace parcelo
