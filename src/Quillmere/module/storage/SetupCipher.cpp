// SPDX-License-Identifier: GPL-3.0-or-later
#include "SetupCipher.h"

#include <QByteArray>
#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>
#include <QUuid>
#include <cstring>
#include <memory>
#include <vector>

#include <openssl/evp.h>

#include "KelLogging.h"
#include "ziraz/genericds.h"
#include "ziraz/ziraz.h"

namespace {

constexpr size_t kKeyBytes = 16;
constexpr int kSegmentDigestRounds = 100;

// Pieces of the built-in pairs; each text is the Base64 form of its bytes,
// joined at run time in the order of its index row.
const char* const kPieces[] = {
    "OWgxdQ==", "S0tCTTFW", "UE9Zbmk4", "ZXpwMw==", "SEk2RDhv", "U21vcg==",
    "dGQwS09o", "UmFScDNG", "ek40WjFp", "eXBKcVU5", "TkhFNWIy", "RUwyMQ==",
};
const int kDefaultKey[] = {4, 8, 0};
const int kDefaultIv[] = {1, 9, 5};
const int kFileKey[] = {2, 6, 3};
const int kFileIv[] = {7, 10, 11};

template <size_t N>
std::string Assemble(const int (&order)[N]) {
    std::string text;
    for (int index : order) text += kPieces[index];
    QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(text));
    return bytes.toStdString();
}

std::string ToStd(const QByteArray& b) { return std::string(b.constData(), static_cast<size_t>(b.size())); }

// Strict Base64 (standard alphabet, "=" padding). ASCII white space is
// skipped, so a text file that ends in a line break still reads.
bool DecodeBase64(const std::string& text, QByteArray* out) {
    QByteArray compact;
    compact.reserve(static_cast<int>(text.size()));
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') continue;
        compact.append(c);
    }
    if (compact.isEmpty()) return false;
    QByteArray::FromBase64Result r =
        QByteArray::fromBase64Encoding(compact, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!r) return false;
    *out = r.decoded;
    return true;
}

struct CtxFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};

// One pass of the cipher over `in`. False on any failure, bad padding
// included.
bool RunCipher(const SetupCipherKeys& keys, bool encrypt, const QByteArray& in, QByteArray* out) {
    if (keys.key.size() != kKeyBytes || keys.iv.size() != kKeyBytes) return false;
    std::unique_ptr<EVP_CIPHER_CTX, CtxFree> ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return false;
    const auto* key = reinterpret_cast<const unsigned char*>(keys.key.data());
    const auto* iv = reinterpret_cast<const unsigned char*>(keys.iv.data());
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key, iv, encrypt ? 1 : 0) != 1) return false;
    std::vector<unsigned char> buf(static_cast<size_t>(in.size()) + 2 * kKeyBytes);
    int n1 = 0, n2 = 0;
    if (EVP_CipherUpdate(ctx.get(), buf.data(), &n1, reinterpret_cast<const unsigned char*>(in.constData()),
                         in.size()) != 1)
        return false;
    if (EVP_CipherFinal_ex(ctx.get(), buf.data() + n1, &n2) != 1) return false;
    *out = QByteArray(reinterpret_cast<const char*>(buf.data()), n1 + n2);
    return true;
}

QString HexUpper(const uint8_t* bytes, int count) {
    QString text;
    for (int i = 0; i < count; ++i) text += QString::asprintf("%02X", bytes[i]);
    return text;
}

// The segment values below every root child named "Segments".
QStringList ReadSegments(const ziraz::GenericDS& root) {
    QStringList values;
    for (ziraz::GenericDS child = root.FirstChild(); !child.isNull(); child = child.NextSibling()) {
        if (child.GetName() != QLatin1String("Segments")) continue;
        for (ziraz::GenericDS s = child.FirstChild(); !s.isNull(); s = s.NextSibling()) values << s.GetValue();
    }
    return values;
}

}  // namespace

// ---- SetupCipher -------------------------------------------------------------

std::atomic<SetupCipher*> SetupCipher::s_instance{nullptr};

SetupCipher::SetupCipher() : m_keys(DefaultCipherKeys()) {}

SetupCipher* SetupCipher::GetInstance() {
    SetupCipher* p = s_instance.load(std::memory_order_acquire);
    if (!p) {
        static QMutex createLock;
        QMutexLocker locker(&createLock);
        p = s_instance.load(std::memory_order_relaxed);
        if (!p) {
            p = new SetupCipher;
            s_instance.store(p, std::memory_order_release);
        }
    }
    return p;
}

SetupCipherKeys SetupCipher::SwapKeys(const SetupCipherKeys& keys) {
    QMutexLocker locker(&m_lock);
    SetupCipherKeys previous = m_keys;
    m_keys = keys;
    return previous;
}

SetupCipherKeys SetupCipher::CurrentKeys() const {
    QMutexLocker locker(&m_lock);
    return m_keys;
}

bool SetupCipher::EncryptString(std::string& out, const std::string& in) {
    const QByteArray inner = QByteArray::fromStdString(in).toBase64();
    QByteArray cipher;
    if (!RunCipher(CurrentKeys(), true, inner, &cipher)) return false;
    out = ToStd(cipher.toBase64());
    return true;
}

bool SetupCipher::DecryptString(std::string& out, const std::string& in) {
    QByteArray cipher;
    if (!DecodeBase64(in, &cipher)) return false;
    QByteArray inner;
    if (!RunCipher(CurrentKeys(), false, cipher, &inner)) return false;
    const int zero = inner.indexOf('\0');
    if (zero >= 0) inner.truncate(zero);
    QByteArray plain;
    if (!DecodeBase64(ToStd(inner), &plain)) {
        // An empty plain text enciphers to an empty inner text.
        if (!inner.isEmpty()) return false;
        plain.clear();
    }
    out = ToStd(plain);
    return true;
}

