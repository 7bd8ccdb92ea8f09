#include "fonts.h"

#include <QStringList>
#include <cmath>

namespace tavrin {

namespace {
const QStringList &japaneseFallbacks()
{
    static const QStringList list{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                  QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans CJK JP"),
                                  QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")};
    return list;
}
} // namespace

int pointsToPixels(double points)
{
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

QFont makeFont(Face face, double points)
{
    QStringList families;
    switch (face) {
    case Face::PGothic:
        families << QStringLiteral("ＭＳ Ｐゴシック") << QStringLiteral("MS PGothic")
                 << QStringLiteral("IPAPGothic");
        break;
    case Face::Gothic:
        families << QStringLiteral("ＭＳ ゴシック") << QStringLiteral("MS Gothic")
                 << QStringLiteral("IPAGothic");
        break;
    case Face::Arial:
        families << QStringLiteral("Arial") << QStringLiteral("Liberation Sans");
        break;
    case Face::WindowDefault:
        families << QStringLiteral("IPAPGothic");
        break;
    }
    families << japaneseFallbacks();
    families.removeDuplicates();
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pointsToPixels(points));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setStyleHint(face == Face::Gothic ? QFont::Monospace : QFont::SansSerif);
    return font;
}

} // namespace tavrin
