#pragma once
// Pictures for tests that go through files: one made-up picture, and loading and saving through
// the dispatch with the settings the window starts with.
#include "imaging/ImageIO.h"

#include <gtest/gtest.h>

#include <string>

// A true-colour picture whose neighbouring pixels differ; another seed gives another picture.
inline TBitmap TestPicture(int width, int height, int seed = 0)
{
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, RGB(x * 5 + seed, y * 3 + seed, (x * y + seed) & 255));
    return bitmap;
}

inline TBitmap LoadPicture(const std::string& fileName)
{
    TBitmap bitmap;
    TImageFileSettings settings;
    LoadImageFile(fileName, bitmap, settings);
    return bitmap;
}

inline void SavePicture(const std::string& fileName, TBitmap picture)
{
    TImageFileSettings settings;
    EXPECT_TRUE(SaveImageFile(fileName, picture, settings)) << fileName;
}