ScopedCipherKeys::ScopedCipherKeys(const SetupCipherKeys& keys)
    : m_previous(SetupCipher::GetInstance()->SwapKeys(keys)) {}

ScopedCipherKeys::~ScopedCipherKeys() { SetupCipher::GetInstance()->SwapKeys(m_previous); }

SetupCipherKeys DefaultCipherKeys() { return SetupCipherKeys{Assemble(kDefaultKey), Assemble(kDefaultIv)}; }

SetupCipherKeys SetupFileCipherKeys() { return SetupCipherKeys{Assemble(kFileKey), Assemble(kFileIv)}; }

// ---- digests and derivation ------------------------------------------------------

void IteratedSha256(const std::string& input, int count, uint8_t out[32]) {
    unsigned int len = 0;
    EVP_Digest(input.data(), input.size(), out, &len, EVP_sha256(), nullptr);
    for (int i = 1; i < count; ++i) {
        char hex[65];
        for (int j = 0; j < 32; ++j) snprintf(hex + 2 * j, 3, "%02X", out[j]);
        EVP_Digest(hex, 64, out, &len, EVP_sha256(), nullptr);
    }
}

bool DeriveSegmentKeys(const QStringList& segments, SetupCipherKeys* out) {
    if (segments.size() != 4 || !out) return false;
    uint8_t d1[32], d2[32];
    IteratedSha256(ToStd(segments[0].toUtf8() + segments[1].toUtf8()), kSegmentDigestRounds, d1);
    IteratedSha256(ToStd(segments[2].toUtf8() + segments[3].toUtf8()), kSegmentDigestRounds, d2);
    out->key = HexUpper(d1, 8).toStdString();
    out->iv = HexUpper(d2 + 24, 8).toStdString();
    return true;
}

// ---- enciphered files ------------------------------------------------------------

QString ReadDecipheredFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    const QString content = QString::fromUtf8(file.readAll());
    file.close();
    if (content.isEmpty()) return QString();
    ScopedCipherKeys fileKeys(SetupFileCipherKeys());
    std::string plain;
    if (!SetupCipher::GetInstance()->DecryptString(plain, ziraz::ConvertFromUnicode(content))) return QString();
    return ziraz::ConvertToUnicode(plain);
}

QString NewGuidText() {
    const QUuid id = QUuid::createUuid();
    return QString::asprintf("%08X%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", id.data1, id.data2, id.data3,
                             id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5],
                             id.data4[6], id.data4[7]);
}

// ---- DESetupConfig ---------------------------------------------------------------

DESetupConfig* DESetupConfig::instance() {
    static std::atomic<DESetupConfig*> s_config{nullptr};
    DESetupConfig* p = s_config.load(std::memory_order_acquire);
    if (!p) {
        static QMutex createLock;
        QMutexLocker locker(&createLock);
        p = s_config.load(std::memory_order_relaxed);
        if (!p) {
            p = new DESetupConfig;
            s_config.store(p, std::memory_order_release);
        }
    }
    return p;
}

// Until a file gives its own pair, the default pair stands, so the cipher
// never gets an empty pair from here.
DESetupConfig::DESetupConfig() : m_keys(DefaultCipherKeys()) {}

bool DESetupConfig::Load(const QString& path) {
    const QString text = ReadDecipheredFile(path);
    if (text.isEmpty()) return false;
    QMutexLocker locker(&m_lock);
    m_path = path;
    ziraz::GenericDS root;
    if (!root.loadXmlString(text)) {
        // Refused or not well-formed: the keys stay, the file is kept.
        qCWarning(lcKelStorage).noquote() << "DESetupConfig::Load" << path << root.errorString();
        return false;
    }
    m_segments = ReadSegments(root);
    DeriveSegmentKeys(m_segments, &m_keys);
    return true;
}

SetupCipherKeys DESetupConfig::GetKeys() const {
    QMutexLocker locker(&m_lock);
    return m_keys;
}

QStringList DESetupConfig::Segments() const {
    QMutexLocker locker(&m_lock);
    return m_segments;
}

QString DESetupConfig::Path() const {
    QMutexLocker locker(&m_lock);
    return m_path;
}

bool DESetupConfig::WriteNewSegments(const QString& path) {
    const QString text = ReadDecipheredFile(path);
    if (text.isEmpty()) return false;
    {
        QMutexLocker locker(&m_lock);
        m_path = path;
    }
    ziraz::GenericDS root;
    if (!root.loadXmlString(text)) return false;
    for (ziraz::GenericDS child = root.FirstChild(); !child.isNull(); child = child.NextSibling()) {
        if (child.GetName() != QLatin1String("Segments")) continue;
        for (ziraz::GenericDS s = child.FirstChild(); !s.isNull(); s = s.NextSibling()) s.SetValue(NewGuidText());
    }
    // Keep the XML declaration the file had.
    QString declaration;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("<?xml"))) {
        const int end = trimmed.indexOf(QLatin1String("?>"));
        if (end > 0) declaration = trimmed.left(end + 2) + QLatin1Char('\n');
    }
    const QString xml = declaration + root.elemToString();

    std::string cipher;
    {
        ScopedCipherKeys fileKeys(SetupFileCipherKeys());
        if (!SetupCipher::GetInstance()->EncryptString(cipher, ziraz::ConvertFromUnicode(xml))) return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (file.write(cipher.data(), static_cast<qint64>(cipher.size())) != static_cast<qint64>(cipher.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
