#include "config/TempFolder.h"
#include "status/FakeTrackingServer.h"
#include "support/BarcodeImages.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <SQLiteCpp/Database.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace parcelo {
namespace {

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using Arguments = std::vector<std::string>;
using namespace std::string_literals;

struct Outcome {
    int code = -1;
    std::string out, err;
};

QStringList Lines(const std::string& text) {
    return QString::fromStdString(text).split(u'\n', Qt::SkipEmptyParts);
}

// The list without its first field, the id, which an import gives anew.
QStringList WithoutIds(const std::string& list) {
    return Lines(list).replaceInStrings(QRegularExpression("^\\d+\t"), QString());
}

// A profile of its own (data, settings, the sample courier list) for the real program.
class Profile {
public:
    explicit Profile(const fs::path& installPath = PARCELO_SOURCE_DIR "/res") {
        fs::create_directories(m_folder.Path() / "config" / "VELDAN");
        Configure("[SETTINGS]\nINSTALLPATH=" + installPath.string() + "\n");
        m_environment.remove("LC_ALL"); // the program speaks Korean unless a test sets an English locale
        m_environment.remove("LC_MESSAGES");
        for (const std::string& setting : {"XDG_DATA_HOME=" + File("data"), "XDG_CONFIG_HOME=" + File("config"),
                                           "XDG_CONFIG_DIRS=" + File("none"), "TZ=KST-9"s, "LANG=C.UTF-8"s}) {
            Set(setting);
        }
    }

    // Runs the program; its standard output goes to `output` when one is given. A test's
    // tracking service answers meanwhile, in this process's event loop.
    Outcome Run(const Arguments& arguments, const std::string& output = {}) const {
        QStringList list;
        std::ranges::transform(arguments, std::back_inserter(list), &QString::fromStdString);
        QProcess program;
        program.setProcessEnvironment(m_environment);
        program.setStandardInputFile(QProcess::nullDevice());
        program.setStandardOutputFile(QString::fromStdString(output)); // none when empty
        program.start(PARCELO_PROGRAM, list);
        while (program.state() != QProcess::NotRunning && !program.waitForFinished(5)) {
            QCoreApplication::processEvents();
        }
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                program.readAllStandardOutput().toStdString(), program.readAllStandardError().toStdString()};
    }

    // Runs the program and checks its exit code, that its errors hold `told` and that its output is `out`.
    Outcome Expect(const Arguments& arguments, int code,
                   const std::string& told = "parcelo: ", const std::string& out = "") const {
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.code, code) << arguments.front() << " " << arguments.back() << ": " << outcome.err;
        EXPECT_THAT(outcome.err, HasSubstr(told)) << arguments.back();
        EXPECT_EQ(outcome.out, out) << arguments.back();
        return outcome;
    }
    // The words of `line`, an argument each, a leading @ standing for this profile's folder.
    Arguments Words(const std::string& line) const {
        Arguments words;
        std::istringstream in(line);
        for (std::string word; in >> word;) {
            words.push_back(word.starts_with('@') ? File(word.substr(1)) : word);
        }
        return words;
    }
    // Sets an environment variable of the program's, given as NAME=value.
    void Set(const std::string& variable) {
        const QString text = QString::fromStdString(variable);
        m_environment.insert(text.section(u'=', 0, 0), text.section(u'=', 1));
    }
    void Configure(const std::string& lines) const {
        std::ofstream(File("config/VELDAN/Parcelo.conf"), std::ios::app) << lines;
    }
    std::string File(const std::string& name) const { return (m_folder.Path() / name).string(); }
    fs::path Store() const { return m_folder.Path() / "data" / "VELDAN" / "Parcelo" / "VELDAN.EDB"; }

private:
    test::TempFolder m_folder;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

// A grey image as a binary PGM file, which the program reads as any image.
void WritePgm(const std::string& file, const test::GreyImage& image) {
    std::ofstream out(file, std::ios::binary);
    out << "P5\n" << image.width << ' ' << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
}

