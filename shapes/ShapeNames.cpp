#include "shapes/ShapeNames.h"

#include <algorithm>

const std::array<const char*, ShapeTypeCount> ShapeTypeNames = {
    "vstRectangle", "vstSquare", "vstRoundRect", "vstRoundSquare", "vstEllipse", "vstCircle", "vstValve",
    "vstValveUp", "vstHouse", "vstTriangleRight", "vstTriangleUp", "vstTriangleLeft", "vstTriangleDown",
    "vstArrowRight", "vstArrowUp", "vstArrowLeft", "vstArrowDown", "vstArrowUpDown", "vstArrowLeftRight",
    "vstDiamond", "vstOctagon", "vstHexagon", "vstHexagonFlat", "vstUBarUp", "vstUBarLeft", "vstUBarDown",
    "vstUBarRight", "vstChairLeft", "vstChairRight", "vstBowlLeft", "vstBowlRight", "vstBowlDown",
    "vstBowlUp", "vstIBar", "vstHBar", "vst4Point", "vstWaggle", "vstCloudLeft", "vstCloudRight",
    "vstDoubleOval", "vstDoubleOvalV", "vstTorus", "vstFrame", "vstFrameNarrow", "vstLBarUpLeft",
    "vstLBarUpRight", "vstLBarLeft", "vstLBarRight", "vst2HoleHoriz", "vst2HoleVert", "vstCubeUpRight",
    "vstCubeUpLeft", "vstCubeDownRight", "vstCubeDownLeft", "vstCubeHalf", "vstRoofRight", "vstRoofLeft",
    "vstRoofFront", "vstRoofBack", "vstPyramid", "vstMoret", "vstZ", "vstN", "vstMatta", "vstPistacheTop",
    "vstPistacheBottom", "vstPistacheLeft", "vstPistacheRight", "vst1Hole", "vst1HoleBig", "vstflower",
    "vstFatArrowUp", "vstFatArrowLeft", "vstFatArrowDown", "vstFatArrowRight", "vstUser"};

const std::array<const char*, FillDirectionCount> FillDirectionNames = {
    "vgdUp", "vgdDown", "vgdLeft", "vgdRight", "vgdRectOut", "vgdRectIn", "vgdHorizCenter",
    "vgdVertCenter", "vgdCircOut", "vgdCircIn", "vgdNWSE", "vgdNESW", "vgdSENW", "vgdSWNE", "vgdUright",
    "vgdULeft", "vgdUUp", "vgdUDown", "vgdRCMix", "vgdRCModulo", "vgdQuatro", "vgdDuo", "vgdLNE", "vgdLNW",
    "vgdUpDown", "vgdLeftRight"};

const std::array<const char*, ShapeMouseModeCount> MouseModeNames = {"mmfixed", "mmMoveObject", "mmSizeObject",
                                                                     "mmMoveText", "mmRotateText"};

const std::array<const char*, psInsideFrame + 1> PenStyleNames = {
    "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};

const std::array<const char*, bsDiagCross + 1> BrushStyleNames = {
    "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};

int NameIndex(std::span<const char* const> names, std::string_view name, bool ignoreCase)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : char(c); };
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string_view candidate = names[i];
        if (candidate == name) return int(i);
        if (ignoreCase && candidate.size() == name.size() &&
            std::equal(candidate.begin(), candidate.end(), name.begin(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return int(i);
    }
    return -1;
}
