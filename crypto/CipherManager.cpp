#include "crypto/CipherManager.h"

#include "platform/Errors.h"

#include <crypto++/blowfish.h>
#include <crypto++/ripemd.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kKeySize = 32;

void XorBlock(std::uint8_t* to, const std::uint8_t* with, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) to[i] ^= with[i];
}

} // namespace

struct TCipherManager::TKeyedCipher {
    CryptoPP::Blowfish::Encryption encipher;
    CryptoPP::Blowfish::Decryption decipher;
    std::uint8_t f0[kBlockSize];
};

void Ripemd256(const void* data, std::size_t size, std::uint8_t digest[32])
{
    CryptoPP::RIPEMD256 hash;
    static_assert(CryptoPP::RIPEMD256::DIGESTSIZE == 32);
    hash.CalculateDigest(digest, static_cast<const CryptoPP::byte*>(data), size);
}

TCipherManager::TCipherManager() = default;
TCipherManager::~TCipherManager() = default;

void TCipherManager::SetAlgorithm(const std::string& name)
{
    if (name != "Blowfish") throw EvekError("Unknown cipher \"" + name + "\".");
    algorithm_ = name;
    keyed_.reset();
}

void TCipherManager::SetKey(const std::string& password)
{
    if (algorithm_.empty()) SetAlgorithm("Blowfish");
    std::uint8_t key[kKeySize];
    Ripemd256(password.data(), password.size(), key);
    auto keyed = std::make_unique<TKeyedCipher>();
    keyed->encipher.SetKey(key, kKeySize);
    keyed->decipher.SetKey(key, kKeySize);
    std::memset(keyed->f0, 0xFF, kBlockSize);
    keyed->encipher.ProcessBlock(keyed->f0);
    keyed_ = std::move(keyed);
}

const TCipherManager::TKeyedCipher& TCipherManager::Keyed() const
{
    if (!keyed_) throw EvekError("No password was set for the cipher.");
    return *keyed_;
}

void TCipherManager::EncodeStream(const std::uint8_t* source, std::uint8_t* destination, std::size_t count) const
{
    TPass(*this, true).Process(source, destination, count);
}

void TCipherManager::DecodeStream(const std::uint8_t* source, std::uint8_t* destination, std::size_t count) const
{
    TPass(*this, false).Process(source, destination, count);
}

TCipherManager::TPass::TPass(const TCipherManager& manager, bool encipher) : manager_(manager), encipher_(encipher)
{
    std::memcpy(feedback_, manager.Keyed().f0, kBlockSize);
}

void TCipherManager::TPass::Process(const std::uint8_t* source, std::uint8_t* destination, std::size_t count)
{
    if (count == 0) return;
    if (ended_) throw EvekError("The cipher was given data after a partial block.");
    const TKeyedCipher& keyed = manager_.Keyed();
    std::uint8_t block[kBlockSize];
    std::size_t done = 0;
    for (; done + kBlockSize <= count; done += kBlockSize) {
        // Copy first: source and destination may be the same memory.
        std::memcpy(block, source + done, kBlockSize);
        if (encipher_) {
            XorBlock(block, feedback_, kBlockSize);
            keyed.encipher.ProcessBlock(block); // C = E(P xor F)
            XorBlock(feedback_, block, kBlockSize); // F = C xor F
            std::memcpy(destination + done, block, kBlockSize);
        } else {
            std::uint8_t plain[kBlockSize];
            keyed.decipher.ProcessBlock(block, plain);
            XorBlock(plain, feedback_, kBlockSize); // P = D(C) xor F
            XorBlock(feedback_, block, kBlockSize); // F = C xor F
            std::memcpy(destination + done, plain, kBlockSize);
        }
    }
    if (const std::size_t rest = count - done) {
        // The tail is a stream cipher on the enciphered feedback, so the file keeps its length.
        std::uint8_t keyStream[kBlockSize];
        keyed.encipher.ProcessBlock(feedback_, keyStream);
        for (std::size_t i = 0; i < rest; ++i) destination[done + i] = source[done + i] ^ keyStream[i];
        XorBlock(feedback_, keyStream, kBlockSize);
        ended_ = true;
    }
}
