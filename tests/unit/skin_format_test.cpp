// Reading skins: what the library accepts, what it refuses and why, and the
// palette and contrast arithmetic the skins are checked with.

#include <ostream>
#include <string>

#include <gtest/gtest.h>
#include <QByteArray>
#include <QColor>
#include <QPalette>
#include <QString>

#include "skin/contrast.h"
#include "skin/skin_format.h"

// Colours as #rrggbb in failure messages.
void PrintTo(const QColor& colour, std::ostream* out) {
    *out << colour.name().toStdString();
}

namespace velmora::skin {
namespace {

QByteArray Bytes(const std::string& text) {
    return QByteArray::fromStdString(text);
}

TEST(SkinFormatTest, ReadsEveryKindOfValue) {
    const std::optional<Skin> skin =
        ParseSkin(Bytes("VELMORA-SKIN 1\n"
                        "# a comment, and an empty line\n"
                        "\n"
                        "Name: 素雅 Quiet\n"
                        "Window: #EEF0F3\n"
                        "WindowText: #1e2329\n"
                        "ButtonFace: 0 #eceef2, 0.5 #e0e0e0, 1 #dfe3e9\n"
                        "ButtonPressedFace: #aac0d8\n"
                        "ButtonRadius: 12\n"
                        "BorderWidth: 0\n"
                        "Edges: raised\n"
                        "GroupFill: none\n"
                        "GroupBorder: #a7b0bb\n"
                        "GroupRule: yes\n"
                        "GroupTitle: #2a5f98\n"));
    ASSERT_TRUE(skin.has_value());
    EXPECT_EQ(skin->name, QStringLiteral("素雅 Quiet"));
    EXPECT_EQ(skin->colour(QPalette::Window), QColor(0xee, 0xf0, 0xf3));
    EXPECT_EQ(skin->colour(QPalette::WindowText), QColor(0x1e, 0x23, 0x29));
    EXPECT_FALSE(skin->colour(QPalette::Base).has_value());
    const QGradientStops face = {{0.0, QColor(0xec, 0xee, 0xf2)},
                                 {0.5, QColor(0xe0, 0xe0, 0xe0)},
                                 {1.0, QColor(0xdf, 0xe3, 0xe9)}};
    EXPECT_EQ(skin->look.buttonFace, face);
    EXPECT_EQ(skin->look.buttonPressedFace, (QGradientStops{{0.0, QColor(0xaa, 0xc0, 0xd8)}}));
    EXPECT_TRUE(skin->look.buttonHoverFace.isEmpty());
    EXPECT_EQ(skin->look.buttonRadius, 12);
    EXPECT_EQ(skin->look.borderWidth, 0);
    EXPECT_TRUE(skin->look.raisedEdges);
    EXPECT_FALSE(skin->look.groupFill.has_value());
    EXPECT_EQ(skin->look.groupBorder, QColor(0xa7, 0xb0, 0xbb));
    EXPECT_TRUE(skin->look.groupRule);
    EXPECT_EQ(skin->look.groupTitle, QColor(0x2a, 0x5f, 0x98));
}

TEST(SkinFormatTest, WindowsLineEndsAndAHeaderAlone) {
    const std::optional<Skin> crlf =
        ParseSkin(Bytes("VELMORA-SKIN 1\r\nName: x\r\nBase: #ffffff\r\n"));
    ASSERT_TRUE(crlf.has_value());
    EXPECT_EQ(crlf->name, QStringLiteral("x"));
    EXPECT_EQ(crlf->colour(QPalette::Base), QColor(Qt::white));

    const std::optional<Skin> bare = ParseSkin(Bytes("VELMORA-SKIN 1"));
    ASSERT_TRUE(bare.has_value());
    EXPECT_TRUE(bare->colours.empty());
}

TEST(SkinFormatTest, RefusesWhatIsNotASkin) {
    const struct {
        const char* what;
        std::string bytes;
        const char* error;
    } kCases[] = {
        {"nothing", "", "line 1: not a skin"},
        {"another header", "VELMORA-SKIN 2\nName: x\n", "line 1: not a skin"},
        {"header with blanks", " VELMORA-SKIN 1\n", "line 1: not a skin"},
        {"not UTF-8", "VELMORA-SKIN 1\nName: \xff\xfe\n", "line 1: not UTF-8"},
        {"no separator", "VELMORA-SKIN 1\nWindow #ffffff\n", "line 2: expected"},
        {"no key", "VELMORA-SKIN 1\n: #ffffff\n", "line 2: expected"},
        {"unknown key", "VELMORA-SKIN 1\n\nColour: #ffffff\n", "line 3: unknown key Colour"},
        {"key in lower case", "VELMORA-SKIN 1\nwindow: #ffffff\n", "line 2: unknown key window"},
        {"repeated key", "VELMORA-SKIN 1\nBase: #ffffff\nBase: #000000\n",
         "line 3: Base given twice"},
        {"short colour", "VELMORA-SKIN 1\nBase: #fff\n", "line 2: Base: #fff"},
        {"colour by name", "VELMORA-SKIN 1\nBase: white\n", "line 2: Base: white"},
        {"colour with alpha", "VELMORA-SKIN 1\nBase: #ffffffff\n", "line 2: Base"},
        {"none for a role", "VELMORA-SKIN 1\nBase: none\n", "line 2: Base"},
        {"none for a border", "VELMORA-SKIN 1\nButtonBorder: none\n", "line 2: ButtonBorder"},
        {"radius too large", "VELMORA-SKIN 1\nButtonRadius: 13\n", "line 2: ButtonRadius"},
        {"negative radius", "VELMORA-SKIN 1\nFieldRadius: -1\n", "line 2: FieldRadius"},
        {"border too wide", "VELMORA-SKIN 1\nBorderWidth: 4\n", "line 2: BorderWidth"},
        {"edges unknown", "VELMORA-SKIN 1\nEdges: round\n", "line 2: Edges"},
        {"rule unknown", "VELMORA-SKIN 1\nGroupRule: true\n", "line 2: GroupRule"},
        {"stops falling", "VELMORA-SKIN 1\nButtonFace: 1 #ffffff, 0 #000000\n",
         "line 2: ButtonFace"},
        {"stop past 1", "VELMORA-SKIN 1\nButtonFace: 0 #ffffff, 1.5 #000000\n",
         "line 2: ButtonFace"},
        {"stop without position", "VELMORA-SKIN 1\nButtonFace: #ffffff, #000000\n",
         "line 2: ButtonFace"},
        {"stop without colour", "VELMORA-SKIN 1\nButtonFace: 0 #ffffff, 1\n", "line 2: ButtonFace"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_FALSE(ParseSkin(Bytes(c.bytes), &error).has_value());
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.error))) << error.toStdString();
    }
}

