#include "imaging/ColorQuantizer.h"

#include "imaging/ImageIO.h"
#include "platform/Errors.h"

#include <cassert>

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits) : maxColors_(maxColors), colorBits_(colorBits)
{
    if (maxColors < 1 || maxColors > 256) throw EvekImageError("The octree palette holds 1 to 256 colours.");
    if (colorBits < 1 || colorBits > 8) throw EvekImageError("The octree colour depth is 1 to 8 bits.");
}

std::int32_t TColorQuantizer::CreateNode(int level)
{
    std::int32_t node;
    if (free_.empty()) {
        node = static_cast<std::int32_t>(nodes_.size());
        nodes_.emplace_back();
    } else {
        node = free_.back();
        free_.pop_back();
        nodes_[node] = TOctreeNode{};
    }
    if (level == colorBits_) {
        nodes_[node].Leaf = true;
        ++leafCount_;
    } else {
        nodes_[node].NextReducible = reducible_[level];
        reducible_[level] = node;
    }
    return node;
}

void TColorQuantizer::FreeNode(std::int32_t node) { free_.push_back(node); }

void TColorQuantizer::AddColor(int red, int green, int blue)
{
    if (root_ < 0) root_ = CreateNode(0);
    std::int32_t node = root_;
    for (int level = 0; !nodes_[node].Leaf; ++level) {
        const int shift = 7 - level;
        const int index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
        std::int32_t child = nodes_[node].Child[index];
        if (child < 0) {
            child = CreateNode(level + 1); // may move the pool: index again
            nodes_[node].Child[index] = child;
        }
        node = child;
    }
    TOctreeNode& leaf = nodes_[node];
    ++leaf.PixelCount;
    leaf.Red += static_cast<std::uint64_t>(red);
    leaf.Green += static_cast<std::uint64_t>(green);
    leaf.Blue += static_cast<std::uint64_t>(blue);
    while (leafCount_ > maxColors_) ReduceTree();
}

void TColorQuantizer::ReduceTree()
{
    int level = colorBits_ - 1;
    while (level > 0 && reducible_[level] < 0) --level;
    const std::int32_t node = reducible_[level];
    assert(node >= 0); // the root stays on level 0's list until it is merged itself
    reducible_[level] = nodes_[node].NextReducible;
    TOctreeNode& n = nodes_[node];
    int removed = 0;
    for (std::int32_t& child : n.Child) {
        if (child < 0) continue;
        // Only leaves remain below the deepest level that still has reducible nodes.
        const TOctreeNode& c = nodes_[child];
        n.PixelCount += c.PixelCount;
        n.Red += c.Red;
        n.Green += c.Green;
        n.Blue += c.Blue;
        FreeNode(child);
        child = -1;
        ++removed;
    }
    n.Leaf = true;
    leafCount_ += 1 - removed;
}

void TColorQuantizer::Walk(std::int32_t node, std::vector<TRGBQuad>& table) const
{
    const TOctreeNode& n = nodes_[node];
    if (n.Leaf) {
        TRGBQuad q;
        if (n.PixelCount) {
            q.rgbRed = static_cast<std::uint8_t>(n.Red / n.PixelCount);
            q.rgbGreen = static_cast<std::uint8_t>(n.Green / n.PixelCount);
            q.rgbBlue = static_cast<std::uint8_t>(n.Blue / n.PixelCount);
        }
        table.push_back(q);
        return;
    }
    for (std::int32_t child : n.Child)
        if (child >= 0) Walk(child, table);
}

std::vector<TRGBQuad> TColorQuantizer::ColorTable() const
{
    std::vector<TRGBQuad> table;
    if (root_ >= 0) Walk(root_, table);
    return table;
}

std::vector<TRGBQuad> BuildOctreePalette(const TBitmap& source, int colors, int colorBits, bool withStaticColors)
{
    constexpr int kStatic = 10;
    const int quantized = withStaticColors ? 256 - 2 * kStatic : colors;
    TColorQuantizer quantizer(quantized, colorBits);
    TBitmap converted;
    const TBitmap& image = AsTrueColor(source, converted);
    const int step = image.PixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* p = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x, p += step) quantizer.AddColor(p[2], p[1], p[0]);
    }
    std::vector<TRGBQuad> table = quantizer.ColorTable();
    table.resize(static_cast<std::size_t>(quantized));
    if (!withStaticColors) return table;

    const std::vector<TRGBQuad>& stock = StockPalette20();
    std::vector<TRGBQuad> palette(stock.begin(), stock.begin() + kStatic);
    palette.insert(palette.end(), table.begin(), table.end());
    palette.insert(palette.end(), stock.begin() + kStatic, stock.end());
    return palette;
}
