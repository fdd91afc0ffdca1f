#include "script/Base64.h"
#include "script/TextHash.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

#include <cstdint>

// Base64, the keyed scrambling on top of it, and the text checksum.

namespace {

void EncodeB64(TvekScript& s) { s.Push(TVariant(EncodeBase64(s.PopString()))); }
void DecodeB64(TvekScript& s) { s.Push(TVariant(DecodeBase64(s.PopString()))); }

// The key stream advances on the scrambled byte in both directions, so the same three numbers
// unscramble what they scrambled.
std::string Scramble(const std::string& text, std::uint32_t key, std::uint32_t c1, std::uint32_t c2, bool encrypt)
{
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint8_t b = static_cast<std::uint8_t>(text[i]);
        const std::uint8_t o = static_cast<std::uint8_t>(b ^ ((key >> 8) & 0xFF));
        out[i] = static_cast<char>(o);
        key = (key + (encrypt ? o : b)) * c1 + c2;
    }
    return out;
}

struct TKeys {
    std::uint32_t key, c1, c2;
};

TKeys PopKeys(TvekScript& s)
{
    const auto c2 = static_cast<std::uint32_t>(s.PopInt());
    const auto c1 = static_cast<std::uint32_t>(s.PopInt());
    const auto key = static_cast<std::uint32_t>(s.PopInt());
    return {key, c1, c2};
}

void EncryptB64(TvekScript& s)
{
    const TKeys k = PopKeys(s);
    const std::string text = s.PopString();
    s.Push(TVariant(EncodeBase64(Scramble(text, k.key, k.c1, k.c2, true))));
}

void DecryptB64(TvekScript& s)
{
    const TKeys k = PopKeys(s);
    const std::string text = s.PopString();
    s.Push(TVariant(Scramble(DecodeBase64(text), k.key, k.c1, k.c2, false)));
}

void Hash(TvekScript& s) { s.Push(TVariant(static_cast<int>(TextHash(s.PopString())))); }

const TWordDef kWords[] = {
    {"encodeb64", "( s -- s' )", EncodeB64},
    {"decodeb64", "( s -- s' )", DecodeB64},
    {"encryptb64", "( s key c1 c2 -- s' )", EncryptB64},
    {"decryptb64", "( s key c1 c2 -- s' )", DecryptB64},
    {"hash", "( s -- int )", Hash},
};

} // namespace

const std::span<const TWordDef> kEncodingWords(kWords);