TEST(SkinFormatTest, PaletteTakesTheSkinsColoursInEveryGroup) {
    const std::optional<Skin> skin = ParseSkin(Bytes(
        "VELMORA-SKIN 1\nWindow: #202020\nWindowText: #e0e0e0\nButton: #808080\nDark: #101010\n"));
    ASSERT_TRUE(skin.has_value());
    QPalette base(Qt::white);
    base.setColor(QPalette::Base, QColor(0x12, 0x34, 0x56));
    const QPalette palette = SkinPalette(*skin, base);

    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        EXPECT_EQ(palette.color(group, QPalette::Window), QColor(0x20, 0x20, 0x20));
        EXPECT_EQ(palette.color(group, QPalette::WindowText), QColor(0xe0, 0xe0, 0xe0));
    }
    // A role the skin leaves out keeps the base's colour.
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Base), QColor(0x12, 0x34, 0x56));
    // Bevel shades: given ones kept, the others made from the button colour.
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Dark), QColor(0x10, 0x10, 0x10));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Light),
              QColor(0x80, 0x80, 0x80).lighter(150));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Mid), QColor(0x80, 0x80, 0x80).darker(150));
    // Disabled text: 45 % of the way from the text to its background,
    // 0xe0 - 0.45 * (0xe0 - 0x20) = 137.6.
    EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::WindowText), QColor(0x8a, 0x8a, 0x8a));
    EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::Window), QColor(0x20, 0x20, 0x20));
}

TEST(ContrastTest, AgreesWithWcagExamples) {
    const struct {
        QColor a;
        QColor b;
        double ratio;
    } kCases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0},
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.48},  // just too light for body text
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54},  // the lightest grey that reads on white
        {QColor(0x00, 0xff, 0x00), Qt::black, 15.3},
        {QColor(0x12, 0x34, 0x56), QColor(0x12, 0x34, 0x56), 1.0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.a.name().toStdString() + " on " + c.b.name().toStdString());
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01);
    }
}

}  // namespace
}  // namespace velmora::skin
