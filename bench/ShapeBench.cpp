// Paints every shape kind at 1000 x 1000 into a 24-bit picture and prints the median processor
// milliseconds of one paint: with a gradient and a caption (what dragging repaints), with the solid brush, and for
// the polygon kinds the polygon itself, so that the script can time ImageMagick's -draw on it.
#include "shapes/ShapeNames.h"
#include "shapes/ShapePainter.h"
#include "shapes/TvekShape.h"

#include <QGuiApplication>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Processor time of this thread: on a shared machine it stays near what an idle one would take.
double ThreadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double MedianMs(TvekShape& shape, TBitmap& picture, int runs)
{
    std::vector<double> times;
    shape.PaintTo(picture.Canvas(), 0, 0, 1.0, 1.0); // fonts and caches are found once, not per paint
    for (int i = 0; i < runs; ++i) {
        const double start = ThreadMs();
        shape.PaintTo(picture.Canvas(), 0, 0, 1.0, 1.0);
        times.push_back(ThreadMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const int size = 1000;
    TBitmap picture(size, size);

    auto make = [&](TvekShape& s, int kind, bool gradient, TvekFillDirection direction) {
        s.SetBounds(0, 0, size, size);
        s.SetShape(TvekShapeType(kind));
        s.SetBrush(TBrush{clBlue, bsSolid});
        s.SetGradientColor(clYellow);
        s.SetGradient(gradient);
        s.SetFillDirection(direction);
        TFont font;
        font.Size = 48;
        s.SetFont(font);
        s.SetCaption(gradient ? "Vistrel" : "");
        s.SetUserVectorString("star=0.5,0,0.62,0.38,1,0.38,0.69,0.62,0.81,1,0.5,0.76,0.19,1,0.31,0.62,0,0.38,0.38,0.38");
    };

    std::printf("%-20s %10s %10s | polygon\n", "kind", "grad+text", "solid");
    for (int kind = 0; kind < ShapeTypeCount; ++kind) {
        TvekShape gradient, solid;
        make(gradient, kind, true, vgdUp);
        make(solid, kind, false, vgdUp);
        const double g = MedianMs(gradient, picture, runs), s = MedianMs(solid, picture, runs);
        std::printf("%-20s %10.2f %10.2f | ", ShapeTypeNames[kind], g, s);
        const std::vector<TShapeFigure> outline = ShapeOutline(solid, ShapeDrawingBox(solid, {}));
        if (outline.size() == 1 && outline[0].Kind == TShapeFigure::fgPolygon)
            for (const TPoint& p : outline[0].Points) std::printf("%d,%d ", p.X, p.Y);
        else
            std::printf("-");
        std::printf("\n");
    }
    std::printf("\n%-20s %10s %10s\n", "fill direction", "rectangle", "no text");
    for (int d = 0; d < FillDirectionCount; ++d) {
        TvekShape s;
        make(s, vstRectangle, true, TvekFillDirection(d));
        const double withText = MedianMs(s, picture, runs);
        s.SetCaption("");
        std::printf("%-20s %10.2f %10.2f\n", FillDirectionNames[d], withText, MedianMs(s, picture, runs));
    }
    return 0;
}
