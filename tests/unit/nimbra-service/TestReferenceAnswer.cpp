// The reference service's plain parts: its configuration, its command line, the
// handshake answer it builds from them, and the update it signs and serves.

#include "service/Cipher.h"
#include "tests/support/TempDir.h"
#include "tools/nimbra-service/Answer.h"
#include "tools/nimbra-service/CommandLine.h"
#include "tools/nimbra-service/UpdateFile.h"

#include <sodium.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace nimbra_service;

namespace {

constexpr std::string_view kGoodQuery =
    "id=123456789012345678901234&productid=1&sn=&version=1.3369&language=1033&i=0ABCDEF12";

std::string parseError(const std::string& text)
{
    std::string error;
    EXPECT_FALSE(parseConfig(text, "f", error)) << text;
    return error;
}

std::string queryWith(const std::string& field, const std::string& value)
{
    std::string query(kGoodQuery);
    const std::size_t at = query.find(field + "=") + field.size() + 1;
    return query.replace(at, query.find('&', at) - at, value);
}

} // namespace

TEST(ServiceConfig, EveryNameReadWithCommentsBlanksTabsAndCrLf)
{
    std::string error;
    const auto config =
        parseConfig("# exits\r\n\n exit = 10.0.0.1\t1 \nexit=exit.example 7\nport = 1081\n"
                    "user = a user\nkey = k=ey#1\ncipher = q\nservice-not-available = 1\n"
                    "newest-version = 2.0.1\nupdate-file = /srv/u.bin\nupdate-signing-key = 00" +
                        std::string(60, '0') + "1F",
                    "f", error);
    ASSERT_TRUE(config) << error;
    ASSERT_EQ(config->exits.size(), 2u);
    EXPECT_EQ(config->exits[0].host + " " + config->exits[1].host, "10.0.0.1 exit.example");
    EXPECT_EQ(config->exits[0].country * 10 + config->exits[1].country, 17);
    EXPECT_EQ(config->user + "|" + config->key + "|" + std::to_string(config->port), "a user|k=ey#1|1081");
    EXPECT_EQ(config->cipher + config->newestVersion + config->updateFile, "q2.0.1/srv/u.bin");
    EXPECT_TRUE(config->serviceNotAvailable);
    ASSERT_TRUE(config->updateSigningSeed);
    EXPECT_EQ((*config->updateSigningSeed)[31], 0x1F);

    const ServiceConfig demo = demoConfig();
    ASSERT_EQ(demo.exits.size(), 2u);
    EXPECT_EQ(demo.exits[0].host + " " + demo.exits[1].host, "127.0.0.2 127.0.0.3");
    EXPECT_EQ(demo.exits[0].country * 10 + demo.exits[1].country, 21);
    EXPECT_EQ(demo.user + "|" + demo.key + "|" + std::to_string(demo.port), "nimbra|nimbra-demo|1080");
    EXPECT_EQ(demo.cipher + demo.newestVersion, "n1.33");
}

TEST(ServiceConfig, FaultsNameTheLineAndTheProblem)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"colour = blue", "f:4: unknown name 'colour'"},
        {"just words", "f:4: expected 'name = value'"},
        {"user2 =", "f:4: 'user2' has no value"},
        {"port = 2", "f:4: 'port' given again (first on line 1)"},
        {"exit = 1.2.3.4", "f:4: 'exit' must be HOST COUNTRY, COUNTRY a number"},
        {"exit = " + std::string(256, 'h') + " 1", "f:4: the exit's host is longer than 255 bytes"},
        {"cipher = N", "f:4: 'cipher' must be one lower-case letter a..z"},
        {"service-not-available = yes", "f:4: 'service-not-available' must be 0 or 1"},
        {"newest-version = 1..3", "f:4: 'newest-version' must be digits joined by dots, such as 1.33"},
        {"update-signing-key = " + std::string(62, 'a') + "xy",
         "f:4: 'update-signing-key' must be 64 hex digits"},
        {"exit = a\x01 1", "f:4: control character in the line"},
    };
    for (const auto& [line, message] : cases) {
        // The line after a complete configuration; port and exit must not stop it early.
        EXPECT_EQ(parseError("port = 1\nuser = u\nkey = k\n" + line), message);
    }
    for (const std::string port : {"0", "65536", "-1", "80x"}) {
        EXPECT_EQ(parseError("port = " + port), "f:1: 'port' must be a number 1..65535");
    }
    EXPECT_EQ(parseError("port = 1\nuser = a\tb\n"), "f:2: 'user' holds a control character");
    EXPECT_EQ(parseError("port = 1\nuser = " + std::string(256, 'u')),
              "f:2: 'user' is longer than 255 bytes");
    EXPECT_EQ(parseError("port = 1\nuser = u\n"), "f: no 'key' line");
}

