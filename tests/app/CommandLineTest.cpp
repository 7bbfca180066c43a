#include "config/TempFolder.h"

#include <SQLiteCpp/Database.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace parcelo {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

// A profile of its own (data, settings, the sample courier list) for the real program.
class Profile {
public:
    explicit Profile(const fs::path& installPath = PARCELO_SOURCE_DIR "/res") {
        fs::create_directories(m_folder.Path() / "config" / "VELDAN");
        fs::create_directories(m_folder.Path() / "data");
        std::ofstream(m_folder.Path() / "config" / "VELDAN" / "Parcelo.conf")
            << "[SETTINGS]\nINSTALLPATH=" << installPath.string() << "\n";
    }

    // Runs the program; its standard output goes to `output` when one is given.
    Outcome Run(std::vector<std::string> arguments, const std::string& output = {}) const {
        const std::string out = output.empty() ? (m_folder.Path() / "stdout").string() : output;
        const std::string err = (m_folder.Path() / "stderr").string();
        arguments.insert(arguments.begin(), PARCELO_PROGRAM);
        std::vector<char*> args;
        for (std::string& argument : arguments) {
            args.push_back(argument.data());
        }
        args.push_back(nullptr);
        Outcome outcome;
        const pid_t child = fork();
        if (child == 0) {
            setenv("XDG_DATA_HOME", (m_folder.Path() / "data").c_str(), 1);
            setenv("XDG_CONFIG_HOME", (m_folder.Path() / "config").c_str(), 1);
            setenv("XDG_CONFIG_DIRS", (m_folder.Path() / "no-system-settings").c_str(), 1);
            setenv("TZ", "KST-9", 1);
            for (const auto& [name, value] : m_environment) {
                setenv(name.c_str(), value.c_str(), 1);
            }
            const int in = open("/dev/null", O_RDONLY);
            const int to = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int errors = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (in < 0 || to < 0 || errors < 0 || dup2(in, 0) < 0 || dup2(to, 1) < 0 || dup2(errors, 2) < 0) {
                _exit(126);
            }
            execv(PARCELO_PROGRAM, args.data());
            _exit(127);
        }
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child) {
            outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        outcome.out = output.empty() ? Read(out) : std::string();
        outcome.err = Read(err);
        return outcome;
    }

    void SetEnvironment(std::string name, std::string value) {
        m_environment.emplace_back(std::move(name), std::move(value));
    }
    std::string File(const std::string& name) const { return (m_folder.Path() / name).string(); }
    fs::path Store() const { return m_folder.Path() / "data" / "VELDAN" / "Parcelo" / "VELDAN.EDB"; }

private:
    test::TempFolder m_folder;
    std::vector<std::pair<std::string, std::string>> m_environment;
};

// The list without its first field, the id, which an import gives anew.
std::vector<std::string> WithoutIds(const std::string& list) {
    std::vector<std::string> rows;
    for (const std::string& line : Lines(list)) {
        rows.push_back(line.substr(line.find('\t')));
    }
    return rows;
}

TEST(CommandLineTest, AddListExportAndImportIntoAFreshProfileGiveTheSameShipments) {
    const Profile first;
    ASSERT_EQ(first.Run({"--add", "CJ대한통운", "1234-5678-9012", "무선 이어폰"}).code, 0);
    const Outcome detected = first.Run({"--add", "auto", "EE123456785KR", "서류\t두 장\n급함"});
    ASSERT_EQ(detected.code, 0) << detected.err;
    EXPECT_EQ(detected.out, "2\n") << "the new id";
    // A number the courier's rule refuses is added as the editor adds it, with its warning.
    const Outcome unusual = first.Run({"--add", "  한진택배 ", "30000000002"});
    ASSERT_EQ(unusual.code, 0);
    EXPECT_EQ(unusual.err, "parcelo: 송장번호를 다시 확인하십시오: 한진택배의 송장번호 형식에 맞지 않습니다.\n");

    const Outcome list = first.Run({"--list"});
    ASSERT_EQ(list.code, 0) << list.err;
    const std::vector<std::string> lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 3u) << list.out;
    for (const std::string& line : lines) {
        EXPECT_EQ(Fields(line).size(), 7u) << line;
    }
    const std::vector<std::string> ems = Fields(lines[1]);
    EXPECT_EQ(ems[1], "우체국EMS");
    EXPECT_EQ(ems[3], "서류 두 장 급함") << "tabs and line ends kept off the line";

    ASSERT_EQ(first.Run({"--export", first.File("list.json")}).code, 0);
    ASSERT_EQ(first.Run({"--export", first.File("list.csv")}).code, 0);
    EXPECT_EQ(first.Run({"--list", "--json"}).out, Read(first.File("list.json")));

    for (const char* name : {"list.json", "list.csv"}) {
        const Profile fresh;
        const Outcome imported = fresh.Run({"--import", first.File(name)});
        ASSERT_EQ(imported.code, 0) << imported.err;
        EXPECT_EQ(WithoutIds(fresh.Run({"--list"}).out), WithoutIds(list.out)) << name;
        // Importing again only finds duplicates.
        EXPECT_EQ(fresh.Run({"--import", first.File(name)}).code, 0);
        EXPECT_EQ(Lines(fresh.Run({"--list"}).out).size(), 3u);
    }

    ASSERT_EQ(first.Run({"--backup", first.File("backup.edb")}).code, 0);
    SQLite::Database backup(first.File("backup.edb"), SQLite::OPEN_READONLY);
    EXPECT_EQ(backup.execAndGet("SELECT count(*) FROM TRACKDB").getInt(), 3);
}

