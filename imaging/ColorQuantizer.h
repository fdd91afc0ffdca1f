#pragma once
#include "platform/TBitmap.h"

#include <array>
#include <cstdint>
#include <vector>

// The octree quantizer. Colours are sorted into an octree ColorBits levels deep, one bit of each
// channel a level; whenever there are more leaves than colours, the most recently created node of
// the deepest level that still has children is merged into one leaf, so the tree never holds more
// than one leaf above the colour count.
class TColorQuantizer {
public:
    TColorQuantizer(int maxColors, int colorBits);

    void AddColor(int red, int green, int blue);
    int LeafCount() const { return leafCount_; }
    // The leaves' mean colours in depth-first order, children in index order.
    std::vector<TRGBQuad> ColorTable() const;

private:
    struct TOctreeNode {
        bool Leaf = false;
        std::uint32_t PixelCount = 0;
        std::uint64_t Red = 0, Green = 0, Blue = 0;
        std::int32_t NextReducible = -1;
        std::array<std::int32_t, 8> Child{-1, -1, -1, -1, -1, -1, -1, -1};
    };

    std::int32_t CreateNode(int level);
    void FreeNode(std::int32_t node);
    void ReduceTree();
    void Walk(std::int32_t node, std::vector<TRGBQuad>& table) const;

    // Nodes live in one pool, linked by index; freed nodes are reused.
    std::vector<TOctreeNode> nodes_;
    std::vector<std::int32_t> free_;
    std::int32_t root_ = -1;
    int leafCount_ = 0;
    int maxColors_;
    int colorBits_;
    std::array<std::int32_t, 8> reducible_{-1, -1, -1, -1, -1, -1, -1, -1};
};

// A palette for source (any pixel format) by the octree. Without static colours it has colors
// entries; with them 256: the default palette's first and last ten colours at 0..9 and 246..255 and
// 236 quantized ones between. Entries past the tree's leaves are black.
std::vector<TRGBQuad> BuildOctreePalette(const TBitmap& source, int colors, int colorBits, bool withStaticColors);
