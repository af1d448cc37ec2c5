// SPDX-License-Identifier: GPL-3.0-or-later
// Payload cipher of enciphered recordings and the DES helper of the
// vehicle-data text blocks.
#define OPENSSL_SUPPRESS_DEPRECATED 1  // single DES only exists as the low-level call
#include "recstream/recstream.h"

#include <openssl/des.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <cstring>

namespace recstream {

namespace {

void Sha256(const void* data, size_t size, uint8_t out[32]) { SHA256(static_cast<const uint8_t*>(data), size, out); }

// The AES key of a key text.
void PayloadKey(const std::string& key, uint8_t out[16]) {
    uint8_t digest[32];
    Sha256(key.data(), key.size(), digest);
    std::memcpy(out, digest, 16);
}

// IV of one cipher unit: a 96-bit prefix from the nonce, stream id and PTS,
// then a 32-bit block counter that starts at zero (so a unit may be up to
// 64 GiB before the counter could reach another unit's IV).
void UnitIv(const StreamHeader& header, uint8_t streamId, uint64_t pts, uint8_t out[16]) {
    uint8_t material[17];
    std::memcpy(material, header.nonce, 8);
    material[8] = streamId;
    for (int i = 0; i < 8; ++i) material[9 + i] = static_cast<uint8_t>(pts >> (56 - 8 * i));
    uint8_t digest[32];
    Sha256(material, sizeof(material), digest);
    std::memcpy(out, digest, 12);
    std::memset(out + 12, 0, 4);
}

bool IsCipheredStream(uint8_t id) { return (id >= 0xC0 && id <= 0xEF); }

// One AES-128-CTR unit that may be fed in pieces.
class CtrUnit {
public:
    CtrUnit() : m_ctx(EVP_CIPHER_CTX_new()) {}
    ~CtrUnit() { EVP_CIPHER_CTX_free(m_ctx); }
    CtrUnit(const CtrUnit&) = delete;
    CtrUnit& operator=(const CtrUnit&) = delete;

    bool Start(const uint8_t key[16], const uint8_t iv[16]) {
        return m_ctx && EVP_EncryptInit_ex(m_ctx, EVP_aes_128_ctr(), nullptr, key, iv) == 1;
    }
    void Apply(uint8_t* data, size_t size) {
        while (size > 0) {
            int n = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
            int out = 0;
            EVP_EncryptUpdate(m_ctx, data, &out, data, n);
            data += n;
            size -= static_cast<size_t>(n);
        }
    }

private:
    EVP_CIPHER_CTX* m_ctx;
};

}  // namespace

uint32_t KeyCheck(const std::string& key) {
    std::string text = "QRS1-key-check" + key;
    uint8_t digest[32];
    Sha256(text.data(), text.size(), digest);
    return static_cast<uint32_t>(digest[0]) | (static_cast<uint32_t>(digest[1]) << 8) |
           (static_cast<uint32_t>(digest[2]) << 16) | (static_cast<uint32_t>(digest[3]) << 24);
}

bool KeyMatches(const StreamHeader& header, const std::string& key) {
    return (header.flags & kFlagEnciphered) && header.keyCheck == KeyCheck(key);
}

void CipherPayload(const StreamHeader& header, const std::string& key, uint8_t streamId, uint64_t pts,
                   uint8_t* data, size_t size) {
    if (!data || size == 0) return;
    uint8_t k[16], iv[16];
    PayloadKey(key, k);
    UnitIv(header, streamId, pts, iv);
    CtrUnit unit;
    if (unit.Start(k, iv)) unit.Apply(data, size);
}

bool CipherPacket(const StreamHeader& header, const std::string& key, Packet* packet) {
    if (!packet || packet->bytes.empty()) return false;
    return CipherPack(header, key, packet->pes, packet->bytes.data(), packet->bytes.size());
}

bool CipherPack(const StreamHeader& header, const std::string& key, const std::vector<Pes>& pesList, uint8_t* bytes,
                size_t size) {
    if (!bytes || size == 0 || !(header.flags & kFlagEnciphered)) return false;
    uint8_t k[16];
    PayloadKey(key, k);
    // One running unit per stream id: a PES with a PTS starts a unit, PES
    // packets without one continue the last unit of their stream.
    struct Running {
        uint8_t id;
        std::unique_ptr<CtrUnit> unit;
    };
    std::vector<Running> running;
    for (const Pes& pes : pesList) {
        if (!IsCipheredStream(pes.streamId)) continue;
        if (pes.payloadOffset > size || pes.payloadSize > size - pes.payloadOffset) continue;
        Running* r = nullptr;
        for (auto& x : running)
            if (x.id == pes.streamId) r = &x;
        if (pes.hasPts) {
            if (!r) {
                running.push_back(Running{pes.streamId, nullptr});
                r = &running.back();
            }
            uint8_t iv[16];
            UnitIv(header, pes.streamId, pes.pts, iv);
            r->unit.reset(new CtrUnit());
            if (!r->unit->Start(k, iv)) r->unit.reset();
        }
        // A continuation whose unit began in an earlier pack cannot be
        // deciphered here; the writer never splits a unit over packs.
        if (r && r->unit) r->unit->Apply(bytes + pes.payloadOffset, pes.payloadSize);
    }
    return true;
}

void DesEcb(const uint8_t key[8], uint8_t* blocks, size_t blockCount, bool decrypt) {
    if (!key || !blocks) return;
    DES_cblock k;
    std::memcpy(k, key, 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&k, &schedule);
    for (size_t i = 0; i < blockCount; ++i) {
        DES_cblock in, out;
        std::memcpy(in, blocks + 8 * i, 8);
        DES_ecb_encrypt(&in, &out, &schedule, decrypt ? DES_DECRYPT : DES_ENCRYPT);
        std::memcpy(blocks + 8 * i, out, 8);
    }
}

}  // namespace recstream