// Added, listed, exported and imported into a fresh profile, the shipments are the same.
TEST(CommandLineTest, ShipmentsTravelWholeAndEachOutcomeHasItsExitCode) {
    Profile profile;
    // Each prints the new id; a number the courier's rule refuses is added as the editor adds it, with its warning.
    profile.Expect({"--add", "CJ대한통운", "1234-5678-9012", "무선 이어폰"}, 0, "", "1\n");
    profile.Expect({"--add", "auto", "EE123456785KR", "서류\t두 장\n급함"}, 0, "", "2\n");
    EXPECT_EQ(profile.Expect({"--add", "  한진택배 ", "30000000002"}, 0, "", "3\n").err,
              "parcelo: 송장번호를 다시 확인하십시오: 한진택배의 송장번호 형식에 맞지 않습니다.\n");

    const Outcome list = profile.Run({"--list"});
    ASSERT_EQ(list.code, 0) << list.err;
    const QStringList lines = Lines(list.out);
    ASSERT_EQ(lines.size(), 3) << list.out;
    EXPECT_EQ(std::ranges::count(list.out, '\t'), 3 * 6) << "seven fields a line";
    EXPECT_EQ(lines[1].section(u'\t', 1, 1), "우체국EMS");
    EXPECT_EQ(lines[1].section(u'\t', 3, 3), "서류 두 장 급함") << "tabs and line ends kept off the line";

    for (const char* name : {"list.json", "list.csv"}) {
        ASSERT_EQ(profile.Run({"--export", profile.File(name)}).code, 0);
        const Profile fresh;
        for (int again = 0; again < 2; ++again) { // the second time: only duplicates
            EXPECT_EQ(fresh.Run({"--import", profile.File(name)}).code, 0) << name;
            EXPECT_EQ(WithoutIds(fresh.Run({"--list"}).out), WithoutIds(list.out)) << name;
        }
    }
    std::ifstream json(profile.File("list.json"), std::ios::binary);
    EXPECT_EQ(profile.Run({"--list", "--json"}).out, std::string(std::istreambuf_iterator<char>(json), {}));

    ASSERT_EQ(profile.Run({"--backup", profile.File("backup.edb")}).code, 0);
    SQLite::Database backup(profile.File("backup.edb"), SQLite::OPEN_READONLY);
    EXPECT_EQ(backup.execAndGet("SELECT count(*) FROM TRACKDB").getInt(), 3);

    // Bad usage ends with 2, input refused with 1 and a scan without numbers with 3, each saying
    // why, and adds nothing. --scan prints each number of an image's barcodes with the couriers
    // it fits, without a window or a display; nothing here opens one.
    profile.Set("QT_QPA_PLATFORM=no-such-platform");
    profile.Set("DISPLAY=");
    profile.Set("WAYLAND_DISPLAY=");
    test::GreyImage label(1200, 900, 255);
    test::Place(label, test::Encode(ZXing::BarcodeFormat::QRCode, "https://t.example/?n=EE123456785KR", 200, 200),
                {.centreX = 300, .centreY = 200, .degrees = 20});
    // The invoice number twice, as labels print it, the second time sideways.
    const test::GreyImage number = test::Encode(ZXing::BarcodeFormat::Code128, "640123456789", 500, 120);
    test::Place(label, number, {.centreX = 600, .centreY = 500});
    test::Place(label, number, {.centreX = 1000, .centreY = 600, .degrees = 90});
    WritePgm(profile.File("label.pgm"), label);
    test::GreyImage blank(800, 400, 255);
    test::Place(blank, test::Encode(ZXing::BarcodeFormat::Code128, "ORDER-7", 400, 100),
                {.centreX = 400, .centreY = 200});
    WritePgm(profile.File("blank.pgm"), blank);
    std::ofstream(profile.File("huge.pgm")) << "P5\n9000 9000\n255\n";
    std::ofstream(profile.File("text.png")) << "not an image\n";
    // Bad lines: the summary, the lines, and nothing imported.
    std::ofstream(profile.File("mixed.csv"))
        << "courier,invoiceNumber\nCJ대한통운,222233334444\n없는택배,1\nCJ대한통운," << std::string(41, '2') << "\n";

    // Bad usage, a window option among it, opens no window either.
    for (const char* bad : {"--list extra", "--add a b c d", "--list --export x.csv", "--json", "--export",
                            "--list --no-such-option", "--import a.csv --import b.csv", "--scan", "--scan a.png --list",
                            "--refresh --list", "-x", "-list", "foo", "-hv", "-platform offscreen --bogus"}) {
        profile.Expect(profile.Words(bad), 2);
    }
    for (const char* refused :
         {"--import @missing.csv", "--import @", "--export @list.txt", "--export @missing/list.csv",
          "--add 모르는택배 1", "--add auto 12", "--add auto 123456789012", "--backup @data/VELDAN/Parcelo/VELDAN.EDB",
          "--scan @missing.png", "--scan @huge.pgm", "--scan @text.png"}) {
        profile.Expect(profile.Words(refused), 1);
    }
    profile.Expect({"--add", "CJ대한통운", std::string(41, '1')}, 1);
    profile.Expect({"--add", "CJ대한통운", "   "}, 1);
    profile.Expect({"--add", "cj대한통운", "1234 5678 9012"}, 1, "이미 등록된 송장번호입니다"); // the first again
    profile.Expect({"--version"}, 0, "", "parcelo " PARCELO_VERSION "\n");
    // A valid 롯데택배 number is a 12-digit number of two other couriers too.
    profile.Expect({"--add", "auto", "234567890126"}, 1, "(후보: 롯데택배, CJ대한통운, 한진택배)");
    EXPECT_THAT(profile.Expect(profile.Words("--import @mixed.csv"), 1, "3번째 줄").err,
                HasSubstr("4번째 줄: 송장번호가 너무 깁니다"));
    profile.Expect(profile.Words("--scan @label.pgm"), 0, "",
                   "EE123456785KR\t우체국EMS\n640123456789\tCJ대한통운, 한진택배\n");
    profile.Expect(profile.Words("--scan @blank.pgm"), 3, "바코드에 송장번호가 없습니다");
    EXPECT_EQ(profile.Run({"--list"}).out, list.out);
    EXPECT_EQ(profile.Run({"--list"}, "/dev/full").code, 1) << "a list nobody received";

    const Profile withoutCouriers(PARCELO_SOURCE_DIR "/no-such-folder");
    withoutCouriers.Expect({"--list"}, 1, "INSTALLPATH");
    EXPECT_FALSE(fs::exists(withoutCouriers.Store())) << "no store is made for a program that cannot run";
    EXPECT_EQ(withoutCouriers.Run({"--backup", withoutCouriers.File("copy.edb")}).code, 0) << "needs no couriers";

    // The usage and its errors, Qt's own words among them, follow the locale as the window
    // does; bad usage does not even open the store.
    for (const auto& [variable, english] : {std::pair{"LANG=en_US.UTF-8", true},
                                            {"LC_MESSAGES=en_GB.UTF-8", true},
                                            {"LANG=ko_KR.UTF-8", false},
                                            {"LC_ALL=C", false}}) {
        SCOPED_TRACE(variable);
        Profile local;
        local.Set(english ? "LANG=ko_KR.UTF-8" : "LANG=en_US.UTF-8"); // the variable wins over it
        local.Set(variable);
        const Outcome help = local.Run({"--help"});
        EXPECT_EQ(help.code, 0);
        for (const std::string& text : english ? Arguments{"Usage:", "Shows this help.", "Exit codes:"}
                                               : Arguments{"사용 방법:", "이 도움말을 보입니다.", "종료 코드:"}) {
            EXPECT_THAT(help.out, HasSubstr(text));
        }
        EXPECT_EQ(local.Run({"--list", "extra"}).err,
                  english ? "parcelo: Unknown argument: extra\nSee 'parcelo --help'.\n"
                          : "parcelo: 알 수 없는 인수: extra\n'parcelo --help'를 참고하십시오.\n");
        EXPECT_FALSE(fs::exists(local.Store())) << "bad usage opened the store";
    }
}

