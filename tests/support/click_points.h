#pragma once

// Where to click the main window's controls, at the size it opens with
// (771 × 414): the middle of each control. Also printed for the benchmark
// scripts by the click_point tool.

#include <QPoint>

namespace tavrin::testing::at {

inline constexpr QPoint command1{224, 41};
inline constexpr QPoint command2{280, 41};
inline constexpr QPoint command3{318, 41};
inline constexpr QPoint command4{356, 41};
inline constexpr QPoint text1{424, 41};
inline constexpr QPoint text2{488, 41};
inline constexpr QPoint text3{560, 41};
inline constexpr QPoint combo1{712, 42};
// The middle of the banners, and of the first three dots (pitch 77, radius
// 31, first row at 111).
inline constexpr QPoint bannerMiddle{385, 230};
inline constexpr QPoint dots[] = {{38, 111}, {115, 111}, {192, 111}};

struct Named {
    const char *name;
    QPoint point;
};
inline constexpr Named all[] = {{"command1", command1}, {"command2", command2}, {"command3", command3},
                                {"command4", command4}, {"text1", text1},       {"text2", text2},
                                {"text3", text3},       {"combo1", combo1},     {"banner", bannerMiddle}};

} // namespace tavrin::testing::at
