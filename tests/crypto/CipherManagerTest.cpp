#include "crypto/CipherManager.h"
#include "platform/Errors.h"

#include <crypto++/blowfish.h>
#include <crypto++/ripemd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes FromHex(const std::string& hex)
{
    TBytes out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string ToHex(const std::uint8_t* bytes, std::size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

TBytes Sample(std::size_t size)
{
    TBytes data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * 131 + (i >> 8) * 7 + 3);
    return data;
}

// The chaining mode written out block by block from its definition, on the library's raw Blowfish.
TBytes ReferenceEncipher(const std::string& password, const TBytes& plain)
{
    std::uint8_t key[32];
    CryptoPP::RIPEMD256().CalculateDigest(key, reinterpret_cast<const CryptoPP::byte*>(password.data()), password.size());
    CryptoPP::Blowfish::Encryption e(key, sizeof key);
    std::uint8_t f[8];
    for (auto& b : f) b = 0xFF;
    e.ProcessBlock(f);
    TBytes out(plain.size());
    std::size_t i = 0;
    for (; i + 8 <= plain.size(); i += 8) {
        std::uint8_t c[8];
        for (int k = 0; k < 8; ++k) c[k] = plain[i + k] ^ f[k];
        e.ProcessBlock(c);
        for (int k = 0; k < 8; ++k) {
            out[i + k] = c[k];
            f[k] ^= c[k];
        }
    }
    std::uint8_t keyStream[8];
    e.ProcessBlock(f, keyStream);
    for (std::size_t k = 0; i + k < plain.size(); ++k) out[i + k] = plain[i + k] ^ keyStream[k];
    return out;
}

TBytes Encode(const TCipherManager& cipher, const TBytes& plain)
{
    TBytes out(plain.size());
    cipher.EncodeStream(plain.data(), out.data(), plain.size());
    return out;
}

TBytes Decode(const TCipherManager& cipher, const TBytes& data)
{
    TBytes out(data.size());
    cipher.DecodeStream(data.data(), out.data(), data.size());
    return out;
}

} // namespace

// The published RIPEMD-256 test vectors.
TEST(Ripemd256, PublishedVectors)
{
    const std::pair<std::string, const char*> vectors[] = {
        {"", "02ba4c4e5f8ecd1877fc52d64d30e37a2d9774fb1e5d026380ae0168e3c5522d"},
        {"a", "f9333e45d857f5d90a91bab70a1eba0cfb1be4b0783c9acfcd883a9134692925"},
        {"abc", "afbd6e228b9d8cbbcef5ca2d03e6dba10ac0bc7dcbe4680e1e42d2e975459b65"},
        {"message digest", "87e971759a1ce47a514d5c914c392c9018c7c46bc14465554afcdf54a5070c0e"},
        {"abcdefghijklmnopqrstuvwxyz", "649d3034751ea216776bf9a18acc81bc7896118a5197968782dd1fd97d8d5133"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "3843045583aac6c8c8d9128573e7a9809afb2a0f34ccc36ea9e72f16f6368e3f"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "5740a408ac16b720b84424ae931cbb1fe363d1d0bf4017f1a89f7ea6de77a0b8"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "06fdcc7a409548aaf91368c06a6275b553e3f099bf0ea4edfd6778df89a890dd"},
    };
    for (const auto& [message, expected] : vectors) {
        std::uint8_t digest[32];
        Ripemd256(message.data(), message.size(), digest);
        EXPECT_EQ(ToHex(digest, 32), expected) << '"' << message << '"';
    }
}

