#pragma once

#include <QFont>

namespace tavrin {

// The three faces the window is designed in. None exists on a Linux desktop,
// so each asks for its own name first and then for installed look-alikes
// that carry Japanese, so that no caption ever renders as boxes.
enum class Face { PGothic, Gothic, Arial, WindowDefault };

// A font of the face at a size in points. Sizes are applied as pixels at
// 96 dots per inch, the scale the whole window is laid out in.
QFont makeFont(Face face, double points);

// Points to pixels at 96 dots per inch.
int pointsToPixels(double points);

} // namespace tavrin