// --refresh ends with 1, having touched nothing, when it is off or its plugin is missing,
// and when nothing due could be checked; with 0 when nothing is due, unless its result line
// could not be written. A timer's run takes the key from systemd's credential or from an
// owner-only PARCELO_KEY_FILE, exchanges it for an OAuth2 token, and sends nothing without a key.
TEST(CommandLineTest, RefreshRunsOnlyWhenItCanAndTakesItsKeyFromAFile) {
    Profile offline;
    EXPECT_EQ(offline.Run({"--refresh"}).code, 1) << "off";
    EXPECT_FALSE(fs::exists(offline.Store())) << "nothing is even opened";
    offline.Configure("[STATUS]\nENABLED=1\nENDPOINT=http://127.0.0.1:9/graphql\n");
    offline.Set("PARCELO_PLUGIN_DIR=" + offline.File("no-plugins"));
    EXPECT_THAT(offline.Expect({"--refresh"}, 1, "배송 상태를 확인할 수 없습니다").err,
                HasSubstr("status-services.so"));
    EXPECT_FALSE(fs::exists(offline.Store())) << "nothing touched";
    offline.Set("PARCELO_PLUGIN_DIR="); // the program's own plugin folders
    EXPECT_EQ(offline.Run({"--refresh"}).code, 0) << "nothing due";
    EXPECT_EQ(offline.Run({"--refresh"}, "/dev/full").code, 1) << "a result nobody received";
    ASSERT_EQ(offline.Run({"--add", "CJ대한통운", "123456789012", "책"}).code, 0);
    EXPECT_EQ(offline.Run({"--refresh"}).code, 1) << "offline";

    test::FakeTrackingServer service;
    service.SetTokenAnswer({200, R"({"access_token":"tok","token_type":"Bearer","expires_in":3600})"});
    service.SetFallback({200, R"({"data":{"track":{"lastEvent":{"time":"2026-12-06T14:03:00+09:00",)"
                              R"("status":{"code":"IN_TRANSIT","name":"이동중"},"description":"",)"
                              R"("location":null},"events":{"edges":[]}}}})"});
    Profile profile;
    profile.Configure("[STATUS]\nENABLED=1\nAUTH=oauth2\nENDPOINT=" + service.Url().toString().toStdString() +
                      "\nTOKENURL=" + service.TokenUrl().toString().toStdString() + "\n");
    ASSERT_EQ(profile.Run({"--add", "CJ대한통운", "123456789012", "책"}).code, 0);
    const std::string keyFile = profile.File("key");
    std::ofstream(keyFile) << "file-id : file-secret\n";
    ASSERT_EQ(chmod(keyFile.c_str(), 0644), 0);
    for (const char* told : {"키가 없어", "chmod 600"}) {
        profile.Expect({"--refresh"}, 1, told);
        profile.Set("PARCELO_KEY_FILE=" + keyFile);
    }
    EXPECT_EQ(service.Requests() + service.TokenRequests(), 0) << "nothing asked without a key";
    ASSERT_EQ(chmod(keyFile.c_str(), 0600), 0);
    const Outcome fromFile = profile.Run({"--refresh"});
    EXPECT_EQ(fromFile.code, 0) << fromFile.err;
    EXPECT_EQ(std::pair(service.TokenRequests(), service.Requests()), std::pair(1, 1));
    EXPECT_THAT(service.LastTokenRequest().toStdString(),
                EndsWith("grant_type=client_credentials&client_id=file-id&client_secret=file-secret"));
    EXPECT_EQ(service.LastAuthorization(), "Bearer tok");

    // systemd's credential comes before the file named by PARCELO_KEY_FILE.
    std::ofstream(profile.File("parcelo-key")) << "cred-id:cred:secret";
    profile.Set("CREDENTIALS_DIRECTORY=" + profile.File(""));
    ASSERT_EQ(profile.Run({"--add", "CJ대한통운", "123456789013", "책"}).code, 0);
    EXPECT_EQ(profile.Run({"--refresh"}).code, 0);
    EXPECT_EQ(service.TokenRequests(), 2);
    EXPECT_THAT(service.LastTokenRequest().toStdString(), EndsWith("client_id=cred-id&client_secret=cred%3Asecret"));
}

} // namespace
} // namespace parcelo
