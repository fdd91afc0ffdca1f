#include "imaging/Codecs.h"
#include "imaging/MetafilePlayer.h"
#include "tests/imaging/DispatchTestTools.h"

#include <uemf.h>
#include <uwmf.h>

#include <gtest/gtest.h>


namespace {

// A 2 x 2 24-bit bitmap, bottom-up: top row red, green; bottom row blue, white.
struct TSmallDib {
    U_BITMAPINFOHEADER header = bitmapinfoheader_set(2, 2, 1, 24, U_BI_RGB, 16, 0, 0, 0, 0);
    PU_BITMAPINFO info = bitmapinfo_set(header, nullptr);
    char pixels[16] = {char(0xFF), 0, 0, char(0xFF), char(0xFF), char(0xFF), 0, 0, // bottom: blue, white
                       0, 0, char(0xFF), 0, char(0xFF), 0, 0, 0};                   // top: red, green
    ~TSmallDib() { free(info); }
};

// An enhanced metafile of 192 x 96 pixels at 96 dpi, written with libuemf's record builders on a
// reference device of 96 dpi, so that logical units are the target's pixels.
class TEmfWriter {
public:
    explicit TEmfWriter(const std::string& path)
    {
        emf_start(path.c_str(), 1 << 16, 1 << 12, &et_);
        emf_htable_create(128, 128, &eht_);
        U_RECTL bounds{0, 0, 191, 95}, frame{0, 0, 5080, 2540};
        Add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(960, 960), sizel_set(254, 254), 0));
    }
    void Add(char* record) { emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), et_, U_REC_FREE); }
    void Brush(U_COLORREF color, std::uint32_t style = U_BS_SOLID)
    {
        std::uint32_t handle;
        Add(createbrushindirect_set(&handle, eht_, logbrush_set(style, color, 0)));
        Add(selectobject_set(handle, eht_));
    }
    void Pen(U_COLORREF color, std::uint32_t style = U_PS_SOLID, int width = 1)
    {
        std::uint32_t handle;
        Add(createpen_set(&handle, eht_, logpen_set(style, point32_set(width, 0), color)));
        Add(selectobject_set(handle, eht_));
    }
    std::uint32_t Font(int height)
    {
        std::uint16_t face[32] = {'D', 'e', 'j', 'a', 'V', 'u', ' ', 'S', 'a', 'n', 's', 0};
        U_LOGFONT lf = logfont_set(-height, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, face);
        std::uint32_t handle;
        Add(extcreatefontindirectw_set(&handle, eht_, reinterpret_cast<const char*>(&lf), nullptr));
        Add(selectobject_set(handle, eht_));
        return handle;
    }
    void Finish()
    {
        Add(U_EMREOF_set(0, nullptr, et_));
        emf_finish(et_, eht_);
        emf_free(&et_);
        emf_htable_free(&eht_);
    }
    // The small bitmap stretched over a rectangle of the picture.
    void StretchDib(int x, int y, int w, int h)
    {
        TSmallDib dib;
        Add(U_EMRSTRETCHDIBITS_set(U_RECTL{x, y, x + w - 1, y + h - 1}, point32_set(x, y), point32_set(w, h), point32_set(0, 0),
                                   point32_set(2, 2), U_DIB_RGB_COLORS, U_SRCCOPY, dib.info, 16, dib.pixels));
    }

private:
    EMFTRACK* et_ = nullptr;
    EMFHANDLES* eht_ = nullptr;
};

class MetafileTest : public ::testing::Test {
protected:
    TTempDir dir;
};

// Both test pictures are 192 x 96 pixels and begin with a red rectangle, a blue ellipse and a green
// triangle at the same places.
void ExpectFirstShapes(const TBitmap& target, TPixelFormat format)
{
    ASSERT_EQ(target.Width(), 192);
    ASSERT_EQ(target.Height(), 96);
    EXPECT_EQ(target.PixelFormat(), format);
    EXPECT_EQ(target.GetPixel(30, 25), clRed);
    EXPECT_EQ(target.GetPixel(80, 30), clBlue);
    EXPECT_EQ(target.GetPixel(130, 20), clLime);
}