TEST(CommandLineTest, BadUsageEndsWithTwoAndHelpAndVersionWithZero) {
    const Profile profile;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--list", "extra"},
                                               {"--add", "a", "b", "c", "d"},
                                               {"--list", "--export", "x.csv"},
                                               {"--json"},
                                               {"--export"},
                                               {"--list", "--no-such-option"},
                                               {"--import", "a.csv", "--import", "b.csv"},
                                               // no window for what is not a window option
                                               {"-x"},
                                               {"-list"},
                                               {"foo"},
                                               {"-hv"},
                                               {"-platform", "offscreen", "--bogus"}}) {
        const Outcome outcome = profile.Run(arguments);
        EXPECT_EQ(outcome.code, 2) << arguments.front() << " " << arguments.back();
        EXPECT_NE(outcome.err.find("parcelo: "), std::string::npos) << outcome.err;
    }
    EXPECT_FALSE(fs::exists(profile.Store())) << "bad usage opened the store";

    EXPECT_EQ(profile.Run({"--help"}).code, 0);
    const Outcome version = profile.Run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "parcelo " PARCELO_VERSION "\n");
}

TEST(CommandLineTest, RefusedInputsEndWithOneAndSayWhy) {
    const Profile profile;
    ASSERT_EQ(profile.Run({"--add", "CJ대한통운", "111122223333"}).code, 0);
    const std::vector<std::vector<std::string>> refused{{"--import", profile.File("missing.csv")},
                                                        {"--import", profile.File("")},
                                                        {"--export", profile.File("list.txt")},
                                                        {"--export", profile.File("missing/list.csv")},
                                                        {"--add", "모르는택배", "1"},
                                                        {"--add", "auto", "12"},
                                                        {"--add", "auto", "123456789012"},
                                                        {"--add", "CJ대한통운", std::string(41, '1')},
                                                        {"--add", "cj대한통운", "1111 2222 3333"},
                                                        {"--add", "CJ대한통운", "   "},
                                                        {"--backup", profile.Store().string()}};
    for (const std::vector<std::string>& arguments : refused) {
        const Outcome outcome = profile.Run(arguments);
        EXPECT_EQ(outcome.code, 1) << arguments.front() << " " << arguments.back();
        EXPECT_NE(outcome.err.find("parcelo: "), std::string::npos) << outcome.err;
    }

    // A valid 롯데택배 number is a 12-digit number of two other couriers too.
    EXPECT_NE(profile.Run({"--add", "auto", "234567890126"}).err.find("(후보: 롯데택배, CJ대한통운, 한진택배)"),
              std::string::npos);

    // Bad lines: the summary, the lines, and nothing imported.
    std::ofstream(profile.File("mixed.csv"))
        << "courier,invoiceNumber\nCJ대한통운,222233334444\n없는택배,1\nCJ대한통운," << std::string(41, '2') << "\n";
    const Outcome mixed = profile.Run({"--import", profile.File("mixed.csv")});
    EXPECT_EQ(mixed.code, 1);
    EXPECT_EQ(mixed.out, "") << "nothing was added";
    EXPECT_NE(mixed.err.find("3번째 줄"), std::string::npos) << mixed.err;
    EXPECT_NE(mixed.err.find("4번째 줄: 송장번호가 너무 깁니다"), std::string::npos) << mixed.err;
    EXPECT_EQ(Lines(profile.Run({"--list"}).out).size(), 1u);

    const Outcome full = profile.Run({"--list"}, "/dev/full");
    EXPECT_EQ(full.code, 1) << "a list nobody received";

    const Profile withoutCouriers(PARCELO_SOURCE_DIR "/no-such-folder");
    const Outcome missing = withoutCouriers.Run({"--list"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("INSTALLPATH"), std::string::npos) << missing.err;
}

// --refresh: 1 when off or when nothing due could be checked, 0 when nothing is due.
TEST(CommandLineTest, RefreshRunsOnlyWhenTurnedOnAndFailsWhenNothingCouldBeChecked) {
    const Profile profile;
    const Outcome off = profile.Run({"--refresh"});
    EXPECT_EQ(off.code, 1);
    EXPECT_FALSE(fs::exists(profile.Store())) << "nothing is even opened";

    std::ofstream(profile.File("config/VELDAN/Parcelo.conf"), std::ios::app)
        << "[STATUS]\nENABLED=1\nENDPOINT=http://127.0.0.1:9/graphql\n";
    const Outcome nothingDue = profile.Run({"--refresh"});
    EXPECT_EQ(nothingDue.code, 0) << nothingDue.err;

    ASSERT_EQ(profile.Run({"--add", "CJ대한통운", "123456789012", "책"}).code, 0);
    const Outcome offline = profile.Run({"--refresh"});
    EXPECT_EQ(offline.code, 1);
    EXPECT_EQ(profile.Run({"--refresh", "--list"}).code, 2);
}

// Without the plugin of the status services --refresh says so and ends with 1, having
// touched nothing.
TEST(CommandLineTest, RefreshWithoutItsPluginSaysSoAndTouchesNothing) {
    Profile profile;
    std::ofstream(profile.File("config/VELDAN/Parcelo.conf"), std::ios::app) << "[STATUS]\nENABLED=1\n";
    profile.SetEnvironment("PARCELO_PLUGIN_DIR", profile.File("no-plugins"));
    const Outcome missing = profile.Run({"--refresh"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("배송 상태를 확인할 수 없습니다"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("status-services.so"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());
    EXPECT_FALSE(fs::exists(profile.Store()));
}

} // namespace
} // namespace parcelo