TEST(ServiceConfig, FilesAreBoundedAndTheirUpdateFileFoundBesideThem)
{
    TempDir dir;
    std::string error;
    const auto config = loadConfigFile(
        dir.writeFile("service.conf", "port = 1\nuser = u\nkey = k\nupdate-file = up/n.bin\n"), error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->updateFile, dir.file("up/n.bin"));

    EXPECT_FALSE(loadConfigFile(dir.file("missing.conf"), error));
    EXPECT_EQ(error.rfind(dir.file("missing.conf") + ": cannot be read", 0), 0u) << error;
    EXPECT_FALSE(loadConfigFile(dir.path(), error));
    EXPECT_FALSE(loadConfigFile(dir.writeFile("big.conf", std::string(1024 * 1024 + 1, '#')), error));
    EXPECT_EQ(error, dir.file("big.conf") + ": larger than 1 MiB, too large for a configuration file");
}

TEST(ServiceAnswer, TheExitsEncipheredWithTheConfiguredKey)
{
    ServiceConfig config = demoConfig();
    config.cipher = "q";
    config.exits.push_back({"exit.example", 9});
    const auto secret = [](const std::string& value) { return DecodeValue(value, "q"); };
    EXPECT_EQ(handshakeAnswer(config, kGoodQuery),
              "B=1\r\nServiceNotAvailable=0\r\nC=3\r\nP=" + secret("1080") + "\r\nU=" + secret("nimbra") +
                  "\r\nK=" + secret("nimbra-demo") + "\r\nH1=" + secret("127.0.0.2") + "\r\nL1=2\r\nH2=" +
                  secret("127.0.0.3") + "\r\nL2=1\r\nH3=" + secret("exit.example") + "\r\nL3=9\r\nE=1\r\n");
    EXPECT_NE(secret("127.0.0.2"), "127.0.0.2");

    config.serviceNotAvailable = true;
    config.exits.clear();
    EXPECT_EQ(handshakeAnswer(config, kGoodQuery).substr(0, 35), "B=1\r\nServiceNotAvailable=1\r\nC=0\r\nP=");
}

TEST(ServiceAnswer, NewVersionOnlyForAnOlderProgram)
{
    const ServiceConfig config = demoConfig(); // newest 1.33, asked for as 1.3369
    for (const std::string older : {"1.3368", "1.33", "1.3368.99"}) {
        EXPECT_NE(handshakeAnswer(config, queryWith("version", older)).find("\r\nNewVersion=1\r\n"),
                  std::string::npos)
            << older;
    }
    for (const std::string same : {"1.3369", "01.03369.0", "1.3370", "1.99999999999999999999999"}) {
        EXPECT_EQ(handshakeAnswer(config, queryWith("version", same)).find("NewVersion"), std::string::npos)
            << same;
    }
}

TEST(ServiceAnswer, AQueryNotTheProgramsGetsNoMarkers)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {queryWith("id", "12345678901234567890123x"), "id"},
        {queryWith("productid", "2"), "productid"},
        {queryWith("version", "1..3369"), "version"},
        {queryWith("language", "10%33"), "language"},
        {queryWith("i", "3ABCDEF12"), "i"},
        {queryWith("i", "0abcdef12"), "i"},
        {queryWith("i", "0ABCDEF123"), "i"},
        {std::string(kGoodQuery) + "&id=123456789012345678901234", "id"},
        {"productid=1&version=1.3369&language=1033&i=0ABCDEF12", "id"},
    };
    for (const auto& [query, field] : cases) {
        EXPECT_EQ(handshakeAnswer(demoConfig(), query), "Error=bad request: " + field + "\r\n") << query;
    }
    // The fields in any order, with others beside them, are still the program's.
    EXPECT_EQ(handshakeAnswer(demoConfig(), "i=2FFFFFFFF&x=%&language=1&version=1.3369&productid=1&id=" +
                                                std::string(24, '0'))
                  .substr(0, 5),
              "B=1\r\n");
}