TEST_F(MetafileTest, EnhancedMetafileOpensAtItsSizeWithItsDrawing)
{
    std::string path = dir.File("picture.emf");
    {
        TEmfWriter emf(path);
        emf.Pen(U_RGB(0, 0, 0), U_PS_NULL);
        emf.Brush(U_RGB(255, 0, 0));
        emf.Add(U_EMRRECTANGLE_set(U_RECTL{10, 10, 50, 40}));
        emf.Brush(U_RGB(0, 0, 255));
        emf.Add(U_EMRELLIPSE_set(U_RECTL{60, 10, 100, 50}));
        U_POINTL triangle[] = {{110, 10}, {150, 10}, {130, 50}};
        emf.Brush(U_RGB(0, 255, 0));
        emf.Add(U_EMRPOLYGON_set(U_RECTL{110, 10, 150, 50}, 3, triangle));

        // A saved state with a doubling window and viewport, restored afterwards.
        emf.Add(U_EMRSAVEDC_set());
        emf.Add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        emf.Add(U_EMRSETWINDOWEXTEX_set(sizel_set(10, 10)));
        emf.Add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(20, 20)));
        emf.Add(U_EMRSETVIEWPORTORGEX_set(point32_set(160, 0)));
        emf.Brush(U_RGB(255, 255, 0));
        emf.Add(U_EMRRECTANGLE_set(U_RECTL{0, 0, 10, 10}));
        emf.Add(U_EMRRESTOREDC_set(-1));
        emf.Add(U_EMRRECTANGLE_set(U_RECTL{185, 90, 190, 95})); // with the green brush of the restored state

        emf.StretchDib(10, 60, 20, 20);
        emf.Pen(U_RGB(255, 0, 255), U_PS_SOLID, 3);
        emf.Add(U_EMRMOVETOEX_set(point32_set(40, 70)));
        emf.Add(U_EMRLINETO_set(point32_set(90, 70)));
        emf.Finish();
    }
    TBitmap target(5, 5, pf24bit);
    LoadFile(path, target);
    ASSERT_NO_FATAL_FAILURE(ExpectFirstShapes(target, pf24bit));
    EXPECT_EQ(target.GetPixel(5, 5), clBlack); // new pixels of the target stay as they were
    EXPECT_EQ(target.GetPixel(170, 10), clYellow);
    EXPECT_EQ(target.GetPixel(187, 92), clLime);
    EXPECT_EQ(target.GetPixel(14, 64), clRed);
    EXPECT_EQ(target.GetPixel(25, 64), clLime);
    EXPECT_EQ(target.GetPixel(14, 75), clBlue);
    EXPECT_EQ(target.GetPixel(25, 75), clWhite);
    EXPECT_EQ(target.GetPixel(65, 70), clFuchsia);
    EXPECT_EQ(target.GetPixel(65, 73), clBlack);
}

TEST_F(MetafileTest, EnhancedMetafileTextUsesItsFontAndColour)
{
    std::string path = dir.File("text.emf");
    {
        TEmfWriter emf(path);
        emf.Font(30);
        emf.Add(U_EMRSETTEXTCOLOR_set(U_RGB(0, 0, 255)));
        emf.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        std::uint16_t text[] = {'H', 'H', 'H', 0};
        std::uint32_t advances[] = {20, 20, 20};
        char* block = emrtext_set(point32_set(20, 20), 3, 2, text, U_ETO_NONE, U_RECTL{0, 0, -1, -1}, advances);
        emf.Add(U_EMREXTTEXTOUTW_set(U_RECTL{0, 0, -1, -1}, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(block)));
        free(block);
        emf.Finish();
    }
    TBitmap target(1, 1, pf24bit);
    LoadFile(path, target);
    int blue = 0, minX = 1000, maxY = 0;
    for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < target.Width(); ++x)
            if (target.GetPixel(x, y) == clBlue) ++blue, minX = std::min(minX, x), maxY = std::max(maxY, y);
    EXPECT_GT(blue, 100);
    EXPECT_GE(minX, 18);
    EXPECT_LE(minX, 26);
    EXPECT_GT(maxY, 35); // 30-pixel letters drawn from y 20 down
    EXPECT_LT(maxY, 55);
}

