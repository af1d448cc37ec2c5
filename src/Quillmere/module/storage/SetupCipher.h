// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text cipher of the program's protected configuration texts (the map
// key in "map/api.txt") and the reader/writer of "DESetup.xml", which is
// stored enciphered as a whole and whose "Segments" values give the key pair
// of the map key.
//
// A protected text is Base64(cipher(Base64(plain text))), the cipher being
// AES-128-CBC with PKCS#7 padding under the current key pair (16-byte key,
// 16-byte IV).
#include <QMutex>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// A key pair: key, then initialisation vector.
struct SetupCipherKeys {
    std::string key;
    std::string iv;
};

class SetupCipher {
public:
    // The process-wide cipher, made on first use (from any thread) with the
    // built-in default pair; it lives until exit.
    static SetupCipher* GetInstance();

    // Installs `keys` and returns the pair that was in force.
    SetupCipherKeys SwapKeys(const SetupCipherKeys& keys);
    SetupCipherKeys CurrentKeys() const;

    // Enciphers `in` into Base64 text in `out`. False (and `out` untouched)
    // on failure, or when the pair in force is not a 16-byte key and IV.
    bool EncryptString(std::string& out, const std::string& in);
    // Deciphers the Base64 text `in` into `out`. False, with `out` untouched,
    // when the text is not Base64, does not decipher under the pair in force,
    // or the deciphered text is not Base64 itself.
    bool DecryptString(std::string& out, const std::string& in);

    SetupCipher(const SetupCipher&) = delete;
    SetupCipher& operator=(const SetupCipher&) = delete;

private:
    SetupCipher();
    mutable QMutex m_lock;  // guards the pair in force
    SetupCipherKeys m_keys;
    static std::atomic<SetupCipher*> s_instance;
};

// Installs a pair for its lifetime and puts the previous one back after.
class ScopedCipherKeys {
public:
    explicit ScopedCipherKeys(const SetupCipherKeys& keys);
    ~ScopedCipherKeys();
    ScopedCipherKeys(const ScopedCipherKeys&) = delete;
    ScopedCipherKeys& operator=(const ScopedCipherKeys&) = delete;

private:
    SetupCipherKeys m_previous;
};

// The built-in pairs, put together at run time.
SetupCipherKeys DefaultCipherKeys();
SetupCipherKeys SetupFileCipherKeys();

// SHA-256 of `input`, then `count - 1` times SHA-256 of the 64-character
// upper-case hexadecimal text of the digest before. `out` receives 32 bytes.
// A count below 1 counts as 1.
void IteratedSha256(const std::string& input, int count, uint8_t out[32]);

// The key pair of four segment values: key = upper-case hex of the first 8
// bytes of IteratedSha256(s0 + s1, 100), IV = upper-case hex of the last 8
// bytes of IteratedSha256(s2 + s3, 100). False (`out` untouched) unless
// exactly four values are given.
bool DeriveSegmentKeys(const QStringList& segments, SetupCipherKeys* out);

// The deciphered content of a file enciphered under the setup-file pair;
// empty when it cannot be read or does not decipher.
QString ReadDecipheredFile(const QString& path);

// "DESetup.xml": an XML document stored enciphered under the setup-file
// pair. The children of every root child named "Segments" are the segment
// values.
class DESetupConfig {
public:
    // The process-wide object (made on first use; lives until exit).
    static DESetupConfig* instance();

    DESetupConfig();

    // Reads, deciphers and parses the file, and derives the pair from its
    // segment values (kept as it was unless there are exactly four). False
    // when the file does not read, decipher or parse.
    bool Load(const QString& path);
    SetupCipherKeys GetKeys() const;
    // Gives every segment value of the file a new GUID text (32 upper-case
    // hexadecimal digits) and writes the file back enciphered. The file is
    // replaced only when the whole new text was written; false otherwise.
    bool WriteNewSegments(const QString& path);
    // The segment values of the last successful Load, in document order.
    QStringList Segments() const;
    QString Path() const;

    DESetupConfig(const DESetupConfig&) = delete;
    DESetupConfig& operator=(const DESetupConfig&) = delete;

private:
    mutable QMutex m_lock;
    QString m_path;
    SetupCipherKeys m_keys;
    QStringList m_segments;
};

// A new GUID as 32 upper-case hexadecimal digits.
QString NewGuidText();
