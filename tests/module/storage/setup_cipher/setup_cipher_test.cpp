// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "storage/SetupCipher.h"
#include "kel_test/test_support.h"

namespace {

QString InFolder(const QString& name) { return kel_test::ProgramFolder() + "/" + name; }

std::string Encrypt(const std::string& plain) {
    std::string out;
    EXPECT_TRUE(SetupCipher::GetInstance()->EncryptString(out, plain));
    return out;
}

// Writes `xml` enciphered under the setup-file pair, as "DESetup.xml" is stored.
void WriteSetupFile(const QString& path, const QString& xml) {
    ScopedCipherKeys fileKeys(SetupFileCipherKeys());
    ASSERT_TRUE(kel_test::WriteFile(path, QByteArray::fromStdString(Encrypt(xml.toStdString()))));
}

bool SameKeys(const SetupCipherKeys& a, const SetupCipherKeys& b) { return a.key == b.key && a.iv == b.iv; }

// Each test starts and ends with the default pair in force.
class SetupCipherTest : public ::testing::Test {
protected:
    void SetUp() override { SetupCipher::GetInstance()->SwapKeys(DefaultCipherKeys()); }
    void TearDown() override { SetupCipher::GetInstance()->SwapKeys(DefaultCipherKeys()); }
};

// ---- cipher ----------------------------------------------------------------------

TEST_F(SetupCipherTest, RoundTripsUnderOnePairAndNotUnderAnother) {
    const std::vector<std::string> texts = {
        "", "k", "AIzaSyD-map-service-key-0123456789", "Stra\xc3\x9f" "e \xe5\x9c\xb0\xe5\x9b\xbe",
        std::string(700, 'x'), std::string(5000, '\x01'),  // beyond the sizes the format was made for
    };
    SetupCipher* c = SetupCipher::GetInstance();
    for (const std::string& plain : texts) {
        const std::string cipher = Encrypt(plain);
        EXPECT_NE(plain, cipher);
        std::string back = "untouched";
        ASSERT_TRUE(c->DecryptString(back, cipher)) << plain.size();
        EXPECT_EQ(plain, back);

        ScopedCipherKeys other(SetupFileCipherKeys());
        std::string wrong;
        EXPECT_FALSE(c->DecryptString(wrong, cipher) && wrong == plain) << plain.size();
    }
}

TEST_F(SetupCipherTest, BuiltInPairsGiveTheSameTextsAsBefore) {
    // Files written by earlier runs must still read: the pairs never change.
    std::string plain;
    ASSERT_TRUE(SetupCipher::GetInstance()->DecryptString(plain, "WK+dAZgjioj3ylMJfnU5OpBJjENCkPYrnmiZPoULKXc="));
    EXPECT_EQ("map-key-123", plain);
    EXPECT_EQ("WK+dAZgjioj3ylMJfnU5OpBJjENCkPYrnmiZPoULKXc=", Encrypt("map-key-123"));

    const QString path = InFolder("old.xml");
    ASSERT_TRUE(kel_test::WriteFile(path, "zZ3Br4QK52TgDfQSBxMgv0C3MUdPmlpllupqCKQecjVFDurjo1JG0jyfgonDum4/akESKDG6N7QJ/"
                                          "6kwi0KyQRqfnayVVZNtRRgSSL3CjuQ=\n"));
    EXPECT_EQ("<DESetup><Segments><a>1</a></Segments></DESetup>", ReadDecipheredFile(path));
}

TEST_F(SetupCipherTest, RefusesBadInputAndLeavesTheOutputAlone) {
    SetupCipher* c = SetupCipher::GetInstance();
    const std::string notCipher = std::string("QUJD");  // Base64, but 3 bytes: no cipher block
    const std::string plainB64 = QByteArray("plain text").toBase64().toStdString();
    for (const std::string& in : {std::string(""), std::string("not base64 !!"), notCipher, plainB64}) {
        std::string out = "kept";
        EXPECT_FALSE(c->DecryptString(out, in)) << in;
        EXPECT_EQ("kept", out);
    }
    // A pair of the wrong size is refused instead of being read past its end.
    ScopedCipherKeys shortPair(SetupCipherKeys{"short", "iv"});
    std::string out = "kept";
    EXPECT_FALSE(c->EncryptString(out, "text"));
    EXPECT_FALSE(c->DecryptString(out, "WK+dAZgjioj3ylMJfnU5OpBJjENCkPYrnmiZPoULKXc="));
    EXPECT_EQ("kept", out);
}

TEST_F(SetupCipherTest, ScopedKeysPutThePreviousPairBack) {
    SetupCipher* c = SetupCipher::GetInstance();
    const SetupCipherKeys mine{"0123456789ABCDEF", "FEDCBA9876543210"};
    {
        ScopedCipherKeys scoped(mine);
        EXPECT_TRUE(SameKeys(mine, c->CurrentKeys()));
        {
            ScopedCipherKeys inner(SetupFileCipherKeys());
            EXPECT_TRUE(SameKeys(SetupFileCipherKeys(), c->CurrentKeys()));
        }
        EXPECT_TRUE(SameKeys(mine, c->CurrentKeys()));
    }
    EXPECT_TRUE(SameKeys(DefaultCipherKeys(), c->CurrentKeys()));
    EXPECT_TRUE(SameKeys(DefaultCipherKeys(), c->SwapKeys(mine)));
    EXPECT_TRUE(SameKeys(mine, c->CurrentKeys()));
}

TEST(SetupCipher, OneInstanceForEveryThread) {
    std::vector<std::thread> threads;
    std::vector<SetupCipher*> seen(8, nullptr);
    std::vector<DESetupConfig*> configs(8, nullptr);
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            seen[i] = SetupCipher::GetInstance();
            configs[i] = DESetupConfig::instance();
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(1u, std::set<SetupCipher*>(seen.begin(), seen.end()).size());
    EXPECT_EQ(1u, std::set<DESetupConfig*>(configs.begin(), configs.end()).size());
}

// ---- digests and derivation ------------------------------------------------------------

std::string Hex(const uint8_t* d, int n) {
    std::string s;
    char b[3];
    for (int i = 0; i < n; ++i) {
        snprintf(b, sizeof b, "%02X", d[i]);
        s += b;
    }
    return s;
}

TEST(IteratedSha256, WorkedValues) {
    struct Case {
        int count;
        const char* digest;
    } cases[] = {
        {1, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        {0, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        {2, "4F671028986FEA052075FF8C08FC1A0E7741CC60DA6607BF0A8F8882465E79AF"},
        {100, "3DE80BA316688F7680EFDC6D87CD11C71816E7967F46370421B7FC7415343D60"},
    };
    for (const Case& c : cases) {
        uint8_t d[32];
        IteratedSha256("abc", c.count, d);
        EXPECT_EQ(c.digest, Hex(d, 32)) << c.count;
    }
}

const QStringList kSegments = {"6F9619FF8B86D011B42D00C04FC964FF", "0F1E2D3C4B5A69788796A5B4C3D2E1F0",
                               "A1B2C3D4E5F60718293A4B5C6D7E8F90", "00000000000000000000000000000001"};

TEST(DeriveSegmentKeys, WorkedValueAndCounts) {
    SetupCipherKeys k;
    ASSERT_TRUE(DeriveSegmentKeys(kSegments, &k));
    EXPECT_EQ("26831DEE5F42BF8F", k.key);
    EXPECT_EQ("401FD0565C03E7EB", k.iv);
    SetupCipherKeys untouched{"a", "b"};
    EXPECT_FALSE(DeriveSegmentKeys(kSegments.mid(0, 3), &untouched));
    EXPECT_FALSE(DeriveSegmentKeys(kSegments + QStringList{"x"}, &untouched));
    EXPECT_EQ("a", untouched.key);
}

// ---- DESetup.xml ---------------------------------------------------------------------

QString SetupXml(const QString& segments) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DESetup><Version>4.3</Version>" + segments + "</DESetup>";
}

TEST_F(SetupCipherTest, LoadDerivesThePairFromFourSegmentValuesInDocumentOrder) {
    // Two "Segments" elements of two values each count as four.
    const QString path = InFolder("DESetup.xml");
    WriteSetupFile(path, SetupXml("<Segments><A>" + kSegments[0] + "</A><B>" + kSegments[1] +
                                  "</B></Segments><segments><X>ignored</X></segments><Segments><C>" + kSegments[2] +
                                  "</C><D>" + kSegments[3] + "</D></Segments>"));
    DESetupConfig config;
    ASSERT_TRUE(config.Load(path));
    EXPECT_EQ(kSegments, config.Segments());
    EXPECT_EQ("26831DEE5F42BF8F", config.GetKeys().key);
    EXPECT_EQ("401FD0565C03E7EB", config.GetKeys().iv);
    EXPECT_EQ(path, config.Path());
    // Loading leaves the pair in force alone.
    EXPECT_TRUE(SameKeys(DefaultCipherKeys(), SetupCipher::GetInstance()->CurrentKeys()));
}

TEST_F(SetupCipherTest, LoadWithOtherThanFourValuesKeepsThePair) {
    for (int count : {3, 5}) {
        QString inner;
        for (int i = 0; i < count; ++i) inner += QString("<S%1>%2</S%1>").arg(i).arg(i);
        const QString path = InFolder(QString("DESetup%1.xml").arg(count));
        WriteSetupFile(path, SetupXml("<Segments>" + inner + "</Segments>"));
        DESetupConfig config;
        EXPECT_TRUE(config.Load(path)) << count;
        EXPECT_TRUE(SameKeys(DefaultCipherKeys(), config.GetKeys())) << count;
    }
}

TEST_F(SetupCipherTest, UnreadableFilesLoadNothing) {
    const QString notBase64 = InFolder("bad.xml");
    ASSERT_TRUE(kel_test::WriteFile(notBase64, "<DESetup>plain, not enciphered</DESetup>"));
    const QString notXml = InFolder("notxml.xml");
    WriteSetupFile(notXml, "<DESetup><Segments>");
    const QString underOtherPair = InFolder("other.xml");
    ASSERT_TRUE(kel_test::WriteFile(underOtherPair, QByteArray::fromStdString(Encrypt(SetupXml("").toStdString()))));
    const QString empty = InFolder("empty.xml");
    ASSERT_TRUE(kel_test::WriteFile(empty, ""));

    for (const QString& path : {notBase64, notXml, underOtherPair, empty, InFolder("missing.xml")}) {
        if (path != notXml) {
            EXPECT_TRUE(ReadDecipheredFile(path).isEmpty()) << path.toStdString();
        }
        DESetupConfig config;
        EXPECT_FALSE(config.Load(path)) << path.toStdString();
        EXPECT_TRUE(SameKeys(DefaultCipherKeys(), config.GetKeys()));
        EXPECT_FALSE(config.WriteNewSegments(path)) << path.toStdString();
    }
    EXPECT_EQ("<DESetup>plain, not enciphered</DESetup>", kel_test::ReadFile(notBase64));
}

TEST_F(SetupCipherTest, RestoreFromTheBenchmarkCopyGivesFreshSegments) {
    // What the main window does when "DESetup.xml" is missing.
    const QString benchmark = InFolder("maintain/DESetup.xml.benchmark");
    const QString setup = InFolder("DESetup.xml");
    QDir().mkpath(InFolder("maintain"));
    WriteSetupFile(benchmark, SetupXml("<Segments><A>" + kSegments[0] + "</A><B>" + kSegments[1] + "</B><C>" +
                                       kSegments[2] + "</C><D>" + kSegments[3] + "</D></Segments>"));
    ASSERT_TRUE(QFile::copy(benchmark, setup));

    DESetupConfig* config = DESetupConfig::instance();
    ASSERT_TRUE(config->WriteNewSegments(setup));
    ASSERT_TRUE(config->Load(setup));
    const QStringList fresh = config->Segments();
    ASSERT_EQ(4, fresh.size());
    const QRegularExpression guid("^[0-9A-F]{32}$");
    for (const QString& v : fresh) {
        EXPECT_TRUE(guid.match(v).hasMatch()) << v.toStdString();
        EXPECT_FALSE(kSegments.contains(v));
    }
    EXPECT_EQ(4, QSet<QString>(fresh.begin(), fresh.end()).size());
    const QString text = ReadDecipheredFile(setup);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << text.toStdString();
    EXPECT_TRUE(text.contains("<Version>4.3</Version>"));

    // The new pair is what the cipher uses from now on; the benchmark copy stays.
    SetupCipherKeys derived;
    ASSERT_TRUE(DeriveSegmentKeys(fresh, &derived));
    EXPECT_TRUE(SameKeys(derived, config->GetKeys()));
    DESetupConfig benchmarkOnly;
    ASSERT_TRUE(benchmarkOnly.Load(benchmark));
    EXPECT_EQ(kSegments, benchmarkOnly.Segments());
}

TEST_F(SetupCipherTest, MapKeyFileWrittenAndReadUnderTheDerivedPair) {
    SetupCipherKeys derived;
    ASSERT_TRUE(DeriveSegmentKeys(kSegments, &derived));
    SetupCipher::GetInstance()->SwapKeys(derived);

    const QString apiTxt = InFolder("map/api.txt");
    const std::string key = "AIzaSyB-0123456789abcdefghij";
    ASSERT_TRUE(kel_test::WriteFile(apiTxt, QByteArray::fromStdString(Encrypt(key)) + "\r\n"));

    std::string back;
    ASSERT_TRUE(SetupCipher::GetInstance()->DecryptString(back, kel_test::ReadFile(apiTxt).toStdString()));
    EXPECT_EQ(key, back);

    // Under another installation's pair the key does not come back.
    SetupCipher::GetInstance()->SwapKeys(DefaultCipherKeys());
    std::string other;
    EXPECT_FALSE(SetupCipher::GetInstance()->DecryptString(other, kel_test::ReadFile(apiTxt).toStdString()) &&
                 other == key);
}

}  // namespace
