#pragma once
#include "platform/TBitmap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TChunkList;
class TPNGImage;

// The IHDR fields, in file order.
struct TPngHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 2;
    std::uint8_t ColorType = 3;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t FilterMethod = 0;
    std::uint8_t InterlaceMethod = 0;
};

// What the chunks of a file tell the decoder. Each chunk adds its part in list order; the IDAT
// chunk then decodes the rows into Bitmap with everything gathered before it.
struct TPngReadState {
    TPngHeader Header;
    bool HeaderRead = false;
    std::vector<TRGBQuad> Palette;
    bool PaletteRead = false;
    std::vector<std::uint8_t> PaletteAlpha;     // tRNS of a palette image, one entry per colour
    bool HasTransparentSample = false;          // tRNS of a grey or RGB image
    std::array<std::uint16_t, 3> TransparentRgb{}; // as stored: red, green, blue (grey: all three)
    bool GammaOn = false;
    std::array<std::uint8_t, 256> Gamma{};      // file sample -> displayed sample
    TBitmap Bitmap;
    bool PixelsRead = false;
};

// What the chunks need when they are written: the bitmap in a writable format (1, 4, 8, 24 or
// 32 bits a pixel), the filter set and the inverse gamma table of the image's gAMA chunk, if any.
struct TPngWriteState {
    const TBitmap& Bitmap;
    std::uint8_t FilterSet;
    const std::array<std::uint8_t, 256>* InverseGamma;
};

// A chunk of a PNG file: its owner list, its type and its data. Types the codec knows have their
// own classes; any other type is a plain TChunk that keeps its data and is written back unchanged.
class TChunk {
public:
    TChunk(TChunkList* owner, std::string_view type);
    virtual ~TChunk() = default;
    TChunk(const TChunk&) = delete;
    TChunk& operator=(const TChunk&) = delete;

    TChunkList* Owner() const { return owner_; }
    const std::string& Type() const { return type_; }
    std::vector<std::uint8_t>& Data() { return data_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }

    // Reading: what the chunk contributes to the image.
    virtual void ApplyToImage(TPngReadState&) const {}
    // Writing: refreshes the data from the image just before the chunk is written.
    virtual void PrepareToSave(const TPngWriteState&) {}

private:
    friend class TChunkList;
    TChunkList* owner_;
    std::string type_;
    std::vector<std::uint8_t> data_;
};

class TChunkIEND : public TChunk {
public:
    static constexpr std::string_view Name = "IEND";
    explicit TChunkIEND(TChunkList* owner) : TChunk(owner, Name) {}
};

class TChunkIHDR : public TChunk {
public:
    static constexpr std::string_view Name = "IHDR";
    explicit TChunkIHDR(TChunkList* owner);
    TPngHeader Header() const;
    void SetHeader(const TPngHeader& header);
    void ApplyToImage(TPngReadState& state) const override;
    void PrepareToSave(const TPngWriteState& state) override;
};

class TChunkGAMA : public TChunk {
public:
    static constexpr std::string_view Name = "gAMA";
    explicit TChunkGAMA(TChunkList* owner) : TChunk(owner, Name) {}
    // The stored gamma times 100000; 0 when the chunk is malformed.
    std::uint32_t Value() const;
    // Sample as stored -> sample for display, and back; identity for a malformed chunk.
    std::array<std::uint8_t, 256> CorrectionTable() const;
    std::array<std::uint8_t, 256> InverseTable() const;
    void ApplyToImage(TPngReadState& state) const override;
};

class TChunkIDAT : public TChunk {
public:
    static constexpr std::string_view Name = "IDAT";
    explicit TChunkIDAT(TChunkList* owner) : TChunk(owner, Name) {}
    void ApplyToImage(TPngReadState& state) const override;
    void PrepareToSave(const TPngWriteState& state) override;
};

class TChunkPLTE : public TChunk {
public:
    static constexpr std::string_view Name = "PLTE";
    explicit TChunkPLTE(TChunkList* owner) : TChunk(owner, Name) {}
    void ApplyToImage(TPngReadState& state) const override;
    void PrepareToSave(const TPngWriteState& state) override;
};

class TChunkTRNS : public TChunk {
public:
    static constexpr std::string_view Name = "tRNS";
    explicit TChunkTRNS(TChunkList* owner) : TChunk(owner, Name) {}
    void ApplyToImage(TPngReadState& state) const override;
    void PrepareToSave(const TPngWriteState& state) override;
};

// What the two text chunks share: the keyword (field 0) before a zero byte, then the text (field 1).
class TTextChunk : public TChunk {
public:
    using TChunk::TChunk;
    std::string Keyword() const;
    virtual std::string Text() const = 0;
    void SetKeyword(const std::string& keyword) { Set(keyword, Text()); }
    void SetText(const std::string& text) { Set(Keyword(), text); }

protected:
    // The offset just after the keyword's zero byte.
    std::size_t TextStart() const;
    virtual void Set(const std::string& keyword, const std::string& text) = 0;
};

// "tEXt": keyword, a zero byte, the text.
class TChunkTEXT : public TTextChunk {
public:
    static constexpr std::string_view Name = "tEXt";
    explicit TChunkTEXT(TChunkList* owner) : TTextChunk(owner, Name) {}
    std::string Text() const override;

protected:
    void Set(const std::string& keyword, const std::string& text) override;
};

// "zTXt": keyword, a zero byte, compression method 0, the zlib-compressed text.
class TChunkZTXT : public TTextChunk {
public:
    static constexpr std::string_view Name = "zTXt";
    explicit TChunkZTXT(TChunkList* owner) : TTextChunk(owner, Name) {}
    // Raises EvekImageError when the compressed text is corrupt or inflates beyond MaxTextSize.
    std::string Text() const override;

    static constexpr std::size_t MaxTextSize = std::size_t(16) << 20;

protected:
    void Set(const std::string& keyword, const std::string& text) override;
};

// The chunks of one image, in file order. The list owns its chunks.
class TChunkList {
public:
    explicit TChunkList(TPNGImage* owner) : owner_(owner) {}
    TChunkList(const TChunkList&) = delete;
    TChunkList& operator=(const TChunkList&) = delete;

    TPNGImage* Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises "The chunk index especified is out of the range." for an index outside the list.
    TChunk& Item(int index) const;
    int IndexOf(const TChunk& chunk) const; // -1 when the chunk is not in this list
    int IndexOfType(std::string_view type) const;
    template <class T> int IndexOfClass() const { return IndexOfType(T::Name); }
    template <class T> T* FirstOfClass() const
    {
        int i = IndexOfClass<T>();
        return i < 0 ? nullptr : static_cast<T*>(items_[i].get());
    }

    // A new chunk at the end: its own class for a known type, a plain chunk otherwise.
    TChunk& Add(std::string_view type);
    template <class T> T& Add() { return static_cast<T&>(Add(T::Name)); }
    // Moves a chunk of this list to the index (0 .. Count - 1).
    void Move(TChunk& chunk, int index);
    void Remove(TChunk& chunk);
    void Clear() { items_.clear(); }
    // Replaces the chunks by copies of another list's chunks.
    void Assign(const TChunkList& other);

    static bool IsKnownType(std::string_view type);

private:
    TPNGImage* owner_;
    std::vector<std::unique_ptr<TChunk>> items_;
};

// The check value of a chunk: CRC-32 over type and data.
std::uint32_t ChunkCrc(std::string_view type, const std::uint8_t* data, std::size_t size);

// Number of palette entries a 1-, 4- or 8-bit bitmap needs so that every pixel has a colour:
// the highest index used plus one.
int UsedPaletteCount(const TBitmap& bitmap);
