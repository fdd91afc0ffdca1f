#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The cipher behind password-protected image files: Blowfish keyed with the RIPEMD-256 digest of the
// password, run in the system's own feedback chaining. The ciphertext has exactly as many bytes as the
// plain data; nothing else is stored, so a wrong password only shows when the plain data is read.
class TCipherManager {
public:
    static constexpr std::size_t kBlockSize = 8;
    static constexpr std::size_t kPieceSize = 4096; // streams are read and written in pieces of this size

    TCipherManager();
    ~TCipherManager();
    TCipherManager(const TCipherManager&) = delete;
    TCipherManager& operator=(const TCipherManager&) = delete;

    // "Blowfish" is the one algorithm the image files use; any other name raises EvekError.
    void SetAlgorithm(const std::string& name);
    const std::string& Algorithm() const { return algorithm_; }

    // The key is the RIPEMD-256 digest of the password's bytes; F0 is a block of 0xFF enciphered once.
    void SetKey(const std::string& password);

    // One pass of the chaining mode over count bytes, from F0 each time; source and destination may be
    // the same memory. Raises EvekError when no key is set.
    void EncodeStream(const std::uint8_t* source, std::uint8_t* destination, std::size_t count) const;
    void DecodeStream(const std::uint8_t* source, std::uint8_t* destination, std::size_t count) const;

    // A pass fed in pieces: every piece but the last must be a whole number of blocks, which is why
    // streams move in pieces of kPieceSize. Borrows the manager's key; the manager must outlive it.
    class TPass {
    public:
        TPass(const TCipherManager& manager, bool encipher);
        void Process(const std::uint8_t* source, std::uint8_t* destination, std::size_t count);

    private:
        const TCipherManager& manager_;
        bool encipher_;
        bool ended_ = false; // a partial tail was seen: nothing may follow it
        std::uint8_t feedback_[kBlockSize];
    };

private:
    struct TKeyedCipher;
    const TKeyedCipher& Keyed() const;

    std::string algorithm_;
    std::unique_ptr<TKeyedCipher> keyed_;
};

// The RIPEMD-256 digest of the bytes: the key of the cipher.
void Ripemd256(const void* data, std::size_t size, std::uint8_t digest[32]);
