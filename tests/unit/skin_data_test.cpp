// The 33 skins the program carries, checked from their own data: each is a
// skin the library reads, gives every colour its texts are drawn against, and
// every text reads (contrast 4.5 or more against each background it meets).

#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <QByteArray>
#include <QColor>
#include <QPalette>
#include <QString>

#include "skin/contrast.h"
#include "skin/skin_format.h"
#include "ui/skins.h"

namespace velmora::skin {
namespace {

constexpr double kReadable = 4.5;

struct TextOn {
    std::string what;
    QColor text;
    QColor background;
};

// The texts of the program's windows and what they are drawn on, by the
// skin's own colours. A skin that leaves a colour to the default palette fails
// here: the default may not suit the skin's other colours.
std::vector<TextOn> TextsOf(const Skin& skin) {
    std::vector<TextOn> pairs;
    const auto role = [&skin](QPalette::ColorRole r) {
        const std::optional<QColor> colour = skin.colour(r);
        EXPECT_TRUE(colour.has_value()) << "the skin gives no colour for role " << r;
        return colour.value_or(QColor());
    };
    const struct {
        const char* what;
        QPalette::ColorRole text;
        QPalette::ColorRole background;
    } kPaletteTexts[] = {
        {"labels on the window", QPalette::WindowText, QPalette::Window},
        {"typed text in a field", QPalette::Text, QPalette::Base},
        {"list text on alternate rows", QPalette::Text, QPalette::AlternateBase},
        {"button captions, combo and date arrows", QPalette::ButtonText, QPalette::Button},
        {"selected text", QPalette::HighlightedText, QPalette::Highlight},
        {"tool tips", QPalette::ToolTipText, QPalette::ToolTipBase},
    };
    for (const auto& pair : kPaletteTexts) {
        pairs.push_back({pair.what, role(pair.text), role(pair.background)});
    }

    const QColor buttonText = role(QPalette::ButtonText);
    const struct {
        const char* what;
        const QGradientStops* face;
    } kFaces[] = {
        {"caption on the button face", &skin.look.buttonFace},
        {"caption on the hovered face", &skin.look.buttonHoverFace},
        {"caption on the pressed face", &skin.look.buttonPressedFace},
    };
    for (const auto& face : kFaces) {
        for (const auto& [position, colour] : *face.face) {
            pairs.push_back({face.what + (" at " + std::to_string(position)), buttonText, colour});
        }
    }

    const QColor title = skin.look.groupTitle.value_or(role(QPalette::WindowText));
    pairs.push_back({"group title on the window", title, role(QPalette::Window)});
    if (skin.look.groupFill) {
        pairs.push_back(
            {"labels in a group box", role(QPalette::WindowText), *skin.look.groupFill});
        pairs.push_back({"group title on the group fill", title, *skin.look.groupFill});
    }
    return pairs;
}

class SkinDataTest : public testing::TestWithParam<int> {
protected:
    Skin skin() const {
        QString error;
        const std::optional<Skin> parsed = ParseSkin(ui::SkinBytes(GetParam()), &error);
        EXPECT_TRUE(parsed.has_value()) << error.toStdString();
        return parsed.value_or(Skin{});
    }
};

TEST_P(SkinDataTest, IsASkinWithAName) {
    const Skin s = skin();
    EXPECT_FALSE(s.name.trimmed().isEmpty());
}

TEST_P(SkinDataTest, EveryTextReads) {
    for (const TextOn& pair : TextsOf(skin())) {
        EXPECT_GE(ContrastRatio(pair.text, pair.background), kReadable)
            << pair.what << ": " << pair.text.name().toStdString() << " on "
            << pair.background.name().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Skins, SkinDataTest, testing::Range(1, ui::kSkinCount + 1),
                         [](const testing::TestParamInfo<int>& info) {
                             return "skin" + std::to_string(info.param);
                         });

TEST(SkinSetTest, ThirtyThreeDistinctSkins) {
    std::set<QString> names;
    std::set<std::tuple<QRgb, QRgb, QRgb>> schemes;
    for (int number = 1; number <= ui::kSkinCount; ++number) {
        SCOPED_TRACE(number);
        const std::optional<Skin> skin = ParseSkin(ui::SkinBytes(number));
        ASSERT_TRUE(skin.has_value());
        EXPECT_TRUE(names.insert(skin->name).second) << "name used twice";
        const auto rgb = [&skin](QPalette::ColorRole role) {
            return skin->colour(role).value_or(QColor()).rgb();
        };
        EXPECT_TRUE(
            schemes.insert({rgb(QPalette::Window), rgb(QPalette::Button), rgb(QPalette::Highlight)})
                .second)
            << "same window, button and accent colours as an earlier skin";
    }
}

TEST(SkinSetTest, OnlyNumbersOneToThirtyThreeHaveBytes) {
    for (const int number : {-1, 0, ui::kSkinCount + 1, 50}) {
        SCOPED_TRACE(number);
        EXPECT_TRUE(ui::SkinBytes(number).isEmpty());
    }
    EXPECT_FALSE(ui::SkinBytes(1).isEmpty());
    EXPECT_FALSE(ui::SkinBytes(ui::kSkinCount).isEmpty());
    EXPECT_NE(ui::SkinBytes(1), ui::SkinBytes(2));
}

}  // namespace
}  // namespace velmora::skin