TEST(ServiceCommandLine, ListenAddressesAndFaults)
{
    std::string error;
    const auto parse = [&error](std::vector<std::string_view> args) { return parseCommandLine(args, error); };
    const auto given = parse({"--config", "c.conf", "--listen", "[::1]:0"});
    ASSERT_TRUE(given);
    EXPECT_EQ(given->host + " " + std::to_string(given->port) + " " + given->configFile, "::1 0 c.conf");
    for (const std::string_view bad : {"127.0.0.1", "127.0.0.1:", ":80", "127.0.0.1:65536"}) {
        EXPECT_FALSE(parse({"--listen", bad})) << bad;
    }
    EXPECT_FALSE(parse({"--config"}));
    EXPECT_EQ(error, "--config needs a value");

    const auto signing = parse({"--sign", "nimbra.exe", "--config", "release.conf"});
    ASSERT_TRUE(signing);
    EXPECT_EQ(signing->signFile + " " + signing->configFile, "nimbra.exe release.conf");
    EXPECT_TRUE(parse({"--public-key"})->publicKey);
    EXPECT_FALSE(parse({"--sign", "nimbra.exe", "--public-key"}));
    EXPECT_EQ(error, "--sign and --public-key are separate commands");
}

TEST(UpdateSigning, TheDemoSeedSignsForTheProgramsBuiltInKeyOverEveryByte)
{
    const SigningSeed demoSeed = updateSigningSeedOf(ServiceConfig{});
    EXPECT_EQ(demoSeed, updateSigningSeedOf(demoConfig()));
    const PublicKey publicKey = publicKeyOf(demoSeed);
    // What the program is built with unless NIMBRA_UPDATE_PUBLIC_KEY says otherwise.
    EXPECT_EQ(toHex(publicKey), "03a107bff3ce10be1d70dd18e74bc09967e4d6309ba50d5f1ddc8664125531b8");

    const auto verifies = [&publicKey](const Signature& signature, std::string_view signed_) {
        return crypto_sign_verify_detached(signature.data(),
                                           reinterpret_cast<const unsigned char*>(signed_.data()),
                                           signed_.size(), publicKey.data()) == 0;
    };
    std::string bytes = std::string(50'000, '\0') + std::string(50'000, 'u');
    const Signature signature = sign(bytes, demoSeed);
    EXPECT_TRUE(verifies(signature, bytes));
    EXPECT_FALSE(verifies(signature, std::string_view(bytes).substr(0, bytes.size() - 1)));
    bytes[bytes.size() / 2] ^= 1;
    EXPECT_FALSE(verifies(signature, bytes));
}

TEST(UpdateFile, ReadWholeAndRefusedWhenNoUpdate)
{
    TempDir dir;
    std::string error;
    ServiceConfig config;
    config.updateFile = dir.writeFile("nimbra.exe", std::string("MZ\0\xff\r\n", 6));
    const auto update = loadSignedUpdate(config, error);
    ASSERT_TRUE(update) << error;
    EXPECT_EQ(update->bytes, std::string("MZ\0\xff\r\n", 6));

    const std::string empty = dir.writeFile("empty.exe", "");
    EXPECT_FALSE(readUpdateFile(empty, error));
    EXPECT_EQ(error, empty + ": is empty, not an update");
    const std::string huge = dir.writeFile("huge.exe", "MZ");
    std::filesystem::resize_file(huge, kMaxUpdateSize + 1); // sparse: costs no disk
    EXPECT_FALSE(readUpdateFile(huge, error));
    EXPECT_EQ(error, huge + ": larger than 256 MiB, too large for an update");
}

TEST(UpdateFile, TheSignatureFileIsWrittenBesideTheUpdateOrNotAtAll)
{
    TempDir dir;
    std::string error;
    const Signature signature = sign("release", SigningSeed{});
    const auto written = writeSignatureFile(dir.file("nimbra.exe"), signature, error);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(*written, dir.file("nimbra.exe.sig"));
    EXPECT_EQ(fileContent(*written), std::string(signature.begin(), signature.end()));

    // A folder in the way stays as it was.
    const std::string folder = dir.makeFolder("other.exe.sig");
    EXPECT_FALSE(writeSignatureFile(dir.file("other.exe"), signature, error));
    EXPECT_EQ(error, folder + ": cannot be written: Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}
