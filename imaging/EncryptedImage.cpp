#include "imaging/Codecs.h"

#include "crypto/CipherManager.h"
#include "platform/UiServices.h"

#include <cassert>
#include <exception>

namespace {

// Asked for every file anew; an empty password counts as a cancelled one.
bool AskFilePassword(std::string& password)
{
    return Ui().AskPassword("Enter password", password) && !password.empty();
}

// The inner file is built and read by the plain format's own row of the codec table, so that it is
// exactly the file a plain save writes; only the PNG text stays out of it, both ways.
const TImageCodec& InnerCodec(const std::string& innerExtension)
{
    const TImageCodec* codec = FindImageCodec(innerExtension);
    assert(codec && codec->Decode && codec->Encode);
    return *codec;
}

TImageFileSettings WithoutPngText(const TImageFileSettings& settings)
{
    TImageFileSettings inner = settings;
    inner.PngTextOn = false;
    inner.PngText.clear();
    inner.Cipher = nullptr;
    return inner;
}

// The window's manager when the settings carry one, else own; keyed with the password either way.
TCipherManager& KeyedCipher(const TImageFileSettings& settings, TCipherManager& own, const std::string& password)
{
    TCipherManager& cipher = settings.Cipher ? *settings.Cipher : own;
    cipher.SetKey(password);
    return cipher;
}

} // namespace

TLoadResult DecodeEncryptedImage(const std::uint8_t* data, std::size_t size, TBitmap& target,
                                 const std::string& innerExtension, const TImageFileSettings& settings)
{
    std::string password;
    if (!AskFilePassword(password)) return TLoadResult::lrCancelled;
    TCipherManager own;
    TImageBytes plain(size);
    KeyedCipher(settings, own, password).DecodeStream(data, plain.data(), size);
    // The file carries no check value: a wrong password only shows as a file the reader refuses.
    TImageFileSettings inner = WithoutPngText(settings);
    try {
        InnerCodec(innerExtension).Decode(plain, target, inner, {});
    } catch (const std::exception&) {
        return TLoadResult::lrInvalidPassword;
    }
    return TLoadResult::lrLoaded;
}

std::optional<TImageBytes> EncodeEncryptedImage(TBitmap& source, const std::string& innerExtension,
                                                const TImageFileSettings& settings)
{
    std::string password;
    if (!AskFilePassword(password)) return std::nullopt;
    std::optional<TImageBytes> bytes = InnerCodec(innerExtension).Encode(source, WithoutPngText(settings));
    if (!bytes) return std::nullopt;
    TCipherManager own;
    KeyedCipher(settings, own, password).EncodeStream(bytes->data(), bytes->data(), bytes->size());
    return bytes;
}