// The published Blowfish vectors, including keys longer than one block, on the cipher the manager uses.
TEST(Blowfish, PublishedVectors)
{
    struct TVector {
        const char *key, *plain, *cipher;
    };
    const TVector vectors[] = {
        {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
        {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
        {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
        {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
        {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
        {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
        {"f0e1d2c3", "fedcba9876543210", "be1e639408640f05"},
        {"f0e1d2c3b4a5968778", "fedcba9876543210", "15750e7a4f4ec577"},
        {"f0e1d2c3b4a5968778695a4b3c2d1e0f0011223344556677", "fedcba9876543210", "05044b62fa52d080"},
    };
    for (const auto& v : vectors) {
        const TBytes key = FromHex(v.key), plain = FromHex(v.plain);
        CryptoPP::Blowfish::Encryption e(key.data(), key.size());
        CryptoPP::Blowfish::Decryption d(key.data(), key.size());
        std::uint8_t out[8], back[8];
        e.ProcessBlock(plain.data(), out);
        EXPECT_EQ(ToHex(out, 8), v.cipher) << "key " << v.key;
        d.ProcessBlock(out, back);
        EXPECT_EQ(ToHex(back, 8), v.plain) << "key " << v.key;
    }
}

// Whole blocks, the partial tail alone, a tail after blocks and more than one piece: the manager
// agrees with the mode written out by hand, keeps the length and deciphers back to the plain bytes.
TEST(CipherManager, ChainingModeMatchesItsDefinition)
{
    TCipherManager cipher;
    cipher.SetAlgorithm("Blowfish");
    cipher.SetKey("Vistrel");
    for (std::size_t size : {0u, 1u, 7u, 8u, 9u, 4096u, 4097u}) {
        const TBytes plain = Sample(size);
        const TBytes sealed = Encode(cipher, plain);
        EXPECT_EQ(sealed, ReferenceEncipher("Vistrel", plain)) << size << " bytes";
        EXPECT_EQ(Decode(cipher, sealed), plain) << size << " bytes";
        if (size >= 8) {
            EXPECT_NE(TBytes(sealed.begin(), sealed.begin() + 8), TBytes(plain.begin(), plain.begin() + 8));
        }
    }
}

// Equal plain blocks do not give equal cipher blocks: the feedback runs on.
TEST(CipherManager, RepeatedBlocksDoNotRepeat)
{
    TCipherManager cipher;
    cipher.SetKey("pw");
    const TBytes sealed = Encode(cipher, TBytes(24, 0x41));
    EXPECT_NE(TBytes(sealed.begin(), sealed.begin() + 8), TBytes(sealed.begin() + 8, sealed.begin() + 16));
    EXPECT_NE(TBytes(sealed.begin() + 8, sealed.begin() + 16), TBytes(sealed.begin() + 16, sealed.end()));
}

TEST(CipherManager, InPlaceAndInPiecesGiveOnePass)
{
    TCipherManager cipher;
    cipher.SetKey("secret");
    const TBytes plain = Sample(3 * TCipherManager::kPieceSize + 5);
    const TBytes whole = Encode(cipher, plain);

    TBytes inPlace = plain;
    cipher.EncodeStream(inPlace.data(), inPlace.data(), inPlace.size());
    EXPECT_EQ(inPlace, whole);

    TBytes pieces(plain.size());
    TCipherManager::TPass pass(cipher, true);
    for (std::size_t at = 0; at < plain.size(); at += TCipherManager::kPieceSize) {
        const std::size_t n = std::min(TCipherManager::kPieceSize, plain.size() - at);
        pass.Process(plain.data() + at, pieces.data() + at, n);
    }
    EXPECT_EQ(pieces, whole);

    cipher.DecodeStream(inPlace.data(), inPlace.data(), inPlace.size());
    EXPECT_EQ(inPlace, plain);
}

TEST(CipherManager, KeyDecidesAndNothingElse)
{
    TCipherManager a, b;
    a.SetKey("one");
    b.SetKey("one");
    const TBytes plain = Sample(100);
    EXPECT_EQ(Encode(a, plain), Encode(b, plain)); // no salt, no vector
    EXPECT_EQ(Encode(a, plain), Encode(a, plain)); // every stream starts again from F0
    b.SetKey("two");
    EXPECT_NE(Encode(a, plain), Encode(b, plain));
    EXPECT_NE(Decode(b, Encode(a, plain)), plain);
    // Passwords are bytes: a character outside ASCII is its 8-bit code.
    b.SetKey("\xe9");
    a.SetKey("\xc3\xa9");
    EXPECT_NE(Encode(a, plain), Encode(b, plain));
}

TEST(CipherManager, MisuseRaises)
{
    TCipherManager cipher;
    EXPECT_THROW(cipher.SetAlgorithm("Rot13"), EvekError);
    std::uint8_t byte = 1;
    EXPECT_THROW(cipher.EncodeStream(&byte, &byte, 1), EvekError); // no key yet
    cipher.SetKey("k");
    TCipherManager::TPass pass(cipher, true);
    std::uint8_t tail[3] = {1, 2, 3};
    pass.Process(tail, tail, 3);
    EXPECT_THROW(pass.Process(tail, tail, 3), EvekError); // nothing may follow a partial block
}