// A placeable Windows metafile of 2 x 1 inches (192 x 96 pixels) in units of 1/1440 inch.
TEST_F(MetafileTest, PlaceableWindowsMetafileMapsItsWindowOntoThePicture)
{
    std::string path = dir.File("picture.wmf");
    WMFTRACK* wt = nullptr;
    WMFHANDLES* wht = nullptr;
    wmf_start(path.c_str(), 1 << 16, 1 << 12, &wt);
    wmf_htable_create(128, 128, &wht);
    U_PAIRF* size = U_PAIRF_set(2.0f, 1.0f);
    wmf_header_append(reinterpret_cast<U_METARECORD*>(U_WMRHEADER_set(size, 1440)), wt, U_REC_FREE);
    free(size);
    auto add = [&](char* record) { wmf_append(reinterpret_cast<U_METARECORD*>(record), wt, U_REC_FREE); };
    add(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    add(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
    add(U_WMRSETWINDOWEXT_set(point16_set(2880, 1440)));
    std::uint32_t pen, brush, brush2;
    add(wcreatepenindirect_set(&pen, wht, U_PEN_set(U_PS_NULL, 1, U_RGB(0, 0, 0))));
    add(wselectobject_set(pen, wht));
    add(wcreatebrushindirect_set(&brush, wht, U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(255, 0, 0), 0)));
    add(wselectobject_set(brush, wht));
    add(U_WMRRECTANGLE_set(U_RECT16{150, 150, 750, 600})); // 10,10 - 50,40 in pixels
    // A freed slot is taken again by the next object.
    add(wcreatebrushindirect_set(&brush2, wht, U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(0, 0, 255), 0)));
    add(wselectobject_set(brush2, wht));
    add(wdeleteobject_set(&brush, wht));
    add(U_WMRELLIPSE_set(U_RECT16{900, 150, 1500, 750}));
    std::uint32_t brush3;
    add(wcreatebrushindirect_set(&brush3, wht, U_WLOGBRUSH_set(U_BS_SOLID, U_RGB(0, 255, 0), 0)));
    add(wselectobject_set(brush3, wht));
    U_POINT16 triangle[] = {{1650, 150}, {2250, 150}, {1950, 750}};
    add(U_WMRPOLYGON_set(3, triangle));
    U_POINT16 rings[] = {{150, 900}, {750, 900}, {750, 1350}, {150, 1350}, {300, 1000}, {600, 1000}, {600, 1250}, {300, 1250}};
    std::uint16_t ringCounts[] = {4, 4};
    add(U_WMRPOLYPOLYGON_set(2, ringCounts, rings));
    TSmallDib dib;
    add(U_WMRDIBSTRETCHBLT_set(point16_set(1500, 900), point16_set(300, 300), point16_set(0, 0), point16_set(2, 2),
                               U_SRCCOPY, dib.info, 16, dib.pixels));
    wmf_append(reinterpret_cast<U_METARECORD*>(U_WMREOF_set()), wt, U_REC_FREE);
    wmf_finish(wt);
    wmf_free(&wt);
    wmf_htable_free(&wht);

    TBitmap target(300, 10, pf8bit);
    LoadFile(path, target);
    ASSERT_NO_FATAL_FAILURE(ExpectFirstShapes(target, pf8bit));
    EXPECT_EQ(target.GetPixel(15, 75), clLime);   // the ring
    EXPECT_NE(target.GetPixel(30, 75), clLime);   // and its hole
    EXPECT_EQ(target.GetPixel(103, 63), clRed);   // the bitmap's top-left quarter, the DIB source top-down
    EXPECT_EQ(target.GetPixel(116, 76), clWhite); // its bottom-right quarter
}

TEST_F(MetafileTest, BadFilesEndInAnErrorAndLeaveTheTargetAlone)
{
    TBitmap target(3, 3, pf24bit);
    target.SetPixel(1, 1, clRed);
    const TBitmap before = target;
    std::string path = dir.File("bad.emf");
    for (std::string bytes : {std::string(), std::string("hello"), std::string(40, '\0'), std::string(100, '\x01')}) {
        WriteWholeFile(path, bytes);
        EXPECT_THROW(LoadFile(path, target), EvekImageError);
        EXPECT_TRUE(target == before);
    }
    EXPECT_THROW(LoadFile(dir.File("missing.wmf"), target), EvekError);
}

TEST_F(MetafileTest, DamagedFilesNeverCrash)
{
    std::string emf = dir.File("a.emf");
    {
        TEmfWriter w(emf);
        w.Brush(U_RGB(255, 0, 0));
        w.Font(12);
        U_POINTL points[] = {{1, 1}, {50, 5}, {20, 60}, {90, 90}};
        w.Add(U_EMRPOLYBEZIER_set(U_RECTL{0, 0, 90, 90}, 4, points));
        std::uint32_t counts[] = {2, 2};
        w.Add(U_EMRPOLYPOLYGON_set(U_RECTL{0, 0, 90, 90}, 2, counts, 4, points));
        w.StretchDib(0, 0, 9, 9);
        w.Finish();
    }
    std::string damaged = dir.File("damaged.emf");
    ExpectSurvivesDamage(ReadWholeFile(emf), damaged, [](const std::string& p) {
        TBitmap b(1, 1, pf24bit);
        LoadFile(p, b);
    });
}

} // namespace
